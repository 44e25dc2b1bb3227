// The short-label button beside a player (ShortLabelControl.js): look,
// feedback, and the short-label request it raises for its item group.

var container = document.createElement('div');
container.id = 'shortLabelControlTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'shortLabelControlTestStage', width: 400, height: 300 });
var layer = new Kinetic.Layer();
stage.add(layer);

var BUTTON_AT = { x: 120, y: 80 };

var requests = [];
document.addEventListener('getShortLabelForItem', function (evt) {
    requests.push(evt.detail);
}, false);
var labelRequests = 0;
document.addEventListener('getLabelForItem', function () { labelRequests++; }, false);

// A field item group reduced to what the button reads: its node identifier
// and its two texts.
function setUp(currentShortLabel, layerRotation) {
    layer.destroyChildren();
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    var itemShape = new Kinetic.Group({ x: 200, y: 150, width: 16, height: 25.6, offsetX: 8, offsetY: 12.8 });
    itemGroup.itemText = new FieldItemText('Keeper', { x: 200, y: 150 }, 14, itemShape, 1, 0, false, false);
    itemGroup.shortLabelText = new FieldItemText(currentShortLabel, { x: 200, y: 150 }, 5.6, itemShape, 1, 0,
        false, true);
    var control = new ShortLabelControl(layerRotation || 0);
    itemGroup.add(itemShape);
    itemGroup.add(itemGroup.itemText.text);
    itemGroup.add(itemGroup.shortLabelText.text);
    itemGroup.add(control.controlGroup);
    layer.add(itemGroup);
    control.controlGroup.position(BUTTON_AT);
    control.controlGroup.show();
    layer.draw();
    requests = [];
    labelRequests = 0;
    return { itemGroup: itemGroup, control: control };
}

test('a hidden group "ShortLabelControl": white circle, "99" and a thin inner ring', function () {
    var control = new ShortLabelControl(0);
    assert.equal(control.controlGroup.name(), 'ShortLabelControl');
    assert.equal(control.controlGroup.visible(), false);
    assert.equal(control.circle.name(), 'circle');
    assert.equal(control.circle.radius(), 12);
    assert.equal(control.circle.fill(), 'white');
    assert.equal(control.circle.opacity(), 0.7);
    assert.equal(control.text.text(), '99');
    assert.equal(control.text.fontFamily(), 'Helvetica');
    assert.equal(control.text.fontSize(), 12);
    assert.equal(control.text.fill(), 'black');
    var ring = control.controlGroup.find('.innerCircle')[0];
    assert.ok(ring, 'inner ring found by name');
    assert.equal(ring.radius(), 9);
    assert.equal(ring.stroke(), 'black');
    assert.equal(ring.strokeWidth(), 0.5);
    assert.ok(!ring.fill(), 'no fill');
});

test('the "99" is centred on the circle both ways', function () {
    var t = new ShortLabelControl(0).text;
    assert.close(t.x() - t.offsetX() + t.width() / 2, 0, 1e-9, 'across');
    assert.close(t.y() - t.offsetY() + t.height() / 2, 0, 1e-9, 'down');
    assert.ok(t.width() > 8 && t.width() < 18, 'two digits fit inside the ring: ' + t.width());
});

test('the button counter-turns against the pitch', function () {
    var env = setUp('7', -90);
    assert.equal(env.control.controlGroup.rotation(), 90);
    env.control.updateLayerRotation(180);
    assert.equal(env.control.controlGroup.rotation(), -180);
});

test('press makes it opaque; release, leaving or the end of a touch bring back 0.7', function () {
    var env = setUp('7');
    assertPressFeedback(stage, env.control.controlGroup, env.control.circle, BUTTON_AT);
});

test('a click raises getShortLabelForItem with the node identifier and the current short label', function () {
    var env = setUp('10');
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    assert.deepEqual(requests, [{ id: env.itemGroup._id, currentLabel: '10' }]);
    assert.equal(labelRequests, 0, 'not the label request');
    env.itemGroup.shortLabelText.setText('JB');
    env.control.controlGroup.fire('tap');
    assert.equal(requests[1].currentLabel, 'JB', 'tap, with the short label as it is now');
});

test('an empty short label is offered as the empty text', function () {
    var env = setUp('');
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    assert.deepEqual(requests, [{ id: env.itemGroup._id, currentLabel: '' }]);
});

test('the page shell turns the request into the host\'s short-label prompt', function () {
    setUp('7');
    cppInterface.clearReceivedMessages();
    clickAt(stage, BUTTON_AT.x, BUTTON_AT.y);
    var prompts = cppInterface.receivedMessages().filter(function (message) {
        return message.msgType === 'promptForItemShortLabel';
    });
    assert.equal(prompts.length, 1);
    assert.equal(prompts[0].defaultText, '7');
    assert.equal(prompts[0].id, requests[0].id);
});
