// The animation layer (AnimationLayer.js) inside an animation of its own in a
// 1000 x 600 space: fitting, the caption's placement for every rotation,
// finding space for new items, labels, selection and the small geometry
// operations.

var container = document.createElement('div');
container.id = 'animationLayerTestStage';
document.body.appendChild(container);

function withAnimation(body) {
    var animation = new Animation(1000, 600, 'animationLayerTestStage');
    try {
        body(animation, animation.animLayer);
    } finally {
        animation.stage.destroy();
    }
}

function place(animation, type, x, y, rotation, scale) {
    var layer = animation.animLayer;
    var group = createFieldItemGroup(x, y, rotation || 0, scale || 'default', type, 'default', 'default',
        animation.frameManager.generateUniqueId(), '', '', layer.layerScale, layer.rotation());
    layer.add(group);
    return group;
}

function caption(layer) {
    var found = layer.find('.frameText');
    assert.equal(found.length, 1, 'one caption');
    return found[0];
}

// The stage point of a point in the layer's own coordinates.
function onStage(layer, x, y) {
    var p = layerPosToStage({ x: x, y: y }, layer);
    return { x: Math.round(p.x * 1e6) / 1e6, y: Math.round(p.y * 1e6) / 1e6 };
}

// ---- The layer itself ----------------------------------------------------

test('the layer is named "animLayer", starts at scale 1 with running lines off and the caption as first child', function () {
    var layer = AnimationLayer(100, 50, 200, 100, 4 / 3);
    try {
        assert.equal(layer.name(), 'animLayer');
        assert.deepEqual([layer.canonicalWidth, layer.layerScale, layer.frameTextSize, layer.aspectRatio,
            layer.showRunningLines], [512, 1, 20, 4 / 3, false]);
        var children = layer.getChildren();
        assert.equal(children.length, 1);
        var text = children[0];
        assert.deepEqual([text.className, text.name(), text.text(), text.fontFamily(), text.fill(), text.align(),
            text.listening()], ['Text', 'frameText', '', 'Helvetica', 'black', 'center', false]);
    } finally {
        layer.destroy();
    }
});

test('a 1000 x 600 space gives an 800 x 600 pitch at scale 1.5625, centred; turned, a 600 x 450 one standing 450 wide', function () {
    withAnimation(function (animation, layer) {
        assert.deepEqual([layer.layerWidth, layer.layerHeight, layer.layerScale], [800, 600, 1.5625]);
        assert.deepEqual([layer.x(), layer.y(), layer.offsetX(), layer.offsetY()], [500, 300, 400, 300]);
        assert.deepEqual(onStage(layer, 0, 0), { x: 100, y: 0 }, 'top left on screen');
        assert.deepEqual(onStage(layer, 800, 600), { x: 900, y: 600 }, 'bottom right on screen');
        assert.equal(caption(layer).fontSize(), 20 * 1.5625, 'caption size follows the scale');

        animation.rotateEntireAnimation(90);
        assert.deepEqual([layer.layerWidth, layer.layerHeight], [600, 450]);
        assert.close(layer.layerScale, 600 / 512, 1e-12);
        assert.deepEqual([layer.offsetX(), layer.offsetY()], [300, 225]);
        var corners = [onStage(layer, 0, 0), onStage(layer, 600, 0), onStage(layer, 600, 450), onStage(layer, 0, 450)];
        var xs = corners.map(function (p) { return p.x; });
        var ys = corners.map(function (p) { return p.y; });
        assert.deepEqual([Math.min.apply(null, xs), Math.max.apply(null, xs)], [275, 725], '450 wide on screen');
        assert.deepEqual([Math.min.apply(null, ys), Math.max.apply(null, ys)], [0, 600], '600 high on screen');
        assert.deepEqual(corners[0], { x: 725, y: 0 }, 'the layer\'s top left is at the top right on screen');
    });
});

test('the caption reads upright along the top edge of the pitch on screen for every rotation', function () {
    withAnimation(function (animation, layer) {
        // rotation -> caption rotation, position and width (W, H: the layer's own size)
        var table = [
            [0, -0, 0, 0, 'W'], [90, -90, 0, 'H', 'H'], [180, -180, 'W', 'H', 'W'], [270, -270, 'W', 0, 'H'],
            [360, 0, 0, 0, 'W'], [-90, -270, 'W', 0, 'H'], [-180, -180, 'W', 'H', 'W'], [-270, -90, 0, 'H', 'H'],
            [-360, 0, 0, 0, 'W'], [450, -90, 0, 'H', 'H']
        ];
        var done = 0;
        table.forEach(function (row) {
            animation.rotateEntireAnimation(row[0] - done);
            done = row[0];
            assert.equal(layer.rotation(), row[0]);
            var text = caption(layer);
            var W = layer.layerWidth;
            var H = layer.layerHeight;
            function value(v) { return v === 'W' ? W : v === 'H' ? H : v; }
            var where = 'rotation ' + row[0];
            assert.equal(text.rotation() + 0, row[1] + 0, where + ': caption rotation');
            assert.deepEqual([text.x(), text.y(), text.width()], [value(row[2]), value(row[3]), value(row[4])],
                where + ': position and width');
            assert.equal(text.fontSize(), 20 * layer.layerScale, where + ': font size');
            // On screen: from the pitch's top-left corner to its top-right
            // corner, whatever the turn.
            var screenW = (row[0] % 180 === 0) ? W : H;
            var screenH = (row[0] % 180 === 0) ? H : W;
            var start = text.getAbsoluteTransform().point({ x: 0, y: 0 });
            var end = text.getAbsoluteTransform().point({ x: text.width(), y: 0 });
            assert.close(start.x, 500 - screenW / 2, 1e-6, where + ': starts at the left');
            assert.close(start.y, 300 - screenH / 2, 1e-6, where + ': on the top edge');
            assert.close(end.x, 500 + screenW / 2, 1e-6, where + ': runs to the right');
            assert.close(end.y, start.y, 1e-6, where + ': level');
        });
    });
});

test('setting a caption places it; reading it back gives the text; nothing shows as an empty caption', function () {
    withAnimation(function (animation, layer) {
        animation.rotateEntireAnimation(-90);
        layer.setFrameText('Switch play');
        assert.equal(layer.getFrameText(), 'Switch play');
        assert.deepEqual([caption(layer).rotation(), caption(layer).x(), caption(layer).y()], [-270, 600, 0]);
        layer.setFrameText(null);
        assert.equal(layer.getFrameText(), '');
        animation.setFrameText('Through the animation');
        assert.equal(layer.getFrameText(), 'Through the animation');
    });
});

// ---- Refitting -------------------------------------------------------------

test('a resize keeps every item at the same place relative to the pitch and rescales items, caption and lines', function () {
    withAnimation(function (animation, layer) {
        var person = place(animation, 'person', 200, 150, 30);
        var ball = place(animation, 'gaaBall', 600, 450);
        animation.frameManager.saveFrame();
        var before = [person.getProperties(), ball.getProperties()];
        var ballWidth = ball.getFieldItem().group.width();

        animation.updateBounds(350, 150, 700, 300);
        assert.deepEqual([layer.layerWidth, layer.layerHeight], [400, 300]);
        assert.equal(layer.layerScale, 400 / 512);
        var after = [person.getProperties(), ball.getProperties()];
        [0, 1].forEach(function (i) {
            assert.close(after[i].x, before[i].x, 1e-12, 'item ' + i + ' x fraction');
            assert.close(after[i].y, before[i].y, 1e-12, 'item ' + i + ' y fraction');
            assert.equal(after[i].rotation, before[i].rotation, 'item ' + i + ' rotation');
        });
        assert.deepEqual([person.getFieldItem().group.x(), person.getFieldItem().group.y()], [100, 75], 'in pixels');
        assert.equal(person.layerScale, 400 / 512, 'the group took the new scale');
        assert.close(ball.getFieldItem().group.width(), ballWidth * (400 / 512) / 1.5625, 1e-9, 'drawn smaller');
        assert.equal(caption(layer).fontSize(), 20 * 400 / 512);
        assert.deepEqual(person.runningLines.lines[0].dash(), [10 * 400 / 512, 10 * 400 / 512], 'dashes rescaled');
        assert.deepEqual([animation.stage.width(), animation.stage.height()], [700, 300]);
        assert.deepEqual([animation.whiteRect.width(), animation.whiteRect.height()], [700, 300]);
        assert.deepEqual([animation.bgLayer.layerWidth, animation.bgLayer.layerHeight], [400, 300], 'the pitch too');
        var record = animation.frameManager.objects[0].frames[0];
        assert.close(record.x, 0.25, 1e-12, 'the model still holds the same fractions');
    });
});

// ---- Finding space ---------------------------------------------------------

test('the first item goes to the centre; a later one where it overlaps nothing', function () {
    withAnimation(function (animation, layer) {
        var centre = layer.findSpaceForItem(40, 40);
        assert.deepEqual(centre, { x: 400, y: 300 });
        place(animation, 'cone', 400, 300);
        var cone = layer.itemGroups()[0].getFieldItem().group;
        for (var i = 0; i < 20; i++) {
            var pos = layer.findSpaceForItem(40, 40);
            assert.ok(!isOverlap(pos.x - 20, pos.y - 20, 40, 40, cone), 'trial ' + i + ': clear of the cone');
            assert.ok(pos.x >= 20 && pos.x <= 780 && pos.y >= 20 && pos.y <= 580, 'trial ' + i + ': on the pitch');
        }
    });
});

test('on a full pitch a place is given after 1000 tries all the same', function () {
    withAnimation(function (animation, layer) {
        place(animation, 'goal', 400, 300, 0, 3);
        var random = Math.random;
        var draws = 0;
        Math.random = function () { draws++; return 0.25; };
        var pos;
        try {
            pos = layer.findSpaceForItem(200, 200);
        } finally {
            Math.random = random;
        }
        assert.equal(draws, 2000, 'a new random candidate after each of the 1000 failed tries');
        assert.deepEqual(pos, { x: 100 + 0.25 * 600, y: 100 + 0.25 * 400 }, 'the last candidate');
    });
});

// ---- Items by id ----------------------------------------------------------------

test('labels go to the item group with that node identifier only; an unknown one changes nothing', function () {
    withAnimation(function (animation, layer) {
        var a = place(animation, 'person', 100, 100);
        var b = place(animation, 'person', 300, 100);
        layer.setItemLabel(b._id, 'Winger');
        layer.setShortItemLabel(b._id, '11');
        assert.deepEqual([a.itemText.text.text(), b.itemText.text.text()], ['', 'Winger']);
        assert.deepEqual([a.shortLabelText.text.text(), b.shortLabelText.text.text()], ['', '11']);
        layer.setItemLabel(b.getAttr('id'), 'by model id');
        layer.setItemLabel(999999, 'nobody');
        assert.deepEqual([a.itemText.text.text(), b.itemText.text.text()], ['', 'Winger'],
            'the model id is not a node identifier');
        animation.setItemLabel(a._id, 'Keeper');
        animation.setShortItemLabel(a._id, '1');
        assert.deepEqual([a.itemText.text.text(), a.shortLabelText.text.text()], ['Keeper', '1']);
    });
});

test('select picks one group by node identifier and deselects the rest; childWithId finds by model id', function () {
    withAnimation(function (animation, layer) {
        var a = place(animation, 'person', 100, 100);
        var b = place(animation, 'cone', 300, 100);
        a.selectFunc(true);
        layer.select(b._id);
        assert.deepEqual([a.isSelected, b.isSelected], [false, true]);
        function controlsShown(group) {
            return group.find('.scaleControl').toArray().map(function (c) { return c.visible(); });
        }
        assert.deepEqual(controlsShown(a), [false, false], 'the other\'s controls hidden');
        assert.deepEqual(controlsShown(b), [true, true], 'the chosen one\'s controls shown');
        assert.equal(layer.childWithId(b.getAttr('id')), b);
        assert.equal(layer.childWithId(12345), null);
    });
});

test('clearing destroys every item group and empties the caption; named children can be destroyed by name', function () {
    withAnimation(function (animation, layer) {
        place(animation, 'person', 100, 100);
        place(animation, 'cone', 300, 100);
        layer.setFrameText('Set piece');
        layer.add(new Kinetic.Rect({ name: 'selectRectangle' }));
        layer.destroyNamedChildren('selectRectangle');
        assert.equal(layer.find('.selectRectangle').length, 0);
        assert.equal(layer.itemGroups().length, 2);
        layer.clearAnimation();
        assert.equal(layer.find('.fieldItemGroup').length, 0);
        assert.equal(layer.getFrameText(), '');
        assert.equal(layer.getChildren().length, 1, 'only the caption is left');
    });
});

test('running lines are switched for every item at once', function () {
    withAnimation(function (animation, layer) {
        var a = place(animation, 'person', 100, 100);
        var b = place(animation, 'gaaBall', 300, 100);
        layer.toggleRunningLines();
        assert.equal(layer.showRunningLines, true);
        assert.deepEqual([a.runningLines.lines[1].opacity(), b.runningLines.lines[1].opacity()], [1, 1]);
        animation.toggleRunningLines();
        assert.equal(layer.showRunningLines, false);
        assert.deepEqual([a.runningLines.lines[1].opacity(), b.runningLines.lines[1].opacity()], [0, 0]);
    });
});

// ---- Geometry ----------------------------------------------------------------------

test('positions convert between pixels and fractions of the pitch, and clip to it', function () {
    withAnimation(function (animation, layer) {
        assert.deepEqual(layer.relativePos({ x: 200, y: 450 }), { x: 0.25, y: 0.75 });
        assert.deepEqual(layer.pixelPos({ x: 0.25, y: 0.75 }), { x: 200, y: 450 });
        var pos = { x: -5, y: 700 };
        assert.equal(layer.clipToBounds(pos), pos, 'changed in place and returned');
        assert.deepEqual(pos, { x: 0, y: 600 });
        assert.deepEqual(layer.clipToBounds({ x: 900, y: -1 }), { x: 800, y: 0 });
        assert.deepEqual(layer.clipToBounds({ x: 10, y: 20 }), { x: 10, y: 20 });
        assert.throws(function () { layer.pixelPos(null); }, /position/);
        assert.throws(function () { AnimationLayer(0, 0, 10, 10, 0); }, /aspect ratio/);
        assert.throws(function () { layer.updateBounds(0, 0, 0, 100, false); }, /positive/);
    });
});
