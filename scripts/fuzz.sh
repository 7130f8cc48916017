#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each for FUZZ_SECONDS seconds (60 unless set), starting from the
# kept corpus fuzz/corpus/<target>: the starting corpus (the start-* files, which
# make_starting_corpus writes) and what earlier runs found. Inputs that reach new code are
# merged into it, and test.sh replays it; a crash, a hang, a leak or an undefined-behaviour
# report stops the script with the input that caused it.
#   bash scripts/fuzz.sh                 # every target: scenario_pair bitmap wav text_form
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh bitmap
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

install_missing "${RUN_PACKAGES[@]}" clang libclang-rt-14-dev

seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(scenario_pair bitmap wav text_form)

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DKIT_FUZZ=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-fuzz --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
    work=build-fuzz/corpus-$target
    mkdir -p "$work" "build-fuzz/crashes-$target"
    # What the run starts from: the kept corpus and, for bitmap, the bitmap tests' pictures.
    corpora=("fuzz/corpus/$target")
    [ "$target" = bitmap ] && corpora+=(tests/data/bmpsuite)
    echo "== $target: $seconds s"
    # The first folder takes what the run finds; the others are only read.
    "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes-$target/" \
        "$work" "${corpora[@]}" 2>&1 | tee "build-fuzz/fuzz-$target.log" |
        grep -E '(INITED|DONE) |ERROR|SUMMARY|stat::number_of_executed_units'
    "build-fuzz/fuzz/fuzz_$target" -merge=1 "fuzz/corpus/$target" "$work" 2>&1 |
        grep -E 'MERGE-OUTER: [0-9]+ new files' || true
done
