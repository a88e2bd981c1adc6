#!/usr/bin/env bash
# End-to-end benchmark. Converts a generated scan folder with vulconv, with
# the plain fprintf writer, with the crash-safe floor and with the
# write-only floor, interleaved, and prints the medians, the ratios and the
# peak memory of each, and what --qdoas and --overview add; checks that
# vulconv's files equal the plain writer's but for exact halves; then
# measures vulconv's peak memory at 1,000 and 100,000 records, without and
# with each option. vulconv and the floors run with a fresh output folder
# and over an earlier run's files, in the work folder and, as root, on ext4
# in a loop device.
#
#   bench/run.sh [--spectra N] [--runs N] [--no-memory] [--no-ext4] [--bin-dir DIR]
#                [--work DIR] [--image-dir DIR]
#
# Without --bin-dir it builds what it needs in build/bench (Release).
# --work names the folder to work in (emptied first, removed at the end);
# by default a new folder in /dev/shm, or in $TMPDIR or /tmp without it.
# --image-dir holds the ext4 image while it runs (default: the build folder,
# on the disk).
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
spectra=2000 runs=5 memory=1 ext4=1 bin='' work='' image_dir=''
while (($#)); do
  case $1 in
    --spectra) spectra=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --no-memory) memory=0; shift ;;
    --no-ext4) ext4=0; shift ;;
    --bin-dir) bin=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --image-dir) image_dir=$2; shift 2 ;;
    *) sed -n '11,12p' "$0" >&2; exit 2 ;;
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
bin=$(cd "$bin" && pwd)  # the runs over an earlier run start it from the scan's folder
vulconv=$bin/vulconv tools=$bin/bench
image_dir=${image_dir:-$bin}

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
folder='' mnt='' loop=''
clean_up() {
  if [[ -n $mnt ]]; then umount "$mnt" || true; fi
  if [[ -n $loop ]]; then losetup -d "$loop" || true; fi
  rm -rf "$work" ${folder:+"$folder"} "$image_dir/vulconv-bench-$$.img"
}
trap clean_up EXIT

scan=$work/scan
out=$scan/20240612_0930
mkdir "$scan"
"$tools/make_scan" "$scan" "$spectra"
echo "scan folder: $scan ($(stat -f -c %T "$work")), $spectra spectra + 4 x 10 calibration spectra"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

declare -A command expected_status
set_commands() {
  command[vulconv]="$vulconv $scan/SCAN_20240612_0930.bin"
  command[plain]="$tools/plain_writer $scan/SCAN_20240612_0930.bin"
  command[safe]="$tools/write_floor --safe $1"
  command[floor]="$tools/write_floor $1"
  command[qdoas]="$vulconv --qdoas $scan/SCAN_20240612_0930.bin"
  command[overview]="$vulconv --overview $scan/SCAN_20240612_0930.bin"
}
set_commands "$work/floor.list"
expected_status=([vulconv]=1 [plain]=1 [safe]=0 [floor]=0 [qdoas]=1 [overview]=1)

# Runs one program, after the output folder is removed or, with over=1,
# filled by an untimed vulconv run (the files a program replaces change
# what it costs on ext4), and what was written before is flushed; sets
# wall, cpu (seconds) and rss (peak, KiB).
wall='' cpu='' rss='' over=0
run() {
  rm -rf "$out"
  if ((over)); then (cd "$scan" && "$vulconv" SCAN_20240612_0930.bin >/dev/null) || true; fi
  sync -f "$scan"
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
for name in floor safe; do
  run $name
  if ! cmp -s <(tail -n +2 "$work/floor.list") <(sizes "$out"); then
    echo "the $name floor wrote other files than vulconv" >&2
    exit 1
  fi
done
files=$(($(wc -l <"$work/floor.list") - 1))
bytes=$(du -sb "$work/vulconv.out" | cut -f1)
rm -rf "$work/vulconv.out" "$work/plain.out"

# The settings: where the scan is (its output folder beside it) and whether
# each run finds an earlier run's files there.
settings=("$(stat -f -c %T "$work") fresh" "$(stat -f -c %T "$work") over")
if ((ext4)) && [[ $(id -u) = 0 ]] && command -v mkfs.ext4 losetup >/dev/null; then
  image=$image_dir/vulconv-bench-$$.img
  truncate -s $((spectra * 80 + 262144))K "$image" && mkfs.ext4 -q -F "$image" &&
    loop=$(losetup -f --show "$image") && mnt=$work/ext4 && mkdir "$mnt" && mount "$loop" "$mnt" ||
    { echo "no ext4 image could be mounted" >&2; exit 1; }
  settings+=("ext4 fresh" "ext4 over")
fi

declare -A walls cpus peaks
for setting in "${settings[@]}"; do
  if [[ $setting == ext4* && $scan != "$mnt"/* ]]; then
    cp -r "$scan" "$mnt/scan"
    scan=$mnt/scan out=$mnt/scan/20240612_0930
    { echo "$out"; tail -n +2 "$work/floor.list"; } >"$mnt/floor.list"
    set_commands "$mnt/floor.list"
  fi
  over=0
  [[ $setting == *over ]] && over=1
  programs=(vulconv safe floor)
  [[ $setting == "${settings[0]}" ]] && programs+=(plain qdoas overview)
  for ((r = 1; r <= runs; ++r)); do
    for name in "${programs[@]}"; do
      run "$name"
      walls[$setting $name]+="$wall " cpus[$setting $name]+="$cpu " peaks[$setting $name]+="$rss "
    done
  done
  rm -rf "$out"
done

# The middle value (the lower middle one of an even count), the largest.
sorted() { tr ' ' '\n' <<<"$1" | grep . | sort -g; }
median() { sorted "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
largest() { sorted "$1" | tail -1; }

echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "$files STD files, $bytes bytes; median of $runs interleaved runs after a warm-up"
echo "(wall: elapsed time; cpu: user + system time, steadier when other work shares the cores)"
echo "safe: the crash-safe floor; floor: the write-only floor"
ratio() {
  awk -v a="$(median "$1")" -v b="$(median "$2")" -v f="$3" 'BEGIN { printf f, a / b }'
}
for setting in "${settings[@]}"; do
  echo
  printf '%-20s %9s %9s %13s   %s\n' "$setting" "wall s" "cpu s" "peak RSS KiB" \
    "wall s of each run"
  for name in vulconv safe floor plain qdoas overview; do
    [[ -n ${walls[$setting $name]:-} ]] || continue
    printf '  %-18s %9s %9s %13s   %s\n' "$name" "$(median "${walls[$setting $name]}")" \
      "$(median "${cpus[$setting $name]}")" "$(largest "${peaks[$setting $name]}")" \
      "${walls[$setting $name]}"
  done
  for name in safe floor plain; do
    [[ -n ${walls[$setting $name]:-} ]] || continue
    printf '  vulconv / %-7s  wall %s  cpu %s\n' "$name" \
      "$(ratio "${walls[$setting vulconv]}" "${walls[$setting $name]}" %.2f)" \
      "$(ratio "${cpus[$setting vulconv]}" "${cpus[$setting $name]}" %.2f)"
  done
  for name in qdoas overview; do  # what an option costs
    [[ -n ${walls[$setting $name]:-} ]] || continue
    printf '  %-8s / vulconv wall %s  cpu %s\n' "$name" \
      "$(ratio "${walls[$setting $name]}" "${walls[$setting vulconv]}" %.2f)" \
      "$(ratio "${cpus[$setting $name]}" "${cpus[$setting vulconv]}" %.2f)"
  done
done

if ((memory)); then
  echo
  echo "vulconv peak memory by scan size and option (one run each):"
  for n in 1000 100000; do
    folder=$(new_work_folder "$((n * 2))")
    mkdir "$folder/scan"
    "$tools/make_scan" "$folder/scan" "$n"
    for option in '' --qdoas --overview; do
      rm -rf "$folder/scan/20240612_0930"
      # shellcheck disable=SC2086  # no option is an empty word
      line=$("$tools/run_timed" "$folder/console" "$vulconv" $option \
        "$folder/scan/SCAN_20240612_0930.bin")
      read -r wall cpu rss status <<<"$line"
      printf '%7d records %-10s %6s KiB peak RSS  wall %8s s  cpu %8s s  status %s  (%s)\n' \
        "$n" "$option" "$rss" "$wall" "$cpu" "$status" "$(stat -f -c %T "$folder")"
    done
    rm -rf "$folder"
    folder=''
  done
fi
