#!/usr/bin/env bash
# zyn --render end to end: clicks at known times flash the drawn strobe on
# the matching frames (PNG frames and inside the MP4, whose sound and
# picture last as long as the file); one seed gives identical frames, another
# other scene picks; bad values and outputs fail in one line with status 2
# and leave nothing behind; a render stopped half-way leaves nothing either.
# Usage: render_video.sh RUNTIME_DIR
set -uo pipefail
RT=$(cd "${1:?usage: render_video.sh RUNTIME_DIR}" && pwd)
. "$(dirname "$0")/zynrun.bash"
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || { echo "ffmpeg is not installed: skipped"; exit 77; }
TMP=$(mktemp -d)
ZPID=
trap '[ -n "$ZPID" ] && kill -9 "$ZPID" 2>/dev/null; rm -rf "$TMP"' EXIT
cp -r "$RT"/. "$TMP/base"/ 2>/dev/null || { mkdir -p "$TMP/base" && cp -r "$RT"/. "$TMP/base"/; }
rm -f "$TMP"/base/Zyn.cfg "$TMP"/base/ZynLog.txt
export SDL_VIDEODRIVER=offscreen
ZYN=("$RT/zyn" --base-dir "$TMP/base")

# make_wav FILE SECONDS CLICK_MS...: 44.1 kHz mono 16-bit silence with a 10 ms
# burst of full-scale noise (a fixed sequence) at each time.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
make_wav() {
  local file=$1 total=$(( $2 * 44100 )) pos=0 at ms i; shift 2
  local x=12345
  for ((i = 0; i < 441; i++)); do x=$(( (x * 1103515245 + 12345) & 0x7fffffff )); le16 $(( (x >> 8) & 65535 )); done > "$file.burst"
  { printf 'RIFF'; le32 $(( 36 + total * 2 )); printf 'WAVEfmt '; le32 16; le16 1; le16 1; le32 44100; le32 88200
    le16 2; le16 16; printf 'data'; le32 $(( total * 2 ))
    for ms in "$@"; do
      at=$(( ms * 441 / 10 ))
      head -c $(( (at - pos) * 2 )) /dev/zero; cat "$file.burst"; pos=$(( at + 441 ))
    done
    head -c $(( (total - pos) * 2 )) /dev/zero; } > "$file"
  rm -f "$file.burst"
}

# flash_onsets: reads "YAVG" values (one per frame) and prints the frames
# where an inverted run starts (the Tunnel is dark; inverted, it is bright).
flash_onsets() { awk '{ on = ($1 > 128); if (on && !was) print NR - 1; was = on }'; }
yavg_of() { ffmpeg -v error -i "$1" -vf "signalstats,metadata=print:key=lavfi.signalstats.YAVG:file=-" -f null - \
            | awk -F= '/YAVG/ { print $2 }'; }
# expect_onsets "FOUND" "WANTED": the same count, each within one frame.
expect_onsets() {
  local -a f=($1) w=($2)
  [ ${#f[@]} -eq ${#w[@]} ] || fail "flashes on frames (${f[*]}), clicks on frames (${w[*]})"
  for i in "${!w[@]}"; do
    (( f[i] - w[i] <= 1 && w[i] - f[i] <= 1 )) || fail "flash on frame ${f[i]} for the click of frame ${w[i]}"
  done
}

# 1. Clicks at known times, drawn strobe on, Tunnel: flashes on frames ceil(t x fps) +-1.
CLICKS=(1230 3500 5070 7770 9100)
make_wav "$TMP/clicks.wav" 10 "${CLICKS[@]}"
WANT=$(for ms in "${CLICKS[@]}"; do echo $(( (ms * 30 + 999) / 1000 )); done | tr '\n' ' ')
printf '%s\n' "# strobe test" "TimerClear([change])" "SceneChange(14, 0)" "EndFade" "GAMMA.On(1)" > "$TMP/strobe.zs"
"${ZYN[@]}" --render "$TMP/clicks.wav" --out "$TMP/frames" --size 160x120 --script "$TMP/strobe.zs" --seed 1 \
  >"$TMP/out.txt" 2>&1 || fail "PNG render failed: $(cat "$TMP/out.txt")"
grep -q 'rendered ".*frames": 300 frames (10.00 s at 30 fps, 160x120)' "$TMP/out.txt" || fail "summary: $(cat "$TMP/out.txt")"
[ "$(ls "$TMP/frames" | wc -l)" -eq 300 ] && [ -f "$TMP/frames/frame000299.png" ] || fail "not 300 numbered frames"
expect_onsets "$(yavg_of "$TMP/frames/frame%06d.png" | flash_onsets)" "$WANT"
echo "ok   PNG flashes on frames $WANT"

"${ZYN[@]}" --render "$TMP/clicks.wav" --out "$TMP/clicks.mp4" --size 160x120 --script "$TMP/strobe.zs" --seed 1 \
  >"$TMP/out.txt" 2>&1 || fail "MP4 render failed: $(cat "$TMP/out.txt")"
durations=$(ffprobe -v error -show_entries stream=codec_type,duration,start_time -of csv=p=0 "$TMP/clicks.mp4" | sort | tr '\n' ' ')
awk -v d="$durations" 'BEGIN { n = split(d, s, /[ ,]/); ok = 0
  for (i = 1; i + 2 <= n; i += 3) if ((s[i] == "audio" || s[i] == "video") && s[i+1] + 0 == 0 && s[i+2] > 9.95 && s[i+2] < 10.05) ok++
  exit ok != 2 }' || fail "MP4 streams (type, start, length): $durations"
expect_onsets "$(yavg_of "$TMP/clicks.mp4" | flash_onsets)" "$WANT"
echo "ok   MP4 of 10 s, sound and picture from 0, flashes on frames $WANT"

# 2. Same seed, same frames (with random scene and fader picks); another seed, other picks.
make_wav "$TMP/short.wav" 2 500 1500
printf '%s\n' "SceneChange(PickScene, PickFader)" "SceneChange(PickScene, PickFader)" "SceneChange(PickScene, PickFader)" > "$TMP/picks.zs"
picks=()
for run in a:7 b:7 c:8; do
  name=${run%%:*} seed=${run##*:}
  "${ZYN[@]}" --render "$TMP/short.wav" --out "$TMP/seed-$name" --size 96x64 --script "$TMP/picks.zs" --seed "$seed" \
    >"$TMP/out.txt" 2>&1 || fail "render $name failed: $(cat "$TMP/out.txt")"
  picks+=("$(grep '^SCENECHANGE' "$TMP/base/ZynLog.txt" | tr '\n' ' ')")
done
[ "$(echo "${picks[0]}" | wc -w)" -eq 6 ] || fail "the script's three changes did not run: ${picks[0]}"
diff -r "$TMP/seed-a" "$TMP/seed-b" >/dev/null || fail "two renders with seed 7 differ"
[ "${picks[0]}" = "${picks[1]}" ] || fail "seed 7 picked ${picks[0]} and ${picks[1]}"
[ "${picks[0]}" != "${picks[2]}" ] || fail "seeds 7 and 8 picked the same scenes: ${picks[0]}"
diff -r "$TMP/seed-a" "$TMP/seed-c" >/dev/null && fail "seeds 7 and 8 gave the same frames"
echo "ok   seed 7 twice: identical frames ($(echo ${picks[0]})); seed 8: ${picks[2]}"

# 3. Errors: one line, status 2, nothing under the final name, no temporary left.
mkdir -p "$TMP/err/full" && touch "$TMP/err/full/x" "$TMP/err/afile"
check_error() {  # name fragment out args...
  local name=$1 frag=$2 out=$3; shift 3
  local before; before=$(ls -A "$TMP/err" | tr '\n' ' ')
  "$@" >"$TMP/out.txt" 2>"$TMP/errout.txt"
  local rc=$?
  [ $rc -eq 2 ] || fail "$name: exit $rc ($(cat "$TMP/errout.txt"))"
  [ "$(wc -l < "$TMP/errout.txt")" -eq 1 ] || fail "$name: not one line: $(cat "$TMP/errout.txt")"
  grep -qF -- "$frag" "$TMP/errout.txt" || fail "$name: \"$frag\" not in: $(cat "$TMP/errout.txt")"
  [ -z "$out" ] || [ ! -e "$out" ] || [ "$out" = "$TMP/err/full" ] || fail "$name: $out was made"
  [ "$(ls -A "$TMP/err" | tr '\n' ' ')" = "$before" ] || fail "$name: left $(ls -A "$TMP/err")"
  echo "ok   $name: $(cat "$TMP/errout.txt")"
}
W="$TMP/short.wav"
check_error "bad size" "--size" "$TMP/err/o" "${ZYN[@]}" --render "$W" --out "$TMP/err/o" --size 0x480
check_error "size without x" "--size" "$TMP/err/o" "${ZYN[@]}" --render "$W" --out "$TMP/err/o" --size 640
check_error "bad rate" "--fps" "$TMP/err/o" "${ZYN[@]}" --render "$W" --out "$TMP/err/o" --fps 0
check_error "odd video size" "even" "$TMP/err/o.mp4" "${ZYN[@]}" --render "$W" --out "$TMP/err/o.mp4" --size 161x120
check_error "no ffmpeg" "apt install ffmpeg" "$TMP/err/o.mp4" env PATH=/nonexistent "${ZYN[@]}" --render "$W" --out "$TMP/err/o.mp4"
mkdir -p "$TMP/fakebin" && printf '#!/bin/sh\necho "Unknown encoder libx264" >&2\nexit 1\n' > "$TMP/fakebin/ffmpeg" && chmod +x "$TMP/fakebin/ffmpeg"
check_error "ffmpeg fails" "ffmpeg failed: Unknown encoder libx264" "$TMP/err/o.mp4" env PATH="$TMP/fakebin:$PATH" "${ZYN[@]}" --render "$W" --out "$TMP/err/o.mp4"
check_error "unwritable output" "cannot write" "$TMP/err/afile/o.mp4" "${ZYN[@]}" --render "$W" --out "$TMP/err/afile/o.mp4"
check_error "folder in use" "already holds files" "$TMP/err/full" "${ZYN[@]}" --render "$W" --out "$TMP/err/full"
check_error "missing audio" "--render" "$TMP/err/o" "${ZYN[@]}" --render "$TMP/none.wav" --out "$TMP/err/o"
check_error "missing script" "--script" "$TMP/err/o" "${ZYN[@]}" --render "$W" --out "$TMP/err/o" --script "$TMP/none.zs"
check_error "no output" "--out" "" "${ZYN[@]}" --render "$W"
check_error "clashing option" "--fixed-dt" "$TMP/err/o" "${ZYN[@]}" --render "$W" --out "$TMP/err/o" --fixed-dt 0.1

# 4. Stopped half-way (SIGTERM): status 1, nothing under the final name, no temporary left.
"${ZYN[@]}" --render "$TMP/clicks.wav" --out "$TMP/err/stopped" >"$TMP/out.txt" 2>"$TMP/errout.txt" &
ZPID=$!
for _ in $(seq 300); do compgen -G "$TMP/err/.stopped.part-*/frame000005.png" >/dev/null && break; sleep 0.1; done
kill -TERM "$ZPID"
wait_pid "$ZPID" 60; rc=$?; ZPID=
[ $rc -eq 1 ] || fail "stopped render: exit $rc ($(cat "$TMP/errout.txt"))"
grep -q "stopped after" "$TMP/errout.txt" || fail "stopped render said: $(cat "$TMP/errout.txt")"
[ ! -e "$TMP/err/stopped" ] && ! compgen -G "$TMP/err/.stopped*" >/dev/null || fail "stopped render left $(ls -A "$TMP/err")"
echo "ok   stopped render: $(cat "$TMP/errout.txt")"
echo "ok"
