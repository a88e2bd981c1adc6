#!/usr/bin/env python3
"""Runs the end-to-end cases of this folder. NAME.case says which files to
make in a fresh folder and how to run vulconv there; NAME.expected holds the
exit status, standard output and error, and every file the run created,
changed or removed. README.md describes both formats."""
import argparse, difflib, fcntl, hashlib, os, random, re, resource, shutil
import stat, struct, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
NAMED = {b'r': b'\r', b'n': b'\n', b't': b'\t', b'0': b'\0'}
SHOWN = {'\r': '\\r', '\t': '\\t', '\0': '\\x00', '\\': '\\\\'}


def unescape(text):
    """\\r \\n \\t \\0 \\xHH, \\{TEXT*N} for TEXT N times, \\ before any other character."""
    def one(m):
        e = m.group(1)
        if e[:1] == b'{':
            text, _, n = e[1:-1].rpartition(b'*')
            return unescape(text) * int(n)
        return bytes([int(e[1:], 16)]) if len(e) == 3 else NAMED.get(e, e)
    return re.sub(rb'\\(x[0-9a-fA-F]{2}|\{[^}]*\}|.)', one, text, flags=re.S)


def escape(data):
    """The text that unescape turns into data; runs of 16 or more as \\{c*N}."""
    out = []
    for m in re.finditer(rb'(.)\1*', data, re.S):
        run = m.group(0).decode('latin-1')
        c = SHOWN.get(run[0]) or (run[0] if ' ' <= run[0] <= '~' else '\\x%02x' % ord(run[0]))
        long = len(run) >= 16 and run[0] not in '{}*'
        out.append('\\{%s*%d}' % (c, len(run)) if long else c * len(run))
    return ''.join(out)


def block(data):
    """Data as lines "| text", the last one ended by \\c when no LF ends it."""
    lines = data.split(b'\n')
    shown = [re.sub(' $', r'\\x20', escape(l)) for l in lines]
    rows = ['| ' + l if l else '|' for l in shown[:-1]]
    return rows + (['| ' + shown[-1] + '\\c'] if lines[-1] else [])


class Case:
    def __init__(self, name):
        self.name, self.platforms, self.args, self.entries = name, [b'posix'], [], {}
        self.fault = self.fsize = self.program = None
        self.golden, self.checks, self.locks, self.ages = [], [], [], []
        self.load(name + '.case')

    def load(self, file, prefix=b''):  # prefix: a folder for every name in file
        text = None  # the file whose "|" lines follow
        for line in open(os.path.join(HERE, file), 'rb').read().split(b'\n'):
            word, _, rest = line.partition(b' ')
            words = rest.split()
            if word == b'|':
                text[1] += unescape(line[2:-2]) if line.endswith(b'\\c') else unescape(line[2:]) + b'\n'
                continue
            text = None
            if word == b'' or word.startswith(b'#'):
                pass
            elif word == b'include':
                file_name, _, folder = rest.partition(b' ')
                self.load(file_name.decode(), prefix + unescape(folder))
            elif word == b'platforms':
                self.platforms = words
            elif word == b'args':
                self.args = [unescape(w) for w in words]
            elif word == b'file':
                name, _, value = rest.partition(b' ')
                kind = 'utf16' if value == b'utf16' else 'file'
                inline = value.startswith(b'= ')
                entry = self.entries[prefix + unescape(name)] = [kind, unescape(value[2:]) if inline else b'']
                if not inline:
                    text = entry
            elif word == b'rm':
                del self.entries[prefix + unescape(rest)]
            elif word in (b'bin', b'dir', b'fifo', b'link', b'hardlink', b'random', b'copy'):
                self.entries[prefix + unescape(words[0])] = [word.decode(), words[1:]]
            elif word == b'fault':
                self.fault = rest
            elif word == b'lock':
                self.locks.append(prefix + unescape(rest))
            elif word == b'age':
                self.ages.append((prefix + unescape(words[0]), int(words[1])))
            elif word == b'fsize':
                self.fsize = int(rest)
            elif word == b'program':
                self.program = rest
            elif word == b'golden':
                self.golden.append(words)
            elif word == b'check':
                self.checks.append([unescape(w) for w in words])
            else:
                raise SystemExit('%s: unknown line %r' % (file, line))


def record(token, rng):
    """8192 bytes from "v,v,...": floats, 0x bit patterns, r (random bits), each maybe *N."""
    values = []
    for item in token.decode().split(','):
        v, _, n = item.partition('*')
        values += [v] * int(n or 1)
    values += ['0'] * (2048 - len(values))
    return b''.join(struct.pack('<I', rng.getrandbits(32)) if v == 'r' else
                    struct.pack('<I', int(v, 16)) if v.startswith('0x') else
                    struct.pack('<f', float(v)) for v in values)


def build(case, top, subst):
    for name, (kind, data) in case.entries.items():
        path = os.path.join(top, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if kind in ('file', 'utf16', 'random'):
            if kind == 'utf16':
                data = b'\xff\xfe' + data.decode('latin-1').encode('utf-16-le')
            elif kind == 'random':
                data = random.Random(int(data[1])).randbytes(int(data[0]))
            open(path, 'wb').write(subst(data) if kind == 'file' else data)
        elif kind == 'bin':
            rng = random.Random(2012)
            with open(path, 'wb') as f:
                for token in data:
                    if token[:1] == b'@':  # the file's size, made sparse
                        f.truncate(int(token[1:]))
                    else:
                        f.write(unescape(token[1:]) if token[:1] == b'+' else record(token, rng))
        elif kind == 'dir':
            os.makedirs(path, exist_ok=True)
        elif kind == 'fifo':
            os.mkfifo(path)
        elif kind == 'link':
            os.symlink(unescape(data[0]), path)
        elif kind == 'hardlink':
            os.link(os.path.join(top, unescape(data[0])), path)
        elif kind == 'copy':  # the folder's files only: not what a run left in it
            src = os.path.join(os.fsencode(ROOT), data[0])
            os.makedirs(path, exist_ok=True)
            for n in os.listdir(src):
                if os.path.isfile(os.path.join(src, n)):
                    shutil.copy2(os.path.join(src, n), os.path.join(path, n))


def snapshot(top):
    seen = {}
    for folder, dirs, files in os.walk(top):
        for n in dirs + files:
            path = os.path.join(folder, n)
            st = os.lstat(path)
            data = () if stat.S_ISDIR(st.st_mode) else (st.st_size, st.st_mtime_ns)
            seen[os.path.relpath(path, top)] = (st.st_mode, st.st_ino) + data
    return seen


def std_view(data):
    """The leading pixel lines up to the last non-zero of the first eight, and the trailer."""
    lines = data.split(b'\r\n')
    if lines[:3] != [b'GDBGMNUP', b'1', b'2048'] or len(lines) < 2052 or lines[-1]:
        return ['not an STD file']
    pixels = lines[3:11]
    while pixels and pixels[-1] == b'0.000000':
        pixels.pop()
    shown = ['pixels ' + ' '.join(escape(p) for p in pixels)] if pixels else []
    return shown + block(b'\n'.join(lines[2051:]))


def describe(top, rel, mark):
    path = os.path.join(top, rel)
    st = os.lstat(path)
    name = '%s %s' % (mark, re.sub(r'\.vulconv-[0-9a-f]{16}([-.])', r'.vulconv-RUN\1', escape(rel)))
    if stat.S_ISDIR(st.st_mode):
        return [name + '/']
    if stat.S_ISLNK(st.st_mode):
        return [name + ' -> ' + escape(os.readlink(path))]
    if not stat.S_ISREG(st.st_mode):
        return [name + (' (fifo)' if stat.S_ISFIFO(st.st_mode) else ' (special)')]
    data = open(path, 'rb').read()
    rows = ['%s %o %d %s' % (name, st.st_mode & 0o7777, len(data), hashlib.sha256(data).hexdigest()[:16])]
    return rows + (['    ' + r for r in std_view(data)] if rel.endswith(b'.std') else [])


def untext(data):
    """What a Windows program wrote to its text-mode console, before "\\n" became "\\r\\n"."""
    plain = data.replace(b'\r\n', b'\n')
    return plain if plain.replace(b'\n', b'\r\n') == data else b'(not in text mode)\n' + data


def execute(case, o, top):
    """Builds the case in top, runs it and returns its expected-file text."""
    win = o.windows
    subs = {b'{abs}': b'Z:' + top.replace(b'/', b'\\') if win else top, b'{/}': b'\\' if win else b'/',
            b'{exe}': b'Z:' + os.fsencode(o.exe).replace(b'/', b'\\')}
    subst = lambda data: re.sub(rb'\{(abs|/|exe)\}', lambda m: subs[m.group(0)], data)
    build(case, top, subst)
    now = time.time()
    for name, seconds in case.ages:  # an earlier run's file, that long ago
        os.utime(os.path.join(top, name), (now - seconds, now - seconds))
    # A live run's lock: held by this process while vulconv runs.
    held = [open(os.path.join(top, name), 'r+b') for name in case.locks]
    for f in held:
        fcntl.flock(f, fcntl.LOCK_EX)
    before = snapshot(top)
    exe = os.fsencode(o.exe)
    if case.fault and win:  # the Windows build fails its own calls as the shim would
        exe = os.path.join(os.path.dirname(exe), b'vulconv_faults.exe')
    cmd = ([o.wine] if win else []) + [case.program or exe] + [subst(a) for a in case.args]
    env = dict(os.environ)
    if case.fault:
        asan = [env['ASAN_OPTIONS']] if env.get('ASAN_OPTIONS') else []
        env.update(VULCONV_FAULT=case.fault.decode())
        if not win:
            env.update(LD_PRELOAD=o.shim, ASAN_OPTIONS=':'.join(asan + ['verify_asan_link_order=0']))
    limit = lambda: case.fsize and resource.setrlimit(resource.RLIMIT_FSIZE, (case.fsize, case.fsize))
    p = subprocess.run(cmd, cwd=top, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                       preexec_fn=limit, timeout=120)
    for f in held:
        f.close()
    out, err = (untext(p.stdout), untext(p.stderr)) if win else (p.stdout, p.stderr)
    rows = ['status %d' % (p.returncode if p.returncode >= 0 else 128 - p.returncode)]
    for title, data in (('stdout', out), ('stderr', err)):
        rows += [title] + block(data.replace(subs[b'{abs}'], b'{abs}'))
    rows.append('files')
    after = snapshot(top)
    for rel in sorted(set(before) | set(after)):
        if rel not in after:
            rows.append('- ' + escape(rel))
        elif before.get(rel) != after[rel]:
            rows += describe(top, rel, '~' if rel in before else '+')
    for golden, output in case.golden:  # a folder of the source tree holds files and console.txt
        src, out_dir = os.path.join(ROOT, golden.decode()), os.path.join(top, output)
        for n in sorted(os.listdir(src)):
            path = os.path.join(out_dir, os.fsencode(n))
            got = out if n == 'console.txt' else open(path, 'rb').read() if os.path.exists(path) else None
            if got != open(os.path.join(src, n), 'rb').read():
                rows.append('golden: %s differs from %s' % (n, golden.decode()))
    for script, folder, *more in case.checks:  # a reader of the files an option wrote
        got = subprocess.run([sys.executable, os.path.join(os.fsencode(ROOT), b'tests', script),
                              os.path.join(top, folder)] + more, capture_output=True)
        rows += ['check ' + script.decode()] + block(got.stdout + got.stderr)
    return '\n'.join(rows) + '\n'


def start_wine(o):
    """Makes the prefix and starts Wine's server and services outside any test's pipes,
    one test at a time: they stay up a while and every later start finds them."""
    os.environ.update(WINEPREFIX=o.prefix, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
    with open(o.prefix + '.lock', 'w') as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        for cmd in ([o.wineserver, '-p30'], [o.wine, o.exe, '--version']):
            subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check(name, o):
    case = Case(name)
    if (b'windows' if o.windows else b'posix') not in case.platforms:
        return 0
    # Memory unless asked otherwise: the flush at the end of a run, a 4 GiB
    # read under Wine and removing the folder take seconds on a disk.
    shm = '/dev/shm' if 'TMPDIR' not in os.environ and os.path.isdir('/dev/shm') else None
    with tempfile.TemporaryDirectory(prefix='vulconv-case-', dir=shm) as tmp:
        try:
            got = execute(case, o, os.fsencode(tmp))
        except subprocess.TimeoutExpired:
            got = 'timed out\n'
    posix_file = os.path.join(HERE, name + '.expected')
    win_file = os.path.join(HERE, name + '.windows.expected')
    read = lambda f: open(f, encoding='latin-1').read() if os.path.exists(f) else ''
    if o.update:
        if o.windows and got == read(posix_file):
            os.path.exists(win_file) and os.remove(win_file)
        else:
            open(win_file if o.windows else posix_file, 'w', encoding='latin-1').write(got)
        return 0
    want_file = win_file if o.windows and os.path.exists(win_file) else posix_file
    if got == read(want_file):
        return 0
    sys.stdout.writelines(difflib.unified_diff(read(want_file).splitlines(True), got.splitlines(True),
                                               want_file, 'this run of ' + name))
    return 1


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('cases', nargs='*', help='case names (default: every case)')
    ap.add_argument('--exe', required=True, help='the vulconv program (vulconv.exe with --windows)')
    ap.add_argument('--shim', help='the fault shim for cases with a "fault" line')
    ap.add_argument('--update', action='store_true', help='rewrite the expected files')
    ap.add_argument('--windows', action='store_true', help='run vulconv.exe under Wine')
    ap.add_argument('--wine', help='wine64')
    ap.add_argument('--wineserver')
    ap.add_argument('--prefix', help='the Wine prefix to use')
    ap.add_argument('--imports', metavar='OBJDUMP', help='only check the DLLs that --exe imports')
    o = ap.parse_args()
    os.umask(0o022)
    o.exe, o.shim = [p and os.path.abspath(p) for p in (o.exe, o.shim)]
    if o.windows or o.imports is not None:
        missing = ('no cross-built vulconv.exe' if not os.path.isfile(o.exe) else
                   'no wine64' if o.windows and not (o.wine and o.wineserver) else
                   'no x86_64-w64-mingw32-objdump' if o.imports == '' else '')
        if missing:
            print('skipped:', missing, 'was found when this tree was configured')
            return 1 if os.environ.get('VULCONV_REQUIRE_WINDOWS_TESTS') else 77
    if o.imports is not None:
        dlls = re.findall(r'DLL Name: (\S+)', subprocess.run([o.imports, '-p', o.exe], capture_output=True,
                                                           text=True).stdout)
        print('imports', dlls)
        return 0 if dlls == ['KERNEL32.dll', 'msvcrt.dll'] else 1
    if o.windows:
        start_wine(o)
    names = o.cases or sorted(n[:-5] for n in os.listdir(HERE) if n.endswith('.case'))
    failed = [n for n in names if check(n, o)]
    print('%d passed, %d failed' % (len(names) - len(failed), len(failed)), *failed)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
