// Items on the pitch and their controls (FieldItem.js, FieldItemText.js, RunningLines.js,
// FieldItemGroup.js and the controls beside a selected item), through real field item groups.

var container = document.createElement('div');
container.id = 'itemsTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'itemsTestStage', width: 800, height: 600 });

// A stand-in for the animation layer with what the groups use: the pitch size, fractions to
// pixels and back, selection by node identifier; centred on the stage, turning about its centre.
function makeLayer(w, h, rotation) {
    stage.destroyChildren();
    var layer = new Kinetic.Layer({ x: 400, y: 300, offsetX: w / 2, offsetY: h / 2, rotation: rotation || 0 });
    layer.layerWidth = w;
    layer.layerHeight = h;
    layer.layerScale = w / 512;
    layer.relativePos = function (pos) { return { x: pos.x / w, y: pos.y / h }; };
    layer.pixelPos = function (pos) { return { x: pos.x * w, y: pos.y * h }; };
    layer.selectCalls = [];
    layer.select = function (id) {
        layer.selectCalls.push(id);
        layer.find('.fieldItemGroup').each(function (g) { g.selectFunc(g._id === id); });
    };
    stage.add(layer);
    return layer;
}

var nextId = 1;

function addItem(layer, type, x, y, o) {
    o = o || {};
    var g = new FieldItemGroup(x, y, o.rotation || 0, 'default', type, o.col1 || 'default', 'default',
        nextId++, o.text || '', o.shortLabel || '', layer.layerScale, layer.rotation());
    layer.add(g);
    g.selectFunc(!!o.select);
    layer.draw();
    return g;
}

// A control of the group by role: its name, colour1/colour2 or increase/decrease.
function control(g, role) {
    return g.getChildren().toArray().filter(function (node) {
        return node.name() === role || 'colour' + node.pickerNumber === role || node.scaleType === role;
    })[0] || null;
}

var ROLES = ['rotateControl', 'colour1', 'colour2', 'ShortLabelControl', 'increase', 'decrease', 'LabelControl',
    'LabelPlaceControl'];

function shownControls(g) {
    return ROLES.filter(function (role) { return control(g, role) && control(g, role).visible(); });
}

// A node's place, or a point of the animation layer, on the stage.
function onStage(node) {
    return layerPosToStage(node.position ? node.position() : node, stage.getChildren()[0]);
}

// A click on a control as drawn now: the hit graph is only as fresh as the last draw.
function click(node) {
    node.getLayer().draw();
    clickAt(stage, onStage(node).x, onStage(node).y);
}

function drag(from, to, release, on) {
    var s = on || stage;
    pointerEvent(s, 'mousemove', from.x, from.y);
    pointerEvent(s, 'mousedown', from.x, from.y);
    for (var i = 1; i <= 4; i++) {
        pointerEvent(s, 'mousemove', from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4);
    }
    if (release !== false) {
        pointerEvent(s, 'mouseup', to.x, to.y);
    }
}

function assertPoint(actual, x, y, message, tolerance) {
    assert.close(actual.x, x, tolerance || 1e-6, message + ' x');
    assert.close(actual.y, y, tolerance || 1e-6, message + ' y');
}

function pictureOf(item) {
    var picture = item.image && item.image.image();
    return picture ? picture.src.replace(/^.*\/fieldItems\//, '') : null;
}

// First in the file, so that the black marker's picture has not been loaded yet.
test('once an item\'s picture has loaded, its layer is redrawn', function (done) {
    var layer = makeLayer(640, 480);
    var picture = addItem(layer, 'marker', 100, 100, { col1: 'black' }).getFieldItem().image.image();
    var draws = 0;
    layer.batchDraw = function () { draws++; };
    assert.ok(!picture.complete, 'precondition: not loaded before');
    waitFor('the redraw', function () { return draws > 0; }, done, done);
});

// What each type has: r turns, l running lines, d dashed ones, f a fixed place, s a short label.
var KINDS = { player1: 'rl', person: 'rls', manikin: 'rf', ball: 'ld', rugbyBall: 'ld', gaaBall: 'ld', hurlingBall: 'ld',
    cone: 'rf', marker: 'f', ring: 'f', agilityPole: 'rf', agilityLadder: 'rf', microHurdle: 'rf', hurdle: 'rf', goal: 'rf',
    miniGoal: 'rf' };

test('every type is built, saved, clipped and controlled as it has it; each colour offered shows a picture of its own, ' +
    'drawn at the picture\'s size', function (done) {
    var layer = makeLayer(640, 480);
    var pending = [];
    Object.keys(KINDS).forEach(function (type) {
        var has = function (flag) { return KINDS[type].indexOf(flag) !== -1; };
        var g = addItem(layer, type, 320, 240, { select: true });
        var colours = control(g, 'colour1') && control(g, 'colour1').availableCols;
        assert.deepEqual([g.getProperties().posIsFixed, !!control(g, 'rotateControl'), !!control(g, 'ShortLabelControl'),
            !!control(g, 'colour2'), !colours || colours.indexOf(g.getProperties().col1) !== -1],
            [has('f'), has('r'), has('s'), type === 'player1', true], type);
        g.runningLines.setLines({ x: 0, y: 0 }, { x: 99, y: 0 }, { x: 0, y: 0 }, { x: 0, y: 0 }, [1, 1, 1], true);
        assert.deepEqual([!!g.runningLines.segment(0), g.runningLines.isDashed], [has('l'), has('d')], type + ' lines');
        g.setScale(1000);
        var largest = g.getFieldItem().getScale();
        g.setScale(1e-6);
        assert.ok(largest < 1000 && g.getFieldItem().getScale() > 1e-6, type + ' clipped both ways');
        var shown = (type === 'player1' ? [] : colours || ['default']).map(function (colour) {
            var picture = new FieldItem(0, 0, 0, 'default', type, colour, 'default', 1).image.image();
            pending.push({ name: type + ' ' + colour, picture: picture });
            return picture.src;
        });
        assert.ok(shown.every(function (src, i) { return shown.indexOf(src) === i; }), type + ': a picture for each colour');
        if (shown.length) {
            pending.push({ name: type + ' as drawn', picture: g.getFieldItem().image.image(), group: g.getFieldItem() });
        }
        g.selectFunc(false);
    });
    waitFor('every picture', function () {
        return pending.every(function (p) { return p.picture.complete; });
    }, done, function () {
        pending.forEach(function (p) {
            var size = [p.picture.naturalWidth, p.picture.naturalHeight];
            assert.ok(size[0] > 0 && size[1] > 0, p.name + ' loaded');
            var drawn = p.group && [p.group.group.width(), p.group.group.height()].map(function (v) {
                return Math.round(v / (1.25 * p.group.getScale()) * 1e6) / 1e6;
            });
            assert.deepEqual(drawn || size, size, p.name);
        });
        done();
    }, 4000);
});

test('an unlisted colour shows no new picture, a second colour changes nothing; bad items are refused', function () {
    var cone = new FieldItem(0, 0, 0, 'default', 'cone', 'blue', 'red', 1);
    cone.setCol('purple', 1);
    cone.setCol('red', 2);
    assert.deepEqual([cone.getCol(1), cone.getCol(2), cone.getCol(3), pictureOf(cone)],
        ['purple', 'blue', undefined, 'coneBlue.png'], 'purple has no picture; colour 2 changes nothing');
    assert.throws(function () { return new FieldItem(0, 0, 0, 1, 'pogo', 'red', 'red', 1); }, /unknown item type "pogo"/);
    assert.throws(function () { return new FieldItem(0, 0, 0, 'big', 'ball', 'red', 'red', 1); }, /scale/);
    assert.throws(function () { return new FieldItem(0, 0, 0, 0.1, 'ball', '', 'red', 1); }, /colour/);
});

// The middle of the label's edge nearest its item, on the stage: its top when `place` is below, else its bottom.
function labelEdge(g, place) {
    var t = g.itemText.text;
    return t.getAbsoluteTransform().point({ x: t.width() / 2, y: place === 'below' ? 0 : t.height() });
}

test('labels sit centred below the item as seen on screen, or above it as chosen, short labels on it, all upright on ' +
    'a turned pitch', function () {
        var layer = makeLayer(512, 384);
        var person = addItem(layer, 'person', 200, 150, { text: 'K', shortLabel: '9', rotation: 90 });
        var cone = addItem(layer, 'cone', 300, 150, { text: 'Start', rotation: -90 });
        var box = cone.getFieldItem().group;
        // [where the labels are put, the player's label]
        [['below', 'Left back'], ['above', 'Left back'], ['above', 'Left\nback'], ['below', 'Left back']].forEach(function (row) {
            [person, cone].forEach(function (g) { g.setLabelPlace(row[0]); });
            person.setLabel(row[1]);
            var away = row[0] === 'below' ? 1 : -1;
            assertPoint(labelEdge(person, row[0]), 344, 258 + away * 12.8, row + ': a player\'s, half its height away, whatever its turn');
            assert.close(labelEdge(cone, row[0]).y, 258 + away * box.width() / 2, 1e-6, row + ': equipment\'s, past its lowest or highest point');
        });
        layer.rotation(90);
        [person, cone].forEach(function (g) {
            g.setLayerScaleAndRotation(1, 90);
            [g.itemText.text, g.shortLabelText.text].filter(Boolean).forEach(function (t) {
                var m = t.getAbsoluteTransform().getMatrix();
                assert.ok(Math.abs(m[1]) < 1e-9 && m[0] > 0, 'upright on screen');
            });
        });
        assert.close(labelEdge(cone, 'below').y, onStage(cone.getPosAbs()).y + box.width() / 2, 1e-6,
            'below the cone, still lying on screen as it was placed');
        // A default player's number is drawn large enough to read in a video (e2e: tst_EditorWindow).
        [['7', 13.2], ['10', 13.2], ['ABC', 8.8], ['ABCD', 6.6]].forEach(function (row) {
            person.setShortLabel(row[0]);
            var t = person.shortLabelText.text;
            assert.close(t.fontSize(), row[1], 1e-9, row[0]);
            assertPoint(t.getAbsoluteTransform().point({ x: t.width() / 2, y: t.height() / 2 }),
                onStage(person.getPosAbs()).x, onStage(person.getPosAbs()).y, row[0] + ' centred');
        });
        person.setScale(0.4);
        person.setShortLabel('7');
        assert.close(person.shortLabelText.text.fontSize(), 44 * 0.4 * 1.5, 1e-9, 'a person\'s number follows its size');
        assert.throws(function () { new FieldItemText('x', { x: 0, y: 0 }, 0, box); }, /font size/);
    });

// A label stands on a backing of a margin around its text; with the backing taken off, the text is Kinetic's.
test('an item text is laid out and drawn as Kinetic lays out and draws the same text, over one line or several', function () {
    var layer = makeLayer(640, 480);
    var g = addItem(layer, 'person', 320, 240, { text: 'x', shortLabel: '7' });
    var drawn = function (text) {
        var canvas = new Kinetic.SceneCanvas({ width: 300, height: 60, pixelRatio: 1 });
        text._sceneFunc.call(text, canvas.getContext());
        return canvas.getContext().getImageData(0, 0, 300, 60).data;
    };
    ['Left back', 'Two\nlines, the second longer', 'Zoë Ó Sé'].forEach(function (label) {
        g.setLabel(label);
        var node = g.itemText.text;
        var size = node.fontSize();
        var kinetic = new Kinetic.Text({ text: label, fontFamily: node.fontFamily(), fontSize: node.fontSize(),
            fontStyle: node.fontStyle(), fill: node.fill(), align: 'center' });
        assert.deepEqual([node.width(), node.height()], [kinetic.width() + 0.6 * size, kinetic.height() + 0.2 * size],
            label + ': with the backing\'s margin');
        var backed = drawn(node);
        var at = 4 * (Math.round(node.height() / 2) * 300 + Math.round(0.15 * size));
        assert.deepEqual([].slice.call(backed, at, at + 4), [0, 0, 0, Math.round(0.55 * 255)], label + ': the backing beside the text');
        node.backing('');
        assert.deepEqual([node.width(), node.height()], [kinetic.width(), kinetic.height()], label);
        assert.ok(drawn(node).join() === drawn(kinetic).join(), label + ': the same pixels');
        node.backing(g.itemText.style().backing);
    });
});

// [text, its runs from left to right: [characters in reading order, right to left?]]
var MIXED_DIRECTIONS = [
    ['Left back', [['Left back', false]]],
    ['Pass to \u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd then run',
        [['Pass to ', false], ['\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd', true], [' then run', false]]],
    ['Ahmed \u0623\u062d\u0645\u062f runs 12', [['Ahmed ', false], ['\u0623\u062d\u0645\u062f', true], [' runs 12', false]]],
    // A number inside right-to-left text reads left to right, and the words around it swap sides.
    // A right-to-left run's spaces and marks at its ends are drawn one by one.
    ['\u05e9\u05dc\u05d5\u05dd 12 \u05e2\u05d5\u05dc\u05dd!', [['\u05e2\u05d5\u05dc\u05dd', true], [' ', true], ['12', false],
        [' ', true], ['\u05e9\u05dc\u05d5\u05dd', true], ['!', false]]],
    // Overridden: each character by itself, turned round, and the controls not drawn.
    ['ab \u202ecd\u202c ef', [['ab ', false], ['d', false], ['c', false], [' ef', false]]],
    ['\u202d\u05d0\u05d1\u202c!', [['\u05d0', false], ['\u05d1', false], ['!', false]]]
];

// The columns of `canvas` (w x h) that hold ink, and how many pixels do.
function ink(canvas, w, h) {
    var data = canvas.getContext().getImageData(0, 0, w, h).data;
    var columns = [];
    var pixels = 0;
    for (var i = 3; i < data.length; i += 4) {
        if (data[i] > 64) {
            pixels++;
            columns[((i - 3) / 4) % w] = true;
        }
    }
    var first = columns.indexOf(true);
    return { left: first, right: columns.length - 1, pixels: pixels };
}

// Mended: QtWebKit drew each run of one direction at the start of the text, on top of each other.
test('text mixing left-to-right and right-to-left writing is drawn run after run, none over another, in labels and captions',
    function () {
        MIXED_DIRECTIONS.forEach(function (row) {
            assert.deepEqual(BidiText.runs(row[0]).map(function (run) { return [run.text, run.rtl]; }), row[1], row[0]);
        });
        var layer = makeLayer(640, 480);
        var g = addItem(layer, 'person', 320, 240, { text: 'x' });
        var drawn = function (node) {
            var canvas = new Kinetic.SceneCanvas({ width: 600, height: 60, pixelRatio: 1 });
            node._sceneFunc.call(node, canvas.getContext());
            return ink(canvas, 600, 60);
        };
        var kinetic = function (text) {
            return new Kinetic.Text({ text: text, fontFamily: 'Helvetica', fontSize: 24, fill: 'black' });
        };
        MIXED_DIRECTIONS.slice(1, 4).forEach(function (row) {
            g.setLabel(row[0]);
            var label = g.itemText.text;
            label.backing('');
            [[label, function (text) { g.setLabel(text); label.backing(''); return label; }], [kinetic(row[0]), kinetic]]
                .forEach(function (pair, k) {
                    var whole = drawn(pair[0]);
                    var width = pair[0].width();
                    var words = row[0].split(' ').reduce(function (sum, word) { return sum + drawn(pair[1](word)).pixels; }, 0);
                    var what = row[0] + (k ? ' (caption)' : ' (label)');
                    assert.ok(whole.left < 4 && whole.right > width - 4, what + ': inked across its width ' + width + ': ' +
                        whole.left + ' to ' + whole.right);
                    assert.ok(Math.abs(whole.pixels - words) < words * 0.05, what + ': as much ink as its words drawn ' +
                        'apart: ' + whole.pixels + ' against ' + words);
                });
        });
    });

// The box [left, top, right, bottom] a node covers on the stage, or through the transform `m`.
function boxOnStage(node, m) {
    m = m || node.getAbsoluteTransform();
    var corners = [[0, 0], [node.width(), 0], [0, node.height()], [node.width(), node.height()]].map(function (c) {
        return m.point({ x: c[0], y: c[1] });
    });
    var xs = corners.map(function (p) { return p.x; });
    var ys = corners.map(function (p) { return p.y; });
    return [Math.min.apply(null, xs), Math.min.apply(null, ys), Math.max.apply(null, xs), Math.max.apply(null, ys)];
}

function boxesMeet(a, b) {
    return Math.min(a[2], b[2]) - Math.max(a[0], b[0]) > 0.5 && Math.min(a[3], b[3]) - Math.max(a[1], b[1]) > 0.5;
}

var LINEOUT = ['Andrew Porter', 'Tadhg Furlong', 'Tadhg Beirne', 'James Ryan', 'Peter O\'Mahony', 'Josh van der Flier',
    'Caelan Doris'];

// Mended: each name sat under the next player, and names of players side by side ran across each other.
test('the names of a lineout of seven, shoulder to shoulder, are each seen whole in the drawn picture, along the pitch ' +
    'and across it', function () {
    [0, 90].forEach(function (turn) {
        withAnimations(1, function (a) {
            var states = LINEOUT.map(function (name, i) { return [{ x: 0.45, y: 0.2 + 0.07 * i, rotation: 0 }]; });
            a.loadFromString(drillText({ sport: 'rugby', rotation: turn, objects: LINEOUT.map(function (name, i) {
                return itemRecord('person', i + 1, states[i], { text: name, shortLabel: String(i + 1), color: 'red' });
            }) }));
            var layer = a.animLayer;
            var canvas = layer.getCanvas();
            var picture = function () {
                layer.draw();
                return canvas.getContext()._context.getImageData(0, 0, canvas.width, canvas.height).data;
            };
            var all = picture();
            var groups = layer.itemGroups();
            var players = groups.map(function (g) { return boxOnStage(g.getFieldItem().group); });
            var labels = groups.map(function (g) { return boxOnStage(g.itemText.text); });
            var p = players[0];
            var q = players[1];
            var apart = Math.max(Math.max(p[0], q[0]) - Math.min(p[2], q[2]), Math.max(p[1], q[1]) - Math.min(p[3], q[3]));
            assert.ok(apart < 3, turn + ': shoulder to shoulder, ' + apart + ' pixels apart');
            groups.forEach(function (g, i) {
                labels.forEach(function (other, k) {
                    assert.ok(k === i || !boxesMeet(labels[i], other), turn + ': ' + LINEOUT[i] + ' clear of ' + LINEOUT[k]);
                });
                players.forEach(function (player, k) {
                    assert.ok(k === i || !boxesMeet(labels[i], player), turn + ': ' + LINEOUT[i] + ' clear of player ' + (k + 1));
                });
                // Every pixel of the label's box but its soft edge is the label's own.
                g.itemText.text.visible(false);
                var without = picture();
                g.itemText.text.visible(true);
                var box = labels[i].map(Math.round);
                var own = 0;
                var count = 0;
                for (var y = box[1] + 1; y < box[3] - 1; y++) {
                    for (var x = box[0] + 1; x < box[2] - 1; x++, count++) {
                        var at = 4 * (y * canvas.width + x);
                        own += (all[at + 3] !== without[at + 3] || all[at] !== without[at] || all[at + 1] !== without[at + 1]) ? 1 : 0;
                    }
                }
                assert.ok(count > 100 && own / count > 0.97, turn + ': ' + LINEOUT[i] + ' seen whole: ' + own + ' of ' + count);
            });
            // Each label given its place again, which puts it back home, is laid out again: a layer drawn with
            // nothing moved leaves the names be, and these had moved.
            groups.forEach(function (g) { g.itemText.setLabelPlace(g.itemText.labelPlace); });
            picture();
            assert.deepEqual(groups.map(function (g) { return boxOnStage(g.itemText.text); }), labels,
                turn + ': the same places once placed again');
        });
    });
});

test('labels stand where they are placed when nothing is in their way, and take the look of the paper they are drawn on',
    function () {
        withAnimations(1, function (a) {
            var layer = a.animLayer;
            var g = a.addItem('person', 'red', 'default', 'default');
            g.setLabel('Full back');
            var t = g.itemText.text;
            var home = t.position();
            var pixel = function () {
                layer.draw();
                var m = t.getAbsoluteTransform().point({ x: 2, y: t.height() / 2 });
                return [].slice.call(layer.getCanvas().getContext()._context.getImageData(Math.round(m.x), Math.round(m.y), 1, 1).data, 0, 3);
            };
            var onGrass = pixel();
            assert.ok(Math.abs(t.x() - home.x) <= 0.5 && Math.abs(t.y() - home.y) <= 0.5, 'left in place, but for whole pixels');
            assert.deepEqual([t.fill(), t.backing(), g.shortLabelText.style().outline], ['white', 'rgba(0, 0, 0, 0.55)',
                'rgba(0, 0, 0, 0.75)'], 'light on dark, the number outlined');
            assert.ok(onGrass.every(function (v) { return v < 60; }), 'a dark backing: ' + onGrass);
            a.setDrawForPrint(true);
            var onPaper = pixel();
            assert.deepEqual([t.fill(), t.backing()], ['black', 'rgba(255, 255, 255, 0.85)'], 'dark on light');
            assert.ok(onPaper.every(function (v) { return v > 200; }), 'a light backing: ' + onPaper);
            a.setDrawForPrint(false);
            assert.deepEqual(pixel(), onGrass, 'and back');
        });
    });

test('a text too long to lay out is drawn cut with an ellipsis but kept, offered for editing and saved whole', function () {
    var long = new Array(601).join('w');
    var g = addItem(makeLayer(640, 480), 'person', 100, 100, { text: long, select: true });
    assert.equal(g.itemText.text.text(), long.slice(0, 500) + '\u2026');
    var smiley = long.slice(0, 499) + '\ud83d\ude00' + long;
    g.setShortLabel(smiley);
    assert.equal(g.shortLabelText.text.text(), long.slice(0, 499) + '\u2026', 'never half a character');
    cppInterface.clearReceivedMessages();
    click(control(g, 'LabelControl'));
    assert.deepEqual([cppInterface.receivedMessages()[0].defaultText, g.getProperties().text,
        g.getProperties().shortLabel], [long, long, smiley]);
});

// At layer scale 1 lines are 1.5 pixels wide (their floor) and heads are 6 to 9 pixels long, at 2 they are 2
// wide with heads of 8 to 18; a head is at most a third of its segment.
// Mended: heads were open chevrons of two outlined arms, which read as long double V's.
test('running lines: three segments, each shown by its flag, with a solid head half-way on each long enough for one, ' +
    'a third of it long at most', function () {
    var lines = new RunningLines({ x: 0, y: 0 }, false, 1);
    lines.setLines({ x: 10, y: 10 }, { x: 110, y: 10 }, { x: 110, y: 27 }, { x: 128, y: 27 }, [0, 1, 1], true);
    assert.deepEqual([lines.segment(0), lines.segment(1)], [null, { points: [110, 10, 110, 27], head: [] }]);
    assert.deepEqual([lines.segment(2).points, lines.segment(2).head.length], [[110, 27, 128, 27], 6], '17 px no head, 18 px one');
    lines.showLines(false);
    lines.setScale(2);
    lines.setLines({ x: 10, y: 10 }, { x: 110, y: 10 }, { x: 410, y: 10 }, { x: 410, y: 33 }, [1, 1, 1], false);
    assert.deepEqual(lines.segment(0).points, [10, 10, 110, 10]);
    // [segment, its middle, the head's length]: 18 at layer scale 2, and a triangle half as wide as long.
    [[0, 60, 18], [1, 260, 18]].forEach(function (row) {
        var len = row[2];
        [row[1] - len, 10 - len / 2, row[1], 10, row[1] - len, 10 + len / 2].forEach(function (v, i) {
            assert.close(lines.segment(row[0]).head[i], v, 1e-9, 'segment ' + row[0] + ', corner ' + i);
        });
    });
    lines.setLines({ x: 0, y: 0 }, { x: 30, y: 0 }, { x: 60, y: 0 }, { x: 60, y: 0 }, [1, 0, 0], false);
    assert.close(lines.segment(0).head[2] - lines.segment(0).head[0], 10, 1e-9, 'a third of a segment of 30 px');
    assert.deepEqual(lines.segment(2), null);
    lines.setLines({ x: 10, y: 10 }, { x: 110, y: 10 }, { x: 410, y: 10 }, { x: 410, y: 33 }, [1, 1, 1], false);
    assert.deepEqual(lines.segment(2).head, [], '23 px at layer scale 2: too short');
    assert.equal(lines.shape.opacity(), 0, 'the toggle: transparent');
    assert.deepEqual([lines.headLen, lines.dash], [18, [20, 20]]);
    assert.throws(function () { lines.setScale(0); }, /positive/);
    assert.throws(function () { lines.setLines({}, {}, {}, {}, [true, true], true); }, /exactly 3 flags/);
});

// A kit and the look of its lines: the colour, and whether the outline under it is light or dark.
var LINE_LOOKS = [
    ['person', 'red', '#ff0000', 'light'], ['person', 'maroon', '#800000', 'light'], ['person', 'orange', '#ffa500', 'light'],
    ['person', 'black', '#000000', 'light'], ['person', 'white', '#ffffff', 'dark'], ['person', 'yellow', '#ffff00', 'dark'],
    ['person', 'lime', '#00ff00', 'dark'], ['player1', 'blue', '#0000ff', 'light'], ['ball', 'yellow', 'black', 'light'],
    ['gaaBall', 'orange', 'black', 'light'], ['person', 'no colour', 'black', 'light'], ['person', 'transparent', 'black', 'light']
];

test('running lines take the kit\'s first colour, at once when it changes, on an outline that sets it off; a ball\'s ' +
    'and a kit the canvas cannot draw get dark lines', function () {
    var layer = makeLayer(640, 480);
    function look(g) {
        var l = g.runningLines.look();
        var rgb = /^#(..)(..)(..)$/.exec(l.outline).slice(1).map(function (hex) { return parseInt(hex, 16); });
        return [l.stroke, rgb[0] + rgb[1] + rgb[2] > 3 * 192 ? 'light' : rgb[0] + rgb[1] + rgb[2] < 3 * 64 ? 'dark' : l.outline];
    }
    LINE_LOOKS.forEach(function (row) {
        var g = addItem(layer, row[0], 100, 100, { col1: row[1] });
        assert.deepEqual(look(g), [row[2], row[3]], row.slice(0, 2).join(' '));
    });
    var g = addItem(layer, 'person', 100, 100, { col1: 'white' });
    g.getFieldItem().setCol('purple', 1);
    assert.deepEqual(look(g), ['#800080', 'light'], 'a new colour');
    assert.deepEqual(new RunningLines({ x: 0, y: 0 }, false, 1).look().stroke, 'black', 'lines of no item');
});

test('the saved record: place as a share of the pitch, the item\'s state, texts and drawing order', function () {
    var layer = makeLayer(640, 480);
    addItem(layer, 'ball', 10, 10);
    var g = addItem(layer, 'person', 160, 360, { rotation: -45, col1: 'lime', text: 'Bo', shortLabel: '10' });
    assert.deepEqual(g.getProperties(), { x: 0.25, y: 0.75, rotation: -45, scale: 0.2, type: 'person', col1: 'lime',
        col2: 'lime', id: g.id(), text: 'Bo', shortLabel: '10', labelPlace: 'below', posIsFixed: false, z: 1 });
    g.setLabelPlace('above');
    assert.equal(g.getProperties().labelPlace, 'above');
    assert.throws(function () { g.setLabelPlace('left'); }, /below, above/);
    assert.throws(function () { g.calcControlPosition(5); }, /slot/);
    assert.throws(function () { g.remove().getPosRelative(); }, /not on a layer/);
});

// Offsets from the item's centre: across in units of half the item's width + 15, down in pixels.
var SLOTS = [
    ['ball', { colour1: [-1, -13.5], LabelControl: [-1, 13.5], increase: [1, -13.5], decrease: [1, 13.5] }],
    ['player1', { colour1: [-1, -27], colour2: [-1, 0], LabelControl: [-1, 27] }],
    ['goal', { LabelControl: [-1, 0], increase: [1, -27], rotateControl: [1, 0], decrease: [1, 27] }]
];

test('controls stand in a column either side of the item, packed towards its axis', function () {
    var layer = makeLayer(640, 480);
    SLOTS.forEach(function (row) {
        var g = addItem(layer, row[0], 300, 200, { select: true });
        var side = g.getFieldItem().group.width() / 2 + 15;
        Object.keys(row[1]).forEach(function (role) {
            var o = row[1][role];
            assertPoint(control(g, role).position(), 300 + o[0] * side, 200 + o[1], row[0] + ' ' + role);
        });
        g.selectFunc(false);
    });
});

// Mended: the right-hand column of a turned item lay on its label. [turn, label moved above the item]
test('an item selected alone keeps every control clear of its label, below it or above it, the handle on its axis', function () {
    var layer = makeLayer(640, 480);
    [[0, false], [90, false], [-90, false], [180, false], [90, true], [-90, true], [45, true]].forEach(function (row) {
        var g = addItem(layer, 'person', 320, 240, { rotation: row[0], text: 'A long name for a player', select: true });
        if (row[1]) {
            var text = g.itemText.text;
            text.offsetY(g.getFieldItem().group.height() / 2 + text.height());
            g.setControlsPosition();
        }
        var box = boxOnStage(g.itemText.text, g.itemText.text.getTransform());  // in the group, as the controls
        ROLES.forEach(function (role) {
            var node = control(g, role);
            if (!node) { return; }
            var c = node.position();
            var clear = c.x + 12 <= box[0] || c.x - 12 >= box[2] || c.y + 12 <= box[1] || c.y - 12 >= box[3];
            assert.ok(clear, row.join() + ': ' + role + ' at ' + JSON.stringify(c) + ' clear of ' + JSON.stringify(box));
        });
        var handle = control(g, 'rotateControl').position();
        assert.close(Math.atan2(handle.y - 240, handle.x - 320) * 180 / Math.PI, row[0], 1e-6, row.join() + ': the handle on the axis');
        g.destroy();
    });
});

// Controls are built on an item's first selection, for the item and the pitch as they are by then.
test('controls built on the first selection are placed and turned as if built with the group', function () {
    var layer = makeLayer(640, 480);
    var lazy = addItem(layer, 'person', 100, 100, { rotation: 30 });
    var eager = addItem(layer, 'person', 100, 100, { rotation: 30, select: true, text: 'A', shortLabel: '1' });
    [lazy, eager].forEach(function (g) { g.setLayerScaleAndRotation(1.5, 90); });
    eager.selectFunc(false);
    lazy.selectFunc(true);
    lazy.setShortLabel('1');
    lazy.setLabel('A');
    var order = function (g) {
        return [g.runningLines.shape, g.getFieldItem().group, g.itemText.text, g.shortLabelText.text,
            control(g, 'increase')].map(function (n) {
            return n.getZIndex();
        });
    };
    assert.deepEqual(order(lazy).slice(0, 4).concat([order(lazy)[4] > 3]), [0, 1, 2, 3, true],
        'the lines under the item; texts given late over it, the label under the short label, under the controls');
    ['itemText', 'shortLabelText'].forEach(function (member) {
        var late = lazy[member].text;
        var early = eager[member].text;
        assert.deepEqual([late.x(), late.y(), late.rotation(), late.fontSize(), late.offsetY()],
            [early.x(), early.y(), early.rotation(), early.fontSize(), early.offsetY()], member + ' placed as if built with the group');
    });
    var placed = function (node) { return node && [node.x(), node.y(), node.rotation()]; };
    ROLES.forEach(function (role) {
        assert.deepEqual(placed(control(lazy, role)), placed(control(eager, role)), role);
    });
    assert.deepEqual([control(eager, 'increase').rotation(), eager.itemText.text.rotation(),
        control(eager, 'rotateControl').getChildren()[1].rotation(), control(lazy, 'rotateControl').getChildren()[1]
        .rotation(), eager.runningLines.headLen], [-90, -90, -90, -90, 13.5],
        'buttons, texts and the rotate icons turned back against the pitch; heads for the layer');
});

test('pressing an item selects only it through the layer and leaves its stacking, which is saved; a selected one keeps ' +
    'the selection; a drag brings the item to the front', function () {
        var layer = makeLayer(640, 480);
        var a = addItem(layer, 'person', 100.5, 100.5);
        // Running lines once caught the pointer, so an item could not be pressed where they crossed it.
        a.runningLines.setLines({ x: 50.5, y: 100.5 }, { x: 100.5, y: 100.5 }, { x: 100.5, y: 150.5 },
            { x: 150.5, y: 150.5 }, [1, 1, 1], true);
        var b = addItem(layer, 'person', 300, 100, { select: true });
        var c = addItem(layer, 'ball', 300, 300, { select: true });
        click(a.getFieldItem().group);
        assert.deepEqual([layer.selectCalls, a.isSelected, b.isSelected, c.isSelected], [[a._id], true, false, false]);
        assert.deepEqual([shownControls(a).length, shownControls(c).length, a.getProperties().z], [7, 0, 0]);
        b.selectFunc(true);
        click(b.getFieldItem().group);
        assert.deepEqual([layer.selectCalls.length, a.isSelected, b.getZIndex()], [1, true, 1]);
        drag(onStage(b.getFieldItem().group), onStage({ x: 320, y: 110 }));
        assert.deepEqual([b.getZIndex(), b.getFieldItem().group.position()], [2, { x: 320, y: 110 }]);
    });

function selectedWithLines(layer, places) {
    var groups = places.map(function (p, i) {
        var g = addItem(layer, 'person', p[0], p[1], { text: 'P' + i, shortLabel: String(i), select: true });
        g.runningLines.setLines({ x: p[0] - 50, y: p[1] }, { x: p[0], y: p[1] }, { x: p[0], y: p[1] + 50 },
            { x: p[0] + 50, y: p[1] + 50 }, [true, true, true], true);
        return g;
    });
    layer.draw();
    return groups;
}

test('dragging one of three selected items moves all three with texts and lines, hiding controls till the end',
    function () {
        var layer = makeLayer(640, 480);
        var idle = addItem(layer, 'person', 320, 400);
        var places = [[100, 100], [300, 150], [500, 200]];
        var groups = selectedWithLines(layer, places);
        var from = onStage(groups[1].getPosAbs());
        drag(from, { x: from.x + 30, y: from.y - 20 }, false);
        assert.deepEqual(groups.map(shownControls), [[], [], []], 'hidden while dragged');
        assert.equal(eventsRaisedDuring(['redrawControls'], function () {
            pointerEvent(stage, 'mouseup', from.x + 30, from.y - 20);
        }).length, 1, 'redrawControls once');
        places.forEach(function (p, i) {
            var g = groups[i];
            var l = [g.runningLines.segment(0).points, g.runningLines.segment(1).points];
            [g.getPosAbs(), g.shortLabelText.text.position(), { x: l[1][0], y: l[1][1] }]
                .forEach(function (moved, j) { assertPoint(moved, p[0] + 30, p[1] - 20, 'item ' + i + ', ' + j); });
            assert.deepEqual([l[0][0], l[1][2]], [p[0] - 50, p[0]], 'line ends kept ' + i);
            assert.deepEqual([shownControls(g).length, g.find('.selectionOutline')[0].isVisible()], [0, true],
                i + ' after: one of several, outlined without controls');
        });
        assertPoint(idle.getPosAbs(), 320, 400, 'the unselected item stays');
    });

test('only the dragged item is held on the pitch; the others move with it', function () {
    var groups = selectedWithLines(makeLayer(640, 480), [[600, 100], [620, 300]]);
    var from = onStage(groups[0].getPosAbs());
    drag(from, { x: from.x + 100, y: from.y - 150 });
    assertPoint(groups[0].getPosAbs(), 640, 0, 'clipped to the corner');
    assertPoint(groups[1].getPosAbs(), 660, 200, 'carried beyond the edge');
});

test('plus and minus step the item by 1.1 from its clipped scale', function () {
    var ball = addItem(makeLayer(512, 384), 'ball', 200, 150, { select: true });
    var raised = eventsRaisedDuring(['setItemDefaultScale'], function () {
        for (var i = 0; i < 11; i++) {
            click(control(ball, 'increase'));
        }
    });
    assert.close(raised[8][1].scale, 0.1 * Math.pow(1.1, 9), 1e-9);
    assert.deepEqual([raised.length, raised[10][1], eventsRaisedDuring(['setItemDefaultScale'], function () {
        ball.setLayerScaleAndRotation(2, 0);
    })], [11, { itemType: 'ball', scale: 0.25 }, []], 'raised at the top too, not for a new layer scale');
    click(control(ball, 'decrease'));
    assert.close(ball.getFieldItem().getScale(), 0.25 / 1.1, 1e-9);
    assertPoint(control(ball, 'increase').position(), 200 + 128 * 0.25 / 1.1 + 15, 150 - 13.5, 'plus re-placed');
});

// Node ids renewed when a frame load rebuilds the items: app-test.js.
test('the round buttons show presses; the label buttons, clicked or tapped, ask the host for a text by the group\'s node id',
    function () {
        var g = addItem(makeLayer(640, 480), 'person', 300, 200, { text: 'Keeper', shortLabel: '10', select: true });
        ['increase', 'decrease', 'LabelControl', 'ShortLabelControl', 'LabelPlaceControl'].forEach(function (role) {
            var node = control(g, role);
            assertPressFeedback(stage, node, node.find('.circle')[0], onStage(node));
        });
        cppInterface.clearReceivedMessages();
        click(control(g, 'ShortLabelControl'));
        control(g, 'LabelControl').fire('tap');
        assert.deepEqual(cppInterface.receivedMessages().map(function (m) { return [m.msgType, m.defaultText, m.id]; }),
            [['promptForItemShortLabel', '10', g._id], ['promptForItemLabel', 'Keeper', g._id]]);
    });

// Undone and redone with the drill's other changes: app-test.js.
test('the arrow beside the label button puts the label above the item and back below, pointing where it sends it, ' +
    'and its tooltip says so', function (done) {
    var g = addItem(makeLayer(640, 480), 'person', 300, 200, { text: 'Keeper', rotation: 90, select: true });
    var tooltip = function () { return document.getElementById('buttonTooltip'); };
    done.cleanup(function () { Button.hideTooltip(); });
    var button = control(g, 'LabelControl');
    var arrow = control(g, 'LabelPlaceControl');
    assertPoint(arrow.position(), button.x(), button.y() - 19, 'just outside the label button, away from the turned item');
    var at = onStage(arrow);
    var steps = [['below', 0, 'Put the label above the item'], ['above', 180, 'Put the label below the item'],
        ['below', 0, 'Put the label above the item']];
    (function next(i) {
        var step = steps[i];
        assert.deepEqual([g.getLabelPlace(), arrow.find('.arrow')[0].rotation()], [step[0], step[1]], 'step ' + i);
        var item = onStage(g.getPosAbs()).y;
        assert.close(labelEdge(g, step[0]).y, step[0] === 'below' ? item + 16 : item - 16,
            1e-6, 'step ' + i + ': the label ' + step[0]);
        pointerEvent(stage, 'mousemove', 5, 5);
        pointerEvent(stage, 'mousemove', at.x, at.y);
        waitFor('tooltip ' + i, function () {
            return tooltip() && tooltip().style.display === 'block' && tooltip().textContent === step[2];
        }, done, function () {
            if (i === steps.length - 1) {
                return done();
            }
            if (i === 0) {
                click(arrow);
            } else {
                arrow.fire('tap');
            }
            next(i + 1);
        });
    }(0));
});

// The rotate handle at home, drawn there so that a press finds it.
function rotateHandle(g) {
    g.setControlsPosition();
    g.getLayer().draw();
    return onStage(control(g, 'rotateControl'));
}

test('dragging the rotate handle turns the item towards the pointer, with a guide line, then re-places the controls',
    function () {
        var layer = makeLayer(512, 384);
        var g = addItem(layer, 'person', 200, 150, { select: true });
        var item = g.getFieldItem();
        [[200, 250, 90], [100, 150, 180], [250, 200, 45]].forEach(function (row) {
            drag(rotateHandle(g), onStage({ x: row[0], y: row[1] }));
            assert.close(item.group.rotation(), row[2], 1e-6, 'towards ' + row);
        });
        var to = onStage({ x: 200, y: 250 });
        drag(rotateHandle(g), to, false);
        var line = item.guideLine.points();
        assert.deepEqual([line[0], line[1], line[3], item.guideLine.opacity()], [8, 12.8, 12.8, 1], 'from the centre');
        assert.close(line[2], 96, 0.5, 'to the handle\'s edge');
        assert.deepEqual(shownControls(g), ['rotateControl']);
        var raised = eventsRaisedDuring(['redrawControls'], function () { pointerEvent(stage, 'mouseup', to.x, to.y); });
        assert.deepEqual([raised.length, item.guideLine.opacity(), shownControls(g).length], [1, 0, 7]);
        assertPoint(control(g, 'colour1').position(), 200 + 27, 150 - 23, 'left column now above', 0.5);
        var turned = item.group.rotation();
        clickAt(stage, rotateHandle(g).x, rotateHandle(g).y);
        assert.close(item.group.rotation(), turned, 1e-6, 'a click turns nothing');
    });

function openChooser(button, done, then) {
    click(button);
    waitFor('the colour squares', function () { return stage.find('.colPickerSquare').length > 0; }, done,
        function () { then(stage.find('.colPickerSquare').toArray()); });
}

test('a colour button grows a disc from itself into a grid of the type\'s colours; a pick recolours the item',
    function (done) {
        var g = addItem(makeLayer(640, 480, 90), 'person', 200, 150, { select: true });
        var button = control(g, 'colour1');
        var raised = eventsRaisedDuring(['disableControls'], function () { click(button); });
        var disc = stage.find('.colPickerCircle')[0];
        // Kinetic takes an animation's first step at once when no other runs: the disc may have grown for the
        // few milliseconds the click took, a twentieth of its way at most.
        var from = onStage(button);
        assertPoint(disc.position(), from.x, from.y, 'starts at the button on screen',
            Math.sqrt(Math.pow(from.x - 400, 2) + Math.pow(from.y - 300, 2)) / 20);
        assert.deepEqual([raised.length, stage.getChildren()[1].name()], [1, 'pickerLayer']);
        waitFor('the squares', function () { return stage.find('.colPickerSquare').length > 0; }, done, function () {
            var squares = stage.find('.colPickerSquare').toArray();
            var size = (250 * Math.SQRT2 - 40) / 3;
            assert.deepEqual([disc.x(), disc.y(), disc.radius()], [400, 300, 250]);
            assert.deepEqual(squares.map(function (s) { return s.fill(); }), button.availableCols);
            assertPoint(squares[5].position(), 400 - 125 * Math.SQRT2 + 30 + 2 * size,
                300 - 125 * Math.SQRT2 + 20 + size, 'row by row');
            var events = eventsRaisedDuring(['setItemDefaultColor', 'enableControls'], function () {
                clickAt(stage, squares[4].x() + size / 2, squares[4].y() + size / 2);
            });
            assert.deepEqual(events, [['setItemDefaultColor', { itemType: 'person', color: 'blue', colNumber: 1 }],
                ['enableControls', {}]]);
            assert.deepEqual([g.getProperties().col1, button.swatch.fill(), pictureOf(g.getFieldItem()),
                stage.getChildren().length], ['blue', 'blue', 'playerBlue.png', 1]);
            done();
        });
    });

test('a second colour offers the default colours; the chooser closes unchanged outside its disc or on Escape',
    function (done) {
        var g = addItem(makeLayer(640, 480), 'player1', 200, 150, { select: true });
        assert.throws(function () { createColorPicker('red', 3, ['red']); }, /pickerNumber/);
        assert.throws(function () { createColorPicker('red', 1, new Array(38).join('r').split('')); }, /1 to 36/);
        openChooser(control(g, 'colour2'), done, function (squares) {
            assert.deepEqual([squares.length, squares[0].width()], [17, (250 * Math.SQRT2 - 60) / 5], 'a 5 x 5 grid');
            squares[14].fire('tap');
            assert.deepEqual([g.getProperties().col1, g.getProperties().col2, g.getFieldItem().shorts.fill(),
                g.getFieldItem().body.fill()], ['red', 'teal', 'teal', 'red'], 'only the shorts');
            openChooser(control(g, 'colour1'), done, function () {
                var events = eventsRaisedDuring(['setItemDefaultColor', 'enableControls'], function () {
                    clickAt(stage, 5, 5);
                });
                assert.deepEqual([events.length, stage.find('.pickerLayer').length, g.getProperties().col1],
                    [1, 0, 'red']);
                openChooser(control(g, 'colour1'), done, function () {
                    myDispatchEvent('closeOverlays', {});
                    assert.equal(stage.find('.pickerLayer').length, 0, 'Escape');
                    done();
                });
            });
        });
    });

// A pitch view of its own, 640 x 480 (layer and stage pixels agree), whose layer sends presses to what
// the coach sees; `body(animation, add)` runs once the pictures of the items added with `add(type, x, y)`
// have loaded, and the view goes when the test ends.
function withPitchView(done, body) {
    var container = document.getElementById('itemsTestView') || document.body.appendChild(document.createElement('div'));
    container.id = 'itemsTestView';
    var animation = new Animation(640, 480, 'itemsTestView');
    done.cleanup(function () { animation.stage.destroy(); });
    var layer = animation.animLayer;
    var added = [];
    function add(type, x, y) {
        var g = animation.addItem(type, 'default', 'default', 'default');
        g.updatePosition({ x: x, y: y }, 0);
        g.setControlsPosition();
        added.push(g.getFieldItem().image.image());
        layer.draw();
        return g;
    }
    body(animation, add, function (then) {
        waitFor('the items\' pictures', function () {
            return added.every(function (p) { return p.complete; });
        }, done, function () {
            layer.draw();
            then();
        });
    });
}

// Mended: with yellow 7 selected, pressing his "A" button selected blue 13, whose picture lay over it; a
// ball lying at his rotate handle was dragged where the handle should have turned him.
test('a selected player\'s buttons take a press before a neighbour or a ball drawn over them; beside them, ' +
    'what shows is pressed', function (done) {
    withPitchView(done, function (animation, add, loaded) {
        var layer = animation.animLayer;
        var person = add('person', 200, 150);
        // Both drawn over the player's buttons, whether or not a press brings an item to the front.
        var ball = add('ball', 100, 100);
        var neighbour = add('person', 300, 300);
        loaded(function () {
            clickAt(animation.stage, 200, 150);
            var label = control(person, 'LabelControl').position();
            var handle = control(person, 'rotateControl').position();
            assert.deepEqual([person.isSelected, handle], [true, { x: 200 + 10 + 15, y: 150 }],
                'precondition: the player selected, his handle beside him');
            // The neighbour's body over the middle of the "A" disc, his right edge inside it.
            neighbour.updatePosition({ x: label.x - 6, y: label.y }, 0);
            ball.updatePosition(handle, 0);
            layer.draw();
            assert.ok(neighbour.getZIndex() > person.getZIndex() && ball.getZIndex() > person.getZIndex(),
                'precondition: both drawn over the player');
            var raised = eventsRaisedDuring(['getLabelForItem'], function () {
                clickAt(animation.stage, label.x, label.y);
            });
            assert.deepEqual([raised, person.isSelected, neighbour.isSelected],
                [[['getLabelForItem', { id: person._id, currentLabel: '' }]], true, false],
                'the "A" button under the neighbour asks for the player\'s label');
            // Beside the button, the neighbour's own pixels take the press.
            neighbour.updatePosition({ x: label.x, y: label.y + 14 }, 0);
            layer.draw();
            drag({ x: label.x, y: label.y + 14 }, { x: label.x + 30, y: label.y + 54 }, true, animation.stage);
            assert.deepEqual([neighbour.isSelected, person.isSelected, neighbour.getPosAbs()],
                [true, false, { x: label.x + 30, y: label.y + 54 }], 'the neighbour dragged from beside the button');
            clickAt(animation.stage, 200, 150);
            layer.draw();
            drag(handle, { x: 200, y: 150 + 60 }, true, animation.stage);
            assert.deepEqual([person.getFieldItem().group.rotation(), person.isSelected, ball.getPosAbs(), ball.isSelected],
                [90, true, handle, false], 'the handle under the ball turns the player; the ball stays');
            // Turned a quarter, his handle stands below him: the ball is grabbed where it lies.
            layer.draw();
            drag(handle, { x: handle.x + 40, y: handle.y + 30 }, true, animation.stage);
            assert.deepEqual([ball.getPosAbs(), ball.isSelected, person.getFieldItem().group.rotation()],
                [{ x: handle.x + 40, y: handle.y + 30 }, true, 90], 'the ball dragged once no button lies there');
            done();
        });
    });
});

test('a ball drawn over a player leaves the player to be grabbed where his own pixels show; the ball has its own ' +
    'pixels, and its box where nothing else shows', function (done) {
    withPitchView(done, function (animation, add, loaded) {
        var person = add('person', 200, 150);
        // 16 pixels across, so its box's top left corner covers the player's head, outside its round edge.
        var ball = add('ball', 207, 157);
        loaded(function () {
            assert.ok(ball.getZIndex() > person.getZIndex(), 'precondition: the ball drawn over the player');
            [[200, 150, person, 'the player\'s head beside the ball'], [207, 157, ball, 'the ball over the player'],
                [214, 164, ball, 'the ball\'s corner where nothing else shows']].forEach(function (row) {
                clickAt(animation.stage, row[0], row[1]);
                assert.deepEqual([person.isSelected, ball.isSelected], [row[2] === person, row[2] === ball], row[3]);
            });
            drag({ x: 200, y: 150 }, { x: 260, y: 110 }, true, animation.stage);
            assert.deepEqual([person.getPosAbs(), ball.getPosAbs()], [{ x: 260, y: 110 }, { x: 207, y: 157 }],
                'the player dragged away from under the ball');
            done();
        });
    });
});

// The angle at which an item's drawing stands on screen, in degrees.
function angleOnScreen(g) {
    var m = g.getFieldItem().group.getAbsoluteTransform().getMatrix();
    return Math.round(Math.atan2(m[1], m[0]) * 180 / Math.PI * 1e6) / 1e6;
}

test('equipment pictured from the side stands on screen as it was placed whatever the pitch\'s turn, and is saved ' +
    'as it was; what is seen from above turns with the pitch', function () {
    var fromSide = ['cone', 'agilityPole', 'hurdle', 'goal', 'miniGoal'];
    var fromAbove = ['person', 'ball', 'manikin', 'marker', 'ring', 'agilityLadder', 'microHurdle'];
    // Rotations whose last digit a turn taken off and on again would change.
    var objects = fromSide.concat(fromAbove).map(function (type, i) {
        return itemRecord(type, i + 1, [{ x: 0.05 + i * 0.075, y: 0.5, rotation: i % 2 ? 0.1 : -30.7 }]);
    });
    withAnimations(1, function (a) {
        var unturned = drillText({ objects: objects });
        a.loadFromString(unturned);
        // Positions may move by a last digit in a turn; that is not this test's matter.
        function rotationsSaved(text) {
            return JSON.parse(text).objects.map(function (o) { return [o.type, o.frames[0].rotation]; });
        }
        var saved = rotationsSaved(a.saveToString());
        [90, 90, -270, 180].forEach(function (quarter) {
            a.rotateEntireAnimation(quarter);
            var turn = a.animLayer.rotation();
            a.animLayer.itemGroups().forEach(function (g, i) {
                var kept = objects[i].frames[0].rotation;
                var expected = fromSide.indexOf(g.getFieldItem().type) !== -1 ? kept : (kept + turn + 540) % 360 - 180;
                assert.close(angleOnScreen(g), expected, 1e-6, g.getFieldItem().type + ' on a pitch turned ' + turn);
            });
            var turnedText = a.saveToString();
            assert.deepEqual(rotationsSaved(turnedText), saved, 'saved as before, turned ' + turn);
            a.loadFromString(turnedText);
            assert.ok(a.saveToString() === turnedText, 'opened on a pitch turned ' + turn + ' and saved the same');
        });
        a.loadFromString(drillText({ rotation: 90 }));
        var added = ['cone', 'goal', 'agilityLadder', 'person'].map(function (type) {
            var g = a.addItem(type, 'default', 'default', 'default');
            return [type, g.getProperties().rotation, angleOnScreen(g)];
        });
        assert.deepEqual(added, [['cone', 0, 0], ['goal', 0, 0], ['agilityLadder', -90, 0], ['person', -90, 0]],
            'added upright on a turned pitch');
    });
    openInEditor(drillText({ rotation: 90, objects: [itemRecord('cone', 1, [{ x: 0.5, y: 0.5, rotation: 0 }])] }));
    try {
        var layer = pageShell.animation.animLayer;
        var cone = layer.itemGroups()[0];
        layer.select(cone._id);
        myDispatchEvent('nudgeSelectedItems', { dx: 10, dy: 0 });
        assert.deepEqual([cone.getProperties().rotation, angleOnScreen(cone)], [0, 0], 'a nudge moves it, not turns it');
    } finally {
        openInEditor(NEW_DRILL);
    }
});
