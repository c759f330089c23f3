#!/usr/bin/env bash
# Installs the Debian 12 packages Framora Pro needs to build, run and test.
# Works as root and as a user with sudo; installs only what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  zlib1g-dev libpng-dev libjpeg-dev libtiff-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev qt6-qpa-plugins
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  xvfb xauth
)
# Only the test suite needs these: peers for comparison and a second decoder.
if [ "${1:-}" = "--test" ]; then
  PACKAGES+=(giflib-tools imagemagick ffmpeg python3-pil gifsicle)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
