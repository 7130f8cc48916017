// How the scenario files behave when a scenario is huge. Run by hand:
//   build/bench/bench_scenario            (Qt Test's own timing)
//   build/bench/bench_scenario -median 11 (the median of 11 timings, as README gives them)
//   build/bench/bench_scenario -callgrind (under valgrind, for counts that repeat)

#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <random>

namespace {
constexpr int kSituations = 100000;
}

class BenchScenario : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Wielki.Kro"));
        std::vector<Situation> situations(kSituations);
        for (int k = 0; k < kSituations; ++k) {
            situations[k].nazwa = QStringLiteral("Sytuacja %1").arg(k);
            situations[k].opis = QString(200, u'x');
            situations[k].cele = {(k + 1) % kSituations, 0, 0, 0};
        }
        QVERIFY(writeScenario(path_, situations));
    }

    // Reaching a situation is one positioned read per file, whatever its number, besides the
    // shared lock and the look for a journal that a stopped save left (a read-only pair
    // reads such a save's situation from its journal).
    void readRandomSituations() {
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(path_, RecordFile::Access::ReadOnly);
        std::mt19937 rng(7);
        TRekordKroku rekord;
        TRekordListy lista;
        TKrok krok;
        QBENCHMARK {
            const auto k = static_cast<std::int32_t>(rng() % kSituations);
            pair.read(k, rekord, lista);
            krok.ZRekordu(rekord);
        }
        pair.close();
    }

    // Counting does not walk the file.
    void countSituations() {
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(path_, RecordFile::Access::ReadOnly);
        int count = 0;
        QBENCHMARK {
            count = pair.count();
        }
        QCOMPARE(count, kSituations);
        pair.close();
    }

    // Appending a situation: the journal created, written and flushed, the two records
    // written and flushed, the journal removed (the folder flushed at both ends).
    void appendSituation() {
        const QString copy = dir_.filePath(QStringLiteral("Kopia.Kro"));
        QFile::remove(copy);
        QFile::remove(listFilePath(copy));
        QVERIFY(QFile::copy(path_, copy));
        QVERIFY(QFile::copy(listFilePath(path_), listFilePath(copy)));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(copy, RecordFile::Access::ReadWrite);
        TRekordKroku rekord;
        TRekordListy lista;
        QBENCHMARK {
            pair.write(pair.count(), rekord, lista, Normalny);
        }
        pair.close();
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

KIT_TEST_MAIN(BenchScenario)
#include "bench_scenario.moc"
