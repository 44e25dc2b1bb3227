// The pitch background (BackgroundLayer.js): the layer's settings and
// children, the pitch geometry of the three sports in every view, stripes,
// print drawing, goals, grid and logo. Most tests fit the layer to a
// 640 x 480 frame, where one pitch unit is 6.4 pixels.

var container = document.createElement('div');
container.id = 'backgroundLayerTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'backgroundLayerTestStage', width: 800, height: 600 });

var FW = 640;
var FH = 480;
var U = FW / 100;
var LINE = FW / 150;
var GOAL_SCALE = 7.32 * U / 156;
var ALL_VIEWS = ['fullField', 'oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight', 'blank'];

// A layer on the stage, fitted to 640 x 480 and centred at (400, 300);
// `setup` may change its settings before the fit draws it. The stage's
// other layers are destroyed unless `keep` is set.
function freshLayer(setup, keep) {
    if (!keep) {
        stage.destroyChildren();
    }
    var layer = BackgroundLayer(400, 300, 800, 600, 4 / 3);
    stage.add(layer);
    if (setup) {
        setup(layer);
    }
    layer.updateBounds(400, 300, FW, FH, false);
    return layer;
}

function pitch(sport, view, options) {
    options = options || {};
    return freshLayer(function (layer) {
        layer.sportType = sport;
        layer.bgType = view;
        layer.showStripes = options.stripes !== false;
        layer.drawForPrint = !!options.print;
    }, options.keep);
}

function only(nodes, what) {
    assert.equal(nodes.length, 1, 'exactly one ' + what);
    return nodes[0];
}

function names(nodes) {
    return nodes.map(function (node) { return node.name(); });
}

function markingsOf(layer) {
    return only(layer.find('.soccerMarkings'), 'markings group');
}

function named(layer, name) {
    return markingsOf(layer).find('.' + name).toArray();
}

function stripesOf(layer) {
    return layer.find('.stripe').toArray();
}

function groundOf(layer) {
    return only(layer.find('.ground'), 'ground');
}

function sortBy(nodes, key) {
    return nodes.slice().sort(function (a, b) { return key(a) - key(b); });
}

// Where a point of the drawing (in pitch units from the pitch centre) lands
// in the frame, in frame pixels.
function inFrame(layer, xU, yU) {
    return markingsOf(layer).getTransform().point({ x: xU * U, y: yU * U });
}

function assertPoint(actual, x, y, tolerance, message) {
    assert.close(actual.x, x, tolerance, message + ' (x)');
    assert.close(actual.y, y, tolerance, message + ' (y)');
}

function goalsOf(layer) {
    return named(layer, 'goal');
}

// Waits until the layer's two goal pictures are in its markings group.
function whenGoalsLoaded(layer, done, then) {
    waitFor('the goal pictures', function () { return goalsOf(layer).length === 2; }, done, then);
}

function logoOf(layer) {
    return layer.find('.logoImage').toArray();
}

function whenLogoLoaded(layer, done, then) {
    waitFor('the logo picture', function () { return logoOf(layer).length === 1; }, done, then);
}

function endsWith(text, tail) {
    return text.slice(-tail.length) === tail;
}

// A small square picture as a PNG data URL, as a user's logo arrives.
function pictureDataUrl(color) {
    var canvas = document.createElement('canvas');
    canvas.width = 16;
    canvas.height = 16;
    var context = canvas.getContext('2d');
    context.fillStyle = color;
    context.fillRect(0, 0, 16, 16);
    return canvas.toDataURL('image/png');
}

// ---- Creation and settings --------------------------------------------------

test('a new layer is named "bgLayer" at the origin with the initial settings', function () {
    stage.destroyChildren();
    var layer = BackgroundLayer(400, 300, 800, 600, 4 / 3);
    assert.equal(layer.nodeType, 'Layer');
    assert.equal(layer.name(), 'bgLayer');
    assert.deepEqual([layer.x(), layer.y(), layer.offsetX(), layer.offsetY()], [0, 0, 0, 0]);
    assert.deepEqual([layer.layerWidth, layer.layerHeight], [0, 0], 'no size before updateBounds');
    assert.equal(layer.sportType, 'gaa');
    assert.equal(layer.bgType, 'fullField');
    assert.equal(layer.showStripes, true);
    assert.equal(layer.drawForPrint, false);
    assert.equal(layer.aspectRatio, 4 / 3);
    assert.equal(layer.logoImage, 'logos/ovri256x256.png');
    assert.equal(layer.doShowLogo, false);
    assert.equal(layer.gridVisibility(), false, 'the grid starts hidden');
    assert.deepEqual(names(layer.getChildren().toArray()), ['bgGroup', 'logoGroup', 'grid'],
        'children exist from the start');
});

test('the views offered per sport are listed in the picker\'s order', function () {
    var layer = freshLayer();
    assert.deepEqual(layer.bgTypes.soccer, ALL_VIEWS);
    assert.deepEqual(layer.bgTypes.gaa, ALL_VIEWS);
    assert.deepEqual(layer.bgTypes.rugby, ['fullField', 'oneEnd', 'blank']);
    assert.deepEqual(Object.keys(layer.bgTypes).sort(), ['gaa', 'rugby', 'soccer']);
    layer.bgTypes.rugby.push('oneEnd');
    assert.deepEqual(freshLayer().bgTypes.rugby, ['fullField', 'oneEnd', 'blank'],
        'each layer has its own lists');
});

test('a layer without a positive aspect ratio is refused', function () {
    assert.throws(function () { BackgroundLayer(0, 0, 100, 100); }, /aspect ratio/);
    assert.throws(function () { BackgroundLayer(0, 0, 100, 100, 0); }, /aspect ratio/);
    assert.throws(function () { BackgroundLayer(0, 0, 100, 100, '4/3'); }, /aspect ratio/);
});

test('a new layer fitted to the stage shows a striped gaa full field with the grid hidden', function (done) {
    var layer = freshLayer();
    assert.deepEqual(names(layer.getChildren().toArray()), ['bgGroup', 'logoGroup', 'grid'],
        'children bottom to top');
    var bgGroup = layer.getChildren()[0];
    assert.deepEqual(names(bgGroup.getChildren().toArray()), ['grassGroup', 'soccerMarkings']);
    assert.equal(groundOf(layer).fill(), 'green');
    assert.equal(stripesOf(layer).length, 8, 'full field: 16 bands, every second covered');
    assert.equal(named(layer, 'endBox').length, 2, 'Gaelic games end boxes');
    assert.equal(named(layer, 'centreCircle').length, 0, 'no soccer centre circle');
    assert.equal(markingsOf(layer).rotation(), 0, 'full field is not turned');
    var grid = only(layer.find('.grid'), 'grid');
    assert.equal(grid.visible(), false);
    assert.equal(layer.gridVisibility(), false);
    var logoGroup = only(layer.find('.logoGroup'), 'logo group');
    assert.equal(logoGroup.listening(), false, 'the logo group ignores input');
    whenLogoLoaded(layer, done, function () {
        var logo = logoOf(layer)[0];
        assert.equal(logo.getParent(), logoGroup);
        assert.equal(logo.opacity(), 0, 'present but invisible');
        assert.ok(endsWith(logo.image().src, 'logos/ovri256x256.png'), 'the default logo');
        assert.equal(logo.image().naturalWidth, 256, 'the default logo picture is in the resources');
        done();
    });
});

test('updateBounds fits, centres and clips the layer, turned or not', function () {
    var layer = freshLayer();
    layer.updateBounds(500, 300, 1000, 600, false);
    assert.deepEqual([layer.layerWidth, layer.layerHeight], [800, 600], 'limited by the height');
    assert.deepEqual([layer.x(), layer.y()], [500, 300], 'stands at the centre');
    assert.deepEqual([layer.offsetX(), layer.offsetY()], [400, 300], 'turns about its own centre');
    assert.deepEqual(layer.clip(), { x: 0, y: 0, width: 800, height: 600 });
    assert.equal(groundOf(layer).width(), 800, 'redrawn at the new size');
    assert.equal(groundOf(layer).height(), 600);

    layer.updateBounds(500, 300, 1000, 600, true);
    assert.deepEqual([layer.layerWidth, layer.layerHeight], [600, 450],
        'turned: its own width runs down the screen');
    assert.deepEqual([layer.offsetX(), layer.offsetY()], [300, 225]);
    assert.deepEqual(layer.clip(), { x: 0, y: 0, width: 600, height: 450 });
    assert.equal(groundOf(layer).width(), 600);
});

test('setBackground, setDrawForPrint and setShowLogo store their values and redraw', function () {
    var layer = freshLayer();
    var before = layer.getChildren()[0];
    layer.setBackground('soccer', 'oneEnd', false);
    assert.deepEqual([layer.sportType, layer.bgType, layer.showStripes], ['soccer', 'oneEnd', false]);
    assert.notEqual(layer.getChildren()[0], before, 'a new bgGroup');
    assert.equal(named(layer, 'centreCircle').length, 1, 'now a soccer pitch');
    assert.equal(markingsOf(layer).rotation(), 90, 'in the one-end view');
    assert.equal(stripesOf(layer).length, 0, 'without stripes');

    layer.setDrawForPrint(true);
    assert.equal(layer.drawForPrint, true);
    assert.equal(groundOf(layer).fill(), 'white');
    layer.setDrawForPrint(false);
    assert.equal(groundOf(layer).fill(), 'green');

    layer.setShowLogo(true);
    assert.equal(layer.doShowLogo, true);
    // A logo picture loaded before is in place at once, shown.
    var logos = only(layer.find('.logoGroup'), 'logo group').getChildren().toArray();
    assert.ok(logos.length <= 1 && logos.every(function (logo) { return logo.opacity() > 0; }),
        'the logo group is rebuilt too, for a shown logo');

    assert.throws(function () { layer.setBackground('soccer'); }, /setBackground/);
    assert.throws(function () { layer.setBackground(null, 'blank', true); }, /setBackground/);
    assert.equal(layer.sportType, 'soccer', 'a refused call changes nothing');
});

// ---- Geometry shared by the sports ------------------------------------------

test('a 640-pixel layer: a unit is 6.4 pixels and lines are 4.27 pixels before the view scale', function () {
    ['soccer', 'gaa', 'rugby'].forEach(function (sport) {
        var layer = pitch(sport, 'fullField');
        var outline = only(named(layer, 'outline'), sport + ' outline');
        assert.close(outline.width(), 640, 1e-9, sport + ': 100 units long');
        assert.close(outline.height(), 448, 1e-9, sport + ': 70 units wide');
        assert.close(outline.x(), -320, 1e-9, sport + ': centred on the pitch centre');
        assert.close(outline.y(), -224, 1e-9);
        var stroked = markingsOf(layer).getChildren().toArray().filter(function (shape) { return !!shape.stroke(); });
        assert.ok(stroked.length > 5, sport + ': lines drawn');
        stroked.forEach(function (shape) {
            assert.close(shape.strokeWidth(), 4.2667, 1e-4, sport + ' ' + shape.name() + ' thickness');
        });
        var spot = only(named(layer, 'centreSpot'), sport + ' centre spot');
        assert.close(spot.radius(), 0.2 * U, 1e-9, sport + ' spot radius');
        assert.equal(spot.fill(), 'white', sport + ' spot is filled');
    });
});

test('each view places, scales, turns and offsets the markings', function () {
    var expected = {
        fullField: { scale: 0.95, rotation: 0, offsetX: 0, offsetY: 0 },
        oneEnd: { scale: 640 / 480 * 0.95, rotation: 90, offsetX: 480 - 640, offsetY: 0 },
        penaltyArea: { scale: 640 / 480 * 1.7, rotation: 90, offsetX: -240, offsetY: 0 },
        penaltyAreaLeft: { scale: 640 / 480 * 1.25, rotation: 90, offsetX: -200, offsetY: 640 / 14 },
        penaltyAreaRight: { scale: 640 / 480 * 1.25, rotation: 90, offsetX: -200, offsetY: -640 / 14 }
    };
    ['soccer', 'gaa', 'rugby'].forEach(function (sport) {
        Object.keys(expected).forEach(function (view) {
            var m = markingsOf(pitch(sport, view));
            var e = expected[view];
            var what = sport + ' ' + view;
            assert.deepEqual([m.x(), m.y()], [320, 240], what + ': at the frame centre');
            assert.close(m.scaleX(), e.scale, 1e-12, what + ' scale');
            assert.close(m.scaleY(), e.scale, 1e-12, what + ' scale');
            assert.equal(m.rotation(), e.rotation, what + ' rotation');
            assert.close(m.offsetX(), e.offsetX, 1e-12, what + ' offset x');
            assert.close(m.offsetY(), e.offsetY, 1e-12, what + ' offset y');
        });
    });
});

test('each view shows the part of the pitch it is meant to show', function () {
    // Points of the pitch that should land on the frame's edges.
    var full = pitch('soccer', 'fullField');
    assertPoint(inFrame(full, -50 - 2.63, -35 - 4.47), 0, 0, 0.5, 'full field: corner margins');

    var oneEnd = pitch('soccer', 'oneEnd');
    assert.close(inFrame(oneEnd, -54.6, 0).y, 0, 0.5, 'one end: 4.6 u beyond the left end line at the top');
    assert.close(inFrame(oneEnd, 4.6, 0).y, 480, 0.5, 'one end: 4.6 u past halfway at the bottom');
    assert.close(inFrame(oneEnd, 0, 35).x, 320 - 35 * U * 640 / 480 * 0.95, 1e-9,
        'one end: +y runs to the screen\'s left');
    assert.ok(inFrame(oneEnd, 0, 35).x > 0 && inFrame(oneEnd, 0, -35).x < 640, 'the full width');

    var area = pitch('soccer', 'penaltyArea');
    assert.close(inFrame(area, -54.04, 0).y, 0, 0.5, 'penalty area: 4 u beyond the end line');
    assert.close(inFrame(area, -20.96, 0).y, 480, 0.5, 'penalty area: 29 u in');
    assert.close(inFrame(area, 0, 22.06).x, 0, 0.5, 'penalty area: 22 u either side');
    assert.close(inFrame(area, 0, -22.06).x, 640, 0.5);

    var left = pitch('soccer', 'penaltyAreaLeft');
    assertPoint(inFrame(left, -53.75, 37.14), 0, 0, 0.5, 'left view: top left of the frame');
    assertPoint(inFrame(left, -8.75, -22.86), 640, 480, 0.5, 'left view: bottom right');

    var right = pitch('soccer', 'penaltyAreaRight');
    assertPoint(inFrame(right, -53.75, 22.86), 0, 0, 0.5, 'right view: top left of the frame');
    assertPoint(inFrame(right, -8.75, -37.14), 640, 480, 0.5, 'right view: bottom right');
});

test('stripes: bands along x for the full field, along y for the turned views', function () {
    var bands = {
        fullField: { across: true, n: 16 },
        oneEnd: { across: false, n: 9 },
        penaltyArea: { across: false, n: 5 },
        penaltyAreaLeft: { across: false, n: 4 },
        penaltyAreaRight: { across: false, n: 4 },
        blank: { across: true, n: 6 }
    };
    ALL_VIEWS.forEach(function (view) {
        var b = bands[view];
        var stripes = stripesOf(pitch('soccer', view));
        assert.equal(stripes.length, Math.ceil(b.n / 2), view + ': bands 0, 2, 4, ... covered');
        stripes.forEach(function (stripe, i) {
            var what = view + ' stripe ' + i;
            if (b.across) {
                assert.close(stripe.x(), 2 * i * FW / b.n, 1e-9, what + ' x');
                assert.equal(stripe.y(), 0, what + ' y');
                assert.close(stripe.width(), FW / b.n, 1e-9, what + ' width');
                assert.equal(stripe.height(), FH, what + ' height');
            } else {
                assert.equal(stripe.x(), 0, what + ' x');
                assert.close(stripe.y(), 2 * i * FH / b.n, 1e-9, what + ' y');
                assert.equal(stripe.width(), FW, what + ' width');
                assert.close(stripe.height(), FH / b.n, 1e-9, what + ' height');
            }
            assert.equal(stripe.fill(), 'white', what + ' colour');
            assert.equal(stripe.opacity(), 0.075, what + ' opacity');
        });
    });
});

test('stripes off: the plain ground alone', function () {
    ALL_VIEWS.forEach(function (view) {
        var layer = pitch('gaa', view, { stripes: false });
        var grass = only(layer.find('.grassGroup'), 'grass group');
        assert.equal(grass.getChildren().length, 1, view + ': the ground only');
        var ground = groundOf(layer);
        assert.deepEqual([ground.x(), ground.y(), ground.width(), ground.height()], [0, 0, FW, FH]);
        assert.equal(ground.fill(), 'green');
        assert.ok(!ground.stroke(), 'no frame on grass');
    });
});

test('blank: grass with six bands, three covered, and no lines or goals', function (done) {
    var blank = pitch('soccer', 'blank');
    var full = pitch('soccer', 'fullField', { keep: true });
    assert.equal(stripesOf(blank).length, 3);
    var markings = markingsOf(blank);
    assert.equal(markings.getChildren().length, 0, 'no markings');
    assert.deepEqual([markings.scaleX(), markings.rotation(), markings.offsetX(), markings.offsetY()],
        [1, 0, 0, 0], 'no view transform');

    // Once the full field's goals (started later) are in, the blank's would be too.
    whenGoalsLoaded(full, done, function () {
        assert.equal(markingsOf(blank).getChildren().length, 0, 'still no goals');
        done();
    });
});

test('a blank pitch draws no strokes at all', function () {
    var wasTracing = Kinetic.enableTrace;
    var traceMax = Kinetic.traceArrMax;
    Kinetic.enableTrace = true;
    Kinetic.traceArrMax = 100000;
    try {
        var layer = pitch('rugby', 'blank');
        layer.getContext().clearTrace();
        layer.draw();
        var trace = layer.getContext().getTrace();
        assert.ok(trace.indexOf('fillStyle=green') >= 0, 'the grass is painted');
        assert.ok(trace.indexOf('stroke()') < 0, 'nothing is stroked');

        var lined = pitch('rugby', 'fullField');
        lined.getContext().clearTrace();
        lined.draw();
        var linedTrace = lined.getContext().getTrace();
        assert.ok(linedTrace.indexOf('strokeStyle=white') >= 0, 'a marked pitch strokes white lines');
        assert.ok(/setLineDash\(\[?10,10\]?\)/.test(linedTrace), 'and dashes the rugby lines: ' +
            (linedTrace.match(/setLineDash[^;]*/) || ['none'])[0]);
    } finally {
        Kinetic.enableTrace = wasTracing;
        Kinetic.traceArrMax = traceMax;
    }
});

test('print: white ground in a black 1-pixel frame, black lines, black stripes', function () {
    ['soccer', 'gaa', 'rugby'].forEach(function (sport) {
        var layer = pitch(sport, 'fullField', { print: true });
        var ground = groundOf(layer);
        assert.equal(ground.fill(), 'white', sport + ' paper');
        assert.equal(ground.stroke(), 'black', sport + ' frame');
        assert.equal(ground.strokeWidth(), 1, sport + ' frame width');
        stripesOf(layer).forEach(function (stripe) {
            assert.equal(stripe.fill(), 'black', sport + ' stripe colour');
            assert.equal(stripe.opacity(), 0.075, sport + ' stripe opacity');
        });
        assert.equal(stripesOf(layer).length, 8);
        markingsOf(layer).getChildren().each(function (shape) {
            if (shape.stroke()) {
                assert.equal(shape.stroke(), 'black', sport + ' ' + shape.name());
            }
            if (shape.fill()) {
                assert.equal(shape.fill(), 'black', sport + ' ' + shape.name());
            }
        });
    });
    var grass = pitch('soccer', 'fullField');
    // The goals are pictures, in place at once when loaded before.
    markingsOf(grass).getChildren().each(function (shape) {
        if (shape.className !== 'Image') {
            assert.equal(shape.stroke() || shape.fill(), 'white', 'on grass: ' + shape.name());
        }
    });
});

test('the print drawing really paints black on white', function () {
    var wasTracing = Kinetic.enableTrace;
    var traceMax = Kinetic.traceArrMax;
    Kinetic.enableTrace = true;
    Kinetic.traceArrMax = 100000;
    try {
        var layer = pitch('soccer', 'penaltyArea', { print: true });
        layer.getContext().clearTrace();
        layer.draw();
        var trace = layer.getContext().getTrace();
        assert.ok(trace.indexOf('fillStyle=white') >= 0, 'white paper');
        assert.ok(trace.indexOf('strokeStyle=black') >= 0, 'black lines');
        assert.ok(trace.indexOf('lineWidth=1;') >= 0, 'a 1-pixel frame');
        assert.ok(trace.indexOf('strokeStyle=white') < 0, 'no white line');
        assert.ok(trace.indexOf('fillStyle=green') < 0, 'no grass');
    } finally {
        Kinetic.enableTrace = wasTracing;
        Kinetic.traceArrMax = traceMax;
    }
});

// ---- Soccer ----------------------------------------------------------------------

test('soccer: outline, halfway line, centre circle and spots', function () {
    var layer = pitch('soccer', 'fullField');
    var halfway = only(named(layer, 'halfwayLine'), 'halfway line');
    assert.deepEqual(halfway.points(), [0, -35 * U, 0, 35 * U]);
    var circle = only(named(layer, 'centreCircle'), 'centre circle');
    assert.close(circle.radius(), 9.15 * U, 1e-9);
    assert.deepEqual([circle.x(), circle.y()], [0, 0]);
    assert.ok(!circle.fill(), 'an outline only');
    var spots = sortBy(named(layer, 'penaltySpot'), function (s) { return s.x(); });
    assert.equal(spots.length, 2);
    assert.close(spots[0].x(), -39 * U, 1e-9, 'left spot 11 u from the end line');
    assert.close(spots[1].x(), 39 * U, 1e-9, 'right spot');
    spots.forEach(function (s) {
        assert.equal(s.y(), 0);
        assert.close(s.radius(), 0.2 * U, 1e-9);
    });
});

test('soccer: penalty and goal areas at each end line', function () {
    var layer = pitch('soccer', 'fullField');
    var areas = sortBy(named(layer, 'penaltyArea'), function (r) { return r.x(); });
    assert.equal(areas.length, 2);
    assert.close(areas[0].x(), -50 * U, 1e-9, 'left area on the end line');
    assert.close(areas[1].x() + areas[1].width(), 50 * U, 1e-9, 'right area on the end line');
    areas.forEach(function (r) {
        assert.close(r.width(), 16.5 * U, 1e-9, 'depth');
        assert.close(r.height(), 40.3 * U, 1e-9, 'width');
        assert.close(r.y(), -20.15 * U, 1e-9, 'centred across');
    });
    var goalAreas = sortBy(named(layer, 'goalArea'), function (r) { return r.x(); });
    assert.equal(goalAreas.length, 2);
    assert.close(goalAreas[0].x(), -50 * U, 1e-9);
    assert.close(goalAreas[1].x() + goalAreas[1].width(), 50 * U, 1e-9);
    goalAreas.forEach(function (r) {
        assert.close(r.width(), 5.5 * U, 1e-9);
        assert.close(r.height(), 18.32 * U, 1e-9);
        assert.close(r.y(), -9.16 * U, 1e-9);
    });
});

test('soccer: the penalty arcs are the part of the 9.15 u circle outside the area', function () {
    var layer = pitch('soccer', 'fullField');
    var arcs = sortBy(named(layer, 'penaltyArc'), function (a) { return a.x(); });
    assert.equal(arcs.length, 2);
    var a = Math.acos(5.5 / 9.15) * 180 / Math.PI;
    assert.close(a, 53.05, 0.01, 'half-angle');
    assert.close(arcs[0].rotation(), -a, 1e-9, 'left arc starts at -a');
    assert.close(arcs[1].rotation(), 180 - a, 1e-9, 'right arc starts at 180 - a');
    arcs.forEach(function (arc, i) {
        var what = i === 0 ? 'left' : 'right';
        assert.close(arc.angle(), 2 * a, 1e-9, what + ' sweep');
        assert.close(arc.innerRadius(), 9.15 * U, 1e-9, what + ' inner radius');
        assert.close(arc.outerRadius(), 9.15 * U, 1e-9, what + ' outer radius');
        assert.equal(arc.clockwise(), false, what + ': drawn clockwise on screen');
        // Both ends of the arc meet the penalty area's front line.
        [arc.rotation(), arc.rotation() + arc.angle()].forEach(function (deg) {
            var x = arc.x() + 9.15 * U * Math.cos(deg * Math.PI / 180);
            assert.close(Math.abs(x), 33.5 * U, 1e-9, what + ' end on the area line');
        });
        // Its middle lies towards the pitch centre.
        var mid = arc.rotation() + arc.angle() / 2;
        var midX = arc.x() + 9.15 * U * Math.cos(mid * Math.PI / 180);
        assert.ok(Math.abs(midX) < 33.5 * U, what + ' arc lies outside the area');
    });
    assert.close(arcs[0].x(), -39 * U, 1e-9, 'about the left penalty spot');
    assert.close(arcs[1].x(), 39 * U, 1e-9, 'about the right penalty spot');
});

test('soccer: corner arcs sweep a quarter turn into the pitch', function () {
    var layer = pitch('soccer', 'fullField');
    var arcs = named(layer, 'cornerArc');
    assert.equal(arcs.length, 4);
    var expected = [
        { x: -50, y: -35, start: 0 }, { x: 50, y: -35, start: 90 },
        { x: 50, y: 35, start: 180 }, { x: -50, y: 35, start: 270 }
    ];
    expected.forEach(function (e) {
        var arc = arcs.filter(function (a) {
            return Math.abs(a.x() - e.x * U) < 1e-9 && Math.abs(a.y() - e.y * U) < 1e-9;
        });
        assert.equal(arc.length, 1, 'an arc at (' + e.x + ', ' + e.y + ')');
        assert.equal(arc[0].rotation(), e.start, 'start at (' + e.x + ', ' + e.y + ')');
        assert.equal(arc[0].angle(), 90);
        assert.close(arc[0].innerRadius(), 2 * U, 1e-9);
        assert.close(arc[0].outerRadius(), 2 * U, 1e-9);
        // The middle of the sweep points into the pitch.
        var mid = (e.start + 45) * Math.PI / 180;
        var inward = { x: e.x + 2 * Math.cos(mid), y: e.y + 2 * Math.sin(mid) };
        assert.ok(Math.abs(inward.x) < 50 && Math.abs(inward.y) < 35, 'inward at ' + e.start);
    });
});

test('soccer: eight corner marks, 0.5 u long, outside the outline, 9.15 u from a corner', function () {
    var layer = pitch('soccer', 'fullField');
    var marks = named(layer, 'cornerMark');
    // A mark begun on the line itself would vanish under the line's
    // thickness: it starts where the outline's stroke ends.
    var clear = LINE / 2 / U - 1e-9;
    assert.equal(marks.length, 8);
    var onTouchLines = 0;
    var onEndLines = 0;
    marks.forEach(function (mark) {
        var p = mark.points().map(function (v) { return v / U; });
        assert.close(Math.sqrt(Math.pow(p[2] - p[0], 2) + Math.pow(p[3] - p[1], 2)), 0.5, 1e-9, 'length');
        if (p[0] === p[2]) {
            // Square to a touch line.
            onTouchLines++;
            assert.close(50 - Math.abs(p[0]), 9.15, 1e-9, 'from the corner along the touch line');
            assert.ok(Math.min(Math.abs(p[1]), Math.abs(p[3])) >= 35 + clear, 'outside the touch line');
        } else {
            assert.equal(p[1], p[3], 'square to an end line');
            onEndLines++;
            assert.close(35 - Math.abs(p[1]), 9.15, 1e-9, 'from the corner along the end line');
            assert.ok(Math.min(Math.abs(p[0]), Math.abs(p[2])) >= 50 + clear, 'outside the end line');
        }
    });
    assert.deepEqual([onTouchLines, onEndLines], [4, 4]);
});

// ---- Gaelic games and rugby ----------------------------------------------------------

test('gaa: centre line, end boxes, goal areas, lines across and arcs', function () {
    var layer = pitch('gaa', 'fullField');
    var centre = only(named(layer, 'centreLine'), 'centre line');
    assert.deepEqual(centre.points().map(function (v) { return v / U; }), [0, -70 / 12, 0, 70 / 12]);

    var boxes = sortBy(named(layer, 'endBox'), function (r) { return r.x(); });
    assert.equal(boxes.length, 2);
    assert.close(boxes[0].x(), -50 * U, 1e-9);
    assert.close(boxes[1].x() + boxes[1].width(), 50 * U, 1e-9);
    boxes.forEach(function (r) {
        assert.close(r.width(), 12.5 * U, 1e-9);
        assert.close(r.height(), 25.3 * U, 1e-9);
    });
    assert.equal(named(layer, 'goalArea').length, 2);

    var across = named(layer, 'lineAcross').map(function (l) {
        var p = l.points();
        assert.equal(p[0], p[2], 'straight across');
        assert.deepEqual([p[1], p[3]], [-35 * U, 35 * U], 'touch line to touch line');
        return p[0] / U;
    }).sort(function (a, b) { return a - b; });
    var expected = [3, 16.5, 100 / 2.672, 100 / 3];
    expected = expected.map(function (x) { return -x; }).concat(expected).sort(function (a, b) { return a - b; });
    assert.equal(across.length, 8);
    across.forEach(function (x, i) { assert.close(x, expected[i], 1e-9, 'line ' + i); });

    var arcs = sortBy(named(layer, 'arc'), function (a) { return a.x(); });
    var a = Math.acos(1.5 / 8.15) * 180 / Math.PI;
    assert.close(a, 79.39, 0.01, 'half-angle');
    assert.equal(arcs.length, 2);
    assert.close(arcs[0].x(), -100 / 2.85 * U, 1e-9);
    assert.close(arcs[1].x(), 100 / 2.85 * U, 1e-9);
    assert.close(arcs[0].rotation(), -a, 1e-9);
    assert.close(arcs[1].rotation(), 180 - a, 1e-9);
    arcs.forEach(function (arc) {
        assert.close(arc.angle(), 2 * a, 1e-9);
        assert.close(arc.innerRadius(), 8.15 * U, 1e-9);
        assert.close(arc.outerRadius(), 8.15 * U, 1e-9);
    });

    ['centreCircle', 'penaltySpot', 'cornerArc', 'cornerMark', 'penaltyArea'].forEach(function (name) {
        assert.equal(named(layer, name).length, 0, 'no ' + name);
    });
});

test('rugby: dashed lines, try lines at 40 u, lines across and no soccer markings', function () {
    var layer = pitch('rugby', 'fullField');
    var dashed = sortBy(named(layer, 'dashedLine'), function (l) { return l.points()[1]; });
    assert.equal(dashed.length, 2);
    assert.deepEqual(dashed[0].points().map(function (v) { return v / U; }), [-40, -25, 40, -25]);
    assert.deepEqual(dashed[1].points().map(function (v) { return v / U; }), [-40, 25, 40, 25]);
    dashed.forEach(function (l) { assert.deepEqual(l.dash(), [10, 10]); });

    var tryLines = only(named(layer, 'tryLines'), 'inner rectangle');
    assert.close(tryLines.x(), -40 * U, 1e-9, 'left try line');
    assert.close(tryLines.x() + tryLines.width(), 40 * U, 1e-9, 'right try line');
    assert.close(tryLines.height(), 70 * U, 1e-9, 'the full width');
    assert.equal(named(layer, 'outline').length, 1, 'dead-ball and touch lines');

    var across = named(layer, 'lineAcross').map(function (l) { return l.points()[0] / U; })
        .sort(function (a, b) { return a - b; });
    assert.deepEqual(across, [-20, 0, 20]);
    assert.equal(named(layer, 'centreSpot').length, 1);

    ['centreCircle', 'penaltyArea', 'goalArea', 'penaltySpot', 'cornerArc', 'cornerMark', 'endBox']
        .forEach(function (name) {
            assert.equal(named(layer, name).length, 0, 'no ' + name);
        });
});

test('rugby in a penalty-area view uses the same transform as the other sports', function () {
    var rugby = markingsOf(pitch('rugby', 'penaltyArea'));
    var soccer = markingsOf(pitch('soccer', 'penaltyArea', { keep: true }));
    assert.deepEqual(rugby.getTransform().getMatrix(), soccer.getTransform().getMatrix());
    assert.ok(rugby.getChildren().length > 0, 'with its markings');
});

// ---- Goals ---------------------------------------------------------------------------

test('soccer goals: two pictures just outside the end lines, mouth on the goal line', function (done) {
    var layer = pitch('soccer', 'fullField');
    whenGoalsLoaded(layer, done, function () {
        var goals = sortBy(goalsOf(layer), function (g) { return g.x(); });
        goals.forEach(function (g) {
            assert.ok(endsWith(g.image().src, 'backgrounds/goalLeft.png'), 'grass picture');
            assert.ok(g.image().naturalWidth > 0, 'the picture loaded');
            assert.deepEqual([g.width(), g.height()], [59, 256], 'drawn as 59 x 256');
            assert.close(g.scaleX(), GOAL_SCALE, 1e-12);
            assert.close(g.scaleY(), GOAL_SCALE, 1e-12);
        });
        var left = goals[0];
        var right = goals[1];
        assert.equal(left.rotation(), 0);
        assert.close(left.x(), -50 * U - 59 * GOAL_SCALE, 1e-9, 'left goal outside the end line');
        assert.close(left.y(), -128 * GOAL_SCALE, 1e-9, 'centred on the long axis');
        assert.close(left.x() + 59 * GOAL_SCALE, -50 * U, 1e-9, 'its right edge on the end line');
        assert.close((256 - 100) * GOAL_SCALE, 7.32 * U, 1e-9, 'the mouth spans 7.32 u');
        assert.equal(right.rotation(), 180, 'the right goal is turned half round');
        assert.close(right.x(), 50 * U + 59 * GOAL_SCALE, 1e-9);
        assert.close(right.y(), 128 * GOAL_SCALE, 1e-9);
        done();
    });
});

test('rugby and gaa posts stretched to 150 and 59 wide, on the try and end lines', function (done) {
    var rugby = pitch('rugby', 'fullField');
    var gaa = pitch('gaa', 'fullField', { keep: true });
    whenGoalsLoaded(rugby, done, function () {
        whenGoalsLoaded(gaa, done, function () {
            var r = sortBy(goalsOf(rugby), function (g) { return g.x(); });
            r.forEach(function (g) {
                assert.ok(endsWith(g.image().src, 'backgrounds/rugbyGoal.png'));
                assert.deepEqual([g.width(), g.height()], [150, 256]);
            });
            assert.close(r[0].x(), -40 * U - 150 * GOAL_SCALE, 1e-9, 'left posts outside the try line');
            assert.close(r[0].y(), -128 * GOAL_SCALE, 1e-9);
            assert.close(r[1].x(), 40 * U + 150 * GOAL_SCALE, 1e-9);
            assert.equal(r[1].rotation(), 180);

            var g = sortBy(goalsOf(gaa), function (n) { return n.x(); });
            g.forEach(function (n) {
                assert.ok(endsWith(n.image().src, 'backgrounds/rugbyGoal.png'));
                assert.deepEqual([n.width(), n.height()], [59, 256]);
            });
            assert.close(g[0].x(), -50 * U - 59 * GOAL_SCALE, 1e-9, 'left posts outside the end line');
            assert.close(g[1].x(), 50 * U + 59 * GOAL_SCALE, 1e-9);
            assert.equal(g[1].rotation(), 180);
            done();
        });
    });
});

test('print pitches use the print goal pictures', function (done) {
    var soccer = pitch('soccer', 'oneEnd', { print: true });
    var rugby = pitch('rugby', 'oneEnd', { print: true, keep: true });
    whenGoalsLoaded(soccer, done, function () {
        whenGoalsLoaded(rugby, done, function () {
            goalsOf(soccer).forEach(function (g) {
                assert.ok(endsWith(g.image().src, 'backgrounds/goalLeftForPrint.png'), g.image().src);
                assert.ok(g.image().naturalWidth > 0, 'the print picture loaded');
            });
            goalsOf(rugby).forEach(function (g) {
                assert.ok(endsWith(g.image().src, 'backgrounds/rugbyGoalForPrint.png'), g.image().src);
                assert.ok(g.image().naturalWidth > 0, 'the print picture loaded');
            });
            done();
        });
    });
});

test('the pitch-drawing operations build a detached bgGroup for any frame', function (done) {
    var layer = freshLayer();
    var children = layer.getChildren().toArray();
    var thumb = layer.drawSoccerField(300, 225, 'penaltyArea', true, false);
    assert.equal(thumb.name(), 'bgGroup');
    assert.ok(!thumb.getParent(), 'added nowhere');
    assert.deepEqual(layer.getChildren().toArray(), children, 'the layer is untouched');
    var ground = only(thumb.find('.ground'), 'ground');
    assert.deepEqual([ground.width(), ground.height()], [300, 225]);
    var m = only(thumb.find('.soccerMarkings'), 'markings');
    assert.close(m.scaleX(), 300 / 225 * 1.7, 1e-12, 'the view scale of the thumbnail frame');
    assert.close(only(m.find('.outline'), 'outline').width(), 300, 1e-9, '100 units across the frame');
    assert.close(only(m.find('.outline'), 'outline').strokeWidth(), 2, 1e-12, 'lines a 150th of the frame');
    assert.equal(layer.drawRugbyField(200, 150, 'fullField', false, true).find('.tryLines').length, 1);
    assert.equal(layer.drawGAAField(200, 150, 'oneEnd', true, false).find('.endBox').length, 2);

    assert.throws(function () { layer.drawGAAField('200', 150, 'oneEnd', true, false); }, /drawGAAField/);
    assert.throws(function () { layer.drawSoccerField(200, 150); }, /drawSoccerField/);

    // A thumbnail on a layer of its own gets its goals there.
    var pickerLayer = new Kinetic.Layer();
    stage.add(pickerLayer);
    pickerLayer.add(thumb);
    waitFor('the thumbnail goals', function () { return thumb.find('.goal').length === 2; }, done, function () {
        assert.close(thumb.find('.goal')[0].scaleX(), 7.32 * 3 / 156, 1e-12, 'scaled to the thumbnail');
        done();
    });
});

// ---- Grid ----------------------------------------------------------------------------

test('the grid: 64 vertical and 48 horizontal black lines for 640 x 480', function () {
    var layer = freshLayer();
    var grid = only(layer.find('.grid'), 'grid');
    assert.equal(grid.listening(), false, 'the grid ignores input');
    var lines = grid.getChildren().toArray();
    assert.equal(lines.length, 112);
    var vertical = lines.filter(function (l) { return l.points()[0] === l.points()[2]; });
    var horizontal = lines.filter(function (l) { return l.points()[1] === l.points()[3]; });
    assert.equal(vertical.length, 64);
    assert.equal(horizontal.length, 48);
    vertical.forEach(function (l, i) {
        assert.deepEqual(l.points(), [i * 10, 0, i * 10, FH], 'vertical ' + i);
        assert.equal(l.strokeWidth(), i * 10 % 50 === 0 ? 0.5 : 0.2, 'vertical ' + i + ' thickness');
    });
    horizontal.forEach(function (l, i) {
        assert.deepEqual(l.points(), [0, i * 10, FW, i * 10], 'horizontal ' + i);
        assert.equal(l.strokeWidth(), i * 10 % 50 === 0 ? 0.5 : 0.2, 'horizontal ' + i + ' thickness');
    });
    lines.forEach(function (l) {
        assert.equal(l.stroke(), 'black');
        assert.equal(l.lineCap(), 'round');
        assert.equal(l.lineJoin(), 'round');
    });
    assert.ok(!layer.drawGridLines().getParent(), 'drawGridLines builds a detached grid');
});

test('the grid lies on top and does not block the pitch below from the pointer', function () {
    var layer = freshLayer();
    layer.showGrid(true);
    layer.draw();
    assert.equal(layer.getChildren()[2].name(), 'grid', 'the top child');
    // Stage point (400, 300) is the layer centre, on a grid line (x = 320).
    var hit = layer.getIntersection({ x: 400, y: 300 });
    assert.ok(hit, 'something is hit');
    assert.notEqual(hit.name(), 'gridLine');
    assert.notEqual(hit.name(), 'logoImage');
});

test('showGrid shows and hides; the setting survives view changes, resizes and logo changes', function () {
    var layer = freshLayer();
    layer.showGrid(true);
    assert.equal(layer.gridVisibility(), true);
    assert.equal(only(layer.find('.grid'), 'grid').visible(), true);

    layer.setBackground('soccer', 'penaltyArea', true);
    assert.equal(layer.gridVisibility(), true, 'after a view change');
    layer.updateBounds(400, 300, 800, 600, false);
    assert.equal(layer.gridVisibility(), true, 'after a resize');
    var grid = only(layer.find('.grid'), 'grid');
    assert.equal(grid.getChildren().length, 80 + 60, 'rebuilt for 800 x 600');
    layer.setDrawForPrint(true);
    layer.setShowLogo(true);
    assert.equal(layer.gridVisibility(), true, 'after print and logo changes');

    layer.showGrid(false);
    assert.equal(layer.gridVisibility(), false);
    layer.setBackground('gaa', 'blank', false);
    assert.equal(layer.gridVisibility(), false, 'hidden stays hidden');
});

// ---- Logo -------------------------------------------------------------------------

test('the logo: 19/20 of the shorter side, centred, faint when shown, not listening', function (done) {
    var layer = freshLayer(function (l) { l.doShowLogo = true; });
    whenLogoLoaded(layer, done, function () {
        var logo = logoOf(layer)[0];
        assert.close(logo.width(), 456, 1e-9, '480 less a twentieth');
        assert.close(logo.height(), 456, 1e-9);
        assert.deepEqual([logo.x(), logo.y()], [320, 240], 'at the layer centre');
        assert.deepEqual([logo.offsetX(), logo.offsetY()], [228, 228], 'anchored at its own centre');
        assert.equal(logo.opacity(), 0.2);
        assert.equal(logo.listening(), false);
        assert.equal(logo.rotation(), 0);
        layer.setShowLogo(false);
        whenLogoLoaded(layer, done, function () {
            assert.equal(logoOf(layer)[0].opacity(), 0, 'hidden: transparent but present');
            done();
        });
    });
});

test('the logo stays upright and centred when the layer is turned', function (done) {
    var layer = freshLayer(function (l) { l.doShowLogo = true; });
    layer.rotation(90);
    layer.updateBounds(400, 300, 800, 600, true);
    whenLogoLoaded(layer, done, function () {
        var logo = logoOf(layer)[0];
        assert.equal(logo.rotation(), -90, 'turned back against the layer');
        assert.equal(layer.rotation() + logo.rotation(), 0, 'upright on screen');
        var side = 450 - 450 / 20;
        assert.close(logo.width(), side, 1e-9, 'from the shorter side, 600 x 450');
        var centre = logo.getAbsolutePosition();
        assertPoint(centre, 400, 300, 1e-9, 'at the stage centre');
        done();
    });
});

test('setLogoImage replaces the logo alone', function (done) {
    var layer = freshLayer(function (l) { l.doShowLogo = true; });
    var red = pictureDataUrl('red');
    whenLogoLoaded(layer, done, function () {
        var bgGroup = layer.getChildren()[0];
        var grid = layer.getChildren()[2];
        var logoGroup = layer.getChildren()[1];
        layer.setLogoImage(red);
        assert.equal(layer.logoImage, red);
        assert.equal(logoGroup.getChildren().length, 0, 'the old logo is gone at once');
        waitFor('the new logo', function () { return logoOf(layer).length === 1; }, done, function () {
            var logo = logoOf(layer)[0];
            assert.equal(logo.image().src, red, 'the new picture');
            assert.equal(logo.getParent(), logoGroup, 'in the same logo group');
            assert.equal(logo.opacity(), 0.2, 'shown as before');
            assert.close(logo.width(), 456, 1e-9);
            assert.equal(layer.getChildren()[0], bgGroup, 'the pitch is not rebuilt');
            assert.equal(layer.getChildren()[2], grid, 'the grid is not rebuilt');
            assert.throws(function () { layer.setLogoImage(''); }, /setLogoImage/);
            assert.throws(function () { layer.setLogoImage(null); }, /setLogoImage/);
            assert.equal(layer.logoImage, red, 'a refused logo changes nothing');
            done();
        });
    });
});

test('a logo asked for later wins over one still loading', function (done) {
    var layer = freshLayer();
    var blue = pictureDataUrl('blue');
    var green = pictureDataUrl('lime');
    layer.setLogoImage(blue);
    layer.setLogoImage(green);
    waitFor('a logo', function () { return logoOf(layer).length > 0; }, done, function () {
        window.setTimeout(done.step(function () {
            var logos = logoOf(layer);
            assert.equal(logos.length, 1, 'one logo');
            assert.equal(logos[0].image().src, green);
            done();
        }), 100);
    });
});

test('a picture that does not load leaves the logo out and nothing else', function (done) {
    var layer = freshLayer();
    layer.setLogoImage('logos/noSuchLogo.png');
    window.setTimeout(done.step(function () {
        assert.equal(logoOf(layer).length, 0, 'no logo');
        assert.deepEqual(names(layer.getChildren().toArray()), ['bgGroup', 'logoGroup', 'grid']);
        done();
    }), 300);
});

// ---- A sport without a pitch ---------------------------------------------------------

test('an unknown sport shows the view\'s ground and stripes, with grid and logo', function (done) {
    var layer = pitch('hockey', 'oneEnd');
    assert.deepEqual(names(layer.getChildren().toArray()), ['bgGroup', 'logoGroup', 'grid']);
    assert.equal(groundOf(layer).fill(), 'green');
    assert.equal(stripesOf(layer).length, 5, 'the one-end view\'s stripes');
    assert.equal(markingsOf(layer).getChildren().length, 0, 'no markings');
    assert.equal(layer.find('.gridLine').length, 112, 'a full grid');
    layer.showGrid(true);
    assert.equal(layer.gridVisibility(), true);
    layer.setDrawForPrint(true);
    assert.equal(groundOf(layer).fill(), 'white', 'printable too');
    assert.equal(layer.gridVisibility(), true);
    whenLogoLoaded(layer, done, function () {
        assert.equal(logoOf(layer)[0].opacity(), 0);
        done();
    });
});

test('an unknown view is drawn as blank', function () {
    var layer = pitch('soccer', 'corner');
    assert.equal(stripesOf(layer).length, 3, 'blank\'s six bands');
    assert.equal(markingsOf(layer).getChildren().length, 0, 'no markings');
    assert.equal(layer.bgType, 'corner', 'the setting itself is kept as given');
});
