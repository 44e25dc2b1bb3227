// The field item group (fieldItemGroup.js): what it holds and in which order,
// where its controls sit, its properties record, selection by press, the
// drag of one or several selected items, and rescaling and turning.

var container = document.createElement('div');
container.id = 'fieldItemGroupTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'fieldItemGroupTestStage', width: 800, height: 600 });

var PITCH_W = 640;
var PITCH_H = 480;

// A stand-in for the animation layer with just what the group uses: the
// pitch size (a Kinetic layer always reports its stage's size), fractions to
// pixels and back, and selection by node identifier. Like the real one it
// stands centred on the stage and turns about its centre, and its first
// child is the frame caption.
function makeLayer(width, height, rotation) {
    stage.destroyChildren();
    var w = width || PITCH_W;
    var h = height || PITCH_H;
    var layer = new Kinetic.Layer({
        name: 'animLayer',
        x: 400,
        y: 300,
        offsetX: w / 2,
        offsetY: h / 2,
        rotation: rotation || 0
    });
    layer.layerWidth = w;
    layer.layerHeight = h;
    layer.layerScale = w / 512;
    layer.relativePos = function (pos) {
        return { x: pos.x / layer.layerWidth, y: pos.y / layer.layerHeight };
    };
    layer.pixelPos = function (pos) {
        return { x: pos.x * layer.layerWidth, y: pos.y * layer.layerHeight };
    };
    layer.selectCalls = [];
    layer.select = function (id) {
        layer.selectCalls.push(id);
        layer.find('.fieldItemGroup').each(function (itemGroup) {
            itemGroup.selectFunc(itemGroup._id === id);
        });
    };
    layer.add(new Kinetic.Text({ name: 'frameText', text: '', listening: false }));
    stage.add(layer);
    return layer;
}

var nextId = 1;

// An item at its default scale and colours, added on top of the layer.
function addItem(layer, type, x, y, options) {
    var o = options || {};
    var itemGroup = createFieldItemGroup(x, y, o.rotation || 0, o.scale || 'default', type,
        o.col1 || 'default', o.col2 || 'default', o.id || nextId++, o.text || '',
        o.shortLabel || '', layer.layerScale, layer.rotation());
    layer.add(itemGroup);
    // Controls are built on an item's first selection; these tests look at
    // them as built.
    itemGroup.ensureControls();
    layer.draw();
    return itemGroup;
}

// The group's children bottom to top, by role.
function childRoles(itemGroup) {
    return itemGroup.getChildren().toArray().map(function (node) {
        if (node === itemGroup.itemText.text) {
            return 'label';
        }
        if (node === itemGroup.shortLabelText.text) {
            return 'shortLabel';
        }
        if (node.name() === 'colPickerButton') {
            return 'colour' + node.pickerNumber;
        }
        if (node.name() === 'scaleControl') {
            return node.scaleType;
        }
        return node.name();
    });
}

// A control of the group by role, as childRoles names them.
function control(itemGroup, role) {
    var roles = childRoles(itemGroup);
    var index = roles.indexOf(role);
    return index === -1 ? null : itemGroup.getChildren()[index];
}

var CONTROL_ROLES = ['rotateControl', 'colour1', 'colour2', 'ShortLabelControl', 'increase',
    'decrease', 'LabelControl'];

function controlsOf(itemGroup) {
    return CONTROL_ROLES.map(function (role) { return control(itemGroup, role); })
        .filter(function (node) { return node !== null; });
}

function visibleControls(itemGroup) {
    return controlsOf(itemGroup).filter(function (node) { return node.visible(); }).length;
}

// The offset of a control from the item's centre, in layer pixels.
function offsetOf(itemGroup, role) {
    var node = control(itemGroup, role);
    var c = itemGroup.getPosAbs();
    return { x: node.x() - c.x, y: node.y() - c.y };
}

function assertOffset(itemGroup, role, dx, dy, message) {
    var o = offsetOf(itemGroup, role);
    assert.close(o.x, dx, 1e-9, (message || '') + ' ' + role + ' dx');
    assert.close(o.y, dy, 1e-9, (message || '') + ' ' + role + ' dy');
}

function centreOnStage(itemGroup) {
    return layerPosToStage(itemGroup.getPosAbs(), itemGroup.getLayer());
}

// A real drag with the pointer: over the item, press, move in steps by
// (dx, dy) stage pixels; released unless told otherwise.
function dragItem(itemGroup, dx, dy, release) {
    var from = centreOnStage(itemGroup);
    pointerEvent(stage, 'mousemove', from.x, from.y);
    pointerEvent(stage, 'mousedown', from.x, from.y);
    var steps = 4;
    for (var i = 1; i <= steps; i++) {
        pointerEvent(stage, 'mousemove', from.x + dx * i / steps, from.y + dy * i / steps);
    }
    if (release !== false) {
        pointerEvent(stage, 'mouseup', from.x + dx, from.y + dy);
    }
}

function listen(name) {
    var seen = [];
    function handler(evt) {
        seen.push(evt.detail);
    }
    document.addEventListener(name, handler, false);
    seen.stop = function () {
        document.removeEventListener(name, handler, false);
    };
    return seen;
}

function assertPoint(actual, x, y, tolerance, message) {
    assert.close(actual.x, x, tolerance, message + ' x');
    assert.close(actual.y, y, tolerance, message + ' y');
}

// ---- What the group holds ------------------------------------------------

test('a group "fieldItemGroup" at the layer origin carrying the id, layer scale and no selection',
    function () {
        var layer = makeLayer();
        var itemGroup = addItem(layer, 'person', 100, 80, { id: 42, text: 'Ann', shortLabel: '7' });
        assert.equal(itemGroup.name(), 'fieldItemGroup');
        assert.deepEqual([itemGroup.x(), itemGroup.y(), itemGroup.offsetX(), itemGroup.offsetY()],
            [0, 0, 0, 0]);
        assert.deepEqual([itemGroup.rotation(), itemGroup.scaleX(), itemGroup.scaleY()], [0, 1, 1],
            'no transform, so children use layer pixels');
        assert.equal(itemGroup.id(), 42, 'the persistent id is the group\'s id attribute');
        assert.equal(typeof itemGroup._id, 'number', 'the node identifier');
        assert.notEqual(itemGroup._id, 42);
        assert.equal(itemGroup.layerScale, 1.25);
        assert.equal(itemGroup.isSelected, false);
        assert.equal(visibleControls(itemGroup), 0, 'every control hidden at creation');
        assert.equal(controlsOf(itemGroup).length, 6);

        var item = itemGroup.getFieldItem();
        assert.ok(item instanceof FieldItem);
        assert.equal(item.type, 'person');
        assert.equal(itemGroup.getChildren()[0], item.group);
        assertPoint(itemGroup.getPosAbs(), 100, 80, 1e-12, 'centre');
        assert.equal(item.layerScale, 1.25, 'the item is drawn for the layer scale');
        assert.close(item.group.width(), 80 * 0.2 * 1.25, 1e-9);
    });

test('children bottom to top, by type: drawing, lines, texts, then the controls', function () {
    var layer = makeLayer();
    var expected = {
        person: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'rotateControl',
            'colour1', 'ShortLabelControl', 'increase', 'decrease', 'LabelControl'],
        player1: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'rotateControl',
            'colour1', 'colour2', 'increase', 'decrease', 'LabelControl'],
        ball: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'colour1',
            'increase', 'decrease', 'LabelControl'],
        marker: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'colour1',
            'increase', 'decrease', 'LabelControl'],
        cone: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'rotateControl',
            'colour1', 'increase', 'decrease', 'LabelControl'],
        goal: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'rotateControl',
            'increase', 'decrease', 'LabelControl'],
        manikin: ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel', 'rotateControl',
            'increase', 'decrease', 'LabelControl']
    };
    Object.keys(expected).forEach(function (type) {
        assert.deepEqual(childRoles(addItem(layer, type, 200, 200)), expected[type], type);
    });
});

test('the texts: a black label of base size 14 below the item, a white short label centred on it',
    function () {
        var layer = makeLayer();
        var itemGroup = addItem(layer, 'person', 300, 200, { text: 'Left back', shortLabel: '7' });
        var item = itemGroup.getFieldItem();
        var label = itemGroup.itemText;
        var shortLabel = itemGroup.shortLabelText;
        assert.equal(label.text.text(), 'Left back');
        assert.equal(label.fontSize, 14);
        assert.close(label.text.fontSize(), 14 * 1.25, 1e-9, 'drawn for the layer scale');
        assert.equal(label.text.fill(), 'black');
        assertPoint(label.text.position(), 300, 200, 1e-9, 'label at the item centre');
        assert.close(label.text.offsetY(), -item.group.height() / 2, 1e-9, 'top edge at the item\'s foot');
        assert.equal(shortLabel.text.text(), '7');
        assert.equal(shortLabel.showInCenter, true);
        assert.equal(shortLabel.text.fill(), 'white');
        assert.close(shortLabel.fontSize, item.shortLabelFontSize, 1e-9, 'the item\'s short-label size');
        assert.close(shortLabel.text.fontSize(), 28 * 0.2 * 1.25 * 1.5, 1e-9);
        assert.close(shortLabel.text.offsetY(), shortLabel.text.fontSize() / 2, 1e-9, 'centred');

        var ball = addItem(layer, 'ball', 100, 100);
        assert.equal(ball.itemText.text.text(), '', 'an empty label');
        assert.equal(ball.shortLabelText.fontSize, 12, 'a fixed short-label size for other types');
    });

test('running lines at the item centre, dashed for balls only, for the layer scale', function () {
    var layer = makeLayer();
    var ball = addItem(layer, 'ball', 120, 90);
    var person = addItem(layer, 'person', 300, 200);
    assert.equal(ball.runningLines.isDashed, true);
    assert.equal(person.runningLines.isDashed, false);
    assert.deepEqual(ball.runningLines.lines[0].points(), [120, 90, 120, 90]);
    assert.close(person.runningLines.headLen, 20 * 1.25, 1e-9);
    assert.equal(ball.runningLines.group.getParent(), ball);
});

test('colour buttons show the item\'s colours and offer its lists; player1\'s second the default 17',
    function () {
        var layer = makeLayer();
        var person = addItem(layer, 'person', 200, 200, { col1: 'blue' });
        var button = control(person, 'colour1');
        assert.equal(button.swatch.fill(), 'blue');
        assert.deepEqual(button.availableCols, person.getFieldItem().availableCols1);

        var player = addItem(layer, 'player1', 300, 200, { col1: 'red', col2: 'black' });
        assert.equal(control(player, 'colour1').swatch.fill(), 'red');
        assert.equal(control(player, 'colour2').swatch.fill(), 'black');
        assert.equal(control(player, 'colour2').availableCols.length, 17);
    });

// ---- Control slots ---------------------------------------------------------

test('a ball: colour at -13.5 and label at +13.5 on the left, plus at -13.5 and minus at +13.5 on the right',
    function () {
        var layer = makeLayer();
        var ball = addItem(layer, 'ball', 200, 150);
        var side = 128 * 0.1 * 1.25 / 2 + 15;
        assertOffset(ball, 'colour1', -side, -13.5);
        assertOffset(ball, 'LabelControl', -side, 13.5);
        assertOffset(ball, 'increase', side, -13.5);
        assertOffset(ball, 'decrease', side, 13.5);
        assert.equal(control(ball, 'rotateControl'), null);
    });

test('a person: colour -27, short label 0, label +27 on the left; plus -27, rotate 0, minus +27 on the right',
    function () {
        var layer = makeLayer();
        var person = addItem(layer, 'person', 200, 150);
        var side = 80 * 0.2 * 1.25 / 2 + 15;
        assertOffset(person, 'colour1', -side, -27);
        assertOffset(person, 'ShortLabelControl', -side, 0);
        assertOffset(person, 'LabelControl', -side, 27);
        assertOffset(person, 'increase', side, -27);
        assertOffset(person, 'rotateControl', side, 0);
        assertOffset(person, 'decrease', side, 27);
    });

test('a player1: both colour buttons and the label fill the left column; a marker packs its right one',
    function () {
        var layer = makeLayer();
        var player = addItem(layer, 'player1', 200, 150);
        var side = player.getFieldItem().group.width() / 2 + 15;
        assertOffset(player, 'colour1', -side, -27);
        assertOffset(player, 'colour2', -side, 0);
        assertOffset(player, 'LabelControl', -side, 27);

        var marker = addItem(layer, 'marker', 400, 150);
        var markerSide = marker.getFieldItem().group.width() / 2 + 15;
        assertOffset(marker, 'increase', markerSide, -13.5);
        assertOffset(marker, 'decrease', markerSide, 13.5);
    });

test('a goal has no colour, so its label button is level with its centre', function () {
    var layer = makeLayer();
    var goal = addItem(layer, 'goal', 320, 240);
    var side = 256 * 0.3 * 1.25 / 2 + 15;
    assertOffset(goal, 'LabelControl', -side, 0);
    assertOffset(goal, 'increase', side, -27);
    assertOffset(goal, 'rotateControl', side, 0);
    assertOffset(goal, 'decrease', side, 27);
});

test('an item turned by 90 has its left column above it and its right column below, buttons upright',
    function () {
        var layer = makeLayer();
        var person = addItem(layer, 'person', 300, 200, { rotation: 90 });
        var side = 80 * 0.2 * 1.25 / 2 + 15;
        assertOffset(person, 'colour1', 27, -side);
        assertOffset(person, 'ShortLabelControl', 0, -side);
        assertOffset(person, 'LabelControl', -27, -side);
        assertOffset(person, 'increase', 27, side);
        assertOffset(person, 'rotateControl', 0, side);
        assertOffset(person, 'decrease', -27, side);
        controlsOf(person).forEach(function (node) {
            var m = node.getAbsoluteTransform().getMatrix();
            assert.close(m[1], 0, 1e-9, node.name() + ' not turned on screen');
            assert.ok(m[0] > 0, node.name() + ' not upside down');
        });
    });

test('calcControlPosition gives a slot\'s layer position and refuses slots outside 0 to 4', function () {
    var layer = makeLayer();
    var person = addItem(layer, 'person', 300, 200, { rotation: 30 });
    var side = 80 * 0.2 * 1.25 / 2 + 15;
    var turned = rotatePos({ x: side, y: -27 }, 30);
    assertPoint(person.calcControlPosition(3), 300 + turned.x, 200 + turned.y, 1e-9, 'slot 3');
    [-1, 5, 1.5, '1', undefined].forEach(function (slot) {
        assert.throws(function () { person.calcControlPosition(slot); }, /slot/, String(slot));
    });
});

// ---- Positions and properties ----------------------------------------------

test('getProperties at the layer centre reports 0.5, 0.5 whatever the layer size', function () {
    [[640, 480], [1024, 768], [300, 225]].forEach(function (size) {
        var layer = makeLayer(size[0], size[1]);
        var itemGroup = addItem(layer, 'cone', size[0] / 2, size[1] / 2);
        var props = itemGroup.getProperties();
        assert.close(props.x, 0.5, 1e-12, size + ' x');
        assert.close(props.y, 0.5, 1e-12, size + ' y');
    });
});

test('getProperties reports the whole record, with z the index in the layer\'s drawing order',
    function () {
        var layer = makeLayer();
        addItem(layer, 'ball', 10, 10);
        var itemGroup = addItem(layer, 'person', 160, 360, {
            id: 77, rotation: -45, col1: 'lime', text: 'Bo', shortLabel: '10'
        });
        assert.deepEqual(itemGroup.getProperties(), {
            x: 0.25, y: 0.75, rotation: -45, scale: 0.2, type: 'person', col1: 'lime', col2: 'lime',
            id: 77, text: 'Bo', shortLabel: '10', posIsFixed: false, z: 2
        });
        var cone = addItem(layer, 'cone', 10, 10);
        assert.equal(cone.getProperties().posIsFixed, true);
        assert.equal(cone.getProperties().z, 3);
        assert.equal(cone.getProperties().col2, 'orange');
    });

test('getPosRelative and setPos go through the layer; setPos leaves texts and controls', function () {
    var layer = makeLayer();
    var itemGroup = addItem(layer, 'person', 160, 120, { text: 'Cy' });
    assertPoint(itemGroup.getPosRelative(), 0.25, 0.25, 1e-12, 'relative');
    var plusBefore = control(itemGroup, 'increase').position();
    itemGroup.setPos({ x: 0.5, y: 0.75 });
    assertPoint(itemGroup.getPosAbs(), 320, 360, 1e-9, 'moved');
    assertPoint(itemGroup.itemText.text.position(), 160, 120, 1e-9, 'label stays');
    assertPoint(control(itemGroup, 'increase').position(), plusBefore.x, plusBefore.y, 1e-9,
        'plus stays');

    var loose = createFieldItemGroup(10, 10, 0, 'default', 'ball', 'default', 'default', 1, '', '', 1, 0);
    assert.throws(function () { loose.getPosRelative(); }, /not on a layer/);
});

test('controls are built on the first selection, placed for the item and turned for the pitch as they are then', function () {
    var layer = makeLayer();
    var plain = createFieldItemGroup(100, 100, 30, 'default', 'person', 'default', 'default', 7, '', '', 1, 0);
    layer.add(plain);
    var built = addItem(layer, 'person', 100, 100, { rotation: 30 });
    assert.deepEqual(childRoles(plain), ['fieldItem', 'runningLinesGroup', 'label', 'shortLabel'],
        'none before');
    plain.showControlsFunc(false);
    plain.setControlsPosition();
    assert.equal(plain.getChildren().length, 4, 'hiding or placing builds none');
    plain.setLayerScaleAndRotation(1, 90);
    built.setLayerScaleAndRotation(1, 90);
    plain.selectFunc(true);
    assert.deepEqual(childRoles(plain), childRoles(built), 'the same controls in the same order');
    assert.equal(visibleControls(plain), controlsOf(plain).length, 'shown');
    controlsOf(plain).forEach(function (node, i) {
        var twin = controlsOf(built)[i];
        assertPoint(node.position(), twin.x(), twin.y(), 1e-9, childRoles(plain)[i + 4]);
        assert.equal(node.rotation(), twin.rotation(), childRoles(plain)[i + 4] + ' turned');
    });
    plain.selectFunc(false);
    plain.selectFunc(true);
    assert.equal(plain.getChildren().length, 10, 'built once');
});

test('updatePosition moves and turns the item and re-places its texts; controls stay', function () {
    var layer = makeLayer();
    var itemGroup = addItem(layer, 'person', 100, 100, { text: 'Di', shortLabel: '4' });
    var rotateBefore = control(itemGroup, 'rotateControl').position();
    itemGroup.updatePosition({ x: 250, y: 180 }, 90);
    var item = itemGroup.getFieldItem();
    assertPoint(itemGroup.getPosAbs(), 250, 180, 1e-12, 'item');
    assert.equal(item.group.rotation(), 90);
    assertPoint(itemGroup.itemText.text.position(), 250, 180, 1e-9, 'label');
    assertPoint(itemGroup.shortLabelText.text.position(), 250, 180, 1e-9, 'short label');
    assertPoint(control(itemGroup, 'rotateControl').position(), rotateBefore.x, rotateBefore.y, 1e-9,
        'rotate handle');
});

// ---- Texts -------------------------------------------------------------------

test('setLabel replaces the label; setShortLabel re-sizes the short label by its length', function () {
    var layer = makeLayer(512, 384);
    var person = addItem(layer, 'person', 100, 100);
    person.setLabel('Keeper');
    assert.equal(person.itemText.text.text(), 'Keeper');
    assert.close(person.itemText.text.offsetX(), person.itemText.text.width() / 2, 1e-9);
    [['7', 8.4], ['10', 8.4], ['ABC', 5.6], ['ABCD', 4.2]].forEach(function (row) {
        person.setShortLabel(row[0]);
        assert.equal(person.shortLabelText.text.text(), row[0]);
        assert.close(person.shortLabelText.text.fontSize(), row[1], 1e-9, row[0]);
        assert.close(person.shortLabelText.text.offsetY(), row[1] / 2, 1e-9, row[0] + ' centred');
    });
});

// ---- Showing and hiding controls ----------------------------------------------

test('selectFunc shows and hides every control; showNonRotateControlsFunc leaves the rotate handle',
    function () {
        var layer = makeLayer();
        var person = addItem(layer, 'person', 200, 200);
        person.selectFunc(true);
        assert.equal(person.isSelected, true);
        assert.equal(visibleControls(person), 6);
        person.showNonRotateControlsFunc(false);
        assert.deepEqual(controlsOf(person).filter(function (n) { return n.visible(); })
            .map(function (n) { return n.name(); }), ['rotateControl']);
        person.showControlsFunc(true);
        assert.equal(visibleControls(person), 6);
        person.showControlsFunc(false);
        assert.equal(visibleControls(person), 0);
        assert.equal(person.isSelected, true, 'showing is not selecting');
        person.selectFunc(true);
        person.selectFunc(false);
        assert.equal(person.isSelected, false);
        assert.equal(visibleControls(person), 0);
    });

test('showing the controls re-places the texts, which a drag had only moved', function () {
    var layer = makeLayer();
    var person = addItem(layer, 'person', 200, 200, { text: 'Ed' });
    person.getFieldItem().group.position({ x: 260, y: 210 });
    person.showNonRotateControlsFunc(false);
    assertPoint(person.itemText.text.position(), 200, 200, 1e-9, 'hiding leaves the label');
    person.showNonRotateControlsFunc(true);
    assertPoint(person.itemText.text.position(), 260, 210, 1e-9, 'label');
    assertPoint(person.shortLabelText.text.position(), 260, 210, 1e-9, 'short label');
});

// ---- Press and release ---------------------------------------------------------

test('pressing an unselected item while three others are selected leaves only it selected, controls shown',
    function () {
        var layer = makeLayer();
        var a = addItem(layer, 'person', 100, 100);
        var others = [addItem(layer, 'person', 300, 100), addItem(layer, 'ball', 300, 300),
            addItem(layer, 'cone', 500, 300)];
        others.forEach(function (g) { g.selectFunc(true); });
        layer.draw();
        var at = centreOnStage(a);
        clickAt(stage, at.x, at.y);
        assert.deepEqual(layer.selectCalls, [a._id], 'the layer selects by node identifier');
        assert.equal(a.isSelected, true);
        assert.equal(visibleControls(a), 6);
        others.forEach(function (g) {
            assert.equal(g.isSelected, false, g.getFieldItem().type);
            assert.equal(visibleControls(g), 0, g.getFieldItem().type + ' controls hidden');
        });
        assert.equal(a.getZIndex(), layer.getChildren().length - 1, 'moved to the top');
        assert.equal(a.getProperties().z, 4, 'and saved so');
    });

test('pressing a selected item keeps the whole selection and brings it to the front', function () {
    var layer = makeLayer();
    var groups = [addItem(layer, 'person', 100, 100), addItem(layer, 'person', 300, 100),
        addItem(layer, 'person', 500, 100)];
    groups.forEach(function (g) { g.selectFunc(true); });
    layer.draw();
    var at = centreOnStage(groups[0]);
    clickAt(stage, at.x, at.y);
    assert.deepEqual(layer.selectCalls, [], 'no selection change');
    groups.forEach(function (g, i) {
        assert.equal(g.isSelected, true, 'item ' + i);
        assert.equal(visibleControls(g), 6, 'item ' + i + ' controls');
    });
    assert.equal(groups[0].getZIndex(), 3);
});

test('an item can be pressed where its running lines cross it', function () {
    var layer = makeLayer();
    // On half pixels a line of width 1 covers whole pixels of the hit graph.
    var person = addItem(layer, 'person', 300.5, 200.5);
    person.runningLines.setLines({ x: 100.5, y: 200.5 }, { x: 300.5, y: 200.5 },
        { x: 300.5, y: 400.5 }, { x: 500.5, y: 400.5 }, [true, true, true], true);
    layer.draw();
    var at = centreOnStage(person);
    clickAt(stage, at.x, at.y);
    assert.equal(person.isSelected, true);
});

// ---- Dragging -------------------------------------------------------------------

// Three selected persons with labels and running lines, and one unselected.
function threeSelected(layer, positions) {
    var groups = positions.map(function (p, i) {
        var g = addItem(layer, 'person', p.x, p.y, { text: 'P' + i, shortLabel: String(i + 1) });
        g.runningLines.setLines({ x: p.x - 50, y: p.y }, p, { x: p.x, y: p.y + 50 },
            { x: p.x + 50, y: p.y + 50 }, [true, true, true], true);
        g.selectFunc(true);
        return g;
    });
    layer.draw();
    return groups;
}

test('dragging one of three selected items moves all three, their texts and running-line points, by the same delta',
    function () {
        var layer = makeLayer();
        var idle = addItem(layer, 'person', 320, 400);
        var groups = threeSelected(layer, [{ x: 100, y: 100 }, { x: 300, y: 150 }, { x: 500, y: 200 }]);
        var before = groups.map(function (g) {
            return {
                centre: g.getPosAbs(),
                label: g.itemText.text.position(),
                shortLabel: g.shortLabelText.text.position(),
                line2: g.runningLines.lines[2].points().slice()
            };
        });
        // Looked at while the pointer is still down: releasing re-places
        // the texts anyway.
        dragItem(groups[1], 30, -20, false);
        groups.forEach(function (g, i) {
            var b = before[i];
            var name = 'item ' + i;
            assertPoint(g.getPosAbs(), b.centre.x + 30, b.centre.y - 20, 1e-6, name);
            assertPoint(g.itemText.text.position(), b.label.x + 30, b.label.y - 20, 1e-6, name + ' label');
            assertPoint(g.shortLabelText.text.position(), b.shortLabel.x + 30, b.shortLabel.y - 20, 1e-6,
                name + ' short label');
            var l0 = g.runningLines.lines[0].points();
            var l1 = g.runningLines.lines[1].points();
            assertPoint({ x: l0[0], y: l0[1] }, b.centre.x - 50, b.centre.y, 1e-9, name + ' line 0 start kept');
            assertPoint({ x: l0[2], y: l0[3] }, b.centre.x + 30, b.centre.y - 20, 1e-6, name + ' line 0 end');
            assertPoint({ x: l1[0], y: l1[1] }, b.centre.x + 30, b.centre.y - 20, 1e-6, name + ' line 1 start');
            assert.deepEqual(g.runningLines.lines[2].points(), b.line2, name + ' line 2 kept');
        });
        var end = centreOnStage(groups[1]);
        pointerEvent(stage, 'mouseup', end.x, end.y);
        groups.forEach(function (g, i) {
            assertPoint(g.getPosAbs(), before[i].centre.x + 30, before[i].centre.y - 20, 1e-6,
                'item ' + i + ' after release');
        });
        assertPoint(idle.getPosAbs(), 320, 400, 1e-12, 'the unselected item stays');
    });

test('only the dragged item is held on the pitch; the others move by the same clipped delta',
    function () {
        var layer = makeLayer();
        var groups = threeSelected(layer, [{ x: 600, y: 100 }, { x: 620, y: 300 }, { x: 100, y: 30 }]);
        dragItem(groups[0], 100, -150);
        assertPoint(groups[0].getPosAbs(), PITCH_W, 0, 1e-6, 'dragged: clipped to the corner');
        assertPoint(groups[1].getPosAbs(), 660, 200, 1e-6, 'beyond the right edge');
        assertPoint(groups[2].getPosAbs(), 140, -70, 1e-6, 'beyond the top edge');
    });

test('a drag on a turned pitch moves items in the pitch\'s own coordinates', function () {
    var layer = makeLayer(PITCH_W, PITCH_H, 90);
    var groups = threeSelected(layer, [{ x: 200, y: 200 }, { x: 400, y: 300 }, { x: 300, y: 100 }]);
    // Right on screen is up the turned pitch's y axis.
    dragItem(groups[0], 40, 0);
    assertPoint(groups[0].getPosAbs(), 200, 160, 1e-6, 'dragged');
    assertPoint(groups[1].getPosAbs(), 400, 260, 1e-6, 'carried along');
    // Up on screen is towards the turned pitch's x = 0 edge.
    dragItem(groups[2], 0, -400);
    assertPoint(groups[2].getPosAbs(), 0, 60, 1e-6, 'held at the pitch\'s x = 0 edge');
});

test('drag start hides the controls on every selected item; drag end re-places them, shows them and asks for redrawControls',
    function () {
        var layer = makeLayer();
        var idle = addItem(layer, 'person', 320, 400);
        var groups = threeSelected(layer, [{ x: 100, y: 100 }, { x: 300, y: 150 }, { x: 500, y: 200 }]);
        var starts = [0, 0, 0];
        var ends = [0, 0, 0];
        groups.forEach(function (g, i) {
            g.on('dragstartnoresend', function () { starts[i]++; });
            g.on('dragendnoresend', function () { ends[i]++; });
        });
        var redraws = listen('redrawControls');
        try {
            dragItem(groups[2], -25, 35, false);
            groups.forEach(function (g, i) {
                assert.equal(visibleControls(g), 0, 'item ' + i + ' hidden while dragged');
            });
            assert.deepEqual(starts, [1, 1, 1], 'drag start passed once to each, not again');
            assert.deepEqual(ends, [0, 0, 0]);
            assert.equal(redraws.length, 0);

            var end = centreOnStage(groups[2]);
            pointerEvent(stage, 'mouseup', end.x, end.y);
            assert.deepEqual(ends, [1, 1, 1], 'drag end passed once to each');
            assert.equal(redraws.length, 1, 'redrawControls once');
            assert.deepEqual(redraws[0], {});
            groups.forEach(function (g, i) {
                assert.equal(visibleControls(g), 6, 'item ' + i + ' shown after the drag');
                var slot0 = g.calcControlPosition(0);
                assertPoint(control(g, 'colour1').position(), slot0.x, slot0.y, 1e-9,
                    'item ' + i + ' colour button follows');
                var home = g.getPosAbs();
                assert.close(control(g, 'rotateControl').x(),
                    home.x + g.getFieldItem().group.width() / 2 + 15, 1e-9, 'item ' + i + ' rotate handle');
            });
            assert.equal(visibleControls(idle), 0, 'the unselected item is left alone');
        } finally {
            redraws.stop();
        }
    });

test('the drag-bound function accepts any position for an unselected item', function () {
    var layer = makeLayer();
    var ball = addItem(layer, 'ball', 100, 100);
    var other = addItem(layer, 'ball', 200, 100);
    other.selectFunc(true);
    var bound = ball.getFieldItem().group.dragBoundFunc();
    var proposed = { x: -500, y: 9000 };
    assert.deepEqual(bound.call(ball.getFieldItem().group, proposed), proposed);
    assertPoint(other.getPosAbs(), 200, 100, 1e-12, 'nothing else moves');
});

// ---- Rescaling and turning ---------------------------------------------------------

test('setLayerScaleAndRotation resizes the item, re-places texts and controls, and counter-turns texts and buttons',
    function () {
        var layer = makeLayer(512, 384);
        var person = addItem(layer, 'person', 200, 150, { text: 'Flo', shortLabel: '9' });
        person.selectFunc(true);
        person.setLayerScaleAndRotation(2, 90);
        var item = person.getFieldItem();
        assert.equal(person.layerScale, 2);
        assert.close(item.group.width(), 80 * 0.2 * 2, 1e-9, 'item width');
        assert.close(person.itemText.text.fontSize(), 28, 1e-9, 'label font follows the layer scale');
        assert.close(person.shortLabelText.text.fontSize(), 28 * 0.2 * 2 * 1.5, 1e-9,
            'short label follows the item size');
        assert.equal(person.itemText.text.rotation(), -90);
        assert.equal(person.shortLabelText.text.rotation(), -90);
        ['ShortLabelControl', 'increase', 'decrease', 'LabelControl'].forEach(function (role) {
            assert.equal(control(person, role).rotation(), -90, role);
        });
        assert.equal(control(person, 'rotateControl').rotation(), 0, 'the handle group is not turned');
        assert.equal(control(person, 'rotateControl').getChildren()[1].rotation(), -90, 'its icon is');
        assertOffset(person, 'increase', 16 + 15, -27, 'for the new size');
        assertOffset(person, 'rotateControl', 16 + 15, 0, 'for the new size');
        assert.deepEqual(person.runningLines.lines[0].dash(), [20, 20]);
        assert.equal(person.runningLines.headLen, 40);

        // A fixed item's label sits below its turned box as seen on screen.
        var cone = addItem(layer, 'cone', 300, 150, { rotation: 90, text: 'C' });
        cone.setLayerScaleAndRotation(1, 0);
        assert.close(cone.itemText.text.offsetY(), -cone.getFieldItem().group.width() / 2, 1e-9);
    });

test('setScale clips through the item, raises setItemDefaultScale and re-places texts and controls',
    function () {
        var layer = makeLayer(512, 384);
        var person = addItem(layer, 'person', 200, 150, { text: 'Gil', shortLabel: '7' });
        var scales = listen('setItemDefaultScale');
        try {
            person.setScale(10);
            assert.equal(person.getFieldItem().getScale(), 0.5);
            assert.deepEqual(scales.slice(), [{ itemType: 'person', scale: 0.5 }]);
            assert.close(person.itemText.text.offsetY(), -128 * 0.5 / 2, 1e-9, 'label below the new size');
            assert.close(person.shortLabelText.text.fontSize(), 28 * 0.5 * 1.5, 1e-9, 'short label');
            assertOffset(person, 'increase', 40 / 2 + 15, -27, 'plus');
            assertOffset(person, 'rotateControl', 40 / 2 + 15, 0, 'rotate');
            assertOffset(person, 'colour1', -(40 / 2 + 15), -27, 'colour');
            person.setScale(0.01);
            assert.equal(person.getFieldItem().getScale(), 0.1);
            assert.equal(scales[1].scale, 0.1);
            assert.deepEqual([person.scaleX(), person.scaleY()], [1, 1], 'the group itself is never scaled');
        } finally {
            scales.stop();
        }
    });

test('the plus button, clicked on screen, scales the item through the group', function () {
    var layer = makeLayer(512, 384);
    var ball = addItem(layer, 'ball', 200, 150);
    ball.selectFunc(true);
    layer.draw();
    var plus = layerPosToStage(control(ball, 'increase').position(), layer);
    clickAt(stage, plus.x, plus.y);
    assert.close(ball.getFieldItem().getScale(), 0.11, 1e-12);
    assertOffset(ball, 'increase', 128 * 0.11 / 2 + 15, -13.5, 'plus re-placed');
});

test('the label button asks for a label by the group\'s node identifier', function () {
    var layer = makeLayer();
    var person = addItem(layer, 'person', 200, 150, { text: 'Hal' });
    person.selectFunc(true);
    layer.draw();
    var requests = listen('getLabelForItem');
    try {
        var at = layerPosToStage(control(person, 'LabelControl').position(), layer);
        clickAt(stage, at.x, at.y);
        assert.deepEqual(requests.slice(), [{ id: person._id, currentLabel: 'Hal' }]);
    } finally {
        requests.stop();
    }
});

test('turning with the rotate handle re-places the other controls for the new rotation', function () {
    var layer = makeLayer(512, 384);
    var person = addItem(layer, 'person', 200, 150);
    person.selectFunc(true);
    layer.draw();
    var from = layerPosToStage(control(person, 'rotateControl').position(), layer);
    var to = layerPosToStage({ x: 200, y: 250 }, layer);
    pointerEvent(stage, 'mousemove', from.x, from.y);
    pointerEvent(stage, 'mousedown', from.x, from.y);
    pointerEvent(stage, 'mousemove', (from.x + to.x) / 2, (from.y + to.y) / 2);
    pointerEvent(stage, 'mousemove', to.x, to.y);
    pointerEvent(stage, 'mouseup', to.x, to.y);
    assert.close(person.getFieldItem().group.rotation(), 90, 1e-6);
    assertOffset(person, 'colour1', 27, -23, 'left column above');
    assertOffset(person, 'increase', 27, 23, 'right column below');
    assert.equal(visibleControls(person), 6);
});
