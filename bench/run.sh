#!/usr/bin/env bash
# Builds the large-scenario benchmark (if needed) and prints its table: every figure beside
# its floor. Each figure of one run of the program is the median of many timed runs
# (bench/bench_large.cpp says how many); with BENCH_RUNS=k the program runs k times, one
# after another, and each row shows the median of its k figures.
# Usage: [BENCH_RUNS=k] bash bench/run.sh [build folder]   (default: build, one run)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
if [[ ! -x "$build/bench/bench_large" ]]; then
    cmake -S "$here" -B "$build" >/dev/null
    cmake --build "$build" --target bench_large -j"$(nproc)" >/dev/null
fi
export QT_QPA_PLATFORM=offscreen
runs="${BENCH_RUNS:-1}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for ((i = 1; i <= runs; ++i)); do
    "$build/bench/bench_large" -csv >"$out/run$i.csv" 2>/dev/null
done
python3 -c '
import csv, statistics, sys
figures = {}
for path in sys.argv[1:]:
    with open(path) as f:
        for r in csv.reader(f):
            if len(r) >= 4 and r[2] in ("WalltimeMilliseconds", "WalltimeNanoseconds",
                                        "BytesAllocated"):
                v = float(r[3])
                if r[2] == "WalltimeNanoseconds":
                    v /= 1e6
                figures.setdefault((r[0], r[1]), []).append(v)
rows = {key: statistics.median(values) for key, values in figures.items()}
def floor(tag):
    return rows.get(("floorReadBothFiles", tag.split()[0]))
def durable(tag):
    return rows.get(("floorDurableWrite", tag))
def readAndDurable(tag):
    f, d = floor(tag), durable(tag)
    return f + d if f and d else None
names = {
    "floorReadBothFiles": ("floor: both files read whole", "ms", lambda t: None),
    "editorOpen": ("editor: open", "ms", floor),
    "floorDurableWrite": ("floor: 516 + 22 bytes written, each flushed", "ms", lambda t: None),
    "editorSaveFiles": ("editor: save, its files alone", "ms", durable),
    "editorSave": ("editor: save + OdswiezSpis", "ms", readAndDurable),
    "editorFirstSave": ("editor: save + OdswiezSpis, the first after open", "ms", readAndDurable),
    "editorRebuild": ("editor: OdswiezSpis alone", "ms", floor),
    "editorGridJump": ("editor: grid jump", "ms", floor),
    "editorNowa": ("editor: N&owa", "ms", floor),
    "editorTargetKey": ("editor: a key in a target box, the slowest", "ms", floor),
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
' "$out"/run*.csv

# The scenario check at 100 000 situations (bench/bench_check.cpp): each stage beside the
# floor of reading both files whole; every figure is already a median of its own runs.
if [[ ! -x "$build/bench/bench_check" ]]; then
    cmake --build "$build" --target bench_check -j"$(nproc)" >/dev/null
fi
echo
"$build/bench/bench_check" -csv 2>/dev/null | python3 -c '
import csv, sys
rows = {}
for r in csv.reader(sys.stdin):
    if len(r) >= 4 and r[2] == "WalltimeMilliseconds":
        rows[(r[0], r[1])] = float(r[3])
floor = rows.get(("floorReadBothFiles", ""))
names = {
    "floorReadBothFiles": "floor: both files read whole",
    "floorReadIntoFreshBuffers": "floor: both files read whole into new memory",
    "readSnapshot": "check: the snapshot read",
    "graph": "check: the roads built",
    "check": "check: the check alone",
    "wholeCheck": "check: snapshot, roads and check",
}
print("| measure (100 000 situations) | case | figure | floor | ratio |")
print("|---|---|---:|---:|---:|")
for (fn, tag), v in rows.items():
    ratio = "%.1f x" % (v / floor) if floor and fn != "floorReadBothFiles" else "-"
    print("| %s | %s | %.3f ms | %.3f ms | %s |" % (names.get(fn, fn), tag or "-", v, floor or 0, ratio))
'

# The scenario map (bench/bench_map.cpp): the whole map at 1 000 situations beside building its
# Graphviz graph unlaid, a neighbourhood at 100 000 beside finding it and building its graph.
if [[ ! -x "$build/bench/bench_map" ]]; then
    cmake --build "$build" --target bench_map -j"$(nproc)" >/dev/null
fi
echo
"$build/bench/bench_map" -csv 2>/dev/null | python3 -c '
import csv, sys
rows = {}
for r in csv.reader(sys.stdin):
    if len(r) >= 4 and r[2] == "WalltimeMilliseconds":
        rows[(r[0], r[1])] = float(r[3])
floors = {"layoutWhole": "floorWholeGraph", "svgWhole": "floorWholeGraph",
          "layoutWholeGuarded": "floorWholeGraph",
          "layoutNeighbourhoodGuarded": "floorNeighbourhoodGraph",
          "layoutNeighbourhood": "floorNeighbourhoodGraph"}
names = {
    "prepare": "map: roads and roles, once per scenario",
    "floorWholeGraph": "floor: Graphviz graph of 1 000 built, not laid out",
    "layoutWhole": "map: whole, 1 000 situations",
    "svgWhole": "map: whole as SVG, 1 000 situations",
    "floorNeighbourhoodFound": "floor: a neighbourhood found among 100 000",
    "floorNeighbourhoodGraph": "floor: its Graphviz graph built, not laid out",
    "layoutNeighbourhood": "map: a neighbourhood among 100 000",
    "layoutWholeGuarded": "map: whole, 1 000 situations, in a child process",
    "layoutWholeAnywhereStopped": "map: whole, 1 000 situations of roads anywhere, stopped",
    "layoutNeighbourhoodGuarded": "map: a neighbourhood among 100 000, in a child process",
}
print("| measure | case | figure | floor | ratio |")
print("|---|---|---:|---:|---:|")
for (fn, tag), v in rows.items():
    floor = rows.get((floors.get(fn), ""))
    ratio = "%.1f x" % (v / floor) if floor else "-"
    fls = "%.3f ms" % floor if floor else "-"
    print("| %s | %s | %.3f ms | %s | %s |" % (names.get(fn, fn), tag or "-", v, fls, ratio))
'

# Deleting and moving a situation (bench/bench_restructure.cpp): tekstowki's rewrite of the pair
# beside reading it whole and writing it whole with a flush of each file, the editor's reopen
# beside the read alone; then the editor's session: a save, its undo and its redo beside the read
# and one record written in place into each file, each flushed, and a delete and its undo (each
# with the reopen) beside the rewrite's floor and the read. Every figure is already a median of
# its own runs.
if [[ ! -x "$build/bench/bench_restructure" ]]; then
    cmake --build "$build" --target bench_restructure -j"$(nproc)" >/dev/null
fi
echo
"$build/bench/bench_restructure" -csv 2>/dev/null | python3 -c '
import csv, sys
rows = {}
for r in csv.reader(sys.stdin):
    if len(r) >= 4 and r[2] == "WalltimeMilliseconds":
        rows[(r[0], r[1])] = float(r[3])
def floors(*names):
    return lambda tag: sum(rows.get((n, tag), 0) for n in names) or None
names = {
    "floorReadBothFiles": ("floor: both files read whole", lambda t: None),
    "floorReadAndWrite": ("floor: both read whole, written whole to new files, each flushed",
                          lambda t: None),
    "restructureDelete": ("tekstowki: delete the middle situation", floors("floorReadAndWrite")),
    "restructureMove": ("tekstowki: move situation 2 to the end", floors("floorReadAndWrite")),
    "editorReopen": ("editor: reopen (open, situation 1, OdswiezSpis)",
                     floors("floorReadBothFiles")),
    "deleteAndReopen": ("delete + the editor reopen",
                        floors("floorReadAndWrite", "floorReadBothFiles")),
    "floorRecordWrite": ("floor: 516 + 22 bytes written in place, each flushed", lambda t: None),
    "sessionSave": ("session: save of one situation (+ OdswiezSpis)",
                    floors("floorReadBothFiles", "floorRecordWrite")),
    "sessionUndoSave": ("session: undo of that save (+ OdswiezSpis)",
                        floors("floorReadBothFiles", "floorRecordWrite")),
    "sessionRedoSave": ("session: redo of that save (+ OdswiezSpis)",
                        floors("floorReadBothFiles", "floorRecordWrite")),
    "sessionDelete": ("session: delete the middle situation + reopen",
                      floors("floorReadAndWrite", "floorReadBothFiles")),
    "sessionUndoDelete": ("session: undo of that delete + reopen",
                          floors("floorReadAndWrite", "floorReadBothFiles")),
    "keepVersion": ("a version kept (read, compared, written, flushed, pruned)",
                    floors("floorReadAndWrite")),
}
print("| measure | situations | figure | floor | ratio |")
print("|---|---|---:|---:|---:|")
for (fn, tag), v in rows.items():
    label, fl = names.get(fn, (fn, lambda t: None))
    f = fl(tag)
    fls = "%.3f ms" % f if f else "-"
    ratio = "%.1f x" % (v / f) if f else "-"
    print("| %s | %s | %.3f ms | %s | %s |" % (label, tag, v, fls, ratio))
'
