#pragma once
// The roads of a scenario: which situation each choice a player can take leads to.

#include "authoring/ScenarioSnapshot.h"

#include <cstdint>
#include <span>
#include <vector>

// The roads of a scenario as a directed graph over its situations 0 .. size() - 1. A road is a
// choice that a player can take (one that the situation's type offers) and that leads to a
// situation of the scenario; a choice leading outside it is no road (the check reports it).
// Situation 1 also offers its choice 1 whatever its type, as every game starts that way; a
// situation of an unknown type keeps the choices of the situation before it, so each of its
// four choices counts as a road. Built in time linear in situations plus choices.
class ScenarioGraph {
public:
    struct Road {
        std::int32_t from = 0;
        std::int32_t to = 0;
        std::int8_t choice = 0; // 1 to 4
    };

    explicit ScenarioGraph(const ScenarioSnapshot& snapshot);

    std::int32_t size() const { return static_cast<std::int32_t>(type_.size()); }
    std::uint8_t type(std::int32_t k) const { return type_[std::size_t(k)]; }
    // A Koniec situation: a game that reaches it through a choice is over.
    bool isEnding(std::int32_t k) const { return type_[std::size_t(k)] == Koniec; }
    // Whether choice `n` (1 to 4) can be taken at situation k by some game.
    static bool offers(const ScenarioSnapshot& snapshot, std::int32_t k, int n);

    // Roads out of and into situation k, in order of situation then choice.
    std::span<const Road> roadsFrom(std::int32_t k) const;
    std::span<const Road> roadsTo(std::int32_t k) const;

    // For each situation, whether some game from situation 1 comes to it (1 itself included).
    std::vector<bool> reachableFromStart() const;
    // For each situation, whether some road from it leads to a Koniec situation (a Koniec
    // situation itself included).
    std::vector<bool> reachesEnding() const;
    // The situations at most `steps` roads away from k, either way along the roads, k first,
    // then by distance; at most `limit` of them.
    std::vector<std::int32_t> neighbourhood(std::int32_t k, int steps,
                                            std::size_t limit = SIZE_MAX) const;

private:
    std::vector<std::uint8_t> type_;
    // Roads in compressed rows: roads of k are out_[outStart_[k] .. outStart_[k + 1]).
    std::vector<Road> out_;
    std::vector<std::int32_t> outStart_;
    std::vector<Road> in_;
    std::vector<std::int32_t> inStart_;
};
