#!/usr/bin/env python3
"""The two page engines side by side: start-up, memory, playback, exports.

Runs the same benchmarks in a QtWebKit build and a Qt WebEngine build in
turn (build/ and build-webengine/ unless given) and prints one table: each
figure for both engines and their ratio (WebEngine / WebKit; below 1 is
faster or smaller). Start-up and memory are medians over ROUNDS starts of
bench_startup; playback figures are the medians playback-bench.js prints
(a tick is one display refresh of playback, a frame switch a click on the
timeline, at 54 items over 10 frames and 100 items over 300), and those of
redraws-bench.js (playback by the display's clock and clicks on the
timeline with the redraws that follow, with Kinetic's batchDraw and the
page's); pictures,
the 24-frame PDF report and the whole 640 x 480 video export come from
imagegenerator-bench.js, pdfreport-bench.js and bench_videoExport. Not a
test: the figures depend on the machine, so compare engines in one run.
Takes a few minutes.

    tests/bench/engines-side-by-side.py [--rounds 5] [--webkit build] [--webengine build-webengine]
"""

import argparse, os, re, statistics, subprocess, sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
BENCH = os.path.join(ROOT, 'tests', 'bench')


def run(command, timeout=1800):
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen', QTWEBENGINE_DISABLE_SANDBOX='1')
    env.setdefault('XDG_RUNTIME_DIR', '/tmp')
    done = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
    return done.stdout.decode(errors='replace')


def start_up(build, rounds):
    figures = {}
    for _ in range(rounds):
        out = run([os.path.join(build, 'tests', 'bench', 'bench_startup')])
        for label, pattern in (('start-up: page started (ms)', r'page started[^:]*: (\d+) ms'),
                               ('memory after start-up, PSS with the engine\'s processes (MB)', r'memory[^:]*: (\d+) MB')):
            match = re.search(pattern, out)
            if match:
                figures.setdefault(label, []).append(float(match.group(1)))
    return {label: statistics.median(values) for label, values in figures.items()}


def page_bench(build, script, size=None, timeout=900):
    command = [os.path.join(build, 'tests', 'page', 'pagetests'), '--timeout', str(timeout)]
    if size:
        command += ['--size', size]
    out = run(command + [os.path.join(BENCH, script)], timeout + 60)
    figures, section = {}, ''
    for line in out.splitlines():
        if not line.startswith('# '):
            continue
        text = line[2:]
        items = re.search(r'(\d+) items \(', text)
        if items:
            section = items.group(1) + ' items: '
        median = re.search(r'^(.*?): mean [\d.]+ ms, median ([\d.]+) ms', text)
        reports = re.search(r'^median of \d+ reports: ([\d.]+) ms', text)
        if median:
            figures[(section + median.group(1).strip()) + ' (ms)'] = float(median.group(2))
        elif reports:
            figures['PDF report of 24 frames (ms)'] = float(reports.group(1))
    return figures


def video(build):
    out = run([os.path.join(build, 'tests', 'bench', 'bench_videoExport'), '--default-only'])
    walls = re.search(r'wall times: ([\d, ]+) ms', out)
    figures = {}
    if walls:
        figures['video export, 640 x 480 at 15, 10 frames (ms)'] = statistics.median(
            float(w) for w in walls.group(1).split(','))
    drawing = re.search(r'page, per picture: drawing ([\d.]+) ms, composing ([\d.]+) ms, JPEG encoding ([\d.]+) ms', out)
    if drawing:
        figures['video picture: drawing (ms)'] = float(drawing.group(1))
        figures['video picture: composing (ms)'] = float(drawing.group(2))
        figures['video picture: JPEG encoding (ms)'] = float(drawing.group(3))
    return figures


WANTED = re.compile(r'start-up|memory|tick|frame switch|frame load|drawing per second|640 x 480, getImage|PDF report|video')


def measure(build, rounds):
    figures = {}
    figures.update(start_up(build, rounds))
    figures.update(page_bench(build, 'playback-bench.js', '1280x800'))
    figures.update(page_bench(build, 'redraws-bench.js', '1280x800'))
    figures.update(page_bench(build, 'imagegenerator-bench.js', timeout=300))
    figures.update(page_bench(build, 'pdfreport-bench.js', timeout=300))
    figures.update(video(build))
    return {label: value for label, value in figures.items() if WANTED.search(label)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--rounds', type=int, default=5)
    parser.add_argument('--webkit', default=os.path.join(ROOT, 'build'))
    parser.add_argument('--webengine', default=os.path.join(ROOT, 'build-webengine'))
    args = parser.parse_args()
    builds = [('WebKit', args.webkit), ('WebEngine', args.webengine)]
    results = {}
    for name, build in builds:
        print('measuring %s in %s ...' % (name, build), file=sys.stderr, flush=True)
        results[name] = measure(build, args.rounds)
    labels = list(results['WebKit']) + [l for l in results['WebEngine'] if l not in results['WebKit']]
    width = max(len(l) for l in labels) if labels else 10
    print('%-*s %10s %10s %7s' % (width, '', 'WebKit', 'WebEngine', 'ratio'))
    for label in labels:
        a, b = results['WebKit'].get(label), results['WebEngine'].get(label)
        ratio = '%6.2fx' % (b / a) if a and b else '      -'
        show = lambda v: '%10.1f' % v if v is not None else '%10s' % '-'
        print('%-*s %s %s %s' % (width, label, show(a), show(b), ratio))
    return 0


if __name__ == '__main__':
    sys.exit(main())
