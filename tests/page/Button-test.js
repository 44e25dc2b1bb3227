// The generic button (Button.js) and its icons (icons.js), as the toolbar, timeline and item picker use them.

var container = document.createElement('div');
container.id = 'buttonTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'buttonTestStage', width: 300, height: 100 });
var layer = new Kinetic.Layer();
stage.add(layer);

function freshButton() {
    layer.destroyChildren();
    var button = new Button(10, 20, 45, 45);
    layer.add(button.group);
    layer.draw();
    return button;
}

function look(button) {
    var rect = button.buttonRect;
    return [rect.fill(), rect.stroke(), rect.opacity()];
}

var REST = ['yellow', '#459A00', 0];
var OVER = ['yellow', '#459A00', 1];
var PRESSED = ['DarkGrey', 'grey', 1];

test('the highlight follows pointer and touch; the pressed look stays until un-pressed', function () {
    var b = freshButton();
    // [what happens, the look after it]
    [['mouseover', OVER], ['mouseout', REST], ['touchstart', OVER], ['touchend', REST], [true, PRESSED],
        ['mouseover', PRESSED], ['mouseout', PRESSED], ['mouseover', PRESSED], [false, OVER], ['mouseout', REST],
        [true, PRESSED], [false, REST], ['mouseover', OVER]].forEach(function (row, i) {
        if (typeof row[0] === 'boolean') {
            b.setPressed(row[0]);
        } else {
            b.group.fire(row[0]);
        }
        assert.deepEqual(look(b), row[1], 'step ' + i + ': ' + row[0]);
    });
    b.leave();
    assert.deepEqual([look(b), b.group.isSetPressed], [REST, false], 'leave');
});

// Transparent shapes are no longer drawn; a button's hit area must stay all the same.
test('a real pointer over the invisible highlight lights it, and clicks inside the button reach its handlers', function () {
    var b = freshButton();
    var clicks = 0;
    b.group.on('click', function () { clicks++; });
    pointerEvent(stage, 'mousemove', 200, 80);
    pointerEvent(stage, 'mousemove', 30, 40);
    assert.equal(b.buttonRect.opacity(), 1, 'over the button');
    pointerEvent(stage, 'mousemove', 200, 80);
    assert.equal(b.buttonRect.opacity(), 0, 'moved away');
    clickAt(stage, 15, 60);
    clickAt(stage, 250, 60);
    assert.equal(clicks, 1, 'only the click inside the button counts');
});

test('a caption is centred in the button, a disabled one is faint, a new width keeps the left edge', function () {
    var b = freshButton();
    b.setText('Go');
    var pos = b.text.getAbsolutePosition();
    assert.deepEqual([b.text.text(), pos.x, b.text.width(), pos.y + b.text.height() / 2], ['Go', 10, 45, 42.5]);
    b.setEnabled(false);
    assert.deepEqual([b.enabled, b.text.opacity(), b.buttonRect.opacity()], [false, 0.3, 0]);
    b.setEnabled(true);
    assert.equal(b.text.opacity(), 1);
    b.setWidth(100);
    layer.draw();
    assert.deepEqual([b.buttonRect.getAbsolutePosition().x, b.buttonRect.width(), b.text.width()], [10, 100, 100]);
    clickAt(stage, 100, 40);
    assert.equal(b.buttonRect.opacity(), 1, 'the wider hit area');
});

// Icon type -> picture and side.
var ICONS = { newDocument: ['blank', 48], pdf: ['pdf', 48], mp4: ['mp4', 48], folder: ['folder', 128],
    save: ['save', 128], rotateClock: ['rotateClock', 128], rotateAntiClock: ['rotateAntiClock', 128],
    grid: ['grid', 128], runningLines: ['runningLines', 128], soccerField: ['soccerField128', 128],
    deleteItem: ['deleteItem', 128], addCaption: ['addCaption', 128], deleteFrame: ['deleteFrame', 128],
    plus: ['plus64', 64], minus: ['minus64', 64], about: ['about64', 64], openLogo: ['openLogo', 128],
    showLogo: ['showLogo', 128], copy: ['copy', 128], undo: ['undo', 128], redo: ['redo', 128] };

test('every icon loads its picture centred at its side and redraws its layer; others stay empty', function (done) {
    layer.destroyChildren();
    var redraws = 0;
    layer.batchDraw = function () { redraws++; };
    var groups = Object.keys(ICONS).map(function (type) { return icon(type, 0.5); });
    var unknown = icon('noSuchIcon', 2);
    icon('copy', 0.25).destroy();
    groups.forEach(function (g) { layer.add(g); });
    assert.equal(groups[0].getChildren().length, 0, 'empty until loaded');
    waitFor('all icons', function () {
        return groups.every(function (g) { return g.getChildren().length > 0; });
    }, done, function () {
        Object.keys(ICONS).forEach(function (type, i) {
            var image = groups[i].getChildren()[0];
            var side = ICONS[type][1];
            assert.ok(/\/Resources\/icons\/([^\/?]*)$/.exec(image.image().src)[1] === ICONS[type][0] + '.png', type);
            assert.deepEqual([image.x(), image.y(), image.width(), image.image().naturalWidth, image.listening()],
                [-side / 2, -side / 2, side, side, false], type);
        });
        assert.deepEqual([unknown.getChildren().length, unknown.scaleX(), groups[0].listening()], [0, 2, false]);
        assert.ok(redraws >= groups.length, 'the layer was redrawn');
        done();
    });
});
