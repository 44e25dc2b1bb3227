// Editing in the editor: undo and redo (EditHistory.js and the shell) back to
// exactly the text saved before each kind of change, and the keys
// (Keyboard.js), blocked but for Escape while an overlay is open or it plays.

var editor = pageShell.animation;
var layer = editor.animLayer;

function parts(objects, selectedFrame, head) {
    return { head: head || '{"h":1,', tail: '}', selectedFrame: selectedFrame || 0, objects: objects };
}

test('the history: undo and redo walk the snapshots, a frame change alone is no step, and it keeps within its bytes', function () {
    var h = new EditHistory(1e6);
    h.reset(parts(['a']));
    assert.deepEqual([h.canUndo(), h.canRedo(), h.record(parts(['a'], 2)), h.record(parts(['b'], 2))],
        [false, false, false, true]);
    assert.equal(h.record(parts(['b'], 0, '{"h":2,')), true, 'a change outside the items counts');
    assert.deepEqual([h.undo().objects, h.undo().selectedFrame, h.undo()], [['b'], 2, null], 'back to the frame changed on');
    assert.deepEqual([h.redo().objects, h.record(parts(['x'])), h.canRedo()], [['b'], true, false], 'a new change drops the redo');
    var big = new Array(1001).join('y');
    h = new EditHistory(40000);
    h.reset(parts([big + 0, big + 1]));
    var before = h.bytes();
    h.record(parts([big + 1, big + 0, 'moved']));
    assert.equal(h.bytes() - before, 'moved'.length * 2, 'equal parts are shared, not copied');
    for (var n = 0; n < 100; n++) {
        h.record(parts([big + n, big + 1]));
        assert.ok(h.bytes() <= 40000, 'within the limit after ' + n + ' changes: ' + h.bytes());
    }
    assert.ok(h.length() >= 10 && h.length() <= 20, 'the oldest dropped first: ' + h.length());
    h = new EditHistory(100);
    h.record(parts([big]));
    assert.deepEqual([h.length(), h.current().objects], [1, [big]], 'the one on screen always stays');
});

var KEYS = { Backspace: 8, Escape: 27, Space: 32, Left: 37, Up: 38, Right: 39, Down: 40, Delete: 46,
    A: 65, C: 67, N: 78, O: 79, S: 83, V: 86, Y: 89, Z: 90, Q: 81 };

// A key press as the engine delivers it; true when the page kept the
// engine's own action from happening.
function press(key, mods) {
    mods = mods || '';
    var evt = document.createEvent('Event');
    evt.initEvent('keydown', true, true);
    var props = { keyCode: KEYS[key], ctrlKey: /ctrl/.test(mods), shiftKey: /shift/.test(mods),
        altKey: /alt/.test(mods), metaKey: /meta/.test(mods) };
    Object.keys(props).forEach(function (name) { Object.defineProperty(evt, name, { value: props[name] }); });
    document.body.dispatchEvent(evt);
    return evt.defaultPrevented;
}

// The page events a key raises, recorded instead of handled; `prevented`
// tells whether the engine's own action was kept from happening.
var prevented;
function raisedBy(key, mods) {
    var raised = [];
    var original = window.myDispatchEvent;
    window.myDispatchEvent = function (name, detail) { raised.push([name, detail]); };
    try { prevented = press(key, mods); } finally { window.myDispatchEvent = original; }
    return raised;
}

// A pointer release on the pitch ends a drag, a turn or a colour.
function release() { editor.stage.fire('contentMouseup'); }
function selectOnly(group) { layer.itemGroups().forEach(function (g) { g.selectFunc(g === group); }); }
function first() { return layer.itemGroups()[0]; }

// Every kind of change a coach makes, one at a time.
var CHANGES = [
    ['add an item', function () { addToEditor('cone'); }],
    ['drag and turn an item', function () { first().updatePosition(layer.pixelPos({ x: 0.2, y: 0.7 }), 45); release(); }],
    ['scale from the picker', function () { selectOnly(first()); myDispatchEvent('increaseSelectedScale', {}); }],
    ['colour an item', function () { first().getFieldItem().setCol('blue', 1); release(); }],
    ['label an item', function () { cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(first()._id), text: 'Seán' }); }],
    ['caption the frame', function () { cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Overlap – ǵ' }); }],
    ['add a frame', function () { myDispatchEvent('addFrame', {}); }],
    ['move in the new frame', function () { first().updatePosition(layer.pixelPos({ x: 0.6, y: 0.3 }), 10); release(); }],
    ['remove a frame', function () { myDispatchEvent('removeFrame', {}); }],
    ['choose another sport', function () {
        editor.bgLayer.setBackground('soccer', 'penaltyArea', true);
        myDispatchEvent('backgroundChosen', { sport: 'soccer', bgType: 'penaltyArea' });
    }],
    ['grid', function () { myDispatchEvent('toggleGrid', {}); }],
    ['running lines', function () { myDispatchEvent('toggleRunningLines', {}); }],
    ['a logo', function () { cppInterface.emitToPage({ msgType: 'setLogoImage', image: document.createElement('canvas').toDataURL() }); }],
    ['turn the pitch', function () { myDispatchEvent('rotateClockwise', {}); }],
    ['nudge with the arrows', function () { selectOnly(first()); press('Right', 'shift'); }],
    ['paste a copy', function () { selectOnly(first()); press('C', 'ctrl'); press('V', 'ctrl'); }],
    ['delete the selection', function () { selectOnly(layer.itemGroups()[1]); press('Delete'); }]
];

test('every kind of change comes undone to exactly the text saved before it, and redone to the one after', function () {
    newDrill();
    addToEditor('person');
    var texts = [editor.saveToString()];
    cppInterface.clearReceivedMessages();
    CHANGES.forEach(function (c) {
        var before = editor.saveToString();
        c[1]();
        var after = editor.saveToString();
        assert.notEqual(after, before, c[0] + ' changed the drill');
        assert.equal(sentOfType('animationChanged').pop().strToSave, after, c[0] + ': the host hears of it');
        press('Z', 'ctrl');
        assert.equal(editor.saveToString(), before, c[0] + ' undone');
        assert.deepEqual([pageShell.timeline.nFrames, pageShell.timeline.selectedFrame],
            [editor.frameManager.nFrames, editor.frameManager.selectedFrame], c[0] + ': the timeline follows');
        press('Y', 'ctrl');
        assert.equal(editor.saveToString(), after, c[0] + ' redone');
        texts.push(after);
    });
    for (var i = texts.length - 2; i >= 0; i--) {
        myDispatchEvent('undo', {});
        assert.equal(editor.saveToString(), texts[i], 'back to step ' + i);
    }
    assert.equal(pageShell.itemPicker.sport, 'gaa', 'the palette follows the sport brought back');
    cppInterface.clearReceivedMessages();
    release();
    myDispatchEvent('selectedFrame', { frameNumber: 0 });
    assert.deepEqual(sentOfType('animationChanged'), [], 'a bare release or a frame choice is no change');
    myDispatchEvent('addFrame', {});
    var length = pageShell.history.length();
    myDispatchEvent('play', {});
    myDispatchEvent('toggleGrid', {});
    myDispatchEvent('stop', {});
    assert.equal(pageShell.history.length(), length, 'no step while playing');
    release();
    assert.equal(pageShell.history.length(), length + 1, 'the grid, once stopped');
    [openInEditor.bind(null, NEW_DRILL), newDrill].forEach(function (fresh) {
        fresh();
        var text = editor.saveToString();
        myDispatchEvent('undo', {});
        assert.deepEqual([pageShell.toolbar.byEvent.undo.enabled, editor.saveToString()], [false, text],
            'New and opening start a fresh history');
    });
});

// [key, modifiers, event raised, detail]
var BINDINGS = [
    ['Delete', '', 'deleteSelectedItems', {}], ['Backspace', '', 'deleteSelectedItems', {}],
    ['A', 'ctrl', 'selectAllItems', {}], ['C', 'ctrl', 'copySelectedItems', {}], ['V', 'ctrl', 'pasteItems', {}],
    ['Z', 'ctrl', 'undo', {}], ['Z', 'ctrl shift', 'redo', {}], ['Y', 'ctrl', 'redo', {}], ['Z', 'meta', 'undo', {}],
    ['N', 'ctrl', 'newAnimation', {}], ['O', 'ctrl', 'openAnimation', {}],
    ['S', 'ctrl', 'saveAnimation', { toCurrentFile: true }], ['S', 'ctrl shift', 'saveAnimation', { toCurrentFile: false }],
    ['Left', '', 'nudgeSelectedItems', { dx: -1, dy: 0 }], ['Right', 'shift', 'nudgeSelectedItems', { dx: 10, dy: 0 }],
    ['Up', '', 'nudgeSelectedItems', { dx: 0, dy: -1 }], ['Down', 'shift', 'nudgeSelectedItems', { dx: 0, dy: 10 }],
    ['Space', '', 'play', {}], ['Escape', '', 'escapePressed', {}]
];

test('each key raises its command, other keys are left alone, and an overlay or playback blocks all but Escape and Space', function () {
    var keyboard = pageShell.keyboard;
    BINDINGS.forEach(function (b) {
        assert.deepEqual([raisedBy(b[0], b[1]), prevented], [[[b[2], b[3]]], true], b[1] + ' ' + b[0]);
    });
    [['Q', ''], ['S', ''], ['Z', 'alt ctrl'], ['Left', 'ctrl'], ['Delete', 'ctrl']].forEach(function (k) {
        assert.deepEqual([raisedBy(k[0], k[1]), prevented], [[], false], k.join(' '));
    });
    try {
        myDispatchEvent('disableControls', {});
        assert.equal(keyboard.overlayOpen, true, 'the shell tells the keyboard of an overlay');
        BINDINGS.forEach(function (b) {
            assert.deepEqual(raisedBy(b[0], b[1]), b[0] === 'Escape' ? [[b[2], b[3]]] : [], 'overlay: ' + b[1] + ' ' + b[0]);
        });
        myDispatchEvent('enableControls', {});
        keyboard.setPlaying(true);
        BINDINGS.forEach(function (b) {
            var expected = b[0] === 'Escape' ? [[b[2], b[3]]] : b[0] === 'Space' ? [['stop', {}]] : [];
            assert.deepEqual(raisedBy(b[0], b[1]), expected, 'playing: ' + b[1] + ' ' + b[0]);
        });
    } finally {
        myDispatchEvent('enableControls', {});
        keyboard.setPlaying(false);
    }
});

test('Escape closes the background picker with nothing changed', function () {
    var text = editor.saveToString();
    myDispatchEvent('chooseBackground', {});
    press('Escape');
    assert.deepEqual([editor.stage.find('.bgPickerLayer').length, pageShell.keyboard.overlayOpen, pageShell.toolbar.layer.listening(),
        editor.saveToString()], [0, false, true, text]);
});
