#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/MediaFile.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/SoundControl.h"
#include "player/CommandLine.h"
#include "player/PlayerWindows.h"
#include "tests/support/Child.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/PlayerUnderTest.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

// The player as its program start builds it, with fakes for the services.
using Player = PlayerUnderTest<RecordingMessageBoxes, FaultyRecordFileFactory>;

Situation sit(const QString& name, std::uint8_t typ,
              std::array<std::int32_t, 4> cele = {0, 0, 0, 0}, const QString& bmp = {},
              const QString& wav = {}) {
    Situation s;
    s.nazwa = name;
    s.typ = typ;
    s.opis = QStringLiteral("Opis: ") + name;
    s.wybory = {name + QStringLiteral(" 1"), name + QStringLiteral(" 2"),
                name + QStringLiteral(" 3"), name + QStringLiteral(" 4")};
    s.cele = cele;
    s.bmp = bmp;
    s.wav = wav;
    return s;
}

// Counts the showings of the windows it watches.
struct ShowCounter : QObject {
    int count = 0;
    explicit ShowCounter(std::initializer_list<QWidget*> windows) {
        for (QWidget* window : windows)
            window->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            ++count;
        return false;
    }
};

// The command line of the program called with `arguments`.
PlayerCommandLine commandLine(const QStringList& arguments) {
    return PlayerCommandLine::read(QStringList{QStringLiteral("Zozozarov")} + arguments);
}

// The colour at the centre of the game's picture box.
QColor boxCentre(TFoRpgGra& gra) {
    return child<PaintBox>(gra, "PaObrazek")->grab().toImage().pixelColor(64, 64);
}

} // namespace

class TestPlayer : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }
    void cleanup() { QVERIFY(QDir::setCurrent(startFolder_)); }

    void startsWithTheMenuAlone() {
        Player p;
        QVERIFY(p.menu.isVisible());
        QVERIFY(!p.gra.isVisible());
        QVERIFY(!p.lista.isVisible());
        QCOMPARE(p.menu.windowTitle(), QStringLiteral("Menu"));
        QCOMPARE(p.menu.size(), QSize(260, 218));
        QCOMPARE(p.gra.size(), QSize(439, 318));
        QCOMPARE(p.buttons(), QStringLiteral("1111"));
        QVERIFY(!child<SoundControl>(p.gra, "MPWav")->isVisible());
    }

    void controlsSitWhereTheyBelong_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("BuStart") << "menu"
                                 << "BuStart" << QRect(85, 63, 89, 33) << "&Start:";
        QTest::newRow("BuKoniec") << "menu"
                                  << "BuKoniec" << QRect(85, 157, 89, 33) << "&Koniec";
        QTest::newRow("BuPlansza") << "menu"
                                   << "BuPlansza" << QRect(48, 122, 161, 33) << "Wybór Scenariusza";
        QTest::newRow("BuTworcy") << "menu"
                                  << "BuTworcy" << QRect(0, 200, 49, 17) << "Twórcy";
        QTest::newRow("Label4") << "menu"
                                << "Label4" << QRect(24, 96, 209, 15) << "";
        QTest::newRow("BuWyjscie") << "gra"
                                   << "BuWyjscie" << QRect(360, 280, 74, 25) << "&Wyjście";
        QTest::newRow("BuWybor1") << "gra"
                                  << "BuWybor1" << QRect(16, 180, 33, 29) << "1";
        QTest::newRow("BuWybor4") << "gra"
                                  << "BuWybor4" << QRect(16, 276, 33, 29) << "4";
        QTest::newRow("LaWybor2") << "gra"
                                  << "LaWybor2" << QRect(60, 220, 293, 19) << "";
        QTest::newRow("LaWybor4") << "gra"
                                  << "LaWybor4" << QRect(60, 284, 293, 15) << "";
        QTest::newRow("MeOpis") << "gra"
                                << "MeOpis" << QRect(16, 16, 241, 145) << "";
        QTest::newRow("PaObrazek") << "gra"
                                   << "PaObrazek" << QRect(288, 24, 128, 128) << "";
        QTest::newRow("Bevel1") << "gra"
                                << "Bevel1" << QRect(280, 16, 145, 145) << "";
        QTest::newRow("BitBtn1") << "lista"
                                 << "BitBtn1" << QRect(84, 152, 66, 24) << "OK";
        QTest::newRow("Label8") << "lista"
                                << "Label8" << QRect(17, 129, 200, 15) << "";
    }
    void controlsSitWhereTheyBelong() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        Player p;
        QWidget* owner = window == u"menu"  ? static_cast<QWidget*>(&p.menu)
                         : window == u"gra" ? static_cast<QWidget*>(&p.gra)
                                            : static_cast<QWidget*>(&p.lista);
        auto* widget = owner->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto* button = qobject_cast<QPushButton*>(widget))
            QCOMPARE(button->text(), text);
    }

    void tabOrderOfTheGame() {
        Player p;
        QWidget* expected[] = {p.choice(1), p.choice(2), p.choice(3), p.choice(4), p.description()};
        QWidget* w = child<QPushButton>(p.gra, "BuWyjscie");
        for (QWidget* next : expected) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            QCOMPARE(w, next);
        }
    }

    void startWithoutScenarioAsksForOne() {
        Player p;
        p.boxes.expectMessage(QStringLiteral("Wybierz Scenariusz"));
        p.start();
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.menu.isVisible());
        QVERIFY(!p.gra.isVisible());
    }

    void cancelKeepsTheEarlierChoice() {
        Player p;
        const QString kro = dir_.filePath(QStringLiteral("Zamek.Kro"));
        p.choose(kro);
        p.dialog.cancel();
        QTest::mouseClick(child<QPushButton>(p.menu, "BuPlansza"), Qt::LeftButton);
        QCOMPARE(p.menu.scenario().path, kro);
        QCOMPARE(p.menu.scenario().folder, dir_.path() + u'/');
        QCOMPARE(child<QLabel>(p.menu, "Label4")->text(), kro);
    }

    void longPathKeepsItsEndVisible() {
        Player p;
        const QString name = QStringLiteral("Zamek.Kro");
        p.choose(QStringLiteral("/bardzo/dluga/sciezka/do/folderu/ze/scenariuszami/gry/") + name);
        QLabel* label4 = child<QLabel>(p.menu, "Label4");
        QCOMPARE(label4->size(), QSize(209, 15));
        const QImage longPath = label4->grab().toImage();
        label4->setText(name);
        const QImage nameOnly = label4->grab().toImage();
        // The right end shows the file name exactly as the name alone would.
        QCOMPARE(longPath.copy(150, 0, 59, 15), nameOnly.copy(150, 0, 59, 15));
        QVERIFY(longPath.copy(0, 0, 100, 15) != nameOnly.copy(0, 0, 100, 15));
    }

    void buttonsFollowTheType_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<QString>("buttons");
        QTest::newRow("Poczatek") << 0 << "1000";
        QTest::newRow("Normalny") << 1 << "1111";
        QTest::newRow("Koniec") << 2 << "0000";
        QTest::newRow("Wybory1") << 3 << "1000";
        QTest::newRow("Wybory2") << 4 << "1100";
        QTest::newRow("Wybory3") << 5 << "1110";
        QTest::newRow("6 leaves them") << 6 << "1111";
        QTest::newRow("255 leaves them") << 255 << "1111";
    }
    void buttonsFollowTheType() {
        QFETCH(int, typ);
        QFETCH(QString, buttons);
        const QString kro = dir_.filePath(QStringLiteral("Typy.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}),
                                    sit("Wszystkie", Normalny, {3, 3, 3, 3}),
                                    sit("Badana", static_cast<std::uint8_t>(typ))}));
        Player p;
        p.choose(kro);
        p.start();
        QCOMPARE(p.buttons(), QStringLiteral("1000"));
        p.press(1);
        QCOMPARE(p.buttons(), QStringLiteral("1111"));
        if (typ == Koniec)
            p.boxes.expectMessage(QStringLiteral("To juz koniec gry"));
        p.press(4);
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(p.buttons(), buttons);
        // The end situation stays on screen.
        QCOMPARE(p.description()->toPlainText(), QStringLiteral("Opis: Badana"));
        QCOMPARE(p.choiceText(4)->text(), QStringLiteral("Badana 4"));
    }

    void choiceButtonsAreNamedByTheirChoices_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("names");
        const QStringList every = {"Na lewo", "Na prawo", "Wstecz", "Czekaj"};
        QTest::newRow("every text") << every << every;
        QTest::newRow("empty texts by their numbers")
            << QStringList{"Na lewo", "", "Wstecz", ""}
            << QStringList{"Na lewo", "Wybór 2", "Wstecz", "Wybór 4"};
    }
    void choiceButtonsAreNamedByTheirChoices() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, names);
        const QString kro = dir_.filePath(QStringLiteral("Nazwy.Kro"));
        Situation dalej = sit("Dalej", Normalny, {2, 2, 2, 9});
        std::copy(texts.begin(), texts.end(), dalej.wybory.begin());
        QVERIFY(writeScenario(
            kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}), dalej}));
        Player p;
        const auto spoken = [&p] {
            QStringList s;
            for (auto* b : {p.choice(1), p.choice(2), p.choice(3), p.choice(4)})
                s << b->accessibleName();
            return s;
        };
        p.choose(kro);
        p.start();
        QCOMPARE(spoken(), (QStringList{"Start 1", "Start 2", "Start 3", "Start 4"}));
        p.press(1);
        QCOMPARE(spoken(), names);
        QCOMPARE(p.description()->accessibleDescription(), QStringLiteral("Opis: Dalej"));
        // A step that fails clears the window, but the buttons still lead where they led.
        p.boxes.expectError(QStringLiteral("Read beyond end of file"));
        p.press(4);
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.cleared());
        QCOMPARE(spoken(), names);
        QVERIFY(p.description()->accessibleDescription().isEmpty());
    }

    void firstSituationOffersOnlyTheFirstChoice_data() {
        QTest::addColumn<int>("typ");
        QTest::newRow("Normalny") << 1;
        QTest::newRow("Koniec, no end message") << 2;
        QTest::newRow("Wybory3") << 5;
        QTest::newRow("unknown") << 9;
    }
    void firstSituationOffersOnlyTheFirstChoice() {
        QFETCH(int, typ);
        const QString kro = dir_.filePath(QStringLiteral("Start.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec),
                                    sit("Start", static_cast<std::uint8_t>(typ), {0, 0, 0, 0})}));
        Player p;
        p.choose(kro);
        p.start();
        QVERIFY(p.gra.isVisible());
        QVERIFY(!p.menu.isVisible());
        QCOMPARE(p.buttons(), QStringLiteral("1000"));
        QCOMPARE(p.choiceText(3)->text(), QStringLiteral("Start 3"));
        p.boxes.expectMessage(QStringLiteral("To juz koniec gry"));
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(p.gra.numer(), 0);
    }

    void aNewScenarioPlaysToItsEnd() {
        const QString kro = dir_.filePath(QStringLiteral("Nowy.Kro"));
        {
            PosixRecordFileFactory files;
            ScenarioPair pair(files);
            TKrok krok;
            TRekordKroku rekord;
            TRekordListy lista;
            pair.createNew(kro, krok, rekord, lista);
            pair.close();
        }
        Player p;
        p.choose(kro);
        p.start();
        QCOMPARE(p.choiceText(1)->text(), QStringLiteral("Default!!! Zaczynamy gre?"));
        p.boxes.expectMessage(QStringLiteral("To juz koniec gry"));
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.description()->toPlainText().startsWith(u"Default!!! Koniec gry"));
        QCOMPARE(p.buttons(), QStringLiteral("0000"));
        QTest::mouseClick(child<QPushButton>(p.gra, "BuWyjscie"), Qt::LeftButton);
        QVERIFY(p.menu.isVisible());
        QVERIFY(!p.gra.isVisible());
    }

    void missingListFileFailsTheStart() {
        const QString kro = dir_.filePath(QStringLiteral("Bez.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek)}));
        QVERIFY(QFile::remove(dir_.filePath(QStringLiteral("Bez.lis"))));
        Player p;
        p.choose(kro);
        p.boxes.expectError(QStringLiteral("File not found"));
        p.start();
        QVERIFY(p.gra.isVisible());
        QVERIFY(p.cleared());
        QCOMPARE(p.buttons(), QStringLiteral("1111")); // as created
        p.boxes.expectError(QStringLiteral("I/O error 103"));
        p.press(2);
        // Leaving closes the situation file, then fails on the list file.
        p.boxes.expectError(QStringLiteral("I/O error 103"));
        QTest::mouseClick(child<QPushButton>(p.gra, "BuWyjscie"), Qt::LeftButton);
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(!p.gra.isVisible());
        QVERIFY(p.menu.isVisible());
    }

    void missingSituationFileFailsEveryStep() {
        Player p;
        p.choose(dir_.filePath(QStringLiteral("Nic.Kro")));
        p.boxes.expectError(QStringLiteral("File not found"));
        p.start();
        p.boxes.expectError(QStringLiteral("I/O error 103"));
        p.press(1);
        p.boxes.expectError(QStringLiteral("I/O error 103"));
        p.gra.close(); // the title bar's close does what "Wyjście" does
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.menu.isVisible());
    }

    void oneRecordScenarioFailsAtTheStart() {
        const QString kro = dir_.filePath(QStringLiteral("Jeden.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec)}));
        Player p;
        p.choose(kro);
        p.boxes.expectError(QStringLiteral("Read beyond end of file"));
        p.start();
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.gra.isVisible());
        // Both files stayed open; the empty situation object leads to 0.
        p.boxes.expectMessage(QStringLiteral("To juz koniec gry"));
        p.press(3);
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(p.description()->toPlainText(), QStringLiteral("Opis: Koniec"));
    }

    void failedChoiceKeepsTheWindowCleared_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("past the end") << 7 << "Read beyond end of file";
        QTest::newRow("just past the end") << 3 << "Read beyond end of file";
        QTest::newRow("not offered") << -1 << "I/O error 131";
    }
    void failedChoiceKeepsTheWindowCleared() {
        QFETCH(int, target);
        QFETCH(QString, message);
        const QString kro = dir_.filePath(QStringLiteral("Zle.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}),
                                    sit("Srodek", Wybory2, {target, 1, 0, 0})}));
        Player p;
        p.choose(kro);
        p.start();
        p.press(1);
        QCOMPARE(p.buttons(), QStringLiteral("1100"));
        p.boxes.expectError(message);
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.cleared());
        QCOMPARE(p.gra.numer(), target);
        QCOMPARE(p.gra.krok().Nazwa.text(), QStringLiteral("Srodek"));
        QCOMPARE(p.buttons(), QStringLiteral("1100"));
        // The same button fails again; another one leads elsewhere.
        p.boxes.expectError(message);
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        p.press(2);
        QCOMPARE(p.gra.numer(), 1);
        QCOMPARE(p.description()->toPlainText(), QStringLiteral("Opis: Start"));
    }

    void failedReadInjected() {
        const QString kro = dir_.filePath(QStringLiteral("Awaria.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}),
                                    sit("Dalej", Normalny)}));
        Player p;
        p.choose(kro);
        p.start();
        QCOMPARE(p.files.opens(), (QList<RecordFile::Access>{RecordFile::Access::ReadOnly,
                                                             RecordFile::Access::ReadOnly}));
        // seek, seek, read the situation record (fails)
        p.files.failCall(3, 1117);
        p.boxes.expectError(QStringLiteral("I/O error 1117"));
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.cleared());
        QCOMPARE(p.gra.krok().Nazwa.text(), QStringLiteral("Start"));
    }

    void leavingAndStartingAgainIsANewGame() {
        const QString kro = dir_.filePath(QStringLiteral("Znowu.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}),
                                    sit("Dalej", Normalny, {1, 2, 0, 0})}));
        Player p;
        p.choose(kro);
        p.start();
        p.press(1);
        QCOMPARE(p.gra.numer(), 2);
        QTest::mouseClick(child<QPushButton>(p.gra, "BuWyjscie"), Qt::LeftButton);
        const int callsBefore = p.files.calls();

        // Another program saves the scenario meanwhile.
        QVERIFY(
            writeScenario(kro, {sit("Koniec", Koniec), sit("Nowy start", Poczatek, {2, 0, 0, 0}),
                                sit("Zmieniona", Normalny, {1, 2, 0, 0})}));
        p.start();
        QCOMPARE(p.gra.numer(), 1);
        QCOMPARE(p.choiceText(1)->text(), QStringLiteral("Nowy start 1"));
        QCOMPARE(p.buttons(), QStringLiteral("1000"));
        QCOMPARE(p.files.opens().size(), 4);
        QVERIFY(p.files.calls() > callsBefore);

        // A situation saved while the game is on is read as it is on disk.
        QVERIFY(
            writeScenario(kro, {sit("Koniec", Koniec), sit("Nowy start", Poczatek, {2, 0, 0, 0}),
                                sit("Jeszcze inna", Normalny, {1, 2, 0, 0})}));
        p.press(1);
        QCOMPARE(p.description()->toPlainText(), QStringLiteral("Opis: Jeszcze inna"));
    }

    void anotherScenarioAfterAGame() {
        const QString first = dir_.filePath(QStringLiteral("Pierwszy.Kro"));
        const QString second = dir_.filePath(QStringLiteral("Drugi.Kro"));
        QVERIFY(writeScenario(first, {sit("Koniec", Koniec), sit("Pierwszy", Poczatek)}));
        QVERIFY(writeScenario(second, {sit("Koniec", Koniec), sit("Drugi", Poczatek)}));
        Player p;
        p.choose(first);
        p.start();
        p.gra.close();
        p.choose(second);
        p.start();
        QCOMPARE(p.choiceText(1)->text(), QStringLiteral("Drugi 1"));
    }

    void descriptionLineBreaksShowAsOne() {
        const QString kro = dir_.filePath(QStringLiteral("Linie.Kro"));
        Situation start = sit("Start", Poczatek);
        start.opis = QStringLiteral("Pierwsza\r\nDruga");
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), start}));
        Player p;
        p.choose(kro);
        p.start();
        QCOMPARE(p.description()->toPlainText(), QStringLiteral("Pierwsza\nDruga"));
        QCOMPARE(p.description()->document()->blockCount(), 2);
    }

    void readOnlyScenarioInAFolderWithADotPlays() {
        const QString kro = dir_.filePath(QStringLiteral("Gry.2/las.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Las", Poczatek)}));
        QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("Gry.2/las.lis"))));
        for (const char* name : {"Gry.2/las.Kro", "Gry.2/las.lis"})
            QVERIFY(QFile::setPermissions(dir_.filePath(QString::fromLatin1(name)),
                                          QFile::ReadOwner | QFile::ReadGroup));
        Player p;
        p.choose(kro);
        p.start();
        QCOMPARE(p.choiceText(1)->text(), QStringLiteral("Las 1"));
        QCOMPARE(p.files.opens().first(), RecordFile::Access::ReadOnly);
    }

    // --- media ---------------------------------------------------------------

    void missingMediaGiveTwoMessagesPictureFirst_data() {
        QTest::addColumn<QString>("bmp");
        QTest::addColumn<QString>("wav");
        QTest::newRow("missing") << "las.bmp"
                                 << "las.wav";
        QTest::newRow("separator") << "../las.bmp"
                                   << "a/las.wav";
        QTest::newRow("backslash") << "..\\las.bmp"
                                   << "..\\las.wav";
        QTest::newRow("dots") << ".."
                              << ".";
    }
    void missingMediaGiveTwoMessagesPictureFirst() {
        QFETCH(QString, bmp);
        QFETCH(QString, wav);
        const QString kro = dir_.filePath(QStringLiteral("Media/Brak.Kro"));
        // Files outside the media folders are never reached through a name.
        QVERIFY(
            writeFile(dir_.filePath(QStringLiteral("las.bmp")), solidBmp(8, 8, qRgb(255, 0, 0))));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Media/Obrazki/a/las.wav")), toneWav(50)));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {}, bmp, wav)}));
        Player p;
        p.choose(kro);
        p.boxes.expectMessage(QStringLiteral("Nie masz obrazu \"%1\"").arg(bmp));
        p.boxes.expectMessage(QStringLiteral("Nie masz dzwieku \"%1\"").arg(wav));
        p.start();
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(boxCentre(p.gra), PictureBox::buttonFace());
        child<PaintBox>(p.gra, "PaObrazek")->repaint(); // a repaint reports nothing
        QCOMPARE(p.boxes.boxes().size(), 2);
        QVERIFY(!p.sound->calls.contains(u"play"));
    }

    void pictureAndSoundAreShown() {
        const QString kro = dir_.filePath(QStringLiteral("Pelny.Kro"));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Obrazki/Las.BMP")),
                          solidBmp(64, 64, qRgb(0, 0, 255))));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Dzwieki/las.wav")), toneWav(50)));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec),
                                    sit("Start", Wybory2, {2, 9, 0, 0}, "las.bmp", "las.wav"),
                                    sit("Cisza", Normalny, {1, 1, 1, 1})}));
        Player p;
        p.choose(kro);
        p.start();
        QCOMPARE(boxCentre(p.gra), QColor(0, 0, 255));
        QCOMPARE(child<PaintBox>(p.gra, "PaObrazek")->grab().toImage().pixelColor(10, 10),
                 PictureBox::buttonFace());
        QCOMPARE(child<PaintBox>(p.gra, "PaObrazek")->accessibleDescription(),
                 QStringLiteral("las.bmp"));
        const QString wav = dir_.filePath(QStringLiteral("Dzwieki/las.wav"));
        QCOMPARE(p.sound->calls, (QStringList{QStringLiteral("open(%1, )").arg(wav), "play"}));

        // The next situation, without media, stops the sound and clears the box.
        p.sound->calls.clear();
        p.press(1);
        QVERIFY(p.sound->calls.contains(u"close"));
        QVERIFY(!p.sound->calls.contains(u"play"));
        QCOMPARE(boxCentre(p.gra), PictureBox::buttonFace());
        QCOMPARE(child<PaintBox>(p.gra, "PaObrazek")->accessibleDescription(),
                 QStringLiteral("brak obrazka"));

        // Coming back shows the picture and starts the sound from the start again.
        p.sound->calls.clear();
        p.press(1);
        QCOMPARE(boxCentre(p.gra), QColor(0, 0, 255));
        QCOMPARE(p.sound->calls.last(), QStringLiteral("play"));
        QVERIFY(p.sound->calls.contains(QStringLiteral("open(%1, )").arg(wav)));

        // A choice that fails leaves the box cleared, even on a repaint.
        p.boxes.expectError(QStringLiteral("Read beyond end of file"));
        p.press(2);
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(boxCentre(p.gra), PictureBox::buttonFace());
    }

    void badPictureIsReportedOnceAndStopsTheSound_data() {
        QTest::addColumn<bool>("tooLarge"); // else not a picture
        QTest::newRow("not a picture") << false;
        QTest::newRow("past the size limit") << true;
    }
    void badPictureIsReportedOnceAndStopsTheSound() {
        QFETCH(bool, tooLarge);
        const QString kro = dir_.filePath(QStringLiteral("Zly.Kro"));
        const QString bmp = dir_.filePath(QStringLiteral("Obrazki/zly.bmp"));
        QVERIFY(writeFile(bmp, tooLarge ? solidBmp(2, 2, 0) : "to nie obraz"));
        // Sparse: the picture would load, were it not past the limit.
        QVERIFY(!tooLarge || QFile::resize(bmp, MediaFile::MaxBytes + 1));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Dzwieki/las.wav")), toneWav(50)));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec),
                                    sit("Start", Wybory2, {2, 0, 0, 0}, "zly.bmp", "las.wav")}));
        Player p;
        p.choose(kro);
        p.boxes.expectError(tooLarge ? MediaFile::tooLargeText(bmp)
                                     : QStringLiteral("Bitmap image is not valid"));
        p.start();
        QVERIFY(p.boxes.verifyAllShown());
        // The texts were shown before the picture failed; the sound never started.
        QCOMPARE(p.choiceText(2)->text(), QStringLiteral("Start 2"));
        QVERIFY(!p.sound->calls.contains(u"play"));
        QCOMPARE(boxCentre(p.gra), PictureBox::buttonFace());
        child<PaintBox>(p.gra, "PaObrazek")->repaint();
        QCOMPARE(p.boxes.boxes().size(), 1);
    }

    void refusedSoundIsReported() {
        const QString kro = dir_.filePath(QStringLiteral("Glos.Kro"));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Dzwieki/zly.wav")), "RIFF"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}),
                                    sit("Glos", Wybory3, {0, 0, 0, 0}, {}, "zly.wav")}));
        Player p;
        p.choose(kro);
        p.start();
        p.sound->refuseNextOpen = QStringLiteral("Plik jest zly");
        p.boxes.expectError(QStringLiteral("Plik jest zly"));
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        // The step went on past the sound: the texts are shown, the buttons set by the type.
        QCOMPARE(p.choiceText(3)->text(), QStringLiteral("Glos 3"));
        QCOMPARE(p.buttons(), QStringLiteral("1110"));
        QVERIFY(!p.sound->calls.contains(u"play"));
    }

    // Without a sound server every sound fails to open; the game plays on without them.
    // Situation 2, of the type tested, is reached by a choice of situation 1 or by --from.
    void soundThatCannotPlayLetsTheStepGoOn_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<bool>("fromCommandLine");
        QTest::addColumn<QString>("buttons");
        const std::pair<const char*, int> types[] = {{"Poczatek", Poczatek}, {"Normalny", Normalny},
                                                     {"Wybory1", Wybory1},   {"Wybory2", Wybory2},
                                                     {"Wybory3", Wybory3},   {"Koniec", Koniec}};
        const char* offered[] = {"1000", "1111", "0000", "1000", "1100", "1110"};
        for (const auto& [name, typ] : types) {
            for (const bool from : {false, true})
                QTest::addRow("%s%s", name, from ? ", --from 2" : "")
                    << typ << from << QString::fromLatin1(offered[typ]);
        }
    }
    void soundThatCannotPlayLetsTheStepGoOn() {
        QFETCH(int, typ);
        QFETCH(bool, fromCommandLine);
        QFETCH(QString, buttons);
        const QString noDriver = QStringLiteral("There is no driver installed on your system.");
        const QString kro = dir_.filePath(QStringLiteral("Cisza.Kro"));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Obrazki/las.bmp")),
                          solidBmp(64, 64, qRgb(0, 0, 255))));
        QVERIFY(writeFile(dir_.filePath(QStringLiteral("Dzwieki/las.wav")), toneWav(50)));
        QVERIFY(writeScenario(
            kro,
            {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}, {}, "las.wav"),
             sit("Badana", static_cast<std::uint8_t>(typ), {1, 1, 1, 1}, "las.bmp", "las.wav")}));
        Player p;
        p.sound->refuseEveryOpen = noDriver;
        if (fromCommandLine) {
            p.menu.hide();
            p.boxes.expectError(noDriver);
            if (typ == Koniec)
                p.boxes.expectMessage(QStringLiteral("To juz koniec gry"));
            p.windows.begin(commandLine({kro, QStringLiteral("--from"), QStringLiteral("2")}));
        } else {
            p.choose(kro);
            p.boxes.expectError(noDriver);
            p.start();
            QVERIFY(p.boxes.verifyAllShown());
            QCOMPARE(p.buttons(), QStringLiteral("1000"));
            p.boxes.expectError(noDriver);
            if (typ == Koniec)
                p.boxes.expectMessage(QStringLiteral("To juz koniec gry"));
            p.press(1);
        }
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.gra.isVisible());
        QCOMPARE(p.gra.numer(), 2);
        QCOMPARE(p.buttons(), buttons);
        QCOMPARE(p.choiceText(4)->text(), QStringLiteral("Badana 4"));
        QCOMPARE(boxCentre(p.gra), QColor(0, 0, 255));
        QVERIFY(!p.sound->calls.contains(u"play"));
        if (typ == Koniec)
            return;
        // Every choice offered leads on, as with sound.
        p.boxes.expectError(noDriver);
        p.press(1);
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(p.gra.numer(), 1);
        QCOMPARE(p.description()->toPlainText(), QStringLiteral("Opis: Start"));
        QCOMPARE(p.buttons(), QStringLiteral("1000"));
    }

    // --- menu and credits ------------------------------------------------------

    void creditsComeAndGo() {
        Player p;
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(child<QPushButton>(p.menu, "BuTworcy"), Qt::LeftButton);
            QVERIFY(p.lista.isVisible());
            QVERIFY(!p.menu.isVisible());
            QCOMPARE(p.lista.windowTitle(), QStringLiteral("Lista tworcow"));
            if (round == 0)
                QTest::keyClick(&p.lista, Qt::Key_Return);
            else
                p.lista.close();
            QVERIFY(!p.lista.isVisible());
            QVERIFY(p.menu.isVisible());
        }
        QCOMPARE(p.terminated, 0);
    }

    void windowsAreCentredTheFirstTimeOnly() {
        Player p;
        const QRect screen = p.menu.screen()->availableGeometry();
        for (QWidget* window : std::initializer_list<QWidget*>{&p.menu, &p.lista}) {
            QTest::mouseClick(child<QPushButton>(p.menu, "BuTworcy"), Qt::LeftButton);
            QVERIFY(qAbs(window->frameGeometry().center().x() - screen.center().x()) <= 1);
            QVERIFY(qAbs(window->frameGeometry().center().y() - screen.center().y()) <= 1);
            QTest::keyClick(&p.lista, Qt::Key_Return);
        }
        // Moved by the user, a window comes back where it was left.
        QTest::mouseClick(child<QPushButton>(p.menu, "BuTworcy"), Qt::LeftButton);
        p.lista.move(10, 20);
        QTest::keyClick(&p.lista, Qt::Key_Return);
        QTest::mouseClick(child<QPushButton>(p.menu, "BuTworcy"), Qt::LeftButton);
        QCOMPARE(p.lista.pos(), QPoint(10, 20));
    }

    void escapeKeepsTheCredits() {
        Player p;
        QTest::mouseClick(child<QPushButton>(p.menu, "BuTworcy"), Qt::LeftButton);
        QTest::keyClick(&p.lista, Qt::Key_Escape);
        QVERIFY(p.lista.isVisible());
    }

    void koniecEndsTheProgram() {
        Player p;
        QTest::mouseClick(child<QPushButton>(p.menu, "BuKoniec"), Qt::LeftButton);
        QCOMPARE(p.terminated, 1);
        QVERIFY(!p.gra.isVisible());
        QVERIFY(!p.lista.isVisible());
    }

    // Closing the windows while the program ends must not bring any of them back.
    void nothingShowsAgainOnceTheProgramEnds_data() {
        QTest::addColumn<bool>("played");
        QTest::addColumn<bool>("credits");
        QTest::newRow("fresh start") << false << false;
        QTest::newRow("after a game") << true << false;
        QTest::newRow("after game and credits") << true << true;
    }
    void nothingShowsAgainOnceTheProgramEnds() {
        QFETCH(bool, played);
        QFETCH(bool, credits);
        const QString kro = dir_.filePath(QStringLiteral("gra.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek)}));
        Player p;
        if (played) {
            p.choose(kro);
            p.start();
            QTest::mouseClick(child<QPushButton>(p.gra, "BuWyjscie"), Qt::LeftButton);
        }
        if (credits) {
            QTest::mouseClick(child<QPushButton>(p.menu, "BuTworcy"), Qt::LeftButton);
            QTest::keyClick(&p.lista, Qt::Key_Return);
        }
        QVERIFY(p.menu.isVisible());
        ShowCounter shows({&p.menu, &p.gra, &p.lista});
        QTest::mouseClick(child<QPushButton>(p.menu, "BuKoniec"), Qt::LeftButton);
        QCOMPARE(shows.count, 0);
        QCOMPARE(p.terminated, 1);
        for (QWidget* window : std::initializer_list<QWidget*>{&p.menu, &p.gra, &p.lista})
            QVERIFY(!window->isVisible());
    }

    void closingTheMenuEndsTheProgram() {
        Player p;
        p.menu.close();
        QCOMPARE(p.terminated, 1);
    }

    // The menu comes up alone: the game window, and with it the sound device, is made when a
    // game starts, the credits window when the credits are opened.
    void otherWindowsAreMadeWhenFirstNeeded() {
        const QString kro = dir_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, 0, 0, 0}),
                                    sit("Las", Normalny, {1, 1, 1, 1})}));
        RecordingMessageBoxes boxes;
        ScriptedFileDialog dialog;
        FaultyRecordFileFactory files;
        int devices = 0;
        const SoundDeviceFactory counted = [&devices]() -> std::unique_ptr<SoundDevice> {
            ++devices;
            return std::make_unique<FakeSoundDevice>();
        };
        PlayerWindows windows({boxes, dialog, files, counted}, [] {});
        const auto made = [](const char* name) {
            const QWidgetList topLevels = QApplication::topLevelWidgets();
            return std::any_of(topLevels.cbegin(), topLevels.cend(),
                               [name](const QWidget* w) { return w->objectName() == name; });
        };
        windows.begin(commandLine({kro}));
        QVERIFY(windows.menu.isVisible());
        QCOMPARE(devices, 0);
        QVERIFY(!made("FoRpgGra"));
        QVERIFY(!made("FoLista"));

        QTest::mouseClick(child<QPushButton>(windows.menu, "BuStart"), Qt::LeftButton);
        QVERIFY(made("FoRpgGra"));
        QCOMPARE(devices, 1);
        QCOMPARE(windows.gra().numer(), 1);
        QVERIFY(!made("FoLista"));
        QTest::mouseClick(child<QPushButton>(windows.gra(), "BuWyjscie"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(windows.menu, "BuTworcy"), Qt::LeftButton);
        QVERIFY(made("FoLista"));
        QVERIFY(windows.lista().isVisible());
        QCOMPARE(devices, 1);
    }

    // In the test's folder. What is read: "help", "version", or the scenario relative to the
    // folder, then --from's number, then "!" for a usage error.
    void commandLineIsRead_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read");
        QTest::newRow("relative path") << QStringList{"./a/../Las.Kro"} << "Las.Kro";
        QTest::newRow("--from=0 first") << QStringList{"--from=0", "Las.Kro"} << "Las.Kro 0";
        QTest::newRow("negative") << QStringList{"Las.Kro", "--from", "-2"} << "Las.Kro -2";
        QTest::newRow("not a number") << QStringList{"Las.Kro", "--from", "x"} << "Las.Kro !";
        QTest::newRow("past 32 bits")
            << QStringList{"Las.Kro", "--from", "2147483648"} << "Las.Kro !";
        QTest::newRow("no number") << QStringList{"Las.Kro", "--from"} << "Las.Kro !";
        QTest::newRow("no file") << QStringList{"--from", "2"} << " !";
        QTest::newRow("two files") << QStringList{"Las.Kro", "Inny.Kro"} << " !";
        QTest::newRow("unknown option") << QStringList{"Las.Kro", "--graj"} << "Las.Kro !";
        QTest::newRow("-h among errors") << QStringList{"--from", "x", "-h", "--graj"} << "help";
        QTest::newRow("--version") << QStringList{"Las.Kro", "--version"} << "version";
    }
    void commandLineIsRead() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        QVERIFY(QDir::setCurrent(dir_.path()));
        const PlayerCommandLine line = commandLine(arguments);
        QString got = line.action == PlayerCommandLine::Action::Help      ? "help"
                      : line.action == PlayerCommandLine::Action::Version ? "version"
                                                                          : "";
        got += QDir::current().relativeFilePath(line.scenario);
        if (line.from)
            got += u' ' + QString::number(*line.from);
        if (!line.error.isEmpty())
            got += QStringLiteral(" !");
        QCOMPARE(got, read);
        QVERIFY(line.scenario.isEmpty() || QDir::isAbsolutePath(line.scenario));
    }

    // Situations 0 and 3 are ends, 1 the start, 2 a Wybory2. The box: "usage" for the command
    // line's error, else the error's message or the message. Shown: the game's number and its
    // choices, or the menu.
    void commandLineBringsUpTheWindows_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, QStringList arguments, const char* box,
                            const char* shown) {
            QTest::newRow(name) << arguments << QString(box) << QString(shown);
        };
        row("file alone", {"Od.Kro"}, "", "menu");
        row("--from 1", {"Od.Kro", "--from", "1"}, "", "1 1000");
        row("--from a Wybory2", {"Od.Kro", "--from", "2"}, "", "2 1100");
        row("--from a Koniec", {"Od.Kro", "--from", "3"}, "To juz koniec gry", "3 0000");
        row("past the end", {"Od.Kro", "--from", "4"}, "Read beyond end of file", "menu");
        row("not a number", {"Od.Kro", "--from", "dwa"}, "usage", "menu");
        row("missing file", {"Brak.Kro", "--from", "2"}, "File not found", "menu");
    }
    void commandLineBringsUpTheWindows() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, box);
        QFETCH(QString, shown);
        QVERIFY(QDir::setCurrent(dir_.path()));
        QVERIFY(writeScenario(QStringLiteral("Od.Kro"),
                              {sit("Koniec", Koniec), sit("Start", Poczatek, {2, -1, -1, -1}),
                               sit("Dwie", Wybory2, {1, 3, -1, -1}), sit("Meta", Koniec)}));
        const PlayerCommandLine line = commandLine(arguments);
        Player p;
        p.menu.hide(); // the program shows nothing before the command line is read
        if (box == u"usage" || box == u"To juz koniec gry")
            p.boxes.expectMessage(box == u"usage" ? line.error : box);
        else if (!box.isEmpty())
            p.boxes.expectError(box);
        p.windows.begin(line);
        QVERIFY(p.boxes.verifyAllShown());
        // Chosen whatever became of the game.
        QCOMPARE(child<QLabel>(p.menu, "Label4")->text(), line.scenario);
        QCOMPARE(p.menu.isVisible() ? QStringLiteral("menu")
                                    : QString::number(p.gra.numer()) + u' ' + p.buttons(),
                 shown);
        QCOMPARE(p.gra.isVisible(), !p.menu.isVisible());
        // Back in the menu, "&Start:" plays the scenario from the beginning.
        if (p.gra.isVisible())
            p.leave();
        if (line.scenario.endsWith(u"/Od.Kro")) {
            p.start();
            QCOMPARE(p.gra.numer(), 1);
        }
    }

private:
    TestFolder dir_;
    const QString startFolder_ = QDir::currentPath();
};

KIT_TEST_MAIN(TestPlayer)
#include "tst_player.moc"
