// The frame model (FrameManager.js) on an animation of its own, 1000 x 600,
// so that the pitch is 800 x 600 and fractions are easy to read back. Items
// are put on the layer the way the frame model itself builds them.

var container = document.createElement('div');
container.id = 'frameManagerTestStage';
document.body.appendChild(container);

var W = 800;
var H = 600;

// A fresh animation for each test; its stage goes when the test ends.
function freshAnimation() {
    var animation = new Animation(1000, 600, 'frameManagerTestStage');
    return animation;
}

function withAnimation(body) {
    var animation = freshAnimation();
    try {
        body(animation, animation.frameManager, animation.animLayer);
    } finally {
        animation.stage.destroy();
    }
}

// Puts an item of `type` on the layer at the fractions (fx, fy), with a new
// id from the model, as an item the user has just added.
function place(animation, type, fx, fy, rotation, scale) {
    var layer = animation.animLayer;
    var group = createFieldItemGroup(fx * layer.layerWidth, fy * layer.layerHeight, rotation || 0,
        scale || 'default', type, 'default', 'default', animation.frameManager.generateUniqueId(),
        '', '', layer.layerScale, layer.rotation());
    layer.add(group);
    return group;
}

function groups(layer) {
    return layer.find('.fieldItemGroup').toArray();
}

function groupOf(layer, id) {
    var found = layer.childWithId(id);
    assert.ok(found, 'an item group with id ' + id + ' is on display');
    return found;
}

// Moves the item with model id `id` on display to the fractions (fx, fy).
function moveTo(layer, id, fx, fy, rotation) {
    var group = groupOf(layer, id);
    group.updatePosition(layer.pixelPos({ x: fx, y: fy }),
        rotation === undefined ? group.getFieldItem().group.rotation() : rotation);
}

function shownAt(layer, id) {
    var item = groupOf(layer, id).getFieldItem().group;
    return { x: item.x() / W, y: item.y() / H, rotation: item.rotation() };
}

function state(fm, id, f) {
    var s = fm.objectForFrame(id, f);
    return { x: s.x, y: s.y, rotation: s.rotation };
}

function closeState(actual, expected, message) {
    assert.close(actual.x, expected.x, 1e-9, message + ' x');
    assert.close(actual.y, expected.y, 1e-9, message + ' y');
    assert.close(actual.rotation, expected.rotation, 1e-9, message + ' rotation');
}

// The model's invariants, checked after every step of a sequence.
function checkInvariants(fm, where) {
    assert.ok(fm.nFrames >= 1, where + ': at least one frame');
    assert.ok(fm.selectedFrame >= 0 && fm.selectedFrame < fm.nFrames,
        where + ': selected frame ' + fm.selectedFrame + ' of ' + fm.nFrames);
    var seen = {};
    fm.objects.forEach(function (record) {
        assert.equal(record.frames.length, fm.nFrames, where + ': states of item ' + record.id);
        assert.ok(!seen[record.id], where + ': id ' + record.id + ' unique');
        seen[record.id] = true;
        assert.ok(fm.idCounter >= record.id, where + ': counter ' + fm.idCounter + ' covers ' + record.id);
        if (record.type === 'cone') {
            record.frames.forEach(function (s) {
                closeState(s, record.frames[0], where + ': fixed item ' + record.id + ' equal in every frame');
            });
        }
    });
}

// Runs `body` and returns the details of the errorOpeningFile events raised.
function fileErrorsRaisedBy(body) {
    var raised = [];
    function listener(evt) { raised.push(evt.detail.errorInfo); }
    document.addEventListener('errorOpeningFile', listener, false);
    try {
        body();
    } finally {
        document.removeEventListener('errorOpeningFile', listener, false);
    }
    return raised;
}

// An animation file's frame-model members: three items with ids 3, 7 and 9
// over three frames.
function threeItemSettings() {
    function frames(x) {
        return [{ x: x, y: 0.2, rotation: 0 }, { x: x, y: 0.5, rotation: 45 }, { x: x, y: 0.8, rotation: 90 }];
    }
    return {
        objects: [
            { type: 'person', id: 3, scale: 0.2, text: 'Ann', shortLabel: '7', z: 1, color: 'blue', frames: frames(0.1) },
            { type: 'gaaBall', id: 7, scale: 0.11, text: '', shortLabel: '', z: 3, color: 'white', frames: frames(0.5) },
            { type: 'cone', id: 9, scale: 0.15, text: '', shortLabel: '', z: 2, color: 'red',
                frames: [{ x: 0.9, y: 0.9, rotation: 0 }, { x: 0.9, y: 0.9, rotation: 0 }, { x: 0.9, y: 0.9, rotation: 0 }] }
        ],
        selectedFrame: 1,
        nFrames: 3,
        frameText: ['Start', 'Pass', 'Shot']
    };
}

// ---- A new model and saving ------------------------------------------------

test('a new model has one frame, no objects and no captions; saving it records one empty caption', function () {
    withAnimation(function (animation, fm) {
        assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.idCounter], [1, 0, 0]);
        assert.deepEqual(fm.objects, []);
        assert.deepEqual(fm.frameText, []);
        assert.equal(fm.animLayer, animation.animLayer);
        fm.saveFrame();
        assert.deepEqual(fm.frameText, ['']);
        assert.deepEqual(fm.objects, []);
    });
});

test('a save records a new item with its attributes, in the model\'s member order, in every frame', function () {
    withAnimation(function (animation, fm, layer) {
        fm.addFrame();
        fm.addFrame();
        fm.loadFrame(1);
        var group = place(animation, 'person', 0.25, 0.75, 30);
        group.setLabel('Keeper');
        group.setShortLabel('GK');
        layer.setFrameText('Warm-up');
        fm.saveFrame();
        assert.equal(fm.objects.length, 1);
        var record = fm.objects[0];
        assert.deepEqual(Object.keys(record), ['type', 'id', 'scale', 'text', 'shortLabel', 'z', 'color', 'frames']);
        assert.deepEqual([record.type, record.id, record.scale, record.text, record.shortLabel, record.z, record.color],
            ['person', 1, 0.2, 'Keeper', 'GK', 1, 'maroon']);
        assert.equal(record.frames.length, 3);
        record.frames.forEach(function (s, f) {
            assert.deepEqual(Object.keys(s), ['x', 'y', 'rotation']);
            closeState(s, { x: 0.25, y: 0.75, rotation: 30 }, 'frame ' + f);
        });
        assert.deepEqual(fm.frameText, ['', 'Warm-up', '']);
    });
});

test('a fixed item moved in one frame moves in every frame; a movable one only in that frame', function () {
    withAnimation(function (animation, fm, layer) {
        var cone = place(animation, 'cone', 0.1, 0.1).getAttr('id');
        var person = place(animation, 'person', 0.2, 0.2).getAttr('id');
        fm.addFrame();
        fm.addFrame();
        fm.loadFrame(1);
        moveTo(layer, cone, 0.6, 0.4, 20);
        moveTo(layer, person, 0.7, 0.3, 10);
        fm.saveFrame();
        [0, 1, 2].forEach(function (f) {
            closeState(state(fm, cone, f), { x: 0.6, y: 0.4, rotation: 20 }, 'cone in frame ' + f);
        });
        closeState(state(fm, person, 0), { x: 0.2, y: 0.2, rotation: 0 }, 'person in frame 0');
        closeState(state(fm, person, 1), { x: 0.7, y: 0.3, rotation: 10 }, 'person in frame 1');
        closeState(state(fm, person, 2), { x: 0.2, y: 0.2, rotation: 0 }, 'person in frame 2');
    });
});

test('an item added on frame 3 of 5 stands at the same place in all five after the next save', function () {
    withAnimation(function (animation, fm) {
        for (var i = 0; i < 4; i++) {
            fm.addFrame();
        }
        fm.loadFrame(2);
        var id = place(animation, 'gaaBall', 0.3, 0.6).getAttr('id');
        fm.saveFrame();
        for (var f = 0; f < 5; f++) {
            closeState(state(fm, id, f), { x: 0.3, y: 0.6, rotation: 0 }, 'frame ' + f);
        }
    });
});

// ---- Loading frames ----------------------------------------------------------

test('loading a frame rebuilds every item at its state there, with its attributes, and shows the caption', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        fm.loadFrame(2);
        assert.equal(fm.selectedFrame, 2);
        assert.equal(groups(layer).length, 3);
        closeState(shownAt(layer, 1), { x: 0.1, y: 0.8, rotation: 90 }, 'person');
        closeState(shownAt(layer, 2), { x: 0.5, y: 0.8, rotation: 90 }, 'ball');
        closeState(shownAt(layer, 3), { x: 0.9, y: 0.9, rotation: 0 }, 'cone');
        var person = groupOf(layer, 1);
        var item = person.getFieldItem();
        assert.deepEqual([item.type, item.getScale(), item.getCol(1)], ['person', 0.2, 'blue']);
        assert.equal(person.itemText.text.text(), 'Ann');
        assert.equal(person.shortLabelText.text.text(), '7');
        assert.equal(person.layerScale, layer.layerScale, 'built for the layer\'s scale');
        assert.equal(layer.getFrameText(), 'Shot');
        assert.equal(layer.getChildren()[0].name(), 'frameText', 'the caption stays the first child');
    });
});

test('items are stacked by their stored z, so bringing one to the front holds in every frame', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        function stacking() {
            return layer.getChildren().toArray().slice(1).map(function (g) { return g.getAttr('id'); });
        }
        assert.deepEqual(stacking(), [1, 3, 2], 'z 1, 2, 3 from the file');
        groupOf(layer, 1).moveToTop();
        fm.saveFrame();
        [0, 2].forEach(function (f) {
            fm.loadFrame(f);
            assert.deepEqual(stacking(), [3, 2, 1], 'frame ' + f + ': the person in front');
        });
    });
});

test('loading does not save first: unsaved changes on display are replaced', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        moveTo(layer, 1, 0.9, 0.1);
        place(animation, 'cone', 0.5, 0.5);
        fm.loadFrame(1);
        assert.equal(groups(layer).length, 3, 'the unsaved cone is gone');
        closeState(shownAt(layer, 1), { x: 0.1, y: 0.5, rotation: 45 }, 'the person back at its stored place');
    });
});

// ---- Adding and removing frames --------------------------------------------------

test('adding a frame while frame k is selected gives frame k+1 equal to frame k, with an empty caption, selected', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        moveTo(layer, 1, 0.4, 0.4, 15);
        var shown = groupOf(layer, 1);
        fm.addFrame();
        assert.deepEqual([fm.nFrames, fm.selectedFrame], [4, 2]);
        closeState(state(fm, 1, 1), { x: 0.4, y: 0.4, rotation: 15 }, 'frame k saved first');
        closeState(state(fm, 1, 2), { x: 0.4, y: 0.4, rotation: 15 }, 'frame k+1 a copy');
        closeState(state(fm, 1, 3), { x: 0.1, y: 0.8, rotation: 90 }, 'the former frame k+1 moved up');
        assert.deepEqual(fm.frameText, ['Start', 'Pass', '', 'Shot']);
        assert.equal(layer.getFrameText(), '', 'the empty caption on display');
        assert.equal(groupOf(layer, 1), shown, 'the items on display are not rebuilt');
        var copy = fm.objects[0].frames[2];
        copy.x = 0.99;
        assert.close(fm.objects[0].frames[1].x, 0.4, 1e-9, 'the copy is a state of its own');
    });
});

test('removing frame 0 of three keeps index 0 selected and shows the former frame 1', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        fm.loadFrame(0);
        fm.removeSelectedFrame();
        assert.deepEqual([fm.nFrames, fm.selectedFrame], [2, 0]);
        assert.deepEqual(fm.frameText, ['Pass', 'Shot']);
        assert.equal(layer.getFrameText(), 'Pass');
        closeState(shownAt(layer, 1), { x: 0.1, y: 0.5, rotation: 45 }, 'the person');
        checkInvariants(fm, 'after removing frame 0');
    });
});

test('removing frame 2 of three selects frame 1', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        fm.loadFrame(2);
        fm.removeSelectedFrame();
        assert.deepEqual([fm.nFrames, fm.selectedFrame], [2, 1]);
        assert.deepEqual(fm.frameText, ['Start', 'Pass']);
        assert.equal(layer.getFrameText(), 'Pass');
        closeState(shownAt(layer, 2), { x: 0.5, y: 0.5, rotation: 45 }, 'the ball');
    });
});

test('the only frame cannot be removed, and a removed frame takes its unsaved changes with it', function () {
    withAnimation(function (animation, fm, layer) {
        place(animation, 'person', 0.5, 0.5);
        fm.saveFrame();
        fm.removeSelectedFrame();
        assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.objects.length], [1, 0, 1], 'refused');
        assert.equal(groups(layer).length, 1, 'the display untouched');

        fm.addFrame();
        place(animation, 'cone', 0.2, 0.2);
        fm.removeSelectedFrame();
        assert.equal(fm.objects.length, 1, 'the cone was never saved');
        assert.equal(groups(layer).length, 1, 'and is not shown');
    });
});

// ---- Deleting and scaling items ---------------------------------------------------

test('deleting the selected items and then adding a frame leaves no trace of them', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        groupOf(layer, 1).selectFunc(true);
        groupOf(layer, 3).selectFunc(true);
        moveTo(layer, 2, 0.25, 0.25);
        fm.removeSelectedObjects();
        assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [2]);
        closeState(state(fm, 2, 1), { x: 0.25, y: 0.25, rotation: 45 }, 'saved before deleting');
        assert.deepEqual(groups(layer).map(function (g) { return g.getAttr('id'); }), [2], 'display reloaded');
        fm.addFrame();
        fm.saveFrame();
        assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [2], 'not back after a save');
        for (var f = 0; f < fm.nFrames; f++) {
            fm.loadFrame(f);
            assert.deepEqual(groups(layer).map(function (g) { return g.getAttr('id'); }), [2], 'frame ' + f);
        }
        checkInvariants(fm, 'after deleting');
    });
});

test('enlarging a selected item repeatedly stops at its maximum and the model records the clamped scale', function () {
    withAnimation(function (animation, fm, layer) {
        var ball = place(animation, 'gaaBall', 0.5, 0.5).getAttr('id');
        var cone = place(animation, 'cone', 0.2, 0.2).getAttr('id');
        groupOf(layer, ball).selectFunc(true);
        fm.increaseSelectedScale();
        var record = fm.findObject(ball);
        assert.close(record.scale, 0.11 * 1.1, 1e-12, 'one step up, saved first so the record exists');
        for (var i = 0; i < 20; i++) {
            fm.increaseSelectedScale();
        }
        assert.equal(groupOf(layer, ball).getFieldItem().getScale(), 0.25, 'the item stops at its maximum');
        assert.equal(record.scale, 0.25, 'the model records the clamped scale');
        assert.equal(fm.findObject(cone).scale, 0.15, 'an unselected item keeps its scale');
        fm.decreaseSelectedScale();
        assert.close(record.scale, 0.25 / 1.1, 1e-12, 'one step down');
        fm.loadFrame(0);
        assert.close(groupOf(layer, ball).getFieldItem().getScale(), 0.25 / 1.1, 1e-12, 'shown at the recorded scale');
    });
});

test('the model stays consistent through a mixed sequence of edits', function () {
    withAnimation(function (animation, fm, layer) {
        var steps = [
            ['place a person', function () { place(animation, 'person', 0.1, 0.1); }],
            ['place a cone', function () { place(animation, 'cone', 0.3, 0.3); }],
            ['save', function () { fm.saveFrame(); }],
            ['add a frame', function () { fm.addFrame(); }],
            ['move both', function () { moveTo(layer, 1, 0.5, 0.5); moveTo(layer, 2, 0.6, 0.6); }],
            ['add a frame', function () { fm.addFrame(); }],
            ['place a ball', function () { place(animation, 'gaaBall', 0.4, 0.4); }],
            ['select frame 0', function () { fm.saveFrame(); fm.loadFrame(0); }],
            ['enlarge the person', function () { groupOf(layer, 1).selectFunc(true); fm.increaseSelectedScale(); }],
            ['remove frame 0', function () { fm.removeSelectedFrame(); }],
            ['add a frame', function () { fm.addFrame(); }],
            ['delete the ball', function () { groupOf(layer, 3).selectFunc(true); fm.removeSelectedObjects(); }],
            ['select frame 2', function () { fm.saveFrame(); fm.loadFrame(2); }],
            ['shrink the cone', function () { groupOf(layer, 2).selectFunc(true); fm.decreaseSelectedScale(); }],
            ['remove frame 2', function () { fm.removeSelectedFrame(); }]
        ];
        steps.forEach(function (step) {
            step[1]();
            fm.saveFrame();
            checkInvariants(fm, step[0]);
            assert.equal(fm.frameText.length, fm.nFrames, step[0] + ': one caption per frame');
            assert.equal(groups(layer).length, fm.objects.length, step[0] + ': one group per record');
        });
        assert.deepEqual([fm.nFrames, fm.selectedFrame], [2, 1]);
        assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [1, 2]);
    });
});

// ---- Running lines --------------------------------------------------------------------

test('running lines show the previous, the next and the one after that, where those frames exist', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        function lines(id) {
            var rl = groupOf(layer, id).runningLines;
            return rl.lines.map(function (line) {
                return { points: line.points().map(function (v) { return Math.round(v * 1000) / 1000; }),
                    visible: line.visible() };
            });
        }
        fm.updateRunningLines(0);
        assert.deepEqual(lines(1), [
            { points: [0, 0, 80, 120], visible: false },
            { points: [80, 120, 80, 300], visible: true },
            { points: [80, 300, 80, 480], visible: true }
        ], 'from the first frame');
        fm.updateRunningLines(2);
        assert.deepEqual(lines(1), [
            { points: [80, 300, 80, 480], visible: true },
            { points: [80, 480, 0, 0], visible: false },
            { points: [0, 0, 0, 0], visible: false }
        ], 'from the last frame');
        var person = groupOf(layer, 1).runningLines.lines[1];
        assert.equal(person.opacity(), 0, 'the lines are there but not shown while the setting is off');
        layer.toggleRunningLines();
        fm.updateRunningLines(1);
        assert.equal(groupOf(layer, 1).runningLines.lines[1].opacity(), 1, 'shown with the setting on');
    });
});

// ---- Ids and files ------------------------------------------------------------------------

test('ids come from a counter; removing or asking for an unknown id changes nothing', function () {
    withAnimation(function (animation, fm) {
        assert.deepEqual([fm.generateUniqueId(), fm.generateUniqueId(), fm.idCounter], [1, 2, 2]);
        fm.loadSettings(threeItemSettings());
        var before = JSON.stringify(fm.objects);
        fm.removeObject(42);
        assert.equal(JSON.stringify(fm.objects), before);
        assert.equal(fm.objectForFrame(42, 0), null, 'no state for an unknown id');
        fm.removeObject(2);
        assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [1, 3]);
    });
});

test('after loading a file whose ids were 3, 7 and 9, the ids are 1, 2 and 3 and the next new item gets 4', function () {
    withAnimation(function (animation, fm, layer) {
        var raised = fileErrorsRaisedBy(function () {
            fm.loadSettings(threeItemSettings());
        });
        assert.deepEqual(raised, [], 'nothing reported for a consistent file');
        assert.deepEqual(fm.objects.map(function (r) { return r.id; }), [1, 2, 3]);
        assert.equal(fm.idCounter, 3);
        assert.deepEqual([fm.nFrames, fm.selectedFrame], [3, 1], 'the file\'s selected frame');
        assert.equal(layer.getFrameText(), 'Pass', 'and it is shown');
        assert.deepEqual(groups(layer).map(function (g) { return g.getAttr('id'); }).sort(), [1, 2, 3]);
        var added = animation.addItem('cone', 'default', 'default', 'default');
        assert.equal(added.getAttr('id'), 4);
    });
});

test('a file with a different caption count is reported once, loads all the same, and a frame without a caption shows none', function () {
    withAnimation(function (animation, fm, layer) {
        var settings = threeItemSettings();
        settings.frameText = ['Start'];
        settings.selectedFrame = 2;
        cppInterface.clearReceivedMessages();
        var raised = fileErrorsRaisedBy(function () {
            fm.loadSettings(settings);
        });
        assert.deepEqual(raised, ['Number of frames does not match']);
        assert.deepEqual(cppInterface.receivedMessages(),
            [{ msgType: 'errorOpeningFile', errorInfo: 'Number of frames does not match' }], 'passed on to the host');
        assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.objects.length], [3, 2, 3], 'loaded');
        assert.equal(layer.getFrameText(), '', 'the frame without a caption shows an empty one');
        fm.loadFrame(0);
        assert.equal(layer.getFrameText(), 'Start');
        fm.saveFrame();
        assert.deepEqual(fm.frameText, ['Start', '', ''], 'one caption per frame from then on');

        settings = threeItemSettings();
        settings.frameText = ['a', 'b', 'c', 'd', 'e'];
        raised = fileErrorsRaisedBy(function () {
            fm.loadSettings(settings);
        });
        assert.deepEqual(raised, ['Number of frames does not match'], 'surplus captions too');
        assert.deepEqual(fm.frameText, ['a', 'b', 'c']);
        checkInvariants(fm, 'after a surplus');
    });
});

test('clearing empties the model and the display', function () {
    withAnimation(function (animation, fm, layer) {
        fm.loadSettings(threeItemSettings());
        fm.clearAnimation();
        assert.deepEqual([fm.nFrames, fm.selectedFrame, fm.idCounter, fm.objects.length, fm.frameText.length],
            [1, 0, 0, 0, 0]);
        assert.equal(groups(layer).length, 0);
        assert.equal(layer.getFrameText(), '');
        fm.loadSettings(threeItemSettings());
        fm.resetState();
        assert.equal(groups(layer).length, 0, 'resetState is the same operation');
    });
});

test('misuse of the model is refused with an error', function () {
    withAnimation(function (animation, fm) {
        assert.throws(function () { return new FrameManager(); }, /animation layer/);
        assert.throws(function () { fm.loadFrame(1); }, /frame index/);
        assert.throws(function () { fm.loadFrame(-1); }, /frame index/);
        assert.throws(function () { fm.scaleSelected(0); }, /positive/);
        var settings = threeItemSettings();
        settings.selectedFrame = 3;
        assert.throws(function () { fm.loadSettings(settings); }, /needed/);
        assert.equal(fm.nFrames, 1, 'a refused load changes nothing');
    });
});
