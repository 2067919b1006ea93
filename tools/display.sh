# Sourced: gives the session an X display. Uses $DISPLAY when it answers; otherwise starts
# Xvfb (24-bit) on a free display number and waits until it is ready to take clients.
# horavox_stop_display ends an Xvfb that this started.
horavox_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    HORAVOX_XVFB_PID=
    return 0
  fi
  local ready
  ready=$(mktemp)
  # -displayfd writes the display number once the server accepts connections.
  # In a session of its own, so that a Ctrl+C meant for the script does not end it first.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  HORAVOX_XVFB_PID=$!
  local i
  for i in $(seq 1 200); do
    [ -s "$ready" ] && break
    kill -0 "$HORAVOX_XVFB_PID" 2>/dev/null || { echo "display: Xvfb did not start" >&2; return 1; }
    sleep 0.05
  done
  [ -s "$ready" ] || { echo "display: Xvfb did not become ready" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$ready")"
  rm -f "$ready"
  xdpyinfo >/dev/null 2>&1 || { echo "display: $DISPLAY does not answer" >&2; return 1; }
}

horavox_stop_display() {
  [ -n "${HORAVOX_XVFB_PID:-}" ] && kill "$HORAVOX_XVFB_PID" 2>/dev/null
  HORAVOX_XVFB_PID=
  return 0
}
