#!/usr/bin/env bash
# The Windows window's pictures from resources/images, as windres takes them: the
# banner and the Deep Sleep picture, each also at twice the size (for scaled screens),
# as 24-bit BMP on the window's background colour, the program icon as a multi-size
# ICO, and the task log's three status pictures (running step, information, error)
# drawn on a 16x16 grid at four times the size and kept at 16 to 32 pixels. Needs
# ImageMagick.
#   make-windows-images.sh SOURCE_IMAGES OUT_DIR
set -euo pipefail
src=$1
out=$2
mkdir -p "$out"
background='rgb(236,233,216)'

for picture in banner deepsleep; do
  for size in "" @2x; do
    convert "$src/$picture$size.png" -background "$background" -alpha remove -alpha off -type TrueColor \
      "BMP3:$out/$picture${size/@2x/-large}.bmp"
  done
done
convert "$src/icon.png" -define icon:auto-resize=64,48,32,16 "$out/icon.ico"

status() {  # name, then ImageMagick drawing arguments on a transparent 16x16 grid
  local name=$1
  shift
  convert -size 64x64 xc:none -affine 4,0,0,4,0,0 "$@" -define icon:auto-resize=32,24,20,16 "$out/$name.ico"
}
status status-running -stroke 'rgb(40,110,40)' -strokewidth 1.5 -fill 'rgb(220,245,220)' \
  -draw 'circle 8,8 8,1.5' -draw 'line 8,8 8,4' -draw 'line 8,8 11,9.5'
status status-info -stroke none -fill 'rgb(30,90,200)' -draw 'circle 8,8 8,1' \
  -fill white -draw 'rectangle 7,3.5 9,5.5' -draw 'rectangle 7,6.5 9,12.5'
status status-error -stroke none -fill 'rgb(200,30,30)' -draw 'circle 8,8 8,1' \
  -stroke white -strokewidth 2.2 -draw 'line 5,5 11,11' -draw 'line 11,5 5,11'
