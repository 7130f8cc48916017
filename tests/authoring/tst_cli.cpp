// The command line tekstowki run as a process: its exit statuses, a finding's line and the
// JSON document read back.

#include "RunProgram.h"
#include "ScenarioBuilder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

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
        QVERIFY(writeRiver(dir_.filePath("Zly.Kro"), 0, "Opis"));
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
        QVERIFY(writeRiver(kro, 0, ""));
        const ProgramRun run = tekstowki({"check", kro, "--json"});
        QCOMPARE(run.status, 1);
        QJsonParseError error;
        const QJsonObject doc = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc["file"].toString(), kro);
        const QJsonArray findings = doc["findings"].toArray();
        QCOMPARE(findings.size(), 2);
        QCOMPARE(findings[0]["kind"].toString(), "TargetDefaultEnd");
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

private:
    TestFolder dir_;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
