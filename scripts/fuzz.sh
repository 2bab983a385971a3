#!/usr/bin/env bash
# Runs one libFuzzer target for a while: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   TARGET: a name of fuzz/*.cpp (udp, ini, formula, tga, bmp, telnet, execute,
#   visfeed, morph, predefine, mesh) or "all" (each in turn for SECONDS).
# Builds the clang build in build-fuzz (ZYN_FUZZ_BUILD_DIR) first. The seed
# corpus fuzz/corpus/TARGET is read, new inputs go to build-fuzz/corpus/TARGET,
# findings to build-fuzz/findings/TARGET (and the run fails).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
TARGET=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
SECONDS_EACH=${2:-30}
shift 2 || shift $#
BUILD=${ZYN_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
JOBS=${ZYN_JOBS:-$(nproc)}

targets=()
if [ "$TARGET" = all ]; then
  for f in "$ROOT"/fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
else
  [ -f "$ROOT/fuzz/$TARGET.cpp" ] || { echo "fuzz.sh: no target \"$TARGET\" (see fuzz/*.cpp)" >&2; exit 2; }
  targets=("$TARGET")
fi

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZYN_FUZZ=ON \
  -DZYN_BUILD_TESTS=OFF -DZYN_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target $(printf 'fuzz_%s ' "${targets[@]}")

status=0
for t in "${targets[@]}"; do
  work="$BUILD/corpus/$t"
  found="$BUILD/findings/$t"
  mkdir -p "$work" "$found"
  seeds=()
  [ -d "$ROOT/fuzz/corpus/$t" ] && seeds=("$ROOT/fuzz/corpus/$t")
  echo "fuzz $t: ${SECONDS_EACH}s"
  log="$BUILD/fuzz-$t.log"
  # Leak checks stay on: every target frees what it builds.
  if ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$BUILD/fuzz/fuzz_$t" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -max_len=16384 \
       -print_final_stats=1 -artifact_prefix="$found/" "$@" "$work" "${seeds[@]}" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz $t: no finding, $runs executions"
  else
    status=1
    tail -n 40 "$log"
    echo "fuzz $t: FINDING (log $log, input in $found)" >&2
  fi
done
exit $status
