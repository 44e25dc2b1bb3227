// Running lines (RunningLines.js): segments, arrow heads, visibility,
// the running-lines toggle, dragging and the layer scale.

Kinetic.enableTrace = true;

var container = document.createElement('div');
container.id = 'runningLinesTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'runningLinesTestStage', width: 400, height: 300 });
var layer = new Kinetic.Layer();
stage.add(layer);

var ALL = [true, true, true];
var TOLERANCE = 1e-9;

function P(x, y) {
    return { x: x, y: y };
}

function fresh(pos, isDashed, layerScale) {
    layer.destroyChildren();
    var lines = new RunningLines(pos || P(0, 0), !!isDashed, layerScale || 1);
    layer.add(lines.group);
    return lines;
}

// The lines inside a field item group of a real item of `type`; the lines
// ask the group for its field item's type flag.
function inItemGroup(lines, type) {
    var itemGroup = new Kinetic.Group({ name: 'fieldItemGroup' });
    var item = new FieldItem(100, 100, 0, 'default', type, 'default', 'default', 1);
    itemGroup.getFieldItem = function () { return item; };
    itemGroup.setControlsPosition = function () {};
    layer.destroyChildren();
    itemGroup.add(item.group);
    itemGroup.add(lines.group);
    layer.add(itemGroup);
    return itemGroup;
}

function visibleFlags(nodes) {
    return nodes.map(function (node) { return node.visible(); });
}

function opacities(nodes) {
    return nodes.map(function (node) { return node.opacity(); });
}

function armLength(points, arm) {
    // arm 0 is the first point, arm 1 the last; the tip is the middle one.
    var i = arm === 0 ? 0 : 4;
    return distance(points[i], points[i + 1], points[2], points[3]);
}

// ---- Structure ----------------------------------------------------------

test('three segments and three heads, each head drawn straight after its segment', function () {
    var lines = fresh(P(30, 40));
    assert.equal(lines.group.name(), 'runningLinesGroup');
    var names = lines.group.getChildren().toArray().map(function (node) { return node.name(); });
    assert.deepEqual(names, ['runningLine', 'arrowHead', 'runningLine', 'arrowHead',
        'runningLine', 'arrowHead']);
    var children = lines.group.getChildren();
    for (var i = 0; i < 3; i++) {
        assert.equal(children[2 * i], lines.lines[i], 'segment ' + i + ' in place');
        assert.equal(children[2 * i + 1], lines.arrowHeads[i], 'head ' + i + ' in place');
    }
});

test('at creation everything is hidden, segments sit on the item and heads have no points', function () {
    var lines = fresh(P(30, 40));
    for (var i = 0; i < 3; i++) {
        assert.deepEqual(lines.lines[i].points(), [30, 40, 30, 40], 'segment ' + i);
        assert.deepEqual(lines.arrowHeads[i].points(), [], 'head ' + i);
        assert.equal(lines.lines[i].stroke(), 'black');
        assert.equal(lines.lines[i].strokeWidth(), 1);
        assert.equal(lines.arrowHeads[i].stroke(), 'black');
        assert.equal(lines.arrowHeads[i].strokeWidth(), 1);
    }
    assert.deepEqual(visibleFlags(lines.lines), [false, false, false]);
    assert.deepEqual(visibleFlags(lines.arrowHeads), [false, false, false]);
});

test('a start position is required', function () {
    assert.throws(function () { new RunningLines(undefined, false, 1); }, /position/);
});

// ---- Arrow heads --------------------------------------------------------

test('a head appears only once a segment is as long as an arm: 19 px none, 20 px one', function () {
    var lines = fresh();
    assert.equal(lines.headLen, 20);
    assert.deepEqual(lines.generateArrowPoints(P(0, 0), P(19, 0)), [], '19 px');
    assert.deepEqual(lines.generateArrowPoints(P(5, 5), P(5, 24.999)), [], 'just short, vertical');
    var head = lines.generateArrowPoints(P(0, 0), P(20, 0));
    assert.equal(head.length, 6, '20 px');
    assert.close(armLength(head, 0), 20, 1e-9);
    assert.close(armLength(head, 1), 20, 1e-9);
});

test('at layer scale 2 the threshold and the arms are 40 px', function () {
    var lines = fresh(P(0, 0), false, 2);
    assert.equal(lines.headLen, 40);
    assert.deepEqual(lines.generateArrowPoints(P(0, 0), P(0, 39)), [], '39 px');
    var head = lines.generateArrowPoints(P(0, 0), P(0, 40));
    assert.equal(head.length, 6, '40 px');
    assert.close(armLength(head, 0), 40, 1e-9);
    assert.close(armLength(head, 1), 40, 1e-9);
});

test('the head is a chevron with its tip at the midpoint, arms trailing back at 30 degrees', function () {
    var lines = fresh();
    var head = lines.generateArrowPoints(P(0, 0), P(100, 0));
    var back = 20 * Math.cos(Math.PI / 6);
    var expected = [50 - back, 10, 50, 0, 50 - back, -10];
    for (var i = 0; i < 6; i++) {
        assert.close(head[i], expected[i], 1e-9, 'rightwards, coordinate ' + i);
    }

    // Travelling up and to the left: the arms point back down and right.
    var p0 = P(200, 200);
    var p1 = P(100, 100);
    head = lines.generateArrowPoints(p0, p1);
    assert.close(head[2], 150, 1e-9, 'tip x');
    assert.close(head[3], 150, 1e-9, 'tip y');
    var travel = Math.atan2(p1.y - p0.y, p1.x - p0.x);
    [0, 4].forEach(function (i) {
        var armDir = Math.atan2(head[i + 1] - 150, head[i] - 150);
        var between = Math.abs(Math.atan2(Math.sin(armDir - (travel + Math.PI)),
            Math.cos(armDir - (travel + Math.PI))));
        assert.close(between, Math.PI / 6, 1e-9, 'arm at ' + i + ' is 30 degrees off the way back');
    });
    assert.ok(Math.abs(head[0] - head[4]) > 1 || Math.abs(head[1] - head[5]) > 1,
        'the two arms lie on either side');
});

// ---- Setting the lines --------------------------------------------------

test('setLines runs previous -> current -> next -> after next with a head on each long segment', function () {
    var lines = fresh();
    lines.setLines(P(10, 10), P(110, 10), P(110, 110), P(120, 110), ALL, true);
    assert.deepEqual(lines.lines[0].points(), [10, 10, 110, 10]);
    assert.deepEqual(lines.lines[1].points(), [110, 10, 110, 110]);
    assert.deepEqual(lines.lines[2].points(), [110, 110, 120, 110]);
    assert.close(lines.arrowHeads[0].points()[2], 60, TOLERANCE, 'head 0 tip x');
    assert.close(lines.arrowHeads[0].points()[3], 10, TOLERANCE, 'head 0 tip y');
    assert.close(lines.arrowHeads[1].points()[2], 110, TOLERANCE, 'head 1 tip x');
    assert.close(lines.arrowHeads[1].points()[3], 60, TOLERANCE, 'head 1 tip y');
    assert.deepEqual(lines.arrowHeads[2].points(), [], 'a 10 px segment has no head');
    assert.deepEqual(visibleFlags(lines.lines), ALL);
    assert.deepEqual(opacities(lines.lines), [1, 1, 1]);
    assert.deepEqual(opacities(lines.arrowHeads), [1, 1, 1]);
});

test('an item that stays put has a zero-length segment without a head', function () {
    var lines = fresh();
    lines.setLines(P(0, 0), P(50, 50), P(50, 50), P(150, 50), ALL, true);
    assert.deepEqual(lines.lines[1].points(), [50, 50, 50, 50]);
    assert.deepEqual(lines.arrowHeads[1].points(), []);
    assert.equal(lines.arrowHeads[2].points().length, 6, 'the next segment still has one');
});

test('each segment and its head follow their own visibility flag', function () {
    var lines = fresh();
    // The first frame: nothing comes in.
    lines.setLines(P(0, 0), P(50, 50), P(150, 50), P(150, 150), [false, true, true], true);
    assert.deepEqual(visibleFlags(lines.lines), [false, true, true]);
    assert.deepEqual(visibleFlags(lines.arrowHeads), [false, true, true]);
    // The last frame: only the incoming segment.
    lines.setLines(P(150, 150), P(50, 50), P(0, 0), P(0, 0), [true, false, false], true);
    assert.deepEqual(visibleFlags(lines.lines), [true, false, false]);
    assert.deepEqual(visibleFlags(lines.arrowHeads), [true, false, false]);
});

test('in an animation of one frame no segment is visible', function () {
    var lines = fresh();
    lines.setLines(P(0, 0), P(50, 50), P(0, 0), P(0, 0), [false, false, false], true);
    assert.deepEqual(visibleFlags(lines.lines), [false, false, false]);
    assert.deepEqual(visibleFlags(lines.arrowHeads), [false, false, false]);
});

test('setLines wants exactly three flags', function () {
    var lines = fresh();
    assert.throws(function () {
        lines.setLines(P(0, 0), P(1, 1), P(2, 2), P(3, 3), [true, true], true);
    }, /exactly 3 flags/);
});

// ---- The toggle -----------------------------------------------------------

test('toggle off keeps geometry and visibility and only makes everything transparent', function () {
    var lines = fresh();
    lines.setLines(P(10, 10), P(110, 10), P(110, 110), P(0, 0), [true, true, false], false);
    assert.deepEqual(opacities(lines.lines), [0, 0, 0]);
    assert.deepEqual(opacities(lines.arrowHeads), [0, 0, 0]);
    assert.deepEqual(visibleFlags(lines.lines), [true, true, false], 'visibility kept');
    assert.deepEqual(lines.lines[0].points(), [10, 10, 110, 10], 'geometry set all the same');
    var head0 = lines.arrowHeads[0].points().slice();
    assert.equal(head0.length, 6);

    lines.showLines(true);
    assert.deepEqual(opacities(lines.lines), [1, 1, 1]);
    assert.deepEqual(opacities(lines.arrowHeads), [1, 1, 1]);
    assert.deepEqual(visibleFlags(lines.lines), [true, true, false]);
    assert.deepEqual(lines.arrowHeads[0].points(), head0, 'no recomputation');

    lines.showLines(false);
    assert.deepEqual(opacities(lines.lines), [0, 0, 0]);
    assert.deepEqual(lines.lines[1].points(), [110, 10, 110, 110]);
});

// ---- The item's type ------------------------------------------------------

test('equipment never shows running lines, whatever the flags and the toggle say', function () {
    var lines = new RunningLines(P(0, 0), false, 1);
    inItemGroup(lines, 'cone');
    lines.setLines(P(10, 10), P(110, 10), P(110, 110), P(0, 0), ALL, true);
    assert.deepEqual(visibleFlags(lines.lines), [false, false, false]);
    assert.deepEqual(visibleFlags(lines.arrowHeads), [false, false, false]);
    lines.showLines(true);
    assert.deepEqual(visibleFlags(lines.lines), [false, false, false], 'toggle does not reveal them');
    assert.deepEqual(lines.lines[0].points(), [10, 10, 110, 10], 'geometry is kept up to date');
});

test('a type with running lines, inside its item group, follows its flags', function () {
    var lines = new RunningLines(P(0, 0), false, 1);
    inItemGroup(lines, 'person');
    lines.setLines(P(10, 10), P(110, 10), P(110, 110), P(0, 0), [true, false, true], true);
    assert.deepEqual(visibleFlags(lines.lines), [true, false, true]);
});

test('markers and goals never show them either; a ball does', function () {
    ['marker', 'goal', 'manikin'].forEach(function (type) {
        var lines = new RunningLines(P(0, 0), false, 1);
        inItemGroup(lines, type);
        lines.setLines(P(10, 10), P(110, 10), P(110, 110), P(0, 0), ALL, true);
        assert.deepEqual(visibleFlags(lines.lines), [false, false, false], type);
    });
    var ballLines = new RunningLines(P(0, 0), true, 1);
    inItemGroup(ballLines, 'ball');
    ballLines.setLines(P(10, 10), P(110, 10), P(110, 110), P(0, 0), ALL, true);
    assert.deepEqual(visibleFlags(ballLines.lines), ALL, 'ball');
});

// ---- Dashes -----------------------------------------------------------------

function strokesIn(trace) {
    // Each stroked shape is "...;lineWidth=1;strokeStyle=black;...stroke();".
    return trace.split('restore();').filter(function (part) {
        return part.indexOf('stroke()') >= 0;
    });
}

// The item group builds the lines dashed by the type's flag.
function typeIsDashed(type) {
    return new FieldItem(0, 0, 0, 'default', type, 'default', 'default', 1).runningLinesDashed;
}

test('a ball\'s lines are dashed 10 on 10 and its heads are solid, when drawn', function () {
    var lines = fresh(P(0, 0), typeIsDashed('ball'), 1);
    lines.setLines(P(10, 50), P(210, 50), P(210, 250), P(0, 0), [true, true, false], true);
    assert.deepEqual(lines.lines[0].dash(), [10, 10]);
    assert.equal(lines.lines[0].dashEnabled(), true);
    assert.equal(lines.arrowHeads[0].dashEnabled(), false);

    var context = layer.getContext();
    context.clearTrace();
    layer.draw();
    var strokes = strokesIn(context.getTrace());
    assert.equal(strokes.length, 4, 'two segments and two heads stroked');
    assert.ok(strokes[0].indexOf('setLineDash(10,10)') >= 0, 'segment 0 dashed: ' + strokes[0]);
    assert.ok(strokes[1].indexOf('setLineDash') < 0, 'head 0 solid: ' + strokes[1]);
    assert.ok(strokes[2].indexOf('setLineDash(10,10)') >= 0, 'segment 1 dashed');
    assert.ok(strokes[3].indexOf('setLineDash') < 0, 'head 1 solid');
});

test('the engine really leaves gaps in a dashed segment and none in a solid one', function () {
    function darkRun(isDashed) {
        var lines = fresh(P(0, 0), isDashed, 1);
        lines.setLines(P(0, 0), P(0, 0), P(0, 0), P(0, 0), [false, false, false], true);
        lines.lines[1].points([20, 100.5, 120, 100.5]);
        lines.lines[1].visible(true);
        layer.draw();
        var pixels = layer.getCanvas().getContext()._context.getImageData(20, 100, 100, 1).data;
        var inked = 0;
        for (var i = 3; i < pixels.length; i += 4) {
            if (pixels[i] > 128) {
                inked++;
            }
        }
        return inked;
    }
    var solid = darkRun(false);
    var dashed = darkRun(true);
    assert.ok(solid >= 98, 'solid line inks the whole run, got ' + solid);
    assert.ok(dashed >= 40 && dashed <= 60, 'dashed line inks about half, got ' + dashed);
});

test('a visible segment too short for a head draws the segment and no head', function () {
    var lines = fresh(P(0, 0), false, 1);
    lines.setLines(P(10, 50), P(20, 50), P(0, 0), P(0, 0), [true, false, false], true);
    assert.equal(lines.arrowHeads[0].visible(), true, 'the head follows its flag');
    var context = layer.getContext();
    context.clearTrace();
    layer.draw();
    var strokes = strokesIn(context.getTrace());
    assert.equal(strokes.length, 1, 'only the segment is stroked: ' + strokes.join(' | '));
    assert.ok(strokes[0].indexOf('moveTo(10,50);lineTo(20,50)') >= 0, strokes[0]);
});

test('a player\'s lines are solid', function () {
    var lines = fresh(P(0, 0), typeIsDashed('person'), 1);
    lines.setLines(P(10, 50), P(210, 50), P(0, 0), P(0, 0), [true, false, false], true);
    assert.equal(lines.lines[0].dashEnabled(), false);
    var context = layer.getContext();
    context.clearTrace();
    layer.draw();
    assert.ok(context.getTrace().indexOf('setLineDash') < 0, 'no dash set while drawing');
});

// ---- Dragging -------------------------------------------------------------

test('updateLinePos moves the shared current point and recomputes only the heads around it', function () {
    var lines = fresh();
    lines.setLines(P(10, 10), P(110, 10), P(110, 110), P(210, 110), [true, true, false], true);
    var head2 = lines.arrowHeads[2].points().slice();
    lines.updateLinePos(P(60, 200));
    assert.deepEqual(lines.lines[0].points(), [10, 10, 60, 200]);
    assert.deepEqual(lines.lines[1].points(), [60, 200, 110, 110]);
    assert.deepEqual(lines.lines[2].points(), [110, 110, 210, 110], 'segment 2 untouched');
    assert.deepEqual(lines.arrowHeads[2].points(), head2, 'head 2 untouched');
    assert.close(lines.arrowHeads[0].points()[2], 35, TOLERANCE, 'head 0 at the new midpoint');
    assert.close(lines.arrowHeads[0].points()[3], 105, TOLERANCE);
    assert.close(lines.arrowHeads[1].points()[2], 85, TOLERANCE, 'head 1 at the new midpoint');
    assert.close(lines.arrowHeads[1].points()[3], 155, TOLERANCE);
    assert.deepEqual(visibleFlags(lines.lines), [true, true, false], 'flags untouched');

    lines.updateLinePos(P(10, 15));
    assert.deepEqual(lines.arrowHeads[0].points(), [], 'dragged back close: the head goes');
});

// ---- Layer scale ------------------------------------------------------------

test('setScale changes dashes and arm length at once, drawn heads only at the next setLines', function () {
    var lines = fresh(P(0, 0), true, 1);
    lines.setLines(P(0, 0), P(100, 0), P(0, 0), P(0, 0), [true, false, false], true);
    var before = lines.arrowHeads[0].points().slice();
    lines.setScale(2);
    assert.equal(lines.headLen, 40);
    for (var i = 0; i < 3; i++) {
        assert.deepEqual(lines.lines[i].dash(), [20, 20], 'segment ' + i);
        assert.equal(lines.lines[i].strokeWidth(), 1, 'stroke stays 1');
    }
    assert.deepEqual(lines.arrowHeads[0].points(), before, 'the drawn head keeps its size');
    lines.setLines(P(0, 0), P(100, 0), P(0, 0), P(0, 0), [true, false, false], true);
    assert.close(armLength(lines.arrowHeads[0].points(), 0), 40, 1e-9, 'resized on the next setLines');
    assert.throws(function () { lines.setScale(0); }, /positive/);
});
