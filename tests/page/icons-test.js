// Button icons (icons.js): every type loads its picture from the resources at
// its listed width, centred on the group origin.

// Icon type -> picture and side, as the toolbar, timeline and item picker
// expect them.
var EXPECTED = {
    newDocument: ['icons/blank.png', 48],
    pdf: ['icons/pdf.png', 48],
    mp4: ['icons/mp4.png', 48],
    folder: ['icons/folder.png', 128],
    save: ['icons/save.png', 128],
    rotateClock: ['icons/rotateClock.png', 128],
    rotateAntiClock: ['icons/rotateAntiClock.png', 128],
    grid: ['icons/grid.png', 128],
    runningLines: ['icons/runningLines.png', 128],
    soccerField: ['icons/soccerField128.png', 128],
    deleteItem: ['icons/deleteItem.png', 128],
    addCaption: ['icons/addCaption.png', 128],
    deleteFrame: ['icons/deleteFrame.png', 128],
    plus: ['icons/plus64.png', 64],
    minus: ['icons/minus64.png', 64],
    about: ['icons/about64.png', 64],
    openLogo: ['icons/openLogo.png', 128],
    showLogo: ['icons/showLogo.png', 128],
    copy: ['icons/copy.png', 128]
};

function loaded(group) {
    return function () { return group.getChildren().length > 0; };
}

test('an icon group is named "iconGroup", sits at the origin and takes no input', function () {
    var group = icon('grid', 0.25);
    assert.equal(group.name(), 'iconGroup');
    assert.equal(group.x(), 0);
    assert.equal(group.y(), 0);
    assert.equal(group.listening(), false);
    assert.equal(group.scaleX(), 0.25);
    assert.equal(group.scaleY(), 0.25);
});

test('without a scale the icon is drawn at its own size', function () {
    var group = icon('pdf');
    assert.equal(group.scaleX(), 1);
    assert.equal(group.scaleY(), 1);
});

test('the group is empty until the picture has loaded', function (done) {
    var group = icon('save', 0.27);
    assert.equal(group.getChildren().length, 0, 'empty at first');
    waitFor('the save icon', loaded(group), done, function () {
        assert.equal(group.getChildren().length, 1);
        done();
    });
});

test('every icon type loads its picture, square at its listed width, centred', function (done) {
    var types = Object.keys(EXPECTED);
    var groups = {};
    types.forEach(function (type) { groups[type] = icon(type, 0.5); });
    waitFor('all icons', function () {
        return types.every(function (type) { return groups[type].getChildren().length > 0; });
    }, done, function () {
        types.forEach(function (type) {
            var image = groups[type].getChildren()[0];
            var side = EXPECTED[type][1];
            assert.equal(image.className, 'Image', type + ' is a picture');
            assert.ok(/\/Resources\/[^?]*$/.test(image.image().src) &&
                image.image().src.slice(-EXPECTED[type][0].length) === EXPECTED[type][0],
                type + ' comes from ' + EXPECTED[type][0] + ', not ' + image.image().src);
            assert.equal(image.width(), side, type + ' width');
            assert.equal(image.height(), side, type + ' height');
            assert.equal(image.x(), -side / 2, type + ' centred across');
            assert.equal(image.y(), -side / 2, type + ' centred down');
            assert.equal(image.listening(), false, type + ' takes no input');
            assert.equal(image.image().naturalWidth, side, type + ': the artwork has the listed width');
        });
        done();
    });
});

test('an unknown type gives a group that stays empty', function (done) {
    var group = icon('noSuchIcon', 2);
    assert.equal(group.name(), 'iconGroup');
    assert.equal(group.scaleX(), 2);
    window.setTimeout(done.step(function () {
        assert.equal(group.getChildren().length, 0);
        done();
    }), 300);
});

test('a loaded icon redraws the layer it was put on', function (done) {
    var container = document.createElement('div');
    container.id = 'iconTestStage';
    document.body.appendChild(container);
    var stage = new Kinetic.Stage({ container: 'iconTestStage', width: 100, height: 100 });
    var layer = new Kinetic.Layer();
    stage.add(layer);
    var redraws = 0;
    var batchDraw = layer.batchDraw;
    layer.batchDraw = function () {
        redraws++;
        return batchDraw.apply(this, arguments);
    };
    var holder = new Kinetic.Group({ x: 50, y: 50 });
    var group = icon('about', 0.5);
    holder.add(group);
    layer.add(holder);
    waitFor('the about icon', loaded(group), done, function () {
        assert.ok(redraws >= 1, 'the layer was asked to redraw');
        // The picture, centred on the holder at (50, 50), is 32 pixels wide
        // at scale 0.5.
        var image = group.getChildren()[0];
        var corner = image.getAbsolutePosition();
        assert.close(corner.x, 34, 1e-9);
        assert.close(corner.y, 34, 1e-9);
        stage.destroy();
        document.body.removeChild(container);
        done();
    });
});

test('an icon thrown away before its picture arrives does no harm', function (done) {
    var group = icon('copy', 0.25);
    group.destroy();
    window.setTimeout(done, 300);
});
