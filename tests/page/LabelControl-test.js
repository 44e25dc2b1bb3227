// The label button beside an item (LabelControl.js): look, feedback, and the
// label request it raises for its item group.

var container = document.createElement('div');
container.id = 'labelControlTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'labelControlTestStage', width: 400, height: 300 });
var layer = new Kinetic.Layer();
stage.add(layer);

var BUTTON_AT = { x: 120, y: 80 };

var requests = [];
document.addEventListener('getLabelForItem', function (evt) {
    requests.push(evt.detail);
}, false);

// A field item group reduced to what the button reads: its node identifier
// and its label text.
function setUp(currentLabel, layerRotation) {
    layer.destroyChildren();
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    var itemShape = new Kinetic.Group({ x: 200, y: 150, width: 16, height: 25.6, offsetX: 8, offsetY: 12.8 });
    itemGroup.itemText = new FieldItemText(currentLabel, { x: 200, y: 150 }, 14, itemShape, 1, 0, false, false);
    var control = new LabelControl(layerRotation || 0);
    itemGroup.add(itemShape);
    itemGroup.add(itemGroup.itemText.text);
    itemGroup.add(control.controlGroup);
    layer.add(itemGroup);
    control.controlGroup.position(BUTTON_AT);
    control.controlGroup.show();
    layer.draw();
    requests = [];
    return { itemGroup: itemGroup, control: control };
}

test('a hidden group "LabelControl": white circle of 12 at 0.7 with a black "A"', function () {
    var control = new LabelControl(0);
    assert.equal(control.controlGroup.name(), 'LabelControl');
    assert.equal(control.controlGroup.visible(), false);
    assert.equal(control.circle.name(), 'circle');
    assert.equal(control.circle.radius(), 12);
    assert.equal(control.circle.fill(), 'white');
    assert.equal(control.circle.opacity(), 0.7);
    assert.equal(control.text.text(), 'A');
    assert.equal(control.text.fontFamily(), 'Helvetica');
    assert.equal(control.text.fontSize(), 21);
    assert.equal(control.text.fill(), 'black');
});

test('the "A" is centred across the circle with its top at the circle\'s top', function () {
    var control = new LabelControl(0);
    var t = control.text;
    assert.close(t.x() - t.offsetX(), -t.width() / 2, 1e-9, 'centred across');
    assert.close(t.y() - t.offsetY(), -12, 1e-9, 'top at the circle\'s top');
    assert.ok(t.width() > 5 && t.width() < 24, 'an A fits the circle: ' + t.width());
});

test('the button counter-turns against the pitch', function () {
    var env = setUp('', 90);
    assert.equal(env.control.controlGroup.rotation(), -90);
    env.control.updateLayerRotation(270);
    assert.equal(env.control.controlGroup.rotation(), -270);
    assert.equal(new LabelControl().controlGroup.rotation(), 0, 'missing rotation is 0');
});

test('press makes it opaque; release, leaving or the end of a touch bring back 0.7', function () {
    var env = setUp('');
    assertPressFeedback(stage, env.control.controlGroup, env.control.circle, BUTTON_AT);
    // Over the letter is still over the button.
    pointerEvent(stage, 'mousemove', BUTTON_AT.x, BUTTON_AT.y);
    pointerEvent(stage, 'mousedown', BUTTON_AT.x, BUTTON_AT.y);
    pointerEvent(stage, 'mousemove', BUTTON_AT.x, BUTTON_AT.y - 4);
    assert.equal(env.control.circle.opacity(), 1, 'still pressed over the letter');
    pointerEvent(stage, 'mouseup', BUTTON_AT.x, BUTTON_AT.y - 4);
});

test('a click raises getLabelForItem with the group\'s node identifier and the current label', function () {
    var env = setUp('Keeper');
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    assert.equal(requests.length, 1);
    assert.deepEqual(requests[0], { id: env.itemGroup._id, currentLabel: 'Keeper' });
    assert.equal(typeof requests[0].id, 'number');

    env.itemGroup.itemText.setText('Sweeper');
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    assert.equal(requests[1].currentLabel, 'Sweeper', 'the label as it is now');
});

test('an empty label is offered as the empty text', function () {
    var env = setUp('');
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    assert.deepEqual(requests, [{ id: env.itemGroup._id, currentLabel: '' }]);
});

test('a rebuilt group asks with its own new identifier', function () {
    var first = setUp('Keeper');
    var firstId = first.itemGroup._id;
    var second = setUp('Keeper');
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    assert.equal(requests[0].id, second.itemGroup._id);
    assert.notEqual(requests[0].id, firstId);
});

test('a tap raises the request too; a click beside the button does not', function () {
    var env = setUp('Keeper');
    env.control.controlGroup.fire('tap');
    assert.equal(requests.length, 1, 'tap');
    clickAt(stage, BUTTON_AT.x + 14, BUTTON_AT.y);
    assert.equal(requests.length, 1, 'beside the circle');
});

test('the page shell turns the request into the host prompt with the current label', function () {
    setUp('Keeper');
    cppInterface.clearReceivedMessages();
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    var prompts = cppInterface.receivedMessages().filter(function (message) {
        return message.msgType === 'promptForItemLabel';
    });
    assert.equal(prompts.length, 1);
    assert.equal(prompts[0].defaultText, 'Keeper');
    assert.equal(prompts[0].id, requests[0].id);
});
