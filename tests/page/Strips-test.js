// The strips around the pitch, driven with the pointer as a coach drives
// them: the toolbar (Toolbar.js), the item picker (ItemPicker.js) and the
// timeline (Timeline.js). What they raise is what the shell acts on.

var H = 45;
var toolbar = pageShell.toolbar;
var picker = pageShell.itemPicker;
// In row order; the buttons that open a dialog or an overlay are marked.
var TOOLBAR = ['newAnimation*', 'openAnimation*', 'saveAnimation*', 'undo', 'redo', 'exportVideo*', 'exportPdf*',
    'takeSnapshot*', 'chooseBackground*', 'rotateAntiClockwise', 'rotateClockwise', 'toggleGrid',
    'toggleRunningLines', 'selectLogo*', 'toggleLogo', 'showAboutInfo*'];
var TOOLBAR_EVENTS = TOOLBAR.map(function (e) { return e.replace('*', ''); });

function clicked(stage, events, x, y) {
    return eventsRaisedDuring(events, function () { clickAt(stage, x, y); });
}

function look(group) {
    var rect = group.find('.buttonRect')[0];
    return rect.opacity() === 0 ? 'rest' : rect.fill() === 'yellow' ? 'lit' : 'pressed';
}

// The shell's handlers act on a stand-in that changes nothing, playing so
// that no undo step is taken of it, while the toolbar's buttons are pressed.
function withStandIn(done) {
    var real = [pageShell.animation, window.BackgroundPicker];
    function ignore() {}
    var layer = { gridVisibility: function () { return false; }, showRunningLines: false, doShowLogo: false,
        batchDraw: ignore, draw: ignore, listening: ignore };
    pageShell.animation = { playbackManager: { isPlaying: true }, bgLayer: layer, animLayer: layer,
        frameManager: { clearAnimation: ignore, nFrames: 1, selectedFrame: 0 }, saveToString: function () { return ''; },
        rotateEntireAnimation: ignore, toggleGrid: ignore, toggleRunningLines: ignore, toggleLogo: ignore };
    window.BackgroundPicker = ignore;
    toolbar.setUndoRedo(true, true);
    done.cleanup(function () {
        pageShell.animation = real[0];
        window.BackgroundPicker = real[1];
        toolbar.updateBounds(1270, H);
        myDispatchEvent('enableControls', {});
    });
}

// Once mended: a button that opened a dialog or an overlay stayed lit.
test('toolbar: each button raises its event, squeezed or not, and drops its light if it opened something', function (done) {
    withStandIn(done);
    var groups = toolbar.buttons.concat([toolbar.aboutButton]).map(function (b) { return b.group; });
    var tips = toolbar.buttons.concat([toolbar.aboutButton]).map(function (b) { return b.tooltip; });
    assert.ok(tips.every(function (t, i) { return /^[A-Z].{3}/.test(t) && tips.indexOf(t) === i; }), tips.join());
    [640, 1270].forEach(function (w) {
        toolbar.updateBounds(w, H);
        toolbar.layer.draw();
        var side = Math.min(H, w / 16);
        TOOLBAR.forEach(function (entry, n) {
            var x = (n < 15 ? n * side : w - side) + side / 2;
            assert.deepEqual(clicked(toolbar.stage, TOOLBAR_EVENTS, x, H / 2).map(function (e) { return e[0]; }),
                [TOOLBAR_EVENTS[n]], w + ' wide, button ' + n);
            assert.equal(look(groups[n]), /\*/.test(entry) ? 'rest' : 'lit', w + ' wide, ' + entry + ' after its click');
            pointerEvent(toolbar.stage, 'mousemove', x + 1, H / 2);
            assert.equal(look(groups[n]), 'lit', w + ' wide, ' + entry + ' lit again by a move');
        });
    });
    assert.deepEqual(clicked(toolbar.stage, TOOLBAR_EVENTS, 1000, H / 2), [], 'between the buttons');
    // Toggles show the state they are given, and only that.
    [['setToggleGrid', 11], ['setToggleRunningLines', 12], ['setToggleLogo', 14]].forEach(function (s) {
        pointerEvent(toolbar.stage, 'mousemove', s[1] * H + 20, 20);
        toolbar[s[0]](true);
        assert.equal(groups.map(look).join().replace(/(lit|rest),/g, ''), 'pressed,rest', s[0] + ' alone');
        toolbar[s[0]](false);
        assert.equal(look(groups[s[1]]), 'lit', s[0] + ' released under the pointer');
    });
    [[false, false], [true, false], [false, true]].forEach(function (state) {
        toolbar.setUndoRedo(state[0], state[1]);
        [['undo', 3], ['redo', 4]].forEach(function (b, k) {
            assert.equal(groups[b[1]].find('.iconGroup')[0].opacity(), state[k] ? 1 : 0.3, b[0] + ' ' + state);
            assert.equal(eventsRaisedDuring([b[0]], function () { groups[b[1]].fire('click'); }).length,
                state[k] ? 1 : 0, b[0] + ' clicked with ' + state);
        });
    });
    myDispatchEvent('disableNonTimelineControls', {});
    assert.equal(look(groups[14]), 'rest', 'a deaf strip lights nothing');
    done();
});

// ---- Item picker ---------------------------------------------------------------------

var PICKER_EVENTS = ['addItem', 'deleteSelectedItems', 'decreaseSelectedScale', 'increaseSelectedScale'];
var PALETTES = {
    soccer: 'person ball manikin marker cone ring hurdle microHurdle agilityPole agilityLadder goal miniGoal',
    rugby: 'person rugbyBall manikin marker cone ring hurdle microHurdle agilityPole agilityLadder',
    gaa: 'person gaaBall hurlingBall manikin marker cone ring hurdle microHurdle agilityPole agilityLadder'
};
var COLOURS = 'maroon white white grey red orange blue grey lime yellow purple'.split(' ');

function added(type, col1, col2, scale) {
    return [['addItem', { type: type, col1: col1, col2: col2 || col1, scale: scale || 'default' }]];
}

function typesOf(p) {
    return p.buttons.map(function (b) { return b.itemType(); }).join(' ');
}

test('picker: each palette button adds its type in its default colours; the commands below raise theirs', function () {
    // A taller picker only paints more background: the buttons stay put.
    picker.updateBounds(200, 900);
    assert.deepEqual([picker.stage.height(), picker.backgroundRect.width(), picker.backgroundRect.height()], [900, 200, 900]);
    assert.equal(typesOf(picker), PALETTES.gaa);
    picker.buttons.forEach(function (b, i) {
        var x = (i % 3) * H;
        var y = Math.floor(i / 3) * H;
        assert.deepEqual(clicked(picker.stage, PICKER_EVENTS, x + 5, y + 40), added(b.itemType(), COLOURS[i]), i);
        // A preview fits its button with 7.5 of its own pixels clear all round.
        var preview = b.fieldItem.group;
        assert.close(Math.max(preview.width(), preview.height()) + 15 * b.fieldItem.getScale(), H, 1e-9, i);
    });
    PICKER_EVENTS.slice(1).forEach(function (event, col) {
        assert.deepEqual(clicked(picker.stage, PICKER_EVENTS, col * H + 22, 4 * H + 22), [[event, {}]], event);
    });
    assert.deepEqual(clicked(picker.stage, PICKER_EVENTS, 112, 157), [], 'beside the ladder');
    assert.deepEqual(clicked(picker.stage, PICKER_EVENTS, 60, 400), [], 'below the commands');
    picker.updateBounds(135, 685);
    var tips = picker.buttons.concat(picker.commandButtons).map(function (b) { return (b.button || b).tooltip; });
    assert.ok(tips.every(function (t, i) { return /^[A-Z].{5}/.test(t) && tips.indexOf(t) === i; }), tips.join());
    assert.throws(function () { picker.buttons[0].setScale(0); }, /scale/);
});

test('picker: what the coach last gave a type goes with the next one, across sports, and nothing else', function () {
    var own = new ItemPicker(135, 685, 'gaa');
    try {
        // Once mended: the previews' own fitting was taken as the coach's scale.
        assert.ok(own.buttons.every(function (b) { return b.scale === 'default'; }), 'its own fitting is no choice');
        [['Color', 'person', 'blue', 1], ['Scale', 'person', 0.3], ['Color', 'manikin', 'red', 1],
            ['Color', 'cone', 'red', 2], ['Color', 'spaceship', 'red', 1], ['Scale', 'goal', 0.5]].forEach(function (c) {
            myDispatchEvent('setItemDefault' + c[0], { itemType: c[1], color: c[2], scale: c[2], colNumber: c[3] });
        });
        ['soccer', 'rugby', 'gaa'].forEach(function (sport) {
            own.setSport(sport);
            assert.equal(typesOf(own), PALETTES[sport], sport);
            assert.equal(own.group.find('.itemPickerButton').length, own.buttons.length, sport + ': none left over');
            assert.equal(own.commandButtons[2].group.y(), Math.ceil(own.buttons.length / 3) * H, sport);
            assert.deepEqual(eventsRaisedDuring(['addItem'], function () { own.buttonFor('person').group.fire('tap'); }),
                added('person', 'blue', 'maroon', 0.3), sport + ': the coach\'s person');
            assert.equal(own.buttonFor(sport === 'soccer' ? 'goal' : 'cone').scale, 'default', sport);
        });
        assert.deepEqual([own.buttonFor('manikin').fieldItem.getCol(1), own.buttonFor('cone').fieldItem.getCol(2)],
            ['grey', 'orange'], 'colours an item does not have are not taken');
        var onPitch = new FieldItem(100, 100, 0, 'default', 'person', 'default', 'default', 1);
        onPitch.setScale(9);
        onPitch.group.destroy();
        assert.equal(own.buttonFor('person').scale, 0.5, 'a scale is remembered as the item clipped it');
    } finally {
        own.stage.destroy();
        document.getElementById('itemPickerContainer').appendChild(picker.stage.getContent());
        picker.buttons.forEach(function (b) { b.setScale('default'); });
        picker.buttons[0].setColor(1, 'maroon');
    }
});

// ---- Timeline ------------------------------------------------------------------------

var TIMELINE_EVENTS = ['play', 'stop', 'selectedFrame', 'addFrame', 'removeFrame', 'addFrameCaption'];

function withTimeline(w, body) {
    var timeline = new Timeline(w, H);
    try {
        body(timeline, function () { return timeline.frameButtons.map(function (b) { return b.group; }); });
    } finally {
        timeline.stage.destroy();
    }
}

test('timeline: boxes share the room up to 60 wide, the add-frame button after the selected one; clicks on them', function () {
    withTimeline(1000, function (timeline, boxes) {
        // From 45 to the remove button at 910, less the add-frame button
        // (20) and its two gaps.
        [[1, 0, 60], [3, 1, 60], [20, 7, 841 / 20], [400, 399, 841 / 400], [3, 2, 60]].forEach(function (c) {
            timeline.updateFrameSettings(c[0], c[1]);
            var where = c[0] + ' frames, ' + c[1] + ' selected';
            assert.equal(boxes().length, c[0], where);
            boxes().forEach(function (box, i) {
                assert.close(box.width(), c[2], 1e-9, where + ': box ' + i);
                assert.close(box.x(), H + i * c[2] + (i > c[1] ? 24 : 0), 1e-9, where + ': box ' + i + ' x');
                assert.equal(box.find('.frameRect')[0].fill(), i === c[1] ? 'lime' : 'green', where + ': box ' + i);
            });
            assert.close(timeline.addFrameButton.group.x(), H + (c[1] + 1) * c[2] + 2, 1e-9, where + ': add');
            assert.deepEqual(timeline.group.find('.remFrameButton').toArray().map(function (g) { return g.x(); }),
                c[0] > 1 ? [910] : [], where + ': a single frame cannot be removed');
            assert.equal(timeline.addCaptionButton.group.x(), 955, where);
        });
        [[0, 0], [2.5, 0], [3, 3], [3, -1]].forEach(function (bad) {
            assert.throws(function () { timeline.updateFrameSettings(bad[0], bad[1]); }, /nFrames|selectedFrame/, bad);
        });
        assert.deepEqual([timeline.nFrames, timeline.selectedFrame, boxes().length], [3, 2, 3], 'refusals change nothing');
        // What is under the pointer raises its event and lights up.
        timeline.updateFrameSettings(4, 1);
        timeline.layer.draw();
        [[75, 'selectedFrame', { frameNumber: 0 }], [110, 'selectedFrame', { frameNumber: 1 }], [177, 'addFrame', {}],
            [219, 'selectedFrame', { frameNumber: 2 }], [308, 'selectedFrame', { frameNumber: 3 }],
            [930, 'removeFrame', {}], [975, 'addFrameCaption', {}], [H / 2, 'play', {}], [600]].forEach(function (c) {
            assert.deepEqual(clicked(timeline.stage, TIMELINE_EVENTS, c[0], H / 2), c[1] ? [[c[1], c[2]]] : [], c[0]);
        });
        assert.deepEqual(eventsRaisedDuring(TIMELINE_EVENTS, function () { boxes()[3].fire('tap'); }),
            [['selectedFrame', { frameNumber: 3 }]], 'a tap');
        pointerEvent(timeline.stage, 'mousemove', 219, 20);
        assert.deepEqual(boxes().map(look), ['rest', 'rest', 'lit', 'rest'], 'the box under the pointer');
        assert.deepEqual([timeline.playButton.tooltip, timeline.frameButtons[2].tooltip],
            ['Play the drill (Space)', 'Frame 3']);
    });
});

// Once mended: a box too narrow for its number showed none; later, boxes
// kept from an earlier count kept their old number size.
test('timeline: every box is numbered, smaller when narrow, centred, whether built or kept', function () {
    withTimeline(1270, function (timeline, boxes) {
        [[12, 1270], [74, 1270], [100, 1000], [5, 1000]].forEach(function (c) {
            timeline.updateBounds(c[1], H);
            timeline.updateFrameSettings(c[0], 0);
            boxes().forEach(function (box, i) {
                var number = box.find('.frameText')[0];
                var what = c[0] + ' frames, box ' + (i + 1);
                assert.equal(number.text(), String(i + 1), what);
                assert.ok(number.isVisible() && number.width() <= box.width() - 4 + 1e-9, what + ' fits');
                assert.equal(number.fontSize() === 16, box.width() >= 60 || i < 9 && box.width() > 14, what + ' size');
                assert.close(number.getAbsolutePosition().x + number.width() / 2, box.x() + box.width() / 2, 1e-6,
                    what + ' centred');
            });
        });
    });
});

// Once mended: a window resized during playback brought back the stopped
// look, whose play button started playback a second time.
test('timeline: playback shows stop and a progress bar, kept through a resize and a frame refresh', function () {
    withTimeline(1000, function (timeline, boxes) {
        function bars() { return timeline.group.find('.playbackProgressRect'); }
        timeline.updatePlaybackIndicator(50);
        assert.equal(bars().length, 0, 'no bar while stopped');
        timeline.updateFrameSettings(4, 1);
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(40);
        timeline.updateBounds(800, H);
        timeline.updateFrameSettings(6, 4);
        assert.equal(bars().length, 1);
        assert.close(bars()[0].x() + bars()[0].width() / 0.4, 795, 1e-9, 'all of it would end 5 short of the end');
        assert.ok(boxes().every(function (b) { return !b.isVisible(); }), 'frames hidden');
        assert.equal(timeline.playButton.tooltip, 'Stop (Space)');
        timeline.layer.draw();
        assert.deepEqual(clicked(timeline.stage, TIMELINE_EVENTS, H / 2, H / 2), [['stop', {}]]);
        timeline.playbackStopped();
        timeline.updateFrameSettings(6, 5);
        assert.equal(bars().length, 0, 'the bar goes with playback');
        assert.ok(boxes().every(function (b) { return b.isVisible(); }), 'frames back');
        timeline.layer.draw();
        assert.deepEqual(clicked(timeline.stage, TIMELINE_EVENTS, H / 2, H / 2), [['play', {}]]);
        timeline.playbackStarted();
        timeline.updateBounds(1000, H);
        assert.equal(bars().length, 0, 'a new playback starts without the last one\'s bar');
    });
});
