// The scenario check on 100 000 situations against its floor: both files read whole with
// plain reads, then each stage of a check as the command line runs it (the snapshot read, the
// roads built, the check without and with the media). bench/run.sh prints its table; by hand:
//   build/bench/bench_check            (Qt Test's own output)
//   build/bench/bench_check -csv       (what run.sh reads)
// Every time is the median of kRuns runs, each timed alone after an untimed warm-up run.

#include "authoring/ScenarioCheck.h"
#include "bench/BenchTiming.h"
#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <random>

namespace {

constexpr int kSituations = 100000;
constexpr int kRuns = 11;

QString text(const QString& start, int length) {
    QString t = start;
    while (t.size() < length)
        t += QStringLiteral(" żółw idzie przez las");
    return t.left(length);
}

// A scenario as an author grows one: most roads lead a little further on, some return to an
// earlier situation, one situation in ten is an ending; every twentieth situation shows one of
// a handful of pictures and plays one of a few sounds, some named in another letter case.
bool writeScenario(const QString& kro, int n) {
    std::mt19937 rng(20261208u);
    const std::uint8_t types[] = {Normalny, Normalny, Wybory1, Wybory2, Wybory3,
                                  Wybory2,  Normalny, Wybory3, Wybory1, Koniec};
    const QStringList pictures = {"las.bmp", "ZAMEK.BMP", "rzeka.bmp", "smok.bmp", "brak.bmp"};
    const QStringList sounds = {"wiatr.wav", "Krok.WAV", "cisza.wav"};
    QByteArray kroBytes;
    QByteArray lisBytes;
    kroBytes.reserve(qsizetype(n) * TRekordKroku::Size);
    lisBytes.reserve(qsizetype(n) * TRekordListy::Size);
    for (int k = 0; k < n; ++k) {
        const std::uint8_t typ = k == 0   ? std::uint8_t(Koniec)
                                 : k == 1 ? std::uint8_t(Poczatek)
                                          : types[rng() % 10];
        std::array<std::int32_t, 4> cele{};
        for (std::int32_t& cel : cele) {
            const bool back = rng() % 8 == 0;
            const auto step = std::int32_t(1 + rng() % 40);
            cel = back ? std::max(1, k - step) : std::min(n - 1, k + step);
        }
        TKrok krok;
        krok.Ustaw(QStringLiteral("Sytuacja %1").arg(k), text("Idź na północ", 40),
                   text("Idź na południe", 45), text("Zostań", 30), text("Wróć", 20),
                   text(QStringLiteral("Opis sytuacji %1:").arg(k), 240),
                   k % 20 == 0 ? pictures[(k / 20) % pictures.size()] : QString(), cele[0], cele[1],
                   cele[2], cele[3]);
        if (k % 20 == 10)
            krok.Wav.assign(sounds[(k / 20) % sounds.size()]);
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        TRekordListy lista;
        lista.Nazwa.assign(rekord.Nazwa);
        lista.Typ = typ;
        kroBytes.append(reinterpret_cast<const char*>(&rekord), TRekordKroku::Size);
        lisBytes.append(reinterpret_cast<const char*>(&lista), TRekordListy::Size);
    }
    return writeFile(kro, kroBytes) && writeFile(listFilePath(kro), lisBytes);
}

} // namespace

class BenchCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        kro_ = dir_.filePath(QStringLiteral("Wielki.Kro"));
        QVERIFY(writeScenario(kro_, kSituations));
        for (const char* name : {"las.bmp", "zamek.bmp", "rzeka.bmp", "smok.bmp"})
            QVERIFY(writeFile(dir_.filePath(QStringLiteral("Obrazki/") + name),
                              solidBmp(128, 128, qRgb(40, 120, 200))));
        for (const char* name : {"wiatr.wav", "krok.wav", "cisza.wav"})
            QVERIFY(writeFile(dir_.filePath(QStringLiteral("Dzwieki/") + name), toneWav(200)));
        PosixRecordFileFactory files;
        snapshot_ = ::readSnapshot(files, kro_);
        QCOMPARE(snapshot_.size(), kSituations);
    }

    // Both files opened and read whole from the page cache into buffers made beforehand.
    void floorReadBothFiles() {
        QByteArray a(qsizetype(kSituations) * TRekordKroku::Size, '\0');
        QByteArray b(qsizetype(kSituations) * TRekordListy::Size, '\0');
        qint64 bytes = 0;
        const qreal ms = medianMs(kRuns, [&] {
            QFile fa(kro_);
            QFile fb(listFilePath(kro_));
            bytes = fa.open(QIODevice::ReadOnly | QIODevice::Unbuffered) &&
                            fb.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
                        ? fa.read(a.data(), a.size()) + fb.read(b.data(), b.size())
                        : -1;
        });
        QCOMPARE(bytes, qint64(kSituations) * (TRekordKroku::Size + TRekordListy::Size));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // The same into buffers made afresh in each run, as a new snapshot must be: the first
    // touch of every page of 54 MB is part of the cost.
    void floorReadIntoFreshBuffers() {
        qint64 bytes = 0;
        const qreal ms = medianMs(kRuns, [&] {
            std::vector<TRekordKroku> a(static_cast<std::size_t>(kSituations));
            std::vector<TRekordListy> b(static_cast<std::size_t>(kSituations));
            QFile fa(kro_);
            QFile fb(listFilePath(kro_));
            bytes = fa.open(QIODevice::ReadOnly | QIODevice::Unbuffered) &&
                            fb.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
                        ? fa.read(reinterpret_cast<char*>(a.data()),
                                  qint64(a.size()) * TRekordKroku::Size) +
                              fb.read(reinterpret_cast<char*>(b.data()),
                                      qint64(b.size()) * TRekordListy::Size)
                        : -1;
        });
        QCOMPARE(bytes, qint64(kSituations) * (TRekordKroku::Size + TRekordListy::Size));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    void readSnapshot() {
        PosixRecordFileFactory files;
        ScenarioSnapshot snapshot;
        const qreal ms = medianMs(kRuns, [&] { snapshot = ::readSnapshot(files, kro_); });
        QCOMPARE(snapshot.size(), kSituations);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    void graph() {
        std::int32_t size = 0;
        const qreal ms = medianMs(kRuns, [&] { size = ScenarioGraph(snapshot_).size(); });
        QCOMPARE(size, kSituations);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // The check alone, on roads built beforehand, with the search for the longest road
    // bounded as the command line bounds it.
    void check_data() {
        QTest::addColumn<bool>("media");
        QTest::newRow("without media") << false;
        QTest::newRow("with media") << true;
    }
    void check() {
        QFETCH(bool, media);
        const ScenarioGraph graph(snapshot_);
        CheckOptions options;
        options.media = media;
        CheckReport report;
        const qreal ms =
            medianMs(kRuns, [&] { report = checkScenario(snapshot_, graph, options); });
        QVERIFY(report.statistics.reachable > kSituations / 2);
        QCOMPARE(report.statistics.situations, kSituations);
        // "brak.bmp" is the one name no file has.
        const bool missing =
            std::any_of(report.findings.begin(), report.findings.end(),
                        [](const Finding& f) { return f.kind == FindingKind::MissingPicture; });
        QCOMPARE(missing, media);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // What the command line does after its arguments: the snapshot, the roads, the check.
    void wholeCheck() {
        PosixRecordFileFactory files;
        CheckReport report;
        const qreal ms =
            medianMs(kRuns, [&] { report = checkScenario(::readSnapshot(files, kro_)); });
        QCOMPARE(report.statistics.situations, kSituations);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

private:
    QTemporaryDir dir_;
    QString kro_;
    ScenarioSnapshot snapshot_;
};

QTEST_GUILESS_MAIN(BenchCheck)
#include "bench_check.moc"
