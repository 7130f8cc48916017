#include "editor/EditorMedia.h"
#include "editor/model/ScenarioState.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/SoundControl.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The editor's media controls in a window of their own, over a session of the scenario
// "Las.Kro" in `scenarioFolder`.
struct MediaHost {
    std::shared_ptr<FakeSoundLog> sound = std::make_shared<FakeSoundLog>();
    QWidget window;
    QLabel* LaBmp = new QLabel(QStringLiteral("?.BMP"), &window);
    QLabel* LaWAV = new QLabel(QStringLiteral("?.Wav"), &window);
    PaintBox* PaObrazek = new PaintBox(&window);
    SoundControl* MPwav;
    PosixRecordFileFactory files;
    ScenarioState state{files};
    std::unique_ptr<EditorMedia> media;

    explicit MediaHost(const QString& scenarioFolder) {
        state.bind(scenarioFolder + QStringLiteral("Las.Kro"));
        MPwav = new SoundControl(FakeSoundDevice::factory(sound)(), &window);
        MPwav->setDeviceType(QStringLiteral("WaveAudio"));
        PaObrazek->setGeometry(12, 358, 128, 128);
        media = std::make_unique<EditorMedia>(
            EditorMedia::Controls{*LaBmp, *LaWAV, *PaObrazek, *MPwav}, state);
        PaObrazek->setPaintHandler([this](QPainter& p) { media->maluj(p); });
        window.resize(300, 520);
        window.show();
    }

    void name(const QString& bmp, const QString& wav) {
        state.setMedia(false, bmp);
        state.setMedia(true, wav);
    }
    void show(const QString& bmp, const QString& wav) {
        name(bmp, wav);
        media->czysc();
        media->pokaz();
    }
    // "N&owa" on the scenario (which must exist).
    void startNew() {
        state.openExisting();
        state.startNewSituation();
    }
    QColor centre() const { return PaObrazek->grab().toImage().pixelColor(64, 64); }
};

} // namespace

class TestEditorMedia : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Obrazki/las.bmp")),
                          solidBmp(40, 40, qRgb(0, 200, 0))));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Obrazki/zly.bmp")), "GIF89a"));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Dzwieki/Las.WAV")), toneWav(50)));
    }

    void showsWhatTheSituationNames_data() {
        QTest::addColumn<QString>("bmp");
        QTest::addColumn<QString>("wav");
        QTest::addColumn<QString>("bmpLabel");
        QTest::addColumn<QString>("wavLabel");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QString>("soundFile"); // in Dzwieki/, empty: control closed
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "?.BMP"
                                 << "?.WAV" << false << "";
        QTest::newRow("both") << "las.bmp"
                              << "las.wav"
                              << "las.bmp"
                              << "las.wav" << true << "Las.WAV";
        QTest::newRow("other case") << "LAS.BMP"
                                    << "LAS.wav"
                                    << "LAS.BMP"
                                    << "LAS.wav" << true << "Las.WAV";
        QTest::newRow("missing files") << "brak.bmp"
                                       << "brak.wav"
                                       << "brak.bmp"
                                       << "brak.wav" << false << "";
        QTest::newRow("outside the folders") << "../Obrazki/las.bmp"
                                             << "../Dzwieki/Las.WAV"
                                             << "../Obrazki/las.bmp"
                                             << "../Dzwieki/Las.WAV" << false << "";
    }
    void showsWhatTheSituationNames() {
        QFETCH(QString, bmp);
        QFETCH(QString, wav);
        QFETCH(QString, bmpLabel);
        QFETCH(QString, wavLabel);
        QFETCH(bool, picture);
        QFETCH(QString, soundFile);
        MediaHost host(dir_.path() + u'/');
        host.show(bmp, wav);
        QCOMPARE(host.centre(), picture ? QColor(0, 200, 0) : PictureBox::buttonFace());
        QCOMPARE(host.LaBmp->text(), bmpLabel);
        QCOMPARE(host.LaWAV->text(), wavLabel);
        const QString expectedFile =
            soundFile.isEmpty() ? QString() : dir_.filePath(QStringLiteral("Dzwieki/") + soundFile);
        QCOMPARE(host.MPwav->fileName(), expectedFile);
        QCOMPARE(host.MPwav->isOpen(), !soundFile.isEmpty());
        // The editor opens a sound but never plays it by itself.
        QVERIFY(!host.sound->calls.contains(u"play"));
        QCOMPARE(host.MPwav->playButton()->isEnabled(), !soundFile.isEmpty());
        if (!soundFile.isEmpty())
            QCOMPARE(host.sound->calls.last(),
                     QStringLiteral("open(%1, WaveAudio)").arg(expectedFile));
    }

    void clearingKeepsNamesUnlessTheSituationIsNew_data() {
        QTest::addColumn<bool>("nowa");
        QTest::newRow("saved situation") << false;
        QTest::newRow("new situation") << true;
    }
    void clearingKeepsNamesUnlessTheSituationIsNew() {
        QFETCH(bool, nowa);
        MediaHost host(dir_.path() + u'/');
        QVERIFY(writeScenario(dir_.filePath(QStringLiteral("Las.Kro")),
                              {describedSituation(QStringLiteral("Koniec"), Koniec),
                               describedSituation(QStringLiteral("Start"), Poczatek)}));
        host.show(QStringLiteral("las.bmp"), QStringLiteral("las.wav"));
        if (nowa)
            host.startNew();
        host.media->czysc();
        QCOMPARE(host.LaBmp->text(), QStringLiteral("?.BMP"));
        QCOMPARE(host.LaWAV->text(), QStringLiteral("?.WAV"));
        QVERIFY(!host.MPwav->isOpen());
        QVERIFY(host.MPwav->fileName().isEmpty());
        QCOMPARE(host.state.krok().Bmp.isEmpty(), nowa);
        QCOMPARE(host.state.rekord().Bmp.isEmpty(), nowa);
        QCOMPARE(host.state.krok().Wav.isEmpty(), nowa);
        QCOMPARE(host.state.rekord().Wav.isEmpty(), nowa);
    }

    // A choice of the media chooser reaches the situation, the record that saving writes, the
    // label, the box and the sound control in one step; an empty name takes the file away.
    void choiceIsAppliedEverywhere_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("soundFile"); // in the scenario folder; empty: none
        QTest::newRow("picture") << int(MediaKind::Pictures) << "las.bmp"
                                 << "las.bmp"
                                 << "Dzwieki/stary.wav";
        QTest::newRow("no picture") << int(MediaKind::Pictures) << ""
                                    << "?.BMP"
                                    << "Dzwieki/stary.wav";
        QTest::newRow("sound") << int(MediaKind::Sounds) << "Las.WAV"
                               << "Las.WAV"
                               << "Dzwieki/Las.WAV";
        QTest::newRow("no sound") << int(MediaKind::Sounds) << ""
                                  << "?.WAV"
                                  << "";
    }
    void choiceIsAppliedEverywhere() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, soundFile);
        MediaHost host(dir_.path() + u'/');
        host.name(QStringLiteral("stary.bmp"), QStringLiteral("stary.wav"));
        host.MPwav->setFileName(dir_.filePath(QStringLiteral("Dzwieki/stary.wav")));
        const auto mediaKind = static_cast<MediaKind>(kind);
        host.media->choose(mediaKind, name);
        const bool sound = mediaKind == MediaKind::Sounds;
        QCOMPARE((sound ? host.state.krok().Wav : host.state.krok().Bmp).text(), name);
        QCOMPARE((sound ? host.state.rekord().Wav : host.state.rekord().Bmp).text(), name);
        QCOMPARE((sound ? host.LaWAV : host.LaBmp)->text(), label);
        QCOMPARE(host.MPwav->fileName(),
                 soundFile.isEmpty() ? QString() : dir_.path() + u'/' + soundFile);
        if (!sound)
            QCOMPARE(host.centre(),
                     name.isEmpty() ? PictureBox::buttonFace() : QColor(qRgb(0, 200, 0)));
    }

    void badPictureIsReportedOnlyWhenShown() {
        MediaHost host(dir_.path() + u'/');
        host.name(QStringLiteral("zly.bmp"), QStringLiteral("las.wav"));
        host.media->czysc();
        try {
            host.media->pokaz();
            QFAIL("a bad picture must be reported");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), QStringLiteral("Bitmap image is not valid"));
        }
        // The sound step did not run; a repaint shows the plain box quietly.
        QVERIFY(!host.MPwav->isOpen());
        QCOMPARE(host.centre(), PictureBox::buttonFace());
        QCOMPARE(host.LaBmp->text(), QStringLiteral("zly.bmp"));
    }

    // A situation needs no sound: with a report set, the refusal goes there and the showing
    // goes on; without one, it is thrown once the rest is shown.
    void refusedSoundLeavesTheControlClosed_data() {
        QTest::addColumn<bool>("reported");
        QTest::newRow("thrown") << false;
        QTest::newRow("reported") << true;
    }
    void refusedSoundLeavesTheControlClosed() {
        QFETCH(bool, reported);
        MediaHost host(dir_.path() + u'/');
        QStringList reports;
        QStringList thrown;
        if (reported)
            host.media->setSoundReport([&](const AppError& e) { reports << e.message(); });
        host.sound->refuseNextOpen = QStringLiteral("Nie ma urzadzenia");
        host.name(QStringLiteral("las.bmp"), QStringLiteral("las.wav"));
        host.media->czysc();
        try {
            host.media->pokaz();
        } catch (const AppError& e) {
            thrown << e.message();
        }
        QCOMPARE(reported ? reports : thrown, QStringList{QStringLiteral("Nie ma urzadzenia")});
        QVERIFY((reported ? thrown : reports).isEmpty());
        QCOMPARE(host.centre(), QColor(0, 200, 0));
        QCOMPARE(host.LaWAV->text(), QStringLiteral("las.wav"));
        QVERIFY(!host.MPwav->isOpen());
        QVERIFY(!host.MPwav->playButton()->isEnabled());
        // The control forgot the file: opening it again (as enabling editing does) opens the
        // device alone and cannot fail on that sound.
        QVERIFY(host.MPwav->fileName().isEmpty());
    }

    // Without a sound server every sound fails to open: the editor reports it once and shows
    // the situation whole, and the next scenario still opens.
    void soundThatCannotOpenLeavesTheSituationShown() {
        const QString las = dir_.filePath(QStringLiteral("Las.Kro"));
        const QString drugi = dir_.filePath(QStringLiteral("Drugi.Kro"));
        Situation start =
            describedSituation(QStringLiteral("Start"), Poczatek, {}, {QStringLiteral("Dalej")});
        start.bmp = QStringLiteral("las.bmp");
        start.wav = QStringLiteral("las.wav");
        QVERIFY(writeScenario(las, {describedSituation(QStringLiteral("Koniec"), Koniec), start}));
        QVERIFY(writeScenario(drugi, {describedSituation(QStringLiteral("Koniec"), Koniec),
                                      describedSituation(QStringLiteral("Drugi"), Poczatek)}));
        const QString noDriver = QStringLiteral("There is no driver installed on your system.");
        EditorUnderTest<RecordingMessageBoxes, PosixRecordFileFactory> editor;
        editor.sound->refuseEveryOpen = noDriver;
        editor.boxes.expectError(noDriver);
        editor.open(las);
        QVERIFY(editor.boxes.verifyAllShown());
        QCOMPARE(child<QLineEdit>(editor.w, "ENazwa")->text(), QStringLiteral("Start"));
        QCOMPARE(child<QLineEdit>(editor.w, "EWybor1")->text(), QStringLiteral("Dalej"));
        QCOMPARE(child<PaintBox>(editor.w, "PaObrazek")->grab().toImage().pixelColor(64, 64),
                 QColor(0, 200, 0));
        QCOMPARE(child<QLabel>(editor.w, "LaWAV")->text(), QStringLiteral("las.wav"));
        QVERIFY(!child<SoundControl>(editor.w, "MPwav")->isOpen());
        editor.open(drugi);
        QVERIFY(editor.boxes.verifyAllShown());
        QCOMPARE(child<QLabel>(editor.w, "FileNameS")->text(), drugi);
        QCOMPARE(child<QLineEdit>(editor.w, "ENazwa")->text(), QStringLiteral("Drugi"));
    }

private:
    QTemporaryDir dir_;
};

KIT_TEST_MAIN(TestEditorMedia)
#include "tst_editor_media.moc"
