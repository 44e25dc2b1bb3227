// What the exports are made of: pictures of any moment drawn by the image
// generator (ImageGenerator.js) in its hidden animation, held against
// Kinetic's own export of that stage; the snapshot; and the PDF report
// (PdfReport.js) built with the real jsPDF from a stand-in generator.

var generator = pageShell.imageGenerator;
var hidden = generator.animation;

function record(type, id, frames) {
    var color = { person: 'red', gaaBall: 'white', cone: 'orange' }[type];
    return { type: type, id: id, scale: 0.3, text: '', shortLabel: '', z: id, color: color, frames: frames };
}

// A person walking right and turning from 350 through 0 to 10 degrees and
// on, a ball going down and a still cone, over four captioned frames.
function drill(frames) {
    var objects = [
        record('person', 1, [[0.2, 350], [0.4, 10], [0.6, 90], [0.8, 60]].map(function (f) {
            return { x: f[0], y: 0.5, rotation: f[1] };
        })),
        record('gaaBall', 2, [0.2, 0.4, 0.6, 0.8].map(function (y) { return { x: 0.3, y: y, rotation: 0 }; })),
        record('cone', 3, [0, 1, 2, 3].map(function () { return { x: 0.9, y: 0.2, rotation: 30 }; }))
    ];
    var captions = ['Start', 'Pass', 'Run', 'Finish'];
    // Only the frames asked for, as a drill of its own.
    objects.forEach(function (o) { o.frames = (frames || [0, 1, 2, 3]).map(function (f) { return o.frames[f]; }); });
    return { objects: objects, frameText: (frames || [0, 1, 2, 3]).map(function (f) { return captions[f]; }) };
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
                [{ x: 0.3, rotation: 0 }, { y: 0.3 }].forEach(function (at, i) {
                    Object.keys(at).forEach(function (k) { halfWay.objects[i].frames[0][k] = at[k]; });
                });
                chain(animationText(halfWay, { view: 'fullField' }), [320, true, false, true], [0], done, function (half) {
                    assert.ok(urls[3] === half[0], 'every item half-way at 500 ms');
                    decode([urls[2], kinetic], done, function (images) {
                        assert.deepEqual([images[0].width, images[0].height], [320, 240]);
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

function request(nFrames, rotated, waitForLogo) {
    return { animationText: 'drill ' + nFrames, nFrames: nFrames, rotated: !!rotated, showRunningLines: true,
        showGrid: false, date: new Date(2024, 2, 9, 17, 45, 0), waitForLogo: waitForLogo || function (callback) {
            callback({ dataUrl: picture(9), width: 256, height: 169 });
        } };
}

// Builds one report with jsPDF's addPage, addImage and text recorded.
function buildReport(g, req, done, then) {
    var r = { log: [], progress: [] };
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
    assert.ok(report.build(req, { progress: function (p) { r.progress.push(p); },
        finished: done.step(function (dataUrl) { r.dataUrl = dataUrl; then(r, report); }),
        failed: done.step(function (e) { r.error = e; then(r, report); }) }), 'accepted');
    return report;
}

function calls(log, name) {
    return log.filter(function (c) { return c[0] === name; });
}

test('report: six pictures a page, each frame\'s own under its own alias, with header, logo and footer', function (done) {
    // [frames, pages, turned, no logo]: upright pictures 85.75 x 64.31 mm
    // in two columns, turned ones 91 x 68.25 in touching columns.
    var cases = [[1, 1], [7, 2], [13, 3], [8, 2, true], [2, 1, false, true]];
    (function next() {
        var c = cases.shift();
        if (!c) {
            return done();
        }
        var slots = c[2] ? [[14, 105], [37, 117.87, 198.74], 91, 68.25] : [[14, 110.25], [37, 119.84, 202.68], 85.75, 64.31];
        var g = fakeGenerator();
        buildReport(g, request(c[0], c[2], c[3] && function (callback) { callback(null); }), done, function (r) {
            var label = c[0] + ' frames';
            assert.deepEqual(g.calls.slice(0, 2), [['loadAnimation', 'drill ' + c[0]],
                ['configureAnimation', 720, true, true, false]], label + ': drawn for print with the editor\'s lines');
            assert.deepEqual([r.error, calls(r.log, 'addPage').length], [undefined, c[1] - 1], label + ': pages');
            var images = calls(r.log, 'addImage').filter(function (x) { return x[7] !== 'playvaneLogo'; });
            assert.equal(images.length, c[0], label + ': pictures');
            images.forEach(function (x, f) {
                var where = label + ', frame ' + (f + 1);
                assert.deepEqual([x[1], x[2], x[7]], [picture(f), 'JPEG', 'frame' + (f + 1)], where);
                [slots[0][f % 2], slots[1][Math.floor(f % 6 / 2)], slots[2], slots[3]].forEach(function (v, k) {
                    assert.close(x[3 + k], v, 0.01, where + ' box ' + k);
                });
            });
            assert.equal(calls(r.log, 'addImage').length - c[0], c[3] ? 0 : c[1], label + ': a logo on every page');
            var texts = calls(r.log, 'text').map(function (x) { return [].concat(x[1]).join('|'); });
            assert.equal(texts.filter(function (t) { return t === 'Training Report'; }).length, c[1], label);
            assert.ok(texts.indexOf('Page ' + c[1] + ' / ' + c[1] + '\t\t\t\t' + request(1).date.toString()) >= 0,
                label + ': footer in ' + texts);
            assert.deepEqual([r.progress.length, r.progress[c[0] - 1]], [c[0], c[0] > 1 ? 100 : 0], label + ': progress');
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
    var report = buildReport(broken, request(3, false, function (cb) { release = cb; }), done, function (r, same) {
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
