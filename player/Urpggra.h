#pragma once

#include "ObEdKrok.h"
#include "PlayerServices.h"
#include "Records.h"
#include "ScenarioFiles.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;
class PaintBox;
class SoundControl;

// The game window: plays the chosen scenario from situation 1, one
// situation at a time, until a situation of type Koniec. Every showing
// starts a new game; hiding it closes the scenario files.
class TFoRpgGra : public QWidget {
    Q_OBJECT

public:
    TFoRpgGra(PlayerServices services, const ScenarioChoice& scenario);
    ~TFoRpgGra() override;

    // The window shown again when the game is left.
    void setMenu(QWidget* menu) { menu_ = menu; }

    QPushButton* BuWyjscie;
    QPushButton* BuWybor1;
    QPushButton* BuWybor2;
    QPushButton* BuWybor3;
    QPushButton* BuWybor4;
    QLabel* LaWybor1;
    QLabel* LaWybor2;
    QLabel* LaWybor3;
    QLabel* LaWybor4;
    QPlainTextEdit* MeOpis;
    PaintBox* PaObrazek;
    QFrame* Bevel1;
    SoundControl* MPWav;

    // Game state, exposed read-only for tests.
    std::int32_t numer() const { return numer_; }
    const TKrok& krok() const { return krok_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuWyjscieClick();
    void FormShow();
    void FormHide();
    void BuWyborClick(int wybor);
    void PaObrazekPaint(QPainter& painter);

    void OtworzScenariusz();
    void CzyscOkno();
    void IdzDoSytuacji();
    void KoniecGry();
    void Pokaz(const TKrok& sytuacja);
    void ustawPrzyciski(std::uint8_t typ);

    PlayerServices services_;
    const ScenarioChoice& scenario_;
    QWidget* menu_ = nullptr;

    ScenarioPair pair_;
    std::int32_t numer_ = 0;
    TRekordKroku rekord_;
    TRekordListy lista_;
    TKrok krok_;
    // Whether the box shows the current situation's picture or was cleared
    // since; a repaint draws the picture only in the first case.
    bool obrazPokazany_ = false;
};
