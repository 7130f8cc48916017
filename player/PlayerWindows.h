#pragma once
// The player's three windows, created in the program's order and wired to each other.

#include "player/CommandLine.h"
#include "player/PlayerServices.h"
#include "player/Ulista.h"
#include "player/Urpggra.h"
#include "player/Urpgmenu.h"

#include <functional>
#include <memory>

// The menu is made at once; the game and credits windows when first asked for, so that the
// program shows its menu without building windows, loading fonts or the sound device that
// only a game or the credits need.
class PlayerWindows {
public:
    TFoRPGMenu menu;

    // `terminate` ends the program.
    PlayerWindows(const PlayerServices& services, std::function<void()> terminate);
    ~PlayerWindows();
    PlayerWindows(const PlayerWindows&) = delete;
    PlayerWindows& operator=(const PlayerWindows&) = delete;

    // The game and credits windows, made at the first call.
    TFoRpgGra& gra();
    TFoLista& lista();

    // Brings the windows up as the command line asks: its usage error in a box first, then the
    // menu with its scenario chosen, or the game at once at its situation; a game that cannot
    // begin there shows its error and then the menu. A file the dialog's checks refuse is
    // not chosen, and no game begins.
    void begin(const PlayerCommandLine& line);

private:
    // The other windows, in this order, as far as they have been made.
    void hideOthers();
    void closeOthers();

    PlayerServices services_;
    std::unique_ptr<TFoRpgGra> gra_;
    std::unique_ptr<TFoLista> lista_;
};
