#!/usr/bin/env bash
# UDP protocol end to end: a headless zyn on free loopback ports, driven by
# zyn-send. Runs unprivileged and as root alike: every port is a free high
# port, and zyn sends its replies there through --reply-port/--presence-port.
# Usage: udp_protocol.sh RUNTIME_DIR
set -uo pipefail
RT=$(cd "${1:?usage: udp_protocol.sh RUNTIME_DIR}" && pwd)
TMP=$(mktemp -d)
ZPID=
# Ends zyn: a normal quit request first, then (after 20 s) for good.
stop_zyn() {
  [ -n "$ZPID" ] || return 0
  kill "$ZPID" 2>/dev/null
  for _ in $(seq 200); do kill -0 "$ZPID" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$ZPID" 2>/dev/null; then
    echo "note: zyn was still shutting down after 20 s; killed"
    kill -9 "$ZPID" 2>/dev/null
  fi
  wait "$ZPID" 2>/dev/null
  ZPID=
}
cleanup() {
  stop_zyn
  rm -rf "$TMP"
}
trap cleanup EXIT

fails=0
check() {   # name expected actual
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; fails=$((fails + 1)); fi
}
logged() {  # name exact-line
  if grep -qxF -- "$2" "$TMP/ZynLog.txt"; then echo "ok   $1"; else echo "FAIL $1: no log line '$2'"; fails=$((fails + 1)); fi
}

. "$(dirname "$0")/zynrun.bash"   # pick_port
P=$(pick_port) && R=$(pick_port "$P") && Q=$(pick_port "$P" "$R") || { echo "no free ports"; exit 1; }
# The telnet server listens too: a TCP port in NET.TelnetPort's range 1024..2000.
T=
for _ in $(seq 200); do
  t=$(( (RANDOM % 977) + 1024 ))
  if ! grep -qi ":$(printf '%04X' "$t") " /proc/net/tcp /proc/net/tcp6 2>/dev/null; then T=$t; break; fi
done
[ -n "$T" ] || { echo "no free telnet port"; exit 1; }

# Base dir: the runtime data without any earlier settings or log.
cp -r "$RT"/. "$TMP"/
rm -f "$TMP"/Zyn.cfg "$TMP"/ZynLog.txt "$TMP"/Screenshot*.bmp
# A start scene whose rendering leaves BASE.Bass as the sequencer publishes it.
printf '[SCENE]\r\nStartScene=14\r\n[NET]\r\nTelnetPort=%s\r\n' "$T" > "$TMP/Zyn.cfg"

SDL_VIDEODRIVER=offscreen "$RT/zyn" --headless --base-dir "$TMP" --udp-port "$P" \
  --reply-port "$R" --presence-port "$Q" --announce-to 127.0.0.1 >"$TMP/stdout.txt" 2>&1 &
ZPID=$!
SEND=("$RT/zyn-send" --port "$P" --listen-port "$R" --presence-port "$Q")

# get retries until zyn answers, so this also waits for start-up.
check "get MAIN.ScreenX" "640" "$("${SEND[@]}" get MAIN.ScreenX --timeout 60000)"
hex=$("${SEND[@]}" get MAIN.ScreenX --hex)
check "reply is 88 bytes" "176" "${#hex}"
check "reply magic and type" "00edadde03" "${hex:0:10}"
check "reply name" "0c$(printf 'MAIN.ScreenX' | od -An -tx1 | tr -d ' \n')" "${hex:10:26}"
check "reply value" "03363430" "${hex:92:8}"
check "reply padding" "00" "${hex:174:2}"

check "get unknown" "[UNKNOWN]" "$("${SEND[@]}" get MAIN.Nope)"
logged "registry not-found line" '#ERROR : (FindConst) Constant "MAIN.Nope" Not Found'
logged "client not-found line" '#ERROR : scGetConst - Constant "MAIN.Nope" Not found'

port=$("${SEND[@]}" get NET.TelnetPort)
"${SEND[@]}" set NET.TelnetPort abc
check "bad set leaves the value" "$port" "$("${SEND[@]}" get NET.TelnetPort)"
logged "conversion error" '#ERROR : Error Converting String value "abc" for NET/TelnetPort'

"${SEND[@]}" set NET.TelnetPort 1500 --size 1211
check "1211-byte packet ignored" "$port" "$("${SEND[@]}" get NET.TelnetPort)"
"${SEND[@]}" set NET.TelnetPort 1500 --size 1500
check "1500-byte packet handled" "1500" "$("${SEND[@]}" get NET.TelnetPort)"

check "PIN hidden" "[UNKNOWN]" "$("${SEND[@]}" get NET.PIN)"
"${SEND[@]}" set NET.PIN 1111
sleep 0.3
logged "PIN set refused" '#ERROR : scSetConst - Constant "NET.PIN" cannot be set over the network'

# Vis data: each packet is blended half and half into the live record, and the
# sequencer publishes its Bass as BASE.Bass on the next frame.
"${SEND[@]}" record 1.0; sleep 0.3
check "first vis packet" "0.5" "$("${SEND[@]}" get BASE.Bass)"
"${SEND[@]}" record 1.0; sleep 0.3
check "second vis packet" "0.75" "$("${SEND[@]}" get BASE.Bass)"

# Presence: one record on each of the announce target's two ports.
pings=$("${SEND[@]}" ping --count 2 --timeout 5000 | sort)
check "presence records" "$(printf 'presence from 127.0.0.1 on port %s\n' "$R" "$Q" | sort)" "$pings"

# Music: the synthetic beat, loud for 3 s, then 40 dB quieter. Bass jumps on
# each kick and falls between them, so each half is sampled several times.
wav="$TMP/song.wav"
"$RT/zyn-send" make-wav "$wav" --seconds 6 --quiet-after 3
"${SEND[@]}" vis "$wav" &
VPID=$!
sleep 0.3
# peak SECONDS: the highest BASE.Bass read back within that time.
peak() {
  local m=0 v end=$(( $(date +%s%N) + ${1%.*} * 1000000000 + 10#${1#*.} * 100000000 ))
  while [ "$(date +%s%N)" -lt "$end" ]; do
    v=$("${SEND[@]}" get BASE.Bass)
    m=$(awk -v a="$m" -v b="$v" 'BEGIN { print (b > a) ? b : a }')
  done
  echo "$m"
}
loud=$(peak 2.4)
sleep 0.6
quiet=$(peak 2.0)
wait "$VPID"
echo "BASE.Bass peak in the loud half $loud, in the quiet half $quiet"
check "bass follows the music" "1" "$(awk -v a="$loud" -v b="$quiet" 'BEGIN { print (a > 0.8 && b < 0.4 && a - b > 0.5) ? 1 : 0 }')"

stop_zyn
if [ "$fails" -ne 0 ]; then
  echo "--- zyn output"; cat "$TMP/stdout.txt"
  echo "--- ZynLog.txt (last 40 lines)"; tail -40 "$TMP/ZynLog.txt"
  exit 1
fi
echo "all UDP checks passed"
