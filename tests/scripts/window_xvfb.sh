#!/usr/bin/env bash
# Windowed runs of zyn under Xvfb: window size, window-manager close, SIGTERM.
# Skips (exit 77) where Xvfb, xdotool or the X11 headers are missing.
set -u
RT=$(cd "${1:?usage: window_xvfb.sh RUNTIME-DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/zynrun.bash"

if [ "${2:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool; do
        command -v $tool >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    exec timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$RT" --inside
fi

unset SDL_VIDEODRIVER          # a real X window this time
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/xdg
PORT=$((30000 + $$ % 10000))
CC=${CC:-cc}
command -v "$CC" >/dev/null 2>&1 || CC=c++
"$CC" -x c "$HERE/wmdelete.c" -o "$WORK/wmdelete" -lX11 || fail "cannot build the close helper"

# start_windowed DIR: starts zyn in a window, sets PID and WID.
start_windowed() {
    "$RT/zyn" --base-dir "$1" --udp-port $((PORT++)) --announce-to 127.0.0.1 &
    PID=$!
    wait_for_line "$1/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." 60
    WID=$(timeout 20 xdotool search --sync --onlyvisible --name "Zy/quarvel" | head -n 1)
    [ -n "$WID" ] || fail "no window found"
}

# The window manager's close request.
D=$WORK/close
start_windowed "$D"
geometry=$(xdotool getwindowgeometry "$WID" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "640x480" ] || fail "client size $geometry, expected 640x480"
"$WORK/wmdelete" "$WID" || fail "close request not sent"
wait_pid $PID 60
rc=$?
[ $rc -eq 0 ] || fail "window close: exit $rc"
expect_order "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." "${CLOSE_LINES[@]}"
grep -q "^#ERROR" "$D/ZynLog.txt" && fail "errors in the windowed run"

# SIGTERM while windowed.
D=$WORK/term
start_windowed "$D"
kill -TERM $PID
wait_pid $PID 60
rc=$?
[ $rc -eq 0 ] || fail "SIGTERM: exit $rc"
expect_order "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." "${CLOSE_LINES[@]}"
echo "window_xvfb: all checks passed"
