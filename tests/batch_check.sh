#!/usr/bin/env bash
# A day of scans converted with --batch against the same day converted by one
# single run per scan, in name order: the same files byte for byte (the
# campaign files aside), the same console blocks then the summary, status
# 255 for the scan whose output folder is a file, nothing on stderr when it
# is not a terminal and a progress line when it is. Then SIGINT in the
# middle of a batch: no temporary left, no scan started after, status 130.
#
#   tests/batch_check.sh VULCONV MAKE_SCAN [SPECTRA]
set -euo pipefail
vulconv=$(realpath "$1") make_scan=$(realpath "$2") n=${3:-50}
base=/dev/shm
[[ -d $base && -w $base && -z ${TMPDIR:-} ]] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/vulconv-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# The scan of make_scan's 20240612_1200 as one of the old structure: its name
# is not SCAN_yyyymmdd_hhmm.bin, so its output folder is named from its text
# file's first line, and its parameter file names its calibration files.
old_scan() {  # folder new_name
  for ext in bin txt; do mv "$1/SCAN_20240612_1200.$ext" "$1/$2.$ext"; done
  printf 'p\r\n/x/Cal_20240612_1200_dark.bin\r\n/x/Cal_20240612_1142_low.bin\r\n%s\r\n%s\r\n\r\n%s\r\n' \
    /x/Cal_20240612_1142_high.bin /x/Cal_20240612_1135_ref.bin 'Scan time 150 msec' >"$1/$2.params"
  rm "$1/SCAN_20240612_1200.params"
}

day=$work/day
mkdir "$day"
lat=14.5
for t in 0930 1000 1030 1100 1130 1230; do
  "$make_scan" "$day" "$n" "20240612_$t" "$lat" -90.8
  lat=$(awk -v l="$lat" 'BEGIN { print l + 0.01 }')
done
# Two scans with one output folder, the later one in name order small: its
# files must win, as they do when the single runs come one after the other.
"$make_scan" "$day" 1 20240612_1200 10 10
old_scan "$day" SCAN_20240612_1200b
"$make_scan" "$day" $((20 * n)) 20240612_1200
old_scan "$day" SCAN_20240612_1200a
"$make_scan" "$day" "$n" 20240612_1300
: >"$day/20240612_1300"  # its output folder is taken by a file
cp -a "$day" "$work/single"
cp -a "$day" "$work/terminal"

cd "$work/single"
for scan in SCAN_*.bin; do
  status=0
  "$vulconv" --overview "$scan" >>"$work/single.out" 2>>"$work/single.err" || status=$?
  [[ $scan == SCAN_20240612_1300.bin ]] && want=255 || want=1
  ((status == want)) || fail "single run of $scan: status $status"
done
cd "$day"
status=0
"$vulconv" --batch --overview . >"$work/batch.out" 2>"$work/batch.err" || status=$?
((status == 255)) || fail "batch status $status"
[[ ! -s $work/batch.err ]] || fail "stderr not empty: $(head -3 "$work/batch.err")"
failure=$(grep -a '^Could not' "$work/single.out" | tr -d '\r')
printf 'Converted 8 of 9 scans, %d spectra. Failed: SCAN_20240612_1300.bin (%s)\n' $((26 * n + 1)) \
  "$failure" >>"$work/single.out"
cmp "$work/single.out" "$work/batch.out" || { diff "$work/single.out" "$work/batch.out" | head; fail console; }
rm -f "$day"/campaign.*
diff -r "$work/single" "$day" || fail "files differ"

# On a terminal, and only there, the progress line.
cd "$work/terminal"
script -qec "'$vulconv' --batch . >/dev/null" /dev/null >"$work/terminal.out" </dev/null || true
grep -aEq $'\rscans [1-9]/9, [0-9]+ spectra, [0-9.]+ MB written, ([0-9:]+|--) left' "$work/terminal.out" ||
  fail "no progress line on a terminal: $(head -c 300 "$work/terminal.out" | od -c | head -5)"
# Redrawn a few times a second, not in a busy loop; bytes written never
# fall, as an ended run's count stays in them.
tr '\r' '\n' <"$work/terminal.out" | awk '/^scans / { ++lines; mb = $5 + 0
    if (mb < last) { print "bytes written fell from " last " to " mb; exit 1 }
    last = mb }
  END { if (lines > 200 || last <= 0) { print lines " progress lines, " last " MB"; exit 1 } }' ||
  fail "progress line"

# SIGINT once the first scan is printed, one scan at a time.
signal_day=$work/signal
mkdir "$signal_day"
for t in 0930 1000 1030 1100; do "$make_scan" "$signal_day" $((20 * n)) "20240612_$t"; done
cd "$signal_day"
"$vulconv" --batch --jobs 1 . >"$work/signal.out" 2>&1 &
pid=$!
while ! grep -q 'LOW bin' "$work/signal.out" && kill -0 $pid 2>/dev/null; do sleep 0.01; done
before=$(grep -c 'LOW bin' "$work/signal.out")
kill -INT $pid
status=0
wait $pid || status=$?
((status == 130)) || fail "interrupted batch: status $status"
temps=$(find . -name '.vulconv-*' | head -3)
[[ -z $temps ]] || fail "temporaries left: $temps"
grep -q '^Converted' "$work/signal.out" && fail "a summary after the signal"
# One scan at a time: the signal stops the running one, and those after it
# never start.
complete=$(grep -c 'LOW bin' "$work/signal.out")
((complete == before && complete < 4)) ||
  fail "$complete scans converted, $before before the signal: the running one was not stopped"
i=0
for t in 0930 1000 1030 1100; do
  ((i++ <= complete)) || [[ ! -e 20240612_$t ]] || fail "scan $i started after the signal"
done
echo "batch_check: $((26 * n + 1)) spectra in 9 scans as the single runs; progress on a terminal; SIGINT after $complete of 4 scans"
