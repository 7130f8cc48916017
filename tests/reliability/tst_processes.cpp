// Two programs on one scenario: a player reading while the editor saves, and an editor killed
// while it saves: at random moments, and between every two file calls of a save and of the
// undoing of a save at the next open.

#include "common/ObEdKrok.h"
#include "common/Records.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

namespace {

constexpr int Situations = 4; // 0 to 3; the saves rewrite 1 to 3

// Version `v` (0 or 1) of situation k: every field differs between the two versions.
struct Version {
    TRekordKroku rekord;
    TRekordListy lista;
    std::uint8_t typ;
};

Version version(int k, int v) {
    Version out;
    TKrok krok;
    const QString name = QStringLiteral("S%1 v%2").arg(k).arg(v);
    const QString filler(v ? u'x' : u'o');
    krok.Ustaw(name, filler.repeated(45), filler.repeated(45), filler.repeated(45),
               filler.repeated(45), filler.repeated(250), filler.repeated(20), k, v, -1, 7 * v);
    krok.Wav.assign(filler.repeated(20));
    krok.DoRekordu(out.rekord);
    out.typ = v ? Wybory2 : Wybory3;
    // What a write puts into the list record.
    out.lista.Nazwa.assign(out.rekord.Nazwa);
    out.lista.Typ = out.typ;
    return out;
}

QByteArray bytesOf(const void* record, int size) {
    return QByteArray(static_cast<const char*>(record), size);
}

// The child: saves situations 1, 2, 3 in turn, each time in its other version, for ever
// (until killed). `pauseMicros` > 0 waits up to that long between saves.
int saveLoop(const QString& kro, int pauseMicros) {
    PosixRecordFileFactory files;
    ScenarioPair pair(files);
    try {
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        for (int i = 0;; ++i) {
            const int k = 1 + i % 3;
            Version next = version(k, 1 - (i / 3) % 2);
            pair.write(k, next.rekord, next.lista, next.typ);
            if (pauseMicros > 0)
                std::this_thread::sleep_for(
                    std::chrono::microseconds(QRandomGenerator::global()->bounded(pauseMicros)));
        }
    } catch (const AppError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

// The child: opens the pair for writing (which undoes a save that never finished) and, unless
// `version` is negative, saves situation k in that version; file call number `killAt` after
// the start (0: none) kills it.
int saveOnce(const QString& kro, int k, int version, int killAt) {
    FaultyRecordFileFactory files;
    files.killAtCall(killAt);
    ScenarioPair pair(files);
    try {
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        if (version >= 0) {
            Version v = ::version(k, version);
            pair.write(k, v.rekord, v.lista, v.typ);
        }
        pair.close();
        return 0;
    } catch (const AppError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

// The undo of a save of situation k in version 1 (k = Situations: of its append): version 0
// put back, or the situation cut off; both only where the files hold version 1. File call
// number `killAt` after the start (0: none) kills it.
int undoOnce(const QString& kro, int k, int killAt) {
    FaultyRecordFileFactory files;
    files.killAtCall(killAt);
    ScenarioPair pair(files);
    try {
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        const Version saved = version(k, 1);
        const ScenarioPair::SituationRecords expected{saved.rekord, saved.lista};
        if (k == Situations) {
            pair.cutLast(k, expected);
        } else {
            const Version old = version(k, 0);
            pair.put(k, {old.rekord, old.lista}, expected);
        }
        pair.close();
        return 0;
    } catch (const AppError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

// The bytes of both files.
struct PairBytes {
    QByteArray kro;
    QByteArray lis;
    bool operator==(const PairBytes&) const = default;
};

} // namespace

class TestProcesses : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        kro_ = dir_->filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeFile(kro_, QByteArray(Situations * TRekordKroku::Size, '\0')));
        QVERIFY(writeFile(listFilePath(kro_), QByteArray(Situations * TRekordListy::Size, '\0')));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro_, RecordFile::Access::ReadWrite);
        for (int k = 0; k < Situations; ++k) {
            Version v = version(k, 0);
            pair.write(k, v.rekord, v.lista, v.typ);
        }
        pair.close();
    }

    // The player reads a situation while another process saves it again and again: the
    // situation record and the list record it reads are always of the same save.
    void readerNeverMixesTwoSaves() {
        QProcess writer;
        startSaver(writer, 300);
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro_, RecordFile::Access::ReadOnly);
        int seen[2] = {0, 0};
        int mixed = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 1500) {
            TRekordKroku rekord;
            TRekordListy lista;
            pair.read(1, rekord, lista);
            const int v = rekord.Nazwa.text().endsWith(u'1') ? 1 : 0;
            ++seen[v];
            const Version expected = version(1, v);
            if (bytesOf(&rekord, TRekordKroku::Size) !=
                    bytesOf(&expected.rekord, TRekordKroku::Size) ||
                bytesOf(&lista, TRekordListy::Size) != bytesOf(&expected.lista, TRekordListy::Size))
                ++mixed;
        }
        pair.close();
        writer.kill();
        writer.waitForFinished();
        qInfo("%d reads during saves, %d of one version, %d of the other, %d mixed",
              seen[0] + seen[1], seen[0], seen[1], mixed);
        QVERIFY2(seen[0] > 0 && seen[1] > 0, "the saves and the reads did not overlap");
        QCOMPARE(mixed, 0);
    }

    // An editor killed at a random moment of saving leaves every record whole: each one is
    // the old or the new version of its situation, and the files keep their length. A kill
    // between a situation's two writes leaves a journal, and the next open puts the two
    // records back in step.
    void killedSaveLeavesWholeRecords() {
        QElapsedTimer timer;
        timer.start();
        int iterations = 0;
        int betweenTheTwoWrites = 0;
        int undone = 0;
        // Twenty kills at least, however slow the machine; more while time allows.
        while (iterations < 20 || (iterations < 200 && timer.elapsed() < 8000)) {
            QProcess saver;
            startSaver(saver, 0);
            QTest::qSleep(int(QRandomGenerator::global()->bounded(12)));
            saver.kill();
            QVERIFY(saver.waitForFinished());
            ++iterations;
            const int mixed = mixedSituations();
            QVERIFY2(mixed >= 0, qPrintable(QStringLiteral("torn after %1 kills").arg(iterations)));
            betweenTheTwoWrites += mixed;
            if (QFile::exists(SaveJournal::pathFor(kro_)))
                ++undone;
            QCOMPARE(runChild(0, -1, 0), 0); // the editor's next open
            QCOMPARE(mixedSituations(), 0);
        }
        qInfo("%d kills, every record whole; %d left a situation's two records of two saves, "
              "%d left a journal; after the next open none is mixed",
              iterations, betweenTheTwoWrites, undone);
    }

    // A save killed between any two of its file calls (counted as the fault injector counts
    // them) is all or nothing: the player reads every situation as it was before the save or
    // as it is after it, never a mix, and never writes; the editor's next open leaves both
    // files byte for byte as they were before or after, with no journal. A kill while that
    // open undoes the save is undone again by the open after it.
    void killedSaveIsAllOrNothing_data() {
        QTest::addColumn<int>("k");
        QTest::newRow("rewrite") << 2;
        QTest::newRow("append") << Situations;
    }
    void killedSaveIsAllOrNothing() {
        QFETCH(int, k);
        const PairBytes before = pairBytes();
        QCOMPARE(runChild(k, 1, 0), 0);
        const PairBytes after = pairBytes();
        QVERIFY(after != before);
        const int saveCalls = callsOfOneSave(k);
        const int openCalls = callsOfOneSave(-1);

        int kills = 0;
        int undone = 0;
        int kept = 0;
        int undoKills = 0;
        // Call saveCalls + 1 is the child's first call after the save (closing the pair).
        for (int n = 1; n <= saveCalls + 1; ++n) {
            setPair(before);
            QCOMPARE(runChild(k, 1, openCalls + n), -1);
            ++kills;
            const PairBytes left = pairBytes();
            const QString journal = SaveJournal::pathFor(kro_);
            const bool pending = QFile::exists(journal);
            const QByteArray journalLeft = readFile(journal);
            const int seen = playerView(k);
            QVERIFY2(seen != Mixed, qPrintable(QStringLiteral("kill at call %1: mixed").arg(n)));
            QCOMPARE(pairBytes(), left); // the player never writes

            // The undoing open, killed at each of its calls in turn, then let run.
            if (pending && left != before) {
                for (int m = 1;; ++m) {
                    setPair(left);
                    QVERIFY(writeFile(journal, journalLeft));
                    if (runChild(k, -1, m) != -1)
                        break;
                    ++undoKills;
                    QCOMPARE(runChild(k, -1, 0), 0);
                    QVERIFY2(pairBytes() == before,
                             qPrintable(QStringLiteral("undo killed at call %1").arg(m)));
                }
                setPair(left);
                QVERIFY(writeFile(journal, journalLeft));
            }
            QCOMPARE(runChild(k, -1, 0), 0);
            const PairBytes opened = pairBytes();
            QVERIFY2(opened == before || opened == after,
                     qPrintable(QStringLiteral("kill at call %1: torn after the open").arg(n)));
            QVERIFY(!QFile::exists(SaveJournal::pathFor(kro_)));
            QCOMPARE(seen, opened == after ? After : Before);
            ++(opened == after ? kept : undone);
        }
        qInfo("%d kills before calls 1 to %d of a save of %d calls: %d undone, %d kept, none "
              "torn or mixed; %d kills of the undoing open",
              kills, saveCalls + 1, saveCalls, undone, kept, undoKills);
        QVERIFY(undone > 0 && kept > 0 && undoKills > 0);
    }

    // An undo of a save killed before each of its file calls: the editor's next open leaves
    // the pair byte for byte as the save left it or as before the save, with no journal.
    void killedUndoIsAllOrNothing_data() {
        QTest::addColumn<int>("k");
        QTest::newRow("undo of a rewrite") << 2;
        QTest::newRow("undo of an append") << Situations;
    }
    void killedUndoIsAllOrNothing() {
        QFETCH(int, k);
        const PairBytes original = pairBytes();
        QCOMPARE(runChild(k, 1, 0), 0);
        const PairBytes saved = pairBytes();
        QCOMPARE(runUndo(k, 0), 0);
        QCOMPARE(pairBytes(), original);
        const int openCalls = callsOfOneSave(-1);
        int undone = 0;
        int kept = 0;
        for (int n = 1;; ++n) {
            setPair(saved);
            if (runUndo(k, openCalls + n) != -1)
                break; // the undo ended before call n
            QCOMPARE(runChild(k, -1, 0), 0);
            const PairBytes opened = pairBytes();
            QVERIFY2(opened == saved || opened == original,
                     qPrintable(QStringLiteral("undo killed at call %1: torn").arg(n)));
            QVERIFY(!QFile::exists(SaveJournal::pathFor(kro_)));
            ++(opened == original ? undone : kept);
        }
        qInfo("undo killed before each of its calls: %d undone, %d kept", undone, kept);
        QVERIFY(undone > 0 && kept > 0);
    }

private:
    enum View { Before = 0, After = 1, Mixed = 2 };

    // Runs undoOnce in a child; its exit code, or -1 when it was killed.
    int runUndo(int k, int killAt) {
        QProcess child;
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--undo-once"), kro_, QString::number(k), QString::number(killAt)});
        if (!child.waitForFinished(30000))
            return -2;
        if (child.exitStatus() == QProcess::CrashExit)
            return -1;
        return child.exitCode();
    }

    // Situations 1 to 3 whose situation record and list record are of two different saves, or
    // -1 when a record is neither version whole or a file changed its length.
    int mixedSituations() const {
        const QByteArray kro = readFile(kro_);
        const QByteArray lis = readFile(listFilePath(kro_));
        if (kro.size() != Situations * TRekordKroku::Size ||
            lis.size() != Situations * TRekordListy::Size)
            return -1;
        int mixed = 0;
        for (int k = 1; k < Situations; ++k) {
            const QByteArray r = kro.mid(k * TRekordKroku::Size, TRekordKroku::Size);
            const QByteArray l = lis.mid(k * TRekordListy::Size, TRekordListy::Size);
            int rv = -1;
            int lv = -1;
            for (int v = 0; v < 2; ++v) {
                const Version expected = version(k, v);
                if (r == bytesOf(&expected.rekord, TRekordKroku::Size))
                    rv = v;
                if (l == bytesOf(&expected.lista, TRekordListy::Size))
                    lv = v;
            }
            if (rv < 0 || lv < 0)
                return -1;
            if (rv != lv)
                ++mixed;
        }
        return mixed;
    }

    // How a player opening the pair now sees situations 0 to Situations: all of them as before
    // the save, all as after it, or a mix.
    int playerView(int k) {
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro_, RecordFile::Access::ReadOnly);
        bool asBefore = true;
        bool asAfter = true;
        for (int s = 0; s <= Situations; ++s) {
            std::optional<QByteArray> seen;
            try {
                TRekordKroku rekord;
                TRekordListy lista;
                pair.read(s, rekord, lista);
                seen = bytesOf(&rekord, TRekordKroku::Size) + bytesOf(&lista, TRekordListy::Size);
            } catch (const AppError&) {
            }
            const auto expected = [&](int v) -> std::optional<QByteArray> {
                if (s == Situations && !(v == 1 && k == Situations))
                    return std::nullopt; // past the end
                const Version version = ::version(s, s == k ? v : 0);
                return bytesOf(&version.rekord, TRekordKroku::Size) +
                       bytesOf(&version.lista, TRekordListy::Size);
            };
            asBefore = asBefore && seen == expected(0);
            asAfter = asAfter && seen == expected(1);
        }
        pair.close();
        if (asAfter)
            return After;
        return asBefore ? Before : Mixed;
    }

    // File calls of one save of situation k (or of the open alone, for k < 0), counted on a
    // copy of the pair.
    int callsOfOneSave(int k) {
        QTemporaryDir copy;
        const QString kro = copy.filePath(QStringLiteral("Las.Kro"));
        const PairBytes bytes = pairBytes();
        if (!writeFile(kro, bytes.kro) || !writeFile(listFilePath(kro), bytes.lis))
            return 0;
        FaultyRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        if (k < 0)
            return files.calls();
        const int opened = files.calls();
        Version v = version(k, 1);
        pair.write(k, v.rekord, v.lista, v.typ);
        return files.calls() - opened;
    }

    // Runs the child; its exit code, or -1 when it was killed.
    int runChild(int k, int version, int killAt) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--save-once"), kro_, QString::number(k),
                     QString::number(version), QString::number(killAt)});
        if (!child.waitForFinished(30000))
            return -2;
        if (child.exitStatus() == QProcess::CrashExit)
            return -1;
        return child.exitCode();
    }

    PairBytes pairBytes() const { return {readFile(kro_), readFile(listFilePath(kro_))}; }
    void setPair(const PairBytes& bytes) {
        QFile::remove(SaveJournal::pathFor(kro_));
        QVERIFY(writeFile(kro_, bytes.kro));
        QVERIFY(writeFile(listFilePath(kro_), bytes.lis));
    }

    void startSaver(QProcess& process, int pauseMicros) {
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--save-loop"), kro_, QString::number(pauseMicros)});
        QVERIFY(process.waitForStarted());
        QVERIFY(process.waitForReadyRead(30000));
        QCOMPARE(process.readLine(), QByteArray("ready\n"));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString kro_;
};

int main(int argc, char* argv[]) {
    if (argc == 6 && std::strcmp(argv[1], "--save-once") == 0)
        return saveOnce(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                        std::atoi(argv[5]));
    if (argc == 5 && std::strcmp(argv[1], "--undo-once") == 0)
        return undoOnce(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "--save-loop") == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    QCoreApplication app(argc, argv);
    TestProcesses tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_processes.moc"
