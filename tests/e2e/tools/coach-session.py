#!/usr/bin/env python3
"""A soccer or rugby coach's first session with the real program, played with
real keys and pointer (xdotool) under a bare X server, so that the window
sits at 0,0 and page points are screen points. Not a CTest test: it takes
screenshots for docs/ and exits non-zero when a step does not do what a
coach would expect.

    xvfb-run -a -s "-screen 0 1280x800x24" \\
        python3 tests/e2e/tools/coach-session.py build/host/drillmora soccer /tmp/shots

From a fresh start: choose the sport's full pitch in the background picker
(its thumbnails name their views in a tooltip), add items from the palette
and drag them into place, undo and redo with the keys, save with Ctrl+S (a
name typed without ".anim"). Then, each as a coach sees it:
- a click on an item is no edit: no "*" in the title, and Ctrl+Z takes back
  the last drag, not the click;
- Shift+click and Ctrl+click add a player to the selection and take one
  away (one player alone shows his controls, several an outline each), a click on the dark margin beside the
  pitch clears it;
- the ball at a selected player's feet lies under his rotate handle, which
  takes the press and turns him (Ctrl+Z turns him back); with him not
  selected, the ball is dragged away and he does not turn;
- a second frame; playing it with Space to the end leaves the title clean,
  and Ctrl+Z after it takes back the last real edit;
- captions typed into the "Enter Text" box stand on a light backing; a long
  one wraps onto two lines within the pitch;
- video and PDF exports offer the drill's name ("soccer drill.mp4",
  "soccer drill report.pdf"), and a name typed without extension gets it
  (checked with ffprobe and pdfinfo);
- a pole stands upright, and one added on the turned pitch too (the
  earlier pole and the goal or cone on the turned pitch are for the eye,
  in its screenshot); then the pitch is turned back;
- the About box closes with Escape and with Enter;
- opening a file that is not a drill brings up "Error Opening Animation
  File" in a box wider than its title, and the drill stays open (what the
  box says is for the eye, in its screenshot);
- closing the window and Ctrl+Q ask the same unsaved-changes question:
  Cancel keeps the program, Save saves and quits;
then start again with the file: the window comes back at the size and place
it was left.
"""
import ctypes, json, os, re, subprocess, sys, tempfile, time

STAGE = (145, 55, 1270, 740)           # the pitch's stage in a 1280 x 800 window
BUTTON_SIDE = 45                       # the toolbar's buttons, 45 px apart from x = 5
BACKGROUND_BUTTON, UNDO_BUTTON, BARE_PITCH = (432, 27), (207, 27), (1120, 722)
ABOUT_BUTTON, CAPTION_BUTTON = (1252, 27), (1250, 767)
# Frame 2 at x = 231 whichever frame is selected (the add-frame button stands after it).
FRAME_BOX, ADD_FRAME = [(160, 767), (231, 767)], (201, 767)
MARGIN = (160, 400)                    # the dark margin left of the pitch
FULL_FIELD = (343, 287)
POLE = 8                               # the agility pole's palette button
ITEMS = {'soccer': [(0, (420, 300)), (0, (420, 500)), (1, (450, 300)), (10, (1100, 400)), (POLE, (800, 250))],
         'rugby': [(0, (420, 300)), (0, (420, 500)), (1, (450, 300)), (4, (700, 600)), (POLE, (800, 250))]}
PLAYER, SECOND_PLAYER, BALL = ITEMS['soccer'][0][1], ITEMS['soccer'][1][1], ITEMS['soccer'][2][1]
SHORT_CAPTION = 'Overlap on the left'
LONG_CAPTION = ('The full back overlaps outside the winger, who checks inside with the ball and '
                'slips it into the channel for the cross; the striker attacks the near post')
NOT_A_DRILL = 'team.txt'                # a short name: the box's title is wider than its text


def xdo(*args):
    return subprocess.run(['xdotool'] + [str(a) for a in args], check=True,
                          capture_output=True, text=True).stdout


def check(condition, what):
    print(('ok   ' if condition else 'FAILED: ') + what)
    if not condition:
        raise SystemExit(1)


def click(pos, pause=0.6, modifier=None):
    xdo('mousemove', int(pos[0]), int(pos[1]), 'sleep', '0.1')
    if modifier:
        xdo('keydown', modifier, 'sleep', '0.1', 'click', '1', 'sleep', '0.1', 'keyup', modifier)
    else:
        xdo('click', '1')
    time.sleep(pause)


def drag(start, end, steps=10):
    xdo('mousemove', int(start[0]), int(start[1]), 'sleep', '0.1', 'mousedown', '1')
    for k in range(1, steps + 1):
        xdo('mousemove', int(start[0] + (end[0] - start[0]) * k / steps),
            int(start[1] + (end[1] - start[1]) * k / steps), 'sleep', '0.03')
    xdo('mouseup', '1')
    time.sleep(0.5)


def toolbar_button(n):
    return (n * BUTTON_SIDE + 27, 27)


def pixels(ppm):
    header = ppm.split(b'\n', 3)
    return int(header[1].split()[0]), header[3]


def changed_box(a, b, area=STAGE):
    """The box of pixels that differ between two PPM screenshots in an area."""
    width, pa = pixels(a)
    pb = pixels(b)[1]
    xs, ys = [], []
    for y in range(area[1], area[3], 2):
        for x in range(area[0], area[2], 2):
            i = (y * width + x) * 3
            if sum(abs(pa[i + k] - pb[i + k]) for k in range(3)) > 40:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def around(pos, reach):
    return (int(pos[0] - reach), int(pos[1] - reach), int(pos[0] + reach), int(pos[1] + reach))


def inside(pos, box):
    return box is not None and box[0] <= pos[0] <= box[2] and box[1] <= pos[1] <= box[3]


def light_share(ppm, box):
    """The share of light grey to white pixels in a box."""
    width, p = pixels(ppm)
    light = total = 0
    for y in range(box[1], box[3] + 1, 2):
        for x in range(box[0], box[2] + 1, 2):
            i = (y * width + x) * 3
            total += 1
            light += min(p[i], p[i + 1], p[i + 2]) > 200
    return light / total


def text_lines(ppm, box):
    """The bands of rows in a box that hold black text, counted top down."""
    width, p = pixels(ppm)
    lines, in_line = 0, False
    for y in range(box[1], box[3] + 1):
        inked = any(max(p[(y * width + x) * 3:(y * width + x) * 3 + 3]) < 80 for x in range(box[0], box[2] + 1))
        lines += inked and not in_line
        in_line = inked
    return lines


def pitch_box(ppm):
    """The box of the green pitch on the stage, along lines across it clear of the goals."""
    width, p = pixels(ppm)

    def green(x, y):
        i = (y * width + x) * 3
        return p[i + 1] > p[i] + 30 and p[i + 1] > p[i + 2] + 30
    middle_y, middle_x = (STAGE[1] + 3 * STAGE[3]) // 4, (STAGE[0] + STAGE[2]) // 2
    xs = [x for x in range(STAGE[0], STAGE[2]) if green(x, middle_y)]
    ys = [y for y in range(STAGE[1], STAGE[3]) if green(middle_x, y)]
    return (min(xs), min(ys), max(xs), max(ys))


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


def windows(title):
    return subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', title],
                          capture_output=True, text=True).stdout.split()


def wait(found, tries, settle=0.5):
    """What found() returns once it is something, asked every 0.2 s, `tries` times at most."""
    for _ in range(tries):
        result = found()
        if result:
            time.sleep(settle)
            return result
        time.sleep(0.2)
    return None


def wait_for_window(title, tries=50, settle=0.5):
    """The last visible window so titled (a splash may share the title)."""
    ids = wait(lambda: windows(title), tries, settle)
    return ids[-1] if ids else None


def wait_until_gone(window):
    return wait(lambda: window not in windows('.'), 25, 0)


def geometry(window):
    fields = dict(line.split('=') for line in xdo('getwindowgeometry', '--shell', window).split())
    return int(fields['X']), int(fields['Y']), int(fields['WIDTH']), int(fields['HEIGHT'])


class Session(object):
    def __init__(self, program, out_dir, config, arguments=(), title='^Drillmora$', size=(1280, 800)):
        self.out_dir, self.count = out_dir, 0
        env = dict(os.environ, XDG_RUNTIME_DIR=tempfile.mkdtemp(), XDG_CONFIG_HOME=config,
                   XDG_DATA_HOME=config)
        self.app = subprocess.Popen([program] + list(arguments), env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        self.window = wait_for_window(title, 150, 2)
        check(self.window is not None, 'the window appeared')
        if size:
            self.place((0, 0) + size)

    def place(self, geometry):
        xdo('windowmove', self.window, geometry[0], geometry[1])
        xdo('windowsize', self.window, geometry[2], geometry[3])
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

    def type(self, text, pause=0.5):
        xdo('type', '--delay', '20', text)
        time.sleep(pause)

    def clean(self, name):
        return self.title() == name + ' \u2014 Drillmora'

    def marked(self, name):
        return self.title() == name + '* \u2014 Drillmora'

    def save(self, name):
        self.key('ctrl+s', pause=1.5)
        check(self.clean(name), 'Ctrl+S saved the drill again: ' + self.title())


def choose_pitch(s, sport):
    check(s.title() == 'Drillmora', 'a fresh start is titled Drillmora')
    click(BACKGROUND_BUTTON)
    s.shot('sport-choice')
    click((STAGE[0] + 187 + ('gaa', 'soccer', 'rugby').index(sport) * 375, STAGE[1] + 34))
    s.shot('sport-choice-' + sport)
    xdo('mousemove', FULL_FIELD[0], FULL_FIELD[1])
    time.sleep(0.3)
    pointed = s.shot('thumbnail-pointed')
    time.sleep(1.5)
    check(changed_box(pointed, s.shot('thumbnail-tooltip')) is not None,
          'a thumbnail rested on shows its tooltip')
    click(FULL_FIELD)
    xdo('mousemove', UNDO_BUTTON[0], UNDO_BUTTON[1])
    time.sleep(1.5)
    s.shot('tooltip')


def add_item(s, index):
    """The box of the item the palette button put on the pitch."""
    click(BARE_PITCH)     # nothing selected: the new item is the only change
    before = s.shot('before-adding')
    click((27 + (index % 3) * 45, 77 + (index // 3) * 45))
    check(changed_box(before, s.shot('added')) is not None, 'palette button %d put an item on the pitch' % index)
    click(BARE_PITCH)     # its controls gone, the box is the item's own
    return changed_box(before, s.shot('added-alone'))


def upright(box):
    return box[3] - box[1] > 2 * (box[2] - box[0])


def build(s, sport):
    for index, spot in ITEMS[sport]:
        box = add_item(s, index)
        if index == POLE:
            check(upright(box), 'the pole stands upright: %s' % (box,))
        drag(((box[0] + box[2]) / 2, (box[1] + box[3]) / 2), spot)
    click(BARE_PITCH)
    built = s.shot('built')
    s.key('ctrl+z')
    check(changed_box(built, s.shot('undone')) is not None, 'Ctrl+Z took the last step back')
    s.key('ctrl+shift+z')
    check(changed_box(built, s.shot('redone')) is None, 'Ctrl+Shift+Z put it back')
    check(s.title() == 'Drillmora*', 'the unsaved drill is marked: ' + s.title())


def save_as(s, sport, path):
    s.key('ctrl+s', pause=1.5)
    s.type(path[:-len('.anim')])
    s.key('Return', pause=1.5)
    saved = json.load(open(path, encoding='utf-8'))
    check(saved['sport'] == sport and len(saved['objects']) == len(ITEMS[sport]),
          'Ctrl+S saved the %s drill with ".anim" added' % sport)
    check(s.clean(os.path.basename(path)), 'the title names the file: ' + s.title())


def click_is_no_edit(s, sport, name):
    clean = s.shot('saved')
    click(PLAYER)
    s.shot('player-selected')
    check(s.clean(name), 'a click on a player leaves the title clean: ' + s.title())
    click(BARE_PITCH)
    s.key('ctrl+z')
    undone = changed_box(clean, s.shot('click-then-undo'))
    check(inside(ITEMS[sport][-1][1], undone) and not inside(PLAYER, undone),
          'Ctrl+Z after the click took back the last drag, not the click: %s' % (undone,))
    check(s.marked(name), 'the undone drag marks the drill: ' + s.title())
    s.key('ctrl+shift+z')
    s.save(name)


def select_with_keys(s, name):
    """Each selection is told by the screen it gives: one player alone shows his
    controls, several show an outline each, so a change of the selection is
    compared with the screens of the same selections made by plain clicks."""
    clean = s.shot('nothing-selected')
    click(SECOND_PLAYER)
    second_alone = s.shot('second-selected')
    click(PLAYER)
    one = s.shot('one-selected')
    click(SECOND_PLAYER, modifier='shift')
    two = s.shot('shift-click')
    added, kept = changed_box(one, two), changed_box(second_alone, two)
    check(inside(SECOND_PLAYER, added) and inside(PLAYER, kept),
          'Shift+click added the second player to the selection: %s, %s' % (added, kept))
    click(PLAYER, modifier='ctrl')
    check(changed_box(second_alone, s.shot('ctrl-click')) is None, 'Ctrl+click took the first player away')
    click(PLAYER, modifier='ctrl')
    check(changed_box(two, s.shot('ctrl-click-again')) is None, 'Ctrl+click put it back')
    click(MARGIN)
    check(changed_box(clean, s.shot('margin-clicked')) is None,
          'a click on the margin beside the pitch cleared the selection')
    check(s.clean(name), 'selecting is no edit: ' + s.title())


def ball_at_feet(s, name):
    clean = s.shot('ball-at-feet')
    click(PLAYER)
    drag(BALL, (PLAYER[0], PLAYER[1] + 80))
    click(BARE_PITCH)
    turned = s.shot('handle-over-ball')
    check(changed_box(clean, turned, around(PLAYER, 12)) is not None and
          changed_box(clean, turned, around(BALL, 8)) is None,
          'the rotate handle over the ball turned the selected player, and the ball stayed')
    s.key('ctrl+z')
    check(changed_box(clean, s.shot('turn-undone'), around(PLAYER, 12)) is None, 'Ctrl+Z turned him back')
    away = (BALL[0] + 150, BALL[1] + 80)
    drag(BALL, away)
    click(BARE_PITCH)
    moved = s.shot('ball-dragged')
    check(changed_box(clean, moved, around(PLAYER, 12)) is None, 'the selected player did not turn')
    check(changed_box(clean, moved, around(away, 8)) is not None and
          changed_box(clean, moved, around(BALL, 8)) is not None,
          'the ball at his feet was dragged away')
    check(s.marked(name), 'the drag marks the drill: ' + s.title())
    s.save(name)


def play_to_end(s, name):
    click(ADD_FRAME)
    moved_to = (SECOND_PLAYER[0] + 200, SECOND_PLAYER[1] + 40)
    drag(SECOND_PLAYER, moved_to)
    click(BARE_PITCH)
    s.save(name)
    last = s.shot('frame-2')
    click(FRAME_BOX[0])
    s.key('space', pause=0.5)
    s.shot('playing')
    for _ in range(20):
        time.sleep(0.5)
        if changed_box(last, s.shot('played')) is None:
            break
    check(changed_box(last, s.shot('played-to-end')) is None, 'Space played to the last frame')
    check(s.clean(name), 'playing left the title clean: ' + s.title())
    s.key('ctrl+z')
    undone = changed_box(last, s.shot('played-then-undo'))
    check(inside(moved_to, undone) and inside(SECOND_PLAYER, undone),
          'Ctrl+Z after playing took back the last move: %s' % (undone,))
    s.key('ctrl+shift+z')
    s.save(name)


def caption(s, frame, text, shot):
    """The screen with frame's caption typed, and the caption's box, on a light backing."""
    click(FRAME_BOX[frame])
    before = s.shot('before-' + shot)
    click(CAPTION_BUTTON)
    check(wait_for_window('^Enter Text$') is not None, 'the caption button asks for the text')
    s.type(text)
    s.key('Return', pause=1.0)
    after = s.shot(shot)
    box = changed_box(before, after)
    check(box is not None and light_share(after, box) > 0.5,
          'the %s stands on a light backing: %s' % (shot.replace('-', ' '), box))
    return after, box


def captions(s, name):
    one, short = caption(s, 0, SHORT_CAPTION, 'short-caption')
    two, long = caption(s, 1, LONG_CAPTION, 'long-caption')
    pitch = pitch_box(two)
    check(text_lines(one, short) == 1 and text_lines(two, long) == 2, 'the long caption wraps onto two lines')
    check(pitch[0] < long[0] and long[2] < pitch[2] and pitch[1] < long[1] and long[3] < pitch[3],
          'the long caption stays within the pitch %s: %s' % (pitch, long))
    s.save(name)


def exports(s, sport):
    """Each export as offered and with a name typed without extension (a video's
    options as offered), read back: the video's codec with ffprobe, the
    report's pages with pdfinfo."""
    video = ['ffprobe', '-v', 'error', '-select_streams', 'v:0', '-show_entries', 'stream=codec_name', '-of', 'csv=p=0']
    for button, title, typed, expected, tool, said in (
            (6, 'Save Video', None, sport + ' drill.mp4', video, '^h264$'),
            (6, 'Save Video', 'overlap drill', 'overlap drill.mp4', video, '^h264$'),
            (7, 'Save Report', None, sport + ' drill report.pdf', ['pdfinfo'], '^Pages: +[1-9]'),
            (7, 'Save Report', 'overlap drill', 'overlap drill.pdf', ['pdfinfo'], '^Title: +%s drill \u2014 Drillmora training report$' % sport)):
        click(toolbar_button(button))
        check(wait_for_window('^%s$' % title) is not None, 'the export asks where: ' + title)
        s.shot('export-' + title.lower().replace(' ', '-'))
        if typed:
            s.key('ctrl+a', pause=0.3)
            s.type(typed)
        s.key('Return')
        if tool is video:
            check(wait_for_window('^Video Options$') is not None, 'the video asks for its size and rate')
            s.key('Return')
        path = os.path.join(s.out_dir, expected)
        # Exports are put in place whole: a file there is complete.
        check(wait(lambda: os.path.exists(path), 150), 'the export wrote ' + expected)
        read = subprocess.run(tool + [path], capture_output=True, text=True).stdout
        check(re.search(said, read, re.M), '%s read back by %s as %s' % (expected, tool[0], said))
        # The coach is told, in a box that blocks nothing; OK (the default) closes it.
        told = wait_for_window('^Drillmora$', 50)
        check(told is not None, 'a box says the export is done')
        s.shot('export-done-' + title.lower().split()[-1])
        xdo('windowfocus', told)
        s.key('Return')
        check(wait_until_gone(told), 'OK closed the box')


def turned_pitch(s, name):
    click(toolbar_button(11), pause=1.5)
    s.shot('turned')
    check(s.marked(name), 'the turn marks the drill: ' + s.title())
    box = add_item(s, POLE)
    check(upright(box), 'a pole added on the turned pitch stands upright: %s' % (box,))
    s.shot('turned-with-pole')
    click(toolbar_button(10), pause=1.5)    # back, where the players were placed
    s.save(name)


def about_box(s):
    for keys in ('Escape', 'Return'):
        click(ABOUT_BUTTON)
        about = wait_for_window('^About Drillmora$')
        check(about is not None, 'the About button opened "About Drillmora"')
        s.shot('about')
        s.key(keys)
        check(wait_until_gone(about), '%s closed the About box' % keys)


def not_a_drill(s, name):
    path = os.path.join(s.out_dir, NOT_A_DRILL)
    with open(path, 'w', encoding='utf-8') as sheet:
        sheet.write('Goalkeeper: Sam\nFull backs: Ali, Jo\n')
    s.key('ctrl+o')
    dialog = wait_for_window('^Open Animation$')
    check(dialog is not None, 'Ctrl+O asks for a drill')
    s.key('ctrl+a', pause=0.3)
    s.type(path)
    s.key('Return')
    title = 'Error Opening Animation File'
    box = wait_for_window('^%s$' % title)
    check(box is not None, 'opening %s shows "%s"' % (NOT_A_DRILL, title))
    s.shot('not-a-drill')
    width = geometry(box)[2]
    # The title as a window manager sets it, bold and larger than the text
    # below, beside its buttons.
    needed = int(subprocess.run(['convert', '-font', 'DejaVu-Sans-Bold', '-pointsize', '14', 'label:' + title,
                                 '-format', '%w', 'info:'], capture_output=True, text=True, check=True).stdout)
    check(width >= needed + 100, 'the box (%d px) has room for its title (%d px) and buttons' % (width, needed))
    s.key('Return')
    check(wait_until_gone(box), 'OK closed the box')
    check(s.clean(name), 'the drill stayed open: ' + s.title())


def close_and_save(s, sport, path, left_at):
    name = os.path.basename(path)
    saved = json.load(open(path, encoding='utf-8'))
    drag(PLAYER, (600, 400))
    click(BARE_PITCH)
    check(s.marked(name), 'the change is marked: ' + s.title())
    close_window(s.window)
    s.shot('close-asks')
    s.key('Escape')
    check(s.app.poll() is None, 'Cancel kept the program open')
    click(BARE_PITCH)     # the window has the keys again once the question is gone
    s.key('ctrl+q', pause=1.5)
    question = wait_for_window('^Drillmora$')
    check(question is not None, 'Ctrl+Q asks the same question')
    s.shot('quit-asks')
    s.key('Escape')
    check(s.app.poll() is None and s.marked(name), 'Cancel kept the program and the change')
    s.place(left_at)
    click((left_at[0] + 900, left_at[1] + 25))     # the toolbar's bare strip
    s.key('ctrl+q', pause=1.5)
    s.key('Return', pause=2.0)
    check(s.app.poll() is not None, 'Save, the default, saved and quit')
    check(json.load(open(path, encoding='utf-8')) != saved, 'the change reached the same file')


def first_session(program, sport, out_dir, config, path, left_at):
    s = Session(program, out_dir, config)
    name = os.path.basename(path)
    choose_pitch(s, sport)
    build(s, sport)
    save_as(s, sport, path)
    click_is_no_edit(s, sport, name)
    select_with_keys(s, name)
    ball_at_feet(s, name)
    play_to_end(s, name)
    captions(s, name)
    exports(s, sport)
    turned_pitch(s, name)
    about_box(s)
    not_a_drill(s, name)
    close_and_save(s, sport, path, left_at)


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ITEMS:
        sys.exit('usage: coach-session.py PATH/TO/drillmora soccer|rugby OUTPUT_DIR')
    program, sport, out_dir = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, sport + ' drill.anim')
    written = [path, sport + ' drill.mp4', sport + ' drill report.pdf', 'overlap drill.mp4', 'overlap drill.pdf']
    for old in written + [f for f in os.listdir(out_dir) if f[:2].isdigit() and f.endswith('.png')]:
        if os.path.exists(os.path.join(out_dir, old)):
            os.remove(os.path.join(out_dir, old))
    config = tempfile.mkdtemp()
    left_at = (40, 30, 1200, 740)
    first_session(program, sport, out_dir, config, path, left_at)
    s = Session(program, out_dir, config, [path], title=os.path.basename(path), size=None)
    check(geometry(s.window) == left_at, 'the window came back where it was left: %s' % (geometry(s.window),))
    s.place((0, 0, 1280, 800))
    s.shot('reopened')
    check(s.clean(os.path.basename(path)), 'reopened unchanged: ' + s.title())
    s.app.terminate()
    print('the %s session went as a coach would expect' % sport)


if __name__ == '__main__':
    main()
