#!/usr/bin/env bash
# Sets up (Debian 12), builds both trees and runs every test: natively, and under Wine
# with a virtual display when there is none. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" all

source "$root/tools/display.sh"
source "$root/tools/wine-env.sh"
horavox_ensure_display
# The unit-test prefix and the end-to-end one (which restarts its wineserver under a fake
# clock) are made side by side the first time.
horavox_wine_prefix_ready & unit=$!
HORAVOX_WINEPREFIX=$root/build/win/wineprefix-e2e bash -c "source '$root/tools/wine-env.sh'; horavox_wine_prefix_ready" & e2e=$!
wait $unit $e2e
# One wineserver for the whole run, ended at its end. Wine's own long-lived processes
# (services, desktop) start now, with no pipe of ctest's inherited: a test whose output pipe
# they held open would never end.
# A build step that ran a tool under Wine may have left its wineserver lingering: let it end.
"$WINESERVER" -w 2>/dev/null || true
"$WINESERVER" -p
"$WINE" "$root/build/win/tests/e2e/winctl.exe" warm-up </dev/null >/dev/null 2>&1
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  HORAVOX_WINEPREFIX=$root/build/win/wineprefix-e2e bash -c "source '$root/tools/wine-env.sh'; \"\$WINESERVER\" -k" 2>/dev/null || true
  horavox_stop_display
}
trap cleanup EXIT

rm -rf "$root/build/win/test-tmp" "$root/build/native/test-tmp"
# One ctest run over both trees, so one summary.
printf 'subdirs("native" "win")\n' > "$root/build/CTestTestfile.cmake"
ctest --test-dir "$root/build" -j "$(nproc)" --timeout 900 --output-on-failure "$@"
