// A save that fails half way, on an injected fault or a disk that is really full, leaves both
// files of the pair exactly as they were.

#include "common/ObEdKrok.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "tests/support/ExpectError.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {

// What a save of situation k writes, and what the pair held before it.
struct SaveCase {
    QString kro;
    QByteArray kroBefore;
    QByteArray lisBefore;
    std::int32_t k = 1;

    // Writes a pair of `situations` whole records (with a part of one more when `tail`).
    bool make(const QString& path, int situations, bool tail, std::int32_t at) {
        kro = path;
        k = at;
        std::vector<Situation> list;
        for (int i = 0; i < situations; ++i)
            list.push_back(describedSituation(QStringLiteral("S%1").arg(i),
                                              i == 0 ? Koniec : Normalny, {0, 0, 0, 0}));
        if (!writeScenario(kro, list))
            return false;
        if (tail && (!QFile::resize(kro, QFileInfo(kro).size() + 100) ||
                     !QFile::resize(listFilePath(kro), QFileInfo(listFilePath(kro)).size() + 5)))
            return false;
        kroBefore = readFile(kro);
        lisBefore = readFile(listFilePath(kro));
        return true;
    }
    void save(ScenarioPair& pair) const {
        TKrok krok;
        krok.Ustaw(QStringLiteral("Nowa"), QStringLiteral("Dalej"), {}, {}, {},
                   QStringLiteral("Opis nowej"), {}, 1, -1, -1, -1);
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        TRekordListy lista;
        pair.write(k, rekord, lista, Wybory1);
    }
    // Both files as they were, and no journal left.
    bool unchanged() const {
        return readFile(kro) == kroBefore && readFile(listFilePath(kro)) == lisBefore &&
               !QFile::exists(SaveJournal::pathFor(kro));
    }
};

} // namespace

class TestSaves : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }

    void saveCases_data() {
        QTest::addColumn<int>("situations");
        QTest::addColumn<bool>("tail");
        QTest::addColumn<int>("k");
        QTest::newRow("rewrite") << 3 << false << 1;
        QTest::newRow("append") << 3 << false << 3;
        QTest::newRow("over a part of a record") << 3 << true << 3;
    }

    // Every call of a save failing in turn (a full disk, a refused write): an error, both files
    // byte for byte as before, no journal, and the next save goes through.
    void failedSaveLeavesBothFilesAsTheyWere_data() { saveCases_data(); }
    void failedSaveLeavesBothFilesAsTheyWere() {
        QFETCH(int, situations);
        QFETCH(bool, tail);
        QFETCH(int, k);
        SaveCase c;
        int calls = 0;
        {
            QVERIFY(c.make(folder_.filePath(QStringLiteral("Licz.Kro")), situations, tail, k));
            FaultyRecordFileFactory files;
            ScenarioPair pair(files);
            pair.openExisting(c.kro, RecordFile::Access::ReadWrite);
            const int opened = files.calls();
            c.save(pair);
            calls = files.calls() - opened;
        }
        QVERIFY(calls >= 10);
        for (int n = 1; n <= calls; ++n) {
            QVERIFY(c.make(folder_.filePath(QStringLiteral("Las.Kro")), situations, tail, k));
            FaultyRecordFileFactory files;
            ScenarioPair pair(files);
            pair.openExisting(c.kro, RecordFile::Access::ReadWrite);
            files.failCall(n, AppError::DiskFull);
            expectError(AppError::DiskFull, QStringLiteral("Disk full"), [&] { c.save(pair); });
            QVERIFY2(c.unchanged(), qPrintable(QStringLiteral("call %1 of %2").arg(n).arg(calls)));
            c.save(pair);
            QCOMPARE(readFile(c.kro).mid(c.k * TRekordKroku::Size, 5), QByteArray("\x04Nowa"));
        }
    }

    // A disk that fills up in the middle of a write: a file-size limit makes the kernel write
    // what fits and then refuse the rest, as a full disk does.
    void shortWriteOnAFullDisk_data() {
        QTest::addColumn<qint64>("room");
        QTest::newRow("the journal does not fit") << qint64(300);
        QTest::newRow("half of the appended record fits") << qint64(3 * TRekordKroku::Size + 258);
    }
    void shortWriteOnAFullDisk() {
        QFETCH(qint64, room);
        SaveCase c;
        QVERIFY(c.make(folder_.filePath(QStringLiteral("Las.Kro")), 3, false, 3));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(c.kro, RecordFile::Access::ReadWrite);
        {
            const FileSizeLimit limit(room);
            expectError(AppError::DiskFull, QStringLiteral("Disk full"), [&] { c.save(pair); });
        }
        QVERIFY(c.unchanged());
        c.save(pair);
        QCOMPARE(readFile(c.kro).size(), 4 * TRekordKroku::Size);
        QCOMPARE(readFile(listFilePath(c.kro)).size(), 4 * TRekordListy::Size);
    }

    // The case as an author meets it: a 64 KB memory file system filled up but for the room
    // of the journal; the appended record gets 484 of its 516 bytes before the disk is full.
    void appendOnAFullMemoryFileSystem() {
        const QString mountPoint = folder_.filePath(QStringLiteral("maly"));
        QVERIFY(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") !=
            0)
            QSKIP("mounting a memory file system is not allowed here");
        const struct Unmount {
            QByteArray at;
            ~Unmount() { ::umount(at.constData()); }
        } unmount{QFile::encodeName(mountPoint)};

        SaveCase c;
        QVERIFY(c.make(mountPoint + QStringLiteral("/Las.Kro"), 7, false, 7));
        // Fill every page, then give back one: the journal's.
        const QString filler = mountPoint + QStringLiteral("/wypelnienie");
        QFile fill(filler);
        QVERIFY(fill.open(QIODevice::WriteOnly));
        const QByteArray page(4096, 'x');
        while (fill.write(page) == page.size() && fill.flush()) {
        }
        fill.close();
        QVERIFY(QFile::resize(filler, QFileInfo(filler).size() - 4096));

        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(c.kro, RecordFile::Access::ReadWrite);
        expectError(AppError::DiskFull, QStringLiteral("Disk full"), [&] { c.save(pair); });
        QVERIFY(c.unchanged());
        pair.close();
    }

    // A journal left by a save that a crash stopped: the player reads the pair as it was
    // before the save, without writing; the editor's open undoes the save and removes it.
    void pendingSaveIsReadAsBeforeAndUndone_data() { saveCases_data(); }
    void pendingSaveIsReadAsBeforeAndUndone() {
        QFETCH(int, situations);
        QFETCH(bool, tail);
        QFETCH(int, k);
        SaveCase c;
        QVERIFY(c.make(folder_.filePath(QStringLiteral("Las.Kro")), situations, tail, k));
        const QString journal = SaveJournal::pathFor(c.kro);
        {
            // The save stops after its two records, before the journal goes.
            FaultyRecordFileFactory files;
            ScenarioPair pair(files);
            pair.openExisting(c.kro, RecordFile::Access::ReadWrite);
            files.afterEachCall([&] {
                if (QFile::exists(journal) && readFile(c.kro) != c.kroBefore &&
                    readFile(listFilePath(c.kro)) != c.lisBefore)
                    QFile::copy(journal, journal + QStringLiteral(".kept"));
            });
            c.save(pair);
        }
        QVERIFY(QFile::rename(journal + QStringLiteral(".kept"), journal));
        const QByteArray kroAfter = readFile(c.kro);

        PosixRecordFileFactory files;
        ScenarioPair player(files);
        player.openExisting(c.kro, RecordFile::Access::ReadOnly);
        TRekordKroku rekord;
        TRekordListy lista;
        for (int s = 0; s <= std::max(situations, k); ++s) {
            const bool whole = s < situations;
            if (!whole) {
                expectError(AppError::ReadBeyondEnd, QStringLiteral("Read beyond end of file"),
                            [&] { player.read(s, rekord, lista); });
                continue;
            }
            player.read(s, rekord, lista);
            QCOMPARE(rekord.Nazwa.text(), QStringLiteral("S%1").arg(s));
            QCOMPARE(lista.Nazwa.text(), QStringLiteral("S%1").arg(s));
        }
        player.close();
        QCOMPARE(readFile(c.kro), kroAfter);
        QVERIFY(QFile::exists(journal));

        ScenarioPair editor(files);
        editor.openExisting(c.kro, RecordFile::Access::ReadWrite);
        QVERIFY(c.unchanged());
        editor.close();
    }

    // A journal cut short was being written when the save stopped: the files were not touched
    // yet, and it is removed as it is.
    void journalCutShortIsRemoved_data() {
        QTest::addColumn<QByteArray>("journal");
        const QByteArray bytes = journalOf(1, 3).encode();
        QCOMPARE(bytes.size(), SaveJournal::Size);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("half") << bytes.left(SaveJournal::Size / 2);
        QTest::newRow("last byte missing") << bytes.left(SaveJournal::Size - 1);
    }
    void journalCutShortIsRemoved() {
        QFETCH(QByteArray, journal);
        SaveCase c;
        QVERIFY(c.make(folder_.filePath(QStringLiteral("Las.Kro")), 3, false, 1));
        QVERIFY(writeFile(SaveJournal::pathFor(c.kro), journal));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(c.kro, RecordFile::Access::ReadWrite);
        QVERIFY(c.unchanged());
    }

private:
    // The largest file this process may write, for the length of one step.
    struct FileSizeLimit {
        rlimit before{};
        explicit FileSizeLimit(qint64 bytes) {
            std::signal(SIGXFSZ, SIG_IGN); // the write is refused instead of the process killed
            ::getrlimit(RLIMIT_FSIZE, &before);
            rlimit limit = before;
            limit.rlim_cur = static_cast<rlim_t>(bytes);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &before); }
    };

    TestFolder folder_;
};

KIT_TEST_MAIN(TestSaves)
#include "tst_saves.moc"
