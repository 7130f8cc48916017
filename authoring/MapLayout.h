#pragma once
// The scenario map: situations and their roads laid out by Graphviz, as positions or as SVG.

#include "authoring/ScenarioCheck.h"
#include "authoring/ScenarioGraph.h"
#include "authoring/ScenarioSnapshot.h"

#include <QByteArray>
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What a situation's box on the map says by its colour. When several apply, the first of this
// list wins: an error (the check found one there), unreachable (no game from situation 1 comes
// there), a warning, the start (situation 1), an ending (a Koniec situation), else normal. What
// the author must mend comes first; the default end (situation 0) is never drawn unreachable,
// as a finished scenario leads nowhere to it.
enum class MapRole : std::uint8_t { Normal, Start, Ending, Warning, Unreachable, Error };

// The fill colour of a role's boxes, the same on the screen and in the SVG.
QColor mapRoleColour(MapRole role);
// The role's Polish name for the map's legend ("błąd", "nieosiągalna", ...).
QString mapRoleName(MapRole role);

// The scenario as the map sees it: the snapshot, its roads and each situation's role. Built
// once per scenario (linear in situations plus choices) and laid out as often as needed.
class MapScenario {
public:
    // `report` may be null (the scenario is not checked): no situation is then an error or a
    // warning. The report's findings name situations of this snapshot; others are ignored.
    MapScenario(std::shared_ptr<const ScenarioSnapshot> snapshot, const CheckReport* report);

    const ScenarioSnapshot& snapshot() const { return *snapshot_; }
    const ScenarioGraph& graph() const { return graph_; }
    std::int32_t size() const { return graph_.size(); }
    MapRole role(std::int32_t k) const { return roles_[std::size_t(k)]; }

private:
    std::shared_ptr<const ScenarioSnapshot> snapshot_;
    ScenarioGraph graph_;
    std::vector<MapRole> roles_;
};

// Measures a box's label in points; the map's boxes are then sized to it, so that a window
// drawing the label in its own font fits it. Without one, Graphviz estimates the label's size.
using MapLabelSize = std::function<QSizeF(const QString& label)>;

// What to lay out.
struct MapRequest {
    enum class Scope : std::uint8_t { Whole, Neighbourhood };

    // The most situations the whole map shows; a larger scenario shows a neighbourhood.
    static constexpr std::int32_t WholeLimit = 1000;
    static constexpr int DefaultSteps = 3;
    // The most situations a neighbourhood holds, so that its layout stays quick.
    static constexpr std::size_t DefaultNodeLimit = 300;
    // The fewest situations a neighbourhood is cut down to when its layout runs out of time.
    static constexpr std::size_t SmallestNeighbourhood = 25;

    Scope scope = Scope::Whole;
    // The situation shown as current; the centre of a neighbourhood.
    std::int32_t current = 1;
    // A neighbourhood: the situations at most `steps` roads from `current`, either way along
    // the roads, nearest first, at most `nodeLimit` of them.
    int steps = DefaultSteps;
    std::size_t nodeLimit = DefaultNodeLimit;
    MapLabelSize labelSize;

    // The scope a scenario of `situations` situations is shown in at first.
    static Scope defaultScope(std::int32_t situations) {
        return situations <= WholeLimit ? Scope::Whole : Scope::Neighbourhood;
    }
};

// A situation's box. Coordinates are in points, y growing downwards, the drawing's top left
// corner at (0, 0).
struct MapNode {
    std::int32_t situation = 0;
    QString label;      // "number name"
    QString typeLetter; // the editor's letter of its type: P, N, K, 1, 2, 3, or "?"
    QPointF centre;
    QSizeF size;
    MapRole role = MapRole::Normal;
    bool current = false;
};

// A road: an arrow from one box to another.
struct MapEdge {
    std::int32_t from = 0;
    std::int32_t to = 0;
    int choice = 0;    // 1 to 4, its label
    QPainterPath path; // the spline, from the tail box to the base of the arrowhead
    QPointF arrowTip;  // where the arrowhead touches the head box
    QPointF labelPos;  // the centre of the choice number, near the tail
};

struct MapLayout {
    std::vector<MapNode> nodes; // the current situation first, then as the request found them
    std::vector<MapEdge> edges; // by situation, then by choice
    QRectF bounds;              // the whole drawing
    // True when a neighbourhood met the node limit: some situations within its steps are left
    // out.
    bool cut = false;

    // The index into `nodes` of situation k, or -1 when it is not on the map.
    int indexOf(std::int32_t k) const;
};

// Lays the requested situations and every road between them out with Graphviz's "dot" engine
// (top to bottom), ranked from situation 1 whichever situation is current. Throws
// AppError(Other, ...) with a Polish message when Graphviz fails; needs no Graphviz
// configuration on the machine. Graphviz keeps global state: call it from one thread.
MapLayout layoutMap(const MapScenario& scenario, const MapRequest& request);

// The same layout drawn by Graphviz itself as an SVG document, boxes filled in the roles'
// colours, labels in UTF-8; the bench compares its time with the layout's. The map window saves
// what it draws instead (editor/MapSvg.h). Throws as layoutMap does.
QByteArray toSvg(const MapScenario& scenario, const MapRequest& request);

// The layout done in a child process that is killed when `deadline` passes first: dot's
// time grows steeply with the crossings of roads that lead anywhere, and no cheap measure of a
// scenario tells in advance. nullopt: the deadline passed (the child is killed and reaped, and
// nothing of it is left). A child that fails as Graphviz fails throws the same AppError; one
// that dies, or sends back something that is not a whole result, throws AppError(Other, ...)
// with a Polish message. Boxes are measured by `request.labelSize` in this process before the
// child starts, so it may use the window's fonts. POSIX only (fork).
std::optional<MapLayout> layoutMapWithin(const MapScenario& scenario, const MapRequest& request,
                                         std::chrono::milliseconds deadline);
