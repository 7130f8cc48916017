// The scenario map against its floors: the whole map of 1,000 situations and the
// neighbourhood of a situation among 100,000, each layout beside building the same Graphviz
// graph without laying it out, and the map's own preparation (roads and roles) beside them;
// the whole map laid out in a child process under a deadline, as the editor's window does it,
// and a scenario whose roads lead anywhere stopped at that deadline.
// bench/run.sh prints its table; by hand:
//   build/bench/bench_map            (Qt Test's own output)
//   build/bench/bench_map -csv       (what run.sh reads)
// Every time is the median of its runs, each timed alone after an untimed warm-up run.

#include "authoring/MapLayout.h"
#include "bench/BenchTiming.h"

#include <graphviz/gvc.h>

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <random>
#include <string>

namespace {

constexpr std::int32_t kWhole = 1000;
constexpr std::int32_t kLarge = 100000;
// The map window's deadline for the whole map.
constexpr std::chrono::milliseconds kWholeDeadline(3000);

// A scenario as an author grows one: two roads a situation on average, most leading a little
// further on (at most `spread` situations), one in eight back to an earlier situation; one
// situation in ten is an ending.
std::shared_ptr<const ScenarioSnapshot> story(std::int32_t n, std::int32_t spread = 12) {
    std::mt19937 rng(20261208u);
    const std::uint8_t types[] = {Normalny, Wybory1, Wybory2, Wybory3, Wybory2,
                                  Wybory1,  Wybory2, Wybory3, Wybory2, Koniec};
    auto made = std::make_shared<ScenarioSnapshot>();
    made->rekordy.resize(std::size_t(n));
    made->listy.resize(std::size_t(n));
    for (std::int32_t k = 0; k < n; ++k) {
        const std::uint8_t typ = k == 0   ? std::uint8_t(Koniec)
                                 : k == 1 ? std::uint8_t(Poczatek)
                                          : types[rng() % 10];
        TRekordKroku& rekord = made->rekordy[std::size_t(k)];
        rekord.Nazwa.assign(QStringLiteral("Łąka %1").arg(k));
        for (LeInt32* cel : {&rekord.Krok_Wybrany1, &rekord.Krok_Wybrany2, &rekord.Krok_Wybrany3,
                             &rekord.Krok_Wybrany4}) {
            const bool back = rng() % 8 == 0;
            const auto step = std::int32_t(1 + rng() % unsigned(spread));
            cel->set(back ? std::max(1, k - step) : std::min(n - 1, k + step));
        }
        made->listy[std::size_t(k)].Nazwa.assign(rekord.Nazwa.text());
        made->listy[std::size_t(k)].Typ = typ;
    }
    return made;
}

// A story of `n` situations whose roads are then sent to situations drawn at random: dot's
// slowest kind of scenario.
std::shared_ptr<const ScenarioSnapshot> roadsAnywhere(std::int32_t n) {
    auto made = std::make_shared<ScenarioSnapshot>(*story(n));
    std::mt19937 rng(99u);
    for (TRekordKroku& rekord : made->rekordy) {
        for (LeInt32* cel : {&rekord.Krok_Wybrany1, &rekord.Krok_Wybrany2, &rekord.Krok_Wybrany3,
                             &rekord.Krok_Wybrany4})
            cel->set(std::int32_t(rng() % unsigned(n)));
    }
    return made;
}

char* text(const std::string& s) {
    return const_cast<char*>(s.c_str());
}

// The floor of a layout: a Graphviz graph of the same situations and roads, with the same
// labels, built and closed without a layout.
void buildWithoutLayout(const MapScenario& scenario, const std::vector<std::int32_t>& situations) {
    Agraph_t* g = agopen(text("map"), Agdirected, nullptr);
    Agsym_t* label = agattr(g, AGNODE, text("label"), text(""));
    Agsym_t* choice = agattr(g, AGEDGE, text("taillabel"), text(""));
    std::vector<Agnode_t*> nodes(std::size_t(scenario.size()), nullptr);
    for (std::int32_t k : situations) {
        Agnode_t* node = agnode(g, text("s" + std::to_string(k)), 1);
        agxset(node, label,
               text(std::to_string(k) + " " +
                    scenario.snapshot().rekordy[std::size_t(k)].Nazwa.text().toStdString()));
        nodes[std::size_t(k)] = node;
    }
    for (std::int32_t k : situations) {
        for (const ScenarioGraph::Road& road : scenario.graph().roadsFrom(k)) {
            if (nodes[std::size_t(road.to)] == nullptr)
                continue;
            Agedge_t* edge =
                agedge(g, nodes[std::size_t(k)], nodes[std::size_t(road.to)],
                       text("r" + std::to_string(k) + "_" + std::to_string(road.choice)), 1);
            agxset(edge, choice, text(std::to_string(road.choice)));
        }
    }
    agclose(g);
}

} // namespace

class BenchMap : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        whole_ = std::make_unique<MapScenario>(story(kWhole), nullptr);
        large_ = std::make_unique<MapScenario>(story(kLarge), nullptr);
        std::size_t roads = 0;
        for (std::int32_t k = 0; k < kWhole; ++k)
            roads += whole_->graph().roadsFrom(k).size();
        qInfo("whole map: %d situations, %zu roads", kWhole, roads);
        // Neighbourhoods around situations spread over the large scenario.
        std::mt19937 rng(7);
        for (int i = 0; i < 11; ++i)
            centres_.push_back(std::int32_t(2 + rng() % (kLarge - 2)));
    }

    // What the map prepares once per scenario: the roads and every situation's role.
    void prepare_data() {
        QTest::addColumn<std::int32_t>("size");
        QTest::newRow("1000") << kWhole;
        QTest::newRow("100000") << kLarge;
    }
    void prepare() {
        QFETCH(std::int32_t, size);
        const auto snapshot = story(size);
        std::int32_t made = 0;
        const qreal ms = medianMs(11, [&] { made = MapScenario(snapshot, nullptr).size(); });
        QCOMPARE(made, size);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    void floorWholeGraph() {
        std::vector<std::int32_t> all(static_cast<std::size_t>(kWhole));
        for (std::int32_t k = 0; k < kWhole; ++k)
            all[std::size_t(k)] = k;
        QTest::setBenchmarkResult(medianMs(11, [&] { buildWithoutLayout(*whole_, all); }),
                                  QTest::WalltimeMilliseconds);
    }

    // Roads leading at most 12 situations on, and, harder for the layout, at most 40.
    void layoutWhole_data() {
        QTest::addColumn<std::int32_t>("spread");
        QTest::newRow("spread 12") << 12;
        QTest::newRow("spread 40") << 40;
    }
    void layoutWhole() {
        QFETCH(std::int32_t, spread);
        const MapScenario scenario(story(kWhole, spread), nullptr);
        MapLayout map;
        const qreal ms = medianMs(5, [&] { map = layoutMap(scenario, {}); });
        QCOMPARE(map.nodes.size(), std::size_t(kWhole));
        qInfo("whole map: %.0f x %.0f points", map.bounds.width(), map.bounds.height());
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // The same story as layoutWhole's "spread 12", laid out in a child process: over the row
    // above, what the fork and the streaming of the result back cost.
    void layoutWholeGuarded() {
        std::optional<MapLayout> map;
        const qreal ms = medianMs(5, [&] { map = layoutMapWithin(*whole_, {}, kWholeDeadline); });
        QVERIFY(map.has_value());
        QCOMPARE(map->nodes.size(), std::size_t(kWhole));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // A neighbourhood of 3 steps among 100,000 situations laid out in a child, as the window
    // lays it out: the fork of a process holding the large scenario is part of the figure.
    void layoutNeighbourhoodGuarded() {
        MapRequest request;
        request.scope = MapRequest::Scope::Neighbourhood;
        std::vector<qreal> times;
        for (std::int32_t k : centres_) {
            request.current = k;
            times.push_back(medianMs(5, [&] {
                QVERIFY(layoutMapWithin(*large_, request, kWholeDeadline).has_value());
            }));
        }
        std::sort(times.begin(), times.end());
        QTest::setBenchmarkResult(times[times.size() / 2], QTest::WalltimeMilliseconds);
    }

    // Roads that lead anywhere: in process dot did not finish in 100 s; here the child is
    // killed at the deadline and the call returns.
    void layoutWholeAnywhereStopped() {
        const MapScenario scenario(roadsAnywhere(kWhole), nullptr);
        bool stopped = true;
        const qreal ms = medianMs(3, [&] {
            stopped = stopped && !layoutMapWithin(scenario, {}, kWholeDeadline).has_value();
        });
        QVERIFY(stopped);
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    void svgWhole() {
        QByteArray svg;
        const qreal ms = medianMs(3, [&] { svg = toSvg(*whole_, {}); });
        QVERIFY(svg.contains("</svg>"));
        QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
    }

    // The neighbourhood's situations alone, found by the roads.
    void floorNeighbourhoodFound() {
        std::size_t found = 0;
        const qreal ms = medianMs(11, [&] {
            for (std::int32_t k : centres_)
                found =
                    large_->graph()
                        .neighbourhood(k, MapRequest::DefaultSteps, MapRequest::DefaultNodeLimit)
                        .size();
        });
        QVERIFY(found > 1);
        QTest::setBenchmarkResult(ms / qreal(centres_.size()), QTest::WalltimeMilliseconds);
    }

    void floorNeighbourhoodGraph() {
        std::vector<std::vector<std::int32_t>> sets;
        for (std::int32_t k : centres_)
            sets.push_back(large_->graph().neighbourhood(k, MapRequest::DefaultSteps,
                                                         MapRequest::DefaultNodeLimit));
        const qreal ms = medianMs(11, [&] {
            for (const auto& set : sets)
                buildWithoutLayout(*large_, set);
        });
        QTest::setBenchmarkResult(ms / qreal(sets.size()), QTest::WalltimeMilliseconds);
    }

    // One layout per centre; the figure is the median over centres of each one's median. Roads
    // that lead anywhere in the scenario fill a neighbourhood up to its node limit.
    void layoutNeighbourhood_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<std::int32_t>("spread");
        QTest::newRow("3 steps") << MapRequest::DefaultSteps << 12;
        QTest::newRow("10 steps") << 10 << 12;
        QTest::newRow("3 steps, roads anywhere") << MapRequest::DefaultSteps << kLarge;
    }
    void layoutNeighbourhood() {
        QFETCH(int, steps);
        QFETCH(std::int32_t, spread);
        const std::unique_ptr<MapScenario> anywhere =
            spread == 12 ? nullptr : std::make_unique<MapScenario>(story(kLarge, spread), nullptr);
        const MapScenario& scenario = anywhere ? *anywhere : *large_;
        std::vector<qreal> times;
        std::size_t largest = 0;
        for (std::int32_t k : centres_) {
            MapRequest request;
            request.scope = MapRequest::Scope::Neighbourhood;
            request.current = k;
            request.steps = steps;
            MapLayout map;
            times.push_back(medianMs(5, [&] { map = layoutMap(scenario, request); }));
            largest = std::max(largest, map.nodes.size());
        }
        std::sort(times.begin(), times.end());
        qInfo("neighbourhoods: at most %zu situations; slowest %.1f ms", largest, times.back());
        QTest::setBenchmarkResult(times[times.size() / 2], QTest::WalltimeMilliseconds);
    }

private:
    std::unique_ptr<MapScenario> whole_;
    std::unique_ptr<MapScenario> large_;
    std::vector<std::int32_t> centres_;
};

QTEST_GUILESS_MAIN(BenchMap)
#include "bench_map.moc"
