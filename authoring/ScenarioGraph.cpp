#include "authoring/ScenarioGraph.h"

#include "common/ObEdKrok.h"

#include <unordered_map>

namespace {

// Visits every situation that `roads` lead to from the seeds, breadth first.
template <class RoadsOf>
std::vector<bool> spread(std::int32_t size, const std::vector<std::int32_t>& seeds, RoadsOf roadsOf,
                         bool forward) {
    std::vector<bool> seen(std::size_t(size), false);
    std::vector<std::int32_t> queue;
    queue.reserve(std::size_t(size));
    for (std::int32_t s : seeds) {
        if (!seen[std::size_t(s)]) {
            seen[std::size_t(s)] = true;
            queue.push_back(s);
        }
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        for (const ScenarioGraph::Road& road : roadsOf(queue[head])) {
            const std::int32_t next = forward ? road.to : road.from;
            if (!seen[std::size_t(next)]) {
                seen[std::size_t(next)] = true;
                queue.push_back(next);
            }
        }
    }
    return seen;
}

} // namespace

bool ScenarioGraph::offers(const ScenarioSnapshot& snapshot, std::int32_t k, int n) {
    const std::uint8_t typ = snapshot.listy[std::size_t(k)].Typ;
    if (k == 1 && n == 1)
        return true;
    if (typ > Wybory3)
        return true;
    return offeredChoices(typ)[std::size_t(n - 1)];
}

ScenarioGraph::ScenarioGraph(const ScenarioSnapshot& snapshot) {
    const std::int32_t n = snapshot.size();
    type_.resize(std::size_t(n));
    outStart_.assign(std::size_t(n) + 1, 0);
    inStart_.assign(std::size_t(n) + 1, 0);
    for (std::int32_t k = 0; k < n; ++k) {
        type_[std::size_t(k)] = snapshot.listy[std::size_t(k)].Typ;
        for (int c = 1; c <= 4; ++c) {
            if (!offers(snapshot, k, c))
                continue;
            const std::int32_t to = TKrok::cel(snapshot.rekordy[std::size_t(k)], c);
            if (to < 0 || to >= n)
                continue;
            out_.push_back({k, to, static_cast<std::int8_t>(c)});
            ++inStart_[std::size_t(to) + 1];
        }
        outStart_[std::size_t(k) + 1] = static_cast<std::int32_t>(out_.size());
    }
    for (std::size_t k = 1; k < inStart_.size(); ++k)
        inStart_[k] += inStart_[k - 1];
    in_.resize(out_.size());
    std::vector<std::int32_t> fill(inStart_.begin(), inStart_.end() - 1);
    for (const Road& road : out_)
        in_[std::size_t(fill[std::size_t(road.to)]++)] = road;
}

std::span<const ScenarioGraph::Road> ScenarioGraph::roadsFrom(std::int32_t k) const {
    return {out_.data() + outStart_[std::size_t(k)],
            std::size_t(outStart_[std::size_t(k) + 1] - outStart_[std::size_t(k)])};
}

std::span<const ScenarioGraph::Road> ScenarioGraph::roadsTo(std::int32_t k) const {
    return {in_.data() + inStart_[std::size_t(k)],
            std::size_t(inStart_[std::size_t(k) + 1] - inStart_[std::size_t(k)])};
}

std::vector<bool> ScenarioGraph::reachableFromStart() const {
    if (size() < 2)
        return std::vector<bool>(std::size_t(size()), false);
    return spread(
        size(), {1}, [this](std::int32_t k) { return roadsFrom(k); }, true);
}

std::vector<bool> ScenarioGraph::reachesEnding() const {
    std::vector<std::int32_t> endings;
    for (std::int32_t k = 0; k < size(); ++k) {
        if (isEnding(k))
            endings.push_back(k);
    }
    return spread(
        size(), endings, [this](std::int32_t k) { return roadsTo(k); }, false);
}

std::vector<std::int32_t> ScenarioGraph::neighbourhood(std::int32_t k, int steps,
                                                       std::size_t limit) const {
    std::vector<std::int32_t> found;
    if (k < 0 || k >= size() || limit == 0)
        return found;
    // Distances of the situations met so far; the rest of the scenario is never touched, so
    // the work follows the neighbourhood's size, not the scenario's.
    std::unordered_map<std::int32_t, int> distance{{k, 0}};
    found.push_back(k);
    for (std::size_t head = 0; head < found.size() && found.size() < limit; ++head) {
        const std::int32_t at = found[head];
        const int d = distance[at];
        if (d >= steps)
            continue;
        const auto visit = [&](std::int32_t next) {
            if (found.size() < limit && distance.emplace(next, d + 1).second)
                found.push_back(next);
        };
        for (const Road& road : roadsFrom(at))
            visit(road.to);
        for (const Road& road : roadsTo(at))
            visit(road.from);
    }
    return found;
}
