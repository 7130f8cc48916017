// The web page export: reading the pair and writing the page, for the demo and for 10 000
// situations that show the demo's pictures and sounds now and then. Prints one row each:
// situations, read and export times (medians of kRuns runs after a warm-up), page size.
//   build/bench/bench_html [DEMO_FOLDER]

#include "authoring/HtmlExport.h"
#include "authoring/ScenarioSnapshot.h"
#include "bench/BenchTiming.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ScenarioBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kRuns = 5;
constexpr int kSituations = 10000;

QString text(const QString& start, int length) {
    QString t = start;
    while (t.size() < length)
        t += QStringLiteral(" żółw idzie przez las");
    return t.left(length);
}

// Every situation leads a little further on; one in ten is an ending; every twentieth shows
// one of the demo's pictures and plays one of its sounds.
bool writeLarge(const QString& kro, const QString& demo) {
    const QString folder = QFileInfo(kro).path() + u'/';
    QStringList pictures;
    QStringList sounds;
    for (const auto& [sub, list] : {std::pair{QStringLiteral("Obrazki"), &pictures},
                                    std::pair{QStringLiteral("Dzwieki"), &sounds}}) {
        QDir().mkpath(folder + sub);
        for (const QString& name : QDir(demo + u'/' + sub).entryList(QDir::Files)) {
            if (!QFile::copy(demo + u'/' + sub + u'/' + name, folder + sub + u'/' + name))
                return false;
            list->append(name);
        }
    }
    std::vector<Situation> situations;
    situations.reserve(kSituations);
    for (int k = 0; k < kSituations; ++k) {
        Situation s;
        s.nazwa = QStringLiteral("Sytuacja %1").arg(k);
        s.typ = k == 0 ? Koniec : k == 1 ? Poczatek : (k % 10 == 0 ? Koniec : Normalny);
        s.opis = text(QStringLiteral("Opis sytuacji %1.").arg(k), 200);
        s.wybory = {text(QStringLiteral("Na północ"), 40), text(QStringLiteral("Na południe"), 45),
                    text(QStringLiteral("Zostań"), 30), text(QStringLiteral("Wróć"), 20)};
        for (int i = 0; i < 4; ++i)
            s.cele[std::size_t(i)] = std::min(kSituations - 1, k + 1 + i * 7);
        if (k % 20 == 0 && !pictures.isEmpty() && !sounds.isEmpty()) {
            s.bmp = pictures[(k / 20) % pictures.size()];
            s.wav = sounds[(k / 20) % sounds.size()];
        }
        situations.push_back(s);
    }
    return writeScenario(kro, situations);
}

void row(const char* what, const QString& kro) {
    PosixRecordFileFactory files;
    ScenarioSnapshot snapshot;
    QByteArray page;
    const qreal readMs = medianMs(kRuns, [&] { snapshot = readSnapshot(files, kro); });
    const qreal exportMs = medianMs(kRuns, [&] { page = exportHtml(snapshot); });
    std::printf("%-22s %8d %10.1f %10.1f %12lld\n", what, snapshot.size(), readMs, exportMs,
                static_cast<long long>(page.size()));
}

} // namespace

int main(int argc, char* argv[]) {
    const QString demo =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(KIT_DEMO_FOLDER);
    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("duzy/Duzy.Kro"));
    if (!dir.isValid() || !writeLarge(large, demo)) {
        std::fprintf(stderr, "bench_html: cannot write the large scenario\n");
        return 1;
    }
    std::printf("%-22s %8s %10s %10s %12s\n", "scenario", "situat.", "read ms", "export ms",
                "page bytes");
    row("demo (Zamek)", demo + QStringLiteral("/Zamek.Kro"));
    row("10 000 situations", large);
    return 0;
}
