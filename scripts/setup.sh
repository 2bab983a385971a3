#!/usr/bin/env bash
# One-step set-up for a fresh Debian 12 machine.
#   scripts/setup.sh run    install packages, build, run the visualiser
#   scripts/setup.sh test   install packages, build, run the whole test suite
#   scripts/setup.sh package  install packages, build, make the Debian package zyn_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${ZYN_BUILD_DIR:-$ROOT/build}
JOBS=${ZYN_JOBS:-$(nproc)}

case "${1:-run}" in
  run|test|package) ;;
  *) echo "usage: scripts/setup.sh run|test|package" >&2; exit 2 ;;
esac

bash scripts/packages.sh

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j "$JOBS"

case "${1:-run}" in
  run)
    RUNTIME="$BUILD/runtime"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "Starting Zyn in a window (runtime folder: $RUNTIME; close the window or press Ctrl+C to stop)"
      if "$RUNTIME/zyn" --demo --announce-to 127.0.0.1; then
        echo "Log: $RUNTIME/ZynLog.txt"
        exit 0
      fi
      echo "The window could not be opened (see $RUNTIME/ZynLog.txt); running headless instead."
    fi
    [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || echo "No display found."
    echo "Rendering 10 seconds of the show headless (600 frames at 60 per second)..."
    before=$(ls "$RUNTIME"/Screenshot*.bmp 2>/dev/null || true)
    status=0
    SDL_VIDEODRIVER=offscreen "$RUNTIME/zyn" --headless --demo --announce-to 127.0.0.1 \
      --udp-port 10556 --frames 600 --fixed-dt 0.0166667 \
      --screenshot-frames 150,300,450,600 || status=$?
    echo "Log:         $RUNTIME/ZynLog.txt"
    shots=$(comm -13 <(echo "$before" | sort) <(ls "$RUNTIME"/Screenshot*.bmp 2>/dev/null | sort) | tr '\n' ' ')
    echo "Screenshots: ${shots:-none}"
    if [ $status -ne 0 ]; then
      echo "Zyn exited with status $status" >&2
      exit $status
    fi
    ;;
  test)
    # The GL-free tests first under AddressSanitizer + UBSan with leak checks
    # (the formula fuzz tests among them), then the whole suite with ctest,
    # whose summary closes the run.
    ASAN_BUILD=${ZYN_ASAN_BUILD_DIR:-$ROOT/build-asan}
    cmake -S "$ROOT" -B "$ASAN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZYN_SANITIZE=ON -DZYN_BUILD_BENCH=OFF
    for t in test_platform test_config; do
      cmake --build "$ASAN_BUILD" -j "$JOBS" --target "$t"
      ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$ASAN_BUILD/tests/$t"
    done
    # Every fuzzer for 30 s (clang build in build-fuzz) and a 2-minute soak of
    # zyn under ASan (build-asan). The soak's frame bound is loose here: CI
    # machines are shared; the 100 ms bound is for a quiet machine.
    bash scripts/fuzz.sh all "${ZYN_FUZZ_SECONDS:-30}"
    ZYN_SOAK_MAX_FRAME_MS=${ZYN_SOAK_MAX_FRAME_MS:-2000} bash scripts/soak.sh "${ZYN_SOAK_SECONDS:-120}"
    cd "$BUILD"
    ctest --output-on-failure -j "$JOBS"
    ;;
  package)
    cd "$BUILD"
    cpack -G DEB
    echo "Install it with: sudo apt-get install $(ls "$BUILD"/zyn_*.deb | head -1)"
    ;;
  *)
    echo "usage: scripts/setup.sh run|test|package" >&2
    exit 2
    ;;
esac
