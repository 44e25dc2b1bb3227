// Picture cost of the image generator: the time from asking for one picture
// of a moment (getImage) to its JPEG data URL, at the video's 640 x 480 and
// the snapshot's 1024 x 768, with Kinetic's own stage export of the same
// moment beside it. Not a test and not run by CTest; it prints figures. Run
// it from a build folder:
//
//   QT_QPA_PLATFORM=offscreen tests/page/pagetests --timeout 300 ../tests/bench/imagegenerator-bench.js
//
// The drill: a soccer pitch with stripes and grid, 22 players, a ball and 8
// cones over 6 frames, running lines on; pictures are taken 200 ms apart, so
// most fall between frames, as in a video.

var N_FRAMES = 6;
var SAMPLES = 30;
var WARM_UP = 3;
var STEP_MS = 200;

// Its hidden animation is made at the first picture.
var generator = pageShell.imageGenerator;

var now = clockMs;

function record(type, id, scale, color, place) {
    var frames = [];
    for (var f = 0; f < N_FRAMES; f++) {
        frames.push(place(f));
    }
    return { type: type, id: id, scale: scale, text: '', shortLabel: String(id), z: id, color: color,
        frames: frames };
}

function drillText() {
    var objects = [];
    var id = 1;
    for (var p = 0; p < 22; p++) {
        objects.push(record('person', id++, 0.2, p < 11 ? 'red' : 'blue', function (f) {
            return { x: 0.05 + 0.04 * p + 0.02 * f, y: 0.1 + 0.035 * p + 0.01 * f, rotation: (30 * p + 20 * f) % 360 };
        }));
    }
    objects.push(record('gaaBall', id++, 0.11, 'white', function (f) {
        return { x: 0.2 + 0.1 * f, y: 0.5, rotation: 0 };
    }));
    for (var c = 0; c < 8; c++) {
        objects.push(record('cone', id++, 0.15, 'orange', function () {
            return { x: 0.1 + 0.1 * c, y: 0.9, rotation: 0 };
        }));
    }
    var captions = [];
    for (var f = 0; f < N_FRAMES; f++) {
        captions.push('Frame ' + (f + 1) + ': switch the play');
    }
    return JSON.stringify({
        msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: true,
        background: { type: 'fullField', showStripes: true, showLogo: true, logoImage: 'logos/ovri256x256.png' },
        rotation: 0, gridVisible: true, nFrames: N_FRAMES, selectedFrame: 0, objects: objects,
        frameText: captions
    });
}

function fixed(value) {
    return (Math.round(value * 100) / 100).toFixed(2);
}

function report(what, samples) {
    var sorted = samples.slice().sort(function (a, b) { return a - b; });
    var sum = samples.reduce(function (a, b) { return a + b; }, 0);
    pageTestHost.log(what + ': mean ' + fixed(sum / samples.length) + ' ms, median ' +
        fixed(sorted[Math.floor(sorted.length / 2)]) + ' ms, worst ' + fixed(sorted[sorted.length - 1]) +
        ' ms (' + samples.length + ' pictures)');
}

// `count` pictures one after another, each timed from asking for it with
// take(timeInMs, callback) to its callback.
function timeChain(count, take, done, then) {
    var samples = [];
    function next() {
        var time = (samples.length * STEP_MS) % ((N_FRAMES - 1) * 1000);
        var start = now();
        take(time, done.step(function () {
            samples.push(now() - start);
            if (samples.length < count) {
                next();
            } else {
                then(samples);
            }
        }));
    }
    next();
}

function timeGenerator(width, count, done, then) {
    generator.loadAnimation(drillText());
    generator.configureAnimation(width, false, true, true);
    timeChain(count, function (time, callback) {
        generator.getImage(time, callback);
    }, done, then);
}

// The same moments drawn by the playback routine and exported by the stage
// itself, for comparison.
function timeKineticExport(width, count, done, then) {
    timeChain(count, function (time, callback) {
        var hidden = generator.hiddenAnimation();
        hidden.playbackManager.drawFrame(time);
        hidden.stage.toDataURL({
            mimeType: 'image/jpeg', x: 0, y: 0, width: width, height: width * 3 / 4, callback: callback
        });
    }, done, then);
}

// Times every call of the generator's method `name` into `samples`.
function timed(name, samples) {
    var original = ImageGenerator.prototype[name];
    generator[name] = function () {
        var start = now();
        try {
            return original.apply(this, arguments);
        } finally {
            samples.push(now() - start);
        }
    };
    return function () { delete generator[name]; };
}

function measure(width, done, then) {
    timeGenerator(width, WARM_UP, done, function () {
        var drawing = [];
        var capturing = [];
        var untimeDraw = timed('drawInstant', drawing);
        var untimeCapture = timed('capture', capturing);
        timeGenerator(width, SAMPLES, done, function (fast) {
            untimeDraw();
            untimeCapture();
            timeKineticExport(width, SAMPLES, done, function (kinetic) {
                report(width + ' x ' + (width * 3 / 4) + ', getImage to data URL', fast);
                report('  of which drawing the moment (drawFrame)', drawing);
                report('  of which composing and encoding', capturing);
                report(width + ' x ' + (width * 3 / 4) + ', Kinetic stage export of the same moments', kinetic);
                then();
            });
        });
    });
}

test('picture cost at 640 x 480 and 1024 x 768 for a drill of 31 items', function (done) {
    measure(640, done, function () {
        measure(1024, done, function () {
            done();
        });
    });
}, 240000);
