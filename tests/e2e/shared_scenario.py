"""The editor and the player open the same scenario at once: the player reads every step from
the files, so a situation that the editor saves while a game runs is what the game's next step
shows. Played on a copy of the demo: while the player shows "Brama zamku", the editor turns
"Dziedziniec" from four choices into two (Wybory2) and gives it the garden's picture."""

import os
import shutil

import desktop as kit
import editor as ed
import scenario


def test(d, diziru, zozozarov, demo):
    folder = os.path.join(d.tmp, "Zamek")
    shutil.copytree(demo, folder)
    kro = os.path.join(folder, "Zamek.Kro")
    before = scenario.read(kro)
    kit.check(before[2].typ == 1 and before[2].bmp == "dziedziniec.bmp",
              "the demo's situation 2 is no longer the four-way courtyard this test changes")

    _, game = scenario.start_game(d, zozozarov, kro)
    d.move(game, 570, 0)  # beside the editor: both are centred when they first show
    enabled = [True, False, False, False]
    scenario.expect_game(d, game, before[1], folder, enabled, None)

    d.start("editor", diziru)
    window = d.window(ed.TITLE)
    d.move(window, 0, 0)
    d.click(window, *ed.OTWORZ)
    d.choose_file("Open/New", kro)
    d.click(window, *ed.NASTEPNA)
    ed.fill(d, window, ed.TYP, "Wybory2")
    ed.attach_picture(d, window, 2)  # brama, dziedziniec, ogrod, ...
    ed.save(d, window, kro)

    after = scenario.read(kro)
    changed = after[2]
    kit.check((changed.typ, changed.bmp, changed.wybory[2:], changed.cele[2:]) ==
              (4, "ogrod.bmp", ["", ""], [-1, -1]), "the editor saved something else")
    kit.check(changed.wybory[:2] == before[2].wybory[:2], "the editor lost the first choices")

    d.click(game, *scenario.centre(scenario.BUTTONS[0]))
    scenario.expect_game(d, game, changed, folder, [True, True, False, False], None)
    kit.check(not d.windows("Zozozarov") and not d.windows("Diziru"), "a box appeared")
    d.ensure_running("editor")
    d.ensure_running("player")


if __name__ == "__main__":
    kit.main("shared_scenario", ["editor", "player"], lambda d, a: test(d, a.editor, a.player, a.demo))
