#pragma once
// A scenario whose roads lead anywhere at random, the slowest kind for the map's layout.

#include "authoring/ScenarioSnapshot.h"

#include <QString>
#include <memory>
#include <random>

// `n` situations whose four choices each lead to a situation drawn at random (always the same
// ones): 0 an ending, 1 the start, the rest Normalny.
inline std::shared_ptr<const ScenarioSnapshot> roadsAnywhere(std::int32_t n) {
    std::mt19937 rng(4242u);
    auto made = std::make_shared<ScenarioSnapshot>();
    made->rekordy.resize(std::size_t(n));
    made->listy.resize(std::size_t(n));
    for (std::int32_t k = 0; k < n; ++k) {
        TRekordKroku& rekord = made->rekordy[std::size_t(k)];
        rekord.Nazwa.assign(QStringLiteral("Gdzieś %1").arg(k));
        for (LeInt32* cel : {&rekord.Krok_Wybrany1, &rekord.Krok_Wybrany2, &rekord.Krok_Wybrany3,
                             &rekord.Krok_Wybrany4})
            cel->set(std::int32_t(rng() % unsigned(n)));
        made->listy[std::size_t(k)].Nazwa.assign(rekord.Nazwa.text());
        made->listy[std::size_t(k)].Typ = k == 0 ? Koniec : k == 1 ? Poczatek : Normalny;
    }
    return made;
}
