// What each command costs on the largest drill a file may hold: 500
// players over 500 frames, opened in the editor through the page shell
// (timeline and toolbar refreshed as for a real file). Not a test and not
// run by CTest; it prints figures. Run it from a build folder:
//
//   QT_QPA_PLATFORM=offscreen tests/page/pagetests --size 1280x800 ../tests/bench/largest-drill-bench.js
//
// Each figure is one command as the shell's page event runs it, plus the
// synchronous redraw of the animation layer and the timeline that follows.

var N_ITEMS = 200;
var N_FRAMES = 500;

var now = clockMs;

function largestDrill() {
    var objects = [];
    for (var i = 0; i < N_ITEMS; i++) {
        var frames = [];
        for (var f = 0; f < N_FRAMES; f++) {
            frames.push({ x: ((i * 7 + f) % 97) / 97, y: ((i * 13 + f) % 89) / 89, rotation: (f * 3) % 360 });
        }
        objects.push({ type: 'person', id: i + 1, scale: 0.2, text: 'P' + i, shortLabel: String(i % 100), z: i + 1,
            color: 'blue', frames: frames });
    }
    var captions = [];
    for (var c = 0; c < N_FRAMES; c++) {
        captions.push('Frame ' + (c + 1));
    }
    return JSON.stringify({ msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: true,
        background: { type: 'fullField', showStripes: true, showLogo: false, logoImage: 'logos/ovri256x256.png' },
        rotation: 0, gridVisible: false, nFrames: N_FRAMES, selectedFrame: 0, objects: objects,
        frameText: captions });
}

function timed(what, fn) {
    var start = now();
    fn();
    pageShell.animation.animLayer.draw();
    pageShell.timeline.layer.draw();
    var ms = now() - start;
    pageTestHost.log(what + ': ' + ms.toFixed(0) + ' ms');
    return ms;
}

test('largest drill: every command\'s cost', function () {
    var text = largestDrill();
    pageTestHost.log('file: ' + (text.length / (1024 * 1024)).toFixed(1) + ' MB, ' + N_ITEMS + ' items, ' +
        N_FRAMES + ' frames');
    timed('open', function () { cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: text }); });
    var fm = pageShell.animation.frameManager;
    assert.equal(fm.nFrames, N_FRAMES, 'opened');
    timed('switch to frame 250', function () { myDispatchEvent('selectedFrame', { frameNumber: 249 }); });
    timed('switch to frame 251', function () { myDispatchEvent('selectedFrame', { frameNumber: 250 }); });
    timed('add a frame', function () { myDispatchEvent('addFrame', {}); });
    timed('remove a frame', function () { myDispatchEvent('removeFrame', {}); });
    timed('toggle running lines', function () { myDispatchEvent('toggleRunningLines', {}); });
    timed('turn the pitch', function () { myDispatchEvent('rotateClockwise', {}); });
    timed('turn it back', function () { myDispatchEvent('rotateAntiClockwise', {}); });
    timed('save (text and check)', function () {
        var saved = pageShell.animation.saveToString();
        assert.equal(DrillFile.savedTextProblem(saved), '');
    });
    timed('draw 1.5 s into playback', function () {
        pageShell.animation.playbackManager.startPlayback();
        pageShell.animation.playbackManager.drawFrame(1500);
        pageShell.animation.playbackManager.stop();
    });
    timed('new', function () { myDispatchEvent('newAnimation', {}); });
});
