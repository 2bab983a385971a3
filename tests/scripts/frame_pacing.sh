#!/usr/bin/env bash
# Frame pacing and the frame clock, end to end: a live headless run is capped
# near 60 frames per second, stays small in memory and answers UDP at once;
# its BASE.Time is the window clock; a fixed-step run ends at frames x dt.
# Usage: frame_pacing.sh RUNTIME_DIR
set -uo pipefail
RT=$(cd "${1:?usage: frame_pacing.sh RUNTIME_DIR}" && pwd)
. "$(dirname "$0")/zynrun.bash"
TMP=$(mktemp -d)
ZPID=
trap '[ -n "$ZPID" ] && kill -9 "$ZPID" 2>/dev/null; rm -rf "$TMP"' EXIT
P=$(pick_port) && R=$(pick_port "$P") && Q=$(pick_port "$P" "$R") || fail "no free ports"
cp -r "$RT"/. "$TMP"/
rm -f "$TMP"/Zyn.cfg "$TMP"/ZynLog.txt "$TMP"/Screenshot*.bmp
# The Tunnel and no scene changes: scenes that run formulas publish their own clock in BASE.Time.
printf '[SCENE]\r\nStartScene=14\r\n[BIND]\r\nCOUNT=0\r\n[NET]\r\nTelnetPort=0\r\n' > "$TMP/Zyn.cfg"
SEND=("$RT/zyn-send" --port "$P" --listen-port "$R" --presence-port "$Q")
ms() { echo $(( $(date +%s%N) / 1000000 )); }

# 1. Live: no --frames, no --fixed-dt.
start=$(ms)
SDL_VIDEODRIVER=offscreen "$RT/zyn" --headless --demo --base-dir "$TMP" --udp-port "$P" \
  --reply-port "$R" --presence-port "$Q" --announce-to 127.0.0.1 >"$TMP/stdout.txt" 2>&1 &
ZPID=$!
"${SEND[@]}" get MAIN.ScreenX --timeout 60000 >/dev/null || fail "zyn did not answer"
# Start-up may take long on a busy machine: the clock is compared from the first answer on.
first=$(ms); bfirst=$("${SEND[@]}" get BASE.Time)
sum=0 n=0 worst=0
for _ in $(seq 40); do
  t0=$(ms)
  dt=$("${SEND[@]}" get BASE.TimePassed --timeout 2000) || fail "a get went unanswered"
  lat=$(( $(ms) - t0 )); (( lat > worst )) && worst=$lat
  sum=$(awk -v a="$sum" -v b="$dt" 'BEGIN { print a + b }'); n=$((n + 1))
  sleep 0.05
done
now=$(ms)
btime=$("${SEND[@]}" get BASE.Time)
rss=$(awk '/^VmHWM/ { print $2 }' "/proc/$ZPID/status")
kill "$ZPID"; wait_pid "$ZPID" 30; ZPID=
mean=$(awk -v s="$sum" -v n="$n" 'BEGIN { printf "%.1f", 1000 * s / n }')
echo "live: mean frame ${mean} ms, worst get ${worst} ms, peak ${rss} kB, BASE.Time ${btime} after $(( now - start )) ms"
# Capped: frames of about 1/60 s, never the uncapped sub-millisecond ones (a slow machine only adds to it).
awk -v m="$mean" 'BEGIN { exit !(m >= 14) }' || fail "frames are not paced (mean frame ${mean} ms)"
(( rss < 250000 )) || fail "resident memory ${rss} kB"
# The window clock advances with the wall clock.
awk -v b="$btime" -v f="$bfirst" -v w="$(( now - first ))" 'BEGIN { d = (b - f) * 1000; exit !(d <= w + 500 && d >= w - 1500) }' \
  || fail "BASE.Time went from ${bfirst} to ${btime} in $(( now - first )) ms of wall-clock time"

# 2. Fixed step: 300 frames of 0.02 s end at BASE.Time 6, as saved.
SDL_VIDEODRIVER=offscreen "$RT/zyn" --headless --base-dir "$TMP" --udp-port "$P" --frames 300 \
  --fixed-dt 0.02 --announce-to 127.0.0.1 >"$TMP/stdout.txt" 2>&1 || fail "fixed-step run failed"
saved=$(tr -d '\r' < "$TMP/Zyn.cfg" | awk '/^\[BASE\]/ { s = 1; next } /^\[/ { s = 0 } s && /^Time=/ { print; exit }')
[ "$saved" = "Time=6" ] || fail "saved BASE.Time is \"$saved\""
echo "ok"
