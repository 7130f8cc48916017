"""Both programs run from the unpacked package as its menu entries start them: the player,
given the installed demo by its entry's command line, plays it from the start to an ending,
checking every situation's picture, texts and choices on the way; the editor, given the same
file, shows the demo's situations. They run on a private X server (see tests/e2e/desktop.py)."""

import configparser
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import desktop as kit  # noqa: E402
import editor as ed  # noqa: E402
import play_demo  # noqa: E402
import scenario  # noqa: E402

import package as pkg  # noqa: E402

DEMO = "usr/share/tekstowki/scenariusze/demo"
# The editor's controls that only an open scenario fills (client coordinates): the name field
# and the grid's rows below situation 1.
NAME_FIELD = (6, 67, 260, 16)
GRID_ROWS = (282, 388, 150, 110)


def entry_command(root, entry, path):
    """The program and arguments the menu entry starts for `path`, the program taken from the
    unpacked package instead of the system's search path."""
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(os.path.join(root, "usr/share/applications", entry), encoding="utf-8")
    program, *args = parser["Desktop Entry"]["Exec"].split()
    return os.path.join(root, "usr/bin", program), [path if a == "%f" else a for a in args]


def play(d, root):
    demo = os.path.join(root, DEMO)
    kro = os.path.join(demo, "Zamek.Kro")
    situations = scenario.read(kro)
    program, args = entry_command(root, "io.github.tekstowki.Zozozarov.desktop", kro)
    proc = d.start("player", program, args=args)
    menu = d.window("Menu")
    d.look("the demo's path in the menu", menu, lambda image: image.ink(*play_demo.LABEL4) > 0)
    d.click(menu, *play_demo.START)
    game = d.window("Gra")
    d.wait_closed("Menu")

    play_demo.play_path(d, game, situations, demo)
    d.click(game, *scenario.WYJSCIE)
    d.click(d.window("Menu"), *play_demo.KONIEC)
    kit.wait_until("the player to end", lambda: proc.poll() is not None)
    kit.check(proc.returncode == 0, f"the player ended with code {proc.returncode}")


def edit(d, root):
    kro = os.path.join(root, DEMO, "Zamek.Kro")
    program, args = entry_command(root, "io.github.tekstowki.Diziru.desktop", kro)
    d.start("editor", program, args=args)
    window = d.window(ed.TITLE)
    d.look("the demo open in the editor", window,
           lambda image: image.ink(*NAME_FIELD) > 0 and image.ink(*GRID_ROWS) > 0)
    kit.check(not d.windows("Diziru"), "the editor showed a message")
    d.ensure_running("editor")


def test(d, root):
    play(d, root)
    edit(d, root)


if __name__ == "__main__":
    arguments = pkg.arguments()
    kit.run("package_programs", lambda d: test(d, pkg.root(arguments.out)))
