#include "authoring/MapLayout.h"
#include "authoring/MapModel.h"
#include "tests/authoring/RoadsAnywhere.h"

#include "platform/core/AppError.h"
#include "platform/core/ChildWork.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <random>
#include <set>
#include <sys/wait.h>
#include <tuple>

Q_DECLARE_METATYPE(MapRole)
Q_DECLARE_METATYPE(std::set<std::int32_t>)
Q_DECLARE_METATYPE(ChildWork::Fault)

// Graphviz's dot (2.42, Debian 12) never frees the virtual edges it makes while it breaks the
// roads' cycles; the layouts this test runs in its own process meet that under the leak check
// of the sanitizer build. The editor lays out only in child processes, which end by _exit()
// without a leak check. Only that allocation of Graphviz's is let pass; the fast unwinder stops
// inside Graphviz (built without frame pointers) before it reaches the name, the slow one not.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:new_virtual_edge\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

namespace {

struct Planned {
    const char* name;
    std::uint8_t typ;
    std::array<std::int32_t, 4> cele;
};

// 0 default end; 1 -> 2; 2 -> 3, 4, itself, the default end; 3 -> 5; 5 -> 4, 2; 4 an ending;
// 6 leads to 4 but nothing leads to 6. Situation 3's name holds what Graphviz and XML treat
// as special.
const std::vector<Planned> kScenario = {
    {"Default Koniec", Koniec, {-1, -1, -1, -1}},
    {"Start", Poczatek, {2, -1, -1, -1}},
    {"Łąka", Normalny, {3, 4, 2, 0}},
    {"Las <&> \\N", Wybory1, {5, 9, 9, 9}},
    {"Koniec dobry", Koniec, {1, 1, 1, 1}},
    {"Wieża", Wybory2, {4, 2, 9, 9}},
    {"Sierota", Normalny, {4, 4, 4, 4}},
};

using Road = std::tuple<std::int32_t, std::int32_t, int>; // from, to, choice
// The roads of kScenario, worked out by hand from the types above.
const std::set<Road> kRoads = {{1, 2, 1}, {2, 3, 1}, {2, 4, 2}, {2, 2, 3}, {2, 0, 4}, {3, 5, 1},
                               {5, 4, 1}, {5, 2, 2}, {6, 4, 1}, {6, 4, 2}, {6, 4, 3}, {6, 4, 4}};

std::shared_ptr<const ScenarioSnapshot> snapshot() {
    auto made = std::make_shared<ScenarioSnapshot>();
    for (const Planned& planned : kScenario) {
        TRekordKroku rekord;
        rekord.Nazwa.assign(QString::fromUtf8(planned.name));
        rekord.Krok_Wybrany1.set(planned.cele[0]);
        rekord.Krok_Wybrany2.set(planned.cele[1]);
        rekord.Krok_Wybrany3.set(planned.cele[2]);
        rekord.Krok_Wybrany4.set(planned.cele[3]);
        TRekordListy lista;
        lista.Nazwa.assign(QString::fromUtf8(planned.name));
        lista.Typ = planned.typ;
        made->rekordy.push_back(rekord);
        made->listy.push_back(lista);
    }
    return made;
}

// `n` situations, each from 2 on leading to the start by its one choice: the start's
// neighbourhood holds them all, any other's two.
std::shared_ptr<const ScenarioSnapshot> star(std::int32_t n) {
    auto made = std::make_shared<ScenarioSnapshot>();
    made->rekordy.resize(std::size_t(n));
    made->listy.resize(std::size_t(n));
    for (std::int32_t k = 0; k < n; ++k) {
        made->rekordy[std::size_t(k)].Krok_Wybrany1.set(k < 2 ? 0 : 1);
        made->listy[std::size_t(k)].Typ = k == 0 ? Koniec : k == 1 ? Poczatek : Wybory1;
    }
    return made;
}

void compareLayouts(const MapLayout& got, const MapLayout& expected) {
    QCOMPARE(got.bounds, expected.bounds);
    QCOMPARE(got.cut, expected.cut);
    QCOMPARE(got.nodes.size(), expected.nodes.size());
    for (std::size_t i = 0; i < got.nodes.size(); ++i) {
        const MapNode& a = got.nodes[i];
        const MapNode& b = expected.nodes[i];
        QCOMPARE(std::tie(a.situation, a.label, a.typeLetter, a.role, a.current),
                 std::tie(b.situation, b.label, b.typeLetter, b.role, b.current));
        QCOMPARE(a.centre, b.centre);
        QCOMPARE(a.size, b.size);
    }
    QCOMPARE(got.edges.size(), expected.edges.size());
    for (std::size_t i = 0; i < got.edges.size(); ++i) {
        const MapEdge& a = got.edges[i];
        const MapEdge& b = expected.edges[i];
        QCOMPARE(std::tie(a.from, a.to, a.choice), std::tie(b.from, b.to, b.choice));
        QCOMPARE(a.path, b.path);
        QCOMPARE(a.arrowTip, b.arrowTip);
        QCOMPARE(a.labelPos, b.labelPos);
    }
}

std::set<std::int32_t> situationsOf(const MapLayout& map) {
    std::set<std::int32_t> found;
    for (const MapNode& node : map.nodes)
        found.insert(node.situation);
    return found;
}

// A point is at a box when it lies on or within a couple of points of its border.
bool atBox(const MapNode& node, QPointF p) {
    const QRectF box(node.centre - QPointF(node.size.width(), node.size.height()) / 2, node.size);
    return box.adjusted(-3, -3, 3, 3).contains(p);
}

} // namespace

class TestMapLayout : public QObject {
    Q_OBJECT

    QTemporaryDir emptyPlugins_;

private slots:
    // Every test runs with Graphviz looking for its plugins and configuration in an empty
    // folder, as on a machine where no configuration was ever generated.
    void initTestCase() {
        QVERIFY(emptyPlugins_.isValid());
        qputenv("GVBINDIR", QFile::encodeName(emptyPlugins_.path()));
    }

    // Every child a layout started is gone, reaped: none is left running or as a zombie.
    void cleanup() {
        ChildWork::injectFault(ChildWork::Fault::None);
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }

    void withinDeadline_data() {
        QTest::addColumn<bool>("anywhere"); // else the small planned scenario
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("measured");
        QTest::addColumn<int>("deadlineMs");
        QTest::newRow("small, whole") << false << true << false << 30000;
        QTest::newRow("small, measured boxes") << false << true << true << 30000;
        QTest::newRow("small, neighbourhood cut") << false << false << false << 30000;
        QTest::newRow("1000 roads anywhere, out of time") << true << true << false << 200;
    }
    void withinDeadline() {
        QFETCH(bool, anywhere);
        QFETCH(bool, whole);
        QFETCH(bool, measured);
        QFETCH(int, deadlineMs);
        const MapScenario scenario(anywhere ? roadsAnywhere(1000) : snapshot(), nullptr);
        MapRequest request;
        if (!whole) {
            request.scope = MapRequest::Scope::Neighbourhood;
            request.current = 3;
            request.nodeLimit = 4;
        }
        if (measured)
            request.labelSize = [](const QString& label) { return QSizeF(label.size() * 7.0, 20); };
        const std::chrono::milliseconds deadline(deadlineMs);
        QElapsedTimer timer;
        timer.start();
        const std::optional<MapLayout> map = layoutMapWithin(scenario, request, deadline);
        // Only a guard against a hang: a deadline that is not kept never returns at all.
        QVERIFY(timer.elapsed() < 30000);
        QCOMPARE(map.has_value(), !anywhere);
        if (!anywhere)
            compareLayouts(*map, layoutMap(scenario, request));
    }

    // Which map is shown, and what its line says, when layouts run out of time: a deadline of
    // 0 ms is out of time at once, one of 30 s never on these small layouts. A neighbourhood
    // is one step: 2, 3 and 5 around 3, the start around any other situation of the star, and
    // the whole star around the start.
    void fallsBackInTime_data() {
        QTest::addColumn<bool>("large"); // a star above the whole map's limit, else kScenario
        QTest::addColumn<bool>("whole");
        QTest::addColumn<std::int32_t>("current");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("wholeMs");
        QTest::addColumn<int>("neighbourhoodMs");
        QTest::addColumn<int>("limitAfter");
        QTest::addColumn<QString>("info"); // empty: the layout fails
        const int in = 30000;
        const int out = 0;
        const int limit = int(MapRequest::DefaultNodeLimit);
        const QString slow =
            QStringLiteral("Cały scenariusz układa się zbyt długo – pokazuję otoczenie sytuacji ");
        QTest::newRow("whole in time")
            << false << true << 3 << limit << in << in << limit << "Cały scenariusz: 7 sytuacji";
        QTest::newRow("whole out of time")
            << false << true << 3 << limit << out << in << limit << slow + "3: 3 z 7 sytuacji";
        QTest::newRow("neighbourhood once the whole was out of time")
            << false << false << 3 << limit << in << in << limit << slow + "3: 3 z 7 sytuacji";
        QTest::newRow("large, neighbourhood") << true << false << 7 << limit << in << in << limit
                                              << "Otoczenie sytuacji 7: 2 z 1001 sytuacji";
        QTest::newRow("large, cut by the usual limit")
            << true << false << 1 << limit << in << in << limit
            << "Otoczenie sytuacji 1: 300 z 1001 sytuacji (tylko najbliższe)";
        QTest::newRow("large, cut by a limit lowered after time-outs")
            << true << false << 1 << 100 << in << in << 100
            << "Otoczenie sytuacji 1: 100 z 1001 sytuacji (tylko najbliższe: więcej "
               "układałoby się zbyt długo)";
        QTest::newRow("even the smallest neighbourhood out of time")
            << false << true << 3 << limit << out << out << int(MapRequest::SmallestNeighbourhood)
            << QString();
    }
    void fallsBackInTime() {
        QFETCH(bool, large);
        QFETCH(bool, whole);
        QFETCH(std::int32_t, current);
        QFETCH(int, limit);
        QFETCH(int, wholeMs);
        QFETCH(int, neighbourhoodMs);
        QFETCH(int, limitAfter);
        QFETCH(QString, info);
        const MapScenario scenario(large ? star(MapRequest::WholeLimit + 1) : snapshot(), nullptr);
        MapRequest request;
        request.scope = whole ? MapRequest::Scope::Whole : MapRequest::Scope::Neighbourhood;
        request.current = current;
        request.steps = 1;
        request.nodeLimit = std::size_t(limit);
        const MapDeadlines deadlines{std::chrono::milliseconds(wholeMs),
                                     std::chrono::milliseconds(neighbourhoodMs)};
        const bool stayedWhole = whole && wholeMs > 0;
        try {
            const MapShown shown = layoutMapInTime(scenario, request, deadlines);
            QCOMPARE(shown.info, info);
            QCOMPARE(shown.wholeTooSlow, info.startsWith(QStringLiteral("Cały scenariusz układa")));
        } catch (const AppError& error) {
            QVERIFY2(info.isEmpty(), qPrintable(error.message()));
            QCOMPARE(error.message(), QStringLiteral("Otoczenie sytuacji %1 układa się zbyt długo "
                                                     "nawet przy %2 sytuacjach")
                                          .arg(current)
                                          .arg(limitAfter));
        }
        QCOMPARE(request.scope == MapRequest::Scope::Whole, stayedWhole);
        QCOMPARE(int(request.nodeLimit), limitAfter);
    }

    void childThatFailsIsAnError_data() {
        QTest::addColumn<ChildWork::Fault>("fault");
        QTest::newRow("exits with an error") << ChildWork::Fault::Exits;
        QTest::newRow("sends garbage") << ChildWork::Fault::Garbage;
        QTest::newRow("sends half") << ChildWork::Fault::Truncated;
    }
    void childThatFailsIsAnError() {
        QFETCH(ChildWork::Fault, fault);
        ChildWork::injectFault(fault);
        const MapScenario scenario(snapshot(), nullptr);
        try {
            layoutMapWithin(scenario, {}, std::chrono::seconds(30));
            QFAIL("no error");
        } catch (const AppError& error) {
            QVERIFY2(error.message().startsWith(
                         QStringLiteral("Nie udało się ułożyć mapy scenariusza: proces")),
                     qPrintable(error.message()));
        }
    }

    // The roads 2 -> 3 -> 5 -> 2 close a cycle: whichever situation is current, the boxes stand
    // where they stand when the start is, and none above the start.
    void rankedFromTheStartWhateverIsCurrent_data() {
        QTest::addColumn<std::int32_t>("current");
        QTest::addColumn<bool>("measured");
        for (std::int32_t k : {2, 3, 5, 6, 0}) {
            QTest::addRow("current %d", k) << k << false;
            QTest::addRow("current %d, measured boxes", k) << k << true;
        }
    }
    void rankedFromTheStartWhateverIsCurrent() {
        QFETCH(std::int32_t, current);
        QFETCH(bool, measured);
        const MapScenario scenario(snapshot(), nullptr);
        MapRequest request;
        if (measured)
            request.labelSize = [](const QString& label) { return QSizeF(label.size() * 7.0, 20); };
        const MapLayout start = layoutMap(scenario, request);
        request.current = current;
        const MapLayout map = layoutMap(scenario, request);
        QCOMPARE(map.nodes.front().situation, current);
        QCOMPARE(map.bounds, start.bounds);
        const double top = map.nodes[std::size_t(map.indexOf(1))].centre.y();
        for (const MapNode& node : map.nodes) {
            QCOMPARE(node.centre, start.nodes[std::size_t(start.indexOf(node.situation))].centre);
            QVERIFY2(node.centre.y() >= top, qPrintable(node.label));
        }
    }

    void wholeMapHasEverySituationAndRoadInPlace() {
        const MapScenario scenario(snapshot(), nullptr);
        const MapLayout map = layoutMap(scenario, {});
        QCOMPARE(map.nodes.size(), kScenario.size());
        QCOMPARE(situationsOf(map).size(), kScenario.size());
        QCOMPARE(map.nodes.front().situation, 1);
        QVERIFY(map.nodes.front().current);
        QCOMPARE(std::count_if(map.nodes.begin(), map.nodes.end(),
                               [](const MapNode& n) { return n.current; }),
                 1);
        QCOMPARE(map.nodes[std::size_t(map.indexOf(2))].label, QStringLiteral("2 Łąka"));
        QCOMPARE(map.nodes[std::size_t(map.indexOf(5))].typeLetter, QStringLiteral("2"));
        std::set<Road> drawn;
        for (const MapEdge& edge : map.edges) {
            drawn.insert({edge.from, edge.to, edge.choice});
            // The arrow leaves its tail box and ends at its head box (a loop at its own box).
            QVERIFY(
                atBox(map.nodes[std::size_t(map.indexOf(edge.from))], edge.path.pointAtPercent(0)));
            QVERIFY(atBox(map.nodes[std::size_t(map.indexOf(edge.to))], edge.arrowTip));
            QVERIFY(map.bounds.adjusted(-1, -1, 1, 1).contains(edge.labelPos));
        }
        QCOMPARE(map.edges.size(), kRoads.size());
        QVERIFY(drawn == kRoads);
        // Top to bottom: the start above the situation it leads to.
        QVERIFY(map.nodes[std::size_t(map.indexOf(1))].centre.y() <
                map.nodes[std::size_t(map.indexOf(2))].centre.y());
        for (std::size_t i = 0; i < map.nodes.size(); ++i) {
            const MapNode& a = map.nodes[i];
            QVERIFY(map.bounds.adjusted(-1, -1, 1, 1).contains(a.centre));
            for (std::size_t j = i + 1; j < map.nodes.size(); ++j) {
                const MapNode& b = map.nodes[j];
                const QPointF gap = a.centre - b.centre;
                QVERIFY2(std::abs(gap.x()) * 2 >= a.size.width() + b.size.width() - 1 ||
                             std::abs(gap.y()) * 2 >= a.size.height() + b.size.height() - 1,
                         "two boxes overlap");
            }
        }
    }

    void labelSizeSizesTheBoxes() {
        MapRequest request;
        request.labelSize = [](const QString& label) { return QSizeF(label.size() * 10.0, 30); };
        const MapLayout map = layoutMap(MapScenario(snapshot(), nullptr), request);
        for (const MapNode& node : map.nodes) {
            QCOMPARE(qRound(node.size.width()), int(node.label.size() * 10));
            QCOMPARE(qRound(node.size.height()), 30);
        }
    }

    void roles_data() {
        QTest::addColumn<std::int32_t>("situation");
        QTest::addColumn<int>("severity"); // -1 none, else a Severity
        QTest::addColumn<MapRole>("role");
        const int none = -1;
        const int error = int(Severity::Error);
        const int warning = int(Severity::Warning);
        QTest::newRow("start") << 1 << none << MapRole::Start;
        QTest::newRow("ending") << 4 << none << MapRole::Ending;
        QTest::newRow("default end never unreachable") << 0 << none << MapRole::Ending;
        QTest::newRow("normal") << 2 << none << MapRole::Normal;
        QTest::newRow("unreachable") << 6 << none << MapRole::Unreachable;
        QTest::newRow("error") << 3 << error << MapRole::Error;
        QTest::newRow("warning") << 5 << warning << MapRole::Warning;
        QTest::newRow("error over unreachable") << 6 << error << MapRole::Error;
        QTest::newRow("unreachable over warning") << 6 << warning << MapRole::Unreachable;
        QTest::newRow("warning over start") << 1 << warning << MapRole::Warning;
        QTest::newRow("warning over ending") << 4 << warning << MapRole::Warning;
    }
    void roles() {
        QFETCH(std::int32_t, situation);
        QFETCH(int, severity);
        QFETCH(MapRole, role);
        CheckReport report;
        if (severity >= 0) {
            Finding finding;
            finding.severity = Severity(severity);
            finding.kind = FindingKind::EmptyDescription;
            finding.situation = situation;
            report.findings.push_back(finding);
        }
        const MapLayout map = layoutMap(MapScenario(snapshot(), &report), {});
        QCOMPARE(map.nodes[std::size_t(map.indexOf(situation))].role, role);
    }

    void neighbourhood_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("limit");
        QTest::addColumn<std::set<std::int32_t>>("expected"); // empty: any `limit` of them
        QTest::addColumn<bool>("cut");
        // Distances from 3 either way along the roads: 2 and 5 at one step, 0, 1 and 4 at
        // two, 6 at three.
        QTest::newRow("0 steps") << 0 << 300 << std::set<std::int32_t>{3} << false;
        QTest::newRow("1 step") << 1 << 300 << std::set<std::int32_t>{2, 3, 5} << false;
        QTest::newRow("2 steps") << 2 << 300 << std::set<std::int32_t>{0, 1, 2, 3, 4, 5} << false;
        QTest::newRow("3 steps") << 3 << 300 << std::set<std::int32_t>{0, 1, 2, 3, 4, 5, 6}
                                 << false;
        QTest::newRow("limit met exactly")
            << 3 << 7 << std::set<std::int32_t>{0, 1, 2, 3, 4, 5, 6} << false;
        QTest::newRow("limit cuts") << 3 << 4 << std::set<std::int32_t>{} << true;
        QTest::newRow("limit of one") << 3 << 1 << std::set<std::int32_t>{3} << true;
    }
    void neighbourhood() {
        QFETCH(int, steps);
        QFETCH(int, limit);
        QFETCH(std::set<std::int32_t>, expected);
        QFETCH(bool, cut);
        MapRequest request;
        request.scope = MapRequest::Scope::Neighbourhood;
        request.current = 3;
        request.steps = steps;
        request.nodeLimit = std::size_t(limit);
        const MapLayout map = layoutMap(MapScenario(snapshot(), nullptr), request);
        const std::set<std::int32_t> kept = situationsOf(map);
        if (expected.empty()) {
            QCOMPARE(kept.size(), std::size_t(limit));
            QVERIFY(kept.count(3));
        } else {
            QVERIFY(kept == expected);
        }
        QCOMPARE(kept.size(), map.nodes.size());
        QCOMPARE(map.cut, cut);
        std::set<Road> inside;
        for (const Road& road : kRoads) {
            if (kept.count(std::get<0>(road)) && kept.count(std::get<1>(road)))
                inside.insert(road);
        }
        std::set<Road> drawn;
        for (const MapEdge& edge : map.edges)
            drawn.insert({edge.from, edge.to, edge.choice});
        QCOMPARE(map.edges.size(), inside.size());
        QVERIFY(drawn == inside);
    }

    void svgIsXmlWithTheNamesIntact() {
        const QByteArray svg = toSvg(MapScenario(snapshot(), nullptr), {});
        QXmlStreamReader xml(svg);
        QStringList texts;
        QStringList fills;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"text")
                texts << xml.readElementText();
            else if (xml.isStartElement() && xml.attributes().hasAttribute(QStringLiteral("fill")))
                fills << xml.attributes().value(QStringLiteral("fill")).toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(texts.contains(QStringLiteral("2 Łąka")));
        QVERIFY(texts.contains(QStringLiteral("5 Wieża")));
        QVERIFY(texts.contains(QStringLiteral("3 Las <&> \\N")));
        QVERIFY(fills.contains(mapRoleColour(MapRole::Start).name()));
        QVERIFY(fills.contains(mapRoleColour(MapRole::Unreachable).name()));
    }
};

QTEST_GUILESS_MAIN(TestMapLayout)
#include "tst_map_layout.moc"
