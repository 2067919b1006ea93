#!/usr/bin/env bash
# Figures of the program a user gets, under Wine: the size of dist/Horavox.exe, the
# milliseconds until its main window is mapped (the median of three starts with a warm
# wineserver), and over a minute of idling its share of one core and its resident memory
# beside Wine's own notepad's, with the wineserver's share.
# It prints figures and is not a test. Runs in its own Wine prefix, build/win/wineprefix-bench,
# with the clock's settings cleared first.
# Usage: tools/bench-program.sh [idle seconds, default 60]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
idle=${1:-60}
"$root/tools/setup.sh"
"$root/tools/build.sh" win dist winctl

export HORAVOX_WINEPREFIX=$root/build/win/wineprefix-bench
source "$root/tools/display.sh"
source "$root/tools/wine-env.sh"
horavox_ensure_display
horavox_wine_prefix_ready
exe=$root/build/win/dist/Horavox.exe
winctl=$root/build/win/tests/e2e/winctl.exe

server= clock= notepad=
cleanup() {
  for p in $clock $notepad; do kill "$p" 2>/dev/null || true; done
  "$WINESERVER" -k 2>/dev/null || true
  [ -n "$server" ] && wait "$server" 2>/dev/null
  horavox_stop_display
}
trap cleanup EXIT

# A wineserver of our own, kept running, with Wine's desktop and services already up.
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
"$WINESERVER" -p -f &
server=$!
"$WINE" "$winctl" warm-up </dev/null >/dev/null 2>&1
"$WINE" reg delete 'HKCU\Software\Fernwick\Horavox' /f </dev/null >/dev/null 2>&1 || true

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
mapped() { xwininfo -name "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Starts the clock; adds the milliseconds until its main window is mapped to `starts`.
start_clock() {
  local start
  start=$(now_ms)
  "$WINE" "$exe" </dev/null >/dev/null 2>&1 &
  clock=$!
  until mapped "Хоравокс"; do
    [ $(( $(now_ms) - start )) -lt 20000 ] || { echo "bench: the clock's window did not come up" >&2; exit 1; }
    sleep 0.005
  done
  starts+=($(( $(now_ms) - start )))
}
close_clock() {
  "$WINE" "$winctl" close TForm1 </dev/null >/dev/null 2>&1 || true
  wait "$clock" 2>/dev/null || true
  clock=
}
# Three starts: the last one stays for the idle figures.
starts=()
for i in 1 2 3; do
  [ -z "$clock" ] || close_clock
  start_clock
done

"$WINE" 'C:\windows\system32\notepad.exe' </dev/null >/dev/null 2>&1 &
notepad=$!
"$WINE" "$winctl" wait-window Notepad 20000 </dev/null >/dev/null 2>&1
sleep 2  # both past their start-up

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # user + system time, in clock ticks
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
hz=$(getconf CLK_TCK)
t0=$(now_ms); c0=$(ticks "$clock"); n0=$(ticks "$notepad"); s0=$(ticks "$server")
sleep "$idle"
t1=$(now_ms); c1=$(ticks "$clock"); n1=$(ticks "$notepad"); s1=$(ticks "$server")
clock_rss=$(rss_kb "$clock"); notepad_rss=$(rss_kb "$notepad")
clock_name=$(cat "/proc/$clock/comm"); notepad_name=$(cat "/proc/$notepad/comm")

"$WINE" "$winctl" close TForm1 </dev/null >/dev/null 2>&1 || true
"$WINE" "$winctl" close Notepad </dev/null >/dev/null 2>&1 || true
wait "$clock" "$notepad" 2>/dev/null || true
clock= notepad=

size=$(stat -c %s "$exe")
LC_ALL=C awk -v size="$size" -v ms="${starts[*]}" -v idle=$(( t1 - t0 )) -v hz="$hz" \
    -v cn="$clock_name" -v nn="$notepad_name" \
    -v c=$(( c1 - c0 )) -v n=$(( n1 - n0 )) -v s=$(( s1 - s0 )) \
    -v cr="$clock_rss" -v nr="$notepad_rss" 'BEGIN {
  cpu_c = 100 * c / hz / (idle / 1000); cpu_n = 100 * n / hz / (idle / 1000); cpu_s = 100 * s / hz / (idle / 1000)
  printf "program            dist/Horavox.exe, %.2f MB (%d bytes)\n", size / 1048576, size
  n = split(ms, m, " "); for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (m[j] < m[i]) { t = m[i]; m[i] = m[j]; m[j] = t }
  printf "window mapped      %d ms after start, the median of %d starts with a warm wineserver (%s)\n", m[int((n + 1) / 2)], n, ms
  printf "idle %3.0f s                CPU %% of a core   resident MB\n", idle / 1000
  printf "  %-22s %8.2f %17.1f\n", cn, cpu_c, cr / 1024
  printf "  %-22s %8.2f %17.1f\n", nn, cpu_n, nr / 1024
  printf "  %-22s %8.2f\n", "wineserver", cpu_s
  printf "  %-22s %8.2f\n", cn " + server", cpu_c + cpu_s
  printf "  %-22s %8s %17.2f\n", "ratio", (cpu_n > 0 ? sprintf("%.2f", cpu_c / cpu_n) : "-"), cr / nr
}'
