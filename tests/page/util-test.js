// The page event bus and the shared geometry (util.js).

var EPS = 1e-9;

// Registers `handler` for `name` on the document for the duration of `body`.
function withListener(name, handler, body) {
    document.addEventListener(name, handler, false);
    try {
        body();
    } finally {
        document.removeEventListener(name, handler, false);
    }
}

// ---- Event bus ------------------------------------------------------------

test('myDispatchEvent runs the handler before it returns', function () {
    var handled = false;
    withListener('utilTestSync', function () { handled = true; }, function () {
        myDispatchEvent('utilTestSync', {});
        assert.ok(handled, 'handler ran inside the call');
    });
});

test('handlers run in the order they were registered', function () {
    var order = [];
    function first() { order.push('first'); }
    function second() { order.push('second'); }
    function third() { order.push('third'); }
    document.addEventListener('utilTestOrder', first, false);
    document.addEventListener('utilTestOrder', second, false);
    document.addEventListener('utilTestOrder', third, false);
    try {
        myDispatchEvent('utilTestOrder', {});
    } finally {
        document.removeEventListener('utilTestOrder', first, false);
        document.removeEventListener('utilTestOrder', second, false);
        document.removeEventListener('utilTestOrder', third, false);
    }
    assert.deepEqual(order, ['first', 'second', 'third']);
});

test('an event raised inside a handler is handled completely before the handler goes on', function () {
    var log = [];
    function outer() {
        log.push('outer start');
        myDispatchEvent('utilTestInner', { level: 2 });
        log.push('outer end');
    }
    function inner(evt) {
        log.push('inner ' + evt.detail.level);
    }
    withListener('utilTestOuter', outer, function () {
        withListener('utilTestInner', inner, function () {
            myDispatchEvent('utilTestOuter', {});
            log.push('after dispatch');
        });
    });
    assert.deepEqual(log, ['outer start', 'inner 2', 'outer end', 'after dispatch']);
});

test('page events neither bubble nor can be cancelled', function () {
    var seen = null;
    var reachedWindow = false;
    function onWindow() { reachedWindow = true; }
    window.addEventListener('utilTestFlags', onWindow, false);
    try {
        withListener('utilTestFlags', function (evt) {
            evt.preventDefault();
            seen = evt;
        }, function () {
            myDispatchEvent('utilTestFlags', {});
        });
    } finally {
        window.removeEventListener('utilTestFlags', onWindow, false);
    }
    assert.ok(seen !== null, 'the document handler ran');
    assert.equal(seen.bubbles, false, 'bubbles');
    assert.equal(seen.cancelable, false, 'cancelable');
    assert.equal(seen.defaultPrevented, false, 'preventDefault has no effect');
    assert.equal(seen.target, document, 'raised on the document');
    assert.equal(reachedWindow, false, 'the event did not travel on to the window');
});

test('the detail record reaches the handler as given', function () {
    var detail = { type: 'cone', col1: 'red', col2: 'default', scale: 'default' };
    var received = null;
    withListener('utilTestDetail', function (evt) { received = evt.detail; }, function () {
        myDispatchEvent('utilTestDetail', detail);
    });
    assert.equal(received, detail, 'the same record');
    assert.equal(received.col1, 'red');
});

test('an event raised without a detail carries an empty record', function () {
    var received = null;
    withListener('utilTestNoDetail', function (evt) { received = evt.detail; }, function () {
        myDispatchEvent('utilTestNoDetail');
    });
    assert.deepEqual(received, {});
});

test('an event is a CustomEvent of the given name, and names are case-sensitive', function () {
    var lower = 0;
    var seen = null;
    withListener('utiltestcase', function () { lower++; }, function () {
        withListener('utilTestCase', function (evt) { seen = evt; }, function () {
            myDispatchEvent('utilTestCase', {});
        });
    });
    assert.ok(seen instanceof CustomEvent, 'a CustomEvent');
    assert.equal(seen.type, 'utilTestCase');
    assert.equal(lower, 0, 'the lower-case name was not raised');
});

test('myDispatchEvent refuses an empty or missing event name', function () {
    assert.throws(function () { myDispatchEvent('', {}); }, /event name/);
    assert.throws(function () { myDispatchEvent(undefined, {}); }, /event name/);
});

// ---- Units, angles, distances --------------------------------------------

test('radians and degrees convert both ways', function () {
    assert.close(radians(180), Math.PI, EPS);
    assert.close(radians(-90), -Math.PI / 2, EPS);
    assert.close(degrees(Math.PI / 2), 90, EPS);
    assert.close(degrees(radians(37.5)), 37.5, EPS);
});

test('angle is the direction in radians, y growing downwards', function () {
    assert.close(angle(0, 0, 10, 0), 0, EPS, 'to the right');
    assert.close(angle(0, 0, 0, 10), Math.PI / 2, EPS, 'straight down the screen');
    assert.close(angle(5, 5, 0, 5), Math.PI, EPS, 'to the left');
    assert.close(angle(5, 5, 5, 0), -Math.PI / 2, EPS, 'straight up');
    assert.close(angle(1, 1, 2, 2), Math.PI / 4, EPS);
});

test('distance is Euclidean', function () {
    assert.close(distance(1, 2, 4, 6), 5, EPS);
    assert.close(distance(3, 3, 3, 3), 0, EPS);
    assert.close(distance(-1, -1, 1, 1), Math.sqrt(8), EPS);
});

// ---- rotatePos ----------------------------------------------------------

test('rotatePos turns clockwise on screen about the origin', function () {
    var p = rotatePos({ x: 1, y: 0 }, 90);
    assert.close(p.x, 0, EPS);
    assert.close(p.y, 1, EPS, 'a point to the right ends up below');

    p = rotatePos({ x: 2, y: 1 }, -90);
    assert.close(p.x, 1, EPS);
    assert.close(p.y, -2, EPS);

    p = rotatePos({ x: 1, y: 0 }, 45);
    assert.close(p.x, Math.SQRT1_2, EPS);
    assert.close(p.y, Math.SQRT1_2, EPS);

    p = rotatePos({ x: 3, y: -4 }, 180);
    assert.close(p.x, -3, EPS);
    assert.close(p.y, 4, EPS);
});

test('rotatePos keeps the distance to the origin and leaves its argument alone', function () {
    var pos = { x: 7, y: -3 };
    var p = rotatePos(pos, 123);
    assert.close(distance(0, 0, p.x, p.y), distance(0, 0, 7, -3), 1e-9);
    assert.deepEqual(pos, { x: 7, y: -3 });
});

// ---- posInRect ----------------------------------------------------------

test('posInRect counts the edges and corners as inside', function () {
    var rect = { x: 10, y: 20, width: 30, height: 40 };
    assert.ok(posInRect({ x: 10, y: 20 }, rect), 'top-left corner');
    assert.ok(posInRect({ x: 40, y: 60 }, rect), 'bottom-right corner');
    assert.ok(posInRect({ x: 40, y: 35 }, rect), 'right edge');
    assert.ok(posInRect({ x: 25, y: 20 }, rect), 'top edge');
    assert.ok(posInRect({ x: 25, y: 35 }, rect), 'middle');
});

test('posInRect rejects points just outside', function () {
    var rect = { x: 10, y: 20, width: 30, height: 40 };
    assert.ok(!posInRect({ x: 9.999, y: 30 }, rect), 'left');
    assert.ok(!posInRect({ x: 40.001, y: 30 }, rect), 'right');
    assert.ok(!posInRect({ x: 20, y: 19.999 }, rect), 'above');
    assert.ok(!posInRect({ x: 20, y: 60.001 }, rect), 'below');
});

// ---- isOverlap and withinBounds -----------------------------------------

// A group like a field item's: positioned by its centre through its offset.
// Its box spans x 80..120 and y 90..110.
function itemGroup(rotation) {
    return new Kinetic.Group({
        x: 100, y: 100, width: 40, height: 20, offsetX: 20, offsetY: 10,
        rotation: rotation || 0
    });
}

test('isOverlap finds boxes that share area', function () {
    var group = itemGroup();
    assert.ok(isOverlap(70, 80, 20, 20, group), 'overlapping the top-left corner');
    assert.ok(isOverlap(90, 95, 5, 5, group), 'inside');
    assert.ok(isOverlap(0, 0, 300, 300, group), 'around it');
});

test('isOverlap treats boxes that only touch as apart', function () {
    var group = itemGroup();
    assert.ok(!isOverlap(120, 90, 10, 10, group), 'touching the right edge');
    assert.ok(!isOverlap(60, 90, 20, 10, group), 'touching the left edge');
    assert.ok(!isOverlap(90, 110, 10, 10, group), 'touching the bottom edge');
    assert.ok(isOverlap(119.9, 90, 10, 10, group), 'a little over the right edge');
});

test('isOverlap needs overlap on both axes', function () {
    var group = itemGroup();
    assert.ok(!isOverlap(85, 150, 10, 10, group), 'same columns, below');
    assert.ok(!isOverlap(150, 95, 10, 10, group), 'same rows, to the right');
});

test('isOverlap ignores the group rotation', function () {
    // Turned a quarter, the item really covers x 90..110, y 80..120; the
    // test still uses the unturned box.
    var group = itemGroup(90);
    assert.ok(isOverlap(112, 95, 5, 5, group), 'inside the unturned box only');
    assert.ok(!isOverlap(95, 112, 5, 5, group), 'inside the turned box only');
});

test('withinBounds checks the unturned box of an unturned group', function () {
    var group = itemGroup();
    assert.ok(withinBounds({ x: 80, y: 90, width: 40, height: 20 }, group), 'exactly the box');
    assert.ok(withinBounds({ x: 0, y: 0, width: 200, height: 200 }, group), 'a larger rectangle');
    assert.ok(!withinBounds({ x: 81, y: 90, width: 40, height: 20 }, group), 'one pixel short');
});

test('withinBounds turns the box with the group', function () {
    var turned = itemGroup(90);
    var tall = { x: 89, y: 79, width: 22, height: 42 };
    var wide = { x: 79, y: 89, width: 42, height: 22 };
    assert.ok(withinBounds(tall, turned), 'turned group inside the tall rectangle');
    assert.ok(!withinBounds(wide, turned), 'turned group sticks out of the wide rectangle');
    assert.ok(!withinBounds(tall, itemGroup(0)), 'unturned group sticks out of the tall one');
    assert.ok(withinBounds(wide, itemGroup(0)), 'unturned group inside the wide one');

    var diagonal = itemGroup(45);
    // Half-diagonal of the 40 x 20 box turned 45 degrees: 30 / sqrt(2).
    var reach = 30 * Math.SQRT1_2;
    assert.ok(withinBounds({ x: 100 - reach - 0.01, y: 100 - reach - 0.01,
        width: 2 * reach + 0.02, height: 2 * reach + 0.02 }, diagonal), 'diagonal inside');
    assert.ok(!withinBounds({ x: 100 - reach + 0.5, y: 100 - reach + 0.5,
        width: 2 * reach - 1, height: 2 * reach - 1 }, diagonal), 'diagonal corners cut off');
});

test('withinBounds takes a selection rectangle node as well', function () {
    var selection = new Kinetic.Rect({ x: 89, y: 79, width: 22, height: 42 });
    assert.ok(withinBounds(selection, itemGroup(90)));
    assert.ok(!withinBounds(selection, itemGroup(0)));
});

// ---- calcWidthAndHeight -------------------------------------------------

test('calcWidthAndHeight fits 4:3 into a wide space by its height', function () {
    var size = calcWidthAndHeight(1125, 685, false, 4 / 3);
    assert.close(size[0], 913.3333333, 1e-6);
    assert.close(size[1], 685, EPS);

    size = calcWidthAndHeight(1000, 600, false, 4 / 3);
    assert.close(size[0], 800, EPS);
    assert.close(size[1], 600, EPS);
});

test('calcWidthAndHeight fits 4:3 into a narrow space by its width', function () {
    var size = calcWidthAndHeight(55, 50, false, 4 / 3);
    assert.close(size[0], 55, EPS);
    assert.close(size[1], 41.25, EPS);

    size = calcWidthAndHeight(400, 600, false, 4 / 3);
    assert.close(size[0], 400, EPS);
    assert.close(size[1], 300, EPS);
});

test('calcWidthAndHeight uses the whole space when it has the ratio', function () {
    var size = calcWidthAndHeight(800, 600, false, 4 / 3);
    assert.close(size[0], 800, EPS);
    assert.close(size[1], 600, EPS);
});

test('calcWidthAndHeight turned: the own width runs down the screen', function () {
    // 1000 x 600 on screen: the turned pitch stands 450 wide and 600 high,
    // so its own size is 600 x 450.
    var size = calcWidthAndHeight(1000, 600, true, 4 / 3);
    assert.close(size[0], 600, EPS);
    assert.close(size[1], 450, EPS);

    size = calcWidthAndHeight(1125, 685, true, 4 / 3);
    assert.close(size[0], 685, EPS);
    assert.close(size[1], 513.75, EPS);
});

test('calcWidthAndHeight turned in a narrow space is limited by the width', function () {
    // 300 wide on screen: the own height (across the screen) is 300.
    var size = calcWidthAndHeight(300, 600, true, 4 / 3);
    assert.close(size[0], 400, EPS);
    assert.close(size[1], 300, EPS);

    size = calcWidthAndHeight(55, 50, true, 4 / 3);
    assert.close(size[0], 50, EPS);
    assert.close(size[1], 37.5, EPS);
});

// ---- Stage and layer coordinates ------------------------------------------

function transformedLayer(rotation) {
    return new Kinetic.Layer({
        x: 300, y: 200, rotation: rotation,
        scaleX: 2, scaleY: 1.5, offsetX: 50, offsetY: 40
    });
}

test('layerPosToStage agrees with Kinetic\'s own transform of the layer', function () {
    var rotations = [0, 90, -90, 180, 270, 30];
    var points = [{ x: 0, y: 0 }, { x: 50, y: 40 }, { x: 123, y: -17 }, { x: -60, y: 255 }];
    for (var r = 0; r < rotations.length; r++) {
        var layer = transformedLayer(rotations[r]);
        var transform = layer.getTransform();
        for (var i = 0; i < points.length; i++) {
            var expected = transform.point(points[i]);
            var actual = layerPosToStage(points[i], layer);
            var where = 'rotation ' + rotations[r] + ', point ' + JSON.stringify(points[i]);
            assert.close(actual.x, expected.x, 1e-9, where + ' x');
            assert.close(actual.y, expected.y, 1e-9, where + ' y');
        }
    }
});

test('stagePosToLayer undoes layerPosToStage on a turned, scaled, offset layer', function () {
    var rotations = [0, 90, 180, 270, -90, 45];
    for (var r = 0; r < rotations.length; r++) {
        var layer = transformedLayer(rotations[r]);
        var stagePos = { x: 321.5, y: 87.25 };
        var back = layerPosToStage(stagePosToLayer(stagePos, layer), layer);
        assert.close(back.x, stagePos.x, 1e-9, 'x at rotation ' + rotations[r]);
        assert.close(back.y, stagePos.y, 1e-9, 'y at rotation ' + rotations[r]);
    }
});

test('stagePosToLayer maps the layer position to its offset', function () {
    var layer = transformedLayer(90);
    var p = stagePosToLayer({ x: 300, y: 200 }, layer);
    assert.close(p.x, 50, EPS);
    assert.close(p.y, 40, EPS);

    // One stage pixel down is, on a layer turned clockwise by 90 degrees,
    // along the layer's own x axis (scaled by 2).
    p = stagePosToLayer({ x: 300, y: 210 }, layer);
    assert.close(p.x, 55, EPS);
    assert.close(p.y, 40, EPS);
});

// ---- getMousePosOnLayer -------------------------------------------------

test('getMousePosOnLayer converts the stage pointer into layer coordinates', function () {
    var container = document.createElement('div');
    container.id = 'utilTestStage';
    document.body.appendChild(container);
    var stage = new Kinetic.Stage({ container: 'utilTestStage', width: 400, height: 300 });
    var layer = new Kinetic.Layer({ x: 200, y: 150, rotation: 90, offsetX: 100, offsetY: 75 });
    stage.add(layer);
    try {
        assert.equal(getMousePosOnLayer(layer), null, 'no pointer seen yet');

        pointerEvent(stage, 'mousemove', 210, 150);
        assert.deepEqual(stage.getPointerPosition(), { x: 210, y: 150 }, 'stage saw the pointer');
        var p = getMousePosOnLayer(layer);
        assert.close(p.x, 100, EPS);
        assert.close(p.y, 65, EPS, '10 px right of the centre is 10 px up the turned layer');
    } finally {
        stage.destroy();
        document.body.removeChild(container);
    }
});

test('getMousePosOnLayer of a layer on no stage is null', function () {
    assert.equal(getMousePosOnLayer(new Kinetic.Layer()), null);
});
