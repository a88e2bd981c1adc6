#!/usr/bin/env bash
# What --batch gains on a day of scans: 8 scans of SPECTRA spectra and one
# whose output folder is a file, converted with --overview by the 9 single
# runs one after another, by --batch on every processor and by --batch
# --jobs 1; the median wall and processor time of RUNS interleaved rounds,
# the peak RSS of each (a batch's covers its largest run) and of the batch
# process alone. In a folder in /dev/shm and, as root, on ext4 in a loop
# device over a file in IMAGE_DIR (default: BIN_DIR, on the disk).
#
#   bench/batch_bench.sh BIN_DIR [SPECTRA [RUNS [IMAGE_DIR]]]
set -euo pipefail
export LC_ALL=C
bin=$(cd "$1" && pwd) spectra=${2:-2000} runs=${3:-5} image_dir=${4:-$1}
vulconv=$bin/vulconv timed=$bin/bench/run_timed make_scan=$bin/bench/make_scan
work=$(mktemp -d /dev/shm/vulconv-batch-bench.XXXXXX)
mnt='' loop='' image=$image_dir/vulconv-batch-bench-$$.img
clean_up() {
  if [[ -n $mnt ]]; then umount "$mnt" || true; fi
  if [[ -n $loop ]]; then losetup -d "$loop" || true; fi
  rm -rf "$work" "$image"
}
trap clean_up EXIT
processors=$(nproc)

make_day() {
  mkdir "$1"
  local lat=14.5 t
  for t in 0930 1000 1030 1100 1130 1200 1230 1300 1330; do
    "$make_scan" "$1" "$spectra" "20240612_$t" "$lat" -90.8
    lat=$(awk -v l="$lat" 'BEGIN { print l + 0.01 }')
  done
  : >"$1/20240612_1330"  # the failing scan's output folder
}

# Removes what the conversions wrote and flushes what is left.
clear_day() {
  find "$1" -mindepth 1 -maxdepth 1 \( -type d -o -name 'campaign.*' \) -exec rm -rf {} +
  sync -f "$1"
}

# One way to convert the day; sets wall, cpu (seconds) and rss (KiB).
convert() {  # day kind
  local w c r s scan jobs=()
  clear_day "$1"
  cd "$1"
  if [[ $2 == single ]]; then
    wall=0 cpu=0 rss=0
    for scan in SCAN_*.bin; do
      read -r w c r s <<<"$("$timed" "$work/console" "$vulconv" --overview "$scan")"
      wall=$(awk -v a="$wall" -v b="$w" 'BEGIN { print a + b }')
      cpu=$(awk -v a="$cpu" -v b="$c" 'BEGIN { print a + b }')
      ((r > rss)) && rss=$r
    done
  else
    [[ $2 == jobs1 ]] && jobs=(--jobs 1)
    read -r wall cpu rss s <<<"$("$timed" "$work/console" "$vulconv" --batch --overview "${jobs[@]}" .)"
    [[ $s == 255 ]] || { echo "batch status $s" >&2; exit 1; }
  fi
  cd - >/dev/null
}

# The batch process's own peak RSS, read while it runs.
own_rss() {
  clear_day "$1"
  (cd "$1" && exec "$vulconv" --batch --overview . >/dev/null) &
  local pid=$! peak=0 now
  while now=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null) && [[ -n $now ]]; do
    peak=$now
    sleep 0.005
  done
  wait $pid || true
  echo "$peak"
}

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

measure() {  # day place
  declare -A walls cpus peaks
  local r kind
  convert "$1" single  # warm-up
  for ((r = 1; r <= runs; ++r)); do
    for kind in single batch jobs1; do
      convert "$1" $kind
      walls[$kind]+="$wall " cpus[$kind]+="$cpu " peaks[$kind]+="$rss "
    done
  done
  echo "$2: 8 x $spectra spectra + 1 failing scan, --overview, $processors processors, median of $runs"
  for kind in single batch jobs1; do
    printf '  %-7s wall %7.3f s  cpu %7.3f s  peak RSS %7s KiB   (wall: %s)\n' "$kind" \
      "$(median "${walls[$kind]}")" "$(median "${cpus[$kind]}")" \
      "$(tr ' ' '\n' <<<"${peaks[$kind]}" | sort -n | tail -1)" "${walls[$kind]}"
  done
  awk -v b="$(median "${walls[batch]}")" -v s="$(median "${walls[single]}")" \
    -v c="$(median "${cpus[single]}")" -v n="$processors" 'BEGIN {
      printf "  batch wall / single runs wall %.2f; batch wall / (single cpu / %d) %.2f\n", b / s, n, b / (c / n) }'
  echo "  batch process alone: peak RSS $(own_rss "$1") KiB"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
make_day "$work/day"
measure "$work/day" "$(stat -f -c %T "$work")"
if [[ $(id -u) == 0 ]] && command -v mkfs.ext4 losetup >/dev/null; then
  truncate -s $((spectra * 9 * 64 + 262144))K "$image" && mkfs.ext4 -q -F "$image" &&
    loop=$(losetup -f --show "$image") && mnt=$work/ext4 && mkdir "$mnt" && mount "$loop" "$mnt"
  cp -r "$work/day" "$mnt/day"
  measure "$mnt/day" "ext4 in a loop device over $(stat -f -c %T "$image_dir")"
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
