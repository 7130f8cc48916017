#pragma once

#include "PlayerServices.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class TFoRpgGra;
class TFoLista;

// The player's main window: choose a scenario, start a game, see the
// credits, end the program.
class TFoRPGMenu : public QWidget {
    Q_OBJECT

public:
    // `terminate` ends the program (the application's quit in the program).
    TFoRPGMenu(PlayerServices services, std::function<void()> terminate);

    void setWindows(TFoRpgGra* gra, TFoLista* lista);
    const ScenarioChoice& scenario() const { return scenario_; }

    QPushButton* BuStart;
    QPushButton* BuKoniec;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* BuPlansza;
    QPushButton* BuTworcy;
    QLabel* Label4;
    QLabel* Label14;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuStartClick();
    void BuKoniecClick();
    void BuPlanszaClick();
    void BuTworcyClick();
    void FormClose();

    PlayerServices services_;
    std::function<void()> terminate_;
    ScenarioChoice scenario_;
    TFoRpgGra* gra_ = nullptr;
    TFoLista* lista_ = nullptr;
};
