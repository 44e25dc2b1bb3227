// Time and size of a 24-frame PDF report: from asking the page's report
// builder for it to the finished document, with the share spent waiting for
// pictures, and the size of the PDF. Target: under 1.5 s on a two-core
// machine. Not a test and not run by CTest; it prints figures. Run it from a
// build folder:
//
//   QT_QPA_PLATFORM=offscreen tests/page/pagetests --timeout 300 ../tests/bench/pdfreport-bench.js
//
// The drill: a soccer pitch with stripes and grid, 22 players, a ball and 8
// cones over 24 frames, running lines on, each frame with a caption.

var N_FRAMES = 24;
var RUNS = 3;

var now = clockMs;

function drillText() {
    var objects = [];
    function add(type, scale, color, place) {
        var frames = [];
        for (var f = 0; f < N_FRAMES; f++) {
            frames.push(place(f));
        }
        var id = objects.length + 1;
        objects.push({ type: type, id: id, scale: scale, text: '', shortLabel: String(id), z: id, color: color,
            frames: frames });
    }
    for (var p = 0; p < 22; p++) {
        add('person', 0.2, p < 11 ? 'red' : 'blue', function (f) {
            return { x: 0.05 + 0.04 * p + 0.01 * (f % 5), y: 0.1 + 0.035 * p + 0.005 * f,
                rotation: (30 * p + 20 * f) % 360 };
        });
    }
    add('gaaBall', 0.11, 'white', function (f) { return { x: 0.1 + 0.03 * f, y: 0.5, rotation: 0 }; });
    for (var c = 0; c < 8; c++) {
        add('cone', 0.15, 'orange', function () { return { x: 0.1 + 0.1 * c, y: 0.9, rotation: 0 }; });
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
    return (Math.round(value * 10) / 10).toFixed(1);
}

// One report; `then` gets the total time, the time spent waiting for
// pictures, and the document.
function timeReport(done, then) {
    var generator = pageShell.imageGenerator;
    var getImage = generator.getImage;
    var waiting = 0;
    generator.getImage = function (time, callback) {
        var asked = now();
        return getImage.call(generator, time, function (dataUrl) {
            waiting += now() - asked;
            callback(dataUrl);
        });
    };
    var start = now();
    pageShell.pdfReport.build({
        animationText: drillText(), nFrames: N_FRAMES, rotated: false,
        showRunningLines: true, showGrid: true, drillName: 'Bench drill', date: '7 December 2026, 18:04',
        captions: JSON.parse(drillText()).frameText,
        waitForLogo: function (callback) {
            callback(pageShell.reportLogo.logo());
        }
    }, {
        progress: function () {},
        finished: done.step(function (dataUrl) {
            var total = now() - start;
            delete generator.getImage;
            then(total, waiting, dataUrl);
        }),
        failed: done.step(function (e) { throw e; })
    });
}

test('a 24-frame report', function (done) {
    waitFor('the report logo', function () { return pageShell.reportLogo.settled; }, done, function () {
        var totals = [];
        function run() {
            timeReport(done, function (total, waiting, dataUrl) {
                totals.push(total);
                var bytes = atob(dataUrl.slice(dataUrl.indexOf(',') + 1)).length;
                pageTestHost.log('report of ' + N_FRAMES + ' frames: ' + fixed(total) + ' ms, of which ' +
                    fixed(waiting) + ' ms waiting for pictures (' + fixed(waiting / N_FRAMES) +
                    ' ms a picture); PDF ' + fixed(bytes / 1024) + ' KiB, data URL ' +
                    fixed(dataUrl.length / 1024) + ' KiB');
                if (totals.length < RUNS) {
                    run();
                    return;
                }
                totals.sort(function (a, b) { return a - b; });
                pageTestHost.log('median of ' + RUNS + ' reports: ' + fixed(totals[Math.floor(RUNS / 2)]) + ' ms');
                done();
            });
        }
        run();
    }, 10000);
}, 120000);
