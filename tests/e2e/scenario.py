"""The scenario file pair read here on its own, and what the game window must show for a
situation: its picture, which choice labels hold text and which choice buttons are enabled."""

import struct

from desktop import Failure, check, wait_until
import pictures

KRO = 516
LIS = 22
KONIEC = 2
OFFERED = {0: 1, 1: 4, 2: 0, 3: 1, 4: 2, 5: 3}  # choices each type offers


def short_string(data, offset, capacity):
    return data[offset + 1:offset + 1 + min(data[offset], capacity)].decode("cp1250")


class Situation:
    def __init__(self, kro, lis):
        self.nazwa = short_string(kro, 0, 20)
        self.wybory = [short_string(kro, 21 + 46 * i, 45) for i in range(4)]
        self.opis = short_string(kro, 205, 250)
        self.bmp = short_string(kro, 456, 20)
        self.wav = short_string(kro, 477, 20)
        self.cele = list(struct.unpack_from("<4i", kro, 500))
        self.typ = lis[21]
        check(short_string(lis, 0, 20) == self.nazwa, f"list name differs for {self.nazwa}")


def read(kro_path):
    folder, _, name = kro_path.rpartition("/")
    lis_path = f"{folder}/{name.split('.')[0]}.lis"
    with open(kro_path, "rb") as f:
        kro = f.read()
    with open(lis_path, "rb") as f:
        lis = f.read()
    check(len(kro) == KRO * (len(lis) // LIS), "the two files hold different counts")
    return [Situation(kro[k * KRO:(k + 1) * KRO], lis[k * LIS:(k + 1) * LIS])
            for k in range(len(lis) // LIS)]


# The game window's controls (client coordinates).
PICTURE_BOX = (288, 24)
DESCRIPTION = (16, 16, 241, 145)
LABELS = [(60, 188, 293, 19), (60, 220, 293, 19), (60, 252, 293, 19), (60, 284, 293, 15)]
BUTTONS = [(16, 180 + 32 * i, 33, 29) for i in range(4)]
WYJSCIE = (397, 292)


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def button_enabled(image, i):
    """A choice button's digit is black when the button is enabled and grey when not."""
    x, y, w, h = BUTTONS[i]
    return image.darkest(x + 8, y + 6, w - 16, h - 12) < 60


def game_problems(image, situation, folder, enabled, face):
    """What the game window shows wrong for `situation`; an empty list when all is right."""
    problems = []
    for i, text in enumerate(situation.wybory):
        ink = image.ink(*LABELS[i])
        if bool(text) != (ink > 0):
            problems.append(f"label {i + 1} {'empty' if ink == 0 else 'shows text'}"
                            f" for {text!r}")
    for i in range(4):
        if button_enabled(image, i) != enabled[i]:
            problems.append(f"button {i + 1} {'enabled' if not enabled[i] else 'disabled'}")
    if bool(situation.opis) != (image.ink(*DESCRIPTION) > 0):
        problems.append("description")
    if situation.bmp:
        wrong = pictures.box_mismatches(image, *PICTURE_BOX,
                                        f"{folder}/Obrazki/{situation.bmp}", face)
        if wrong:
            problems.append(f"{len(wrong)} pixels of {situation.bmp} wrong, first {wrong[:3]}")
    elif pictures.plain_box(image, *PICTURE_BOX) != face:
        problems.append("the box is not plain")
    return problems


def enabled_after(typ, before):
    """The choice buttons a situation of type `typ` leaves enabled."""
    if typ == KONIEC or typ not in OFFERED:
        return before
    return [i < OFFERED[typ] for i in range(4)]


def expect_game(desktop, game, situation, folder, enabled, face):
    """Waits until the game window shows the situation; returns the screenshot."""
    last = []

    def shown(image):
        last[:] = game_problems(image, situation, folder, enabled, face)
        return not last
    try:
        return desktop.look(f'situation "{situation.nazwa}"', game, shown)
    except Failure as failure:
        raise Failure(f"{failure}: {'; '.join(last)}") from None


def start_game(desktop, zozozarov, kro):
    """Starts the player, chooses `kro` with "Wybór Scenariusza" and presses "&Start:"; gives
    the player's process and its game window."""
    proc = desktop.start("player", zozozarov)
    menu = desktop.window("Menu")
    desktop.click(menu, 128, 138)
    desktop.choose_file("Otwórz", kro)
    desktop.click(menu, 129, 79)
    return proc, desktop.window("Gra")


def learn_face(desktop, game):
    """The button-face colour: the whole box of a situation without a picture."""
    return wait_until("a plain picture box",
                      lambda: pictures.plain_box(desktop.screenshot(game), *PICTURE_BOX))


# --- the bytes of a scenario ------------------------------------------------------------------

TEXT_FIELDS = [(0, 20)] + [(21 + 46 * i, 45) for i in range(4)] + [(205, 250), (456, 20),
                                                                  (477, 20)]


def put_short_string(record, offset, capacity, text):
    data = text.encode("cp1250")
    check(len(data) <= capacity, f"{text!r} is longer than {capacity}")
    record[offset] = len(data)
    record[offset + 1:offset + 1 + len(data)] = data


def situation_record(nazwa, opis, wybory=("", "", "", ""), cele=(-1, -1, -1, -1), bmp="",
                     wav=""):
    record = bytearray(KRO)
    texts = [nazwa, *wybory, opis, bmp, wav]
    for (offset, capacity), text in zip(TEXT_FIELDS, texts):
        put_short_string(record, offset, capacity, text)
    struct.pack_into("<4i", record, 500, *cele)
    return bytes(record)


def list_record(nazwa, typ):
    record = bytearray(LIS)
    put_short_string(record, 0, 20, nazwa)
    record[21] = typ
    return bytes(record)


def meaningful(data, size):
    """The bytes of records of `size` with every byte that has no meaning set to zero: the
    bytes past a text's length and the situation record's two-byte gap."""
    out = bytearray(data)
    fields = TEXT_FIELDS if size == KRO else [(0, 20)]
    for start in range(0, len(out) - size + 1, size):
        for offset, capacity in fields:
            length = min(out[start + offset], capacity)
            out[start + offset + 1 + length:start + offset + 1 + capacity] = \
                bytes(capacity - length)
        if size == KRO:
            out[start + 498:start + 500] = b"\0\0"
    return bytes(out)


def first_difference(got, want, size):
    for i in range(max(len(got), len(want))):
        if i >= len(got) or i >= len(want) or got[i] != want[i]:
            return f"record {i // size}, byte {i % size}"
    return None
