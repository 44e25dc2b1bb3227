#!/usr/bin/env python3
"""A soccer or rugby coach's first session, played with real key and pointer
events on the real program.

From a fresh start (no settings), the coach opens the background picker,
chooses the sport and its full pitch, adds players, a ball and equipment
from the palette, drags them into place, undoes and redoes with the keys,
saves with Ctrl+S (typing a name without an extension into the save
dialog), moves a player, tries to close the window and cancels the
question, then closes it saving the change. The program is started again
with the saved drill on its command line and must show that sport's
palette. Screenshots are taken after every step; docs/ shows the sport
choice and a tooltip from here.

    xvfb-run -a -s "-screen 0 1280x800x24" \\
        python3 tests/e2e/tools/sport-session.py build/host/drillmora soccer /tmp/soccer-shots

Uses the helpers of coach-session.py (xdotool, ImageMagick). Exits non-zero
when a step does not do what a coach would expect.
"""
import ctypes
import importlib.util
import json
import os
import subprocess
import sys
import tempfile
import time

_spec = importlib.util.spec_from_file_location(
    'coach_session', os.path.join(os.path.dirname(os.path.abspath(__file__)), 'coach-session.py'))
coach = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(coach)
xdo, click, drag, Image, changed_box = coach.xdo, coach.click, coach.drag, coach.Image, coach.changed_box

# Layout of a 1280 x 800 window: the pitch's stage starts at (145, 55) and
# is 1125 x 685; the background picker gives the sports its top tenth.
STAGE = (145, 55, 1125, 685)
TOOLBAR_Y = 27
BACKGROUND_BUTTON = (5 + 8 * 45 + 22, TOOLBAR_Y)
UNDO_BUTTON = (5 + 3 * 45 + 22, TOOLBAR_Y)
SPORT_ROW = {'gaa': 0, 'soccer': 1, 'rugby': 2}
FULL_FIELD = (STAGE[0] + 31 + 167, STAGE[1] + 68 + 39 + 125)
BARE_PITCH = (1120, 722)


def palette(index):
    return (5 + (index % 3) * 45 + 22, 55 + (index // 3) * 45 + 22)


# What each coach puts on the pitch: (palette index, kind, where it goes).
SESSIONS = {
    'soccer': [(0, 'person', (420, 300)), (0, 'person', (420, 500)), (1, 'ball', (450, 300)),
               (10, 'goal', (1100, 400)), (4, 'cone', (700, 200))],
    'rugby': [(0, 'person', (420, 300)), (0, 'person', (420, 500)), (1, 'rugbyBall', (450, 300)),
              (4, 'cone', (700, 200)), (4, 'cone', (700, 600))],
}


class ClientMessage(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [('client', ClientMessage), ('pad', ctypes.c_long * 24)]


class X11(object):
    """Asks a window to close as a window manager would (WM_DELETE_WINDOW)."""

    def __init__(self):
        self.lib = ctypes.cdll.LoadLibrary('libX11.so.6')
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XInternAtom.restype = ctypes.c_ulong
        self.lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                        ctypes.c_void_p]
        self.lib.XFlush.argtypes = [ctypes.c_void_p]
        self.display = self.lib.XOpenDisplay(None)

    def close(self, window):
        event = XEvent()
        event.client.type = 33  # ClientMessage
        event.client.display = self.display
        event.client.window = int(window)
        event.client.message_type = self.lib.XInternAtom(self.display, b'WM_PROTOCOLS', 0)
        event.client.format = 32
        event.client.data[0] = self.lib.XInternAtom(self.display, b'WM_DELETE_WINDOW', 0)
        self.lib.XSendEvent(self.display, int(window), 0, 0, ctypes.byref(event))
        self.lib.XFlush(self.display)


def check(condition, what):
    if not condition:
        raise SystemExit('FAILED: ' + what)
    print('ok   ' + what)


class Session(coach.Session):
    """The program started with `arguments`, in a window titled `title`, with
    settings of its own (a fresh start, unless given the folder of an
    earlier session's)."""

    def __init__(self, program, out_dir, arguments=(), title='^Drillmora$', config=None):
        self.out_dir = out_dir
        self.count = 0
        self.timeline_shots = []
        self.config = config or tempfile.mkdtemp()
        env = dict(os.environ, XDG_RUNTIME_DIR=tempfile.mkdtemp(), XDG_CONFIG_HOME=self.config)
        self.log = open(os.path.join(out_dir, 'program-output.txt'), 'a')
        self.app = subprocess.Popen([program] + list(arguments), env=env, stdout=self.log,
                                    stderr=subprocess.STDOUT)
        self.window = self.find_window(title)
        xdo('windowsize', self.window, coach.WINDOW_SIZE[0], coach.WINDOW_SIZE[1])
        time.sleep(2)

    def title(self):
        return xdo('getwindowname', self.window).strip()

    def key(self, keys, pause=0.6):
        xdo('key', '--clearmodifiers', keys)
        time.sleep(pause)

    def running(self):
        return self.app.poll() is None


def shots_differ(a, b, region):
    return changed_box(Image(a), Image(b), region) is not None


def first_session(program, sport, out_dir, drill_path):
    s = Session(program, out_dir)
    config = s.config
    x11 = X11()
    pitch_region = (STAGE[0], STAGE[1], STAGE[0] + STAGE[2], STAGE[1] + STAGE[3])
    try:
        s.shot('fresh-start')
        check(s.title() == 'Drillmora', 'a fresh start is titled Drillmora')

        # The sport: the background picker with the three sports above the views.
        click(BACKGROUND_BUTTON, pause=1.0)
        s.shot('sport-choice-gaa')
        click((STAGE[0] + STAGE[2] // 6 + SPORT_ROW[sport] * STAGE[2] // 3, STAGE[1] + 34), pause=1.0)
        s.shot('sport-choice-' + sport)
        click(FULL_FIELD, pause=1.0)
        s.shot(sport + '-pitch')

        # A tooltip, after the pointer has rested on the undo button.
        xdo('mousemove', UNDO_BUTTON[0], UNDO_BUTTON[1])
        time.sleep(1.5)
        s.shot('tooltip-undo')
        xdo('mousemove', palette(1)[0], palette(1)[1])
        time.sleep(1.5)
        s.shot('tooltip-palette-ball')

        # The drill: each new item lands selected, and is dragged into place.
        for index, kind, spot in SESSIONS[sport]:
            # Nothing selected first: the new item's controls are then the
            # only other change on the pitch.
            click(BARE_PITCH)
            before = Image(s.shot('before-' + kind))
            click(palette(index), pause=0.6)
            after = Image(s.shot('added-' + kind))
            box = changed_box(before, after, pitch_region)
            check(box is not None, 'a %s appeared on the pitch' % kind)
            s.move(((box[0] + box[2]) / 2.0, (box[1] + box[3]) / 2.0), spot)
        click(BARE_PITCH)
        built = s.shot('drill-built')

        # Undo and redo with the keys.
        s.key('ctrl+z')
        undone = s.shot('undone')
        check(shots_differ(built, undone, pitch_region), 'Ctrl+Z took the last step back')
        s.key('ctrl+shift+z')
        redone = s.shot('redone')
        check(not shots_differ(built, redone, pitch_region), 'Ctrl+Shift+Z put it back')
        s.key('ctrl+z')
        s.key('ctrl+y')
        check(not shots_differ(built, s.shot('redone-with-ctrl-y'), pitch_region), 'Ctrl+Y redoes too')
        check(s.title() == 'Drillmora*', 'the title marks the unsaved drill: ' + s.title())

        # Ctrl+S: no file yet, so the save dialog asks; the name has no extension.
        s.key('ctrl+s', pause=1.5)
        s.shot('save-dialog')
        xdo('type', '--delay', '20', drill_path[:-len('.anim')])
        s.key('Return', pause=1.5)
        check(os.path.exists(drill_path), '".anim" was added to the name typed')
        with open(drill_path, encoding='utf-8') as f:
            saved = json.load(f)
        check(saved['sport'] == sport and len(saved['objects']) == len(SESSIONS[sport]),
              'the file holds the %s drill' % sport)
        name = os.path.basename(drill_path)
        check(s.title() == name + ' \u2014 Drillmora', 'the title names the file: ' + s.title())

        # A change, then closing: the coach cancels the question, then saves.
        s.move(SESSIONS[sport][0][2], (600, 400))
        click(BARE_PITCH)
        check(s.title() == name + '* \u2014 Drillmora', 'the change is marked: ' + s.title())
        x11.close(s.window)
        time.sleep(1.5)
        s.shot('close-asks')
        s.key('Escape', pause=1.0)
        check(s.running(), 'Cancel kept the program open')
        s.shot('close-cancelled')
        x11.close(s.window)
        time.sleep(1.5)
        s.key('Return', pause=2.0)
        check(not s.running(), 'Save (the default) saved and closed')
        with open(drill_path, encoding='utf-8') as f:
            check(json.load(f) != saved, 'the change was saved to the same file')
    finally:
        if s.running():
            s.close()
    return config


def second_session(program, sport, out_dir, drill_path, config):
    """The saved drill from the command line: its sport's pitch and palette."""
    s = Session(program, out_dir, [drill_path], title=os.path.basename(drill_path), config=config)
    try:
        s.shot('reopened')
        xdo('mousemove', palette(1)[0], palette(1)[1])
        time.sleep(1.5)
        s.shot('reopened-palette-tooltip')
        check(s.title() == os.path.basename(drill_path) + ' \u2014 Drillmora', 'reopened unchanged: ' + s.title())
    finally:
        s.close()


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in SESSIONS:
        sys.exit('usage: sport-session.py PATH/TO/drillmora soccer|rugby OUTPUT_DIR')
    program, sport, out_dir = sys.argv[1], sys.argv[2], sys.argv[3]
    os.makedirs(out_dir, exist_ok=True)
    drill_path = os.path.join(out_dir, sport + ' drill.anim')
    if os.path.exists(drill_path):
        os.remove(drill_path)
    config = first_session(program, sport, out_dir, drill_path)
    second_session(program, sport, out_dir, drill_path, config)
    print('the %s session went as a coach would expect' % sport)


if __name__ == '__main__':
    main()
