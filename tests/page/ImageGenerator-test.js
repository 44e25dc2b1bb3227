// The image generator (ImageGenerator.js) and the snapshot procedure of the
// page shell: pictures of single moments drawn in the generator's hidden
// animation, compared pixel by pixel with Kinetic's own stage export and with
// pictures of animations that hold the expected states, and the editor left
// as it was.

var generator = pageShell.imageGenerator;
var hidden = generator.animation;
var editor = pageShell.animation;

// ---- Animations ------------------------------------------------------------

function record(type, id, scale, color, frames) {
    return { type: type, id: id, scale: scale, text: '', shortLabel: '', z: id, color: color, frames: frames };
}

// Four frames on a plain ground: a person walking right and turning from 350
// through 0 to 10 degrees and on, a ball going down, a fixed cone.
function fourFrames() {
    return {
        objects: [
            record('person', 1, 0.3, 'red', [
                { x: 0.2, y: 0.5, rotation: 350 }, { x: 0.4, y: 0.5, rotation: 10 },
                { x: 0.6, y: 0.5, rotation: 90 }, { x: 0.8, y: 0.5, rotation: 60 }]),
            record('gaaBall', 2, 0.2, 'white', [
                { x: 0.3, y: 0.2, rotation: 0 }, { x: 0.3, y: 0.4, rotation: 0 },
                { x: 0.3, y: 0.6, rotation: 0 }, { x: 0.3, y: 0.8, rotation: 0 }]),
            record('cone', 3, 0.3, 'orange', [
                { x: 0.9, y: 0.2, rotation: 30 }, { x: 0.9, y: 0.2, rotation: 30 },
                { x: 0.9, y: 0.2, rotation: 30 }, { x: 0.9, y: 0.2, rotation: 30 }])
        ],
        nFrames: 4,
        selectedFrame: 0,
        frameText: ['Start', 'Pass', 'Run', 'Finish']
    };
}

// The animation text of `model` (objects, nFrames, selectedFrame,
// frameText) with the pitch settings in `pitch`.
function animationText(model, pitch) {
    var p = pitch || {};
    return JSON.stringify({
        msgType: 'OVRI_Animation', msgVersion: 0.1, sport: p.sport || 'soccer',
        showRunningLines: !!p.lines,
        background: { type: p.view || 'blank', showStripes: !!p.stripes, showLogo: !!p.logo,
            logoImage: p.logoImage || 'logos/ovri256x256.png' },
        rotation: p.rotation || 0, gridVisible: !!p.grid,
        nFrames: model.nFrames, selectedFrame: model.selectedFrame,
        objects: model.objects, frameText: model.frameText
    });
}

// A one-frame animation holding frame `f` of `model`, or the given states.
function oneFrameOf(model, states, caption) {
    return {
        objects: model.objects.map(function (o, i) {
            return record(o.type, o.id, o.scale, o.color, [states[i]]);
        }),
        nFrames: 1, selectedFrame: 0, frameText: [caption]
    };
}

// ---- Pictures ----------------------------------------------------------------

// Decodes a data URL into its pixels: {width, height, data}.
function pixelsOf(dataUrl, done, then) {
    var picture = new Image();
    picture.onload = done.step(function () {
        var canvas = document.createElement('canvas');
        canvas.width = picture.width;
        canvas.height = picture.height;
        var context = canvas.getContext('2d');
        context.drawImage(picture, 0, 0);
        then(context.getImageData(0, 0, picture.width, picture.height));
    });
    picture.onerror = function () { done(new Error('not a picture: ' + String(dataUrl).slice(0, 40))); };
    picture.src = dataUrl;
}

// The share of pixels whose colour differs by more than 48 in a channel:
// JPEG noise stays far below that, a moved item or caption far above.
function differingShare(a, b) {
    assert.deepEqual([a.width, a.height], [b.width, b.height], 'same size');
    var differing = 0;
    for (var i = 0; i < a.data.length; i += 4) {
        if (Math.abs(a.data[i] - b.data[i]) > 48 || Math.abs(a.data[i + 1] - b.data[i + 1]) > 48 ||
                Math.abs(a.data[i + 2] - b.data[i + 2]) > 48) {
            differing += 1;
        }
    }
    return differing / (a.width * a.height);
}

var SAME = 0.001;
var CHANGED = 0.003;

function pixel(image, x, y) {
    var i = (Math.round(y) * image.width + Math.round(x)) * 4;
    return [image.data[i], image.data[i + 1], image.data[i + 2]];
}

function isColour(rgb, expected, message) {
    assert.ok(Math.abs(rgb[0] - expected[0]) <= 40 && Math.abs(rgb[1] - expected[1]) <= 40 &&
        Math.abs(rgb[2] - expected[2]) <= 40, message + ': expected about ' + expected + ', got ' + rgb);
}

var BLACK = [0, 0, 0];
var WHITE = [255, 255, 255];
var GREEN = [0, 128, 0];

// One chain: loads `text`, configures with `config` ([width, print, lines,
// grid]) and takes the pictures at `times`, one from the callback of the
// other; then(dataUrls, captions) with the caption the hidden animation
// showed for each.
function chain(text, config, times, done, then) {
    var urls = [];
    var captions = [];
    generator.loadAnimation(text);
    generator.configureAnimation(config[0], config[1], config[2], config[3]);
    function next() {
        generator.getImage(times[urls.length], done.step(function (dataUrl) {
            urls.push(dataUrl);
            captions.push(hidden.animLayer.getFrameText());
            if (urls.length < times.length) {
                next();
            } else {
                then(urls, captions);
            }
        }));
    }
    next();
}

// Kinetic's own export of the hidden stage as it stands.
function kineticExport(done, then) {
    hidden.stage.toDataURL({
        mimeType: 'image/jpeg', x: 0, y: 0, width: generator.width, height: generator.height,
        callback: done.step(then)
    });
}

// Decodes every data URL in `urls`, then then(images).
function decodeAll(urls, done, then) {
    var images = [];
    function next() {
        if (images.length === urls.length) {
            then(images);
            return;
        }
        pixelsOf(urls[images.length], done, function (image) {
            images.push(image);
            next();
        });
    }
    next();
}

// ---- Frames exactly -----------------------------------------------------------

[
    ['at 0 ms, frame 0', 0, 0, 'Start'],
    ['at 1000 ms, frame 1', 1000, 1, 'Pass'],
    ['at 2000 ms, frame 2', 2000, 2, 'Run'],
    ['at 3000 ms, the last frame', 3000, 3, 'Finish'],
    ['past the end, the last frame', 4200, 3, 'Finish']
].forEach(function (c) {
    test('a picture ' + c[0] + ', is Kinetic\'s export of that frame as stored, with its caption', function (done) {
        chain(animationText(fourFrames(), { lines: true, grid: true }), [320, false, true, true], [c[1]], done,
            function (urls, captions) {
                assert.equal(captions[0], c[3]);
                hidden.frameManager.loadFrame(c[2]);
                kineticExport(done, function (reference) {
                    decodeAll([urls[0], reference], done, function (images) {
                        assert.deepEqual([images[0].width, images[0].height], [320, 240]);
                        assert.ok(differingShare(images[0], images[1]) < SAME, 'the same picture');
                        done();
                    });
                });
            });
    });
});

test('the picture is the stage\'s own export of the same moment, between frames and for print too', function (done) {
    var text = animationText(fourFrames(), { lines: true, grid: true, view: 'fullField', stripes: true, logo: true });
    chain(text, [480, true, true, true], [1500], done, function (urls) {
        kineticExport(done, function (reference) {
            decodeAll([urls[0], reference], done, function (images) {
                assert.ok(differingShare(images[0], images[1]) < SAME, 'the same picture');
                done();
            });
        });
    });
});

// ---- Between frames -------------------------------------------------------

test('half-way between two frames every item stands half-way, turned the short way', function (done) {
    var model = fourFrames();
    // From frame 0 to 1: the person from 350 to 10 degrees through 0.
    var halfWay = oneFrameOf(model, [
        { x: 0.3, y: 0.5, rotation: 0 }, { x: 0.3, y: 0.3, rotation: 0 }, { x: 0.9, y: 0.2, rotation: 30 }
    ], 'Start');
    var frame0 = oneFrameOf(model, model.objects.map(function (o) { return o.frames[0]; }), 'Start');
    chain(animationText(model), [320, false, false, false], [500, 1000], done, function (moving, captions) {
        assert.equal(captions[0], 'Start', 'the caption of the frame it is in');
        var person = hidden.animLayer.childWithId(1);
        chain(animationText(halfWay), [320, false, false, false], [0], done, function (expected) {
            chain(animationText(frame0), [320, false, false, false], [0], done, function (start) {
                decodeAll([moving[0], expected[0], moving[1], start[0]], done, function (images) {
                    assert.ok(person, 'the person was on the hidden layer');
                    assert.ok(differingShare(images[0], images[1]) < SAME, 'every item half-way');
                    assert.ok(differingShare(images[0], images[2]) > CHANGED, 'not where frame 1 has them');
                    assert.ok(differingShare(images[0], images[3]) > CHANGED, 'nor where frame 0 has them');
                    done();
                });
            });
        });
    });
});

test('the hidden items stand at the interpolated places of the moment drawn', function (done) {
    chain(animationText(fourFrames()), [400, false, false, false], [250], done, function () {
        var layer = hidden.animLayer;
        var person = layer.childWithId(1).getFieldItem().group;
        assert.close(person.x() / layer.layerWidth, 0.25, 1e-9, 'x');
        assert.close(person.y() / layer.layerHeight, 0.5, 1e-9, 'y');
        assert.close(person.rotation(), -5, 1e-9, 'a quarter of the short turn from 350 (-10) to 10');
        done();
    });
});

// ---- One frame, last frame and events --------------------------------------

test('a one-frame animation: its frame and caption at 0, with playbackEnded and enableControls', function (done) {
    var model = fourFrames();
    var single = oneFrameOf(model, model.objects.map(function (o) { return o.frames[2]; }), 'Only');
    var raised = [];
    function listen(evt) { raised.push(evt.type); }
    ['playbackEnded', 'enableControls', 'updateTimelineProgress'].forEach(function (name) {
        document.addEventListener(name, listen, false);
    });
    done.cleanup(function () {
        ['playbackEnded', 'enableControls', 'updateTimelineProgress'].forEach(function (name) {
            document.removeEventListener(name, listen, false);
        });
    });
    var called = false;
    generator.loadAnimation(animationText(single));
    generator.configureAnimation(320, false, false, false);
    generator.getImage(0, done.step(function (dataUrl) {
        called = true;
        assert.equal(hidden.animLayer.getFrameText(), 'Only');
        assert.deepEqual(raised, ['playbackEnded', 'enableControls']);
        assert.equal(dataUrl.indexOf('data:image/jpeg;base64,'), 0, 'a JPEG data URL');
        done();
    }));
    assert.equal(called, false, 'the picture is delivered later, never inside getImage');
    assert.deepEqual(raised, [], 'nothing is drawn inside getImage either');
});

test('pictures before the last frame raise the progress the timeline ignores when stopped', function (done) {
    var raised = eventsRaisedDuring(['updateTimelineProgress'], function () {});
    var listener = function (evt) { raised.push(evt.detail.percent); };
    document.addEventListener('updateTimelineProgress', listener, false);
    done.cleanup(function () { document.removeEventListener('updateTimelineProgress', listener, false); });
    var indicator = JSON.stringify(pageShell.timeline.selectedFrame);
    chain(animationText(fourFrames()), [320, false, false, false], [1500], done, function () {
        assert.deepEqual(raised, [50]);
        assert.equal(JSON.stringify(pageShell.timeline.selectedFrame), indicator, 'the timeline is unchanged');
        done();
    });
});

// ---- A turned pitch ---------------------------------------------------------

[
    ['on screen, black side bands', false, BLACK, GREEN],
    ['for print, white side bands', true, WHITE, WHITE]
].forEach(function (c) {
    test('a turned pitch gives a landscape picture ' + c[0], function (done) {
        var model = { objects: [], nFrames: 1, selectedFrame: 0, frameText: [''] };
        chain(animationText(model, { rotation: 90 }), [640, c[1], false, false], [0], done, function (urls) {
            pixelsOf(urls[0], done, function (image) {
                assert.deepEqual([image.width, image.height], [640, 480], 'landscape');
                // The turned pitch is 480 high and 360 wide, centred.
                var left = 320 - 180;
                var right = 320 + 180;
                isColour(pixel(image, left - 8, 240), c[2], 'left band');
                isColour(pixel(image, right + 8, 240), c[2], 'right band');
                isColour(pixel(image, left + 8, 240), c[3], 'pitch at its left edge');
                isColour(pixel(image, right - 8, 240), c[3], 'pitch at its right edge');
                isColour(pixel(image, 320, 3), c[3], 'pitch at the top');
                isColour(pixel(image, 320, 476), c[3], 'pitch at the bottom');
                done();
            });
        });
    });
});

// ---- Exports in a row and the editor ---------------------------------------

test('two exports in a row: each picture has its own frame\'s items and caption', function (done) {
    var model = fourFrames();
    model.selectedFrame = 3;
    var text = animationText(model);
    chain(text, [320, false, false, false], [2000, 3000], done, function (first, firstCaptions) {
        chain(text, [320, false, false, false], [0, 1000], done, function (second, secondCaptions) {
            assert.deepEqual(firstCaptions.concat(secondCaptions), ['Run', 'Finish', 'Start', 'Pass']);
            var frame0 = oneFrameOf(model, model.objects.map(function (o) { return o.frames[0]; }), 'Start');
            chain(animationText(frame0), [320, false, false, false], [0], done, function (expected) {
                decodeAll([second[0], expected[0]], done, function (images) {
                    assert.ok(differingShare(images[0], images[1]) < SAME,
                        'frame 0 of a file saved on frame 3, after an export that ended on the last frame');
                    done();
                });
            });
        });
    });
});

test('a chain asked for while another draws waits for it, and the two never mix', function (done) {
    var model = fourFrames();
    var other = { objects: [], nFrames: 2, selectedFrame: 0, frameText: ['Other A', 'Other B'] };
    var order = [];
    generator.loadAnimation(animationText(model));
    generator.configureAnimation(320, false, false, false);
    var times = [0, 1000, 2000];
    function first(k) {
        generator.getImage(times[k], done.step(function () {
            order.push(hidden.animLayer.getFrameText());
            if (k + 1 < times.length) {
                first(k + 1);
            }
        }));
    }
    first(0);
    // A second caller while the first chain draws: a snapshot pressed
    // during an export.
    generator.loadAnimation(animationText(other));
    generator.configureAnimation(320, true, false, false);
    generator.getImage(1000, done.step(function () {
        order.push(hidden.animLayer.getFrameText());
        assert.deepEqual(order, ['Start', 'Pass', 'Run', 'Other B']);
        assert.equal(hidden.whiteLayer.visible(), true, 'the second caller\'s configuration');
        assert.equal(generator.isBusy(), true, 'busy while its callback runs');
        done();
    }));
    assert.equal(hidden.frameManager.nFrames, 4, 'the first animation is still loaded');
});

test('misuse is refused with a clear message', function () {
    assert.throws(function () { generator.getImage(-1, function () {}); }, /at least 0/);
    assert.throws(function () { generator.getImage(0); }, /callback/);
    assert.throws(function () { generator.configureAnimation(0, false, false, false); }, /width/);
    assert.throws(function () { ImageGenerator(); }, /new/);
});

// ---- Pictures still loading -------------------------------------------------

test('a new logo is in the first picture; a logo that cannot load is left out, not waited for', function (done) {
    var model = { objects: [], nFrames: 1, selectedFrame: 0, frameText: [''] };
    // A red square, as a PNG the page has not loaded before.
    var canvas = document.createElement('canvas');
    canvas.width = canvas.height = 64;
    var context = canvas.getContext('2d');
    context.fillStyle = 'rgb(255,0,0)';
    context.fillRect(0, 0, 64, 64);
    context.fillStyle = 'rgb(' + (Date.now() % 200) + ',0,0)';
    context.fillRect(0, 0, 1, 1);
    var logo = canvas.toDataURL('image/png');
    // A PNG cut off after its header: the file's check passes, the picture never decodes.
    var broken = logo.slice(0, logo.indexOf(',') + 64);
    chain(animationText(model, { logo: true, logoImage: logo }), [320, false, false, false], [0], done,
        function (withLogo) {
            chain(animationText(model, { logo: true, logoImage: broken }), [320, false, false, false], [0], done,
                function (withBroken) {
                    decodeAll([withLogo[0], withBroken[0]], done, function (images) {
                        // Red at 0.2 over green ground: about (51, 102, 0).
                        isColour(pixel(images[0], 160, 120), [51, 102, 0], 'the faint red logo');
                        isColour(pixel(images[1], 160, 120), GREEN, 'no logo, plain ground');
                        done();
                    });
                });
        });
});

function freshPng(red) {
    var canvas = document.createElement('canvas');
    canvas.width = canvas.height = 32;
    var context = canvas.getContext('2d');
    context.fillStyle = 'rgb(' + red + ',0,0)';
    context.fillRect(0, 0, 32, 32);
    return canvas.toDataURL('image/png');
}

test('pictures still loading are waited for, once, and a broken one counts as done', function (done) {
    var loaded = [];
    var good = loadTrackedPicture(freshPng(77), function (picture) { loaded.push(picture); });
    loadTrackedPicture('data:image/png;base64,AAAAAAAA', function () { loaded.push('broken'); });
    var calls = 0;
    whenPicturesLoaded(done.step(function () {
        calls += 1;
        assert.deepEqual(loaded, [good], 'the good one has loaded, the broken one is left out');
        assert.equal(good.complete, true);
        window.setTimeout(done.step(function () {
            assert.equal(calls, 1, 'called once');
            done();
        }), 20);
    }));
    assert.equal(calls, 0, 'never inside the call');
});

test('a picture is captured only once the pictures loading meanwhile are in place', function (done) {
    var real = window.whenPicturesLoaded;
    var held = [];
    window.whenPicturesLoaded = function (callback) { held.push(callback); };
    done.cleanup(function () { window.whenPicturesLoaded = real; });
    var delivered = false;
    generator.loadAnimation(animationText(fourFrames()));
    generator.configureAnimation(320, false, false, false);
    generator.getImage(1000, done.step(function () { delivered = true; }));
    window.setTimeout(done.step(function () {
        window.setTimeout(done.step(function () {
            assert.equal(delivered, false, 'still waiting');
            assert.equal(held.length, 1);
            window.whenPicturesLoaded = real;
            held[0]();
            assert.equal(delivered, true, 'captured as soon as they are');
            done();
        }), 0);
    }), 0);
});

// ---- The snapshot -----------------------------------------------------------

function snapshotsSent() {
    return cppInterface.receivedMessages().filter(function (m) { return m.msgType === 'snapshotImage'; });
}

test('the snapshot sends the selected frame at 1024 x 768, as the editor shows it, and leaves the editor as it was',
    function (done) {
        cppInterface.clearReceivedMessages();
        var model = fourFrames();
        editor.frameManager.loadSettings(model);
        myDispatchEvent('selectedFrame', { frameNumber: 2 });
        done.cleanup(function () { myDispatchEvent('newAnimation', {}); });
        if (!editor.bgLayer.gridVisibility()) {
            myDispatchEvent('toggleGrid', {});
        }
        if (editor.animLayer.showRunningLines) {
            myDispatchEvent('toggleRunningLines', {});
        }
        editor.animLayer.select(editor.animLayer.childWithId(2)._id);
        editor.animLayer.draw();
        function editorState() {
            var layer = editor.animLayer;
            return JSON.stringify({
                saved: editor.saveToString(),
                selected: layer.itemGroups().map(function (g) { return g.isSelected === true; }),
                places: layer.itemGroups().map(function (g) {
                    var item = g.getFieldItem().group;
                    return [item.x(), item.y(), item.rotation()];
                }),
                caption: layer.getFrameText(),
                timeline: [pageShell.timeline.selectedFrame, pageShell.timeline.nFrames]
            });
        }
        var before = editorState();

        myDispatchEvent('takeSnapshot', {});
        assert.equal(snapshotsSent().length, 0, 'the picture comes later');
        waitFor('the snapshot', function () { return snapshotsSent().length === 1; }, done, function () {
            var message = snapshotsSent()[0];
            assert.equal(message.frameWidth, 1024);
            assert.equal(message.frameHeight, 768);
            assert.equal(editorState(), before, 'the editor is as it was');
            assert.equal(hidden.animLayer.getFrameText(), 'Run', 'the selected frame');
            assert.equal(hidden.bgLayer.gridVisibility(), true, 'the grid as shown');
            assert.equal(hidden.animLayer.showRunningLines, false, 'no running lines, as shown');
            assert.equal(hidden.whiteLayer.visible(), false, 'on grass, not for print');
            var text = editor.saveToString();
            chain(text, [1024, false, false, true], [2000], done, function (expected) {
                decodeAll([message.imageData, expected[0]], done, function (images) {
                    assert.deepEqual([images[0].width, images[0].height], [1024, 768]);
                    assert.ok(differingShare(images[0], images[1]) < SAME, 'the picture of frame 2');
                    done();
                });
            });
        }, 10000);
    }, 20000);
