#!/usr/bin/env python3
"""Reads the campaign files in FOLDER as outside tools do.

    campaign_check.py FOLDER [--screenshot PNG]

campaign.csv with Python's csv: the rows of every scan with the scan's name
in front, equal to the rows of the table the page links for it.
campaign.kml and campaign.geojson with GDAL's ogrinfo: per scan a point for
every spectrum with a position in campaign.csv and a line through two or
more, at the places of the scan's own track files. campaign.html in
Debian's chromium, headless, driven over the DevTools protocol on a pipe:
every link to a file in FOLDER, no console message, exception or log entry,
no request outside FOLDER; its screenshot into PNG. Prints counts; exits 1
with the faults found listed."""
import argparse, base64, csv, fcntl, io, json, math, os, re, select, shutil, subprocess
import sys, tempfile, time, urllib.parse
from html.parser import HTMLParser
import xml.etree.ElementTree as ET

faults = []
fault = faults.append


class Page(HTMLParser):
    """The page's links, and per row of the scans' table its name, state and links."""
    def __init__(self):
        super().__init__()
        self.links, self.rows, self.cell = [], [], None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag in ('script', 'link', 'img', 'iframe', 'object', 'embed', 'image', 'use'):
            fault(f'page: <{tag}>')
        self.links += [a[k] for k in ('href', 'src', 'xlink:href') if k in a]
        if tag == 'tr' and a.get('class', '') != '' and a['class'] != 'failed':
            fault(f'page: row class {a["class"]}')
        if tag == 'tr':
            self.rows.append(dict(failed=a.get('class') == 'failed', cells=[], links=[]))
        elif tag == 'td':
            self.cell = self.rows[-1]['cells']
            self.cell.append('')
        elif tag == 'a' and self.cell is not None:
            self.rows[-1]['links'].append(a['href'])

    def handle_endtag(self, tag):
        if tag == 'td':
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell[-1] += data


def tracks(path):
    """ogrinfo's points and lines of a track file, by layer or by the "scan" field."""
    run = subprocess.run(['ogrinfo', '-ro', '-al', path], capture_output=True, text=True,
                         errors='replace')
    if run.returncode != 0:
        fault(f'ogrinfo {path}: {run.stderr.strip()}')
    found, key = {}, None
    for line in run.stdout.splitlines():
        m = re.match(r'Layer name: (.*)$|  scan \(String\) = (.*)$|  (POINT|LINESTRING) Z \((.*)\)$', line)
        if m and m.group(3):
            points = [tuple(map(float, t.split())) for t in m.group(4).split(',')]
            found.setdefault(key, {'POINT': [], 'LINESTRING': []})[m.group(3)].append(points)
        elif m:
            key = m.group(1) if m.group(1) is not None else m.group(2)
        elif re.match(r'  [A-Z]+(?: Z| M| ZM)? \(', line):
            fault(f'{path}: {line.strip()[:40]}')
    return found


def same_track(what, got, own, count):
    """got (from a campaign file) has count points and the points and line of own."""
    points = sorted(p[0] for p in got['POINT'])
    if len(points) != count or len(got['LINESTRING']) != (count >= 2):
        fault(f'{what}: {len(points)} points, {len(got["LINESTRING"])} lines for {count} positions')
    if own is not None and (points != sorted(p[0] for p in own['POINT'])
                            or got['LINESTRING'] != own['LINESTRING']):
        fault(f'{what}: not the points and line of the scan\'s own track')


def inside(folder, target):
    real = os.path.realpath(os.path.join(os.fsencode(folder), target))
    return real.startswith(os.path.realpath(os.fsencode(folder)) + b'/') and os.path.isfile(real)


class Browser:
    """chromium, headless, on the DevTools pipe: JSON messages ended by NUL on its fds 3 and 4."""
    def __init__(self, profile):
        to_read, self.to = os.pipe()
        self.fro, from_write = os.pipe()
        def fds():  # moved above 4 first, so that neither overwrites the other
            a, b = (fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_read, from_write))
            os.dup2(a, 3), os.dup2(b, 4)
        self.proc = subprocess.Popen(
            ['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--user-data-dir=' + profile, '--remote-debugging-pipe'],
            preexec_fn=fds, close_fds=False, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_read), os.close(from_write)
        self.buffer, self.events, self.last = b'', [], 0
        self.deadline = time.monotonic() + 60

    def receive(self):
        while b'\0' not in self.buffer:
            if not select.select([self.fro], [], [], max(0, self.deadline - time.monotonic()))[0]:
                raise TimeoutError('chromium did not answer')
            chunk = os.read(self.fro, 1 << 20)
            if not chunk:
                raise EOFError('chromium ended')
            self.buffer += chunk
        message, _, self.buffer = self.buffer.partition(b'\0')
        message = json.loads(message)
        if 'method' in message:
            self.events.append(message)
        return message

    def call(self, method, session=None, **params):
        self.last += 1
        request = dict(id=self.last, method=method, params=params)
        os.write(self.to, json.dumps(request | ({'sessionId': session} if session else {})).encode() + b'\0')
        while (reply := self.receive()).get('id') != self.last:
            pass
        if 'error' in reply:
            raise RuntimeError(f'{method}: {reply["error"]}')
        return reply.get('result', {})


def render(folder, screenshot):
    """Loads the page; returns the URLs it requested and the messages it caused."""
    url = 'file://' + urllib.parse.quote(os.path.realpath(os.path.join(folder, 'campaign.html')))
    profile = tempfile.mkdtemp(prefix='campaign-check-')
    browser = Browser(profile)
    try:
        target = browser.call('Target.createTarget', url='about:blank')['targetId']
        session = browser.call('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        for domain in ('Page', 'Network', 'Runtime', 'Log'):
            browser.call(domain + '.enable', session)
        browser.call('Emulation.setDeviceMetricsOverride', session, width=1280, height=900,
                     deviceScaleFactor=1, mobile=False)
        start = len(browser.events)
        browser.call('Page.navigate', session, url=url)
        while not any(e['method'] == 'Page.loadEventFired' for e in browser.events[start:]):
            browser.receive()
        size = browser.call('Page.getLayoutMetrics', session)['cssContentSize']
        shot = browser.call('Page.captureScreenshot', session, format='png', captureBeyondViewport=True,
                            clip=dict(x=0, y=0, width=size['width'], height=size['height'], scale=1))
        open(screenshot, 'wb').write(base64.b64decode(shot['data']))
        browser.call('Browser.close')
        browser.proc.wait(timeout=30)
    finally:
        if browser.proc.poll() is None:
            browser.proc.kill()
            browser.proc.wait()
        shutil.rmtree(profile, ignore_errors=True)
    events = browser.events[start:]
    requests = [e['params']['request']['url'] for e in events if e['method'] == 'Network.requestWillBeSent']
    messages = [e for e in events if e['method'] in (
        'Runtime.consoleAPICalled', 'Runtime.exceptionThrown', 'Log.entryAdded', 'Network.loadingFailed')]
    return requests, messages


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('folder')
    parser.add_argument('--screenshot', help='PNG file for the page as rendered')
    args = parser.parse_args()
    name = lambda n: os.path.join(args.folder, n)

    html = open(name('campaign.html'), encoding='utf-8').read()
    page = Page()
    page.feed(html)
    if re.search(r'url\(|@import|@font-face', html):
        fault('page: a style that loads something')
    for link in page.links:
        target = urllib.parse.unquote_to_bytes(link)
        if urllib.parse.urlsplit(link).scheme or b'..' in target.split(b'/') or not inside(args.folder, target):
            fault(f'page: link {link} to no file inside the folder')
    scans = page.rows[1:]  # after the header row
    linked = {r['cells'][0]: {os.path.splitext(link)[1]: urllib.parse.unquote_to_bytes(link)
                              for link in r['links']} for r in scans if not r['failed']}

    with open(name('campaign.csv'), encoding='utf-8', newline='') as f:
        header, *rows = list(csv.reader(f))
    by_scan = {}
    for row in rows:
        by_scan.setdefault(row[0], []).append(row[1:])
    if list(by_scan) != list(linked):
        fault(f'campaign.csv: scans {list(by_scan)}, page {list(linked)}')
    compared = 0
    for scan, links in linked.items():
        if '.csv' in links:
            with open(os.path.join(os.fsencode(args.folder), links['.csv']), encoding='utf-8',
                      errors='replace', newline='') as f:
                own_header, *own = list(csv.reader(f))
            compared += 1
            if header != ['scan'] + own_header or by_scan.get(scan) != own:
                fault(f'campaign.csv: the rows of {scan} differ from its table')

    column = {c: i - 1 for i, c in enumerate(header)}
    def position(row):
        values = [row[column[c]] for c in ('longitude', 'latitude', 'altitude')]
        return row[column['source']] == 'scan' and all(v and math.isfinite(float(v)) for v in values)
    positions = {s: sum(map(position, r)) for s, r in by_scan.items() if sum(map(position, r))}
    ET.parse(name('campaign.kml'))
    json.load(open(name('campaign.geojson'), 'rb'), parse_constant=lambda c: fault(f'GeoJSON has {c}'))
    for suffix in ('.kml', '.geojson'):
        got = tracks(name('campaign' + suffix))
        if sorted(got) != sorted(positions):
            fault(f'campaign{suffix}: tracks of {sorted(got)}, expected {sorted(positions)}')
        for scan, count in positions.items():
            own = linked.get(scan, {}).get(suffix)  # its one layer
            own = own and next(iter(tracks(os.path.join(os.fsencode(args.folder), own)).values()), None)
            same_track(f'campaign{suffix} {scan}', got.get(scan, {'POINT': [], 'LINESTRING': []}), own, count)

    requests, messages = render(args.folder, args.screenshot or os.devnull)
    for url in requests:
        path = urllib.parse.unquote_to_bytes(urllib.parse.urlsplit(url).path)
        if not url.startswith('file:') or not inside(args.folder, path):
            fault(f'page: request of {url}')
    for message in messages:
        fault(f'page: {message["method"]} {json.dumps(message["params"])[:200]}')

    points = sum(positions.values())
    lines = sum(c >= 2 for c in positions.values())
    print('\n'.join(faults) or
          f'campaign.csv: {len(rows)} rows of {len(by_scan)} scans, {compared} compared with their tables\n'
          f'campaign.kml, campaign.geojson: {len(positions)} tracks, {points} points, {lines} lines\n'
          f'campaign.html: {len(scans)} scans, {sum(r["failed"] for r in scans)} failed; '
          f'links: {len(page.links)}, requests: {len(requests)}, console messages: {len(messages)}')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
