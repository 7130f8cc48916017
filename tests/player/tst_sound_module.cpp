#include "platform/core/AppError.h"
#include "platform/core/WavHeader.h"
#include "player/SoundModule.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using State = SoundDevice::State;

class TestSoundModule : public QObject {
    Q_OBJECT

private slots:
    void devicesOfTheModule_data() {
        QTest::addColumn<QString>("module");
        QTest::addColumn<bool>("loads");
        QTest::newRow("the module built") << QStringLiteral(KIT_SOUND_MODULE_FILE) << true;
        QTest::newRow("no module there") << QStringLiteral(KIT_SOUND_MODULE_FILE ".nie") << false;
    }
    // A device opens without a file; a sound it cannot play is refused with the device's error
    // (the module's) or the loader's (no module), and the device is closed. The program hears
    // every change of state.
    void devicesOfTheModule() {
        QFETCH(QString, module);
        QFETCH(bool, loads);
        const std::unique_ptr<SoundDevice> device = soundModuleDevices(module)();
        QSignalSpy changes(device.get(), &SoundDevice::stateChanged);
        QCOMPARE(device->state(), State::Closed);
        device->open({}, {});
        QCOMPARE(device->state(), State::Stopped);
        QCOMPARE(changes.count(), 1);

        const QString wav = QStringLiteral("/nie/ma/ton.wav");
        try {
            device->open(wav, {});
            QFAIL("a sound that is not there was opened");
        } catch (const AppError& error) {
            QCOMPARE(error.code(), int(AppError::Other));
            if (loads)
                QCOMPARE(error.message(),
                         WavHeader::refusalText(WavHeader::refusal(wav, true), wav));
            else
                QVERIFY2(error.message().contains(module), qPrintable(error.message()));
        }
        QCOMPARE(device->state(), State::Closed);
        QCOMPARE(changes.count(), 2);
    }
};

KIT_TEST_MAIN(TestSoundModule)
#include "tst_sound_module.moc"
