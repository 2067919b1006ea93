#!/usr/bin/env bash
# Has the engine write its tables (the helper program, natively or under Wine) and one of
# the other programs' readers read them back.
# Usage: run_reader.sh <reader> <folder> <folder as the writer sees it> <writer program...>
# The writer's command is writeall, or HELPER_COMMAND when that is set.
set -euo pipefail
reader=$1 folder=$2 writer_folder=$3
shift 3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rm -rf "$folder"
mkdir -p "$folder"
"$@" "${HELPER_COMMAND:-writeall}" "$writer_folder"
exec /usr/bin/python3 "$here/check_readers.py" "$reader" "$folder" "$folder/work"
