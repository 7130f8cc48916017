"""The exported page in a real browser: Debian's Chromium, headless, from the command line.

For the demo and the test scenarios: the page's seeded plays (its "#autoplay") must show what
the game model shows for the same seeds; a screenshot must show situation 1's picture as the
player's box draws it; the page must ask for nothing but itself; and on a phone-sized window
nothing may stick out sideways. A fragment that does not decode is ignored, and no link can
make an autoplay run long. Also the exit statuses of "tekstowki export-html".

usage: browser_play.py --tekstowki PATH --trace PATH --demo FOLDER
"""
import argparse
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

    def run(self, url, *extra, window=WINDOW):
        self.runs += 1
        profile = tempfile.mkdtemp(prefix="profile-", dir=self.work)
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

    def trace(self, page, fragment, *extra, window=WINDOW):
        dom = self.run(page_url(page) + "#" + fragment, "--dump-dom", *extra, window=window)
        found = re.search(r'<pre id="trace"[^>]*>(.*?)</pre>', dom, re.S)
        text = html.unescape(found.group(1)) if found else ""
        if not text:
            sys.exit("the page's script wrote no trace for #%s: it failed or never ran" % fragment)
        return json.loads(text)


def page_url(path):
    return "file://" + os.path.abspath(path)


def export(tekstowki, kro, out):
    done = subprocess.run([tekstowki, "export-html", kro, "-o", out], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE)
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
            if name == "media":
                check_picture(checks, browser, options.trace, name, kro, page, work)
                check_refused_sound(checks, model)
                # Sounds that really start, in a browser with no audio output to play them on.
                check_plays(checks, browser, options.trace, "media, sounds started", kro, page,
                            "--autoplay-policy=no-user-gesture-required",
                            "--disable-audio-output")

        loop = os.path.join(scenarios, "petla", "Petla.Kro")
        loop_page = os.path.join(work, "petla.html")
        status, warning = export(options.tekstowki, loop, loop_page)
        checks.expect(status == 0, "petla: exported (status %d: %s)" % (status, warning))
        check_bounded_autoplay(checks, browser, options.trace, loop, loop_page)

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
