#!/usr/bin/env bash
# Power cuts at random instants of runs on ext4. The disk is a file in
# memory behind a loop device; another process commits the journal every
# few ms (an fsync of a side file). At a random instant the run is stopped
# and the disk file copied, as a cut would leave the disk; the copy is
# repaired by e2fsck and mounted, and every STD name on it must hold a whole
# file of the earlier run or of this one, or be absent, and so must every
# file the options write. A run on the copy must then leave no temporary
# or lock file there. Earlier files are the run's own, doubled; "fresh"
# starts without them. Cuts that come after the run ended are tried again.
# Needs root.
#   power_cut.sh VULCONV MAKE_SCAN WORK CUTS fresh|rerun [OPTION...]
set -euo pipefail
vulconv=$(realpath "$1") make_scan=$2 work=$3 cuts=$4 kind=$5
shift 5
disk=$work/disk out=$work/disk/scan/20240612_0930 side=''
rm -rf "$work" && mkdir -p "$disk" "$work/old" "$work/copy"
truncate -s 256M "$work/disk.img" && mkfs.ext4 -q "$work/disk.img" && mount -o loop "$work/disk.img" "$disk"
trap '[ -z "$side" ] || { kill $side; wait $side || true; }; umount "$work/copy" "$disk" 2>/dev/null || true' EXIT
mkdir "$disk/scan" && "$make_scan" "$disk/scan" 600 >/dev/null
run() { (cd "$disk/scan" && exec "$vulconv" "$@" SCAN_20240612_0930.bin >/dev/null) || [ $? = 1 ]; }
run "$@" && start=$(date +%s%N) && run "$@" && micros=$((($(date +%s%N) - start) / 1000))
for f in "$out"/*; do cat "$f" "$f" >"$work/old/${f##*/}"; done
(cd "$out" && md5sum -- *; [ "$kind" = fresh ] || { cd "$work/old" && md5sum -- *; }) >"$work/known"
python3 -c 'import os, sys, time
fd = os.open(sys.argv[1], os.O_WRONLY | os.O_CREAT | os.O_APPEND)
while True: os.write(fd, b"x"); os.fsync(fd); time.sleep(0.003)' "$disk/side" & side=$!
t=0 inside=0 bad=0 bad_cuts=0 repaired=0 temps=0 stay=0
for ((t = 0; inside < cuts && t < 4 * cuts; t++)); do
  rm -rf "$out" && { [ "$kind" = fresh ] || cp -r "$work/old" "$out"; } && sync -f "$disk"
  (cd "$disk/scan" && exec "$vulconv" "$@" SCAN_20240612_0930.bin >/dev/null) & pid=$!
  x=$(((RANDOM * 32768 + RANDOM) % micros)); sleep "$((x / 1000000)).$(printf %06d $((x % 1000000)))"
  kill -STOP $pid 2>/dev/null || true
  state=$(awk '{ print $3 }' /proc/$pid/stat 2>/dev/null || echo gone)
  cp --sparse=always "$work/disk.img" "$work/copy.img"
  { kill -9 $pid; wait $pid; } 2>/dev/null || true
  [ "$state" = T ] || continue
  inside=$((inside + 1))
  e2fsck -fy "$work/copy.img" >/dev/null 2>&1 && fsck=0 || fsck=$?
  ((fsck < 4)) || { echo "cut $t: e2fsck status $fsck" >&2; bad=$((bad + 1)); continue; }
  repaired=$((repaired + (fsck > 0)))
  mount -o loop "$work/copy.img" "$work/copy"
  copy_out=$work/copy/scan/20240612_0930
  n=$( (cd "$copy_out" 2>/dev/null && md5sum -- * 2>/dev/null || true) |
    awk 'NR == FNR { ok[$0] = 1; next } !ok[$0] { print "cut '$t': neither old nor new: " $2 > "/dev/stderr"; n++ }
         END { print n + 0 }' "$work/known" -)
  temps=$((temps + $({ find "$copy_out" -name '.*' -type f 2>/dev/null || true; } | wc -l)))
  (cd "$work/copy/scan" && exec "$vulconv" "$@" SCAN_20240612_0930.bin >/dev/null) || [ $? = 1 ]
  stay=$((stay + $({ find "$copy_out" -name '.vulconv-*' 2>/dev/null || true; } | wc -l)))
  umount "$work/copy"
  bad=$((bad + n)) bad_cuts=$((bad_cuts + (n > 0)))
done
echo "$kind $*: $inside of $t cuts inside a ${micros} us run: $bad bad names in $bad_cuts cuts," \
  "$repaired repaired by e2fsck, $temps temporary files on the copies, $stay after a run on each"
[ $bad = 0 ] && [ $stay = 0 ]
