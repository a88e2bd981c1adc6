#!/usr/bin/env bash
# Valgrind memcheck of the sample conversion: no memory errors, and every
# block freed. Then a run that ends early (a calibration file is missing):
# no memory errors and nothing lost; the run's own state is still
# reachable there, as the process ends at once with its status.
# Usage: memcheck_sample.sh VULCONV EXAMPLES_DIR. Exit 77 (skipped) without valgrind.
set -euo pipefail
vulconv=$1
examples=$2
command -v valgrind >/dev/null || { echo "valgrind is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs valgrind in folder $1 with leak kinds $2 counted as errors; the
# program's own status must be $3.
memcheck() {
  local status=0
  (cd "$1" && valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds="$2" "$vulconv" SCAN_20240612_0930.bin >console.txt 2>valgrind.txt) ||
    status=$?
  if [[ $status != "$3" ]]; then
    cat "$1/valgrind.txt"
    echo "status $status, expected $3"
    exit 1
  fi
}

cp -r "$examples/sample" "$work/whole"
memcheck "$work/whole" all 1
cmp "$work/whole/console.txt" "$examples/expected/console.txt"
for expected in "$examples"/expected/*.std; do
  cmp "$work/whole/20240612_0930/${expected##*/}" "$expected"
done

cp -r "$examples/sample" "$work/early"
rm "$work/early/Cal_20240612_0912_low.bin"
memcheck "$work/early" definite,indirect,possible 255
grep -q "^Could not open Cal_20240612_0930_low.bin" "$work/early/console.txt"
echo "memcheck clean"
