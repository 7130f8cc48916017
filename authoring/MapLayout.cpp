#include "authoring/MapLayout.h"

#include "platform/core/AppError.h"
#include "platform/core/ChildWork.h"

#include <graphviz/gvc.h>

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

// The two Graphviz plugin libraries the map needs, linked in rather than found through the
// machine's Graphviz configuration: the "dot" layout and the core renderers (among them SVG).
extern "C" {
extern gvplugin_library_t gvplugin_dot_layout_LTX_library;
extern gvplugin_library_t gvplugin_core_LTX_library;
}

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kFontSize = 10.0;
constexpr const char* kFontName = "Helvetica,Arial,sans-serif";

// Attributes of the "dot" engine chosen by measurement (bench/bench_map.cpp): with its default
// limits on the network simplex and the crossing minimisation, a story of 1,000 situations and
// 2,000 roads took 27 s to lay out; bounding them brings such stories well under a second,
// with barely more crossings.
const std::pair<const char*, const char*> kGraphAttributes[] = {
    {"charset", "UTF-8"},          {"rankdir", "TB"},  {"nslimit", "0.1"},
    {"nslimit1", "0.1"},           {"mclimit", "0.1"}, {"searchsize", "10"},
    {"splines", "spline"},         {"nodesep", "0.3"}, {"ranksep", "0.4"},
    {"outputorder", "edgesfirst"},
};

// Graphviz takes names and values as `char*` but never writes to them.
char* text(const char* s) {
    return const_cast<char*>(s);
}
char* text(const std::string& s) {
    return const_cast<char*>(s.c_str());
}

// Graphviz's messages, caught while a call runs instead of going to stderr, so that a failure
// can say what Graphviz said.
std::string& graphvizMessages() {
    static std::string messages;
    return messages;
}
int collectMessage(char* message) {
    graphvizMessages() += message;
    return 0;
}
class MessageCapture {
public:
    MessageCapture() : previous_(agseterrf(collectMessage)) { graphvizMessages().clear(); }
    ~MessageCapture() { agseterrf(previous_); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

private:
    agusererrf previous_;
};

[[noreturn]] void fail(const QString& what) {
    QString message = QStringLiteral("Nie udało się narysować mapy scenariusza: %1").arg(what);
    const QString said = QString::fromUtf8(graphvizMessages()).simplified();
    if (!said.isEmpty())
        message += QStringLiteral(" (Graphviz: %1)").arg(said);
    throw AppError(AppError::Other, message);
}

template <class T> T* checked(T* result, const char* what) {
    if (result == nullptr)
        fail(QString::fromUtf8(what));
    return result;
}

struct ContextFree {
    void operator()(GVC_t* context) const { gvFreeContext(context); }
};
struct GraphClose {
    void operator()(Agraph_t* graph) const { agclose(graph); }
};
using Context = std::unique_ptr<GVC_t, ContextFree>;
using Graph = std::unique_ptr<Agraph_t, GraphClose>;

// A context that knows only the plugins linked in: with demand loading off, Graphviz neither
// reads its configuration file nor looks for plugins on the disk.
Context makeContext() {
    static const lt_symlist_t plugins[] = {
        {"gvplugin_dot_layout_LTX_library", &gvplugin_dot_layout_LTX_library},
        {"gvplugin_core_LTX_library", &gvplugin_core_LTX_library},
        {nullptr, nullptr},
    };
    return Context(checked(gvContextPlugins(plugins, 0), "brak kontekstu Graphviz"));
}

// A layout done on a graph, freed before the graph is closed.
class Layout {
public:
    Layout(GVC_t* context, Agraph_t* graph) : context_(context), graph_(graph) {
        if (gvLayout(context, graph, "dot") != 0)
            fail(QStringLiteral("rozmieszczenie się nie powiodło"));
    }
    ~Layout() { gvFreeLayout(context_, graph_); }
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

private:
    GVC_t* context_;
    Agraph_t* graph_;
};

QString typeLetter(std::uint8_t typ) {
    return typ < TypeLetters.size() ? TypeLetters[typ] : QStringLiteral("?");
}

// A name as a label: control characters (which XML cannot hold) show as "?", and a backslash
// is doubled, as Graphviz reads "\N", "\n" and their kin in labels as escapes.
std::string graphvizLabel(const QString& label) {
    QString safe;
    safe.reserve(label.size());
    for (QChar c : label) {
        if (c == u'\\')
            safe += QStringLiteral("\\\\");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            safe += u'?';
        else
            safe += c;
    }
    return safe.toStdString();
}

std::string colourName(MapRole role) {
    return mapRoleColour(role).name().toStdString();
}

std::string inches(double points) {
    return std::to_string(points / kPointsPerInch);
}

// The situations and roads of a request, before any layout.
struct Selection {
    std::vector<std::int32_t> situations; // current first when it is in the scenario
    std::vector<ScenarioGraph::Road> roads;
    bool cut = false;
};

Selection select(const MapScenario& scenario, const MapRequest& request) {
    const ScenarioGraph& graph = scenario.graph();
    Selection chosen;
    if (request.scope == MapRequest::Scope::Whole) {
        chosen.situations.reserve(std::size_t(graph.size()));
        if (request.current >= 0 && request.current < graph.size())
            chosen.situations.push_back(request.current);
        for (std::int32_t k = 0; k < graph.size(); ++k) {
            if (k != request.current)
                chosen.situations.push_back(k);
        }
        for (std::int32_t k = 0; k < graph.size(); ++k) {
            const auto roads = graph.roadsFrom(k);
            chosen.roads.insert(chosen.roads.end(), roads.begin(), roads.end());
        }
        return chosen;
    }
    chosen.situations = graph.neighbourhood(request.current, request.steps, request.nodeLimit);
    // Met the limit: something within the steps may be left out; one more than the limit
    // tells for sure.
    if (chosen.situations.size() >= request.nodeLimit && request.nodeLimit < SIZE_MAX)
        chosen.cut =
            graph.neighbourhood(request.current, request.steps, request.nodeLimit + 1).size() >
            request.nodeLimit;
    std::vector<std::int32_t> sorted = chosen.situations;
    std::sort(sorted.begin(), sorted.end());
    for (std::int32_t k : sorted) {
        for (const ScenarioGraph::Road& road : graph.roadsFrom(k)) {
            if (std::binary_search(sorted.begin(), sorted.end(), road.to))
                chosen.roads.push_back(road);
        }
    }
    return chosen;
}

// A selection with its boxes' labels and, when the request measures them, their sizes: all
// that needs the caller's process (the measure may use a window's fonts) done before a layout.
struct Prepared {
    Selection chosen;
    std::vector<QString> labels; // one per chosen situation
    std::vector<QSizeF> sizes;   // one per chosen situation, or none
};

Prepared prepare(const MapScenario& scenario, const MapRequest& request) {
    Prepared prepared;
    prepared.chosen = select(scenario, request);
    const std::vector<std::int32_t>& situations = prepared.chosen.situations;
    prepared.labels.reserve(situations.size());
    for (std::int32_t k : situations) {
        const QString name = scenario.snapshot().rekordy[std::size_t(k)].Nazwa.text();
        prepared.labels.push_back(QStringLiteral("%1 %2").arg(k).arg(name));
    }
    if (request.labelSize) {
        prepared.sizes.reserve(situations.size());
        for (const QString& label : prepared.labels)
            prepared.sizes.push_back(request.labelSize(label));
    }
    return prepared;
}

// The Graphviz graph of a selection, its nodes and edges in the selection's order.
struct Built {
    Graph graph;
    std::vector<Agnode_t*> nodes;
    std::vector<Agedge_t*> edges;
};

Built build(const MapScenario& scenario, const MapRequest& request, const Prepared& prepared) {
    const Selection& chosen = prepared.chosen;
    Built built;
    built.graph.reset(checked(agopen(text("map"), Agdirected, nullptr), "brak grafu"));
    Agraph_t* g = built.graph.get();
    for (const auto& [name, value] : kGraphAttributes)
        checked(agattr(g, AGRAPH, text(name), text(value)), name);
    const auto nodeAttr = [g](const char* name, const char* value) {
        return checked(agattr(g, AGNODE, text(name), text(value)), name);
    };
    nodeAttr("shape", "box");
    nodeAttr("style", "rounded,filled");
    nodeAttr("fontname", kFontName);
    nodeAttr("fontsize", std::to_string(kFontSize).c_str());
    nodeAttr("margin", "0.08,0.04");
    Agsym_t* label = nodeAttr("label", "");
    Agsym_t* fill = nodeAttr("fillcolor", "#ffffff");
    Agsym_t* pen = nodeAttr("penwidth", "1");
    Agsym_t* fixed = nodeAttr("fixedsize", "false");
    Agsym_t* width = nodeAttr("width", "0.75");
    Agsym_t* height = nodeAttr("height", "0.3");
    Agsym_t* choice = checked(agattr(g, AGEDGE, text("taillabel"), text("")), "taillabel");
    checked(agattr(g, AGEDGE, text("fontname"), text(kFontName)), "fontname");
    checked(agattr(g, AGEDGE, text("fontsize"), text("9")), "fontsize");
    checked(agattr(g, AGEDGE, text("labeldistance"), text("1.5")), "labeldistance");
    checked(agattr(g, AGEDGE, text("arrowsize"), text("0.7")), "arrowsize");

    std::unordered_map<std::int32_t, Agnode_t*> byNumber;
    byNumber.reserve(chosen.situations.size());
    const auto set = [](void* object, Agsym_t* attribute, const std::string& value) {
        if (agxset(object, attribute, text(value)) != 0)
            fail(QStringLiteral("atrybut %1").arg(QString::fromUtf8(attribute->name)));
    };
    // dot ranks from the nodes in the order they are made (its search for the roads that
    // close cycles starts at the first): situation 1 first, then by number, so that the
    // current situation (first in the selection) does not move the boxes around.
    std::vector<std::size_t> order(chosen.situations.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto rank = [&chosen](std::size_t i) {
        const std::int32_t k = chosen.situations[i];
        return std::pair(k != 1, k);
    };
    std::sort(order.begin(), order.end(),
              [&rank](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    built.nodes.resize(chosen.situations.size());
    for (std::size_t i : order) {
        const std::int32_t k = chosen.situations[i];
        const std::string id = "s" + std::to_string(k);
        Agnode_t* node = checked(agnode(g, text(id), 1), "brak węzła");
        set(node, label, graphvizLabel(prepared.labels[i]));
        set(node, fill, colourName(scenario.role(k)));
        if (k == request.current)
            set(node, pen, "3");
        if (!prepared.sizes.empty()) {
            const QSizeF size = prepared.sizes[i];
            set(node, fixed, "true");
            set(node, width, inches(size.width()));
            set(node, height, inches(size.height()));
        }
        byNumber.emplace(k, node);
        built.nodes[i] = node;
    }
    built.edges.reserve(chosen.roads.size());
    for (const ScenarioGraph::Road& road : chosen.roads) {
        const std::string id = "r" + std::to_string(road.from) + "_" + std::to_string(road.choice);
        Agedge_t* edge = checked(
            agedge(g, byNumber.at(road.from), byNumber.at(road.to), text(id), 1), "brak krawędzi");
        set(edge, choice, std::to_string(road.choice));
        built.edges.push_back(edge);
    }
    return built;
}

} // namespace

QColor mapRoleColour(MapRole role) {
    switch (role) {
    case MapRole::Start:
        return QColor(0xa6, 0xdb, 0x8c);
    case MapRole::Ending:
        return QColor(0x9e, 0xc9, 0xe8);
    case MapRole::Warning:
        return QColor(0xfc, 0xe0, 0x7a);
    case MapRole::Unreachable:
        return QColor(0xc8, 0xc8, 0xc8);
    case MapRole::Error:
        return QColor(0xf0, 0x80, 0x78);
    case MapRole::Normal:
        break;
    }
    return QColor(0xff, 0xff, 0xff);
}

QString mapRoleName(MapRole role) {
    switch (role) {
    case MapRole::Start:
        return QStringLiteral("początek");
    case MapRole::Ending:
        return QStringLiteral("koniec");
    case MapRole::Warning:
        return QStringLiteral("ostrzeżenie");
    case MapRole::Unreachable:
        return QStringLiteral("nieosiągalna");
    case MapRole::Error:
        return QStringLiteral("błąd");
    case MapRole::Normal:
        break;
    }
    return QStringLiteral("zwykła");
}

MapScenario::MapScenario(std::shared_ptr<const ScenarioSnapshot> snapshot,
                         const CheckReport* report)
    : snapshot_(std::move(snapshot)), graph_(*snapshot_) {
    const std::int32_t n = graph_.size();
    std::vector<bool> error(std::size_t(n), false);
    std::vector<bool> warning(std::size_t(n), false);
    if (report != nullptr) {
        for (const Finding& finding : report->findings) {
            // Unreachable is a role of its own, taken from the roads below.
            if (finding.situation < 0 || finding.situation >= n ||
                finding.kind == FindingKind::Unreachable)
                continue;
            (finding.severity == Severity::Error ? error
                                                 : warning)[std::size_t(finding.situation)] = true;
        }
    }
    const std::vector<bool> reachable = graph_.reachableFromStart();
    roles_.resize(std::size_t(n), MapRole::Normal);
    for (std::int32_t k = 0; k < n; ++k) {
        const std::size_t i = std::size_t(k);
        if (error[i])
            roles_[i] = MapRole::Error;
        else if (!reachable[i] && k != 0)
            roles_[i] = MapRole::Unreachable;
        else if (warning[i])
            roles_[i] = MapRole::Warning;
        else if (k == 1)
            roles_[i] = MapRole::Start;
        else if (graph_.isEnding(k))
            roles_[i] = MapRole::Ending;
    }
}

int MapLayout::indexOf(std::int32_t k) const {
    const auto found = std::find_if(nodes.begin(), nodes.end(),
                                    [k](const MapNode& node) { return node.situation == k; });
    return found == nodes.end() ? -1 : int(found - nodes.begin());
}

namespace {

MapLayout layoutOf(const MapScenario& scenario, const MapRequest& request,
                   const Prepared& prepared) {
    const MessageCapture capture;
    const Selection& chosen = prepared.chosen;
    const Context context = makeContext();
    const Built built = build(scenario, request, prepared);
    const Layout done(context.get(), built.graph.get());

    MapLayout map;
    map.cut = chosen.cut;
    const boxf box = GD_bb(built.graph.get());
    // Graphviz's y grows upwards from the bottom left corner; the map's grows downwards.
    const auto point = [&box](pointf p) { return QPointF(p.x - box.LL.x, box.UR.y - p.y); };
    map.bounds = QRectF(0, 0, box.UR.x - box.LL.x, box.UR.y - box.LL.y);

    map.nodes.reserve(chosen.situations.size());
    for (std::size_t i = 0; i < chosen.situations.size(); ++i) {
        const std::int32_t k = chosen.situations[i];
        Agnode_t* node = built.nodes[i];
        MapNode drawn;
        drawn.situation = k;
        drawn.label = prepared.labels[i];
        drawn.typeLetter = typeLetter(scenario.graph().type(k));
        drawn.centre = point(ND_coord(node));
        drawn.size = QSizeF(ND_width(node) * kPointsPerInch, ND_height(node) * kPointsPerInch);
        drawn.role = scenario.role(k);
        drawn.current = k == request.current;
        map.nodes.push_back(drawn);
    }
    map.edges.reserve(chosen.roads.size());
    for (std::size_t i = 0; i < chosen.roads.size(); ++i) {
        const ScenarioGraph::Road& road = chosen.roads[i];
        Agedge_t* edge = built.edges[i];
        MapEdge drawn;
        drawn.from = road.from;
        drawn.to = road.to;
        drawn.choice = road.choice;
        const splines* spline = ED_spl(edge);
        if (spline == nullptr || spline->size == 0 || spline->list[0].size < 1)
            fail(QStringLiteral("droga %1 z sytuacji %2 bez kształtu")
                     .arg(road.choice)
                     .arg(road.from));
        // One road is one Bézier of 3n + 1 points; the arrowhead runs from its last point to ep.
        const bezier& curve = spline->list[0];
        drawn.path.moveTo(point(curve.sflag ? curve.sp : curve.list[0]));
        if (curve.sflag)
            drawn.path.lineTo(point(curve.list[0]));
        for (int p = 1; p + 2 < curve.size; p += 3)
            drawn.path.cubicTo(point(curve.list[p]), point(curve.list[p + 1]),
                               point(curve.list[p + 2]));
        drawn.arrowTip = curve.eflag ? point(curve.ep) : point(curve.list[curve.size - 1]);
        const textlabel_t* number = ED_tail_label(edge);
        drawn.labelPos =
            number != nullptr && number->set ? point(number->pos) : drawn.path.pointAtPercent(0.1);
        map.edges.push_back(drawn);
    }
    return map;
}

QByteArray svgOf(const MapScenario& scenario, const MapRequest& request, const Prepared& prepared) {
    const MessageCapture capture;
    const Context context = makeContext();
    const Built built = build(scenario, request, prepared);
    const Layout done(context.get(), built.graph.get());
    char* data = nullptr;
    unsigned int length = 0;
    if (gvRenderData(context.get(), built.graph.get(), "svg", &data, &length) != 0 ||
        data == nullptr) {
        gvFreeRenderData(data);
        fail(QStringLiteral("zapis SVG się nie powiódł"));
    }
    const std::unique_ptr<char, void (*)(char*)> owned(data, gvFreeRenderData);
    return QByteArray(owned.get(), qsizetype(length));
}

// What a map's child process is said to fail with.
const QString kChildFailure = QStringLiteral("Nie udało się ułożyć mapy scenariusza");
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

[[noreturn]] void malformed() {
    throw AppError(AppError::Other,
                   kChildFailure +
                       QStringLiteral(": proces układający mapę zwrócił niepełny wynik"));
}

// A stream over a child's result: malformed() unless it was read whole, to its end.
template <class Read> auto readWhole(const QByteArray& bytes, Read&& read) {
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    auto value = read(in);
    if (in.status() != QDataStream::Ok || !in.atEnd())
        malformed();
    return value;
}

template <class Write> QByteArray written(Write&& write) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    write(out);
    return bytes;
}

void writeLayout(QDataStream& out, const MapLayout& map) {
    out << map.bounds << map.cut << quint32(map.nodes.size());
    for (const MapNode& node : map.nodes)
        out << qint32(node.situation) << node.label << node.typeLetter << node.centre << node.size
            << quint8(node.role) << node.current;
    out << quint32(map.edges.size());
    for (const MapEdge& edge : map.edges)
        out << qint32(edge.from) << qint32(edge.to) << qint32(edge.choice) << edge.path
            << edge.arrowTip << edge.labelPos;
}

// Stops at the first field that is not there, leaving the stream's status to say so.
MapLayout readLayout(QDataStream& in) {
    MapLayout map;
    quint32 count = 0;
    in >> map.bounds >> map.cut >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        MapNode node;
        qint32 situation = 0;
        quint8 role = 0;
        in >> situation >> node.label >> node.typeLetter >> node.centre >> node.size >> role >>
            node.current;
        if (role > quint8(MapRole::Error))
            malformed();
        node.situation = situation;
        node.role = MapRole(role);
        map.nodes.push_back(std::move(node));
    }
    in >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        MapEdge edge;
        qint32 from = 0;
        qint32 to = 0;
        qint32 choice = 0;
        in >> from >> to >> choice >> edge.path >> edge.arrowTip >> edge.labelPos;
        edge.from = from;
        edge.to = to;
        edge.choice = choice;
        map.edges.push_back(std::move(edge));
    }
    return map;
}

} // namespace

MapLayout layoutMap(const MapScenario& scenario, const MapRequest& request) {
    return layoutOf(scenario, request, prepare(scenario, request));
}

QByteArray toSvg(const MapScenario& scenario, const MapRequest& request) {
    return svgOf(scenario, request, prepare(scenario, request));
}

std::optional<MapLayout> layoutMapWithin(const MapScenario& scenario, const MapRequest& request,
                                         std::chrono::milliseconds deadline) {
    const Prepared prepared = prepare(scenario, request);
    const std::optional<QByteArray> received = ChildWork::runWithin(
        deadline,
        [&] {
            return written(
                [&](QDataStream& out) { writeLayout(out, layoutOf(scenario, request, prepared)); });
        },
        kChildFailure);
    if (!received)
        return std::nullopt;
    return readWhole(*received, [](QDataStream& in) { return readLayout(in); });
}
