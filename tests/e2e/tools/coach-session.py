#!/usr/bin/env python3
"""A soccer or rugby coach's first session with the real program, played with
real keys and pointer (xdotool) under a bare X server, so that the window
sits at 0,0 and page points are screen points. Not a CTest test: it takes
screenshots for docs/ and exits non-zero when a step does not do what a
coach would expect.

    xvfb-run -a -s "-screen 0 1280x800x24" \\
        python3 tests/e2e/tools/coach-session.py build/host/drillmora soccer /tmp/shots

From a fresh start: choose the sport's full pitch in the background picker,
add items from the palette and drag them into place, undo and redo with the
keys, save with Ctrl+S (a name typed without ".anim"), move a player, close
and cancel the question, close and save; then start again with the file.
"""
import ctypes, json, os, subprocess, sys, tempfile, time

STAGE = (145, 55, 1270, 740)           # the pitch's stage in a 1280 x 800 window
BACKGROUND_BUTTON, UNDO_BUTTON, BARE_PITCH = (387, 27), (162, 27), (1120, 722)
FULL_FIELD = (343, 287)
ITEMS = {'soccer': [(0, (420, 300)), (0, (420, 500)), (1, (450, 300)), (10, (1100, 400))],
         'rugby': [(0, (420, 300)), (0, (420, 500)), (1, (450, 300)), (4, (700, 600))]}


def xdo(*args):
    return subprocess.run(['xdotool'] + [str(a) for a in args], check=True,
                          capture_output=True, text=True).stdout


def check(condition, what):
    print(('ok   ' if condition else 'FAILED: ') + what)
    if not condition:
        raise SystemExit(1)


def click(pos, pause=0.6):
    xdo('mousemove', pos[0], pos[1], 'sleep', '0.1', 'click', '1')
    time.sleep(pause)


def drag(start, end, steps=10):
    xdo('mousemove', int(start[0]), int(start[1]), 'sleep', '0.1', 'mousedown', '1')
    for k in range(1, steps + 1):
        xdo('mousemove', int(start[0] + (end[0] - start[0]) * k / steps),
            int(start[1] + (end[1] - start[1]) * k / steps), 'sleep', '0.03')
    xdo('mouseup', '1')
    time.sleep(0.5)


def changed_box(a, b):
    """The box of pixels that differ between two PPM screenshots on the stage."""
    width = int(a.split(b'\n', 3)[1].split()[0])
    pa, pb = a.split(b'\n', 3)[3], b.split(b'\n', 3)[3]
    xs, ys = [], []
    for y in range(STAGE[1], STAGE[3], 2):
        for x in range(STAGE[0], STAGE[2], 2):
            i = (y * width + x) * 3
            if sum(abs(pa[i + k] - pb[i + k]) for k in range(3)) > 40:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def close_window(window):
    """WM_DELETE_WINDOW, as a window manager sends when the coach closes it."""
    x = ctypes.cdll.LoadLibrary('libX11.so.6')
    x.XOpenDisplay.restype, x.XInternAtom.restype = ctypes.c_void_p, ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    # An XClientMessageEvent laid out in longs: type, serial, send_event,
    # display, window, message_type, format, then the data.
    event = (ctypes.c_long * 24)(33, 0, 0, display, int(window),
                                 x.XInternAtom(display, b'WM_PROTOCOLS', 0), 32,
                                 x.XInternAtom(display, b'WM_DELETE_WINDOW', 0))
    x.XSendEvent(display, int(window), 0, 0, event)
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XFlush(display)
    time.sleep(1.5)


class Session(object):
    def __init__(self, program, out_dir, config, arguments=(), title='^Drillmora$'):
        self.out_dir, self.count = out_dir, 0
        env = dict(os.environ, XDG_RUNTIME_DIR=tempfile.mkdtemp(), XDG_CONFIG_HOME=config,
                   XDG_DATA_HOME=config)
        self.app = subprocess.Popen([program] + list(arguments), env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        for _ in range(150):   # the splash shares the title: take the last visible window
            ids = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', title],
                                 capture_output=True, text=True).stdout.split()
            if ids:
                break
            time.sleep(0.2)
        check(bool(ids), 'the window appeared')
        time.sleep(2)
        self.window = ids[-1]
        xdo('windowsize', self.window, 1280, 800)
        time.sleep(2)

    def shot(self, name):
        self.count += 1
        path = os.path.join(self.out_dir, '%02d-%s.png' % (self.count, name))
        subprocess.run(['import', '-window', 'root', path], check=True)
        return subprocess.run(['convert', path, 'ppm:-'], check=True, capture_output=True).stdout

    def title(self):
        return xdo('getwindowname', self.window).strip()

    def key(self, keys, pause=0.8):
        xdo('key', '--clearmodifiers', keys)
        time.sleep(pause)


def first_session(program, sport, out_dir, config, path):
    s = Session(program, out_dir, config)
    name = os.path.basename(path)
    check(s.title() == 'Drillmora', 'a fresh start is titled Drillmora')
    click(BACKGROUND_BUTTON)
    s.shot('sport-choice')
    click((STAGE[0] + 187 + ('gaa', 'soccer', 'rugby').index(sport) * 375, STAGE[1] + 34))
    s.shot('sport-choice-' + sport)
    click(FULL_FIELD)
    xdo('mousemove', UNDO_BUTTON[0], UNDO_BUTTON[1])
    time.sleep(1.5)
    s.shot('tooltip')
    for index, spot in ITEMS[sport]:
        click(BARE_PITCH)     # nothing selected: the new item is the only change
        before = s.shot('before-adding')
        click((27 + (index % 3) * 45, 77 + (index // 3) * 45))
        box = changed_box(before, s.shot('added'))
        check(box is not None, 'palette button %d put an item on the pitch' % index)
        click(BARE_PITCH)
        drag(((box[0] + box[2]) / 2, (box[1] + box[3]) / 2), spot)
    click(BARE_PITCH)
    built = s.shot('built')
    s.key('ctrl+z')
    check(changed_box(built, s.shot('undone')) is not None, 'Ctrl+Z took the last step back')
    s.key('ctrl+shift+z')
    check(changed_box(built, s.shot('redone')) is None, 'Ctrl+Shift+Z put it back')
    check(s.title() == 'Drillmora*', 'the unsaved drill is marked: ' + s.title())
    s.key('ctrl+s', pause=1.5)
    xdo('type', '--delay', '20', path[:-len('.anim')])
    s.key('Return', pause=1.5)
    saved = json.load(open(path, encoding='utf-8'))
    check(saved['sport'] == sport and len(saved['objects']) == len(ITEMS[sport]),
          'Ctrl+S saved the %s drill with ".anim" added' % sport)
    check(s.title() == name + ' \u2014 Drillmora', 'the title names the file: ' + s.title())
    drag(ITEMS[sport][0][1], (600, 400))
    click(BARE_PITCH)
    check(s.title() == name + '* \u2014 Drillmora', 'the change is marked: ' + s.title())
    close_window(s.window)
    s.shot('close-asks')
    s.key('Escape')
    check(s.app.poll() is None, 'Cancel kept the program open')
    close_window(s.window)
    s.key('Return', pause=2.0)
    check(s.app.poll() is not None, 'Save, the default, saved and closed')
    check(json.load(open(path, encoding='utf-8')) != saved, 'the change reached the same file')


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ITEMS:
        sys.exit('usage: coach-session.py PATH/TO/drillmora soccer|rugby OUTPUT_DIR')
    program, sport, out_dir = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, sport + ' drill.anim')
    if os.path.exists(path):
        os.remove(path)
    config = tempfile.mkdtemp()
    first_session(program, sport, out_dir, config, path)
    s = Session(program, out_dir, config, [path], title=os.path.basename(path))
    s.shot('reopened')
    check(s.title() == os.path.basename(path) + ' \u2014 Drillmora', 'reopened unchanged: ' + s.title())
    s.app.terminate()
    print('the %s session went as a coach would expect' % sport)


if __name__ == '__main__':
    main()
