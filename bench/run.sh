#!/usr/bin/env bash
# End-to-end benchmark. Converts a generated scan folder with vulconv, with
# the plain fprintf writer and with the write-only floor, interleaved, and
# prints the medians, the ratios and the peak memory of each; checks that
# vulconv's files equal the plain writer's but for exact halves; then
# measures vulconv's peak memory at 1,000 and 100,000 records.
#
#   bench/run.sh [--spectra N] [--runs N] [--no-memory] [--bin-dir DIR] [--work DIR]
#
# Without --bin-dir it builds what it needs in build/bench (Release).
# --work names the folder to work in (emptied first, removed at the end);
# by default a new folder in /dev/shm, or in $TMPDIR or /tmp without it.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
spectra=2000 runs=5 memory=1 bin='' work=''
while (($#)); do
  case $1 in
    --spectra) spectra=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --no-memory) memory=0; shift ;;
    --bin-dir) bin=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) sed -n '8p' "$0" >&2; exit 2 ;;
  esac
done

if [[ -z $bin ]]; then
  bin=$root/build/bench
  echo "building in $bin"
  mkdir -p "$bin"
  if ! { cmake -S "$root" -B "$bin" -DCMAKE_BUILD_TYPE=Release -DVULCONV_BENCH=ON \
           -DBUILD_TESTING=OFF && cmake --build "$bin" -j2; } >"$bin/build.log" 2>&1; then
    cat "$bin/build.log" >&2
    exit 1
  fi
fi
vulconv=$bin/vulconv tools=$bin/bench

# A folder for a scan of n records: /dev/shm when it exists and has room
# (the root file system reuses freed inodes lazily, which distorts timings).
new_work_folder() {
  local need_kib=$(( $1 * 36 + 65536 )) base=${TMPDIR:-/tmp}
  if [[ -d /dev/shm && -w /dev/shm ]] &&
     (( $(df -Pk /dev/shm | awk 'NR == 2 { print $4 }') > need_kib )); then
    base=/dev/shm
  fi
  mktemp -d "$base/vulconv-bench.XXXXXX"
}

if [[ -n $work ]]; then
  rm -rf "$work"
  mkdir -p "$work"
else
  work=$(new_work_folder "$spectra")
fi
folder=''
trap 'rm -rf "$work" ${folder:+"$folder"}' EXIT

scan=$work/scan
out=$scan/20240612_0930
mkdir "$scan"
"$tools/make_scan" "$scan" "$spectra"
echo "scan folder: $scan ($(stat -f -c %T "$work")), $spectra spectra + 4 x 10 calibration spectra"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

declare -A command expected_status
command[vulconv]="$vulconv $scan/SCAN_20240612_0930.bin"
command[plain]="$tools/plain_writer $scan/SCAN_20240612_0930.bin"
command[floor]="$tools/write_floor $work/floor.list"
expected_status=([vulconv]=1 [plain]=1 [floor]=0)

# Runs one program with no output folder left from before; sets wall, cpu
# (seconds) and rss (peak, KiB).
wall='' cpu='' rss=''
run() {
  rm -rf "$out"
  local line status
  # shellcheck disable=SC2086  # the commands hold no blanks but between words
  line=$("$tools/run_timed" "$work/$1.console" ${command[$1]})
  read -r wall cpu rss status <<<"$line"
  if [[ $status != "${expected_status[$1]}" ]]; then
    echo "$1 ended with status $status:" >&2
    cat "$work/$1.console" >&2
    exit 1
  fi
}

# Warm-up, which also leaves each writer's files for the comparison and the
# floor's list of names and sizes.
run vulconv
mv "$out" "$work/vulconv.out"
run plain
mv "$out" "$work/plain.out"
"$tools/compare_std" "$work/vulconv.out" "$work/plain.out"
sizes() { (cd "$1" && find . -type f -printf '%s %f\n' | sort -k2); }
{ echo "$out"; sizes "$work/vulconv.out"; } >"$work/floor.list"
run floor
if ! cmp -s <(tail -n +2 "$work/floor.list") <(sizes "$out"); then
  echo "the floor wrote other files than vulconv" >&2
  exit 1
fi
files=$(($(wc -l <"$work/floor.list") - 1))
bytes=$(du -sb "$work/vulconv.out" | cut -f1)
rm -rf "$work/vulconv.out" "$work/plain.out"

declare -A walls cpus peaks
for ((r = 1; r <= runs; ++r)); do
  for name in vulconv plain floor; do
    run "$name"
    walls[$name]+="$wall " cpus[$name]+="$cpu " peaks[$name]+="$rss "
  done
done
rm -rf "$out"

# The middle value (the lower middle one of an even count), the largest.
sorted() { tr ' ' '\n' <<<"$1" | grep . | sort -g; }
median() { sorted "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
largest() { sorted "$1" | tail -1; }

echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "$files STD files, $bytes bytes; median of $runs interleaved runs after a warm-up"
echo "(wall: elapsed time; cpu: user + system time, steadier when other work shares the cores)"
printf '%-8s %9s %9s %13s   %s\n' program "wall s" "cpu s" "peak RSS KiB" "wall s of each run"
for name in vulconv plain floor; do
  printf '%-8s %9s %9s %13s   %s\n' "$name" "$(median "${walls[$name]}")" \
    "$(median "${cpus[$name]}")" "$(largest "${peaks[$name]}")" "${walls[$name]}"
done
ratio() {
  awk -v a="$(median "$1")" -v b="$(median "$2")" -v f="$3" 'BEGIN { printf f, a / b }'
}
printf 'vulconv / plain  wall %s  cpu %s\n' "$(ratio "${walls[vulconv]}" "${walls[plain]}" %.3f)" \
  "$(ratio "${cpus[vulconv]}" "${cpus[plain]}" %.3f)"
printf 'vulconv / floor  wall %s  cpu %s\n' "$(ratio "${walls[vulconv]}" "${walls[floor]}" %.2f)" \
  "$(ratio "${cpus[vulconv]}" "${cpus[floor]}" %.2f)"

if ((memory)); then
  echo
  echo "vulconv peak memory by scan size (one run each):"
  for n in 1000 100000; do
    folder=$(new_work_folder "$n")
    mkdir "$folder/scan"
    "$tools/make_scan" "$folder/scan" "$n"
    line=$("$tools/run_timed" "$folder/console" "$vulconv" "$folder/scan/SCAN_20240612_0930.bin")
    read -r wall cpu rss status <<<"$line"
    printf '%7d records  %6s KiB peak RSS  wall %8s s  cpu %8s s  status %s  (%s)\n' "$n" \
      "$rss" "$wall" "$cpu" "$status" "$(stat -f -c %T "$folder")"
    rm -rf "$folder"
    folder=''
  done
fi
