// An item's label and short label (FieldItemText.js): style, font sizes,
// placement below or across the item, upright on a turned pitch.

var container = document.createElement('div');
container.id = 'fieldItemTextTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'fieldItemTextTestStage', width: 400, height: 300 });
// Like the animation layer: centred on the stage, turning about its centre.
var layer = new Kinetic.Layer({ x: 200, y: 150, offsetX: 200, offsetY: 150 });
stage.add(layer);

var CENTRE = { x: 200, y: 150 };
var TOLERANCE = 1e-9;

function makeItem(type, rotation, layerScale) {
    return new FieldItem(CENTRE.x, CENTRE.y, rotation, 'default', type, 'default', 'default', layerScale);
}

function place(text, item) {
    layer.destroyChildren();
    layer.add(item.group);
    layer.add(text.text);
    layer.draw();
}

function label(item, words, layerScale, layerRotation) {
    var text = new FieldItemText(words, CENTRE, 14, item.group, layerScale || 1, layerRotation || 0,
        item.posIsFixed, false);
    place(text, item);
    return text;
}

function shortLabel(item, words, layerScale, layerRotation) {
    var text = new FieldItemText(words, CENTRE, item.shortLabelFontSize, item.group, layerScale || 1,
        layerRotation || 0, item.posIsFixed, true);
    place(text, item);
    return text;
}

// Where a point of the text node lands on the stage.
function onStage(textNode, x, y) {
    return textNode.getAbsoluteTransform().point({ x: x, y: y });
}

function assertUpright(textNode, message) {
    var m = textNode.getAbsoluteTransform().getMatrix();
    assert.close(m[1], 0, TOLERANCE, message + ': not turned on screen');
    assert.close(m[2], 0, TOLERANCE, message + ': not turned on screen');
    assert.ok(m[0] > 0 && m[3] > 0, message + ': not upside down');
}

// ---- Style ------------------------------------------------------------------

test('a label is black Helvetica, normal, centred and deaf to the pointer', function () {
    var text = label(makeItem('person', 0, 1), 'Keeper');
    assert.equal(text.text.text(), 'Keeper');
    assert.equal(text.text.fontFamily(), 'Helvetica');
    assert.equal(text.text.fill(), 'black');
    assert.equal(text.text.fontStyle(), 'normal');
    assert.equal(text.text.align(), 'center');
    assert.equal(text.text.listening(), false);
    assert.equal(text.fontSize, 14);
    assert.equal(text.showInCenter, false);
});

test('a short label is white bold Helvetica, and the engine really draws it bolder', function () {
    var item = makeItem('person', 0, 1);
    var text = shortLabel(item, '88');
    assert.equal(text.text.fill(), 'white');
    assert.equal(text.text.fontStyle(), 'Bold');
    assert.equal(text.text.fontFamily(), 'Helvetica');
    assert.equal(text.showInCenter, true);
    // Bold and regular share many advance widths, so count ink instead.
    function ink(fontStyle) {
        var canvas = document.createElement('canvas');
        canvas.width = 200;
        canvas.height = 60;
        var context = canvas.getContext('2d');
        context.font = fontStyle + ' 40px Helvetica';
        context.fillText('8888', 5, 45);
        var pixels = context.getImageData(0, 0, 200, 60).data;
        var count = 0;
        for (var i = 3; i < pixels.length; i += 4) {
            count += pixels[i] > 128 ? 1 : 0;
        }
        return count;
    }
    var normalInk = ink('normal');
    var boldInk = ink(text.text.fontStyle());
    assert.ok(boldInk > normalInk * 1.2, 'bold ' + boldInk + ' vs normal ' + normalInk + ' pixels');
});

test('the constructor wants a positive font size and the item\'s group', function () {
    var item = makeItem('person', 0, 1);
    assert.throws(function () { new FieldItemText('x', CENTRE, 0, item.group, 1, 0, false, false); },
        /font size/);
    assert.throws(function () { new FieldItemText('x', CENTRE, 14, null, 1, 0, false, false); },
        /group/);
});

// ---- Font sizes ---------------------------------------------------------------

test('a person\'s short label at scale 0.2: 8.4 for one or two characters, 5.6 for three, 4.2 for four', function () {
    var item = makeItem('person', 0, 1);
    assert.close(item.shortLabelFontSize, 5.6, 1e-9, 'the item\'s short-label size');
    var sizes = ['7', '10', 'ABC', 'ABCD', 'ABCDE'].map(function (words) {
        return shortLabel(item, words).text.fontSize();
    });
    var expected = [8.4, 8.4, 5.6, 4.2, 4.2];
    for (var i = 0; i < expected.length; i++) {
        assert.close(sizes[i], expected[i], 1e-9, 'text ' + i);
    }
});

test('on a layer of scale 2 the person\'s short-label sizes double, with no second layer factor', function () {
    var item = makeItem('person', 0, 2);
    assert.close(shortLabel(item, '7', 2).text.fontSize(), 16.8, 1e-9);
    assert.close(shortLabel(item, 'ABC', 2).text.fontSize(), 11.2, 1e-9);
    assert.close(shortLabel(item, 'ABCD', 2).text.fontSize(), 8.4, 1e-9);
});

test('a label is 14 times the layer scale', function () {
    var item = makeItem('person', 0, 1);
    assert.equal(label(item, 'Keeper', 1).text.fontSize(), 14);
    assert.equal(label(item, 'Keeper', 2).text.fontSize(), 28);
    assert.close(label(item, 'Keeper', 0.75).text.fontSize(), 10.5, 1e-9);
});

test('the size follows the text\'s length at the next placement, not at setText', function () {
    var item = makeItem('person', 0, 1);
    var text = shortLabel(item, '7');
    text.setText('1234');
    assert.close(text.text.fontSize(), 8.4, 1e-9, 'kept by setText');
    text.calcAndSetPos(CENTRE, item.group, 1, 0, false);
    assert.close(text.text.fontSize(), 4.2, 1e-9, 'applied by calcAndSetPos');
});

test('a person\'s resize reaches the group\'s short-label text and shows at the next placement', function () {
    var item = makeItem('person', 0, 1);
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    itemGroup.setControlsPosition = function () {};
    itemGroup.shortLabelText = new FieldItemText('7', CENTRE, item.shortLabelFontSize, item.group, 1, 0,
        false, true);
    itemGroup.add(item.group);
    itemGroup.add(itemGroup.shortLabelText.text);
    item.setScale(0.4);
    assert.close(itemGroup.shortLabelText.fontSize, 11.2, 1e-9, 'new base size handed over');
    assert.close(itemGroup.shortLabelText.text.fontSize(), 8.4, 1e-9, 'not drawn yet');
    itemGroup.shortLabelText.calcAndSetPos(CENTRE, item.group, 1, 0, false);
    assert.close(itemGroup.shortLabelText.text.fontSize(), 16.8, 1e-9, 'drawn at the next placement');
});

// ---- Placement ------------------------------------------------------------------

test('a short label is centred on the item both ways', function () {
    var item = makeItem('person', 30, 1);
    var text = shortLabel(item, '10');
    assert.close(text.text.offsetX(), text.text.width() / 2, TOLERANCE);
    assert.close(text.text.offsetY(), 8.4 / 2, TOLERANCE, 'half the font size');
    var middle = onStage(text.text, text.text.width() / 2, text.text.height() / 2);
    assert.close(middle.x, CENTRE.x, 1e-6);
    assert.close(middle.y, CENTRE.y, 1e-6);
});

test('a label is centred across, its top edge h/2 below the centre of an unturned item', function () {
    var item = makeItem('person', 0, 1);
    var text = label(item, 'Keeper');
    var topLeft = onStage(text.text, 0, 0);
    var topRight = onStage(text.text, text.text.width(), 0);
    assert.close((topLeft.x + topRight.x) / 2, CENTRE.x, 1e-6, 'centred across');
    assert.close(topLeft.y, CENTRE.y + 12.8, 1e-6, 'h/2 below');
});

test('a fixed item turned 90 degrees has its label w/2 below its centre, a player still h/2', function () {
    var cone = makeItem('cone', 90, 1);
    var w = cone.group.width();
    assert.close(w, 14.85, 1e-9, 'the cone\'s drawn width');
    var coneLabel = label(cone, 'Start');
    assert.close(onStage(coneLabel.text, 0, 0).y, CENTRE.y + w / 2, 1e-6, 'cone: w/2');

    var person = makeItem('person', 90, 1);
    var personLabel = label(person, 'Keeper');
    assert.close(onStage(personLabel.text, 0, 0).y, CENTRE.y + person.group.height() / 2, 1e-6,
        'person: h/2 whatever its rotation');
});

test('a fixed item turned 45 degrees has its label below the lowest corner', function () {
    var cone = makeItem('cone', 45, 1);
    var w = cone.group.width();
    var h = cone.group.height();
    var text = label(cone, 'Start');
    var half = (w + h) * Math.SQRT1_2 / 2;
    assert.close(onStage(text.text, 0, 0).y, CENTRE.y + half, 1e-6);
    // Nothing of the turned cone lies lower than the label's top edge.
    var lowest = -Infinity;
    [[0, 0], [w, 0], [w, h], [0, h]].forEach(function (corner) {
        lowest = Math.max(lowest, cone.group.getAbsoluteTransform().point({ x: corner[0], y: corner[1] }).y);
    });
    assert.close(lowest, onStage(text.text, 0, 0).y, 1e-6, 'touches the lowest point');
});

test('after the pitch turns 90 degrees, labels and short labels read upright below and on the item', function () {
    layer.rotation(90);
    try {
        // A new item on a turned pitch stands upright: rotation -90.
        var cone = makeItem('cone', -90, 1);
        var text = label(cone, 'Start', 1, 90);
        assert.equal(text.text.rotation(), -90, 'counter-turned');
        assertUpright(text.text, 'label');
        assert.close(onStage(text.text, 0, 0).y, CENTRE.y + cone.group.height() / 2, 1e-6,
            'below the upright cone on screen');

        var person = makeItem('person', -90, 1);
        var number = shortLabel(person, '7', 1, 90);
        assertUpright(number.text, 'short label');
        var middle = onStage(number.text, number.text.width() / 2, number.text.height() / 2);
        assert.close(middle.x, CENTRE.x, 1e-6);
        assert.close(middle.y, CENTRE.y, 1e-6);

        // Turning further keeps them upright once re-placed.
        layer.rotation(180);
        number.calcAndSetPos(CENTRE, person.group, 1, 180, false);
        assertUpright(number.text, 'short label at 180');
    } finally {
        layer.rotation(0);
    }
});

test('calcAndSetPos puts the text at the item\'s new centre', function () {
    var item = makeItem('person', 0, 1);
    var text = label(item, 'Keeper');
    text.calcAndSetPos({ x: 50, y: 60 }, item.group, 1, 0, false);
    assert.equal(text.text.x(), 50);
    assert.equal(text.text.y(), 60);
});

// ---- Text and moves -------------------------------------------------------------

test('setText replaces the text and re-centres it across, leaving the vertical place', function () {
    var item = makeItem('person', 0, 1);
    var text = label(item, 'A');
    var offsetY = text.text.offsetY();
    text.setText('A much longer label');
    assert.equal(text.text.text(), 'A much longer label');
    assert.close(text.text.offsetX(), text.text.width() / 2, TOLERANCE);
    assert.ok(text.text.width() > 60, 'measured in its font');
    assert.equal(text.text.offsetY(), offsetY);
});

test('an empty text has no width and nothing to centre', function () {
    var item = makeItem('person', 0, 1);
    var text = label(item, '');
    assert.equal(text.text.text(), '');
    assert.equal(text.text.width(), 0);
    assert.equal(text.text.offsetX(), 0);
    text.setText(undefined);
    assert.equal(text.text.text(), '', 'undefined counts as empty');
});

test('move shifts the text by a delta', function () {
    var item = makeItem('person', 0, 1);
    var text = label(item, 'Keeper');
    text.move({ x: 15, y: -4 });
    assert.equal(text.text.x(), CENTRE.x + 15);
    assert.equal(text.text.y(), CENTRE.y - 4);
});
