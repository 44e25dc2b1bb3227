// The plus and minus buttons beside an item (ScaleControl.js).

var container = document.createElement('div');
container.id = 'scaleControlTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'scaleControlTestStage', width: 400, height: 300 });
var layer = new Kinetic.Layer();
stage.add(layer);

var BUTTON_AT = { x: 300, y: 100 };

// A ball at the default scale 0.10 (range 0.06 to 0.25).
function makeBall() {
    return new FieldItem(100, 100, 0, 'default', 'ball', 'default', 'default', 1);
}

var scaleEvents = [];
document.addEventListener('setItemDefaultScale', function (evt) {
    scaleEvents.push(evt.detail);
}, false);

// The parent field item group, reduced to what the buttons use; its
// setScale passes the scale to the item, as the real group does, and counts.
function setUp(scaleType, layerRotation) {
    layer.destroyChildren();
    var item = makeBall();
    var control = new ScaleControl(scaleType, layerRotation || 0);
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    var requested = [];
    itemGroup.getFieldItem = function () { return item; };
    itemGroup.setScale = function (scale) {
        requested.push(scale);
        item.setScale(scale);
    };
    itemGroup.setControlsPosition = function () {};
    itemGroup.add(item.group);
    itemGroup.add(control.controlGroup);
    layer.add(itemGroup);
    control.controlGroup.position(BUTTON_AT);
    control.controlGroup.show();
    layer.draw();
    scaleEvents = [];
    return { item: item, control: control, requested: requested };
}

function press(times) {
    for (var i = 0; i < times; i++) {
        clickAt(stage, BUTTON_AT.x + 3, BUTTON_AT.y - 2);
    }
}

// ---- Look -----------------------------------------------------------------

test('a hidden group "scaleControl" with a white circle, keeping its type', function () {
    ['increase', 'decrease'].forEach(function (type) {
        var control = new ScaleControl(type, 0);
        assert.equal(control.controlGroup.name(), 'scaleControl');
        assert.equal(control.controlGroup.visible(), false, type + ' hidden at creation');
        assert.equal(control.scaleType, type);
        assert.equal(control.controlGroup.scaleType, type, 'on the group too');
        assert.equal(control.circle.name(), 'circle');
        assert.equal(control.circle.radius(), 12);
        assert.equal(control.circle.fill(), 'white');
        assert.equal(control.circle.opacity(), 0.7);
    });
});

test('plus has two black strokes, minus one, none of them taking the pointer', function () {
    function strokes(type) {
        return new ScaleControl(type).controlGroup.getChildren().toArray().filter(function (node) {
            return node.getClassName() === 'Line';
        });
    }
    var plus = strokes('increase');
    var minus = strokes('decrease');
    assert.equal(plus.length, 2);
    assert.equal(minus.length, 1);
    assert.deepEqual(minus[0].points(), [-6, 0, 6, 0], 'horizontal stroke');
    assert.deepEqual(plus[0].points(), [-6, 0, 6, 0]);
    assert.deepEqual(plus[1].points(), [0, -6, 0, 6], 'vertical stroke');
    plus.concat(minus).forEach(function (line) {
        assert.equal(line.stroke(), 'black');
        assert.equal(line.strokeWidth(), 2);
        assert.equal(line.listening(), false);
    });
});

test('any other scale type is a programming error', function () {
    assert.throws(function () { new ScaleControl('bigger', 0); }, /increase.*decrease/);
    assert.throws(function () { new ScaleControl(undefined, 0); }, /scaleType/);
});

test('the button turns against the pitch so that it reads upright', function () {
    var env = setUp('increase', 90);
    assert.equal(env.control.controlGroup.rotation(), -90);
    env.control.updateLayerRotation(-180);
    assert.equal(env.control.controlGroup.rotation(), 180);
    assert.equal(new ScaleControl('decrease').controlGroup.rotation(), 0, 'missing rotation is 0');
});

// ---- Feedback -------------------------------------------------------------

test('pressed it turns opaque; release or leaving brings it back to 0.7', function () {
    var env = setUp('increase');
    assertPressFeedback(stage, env.control.controlGroup, env.control.circle, BUTTON_AT);
});

// ---- Scaling a ball -------------------------------------------------------

test('plus steps a ball by 1.1 through its group: the tenth press reaches 0.25', function () {
    var env = setUp('increase');
    press(9);
    assert.close(env.item.getScale(), 0.1 * Math.pow(1.1, 9), 1e-9, 'ninth press');
    assert.close(env.item.getScale(), 0.2358, 1e-4);
    press(1);
    assert.close(env.item.getScale(), 0.25, 1e-12, 'tenth press clipped to the maximum');
    assert.equal(env.requested.length, 10, 'each press asks the group once');
    assert.close(env.requested[9], 0.1 * Math.pow(1.1, 10), 1e-9, 'the group is asked for the step');
    assert.equal(scaleEvents.length, 10, 'every press raises setItemDefaultScale');
    assert.deepEqual(scaleEvents[9], { itemType: 'ball', scale: 0.25 });

    press(1);
    assert.close(env.item.getScale(), 0.25, 1e-12, 'unchanged at the top');
    assert.equal(scaleEvents.length, 11, 'still raised at the top');
    assert.deepEqual(scaleEvents[10], { itemType: 'ball', scale: 0.25 });
});

test('minus steps a ball by 1/1.1: the sixth press reaches 0.06', function () {
    var env = setUp('decrease');
    press(5);
    assert.close(env.item.getScale(), 0.1 / Math.pow(1.1, 5), 1e-9, 'fifth press');
    assert.close(env.item.getScale(), 0.0621, 1e-4);
    press(1);
    assert.close(env.item.getScale(), 0.06, 1e-12, 'sixth press clipped to the minimum');
    assert.equal(scaleEvents.length, 6);
    press(1);
    assert.close(env.item.getScale(), 0.06, 1e-12, 'unchanged at the bottom');
    assert.equal(scaleEvents.length, 7, 'still raised at the bottom');
    assert.deepEqual(scaleEvents[6], { itemType: 'ball', scale: 0.06 });
});

test('a step starts from the clipped scale, not the earlier step value', function () {
    var env = setUp('decrease');
    press(7);
    var plus = new ScaleControl('increase', 0);
    env.item.group.getParent().add(plus.controlGroup);
    plus.controlGroup.position({ x: 300, y: 200 });
    plus.controlGroup.show();
    layer.draw();
    clickAt(stage, 300, 200);
    assert.close(env.item.getScale(), 0.066, 1e-12);
});

test('a press on the empty stage next to the button scales nothing', function () {
    var env = setUp('increase');
    clickAt(stage, BUTTON_AT.x + 13, BUTTON_AT.y);
    assert.equal(env.requested.length, 0);
    assert.equal(scaleEvents.length, 0);
});
