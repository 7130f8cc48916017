// Large scenarios measured against their floors: the editor and the player on scenarios of
// 100 to 100 000 situations, each figure beside the cost of reading the file pair whole, a
// save beside the cost of writing its two records durably (or, for start-up, beside a Qt
// program that shows one empty window). bench/run.sh runs it and prints the table; by hand:
//   build/bench/bench_large            (every figure, Qt Test's own output)
//   build/bench/bench_large -csv       (what run.sh reads)
// Every time is the median of many runs timed one by one after a warm-up (kRuns and its
// kin below); the player's step also gives its 99th percentile.

#include "bench/BenchTiming.h"
#include "common/ObEdKrok.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "editor/SituationGrid.h"
#include "editor/Uedytor.h"
#include "platform/ui/PaintBox.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/PlayerUnderTest.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <random>
#include <unistd.h>

namespace {

const QList<int> kSizes = {100, 1000, 10000, 100000};
constexpr int kMediaFiles = 10000;
const QString kPicture = QStringLiteral("Obraz_128x128.bmp");
// How many runs a figure's median is taken from, each run timed alone after a warm-up that
// is not timed: a figure of tens of milliseconds fewer, one under a millisecond more.
constexpr int kRuns = 101;
constexpr int kLongRuns = 25;
constexpr int kShortRuns = 201;
int runsAt(int n) {
    return n >= 100000 ? kLongRuns : kRuns;
}

QString fill(const QString& start, int length) {
    QString text = start;
    while (text.size() < length)
        text += QStringLiteral(" żółw idzie przez las");
    return text.left(length);
}

// Writes a scenario of `n` situations through the common library's records: names, choices
// and descriptions of full length. Mixed types and targets for the editor; for the player
// (`playable`) choice 1 of every situation leads to another playable one, so a game never
// ends. Every situation names the picture `bmp`.
bool writeLarge(const QString& path, int n, bool playable, const QString& bmp) {
    std::mt19937 rng(20240611u + unsigned(n));
    const std::uint8_t types[] = {Normalny, Koniec, Wybory1, Wybory2, Wybory3};
    QByteArray kro;
    QByteArray lis;
    kro.reserve(qsizetype(n) * TRekordKroku::Size);
    lis.reserve(qsizetype(n) * TRekordListy::Size);
    TKrok krok;
    for (int k = 0; k < n; ++k) {
        std::uint8_t typ = k == 0   ? std::uint8_t(Koniec)
                           : k == 1 ? std::uint8_t(Poczatek)
                                    : types[rng() % 5];
        if (playable && k > 1)
            typ = Normalny;
        const auto target = [&] {
            if (playable)
                return std::int32_t(1 + rng() % unsigned(n - 1));
            return std::int32_t(rng() % 7 == 0 ? 0 : rng() % unsigned(n));
        };
        const QString nazwa =
            QStringLiteral("Sytuacja %1 łąka").arg(k, 6, 10, QChar(u'0')).left(20);
        krok.Ustaw(nazwa, fill(QStringLiteral("Idź na północ"), 45),
                   fill(QStringLiteral("Idź na południe"), 45), fill(QStringLiteral("Zostań"), 45),
                   fill(QStringLiteral("Wróć"), 45),
                   fill(QStringLiteral("Opis sytuacji %1:").arg(k), 250), bmp, target(), target(),
                   target(), target());
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        TRekordListy lista;
        lista.Nazwa.assign(rekord.Nazwa);
        lista.Typ = typ;
        kro.append(reinterpret_cast<const char*>(&rekord), TRekordKroku::Size);
        lis.append(reinterpret_cast<const char*>(&lista), TRekordListy::Size);
    }
    return writeFile(path, kro) && writeFile(listFilePath(path), lis);
}

// The editor window as the program builds it, with fakes for the services.
struct Editor : EditorUnderTest<RecordingMessageBoxes, PosixRecordFileFactory> {
    void open(const QString& path) {
        EditorUnderTest::open(path);
        QCoreApplication::processEvents();
    }
};

// The player with fakes for the services, in a game of the scenario at `path`.
// The player as the program builds it, started on a scenario.
struct Player : PlayerUnderTest<RecordingMessageBoxes, PosixRecordFileFactory> {
    explicit Player(const QString& path) {
        choose(path);
        start();
        QCoreApplication::processEvents();
    }
    // One choice step as the user makes it: the click, then the repaint it asked for.
    void step() {
        QTest::mouseClick(choice1, Qt::LeftButton);
        picture->repaint();
    }
    // Found once, so that a step times the game and not the search for its controls.
    QPushButton* choice1 = choice(1);
    PaintBox* picture = child<PaintBox>(gra, "PaObrazek");
};

std::int64_t peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The child process of the memory figure: an editor window, then (with a path) the scenario
// opened, one situation saved and "N&owa"; prints the peak resident size in KiB.
int memoryChild(const QString& path) {
    Editor e;
    QCoreApplication::processEvents();
    if (!path.isEmpty()) {
        e.open(path);
        QTest::mouseClick(child<QPushButton>(e.w, "BuZapisz"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(e.w, "BuNowy"), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    std::printf("%lld\n", static_cast<long long>(peakResidentKiB()));
    return 0;
}

} // namespace

class BenchLarge : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // The media folder of many files first: its listing is kept only once the folder
        // has settled, which the scenarios below take long enough to write.
        const QString media = dir_.filePath(QStringLiteral("media/"));
        QVERIFY(QDir().mkpath(media + QStringLiteral("Obrazki")));
        for (int i = 0; i < kMediaFiles; ++i)
            QVERIFY(writeFile(media + QStringLiteral("Obrazki/plik%1.bmp").arg(i), {}));
        QVERIFY(writeFile(media + QStringLiteral("Obrazki/") + kPicture,
                          solidBmp(128, 128, qRgb(40, 120, 200))));
        QVERIFY(writeLarge(media + QStringLiteral("Las.Kro"), 1000, true, kPicture.toUpper()));
        for (const int n : kSizes) {
            const QString folder = dir_.filePath(QString::number(n) + u'/');
            QVERIFY(writeFile(folder + QStringLiteral("Obrazki/") + kPicture,
                              solidBmp(128, 128, qRgb(200, 120, 40))));
            QVERIFY(writeLarge(folder + QStringLiteral("Edycja.Kro"), n, false, kPicture));
            QVERIFY(writeLarge(folder + QStringLiteral("Gra.Kro"), n, true, kPicture));
        }
    }

    // --- the read floor --------------------------------------------------------------------------

    void floorReadBothFiles_data() { sizes(); }
    // Both files opened and read whole from the page cache, into buffers that outlive the
    // runs (a fresh buffer of 50 MB costs more in page faults than the read itself): one read
    // to bring the files into the cache, then the median of kShortRuns reads.
    void floorReadBothFiles() {
        QFETCH(int, n);
        const QString kro = editorScenario(n);
        QByteArray a(qsizetype(n) * TRekordKroku::Size, '\0');
        QByteArray b(qsizetype(n) * TRekordListy::Size, '\0');
        qint64 bytes = 0;
        const auto readBoth = [&] {
            QFile fa(kro);
            QFile fb(listFilePath(kro));
            bytes = fa.open(QIODevice::ReadOnly | QIODevice::Unbuffered) &&
                            fb.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
                        ? fa.read(a.data(), a.size()) + fb.read(b.data(), b.size())
                        : -1;
        };
        readBoth();
        QCOMPARE(bytes, qint64(n) * (TRekordKroku::Size + TRekordListy::Size));
        const qreal ms = medianMs(kShortRuns, readBoth);
        QCOMPARE(bytes, qint64(n) * (TRekordKroku::Size + TRekordListy::Size));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // --- the editor -----------------------------------------------------------------------------

    void editorOpen_data() { sizes(); }
    // To the first situation shown, the grid and the target lists filled.
    void editorOpen() {
        QFETCH(int, n);
        Editor e;
        e.open(editorScenario(n));
        QTest::setBenchmarkResult(medianMs(runsAt(n), [&] { e.open(editorScenario(n)); }),
                                  QTest::WalltimeMilliseconds);
        QCOMPARE(e.w.grid().gridRowCount(), n);
        QCOMPARE(e.w.names().rowCount(), n);
        QCOMPARE(e.w.state().numer(), 1);
    }

    // --- saving, against the durable write floor ------------------------------------------------
    // The three rows are timed together, round by round in one loop (saves()), so that they
    // meet the same disk and the same load: the flushes they wait on vary with both far more
    // than the work between them does. The first of the three takes the figures afresh, the
    // other two report those of the same rounds.

    void floorDurableWrite_data() { sizes(); }
    // What a durable save of one situation must cost: its 516-byte record written back in
    // place into the situation file and flushed (fdatasync), then its 22-byte record into the
    // list file and flushed, as bare POSIX calls on the files "&Zapisz" writes (situation 1 of
    // the editor's scenario, its own bytes). A save flushes more than this: before the
    // records it creates its journal beside the pair (the folder flushed) and writes and
    // flushes it, and after them it removes the journal (the folder flushed again): five
    // flushes to these two.
    void floorDurableWrite() {
        QFETCH(int, n);
        saves_.erase(n);
        const SaveFigures* figures = saves(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->floor, QTest::WalltimeMilliseconds);
    }

    void editorSaveFiles_data() { sizes(); }
    // The file part of a save alone, ScenarioPair::write of situation 1 as "&Zapisz" calls it:
    // the journal created, written and flushed, both records written and flushed, the journal
    // removed.
    void editorSaveFiles() {
        QFETCH(int, n);
        const SaveFigures* figures = saves(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->files, QTest::WalltimeMilliseconds);
    }

    void editorSave_data() { sizes(); }
    // "&Zapisz" on situation 1: the save to the disk, then OdswiezSpis.
    void editorSave() {
        QFETCH(int, n);
        const SaveFigures* figures = saves(n);
        QVERIFY(figures);
        QTest::setBenchmarkResult(figures->editor, QTest::WalltimeMilliseconds);
    }

    void editorRebuild_data() { sizes(); }
    // OdswiezSpis alone, as a save ends: the part of a save that grows with the scenario.
    void editorRebuild() {
        QFETCH(int, n);
        PosixRecordFileFactory files;
        ScenarioState state(files);
        state.bind(editorScenario(n));
        state.openExisting();
        state.goTo(1);
        ScenarioList list;
        state.OdswiezSpis(list);
        QTest::setBenchmarkResult(medianMs(runsAt(n), [&] { state.OdswiezSpis(list); }),
                                  QTest::WalltimeMilliseconds);
        QCOMPARE(list.rows.size(), std::size_t(n));
    }

    void editorGridJump_data() { sizes(); }
    // A jump through the grid (Enter on a row) between two rows far apart.
    void editorGridJump() {
        QFETCH(int, n);
        Editor e;
        e.open(editorScenario(n));
        int row = n / 2;
        const auto jump = [&] {
            child<QTableView>(e.w, "SGSyt")->setCurrentIndex(e.w.grid().index(row - 1, 0));
            QTest::keyClick(child<QTableView>(e.w, "SGSyt"), Qt::Key_Return);
            row = row == n / 2 ? n - 1 : n / 2;
        };
        jump();
        QTest::setBenchmarkResult(medianMs(kShortRuns, jump), QTest::WalltimeMilliseconds);
        QVERIFY(e.w.state().numer() == n / 2 || e.w.state().numer() == n - 1);
    }

    void editorTargetKey_data() { sizes(); }
    // The name of the last situation typed into the first target box ("Wybrana droga") a key
    // at a time, each key completed among the names. The slowest key of a round (the first
    // ones look through every name), the median of kShortRuns / 10 rounds.
    void editorTargetKey() {
        QFETCH(int, n);
        Editor e;
        e.open(editorScenario(n));
        auto* box = child<QComboBox>(e.w, "CBKrok_Wybrany1");
        const QString name = QStringLiteral("sytuacja %1").arg(n - 1, 6, 10, QChar(u'0'));
        const QString target = box->currentText();
        qint64 slowest = 0;
        const auto clear = [&] {
            // The names as a save leaves them, not yet looked through.
            box->setEditText(target);
            QTest::mouseClick(child<QPushButton>(e.w, "BuZapisz"), Qt::LeftButton);
            box->setFocus();
            box->lineEdit()->clear();
            slowest = 0;
        };
        const auto type = [&] {
            QElapsedTimer timer;
            for (const QChar c : name) {
                timer.start();
                QTest::keyClicks(box->lineEdit(), QString(c));
                slowest = std::max(slowest, timer.nsecsElapsed());
            }
        };
        std::vector<qint64> times;
        for (int run = 0; run < kShortRuns / 10; ++run) {
            clear();
            type();
            times.push_back(slowest);
        }
        std::sort(times.begin(), times.end());
        QTest::setBenchmarkResult(qreal(times[times.size() / 2]) / 1e6,
                                  QTest::WalltimeMilliseconds);
        QCOMPARE(box->lineEdit()->text(), name + QStringLiteral(" łąka"));
        QVERIFY(e.boxes.verifyAllShown());
    }

    void editorFirstSave_data() { sizes(); }
    // "&Zapisz" on situation 1 as the first step after the scenario was opened (the open, not
    // timed, before each).
    void editorFirstSave() {
        QFETCH(int, n);
        Editor e;
        const auto open = [&] { e.open(editorScenario(n)); };
        const auto save = [&] {
            QTest::mouseClick(child<QPushButton>(e.w, "BuZapisz"), Qt::LeftButton);
        };
        QTest::setBenchmarkResult(medianMs(runsAt(n), open, save), QTest::WalltimeMilliseconds);
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(e.w.grid().gridRowCount(), n);
    }

    void editorNowa_data() { sizes(); }
    // "N&owa": the new number, the fields cleared, OdswiezSpis. The button stays disabled
    // until a situation is chosen again, so a grid jump, not timed, comes before each.
    void editorNowa() {
        QFETCH(int, n);
        Editor e;
        e.open(editorScenario(n));
        const auto chooseFirst = [&] {
            child<QTableView>(e.w, "SGSyt")->setCurrentIndex(e.w.grid().index(0, 0));
            QTest::keyClick(child<QTableView>(e.w, "SGSyt"), Qt::Key_Return);
        };
        const auto nowa = [&] {
            QTest::mouseClick(child<QPushButton>(e.w, "BuNowy"), Qt::LeftButton);
        };
        chooseFirst();
        nowa();
        QTest::setBenchmarkResult(medianMs(runsAt(n), chooseFirst, nowa),
                                  QTest::WalltimeMilliseconds);
        QCOMPARE(e.w.state().numer(), n);
    }

    void editorPeakMemory_data() {
        QTest::addColumn<int>("n");
        QTest::newRow("empty") << 0;
        sizes(false);
    }
    // Peak resident size of a process holding the editor with the scenario open, a save and
    // "N&owa" done; "empty" is the editor with nothing open.
    void editorPeakMemory() {
        QFETCH(int, n);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KIT_BENCH_MEMORY_CHILD"), n ? editorScenario(n) : QString());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(120000));
        const qint64 kib = child.readAllStandardOutput().trimmed().toLongLong();
        QVERIFY(kib > 0);
        QTest::setBenchmarkResult(qreal(kib) * 1024, QTest::BytesAllocated);
    }

    // --- the player -----------------------------------------------------------------------------

    void playerStep_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("percentile");
        for (const int n : kSizes) {
            const QString path = dir_.filePath(QStringLiteral("%1/Gra.Kro").arg(n));
            QTest::addRow("%d median", n) << path << 50;
            QTest::addRow("%d p99", n) << path << 99;
        }
        const QString media = dir_.filePath(QStringLiteral("media/Las.Kro"));
        QTest::addRow("%d media files, name in another case, median", kMediaFiles) << media << 50;
        QTest::addRow("%d media files, name in another case, p99", kMediaFiles) << media << 99;
    }
    // One choice step (the window cleared, both records read, the situation shown with its
    // 128 x 128 picture, the picture box repainted), timed one by one for the percentiles.
    void playerStep() {
        QFETCH(QString, path);
        QFETCH(int, percentile);
        Player p(path);
        for (int i = 0; i < 50; ++i)
            p.step();
        std::vector<qint64> times;
        QElapsedTimer timer;
        for (int i = 0; i < 2000; ++i) {
            timer.start();
            p.step();
            times.push_back(timer.nsecsElapsed());
        }
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.choice1->isEnabled());
        std::sort(times.begin(), times.end());
        const auto at = times.size() * std::size_t(percentile) / 100;
        QTest::setBenchmarkResult(qreal(times[std::min(at, times.size() - 1)]),
                                  QTest::WalltimeNanoseconds);
    }

    void startUp_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("minimal Qt window") << QStringLiteral(KIT_MINIMAL_PROGRAM);
        QTest::newRow("Zozozarov") << QStringLiteral(KIT_PLAYER_PROGRAM);
    }
    // The whole process, offscreen, from its start to its first window shown.
    void startUp() {
        QFETCH(QString, program);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KIT_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
        int exitCode = -1;
        const auto startOnce = [&] {
            QProcess process;
            process.setProcessEnvironment(env);
            process.start(program, {});
            process.waitForFinished(30000);
            exitCode = process.exitCode();
        };
        startOnce();
        QCOMPARE(exitCode, 0);
        const qreal ms = medianMs(kLongRuns, startOnce);
        QCOMPARE(exitCode, 0);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

private:
    struct SaveFigures {
        qreal floor = 0;  // the bare POSIX writes
        qreal files = 0;  // ScenarioPair::write
        qreal editor = 0; // the click on "&Zapisz"
    };

    // The medians of the three ways of saving situation 1 of the editor's scenario of `n`
    // situations, timed in turn in each round: a few rounds first, then runsAt(n) rounds.
    // Null when one of them failed (the test has failed then).
    const SaveFigures* saves(int n) {
        if (const auto found = saves_.find(n); found != saves_.end())
            return &found->second;
        const QString path = editorScenario(n);
        const QByteArray kro = QFile::encodeName(path);
        const QByteArray lis = QFile::encodeName(listFilePath(path));
        const int fa = ::open(kro.constData(), O_RDWR | O_CLOEXEC);
        const int fb = ::open(lis.constData(), O_RDWR | O_CLOEXEC);
        char a[TRekordKroku::Size];
        char b[TRekordListy::Size];
        bool ok = fa >= 0 && fb >= 0 && ::pread(fa, a, sizeof a, sizeof a) == ssize_t(sizeof a) &&
                  ::pread(fb, b, sizeof b, sizeof b) == ssize_t(sizeof b);
        const auto bare = [&] {
            ok = ok && ::pwrite(fa, a, sizeof a, sizeof a) == ssize_t(sizeof a) &&
                 ::fdatasync(fa) == 0 && ::pwrite(fb, b, sizeof b, sizeof b) == ssize_t(sizeof b) &&
                 ::fdatasync(fb) == 0;
        };

        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(path, RecordFile::Access::ReadWrite);
        TRekordKroku rekord;
        TRekordListy lista;
        pair.read(1, rekord, lista);
        const auto write = [&] { pair.write(1, rekord, lista, Poczatek); };

        Editor e;
        e.open(path);
        const auto click = [&] {
            QTest::mouseClick(child<QPushButton>(e.w, "BuZapisz"), Qt::LeftButton);
        };

        std::array<std::vector<qint64>, 3> times;
        QElapsedTimer timer;
        const auto timed = [&](std::vector<qint64>& into, const auto& body) {
            timer.start();
            body();
            into.push_back(timer.nsecsElapsed());
        };
        const int warm = 5;
        for (int i = 0; i < warm + runsAt(n); ++i) {
            timed(times[0], bare);
            timed(times[1], write);
            timed(times[2], click);
        }
        if (fa >= 0)
            ::close(fa);
        if (fb >= 0)
            ::close(fb);
        pair.close();
        const auto median = [&](std::vector<qint64>& all) {
            std::vector<qint64> counted(all.begin() + warm, all.end());
            std::sort(counted.begin(), counted.end());
            return qreal(counted[counted.size() / 2]) / 1e6;
        };
        [&] {
            QVERIFY(ok);
            QVERIFY(!QFile::exists(SaveJournal::pathFor(path)));
            QVERIFY(e.boxes.verifyAllShown());
            QCOMPARE(e.w.grid().gridRowCount(), n);
        }();
        if (QTest::currentTestFailed())
            return nullptr;
        saves_[n] = {median(times[0]), median(times[1]), median(times[2])};
        return &saves_[n];
    }

    void sizes(bool column = true) {
        if (column)
            QTest::addColumn<int>("n");
        for (const int n : kSizes)
            QTest::addRow("%d", n) << n;
    }
    QString editorScenario(int n) const {
        return dir_.filePath(QStringLiteral("%1/Edycja.Kro").arg(n));
    }

    QTemporaryDir dir_;
    std::map<int, SaveFigures> saves_;
};

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    if (qEnvironmentVariableIsSet("KIT_BENCH_MEMORY_CHILD"))
        return memoryChild(qEnvironmentVariable("KIT_BENCH_MEMORY_CHILD"));
    BenchLarge bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_large.moc"
