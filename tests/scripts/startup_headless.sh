#!/usr/bin/env bash
# Headless start-to-quit runs of zyn: the log, exit codes, signals, screenshots, a copied runtime folder.
set -u
RT=$(cd "${1:?usage: startup_headless.sh RUNTIME-DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/zynrun.bash"
export SDL_VIDEODRIVER=offscreen
WORK=$(mktemp -d)
trap 'chmod -R u+w "$WORK" 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/xdg HOME=$WORK/home
PORT=$((40000 + $$ % 10000))
run() { "$RT/zyn" --udp-port $((PORT++)) --announce-to 127.0.0.1 "$@"; }

# A bounded run: exit 0, header, start-up lines in order, the end banner last.
D=$WORK/bounded
run --headless --frames 30 --base-dir "$D" || fail "bounded run exited $?"
LOG=$D/ZynLog.txt
[ -f "$LOG" ] || fail "no log in $D"
[ "$(sed -n 1p "$LOG")" = " Zy/Quarvel Log File" ] || fail "header line 1"
[ "$(sed -n 2p "$LOG")" = "----------------------------------------v1.54-" ] || fail "header line 2"
[ "$(sed -n 3p "$LOG")" = " BASE DIR: $D" ] || fail "header line 3: $(sed -n 3p "$LOG")"
[ "$(sed -n 4p "$LOG")" = "----------------------------------------------" ] || fail "header line 4"
[ -z "$(sed -n 5p "$LOG")" ] || fail "header line 5"
expect_order "$LOG" "Setting up GLWINDOW Vars" "GLWINDOW:Registering Window Class" \
    "GLWINDOW:Call CreateWindowGL" "GLWINDOW:Custom Initialization" "GL_VENDOR : *" "GL_RENDERER : *" \
    "GL_VERSION : *" "GL_EXTENSIONS : *" "* * * * * * * *" "*  INIT DONE  *" "* * * * * * * *" \
    "GLWINDOW:Entering Main Message Loop..." "GLWINDOW:Recieved WM_QUIT - exiting message loop" \
    "GLWINDOW:Custom De-Initialization" "GLWINDOW:Call DestroyWindowGL"
expect_end "$LOG"
# The companion pointer names the base folder.
grep -qxF "Dir=$D" "$XDG_CONFIG_HOME/Quarvel/ZynScreensaver" || fail "screen-saver pointer"

# A read-only log file (or one that cannot be opened at all) does not stop the program.
D=$WORK/readonly
mkdir -p "$D"
echo "kept" > "$D/ZynLog.txt"
chmod a-w "$D/ZynLog.txt"
run --headless --frames 3 --base-dir "$D" || fail "read-only log: exit $?"
D=$WORK/nolog
mkdir -p "$D/ZynLog.txt"
run --headless --frames 3 --base-dir "$D" || fail "unopenable log: exit $?"

# SIGTERM and SIGINT close like the window manager's close button; shut-down runs.
for sig in TERM INT; do
    D=$WORK/sig$sig
    "$RT/zyn" --udp-port $((PORT++)) --announce-to 127.0.0.1 --headless --base-dir "$D" &
    pid=$!
    wait_for_line "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." 60
    sleep 0.3
    kill -$sig $pid
    wait_pid $pid 60
    rc=$?
    [ $rc -eq 0 ] || fail "SIG$sig: exit $rc"
    expect_order "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." "${CLOSE_LINES[@]}"
    expect_end "$D/ZynLog.txt"
    [ -f "$D/Zyn.cfg" ] || fail "SIG$sig: settings not saved"
done

# Screenshots at chosen frames: numbered 24-bit bitmaps of the window size.
D=$WORK/shots
run --headless --frames 12 --fixed-dt 0.02 --screenshot-frames 10,5 --base-dir "$D" || fail "screenshot run: exit $?"
for n in 0000 0001; do
    f=$D/Screenshot$n.bmp
    [ -f "$f" ] || fail "missing $f"
    [ "$(head -c 2 "$f")" = "BM" ] || fail "$f is not a bitmap"
    [ "$(stat -c %s "$f")" -eq $((54 + 640 * 3 * 480)) ] || fail "$f has the wrong size"
done
[ ! -e "$D/Screenshot0002.bmp" ] || fail "too many screenshots"
expect_order "$D/ZynLog.txt" "Screenshot \"Screenshot0000.bmp\" at frame 5" "Screenshot \"Screenshot0001.bmp\" at frame 10"

# A copy of the runtime folder runs on its own, with its own folder as BaseDir.
cp -r "$RT" "$WORK/copy"
rm -f "$WORK/copy/ZynLog.txt"
(cd / && "$WORK/copy/zyn" --headless --frames 2 --udp-port $((PORT++)) --announce-to 127.0.0.1) || fail "copied runtime: exit $?"
[ "$(sed -n 3p "$WORK/copy/ZynLog.txt")" = " BASE DIR: $WORK/copy" ] || fail "copied runtime's BaseDir"
expect_no_errors "$WORK/copy/ZynLog.txt"
expect_end "$WORK/copy/ZynLog.txt"

# "cmake --install" gives bin/zyn with its data as share/zyn (without run
# leftovers); run from there it keeps settings and log in the user's folders.
BUILD=$(dirname "$RT")
if command -v cmake >/dev/null 2>&1 && [ -f "$BUILD/CMakeCache.txt" ]; then
    touch "$RT/Screenshot9999.bmp"
    cmake --install "$BUILD" --prefix "$WORK/inst" >/dev/null || fail "cmake --install failed"
    rm -f "$RT/Screenshot9999.bmp"
    [ -x "$WORK/inst/bin/zyn" ] && [ -x "$WORK/inst/bin/zyn-send" ] || fail "no bin/zyn, bin/zyn-send"
    [ ! -e "$WORK/inst/share/zyn/zyn" ] || fail "the executable was installed with the data"
    [ ! -e "$WORK/inst/share/zyn/Screenshot9999.bmp" ] || fail "run leftovers installed"
    [ ! -e "$WORK/inst/share/zyn/ZynLog.txt" ] || fail "a log was installed"
    [ -f "$WORK/inst/share/man/man1/zyn.1.gz" ] && [ -f "$WORK/inst/share/icons/hicolor/48x48/apps/zyn.png" ] ||
        fail "manual page or icon missing"
    chmod -R a-w "$WORK/inst"
    XDG_STATE_HOME=$WORK/state "$WORK/inst/bin/zyn" --headless --frames 2 --udp-port $((PORT++)) \
        --announce-to 127.0.0.1 --exec "Screenshot" || fail "installed zyn: exit $?"
    LOG=$WORK/state/zyn/ZynLog.txt
    [ -f "$LOG" ] || fail "installed zyn: no log in XDG_STATE_HOME"
    expect_line "$LOG" " BASE DIR: $WORK/inst/share/zyn (installed; settings $XDG_CONFIG_HOME/zyn, log $WORK/state/zyn, screenshots $HOME/Pictures/Zyn)"
    expect_no_errors "$LOG"
    [ -f "$XDG_CONFIG_HOME/zyn/Zyn.cfg" ] || fail "installed zyn: no settings in XDG_CONFIG_HOME"
    ls "$HOME"/Pictures/Zyn/Screenshot0000.bmp >/dev/null || fail "installed zyn: no screenshot in the pictures folder"
    chmod -R u+w "$WORK/inst"
fi

# No video driver: exit 1 after the window layer's error lines; settings survive unchanged.
D=$WORK/novideo
mkdir -p "$D"
printf '[WINDOWSIZE_GL]\nX=100\nY=50\nW=320\nH=200\n' > "$D/Zyn.cfg"
SDL_VIDEODRIVER=no-such-driver "$RT/zyn" --frames 5 --base-dir "$D" --udp-port $((PORT++)) --announce-to 127.0.0.1 2>/dev/null
rc=$?
[ $rc -eq 1 ] || fail "no video driver: exit $rc"
expect_order "$D/ZynLog.txt" "GLWINDOW:Registering Window Class" "GLWINDOW:RegisterClassEx Failed!" \
    "GLWINDOW:Error Registering Window Class" "GLWINDOW:Error Registering Window Class!"
expect_end "$D/ZynLog.txt"
rect=$(sed -n '/^\[WINDOWSIZE_GL\]/,/^\[/p' "$D/Zyn.cfg" | grep -E '^[XYWH]=' | sort | tr '\n' ' ')
[ "$rect" = "H=200 W=320 X=100 Y=50 " ] || fail "failed start changed the saved rectangle: $rect"

# Usage errors exit 2 without starting.
"$RT/zyn" --frames x >/dev/null 2>&1
[ $? -eq 2 ] || fail "bad option did not exit 2"
"$RT/zyn" --screenshot-frames 0 >/dev/null 2>&1
[ $? -eq 2 ] || fail "screenshot frame 0 accepted"
echo "startup_headless: all checks passed"
