"""A private desktop for the end-to-end tests: an Xvfb server with no window manager, a
PulseAudio null sink, the programs started in it, and the hands and eyes of a person: xdotool
clicks and keys at the controls' positions, and `import` screenshots read pixel by pixel.

Every process started here dies with the test: each one gets the kernel's parent-death signal,
and the desktop ends them, in reverse order, when the test leaves its `with` block."""

import argparse
import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCREEN = "1024x768x24"


class Failure(Exception):
    """A check of an end-to-end test did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, probe, timeout=10.0, interval=0.1):
    """Calls probe() until it returns something true and returns that; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def _die_with_parent():
    # PR_SET_PDEATHSIG: the child is killed when the test script dies, however it dies.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)


class Image:
    """A screenshot: width x height pixels of (r, g, b)."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def region(self, x, y, w, h):
        return [[self.pixel(x + i, y + j) for i in range(w)] for j in range(h)]

    def ink(self, x, y, w, h, darker_than=110):
        """Pixels of the rectangle darker than the given grey level: text drawn there."""
        return sum(1 for row in self.region(x, y, w, h) for p in row if max(p) < darker_than)

    def darkest(self, x, y, w, h):
        return min(max(p) for row in self.region(x, y, w, h) for p in row)


def parse_ppm(data):
    match = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", data)
    check(match is not None, "screenshot is not a PPM image")
    width, height, maxval = (int(g) for g in match.groups())
    check(maxval == 255, f"screenshot has {maxval} levels per channel, not 255")
    return Image(width, height, data[match.end():match.end() + 3 * width * height])


class Desktop:
    def __init__(self, name):
        self.name = name
        self.tmp = tempfile.mkdtemp(prefix=f"kit-e2e-{name}-")
        self.processes = []  # (label, Popen), in start order
        self.env = None
        self.display = None

    # --- lifetime ---------------------------------------------------------------------------

    def __enter__(self):
        # ctest ends a test that runs too long with a signal: leave through the clean-up.
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(sig, lambda *_: sys.exit(f"{self.name}: stopped by a signal"))
        try:
            self._start_x()
            self._start_sound()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for label, proc in reversed(self.processes):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        self.processes.clear()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def _spawn(self, label, args, env=None, **kwargs):
        log = open(os.path.join(self.tmp, f"{label}.log"), "wb")
        proc = subprocess.Popen(args, env=env or self.env, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT, preexec_fn=_die_with_parent, **kwargs)
        self.processes.append((label, proc))
        return proc

    def _start_x(self):
        check(shutil.which("Xvfb") and shutil.which("xdotool") and shutil.which("import"),
              "the end-to-end tests need Xvfb, xdotool and ImageMagick's import")
        read_end, write_end = os.pipe()
        # -displayfd: the server takes the first free display and tells its number.
        self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
                             "-dpi", "96", "-nolisten", "tcp", "-noreset"],
                    env=os.environ.copy(), pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        check(number.strip().isdigit(), "Xvfb did not start")
        self.display = ":" + number.strip().decode()

        home = os.path.join(self.tmp, "home")
        runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("QT_", "XDG_", "DBUS_", "WAYLAND"))}
        self.env.update(DISPLAY=self.display, QT_QPA_PLATFORM="xcb", HOME=home,
                        XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        NO_AT_BRIDGE="1", QT_ACCESSIBILITY="0")

    def _start_sound(self):
        """Without a sink every sound of a scenario is an error box; test.sh's sink is used
        when there is one, otherwise the desktop starts its own."""
        if os.environ.get("PULSE_SERVER") and os.environ.get("KIT_TEST_SINK"):
            self.env["PULSE_SERVER"] = os.environ["PULSE_SERVER"]
            return
        check(shutil.which("pulseaudio") and shutil.which("pactl"),
              "the end-to-end tests need pulseaudio and pactl for a null sink")
        folder = os.path.join(self.tmp, "pulse")
        for sub in ("home", "runtime"):
            os.makedirs(os.path.join(folder, sub), mode=0o700)
        socket = os.path.join(folder, "native")
        env = dict(self.env, HOME=os.path.join(folder, "home"),
                   XDG_RUNTIME_DIR=os.path.join(folder, "runtime"), DBUS_SESSION_BUS_ADDRESS="")
        self._spawn("pulseaudio", [
            "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "-n",
            "--use-pid-file=no", "--disable-shm=yes",
            "--load=module-null-sink sink_name=kit_e2e_sink",
            f"--load=module-native-protocol-unix socket={socket} auth-anonymous=1"], env=env)
        server = f"unix:{socket}"

        def ready():
            return subprocess.run(["pactl", "info"], env=dict(env, PULSE_SERVER=server),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  timeout=5).returncode == 0
        wait_until("the private PulseAudio server", ready, timeout=15, interval=0.2)
        self.env["PULSE_SERVER"] = server

    # --- programs ---------------------------------------------------------------------------

    def start(self, label, binary, extra_env=None, args=()):
        return self._spawn(label, [binary, *args], env=dict(self.env, **(extra_env or {})))

    def log(self, label):
        try:
            with open(os.path.join(self.tmp, f"{label}.log"), "rb") as f:
                return f.read().decode(errors="replace")
        except OSError:
            return ""

    def ensure_running(self, label):
        for name, proc in self.processes:
            if name == label:
                check(proc.poll() is None,
                      f"{label} ended (code {proc.returncode}):\n{self.log(label)}")

    # --- eyes -------------------------------------------------------------------------------

    def xdotool(self, *args, timeout=10):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, timeout=timeout,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return result.returncode, result.stdout.decode()

    def windows(self, title):
        """Visible windows whose title is exactly `title`."""
        code, out = self.xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$")
        return [int(w) for w in out.split()] if code == 0 else []

    def window(self, title, timeout=10):
        """The one visible window of that title, once it is there."""
        found = wait_until(f'the window "{title}"', lambda: self.windows(title), timeout)
        check(len(found) == 1, f'{len(found)} windows "{title}" at once')
        return found[0]

    def wait_closed(self, title, timeout=10):
        wait_until(f'the window "{title}" to close', lambda: not self.windows(title), timeout)

    def geometry(self, wid):
        code, out = self.xdotool("getwindowgeometry", "--shell", wid)
        check(code == 0, f"window {wid} has gone")
        values = dict(line.split("=", 1) for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def screenshot(self, wid):
        result = subprocess.run(["import", "-silent", "-window", str(wid), "-depth", "8", "ppm:-"],
                                env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=20)
        check(result.returncode == 0, f"import failed: {result.stderr.decode()}")
        return parse_ppm(result.stdout)

    def look(self, what, wid, condition, timeout=15):
        """Takes screenshots of the window until condition(image) holds; returns the image."""
        last = []

        def probe():
            last[:] = [self.screenshot(wid)]
            return condition(last[0])
        try:
            wait_until(what, probe, timeout, interval=0.2)
        except Failure:
            path = os.path.join(tempfile.gettempdir(), f"kit-e2e-{self.name}-failed.ppm")
            self._save(last[0], path) if last else None
            raise Failure(f"timed out waiting for {what} (last screenshot: {path})")
        return last[0]

    @staticmethod
    def _save(image, path):
        with open(path, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (image.width, image.height) + bytes(image.rgb))

    # --- hands ------------------------------------------------------------------------------

    def click(self, wid, x, y, count=1):
        """Clicks at (x, y) of the window's client area. Without a window manager the window
        has no frame, so that is the window's own origin. The pointer is moved without --sync,
        which never returns when the pointer is already there."""
        self.xdotool("mousemove", "--window", wid, x, y)
        time.sleep(0.05)
        self.xdotool("click", "--repeat", count, "--delay", 80, 1)
        time.sleep(0.1)

    def focus(self, wid):
        # With no window manager the keys go to the window under the pointer unless the
        # window is given the keyboard.
        self.xdotool("windowfocus", "--sync", wid)

    def key(self, wid, *keys):
        self.focus(wid)
        self.xdotool("key", "--delay", 40, *keys)
        time.sleep(0.1)

    def type(self, wid, text):
        self.focus(wid)
        self.xdotool("type", "--delay", 30, text, timeout=30)
        time.sleep(0.1)

    def dismiss(self, title, timeout=10):
        """Closes the message box of that title with Enter (its OK button)."""
        box = self.window(title, timeout)
        self.key(box, "Return")
        self.wait_closed(title)

    def choose_file(self, title, path, create=False):
        """Types a full path into the Qt file dialog of that title and accepts it; with
        `create`, also answers "Tak" when the dialog asks whether to create the file: its
        access key is Alt+T only when the question and its buttons are in Polish."""
        dialog = self.window(title)
        self.key(dialog, "ctrl+a")
        self.type(dialog, path)
        time.sleep(0.3)
        self.key(dialog, "Return")
        if create:
            question = wait_until("the question whether to create the file",
                                  lambda: [w for w in self.windows(title) if w != dialog])
            self.key(question[0], "alt+t")
        else:
            # The name's completion list may take the first Enter.
            try:
                wait_until(f'the dialog "{title}" to close', lambda: not self.windows(title),
                           timeout=1.5)
            except Failure:
                print("the completion list took the first Enter")
                self.key(dialog, "Return")
        self.wait_closed(title)

    def move(self, wid, x, y):
        """Puts a window elsewhere on the screen (no window manager places them)."""
        self.xdotool("windowmove", "--sync", wid, x, y)

    def stop(self, label):
        """Ends a program that has no way of its own to be closed without a window manager."""
        for name, proc in self.processes:
            if name == label and proc.poll() is None:
                proc.terminate()
                proc.wait(timeout=10)

    def titles(self):
        _, out = self.xdotool("search", "--onlyvisible", "--name", ".")
        return sorted(self.xdotool("getwindowname", w)[1].strip() for w in out.split())


def run(name, test):
    """Runs test(desktop) on a fresh desktop; prints the outcome and exits 0 or 1."""
    started = time.monotonic()
    try:
        with Desktop(name) as desktop:
            try:
                test(desktop)
            except Failure:
                print(f"visible windows: {desktop.titles()}")
                for label, _ in desktop.processes:
                    print(f"--- {label} output:\n{desktop.log(label)}")
                raise
    except Failure as failure:
        print(f"FAIL {name}: {failure}")
        sys.exit(1)
    print(f"PASS {name} ({time.monotonic() - started:.1f} s)")


def main(name, programs, test):
    """Reads the programs' paths (--player, --editor: those `programs` names) and --demo from the
    command line, then runs test(desktop, args) as run() does."""
    parser = argparse.ArgumentParser()
    for program in programs:
        parser.add_argument(f"--{program}", required=True)
    parser.add_argument("--demo", required=True)
    args = parser.parse_args()
    args.demo = os.path.abspath(args.demo)
    run(name, lambda desktop: test(desktop, args))
