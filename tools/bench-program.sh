#!/usr/bin/env bash
# Figures of the program a user gets, under Wine, each beside Wine's own notepad measured in
# the same run: the size of dist/Horavox.exe; the milliseconds until the main window is
# mapped (the median of three starts with a warm wineserver), notepad's the same way; and,
# over a stretch of idling in each state a user leaves the clock in all day (idle, a
# countdown running, minimised with the micro clock shown), the clock's share of one core,
# the wineserver's share and the resident memory, with the wineserver's share while
# notepad runs alone. The machine's load average is printed beside the figures: other
# work on the machine slows both programs alike, so the ratios are what to compare.
# It prints figures and is not a test. Runs in its own Wine prefix, build/win/wineprefix-bench,
# with the clock's settings cleared first. Run it without DISPLAY to have a display of its own.
# Usage: tools/bench-program.sh [seconds per state, default 60]
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
  for p in $clock $notepad ${started:-}; do kill "$p" 2>/dev/null || true; done
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
ctl() { "$WINE" "$winctl" "$@" </dev/null >/dev/null 2>&1; }
ctl warm-up
"$WINE" reg delete 'HKCU\Software\Fernwick\Horavox' /f </dev/null >/dev/null 2>&1 || true
load_average() { cut -d' ' -f1-3 /proc/loadavg; }
load_start=$(load_average)

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# A top-level X window of the program's (its X class is the program's file name) is mapped,
# not counting 1 x 1 ones (the application's own window, the input method's).
mapped() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | awk -v c="\"$1\"" 'index($0, c) && !/ 1x1\+/ {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}

# Starts a program; adds the milliseconds until its window is mapped to the array named by
# $3 and leaves its process id in `started`.
start_mapped() {
  local start
  start=$(now_ms)
  "$WINE" "$1" </dev/null >/dev/null 2>&1 &
  started=$!
  until mapped "$2"; do
    [ $(( $(now_ms) - start )) -lt 20000 ] || { echo "bench: the window of $1 did not come up" >&2; exit 1; }
    sleep 0.005
  done
  eval "$3+=($(( $(now_ms) - start )))"
}
# Closes the window as a user would (again while a start-up has not taken it yet) and waits
# for the program to end.
close_program() {
  local i
  for i in $(seq 1 100); do
    kill -0 "$1" 2>/dev/null || break
    (( i % 25 == 1 )) && { ctl close "$2" || true; }
    sleep 0.2
  done
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Notepad's window away from the notification area, which the tray clicks below reach.
for v in iWindowPosX=600 iWindowPosY=500 iWindowPosDX=400 iWindowPosDY=300; do
  "$WINE" reg add 'HKCU\Software\Microsoft\Notepad' /v "${v%%=*}" /t REG_DWORD /d "${v#*=}" /f </dev/null >/dev/null 2>&1
done
# Three starts of a program (its file, X class, window class), their times in the array
# named <name>_starts; the last one stays, its process id in `started`.
three_starts() {
  local i last=
  eval "$4_starts=()"
  for i in 1 2 3; do
    [ -z "$last" ] || close_program "$last" "$3"
    start_mapped "$1" "$2" "$4_starts"
    last=$started
  done
}
# Notepad's starts: the last one stays, alone for the wineserver's own share.
three_starts 'C:\windows\system32\notepad.exe' notepad.exe Notepad notepad
notepad=$started
sleep 2

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # user + system time, in clock ticks
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# Idles for the stretch; appends "name ms clock-ticks notepad-ticks server-ticks clock-KB
# notepad-KB load" to `states`.
measure() {
  local t0 c0=0 n0 s0 t1 c1=0 n1 s1 crss=0
  t0=$(now_ms); n0=$(ticks "$notepad"); s0=$(ticks "$server")
  [ -z "$clock" ] || c0=$(ticks "$clock")
  sleep "$idle"
  t1=$(now_ms); n1=$(ticks "$notepad"); s1=$(ticks "$server")
  [ -z "$clock" ] || { c1=$(ticks "$clock"); crss=$(rss_kb "$clock"); }
  states+=("$1 $(( t1 - t0 )) $(( c1 - c0 )) $(( n1 - n0 )) $(( s1 - s0 )) $crss $(rss_kb "$notepad") $(load_average | tr ' ' ,)")
}
states=()
measure "notepad-alone"

# The clock's starts: the last one stays for the states.
three_starts "$exe" horavox.exe TForm1 clock
clock=$started
clock_name=$(cat "/proc/$clock/comm"); notepad_name=$(cat "/proc/$notepad/comm")
sleep 2  # past its start-up
measure "idle"

# Minimised, with the micro clock shown (it is by default).
ctl click TForm1 "Свернуть" || { echo "bench: the clock did not minimise" >&2; exit 1; }
sleep 2
measure "micro-clock"
ctl tray-click left
sleep 1

# "Таймер" ▸ "На 1 час" in the tray menu: the countdown runs, its LED blinks.
for i in 1 2 3; do
  ctl tray-click right && ctl menu-click 10 7 7 5 && break
  ctl keys escape || true  # a menu left open by a click gone astray
  [ "$i" -lt 3 ] || { echo "bench: the countdown did not start" >&2; exit 1; }
done
sleep 2
measure "countdown"

close_program "$clock" TForm1
close_program "$notepad" Notepad
clock= notepad=

size=$(stat -c %s "$exe")
LC_ALL=C awk -v size="$size" -v cms="${clock_starts[*]}" -v nms="${notepad_starts[*]}" -v hz="$(getconf CLK_TCK)" \
    -v cn="$clock_name" -v nn="$notepad_name" -v load0="$load_start" -v load1="$(load_average)" \
    -v states="$(printf '%s\n' "${states[@]}")" '
function median(list, m, n, i, j, t) {
  n = split(list, m, " ")
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (m[j] < m[i]) { t = m[i]; m[i] = m[j]; m[j] = t }
  return m[int((n + 1) / 2)]
}
function ratio(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
BEGIN {
  printf "load average       %s at the start, %s at the end\n", load0, load1
  printf "program            dist/Horavox.exe, %.2f MB (%d bytes)\n", size / 1048576, size
  cm = median(cms); nm = median(nms)
  printf "window mapped      the median of 3 starts with a warm wineserver\n"
  printf "  %-22s %6d ms (%s)\n", cn, cm, cms
  printf "  %-22s %6d ms (%s)\n", nn, nm, nms
  printf "  %-22s %9s\n", "ratio", ratio(cm, nm)
  n = split(states, line, "\n")
  for (i = 1; i <= n; i++) {
    split(line[i], f, " ")
    s = f[1]; order[i] = s
    secs = f[2] / 1000
    cpu_c[s] = 100 * f[3] / hz / secs; cpu_n[s] = 100 * f[4] / hz / secs; cpu_s[s] = 100 * f[5] / hz / secs
    rss_c[s] = f[6] / 1024; rss_n[s] = f[7] / 1024; load[s] = f[8]; gsub(",", " ", load[s])
  }
  printf "%.0f s in each state     CPU %% of a core, ratio to notepad, to idle        resident MB\n", secs
  printf "  %-13s %8s %8s %6s %7s %10s %7s %8s %8s %6s   load average\n", "state", cn, nn, "ratio", "server",
         "/ np-alone", "/ idle", cn, nn, "ratio"
  for (i = 1; i <= n; i++) {
    s = order[i]
    if (s == "notepad-alone") {
      printf "  %-13s %8s %8.2f %6s %7.2f %10s %7s %8s %8.1f %6s   %s\n", s, "-", cpu_n[s], "-", cpu_s[s], "", "",
             "-", rss_n[s], "-", load[s]
      continue
    }
    printf "  %-13s %8.2f %8.2f %6s %7.2f %10s %7s %8.1f %8.1f %6s   %s\n", s, cpu_c[s], cpu_n[s],
           ratio(cpu_c[s], cpu_n[s]), cpu_s[s], ratio(cpu_s[s], cpu_s["notepad-alone"]),
           s == "idle" ? "" : ratio(cpu_c[s], cpu_c["idle"]), rss_c[s], rss_n[s], ratio(rss_c[s], rss_n[s]), load[s]
  }
}'
