#!/usr/bin/env bash
# zyn whose UDP port cannot be bound: the warning says why and how to get
# round it, and the program runs its frames and exits normally all the same.
# Usage: udp_port_taken.sh RUNTIME_DIR
set -uo pipefail
RT=$(cd "${1:?usage: udp_port_taken.sh RUNTIME_DIR}" && pwd)
TMP=$(mktemp -d)
HOLDER=
cleanup() {
  if [ -n "$HOLDER" ]; then kill "$HOLDER" 2>/dev/null; wait "$HOLDER" 2>/dev/null; fi
  rm -rf "$TMP"
}
trap cleanup EXIT

fails=0
expect_line() {  # name log pattern (fixed text inside the warning line)
  if grep -F "#WARNING : Cant Initialise UDP Server" "$2" | grep -qF -- "$3"; then echo "ok   $1"
  else echo "FAIL $1: no warning containing '$3'"; fails=$((fails + 1)); fi
}
run_zyn() {  # base-dir udp-port
  cp -r "$RT"/. "$1"/
  rm -f "$1"/Zyn.cfg "$1"/ZynLog.txt "$1"/Screenshot*.bmp
  printf '[NET]\r\nTelnetPort=%s\r\n' "$(( (RANDOM % 977) + 1024 ))" > "$1/Zyn.cfg"
  SDL_VIDEODRIVER=offscreen timeout 120 "$RT/zyn" --headless --base-dir "$1" --udp-port "$2" \
    --announce-to 127.0.0.1 --frames 20 --fixed-dt 0.02 >"$1/stdout.txt" 2>&1
}

# A port some other program holds: zyn-send listening on it.
port_free() { ! grep -qi ":$(printf '%04X' "$1") " /proc/net/udp /proc/net/udp6 2>/dev/null; }
P=
for _ in $(seq 200); do p=$(( (RANDOM % 30000) + 20000 )); port_free "$p" && { P=$p; break; }; done
[ -n "$P" ] || { echo "no free port"; exit 1; }
"$RT/zyn-send" ping --no-ask --listen-port "$P" --presence-port "$P" --timeout 60000 >/dev/null 2>&1 &
HOLDER=$!
for _ in $(seq 100); do port_free "$P" || break; sleep 0.05; done

mkdir -p "$TMP/taken"
run_zyn "$TMP/taken" "$P"
rc=$?
if [ "$rc" -eq 0 ]; then echo "ok   runs on without UDP"; else echo "FAIL exit code $rc"; fails=$((fails + 1)); fi
expect_line "names the port" "$TMP/taken/ZynLog.txt" "port $P"
expect_line "says another program has it" "$TMP/taken/ZynLog.txt" "another program already uses this port"
expect_line "offers --udp-port" "$TMP/taken/ZynLog.txt" "--udp-port"

# A privileged port without privileges (only when this user really lacks them).
start=$(cat /proc/sys/net/ipv4/ip_unprivileged_port_start 2>/dev/null || echo 1024)
if [ "$(id -u)" -ne 0 ] && [ "$start" -gt 556 ] && port_free 556; then
  mkdir -p "$TMP/low"
  run_zyn "$TMP/low" 556
  rc=$?
  if [ "$rc" -eq 0 ]; then echo "ok   runs on without port 556"; else echo "FAIL exit code $rc"; fails=$((fails + 1)); fi
  expect_line "explains low ports" "$TMP/low/ZynLog.txt" "setcap cap_net_bind_service=+ep zyn"
else
  echo "skip privileged-port check (this user may bind port 556)"
fi

if [ "$fails" -ne 0 ]; then
  for d in "$TMP"/taken "$TMP"/low; do
    [ -f "$d/ZynLog.txt" ] && { echo "--- $d/ZynLog.txt"; tail -30 "$d/ZynLog.txt"; echo "--- stdout"; cat "$d/stdout.txt"; }
  done
  exit 1
fi
echo "all port checks passed"
