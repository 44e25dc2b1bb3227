// The strips around the pitch, driven with the pointer: the toolbar (Toolbar.js), the item picker
// (ItemPicker.js) and the timeline (Timeline.js). What they raise is what the page shell acts on.

var H = 45;
var toolbar = pageShell.toolbar;
// In row order; the buttons that open a dialog or an overlay are marked.
var TOOLBAR = ['newAnimation*', 'openAnimation*', 'saveAnimation*', 'saveAnimationAs*', 'undo', 'redo', 'exportVideo*', 'exportGif*', 'exportPdf*', 'exportPage*',
    'takeSnapshot*', 'chooseBackground*', 'rotateAntiClockwise', 'rotateClockwise', 'toggleGrid',
    'toggleRunningLines', 'selectLogo*', 'toggleLogo', 'showAboutInfo*'];
var TOOLBAR_EVENTS = TOOLBAR.map(function (e) { return e.replace('*', ''); });

// The page events among `events` that `body` raises, as [name, detail], kept from the page shell.
function stopped(events, body) {
    var raised = [];
    function stop(evt) {
        raised.push([evt.type, evt.detail]);
        evt.stopPropagation();
    }
    events.forEach(function (name) { window.addEventListener(name, stop, true); });
    body();
    events.forEach(function (name) { window.removeEventListener(name, stop, true); });
    return raised;
}

function clicked(stage, events, x, y) {
    return stopped(events, function () { clickAt(stage, x, y); });
}

function look(group) {
    var rect = group.find('.buttonRect')[0];
    return rect.opacity() === 0 ? 'rest' : rect.fill() === 'yellow' ? 'lit' : 'pressed';
}

// Once mended: a button that opened a dialog or an overlay stayed lit.
test('toolbar: each button raises its event, squeezed or not, and drops its light if it opened something', function () {
    var groups = toolbar.buttons.concat([toolbar.aboutButton]).map(function (b) { return b.group; });
    toolbar.setUndoRedo(true, true);
    [640, 1270].forEach(function (w) {
        toolbar.updateBounds(w, H);
        toolbar.layer.draw();
        var side = Math.min(H, w / TOOLBAR.length);
        TOOLBAR.forEach(function (entry, n) {
            var x = (n < TOOLBAR.length - 1 ? n * side : w - side) + side / 2;
            assert.deepEqual(clicked(toolbar.stage, TOOLBAR_EVENTS, x, H / 2).map(function (e) { return e[0]; }),
                [TOOLBAR_EVENTS[n]], w + ' wide, button ' + n);
            assert.equal(look(groups[n]), /\*/.test(entry) ? 'rest' : 'lit', w + ' wide, ' + entry + ' after its click');
            pointerEvent(toolbar.stage, 'mousemove', x + 1, H / 2);
            assert.equal(look(groups[n]), 'lit', w + ' wide, ' + entry + ' lit again by a move');
        });
    });
    [['setToggleGrid', 14], ['setToggleRunningLines', 15], ['setToggleLogo', 17]].forEach(function (s) {
        toolbar[s[0]](true);
        assert.deepEqual([look(groups[s[1]]), groups.map(look).join().split('pressed').length], ['pressed', 2], s[0] + ' alone');
        toolbar[s[0]](false);
    });
    toolbar.setUndoRedo(false, true);
    var clicks = [4, 5].map(function (n) { return stopped(TOOLBAR_EVENTS, groups[n].fire.bind(groups[n], 'click')); });
    assert.deepEqual([groups[4].find('.iconGroup')[0].opacity(), clicks[0].length, clicks[1].length], [0.3, 0, 1],
        'nothing to undo: faint and deaf');
    myDispatchEvent('disableNonTimelineControls', {});
    assert.equal(look(groups[17]), 'rest', 'a deaf strip lights nothing');
    myDispatchEvent('enableControls', {});
});

// Mended: Save As was only a key (Ctrl+Shift+S), and the save button asked for a name every time.
test('toolbar: Save saves to the drill\'s file and Save As, beside it, asks for a name; each tooltip names its key',
    function (done) {
    var tooltip = function () { return document.getElementById('buttonTooltip'); };
    done.cleanup(function () { Button.hideTooltip(); });
    toolbar.updateBounds(1270, H);
    toolbar.layer.draw();
    var rows = [['saveAnimation', { toCurrentFile: true }, 'Save the drill (Ctrl+S)'],
        ['saveAnimationAs', {}, 'Save the drill under another name\u2026 (Ctrl+Shift+S)']];
    (function next(i) {
        if (i === rows.length) {
            return done();
        }
        var x = (TOOLBAR_EVENTS.indexOf(rows[i][0]) + 0.5) * H;
        assert.deepEqual(clicked(toolbar.stage, TOOLBAR_EVENTS, x, H / 2), [[rows[i][0], rows[i][1]]], rows[i][0]);
        pointerEvent(toolbar.stage, 'mousemove', x + 2, H / 2);
        waitFor('the tooltip of ' + rows[i][0], function () {
            return tooltip() && tooltip().style.display === 'block' && tooltip().textContent === rows[i][2];
        }, done, function () {
            Button.hideTooltip();
            next(i + 1);
        });
    }(0));
}, 10000);

var PALETTES = {
    soccer: 'person ball manikin marker cone ring hurdle microHurdle agilityPole agilityLadder goal miniGoal',
    rugby: 'person rugbyBall manikin marker cone ring hurdle microHurdle agilityPole agilityLadder',
    gaa: 'person gaaBall hurlingBall manikin marker cone ring hurdle microHurdle agilityPole agilityLadder'
};

test('picker: each button adds its type in its colours or the coach\'s last ones; commands below; a palette a sport', function () {
    var events = ['addItem', 'deleteSelectedItems', 'decreaseSelectedScale', 'increaseSelectedScale', 'turnSelectedItems',
        'colorSelectedItems', 'chooseTeam', 'leaveAfterFrame'];
    // The two command rows, left to right and then down, and the team row: the team button, the leave button.
    var commands = [['deleteSelectedItems', {}], ['decreaseSelectedScale', {}], ['increaseSelectedScale', {}],
        ['turnSelectedItems', { degrees: -15 }], ['turnSelectedItems', { degrees: 15 }], ['colorSelectedItems', {}],
        ['chooseTeam', {}], ['chooseTeam', {}], ['leaveAfterFrame', {}]];
    var own = new ItemPicker(135, 685, 'gaa');
    try {
        [['Color', 'person', 'blue', 1], ['Scale', 'person', 0.3], ['Color', 'cone', 'red', 2], ['Scale', 'goal', 0.5]]
            .forEach(function (c) {
                myDispatchEvent('setItemDefault' + c[0], { itemType: c[1], color: c[2], scale: c[2], colNumber: c[3] });
            });
        assert.throws(function () { own.buttons[0].setScale(0); }, /scale/);
        ['gaa', 'soccer', 'rugby'].forEach(function (sport) {
            own.setSport(sport);
            own.layer.draw();
            assert.equal(own.buttons.map(function (b) { return b.itemType(); }).join(' '), PALETTES[sport]);
            own.buttons.forEach(function (b, i) {
                var type = b.itemType();
                var fresh = new FieldItem(0, 0, 0, 'default', type, 'default', 'default', 1);
                // The previews' own fitting is no scale the coach gave.
                assert.deepEqual(clicked(own.stage, events, (i % 3) * H + 5, Math.floor(i / 3) * H + 40), [['addItem',
                    { type: type, col1: i ? fresh.getCol(1) : 'blue', col2: fresh.getCol(2), scale: i ? 'default' : 0.3 }]],
                    sport + ': ' + type);
                // A preview fits its button with 7.5 of its own pixels clear all round.
                var preview = b.fieldItem.group;
                assert.close(Math.max(preview.width(), preview.height()) + 15 * b.fieldItem.getScale(), H, 1e-9, type);
            });
            var row = Math.ceil(own.buttons.length / 3) * H;
            commands.forEach(function (command, n) {
                assert.deepEqual(clicked(own.stage, events, (n % 3) * H + 22, row + Math.floor(n / 3) * H + 22), [command],
                    sport + ': command ' + n);
            });
            // Below the commands and the team button, and beside the last button when its row has room.
            [[60, row + 3 * H + 10]].concat(own.buttons.length % 3 ? [[own.buttons.length % 3 * H + 22, row - 22]] : [])
                .forEach(function (p) { assert.deepEqual(clicked(own.stage, events, p[0], p[1]), [], sport + ' at ' + p); });
        });
    } finally {
        own.stage.destroy();
        // A new stage empties its container: the page's picker goes back in.
        document.getElementById('itemPickerContainer').appendChild(pageShell.itemPicker.stage.getContent());
    }
});

// Mended: "Add a team" and the colour command stayed lit over the chooser they opened, and after it.
test('picker: the team and colour commands drop their light when their chooser opens, and a move lights them again', function () {
    var picker = pageShell.itemPicker;
    openInEditor(drillText({ objects: [itemRecord('person', 1, [{ x: 0.5, y: 0.5, rotation: 0 }])] }));
    pageShell.animation.animLayer.select(pageShell.animation.animLayer.itemGroups()[0]._id);
    picker.layer.draw();
    [[picker.teamButton, '.teamPickerLayer'], [picker.group.find('.colorSelectedItemsButton')[0], '.pickerLayer']]
        .forEach(function (row) {
            var button = row[0].group || row[0];
            var at = button.getAbsolutePosition();
            pointerEvent(picker.stage, 'mousemove', at.x + 20, at.y + 20);
            assert.equal(look(button), 'lit', button.name() + ' under the pointer');
            clickAt(picker.stage, at.x + 20, at.y + 20);
            assert.deepEqual([pageShell.animation.stage.find(row[1]).length, look(button)], [1, 'rest'],
                button.name() + ': its chooser open, the light gone');
            myDispatchEvent('escapePressed', {});
            assert.deepEqual([pageShell.overlayOpen, look(button)], [false, 'rest'], button.name() + ': the chooser closed');
            pointerEvent(picker.stage, 'mousemove', at.x + 21, at.y + 20);
            assert.equal(look(button), 'lit', button.name() + ': lit again by a move');
        });
    openInEditor(NEW_DRILL);
});

var TIMELINE_EVENTS = ['play', 'togglePause', 'stop', 'selectedFrame', 'addFrame', 'removeFrame', 'holdStep', 'addFrameCaption'];

// The timeline's colour at (x, y), as [r, g, b].
function timelinePixel(timeline, x, y) {
    var canvas = timeline.layer.getCanvas();
    var ratio = canvas.getPixelRatio();
    var data = canvas.getContext().getImageData(Math.floor(x * ratio), Math.floor(y * ratio), 1, 1).data;
    return [data[0], data[1], data[2]];
}

var LIME = [0, 255, 0];
var GREEN = [0, 128, 0];
var YELLOW = [255, 255, 0];
var STRIP = [214, 219, 233];

// Once mended: a box too narrow for its number showed none; later, boxes kept from an earlier count
// kept their old number size. A resize during playback keeps the playing look: the stopped one's play
// button would start playback a second time.
test('timeline: numbered boxes share the room, the add-frame button after the selected one; playback shows pause', function () {
    var timeline = new Timeline(1000, H);
    // What the play button raises, whether the boxes take clicks, the moment the marker shows, and the play button's tooltip.
    function looks() {
        timeline.layer.draw();
        assert.deepEqual([timeline.playTriangle.isVisible(), timeline.pauseSign.isVisible(), timeline.frameStrip.isVisible()],
            [!timeline.isPlaying, timeline.isPlaying, true]);
        return [clicked(timeline.stage, TIMELINE_EVENTS, H / 2, H / 2)[0][0], timeline.frameStrip.isListening(),
            String(timeline.markerTime), timeline.playButton.tooltip];
    }
    try {
        // [width, frames, selected]: boxes from the play button to the remove button, less the add-frame button
        // and its two gaps; from one row to the next the same strip shows the new count.
        [[1000, 1, 0], [1000, 3, 1], [1270, 12, 11], [1270, 74, 5], [1000, 400, 399], [1000, 100, 3], [1000, 4, 1]]
            .forEach(function (c) {
                timeline.updateBounds(c[0], H);
                timeline.updateFrameSettings(c[1], c[2]);
                timeline.layer.draw();
                var b = Math.min(60, (c[0] - (c[1] > 1 ? 4 : 2) * H - 24) / c[1]);
                var room = Math.max(0, b - 4);
                var where = c.join(' ') + ', box ';
                for (var i = 0; i < c[1]; i++) {
                    var x = H + i * b + (i > c[2] ? 24 : 0);
                    assert.close(timeline.frameBoxX(i), x, 1e-9, where + i + ' x');
                    var number = timeline.frameNumberLook(i);
                    var full = new Kinetic.Text({ text: String(i + 1), fontFamily: 'Helvetica', fontSize: 16 }).width();
                    assert.ok(number.width <= room + 1e-9 && number.size < 16 === full > room,
                        where + i + ': its number fits, no smaller than it must');
                    // Each box is its own frame from its first point to just short of its end; what follows it is
                    // the next box, the add-frame button's gap (after the selected one) or nothing (after the last).
                    if (b >= 4 && (c[1] < 20 || i % 37 === 0 || Math.abs(i - c[2]) < 2)) {
                        [x, x + 1, x + b - 1, x + b - 1e-6].forEach(function (at) {
                            assert.deepEqual(timeline.frameAt(at), i, where + i + ' at ' + at);
                        });
                        // The selected box's end is a comparison, exact; the others' a division, exact to a rounding.
                        var after = i === c[1] - 1 || i === c[2] ? null : i + 1;
                        assert.deepEqual(timeline.frameAt(x + b + (i === c[2] ? 0 : 1e-6)), after, where + i + ': just past its end');
                        if (i === c[2] && i < c[1] - 1) {
                            assert.deepEqual([timeline.frameAt(x + b + 24 - 1e-6), timeline.frameAt(x + b + 24)], [null, i + 1],
                                where + i + ': the gap for the add-frame button, then the next box');
                        }
                    }
                    if (room >= 3) {
                        // Its colour above the number; the number drawn in its box, nothing on the strip between.
                        var colour = i === c[2] ? LIME : GREEN;
                        assert.deepEqual(timelinePixel(timeline, x + b / 2, 4), colour, where + i + ': colour');
                        var rows = [-1, 0, 1].map(function (dy) {
                            var row = [];
                            for (var px = Math.ceil(x); px < x + b - 1; px++) {
                                row.push(timelinePixel(timeline, px, (H - Timeline.RULER_HEIGHT) / 2 + dy).join());
                            }
                            return row;
                        });
                        var row = rows[1];
                        assert.ok(rows.some(function (r) { return r.slice(2, -2).some(function (p) { return p !== colour.join(); }); }),
                            where + i + ': a number shown');
                        assert.deepEqual([row[0], row[row.length - 1]], [STRIP.join(), STRIP.join()], where + i + ': within its box');
                    }
                }
                assert.close(timeline.addFrameButton.group.x(), H + (c[2] + 1) * b + 2, 1e-9, where + 'add');
                assert.deepEqual(timeline.group.find('.remFrameButton').toArray().map(function (g) { return g.x(); })
                    .concat([timeline.addCaptionButton.group.x()]), (c[1] > 1 ? [c[0] - 2 * H] : []).concat([c[0] - H]),
                    where + ': one frame cannot go');
            });
        assert.deepEqual([timeline.frameAt(H - 1e-6), timeline.frameAt(NaN)], [null, null], 'nothing before the first box');
        // Held steps: each box as wide as its step lasts, the last a second's; a tick of the ruler at every second.
        timeline.updateFrameSettings(4, 1, 2000, [500, 2000, 1500]);
        timeline.layer.draw();
        var second = Math.min(60, (1000 - 4 * H - 24) / 5);
        assert.deepEqual([0, 1, 2, 3].map(function (n) { return [timeline.frameBoxX(n), timeline.frameBoxWidth(n)].map(Math.round); }),
            [[H, 0.5 * second], [H + 0.5 * second, 2 * second], [H + 2.5 * second + 24, 1.5 * second], [H + 4 * second + 24, second]]
                .map(function (p) { return p.map(Math.round); }), 'widths follow the steps');
        assert.deepEqual([timeline.frameAt(H + 0.5 * second + 1), timeline.frameAt(H + 2.5 * second + 24 + 1)], [1, 2]);
        [0, 1, 2, 3, 4].forEach(function (s) {
            var x = Math.round(timeline.xAtTime(s * 1000));
            assert.deepEqual([timelinePixel(timeline, x, H - 10), timelinePixel(timeline, x + (s < 4 ? 3 : -3), H - 10)].map(String),
                [[60, 60, 60], STRIP].map(String), 'a tick at ' + s + ' s, none beside it');
        });
        assert.throws(function () { timeline.updateFrameSettings(4, 4); }, /selectedFrame/);
        // The step-hold button names the step from the selected frame, or into the last one, and its time.
        [[1, 1500, '1.5 s', 'Frame 2 to 3 takes 1.5 s'], [3, 500, '0.5 s', 'Frame 3 to 4 takes 0.5 s'], [1, undefined, '1 s',
            'Frame 2 to 3 takes 1 s']].forEach(function (c) {
            timeline.updateFrameSettings(4, c[0], c[1]);
            assert.deepEqual([timeline.stepHoldButton.group.x(), timeline.stepHoldButton.text.text(),
                timeline.stepHoldButton.tooltip.split(':')[0]], [1000 - 3 * H, c[2], c[3]], 'step hold ' + c.join());
        });
        timeline.updateFrameSettings(4, 1);
        timeline.layer.draw();
        [[46, 'selectedFrame', { frameNumber: 0 }], [75, 'selectedFrame', { frameNumber: 0 }], [110, 'selectedFrame', { frameNumber: 1 }],
            [177, 'addFrame', {}], [219, 'selectedFrame', { frameNumber: 2 }], [308, 'selectedFrame', { frameNumber: 3 }],
            [880, 'holdStep', {}], [930, 'removeFrame', {}], [975, 'addFrameCaption', {}], [H / 2, 'play', {}], [600]].forEach(function (c) {
            assert.deepEqual(clicked(timeline.stage, TIMELINE_EVENTS, c[0], H / 2), c[1] ? [[c[1], c[2]]] : [], c[0]);
        });
        // The box under the pointer is lit, and only while the pointer is there.
        function lit() {
            timeline.layer.draw();
            return [0, 1, 2, 3].map(function (i) {
                var p = timelinePixel(timeline, timeline.frameBoxX(i) + 10, 1);
                return p.join() === YELLOW.join() ? 'lit' : p.join() === STRIP.join() ? 'rest' : p.join();
            });
        }
        [[219, 2, 'the box under the pointer'], [110, 1, 'the pointer moved to the next'], [600, -1, 'the pointer left the boxes']]
            .forEach(function (row) {
                pointerEvent(timeline.stage, 'mousemove', row[0], 20);
                assert.deepEqual(lit(), [0, 1, 2, 3].map(function (i) { return i === row[1] ? 'lit' : 'rest'; }), row[2]);
            });
        timeline.updatePlaybackIndicator(50);
        timeline.updateFrameSettings(4, 1);
        assert.deepEqual(looks(), ['play', true, 'null', 'Play the drill (Space)'], 'no marker while stopped');
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(40);
        timeline.playbackStopped();
        timeline.updateFrameSettings(6, 5);
        assert.deepEqual(looks(), ['play', true, 'null', 'Play the drill (Space)'], 'stopped');
        timeline.playbackStarted();
        timeline.updateBounds(800, H);
        assert.deepEqual(looks(), ['togglePause', false, 'null', 'Pause (Space)'], 'a new playback starts without the last one\'s marker');
        timeline.updatePlaybackIndicator(1234);
        timeline.playbackPaused(true);
        assert.deepEqual(looks().concat([timeline.playButton.group.isSetPressed]), ['togglePause', false, '1234', 'Resume (Space)', true],
            'paused: lit, offering to resume, and so after a rebuild');
        timeline.updateBounds(900, H);
        assert.deepEqual([timeline.playButton.tooltip, timeline.playButton.group.isSetPressed, timeline.markerTime],
            ['Resume (Space)', true, 1234]);
        timeline.playbackStopped();
        timeline.updateFrameSettings(6, 5);
        assert.deepEqual(looks().concat([timeline.playButton.group.isSetPressed]), ['play', true, 'null', 'Play the drill (Space)', false],
            'stopped again: unlit');
    } finally {
        timeline.stage.destroy();
    }
});

test('timeline: a box rested on names its frame by it; moving on or a new frame count takes the name away', function (done) {
    var timeline = new Timeline(1000, H);
    var tooltip = function () { return document.getElementById('buttonTooltip'); };
    done.cleanup(function () { Button.hideTooltip(); timeline.stage.destroy(); });
    timeline.updateFrameSettings(5, 0);
    timeline.layer.draw();
    var box = timeline.stage.getContent().getBoundingClientRect();
    pointerEvent(timeline.stage, 'mousemove', timeline.frameBoxX(3) + 5, 20);
    waitFor('the tooltip', function () { return tooltip() && tooltip().style.display === 'block'; }, done, function () {
        // The strip is at the foot of the window: above it.
        assert.deepEqual([tooltip().textContent, parseFloat(tooltip().style.left) - window.pageXOffset,
            parseFloat(tooltip().style.top) - window.pageYOffset + tooltip().offsetHeight],
            ['Frame 4', box.left + timeline.frameBoxX(3), box.top - 4]);
        pointerEvent(timeline.stage, 'mousemove', timeline.frameBoxX(1) + 5, 20);
        assert.equal(tooltip().style.display, 'none', 'gone as the pointer moves on');
        timeline.updateFrameSettings(6, 0);
        window.setTimeout(done.step(function () {
            assert.equal(tooltip().style.display, 'none', 'not shown for a box that has moved');
            done();
        }), 700);
    });
});
