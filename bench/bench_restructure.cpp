// Deleting and moving a situation in large scenarios against their floor: the pair read whole,
// changed and written back all or nothing as tekstowki does it (restructureScenario), beside
// both files read whole and written whole to new files, each flushed, as bare calls; then the
// editor's reopen of the rewritten pair beside the read alone. Then the editor's session as
// the window drives it (EditorSession over a scripted view): a save of one situation, its undo
// and its redo beside one record written in place into each file, each flushed; a delete of a
// situation and its undo, each with the reopen, beside the rewrite's floor and the read.
// bench/run.sh prints its table; by hand:
//   build/bench/bench_restructure            (Qt Test's own output)
//   build/bench/bench_restructure -csv       (what run.sh reads)
// Every figure is the median of runs timed one by one, the pair put back as it was (and the
// disk flushed) before each, untimed. The rows that write are timed together, round by round
// in one loop (rounds(), sessionRounds()), so that they meet the same disk: their flushes vary
// with it far more than the work between them does. The session's rows alternate each change
// with its undo, so that the scenario keeps its size and its bytes from round to round.

#include "authoring/Restructuring.h"
#include "authoring/VersionStore.h"
#include "bench/BenchTiming.h"
#include "common/Restructure.h"
#include "common/ScenarioFiles.h"
#include "editor/model/EditorSession.h"
#include "editor/model/ScenarioState.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/ScriptedEditorView.h"
#include "tests/support/SessionRig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {

const QList<int> kSizes = {1000, 100000};
int runsAt(int n) {
    return n >= 100000 ? 11 : 51;
}

QString fill(const QString& start, int length) {
    QString text = start;
    while (text.size() < length)
        text += QStringLiteral(" żółw idzie przez las");
    return text.left(length);
}

// A scenario of `n` situations with names, choices and descriptions of full length, roads to
// anywhere (one in seven to the default end), as bench_large's editor scenarios.
std::vector<Situation> largeScenario(int n) {
    std::vector<Situation> situations;
    situations.reserve(std::size_t(n));
    std::uint32_t seed = 20261209u + std::uint32_t(n);
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const std::uint8_t types[] = {Normalny, Koniec, Wybory1, Wybory2, Wybory3};
    for (int k = 0; k < n; ++k) {
        const std::uint8_t typ = k == 0   ? std::uint8_t(Koniec)
                                 : k == 1 ? std::uint8_t(Poczatek)
                                          : types[next() % 5];
        std::array<std::int32_t, 4> cele{};
        for (std::int32_t& cel : cele)
            cel = next() % 7 == 0 ? 0 : std::int32_t(next() % unsigned(n));
        Situation s = describedSituation(
            QStringLiteral("Sytuacja %1 łąka").arg(k, 6, 10, QChar(u'0')).left(20), typ, cele,
            {fill(QStringLiteral("Idź na północ"), 45), fill(QStringLiteral("Idź na południe"), 45),
             fill(QStringLiteral("Zostań"), 45), fill(QStringLiteral("Wróć"), 45)});
        s.opis = fill(QStringLiteral("Opis sytuacji %1:").arg(k), 250);
        s.bmp = QStringLiteral("Obraz_128x128.bmp");
        situations.push_back(std::move(s));
    }
    return situations;
}

// Writes `bytes` to a new file at `path` and flushes it: the floor's write.
bool writeFlushed(const QString& path, const QByteArray& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == bytes.size() &&
                    ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// The editor's reopen after a rewrite: the pair opened, situation 1 shown, the lists rebuilt.
std::size_t reopen(RecordFileFactory& files, const QString& kro) {
    ScenarioState state(files);
    state.bind(kro);
    state.openExisting();
    state.goTo(1);
    ScenarioList list;
    state.OdswiezSpis(list);
    state.close();
    return list.rows.size();
}

// The figures of one size, taken round by round.
struct Figures {
    qreal floor = 0;
    qreal deleted = 0;
    qreal moved = 0;
    qreal deletedAndReopened = 0;
};

// The session's figures of one size, taken round by round.
struct SessionFigures {
    qreal floor = 0; // one record written in place into each file, each flushed
    qreal save = 0;
    qreal undoSave = 0;
    qreal redoSave = 0;
    qreal deleted = 0;
    qreal undoDelete = 0;
};

// The editor's session as the window runs it, on the real files, with no window: the rewrite
// of a whole scenario is tekstowki's, as the editor gives it.
using Session = SessionRigOn<PosixRecordFileFactory>;

// Situation k changed as an author changes it: a new name and description, four choices to
// the first four situations.
SituationFields changedFields(const ScenarioState& state, int k) {
    SituationFields f;
    f.nazwa = QStringLiteral("Zmieniona %1").arg(k);
    f.typ = QStringLiteral("Normalny");
    f.opis = fill(QStringLiteral("Nowy opis sytuacji %1:").arg(k), 250);
    for (std::size_t i = 0; i < 4; ++i) {
        f.wybory[i] = fill(QStringLiteral("Nowa droga %1").arg(i + 1), 45);
        f.cele[i] = state.targetName(std::int32_t(i));
        f.wyboryWlaczone[i] = f.celeWlaczone[i] = true;
    }
    return f;
}

} // namespace

class BenchRestructure : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        for (const int n : kSizes) {
            QVERIFY(QDir().mkpath(folder(n)));
            QVERIFY(writeScenario(scenario(n), largeScenario(n)));
            originals_[n] = {readFile(scenario(n)), readFile(listFilePath(scenario(n)))};
        }
    }

    void floorReadBothFiles_data() { sizes(); }
    // Both files opened and read whole from the page cache into buffers made beforehand.
    void floorReadBothFiles() {
        QFETCH(int, n);
        putBack(n);
        const QString kro = scenario(n);
        QByteArray a(qsizetype(n) * TRekordKroku::Size, '\0');
        QByteArray b(qsizetype(n) * TRekordListy::Size, '\0');
        qint64 bytes = 0;
        const qreal ms = medianMs(runsAt(n), [&] { bytes = readBoth(kro, a, b); });
        QCOMPARE(bytes, qint64(n) * (TRekordKroku::Size + TRekordListy::Size));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    void floorReadAndWrite_data() { sizes(); }
    // Both files read whole as above, then written whole into two new files beside them, each
    // flushed (fsync): the least a rewrite of the pair that survives a power cut does.
    void floorReadAndWrite() {
        QFETCH(int, n);
        figures_.erase(n);
        const Figures* figures = rounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->floor, QTest::WalltimeMilliseconds);
    }

    void restructureDelete_data() { sizes(); }
    // tekstowki's delete of the middle situation: restructureScenario with deleteSituation.
    void restructureDelete() {
        QFETCH(int, n);
        const Figures* figures = rounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->deleted, QTest::WalltimeMilliseconds);
    }

    void restructureMove_data() { sizes(); }
    // tekstowki's move of situation 2 to the end: restructureScenario with moveSituation.
    void restructureMove() {
        QFETCH(int, n);
        const Figures* figures = rounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->moved, QTest::WalltimeMilliseconds);
    }

    void editorReopen_data() { sizes(); }
    // The editor's reopen after a rewrite: ScenarioState bound, opened, situation 1 shown,
    // OdswiezSpis.
    void editorReopen() {
        QFETCH(int, n);
        putBack(n);
        PosixRecordFileFactory files;
        std::size_t rows = 0;
        const qreal ms = medianMs(runsAt(n), [&] { rows = reopen(files, scenario(n)); });
        QCOMPARE(rows, std::size_t(n));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    void deleteAndReopen_data() { sizes(); }
    // What the author waits for in the editor: the delete, then the reopen.
    void deleteAndReopen() {
        QFETCH(int, n);
        const Figures* figures = rounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->deletedAndReopened, QTest::WalltimeMilliseconds);
    }

    void floorRecordWrite_data() { sizes(); }
    // What a durable save of one situation must cost: its 516-byte record written back in
    // place into the situation file and flushed (fdatasync), then its 22-byte record into the
    // list file and flushed, as bare POSIX calls (the middle situation, its own bytes).
    void floorRecordWrite() {
        QFETCH(int, n);
        sessionFigures_.erase(n);
        const SessionFigures* figures = sessionRounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->floor, QTest::WalltimeMilliseconds);
    }

    void sessionSave_data() { sizes(); }
    // "&Zapisz" on the middle situation, its fields changed: the two records written through
    // the journal, the step kept, OdswiezSpis.
    void sessionSave() {
        QFETCH(int, n);
        const SessionFigures* figures = sessionRounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->save, QTest::WalltimeMilliseconds);
    }

    void sessionUndoSave_data() { sizes(); }
    // "Cofnij" of that save: the old records written back through the journal, the situation
    // shown again, OdswiezSpis.
    void sessionUndoSave() {
        QFETCH(int, n);
        const SessionFigures* figures = sessionRounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->undoSave, QTest::WalltimeMilliseconds);
    }

    void sessionRedoSave_data() { sizes(); }
    // "Ponów" of that save: the new records written again, as the undo writes the old.
    void sessionRedoSave() {
        QFETCH(int, n);
        const SessionFigures* figures = sessionRounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->redoSave, QTest::WalltimeMilliseconds);
    }

    void sessionDelete_data() { sizes(); }
    // "Usuń sytuację" on the middle situation, agreed: the pair rewritten, opened again, the
    // situation now at its number shown.
    void sessionDelete() {
        QFETCH(int, n);
        const SessionFigures* figures = sessionRounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->deleted, QTest::WalltimeMilliseconds);
    }

    void sessionUndoDelete_data() { sizes(); }
    // "Cofnij" of that delete: the inverse rewrite (the situation put back, the roads into it
    // led to it again, both fingerprints checked), opened again, the situation shown.
    void sessionUndoDelete() {
        QFETCH(int, n);
        const SessionFigures* figures = sessionRounds(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->undoDelete, QTest::WalltimeMilliseconds);
    }

    void keepVersion_data() { sizes(); }
    // The copy the editor keeps before the first change of a session and before each change
    // of the whole scenario (VersionStore::keep): the pair read, compared with the newest
    // version, written whole into a new version's folder with every file and folder flushed,
    // then the retention's prune. Before each run, untimed, one byte of the middle situation
    // changes, so that each run keeps a new version.
    void keepVersion() {
        QFETCH(int, n);
        putBack(n);
        const QString kro = scenario(n);
        VersionStore store(dir_.filePath(QStringLiteral("wersje")));
        QByteArray bytes = originals_.at(n).first;
        char mark = 'a';
        std::optional<VersionInfo> kept;
        bool keptEach = true;
        const qreal ms = medianMs(
            runsAt(n),
            [&] {
                bytes[qsizetype(n / 2) * TRekordKroku::Size + 300] = mark++;
                if (!writeFile(kro, bytes))
                    qFatal("cannot change the scenario");
                ::sync();
            },
            [&] {
                kept = store.keep(kro, QStringLiteral("bench"));
                keptEach = keptEach && kept.has_value();
            });
        QVERIFY(keptEach);
        putBack(n);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

private:
    void sizes() {
        QTest::addColumn<int>("n");
        for (const int n : kSizes)
            QTest::addRow("%d", n) << n;
    }
    QString folder(int n) const { return dir_.filePath(QString::number(n)); }
    QString scenario(int n) const { return folder(n) + QStringLiteral("/Wielki.Kro"); }

    static qint64 readBoth(const QString& kro, QByteArray& a, QByteArray& b) {
        QFile fa(kro);
        QFile fb(listFilePath(kro));
        return fa.open(QIODevice::ReadOnly | QIODevice::Unbuffered) &&
                       fb.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
                   ? fa.read(a.data(), a.size()) + fb.read(b.data(), b.size())
                   : -1;
    }

    // The pair as it was generated, written back and flushed with everything else, so that
    // no run pays for the last one's writes.
    void putBack(int n) {
        const auto& [kro, lis] = originals_.at(n);
        QFile::remove(folder(n) + QStringLiteral("/Kopia.Kro"));
        QFile::remove(folder(n) + QStringLiteral("/Kopia.lis"));
        if (!writeFile(scenario(n), kro) || !writeFile(listFilePath(scenario(n)), lis))
            qFatal("cannot put the scenario back");
        ::sync();
    }

    // Round by round: the floor, the delete, the move, the delete with the reopen; each
    // checked by the count it leaves.
    const Figures* rounds(int n) {
        if (const auto found = figures_.find(n); found != figures_.end())
            return &found->second;
        PosixRecordFileFactory files;
        const QString kro = scenario(n);
        QByteArray a(qsizetype(n) * TRekordKroku::Size, '\0');
        QByteArray b(qsizetype(n) * TRekordListy::Size, '\0');
        const auto floor = [&] {
            return readBoth(kro, a, b) > 0 &&
                   writeFlushed(folder(n) + QStringLiteral("/Kopia.Kro"), a) &&
                   writeFlushed(folder(n) + QStringLiteral("/Kopia.lis"), b);
        };
        const auto deleteMiddle = [&] {
            return restructureScenario(files, kro, [n](ScenarioSnapshot& s) {
                deleteSituation(s.rekordy, s.listy, n / 2);
                return true;
            });
        };
        const auto moveToEnd = [&] {
            return restructureScenario(files, kro, [n](ScenarioSnapshot& s) {
                moveSituation(s.rekordy, s.listy, 2, n - 1);
                return true;
            });
        };
        std::vector<std::array<qint64, 4>> times;
        QElapsedTimer timer;
        for (int round = 0; round <= runsAt(n); ++round) {
            std::array<qint64, 4> t{};
            bool ok = true;
            putBack(n);
            timer.start();
            ok = floor() && ok;
            t[0] = timer.nsecsElapsed();
            putBack(n);
            timer.start();
            ok = deleteMiddle() && ok;
            t[1] = timer.nsecsElapsed();
            putBack(n);
            timer.start();
            ok = moveToEnd() && ok;
            t[2] = timer.nsecsElapsed();
            putBack(n);
            timer.start();
            ok = deleteMiddle() && reopen(files, kro) == std::size_t(n - 1) && ok;
            t[3] = timer.nsecsElapsed();
            if (!ok)
                return nullptr;
            if (round > 0) // the first round warms the caches
                times.push_back(t);
        }
        const auto median = [&times](std::size_t i) {
            std::vector<qint64> column;
            for (const auto& t : times)
                column.push_back(t[i]);
            std::sort(column.begin(), column.end());
            return qreal(column[column.size() / 2]) / 1e6;
        };
        putBack(n);
        return &(figures_[n] = Figures{median(0), median(1), median(2), median(3)});
    }

    // Round by round on one session over the pair as generated: the floor, the save, its undo,
    // its redo (then an untimed undo), the delete, its undo; each checked by what it leaves,
    // and the pair checked byte for byte against the original at the end.
    const SessionFigures* sessionRounds(int n) {
        if (const auto found = sessionFigures_.find(n); found != sessionFigures_.end())
            return &found->second;
        putBack(n);
        const QString kro = scenario(n);
        const std::int32_t k = n / 2;
        const int fa = ::open(QFile::encodeName(kro).constData(), O_RDWR | O_CLOEXEC);
        const int fb = ::open(QFile::encodeName(listFilePath(kro)).constData(), O_RDWR | O_CLOEXEC);
        const off_t at = off_t(k);
        char a[TRekordKroku::Size];
        char b[TRekordListy::Size];
        const auto floor = [&] {
            return ::pwrite(fa, a, sizeof a, at * off_t(sizeof a)) == ssize_t(sizeof a) &&
                   ::fdatasync(fa) == 0 &&
                   ::pwrite(fb, b, sizeof b, at * off_t(sizeof b)) == ssize_t(sizeof b) &&
                   ::fdatasync(fb) == 0;
        };

        Session e;
        e.session.open(kro);
        const SituationFields changed = changedFields(e.session.state(), k);
        // What the window shows from the files after each step counts as saved.
        const auto shown = [&e](bool drawn) {
            e.session.markSaved();
            return drawn;
        };
        std::vector<std::array<qint64, 6>> times;
        QElapsedTimer timer;
        bool ok = fa >= 0 && fb >= 0;
        for (int round = 0; ok && round <= runsAt(n); ++round) {
            std::array<qint64, 6> t{};
            const auto timed = [&](qint64& into, const auto& body) {
                ::sync();
                timer.start();
                ok = body() && ok;
                into = timer.nsecsElapsed();
            };
            ok = ::pread(fa, a, sizeof a, at * off_t(sizeof a)) == ssize_t(sizeof a) &&
                 ::pread(fb, b, sizeof b, at * off_t(sizeof b)) == ssize_t(sizeof b) && ok;
            timed(t[0], floor);
            e.session.state().goTo(k);
            e.view.typed = changed;
            timed(t[1], [&] { return shown(e.session.save()); });
            ok = e.session.state().krok().Nazwa.text() == changed.nazwa && ok;
            timed(t[2], [&] { return shown(e.session.undo()); });
            ok = e.session.state().krok().Nazwa.text() != changed.nazwa && ok;
            timed(t[3], [&] { return shown(e.session.redo()); });
            ok = shown(e.session.undo()) && ok;
            e.view.answers = {true};
            timed(t[4], [&] { return shown(e.session.deleteSituation(k)); });
            ok = e.session.state().count() == n - 1 && e.view.answers.isEmpty() && ok;
            timed(t[5], [&] { return shown(e.session.undo()); });
            ok = e.session.state().count() == n && ok;
            if (round > 0) // the first round warms the caches
                times.push_back(t);
        }
        e.session.close();
        if (fa >= 0)
            ::close(fa);
        if (fb >= 0)
            ::close(fb);
        const auto median = [&times](std::size_t i) {
            std::vector<qint64> column;
            for (const auto& t : times)
                column.push_back(t[i]);
            std::sort(column.begin(), column.end());
            return qreal(column[column.size() / 2]) / 1e6;
        };
        [&] {
            QVERIFY(ok);
            QCOMPARE(e.view.said.filter(QStringLiteral("message:")), QStringList());
            QCOMPARE(readFile(kro), originals_.at(n).first);
            QCOMPARE(readFile(listFilePath(kro)), originals_.at(n).second);
        }();
        if (QTest::currentTestFailed())
            return nullptr;
        return &(sessionFigures_[n] = SessionFigures{median(0), median(1), median(2), median(3),
                                                     median(4), median(5)});
    }

    QTemporaryDir dir_;
    std::map<int, std::pair<QByteArray, QByteArray>> originals_;
    std::map<int, Figures> figures_;
    std::map<int, SessionFigures> sessionFigures_;
};

QTEST_GUILESS_MAIN(BenchRestructure)
#include "bench_restructure.moc"
