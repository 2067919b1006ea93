#!/usr/bin/env bash
# Builds the benchmarks natively without sanitizers (build/bench) and runs them; they print
# figures (throughput beside memcpy and the like), they do not pass or fail.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/setup.sh"
dir=$root/build/bench
[ -f "$dir/build.ninja" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DHORAVOX_SANITIZE=OFF >/dev/null
if cmake --build "$dir" --target help | grep -q '^benchmarks:'; then
  cmake --build "$dir" -j "$(nproc)" --target benchmarks -- --quiet
  # The xBase table and index benchmarks run TDbf programs beside the engine.
  if command -v fpc >/dev/null; then
    mkdir -p "$dir/tdbf"
    fpc -O2 -FU"$dir/tdbf" -o"$dir/tdbf/tdbf_bench" "$root/tests/xbase/tdbf_bench.pas" >/dev/null &&
      export HORAVOX_TDBF_BENCH=$dir/tdbf/tdbf_bench
    fpc -O2 -FU"$dir/tdbf" -o"$dir/tdbf/tdbf_index" "$root/tests/xbase/tdbf_index.pas" >/dev/null &&
      export HORAVOX_TDBF_INDEX=$dir/tdbf/tdbf_index
  fi
  (cd "$dir"
   for b in $(find "$dir" -name 'bench_*' -type f -executable | sort); do
     echo "== $(basename "$b")"
     "$b" "$@"
   done)
fi
# Windows figures (windows, regions, threads): in the Windows tree, run under Wine.
"$root/tools/build.sh" win bench_stage bench_dbgrid
source "$root/tools/display.sh"
horavox_ensure_display
echo "== bench_stage"
"$root/tools/wine-run" "$root/build/win/tests/assistant/bench_stage.exe" "Z:$root/build/win/actors" || true
echo "== bench_dbgrid"
"$root/tools/wine-run" "$root/build/win/tests/gridcal/bench_dbgrid.exe" || true
horavox_stop_display
