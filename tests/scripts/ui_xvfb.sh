#!/bin/bash
# The in-picture interface with real input in an X window: a mouse click on the
# main menu's console icon opens the console window, typed keys run a command
# there (the echo and result reach telnet users), and the side bar's exit
# button ends the program with its settings saved. Skips without xvfb-run or xdotool.
set -u
RT=${1:?usage: ui_xvfb.sh <runtime dir>}
for tool in xvfb-run xdotool timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 0; }
done
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
. "$(dirname "$0")/zynrun.bash"
link_runtime "$RT" "$TMP"   # our own settings and log
PORT=""
for p in 1921 1922 1923 1924 1925 1926 1927 1928 1929; do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then PORT=$p; break; fi
done
[ -n "$PORT" ] || { echo "FAIL: no free telnet port"; exit 1; }
cat > "$TMP/Zyn.cfg" <<CFG
[MAIN]
ScreenX=640
ScreenY=480
[SCENE]
StartScene=0
[NET]
TelnetPort=$PORT
[BIND]
COUNT=0
CFG

cat > "$TMP/drive.sh" <<'DRIVE'
#!/bin/bash
set -u
RT=$1; TMP=$2; PORT=$3
export SDL_VIDEODRIVER=x11
"$RT/zyn" --base-dir "$TMP" --udp-port 21211 --announce-to 127.0.0.1 > "$TMP/stdout.txt" 2>&1 &
PID=$!
WID=$(timeout 60 xdotool search --sync --onlyvisible --name "Zy/quarvel" | head -n 1)
[ -n "$WID" ] || { echo "FAIL: the window did not appear"; kill $PID; exit 1; }
for i in $(seq 1 300); do (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null && break; sleep 0.1; done
exec 3<>"/dev/tcp/127.0.0.1/$PORT" || { echo "FAIL: no telnet console"; kill $PID; exit 1; }
printf '6071\r\nTUNNEL.Speed(3.5)\r\nWindowOpenMain\r\n' >&3
sleep 1
xdotool windowfocus --sync "$WID"
# 640 x 480: the main menu's "Zy Console" icon is at (399, 240).
xdotool mousemove --window "$WID" 399 240 sleep 0.3 click 1
sleep 1
xdotool type --delay 60 'Add(2,3)'
xdotool key Return
sleep 1
printf 'isWindowOpen\r\n' >&3
sleep 0.5
# The side bar's exit button (bottom right); moving the mouse shows the bar.
xdotool mousemove --window "$WID" 600 380 sleep 0.2 mousemove --window "$WID" 622 397 sleep 0.8 click 1
for i in $(seq 1 100); do kill -0 $PID 2>/dev/null || break; sleep 0.1; done
timeout 2 cat <&3 > "$TMP/telnet.txt"
exec 3>&-
kill -0 $PID 2>/dev/null && { echo "FAIL: still running after the exit button"; kill $PID; exit 1; }
wait $PID
DRIVE

xvfb-run -a -s "-screen 0 1024x768x24" bash "$TMP/drive.sh" "$RT" "$TMP" "$PORT"
rc=$?
# Without the telnet prompt that each broadcast line first erases.
OUT=$(tr -d '\r' < "$TMP/telnet.txt" 2>/dev/null | sed 's/-\x08 \x08//g')
fail() { echo "FAIL: $1"; echo "--- telnet:"; echo "$OUT"; echo "--- log:"; tail -n 30 "$TMP/ZynLog.txt" 2>/dev/null; exit 1; }
[ $rc -eq 0 ] || fail "zyn or the driver ended with status $rc"
echo "$OUT" | grep -qx -- '-Add(2,3)' || fail "the typed line was not echoed"
echo "$OUT" | grep -qx -- '=5' || fail "the typed line's result did not arrive"
echo "$OUT" | grep -qx '=1' || fail "the console window was not open"
grep -qi '^Speed=3.5' "$TMP/Zyn.cfg" || fail "settings were not saved at exit"
grep -q 'THE END' "$TMP/ZynLog.txt" || fail "the shut-down did not complete"
echo "PASS"
