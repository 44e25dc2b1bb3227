// Undo and redo: the history on its own (EditHistory.js), then through the
// page shell with the editor's real animation, where every kind of change a
// coach makes must come undone to exactly the text saved before it.

var editor = pageShell.animation;
var layer = editor.animLayer;
var fm = editor.frameManager;

function parts(objects, selectedFrame, head) {
    return { head: head || '{"h":1,', tail: '}', selectedFrame: selectedFrame || 0, objects: objects };
}

function text(n, size) {
    return new Array(size + 1).join(String.fromCharCode(97 + (n % 26)));
}

// ---- The history on its own ------------------------------------------------

test('undo and redo walk the snapshots; a new change drops the steps that could be redone', function () {
    var h = new EditHistory(1e6);
    h.reset(parts(['a']));
    assert.deepEqual([h.canUndo(), h.canRedo()], [false, false]);
    assert.equal(h.record(parts(['a', 'b'])), true);
    assert.equal(h.record(parts(['a', 'b', 'c'])), true);
    assert.deepEqual(h.undo().objects, ['a', 'b']);
    assert.deepEqual(h.undo().objects, ['a']);
    assert.equal(h.undo(), null, 'nothing before the start');
    assert.deepEqual(h.redo().objects, ['a', 'b']);
    assert.equal(h.record(parts(['x'])), true);
    assert.equal(h.canRedo(), false, 'redo gone after a new change');
    assert.deepEqual(h.undo().objects, ['a', 'b']);
    assert.equal(h.length(), 3);
});

test('a change of the selected frame alone is no step, but an undo comes back to that frame', function () {
    var h = new EditHistory(1e6);
    h.reset(parts(['a'], 0));
    assert.equal(h.record(parts(['a'], 2)), false, 'moving to frame 3 is no change');
    assert.equal(h.record(parts(['b'], 2)), true);
    assert.equal(h.record(parts(['b'], 0)), false);
    var back = h.undo();
    assert.deepEqual([back.objects, back.selectedFrame], [['a'], 2], 'the frame the change was made on');
    assert.equal(h.redo().selectedFrame, 0);
    assert.equal(h.record(parts(['b'], 0, '{"h":2,')), true, 'a change outside the items counts');
});

test('the history keeps within its bytes, dropping the oldest first but never the one on screen', function () {
    var limit = 40000;
    var h = new EditHistory(limit);
    var objects = [];
    for (var i = 0; i < 10; i++) {
        objects.push(text(i, 1000));
    }
    h.reset(parts(objects.slice()));
    var steps = 0;
    // 200 changes of one item each: only that item's text is new.
    for (var n = 0; n < 200; n++) {
        objects[n % 10] = text(n + 3, 1000 + n % 7);
        h.record(parts(objects.slice()));
        steps += 1;
        assert.ok(h.bytes() <= limit, 'within the limit after ' + steps + ' changes: ' + h.bytes());
    }
    // Shared parts count once: about (40000 - 20000 for the first) / 2000.
    assert.ok(h.length() >= 8 && h.length() < 20, 'kept ' + h.length() + ' snapshots');
    var undone = 0;
    while (h.undo()) {
        undone += 1;
    }
    assert.equal(undone, h.length() - 1);
    // One snapshot larger than the whole limit still stays.
    var big = new EditHistory(100);
    big.reset(parts(['small']));
    big.record(parts([text(1, 500)]));
    assert.equal(big.length(), 1);
    assert.deepEqual(big.current().objects, [text(1, 500)]);
});

test('equal parts of neighbouring snapshots are shared, not copied', function () {
    var h = new EditHistory(1e6);
    var objects = [text(1, 5000), text(2, 5000), text(3, 5000)];
    h.reset(parts(objects.slice()));
    var before = h.bytes();
    h.record(parts([objects[2], objects[0], 'moved'], 0));
    assert.equal(h.bytes() - before, 'moved'.length * 2, 'only the new item\'s text counts, in any order');
});

test('misuse is refused', function () {
    assert.throws(function () { EditHistory(10); }, /new/);
    assert.throws(function () { return new EditHistory(-1); }, /limit/);
});

// ---- Through the page shell ----------------------------------------------------

function resetEditor() {
    cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
    myDispatchEvent('newAnimation', {});
    cppInterface.clearReplies();
}

function groups() {
    return layer.itemGroups();
}

function add(type) {
    myDispatchEvent('addItem', { type: type, col1: 'default', col2: 'default', scale: 'default' });
    return groups()[groups().length - 1];
}

// What a pointer release on the pitch does at the end of a drag, a turn, a
// resize or a colour.
function release() {
    editor.stage.fire('contentMouseup');
}

function selectOnly(group) {
    groups().forEach(function (g) { g.selectFunc(g === group); });
}

var LOGO = 'data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==';

// Every kind of change a coach makes, one at a time.
var CHANGES = [
    ['add an item', function () { add('cone'); }],
    ['move an item (drag)', function () {
        var g = groups()[0];
        g.updatePosition(layer.pixelPos({ x: 0.2, y: 0.7 }), g.getFieldItem().group.rotation());
        release();
    }],
    ['turn an item', function () {
        var g = groups()[0];
        g.updatePosition({ x: g.getFieldItem().group.x(), y: g.getFieldItem().group.y() }, 45);
        release();
    }],
    ['scale an item from the picker', function () {
        selectOnly(groups()[0]);
        myDispatchEvent('increaseSelectedScale', {});
    }],
    ['colour an item', function () {
        groups()[0].getFieldItem().setCol('blue', 1);
        release();
    }],
    ['label an item', function () {
        cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(groups()[0]._id), text: 'Seán' });
    }],
    ['short-label a player', function () {
        cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: String(groups()[0]._id), text: '9' });
    }],
    ['caption the frame', function () {
        cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Overlap – ǵ' });
    }],
    ['add a frame', function () { myDispatchEvent('addFrame', {}); }],
    ['move in the new frame', function () {
        var g = groups()[0];
        g.updatePosition(layer.pixelPos({ x: 0.6, y: 0.3 }), 10);
        release();
    }],
    ['remove a frame', function () { myDispatchEvent('removeFrame', {}); }],
    ['choose a view', function () {
        editor.bgLayer.setBackground('gaa', 'oneEnd', true);
        myDispatchEvent('backgroundChosen', { sport: 'gaa', bgType: 'oneEnd' });
    }],
    ['choose another sport', function () {
        editor.bgLayer.setBackground('soccer', 'penaltyArea', true);
        myDispatchEvent('backgroundChosen', { sport: 'soccer', bgType: 'penaltyArea' });
    }],
    ['grid', function () { myDispatchEvent('toggleGrid', {}); }],
    ['running lines', function () { myDispatchEvent('toggleRunningLines', {}); }],
    ['a logo', function () { cppInterface.emitToPage({ msgType: 'setLogoImage', image: LOGO }); }],
    ['hide the logo', function () { myDispatchEvent('toggleLogo', {}); }],
    ['turn the pitch', function () { myDispatchEvent('rotateClockwise', {}); }],
    ['nudge with the arrows', function () {
        selectOnly(groups()[0]);
        myDispatchEvent('nudgeSelectedItems', { dx: 10, dy: 0 });
    }],
    ['paste a copy', function () {
        selectOnly(groups()[0]);
        myDispatchEvent('copySelectedItems', {});
        myDispatchEvent('pasteItems', {});
    }],
    ['delete the selection', function () {
        selectOnly(groups()[1]);
        myDispatchEvent('deleteSelectedItems', {});
    }]
];

test('every kind of change comes undone to exactly the text saved before it, and redone to the one after', function () {
    resetEditor();
    add('person');
    var texts = [editor.saveToString()];
    CHANGES.forEach(function (c) {
        var before = editor.saveToString();
        c[1]();
        var after = editor.saveToString();
        assert.notEqual(after, before, c[0] + ' changed the drill');
        myDispatchEvent('undo', {});
        assert.equal(editor.saveToString(), before, c[0] + ' undone');
        assert.deepEqual([pageShell.timeline.nFrames, pageShell.timeline.selectedFrame],
            [fm.nFrames, fm.selectedFrame], c[0] + ': the timeline follows');
        myDispatchEvent('redo', {});
        assert.equal(editor.saveToString(), after, c[0] + ' redone');
        texts.push(after);
    });
    // All the way back, and all the way forward again.
    for (var i = texts.length - 2; i >= 0; i--) {
        myDispatchEvent('undo', {});
        assert.equal(editor.saveToString(), texts[i], 'back to step ' + i);
    }
    myDispatchEvent('undo', {});
    assert.equal(layer.itemGroups().length, 0, 'and before the first item, the new drill');
    assert.equal(pageShell.history.canUndo(), false);
    myDispatchEvent('redo', {});
    for (var k = 1; k < texts.length; k++) {
        myDispatchEvent('redo', {});
        assert.equal(editor.saveToString(), texts[k], 'forward to step ' + k);
    }
    assert.equal(editor.sport, 'soccer');
    assert.equal(pageShell.itemPicker.sport, 'soccer', 'the palette follows the sport brought back');
});

test('undo comes back to the frame the change was made on; selecting frames is no step', function () {
    resetEditor();
    add('person');
    myDispatchEvent('addFrame', {});
    myDispatchEvent('addFrame', {});
    myDispatchEvent('selectedFrame', { frameNumber: 1 });
    var before = editor.saveToString();
    groups()[0].updatePosition(layer.pixelPos({ x: 0.9, y: 0.9 }), 0);
    release();
    myDispatchEvent('selectedFrame', { frameNumber: 0 });
    myDispatchEvent('selectedFrame', { frameNumber: 2 });
    myDispatchEvent('undo', {});
    assert.equal(editor.saveToString(), before);
    assert.deepEqual([fm.selectedFrame, pageShell.timeline.selectedFrame], [1, 1]);
});

test('New and an opened file start a fresh history; the toolbar shows what can be undone', function () {
    resetEditor();
    var toolbar = pageShell.toolbar;
    function looks() {
        return [toolbar.byEvent.undo.enabled, toolbar.byEvent.redo.enabled];
    }
    assert.deepEqual(looks(), [false, false]);
    add('person');
    assert.deepEqual(looks(), [true, false]);
    myDispatchEvent('undo', {});
    assert.deepEqual(looks(), [false, true]);
    myDispatchEvent('redo', {});
    var drill = editor.saveToString();
    resetEditor();
    assert.deepEqual(looks(), [false, false], 'after New');
    add('cone');
    cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: drill });
    assert.deepEqual(looks(), [false, false], 'after opening');
    myDispatchEvent('undo', {});
    assert.equal(editor.saveToString(), drill, 'nothing to undo into');
});

test('the host hears of every change of the text, and of nothing else', function () {
    resetEditor();
    cppInterface.clearReceivedMessages();
    add('person');
    myDispatchEvent('toggleGrid', {});
    release();
    myDispatchEvent('undo', {});
    var told = cppInterface.receivedMessages().filter(function (m) { return m.msgType === 'animationChanged'; });
    assert.equal(told.length, 3, 'add, grid, undo; not the bare release');
    assert.equal(told[2].strToSave, editor.saveToString());
});

test('nothing is recorded during playback; playing saves first', function () {
    resetEditor();
    add('person');
    myDispatchEvent('addFrame', {});
    var length = pageShell.history.length();
    myDispatchEvent('play', {});
    release();
    myDispatchEvent('toggleGrid', {});
    assert.equal(pageShell.history.length(), length, 'no step while playing');
    myDispatchEvent('stop', {});
    release();
    assert.equal(pageShell.history.length(), length + 1, 'the grid, once stopped');
});
