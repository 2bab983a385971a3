#!/usr/bin/env bash
# zyn-send's command line on its own: usage errors, unreadable files, busy
# listen ports and the sending commands (all to loopback, nobody listening).
# Usage: udp_send_cli.sh RUNTIME_DIR
set -uo pipefail
RT=$(cd "${1:?usage: udp_send_cli.sh RUNTIME_DIR}" && pwd)
SEND="$RT/zyn-send"
TMP=$(mktemp -d)
HOLDER=
cleanup() {
  if [ -n "$HOLDER" ]; then kill "$HOLDER" 2>/dev/null; wait "$HOLDER" 2>/dev/null; fi
  rm -rf "$TMP"
}
trap cleanup EXIT

fails=0
expect() {  # name expected-exit-code stderr-fragment command...
  local name=$1 code=$2 frag=$3; shift 3
  "$@" >"$TMP/out" 2>"$TMP/err"
  local rc=$?
  if [ "$rc" -ne "$code" ]; then echo "FAIL $name: exit $rc, expected $code ($(cat "$TMP/err"))"; fails=$((fails + 1)); return; fi
  if [ -n "$frag" ] && ! grep -qF -- "$frag" "$TMP/err"; then
    echo "FAIL $name: stderr lacks '$frag': $(cat "$TMP/err")"; fails=$((fails + 1)); return
  fi
  echo "ok   $name"
}

port_free() { ! grep -qi ":$(printf '%04X' "$1") " /proc/net/udp /proc/net/udp6 2>/dev/null; }
P=
for _ in $(seq 200); do p=$(( (RANDOM % 30000) + 20000 )); port_free "$p" && { P=$p; break; }; done
[ -n "$P" ] || { echo "no free port"; exit 1; }

expect "no command" 2 "Usage:" "$SEND"
expect "unknown command" 2 "unknown command" "$SEND" dance
expect "unknown option" 2 "unknown option" "$SEND" --fast vis
expect "bad port" 2 "--port" "$SEND" --port 70000 ping
expect "bad host" 2 "IPv4" "$SEND" --host example.org ping
expect "get without a name" 2 "usage" "$SEND" get
expect "name too long" 2 "1..40" "$SEND" get "$(printf 'N%.0s' $(seq 41))"
expect "scene needs a number" 2 "usage" "$SEND" --port "$P" scene five
expect "record needs a level" 2 "usage" "$SEND" --port "$P" record loud
expect "missing audio file" 2 "cannot open" "$SEND" --port "$P" vis "$TMP/none.wav"
printf 'not a wav file at all' > "$TMP/bad.wav"
expect "not an audio file" 2 "not an audio file" "$SEND" --port "$P" vis "$TMP/bad.wav"
expect "analyse a missing file" 2 "cannot open" "$SEND" analyse "$TMP/none.wav"
expect "analyse needs a file" 2 "usage" "$SEND" analyse
expect "unknown loop" 2 "make-loop lists" "$SEND" make-loop nope "$TMP/x.wav"
# No sound server at all: capture and sources say so, with exit status 2.
expect "vis capture without a server" 2 "no sound server" env PULSE_SERVER="unix:$TMP/no.sock" "$SEND" --port "$P" vis
expect "sources without a server" 2 "no sound server" env PULSE_SERVER="unix:$TMP/no.sock" "$SEND" sources

expect "set sends" 0 "" "$SEND" --port "$P" set MAIN.ScreenX 800
expect "scene sends" 0 "" "$SEND" --port "$P" scene -1 2
expect "announce sends" 0 "" "$SEND" --port "$P" announce 0 1500 "Hello there"
expect "record sends" 0 "" "$SEND" --port "$P" record 1.25 0.5
expect "make-wav" 0 "" "$SEND" make-wav "$TMP/beat.wav" --seconds 0.5
expect "vis from a WAV part" 0 "streaming" "$SEND" --port "$P" --rate 200 vis "$TMP/beat.wav" --from 0.1 --to 0.3
expect "vis nothing to play" 1 "nothing to play" "$SEND" --port "$P" vis "$TMP/beat.wav" --from 0.4 --to 0.2
expect "vis synthetic" 0 "synthetic beat" "$SEND" --port "$P" --rate 200 --synthetic vis --seconds 0.2
# analyse: the synthetic beat's kicks, one per beat at 120 BPM.
"$SEND" analyse "$TMP/beat.wav" --beats >"$TMP/kicks" 2>"$TMP/err"
check_kicks=$(awk 'BEGIN { ok = 1 } { if ($1 < 0 || $1 - (NR - 1) * 0.5 > 0.07 || (NR - 1) * 0.5 - $1 > 0.07) ok = 0 } END { print NR, ok }' "$TMP/kicks")
if [ "$check_kicks" = "1 1" ]; then echo "ok   analyse --beats"; else echo "FAIL analyse --beats: $check_kicks $(cat "$TMP/kicks" "$TMP/err")"; fails=$((fails + 1)); fi
lines=$("$SEND" analyse "$TMP/beat.wav" | awk 'NF == 4 && $4 ~ /^[01]$/' | wc -l)
if [ "$lines" -eq 30 ]; then echo "ok   analyse lines"; else echo "FAIL analyse: $lines lines of time, Bass, Beat, kick"; fails=$((fails + 1)); fi
expect "vis from stdin" 0 "stdin" bash -c "head -c 17640 /dev/zero | '$SEND' --port $P vis -"

# Nobody answers: get and ping give up after the timeout with a hint.
expect "get times out" 1 "no reply" "$SEND" --port "$P" --listen-port "$P" get MAIN.ScreenX --timeout 300

# A listen port some other program holds exclusively.
"$SEND" --listen-port "$P" --presence-port "$P" ping --no-ask --timeout 60000 >/dev/null 2>&1 &
HOLDER=$!
for _ in $(seq 100); do port_free "$P" || break; sleep 0.05; done
expect "shared listen port still works" 1 "no presence" "$SEND" --listen-port "$P" --presence-port "$P" ping --no-ask --timeout 200

if [ "$fails" -ne 0 ]; then exit 1; fi
echo "all zyn-send command-line checks passed"
