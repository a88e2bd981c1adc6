#!/usr/bin/env python3
"""The campaign files of a day of scans, against the expected files.

    campaign_run.py --exe VULCONV [--update] [--keep DIR]

Makes a folder of scans (the sample; a traverse whose GPS drops out, with a
NaN and a saturated spectrum; one under a hostile folder name with a leap
second; one without a text file, with a wild value; one with a single
position; one whose calibration file is missing; one whose output folder is
taken by a file, so that its run fails), converts them with `vulconv --batch
--overview`, reads the campaign files with campaign_check.py and compares
them and its report with campaign/.
The page's screenshot is left in campaign.png in the working folder.
--update rewrites the expected files; --keep leaves the folder in DIR."""
import argparse, difflib, math, os, shutil, struct, subprocess, sys, tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, 'campaign')
FILES = ['campaign.csv', 'campaign.kml', 'campaign.geojson', 'campaign.html', 'check.txt']


def spectrum(level, special=None):
    values = [900 + level * math.exp(-((p - 1100) / 420) ** 2) for p in range(2048)]
    if special is not None:
        values[700] = special
    return struct.pack('<2048f', *values)


def make_scan(folder, stamp, records, lines, exposure=150):
    """SCAN_<stamp>.bin of records (levels, or (level, pixel 700)), its text
    lines, parameter file and the four calibration files of its time."""
    os.makedirs(folder, exist_ok=True)
    path = lambda n: os.path.join(folder, n)
    with open(path(f'SCAN_{stamp}.bin'), 'wb') as f:
        for r in records:
            f.write(spectrum(*r) if isinstance(r, tuple) else spectrum(r))
    open(path(f'SCAN_{stamp}.txt'), 'w').write(''.join(f'{i + 1} {l}\r\n' for i, l in enumerate(lines)))
    open(path(f'SCAN_{stamp}.params'), 'w').write(f'p\r\n\r\nScan time {exposure} msec\r\nCo-added 15\r\n')
    for kind, level in ('dark', 0), ('low', 9000), ('high', 18000), ('ref', 30000):
        open(path(f'Cal_{stamp}_{kind}.bin'), 'wb').write(spectrum(level))


def gps(day, hour, minute, second, lat, lon):
    """A text line with a position: lat and lon in degrees, west negative."""
    def dm(v, width):
        return f'{int(abs(v)):0{width}d}{abs(v) % 1 * 60:07.4f}'
    return (f'2024 06 {day} {hour:02d} {minute:02d} {second:05.2f} A {dm(lat, 2)} '
            f'{"N" if lat >= 0 else "S"} {dm(lon, 3)} {"E" if lon >= 0 else "W"} 2400.5 G 30 1.5')


def make_day(top):
    """The scans of the day; returns their names and output folders."""
    for n in os.listdir(os.path.join(HERE, '..', 'examples', 'sample')):
        if '.' in n:
            shutil.copy(os.path.join(HERE, '..', 'examples', 'sample', n), top)
    lines = [gps(13, 11, i // 6, i * 10 % 60, 14.47 + 0.004 * i, -90.88 + 0.006 * i) for i in range(16)]
    lines[6:9] = [f'2024 06 13 11 01 {s} x 30 1.5' for s in (0, 10, 20)]  # the GPS drops out
    records = [20000 + 1000 * i for i in range(16)]
    records[4], records[11] = (20000, math.nan), (65535, 65535)
    make_scan(os.path.join(top, 'day 2'), '20240613_1100', records, lines, exposure=200)
    odd = 'odd,"<&>\'\udcff'  # a comma, markup and a byte that is not UTF-8
    lines = [gps(14, 23, 59, s, 14.52 - 0.003 * i, -90.90 + 0.002 * i) for i, s in enumerate((58, 59, 60.5))]
    make_scan(os.path.join(top, odd), '20240614_2359', [15000, 16000, 17000], lines)
    make_scan(os.path.join(top, 'nogps'), '20240615_1200', [9000, (9500, 99960000)], [])  # and a wild value
    os.remove(os.path.join(top, 'nogps', 'SCAN_20240615_1200.txt'))  # no times either
    make_scan(os.path.join(top, 'lone'), '20240615_1300', [9000], [gps(15, 13, 0, 0, 14.5, -90.84)])
    make_scan(os.path.join(top, 'noref'), '20240616_0900', [9000], [gps(16, 9, 0, 0, 14.5, -90.8)])
    os.remove(os.path.join(top, 'noref', 'Cal_20240616_0900_ref.bin'))
    make_scan(os.path.join(top, 'blocked'), '20240617_0900', [9000], [gps(17, 9, 0, 0, 14.5, -90.8)])
    open(os.path.join(top, 'blocked', '20240617_0900'), 'w').write('a file where the output folder goes')
    scans = [('SCAN_20240612_0930.bin', '20240612_0930/'), ('day 2/SCAN_20240613_1100.bin', 'day 2/20240613_1100/'),
             (odd + '/SCAN_20240614_2359.bin', odd + '/20240614_2359/'), ('nogps/SCAN_20240615_1200.bin', 'nogps/20240615_1200/'),
             ('lone/SCAN_20240615_1300.bin', 'lone/20240615_1300/'),
             ('noref/SCAN_20240616_0900.bin', 'noref/20240616_0900/'), ('blocked/SCAN_20240617_0900.bin', 'blocked/20240617_0900/')]
    return scans


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--exe', required=True)
    ap.add_argument('--update', action='store_true')
    ap.add_argument('--keep', help='make the scans in this folder and leave them')
    o = ap.parse_args()
    exe = os.path.abspath(o.exe)
    top = o.keep or tempfile.mkdtemp(prefix='campaign-')
    os.makedirs(top, exist_ok=True)
    try:
        names = [name for name, folder in make_day(top)]
        batch = subprocess.run([exe, '--batch', '--overview'] + names, cwd=top, capture_output=True)
        if batch.returncode != 255:  # the blocked scan fails
            print('batch status', batch.returncode)
            return 1
        check = subprocess.run([sys.executable, os.path.join(HERE, 'campaign_check.py'), top,
                                '--screenshot', os.path.abspath('campaign.png')], capture_output=True)
        open(os.path.join(top, 'check.txt'), 'wb').write(check.stdout + check.stderr)
        failed = 0
        for n in FILES:
            got = open(os.path.join(top, n), 'rb').read()
            want_file = os.path.join(EXPECTED, n)
            if o.update:
                open(want_file, 'wb').write(got)
            elif got != (want := open(want_file, 'rb').read() if os.path.exists(want_file) else b''):
                failed = 1
                sys.stdout.writelines(difflib.unified_diff(
                    want.decode(errors='replace').splitlines(True), got.decode(errors='replace').splitlines(True),
                    want_file, 'this run'))
        return failed or check.returncode
    finally:
        if not o.keep:
            shutil.rmtree(top)


if __name__ == '__main__':
    sys.exit(main())
