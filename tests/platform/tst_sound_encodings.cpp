// The WAV encodings of the old era, made by sox at test time, through the header check, the
// kit's ADPCM decoder and both programs' sound controls on the real sound device.

#include "editor/EditorServices.h"
#include "editor/Uedytor.h"
#include "platform/core/Adpcm.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/core/WavHeader.h"
#include "platform/media/QtSoundDevice.h"
#include "platform/ui/SoundControl.h"
#include "player/PlayerWindows.h"
#include "tests/support/Child.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/ScriptedFileDialog.h"
#include "tests/support/SoundButtons.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QBuffer>
#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

using State = SoundDevice::State;

namespace {

bool haveSink() {
    return qEnvironmentVariableIsSet("KIT_TEST_SINK");
}

// Runs sox with `arguments`; the empty string on success, else what went wrong.
QString runSox(const QStringList& arguments) {
    QProcess sox;
    sox.start(QStringLiteral("sox"), arguments);
    if (!sox.waitForFinished(30000) || sox.exitStatus() != QProcess::NormalExit ||
        sox.exitCode() != 0)
        return QStringLiteral("sox %1: %2 %3")
            .arg(arguments.join(' '), sox.errorString(), QString::fromLocal8Bit(sox.readAll()));
    return {};
}

// A one-second 440 Hz sine at `path` in sox's `encoding` (its options before the file name).
QString soxTone(const QString& path, const QStringList& encoding) {
    if (!QDir().mkpath(QFileInfo(path).path()))
        return QStringLiteral("cannot make the folder of ") + path;
    return runSox(QStringList{QStringLiteral("-n")} + encoding +
                  QStringList{path, QStringLiteral("synth"), QStringLiteral("1"),
                              QStringLiteral("sine"), QStringLiteral("440")});
}

// The kit's ADPCM decoding of the file at `path` gives sox's own samples, sample for sample,
// up to the sound's end.
void checkDecodedAsSoxDoes(const QString& path, const WavHeader::Format& format) {
    const QString pcm = path + QStringLiteral(".pcm.wav");
    const QString failed = runSox({path, "-e", "signed-integer", "-b", "16", pcm});
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QByteArray ours = Adpcm::fileToPcmWav(path, format);
    QBuffer oursBuffer(&ours);
    QVERIFY(oursBuffer.open(QIODevice::ReadOnly));
    const auto oursFormat = WavHeader::read(oursBuffer);
    const auto soxFormat = WavHeader::readFile(pcm);
    QVERIFY(oursFormat && soxFormat);
    QCOMPARE(oursFormat->tag, quint16(WavHeader::Pcm));
    QCOMPARE(oursFormat->channels, format.channels);
    QCOMPARE(oursFormat->rate, format.rate);
    const QByteArray ourSamples = ours.mid(oursFormat->dataOffset);
    QCOMPARE(qsizetype(oursFormat->dataSize), ourSamples.size());
    // sox plays the last block whole; the "fact" chunk says the sound ends after one second.
    QCOMPARE(ourSamples.size(), qsizetype(format.rate) * format.channels * 2);
    QVERIFY(readFile(pcm).mid(soxFormat->dataOffset).startsWith(ourSamples));
}

// A program's services over the real sound device, keeping the device made last.
struct Services {
    RecordingMessageBoxes boxes;
    ScriptedFileDialog dialog;
    PosixRecordFileFactory files;
    QPointer<QtSoundDevice> sound;
    SoundDeviceFactory soundFactory() {
        return [this] {
            auto device = std::make_unique<QtSoundDevice>();
            sound = device.get();
            return device;
        };
    }
};

// The player, which starts the scenario `kro` in start().
struct Player : Services {
    PlayerWindows w{{boxes, dialog, files, soundFactory()}, [] {}};
    void start(const QString& kro) {
        w.menu.show();
        dialog.answer(kro);
        QTest::mouseClick(child<QPushButton>(w.menu, "BuPlansza"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w.menu, "BuStart"), Qt::LeftButton);
    }
};

// The editor, which opens the scenario `kro` in open().
struct Editor : Services {
    TFoRPGEdit w{{boxes, dialog, files, soundFactory()}};
    void open(const QString& kro) {
        w.show();
        dialog.answer(kro);
        QTest::mouseClick(child<QPushButton>(w, "BuOtworz"), Qt::LeftButton);
    }
};

// The scenario "Gra.Kro" in `folder`, whose first situation has the sound "ton.wav"; its path.
QString scenarioWithSound(const QString& folder) {
    Situation start = describedSituation(QStringLiteral("Start"), Poczatek);
    start.wav = QStringLiteral("ton.wav");
    const QString kro = folder + QStringLiteral("/Gra.Kro");
    return writeScenario(kro, {describedSituation(QStringLiteral("Koniec"), Koniec), start})
               ? kro
               : QString();
}

void click(QPushButton* button) {
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestSoundEncodings : public QObject {
    Q_OBJECT

private slots:
    void init();

    void encodingPlays_data();
    void encodingPlays();
    void refusedAtOnce_data();
    void refusedAtOnce();
    void undecodableFileClosesTheBar_data();
    void undecodableFileClosesTheBar();

private:
    TestFolder dir_;
};

void TestSoundEncodings::init() {
    dir_.renew();
    if (QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty())
        QSKIP("sox is not installed: the sounds of these tests are made with it");
}

void TestSoundEncodings::encodingPlays_data() {
    QTest::addColumn<QString>("encoding"); // sox's options before the file name
    QTest::addColumn<int>("tag");

    // 11025 one-byte samples: the data chunk has an odd length and a pad byte after it.
    QTest::newRow("PCM 8-bit, padded") << "-r 11025 -c 1 -b 8 -e unsigned-integer" << 1;
    QTest::newRow("PCM 16-bit") << "-r 22050 -c 1 -b 16 -e signed-integer" << 1;
    QTest::newRow("PCM stereo 44.1 kHz") << "-r 44100 -c 2 -b 16" << 1;
    // Six channels of 24 bits make sox write the extensible header.
    QTest::newRow("PCM 24-bit 6 channels, extensible") << "-r 48000 -c 6 -b 24" << 1;
    QTest::newRow("float 32") << "-r 44100 -c 1 -b 32 -e floating-point" << 3;
    QTest::newRow("A-law 11 kHz, padded") << "-r 11025 -c 1 -e a-law" << 6;
    QTest::newRow("u-law") << "-r 8000 -c 1 -e u-law" << 7;
    QTest::newRow("IMA ADPCM") << "-r 8000 -c 1 -e ima-adpcm" << 0x11;
    QTest::newRow("IMA ADPCM stereo 22 kHz") << "-r 22050 -c 2 -e ima-adpcm" << 0x11;
    QTest::newRow("MS ADPCM") << "-r 8000 -c 1 -e ms-adpcm" << 2;
    QTest::newRow("MS ADPCM stereo 44.1 kHz") << "-r 44100 -c 2 -e ms-adpcm" << 2;
    QTest::newRow("GSM 6.10") << "-r 8000 -c 1 -e gsm-full-rate" << 0x31;
}

// The file passes the check (and ADPCM decodes as sox decodes it); the player plays it at
// once, and in the editor Play, Stop (which keeps the position) and Prev (back to the start)
// work as for PCM, and the whole second plays to its end.
void TestSoundEncodings::encodingPlays() {
    QFETCH(QString, encoding);
    QFETCH(int, tag);

    const QString path = dir_.filePath(QStringLiteral("Dzwieki/ton.wav"));
    const QString made = soxTone(path, encoding.split(' '));
    QVERIFY2(made.isEmpty(), qPrintable(made));
    QVERIFY(WavHeader::isPlayableFile(path));
    const auto format = WavHeader::readFile(path);
    QCOMPARE(int(format->tag), tag);
    if (Adpcm::decodes(*format)) {
        checkDecodedAsSoxDoes(path, *format);
        if (QTest::currentTestFailed())
            return;
    }
    if (!haveSink())
        QSKIP("KIT_TEST_SINK is not set: no sound sink to play into (bash test.sh starts one)");
    const QString kro = scenarioWithSound(dir_.path());
    QVERIFY(!kro.isEmpty());

    {
        Player player;
        player.start(kro);
        QVERIFY(player.sound);
        QCOMPARE(child<SoundControl>(player.w.gra(), "MPWav")->state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(player.sound->position() > 0, 15000);
        QCOMPARE(player.boxes.boxes().size(), 0);
    }

    Editor editor;
    editor.open(kro);
    SoundControl& bar = *child<SoundControl>(editor.w, "MPwav");
    const QPointer<QtSoundDevice>& sound = editor.sound;
    QVERIFY(sound);
    QCOMPARE(bar.state(), State::Stopped);
    QCOMPARE(enabledButtons(bar), "P-R");

    click(bar.playButton());
    QCOMPARE(enabledButtons(bar), "-SR");
    QTRY_VERIFY_WITH_TIMEOUT(sound->position() >= 100, 15000);
    click(bar.stopButton());
    QCOMPARE(enabledButtons(bar), "P-R");
    QTest::qWait(100);
    const qint64 stoppedAt = sound->position();
    QTest::qWait(300);
    QVERIFY2(qAbs(sound->position() - stoppedAt) <= 20,
             qPrintable(QStringLiteral("%1 -> %2").arg(stoppedAt).arg(sound->position())));

    click(bar.playButton());
    QTRY_VERIFY_WITH_TIMEOUT(sound->position() > stoppedAt + 50, 15000);
    click(bar.prevButton());
    QCOMPARE(enabledButtons(bar), "P-R");
    QTRY_COMPARE_WITH_TIMEOUT(sound->position(), 0, 5000);

    // From the start to the end: the bar comes back to Play and Prev.
    click(bar.playButton());
    QCOMPARE(bar.state(), State::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(bar.state(), State::Stopped, 15000);
    QCOMPARE(enabledButtons(bar), "P-R");
    QVERIFY2(sound->position() >= 900, qPrintable(QString::number(sound->position())));
    QCOMPARE(editor.boxes.boxes().size(), 0);
}

void TestSoundEncodings::refusedAtOnce_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("unknown format tag") << "tag";
    QTest::newRow("header cut") << "cut";
    QTest::newRow("no data chunk") << "data";
    QTest::newRow("ADPCM of three channels") << "channels";
}

// A file the check refuses gives the device's error box at once, in the player and in the
// editor, and their sound controls stay closed.
void TestSoundEncodings::refusedAtOnce() {
    QFETCH(QString, fault);

    const QString path = dir_.filePath(QStringLiteral("Dzwieki/ton.wav"));
    const QString made = soxTone(path, {"-r", "8000", "-c", "1", "-e", "ima-adpcm"});
    QVERIFY2(made.isEmpty(), qPrintable(made));
    QByteArray bytes = readFile(path);
    QVERIFY(bytes.size() > 100);
    const qsizetype fmt = bytes.indexOf("fmt ") + 8;
    if (fault == "tag")
        qToLittleEndian<quint16>(0x4242, bytes.data() + fmt);
    else if (fault == "cut")
        bytes.truncate(fmt + 10);
    else if (fault == "data")
        bytes.replace(bytes.indexOf("data"), 4, "dat!");
    else
        qToLittleEndian<quint16>(3, bytes.data() + fmt + 2);
    QVERIFY(writeFile(path, bytes));
    QVERIFY(!WavHeader::isPlayableFile(path));
    if (!haveSink())
        QSKIP("KIT_TEST_SINK is not set: without a sound device every sound is refused");
    const QString kro = scenarioWithSound(dir_.path());
    QVERIFY(!kro.isEmpty());

    {
        Player player;
        player.boxes.expectError(QtSoundDevice::CannotPlayFileText);
        player.start(kro);
        QVERIFY(player.boxes.verifyAllShown());
        QCOMPARE(child<SoundControl>(player.w.gra(), "MPWav")->state(), State::Closed);
    }
    Editor editor;
    editor.boxes.expectError(QtSoundDevice::CannotPlayFileText);
    editor.open(kro);
    QVERIFY(editor.boxes.verifyAllShown());
    QCOMPARE(enabledButtons(*child<SoundControl>(editor.w, "MPwav")), "---");
}

void TestSoundEncodings::undecodableFileClosesTheBar_data() {
    QTest::addColumn<bool>("playAtOnce");
    QTest::newRow("opened, as in the editor") << false;
    QTest::newRow("opened and played, as in the player") << true;
}

// A file the check lets through but no decoder takes: as soon as the back end says so, the
// device closes and the bar disables its buttons, nothing shows as playing, and nothing is
// reported. The check is replaced here: the real one refuses such a file at once.
void TestSoundEncodings::undecodableFileClosesTheBar() {
    QFETCH(bool, playAtOnce);
    if (!haveSink())
        QSKIP("KIT_TEST_SINK is not set: no sound sink to play into (bash test.sh starts one)");
    const QString path = dir_.write(
        "nieznany.wav", riffWave(fmtChunk(0x4242, 1, 8000, 8) + riffChunk("data", toneWav(500))));
    QVERIFY(!WavHeader::isPlayableFile(path));

    const auto letThrough = [](const QString&, bool) { return WavHeader::Refusal::None; };
    SoundControl bar(std::make_unique<QtSoundDevice>(nullptr, letThrough));
    bar.setFileName(path);
    bar.setDeviceType(QStringLiteral("WaveAudio"));
    bar.open();
    if (playAtOnce)
        bar.play();
    QTRY_COMPARE_WITH_TIMEOUT(bar.state(), State::Closed, 15000);
    QTest::qWait(300);
    QCOMPARE(enabledButtons(bar), "---");

    // Opening it again fails again in the same way; a good file opened after it plays.
    bar.open();
    QTRY_COMPARE_WITH_TIMEOUT(bar.state(), State::Closed, 15000);
    bar.setFileName(dir_.write("dobry.wav", toneWav(300)));
    bar.open();
    bar.play();
    QCOMPARE(enabledButtons(bar), "-SR");
    QTRY_COMPARE_WITH_TIMEOUT(bar.state(), State::Stopped, 15000);
    QCOMPARE(enabledButtons(bar), "P-R");
}

KIT_TEST_MAIN(TestSoundEncodings)
#include "tst_sound_encodings.moc"
