#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the tests through ctest;
# then builds the same in build-asan/ under AddressSanitizer (leaks checked) and
# UndefinedBehaviorSanitizer and runs the tests again there. KIT_SKIP_SANITIZERS=1 skips that
# second stage (CI runs it). Arguments go to ctest: bash test.sh -R test_player
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_all -DKIT_WERROR=ON

source scripts/sound-sink.sh
start_sound_sink
trap stop_sound_sink EXIT

(cd build && ctest --output-on-failure "$@")

if [ "${KIT_SKIP_SANITIZERS:-0}" = 1 ]; then
    echo "KIT_SKIP_SANITIZERS=1: no sanitizer stage"
    exit 0
fi
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIT_WERROR=ON -DKIT_SANITIZE=ON
cmake --build build-asan --parallel "$(nproc)"
# Qt and the sound libraries keep some allocations until the process ends; the suppressions
# name those libraries only, so that a leak of the kit's own is always reported.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-third-party.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    bash -c 'cd build-asan && ctest --output-on-failure "$@"' ctest "$@"
