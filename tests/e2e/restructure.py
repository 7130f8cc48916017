"""A situation deleted from the grid's context menu and the delete undone: on a copy of the demo,
a right click on "Zapadnia" and "Usuń sytuację", the question answered "Tak"; the check then
finds exactly the road that led there, now sent to the default end; "Cofnij" gives back the
demo's files byte for byte."""

import json
import os
import shutil
import subprocess

import desktop as kit
import editor as ed

COFNIJ = (148, 15)
SPRAWDZ = (478, 146)
CHECK_TITLE = "Sprawdzenie scenariusza"
DELETED = 8  # "Zapadnia", an ending that only "Piwnica" (4) leads to, by its second choice


def grid_row(k):
    """The middle of situation k's row in the grid "Spis sytuacji" (the rows are 16 pixels high
    in the fonts of Debian, under a 14-pixel header)."""
    return 338, 350 + 1 + 14 + (k - 1) * 16 + 8


def findings(cli, kro):
    out = subprocess.run([cli, "check", kro, "--json"], capture_output=True, text=True,
                         timeout=60)
    return [(f["situation"], f["kind"]) for f in json.loads(out.stdout)["findings"]]


def test(d, args):
    folder = os.path.join(d.tmp, "Zamek")
    shutil.copytree(args.demo, folder)
    kro = os.path.join(folder, "Zamek.Kro")
    demo = ed.demo_pair(folder)
    kit.check(findings(args.cli, kro) == [], "the demo has no findings to begin with")

    d.start("editor", args.editor, args=[kro])
    window = d.window(ed.TITLE)
    d.move(window, 0, 0)
    x, y = grid_row(DELETED)
    d.xdotool("mousemove", "--window", window, x, y)
    d.xdotool("click", "3")
    # The menu, a window of the editor's with no title of its own, holds the keyboard while it
    # is open: its first item is "Usuń sytuację".
    _, pid = d.xdotool("getwindowpid", window)
    kit.wait_until("the grid's menu", lambda: len(d.xdotool(
        "search", "--onlyvisible", "--pid", pid.strip())[1].split()) > 1)
    d.xdotool("key", "--delay", 80, "Down", "Return")
    question = d.window("Diziru")
    d.key(question, "Left", "space")  # "Tak": "Nie" is the default button
    d.wait_closed("Diziru")

    kit.wait_until("the situation to be deleted", lambda: ed.demo_pair(folder) != demo)
    found = findings(args.cli, kro)
    kit.check([kind for _, kind in found] == ["TargetDefaultEnd"] and found[0][0] == 4,
              f"the check finds the road of Piwnica sent to the default end, not {found}")
    d.click(window, *SPRAWDZ)
    d.move(d.window(CHECK_TITLE), 0, 560)

    d.click(window, *COFNIJ)
    kit.wait_until("the delete to be undone", lambda: ed.demo_pair(folder) == demo)
    d.ensure_running("editor")


if __name__ == "__main__":
    kit.main("restructure", ["editor", "player", "cli"], test)
