// Undo history cost on the editor page: a drill of 100 moving items over 300
// frames in the editor's own animation. Not a test and not run by CTest; it
// prints figures. Run it from a build folder:
//
//   QT_QPA_PLATFORM=offscreen tests/page/pagetests --size 1280x800 ../tests/bench/undo-bench.js
//
// A step is what the shell does after a change (the animation cut into
// parts and recorded); an undo or a redo puts a snapshot back on screen,
// reading and rebuilding what differs from the drill on show. The next
// display refresh draws it; that draw is not counted. The history's bytes are counted after a run of
// changes to one item each, the common case, and after changes to every
// item at once, the worst, which the byte limit bounds.

var N_ITEMS = 100;
var N_FRAMES = 300;
var N_STEPS = 40;

var animation = pageShell.animation;
var layer = animation.animLayer;

var now = clockMs;

// The same drill on every run.
var random = seededRandom(4242);

function drillText() {
    var objects = [];
    for (var i = 0; i < N_ITEMS; i++) {
        var frames = [];
        var x = 0.1 + 0.8 * random();
        var y = 0.1 + 0.8 * random();
        for (var f = 0; f < N_FRAMES; f++) {
            x = Math.min(0.95, Math.max(0.05, x + 0.05 * (random() - 0.5)));
            y = Math.min(0.95, Math.max(0.05, y + 0.05 * (random() - 0.5)));
            frames.push({ x: x, y: y, rotation: 360 * random() });
        }
        objects.push({ type: 'person', id: i + 1, scale: 0.2, text: 'Player ' + (i + 1), shortLabel: String(i % 99),
            z: i + 1, color: i % 2 ? 'red' : 'blue', frames: frames });
    }
    var captions = [];
    for (var k = 0; k < N_FRAMES; k++) {
        captions.push('Frame ' + (k + 1));
    }
    return JSON.stringify({
        msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: false,
        background: { type: 'fullField', showStripes: true, showLogo: false, logoImage: 'logos/ovri256x256.png' },
        rotation: 0, gridVisible: false, nFrames: N_FRAMES, selectedFrame: 0, objects: objects, frameText: captions
    });
}

function stats(samples) {
    var sorted = samples.slice().sort(function (a, b) { return a - b; });
    var sum = samples.reduce(function (a, b) { return a + b; }, 0);
    return 'mean ' + (sum / samples.length).toFixed(1) + ' ms, median ' +
        sorted[Math.floor(sorted.length / 2)].toFixed(1) + ' ms, worst ' + sorted[sorted.length - 1].toFixed(1) +
        ' ms over ' + samples.length;
}

function timed(fn) {
    var t0 = now();
    fn();
    return now() - t0;
}

function megabytes(bytes) {
    return (bytes / (1024 * 1024)).toFixed(1) + ' MB';
}

test('undo history: 100 items over 300 frames', function () {
    var text = drillText();
    cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: text });
    pageTestHost.log('drill text: ' + megabytes(text.length) + ' of characters');
    var history = pageShell.history;

    // Changes to one item each: a drag of item k on its frame.
    var steps = [];
    for (var n = 0; n < N_STEPS; n++) {
        var group = layer.itemGroups()[n % N_ITEMS];
        group.updatePosition(layer.pixelPos({ x: 0.1 + 0.02 * n, y: 0.5 }), 0);
        steps.push(timed(function () { animation.stage.fire('contentMouseup'); }));
    }
    pageTestHost.log('step after a one-item change: ' + stats(steps));
    pageTestHost.log('history after ' + N_STEPS + ' one-item changes: ' + history.length() + ' snapshots, ' +
        megabytes(history.bytes()));

    var undos = [];
    var redos = [];
    for (var u = 0; u < 10; u++) {
        undos.push(timed(function () { myDispatchEvent('undo', {}); }));
    }
    for (var r = 0; r < 10; r++) {
        redos.push(timed(function () { myDispatchEvent('redo', {}); }));
    }
    pageTestHost.log('undo: ' + stats(undos));
    pageTestHost.log('redo: ' + stats(redos));

    // Changes to every item at once: all selected and made larger.
    layer.itemGroups().forEach(function (g) { g.selectFunc(true); });
    var whole = [];
    for (var w = 0; w < 20; w++) {
        whole.push(timed(function () {
            myDispatchEvent(w % 2 ? 'decreaseSelectedScale' : 'increaseSelectedScale', {});
        }));
        layer.itemGroups().forEach(function (g) { g.selectFunc(true); });
    }
    pageTestHost.log('step after an every-item change: ' + stats(whole));
    pageTestHost.log('history after 20 every-item changes: ' + history.length() + ' snapshots, ' +
        megabytes(history.bytes()) + ' (limit ' + megabytes(history.maxBytes) + ')');
    var wholeUndos = [];
    for (var v = 0; v < 5; v++) {
        wholeUndos.push(timed(function () { myDispatchEvent('undo', {}); }));
    }
    pageTestHost.log('undo of an every-item change: ' + stats(wholeUndos));
    var turns = [];
    myDispatchEvent('rotateClockwise', {});
    for (var t = 0; t < 5; t++) {
        turns.push(timed(function () { myDispatchEvent(t % 2 ? 'redo' : 'undo', {}); }));
    }
    pageTestHost.log('undo or redo of a pitch turn: ' + stats(turns));
    assert.ok(history.bytes() <= history.maxBytes);
});
