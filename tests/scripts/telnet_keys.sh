#!/bin/bash
# A real F1 key press in an X window runs its key binding (a scene change); the
# scene is read back over the telnet console. Also: the binding is loaded from
# Zyn.cfg and written back at exit. Skips when xvfb-run or xdotool is missing.
set -u
RT=${1:?usage: telnet_keys.sh <runtime dir>}
for tool in xvfb-run xdotool timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 0
    fi
done

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
. "$(dirname "$0")/zynrun.bash"
link_runtime "$RT" "$TMP"   # our own settings and log

# A free port in 1024..2000 (nothing answers a connect there).
PORT=""
for p in $(seq $((1024 + $$ % 900)) 2000) $(seq 1024 2000); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then PORT=$p; break; fi
done
[ -n "$PORT" ] || { echo "FAIL: no free port"; exit 1; }

cat > "$TMP/Zyn.cfg" <<CFG
[SCENE]
StartScene=0
[NET]
TelnetPort=$PORT
[BIND]
COUNT=1
KeyCode0=112
Command0=SceneChange(2)
Allow0=0
CFG

cat > "$TMP/drive.sh" <<'DRIVE'
#!/bin/bash
# Runs inside the X server: start zyn, press F1, ask for the scene, quit.
set -u
RT=$1; TMP=$2; PORT=$3
export SDL_VIDEODRIVER=x11     # a real X window (the test runner sets offscreen)
"$RT/zyn" --base-dir "$TMP" > "$TMP/stdout.txt" 2>&1 &
PID=$!
trap 'kill $PID 2>/dev/null' EXIT
WID=$(timeout 60 xdotool search --sync --onlyvisible --name "Zy/quarvel" | head -n 1)
[ -n "$WID" ] || { echo "FAIL: the window did not appear"; exit 1; }
# Wait until the telnet console answers.
for i in $(seq 1 300); do
    (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null && break
    sleep 0.1
done
exec 3<>"/dev/tcp/127.0.0.1/$PORT" || { echo "FAIL: no telnet console on $PORT"; exit 1; }
printf '6071\r\ngetScene\r\n' >&3
sleep 1
xdotool windowfocus --sync "$WID"
xdotool key F1
sleep 1
printf 'getScene\r\n' >&3
sleep 1
printf 'Quit\r\n' >&3
timeout 3 cat <&3 > "$TMP/telnet.txt"
exec 3>&-
for i in $(seq 1 100); do kill -0 $PID 2>/dev/null || break; sleep 0.1; done
wait $PID
DRIVE

xvfb-run -a -s "-screen 0 1024x768x24" bash "$TMP/drive.sh" "$RT" "$TMP" "$PORT"
rc=$?
OUT=$(tr -d '\r' < "$TMP/telnet.txt" 2>/dev/null)
fail() { echo "FAIL: $1"; echo "--- telnet:"; echo "$OUT"; echo "--- log:"; tail -n 30 "$TMP/ZynLog.txt" 2>/dev/null; exit 1; }
[ $rc -eq 0 ] || fail "zyn or the driver ended with status $rc"
# Before F1 the start scene 0, after it scene 2.
results=$(echo "$OUT" | grep -E '^=-?[0-9]+$' | tr '\n' ' ')
[ "$results" = "=0 =2 " ] || fail "scene results were '$results', expected '=0 =2 '"
grep -q '^Command0=SceneChange(2)' "$TMP/Zyn.cfg" || fail "the binding was not saved to Zyn.cfg"
echo "PASS"
