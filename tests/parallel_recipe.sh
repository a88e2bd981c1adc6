#!/usr/bin/env bash
# The README's recipe for an archive over many machines, run on this one
# alone (GNU parallel's --sshlogin ":" is the local machine): it must leave
# exactly the files that --batch, day folder by day folder, leaves.
#   parallel_recipe.sh VULCONV MAKE_SCAN
# Exit 77 (skipped) without GNU parallel.
set -euo pipefail
vulconv=$(realpath "$1") make_scan=$(realpath "$2")
command -v parallel >/dev/null || { echo "skipped: GNU parallel is not installed"; exit 77; }
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
export PATH=$(dirname "$vulconv"):$PATH PARALLEL=--will-cite

# Three days of two scans each, one of them failing (its output folder is
# a file), under an archive's year/month/day folders.
archive=$work/recipe
for day in 12 13 14; do
  mkdir -p "$archive/2024/06/$day"
  for t in 0930 1400; do
    "$make_scan" "$archive/2024/06/$day" 20 "202406${day}_$t" "14.$day" "-90.$t" >/dev/null
  done
done
: >"$archive/2024/06/13/20240613_1400"
cp -a "$archive" "$work/batch"
(cd "$archive" && find . -mindepth 3 -maxdepth 3 -type d | sort) >"$work/days.txt"

# The recipe, with ":" for the machines' list.
parallel --sshlogin : --workdir "$archive" --joblog "$work/jobs.log" --tag \
  'cd {} && vulconv --batch --overview . ; test $? = 1' :::: "$work/days.txt" >"$work/out.txt" || true

while read -r day; do
  (cd "$work/batch/$day" && vulconv --batch --overview . >/dev/null) || true
done <"$work/days.txt"
diff -r "$archive" "$work/batch"
failed=$(awk 'NR > 1 && $7 != 0' "$work/jobs.log" | wc -l)
days=$(awk 'NR > 1' "$work/jobs.log" | wc -l)
[ "$days" = 3 ] && [ "$failed" = 1 ] || { cat "$work/jobs.log"; exit 1; }
grep -q '^./2024/06/13	Converted 1 of 2 scans' "$work/out.txt" || { cat "$work/out.txt"; exit 1; }
echo "recipe: $days day folders, $failed with a failed scan; every file as --batch writes it"
