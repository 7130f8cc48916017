#!/usr/bin/env bash
# Renders the hand-drawn SVG icons into the PNG sizes the package installs beside them
# (packaging/icons/<size>/<name>.png). Run it after changing an SVG and commit the PNGs: the
# build installs them as they are, so it needs no SVG renderer. Needs rsvg-convert
# (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v rsvg-convert >/dev/null; then
    echo "render.sh: rsvg-convert is missing (Debian: librsvg2-bin)" >&2
    exit 1
fi
for size in 16 32 48 64 128 256; do
    mkdir -p "$size"
    for svg in *.svg; do
        rsvg-convert --width "$size" --height "$size" --output "$size/${svg%.svg}.png" "$svg"
    done
done
