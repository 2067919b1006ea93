#!/usr/bin/env bash
# Draws the about box's picture (the clock's shield with its clock face, 128 x 128) and
# writes it as the JPEG files the program and the tests use:
#   About.jpg             the about box's picture: baseline, quality 92
#   drawing.bmp           the drawing itself (24-bit), what the tests compare against
#   progressive.jpg       the same, progressive
#   grey.jpg              the same in greyscale (one component)
# Usage: make-jpeg-pictures.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out"
shield="polygon 16,8 112,8 112,66 64,122 16,66"
convert -size 128x128 "xc:#E8E8E8" \
  "(" -size 128x128 "gradient:#E02020-#40D040" ")" \
  "(" -size 128x128 xc:black -fill white -draw "$shield" ")" -composite \
  -fill none -stroke "#B0B0B0" -strokewidth 3 -draw "$shield" \
  -fill "#101820" -stroke "#C0C0C0" -strokewidth 3 -draw "circle 64,54 64,22" \
  -stroke "#40FF40" -strokewidth 5 -draw "line 64,54 64,32" -draw "line 64,54 84,64" \
  -stroke none -fill "#40FF40" -draw "circle 64,54 64,50" \
  -draw "rectangle 62,25 66,29" -draw "rectangle 62,79 66,83" -draw "rectangle 35,52 39,56" \
  -draw "rectangle 89,52 93,56" \
  -alpha off -type TrueColor "$out/drawing.png"
convert "$out/drawing.png" -type TrueColor BMP3:"$out/drawing.bmp"
convert "$out/drawing.png" -strip -interlace none -quality 92 -sampling-factor 2x2,1x1,1x1 "JPEG:$out/About.jpg"
convert "$out/drawing.png" -strip -interlace JPEG -quality 92 "JPEG:$out/progressive.jpg"
convert "$out/drawing.png" -strip -colorspace Gray -type Grayscale -quality 92 "JPEG:$out/grey.jpg"
rm "$out/drawing.png"
