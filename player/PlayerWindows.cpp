#include "player/PlayerWindows.h"

PlayerWindows::PlayerWindows(const PlayerServices& services, std::function<void()> terminate)
    : menu(services, std::move(terminate)), services_(services) {
    // The menu is the context of these connections: they end with it, before the windows go.
    QObject::connect(&menu, &TFoRPGMenu::gameStarted, &menu,
                     [this](const ScenarioChoice& scenario, std::int32_t number) {
                         gra().startGame(scenario, number);
                     });
    QObject::connect(&menu, &TFoRPGMenu::creditsOpened, &menu, [this] { lista().showCredits(); });
    QObject::connect(&menu, &TFoRPGMenu::othersHidden, &menu, [this] { hideOthers(); });
    QObject::connect(&menu, &TFoRPGMenu::othersClosed, &menu, [this] { closeOthers(); });
}

PlayerWindows::~PlayerWindows() = default;

TFoRpgGra& PlayerWindows::gra() {
    if (!gra_) {
        gra_ = std::make_unique<TFoRpgGra>(services_);
        QObject::connect(gra_.get(), &TFoRpgGra::left, &menu, &TFoRPGMenu::otherWindowLeft);
    }
    return *gra_;
}

TFoLista& PlayerWindows::lista() {
    if (!lista_) {
        lista_ = std::make_unique<TFoLista>();
        QObject::connect(lista_.get(), &TFoLista::left, &menu, &TFoRPGMenu::otherWindowLeft);
    }
    return *lista_;
}

// A window never made was never shown: there is nothing to hide or close in it.
void PlayerWindows::hideOthers() {
    if (gra_)
        gra_->hide();
    if (lista_)
        lista_->hide();
}

void PlayerWindows::closeOthers() {
    if (gra_)
        gra_->close();
    if (lista_)
        lista_->close();
}

void PlayerWindows::begin(const PlayerCommandLine& line) {
    if (!line.error.isEmpty())
        services_.boxes.message(line.error);
    const bool chosen = !line.scenario.isEmpty() && menu.chooseNamed(line.scenario);
    if (chosen && line.from)
        menu.playFrom(*line.from);
    else
        menu.show();
}
