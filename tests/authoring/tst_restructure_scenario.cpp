// A rewrite of a scenario pair on disk told of its progress: a cancel before the write leaves
// the pair as it was and nothing beside it; a rewrite not cancelled is told up to its end.

#include "authoring/Restructuring.h"
#include "common/Restructure.h"
#include "common/ScenarioFiles.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ScenarioBuilder.h"

#include <QDir>
#include <QTest>

namespace {

std::vector<Situation> chain(int n) {
    std::vector<Situation> situations;
    for (int k = 0; k < n; ++k)
        situations.push_back(describedSituation(QStringLiteral("S%1").arg(k),
                                                k == 0 ? Koniec : Normalny, {(k + 1) % n, 0}));
    return situations;
}

} // namespace

class TestRestructureScenario : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }

    // `stopAt`: the call of the progress that answers false (0: none does). The read is told
    // after each block of 4096 situations, the write once before it begins.
    void cancelLeavesThePair_data() {
        QTest::addColumn<int>("situations");
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<bool>("written");
        QTest::newRow("read stopped at its only block") << 5 << 1 << false;
        QTest::newRow("read stopped at its first of two blocks") << 5000 << 1 << false;
        QTest::newRow("read stopped at its last block") << 5000 << 2 << false;
        QTest::newRow("stopped before the write") << 5 << 2 << false;
        QTest::newRow("not stopped") << 5 << 0 << true;
        QTest::newRow("not stopped, two blocks") << 5000 << 0 << true;
    }
    void cancelLeavesThePair() {
        QFETCH(int, situations);
        QFETCH(int, stopAt);
        QFETCH(bool, written);
        const QString kro = dir_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, chain(situations)));
        const QByteArray kroBefore = readFile(kro);
        const QByteArray lisBefore = readFile(listFilePath(kro));

        PosixRecordFileFactory files;
        int calls = 0;
        std::int64_t lastRead = -1;
        std::int64_t lastTotal = -1;
        bool forward = true;
        const bool result = restructureScenario(
            files, kro,
            [](ScenarioSnapshot& s) {
                deleteSituation(s.rekordy, s.listy, 2);
                return true;
            },
            [&](std::int64_t read, std::int64_t total) {
                forward = forward && read >= lastRead && read <= total;
                lastRead = read;
                lastTotal = total;
                return ++calls != stopAt;
            });

        QCOMPARE(result, written);
        QVERIFY(forward);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        if (written) {
            QCOMPARE(lastRead, lastTotal);
            QCOMPARE(readFile(kro).size(), kroBefore.size() - TRekordKroku::Size);
        } else {
            QCOMPARE(calls, stopAt);
            QCOMPARE(readFile(kro), kroBefore);
            QCOMPARE(readFile(listFilePath(kro)), lisBefore);
        }
    }

private:
    TestFolder dir_;
};

QTEST_GUILESS_MAIN(TestRestructureScenario)
#include "tst_restructure_scenario.moc"
