#!/usr/bin/env bash
# Valgrind memcheck of the sample conversion (no memory errors, every block
# freed), and of a run that ends early for a missing calibration file (no
# errors, nothing lost; its state is still reachable as it ends at once).
# The bytes it writes are the cases' business.
# Usage: memcheck_sample.sh VULCONV EXAMPLES_DIR. Exit 77 (skipped) without valgrind.
set -euo pipefail
command -v valgrind >/dev/null || { echo "valgrind is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for run in "whole all 1" "early definite,indirect,possible 255"; do
  set -- $run "$@"
  mkdir "$work/$1" && find "$5/sample" -maxdepth 1 -type f -exec cp {} "$work/$1" \;
  rm -f "$work/early/Cal_20240612_0912_low.bin"
  status=0
  (cd "$work/$1" && valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds="$2" "$4" SCAN_20240612_0930.bin >/dev/null 2>"$work/valgrind.txt") ||
    status=$?
  [[ $status == "$3" ]] || { cat "$work/valgrind.txt"; echo "$1: status $status, not $3"; exit 1; }
  shift 3
done
echo "memcheck clean"
