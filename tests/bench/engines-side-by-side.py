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
the 24-frame PDF report and the whole video export (640 x 480 at 15 and
960 x 720 at 25; under WebEngine also with the pictures as JPEG through
the web channel, as before the socket) come from imagegenerator-bench.js,
pdfreport-bench.js and bench_videoExport. Last, the speed targets of the
WebEngine build, each against its figure: video at least 3x real time at
960 x 720 and 6x at 640 x 480 and within 1.5x of WebKit's time at each,
the report within 1.5x of WebKit's, a playback tick at 54 items at most
10 ms on average, with the display's own picture rate during playback.
Not a test: the figures depend on the machine (the load is printed), so
compare engines in one run. Takes about ten minutes.

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
        median = re.search(r'^(.*?): mean ([\d.]+) ms, median ([\d.]+) ms', text)
        reports = re.search(r'^median of \d+ reports: ([\d.]+) ms', text)
        if median:
            figures[(section + median.group(1).strip()) + ' (ms)'] = float(median.group(3))
            figures[(section + median.group(1).strip()) + ' (mean ms)'] = float(median.group(2))
        elif reports:
            figures['PDF report of 24 frames (ms)'] = float(reports.group(1))
    return figures


def video(build, jpeg=False):
    out = run([os.path.join(build, 'tests', 'bench', 'bench_videoExport'), '--targets'] + (['--jpeg'] if jpeg else []))
    how = ', JPEG through the channel' if jpeg else ''
    figures = {}
    for section in out.split('\n== ')[1:]:
        size = re.match(r'(\d+)x(\d+) at (\d+)', section)
        walls = re.search(r'wall times: ([\d, ]+) ms', section)
        seconds = re.search(r'ms for ([\d.]+) s of video', section)
        if not (size and walls and seconds):
            continue
        label = 'video export, %s x %s at %s, 10 frames%s' % (size.group(1), size.group(2), size.group(3), how)
        wall = statistics.median(float(w) for w in walls.group(1).split(','))
        figures[label + ' (ms)'] = wall
        figures[label + ' (x real time)'] = float(seconds.group(1)) * 1000 / wall
        # Steadier than the wall time on a busy machine.
        hosts = re.findall(r'processor time (\d+) ms, of which the main thread (\d+) ms', section)
        pages = [float(p) for p in re.findall(r"page's processes \(WebEngine\): processor time (\d+) ms", section)]
        if hosts:
            figures[label + ', host processor time (ms)'] = statistics.median(float(h[0]) for h in hosts)
            figures[label + ', host main thread (ms)'] = statistics.median(float(h[1]) for h in hosts)
        if pages:
            figures[label + ', page processes\' processor time (ms)'] = statistics.median(pages)
        stages = re.findall(r'page, per picture: drawing ([\d.]+) ms, composing ([\d.]+) ms, '
                            r'JPEG encoding or reading pixels ([\d.]+) ms', section)
        sends = re.findall(r'per "writeVideoFrame": ([\d.]+) ms; waiting between pictures ([\d.]+) ms', section)
        worker = re.search(r"encoder's worker alone: ([\d.]+) ms a picture", section)
        if size.group(1) != '640' or not stages:
            continue
        picture = 'video picture, 640 x 480%s: ' % how
        for i, name in enumerate(('drawing', 'composing', 'JPEG encoding or reading pixels')):
            figures[picture + name + ' (ms)'] = statistics.median(float(st[i]) for st in stages)
        if sends:
            figures[picture + 'sending (ms)'] = statistics.median(float(st[0]) for st in sends)
            figures[picture + 'waiting for the host (ms)'] = statistics.median(float(st[1]) for st in sends)
        if worker:
            figures[picture + "encoder's worker (ms)"] = float(worker.group(1))
    return figures


def load():
    with open('/proc/loadavg') as f:
        return ' '.join(f.read().split()[:3])


WANTED = re.compile(r'start-up|memory|tick|frame switch|frame load|drawing per second|640 x 480, getImage|PDF report|video')


def measure(build, rounds):
    figures = {}
    figures.update(start_up(build, rounds))
    figures.update(page_bench(build, 'playback-bench.js', '1280x800'))
    figures.update(page_bench(build, 'redraws-bench.js', '1280x800'))
    figures.update(page_bench(build, 'imagegenerator-bench.js', timeout=300))
    figures.update(page_bench(build, 'pdfreport-bench.js', timeout=300))
    figures.update(video(build))
    if 'webengine' in os.path.basename(os.path.normpath(build)):
        figures.update(video(build, jpeg=True))
    return {label: value for label, value in figures.items() if WANTED.search(label)}


def targets(results):
    kit, engine = results['WebKit'], results['WebEngine']
    lines = []

    def line(what, value, goal, met):
        mark = '-' if value is None else ('met' if met(value) else 'NOT met')
        shown = '-' if value is None else '%.2f' % value
        lines.append('  %-66s %8s  (%s)  %s' % (what, shown, goal, mark))

    def ratio(label):
        a, b = kit.get(label), engine.get(label)
        return b / a if a and b else None

    for size, least in (('960 x 720 at 25', 3), ('640 x 480 at 15', 6)):
        label = 'video export, %s, 10 frames' % size
        line('video %s, WebEngine, times real time' % size, engine.get(label + ' (x real time)'),
             '>= %dx' % least, lambda v: v >= least)
        line('video %s, WebEngine time / WebKit time' % size, ratio(label + ' (ms)'), '<= 1.5', lambda v: v <= 1.5)
    line('PDF report of 24 frames, WebEngine time / WebKit time', ratio('PDF report of 24 frames (ms)'),
         '<= 1.5', lambda v: v <= 1.5)
    tick = '54 items: tick (drawFrame + redraw), running lines on (mean ms)'
    line('playback tick at 54 items, running lines on, WebEngine mean (ms)', engine.get(tick), '<= 10', lambda v: v <= 10)
    display = [label for label in engine if 'playback tick (display-driven), batchDraw once per frame' in label
               and label.endswith('(ms)') and 'mean' not in label]
    for name, figures in (('WebEngine', engine), ('WebKit', kit)):
        interval = figures.get(display[0]) if display else None
        lines.append('  %-66s %8s' % ('display\'s own picture rate during playback, %s (a second)' % name,
                                       '%.1f' % (1000 / interval) if interval else '-'))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--rounds', type=int, default=5)
    parser.add_argument('--webkit', default=os.path.join(ROOT, 'build'))
    parser.add_argument('--webengine', default=os.path.join(ROOT, 'build-webengine'))
    args = parser.parse_args()
    builds = [('WebKit', args.webkit), ('WebEngine', args.webengine)]
    results = {}
    before = load()
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
    print('\nspeed targets of the WebEngine build:')
    print('\n'.join(targets(results)))
    print('load average (1, 5, 15 minutes) before: %s; after: %s' % (before, load()))
    return 0


if __name__ == '__main__':
    sys.exit(main())
