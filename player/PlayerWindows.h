#pragma once
// The player's three windows, created in the program's order and wired to each other.

#include "PlayerServices.h"
#include "Ulista.h"
#include "Urpggra.h"
#include "Urpgmenu.h"

#include <functional>

struct PlayerWindows {
    TFoRPGMenu menu;
    TFoRpgGra gra;
    TFoLista lista;

    // `terminate` ends the program.
    PlayerWindows(const PlayerServices& services, std::function<void()> terminate);
};
