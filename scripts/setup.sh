#!/usr/bin/env bash
# Installs the Debian 12 packages Korvex needs to build, run and test.
# Idempotent: it asks dpkg what is missing and only then runs apt-get.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git lld
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libgl-dev libx11-dev
  qt6-httpserver-dev qt6-websockets-dev chromium
  libasound2-dev libasound2-plugins alsa-utils
  libshp-dev libfreexl-dev shapelib
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libhamlib-utils
  locales
  clang clang-format libclang-rt-14-dev
  xvfb xauth xdotool imagemagick sox libsox-fmt-all socat
  fonts-dejavu-core
  dpkg-dev lintian desktop-file-utils appstream man-db groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
