// The command line tekstowki run as a process: its exit statuses, a finding's line, the JSON
// document read back, and where the writing sub-commands may put their output.

#include "common/SaveJournal.h"
#include "tests/support/RunProgram.h"
#include "tests/support/ScenarioBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 1 -> 2 "Rzeka" -> 3 (Koniec); `target` is where Rzeka's second choice leads.
bool writeRiver(const QString& kro, std::int32_t target, const QString& description) {
    std::vector<Situation> s = {
        describedSituation("Koniec", Koniec),
        describedSituation("Start", Poczatek, {2}, {"Idź"}),
        describedSituation("Rzeka", Wybory2, {3, target}, {"Przepłyń", "Zawróć"}),
        describedSituation("Brzeg", Koniec),
    };
    s[3].opis = description;
    return writeScenario(kro, s);
}

// Every entry under `root`, links not followed: a link as its target, a folder as such, a
// regular file as its bytes, a pipe or a device as "other" (never opened here).
QMap<QString, QByteArray> tree(const QString& root) {
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        QByteArray& entry = entries[QDir(root).relativeFilePath(info.filePath())];
        if (info.isSymLink())
            entry = "link to " + QFile::encodeName(info.symLinkTarget());
        else if (info.isDir())
            entry = "folder";
        else
            entry = info.isFile() ? readFile(info.filePath()) : QByteArray("other");
    }
    return entries;
}

// Holds a named pipe open for reading, so that a writer finds a reader, and takes what arrived.
class PipeReader {
public:
    explicit PipeReader(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~PipeReader() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // What the pipe holds once its writer is done (a pipe holds 64 KiB: the outputs are smaller).
    QByteArray taken() const {
        QByteArray bytes;
        char block[4096];
        for (ssize_t got; (got = ::read(fd_, block, sizeof block)) > 0;)
            bytes.append(block, got);
        return bytes;
    }

private:
    int fd_;
};

// What a test plants where a command is to write.
enum Planted {
    DanglingLink,   // a link to a file not there yet, in the folder "victim" beside the game's
    LinkToFile,     // a link to a regular file in "victim"
    Folder,         // a folder
    Pipe,           // a named pipe
    LinkToPipe,     // a link to a named pipe
    LinkToDevice,   // a link to /dev/null
    StandardOutput, // nothing: the output is "-"
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }

    void exitStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stderrStart");
        const QString kro = QStringLiteral("Las.Kro");
        QTest::newRow("clean") << QStringList{"check", kro} << 0 << QString();
        QTest::newRow("warnings only") << QStringList{"check", "Pusty.Kro"} << 0 << QString();
        QTest::newRow("an error") << QStringList{"check", "Zly.Kro"} << 1 << QString();
        QTest::newRow("an error, JSON")
            << QStringList{"check", "--json", "Zly.Kro"} << 1 << QString();
        QTest::newRow("missing file")
            << QStringList{"check", "Brak.Kro"} << 2 << "tekstowki: Brak.Kro: File not found";
        QTest::newRow("no file") << QStringList{"check"} << 2 << "tekstowki: ";
        QTest::newRow("unknown sub-command") << QStringList{"sprawdz", kro} << 2 << "tekstowki: ";
        QTest::newRow("no sub-command") << QStringList{} << 2 << "tekstowki: ";
        QTest::newRow("help") << QStringList{"--help"} << 0 << QString();
        QTest::newRow("version") << QStringList{"--version"} << 0 << QString();
    }
    void exitStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stderrStart);
        QVERIFY(writeRiver(dir_.filePath("Las.Kro"), 3, "Opis"));
        QVERIFY(writeRiver(dir_.filePath("Pusty.Kro"), 3, ""));
        QVERIFY(writeRiver(dir_.filePath("Zly.Kro"), 57, "Opis"));
        QVERIFY(QDir::setCurrent(dir_.path()));
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith(stderrStart), qPrintable(run.err));
        QCOMPARE(run.err.isEmpty(), stderrStart.isEmpty());
        // Nothing but results on stdout: a failed run prints none.
        QCOMPARE(run.out.isEmpty(), status == 2);
    }

    void findingLineNamesFileSituationAndChoice() {
        const QString kro = dir_.filePath("Zamek.Kro");
        QVERIFY(writeRiver(kro, 57, "Opis"));
        const ProgramRun run = tekstowki({"check", kro});
        QCOMPARE(run.status, 1);
        const QStringList lines = run.out.split(u'\n');
        QCOMPARE(lines.first(), kro + QStringLiteral(":2 \"Rzeka\": błąd: wybór 2 prowadzi do "
                                                     "sytuacji 57, a scenariusz ma 4 sytuacji"));
        QCOMPARE(lines.at(1), QString()); // the blank line before the summary
    }

    void jsonReadsBack() {
        const QString kro = dir_.filePath("Zamek.Kro");
        QVERIFY(writeRiver(kro, -1, ""));
        const ProgramRun run = tekstowki({"check", kro, "--json"});
        QCOMPARE(run.status, 1);
        QJsonParseError error;
        const QJsonObject doc = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc["file"].toString(), kro);
        const QJsonArray findings = doc["findings"].toArray();
        QCOMPARE(findings.size(), 2);
        QCOMPARE(findings[0]["kind"].toString(), "TargetNegative");
        QCOMPARE(findings[0]["severity"].toString(), "error");
        QCOMPARE(findings[0]["situation"].toInt(), 2);
        QCOMPARE(findings[0]["name"].toString(), "Rzeka");
        QCOMPARE(findings[0]["choice"].toInt(), 2);
        QCOMPARE(findings[1]["kind"].toString(), "EmptyDescription");
        QCOMPARE(findings[1]["severity"].toString(), "warning");
        QCOMPARE(findings[1]["situation"].toInt(), 3);
        QVERIFY(!findings[1].toObject().contains("choice"));
        const QJsonObject stats = doc["statistics"].toObject();
        for (const char* field :
             {"situations", "reachable", "endingsReachable", "shortestRoad", "longestRoad",
              "longestRoadCut", "descriptionWords", "choiceWords"})
            QVERIFY2(stats.contains(field), field);
        QCOMPARE(stats["situations"].toInt(), 4);
        QCOMPARE(stats["shortestRoad"].toInt(), 2);
    }

    void outputOnAnInputIsRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output"); // as the refusal names them
        QTest::addColumn<QString>("input");
        const auto row = [](const char* name, const char* command, const char* in,
                            const QString& out, const QString& output, const QString& input) {
            QTest::newRow(name) << QStringList{command, in, "-o", out} << output << input;
        };
        row("to-text, situation file", "to-text", "Zamek.Kro", "Zamek.Kro", "Zamek.Kro",
            "Zamek.Kro");
        row("to-text, list file", "to-text", "Zamek.Kro", "Zamek.lis", "Zamek.lis", "Zamek.lis");
        row("to-text, list file by another path", "to-text", "Zamek.Kro", "./Zamek.lis",
            "./Zamek.lis", "Zamek.lis");
        row("to-text, link to the situation file", "to-text", "Zamek.Kro", "kro.link", "kro.link",
            "Zamek.Kro");
        row("page, situation file", "export-html", "Zamek.Kro", "Zamek.Kro", "Zamek.Kro",
            "Zamek.Kro");
        row("page, list file", "export-html", "Zamek.Kro", "Zamek.lis", "Zamek.lis", "Zamek.lis");
        row("page, hard link to the situation file", "export-html", "Zamek.Kro", "twardy.Kro",
            "twardy.Kro", "Zamek.Kro");
        row("page, its picture", "export-html", "Zamek.Kro", "Obrazki/las.bmp", "Obrazki/las.bmp",
            "Obrazki/las.bmp");
        row("page, its sound", "export-html", "Zamek.Kro", "Dzwieki/PTAK.WAV", "Dzwieki/PTAK.WAV",
            "Dzwieki/PTAK.WAV");
        row("from-text, the text", "from-text", "A.txt", "A.txt", "A.txt", "A.txt");
        row("from-text, the text as the list file", "from-text", "A.lis", "A.stary.Kro", "A.lis",
            "A.lis");
        row("from-text, link to the text", "from-text", "A.txt", "txt.link", "txt.link", "A.txt");
    }
    void outputOnAnInputIsRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QString, input);
        writeCastle();
        QVERIFY(QFile::link("Zamek.Kro", "kro.link"));
        QVERIFY(QFile::link("A.txt", "txt.link"));
        QCOMPARE(::link("Zamek.Kro", "twardy.Kro"), 0);
        const QMap<QString, QByteArray> before = tree(dir_.path());
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith(QStringLiteral("tekstowki: „%1” to plik wejściowy polecenia "
                                                   "(%2)")
                                        .arg(output, input)),
                 qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(tree(dir_.path()), before);
    }

    void outputPlaces_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("planted");
        QTest::addColumn<QString>("where"); // Nowy.Kro is the output
        QTest::addColumn<int>("status");
        const QList<std::pair<const char*, Planted>> places = {{"dangling link", DanglingLink},
                                                               {"link to a file", LinkToFile},
                                                               {"folder", Folder},
                                                               {"pipe", Pipe},
                                                               {"link to a pipe", LinkToPipe},
                                                               {"link to a device", LinkToDevice},
                                                               {"-", StandardOutput}};
        for (const char* command : {"to-text", "export-html"}) {
            for (const auto& [name, planted] : places) {
                const bool stream = planted >= Pipe;
                QTest::addRow("%s, %s", command, name)
                    << QStringList{command, "Zamek.Kro"} << int(planted) << "Nowy.Kro"
                    << (stream ? 0 : 2);
            }
        }
        // A pair is never written into a stream, nor through a link.
        const QString journal = SaveJournal::pathFor("Nowy.Kro");
        const QList<std::tuple<const char*, Planted, QString>> pairPlaces = {
            {"situation file, dangling link", DanglingLink, "Nowy.Kro"},
            {"situation file, link to a file", LinkToFile, "Nowy.Kro"},
            {"situation file, folder", Folder, "Nowy.Kro"},
            {"situation file, pipe", Pipe, "Nowy.Kro"},
            {"situation file, link to a device", LinkToDevice, "Nowy.Kro"},
            {"list file, folder", Folder, "Nowy.lis"},
            {"list file, dangling link", DanglingLink, "Nowy.lis"},
            {"list file, link to a file", LinkToFile, "Nowy.lis"},
            {"journal, dangling link", DanglingLink, journal},
            {"journal, folder", Folder, journal}};
        for (const auto& [name, planted, where] : pairPlaces)
            QTest::addRow("from-text, %s", name)
                << QStringList{"from-text", "A.txt"} << int(planted) << where << 2;
    }
    void outputPlaces() {
        QFETCH(QStringList, command);
        QFETCH(int, planted);
        QFETCH(QString, where);
        QFETCH(int, status);
        writeCastle();
        const QString victim = dir_.filePath("victim/cel");
        QVERIFY(QDir().mkpath(dir_.filePath("victim")));
        // Anything not planted on is an existing pair: the output replaces it.
        for (const QString& file : {QStringLiteral("Nowy.Kro"), QStringLiteral("Nowy.lis")})
            QVERIFY(where == file || writeFile(file, readFile("Zamek" + file.mid(4))));
        std::optional<PipeReader> reader;
        switch (Planted(planted)) {
        case DanglingLink:
            QVERIFY(QFile::link(victim, where));
            break;
        case LinkToFile:
            QVERIFY(writeFile(victim, "nie ruszać"));
            QVERIFY(QFile::link(victim, where));
            break;
        case Folder:
            QVERIFY(QDir().mkdir(where));
            break;
        case Pipe:
            QCOMPARE(::mkfifo(QFile::encodeName(where).constData(), 0600), 0);
            break;
        case LinkToPipe:
            QCOMPARE(::mkfifo("rura", 0600), 0);
            QVERIFY(QFile::link("rura", where));
            break;
        case LinkToDevice:
            QVERIFY(QFile::link("/dev/null", where));
            break;
        case StandardOutput:
            break;
        }
        if (planted == Pipe || planted == LinkToPipe) {
            reader.emplace(where);
            QVERIFY(reader->isOpen());
        }
        // What the command writes into a regular file, to compare with what a stream gets.
        const QString reference = dir_.filePath("wzor");
        QCOMPARE(tekstowki(command + QStringList{"-o", reference}).status, 0);
        const QMap<QString, QByteArray> before = tree(dir_.path());

        const QString output = planted == StandardOutput ? "-" : "Nowy.Kro";
        const ProgramRun run = tekstowki(command + QStringList{"-o", output});
        QCOMPARE(run.status, status);
        QCOMPARE(run.err.startsWith("tekstowki: "), status == 2);
        QCOMPARE(tree(dir_.path()), before); // pipes still pipes, links still links, victim empty
        if (reader)
            QCOMPARE(reader->taken(), status == 0 ? readFile(reference) : QByteArray());
        QCOMPARE(run.out.toUtf8(), planted == StandardOutput ? readFile(reference) : QByteArray());
    }

private:
    // The scenario Zamek in the folder "gra" (made current): a picture and a sound whose files
    // are found in another letter case, and the scenario's text as A.txt and as A.lis.
    void writeCastle() {
        const QString game = dir_.filePath("gra");
        QVERIFY(QDir().mkpath(game));
        QVERIFY(QDir::setCurrent(game));
        std::vector<Situation> s = {describedSituation("Koniec", Koniec),
                                    describedSituation("Start", Poczatek, {2}, {"Idź"}),
                                    describedSituation("Las", Koniec)};
        s[2].bmp = "Las.bmp";
        s[2].wav = "ptak.wav";
        QVERIFY(writeScenario("Zamek.Kro", s));
        QVERIFY(writeFile("Obrazki/las.bmp", solidBmp(4, 4, qRgb(0, 128, 0))));
        QVERIFY(writeFile("Dzwieki/PTAK.WAV", toneWav(10)));
        const ProgramRun text = tekstowki({"to-text", "Zamek.Kro"});
        QCOMPARE(text.status, 0);
        QVERIFY(writeFile("A.txt", text.out.toUtf8()));
        QVERIFY(writeFile("A.lis", text.out.toUtf8()));
    }

    TestFolder dir_;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
