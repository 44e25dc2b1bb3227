// Drawings on the pitch (DrawingModel.js, DrawingLayer.js): the file's "drawings" member saved and
// opened exactly, refused whole when malformed, spans following frames added and removed, undo and
// redo, the fade during playback, and the drawings' pixels in export pictures on grass, in print and
// on a turned pitch.

function drawing(kind, style, color, points, first, last, extra) {
    var d = { kind: kind, style: style, color: color, fill: 0, rotation: 0,
        points: points.map(function (p) { return { x: p[0], y: p[1] }; }), first: first, last: last, text: '' };
    Object.keys(extra || {}).forEach(function (key) { d[key] = extra[key]; });
    return d;
}

// One drawing of every kind and style, in a drill of three frames.
var EVERY_KIND = [
    drawing('pass', 'straight', 'white', [[0.1, 0.1], [0.4, 0.2]], 0, 0),
    drawing('pass', 'curved', 'yellow', [[0.1, 0.3], [0.25, 0.2], [0.4, 0.35]], 0, 2),
    drawing('run', 'straight', 'red', [[0.5, 0.1], [0.9, 0.1]], 1, 1),
    drawing('run', 'curved', 'blue', [[0.5, 0.3], [0.7, 0.5], [0.9, 0.3]], 1, 2),
    drawing('dribble', 'straight', 'black', [[0.1, 0.6], [0.4, 0.6]], 2, 2),
    drawing('dribble', 'curved', 'orange', [[0.1, 0.8], [0.25, 0.7], [0.4, 0.8]], 0, 1),
    drawing('line', 'straight', 'white', [[-0.5, 1.2], [10, -10]], 0, 2),
    drawing('line', 'curved', 'red', [[0.5, 0.9], [0.6, 0.95], [0.7, 0.9]], 2, 2),
    drawing('zone', 'rectangle', 'yellow', [[0.6, 0.6], [0.8, 0.8]], 0, 1, { fill: 0.35, rotation: -30 }),
    drawing('zone', 'ellipse', 'blue', [[0.45, 0.45], [0.55, 0.7]], 1, 2, { fill: 1, rotation: 360 }),
    drawing('note', 'plain', 'black', [[0.5, 0.05]], 0, 2, { text: 'Press here!\n"Ćúinne" 日本 𝄞' })
];

function drawingDrill(drawings, changes) {
    var settings = JSON.parse(drillText(changes || { nFrames: 3, frameText: ['', '', ''] }));
    settings.drawings = drawings;
    return JSON.stringify(settings);
}

test('a drill with drawings of every kind opens and saves to the same text; without drawings none is written', function () {
    var text = drawingDrill(EVERY_KIND);
    withAnimations(1, function (a) {
        assert.deepEqual(fileErrorsDuring(function () { a.loadFromString(text); }), []);
        assert.equal(a.saveToString(), text, 'the same text, members in their order');
        assert.equal(a.drawingLayer.find('.drawing').length, EVERY_KIND.length, 'a shape for each');
        a.loadFromString(NEW_DRILL);
        assert.equal(a.saveToString(), NEW_DRILL, 'opening a drill without drawings leaves none, and writes no member');
        a.loadFromString(text);
        a.frameManager.clearAnimation();
        assert.equal(a.saveToString(), NEW_DRILL, 'a new drill has none');
        a.loadFromString(drawingDrill([]));
        assert.equal(a.saveToString(), drillText({ nFrames: 3, frameText: ['', '', ''] }), 'an empty list is not written');
    });
});

var DRAWING_RULE = 'Drawing 2 in "drawings": ';
// [what is wrong, the change to the file of EVERY_KIND (3 frames), the reason given]
var MALFORMED_DRAWINGS = [
    ['not a list', function (s) { s.drawings = {}; }, 'Member "drawings" must be an array of at most 500 drawings'],
    ['501 drawings', function (s) { while (s.drawings.length < 501) { s.drawings.push(s.drawings[0]); } },
        'Member "drawings" must be an array of at most 500 drawings'],
    ['a number for a drawing', function (s) { s.drawings[1] = 7; }, 'Drawing 2 in "drawings" must be an object'],
    ['no kind', function (s) { delete s.drawings[1].kind; }, DRAWING_RULE + 'missing member "kind"'],
    ['an unknown kind', function (s) { s.drawings[1].kind = 'shot'; }, DRAWING_RULE + 'member "kind" must be one of ' +
        '"pass", "run", "dribble", "line", "zone", "note"'],
    ['a zone\'s style on a pass', function (s) { s.drawings[1].style = 'ellipse'; },
        DRAWING_RULE + 'member "style" must be one of "straight", "curved"'],
    ['a colour off the palette', function (s) { s.drawings[1].color = 'green'; }, DRAWING_RULE + 'member "color" must be ' +
        'one of "white", "yellow", "red", "blue", "black", "orange"'],
    ['a fill over 1', function (s) { s.drawings[1].fill = 1.01; }, DRAWING_RULE + 'member "fill" must be a number from 0 to 1'],
    ['a fill as text', function (s) { s.drawings[1].fill = '0.5'; }, DRAWING_RULE + 'member "fill" must be a number from 0 to 1'],
    ['a turn past a revolution', function (s) { s.drawings[1].rotation = -361; },
        DRAWING_RULE + 'member "rotation" must be a number of degrees from -360 to 360'],
    ['a curve without its bend', function (s) { s.drawings[1].points.pop(); }, DRAWING_RULE + 'member "points" must be ' +
        'an array of 3 points {"x", "y"}, each a number from -10 to 10'],
    ['a point past the band', function (s) { s.drawings[1].points[2].y = 10.000001; }, DRAWING_RULE + 'member "points" must ' +
        'be an array of 3 points {"x", "y"}, each a number from -10 to 10'],
    ['65 points', function (s) { while (s.drawings[1].points.length < 65) { s.drawings[1].points.push({ x: 0, y: 0 }); } },
        DRAWING_RULE + 'member "points" must be an array of 3 points {"x", "y"}, each a number from -10 to 10'],
    ['a first frame past the end', function (s) { s.drawings[1].first = 3; }, DRAWING_RULE + 'member "first" must be a ' +
        'whole number from 0 to 2'],
    ['a half frame', function (s) { s.drawings[1].first = 0.5; }, DRAWING_RULE + 'member "first" must be a ' +
        'whole number from 0 to 2'],
    ['a last frame before the first', function (s) { s.drawings[2].last = 0; }, 'Drawing 3 in "drawings": member "last" must ' +
        'be a whole number from "first" to 2'],
    ['a note without text', function (s) { s.drawings[10].text = ''; }, 'Drawing 11 in "drawings": member "text" must be a ' +
        'text of 1 to 200 characters'],
    ['a note of 201 characters', function (s) { s.drawings[10].text = new Array(202).join('n'); },
        'Drawing 11 in "drawings": member "text" must be a text of 1 to 200 characters'],
    ['text on an arrow', function (s) { s.drawings[1].text = 'x'; }, DRAWING_RULE + 'member "text" must be ""']
];

test('a file with a malformed drawing is refused whole, naming the member, and a save is checked the same way', function () {
    var valid = drawingDrill(EVERY_KIND);
    withAnimations(1, function (a) {
        a.loadFromString(drawingDrill([EVERY_KIND[3]]));
        var text = a.saveToString();
        MALFORMED_DRAWINGS.forEach(function (row) {
            var settings = JSON.parse(valid);
            row[1](settings);
            var input = JSON.stringify(settings);
            assert.deepEqual(fileErrorsDuring(function () { a.loadFromString(input); }), [row[2]], row[0]);
            assert.equal(a.saveToString(), text, row[0] + ': the drill is as it was');
            assert.equal(DrillFile.savedTextProblem(input), row[2], row[0] + ': and would not be saved');
        });
    });
});

test('spans follow frames: a copied frame carries only the drawings spanning past it, a removed one takes its own', function () {
    // Spans [first, last] of EVERY_KIND: 0-0, 0-2, 1-1, 1-2, 2-2, 0-1, 0-2, 2-2, 0-1, 1-2, 0-2.
    function spans(a) {
        return a.drawingLayer.model.records().map(function (d) { return d.first + '-' + d.last; }).join(' ');
    }
    function shown(a) {
        return a.drawingLayer.find('.drawing').toArray().map(function (s) { return s.visible() ? 1 : 0; }).join('');
    }
    withAnimations(1, function (a) {
        var frames = a.frameManager;
        a.loadFromString(drawingDrill(EVERY_KIND));
        assert.equal(shown(a), '11000110101', 'frame 1 shows those spanning it');
        frames.loadFrame(1);
        frames.addFrame();
        assert.equal(spans(a), '0-0 0-3 1-1 1-3 3-3 0-1 0-3 3-3 0-1 1-3 0-3', 'a copy of frame 2');
        assert.equal(shown(a), '01010010011', 'the copy shows what spans past frame 2');
        frames.loadFrame(0);
        frames.removeSelectedFrame();
        assert.equal(spans(a), '0-2 0-0 0-2 2-2 0-0 0-2 2-2 0-0 0-2 0-2', 'frame 1 removed, with the pass on it alone');
        assert.equal(shown(a), '1110110111', 'frame 1 is the old frame 2');
        assert.equal(DrillFile.savedTextProblem(a.saveToString()), '', 'and the drill still saves');
    });
});

test('during playback a drawing is at full strength through its span and fades over a fifth of a second before it', function () {
    var text = drawingDrill([drawing('run', 'straight', 'red', [[0.1, 0.1], [0.5, 0.1]], 1, 1)],
        { nFrames: 3, frameText: ['', '', ''], objects: [itemRecord('person', 1, [0, 1, 2].map(function (f) {
            return { x: 0.2 + f / 5, y: 0.5, rotation: 0 };
        }))] });
    withAnimations(1, function (a) {
        a.loadFromString(text);
        var shape = a.drawingLayer.find('.drawing')[0];
        var playback = a.playbackManager;
        playback.startFrame = 0;
        // [ms from frame 1, how strongly the run shows]
        [[0, 0], [799, 0], [900, 0.5], [1000, 1], [1500, 1], [1800, 1], [1900, 0.5], [1999, 0.005], [0, 0], [1950, 0.25]]
            .forEach(function (row) {
                playback.drawFrame(row[0]);
                assert.ok(Math.abs((shape.visible() ? shape.opacity() : 0) - row[1]) < 1e-9, 'at ' + row[0] + ' ms: ' +
                    shape.opacity() + ', visible ' + shape.visible());
            });
        playback.stop();
    });
});

// While playing, drawings that do not fade are drawn from bitmaps of themselves. Those must show what a drawing of
// the drawings shows, and every change at once: a bitmap made before it is stale.
test('while playing, drawings that do not fade show as drawn directly, and each change at once: recoloured, moved, ' +
    'resized, turned, in print', function () {
    withAnimations(1, function (a) {
        a.loadFromString(drawingDrill(EVERY_KIND));
        var layer = a.drawingLayer;
        var playback = a.playbackManager;
        var record = a.drawingLayer.model.drawings[3];
        function held() {
            return layer.find('.drawing').toArray().filter(function (shape) {
                return shape.visible() && shape.bitmap.isHeld();
            }).length;
        }
        // A bitmap is drawn with the drawing's transform moved by whole pixels, and Chromium keeps transforms in
        // single precision: a corner's place may come out a last bit apart. Chromium samples an edge on four rows
        // per pixel, so a corner that falls right on a row (a zone of round sizes, turned) may be sampled a row
        // off: a quarter of that pixel's coverage, 64 levels at most (measured here: 38 under Chromium, 2 under
        // QtWebKit), which no eye tells apart. A bitmap left stale shows a colour or place of before: 239 levels
        // and more.
        function asDrawn() {
            var largest = largestDifferenceFromDirect(layer);
            return largest <= 64 ? 'as drawn' : largest + ' levels off';
        }
        playback.startFrame = 0;
        playback.drawForPlayback(true);
        playback.drawFrame(1500);
        // The frame's drawing may have come from the event loop (Chromium) and made four bitmaps at most.
        layer.drawScene();
        var shown = layer.find('.drawing').toArray().filter(function (shape) { return shape.visible(); }).length;
        assert.deepEqual([asDrawn(), held(), shown], ['as drawn', 8, 8], 'the drawings of frame 2, none fading');
        // [what changes, how]
        [['recoloured', function () { record.color = 'yellow'; layer.model.changed(); }],
            ['moved', function () { record.points[0].x += 0.05; layer.model.changed(); }],
            ['resized', function () { a.updateBounds(400, 250, 800, 500); }],
            ['turned', function () { a.rotateEntireAnimation(90); }],
            ['in print', function () { a.setDrawForPrint(true); }],
            ['on grass', function () { a.setDrawForPrint(false); }]].forEach(function (row) {
            row[1]();
            // A drawing of the layer makes four bitmaps at most (the change's own drawing may come later,
            // from the event loop): two make all eight.
            layer.drawScene();
            layer.drawScene();
            assert.deepEqual([asDrawn(), held()], ['as drawn', 8], row[0]);
        });
        playback.drawFrame(1950);
        layer.drawScene();
        assert.deepEqual([asDrawn(), held()], ['as drawn', 5], 'three fading out are drawn as they are');
        playback.drawForPlayback(false);
        assert.equal(held(), 0, 'the bitmaps go with the end of playback');
    });
});

// Calls then(at) once the picture `url` (w x h) is decoded; at(x, y) gives a pixel's [r, g, b].
function pixelsOf(url, w, h, done, then) {
    decodedPixels(url, w, h, done, function (data) {
        then(function (x, y) {
            var k = (Math.round(y) * w + Math.round(x)) * 4;
            return [].slice.call(data, k, k + 3);
        });
    });
}

function near(rgb, expected, what) {
    assert.ok(rgb.every(function (v, i) { return Math.abs(v - expected[i]) <= 40; }), what + ': ' + rgb + ', expected ' + expected);
}

// On a 640 x 480 picture of an unturned pitch, a fraction of the pitch is that fraction of the picture.
var PICTURE_W = 640;
var PICTURE_H = 480;
var EXPORTED = [
    drawing('run', 'straight', 'red', [[0.1, 0.2], [0.5, 0.2]], 0, 0),
    drawing('zone', 'rectangle', 'blue', [[0.6, 0.6], [0.9, 0.9]], 0, 0, { fill: 1 }),
    drawing('pass', 'straight', 'white', [[0.1, 0.8], [0.4, 0.8]], 0, 0),
    drawing('note', 'plain', 'yellow', [[0.25, 0.5]], 0, 0, { text: 'W' })
];

// Calls then(url) with a picture of `drawings` on a blank soccer pitch as exports draw it, in print when `print`.
function exportPicture(drawings, changes, print, done, then) {
    var settings = { sport: 'soccer', background: { type: 'blank', showStripes: false, showLogo: false,
        logoImage: 'logos/ovri256x256.png' } };
    Object.keys(changes).forEach(function (key) { settings[key] = changes[key]; });
    pageShell.imageGenerator.loadAnimation(drawingDrill(drawings, settings));
    pageShell.imageGenerator.configureAnimation(PICTURE_W, print, false, false);
    pageShell.imageGenerator.getImage(0, done.step(then));
}

test('an export picture shows an arrow\'s head and a zone\'s fill at their places, on grass and in print', function (done) {
    exportPicture(EXPORTED, {}, false, done, function (url) {
        exportPicture(EXPORTED, {}, true, done, function (printed) {
            pixelsOf(url, PICTURE_W, PICTURE_H, done, function (grass) {
                near(grass(0.5 * PICTURE_W - 8, 0.2 * PICTURE_H), [224, 16, 16], 'the run\'s head, red');
                near(grass(0.3 * PICTURE_W, 0.35 * PICTURE_H), [0, 128, 0], 'grass beside it');
                near(grass(0.75 * PICTURE_W, 0.75 * PICTURE_H), [16, 64, 224], 'the zone\'s fill');
                near(grass(0.4 * PICTURE_W - 8, 0.8 * PICTURE_H), [255, 255, 255], 'the white pass\'s head');
                near(grass(0.25 * PICTURE_W - 10, 0.5 * PICTURE_H), [0, 32, 0], 'the note\'s dark backing under yellow');
                pixelsOf(printed, PICTURE_W, PICTURE_H, done, function (paper) {
                    near(paper(0.5 * PICTURE_W - 8, 0.2 * PICTURE_H), [224, 16, 16], 'in print: the run\'s head');
                    near(paper(0.3 * PICTURE_W, 0.35 * PICTURE_H), [255, 255, 255], 'in print: paper beside it');
                    near(paper(0.75 * PICTURE_W, 0.75 * PICTURE_H), [16, 64, 224], 'in print: the zone');
                    near(paper(0.4 * PICTURE_W - 8, 0.8 * PICTURE_H), [0, 0, 0], 'in print: the white pass drawn black');
                    done();
                });
            });
        });
    });
}, 20000);

// Print is white paper: a yellow drawing is printed deep gold, and a light kit gets a dark rim that a dark kit does not.
test('in print a yellow drawing is deep gold and a white or yellow kit is rimmed, a red one not; on grass neither changes',
    function (done) {
    var hidden = pageShell.imageGenerator.hiddenAnimation();
    var zone = drawing('zone', 'rectangle', 'yellow', [[0.6, 0.05], [0.9, 0.15]], 0, 0, { fill: 1 });
    var kits = ['white', 'yellow', 'red'];
    var objects = kits.map(function (kit, i) {
        return itemRecord('person', i + 1, [{ x: 0.2 + 0.2 * i, y: 0.5, rotation: 0 }], { color: kit, scale: 0.4 });
    });
    // A pixel above each player's arm, which touches the top of his picture: paper or grass unless rimmed.
    function aboveArms() {
        return hidden.animLayer.itemGroups().map(function (g) {
            var image = g.getFieldItem().image;
            var p = image.getAbsoluteTransform().point({ x: image.width() * 0.625, y: 0 });
            return { x: p.x, y: p.y - 1 };
        });
    }
    exportPicture([zone], { objects: objects }, false, done, function (url) {
        var onGrass = aboveArms();
        exportPicture([zone], { objects: objects }, true, done, function (printed) {
            var onPaper = aboveArms();
            pixelsOf(url, PICTURE_W, PICTURE_H, done, function (grass) {
                near(grass(0.75 * PICTURE_W, 0.1 * PICTURE_H), [255, 230, 0], 'the zone on grass, yellow');
                onGrass.forEach(function (p, i) { near(grass(p.x, p.y), [0, 128, 0], kits[i] + ' kit on grass: no rim'); });
                pixelsOf(printed, PICTURE_W, PICTURE_H, done, function (paper) {
                    near(paper(0.75 * PICTURE_W, 0.1 * PICTURE_H), [194, 155, 0], 'the zone in print, gold');
                    var rimmed = onPaper.map(function (p) { return paper(p.x, p.y)[0] < 235; });
                    assert.deepEqual(rimmed, [true, true, false], 'rimmed in print: white, yellow, red');
                    done();
                });
            });
        });
    });
}, 20000);

test('on a turned pitch a drawing turns with it and a note stays upright', function (done) {
    var hidden = pageShell.imageGenerator.hiddenAnimation();
    exportPicture(EXPORTED.slice(0, 1).concat(EXPORTED.slice(3)), { rotation: 90 }, false, done, function (url) {
        var layer = hidden.drawingLayer;
        assert.deepEqual([layer.rotation(), layer.x(), layer.y(), layer.offsetX(), layer.offsetY()],
            [90, hidden.animLayer.x(), hidden.animLayer.y(), hidden.animLayer.offsetX(), hidden.animLayer.offsetY()],
            'the drawings\' layer stands as the items\' does');
        // The run's head, at (0.5, 0.2) of the pitch, on screen after a quarter turn clockwise.
        var tip = hidden.animLayer.pixelPos({ x: 0.5, y: 0.2 });
        var head = layer.getAbsoluteTransform().point({ x: tip.x - 8, y: tip.y });
        pixelsOf(url, PICTURE_W, PICTURE_H, done, function (at) {
            near(at(head.x, head.y), [224, 16, 16], 'the run\'s head where the turn puts it');
            Kinetic.enableTrace = true;
            var canvas = new Kinetic.SceneCanvas({ width: PICTURE_W, height: PICTURE_H, pixelRatio: 1 });
            layer.drawScene(canvas);
            Kinetic.enableTrace = false;
            var trace = canvas.getContext().getTrace();
            assert.ok(/rotate\(-1\.571\);font=bold/.test(trace), 'the note turned back upright: ' + trace);
            done();
        });
    });
}, 20000);

// ---- Drawing with the pointer in the editor --------------------------------------------------

var editorAnimation = pageShell.animation;

// The stage point of the pitch fraction `f` ({x, y}) in the editor.
function onStage(f) {
    var layer = editorAnimation.animLayer;
    return layer.getAbsoluteTransform().point(layer.pixelPos(f));
}

// Presses at pitch fraction `from`, moves in four steps to `to` and releases there, with the keys
// named in `mods` held.
function dragOnPitch(from, to, mods) {
    var a = onStage(from);
    var b = onStage(to);
    var stage = editorAnimation.stage;
    pointerEvent(stage, 'mousemove', a.x, a.y, mods);
    pointerEvent(stage, 'mousedown', a.x, a.y, mods);
    for (var i = 1; i <= 4; i++) {
        pointerEvent(stage, 'mousemove', a.x + (b.x - a.x) * i / 4, a.y + (b.y - a.y) * i / 4, mods);
    }
    pointerEvent(stage, 'mouseup', b.x, b.y, mods);
}

function assertNear(point, expected, what) {
    assert.ok(Math.abs(point.x - expected.x) < 2e-3 && Math.abs(point.y - expected.y) < 2e-3,
        what + ': ' + JSON.stringify(point) + ', expected ' + JSON.stringify(expected));
}

function drawingsOf() {
    return editorAnimation.drawingLayer.model.drawings;
}

var STRIP_TOOLS = [['pass', 'straight'], ['run', 'straight'], ['dribble', 'straight'], ['line', 'straight'],
    ['zone', 'rectangle'], ['zone', 'ellipse']];

test('each kind is drawn by press-drag with its tool, at its place in the frame on show, and Escape leaves the tool', function () {
    newDrill();
    var player = addToEditor('person', 'red');
    var playerAt = player.getProperties();
    window.myDispatchEvent('addFrame', {});
    STRIP_TOOLS.forEach(function (tool, i) {
        var from = { x: 0.1 + i * 0.12, y: 0.2 };
        var to = { x: 0.15 + i * 0.12, y: 0.6 };
        window.myDispatchEvent('chooseDrawingTool', { kind: tool[0], style: tool[1] });
        assert.deepEqual(pageShell.drawingStrip.buttons.map(function (b) { return b.group.isSetPressed; }),
            pageShell.drawingStrip.buttons.map(function (b) { return b.tool.kind === tool[0] && b.tool.style === tool[1]; }),
            tool + ': its button pressed');
        dragOnPitch(from, to);
        var d = drawingsOf()[i];
        assert.deepEqual([d.kind, d.style, d.color, d.first, d.last, d.text], [tool[0], tool[1], 'yellow', 1, 1, ''], tool + '');
        assertNear(d.points[0], from, tool + ' from');
        assertNear(d.points[1], to, tool + ' to');
        assert.equal(editorAnimation.drawingLayer.selectedDrawing(), d, tool + ': selected once drawn');
    });
    // With a tool in hand, a press on a player draws and leaves the player where it is.
    window.myDispatchEvent('chooseDrawingTool', { kind: 'run', style: 'straight' });
    dragOnPitch({ x: playerAt.x, y: playerAt.y }, { x: 0.9, y: 0.9 });
    assert.deepEqual([player.getProperties().x, player.getProperties().y], [playerAt.x, playerAt.y], 'the player stays');
    assert.equal(drawingsOf().length, STRIP_TOOLS.length + 1, 'and the run is drawn');
    // A click with a tool draws nothing.
    dragOnPitch({ x: 0.5, y: 0.9 }, { x: 0.5, y: 0.9 });
    assert.equal(drawingsOf().length, STRIP_TOOLS.length + 1, 'a click draws nothing');
    window.myDispatchEvent('chooseDrawingTool', { kind: 'run', style: 'straight' });
    assert.equal(editorAnimation.drawingEditor.tool(), null, 'choosing the tool in hand again leaves it');
    window.myDispatchEvent('chooseDrawingTool', { kind: 'pass', style: 'straight' });
    window.myDispatchEvent('chooseBackground', {});
    window.myDispatchEvent('closeOverlays', {});
    assert.deepEqual([editorAnimation.drawingEditor.tool(), editorAnimation.animLayer.listening()], [null, true],
        'an overlay (or playback) leaves the tool, and the items listen after it');
    window.myDispatchEvent('chooseDrawingTool', { kind: 'pass', style: 'straight' });
    window.myDispatchEvent('escapePressed', {});
    assert.deepEqual([editorAnimation.drawingEditor.tool(), editorAnimation.animLayer.listening(),
        pageShell.drawingStrip.buttons.some(function (b) { return b.group.isSetPressed; })], [null, true, false],
        'Escape leaves the tool, and the items listen again');
    window.myDispatchEvent('selectedFrame', { frameNumber: 0 });
    assert.equal(editorAnimation.drawingLayer.find('.drawing').toArray().filter(function (s) { return s.visible(); }).length, 0,
        'frame 1 shows none of the drawings made in frame 2');
    newDrill();
});

test('a drawing is selected, moved, reshaped, bent, recoloured and deleted with the pointer, each one undo step', function () {
    newDrill();
    var texts = [editorAnimation.saveToString()];
    function step(what) {
        var text = editorAnimation.saveToString();
        assert.notEqual(text, texts[texts.length - 1], what + ' changed the drill');
        var told = sentOfType('animationChanged');
        assert.equal(told.length && told[told.length - 1].strToSave, text, what + ': the host is told, for its unsaved mark');
        texts.push(text);
    }
    window.myDispatchEvent('chooseDrawingTool', { kind: 'pass', style: 'straight' });
    dragOnPitch({ x: 0.2, y: 0.5 }, { x: 0.6, y: 0.5 });
    window.myDispatchEvent('escapePressed', {});
    step('drawing');
    var d = drawingsOf()[0];
    assert.equal(editorAnimation.drawingLayer.selectedDrawing(), null, 'Escape deselects it');
    dragOnPitch({ x: 0.3, y: 0.5 }, { x: 0.4, y: 0.6 });
    assert.equal(editorAnimation.drawingLayer.selectedDrawing(), d, 'a press on it selects it');
    assertNear(d.points[0], { x: 0.3, y: 0.6 }, 'moved: start');
    assertNear(d.points[1], { x: 0.7, y: 0.6 }, 'moved: end');
    step('moving');
    dragOnPitch({ x: 0.7, y: 0.6 }, { x: 0.8, y: 0.3 });
    assertNear(d.points[1], { x: 0.8, y: 0.3 }, 'its end handle reshapes it');
    assertNear(d.points[0], { x: 0.3, y: 0.6 }, 'the start stays');
    step('reshaping');
    dragOnPitch({ x: 0.55, y: 0.45 }, { x: 0.5, y: 0.2 });
    assert.deepEqual([d.style, d.points.length], ['curved', 3], 'its middle handle bends it');
    assertNear(d.points[1], { x: 0.5, y: 0.2 }, 'through the bend');
    step('bending');
    window.myDispatchEvent('nextDrawingColor', {});
    assert.equal(d.color, 'red', 'the colour button recolours it with the next colour');
    step('recolouring');
    window.myDispatchEvent('deleteSelectedItems', {});
    assert.equal(drawingsOf().length, 0, 'Delete removes it');
    step('deleting');
    for (var k = texts.length - 2; k >= 0; k--) {
        window.myDispatchEvent('undo', {});
        assert.equal(editorAnimation.saveToString(), texts[k], 'undo to step ' + k);
    }
    for (var r = 1; r < texts.length; r++) {
        window.myDispatchEvent('redo', {});
        assert.equal(editorAnimation.saveToString(), texts[r], 'redo to step ' + r);
    }
    newDrill();
});

test('the note tool asks the host for a text and writes it where the pitch was clicked, two lines at most', function () {
    newDrill();
    window.myDispatchEvent('chooseDrawingTool', { kind: 'note', style: 'plain' });
    // [what the coach typed, the note written (null: none)]
    [[' Press here \n\n  then go \nthird line', 'Press here\nthen go'], ['  \n ', null], [new Array(300).join('w'), new Array(201).join('w')]]
        .forEach(function (row, i) {
            window.cppInterface.setReply('promptForDrawingNote', { msgType: 'drawingNoteResponse', text: row[0] });
            var before = drawingsOf().length;
            dragOnPitch({ x: 0.3 + i * 0.2, y: 0.7 }, { x: 0.3 + i * 0.2, y: 0.7 });
            window.cppInterface.clearReplies();
            var asked = sentOfType('promptForDrawingNote');
            assert.equal(asked[asked.length - 1].defaultText, '', 'row ' + i + ': asked');
            if (row[1] === null) {
                assert.equal(drawingsOf().length, before, 'row ' + i + ': an empty text writes nothing');
                return;
            }
            var d = drawingsOf()[drawingsOf().length - 1];
            assert.deepEqual([d.kind, d.text, d.first], ['note', row[1], 0], 'row ' + i);
            assertNear(d.points[0], { x: 0.3 + i * 0.2, y: 0.7 }, 'row ' + i + ': where clicked');
        });
    assert.equal(DrillFile.savedTextProblem(editorAnimation.saveToString()), '', 'the notes save');
    window.myDispatchEvent('escapePressed', {});
    dragOnPitch({ x: 0.7, y: 0.7 }, { x: 0.75, y: 0.75 });
    assertNear(drawingsOf()[1].points[0], { x: 0.75, y: 0.75 }, 'a note is moved as other drawings are');
    // The note of 200 characters is written within the pitch, smaller.
    Kinetic.enableTrace = true;
    var canvas = new Kinetic.SceneCanvas({ width: 2000, height: 1500, pixelRatio: 1 });
    editorAnimation.drawingLayer.find('.drawing')[1].drawScene(canvas);
    Kinetic.enableTrace = false;
    var backing = /rect\(([-\d.]+),[-\d.]+,([\d.]+),/.exec(canvas.getContext().getTrace());
    assert.ok(backing && Number(backing[2]) < editorAnimation.animLayer.layerWidth / 2, 'a long note fits: ' + backing);
    newDrill();
});

test('a zone turns by the handle beyond its top edge, and its corners then follow the pointer as turned', function () {
    newDrill();
    window.myDispatchEvent('chooseDrawingTool', { kind: 'zone', style: 'rectangle' });
    dragOnPitch({ x: 0.3, y: 0.4 }, { x: 0.5, y: 0.6 });
    window.myDispatchEvent('escapePressed', {});
    dragOnPitch({ x: 0.4, y: 0.5 }, { x: 0.4, y: 0.5 });
    var layer = editorAnimation.animLayer;
    var centre = layer.pixelPos({ x: 0.4, y: 0.5 });
    var reach = centre.y - layer.pixelPos({ x: 0, y: 0.4 }).y + 14 * layer.layerScale;
    var d = drawingsOf()[0];
    // Where the knob stands: beyond the top edge, as the zone is turned.
    function knob() {
        var r = window.radians(d.rotation);
        return layer.relativePos({ x: centre.x + reach * Math.sin(r), y: centre.y - reach * Math.cos(r) });
    }
    // [where the knob is dragged to, the turn]
    [[{ x: 0.7, y: 0.5 }, 90], [{ x: 0.4, y: 0.9 }, 180], [{ x: 0.1, y: 0.5 }, -90], [{ x: 0.45, y: 0.1 }, 0]]
        .forEach(function (row) {
            dragOnPitch(knob(), row[0]);
            assert.ok(Math.abs(d.rotation - row[1]) <= (row[1] === 0 ? 12 : 0), 'turned towards ' + JSON.stringify(row[0]) +
                ': ' + d.rotation);
        });
    dragOnPitch(knob(), { x: 0.1, y: 0.5 });
    // Turned a quarter anticlockwise, the corner stored at the top left shows at the bottom left.
    var corner = layer.relativePos({ x: centre.x - (layer.pixelPos({ x: 0.1, y: 0.6 }).y - centre.y),
        y: centre.y + (centre.x - layer.pixelPos({ x: 0.3, y: 0 }).x) });
    dragOnPitch(corner, corner);
    assertNear(d.points[0], { x: 0.3, y: 0.4 }, 'a press on a turned corner where it shows leaves it');
    var s = pageShell.sizes;
    editorAnimation.updateBounds(s.animMaxWidth / 3, s.animMaxHeight / 3, s.animMaxWidth / 1.5, s.animMaxHeight / 1.5);
    var handle = editorAnimation.stage.find('.drawingHandle')[2];
    var r = window.radians(d.rotation);
    var at = layer.pixelPos({ x: (d.points[0].x + d.points[1].x) / 2, y: (d.points[0].y + d.points[1].y) / 2 });
    var gap = layer.pixelPos({ x: 0, y: Math.abs(d.points[1].y - d.points[0].y) / 2 }).y + 14 * layer.layerScale;
    var knobAt = layer.getAbsoluteTransform().point({ x: at.x + gap * Math.sin(r), y: at.y - gap * Math.cos(r) });
    var want = [knobAt.x, knobAt.y];
    assert.ok(Math.abs(handle.x() - want[0]) < 1e-6 && Math.abs(handle.y() - want[1]) < 1e-6,
        'the handles follow a resize: ' + handle.x() + ', ' + handle.y() + ', expected ' + want);
    editorAnimation.updateBounds(s.animMaxWidth / 2, s.animMaxHeight / 2, s.animMaxWidth, s.animMaxHeight);
    assert.equal(DrillFile.savedTextProblem(editorAnimation.saveToString()), '', 'and the turned zone saves');
    newDrill();
});

// Mended: a line's bend handle under a player moved the player, and the handle of an arrow just drawn,
// the tool still in hand, drew a second arrow.
test('a selected drawing\'s handles take a press before the tool in hand and before a player lying over them', function (done) {
    done.cleanup(function () {
        window.myDispatchEvent('escapePressed', {});
        newDrill();
    });
    newDrill();
    window.myDispatchEvent('chooseDrawingTool', { kind: 'pass', style: 'straight' });
    dragOnPitch({ x: 0.2, y: 0.5 }, { x: 0.6, y: 0.5 });
    dragOnPitch({ x: 0.4, y: 0.5 }, { x: 0.4, y: 0.3 });
    var d = drawingsOf()[0];
    assert.deepEqual([drawingsOf().length, d.style, editorAnimation.drawingEditor.tool().kind], [1, 'curved', 'pass'],
        'the tool in hand: the new arrow bent, no second one drawn');
    assertNear(d.points[1], { x: 0.4, y: 0.3 }, 'bent through where the handle was let go');
    dragOnPitch({ x: 0.2, y: 0.7 }, { x: 0.2, y: 0.9 });
    assert.equal(drawingsOf().length, 2, 'away from the handles the tool draws');
    window.myDispatchEvent('escapePressed', {});
    openInEditor(drawingDrill([drawing('line', 'straight', 'white', [[0.2, 0.5], [0.6, 0.5]], 0, 0)],
        { objects: [itemRecord('person', 1, [{ x: 0.4, y: 0.5, rotation: 0 }])] }));
    var player = editorAnimation.animLayer.itemGroups()[0];
    waitFor('the player\'s picture', function () { return player.getFieldItem().image.image().complete; }, done, function () {
        editorAnimation.stage.draw();
        dragOnPitch({ x: 0.25, y: 0.5 }, { x: 0.25, y: 0.5 });
        var line = drawingsOf()[0];
        assert.equal(editorAnimation.drawingLayer.selectedDrawing(), line, 'precondition: the line selected');
        var bend = editorAnimation.stage.find('.drawingHandle')[1];
        assert.ok(bend.getLayer().getZIndex() > editorAnimation.animLayer.getZIndex(), 'the bend handle drawn over the player');
        dragOnPitch({ x: 0.4, y: 0.5 }, { x: 0.45, y: 0.7 });
        assert.deepEqual([line.style, player.isSelected, player.getProperties().x, player.getProperties().y],
            ['curved', false, 0.4, 0.5], 'the line bent under the player, who stays where he was, not selected');
        assertNear(line.points[1], { x: 0.45, y: 0.7 }, 'through the bend');
        dragOnPitch({ x: 0.8, y: 0.15 }, { x: 0.8, y: 0.15 });
        dragOnPitch({ x: 0.4, y: 0.5 }, { x: 0.5, y: 0.3 });
        assert.ok(player.isSelected && Math.abs(player.getProperties().x - 0.5) < 1e-3,
            'with no drawing selected, a press on the player drags him: ' + JSON.stringify(player.getProperties()));
        done();
    });
});

// ---- Items and drawings selected together ---------------------------------------------------

// Two players at (0.2, 0.3) and (0.8, 0.8), a pass beside the first, a zone, a note and a turned zone,
// in frame 1.
var MIXED_DRILL = drawingDrill([
    drawing('pass', 'straight', 'white', [[0.1, 0.4], [0.3, 0.45]], 0, 0),
    drawing('zone', 'rectangle', 'yellow', [[0.5, 0.1], [0.6, 0.2]], 0, 0, { fill: 0.3 }),
    drawing('note', 'plain', 'black', [[0.7, 0.5]], 0, 0, { text: 'Go' }),
    drawing('zone', 'ellipse', 'red', [[0.4, 0.6], [0.5, 0.7]], 0, 0, { fill: 0.5, rotation: 45 })
], { objects: [itemRecord('person', 1, [{ x: 0.2, y: 0.3, rotation: 0 }]),
    itemRecord('person', 2, [{ x: 0.8, y: 0.8, rotation: 0 }])] });

function selectedNow() {
    return {
        items: editorAnimation.animLayer.itemGroups().filter(function (g) { return g.isSelected; })
            .map(function (g) { return g.getAttr('id'); }),
        drawings: editorAnimation.drawingLayer.selectedDrawings().map(function (d) { return drawingsOf().indexOf(d); })
            .sort()
    };
}

test('the band and Ctrl+A select items and drawings; Shift toggles a drawing; a plain press on either clears the other', function () {
    openInEditor(MIXED_DRILL);
    // [what is done, the items then selected, the drawings then selected]
    [[function () { dragOnPitch({ x: 0.05, y: 0.05 }, { x: 0.65, y: 0.5 }); }, [1], [0, 1], 'the band round player 1, the pass and the zone'],
        [function () { dragOnPitch({ x: 0.05, y: 0.05 }, { x: 0.25, y: 0.42 }); }, [1], [], 'a band over part of the pass'],
        [function () { clickAt(editorAnimation.stage, onStage({ x: 0.2, y: 0.9 }).x, onStage({ x: 0.2, y: 0.9 }).y); }, [], [],
            'a click on the bare pitch'],
        [function () { window.myDispatchEvent('selectAllItems', {}); }, [1, 2], [0, 1, 2, 3], 'Ctrl+A'],
        [function () { window.myDispatchEvent('escapePressed', {}); }, [], [], 'Escape'],
        [function () { dragOnPitch({ x: 0.2, y: 0.425 }, { x: 0.2, y: 0.425 }); }, [], [0], 'a click on the pass'],
        [function () { dragOnPitch({ x: 0.55, y: 0.15 }, { x: 0.55, y: 0.15 }, 'shift'); }, [], [0, 1], 'Shift+click on the zone'],
        [function () { dragOnPitch({ x: 0.2, y: 0.3 }, { x: 0.2, y: 0.3 }, 'ctrl'); }, [1], [0, 1], 'Ctrl+click on a player'],
        [function () { dragOnPitch({ x: 0.2, y: 0.425 }, { x: 0.2, y: 0.425 }, 'ctrl'); }, [1], [1], 'Ctrl+click on the pass'],
        [function () { dragOnPitch({ x: 0.8, y: 0.8 }, { x: 0.8, y: 0.8 }); }, [2], [], 'a click on the other player'],
        [function () { dragOnPitch({ x: 0.55, y: 0.15 }, { x: 0.55, y: 0.15 }); }, [], [1], 'a click on the zone'],
        [function () { dragOnPitch({ x: 0.38, y: 0.58 }, { x: 0.52, y: 0.72 }); }, [], [],
            'a band round the turned zone\'s corners as stored, not as it shows'],
        [function () { dragOnPitch({ x: 0.3, y: 0.5 }, { x: 0.6, y: 0.8 }); }, [], [3], 'a band round it as it shows']
    ].forEach(function (row) {
        row[0]();
        assert.deepEqual(selectedNow(), { items: row[1], drawings: row[2] }, row[3]);
    });
    newDrill();
});

test('a drag of a selected item moves the selected drawings and the reverse, as does an arrow key, each one undo step; Delete removes all', function () {
    openInEditor(MIXED_DRILL);
    var before = editorAnimation.saveToString();
    var pass = drawingsOf()[0];
    var player = editorAnimation.animLayer.itemGroups()[0];
    dragOnPitch({ x: 0.05, y: 0.05 }, { x: 0.35, y: 0.5 });
    assert.deepEqual(selectedNow(), { items: [1], drawings: [0] }, 'the band takes player 1 and the pass');
    dragOnPitch({ x: 0.2, y: 0.3 }, { x: 0.3, y: 0.5 });
    assertNear(player.getProperties(), { x: 0.3, y: 0.5 }, 'the dragged player');
    assertNear(pass.points[0], { x: 0.2, y: 0.6 }, 'the pass moved with it: start');
    assertNear(pass.points[1], { x: 0.4, y: 0.65 }, 'end');
    var afterItemDrag = editorAnimation.saveToString();
    // Pressed between its end and its middle, away from its handles.
    dragOnPitch({ x: 0.25, y: 0.6125 }, { x: 0.15, y: 0.5125 });
    assertNear(pass.points[0], { x: 0.1, y: 0.5 }, 'the dragged pass');
    assertNear(player.getProperties(), { x: 0.2, y: 0.4 }, 'the player moved with it');
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), afterItemDrag, 'undo takes back the drag of the pass, items with it');
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), before, 'and then the drag of the player, drawings with it');
    window.myDispatchEvent('selectAllItems', {});
    player = editorAnimation.animLayer.itemGroups()[0];
    pass = drawingsOf()[0];
    var arrowFrom = [player.getPosAbs(), editorAnimation.animLayer.pixelPos(pass.points[0])];
    window.myDispatchEvent('nudgeSelectedItems', { dx: 1, dy: 0 });
    var arrowTo = [player.getPosAbs(), editorAnimation.animLayer.pixelPos(pass.points[0])];
    assert.deepEqual(arrowTo.map(function (p, i) { return Math.round((p.x - arrowFrom[i].x) * 1000) / 1000; }), [1, 1],
        'an arrow key nudges the selected player and pass alike');
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), before, 'one undo step');
    window.myDispatchEvent('selectAllItems', {});
    window.myDispatchEvent('deleteSelectedItems', {});
    var all = editorAnimation.saveToString();
    assert.deepEqual([JSON.parse(all).objects.length, drawingsOf().length], [0, 0], 'Delete removes items and drawings');
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), before, 'as one undo step');
    newDrill();
});

test('a selected zone\'s fill cycles light, medium, strong from the strip, each one undo step, saved and reopened', function () {
    openInEditor(MIXED_DRILL);
    var strip = pageShell.drawingStrip;
    var button = strip.fillButton.group;
    function clickFill() {
        var at = button.getAbsolutePosition();
        clickAt(pageShell.itemPicker.layer.getStage(), at.x, at.y);
    }
    assert.equal(strip.fillButton.enabled, false, 'nothing selected: no fill to change');
    dragOnPitch({ x: 0.2, y: 0.425 }, { x: 0.2, y: 0.425 });
    assert.equal(strip.fillButton.enabled, false, 'a pass has no fill');
    dragOnPitch({ x: 0.55, y: 0.15 }, { x: 0.55, y: 0.15 });
    var zone = drawingsOf()[1];
    var texts = [editorAnimation.saveToString()];
    [0.5, 0.15, 0.3, 0.5].forEach(function (fill, i) {
        clickFill();
        assert.equal(zone.fill, fill, 'click ' + (i + 1));
        assert.equal(JSON.parse(editorAnimation.saveToString()).drawings[1].fill, fill, 'saved, click ' + (i + 1));
        texts.push(editorAnimation.saveToString());
    });
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), texts[3], 'one undo step');
    openInEditor(texts[4]);
    assert.equal(editorAnimation.saveToString(), texts[4], 'reopened exactly');
    newDrill();
});

test('the strip\'s span buttons widen and narrow the selected drawing\'s span, with Shift move its first frame, ' +
    'within the drill, each one undo step, shown in the frames it spans', function () {
    openInEditor(drawingDrill([drawing('run', 'straight', 'red', [[0.2, 0.5], [0.6, 0.5]], 1, 2)],
        { nFrames: 4, frameText: ['', '', '', ''], selectedFrame: 2 }));
    var strip = pageShell.drawingStrip;
    var stage = pageShell.itemPicker.layer.getStage();
    function clickSpan(k, mods) {
        var at = strip.spanButtons[k].group.getAbsolutePosition();
        clickAt(stage, at.x, at.y, mods);
    }
    assert.deepEqual([strip.spanText.text(), strip.spanButtons[0].enabled, strip.spanButtons[1].enabled], ['', false, false],
        'nothing selected');
    dragOnPitch({ x: 0.4, y: 0.5 }, { x: 0.4, y: 0.5 });
    var d = drawingsOf()[0];
    assert.deepEqual([strip.spanText.text(), strip.spanButtons[1].enabled], ['Frames 2\u20133', true], 'selected');
    var texts = [editorAnimation.saveToString()];
    // [button (0 fewer, 1 more), with Shift, caption, first, last]
    [[1, '', 'Frames 2\u20134', 1, 3], [1, '', 'Frames 2\u20134', 1, 3], [0, '', 'Frames 2\u20133', 1, 2],
        [1, 'shift', 'Frames 1\u20133', 0, 2], [1, 'shift', 'Frames 1\u20133', 0, 2], [0, 'shift', 'Frames 2\u20133', 1, 2],
        [0, 'shift', 'Frame 3', 2, 2], [0, 'shift', 'Frame 3', 2, 2], [0, '', 'Frame 3', 2, 2], [1, '', 'Frames 3\u20134', 2, 3]]
        .forEach(function (row, i) {
            clickSpan(row[0], row[1]);
            assert.deepEqual([strip.spanText.text(), d.first, d.last], row.slice(2), 'click ' + (i + 1));
            texts.push(editorAnimation.saveToString());
        });
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), texts[texts.length - 2], 'a change of span is one undo step');
    window.myDispatchEvent('redo', {});
    assert.equal(editorAnimation.saveToString(), texts[texts.length - 1], 'and redone');
    window.myDispatchEvent('selectedFrame', { frameNumber: 1 });
    assert.deepEqual([strip.spanText.text(), editorAnimation.drawingLayer.find('.drawing')[0].visible()], ['', false],
        'frame 2 is before its span: not shown, not selected');
    window.myDispatchEvent('selectedFrame', { frameNumber: 3 });
    assert.equal(editorAnimation.drawingLayer.find('.drawing')[0].visible(), true, 'frame 4 shows it');
    newDrill();
});

test('Ctrl+C and Ctrl+V copy every selected drawing with the selected items into the frame on show, a little aside, ' +
    'the copies selected alone, one undo step; the colour button recolours them all', function () {
    openInEditor(MIXED_DRILL);
    var colors = drawingsOf().map(function (d) { return d.color; });
    window.myDispatchEvent('selectAllItems', {});
    window.myDispatchEvent('copySelectedItems', {});
    window.myDispatchEvent('addFrame', {});
    var before = editorAnimation.saveToString();
    window.myDispatchEvent('pasteItems', {});
    var now = selectedNow();
    assert.deepEqual([drawingsOf().length, now.drawings, now.items.length, now.items.indexOf(1), now.items.indexOf(2)],
        [8, [4, 5, 6, 7], 2, -1, -1], 'four drawings and two players pasted, and they alone selected');
    var copy = drawingsOf()[4];
    assert.deepEqual([copy.kind, copy.color, copy.first, copy.last], ['pass', 'white', 1, 1], 'the pass, its colour, in frame 2');
    assertNear(copy.points[0], { x: 0.13, y: 0.43 }, 'a little aside');
    var pasted = editorAnimation.saveToString();
    window.myDispatchEvent('nextDrawingColor', {});
    var next = drawingsOf()[4].color;
    assert.deepEqual(drawingsOf().map(function (d) { return d.color; }), colors.concat([next, next, next, next]),
        'the copies take the next colour, the others keep theirs');
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), pasted, 'recolouring is one undo step');
    window.myDispatchEvent('undo', {});
    assert.equal(editorAnimation.saveToString(), before, 'and pasting one more');
    newDrill();
});

// Drawing a run and animating it in one gesture: the player at the arrow's start runs it to the next frame.
test('a run drawn from a player moves him along it to the next frame with the strip\'s button, one undo step; a bent ' +
    'pass from the last frame adds a frame and bends his step; an arrow from no player offers nothing', function () {
    var start = { x: 0.3, y: 0.5, rotation: 0 };
    openInEditor(drillText({ nFrames: 2, selectedFrame: 0, frameText: ['', ''],
        objects: [itemRecord('person', 1, [start, start], { color: 'red' })] }));
    var strip = pageShell.drawingStrip;
    function clickFollow() {
        var at = strip.followButton.group.getAbsolutePosition();
        pageShell.itemPicker.layer.draw();
        clickAt(pageShell.itemPicker.stage, at.x + 5, at.y + 5);
    }
    function record() { return JSON.parse(editorAnimation.saveToString()).objects[0]; }
    window.myDispatchEvent('chooseDrawingTool', { kind: 'run', style: 'straight' });
    dragOnPitch({ x: 0.62, y: 0.2 }, { x: 0.8, y: 0.3 });
    assert.equal(strip.followButton.enabled, false, 'an arrow from the bare pitch: the button faint');
    var steps = pageShell.history.length();
    clickFollow();
    assert.deepEqual([record().frames[1], pageShell.history.length()], [start, steps], 'and its click does nothing');
    dragOnPitch({ x: 0.31, y: 0.5 }, { x: 0.7, y: 0.3 });
    assert.equal(strip.followButton.enabled, true, 'an arrow from the player: the button live');
    steps = pageShell.history.length();
    clickFollow();
    var moved = record();
    assertNear(moved.frames[1], { x: 0.7, y: 0.3 }, 'he ends where the run ends');
    assert.deepEqual([moved.frames[0], moved.bends, pageShell.history.length(), editorAnimation.frameManager.selectedFrame],
        [start, undefined, steps + 1, 0], 'from where he stood, straight, one step, the frame on show kept');
    window.myDispatchEvent('escapePressed', {});
    var bent = drawing('pass', 'curved', 'white', [[0.7, 0.3], [0.6, 0.1], [0.4, 0.2]], 1, 1);
    var settings = JSON.parse(editorAnimation.saveToString());
    settings.drawings = [bent];
    settings.selectedFrame = 1;
    openInEditor(JSON.stringify(settings));
    editorAnimation.drawingEditor.selectAll();
    window.myDispatchEvent('moveAlongDrawing', {});
    var passed = record();
    assert.deepEqual([editorAnimation.frameManager.nFrames, passed.bends, editorAnimation.frameManager.selectedFrame],
        [3, [null, { x: 0.6, y: 0.1 }], 1], 'a frame added, the step from the frame on show bent through the pass\'s bend');
    assertNear(passed.frames[2], { x: 0.4, y: 0.2 }, 'ending where the pass ends');
    openInEditor(NEW_DRILL);
});
