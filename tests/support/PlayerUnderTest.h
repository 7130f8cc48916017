#pragma once
// The player's windows as the program builds them, over fakes for its boxes, dialog and sound.

#include "player/PlayerWindows.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/ScriptedFileDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

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
    TFoRpgGra& gra = windows.gra;
    TFoLista& lista = windows.lista;

    PlayerUnderTest() { menu.show(); }

    // "Wybór Scenariusza", the dialog answered with `path`.
    void choose(const QString& path) {
        dialog.answer(path);
        QTest::mouseClick(menu.BuPlansza, Qt::LeftButton);
    }
    // "&Start:".
    void start() { QTest::mouseClick(menu.BuStart, Qt::LeftButton); }
    // Choice button `n` (1 to 4).
    void press(int n) {
        QPushButton* buttons[] = {gra.BuWybor1, gra.BuWybor2, gra.BuWybor3, gra.BuWybor4};
        QTest::mouseClick(buttons[n - 1], Qt::LeftButton);
    }
    // "&Wyjście".
    void leave() { QTest::mouseClick(gra.BuWyjscie, Qt::LeftButton); }

    // The choice buttons, "1" enabled and "0" disabled: "1000" offers the first alone.
    QString buttons() const {
        QString s;
        for (auto* b : {gra.BuWybor1, gra.BuWybor2, gra.BuWybor3, gra.BuWybor4})
            s += b->isEnabled() ? u'1' : u'0';
        return s;
    }
    // Whether the game window shows no description and no choice text.
    bool cleared() const {
        return gra.MeOpis->toPlainText().isEmpty() && gra.LaWybor1->text().isEmpty() &&
               gra.LaWybor2->text().isEmpty() && gra.LaWybor3->text().isEmpty() &&
               gra.LaWybor4->text().isEmpty();
    }
};
