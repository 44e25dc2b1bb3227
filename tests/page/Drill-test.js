// The drill on the pitch: the frame model (FrameManager.js), the pitch view
// (Animation.js), playback (playbackManager.js) and the geometry they share
// (util.js). Animations of a test's own are 1000 x 600, so the pitch is
// 800 x 600 at stage x 100.

function place(a, type, fx, fy, rotation) {
    var layer = a.animLayer;
    var group = createFieldItemGroup(fx * 800, fy * 600, rotation || 0, 'default', type, 'default', 'default',
        a.frameManager.generateUniqueId(), '', '', layer.layerScale, layer.rotation());
    layer.add(group);
    return group;
}

function where(a, id, f) {
    var s = f === undefined ? a.animLayer.childWithId(id).getProperties() : a.frameManager.objectForFrame(id, f);
    return [Math.round(s.x * 1e6) / 1e6, Math.round(s.y * 1e6) / 1e6, Math.round(s.rotation * 1e6) / 1e6];
}

// Three frames, captions Start, Pass, Shot; a person (1) walking down, a
// ball (2) and a fixed cone (3) stacked above the ball.
function threeFrames() {
    function down(x) { return [0.2, 0.5, 0.8].map(function (y, f) { return { x: x, y: y, rotation: f * 45 }; }); }
    return { nFrames: 3, selectedFrame: 1, frameText: ['Start', 'Pass', 'Shot'], objects: [
        itemRecord('person', 3, down(0.1), { text: 'Ann', color: 'blue', z: 1 }),
        itemRecord('gaaBall', 7, down(0.5), { z: 3 }),
        itemRecord('cone', 9, [0, 1, 2].map(function () { return { x: 0.9, y: 0.9, rotation: 0 }; }), { z: 2 })] };
}

test('the frame model: frames added and removed, fixed items, stacking and the selected frame', function () {
    withAnimations(1, function (a) {
        var fm = a.frameManager;
        var layer = a.animLayer;
        fm.loadSettings(threeFrames());
        assert.deepEqual([fm.objects.map(function (r) { return r.id; }), fm.idCounter, layer.getFrameText()],
            [[1, 2, 3], 3, 'Pass'], 'renumbered, frame 2 shown');
        assert.deepEqual(layer.getChildren().toArray().slice(1).map(function (g) { return g.getAttr('id'); }), [1, 3, 2]);
        layer.childWithId(1).updatePosition(layer.pixelPos({ x: 0.4, y: 0.4 }), 15);
        layer.childWithId(3).updatePosition(layer.pixelPos({ x: 0.6, y: 0.1 }), 20);
        fm.addFrame();
        assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.frameText], [4, 2, ['Start', 'Pass', '', 'Shot']]);
        assert.deepEqual([where(a, 1, 1), where(a, 1, 2), where(a, 1, 3)], [[0.4, 0.4, 15], [0.4, 0.4, 15],
            [0.1, 0.8, 90]], 'the new frame copies the selected one, saved first');
        assert.deepEqual([where(a, 3, 0), where(a, 3, 3)], [[0.6, 0.1, 20], [0.6, 0.1, 20]], 'a cone moves in every frame');
        place(a, 'person', 0.5, 0.5);
        fm.loadFrame(0);
        assert.deepEqual([layer.itemGroups().length, where(a, 1)], [3, [0.1, 0.2, 0]], 'unsaved item gone on loading');
        var marker = place(a, 'marker', 0.3, 0.6).getAttr('id');
        fm.saveFrame();
        assert.deepEqual([where(a, marker, 0), where(a, marker, 3)], [[0.3, 0.6, 0], [0.3, 0.6, 0]], 'a new item in every frame');
        // [frame selected, frames left, frame then selected, captions left]
        [[0, 3, 0, ['Pass', '', 'Shot']], [2, 2, 1, ['Pass', '']], [1, 1, 0, ['Pass']], [0, 1, 0, ['Pass']]]
            .forEach(function (row) {
                fm.loadFrame(row[0]);
                fm.removeSelectedFrame();
                assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.frameText], row.slice(1), 'removing frame ' + row[0]);
                assert.equal(layer.getFrameText(), row[3][row[2]]);
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

test('scaling the selection stops at the type\'s limit; running lines join the neighbouring frames', function () {
    withAnimations(1, function (a) {
        var fm = a.frameManager;
        fm.loadSettings(threeFrames());
        a.animLayer.childWithId(2).selectFunc(true);
        fm.increaseSelectedScale();
        assert.close(fm.findObject(2).scale, 0.2 * 1.1, 1e-12);
        for (var i = 0; i < 20; i++) { fm.increaseSelectedScale(); }
        assert.equal(fm.findObject(2).scale, 0.25, 'clamped, and recorded so');
        fm.decreaseSelectedScale();
        assert.close(fm.findObject(2).scale, 0.25 / 1.1, 1e-12);
        assert.equal(fm.findObject(1).scale, 0.2, 'an unselected item keeps its scale');
        function lines() {
            return a.animLayer.childWithId(1).runningLines.lines.map(function (l) {
                return l.visible() ? l.points().map(Math.round) : null;
            });
        }
        fm.updateRunningLines(0);
        assert.deepEqual(lines(), [null, [80, 120, 80, 300], [80, 300, 80, 480]], 'from the first frame');
        fm.updateRunningLines(2);
        assert.deepEqual(lines(), [[80, 300, 80, 480], null, null], 'from the last');
    });
});

test('turns accumulate on both layers, items keep their places and new ones stand upright on screen', function () {
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
        assert.throws(function () { return new Animation(0, 100, 'fixtureStage'); }, /positive/);
    });
});

test('a new item goes where there is room; the rubber band selects what lies wholly inside it, on the pitch', function () {
    withAnimations(1, function (a) {
        var first = a.addItem('cone', 'blue', 'default', 'default');
        var second = a.addItem('gaaBall', 'default', 'default', 0.2);
        var ball = second.getFieldItem().group;
        assert.deepEqual([first.getFieldItem().group.x(), first.getFieldItem().group.y(), second.getAttr('id')],
            [400, 300, 2], 'the first in the middle');
        assert.ok(!isOverlap(ball.x() - ball.width() / 2, ball.y() - ball.height() / 2, ball.width(), ball.height(),
            first.getFieldItem().group), 'the second clear of the first');
        var inside = place(a, 'person', 0.2, 0.3);
        var outside = place(a, 'person', 0.9, 0.9);
        outside.selectFunc(true);
        a.stage.draw();
        var band;
        pointerEvent(a.stage, 'mousemove', 100 + 50, 100);
        pointerEvent(a.stage, 'mousedown', 100 + 50, 100);
        pointerEvent(a.stage, 'mousemove', 100 + 300, 700);
        band = a.animLayer.find('.selectRectangle')[0];
        assert.deepEqual([band.x(), band.y(), band.width(), band.height()], [50, 100, 250, 500], 'clamped to the pitch');
        pointerEvent(a.stage, 'mouseup', 100 + 300, 700);
        assert.deepEqual(a.animLayer.itemGroups().filter(function (g) { return g.isSelected; }), [inside]);
        clickAt(a.stage, 100 + 700, 50);
        assert.equal(inside.isSelected, false, 'a click on the bare pitch deselects');
    });
});

// Mended: after a resize while the pitch did not listen, the stage's hit
// canvas was left empty and a click on the bare pitch no longer deselected.
test('regression: after a resize while the pitch was deaf (playback, colour chooser), a click on it clears the selection', function (done) {
    var editor = pageShell.animation;
    var s = pageShell.sizes;
    var cases = ['disableNonTimelineControls', 'disableControls'];
    done.cleanup(function () {
        editor.updateBounds(s.animMaxWidth / 2, s.animMaxHeight / 2, s.animMaxWidth, s.animMaxHeight);
    });
    (function next() {
        if (cases.length === 0) {
            return done();
        }
        var deafness = cases.shift();
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
        assert.deepEqual([pm.isPlaying, layer.childWithId(1).isSelected, layer.isListening(),
            pageShell.toolbar.layer.isListening(), pageShell.timeline.layer.isListening()], [true, false, false, false, true]);
        // [time, the person's place, caption, progress percent]
        [[0, [0.1, 0.2, -10], 'Start', 0], [250, [0.1, 0.275, -5], 'Start', 12.5], [500, [0.1, 0.35, 0], 'Start', 25],
            [1500, [0.1, 0.65, 50], 'Pass', 75]].forEach(function (row) {
            var raised = eventsRaisedDuring(['updateTimelineProgress'], function () {
                myDispatchEvent('drawFrame', { time: row[0] });
            });
            assert.deepEqual([where(editor, 1), layer.getFrameText(), raised[0][1].percent], row.slice(1), 'at ' + row[0] + ' ms');
            assert.deepEqual(where(editor, 3), [0.9, 0.9, 0], 'the cone stands still');
        });
        // Mended: a save while playing used to write the in-between places.
        assert.equal(editor.saveToString(), text, 'a save while playing writes the model\'s places');
        myDispatchEvent('stop', {});
        assert.deepEqual([pm.isPlaying, editor.frameManager.selectedFrame, where(editor, 1), layer.isListening()],
            [false, 0, [0.1, 0.2, 350], true], 'back at the start frame, as stored');
        myDispatchEvent('selectedFrame', { frameNumber: 2 });
        myDispatchEvent('play', {});
        assert.deepEqual([pm.startFrame, layer.getFrameText()], [0, 'Start'], 'from the last frame, playback starts at 0');
        var ended = eventsRaisedDuring(['playbackEnded'], function () { myDispatchEvent('drawFrame', { time: 2000 }); });
        assert.deepEqual([ended.length, pm.isPlaying, editor.frameManager.selectedFrame, pageShell.timeline.selectedFrame],
            [1, false, 2, 2], 'the end selects the last frame');
        assert.throws(function () { pm.drawFrame(-1); }, /time/);
        assert.throws(function () { pm.drawFrame('500'); }, /time/);
        newDrill();
        addToEditor('person');
        myDispatchEvent('play', {});
        assert.deepEqual([pm.isPlaying, pageShell.toolbar.layer.isListening()], [false, true], 'one frame plays straight back');
    } finally {
        pm.stop();
        openInEditor(NEW_DRILL);
    }
    // Compared with turning back a whole turn at a time, for angles many turns apart.
    function stepped(alpha, beta, fraction) {
        if (alpha > beta + 180) { while (alpha > beta) { alpha -= 360; } }
        if (beta > alpha + 180) { while (beta > alpha) { beta -= 360; } }
        return alpha * (1 - fraction) + beta * fraction;
    }
    [[350, 10, 0.5], [10, 350, 0.25], [360, 0, 0.25], [181, 0, 1], [180, 0, 0.5], [-170, 170, 0.5], [1e6, 0, 0.5],
        [-1e6, 1e6, 0.75], [999999.5, -0.25, 0.3], [-720.5, 3, 0.5]].forEach(function (row) {
        assert.equal(PlaybackManager.interpolateRotation(row[0], row[1], row[2]), stepped(row[0], row[1], row[2]), row.join());
    });
});

test('the shared geometry: turns, boxes, fitting and the layer\'s transform', function () {
    function near(p) { return [Math.round(p.x * 1e6) / 1e6, Math.round(p.y * 1e6) / 1e6]; }
    assert.deepEqual([near(rotatePos({ x: 1, y: 0 }, 90)), near(rotatePos({ x: 2, y: 1 }, -90))], [[0, 1], [1, -2]]);
    assert.close(degrees(radians(123)), 123);
    assert.close(angle(0, 0, 0, 1), Math.PI / 2);
    assert.close(distance(-1, -1, 1, 1), Math.sqrt(8));
    var rect = { x: 10, y: 20, width: 30, height: 40 };
    assert.deepEqual([[10, 20], [40, 60], [9.999, 30], [40.001, 30], [20, 19.999], [20, 60.001]].map(function (p) {
        return posInRect({ x: p[0], y: p[1] }, rect);
    }), [true, true, false, false, false, false], 'edges inside, just past them outside');
    // A group like an item's, by its centre: its box spans x 80..120, y 90..110.
    function item(rotation) {
        return new Kinetic.Group({ x: 100, y: 100, width: 40, height: 20, offsetX: 20, offsetY: 10, rotation: rotation });
    }
    assert.deepEqual([[70, 80, 20, 20], [120, 90, 10, 10], [90, 110, 10, 10], [119.9, 90, 10, 10], [85, 150, 10, 10]]
        .map(function (b) { return isOverlap(b[0], b[1], b[2], b[3], item(0)); }), [true, false, false, true, false]);
    var tall = { x: 89, y: 79, width: 22, height: 42 };
    var box = { x: 80, y: 90, width: 40, height: 20 };
    assert.deepEqual([withinBounds(tall, item(90)), withinBounds(tall, item(0)), withinBounds(box, item(0)),
        withinBounds({ x: 81, y: 90, width: 40, height: 20 }, item(0)), withinBounds(new Kinetic.Rect(tall), item(90))],
        [true, false, true, false, true]);
    assert.deepEqual([calcWidthAndHeight(1125, 685, false, 4 / 3)[1], calcWidthAndHeight(400, 600, false, 4 / 3),
        calcWidthAndHeight(1125, 685, true, 4 / 3), calcWidthAndHeight(300, 600, true, 4 / 3)],
        [685, [400, 300], [685, 513.75], [400, 300]]);
    var layer = new Kinetic.Layer({ x: 300, y: 200, offsetX: 50, offsetY: 40, rotation: 90, scaleX: 2, scaleY: 2 });
    var stagePos = layerPosToStage({ x: 10, y: 5 }, layer);
    assert.deepEqual(near(stagePos), near(layer.getAbsoluteTransform().point({ x: 10, y: 5 })));
    assert.deepEqual(near(stagePosToLayer(stagePos, layer)), [10, 5]);
});
