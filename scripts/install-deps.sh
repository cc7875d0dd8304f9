#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need,
# when any of them is missing. Safe to run again. Names given as arguments are
# installed too (scripts/package.sh adds lintian).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev
  libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  libsimpleini-dev libgtest-dev libgmock-dev libjpeg-dev
  fonts-liberation fonts-dejavu-core fonts-wine
  xvfb xauth imagemagick
)

packages+=("$@")

# Real package names only: dpkg-query reports a virtual one as never
# installed, which would run apt-get update every time.
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
