#pragma once
// The game window TFoRpgGra: plays the chosen scenario from situation 1 (or another) to a Koniec.

#include "common/Game.h"
#include "common/ObEdKrok.h"
#include "platform/ui/PictureBox.h"
#include "player/PlayerServices.h"

#include <QWidget>
#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;
class PaintBox;
class SoundControl;

// The game window: plays the chosen scenario from situation 1 (or the one the game was started
// at), one situation at a time, until a situation of type Koniec. Every showing starts a new
// game; hiding it closes the scenario files. The rules of a step are the game model's (Game);
// the window draws what it says.
class TFoRpgGra : public QWidget {
    Q_OBJECT

public:
    explicit TFoRpgGra(PlayerServices services);
    ~TFoRpgGra() override;

    // Game state, exposed read-only for tests.
    std::int32_t numer() const { return game_.number(); }
    const TKrok& krok() const { return game_.situation(); }
    const Game& game() const { return game_; }

signals:
    // The game was left ("&Wyjście" or the close box).
    void left();

public slots:
    // Shows the window: a new game of `scenario` from situation `number`. A game that could not
    // begin at a situation other than 1 has nothing to play: after its error the window is left.
    void startGame(const ScenarioChoice& scenario, std::int32_t number = 1);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void BuWyjscieClick();

private:
    void FormShow();
    void FormHide();
    void BuWyborClick(int wybor);
    void PaObrazekPaint(QPainter& painter);

    void OtworzScenariusz();
    void CzyscOkno();
    void KoniecGry();
    // Shows the game's current situation: texts, picture and sound. A picture that cannot be
    // read stops the step; a sound that cannot play is reported and the step goes on.
    void Pokaz();
    // Names the choice buttons, for a screen reader, by the current situation's choice texts:
    // the choices they lead to. A step that fails leaves them, as it leaves the situation.
    void nameChoiceButtons();
    // Enables the choice buttons the game offers and disables the others.
    void ustawPrzyciski();
    std::array<QPushButton*, 4> choiceButtons() const;

    // The controls, each named by its object name.
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

    PlayerServices services_;
    ScenarioChoice scenario_;
    // Where the game shown next begins, and whether the last showing began a game.
    std::int32_t startNumber_ = 1;
    bool started_ = false;
    Game game_;
    // Whether the box shows the current situation's picture or was cleared
    // since; a repaint draws the picture only in the first case.
    bool obrazPokazany_ = false;
    // The current situation's picture as the box draws it, loaded when it was shown.
    PictureBox::Shown obraz_;
};
