"""The package's menu entries, software-centre entries and file type pass the freedesktop
validators, and fit together: each entry starts a program of the package with the file it is
given and names icons the package holds in every size; the scenario type, found by its name in
any letter case, opens in the player."""

import configparser
import fnmatch
import os
import shutil
import tempfile

import package as pkg

TYPE = "application/x-tekstowki-scenario"
PLAYER = "io.github.tekstowki.Zozozarov.desktop"
SIZES = [16, 32, 48, 64, 128, 256]


def validate(root):
    for name in sorted(os.listdir(os.path.join(root, "usr/share/applications"))):
        code, out, _ = pkg.run(["desktop-file-validate",
                             os.path.join(root, "usr/share/applications", name)])
        pkg.check(code == 0 and not out.strip(), f"desktop-file-validate: {name}")
    folder = os.path.join(root, "usr/share/metainfo")
    for name in sorted(os.listdir(folder)):
        code, _, _ = pkg.run(["appstreamcli", "validate", "--no-net", os.path.join(folder, name)])
        pkg.check(code == 0, f"appstreamcli validate: {name}")
    # The whole tree: each software-centre entry launches a menu entry the package installs.
    code, _, _ = pkg.run(["appstreamcli", "validate-tree", "--no-net", root])
    pkg.check(code == 0, "appstreamcli validate-tree")


def icon_files(root, name, context):
    hicolor = os.path.join(root, "usr/share/icons/hicolor")
    return ([f"{hicolor}/scalable/{context}/{name}.svg"]
            + [f"{hicolor}/{s}x{s}/{context}/{name}.png" for s in SIZES])


def check_entries(root):
    folder = os.path.join(root, "usr/share/applications")
    for name in sorted(os.listdir(folder)):
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(os.path.join(folder, name), encoding="utf-8")
        keys = entry["Desktop Entry"]
        program, *rest = keys["Exec"].split()
        ours = os.access(os.path.join(root, "usr/bin", program), os.X_OK)
        pkg.check(ours and rest == ["%f"], f"{name}: Exec={keys['Exec']} is not ours with %f")
        missing = [f for f in icon_files(root, keys["Icon"], "apps") if not os.path.isfile(f)]
        pkg.check(not missing, f"{name}: icons missing: {missing}")
    missing = [f for f in icon_files(root, TYPE.replace("/", "-"), "mimetypes")
               if not os.path.isfile(f)]
    pkg.check(not missing, f"the scenario type's icons are missing: {missing}")
    # The menu's cache of handlers, as the system builds it: the player alone opens scenarios,
    # so it is their default application.
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copytree(folder, os.path.join(tmp, "applications"))
        code, _, _ = pkg.run(["update-desktop-database", os.path.join(tmp, "applications")])
        pkg.check(code == 0, "update-desktop-database failed")
        with open(os.path.join(tmp, "applications/mimeinfo.cache"), encoding="utf-8") as f:
            cache = f.read()
    pkg.check(f"{TYPE}={PLAYER};" in cache.splitlines(),
              f"the player is not the only handler of {TYPE}:\n{cache}")


def glob_type(globs2, filename):
    """The type shared-mime-info's globs2 file gives a file name: the heaviest matching glob,
    then the longest; globs without the "cs" flag match the name in lower case."""
    best = None
    for line in globs2.splitlines():
        if not line or line.startswith("#"):
            continue
        weight, mime, glob, *flags = line.split(":")
        name = filename if "cs" in ",".join(flags) else filename.lower()
        if fnmatch.fnmatchcase(name, glob):
            key = (int(weight), len(glob))
            if best is None or key > best[0]:
                best = (key, mime)
    return best[1] if best else None


NAMES = [("Zamek.Kro", TYPE), ("ZAMEK.KRO", TYPE), ("zamek.kro", TYPE), ("Las.kRo", TYPE),
         ("Zamek.lis", None), ("Zamek.Kro.txt", None), ("Kro", None)]


def check_mime(root):
    source = os.path.join(root, "usr/share/mime/packages/tekstowki.xml")
    code, _, _ = pkg.run(["xmllint", "--noout", source])
    pkg.check(code == 0, "the MIME file is not well-formed XML")
    with tempfile.TemporaryDirectory() as tmp:
        mime = os.path.join(tmp, "mime")
        os.makedirs(os.path.join(mime, "packages"))
        shutil.copy(source, os.path.join(mime, "packages"))
        # update-mime-database reports a bad type on stderr and still exits 0.
        env = dict(os.environ, XDG_DATA_DIRS=tmp, XDG_DATA_HOME=os.path.join(tmp, "home"))
        code, _, errors = pkg.run(["update-mime-database", mime], env=env)
        pkg.check(code == 0 and not errors.strip(), "update-mime-database complained")
        with open(os.path.join(mime, "globs2"), encoding="utf-8") as f:
            globs2 = f.read()
        for name, expected in NAMES:
            got = glob_type(globs2, name)
            print(f"{name}: {got}")
            pkg.check(got == expected, f"{name} is {got}, not {expected}")
        if shutil.which("gio"):
            # GLib's own look-up, as file managers make it, on the demo's real bytes.
            sample = os.path.join(tmp, "ZAMEK.KRO")
            shutil.copy(os.path.join(root, "usr/share/tekstowki/scenariusze/demo/Zamek.Kro"),
                        sample)
            code, out, _ = pkg.run(["gio", "info", "-a", "standard::content-type", sample], env=env)
            pkg.check(f"standard::content-type: {TYPE}" in out, f"gio: {sample} is not {TYPE}")


def test(args):
    root = pkg.root(args.out)
    validate(root)
    check_entries(root)
    check_mime(root)


if __name__ == "__main__":
    arguments = pkg.arguments()
    pkg.main("package_metadata", lambda: test(arguments))
