#!/usr/bin/env python3
"""Mutation sampling: how many small faults does the test suite catch?

One small change at a time to the page or host code, rebuilt and run by the
tests that can see it; caught when one fails. See tests/README.md.

    tests/tools/mutate.py --list                 # print the sample only
    tests/tools/mutate.py --sample 60 --seed 13  # run it, write the summary
    tests/tools/mutate.py --only page --max 5    # five page mutants, resumable
    tests/tools/mutate.py --drawn-at c3289a2     # the sample drawn then, run on today's code
"""

import argparse, itertools, json, os, random, re, shutil, signal, subprocess, sys, time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
KINDS = ['compare', 'constant', 'condition', 'boolean', 'arith', 'return']
COMPARE = {'<': '>', '>': '<', '<=': '>=', '>=': '<=', '==': '!=', '!=': '==', '===': '!==', '!==': '==='}
# Binary operators are recognised by the spaces around them, as the code is
# written; templates, pointers, unary signs and increments are left alone.
CHANGES = [  # kind, where, the change (in the order sites are collected)
    ('compare', re.compile(r'(?<=\S) (===|!==|==|!=|<=|>=|<|>) (?=\S)'), lambda old: COMPARE[old]),
    ('arith', re.compile(r'(?<=[\w)\]]) ([-+*/]) (?=[\w(.!\'"])'), lambda old: {'+': '-', '-': '+', '*': '/', '/': '*'}[old]),
    ('constant', re.compile(r'(?<![\w.$])(\d+\.\d+|\d+)(?![\w.])'), lambda old: old[:-1] + str((int(old[-1]) + 1) % 10) if '.' in old else str(int(old) + 1)),
    ('boolean', re.compile(r'\b(true|false)\b'), lambda old: 'false' if old == 'true' else 'true'),
]
IF_RE = re.compile(r'\b(if|while) \(')
RETURN_RE = re.compile(r'\breturn (?!;)([^;\n]+);')
# Dropping a value that already is the default changes nothing: not a fault.
DEFAULT_VALUE_RE = re.compile(r'^(false|0|nullptr|null|undefined|\{\}|[\w:]+\(\))$')


# Not code: comments, strings (to the line's end when unclosed), in C++ preprocessor lines.
NOT_CODE = r'//[^\n]*|/\*.*?(?:\*/|\Z)|"(?:\\.|[^"\\\n])*["\n]?|\'(?:\\.|[^\'\\\n])*[\'\n]?'


def code_mask(text, lang):
    """True for every character that is code."""
    mask = [True] * len(text)
    for m in re.finditer((r'^[ \t]*(#[^\n]*)|' if lang == 'cpp' else '') + NOT_CODE, text, re.S | re.M):
        start = m.start(1) if m.lastindex else m.start()
        mask[start:m.end()] = [False] * (m.end() - start)
    return mask


def read_today(rel):
    return open(os.path.join(ROOT, rel), encoding='utf-8').read()


def sources(commit):
    """(read a file, list a folder and the folders in it) of the product code today, or as it was at a commit."""
    if not commit:
        def walk(folder):
            top = os.path.join(ROOT, folder)
            return sorted(os.path.relpath(os.path.join(d, f), top) for d, _, files in os.walk(top) for f in files)
        return read_today, walk
    git = lambda *a: subprocess.run(['git', '-C', ROOT] + list(a), check=True, stdout=subprocess.PIPE).stdout.decode('utf-8')
    return lambda rel: git('show', '%s:%s' % (commit, rel)), lambda folder: git('ls-tree', '-r', '--name-only', '%s:%s' % (commit, folder)).split()


def relocate(site, then):
    """The same change in today's code: found by the whole lines it sat on, in the same file when they are still
    there, else in a file of the area that has them (one of the same name first, as a moved file), the nearest if
    they repeat; None when gone."""
    first, last = then.rfind('\n', 0, site['start']) + 1, then.find('\n', site['end'])
    lines = then[first:last if last >= 0 else len(then)]
    folder, ext = site['file'].split(os.sep)[0], os.path.splitext(site['file'])[1]
    others = [os.path.join(folder, name) for name in sources(None)[1](folder) if name.endswith(ext)]
    moved = sorted((o for o in others if o != site['file']), key=lambda o: os.path.basename(o) != os.path.basename(site['file']))
    for rel in [site['file']] + moved:
        now = read_today(rel) if os.path.exists(os.path.join(ROOT, rel)) else ''
        found, at = [], now.find(lines)
        while at >= 0:
            found.append(at)
            at = now.find(lines, at + 1)
        if found:
            at = min(found, key=lambda a: abs(now.count('\n', 0, a) + 1 - site['line'])) + site['start'] - first
            return dict(site, file=rel, line=now.count('\n', 0, at) + 1, start=at, end=at + len(site['old']))
    return None


def sites_in(rel, lang, read=read_today):
    text = read(rel)
    mask, found = code_mask(text, lang), []

    def add(kind, start, end, new):
        if all(mask[start:end]):
            line = text.count('\n', 0, start) + 1
            found.append({'file': rel, 'line': line, 'kind': kind, 'start': start, 'end': end,
                          'old': text[start:end], 'new': new, 'id': '%s:%d:%d:%s' % (rel, line, start, kind)})

    for kind, where, change in CHANGES:
        for m in where.finditer(text):
            add(kind, m.start(1), m.end(1), change(m.group(1)))
    for m in IF_RE.finditer(text):
        open_at, depth = m.end() - 1, 0
        for close_at in range(open_at, len(text)):
            depth += {'(': 1, ')': -1}.get(text[close_at], 0)
            if depth == 0:
                if all(mask[open_at:close_at + 1]):
                    add('condition', open_at + 1, close_at, '!(' + text[open_at + 1:close_at] + ')')
                break
    for m in RETURN_RE.finditer(text):
        if not DEFAULT_VALUE_RE.match(m.group(1).strip()):
            add('return', m.start(), m.end(), 'return;' if lang == 'js' else 'return {};')
    return found


def sample(count, seed, only, commit=None):
    """Per area, an equal share of every kind (as far as it has places), picked at random.

    Drawn at an older commit, the same changes are then made to today's code where their lines are still there."""
    (read, listing), rng, chosen = sources(commit), random.Random(seed), []
    for area, share in [(only, count)] if only else [('page', (count + 1) // 2), ('host', count // 2)]:
        folders, ext, lang = (['Resources'], '.js', 'js') if area == 'page' else (['host'], '.cpp', 'cpp')
        sites = [dict(s, area=area) for folder in folders for name in listing(folder)
                 if name.endswith(ext) for s in sites_in(os.path.join(folder, name), lang, read)]
        by_kind = {k: [s for s in sites if s['kind'] == k] for k in KINDS}
        for k in KINDS:
            rng.shuffle(by_kind[k])
        picked = []
        while len(picked) < share and any(by_kind.values()):
            picked += [by_kind[k].pop() for k in KINDS if by_kind[k]]
        chosen += picked[:share]
    if commit:
        chosen = [relocate(s, read(s['file'])) or dict(s, area='gone') for s in chosen]
    return chosen


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)
    # A fresh time stamp on every write, the restore too: no object built from a mutant is kept.
    os.utime(path, (time.time(), time.time()))


def run(cmd, timeout, cwd=None, env=None):
    """Runs cmd as a process group killed whole on timeout or interrupt: (status, None on timeout; output)."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out, status = proc.communicate(timeout=timeout)[0], proc.returncode
    except BaseException as e:
        os.killpg(proc.pid, signal.SIGKILL)
        out, status = proc.communicate()[0], None
        if not isinstance(e, subprocess.TimeoutExpired):
            raise
    return status, out.decode('utf-8', 'replace')


class Suite:
    def __init__(self, args):
        self.build, self.jobs = args.build, args.jobs
        self.env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
        self.env.setdefault('XDG_RUNTIME_DIR', os.path.join(self.build, 'mutation', 'runtime'))
        os.makedirs(self.env['XDG_RUNTIME_DIR'], mode=0o700, exist_ok=True)
        status, out = run(['ctest', '--show-only=json-v1'], 120, cwd=self.build)
        if status != 0:
            sys.exit('ctest cannot list the tests in %s: configure and build first' % self.build)
        self.tests, self.group = {}, {}
        for t in json.loads(out)['tests']:
            command, name = t.get('command') or [], t['name']
            self.tests[name] = {os.path.basename(w) for w in command if w.startswith(self.build) and os.access(w, os.X_OK)}
            self.tests[name] |= {'drillmora'} if any(w.endswith('.sh') for w in command) else set()
            # The tests/ folder that added the test (its build folder is where it runs), whatever its name.
            where = {p['name']: p['value'] for p in t.get('properties', [])}.get('WORKING_DIRECTORY', self.build)
            where = os.path.relpath(where, self.build).split(os.sep)
            self.group[name] = where[1] if len(where) > 1 and where[0] == 'tests' else name.split('_')[0]

    def seeing(self, *areas):
        return sorted(n for n in self.tests if self.group[n] in areas + ('e2e',))

    def compile(self, names, timeout):
        targets = sorted(set().union(*(self.tests[n] for n in names)))
        return run(['cmake', '--build', self.build, '-j%d' % self.jobs, '--target'] + targets, timeout)

    def ctest(self, names, timeout, stop_on_failure=True):
        cmd = ['ctest', '-j%d' % self.jobs, '-R', '^(%s)$' % '|'.join(map(re.escape, names)), '--output-on-failure']
        status, out = run(cmd + ['--stop-on-failure'] * stop_on_failure, timeout, cwd=self.build, env=self.env)
        return status, re.findall(r'\d+ - (\S+) \((?:Failed|Timeout|SEGFAULT|Subprocess aborted|Exception|Not Run)', out)


def try_mutant(site, suite, args):
    names, started = suite.seeing(site['area']), time.time()
    status, out = suite.compile(names, args.build_timeout)
    result = {'id': site['id'], 'build_seconds': round(time.time() - started, 1), 'outcome': 'survived'}
    if status != 0:
        return dict(result, outcome='did not build', detail='build timed out' if status is None else out[-400:])
    # The tests named after the changed file first, then all the others.
    stem = os.path.splitext(os.path.basename(site['file']))[0].lower()
    first = [n for n in names if re.sub(r'^[a-z0-9]+_(tst_)?', '', n).lower().split('_')[0] == stem]
    for group in (first, [n for n in names if n not in first]):
        left = started + args.timeout - time.time()
        status, failed = (suite.ctest(group, left) if left > 0 else (None, [])) if group else (0, [])
        if status != 0:
            failed = 'failed: ' + ' '.join(failed or ['(see ctest)'])
            result.update(outcome='caught', detail='timed out after %d s' % args.timeout if status is None else failed)
            break
    result['test_seconds'] = round(time.time() - started - result['build_seconds'], 1)
    return result


def describe(site):
    cut = lambda text, width: text if len(text) < width else text[:width - 3] + '...'
    return '%s:%d %s: %s -> %s' % (site['file'], site['line'], site['kind'], cut(site['old'], 60), cut(site['new'], 64))


def summary(chosen, results, seed, elapsed):
    done = [results[s['id']] for s in chosen if s['id'] in results]
    lines = ['Mutation sample: seed %d, %d mutants drawn, %d run' % (seed, len(chosen), len(done))]
    for area in ('page', 'host', None):
        part = [results[s['id']]['outcome'] for s in chosen if area in (s['area'], None) and s['id'] in results]
        c, s, d = (part.count(o) for o in ('caught', 'survived', 'did not build'))
        if part:
            lines.append('%s: caught %d, survived %d, did not build %d, share caught %s' % (
                area and '  ' + area or 'Total', c, s, d, '%.1f%% (%d of %d)' % (100.0 * c / (c + s), c, c + s) if c + s else 'n/a'))
    if done:
        per, builds = [r.get('build_seconds', 0) + r.get('test_seconds', 0) for r in done], [r.get('build_seconds', 0) for r in done]
        lines.append('Time per mutant: mean %.0f s, longest %.0f s (build mean %.0f s)' % (sum(per) / len(per), max(per), sum(builds) / len(done)))
    lines.append('This invocation: %.1f min' % (elapsed / 60))
    lines += ['', 'Gone from the code since the draw (not run):'] + ['  ' + describe(s) for s in chosen if s['area'] == 'gone']
    for outcome, title in (('survived', 'Survivors:'), ('did not build', 'Did not build:')):
        lines += ['', title] + ['  ' + describe(s) for s in chosen if results.get(s['id'], {}).get('outcome') == outcome]
    return '\n'.join(lines) + '\n'


def main():
    doc = __doc__.split('\n')
    parser = argparse.ArgumentParser(description=doc[0], epilog='\n'.join(doc[2:]), formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--sample', type=int, default=60, help='mutants drawn (default 60)')
    parser.add_argument('--seed', type=int, default=13, help='seed of the draw (default 13)')
    parser.add_argument('--only', choices=['page', 'host'], help='draw from one half only')
    parser.add_argument('--drawn-at', metavar='COMMIT', help='draw the sample from the product code of this commit')
    parser.add_argument('--list', action='store_true', help='print the sample and stop')
    parser.add_argument('--max', type=int, help='run at most this many mutants not yet run')
    parser.add_argument('--fresh', action='store_true', help='forget earlier results of this sample')
    parser.add_argument('--build', type=os.path.abspath, default=os.path.join(ROOT, 'build'), help='build folder (default build/)')
    parser.add_argument('--jobs', type=int, default=os.cpu_count() or 2, help='parallel build and test jobs')
    parser.add_argument('--timeout', type=int, default=1200, help='seconds of testing per mutant before it counts as caught (hung)')
    parser.add_argument('--build-timeout', type=int, default=1200, help='seconds of building per mutant')
    args = parser.parse_args()
    chosen = sample(args.sample, args.seed, args.only, args.drawn_at)
    if args.list:
        for i, s in enumerate(chosen, 1):
            print('%3d %s %s' % (i, s['area'], describe(s)))
        return 0

    # SIGTERM unwinds like Ctrl+C, putting the changed file back; SIGINT too, though a shell may ignore it.
    for sig in (signal.SIGINT, signal.SIGTERM):
        signal.signal(sig, signal.default_int_handler)
    work, backups = os.path.join(args.build, 'mutation'), os.path.join(args.build, 'mutation', 'backup')
    os.makedirs(backups, exist_ok=True)
    for name in os.listdir(backups):
        write(os.path.join(ROOT, name.replace('__', '/')), open(os.path.join(backups, name), 'rb').read())
        os.remove(os.path.join(backups, name))
        print('restored %s left changed by an interrupted run' % name.replace('__', '/'))
    tag = os.path.join(work, 'seed%d-n%d%s%s' % (args.seed, args.sample, '-' + args.only if args.only else '', '-at-' + args.drawn_at if args.drawn_at else ''))
    if args.fresh and os.path.exists(tag + '.jsonl'):
        os.remove(tag + '.jsonl')
    with open(tag + '.jsonl', 'a+') as f:
        f.seek(0)
        results = {r['id']: r for r in map(json.loads, f)}
    suite = Suite(args)
    # Page and host mutants take turns, so a run stopped early has both.
    halves = [[s for s in chosen if s['area'] == a and s['id'] not in results] for a in ('page', 'host')]
    todo = [s for pair in itertools.zip_longest(*halves) for s in pair if s][:args.max]
    started = time.time()
    try:
        # Every test that could see a change must pass unchanged, or every mutant would look caught.
        names = suite.seeing(*{s['area'] for s in todo}) if todo else []
        if names:
            print('baseline: building and running %d tests on the unchanged code' % len(names), flush=True)
            status, out = suite.compile(names, args.build_timeout)
            if status != 0:
                sys.exit('the unchanged code does not build:\n' + out[-2000:])
            status, failed = suite.ctest(names, args.timeout, stop_on_failure=False)
            if status != 0:
                sys.exit('the unchanged code fails tests: %s' % ' '.join(failed))
            print('baseline green in %.0f s' % (time.time() - started), flush=True)
        for i, site in enumerate(todo, 1):
            path, backup = os.path.join(ROOT, site['file']), os.path.join(backups, site['file'].replace('/', '__'))
            original = open(path, 'rb').read()
            text = original.decode('utf-8')
            if text[site['start']:site['end']] != site['old']:
                sys.exit('%s changed since the sample was drawn' % site['id'])
            shutil.copyfile(path, backup)
            try:
                write(path, (text[:site['start']] + site['new'] + text[site['end']:]).encode('utf-8'))
                result = results[site['id']] = try_mutant(site, suite, args)
            finally:
                write(path, original)
                os.remove(backup)
            open(tag + '.jsonl', 'a').write(json.dumps(result) + '\n')
            print('[%d/%d] %-13s %5.0f s  %s  %s' % (i, len(todo), result['outcome'], result['build_seconds'] + result.get('test_seconds', 0),
                                                     describe(site), result.get('detail', '') if result['outcome'] == 'caught' else ''), flush=True)
    except KeyboardInterrupt:
        print('\ninterrupted: the source tree is restored; run again to resume', file=sys.stderr)
    finally:
        # Leave the build matching the restored sources.
        if todo:
            suite.compile(suite.seeing('page', 'host'), args.build_timeout)
    text = summary(chosen, results, args.seed, time.time() - started)
    open(tag + '-summary.txt', 'w').write(text)
    print('\n' + text + 'summary written to %s-summary.txt' % tag)
    return 0


if __name__ == '__main__':
    sys.exit(main())
