#!/usr/bin/env bash
# Draws the bitmaps the desktop components load by name, as 24-bit BMP3 files with the key
# colour (magenta) at the bottom-left, which makes it transparent: the message dialog's
# four icons (32 x 32) and the track bar's thumbs (pointing down for a horizontal bar,
# right for a vertical one; the "invert" ones, shown while dragged or disabled, in
# inverted colours). Also writes desktop.rc, which names them.
# Usage: make-desktop-bitmaps.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out"
key="#FF00FF"
draw() { # name convert-arguments...
  local name=$1; shift
  convert "$@" -type TrueColor "BMP3:$out/${name,,}.bmp"
}
icon=(-size 32x32 "xc:$key" +antialias -stroke black -strokewidth 1)
disc=(-fill "#1050D0" -draw "circle 16,16 16,2" -stroke none -fill white)
draw DSKDLGEXWARNING "${icon[@]}" -fill "#FFD800" -draw "polygon 16,2 30,29 2,29" -stroke none -fill black \
  -draw "rectangle 15,10 17,21" -draw "rectangle 15,24 17,26"
draw DSKDLGEXERROR "${icon[@]}" -fill "#D01010" -draw "circle 16,16 16,2" -stroke white -strokewidth 3 \
  -draw "line 11,11 21,21" -draw "line 21,11 11,21"
draw DSKDLGEXINFORMATION "${icon[@]}" "${disc[@]}" -draw "rectangle 14,13 18,25" -draw "rectangle 14,7 18,10"
draw DSKDLGEXCONFIRMATION "${icon[@]}" "${disc[@]}" -font DejaVu-Sans-Bold -pointsize 20 -gravity center \
  -annotate +0+0 "?"
horz=(+antialias -draw "polygon 1,0 9,0 9,15 5,19 1,15")
vert=(+antialias -draw "polygon 1,1 15,1 19,5 15,9 1,9")
normal=(-fill "#C0C0C0" -stroke "#606060")
invert=(-fill "#3F3F3F" -stroke "#9F9F9F")
draw THUMB_HORZ -size 11x21 "xc:$key" "${normal[@]}" "${horz[@]}"
draw THUMB_VERT -size 21x11 "xc:$key" "${normal[@]}" "${vert[@]}"
draw THUMB_HORZ_INVERT -size 11x21 "xc:$key" "${invert[@]}" "${horz[@]}"
draw THUMB_VERT_INVERT -size 21x11 "xc:$key" "${invert[@]}" "${vert[@]}"
dir=$(cd "$out" && pwd)
for name in DSKDLGEXWARNING DSKDLGEXERROR DSKDLGEXINFORMATION DSKDLGEXCONFIRMATION \
            THUMB_HORZ THUMB_VERT THUMB_HORZ_INVERT THUMB_VERT_INVERT; do
  echo "$name BITMAP \"$dir/${name,,}.bmp\""
done > "$out/desktop.rc"
