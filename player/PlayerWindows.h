#pragma once
// The player's three windows, created in the program's order and wired to each other.

#include "player/CommandLine.h"
#include "player/PlayerServices.h"
#include "player/Ulista.h"
#include "player/Urpggra.h"
#include "player/Urpgmenu.h"

#include <functional>

struct PlayerWindows {
    TFoRPGMenu menu;
    TFoRpgGra gra;
    TFoLista lista;

    // `terminate` ends the program.
    PlayerWindows(const PlayerServices& services, std::function<void()> terminate);

    // Brings the windows up as the command line asks: its usage error in a box first, then the
    // menu with its scenario chosen, or the game at once at its situation; a game that cannot
    // begin there shows its error and then the menu. A file the dialog's checks refuse is
    // not chosen, and no game begins.
    void begin(const PlayerCommandLine& line);

private:
    MessageBoxes& boxes_;
};
