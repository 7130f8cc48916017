#include "editor/EditorWindows.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/SoundControl.h"
#include "tests/support/Child.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/ScriptedFileDialog.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kTooLong = QStringLiteral("Nazwa pliku jest za dluga (najwyzej 20 znakow)");
const QString kLongPicture = QStringLiteral("dlugaNazwaObrazkaLasu.bmp"); // 25 characters
const QString kLongSound = QStringLiteral("dlugaNazwaDzwiekuLasu.wav");   // 25 characters
const QRgb kOld = qRgb(200, 0, 0);
const QRgb kNew = qRgb(0, 160, 0);

// Both windows as the program builds them, with fakes for the services.
struct Kit {
    RecordingMessageBoxes boxes;
    ScriptedFileDialog dialog;
    FaultyRecordFileFactory files;
    std::shared_ptr<FakeSoundLog> sound = std::make_shared<FakeSoundLog>();
    EditorWindows windows{EditorServices{boxes, dialog, files, FakeSoundDevice::factory(sound)}};
    TFoRPGEdit& edytor = windows.edytor;
    TFoPliki& pliki = windows.pliki;

    Kit() {
        edytor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edytor));
    }
    void open(const QString& path) {
        dialog.answer(path);
        QTest::mouseClick(child<QPushButton>(edytor, "BuOtworz"), Qt::LeftButton);
    }
    void openChooser(bool sounds) {
        QTest::mouseClick(sounds ? child<QPushButton>(edytor, "BuWav")
                                 : child<QPushButton>(edytor, "BuBmp"),
                          Qt::LeftButton);
        QVERIFY(pliki.isVisible());
    }
    void select(const QString& name) {
        const QList<QListWidgetItem*> items =
            child<QListWidget>(pliki, "FLBPliki")->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(
            child<QListWidget>(pliki, "FLBPliki")->viewport(), Qt::LeftButton, {},
            child<QListWidget>(pliki, "FLBPliki")->visualItemRect(items.first()).center());
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < child<QListWidget>(pliki, "FLBPliki")->count(); ++i)
            names << child<QListWidget>(pliki, "FLBPliki")->item(i)->text();
        return names;
    }
    QColor centre() const {
        return child<PaintBox>(edytor, "PaObrazek")->grab().toImage().pixelColor(64, 64);
    }
    void playSound() {
        QTest::mouseClick(child<SoundControl>(edytor, "MPwav")->playButton(), Qt::LeftButton);
        QCOMPARE(child<SoundControl>(edytor, "MPwav")->state(), SoundDevice::State::Playing);
    }
};

QByteArray textAt(const QString& kro, int record, int offset) {
    QFile f(kro);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = f.readAll();
    const int at = record * 516 + offset;
    return bytes.mid(at + 1, static_cast<unsigned char>(bytes[at]));
}

// The first and last column of the button's pixels near `colour`, or (-1, -1).
std::pair<int, int> columnsOf(QWidget* button, QRgb colour) {
    const QImage image = button->grab().toImage();
    int left = -1, right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                    std::abs(qBlue(p) - qBlue(colour)) <
                90) {
                left = left < 0 ? x : std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

} // namespace

class TestPliki : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_.renew();
        kro_ = folder_.filePath(QStringLiteral("Zamek.Kro"));
        const auto sit = [](const char* nazwa, std::uint8_t typ) {
            Situation s;
            s.nazwa = QString::fromUtf8(nazwa);
            s.typ = typ;
            s.opis = QStringLiteral("Opis ") + s.nazwa;
            return s;
        };
        Situation start = sit("Start", Poczatek);
        start.wybory[0] = QStringLiteral("Dalej");
        start.cele = {2, 0, 0, 0};
        start.bmp = QStringLiteral("stary.bmp");
        start.wav = QStringLiteral("stary.wav");
        const Situation koniec = sit("Default Koniec", Koniec);
        const Situation sala = sit("Sala", Koniec);
        QVERIFY(writeScenario(kro_, {koniec, start, sala}));
        writeMedia();
    }
    // The chooser alone answers by signal: a file chosen (an empty name: none), then closed;
    // closing in any other way says only that it closed.
    void chooserAnswersBySignal_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("press");  // a button's name, or "Escape"
        QTest::addColumn<QString>("chosen"); // "-": no choice
        QTest::addColumn<bool>("stays");     // the chooser stays open (a refused name)
        const int pictures = int(MediaKind::Pictures);
        const int sounds = int(MediaKind::Sounds);
        QTest::newRow("OK on a picture") << pictures << "Las.BMP"
                                         << "BitBtn1"
                                         << "Las.BMP" << false;
        QTest::newRow("OK on a sound") << sounds << "burza.wav"
                                       << "BitBtn1"
                                       << "burza.wav" << false;
        QTest::newRow("OK with nothing selected") << pictures << ""
                                                  << "BitBtn1"
                                                  << "-" << false;
        QTest::newRow("no file") << sounds << "burza.wav"
                                 << "BuNic"
                                 << "" << false;
        QTest::newRow("Cancel") << pictures << "Las.BMP"
                                << "BBCancel"
                                << "-" << false;
        QTest::newRow("Escape") << sounds << "burza.wav"
                                << "Escape"
                                << "-" << false;
        QTest::newRow("a name too long") << pictures << kLongPicture << "BitBtn1"
                                         << "-" << true;
    }
    void chooserAnswersBySignal() {
        QFETCH(int, mode);
        QFETCH(QString, select);
        QFETCH(QString, press);
        QFETCH(QString, chosen);
        QFETCH(bool, stays);
        RecordingMessageBoxes boxes;
        TFoPliki pliki(boxes);
        QSignalSpy choices(&pliki, &TFoPliki::mediaChosen);
        QSignalSpy closings(&pliki, &TFoPliki::closed);
        pliki.openFor(static_cast<MediaKind>(mode), folder_.path() + u'/');
        QVERIFY(pliki.isVisible());
        if (!select.isEmpty())
            child<QListWidget>(pliki, "FLBPliki")
                ->setCurrentItem(child<QListWidget>(pliki, "FLBPliki")
                                     ->findItems(select, Qt::MatchExactly)
                                     .value(0));
        if (stays)
            boxes.expectMessage(TFoPliki::NameTooLongMessage);
        if (press == u"Escape")
            QTest::keyClick(child<QListWidget>(pliki, "FLBPliki"), Qt::Key_Escape);
        else
            pliki.findChild<QPushButton*>(press)->click();
        QVERIFY(boxes.verifyAllShown());
        QCOMPARE(choices.size(), chosen == u"-" ? 0 : 1);
        if (!choices.isEmpty()) {
            QCOMPARE(choices.first().at(0).value<MediaKind>(), static_cast<MediaKind>(mode));
            QCOMPARE(choices.first().at(1).toString(), chosen);
        }
        QCOMPARE(closings.size(), stays ? 0 : 1);
        QCOMPARE(pliki.isVisible(), stays);
    }

    void controlsSitWhereTheyBelong_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("FLBPliki") << "FLBPliki" << QRect(8, 4, 193, 97) << "";
        QTest::newRow("BitBtn1") << "BitBtn1" << QRect(6, 108, 67, 29) << "OK";
        QTest::newRow("BuNic") << "BuNic" << QRect(80, 108, 49, 29) << "?.BMP";
        QTest::newRow("BBCancel") << "BBCancel" << QRect(136, 108, 65, 29) << "Cancel";
    }
    void controlsSitWhereTheyBelong() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        Kit kit;
        QVERIFY(!kit.pliki.isVisible());
        QCOMPARE(kit.pliki.windowTitle(), QStringLiteral("Wybor pliku"));
        QCOMPARE(kit.pliki.size(), QSize(205, 141));
        auto* control = kit.pliki.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(control->font().pixelSize(), 13);
        if (auto* button = qobject_cast<QPushButton*>(control))
            QCOMPARE(button->text(), caption);
    }

    void buttonsListAndTabOrder() {
        Kit kit;
        kit.open(kro_);
        kit.openChooser(false);
        QVERIFY(child<QPushButton>(kit.pliki, "BitBtn1")->isDefault());
        QCOMPARE(child<QListWidget>(kit.pliki, "FLBPliki")
                     ->visualItemRect(child<QListWidget>(kit.pliki, "FLBPliki")->item(0))
                     .height(),
                 15);
        QStringList order;
        QWidget* w = child<QListWidget>(kit.pliki, "FLBPliki");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != child<QListWidget>(kit.pliki, "FLBPliki"));
        QCOMPARE(order, QStringList({"FLBPliki", "BitBtn1", "BuNic", "BBCancel"}));
        // The tick stands left of "OK", the cross right of "Cancel".
        const auto tick = columnsOf(child<QPushButton>(kit.pliki, "BitBtn1"), qRgb(0, 128, 0));
        QVERIFY(tick.first >= 0);
        QVERIFY(tick.second <
                columnsOf(child<QPushButton>(kit.pliki, "BitBtn1"), qRgb(0, 0, 0)).first);
        const auto cross = columnsOf(child<QPushButton>(kit.pliki, "BBCancel"), qRgb(192, 0, 0));
        QVERIFY(cross.first >= 0);
        QVERIFY(cross.first >
                columnsOf(child<QPushButton>(kit.pliki, "BBCancel"), qRgb(0, 0, 0)).second);
        QTest::mouseClick(child<QPushButton>(kit.pliki, "BBCancel"), Qt::LeftButton);
    }

    void choosingStoresShowsAndDrawsAtOnce_data() {
        QTest::addColumn<bool>("sounds");
        QTest::addColumn<QString>("name"); // empty: BuNic
        QTest::newRow("picture") << false << "Las.BMP";
        QTest::newRow("sound") << true << "Ptaki.WAV";
        QTest::newRow("20 characters") << false << "dwadziescia_znak.bmp";
        QTest::newRow("no picture") << false << "";
        QTest::newRow("no sound") << true << "";
    }
    void choosingStoresShowsAndDrawsAtOnce() {
        QFETCH(bool, sounds);
        QFETCH(QString, name);
        Kit kit;
        kit.open(kro_);
        QCOMPARE(kit.centre(), QColor(kOld));
        kit.openChooser(sounds);
        QVERIFY(!kit.edytor.isEnabled());
        QCOMPARE(child<QPushButton>(kit.pliki, "BuNic")->text(),
                 sounds ? QStringLiteral("?.WAV") : QStringLiteral("?.BMP"));
        if (!name.isEmpty())
            kit.select(name);
        kit.sound->calls.clear();
        PaintCounter paints(child<PaintBox>(kit.edytor, "PaObrazek"));
        (name.isEmpty() ? child<QPushButton>(kit.pliki, "BuNic")
                        : child<QPushButton>(kit.pliki, "BitBtn1"))
            ->click();

        QVERIFY(kit.edytor.isEnabled());
        QVERIFY(!kit.pliki.isVisible());
        const ScenarioState& s = kit.edytor.state();
        const QString bmp = sounds ? QStringLiteral("stary.bmp") : name;
        const QString wav = sounds ? name : QStringLiteral("stary.wav");
        QCOMPARE(s.krok().Bmp.text(), bmp);
        QCOMPARE(s.rekord().Bmp.text(), bmp);
        QCOMPARE(s.krok().Wav.text(), wav);
        QCOMPARE(s.rekord().Wav.text(), wav);
        QCOMPARE(child<QLabel>(kit.edytor, "LaBmp")->text(),
                 bmp.isEmpty() ? QStringLiteral("?.BMP") : bmp);
        QCOMPARE(child<QLabel>(kit.edytor, "LaWAV")->text(),
                 wav.isEmpty() ? QStringLiteral("?.WAV") : wav);
        // A picture is drawn before the click returns; a sound leaves the picture alone.
        QCOMPARE(paints.count > 0, !sounds);
        QCOMPARE(kit.centre(), sounds           ? QColor(kOld)
                               : name.isEmpty() ? PictureBox::buttonFace()
                                                : QColor(kNew));
        // Without a sound the control is open on no file.
        const QString soundFile =
            wav.isEmpty() ? QString() : folder_.filePath(QStringLiteral("Dzwieki/") + wav);
        QCOMPARE(child<SoundControl>(kit.edytor, "MPwav")->fileName(), soundFile);
        QVERIFY(child<SoundControl>(kit.edytor, "MPwav")->isOpen());
        QCOMPARE(kit.sound->calls,
                 QStringList({"close", QStringLiteral("open(%1, WaveAudio)").arg(soundFile)}));
    }

    void nameTooLongIsRefused_data() {
        QTest::addColumn<bool>("sounds");
        QTest::addColumn<QString>("name");
        QTest::newRow("picture") << false << kLongPicture;
        QTest::newRow("sound") << true << kLongSound;
    }
    void nameTooLongIsRefused() {
        QFETCH(bool, sounds);
        QFETCH(QString, name);
        Kit kit;
        kit.open(kro_);
        kit.openChooser(sounds);
        kit.select(name);
        const TRekordKroku before = kit.edytor.state().rekord();
        kit.sound->calls.clear();
        kit.boxes.expectMessage(kTooLong);
        QTest::keyClick(child<QListWidget>(kit.pliki, "FLBPliki"), Qt::Key_Return);
        QVERIFY(kit.boxes.verifyAllShown());

        // Nothing changed, and the chooser waits for another choice.
        QVERIFY(kit.pliki.isVisible());
        QVERIFY(!kit.edytor.isEnabled());
        const ScenarioState& s = kit.edytor.state();
        QCOMPARE(s.krok().Bmp.text(), QStringLiteral("stary.bmp"));
        QCOMPARE(s.krok().Wav.text(), QStringLiteral("stary.wav"));
        QVERIFY(std::memcmp(&before, &s.rekord(), sizeof before) == 0);
        QCOMPARE(child<QLabel>(kit.edytor, "LaBmp")->text(), QStringLiteral("stary.bmp"));
        QCOMPARE(child<QLabel>(kit.edytor, "LaWAV")->text(), QStringLiteral("stary.wav"));
        QVERIFY(kit.sound->calls.isEmpty());
        QCOMPARE(kit.centre(), QColor(kOld));
    }

    void everyWayOfClosingStopsTheSoundOnce_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("bmp"); // the picture name afterwards
        QTest::newRow("OK") << "OK" << true << "brzoza.bmp";
        QTest::newRow("OK, nothing selected") << "OK" << false << "stary.bmp";
        QTest::newRow("Enter") << "Enter" << true << "brzoza.bmp";
        QTest::newRow("BuNic") << "BuNic" << true << "";
        QTest::newRow("Cancel") << "Cancel" << true << "stary.bmp";
        QTest::newRow("Esc") << "Esc" << true << "stary.bmp";
        QTest::newRow("close box") << "close" << true << "stary.bmp";
    }
    void everyWayOfClosingStopsTheSoundOnce() {
        QFETCH(QString, way);
        QFETCH(bool, select);
        QFETCH(QString, bmp);
        Kit kit;
        kit.open(kro_);
        kit.playSound();
        kit.openChooser(false);
        if (select)
            kit.select(QStringLiteral("brzoza.bmp"));
        kit.sound->calls.clear();
        if (way == QStringLiteral("OK"))
            QTest::mouseClick(child<QPushButton>(kit.pliki, "BitBtn1"), Qt::LeftButton);
        else if (way == QStringLiteral("Enter"))
            QTest::keyClick(child<QListWidget>(kit.pliki, "FLBPliki"), Qt::Key_Return);
        else if (way == QStringLiteral("BuNic"))
            QTest::mouseClick(child<QPushButton>(kit.pliki, "BuNic"), Qt::LeftButton);
        else if (way == QStringLiteral("Cancel"))
            QTest::mouseClick(child<QPushButton>(kit.pliki, "BBCancel"), Qt::LeftButton);
        else if (way == QStringLiteral("Esc"))
            QTest::keyClick(child<QListWidget>(kit.pliki, "FLBPliki"), Qt::Key_Escape);
        else
            kit.pliki.close();

        QVERIFY(kit.edytor.isEnabled());
        QVERIFY(!kit.pliki.isVisible());
        QCOMPARE(kit.edytor.state().krok().Bmp.text(), bmp);
        QCOMPARE(child<QLabel>(kit.edytor, "LaBmp")->text(),
                 bmp.isEmpty() ? QStringLiteral("?.BMP") : bmp);
        // Reopened once, on the same file: the sound stopped and went back to the start.
        const QString file = folder_.filePath(QStringLiteral("Dzwieki/stary.wav"));
        QCOMPARE(kit.sound->calls,
                 QStringList({"close", QStringLiteral("open(%1, WaveAudio)").arg(file)}));
        QCOMPARE(child<SoundControl>(kit.edytor, "MPwav")->state(), SoundDevice::State::Stopped);
        QCOMPARE(kit.sound->device->position(), FakeSoundDevice::Position::Start);
    }

    void eachOpeningListsItsFolder() {
        Kit kit;
        kit.open(kro_);
        const QStringList pictures{"brzoza.bmp", kLongPicture, "dwadziescia_znak.bmp", "Las.BMP",
                                   "stary.bmp"};
        const QStringList sounds{"burza.wav", kLongSound, "Ptaki.WAV", "stary.wav"};
        kit.openChooser(false);
        QCOMPARE(kit.listed(), pictures);
        QVERIFY(child<QListWidget>(kit.pliki, "FLBPliki")->selectedItems().isEmpty());
        QCOMPARE(kit.pliki.mode(), TFoPliki::Mode::Pictures);
        kit.select(QStringLiteral("Las.BMP"));
        QTest::keyClick(child<QListWidget>(kit.pliki, "FLBPliki"), Qt::Key_Escape);

        kit.openChooser(true);
        QCOMPARE(kit.listed(), sounds);
        QVERIFY(child<QListWidget>(kit.pliki, "FLBPliki")->selectedItems().isEmpty());
        QCOMPARE(child<QPushButton>(kit.pliki, "BuNic")->text(), QStringLiteral("?.WAV"));
        QCOMPARE(kit.pliki.mode(), TFoPliki::Mode::Sounds);
        QTest::keyClick(child<QListWidget>(kit.pliki, "FLBPliki"), Qt::Key_Escape);

        // A picture added meanwhile is listed at the next opening.
        folder_.write(QStringLiteral("Obrazki/Akacja.Bmp"), solidBmp(4, 4, kNew));
        kit.openChooser(false);
        QCOMPARE(kit.listed(), QStringList{"Akacja.Bmp"} + pictures);
        QCOMPARE(child<QPushButton>(kit.pliki, "BuNic")->text(), QStringLiteral("?.BMP"));
        QTest::keyClick(child<QListWidget>(kit.pliki, "FLBPliki"), Qt::Key_Escape);
    }

    void saveWritesTheNamesAndRestoreBringsTheOldOnesBack_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("save") << true;
        QTest::newRow("restore") << false;
    }
    void saveWritesTheNamesAndRestoreBringsTheOldOnesBack() {
        QFETCH(bool, save);
        Kit kit;
        kit.open(kro_);
        kit.openChooser(false);
        kit.select(QStringLiteral("Las.BMP"));
        QTest::mouseClick(child<QPushButton>(kit.pliki, "BitBtn1"), Qt::LeftButton);
        kit.openChooser(true);
        kit.select(QStringLiteral("Ptaki.WAV"));
        QTest::mouseClick(child<QPushButton>(kit.pliki, "BitBtn1"), Qt::LeftButton);
        QTest::mouseClick(save ? child<QPushButton>(kit.edytor, "BuZapisz")
                               : child<QPushButton>(kit.edytor, "BuPrzywroc"),
                          Qt::LeftButton);

        const QByteArray bmp = save ? "Las.BMP" : "stary.bmp";
        const QByteArray wav = save ? "Ptaki.WAV" : "stary.wav";
        QCOMPARE(textAt(kro_, 1, 456), bmp);
        QCOMPARE(textAt(kro_, 1, 477), wav);
        QCOMPARE(kit.edytor.state().krok().Bmp.bytes(), bmp);
        QCOMPARE(kit.edytor.state().krok().Wav.bytes(), wav);
        QCOMPARE(child<QLabel>(kit.edytor, "LaBmp")->text(), QString::fromLatin1(bmp));
        QCOMPARE(child<QLabel>(kit.edytor, "LaWAV")->text(), QString::fromLatin1(wav));
        QCOMPARE(kit.centre(), QColor(save ? kNew : kOld));
    }

    void missingFolderGivesAnEmptyList_data() {
        QTest::addColumn<bool>("sounds");
        QTest::newRow("pictures") << false;
        QTest::newRow("sounds") << true;
    }
    void missingFolderGivesAnEmptyList() {
        QFETCH(bool, sounds);
        for (const char* media : {"Obrazki", "Dzwieki"})
            QVERIFY(QDir(folder_.filePath(QLatin1String(media))).removeRecursively());
        Kit kit;
        kit.open(kro_);
        kit.openChooser(sounds);
        QCOMPARE(child<QListWidget>(kit.pliki, "FLBPliki")->count(), 0);
        const TRekordKroku before = kit.edytor.state().rekord();
        QTest::mouseClick(child<QPushButton>(kit.pliki, "BitBtn1"), Qt::LeftButton);
        QVERIFY(!kit.pliki.isVisible());
        QVERIFY(kit.edytor.isEnabled());
        QVERIFY(std::memcmp(&before, &kit.edytor.state().rekord(), sizeof before) == 0);
        QCOMPARE(kit.edytor.state().krok().Bmp.text(), QStringLiteral("stary.bmp"));
        QCOMPARE(kit.edytor.state().krok().Wav.text(), QStringLiteral("stary.wav"));
    }

    void soundThatCannotBeOpenedIsReportedAfterTheChooserHid() {
        Kit kit;
        kit.open(kro_);
        kit.openChooser(true);
        kit.select(QStringLiteral("Ptaki.WAV"));
        kit.sound->refuseNextOpen = QStringLiteral("Nie ma urzadzenia");
        kit.boxes.expectError(QStringLiteral("Nie ma urzadzenia"));
        QTest::mouseClick(child<QPushButton>(kit.pliki, "BitBtn1"), Qt::LeftButton);
        QVERIFY(kit.boxes.verifyAllShown());
        QVERIFY(!kit.pliki.isVisible());
        QVERIFY(kit.edytor.isEnabled());
        QCOMPARE(child<QLabel>(kit.edytor, "LaWAV")->text(), QStringLiteral("Ptaki.WAV"));
        QVERIFY(!child<SoundControl>(kit.edytor, "MPwav")->isOpen());
    }

private:
    // Counts the paint events of a widget while it lives.
    struct PaintCounter : QObject {
        int count = 0;
        explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Paint;
            return false;
        }
    };

    void writeMedia() {
        folder_.write(QStringLiteral("Obrazki/stary.bmp"), solidBmp(40, 40, kOld));
        for (const QString& name : {QStringLiteral("Las.BMP"), QStringLiteral("brzoza.bmp"),
                                    QStringLiteral("dwadziescia_znak.bmp"), kLongPicture})
            folder_.write(QStringLiteral("Obrazki/") + name, solidBmp(40, 40, kNew));
        // Neither a hidden file, nor another kind, nor a folder is listed.
        folder_.write(QStringLiteral("Obrazki/.ukryty.bmp"), solidBmp(4, 4, kNew));
        folder_.write(QStringLiteral("Obrazki/notatki.txt"), "tekst");
        folder_.write(QStringLiteral("Obrazki/folder.bmp/las.bmp"), solidBmp(4, 4, kNew));
        for (const QString& name : {QStringLiteral("stary.wav"), QStringLiteral("Ptaki.WAV"),
                                    QStringLiteral("burza.wav"), kLongSound})
            folder_.write(QStringLiteral("Dzwieki/") + name, toneWav(30));
    }

    TestFolder folder_;
    QString kro_;
};

KIT_TEST_MAIN(TestPliki)
#include "tst_pliki.moc"
