// The editor's keys (Keyboard.js) as DOM key events on the page, the page
// events they raise, what the shell does with them, and the keys that are
// ignored while an overlay is open or the drill plays.

var editor = pageShell.animation;
var layer = editor.animLayer;

var KEYS = { Backspace: 8, Escape: 27, Space: 32, Left: 37, Up: 38, Right: 39, Down: 40, Delete: 46,
    A: 65, C: 67, N: 78, O: 79, S: 83, V: 86, Y: 89, Z: 90, Q: 81 };

// A key press as the engine delivers it; returns whether the page kept the
// engine's own action from happening.
function press(key, mods) {
    mods = mods || '';
    var evt = document.createEvent('Event');
    evt.initEvent('keydown', true, true);
    var props = { keyCode: KEYS[key], ctrlKey: mods.indexOf('ctrl') !== -1, shiftKey: mods.indexOf('shift') !== -1,
        altKey: mods.indexOf('alt') !== -1, metaKey: mods.indexOf('meta') !== -1 };
    Object.keys(props).forEach(function (name) {
        Object.defineProperty(evt, name, { value: props[name] });
    });
    document.body.dispatchEvent(evt);
    return evt.defaultPrevented;
}

// The page events a key raises, recorded instead of handled: the shell's
// commands are tested below.
function raisedBy(key, mods) {
    var raised = [];
    var prevented;
    var original = window.myDispatchEvent;
    window.myDispatchEvent = function (name, detail) {
        raised.push([name, detail]);
    };
    try {
        prevented = press(key, mods);
    } finally {
        window.myDispatchEvent = original;
    }
    return { events: raised, prevented: prevented };
}

function resetEditor() {
    cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
    myDispatchEvent('newAnimation', {});
    cppInterface.clearReplies();
}

function add(type) {
    myDispatchEvent('addItem', { type: type, col1: 'default', col2: 'default', scale: 'default' });
    return layer.itemGroups()[layer.itemGroups().length - 1];
}

function selected() {
    return layer.itemGroups().filter(function (g) { return g.isSelected; });
}

// [key, modifiers, event raised, detail]
var BINDINGS = [
    ['Delete', '', 'deleteSelectedItems', {}],
    ['Backspace', '', 'deleteSelectedItems', {}],
    ['A', 'ctrl', 'selectAllItems', {}],
    ['C', 'ctrl', 'copySelectedItems', {}],
    ['V', 'ctrl', 'pasteItems', {}],
    ['Z', 'ctrl', 'undo', {}],
    ['Z', 'ctrl shift', 'redo', {}],
    ['Y', 'ctrl', 'redo', {}],
    ['Z', 'meta', 'undo', {}],
    ['N', 'ctrl', 'newAnimation', {}],
    ['O', 'ctrl', 'openAnimation', {}],
    ['S', 'ctrl', 'saveAnimation', { toCurrentFile: true }],
    ['S', 'ctrl shift', 'saveAnimation', { toCurrentFile: false }],
    ['Left', '', 'nudgeSelectedItems', { dx: -1, dy: 0 }],
    ['Right', 'shift', 'nudgeSelectedItems', { dx: 10, dy: 0 }],
    ['Up', '', 'nudgeSelectedItems', { dx: 0, dy: -1 }],
    ['Down', 'shift', 'nudgeSelectedItems', { dx: 0, dy: 10 }],
    ['Space', '', 'play', {}],
    ['Escape', '', 'escapePressed', {}]
];

test('each key raises its page event and keeps the engine\'s own action from happening', function () {
    BINDINGS.forEach(function (b) {
        var got = raisedBy(b[0], b[1]);
        var what = b[1] + ' ' + b[0];
        assert.deepEqual(got.events, [[b[2], b[3]]], what);
        assert.equal(got.prevented, true, what + ' kept from the engine');
    });
});

test('other keys and other modifiers are left alone', function () {
    [['Q', ''], ['S', ''], ['A', ''], ['Z', 'alt ctrl'], ['Left', 'ctrl'], ['Delete', 'ctrl']].forEach(function (k) {
        var got = raisedBy(k[0], k[1]);
        assert.deepEqual(got.events, [], k.join(' '));
        assert.equal(got.prevented, false, k.join(' ') + ' left to the engine');
    });
});

test('while an overlay is open only Escape works; during playback only Space (stop) and Escape', function () {
    var keyboard = pageShell.keyboard;
    try {
        keyboard.setOverlayOpen(true);
        BINDINGS.forEach(function (b) {
            var got = raisedBy(b[0], b[1]);
            var expected = b[0] === 'Escape' ? [[b[2], b[3]]] : [];
            assert.deepEqual(got.events, expected, 'overlay: ' + b[1] + ' ' + b[0]);
        });
        assert.equal(raisedBy('Space').prevented, true, 'Space does nothing, but does not scroll either');
        keyboard.setOverlayOpen(false);
        keyboard.setPlaying(true);
        BINDINGS.forEach(function (b) {
            var got = raisedBy(b[0], b[1]);
            var expected = b[0] === 'Escape' ? [[b[2], b[3]]] : b[0] === 'Space' ? [['stop', {}]] : [];
            assert.deepEqual(got.events, expected, 'playing: ' + b[1] + ' ' + b[0]);
        });
    } finally {
        keyboard.setOverlayOpen(false);
        keyboard.setPlaying(false);
    }
});

test('the shell keeps the keyboard in step with overlays and playback', function () {
    var keyboard = pageShell.keyboard;
    myDispatchEvent('disableControls', {});
    assert.deepEqual([keyboard.overlayOpen, pageShell.overlayOpen], [true, true]);
    myDispatchEvent('enableControls', {});
    assert.deepEqual([keyboard.overlayOpen, pageShell.overlayOpen], [false, false]);
    resetEditor();
    add('person');
    myDispatchEvent('addFrame', {});
    press('Space');
    assert.deepEqual([keyboard.playing, editor.playbackManager.isPlaying], [true, true]);
    press('Space');
    assert.deepEqual([keyboard.playing, editor.playbackManager.isPlaying], [false, false]);
});

test('Ctrl+A selects every item, Escape clears the selection, Delete deletes it', function () {
    resetEditor();
    add('person');
    add('cone');
    add('gaaBall');
    assert.equal(selected().length, 1, 'the new item alone');
    press('A', 'ctrl');
    assert.equal(selected().length, 3);
    press('Escape');
    assert.equal(selected().length, 0);
    layer.itemGroups()[1].selectFunc(true);
    press('Delete');
    assert.deepEqual(editor.frameManager.objects.map(function (r) { return r.type; }), ['person', 'gaaBall']);
    press('Z', 'ctrl');
    assert.equal(editor.frameManager.objects.length, 3, 'undone');
});

test('Ctrl+C and Ctrl+V paste copies a little offset, selected, in every frame', function () {
    resetEditor();
    var person = add('person');
    add('cone');
    myDispatchEvent('addFrame', {});
    press('Escape');
    person = layer.itemGroups()[0];
    person.getFieldItem().setCol('blue', 1);
    person.setLabel('Seán');
    person.selectFunc(true);
    var from = person.getProperties();
    press('C', 'ctrl');
    press('V', 'ctrl');
    var pasted = selected();
    assert.equal(pasted.length, 1, 'the copy alone is selected');
    var p = pasted[0].getProperties();
    assert.deepEqual([p.type, p.col1, p.text, p.scale], ['person', 'blue', 'Seán', from.scale]);
    assert.close(p.x, from.x + 0.03, 1e-9, 'offset right');
    assert.close(p.y, from.y + 0.03, 1e-9, 'offset down');
    assert.notEqual(p.id, from.id, 'an item of its own');
    editor.frameManager.saveFrame();
    var record = editor.frameManager.findObject(p.id);
    assert.equal(record.frames.length, 2, 'in both frames');
    press('V', 'ctrl');
    assert.equal(layer.itemGroups().length, 4, 'pasted again');
    press('Escape');
    press('V', 'ctrl');
    assert.equal(layer.itemGroups().length, 5, 'the copy stays copied');
});

test('the arrows nudge the selection on screen, also with the pitch turned, and keep it on the pitch', function () {
    resetEditor();
    var g = add('person');
    var item = g.getFieldItem().group;
    var start = { x: item.x(), y: item.y() };
    press('Right');
    press('Down', 'shift');
    assert.deepEqual([item.x() - start.x, item.y() - start.y], [1, 10]);
    myDispatchEvent('rotateClockwise', {});
    g = layer.itemGroups()[0];
    g.selectFunc(true);
    item = g.getFieldItem().group;
    var turned = { x: item.x(), y: item.y() };
    press('Right', 'shift');
    // Turned a quarter clockwise, screen right is the pitch's own up.
    assert.close(item.x() - turned.x, 0, 1e-9);
    assert.close(item.y() - turned.y, -10, 1e-9);
    for (var i = 0; i < 200; i++) {
        press('Right', 'shift');
    }
    assert.close(item.y(), 0, 1e-9, 'stopped at the pitch edge');
    myDispatchEvent('rotateAntiClockwise', {});
});

test('Escape closes the background picker and the colour chooser with nothing changed', function (done) {
    resetEditor();
    var before = editor.saveToString();
    myDispatchEvent('chooseBackground', {});
    assert.equal(editor.stage.find('.bgPickerLayer').length, 1);
    press('Escape');
    assert.equal(editor.stage.find('.bgPickerLayer').length, 0, 'picker closed');
    assert.equal(pageShell.toolbar.layer.listening(), true, 'controls back');
    assert.equal(editor.saveToString(), before);

    var g = add('person');
    var colourButton = g.find('.colPickerButton')[0];
    colourButton.fire('click');
    assert.equal(editor.stage.find('.pickerLayer').length, 1);
    assert.equal(pageShell.keyboard.overlayOpen, true);
    waitFor('the colour squares', function () { return editor.stage.find('.colPickerSquare').length > 0; }, done,
        function () {
            var withItem = editor.saveToString();
            press('Escape');
            assert.equal(editor.stage.find('.pickerLayer').length, 0, 'chooser closed');
            assert.equal(pageShell.keyboard.overlayOpen, false);
            assert.equal(editor.saveToString(), withItem, 'no colour taken');
            assert.equal(layer.itemGroups()[0].isSelected, true, 'the selection stays: Escape closed the chooser only');
            // A click outside the disc closes it too.
            colourButton = layer.itemGroups()[0].find('.colPickerButton')[0];
            colourButton.fire('click');
            waitFor('the colour squares again', function () {
                return editor.stage.find('.colPickerSquare').length > 0;
            }, done, function () {
                clickAt(editor.stage, 3, 3);
                assert.equal(editor.stage.find('.pickerLayer').length, 0, 'closed by a click outside');
                assert.equal(editor.saveToString(), withItem);
                done();
            });
        });
});
