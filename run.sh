#!/usr/bin/env bash
# Sets up (Debian 12), builds the clock and starts it under Wine. On a machine without a
# display it starts a virtual one, takes a screenshot every few seconds and captures what
# the clock plays; it says where they are.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" win dist

source "$root/tools/display.sh"
out=$root/build/run
mkdir -p "$out"
shots=
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  horavox_ensure_display
  export HORAVOX_CAPTURE=$out/sound.raw
  : > "$HORAVOX_CAPTURE"
  echo "run: no display of your own, so the clock runs on the virtual display $DISPLAY."
  echo "run: screenshot every 5 s: $out/screen.png"
  echo "run: what it plays (raw PCM, 16-bit mono 22050 Hz): $HORAVOX_CAPTURE"
  ( while sleep 5; do import -window root "$out/screen.png.tmp.png" 2>/dev/null \
      && mv "$out/screen.png.tmp.png" "$out/screen.png"; done ) &
  shots=$!
fi
source "$root/tools/wine-env.sh"
horavox_wine_prefix_ready
cleanup() {
  [ -n "$shots" ] && kill "$shots" 2>/dev/null
  horavox_stop_display
}
trap cleanup EXIT
echo "run: starting the clock; close its window (or press Ctrl+C) to stop."
"$WINE" "$root/build/win/dist/Horavox.exe"
