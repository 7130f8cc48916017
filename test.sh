#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the tests through ctest.
# Arguments go to ctest: bash test.sh -R test_player
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_all -DKIT_WERROR=ON

source scripts/sound-sink.sh
start_sound_sink
trap stop_sound_sink EXIT

cd build
ctest --output-on-failure "$@"
