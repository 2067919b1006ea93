#!/usr/bin/env bash
# Draws the glyphs of the main window's countdown buttons and of the audio player's buttons
# as form data (a 32-bit byte count, then a 24-bit BMP3 file), which a form takes as a
# bitmap's Data by @file(NAME): a green
# triangle that starts the countdown and a red square that stops it, on magenta at the
# bottom-left, which makes it transparent.
# Usage: make-app-glyphs.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out"
glyph() { # name convert-arguments...
  local name=$1; shift
  convert -size 16x16 "xc:#FF00FF" +antialias "$@" -type TrueColor "BMP3:$out/$name.bmp"
  local size
  size=$(stat -c %s "$out/$name.bmp")
  { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((size & 255)) $((size >> 8 & 255)) \
      $((size >> 16 & 255)) $((size >> 24 & 255)))"; cat "$out/$name.bmp"; } > "$out/$name.glyph"
}
glyph timerstart -fill "#00A000" -stroke "#004000" -draw "polygon 4,2 13,8 4,14"
glyph timerstop -fill "#D00000" -stroke "#400000" -draw "rectangle 3,3 12,12"
# The audio player's buttons: pause, play, stop and open (a folder).
glyph playerpause -fill "#000080" -stroke "#000040" -draw "rectangle 4,3 6,12" -draw "rectangle 9,3 11,12"
glyph playerplay -fill "#00A000" -stroke "#004000" -draw "polygon 4,2 13,8 4,14"
glyph playerstop -fill "#000080" -stroke "#000040" -draw "rectangle 3,3 12,12"
glyph playeropen -fill "#E0C040" -stroke "#806000" -draw "polygon 1,4 6,4 7,6 14,6 14,13 1,13"
