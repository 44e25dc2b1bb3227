// Undo and redo rebuild only what differs from the drill on screen. Checked on
// a rich drill against the exact texts saved before and after each change,
// and node for node against a full load of the same text.

var editor = pageShell.animation;
var layer = editor.animLayer;

function groups() { return layer.itemGroups(); }
function release() { editor.stage.fire('contentMouseup'); }
function selectOnly(picked) { groups().forEach(function (g, i) { g.selectFunc(picked.indexOf(i) !== -1); }); }

// 24 items of five kinds over four frames, labelled and captioned, with
// places and turns using every digit, as files written elsewhere have them.
var drill = null;
function openDrill() {
    if (!drill) {
        newDrill();
        ['person', 'person', 'gaaBall', 'cone', 'ring', 'hurdle'].forEach(function (type) {
            for (var k = 0; k < 4; k++) { addToEditor(type); }
        });
        cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(groups()[0]._id), text: 'Seán' });
        cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: String(groups()[1]._id), text: '9' });
        for (var f = 1; f < 4; f++) {
            myDispatchEvent('addFrame', {});
            cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Step ' + f });
        }
        myDispatchEvent('toggleRunningLines', {});
        var settings = JSON.parse(editor.saveToString());
        var seed = 7;
        var next = function () { seed = (seed * 1103515245 + 12345) % 2147483648; return 0.05 + 0.9 * seed / 2147483648; };
        settings.objects.forEach(function (record) {
            var fixed = new FieldItem(0, 0, 0, 'default', record.type, 'default', 'default', 1).posIsFixed;
            var place = { x: next(), y: next(), rotation: 400 * next() - 200 };
            record.frames.forEach(function (state) {
                state.x = fixed ? place.x : next();
                state.y = fixed ? place.y : next();
                state.rotation = fixed ? place.rotation : 400 * next() - 200;
            });
        });
        settings.selectedFrame = 1;
        drill = JSON.stringify(settings);
    }
    openInEditor(drill);
    cppInterface.clearReceivedMessages();
    return editor.saveToString();
}

// Every visible node of both pitch layers with its attributes, one line each.
// Hidden nodes are left out: controls once shown stay built, a load builds none.
function sceneLines() {
    var lines = [];
    function visit(node, depth) {
        if (node.attrs.visible === false) { return; }
        lines.push(depth + ' ' + node.className + ' ' + Object.keys(node.attrs).sort().map(function (key) {
            var value = node.attrs[key];
            return key + '=' + JSON.stringify((value && value.src) || (typeof value === 'function' ? 'fn' : value));
        }).join(' '));
        if (node.children) { node.children.each(function (child) { visit(child, depth + 1); }); }
    }
    visit(editor.bgLayer, 0);
    visit(layer, 0);
    return lines;
}

// '' when equal, else where they part, briefly: the texts run to thousands of characters.
function difference(a, b) {
    a = [].concat(a);
    b = [].concat(b);
    for (var i = 0; i < Math.max(a.length, b.length); i++) {
        if (a[i] !== b[i]) { return 'item ' + i + ': ' + String(a[i]).substr(0, 200) + ' / ' + String(b[i]).substr(0, 200); }
    }
    return '';
}

var CHANGES = [
    ['drag one item', function () { groups()[2].updatePosition(layer.pixelPos({ x: 0.33, y: 0.44 }), 12); release(); }],
    ['resize six items', function () { selectOnly([0, 1, 2, 3, 4, 5]); myDispatchEvent('increaseSelectedScale', {}); }],
    ['turn the pitch', function () { myDispatchEvent('rotateClockwise', {}); }],
    ['another sport and view', function () {
        editor.bgLayer.setBackground('rugby', 'oneEnd', true);
        myDispatchEvent('backgroundChosen', { sport: 'rugby', bgType: 'oneEnd' });
    }],
    ['grid', function () { myDispatchEvent('toggleGrid', {}); }],
    ['caption', function () { cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Overlap' }); }],
    ['add a frame', function () { myDispatchEvent('addFrame', {}); }],
    ['remove a frame', function () { myDispatchEvent('removeFrame', {}); }],
    ['delete two items', function () { selectOnly([1, 4]); myDispatchEvent('deleteSelectedItems', {}); }],
    ['paste a copy', function () { selectOnly([0]); myDispatchEvent('copySelectedItems', {}); myDispatchEvent('pasteItems', {}); }]
];

test('regression: every kind of change undoes and redoes to the exact texts, showing what a full load of them shows', function () {
    CHANGES.forEach(function (c) {
        var before = openDrill();
        c[1]();
        var after = editor.saveToString();
        assert.notEqual(after, before, c[0] + ' changed the drill');
        myDispatchEvent('undo', {});
        assert.equal(difference(editor.saveToString(), before), '', c[0] + ' undone');
        release();
        assert.ok(pageShell.history.canRedo(), c[0] + ': the undone drill saves unchanged, no new step');
        var undone = sceneLines();
        myDispatchEvent('redo', {});
        assert.equal(difference(editor.saveToString(), after), '', c[0] + ' redone');
        var redone = sceneLines();
        editor.loadFromString(before, true);
        assert.equal(difference(undone, sceneLines()), '', c[0] + ': undone as loaded');
        editor.loadFromString(after, true);
        assert.equal(difference(redone, sceneLines()), '', c[0] + ': redone as loaded');
    });
});

test('looking at frames sends nothing; a change still on display when another frame is chosen is a step of its own', function () {
    var opened = openDrill();
    var steps = pageShell.history.length();
    [3, 0, 2, 1].forEach(function (f) { myDispatchEvent('selectedFrame', { frameNumber: f }); });
    assert.deepEqual([pageShell.history.length(), sent(), editor.saveToString()], [steps, [], opened]);
    groups()[1].updatePosition(layer.pixelPos({ x: 0.7, y: 0.7 }), 30);
    myDispatchEvent('selectedFrame', { frameNumber: 2 });
    assert.deepEqual([pageShell.history.length(), sentOfType('animationChanged').length], [steps + 1, 1]);
    myDispatchEvent('undo', {});
    assert.equal(difference(editor.saveToString(), opened), '', 'undone on the frame it was made on');
});

