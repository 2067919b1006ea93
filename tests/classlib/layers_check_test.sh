#!/usr/bin/env bash
# The layer check (tools/check-classlib-layers.sh) on small trees: each case is one file with
# one include line, and whether the check lets it pass.
set -uo pipefail
check=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
passed=0
# file | include line | expected: ok or fault
while IFS='|' read -r file line expected; do
  [ -n "$file" ] || continue
  tree=$tmp/case$((passed + failed))
  mkdir -p "$tree/$(dirname "$file")"
  printf '#pragma once\n%s\n' "$line" > "$tree/$file"
  out=$("$check" "$tree" 2>&1); rc=$?
  if [ "$expected" = ok ] && [ $rc -eq 0 ] && [ -z "$out" ]; then
    passed=$((passed + 1))
  elif [ "$expected" = fault ] && [ $rc -eq 1 ] && grep -q "^$file:2:" <<<"$out"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $file with '$line': expected $expected, got exit $rc: $out"
    failed=$((failed + 1))
  fi
done <<'CASES'
classlib/core/a.h|#include "classlib/core/object.h"|ok
classlib/core/a.cpp|#include <string>|ok
classlib/core/a.h|#include "classlib/data/db.h"|fault
classlib/core/a.cpp|#include "classlib/windows/forms.h"|fault
classlib/core/a.h|  #  include <classlib/windows/forms.h>|fault
classlib/core/a.h|#include "../windows/forms.h"|fault
classlib/core/a.h|#include "data/db.h"|fault
classlib/data/a.h|#include "classlib/core/object.h"|ok
classlib/data/a.h|#include "classlib/data/variants.h"|ok
classlib/data/a.cpp|#include "classlib/windows/controls.h"|fault
classlib/data/a.h|#include "../windows/controls.h"|fault
classlib/windows/a.h|#include "classlib/data/db.h"|ok
classlib/windows/a.cpp|#include "classlib/core/winapi.h"|ok
xbase/a.cpp|#include "classlib/data/db.h"|ok
xbase/a.cpp|#include "classlib/windows/forms.h"|fault
app/a.cpp|#include "classlib/windows/forms.h"|ok
app/a.cpp|#include "classlib/forms.h"|fault
tests/a.rc|#include "classlib/winapi.h"|fault
classlib/core/a.h|// see classlib/windows/forms.h|ok
CASES
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
