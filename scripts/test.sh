#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite:
#  1. the normal build with all tests (GUI tests run offscreen),
#  2. the codec tests again under AddressSanitizer + UndefinedBehaviorSanitizer,
#  3. a short libFuzzer run of every reader over the public GIF corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
bash scripts/setup.sh --test
JOBS=${JOBS:-$(nproc)}
export QT_QPA_PLATFORM=offscreen

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"

echo "== codec tests under ASan + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFRAMORA_SANITIZE=ON \
  -DFRAMORA_BUILD_GUI=OFF -DFRAMORA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$JOBS" --target codec_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j "$JOBS"

echo "== fuzz targets, ${FUZZ_SECONDS:=20} s each"
if ls fuzz/*.cpp >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAMORA_FUZZ=ON \
    -DFRAMORA_BUILD_GUI=OFF -DFRAMORA_BUILD_TESTS=OFF -DFRAMORA_BUILD_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$JOBS"
  CORPUS="$ROOT/../shared/corpus/gif"
  for f in fuzz/*.cpp; do
    name=$(basename "$f" .cpp)
    work=$(mktemp -d)
    seeds=("$work")
    [ -d "$CORPUS" ] && seeds+=("$CORPUS")
    [ -d "fuzz/crashes" ] && seeds+=("$ROOT/fuzz/crashes")
    echo "-- $name"
    rc=0
    (cd "$work" && "$ROOT/build-fuzz/fuzz/$name" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 "${seeds[@]}") > "$work.log" 2>&1 || rc=$?
    grep -E '^stat::number_of_executed_units' "$work.log" || true
    if [ $rc -ne 0 ]; then
      tail -n 60 "$work.log"; echo "fuzz target $name found a failure (input kept in $work)"; exit 1
    fi
    rm -rf "$work" "$work.log"
  done
fi
echo "all tests passed"
