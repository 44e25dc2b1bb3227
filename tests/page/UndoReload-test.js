// Undo and redo put back only what differs from the drill on screen, and
// looking at frames is no change at all: the history notes the frame without
// a snapshot, and the host hears nothing. What an undo or a redo shows is
// checked against the exact texts saved before and after each change, and
// node for node against a full load of the same text.

var editor = pageShell.animation;
var layer = editor.animLayer;
var fm = editor.frameManager;

var LOGO = 'data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==';

function groups() {
    return layer.itemGroups();
}

function release() {
    editor.stage.fire('contentMouseup');
}

function selectOnly(picked) {
    groups().forEach(function (g, i) { g.selectFunc(picked.indexOf(i) !== -1); });
}

// 24 items of five kinds over four frames, labelled and captioned, built
// through the shell as a coach builds one; frame 1 on show.
var drill = null;
function richDrill() {
    if (!drill) {
        newDrill();
        var types = ['person', 'person', 'gaaBall', 'cone', 'ring', 'hurdle'];
        types.concat(types, types, types).forEach(function (type) {
            addToEditor(type);
        });
        cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(groups()[0]._id), text: 'Seán' });
        cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: String(groups()[1]._id), text: '9' });
        for (var f = 1; f < 4; f++) {
            myDispatchEvent('addFrame', {});
            cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Step ' + f });
            groups().forEach(function (g, i) {
                g.updatePosition(layer.pixelPos({ x: (i + f) % 5 / 5 + 0.1, y: f / 5 + i / 30 }),
                    (i * 40 + f * 25) % 360 - 180);
            });
            release();
        }
        myDispatchEvent('toggleRunningLines', {});
        myDispatchEvent('selectedFrame', { frameNumber: 1 });
        // Places and turns with every digit used, as files written elsewhere
        // have them: pixels do not always give them back to the last digit.
        var settings = JSON.parse(editor.saveToString());
        var seed = 7;
        function next() {
            seed = (seed * 1103515245 + 12345) % 2147483648;
            return 0.05 + 0.9 * seed / 2147483648;
        }
        settings.objects.forEach(function (record) {
            var fixed = new FieldItem(0, 0, 0, 'default', record.type, 'default', 'default', 1).posIsFixed;
            var place = { x: next(), y: next(), rotation: 400 * next() - 200 };
            record.frames.forEach(function (state) {
                state.x = fixed ? place.x : next();
                state.y = fixed ? place.y : next();
                state.rotation = fixed ? place.rotation : 400 * next() - 200;
            });
        });
        drill = JSON.stringify(settings);
    }
    return drill;
}

// The drill opened afresh, as from a file: a new history.
function openDrill() {
    openInEditor(richDrill());
    cppInterface.clearReceivedMessages();
    return editor.saveToString();
}

// Every node that shows on both pitch layers with its attributes (sorted,
// pictures by their source), one line each. Hidden nodes are left out: an
// item once selected keeps its hidden controls, which a load does not build.
function sceneLines() {
    var lines = [];
    function visit(node, depth) {
        if (node.attrs.visible === false) {
            return;
        }
        var attrs = Object.keys(node.attrs).sort().map(function (key) {
            var value = node.attrs[key];
            value = (value && value.src) ? value.src : (typeof value === 'function' ? 'function' : value);
            return key + '=' + JSON.stringify(value);
        });
        lines.push(depth + ' ' + node.className + ' ' + attrs.join(' '));
        if (node.children) {
            node.children.each(function (child) { visit(child, depth + 1); });
        }
    }
    visit(editor.bgLayer, 0);
    visit(layer, 0);
    return lines;
}

function firstDifference(a, b) {
    for (var i = 0; i < Math.max(a.length, b.length); i++) {
        if (a[i] !== b[i]) {
            return 'line ' + i + ': ' + a[i] + ' / ' + b[i];
        }
    }
    return '';
}

// '' when the texts are equal, else where they part, briefly: the texts run
// to many thousands of characters.
function textDifference(actual, expected) {
    if (actual === expected) {
        return '';
    }
    for (var i = 0; i < actual.length && actual[i] === expected[i]; i++) {
        continue;
    }
    return 'at ' + i + ': ' + actual.substr(Math.max(0, i - 40), 80) + ' / ' +
        expected.substr(Math.max(0, i - 40), 80);
}

// What a full load of `text` shows, ids kept as an undo keeps them.
function fullLoadLines(text) {
    editor.loadFromString(text, true);
    return sceneLines();
}

var CHANGES = [
    ['drag one item', function () {
        groups()[2].updatePosition(layer.pixelPos({ x: 0.33, y: 0.44 }), 12);
        release();
    }],
    ['resize every item', function () {
        selectOnly([0, 1, 2, 3, 4, 5]);
        myDispatchEvent('increaseSelectedScale', {});
    }],
    ['turn the pitch', function () { myDispatchEvent('rotateClockwise', {}); }],
    ['another sport and view', function () {
        editor.bgLayer.setBackground('rugby', 'oneEnd', true);
        myDispatchEvent('backgroundChosen', { sport: 'rugby', bgType: 'oneEnd' });
    }],
    ['grid', function () { myDispatchEvent('toggleGrid', {}); }],
    ['running lines', function () { myDispatchEvent('toggleRunningLines', {}); }],
    ['a logo', function () { cppInterface.emitToPage({ msgType: 'setLogoImage', image: LOGO }); }],
    ['caption', function () { cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Overlap' }); }],
    ['add a frame', function () { myDispatchEvent('addFrame', {}); }],
    ['remove a frame', function () { myDispatchEvent('removeFrame', {}); }],
    ['delete two items', function () {
        selectOnly([1, 4]);
        myDispatchEvent('deleteSelectedItems', {});
    }],
    ['paste a copy', function () {
        selectOnly([0]);
        myDispatchEvent('copySelectedItems', {});
        myDispatchEvent('pasteItems', {});
    }]
];

test('every kind of change undoes and redoes to the exact texts, showing what a full load of them shows', function () {
    CHANGES.forEach(function (c) {
        var before = openDrill();
        c[1]();
        var after = editor.saveToString();
        assert.notEqual(after, before, c[0] + ' changed the drill');
        myDispatchEvent('undo', {});
        assert.equal(textDifference(editor.saveToString(), before), '', c[0] + ' undone');
        release();
        assert.equal(pageShell.history.canRedo(), true, c[0] + ': the undone drill saves unchanged, no new step');
        var undone = sceneLines();
        myDispatchEvent('redo', {});
        assert.equal(textDifference(editor.saveToString(), after), '', c[0] + ' redone');
        var redone = sceneLines();
        assert.equal(textDifference(sentOfType('animationChanged').map(function (m) { return m.strToSave; })
            .slice(-2).join('\n'), [before, after].join('\n')), '', c[0] + ': the host is told of both texts');
        assert.equal(firstDifference(undone, fullLoadLines(before)), '', c[0] + ': undone as loaded');
        assert.equal(firstDifference(redone, fullLoadLines(after)), '', c[0] + ': redone as loaded');
    });
});

test('looking at frames takes no snapshot and tells the host nothing; an undo comes back to the frame', function () {
    var opened = openDrill();
    var steps = pageShell.history.length();
    [3, 0, 2, 2, 1].forEach(function (f) {
        myDispatchEvent('selectedFrame', { frameNumber: f });
        assert.equal(fm.selectedFrame, f);
    });
    assert.equal(pageShell.history.length(), steps, 'no step');
    assert.deepEqual(sent(), [], 'nothing sent');
    assert.equal(textDifference(editor.saveToString(), opened), '', 'nothing changed');

    myDispatchEvent('selectedFrame', { frameNumber: 3 });
    var onFrame3 = editor.saveToString();
    groups()[0].updatePosition(layer.pixelPos({ x: 0.8, y: 0.2 }), 0);
    release();
    var changed = editor.saveToString();
    myDispatchEvent('selectedFrame', { frameNumber: 0 });
    myDispatchEvent('undo', {});
    assert.equal(textDifference(editor.saveToString(), onFrame3), '', 'back on the frame the change was made on');
    assert.deepEqual([fm.selectedFrame, pageShell.timeline.selectedFrame], [3, 3]);
    myDispatchEvent('redo', {});
    assert.equal(JSON.parse(editor.saveToString()).selectedFrame, 0, 'redone on the frame undone from');
    myDispatchEvent('selectedFrame', { frameNumber: 3 });
    assert.equal(textDifference(editor.saveToString(), changed), '');
});

test('a change still on display when another frame is chosen is recorded as a step of its own', function () {
    var opened = openDrill();
    var steps = pageShell.history.length();
    groups()[1].updatePosition(layer.pixelPos({ x: 0.7, y: 0.7 }), 30);
    myDispatchEvent('selectedFrame', { frameNumber: 2 });
    assert.equal(pageShell.history.length(), steps + 1);
    assert.equal(sentOfType('animationChanged').length, 1, 'the host is told');
    myDispatchEvent('selectedFrame', { frameNumber: 1 });
    var moved = editor.saveToString();
    assert.notEqual(moved, opened);
    myDispatchEvent('undo', {});
    assert.equal(textDifference(editor.saveToString(), opened), '');
    myDispatchEvent('redo', {});
    assert.equal(JSON.stringify(JSON.parse(editor.saveToString()).objects),
        JSON.stringify(JSON.parse(moved).objects), 'the move comes back');
});

test('every text the host gets marks the selected frame\'s number, which alone may differ for a look', function () {
    openDrill();
    myDispatchEvent('selectedFrame', { frameNumber: 3 });
    myDispatchEvent('toggleGrid', {});
    myDispatchEvent('saveAnimation', {});
    cppInterface.emitToPage({ msgType: 'requestAnimationText' });
    newDrill();
    var texts = sent().filter(function (m) { return m.strToSave !== undefined; });
    assert.deepEqual(texts.map(function (m) { return m.msgType; }),
        ['animationChanged', 'saveAnimation', 'animationText', 'animationReset']);
    texts.forEach(function (m) {
        var settings = JSON.parse(m.strToSave);
        assert.equal(m.strToSave.substr(m.shownFrameAt, m.shownFrameLength), String(settings.selectedFrame),
            m.msgType);
        settings.selectedFrame = 123;
        var other = m.strToSave.slice(0, m.shownFrameAt) + '123' + m.strToSave.slice(m.shownFrameAt +
            m.shownFrameLength);
        assert.equal(other, JSON.stringify(settings), m.msgType + ': the span is the member\'s whole value');
    });
});

// The whole stage drawn, as a PNG data URL, to `callback`.
function picture(callback) {
    editor.stage.draw();
    editor.stage.toDataURL({ mimeType: 'image/png', callback: callback });
}

test('an undo draws, pixel for pixel, the picture a full load of the same text draws', function (done) {
    var cases = CHANGES.filter(function (c) {
        return ['drag one item', 'resize every item', 'turn the pitch', 'another sport and view'].indexOf(c[0]) !== -1;
    });
    function next(k) {
        if (k === cases.length) {
            done();
            return;
        }
        var before = openDrill();
        cases[k][1]();
        picture(function (changed) {
            myDispatchEvent('undo', {});
            picture(function (undone) {
                assert.notEqual(undone, changed, cases[k][0] + ' shows');
                editor.loadFromString(before, true);
                picture(function (loaded) {
                    assert.ok(undone === loaded, cases[k][0] + ': the undone picture is the loaded one');
                    next(k + 1);
                });
            });
        });
    }
    next(0);
}, 120000);
