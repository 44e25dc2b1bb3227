// The strips around the pitch, driven with the pointer as a coach drives
// them: the toolbar (Toolbar.js), the item picker (ItemPicker.js) and the
// timeline (Timeline.js). What they raise is what the shell acts on.

var H = 45;
var toolbar = pageShell.toolbar;
var picker = pageShell.itemPicker;
var TOOLBAR_EVENTS = ['newAnimation', 'openAnimation', 'saveAnimation', 'undo', 'redo', 'exportVideo', 'exportPdf',
    'takeSnapshot', 'chooseBackground', 'rotateAntiClockwise', 'rotateClockwise', 'toggleGrid',
    'toggleRunningLines', 'selectLogo', 'toggleLogo'];
var GRID = 11;
var LINES = 12;
var LOGO = 14;

function names(raised) {
    return raised.map(function (e) { return e[0]; });
}

function clickEvents(stage, events, x, y) {
    return eventsRaisedDuring(events, function () { clickAt(stage, x, y); });
}

function highlight(group) {
    var rect = group.find('.buttonRect')[0];
    return rect.opacity() === 0 ? 'rest' : rect.fill() === 'yellow' ? 'hover' : 'pressed';
}

// The toolbar's handlers in the shell act on this stand-in, which changes
// nothing; playing, so that no undo step is taken of it.
function withToolbarStandIn(done, body) {
    function ignore() {}
    var real = pageShell.animation;
    pageShell.animation = {
        playbackManager: { isPlaying: true }, frameManager: { clearAnimation: ignore, nFrames: 1, selectedFrame: 0 },
        bgLayer: { gridVisibility: function () { return false; }, doShowLogo: false, batchDraw: ignore, draw: ignore,
            listening: ignore },
        animLayer: { showRunningLines: false, batchDraw: ignore, draw: ignore, listening: ignore },
        saveToString: function () { return ''; }, rotateEntireAnimation: ignore, toggleGrid: ignore,
        toggleRunningLines: ignore, toggleLogo: ignore
    };
    var realPicker = window.BackgroundPicker;
    window.BackgroundPicker = ignore;
    toolbar.setUndoRedo(true, true);
    done.cleanup(function () {
        pageShell.animation = real;
        window.BackgroundPicker = realPicker;
        toolbar.updateBounds(1270, H);
        myDispatchEvent('enableControls', {});
    });
    body();
}

// ---- Toolbar -------------------------------------------------------------------

test('toolbar: each button raises its own event, at full width and squeezed into a narrow strip', function (done) {
    withToolbarStandIn(done, function () {
        [1270, 640].forEach(function (w) {
            toolbar.updateBounds(w, H);
            toolbar.layer.draw();
            var side = Math.min(H, w / 16);
            TOOLBAR_EVENTS.forEach(function (event, n) {
                assert.deepEqual(names(clickEvents(toolbar.stage, TOOLBAR_EVENTS.concat(['showAboutInfo']),
                    n * side + side / 2, H / 2)), [event], w + ' wide, button ' + n);
            });
            assert.deepEqual(names(clickEvents(toolbar.stage, ['showAboutInfo'], w - side / 2, H / 2)),
                ['showAboutInfo'], w + ': About at the right end');
            if (w === 1270) {
                assert.deepEqual(clickEvents(toolbar.stage, TOOLBAR_EVENTS, 1000, H / 2), [], 'between the buttons');
            }
        });
        done();
    });
});

test('toolbar: toggles show their state alone; undo and redo take no clicks with nothing to undo', function (done) {
    withToolbarStandIn(done, function () {
        var groups = toolbar.buttons.map(function (b) { return b.group; });
        [['setToggleGrid', GRID], ['setToggleRunningLines', LINES], ['setToggleLogo', LOGO]].forEach(function (s) {
            toolbar[s[0]](true);
            groups.forEach(function (g, n) {
                assert.equal(highlight(g), n === s[1] ? 'pressed' : 'rest', s[0] + ', button ' + n);
            });
            pointerEvent(toolbar.stage, 'mousemove', s[1] * H + 20, 20);
            assert.equal(highlight(groups[s[1]]), 'pressed', s[0] + ' hovered');
            toolbar[s[0]](false);
            assert.equal(highlight(groups[s[1]]), 'hover', s[0] + ' released under the pointer');
            pointerEvent(toolbar.stage, 'mousemove', 1000, 20);
        });
        [[false, false], [true, false], [false, true]].forEach(function (state) {
            toolbar.setUndoRedo(state[0], state[1]);
            [['undo', 3], ['redo', 4]].forEach(function (b, k) {
                assert.equal(groups[b[1]].find('.iconGroup')[0].opacity(), state[k] ? 1 : 0.3, b[0] + ' ' + state);
                assert.deepEqual(names(eventsRaisedDuring([b[0]], function () { groups[b[1]].fire('click'); })),
                    state[k] ? [b[0]] : [], b[0] + ' clicked with ' + state);
            });
        });
        done();
    });
});

// Once mended: the button that opened the picker stayed lit over the overlay.
test('toolbar: a button whose click opened an overlay loses its highlight until the pointer moves again', function (done) {
    withToolbarStandIn(done, function () {
        var background = toolbar.buttons[8].group;
        pointerEvent(toolbar.stage, 'mousemove', 8 * H + 20, 20);
        assert.equal(highlight(background), 'hover');
        clickAt(toolbar.stage, 8 * H + 20, 20);
        assert.equal(highlight(background), 'rest', 'after the click');
        pointerEvent(toolbar.stage, 'mousemove', 8 * H + 21, 20);
        assert.equal(highlight(background), 'hover', 'moved on it again');
        myDispatchEvent('disableNonTimelineControls', {});
        assert.equal(highlight(background), 'rest', 'strip deaf');
        done();
    });
});

test('toolbar: every button has its own tooltip, shown once the pointer rests and gone when it leaves', function (done) {
    var tips = toolbar.buttons.concat([toolbar.aboutButton]).map(function (b) { return b.tooltip; });
    tips.forEach(function (tip, i) { assert.ok(/^[A-Z].{3}/.test(tip), 'button ' + i + ': ' + tip); });
    assert.equal(tips.filter(function (t, i) { return tips.indexOf(t) === i; }).length, 16, 'all differ');
    var element = function () { return document.getElementById('buttonTooltip'); };
    pointerEvent(toolbar.stage, 'mousemove', 2 * H + 20, 20);
    assert.ok(!element() || element().style.display === 'none', 'not at once');
    waitFor('the tooltip', function () { return element() && element().style.display === 'block'; }, done, function () {
        assert.equal(element().textContent, tips[2]);
        assert.ok(element().getBoundingClientRect().top >= toolbar.stage.getContent().getBoundingClientRect().top + H,
            'below the button');
        pointerEvent(toolbar.stage, 'mousemove', 1000, 20);
        assert.equal(element().style.display, 'none', 'gone when the pointer leaves');
        done();
    });
});

// ---- Item picker ---------------------------------------------------------------------

var PICKER_EVENTS = ['addItem', 'deleteSelectedItems', 'decreaseSelectedScale', 'increaseSelectedScale'];
var PALETTES = {
    soccer: ['person', 'ball', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle', 'agilityPole',
        'agilityLadder', 'goal', 'miniGoal'],
    rugby: ['person', 'rugbyBall', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle', 'agilityPole',
        'agilityLadder'],
    gaa: ['person', 'gaaBall', 'hurlingBall', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle',
        'agilityPole', 'agilityLadder']
};
var COLOURS = { person: 'maroon', gaaBall: 'white', hurlingBall: 'white', manikin: 'grey', marker: 'red',
    cone: 'orange', ring: 'blue', hurdle: 'grey', microHurdle: 'lime', agilityPole: 'yellow', agilityLadder: 'purple' };

function added(type, col1, col2, scale) {
    return [['addItem', { type: type, col1: col1, col2: col2 || col1, scale: scale || 'default' }]];
}

test('picker: a click on each palette button adds its type in default colours; commands below raise theirs', function () {
    picker.layer.draw();
    assert.deepEqual(picker.buttons.map(function (b) { return b.itemType(); }), PALETTES.gaa);
    PALETTES.gaa.forEach(function (type, i) {
        var x = (i % 3) * H;
        var y = Math.floor(i / 3) * H;
        assert.deepEqual(clickEvents(picker.stage, PICKER_EVENTS, x + 5, y + 40), added(type, COLOURS[type]), type);
        var preview = picker.buttons[i].fieldItem.group;
        var s = picker.buttons[i].fieldItem.getScale();
        var centre = preview.getAbsolutePosition();
        assert.deepEqual([centre.x, centre.y], [x + H / 2, y + H / 2], type + ' preview centred');
        // A preview fits its button with 7.5 of its own pixels clear all round.
        assert.close(Math.max(preview.width(), preview.height()) + 15 * s, H, 1e-9, type + ' preview fitted');
    });
    ['deleteSelectedItems', 'decreaseSelectedScale', 'increaseSelectedScale'].forEach(function (event, col) {
        assert.deepEqual(clickEvents(picker.stage, PICKER_EVENTS, col * H + 22, 4 * H + 22), [[event, {}]], event);
    });
    assert.deepEqual(clickEvents(picker.stage, PICKER_EVENTS, 112, 157), [], 'the empty place beside the ladder');
    assert.deepEqual(clickEvents(picker.stage, PICKER_EVENTS, 60, 400), [], 'below the commands');
    // A press on a preview clicks its button and drags nothing.
    pointerEvent(picker.stage, 'mousemove', 67, 22);
    pointerEvent(picker.stage, 'mousedown', 67, 22);
    pointerEvent(picker.stage, 'mousemove', 100, 60);
    pointerEvent(picker.stage, 'mouseup', 100, 60);
    assert.deepEqual([picker.buttons[1].fieldItem.group.x(), picker.buttons[1].fieldItem.group.y()], [0, 0]);
});

test('picker: what the coach last gave a type goes with the next one, across sports, and nothing else does', function () {
    var own = new ItemPicker(135, 685, 'gaa');
    var errors = [];
    function onError(evt) { errors.push(evt.message); }
    window.addEventListener('error', onError, false);
    try {
        // Once mended: the previews' own fitting was taken as the coach's scale.
        assert.ok(own.buttons.every(function (b) { return b.scale === 'default'; }), 'its own fitting is no choice');
        myDispatchEvent('setItemDefaultColor', { itemType: 'person', color: 'blue', colNumber: 1 });
        myDispatchEvent('setItemDefaultScale', { itemType: 'person', scale: 0.3 });
        myDispatchEvent('setItemDefaultColor', { itemType: 'manikin', color: 'red', colNumber: 1 });
        myDispatchEvent('setItemDefaultColor', { itemType: 'cone', color: 'red', colNumber: 2 });
        myDispatchEvent('setItemDefaultColor', { itemType: 'spaceship', color: 'red', colNumber: 1 });
        myDispatchEvent('setItemDefaultScale', { itemType: 'goal', scale: 0.5 });
        myDispatchEvent('setItemDefaultColor', {});
        assert.deepEqual(errors, [], 'nothing thrown for types the palette lacks');
        ['soccer', 'rugby', 'gaa'].forEach(function (sport) {
            own.setSport(sport);
            assert.deepEqual(own.buttons.map(function (b) { return b.itemType(); }), PALETTES[sport], sport);
            assert.equal(own.group.find('.itemPickerButton').length, PALETTES[sport].length, sport + ': none left over');
            var rows = Math.ceil(PALETTES[sport].length / 3);
            assert.deepEqual(own.commandButtons.map(function (b) { return b.group.y(); }), [0, 1, 2].map(function () {
                return rows * H;
            }), sport + ': commands below the last row');
            assert.deepEqual(eventsRaisedDuring(['addItem'], function () { own.buttonFor('person').group.fire('tap'); }),
                added('person', 'blue', 'maroon', 0.3), sport + ': the coach\'s person');
            assert.equal(own.buttonFor('cone') && own.buttonFor('cone').fieldItem.getCol(2), 'orange', 'no second colour');
        });
        assert.equal(own.buttonFor('manikin').fieldItem.getCol(1), 'grey', 'a manikin has no colour');
        // A scale the item clipped is remembered as clipped.
        var onPitch = new FieldItem(100, 100, 0, 'default', 'person', 'default', 'default', 1);
        onPitch.setScale(9);
        onPitch.group.destroy();
        assert.equal(own.buttonFor('person').scale, 0.5);
    } finally {
        window.removeEventListener('error', onError, false);
        own.stage.destroy();
        document.getElementById('itemPickerContainer').appendChild(picker.stage.getContent());
        picker.buttons.forEach(function (b) { b.setScale('default'); });
        picker.buttons[0].setColor(1, 'maroon');
    }
});

test('picker: a resize keeps the buttons in place and paints the new area; misuse is refused', function () {
    var layout = JSON.stringify(picker.buttons.map(function (b) { return [b.group.x(), b.group.y()]; }));
    picker.updateBounds(200, 900);
    assert.deepEqual([picker.stage.width(), picker.stage.height(), picker.backgroundRect.height()], [200, 900, 900]);
    assert.equal(JSON.stringify(picker.buttons.map(function (b) { return [b.group.x(), b.group.y()]; })), layout);
    picker.updateBounds(135, 685);
    assert.throws(function () { return new ItemPickerButton(0, 0, 45, 45, 'spaceship'); }, /spaceship/);
    [0, -1, NaN, '0.2', null].forEach(function (bad) {
        assert.throws(function () { picker.buttons[0].setScale(bad); }, /scale/, String(bad));
    });
    assert.throws(function () { return new ItemPicker('135', 600, 'gaa'); }, /width and height/);
    assert.throws(function () { picker.updateBounds(135); }, /width and height/);
    var tips = picker.buttons.concat(picker.commandButtons).map(function (b) { return (b.button || b).tooltip; });
    assert.ok(tips.every(function (t) { return /^[A-Z].{5}/.test(t); }), 'tooltips: ' + tips);
    assert.equal(tips.filter(function (t, i) { return tips.indexOf(t) === i; }).length, tips.length, 'all differ');
});

// ---- Timeline ------------------------------------------------------------------------

var TIMELINE_EVENTS = ['play', 'stop', 'selectedFrame', 'addFrame', 'removeFrame', 'addFrameCaption'];

function withTimeline(w, body) {
    var timeline = new Timeline(w, H);
    try {
        body(timeline);
    } finally {
        timeline.stage.destroy();
    }
}

function boxesOf(timeline) {
    return timeline.frameButtons.map(function (b) { return b.group; });
}

function one(timeline, name) {
    return timeline.group.find('.' + name)[0];
}

test('timeline: boxes share the room up to 60 wide, the add-frame button after the selected one', function () {
    withTimeline(1000, function (timeline) {
        // 1000 wide: boxes from 45 to the remove button at 910, less the
        // add-frame button (20) and its two gaps.
        [[1, 0, 60], [3, 1, 60], [5, 4, 60], [20, 7, 841 / 20], [400, 399, 841 / 400], [3, 2, 60]].forEach(function (c) {
            timeline.updateFrameSettings(c[0], c[1]);
            var boxes = boxesOf(timeline);
            var where = c[0] + ' frames, ' + c[1] + ' selected';
            assert.equal(boxes.length, c[0], where);
            boxes.forEach(function (box, i) {
                assert.close(box.width(), c[2], 1e-9, where + ': box ' + i);
                assert.close(box.x(), H + i * c[2] + (i > c[1] ? 24 : 0), 1e-9, where + ': box ' + i + ' x');
                assert.equal(box.find('.frameRect')[0].fill(), i === c[1] ? 'lime' : 'green', where + ': box ' + i);
            });
            assert.close(one(timeline, 'addFrameButton').x(), H + (c[1] + 1) * c[2] + 2, 1e-9, where + ': add');
            var remove = timeline.group.find('.remFrameButton');
            assert.deepEqual(remove.toArray().map(function (g) { return g.x(); }), c[0] > 1 ? [910] : [], where);
            assert.equal(one(timeline, 'addCaptionButton').x(), 955, where);
        });
    });
});

// Once mended: boxes too narrow for their number showed none; later, boxes
// kept from an earlier count kept their old number size.
test('timeline: every box is numbered, smaller when narrow, centred, on new and kept boxes', function () {
    withTimeline(1270, function (timeline) {
        [[12, 1270], [74, 1270], [100, 1000], [5, 1000]].forEach(function (c) {
            timeline.updateBounds(c[1], H);
            timeline.updateFrameSettings(c[0], 0);
            boxesOf(timeline).forEach(function (box, i) {
                var number = box.find('.frameText')[0];
                var what = c[0] + ' frames, box ' + (i + 1);
                assert.equal(number.text(), String(i + 1), what);
                assert.ok(number.isVisible() && number.fontSize() > 0, what + ' shown');
                assert.ok(number.width() <= box.width() - 4 + 1e-9, what + ' fits in ' + box.width());
                assert.equal(number.fontSize() === 16, box.width() >= 60 || i < 9 && box.width() > 14, what + ' size');
                var at = number.getAbsolutePosition();
                assert.close(at.x + number.width() / 2, box.x() + box.width() / 2, 1e-6, what + ' centred');
            });
        });
    });
});

test('timeline: clicks and taps raise the event of what is under the pointer', function () {
    withTimeline(1000, function (timeline) {
        timeline.updateFrameSettings(4, 1);
        timeline.layer.draw();
        [[H + 30, 'selectedFrame', { frameNumber: 0 }], [H + 65, 'selectedFrame', { frameNumber: 1 }],
            [H + 132, 'addFrame', {}], [H + 174, 'selectedFrame', { frameNumber: 2 }],
            [H + 263, 'selectedFrame', { frameNumber: 3 }], [930, 'removeFrame', {}], [975, 'addFrameCaption', {}],
            [H / 2, 'play', {}], [600]].forEach(function (c) {
            assert.deepEqual(clickEvents(timeline.stage, TIMELINE_EVENTS, c[0], H / 2), c[1] ? [[c[1], c[2]]] : [],
                'click at ' + c[0]);
        });
        assert.deepEqual(eventsRaisedDuring(TIMELINE_EVENTS, function () { boxesOf(timeline)[3].fire('tap'); }),
            [['selectedFrame', { frameNumber: 3 }]], 'a tap');
        pointerEvent(timeline.stage, 'mousemove', H + 174, 20);
        assert.deepEqual(boxesOf(timeline).map(highlight), ['rest', 'rest', 'hover', 'rest'], 'hovered box');
        assert.deepEqual([timeline.playButton.tooltip, timeline.frameButtons[2].tooltip],
            ['Play the drill (Space)', 'Frame 3']);
    });
});

// Once mended: a window resized during playback brought back the stopped
// look, whose play button started playback a second time.
test('timeline: playback shows stop and a progress bar, kept through a resize and a frame refresh', function () {
    withTimeline(1000, function (timeline) {
        timeline.updatePlaybackIndicator(50);
        assert.equal(timeline.group.find('.playbackProgressRect').length, 0, 'no bar while stopped');
        timeline.updateFrameSettings(4, 1);
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(40);
        timeline.updateBounds(800, H);
        timeline.updateFrameSettings(6, 4);
        var bar = timeline.group.find('.playbackProgressRect');
        assert.equal(bar.length, 1);
        assert.close(bar[0].x() + bar[0].width() / 0.4, 795, 1e-9, 'the full bar would end 5 short of the end');
        assert.ok(boxesOf(timeline).every(function (b) { return !b.isVisible(); }), 'frames hidden');
        assert.equal(timeline.playButton.tooltip, 'Stop (Space)');
        timeline.layer.draw();
        assert.deepEqual(clickEvents(timeline.stage, TIMELINE_EVENTS, H / 2, H / 2), [['stop', {}]]);
        assert.deepEqual(clickEvents(timeline.stage, TIMELINE_EVENTS, H + 30, H / 2), [], 'no frame to click');
        timeline.playbackStopped();
        timeline.updateFrameSettings(6, 5);
        assert.equal(timeline.group.find('.playbackProgressRect').length, 0, 'the bar goes with playback');
        assert.ok(boxesOf(timeline).every(function (b) { return b.isVisible(); }), 'frames back');
        timeline.layer.draw();
        assert.deepEqual(clickEvents(timeline.stage, TIMELINE_EVENTS, H / 2, H / 2), [['play', {}]]);
        timeline.playbackStarted();
        timeline.updateBounds(1000, H);
        assert.equal(timeline.group.find('.playbackProgressRect').length, 0, 'a new playback starts without a bar');
    });
});

test('timeline: impossible sizes, frame settings and progress are refused and change nothing', function () {
    assert.throws(function () { return new Timeline(0, H); }, /width and height/);
    withTimeline(1000, function (timeline) {
        [[0, 0], [2.5, 0], ['3', 0], [3, 3], [3, -1]].forEach(function (bad) {
            assert.throws(function () { timeline.updateFrameSettings(bad[0], bad[1]); }, /nFrames|selectedFrame/,
                String(bad));
        });
        assert.deepEqual([timeline.nFrames, timeline.selectedFrame, boxesOf(timeline).length], [1, 0, 1]);
        assert.throws(function () { timeline.updateBounds(-5, H); }, /width and height/);
        timeline.playbackStarted();
        assert.throws(function () { timeline.updatePlaybackIndicator(NaN); }, /percent/);
    });
});
