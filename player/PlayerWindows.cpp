#include "player/PlayerWindows.h"

PlayerWindows::PlayerWindows(const PlayerServices& services, std::function<void()> terminate)
    : menu(services, std::move(terminate)), gra(services), boxes_(services.boxes) {
    QObject::connect(&menu, &TFoRPGMenu::gameStarted, &gra, &TFoRpgGra::startGame);
    QObject::connect(&menu, &TFoRPGMenu::creditsOpened, &lista, &TFoLista::showCredits);
    // Connected in this order: the game window first, then the credits.
    QObject::connect(&menu, &TFoRPGMenu::othersHidden, &gra, &QWidget::hide);
    QObject::connect(&menu, &TFoRPGMenu::othersHidden, &lista, &QWidget::hide);
    QObject::connect(&menu, &TFoRPGMenu::othersClosed, &gra, &QWidget::close);
    QObject::connect(&menu, &TFoRPGMenu::othersClosed, &lista, &QWidget::close);
    QObject::connect(&gra, &TFoRpgGra::left, &menu, &TFoRPGMenu::otherWindowLeft);
    QObject::connect(&lista, &TFoLista::left, &menu, &TFoRPGMenu::otherWindowLeft);
}

void PlayerWindows::begin(const PlayerCommandLine& line) {
    if (!line.error.isEmpty())
        boxes_.message(line.error);
    const bool chosen = !line.scenario.isEmpty() && menu.chooseNamed(line.scenario);
    if (chosen && line.from)
        menu.playFrom(*line.from);
    else
        menu.show();
}
