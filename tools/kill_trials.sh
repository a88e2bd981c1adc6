#!/usr/bin/env bash
# Kills vulconv with SIGKILL at random instants and checks what it left:
# every STD file must be a whole file of the run or of the earlier one, and
# the next run in that folder must leave no temporary file. Earlier files
# are the run's own, doubled (longer) or cut to a third (shorter).
#   kill_trials.sh VULCONV MAKE_SCAN WORK TRIALS fresh|longer|shorter
set -euo pipefail
vulconv=$(realpath "$1") make_scan=$2 work=$3 trials=$4 earlier=$5 scan=SCAN_20240612_0930.bin
out=$work/scan/20240612_0930
rm -rf "$work" && mkdir -p "$work/scan" "$work/old" && "$make_scan" "$work/scan" 300 >/dev/null
run() { (cd "$work/scan" && exec "$vulconv" $scan >/dev/null) || [ $? = 1 ]; }
run && mv "$out" "$work/new"
start=$(date +%s%N) && run && micros=$((($(date +%s%N) - start) / 1000))
for f in "$work/new"/*; do
  case $earlier in
    longer) cat "$f" "$f" >"$work/old/${f##*/}" ;;
    shorter) head -c $(($(stat -c %s "$f") / 3)) "$f" >"$work/old/${f##*/}" ;;
  esac
done
(cd "$work/new" && md5sum -- *; cd "$work/old" && md5sum -- * 2>/dev/null || true) >"$work/known"
bad=0 left=0 stay=0
for ((t = 0; t < trials; t++)); do
  rm -rf "$out" && cp -r "$work/old" "$out"
  (cd "$work/scan" && exec "$vulconv" $scan >/dev/null) & pid=$!
  x=$((RANDOM * 32768 % micros)); sleep "$((x / 1000000)).$(printf %06d $((x % 1000000)))"
  { kill -9 $pid; wait $pid; } 2>/dev/null || true
  n=$( (cd "$out" && md5sum -- *.std 2>/dev/null || true) |
    awk 'NR == FNR { ok[$0] = 1; next } !ok[$0] { print "neither old nor new: " $2 > "/dev/stderr"; n++ }
         END { print n + 0 }' "$work/known" -)
  tmp=$(find "$out" -name '.*' -type f | wc -l)
  run && after=$(find "$out" -name '.*' -type f | wc -l)
  bad=$((bad + n)) left=$((left + tmp)) stay=$((stay + after))
done
echo "$earlier: $trials kills within a ${micros} us run: $bad bad," \
  "$left temporary files left by the kills, $stay after the next runs"
[ $bad = 0 ] && [ $stay = 0 ]
