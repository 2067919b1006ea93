#!/usr/bin/env bash
# Configures (once) and builds the two build trees:
#   build/win     cross-compiled for Windows x86-64, run under Wine
#   build/native  the portable code with clang, ASan and UBSan, fuzzers
# Usage: build.sh [win|native|all] [targets...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
which=${1:-all}; shift || true
jobs=$(nproc)
# Optional compiler cache: paths below the checkout are hashed relative to it, so
# every checkout of the project shares one cache.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

configure() { # dir args...
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
}
build() { # dir targets...
  local dir=$1; shift
  local t=()
  for x in "$@"; do t+=(--target "$x"); done
  cmake --build "$dir" -j "$jobs" "${t[@]}" -- --quiet
}

if [ "$which" = win ] || [ "$which" = all ]; then
  configure "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
  build "$root/build/win" "$@"
fi
if [ "$which" = native ] || [ "$which" = all ]; then
  CC=clang CXX=clang++ configure "$root/build/native" -DHORAVOX_WIN_BUILD_DIR="$root/build/win"
  build "$root/build/native" "$@"
fi
