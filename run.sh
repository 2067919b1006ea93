#!/usr/bin/env bash
# Sets up (Debian 12), builds the clock and starts it under Wine. On a machine without a
# display it starts a virtual one, takes a screenshot every few seconds and captures what
# the clock plays; it says where they are.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" win dist winctl

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
  if [ -n "$shots" ]; then kill "$shots" 2>/dev/null || true; fi
  horavox_stop_display
}
trap cleanup EXIT
# Ctrl+C closes the clock's window as a user would, and waits for the clock to end: at its
# normal exit it saves its settings and deletes the character files it wrote beside itself.
# The clock runs in a session of its own, so the terminal's Ctrl+C reaches only this script.
clock=
stop_clock() {
  trap '' INT TERM
  echo "run: closing the clock's window"
  if "$WINE" "$root/build/win/tests/e2e/winctl.exe" close TForm1 </dev/null >/dev/null 2>&1; then
    for _ in $(seq 1 300); do running "$clock" || break; sleep 0.1; done
  fi
  if running "$clock"; then
    echo "run: the clock did not end within 30 s; ending it" >&2
    kill "$clock" 2>/dev/null || true
  fi
}
running() { [ -e "/proc/$1" ] && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]; }
trap stop_clock INT TERM
echo "run: starting the clock; close its window (or press Ctrl+C) to stop."
setsid "$WINE" "$root/build/win/dist/Horavox.exe" </dev/null &
clock=$!
wait "$clock" || true  # returns early when Ctrl+C's trap has run (and the clock has ended)
status=0
wait "$clock" || status=$?
exit "$status"
