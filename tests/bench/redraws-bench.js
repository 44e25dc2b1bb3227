// What the display draws, not what one call costs: the editor's full drill
// (22 players, 2 balls, 30 pieces of equipment, 30 drawings, 10 frames)
// played by the display's own clock, and clicks on the timeline with the
// redraws that follow them, with every layer's drawing timed. Layers are
// drawn on request with Kinetic's own batchDraw (which draws a layer again
// on every display frame for half a second after each call) and with the
// page's (LayerBatchDraw.js: at once and at the next frame), in alternating
// rounds so that both see the same load. Not a test and not run by CTest:
//
//   QT_QPA_PLATFORM=offscreen tests/page/pagetests --size 1280x800 ../tests/bench/redraws-bench.js
//
// "playback tick" is the time between two ticks over the whole playback (a
// display refresh is 16.7 ms); "playback drawing per second" the layers'
// drawing time per second of it; "frame switch drawing" the layers' drawing
// from one click on the timeline to the next, 300 ms later.

var ROUNDS = 3;
var SWITCHES = 8;
var SWITCH_GAP_MS = 300;
var SETTLE_MS = 1000;
var PLAYBACK_LIMIT_MS = 60000;
var EQUIPMENT = ['cone', 'marker', 'ring', 'agilityPole', 'agilityLadder', 'microHurdle', 'hurdle', 'manikin',
    'goal', 'miniGoal'];
var DRAWING_KINDS = [['pass', 'straight'], ['run', 'curved'], ['dribble', 'straight'], ['zone', 'rectangle'],
    ['zone', 'ellipse'], ['note', 'plain']];
var FRAMES = 10;

var animation = pageShell.animation;
var fm = animation.frameManager;
var pm = animation.playbackManager;

var now = clockMs;

// The same drill on every run.
var random = seededRandom(4242);

function states(moving) {
    var s = { x: 0.1 + 0.8 * random(), y: 0.1 + 0.8 * random(), rotation: 90 * Math.floor(4 * random()) };
    var frames = [];
    for (var f = 0; f < FRAMES; f++) {
        frames.push({ x: s.x, y: s.y, rotation: s.rotation });
        if (moving) {
            s = { x: Math.min(0.95, Math.max(0.05, s.x + 0.2 * (random() - 0.5))),
                y: Math.min(0.95, Math.max(0.05, s.y + 0.2 * (random() - 0.5))), rotation: (s.rotation + 30) % 360 };
        }
    }
    return frames;
}

function drill() {
    var objects = [];
    function add(type, scale, color, moving, name) {
        var id = objects.length + 1;
        objects.push({ type: type, id: id, scale: scale, text: name || '', shortLabel: name ? String(id) : '', z: id,
            color: color, frames: states(moving) });
    }
    for (var i = 0; i < 22; i++) {
        add('person', 0.2, i < 11 ? 'red' : 'blue', true, 'Player ' + (i + 1));
    }
    add('gaaBall', 0.11, 'white', true);
    add('gaaBall', 0.11, 'white', true);
    for (var e = 0; e < 30; e++) {
        var type = EQUIPMENT[e % EQUIPMENT.length];
        add(type, new FieldItem(0, 0, 0, 'default', type, 'default', 'default', 1).getScale(), 'yellow', false);
    }
    var captions = [];
    for (var f = 0; f < FRAMES; f++) {
        captions.push('Frame ' + (f + 1));
    }
    return { objects: objects, selectedFrame: 0, nFrames: FRAMES, frameText: captions };
}

function drawings() {
    var list = [];
    for (var i = 0; i < 30; i++) {
        var kind = DRAWING_KINDS[i % DRAWING_KINDS.length];
        var points = [];
        for (var p = 0; p < (kind[0] === 'note' ? 1 : kind[1] === 'curved' ? 3 : 2); p++) {
            points.push({ x: 0.05 + 0.9 * random(), y: 0.05 + 0.9 * random() });
        }
        var short = i < 6;
        list.push({ kind: kind[0], style: kind[1], color: ['white', 'yellow', 'red', 'blue'][i % 4],
            fill: kind[0] === 'zone' ? 0.3 : 0, rotation: kind[0] === 'zone' ? 15 : 0, points: points,
            first: short ? i % FRAMES : 0, last: short ? i % FRAMES : FRAMES - 1,
            text: kind[0] === 'note' ? 'Press here' : '' });
    }
    return list;
}

function picturesLoaded() {
    var images = animation.animLayer.find('Image').toArray();
    return images.length > 0 && images.every(function (node) {
        var picture = node.image();
        return picture && picture.complete && picture.naturalWidth > 0;
    });
}

// Kinetic copies a layer's methods into each kind of layer, and the page
// gives its own kinds their batchDraw as well.
var LAYER_KINDS = [Kinetic.Layer, AnimationLayer, BackgroundLayer, DrawingLayer];

// Every layer's drawing on its own canvas, timed.
var drawingMs = 0;
LAYER_KINDS.forEach(function (kind) {
    ['drawScene', 'drawHit'].forEach(function (method) {
        // A kind that inherits the method is timed through the one it inherits.
        if (!kind.prototype.hasOwnProperty(method)) {
            return;
        }
        var own = kind.prototype[method];
        kind.prototype[method] = function (canvas) {
            if (canvas) {
                return own.apply(this, arguments);
            }
            var start = now();
            var result = own.apply(this, arguments);
            drawingMs += now() - start;
            return result;
        };
    });
});

function useBatchDraw(way) {
    LAYER_KINDS.forEach(function (kind) {
        kind.prototype.batchDraw = way;
    });
}

var WAYS = [['Kinetic\'s batchDraw', Kinetic.BaseLayer.prototype.batchDraw],
    ['batchDraw once per frame', Kinetic.Layer.prototype.batchDraw]];

function stats(samples) {
    var sorted = samples.slice().sort(function (a, b) { return a - b; });
    var sum = samples.reduce(function (a, b) { return a + b; }, 0);
    return { mean: sum / samples.length, median: sorted[Math.floor(sorted.length / 2)], worst: sorted[sorted.length - 1],
        count: samples.length };
}

function report(what, samples) {
    var s = stats(samples);
    pageTestHost.log(what + ': mean ' + s.mean.toFixed(2) + ' ms, median ' + s.median.toFixed(2) + ' ms, worst ' +
        s.worst.toFixed(2) + ' ms over ' + s.count);
}

// Plays the drill through by the display's clock: then(tick interval, drawing ms per second).
function playback(done, then) {
    var ticks = 0;
    var counting = function () { ticks += 1; };
    animation.animLayer.on('draw.redrawsBench', counting);
    fm.loadFrame(0);
    setTimeout(done.step(function () {
        drawingMs = 0;
        var start = now();
        myDispatchEvent('play', {});
        waitFor('the end of playback', function () { return !pm.isPlaying; }, done, function () {
            var wall = now() - start;
            animation.animLayer.off('draw.redrawsBench');
            then(wall / ticks, drawingMs / wall * 1000);
        }, PLAYBACK_LIMIT_MS);
    }), SETTLE_MS);
}

// Clicks through the frames SWITCH_GAP_MS apart: then(drawing ms from each click to the next).
function switches(done, then) {
    var samples = [];
    var i = 0;
    setTimeout(done.step(function next() {
        if (i > 0) {
            samples.push(drawingMs);
        }
        if (i === SWITCHES) {
            then(samples);
            return;
        }
        drawingMs = 0;
        myDispatchEvent('selectedFrame', { frameNumber: (i * 3 + 1) % FRAMES });
        i += 1;
        setTimeout(done.step(next), SWITCH_GAP_MS);
    }), SETTLE_MS);
}

test('what the display draws during playback and after clicks on the timeline, Kinetic\'s batchDraw and the ' +
    'page\'s in alternating rounds', function (done) {
    var pageWay = Kinetic.Layer.prototype.batchDraw;
    done.cleanup(function () { useBatchDraw(pageWay); });
    animation.drawingLayer.model.load(drawings());
    fm.loadSettings(drill());
    animation.animLayer.draw();
    var figures = {};
    waitFor('the item pictures', picturesLoaded, done, function () {
        pageTestHost.log('54 items (22 players, 2 balls, 30 equipment), 30 drawings, ' + FRAMES + ' frames, application area ' +
            pageShell.sizes.appWidth + ' x ' + pageShell.sizes.appHeight);
        var round = 0;
        (function nextRound() {
            if (round === ROUNDS * WAYS.length) {
                WAYS.forEach(function (way) {
                    var f = figures[way[0]];
                    report('playback tick (display-driven), ' + way[0], f.ticks);
                    report('playback drawing per second of playback, ' + way[0], f.perSecond);
                    report('frame switch drawing (click to next click), ' + way[0], f.switches);
                });
                myDispatchEvent('newAnimation', {});
                done();
                return;
            }
            var way = WAYS[round % WAYS.length];
            round += 1;
            useBatchDraw(way[1]);
            var f = figures[way[0]] || (figures[way[0]] = { ticks: [], perSecond: [], switches: [] });
            playback(done, function (tick, perSecond) {
                f.ticks.push(tick);
                f.perSecond.push(perSecond);
                switches(done, function (samples) {
                    f.switches = f.switches.concat(samples);
                    nextRound();
                });
            });
        }());
    }, 10000);
}, 600000);
