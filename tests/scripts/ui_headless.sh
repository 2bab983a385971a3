#!/bin/bash
# Headless: a first run without Zyn.cfg writes the default bindings and changes
# scenes by itself; an announcement changes the picture while shown and leaves
# nothing behind; the main menu changes the picture.
set -u
RT=$(cd "${1:?usage: ui_headless.sh RUNTIME-DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/zynrun.bash"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# base DIR: a folder seeing the runtime's data, without settings.
base() {
    link_runtime "$RT" "$1"
}
# run DIR FRAMES SHOTS EXEC: a deterministic headless run.
run() {
    "$RT/zyn" --headless --fixed-dt 0.0333 --seed 7 --frames "$2" --screenshot-frames "$3" --base-dir "$1" \
        --udp-port 21212 --announce-to 127.0.0.1 --exec "$4" > "$1/stdout.txt" 2>&1 || fail "zyn failed in $1"
}

# 1. First run: about 25 seconds of frames must see a scene change.
base "$TMP/first"
run "$TMP/first" 750 750 ""
grep -q '^SCENECHANGE ' "$TMP/first/ZynLog.txt" || fail "no scene change on a first run"
grep -q '^\[BIND\]' "$TMP/first/Zyn.cfg" || fail "no default bindings written"
grep -q 'ExecuteBind(115)' "$TMP/first/Zyn.cfg" || fail "no scene-change timer binding"

# 2. Same seed and steps with and without an announcement (no bindings, still start scene).
for k in plain ann menu; do
    base "$TMP/$k"
    printf '[SCENE]\nStartScene=0\n[BIND]\nCOUNT=0\n' > "$TMP/$k/Zyn.cfg"
done
run "$TMP/plain" 300 45,300 ""
run "$TMP/ann" 300 45,300 "Announce(0, 6, [HELLO])"
run "$TMP/menu" 300 45,300 "WindowOpenMain"
cmp -s "$TMP/plain/Screenshot0000.bmp" "$TMP/ann/Screenshot0000.bmp" && fail "the announcement did not show"
cmp -s "$TMP/plain/Screenshot0001.bmp" "$TMP/ann/Screenshot0001.bmp" || fail "the announcement left a trace"
cmp -s "$TMP/plain/Screenshot0000.bmp" "$TMP/menu/Screenshot0000.bmp" && fail "the main menu did not show"
echo "PASS"
