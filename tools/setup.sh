#!/usr/bin/env bash
# Installs, on Debian 12, what the build, the clock and the tests need: only what is
# missing, so a second run costs nothing. Also generates the ru_RU.UTF-8 locale that Wine
# needs to open files with Cyrillic names.
set -euo pipefail
packages=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 fonts-wine xvfb xauth x11-utils imagemagick faketime
  espeak-ng sox googletest libbenchmark-dev locales fonts-liberation fonts-dejavu-core
  # The JPEG library's source is Debian's source package, unpacked by apt-get source below.
  dpkg-dev
  # For tests only: other programs' xBase readers, which read back the tables the engine
  # writes, and the compiler of the TDbf reader and benchmark. No build target needs them.
  python3-dbfread libdbd-xbase-perl fp-compiler fp-units-db
)
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  echo "setup: generating the ru_RU.UTF-8 locale"
  $sudo sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# The JPEG library the about box's picture needs, as Debian's source package unpacked in
# build/src (never committed); the Windows build cross-compiles it. apt-get source needs
# the archive's source entries: added beside the binary ones when missing.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if ! ls "$root"/build/src/libjpeg-turbo-*/CMakeLists.txt >/dev/null 2>&1; then
  if ! apt-get indextargets --no-release-info 'Identifier: Sources' 2>/dev/null | grep -q .; then
    echo "setup: adding the Debian archive's source entries"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/horavox-src.sources >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $sudo tee /etc/apt/sources.list.d/horavox-src.list >/dev/null
    fi
    $sudo apt-get update -qq
  fi
  echo "setup: fetching the JPEG library's source into build/src"
  mkdir -p "$root/build/src"
  # As root apt would fetch as its own user, which cannot write here.
  asroot=(); [ "$(id -u)" -ne 0 ] || asroot=(-o APT::Sandbox::User=root)
  (cd "$root/build/src" && apt-get "${asroot[@]}" source -qq libjpeg-turbo >/dev/null)
fi
