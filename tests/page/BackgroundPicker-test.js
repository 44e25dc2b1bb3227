// The background picker (BackgroundPicker.js): the darkened overlay with one
// thumbnail per view of the sport, their sizes and places, choosing one, and
// the page events around it. It runs on a real stage with a real background
// layer; where the animation layer matters a bare layer named "animLayer"
// with an aspect ratio stands in for it.

var container = document.createElement('div');
container.id = 'backgroundPickerTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'backgroundPickerTestStage', width: 1200, height: 600 });

var ALL_VIEWS = ['fullField', 'oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight', 'blank'];
var RUGBY_VIEWS = ['fullField', 'oneEnd', 'blank'];
// Covered stripe bands of each view: every second of 16, 9, 5, 4, 4, 6.
var STRIPES = { fullField: 8, oneEnd: 5, penaltyArea: 3, penaltyAreaLeft: 2, penaltyAreaRight: 2, blank: 3 };

// The sports take the top tenth; the thumbnails share the rest.
// 1200 x 600: row 60, then 1200 x 540: margin 27, h = (540 - 81) / 2 =
// 229.5, w = 306, which fits (1200 - 108) / 3 = 364, so the height limits;
// gaps 70.5 across, 27 down.
var WIDE = { width: 1200, height: 600, row: 60, w: 306, h: 229.5, gapX: 70.5, gapY: 27 };
// 800 x 600: w would be 306, more than (800 - 108) / 3 = 230.67, so the
// width limits: w = 692 / 3, h = w * 3 / 4 = 173; gaps 27 across, 194 / 3 down.
var NARROW = { width: 800, height: 600, row: 60, w: 692 / 3, h: 173, gapX: 27, gapY: 194 / 3 };

var events = [];
['disableControls', 'enableControls'].forEach(function (name) {
    document.addEventListener(name, function () {
        events.push(name);
    }, false);
});

// Empties the stage, sizes it, and gives it a background layer fitted to the
// whole stage (turned by `options.rotation`) showing `options.sport`, and,
// unless `options.noAnimLayer`, a stand-in animation layer above it.
// Returns the background layer with its setBackground calls recorded.
function setUp(size, options) {
    options = options || {};
    stage.destroyChildren();
    stage.width(size.width);
    stage.height(size.height);
    var rotated = options.rotation === 90;
    var bgLayer = BackgroundLayer(size.width / 2, size.height / 2, size.width, size.height,
        options.bgAspectRatio || 4 / 3);
    bgLayer.rotation(options.rotation || 0);
    stage.add(bgLayer);
    bgLayer.updateBounds(size.width / 2, size.height / 2, size.width, size.height, rotated);
    bgLayer.setBackground(options.sport || 'soccer', options.view || 'fullField',
        options.stripes !== false);
    if (!options.noAnimLayer) {
        var animLayer = new Kinetic.Layer({ name: 'animLayer', x: size.width / 2, y: size.height / 2 });
        animLayer.aspectRatio = options.animAspectRatio || 4 / 3;
        animLayer.rotation(options.rotation || 0);
        stage.add(animLayer);
    }
    stage.draw();

    bgLayer.calls = [];
    var setBackground = bgLayer.setBackground;
    bgLayer.setBackground = function (sport, view, stripes) {
        bgLayer.calls.push([sport, view, stripes]);
        events.push('setBackground');
        setBackground(sport, view, stripes);
    };
    events = [];
    return bgLayer;
}

function pickerLayers() {
    return stage.find('.bgPickerLayer').toArray();
}

function pickerLayer() {
    var layers = pickerLayers();
    assert.equal(layers.length, 1, 'one picker layer on the stage');
    return layers[0];
}

function thumbnails() {
    return pickerLayer().find('.bgThumbnail').toArray();
}

function open(size, options) {
    var bgLayer = setUp(size, options);
    BackgroundPicker(stage, (options && options.sport) || 'soccer');
    return bgLayer;
}

// On the stage.
function centreOf(thumbnail) {
    var clip = thumbnail.clip();
    var at = thumbnail.getAbsolutePosition();
    return { x: at.x + clip.width / 2, y: at.y + clip.height / 2 };
}

function sportButtons() {
    return pickerLayer().find('.bgSportButton').toArray();
}

function assertGrid(size, count) {
    var all = thumbnails();
    assert.equal(all.length, count, 'thumbnail count');
    all.forEach(function (thumbnail, i) {
        var row = Math.floor(i / 3);
        var column = i % 3;
        var what = 'thumbnail ' + i + ' ';
        assert.close(thumbnail.x(), size.gapX + column * (size.w + size.gapX), 1e-9, what + 'x');
        assert.close(thumbnail.y(), size.gapY + row * (size.h + size.gapY), 1e-9, what + 'y');
        assert.close(thumbnail.getAbsolutePosition().y, size.row + thumbnail.y(), 1e-9, what + 'below the sports');
        var ground = thumbnail.find('.ground')[0];
        assert.close(ground.width(), size.w, 1e-9, what + 'width');
        assert.close(ground.height(), size.h, 1e-9, what + 'height');
        var clip = thumbnail.clip();
        assert.deepEqual([clip.x, clip.y], [0, 0], what + 'clip corner');
        assert.close(clip.width, size.w, 1e-9, what + 'clip width');
        assert.close(clip.height, size.h, 1e-9, what + 'clip height');
    });
}

// The RGBA of the picker layer's own canvas at stage point (x, y).
function pixelAt(layer, x, y) {
    var canvas = layer.getCanvas();
    var ratio = canvas.getPixelRatio();
    var data = canvas.getContext()._context.getImageData(Math.round(x * ratio), Math.round(y * ratio), 1, 1).data;
    return [data[0], data[1], data[2], data[3]];
}

// ---- Opening --------------------------------------------------------------

test('soccer and Gaelic games show six thumbnails, two rows of three, in the views\' order', function () {
    ['soccer', 'gaa'].forEach(function (sport) {
        open(WIDE, { sport: sport });
        var all = thumbnails();
        assert.deepEqual(all.map(function (t) { return t.bgType; }), ALL_VIEWS, sport + ' order');
        assertGrid(WIDE, 6);
        all.forEach(function (thumbnail) {
            assert.equal(thumbnail.showStripes, true, sport + ' ' + thumbnail.bgType + ' remembers stripes on');
            assert.equal(thumbnail.find('.stripe').length, STRIPES[thumbnail.bgType],
                sport + ' ' + thumbnail.bgType + ' drawn with its stripes');
            assert.equal(thumbnail.find('.ground')[0].fill(), 'green', 'grass, not paper');
        });
    });
});

test('each thumbnail is the sport\'s own pitch in its view', function () {
    open(WIDE, { sport: 'soccer' });
    var soccer = thumbnails();
    assert.equal(soccer[0].find('.centreCircle').length, 1, 'soccer has a centre circle');
    assert.equal(soccer[0].find('.endBox').length, 0);
    assert.equal(soccer[5].find('.outline').length, 0, 'blank has no markings');

    open(WIDE, { sport: 'gaa' });
    var gaa = thumbnails();
    assert.equal(gaa[0].find('.endBox').length, 2, 'Gaelic games has end boxes');
    assert.equal(gaa[0].find('.centreCircle').length, 0);

    open(WIDE, { sport: 'rugby' });
    var rugby = thumbnails();
    assert.equal(rugby[0].find('.dashedLine').length, 2, 'rugby has dashed lines');
    assert.equal(rugby[0].find('.penaltyArea').length, 0);

    // The view's transform is applied for the thumbnail's own frame: oneEnd
    // turns the pitch to run down the frame, scaled by fw / fh * 0.95.
    var markings = rugby[1].find('.soccerMarkings')[0];
    assert.equal(markings.rotation(), 90);
    assert.close(markings.scaleX(), 4 / 3 * 0.95, 1e-9);
    assert.deepEqual([markings.x(), markings.y()], [WIDE.w / 2, WIDE.h / 2]);
});

test('rugby shows three thumbnails in the top row and leaves the bottom row empty', function () {
    open(WIDE, { sport: 'rugby' });
    assert.deepEqual(thumbnails().map(function (t) { return t.bgType; }), RUGBY_VIEWS);
    assertGrid(WIDE, 3);
});

test('a wide area: thumbnails limited by the height, with equal gaps left, between and right', function () {
    open(WIDE, { sport: 'gaa' });
    assertGrid(WIDE, 6);
    var all = thumbnails();
    var right = WIDE.width - (all[2].x() + WIDE.w);
    assert.close(all[0].x(), right, 1e-9, 'centred across');
    assert.close(all[1].x() - (all[0].x() + WIDE.w), all[0].x(), 1e-9, 'gap between = gap outside');
    assert.close(WIDE.height - WIDE.row - (all[3].y() + WIDE.h), all[0].y(), 1e-9, 'centred down');
});

test('a narrow area: thumbnails limited by the width', function () {
    open(NARROW, { sport: 'soccer' });
    assertGrid(NARROW, 6);
});

test('the aspect ratio is the animation layer\'s, or the background layer\'s while there is none', function () {
    // 1200 x 600 at 1.2: h = 229.5 fits, w = 275.4; gaps (1200 - 826.2) / 4 across.
    open(WIDE, { animAspectRatio: 1.2 });
    var all = thumbnails();
    assert.close(all[0].find('.ground')[0].width(), 275.4, 1e-9, 'animation layer\'s ratio');
    assert.close(all[0].x(), (1200 - 826.2) / 4, 1e-9);

    open(WIDE, { noAnimLayer: true, bgAspectRatio: 1.25 });
    assert.close(thumbnails()[0].find('.ground')[0].width(), 229.5 * 1.25, 1e-9,
        'background layer\'s ratio without an animation layer');
});

test('the overlay is a new top layer darkening the whole stage at 0.7', function () {
    open(NARROW);
    var layer = pickerLayer();
    var layers = stage.getChildren().toArray();
    assert.equal(layers[layers.length - 1], layer, 'on top of the stage');
    var shade = layer.getChildren()[0];
    assert.equal(shade.getClassName(), 'Rect');
    assert.deepEqual([shade.x(), shade.y(), shade.width(), shade.height()], [0, 0, 800, 600]);
    assert.equal(shade.fill(), 'black');
    assert.equal(shade.opacity(), 0.7);
    assert.equal(layer.getChildren().length, 5, 'the shade below the thumbnails and the three sports');
    assert.equal(layer.getChildren()[1].getChildren().length, 6, 'six thumbnails');
    var corner = pixelAt(layer, 5, 5);
    assert.deepEqual(corner.slice(0, 3), [0, 0, 0], 'drawn at once, black');
    assert.close(corner[3], 0.7 * 255, 1, 'at 0.7');
});

test('thumbnails are cut to their frames: nothing of the pitch shows in the gaps', function () {
    open(WIDE, { sport: 'soccer' });
    var layer = pickerLayer();
    var oneEnd = thumbnails()[1];
    // The oneEnd pitch runs on below its frame: its touch lines would cross
    // the gap under it.
    var below = oneEnd.getAbsolutePosition().y + WIDE.h + 3;
    function whiteBelow() {
        var found = 0;
        for (var x = oneEnd.x(); x < oneEnd.x() + WIDE.w; x += 1) {
            var p = pixelAt(layer, x, below);
            if (p[0] > 150 && p[1] > 150 && p[2] > 150) {
                found++;
            }
        }
        return found;
    }
    assert.equal(whiteBelow(), 0, 'only shade under the thumbnail');

    // The same drawing without its clip does reach there, so the check above
    // looks where it matters.
    oneEnd.clip({ x: 0, y: 0, width: 0, height: 0 });
    layer.draw();
    assert.ok(whiteBelow() > 0, 'an unclipped thumbnail spills into the gap');
});

test('opening raises disableControls once; opening again while open changes nothing', function () {
    open(WIDE);
    assert.deepEqual(events, ['disableControls']);
    BackgroundPicker(stage, 'soccer');
    assert.deepEqual(events, ['disableControls'], 'no second overlay');
    assert.equal(pickerLayers().length, 1);
});

test('misuse is refused before anything changes', function () {
    setUp(WIDE);
    assert.throws(function () { BackgroundPicker(null, 'soccer'); }, /stage/);
    assert.throws(function () { BackgroundPicker({}, 'soccer'); }, /stage/);
    assert.throws(function () { BackgroundPicker(stage, 'hockey'); }, /hockey/);
    assert.throws(function () { BackgroundPicker(stage); }, /sport/);
    stage.find('.bgLayer')[0].destroy();
    assert.throws(function () { BackgroundPicker(stage, 'soccer'); }, /bgLayer/);
    assert.deepEqual(events, [], 'no event raised');
    assert.equal(pickerLayers().length, 0, 'no overlay');
});

// ---- Choosing ---------------------------------------------------------------

test('clicking a thumbnail applies its view with stripes, enables the controls and closes', function () {
    var bgLayer = open(WIDE, { sport: 'gaa' });
    var target = thumbnails()[4];
    var at = centreOf(target);
    events = [];
    clickAt(stage, at.x, at.y);
    assert.deepEqual(bgLayer.calls, [['gaa', 'penaltyAreaRight', true]]);
    assert.deepEqual(events, ['setBackground', 'enableControls'], 'the view first, then the controls');
    assert.equal(pickerLayers().length, 0, 'overlay gone');
    assert.equal(bgLayer.sportType, 'gaa');
    assert.equal(bgLayer.bgType, 'penaltyAreaRight');
    assert.ok(!target.getStage(), 'thumbnails destroyed with it');
});

test('clicks near the corners of each thumbnail choose that thumbnail', function () {
    RUGBY_VIEWS.forEach(function (view, i) {
        var bgLayer = open(NARROW, { sport: 'rugby', view: 'blank' });
        var t = thumbnails()[i].getAbsolutePosition();
        var corner = (i % 2 === 0) ? { x: t.x + 2, y: t.y + 2 } :
            { x: t.x + NARROW.w - 2, y: t.y + NARROW.h - 2 };
        clickAt(stage, corner.x, corner.y);
        assert.deepEqual(bgLayer.calls, [['rugby', view, true]], view);
    });
});

test('choosing the view already shown without stripes draws it with stripes', function () {
    var bgLayer = open(WIDE, { sport: 'soccer', view: 'fullField', stripes: false });
    assert.equal(bgLayer.find('.stripe').length, 0, 'no stripes before');
    var at = centreOf(thumbnails()[0]);
    clickAt(stage, at.x, at.y);
    assert.deepEqual(bgLayer.calls, [['soccer', 'fullField', true]]);
    assert.equal(bgLayer.showStripes, true);
    assert.equal(bgLayer.find('.stripe').length, 8, 'striped now');
});

test('a tap chooses too, and a click after it changes nothing more', function () {
    var bgLayer = open(WIDE, { sport: 'soccer' });
    var target = thumbnails()[2];
    target.fire('tap');
    target.fire('click');
    assert.deepEqual(bgLayer.calls, [['soccer', 'penaltyArea', true]]);
    assert.deepEqual(events, ['disableControls', 'setBackground', 'enableControls']);
});

test('the three sports stand along the top, the one shown marked; choosing one shows its views', function () {
    var bgLayer = open(WIDE, { sport: 'gaa' });
    var buttons = sportButtons();
    assert.deepEqual(buttons.map(function (b) { return b.sport; }), ['gaa', 'soccer', 'rugby']);
    assert.deepEqual(buttons.map(function (b) { return b.marked; }), [true, false, false]);
    buttons.forEach(function (b, i) {
        assert.close(b.x(), i * 400, 1e-9, b.sport + ' across');
        assert.ok(b.find('.bgSportMark')[0].y() + b.find('.bgSportMark')[0].height() <= WIDE.row,
            b.sport + ' within the row');
    });
    clickAt(stage, 1000, WIDE.row / 2);
    assert.deepEqual(thumbnails().map(function (t) { return t.bgType; }), RUGBY_VIEWS, 'rugby\'s views');
    assert.deepEqual(sportButtons().map(function (b) { return b.marked; }), [false, false, true]);
    assert.deepEqual(bgLayer.calls, [], 'nothing chosen yet');
    assert.deepEqual(events, ['disableControls'], 'still open');

    var chosen = eventsRaisedDuring(['backgroundChosen'], function () {
        var at = centreOf(thumbnails()[1]);
        clickAt(stage, at.x, at.y);
    });
    assert.deepEqual(bgLayer.calls, [['rugby', 'oneEnd', true]]);
    assert.deepEqual(chosen, [['backgroundChosen', { sport: 'rugby', bgType: 'oneEnd' }]]);
    assert.equal(pickerLayers().length, 0, 'closed');
});

test('a click on the darkened area or closeOverlays leaves the overlay with nothing changed', function () {
    var points = [
        { x: WIDE.gapX / 2, y: WIDE.row + WIDE.gapY / 2 },                   // corner
        { x: WIDE.gapX + WIDE.w + WIDE.gapX / 2, y: 200 },                  // between columns
        { x: 600, y: WIDE.row + WIDE.gapY + WIDE.h + WIDE.gapY / 2 },        // between rows
        { x: 600, y: WIDE.row + 2 * WIDE.gapY + WIDE.h + WIDE.h / 2 },       // the empty bottom row
        null                                                                // Escape
    ];
    points.forEach(function (p) {
        var bgLayer = open(WIDE, { sport: 'rugby' });
        var chosen = eventsRaisedDuring(['backgroundChosen'], function () {
            if (p) {
                clickAt(stage, p.x, p.y);
            } else {
                myDispatchEvent('closeOverlays', {});
            }
        });
        var where = p ? JSON.stringify(p) : 'closeOverlays';
        assert.deepEqual(bgLayer.calls, [], where + ': no view set');
        assert.deepEqual(chosen, [], where + ': nothing chosen');
        assert.deepEqual(events, ['disableControls', 'enableControls'], where + ': controls back');
        assert.equal(pickerLayers().length, 0, where + ': closed');
    });
    myDispatchEvent('closeOverlays', {});
    assert.deepEqual(events, ['disableControls', 'enableControls'], 'a later closeOverlays does nothing');
});

// ---- Turned pitch -----------------------------------------------------------

test('with the pitch turned by 90 degrees the thumbnails stand upright; the choice turns with the pitch', function () {
    var bgLayer = open(WIDE, { sport: 'soccer', rotation: 90 });
    var all = thumbnails();
    assertGrid(WIDE, 6);
    all.forEach(function (thumbnail, i) {
        var m = thumbnail.getAbsoluteTransform().getMatrix();
        assert.deepEqual(m.slice(0, 4), [1, 0, 0, 1], 'thumbnail ' + i + ' unturned and unscaled');
        assert.close(m[4], thumbnail.x(), 1e-9);
        assert.close(m[5], WIDE.row + thumbnail.y(), 1e-9);
    });
    var at = centreOf(all[1]);
    clickAt(stage, at.x, at.y);
    assert.deepEqual(bgLayer.calls, [['soccer', 'oneEnd', true]]);
    assert.equal(bgLayer.rotation(), 90, 'the pitch stays turned');
    assert.equal(bgLayer.find('.soccerMarkings')[0].rotation(), 90, 'oneEnd drawn in the pitch layer');
});

// ---- Through the page shell -------------------------------------------------

test('chooseBackground opens the picker over the animation\'s stage for its sport; controls are deaf until a choice', function () {
    var bgLayer = setUp(WIDE, { sport: 'gaa' });
    var animLayer = stage.find('.animLayer')[0];
    var real = pageShell.animation;
    pageShell.animation = {
        stage: stage, sport: 'rugby', animLayer: animLayer, bgLayer: bgLayer,
        // Playing as far as the undo history goes: it takes no snapshot of
        // this stand-in.
        playbackManager: { isPlaying: true }
    };
    try {
        myDispatchEvent('chooseBackground', {});
        assert.deepEqual(thumbnails().map(function (t) { return t.bgType; }), RUGBY_VIEWS,
            'the animation\'s sport, not the pitch on show');
        assert.equal(bgLayer.listening(), false, 'background deaf');
        assert.equal(animLayer.listening(), false, 'animation deaf');
        assert.equal(pageShell.toolbar.layer.listening(), false, 'toolbar deaf');
        assert.equal(pageShell.timeline.layer.listening(), false, 'timeline deaf');

        var at = centreOf(thumbnails()[2]);
        clickAt(stage, at.x, at.y);
        assert.deepEqual(bgLayer.calls, [['rugby', 'blank', true]]);
        assert.equal(pickerLayers().length, 0);
        assert.equal(bgLayer.listening(), true, 'background listens again');
        assert.equal(animLayer.listening(), true, 'animation listens again');
        assert.equal(pageShell.toolbar.layer.listening(), true, 'toolbar listens again');
        assert.equal(pageShell.timeline.layer.listening(), true, 'timeline listens again');
    } finally {
        pageShell.animation = real;
        myDispatchEvent('enableControls', {});
    }
});
