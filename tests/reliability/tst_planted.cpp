// Files planted beside a scenario by whoever sent it, and whole pairs replaced under the
// programs: nothing is applied that does not fit, nothing is written outside the folder, and
// a replace stopped anywhere opens as before or after in both programs.

#include "authoring/Restructuring.h"
#include "authoring/VersionStore.h"
#include "common/Restructure.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/OutputFiles.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ExpectError.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Plant = std::function<bool(const QString& kro, const QString& journal)>;
// Replaces the pair at `kro` in one way or another.
using Change = std::function<void(const QString& kro)>;

std::vector<Situation> situations(int count, const QString& prefix) {
    std::vector<Situation> list;
    for (int i = 0; i < count; ++i)
        list.push_back(describedSituation(prefix + QString::number(i), i == 0 ? Koniec : Normalny,
                                          {0, 0, 0, 0}));
    return list;
}

// Every entry of a folder, links as their targets, files as their bytes.
QMap<QString, QByteArray> entries(const QString& folder) {
    QMap<QString, QByteArray> all;
    for (const QFileInfo& info : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)) {
        all.insert(info.fileName(), info.isSymLink() ? info.symLinkTarget().toUtf8()
                                    : info.isFile()  ? readFile(info.filePath())
                                                     : QByteArray("(other)"));
    }
    return all;
}

// The names of every situation as a reader of `kro` sees them: record by record as the player
// reads, and in blocks as the check, the text form, the page and the map read.
QStringList namesRead(const QString& kro) {
    PosixRecordFileFactory files;
    ScenarioPair pair(files);
    pair.openExisting(kro, RecordFile::Access::ReadOnly);
    const std::int64_t whole = pair.lengths().situationBytes / TRekordKroku::Size;
    std::vector<TRekordKroku> rekordy(static_cast<std::size_t>(whole));
    std::vector<TRekordListy> listy(static_cast<std::size_t>(whole));
    const std::int64_t got = pair.readBlock(0, rekordy, listy);
    QStringList names;
    for (std::int64_t k = 0; k < whole; ++k) {
        TRekordKroku rekord;
        TRekordListy lista;
        pair.read(static_cast<std::int32_t>(k), rekord, lista);
        const auto at = static_cast<std::size_t>(k);
        const QString block = k < got ? rekordy[at].Nazwa.text() + listy[at].Nazwa.text() : "-";
        names << rekord.Nazwa.text() + lista.Nazwa.text() + QStringLiteral("/") + block;
    }
    pair.close();
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Plant)
Q_DECLARE_METATYPE(Change)

class TestPlanted : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }
    void cleanup() {
        OutputFiles::setFolderSyncForTests({});
        OutputFiles::setCallHookForTests({});
    }

    // What lies at the journal's path and does not fit the pair is applied by no program: the
    // editor's pair opens for reading only and says why, readers read the files as they are,
    // and nothing in or outside the folder changes.
    void journalThatDoesNotFitIsAppliedByNone_data() {
        QTest::addColumn<Plant>("plant");
        const auto bytes = [](const SaveJournal& j) {
            return Plant(
                [=](const QString&, const QString& path) { return writeFile(path, j.encode()); });
        };
        SaveJournal empty = journalOf(1, 0);
        QTest::newRow("zero lengths") << bytes(empty);
        SaveJournal huge = journalOf(2'000'000'000, 1'000'000'000'000 / TRekordKroku::Size);
        QTest::newRow("huge lengths, number far past the end") << bytes(huge);
        SaveJournal longest = journalOf(1, 3);
        longest.situationBytes = INT64_MAX;
        QTest::newRow("length 2^63-1") << bytes(longest);
        QTest::newRow("number past the end") << bytes(journalOf(5, 3));
        QTest::newRow("of an older, longer pair") << bytes(journalOf(1, 9));
        SaveJournal held = journalOf(1, 3);
        held.situationHeld = 0;
        QTest::newRow("held bytes the lengths do not give") << bytes(held);
        QTest::newRow("other bytes") << Plant([](const QString&, const QString& path) {
            return writeFile(path, QByteArray(SaveJournal::Size, 'x'));
        });
        QTest::newRow("a link to a journal that fits")
            << Plant([](const QString& kro, const QString& path) {
                   const QString elsewhere = QFileInfo(kro).path() + QStringLiteral("/victim/j");
                   return writeFile(elsewhere, journalOf(1, 3).encode()) &&
                          QFile::link(elsewhere, path);
               });
        QTest::newRow("a dangling link") << Plant([](const QString& kro, const QString& path) {
            return QFile::link(QFileInfo(kro).path() + QStringLiteral("/victim/keys"), path);
        });
        QTest::newRow("a folder") << Plant(
            [](const QString&, const QString& path) { return QDir().mkdir(path); });
        QTest::newRow("a named pipe") << Plant([](const QString&, const QString& path) {
            return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
        });
        ReplaceJournal replace;
        replace.situationBytes = 5 * TRekordKroku::Size;
        replace.listBytes = 5 * TRekordListy::Size;
        QTest::newRow("a replace with nothing staged") << Plant(
            [=](const QString&, const QString& p) { return writeFile(p, replace.encode()); });
        QTest::newRow("a replace staged through a link")
            << Plant([=](const QString& kro, const QString& p) {
                   const QString elsewhere = QFileInfo(kro).path() + QStringLiteral("/victim/k");
                   return writeFile(p, replace.encode()) &&
                          writeFile(elsewhere, QByteArray(5 * TRekordKroku::Size, 'x')) &&
                          QFile::link(elsewhere, ReplaceJournal::stagedPath(kro));
               });
    }
    void journalThatDoesNotFitIsAppliedByNone() {
        QFETCH(Plant, plant);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("S"))));
        const QString journal = SaveJournal::pathFor(kro);
        QVERIFY(plant(kro, journal));
        const auto before = entries(folder_.path());
        const auto victim = entries(folder_.filePath(QStringLiteral("victim")));
        const QStringList asTheyAre = {"S0S0/S0S0", "S1S1/S1S1", "S2S2/S2S2"};

        PosixRecordFileFactory files;
        ScenarioPair editor(files);
        editor.openExisting(kro, RecordFile::Access::ReadWrite);
        QCOMPARE(editor.unfitJournal(), ScenarioPair::unfitJournalMessage(journal));
        QVERIFY(editor.readOnly());
        TRekordKroku rekord;
        TRekordListy lista;
        editor.read(1, rekord, lista);
        expectError(AppError::Other, editor.unfitJournal(), [&] {
            TRekordListy written;
            editor.write(1, rekord, written, Normalny);
        });
        editor.close();
        QCOMPARE(namesRead(kro), asTheyAre);
        QCOMPARE(entries(folder_.path()), before);
        QCOMPARE(entries(folder_.filePath(QStringLiteral("victim"))), victim);
    }

    // A journal kept from a real save, every byte flipped in turn: none is applied, and both
    // programs see the pair as the save left it.
    void everyFlippedByteOfAJournalLeavesItUnapplied() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("S"))));
        SaveJournal real = journalOf(1, 3);
        const QByteArray kroBefore = readFile(kro);
        std::memcpy(real.situation.data(), kroBefore.constData() + TRekordKroku::Size,
                    TRekordKroku::Size);
        std::memcpy(real.list.data(), readFile(listFilePath(kro)).constData() + TRekordListy::Size,
                    TRekordListy::Size);
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("N"))));
        const QByteArray kroAfter = readFile(kro);
        const QByteArray good = real.encode();
        const QString journal = SaveJournal::pathFor(kro);
        for (int at = 0; at < good.size(); ++at) {
            QByteArray flipped = good;
            flipped[at] = char(flipped[at] ^ 0x01);
            QVERIFY(writeFile(journal, flipped));
            PosixRecordFileFactory files;
            ScenarioPair editor(files);
            editor.openExisting(kro, RecordFile::Access::ReadWrite);
            QVERIFY2(!editor.unfitJournal().isEmpty(), qPrintable(QString::number(at)));
            editor.close();
            QCOMPARE(namesRead(kro).first(), QStringLiteral("N0N0/N0N0"));
            QVERIFY2(readFile(kro) == kroAfter, qPrintable(QString::number(at)));
        }
        // The journal whole is applied: the save is undone.
        QVERIFY(writeFile(journal, good));
        QCOMPARE(namesRead(kro).at(1), QStringLiteral("S1S1/S1S1"));
        PosixRecordFileFactory files;
        ScenarioPair editor(files);
        editor.openExisting(kro, RecordFile::Access::ReadWrite);
        editor.close();
        QCOMPARE(readFile(kro).mid(TRekordKroku::Size, TRekordKroku::Size),
                 kroBefore.mid(TRekordKroku::Size, TRekordKroku::Size));
        QVERIFY(!QFile::exists(journal));
    }

    // A replace of a whole pair, by another pair or by the pair with a situation deleted or
    // moved, stopped before each of its file calls, as a kill would stop it: both programs
    // open the pair as it was before or as it is after, never a mix, and the next open of the
    // editor leaves nothing staged behind.
    void replaceStoppedAnywhereOpensAsBeforeOrAfter_data() {
        QTest::addColumn<Change>("change");
        QTest::newRow("another pair") << Change([this](const QString& kro) {
            const QString built = folder_.filePath(QStringLiteral("built/Nowy.Kro"));
            if (!QFile::exists(built))
                QVERIFY(writeScenario(built, situations(5, QStringLiteral("N"))));
            replaceScenario(kro, readFile(built), readFile(listFilePath(built)));
        });
        QTest::newRow("a version brought back") << Change([this](const QString& kro) {
            VersionStore store(folder_.filePath(QStringLiteral("wersje")));
            if (store.list(kro).empty()) {
                // The version: a pair of five situations that stood there once.
                const QByteArray kroNow = readFile(kro);
                const QByteArray lisNow = readFile(listFilePath(kro));
                QVERIFY(writeScenario(kro, situations(5, QStringLiteral("N"))));
                store.keep(kro, QStringLiteral("dawna"));
                QVERIFY(writeFile(kro, kroNow) && writeFile(listFilePath(kro), lisNow));
            }
            store.restore(kro, store.list(kro).back().id);
        });
        const auto restructured = [](SnapshotChange change) {
            return Change([change](const QString& kro) {
                PosixRecordFileFactory files;
                restructureScenario(files, kro, change);
            });
        };
        QTest::newRow("situation 2 deleted") << restructured([](ScenarioSnapshot& s) {
            deleteSituation(s.rekordy, s.listy, 2);
            return true;
        });
        QTest::newRow("situation 3 moved to 2") << restructured([](ScenarioSnapshot& s) {
            moveSituation(s.rekordy, s.listy, 3, 2);
            return true;
        });
    }
    void replaceStoppedAnywhereOpensAsBeforeOrAfter() {
        QFETCH(Change, change);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, situations(4, QStringLiteral("S"))));
        const QStringList before = namesRead(kro);
        const QByteArray kroOld = readFile(kro);
        const QByteArray lisOld = readFile(listFilePath(kro));
        int calls = 0;
        OutputFiles::setCallHookForTests([&] { ++calls; });
        change(kro);
        OutputFiles::setCallHookForTests({});
        QVERIFY(calls >= 10);
        const QStringList after = namesRead(kro);
        QVERIFY(after != before);

        for (int stop = 1; stop <= calls; ++stop) {
            QVERIFY(writeFile(kro, kroOld) && writeFile(listFilePath(kro), lisOld));
            const pid_t child = ::fork();
            if (child == 0) {
                int n = 0;
                OutputFiles::setCallHookForTests([&] {
                    if (++n == stop)
                        ::_exit(0);
                });
                try {
                    change(kro);
                } catch (...) {
                    ::_exit(1);
                }
                ::_exit(0);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            const QString at = QStringLiteral("stopped before call %1 of %2").arg(stop).arg(calls);
            const QStringList player = namesRead(kro);
            QVERIFY2(player == before || player == after, qPrintable(at));
            PosixRecordFileFactory files;
            ScenarioPair editor(files);
            editor.openExisting(kro, RecordFile::Access::ReadWrite);
            QVERIFY2(editor.unfitJournal().isEmpty(), qPrintable(at));
            editor.close();
            QVERIFY2(namesRead(kro) == player, qPrintable(at));
            QVERIFY(!QFile::exists(SaveJournal::pathFor(kro)));
        }
    }

    // Every check that can refuse a replace runs before either file is touched, also the one
    // that the pair is still what the new files were made from.
    void replaceRefusedBeforeTouchingEitherFile_data() {
        QTest::addColumn<Plant>("plant");
        QTest::addColumn<QString>("why");
        QTest::newRow("list file a folder") << Plant([](const QString& kro, const QString&) {
            return QFile::remove(listFilePath(kro)) && QDir().mkdir(listFilePath(kro));
        }) << "jest tam folder";
        QTest::newRow("situation file a link") << Plant([](const QString& kro, const QString&) {
            const QString elsewhere = QFileInfo(kro).path() + QStringLiteral("/victim/a.Kro");
            return writeFile(elsewhere, "x") && QFile::remove(kro) && QFile::link(elsewhere, kro);
        }) << "dowiązanie";
        QTest::newRow("a save never finished") << Plant([](const QString&, const QString& j) {
            return writeFile(j, QByteArray(3, 'T'));
        }) << "niedokończony zapis";
        QTest::newRow("a dangling link as the journal")
            << Plant([](const QString& kro, const QString& j) {
                   return QFile::link(QFileInfo(kro).path() + QStringLiteral("/victim/j"), j);
               })
            << "niedokończony zapis";
        QTest::newRow("changed since it was read") << Plant([](const QString& kro, const QString&) {
            QByteArray saved = readFile(kro);
            saved[1] = 'Z';
            return writeFile(kro, saved);
        }) << "zmienił scenariusz";
    }
    void replaceRefusedBeforeTouchingEitherFile() {
        QFETCH(Plant, plant);
        QFETCH(QString, why);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("S"))));
        const PairContent read{readFile(kro), readFile(listFilePath(kro))};
        QVERIFY(plant(kro, SaveJournal::pathFor(kro)));
        const auto before = entries(folder_.path());
        const auto victim = entries(folder_.filePath(QStringLiteral("victim")));
        try {
            replaceScenario(kro, QByteArray(TRekordKroku::Size, 'a'),
                            QByteArray(TRekordListy::Size, 'b'), &read);
            QFAIL("the replace went through");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(why), qPrintable(e.message()));
        }
        QCOMPARE(entries(folder_.path()), before);
        QCOMPARE(entries(folder_.filePath(QStringLiteral("victim"))), victim);
    }

    // The renames of a replace reach the disk: the folder is flushed after them, and a flush
    // that fails is reported.
    void replaceFlushesTheFolderAfterItsRenames_data() {
        QTest::addColumn<bool>("pair");
        QTest::newRow("one output file") << false;
        QTest::newRow("a scenario pair") << true;
    }
    void replaceFlushesTheFolderAfterItsRenames() {
        QFETCH(bool, pair);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("S"))));
        const QByteArray kroNew(2 * TRekordKroku::Size, 'k');
        const QByteArray lisNew(2 * TRekordListy::Size, 'l');
        const auto replace = [&] {
            if (pair)
                replaceScenario(kro, kroNew, lisNew);
            else
                OutputFiles::replaceFiles({{kro, kroNew}});
        };
        bool flushedAfterRenames = false;
        OutputFiles::setFolderSyncForTests([&](int) {
            flushedAfterRenames =
                flushedAfterRenames ||
                (readFile(kro) == kroNew && (!pair || readFile(listFilePath(kro)) == lisNew));
            return 0;
        });
        replace();
        QVERIFY(flushedAfterRenames);
        OutputFiles::setFolderSyncForTests([&](int) { return readFile(kro) == kroNew ? EIO : 0; });
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("S"))));
        QVERIFY_THROWS_EXCEPTION(AppError, replace());
    }

    // A write that fails (a file-size limit refuses it, as a full disk does) leaves no
    // temporary or staged file, and the files as they were.
    void failedWriteLeavesNoFileBehind_data() {
        QTest::addColumn<bool>("pair");
        QTest::newRow("one output file") << false;
        QTest::newRow("a scenario pair") << true;
    }
    void failedWriteLeavesNoFileBehind() {
        QFETCH(bool, pair);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, situations(3, QStringLiteral("S"))));
        const auto before = entries(folder_.path());
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray big(20 * TRekordKroku::Size, 'k');
        bool thrown = false;
        try {
            if (pair)
                replaceScenario(kro, big, QByteArray(20 * TRekordListy::Size, 'l'));
            else
                OutputFiles::writeOutput(kro, big);
        } catch (const AppError&) {
            thrown = true;
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(thrown);
        QCOMPARE(entries(folder_.path()), before);
    }

private:
    TestFolder folder_;
};

QTEST_GUILESS_MAIN(TestPlanted)
#include "tst_planted.moc"
