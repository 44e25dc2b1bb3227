// Playback (playbackManager.js) on the editor's own animation, driven through
// the page shell as the user drives it: play and stop on the timeline, and
// the loop's ticks raising drawFrame. The loop runs on a fake clock: while a
// test runs, every Kinetic.Animation started does not run by itself, and
// the test calls its tick with the times it wants.

var animation = pageShell.animation;
var fm = animation.frameManager;
var pm = animation.playbackManager;
var layer = animation.animLayer;
var timeline = pageShell.timeline;

// ---- The fake clock -------------------------------------------------------

var RealAnimation = Kinetic.Animation;
var startedLoops = [];

// Kinetic.Animation as it is, except that start() only records the loop.
// A layer's own batch-drawing loop still runs. Kinetic's bookkeeping
// (static members) goes through to the real one.
function FakeAnimation(func, layers) {
    var anim = new RealAnimation(func, layers);
    anim.start = function () {
        var drawn = anim.getLayers()[0];
        if (drawn && drawn.batchAnim === anim) {
            RealAnimation.prototype.start.call(anim);
            return;
        }
        startedLoops.push(anim);
    };
    return anim;
}
Object.keys(RealAnimation).forEach(function (key) {
    Object.defineProperty(FakeAnimation, key, {
        get: function () { return RealAnimation[key]; },
        set: function (value) { RealAnimation[key] = value; }
    });
});
FakeAnimation.prototype = RealAnimation.prototype;

function useFakeClock(done) {
    startedLoops = [];
    Kinetic.Animation = FakeAnimation;
    var cleanup = function () {
        Kinetic.Animation = RealAnimation;
        pm.stop();
        myDispatchEvent('newAnimation', {});
    };
    if (done) {
        done.cleanup(cleanup);
    }
    return cleanup;
}

function withFakeClock(body) {
    var cleanup = useFakeClock();
    try {
        body();
    } finally {
        cleanup();
    }
}

// One tick of the running loop at `time` ms after its start, as the display
// refresh would give it, followed by the layer redraw the loop does.
function tick(time) {
    var loop = startedLoops[startedLoops.length - 1];
    assert.ok(loop, 'a loop was started');
    if (loop.func.call(loop, { time: time }) !== false) {
        layer.draw();
    }
}

// ---- The animation played --------------------------------------------------

// Four frames: a person walking along y = 0.5 and turning, a ball and a
// fixed cone; one caption per frame.
function fourFrames() {
    return {
        objects: [
            { type: 'person', id: 1, scale: 0.2, text: '', shortLabel: '', z: 1, color: 'red', frames: [
                { x: 0.1, y: 0.5, rotation: 350 }, { x: 0.3, y: 0.5, rotation: 10 },
                { x: 0.5, y: 0.5, rotation: 90 }, { x: 0.7, y: 0.5, rotation: 60 }] },
            { type: 'gaaBall', id: 2, scale: 0.11, text: '', shortLabel: '', z: 2, color: 'white', frames: [
                { x: 0.2, y: 0.2, rotation: 0 }, { x: 0.2, y: 0.4, rotation: 0 },
                { x: 0.2, y: 0.6, rotation: 0 }, { x: 0.2, y: 0.8, rotation: 0 }] },
            { type: 'cone', id: 3, scale: 0.15, text: '', shortLabel: '', z: 3, color: 'orange', frames: [
                { x: 0.9, y: 0.1, rotation: 30 }, { x: 0.9, y: 0.1, rotation: 30 },
                { x: 0.9, y: 0.1, rotation: 30 }, { x: 0.9, y: 0.1, rotation: 30 }] }
        ],
        selectedFrame: 0,
        nFrames: 4,
        frameText: ['Start', 'Pass', 'Run', 'Finish']
    };
}

// Loads `settings` into the editor, shows `frame` and refreshes the
// timeline, as choosing that frame on the timeline does.
function load(settings, frame) {
    fm.loadSettings(settings);
    myDispatchEvent('selectedFrame', { frameNumber: frame || 0 });
}

function shown(id) {
    var item = layer.childWithId(id).getFieldItem().group;
    return { x: item.x() / layer.layerWidth, y: item.y() / layer.layerHeight, rotation: item.rotation() };
}

function closeState(actual, expected, message) {
    assert.close(actual.x, expected.x, 1e-9, message + ' x');
    assert.close(actual.y, expected.y, 1e-9, message + ' y');
    assert.close(actual.rotation, expected.rotation, 1e-9, message + ' rotation');
}

function model() {
    return JSON.stringify([fm.objects, fm.nFrames, fm.frameText]);
}

// Runs `body` and returns the page events of playback raised meanwhile,
// each as [name, detail], in the order this test hears them: the shell's
// handler of drawFrame runs first, so the events it raises in turn come
// before drawFrame itself.
var PLAYBACK_EVENTS = ['disableNonTimelineControls', 'drawFrame', 'updateTimelineProgress', 'playbackEnded',
    'enableControls'];
function eventsRaisedBy(body) {
    return eventsRaisedDuring(PLAYBACK_EVENTS, body);
}

function names(raised) {
    return raised.map(function (e) { return e[0]; });
}

function play() {
    timeline.layer.draw();
    clickAt(timeline.stage, 45 / 2, 45 / 2);
}

function timelineLook() {
    return {
        square: timeline.stopSquare.isVisible(),
        boxes: timeline.group.find('.frameButton').map(function (b) { return b.isVisible(); }),
        selected: timeline.selectedFrame
    };
}

// ---- Starting ----------------------------------------------------------------

test('play saves the frame, deselects the items, silences all but the timeline and starts a loop on the layer', function () {
    withFakeClock(function () {
        load(fourFrames(), 1);
        var person = layer.childWithId(1);
        person.selectFunc(true);
        person.updatePosition(layer.pixelPos({ x: 0.35, y: 0.45 }), 20);
        var raised = eventsRaisedBy(play);
        assert.deepEqual(names(raised), ['disableNonTimelineControls']);
        closeState(fm.objectForFrame(1, 1), { x: 0.35, y: 0.45, rotation: 20 }, 'the move was saved first');
        assert.equal(person.isSelected, false, 'deselected');
        assert.equal(person.find('.scaleControl')[0].visible(), false, 'its controls hidden');
        assert.deepEqual([layer.isListening(), animation.bgLayer.isListening(), pageShell.toolbar.layer.isListening(),
            pageShell.itemPicker.layer.isListening(), timeline.layer.isListening()], [false, false, false, false, true]);
        assert.equal(timelineLook().square, true, 'the timeline offers stop');
        assert.deepEqual([pm.startFrame, pm.currentPlaybackFrame, pm.isPlaying], [1, 1, true]);
        assert.equal(startedLoops.length, 1);
        assert.equal(pm.anim, startedLoops[0]);
        assert.deepEqual(pm.anim.getLayers(), [layer], 'the loop redraws the animation layer');
    });
});

test('each tick raises drawFrame with the loop\'s time, and the shell has the items drawn at that time', function () {
    withFakeClock(function () {
        load(fourFrames(), 0);
        play();
        var before = model();
        var groups = layer.itemGroups();
        var raised = eventsRaisedBy(function () { tick(250); });
        assert.deepEqual(raised, [['updateTimelineProgress', { percent: 250 / 3000 * 100 }],
            ['drawFrame', { time: 250 }]]);
        closeState(shown(1), { x: 0.15, y: 0.5, rotation: -5 }, 'the person a quarter of the way');
        closeState(shown(2), { x: 0.2, y: 0.25, rotation: 0 }, 'the ball');
        closeState(shown(3), { x: 0.9, y: 0.1, rotation: 30 }, 'the fixed cone does not move');
        assert.equal(layer.getFrameText(), 'Start');
        assert.deepEqual(layer.itemGroups(), groups, 'the groups are moved, not rebuilt');
        var bar = timeline.group.find('.playbackProgressRect')[0];
        assert.close(bar.width(), (1265 - 50) / 100 * (250 / 3000 * 100), 1e-9, 'the progress bar follows');
        assert.equal(model(), before, 'nothing is saved while playing');
        var text = layer.childWithId(1).shortLabelText.text;
        assert.close(text.x(), layer.childWithId(1).getFieldItem().group.x(), 1e-9, 'its texts move with it');
    });
});

test('a turn from 350 to 10 degrees goes 20 degrees through 0, and back the same short way', function () {
    withFakeClock(function () {
        load(fourFrames(), 0);
        play();
        [[0, -10], [250, -5], [500, 0], [750, 5]].forEach(function (step) {
            tick(step[0]);
            assert.close(shown(1).rotation, step[1], 1e-9, 'at ' + step[0] + ' ms');
        });
        assert.equal(PlaybackManager.interpolateRotation(10, 350, 0.25), 5, '10 to 350 backwards through 0');
        assert.equal(PlaybackManager.interpolateRotation(90, 60, 0.5), 75, 'an ordinary turn');
        assert.equal(PlaybackManager.interpolateRotation(-170, 170, 0.5), -180, 'the short way across 180');
    });
});

test('at exactly 2000 ms from frame 0 of 4, frame 2 shows exactly, with its caption and running lines', function () {
    withFakeClock(function () {
        load(fourFrames(), 0);
        play();
        tick(0);
        tick(2000);
        closeState(shown(1), { x: 0.5, y: 0.5, rotation: 90 }, 'the person');
        closeState(shown(2), { x: 0.2, y: 0.6, rotation: 0 }, 'the ball');
        assert.equal(layer.getFrameText(), 'Run');
        var lines = layer.childWithId(2).runningLines.lines;
        var W = layer.layerWidth;
        var H = layer.layerHeight;
        function ends(line) { return line.points().map(function (v) { return Math.round(v * 1e6) / 1e6; }); }
        function px(x, y) { return [Math.round(x * W * 1e6) / 1e6, Math.round(y * H * 1e6) / 1e6]; }
        assert.deepEqual(ends(lines[0]), px(0.2, 0.4).concat(px(0.2, 0.6)), 'from frame 1');
        assert.deepEqual(ends(lines[1]), px(0.2, 0.6).concat(px(0.2, 0.8)), 'to frame 3');
        assert.deepEqual(lines.map(function (l) { return l.visible(); }), [true, true, false], 'no frame 4');
        assert.equal(pm.currentPlaybackFrame, 2);
    });
});

test('entering a frame between ticks brings its running lines along', function () {
    withFakeClock(function () {
        load(fourFrames(), 0);
        play();
        tick(900);
        var first = layer.childWithId(2).runningLines.lines[1].points().slice();
        tick(1100);
        assert.equal(pm.currentPlaybackFrame, 1);
        var lines = layer.childWithId(2).runningLines.lines;
        assert.notEqual(JSON.stringify(lines[1].points()), JSON.stringify(first));
        assert.close(lines[1].points()[1], 0.4 * layer.layerHeight, 1e-9, 'frame 1 to frame 2');
        assert.equal(lines[0].visible(), true, 'with frame 0 behind it');
    });
});

test('playing from frame 2 of 5 lasts 2 seconds and its progress starts at 50 percent', function () {
    withFakeClock(function () {
        var five = fourFrames();
        five.nFrames = 5;
        five.frameText.push('Cool-down');
        five.objects.forEach(function (record) {
            record.frames.push(record.frames[3]);
        });
        load(five, 2);
        play();
        var raised = eventsRaisedBy(function () { tick(0); });
        assert.deepEqual(raised[0], ['updateTimelineProgress', { percent: 50 }]);
        raised = eventsRaisedBy(function () { tick(1999); });
        assert.equal(names(raised).indexOf('playbackEnded'), -1, 'still playing just before 2 s');
        raised = eventsRaisedBy(function () { tick(2000); });
        assert.deepEqual(names(raised), ['playbackEnded', 'enableControls', 'drawFrame'], 'over at 2 s');
        assert.equal(fm.selectedFrame, 4);
    });
});

test('playing with the last frame selected starts at frame 0', function () {
    withFakeClock(function () {
        load(fourFrames(), 3);
        play();
        assert.deepEqual([fm.selectedFrame, pm.startFrame], [0, 0]);
        assert.equal(layer.getFrameText(), 'Start');
        closeState(shown(1), { x: 0.1, y: 0.5, rotation: 350 }, 'frame 0 shown');
    });
});

test('with one frame, play passes straight back: no loop, every control enabled, the stopped look', function () {
    withFakeClock(function () {
        cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
        myDispatchEvent('newAnimation', {});
        cppInterface.clearReplies();
        myDispatchEvent('addItem', { type: 'person', col1: 'default', col2: 'default', scale: 'default' });
        var raised = eventsRaisedBy(play);
        assert.deepEqual(names(raised), ['playbackEnded', 'enableControls']);
        assert.equal(startedLoops.length, 0);
        assert.equal(pm.isPlaying, false);
        assert.deepEqual(timelineLook(), { square: false, boxes: [true], selected: 0 });
        assert.deepEqual([layer.isListening(), animation.bgLayer.isListening(), pageShell.toolbar.layer.isListening()],
            [true, true, true]);
        assert.equal(fm.objects.length, 1, 'the frame was saved');
    });
});

// ---- Ending -----------------------------------------------------------------------

test('stopping after 1.5 s returns to the start frame, selected, with its items at their stored places', function () {
    withFakeClock(function () {
        load(fourFrames(), 1);
        var before = model();
        play();
        var loop = pm.anim;
        tick(0);
        tick(1500);
        closeState(shown(1), { x: 0.6, y: 0.5, rotation: 75 }, 'half-way from frame 2 to 3');
        var raised = eventsRaisedBy(play);
        assert.deepEqual(names(raised), ['playbackEnded', 'enableControls'], 'the play button now stops');
        assert.equal(fm.selectedFrame, 1);
        closeState(shown(1), { x: 0.3, y: 0.5, rotation: 10 }, 'the person back in frame 1');
        closeState(shown(2), { x: 0.2, y: 0.4, rotation: 0 }, 'the ball back in frame 1');
        assert.equal(layer.getFrameText(), 'Pass');
        assert.equal(model(), before, 'the model untouched');
        assert.deepEqual(timelineLook(), { square: false, boxes: [true, true, true, true], selected: 1 });
        assert.equal(timeline.group.find('.playbackProgressRect').length, 0);
        assert.equal(loop.isRunning(), false);
        assert.equal(pm.isPlaying, false);
        assert.deepEqual([layer.isListening(), animation.bgLayer.isListening()], [true, true], 'listening again');
    });
});

test('when the end is reached the last frame is selected, shown as stored, and the timeline shows it', function () {
    withFakeClock(function () {
        load(fourFrames(), 0);
        var before = model();
        play();
        tick(2500);
        var raised = eventsRaisedBy(function () { tick(3016); });
        assert.deepEqual(names(raised), ['playbackEnded', 'enableControls', 'drawFrame']);
        assert.equal(fm.selectedFrame, 3);
        closeState(shown(1), { x: 0.7, y: 0.5, rotation: 60 }, 'the person in the last frame');
        assert.equal(layer.getFrameText(), 'Finish');
        assert.equal(model(), before);
        assert.deepEqual(timelineLook(), { square: false, boxes: [true, true, true, true], selected: 3 });
        assert.equal(timeline.group.find('.frameButton')[3].find('.frameRect')[0].fill(), 'lime');
        assert.equal(pm.isPlaying, false);
        var raisedAfter = eventsRaisedBy(function () { myDispatchEvent('stop', {}); });
        assert.deepEqual(raisedAfter, [], 'a late stop is ignored');
        assert.equal(fm.selectedFrame, 3);
    });
});

test('every playback gets a loop of its own', function () {
    withFakeClock(function () {
        load(fourFrames(), 0);
        play();
        var first = pm.anim;
        play();
        play();
        assert.equal(startedLoops.length, 2);
        assert.notEqual(pm.anim, first);
        assert.equal(first.isRunning(), false);
    });
});

// ---- Resizing while playing ----------------------------------------------------------

test('a window resize during playback refits the view without saving, and the timeline keeps offering stop', function (done) {
    useFakeClock(done);
    done.cleanup(function () { pageTestHost.resizeViewport(1280, 800); });
    load(fourFrames(), 0);
    play();
    tick(500);
    var before = model();
    var between = shown(1);
    pageTestHost.resizeViewport(1000, 600);
    waitFor('the resize', function () { return animation.stage.width() === 845; }, done, function () {
        assert.equal(model(), before, 'the interpolated places were not saved');
        closeState(shown(1), between, 'the person kept its place on the pitch');
        assert.equal(timelineLook().square, true, 'the timeline still offers stop');
        assert.deepEqual(timelineLook().boxes, [false, false, false, false]);
        assert.equal(pm.isPlaying, true);
        var lines = layer.childWithId(2).runningLines.lines;
        assert.close(lines[1].points()[3], 0.4 * layer.layerHeight, 1e-9, 'running lines refitted too');
        tick(1000);
        closeState(shown(1), { x: 0.3, y: 0.5, rotation: 10 }, 'playback goes on at the new size');
        play();
        assert.equal(fm.selectedFrame, 0, 'stopped back at the start');
        closeState(shown(1), { x: 0.1, y: 0.5, rotation: 350 }, 'at its stored place');
        assert.equal(timelineLook().square, false);
        done();
    });
});

// ---- Misuse --------------------------------------------------------------------------------

test('drawFrame refuses a time that is not a number of milliseconds; the manager needs a frame model', function () {
    assert.throws(function () { pm.drawFrame(-1); }, /time/);
    assert.throws(function () { pm.drawFrame('500'); }, /time/);
    assert.throws(function () { return new PlaybackManager(null); }, /frame model/);
});
