// The scenario check without any window: each planted fault is found alone, where it is; a
// clean scenario and the demo give nothing; the road statistics of a known graph.

#include "authoring/ScenarioCheck.h"
#include "common/ScenarioFiles.h"
#include "platform/core/MediaFile.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ScenarioBuilder.h"
#include "tools/demo/DemoScenario.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <functional>
#include <sys/stat.h>

namespace {

// A small scenario without faults: a loop 2 -> 4 -> 2 with ways out, three endings, and
// situation 5 reached two ways, so that one broken road leaves every situation reachable.
std::vector<Situation> cleanScenario() {
    const auto sit = [](const QString& nazwa, std::uint8_t typ, std::array<std::int32_t, 4> cele,
                        std::array<QString, 4> wybory) {
        return describedSituation(nazwa, typ, cele, wybory);
    };
    return {
        sit("Default Koniec", Koniec, {}, {}),
        sit("Początek", Poczatek, {2}, {"Idź"}),
        sit("Rozstaje", Wybory3, {3, 4, 5}, {"Na łąkę", "Do lasu", "Do chaty"}),
        sit("Łąka", Koniec, {}, {}),
        sit("Las", Normalny, {2, 5, 3, 3}, {"Wróć", "Do chaty", "Na łąkę", "Też na łąkę"}),
        sit("Chata", Koniec, {}, {}),
    };
}

// A fault planted in the clean scenario: `edit` changes its situations (and may write media
// beside it) before the files are written, `patch` the records as read.
struct Fault {
    std::function<void(std::vector<Situation>&, const TestFolder&)> edit = {};
    std::function<void(ScenarioSnapshot&)> patch = {};
};

// "Kind situation/choice severity" of each finding, in the report's order.
QStringList described(const CheckReport& report) {
    QStringList lines;
    for (const Finding& f : report.findings)
        lines << QStringLiteral("%1 %2/%3 %4")
                     .arg(kindName(f.kind))
                     .arg(f.situation)
                     .arg(f.choice)
                     .arg(severityName(f.severity));
    return lines;
}

ScenarioSnapshot read(const QString& kro) {
    PosixRecordFileFactory files;
    return readSnapshot(files, kro);
}

// Situation 0 as a new scenario writes it.
Situation newDefaultEnd() {
    Situation end = describedSituation(DefaultEndName, Koniec);
    end.opis = DefaultEndText;
    return end;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }

    void eachPlantedFaultIsFoundAlone_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("media");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("mention"); // in the first finding's message
        using S = std::vector<Situation>&;
        using D = const TestFolder&;
        const auto row = [](const char* name, Fault fault, QStringList expected,
                            QString mention = {}, bool media = true) {
            QTest::newRow(name) << fault << media << expected << mention;
        };
        row("clean", {}, {});
        row("type above 5", {[](S s, D) { s[4].typ = 9; }}, {"UnknownType 4/0 błąd"}, "9");
        row("list name differs", {{}, [](ScenarioSnapshot& s) { s.listy[5].Nazwa.assign("Dom"); }},
            {"TargetMismatch 2/3 błąd", "TargetMismatch 4/2 błąd", "NameMismatch 5/0 błąd"},
            "sytuacji 5");
        row("negative target", {[](S s, D) { s[4].cele[1] = -3; }}, {"TargetNegative 4/2 błąd"},
            "-3");
        row("target past the end", {[](S s, D) { s[4].cele[3] = 57; }},
            {"TargetOutOfRange 4/4 błąd"}, "57, a scenariusz ma 6 sytuacji");
        // Situation 0 is the default end while it is as a new scenario writes it.
        row("choice left on the default end", {[](S s, D) {
                s[0] = newDefaultEnd();
                s[2].cele[0] = 0;
            }},
            {"TargetDefaultEnd 2/1 błąd"});
        row("choice to an ending at 0 under the default name", {[](S s, D) { s[2].cele[0] = 0; }},
            {"TargetNamedEnd 2/1 ostrzeżenie"}, "„Default Koniec”");
        row("choice to an ending at 0 of its own name", {[](S s, D) {
                s[0].nazwa = "Wodospad";
                s[2].cele[0] = 0;
            }},
            {});
        row("no road comes here",
            {[](S s, D) { s.push_back(describedSituation("Jaskinia", Koniec)); }},
            {"Unreachable 6/0 ostrzeżenie"});
        row("loop without a way out", {[](S s, D) {
                s[4].cele = {4, 4, 4, 4};
            }},
            {"Trap 4/0 błąd"});
        row("loop with a way out", {[](S s, D) { s[4].cele = {4, 4, 4, 5}; }}, {});
        row("empty choice text", {[](S s, D) { s[2].wybory[1] = " "; }},
            {"EmptyChoiceText 2/2 ostrzeżenie"});
        // A choice the type does not offer, left at -1 or at 0 as the kit writes it, is none.
        row("choices not offered left empty", {[](S s, D) { s[2].cele[3] = -1; }}, {});
        row("choice not offered keeps a road", {[](S s, D) { s[2].cele[3] = 99; }},
            {"UnofferedChoice 2/4 ostrzeżenie"}, "typ Wybory3, a ma drogę do sytuacji 99");
        row("choice not offered keeps a text", {[](S s, D) { s[3].wybory[1] = "Wróć"; }},
            {"UnofferedChoice 3/2 ostrzeżenie"}, "tekst „Wróć”");
        row("Wybory1 with choices 2 to 4", {[](S s, D) { s[4].typ = Wybory1; }},
            {"UnofferedChoice 4/2 ostrzeżenie", "UnofferedChoice 4/3 ostrzeżenie",
             "UnofferedChoice 4/4 ostrzeżenie"},
            "wybór 2 nie jest oferowany przez typ Wybory1");
        row("empty description", {[](S s, D) { s[3].opis.clear(); }},
            {"EmptyDescription 3/0 ostrzeżenie"});
        row("empty name", {[](S s, D) { s[3].nazwa.clear(); }}, {"EmptyName 3/0 ostrzeżenie"});
        row("name repeated in other letters", {[](S s, D) { s[5].nazwa = "ŁĄKA"; }},
            {"DuplicateName 5/0 ostrzeżenie"}, "sytuacji 3");
        row("no situation 1", {[](S s, D) { s.resize(1); }}, {"NoStart 1/0 błąd"});

        const auto bmp = [](const QString& name, const QByteArray& bytes) {
            return Fault{[=](S s, D d) {
                s[3].bmp = name;
                d.write("Obrazki/" + name.toLower(), bytes);
            }};
        };
        const auto wav = [](const QString& name, const QByteArray& bytes) {
            return Fault{[=](S s, D d) {
                s[5].wav = name;
                d.write("Dzwieki/" + name.toLower(), bytes);
            }};
        };
        const QByteArray good = solidBmp(4, 4, qRgb(1, 2, 3));
        row("picture in another letter case", bmp("ŁĄKA.BMP", good), {});
        row("picture missing", {[](S s, D) { s[3].bmp = "brak.bmp"; }}, {"MissingPicture 3/0 błąd"},
            "Obrazki/");
        row("picture missing, media not checked", {[](S s, D) { s[3].bmp = "brak.bmp"; }}, {}, {},
            false);
        row("picture cut short", bmp("zly.bmp", good.left(60)), {"BadPicture 3/0 błąd"},
            "Stream read error");
        row("sound playable", wav("ton.wav", toneWav(20)), {});
        row("sound missing", {[](S s, D) { s[5].wav = "brak.wav"; }}, {"MissingSound 5/0 błąd"});
        row("sound not a WAV", wav("ton.wav", "RIFF"), {"BadSound 5/0 błąd"});
        row("sound not named .wav", wav("ton.mp3", toneWav(20)), {"BadSound 5/0 błąd"});
        // Media past the size limit (sparse files), or that are no regular file.
        const auto made = [](bool picture, const QString& name,
                             std::function<bool(const QString&)> make) {
            return Fault{[=](S s, D d) {
                (picture ? s[3].bmp : s[5].wav) = name;
                const QString path = d.filePath((picture ? "Obrazki/" : "Dzwieki/") + name);
                QVERIFY(QDir().mkpath(QFileInfo(path).path()) && make(path));
            }};
        };
        const auto sized = [](const QByteArray& bytes, qint64 size) {
            return [=](const QString& path) {
                return writeFile(path, bytes) && QFile::resize(path, size);
            };
        };
        const qint64 limit = MediaFile::MaxBytes;
        row("picture at the size limit", made(true, "duzy.bmp", sized(good, limit)), {});
        row("picture past the size limit", made(true, "duzy.bmp", sized(good, limit + 1)),
            {"BadPicture 3/0 błąd"}, "Obrazki/duzy.bmp jest większy niż 64 MB");
        row("sound past the size limit", made(false, "duzy.wav", sized(toneWav(20), limit + 1)),
            {"BadSound 5/0 błąd"}, "Dzwieki/duzy.wav jest większy niż 64 MB");
        const QString notAFile = "nie jest zwykłym plikiem";
        row("picture is a named pipe",
            made(true, "rura.bmp",
                 [](const QString& path) {
                     return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
                 }),
            {"MissingPicture 3/0 błąd"}, "Obrazki/rura.bmp” " + notAFile);
        row("sound is a folder",
            made(false, "folder.wav", [](const QString& path) { return QDir().mkpath(path); }),
            {"MissingSound 5/0 błąd"}, notAFile);
        row("sound links to /dev/zero",
            made(false, "zero.wav",
                 [](const QString& path) { return QFile::link("/dev/zero", path); }),
            {"MissingSound 5/0 błąd"}, notAFile);
        row("media name leaves its folder", {[](S s, D) { s[3].bmp = "../Las.Kro"; }},
            {"BadMediaName 3/0 błąd"}, {}, false);
        row("media name ..", {[](S s, D) { s[5].wav = ".."; }}, {"BadMediaName 5/0 błąd"});
        row("length byte above the field",
            {{}, [](ScenarioSnapshot& s) { s.rekordy[3].Wav.len = 21; }}, {"BadMediaName 3/0 błąd"},
            "21", false);
    }
    void eachPlantedFaultIsFoundAlone() {
        QFETCH(Fault, fault);
        QFETCH(bool, media);
        QFETCH(QStringList, expected);
        QFETCH(QString, mention);
        std::vector<Situation> situations = cleanScenario();
        if (fault.edit)
            fault.edit(situations, dir_);
        const QString kro = dir_.filePath("Las.Kro");
        QVERIFY(writeScenario(kro, situations));
        ScenarioSnapshot snapshot = read(kro);
        if (fault.patch)
            fault.patch(snapshot);
        CheckOptions options;
        options.media = media;
        const CheckReport report = checkScenario(snapshot, options);
        QCOMPARE(described(report), expected);
        if (!mention.isEmpty())
            QVERIFY2(report.findings.front().message.contains(mention),
                     qPrintable(report.findings.front().message));
        for (const Finding& f : report.findings) {
            const bool atStart = f.kind == FindingKind::NoStart;
            QCOMPARE(f.name, atStart ? QString() : situations[std::size_t(f.situation)].nazwa);
        }
    }

    void demoHasNoFinding() {
        DemoScenario::write(dir_.path());
        const CheckReport report = checkScenario(read(dir_.filePath("Zamek.Kro")));
        QCOMPARE(described(report), QStringList());
        QCOMPARE(report.statistics.endingsReachable, 4);
    }

    // 1 -> 2, then 2 -> 3 (end), 2 -> 4 -> 5 -> 6 (end), 5 -> 2 back, 2 -> 5, 2 -> 6.
    void statisticsOfAKnownGraph_data() {
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<int>("longest");
        QTest::addColumn<bool>("cut");
        QTest::newRow("whole search") << qint64(1000) << 4 << false;
        // Stopped at its first move: the shortest road is still a road that repeats nothing.
        QTest::newRow("budget of one move") << qint64(1) << 2 << true;
    }
    void statisticsOfAKnownGraph() {
        QFETCH(qint64, budget);
        QFETCH(int, longest);
        QFETCH(bool, cut);
        std::vector<Situation> s = {
            describedSituation("Koniec", Koniec),
            describedSituation("Start", Poczatek, {2}, {"Idź dalej"}),
            describedSituation("Rozstaje", Normalny, {3, 4, 5, 6}, {"a", "b", "c", "— ,"}),
            describedSituation("Łąka", Koniec),
            describedSituation("Las", Wybory1, {5, 1}, {"x", "nie liczone"}),
            describedSituation("Chata", Wybory2, {6, 2}, {"y", "z"}),
            describedSituation("Rzeka", Koniec),
        };
        s[3].opis = "Idź — tam , 3 razy!\r\nKoniec.";
        const QString kro = dir_.filePath("Drogi.Kro");
        QVERIFY(writeScenario(kro, s));
        CheckOptions options;
        options.longestRoadBudget = budget;
        const CheckStatistics stats = checkScenario(read(kro), options).statistics;
        QCOMPARE(stats.situations, 7);
        QCOMPARE(stats.reachable, 6);
        QCOMPARE(stats.endingsReachable, 2);
        QCOMPARE(stats.shortestRoad, 2);
        QCOMPARE(stats.longestRoad, longest);
        QCOMPARE(stats.longestRoadCut, cut);
        QCOMPARE(stats.descriptionWords, std::int64_t(6 * 2 + 5));
        QCOMPARE(stats.choiceWords, std::int64_t(2 + 3 + 1 + 2));
    }

private:
    TestFolder dir_;
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
