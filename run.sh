#!/usr/bin/env bash
# Installs what is missing, builds, and starts the player (or the editor: bash run.sh editor).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

install_missing "${RUN_PACKAGES[@]}"
build_programs

case "${1:-player}" in
    player) KIT_SCENARIO_FOLDER="$PWD/scenariusze/demo" exec ./build/player/Zozozarov ;;
    editor) exec ./build/editor/Diziru ;;
    *) echo "usage: bash run.sh [player|editor]" >&2; exit 2 ;;
esac
