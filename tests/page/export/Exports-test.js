// Pictures of any moment from the image generator (ImageGenerator.js), and the PDF report (PdfReport.js)
// built by the real jsPDF from a stand-in generator; finished exports are checked end to end (e2e/).

var generator = pageShell.imageGenerator;
var builtAtStart = generator.animation !== null;
var hidden = generator.hiddenAnimation();

// An item record through the places [x, y, rotation] of `at`.
function moving(type, id, at, extra) {
    return itemRecord(type, id, at.map(function (p) { return { x: p[0], y: p[1], rotation: p[2] }; }), extra);
}

// A person walking right, turning from 350 through 0 to 10 degrees and on, and a ball going down.
function drill(frames) {
    frames = frames || [0, 1, 2, 3];
    function item(type, id, color, at) {
        return moving(type, id, frames.map(function (f) { return at[f]; }), { scale: 0.3, color: color });
    }
    return { objects: [item('person', 1, 'red', [[0.2, 0.5, 350], [0.4, 0.5, 10], [0.6, 0.5, 90], [0.8, 0.5, 60]]),
        item('gaaBall', 2, 'white', [[0.3, 0.2, 0], [0.3, 0.4, 0], [0.3, 0.6, 0], [0.3, 0.8, 0]])],
        frameText: frames.map(function (f) { return ['Start', 'Pass', 'Run', 'Finish'][f]; }) };
}

function animationText(model, p) {
    p = p || {};  // the pitch's settings
    return drillText({ sport: 'soccer', showRunningLines: !!p.lines, rotation: p.turn || 0, background: { type: p.view || 'blank',
        showStripes: !!p.view, showLogo: !!p.logo, logoImage: p.logo || 'logos/ovri256x256.png' }, gridVisible: !!p.grid,
        nFrames: model.frameText.length, selectedFrame: p.selected || 0, objects: model.objects, frameText: model.frameText });
}

// Loads `text`, configures ([width, print, lines, grid, no caption]) and takes the pictures at `times`, each
// asked for from the last one's callback; then(urls, captions).
function chain(text, config, times, done, then) {
    var urls = [];
    var captions = [];
    generator.loadAnimation(text);
    generator.configureAnimation(config[0], config[1], config[2], config[3], config[4], config[5]);
    (function next() {
        generator.getImage(times[urls.length], done.step(function (url) {
            urls.push(url);
            captions.push(hidden.animLayer.getCaption());
            return urls.length < times.length ? next() : then(urls, captions);
        }));
    }());
}

test('pictures at a frame\'s time or past the end are that frame, as Kinetic draws it, with its caption', function (done) {
    assert.equal(builtAtStart, false, 'start-up leaves the hidden animation, as costly as the editor\'s own, to the first export');
    var text = animationText(drill(), { grid: true, view: 'fullField' });
    chain(text, [320, true, false, true], [0, 4200, 2000, 500], done, function (urls, captions) {
        assert.deepEqual(captions, ['Start', 'Finish', 'Run', 'Start'], 'the caption of the frame it is in');
        assert.deepEqual([hidden.whiteLayer.visible(), hidden.bgLayer.gridVisibility()], [true, true], 'as configured');
        hidden.frameManager.loadFrame(2);
        hidden.stage.toDataURL({ mimeType: 'image/jpeg', x: 0, y: 0, width: 320, height: 240,
            callback: done.step(function (kinetic) {
                decodedPixels(urls[2], 320, 240, done, function (ours) {
                    decodedPixels(kinetic, 320, 240, done, function (theirs) {
                        // JPEG noise leaves far below 0.001 of the colour values more than 48 apart, a moved item far more.
                        var share = [].filter.call(ours, function (v, k) {
                            return k % 4 !== 3 && Math.abs(v - theirs[k]) > 48;
                        }).length / ours.length;
                        assert.ok(share < 0.001, 'frame 2 as Kinetic draws it at 320 x 240: ' + share);
                        done();
                    });
                });
            }) });
    });
}, 20000);

// The report prints each caption under its picture, so its pictures leave it off; the next chain shows it again.
test('a chain configured without the caption draws the frame as if it had none, until the next configuration', function (done) {
    var model = drill();
    var text = animationText(model, { view: 'fullField' });
    model.frameText = model.frameText.map(function () { return ''; });
    var uncaptioned = animationText(model, { view: 'fullField' });
    chain(uncaptioned, [320, true, false, false], [0], done, function (plain) {
        chain(text, [320, true, false, false, true], [0], done, function (hidden) {
            chain(text, [320, true, false, false], [0], done, function (shown) {
                assert.deepEqual([hidden[0] === plain[0], shown[0] === plain[0]], [true, false],
                    'left off, then shown again');
                done();
            });
        });
    });
}, 20000);

// The video's pictures: the canvas's own bytes, the picture getImage encodes, on a turned pitch whose corners the
// pitch does not cover (transparent, black in a JPEG) and from a second chain of another size.
test('pixels are the picture a JPEG of the same moment shows, the top row first, at each chain\'s size', function (done) {
    var sizes = [[320, 90], [480, 0]];
    (function next(k) {
        if (k === sizes.length) {
            done();
            return;
        }
        var width = sizes[k][0], height = width * 3 / 4;
        var text = animationText(drill(), { lines: true, turn: sizes[k][1], view: 'fullField' });
        chain(text, [width, false, true, false], [1500], done, function (urls) {
            generator.getPixels(1500, done.step(function (pixels) {
                assert.equal(pixels.length, width * height * 4, 'red, green, blue and alpha of each pixel');
                decodedPixels(urls[0], width, height, done, function (jpeg) {
                    // The JPEG's own loss (its colour at half resolution smears small red items into the
                    // grass) stays small on average; the same bytes read bottom row first are far apart.
                    var apart = function (flipped) {
                        var sum = 0;
                        for (var i = 0; i < jpeg.length; i++) {
                            var p = flipped ? (height - 1 - Math.floor(i / 4 / width)) * width * 4 + i % (width * 4) : i;
                            // Transparent pixels are black in the JPEG; the video takes no alpha either.
                            sum += i % 4 === 3 ? 0 : Math.abs(jpeg[i] - (pixels[p - p % 4 + 3] ? pixels[p] : 0));
                        }
                        return sum / (jpeg.length * 3 / 4);
                    };
                    var mean = apart(false), upsideDown = apart(true);
                    assert.ok(mean < 3 && upsideDown > mean + 2, width + ' wide: ' + mean + ' apart, upside down ' + upsideDown);
                    next(k + 1);
                });
            }));
        });
    }(0));
}, 20000);

test('a picture asked for during a chain waits its turn; later chains draw the stored frames, with a new logo at once', function (done) {
    var canvas = document.createElement('canvas');
    canvas.getContext('2d').fillStyle = 'rgb(255,0,77)';  // a picture new to the page
    canvas.getContext('2d').fillRect(0, 0, 300, 150);
    var logo = canvas.toDataURL('image/png');
    var order = [];
    chain(animationText(drill(), { selected: 3 }), [320, false, true, false], [2000, 3000], done, function () {
        order.push(hidden.animLayer.getCaption());
        assert.equal(hidden.animLayer.showRunningLines, true, 'running lines as configured');
    });
    // A snapshot pressed during an export, with a logo that never decodes (a PNG cut after its header).
    generator.loadAnimation(animationText(drill([1, 2]), { logo: logo.slice(0, logo.indexOf(',') + 64) }));
    generator.configureAnimation(320, true, false, false);
    generator.getImage(1000, done.step(function () {
        assert.deepEqual(order.concat([hidden.animLayer.getCaption()]), ['Finish', 'Run'], 'one after the other');
        // The first picture waits for the new logo: it is the same JPEG as one drawn once the logo is in.
        chain(animationText(drill(), { selected: 3, logo: logo }), [320, false, false, false], [0, 500], done, function (first) {
            // Configured again after a picture between frames, it still draws the stored frames.
            generator.configureAnimation(320, false, false, false);
            generator.getImage(3000, done.step(function (again) {
                chain(animationText(drill([0, 3]), { logo: logo }), [320, false, false, false], [0, 1000], done, function (expected) {
                    assert.deepEqual([first[0] === expected[0], again === expected[1]], [true, true], 'frames 0 and 3, with the logo');
                    done();
                });
            }));
        });
    }));
    assert.throws(function () { generator.getImage(-1, function () {}); }, /at least 0/);
    assert.throws(function () { generator.configureAnimation(0, false, false, false); }, /width/);
}, 20000);

// The video holds its chain while the host takes a picture: another caller waits until the chain
// asks for its next picture and lets go.
test('a chain held from a callback keeps other callers waiting until it goes on and lets go; each hold is taken up once',
    function (done) {
        var order = [];
        assert.throws(function () { generator.holdChain(); }, /from a callback/);
        generator.loadAnimation(animationText(drill()));
        generator.configureAnimation(160, false, false, false);
        generator.getImage(0, done.step(function () {
            var held = generator.holdChain();
            window.setTimeout(done.step(function () {
                generator.getImage(1000, done.step(function () {
                    assert.deepEqual(order, ['next', 'released']);
                    done();
                }));
                assert.ok(generator.isBusy(), 'held between two pictures');
                held.next(2000, done.step(function () {
                    order.push('next');
                    var again = generator.holdChain();
                    again.release();
                    order.push('released');
                    assert.throws(function () { again.next(0, function () {}); }, /already/);
                }));
                assert.throws(function () { held.release(); }, /already/);
            }), 0);
        }));
    }, 20000);

// A person standing still through the first step and then moving, with a name and a number; a cone standing
// still throughout; a ball moving; a zone fading out at the end of frame 1, a run shown from frame 2 and a note
// throughout.
function stillThenMoving(colour) {
    var text = JSON.parse(animationText({ objects: [
        moving('person', 1, [[0.2, 0.5, 0], [0.2, 0.5, 0], [0.5, 0.45, 40], [0.7, 0.6, 90]],
            { color: colour, text: 'Wing', shortLabel: '7' }),
        moving('cone', 2, [[0.8, 0.2, 0], [0.8, 0.2, 0], [0.8, 0.2, 0], [0.8, 0.2, 0]], { color: 'orange' }),
        moving('gaaBall', 3, [[0.3, 0.2, 0], [0.3, 0.4, 0], [0.4, 0.6, 0], [0.5, 0.8, 0]])],
        frameText: ['Start', 'Hold', 'Run', 'Finish'] }, { view: 'fullField', lines: true }));
    // [kind, style, colour, fill, points, first, last, text]
    text.drawings = [['zone', 'rectangle', 'yellow', 1, [[0.6, 0.6], [0.8, 0.8]], 0, 0, ''],
        ['run', 'straight', 'red', 0, [[0.1, 0.9], [0.5, 0.7]], 2, 3, ''], ['note', 'plain', 'black', 0, [[0.5, 0.1]], 0, 3, 'Press']
    ].map(function (d) {
        return { kind: d[0], style: d[1], color: d[2], fill: d[3], rotation: 0, first: d[5], last: d[6], text: d[7],
            points: d[4].map(function (p) { return { x: p[0], y: p[1] }; }) };
    });
    return JSON.stringify(text);
}

// The moment the generator has just drawn, drawn again with every shape drawn itself: the hidden stage's layers
// in turn onto a canvas that is no layer's own, which no bitmap is drawn onto (ShapeBitmap.js). How many pixels
// differ from `pixels` by more than 8 levels (pixelsDiffering).
function pixelsDifferingFromDrawn(pixels) {
    var canvas = new Kinetic.SceneCanvas({ width: generator.canvas.getWidth(), height: generator.canvas.getHeight(),
        pixelRatio: 1 });
    hidden.stage.getChildren().each(function (layer) {
        var clears = layer.clearBeforeDraw();
        layer.clearBeforeDraw(false);
        layer.drawScene(canvas);
        layer.clearBeforeDraw(clears);
    });
    return pixelsDiffering(pixels, canvas.getContext()._context.getImageData(0, 0, canvas.getWidth(), canvas.getHeight()).data);
}

// A video's pictures, one every tenth of a second, drawn with what stays the same from picture to picture
// (texts, running lines, still pictures, drawings not fading) from bitmaps, as playback draws it: each is the
// moment drawn afresh, through the held step, the first movement after it, each new frame's lines and caption,
// the drawings fading and appearing, and the last frame; a second video after the person's kit has changed shows
// the new kit. The bitmaps go when the chain ends.
test('a video\'s pictures drawn partly from bitmaps are each the moment drawn afresh, after every change', function (done) {
    var person = function () { return hidden.animLayer.itemGroups()[0]; };
    var cone = function () { return hidden.animLayer.itemGroups()[1]; };
    var runs = [{ colour: 'red', times: [] }, { colour: 'blue', times: [1000, 1100, 2100] }];
    for (var t = 0; t <= 3000; t += 100) {
        runs[0].times.push(t);
    }
    var differing = [];
    var fromBitmaps = { lines: 0, texts: 0, cone: 0 };
    (function video(r) {
        if (r === runs.length) {
            return check();
        }
        generator.loadAnimation(stillThenMoving(runs[r].colour));
        generator.configureAnimation(320, false, true, false);
        var k = 0;
        // As the video's: the chain held between pictures, each next one asked for from the event loop.
        function taken(pixels) {
            var count = pixelsDifferingFromDrawn(pixels);
            if (count > 0) {
                differing.push(runs[r].colour + ' at ' + runs[r].times[k] + ' ms: ' + count + ' pixels');
            }
            fromBitmaps.lines += person().runningLines.bitmap.isHeld() ? 1 : 0;
            fromBitmaps.texts += person().shortLabelText.text.lookBitmap ? 1 : 0;
            fromBitmaps.cone += cone().getFieldItem().pictureBitmap.isHeld() ? 1 : 0;
            k += 1;
            if (k < runs[r].times.length) {
                var held = generator.holdChain();
                window.setTimeout(done.step(function () { held.next(runs[r].times[k], done.step(taken)); }), 0);
            } else {
                window.setTimeout(done.step(function () { video(r + 1); }), 0);
            }
        }
        generator.getPixels(runs[r].times[0], done.step(taken));
    }(0));
    function check() {
        assert.deepEqual(differing, [], 'pictures that are not the moment drawn afresh');
        assert.ok(fromBitmaps.lines > 20 && fromBitmaps.texts > 20 && fromBitmaps.cone > 20,
            'precondition: drawn from bitmaps, ' + JSON.stringify(fromBitmaps));
        assert.deepEqual([person().runningLines.bitmap.isHeld(), !!person().shortLabelText.text.lookBitmap,
            cone().getFieldItem().pictureBitmap.isHeld()], [false, false, false], 'the bitmaps gone with the chain');
        done();
    }
}, 60000);

// Running lines as an export draws them, read from the picture's pixels before it is encoded. Frame 2 of 4 of
// a red and a white player and a ball, each moving right along a row of a blank pitch that fills the picture,
// every row on the middle of a pixel. Segments, at x as a share of the width: red 0.05-0.45 long (item at 0.45),
// 0.6-0.68 of 8 %; white 0.05-0.35 long, 0.7-0.72 too short for a head; the ball 0.05-0.5, dashed.
var LINE_ROWS = { red: 0.2, white: 0.5, ball: 0.8 };

function linesDrill(width) {
    var height = width * 3 / 4;
    function mover(type, id, color, row, xs) {
        var y = (Math.floor(row * height) + 0.5) / height;
        return itemRecord(type, id, xs.map(function (x) { return { x: x, y: y, rotation: 0 }; }), { color: color });
    }
    return { objects: [mover('person', 1, 'red', LINE_ROWS.red, [0.05, 0.45, 0.6, 0.68]),
        mover('person', 2, 'white', LINE_ROWS.white, [0.05, 0.35, 0.7, 0.72]),
        mover('ball', 3, 'default', LINE_ROWS.ball, [0.05, 0.5, 0.6, 0.7])], frameText: ['', '', '', ''] };
}

// The picture just drawn: pixel(x, y) is [r, g, b] at a point of the picture (the pixel it falls in).
function drawnPixels() {
    var canvas = generator.canvas;
    var w = canvas.getWidth();
    var data = canvas.getContext()._context.getImageData(0, 0, w, canvas.getHeight()).data;
    return function (x, y) {
        var k = 4 * (Math.floor(y) * w + Math.floor(x));
        return [data[k], data[k + 1], data[k + 2]];
    };
}

function sum(rgb) { return rgb[0] + rgb[1] + rgb[2]; }

// Ink is anything 60 levels (of the three channels together) off the background's colour.
function inked(pixel, background) {
    return function (x, y) { return Math.abs(sum(pixel(x, y)) - sum(background)) > 60; };
}

// What draws off the axis of the segment x0-x1 along row y, more than 4 pixels above or below it, short of
// its ends and their round caps (and of `clear` pixels before x1, where an item stands): the head, if any, as
// its reach back from the segment's middle, where its tip is, and its spread either side of the axis; null
// when nothing does.
function headOf(ink, x0, x1, y, clear) {
    var head = null;
    for (var x = Math.floor(x0) + 5; x < x1 - Math.max(5, clear || 0); x++) {
        for (var dy = 4.5; dy < 40; dy++) {
            if (ink(x, y - dy) || ink(x, y + dy)) {
                head = head || { back: 0, spread: 0 };
                head.back = Math.max(head.back, (x0 + x1) / 2 - x);
                head.spread = Math.max(head.spread, dy);
            }
        }
    }
    return head;
}

test('running lines in a picture: the kit\'s colour (a ball\'s dark and dashed), wider on a wider pitch, on an ' +
    'outline that sets them off; heads at most a third of their segment, none on a short one', function (done) {
    var looks = [];
    (function next(k) {
        if (k === 4) {
            return check(looks);
        }
        var width = k < 2 ? 640 : 1024;
        var print = k % 2 === 0;
        chain(animationText(linesDrill(width), { selected: 1, lines: true }), [width, print, true, false], [1000], done,
            function () {
                assert.deepEqual([hidden.animLayer.layerWidth, layerPosToStage({ x: 0, y: 0 }, hidden.animLayer)],
                    [width, { x: 0, y: 0 }], 'precondition: the pitch fills the picture');
                looks.push({ width: width, print: print, pixel: drawnPixels() });
                next(k + 1);
            });
    }(0));

    function check() {
        looks.forEach(function (look) {
            var w = look.width;
            var pixel = look.pixel;
            var at = look.width + (look.print ? ' for print' : ' on grass') + ': ';
            var background = pixel(w * 0.9, w * 0.75 * 0.35);
            var row = {};
            Object.keys(LINE_ROWS).forEach(function (key) { row[key] = Math.floor(LINE_ROWS[key] * w * 0.75) + 0.5; });
            var x = Math.floor(w * 0.12) + 0.5;  // across the long segments, away from heads and items
            assert.deepEqual(background, look.print ? [255, 255, 255] : [0, 128, 0], at + 'precondition: paper or grass');

            // Each line's own colour along its middle.
            assert.deepEqual([pixel(x, row.red), pixel(x, row.white)], [[255, 0, 0], [255, 255, 255]], at + 'kit colours');
            var dashes = [];
            for (var bx = w * 0.1; bx < w * 0.2; bx++) {
                var brightest = Math.max.apply(null, pixel(bx, row.ball));
                dashes.push(brightest < 60 ? 'D' : brightest > 120 ? '.' : '');
            }
            var runs = dashes.join('').replace(/(.)\1+/g, '$1');
            assert.ok(/^\.?(D\.)+D?$/.test(runs) && runs.length >= 4, at + 'the ball\'s line dark and dashed: ' + runs);

            if (look.print) {
                // On paper the light outline vanishes, so the red line's width is the ink across it.
                var across = 0;
                for (var dy = -8; dy <= 8; dy++) {
                    across += 1 - pixel(x, row.red + dy)[1] / 255;
                }
                assert.close(across, w === 640 ? 1.5 : 2, 0.2, at + 'the line\'s width');
                // The white line shows on paper by its dark outline, either side.
                [-1, 1].forEach(function (side) {
                    var beside = Math.min(sum(pixel(x, row.white + side)), sum(pixel(x, row.white + 2 * side)));
                    assert.ok(beside < 3 * 200, at + 'dark outline beside white, ' + side + ': ' + beside);
                });
                var ink = inked(pixel, background);
                var heads = [headOf(ink, 0.05 * w, 0.45 * w, row.red, 30), headOf(ink, 0.6 * w, 0.68 * w, row.red),
                    headOf(ink, 0.7 * w, 0.72 * w, row.white)];
                [0.4 * w, 0.08 * w].forEach(function (length, i) {
                    assert.ok(heads[i] && heads[i].back <= length / 3 && heads[i].spread > 4,
                        at + 'a head within a third of a ' + length + '-pixel segment: ' + JSON.stringify(heads[i]));
                });
                assert.ok(heads[1].back < heads[0].back, at + 'a shorter segment\'s head is smaller');
                assert.equal(heads[2], null, at + 'none on a ' + 0.02 * w + '-pixel segment');
            } else {
                // On grass the red line lies on a light outline, either side.
                [-1, 1].forEach(function (side) {
                    var beside = Math.max(sum(pixel(x, row.red + side)), sum(pixel(x, row.red + 2 * side)));
                    assert.ok(beside > sum(background) + 200, at + 'light outline beside red, ' + side + ': ' + beside);
                });
            }
        });
        done();
    }
}, 30000);

// Mended: a player's running line was drawn with his own picture, over every player stacked before him, and heads were
// open chevrons of two outlined arms. Blue 4, first in the stack, stands on red 10's run at a third of its length, the
// run crossing his shirt below his number; the run's head, at its middle, is a solid triangle: a point inside it, off
// the line and its outline, is red.
test('a running line lies under every player, not only under its own, with one solid head', function (done) {
    var row = (Math.floor(0.5 * 480) + 8.5) / 480;
    var drill = { objects: [itemRecord('person', 1, [{ x: 0.4, y: row - 8 / 480, rotation: 0 },
        { x: 0.4, y: row - 8 / 480, rotation: 0 }],
        { color: 'blue', shortLabel: '4', z: 1 }), itemRecord('person', 2, [{ x: 0.2, y: row, rotation: 0 },
        { x: 0.8, y: row, rotation: 0 }], { color: 'red', shortLabel: '10', z: 2 })], frameText: ['', ''] };
    var shots = [];
    [false, true].forEach(function (lines) {
        chain(animationText(drill, { lines: lines }), [640, false, lines, false], [0], done, function () {
            shots.push(drawnPixels());
            if (shots.length < 2) {
                return;
            }
            var y = row * 480;
            // His shirt where it is blue, not the number on it, whose outline lets a little through.
            var covered = [];
            var shirt = 0;
            for (var x = 0.4 * 640 - 8; x <= 0.4 * 640 + 8; x++) {
                var bare = shots[0](x, y);
                if (bare[2] > 150 && bare[0] < 80) {
                    shirt += 1;
                    if (bare.join() !== shots[1](x, y).join()) {
                        covered.push(x + ': ' + shots[1](x, y));
                    }
                }
            }
            assert.ok(shirt >= 6, 'precondition: his blue shirt along the line, ' + shirt + ' pixels');
            assert.deepEqual(covered, [], 'blue 4 drawn over red 10\'s line');
            assert.deepEqual([shots[0](0.3 * 640, y), shots[1](0.3 * 640, y)], [[0, 128, 0], [255, 0, 0]],
                'precondition: the line shows beside him');
            // The head: its tip at the middle, 0.5 of the width, 11.25 pixels long and as wide.
            var inside = shots[1](0.5 * 640 - 0.8 * 11.25, y + 2.8);
            assert.ok(inside[0] > 200 && inside[1] < 60, 'inside the head, off the line: red, ' + inside);
            done();
        });
    });
}, 20000);

function picture(frame) {
    var canvas = document.createElement('canvas');
    canvas.getContext('2d').fillStyle = 'rgb(' + (frame * 40 % 256) + ',100,150)';
    canvas.getContext('2d').fillRect(0, 0, 300, 150);
    return canvas.toDataURL('image/jpeg');
}

// Records its calls and delivers pictures later; refuses the first one of frame 2 when `busy`.
function fakeGenerator(busy) {
    var g = { calls: [], loadAnimation: function (text) { g.calls.push(['loadAnimation', text]); } };
    g.configureAnimation = function () { g.calls.push(['configureAnimation'].concat([].slice.call(arguments))); };
    g.getFrameImage = function (frame, callback) {
        g.calls.push(['getFrameImage', frame]);
        if (busy && frame === 1) {
            busy = false;
            throw new Error('the generator is busy');
        }
        window.setTimeout(function () { callback(picture(frame)); }, 0);
    };
    return g;
}

function request(nFrames, waitForLogo, rotated) {
    return { animationText: 'drill', nFrames: nFrames, rotated: !!rotated, showRunningLines: true, showGrid: false,
        drillName: 'Overlap', captions: [], date: '7 December 2026, 18:04',
        waitForLogo: waitForLogo || function (callback) { callback({ dataUrl: picture(9), width: 256, height: 169 }); } };
}

// The real library, as the editor loads it for its first report.
function withJsPdf(then) {
    var script = document.createElement('script');
    script.onload = then;
    script.src = 'jspdf.js';
    document.head.appendChild(script);
}

// The report's loader of jsPDF, giving a jsPDF whose documents tell `spy(doc, name, args)` of each call of `names`.
function spiedJsPdf(names, spy) {
    return function (callback) {
        callback(function (orientation, unit, format) {
            var doc = new jsPDF(orientation, unit, format);
            names.forEach(function (name) {
                var real = doc[name];
                doc[name] = function () {
                    spy(doc, name, arguments);
                    return real.apply(doc, arguments);
                };
            });
            return doc;
        });
    };
}

// A node's box [left, top, right, bottom] on the stage; `inner` narrows it to the width `inner` across its middle.
function boxOnStage(node, inner) {
    var w = node.width();
    var x0 = inner === undefined ? 0 : (w - inner) / 2;
    var m = node.getAbsoluteTransform();
    var a = m.point({ x: x0, y: 0 });
    var b = m.point({ x: w - x0, y: node.height() });
    return [Math.min(a.x, b.x), Math.min(a.y, b.y), Math.max(a.x, b.x), Math.max(a.y, b.y)];
}

var LONG_CAPTION = 'Wingers overlap on the outside while the holding midfielder screens the back four; the striker ' +
    'peels off the last defender and attacks the near post';

// Where the caption and its backing stand at every turn: Pitch-test.js.
test('a long caption reads in a picture of a turned pitch: two lines on a light backing, over the goal line and ' +
    'over a player at the top', function (done) {
    var text = drillText({ sport: 'soccer', rotation: 90, background: { type: 'oneEnd', showStripes: true, showLogo: false,
        logoImage: 'logos/ovri256x256.png' }, objects: [itemRecord('person', 1, [{ x: 0.02, y: 0.5, rotation: -90 }],
        { scale: 0.5, color: 'red' })], frameText: [LONG_CAPTION] });
    chain(text, [720, false, false, false], [0], done, function (urls) {
        var layer = hidden.animLayer;
        var caption = layer.find('.frameText')[0];
        var backing = layer.find('.captionBacking')[0];
        var glyphs = boxOnStage(caption, caption.getTextWidth());
        var behind = boxOnStage(backing);
        decodedPixels(urls[0], 720, 540, done, function (data) {
            var at = function (x, y) { return [].slice.call(data, 4 * (y * 720 + x), 4 * (y * 720 + x) + 3); };
            // The row between the backing's top and the text's: light from end to end, the goal line and the
            // player under it too.
            var y = Math.round((behind[1] + glyphs[1]) / 2);
            var dark = [];
            for (var x = Math.ceil(behind[0]) + 4; x < behind[2] - 4; x++) {
                if (Math.min.apply(null, at(x, y)) < 170) {
                    dark.push(x + ': ' + at(x, y));
                }
            }
            assert.deepEqual(dark, [], 'the backing, at y ' + y);
            var lineHeight = (glyphs[3] - glyphs[1]) / 2;
            [0, 1].forEach(function (line) {
                var ink = 0;
                for (var yy = Math.ceil(glyphs[1] + line * lineHeight); yy < glyphs[1] + (line + 1) * lineHeight; yy++) {
                    for (var xx = Math.ceil(glyphs[0]); xx < glyphs[2]; xx++) {
                        ink += Math.max.apply(null, at(xx, yy)) < 100 ? 1 : 0;
                    }
                }
                assert.ok(ink > 100, 'line ' + (line + 1) + ' drawn: ' + ink + ' dark pixels');
            });
            done();
        });
    });
}, 20000);

test('a turned pitch\'s picture cut to the pitch is upright, the pitch to its edges; uncut, or unturned, it is the ' +
    'frame\'s', function (done) {
    // [turned, cut, the picture's size, whether its left edge is grass]
    var rows = [[90, true, [540, 720], true], [90, false, [960, 720], false], [0, true, [960, 720], true]];
    (function next(k) {
        if (k === rows.length) {
            return done();
        }
        var row = rows[k];
        var text = drillText({ sport: 'soccer', rotation: row[0] });
        chain(text, [960, false, false, false, true, row[1]], [0], done, function (urls) {
            var image = new Image();
            image.onload = done.step(function () {
                var size = [image.naturalWidth, image.naturalHeight];
                decodedPixels(urls[0], size[0], size[1], done, function (data) {
                    var i = 4 * (size[0] * Math.round(size[1] / 2) + 2);
                    var grass = data[1] > data[0] + 40 && data[1] > data[2] + 40;
                    assert.deepEqual([size, grass], [row[2], row[3]], row.join(' ') + ': ' + [].slice.call(data, i, i + 3));
                    next(k + 1);
                });
            });
            image.src = urls[0];
        });
    }(0));
}, 20000);

// [the shape's width and height, the pitch turned, the width the pitch is drawn at, where it stands in
// the shape and its size: x, y, w, h]. Unturned, the 4:3 picture fills the shape's height (16:9) or
// width; turned, the pitch cut to itself (3:4 for soccer) does.
var SHAPES = [[320, 180, 0, 240, [0, 0, 240, 180]], [180, 320, 0, 180, [0, 0, 180, 135]],
    [240, 240, 0, 240, [0, 0, 240, 180]], [180, 320, 90, 320, [0, 0, 180, 240]], [320, 180, 90, 240, [0, 0, 135, 180]]];

// The shape's pixels at `times` (and, for each, the caption's), then the pitch's own at the width
// it stands in the shape at, without its caption and cut when turned.
function shapedPictures(row, times, model, done, then) {
    var text = animationText(model, { turn: row[2], view: 'fullField' });
    var shaped = [];
    generator.loadAnimation(text);
    generator.configureAnimation(row[0], false, false, false, true);
    generator.configureShape(new ShapedPicture(row[0], row[1], 'Overlap drill'));
    (function next() {
        generator.getPixels(times[shaped.length], done.step(function (pixels) {
            shaped.push(pixels);
            if (shaped.length < times.length) {
                return next();
            }
            generator.configureAnimation(row[3], false, false, false, true, true);
            generator.getPixels(times[0], done.step(function (pitch) {
                then(shaped, pitch);
            }));
        }));
    }());
}

// Dark pixels (the band's type) of `pixels` (w wide) in rows y0 to y1 and columns x0 to x1.
function inkIn(pixels, w, x0, y0, x1, y1) {
    var ink = 0;
    for (var y = y0; y < y1; y++) {
        for (var x = x0; x < x1; x++) {
            var i = 4 * (y * w + x);
            ink += pixels[i] < 110 && pixels[i + 1] < 110 && pixels[i + 2] < 110 ? 1 : 0;
        }
    }
    return ink;
}

test('a video of another shape shows the pitch as its own picture, unstretched, filling the shape\'s width or ' +
    'height; the drill\'s name and the caption in the band it leaves', function (done) {
    var model = drill();
    model.frameText[3] = '';
    (function next(k) {
        if (k === SHAPES.length) {
            return done();
        }
        var row = SHAPES[k], W = row[0], H = row[1], at = row[4];
        shapedPictures(row, [0, 9000], model, done, function (shaped, pitch) {
            var name = row.slice(0, 3).join(' ');
            assert.equal(pitch.length, at[2] * at[3] * 4, name + ': the pitch drawn at the size it fills');
            assert.equal(shaped[0].length, W * H * 4, name + ': the shape\'s size');
            var worst = 0;
            for (var y = 0; y < at[3]; y++) {
                for (var x = 0; x < at[2]; x++) {
                    var i = 4 * (y * at[2] + x), j = 4 * ((at[1] + y) * W + at[0] + x), a = pitch[i + 3] / 255;
                    for (var c = 0; c < 3; c++) {
                        worst = Math.max(worst, Math.abs(shaped[0][j + c] - (a * pitch[i + c] + (1 - a) * 255)));
                    }
                }
            }
            assert.ok(worst <= 2, name + ': the pitch as its own picture over white, ' + worst + ' apart at worst');
            // The band, right of the pitch or below it: the name in both pictures, and the caption
            // where the frame has one.
            var band = at[2] < W ? [at[2], 0, W, H] : [0, at[3], W, H];
            var changed = 0;
            for (var by = band[1]; by < band[3]; by++) {
                for (var bx = band[0]; bx < band[2]; bx++) {
                    var b = 4 * (by * W + bx);
                    changed += Math.abs(shaped[0][b] - shaped[1][b]) > 60 ? 1 : 0;
                }
            }
            var nameInk = inkIn(shaped[1], W, band[0], band[1], band[2], band[3]);
            assert.ok(nameInk > 20 && changed > 20, name + ': the name ' + nameInk + ' dark pixels, the caption ' +
                changed + ' pixels changed');
            next(k + 1);
        });
    }(0));
}, 30000);

// A report asked for while another is built is refused at once, so that the host's export ends.
test('report: one at a time, free again after a failure; every frame drawn for print under an alias of its own', function (done) {
    withJsPdf(done.step(function () { buildReports(done); }));
}, 20000);

function buildReports(done) {
    var log = [];
    var slots = {};  // where each frame's picture went, in millimetres
    var g = fakeGenerator(true);
    var report = new PdfReport(g, spiedJsPdf(['addPage', 'addImage'], function (doc, name, args) {
        var alias = args[6];
        log.push(name === 'addPage' ? 'page' : alias === 'playvaneLogo' ? 'logo' :
            alias + (args[0] === picture(alias.slice(5) - 1) ? '' : ' (not its own picture)'));
        slots[alias] = [].slice.call(args, 2, 6).map(function (v) { return Math.round(v * 100) / 100; });
    }));
    var release = null;
    var progress = [];
    var next = { progress: function (p) { progress.push(p); }, failed: done, finished: done.step(function (dataUrl) {
        assert.deepEqual(g.calls, [['loadAnimation', 'drill'], ['configureAnimation', 960, true, true, false, true, true]].concat(
            [0, 1, 2, 3, 4, 5, 6].map(function (f) { return ['getFrameImage', f]; })),
            'drawn for print, with lines, without the caption the report prints under it, a turned pitch cut to itself');
        assert.deepEqual(log.join(' '), 'logo frame1 frame2 frame3 frame4 frame5 ' +
            'frame6 page logo frame7', 'each frame\'s own picture under its own alias, and the logo on each page');
        assert.deepEqual(progress.map(Math.round), [0, 17, 33, 50, 67, 83, 100]);
        assert.deepEqual([Math.round(slots.frame4[2] / slots.frame4[3] * 100) / 100,
            Math.round((slots.frame4[0] + slots.frame4[2] / 2) * 10) / 10, slots.frame7], [0.75, 153.1, slots.frame1], 'a turned pitch\'s pictures upright, in the middle of their ' +
            'columns; the same places on every page');
        // [frames, the progress at each picture]: one picture is at 0 %, a number; the last of two at 100 %.
        var shorter = [[1, [0]], [2, [0, 100]]];
        (function buildShorter(k) {
            if (k === shorter.length) {
                return done();
            }
            var seen = [];
            assert.ok(report.build(request(shorter[k][0]), { progress: function (p) { seen.push(p); }, failed: done,
                finished: done.step(function () {
                    assert.deepEqual(seen, shorter[k][1], 'a report of ' + shorter[k][0]);
                    buildShorter(k + 1);
                }) }), 'a report of ' + shorter[k][0] + ' after the others');
        }(0));
    }) };
    assert.ok(report.build(request(3, function (callback) { release = callback; }), { progress: function () {},
        finished: done, failed: done.step(function (e) {
            assert.deepEqual([e.message, report.isBusy(), log, slots.frame1], ['the generator is busy', false, ['frame1'],
                [14, 37, 85.75, 64.31]], 'failed, free again, and no logo when there is none');
            log = [];
            g.calls = [];
            assert.ok(report.build(request(7, null, true), next), 'a new report is accepted');
        }) }));
    assert.ok(!report.build(request(1), {}), 'refused while the first waits for its logo');
    assert.deepEqual([g.calls, report.isBusy()], [[], true], 'nothing drawn before the logo has settled');
    var without = new PdfReport(fakeGenerator(), function (callback) { callback(null); });
    var why = null;
    assert.ok(without.build(request(1), { failed: function (e) { why = e.message; } }));
    assert.deepEqual([why, without.isBusy()], ['jsPDF could not be loaded', false], 'no library: failed, and free again');
    release(null);
    assert.throws(function () { new PdfReport(g, undefined); }, /jsPDF/);
}

// What a report writes, where: { text, x, y, size, type, width } for each line, and each picture's box by
// its alias; then(trace) once it is finished.
function tracedReport(req, done, then, loadFonts) {
    var trace = { lines: [], boxes: {} };
    var report = new PdfReport(fakeGenerator(), spiedJsPdf(['text', 'addImage'], function (doc, name, a) {
        var page = doc.internal.getNumberOfPages();
        if (name === 'addImage') {
            trace.boxes[a[6]] = { x: a[2], y: a[3], w: a[4], h: a[5], page: page };
            return;
        }
        [].concat(a[0]).forEach(function (line, i) {
            trace.lines.push({ text: line, x: a[1], page: page, y: a[2] + i * doc.getLineHeight() / doc.internal.scaleFactor,
                size: doc.internal.getFontSize(), type: doc.internal.getFont().fontStyle,
                font: doc.internal.getFont().fontName, width: doc.getTextWidth(line) });
        });
    }), loadFonts);
    assert.ok(report.build(req, { progress: function () {}, failed: done, finished: done.step(function (url, leftOut) {
        trace.leftOut = leftOut;
        then(trace);
    }) }));
}

function linesAt(trace, test) {
    return trace.lines.filter(test).map(function (line) { return line.text; });
}

test('report: the drill named under the title, the date as the host wrote it, each picture numbered with its ' +
    'caption under it, within its width and clear of the next row; control characters as spaces, and what the ' +
    'faces cannot print told', function (done) {
    withJsPdf(done.step(function () {
        var req = request(8);
        // Mended: a tab, BEL or NUL ended the caption there.
        req.captions = ['Start', '', LONG_CAPTION + ' ' + LONG_CAPTION, 'Two lines\nby the coach', 'Run',
            'Pass\tthen\u0007run\u0000wide\u0085\u2028end', 'Turn \u0915\u0916\u0915 \u65e5 \ud83d\ude00', 'Caf\u00e9 cr\u00e8me'];
        // Letters no Liberation Sans yet has: Debian 13's prints Hebrew, Debian 12's did not.
        req.drillName = 'Overlap \u0627';
        var fonts = createReportFonts({ normal: 'fonts/LiberationSans-Regular.ttf', bold: 'fonts/LiberationSans-Bold.ttf' });
        tracedReport(req, done, function (trace) {
            assert.deepEqual(trace.lines.filter(function (line) { return line.font !== 'LiberationSans'; }), [],
                'written in the embedded faces, which know more than Latin-1');
            var title = trace.lines.filter(function (line) { return line.text === 'Training Report'; })[0];
            assert.deepEqual(linesAt(trace, function (line) { return line.x === title.x && line.y > title.y && line.y < 37; }),
                ['Overlap \u0627', 'Overlap \u0627'], 'the drill\'s name under the title, on each page');
            // The logo of 256 x 169 pixels keeps its shape, beside the title and inside the border.
            var logo = trace.boxes.playvaneLogo;
            assert.ok(Math.abs(logo.h / logo.w - 169 / 256) < 1e-9 && Math.abs(logo.y + logo.h / 2 - title.y) < 1e-9 &&
                logo.x + logo.w <= 210 - 14 + 0.01 && logo.x > title.x + title.width, 'the logo: ' + JSON.stringify(logo));
            assert.deepEqual(linesAt(trace, function (line) { return line.y > 280; }).filter(function (text) {
                return text.indexOf('7 December 2026, 18:04') >= 0; }).length, 2, 'the date as the host wrote it');
            var under = function (f) {
                var box = trace.boxes['frame' + f];
                return linesAt(trace, function (line) {
                    return line.page === box.page && line.x === box.x && line.y > box.y + box.h && line.y < box.y + box.h + 15;
                });
            };
            assert.deepEqual([under(1), under(2), under(4), under(6), under(8)], [['Frame 1', 'Start'], ['Frame 2'],
                ['Frame 4', 'Two lines', 'by the coach'], ['Frame 6', 'Pass then run wide  end'], ['Frame 8', 'Caf\u00e9 cr\u00e8me']],
                'numbered, each with its caption');
            assert.deepEqual(trace.leftOut, ['\u0627', '\u0915', '\u0916', '\u65e5', '\ud83d\ude00'],
                'what the faces cannot print, each once, for the host to tell');
            var long = under(3);
            var box = trace.boxes.frame3;
            var lines = trace.lines.filter(function (line) {
                return long.indexOf(line.text) > 0 && line.x === box.x && line.page === 1; });
            assert.ok(lines.length >= 2 && long[long.length - 1].slice(-1) === '\u2026', 'a long caption cut: ' + long);
            lines.forEach(function (line) {
                assert.ok(line.width <= box.w - 3, 'within the picture\'s width, short of the next column: ' + line.width);
                assert.ok(line.y + line.size * 0.25 / 2.835 < trace.boxes.frame5.y, 'clear of the next row: ' + line.y);
            });
            var sizes = trace.lines.filter(function (line) { return /^Frame /.test(line.text); }).map(function (line) {
                return line.y - trace.boxes['frame' + line.text.slice(6)].y - box.h; });
            assert.ok(sizes.every(function (d) { return d > 2 && d < 6; }), 'each number just under its picture: ' + sizes);
            var untitled = request(1, null, true);
            untitled.drillName = '';
            untitled.captions = [LONG_CAPTION + ' ' + LONG_CAPTION];
            tracedReport(untitled, done, function (turned) {
                assert.deepEqual(linesAt(turned, function (line) { return line.y > 20 && line.y < 37; }), ['Untitled drill'],
                    'a drill without a file');
                assert.equal(turned.lines[0].font, 'helvetica', 'jsPDF\'s own font without the faces');
                assert.deepEqual(turned.leftOut, [], 'which prints all of a Latin caption');
                var last = turned.lines[turned.lines.length - 1];
                assert.ok(last.y + 1 < 297 - 14 - 4.3 && last.text.slice(-1) === '\u2026',
                    'a turned pitch\'s last row leaves the footer its room: ' + last.y + ' ' + last.text);
                var named = request(1);
                named.drillName = LONG_CAPTION;
                // A locale's date may be written in letters the faces lack too.
                named.date = '2026\u5e7412\u67087\u65e5 18:04';
                tracedReport(named, done, function (long) {
                    var name = long.lines.filter(function (line) { return line.y > 20 && line.y < 37; })[0];
                    assert.ok(name.text.slice(-1) === '\u2026' && name.x + name.width < 210 - 14 - 30,
                        'a long name cut short of the logo: ' + name.text);
                    assert.deepEqual(long.leftOut, ['\u5e74', '\u6708', '\u65e5'], 'nor the date\'s');
                    done();
                }, fonts.load);
            });
        }, fonts.load);
    }));
}, 20000);

test('report: six, four or two pictures a page, two on landscape pages; every picture within the borders, clear of ' +
    'the others\' captions, as large as the page allows, a turned pitch\'s upright', function (done) {
    withJsPdf(done.step(function () {
        // [pictures a page, turned, the page's width, the pictures' width]
        var rows = [[6, false, 210, 85.75], [4, false, 210, 85.75], [2, false, 297, 129.25], [6, true, 210, 51.4],
            [4, true, 210, 81.67], [2, true, 297, 107.25]];
        (function next(k) {
            if (k === rows.length) {
                var refused = null;
                var bad = request(1);
                bad.picturesPerPage = 5;
                new PdfReport(fakeGenerator(), spiedJsPdf([], function () {})).build(bad, { progress: function () {},
                    failed: function (e) { refused = e.message; }, finished: done });
                return waitFor('the refusal', function () { return refused !== null; }, done, function () {
                    assert.equal(refused, 'a report has 6, 4, 2 pictures a page, not 5');
                    done();
                });
            }
            var row = rows[k];
            var req = request(row[0] + 1, null, row[1]);
            req.picturesPerPage = row[0];
            var where = row[0] + ' a page' + (row[1] ? ', turned: ' : ': ');
            tracedReport(req, done, function (trace) {
                var boxes = Object.keys(trace.boxes).filter(function (alias) { return /^frame/.test(alias); })
                    .map(function (alias) { return trace.boxes[alias]; });
                var pageHeight = row[2] === 210 ? 297 : 210;
                assert.deepEqual([boxes.length, boxes[row[0]].page, Math.round(boxes[0].w * 100) / 100,
                    Math.round(boxes[0].w / boxes[0].h * 1000) / 1000], [row[0] + 1, 2, row[3], row[1] ? 0.75 : 1.333],
                    where + 'a second page for the last, and the pictures\' size');
                var footer = trace.lines.filter(function (line) { return /^Page 1 \/ 2$/.test(line.text); })[0];
                assert.ok(Math.abs(footer.y - (pageHeight - 14)) < 0.01, where + 'the footer at the foot of the page');
                boxes.forEach(function (b, i) {
                    assert.ok(b.x >= 14 - 0.01 && b.x + b.w <= row[2] - 14 + 0.01 && b.y >= 37 - 0.01 &&
                        b.y + b.h + 4 <= pageHeight - 14 - 4, where + 'picture ' + (i + 1) + ' within the borders');
                    boxes.slice(i + 1).forEach(function (o) {
                        assert.ok(o.page !== b.page || o.x >= b.x + b.w || o.y >= b.y + b.h + 12,
                            where + 'pictures ' + (i + 1) + ' and the next apart, with room for a caption');
                    });
                });
                next(k + 1);
            });
        }(0));
    }));
}, 30000);

test('report of several drills: each from a page of its own under its own name, its pictures as its pitch lies, ' +
    'pages numbered through; a picture refused names its drill', function (done) {
    withJsPdf(done.step(function () {
        var one = request(3);
        var two = request(2, null, true);
        one.animationText = 'first drill';
        two.animationText = 'second drill';
        two.drillName = 'Lineout';
        two.captions = ['Throw'];
        var squad = { drills: [one, two], date: one.date, waitForLogo: one.waitForLogo, picturesPerPage: 2 };
        tracedReport(squad, done, function (trace) {
            var onPage = function (page, test) {
                return linesAt(trace, function (line) { return line.page === page && test(line); });
            };
            assert.deepEqual([1, 2, 3].map(function (page) {
                return onPage(page, function (line) { return line.y > 20 && line.y < 37; }).concat(
                    onPage(page, function (line) { return /^Page /.test(line.text); }));
            }), [['Overlap', 'Page 1 / 3'], ['Overlap', 'Page 2 / 3'], ['Lineout', 'Page 3 / 3']], 'headed and numbered');
            var boxes = trace.boxes;
            assert.deepEqual(['frame1', 'frame3', 'drill2frame1', 'drill2frame2'].map(function (alias) {
                return [boxes[alias].page, Math.round(boxes[alias].w / boxes[alias].h * 100) / 100];
            }), [[1, 1.33], [2, 1.33], [3, 0.75], [3, 0.75]], 'each drill\'s own pictures, a new page for the second');
            assert.deepEqual(onPage(3, function (line) { return line.y > boxes.drill2frame1.y + boxes.drill2frame1.h; }),
                ['Page 3 / 3', String(one.date), 'www.drillmora.com', 'Frame 1', 'Throw', 'Frame 2'], 'numbered from 1 again');
            var failing = fakeGenerator();
            failing.getFrameImage = function (frame, callback) {
                window.setTimeout(function () {
                    callback(failing.calls.length > 4 ? null : picture(frame), 'The drill could not be drawn: too big');
                }, 0);
                failing.calls.push(['getFrameImage', frame]);
            };
            new PdfReport(failing, spiedJsPdf([], function () {})).build(
                { drills: [request(1), two], date: one.date, waitForLogo: one.waitForLogo },
                { progress: function () {}, finished: done, failed: done.step(function (e) {
                    assert.equal(e.message, 'the drill Lineout: The drill could not be drawn: too big');
                    assert.deepEqual(failing.calls.map(function (c) { return c[0] + ':' + c[1]; }), ['loadAnimation:drill',
                        'configureAnimation:720', 'getFrameImage:0', 'loadAnimation:second drill', 'configureAnimation:960',
                        'getFrameImage:0'], 'each drill loaded and drawn as its pitch lies');
                    done();
                }) });
        });
    }));
}, 30000);

test('report faces: read once for every report that asks, again after a failure', function (done) {
    var missing = createReportFonts({ normal: 'fonts/LiberationSans-Regular.ttf', bold: 'fonts/none.ttf' });
    missing.load(done.step(function (faces) {
        assert.equal(faces, null, 'a face missing');
        var fonts = createReportFonts({ normal: 'fonts/LiberationSans-Regular.ttf', bold: 'fonts/LiberationSans-Bold.ttf' });
        var answers = [];
        var answer = done.step(function (faces) {
            answers.push(faces);
            if (answers.length === 2) {
                assert.ok(answers[0] === answers[1] && atob(faces.bold.slice(0, 8)).charCodeAt(1) === 1,
                    'both waiters answered with the same TrueType faces');
                fonts.load(function (again) {
                    assert.ok(again === faces, 'kept');
                    done();
                });
            }
        });
        fonts.load(answer);
        fonts.load(answer);
    }));
    assert.throws(function () { createReportFonts({ normal: 'x' }); }, /bold/);
}, 20000);

// ---- Names in pictures of a crowded drill ----------------------------------------------------------------------------

// A rugby drill of two frames a second apart at 640 x 480, where a player (20 x 32 pixels) stands 0.03125 of the width
// and 0.0667 of the height from the next: a maul of eight (red and blue, moving right), a lineout of seven (red) with
// the opposition's unnamed blue row beside it, a box of six (yellow) at the bottom left corner, a ball crossing the
// lineout's names and a note under the maul, with a caption of two lines along the top.
var PW = 1 / 32;
var PH = 1 / 15;
var CROWD_NAMES = ['Hooker Ryan', 'Prop Dan', 'Prop Tom', 'Lock Alan', 'Flanker Ian', 'No. 8 Cian', 'Lock Mark',
    'Flanker Paul', 'Jumper Rory', 'Lifter Joe', 'Jumper Sean', 'Lifter Eoin', 'Half Luke', 'Lifter Noel', 'Prop Ben',
    'Keeper Shane', 'Wing Ciara', 'Centre Niamh', 'Back Aoife', 'Wing Orla', 'Hooker Nell'];

function crowdedDrill(ballRow) {
    var objects = [];
    function player(at, to, name, colour) {
        objects.push(moving('person', objects.length + 1, [at.concat([0]), to.concat([0])],
            { text: name, shortLabel: String(objects.length + 1), color: colour }));
    }
    for (var m = 0; m < 8; m++) {
        var maul = [0.38 + (m % 4) * PW, 0.42 + Math.floor(m / 4) * PH];
        player(maul, [maul[0] + 0.05, maul[1]], CROWD_NAMES[m], m < 4 ? 'red' : 'blue');
    }
    for (var l = 0; l < 7; l++) {
        player([0.8, 0.2 + l * PH], [0.8, 0.2 + l * PH], CROWD_NAMES[8 + l], 'red');
        player([0.8 + PW + 0.004, 0.2 + l * PH], [0.8 + PW + 0.004, 0.2 + l * PH], '', 'blue');
    }
    for (var b = 0; b < 6; b++) {
        var box = [0.02 + (b % 3) * PW, 0.87 + Math.floor(b / 3) * PH];
        player(box, box, CROWD_NAMES[15 + b], 'yellow');
    }
    objects.push(moving('rugbyBall', objects.length + 1, [[0.35, ballRow, 0], [0.95, ballRow, 0]], { scale: 0.15 }));
    return drillText({ sport: 'rugby', background: { type: 'fullField', showStripes: true, showLogo: false,
        logoImage: 'logos/ovri256x256.png' }, nFrames: 2, objects: objects,
        frameText: ['Maul, lineout and a box at the corner: who stands where before the ball comes in', ''],
        drawings: [{ kind: 'note', style: 'plain', color: 'white', fill: 0, rotation: 0, points: [{ x: 0.45, y: 0.6 }],
            first: 0, last: 1, text: 'Drive on\nthe left' }] });
}

// The players' boxes in a picture of width 640 at `t` ms of the crowded drill: [left, top, right, bottom].
function crowdBoxes(text, t) {
    return JSON.parse(text).objects.filter(function (o) { return o.type === 'person'; }).map(function (o) {
        var f = Math.min(1, t / 1000);
        var x = (o.frames[0].x + (o.frames[1].x - o.frames[0].x) * f) * 640;
        var y = o.frames[0].y * 480;
        return [x - 10, y - 16, x + 10, y + 16];
    });
}

function gapBetween(a, b) {
    var dx = Math.max(0, a[0] - b[2], b[0] - a[2]);
    var dy = Math.max(0, a[1] - b[3], b[1] - a[3]);
    return Math.sqrt(dx * dx + dy * dy);
}

// The box [left, top, right, bottom] of the pixels where two pictures of 640 x 480 differ, or null. Pictures of one
// moment differ only where something is drawn in one alone, by a few levels where a dark name lies over a note.
function differenceBox(a, b) {
    var box = null;
    for (var k = 0; k < a.length; k += 4) {
        if (Math.abs(a[k] - b[k]) + Math.abs(a[k + 1] - b[k + 1]) + Math.abs(a[k + 2] - b[k + 2]) > 6) {
            var x = (k / 4) % 640;
            var y = Math.floor(k / 4 / 640);
            box = box ? [Math.min(box[0], x), Math.min(box[1], y), Math.max(box[2], x + 1), Math.max(box[3], y + 1)] :
                [x, y, x + 1, y + 1];
        }
    }
    return box;
}

// Pictures of the moments `times` of `text` (looksOf), each once with no name and no leader line drawn, once with
// all, and once with each named player's name alone, and with his leader line alone (`leaders`), the items left out:
// then(pictures), pictures[t] = { none, all, names: [...], leaders: [...] }, the names and leaders by the players'
// order.
function namePictures(text, times, leaders, done, then) {
    var looks = [];
    times.forEach(function (t) {
        looks.push({ t: t, names: false, leaders: false, items: false }, { t: t, names: true, leaders: true, items: false });
        CROWD_NAMES.forEach(function (name, i) {
            looks.push({ t: t, names: i, leaders: false, items: false });
            if (leaders) {
                looks.push({ t: t, names: false, leaders: i, items: false });
            }
        });
    });
    looksOf(text, looks, done, function (shots) {
        then(times.map(function (t) {
            var at = { none: null, all: null, names: [], leaders: [] };
            looks.forEach(function (look, k) {
                if (look.t !== t) {
                    return;
                }
                if (typeof look.names === 'number') {
                    at.names[look.names] = shots[k];
                } else if (typeof look.leaders === 'number') {
                    at.leaders[look.leaders] = shots[k];
                } else {
                    at[look.names ? 'all' : 'none'] = shots[k];
                }
            });
            return at;
        }));
    });
}

// The players with names in the crowded drill `text`, in the players' order: their boxes at `t` ms; and every player's.
function namedAndAll(text, t) {
    var objects = JSON.parse(text).objects.filter(function (o) { return o.type === 'person'; });
    var all = crowdBoxes(text, t);
    return { named: all.filter(function (b, i) { return objects[i].text !== ''; }), all: all };
}

// Whether the pixels of `a` and `b` are the same over the box [left, top, right, bottom].
function sameOver(a, b, box) {
    for (var y = box[1]; y < box[3]; y++) {
        for (var x = box[0]; x < box[2]; x++) {
            var k = 4 * (y * 640 + x);
            if (a[k] !== b[k] || a[k + 1] !== b[k + 1] || a[k + 2] !== b[k + 2]) {
                return false;
            }
        }
    }
    return true;
}

// Mended: names stood up to 110 pixels from their players with nothing linking them, or nearer another player, and
// were cut off at the pitch's edge in pictures; a name lay over a note's text.
test('in a picture of a crowded drill each name stands whole on the pitch within about a player\'s height of him and ' +
    'no nearer another player, away from its own place only with a leader line to him, and off the note and the caption',
    function (done) {
        var text = crowdedDrill(0.95);
        namePictures(text, [0], true, done, function (pictures) {
            var shot = pictures[0];
            var players = namedAndAll(text, 0);
            var moved = 0;
            var linked = 0;
            players.named.forEach(function (player, i) {
                var what = CROWD_NAMES[i];
                var name = differenceBox(shot.names[i], shot.none);
                assert.ok(name, what + ': drawn');
                assert.ok(name[0] > 0 && name[1] > 0 && name[2] < 640 && name[3] < 480, what + ': whole, at ' + name);
                var gap = gapBetween(name, player);
                assert.ok(gap <= 40, what + ': ' + gap + ' pixels from his box, 32 high');
                players.all.forEach(function (other, k) {
                    assert.ok(other === player || gap <= gapBetween(name, other) + 3,
                        what + ': nearer player ' + (k + 1) + ' than his own');
                });
                var leader = differenceBox(shot.leaders[i], shot.none);
                var below = Math.abs((name[0] + name[2] - player[0] - player[2]) / 2) <= 1.5 &&
                    name[1] >= player[3] - 1 && name[1] <= player[3] + 3;
                moved += below ? 0 : 1;
                if (below) {
                    assert.equal(leader, null, what + ': at his feet, no leader line');
                } else if (gap > 4) {
                    linked += 1;
                    assert.ok(leader && gapBetween(leader, name) <= 2 && gapBetween(leader, player) <= 2,
                        what + ': ' + gap + ' pixels away, a leader line from ' + name + ' to ' + player + ': ' + leader);
                }
            });
            assert.ok(moved >= 12 && linked >= 3, 'precondition: names moved from their places, ' + moved + ', ' + linked +
                ' of them apart from their players');
            // The note's text at 0.45, 0.6 and the caption's between the margins of its backing.
            assert.ok(!sameOver(shot.none, pictures[0].names[0], [0, 0, 640, 480]), 'precondition: names change the picture');
            assert.deepEqual([sameOver(shot.all, shot.none, [268, 278, 308, 298]),
                sameOver(shot.all, shot.none, [120, 10, 520, 58])], [true, true], 'the note and the caption uncovered');
            done();
        });
    }, 120000);

// Mended: each picture of the video laid the names out afresh, so that a name jumped as the ball passed.
test('through a step of the video each name keeps its place by its player while the maul moves and the ball crosses ' +
    'the lineout\'s names', function (done) {
    var text = crowdedDrill(0.2 + 3 * PH);
    var times = [100, 250, 400, 550, 700, 850];
    namePictures(text, times, false, done, function (pictures) {
        var jumps = [];
        CROWD_NAMES.forEach(function (what, i) {
            var offsets = times.map(function (t, k) {
                var name = differenceBox(pictures[k].names[i], pictures[k].none);
                var player = namedAndAll(text, t).named[i];
                return [name[0] - player[0], name[1] - player[1]];
            });
            for (var k = 1; k < times.length; k++) {
                if (Math.abs(offsets[k][0] - offsets[0][0]) > 1.5 || Math.abs(offsets[k][1] - offsets[0][1]) > 1.5) {
                    jumps.push(what + ' at ' + times[k] + ' ms: ' + offsets[k] + ' from him, not ' + offsets[0]);
                }
            }
        });
        assert.deepEqual(jumps, [], 'names that left their places during the step');
        done();
    });
}, 120000);

// Pictures of `text` at 640 x 480 as their pixels, one for each of `looks`: { t, names, leaders, caption, items } —
// the moment `t` in ms as the video draws it (frame 0's picture when none), the names and leader lines drawn (true),
// not (false) or only the named player's of that number, the caption and the items drawn unless false. What is not
// drawn is made transparent, which leaves the layout as it is: then(pixels, one for each look).
function looksOf(text, looks, done, then) {
    var shots = [];
    var apply = function (look) {
        var named = 0;
        var drawn = function (which) {
            return which === true || which === named;
        };
        hidden.animLayer.itemGroups().forEach(function (g) {
            var text = g.itemText;
            [[g.getFieldItem().group, look.items !== false], [g.shortLabelText.text, look.items !== false],
                [text.text, drawn(look.names)], [text.leader, drawn(look.leaders)]].forEach(function (node) {
                if (node[0]) {
                    node[0].opacity(node[1] ? 1 : 0);
                }
            });
            named += text.getText() === '' ? 0 : 1;
        });
        hidden.animLayer.frameCaption.group.opacity(look.caption === false ? 0 : 1);
    };
    var picture = function (look, callback) {
        if (look.t === undefined) {
            generator.getFrameImage(0, function () {
                callback(generator.canvas.getContext()._context.getImageData(0, 0, 640, 480).data);
            });
        } else {
            generator.getPixels(look.t, callback);
        }
    };
    generator.loadAnimation(text);
    generator.configureAnimation(640, false, false, false);
    // A first picture, from whose callback on the chain and the hidden drill are this test's.
    generator.getFrameImage(0, done.step(function () {
        (function next(k) {
            if (k === looks.length) {
                apply({ names: true, leaders: true });
                return then(shots);
            }
            apply(looks[k]);
            picture(looks[k], done.step(function (pixels) {
                shots.push(pixels);
                next(k + 1);
            }));
        }(0));
    }));
}

// Where two pictures differ (as differenceBox), as a set of pixel numbers.
function differingPixels(a, b) {
    var found = {};
    for (var k = 0; k < a.length; k += 4) {
        if (Math.abs(a[k] - b[k]) + Math.abs(a[k + 1] - b[k + 1]) + Math.abs(a[k + 2] - b[k + 2]) > 6) {
            found[k / 4] = true;
        }
    }
    return found;
}

// Mended: on a turned Gaelic pitch the keeper's name hid behind a caption of two lines, and a name lay on a note's text.
// The keeper stands just below the caption and the wing just below a note, each with his name above him as the coach
// chose.
test('a name keeps off the caption\'s backing and off a note, on a turned pitch', function (done) {
    function gaa(withWords) {
        return drillText({ sport: 'gaa', rotation: 90, objects: [
            itemRecord('person', 1, [{ x: 0.14, y: 0.5, rotation: -90 }], { text: 'Keeper Shane', labelPlace: 'above' }),
            itemRecord('person', 2, [{ x: 0.5, y: 0.5, rotation: -90 }], { text: 'Wing Orla', labelPlace: 'above' })],
            frameText: [withWords ? 'Kickout to the left: the keeper goes short to the wing, who turns and runs at ' +
                'the forty-five' : ''],
            drawings: withWords ? [{ kind: 'note', style: 'plain', color: 'white', fill: 0, rotation: 0,
                points: [{ x: 0.5 - 45 / 480, y: 0.5 }], first: 0, last: 0, text: 'Turn and\nrun' }] : [] });
    }
    var bare = { names: false, leaders: false, caption: true };
    looksOf(gaa(true), [bare, { names: true, leaders: false, caption: false },
        { names: false, leaders: false, caption: false }], done, function (shots) {
        looksOf(gaa(false), [bare], done, function (without) {
            var words = differingPixels(shots[0], without[0]);
            var names = differingPixels(shots[1], shots[2]);
            var shared = Object.keys(names).filter(function (k) { return words[k]; });
            assert.ok(Object.keys(words).length > 2000 && Object.keys(names).length > 1000,
                'precondition: the caption, the note and the names drawn');
            assert.deepEqual(shared.length, 0, 'pixels of a name on the caption\'s backing or the note');
            done();
        });
    });
}, 20000);

// Mended: a name by the pitch's edge, where no place beside its player was free, was drawn partly off the pitch: whole
// in the editor, over the dark surround, but cut in every picture ("n (hooker)"). A box of six at each corner, on an
// upright and a turned pitch, its names to the pitch's edge.
var CORNER_BOXES = [['top left', 0, 0.02, 0.035], ['bottom right', 0, 0.92, 0.9], ['turned, bottom left', 90, 0.02, 0.035],
    ['turned, top right', 90, 0.92, 0.9]];

test('every name of a box of six at a corner is whole within the pitch\'s drawn area in a picture', function (done) {
    (function next(r) {
        if (r === CORNER_BOXES.length) {
            return done();
        }
        var row = CORNER_BOXES[r];
        var objects = CROWD_NAMES.slice(15).map(function (name, b) {
            var at = { x: row[2] + (b % 3) * PW, y: row[3] + Math.floor(b / 3) * PH, rotation: 0 };
            return itemRecord('person', b + 1, [at], { text: b === 1 ? 'n (hooker)' : name, color: 'yellow' });
        });
        var text = drillText({ sport: 'rugby', rotation: row[1], objects: objects });
        // The pitch stands 360 wide in the middle of the picture when turned.
        var pitch = row[1] ? [140, 0, 500, 480] : [0, 0, 640, 480];
        looksOf(text, [{ names: true }, { names: false }], done, function (shots) {
            var names = Object.keys(differingPixels(shots[0], shots[1])).map(Number);
            var out = names.filter(function (k) {
                var x = k % 640;
                var y = Math.floor(k / 640);
                return x <= pitch[0] || x >= pitch[2] - 1 || y <= pitch[1] || y >= pitch[3] - 1;
            });
            assert.ok(names.length > 3000, row[0] + ': precondition: names drawn, ' + names.length + ' pixels');
            assert.equal(out.length, 0, row[0] + ': pixels of names at or past the pitch\'s edge');
            next(r + 1);
        });
    }(0));
}, 30000);
