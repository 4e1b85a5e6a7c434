#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, when any is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libsdl2-dev libglew-dev libluajit-5.1-dev libglm-dev libstb-dev libimgui-dev libopenal-dev libsndfile1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool libgl1-mesa-dri mesa-utils imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
