"""The editor's controls (client coordinates) and the steps an author takes with them."""

import os
import time

import desktop as kit

TITLE = "Diziru tekstówek"
OTWORZ = (54, 15)
NAZWA = (138, 76)
TYP = (330, 76)
OPIS = (138, 155)
WYBORY = [(149, 236 + 25 * i) for i in range(4)]
CELE = [(380, 236 + 25 * i) for i in range(4)]
POPRZEDNIA = (318, 121)
NASTEPNA = (398, 121)
NOWA = (478, 121)
ZAPISZ = (318, 146)
BMP = (214, 361)

CHOOSER = "Wybor pliku"
CHOOSER_OK = (39, 122)


def chooser_entry(i):
    """The middle of the i-th name of the chooser's list (15 pixels a line)."""
    return 100, 4 + 2 + 15 * i + 7


def fill(d, window, field, text):
    """Clicks into a field, replaces its text and leaves it with Tab, which runs its check."""
    d.click(window, *field)
    d.key(window, "ctrl+a")
    d.type(window, text)
    d.key(window, "Tab")


def attach_picture(d, window, entry):
    """Opens the chooser with "Otwórz Bmp.", picks the entry-th file and presses OK."""
    d.click(window, *BMP)
    chooser = d.window(CHOOSER)
    time.sleep(0.3)
    d.click(chooser, *chooser_entry(entry))
    d.click(chooser, *CHOOSER_OK)
    d.wait_closed(CHOOSER)


def save(d, window, situations_file):
    """Presses "Zapisz" and waits for the situation file to change: a save that writes
    nothing fails here."""
    before = read(situations_file)
    d.click(window, *ZAPISZ)
    kit.wait_until("the save to reach the situation file",
                   lambda: read(situations_file) != before, timeout=5)
    kit.check(not d.windows("Diziru"), "the save showed a message")


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def demo_pair(folder):
    """Both files of the demo's scenario in `folder`, for comparing byte for byte."""
    return {name: open(os.path.join(folder, name), "rb").read()
            for name in ("Zamek.Kro", "Zamek.lis")}
