// The generic button (Button.js): placement, highlight, pressed look, caption.

var container = document.createElement('div');
container.id = 'buttonTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'buttonTestStage', width: 300, height: 100 });
var layer = new Kinetic.Layer();
stage.add(layer);

function freshButton(name) {
    layer.destroyChildren();
    var button = new Button(10, 20, 45, 45, name);
    layer.add(button.group);
    layer.draw();
    return button;
}

function highlight(button) {
    var rect = button.buttonRect;
    return { fill: rect.fill(), stroke: rect.stroke(), opacity: rect.opacity() };
}

var AT_REST = { fill: 'yellow', stroke: '#459A00', opacity: 0 };
var HOVERED = { fill: 'yellow', stroke: '#459A00', opacity: 1 };
var PRESSED = { fill: 'DarkGrey', stroke: 'grey', opacity: 1 };

test('the group is named "buttonGroup" unless a name is given', function () {
    assert.equal(freshButton().group.name(), 'buttonGroup');
    assert.equal(freshButton('playButton').group.name(), 'playButton');
});

test('(x, y) is the top-left corner and the group origin is the centre', function () {
    var button = freshButton();
    var corner = button.buttonRect.getAbsolutePosition();
    assert.close(corner.x, 10, 1e-9, 'highlight left');
    assert.close(corner.y, 20, 1e-9, 'highlight top');
    assert.equal(button.buttonRect.width(), 45);
    assert.equal(button.buttonRect.height(), 45);

    var decoration = new Kinetic.Circle({ radius: 3 });
    button.group.add(decoration);
    var centre = decoration.getAbsolutePosition();
    assert.close(centre.x, 32.5, 1e-9, 'content at (0, 0) is centred across');
    assert.close(centre.y, 42.5, 1e-9, 'content at (0, 0) is centred down');
    assert.equal(button.group.width(), 45);
    assert.equal(button.group.height(), 45);
});

test('the highlight is named "buttonRect" and invisible at rest', function () {
    var button = freshButton();
    assert.equal(button.buttonRect.name(), 'buttonRect');
    assert.equal(button.group.find('.buttonRect')[0], button.buttonRect, 'found by name in the group');
    assert.deepEqual(highlight(button), AT_REST);
    assert.equal(button.buttonRect.strokeWidth(), 2);
    assert.equal(button.group.isSetPressed, false, 'not pressed');
});

test('the pointer over the button shows the highlight, leaving hides it', function () {
    var button = freshButton();
    button.group.fire('mouseover');
    assert.deepEqual(highlight(button), HOVERED, 'over');
    button.group.fire('mouseout');
    assert.deepEqual(highlight(button), AT_REST, 'out');
});

test('a touch shows the highlight until it ends', function () {
    var button = freshButton();
    button.group.fire('touchstart');
    assert.deepEqual(highlight(button), HOVERED, 'touching');
    button.group.fire('touchend');
    assert.deepEqual(highlight(button), AT_REST, 'released');
});

test('a real pointer moving over the invisible highlight lights it up', function () {
    var button = freshButton();
    pointerEvent(stage, 'mousemove', 200, 80);
    assert.equal(button.buttonRect.opacity(), 0, 'elsewhere');
    pointerEvent(stage, 'mousemove', 30, 40);
    assert.equal(button.buttonRect.opacity(), 1, 'over the button');
    pointerEvent(stage, 'mousemove', 200, 80);
    assert.equal(button.buttonRect.opacity(), 0, 'moved away');
});

test('setPressed(true) gives the pressed look', function () {
    var button = freshButton();
    button.setPressed(true);
    assert.deepEqual(highlight(button), PRESSED);
    assert.equal(button.group.isSetPressed, true);
});

test('a pressed button keeps its look when the pointer comes and goes', function () {
    var button = freshButton();
    button.setPressed(true);
    button.group.fire('mouseover');
    assert.deepEqual(highlight(button), PRESSED, 'hovered');
    button.group.fire('mouseout');
    assert.deepEqual(highlight(button), PRESSED, 'left');
});

test('un-pressing under the pointer keeps the highlight in the resting colours', function () {
    var button = freshButton();
    button.setPressed(true);
    button.group.fire('mouseover');
    button.setPressed(false);
    assert.deepEqual(highlight(button), HOVERED, 'still hovered');
    assert.equal(button.group.isSetPressed, false);
    button.group.fire('mouseout');
    assert.deepEqual(highlight(button), AT_REST, 'left');
});

test('un-pressing away from the pointer hides the highlight', function () {
    var button = freshButton();
    button.setPressed(true);
    button.setPressed(false);
    assert.deepEqual(highlight(button), AT_REST);
});

test('the caption starts empty, in black Helvetica 12, and takes no input', function () {
    var button = freshButton();
    assert.equal(button.text.text(), '');
    assert.equal(button.text.fontFamily(), 'Helvetica');
    assert.equal(button.text.fontSize(), 12);
    assert.equal(button.text.fill(), 'black');
    assert.equal(button.text.align(), 'center');
    assert.equal(button.text.listening(), false);
});

test('setText shows the message centred in the button', function () {
    var button = freshButton();
    button.setText('Go');
    assert.equal(button.text.text(), 'Go');
    var pos = button.text.getAbsolutePosition();
    assert.close(pos.x, 10, 1e-9, 'caption spans the button from its left edge');
    assert.equal(button.text.width(), 45);
    assert.close(pos.y + button.text.height() / 2, 42.5, 1e-9, 'caption centred down the button');
});

test('a click on the button reaches the handlers its user attached to the group', function () {
    var button = freshButton();
    var clicks = 0;
    button.group.on('click', function () { clicks++; });
    clickAt(stage, 15, 60);
    clickAt(stage, 250, 60);
    assert.equal(clicks, 1, 'only the click inside the button counts');
});
