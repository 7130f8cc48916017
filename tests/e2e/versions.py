"""Versions kept by the real editor and one brought back: on a copy of the demo, the editor
saves a renamed situation, is closed, and started again saves another name; "Historia" (Ctrl+H)
lists the two versions kept before each session's first save, newest first; the oldest chosen
and "Przywróć" confirmed, the files are the demo's byte for byte, and `tekstowki versions`
lists the scenario as it was before the restore too."""

import json
import os
import shutil
import subprocess

import desktop as kit
import editor as ed


def test(d, args):
    folder = os.path.join(d.tmp, "Zamek")
    shutil.copytree(args.demo, folder)
    kro = os.path.join(folder, "Zamek.Kro")
    demo = ed.demo_pair(folder)

    for name in ("Brama glowna", "Brama stara"):
        d.stop("editor")
        d.start("editor", args.editor, args=[kro])
        window = d.window(ed.TITLE)
        d.move(window, 0, 0)
        before = ed.demo_pair(folder)
        ed.fill(d, window, ed.NAZWA, name)
        d.click(window, *ed.ZAPISZ)
        kit.wait_until(f'"{name}" to be saved', lambda: ed.demo_pair(folder) != before)
    saved = ed.demo_pair(folder)

    d.key(window, "ctrl+h")
    history = d.window("Historia – Zamek.Kro")
    d.move(history, 0, 0)
    d.click(history, 90, 36)  # the newest version; End then chooses the oldest
    d.key(history, "End")
    d.key(history, "alt+p")
    question = d.window("Diziru")
    d.key(question, "Left", "space")  # "Tak": "Nie" is the default button
    kit.wait_until("the first version to be brought back", lambda: ed.demo_pair(folder) == demo)

    listed = subprocess.run([args.cli, "versions", kro, "--json"], capture_output=True,
                            text=True, timeout=60, env=d.env)
    reasons = [v["reason"] for v in json.loads(listed.stdout)]
    kit.check(len(reasons) == 3 and reasons[0].startswith("przed przywróceniem wersji"),
              f"the versions are the two sessions' and the one before the restore: {reasons}")
    newest = json.loads(listed.stdout)[0]["id"]
    subprocess.run([args.cli, "restore", kro, newest], check=True, capture_output=True,
                   timeout=60, env=d.env)
    kit.check(ed.demo_pair(folder) == saved, "restoring the version kept before the restore "
              "gives the files as the editor left them")
    kit.check(sorted(os.listdir(folder)) == sorted(os.listdir(args.demo)),
              f"nothing is written beside the scenario: {sorted(os.listdir(folder))}")
    kit.check(d.windows(ed.TITLE), "the editor is still open")


if __name__ == "__main__":
    kit.main("versions", ["editor", "player", "cli"], test)
