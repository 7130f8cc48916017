"""Takes the README's screenshots of the demo under Xvfb (no window manager, so no frames):
python3 tools/demo/screenshots.py build docs"""

import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
import desktop as kit  # noqa: E402
import editor as ed  # noqa: E402
import scenario  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def shoot(d, wid, path):
    time.sleep(0.5)
    subprocess.run(["import", "-silent", "-window", str(wid), "-depth", "8", path],
                   env=d.env, check=True)
    print("wrote", path)


def take(d, build, docs):
    demo = os.path.join(ROOT, "scenariusze", "demo")
    d.start("player", os.path.join(build, "player", "Zozozarov"), {"KIT_SCENARIO_FOLDER": demo})
    menu = d.window("Menu")
    d.click(menu, 128, 138)
    d.choose_file("Otwórz", "Zamek.Kro")
    shoot(d, menu, os.path.join(docs, "menu.png"))
    d.click(menu, 129, 79)
    game = d.window("Gra")
    d.click(game, *scenario.centre(scenario.BUTTONS[0]))
    shoot(d, game, os.path.join(docs, "gra.png"))
    d.stop("player")

    # The editor writes only on a save, and none is made here.
    d.start("editor", os.path.join(build, "editor", "Diziru"))
    window = d.window(ed.TITLE)
    d.click(window, *ed.OTWORZ)
    d.choose_file("Open/New", os.path.join(demo, "Zamek.Kro"))
    for _ in range(5):
        d.click(window, *ed.NASTEPNA)
    shoot(d, window, os.path.join(docs, "edytor.png"))
    d.click(window, *ed.BMP)
    chooser = d.window(ed.CHOOSER)
    d.click(chooser, *ed.chooser_entry(1))
    shoot(d, chooser, os.path.join(docs, "pliki.png"))
    d.click(chooser, *ed.CHOOSER_OK)
    d.wait_closed(ed.CHOOSER)

    # The author's tools: the check window and the map, on the situation shown.
    d.click(window, 478, 146)  # "&Sprawdź"
    check = d.window("Sprawdzenie scenariusza")
    d.xdotool("windowsize", "--sync", check, 640, 240)
    shoot(d, check, os.path.join(docs, "sprawdz.png"))
    d.click(window, 478, 171)  # "&Mapa"
    chart = d.window("Mapa scenariusza")
    d.move(chart, 0, 0)
    d.xdotool("windowsize", "--sync", chart, 900, 700)
    d.key(chart, "0")  # the whole map in view
    shoot(d, chart, os.path.join(docs, "mapa.png"))
    d.stop("editor")

    # The grid's menu on "Schody wieży" (situation 3), and "Szukaj" with the hits of "klucz".
    d.start("editor", os.path.join(build, "editor", "Diziru"),
            args=[os.path.join(demo, "Zamek.Kro")])
    window = d.window(ed.TITLE)
    d.move(window, 0, 0)
    d.xdotool("mousemove", "--window", window, 338, 350 + 1 + 14 + 2 * 16 + 8)
    d.xdotool("click", "3")
    time.sleep(0.8)
    subprocess.run(["import", "-silent", "-window", "root", "-crop", "680x525+0+0", "-depth", "8",
                    os.path.join(docs, "menu-spisu.png")], env=d.env, check=True)
    d.xdotool("key", "Escape")
    d.key(window, "ctrl+f")
    find = d.window("Szukaj")
    d.move(find, 0, 0)
    d.type(find, "klucz")
    d.key(find, "Return")
    shoot(d, find, os.path.join(docs, "szukaj.png"))
    d.stop("editor")

    # "Historia" on a copy of the demo: the version kept before the first save, its
    # differences from the scenario as two saves left it.
    copy = os.path.join(d.tmp, "Zamek")
    shutil.copytree(demo, copy)
    d.start("editor", os.path.join(build, "editor", "Diziru"),
            args=[os.path.join(copy, "Zamek.Kro")])
    window = d.window(ed.TITLE)
    d.move(window, 0, 0)
    ed.fill(d, window, ed.NAZWA, "Brama północna")
    d.click(window, *ed.OPIS)
    d.key(window, "ctrl+End")
    d.type(window, " Strażnik śpi.")
    d.click(window, *ed.ZAPISZ)
    time.sleep(0.5)
    d.key(window, "ctrl+h")
    history = d.window("Historia – Zamek.Kro")
    d.move(history, 0, 0)
    d.click(history, 90, 36)
    shoot(d, history, os.path.join(docs, "historia.png"))


if __name__ == "__main__":
    kit.run("screenshots", lambda d: take(d, os.path.abspath(sys.argv[1]),
                                          os.path.abspath(sys.argv[2])))
