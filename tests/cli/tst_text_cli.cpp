// tekstowki to-text and from-text run as processes: the pair through text and back, a pair
// to-text refuses, an unfinished save it reads past, a failed from-text that leaves the old
// pair alone, a good one that replaces it whole; check on a text, and a file of the wrong kind
// given to each sub-command; delete, move and duplicate done as the model does them, or refused
// with the pair left byte for byte.

#include "common/Restructure.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "tests/support/RunProgram.h"
#include "tests/support/ScenarioBuilder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

bool writeRiver(const QString& kro, const QString& name) {
    return writeScenario(kro, {describedSituation("Default Koniec", Koniec),
                               describedSituation("Start", Poczatek, {2}, {"Idź"}),
                               describedSituation(name, Wybory2, {3, 1}, {"Przepłyń", "Zawróć"}),
                               describedSituation("Brzeg", Koniec)});
}

template <typename Record> std::vector<Record> recordsIn(const QString& path) {
    const QByteArray bytes = readFile(path);
    std::vector<Record> records(std::size_t(bytes.size()) / sizeof(Record));
    std::memcpy(records.data(), bytes.constData(), records.size() * sizeof(Record));
    return records;
}

template <typename Record> QByteArray bytesOf(const std::vector<Record>& records) {
    return QByteArray(reinterpret_cast<const char*>(records.data()),
                      qsizetype(records.size() * sizeof(Record)));
}

} // namespace

class TestTextCli : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_.renew();
        QVERIFY(QDir::setCurrent(dir_.path()));
        QVERIFY(writeRiver("Las.Kro", "Rzeka"));
    }

    void exitStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stderrStart");
        QTest::newRow("to-text") << QStringList{"to-text", "Las.Kro"} << 0 << QString();
        QTest::newRow("to-text, missing file")
            << QStringList{"to-text", "Brak.Kro"} << 2 << "tekstowki: Brak.Kro: File not found";
        QTest::newRow("to-text, part of a record")
            << QStringList{"to-text", "Cut.Kro"} << 2 << "tekstowki: Cut.Kro: plik sytuacji";
        QTest::newRow("to-text, part of a list record")
            << QStringList{"to-text", "CutList.Kro"} << 2 << "tekstowki: CutList.Kro: plik listy";
        QTest::newRow("to-text, a list record fewer")
            << QStringList{"to-text", "Short.Kro"} << 2
            << "tekstowki: Short.Kro: plik sytuacji ma 4 rekordów, a plik listy 3";
        QTest::newRow("to-text, a pipe")
            << QStringList{"to-text", "Rura.Kro"} << 2 << "tekstowki: Rura.Kro: ";
        QTest::newRow("to-text, too many situations")
            << QStringList{"to-text", "Wielki.Kro"} << 2
            << "tekstowki: Wielki.Kro: " + TooLargeMessage;
        QTest::newRow("from-text without -o")
            << QStringList{"from-text", "t.txt"} << 2 << "tekstowki: podaj plik sytuacji";
        QTest::newRow("from-text, missing text")
            << QStringList{"from-text", "Brak.txt", "-o", "N.Kro"} << 2 << "tekstowki: Brak.txt";
        QTest::newRow("from-text, not UTF-8")
            << QStringList{"from-text", "latin.txt", "-o", "N.Kro"} << 2 << "tekstowki: latin.txt";
        QTest::newRow("from-text help") << QStringList{"from-text", "--help"} << 0 << QString();
    }
    void exitStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stderrStart);
        QVERIFY(writeFile("Cut.Kro", readFile("Las.Kro").chopped(1)));
        QVERIFY(writeFile("Cut.lis", readFile("Las.lis")));
        QVERIFY(writeFile("latin.txt", "== 0 \xb3\xb9ka\ntyp: Koniec\n"));
        const QByteArray situations = readFile("Las.Kro");
        const QByteArray list = readFile("Las.lis");
        QVERIFY(writeFile("CutList.Kro", situations) && writeFile("CutList.lis", list.chopped(1)));
        QVERIFY(writeFile("Short.Kro", situations));
        QVERIFY(writeFile("Short.lis", list.chopped(TRekordListy::Size)));
        // A pipe nobody writes into, and a file stretched far past the limit (no disk used).
        QCOMPARE(::mkfifo("Rura.Kro", 0600), 0);
        QVERIFY(writeFile("Rura.lis", list) && writeFile("Wielki.lis", list));
        QFile huge("Wielki.Kro");
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(10'000'000'000));
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith(stderrStart), qPrintable(run.err));
        QCOMPARE(run.err.isEmpty(), stderrStart.isEmpty());
        QCOMPARE(run.out.isEmpty(), status == 2);
    }

    void roundTripThroughFiles() {
        const ProgramRun out = tekstowki({"to-text", "Las.Kro"});
        QCOMPARE(out.status, 0);
        QCOMPARE(tekstowki({"to-text", "Las.Kro", "-o", "las.txt"}).status, 0);
        QCOMPARE(QString::fromUtf8(readFile("las.txt")), out.out);
        const ProgramRun in = tekstowki({"from-text", "las.txt", "-o", "Nowy.Kro"});
        QCOMPARE(in.status, 0);
        QVERIFY(in.err.isEmpty());
        QCOMPARE(readFile("Nowy.Kro"), readFile("Las.Kro"));
        QCOMPARE(readFile("Nowy.lis"), readFile("Las.lis"));
    }

    void toTextReadsPastAnUnfinishedSave() {
        const ProgramRun before = tekstowki({"to-text", "Las.Kro"});
        QCOMPARE(before.status, 0);
        // A save of situation 2 stopped after it overwrote the record: its journal holds the
        // record as it was.
        SaveJournal journal = journalOf(2, readFile("Las.Kro").size() / TRekordKroku::Size);
        const QByteArray situation = readFile("Las.Kro").mid(2 * TRekordKroku::Size);
        const QByteArray list = readFile("Las.lis").mid(2 * TRekordListy::Size);
        std::copy_n(situation.constData(), journal.situation.size(), journal.situation.begin());
        std::copy_n(list.constData(), journal.list.size(), journal.list.begin());
        QVERIFY(writeFile(SaveJournal::pathFor("Las.Kro"), journal.encode()));
        QVERIFY(writeRiver("Las.Kro", "Bród"));

        const ProgramRun after = tekstowki({"to-text", "Las.Kro"});
        QCOMPARE(after.status, 0);
        QCOMPARE(after.out, before.out);
    }

    // Whatever lies at the journal's path and is no journal of the pair is applied by no
    // sub-command: each reads the files as they are and changes nothing in the folder.
    void plantedJournalIsReadPast_data() {
        QTest::addColumn<QString>("planted");
        QTest::newRow("other bytes") << "bytes";
        QTest::newRow("a dangling link") << "link";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a journal of another pair") << "other pair";
    }
    void plantedJournalIsReadPast() {
        QFETCH(QString, planted);
        const QList<QStringList> commands = {
            {"check", "Las.Kro"}, {"to-text", "Las.Kro"}, {"export-html", "Las.Kro", "-o", "-"}};
        QList<ProgramRun> before;
        for (const QStringList& command : commands)
            before << tekstowki(command);
        const QString journal = SaveJournal::pathFor("Las.Kro");
        const SaveJournal other = journalOf(1, 9);
        QVERIFY(planted == u"bytes"    ? writeFile(journal, QByteArray(SaveJournal::Size, 'x'))
                : planted == u"link"   ? QFile::link("../ofiara/klucze", journal)
                : planted == u"folder" ? QDir().mkdir(journal)
                                       : writeFile(journal, other.encode()));
        const QStringList entries = QDir().entryList(QDir::AllEntries | QDir::System);
        for (qsizetype i = 0; i < commands.size(); ++i) {
            const ProgramRun after = tekstowki(commands[i]);
            QCOMPARE(after.status, before[i].status);
            QCOMPARE(after.out, before[i].out);
        }
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::System), entries);
        QVERIFY(!QFileInfo::exists("../ofiara"));
    }

    void failedFromTextLeavesThePair() {
        QVERIFY(writeFile("zly.txt", "== 0 Default Koniec\ntyp: Koniec\n\n== 1 Start\n"
                                     "typ: Poczatek\nwybór 1: Idź -> Zamek\n"));
        const QByteArray kro = readFile("Las.Kro");
        const QByteArray lis = readFile("Las.lis");
        const ProgramRun run = tekstowki({"from-text", "zly.txt", "-o", "Las.Kro"});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith("tekstowki: zly.txt:6:17: nie ma sytuacji o nazwie „Zamek”"),
                 qPrintable(run.err));
        QCOMPARE(readFile("Las.Kro"), kro);
        QCOMPARE(readFile("Las.lis"), lis);
        QCOMPARE(QDir().entryList(QDir::Files).size(), 3); // nothing left beside them
    }

    void goodFromTextReplacesThePair() {
        QVERIFY(writeRiver("Inny.Kro", "Bród"));
        QCOMPARE(tekstowki({"to-text", "Inny.Kro", "-o", "inny.txt"}).status, 0);
        QVERIFY(QFile::setPermissions("Las.Kro", QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(tekstowki({"from-text", "inny.txt", "-o", "Las.Kro"}).status, 0);
        QCOMPARE(readFile("Las.Kro"), readFile("Inny.Kro"));
        QCOMPARE(readFile("Las.lis"), readFile("Inny.lis"));
        // The old file's permissions stay: no one else may read it.
        const QFile::Permissions kept = QFile::permissions("Las.Kro");
        QVERIFY(kept.testFlags(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(!(kept & (QFile::ReadGroup | QFile::ReadOther)));
        QCOMPARE(QDir().entryList(QDir::Files).size(), 5);
    }

    // check reads a text as from-text does and names each finding by its block's line.
    void checkReadsText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("first"); // the first line of stdout, or of stderr at 2
        QTest::addColumn<int>("line");      // of the first finding in the JSON, 0 for none
        const QString end = "== 0 Wodospad\ntyp: Koniec\nopis:\n  Koniec.\n\n";
        const QString start = end + "== 1 Start\ntyp: Wybory1\nopis:\n  Brama.\n";
        QTest::newRow("clean") << start + "wybór 1: Idź -> #0\n"
                               << 0
                               << "Sytuacje: 2, osiągalne z sytuacji 1: 2, osiągalne "
                                  "zakończenia: 1."
                               << 0;
        QTest::newRow("an error, at its block")
            << start + "wybór 1: Idź -> #57\n"
            << 1
            << "t.txt:6: sytuacja 1 \"Start\": błąd: wybór 1 prowadzi do sytuacji 57, a "
               "scenariusz ma 2 sytuacji"
            << 6;
        QTest::newRow("a choice the type does not offer")
            << start + "wybór 1: Idź -> #0\nwybór 3: Skacz -> Start\n"
            << 0
            << "t.txt:6: sytuacja 1 \"Start\": ostrzeżenie: wybór 3 nie jest oferowany przez "
               "typ Wybory1, a ma tekst „Skacz” i drogę do sytuacji 1; gracz go nie pokaże "
               "(usuń go albo zmień typ)"
            << 6;
        QTest::newRow("no situation 1, no block")
            << end << 1
            << "t.txt: błąd: scenariusz nie ma sytuacji 1, od której zaczyna się "
               "każda gra"
            << 0;
        QTest::newRow("a fault of the text")
            << start + "wybór 1: Idź\n"
            << 2
            << "tekstowki: t.txt:10:13: oczekiwano „ -> ” i celu wyboru (nazwy sytuacji albo "
               "#numeru)"
            << 0;
    }
    void checkReadsText() {
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(QString, first);
        QFETCH(int, line);
        QVERIFY(writeFile("t.txt", text.toUtf8()));
        const ProgramRun run = tekstowki({"check", "t.txt"});
        QCOMPARE(run.status, status);
        QCOMPARE((status == 2 ? run.err : run.out).split(u'\n').first(), first);
        QCOMPARE(run.err.isEmpty(), status != 2);
        const ProgramRun json = tekstowki({"check", "--json", "t.txt"});
        QCOMPARE(json.status, status);
        const QJsonArray findings =
            QJsonDocument::fromJson(json.out.toUtf8()).object()["findings"].toArray();
        QCOMPARE(findings.isEmpty() ? 0 : findings[0]["line"].toInt(), line);
    }

    // Each sub-command told the kind of file it got instead of the one it reads, and nothing
    // written.
    void wrongKindIsNamed_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString text = "tekstowki: las.txt: to jest tekst scenariusza, nie plik sytuacji "
                             "*.Kro; użyj: tekstowki from-text las.txt -o las.Kro\n";
        QTest::newRow("to-text, a text")
            << QStringList{"to-text", "las.txt", "-o", "b.txt"} << text;
        QTest::newRow("export-html, a text")
            << QStringList{"export-html", "las.txt", "-o", "b.html"} << text;
        QTest::newRow("from-text, a situation file")
            << QStringList{"from-text", "Las.Kro", "-o", "N.Kro"}
            << "tekstowki: Las.Kro: to jest plik sytuacji *.Kro, nie tekst scenariusza; użyj: "
               "tekstowki to-text Las.Kro -o Las.txt\n";
        QTest::newRow("from-text, a list file")
            << QStringList{"from-text", "Las.lis", "-o", "N.Kro"}
            << "tekstowki: Las.lis: to jest plik listy *.lis, nie tekst scenariusza; użyj: "
               "tekstowki to-text Las.Kro -o Las.txt\n";
    }
    void wrongKindIsNamed() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QCOMPARE(tekstowki({"to-text", "Las.Kro", "-o", "las.txt"}).status, 0);
        const QStringList before = QDir().entryList(QDir::Files);
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, message);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(QDir().entryList(QDir::Files), before);
    }

    void restructureDone_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("delete") << QStringList{"delete", "Las.Kro", "2"};
        QTest::newRow("move") << QStringList{"move", "Las.Kro", "3", "--to", "2"};
        QTest::newRow("duplicate") << QStringList{"duplicate", "Las.Kro", "2"};
    }
    void restructureDone() {
        QFETCH(QStringList, arguments);
        auto rekordy = recordsIn<TRekordKroku>("Las.Kro");
        auto listy = recordsIn<TRekordListy>("Las.lis");
        if (arguments[0] == "delete")
            deleteSituation(rekordy, listy, 2);
        else if (arguments[0] == "move")
            moveSituation(rekordy, listy, 3, 2);
        else
            duplicateSituation(rekordy, listy, 2);
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.isEmpty() && run.out.count(u'\n') == 1, qPrintable(run.err));
        QCOMPARE(readFile("Las.Kro"), bytesOf(rekordy));
        QCOMPARE(readFile("Las.lis"), bytesOf(listy));
    }

    void restructureRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("stderrStart");
        QTest::newRow("delete the start")
            << QStringList{"delete", "Las.Kro", "1"} << "tekstowki: Las.Kro: sytuacja 1";
        QTest::newRow("move onto the default end")
            << QStringList{"move", "Las.Kro", "3", "--to", "0"} << "tekstowki: Las.Kro: miejsce 0";
        QTest::newRow("move without --to")
            << QStringList{"move", "Las.Kro", "3"} << "tekstowki: podaj nowy numer";
        QTest::newRow("duplicate past the end")
            << QStringList{"duplicate", "Las.Kro", "4"} << "tekstowki: Las.Kro: nie ma sytuacji 4";
        QTest::newRow("missing pair")
            << QStringList{"delete", "Brak.Kro", "2"} << "tekstowki: Brak.Kro: File not found";
        QTest::newRow("unfinished save")
            << QStringList{"delete", "Las.Kro", "2"} << "tekstowki: Las.Kro: scenariusz ma";
    }
    void restructureRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, stderrStart);
        if (QTest::currentDataTag() == QLatin1String("unfinished save"))
            QVERIFY(writeFile(SaveJournal::pathFor("Las.Kro"), journalOf(2, 4).encode()));
        const QByteArray situations = readFile("Las.Kro");
        const QByteArray list = readFile("Las.lis");
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith(stderrStart) && run.out.isEmpty(), qPrintable(run.err));
        QCOMPARE(readFile("Las.Kro"), situations);
        QCOMPARE(readFile("Las.lis"), list);
    }

private:
    TestFolder dir_;
};

QTEST_GUILESS_MAIN(TestTextCli)
#include "tst_text_cli.moc"
