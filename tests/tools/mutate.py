#!/usr/bin/env python3
"""Mutation sampling: how many small faults does the test suite catch?

Makes one small change at a time to the product code (the page scripts in
Resources/*.js, the host's host/*.cpp and host/video/*.cpp), rebuilds the
one build folder incrementally, runs the CTest tests that can see the changed
file, and counts the change as caught when any of them fails. A change the
build refuses is "did not build" and is left out of the share.

Changes (one per mutant):
  compare   a comparison reversed (< and >, <= and >=) or negated (== !=)
  constant  a numeric literal nudged (an integer by one, a decimal's last digit)
  condition an if condition inverted: if (c) -> if (!(c))
  boolean   true and false swapped
  arith     a binary + - * / changed (+ to -, - to +, * to /, / to *)
  return    a returned value dropped (JavaScript: return;  C++: return {};)

The sample is drawn from a fixed seed, the same every run for the same code:
half from the page and half from the host, and within each half an equal
share of every kind of change, the sites picked at random among all the
places that kind applies to. Strings, comments and preprocessor lines are
never changed.

Which tests see a file (the rest of the suite cannot observe the change):
  Resources/*.js  every page test (each loads the whole editor page) and the
                  end-to-end tests (the real window runs the real page)
  host/, video/   every host test (all link the host library) and the
                  end-to-end tests (they run the real program)
The packaging tests only check the installed tree and are never run.
Tests whose name contains the file's name run first, so most caught mutants
cost one test; the rest run in parallel and stop at the first failure.

Results go to a JSON-lines file per seed and sample size under
BUILD/mutation/, so an interrupted run resumes where it stopped (--fresh
starts over) and --max limits how many mutants one invocation runs.

    tests/tools/mutate.py --list                 # print the sample only
    tests/tools/mutate.py --sample 60 --seed 13  # run it, write the summary
    tests/tools/mutate.py --only page --max 5    # five page mutants, resumable

The source tree is always restored, also on Ctrl+C or SIGTERM; a copy of the
file being changed is kept in BUILD/mutation/backup/ and put back by the next
run if the process was killed outright.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from itertools import zip_longest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
KINDS = ['compare', 'constant', 'condition', 'boolean', 'arith', 'return']


# --- finding the places a change can go -----------------------------------

def code_mask(text, lang):
    """True for every character that is code: not inside a string, a comment
    or a preprocessor line."""
    mask = [True] * len(text)
    i, n = 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if lang == 'cpp' and at_line_start and c == '#':
            j = text.find('\n', i)
            j = n if j < 0 else j
            for k in range(i, j):
                mask[k] = False
            i = j
            continue
        if c == '\n':
            at_line_start = True
            i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith('//', i):
            j = text.find('\n', i)
            j = n if j < 0 else j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
        elif c in '"\'':
            j = i + 1
            while j < n and text[j] != c and text[j] != '\n':
                j += 2 if text[j] == '\\' else 1
            j = min(j + 1, n)
        else:
            i += 1
            continue
        for k in range(i, j):
            mask[k] = False
        i = j
    return mask


COMPARE = {'<': '>', '>': '<', '<=': '>=', '>=': '<=',
           '==': '!=', '!=': '==', '===': '!==', '!==': '==='}
ARITH = {'+': '-', '-': '+', '*': '/', '/': '*'}
# Binary operators are recognised by the spaces around them, as the code is
# written; templates, pointers, unary signs and increments are left alone.
COMPARE_RE = re.compile(r'(?<=\S) (===|!==|==|!=|<=|>=|<|>) (?=\S)')
ARITH_RE = re.compile(r'(?<=[\w)\]]) ([-+*/]) (?=[\w(.!\'"])')
NUMBER_RE = re.compile(r'(?<![\w.$])(\d+\.\d+|\d+)(?![\w.])')
BOOL_RE = re.compile(r'\b(true|false)\b')
IF_RE = re.compile(r'\b(if|while) \(')
RETURN_RE = re.compile(r'\breturn (?!;)([^;\n]+);')
# Dropping a value that already is the default changes nothing: not a fault.
DEFAULT_VALUE_RE = re.compile(r'^(false|0|nullptr|null|undefined|\{\}|[\w:]+\(\))$')


def matching_paren(text, open_at):
    depth = 0
    for k in range(open_at, len(text)):
        if text[k] == '(':
            depth += 1
        elif text[k] == ')':
            depth -= 1
            if depth == 0:
                return k
    return -1


def sites_in(path, lang):
    rel = os.path.relpath(path, ROOT)
    with open(path, encoding='utf-8') as f:
        text = f.read()
    mask = code_mask(text, lang)
    found = []

    def add(kind, start, end, new):
        if not all(mask[start:end]):
            return
        line = text.count('\n', 0, start) + 1
        found.append({'file': rel, 'line': line, 'kind': kind, 'start': start,
                      'end': end, 'old': text[start:end], 'new': new})

    for m in COMPARE_RE.finditer(text):
        add('compare', m.start(1), m.end(1), COMPARE[m.group(1)])
    for m in ARITH_RE.finditer(text):
        add('arith', m.start(1), m.end(1), ARITH[m.group(1)])
    for m in NUMBER_RE.finditer(text):
        old = m.group(1)
        if '.' in old:
            new = old[:-1] + str((int(old[-1]) + 1) % 10)
        else:
            new = str(int(old) + 1)
        add('constant', m.start(1), m.end(1), new)
    for m in BOOL_RE.finditer(text):
        add('boolean', m.start(1), m.end(1), 'false' if m.group(1) == 'true' else 'true')
    for m in IF_RE.finditer(text):
        open_at = m.end() - 1
        close_at = matching_paren(text, open_at)
        if close_at < 0 or not all(mask[open_at:close_at + 1]):
            continue
        cond = text[open_at + 1:close_at]
        add('condition', open_at + 1, close_at, '!(' + cond + ')')
    for m in RETURN_RE.finditer(text):
        if DEFAULT_VALUE_RE.match(m.group(1).strip()):
            continue
        add('return', m.start(), m.end(), 'return;' if lang == 'js' else 'return {};')
    for s in found:
        s['id'] = '%s:%d:%d:%s' % (s['file'], s['line'], s['start'], s['kind'])
    return found


def population(area):
    if area == 'page':
        folders, ext, lang = ['Resources'], '.js', 'js'
    else:
        folders, ext, lang = ['host', 'host/video'], '.cpp', 'cpp'
    sites = []
    for folder in folders:
        full = os.path.join(ROOT, folder)
        for name in sorted(os.listdir(full)):
            if name.endswith(ext):
                sites += sites_in(os.path.join(full, name), lang)
    for s in sites:
        s['area'] = area
    return sites


def draw(sites, count, rng):
    """An equal share of every kind (as far as each kind has places), the
    places picked at random."""
    by_kind = {k: [s for s in sites if s['kind'] == k] for k in KINDS}
    for k in KINDS:
        rng.shuffle(by_kind[k])
    chosen = []
    while len(chosen) < count and any(by_kind.values()):
        for k in KINDS:
            if by_kind[k] and len(chosen) < count:
                chosen.append(by_kind[k].pop())
    return chosen


def sample(count, seed, only):
    rng = random.Random(seed)
    areas = [only] if only else ['page', 'host']
    shares = [count] if only else [(count + 1) // 2, count // 2]
    chosen = []
    for area, share in zip(areas, shares):
        chosen += draw(population(area), share, rng)
    return chosen


# --- changing and restoring a file ----------------------------------------

class Mutation:
    """Changes one file and puts it back, whatever happens in between."""

    def __init__(self, site, backup_dir):
        self.path = os.path.join(ROOT, site['file'])
        self.site = site
        self.backup = os.path.join(backup_dir, site['file'].replace('/', '__'))

    def __enter__(self):
        with open(self.path, 'rb') as f:
            self.original = f.read()
        text = self.original.decode('utf-8')
        s = self.site
        if text[s['start']:s['end']] != s['old']:
            raise RuntimeError('%s changed since the sample was drawn' % s['id'])
        os.makedirs(os.path.dirname(self.backup), exist_ok=True)
        with open(self.backup, 'wb') as f:
            f.write(self.original)
        self._write((text[:s['start']] + s['new'] + text[s['end']:]).encode('utf-8'))
        return self

    def _write(self, data):
        with open(self.path, 'wb') as f:
            f.write(data)
        # A fresh time stamp on every write, the restore included, so the
        # incremental build never keeps an object built from a mutant.
        now = time.time()
        os.utime(self.path, (now, now))

    def __exit__(self, *exc):
        self._write(self.original)
        os.remove(self.backup)
        return False


def restore_leftovers(backup_dir):
    if not os.path.isdir(backup_dir):
        return
    for name in os.listdir(backup_dir):
        target = os.path.join(ROOT, name.replace('__', '/'))
        shutil.copyfile(os.path.join(backup_dir, name), target)
        os.remove(os.path.join(backup_dir, name))
        print('restored %s left changed by an interrupted run' % target)


# --- building and testing ---------------------------------------------------

def run(cmd, timeout, cwd=None, env=None):
    """Runs cmd in its own process group; kills the whole group on timeout or
    interrupt. Returns (exit status or None on timeout, output)."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out.decode('utf-8', 'replace')
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return None, out.decode('utf-8', 'replace')
    except BaseException:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        raise


class Suite:
    def __init__(self, build, jobs):
        self.build = build
        self.jobs = jobs
        self.env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
        self.env.setdefault('XDG_RUNTIME_DIR', os.path.join(build, 'mutation', 'runtime'))
        os.makedirs(self.env['XDG_RUNTIME_DIR'], mode=0o700, exist_ok=True)
        self.tests = self._list_tests()

    def _list_tests(self):
        status, out = run(['ctest', '--show-only=json-v1'], 120, cwd=self.build)
        if status != 0:
            sys.exit('ctest cannot list the tests in %s: configure and build first' % self.build)
        tests = {}
        for t in json.loads(out)['tests']:
            command = t.get('command') or []
            targets = set()
            for word in command:
                if word.startswith(self.build) and os.access(word, os.X_OK):
                    targets.add(os.path.basename(word))
            if any(w.endswith('.sh') for w in command):
                targets.add('drillmora')
            tests[t['name']] = targets
        return tests

    def seeing(self, area):
        prefixes = ('page_', 'e2e_') if area == 'page' else ('host_', 'e2e_')
        return sorted(n for n in self.tests if n.startswith(prefixes))

    def targets(self, names):
        return sorted(set().union(*(self.tests[n] for n in names)))

    def compile(self, targets, timeout):
        cmd = ['cmake', '--build', self.build, '-j%d' % self.jobs, '--target'] + targets
        return run(cmd, timeout)

    def ctest(self, names, timeout, stop_on_failure=True):
        regex = '^(%s)$' % '|'.join(re.escape(n) for n in names)
        cmd = ['ctest', '-j%d' % self.jobs, '-R', regex, '--output-on-failure']
        if stop_on_failure:
            cmd.append('--stop-on-failure')
        return run(cmd, timeout, cwd=self.build, env=self.env)


def first_then_rest(site, names):
    """The tests named after the changed file, then all the others."""
    stem = os.path.splitext(os.path.basename(site['file']))[0].lower()

    def subject(name):
        return re.sub(r'^(page_|host_tst_|e2e_)', '', name).lower()
    first = [n for n in names if subject(n) == stem or subject(n).startswith(stem + '_')]
    return first, [n for n in names if n not in first]


def failed_tests(output):
    return re.findall(r'\d+ - (\S+) \((?:Failed|Timeout|SEGFAULT|Subprocess aborted|Exception|Not Run)', output)


def try_mutant(site, suite, args):
    names = suite.seeing(site['area'])
    started = time.time()
    status, out = suite.compile(suite.targets(names), args.build_timeout)
    built = time.time()
    result = {'id': site['id'], 'build_seconds': round(built - started, 1)}
    if status != 0:
        result['outcome'] = 'did not build'
        result['detail'] = 'build timed out' if status is None else out[-400:]
        return result
    deadline = started + args.timeout
    result['outcome'] = 'survived'
    for group in first_then_rest(site, names):
        if not group:
            continue
        left = deadline - time.time()
        if left <= 0:
            status, out = None, ''
        else:
            status, out = suite.ctest(group, left)
        if status is None:
            result['outcome'] = 'caught'
            result['detail'] = 'timed out after %d s' % args.timeout
            break
        if status != 0:
            result['outcome'] = 'caught'
            result['detail'] = 'failed: ' + ' '.join(failed_tests(out) or ['(see ctest)'])
            break
    result['test_seconds'] = round(time.time() - built, 1)
    return result


# --- the run ------------------------------------------------------------------

def describe(site):
    old = site['old'] if len(site['old']) < 60 else site['old'][:57] + '...'
    new = site['new'] if len(site['new']) < 64 else site['new'][:61] + '...'
    return '%s:%d %s: %s -> %s' % (site['file'], site['line'], site['kind'], old, new)


def summary(chosen, results, seed, elapsed):
    done = [results[s['id']] for s in chosen if s['id'] in results]
    count = {o: sum(1 for r in done if r['outcome'] == o) for o in ('caught', 'survived', 'did not build')}
    judged = count['caught'] + count['survived']
    lines = ['Mutation sample: seed %d, %d mutants drawn, %d run' % (seed, len(chosen), len(done))]
    for area in ('page', 'host'):
        part = [results[s['id']] for s in chosen if s['area'] == area and s['id'] in results]
        c = sum(1 for r in part if r['outcome'] == 'caught')
        s = sum(1 for r in part if r['outcome'] == 'survived')
        d = sum(1 for r in part if r['outcome'] == 'did not build')
        if part:
            lines.append('  %s: caught %d, survived %d, did not build %d, share caught %s'
                         % (area, c, s, d, '%.1f%%' % (100.0 * c / (c + s)) if c + s else 'n/a'))
    lines.append('Total: caught %d, survived %d, did not build %d' % (count['caught'], count['survived'], count['did not build']))
    lines.append('Share caught: %s' % ('%.1f%% (%d of %d)' % (100.0 * count['caught'] / judged, count['caught'], judged) if judged else 'n/a'))
    if done:
        per = [r.get('build_seconds', 0) + r.get('test_seconds', 0) for r in done]
        lines.append('Time per mutant: mean %.0f s, longest %.0f s (build mean %.0f s)'
                     % (sum(per) / len(per), max(per), sum(r.get('build_seconds', 0) for r in done) / len(done)))
    if elapsed is not None:
        lines.append('This invocation: %.1f min' % (elapsed / 60))
    for outcome, title in (('survived', 'Survivors:'), ('did not build', 'Did not build:')):
        lines += ['', title]
        lines += ['  ' + describe(s) for s in chosen
                  if results.get(s['id'], {}).get('outcome') == outcome]
    return '\n'.join(lines) + '\n'


def interrupt(signum, frame):
    raise KeyboardInterrupt()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog='\n'.join(__doc__.split('\n')[2:]))
    parser.add_argument('--sample', type=int, default=60, help='mutants drawn (default 60)')
    parser.add_argument('--seed', type=int, default=13, help='seed of the draw (default 13)')
    parser.add_argument('--only', choices=['page', 'host'], help='draw from one half only')
    parser.add_argument('--list', action='store_true', help='print the sample and stop')
    parser.add_argument('--max', type=int, help='run at most this many mutants not yet run')
    parser.add_argument('--fresh', action='store_true', help='forget earlier results of this sample')
    parser.add_argument('--build', default=os.path.join(ROOT, 'build'), help='build folder (default build/)')
    parser.add_argument('--jobs', type=int, default=os.cpu_count() or 2, help='parallel build and test jobs')
    parser.add_argument('--timeout', type=int, default=1200,
                        help='seconds of testing per mutant before it counts as caught (hung)')
    parser.add_argument('--build-timeout', type=int, default=1200, help='seconds of building per mutant')
    args = parser.parse_args()

    chosen = sample(args.sample, args.seed, args.only)
    if args.list:
        for i, s in enumerate(chosen, 1):
            print('%3d %s %s' % (i, s['area'], describe(s)))
        return 0

    # SIGTERM unwinds like Ctrl+C, so the file being changed is put back.
    # SIGINT is set explicitly: a shell starting this in the background
    # would otherwise have it ignored.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, interrupt)
    args.build = os.path.abspath(args.build)
    work = os.path.join(args.build, 'mutation')
    backup_dir = os.path.join(work, 'backup')
    restore_leftovers(backup_dir)
    os.makedirs(work, exist_ok=True)
    tag = 'seed%d-n%d%s' % (args.seed, args.sample, '-' + args.only if args.only else '')
    results_path = os.path.join(work, tag + '.jsonl')
    summary_path = os.path.join(work, tag + '-summary.txt')
    if args.fresh and os.path.exists(results_path):
        os.remove(results_path)
    results = {}
    if os.path.exists(results_path):
        with open(results_path) as f:
            for line in f:
                r = json.loads(line)
                results[r['id']] = r

    suite = Suite(args.build, args.jobs)
    # Page and host mutants take turns, so a run stopped early has both.
    page = [s for s in chosen if s['area'] == 'page' and s['id'] not in results]
    host = [s for s in chosen if s['area'] == 'host' and s['id'] not in results]
    todo = [s for pair in zip_longest(page, host) for s in pair if s]
    if args.max is not None:
        todo = todo[:args.max]
    started = time.time()
    try:
        # Every test that could see a change must pass on the unchanged code,
        # or every mutant would look caught.
        areas = sorted({s['area'] for s in todo})
        names = sorted(set().union(*[suite.seeing(a) for a in areas])) if areas else []
        if names:
            print('baseline: building and running %d tests on the unchanged code' % len(names), flush=True)
            status, out = suite.compile(suite.targets(names), args.build_timeout)
            if status != 0:
                sys.exit('the unchanged code does not build:\n' + out[-2000:])
            status, out = suite.ctest(names, args.timeout, stop_on_failure=False)
            if status != 0:
                sys.exit('the unchanged code fails tests: %s' % ' '.join(failed_tests(out)))
            print('baseline green in %.0f s' % (time.time() - started), flush=True)
        for i, site in enumerate(todo, 1):
            with Mutation(site, backup_dir):
                result = try_mutant(site, suite, args)
            results[site['id']] = result
            with open(results_path, 'a') as f:
                f.write(json.dumps(result) + '\n')
            print('[%d/%d] %-13s %5.0f s  %s  %s' % (
                i, len(todo), result['outcome'], result['build_seconds'] + result.get('test_seconds', 0),
                describe(site), result.get('detail', '') if result['outcome'] == 'caught' else ''), flush=True)
    except KeyboardInterrupt:
        print('\ninterrupted: the source tree is restored; run again to resume', file=sys.stderr)
    finally:
        # Leave the build matching the restored sources.
        if todo:
            suite.compile(suite.targets(suite.seeing('page') + suite.seeing('host')), args.build_timeout)
    text = summary(chosen, results, args.seed, time.time() - started)
    with open(summary_path, 'w') as f:
        f.write(text)
    print('\n' + text + 'summary written to %s' % summary_path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
