#!/usr/bin/env bash
# Two runs in one output folder, each in a process-id namespace of its own
# (where both may be process 1, as in two containers on one volume): the
# first with both options, the second plain, started a moment later. Both
# must complete, every STD file must hold its own record's bytes, and no
# temporary or lock file may stay.
#   namespace_trials.sh VULCONV MAKE_SCAN WORK TRIALS [SPECTRA]
# Exit 77 (skipped) where unshare may not make namespaces.
set -euo pipefail
vulconv=$(realpath "$1") make_scan=$2 work=$3 trials=$4 spectra=${5:-1200}
scan=SCAN_20240612_0930.bin out=$work/scan/20240612_0930
if ! unshare -p -f true 2>/dev/null; then
  echo "skipped: unshare -p -f is not permitted here (needs root or user namespaces)"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work/scan" && "$make_scan" "$work/scan" "$spectra" >/dev/null
(cd "$work/scan" && "$vulconv" --qdoas --overview $scan >/dev/null) || [ $? = 1 ]
(cd "$out" && md5sum -- *) >"$work/known" && mv "$out" "$work/new"
run() { (cd "$work/scan" && exec unshare -p -f "$vulconv" "$@" $scan >/dev/null); }
bad=0 failed=0 left=0
for ((t = 0; t < trials; t++)); do
  rm -rf "$out"
  run --qdoas --overview & first=$!
  sleep "0.0$((RANDOM % 10))"
  run & second=$!
  wait $first && s1=0 || s1=$?
  wait $second && s2=0 || s2=$?
  [ $s1 = 1 ] && [ $s2 = 1 ] || { echo "trial $t: statuses $s1 and $s2" >&2; failed=$((failed + 1)); }
  n=$( (cd "$out" 2>/dev/null && md5sum -- * 2>/dev/null || true) |
    awk 'NR == FNR { ok[$0] = 1; next } !ok[$0] { print "trial '$t': wrong bytes in " $2 > "/dev/stderr"; n++ }
         END { print n + 0 }' "$work/known" -)
  tmp=$({ find "$out" -name ".vulconv-*" 2>/dev/null || true; } | wc -l)
  bad=$((bad + n)) left=$((left + tmp))
done
echo "$trials trials of two runs in namespaces of their own, $spectra spectra:" \
  "$bad files with wrong bytes, $failed trials where a run failed, $left temporary or lock files left"
[ $bad = 0 ] && [ $failed = 0 ] && [ $left = 0 ]
