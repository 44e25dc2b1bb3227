// The rotate handle (RotateControl.js): its look, its home beside the item,
// turning the item by dragging it with the pointer, and the glide home.

var container = document.createElement('div');
container.id = 'rotateControlTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'rotateControlTestStage', width: 400, height: 300 });
// Like the animation layer: centred on the stage, turning about its centre.
var layer = new Kinetic.Layer({ x: 200, y: 150, offsetX: 200, offsetY: 150 });
stage.add(layer);

var CX = 200;
var CY = 150;
var GLIDE_MS = 300;

// A person at the default scale on a layer of scale 1: 16 x 25.6 pixels.
function makePerson(rotation) {
    return new FieldItem(CX, CY, rotation, 'default', 'person', 'default', 'default', 1);
}

// The rotation guide line lies beneath the item's shapes.
function guideLine(item) {
    return item.group.getChildren()[0];
}

var redrawControlsCount = 0;
document.addEventListener('redrawControls', function () { redrawControlsCount++; }, false);

// The parent field item group, reduced to what the handle talks to; it
// records the calls.
function setUp(rotation, layerRotation) {
    layer.destroyChildren();
    layer.rotation(layerRotation || 0);
    var item = makePerson(rotation || 0);
    var control = new RotateControl(layerRotation || 0);
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    var calls = [];
    itemGroup.getFieldItem = function () { return item; };
    itemGroup.showNonRotateControlsFunc = function (show) { calls.push(show ? 'show' : 'hide'); };
    itemGroup.setNonRotateControlsPosition = function () { calls.push('place'); };
    itemGroup.setControlsPosition = function () {
        control.calcAndSetPositionFunc(item);
        calls.push('place');
    };
    itemGroup.add(item.group);
    itemGroup.add(control.controlGroup);
    layer.add(itemGroup);
    control.calcAndSetPositionFunc(item);
    control.controlGroup.show();
    layer.draw();
    redrawControlsCount = 0;
    return { item: item, control: control, calls: calls };
}

// The handle's centre on the stage.
function handleOnStage(control) {
    return control.controlGroup.getAbsolutePosition();
}

// A real drag with the pointer: move over the handle, press, move in
// steps, release.
function dragHandle(control, to, release) {
    // Start from the handle at rest, as a user who waits for the glide does:
    // mid-glide it stands between pixels, and the pointer, which lands on
    // whole pixels only, would grab it off centre.
    if (control.glide) {
        control.stopGlide();
        control.calcAndSetPositionFunc(control.controlGroup.getParent().getFieldItem());
        control.controlGroup.getLayer().draw(); // the press finds shapes through the drawn hit graph
    }
    var from = handleOnStage(control);
    pointerEvent(stage, 'mousemove', from.x, from.y);
    pointerEvent(stage, 'mousedown', from.x, from.y);
    var steps = 4;
    for (var i = 1; i <= steps; i++) {
        pointerEvent(stage, 'mousemove', from.x + (to.x - from.x) * i / steps,
            from.y + (to.y - from.y) * i / steps);
    }
    if (release !== false) {
        pointerEvent(stage, 'mouseup', to.x, to.y);
    }
}

function assertAt(node, x, y, tolerance, message) {
    assert.close(node.x(), x, tolerance, (message || '') + ' x');
    assert.close(node.y(), y, tolerance, (message || '') + ' y');
}

// ---- Look ---------------------------------------------------------------

test('a hidden, draggable group "rotateControl" with a white round handle', function () {
    var control = new RotateControl(0);
    assert.equal(control.controlGroup.name(), 'rotateControl');
    assert.equal(control.controlGroup.visible(), false, 'hidden at creation');
    assert.equal(control.controlGroup.draggable(), true);
    assert.equal(typeof control.controlGroup.dragBoundFunc(), 'function');
    assert.equal(control.controlGroup.rotation(), 0, 'the group itself is never turned');
    assert.equal(control.rotateHandle.name(), 'rotateCircle');
    assert.equal(control.rotateHandle.radius(), 12);
    assert.equal(control.rotateHandle.fill(), 'white');
    assert.equal(control.rotateHandle.opacity(), 0.7);
    assert.equal(control.controlGroup.find('.rotateCircle')[0], control.rotateHandle);
});

test('the icon is black, about 20 px, centred on the handle and deaf to the pointer', function () {
    var control = new RotateControl();
    var icon = control.rotateIcon;
    assert.equal(icon.fill(), 'black');
    assert.equal(icon.scaleX(), 0.4);
    assert.equal(icon.scaleY(), 0.4);
    assert.equal(icon.offsetX(), 25);
    assert.equal(icon.offsetY(), 25);
    assert.equal(icon.listening(), false);
    assert.equal(icon.rotation(), 0, 'a missing layer rotation counts as 0');
    assert.equal(icon.getParent(), control.controlGroup);

    // Its ink lies within the handle: draw it alone and look for pixels.
    layer.destroyChildren();
    layer.rotation(0);
    control.controlGroup.position({ x: 100, y: 100 });
    control.controlGroup.show();
    control.rotateHandle.hide();
    layer.add(control.controlGroup);
    layer.draw();
    var pixels = layer.getCanvas().getContext()._context.getImageData(70, 70, 60, 60).data;
    var inkInside = 0;
    var inkOutside = 0;
    for (var i = 0; i < pixels.length; i += 4) {
        var px = 70 + (i / 4) % 60;
        var py = 70 + Math.floor(i / 4 / 60);
        if (pixels[i + 3] > 0) {
            if (distance(px + 0.5, py + 0.5, 100, 100) <= 12) {
                inkInside++;
            } else {
                inkOutside++;
            }
        }
    }
    assert.ok(inkInside > 60, 'the arrow is drawn, got ' + inkInside + ' pixels');
    assert.equal(inkOutside, 0, 'nothing outside the handle');
});

test('the icon counter-turns against the pitch and so reads upright on screen', function () {
    var env = setUp(0, 90);
    assert.equal(env.control.rotateIcon.rotation(), -90);
    var m = env.control.rotateIcon.getAbsoluteTransform().getMatrix();
    assert.close(m[1], 0, 1e-9, 'no turn on screen');
    assert.ok(m[0] > 0, 'not upside down');
    env.control.updateLayerRotation(180);
    assert.equal(env.control.rotateIcon.rotation(), -180);
    assert.equal(env.control.controlGroup.rotation(), 0, 'the group is not turned');
});

// ---- Home position ------------------------------------------------------

test('home is on the item\'s x axis, 15 px beyond its edge: R = w/2 + 15', function () {
    var env = setUp(0);
    assertAt(env.control.controlGroup, CX + 23, CY, 1e-9, 'unturned');
    env.item.group.rotation(90);
    env.control.calcAndSetPositionFunc(env.item);
    assertAt(env.control.controlGroup, CX, CY + 23, 1e-9, 'turned 90');
    env.item.group.rotation(-135);
    env.control.calcAndSetPositionFunc(env.item);
    assertAt(env.control.controlGroup, CX - 23 * Math.SQRT1_2, CY - 23 * Math.SQRT1_2, 1e-9, 'turned -135');
    assert.throws(function () { env.control.calcAndSetPositionFunc(); }, /field item/);
});

// ---- Turning with the pointer -------------------------------------------

test('dragging the handle below, left of and above the item turns it to 90, 180 and -90', function () {
    var env = setUp(0);
    dragHandle(env.control, { x: CX, y: CY + 100 });
    assert.close(env.item.group.rotation(), 90, 1e-9, 'below');
    dragHandle(env.control, { x: CX - 100, y: CY });
    assert.close(env.item.group.rotation(), 180, 1e-9, 'left');
    dragHandle(env.control, { x: CX, y: CY - 70 });
    assert.close(env.item.group.rotation(), -90, 1e-9, 'above');
    dragHandle(env.control, { x: CX + 50, y: CY + 50 });
    assert.close(env.item.group.rotation(), 45, 1e-9, 'no snapping: down right');
});

test('while dragging the handle follows the pointer and the guide line shows the way', function () {
    var env = setUp(0);
    dragHandle(env.control, { x: CX, y: CY + 100 }, false);
    var at = handleOnStage(env.control);
    assert.close(at.x, CX, 1e-9, 'handle under the pointer');
    assert.close(at.y, CY + 100, 1e-9, 'handle under the pointer');
    var line = guideLine(env.item);
    assert.equal(line.opacity(), 1, 'guide line shown');
    // 100 px out, less the handle's radius, along the item's own x axis.
    assert.deepEqual(line.points(), [8, 12.8, 8 + 100 - 12, 12.8]);
    assert.equal(env.control.rotateHandle.opacity(), 1, 'pressed look while dragging');
    assert.deepEqual(env.calls, ['hide', 'hide'], 'others hidden on press and again on drag start');
    pointerEvent(stage, 'mouseup', CX, CY + 100);
});

test('near the centre the guide line still reaches the item\'s edge', function () {
    var env = setUp(0);
    dragHandle(env.control, { x: CX + 5, y: CY }, false);
    var p = guideLine(env.item).points();
    assert.ok(distance(p[0], p[1], p[2], p[3]) >= 8 - 1e-9,
        'at least half the item\'s width, got ' + distance(p[0], p[1], p[2], p[3]));
    pointerEvent(stage, 'mouseup', CX + 5, CY);
});

test('on a turned pitch the pointer is read in the pitch\'s own coordinates', function () {
    // Pitch turned 90: the item's x axis (rotation 0) runs down the screen.
    var env = setUp(0, 90);
    var home = handleOnStage(env.control);
    assert.close(home.x, CX, 1e-9, 'home below the item on screen');
    assert.close(home.y, CY + 23, 1e-9, 'home below the item on screen');
    dragHandle(env.control, { x: CX - 80, y: CY });
    assert.close(env.item.group.rotation(), 90, 1e-9, 'left on screen is +y of the pitch');
});

test('release hides the guide line, restores the look, re-places and shows the others', function () {
    var env = setUp(0);
    dragHandle(env.control, { x: CX, y: CY + 100 });
    assert.equal(guideLine(env.item).opacity(), 0, 'guide line hidden');
    assert.deepEqual(guideLine(env.item).points(), [0, 0, 0, 0]);
    assert.equal(env.control.rotateHandle.opacity(), 0.7);
    var afterPress = env.calls.slice(2);
    assert.ok(afterPress.length >= 2, 'controls brought back: ' + JSON.stringify(env.calls));
    assert.deepEqual(afterPress.slice(0, 2), ['place', 'show'], 're-placed before shown');
    assert.equal(afterPress[afterPress.length - 1], 'show', 'ends shown');
    assert.equal(redrawControlsCount, 1, 'redrawControls raised once at drag end');
});

test('a press and release without moving leaves the item as it was and raises nothing', function () {
    var env = setUp(30);
    var at = handleOnStage(env.control);
    clickAt(stage, at.x, at.y);
    assert.close(env.item.group.rotation(), 30, 1e-9);
    assert.equal(guideLine(env.item).opacity(), 0, 'no guide line left behind');
    assert.equal(env.control.rotateHandle.opacity(), 0.7);
    assert.deepEqual(env.calls, ['hide', 'place', 'show']);
    assert.equal(redrawControlsCount, 0, 'no drag, no redrawControls');
});

test('after release the handle glides home in the new direction in 0.3 s, easing out', function (done) {
    var env = setUp(0);
    dragHandle(env.control, { x: CX, y: CY + 100 });
    var group = env.control.controlGroup;
    var released = Date.now();
    assertAt(group, CX, CY + 100, 1e-9, 'still where it was let go');
    var midway = null;
    window.setTimeout(done.step(function () {
        midway = { y: group.y(), t: Date.now() - released };
    }), 100);
    waitFor('the glide to end', function () {
        return midway && Math.abs(group.y() - (CY + 23)) < 1e-6;
    }, done, function () {
        var took = Date.now() - released;
        assert.close(group.x(), CX, 1e-6, 'home x for rotation 90');
        assert.ok(took >= GLIDE_MS - 20 && took < GLIDE_MS + 250, 'took ' + took + ' ms');
        // Easing out: well past a linear share of the way after a third.
        var linearShare = (CY + 100) - 77 * Math.min(1, midway.t / GLIDE_MS);
        assert.ok(midway.y < linearShare, 'ahead of linear at ' + midway.t + ' ms: y ' + midway.y);
        assert.ok(midway.y > CY + 23, 'not there yet at ' + midway.t + ' ms');
        done();
    }, 2000);
});

test('grabbing the handle mid-glide stops the glide', function (done) {
    var env = setUp(0);
    dragHandle(env.control, { x: CX, y: CY + 100 });
    var group = env.control.controlGroup;
    window.setTimeout(done.step(function () {
        var at = handleOnStage(env.control);
        pointerEvent(stage, 'mousemove', at.x, at.y);
        pointerEvent(stage, 'mousedown', at.x, at.y);
        var held = { x: group.x(), y: group.y() };
        window.setTimeout(done.step(function () {
            assertAt(group, held.x, held.y, 1e-9, 'stays under the pointer');
            pointerEvent(stage, 'mouseup', at.x, at.y);
            done();
        }), 350);
    }), 80);
});

test('a handle outside any item group does nothing but follow the pointer', function () {
    layer.destroyChildren();
    layer.rotation(0);
    var control = new RotateControl(0);
    layer.add(control.controlGroup);
    var pos = control.controlGroup.dragBoundFunc().call(control.controlGroup, { x: 12, y: 34 });
    assert.deepEqual(pos, { x: 12, y: 34 });
});
