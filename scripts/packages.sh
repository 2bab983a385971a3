#!/usr/bin/env bash
# Installs the Debian 12 packages Zyn needs to build, run, test and benchmark.
# Used by scripts/setup.sh and CI. Safe to run again.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config ccache
  libsdl2-dev libglu1-mesa-dev libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
  xvfb xauth xdotool
  fonts-dejavu-core libfreetype-dev libpng-dev
  dpkg-dev desktop-file-utils appstream man-db
  libsystemd-dev dbus-daemon
  libaubio-dev libsndfile1-dev libpulse-dev pulseaudio pulseaudio-utils
  liblo-dev librtmidi-dev
  ffmpeg
  libwebsockets-dev libjpeg-dev nlohmann-json3-dev chromium
  clang libclang-rt-14-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "packages: all installed"
  exit 0
fi
echo "packages: installing ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
