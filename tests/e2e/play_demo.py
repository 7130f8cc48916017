"""Plays the demo as a person would: "Wybór Scenariusza" opens in the demo's folder (as run.sh
sets it), "&Start:" begins, and the numbered buttons lead to an ending. At every step the
picture box must hold exactly the situation's picture, the labels its choice texts and the
buttons the choices its type offers; no other box may appear until "To juz koniec gry"."""

import os

import desktop as kit
import scenario

# Menu controls (client coordinates).
START = (129, 79)
PLANSZA = (128, 138)
KONIEC = (129, 173)
LABEL4 = (24, 96, 209, 15)

# Button pressed at each step: Brama zamku -> Dziedziniec -> Ogród -> Studnia -> Piwnica ->
# Skarbiec -> Chciwość. On the way: 24-bit, 8-bit, larger than the box, no picture, odd-sized
# and 4-bit RLE pictures, and every type of situation.
PATH = [1, 3, 1, 1, 1, 2]


def play_path(d, game, situations, folder):
    """From situation 1 along PATH to its ending, checking every situation shown on the way."""
    current = situations[1]
    enabled = [True, False, False, False]  # the start offers its first choice alone
    face = None
    scenario.expect_game(d, game, current, folder, enabled, face)
    for button in PATH:
        kit.check(not d.windows("Zozozarov"), f'a box appeared at "{current.nazwa}"')
        d.click(game, *scenario.centre(scenario.BUTTONS[button - 1]))
        current = situations[current.cele[button - 1]]
        if current.typ == scenario.KONIEC:
            d.dismiss("Zozozarov")  # "To juz koniec gry"
            enabled = [False] * 4
        enabled = scenario.enabled_after(current.typ, enabled)
        if not current.bmp and face is None:
            face = scenario.learn_face(d, game)
        scenario.expect_game(d, game, current, folder, enabled, face)
        d.ensure_running("player")
    kit.check(current.typ == scenario.KONIEC, "the path did not end the game")


def test(d, player, demo):
    situations = scenario.read(os.path.join(demo, "Zamek.Kro"))
    proc = d.start("player", player, {"KIT_SCENARIO_FOLDER": demo})
    menu = d.window("Menu")
    d.click(menu, *PLANSZA)
    d.choose_file("Otwórz", "Zamek.Kro")  # a bare name: the dialog opened in the demo's folder
    d.look("the chosen path in the menu", menu, lambda image: image.ink(*LABEL4) > 0)
    d.click(menu, *START)
    game = d.window("Gra")
    d.wait_closed("Menu")

    play_path(d, game, situations, demo)
    kit.check(not d.windows("Zozozarov"), "a box is still open after the end")

    d.click(game, *scenario.WYJSCIE)
    menu = d.window("Menu")
    d.wait_closed("Gra")
    d.click(menu, *KONIEC)
    kit.wait_until("the player to end", lambda: proc.poll() is not None, timeout=10)
    kit.check(proc.returncode == 0, f"the player ended with code {proc.returncode}")


if __name__ == "__main__":
    kit.main("play_demo", ["player"], lambda d, a: test(d, a.player, a.demo))
