#!/usr/bin/env python3
"""Checks the four overview files of a run against the STD files beside them.

    overview_check.py FOLDER SCAN_NAME [--gps RECORDS]

FOLDER holds the STD files (*.std) and SCAN_NAME.csv, .kml, .geojson and
.svg. The table must have one row per STD file with its values; the KML and
the GeoJSON, read by GDAL's ogrinfo, one point per scan spectrum with a
position, at its coordinates, and the line through them when there are two or
more; the SVG must render with rsvg-convert. RECORDS (comma-separated) are
the scan records that have a position; without it the table tells them.
Exits 1 with the faults found listed."""
import argparse, csv, json, math, os, re, subprocess, sys, tempfile
import xml.etree.ElementTree as ET

KINDS = {'VulcoraBin_REF_': 'ref', 'VulcoraBin_DARK_': 'dark', 'VulcoraBin_HIGH_': 'high',
         'VulcoraBin_LOW_': 'low', 'VulcoraBin_': 'scan'}
COLUMNS = ('file,source,record,date,time,latitude,longitude,altitude,elevation,user_param,'
           'exposure_ms,scans,solar_zenith,pixel_min,pixel_max,pixel_mean,nonfinite_pixels').split(',')
faults = []
fault = faults.append


def read_std(path):
    """The values of an STD file, as texts where the table must have the same text."""
    lines = open(path, 'rb').read().decode('utf-8', 'replace').split('\r\n')  # as the table has them
    assert lines[:3] == ['GDBGMNUP', '1', '2048'], path
    values = [float(v) for v in lines[3:2051]]
    finite = [v for v in values if math.isfinite(v)]
    name = lines[2051]
    prefix = next(p for p in KINDS if name.startswith(p))
    def after(i, key):
        return lines[i][len(key):] if lines[i].startswith(key) else fault(f'{path}: line {i + 1}')
    std = dict(source=KINDS[prefix], record=name[len(prefix):], date=lines[2054], time=lines[2055],
               scans=after(2059, 'SCANS '), exposure=after(2060, 'INT_TIME '),
               longitude=after(2062, 'LONGITUDE '), latitude=after(2063, 'LATITUDE '),
               nonfinite=len(values) - len(finite), finite=finite)
    if std['source'] == 'scan':
        std.update(altitude=after(2066, 'Altitude = '), elevation=after(2067, 'ElevationAngle = '),
                   user_param=after(2068, 'UserParam1 = '))
    return std


def iso_date(text):
    m = re.fullmatch(r'(\d{1,9})/(\d{1,9})/(\d{1,9})', text)
    month, day, year = map(int, m.groups()) if m else (0, 0, 0)
    leap = year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)
    days = [31, 29 if leap else 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    if 1 <= month <= 12 and year >= 1 and 1 <= day <= days[month - 1]:
        return f'{year:04d}-{month:02d}-{day:02d}'


def check_row(name, row, std):
    def same(column, expected):
        if row[column] != expected:
            fault(f'{name}: {column} {row[column]!r}, STD file {expected!r}')
    same('source', std['source'])
    same('record', std['record'])
    for column, key in ('scans', 'scans'), ('exposure_ms', 'exposure'):  # 0: not known
        same(column, '' if std[key] == '0' else std[key])
    same('date', '' if std['date'] == '//' else iso_date(std['date']) or std['date'])
    same('time', '' if std['time'] == '::' else std['time'])
    if row['latitude'] or std['source'] != 'scan':
        for column in ('latitude', 'longitude', 'altitude'):
            same(column, std.get(column, '') if std['source'] == 'scan' else '')
    if row['elevation'] or std['source'] != 'scan':
        for column in ('elevation', 'user_param'):
            same(column, std.get(column, ''))
    same('nonfinite_pixels', str(std['nonfinite']))
    finite = std['finite'] or [math.nan]  # no finite value: empty fields
    for column, value in ('pixel_min', min(finite)), ('pixel_max', max(finite)), \
            ('pixel_mean', math.fsum(finite) / len(finite)):
        text = row[column]
        if (text == '') != math.isnan(value) or text and not math.isclose(
                float(text), value, rel_tol=1e-9 if column == 'pixel_mean' else 0, abs_tol=1e-6):
            fault(f'{name}: {column} {text!r}, STD file {value}')


def close(a, b):
    return len(a) == len(b) and all(abs(x - y) <= 1e-6 for x, y in zip(a, b))


def check_track(path, track):
    """ogrinfo reads one point per position, and the line through them in record order."""
    run = subprocess.run(['ogrinfo', '-ro', '-al', path], capture_output=True, text=True,
                         errors='replace')
    if run.returncode != 0:
        fault(f'ogrinfo {path}: {run.stderr.strip()}')
    found = {'POINT': [], 'LINESTRING': []}
    for kind, body in re.findall(r'^  (POINT|LINESTRING) Z \(([^)]*)\)$', run.stdout, re.M):
        found[kind].append([tuple(map(float, t.split())) for t in body.split(',')])
    geometries = re.findall(r'^  [A-Z]+(?: Z| M| ZM)? \(', run.stdout, re.M)
    if len(geometries) != sum(map(len, found.values())):
        fault(f'{path}: geometries other than POINT Z and LINESTRING Z')
    points, lines = sorted(p[0] for p in found['POINT']), found['LINESTRING']
    if len(points) != len(track) or not all(map(close, points, sorted(track))):
        fault(f'{path}: {len(points)} points, expected {len(track)} at the STD positions')
    if len(lines) != (len(track) >= 2) or lines and not (
            len(lines[0]) == len(track) and all(map(close, lines[0], track))):
        fault(f'{path}: the line is not the {len(track)} positions in record order')


def check_times_and_heights(base, stds):
    """Each point's time is its STD file's, a leap second as second 59 (no reader
    of the track takes 60); KML points and the line are at their altitude."""
    for feature in json.load(open(base + '.geojson', 'rb'))['features']:
        name, got = feature['properties'].get('file'), feature['properties'].get('time')
        if name is None:
            continue  # the line
        std = stds[name]
        m = re.fullmatch(r'(\d+):(\d+):(\d+)', std['time'])
        h, mi, s = map(int, m.groups()) if m else (99, 0, 0)
        day = iso_date(std['date'])
        want = f'{day}T{h:02d}:{mi:02d}:{min(s, 59):02d}Z' if day and h < 24 and mi < 60 and s <= 60 else None
        if got != want:
            fault(f'{name}: GeoJSON time {got}, STD file {std["date"]} {std["time"]}')
    kml = ET.parse(base + '.kml').getroot()
    for shape in kml.iter('{http://www.opengis.net/kml/2.2}Point'), kml.iter('{http://www.opengis.net/kml/2.2}LineString'):
        if any(g.findtext('{http://www.opengis.net/kml/2.2}altitudeMode') != 'absolute' for g in shape):
            fault('a KML geometry without altitudeMode absolute')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('folder')
    parser.add_argument('scan_name')
    parser.add_argument('--gps', help='scan records with a position, e.g. 0,2,5')
    args = parser.parse_args()
    base = os.path.join(args.folder, args.scan_name)
    stds = {f: read_std(os.path.join(args.folder, f))
            for f in sorted(os.listdir(args.folder)) if f.endswith('.std')}
    with open(base + '.csv', newline='', encoding='utf-8') as f:  # valid UTF-8 or an error
        reader = csv.DictReader(f)
        if reader.fieldnames != COLUMNS:
            fault(f'table columns {reader.fieldnames}')
        rows = {row['file']: row for row in reader}
    # A byte of a name that is not UTF-8 is U+FFFD in the table.
    stds = {n.encode('utf-8', 'surrogateescape').decode('utf-8', 'replace'): s
            for n, s in stds.items()}
    if sorted(rows) != sorted(stds):
        fault(f'table rows {len(rows)} for {len(stds)} STD files, or other names')
    for name in sorted(set(rows) & set(stds)):
        check_row(name, rows[name], stds[name])
    gps = [s for n, s in stds.items() if s['source'] == 'scan' and rows.get(n, {}).get('latitude')]
    if args.gps is not None:
        given = {int(r) for r in args.gps.split(',') if r}
        if {int(s['record']) for s in gps} != given:
            fault(f'scan records with a position in the table differ from {sorted(given)}')
    gps.sort(key=lambda s: int(s['record']))
    track = [tuple(float(s[k]) for k in ('longitude', 'latitude', 'altitude')) for s in gps]
    track = [t for t in track if all(map(math.isfinite, t))]  # no file format has a NaN
    tracks = ('.kml', '.geojson') if track else ()  # no position: no track files
    if not track and any(os.path.exists(base + s) for s in ('.kml', '.geojson')):
        fault('a track file without a position')
    try:
        if track:
            json.load(open(base + '.geojson', 'rb'), parse_constant=lambda c: fault(f'GeoJSON has {c}'))
        for suffix in tracks[:1] + ('.svg',):
            ET.parse(base + suffix)
    except (ValueError, ET.ParseError) as e:
        fault(f'not well-formed: {e}')
    for suffix in tracks:
        check_track(base + suffix, track)
    if track:
        check_times_and_heights(base, stds)
    if os.path.getsize(base + '.svg') >= 1_000_000:
        fault('SVG file of 1 MB or more')
    with tempfile.TemporaryDirectory() as scratch:
        run = subprocess.run(['rsvg-convert', base + '.svg', '-o', os.path.join(scratch, 'p.png')],
                             capture_output=True, text=True, errors='replace')
        if run.returncode != 0:
            fault(f'rsvg-convert: {run.stderr.strip()}')
    print('\n'.join(faults) or f'{len(stds)} STD files, {len(track)} positions: good')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
