// Field items (fieldItem.js): the catalogue of item types, their drawings,
// colours, scales and the rotation guide line.

var EPS = 1e-9;

var PLAYER_COLS = ['red', 'orange', 'yellow', 'lime', 'blue', 'purple', 'maroon', 'white', 'black'];
var BALL_COLS = ['white', 'yellow', 'orange'];
var CONE_COLS = ['red', 'orange', 'yellow', 'lime', 'blue', 'white'];
var KIT_COLS = ['red', 'orange', 'yellow', 'lime', 'blue', 'purple', 'white', 'grey', 'black'];

// The catalogue as the design gives it. `picture`: the file-name prefix of a
// coloured type, or the fixed file of a type without colour.
var CATALOGUE = {
    player1: { w: 40, h: 70, cols: PLAYER_COLS, col1: 'red', col2: 'blue', nColors: 2, lines: true,
        dashed: false, rotate: true, fixed: false, shortLabel: false, font: 12, scale: 0.12, min: 0.35, max: 2.0 },
    person: { w: 80, h: 128, picture: 'player', cols: PLAYER_COLS, col1: 'maroon', nColors: 1, lines: true,
        dashed: false, rotate: true, fixed: false, shortLabel: true, font: 28, scale: 0.20, min: 0.10, max: 0.5 },
    manikin: { w: 71, h: 128, picture: 'manikin.png', nColors: 0, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.25, min: 0.12, max: 0.5 },
    ball: { w: 128, h: 128, picture: 'soccerBall', cols: BALL_COLS, col1: 'white', nColors: 1, lines: true,
        dashed: true, rotate: false, fixed: false, shortLabel: false, font: 12, scale: 0.10, min: 0.06, max: 0.25 },
    rugbyBall: { w: 128, h: 128, picture: 'rugbyBall', cols: BALL_COLS, col1: 'white', nColors: 1, lines: true,
        dashed: true, rotate: false, fixed: false, shortLabel: false, font: 12, scale: 0.16, min: 0.06, max: 0.25 },
    gaaBall: { w: 128, h: 128, picture: 'gaaBall', cols: BALL_COLS, col1: 'white', nColors: 1, lines: true,
        dashed: true, rotate: false, fixed: false, shortLabel: false, font: 12, scale: 0.11, min: 0.06, max: 0.25 },
    hurlingBall: { w: 128, h: 128, picture: 'hurlingBall', cols: BALL_COLS, col1: 'white', nColors: 1, lines: true,
        dashed: true, rotate: false, fixed: false, shortLabel: false, font: 12, scale: 0.08, min: 0.06, max: 0.25 },
    cone: { w: 99, h: 128, picture: 'cone', cols: CONE_COLS, col1: 'orange', nColors: 1, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.15, min: 0.075, max: 0.3 },
    marker: { w: 128, h: 128, picture: 'marker', cols: KIT_COLS, col1: 'red', nColors: 1, lines: false,
        dashed: false, rotate: false, fixed: true, shortLabel: false, font: 12, scale: 0.1, min: 0.05, max: 0.2 },
    ring: { w: 128, h: 128, picture: 'ring', cols: KIT_COLS, col1: 'blue', nColors: 1, lines: false,
        dashed: false, rotate: false, fixed: true, shortLabel: false, font: 12, scale: 0.25, min: 0.12, max: 0.5 },
    agilityPole: { w: 10, h: 128, picture: 'agilityPole', cols: KIT_COLS, col1: 'yellow', nColors: 1, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.35, min: 0.175, max: 0.7 },
    agilityLadder: { w: 24, h: 128, picture: 'agilityLadder', cols: KIT_COLS, col1: 'purple', nColors: 1,
        lines: false, dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.7, min: 0.35,
        max: 1.4 },
    microHurdle: { w: 86, h: 128, picture: 'microHurdle', cols: KIT_COLS, col1: 'lime', nColors: 1, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.15, min: 0.075, max: 0.3 },
    hurdle: { w: 128, h: 59, picture: 'hurdle.png', nColors: 0, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.25, min: 0.12, max: 0.5 },
    goal: { w: 256, h: 59, picture: 'goal.png', nColors: 0, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.3, min: 0.15, max: 0.6 },
    miniGoal: { w: 256, h: 112, picture: 'miniGoal.png', nColors: 0, lines: false,
        dashed: false, rotate: true, fixed: true, shortLabel: false, font: 12, scale: 0.18, min: 0.09, max: 0.36 }
};
var TYPES = Object.keys(CATALOGUE);
var PICTURE_TYPES = TYPES.filter(function (type) { return type !== 'player1'; });

function pictureFile(type, colour) {
    var row = CATALOGUE[type];
    if (!row.cols) {
        return 'fieldItems/' + row.picture;
    }
    return 'fieldItems/' + row.picture + colour.charAt(0).toUpperCase() + colour.slice(1) + '.png';
}

function endsWith(text, tail) {
    return typeof text === 'string' && text.slice(-tail.length) === tail;
}

// The source of an item's picture, or null when it shows none.
function pictureOf(item) {
    var image = item.group.getChildren()[1];
    var picture = image.image();
    return picture ? picture.src : null;
}

function assertPicture(item, file, message) {
    var src = pictureOf(item);
    assert.ok(endsWith(src, file), (message || item.type) + ': picture ' + file + ', got ' + src);
}

// Runs `body` and returns the details of the setItemDefaultScale events it
// raised.
function scaleEventsDuring(body) {
    var details = [];
    function listener(evt) {
        details.push(evt.detail);
    }
    document.addEventListener('setItemDefaultScale', listener, false);
    try {
        body();
    } finally {
        document.removeEventListener('setItemDefaultScale', listener, false);
    }
    return details;
}

function bounds(item) {
    var g = item.group;
    return [g.offsetX(), g.offsetY(), g.width(), g.height()];
}

function assertCloseList(actual, expected, message) {
    assert.equal(actual.length, expected.length, message + ': length');
    for (var i = 0; i < expected.length; i++) {
        assert.close(actual[i], expected[i], EPS, message + ' [' + i + ']');
    }
}

// A stage of its own in a container appended to the page, removed when the
// test ends.
function scratchLayer(done) {
    var container = document.createElement('div');
    document.body.appendChild(container);
    var stage = new Kinetic.Stage({ container: container, width: 200, height: 150 });
    var layer = new Kinetic.Layer();
    stage.add(layer);
    done.cleanup(function () {
        stage.destroy();
        document.body.removeChild(container);
    });
    return layer;
}

// ---- Pictures --------------------------------------------------------------

// First in the file, so that its picture is still unloaded: no other test,
// and nothing the page builds at start-up, shows a black marker.
test('once a new picture has loaded, the item\'s layer is redrawn', function (done) {
    var layer = scratchLayer(done);
    var draws = 0;
    var batchDraw = layer.batchDraw;
    layer.batchDraw = function () {
        draws += 1;
        return batchDraw.apply(this, arguments);
    };
    var item = new FieldItem(50, 50, 0, 'default', 'marker', 'black', 'default', 1);
    layer.add(item.group);
    var picture = item.group.getChildren()[1].image();
    assert.ok(!picture.complete, 'precondition: the black marker picture has not been loaded before');
    layer.draw();
    assert.equal(draws, 0, 'no redraw before the picture has loaded');
    waitFor('the black marker picture', function () { return picture.complete; }, done, function () {
        assert.ok(picture.naturalWidth > 0, 'the picture loaded');
        waitFor('the redraw', function () { return draws > 0; }, done, function () {
            assert.equal(draws, 1, 'one redraw');
            done();
        });
    });
});

test('every type and colour shows a picture that loads at the type\'s base size', function (done) {
    var pending = [];
    PICTURE_TYPES.forEach(function (type) {
        var colours = CATALOGUE[type].cols || ['default'];
        colours.forEach(function (colour) {
            var item = new FieldItem(0, 0, 0, 'default', type, colour, 'default', 1);
            assertPicture(item, pictureFile(type, colour), type + ' ' + colour);
            pending.push({ name: type + ' ' + colour, type: type, picture: item.group.getChildren()[1].image() });
        });
    });
    assert.equal(pending.length, 76, 'pictures checked');
    waitFor('every picture', function () {
        return pending.every(function (p) { return p.picture.complete; });
    }, done, function () {
        pending.forEach(function (p) {
            assert.equal(p.picture.naturalWidth, CATALOGUE[p.type].w, p.name + ' width');
            assert.equal(p.picture.naturalHeight, CATALOGUE[p.type].h, p.name + ' height');
        });
        done();
    }, 4000);
});

// ---- Construction ------------------------------------------------------------

test('a default person is maroon, 16 x 25.6, centred on its position', function () {
    var item = new FieldItem(100, 60, 30, 'default', 'person', 'default', 'default', 1);
    var g = item.group;
    assert.equal(g.name(), 'fieldItem');
    assert.equal(g.draggable(), true, 'draggable');
    assert.deepEqual([g.x(), g.y(), g.rotation()], [100, 60, 30]);
    assert.equal(item.col1, 'maroon');
    assert.equal(item.col2, 'maroon');
    assert.equal(item.scale, 0.2);
    assert.equal(item.layerScale, 1);
    assertCloseList(bounds(item), [8, 12.8, 16, 25.6], 'offset and size');
    var image = g.getChildren()[1];
    assert.equal(image.className, 'Image');
    assertCloseList([image.x(), image.y(), image.width(), image.height()], [0, 0, 16, 25.6], 'picture');
    assert.close(item.shortLabelFontSize, 5.6, EPS, 'short-label font');
    assert.equal(item.shortLabelDefaultFontSize, 28);
    assertPicture(item, 'fieldItems/playerMaroon.png');
});

test('the guide line lies beneath the drawing, white, thin and invisible', function () {
    ['person', 'player1'].forEach(function (type) {
        var item = new FieldItem(0, 0, 0, 'default', type, 'default', 'default', 1);
        var line = item.group.getChildren()[0];
        assert.equal(line.className, 'Line', type + ': bottom child');
        assert.equal(line.stroke(), 'white');
        assert.equal(line.strokeWidth(), 0.5);
        assert.equal(line.opacity(), 0);
        assert.deepEqual(line.points(), [0, 0, 0, 0]);
    });
});

test('every type takes its catalogue constants, default colour, scale and picture', function () {
    TYPES.forEach(function (type) {
        var row = CATALOGUE[type];
        var item = new FieldItem(10, 20, 0, 'default', type, 'default', 'default', 1);
        assert.equal(item.type, type);
        assert.equal(item.nColors, row.nColors, type + ' nColors');
        assert.equal(item.hasRunningLines, row.lines, type + ' hasRunningLines');
        assert.equal(item.runningLinesDashed, row.dashed, type + ' runningLinesDashed');
        assert.equal(item.canRotate, row.rotate, type + ' canRotate');
        assert.equal(item.posIsFixed, row.fixed, type + ' posIsFixed');
        assert.equal(item.hasShortLabel, row.shortLabel, type + ' hasShortLabel');
        assert.equal(item.shortLabelDefaultFontSize, row.font, type + ' short-label font');
        assert.equal(item.scale, row.scale, type + ' default scale');
        assert.equal(item.getScale(), row.scale, type + ' getScale');
        assert.equal(item.minScale, row.min, type + ' minScale');
        assert.equal(item.maxScale, row.max, type + ' maxScale');
        assert.deepEqual(item.availableCols1, row.cols, type + ' availableCols1');
        assert.equal(item.availableCols2, undefined, type + ' availableCols2');
        var col1 = row.nColors === 0 ? 'grey' : row.col1;
        var col2 = row.nColors === 2 ? row.col2 : col1;
        assert.deepEqual([item.col1, item.col2], [col1, col2], type + ' colours');
        assertCloseList(bounds(item), [row.w * row.scale / 2, row.h * row.scale / 2, row.w * row.scale,
            row.h * row.scale], type + ' bounds');
        if (type !== 'player1') {
            assertPicture(item, pictureFile(type, row.col1), type);
        }
        if (type !== 'person') {
            assert.equal(item.shortLabelFontSize, 12, type + ' short-label font stays 12');
        }
    });
});

test('one-colour types use the first colour for both; types without colour are grey', function () {
    var cone = new FieldItem(0, 0, 0, 'default', 'cone', 'blue', 'red', 1);
    assert.deepEqual([cone.col1, cone.col2], ['blue', 'blue']);
    assertPicture(cone, 'fieldItems/coneBlue.png');

    var goal = new FieldItem(0, 0, 0, 'default', 'goal', 'red', 'blue', 1);
    assert.deepEqual([goal.col1, goal.col2], ['grey', 'grey']);
    assert.equal(goal.availableCols1, undefined);
    assertPicture(goal, 'fieldItems/goal.png');

    var player = new FieldItem(0, 0, 0, 'default', 'player1', 'lime', 'default', 1);
    assert.deepEqual([player.col1, player.col2], ['lime', 'blue'], 'player1 keeps its default second colour');
});

test('a given scale is taken unclipped, and the drawn size is base x scale x layer scale', function () {
    var ball = new FieldItem(0, 0, 0, 0.5, 'ball', 'default', 'default', 1.5);
    assert.equal(ball.getScale(), 0.5, 'above maxScale 0.25, not clipped');
    assertCloseList(bounds(ball), [48, 48, 96, 96], 'bounds');
});

test('a colour outside the type\'s list is kept but shows no picture until a listed one is set', function () {
    var person = new FieldItem(0, 0, 0, 'default', 'person', 'pink', 'default', 1);
    assert.equal(person.col1, 'pink');
    assert.equal(pictureOf(person), null, 'no picture');
    assertCloseList(bounds(person), [8, 12.8, 16, 25.6], 'still sized');
    person.setCol('red', 1);
    assertPicture(person, 'fieldItems/playerRed.png');
});

test('an unknown type, a call without new and a bad scale throw', function () {
    assert.throws(function () { return new FieldItem(0, 0, 0, 'default', 'trampoline', 'default', 'default', 1); },
        /unknown item type "trampoline"/);
    assert.throws(function () { return new FieldItem(0, 0, 0, 'default', undefined, 'default', 'default', 1); },
        /unknown item type/);
    assert.throws(function () { return FieldItem(0, 0, 0, 'default', 'ball', 'default', 'default', 1); },
        /new/);
    assert.throws(function () { return new FieldItem(0, 0, 0, 'big', 'ball', 'default', 'default', 1); },
        /scale/);
    assert.throws(function () { return new FieldItem(0, 0, 0, 0.1, 'ball', 'default', 'default', 0); },
        /scale/);
    assert.throws(function () { return new FieldItem(0, 0, 0, 0.1, 'ball', undefined, 'default', 1); },
        /colour/);
});

// ---- Scale ---------------------------------------------------------------------

test('setScale clips to the type\'s range unless told otherwise, raising the scale set', function () {
    var ball = new FieldItem(0, 0, 0, 'default', 'ball', 'default', 'default', 2);
    var cases = [
        { args: [10], scale: 0.25 },
        { args: [10], scale: 0.25 },
        { args: [0.01], scale: 0.06 },
        { args: [0.01, true], scale: 0.01 },
        { args: [0.2, false], scale: 0.2 }
    ];
    cases.forEach(function (c) {
        var events = scaleEventsDuring(function () { ball.setScale.apply(ball, c.args); });
        var what = 'setScale(' + c.args.join(', ') + ')';
        assert.equal(ball.getScale(), c.scale, what);
        assert.deepEqual(events, [{ itemType: 'ball', scale: c.scale }], what + ' event');
        var side = 128 * c.scale * 2;
        assertCloseList(bounds(ball), [side / 2, side / 2, side, side], what + ' bounds');
        var image = ball.group.getChildren()[1];
        assertCloseList([image.width(), image.height()], [side, side], what + ' picture size');
    });
    assert.throws(function () { ball.setScale('0.1'); }, /scale/);
});

test('setLayerScale doubles every size and raises no event', function () {
    var person = new FieldItem(0, 0, 0, 'default', 'person', 'default', 'default', 1);
    var events = scaleEventsDuring(function () { person.setLayerScale(2); });
    assert.deepEqual(events, []);
    assert.equal(person.layerScale, 2);
    assert.equal(person.getScale(), 0.2, 'own scale unchanged');
    assertCloseList(bounds(person), [16, 25.6, 32, 51.2], 'bounds');
    var image = person.group.getChildren()[1];
    assertCloseList([image.width(), image.height()], [32, 51.2], 'picture');
    assert.close(person.shortLabelFontSize, 11.2, EPS, 'short-label font');

    var player = new FieldItem(0, 0, 0, 0.5, 'player1', 'default', 'default', 1);
    var shapes = player.group.getChildren().slice(1);
    function sizes() {
        return [shapes[0].width(), shapes[0].height(), shapes[1].y(), shapes[1].width(), shapes[1].height(),
            shapes[2].x(), shapes[2].radius()].concat(shapes.map(function (s) { return s.strokeWidth(); }));
    }
    var before = sizes();
    events = scaleEventsDuring(function () { player.setLayerScale(2); });
    assert.deepEqual(events, []);
    assertCloseList(sizes(), before.map(function (v) { return 2 * v; }), 'player1 shapes');
});

test('player1\'s default scale stands below its minimum until the next change', function () {
    var player = new FieldItem(0, 0, 0, 'default', 'player1', 'default', 'default', 1);
    assert.equal(player.getScale(), 0.12);
    assertCloseList(bounds(player), [2.4, 4.2, 4.8, 8.4], 'drawn at 0.12');
    player.setLayerScale(2);
    assert.equal(player.getScale(), 0.12, 'a new layer scale does not clip');
    var events = scaleEventsDuring(function () { player.setScale(0.2); });
    assert.equal(player.getScale(), 0.35, 'clipped at the next change');
    assert.deepEqual(events, [{ itemType: 'player1', scale: 0.35 }]);
});

test('only a person\'s short-label font follows its size', function () {
    var person = new FieldItem(0, 0, 0, 'default', 'person', 'default', 'default', 1);
    person.setScale(0.5);
    assert.close(person.shortLabelFontSize, 14, EPS, 'person at 0.5');
    var ball = new FieldItem(0, 0, 0, 'default', 'ball', 'default', 'default', 1);
    ball.setScale(0.25);
    ball.setLayerScale(3);
    assert.equal(ball.shortLabelFontSize, 12, 'ball');
});

// ---- The owning group ------------------------------------------------------------

// A stand-in for the field item group: it offers setControlsPosition and
// holds a short-label text, and records what the item asks of it.
function fakeOwner(item) {
    var owner = new Kinetic.Group({ name: 'fieldItemGroup' });
    owner.placed = [];
    owner.setControlsPosition = function () {
        owner.placed.push(bounds(item));
    };
    owner.shortLabelText = { fontSize: 99 };
    owner.add(item.group);
    return owner;
}

test('setScale and setLayerScale re-place the owning group\'s controls around the new size', function () {
    var cone = new FieldItem(0, 0, 0, 'default', 'cone', 'default', 'default', 1);
    var owner = fakeOwner(cone);
    cone.setScale(0.3);
    assert.equal(owner.placed.length, 1, 'once for setScale');
    assertCloseList(owner.placed[0], [14.85, 19.2, 29.7, 38.4], 'placed after the new bounds');
    cone.setLayerScale(2);
    assert.equal(owner.placed.length, 2, 'once for setLayerScale');
    assertCloseList(owner.placed[1], [29.7, 38.4, 59.4, 76.8], 'placed after the new bounds');
    cone.positionControls();
    assert.equal(owner.placed.length, 3, 'positionControls asks the group');
    assert.equal(owner.shortLabelText.fontSize, 99, 'a cone leaves the short label alone');
});

test('without an owning group, positionControls does nothing', function () {
    var alone = new FieldItem(0, 0, 0, 'default', 'ring', 'default', 'default', 1);
    alone.positionControls();
    alone.setScale(0.3);

    var inButton = new FieldItem(0, 0, 0, 'default', 'ring', 'default', 'default', 1);
    var plain = new Kinetic.Group();
    plain.add(inButton.group);
    inButton.setScale(0.2);
    inButton.setLayerScale(0.5);
    assertCloseList(bounds(inButton), [6.4, 6.4, 12.8, 12.8], 'still resized');
});

test('a person hands its new short-label font size to its group\'s short-label text', function () {
    var person = new FieldItem(0, 0, 0, 'default', 'person', 'default', 'default', 1);
    var owner = fakeOwner(person);
    person.setScale(0.4);
    assert.close(owner.shortLabelText.fontSize, 11.2, EPS, 'after setScale');
    person.setLayerScale(0.5);
    assert.close(owner.shortLabelText.fontSize, 5.6, EPS, 'after setLayerScale');
    assert.close(person.shortLabelFontSize, 5.6, EPS);
});

// ---- Colours ---------------------------------------------------------------------

test('player1 is a body, shorts and a head drawn from shapes', function () {
    // Effective scale 1.5: scale 0.5 on a layer of scale 3.
    var player = new FieldItem(30, 40, 0, 0.5, 'player1', 'default', 'default', 3);
    var shapes = player.group.getChildren();
    assert.deepEqual(shapes.map(function (s) { return s.className; }), ['Line', 'Rect', 'Rect', 'Circle']);
    var body = shapes[1];
    var shorts = shapes[2];
    var head = shapes[3];
    assertCloseList([body.x(), body.y(), body.width(), body.height()], [0, 0, 60, 105], 'body');
    assertCloseList([shorts.x(), shorts.y(), shorts.width(), shorts.height()], [0, 52.5, 60, 30], 'shorts');
    assertCloseList([head.x(), head.y(), head.radius()], [30, 0, 15], 'head');
    assert.deepEqual([body.fill(), shorts.fill(), head.fill()], ['red', 'blue', 'yellow'], 'fills');
    [body, shorts, head].forEach(function (shape, i) {
        assert.equal(shape.stroke(), 'black', 'outline ' + i);
        assert.close(shape.strokeWidth(), 1.5, EPS, 'outline width ' + i);
    });
    assertCloseList(bounds(player), [30, 52.5, 60, 105], 'bounds are the body\'s');
});

test('player1\'s setCol changes the body with colour 1 and the shorts with colour 2', function () {
    var player = new FieldItem(0, 0, 0, 1, 'player1', 'default', 'default', 1);
    var shapes = player.group.getChildren();
    player.setCol('lime', 1);
    assert.deepEqual([player.getCol(1), player.getCol(2)], ['lime', 'blue']);
    assert.deepEqual([shapes[1].fill(), shapes[2].fill()], ['lime', 'blue']);
    player.setCol('white', 2);
    assert.deepEqual([player.getCol(1), player.getCol(2)], ['lime', 'white']);
    assert.deepEqual([shapes[1].fill(), shapes[2].fill(), shapes[3].fill()], ['lime', 'white', 'yellow']);
    player.setCol('black', 3);
    assert.deepEqual([player.getCol(1), player.getCol(2)], ['lime', 'white'], 'colour 3 changes nothing');
    assert.deepEqual([shapes[1].fill(), shapes[2].fill()], ['lime', 'white']);
});

test('a cone set to purple keeps its picture; a listed colour switches it', function () {
    var cone = new FieldItem(0, 0, 0, 'default', 'cone', 'default', 'default', 1);
    cone.setCol('purple', 1);
    assert.equal(cone.getCol(1), 'purple');
    assertPicture(cone, 'fieldItems/coneOrange.png', 'after purple');
    cone.setCol('blue', 1);
    assert.equal(cone.getCol(1), 'blue');
    assertPicture(cone, 'fieldItems/coneBlue.png', 'after blue');
    cone.setCol('red', 2);
    assert.deepEqual([cone.getCol(1), cone.getCol(2)], ['blue', 'orange'], 'colour 2 changes nothing');
    assertPicture(cone, 'fieldItems/coneBlue.png', 'after colour 2');
});

test('types without colour ignore setCol', function () {
    var goal = new FieldItem(0, 0, 0, 'default', 'goal', 'default', 'default', 1);
    goal.setCol('red', 1);
    assert.deepEqual([goal.getCol(1), goal.getCol(2)], ['grey', 'grey']);
    assertPicture(goal, 'fieldItems/goal.png');
});

test('getCol returns the numbered colour, and nothing for other numbers', function () {
    var ball = new FieldItem(0, 0, 0, 'default', 'ball', 'yellow', 'default', 1);
    assert.equal(ball.getCol(2), 'yellow');
    assert.equal(ball.getCol(1), 'yellow');
    assert.equal(ball.getCol(0), undefined);
    assert.equal(ball.getCol(3), undefined);
    assertPicture(ball, 'fieldItems/soccerBallYellow.png');
});

// ---- Rotation guide line -------------------------------------------------------------

test('drawLine runs from the centre along the x axis to 12 short of the handle', function () {
    var person = new FieldItem(100, 100, 45, 'default', 'person', 'default', 'default', 1);
    var line = person.group.getChildren()[0];
    person.drawLine(60);
    assertCloseList(line.points(), [8, 12.8, 56, 12.8], 'points');
    assert.equal(line.opacity(), 1);
    assert.equal(person.group.getChildren()[0], line, 'still beneath the picture');
    person.hideLine();
    assert.deepEqual(line.points(), [0, 0, 0, 0]);
    assert.equal(line.opacity(), 0);
});

test('drawLine with the handle close to the centre still reaches the item\'s edge', function () {
    var person = new FieldItem(0, 0, 0, 'default', 'person', 'default', 'default', 1);
    var line = person.group.getChildren()[0];
    person.drawLine(5);
    assertCloseList(line.points(), [8, 12.8, 16, 12.8], 'distance 5');
    person.drawLine(20);
    assertCloseList(line.points(), [8, 12.8, 16, 12.8], 'distance 20: 8 + 20 - 12 is exactly the edge');
    person.drawLine(21);
    assertCloseList(line.points(), [8, 12.8, 17, 12.8], 'distance 21');
});
