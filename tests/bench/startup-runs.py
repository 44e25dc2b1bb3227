#!/usr/bin/env python3
"""Start-up with and without the large drill, over several runs.

Runs bench_startup without a drill and with --drill ITEMS FRAMES in turn,
ROUNDS times, and prints mean, median, least and worst of each figure and of
what opening the drill adds (taken round by round). Not a test: the figures
depend on the machine, and on this virtual one they vary by a third from run
to run, so compare builds in one invocation (--compare) rather than across.

    tests/bench/startup-runs.py                      # build/, 11 rounds
    tests/bench/startup-runs.py --rounds 21 --compare ../before/build [--compare ../older/build]
    tests/bench/startup-runs.py --busy               # with one core kept busy throughout
"""

import argparse, os, re, statistics, subprocess, sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))


def start_up(build, drill):
    command = [os.path.join(build, 'tests', 'bench', 'bench_startup')] + (['--drill'] + drill if drill else [])
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    out = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout.decode()
    return int(re.search(r'splash closed[^:]*: (\d+) ms', out).group(1))


def describe(name, values):
    return '%-28s mean %4.0f  median %4.0f  least %4d  worst %4d ms' % (
        name, statistics.mean(values), statistics.median(values), min(values), max(values))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--rounds', type=int, default=11)
    parser.add_argument('--drill', nargs=2, default=['100', '300'], metavar=('ITEMS', 'FRAMES'))
    parser.add_argument('--build', default=os.path.join(ROOT, 'build'))
    parser.add_argument('--compare', action='append', default=[],
                        help='another build folder, run in turn with this one (may be given more than once)')
    parser.add_argument('--busy', action='store_true',
                        help='keep one core busy meanwhile, as other work on a coach\'s laptop would')
    args = parser.parse_args()
    busy = subprocess.Popen(['yes'], stdout=subprocess.DEVNULL) if args.busy else None
    try:
        return measure(args)
    finally:
        if busy:
            busy.kill()
            busy.wait()


def measure(args):
    builds = [args.build] + args.compare
    figures = {build: {'empty': [], 'drill': []} for build in builds}
    for _ in range(args.rounds):
        for build in builds:
            figures[build]['empty'].append(start_up(build, None))
            figures[build]['drill'].append(start_up(build, args.drill))
    for build in builds:
        f = figures[build]
        print(build)
        print(describe('  no drill', f['empty']))
        print(describe('  %s x %s drill' % tuple(args.drill), f['drill']))
        print(describe('  added by the drill', [d - e for e, d in zip(f['empty'], f['drill'])]))
    return 0


if __name__ == '__main__':
    sys.exit(main())
