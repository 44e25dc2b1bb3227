// The toolbar (Toolbar.js) as the page builds it: 1270 x 45 in a 1280 x 800
// window.

var ROW = [
    { event: 'newAnimation', icon: 'icons/blank.png', scale: 0.65, side: 48 },
    { event: 'openAnimation', icon: 'icons/folder.png', scale: 0.25, side: 128 },
    { event: 'saveAnimation', icon: 'icons/save.png', scale: 0.27, side: 128 },
    { event: 'undo', icon: 'icons/undo.png', scale: 0.25, side: 128 },
    { event: 'redo', icon: 'icons/redo.png', scale: 0.25, side: 128 },
    { event: 'exportVideo', icon: 'icons/mp4.png', scale: 0.7, side: 48 },
    { event: 'exportPdf', icon: 'icons/pdf.png', scale: 0.7, side: 48 },
    { event: 'takeSnapshot', icon: 'icons/copy.png', scale: 0.25, side: 128 },
    { event: 'chooseBackground', icon: 'icons/soccerField128.png', scale: 0.25, side: 128 },
    { event: 'rotateAntiClockwise', icon: 'icons/rotateAntiClock.png', scale: 0.3, side: 128 },
    { event: 'rotateClockwise', icon: 'icons/rotateClock.png', scale: 0.3, side: 128 },
    { event: 'toggleGrid', icon: 'icons/grid.png', scale: 0.25, side: 128 },
    { event: 'toggleRunningLines', icon: 'icons/runningLines.png', scale: 0.25, side: 128 },
    { event: 'selectLogo', icon: 'icons/openLogo.png', scale: 0.25, side: 128 },
    { event: 'toggleLogo', icon: 'icons/showLogo.png', scale: 0.25, side: 128 }
];
var ABOUT = { event: 'showAboutInfo', icon: 'icons/about64.png', scale: 0.5, side: 64 };
var ALL_EVENTS = ROW.map(function (b) { return b.event; }).concat([ABOUT.event]);

var toolbar = pageShell.toolbar;
// The toolbar on its own: the shell's handlers get a stand-in animation that
// changes nothing, so the toggles keep their looks, and no background picker
// opens (it would silence the toolbar for the clicks that follow).
function ignore() {}
pageShell.animation = {
    // Playing, so that the shell records no undo steps of this stand-in.
    playbackManager: { isPlaying: true },
    frameManager: { clearAnimation: ignore, nFrames: 1, selectedFrame: 0 },
    bgLayer: { gridVisibility: function () { return false; }, doShowLogo: false, batchDraw: ignore, draw: ignore,
        listening: ignore },
    animLayer: { showRunningLines: false, batchDraw: ignore, draw: ignore, listening: ignore },
    saveToString: function () { return ''; },
    rotateEntireAnimation: ignore,
    toggleGrid: ignore,
    toggleRunningLines: ignore,
    toggleLogo: ignore
};
window.BackgroundPicker = ignore;
var H = 45;
var GRID = 11;
var LINES = 12;
var LOGO = 14;
// Undo and redo take clicks only while there is something to undo or redo.
toolbar.setUndoRedo(true, true);

// Runs `body` and returns the names of the toolbar events raised meanwhile.
function eventsRaisedBy(body) {
    return eventsRaisedDuring(ALL_EVENTS, body).map(function (e) { return e[0]; });
}

// The button groups in the toolbar, in stacking order.
function buttonGroups() {
    return toolbar.group.getChildren().filter(function (node) {
        return node.nodeType === 'Group' && node.find('.buttonRect').length === 1;
    });
}

function buttonAt(x) {
    return buttonGroups().filter(function (g) { return g.x() === x; });
}

function highlightOf(group) {
    var rect = group.find('.buttonRect')[0];
    return { fill: rect.fill(), stroke: rect.stroke(), opacity: rect.opacity() };
}

var AT_REST = { fill: 'yellow', stroke: '#459A00', opacity: 0 };
var HOVERED = { fill: 'yellow', stroke: '#459A00', opacity: 1 };
var PRESSED = { fill: 'DarkGrey', stroke: 'grey', opacity: 1 };

test('the toolbar stage fills toolbarContainer at the application width', function () {
    assert.equal(toolbar.stage.container().id, 'toolbarContainer');
    assert.equal(toolbar.stage.width(), 1270);
    assert.equal(toolbar.stage.height(), H);
    assert.equal(toolbar.getWidth(), 1270);
    assert.equal(toolbar.stage.getChildren().length, 1, 'one layer');
    assert.equal(toolbar.stage.getChildren()[0], toolbar.layer);
});

test('a group named "toolbar" holds a background over the whole strip', function () {
    var group = toolbar.layer.find('.toolbar')[0];
    assert.ok(group, 'group found by name');
    assert.equal(group.width(), 1270);
    assert.equal(group.height(), H);
    var background = group.getChildren()[0];
    assert.equal(background.className, 'Rect', 'bottom-most child is the background');
    assert.equal(background.fill(), 'rgb(214,219,233)');
    assert.deepEqual([background.x(), background.y(), background.width(), background.height()],
        [0, 0, 1270, H]);
});

test('fifteen buttons in a row at x = n * h and the About button at w - h', function () {
    var groups = buttonGroups();
    assert.equal(groups.length, 16);
    for (var n = 0; n < ROW.length; n++) {
        var at = buttonAt(n * H);
        assert.equal(at.length, 1, 'one button at x = ' + n * H);
        assert.equal(at[0].y(), 0, 'button ' + n + ' top');
        assert.equal(at[0].width(), H, 'button ' + n + ' width');
        assert.equal(at[0].height(), H, 'button ' + n + ' height');
    }
    assert.equal(buttonAt(1270 - H).length, 1, 'About at w - h');
});

test('a click on each button position raises that button\'s event alone', function () {
    for (var n = 0; n < ROW.length; n++) {
        var x = n * H + H / 2;
        var raised = eventsRaisedBy(function () { clickAt(toolbar.stage, x, H / 2); });
        assert.deepEqual(raised, [ROW[n].event], 'button ' + n);
    }
    var about = eventsRaisedBy(function () { clickAt(toolbar.stage, 1270 - H / 2, H / 2); });
    assert.deepEqual(about, ['showAboutInfo'], 'About button');
});

test('a click or tap fired on every button group raises its event once', function () {
    buttonGroups().forEach(function (group, i) {
        var expected = i < ROW.length ? ROW[i].event : ABOUT.event;
        assert.deepEqual(eventsRaisedBy(function () { group.fire('click'); }), [expected], 'click ' + i);
        assert.deepEqual(eventsRaisedBy(function () { group.fire('tap'); }), [expected], 'tap ' + i);
    });
});

test('a click between the buttons raises nothing', function () {
    var raised = eventsRaisedBy(function () { clickAt(toolbar.stage, 800, H / 2); });
    assert.deepEqual(raised, []);
});

test('each button shows its icon at its scale', function (done) {
    var entries = ROW.concat([ABOUT]);
    var icons = buttonGroups().map(function (group) { return group.find('.iconGroup')[0]; });
    waitFor('the toolbar icons', function () {
        return icons.every(function (g) { return g && g.getChildren().length === 1; });
    }, done, function () {
        icons.forEach(function (g, i) {
            var image = g.getChildren()[0];
            var src = image.image().src;
            assert.equal(src.slice(-entries[i].icon.length), entries[i].icon, 'button ' + i + ' picture');
            assert.equal(g.scaleX(), entries[i].scale, 'button ' + i + ' scale');
            assert.equal(image.width(), entries[i].side, 'button ' + i + ' picture width');
            var centre = g.getAbsolutePosition();
            assert.close(centre.x, (i < ROW.length ? i * H : 1270 - H) + H / 2, 1e-9,
                'button ' + i + ' icon centred');
            assert.close(centre.y, H / 2, 1e-9, 'button ' + i + ' icon centred down');
        });
        done();
    });
});

test('grey separators before the undo, video, snapshot, background, grid and select-logo buttons', function () {
    var lines = toolbar.group.getChildren().filter(function (node) { return node.className === 'Line'; });
    var xs = lines.map(function (line) { return line.points()[0]; }).sort(function (a, b) { return a - b; });
    assert.deepEqual(xs, [3 * H, 5 * H, 7 * H, 8 * H, 11 * H, 13 * H]);
    lines.forEach(function (line) {
        var p = line.points();
        assert.deepEqual(p, [p[0], 2, p[0], H - 2], 'vertical from 2 to h - 2');
        assert.equal(line.stroke(), 'grey');
        assert.equal(line.strokeWidth(), 1);
    });
});

test('all three toggles start unpressed', function () {
    [GRID, LINES, LOGO].forEach(function (n) {
        var group = buttonAt(n * H)[0];
        assert.equal(group.isSetPressed, false, 'button ' + n);
        assert.deepEqual(highlightOf(group), AT_REST, 'button ' + n);
    });
});

test('each toggle setter presses its own button and no other', function () {
    var setters = [
        { set: 'setToggleGrid', n: GRID },
        { set: 'setToggleRunningLines', n: LINES },
        { set: 'setToggleLogo', n: LOGO }
    ];
    setters.forEach(function (s) {
        toolbar[s.set](true);
        buttonGroups().forEach(function (group) {
            var mine = group.x() === s.n * H;
            assert.equal(group.isSetPressed, mine, s.set + ': button at ' + group.x());
            assert.deepEqual(highlightOf(group), mine ? PRESSED : AT_REST, s.set + ' look at ' + group.x());
        });
        toolbar[s.set](false);
        assert.deepEqual(highlightOf(buttonAt(s.n * H)[0]), AT_REST, s.set + ' released');
    });
});

test('clicking a toggle raises its event but does not change its look', function () {
    var grid = buttonAt(GRID * H)[0];
    var raised = eventsRaisedBy(function () { clickAt(toolbar.stage, GRID * H + 10, 10); });
    assert.deepEqual(raised, ['toggleGrid']);
    assert.equal(grid.isSetPressed, false, 'still unpressed');
    pointerEvent(toolbar.stage, 'mousemove', 800, 10);
    assert.deepEqual(highlightOf(grid), AT_REST);
});

test('a pressed toggle keeps its look while hovered and after the pointer leaves', function () {
    var logo = buttonAt(LOGO * H)[0];
    toolbar.setToggleLogo(true);
    pointerEvent(toolbar.stage, 'mousemove', LOGO * H + 20, 20);
    assert.deepEqual(highlightOf(logo), PRESSED, 'hovered');
    pointerEvent(toolbar.stage, 'mousemove', 800, 20);
    assert.deepEqual(highlightOf(logo), PRESSED, 'left');
    toolbar.setToggleLogo(false);
});

test('releasing a toggle under the pointer keeps the resting highlight', function () {
    var lines = buttonAt(LINES * H)[0];
    toolbar.setToggleRunningLines(true);
    pointerEvent(toolbar.stage, 'mousemove', LINES * H + 20, 20);
    toolbar.setToggleRunningLines(false);
    assert.deepEqual(highlightOf(lines), HOVERED, 'hovered');
    pointerEvent(toolbar.stage, 'mousemove', 800, 20);
    assert.deepEqual(highlightOf(lines), AT_REST, 'left');
});

// Kinetic finds the shape under the pointer in the layer's hit graph, which
// is redrawn with the layer on the next animation frame.
var FRAME_WAIT_MS = 100;

test('a narrow strip shrinks the whole row, so that every button is still there to click', function (done) {
    toolbar.updateBounds(640, H);
    assert.equal(toolbar.getWidth(), 640);
    assert.equal(toolbar.group.getChildren()[0].width(), 640, 'background');
    var side = 640 / 16;
    var groups = buttonGroups();
    groups.forEach(function (group, i) {
        var x = i < ROW.length ? i * side : 640 - side;
        assert.close(group.x(), x, 1e-9, 'button ' + i + ' x');
        assert.close(group.scaleX(), side / H, 1e-9, 'button ' + i + ' shrunk');
    });
    window.setTimeout(done.step(function () {
        ROW.concat([ABOUT]).forEach(function (entry, i) {
            var x = (i < ROW.length ? i * side : 640 - side) + side / 2;
            assert.deepEqual(eventsRaisedBy(function () { clickAt(toolbar.stage, x, H / 2); }), [entry.event],
                'button ' + i);
        });
        done();
    }), FRAME_WAIT_MS);
});

test('widening the strip again gives the buttons their full size and About the right end', function (done) {
    toolbar.updateBounds(1270, H);
    assert.equal(buttonAt(1270 - H).length, 1, 'About at w - h');
    buttonGroups().forEach(function (group, i) {
        assert.equal(group.scaleX(), 1, 'button ' + i);
    });
    window.setTimeout(done.step(function () {
        var raised = eventsRaisedBy(function () { clickAt(toolbar.stage, 8 * H + 10, H / 2); });
        assert.deepEqual(raised, ['chooseBackground']);
        raised = eventsRaisedBy(function () { clickAt(toolbar.stage, 1250, H / 2); });
        assert.deepEqual(raised, ['showAboutInfo']);
        done();
    }), FRAME_WAIT_MS);
});

test('undo and redo are faint and take no clicks while there is nothing to undo or redo', function () {
    [[false, false], [true, false], [false, true]].forEach(function (state) {
        toolbar.setUndoRedo(state[0], state[1]);
        [['undo', 3], ['redo', 4]].forEach(function (b, k) {
            var group = buttonAt(b[1] * H)[0];
            var icon = group.find('.iconGroup')[0];
            assert.equal(icon.opacity(), state[k] ? 1 : 0.3, b[0] + ' look with ' + state);
            var raised = eventsRaisedBy(function () { group.fire('click'); });
            assert.deepEqual(raised, state[k] ? [b[0]] : [], b[0] + ' click with ' + state);
        });
    });
    toolbar.setUndoRedo(true, true);
});

test('every button has a tooltip that shows after the pointer rests on it and goes when it leaves', function (done) {
    var groups = buttonGroups();
    var tips = groups.map(function (group) {
        return toolbar.buttons.concat([toolbar.aboutButton]).filter(function (b) { return b.group === group; })[0].tooltip;
    });
    tips.forEach(function (tip, i) {
        assert.ok(typeof tip === 'string' && tip.length > 3, 'button ' + i + ' has a tooltip');
    });
    assert.equal(tips.filter(function (t, i) { return tips.indexOf(t) === i; }).length, tips.length, 'all differ');
    pointerEvent(toolbar.stage, 'mousemove', 2 * H + 20, 20);
    var element = function () { return document.getElementById('buttonTooltip'); };
    assert.ok(!element() || element().style.display === 'none', 'not at once');
    waitFor('the tooltip', function () { return element() && element().style.display === 'block'; }, done,
        function () {
            assert.equal(element().textContent, tips[2]);
            var box = element().getBoundingClientRect();
            var strip = toolbar.stage.getContent().getBoundingClientRect();
            assert.ok(box.top >= strip.top + H, 'below the button');
            assert.close(box.left, strip.left + 2 * H, 1, 'at the button\'s left edge');
            pointerEvent(toolbar.stage, 'mousemove', 800, 20);
            assert.equal(element().style.display, 'none', 'gone when the pointer leaves');
            done();
        });
});

test('a button whose click opened a dialog or an overlay loses its highlight, and gets it back on the next move', function () {
    var background = buttonAt(8 * H)[0];
    pointerEvent(toolbar.stage, 'mousemove', 8 * H + 20, 20);
    assert.deepEqual(highlightOf(background), HOVERED, 'hovered');
    // The stand-in picker opens nothing; the shell's disable handler is what
    // a real overlay raises.
    eventsRaisedBy(function () { clickAt(toolbar.stage, 8 * H + 20, 20); });
    assert.deepEqual(highlightOf(background), AT_REST, 'after the click');
    pointerEvent(toolbar.stage, 'mousemove', 8 * H + 21, 20);
    assert.deepEqual(highlightOf(background), HOVERED, 'pointer moved on it again');
    myDispatchEvent('disableNonTimelineControls', {});
    assert.deepEqual(highlightOf(background), AT_REST, 'strip deaf');
    toolbar.layer.listening(true);
    pointerEvent(toolbar.stage, 'mousemove', 800, 20);
});
