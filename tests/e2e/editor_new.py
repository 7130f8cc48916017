"""Writes a new scenario in the editor as an author would, then plays it in the player.

"Otwórz/Nowy" creates Las.Kro; "Nowa" adds the ending "Polana" with a picture picked in the
chooser and then "Strumień" whose choice leads to it; situation 1 is pointed at "Strumień".
The two files must then hold exactly these four situations, and the player must play them
from the start through "Strumień" to the ending with its picture."""

import os
import shutil

import desktop as kit
import editor as ed
import scenario

START_TEXT = ("Default!!! poczatek gry...tak naprawde wstep,trzeba tu co wpisac np. opis "
              "postaci,ktora kierujesz")
END_TEXT = ("Default!!! Koniec gry dla slepych drog (niedopatrzenie scenarzysty).Jesli masz "
            "edytor sprawdz wszystkie drogi")
POLANA_TEXT = "Cicha polana w lesie. Tu kończy się droga."
STRUMIEN_TEXT = "Nad strumieniem śpiewa kos."
STRUMIEN_CHOICE = "Idź wzdłuż strumienia"


def expected_files():
    kro = b"".join([
        scenario.situation_record("Default Koniec", END_TEXT, cele=(0, 0, 0, 0)),
        scenario.situation_record("Poczatek", START_TEXT,
                                  ("Default!!! Zaczynamy gre?", "", "", ""), (3, -1, -1, -1)),
        scenario.situation_record("Polana", POLANA_TEXT, bmp="smok.bmp"),
        scenario.situation_record("Strumień", STRUMIEN_TEXT, (STRUMIEN_CHOICE, "", "", ""),
                                  (2, -1, -1, -1)),
    ])
    lis = b"".join([scenario.list_record("Default Koniec", 2),
                    scenario.list_record("Poczatek", 0), scenario.list_record("Polana", 2),
                    scenario.list_record("Strumień", 3)])
    return kro, lis


def write_scenario(d, diziru, kro):
    d.start("editor", diziru)
    window = d.window(ed.TITLE)
    d.click(window, *ed.OTWORZ)
    d.choose_file("Open/New", kro, create=True)
    kit.wait_until("the new pair", lambda: os.path.getsize(kro) == 2 * 516)

    d.click(window, *ed.NOWA)
    ed.fill(d, window, ed.NAZWA, "Polana")
    ed.fill(d, window, ed.TYP, "Koniec")
    ed.fill(d, window, ed.OPIS, POLANA_TEXT)
    ed.attach_picture(d, window, 1)  # the list: brama.bmp, smok.bmp
    ed.save(d, window, kro)

    d.click(window, *ed.NOWA)
    ed.fill(d, window, ed.NAZWA, "Strumień")
    ed.fill(d, window, ed.TYP, "Wybory1")
    ed.fill(d, window, ed.OPIS, STRUMIEN_TEXT)
    ed.fill(d, window, ed.WYBORY[0], STRUMIEN_CHOICE)
    ed.fill(d, window, ed.CELE[0], "polana")  # targets are found ignoring letter case
    ed.save(d, window, kro)

    d.click(window, *ed.POPRZEDNIA)
    d.click(window, *ed.POPRZEDNIA)
    ed.fill(d, window, ed.CELE[0], "Strumień")
    ed.save(d, window, kro)
    d.ensure_running("editor")
    d.stop("editor")


def play(d, zozozarov, kro, folder):
    situations = scenario.read(kro)
    proc, game = scenario.start_game(d, zozozarov, kro)
    enabled = [True, False, False, False]
    scenario.expect_game(d, game, situations[1], folder, enabled, scenario.learn_face(d, game))
    face = scenario.learn_face(d, game)
    d.click(game, *scenario.centre(scenario.BUTTONS[0]))
    scenario.expect_game(d, game, situations[3], folder, enabled, face)
    d.click(game, *scenario.centre(scenario.BUTTONS[0]))
    d.dismiss("Zozozarov")  # "To juz koniec gry"
    scenario.expect_game(d, game, situations[2], folder, [False] * 4, face)
    d.click(game, *scenario.WYJSCIE)
    d.click(d.window("Menu"), 129, 173)
    kit.wait_until("the player to end", lambda: proc.poll() is not None)
    kit.check(proc.returncode == 0, f"the player ended with code {proc.returncode}")


def test(d, diziru, zozozarov, demo):
    folder = os.path.join(d.tmp, "Gry")
    os.makedirs(os.path.join(folder, "Obrazki"))
    for name in ("brama.bmp", "smok.bmp"):
        shutil.copy(os.path.join(demo, "Obrazki", name), os.path.join(folder, "Obrazki"))
    kro = os.path.join(folder, "Las.Kro")

    write_scenario(d, diziru, kro)
    want_kro, want_lis = expected_files()
    got_kro, got_lis = ed.read(kro), ed.read(os.path.join(folder, "Las.lis"))
    kit.check(len(got_kro) == len(want_kro) and len(got_lis) == len(want_lis),
              f"the pair holds {len(got_kro)} and {len(got_lis)} bytes")
    for got, want, size in ((got_kro, want_kro, scenario.KRO), (got_lis, want_lis, scenario.LIS)):
        got = scenario.meaningful(got, size)
        kit.check(got == want, f"the files differ at {scenario.first_difference(got, want, size)}")
    play(d, zozozarov, kro, folder)


if __name__ == "__main__":
    kit.main("editor_new", ["editor", "player"], lambda d, a: test(d, a.editor, a.player, a.demo))
