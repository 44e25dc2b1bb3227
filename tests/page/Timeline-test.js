// The timeline strip (Timeline.js): the page's own (1270 x 45 in a 1280 x 800
// window) and throw-away strips of other sizes built beside it in the same
// container, so that box widths can be checked against round numbers.

var H = 45;
var TIMELINE_EVENTS = ['play', 'stop', 'selectedFrame', 'addFrame', 'removeFrame', 'addFrameCaption'];

// Runs body(timeline) with a fresh w x h strip, which is thrown away after.
function withTimeline(w, h, body) {
    var timeline = new Timeline(w, h);
    try {
        body(timeline);
    } finally {
        timeline.stage.destroy();
    }
}

// The same for an asynchronous test: the strip goes when the test ends.
function timelineFor(done, w, h) {
    var timeline = new Timeline(w, h);
    done.cleanup(function () { timeline.stage.destroy(); });
    return timeline;
}

// Runs `body` and returns the timeline events raised meanwhile, each as
// [name, detail].
function eventsRaisedBy(body) {
    return eventsRaisedDuring(TIMELINE_EVENTS, body);
}

// Kinetic finds the shape under the pointer in the layer's hit graph, which
// otherwise follows a rebuild only on the next animation frame.
function settle(timeline) {
    timeline.layer.draw();
}

function named(timeline, name) {
    return timeline.group.find('.' + name);
}

function one(timeline, name) {
    var found = named(timeline, name);
    assert.equal(found.length, 1, 'one ' + name);
    return found[0];
}

function boxes(timeline) {
    return named(timeline, 'frameButton').toArray().sort(function (a, b) {
        return a.getAttr('frameNumber') - b.getAttr('frameNumber');
    });
}

function rectOf(group) {
    return [group.x(), group.y(), group.width(), group.height()];
}

function fillOf(box) {
    return box.find('.frameRect')[0].fill();
}

// Right-hand end of the row of boxes and the add-frame button, its trailing
// gap included.
function rowEnd(timeline) {
    var all = boxes(timeline);
    var last = all[all.length - 1];
    var add = one(timeline, 'addFrameButton');
    return Math.max(last.x() + last.width(), add.x() + add.width() + 2);
}

function isStoppedLook(timeline) {
    return timeline.playTriangle.isVisible() && !timeline.stopSquare.isVisible() &&
        boxes(timeline).every(function (b) { return b.isVisible(); }) &&
        one(timeline, 'addFrameButton').isVisible() && one(timeline, 'addCaptionButton').isVisible();
}

function isPlayingLook(timeline) {
    var hidden = boxes(timeline).concat(named(timeline, 'addFrameButton').toArray(),
        named(timeline, 'remFrameButton').toArray(), named(timeline, 'addCaptionButton').toArray());
    return !timeline.playTriangle.isVisible() && timeline.stopSquare.isVisible() &&
        one(timeline, 'playButton').isVisible() &&
        hidden.every(function (node) { return !node.isVisible(); });
}

function highlightOpacity(group) {
    return group.find('.buttonRect')[0].opacity();
}

// ---- The page's strip ---------------------------------------------------------

test('the page\'s timeline is a 1270 x 45 stage in timelineContainer, below the toolbar', function () {
    var timeline = pageShell.timeline;
    assert.ok(timeline instanceof Timeline);
    assert.equal(timeline.stage.container().id, 'timelineContainer');
    assert.deepEqual([timeline.stage.width(), timeline.stage.height()], [1270, H]);
    assert.equal(timeline.stage.getChildren().length, 1, 'one layer');
    assert.equal(timeline.stage.getChildren()[0], timeline.layer);
    var box = timeline.stage.getContent().getBoundingClientRect();
    var toolbarBox = pageShell.toolbar.stage.getContent().getBoundingClientRect();
    assert.equal(box.left, 5);
    assert.ok(box.top >= toolbarBox.bottom + 5, 'below the toolbar: ' + box.top);
});

test('a group named "timelineGroup" holds a background over the whole strip', function () {
    var timeline = pageShell.timeline;
    var group = timeline.layer.find('.timelineGroup');
    assert.equal(group.length, 1);
    assert.equal(group[0], timeline.group);
    assert.deepEqual([group[0].width(), group[0].height()], [1270, H]);
    var background = group[0].getChildren()[0];
    assert.equal(background.className, 'Rect', 'bottom-most child is the background');
    assert.equal(background.fill(), 'rgb(214,219,233)');
    assert.deepEqual(rectOf(background), [0, 0, 1270, H]);
});

test('it starts with one selected frame, the play button and no remove button', function () {
    var timeline = pageShell.timeline;
    assert.equal(timeline.nFrames, 1);
    assert.equal(timeline.selectedFrame, 0);
    assert.equal(timeline.pad, 5);
    assert.ok(isStoppedLook(timeline));
    assert.deepEqual(rectOf(one(timeline, 'playButton')), [0, 0, H, H]);
    var all = boxes(timeline);
    assert.equal(all.length, 1);
    assert.deepEqual(rectOf(all[0]), [H, 0, 60, H]);
    assert.equal(fillOf(all[0]), 'lime');
    assert.deepEqual(rectOf(one(timeline, 'addFrameButton')), [H + 60 + 2, 0, 20, H]);
    assert.equal(named(timeline, 'remFrameButton').length, 0);
    assert.deepEqual(rectOf(one(timeline, 'addCaptionButton')), [1270 - H, 0, H, H]);
    assert.equal(named(timeline, 'playbackProgressRect').length, 0);
});

// ---- Frame boxes --------------------------------------------------------------

test('a 1000-wide strip with 20 frames has 42.05-wide boxes up to the remove button at 910', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(20, 0);
        var all = boxes(timeline);
        assert.equal(all.length, 20);
        all.forEach(function (box, i) {
            assert.close(box.width(), 42.05, 1e-9, 'box ' + i + ' width');
            assert.equal(box.height(), H, 'box ' + i + ' height');
            assert.equal(box.y(), 0);
            assert.equal(box.getAttr('frameNumber'), i);
        });
        assert.equal(all[0].x(), H, 'the first box starts after the play button');
        assert.close(all[1].x(), H + 42.05 + 24, 1e-9, 'the add-frame button and its gaps follow box 0');
        assert.deepEqual(rectOf(one(timeline, 'remFrameButton')), [910, 0, H, H]);
        assert.deepEqual(rectOf(one(timeline, 'addCaptionButton')), [955, 0, H, H]);
        assert.close(rowEnd(timeline), 910, 1e-9, 'the row fills the room exactly');
    });
});

test('one frame gives one 60-wide box and no remove button; boxes may then reach w - h', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(2, 1);
        timeline.updateFrameSettings(1, 0);
        assert.equal(boxes(timeline).length, 1);
        assert.equal(boxes(timeline)[0].width(), 60);
        assert.equal(named(timeline, 'remFrameButton').length, 0, 'the remove button went');
    });
    // 160 - 45 - 45 leaves 70: one box of 46 with the add-frame button and
    // its gaps runs to the caption button at 115 (w - h), past where the
    // remove button of a longer animation would stand (70).
    withTimeline(160, H, function (timeline) {
        var box = boxes(timeline)[0];
        assert.deepEqual(rectOf(box), [H, 0, 46, H]);
        assert.equal(rowEnd(timeline), 115);
        assert.equal(one(timeline, 'addCaptionButton').x(), 115);
        timeline.updateFrameSettings(2, 0);
        assert.equal(boxes(timeline)[0].width(), 0.5, 'two frames must stop at w - 2h');
        assert.equal(rowEnd(timeline), 70);
    });
});

test('boxes never grow past 60 however much room there is', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(3, 1);
        boxes(timeline).forEach(function (box) { assert.equal(box.width(), 60); });
        assert.deepEqual(boxes(timeline).map(function (b) { return b.x(); }), [45, 105, 189]);
    });
});

test('the add-frame button stands right after the highlighted box, whichever is selected', function () {
    withTimeline(1000, H, function (timeline) {
        [[5, 60], [20, 42.05]].forEach(function (c) {
            var n = c[0];
            var b = c[1];
            for (var s = 0; s < n; s++) {
                timeline.updateFrameSettings(n, s);
                var all = boxes(timeline);
                var add = one(timeline, 'addFrameButton');
                var where = n + ' frames, selected ' + s;
                assert.close(add.x(), all[s].x() + b + 2, 1e-9, where + ': add-frame x');
                assert.deepEqual([add.y(), add.width(), add.height()], [0, 20, H], where);
                if (s + 1 < n) {
                    assert.close(all[s + 1].x(), add.x() + 20 + 2, 1e-9, where + ': next box');
                }
                all.forEach(function (box, i) {
                    assert.close(box.x(), H + i * b + (i > s ? 24 : 0), 1e-9, where + ': box ' + i);
                    assert.equal(fillOf(box), i === s ? 'lime' : 'green', where + ': box ' + i + ' fill');
                });
                assert.equal(timeline.nFrames, n);
                assert.equal(timeline.selectedFrame, s);
            }
        });
    });
});

test('with many frames the boxes shrink towards nothing and stay clear of the buttons', function () {
    [[1000, 910], [1270, 1180], [200, 110]].forEach(function (strip) {
        withTimeline(strip[0], H, function (timeline) {
            var previous = Infinity;
            [50, 400, 3000].forEach(function (n) {
                timeline.updateFrameSettings(n, n - 1);
                var all = boxes(timeline);
                var b = all[0].width();
                var where = strip[0] + ' wide, ' + n + ' frames';
                assert.equal(all.length, n, where);
                assert.ok(b >= 0 && b < previous, where + ': width ' + b + ' shrank');
                assert.close(b, Math.max(0, strip[1] - H - 24) / n, 1e-9, where);
                previous = b;
                assert.ok(rowEnd(timeline) <= strip[1] + 1e-9, where + ': row ends at ' + rowEnd(timeline));
                assert.equal(one(timeline, 'remFrameButton').x(), strip[1], where + ': remove button in place');
                assert.equal(one(timeline, 'addCaptionButton').x(), strip[0] - H, where);
            });
            assert.ok(previous < 0.5, 'nearly nothing left: ' + previous);
        });
    });
});

test('each box shows its number centred over a coloured box inset by 2 pixels', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(12, 3);
        boxes(timeline).forEach(function (box, i) {
            var rect = box.find('.frameRect')[0];
            var number = box.find('.frameText')[0];
            var b = box.width();
            var topLeft = rect.getAbsolutePosition();
            assert.close(topLeft.x, box.x() + 2, 1e-9, 'box ' + i + ' inset left');
            assert.close(topLeft.y, 2, 1e-9, 'box ' + i + ' inset top');
            assert.close(rect.width(), b - 4, 1e-9, 'box ' + i + ' inset width');
            assert.equal(rect.height(), H - 4, 'box ' + i + ' inset height');
            assert.equal(number.text(), String(i + 1));
            assert.equal(number.fontFamily(), 'Helvetica');
            assert.equal(number.fontSize(), 16);
            assert.equal(number.fill(), 'black');
            assert.equal(number.isVisible(), true, 'box ' + i + ' number shown');
            var at = number.getAbsolutePosition();
            assert.close(at.x + number.width() / 2, box.x() + b / 2, 1e-9, 'box ' + i + ' number centred');
            assert.close(at.y + number.height() / 2, H / 2, 1e-9, 'box ' + i + ' number centred down');
        });
    });
});

test('every box is numbered: a box too narrow for its number gets a smaller one, centred', function () {
    // 1270 wide with 74 frames: boxes of 15 pixels, 11 inside; 1000 wide
    // with 100 frames: under 10.
    [[1270, 74], [1000, 100]].forEach(function (c) {
        withTimeline(c[0], H, function (timeline) {
            timeline.updateFrameSettings(c[1], 0);
            boxes(timeline).forEach(function (box, i) {
                var number = box.find('.frameText')[0];
                var what = c[1] + ' frames, box ' + (i + 1);
                var room = box.width() - 4;
                assert.equal(number.text(), String(i + 1), what);
                assert.equal(number.isVisible(), true, what + ' shown');
                assert.ok(number.width() <= room + 1e-9, what + ' fits: ' + number.width() + ' in ' + room);
                assert.ok(number.fontSize() > 0 && number.fontSize() <= 16, what + ' size');
                if (String(i + 1).length > 1) {
                    assert.ok(number.fontSize() < 16, what + ' drawn smaller');
                }
                var at = number.getAbsolutePosition();
                assert.close(at.x + number.width() / 2, box.x() + box.width() / 2, 1e-6, what + ' centred');
            });
            if (c[0] === 1270) {
                assert.close(boxes(timeline)[0].width(), 15, 0.05, 'boxes of 15 pixels');
                assert.equal(boxes(timeline)[8].find('.frameText')[0].fontSize(), 16, 'one digit fits at 16');
            }
        });
    });
});

// ---- Buttons ------------------------------------------------------------------

test('the play button holds a lime triangle and a hidden red square, neither listening', function () {
    var timeline = pageShell.timeline;
    var button = one(timeline, 'playButton');
    var triangle = button.find('.playTriangle')[0];
    var square = button.find('.stopSquare')[0];
    assert.equal(triangle, timeline.playTriangle);
    assert.equal(square, timeline.stopSquare);
    assert.deepEqual([triangle.sides(), triangle.radius(), triangle.rotation()], [3, H / 2 - 5, 90]);
    assert.deepEqual([square.sides(), square.radius(), square.rotation()], [4, H / 2 - 5, 45]);
    assert.deepEqual([triangle.fill(), triangle.stroke(), triangle.strokeWidth()], ['lime', 'black', 1]);
    assert.deepEqual([square.fill(), square.stroke(), square.strokeWidth()], ['red', 'black', 1]);
    assert.equal(triangle.listening(), false);
    assert.equal(square.listening(), false);
    assert.equal(square.visible(), false);
    var centre = triangle.getAbsolutePosition();
    assert.deepEqual([centre.x, centre.y], [H / 2, H / 2], 'centred in the button');
});

test('the add-frame button is a white ringed circle with the plus icon', function (done) {
    var timeline = pageShell.timeline;
    var button = one(timeline, 'addFrameButton');
    var circle = button.getChildren().filter(function (n) { return n.className === 'Circle'; })[0];
    assert.deepEqual([circle.radius(), circle.fill(), circle.stroke(), circle.strokeWidth()],
        [10, 'white', 'black', 1]);
    assert.equal(circle.listening(), false);
    var icon = button.find('.iconGroup')[0];
    assert.equal(icon.scaleX(), 0.25);
    waitFor('the plus icon', function () { return icon.getChildren().length === 1; }, done, function () {
        assert.ok(/icons\/plus64\.png$/.test(icon.getChildren()[0].image().src));
        var centre = icon.getAbsolutePosition();
        assert.deepEqual([centre.x, centre.y], [H + 60 + 2 + 10, H / 2], 'centred');
        done();
    });
});

test('the remove-frame and caption buttons show their icons at their scales', function (done) {
    var timeline = timelineFor(done, 1000, H);
    timeline.updateFrameSettings(2, 0);
    var remove = one(timeline, 'remFrameButton').find('.iconGroup')[0];
    var caption = one(timeline, 'addCaptionButton').find('.iconGroup')[0];
    assert.equal(remove.scaleX(), 0.28);
    assert.equal(caption.scaleX(), 0.25);
    waitFor('the icons', function () {
        return remove.getChildren().length === 1 && caption.getChildren().length === 1;
    }, done, function () {
        assert.ok(/icons\/deleteFrame\.png$/.test(remove.getChildren()[0].image().src));
        assert.ok(/icons\/addCaption\.png$/.test(caption.getChildren()[0].image().src));
        assert.equal(remove.getAbsolutePosition().x, 910 + H / 2);
        assert.equal(caption.getAbsolutePosition().x, 955 + H / 2);
        done();
    });
});

// ---- Clicks -------------------------------------------------------------------

test('clicks on the strip raise the events of the element under the pointer', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(4, 1);
        settle(timeline);
        var y = H / 2;
        var cases = [
            [H + 30, [['selectedFrame', { frameNumber: 0 }]]],
            [H + 60 + 5, [['selectedFrame', { frameNumber: 1 }]]],
            [H + 120 + 2 + 10, [['addFrame', {}]]],
            [H + 120 + 24 + 30, [['selectedFrame', { frameNumber: 2 }]]],
            [H + 240 + 24 - 1, [['selectedFrame', { frameNumber: 3 }]]],
            [910 + 20, [['removeFrame', {}]]],
            [955 + 20, [['addFrameCaption', {}]]],
            [H / 2, [['play', {}]]],
            [600, []]
        ];
        cases.forEach(function (c) {
            var raised = eventsRaisedBy(function () { clickAt(timeline.stage, c[0], y); });
            assert.deepEqual(raised, c[1], 'click at x = ' + c[0]);
        });
    });
});

test('clicking the box of the frame already selected still raises selectedFrame', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(3, 2);
        settle(timeline);
        var raised = eventsRaisedBy(function () { clickAt(timeline.stage, H + 120 + 10, H / 2); });
        assert.deepEqual(raised, [['selectedFrame', { frameNumber: 2 }]]);
    });
});

test('a tap on each element raises the same event as a click', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(3, 0);
        var expected = [
            ['playButton', ['play', {}]],
            ['addFrameButton', ['addFrame', {}]],
            ['remFrameButton', ['removeFrame', {}]],
            ['addCaptionButton', ['addFrameCaption', {}]]
        ];
        expected.forEach(function (e) {
            var group = one(timeline, e[0]);
            assert.deepEqual(eventsRaisedBy(function () { group.fire('tap'); }), [e[1]], e[0]);
        });
        boxes(timeline).forEach(function (box, i) {
            assert.deepEqual(eventsRaisedBy(function () { box.fire('tap'); }),
                [['selectedFrame', { frameNumber: i }]], 'box ' + i);
        });
    });
});

test('the play button raises stop while the square shows and play otherwise', function () {
    withTimeline(1000, H, function (timeline) {
        function press() {
            settle(timeline);
            return eventsRaisedBy(function () { clickAt(timeline.stage, H / 2, H / 2); });
        }
        assert.deepEqual(press(), [['play', {}]], 'stopped');
        timeline.playbackStarted();
        assert.deepEqual(press(), [['stop', {}]], 'playing');
        timeline.playbackStopped();
        timeline.updateFrameSettings(1, 0);
        assert.deepEqual(press(), [['play', {}]], 'stopped again');
        // The square decides, not the triangle.
        timeline.stopSquare.visible(true);
        assert.deepEqual(press(), [['stop', {}]], 'square shown by hand');
    });
});

// ---- Playing look and progress ------------------------------------------------

test('playback hides the frames and buttons and shows the stop square', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(5, 2);
        timeline.playbackStarted();
        assert.ok(isPlayingLook(timeline));
        assert.equal(timeline.isPlaying, true);
        assert.ok(timeline.group.getChildren()[0].isVisible(), 'the background stays');
        settle(timeline);
        [H + 30, H + 120 + 2 + 10, 910 + 20, 955 + 20].forEach(function (x) {
            assert.deepEqual(eventsRaisedBy(function () { clickAt(timeline.stage, x, H / 2); }), [],
                'nothing to click at x = ' + x);
        });
    });
});

test('progress reported in the stopped look changes nothing', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updatePlaybackIndicator(50);
        assert.equal(named(timeline, 'playbackProgressRect').length, 0);
        assert.ok(isStoppedLook(timeline));
        timeline.updateFrameSettings(2, 1);
        assert.equal(named(timeline, 'playbackProgressRect').length, 0, 'nor comes back later');
    });
});

test('the progress bar runs from the play button to 5 pixels short of the end', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.playbackStarted();
        [[0, 0], [50, 472.5], [100, 945]].forEach(function (c) {
            timeline.updatePlaybackIndicator(c[0]);
            var bars = named(timeline, 'playbackProgressRect');
            assert.equal(bars.length, 1, 'one bar at ' + c[0] + ' percent');
            assert.deepEqual([bars[0].x(), bars[0].y(), bars[0].height()], [50, 5, 35]);
            assert.close(bars[0].width(), c[1], 1e-9, c[0] + ' percent');
            assert.equal(bars[0].fill(), 'blue');
        });
        var bar = named(timeline, 'playbackProgressRect')[0];
        assert.close(bar.x() + bar.width(), 1000 - 5, 1e-9, 'full bar ends at w - pad');
        assert.ok(isPlayingLook(timeline), 'still playing');
    });
});

test('a resize during playback keeps the playing look and the bar at its percent', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(4, 1);
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(40);
        timeline.updateBounds(800, H);
        assert.deepEqual([timeline.stage.width(), timeline.group.width()], [800, 800]);
        assert.equal(timeline.group.getChildren()[0].width(), 800, 'background');
        assert.ok(isPlayingLook(timeline), 'still offers stop');
        var bars = named(timeline, 'playbackProgressRect');
        assert.equal(bars.length, 1);
        assert.close(bars[0].width(), (795 - 50) * 0.4, 1e-9, 'bar refitted at 40 percent');
        settle(timeline);
        assert.deepEqual(eventsRaisedBy(function () { clickAt(timeline.stage, H / 2, H / 2); }),
            [['stop', {}]]);
        timeline.updatePlaybackIndicator(60);
        assert.close(named(timeline, 'playbackProgressRect')[0].width(), 745 * 0.6, 1e-9, 'and moves on');
    });
});

test('a frame refresh during playback keeps the playing look too', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(25);
        timeline.updateFrameSettings(6, 4);
        assert.ok(isPlayingLook(timeline));
        assert.equal(boxes(timeline).length, 6, 'the hidden boxes follow the new settings');
        assert.close(named(timeline, 'playbackProgressRect')[0].width(), 945 / 4, 1e-9);
    });
});

test('after playbackStopped, the next refresh brings back the stopped look without a bar', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(4, 0);
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(90);
        timeline.playbackStopped();
        assert.ok(isPlayingLook(timeline), 'playbackStopped alone changes nothing on screen');
        assert.equal(named(timeline, 'playbackProgressRect').length, 1);
        timeline.updateFrameSettings(4, 3);
        assert.equal(timeline.isPlaying, false);
        assert.ok(isStoppedLook(timeline));
        assert.equal(named(timeline, 'playbackProgressRect').length, 0, 'the bar is gone');
        assert.equal(fillOf(boxes(timeline)[3]), 'lime', 'the frame playback stopped on is selected');
        timeline.updatePlaybackIndicator(95);
        assert.equal(named(timeline, 'playbackProgressRect').length, 0, 'late progress ignored');
        timeline.updateBounds(900, H);
        assert.ok(isStoppedLook(timeline), 'a resize now keeps the stopped look');
    });
});

test('a new playback starts without the last one\'s bar', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.playbackStarted();
        timeline.updatePlaybackIndicator(70);
        timeline.playbackStopped();
        timeline.updateFrameSettings(1, 0);
        timeline.playbackStarted();
        assert.equal(named(timeline, 'playbackProgressRect').length, 0);
        timeline.updateBounds(1000, H);
        assert.equal(named(timeline, 'playbackProgressRect').length, 0, 'not even after a resize');
    });
});

// ---- Highlight ----------------------------------------------------------------

test('the pointer over a frame box highlights it as a 2-pixel border around its colour', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(3, 0);
        settle(timeline);
        var all = boxes(timeline);
        pointerEvent(timeline.stage, 'mousemove', H + 120 + 24 + 30, 20);
        assert.deepEqual(all.map(highlightOpacity), [0, 0, 1], 'box 2 highlighted');
        var box = all[2];
        var highlight = box.find('.buttonRect')[0];
        var colour = box.find('.frameRect')[0];
        assert.deepEqual([highlight.fill(), highlight.stroke(), highlight.strokeWidth()], ['yellow', '#459A00', 2]);
        assert.deepEqual(rectOf(highlight).slice(2), [60, H], 'the highlight covers the button');
        assert.ok(colour.getZIndex() > highlight.getZIndex(), 'the colour lies over it');
        assert.deepEqual([colour.width(), colour.height()], [56, H - 4], 'leaving 2 pixels all round');

        pointerEvent(timeline.stage, 'mousemove', H + 10, 20);
        assert.deepEqual(all.map(highlightOpacity), [1, 0, 0], 'moved to box 0');
        pointerEvent(timeline.stage, 'mousemove', 600, 20);
        assert.deepEqual(all.map(highlightOpacity), [0, 0, 0], 'left the boxes');
    });
});

test('the buttons highlight under the pointer too', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(2, 0);
        settle(timeline);
        [['playButton', 20], ['addFrameButton', H + 60 + 12], ['remFrameButton', 930],
            ['addCaptionButton', 975]].forEach(function (c) {
            var group = one(timeline, c[0]);
            pointerEvent(timeline.stage, 'mousemove', c[1], 20);
            assert.equal(highlightOpacity(group), 1, c[0] + ' hovered');
            pointerEvent(timeline.stage, 'mousemove', 600, 20);
            assert.equal(highlightOpacity(group), 0, c[0] + ' left');
        });
    });
});

// ---- Misuse -------------------------------------------------------------------

test('impossible sizes, frame settings and progress are refused', function () {
    assert.throws(function () { return new Timeline(0, H); }, /width and height/);
    assert.throws(function () { return new Timeline(1000, 'tall'); }, /width and height/);
    withTimeline(1000, H, function (timeline) {
        assert.throws(function () { timeline.updateBounds(-5, H); }, /width and height/);
        assert.throws(function () { timeline.updateFrameSettings(0, 0); }, /nFrames/);
        assert.throws(function () { timeline.updateFrameSettings(2.5, 0); }, /nFrames/);
        assert.throws(function () { timeline.updateFrameSettings('3', 0); }, /nFrames/);
        assert.throws(function () { timeline.updateFrameSettings(3, 3); }, /selectedFrame/);
        assert.throws(function () { timeline.updateFrameSettings(3, -1); }, /selectedFrame/);
        assert.deepEqual([timeline.nFrames, timeline.selectedFrame], [1, 0], 'settings kept');
        assert.equal(boxes(timeline).length, 1);
        timeline.playbackStarted();
        assert.throws(function () { timeline.updatePlaybackIndicator('half'); }, /percent/);
        assert.throws(function () { timeline.updatePlaybackIndicator(NaN); }, /percent/);
    });
});

test('every timeline button says what it does; the play button says stop while playing', function () {
    withTimeline(1000, H, function (timeline) {
        timeline.updateFrameSettings(3, 1);
        var tips = [timeline.playButton, timeline.addFrameButton, timeline.remFrameButton, timeline.addCaptionButton]
            .map(function (b) { return b.tooltip; });
        assert.deepEqual(tips, ['Play the drill (Space)', 'Add a frame after this one', 'Remove this frame',
            'Caption this frame']);
        assert.deepEqual(timeline.frameButtons.map(function (b) { return b.tooltip; }), ['Frame 1', 'Frame 2', 'Frame 3']);
        timeline.playbackStarted();
        assert.equal(timeline.playButton.tooltip, 'Stop (Space)');
        timeline.updateBounds(900, H);
        assert.equal(timeline.playButton.tooltip, 'Stop (Space)', 'a rebuild while playing still offers stop');
        timeline.playbackStopped();
        timeline.updateFrameSettings(3, 1);
        assert.equal(timeline.playButton.tooltip, 'Play the drill (Space)');
    });
});
