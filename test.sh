#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_all

source scripts/sound-sink.sh
start_sound_sink
trap stop_sound_sink EXIT

cd build
ctest --output-on-failure
