"""Takes the README's screenshots of the demo's web page in headless Chromium, in the light
and the dark colour scheme, after one choice:
python3 tools/demo/page_screenshots.py build docs"""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCHEMES = (("strona-jasna.png", []),
           # Chromium's own setting for the preferred scheme: 0 is dark.
           ("strona-ciemna.png", ["--blink-settings=preferredColorScheme=0"]))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, docs = sys.argv[1:]
    with tempfile.TemporaryDirectory(prefix="page-shots-") as work:
        page = os.path.join(work, "zamek.html")
        subprocess.run([os.path.join(build, "cli", "tekstowki"), "export-html",
                        os.path.join(ROOT, "scenariusze", "demo", "Zamek.Kro"), "-o", page],
                       check=True)
        for name, extra in SCHEMES:
            shot = os.path.abspath(os.path.join(docs, name))
            subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                            "--hide-scrollbars", "--force-device-scale-factor=1",
                            "--user-data-dir=" + tempfile.mkdtemp(dir=work),
                            "--window-size=800,560", "--screenshot=" + shot, *extra,
                            "file://" + page + "#do=1"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            print("wrote", shot)


if __name__ == "__main__":
    main()
