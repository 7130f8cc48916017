"""The package holds exactly the expected files, owned by root with the usual modes; its
control fields name the libraries and the plugins it needs; the unpacked programs find every
library they link, say the package's version, and the command line passes the installed demo."""

import os
import re

import package as pkg

PROGRAMS = ["Zozozarov", "Diziru", "tekstowki"]
SIZES = [16, 32, 48, 64, 128, 256]
APPS = ["io.github.tekstowki.Zozozarov", "io.github.tekstowki.Diziru"]
MIME_ICON = "application-x-tekstowki-scenario"
DEMO = "usr/share/tekstowki/scenariusze/demo/"

EXPECTED = (
    [f"usr/bin/{program}" for program in PROGRAMS]
    + ["usr/lib/tekstowki/libkitsound.so"]
    + [f"usr/share/applications/{app}.desktop" for app in APPS]
    + [f"usr/share/metainfo/{app}.metainfo.xml" for app in APPS]
    + ["usr/share/mime/packages/tekstowki.xml"]
    + [f"usr/share/icons/hicolor/scalable/apps/{app}.svg" for app in APPS]
    + [f"usr/share/icons/hicolor/scalable/mimetypes/{MIME_ICON}.svg"]
    + [f"usr/share/icons/hicolor/{s}x{s}/apps/{app}.png" for s in SIZES for app in APPS]
    + [f"usr/share/icons/hicolor/{s}x{s}/mimetypes/{MIME_ICON}.png" for s in SIZES]
    + [f"usr/share/man/man1/{program}.1.gz" for program in PROGRAMS]
    + ["usr/share/doc/tekstowki/copyright", "usr/share/doc/tekstowki/changelog.gz",
       "usr/share/doc/tekstowki/TEXT-FORMAT.md", "usr/share/lintian/overrides/tekstowki"]
    + [DEMO + name for name in ["Zamek.Kro", "Zamek.lis"]]
    + [DEMO + f"Obrazki/{name}.bmp" for name in
       ["brama", "dziedziniec", "ogrod", "piwnica", "schody", "skarb", "smok"]]
    + [DEMO + f"Dzwieki/{name}.wav" for name in ["fanfara", "kapanie", "ryk", "wiatr"]])

# Beyond what dpkg-shlibdeps finds: what the programs load by name at run time.
LOADED_BY_NAME = ["gstreamer1.0-plugins-base", "gstreamer1.0-plugins-good",
                  "gstreamer1.0-plugins-bad", "qt6-translations-l10n", "fonts-liberation"]
# What dpkg-shlibdeps must find: Qt with its X11 and GStreamer plugins, and Graphviz's layout
# plugins, which the editor links from outside the loader's search path.
LINKED = ["libqt6gui6", "libqt6widgets6", "libqt6multimedia6", "libgvc6"]


def check_listing(deb):
    code, listing, _ = pkg.run(["dpkg-deb", "-c", deb])
    pkg.check(code == 0, "dpkg-deb -c failed")
    files = {}
    for line in listing.splitlines():
        mode, owner, _size, _date, _time, path = line.split(None, 5)
        pkg.check(owner == "root/root", f"{path} is owned by {owner}")
        path = path.removeprefix("./")
        if mode.startswith("d"):
            pkg.check(mode == "drwxr-xr-x", f"folder {path} has mode {mode}")
        else:
            files[path] = mode
    missing = sorted(set(EXPECTED) - set(files))
    unexpected = sorted(set(files) - set(EXPECTED))
    pkg.check(not missing and not unexpected,
              f"missing from the package: {missing}; not expected in it: {unexpected}")
    for path, mode in files.items():
        want = "-rwxr-xr-x" if path.startswith("usr/bin/") else "-rw-r--r--"
        pkg.check(mode == want, f"{path} has mode {mode}, not {want}")


def check_fields(deb, version):
    code, control, _ = pkg.run(["dpkg-deb", "-f", deb])
    pkg.check(code == 0, "dpkg-deb -f failed")
    fields = dict(re.findall(r"^(\S+): (.*)$", control, re.MULTILINE))
    for name, value in [("Package", "tekstowki"), ("Version", version),
                        ("Section", "misc"), ("Architecture", "amd64")]:
        pkg.check(fields.get(name) == value, f"{name} is {fields.get(name)!r}, not {value!r}")
    depends = [d.strip().split()[0] for d in fields.get("Depends", "").split(",")]
    absent = [p for p in LOADED_BY_NAME + LINKED if p not in depends]
    pkg.check(not absent, f"Depends lacks {absent}")


def check_programs(root, version):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for program in PROGRAMS:
        path = os.path.join(root, "usr/bin", program)
        code, out, _ = pkg.run(["ldd", path], show=False)
        missing = [line.strip() for line in out.splitlines() if "not found" in line]
        pkg.check(code == 0 and not missing, f"{program} misses libraries: {missing}")
        code, out, _ = pkg.run([path, "--version"], env=env)
        pkg.check(code == 0 and out.splitlines()[:1] == [f"{program} {version}"],
                  f"{program} --version does not say {program} {version}")
    code, _, _ = pkg.run([os.path.join(root, "usr/bin/tekstowki"), "check",
                       os.path.join(root, DEMO, "Zamek.Kro")])
    pkg.check(code == 0, "the installed demo does not pass tekstowki check")


def test(args):
    deb = pkg.deb(args.out)
    check_listing(deb)
    check_fields(deb, args.version)
    check_programs(pkg.root(args.out), args.version)


if __name__ == "__main__":
    arguments = pkg.arguments("version")
    pkg.main("package_contents", lambda: test(arguments))
