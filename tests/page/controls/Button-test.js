// The generic button (Button.js) and its icons (Icons.js), as the toolbar, timeline and item picker use them.

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

test('every icon on the strips loads a picture of its own side, drawn centred; a new one redraws its layer, others stay empty',
    function (done) {
        myDispatchEvent('addFrame', {});  // the timeline's remove-frame button
        var shown = [pageShell.toolbar, pageShell.timeline, pageShell.itemPicker].reduce(function (all, strip) {
            return all.concat(strip.stage.find('.iconGroup').toArray());
        }, []);
        layer.destroyChildren();
        var redraws = 0;
        layer.batchDraw = function () { redraws++; };
        var added = icon('copy', 0.5);
        layer.add(added);
        var unknown = icon('noSuchIcon', 2);
        icon('copy', 0.25).destroy();
        var groups = shown.concat([added]);
        waitFor('all icons', function () {
            return groups.every(function (g) { return g.getChildren().length > 0; });
        }, done, function () {
            groups.forEach(function (g) {
                var image = g.getChildren()[0];
                var side = image.width();
                assert.deepEqual([image.x(), image.y(), image.height(), image.image().naturalWidth, image.image().naturalHeight,
                    image.listening(), g.listening()], [-side / 2, -side / 2, side, side, side, false, false], image.image().src);
            });
            assert.deepEqual([unknown.getChildren().length, unknown.scaleX(), added.scaleX(), redraws > 0], [0, 2, 0.5, true]);
            done();
        });
    });
