#!/usr/bin/env bash
# zyn --audio FILE end to end: a headless zyn analyses a generated beat in
# process (no sender) and BASE.Bass, read back over UDP, is high on the kicks
# and low between them. A missing file is a warning, and zyn runs on, silent.
# Usage: audio_input.sh RUNTIME_DIR
set -uo pipefail
RT=$(cd "${1:?usage: audio_input.sh RUNTIME_DIR}" && pwd)
TMP=$(mktemp -d)
ZPID=
cleanup() {
  if [ -n "$ZPID" ]; then kill "$ZPID" 2>/dev/null; wait "$ZPID" 2>/dev/null; fi
  rm -rf "$TMP"
}
trap cleanup EXIT
. "$(dirname "$0")/zynrun.bash"

# Ports of this test: 22000..22099.
ports=()
for p in $(seq 22000 22099); do port_free "$p" && ports+=("$p"); [ ${#ports[@]} -eq 3 ] && break; done
[ ${#ports[@]} -eq 3 ] || { echo "no free ports in 22000..22099"; exit 1; }
P=${ports[0]} R=${ports[1]} Q=${ports[2]}

cp -r "$RT"/. "$TMP"/
rm -f "$TMP"/Zyn.cfg "$TMP"/ZynLog.txt "$TMP"/Screenshot*.bmp
printf '[SCENE]\r\nStartScene=14\r\n[NET]\r\nTelnetPort=%s\r\n' "$((1024 + RANDOM % 900))" > "$TMP/Zyn.cfg"
"$RT/zyn-send" make-wav "$TMP/beat.wav" --seconds 10 || fail "make-wav"

# 300 frames at 60 frames per second: five seconds of the beat.
SDL_VIDEODRIVER=offscreen "$RT/zyn" --headless --base-dir "$TMP" --audio "$TMP/beat.wav" --frames 300 --max-fps 60 \
  --udp-port "$P" --reply-port "$R" --presence-port "$Q" --announce-to 127.0.0.1 >"$TMP/stdout.txt" 2>&1 &
ZPID=$!
SEND=("$RT/zyn-send" --port "$P" --listen-port "$R" --presence-port "$Q")
"${SEND[@]}" get BASE.Bass --timeout 60000 >/dev/null || fail "zyn did not answer"
: > "$TMP/bass"
while kill -0 "$ZPID" 2>/dev/null; do
  "${SEND[@]}" get BASE.Bass --timeout 300 >>"$TMP/bass" 2>/dev/null || break
  sleep 0.03
done
wait_pid "$ZPID" 30; rc=$?; ZPID=
[ "$rc" -eq 0 ] || fail "zyn exited with $rc: $(tail -5 "$TMP/stdout.txt")"
grep -qxF 'Music from "'"$TMP"'/beat.wav"' "$TMP/ZynLog.txt" || fail "no music input line in the log"
read -r n hi lo < <(awk '{ n++; if ($1 > 0.5) hi++; if ($1 < 0.1) lo++ } END { print n + 0, hi + 0, lo + 0 }' "$TMP/bass")
echo "BASE.Bass: $n readings, $hi above 0.5 (on kicks), $lo below 0.1 (between them)"
[ "$n" -ge 20 ] || fail "too few readings"
[ "$hi" -ge 2 ] && [ "$lo" -ge 2 ] || fail "Bass does not jump on the kicks and fall between them: $(tr '\n' ' ' < "$TMP/bass")"
[ $((hi + lo)) -ge $((n / 2)) ] || fail "Bass lingers between the two levels: $(tr '\n' ' ' < "$TMP/bass")"

# A file that is not there: one warning, and the frames go on.
SDL_VIDEODRIVER=offscreen "$RT/zyn" --headless --base-dir "$TMP" --audio "$TMP/none.flac" --frames 20 \
  --udp-port "$P" --reply-port "$R" --presence-port "$Q" --announce-to 127.0.0.1 >"$TMP/stdout.txt" 2>&1
rc=$?
[ "$rc" -eq 0 ] || fail "zyn exited with $rc for a missing audio file"
grep -q '^#WARNING : --audio .*none.flac: cannot open .*running without music input$' "$TMP/ZynLog.txt" ||
  fail "no warning for the missing file: $(grep WARNING "$TMP/ZynLog.txt")"
echo "all audio input checks passed"
