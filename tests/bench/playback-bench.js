// Playback and frame-switch cost on the editor page, in the editor's own
// animation: a full drill of 22 players, 2 balls and 30 pieces of equipment
// with 30 drawings over 10 frames, and a large one of 100 items over 300
// frames. Of the drawings, 24 span every frame and 6 one frame each, so
// that ticks near every frame's end fade some in and out. Not a test
// and not run by CTest; it prints figures. Run it from a build folder:
//
//   QT_QPA_PLATFORM=offscreen tests/page/pagetests --size 1280x800 ../tests/bench/playback-bench.js
//
// A tick is what one display refresh of playback costs: drawFrame at that
// moment plus the redraw of the animation layer (drawn synchronously here,
// as the loop does after each tick). Ticks are taken 1000/60 ms apart over
// the whole animation (the first 20 frames of the large drill), with the
// timeline in its playing look so that the progress bar is updated too. A
// frame load is loadFrame (rebuilding every item group) plus the same
// redraw. A frame switch is what a click on the timeline costs until the
// new frame is drawn: the selectedFrame page event (save, load, timeline
// update) and the draw of the animation and timeline layers. A scrub step
// is what one pointer move while scrubbing the timeline costs until the
// moment is drawn: the scrubTimeline page event (which redraws the items
// itself), at positions 1/60 of a frame apart, back and forth. Ticks and
// scrub steps are measured with the running lines off and on.
//
// Playback draws what stays the same from tick to tick from bitmaps and
// keeps names where each frame put them (PlaybackManager.drawForPlayback);
// the ticks are measured so. The same file runs on a build from before
// that, drawing the texts from bitmaps as playback did then, so that two
// builds can be measured side by side.

var FULL_DRILL = { players: 22, balls: 2, equipment: 30, frames: 10, drawings: 30 };
// The same drill with every player and ball (half the items) on curved
// steps, and the balls held: one by player 1, passed to player 12 half-way,
// the other by player 2 throughout.
var CURVED_DRILL = { players: 22, balls: 2, equipment: 30, frames: 10, drawings: 30, curved: true, held: true };
var LARGE_DRILL = { players: 60, balls: 4, equipment: 36, frames: 300, drawings: 0 };
var DRAWING_KINDS = [['pass', 'straight'], ['run', 'curved'], ['dribble', 'straight'], ['dribble', 'curved'],
    ['line', 'straight'], ['zone', 'rectangle'], ['zone', 'ellipse'], ['note', 'plain']];
var SHORT_SPANS = 6;
var LARGE_TICK_FRAMES = 20;
var EQUIPMENT = ['cone', 'marker', 'ring', 'agilityPole', 'agilityLadder', 'microHurdle', 'hurdle', 'manikin',
    'goal', 'miniGoal'];
var TICK_MS = 1000 / 60;
var PICTURE_WAIT_MS = 10000;

var animation = pageShell.animation;
var fm = animation.frameManager;
var pm = animation.playbackManager;
var layer = animation.animLayer;

var now = clockMs;

// The same drill on every run.
var random = seededRandom(12345);

function record(type, id, scale, color, frames) {
    return { type: type, id: id, scale: scale, text: '', shortLabel: '', z: id, color: color, frames: frames };
}

function movingFrames(nFrames) {
    var x = 0.1 + 0.8 * random();
    var y = 0.1 + 0.8 * random();
    var rotation = 360 * random();
    var frames = [];
    for (var f = 0; f < nFrames; f++) {
        frames.push({ x: x, y: y, rotation: rotation });
        x = Math.min(0.95, Math.max(0.05, x + 0.2 * (random() - 0.5)));
        y = Math.min(0.95, Math.max(0.05, y + 0.2 * (random() - 0.5)));
        rotation = (rotation + 90 * (random() - 0.5) + 360) % 360;
    }
    return frames;
}

function fixedFrames(nFrames) {
    var state = { x: 0.05 + 0.9 * random(), y: 0.05 + 0.9 * random(), rotation: 90 * Math.floor(4 * random()) };
    var frames = [];
    for (var f = 0; f < nFrames; f++) {
        frames.push({ x: state.x, y: state.y, rotation: state.rotation });
    }
    return frames;
}

function drill(size) {
    var objects = [];
    var id = 1;
    var i;
    for (i = 0; i < size.players; i++) {
        var player = record('person', id++, 0.2, i < size.players / 2 ? 'red' : 'blue', movingFrames(size.frames));
        player.text = 'Player ' + (i + 1);
        player.shortLabel = String(i + 1);
        objects.push(player);
    }
    for (i = 0; i < size.balls; i++) {
        objects.push(record('gaaBall', id++, 0.11, 'white', movingFrames(size.frames)));
    }
    if (size.curved) {
        objects.forEach(function (o) { o.bends = bendsOf(o.frames); });
    }
    if (size.held) {
        objects[size.players].holders = holdersOf(size.frames, 1, 12);
        objects[size.players + 1].holders = holdersOf(size.frames, 2, 2);
    }
    for (i = 0; i < size.equipment; i++) {
        var type = EQUIPMENT[i % EQUIPMENT.length];
        var colour = (type === 'manikin' || type === 'hurdle' || type === 'goal' || type === 'miniGoal') ? 'grey' : 'yellow';
        objects.push(record(type, id++, defaultScale(type), colour, fixedFrames(size.frames)));
    }
    var captions = [];
    for (var f = 0; f < size.frames; f++) {
        captions.push('Frame ' + (f + 1) + ': move the ball on');
    }
    return { objects: objects, selectedFrame: 0, nFrames: size.frames, frameText: captions };
}

// Held by `first` over the first half of the frames, by `then` after.
function holdersOf(nFrames, first, then) {
    var holders = [];
    for (var f = 0; f < nFrames; f++) {
        holders.push(f < nFrames / 2 ? first : then);
    }
    return holders;
}

// Each step bent a tenth of the pitch aside at its middle.
function bendsOf(frames) {
    var bends = [];
    for (var f = 0; f + 1 < frames.length; f++) {
        bends.push({ x: (frames[f].x + frames[f + 1].x) / 2 + 0.1 * (random() - 0.5),
            y: (frames[f].y + frames[f + 1].y) / 2 + 0.1 * (random() - 0.5) });
    }
    return bends;
}

function drawings(size) {
    var list = [];
    for (var i = 0; i < size.drawings; i++) {
        var kind = DRAWING_KINDS[i % DRAWING_KINDS.length];
        var count = kind[0] === 'note' ? 1 : kind[1] === 'curved' ? 3 : 2;
        var points = [];
        for (var p = 0; p < count; p++) {
            points.push({ x: 0.05 + 0.9 * random(), y: 0.05 + 0.9 * random() });
        }
        var frame = i % size.frames;
        var short = i < SHORT_SPANS;
        list.push({ kind: kind[0], style: kind[1], color: ['white', 'yellow', 'red', 'blue', 'black', 'orange'][i % 6],
            fill: kind[0] === 'zone' ? 0.3 : 0, rotation: kind[0] === 'zone' ? 15 : 0, points: points,
            first: short ? frame : 0, last: short ? frame : size.frames - 1, text: kind[0] === 'note' ? 'Press here\nthen go' : '' });
    }
    return list;
}

function defaultScale(type) {
    return new FieldItem(0, 0, 0, 'default', type, 'default', 'default', 1).getScale();
}

// The smallest step the clock shows.
function clockResolution() {
    var first = now();
    var next = now();
    while (next === first) {
        next = now();
    }
    return next - first;
}

function stats(samples) {
    var sum = 0;
    var worst = 0;
    samples.forEach(function (s) {
        sum += s;
        worst = Math.max(worst, s);
    });
    var sorted = samples.slice().sort(function (a, b) { return a - b; });
    return {
        mean: sum / samples.length,
        median: sorted[Math.floor(sorted.length / 2)],
        worst: worst,
        count: samples.length
    };
}

function fixed(value) {
    return value.toFixed(2);
}

function report(what, s) {
    pageTestHost.log(what + ': mean ' + fixed(s.mean) + ' ms, median ' + fixed(s.median) + ' ms, worst ' +
        fixed(s.worst) + ' ms over ' + s.count);
}

// True once every item picture on the layer has loaded, so that the ticks
// draw what the user sees.
function picturesLoaded() {
    var images = layer.find('Image').toArray();
    return images.length > 0 && images.every(function (node) {
        var picture = node.image();
        return picture && picture.complete && picture.naturalWidth > 0;
    });
}

// What the loop redraws after a tick: its own redraw where playback has
// one, otherwise the whole layer as Kinetic's loop does.
function redrawAfterTick() {
    if (typeof pm.redrawTick === 'function') {
        pm.redrawTick();
    } else {
        layer.draw();
    }
}

// As playback draws the items, where it has a way of its own.
function textsFromBitmaps(on) {
    if (typeof pm.drawForPlayback === 'function') {
        pm.drawForPlayback(on);
        return;
    }
    layer.itemGroups().forEach(function (group) {
        if (typeof group.drawTextsFromBitmaps === 'function') {
            group.drawTextsFromBitmaps(on);
        }
    });
}

function measureTicks(nFrames) {
    var samples = [];
    var end = (nFrames - 1) * 1000;
    pm.startFrame = 0;
    pm.currentPlaybackFrame = 0;
    for (var t = 0; t < end; t += TICK_MS) {
        var start = now();
        pm.drawFrame(t);
        redrawAfterTick();
        samples.push(now() - start);
    }
    return samples;
}

function measureFrameLoads(nFrames) {
    var samples = [];
    for (var round = 0; round < 3; round++) {
        for (var f = 0; f < nFrames; f++) {
            var start = now();
            fm.loadFrame(f);
            animation.drawingLayer.draw();
            layer.draw();
            samples.push(now() - start);
        }
    }
    return samples;
}

// Frames picked across the whole drill, each switch to a different frame.
function measureFrameSwitches(nFrames, count) {
    var samples = [];
    var frame = 0;
    for (var i = 0; i < count; i++) {
        frame = (frame + 1 + Math.floor(random() * (nFrames - 1))) % nFrames;
        var start = now();
        myDispatchEvent('selectedFrame', { frameNumber: frame });
        animation.drawingLayer.draw();
        layer.draw();
        pageShell.timeline.layer.draw();
        samples.push(now() - start);
    }
    return samples;
}

// Forwards over the first nFrames, then back, as a hand drags.
function measureScrubSteps(nFrames) {
    var samples = [];
    var steps = (nFrames - 1) * 60;
    for (var i = 0; i <= 2 * steps; i++) {
        var position = (i <= steps ? i : 2 * steps - i) / 60;
        var start = now();
        myDispatchEvent('scrubTimeline', { position: position });
        samples.push(now() - start);
    }
    myDispatchEvent('scrubEnded', {});
    return samples;
}

function describe(size) {
    return fm.objects.length + ' items (' + size.players + ' players, ' + size.balls + ' balls, ' +
        size.equipment + ' equipment), ' + size.drawings + ' drawings, ' + size.frames + ' frames' +
        (size.curved ? ', players and balls on curved steps' : '');
}

function measurePlayback(size, tickFrames, done) {
    var loadStart = now();
    animation.drawingLayer.model.load(drawings(size));
    fm.loadSettings(drill(size));
    layer.draw();
    var loadTime = now() - loadStart;

    waitFor('the item pictures', picturesLoaded, done, function () {
        pageTestHost.log('application area ' + pageShell.sizes.appWidth + ' x ' + pageShell.sizes.appHeight +
            ', pitch ' + fixed(layer.layerWidth) + ' x ' + fixed(layer.layerHeight) + ', ' + describe(size));
        pageTestHost.log('clock: ' + (window.performance && window.performance.now ? 'performance.now' : 'Date.now') +
            ', resolution about ' + fixed(clockResolution()) + ' ms');
        pageTestHost.log('opening the drill (loadSettings and draw, pictures not yet loaded): ' +
            fixed(loadTime) + ' ms');

        pageShell.timeline.playbackStarted();
        pageShell.animation.animLayer.listening(false);
        textsFromBitmaps(true);
        measureTicks(tickFrames);
        report('tick (drawFrame + redraw), running lines off', stats(measureTicks(tickFrames)));
        animation.toggleRunningLines();
        report('tick (drawFrame + redraw), running lines on', stats(measureTicks(tickFrames)));
        animation.toggleRunningLines();
        textsFromBitmaps(false);
        pageShell.animation.animLayer.listening(true);
        pageShell.timeline.playbackStopped();

        if (typeof pm.scrubTo === 'function') {
            report('scrub step (scrubTimeline to drawn), running lines off', stats(measureScrubSteps(tickFrames)));
            animation.toggleRunningLines();
            report('scrub step (scrubTimeline to drawn), running lines on', stats(measureScrubSteps(tickFrames)));
            animation.toggleRunningLines();
        }
        report('frame load (loadFrame + layer draw)', stats(measureFrameLoads(Math.min(size.frames, 10))));
        report('frame switch (timeline click to drawn)', stats(measureFrameSwitches(size.frames, 30)));
        var drawOnly = [];
        for (var i = 0; i < 30; i++) {
            var start = now();
            layer.draw();
            drawOnly.push(now() - start);
        }
        report('animation layer draw alone', stats(drawOnly));
        if (size.drawings > 0) {
            var drawingsOnly = [];
            for (var k = 0; k < 30; k++) {
                var began = now();
                animation.drawingLayer.drawScene();
                drawingsOnly.push(now() - began);
            }
            report('drawing layer draw alone (' + size.drawings + ' drawings)', stats(drawingsOnly));
        }
        myDispatchEvent('newAnimation', {});
        done();
    }, PICTURE_WAIT_MS);
}

// On a busy machine two runs far apart compare badly. Here blocks of ticks alternate in one run between
// playback's way of drawing (bitmaps, names held where each frame put them) and the way before it (the texts
// from bitmaps only, names laid out on every tick), so that both see the same load. (Items standing still stand
// exactly on their frames' places in both, which the way before did not: the second figure flatters it a little.)
var AB_ROUNDS = 4;

function measureAlternating(size, done) {
    if (typeof pm.drawForPlayback !== 'function') {
        pageTestHost.log('this build has no other way of drawing playback to compare with');
        done();
        return;
    }
    animation.drawingLayer.model.load(drawings(size));
    fm.loadSettings(drill(size));
    layer.draw();
    waitFor('the item pictures', picturesLoaded, done, function () {
        pageTestHost.log('alternating blocks, ' + describe(size));
        pageShell.timeline.playbackStarted();
        layer.listening(false);
        function drawAsNow(now) {
            pm.drawForPlayback(false);
            if (now) {
                pm.drawForPlayback(true);
            } else {
                layer.itemGroups().forEach(function (group) { group.drawTextsFromBitmaps(true); });
            }
        }
        ['off', 'on'].forEach(function (lines) {
            var samples = { now: [], before: [] };
            for (var round = 0; round < AB_ROUNDS; round++) {
                ['now', 'before'].forEach(function (way) {
                    drawAsNow(way === 'now');
                    // Unmeasured, as in measurePlayback: the first pass makes the bitmaps.
                    measureTicks(size.frames);
                    samples[way] = samples[way].concat(measureTicks(size.frames));
                });
            }
            report('tick, running lines ' + lines + ', drawn as playback draws now', stats(samples.now));
            report('tick, running lines ' + lines + ', drawn as before, alternating with the above', stats(samples.before));
            animation.toggleRunningLines();
        });
        pm.drawForPlayback(false);
        pageShell.timeline.playbackStopped();
        layer.listening(true);
        myDispatchEvent('newAnimation', {});
        done();
    }, PICTURE_WAIT_MS);
}

test('playback cost with 54 items over 10 frames in a 1270 x 785 application area', function (done) {
    measurePlayback(FULL_DRILL, FULL_DRILL.frames, done);
}, 120000);

test('the same, half the items (every player and ball) on curved steps, both balls held', function (done) {
    measurePlayback(CURVED_DRILL, CURVED_DRILL.frames, done);
}, 120000);

test('playback and frame switch cost with 100 items over 300 frames', function (done) {
    measurePlayback(LARGE_DRILL, LARGE_TICK_FRAMES, done);
}, 240000);

test('playback ticks with 54 items, drawn as now and as before in alternating blocks', function (done) {
    measureAlternating(FULL_DRILL, done);
}, 600000);
