#pragma once
// The player's main window TFoRPGMenu: choose a scenario, start a game, see the credits, end.

#include "player/PlayerServices.h"

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

// The menu talks to the game and credits windows through its signals only.
class TFoRPGMenu : public QWidget {
    Q_OBJECT

public:
    // `terminate` ends the program (the application's quit in the program).
    TFoRPGMenu(PlayerServices services, std::function<void()> terminate);

    const ScenarioChoice& scenario() const { return scenario_; }
    // The scenario at `path` (absolute) becomes the chosen one, as a file confirmed in "Wybór
    // Scenariusza" does; whether it can be played shows when a game starts.
    void chooseScenario(const QString& path);
    // A name given on the command line: the dialog's own checks first, as if it had been typed
    // there ("File not found" for a file that is not there); false when they refused it.
    bool chooseNamed(const QString& path);
    // A game of the chosen scenario starts at situation `number`, as "&Start:" starts one at 1.
    void playFrom(std::int32_t number);

signals:
    // A new game of the chosen scenario starts at situation `number`.
    void gameStarted(const ScenarioChoice& scenario, std::int32_t number);
    void creditsOpened();
    // The program ends: the other windows hide, then close, in this order.
    void othersHidden();
    void othersClosed();

public slots:
    // The game or the credits were left: the menu comes back, unless the program is ending.
    void otherWindowLeft();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void BuStartClick();
    void BuKoniecClick();
    void BuPlanszaClick();
    void BuTworcyClick();

private:
    void FormClose();

    // The controls, each named by its object name.
    QPushButton* BuStart;
    QPushButton* BuKoniec;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* BuPlansza;
    QPushButton* BuTworcy;
    QLabel* Label4;
    QLabel* Label14;

    PlayerServices services_;
    std::function<void()> terminate_;
    ScenarioChoice scenario_;
    bool ending_ = false;
};
