// The frame model (FrameManager.js), the pitch view (Animation.js) and playback. An
// animation of a test's own is 1000 x 600: an 800 x 600 pitch at stage x 100.

function place(a, type, fx, fy) {
    var group = new FieldItemGroup(fx * 800, fy * 600, 0, 'default', type, 'default', 'default',
        a.frameManager.generateUniqueId(), '', '', a.animLayer.layerScale, a.animLayer.rotation());
    a.animLayer.add(group);
    return group;
}

// Where item `id` is shown, or stored in frame `f`, in fractions and degrees.
function where(a, id, f) {
    var s = f === undefined ? a.animLayer.childWithId(id).getProperties() : a.frameManager.objectForFrame(id, f);
    return [s.x, s.y, s.rotation].map(function (v) { return Math.round(v * 1e6) / 1e6; });
}

// Frames Start, Pass, Shot: a person (id 3, then 1) walking down, a ball (2), a fixed cone (3).
function threeFrames() {
    function down(x) { return [0.2, 0.5, 0.8].map(function (y, f) { return { x: x, y: y, rotation: f * 45 }; }); }
    return { nFrames: 3, selectedFrame: 1, frameText: ['Start', 'Pass', 'Shot'], objects: [
        itemRecord('person', 3, down(0.1), { z: 1 }), itemRecord('gaaBall', 7, down(0.5), { z: 3 }),
        itemRecord('cone', 9, down(0.9).map(function () { return { x: 0.9, y: 0.9, rotation: 0 }; }), { z: 2 })] };
}

test('the frame model: frames added and removed, fixed and new items, scaling, stacking and running lines', function () {
    withAnimations(1, function (a) {
        var fm = a.frameManager;
        var layer = a.animLayer;
        fm.loadSettings(threeFrames());
        assert.deepEqual([fm.objects.map(function (r) { return r.id; }), fm.idCounter, layer.getCaption(),
            layer.getChildren().toArray().slice(1).map(function (g) { return g.getAttr('id'); })], [[1, 2, 3], 3, 'Pass', [1, 3, 2]]);
        function lines() {
            var lines = layer.childWithId(1).runningLines;
            return [0, 1, 2].map(function (i) { return !!lines.segment(i) && lines.segment(i).points.map(Math.round); });
        }
        fm.updateRunningLines(0);
        assert.deepEqual(lines(), [false, [80, 120, 80, 300], [80, 300, 80, 480]], 'lines to the next two frames');
        fm.updateRunningLines(2);
        assert.deepEqual(lines(), [[80, 300, 80, 480], false, false], 'and from the one before');
        layer.childWithId(1).updatePosition(layer.pixelPos({ x: 0.4, y: 0.4 }), 15);
        layer.childWithId(3).updatePosition(layer.pixelPos({ x: 0.6, y: 0.1 }), 20);
        fm.addFrame();
        assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.frameText, where(a, 1, 1), where(a, 1, 2), where(a, 1, 3)],
            [4, 2, ['Start', 'Pass', '', 'Shot'], [0.4, 0.4, 15], [0.4, 0.4, 15], [0.1, 0.8, 90]], 'a copy of the frame, saved first');
        assert.deepEqual([where(a, 3, 0), where(a, 3, 3)], [[0.6, 0.1, 20], [0.6, 0.1, 20]], 'a cone moves in every frame');
        place(a, 'person', 0.5, 0.5);
        fm.loadFrame(0);
        assert.deepEqual([layer.itemGroups().length, where(a, 1)], [3, [0.1, 0.2, 0]], 'an unsaved item is gone on loading');
        var marker = place(a, 'marker', 0.3, 0.6).getAttr('id');
        layer.childWithId(2).selectFunc(true);
        fm.increaseSelectedScale();
        assert.deepEqual([where(a, marker, 3), Math.round(fm.findObject(2).scale * 1e9) / 1e9, fm.findObject(1).scale], [[0.3, 0.6, 0], 0.22, 0.2],
            'saved first: the new item in every frame; the selection alone scaled');
        for (var i = 0; i < 20; i++) { fm.increaseSelectedScale(); }
        fm.decreaseSelectedScale();
        assert.close(fm.findObject(2).scale, 0.25 / 1.1, 1e-12, 'stopped at the type\'s largest');
        // [frame selected, frames left, frame then selected, captions left]
        [[0, 3, 0, ['Pass', '', 'Shot']], [2, 2, 1, ['Pass', '']], [1, 1, 0, ['Pass']], [0, 1, 0, ['Pass']]].forEach(function (row) {
            fm.loadFrame(row[0]);
            fm.removeSelectedFrame();
            assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.frameText, layer.getCaption()], row.slice(1).concat(row[3][row[2]]),
                'removing frame ' + row[0]);
            fm.objects.forEach(function (r) { assert.equal(r.frames.length, fm.nFrames, 'states of ' + r.id); });
        });
        layer.childWithId(2).selectFunc(true);
        fm.removeSelectedObjects();
        fm.addFrame();
        assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [1, 3, marker], 'a deleted item stays deleted');
        assert.throws(function () { fm.loadFrame(2); }, /frame index/);
        fm.clearAnimation();
        assert.deepEqual([fm.nFrames, fm.idCounter, fm.objects.length, layer.itemGroups().length], [1, 0, 0, 0]);
    });
});

test('the pitch: turns accumulate, items keep their places, new ones stand upright on screen; the rubber band', function () {
    withAnimations(1, function (a) {
        var person = place(a, 'person', 0.25, 0.25);
        var seen = [90, 90, 90, 90, -90, -90, -90, -90, -90].map(function (turn) {
            a.rotateEntireAnimation(turn);
            var added = a.addItem('cone', 'default', 'default', 'default');
            var upright = (added.getFieldItem().group.rotation() + a.animLayer.rotation()) % 360 === 0;
            a.frameManager.removeObject(added.getAttr('id'));
            added.destroy();
            return [a.animLayer.rotation(), a.bgLayer.rotation(), a.isRotated, upright];
        });
        assert.deepEqual(seen.map(function (s) { return s[0]; }), [90, 180, 270, 360, 270, 180, 90, 0, -90]);
        seen.forEach(function (s) { assert.deepEqual(s.slice(1), [s[0], s[0] % 180 !== 0, true], 'turned ' + s[0]); });
        assert.deepEqual(where(a, person.getAttr('id')), [0.25, 0.25, 0], 'the person kept its place on the pitch');
        assert.throws(function () { a.rotateEntireAnimation(45); }, /multiples of 90/);
        a.rotateEntireAnimation(90);
        person.selectFunc(true);
        var inside = place(a, 'person', 0.2, 0.7);
        a.stage.draw();
        pointerEvent(a.stage, 'mousemove', 100 + 50, 400);
        pointerEvent(a.stage, 'mousedown', 100 + 50, 400);
        pointerEvent(a.stage, 'mousemove', 100 + 300, 700);
        var band = a.animLayer.find('.selectRectangle')[0];
        assert.deepEqual([band.x(), band.y(), band.width(), band.height()], [50, 400, 250, 200], 'the band stays on the pitch');
        pointerEvent(a.stage, 'mouseup', 100 + 300, 700);
        assert.deepEqual(a.animLayer.itemGroups().filter(function (g) { return g.isSelected; }).map(function (g) {
            return g.getAttr('id');
        }), [inside.getAttr('id')]);
    });
});

// Mended: a resize while the pitch did not listen left its hit canvas empty.
test('regression: after a resize while the pitch was deaf (playback, colour chooser), a click on it clears the selection', function (done) {
    var editor = pageShell.animation;
    var s = pageShell.sizes;
    var cases = ['disableNonTimelineControls', 'disableControls'];
    done.cleanup(function () { editor.updateBounds(s.animMaxWidth / 2, s.animMaxHeight / 2, s.animMaxWidth, s.animMaxHeight); });
    (function next() {
        var deafness = cases.shift();
        if (!deafness) {
            return done();
        }
        newDrill();
        var cone = addToEditor('cone');
        myDispatchEvent(deafness, {});
        editor.updateBounds(500, 300, 1000, 600);
        window.setTimeout(done.step(function () {
            myDispatchEvent('enableControls', {});
            clickAt(editor.stage, 500 - 370, 300 + 220);
            assert.equal(cone.isSelected, false, deafness);
            next();
        }), 100);
    }());
});

test('playback moves the items between frames the short way round without saving, and stops where it started', function () {
    var editor = pageShell.animation;
    var pm = editor.playbackManager;
    var layer = editor.animLayer;
    var drill = threeFrames();
    drill.objects[0].frames[0].rotation = 350;
    drill.objects[0].frames[1].rotation = 10;
    drill.selectedFrame = 0;
    openInEditor(drillText(drill));
    var text = editor.saveToString();
    layer.childWithId(1).selectFunc(true);
    myDispatchEvent('play', {});
    try {
        assert.deepEqual([pm.isPlaying, layer.childWithId(1).isSelected, layer.isListening(), pageShell.toolbar.layer.isListening(),
            pageShell.timeline.layer.isListening()], [true, false, false, false, true]);
        // [time, the person's place, caption, the moment the timeline's marker shows]
        [[0, [0.1, 0.2, -10], 'Start', 0], [250, [0.1, 0.275, -5], 'Start', 250], [1500, [0.1, 0.65, 50], 'Pass', 1500]]
            .forEach(function (row) {
                myDispatchEvent('drawFrame', { time: row[0] });
                assert.deepEqual([where(editor, 1), layer.getCaption(), pageShell.timeline.markerTime, where(editor, 3)],
                    row.slice(1).concat([[0.9, 0.9, 0]]), 'at ' + row[0] + ' ms; the cone stands still');
            });
        // Mended: a save while playing wrote the in-between places.
        assert.equal(editor.saveToString(), text, 'a save while playing writes the model\'s places');
        myDispatchEvent('stop', {});
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame, where(editor, 1), layer.isListening()],
            [false, 0, [0.1, 0.2, 350], true], 'back at the start frame, as stored');
        myDispatchEvent('selectedFrame', { frameNumber: 2 });
        myDispatchEvent('play', {});
        assert.deepEqual([pm.startFrame, layer.getCaption()], [0, 'Start'], 'from the last frame, playback starts at 0');
        pm.stop();
        newDrill();
        addToEditor('person');
        myDispatchEvent('play', {});
        assert.deepEqual([pm.isPlaying, pageShell.toolbar.layer.isListening()], [false, true], 'one frame plays straight back');
    } finally {
        pm.stop();
        openInEditor(NEW_DRILL);
    }
    // Against turning back a whole turn at a time, for angles many turns apart.
    function stepped(alpha, beta, fraction) {
        if (alpha > beta + 180) { while (alpha > beta) { alpha -= 360; } }
        if (beta > alpha + 180) { while (beta > alpha) { beta -= 360; } }
        return alpha * (1 - fraction) + beta * fraction;
    }
    [[350, 10, 0.5], [10, 350, 0.25], [180, 0, 0.5], [181, 0, 1], [-170, 170, 0.5], [1e6, 0, 0.5], [-1e6, 1e6, 0.75],
        [999999.5, -0.25, 0.3]].forEach(function (row) {
        assert.equal(PlaybackManager.interpolateRotation(row[0], row[1], row[2]), stepped(row[0], row[1], row[2]), row.join());
    });
});

// The drill's time is counted by the steps' own durations: a moment lands in the step that holds it,
// at its share of that step, whatever the machine's speed (each moment is drawn as a tick would).
test('playback follows held steps: a moment lands in its step and fraction, from the first frame or a later one', function () {
    var editor = pageShell.animation;
    var pm = editor.playbackManager;
    var layer = editor.animLayer;
    var drill = threeFrames();
    drill.selectedFrame = 0;
    drill.frameDurations = [500, 2000];
    openInEditor(drillText(drill));
    try {
        myDispatchEvent('play', {});
        // [time, the person's place, caption, the moment the timeline's marker shows]
        [[0, [0.1, 0.2, 0], 'Start', 0], [250, [0.1, 0.35, 22.5], 'Start', 250], [500, [0.1, 0.5, 45], 'Pass', 500],
            [1000, [0.1, 0.575, 56.25], 'Pass', 1000], [2000, [0.1, 0.725, 78.75], 'Pass', 2000]].forEach(function (row) {
            myDispatchEvent('drawFrame', { time: row[0] });
            assert.deepEqual([where(editor, 1), layer.getCaption(), pageShell.timeline.markerTime], row.slice(1),
                'at ' + row[0] + ' ms');
        });
        var ended = eventsRaisedDuring(['playbackEnded'], function () { myDispatchEvent('drawFrame', { time: 2500 }); });
        assert.deepEqual([ended.length, pm.isPlaying, editor.frameManager.selectedFrame, pageShell.timeline.selectedFrame],
            [1, false, 2, 2], 'over after 2.5 s, the last frame selected');
        myDispatchEvent('selectedFrame', { frameNumber: 1 });
        myDispatchEvent('play', {});
        myDispatchEvent('drawFrame', { time: 1000 });
        assert.deepEqual([where(editor, 1), layer.getCaption(), pageShell.timeline.markerTime], [[0.1, 0.65, 67.5], 'Pass', 1500],
            'from frame 2, a second in is half-way through its step of two');
    } finally {
        pm.stop();
        openInEditor(NEW_DRILL);
    }
    // A video's pictures: each step gets its share at 15 a second, the first on its frame exactly.
    var times = FrameTiming.pictureTimes([500, 2000, 1000], 15);
    assert.deepEqual([times.length, times[8], times[38], times[53], times[1], times[9]], [54, 500, 2500, 3500, 62.5, 500 + 2000 / 30]);
});

test('playback draws each label and short label where and as a direct draw does, on a turned pitch too', function () {
    var layer = pageShell.animation.animLayer;
    var drill = threeFrames();
    drill.objects[0].text = 'Left back';
    drill.objects[0].shortLabel = drill.objects[1].text = '7';
    var canvas = layer.getCanvas();
    function picture() {
        return layer.drawScene() && canvas.getContext()._context.getImageData(0, 0, canvas.width, canvas.height).data;
    }
    // How much text `t` changes the picture from `bare` around it, and the centre of weight of that change.
    function ink(t, pic, bare) {
        var m = t.getAbsoluteTransform(), o = m.point({ x: 0, y: 0 }), far = m.point({ x: t.width(), y: t.height() }), sum = [0, 0, 0];
        for (var y = Math.floor(Math.min(o.y, far.y)) - 3; y < Math.max(o.y, far.y) + 3; y++) {
            for (var x = Math.floor(Math.min(o.x, far.x)) - 3; x < Math.max(o.x, far.x) + 3; x++) {
                for (var k = 4 * (y * canvas.width + x), d = 0, c = 0; c < 4; c++) { d += Math.abs(pic[k + c] - bare[k + c]); }
                sum = [sum[0] + d, sum[1] + d * x, sum[2] + d * y];
            }
        }
        return [sum[0], sum[1] / sum[0], sum[2] / sum[0]];
    }
    try {
        [0, 90, 270].forEach(function (turn) {
            drill.rotation = turn;
            openInEditor(drillText(drill));
            myDispatchEvent('play', {});
            myDispatchEvent('drawFrame', { time: 734 });
            var played = layer.drawScene() && picture();
            var texts = layer.find('Text').toArray().filter(function (t) { return t.text() && t.name() !== 'frameText'; });
            assert.ok(texts.length === 3 && texts.every(function (t) { return t.lookBitmap; }), 'playing, turned ' + turn);
            layer.itemGroups().forEach(function (g) { g.drawTextsFromBitmaps(false); });
            var direct = picture();
            var bare = texts.forEach(function (t) { t.visible(false); }) || picture();
            texts.forEach(function (t) {
                t.visible(true);
                var a = ink(t, played, bare), b = ink(t, direct, bare), what = t.text() + ' turned ' + turn + ': ' + a + ' for ' + b;
                assert.ok(b[0] > 0 && Math.abs(a[0] / b[0] - 1) < 0.15 && Math.abs(a[1] - b[1]) <= 0.75 && Math.abs(a[2] - b[2]) <= 0.75, what);
            });
            myDispatchEvent('stop', {});
        });
    } finally {
        openInEditor(NEW_DRILL);
    }
});

// A key as the engine delivers it.
function pressKey(keyCode) {
    var evt = document.createEvent('Event');
    evt.initEvent('keydown', true, true);
    Object.defineProperty(evt, 'keyCode', { value: keyCode });
    document.body.dispatchEvent(evt);
}
var SPACE = 32;
var ESCAPE = 27;

// The three-frame drill opened at its first frame, the host's messages cleared: its text and the
// history's length then, against which playback control and scrubbing must change nothing.
function openThreeFramesAtFirst() {
    var drill = threeFrames();
    drill.selectedFrame = 0;
    openInEditor(drillText(drill));
    var opened = { text: pageShell.animation.saveToString(), steps: pageShell.history.length() };
    cppInterface.clearReceivedMessages();
    return opened;
}

// After playback control or scrubbing: no message, no undo step, and the drill as opened but for the frame on show.
function assertNoEdit(opened, frame) {
    assert.deepEqual([sent(), pageShell.history.length(), pageShell.animation.saveToString()],
        [[], opened.steps, opened.text.replace('"selectedFrame":0', '"selectedFrame":' + frame)], 'no message, no undo step, no change');
}

// Where the person stands in the editor, and the caption.
function shown() { return [where(pageShell.animation, 1), pageShell.animation.animLayer.getCaption()]; }

// The loop's ticks are played by hand (advance, which each tick calls with the real time
// elapsed), so that every moment below is one of animation time, whatever the machine.
test('playback control: Space pauses and resumes at the moment held; ½x takes twice as long; a loop wraps to the first frame; stop returns to the start; none is an edit', function () {
    var editor = pageShell.animation;
    var pm = editor.playbackManager;
    var timeline = pageShell.timeline;
    var opened = openThreeFramesAtFirst();
    function clickControl(button) {
        timeline.layer.draw();
        clickAt(timeline.stage, button.group.getAbsolutePosition().x + 10, 20);
    }
    // A clock that moves on 7 ms at every reading: a tick the loop ran of itself, at a start or a
    // resume, would show in every moment below.
    var realNow = window.performance.now;
    var clock = 0;
    window.performance.now = function () { clock += 7; return clock; };
    try {
        pressKey(SPACE);
        pm.advance(250);
        assert.deepEqual(shown(), [[0.1, 0.275, 11.25], 'Start'], 'a quarter of the way into the first step');
        pressKey(SPACE);
        pm.advance(400);
        assert.deepEqual([pm.isPlaying, pm.isPaused, shown()], [true, true, [[0.1, 0.275, 11.25], 'Start']],
            'paused, the moment is held through ticks');
        pressKey(SPACE);
        pm.advance(250);
        assert.deepEqual([pm.isPaused, shown()], [false, [[0.1, 0.35, 22.5], 'Start']], 'resumed from the moment held');
        // 1x -> 2x -> 1/2x
        clickControl(pageShell.playbackControls.speedButton);
        assert.equal(pm.speed, 2, 'the speed button goes on to 2x');
        clickControl(pageShell.playbackControls.speedButton);
        assert.deepEqual([pm.speed, pageShell.playbackControls.speedButton.text.text()], [0.5, '\u00bd\u00d7'],
            'and round to 1/2x, which it shows');
        pm.advance(500);
        assert.deepEqual(shown(), [[0.1, 0.425, 33.75], 'Start'], 'at 1/2x, 500 ms of real time play 250');
        pm.advance(500);
        assert.deepEqual(shown(), [[0.1, 0.5, 45], 'Pass'], 'the second frame, reached after twice the time');
        clickControl(pageShell.playbackControls.loopButton);
        assert.deepEqual([pm.loop, pageShell.playbackControls.loopButton.group.isSetPressed], [true, true], 'loop on');
        pm.advance(2500);
        assert.deepEqual([pm.isPlaying, shown()], [true, [[0.1, 0.275, 11.25], 'Start']],
            'past the end the loop goes on from the first frame');
        pressKey(ESCAPE);
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame, shown()], [false, 0, [[0.1, 0.2, 0], 'Start']],
            'stopped: back at the frame playback started from');
        clickControl(pageShell.playbackControls.loopButton);
        myDispatchEvent('play', {});
        pm.advance(5000);
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame], [false, 2], 'without the loop, the end stops');
        assertNoEdit(opened, 2);
    } finally {
        window.performance.now = realNow;
        pm.stop();
        myDispatchEvent('setPlaybackSpeed', { speed: 1 });
        if (pm.loop) { myDispatchEvent('toggleLoop', {}); }
        openInEditor(NEW_DRILL);
    }
});

// The buttons as a coach uses them; the loop's ticks are played by hand, as above.
test('playback buttons: play becomes pause, lit while paused; stop is live only while playing; the step buttons move ' +
    'a frame, with Shift a tenth of a second, holding the moment; none is an edit', function () {
    var editor = pageShell.animation;
    var pm = editor.playbackManager;
    var timeline = pageShell.timeline;
    var controls = pageShell.playbackControls;
    var opened = openThreeFramesAtFirst();
    function click(button, mods) {
        timeline.layer.draw();
        var at = button.group.getAbsolutePosition();
        clickAt(timeline.stage, at.x + 5, 20, mods);
    }
    function look() {
        return [timeline.pauseSign.isVisible() ? 'pause' : 'play', timeline.playButton.group.isSetPressed,
            timeline.playButton.tooltip, controls.stopButton.enabled];
    }
    function state() { return [pm.isPlaying, pm.isPaused].concat(shown()); }
    var realNow = window.performance.now;
    var clock = 0;
    window.performance.now = function () { clock += 7; return clock; };
    try {
        click(controls.stepButtons[1]);
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame], [false, 1], 'stopped: on a frame selects the next');
        click(controls.stepButtons[0]);
        click(controls.stepButtons[0]);
        click(controls.stopButton);
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame, look()],
            [false, 0, ['play', false, 'Play the drill (Space)', false]], 'back to the first and no further; stop faint, idle');
        click(timeline.playButton);
        pm.advance(250);
        assert.deepEqual([state(), look()], [[true, false, [0.1, 0.275, 11.25], 'Start'], ['pause', false, 'Pause (Space)', true]],
            'playing: the play button pauses');
        click(timeline.playButton);
        assert.deepEqual([state(), look()], [[true, true, [0.1, 0.275, 11.25], 'Start'], ['pause', true, 'Resume (Space)', true]],
            'paused: lit, offering to resume');
        // [button, held keys, where playback then stands]
        [[1, 'shift', [true, true, [0.1, 0.305, 15.75], 'Start']], [1, '', [true, true, [0.1, 0.5, 45], 'Pass']],
            [0, '', [true, true, [0.1, 0.2, 0], 'Start']], [0, 'shift', [true, true, [0.1, 0.2, 0], 'Start']]].forEach(function (row) {
            click(controls.stepButtons[row[0]], row[1]);
            assert.deepEqual([state(), look()[1]], [row[2], true], (row[0] ? 'on' : 'back') + ' ' + row[1] + ': held there');
        });
        click(timeline.playButton);
        pm.advance(500);
        assert.deepEqual(state(), [true, false, [0.1, 0.35, 22.5], 'Start'], 'resumed from the moment stepped to');
        click(controls.stopButton);
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame, look()],
            [false, 0, ['play', false, 'Play the drill (Space)', false]], 'stopped: back at the start');
        click(controls.stepButtons[1], 'shift');
        assert.deepEqual([state(), look()[1]], [[true, true, [0.1, 0.23, 4.5], 'Start'], true],
            'from a stopped drill, a tenth of a second on, paused');
        pressKey(ESCAPE);
        assertNoEdit(opened, 0);
    } finally {
        window.performance.now = realNow;
        pm.stop();
        openInEditor(NEW_DRILL);
    }
});

// A named player stands still while another walks up under its name. A full layout at each moment would move the
// name aside as soon as the walker reaches it; playing and scrubbing keep it where the step's first frame put it, and
// lay names out afresh at the next frame. Pictures for exports are laid out at each moment, as the editor's frame is.
// Mended: every picture of the video laid the names out afresh, so that a ball passing a player flipped his name to
// the other side and back within a fraction of a second.
// A still player "Left back"; a ball crossing under his name in step 1 (about a fifth of a second under it); a walker
// coming up under it in step 2, held two seconds, where it would stay hidden for about a second.
test('a name keeps its place through playback, scrubbing and the video while a ball passes under it, and moves at the ' +
    'start of a step where it would stay hidden longer; a frame\'s picture shows it as the editor does', function (done) {
    var editor = pageShell.animation;
    var pm = editor.playbackManager;
    var still = [0, 1, 2].map(function () { return { x: 0.5, y: 0.3, rotation: 0 }; });
    function drill(ballY) {
        var ball = [0.2, 0.8, 0.8].map(function (x) { return { x: x, y: ballY, rotation: 0 }; });
        var walker = [0.5, 0.5, 0.33].map(function (y) { return { x: 0.5, y: y, rotation: 0 }; });
        return drillText({ nFrames: 3, selectedFrame: 0, frameText: ['', '', ''], frameDurations: [1000, 2000], objects: [
            itemRecord('person', 1, still, { text: 'Left back' }), itemRecord('gaaBall', 2, ball),
            itemRecord('person', 3, walker)] });
    }
    // The ball's row goes through the middle of the name, as the editor first places it.
    openInEditor(drill(0.9));
    var home = editor.animLayer.childWithId(1).itemText.homeBox();
    var text = drill(editor.animLayer.relativePos({ x: 0, y: home.y + home.h / 2 }).y);
    // Where the name stands: 'below' its player, 'beside' him or 'elsewhere'.
    function side(animation) {
        var name = animation.animLayer.childWithId(1).itemText.text;
        var player = animation.animLayer.childWithId(1).getPosAbs();
        var corner = name.getTransform().point({ x: 0, y: 0 });
        return corner.x > player.x ? 'beside' : corner.y > player.y ? 'below' : 'elsewhere';
    }
    openInEditor(text);
    try {
        assert.equal(side(editor), 'below', 'the first frame, nothing in the way');
        myDispatchEvent('play', {});
        var played = [0, 450, 500, 550, 900, 1000, 1500, 2900].map(function (t) {
            myDispatchEvent('drawFrame', { time: t });
            editor.animLayer.drawScene();
            return side(editor);
        });
        assert.deepEqual(played, ['below', 'below', 'below', 'below', 'below', 'beside', 'beside', 'beside'],
            'playing: kept below as the ball passes, beside from the second step\'s start');
        pm.stop();
        var scrubbed = [1.5, 0.5, 0.2, 0.9, 1.2, 2, 0.5].map(function (p) {
            pm.scrubTo(p);
            return side(editor);
        });
        pm.endScrub();
        assert.deepEqual(scrubbed, ['beside', 'below', 'below', 'below', 'beside', 'beside', 'below'], 'scrubbed back and forth');
        editor.frameManager.loadFrame(1);
        assert.equal(side(editor), 'below', 'the editor\'s second frame: the walker not yet near');
        myDispatchEvent('play', {});
        myDispatchEvent('drawFrame', { time: 0 });
        editor.animLayer.drawScene();
        assert.equal(side(editor), 'beside', 'played from the second frame: as the drill played from the first has it');
    } finally {
        pm.stop();
        pm.endScrub();
        openInEditor(NEW_DRILL);
    }
    var generator = pageShell.imageGenerator;
    var sides = [];
    generator.loadAnimation(text);
    generator.configureAnimation(800, false, false, false);
    [500, 1500, 3000].forEach(function (t, i, times) {
        generator.getImage(t, done.step(function () {
            sides.push(side(generator.hiddenAnimation()));
            if (i === times.length - 1) {
                generator.getFrameImage(1, done.step(function () {
                    assert.deepEqual(sides.concat([side(generator.hiddenAnimation())]), ['below', 'beside', 'beside', 'below'],
                        'the video at 0.5 s, 1.5 s and the end; the second frame\'s picture as the editor shows it');
                    done();
                }));
            }
        }));
    });
}, 20000);

// While playing, running lines, names and the pictures of items standing still are drawn from bitmaps of themselves: they
// must show what drawing them shows, and every change at once (a bitmap made before it is stale).
test('while playing, running lines, still pictures and names show as drawn directly, and each change at once: the ' +
    'next frame\'s, a drag, recoloured, named, renamed, resized, turned, in print', function () {
    withAnimations(1, function (a) {
        a.loadFromString(drillText(threeFrames()));
        a.toggleRunningLines();
        var layer = a.animLayer;
        var person = layer.childWithId(1);
        var cone = layer.childWithId(3);
        var playback = a.playbackManager;
        // [items whose lines are drawn from a bitmap, those whose picture is]
        function held() {
            var groups = layer.itemGroups();
            return [groups.filter(function (g) { return g.runningLines.bitmap.isHeld(); }).length,
                groups.filter(function (g) { return g.getFieldItem().pictureBitmap.isHeld(); }).length];
        }
        playback.startFrame = 0;
        playback.drawForPlayback(true);
        playback.drawFrame(500);
        // A picture is drawn into a bitmap from its second draw as it was.
        layer.drawScene();
        assert.deepEqual([pixelsDifferingFromDirect(layer), held()], [0, [2, 3]],
            'the person\'s and the ball\'s lines (the cone has none), every picture');
        playback.drawFrame(600);
        assert.deepEqual([pixelsDifferingFromDirect(layer), held()], [0, [2, 1]], 'a tick on: only the cone stands still');
        // [what changes, how]
        [['the next frame\'s', function () { playback.drawFrame(1500); }],
            ['a drag', function () { person.moveBy({ x: 30, y: -20 }); }],
            ['recoloured', function () { person.setColor('yellow', 1); cone.setColor('blue', 1); }],
            ['named', function () { person.setLabel('Left back'); person.setShortLabel('7'); }],
            ['renamed', function () { person.setLabel('Right wing'); person.setShortLabel('1'); }],
            ['resized', function () { a.updateBounds(400, 250, 800, 500); }],
            ['turned', function () { a.rotateEntireAnimation(90); }],
            ['in print', function () { a.setDrawForPrint(true); }]].forEach(function (row) {
            row[1]();
            layer.drawScene();
            assert.deepEqual([pixelsDifferingFromDirect(layer), held()], [0, [2, 3]], row[0]);
        });
        var texts = [person.itemText.text, person.shortLabelText.text];
        assert.deepEqual(texts.map(function (t) { return [t.text(), !!t.lookBitmap]; }), [['Right wing', true], ['1', true]],
            'the names drawn from bitmaps');
        playback.drawForPlayback(false);
        assert.deepEqual(held(), [0, 0], 'the bitmaps go with the end of playback');
    });
});

test('scrubbing the timeline shows the moment under the pointer; letting go on a box selects its frame; nothing is an edit', function () {
    var editor = pageShell.animation;
    var pm = editor.playbackManager;
    var timeline = pageShell.timeline;
    var opened = openThreeFramesAtFirst();
    timeline.layer.draw();
    // A box's left edge is its frame, its width the step from it.
    function inBox(n) { return timeline.frameBoxX(n) + 1; }
    function between(n, f) { return timeline.frameBoxX(n) + f * timeline.frameBoxWidth(n); }
    try {
        pointerEvent(timeline.stage, 'mousemove', inBox(0), 20);
        pointerEvent(timeline.stage, 'mousedown', inBox(0), 20);
        // [pointer x, the person's place, caption]; the add-frame button lies between boxes 1 and 2
        [[between(0, 0.25), [0.1, 0.275, 11.25], 'Start'], [between(1, 0.5), [0.1, 0.65, 67.5], 'Pass'],
            [between(0, 0.5), [0.1, 0.35, 22.5], 'Start'], [inBox(2) + 30, [0.1, 0.8, 90], 'Shot']].forEach(function (row) {
            pointerEvent(timeline.stage, 'mousemove', row[0], 20);
            assert.deepEqual([pm.isScrubbing, shown(), Math.round(timeline.xAtTime(timeline.markerTime))],
                [true, row.slice(1), Math.round(Math.min(row[0], timeline.frameBoxX(2)))], 'scrubbed to x ' + row[0] +
                ', the marker there');
        });
        pointerEvent(timeline.stage, 'mousemove', inBox(1), 20);
        pointerEvent(timeline.stage, 'mouseup', inBox(1), 20);
        assert.deepEqual([pm.isScrubbing, editor.frameManager.selectedFrame, timeline.selectedFrame, shown(), timeline.markerTime],
            [false, 1, 1, [[0.1, 0.5, 45], 'Pass'], null], 'let go on the second box: no marker');
        timeline.layer.draw();
        pointerEvent(timeline.stage, 'mousedown', inBox(2), 20);
        pointerEvent(timeline.stage, 'mousemove', between(0, 0.5), 20);
        pointerEvent(timeline.stage, 'mouseup', 2, 20);
        assert.deepEqual([pm.isScrubbing, editor.frameManager.selectedFrame, shown()], [false, 1, [[0.1, 0.5, 45], 'Pass']],
            'let go off the boxes: the selected frame as stored');
        assertNoEdit(opened, 1);
    } finally {
        pm.endScrub();
        openInEditor(NEW_DRILL);
    }
});

// Items on the pitch in some frames only: added or pasted in a later frame they come on there; the palette's leave
// button takes them off after the frame on show; frames added and removed move the spans; playback brings them on.
function keyWithCtrl(keyCode) {
    var evt = document.createEvent('Event');
    evt.initEvent('keydown', true, true);
    Object.defineProperty(evt, 'keyCode', { value: keyCode });
    Object.defineProperty(evt, 'ctrlKey', { value: true });
    document.body.dispatchEvent(evt);
}

test('an item added or pasted in a later frame comes on there; the leave button takes the selected off after the ' +
    'frame on show; frames added and removed move them; each is one undo step', function () {
    var editor = pageShell.animation;
    var layer = editor.animLayer;
    var timeline = pageShell.timeline;
    var picker = pageShell.itemPicker;
    openInEditor(drillText(threeFrames()));
    function clickGroup(group, x, y) { clickAt(group.getStage(), group.x() + x, group.y() + y); }
    function showFrame(n) { timeline.layer.draw(); clickAt(timeline.stage, timeline.frameBoxX(n) + 3, 20); }
    function clickItem(id) {
        var at = layerPosToStage(layer.childWithId(id).getPosAbs(), layer);
        clickAt(editor.stage, at.x, at.y);
    }
    // The ids on display in each frame, and each record's span as saved.
    function onPitch() {
        var selected = editor.frameManager.selectedFrame;
        var shown = [0, 1, 2, 3].slice(0, editor.frameManager.nFrames).map(function (n) {
            editor.frameManager.loadFrame(n);
            return layer.itemGroups().map(function (g) { return g.getAttr('id'); }).sort().join();
        });
        editor.frameManager.loadFrame(selected);
        return shown;
    }
    function spans() {
        return JSON.parse(editor.saveToString()).objects.map(function (o) {
            return [o.id, o.firstFrame, o.lastFrame];
        });
    }
    try {
        var steps = pageShell.history.length();
        picker.layer.draw();
        var cone = picker.buttonFor('cone').group;
        clickGroup(cone, cone.width() / 2, cone.height() / 2);
        assert.deepEqual([spans()[3], pageShell.history.length()], [[4, 1, undefined], steps + 1], 'a cone added in frame 2');
        clickItem(1);
        keyWithCtrl(67);
        showFrame(2);
        keyWithCtrl(86);
        assert.deepEqual(spans()[4], [5, 2, undefined], 'the person pasted in frame 3');
        showFrame(1);
        clickItem(2);
        var leave = picker.commandButtons.filter(function (b) { return b.group.name() === 'leaveAfterFrameButton'; })[0];
        assert.ok(leave, 'the leave button');
        steps = pageShell.history.length();
        clickGroup(leave.group, 10, 10);
        assert.deepEqual([spans()[1], pageShell.history.length(), onPitch()], [[2, undefined, 1], steps + 1,
            ['1,2,3', '1,2,3,4', '1,3,4,5']], 'the ball leaves after frame 2');
        layer.childWithId(2).selectFunc(true);
        clickGroup(leave.group, 10, 10);
        assert.deepEqual([spans()[1], pageShell.history.length()], [[2, undefined, undefined], steps + 2],
            'again: the ball stays on');
        myDispatchEvent('undo', {});
        assert.deepEqual(spans()[1], [2, undefined, 1], 'undone: it leaves again');
        showFrame(0);
        myDispatchEvent('addFrame', {});
        assert.deepEqual([spans(), onPitch()], [[[1, undefined, undefined], [2, undefined, 2], [3, undefined, undefined],
            [4, 2, undefined], [5, 3, undefined]], ['1,2,3', '1,2,3', '1,2,3,4', '1,3,4,5']], 'a frame added after the first');
        editor.frameManager.loadFrame(3);
        myDispatchEvent('removeFrame', {});
        assert.deepEqual(spans(), [[1, undefined, undefined], [2, undefined, 2], [3, undefined, undefined], [4, 2, undefined]],
            'the last frame removed takes the person pasted in it alone');
        editor.frameManager.loadFrame(1);
        myDispatchEvent('removeFrame', {});
        assert.deepEqual([spans(), onPitch()], [[[1, undefined, undefined], [2, undefined, 1], [3, undefined, undefined],
            [4, 1, undefined]], ['1,2,3', '1,2,3,4']], 'and the copy of the first: the later ones move back');
    } finally {
        openInEditor(NEW_DRILL);
    }
});

// On pixels of exported pictures: a red cone on the pitch from frame 2 on, a blue one off after frame 2.
test('pictures of moments: an item is absent before its first frame and after its last, fading on and off; ' +
    'running lines only between frames it is on the pitch in', function (done) {
    var generator = pageShell.imageGenerator;
    var at = function (x) { return [{ x: x, y: 0.5, rotation: 0 }, { x: x, y: 0.5, rotation: 0 }, { x: x, y: 0.5, rotation: 0 }]; };
    var text = drillText({ nFrames: 3, selectedFrame: 0, frameText: ['', '', ''],
        background: { type: 'blank', showStripes: false, showLogo: false, logoImage: 'logos/ovri256x256.png' }, objects: [
            itemRecord('cone', 1, at(0.3), { color: 'red', scale: 0.4, firstFrame: 1 }),
            itemRecord('cone', 2, at(0.7), { color: 'blue', scale: 0.4, lastFrame: 1 })] });
    // [ms, red shows, blue shows]: each step a second; a fifth of a second's fade either side of a span.
    var moments = [[0, 'no', 'yes'], [500, 'no', 'yes'], [900, 'faint', 'yes'], [1000, 'yes', 'yes'], [1100, 'yes', 'faint'],
        [1500, 'yes', 'no'], [2000, 'yes', 'no']];
    generator.loadAnimation(text);
    generator.configureAnimation(400, true, false, false);
    var seen = [];
    (function next(k) {
        if (k === moments.length) {
            assert.deepEqual(seen, moments.map(function (m) { return m.join(' '); }));
            withAnimations(1, function (a) {
                a.loadFromString(text.replace(/"cone"/g, '"person"'));
                a.toggleRunningLines();
                a.frameManager.loadFrame(1);
                var lines = function (id) { return a.animLayer.childWithId(id).runningLines.shown.slice(0, 2); };
                assert.deepEqual([lines(1), lines(2)], [[false, true], [true, false]], 'frame 2: lines into and out of it');
            });
            return done();
        }
        generator.getImage(moments[k][0], done.step(function (url) {
            decodedPixels(url, 400, 300, done, function (data) {
                function look(x) {
                    var i = (150 * 400 + x) * 4;
                    var paper = data[i] > 240 && data[i + 1] > 240 && data[i + 2] > 240;
                    var strong = Math.max(data[i], data[i + 1], data[i + 2]) - Math.min(data[i], data[i + 1], data[i + 2]) > 120;
                    return paper ? 'no' : strong ? 'yes' : 'faint';
                }
                seen.push([moments[k][0], look(120), look(280)].join(' '));
                next(k + 1);
            });
        }));
    }(0));
}, 20000);

// A curved step, bent and straightened with the pointer on the selected item's bend handle; pictures follow it.
test('the selected item\'s step bends through the point its handle is dragged to, and a double-click straightens it, ' +
    'each one undo step; frames added and removed move the bends; a picture half-way stands on the curve', function (done) {
    var editor = pageShell.animation;
    var layer = editor.animLayer;
    var bend = editor.stepBend;
    var walk = [{ x: 0.2, y: 0.5, rotation: 0 }, { x: 0.6, y: 0.5, rotation: 0 }];
    openInEditor(drillText({ nFrames: 2, selectedFrame: 0, frameText: ['', ''],
        background: { type: 'blank', showStripes: false, showLogo: false, logoImage: 'logos/ovri256x256.png' },
        objects: [itemRecord('person', 1, walk, { color: 'red', scale: 0.3 })] }));
    function stageAt(p) { return layerPosToStage(p, layer); }
    function bends() { return JSON.parse(editor.saveToString()).objects[0].bends; }
    var person = stageAt(layer.childWithId(1).getPosAbs());
    clickAt(editor.stage, person.x, person.y);
    var handle = stageAt(bend.shown.path.middle);
    var straightMiddle = layer.pixelPos({ x: 0.4, y: 0.5 });
    assert.deepEqual([Math.round(bend.shown.path.middle.x), Math.round(bend.shown.path.middle.y)],
        [Math.round(straightMiddle.x), Math.round(straightMiddle.y)], 'the handle at the straight step\'s middle');
    var steps = pageShell.history.length();
    var to = stageAt(layer.pixelPos({ x: 0.4, y: 0.2 }));
    pointerEvent(editor.stage, 'mousedown', handle.x, handle.y);
    pointerEvent(editor.stage, 'mousemove', (handle.x + to.x) / 2, (handle.y + to.y) / 2);
    pointerEvent(editor.stage, 'mousemove', to.x, to.y);
    pointerEvent(editor.stage, 'mouseup', to.x, to.y);
    var bent = bends();
    assert.deepEqual([bent.length, Math.round(bent[0].x * 100), Math.round(bent[0].y * 100), pageShell.history.length(),
        layer.childWithId(1).isSelected], [1, 40, 20, steps + 1, true], 'bent through the point let go at, one step, still selected');
    var text = editor.saveToString();
    withAnimations(1, function (a) {
        a.loadFromString(text);
        a.frameManager.addFrame();
        assert.deepEqual(JSON.parse(a.saveToString()).objects[0].bends, [null, bent[0]],
            'a frame added after the first: its step straight, the bend on the next');
        a.frameManager.loadFrame(1);
        a.frameManager.removeSelectedFrame();
        assert.deepEqual(JSON.parse(a.saveToString()).objects[0].bends, undefined, 'the copy removed: its step goes');
    });
    var generator = pageShell.imageGenerator;
    generator.loadAnimation(text);
    generator.configureAnimation(400, true, true, false);
    // At the start the red near the bend is his running line's: it runs the curve, its head at the bend.
    generator.getImage(0, done.step(function (atStart) {
        decodedPixels(atStart, 400, 300, done, function (data) {
            lines = [redIn(data, 160, 60), redIn(data, 160, 150)];
            generator.getImage(500, done.step(halfWay));
        });
    }));
    var lines = null;
    function redIn(data, x, y) {
        for (var dy = -8; dy <= 8; dy++) {
            for (var dx = -8; dx <= 8; dx++) {
                var i = (Math.round(y + dy) * 400 + Math.round(x + dx)) * 4;
                if (data[i] > 150 && data[i + 1] < 100 && data[i + 2] < 100) {
                    return true;
                }
            }
        }
        return false;
    }
    function halfWay(url) {
        decodedPixels(url, 400, 300, done, function (data) {
            assert.deepEqual(lines, [true, false], 'the running line curves through the bend');
            assert.deepEqual([redIn(data, 160, 60), redIn(data, 160, 150)], [true, false],
                'half-way, on the curve and not on the line');
            var middle = stageAt(bend.shown.path.middle);
            pointerEvent(editor.stage, 'mousedown', middle.x, middle.y);
            pointerEvent(editor.stage, 'mouseup', middle.x, middle.y);
            pointerEvent(editor.stage, 'mousedown', middle.x, middle.y);
            pointerEvent(editor.stage, 'mouseup', middle.x, middle.y);
            assert.deepEqual([bends(), pageShell.history.length()], [undefined, steps + 2], 'a double-click: straight again');
            myDispatchEvent('undo', {});
            assert.equal(editor.saveToString(), text, 'undone: bent again');
            openInEditor(NEW_DRILL);
            done();
        });
    }
}, 20000);

// A ball dragged onto a player is his from the frame on show; it runs his curve at his feet; a drag onto another in
// the next frame passes it.
test('a ball dropped on a player is held from that frame on and follows his curved run at his feet; dropped on ' +
    'another in the next frame it is passed; each drop is one undo step', function (done) {
    var editor = pageShell.animation;
    var layer = editor.animLayer;
    var run = [{ x: 0.3, y: 0.5, rotation: 0 }, { x: 0.6, y: 0.5, rotation: 0 }];
    var still = function (x, y) { return [{ x: x, y: y, rotation: 0 }, { x: x, y: y, rotation: 0 }]; };
    openInEditor(drillText({ sport: 'soccer', nFrames: 2, selectedFrame: 0, frameText: ['', ''],
        background: { type: 'blank', showStripes: false, showLogo: false, logoImage: 'logos/ovri256x256.png' }, objects: [
            itemRecord('person', 1, run, { color: 'red', bends: [{ x: 0.45, y: 0.25 }] }),
            itemRecord('ball', 2, still(0.5, 0.85), { color: 'white' }),
            itemRecord('person', 3, still(0.85, 0.2), { color: 'blue' })] }));
    function stageOf(id) { return layerPosToStage(layer.childWithId(id).getPosAbs(), layer); }
    function dragBallTo(id) {
        var from = stageOf(2);
        var to = stageOf(id);
        pointerEvent(editor.stage, 'mousemove', from.x, from.y);
        pointerEvent(editor.stage, 'mousedown', from.x, from.y);
        [0.25, 0.5, 0.75, 1].forEach(function (f) {
            pointerEvent(editor.stage, 'mousemove', from.x + f * (to.x - from.x), from.y + f * (to.y - from.y));
        });
        pointerEvent(editor.stage, 'mouseup', to.x, to.y);
    }
    function ball() { return JSON.parse(editor.saveToString()).objects[1]; }
    var steps = pageShell.history.length();
    dragBallTo(1);
    var held = ball();
    assert.deepEqual([held.holders, pageShell.history.length()], [[1, 1], steps + 1], 'his from frame 1 on, one step');
    [0, 1].forEach(function (k) {
        assert.ok(Math.abs(held.frames[k].x - run[k].x - 0.029) < 1e-9 && Math.abs(held.frames[k].y - run[k].y) < 1e-9,
            'at his feet, ahead of him, in frame ' + (k + 1));
    });
    var text = editor.saveToString();
    withAnimations(1, function (a) {
        a.loadFromString(text);
        a.toggleRunningLines();
        assert.deepEqual([1, 2].map(function (id) { return a.animLayer.childWithId(id).runningLines.shown[1]; }),
            [true, false], 'his running line, and none of the ball\'s own while he keeps it');
    });
    var generator = pageShell.imageGenerator;
    generator.loadAnimation(text);
    generator.configureAnimation(400, false, false, false);
    // [ms, the player's place on the curve]: white ball pixels just ahead of him, none on the straight line below.
    var moments = [[250, 0.25], [500, 0.5], [750, 0.75]];
    (function next(k) {
        if (k === moments.length) {
            myDispatchEvent('selectedFrame', { frameNumber: 1 });
            steps = pageShell.history.length();
            dragBallTo(3);
            assert.deepEqual([ball().holders, pageShell.history.length()], [[1, 3], steps + 1], 'passed in frame 2, one step');
            myDispatchEvent('undo', {});
            assert.deepEqual(ball().holders, [1, 1], 'undone');
            openInEditor(NEW_DRILL);
            return done();
        }
        generator.getImage(moments[k][0], done.step(function (url) {
            decodedPixels(url, 400, 300, done, function (data) {
                var f = moments[k][1];
                var u = 1 - f;
                var cx = 2 * 0.45 - 0.45;
                var cy = 2 * 0.25 - 0.5;
                var onCurve = { x: u * u * 0.3 + 2 * f * u * cx + f * f * 0.6, y: u * u * 0.5 + 2 * f * u * cy + f * f * 0.5 };
                function whiteNear(p) {
                    for (var dy = -6; dy <= 6; dy++) {
                        for (var dx = -6; dx <= 6; dx++) {
                            var i = (Math.round(p.y * 300 + dy) * 400 + Math.round(p.x * 400 + dx)) * 4;
                            if (data[i] > 230 && data[i + 1] > 230 && data[i + 2] > 230) {
                                return true;
                            }
                        }
                    }
                    return false;
                }
                assert.deepEqual([whiteNear({ x: onCurve.x + 0.029, y: onCurve.y }),
                    whiteNear({ x: 0.3 + f * 0.3 + 0.029, y: 0.5 })], [true, false], 'at ' + moments[k][0] + ' ms');
                next(k + 1);
            });
        }));
    }(0));
}, 20000);
