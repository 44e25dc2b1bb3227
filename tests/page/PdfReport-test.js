// The PDF report builder with the real jsPDF, a recording wrapper around
// its documents and a stand-in image generator that delivers small JPEG
// pictures asynchronously. What the pages look like is checked end to end
// (tests/e2e/tst_PdfReport.cpp); here: layout, aliases, the generator's use,
// the logo wait and the one-report-at-a-time rule.

var A4_WIDTH = 595.28 / 72 * 25.4;

// A JPEG data URL of a small picture in a colour of its own per frame.
function picture(frame) {
    var canvas = document.createElement('canvas');
    canvas.width = 72;
    canvas.height = 54;
    var context = canvas.getContext('2d');
    context.fillStyle = 'rgb(' + (frame * 40 % 256) + ',100,150)';
    context.fillRect(0, 0, 72, 54);
    return canvas.toDataURL('image/jpeg');
}

// Records every call and answers getImage later, never inside the call.
// `fail(time)`, when given, may throw to refuse a picture.
function fakeGenerator(fail) {
    var generator = {
        calls: [],
        loadAnimation: function (text) { generator.calls.push(['loadAnimation', text]); },
        configureAnimation: function (w, print, lines, grid) {
            generator.calls.push(['configureAnimation', w, print, lines, grid]);
        },
        getImage: function (time, callback) {
            generator.calls.push(['getImage', time]);
            if (fail) {
                fail(time);
            }
            window.setTimeout(function () { callback(picture(time / 1000)); }, 0);
        }
    };
    return generator;
}

// The jsPDF constructor, with the document calls the report makes recorded
// in `log` before they are carried out.
function recordingJsPdf(log) {
    return function (orientation, unit, format) {
        var doc = new jsPDF(orientation, unit, format);
        log.push(['new', orientation, unit, format]);
        ['setProperties', 'addPage', 'addImage', 'text'].forEach(function (name) {
            var real = doc[name];
            doc[name] = function () {
                log.push([name].concat([].slice.call(arguments)));
                return real.apply(doc, arguments);
            };
        });
        return doc;
    };
}

function request(nFrames, settings) {
    settings = settings || {};
    return {
        animationText: '{"msgType":"OVRI_Animation","frames":' + nFrames + '}',
        nFrames: nFrames,
        rotated: !!settings.rotated,
        showRunningLines: !!settings.lines,
        showGrid: !!settings.grid,
        date: new Date(2024, 2, 9, 17, 45, 0),
        waitForLogo: settings.waitForLogo || function (callback) {
            callback({ dataUrl: picture(9), width: 256, height: 169 });
        }
    };
}

// Builds one report; `then(result)` gets the log, the progress values and
// the finished data URL (or the error).
function buildReport(generator, req, done, then) {
    var result = { log: [], progress: [], dataUrl: null, error: null };
    var report = createPdfReport(generator, recordingJsPdf(result.log));
    var accepted = report.build(req, {
        progress: function (p) { result.progress.push(p); },
        finished: done.step(function (dataUrl) { result.dataUrl = dataUrl; then(result, report); }),
        failed: done.step(function (e) { result.error = e; then(result, report); })
    });
    assert.ok(accepted, 'the first report is accepted');
    return report;
}

function callsNamed(log, name) {
    return log.filter(function (call) { return call[0] === name; });
}

function frameImages(log) {
    return callsNamed(log, 'addImage').filter(function (call) { return call[7] !== 'playvaneLogo'; });
}

function pdfBytes(dataUrl) {
    return atob(dataUrl.slice(dataUrl.indexOf(',') + 1));
}

// Unturned pitch: pictures 85.75 x 64.31 mm in columns at 14.0 and 110.25,
// rows at 37, 119.84 and 202.68 on every page.
var UPRIGHT = { w: 85.75, h: 64.31, xs: [14.0, 110.25], ys: [37, 119.84, 202.68] };
// Turned pitch: the columns touch, pictures 91.0 x 68.25, row gap 12.62.
var TURNED = { w: 91.0, h: 68.25, xs: [14.0, 105.0], ys: [37, 117.87, 198.74] };

function assertSlots(images, expected, label) {
    images.forEach(function (call, frame) {
        var slot = frame % 6;
        var where = label + ', frame ' + (frame + 1);
        assert.equal(call[2], 'JPEG', where);
        assert.close(call[3], expected.xs[slot % 2], 0.01, where + ' x');
        assert.close(call[4], expected.ys[Math.floor(slot / 2)], 0.01, where + ' y');
        assert.close(call[5], expected.w, 0.01, where + ' width');
        assert.close(call[6], expected.h, 0.01, where + ' height');
        assert.equal(call[7], 'frame' + (frame + 1), where + ' alias');
    });
}

test('1, 6, 7 and 13 frames: pages, headers, footers, one picture of its own per frame', function (done) {
    var cases = [
        { frames: 1, pages: 1, progress: [0] },
        { frames: 6, pages: 1, progress: [0, 20, 40, 60, 80, 100] },
        { frames: 7, pages: 2 },
        { frames: 13, pages: 3 }
    ];
    var index = 0;
    function next() {
        if (index === cases.length) {
            done();
            return;
        }
        var c = cases[index++];
        var label = c.frames + ' frames';
        buildReport(fakeGenerator(), request(c.frames), done, function (r) {
            assert.equal(r.error, null, label);
            assert.deepEqual(callsNamed(r.log, 'new'), [['new', 'portrait', 'mm', 'a4']], label);
            assert.deepEqual(callsNamed(r.log, 'setProperties')[0][1], {
                title: 'Norrick Playvane Report', subject: '', author: '',
                keywords: 'animation, training', creator: 'Norrick Limited'
            }, label);
            assert.equal(callsNamed(r.log, 'addPage').length, c.pages - 1, label + ': pages added');

            var images = frameImages(r.log);
            assert.equal(images.length, c.frames, label + ': pictures');
            assertSlots(images, UPRIGHT, label);
            // Each frame's own picture in its slot, not the first one again.
            images.forEach(function (call, frame) {
                assert.equal(call[1], picture(frame), label + ': picture of frame ' + (frame + 1));
            });

            var logos = callsNamed(r.log, 'addImage').filter(function (call) { return call[7] === 'playvaneLogo'; });
            assert.equal(logos.length, c.pages, label + ': a logo on every page');
            assert.close(logos[0][3], A4_WIDTH - 30 - A4_WIDTH / 15, 1e-6, 'logo x');
            assert.close(logos[0][4], 20 - 169 / 256 * 30 / 2, 1e-6, 'logo centred on the title');

            var texts = callsNamed(r.log, 'text').map(function (call) { return [].concat(call[1]).join('|'); });
            assert.equal(texts.filter(function (t) { return t === 'Training Report'; }).length, c.pages, label);
            for (var p = 1; p <= c.pages; p++) {
                var footer = 'Page ' + p + ' / ' + c.pages + '\t\t\t\t' + new Date(2024, 2, 9, 17, 45, 0).toString();
                assert.ok(texts.indexOf(footer) >= 0, label + ': footer of page ' + p + ' in ' + JSON.stringify(texts));
            }

            if (c.progress) {
                assert.deepEqual(r.progress, c.progress, label + ': progress');
            }
            assert.equal(r.progress.length, c.frames, label + ': one progress step a picture');
            assert.equal(r.progress[r.progress.length - 1], c.frames > 1 ? 100 : 0, label);
            assert.equal(r.dataUrl.indexOf('data:application/pdf;'), 0, label);
            assert.equal(pdfBytes(r.dataUrl).slice(0, 5), '%PDF-', label);
            next();
        });
    }
    next();
}, 20000);

test('a turned pitch: the columns touch and the pictures grow', function (done) {
    buildReport(fakeGenerator(), request(8, { rotated: true }), done, function (r) {
        assertSlots(frameImages(r.log), TURNED, 'turned');
        done();
    });
});

test('the generator draws every frame in print, with the editor\'s lines and grid', function (done) {
    var cases = [{ lines: true, grid: false }, { lines: false, grid: true }];
    var generators = cases.map(function () { return fakeGenerator(); });
    buildReport(generators[0], request(3, cases[0]), done, function () {
        buildReport(generators[1], request(2, cases[1]), done, function () {
            assert.deepEqual(generators[0].calls, [
                ['loadAnimation', request(3).animationText],
                ['configureAnimation', 720, true, true, false],
                ['getImage', 0], ['getImage', 1000], ['getImage', 2000]
            ]);
            assert.deepEqual(generators[1].calls.slice(1, 2), [['configureAnimation', 720, true, false, true]]);
            done();
        });
    });
});

test('one report at a time, also when the last one failed', function (done) {
    var broken = fakeGenerator(function (time) {
        if (time === 1000) {
            throw new Error('the generator is busy');
        }
    });
    var report = buildReport(broken, request(3), done, function (r, same) {
        assert.equal(r.error && r.error.message, 'the generator is busy', 'a refused picture fails the report');
        assert.equal(r.dataUrl, null);
        assert.ok(!same.isBusy(), 'free again after the failure');
        var finished = false;
        assert.ok(same.build(request(1), {
            progress: function () {},
            finished: done.step(function () { finished = true; assert.ok(!same.isBusy()); done(); }),
            failed: done.step(function (e) { throw e; })
        }), 'a new report is accepted');
        assert.ok(!finished, 'and it too delivers later');
    });
    assert.ok(report.isBusy());
    assert.ok(!report.build(request(1), {}), 'refused while the first is rendering');
});

test('a report waits for the logo, and goes without it when there is none', function (done) {
    var release = null;
    var generator = fakeGenerator();
    var req = request(2, { waitForLogo: function (callback) { release = callback; } });
    var report = buildReport(generator, req, done, function (r) {
        assert.equal(r.error, null);
        assert.equal(callsNamed(r.log, 'addImage').length, 2, 'the two frames and no logo');
        assert.equal(callsNamed(r.log, 'text')[0][1], 'Training Report', 'the header is still drawn');
        done();
    });
    window.setTimeout(done.step(function () {
        assert.deepEqual(generator.calls, [], 'nothing drawn before the logo has settled');
        assert.ok(report.isBusy(), 'waiting counts as building');
        release(null);
    }), 20);
});

test('the builder wants a generator and jsPDF', function () {
    assert.throws(function () { createPdfReport(null, jsPDF); }, /image generator/);
    assert.throws(function () { createPdfReport(fakeGenerator(), undefined); }, /jsPDF/);
});
