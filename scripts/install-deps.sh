#!/usr/bin/env bash
# Installs the Debian packages that building, generating and testing the show need, on
# Debian 12 and Debian 13 alike (every name below exists in both). Idempotent: does nothing
# when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  lib3ds-dev libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  # Debian 12's libsdl1.2-dev is classic SDL 1.2; this is sdl12-compat beside it, for the tests
  # (Debian 13's libsdl1.2-dev is sdl12-compat itself).
  libsdl1.2-compat
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libosmesa6-dev
  libpng-dev libjpeg-dev libmp3lame-dev libsoxr-dev libx11-dev libxcb1-dev libxfixes-dev libxdamage-dev
  libgtest-dev clang libclang-rt-dev
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core faketime mpg123 libmpg123-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  libassimp-dev assimp-utils assimp-testmodels gnuplot-nox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
