#!/usr/bin/env bash
# Installs, on Debian 12, what the build, the clock and the tests need: only what is
# missing, so a second run costs nothing. Also generates the ru_RU.UTF-8 locale that Wine
# needs to open files with Cyrillic names.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb xauth x11-utils imagemagick faketime
  espeak-ng sox googletest libbenchmark-dev locales fonts-liberation fonts-dejavu-core
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
