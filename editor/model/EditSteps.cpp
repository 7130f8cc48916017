#include "editor/model/EditSteps.h"

#include <QHashFunctions>
#include <array>

namespace {

std::array<LeInt32*, 4> targetsOf(TRekordKroku& rekord) {
    return {&rekord.Krok_Wybrany1, &rekord.Krok_Wybrany2, &rekord.Krok_Wybrany3,
            &rekord.Krok_Wybrany4};
}

} // namespace

std::uint64_t fingerprint(const std::vector<TRekordKroku>& rekordy,
                          const std::vector<TRekordListy>& listy) {
    // Two seeds, one per file, and the counts: records moved from one file to the other do
    // not meet the same fingerprint.
    const std::uint64_t situations =
        qHashBits(rekordy.data(), rekordy.size() * sizeof(TRekordKroku), 0x4b726f);
    const std::uint64_t list = qHashBits(listy.data(), listy.size() * sizeof(TRekordListy),
                                         situations ^ std::uint64_t(rekordy.size()));
    return list ^ (std::uint64_t(listy.size()) << 1);
}

std::vector<RoadSlot> roadsTo(const std::vector<TRekordKroku>& rekordy, std::int32_t k) {
    std::vector<RoadSlot> found;
    for (std::int32_t i = 0; i < std::int32_t(rekordy.size()); ++i) {
        if (i == k)
            continue;
        const TRekordKroku& r = rekordy[std::size_t(i)];
        const std::array<const LeInt32*, 4> targets = {&r.Krok_Wybrany1, &r.Krok_Wybrany2,
                                                       &r.Krok_Wybrany3, &r.Krok_Wybrany4};
        for (int c = 0; c < 4; ++c) {
            if (targets[std::size_t(c)]->get() == k)
                found.push_back({i, c});
        }
    }
    return found;
}

void undeleteSituation(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy,
                       std::int32_t k, const ScenarioPair::SituationRecords& deleted,
                       const std::vector<RoadSlot>& toEnd) {
    const auto count = std::int32_t(rekordy.size());
    for (TRekordKroku& rekord : rekordy) {
        for (LeInt32* target : targetsOf(rekord)) {
            const std::int32_t t = target->get();
            if (t >= k && t < count)
                target->set(t + 1);
        }
    }
    rekordy.insert(rekordy.begin() + k, deleted.rekord);
    listy.insert(listy.begin() + k, deleted.lista);
    for (const RoadSlot& road : toEnd) {
        if (road.situation >= 0 && road.situation < std::int32_t(rekordy.size()))
            targetsOf(rekordy[std::size_t(road.situation)])[std::size_t(road.choice)]->set(k);
    }
}
