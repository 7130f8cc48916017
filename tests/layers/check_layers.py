#!/usr/bin/env python3
"""Keeps the kit's layers apart: every header of the kit is included from the one root (the
project folder), and a part may include only the parts below it. A widget header is refused
in the parts that run without a display. Exits 1 naming each include that breaks the rule.

    check_layers.py <project folder> [<folder of Qt's widget headers>]
"""
import os
import re
import sys

# What each part may include besides itself and the standard and Qt headers. A folder
# belongs to the longest part whose name it starts with.
LAYERS = {
    "platform/core": [],
    "platform/media": ["platform/core"],
    "platform/ui": ["platform/core"],
    "common": ["platform/core"],
    "authoring": ["common", "platform/core"],
    "editor/model": ["common", "platform/core"],
    "editor": ["editor/model", "authoring", "common", "platform/core", "platform/ui",
               "platform/media"],
    "player": ["common", "platform/core", "platform/ui", "platform/media"],
    "cli": ["authoring", "common", "platform/core"],
    "tools/demo": ["authoring", "common", "platform/core"],
}
# Parts that run with no display: no widget header.
HEADLESS = ["platform/core", "platform/media", "common", "authoring", "editor/model", "cli",
            "tools/demo"]
# Headers the build generates beside a part's own (not in the source tree).
GENERATED = {"authoring/HtmlExport.cpp": {"HtmlAssets.h"},
             "tools/demo/DemoScenario.cpp": {"DemoText.h"}}
# Where the libraries' links are declared, and the kit libraries each may link.
LINKS = {
    "authoring/CMakeLists.txt": {"kitcommon"},
    "common/CMakeLists.txt": {"kitplatform_core"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def part_of(path):
    best = None
    for layer in LAYERS:
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def main():
    root = sys.argv[1]
    widgets = set()
    if len(sys.argv) > 2 and os.path.isdir(sys.argv[2]):
        widgets = {name for name in os.listdir(sys.argv[2]) if name.startswith("Q")}
    faults = []
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root)
        dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
        for name in files:
            if not name.endswith((".cpp", ".h")):
                continue
            rel = os.path.normpath(os.path.join(rel_folder, name))
            layer = part_of(rel)
            with open(os.path.join(folder, name), encoding="utf-8") as source:
                text = source.read()
            for match in INCLUDE.finditer(text):
                kind, header = match.groups()
                line = text.count("\n", 0, match.start()) + 1
                where = f"{rel}:{line}: {header}"
                if kind == "<":
                    if layer in HEADLESS and header.split("/")[-1] in widgets:
                        faults.append(f"{where}: a widget header in a part with no display")
                    continue
                if header.endswith(".moc") or header in GENERATED.get(rel, ()):
                    continue
                if not os.path.isfile(os.path.join(root, header)):
                    faults.append(f"{where}: not a path from the project folder")
                    continue
                if layer is None:
                    continue  # tests, benchmarks and fuzz targets may include any part
                target = part_of(header)
                if target is None or (target != layer and target not in LAYERS[layer]):
                    faults.append(f"{where}: {layer} may not include {target or header}")
    link = re.compile(r"target_link_libraries\(\s*(\S+)([^)]*)\)", re.S)
    for cmake, allowed in LINKS.items():
        with open(os.path.join(root, cmake), encoding="utf-8") as lists:
            for match in link.finditer(lists.read()):
                for library in match.group(2).split():
                    if library.startswith("kit") and library not in allowed:
                        faults.append(f"{cmake}: {match.group(1)} may not link {library}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) or link(s) cross the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
