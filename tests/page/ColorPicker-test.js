// The colour button and its chooser (ColorPicker.js): the button, the disc
// that grows over the stage, the grid of colours, and picking one.

var container = document.createElement('div');
container.id = 'colorPickerTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'colorPickerTestStage', width: 800, height: 600 });
// Like the animation layer: centred on the stage, turning about its centre.
var layer = new Kinetic.Layer({ name: 'animLayer', x: 400, y: 300, offsetX: 400, offsetY: 300 });
stage.add(layer);

var BUTTON_AT = { x: 300, y: 200 };
var PERSON_COLOURS = ['red', 'orange', 'yellow', 'lime', 'blue', 'purple', 'maroon', 'white', 'black'];
var DEFAULT_COLOURS = ['aqua', 'black', 'blue', 'fuchsia', 'gray', 'green', 'lime', 'maroon', 'navy',
    'olive', 'orange', 'purple', 'red', 'silver', 'teal', 'white', 'yellow'];

function makeItem(type) {
    return new FieldItem(200, 150, 0, 'default', type, 'default', 'default', 1);
}

var events = [];
['disableControls', 'enableControls', 'setItemDefaultColor'].forEach(function (name) {
    document.addEventListener(name, function (evt) {
        events.push({ name: name, detail: evt.detail });
    }, false);
});

function eventNames() {
    return events.map(function (e) { return e.name; });
}

// An item group reduced to what the button uses (getFieldItem), holding the
// item and one colour button for colour `pickerNumber`.
function setUp(type, pickerNumber) {
    layer.destroyChildren();
    stage.find('.pickerLayer').each(function (node) { node.destroy(); });
    var number = pickerNumber || 1;
    var item = makeItem(type);
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    itemGroup.getFieldItem = function () { return item; };
    itemGroup.setControlsPosition = function () {};
    var button = createColorPicker(item.getCol(number), number,
        number === 1 ? item.availableCols1 : item.availableCols2);
    itemGroup.add(item.group);
    itemGroup.add(button);
    layer.add(itemGroup);
    button.position(BUTTON_AT);
    button.show();
    layer.draw();
    events = [];
    return { item: item, button: button };
}

function pickerLayers() {
    return stage.find('.pickerLayer');
}

function squares() {
    var layers = pickerLayers();
    return layers.length ? layers[0].find('.colPickerSquare').toArray() : [];
}

function buttonOnStage(button) {
    return button.getAbsolutePosition();
}

// Clicks the button, waits for the squares, then runs `then` with them.
function openChooser(env, done, then) {
    var at = buttonOnStage(env.button);
    clickAt(stage, at.x, at.y);
    waitFor('the colour squares', function () { return squares().length > 0; }, done, function () {
        then(squares());
    });
}

function centreOf(square) {
    return { x: square.x() + square.width() / 2, y: square.y() + square.height() / 2 };
}

// ---- The button -----------------------------------------------------------

test('the button is a hidden "colPickerButton" with a white circle and a level square swatch', function () {
    var button = createColorPicker('red', 1, PERSON_COLOURS);
    assert.equal(button.name(), 'colPickerButton');
    assert.equal(button.visible(), false);
    assert.equal(button.pickerNumber, 1);
    var circle = button.find('.circle')[0];
    assert.equal(circle.radius(), 12);
    assert.equal(circle.fill(), 'white');
    assert.equal(circle.opacity(), 0.7);
    var swatch = button.swatch;
    assert.equal(swatch.getClassName(), 'RegularPolygon');
    assert.equal(swatch.sides(), 4);
    assert.equal(swatch.radius(), 9);
    assert.equal(swatch.rotation(), 45, 'sides level');
    assert.equal(swatch.fill(), 'red');
    assert.equal(swatch.stroke(), 'black');
    assert.equal(swatch.strokeWidth(), 0.1);
    assert.equal(swatch.listening(), false);
    assert.equal(createColorPicker('blue', 2).pickerNumber, 2);
});

test('misuse is refused: a picker number other than 1 or 2, an empty or oversized list', function () {
    assert.throws(function () { createColorPicker('red', 3, PERSON_COLOURS); }, /pickerNumber/);
    assert.throws(function () { createColorPicker('red', 1, []); }, /1 to 36/);
    var many = [];
    for (var i = 0; i < 37; i++) {
        many.push('red');
    }
    assert.throws(function () { createColorPicker('red', 1, many); }, /1 to 36/);
    createColorPicker('red', 1, many.slice(0, 36));
});

test('press makes the circle opaque; release, leaving or a touch end bring back 0.7', function () {
    var env = setUp('person');
    var circle = env.button.circle;
    env.button.fire('mousedown');
    assert.equal(circle.opacity(), 1, 'pressed');
    env.button.fire('mouseup');
    assert.equal(circle.opacity(), 0.7, 'released');
    env.button.fire('touchstart');
    assert.equal(circle.opacity(), 1, 'touched');
    env.button.fire('mouseout');
    assert.equal(circle.opacity(), 0.7, 'left');
    env.button.fire('touchstart');
    env.button.fire('touchend');
    assert.equal(circle.opacity(), 0.7, 'touch ended');
});

// ---- Opening ----------------------------------------------------------------

test('a click raises disableControls and starts a white disc on a new top layer at the button', function (done) {
    var env = setUp('person');
    var at = buttonOnStage(env.button);
    clickAt(stage, at.x, at.y);
    assert.deepEqual(eventNames(), ['disableControls'], 'raised first, and only that');
    var layers = pickerLayers();
    assert.equal(layers.length, 1, 'one picker layer');
    var pickerLayer = layers[0];
    var all = stage.getChildren();
    assert.equal(all[all.length - 1], pickerLayer, 'above the animation layer');
    assert.equal(pickerLayer.width(), 800);
    assert.equal(pickerLayer.height(), 600);
    var disc = pickerLayer.find('.colPickerCircle')[0];
    assert.ok(disc, 'the disc');
    assert.equal(disc.fill(), 'white');
    assert.equal(disc.opacity(), 0.7);
    assert.ok(disc.radius() < 20, 'starts at about the button\'s size: ' + disc.radius());
    assert.close(disc.x(), BUTTON_AT.x, 5, 'starts at the button');
    assert.close(disc.y(), BUTTON_AT.y, 5, 'starts at the button');
    assert.equal(squares().length, 0, 'no squares while it grows');
    var started = Date.now();
    waitFor('the squares', function () { return squares().length > 0; }, done, function () {
        var took = Date.now() - started;
        // Only a lower bound: a busy machine may take longer, never shorter.
        assert.ok(took >= 180, 'grew for about 0.2 s, not at once: ' + took + ' ms');
        assert.equal(disc.x(), 400, 'moved to the centre');
        assert.equal(disc.y(), 300);
        assert.equal(disc.radius(), 250, 'min(800, 600) / 2 - 50');
        done();
    });
});

test('on a turned pitch the disc still starts where the button is on screen', function () {
    layer.rotation(90);
    try {
        var env = setUp('person');
        var at = buttonOnStage(env.button);
        assert.close(at.x, 500, 1e-9, 'button on screen');
        assert.close(at.y, 200, 1e-9, 'button on screen');
        env.button.fire('click');
        var disc = pickerLayers()[0].find('.colPickerCircle')[0];
        assert.close(disc.x(), 500, 1e-9);
        assert.close(disc.y(), 200, 1e-9);
        assert.equal(disc.radius(), 12);
    } finally {
        pickerLayers().each(function (node) { node.destroy(); });
        layer.rotation(0);
    }
});

// ---- The grid ---------------------------------------------------------------

test('a person opens a 3 x 3 grid in catalogue order, squares about 104.5 px inside a 353.6 px grid', function (done) {
    var env = setUp('person');
    openChooser(env, done, function (found) {
        assert.deepEqual(found.map(function (s) { return s.fill(); }), PERSON_COLOURS);
        var side = 250 * Math.SQRT2;
        assert.close(side, 353.55, 0.01);
        var size = (side - 40) / 3;
        assert.close(size, 104.52, 0.01);
        var left = 400 - side / 2;
        var top = 300 - side / 2;
        found.forEach(function (square, index) {
            var row = Math.floor(index / 3);
            var column = index % 3;
            assert.close(square.width(), size, 1e-9, 'width ' + index);
            assert.close(square.height(), size, 1e-9, 'height ' + index);
            assert.close(square.x(), left + 10 + column * (size + 10), 1e-9, 'x ' + index);
            assert.close(square.y(), top + 10 + row * (size + 10), 1e-9, 'y ' + index);
            assert.equal(square.stroke(), 'black');
            assert.equal(square.strokeWidth(), 1);
        });
        // The grid's outer gap is 10 px on every side.
        var last = found[8];
        assert.close(last.x() + last.width() + 10, left + side, 1e-9, 'right edge');
        assert.close(last.y() + last.height() + 10, top + side, 1e-9, 'bottom edge');
        done();
    });
});

function rowsAndColumns(found) {
    var xs = {};
    var ys = {};
    found.forEach(function (s) {
        xs[s.x().toFixed(3)] = true;
        ys[s.y().toFixed(3)] = true;
    });
    return { columns: Object.keys(xs).length, rows: Object.keys(ys).length };
}

test('a ball opens a 3 x 3 grid with only its first row filled', function (done) {
    var env = setUp('ball');
    openChooser(env, done, function (found) {
        assert.deepEqual(found.map(function (s) { return s.fill(); }), ['white', 'yellow', 'orange']);
        assert.deepEqual(rowsAndColumns(found), { columns: 3, rows: 1 });
        assert.close(found[0].width(), (250 * Math.SQRT2 - 40) / 3, 1e-9, 'the size of a 3 x 3 grid');
        done();
    });
});

test('a cone opens a 3 x 3 grid with two full rows', function (done) {
    var env = setUp('cone');
    openChooser(env, done, function (found) {
        assert.equal(found.length, 6);
        assert.deepEqual(rowsAndColumns(found), { columns: 3, rows: 2 });
        assert.close(found[0].width(), (250 * Math.SQRT2 - 40) / 3, 1e-9);
        done();
    });
});

test('colour 2 of a player1 offers the 17 default colours in a 5 x 5 grid', function (done) {
    var env = setUp('player1', 2);
    assert.equal(env.button.swatch.fill(), 'blue', 'shows the shorts colour');
    openChooser(env, done, function (found) {
        assert.deepEqual(found.map(function (s) { return s.fill(); }), DEFAULT_COLOURS);
        var size = (250 * Math.SQRT2 - 60) / 5;
        assert.close(found[0].width(), size, 1e-9, '5 x 5 squares');
        var perRow = [0, 0, 0, 0, 0];
        var top = 300 - 125 * Math.SQRT2;
        found.forEach(function (s) {
            perRow[Math.round((s.y() - top - 10) / (size + 10))]++;
        });
        assert.deepEqual(perRow, [5, 5, 5, 2, 0], 'three full rows, two squares, an empty row');
        done();
    });
});

test('grid sizes for other list lengths: 1, 2, 4, 10, 26 and 36 colours', function (done) {
    var cases = [[1, 1], [2, 2], [4, 2], [10, 4], [26, 6], [36, 6]];
    var index = 0;
    function next() {
        if (index >= cases.length) {
            done();
            return;
        }
        var n = cases[index][0];
        var k = cases[index][1];
        index++;
        var env = setUp('person');
        env.button.destroy();
        var cols = DEFAULT_COLOURS.concat(DEFAULT_COLOURS, DEFAULT_COLOURS).slice(0, n);
        var button = createColorPicker('red', 1, cols);
        env.item.group.getParent().add(button);
        button.position(BUTTON_AT);
        button.show();
        layer.draw();
        openChooser({ button: button }, done, function (found) {
            assert.equal(found.length, n, n + ' colours');
            assert.close(found[0].width(), (250 * Math.SQRT2 - 10 * (k + 1)) / k, 1e-9,
                n + ' colours make a ' + k + ' x ' + k + ' grid');
            var pick = found[0];
            pick.fire('click');
            next();
        });
    }
    next();
}, 15000);

// ---- Picking ----------------------------------------------------------------

test('picking recolours item and swatch, tells the item picker, closes and re-enables', function (done) {
    var env = setUp('person');
    openChooser(env, done, function (found) {
        var blue = found[PERSON_COLOURS.indexOf('blue')];
        var at = centreOf(blue);
        clickAt(stage, at.x, at.y);
        assert.equal(env.item.col1, 'blue', 'the item\'s colour 1');
        assert.equal(env.button.swatch.fill(), 'blue', 'the swatch');
        assert.deepEqual(eventNames(), ['disableControls', 'setItemDefaultColor', 'enableControls']);
        assert.deepEqual(events[1].detail, { itemType: 'person', color: 'blue', colNumber: 1 });
        assert.equal(pickerLayers().length, 0, 'the chooser\'s layer is gone');
        assert.equal(stage.getChildren().length, 1, 'only the animation layer is left');
        done();
    });
});

test('picking colour 2 of a player1 changes only its second colour', function (done) {
    var env = setUp('player1', 2);
    openChooser(env, done, function (found) {
        found[DEFAULT_COLOURS.indexOf('teal')].fire('click');
        assert.equal(env.item.col2, 'teal');
        assert.equal(env.item.col1, 'red', 'colour 1 untouched');
        assert.deepEqual(events[1].detail, { itemType: 'player1', color: 'teal', colNumber: 2 });
        done();
    });
});

test('picking the colour the item already has still raises the event and closes', function (done) {
    var env = setUp('person');
    openChooser(env, done, function (found) {
        found[PERSON_COLOURS.indexOf('maroon')].fire('tap');
        assert.equal(env.item.col1, 'maroon');
        assert.deepEqual(events[1].detail, { itemType: 'person', color: 'maroon', colNumber: 1 });
        assert.equal(eventNames()[2], 'enableControls');
        assert.equal(pickerLayers().length, 0);
        done();
    });
});

test('pressing the disc or an empty cell does nothing: there is no cancel', function (done) {
    var env = setUp('ball');
    openChooser(env, done, function (found) {
        var second = found[1];
        // The middle of the grid's second row is an empty cell.
        clickAt(stage, centreOf(second).x, centreOf(second).y + second.height() + 10);
        clickAt(stage, 400, 300 + 230);
        assert.equal(pickerLayers().length, 1, 'still open');
        assert.deepEqual(eventNames(), ['disableControls']);
        assert.equal(env.item.col1, 'white');
        found[0].fire('click');
        done();
    });
});
