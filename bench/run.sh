#!/usr/bin/env bash
# Builds the large-scenario benchmark (if needed) and prints its table: every figure beside
# its floor from the same run. Usage: bash bench/run.sh [build folder]   (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
if [[ ! -x "$build/bench/bench_large" ]]; then
    cmake -S "$here" -B "$build" >/dev/null
    cmake --build "$build" --target bench_large -j"$(nproc)" >/dev/null
fi
export QT_QPA_PLATFORM=offscreen
"$build/bench/bench_large" -csv 2>/dev/null | python3 -c '
import csv, sys
rows = {}
for r in csv.reader(sys.stdin):
    if len(r) >= 4 and r[2] in ("WalltimeMilliseconds", "WalltimeNanoseconds", "BytesAllocated"):
        v = float(r[3])
        if r[2] == "WalltimeNanoseconds":
            v /= 1e6
        rows[(r[0], r[1])] = v
def floor(tag):
    return rows.get(("floorReadBothFiles", tag.split()[0]))
names = {
    "floorReadBothFiles": ("floor: both files read whole", "ms", lambda t: None),
    "editorOpen": ("editor: open", "ms", floor),
    "editorSave": ("editor: save + OdswiezSpis", "ms", floor),
    "editorRebuild": ("editor: OdswiezSpis alone", "ms", floor),
    "editorGridJump": ("editor: grid jump", "ms", floor),
    "editorNowa": ("editor: N&owa", "ms", floor),
    "editorPeakMemory": ("editor: peak resident", "MB",
                         lambda t: rows.get(("editorPeakMemory", "empty"))),
    "playerStep": ("player: choice step", "ms", floor),
    "startUp": ("start-up to first window", "ms",
                lambda t: rows.get(("startUp", "minimal Qt window"))),
}
print("| measure | scenario | figure | floor | ratio |")
print("|---|---|---:|---:|---:|")
for (fn, tag), v in rows.items():
    label, unit, fl = names.get(fn, (fn, "ms", lambda t: None))
    f = fl(tag)
    scale = 1 / 2**20 if unit == "MB" else 1
    fig = "%.3f %s" % (v * scale, unit)
    fls = "%.3f %s" % (f * scale, unit) if f else "-"
    ratio = "%.1f x" % (v / f) if f else "-"
    print("| %s | %s | %s | %s | %s |" % (label, tag, fig, fls, ratio))
'
