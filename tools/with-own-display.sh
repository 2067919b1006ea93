#!/usr/bin/env bash
# Runs a command on a virtual display of its own (Xvfb), ended after it: the end-to-end
# tests click, type and take screenshots, which other tests' windows on a shared display
# would get in the way of.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
unset DISPLAY
horavox_ensure_display || exit 1
"$@"
rc=$?
horavox_stop_display
exit $rc
