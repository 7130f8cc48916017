#pragma once
// The player's windows as the program builds them, over fakes for its boxes, dialog and sound.

#include "player/PlayerWindows.h"
#include "tests/support/Child.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/ScriptedFileDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>

// `Boxes` and `Files` are the message boxes and record files the test wants; the menu is
// shown at once. Who includes this links the player's library.
template <class Boxes, class Files> struct PlayerUnderTest {
    Boxes boxes;
    ScriptedFileDialog dialog;
    Files files;
    std::shared_ptr<FakeSoundLog> sound = std::make_shared<FakeSoundLog>();
    int terminated = 0; // how many times the program was told to end
    PlayerServices services{boxes, dialog, files, FakeSoundDevice::factory(sound)};
    PlayerWindows windows{services, [this] { ++terminated; }};
    TFoRPGMenu& menu = windows.menu;
    TFoRpgGra& gra = windows.gra();
    TFoLista& lista = windows.lista();

    PlayerUnderTest() { menu.show(); }

    // "Wybór Scenariusza", the dialog answered with `path`.
    void choose(const QString& path) {
        dialog.answer(path);
        QTest::mouseClick(child<QPushButton>(menu, "BuPlansza"), Qt::LeftButton);
    }
    // "&Start:".
    void start() { QTest::mouseClick(child<QPushButton>(menu, "BuStart"), Qt::LeftButton); }
    // Choice button `n` (1 to 4), and the label of its text.
    QPushButton* choice(int n) const {
        return child<QPushButton>(gra, ("BuWybor" + std::to_string(n)).c_str());
    }
    QLabel* choiceText(int n) const {
        return child<QLabel>(gra, ("LaWybor" + std::to_string(n)).c_str());
    }
    // The situation's description.
    QPlainTextEdit* description() const { return child<QPlainTextEdit>(gra, "MeOpis"); }
    void press(int n) { QTest::mouseClick(choice(n), Qt::LeftButton); }
    // "&Wyjście".
    void leave() { QTest::mouseClick(child<QPushButton>(gra, "BuWyjscie"), Qt::LeftButton); }

    // The choice buttons, "1" enabled and "0" disabled: "1000" offers the first alone.
    QString buttons() const {
        QString s;
        for (int n = 1; n <= 4; ++n)
            s += choice(n)->isEnabled() ? u'1' : u'0';
        return s;
    }
    // Whether the game window shows no description and no choice text.
    bool cleared() const {
        return description()->toPlainText().isEmpty() && choiceText(1)->text().isEmpty() &&
               choiceText(2)->text().isEmpty() && choiceText(3)->text().isEmpty() &&
               choiceText(4)->text().isEmpty();
    }
};
