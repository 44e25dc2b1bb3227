// What the exports are made of: pictures of any moment drawn by the image
// generator (ImageGenerator.js) in its hidden animation, held against
// Kinetic's own export of that stage; the snapshot; and the PDF report
// (PdfReport.js) built with the real jsPDF from a stand-in generator.

var generator = pageShell.imageGenerator;
var hidden = generator.animation;

// A person walking right and turning from 350 through 0 to 10 degrees and
// on, a ball going down and a still cone, in the captioned frames asked for.
function drill(frames) {
    frames = frames || [0, 1, 2, 3];
    function item(type, id, color, at) {
        return { type: type, id: id, scale: 0.3, text: '', shortLabel: '', z: id, color: color,
            frames: frames.map(function (f) { return { x: at[f][0], y: at[f][1], rotation: at[f][2] }; }) };
    }
    return { objects: [item('person', 1, 'red', [[0.2, 0.5, 350], [0.4, 0.5, 10], [0.6, 0.5, 90], [0.8, 0.5, 60]]),
        item('gaaBall', 2, 'white', [[0.3, 0.2, 0], [0.3, 0.4, 0], [0.3, 0.6, 0], [0.3, 0.8, 0]]),
        item('cone', 3, 'orange', [[0.9, 0.2, 30], [0.9, 0.2, 30], [0.9, 0.2, 30], [0.9, 0.2, 30]])],
        frameText: frames.map(function (f) { return ['Start', 'Pass', 'Run', 'Finish'][f]; }) };
}

function animationText(model, p) {
    p = p || {};
    return JSON.stringify({ msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: !!p.lines,
        background: { type: p.view || 'blank', showStripes: !!p.view, showLogo: !!p.logo,
            logoImage: p.logo || 'logos/ovri256x256.png' }, rotation: p.rotation || 0, gridVisible: !!p.grid,
        nFrames: model.frameText.length, selectedFrame: p.selected || 0, objects: model.objects, frameText: model.frameText });
}

// Decodes the pictures at `urls` into their pixels, then then(images).
function decode(urls, done, then) {
    var images = [];
    urls.forEach(function (url, i) {
        var picture = new Image();
        picture.onload = done.step(function () {
            var context = document.createElement('canvas').getContext('2d');
            context.canvas.width = picture.width;
            context.canvas.height = picture.height;
            context.drawImage(picture, 0, 0);
            images[i] = context.getImageData(0, 0, picture.width, picture.height);
            return images.filter(Boolean).length === urls.length && then(images);
        });
        picture.src = url;
    });
}

// The share of pixels differing by more than 48 in a channel: JPEG noise
// stays far below 0.001, a moved item or caption far above.
function differing(a, b) {
    var n = 0;
    for (var i = 0; i < a.data.length; i += 4) {
        n += [0, 1, 2].some(function (k) { return Math.abs(a.data[i + k] - b.data[i + k]) > 48; }) ? 1 : 0;
    }
    return n / (a.width * a.height);
}

function colourAt(image, x, y, expected, message) {
    var rgb = [0, 1, 2].map(function (k) { return image.data[(y * image.width + x) * 4 + k]; });
    assert.ok(rgb.every(function (v, k) { return Math.abs(v - expected[k]) <= 40; }), message + ': ' + rgb);
}

// Loads `text`, configures ([width, print, lines, grid]) and takes the
// pictures at `times`, each asked for from the last one's callback;
// then(urls, captions).
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

// Two pictures of the same scene drawn by the generator are the same JPEG.
test('pictures at a frame\'s time or past the end are that frame; between frames items stand in between', function (done) {
    var text = animationText(drill(), { grid: true, view: 'fullField' });
    chain(text, [320, true, false, true], [0, 4200, 2000, 500], done, function (urls, captions) {
        assert.deepEqual(captions, ['Start', 'Finish', 'Run', 'Start'], 'the caption of the frame it is in');
        assert.deepEqual([hidden.whiteLayer.visible(), hidden.bgLayer.gridVisibility()], [true, true], 'as configured');
        var person = hidden.animLayer.childWithId(1).getFieldItem().group;
        assert.close(person.rotation(), 0, 1e-9, 'half of the short turn from 350 to 10');
        hidden.frameManager.loadFrame(2);
        hidden.stage.toDataURL({ mimeType: 'image/jpeg', x: 0, y: 0, width: 320, height: 240,
            callback: done.step(function (kinetic) {
                var halfWay = drill([0]);
                halfWay.objects[0].frames[0] = { x: 0.3, y: 0.5, rotation: 0 };
                halfWay.objects[1].frames[0].y = 0.3;
                chain(animationText(halfWay, { view: 'fullField' }), [320, true, false, true], [0], done, function (half) {
                    assert.ok(urls[3] === half[0], 'every item half-way at 500 ms');
                    decode([urls[2], kinetic], done, function (images) {
                        assert.deepEqual([images[0].width, images[0].height, images[1].width], [320, 240, 320]);
                        assert.ok(differing(images[0], images[1]) < 0.001, 'frame 2 as Kinetic draws it');
                        done();
                    });
                });
            }) });
    });
}, 20000);

// Once mended: an export after one that ended on the last frame drew its
// first picture with the items of the last.
test('a picture asked for during a chain waits its turn; the next chain starts from its own frame 0', function (done) {
    var text = animationText(drill(), { selected: 3 });
    var order = [];
    chain(text, [320, false, true, false], [2000, 3000], done, function () {
        order.push(hidden.animLayer.getFrameText());
        assert.equal(hidden.animLayer.showRunningLines, true, 'running lines as configured');
    });
    // A snapshot pressed during an export.
    generator.loadAnimation(animationText(drill([1, 2])));
    generator.configureAnimation(320, true, false, false);
    generator.getImage(1000, done.step(function () {
        assert.deepEqual(order.concat([hidden.animLayer.getFrameText()]), ['Finish', 'Run'], 'one after the other');
        assert.equal(hidden.whiteLayer.visible(), true, 'with its own configuration');
        chain(text, [320, false, false, false], [0], done, function (first) {
            chain(animationText(drill([0])), [320, false, false, false], [0], done, function (expected) {
                assert.ok(first[0] === expected[0], 'frame 0 as stored');
                done();
            });
        });
    }));
    assert.throws(function () { generator.getImage(-1, function () {}); }, /at least 0/);
    assert.throws(function () { generator.configureAnimation(0, false, false, false); }, /width/);
}, 20000);

test('a turned pitch gives a landscape picture, with a new logo at once; a logo that cannot load is left out', function (done) {
    var canvas = document.createElement('canvas');
    canvas.getContext('2d').fillStyle = 'rgb(255,0,' + (Date.now() % 100) + ')';  // a picture new to the page
    canvas.getContext('2d').fillRect(0, 0, 300, 150);
    var logo = canvas.toDataURL('image/png');
    var broken = logo.slice(0, logo.indexOf(',') + 64);  // a PNG cut after its header
    var empty = { objects: [], frameText: [''] };
    chain(animationText(empty, { rotation: 90, logo: logo }), [640, false, false, false], [0], done, function (screen) {
        chain(animationText(empty, { rotation: 90, logo: broken }), [640, true, false, false], [0], done, function (print) {
            decode([screen[0], print[0]], done, function (images) {
                assert.deepEqual([images[0].width, images[0].height], [640, 480]);
                // The turned pitch stands 360 wide in the middle, its bands black on screen, white for print.
                [[images[0], [0, 0, 0], [0, 128, 0]], [images[1], [255, 255, 255], [255, 255, 255]]].forEach(function (c, i) {
                    colourAt(c[0], 132, 240, c[1], i + ': left band');
                    colourAt(c[0], 508, 240, c[1], i + ': right band');
                    colourAt(c[0], 148, 240, c[2], i + ': pitch at its left');
                });
                colourAt(images[0], 320, 240, [51, 102, 0], 'red logo at 0.2 over grass');
                colourAt(images[1], 320, 240, [255, 255, 255], 'no logo on paper');
                done();
            });
        });
    });
});

test('the snapshot sends the selected frame at 1024 x 768 as the editor shows it, and leaves the editor alone', function (done) {
    var editor = pageShell.animation;
    cppInterface.clearReceivedMessages();
    editor.frameManager.loadSettings({ objects: drill().objects, nFrames: 4, selectedFrame: 0, frameText: drill().frameText });
    myDispatchEvent('selectedFrame', { frameNumber: 2 });
    done.cleanup(function () { myDispatchEvent('newAnimation', {}); });
    myDispatchEvent('toggleGrid', {});
    editor.animLayer.select(editor.animLayer.childWithId(2)._id);
    function state() {
        return editor.saveToString() + editor.animLayer.itemGroups().map(function (g) { return g.isSelected; });
    }
    function sent() {
        return cppInterface.receivedMessages().filter(function (m) { return m.msgType === 'snapshotImage'; });
    }
    var before = state();
    myDispatchEvent('takeSnapshot', {});
    assert.equal(sent().length, 0, 'the picture comes later');
    waitFor('the snapshot', function () { return sent().length === 1; }, done, function () {
        assert.deepEqual([sent()[0].frameWidth, sent()[0].frameHeight, state()], [1024, 768, before]);
        chain(editor.saveToString(), [1024, false, false, true], [2000], done, function (expected) {
            assert.ok(sent()[0].imageData === expected[0], 'frame 2 with the grid');
            done();
        });
    }, 10000);
}, 20000);

// ---- PDF report ----------------------------------------------------------------------
// Pages, layout and what the pictures show are read back from real reports
// end to end (tests/e2e/tst_PdfReport.cpp); here: what the builder asks of
// the generator, the aliases, the logo and the one-report-at-a-time rule.

function picture(frame) {
    var canvas = document.createElement('canvas');
    canvas.getContext('2d').fillStyle = 'rgb(' + (frame * 40 % 256) + ',100,150)';
    canvas.getContext('2d').fillRect(0, 0, 300, 150);
    return canvas.toDataURL('image/jpeg');
}

// Records its calls and delivers pictures later; `fail(time)` may throw.
function fakeGenerator(fail) {
    var g = { calls: [] };
    g.loadAnimation = function (text) { g.calls.push(['loadAnimation', text]); };
    g.configureAnimation = function () { g.calls.push(['configureAnimation'].concat([].slice.call(arguments))); };
    g.getImage = function (time, callback) {
        g.calls.push(['getImage', time]);
        (fail || function () {})(time);
        window.setTimeout(function () { callback(picture(time / 1000)); }, 0);
    };
    return g;
}

function request(nFrames, waitForLogo) {
    return { animationText: 'drill ' + nFrames, nFrames: nFrames, rotated: false, showRunningLines: true, showGrid: false,
        date: new Date(2024, 2, 9), waitForLogo: waitForLogo || function (callback) {
            callback({ dataUrl: picture(9), width: 256, height: 169 });
        } };
}

// Builds one report with jsPDF's addPage and addImage recorded.
function buildReport(g, req, done, then) {
    var r = { log: [], progress: [] };
    var report = createPdfReport(g, function (orientation, unit, format) {
        var doc = new jsPDF(orientation, unit, format);
        ['addPage', 'addImage'].forEach(function (name) {
            var real = doc[name];
            doc[name] = function () {
                r.log.push([name].concat([].slice.call(arguments)));
                return real.apply(doc, arguments);
            };
        });
        return doc;
    });
    assert.ok(report.build(req, { progress: function (p) { r.progress.push(p); },
        finished: done.step(function (dataUrl) { r.dataUrl = dataUrl; then(r, report); }),
        failed: done.step(function (e) { r.error = e; then(r, report); }) }), 'accepted');
    return report;
}

function range(n) {
    return new Array(n).join(',').split(',').map(function (x, i) { return i; });
}

test('report: every frame drawn for print with the editor\'s lines, each under an alias of its own, a logo a page', function (done) {
    var noLogo = function (callback) { callback(null); };
    var cases = [[7, 2], [1, 1], [2, 1, noLogo]];  // [frames, pages, no logo]
    (function next() {
        var c = cases.shift();
        if (!c) {
            return done();
        }
        var g = fakeGenerator();
        buildReport(g, request(c[0], c[2]), done, function (r) {
            var label = c[0] + ' frames';
            assert.deepEqual(g.calls, [['loadAnimation', 'drill ' + c[0]], ['configureAnimation', 720, true, true, false]]
                .concat(range(c[0]).map(function (f) { return ['getImage', f * 1000]; })), label + ': what was drawn');
            var images = r.log.filter(function (x) { return x[0] === 'addImage'; });
            assert.deepEqual(images.filter(function (x) { return x[7] !== 'playvaneLogo'; }).map(function (x, f) {
                return x[7] + (x[1] === picture(f) ? '' : ' not its own');
            }), range(c[0]).map(function (f) { return 'frame' + (f + 1); }), label + ': each frame\'s own picture');
            assert.deepEqual([images.length - c[0], r.log.length - images.length], [c[2] ? 0 : c[1], c[1] - 1],
                label + ': a logo on every page, and the pages');
            assert.deepEqual(r.progress, c[0] > 1 ? range(c[0]).map(function (f) { return f / (c[0] - 1) * 100; }) : [0]);
            assert.equal(atob(r.dataUrl.slice(r.dataUrl.indexOf(',') + 1)).slice(0, 5), '%PDF-', label);
            next();
        });
    }());
}, 20000);

// Once mended: a report asked for while another was drawn was left waiting
// for a document that never came, and the host's export never ended.
test('report: one at a time, waiting for the logo, refused at once meanwhile, and free again after a failure', function (done) {
    var release = null;
    var broken = fakeGenerator(function (time) {
        if (time === 1000) {
            throw new Error('the generator is busy');
        }
    });
    var report = buildReport(broken, request(3, function (cb) { release = cb; }), done, function (r, same) {
        assert.equal(r.error && r.error.message, 'the generator is busy');
        assert.ok(!same.isBusy(), 'free again after the failure');
        assert.ok(same.build(request(1), { progress: function () {}, finished: function () { done(); },
            failed: done.step(function (e) { throw e; }) }), 'a new report is accepted');
    });
    assert.ok(!report.build(request(1), {}), 'refused while the first is built');
    assert.deepEqual([broken.calls, report.isBusy()], [[], true], 'nothing drawn before the logo has settled');
    release(null);
    assert.throws(function () { createPdfReport(null, jsPDF); }, /image generator/);
    assert.throws(function () { createPdfReport(fakeGenerator(), undefined); }, /jsPDF/);
});
