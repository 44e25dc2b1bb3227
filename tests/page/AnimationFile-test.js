// The animation text (Animation.js saveToString and loadFromString): the
// exact line a new animation is saved as, round trips of rich animations,
// every error text, files refused as a whole (the animation on screen stays
// exactly as it was), ids renumbered on opening, and the page shell's side
// of opening, saving, captions and labels through the runner's fake host.
// Ends with a fuzz of the loader over mutated files.
//
// Tests that build animations of their own use stages in a 1000 x 600
// space in a container of their own; the shell's tests use the editor's
// animation, the first of them before anything has touched it.

var fileContainer = document.createElement('div');
fileContainer.id = 'animationFileTestStage';
document.body.appendChild(fileContainer);

var START_UP_LINE = '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"gaa","showRunningLines":false,' +
    '"background":{"type":"fullField","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},' +
    '"rotation":0,"gridVisible":false,"nFrames":1,"selectedFrame":0,"objects":[],"frameText":[""]}';

// Every type of the item catalogue, with the colour, label and short label
// each gets in the rich animation.
var RICH_ITEMS = [
    { type: 'person', col: 'blue', label: 'Seán Ó Sé', shortLabel: '10' },
    { type: 'person', col: 'red', label: 'Zoë "the wall"', shortLabel: 'GK' },
    { type: 'player1', col: 'lime', label: 'Attacker \\ back', shortLabel: '' },
    { type: 'gaaBall', col: 'white', label: '', shortLabel: '' },
    { type: 'ball', col: 'yellow', label: 'Ball 2', shortLabel: '' },
    { type: 'rugbyBall', col: 'orange', label: '', shortLabel: '' },
    { type: 'hurlingBall', col: 'white', label: 'Sliotar', shortLabel: '' },
    { type: 'cone', col: 'orange', label: 'Start', shortLabel: '' },
    { type: 'marker', col: 'blue', label: '', shortLabel: '' },
    { type: 'ring', col: 'purple', label: '', shortLabel: '' },
    { type: 'agilityPole', col: 'yellow', label: 'Pole', shortLabel: '' },
    { type: 'agilityLadder', col: 'red', label: '', shortLabel: '' },
    { type: 'microHurdle', col: 'lime', label: '', shortLabel: '' },
    { type: 'hurdle', col: 'default', label: 'Über', shortLabel: '' },
    { type: 'goal', col: 'default', label: '', shortLabel: '' },
    { type: 'miniGoal', col: 'default', label: 'Mini', shortLabel: '' },
    { type: 'manikin', col: 'default', label: '日本', shortLabel: '' }
];

var RICH_CAPTIONS = ['Ćúinne ar chlé – 1ú', 'Überzahl: 3 gegen 2 ⚽', '', '日本語 "quoted" \\ 𝄞 end'];

// A small picture as a PNG data URL, as a chosen logo is carried in a file.
var LOGO_DATA_URL = (function () {
    var canvas = document.createElement('canvas');
    canvas.width = 16;
    canvas.height = 16;
    var context = canvas.getContext('2d');
    context.fillStyle = 'rgb(200, 30, 40)';
    context.fillRect(0, 0, 16, 16);
    context.fillStyle = 'white';
    context.fillRect(4, 4, 8, 8);
    return canvas.toDataURL('image/png');
}());

function withAnimations(count, body, width, height) {
    var made = [];
    try {
        for (var i = 0; i < count; i++) {
            made.push(new Animation(width || 1000, height || 600, 'animationFileTestStage'));
        }
        body.apply(null, made);
    } finally {
        made.forEach(function (animation) { animation.stage.destroy(); });
    }
}

// The errorInfo of every errorOpeningFile raised while `fn` runs.
function errorsDuring(fn) {
    var raised = [];
    function listener(evt) { raised.push(evt.detail.errorInfo); }
    document.addEventListener('errorOpeningFile', listener, false);
    try {
        fn();
    } finally {
        document.removeEventListener('errorOpeningFile', listener, false);
    }
    return raised;
}

// What an animation shows and holds, down to the scene nodes' own
// identifiers: a load that is refused must leave all of it as it was.
function sceneOf(animation) {
    var layer = animation.animLayer;
    var bg = animation.bgLayer;
    return {
        sport: animation.sport,
        isRotated: animation.isRotated,
        rotations: [layer.rotation(), bg.rotation()],
        size: [layer.layerWidth, layer.layerHeight, bg.layerWidth, bg.layerHeight],
        background: [bg.sportType, bg.bgType, bg.showStripes, bg.doShowLogo, bg.logoImage, bg.gridVisibility()],
        runningLines: layer.showRunningLines,
        model: [animation.frameManager.nFrames, animation.frameManager.selectedFrame,
            animation.frameManager.idCounter, JSON.stringify(animation.frameManager.frameText)],
        children: layer.getChildren().toArray().map(function (node) {
            if (node.name() !== 'fieldItemGroup') {
                return [node.name(), node._id, node.text ? node.text() : null];
            }
            var item = node.getFieldItem();
            return [node.name(), node._id, node.getAttr('id'), item.type, item.group.x(), item.group.y(),
                item.group.rotation(), item.getScale(), node.itemText.text.text(),
                node.shortLabelText.text.text()];
        })
    };
}

function groupOfType(animation, type, nth) {
    return animation.animLayer.itemGroups().filter(function (g) {
        return g.getFieldItem().type === type;
    })[nth || 0];
}

// Builds a rich animation on `animation`: the sport's pitch in `view`
// without stripes, turned -90, grid and running lines on, a logo carried as
// a data URL and shown, every item type with labels and short labels, four
// frames with captions (one empty) in which the movable items move, an
// unusual stacking, and frame 3 selected. Returns the saved text.
function buildRich(animation, sport, view) {
    animation.sport = sport;
    animation.bgLayer.setBackground(sport, view, false);
    animation.rotateEntireAnimation(-90);
    animation.toggleGrid();
    animation.toggleRunningLines();
    animation.setLogoImage(LOGO_DATA_URL);
    animation.toggleLogo();
    RICH_ITEMS.forEach(function (entry) {
        var group = animation.addItem(entry.type, entry.col, 'default', 'default');
        group.setLabel(entry.label);
        group.setShortLabel(entry.shortLabel);
    });
    var fm = animation.frameManager;
    var layer = animation.animLayer;
    layer.setFrameText(RICH_CAPTIONS[0]);
    for (var f = 1; f < RICH_CAPTIONS.length; f++) {
        fm.addFrame();
        layer.setFrameText(RICH_CAPTIONS[f]);
        layer.itemGroups().forEach(function (group, i) {
            if (!group.getFieldItem().posIsFixed) {
                group.updatePosition(layer.pixelPos({ x: (i + f) % 7 / 7 + 0.05, y: f / 5 + i / 40 }),
                    (i * 30 + f * 45) % 360 - 180);
            }
        });
    }
    // Brought to the front in an order that the stacking must keep.
    ['ring', 'person', 'cone', 'gaaBall'].forEach(function (type) {
        groupOfType(animation, type).moveToTop();
    });
    fm.saveFrame();
    fm.loadFrame(2);
    return animation.saveToString();
}

// The valid rich text of `sport`, built once on a throw-away animation.
var richTexts = {};
function richText(sport) {
    if (!richTexts[sport]) {
        withAnimations(1, function (a) {
            richTexts[sport] = buildRich(a, sport, sport === 'rugby' ? 'oneEnd' : 'penaltyArea');
        });
    }
    return richTexts[sport];
}

function groupLabelled(animation, label) {
    return animation.animLayer.itemGroups().filter(function (g) {
        return g.itemText.text.text() === label;
    })[0];
}

function typesInStackingOrder(animation) {
    return animation.animLayer.itemGroups().map(function (g) {
        return g.getFieldItem().type + ':' + g.itemText.text.text();
    });
}

// A file of the given pieces with everything else as a new animation has it.
function animationFile(changes) {
    var settings = JSON.parse(START_UP_LINE);
    Object.keys(changes || {}).forEach(function (key) {
        settings[key] = changes[key];
    });
    return JSON.stringify(settings);
}

function record(type, id, states, extra) {
    var r = { type: type, id: id, scale: 0.2, text: '', shortLabel: '', z: 1, color: 'default', frames: states };
    Object.keys(extra || {}).forEach(function (key) { r[key] = extra[key]; });
    return r;
}

// ---- Writing ------------------------------------------------------------------------

test('the editor\'s animation saved at start-up is exactly the format\'s example line', function () {
    assert.equal(pageShell.animation.saveToString(), START_UP_LINE);
    withAnimations(1, function (a) {
        assert.equal(a.saveToString(), START_UP_LINE, 'and so is any new animation');
    });
});

test('the text is one line of JSON with the members in the format\'s order, items in the model\'s', function () {
    var text = richText('soccer');
    assert.equal(text.indexOf('\n'), -1);
    assert.equal(text.indexOf('\r'), -1);
    var settings = JSON.parse(text);
    assert.equal(JSON.stringify(settings), text, 'written without whitespace');
    assert.deepEqual(Object.keys(settings), ['msgType', 'msgVersion', 'sport', 'showRunningLines', 'background',
        'rotation', 'gridVisible', 'nFrames', 'selectedFrame', 'objects', 'frameText']);
    assert.deepEqual(Object.keys(settings.background), ['type', 'showStripes', 'showLogo', 'logoImage']);
    assert.deepEqual(Object.keys(settings.objects[0]),
        ['type', 'id', 'scale', 'text', 'shortLabel', 'z', 'color', 'frames']);
    assert.deepEqual(Object.keys(settings.objects[0].frames[0]), ['x', 'y', 'rotation']);
    assert.deepEqual([settings.sport, settings.rotation, settings.gridVisible, settings.showRunningLines,
        settings.nFrames, settings.selectedFrame], ['soccer', -90, true, true, 4, 2]);
    assert.deepEqual(settings.background, { type: 'penaltyArea', showStripes: false, showLogo: true,
        logoImage: LOGO_DATA_URL });
    assert.equal(LOGO_DATA_URL.indexOf('data:image/png;base64,'), 0);
    assert.deepEqual(settings.frameText, RICH_CAPTIONS);
    assert.deepEqual(settings.objects.map(function (r) { return r.type; }),
        RICH_ITEMS.map(function (entry) { return entry.type; }), 'in the order the items were first saved');
    assert.deepEqual(settings.objects.map(function (r) { return r.text; }),
        RICH_ITEMS.map(function (entry) { return entry.label; }));
    assert.deepEqual(settings.objects.slice(0, 2).map(function (r) { return r.shortLabel; }), ['10', 'GK']);
    assert.deepEqual(settings.objects.slice(0, 3).map(function (r) { return r.color; }), ['blue', 'red', 'lime']);
    assert.equal(settings.objects[13].color, 'grey', 'a type without colour is grey');
});

test('turns, which accumulate, are written modulo 360 with the sign kept', function () {
    withAnimations(1, function (a) {
        var written = [];
        [90, 90, 90, 90, -90, -90, -90, -90, -90, -90, -90, -90].forEach(function (step) {
            a.rotateEntireAnimation(step);
            written.push(JSON.parse(a.saveToString()).rotation);
        });
        assert.deepEqual(written, [90, 180, 270, 0, 270, 180, 90, 0, -90, -180, -270, 0]);
        assert.equal(a.animLayer.rotation(), -360);
    });
});

test('during playback the in-between places are not saved; the model\'s states are', function () {
    withAnimations(1, function (a) {
        var layer = a.animLayer;
        var group = a.addItem('person', 'blue', 'default', 'default');
        group.updatePosition(layer.pixelPos({ x: 0.25, y: 0.5 }), 0);
        a.frameManager.addFrame();
        layer.itemGroups()[0].updatePosition(layer.pixelPos({ x: 0.75, y: 0.5 }), 90);
        a.frameManager.saveFrame();
        a.frameManager.loadFrame(0);
        var still = a.saveToString();
        a.playbackManager.startPlayback();
        try {
            a.playbackManager.drawFrame(500);
            assert.close(layer.itemGroups()[0].getProperties().x, 0.5, 1e-9, 'half way on display');
            assert.equal(a.saveToString(), still);
        } finally {
            a.playbackManager.stop();
        }
    });
});

// ---- Round trips --------------------------------------------------------------------------

test('a rich animation of every sport opens as it was saved and saves again to the same text', function () {
    ['gaa', 'soccer', 'rugby'].forEach(function (sport) {
        withAnimations(2, function (source, opened) {
            var text = buildRich(source, sport, sport === 'rugby' ? 'oneEnd' : 'penaltyArea');
            var errors = errorsDuring(function () { opened.loadFromString(text); });
            assert.deepEqual(errors, [], sport + ': no complaint');
            assert.equal(opened.saveToString(), text, sport + ': saved again, the same text');

            var bg = opened.bgLayer;
            var layer = opened.animLayer;
            assert.deepEqual([opened.sport, bg.sportType, bg.bgType, bg.showStripes],
                [sport, sport, sport === 'rugby' ? 'oneEnd' : 'penaltyArea', false], sport + ': pitch');
            assert.deepEqual([layer.rotation(), bg.rotation(), opened.isRotated], [-90, -90, true],
                sport + ': turned anticlockwise');
            assert.deepEqual([layer.layerWidth, layer.layerHeight], [600, 450], sport + ': fitted turned');
            assert.deepEqual([bg.gridVisibility(), layer.showRunningLines, bg.doShowLogo, bg.logoImage],
                [true, true, true, LOGO_DATA_URL], sport + ': grid, lines and logo');
            assert.deepEqual([opened.frameManager.nFrames, opened.frameManager.selectedFrame], [4, 2]);
            assert.equal(layer.getFrameText(), RICH_CAPTIONS[2], sport + ': the selected frame\'s caption');
            assert.equal(layer.getChildren()[0].name(), 'frameText', 'the caption stays the first child');
            assert.deepEqual(typesInStackingOrder(opened), typesInStackingOrder(source),
                sport + ': the same items stacked the same way');
            var keeper = groupLabelled(opened, 'Zoë "the wall"');
            assert.deepEqual([keeper.getFieldItem().type, keeper.shortLabelText.text.text(),
                keeper.getFieldItem().getCol(1)], ['person', 'GK', 'red']);
            opened.animLayer.itemGroups().forEach(function (group) {
                var was = source.animLayer.childWithId(group.getAttr('id')).getProperties();
                var is = group.getProperties();
                assert.deepEqual([is.type, is.x, is.y, is.rotation, is.scale, is.col1, is.text, is.shortLabel, is.z],
                    [was.type, was.x, was.y, was.rotation, was.scale, was.col1, was.text, was.shortLabel, was.z],
                    sport + ': item ' + is.id + ' as it was');
            });
            opened.frameManager.loadFrame(3);
            assert.equal(layer.getFrameText(), RICH_CAPTIONS[3], 'the other frames came along');
        });
    });
});

test('opening replaces an animation that had other settings, items and frames completely', function () {
    withAnimations(1, function (a) {
        a.loadFromString(richText('rugby'));
        a.rotateEntireAnimation(90);
        a.addItem('cone', 'red', 'default', 'default');
        var errors = errorsDuring(function () { a.loadFromString(richText('gaa')); });
        assert.deepEqual(errors, []);
        assert.equal(a.saveToString(), richText('gaa'));
        errors = errorsDuring(function () { a.loadFromString(START_UP_LINE); });
        assert.deepEqual(errors, []);
        assert.equal(a.saveToString(), START_UP_LINE);
        assert.deepEqual([a.animLayer.itemGroups().length, a.animLayer.rotation(), a.isRotated,
            a.bgLayer.gridVisibility(), a.animLayer.showRunningLines, a.bgLayer.doShowLogo,
            a.bgLayer.logoImage], [0, 0, false, false, false, false, 'logos/ovri256x256.png']);
    });
});

test('the stacking of items comes back exactly after a frame change and after opening', function () {
    withAnimations(2, function (a, b) {
        ['cone', 'marker', 'ring', 'goal'].forEach(function (type) {
            a.addItem(type, 'default', 'default', 'default');
        });
        // From the back: goal, ring, cone, marker. Restored in model order,
        // this order used to come back as goal, cone, ring, marker.
        ['ring', 'goal'].forEach(function (type) { groupOfType(a, type).setZIndex(1); });
        ['cone', 'marker'].forEach(function (type) { groupOfType(a, type).moveToTop(); });
        var expected = ['goal:', 'ring:', 'cone:', 'marker:'];
        assert.deepEqual(typesInStackingOrder(a), expected);
        a.frameManager.addFrame();
        a.frameManager.loadFrame(0);
        assert.deepEqual(typesInStackingOrder(a), expected, 'after a frame change');
        b.loadFromString(a.saveToString());
        assert.deepEqual(typesInStackingOrder(b), expected, 'after opening');
    });
});

test('ids are renumbered 1 to N in file order; the next new item gets N + 1 and saving writes them', function () {
    var states = [{ x: 0.2, y: 0.3, rotation: 0 }];
    [[3, 7, 9], [9, 3, 7]].forEach(function (ids) {
        withAnimations(1, function (a) {
            var text = animationFile({ objects: [
                record('person', ids[0], states, { text: 'first' }),
                record('cone', ids[1], states, { text: 'second', z: 2 }),
                record('gaaBall', ids[2], states, { text: 'third', z: 3 })
            ] });
            assert.deepEqual(errorsDuring(function () { a.loadFromString(text); }), []);
            assert.deepEqual(a.animLayer.itemGroups().map(function (g) {
                return [g.getAttr('id'), g.itemText.text.text()];
            }), [[1, 'first'], [2, 'second'], [3, 'third']], 'ids ' + ids);
            assert.equal(a.frameManager.idCounter, 3);
            var added = a.addItem('marker', 'default', 'default', 'default');
            assert.equal(added.getAttr('id'), 4);
            assert.deepEqual(JSON.parse(a.saveToString()).objects.map(function (r) { return r.id; }), [1, 2, 3, 4]);
        });
    });
});

test('a file saved on frame 3 opens on frame 3, and a turn of -90 opens anticlockwise', function () {
    withAnimations(1, function (a) {
        var states = [0, 1, 2, 3].map(function (f) { return { x: 0.1 + f / 5, y: 0.5, rotation: 0 }; });
        a.loadFromString(animationFile({ rotation: -90, nFrames: 4, selectedFrame: 2,
            objects: [record('person', 1, states)], frameText: ['a', 'b', 'c', 'd'] }));
        assert.deepEqual([a.frameManager.selectedFrame, a.animLayer.getFrameText()], [2, 'c']);
        assert.close(a.animLayer.itemGroups()[0].getProperties().x, 0.5, 1e-12, 'at its frame 3 place');
        assert.deepEqual([a.animLayer.rotation(), a.bgLayer.rotation()], [-90, -90]);
        assert.equal(JSON.parse(a.saveToString()).rotation, -90);
        // On screen the pitch's own top edge (where the caption reads) now
        // runs down the left side.
        assert.equal(a.animLayer.find('.frameText')[0].rotation(), -270);
    });
});

test('values the validation lets through load as written: fixed items everywhere at their selected place', function () {
    withAnimations(1, function (a) {
        var cone = record('cone', 1, [{ x: 0.1, y: 0.1, rotation: 0 }, { x: 0.9, y: 0.9, rotation: 45 }],
            { color: 'red', scale: 0.3 });
        a.loadFromString(animationFile({ nFrames: 2, selectedFrame: 1, objects: [cone], frameText: ['', ''] }));
        var saved = JSON.parse(a.saveToString()).objects[0];
        assert.deepEqual(saved.frames[0], saved.frames[1], 'a cone stands at one place in every frame');
        assert.close(saved.frames[0].x, 0.9, 1e-12);
        assert.equal(saved.color, 'red');

        // "default" is the type's default colour; a type without colour is
        // grey whatever the file says.
        var states = [{ x: 0.5, y: 0.5, rotation: 0 }];
        assert.deepEqual(errorsDuring(function () {
            a.loadFromString(animationFile({ objects: [record('person', 1, states, { color: 'default' }),
                record('goal', 2, states, { color: 'pink', z: 2 })] }));
        }), []);
        assert.deepEqual(JSON.parse(a.saveToString()).objects.map(function (r) { return r.color; }),
            ['maroon', 'grey']);
    });
});

// ---- Error texts ------------------------------------------------------------------------------

test('text that is not JSON gives "Error parsing JSON", not an animation "Not an OVRI Animation file"', function () {
    withAnimations(1, function (a) {
        a.loadFromString(richText('gaa'));
        var before = sceneOf(a);
        var text = a.saveToString();
        var cases = [
            ['', 'Error parsing JSON'],
            ['not json at all', 'Error parsing JSON'],
            [text.slice(0, text.length - 1), 'Error parsing JSON'],
            ['{"msgType":"OVRI_Animation",}', 'Error parsing JSON'],
            [undefined, 'Error parsing JSON'],
            ['{}', 'Not an OVRI Animation file'],
            ['[]', 'Not an OVRI Animation file'],
            ['null', 'Not an OVRI Animation file'],
            ['42', 'Not an OVRI Animation file'],
            ['"OVRI_Animation"', 'Not an OVRI Animation file'],
            [text.replace('"OVRI_Animation"', '"OVRI_animation"'), 'Not an OVRI Animation file'],
            [text.replace('"msgType":"OVRI_Animation"', '"msgType":1'), 'Not an OVRI Animation file'],
            [text.replace('"msgType":"OVRI_Animation",', ''), 'Not an OVRI Animation file']
        ];
        cases.forEach(function (c) {
            assert.deepEqual(errorsDuring(function () { a.loadFromString(c[0]); }), [c[1]],
                String(c[0]).slice(0, 40));
            assert.deepEqual(sceneOf(a), before, 'unchanged after ' + String(c[0]).slice(0, 40));
        });
        assert.equal(a.saveToString(), text);
    });
});

test('a caption count other than the frame count is reported once and the file loads all the same', function () {
    withAnimations(1, function (a) {
        var states = [{ x: 0.2, y: 0.2, rotation: 0 }, { x: 0.4, y: 0.4, rotation: 0 }, { x: 0.6, y: 0.6, rotation: 0 }];
        var short = animationFile({ nFrames: 3, selectedFrame: 2, objects: [record('person', 1, states)],
            frameText: ['one'] });
        assert.deepEqual(errorsDuring(function () { a.loadFromString(short); }), ['Number of frames does not match']);
        assert.deepEqual([a.frameManager.nFrames, a.frameManager.selectedFrame, a.animLayer.itemGroups().length],
            [3, 2, 1]);
        assert.equal(a.animLayer.getFrameText(), '', 'a frame without a caption shows none');
        assert.deepEqual(JSON.parse(a.saveToString()).frameText, ['one', '', '']);

        var long = animationFile({ frameText: ['kept', 'no frame for this'] });
        assert.deepEqual(errorsDuring(function () { a.loadFromString(long); }), ['Number of frames does not match']);
        assert.deepEqual(JSON.parse(a.saveToString()).frameText, ['kept']);
        assert.deepEqual(errorsDuring(function () { a.loadFromString(animationFile({ frameText: [] })); }),
            ['Number of frames does not match']);
        assert.equal(a.saveToString(), START_UP_LINE);
    });
});

// ---- Files refused as a whole -------------------------------------------------------------

// Each row: what is wrong, how to make it so (on the parsed rich file, or
// on its text), and the reason given. The rich file has 4 frames and 17
// items; item 1 is a person, item 14 a hurdle.
var LOGO_RULE = 'Member "background.logoImage" must be a picture in logos/ or a PNG or JPEG data URL ' +
    'of at most 8 MB and 4096 x 4096 pixels';

// The first bytes of a picture that claims `width` x `height`, as a data
// URL: enough for its header to be read, far too little to be decoded.
function pngDataUrl(width, height) {
    function word32(n) {
        return String.fromCharCode((n >>> 24) & 255, (n >>> 16) & 255, (n >>> 8) & 255, n & 255);
    }
    return 'data:image/png;base64,' + btoa('\x89PNG\r\n\x1a\n' + word32(13) + 'IHDR' + word32(width) +
        word32(height) + '\x08\x06\x00\x00\x00' + word32(0));
}

function jpegDataUrl(width, height) {
    function word16(n) {
        return String.fromCharCode((n >>> 8) & 255, n & 255);
    }
    // SOI, an APP0 segment to step over, then a baseline frame header.
    return 'data:image/jpeg;base64,' + btoa('\xFF\xD8\xFF\xE0' + word16(16) + 'JFIF\x00\x01\x01\x00' +
        word16(1) + word16(1) + '\x00\x00' + '\xFF\xC0' + word16(17) + '\x08' + word16(height) + word16(width) +
        '\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01');
}

var MALFORMED = [
    ['no sport', function (s) { delete s.sport; }, 'Missing member "sport"'],
    ['an unknown sport', function (s) { s.sport = 'hockey'; }, 'Member "sport" must be one of "gaa", "soccer", "rugby"'],
    ['a sport that is not a string', function (s) { s.sport = 1; }, 'Member "sport" must be one of "gaa", "soccer", "rugby"'],
    ['no running-line setting', function (s) { delete s.showRunningLines; }, 'Missing member "showRunningLines"'],
    ['running lines as text', function (s) { s.showRunningLines = 'true'; }, 'Member "showRunningLines" must be true or false'],
    ['no background', function (s) { delete s.background; }, 'Missing member "background"'],
    ['a background that is a list', function (s) { s.background = []; }, 'Member "background" must be an object'],
    ['a background of null', function (s) { s.background = null; }, 'Member "background" must be an object'],
    ['no view', function (s) { delete s.background.type; }, 'Missing member "background.type"'],
    ['an unknown view', function (s) { s.background.type = 'moon'; },
        'Member "background.type" must be one of "fullField", "oneEnd", "penaltyArea", "penaltyAreaLeft", "penaltyAreaRight", "blank"'],
    ['stripes as null', function (s) { s.background.showStripes = null; }, 'Member "background.showStripes" must be true or false'],
    ['no logo setting', function (s) { delete s.background.showLogo; }, 'Missing member "background.showLogo"'],
    ['logo setting as a number', function (s) { s.background.showLogo = 1; }, 'Member "background.showLogo" must be true or false'],
    ['an empty logo', function (s) { s.background.logoImage = ''; },
        LOGO_RULE],
    ['a logo from the network', function (s) { s.background.logoImage = 'http://example.com/logo.png'; },
        LOGO_RULE],
    ['a logo outside logos/', function (s) { s.background.logoImage = 'logos/../index.html'; },
        LOGO_RULE],
    ['no rotation', function (s) { delete s.rotation; }, 'Missing member "rotation"'],
    ['a rotation of 45', function (s) { s.rotation = 45; }, 'Member "rotation" must be a multiple of 90 from -270 to 270'],
    ['a rotation of 450', function (s) { s.rotation = 450; }, 'Member "rotation" must be a multiple of 90 from -270 to 270'],
    ['a rotation as text', function (s) { s.rotation = '90'; }, 'Member "rotation" must be a multiple of 90 from -270 to 270'],
    ['no grid setting', function (s) { delete s.gridVisible; }, 'Missing member "gridVisible"'],
    ['grid setting as a number', function (s) { s.gridVisible = 0; }, 'Member "gridVisible" must be true or false'],
    ['no frame count', function (s) { delete s.nFrames; }, 'Missing member "nFrames"'],
    ['a frame count as text', function (s) { s.nFrames = '4'; }, 'Member "nFrames" must be a whole number from 1 to 500'],
    ['no frames', function (s) { s.nFrames = 0; }, 'Member "nFrames" must be a whole number from 1 to 500'],
    ['a fraction of a frame', function (s) { s.nFrames = 3.5; }, 'Member "nFrames" must be a whole number from 1 to 500'],
    ['millions of frames', function (s) { s.nFrames = 5e6; s.objects = []; }, 'Member "nFrames" must be a whole number from 1 to 500'],
    ['no selected frame', function (s) { delete s.selectedFrame; }, 'Missing member "selectedFrame"'],
    ['a selected frame past the end', function (s) { s.selectedFrame = 4; }, 'Member "selectedFrame" must be a whole number from 0 to 3'],
    ['a negative selected frame', function (s) { s.selectedFrame = -1; }, 'Member "selectedFrame" must be a whole number from 0 to 3'],
    ['a selected frame as text', function (s) { s.selectedFrame = '2'; }, 'Member "selectedFrame" must be a whole number from 0 to 3'],
    ['no objects', function (s) { delete s.objects; }, 'Missing member "objects"'],
    ['objects as an object', function (s) { s.objects = {}; }, 'Member "objects" must be an array of at most 200 items'],
    ['objects as null', function (s) { s.objects = null; }, 'Member "objects" must be an array of at most 200 items'],
    ['no captions', function (s) { delete s.frameText; }, 'Missing member "frameText"'],
    ['captions as text', function (s) { s.frameText = 'caption'; },
        'Member "frameText" must be an array of at most 500 captions'],
    ['a caption that is a number', function (s) { s.frameText[1] = 5; }, 'Caption 2 in "frameText" must be a string'],
    ['a caption of null', function (s) { s.frameText[3] = null; }, 'Caption 4 in "frameText" must be a string'],
    ['an object that is null', function (s) { s.objects[1] = null; }, 'Object 2 must be an object'],
    ['an object that is a list', function (s) { s.objects[16] = []; }, 'Object 17 must be an object'],
    ['an unknown item type', function (s) { s.objects[0].type = 'unicorn'; }, 'Object 1: unknown item type "unicorn"'],
    ['an item type from the object prototype', function (s) { s.objects[4].type = 'constructor'; },
        'Object 5: unknown item type "constructor"'],
    ['an item type that is a number', function (s) { s.objects[0].type = 3; },
        'Object 1: member "type" must be a string naming an item type'],
    ['an object without a type', function (s) { delete s.objects[2].type; }, 'Object 3: missing member "type"'],
    ['an object without an id', function (s) { delete s.objects[2].id; }, 'Object 3: missing member "id"'],
    ['an id of 0', function (s) { s.objects[0].id = 0; }, 'Object 1: member "id" must be a whole number of at least 1'],
    ['an id as text', function (s) { s.objects[0].id = '1'; }, 'Object 1: member "id" must be a whole number of at least 1'],
    ['a scale of 0', function (s) { s.objects[5].scale = 0; }, 'Object 6: member "scale" must be a positive number'],
    ['a negative scale', function (s) { s.objects[5].scale = -0.2; }, 'Object 6: member "scale" must be a positive number'],
    ['a scale of "default"', function (s) { s.objects[5].scale = 'default'; }, 'Object 6: member "scale" must be a positive number'],
    ['a label that is a number', function (s) { s.objects[0].text = 7; }, 'Object 1: member "text" must be a string'],
    ['a short label of null', function (s) { s.objects[0].shortLabel = null; }, 'Object 1: member "shortLabel" must be a string'],
    ['a stacking index of 0', function (s) { s.objects[3].z = 0; }, 'Object 4: member "z" must be a whole number of at least 1'],
    ['a stacking index as text', function (s) { s.objects[3].z = '2'; }, 'Object 4: member "z" must be a whole number of at least 1'],
    ['no colour', function (s) { delete s.objects[13].color; }, 'Object 14: missing member "color"'],
    ['an empty colour', function (s) { s.objects[0].color = ''; }, 'Object 1: member "color" must be a colour name'],
    ['a colour the type is not drawn in', function (s) { s.objects[7].color = 'purple'; },
        'Object 8: colour "purple" is not one of the colours of "cone"'],
    ['a colour that is no colour', function (s) { s.objects[2].color = 'unicorn'; },
        'Object 3: colour "unicorn" is not one of the colours of "player1"'],
    ['frames as an object', function (s) { s.objects[2].frames = {}; }, 'Object 3: member "frames" must be an array'],
    ['a frame list shorter than nFrames', function (s) { s.objects[2].frames.pop(); }, 'Object 3: frames has 3 entries, expected 4'],
    ['a frame list longer than nFrames', function (s) { s.objects[2].frames.push(s.objects[2].frames[0]); },
        'Object 3: frames has 5 entries, expected 4'],
    ['a frame state of null', function (s) { s.objects[0].frames[1] = null; }, 'Object 1, frame 2 must be an object'],
    ['a frame state without rotation', function (s) { delete s.objects[0].frames[3].rotation; },
        'Object 1, frame 4: missing member "rotation"'],
    ['a position as text', function (s) { s.objects[1].frames[0].x = '0.5'; }, 'Object 2, frame 1: member "x" must be a number from -10 to 10'],
    ['a rotation of null', function (s) { s.objects[1].frames[0].rotation = null; },
        'Object 2, frame 1: member "rotation" must be a number of degrees from -1000000 to 1000000'],
    ['a position too large for a number', { text: function (t) { return t.replace(/"y":[^,}]*/, '"y":1e999'); } },
        'Object 1, frame 1: member "y" must be a number from -10 to 10'],
    ['a scale too large for a number', { text: function (t) { return t.replace(/"scale":[^,}]*/, '"scale":-1e999'); } },
        'Object 1: member "scale" must be a positive number'],
    ['the last object broken only', function (s) { s.objects[16].frames[3].y = false; },
        'Object 17, frame 4: member "y" must be a number from -10 to 10'],
    // Numbers of the right kind but out of range, and sizes that would
    // make the page build or decode without bound.
    ['a position that overflows in pixels', function (s) { s.objects[3].frames[2].x = 1e308; },
        'Object 4, frame 3: member "x" must be a number from -10 to 10'],
    ['a position just past the band', function (s) { s.objects[3].frames[2].y = -10.000001; },
        'Object 4, frame 3: member "y" must be a number from -10 to 10'],
    ['a rotation of 1e17', function (s) { s.objects[0].frames[1].rotation = 1e17; },
        'Object 1, frame 2: member "rotation" must be a number of degrees from -1000000 to 1000000'],
    ['a rotation just past minus a million degrees', function (s) { s.objects[0].frames[1].rotation = -1000000.5; },
        'Object 1, frame 2: member "rotation" must be a number of degrees from -1000000 to 1000000'],
    ['201 items', function (s) {
        while (s.objects.length < 201) { s.objects.push(JSON.parse(JSON.stringify(s.objects[0]))); }
    }, 'Member "objects" must be an array of at most 200 items'],
    ['501 captions', function (s) {
        while (s.frameText.length < 501) { s.frameText.push(''); }
    }, 'Member "frameText" must be an array of at most 500 captions'],
    ['501 frames', function (s) { s.nFrames = 501; s.objects = []; }, 'Member "nFrames" must be a whole number from 1 to 500'],
    ['a logo PNG whose header claims 23000 x 23000', function (s) { s.background.logoImage = pngDataUrl(23000, 23000); },
        LOGO_RULE],
    ['a logo PNG one pixel too wide', function (s) { s.background.logoImage = pngDataUrl(4097, 16); }, LOGO_RULE],
    ['a logo JPEG whose frame header claims 20000 x 300', function (s) {
        s.background.logoImage = jpegDataUrl(20000, 300);
    }, LOGO_RULE],
    ['a logo data URL over 8 MB', function (s) {
        s.background.logoImage = LOGO_DATA_URL + new Array(8 * 1024 * 1024 - LOGO_DATA_URL.length + 5).join('A');
    }, LOGO_RULE],
    ['a logo data URL holding no picture', function (s) { s.background.logoImage = 'data:image/png;base64,AAAA'; },
        LOGO_RULE],
    ['a logo data URL that is not base64', function (s) { s.background.logoImage = 'data:image/png;base64,#!'; },
        LOGO_RULE],
    ['an item type of markup', function (s) { s.objects[0].type = '<img src=/dev/zero>'; },
        'Object 1: unknown item type "<img src=/dev/zero>"'],
    ['an item type of a million characters, quoted cut to 80', function (s) {
        s.objects[0].type = new Array(1000001).join('w');
    }, 'Object 1: unknown item type "' + new Array(81).join('w') + '\u2026"'],
    ['a colour of 100 characters, quoted cut to 80', function (s) { s.objects[7].color = new Array(101).join('c'); },
        'Object 8: colour "' + new Array(81).join('c') + '\u2026" is not one of the colours of "cone"']
];

function malformedText(valid, change) {
    if (typeof change === 'function') {
        var settings = JSON.parse(valid);
        change(settings);
        return JSON.stringify(settings);
    }
    return change.text(valid);
}

test('a file with a member missing or of the wrong kind is refused whole, naming the member', function () {
    var valid = richText('gaa');
    withAnimations(1, function (a) {
        a.loadFromString(richText('rugby'));
        a.addItem('cone', 'red', 'default', 'default');
        a.setFrameText('work in progress');
        var text = a.saveToString();
        var scene = sceneOf(a);
        MALFORMED.forEach(function (row) {
            var errors = errorsDuring(function () { a.loadFromString(malformedText(valid, row[1])); });
            assert.deepEqual(errors, [row[2]], row[0]);
            assert.deepEqual(sceneOf(a), scene, row[0] + ': the animation on screen is as it was');
            assert.equal(a.saveToString(), text, row[0] + ': and so is its text');
        });
        // Still an editor: items, frames and files work as before.
        var added = a.addItem('person', 'blue', 'default', 'default');
        assert.equal(added.getAttr('id'), a.frameManager.idCounter);
        a.frameManager.addFrame();
        assert.equal(a.frameManager.nFrames, 5);
        assert.deepEqual(errorsDuring(function () { a.loadFromString(valid); }), []);
        assert.equal(a.saveToString(), valid);
    });
});

// Files at the edges of what may be opened: each loads, draws, plays and
// saves, and the saved text reopens to the same drill with every text
// exactly as it was. [name, file, check of the opened animation]
var LONG_CAPTION = new Array(100001).join('x');
var EXTREME_LOADS = [
    ['positions at the edges of the band', animationFile({ nFrames: 2, selectedFrame: 0, frameText: ['', ''],
        objects: [record('person', 1, [{ x: -10, y: 10, rotation: 0 }, { x: 10, y: -10, rotation: 0 }])] }),
        function (a) { assert.deepEqual(a.animLayer.relativePos(a.animLayer.itemGroups()[0].getFieldItem().group.position()),
            { x: -10, y: 10 }); }],
    ['rotations a million degrees apart, then played', animationFile({ nFrames: 2, selectedFrame: 0, frameText: ['', ''],
        objects: [record('person', 1, [{ x: 0.5, y: 0.5, rotation: 1e6 }, { x: 0.5, y: 0.5, rotation: -1e6 }])] }),
        function (a) {
            a.playbackManager.startPlayback();
            a.playbackManager.drawFrame(500);
            var turned = a.animLayer.itemGroups()[0].getFieldItem().group.rotation();
            assert.ok(isFinite(turned), 'an in-between rotation is drawn: ' + turned);
            a.playbackManager.stop();
        }],
    ['a 100 000-character caption and label without spaces', animationFile({ frameText: [LONG_CAPTION],
        objects: [record('person', 1, [{ x: 0.5, y: 0.5, rotation: 0 }], { text: LONG_CAPTION, shortLabel: LONG_CAPTION })] }),
        function (a) {
            var drawn = a.animLayer.find('.frameText')[0].text();
            assert.equal(drawn, LONG_CAPTION.slice(0, 500) + '\u2026', 'only the start of the caption is laid out');
            assert.equal(a.animLayer.itemGroups()[0].itemText.text.text().length, 501, 'and of the label');
            assert.equal(a.animLayer.getFrameText(), LONG_CAPTION, 'the whole caption is kept');
        }],
    ['unpaired surrogates in a caption, a label and a short label', animationFile({ frameText: ['a\uD800b \uDC00'],
        objects: [record('person', 1, [{ x: 0.5, y: 0.5, rotation: 0 }], { text: '\uDBFF', shortLabel: 'x\uDFFF' })] }),
        function (a) { assert.equal(a.animLayer.getFrameText(), 'a\uD800b \uDC00'); }],
    ['a long label cut beside a surrogate pair', animationFile({ frameText: [new Array(500).join('y') + '\uD83D\uDE00z'] }),
        function (a) {
            assert.equal(a.animLayer.find('.frameText')[0].text(), new Array(500).join('y') + '\u2026',
                'the pair is not split');
        }],
    ['a logo PNG of 4096 x 4096 by its header', animationFile({ background: { type: 'fullField', showStripes: true,
        showLogo: true, logoImage: pngDataUrl(4096, 1) } }), function () {}],
    ['200 items and 500 frames', (function () {
        var states = [];
        for (var f = 0; f < 500; f++) { states.push({ x: (f % 100) / 100, y: 0.5, rotation: f }); }
        var objects = [];
        for (var i = 0; i < 200; i++) { objects.push(record('person', i + 1, states, { z: i + 1 })); }
        var captions = [];
        for (var c = 0; c < 500; c++) { captions.push('Frame ' + c); }
        return animationFile({ nFrames: 500, selectedFrame: 499, objects: objects, frameText: captions });
    }()), function (a) {
        var frames = a.frameManager;
        frames.addFrame();
        assert.deepEqual([frames.nFrames, frames.selectedFrame], [501, 500], 'a frame can be added past the file\'s limit');
        frames.removeSelectedFrame();
        assert.deepEqual([frames.nFrames, frames.selectedFrame, a.animLayer.itemGroups().length], [500, 499, 200]);
    }]
];

test('extreme files that may be opened load, draw, play and save to text that reopens the same', function () {
    withAnimations(2, function (a, b) {
        EXTREME_LOADS.forEach(function (row) {
            assert.deepEqual(errorsDuring(function () { a.loadFromString(row[1]); }), [], row[0] + ': opens');
            a.stage.draw();
            row[2](a);
            var saved = a.saveToString();
            assert.equal(Animation.savedTextProblem(saved), '', row[0] + ': the save would open again');
            assert.deepEqual(errorsDuring(function () { b.loadFromString(saved); }), [], row[0] + ': reopens');
            assert.equal(b.saveToString(), saved, row[0] + ': to the same drill');
            var file = JSON.parse(row[1]);
            var reopened = JSON.parse(saved);
            // Compared as text: a difference in a drill this size is not worth printing whole.
            assert.ok(JSON.stringify(reopened.frameText) === JSON.stringify(file.frameText),
                row[0] + ': captions exactly as they were');
            function textsAndStates(o) { return [o.text, o.shortLabel, o.frames]; }
            assert.ok(JSON.stringify(reopened.objects.map(textsAndStates)) ===
                JSON.stringify(file.objects.map(textsAndStates)), row[0] + ': labels and states exactly as they were');
        });
    }, 400, 300);
});

test('a saved lone surrogate is written as an escape, so the text is ASCII-safe and reads back exactly', function () {
    withAnimations(1, function (a) {
        a.setFrameText('\uD800 \uD83D\uDE00 \uDC00');
        var saved = a.saveToString();
        assert.ok(saved.indexOf('"frameText":["\\ud800 \uD83D\uDE00 \\udc00"]') > 0,
            'lone halves escaped, the pair kept: ' + saved.slice(-40));
        assert.equal(JSON.parse(saved).frameText[0], '\uD800 \uD83D\uDE00 \uDC00');
    });
});

test('the save check refuses what opening would refuse, whatever put it in the model', function () {
    withAnimations(1, function (a) {
        var item = a.addItem('person', 'blue', 'default', 'default');
        a.frameManager.saveFrame();
        var good = a.saveToString();
        assert.equal(Animation.savedTextProblem(good), '');
        [
            ['a position scaled past a double', function (r) { r.frames[0].x = Infinity; },
                'Object 1, frame 1: member "x" must be a number from -10 to 10'],
            ['a rotation of 1e17', function (r) { r.frames[0].rotation = 1e17; },
                'Object 1, frame 1: member "rotation" must be a number of degrees from -1000000 to 1000000'],
            ['a scale of NaN', function (r) { r.scale = NaN; }, 'Object 1: member "scale" must be a positive number']
        ].forEach(function (row) {
            var settings = JSON.parse(good);
            row[1](settings.objects[0]);
            assert.equal(Animation.savedTextProblem(JSON.stringify(settings)), row[2], row[0]);
        });
        assert.equal(Animation.savedTextProblem('{"msgType":"OVRI_Animation"'), 'Error parsing JSON');
        assert.ok(item);
    });
});

test('playback\'s shortest-way turn matches turning back a whole turn at a time, in one step', function () {
    // The turn as stepped out a whole turn at a time, for comparison.
    function stepped(alpha, beta, fraction) {
        if (alpha > beta + 180) { while (alpha > beta) { alpha -= 360; } }
        if (beta > alpha + 180) { while (beta > alpha) { beta -= 360; } }
        return alpha * (1 - fraction) + beta * fraction;
    }
    [
        [350, 10, 0.5], [10, 350, 0.5], [0, 360, 0.5], [360, 0, 0.25], [540, 0, 0], [181, 0, 1], [180, 0, 0.5],
        [1e6, 0, 0.5], [0, 1e6, 0.5], [-1e6, 1e6, 0.75], [1e6, -1e6, 0.1], [999999.5, -0.25, 0.3], [-720.5, 3, 0.5]
    ].forEach(function (row) {
        assert.equal(PlaybackManager.interpolateRotation(row[0], row[1], row[2]), stepped(row[0], row[1], row[2]),
            row.join(', '));
    });
    var far = PlaybackManager.interpolateRotation(1e17, -1e17, 0.5);
    assert.ok(isFinite(far), 'angles far beyond what a file may hold still give a turn at once: ' + far);
});

test('the validation accepts every file the editor writes and names the first fault only', function () {
    ['gaa', 'soccer', 'rugby'].forEach(function (sport) {
        assert.equal(Animation.animationTextProblem(JSON.parse(richText(sport))), '', sport);
    });
    assert.equal(Animation.animationTextProblem(JSON.parse(START_UP_LINE)), '');
    var settings = JSON.parse(richText('gaa'));
    settings.objects[2].frames.pop();
    settings.objects[0].type = 'unicorn';
    settings.frameText = 1;
    settings.nFrames = 'many';
    assert.equal(Animation.animationTextProblem(settings), 'Member "nFrames" must be a whole number from 1 to 500');
    delete settings.nFrames;
    settings.nFrames = 4;
    assert.equal(Animation.animationTextProblem(settings), 'Member "frameText" must be an array of at most 500 captions',
        'top-level members first');
    settings.frameText = [];
    assert.equal(Animation.animationTextProblem(settings), 'Object 1: unknown item type "unicorn"');
    var withExtras = JSON.parse(START_UP_LINE);
    withExtras.comment = 'written by hand';
    delete withExtras.msgVersion;
    assert.equal(Animation.animationTextProblem(withExtras), '', 'extra members and msgVersion are not read');
});

test('a file that arrives during playback stops it and then loads', function () {
    withAnimations(1, function (a) {
        a.addItem('person', 'blue', 'default', 'default');
        a.frameManager.addFrame();
        a.frameManager.loadFrame(0);
        a.playbackManager.startPlayback();
        a.playbackManager.drawFrame(300);
        assert.equal(a.playbackManager.isPlaying, true);
        assert.deepEqual(errorsDuring(function () { a.loadFromString(richText('soccer')); }), []);
        assert.equal(a.playbackManager.isPlaying, false);
        assert.equal(a.saveToString(), richText('soccer'));
    });
});

// ---- The page shell: opening, saving, captions and labels through the host ----------

var editor = pageShell.animation;

function sent() {
    return cppInterface.receivedMessages();
}

function togglesPressed() {
    var t = pageShell.toolbar.toggles;
    return [t.grid.group.isSetPressed, t.runningLines.group.isSetPressed, t.logo.group.isSetPressed];
}

function openInEditor(text) {
    cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: text });
}

test('the toolbar\'s save and open and the error report become host messages with their fields', function () {
    openInEditor(richText('soccer'));
    var expected = editor.saveToString();
    cppInterface.clearReceivedMessages();
    myDispatchEvent('saveAnimation', {});
    myDispatchEvent('openAnimation', {});
    myDispatchEvent('errorOpeningFile', { errorInfo: 'Object 1: unknown item type "unicorn"' });
    assert.deepEqual(sent(), [
        { msgType: 'saveAnimation', strToSave: expected },
        { msgType: 'openAnimation' },
        { msgType: 'errorOpeningFile', errorInfo: 'Object 1: unknown item type "unicorn"' }
    ]);
});

test('an opened file sets the toolbar toggles and the timeline from the animation, either way', function () {
    openInEditor(richText('gaa'));
    assert.deepEqual(togglesPressed(), [true, true, true]);
    assert.deepEqual([pageShell.timeline.nFrames, pageShell.timeline.selectedFrame], [4, 2]);
    var settings = JSON.parse(richText('gaa'));
    settings.gridVisible = false;
    settings.background.showLogo = false;
    openInEditor(JSON.stringify(settings));
    assert.deepEqual(togglesPressed(), [false, true, false]);
    assert.deepEqual([editor.bgLayer.gridVisibility(), editor.animLayer.showRunningLines, editor.bgLayer.doShowLogo],
        [false, true, false]);
    openInEditor(START_UP_LINE);
    assert.deepEqual(togglesPressed(), [false, false, false]);
    assert.deepEqual([pageShell.timeline.nFrames, pageShell.timeline.selectedFrame], [1, 0]);
});

test('opening text that is not an animation sends exactly one errorOpeningFile and changes nothing', function () {
    openInEditor(richText('rugby'));
    myDispatchEvent('selectedFrame', { frameNumber: 1 });
    var text = editor.saveToString();
    var scene = sceneOf(editor);
    var toggles = togglesPressed();
    var malformed = JSON.parse(richText('gaa'));
    malformed.objects[2].frames.pop();
    [['\u0089PNG\r\n\u001a\n binary', 'Error parsing JSON'],
        ['{"msgType":"Something else"}', 'Not an OVRI Animation file'],
        [JSON.stringify(malformed), 'Object 3: frames has 3 entries, expected 4']].forEach(function (c) {
        cppInterface.clearReceivedMessages();
        openInEditor(c[0]);
        assert.deepEqual(sent(), [{ msgType: 'errorOpeningFile', errorInfo: c[1] }], c[1]);
        assert.deepEqual(sceneOf(editor), scene, c[1] + ': the editor shows what it showed');
        assert.deepEqual(togglesPressed(), toggles);
        assert.deepEqual([pageShell.timeline.nFrames, pageShell.timeline.selectedFrame], [4, 1]);
        assert.equal(editor.saveToString(), text);
    });
    cppInterface.clearReceivedMessages();
    openInEditor(animationFile({ frameText: [] }));
    assert.deepEqual(sent().filter(function (m) { return m.msgType === 'errorOpeningFile'; }),
        [{ msgType: 'errorOpeningFile', errorInfo: 'Number of frames does not match' }], 'reported');
    assert.deepEqual(sent()[sent().length - 1], { msgType: 'animationReset', strToSave: START_UP_LINE },
        'and loaded, as the drill as saved');
    assert.equal(editor.saveToString(), START_UP_LINE);
});

test('caption, label and short label replies reach the item whose group has the node id; a stale id changes nothing', function () {
    openInEditor(richText('gaa'));
    var layer = editor.animLayer;
    var person = groupLabelled(editor, 'Seán Ó Sé');
    var keeper = groupLabelled(editor, 'Zoë "the wall"');
    cppInterface.clearReceivedMessages();
    // The caption button and the item's label buttons ask the host...
    myDispatchEvent('addFrameCaption', {});
    // An item's controls are built when it is first selected.
    assert.deepEqual([person.find('.LabelControl').length, keeper.find('.ShortLabelControl').length], [0, 0],
        'no controls before the first selection');
    layer.select(person._id);
    person.find('.LabelControl')[0].fire('click');
    layer.select(keeper._id);
    keeper.find('.ShortLabelControl')[0].fire('click');
    assert.deepEqual(sent(), [
        { msgType: 'promptForFrameLabel', displayMessage: 'Enter a caption for this frame: ',
            defaultText: RICH_CAPTIONS[2] },
        { msgType: 'promptForItemLabel', displayMessage: 'Enter a label for this item: ',
            defaultText: 'Seán Ó Sé', id: person._id },
        { msgType: 'promptForItemShortLabel', displayMessage: '<html><head/><body><p>Enter a short label for ' +
            'this player:<br/>(maximum 4 characters)</p></body></html>', defaultText: 'GK', id: keeper._id }
    ]);
    // ... and the answers, with the id as text, go to those items only.
    cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: 'Zweite Welle – ǵ' });
    cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(person._id), text: 'Full back' });
    cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: String(keeper._id), text: '1' });
    assert.equal(layer.getFrameText(), 'Zweite Welle – ǵ');
    assert.deepEqual([person.itemText.text.text(), person.shortLabelText.text.text()], ['Full back', '10']);
    assert.deepEqual([keeper.itemText.text.text(), keeper.shortLabelText.text.text()], ['Zoë "the wall"', '1']);
    var saved = JSON.parse(editor.saveToString());
    assert.deepEqual([saved.frameText[2], saved.objects[0].text, saved.objects[1].shortLabel],
        ['Zweite Welle – ǵ', 'Full back', '1'], 'and the next save holds them');

    // Every frame load rebuilds the groups: the old node ids lead nowhere.
    var staleId = person._id;
    myDispatchEvent('selectedFrame', { frameNumber: 2 });
    var before = sceneOf(editor);
    cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: String(staleId), text: 'stale' });
    cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', id: String(staleId), text: 'old' });
    cppInterface.emitToPage({ msgType: 'itemLabelResponse', id: 'not a number', text: 'junk' });
    cppInterface.emitToPage({ msgType: 'itemShortLabelResponse', text: 'junk' });
    assert.deepEqual(sceneOf(editor), before);
    // An empty answer clears.
    cppInterface.emitToPage({ msgType: 'frameLabelResponse', text: '' });
    assert.equal(layer.getFrameText(), '');
});

test('a prompt answered by the host through the bridge is applied before the page\'s send returns', function () {
    openInEditor(richText('soccer'));
    var ball = groupOfType(editor, 'hurlingBall');
    cppInterface.setReply('promptForItemLabel', { msgType: 'itemLabelResponse', id: String(ball._id), text: 'Sliotar 2' });
    cppInterface.setReply('promptForFrameLabel', { msgType: 'frameLabelResponse', text: 'Síneadh' });
    try {
        editor.animLayer.select(ball._id);
        ball.find('.LabelControl')[0].fire('click');
        assert.equal(ball.itemText.text.text(), 'Sliotar 2');
        myDispatchEvent('addFrameCaption', {});
        assert.equal(editor.animLayer.getFrameText(), 'Síneadh');
    } finally {
        cppInterface.clearReplies();
    }
});

// Where each item's label and short label, and the caption, stand and how
// they are drawn.
function textsOf(animation) {
    function textState(node) {
        return [node.text(), node.x(), node.y(), node.offsetX(), node.offsetY(), node.rotation(),
            node.fontSize(), node.width()];
    }
    var layer = animation.animLayer;
    return layer.itemGroups().map(function (g) {
        return [g.getAttr('id'), textState(g.itemText.text), textState(g.shortLabelText.text)];
    }).concat([textState(layer.find('.frameText')[0])]);
}

// Opens the rich drill of `sport` and shows every frame once (positions
// pass through this window's pixels on each save, and the last digits may
// change the first time), then its own selected frame; returns the text it
// then saves.
function openSettled(sport) {
    openInEditor(richText(sport));
    for (var g = 0; g < editor.frameManager.nFrames; g++) {
        myDispatchEvent('selectedFrame', { frameNumber: g });
    }
    myDispatchEvent('selectedFrame', { frameNumber: JSON.parse(richText(sport)).selectedFrame });
    return editor.saveToString();
}

test('playing, switching frames and selecting items change nothing saved, and every frame boundary of playback ' +
    'places the texts as a fresh load of that frame does', function () {
    var text = openSettled('gaa');
    var fm = editor.frameManager;
    var layer = editor.animLayer;
    for (var f = fm.nFrames - 1; f >= 0; f--) {
        myDispatchEvent('selectedFrame', { frameNumber: f });
        layer.itemGroups().forEach(function (g) {
            layer.select(g._id);
        });
        layer.select(-1);
    }
    // From frame 0 through every boundary, with in-between times first so
    // that each boundary follows moves and caption changes.
    var atBoundary = [];
    myDispatchEvent('play', {});
    for (var k = 0; k < fm.nFrames - 1; k++) {
        if (k > 0) {
            myDispatchEvent('drawFrame', { time: k * 1000 - 400 });
        }
        myDispatchEvent('drawFrame', { time: k * 1000 });
        atBoundary.push(textsOf(editor));
    }
    myDispatchEvent('stop', {});
    assert.equal(editor.playbackManager.isPlaying, false);
    atBoundary.forEach(function (texts, frame) {
        myDispatchEvent('selectedFrame', { frameNumber: frame });
        assert.deepEqual(texts, textsOf(editor), 'frame ' + frame);
    });
    myDispatchEvent('selectedFrame', { frameNumber: JSON.parse(text).selectedFrame });
    assert.equal(editor.saveToString(), text);
});

// Every node on the animation layer, depth first, as a line: its depth,
// class and attributes (pictures by their file), identifiers aside (a file
// opened renumbers its items).
function layerNodes(animation) {
    var lines = [];
    function visit(node, depth) {
        var attrs = {};
        Object.keys(node.attrs).filter(function (key) { return key !== 'id'; }).forEach(function (key) {
            var value = node.attrs[key];
            attrs[key] = (value && value.src) ? value.src : (typeof value === 'function' ? 'function' : value);
        });
        lines.push(depth + ' ' + node.className + ' ' + JSON.stringify(attrs));
        if (node.children) {
            node.children.each(function (child) { visit(child, depth + 1); });
        }
    }
    visit(animation.animLayer, 0);
    return lines;
}

// The first line where two node lists part, with its number; '' when equal.
function firstDifference(a, b) {
    for (var i = 0; i < Math.max(a.length, b.length); i++) {
        if (a[i] !== b[i]) {
            return i + ': ' + a[i] + ' / ' + b[i];
        }
    }
    return '';
}

test('a frame shown again after selections, labels, deletions and playback is node for node the frame as a fresh ' +
    'open shows it', function () {
    var text = openSettled('soccer');
    var fm = editor.frameManager;
    var layer = editor.animLayer;
    for (var f = 0; f < fm.nFrames; f++) {
        openInEditor(text);
        var groups = layer.itemGroups();
        groups.forEach(function (group) { layer.select(group._id); });
        layer.setItemLabel(groups[1]._id, 'Renamed');
        groups[2].getFieldItem().setCol('yellow', 1);
        groups[3].moveToTop();
        myDispatchEvent('selectedFrame', { frameNumber: (f + 1) % fm.nFrames });
        layer.select(layer.itemGroups()[0]._id);
        myDispatchEvent('deleteSelectedItems', {});
        layer.select(layer.itemGroups()[4]._id);
        myDispatchEvent('play', {});
        myDispatchEvent('drawFrame', { time: 1500 });
        myDispatchEvent('stop', {});
        myDispatchEvent('selectedFrame', { frameNumber: f });
        var shown = layerNodes(editor);
        var saved = JSON.parse(editor.saveToString());
        openInEditor(JSON.stringify(saved));
        assert.equal(firstDifference(shown, layerNodes(editor)), '', 'frame ' + f);
    }
});

test('a new animation keeps the pitch, its turn and sport, grid, running lines and logo, and clears items, frames and captions', function () {
    openInEditor(richText('soccer'));
    cppInterface.clearReceivedMessages();
    cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
    myDispatchEvent('newAnimation', {});
    cppInterface.clearReplies();
    assert.deepEqual(sent().map(function (m) { return m.msgType; }), ['newAnimation', 'animationReset'],
        'the host asked first, and told of the new drill');
    var bg = editor.bgLayer;
    assert.deepEqual([editor.sport, bg.sportType, bg.bgType, bg.showStripes, bg.logoImage],
        ['soccer', 'soccer', 'penaltyArea', false, LOGO_DATA_URL]);
    assert.deepEqual([editor.animLayer.rotation(), editor.isRotated], [-90, true]);
    assert.deepEqual([bg.gridVisibility(), editor.animLayer.showRunningLines, bg.doShowLogo], [true, true, true]);
    assert.deepEqual(togglesPressed(), [true, true, true]);
    assert.deepEqual([editor.animLayer.itemGroups().length, editor.animLayer.getFrameText(),
        editor.frameManager.nFrames, editor.frameManager.selectedFrame, editor.frameManager.objects.length],
        [0, '', 1, 0, 0]);
    assert.deepEqual([pageShell.timeline.nFrames, pageShell.timeline.selectedFrame], [1, 0]);
    var saved = JSON.parse(editor.saveToString());
    assert.deepEqual(saved, { msgType: 'OVRI_Animation', msgVersion: 0.1, sport: 'soccer', showRunningLines: true,
        background: { type: 'penaltyArea', showStripes: false, showLogo: true, logoImage: LOGO_DATA_URL },
        rotation: -90, gridVisible: true, nFrames: 1, selectedFrame: 0, objects: [], frameText: [''] },
        'a save names the pitch on screen');
    myDispatchEvent('addItem', { type: 'cone', col1: 'red', col2: 'default', scale: 'default' });
    assert.equal(editor.animLayer.itemGroups()[0].getAttr('id'), 1, 'ids start again from 1');
    openInEditor(START_UP_LINE);
});

// ---- Fuzz -----------------------------------------------------------------------------------

// Mulberry32: small, seeded, and the same on every engine, so a failing
// case can be replayed from its seed and number.
function makeRandom(seed) {
    var state = seed >>> 0;
    function next() {
        state = (state + 0x6D2B79F5) >>> 0;
        var t = state;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    }
    return {
        next: next,
        below: function (n) { return Math.floor(next() * n); },
        pick: function (list) { return list[Math.floor(next() * list.length)]; }
    };
}

var FUZZ_SEED = 20240611;
var FUZZ_CASES = 2500;

// A random replacement value of any JSON kind, often one that is nearly
// right (a number where a number goes, a known word, a whole number).
function randomValue(rnd, depth) {
    switch (rnd.below(depth > 1 ? 12 : 14)) {
    case 0: return null;
    case 1: return rnd.next() < 0.5;
    case 2: return rnd.below(7) - 2;
    case 3: return rnd.pick([0, -0, 0.5, 1.5, -90, 90, 180, 270, 360, 450, 10000, 10001, 1e300, -1e-300, 5e-324]);
    case 4: return (rnd.next() - 0.5) * Math.pow(10, rnd.below(8) - 3);
    case 5: return '';
    case 6: return rnd.pick(['gaa', 'soccer', 'rugby', 'fullField', 'blank', 'oneEnd', 'person', 'cone', 'goal',
        'red', 'default', 'unicorn', 'constructor', '__proto__', 'toString', 'logos/ovri256x256.png',
        'data:image/png;base64,AAAA', 'OVRI_Animation', 'true', '1', 'ǵ⚽']);
    case 7: return String.fromCharCode(32 + rnd.below(0x2500));
    case 8: return [];
    case 9: return {};
    case 10: return [randomValue(rnd, depth + 1)];
    case 11: return { x: randomValue(rnd, depth + 1), y: 0.5, rotation: 0 };
    default: return rnd.pick([1, 2, 3, 4]);
    }
}

// Values a hostile file holds: numbers at and past the ranges (or past
// what a double holds once scaled), very long text, lone surrogates, markup,
// and logos whose headers claim vast pictures.
var LONG_TEXT = new Array(100001).join('w');
var EXTREME_VALUES = [1e308, -1e308, 1e17, -1e17, 1e6, -1e6, 1000000.5, 10, -10, 10.000001, -10.5, 5e-324,
    LONG_TEXT, LONG_TEXT + ' \uD83D', '\uD800', 'a\uDC00b', '\uDBFF\uDBFF', '<img src=/dev/zero>',
    pngDataUrl(23000, 23000), pngDataUrl(4097, 1), jpegDataUrl(300, 20000)];

// Every container (object or array) in `value`, with a path for messages.
function containersOf(value, path, out) {
    if (value !== null && typeof value === 'object') {
        out.push({ node: value, path: path });
        Object.keys(value).forEach(function (key) {
            containersOf(value[key], path + '.' + key, out);
        });
    }
    return out;
}

// One change to `settings` in place; returns what it did.
function mutate(settings, rnd) {
    var places = containersOf(settings, '$', []);
    var place = rnd.pick(places);
    var node = place.node;
    var keys = Object.keys(node);
    if (keys.length === 0) {
        var fresh = randomValue(rnd, 0);
        if (Array.isArray(node)) {
            node.push(fresh);
        } else {
            node.x = fresh;
        }
        return 'filled ' + place.path;
    }
    var key = rnd.pick(keys);
    var kind = rnd.below(10);
    if (kind < 2) {
        if (Array.isArray(node)) {
            node.splice(Number(key), 1);
        } else {
            delete node[key];
        }
        return 'dropped ' + place.path + '.' + key;
    }
    if (kind < 4) {
        var other = rnd.pick(keys);
        var swap = node[key];
        node[key] = node[other];
        node[other] = swap;
        return 'swapped ' + place.path + '.' + key + ' and .' + other;
    }
    if (kind < 5 && Array.isArray(node)) {
        node.splice(rnd.below(node.length + 1), 0, JSON.parse(JSON.stringify(node[key])));
        return 'duplicated ' + place.path + '.' + key;
    }
    if (kind < 6 && !Array.isArray(node)) {
        node[rnd.pick(['x', 'extra', 'type', 'frames', 'nFrames'])] = node[key];
        delete node[key];
        return 'renamed ' + place.path + '.' + key;
    }
    if (kind === 9 && Array.isArray(node) && rnd.next() < 0.3) {
        // Past the most items or captions a file may hold, or just up to it.
        var target = rnd.pick([200, 201, 500, 501]);
        while (node.length < target) {
            node.push(JSON.parse(JSON.stringify(node[key])));
        }
        return 'inflated ' + place.path + ' to ' + target;
    }
    if (kind === 9) {
        var extreme = rnd.below(EXTREME_VALUES.length);
        node[key] = EXTREME_VALUES[extreme];
        return 'extreme value ' + extreme + ' at ' + place.path + '.' + key;
    }
    node[key] = randomValue(rnd, 0);
    return 'retyped ' + place.path + '.' + key;
}

// A mutated version of `valid` as text: one to three changes to the parsed
// file, or, now and then, a cut or a stray character in the text itself.
function mutatedText(valid, rnd) {
    if (rnd.next() < 0.08) {
        var cut = rnd.below(valid.length);
        if (rnd.next() < 0.5) {
            return { text: valid.slice(0, cut), what: 'cut at ' + cut };
        }
        var stray = rnd.pick(['}', ']', ',', '"', '1', ' ', 'x', '\\']);
        return { text: valid.slice(0, cut) + stray + valid.slice(cut + 1), what: stray + ' at ' + cut };
    }
    var settings = JSON.parse(valid);
    var what = [];
    var changes = 1 + rnd.below(3);
    for (var i = 0; i < changes; i++) {
        what.push(mutate(settings, rnd));
    }
    return { text: JSON.stringify(settings), what: what.join('; ') };
}

var REFUSAL = /^(Error parsing JSON|Not an OVRI Animation file|Missing member "[\w.]+"|Member "[\w.]+" must be .+|Object \d+(, frame \d+)?(:| must) .+|Caption \d+ in "frameText" must be a string)$/;

test('fuzz: every mutated file either loads completely or is refused and changes nothing', function () {
    // A smaller rich file keeps each case quick: six item types over three
    // frames, with labels, captions and every setting switched on.
    var valid;
    withAnimations(1, function (a) {
        a.sport = 'soccer';
        a.bgLayer.setBackground('soccer', 'oneEnd', false);
        a.rotateEntireAnimation(90);
        a.toggleGrid();
        a.toggleRunningLines();
        a.setLogoImage(LOGO_DATA_URL);
        a.toggleLogo();
        // New items land at random places; fixed ones keep the fuzz's counts
        // the same on every run.
        ['person', 'player1', 'ball', 'cone', 'goal', 'agilityLadder'].forEach(function (type, i) {
            var group = a.addItem(type, 'default', 'default', 'default');
            group.updatePosition(a.animLayer.pixelPos({ x: 0.1 + i * 0.15, y: 0.3 + i * 0.08 }), 0);
            group.setLabel('L' + i + 'é');
        });
        groupOfType(a, 'person').setShortLabel('7');
        a.setFrameText('Start – ǵ');
        a.frameManager.addFrame();
        groupOfType(a, 'ball').updatePosition(a.animLayer.pixelPos({ x: 0.7, y: 0.2 }), 30);
        a.frameManager.addFrame();
        a.setFrameText('End');
        valid = a.saveToString();
    }, 400, 300);

    var rnd = makeRandom(FUZZ_SEED);
    var started = Date.now();
    var loaded = 0;
    var refused = 0;
    var reasons = {};
    // Small stages: drawing is most of the time a load takes.
    withAnimations(2, function (subject, witness) {
        subject.loadFromString(valid);
        for (var n = 1; n <= FUZZ_CASES; n++) {
            var mutated = mutatedText(valid, rnd);
            var label = 'seed ' + FUZZ_SEED + ' case ' + n + ' (' + mutated.what + '): ' +
                mutated.text.slice(0, 300);
            var textBefore = subject.saveToString();
            var sceneBefore = sceneOf(subject);
            var errors;
            try {
                errors = errorsDuring(function () { subject.loadFromString(mutated.text); });
            } catch (e) {
                assert.ok(false, label + ' threw ' + e);
            }
            var mismatch = errors.length === 1 && errors[0] === 'Number of frames does not match';
            if (errors.length === 0 || mismatch) {
                loaded++;
                var settings = JSON.parse(mutated.text);
                var after = subject.saveToString();
                var saved = JSON.parse(after);
                assert.deepEqual([saved.sport, saved.rotation, saved.nFrames, saved.selectedFrame,
                    saved.objects.length, subject.animLayer.itemGroups().length],
                    [settings.sport, settings.rotation, settings.nFrames, settings.selectedFrame,
                    settings.objects.length, settings.objects.length], label + ': loaded completely');
                var again = errorsDuring(function () { witness.loadFromString(mutated.text); });
                assert.deepEqual(again, errors, label + ': the same report from a fresh load');
                assert.equal(witness.saveToString(), after, label + ': a fresh load saves the same');
                assert.deepEqual(errorsDuring(function () { witness.loadFromString(after); }), [],
                    label + ': what it saved loads without complaint');
                assert.equal(witness.saveToString(), after, label + ': and saves the same again');
            } else {
                refused++;
                assert.equal(errors.length, 1, label + ': one report, got ' + JSON.stringify(errors));
                assert.ok(REFUSAL.test(errors[0]), label + ': a reason naming the member, got ' + errors[0]);
                reasons[errors[0].replace(/\d+/g, 'N')] = true;
                assert.equal(subject.saveToString(), textBefore, label + ': the text is unchanged');
                assert.deepEqual(sceneOf(subject), sceneBefore, label + ': the scene is unchanged');
            }
            if (n % 500 === 0) {
                assert.deepEqual(errorsDuring(function () { subject.loadFromString(valid); }), [],
                    'seed ' + FUZZ_SEED + ' case ' + n + ': the valid file still loads');
                assert.equal(subject.saveToString(), valid, 'case ' + n + ': as it was saved');
            }
        }
    }, 400, 300);
    var seconds = (Date.now() - started) / 1000;
    pageTestHost.log('fuzz: seed ' + FUZZ_SEED + ', ' + FUZZ_CASES + ' cases, ' + loaded + ' loaded, ' +
        refused + ' refused (' + Object.keys(reasons).length + ' kinds of reason) in ' + seconds.toFixed(1) + ' s');
    assert.ok(loaded > FUZZ_CASES / 20, 'enough mutants load to test the loading side: ' + loaded);
    assert.ok(refused > FUZZ_CASES / 2, 'and enough are refused: ' + refused);
});

test('the sport switched in the picker is saved, and opening a file of another sport rebuilds the palette', function () {
    openInEditor(START_UP_LINE);
    var palette = function () { return pageShell.itemPicker.itemTypes.join(); };
    [['soccer', 'penaltyAreaLeft', 'ball'], ['rugby', 'oneEnd', 'rugbyBall'], ['gaa', 'blank', 'gaaBall']]
        .forEach(function (c) {
            cppInterface.clearReceivedMessages();
            myDispatchEvent('chooseBackground', {});
            editor.stage.find('.bgSportButton').toArray().filter(function (b) { return b.sport === c[0]; })[0]
                .fire('click');
            editor.stage.find('.bgThumbnail').toArray().filter(function (t) { return t.bgType === c[1]; })[0]
                .fire('click');
            assert.deepEqual([editor.sport, editor.bgLayer.sportType, editor.bgLayer.bgType, pageShell.itemPicker.sport],
                [c[0], c[0], c[1], c[0]], c[0] + ' chosen');
            assert.equal(pageShell.itemPicker.itemTypes[1], c[2], c[0] + ' palette');
            assert.deepEqual(sent().filter(function (m) { return m.msgType === 'sportChanged'; }),
                [{ msgType: 'sportChanged', sport: c[0] }], c[0] + ': the host remembers it');
            var saved = JSON.parse(editor.saveToString());
            assert.deepEqual([saved.sport, saved.background.type], [c[0], c[1]], c[0] + ' saved');
        });
    // A drill of each sport, opened over the others.
    ['rugby', 'soccer', 'gaa', 'soccer'].forEach(function (sport) {
        var text = richText(sport);
        openInEditor(text);
        assert.deepEqual([editor.sport, pageShell.itemPicker.sport, pageShell.sport], [sport, sport, sport],
            sport + ' opened');
        assert.equal(editor.saveToString(), text, sport + ' saves to the very text it was opened from');
    });
    // New keeps the sport on screen, and so its palette.
    cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
    myDispatchEvent('newAnimation', {});
    cppInterface.clearReplies();
    assert.deepEqual([editor.sport, pageShell.itemPicker.sport], ['soccer', 'soccer']);
    assert.ok(palette().indexOf('goal') !== -1, 'soccer goals to add');
    openInEditor(START_UP_LINE);
});

test('the host\'s remembered sport starts the page with its pitch and palette, as a drill not yet changed', function () {
    openInEditor(START_UP_LINE);
    [['rugby', 'rugby'], ['', 'rugby'], ['hockey', 'rugby'], ['soccer', 'soccer'], ['gaa', 'gaa']].forEach(function (c) {
        cppInterface.clearReceivedMessages();
        cppInterface.emitToPage({ msgType: 'startAnimation', sport: c[0] });
        assert.deepEqual([editor.sport, editor.bgLayer.sportType, pageShell.itemPicker.sport], [c[1], c[1], c[1]],
            JSON.stringify(c[0]));
        var last = sent()[sent().length - 1];
        assert.deepEqual(last, { msgType: 'animationReset', strToSave: editor.saveToString() },
            JSON.stringify(c[0]) + ': the host takes it as the drill as saved');
        assert.equal(pageShell.history.canUndo(), false);
    });
});
