#!/usr/bin/env bash
# Draws the client's icon, res/app.ico: an antenna mast sending radio waves
# over a strip of timeline marks, at 32x32 and 16x16. Run it again after
# changing the drawing; the .ico is committed so builds do not need it.
set -euo pipefail
cd "$(dirname "$0")/.."
convert=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One drawing on a 128-pixel canvas with strokes thick enough to survive the
# reduction to 16 pixels.
"$convert" -size 128x128 xc:none \
  -fill '#1d4e89' -stroke none -draw 'roundrectangle 4,4 123,123 22,22' \
  -fill none -stroke '#ffffff' -strokewidth 10 \
  -draw 'line 64,50 42,100' -draw 'line 64,50 86,100' -draw 'line 52,80 76,80' \
  -fill '#ffffff' -stroke none -draw 'circle 64,46 64,56' \
  -fill none -stroke '#7fd3ff' -strokewidth 9 \
  -draw 'ellipse 64,46 26,26 140,220' -draw 'ellipse 64,46 26,26 320,400' \
  -draw 'ellipse 64,46 48,48 145,215' -draw 'ellipse 64,46 48,48 325,395' \
  -stroke none -fill '#ff4040' -draw 'rectangle 14,104 32,120' \
  -fill '#40e040' -draw 'rectangle 96,104 114,120' \
  "$work/icon-128.png"

"$convert" "$work/icon-128.png" -filter Lanczos -resize 32x32 "$work/icon-32.png"
"$convert" "$work/icon-128.png" -filter Lanczos -resize 16x16 "$work/icon-16.png"
"$convert" "$work/icon-32.png" "$work/icon-16.png" res/app.ico
echo "wrote res/app.ico"
