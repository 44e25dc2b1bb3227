// The strips around the pitch, driven with the pointer: the toolbar (Toolbar.js), the item picker
// (ItemPicker.js) and the timeline (Timeline.js). What they raise is what the page shell acts on.

var H = 45;
var toolbar = pageShell.toolbar;
// In row order; the buttons that open a dialog or an overlay are marked.
var TOOLBAR = ['newAnimation*', 'openAnimation*', 'saveAnimation*', 'undo', 'redo', 'exportVideo*', 'exportPdf*',
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
    [['setToggleGrid', 11], ['setToggleRunningLines', 12], ['setToggleLogo', 14]].forEach(function (s) {
        toolbar[s[0]](true);
        assert.deepEqual([look(groups[s[1]]), groups.map(look).join().split('pressed').length], ['pressed', 2], s[0] + ' alone');
        toolbar[s[0]](false);
    });
    toolbar.setUndoRedo(false, true);
    var clicks = [3, 4].map(function (n) { return stopped(TOOLBAR_EVENTS, groups[n].fire.bind(groups[n], 'click')); });
    assert.deepEqual([groups[3].find('.iconGroup')[0].opacity(), clicks[0].length, clicks[1].length], [0.3, 0, 1],
        'nothing to undo: faint and deaf');
    myDispatchEvent('disableNonTimelineControls', {});
    assert.equal(look(groups[14]), 'rest', 'a deaf strip lights nothing');
    myDispatchEvent('enableControls', {});
});

var PALETTES = {
    soccer: 'person ball manikin marker cone ring hurdle microHurdle agilityPole agilityLadder goal miniGoal',
    rugby: 'person rugbyBall manikin marker cone ring hurdle microHurdle agilityPole agilityLadder',
    gaa: 'person gaaBall hurlingBall manikin marker cone ring hurdle microHurdle agilityPole agilityLadder'
};

test('picker: each button adds its type in its colours or the coach\'s last ones; commands below; a palette a sport', function () {
    var events = ['addItem', 'deleteSelectedItems', 'decreaseSelectedScale', 'increaseSelectedScale'];
    var colours = { person: 'maroon', manikin: 'grey', marker: 'red', cone: 'orange', ring: 'blue', hurdle: 'grey',
        microHurdle: 'lime', agilityPole: 'yellow', agilityLadder: 'purple', goal: 'grey', miniGoal: 'grey' };
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
                // The previews' own fitting is no scale the coach gave.
                assert.deepEqual(clicked(own.stage, events, (i % 3) * H + 5, Math.floor(i / 3) * H + 40), [['addItem',
                    { type: type, col1: i ? colours[type] || 'white' : 'blue', col2: colours[type] || 'white',
                        scale: i ? 'default' : 0.3 }]], sport + ': ' + type);
                // A preview fits its button with 7.5 of its own pixels clear all round.
                var preview = b.fieldItem.group;
                assert.close(Math.max(preview.width(), preview.height()) + 15 * b.fieldItem.getScale(), H, 1e-9, type);
            });
            var row = Math.ceil(own.buttons.length / 3) * H;
            events.slice(1).forEach(function (event, col) {
                assert.deepEqual(clicked(own.stage, events, col * H + 22, row + 22), [[event, {}]], sport + ': ' + event);
            });
            // Below the commands, and beside the last button when its row has room.
            [[60, row + 100]].concat(own.buttons.length % 3 ? [[own.buttons.length % 3 * H + 22, row - 22]] : [])
                .forEach(function (p) { assert.deepEqual(clicked(own.stage, events, p[0], p[1]), [], sport + ' at ' + p); });
        });
    } finally {
        own.stage.destroy();
        // A new stage empties its container: the page's picker goes back in.
        document.getElementById('itemPickerContainer').appendChild(pageShell.itemPicker.stage.getContent());
    }
});

var TIMELINE_EVENTS = ['play', 'stop', 'selectedFrame', 'addFrame', 'removeFrame', 'addFrameCaption'];

// Once mended: a box too narrow for its number showed none; later, boxes kept from an earlier count
// kept their old number size. A resize during playback keeps the playing look: the stopped one's play
// button would start playback a second time.
test('timeline: numbered boxes share the room, the add-frame button after the selected one; playback shows stop', function () {
    var timeline = new Timeline(1000, H);
    function boxes() {
        return timeline.frameButtons.map(function (b) { return b.group; });
    }
    // What the play button raises, the boxes shown, where the progress bar ends, and the play button's tooltip.
    function looks() {
        timeline.layer.draw();
        assert.deepEqual([timeline.playTriangle.isVisible(), timeline.stopSquare.isVisible()], [!timeline.isPlaying, timeline.isPlaying]);
        var bars = timeline.group.find('.playbackProgressRect').toArray();
        return [clicked(timeline.stage, TIMELINE_EVENTS, H / 2, H / 2)[0][0], boxes().filter(function (b) {
            return b.isVisible();
        }).length, bars.map(function (b) { return (b.x() + b.width()).toFixed(1); }).join(), timeline.playButton.tooltip];
    }
    try {
        // [width, frames, selected]: boxes from the play button to the remove button, less the add-frame button
        // and its two gaps; the same boxes kept, moved and resized from one row to the next.
        [[1000, 1, 0], [1000, 3, 1], [1270, 12, 11], [1270, 74, 5], [1000, 400, 399], [1000, 100, 3], [1000, 4, 1]]
            .forEach(function (c) {
                timeline.updateBounds(c[0], H);
                timeline.updateFrameSettings(c[1], c[2]);
                var b = Math.min(60, (c[0] - (c[1] > 1 ? 3 : 2) * H - 24) / c[1]);
                var where = c.join(' ') + ', box ';
                assert.equal(boxes().length, c[1], where);
                boxes().forEach(function (box, i) {
                    var number = box.find('.frameText')[0];
                    assert.close(box.width(), b, 1e-9, where + i);
                    assert.close(box.x(), H + i * b + (i > c[2] ? 24 : 0), 1e-9, where + i + ' x');
                    assert.equal(box.find('.frameRect')[0].fill() + ' ' + number.text(), (i === c[2] ? 'lime ' : 'green ') + (i + 1),
                        where + i + ': its colour and number');
                    var room = Math.max(0, box.width() - 4);
                    var full = new Kinetic.Text({ text: number.text(), fontFamily: 'Helvetica', fontSize: 16 }).width();
                    assert.ok(number.isVisible() && number.width() <= room + 1e-9 && number.fontSize() < 16 === full > room,
                        where + i + ': its number fits, no smaller than it must');
                    assert.close(number.getAbsolutePosition().x + number.width() / 2, box.x() + b / 2, 1e-6, where + i);
                });
                assert.close(timeline.addFrameButton.group.x(), H + (c[2] + 1) * b + 2, 1e-9, where + 'add');
                assert.deepEqual(timeline.group.find('.remFrameButton').toArray().map(function (g) { return g.x(); })
                    .concat([timeline.addCaptionButton.group.x()]), (c[1] > 1 ? [c[0] - 2 * H] : []).concat([c[0] - H]),
                    where + ': one frame cannot go');
            });
        assert.throws(function () { timeline.updateFrameSettings(4, 4); }, /selectedFrame/);
        timeline.layer.draw();
        [[75, 'selectedFrame', { frameNumber: 0 }], [110, 'selectedFrame', { frameNumber: 1 }], [177, 'addFrame', {}],
            [219, 'selectedFrame', { frameNumber: 2 }], [308, 'selectedFrame', { frameNumber: 3 }],
            [930, 'removeFrame', {}], [975, 'addFrameCaption', {}], [H / 2, 'play', {}], [600]].forEach(function (c) {
            assert.deepEqual(clicked(timeline.stage, TIMELINE_EVENTS, c[0], H / 2), c[1] ? [[c[1], c[2]]] : [], c[0]);
        });
        pointerEvent(timeline.stage, 'mousemove', 219, 20);
        assert.deepEqual(boxes().map(look), ['rest', 'rest', 'lit', 'rest'], 'the box under the pointer');
        timeline.updateFrameSettings(100, 90);
        timeline.layer.draw();
        [0, 4, 50, 90, 91, 99].forEach(function (i) {
            var box = boxes()[i];
            assert.deepEqual(clicked(timeline.stage, TIMELINE_EVENTS, box.x() + box.width() / 2, H / 2), [['selectedFrame', { frameNumber: i }]], 'moved box ' + i);
        });
        timeline.updatePlaybackIndicator(50);
        timeline.updateFrameSettings(4, 1);
        assert.deepEqual(looks(), ['play', 4, '', 'Play the drill (Space)'], 'no bar while stopped');
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(40);
        timeline.updateBounds(800, H);
        timeline.updateFrameSettings(6, 4);
        // All of the bar would run from 50 to 5 short of the end.
        assert.deepEqual(looks(), ['stop', 0, (50 + 745 * 0.4).toFixed(1), 'Stop (Space)'], 'still playing');
        timeline.playbackStopped();
        timeline.updateFrameSettings(6, 5);
        assert.deepEqual(looks(), ['play', 6, '', 'Play the drill (Space)'], 'stopped');
        timeline.playbackStarted();
        timeline.updateBounds(1000, H);
        assert.deepEqual(looks(), ['stop', 0, '', 'Stop (Space)'], 'a new playback starts without the last one\'s bar');
    } finally {
        timeline.stage.destroy();
    }
});
