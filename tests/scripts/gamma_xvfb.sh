#!/usr/bin/env bash
# Beat strobe through the display's gamma ramp under Xvfb: full screen with the focus the
# ramp is inverted on the beat; losing the focus puts the original ramp back and the strobe
# is drawn instead (said once in the log); the window closes cleanly.
# Skips (exit 77) where Xvfb, xdotool or the X11 headers are missing.
set -u
RT=$(cd "${1:?usage: gamma_xvfb.sh RUNTIME-DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/zynrun.bash"

xvfb_reexec "$0" "$RT" ${2:+"$2"}

unset SDL_VIDEODRIVER
WORK=$(mktemp -d)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/xdg
PORT=$((21850 + $$ % 40))
CC=${CC:-cc}
command -v "$CC" >/dev/null 2>&1 || CC=c++
"$CC" -x c "$HERE/gammaprobe.c" -o "$WORK/gammaprobe" -lX11 || { echo "SKIP: cannot build the X11 probe"; exit 77; }
"$CC" -x c "$HERE/wmdelete.c" -o "$WORK/wmdelete" -lX11 || fail "cannot build the close helper"

D=$WORK/base
mkdir -p "$D" && cp -r "$RT"/. "$D"/ && rm -f "$D"/ZynLog.txt "$D"/Zyn.cfg "$D"/Screenshot*.bmp
# A trigger below any jump: the strobe fires on every frame.
printf '[MAIN]\nFullscreen=1\nScreenX=1024\nScreenY=768\n[GAMMA]\nOn=2\nTriggerpt=-4\n' > "$D/Zyn.cfg"
"$RT/zyn" --base-dir "$D" --demo --udp-port $PORT --announce-to 127.0.0.1 &
PID=$!
PIDS+=($PID)
wait_for_line "$D/ZynLog.txt" "GLWINDOW:Entering Main Message Loop..." 60
WID=$(timeout 20 xdotool search --sync --onlyvisible --name "Zy/quarvel" | head -n 1)
[ -n "$WID" ] || fail "no window found"

# ramp_kind: "inverted", "original" or the raw reading of the window's red ramp ends. The
# colormap keeps 8 bits a channel, so the ends read 65535/257 rather than 65535/256.
ramp_kind() {
    local r0 r255
    read -r r0 r255 < <("$WORK/gammaprobe" "$WID")
    if [ "${r0:-0}" -gt 60000 ] 2>/dev/null && [ "${r255:-0}" -lt 1024 ]; then echo inverted
    elif [ "${r0:-0}" -lt 1024 ] 2>/dev/null && [ "${r255:-0}" -gt 60000 ]; then echo original
    else echo "$r0 $r255"; fi
}

# wait_ramp KIND WHY: polls the window's ramp until it is of that kind.
wait_ramp() {
    local got i
    for ((i = 0; i < 100; i++)); do
        got=$(ramp_kind)
        [ "$got" = "$1" ] && return 0
        sleep 0.05
    done
    grep -i "gamma\|^#" "$D/ZynLog.txt" >&2
    fail "ramp reads \"$got\", expected $1 ($2)"
}

xdotool windowfocus --sync "$WID"
wait_ramp inverted "inverted on the beat with the focus"

"$WORK/gammaprobe" --window > "$WORK/other" &
PIDS+=($!)
for ((i = 0; i < 50; i++)); do [ -s "$WORK/other" ] && break; sleep 0.1; done
OTHER=$(head -n 1 "$WORK/other")
[ -n "$OTHER" ] || fail "no second window"
xdotool windowfocus --sync "$OTHER"
wait_ramp original "the original ramp after the focus went away"
sleep 0.5      # frames without the focus: the ramp stays the original
[ "$(ramp_kind)" = original ] || fail "the ramp changed without the focus"

xdotool windowfocus --sync "$WID"
wait_ramp inverted "inverted again with the focus back"

"$WORK/wmdelete" "$WID" || fail "close request not sent"
wait_pid $PID 60
rc=$?
[ $rc -eq 0 ] || fail "window close: exit $rc"
expect_no_errors "$D/ZynLog.txt"
expect_end "$D/ZynLog.txt"
n=$(grep -c "draws the strobe instead" "$D/ZynLog.txt")
[ "$n" -eq 1 ] || fail "the drawn-strobe fallback was said $n times, expected once"
echo "gamma_xvfb: all checks passed"
