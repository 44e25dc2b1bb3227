#!/usr/bin/env python3
"""A coach's session with the real program, played with real pointer events.

Starts drillmora in a 1280 x 800 window, adds four players, a ball and three
cones from the item picker, drags them to their places in frame 1, adds two
more frames and moves the players and the ball in each, plays the drill from
frame 1, turns the running lines on, plays it again, and stops a third
playback half-way. A screenshot is taken after every step; the ones named
in docs/README.md come from here.

Run it under a bare X server (no window manager, so the window sits at 0,0
and page coordinates are screen coordinates):

    xvfb-run -a -s "-screen 0 1280x800x24" \
        python3 tests/e2e/tools/coach-session.py build/host/drillmora /tmp/coach-shots

Needs xdotool and ImageMagick's import and convert (/usr/bin, Debian's
imagemagick package). The places of the palette buttons, the timeline and
the pitch below hold for a 1280 x 800 window and the Gaelic palette the
page starts with.

At the end it prints, for each screenshot of the stopped timeline, whether
the frame numbers are drawn in their boxes.
"""
import os
import subprocess
import sys
import tempfile
import time

CONVERT = '/usr/bin/convert'
IMPORT = '/usr/bin/import'

# Layout of a 1280 x 800 window.
WINDOW_SIZE = (1280, 800)
PITCH = (255, 55, 1168, 740)           # left, top, right, bottom of the pitch
PALETTE = {'person': (27, 77), 'gaaBall': (72, 77), 'cone': (117, 122)}
BARE_PITCH = (1120, 722)               # an empty corner: a click there deselects
PLAY = (27, 767)
RUNNING_LINES = (567, 27)            # toolbar button 12
TIMELINE_Y = 767
FRAME_BOX_LEFT = 50                    # first frame box, 60 wide while few frames
FRAME_BOX_WIDTH = 60

# Where the coach puts each mover in frames 1, 2 and 3, and the cones.
MOVERS = [
    ('P1', 'person', [(420, 230), (620, 180), (900, 200)]),
    ('P2', 'person', [(420, 560), (540, 620), (720, 640)]),
    ('P3', 'person', [(560, 300), (700, 300), (920, 380)]),
    ('P4', 'person', [(560, 500), (680, 520), (900, 560)]),
    ('ball', 'gaaBall', [(447, 230), (725, 300), (950, 200)]),
]
CONES = [(800, 190), (800, 400), (800, 610)]


def xdo(*args):
    return subprocess.run(['xdotool'] + [str(a) for a in args], check=True,
                          capture_output=True, text=True).stdout


class Image(object):
    """A screenshot decoded from PPM, without any imaging library."""

    def __init__(self, path):
        data = subprocess.run([CONVERT, path, 'ppm:-'], check=True, capture_output=True).stdout
        magic, size, _, pixels = data.split(b'\n', 3)
        if magic != b'P6':
            raise RuntimeError('unexpected image format from convert: %r' % magic)
        self.w, self.h = [int(v) for v in size.split()]
        self.pix = pixels

    def at(self, x, y):
        i = (y * self.w + x) * 3
        return self.pix[i], self.pix[i + 1], self.pix[i + 2]


def changed_box(a, b, region, threshold=40):
    """Bounding box of the pixels that differ between two screenshots."""
    x0, y0, x1, y1 = region
    xs, ys = [], []
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * a.w + x) * 3
            d = sum(abs(a.pix[i + k] - b.pix[i + k]) for k in range(3))
            if d > threshold:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs), max(ys)


def click(pos, pause=0.4):
    xdo('mousemove', pos[0], pos[1])
    time.sleep(0.08)
    xdo('click', 1)
    time.sleep(pause)


def drag(start, end, steps=12, pause=0.4):
    xdo('mousemove', int(start[0]), int(start[1]))
    time.sleep(0.1)
    xdo('mousedown', 1)
    time.sleep(0.1)
    for k in range(1, steps + 1):
        xdo('mousemove', int(round(start[0] + (end[0] - start[0]) * k / steps)),
            int(round(start[1] + (end[1] - start[1]) * k / steps)))
        time.sleep(0.03)
    time.sleep(0.1)
    xdo('mouseup', 1)
    time.sleep(pause)


def frame_box(i):
    return (FRAME_BOX_LEFT + FRAME_BOX_WIDTH * i + FRAME_BOX_WIDTH // 2, TIMELINE_Y)


def add_frame_button(selected):
    # 2 pixels after the selected box, 20 wide.
    return (FRAME_BOX_LEFT + FRAME_BOX_WIDTH * (selected + 1) + 2 + 10, TIMELINE_Y)


class Session(object):
    def __init__(self, program, out_dir):
        self.out_dir = out_dir
        self.count = 0
        self.timeline_shots = []
        env = dict(os.environ, XDG_RUNTIME_DIR=tempfile.mkdtemp())
        self.log = open(os.path.join(out_dir, 'program-output.txt'), 'w')
        self.app = subprocess.Popen([program], env=env, stdout=self.log, stderr=subprocess.STDOUT)
        self.window = self.find_window()
        # The page lays itself out again on resize; give it time.
        xdo('windowsize', self.window, WINDOW_SIZE[0], WINDOW_SIZE[1])
        time.sleep(2)

    def find_window(self, title='^Drillmora$'):
        # The splash screen and a hidden helper window share the title, so
        # take the visible main window, once the page has had time to load.
        for _ in range(100):
            try:
                ids = xdo('search', '--onlyvisible', '--name', title).split()
            except subprocess.CalledProcessError:
                ids = []
            if ids:
                time.sleep(2)
                return ids[-1]
            time.sleep(0.2)
        raise RuntimeError('the Drillmora window did not appear')

    def shot(self, name, timeline_stopped=False):
        self.count += 1
        path = os.path.join(self.out_dir, '%02d-%s.png' % (self.count, name))
        subprocess.run([IMPORT, '-window', 'root', path], check=True)
        if timeline_stopped:
            self.timeline_shots.append(path)
        return path

    def add_item(self, kind):
        """Clicks the palette button and returns where the new item landed."""
        before = Image(self.shot('before-adding-' + kind))
        click(PALETTE[kind], pause=0.5)
        after = Image(self.shot('added-' + kind))
        box = changed_box(before, after, PITCH)
        if box is None:
            raise RuntimeError('no new %s appeared on the pitch' % kind)
        return ((box[0] + box[2]) / 2.0, (box[1] + box[3]) / 2.0)

    def move(self, start, end):
        # Deselect first, so that no control of the last item lies over the
        # point pressed.
        click(BARE_PITCH)
        drag(start, end)

    def play(self, shots_at):
        """Presses play and takes a screenshot at each (seconds, name)."""
        xdo('mousemove', PLAY[0], PLAY[1])
        time.sleep(0.2)
        t0 = time.time()
        xdo('click', 1)
        for seconds, name in shots_at:
            time.sleep(max(0.0, t0 + seconds - time.time()))
            self.shot(name)
        return t0

    def close(self):
        self.app.terminate()
        self.app.wait()


def frame_numbers_drawn(path):
    """True when the first frame box has dark number pixels near its middle
    and the corner left of the play button has none."""
    img = Image(path)
    cx, cy = frame_box(0)

    def dark(x0, y0, x1, y1):
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if max(img.at(x, y)) < 60)

    return dark(cx - 10, cy - 10, cx + 10, cy + 10) > 5 and dark(5, 745, 15, 760) == 0


def main():
    if len(sys.argv) != 3:
        sys.exit('usage: coach-session.py PATH/TO/drillmora OUTPUT_DIR')
    program, out_dir = sys.argv[1], sys.argv[2]
    os.makedirs(out_dir, exist_ok=True)
    s = Session(program, out_dir)
    try:
        s.shot('start')
        # Frame 1: each new item lands at a free place (the centre while it
        # is empty) and is dragged to its starting spot.
        where = {}
        for name, kind, spots in MOVERS:
            where[name] = s.add_item(kind)
            s.move(where[name], spots[0])
            where[name] = spots[0]
        for spot in CONES:
            s.move(s.add_item('cone'), spot)
        click(BARE_PITCH)
        s.shot('frame1-placed', timeline_stopped=True)

        click(MOVERS[2][2][0], pause=0.5)
        s.shot('frame1-player-selected')
        click(BARE_PITCH)

        for frame in (1, 2):
            click(add_frame_button(frame - 1), pause=0.6)
            s.shot('frame%d-added' % (frame + 1), timeline_stopped=True)
            for name, _, spots in MOVERS:
                s.move(where[name], spots[frame])
                where[name] = spots[frame]
            click(BARE_PITCH)
            s.shot('frame%d-moved' % (frame + 1), timeline_stopped=True)

        click(frame_box(0), pause=0.6)
        s.shot('frame1-selected', timeline_stopped=True)
        s.play([(0.5, 'playing-0.5s'), (1.3, 'playing-1.3s'), (2.8, 'stopped-at-end')])
        s.timeline_shots.append(os.path.join(out_dir, '%02d-stopped-at-end.png' % s.count))

        click(RUNNING_LINES, pause=0.6)
        s.shot('lines-frame3', timeline_stopped=True)
        click(frame_box(1), pause=0.6)
        s.shot('lines-frame2', timeline_stopped=True)
        click(frame_box(0), pause=0.6)
        s.shot('lines-frame1', timeline_stopped=True)
        s.play([(0.7, 'lines-playing-0.7s'), (1.5, 'lines-playing-1.5s'), (2.8, 'lines-stopped-at-end')])
        s.timeline_shots.append(os.path.join(out_dir, '%02d-lines-stopped-at-end.png' % s.count))

        click(frame_box(0), pause=0.6)
        s.play([(0.8, 'stop-pressed')])
        # The stop square sits where the play triangle was.
        click(PLAY, pause=0.6)
        s.shot('stopped-by-stop', timeline_stopped=True)
        click(MOVERS[2][2][0], pause=0.5)
        s.shot('after-stop-player-selected')
    finally:
        s.close()

    for path in s.timeline_shots:
        print('%-45s frame numbers %s' % (os.path.basename(path),
                                          'drawn' if frame_numbers_drawn(path) else 'MISSING'))


if __name__ == '__main__':
    main()
