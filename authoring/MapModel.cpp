#include "authoring/MapModel.h"

#include "platform/core/AppError.h"

#include <algorithm>

namespace {

// The neighbourhood within its deadline, with half as many situations after each layout that
// ran out of time.
MapLayout layoutNeighbourhood(const MapScenario& scenario, MapRequest& request,
                              std::chrono::milliseconds deadline) {
    for (;;) {
        if (std::optional<MapLayout> laid = layoutMapWithin(scenario, request, deadline))
            return std::move(*laid);
        if (request.nodeLimit <= MapRequest::SmallestNeighbourhood)
            throw AppError(AppError::Other,
                           QStringLiteral("Otoczenie sytuacji %1 układa się zbyt długo nawet "
                                          "przy %2 sytuacjach")
                               .arg(request.current)
                               .arg(request.nodeLimit));
        // Half of what was tried: a neighbourhood smaller than its limit is halved itself.
        const std::size_t tried =
            scenario.graph()
                .neighbourhood(request.current, request.steps, request.nodeLimit)
                .size();
        request.nodeLimit = std::max(MapRequest::SmallestNeighbourhood, tried / 2);
    }
}

QString neighbourhoodInfo(const MapScenario& scenario, const MapRequest& request,
                          const MapShown& shown) {
    // A limit lowered by layouts that ran out of time says so; the default one cuts only what
    // lies farther.
    const bool shortened = request.nodeLimit < MapRequest::DefaultNodeLimit;
    const QString cut =
        !shown.layout.cut ? QString()
        : shortened ? QStringLiteral(" (tylko najbliższe: więcej układałoby się zbyt długo)")
                    : QStringLiteral(" (tylko najbliższe)");
    const QString text = shown.wholeTooSlow
                             ? QStringLiteral("Cały scenariusz układa się zbyt długo – pokazuję "
                                              "otoczenie sytuacji %1: %2 z %3 sytuacji%4")
                             : QStringLiteral("Otoczenie sytuacji %1: %2 z %3 sytuacji%4");
    return text.arg(request.current).arg(shown.layout.nodes.size()).arg(scenario.size()).arg(cut);
}

} // namespace

MapShown layoutMapInTime(const MapScenario& scenario, MapRequest& request,
                         const MapDeadlines& deadlines) {
    MapShown shown;
    if (request.scope == MapRequest::Scope::Whole) {
        if (std::optional<MapLayout> laid = layoutMapWithin(scenario, request, deadlines.whole)) {
            shown.layout = std::move(*laid);
            shown.info = QStringLiteral("Cały scenariusz: %1 sytuacji").arg(scenario.size());
            return shown;
        }
        request.scope = MapRequest::Scope::Neighbourhood;
    }
    // A scenario shown whole at first is shown in neighbourhoods only once its whole map ran
    // out of time.
    shown.wholeTooSlow = MapRequest::defaultScope(scenario.size()) == MapRequest::Scope::Whole;
    shown.layout = layoutNeighbourhood(scenario, request, deadlines.neighbourhood);
    shown.info = neighbourhoodInfo(scenario, request, shown);
    return shown;
}
