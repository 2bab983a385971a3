#!/usr/bin/env bash
# Windowed runs of zyn under Xvfb: window size, window-manager close, SIGTERM.
# Skips (exit 77) where Xvfb, xdotool or the X11 headers are missing.
set -u
RT=$(cd "${1:?usage: window_xvfb.sh RUNTIME-DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/zynrun.bash"

xvfb_reexec "$0" "$RT" ${2:+"$2"}

unset SDL_VIDEODRIVER          # a real X window this time
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/xdg
PORT=$((30000 + $$ % 10000))
CC=${CC:-cc}
command -v "$CC" >/dev/null 2>&1 || CC=c++
"$CC" -x c "$HERE/wmdelete.c" -o "$WORK/wmdelete" -lX11 || fail "cannot build the close helper"
# Each run gets its own copy of the runtime data (help file, images) as base folder.
newbase() { mkdir -p "$1" && cp -r "$RT"/. "$1"/ && rm -f "$1"/ZynLog.txt "$1"/Zyn.cfg "$1"/Screenshot*.bmp; }

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
newbase "$D"
start_windowed "$D"
xdotool search --class "ZYNvis" | grep -qx "$WID" || fail "window class is not ZYNvis"
geometry=$(xdotool getwindowgeometry "$WID" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "640x480" ] || fail "client size $geometry, expected 640x480"
"$WORK/wmdelete" "$WID" || fail "close request not sent"
wait_pid $PID 60
rc=$?
[ $rc -eq 0 ] || fail "window close: exit $rc"
expect_order "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." "${CLOSE_LINES[@]}"
expect_no_errors "$D/ZynLog.txt"
expect_end "$D/ZynLog.txt"

# SIGTERM while windowed.
D=$WORK/term
newbase "$D"
start_windowed "$D"
kill -TERM $PID
wait_pid $PID 60
rc=$?
[ $rc -eq 0 ] || fail "SIGTERM: exit $rc"
expect_order "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." "${CLOSE_LINES[@]}"
# The saved client rectangle opens the window; moves and resizes are saved at exit.
D=$WORK/rect
newbase "$D"
printf '[WINDOWSIZE_GL]\nX=100\nY=50\nW=320\nH=200\n' > "$D/Zyn.cfg"
start_windowed "$D"
info=$(xdotool getwindowgeometry "$WID")
echo "$info" | grep -q "Geometry: 320x200" || fail "saved size not used: $info"
echo "$info" | grep -q "Position: 100,50" || fail "saved position not used: $info"
xdotool windowsize "$WID" 400 300
xdotool windowmove "$WID" 150 80
for ((i = 0; i < 50; i++)); do
    xdotool getwindowgeometry "$WID" | grep -q "Geometry: 400x300" && break
    sleep 0.1
done
sleep 0.5                      # let the loop take the configure events
"$WORK/wmdelete" "$WID"
wait_pid $PID 60 || fail "rect run: exit $?"
rect=$(sed -n '/^\[WINDOWSIZE_GL\]/,/^\[/p' "$D/Zyn.cfg" | grep -E '^[XYWH]=' | sort | tr '\n' ' ')
[ "$rect" = "H=300 W=400 X=150 Y=80 " ] || fail "saved rectangle: $rect"

# A full-screen configuration never reads or writes the saved rectangle.
D=$WORK/full
newbase "$D"
printf '[MAIN]\nFullscreen=1\nScreenX=1024\nScreenY=768\n[WINDOWSIZE_GL]\nX=1\nY=2\nW=333\nH=222\n' > "$D/Zyn.cfg"
start_windowed "$D"
kill -TERM $PID
wait_pid $PID 60 || fail "full-screen run: exit $?"
rect=$(sed -n '/^\[WINDOWSIZE_GL\]/,/^\[/p' "$D/Zyn.cfg" | grep -E '^[XYWH]=' | sort | tr '\n' ' ')
[ "$rect" = "H=222 W=333 X=1 Y=2 " ] || fail "full screen touched the rectangle: $rect"
expect_order "$D/ZynLog.txt" "GLWINDOW:Attempting Mode Change - 1024x768x32" "GLWINDOW:Show Window" \
    "GLWINDOW:Changing display settings back"
echo "window_xvfb: all checks passed"
