// The shortest and the longest road from the start to an ending.

#include "authoring/CheckParts.h"

#include <algorithm>
#include <span>

namespace CheckParts {

std::int32_t shortestRoad(const ScenarioGraph& graph) {
    if (graph.size() < 2)
        return -1;
    std::vector<std::int32_t> distance(std::size_t(graph.size()), -1);
    std::vector<std::int32_t> queue{1};
    queue.reserve(std::size_t(graph.size()));
    distance[1] = 0;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::int32_t at = queue[head];
        const std::int32_t d = distance[std::size_t(at)];
        if (d > 0 && graph.isEnding(at))
            return d;
        for (const ScenarioGraph::Road& road : graph.roadsFrom(at)) {
            if (distance[std::size_t(road.to)] < 0) {
                distance[std::size_t(road.to)] = d + 1;
                queue.push_back(road.to);
            }
        }
    }
    return -1;
}

LongestRoad longestRoad(const ScenarioGraph& graph, const std::vector<bool>& canEnd,
                        std::int64_t budget) {
    LongestRoad result;
    if (graph.size() < 2 || !canEnd[1])
        return result;
    struct Frame {
        std::int32_t at;
        std::size_t next;
    };
    std::vector<bool> onPath(std::size_t(graph.size()), false);
    std::vector<Frame> path{{1, 0}};
    onPath[1] = true;
    std::int64_t moves = 0;
    while (!path.empty()) {
        Frame& top = path.back();
        const std::span<const ScenarioGraph::Road> roads = graph.roadsFrom(top.at);
        if (top.next == roads.size()) {
            onPath[std::size_t(top.at)] = false;
            path.pop_back();
            continue;
        }
        const std::int32_t to = roads[top.next++].to;
        if (onPath[std::size_t(to)] || !canEnd[std::size_t(to)])
            continue;
        if (++moves > budget) {
            result.cut = true;
            break;
        }
        const auto length = static_cast<std::int32_t>(path.size());
        if (graph.isEnding(to)) {
            result.length = std::max(result.length, length);
            continue;
        }
        onPath[std::size_t(to)] = true;
        path.push_back({to, 0});
    }
    return result;
}

} // namespace CheckParts
