#!/usr/bin/env bash
# Soak run: zyn headless under AddressSanitizer for SECONDS while
# scripts/soak_drive.py changes scenes every 0.5 s through every fader
# (predefines included), floods UDP with valid and invalid packets and keeps
# several telnet users running random commands. Reports frames rendered,
# packets sent and answered, commands run, the longest frame after start-up,
# peak and final memory; fails on a crash, a sanitizer report, a frame over
# ZYN_SOAK_MAX_FRAME_MS (100), memory after warm-up growing more than 5 %
# (runs of 10 minutes or more: warm-up is a quarter of the run, at most 5
# minutes; the largest sample of any later minute against the largest of the
# minute after warm-up), or a Zyn.cfg / binding not intact afterwards.
#   scripts/soak.sh SECONDS        (builds zyn in build-asan, ZYN_ASAN_BUILD_DIR)
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
SECS=${1:?usage: scripts/soak.sh SECONDS}
BUILD=${ZYN_ASAN_BUILD_DIR:-$ROOT/build-asan}
JOBS=${ZYN_JOBS:-$(nproc)}
MAX_FRAME_MS=${ZYN_SOAK_MAX_FRAME_MS:-100}
fail() { echo "soak: FAIL: $*" >&2; exit 1; }

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZYN_SANITIZE=ON -DZYN_BUILD_BENCH=OFF >/dev/null || fail "configure"
cmake --build "$BUILD" -j "$JOBS" --target zyn >/dev/null || fail "build"
RT=$BUILD/runtime

TMP=$(mktemp -d)
ZPID=
trap '[ -n "$ZPID" ] && kill -9 "$ZPID" 2>/dev/null; rm -rf "$TMP"' EXIT
for f in "$RT"/*; do
  name=$(basename "$f")
  case "$name" in zyn|Zyn.cfg|ZynLog*.txt|Screenshot*) ;; *) ln -s "$f" "$TMP/$name" ;; esac
done
# UDP in 42500..42999; the telnet port must lie in 1024..2000 (its setting's range).
free_udp() { ! grep -qi ":$(printf '%04X' "$1") " /proc/net/udp /proc/net/udp6 2>/dev/null; }
UDP= REPLY= PRES= TPORT=
for p in $(seq $((42500 + $$ % 400)) 42999) $(seq 42500 42999); do
  free_udp "$p" || continue
  if [ -z "$UDP" ]; then UDP=$p; elif [ -z "$REPLY" ]; then REPLY=$p; elif [ -z "$PRES" ]; then PRES=$p; break; fi
done
for p in $(seq $((1024 + $$ % 900)) 2000) $(seq 1024 2000); do
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then TPORT=$p; break; fi
done
[ -n "$PRES" ] && [ -n "$TPORT" ] || fail "no free ports"
PIN=4711
printf '[NET]\r\nTelnetPort=%s\r\nPIN=%s\r\n[BIND]\r\nCOUNT=1\r\nKeyCode0=112\r\nCommand0=SceneChange(2)\r\nAllow0=0\r\n' \
  "$TPORT" "$PIN" > "$TMP/Zyn.cfg"

# Mesa's driver leaks a little at exit: no leak check; a small quarantine keeps memory readable.
export ASAN_OPTIONS=${ZYN_SOAK_ASAN_OPTIONS:-detect_leaks=0:quarantine_size_mb=16:abort_on_error=0}
export UBSAN_OPTIONS=print_stacktrace=1
SDL_VIDEODRIVER=offscreen "$RT/zyn" --headless --demo --base-dir "$TMP" --udp-port "$UDP" \
  --reply-port "$REPLY" --presence-port "$PRES" --announce-to 127.0.0.1 >"$TMP/stdout.txt" 2>"$TMP/stderr.txt" &
ZPID=$!
for _ in $(seq 600); do
  (exec 3<>"/dev/tcp/127.0.0.1/$TPORT") 2>/dev/null && break
  kill -0 "$ZPID" 2>/dev/null || break
  sleep 0.2
done
(exec 3<>"/dev/tcp/127.0.0.1/$TPORT") 2>/dev/null || { tail -20 "$TMP/stderr.txt"; fail "zyn did not start"; }
echo "soak: ${SECS}s, UDP $UDP, telnet $TPORT"
python3 "$ROOT/scripts/soak_drive.py" --seconds "$SECS" --udp-port "$UDP" --reply-port "$REPLY" \
  --telnet-port "$TPORT" --pin "$PIN" --pid "$ZPID" > "$TMP/drive.txt" || fail "driver failed"
kill -0 "$ZPID" 2>/dev/null || { tail -40 "$TMP/stderr.txt"; fail "zyn died during the soak"; }
kill -TERM "$ZPID"
for _ in $(seq 300); do kill -0 "$ZPID" 2>/dev/null || break; sleep 0.2; done
kill -0 "$ZPID" 2>/dev/null && fail "zyn did not stop on SIGTERM"
wait "$ZPID"; rc=$?; ZPID=

get() { awk -F= -v k="$1" '$1 == k { print $2 }' "$TMP/drive.txt"; }
summary=$(tr -d '\r' < "$TMP/ZynLog.txt" | grep -ao 'Frames rendered [0-9]*, longest frame after start-up [0-9.]* ms' | tail -1)
frames=$(echo "$summary" | awk '{ print $3 }' | tr -d ,)
longest=$(echo "$summary" | awk '{ print $(NF - 1) }')
echo "soak: frames rendered ${frames:-?}, longest frame after start-up ${longest:-?} ms"
echo "soak: packets sent $(get packets) ($(get valid_packets) valid, $(get scene_changes) scene changes), answers $(get answers)"
echo "soak: telnet commands run $(get commands) by 3 users"
echo "soak: memory peak $(get rss_peak_kb) kB, the minute after warm-up $(get rss_warm_kb) kB, later at most $(get rss_warm_max_kb) kB, final $(get rss_final_kb) kB"
echo "soak: memory by minute (largest sample, kB): $(get rss_minutes_kb)"
grep '^error:' "$TMP/drive.txt" | head -5

status=0
if grep -aqE 'ERROR: AddressSanitizer|runtime error:|LeakSanitizer' "$TMP/stderr.txt"; then
  grep -aE -A20 'ERROR: AddressSanitizer|runtime error:' "$TMP/stderr.txt" | head -60
  echo "soak: FAIL: sanitizer report" >&2; status=1
fi
[ "$rc" -eq 0 ] || { echo "soak: FAIL: exit status $rc" >&2; status=1; }
[ -n "$frames" ] || { echo "soak: FAIL: no run summary in the log" >&2; status=1; }
[ "$(get errors)" = 0 ] || { echo "soak: FAIL: the driver saw errors" >&2; status=1; }
[ "$(get commands)" -gt 0 ] 2>/dev/null || { echo "soak: FAIL: no telnet command ran" >&2; status=1; }
[ "$(get answers)" -gt 0 ] 2>/dev/null || { echo "soak: FAIL: no UDP answer" >&2; status=1; }
awk -v l="${longest:-0}" -v m="$MAX_FRAME_MS" 'BEGIN { exit !(l <= m) }' \
  || { echo "soak: FAIL: a frame took ${longest} ms" >&2; status=1; }
if [ "$SECS" -ge 600 ]; then
  awk -v a="$(get rss_warm_kb)" -v b="$(get rss_warm_max_kb)" 'BEGIN { exit !(b <= a * 1.05) }' \
    || { echo "soak: FAIL: memory grew after warm-up ($(get rss_warm_kb) -> $(get rss_warm_max_kb) kB)" >&2; status=1; }
fi
# Settings and bindings survive: the file is whole and still holds what we wrote.
cfg=$(tr -d '\r' < "$TMP/Zyn.cfg")
for line in "TelnetPort=$TPORT" "PIN=$PIN" "COUNT=1" "KeyCode0=112" "Command0=SceneChange(2)"; do
  grep -qxF "$line" <<<"$cfg" || { echo "soak: FAIL: Zyn.cfg lost \"$line\"" >&2; status=1; }
done
grep -qx '\[BIND\]' <<<"$cfg" || { echo "soak: FAIL: Zyn.cfg lost [BIND]" >&2; status=1; }
[ $status -eq 0 ] && echo "soak: ok"
exit $status
