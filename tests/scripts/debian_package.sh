#!/usr/bin/env bash
# The Debian package end to end: cpack builds it from the existing build folder,
# apt installs it, and an ordinary user runs the menu entry's command headless:
# settings land in ~/.config/zyn, the log in ~/.local/state/zyn, a second run
# reads the settings back; man zyn, desktop-file-validate and appstreamcli pass.
# Needs root and apt (skipped with 77 otherwise); removes the package and the
# user again unless the package was there before.
set -u
RT=$(cd "${1:?usage: debian_package.sh RUNTIME-DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/zynrun.bash"
BUILD=$(dirname "$RT")
[ "$(id -u)" -eq 0 ] || { echo "debian_package: needs root, skipped"; exit 77; }
for t in apt-get dpkg-query cpack useradd runuser; do
    command -v $t >/dev/null || { echo "debian_package: no $t, skipped"; exit 77; }
done
[ -f "$BUILD/CPackConfig.cmake" ] || fail "no CPackConfig.cmake in $BUILD"
for t in desktop-file-validate appstreamcli man; do
    command -v $t >/dev/null || fail "$t missing (scripts/packages.sh installs it)"
done

WORK=$(mktemp -d)
chmod 755 "$WORK"   # apt reads the package as its own unprivileged user
USER_NAME=zynci$$
HAD_PACKAGE=0
dpkg-query -W -f='${Status}' zyn 2>/dev/null | grep -q "install ok installed" && HAD_PACKAGE=1
APT=(apt-get -y -q -o DPkg::Lock::Timeout=300)
cleanup() {
    userdel -r "$USER_NAME" >/dev/null 2>&1
    [ $HAD_PACKAGE -eq 1 ] || DEBIAN_FRONTEND=noninteractive "${APT[@]}" purge zyn >/dev/null 2>&1
    rm -rf "$WORK"
}
trap cleanup EXIT

# Build (the build folder is up to date, so this only packs) and install.
(cd "$BUILD" && cpack -G DEB -B "$WORK" >"$WORK/cpack.txt" 2>&1) || { cat "$WORK/cpack.txt"; fail "cpack failed"; }
DEB=$(ls "$WORK"/zyn_*.deb 2>/dev/null | head -1)
[ -n "$DEB" ] || fail "cpack made no zyn_*.deb"
deps=$(dpkg-deb -f "$DEB" Depends)
for d in libsdl2-2.0-0 libgl1 libglu1-mesa libc6; do
    [[ "$deps" == *"$d"* ]] || fail "Depends lacks $d: $deps"
done
(cd "$WORK" && DEBIAN_FRONTEND=noninteractive "${APT[@]}" install "./$(basename "$DEB")" >"$WORK/apt.txt" 2>&1) ||
    { cat "$WORK/apt.txt"; fail "apt-get install failed"; }

DESKTOP=/usr/share/applications/net.quarvel.Zyn.desktop
[ -f "$DESKTOP" ] || fail "no menu entry installed"
desktop-file-validate "$DESKTOP" || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/net.quarvel.Zyn.metainfo.xml || fail "appstreamcli validate"
for size in 16 32 48 64 128 256; do
    [ -f /usr/share/icons/hicolor/${size}x$size/apps/zyn.png ] || fail "no ${size}px icon"
done
MANWIDTH=80 man -P cat zyn 2>/dev/null | grep -q "music visualiser" || fail "man zyn"
MANWIDTH=80 man -P cat zyn-send 2>/dev/null | grep -q "send music analysis" || fail "man zyn-send"

# An ordinary user runs the menu entry's command line (with a free port of our range).
useradd -m -s /bin/bash "$USER_NAME" || fail "useradd"
H=$(getent passwd "$USER_NAME" | cut -d: -f6)
EXEC=$(sed -n 's/^Exec=//p' "$DESKTOP" | head -1)
as_user() {
    # shellcheck disable=SC2086  # the Exec line is a command line
    runuser -u "$USER_NAME" -- env -i HOME="$H" PATH=/usr/bin:/bin SDL_VIDEODRIVER=offscreen \
        timeout 120 $EXEC --headless --demo --frames 120 --udp-port 22150 --announce-to 127.0.0.1 "$@"
}
as_user --exec "MAIN.DrawFPS(2)" || fail "first run as $USER_NAME: exit $?"
CFG=$H/.config/zyn/Zyn.cfg
LOG=$H/.local/state/zyn/ZynLog.txt
[ -f "$CFG" ] || fail "no $CFG"
[ -f "$LOG" ] || fail "no log under $H/.local/state/zyn"
expect_line "$LOG" " BASE DIR: /usr/share/zyn (installed; settings $H/.config/zyn, log $H/.local/state/zyn, screenshots $H/Pictures/Zyn)"
expect_no_errors "$LOG"
expect_end "$LOG"
drawfps() { sed -n '/^\[MAIN\]/,/^\[/p' "$CFG" | sed -n 's/^DrawFPS=//p'; }
[ "$(drawfps)" = 2 ] || fail "the first run did not save MAIN.DrawFPS: $(drawfps)"
[ "$(stat -c %U "$CFG")" = "$USER_NAME" ] || fail "settings not owned by the user"
# The second run starts from the saved settings (and saves them again as read).
as_user || fail "second run as $USER_NAME: exit $?"
[ "$(drawfps)" = 2 ] || fail "the second run lost MAIN.DrawFPS: $(drawfps)"
expect_end "$LOG"
echo "debian_package: all checks passed"
