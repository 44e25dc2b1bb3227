// The generic button (Button.js) and its icons (icons.js), as the toolbar, timeline and item picker use them.

var container = document.createElement('div');
container.id = 'buttonTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'buttonTestStage', width: 300, height: 100 });
var layer = new Kinetic.Layer();
stage.add(layer);

var REST = ['yellow', '#459A00', 0];
var OVER = ['yellow', '#459A00', 1];
var PRESSED = ['DarkGrey', 'grey', 1];

// Transparent shapes are not drawn at all; a button's invisible highlight must still be its hit area.
test('the highlight follows pointer and touch, the pressed look stays until un-pressed, clicks reach the button',
    function () {
        var b = new Button(10, 20, 45, 45);
        layer.add(b.group).draw();
        var clicks = 0;
        b.group.on('click', function () { clicks++; });
        // [what happens, the look after it]
        [[[30, 40], OVER], [[200, 80], REST], ['touchstart', OVER], ['touchend', REST], [true, PRESSED],
            ['mouseover', PRESSED], ['mouseout', PRESSED], ['mouseover', PRESSED], [false, OVER], ['mouseout', REST],
            [true, PRESSED], [false, REST]].forEach(function (row, i) {
            if (typeof row[0] === 'boolean') {
                b.setPressed(row[0]);
            } else if (typeof row[0] === 'string') {
                b.group.fire(row[0]);
            } else {
                pointerEvent(stage, 'mousemove', row[0][0], row[0][1]);
            }
            var rect = b.buttonRect;
            assert.deepEqual([rect.fill(), rect.stroke(), rect.opacity()], row[1], 'step ' + i + ': ' + row[0]);
        });
        clickAt(stage, 15, 60);
        clickAt(stage, 250, 60);
        assert.equal(clicks, 1, 'only the click inside the button counts');
    });

// The caption is made only when first set: between the highlight and the owner's icon, as faint as a disabled button.
test('a caption set late stands where one built with the button would, in its look', function () {
    var b = new Button(10, 20, 60, 40);
    var mark = new Kinetic.Circle({ radius: 5 });
    b.group.add(mark);
    b.setEnabled(false);
    b.setText('Go');
    assert.deepEqual([b.group.getChildren().indexOf(b.text), mark.opacity(), b.text.opacity(), b.text.text(), b.text.x(), b.text.width()],
        [1, 0.3, 0.3, 'Go', -30, 60]);
    assert.close(b.text.y(), -b.text.height() / 2, 1e-9);
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
    var types = Object.keys(ICONS);
    var groups = types.map(function (type) { return icon(type, 0.5); });
    groups.forEach(function (g) { layer.add(g); });
    var unknown = icon('noSuchIcon', 2);
    icon('copy', 0.25).destroy();
    waitFor('all icons', function () {
        return groups.every(function (g) { return g.getChildren().length > 0; });
    }, done, function () {
        types.forEach(function (type, i) {
            var image = groups[i].getChildren()[0];
            var side = ICONS[type][1];
            assert.equal(/[^\/]*$/.exec(image.image().src)[0], ICONS[type][0] + '.png', type);
            assert.deepEqual([image.x(), image.y(), image.width(), image.image().naturalWidth, image.listening()],
                [-side / 2, -side / 2, side, side, false], type);
        });
        assert.deepEqual([unknown.getChildren().length, unknown.scaleX(), groups[0].listening()], [0, 2, false]);
        assert.ok(redraws >= types.length, 'the layer was redrawn');
        done();
    });
});
