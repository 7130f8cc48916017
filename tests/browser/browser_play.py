"""The exported page in a real browser: Debian's Chromium, headless, from the command line.

For the demo and the test scenarios: the page's seeded plays (its "#autoplay") must show what
the game model shows for the same seeds; a screenshot must show situation 1's picture as the
player's box draws it; the page must ask for nothing but itself; and on a phone-sized window
nothing may stick out sideways. A fragment that does not decode is ignored, and no link can
make an autoplay run long. A person's game ("#do=..."): Wstecz, restart asking first, the live
region, the focus, the game continued after the browser is closed and opened again (one
profile kept between runs), kept games of other exports or broken ones dropped, the sound
switch remembered. Also the title and language options and the exit statuses of "tekstowki
export-html".

usage: browser_play.py --tekstowki PATH --trace PATH --demo FOLDER
"""
import argparse
import base64
import html
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

SEEDS = "1,2,3,7,42,1000,4294967295"
STEPS = 60
WINDOW = (800, 600)
PHONE = (360, 740)


def chromium_binary():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    sys.exit("chromium is not installed (scripts/setup.sh installs it)")


class Browser:
    def __init__(self, work):
        self.binary = chromium_binary()
        self.work = work
        self.runs = 0

    def run(self, url, *extra, window=WINDOW, profile=None):
        """One headless Chromium run; `profile` keeps localStorage between runs."""
        self.runs += 1
        profile = profile or tempfile.mkdtemp(prefix="profile-", dir=self.work)
        command = [self.binary, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                   "--force-color-profile=srgb", "--force-device-scale-factor=1",
                   "--user-data-dir=" + profile, "--window-size=%d,%d" % window, *extra, url]
        try:
            done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  timeout=120)
        except subprocess.TimeoutExpired:
            sys.exit("chromium was still busy with %s after 120 s" % url)
        if done.returncode != 0:
            sys.exit("chromium failed (%d): %s" % (done.returncode, done.stderr.decode()[-2000:]))
        return done.stdout.decode("utf-8")

    def trace(self, page, fragment, *extra, window=WINDOW, profile=None):
        dom = self.run(page_url(page) + "#" + fragment, "--dump-dom", *extra, window=window,
                       profile=profile)
        found = re.search(r'<pre id="trace"[^>]*>(.*?)</pre>', dom, re.S)
        text = html.unescape(found.group(1)) if found else ""
        if not text:
            sys.exit("the page's script wrote no trace for #%s: it failed or never ran" % fragment)
        return json.loads(text)


def page_url(path):
    return "file://" + os.path.abspath(path)


def export(tekstowki, kro, out, *options):
    done = subprocess.run([tekstowki, "export-html", kro, "-o", out, *options],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return done.returncode, done.stderr.decode("utf-8")


def png_pixels(path):
    """An 8-bit RGB or RGBA PNG, not interlaced, as (width, height, rows of RGBA tuples)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    assert depth == 8 and channels and interlace == 0, "unsupported PNG %s" % (header,)
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xff
            elif kind == 2:
                line[i] = (line[i] + up) & 0xff
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xff
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc
                                      else corner)) & 0xff
        rows.append([tuple(line[x:x + channels]) + ((255,) if channels == 3 else ())
                     for x in range(0, stride, channels)])
        previous = line
    return width, height, rows


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAIL:", what)


def first_difference(page, model):
    for r, (a, b) in enumerate(zip(page, model)):
        for s, (x, y) in enumerate(zip(a["steps"], b["steps"])):
            if x != y:
                return "seed %s step %d:\n  page  %s\n  model %s" % (a["seed"], s, x, y)
        if a != b:
            return "seed %s: page %d steps, end %s; model %d steps, end %s" % (
                a["seed"], len(a["steps"]), a["end"], len(b["steps"]), b["end"])
    return "%d runs against %d" % (len(page), len(model))


def check_plays(checks, browser, trace_program, name, kro, page, *extra):
    shown = browser.trace(page, "autoplay=%s&steps=%d" % (SEEDS, STEPS), *extra)
    model = json.loads(subprocess.run([trace_program, "trace", kro, SEEDS, str(STEPS)],
                                      stdout=subprocess.PIPE, check=True).stdout)
    checks.expect(shown == model, "%s: the page plays as the game model does; %s"
                  % (name, first_difference(shown, model)))
    print("%s: %d seeded plays, %d steps" % (name, len(model),
                                            sum(len(run["steps"]) for run in model)))
    return model


def check_picture(checks, browser, trace_program, name, kro, page, work):
    expected_png = os.path.join(work, name + "-box.png")
    subprocess.run([trace_program, "box", kro, expected_png], check=True)
    shot = os.path.join(work, name + "-shot.png")
    browser.run(page_url(page), "--screenshot=" + shot)
    box = browser.trace(page, "layout")
    _, _, expected = png_pixels(expected_png)
    width, height, pixels = png_pixels(shot)
    left, top = round(box["x"]), round(box["y"])
    checks.expect(box["w"] == len(expected) and box["h"] == len(expected),
                  "%s: the picture box is %s x %s CSS pixels at scale 1" % (name, box["w"],
                                                                            box["h"]))
    compared = wrong = 0
    for y, row in enumerate(expected):
        for x, (r, g, b, a) in enumerate(row):
            if a != 255:
                continue  # the box's own face shows there
            compared += 1
            sr, sg, sb, _ = pixels[top + y][left + x]
            if max(abs(sr - r), abs(sg - g), abs(sb - b)) > 2:
                wrong += 1
    checks.expect(compared > 0, "%s: situation 1 has a picture to compare" % name)
    checks.expect(wrong == 0, "%s: %d of %d picture pixels differ from the player's box"
                  % (name, wrong, compared))
    print("%s: %d picture pixels compared in a %d x %d screenshot" % (name, compared, width,
                                                                      height))


def page_requests(browser, page, work, name):
    """The URLs the page's net log shows requested on a page's behalf; the browser's own
    requests (updates, time, accounts) carry no initiator and are not the page's."""
    log = os.path.join(work, name + "-net.json")
    browser.run(page_url(page) + "#autoplay=1", "--dump-dom", "--log-net-log=" + log)
    with open(log, encoding="utf-8") as f:
        net = json.load(f)
    start_job = net["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    jobs = [event.get("params", {}) for event in net["events"] if event["type"] == start_job]
    return sorted({job["url"] for job in jobs
                   if "url" in job and job.get("initiator") != "not an origin"})


def check_refused_sound(checks, model):
    """Situation 3 of the media scenario, a Wybory2, names a sound the player refuses: its
    error box shows after the missing picture's, and the step goes on to offer two choices."""
    steps = [step for run in model for step in run["steps"] if step["n"] == 3]
    checks.expect(steps, "media: a seeded play reaches the refused sound")
    for step in steps:
        checks.expect(step["o"] == [True, True, False, False] and len(step["m"]) == 2
                      and step["m"][0] == 'Nie masz obrazu "nie-ma.bmp"' and step["s"] is None,
                      "media: the refused sound lets the step go on: %s" % step)


def check_no_network(checks, browser, name, page, work):
    # A page that does ask for something outside itself shows that the log would tell.
    control = os.path.join(work, "control.html")
    with open(control, "w", encoding="utf-8") as f:
        f.write('<!DOCTYPE html><img src="http://example.invalid/obraz.png">')
    seen = page_requests(browser, control, work, "control")
    checks.expect(seen == ["http://example.invalid/obraz.png"],
                  "the net log shows a page's request to another host: %s" % seen)
    asked = page_requests(browser, page, work, name)
    foreign = [u for u in asked if not (u.startswith("file:") or u.startswith("data:"))]
    checks.expect(not foreign, "%s: the page asks for nothing outside itself, but asked for %s"
                  % (name, foreign[:5]))


def check_phone(checks, browser, name, page):
    box = browser.trace(page, "layout", window=PHONE)
    checks.expect(box["scrollWidth"] <= box["width"],
                  "%s: on a phone nothing sticks out sideways (%s > %s)"
                  % (name, box["scrollWidth"], box["width"]))
    checks.expect(box["x"] >= 0 and box["x"] + box["w"] <= box["width"] and box["w"] >= 128,
                  "%s: on a phone the picture box fits and is no smaller (%s)" % (name, box))


def opening(dom):
    """What a page shows when it opens: the description, the choices' texts, the buttons
    enabled, and the trace (empty when no autoplay ran)."""
    def text(pattern):
        found = re.search(pattern, dom, re.S)
        return html.unescape(found.group(1)) if found else None
    buttons = re.findall(r'<button class="wybor"[^>]*>', dom)
    return {"d": text(r'<div id="opis"[^>]*>(.*?)</div>'),
            "c": [text(r'<span class="etykieta" id="wybor%d">(.*?)</span>' % n)
                  for n in range(1, 5)],
            "o": ["disabled" not in b for b in buttons],
            "trace": text(r'<pre id="trace"[^>]*>(.*?)</pre>') or ""}


def check_fragments(checks, browser, page):
    """A fragment that does not decode is ignored whole: the page opens as with none."""
    plain = opening(browser.run(page_url(page), "--dump-dom"))
    checks.expect(plain["d"] and plain["o"] == [True, False, False, False],
                  "demo: the page opens at situation 1 offering choice 1: %s" % plain)
    for fragment in ("x=%ZZ", "autoplay=1&steps=%ZZ", "%E0%A4%A=1", "autoplay=%"):
        shown = opening(browser.run(page_url(page) + "#" + fragment, "--dump-dom"))
        checks.expect(shown == plain, "demo: #%s opens as with no fragment: %s" % (fragment,
                                                                                 shown))


def check_bounded_autoplay(checks, browser, trace_program, kro, page):
    """On a road that never ends, an autoplay takes at most 10 000 choices a seed and plays at
    most 20 seeds, however many a link asks for."""
    for fragment, seeds, steps in (("autoplay=1&steps=1e8", "1", 10000),
                                   ("autoplay=5&steps=Infinity", "5", 10000),
                                   ("autoplay=%s&steps=3" % ",".join(map(str, range(1, 31))),
                                    ",".join(map(str, range(1, 21))), 3)):
        shown = browser.trace(page, fragment)
        model = json.loads(subprocess.run([trace_program, "trace", kro, seeds, str(steps)],
                                          stdout=subprocess.PIPE, check=True).stdout)
        checks.expect(shown == model and all(len(run["steps"]) == steps + 1 for run in shown),
                      "petla: #%s plays %d seed(s) of %d choices; %s"
                      % (fragment[:40], len(model), steps, first_difference(shown, model)))
        print("petla: #%s played %d seed(s), %d steps" % (
            fragment[:40], len(shown), sum(len(run["steps"]) for run in shown)))


ZWSP = "\u200b"


def first_offered(state):
    """The element a step leaves the focus on: the first choice offered, else Wstecz, else
    "Zagraj od nowa"."""
    for n, on in enumerate(state["o"], 1):
        if on:
            return "przycisk%d" % n
    return "wstecz" if state["back"] else "odnowa"


def shown(state):
    return (state["n"], state["d"], state["o"])


def kept_path(state):
    return json.loads(state["stored"])["path"] if state["stored"] else None


def check_back(checks, browser, page, profile):
    """Three steps, then Wstecz and Backspace back to the start and once more: each shows the
    situation before as it was shown, the live region says each description, the focus goes
    to the first choice offered and the kept path follows."""
    trace = browser.trace(page, "do=1,2,1,back,bs,back,back", profile=profile)
    forward, backward = trace[:4], trace[4:]
    checks.expect([shown(s) for s in backward] == [shown(s) for s in forward[2::-1]] +
                  [shown(forward[0])], "back: each step back shows the one before: %s"
                  % [s["n"] for s in trace])
    checks.expect([s["back"] for s in trace] == [False, True, True, True, True, True, False,
                                                False],
                  "back: Wstecz is enabled exactly when a step was taken")
    path = [1]
    for before, state in zip(trace, trace[1:]):
        path = path + [state["n"]] if state["a"] in "12" else path[:-1] or [1]
        checks.expect(kept_path(state) == (path if len(path) > 1 else None),
                      "back: after %s the page keeps %s, not %s" % (state["a"], path,
                                                                    state["stored"]))
        checks.expect(state["f"] == first_offered(state),
                      "back: after %s the focus is on %s, not %s" % (state["a"],
                                                                   first_offered(state),
                                                                   state["f"]))
        checks.expect(state["live"] != before["live"] or not before["back"],
                      "back: the live region changes even for the same text (%s)" % state["a"])
    for state in trace:
        checks.expect(state["live"].replace(ZWSP, "") == state["d"] and state["box"] is None,
                      "back: the live region says the description: %r" % state["live"][:40])
    return trace[0]


def check_back_quiet(checks, browser, page):
    """Going back over steps whose situations showed messages (a missing sound, a refused
    picture) shows each situation again as it was left, without its messages."""
    trace = browser.trace(page, "do=1,ok,1,ok,ok,1,ok,2,ok,back,back,back")
    pairs = list(zip(trace, trace[1:]))
    steps = [s for s, after in pairs if after["a"] in "1234"]
    steps.append(next(s for s, after in pairs if after["a"] == "back"))
    backs = [s for s in trace if s["a"] == "back"]
    checks.expect(any(s["box"] for s in trace) and all(s["box"] is None for s in backs) and
                  [shown(s) for s in backs] == [shown(s) for s in steps[-2::-1]][:3],
                  "media: Wstecz shows each situation without its messages: %s"
                  % [(s["a"], s["n"], s["box"]) for s in trace])


def check_live_repeats(checks, browser, page):
    """A situation that leads to itself: the live region says the same description at each
    step, and its text differs from the step before so that it is read again."""
    trace = browser.trace(page, "do=1,1,back")
    checks.expect(len({s["d"] for s in trace}) == 1 and
                  all(s["live"].replace(ZWSP, "") == s["d"] for s in trace) and
                  all(a["live"] != b["live"] for a, b in zip(trace, trace[1:])),
                  "petla: the same description is announced again: %s"
                  % [s["live"] for s in trace])


def check_no_storage(checks, browser, page):
    """A page given no localStorage (a data: URL has none: every use throws) still plays, goes
    back and switches the sound; it just keeps nothing."""
    with open(page, "rb") as f:
        url = "data:text/html;base64," + base64.b64encode(f.read()).decode("ascii")
    dom = browser.run(url + "#do=1,back,mute", "--dump-dom")
    found = re.search(r'<pre id="trace"[^>]*>(.*?)</pre>', dom, re.S)
    trace = json.loads(html.unescape(found.group(1))) if found else []
    checks.expect([(s["a"], s["back"], s["muted"], s["stored"]) for s in trace] ==
                  [("open", False, False, None), ("1", True, False, None),
                   ("back", False, False, None), ("mute", False, True, None)] and
                  shown(trace[2]) == shown(trace[0]),
                  "drogi: without localStorage the page plays on: %s" % trace)


def check_continue(checks, browser, page, profile):
    """A game played in one run is where it was in the next, and Wstecz still goes back."""
    played = browser.trace(page, "do=1,2", profile=profile)
    reopened = opening(browser.run(page_url(page), "--dump-dom", profile=profile))
    checks.expect((reopened["d"], reopened["o"]) == (played[-1]["d"], played[-1]["o"]),
                  "continue: the page opened again shows the situation left: %s" % reopened)
    again = browser.trace(page, "do=back", profile=profile)
    checks.expect(shown(again[0]) == shown(played[-1]) and again[0]["back"],
                  "continue: the trace opens where the game was left")
    checks.expect(shown(again[1]) == shown(played[1]) and
                  kept_path(again[1]) == [1, played[1]["n"]],
                  "continue: Wstecz goes back after opening again: %s" % again[1])
    return again[-1]


def check_restart(checks, browser, page, profile, kept, fresh):
    """"Zagraj od nowa" asks while a game is under way: Nie and Escape keep the game, Tak
    starts again and forgets it; at the start it asks nothing."""
    trace = browser.trace(page, "do=restart,no,restart,esc,restart,yes,restart",
                          profile=profile)
    for state in trace[1:6:2]:
        checks.expect(state["box"] and state["f"] == "komunikat-nie" and
                      state["stored"] == kept["stored"],
                      "restart: the page asks first, the focus on Nie: %s" % state)
    for state in trace[2:5:2]:
        checks.expect(state["box"] is None and shown(state) == shown(kept) and
                      state["stored"] == kept["stored"] and state["f"] == first_offered(state),
                      "restart: %s keeps the game: %s" % (state["a"], state))
    for state in trace[6:]:
        checks.expect(state["box"] is None and shown(state) == shown(fresh) and
                      state["stored"] is None and not state["back"],
                      "restart: %s starts again and forgets the game: %s" % (state["a"], state))


def plant(browser, page, profile, value):
    """Puts `value` where the page keeps its game, from another page of the same origin."""
    with open(page, encoding="utf-8") as f:
        key = json.loads(re.search(r'id="scenario">(.*?)</script>', f.read(), re.S)
                         .group(1))["key"]
    planter = os.path.join(os.path.dirname(page), "plant.html")
    with open(planter, "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html><script>localStorage.setItem(%s, %s)</script>"
                % (json.dumps("tekstowki:gra:" + key), json.dumps(value)))
    browser.run(page_url(planter), "--dump-dom", profile=profile)


def check_dropped(checks, browser, tekstowki, page, profile, fresh, demo, other):
    """A kept game that is not a play of this scenario is dropped and the game starts; a page
    exported from another scenario to the same file neither continues nor removes it."""
    # A play of the demo (the gate and the courtyard and back, again and again) one step
    # longer than the page keeps.
    too_long = '{"v":1,"path":[1' + ",2,1" * 50000 + "]}"
    for value in ("{", '{"v":2,"path":[1,2]}', '{"v":1,"path":[1,99999]}', too_long):
        plant(browser, page, profile, value)
        state = browser.trace(page, "do=", profile=profile)[0]
        checks.expect(shown(state) == shown(fresh) and state["stored"] is None,
                      "dropped: %s... is dropped and the game starts: %.300s"
                      % (value[:40], state))
    kept = browser.trace(page, "do=1", profile=profile)[-1]
    export(tekstowki, other, page)
    state = browser.trace(page, "do=", profile=profile)[0]
    checks.expect(state["n"] == 1 and state["stored"] is None and not state["back"],
                  "dropped: another scenario's page starts its own game: %s" % state)
    export(tekstowki, demo, page)
    state = browser.trace(page, "do=", profile=profile)[0]
    checks.expect(shown(state) == shown(kept) and state["stored"] == kept["stored"],
                  "dropped: the first scenario's game is still kept: %s" % state)


def check_mute(checks, browser, page, profile):
    """The sound switch is remembered after the browser is closed."""
    switched = browser.trace(page, "do=mute", profile=profile)
    reopened = browser.trace(page, "do=mute", profile=profile)
    checks.expect([s["muted"] for s in switched + reopened] == [False, True, True, False],
                  "mute: the switch is remembered: %s" % [s["muted"] for s in
                                                           switched + reopened])


def check_game(checks, browser, tekstowki, page, demo, other):
    profile = tempfile.mkdtemp(prefix="kept-", dir=browser.work)
    fresh = check_back(checks, browser, page, profile)
    kept = check_continue(checks, browser, page, profile)
    check_restart(checks, browser, page, profile, kept, fresh)
    check_dropped(checks, browser, tekstowki, page, profile, fresh, demo, other)
    check_mute(checks, browser, page, profile)


def check_title(checks, browser, tekstowki, kro, work):
    """--title and --lang reach the page whole; a language that is no tag is a usage error."""
    page = os.path.join(work, "tytul.html")
    title = "Zamek </script><b>&amp; „<”"
    status, _ = export(tekstowki, kro, page, "--title", title, "--lang", "en-GB")
    dom = browser.run(page_url(page), "--dump-dom")
    heading = re.search(r'<h1 id="tytul">(.*?)</h1>', dom, re.S)
    checks.expect(status == 0 and heading and html.unescape(heading.group(1)) == title and
                  '<html lang="en-GB">' in dom and opening(dom)["d"],
                  "title: the heading and language are the ones given")
    for lang in ("", "pl_PL", "pl\"><script>"):
        status, _ = export(tekstowki, kro, os.path.join(work, "zly.html"), "--lang", lang)
        checks.expect(status == 2 and not os.path.exists(os.path.join(work, "zly.html")),
                      "title: --lang %r is refused with 2 (%d)" % (lang, status))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tekstowki", required=True)
    parser.add_argument("--trace", required=True)
    parser.add_argument("--demo", required=True)
    options = parser.parse_args()

    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="browser-") as work:
        browser = Browser(work)
        scenarios = os.path.join(work, "scenariusze")
        subprocess.run([options.trace, "scenarios", scenarios], check=True)
        cases = [("demo", os.path.join(options.demo, "Zamek.Kro")),
                 ("drogi", os.path.join(scenarios, "drogi", "Drogi.Kro")),
                 ("media", os.path.join(scenarios, "media", "Media.Kro")),
                 ("pusty", os.path.join(scenarios, "pusty", "Pusty.Kro"))]
        for name, kro in cases:
            page = os.path.join(work, name + ".html")
            status, warning = export(options.tekstowki, kro, page)
            checks.expect(status == 0, "%s: exported (status %d: %s)" % (name, status, warning))
            checks.expect((name == "demo") == (warning == ""),
                          "%s: a warning on stderr exactly when the check finds errors: %r"
                          % (name, warning))
            model = check_plays(checks, browser, options.trace, name, kro, page)
            if name == "demo":
                checks.expect(all(run["end"] for run in model),
                              "demo: every seeded play reaches an ending")
                check_picture(checks, browser, options.trace, name, kro, page, work)
                check_no_network(checks, browser, name, page, work)
                check_phone(checks, browser, name, page)
                check_fragments(checks, browser, page)
                check_game(checks, browser, options.tekstowki, page, kro,
                           os.path.join(scenarios, "drogi", "Drogi.Kro"))
                check_title(checks, browser, options.tekstowki, kro, work)
            if name == "drogi":
                check_no_storage(checks, browser, page)
            if name == "media":
                check_picture(checks, browser, options.trace, name, kro, page, work)
                check_refused_sound(checks, model)
                check_back_quiet(checks, browser, page)
                # Sounds that really start, in a browser with no audio output to play them on.
                check_plays(checks, browser, options.trace, "media, sounds started", kro, page,
                            "--autoplay-policy=no-user-gesture-required",
                            "--disable-audio-output")

        loop = os.path.join(scenarios, "petla", "Petla.Kro")
        loop_page = os.path.join(work, "petla.html")
        status, warning = export(options.tekstowki, loop, loop_page)
        checks.expect(status == 0, "petla: exported (status %d: %s)" % (status, warning))
        check_bounded_autoplay(checks, browser, options.trace, loop, loop_page)
        check_live_repeats(checks, browser, loop_page)

        missing, _ = export(options.tekstowki, os.path.join(work, "nie-ma.Kro"),
                            os.path.join(work, "x.html"))
        checks.expect(missing == 2 and not os.path.exists(os.path.join(work, "x.html")),
                      "a missing scenario fails with status 2 and writes nothing")
        unwritable, _ = export(options.tekstowki, cases[0][1],
                               os.path.join(work, "nie-ma", "gra.html"))
        checks.expect(unwritable == 2, "a page that cannot be written fails with status 2")
        print("chromium runs: %d" % browser.runs)
    if checks.failures:
        sys.exit("%d check(s) failed" % len(checks.failures))
    print("all checks passed")


if __name__ == "__main__":
    main()
