#!/usr/bin/env bash
# Installs every Debian package the build, the programs and the tests need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs libpng-dev zlib1g-dev
  libtiff-tools
  # giflib: the reference the GIF tests and benchmark compare with (never linked by the programs)
  libgif-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation xvfb xauth
  # a real file manager and a mouse driver for the drag-and-drop end-to-end test
  pcmanfm xdotool
  python3 python3-aiosmtpd
  chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
