#include "common/Cp1250.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "editor/FindWindow.h"
#include "editor/HistoryWindow.h"
#include "editor/LoadProgress.h"
#include "editor/SituationGrid.h"
#include "editor/Uedytor.h"
#include "platform/ui/SoundControl.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/ScriptedFileDialog.h"
#include "tests/support/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QtEndian>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The editor window as the program builds it, with fakes for the services.
struct Editor : EditorUnderTest<RecordingMessageBoxes, FaultyRecordFileFactory> {
    Editor() { activate(); }
    QString row(int i) const {
        return w.grid().cell(i, 0) + u'|' + w.grid().cell(i, 1) + u'|' + w.grid().cell(i, 2);
    }
    QString enabledRows() const {
        QString s;
        for (QLineEdit* e : {child<QLineEdit>(w, "EWybor1"), child<QLineEdit>(w, "EWybor2"),
                             child<QLineEdit>(w, "EWybor3"), child<QLineEdit>(w, "EWybor4")})
            s += e->isEnabled() ? u'1' : u'0';
        return s;
    }
};

qint32 targetAt(const QByteArray& kro, int record, int choice) {
    return qFromLittleEndian<qint32>(kro.constData() + record * 516 + 500 + 4 * (choice - 1));
}

QByteArray textAt(const QByteArray& kro, int record, int offset) {
    const int at = record * 516 + offset;
    return kro.mid(at + 1, static_cast<unsigned char>(kro[at]));
}

// Three situations: 0 "Default Koniec", 1 "Start" leading to 2, 2 "Łąka" (Wybory1 with a
// stored choice-2 text).
std::vector<Situation> threeSituations() {
    return {
        describedSituation(QStringLiteral("Default Koniec"), Koniec),
        describedSituation(QStringLiteral("Start"), Poczatek, {2}, {QStringLiteral("Idź na łąkę")}),
        describedSituation(QStringLiteral("Łąka"), Wybory1, {0, 0, 0, 0},
                           {QStringLiteral("Dalej"), QStringLiteral("Stary tekst"), {}, {}})};
}

bool setMode(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// Opens the scenario at `kro` as an author who may not write its folder: the folder and the
// pair lose their write bits and, as root (whom permissions do not stop), the open runs as
// user "nobody", root staying the saved user to come back to. False when that cannot be done.
bool openNotWritable(Editor& e, const QString& kro) {
    const QString folder = QFileInfo(kro).absolutePath();
    if (!setMode(QFileInfo(folder).absolutePath(), 0755) || !setMode(kro, 0444) ||
        !setMode(listFilePath(kro), 0444) || !setMode(folder, 0555))
        return false;
    const bool root = ::geteuid() == 0;
    if (root && ::setresuid(65534, 65534, 0) != 0)
        return false;
    e.open(kro);
    if (root && ::setresuid(0, 0, 0) != 0)
        qFatal("cannot become root again");
    return setMode(folder, 0755) && setMode(kro, 0644) && setMode(listFilePath(kro), 0644);
}

} // namespace

class TestUedytor : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }

    void controlsSitWhereTheyBelong_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("BuOtworz") << "BuOtworz" << QRect(4, 4, 101, 23) << "&Otwórz/Nowy" << true;
        QTest::newRow("ENazwa") << "ENazwa" << QRect(4, 65, 269, 22) << "" << false;
        QTest::newRow("CBTyp") << "CBTyp" << QRect(280, 65, 145, 22) << "" << false;
        QTest::newRow("MeOpis") << "MeOpis" << QRect(4, 110, 269, 90) << "" << false;
        QTest::newRow("EWybor4") << "EWybor4" << QRect(14, 300, 270, 22) << "" << false;
        QTest::newRow("CBKrok_Wybrany2")
            << "CBKrok_Wybrany2" << QRect(285, 250, 270, 22) << "" << false;
        QTest::newRow("BuNowy") << "BuNowy" << QRect(440, 110, 77, 23) << "N&owa" << false;
        QTest::newRow("BuPrzywroc")
            << "BuPrzywroc" << QRect(360, 135, 77, 23) << "P&rzywróc" << false;
        QTest::newRow("CBAuto") << "CBAuto" << QRect(280, 160, 121, 23) << "Auto zapisywanie"
                                << false;
        QTest::newRow("BuWav") << "BuWav" << QRect(164, 395, 100, 23) << "Otwórz &Wav." << false;
        QTest::newRow("MPwav") << "MPwav" << QRect(173, 470, 85, 23) << "" << false;
        QTest::newRow("SGSyt") << "SGSyt" << QRect(278, 350, 201, 168) << "" << false;
        QTest::newRow("PaObrazek") << "PaObrazek" << QRect(12, 358, 128, 128) << "" << true;
        QTest::newRow("LEdycja") << "LEdycja" << QRect(274, 22, 131, 19) << "Edycja wyłączona!!!"
                                 << true;
        QTest::newRow("FileNameS") << "FileNameS" << QRect(11, 32, 214, 15) << "" << true;
        QTest::newRow("LaWAV") << "LaWAV" << QRect(166, 445, 96, 17) << "?.Wav" << true;
    }
    void controlsSitWhereTheyBelong() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        Editor e;
        QCOMPARE(e.w.size(), QSize(558, 522));
        QCOMPARE(e.w.windowTitle(), QStringLiteral("Diziru tekstówek"));
        auto* control = e.w.findChild<QWidget*>(name);
        QVERIFY(control);
        // Labels other than the fixed ones take the size of their text.
        QCOMPARE(control->pos(), geometry.topLeft());
        if (!qobject_cast<QLabel*>(control) || control->minimumSize() == control->maximumSize())
            QCOMPARE(control->size(), geometry.size());
        QCOMPARE(control->isEnabled(), enabled);
        if (auto* b = qobject_cast<QAbstractButton*>(control))
            QCOMPARE(b->text(), text);
        if (auto* l = qobject_cast<QLabel*>(control))
            QCOMPARE(l->text(), text);
    }

    // The window grows: the grid and the description take the extra space, nothing overlaps
    // what it did not overlap, and back at its first size every control is where it was.
    void grownWindowComesBack_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("wider") << QSize(900, 522);
        QTest::newRow("taller") << QSize(558, 800);
        QTest::newRow("both") << QSize(1000, 760);
    }
    void grownWindowComesBack() {
        QFETCH(QSize, size);
        Editor e;
        e.w.show();
        QMap<QWidget*, QRect> first;
        const auto controls = e.w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* c : controls)
            first.insert(c, c->geometry());
        const auto overlapping = [&] {
            QSet<QPair<QWidget*, QWidget*>> pairs;
            for (QWidget* a : controls)
                for (QWidget* b : controls)
                    if (a < b && a->isVisible() && b->isVisible() &&
                        a->geometry().intersects(b->geometry()))
                        pairs.insert({a, b});
            return pairs;
        };
        const auto before = overlapping();
        e.w.resize(size);
        QTRY_COMPARE(e.w.size(), size);
        auto* grid = child<QTableView>(e.w, "SGSyt");
        auto* opis = child<QPlainTextEdit>(e.w, "MeOpis");
        QCOMPARE(grid->width() + opis->width(), 201 + 269 + size.width() - 558);
        QCOMPARE(grid->height() + opis->height(), 168 + 90 + size.height() - 522);
        QVERIFY(grid->geometry().right() < size.width() &&
                grid->geometry().bottom() < size.height());
        QCOMPARE(overlapping(), before);
        e.w.resize(558, 522);
        QTRY_COMPARE(e.w.size(), QSize(558, 522));
        for (QWidget* c : controls)
            QCOMPARE(c->geometry(), first.value(c));
    }

    // A scenario the author may not write says so when it opens: the title, and the path line
    // with where a copy can be written (its end stays in view, the label keeps its size).
    // Opening one that can be written puts the original's captions back.
    void readOnlyScenarioSaysSoOnOpening_data() {
        QTest::addColumn<QString>("why"); // "folder", "journal" or "" (writable)
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("after"); // what the path line shows after the path
        const QString readOnly = QStringLiteral("Diziru tekstówek (tylko do odczytu)");
        QTest::newRow("folder not writable")
            << "folder" << readOnly
            << QStringLiteral(" — tylko do odczytu; zapisz kopię w folderze, do którego masz "
                              "prawo zapisu, np. ") +
                   QDir::homePath() + QStringLiteral("/Tekstowki");
        QTest::newRow("unfit journal")
            << "journal" << readOnly << QStringLiteral(" — tylko do odczytu");
        QTest::newRow("writable") << "" << QStringLiteral("Diziru tekstówek") << QString();
    }
    void readOnlyScenarioSaysSoOnOpening() {
        QFETCH(QString, why);
        QFETCH(QString, title);
        QFETCH(QString, after);
        const QString writable = folder_.filePath(QStringLiteral("Las.Kro"));
        const QString kro = folder_.filePath(QStringLiteral("Demo/Zamek.Kro"));
        QVERIFY(writeScenario(writable, threeSituations()));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        const auto captions = [&e](const QString& path, const QString& title,
                                   const QString& after) {
            QCOMPARE(e.w.windowTitle(), title);
            QCOMPARE(child<QLabel>(e.w, "FileNameS")->text(), path + after);
            QCOMPARE(child<QLabel>(e.w, "FileNameS")->toolTip(),
                     after.isEmpty() ? QString() : path + after);
            QCOMPARE(child<QLabel>(e.w, "FileNameS")->size(), QSize(214, 15));
        };
        e.open(writable);
        captions(writable, QStringLiteral("Diziru tekstówek"), QString());
        if (why == u"folder") {
            QVERIFY(openNotWritable(e, kro));
        } else {
            const QString journal = SaveJournal::pathFor(kro);
            if (why == u"journal") {
                QVERIFY(writeFile(journal, QByteArray(SaveJournal::Size, 'x')));
                e.boxes.expectMessage(ScenarioPair::unfitJournalMessage(journal));
            }
            e.open(kro);
        }
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(),
                 QStringLiteral("Start")); // opened all the same
        captions(kro, title, after);
        e.open(writable);
        captions(writable, QStringLiteral("Diziru tekstówek"), QString());
    }

    void newScenarioHasTheDefaultSituations() {
        Editor e;
        const QString kro = folder_.filePath(QStringLiteral("Nowy.Kro"));
        e.open(kro);
        QCOMPARE(readFile(kro).size(), 1032);
        QCOMPARE(readFile(folder_.filePath(QStringLiteral("Nowy.lis"))).size(), 44);
        QCOMPARE(child<QLabel>(e.w, "LEdycja")->text(),
                 QStringLiteral("Tworzenie nowego scenariusza"));
        QCOMPARE(child<QLabel>(e.w, "FileNameS")->text(), kro);
        QCOMPARE(e.w.grid().gridRowCount(), 2);
        QCOMPARE(e.row(0), QStringLiteral("Nazwa sytuacji|T|S"));
        QCOMPARE(e.row(1), QStringLiteral("Poczatek|P|"));
        QCOMPARE(e.w.names().stringList(),
                 QStringList({QStringLiteral("Default Koniec"), QStringLiteral("Poczatek")}));
        QCOMPARE(child<QComboBox>(e.w, "CBKrok_Wybrany3")->count(), 2);
        QCOMPARE(child<QComboBox>(e.w, "CBTyp")->currentText(), QStringLiteral("Poczatek"));
        QVERIFY(!child<QComboBox>(e.w, "CBTyp")->isEnabled());
        QCOMPARE(e.enabledRows(), QStringLiteral("1000"));
        QCOMPARE(child<QLineEdit>(e.w, "EWybor1")->text(),
                 QStringLiteral("Default!!! Zaczynamy gre?"));
        QCOMPARE(child<QComboBox>(e.w, "CBKrok_Wybrany1")->currentText(),
                 QStringLiteral("Default Koniec"));
        QVERIFY(child<QPushButton>(e.w, "BuNowy")->isEnabled() &&
                child<QTableView>(e.w, "SGSyt")->isEnabled() &&
                child<SoundControl>(e.w, "MPwav")->isEnabled());
    }

    void gridCellsAreSpokenInWords_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("letter"); // empty: a type the grid does not know
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("every road set") << "Łąka"
                                        << "2"
                                        << "X"
                                        << "Łąka|typ Wybory2|wszystkie drogi ustawione";
        QTest::newRow("a road to the default end")
            << "Łąka"
            << "N"
            << ""
            << "Łąka|typ Normalny|nie wszystkie drogi ustawione";
        QTest::newRow("no name, unknown type")
            << ""
            << ""
            << ""
            << "bez nazwy|typ nieznany|nie wszystkie drogi ustawione";
    }
    void gridCellsAreSpokenInWords() {
        QFETCH(QString, name);
        QFETCH(QString, letter);
        QFETCH(QString, mark);
        QFETCH(QString, spoken);
        SituationGrid grid;
        ScenarioList list;
        list.rows = {GridRow{}, GridRow{name, !letter.isEmpty(), letter, mark}};
        grid.apply(list);
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << grid.data(grid.index(0, column), Qt::AccessibleTextRole).toString();
        QCOMPARE(cells.join(u'|'), spoken);
        QCOMPARE(grid.headerData(1, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Typ"));
    }

    // A rebuild writes each row's name, and the letter and mark of a type the grid knows: a row
    // of another type keeps what its row showed, and a rebuild that read nothing past situation
    // 0 leaves every row as it was.
    void gridKeepsWhatARebuildDidNotWrite_data() {
        // Each rebuild: rows "name|letter|mark" from situation 1 on; letter "?": a type the
        // grid does not know.
        QTest::addColumn<QList<QStringList>>("rebuilds");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("unknown type keeps letter and mark")
            << QList<QStringList>{{"A|N|X"}, {"B|?|"}} << QStringList{"B|N|X"};
        QTest::newRow("unknown type on a new row")
            << QList<QStringList>{{"A|N|"}, {"A|N|", "C|?|"}} << QStringList{"A|N|", "C||"};
        QTest::newRow("row cut, then back of an unknown type")
            << QList<QStringList>{{"A|N|", "C|2|X"}, {"A|N|"}, {"A|N|", "C|?|"}}
            << QStringList{"A|N|", "C||"};
        QTest::newRow("nothing past situation 0")
            << QList<QStringList>{{"A|2|X"}, {}} << QStringList{"A|2|X"};
    }
    void gridKeepsWhatARebuildDidNotWrite() {
        QFETCH(QList<QStringList>, rebuilds);
        QFETCH(QStringList, shown);
        SituationGrid grid;
        for (const QStringList& rows : rebuilds) {
            ScenarioList list;
            list.rows.push_back(GridRow{QStringLiteral("Default Koniec"), true, "K", "X"});
            for (const QString& row : rows) {
                const QStringList cells = row.split(u'|');
                const bool known = cells[1] != QStringLiteral("?");
                list.rows.push_back(GridRow{cells[0], known, known ? cells[1] : "", cells[2]});
            }
            grid.apply(list);
        }
        QStringList rows;
        for (int i = 1; i < grid.gridRowCount(); ++i)
            rows << grid.cell(i, 0) + u'|' + grid.cell(i, 1) + u'|' + grid.cell(i, 2);
        QCOMPARE(rows, shown);
    }

    void oneFileOfThePairIsNeverTouched_data() {
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("missing");
        QTest::newRow("list file missing") << "Las.Kro"
                                           << "Las.lis";
        QTest::newRow("situation file missing") << "Las.lis"
                                                << "Las.Kro";
    }
    void oneFileOfThePairIsNeverTouched() {
        QFETCH(QString, present);
        QFETCH(QString, missing);
        const QString file = folder_.write(present, QByteArray(516, 'x'));
        Editor e;
        e.boxes.expectMessage(QStringLiteral("Brak pliku \"%1\" - scenariusz nie zostal otwarty")
                                  .arg(folder_.filePath(missing)));
        e.open(folder_.filePath(QStringLiteral("Las.Kro")));
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(readFile(file), QByteArray(516, 'x'));
        QVERIFY(!QFile::exists(folder_.filePath(missing)));
        QVERIFY(!child<QLineEdit>(e.w, "ENazwa")->isEnabled());
        QCOMPARE(e.files.calls(), 0);
    }

    // Each row edits situation 2 of threeSituations() and saves it with "&Zapisz".
    void savingWritesBothRecords_data() {
        QTest::addColumn<QString>("typ");
        QTest::addColumn<QString>("message"); // empty: the save writes
        QTest::addColumn<QString>("choice2"); // choice 2 text stored
        QTest::addColumn<QList<int>>("targets");
        QTest::addColumn<int>("typeByte");
        QTest::newRow("Koniec saves empty texts and -1") << "Koniec"
                                                         << ""
                                                         << "" << QList<int>{-1, -1, -1, -1} << 2;
        QTest::newRow("greyed choice 2 kept") << "Wybory1"
                                              << ""
                                              << "Stary tekst" << QList<int>{1, -1, -1, -1} << 3;
        QTest::newRow("type in small letters refused")
            << "wybory1"
            << "Zapomniales czegos wpisac :)"
            << "Stary tekst" << QList<int>{0, 0, 0, 0} << 3;
    }
    void savingWritesBothRecords() {
        QFETCH(QString, typ);
        QFETCH(QString, message);
        QFETCH(QString, choice2);
        QFETCH(QList<int>, targets);
        QFETCH(int, typeByte);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Łąka"));
        QCOMPARE(child<QLineEdit>(e.w, "EWybor2")->text(), QStringLiteral("Stary tekst"));
        QVERIFY(!child<QLineEdit>(e.w, "EWybor2")->isEnabled());
        child<QComboBox>(e.w, "CBKrok_Wybrany1")->setEditText(QStringLiteral("START"));
        // Leaving the type field sets the rows again, which drops the greyed text.
        child<QComboBox>(e.w, "CBTyp")->setEditText(typ);
        if (typ != u"Wybory1")
            Editor::leave(child<QComboBox>(e.w, "CBTyp"), child<QPlainTextEdit>(e.w, "MeOpis"));
        if (!message.isEmpty())
            e.boxes.expectMessage(message);
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        const QByteArray saved = readFile(kro);
        const QByteArray lis = readFile(folder_.filePath(QStringLiteral("Las.lis")));
        QCOMPARE(textAt(saved, 2, 67), choice2.toUtf8());
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(targetAt(saved, 2, c), targets[c - 1]);
        QCOMPARE(int(lis[2 * 22 + 21]), typeByte);
        QCOMPARE(lis.mid(44, 21), saved.mid(2 * 516, 21));
        QCOMPARE(e.row(2).endsWith(u'X'), message.isEmpty());
    }

    // Saves that must not reach the file, through the checks or through an access key.
    void refusedSavesWriteNothing_data() {
        QTest::addColumn<QString>("nazwa");
        QTest::addColumn<QString>("opis");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name") << ""
                                    << "x"
                                    << "Start"
                                    << "Zapomniales czegos wpisac :)";
        QTest::newRow("empty description") << "Łąka"
                                           << ""
                                           << "Start"
                                           << "Zapomniales czegos wpisac :)";
        QTest::newRow("empty target") << "Łąka"
                                      << "x"
                                      << ""
                                      << "Zapomniales czegos wpisac :)";
        QTest::newRow("name of another situation") << "START"
                                                   << "x"
                                                   << "Start"
                                                   << "Taka nazwa sytuacji juz jest";
        QTest::newRow("target naming nothing") << "Łąka"
                                               << "x"
                                               << "Nigdzie"
                                               << "Nie ma takiej drogi";
    }
    void refusedSavesWriteNothing() {
        QFETCH(QString, nazwa);
        QFETCH(QString, opis);
        QFETCH(QString, target);
        QFETCH(QString, message);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        const QByteArray before = readFile(kro);
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        child<QLineEdit>(e.w, "ENazwa")->setText(nazwa);
        child<QPlainTextEdit>(e.w, "MeOpis")->setPlainText(opis);
        child<QComboBox>(e.w, "CBKrok_Wybrany1")->setEditText(target);
        e.boxes.expectMessage(message);
        // An access key (Alt+Z) clicks without the focus leaving the field.
        child<QLineEdit>(e.w, "ENazwa")->setFocus();
        child<QPushButton>(e.w, "BuZapisz")->click();
        QVERIFY(child<QLineEdit>(e.w, "ENazwa")->hasFocus());
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(readFile(kro), before);
    }

    void fieldChecksEmptyAndRefocus_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted, and the click saves
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("saved"); // the save's own refusal, if any
        const QString incomplete = QStringLiteral("Zapomniales czegos wpisac :)");
        QTest::newRow("own name") << "ENazwa"
                                  << "Łąka"
                                  << ""
                                  << "1000"
                                  << "";
        QTest::newRow("name in other case") << "ENazwa"
                                            << "ŁĄKA"
                                            << ""
                                            << "1000"
                                            << "";
        QTest::newRow("another's name") << "ENazwa"
                                        << "start"
                                        << "Taka nazwa sytuacji juz jest"
                                        << "1000"
                                        << "";
        QTest::newRow("default end's name") << "ENazwa"
                                            << "default koniec"
                                            << "Taka nazwa sytuacji juz jest"
                                            << "1000"
                                            << "";
        QTest::newRow("Wybory3") << "CBTyp"
                                 << "Wybory3"
                                 << ""
                                 << "1110" << incomplete;
        QTest::newRow("Koniec") << "CBTyp"
                                << "Koniec"
                                << ""
                                << "0000"
                                << "";
        QTest::newRow("type in small letters") << "CBTyp"
                                               << "koniec"
                                               << ""
                                               << "1000" << incomplete;
        QTest::newRow("no such type") << "CBTyp"
                                      << "Wybory4"
                                      << "Nie ma takiego typu"
                                      << "1000"
                                      << "";
        QTest::newRow("empty type") << "CBTyp"
                                    << ""
                                    << ""
                                    << "1000" << incomplete;
        QTest::newRow("target in other case") << "CBKrok_Wybrany1"
                                              << "łąka"
                                              << ""
                                              << "1000"
                                              << "";
        QTest::newRow("no such target") << "CBKrok_Wybrany1"
                                        << "Łąka2"
                                        << "Nie ma takiej drogi"
                                        << "1000"
                                        << "";
    }
    void fieldChecksEmptyAndRefocus() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, rows);
        QFETCH(QString, saved);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        auto* control = e.w.findChild<QWidget*>(field);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(text);
        else
            qobject_cast<QComboBox*>(control)->setEditText(text);
        if (!message.isEmpty())
            e.boxes.expectMessage(message);
        if (!saved.isEmpty())
            e.boxes.expectMessage(saved);
        control->setFocus(Qt::TabFocusReason);
        // Clicking "&Zapisz" takes the focus first: a refused check cancels the click.
        QTest::mouseClick(child<QPushButton>(e.w, "BuZapisz"), Qt::LeftButton);
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(e.enabledRows(), rows);
        const QString now = qobject_cast<QLineEdit*>(control)
                                ? qobject_cast<QLineEdit*>(control)->text()
                                : qobject_cast<QComboBox*>(control)->currentText();
        if (!message.isEmpty()) {
            QVERIFY(now.isEmpty());
            QVERIFY(control == QApplication::focusWidget() ||
                    control->isAncestorOf(QApplication::focusWidget()));
        }
    }

    void browsingStopsAtBothEnds() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        e.boxes.expectMessage(QStringLiteral("To jest pierwszy krok ..."));
        Editor::click(child<QPushButton>(e.w, "BuPoprzedni"));
        QCOMPARE(e.w.state().numer(), 1);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        e.boxes.expectMessage(QStringLiteral("Wiecej juz nie ma ... naprawde!!!"));
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(e.w.state().numer(), 2);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Łąka"));
    }

    // "Wstaw nową za" (Insert in the grid) on "Start": a new situation edited as "N&owa" edits,
    // saved in place as situation 2 and shown there; the road of "Start" follows "Łąka" to 3.
    void insertKeyPutsANewSituationAfterTheRow() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        auto* grid = child<QTableView>(e.w, "SGSyt");
        grid->setCurrentIndex(e.w.grid().index(0, 0));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Insert);
        QVERIFY(e.w.state().newSituation());
        QCOMPARE(e.w.state().numer(), 2);
        QCOMPARE(child<QComboBox>(e.w, "CBTyp")->currentText(), QStringLiteral("Normalny"));
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Polana"));
        child<QPlainTextEdit>(e.w, "MeOpis")->setPlainText(QStringLiteral("Cicho"));
        for (QLineEdit* w : {child<QLineEdit>(e.w, "EWybor1"), child<QLineEdit>(e.w, "EWybor2"),
                             child<QLineEdit>(e.w, "EWybor3"), child<QLineEdit>(e.w, "EWybor4")})
            w->setText(QStringLiteral("Idź"));
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        QVERIFY(!e.w.state().newSituation());
        QCOMPARE(e.w.state().numer(), 2);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Polana"));
        QCOMPARE(e.row(2), QStringLiteral("Polana|N|"));
        QCOMPARE(e.row(3), QStringLiteral("Łąka|1|"));
        QCOMPARE(targetAt(readFile(kro), 1, 1), 3);
        QCOMPARE(child<QPushButton>(e.w, "BuCofnij")->toolTip(),
                 QStringLiteral("Cofnij: wstawienie sytuacji 2 „Polana”"));
    }

    void newSituationIsAppendedByTheAutomaticSave() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNowy"));
        QCOMPARE(e.w.state().numer(), 3);
        QVERIFY(!child<QPushButton>(e.w, "BuNowy")->isEnabled() &&
                !child<QPushButton>(e.w, "BuPrzywroc")->isEnabled());
        QCOMPARE(child<QComboBox>(e.w, "CBTyp")->currentText(), QStringLiteral("Normalny"));
        QCOMPARE(child<QComboBox>(e.w, "CBKrok_Wybrany4")->currentText(),
                 QStringLiteral("Default Koniec"));
        QCOMPARE(e.enabledRows(), QStringLiteral("1111"));
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Las"));
        child<QPlainTextEdit>(e.w, "MeOpis")->setPlainText(QStringLiteral("Ciemny\nlas"));
        for (QLineEdit* w : {child<QLineEdit>(e.w, "EWybor1"), child<QLineEdit>(e.w, "EWybor2"),
                             child<QLineEdit>(e.w, "EWybor3"), child<QLineEdit>(e.w, "EWybor4")})
            w->setText(QStringLiteral("Idź"));
        child<QComboBox>(e.w, "CBKrok_Wybrany2")->setEditText(QStringLiteral("łąka"));
        child<QCheckBox>(e.w, "CBAuto")->setChecked(true);
        e.boxes.expectMessage(QStringLiteral("Wiecej juz nie ma ... naprawde!!!"));
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        QVERIFY(e.boxes.verifyAllShown());
        const QByteArray saved = readFile(kro);
        QCOMPARE(saved.size(), 4 * 516);
        QCOMPARE(readFile(folder_.filePath(QStringLiteral("Las.lis"))).size(), 4 * 22);
        QCOMPARE(textAt(saved, 3, 205), QByteArray("Ciemny\r\nlas"));
        QCOMPARE(targetAt(saved, 3, 2), 2);
        QCOMPARE(e.row(3), QStringLiteral("Las|N|"));
        QVERIFY(!child<QPushButton>(e.w, "BuNowy")->isEnabled());
        QCOMPARE(child<QComboBox>(e.w, "CBKrok_Wybrany1")->count(), 4);
    }

    void refusedAutomaticSaveKeepsTheScenario_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("open") << "BuOtworz";
        QTest::newRow("next") << "BuNastepny";
        QTest::newRow("new") << "BuNowy";
        QTest::newRow("close") << "close";
    }
    void refusedAutomaticSaveKeepsTheScenario() {
        QFETCH(QString, action);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        child<QCheckBox>(e.w, "CBAuto")->setChecked(true);
        child<QPlainTextEdit>(e.w, "MeOpis")->clear();
        e.boxes.expectMessage(QStringLiteral("Zapomniales czegos wpisac :)"));
        if (action == u"close") {
            QVERIFY(!e.w.close());
            QVERIFY(e.w.isVisible());
        } else {
            if (action == u"BuOtworz")
                e.dialog.answer(folder_.filePath(QStringLiteral("Inny.Kro")));
            Editor::click(e.w.findChild<QPushButton*>(action));
        }
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(e.w.state().numer(), 1);
        QCOMPARE(e.w.state().situationFilePath(), kro);
        QCOMPARE(child<QLabel>(e.w, "FileNameS")->text(), kro);
        QVERIFY(!QFile::exists(folder_.filePath(QStringLiteral("Inny.Kro"))));
        QVERIFY(child<QPushButton>(e.w, "BuNowy")->isEnabled());
    }

    void enterInTheGridJumpsLikeADoubleClick() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNowy"));
        child<QTableView>(e.w, "SGSyt")->setCurrentIndex(e.w.grid().index(1, 0));
        child<QTableView>(e.w, "SGSyt")->setFocus();
        QTest::keyClick(child<QTableView>(e.w, "SGSyt"), Qt::Key_Return);
        QCOMPARE(e.w.state().numer(), 2);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Łąka"));
        QVERIFY(child<QPushButton>(e.w, "BuNowy")->isEnabled());
        QVERIFY(!child<QPushButton>(e.w, "BuPrzywroc")->isEnabled());
    }

    // Delete in the grid deletes the row's situation once the author agrees; the grid follows.
    void deleteKeyInTheGridDeletesTheSituation() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        Editor e;
        e.open(kro);
        auto* grid = child<QTableView>(e.w, "SGSyt");
        const int rows = grid->model()->rowCount();
        grid->setCurrentIndex(e.w.grid().index(1, 0));
        grid->setFocus();
        e.boxes.expectQuestion(QStringLiteral("Usunąć sytuację 2 „Łąka”?\n\nProwadzą do niej drogi "
                                              "z: 1 „Start”. Te drogi poprowadzą do sytuacji 0 "
                                              "(domyślny koniec)."),
                               true);
        QTest::keyClick(grid, Qt::Key_Delete);
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(grid->model()->rowCount(), rows - 1);
        QCOMPARE(e.w.state().numer(), 1);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Start"));
    }

    // "Cofnij" and "Ponów" name the step in their tooltips; Ctrl+Z undoes where the focus is
    // not in a text field (a field keeps its own undo), Ctrl+Shift+Z does again; "Zamień
    // wszystko" in "Szukaj" (Ctrl+F) is one step.
    void historyFromButtonsKeysAndSzukaj_data() {
        QTest::addColumn<QString>("change"); // "delete" or "replace"
        QTest::addColumn<QString>("step");
        QTest::newRow("delete") << "delete"
                                << "usunięcie sytuacji 2 „Łąka”";
        QTest::newRow("replace") << "replace"
                                 << "zamiana „łąk” na „pol” (3)";
    }
    void historyFromButtonsKeysAndSzukaj() {
        QFETCH(QString, change);
        QFETCH(QString, step);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        const QByteArray before = readFile(kro) + readFile(listFilePath(kro));
        Editor e;
        e.open(kro);
        e.w.show();
        e.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&e.w));
        auto* grid = child<QTableView>(e.w, "SGSyt");
        auto* cofnij = child<QPushButton>(e.w, "BuCofnij");
        auto* ponow = child<QPushButton>(e.w, "BuPonow");
        QVERIFY(!cofnij->isEnabled() && !ponow->isEnabled());
        if (change == QStringLiteral("delete")) {
            grid->setCurrentIndex(e.w.grid().index(1, 0));
            grid->setFocus();
            e.boxes.expectQuestion(
                QStringLiteral("Usunąć sytuację 2 „Łąka”?\n\nProwadzą do niej drogi z: 1 "
                               "„Start”. Te drogi poprowadzą do sytuacji 0 (domyślny koniec)."),
                true);
            QTest::keyClick(grid, Qt::Key_Delete);
        } else {
            QTest::keySequence(&e.w, QKeySequence(Qt::ControlModifier | Qt::Key_F));
            auto* find = e.w.findChild<FindWindow*>();
            QVERIFY(find && find->isVisible());
            child<QLineEdit>(*find, "ESzukaj")->setText(QStringLiteral("łąk"));
            child<QLineEdit>(*find, "EZamien")->setText(QStringLiteral("pol"));
            Editor::click(child<QPushButton>(*find, "BuZamienWszystko"));
            QCOMPARE(child<QLabel>(*find, "LaWynik")->text(),
                     QStringLiteral("Zamieniono: 3 w 2 sytuacjach"));
            Editor::click(child<QPushButton>(*find, "BuZamknij"));
            e.w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e.w));
        }
        QVERIFY(e.boxes.verifyAllShown());
        const QByteArray after = readFile(kro) + readFile(listFilePath(kro));
        QVERIFY(after != before);
        QCOMPARE(cofnij->toolTip(), QStringLiteral("Cofnij: ") + step);

        // The keys go where the focus is, as typed keys do.
        auto* nazwa = child<QLineEdit>(e.w, "ENazwa");
        nazwa->setFocus();
        QTest::keySequence(nazwa, QKeySequence(Qt::ControlModifier | Qt::Key_Z));
        QCOMPARE(readFile(kro) + readFile(listFilePath(kro)), after);
        grid->setFocus();
        QTest::keySequence(grid, QKeySequence(Qt::ControlModifier | Qt::Key_Z));
        QCOMPARE(readFile(kro) + readFile(listFilePath(kro)), before);
        QCOMPARE(ponow->toolTip(), QStringLiteral("Ponów: ") + step);
        QVERIFY(!cofnij->isEnabled());
        grid->setFocus();
        QTest::keySequence(grid, QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z));
        QCOMPARE(readFile(kro) + readFile(listFilePath(kro)), after);
        Editor::click(cofnij);
        QCOMPARE(readFile(kro) + readFile(listFilePath(kro)), before);
    }

    // "Historia" (Ctrl+H) lists the version kept before the first save; bringing it back gives
    // its files byte for byte as one step, which "Cofnij" takes back. A version folder that
    // cannot be made is told once, and the saves go on.
    void historyBringsBackAVersionAsOneStep_data() {
        QTest::addColumn<bool>("versionsWritable");
        QTest::newRow("versions kept") << true;
        QTest::newRow("version folder cannot be made") << false;
    }
    void historyBringsBackAVersionAsOneStep() {
        QFETCH(bool, versionsWritable);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        const auto pair = [&kro] { return readFile(kro) + readFile(listFilePath(kro)); };
        const QByteArray original = pair();
        Editor e;
        e.open(kro);
        if (!versionsWritable) {
            // A file where the versions' folder should be: no one, root included, makes it.
            QVERIFY(writeFile(e.versionRoot, "plik"));
            const QString folder = VersionStore(e.versionRoot).folderOf(kro);
            e.boxes.expectMessage(VersionSchedule::FailedMessage.arg(
                QStringLiteral("Nie można zachować wersji scenariusza %1\n%2: nie można "
                               "utworzyć folderu")
                    .arg(kro, folder)));
        }
        for (const QString& name : {QStringLiteral("Początek"), QStringLiteral("Wejście")}) {
            child<QLineEdit>(e.w, "ENazwa")->setText(name);
            Editor::click(child<QPushButton>(e.w, "BuZapisz"));
            QCOMPARE(textAt(readFile(kro), 1, 0), Cp1250::encode(name));
        }
        const QByteArray saved = pair();
        auto* grid = child<QTableView>(e.w, "SGSyt");
        grid->setFocus();
        QTest::keySequence(grid, QKeySequence(Qt::ControlModifier | Qt::Key_H));
        HistoryWindow* history = e.w.tools().historyWindow();
        QVERIFY(history && history->isVisible());
        auto* versions = child<QTreeView>(*history, "TVWersje");
        QCOMPARE(versions->model()->rowCount(), versionsWritable ? 1 : 0);
        QVERIFY(e.boxes.verifyAllShown());
        if (!versionsWritable)
            return;

        versions->setCurrentIndex(versions->model()->index(0, 0));
        const QString id = history->chosenId();
        emit history->restoreRequested(id);
        QCOMPARE(pair(), original);
        auto* cofnij = child<QPushButton>(e.w, "BuCofnij");
        QCOMPARE(cofnij->toolTip(),
                 QStringLiteral("Cofnij: przywrócenie wersji ") + VersionStore::labelOf(id));
        QCOMPARE(versions->model()->rowCount(), 2); // the present, kept before
        Editor::click(cofnij);
        QCOMPARE(pair(), saved);
        QVERIFY(e.boxes.verifyAllShown());
    }

    // A failing file call stops the save at that step, and the save is all or nothing: both
    // records are written, or neither. Calls: both lengths (1, 2), what record 1 held (3 to
    // 6), the journal made and written (7, 8), the two records (9 to 12), the journal removed
    // (13), then the rebuild.
    void failedSaveStopsAtItsStep_data() {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<bool>("kroWritten");
        QTest::addColumn<bool>("lisWritten");
        QTest::newRow("journal write") << 8 << false << false;
        QTest::newRow("situation write") << 10 << false << false;
        QTest::newRow("list write") << 12 << false << false;
        QTest::newRow("journal removal") << 13 << false << false;
        QTest::newRow("rebuild") << 14 << true << true;
    }
    void failedSaveStopsAtItsStep() {
        QFETCH(int, failAt);
        QFETCH(bool, kroWritten);
        QFETCH(bool, lisWritten);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        const QString lis = folder_.filePath(QStringLiteral("Las.lis"));
        QVERIFY(writeScenario(kro, threeSituations()));
        const QByteArray kroBefore = readFile(kro);
        const QByteArray lisBefore = readFile(lis);
        Editor e;
        e.open(kro);
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Nowy start"));
        e.files.failCall(failAt, AppError::DiskFull);
        e.boxes.expectError(QStringLiteral("Disk full"));
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(readFile(kro) != kroBefore, kroWritten);
        QCOMPARE(readFile(lis) != lisBefore, lisWritten);
        QVERIFY(!QFile::exists(kro + QStringLiteral("-journal")));
        QCOMPARE(e.w.grid().cell(1, 0), QStringLiteral("Start"));
    }

    // A description shown and saved unchanged keeps its bytes; a lone CR is shown as a sign,
    // not as a line break.
    void descriptionKeepsItsBytesThroughASave_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << "Ciemny\r\nlas"
                               << "Ciemny\nlas";
        QTest::newRow("lone CR") << "Ciemny\rlas" << QStringLiteral("Ciemny\u240Dlas");
        QTest::newRow("CR CR LF at the end") << "las\r\r\n" << QStringLiteral("las\u240D\n");
    }
    void descriptionKeepsItsBytesThroughASave() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        std::vector<Situation> situations = threeSituations();
        situations[2].opis = stored;
        QVERIFY(writeScenario(kro, situations));
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        QCOMPARE(child<QPlainTextEdit>(e.w, "MeOpis")->toPlainText(), shown);
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QCOMPARE(textAt(readFile(kro), 2, 205), Cp1250::encode(stored));
    }

    // What goes past 250 bytes, a line break counting two, is cut from what was typed.
    void descriptionHoldsAtMost250Bytes_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("260 letters") << QString(260, u'x') << QString(250, u'x');
        QTest::newRow("line break counts two") << QString(245, u'x') + u'\n' + QString(10, u'y')
                                               << QString(245, u'x') + u'\n' + QString(3, u'y');
        QTest::newRow("Polish letters are one byte")
            << QString(100, u'x') + QString(155, QChar(0x0105))
            << QString(100, u'x') + QString(150, QChar(0x0105));
    }
    void descriptionHoldsAtMost250Bytes() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Editor e;
        e.open(folder_.filePath(QStringLiteral("Nowy.Kro")));
        child<QPlainTextEdit>(e.w, "MeOpis")->clear();
        child<QPlainTextEdit>(e.w, "MeOpis")->setFocus();
        QTest::keyClicks(child<QPlainTextEdit>(e.w, "MeOpis"), typed.left(100));
        child<QPlainTextEdit>(e.w, "MeOpis")
            ->insertPlainText(typed.mid(100)); // the rest pasted in one go
        QCOMPARE(child<QPlainTextEdit>(e.w, "MeOpis")->toPlainText(), kept);
        QCOMPARE(child<QPlainTextEdit>(e.w, "MeOpis")->textCursor().position(), kept.size());
    }

    // The progress window of a long open stands over the editor, and its "Anuluj" cancels the
    // open: the scenario open before stays shown, fields as typed.
    void cancelledProgressKeepsTheScenarioOpen() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        const QString other = folder_.filePath(QStringLiteral("Inny.Kro"));
        QVERIFY(writeScenario(kro, threeSituations()));
        QVERIFY(writeScenario(other, threeSituations()));
        Editor e;
        e.open(kro);
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Wpisane"));
        const auto showAfter = LoadProgress::showAfter;
        LoadProgress::showAfter = std::chrono::milliseconds(0);
        QTimer canceller;
        bool cancelled = false;
        QObject::connect(&canceller, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<QProgressDialog*>(top);
                if (progress && progress->isVisible() && progress->isModal()) {
                    progress->cancel();
                    cancelled = true;
                    canceller.stop();
                }
            }
        });
        canceller.start(0);
        e.open(other);
        LoadProgress::showAfter = showAfter;
        QVERIFY(cancelled);
        QCOMPARE(child<QLabel>(e.w, "FileNameS")->text(), kro);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Wpisane"));
        QVERIFY(e.boxes.verifyAllShown());
    }

private:
    TestFolder folder_;
};

KIT_TEST_MAIN(TestUedytor)
#include "tst_uedytor.moc"
