#!/usr/bin/env bash
# Makes the contact sheet of the show: three labelled frames of every scene.
# Usage: tools/sheet/sheet.sh [build-dir] [output.png]   (from the repository root, data/ generated)
set -euo pipefail
build=${1:-build}
out=${2:-sheet/sheet.png}
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$build/tools/sheet/sheet" "$frames" 320 240
args=()
for f in "$frames"/*.png; do
  base=$(basename "$f" .png)            # NN-scene-MMMMMM
  scene=${base#*-}; scene=${scene%-*}
  ms=${base##*-}
  args+=(-label "$scene.3ds  $(awk -v m="$ms" 'BEGIN { printf "%.2f s", m / 1000 }')" "$f")
done
mkdir -p "$(dirname "$out")"
montage "${args[@]}" -tile 6x -geometry +4+4 -background '#202020' -fill white -font DejaVu-Sans -pointsize 14 "$out"
echo "wrote $out"
