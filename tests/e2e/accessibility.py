"""The programs as a screen reader meets them, over the accessibility bus (AT-SPI): every
control of the player's and the editor's windows must carry a name, and the demo must play
from "Start" to an ending by accessibility actions alone, its description read through the
bus and announced by a description change at every step.

The test starts its own session bus and accessibility bus beside the desktop's X server and
ends them with it. It skips (exit code 77) only where pyatspi or the bus programs are missing."""

import importlib.util
import os
import select
import shutil
import sys
import time

SKIP = 77
SYSTEM_PYTHON = "/usr/bin/python3"  # Debian's python, with its pyatspi
BUS_LAUNCHERS = ["/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"]


def skip(reason):
    print(f"SKIP accessibility: {reason}")
    sys.exit(SKIP)


if importlib.util.find_spec("pyatspi") is None:
    # The python on PATH may lack the system's modules: run again under the system's.
    if os.path.exists(SYSTEM_PYTHON) and os.path.realpath(sys.executable) != \
            os.path.realpath(SYSTEM_PYTHON):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON, *sys.argv])
    skip("pyatspi is not installed (python3-pyatspi)")
BUS_LAUNCHER = next((p for p in BUS_LAUNCHERS if os.access(p, os.X_OK)), None)
if not shutil.which("dbus-daemon") or not BUS_LAUNCHER:
    skip("dbus-daemon or at-spi-bus-launcher is missing (dbus, at-spi2-core)")

from gi.repository import Gio, GLib  # noqa: E402 (pyatspi's own bindings)

import desktop as kit  # noqa: E402
import scenario  # noqa: E402

# Roles of the things a user reaches and works, each of which must have a name.
CONTROLS = {"push button", "toggle button", "check box", "radio button", "combo box", "text",
            "password text", "entry", "spin button", "slider", "list", "list box", "list item",
            "table", "tree table", "tree", "table cell", "column header",
            "table column header", "row header", "table row header", "page tab", "menu item"}
# Through this path the demo reaches an ending (the buttons pressed, by number).
PATH = [1, 3, 1, 1, 1, 2]
TIMEOUT = 15


class Bus:
    """A private session bus and the accessibility bus its launcher starts, run by the desktop:
    they end with it. Every process of theirs carries a mark, so that what the bus daemons
    started themselves ends too."""

    def __init__(self, d):
        self.mark = d.tmp
        read_end, write_end = os.pipe()
        d._spawn("session-bus", ["dbus-daemon", "--session", "--nofork",
                                 f"--print-address={write_end}"],
                 env=dict(d.env, KIT_E2E_BUS=self.mark), pass_fds=(write_end,))
        os.close(write_end)
        address = b""
        deadline = time.monotonic() + TIMEOUT
        while not address.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 256) if ready else b""
            if not chunk:
                break
            address += chunk
        os.close(read_end)
        kit.check(address.endswith(b"\n"), "the session bus did not start")
        self.address = address.strip().decode()
        self.env = {"DBUS_SESSION_BUS_ADDRESS": self.address, "KIT_E2E_BUS": self.mark,
                    # Qt turns its bridge on only for a screen reader, unless told always to.
                    "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1"}
        d._spawn("at-spi", [BUS_LAUNCHER, "--launch-immediately", "--a11y=1"],
                 env=dict(d.env, **self.env))
        # Until the launcher holds its name, a program asking for the bus would have the
        # session bus start a second one.
        session = Gio.DBusConnection.new_for_address_sync(
            self.address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)

        def launched():
            reply = session.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus", "NameHasOwner",
                                      GLib.Variant("(s)", ("org.a11y.Bus",)), None,
                                      Gio.DBusCallFlags.NONE, 5000, None)
            return reply.unpack()[0]
        kit.wait_until("the accessibility bus launcher", launched, TIMEOUT)
        session.close_sync(None)
        os.environ.update(DISPLAY=d.display, DBUS_SESSION_BUS_ADDRESS=self.address)

    def close(self):
        """Ends the processes the bus daemons started (the accessibility bus, the registry)."""
        mark = f"KIT_E2E_BUS={self.mark}".encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            if int(pid) == os.getpid():
                continue
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if mark in f.read().split(b"\0"):
                        os.kill(int(pid), 15)
            except OSError:
                pass


class Reader:
    """The test's screen reader: finds the programs' windows and controls on the bus."""

    def __init__(self):
        # pyatspi finds the accessibility bus through the session bus when it is first loaded.
        import pyatspi
        from gi.repository import Atspi
        self.pyatspi, self.atspi = pyatspi, Atspi
        self.descriptions = []  # (source's name, new description), as announced
        pyatspi.Registry.registerEventListener(
            self._heard, "object:property-change:accessible-description")

    def _heard(self, event):
        try:
            self.descriptions.append((event.source.name, event.source.description))
        except Exception:  # the source may have gone
            pass

    def pump(self):
        """Delivers the events that came in."""
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)

    def wait(self, what, probe, timeout=TIMEOUT):
        def pumped():
            self.pump()
            return probe()
        return kit.wait_until(what, pumped, timeout, interval=0.1)

    def application(self, name):
        def find():
            for app in self.pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == name:
                    # Names change at every step: read them afresh, never from a cache.
                    app.set_cache_mask(self.atspi.Cache.NONE)
                    return app
            return None
        return self.wait(f'the program "{name}" on the accessibility bus', find)

    def showing(self, obj):
        return obj.getState().contains(self.pyatspi.STATE_SHOWING)

    def window(self, app, title):
        return self.wait(f'the window "{title}" on the bus',
                         lambda: next((w for w in app if w is not None and w.name == title
                                       and self.showing(w)), None))

    def gone(self, app, title):
        self.wait(f'the window "{title}" to go',
                  lambda: not any(w is not None and w.name == title and self.showing(w)
                                  for w in app))

    def walk(self, obj):
        """The object and everything showing under it."""
        yield obj
        for child in obj:
            if child is not None and self.showing(child):
                yield from self.walk(child)

    def unnamed(self, window):
        """The controls of the window that a screen reader could not name."""
        found = []
        for obj in self.walk(window):
            role = obj.getRoleName()
            state = obj.getState()
            if (role in CONTROLS or state.contains(self.pyatspi.STATE_FOCUSABLE)) \
                    and not obj.name.strip():
                parent = obj.parent
                found.append(f"{role} (described {obj.description!r}) in "
                             f"{parent.getRoleName()} {parent.name!r}")
        return found

    def expect_named(self, window):
        missing = self.unnamed(window)
        kit.check(not missing, f'in "{window.name}" without a name: {missing}')

    def control(self, window, role, name):
        return self.wait(f'the {role} "{name}" in "{window.name}"',
                         lambda: next((o for o in self.walk(window)
                                       if o.getRoleName() == role and o.name == name), None))

    def press(self, window, name):
        button = self.control(window, "push button", name)
        kit.check(button.getState().contains(self.pyatspi.STATE_ENABLED),
                  f'the button "{name}" is disabled')
        action = button.queryAction()
        kit.check(action.nActions > 0 and action.doAction(0), f'"{name}" did not take its action')

    def text(self, obj):
        text = obj.queryText()
        return text.getText(0, text.characterCount)


def shown_description(opis):
    """A stored description as the game shows it: CR LF and a lone LF are one line break."""
    return opis.replace("\r\n", "\n")


def play(d, bus, reader, player, demo):
    situations = scenario.read(os.path.join(demo, "Zamek.Kro"))
    proc = d.start("player", player, bus.env, [os.path.join(demo, "Zamek.Kro")])
    app = reader.application("Zozozarov")
    menu = reader.window(app, "Menu")
    reader.expect_named(menu)

    reader.press(menu, "Twórcy")
    credits_ = reader.window(app, "Lista tworcow")
    reader.expect_named(credits_)
    reader.press(credits_, "OK")
    menu = reader.window(app, "Menu")

    reader.press(menu, "Start")
    game = reader.window(app, "Gra")
    reader.expect_named(game)
    description = reader.control(game, "text", "Opis sytuacji")
    picture = reader.control(game, "image", "Obrazek sytuacji")
    current = situations[1]
    for step, number in enumerate(PATH):
        expected = shown_description(current.opis)
        reader.wait(f'the description of "{current.nazwa}"',
                    lambda: reader.text(description) == expected)
        kit.check(picture.description == (current.bmp or "brak obrazka"),
                  f'the picture of "{current.nazwa}" is described as {picture.description!r}')
        reader.descriptions.clear()
        before = reader.text(description)
        reader.press(game, current.wybory[number - 1])
        current = situations[current.cele[number - 1]]
        reader.wait(f'a new description after step {step + 1} ("{current.nazwa}")',
                    lambda: reader.text(description) not in ("", before))
        kit.check(reader.text(description) == shown_description(current.opis),
                  f'"{current.nazwa}" shows the description {reader.text(description)!r}')
        reader.wait(f'the description of "{current.nazwa}" announced',
                    lambda: ("Opis sytuacji", shown_description(current.opis))
                    in reader.descriptions)
        d.ensure_running("player")

    kit.check(current.typ == scenario.KONIEC, "the path did not end the game")
    box = reader.window(app, "Zozozarov")  # "To juz koniec gry"
    reader.expect_named(box)
    kit.check(any(o.name == "To juz koniec gry" for o in reader.walk(box)),
              "the end box does not say the game is over")
    reader.press(box, "OK")
    reader.gone(app, "Zozozarov")
    for n in range(4):
        button = reader.control(game, "push button", current.wybory[n] or f"Wybór {n + 1}")
        kit.check(not button.getState().contains(reader.pyatspi.STATE_ENABLED),
                  "a choice is still offered after the end")

    reader.press(game, "Wyjście")
    menu = reader.window(app, "Menu")
    reader.press(menu, "Koniec")
    kit.wait_until("the player to end", lambda: proc.poll() is not None, timeout=TIMEOUT)
    kit.check(proc.returncode == 0, f"the player ended with code {proc.returncode}")


def edit(d, bus, reader, editor, demo):
    folder = os.path.join(d.tmp, "demo")
    shutil.copytree(demo, folder)
    d.start("editor", editor, bus.env, [os.path.join(folder, "Zamek.Kro")])
    app = reader.application("Diziru")
    main = reader.window(app, "Diziru tekstówek")
    grid = reader.control(main, "table", "Spis sytuacji")
    reader.wait("the grid's rows", lambda: grid.queryTable().nRows > 1)
    reader.expect_named(main)
    table = grid.queryTable()
    kit.check(table.getColumnHeader(1).name == "Typ", "the type column's header is not spoken")
    kit.check(table.getAccessibleAt(0, 1).name.startswith("typ "),
              "the type cell does not say the type")

    for button, title in [("Otwórz Bmp.", "Wybor pliku"), ("Sprawdź", "Sprawdzenie scenariusza"),
                          ("Mapa", "Mapa scenariusza")]:
        reader.press(main, button)
        window = reader.window(app, title)
        reader.expect_named(window)
        if title == "Wybor pliku":
            files = reader.control(window, "list", "Pliki obrazków")
            kit.check(files.childCount > 0, "the chooser lists no pictures")
            reader.press(window, "Cancel")
            reader.gone(app, title)
        d.ensure_running("editor")
    d.stop("editor")


def create_question(d, bus, reader, editor):
    """The question before a new scenario is made, heard in Polish whatever the desktop's
    language: its text, then "Tak", which makes the pair."""
    kro = os.path.join(d.tmp, "Nowy.Kro")
    d.start("new editor", editor, {**bus.env, "LANG": "C", "LC_ALL": "C"}, [kro])
    app = reader.application("Diziru")
    box = reader.window(app, "Open/New")
    heard = [reader.text(o) if "Text" in o.get_interfaces() else o.name
             for o in reader.walk(box) if o.getRoleName() == "label"]
    kit.check("Nowy.Kro\nTen plik nie istnieje.\nCzy chcesz go utworzyć?" in heard,
              f"the question reads {heard}")
    reader.control(box, "push button", "Nie")
    reader.press(box, "Tak")
    kit.wait_until("the new pair", lambda: os.path.exists(kro) and os.path.getsize(kro) == 2 * 516)
    reader.window(app, "Diziru tekstówek")
    d.stop("new editor")


def test(d, args):
    bus = Bus(d)
    try:
        reader = Reader()
        create_question(d, bus, reader, args.editor)
        play(d, bus, reader, args.player, args.demo)
        edit(d, bus, reader, args.editor, args.demo)
    finally:
        bus.close()


if __name__ == "__main__":
    kit.main("accessibility", ["player", "editor"], test)
