#!/usr/bin/env bash
# The class library's layering, checked on the sources: every include of the library names
# its layer, and a layer includes only itself and the layers below it:
#   classlib/core     includes only classlib/core
#   classlib/data     includes classlib/core and classlib/data
#   classlib/windows  includes all three
# and the xBase engine (xbase/) includes no classlib/windows. Prints each include that breaks
# the rule and exits 1; silent with 0 when there is none.
# Usage: check-classlib-layers.sh [source tree]
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$root"
faults=0
report() { echo "$1"; faults=$((faults + 1)); }

# (folder, what it may not include): a quoted or angled include naming such a path.
check() { # folder forbidden-regex why
  [ -d "$1" ] || return 0
  while IFS= read -r hit; do
    report "$hit: $3"
  done < <(grep -rnE --include='*.h' --include='*.cpp' \
             "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($2)" "$1" || true)
}
check classlib/core '(classlib/)?(data|windows)/|\.\./' 'the core includes only the core'
check classlib/data '(classlib/)?windows/|\.\./windows/' 'the data access does not include the windows'
check xbase 'classlib/windows/' 'the xBase engine does not include the windows'
# Every include of the library names its layer.
while IFS= read -r hit; do
  report "$hit: an include of the class library names its layer (classlib/core/, data/ or windows/)"
done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.rc' \
           '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]classlib/[^/">]+[">]' \
           $(ls -d */ 2>/dev/null | grep -vx 'build/') 2>/dev/null || true)
[ "$faults" -eq 0 ] || { echo "$faults include(s) break the class library's layers"; exit 1; }
