// What the exports are made of: pictures of any moment drawn by the image
// generator (ImageGenerator.js) in its hidden animation, compared with
// Kinetic's own export of the stage; the snapshot; and the PDF report
// (PdfReport.js) built with the real jsPDF from a stand-in generator.

var generator = pageShell.imageGenerator;
var hidden = generator.animation;

function record(type, id, color, frames) {
    return { type: type, id: id, scale: 0.3, text: '', shortLabel: '', z: id, color: color, frames: frames };
}

// A person walking right and turning from 350 through 0 to 10 degrees and
// on, a ball going down and a still cone, over four captioned frames.
function fourFrames() {
    return {
        objects: [
            record('person', 1, 'red', [{ x: 0.2, y: 0.5, rotation: 350 }, { x: 0.4, y: 0.5, rotation: 10 },
                { x: 0.6, y: 0.5, rotation: 90 }, { x: 0.8, y: 0.5, rotation: 60 }]),
            record('gaaBall', 2, 'white', [0.2, 0.4, 0.6, 0.8].map(function (y) { return { x: 0.3, y: y, rotation: 0 }; })),
            record('cone', 3, 'orange', [0, 1, 2, 3].map(function () { return { x: 0.9, y: 0.2, rotation: 30 }; }))
        ],
        nFrames: 4, selectedFrame: 0, frameText: ['Start', 'Pass', 'Run', 'Finish']
    };
}

function animationText(model, p) {
    p = p || {};
    return JSON.stringify({
        msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: !!p.lines,
        background: { type: p.view || 'blank', showStripes: !!p.view, showLogo: !!p.logo,
            logoImage: p.logo || 'logos/ovri256x256.png' },
        rotation: p.rotation || 0, gridVisible: !!p.grid, nFrames: model.nFrames, selectedFrame: model.selectedFrame,
        objects: model.objects, frameText: model.frameText
    });
}

function decode(urls, done, then) {
    var images = [];
    (function next() {
        if (images.length === urls.length) {
            return then(images);
        }
        var picture = new Image();
        picture.onload = done.step(function () {
            var canvas = document.createElement('canvas');
            canvas.width = picture.width;
            canvas.height = picture.height;
            canvas.getContext('2d').drawImage(picture, 0, 0);
            images.push(canvas.getContext('2d').getImageData(0, 0, picture.width, picture.height));
            next();
        });
        picture.src = urls[images.length];
    }());
}

// The share of pixels differing by more than 48 in a channel: JPEG noise
// stays far below 0.001, a moved item or caption far above.
function differing(a, b) {
    assert.deepEqual([a.width, a.height], [b.width, b.height], 'same size');
    var n = 0;
    for (var i = 0; i < a.data.length; i += 4) {
        if ([0, 1, 2].some(function (k) { return Math.abs(a.data[i + k] - b.data[i + k]) > 48; })) {
            n += 1;
        }
    }
    return n / (a.width * a.height);
}

function colourAt(image, x, y, expected, message) {
    var i = (y * image.width + x) * 4;
    var rgb = [image.data[i], image.data[i + 1], image.data[i + 2]];
    assert.ok(rgb.every(function (v, k) { return Math.abs(v - expected[k]) <= 40; }), message + ': ' + rgb);
}

// Loads `text`, configures ([width, print, lines, grid]) and takes the
// pictures at `times` one after the other; then(urls, captions).
function chain(text, config, times, done, then) {
    var urls = [];
    var captions = [];
    generator.loadAnimation(text);
    generator.configureAnimation(config[0], config[1], config[2], config[3]);
    (function next() {
        generator.getImage(times[urls.length], done.step(function (url) {
            urls.push(url);
            captions.push(hidden.animLayer.getFrameText());
            return urls.length < times.length ? next() : then(urls, captions);
        }));
    }());
}

test('a picture at a frame\'s time, or past the end, is Kinetic\'s own export of that frame with its caption', function (done) {
    var cases = [[0, 0, 'Start'], [2000, 2, 'Run'], [4200, 3, 'Finish']];
    var text = animationText(fourFrames(), { lines: true, grid: true, view: 'fullField', logo: '' });
    (function next() {
        var c = cases.shift();
        if (!c) {
            return done();
        }
        chain(text, [320, c[0] === 2000, true, true], [c[0]], done, function (urls, captions) {
            assert.equal(captions[0], c[2]);
            hidden.frameManager.loadFrame(c[1]);
            hidden.stage.toDataURL({ mimeType: 'image/jpeg', x: 0, y: 0, width: 320, height: 240,
                callback: done.step(function (reference) {
                    decode([urls[0], reference], done, function (images) {
                        assert.ok(differing(images[0], images[1]) < 0.001, 'frame ' + c[1] + ' as stored');
                        next();
                    });
                }) });
        });
    }());
}, 20000);

test('between frames every item stands in between, turned the short way', function (done) {
    var model = fourFrames();
    chain(animationText(model), [320, false, false, false], [1000, 500], done, function (moving) {
        var person = hidden.animLayer.childWithId(1).getFieldItem().group;
        assert.close(person.x() / hidden.animLayer.layerWidth, 0.3, 1e-9, 'half-way across');
        assert.close(person.rotation(), 0, 1e-9, 'half of the short turn from 350 to 10');
        var halfWay = { objects: model.objects.map(function (o, i) {
            return record(o.type, o.id, o.color, [[{ x: 0.3, y: 0.5, rotation: 0 }, { x: 0.3, y: 0.3, rotation: 0 },
                { x: 0.9, y: 0.2, rotation: 30 }][i]]);
        }), nFrames: 1, selectedFrame: 0, frameText: ['Start'] };
        chain(animationText(halfWay), [320, false, false, false], [0], done, function (expected) {
            decode([moving[1], expected[0], moving[0]], done, function (images) {
                assert.ok(differing(images[0], images[1]) < 0.001, 'every item half-way');
                assert.ok(differing(images[0], images[2]) > 0.003, 'not where frame 1 has them');
                done();
            });
        });
    });
});

test('a turned pitch gives a landscape picture with black side bands on screen and white ones for print', function (done) {
    var empty = { objects: [], nFrames: 1, selectedFrame: 0, frameText: [''] };
    chain(animationText(empty, { rotation: 90 }), [640, false, false, false], [0], done, function (screen) {
        chain(animationText(empty, { rotation: 90 }), [640, true, false, false], [0], done, function (print) {
            decode([screen[0], print[0]], done, function (images) {
                assert.deepEqual([images[0].width, images[0].height], [640, 480]);
                // The turned pitch stands 360 wide in the middle.
                [[images[0], [0, 0, 0], [0, 128, 0]], [images[1], [255, 255, 255], [255, 255, 255]]].forEach(function (c) {
                    colourAt(c[0], 132, 240, c[1], 'left band');
                    colourAt(c[0], 508, 240, c[1], 'right band');
                    colourAt(c[0], 148, 240, c[2], 'pitch');
                    colourAt(c[0], 320, 476, c[2], 'pitch at the bottom');
                });
                done();
            });
        });
    });
});

// Once mended: an export after one that ended on the last frame drew its
// first picture with the items of the last.
test('pictures asked for during a chain wait their turn; the next chain starts from its own frame 0', function (done) {
    var model = fourFrames();
    model.selectedFrame = 3;
    var order = [];
    chain(animationText(model), [320, false, false, false], [2000, 3000], done, function () {
        order.push(hidden.animLayer.getFrameText());
    });
    // A snapshot pressed during an export.
    generator.loadAnimation(animationText({ objects: [], nFrames: 2, selectedFrame: 0, frameText: ['A', 'B'] }));
    generator.configureAnimation(320, true, false, false);
    generator.getImage(1000, done.step(function () {
        assert.deepEqual(order.concat([hidden.animLayer.getFrameText()]), ['Finish', 'B'], 'one after the other');
        assert.equal(hidden.whiteLayer.visible(), true, 'with its own configuration');
        var frame0 = { objects: model.objects.map(function (o) { return record(o.type, o.id, o.color, [o.frames[0]]); }),
            nFrames: 1, selectedFrame: 0, frameText: ['Start'] };
        chain(animationText(model), [320, false, false, false], [0], done, function (first) {
            chain(animationText(frame0), [320, false, false, false], [0], done, function (expected) {
                decode([first[0], expected[0]], done, function (images) {
                    assert.ok(differing(images[0], images[1]) < 0.001, 'frame 0 as stored');
                    done();
                });
            });
        });
    }));
    assert.throws(function () { generator.getImage(-1, function () {}); }, /at least 0/);
    assert.throws(function () { generator.configureAnimation(0, false, false, false); }, /width/);
}, 20000);

test('a new logo is in the first picture; one that cannot load is left out, not waited for', function (done) {
    var canvas = document.createElement('canvas');
    canvas.width = canvas.height = 64;
    canvas.getContext('2d').fillStyle = 'rgb(255,0,0)';
    canvas.getContext('2d').fillRect(0, 0, 64, 64);
    canvas.getContext('2d').fillStyle = 'rgb(' + (Date.now() % 200) + ',0,0)';
    canvas.getContext('2d').fillRect(0, 0, 1, 1);
    var logo = canvas.toDataURL('image/png');
    var broken = logo.slice(0, logo.indexOf(',') + 64);  // a PNG cut after its header
    var empty = { objects: [], nFrames: 1, selectedFrame: 0, frameText: [''] };
    chain(animationText(empty, { logo: logo }), [320, false, false, false], [0], done, function (withLogo) {
        chain(animationText(empty, { logo: broken }), [320, false, false, false], [0], done, function (without) {
            decode([withLogo[0], without[0]], done, function (images) {
                colourAt(images[0], 160, 120, [51, 102, 0], 'red at 0.2 over grass');
                colourAt(images[1], 160, 120, [0, 128, 0], 'plain grass');
                done();
            });
        });
    });
});

test('the snapshot sends the selected frame at 1024 x 768 as the editor shows it, and leaves the editor alone', function (done) {
    var editor = pageShell.animation;
    cppInterface.clearReceivedMessages();
    editor.frameManager.loadSettings(fourFrames());
    myDispatchEvent('selectedFrame', { frameNumber: 2 });
    done.cleanup(function () { myDispatchEvent('newAnimation', {}); });
    myDispatchEvent('toggleGrid', {});
    editor.animLayer.select(editor.animLayer.childWithId(2)._id);
    var before = editor.saveToString() + editor.animLayer.itemGroups().map(function (g) { return g.isSelected; });
    myDispatchEvent('takeSnapshot', {});
    function sent() {
        return cppInterface.receivedMessages().filter(function (m) { return m.msgType === 'snapshotImage'; });
    }
    assert.equal(sent().length, 0, 'the picture comes later');
    waitFor('the snapshot', function () { return sent().length === 1; }, done, function () {
        assert.deepEqual([sent()[0].frameWidth, sent()[0].frameHeight], [1024, 768]);
        assert.equal(editor.saveToString() + editor.animLayer.itemGroups().map(function (g) { return g.isSelected; }),
            before, 'the editor is as it was');
        chain(editor.saveToString(), [1024, false, false, true], [2000], done, function (expected) {
            decode([sent()[0].imageData, expected[0]], done, function (images) {
                assert.ok(differing(images[0], images[1]) < 0.001, 'frame 2 with the grid');
                done();
            });
        });
    }, 10000);
}, 20000);

// ---- PDF report ----------------------------------------------------------------------

function picture(frame) {
    var canvas = document.createElement('canvas');
    canvas.width = 72;
    canvas.height = 54;
    canvas.getContext('2d').fillStyle = 'rgb(' + (frame * 40 % 256) + ',100,150)';
    canvas.getContext('2d').fillRect(0, 0, 72, 54);
    return canvas.toDataURL('image/jpeg');
}

// Records its calls and delivers pictures later; `fail(time)` may throw.
function fakeGenerator(fail) {
    var g = { calls: [] };
    g.loadAnimation = function (text) { g.calls.push(['loadAnimation', text]); };
    g.configureAnimation = function () { g.calls.push(['configureAnimation'].concat([].slice.call(arguments))); };
    g.getImage = function (time, callback) {
        g.calls.push(['getImage', time]);
        if (fail) {
            fail(time);
        }
        window.setTimeout(function () { callback(picture(time / 1000)); }, 0);
    };
    return g;
}

function request(nFrames, settings) {
    settings = settings || {};
    return { animationText: 'drill ' + nFrames, nFrames: nFrames, rotated: !!settings.rotated,
        showRunningLines: !!settings.lines, showGrid: !!settings.grid, date: new Date(2024, 2, 9, 17, 45, 0),
        waitForLogo: settings.waitForLogo || function (callback) {
            callback({ dataUrl: picture(9), width: 256, height: 169 });
        } };
}

// Builds one report with jsPDF's addPage, addImage and text recorded.
function buildReport(g, req, done, then) {
    var r = { log: [], progress: [], dataUrl: null, error: null };
    var report = createPdfReport(g, function (orientation, unit, format) {
        var doc = new jsPDF(orientation, unit, format);
        ['addPage', 'addImage', 'text'].forEach(function (name) {
            var real = doc[name];
            doc[name] = function () {
                r.log.push([name].concat([].slice.call(arguments)));
                return real.apply(doc, arguments);
            };
        });
        return doc;
    });
    assert.ok(report.build(req, {
        progress: function (p) { r.progress.push(p); },
        finished: done.step(function (dataUrl) { r.dataUrl = dataUrl; then(r, report); }),
        failed: done.step(function (e) { r.error = e; then(r, report); })
    }), 'accepted');
    return report;
}

function calls(log, name) {
    return log.filter(function (c) { return c[0] === name; });
}

test('report: six pictures a page, each frame\'s own under its own alias, with header, logo and footer', function (done) {
    // [frames, pages, turned]: upright pictures 85.75 x 64.31 mm in two
    // columns, turned ones 91 x 68.25 in touching columns.
    var cases = [[1, 1], [7, 2], [13, 3], [8, 2, true]];
    (function next() {
        var c = cases.shift();
        if (!c) {
            return done();
        }
        var slots = c[2] ? { w: 91, h: 68.25, xs: [14, 105], ys: [37, 117.87, 198.74] } :
            { w: 85.75, h: 64.31, xs: [14, 110.25], ys: [37, 119.84, 202.68] };
        buildReport(fakeGenerator(), request(c[0], { rotated: c[2] }), done, function (r) {
            var label = c[0] + ' frames';
            assert.equal(r.error, null, label);
            assert.equal(calls(r.log, 'addPage').length, c[1] - 1, label + ': pages');
            var images = calls(r.log, 'addImage').filter(function (x) { return x[7] !== 'playvaneLogo'; });
            assert.equal(images.length, c[0], label + ': pictures');
            images.forEach(function (x, f) {
                var where = label + ', frame ' + (f + 1);
                assert.deepEqual([x[1], x[2], x[7]], [picture(f), 'JPEG', 'frame' + (f + 1)], where);
                [slots.xs[f % 2], slots.ys[Math.floor(f % 6 / 2)], slots.w, slots.h].forEach(function (v, k) {
                    assert.close(x[3 + k], v, 0.01, where + ' box ' + k);
                });
            });
            assert.equal(calls(r.log, 'addImage').length - c[0], c[1], label + ': a logo on every page');
            var texts = calls(r.log, 'text').map(function (x) { return [].concat(x[1]).join('|'); });
            assert.equal(texts.filter(function (t) { return t === 'Training Report'; }).length, c[1], label);
            assert.ok(texts.indexOf('Page ' + c[1] + ' / ' + c[1] + '\t\t\t\t' + request(1).date.toString()) >= 0,
                label + ': footer in ' + texts);
            assert.equal(r.progress.length, c[0], label + ': a progress step a picture');
            assert.equal(r.progress[c[0] - 1], c[0] > 1 ? 100 : 0, label);
            assert.equal(atob(r.dataUrl.slice(r.dataUrl.indexOf(',') + 1)).slice(0, 5), '%PDF-', label);
            next();
        });
    }());
}, 20000);

test('report: every frame drawn in print with the editor\'s lines and grid, once the logo has settled', function (done) {
    var g = fakeGenerator();
    var release = null;
    var report = buildReport(g, request(3, { lines: true, waitForLogo: function (cb) { release = cb; } }), done,
        function (r) {
            assert.deepEqual(g.calls, [['loadAnimation', 'drill 3'], ['configureAnimation', 720, true, true, false],
                ['getImage', 0], ['getImage', 1000], ['getImage', 2000]]);
            assert.equal(calls(r.log, 'addImage').length, 3, 'no logo to show');
            done();
        });
    window.setTimeout(done.step(function () {
        assert.deepEqual(g.calls, [], 'nothing drawn before the logo has settled');
        assert.ok(report.isBusy(), 'waiting counts as building');
        release(null);
    }), 20);
});

// Once mended: a report asked for while another was drawn was left waiting
// for a document that never came, and the host's export never ended.
test('report: one at a time, refused at once while another is built, and free again after a failure', function (done) {
    var broken = fakeGenerator(function (time) {
        if (time === 1000) {
            throw new Error('the generator is busy');
        }
    });
    var report = buildReport(broken, request(3), done, function (r, same) {
        assert.equal(r.error && r.error.message, 'the generator is busy');
        assert.ok(!same.isBusy(), 'free again after the failure');
        assert.ok(same.build(request(1), { progress: function () {}, finished: function () { done(); },
            failed: done.step(function (e) { throw e; }) }), 'a new report is accepted');
    });
    assert.ok(!report.build(request(1), {}), 'refused while the first is built');
    assert.throws(function () { createPdfReport(null, jsPDF); }, /image generator/);
    assert.throws(function () { createPdfReport(fakeGenerator(), undefined); }, /jsPDF/);
});
