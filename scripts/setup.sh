#!/usr/bin/env bash
# One-step set-up for a fresh Debian 12 machine.
#   scripts/setup.sh run    install packages, build, run the visualiser
#   scripts/setup.sh test   install packages, build, run the whole test suite
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${ZYN_BUILD_DIR:-$ROOT/build}
JOBS=${ZYN_JOBS:-$(nproc)}

bash scripts/packages.sh

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j "$JOBS"

case "${1:-run}" in
  run)
    RUNTIME="$BUILD/runtime"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "Starting Zyn in a window (runtime folder: $RUNTIME)"
      exec "$RUNTIME/zyn" --demo --announce-to 127.0.0.1
    else
      echo "No display: running Zyn headless for about ten seconds on synthesised music"
      SDL_VIDEODRIVER=offscreen "$RUNTIME/zyn" --headless --demo --announce-to 127.0.0.1 \
        --udp-port 10556 --frames 600 --fixed-dt 0.0166667 \
        --exec "TimerAdd(2,[s1],[Screenshot]);TimerAdd(5,[s2],[Screenshot]);TimerAdd(8,[s3],[Screenshot])" || true
      echo "Log:         $RUNTIME/ZynLog.txt"
      echo "Screenshots: $(ls "$RUNTIME"/Screenshot*.bmp 2>/dev/null | tr '\n' ' ')"
    fi
    ;;
  test)
    cd "$BUILD"
    ctest --output-on-failure -j "$JOBS"
    # The GL-free tests again under AddressSanitizer + UBSan with leak checks
    # (the formula fuzz tests among them).
    ASAN_BUILD=${ZYN_ASAN_BUILD_DIR:-$ROOT/build-asan}
    cmake -S "$ROOT" -B "$ASAN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZYN_SANITIZE=ON -DZYN_BUILD_BENCH=OFF
    for t in test_platform test_config; do
      cmake --build "$ASAN_BUILD" -j "$JOBS" --target "$t"
      ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$ASAN_BUILD/tests/$t"
    done
    ;;
  *)
    echo "usage: scripts/setup.sh run|test" >&2
    exit 2
    ;;
esac
