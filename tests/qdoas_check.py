#!/usr/bin/env python3
"""Reads every QDOAS file (*.asc) of an output folder the way QDOAS's reader
classifies lines and checks each record against the STD file of the same
record: keys, values and all 2048 pixel lines. Prints one line per file.

    qdoas_check.py FOLDER [--gps RECORDS]

RECORDS (comma-separated) are the scan records with a position; without it,
a scan record has one unless its STD file shows the 0, -0 of a line without
GPS."""
import glob, os, re, sys

KEYS = {'date': 'Date(DD/MM/YYYY)', 'time': 'UTC Time (hh:mm:ss)', 'lat': 'Latitude',
        'lon': 'Longitude', 'alt': 'Altitude', 'elev': 'Viewing Elevation Angle (deg)',
        'exp': 'Exposure Time(sec)', 'scans': 'Number of scans',
        'sza': 'Solar Zenith Angle (deg)', 'saa': 'Solar Azimuth Angle (deg)'}


def std_values(path):
    lines = open(path, 'rb').read().decode('latin-1').split('\r\n')
    trailer = lines[2051:]
    v = {'pixels': lines[3:2051], 'date': trailer[3], 'time': trailer[4]}
    for line in trailer[7:]:
        m = re.match(r'(SCANS|INT_TIME|LONGITUDE|LATITUDE|Altitude =|ElevationAngle =) (.*)', line)
        if m:
            v[m.group(1)] = m.group(2)
    return v


def expected_keys(s, gps):
    """The keys and values the QDOAS record of STD values s must hold; gps: has a position."""
    want = {}
    m, d, y = s['date'].split('/') if s['date'].count('/') == 2 else ('', '', '')
    if (m + d + y).isdigit() and len(y) == 4:
        want['date'] = '%s/%s/%s' % (d, m, y)
    if re.fullmatch(r'\d\d:\d\d:\d\d', s['time']):
        want['time'] = s['time']
    # A scan spectrum without GPS has the position 0 and -0 in its STD file.
    if gps:
        want.update(lat=s['LATITUDE'], lon=s['LONGITUDE'], alt=s['Altitude ='])
    if 'ElevationAngle =' in s:
        want['elev'] = s['ElevationAngle =']
    if int(s['INT_TIME']) > 0:
        want['exp'] = '%d.%03d' % divmod(int(s['INT_TIME']), 1000)
    if int(s['SCANS']) > 0:
        want['scans'] = s['SCANS']
    return want


def check(asc):
    lines = open(asc, 'rb').read().decode('latin-1').split('\r\n')
    assert lines[-1] == '', 'no CR LF after the last line'
    size, total = (re.fullmatch(r'# (Size of the detector|Total number of records) = (\d+) *', l)
                   for l in lines[:2])
    assert size and total and size.group(2) == '2048', 'header: %r' % lines[:2]
    prefix, at = asc[:-3], 2
    for k in range(int(total.group(2))):
        got = {}
        while not re.match(r'[\d+-]', lines[at]):  # a key line
            name, sep, value = lines[at].partition(' = ')
            key = [k for k, n in KEYS.items() if n == name]
            assert key and value.strip(), 'record %d: bad key line %r' % (k, lines[at])
            got[key[0]] = value
            at += 1
        pixels = [l[1:] if l[:1] == '+' else l for l in lines[at:at + 2048]]
        at += 2048
        s = std_values('%s%06d.std' % (prefix, k))
        assert pixels == s['pixels'], 'record %d: pixels differ' % k
        angles = {n: got.pop(n) for n in ('sza', 'saa') if n in got}
        nogps = ('0.000000', '-0.000000')
        gps = 'Altitude =' in s and (k in GPS if GPS is not None else
                                     (s['LATITUDE'], s['LONGITUDE']) != nogps)
        want = expected_keys(s, gps)
        if 'elev' not in got and want.get('elev') == '0.000000':  # a line without the field
            del want['elev']
        assert got == want, 'record %d: %r, STD file %r' % (k, got, want)
        assert list(angles) == (['sza', 'saa'] if {'date', 'time', 'lat'} <= set(got) else []), k
        for name, value in angles.items():
            assert 0 <= float(value) <= (180 if name == 'sza' else 360), (k, angles)
    assert at == len(lines) - 1, 'lines after the last record'
    return int(total.group(2))


folder = sys.argv[1]
GPS = {int(r) for r in sys.argv[3].split(',')} if sys.argv[2:3] == ['--gps'] else None
for asc in sorted(glob.glob(os.path.join(glob.escape(folder), '*.asc'))):
    try:
        print('%s: %d records as in their STD files' % (os.path.basename(asc), check(asc)))
    except (AssertionError, IndexError, ValueError, KeyError) as e:
        print('%s: FAILED %s' % (os.path.basename(asc), e))
