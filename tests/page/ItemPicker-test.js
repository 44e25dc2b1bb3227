// The item picker (ItemPicker.js): the palette beside the pitch, as the page
// builds it (gaa, 135 x 685 in a 1280 x 800 window), and pickers built here
// for the other sports and sizes.

var EPS = 1e-9;
var SIDE = 45;
var CLEARANCE = 7.5;

var PALETTES = {
    soccer: ['person', 'ball', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle',
        'agilityPole', 'agilityLadder', 'goal', 'miniGoal'],
    rugby: ['person', 'rugbyBall', 'manikin', 'marker', 'cone', 'ring', 'hurdle', 'microHurdle',
        'agilityPole', 'agilityLadder'],
    gaa: ['person', 'gaaBall', 'hurlingBall', 'manikin', 'marker', 'cone', 'ring', 'hurdle',
        'microHurdle', 'agilityPole', 'agilityLadder']
};

// Each type's colour at "default", as the catalogue gives it.
var DEFAULT_COLOURS = {
    person: 'maroon', ball: 'white', rugbyBall: 'white', gaaBall: 'white', hurlingBall: 'white',
    manikin: 'grey', marker: 'red', cone: 'orange', ring: 'blue', hurdle: 'grey', microHurdle: 'lime',
    agilityPole: 'yellow', agilityLadder: 'purple', goal: 'grey', miniGoal: 'grey'
};

var COMMANDS = [
    { name: 'deleteSelectedItemsButton', event: 'deleteSelectedItems', icon: 'icons/deleteItem.png',
        scale: 0.25, side: 128 },
    { name: 'decreaseSelectedScaleButton', event: 'decreaseSelectedScale', icon: 'icons/minus64.png',
        scale: 0.5, side: 64 },
    { name: 'increaseSelectedScaleButton', event: 'increaseSelectedScale', icon: 'icons/plus64.png',
        scale: 0.45, side: 64 }
];
var PICKER_EVENTS = ['addItem'].concat(COMMANDS.map(function (c) { return c.event; }));

var picker = pageShell.itemPicker;

// Runs `body` and returns the picker events raised meanwhile, as
// [name, detail] pairs.
function eventsRaisedBy(body) {
    return eventsRaisedDuring(PICKER_EVENTS, body);
}

// The item button groups of `p`, in stacking order.
function itemButtonGroups(p) {
    return p.group.getChildren().filter(function (node) { return node.name() === 'itemPickerButton'; });
}

function box(node) {
    return [node.x(), node.y(), node.width(), node.height()];
}

function buttonOf(p, type) {
    return p.buttons.filter(function (b) { return b.itemType() === type; })[0];
}

// Counts calls of `layer.batchDraw` while `body` runs.
function batchDrawsDuring(layer, body) {
    var original = layer.batchDraw;
    var count = 0;
    layer.batchDraw = function () { count++; return original.apply(this, arguments); };
    try {
        body();
    } finally {
        layer.batchDraw = original;
    }
    return count;
}

// Page errors, such as an exception thrown in a page-event handler, which the
// dispatching call never sees.
function pageErrorsDuring(body) {
    var errors = [];
    function onError(evt) { errors.push(evt.message); }
    window.addEventListener('error', onError, false);
    try {
        body();
    } finally {
        window.removeEventListener('error', onError, false);
    }
    return errors;
}

// Builds a picker of its own in itemPickerContainer for `body`, then puts the
// page's picker back. A new stage empties its container, so the page's
// picker's canvases are put back in it. Building a picker fits its previews,
// which raises setItemDefaultScale; the page's picker hears that, so its
// remembered scales are put back too.
function withPicker(width, height, sport, body) {
    var remembered = picker.buttons.map(function (b) { return b.scale; });
    var p = new ItemPicker(width, height, sport);
    try {
        body(p, remembered);
    } finally {
        p.stage.destroy();
        document.getElementById('itemPickerContainer').appendChild(picker.stage.getContent());
        picker.buttons.forEach(function (b, i) { b.scale = remembered[i]; });
    }
}

// Every preview is centred in its button and fits it with a margin of 7.5 of
// the picture's own pixels on every side: its base size plus 15 pixels,
// scaled by the preview's scale, is at most the side, and exactly the side
// along its longer dimension. On screen that margin is 7.5 times the
// preview's scale.
function assertPreviewsFit(p, side, where) {
    p.buttons.forEach(function (b) {
        var preview = b.fieldItem.group;
        var s = b.fieldItem.getScale();
        var centre = preview.getAbsolutePosition();
        var buttonPos = b.group.getAbsolutePosition();
        var what = where + ' ' + b.itemType();
        assert.close(centre.x, buttonPos.x + side / 2, EPS, what + ' centred across');
        assert.close(centre.y, buttonPos.y + side / 2, EPS, what + ' centred down');
        assert.close(preview.offsetX(), preview.width() / 2, EPS, what + ' turns about its centre');
        assert.close(preview.offsetY(), preview.height() / 2, EPS, what + ' turns about its centre');
        var w = preview.width() + 2 * CLEARANCE * s;
        var h = preview.height() + 2 * CLEARANCE * s;
        assert.ok(w <= side + EPS, what + ' width with its margin: ' + w);
        assert.ok(h <= side + EPS, what + ' height with its margin: ' + h);
        assert.close(Math.max(w, h), side, EPS, what + ' fills the button up to the margin');
        var image = preview.find('Image')[0];
        assert.deepEqual([image.width(), image.height()], [preview.width(), preview.height()],
            what + ' picture drawn at the fitted size');
    });
}

// ---- Remembered scales at start (before anything in this file scales) -------

test('no remembered scale at start: the previews\' own fitting was not taken as one', function () {
    picker.buttons.forEach(function (b) {
        assert.equal(b.scale, 'default', b.itemType());
    });
    var raised = eventsRaisedBy(function () { picker.buttons[0].group.fire('click'); });
    assert.deepEqual(raised, [['addItem', { type: 'person', col1: 'maroon', col2: 'maroon', scale: 'default' }]]);
});

test('a fresh picker ignores its own fitting while an existing one hears it', function () {
    withPicker(135, 400, 'gaa', function (p, remembered) {
        assert.ok(remembered.every(function (s) { return s === 'default'; }), 'nothing before');
        p.buttons.forEach(function (b) {
            assert.equal(b.scale, 'default', 'new picker, ' + b.itemType());
        });
        // The events were raised: the page's picker, listening already, took
        // them as the coach's scales.
        picker.buttons.forEach(function (b, i) {
            assert.close(picker.buttons[i].scale, p.buttons[i].fieldItem.getScale(), EPS,
                'page picker heard ' + b.itemType());
        });
    });
    picker.buttons.forEach(function (b) { assert.equal(b.scale, 'default', 'put back'); });
});

// ---- Scene and layout ---------------------------------------------------------

test('the picker stage fills itemPickerContainer at the item picker size', function () {
    assert.ok(picker instanceof ItemPicker);
    assert.equal(picker.stage.container().id, 'itemPickerContainer');
    assert.deepEqual([picker.stage.width(), picker.stage.height()], [135, 685]);
    assert.deepEqual(picker.stage.getChildren().toArray(), [picker.layer], 'one layer');
    var group = picker.layer.find('.itemPickerGroup')[0];
    assert.equal(group, picker.group, 'group found by name');
    assert.deepEqual([group.width(), group.height()], [135, 685]);
    var background = group.getChildren()[0];
    assert.equal(background, picker.backgroundRect, 'bottom-most child is the background');
    assert.equal(background.fill(), 'rgb(214,219,233)');
    assert.deepEqual(box(background), [0, 0, 135, 685]);
});

test('the picker stands at the left, 5 pixels below the toolbar', function () {
    var r = picker.stage.getContent().getBoundingClientRect();
    var toolbar = pageShell.toolbar.stage.getContent().getBoundingClientRect();
    assert.deepEqual([r.left, r.width, r.height], [5, 135, 685]);
    // The toolbar's container is a line box around its canvas, so it may
    // end a few pixels below the canvas.
    assert.ok(r.top >= toolbar.bottom + 5 && r.top <= toolbar.bottom + 10, 'top at ' + r.top);
});

test('gaa at width 135: 45-pixel buttons in rows of 3, 3, 3 and 2, in palette order', function () {
    var groups = itemButtonGroups(picker);
    assert.equal(groups.length, 11);
    assert.deepEqual(picker.buttons.map(function (b) { return b.itemType(); }), PALETTES.gaa);
    var expected = [
        [0, 0], [45, 0], [90, 0],
        [0, 45], [45, 45], [90, 45],
        [0, 90], [45, 90], [90, 90],
        [0, 135], [45, 135]
    ];
    groups.forEach(function (g, i) {
        assert.equal(g, picker.buttons[i].group, 'button ' + i + ' in palette order');
        assert.deepEqual(box(g), expected[i].concat([SIDE, SIDE]), PALETTES.gaa[i]);
        assert.deepEqual(box(g.find('.buttonRect')[0]), [-22.5, -22.5, SIDE, SIDE], 'highlight covers it');
    });
});

test('bottom to top: background, item buttons, dividing line, command buttons', function () {
    var kinds = picker.group.getChildren().map(function (node) {
        if (node === picker.backgroundRect) { return 'background'; }
        if (node === picker.dividingLine) { return 'line'; }
        return node.name();
    });
    var expected = ['background'];
    for (var i = 0; i < 11; i++) { expected.push('itemPickerButton'); }
    expected.push('line');
    expected = expected.concat(COMMANDS.map(function (c) { return c.name; }));
    assert.deepEqual(kinds, expected);
});

test('gaa: the dividing line and the command row lie at y = 180', function () {
    var line = picker.dividingLine;
    assert.equal(line.className, 'Line');
    assert.deepEqual(line.points(), [5, 180, 130, 180], 'from x = 5 to width - 5');
    assert.equal(line.stroke(), 'grey');
    assert.equal(line.strokeWidth(), 1);
    COMMANDS.forEach(function (c, col) {
        var found = picker.group.find('.' + c.name);
        assert.equal(found.length, 1, c.name);
        assert.deepEqual(box(found[0]), [col * SIDE, 180, SIDE, SIDE], c.name);
    });
});

test('the command buttons show their icons, centred, at 0.25, 0.5 and 0.45', function (done) {
    var icons = COMMANDS.map(function (c) { return picker.group.find('.' + c.name)[0].find('.iconGroup')[0]; });
    waitFor('the command icons', function () {
        return icons.every(function (g) { return g && g.getChildren().length === 1; });
    }, done, function () {
        icons.forEach(function (g, i) {
            var c = COMMANDS[i];
            var image = g.getChildren()[0];
            assert.equal(image.image().src.slice(-c.icon.length), c.icon, c.name + ' picture');
            assert.equal(g.scaleX(), c.scale, c.name + ' scale');
            assert.equal(image.width(), c.side, c.name + ' picture width');
            var centre = g.getAbsolutePosition();
            assert.deepEqual([centre.x, centre.y], [i * SIDE + 22.5, 180 + 22.5], c.name + ' centred');
            assert.equal(g.listening(), false, c.name + ' icon does not listen');
        });
        done();
    });
});

test('soccer: twelve buttons in four full rows, command row at 4 x side', function () {
    [135, 150].forEach(function (width) {
        withPicker(width, 500, 'soccer', function (p) {
            var side = width / 3;
            assert.deepEqual(p.buttons.map(function (b) { return b.itemType(); }), PALETTES.soccer);
            itemButtonGroups(p).forEach(function (g, i) {
                assert.deepEqual(box(g), [(i % 3) * side, Math.floor(i / 3) * side, side, side],
                    'width ' + width + ', ' + PALETTES.soccer[i]);
            });
            assert.deepEqual(p.dividingLine.points(), [5, 4 * side, width - 5, 4 * side], 'line at ' + width);
            COMMANDS.forEach(function (c, col) {
                assert.deepEqual(box(p.group.find('.' + c.name)[0]), [col * side, 4 * side, side, side],
                    c.name + ' at ' + width);
            });
            assertPreviewsFit(p, side, 'soccer ' + width);
        });
    });
});

test('rugby: ten buttons in rows of 3, 3, 3 and 1, command row below the fourth', function () {
    withPicker(135, 500, 'rugby', function (p) {
        assert.deepEqual(p.buttons.map(function (b) { return b.itemType(); }), PALETTES.rugby);
        var groups = itemButtonGroups(p);
        assert.equal(groups.length, 10);
        assert.deepEqual(box(groups[9]), [0, 135, SIDE, SIDE], 'the ladder alone in the fourth row');
        assert.deepEqual(p.dividingLine.points(), [5, 180, 130, 180]);
        assert.deepEqual(box(p.group.find('.' + COMMANDS[2].name)[0]), [90, 180, SIDE, SIDE]);
        assertPreviewsFit(p, SIDE, 'rugby');
    });
});

test('any other sport offers no items: the line and commands go to the top', function () {
    ['hockey', 'Soccer', 'toString', undefined].forEach(function (sport) {
        withPicker(135, 300, sport, function (p) {
            assert.equal(p.buttons.length, 0, String(sport));
            assert.equal(itemButtonGroups(p).length, 0, String(sport));
            assert.deepEqual(p.dividingLine.points(), [5, 0, 130, 0], String(sport));
            COMMANDS.forEach(function (c, col) {
                assert.deepEqual(box(p.group.find('.' + c.name)[0]), [col * SIDE, 0, SIDE, SIDE], c.name);
            });
        });
    });
});

// ---- Previews -------------------------------------------------------------------

test('gaa: every preview is centred and fits its button with 7.5 pixels clear', function () {
    assertPreviewsFit(picker, SIDE, 'gaa');
});

test('each preview shows its type in the type\'s default colours', function () {
    picker.buttons.forEach(function (b) {
        var type = b.itemType();
        assert.equal(b.fieldItem.type, type);
        assert.equal(b.fieldItem.getCol(1), DEFAULT_COLOURS[type], type);
        assert.equal(b.fieldItem.getCol(2), DEFAULT_COLOURS[type], type);
        assert.deepEqual([b.fieldItem.group.rotation(), b.fieldItem.layerScale], [0, 1], type);
    });
});

test('the agility ladder gets 45/143, below its minimum of 0.35: the fitting ignores the range', function () {
    var ladder = buttonOf(picker, 'agilityLadder').fieldItem;
    assert.close(ladder.getScale(), 45 / 143, EPS);
    assert.close(ladder.getScale(), 0.315, 0.0005);
    assert.ok(ladder.getScale() < ladder.minScale, 'below ' + ladder.minScale);
    assert.close(ladder.group.width(), 24 * 45 / 143, EPS);
    assert.close(ladder.group.height(), 128 * 45 / 143, EPS);
    var person = buttonOf(picker, 'person').fieldItem;
    assert.close(person.getScale(), 45 / 143, EPS, 'the person by its height too');
    var hurdle = buttonOf(picker, 'hurdle').fieldItem;
    assert.close(hurdle.getScale(), 45 / 143, EPS, 'the hurdle by its width');
    assert.close(hurdle.group.height(), 59 * 45 / 143, EPS);
});

test('previews do not listen: a press on one clicks its button and drags nothing', function () {
    picker.layer.draw();
    picker.buttons.forEach(function (b) {
        assert.equal(b.fieldItem.group.listening(), false, b.itemType());
    });
    var ball = buttonOf(picker, 'gaaBall');
    var preview = ball.fieldItem.group;
    var raised = eventsRaisedBy(function () {
        pointerEvent(picker.stage, 'mousemove', 67.5, 22.5);
        pointerEvent(picker.stage, 'mousedown', 67.5, 22.5);
        pointerEvent(picker.stage, 'mousemove', 80, 40);
        pointerEvent(picker.stage, 'mousemove', 100, 60);
        pointerEvent(picker.stage, 'mouseup', 100, 60);
    });
    assert.deepEqual([preview.x(), preview.y()], [0, 0], 'the preview stayed in its button');
    assert.equal(preview.isDragging(), false);
    raised = eventsRaisedBy(function () { clickAt(picker.stage, 67.5, 22.5); });
    assert.deepEqual(raised, [['addItem', { type: 'gaaBall', col1: 'white', col2: 'white', scale: 'default' }]],
        'a click right on the ball');
});

// ---- addItem ----------------------------------------------------------------------

test('a click on each item button raises addItem with its type and preview colours', function () {
    picker.layer.draw();
    picker.buttons.forEach(function (b, i) {
        var x = (i % 3) * SIDE + 5;
        var y = Math.floor(i / 3) * SIDE + 40;
        var type = PALETTES.gaa[i];
        var raised = eventsRaisedBy(function () { clickAt(picker.stage, x, y); });
        assert.deepEqual(raised, [['addItem', { type: type, col1: DEFAULT_COLOURS[type],
            col2: DEFAULT_COLOURS[type], scale: 'default' }]], type + ' near its corner');
    });
});

test('a tap raises addItem as a click does', function () {
    var raised = eventsRaisedBy(function () { buttonOf(picker, 'cone').group.fire('tap'); });
    assert.deepEqual(raised, [['addItem', { type: 'cone', col1: 'orange', col2: 'orange', scale: 'default' }]]);
});

test('a click on the empty place in the last row or below the commands raises nothing', function () {
    picker.layer.draw();
    assert.deepEqual(eventsRaisedBy(function () { clickAt(picker.stage, 112, 157); }), [], 'beside the ladder');
    assert.deepEqual(eventsRaisedBy(function () { clickAt(picker.stage, 60, 400); }), [], 'below');
});

// ---- Remembered colour ------------------------------------------------------------

test('setItemDefaultColor recolours the person preview and redraws the picker', function (done) {
    var person = buttonOf(picker, 'person');
    done.cleanup(function () { person.setColor(1, 'maroon'); });
    var others = picker.buttons.filter(function (b) { return b !== person; });
    var before = others.map(function (b) { return b.fieldItem.image.image(); });
    var draws = batchDrawsDuring(picker.layer, function () {
        myDispatchEvent('setItemDefaultColor', { itemType: 'person', color: 'blue', colNumber: 1 });
    });
    assert.equal(draws, 1, 'the layer redrawn');
    assert.equal(person.fieldItem.getCol(1), 'blue');
    var src = person.fieldItem.image.image().src;
    assert.equal(src.slice(-'fieldItems/playerBlue.png'.length), 'fieldItems/playerBlue.png');
    others.forEach(function (b, i) {
        assert.equal(b.fieldItem.image.image(), before[i], b.itemType() + ' untouched');
    });
    var raised = eventsRaisedBy(function () { person.group.fire('click'); });
    assert.deepEqual(raised, [['addItem', { type: 'person', col1: 'blue', col2: 'maroon', scale: 'default' }]],
        'the next person is blue');
    waitFor('the blue picture', function () { return person.fieldItem.image.image().complete; }, done, function () {
        assert.equal(person.fieldItem.image.image().naturalWidth, 80, 'a real picture');
        done();
    });
});

test('setItemDefaultColor for a type the palette lacks, or a colourless one, changes nothing', function () {
    var cols = function () { return picker.buttons.map(function (b) { return [b.fieldItem.getCol(1), b.fieldItem.getCol(2)]; }); };
    var before = cols();
    var draws = 0;
    var errors = pageErrorsDuring(function () {
        draws = batchDrawsDuring(picker.layer, function () {
            myDispatchEvent('setItemDefaultColor', { itemType: 'goal', color: 'red', colNumber: 1 });
            myDispatchEvent('setItemDefaultColor', { itemType: 'player1', color: 'red', colNumber: 2 });
            myDispatchEvent('setItemDefaultColor', { itemType: 'spaceship', color: 'red', colNumber: 1 });
            myDispatchEvent('setItemDefaultColor', {});
        });
    });
    assert.deepEqual(errors, [], 'no error');
    assert.equal(draws, 0, 'nothing to redraw');
    assert.deepEqual(cols(), before);

    myDispatchEvent('setItemDefaultColor', { itemType: 'manikin', color: 'red', colNumber: 1 });
    assert.equal(buttonOf(picker, 'manikin').fieldItem.getCol(1), 'grey', 'a manikin has no colour');
    myDispatchEvent('setItemDefaultColor', { itemType: 'cone', color: 'red', colNumber: 2 });
    assert.deepEqual(buttonOf(picker, 'cone').fieldItem.getCol(1), 'orange', 'a cone has no second colour');
});

// ---- Remembered scale -----------------------------------------------------------------

test('setItemDefaultScale: the next item of the type carries the number', function () {
    var ring = buttonOf(picker, 'ring');
    var previewScale = ring.fieldItem.getScale();
    try {
        myDispatchEvent('setItemDefaultScale', { itemType: 'ring', scale: 0.4 });
        assert.equal(ring.scale, 0.4);
        assert.equal(ring.fieldItem.getScale(), previewScale, 'the preview keeps its size');
        var raised = eventsRaisedBy(function () { ring.group.fire('click'); });
        assert.deepEqual(raised, [['addItem', { type: 'ring', col1: 'blue', col2: 'blue', scale: 0.4 }]]);
        picker.buttons.forEach(function (b) {
            if (b !== ring) {
                assert.equal(b.scale, 'default', b.itemType() + ' untouched');
            }
        });
    } finally {
        ring.setScale('default');
    }
});

test('setItemDefaultScale for a type the palette lacks changes nothing', function () {
    var errors = pageErrorsDuring(function () {
        myDispatchEvent('setItemDefaultScale', { itemType: 'goal', scale: 0.5 });
        myDispatchEvent('setItemDefaultScale', { itemType: 'ball', scale: 0.2 });
        myDispatchEvent('setItemDefaultScale', {});
    });
    assert.deepEqual(errors, []);
    picker.buttons.forEach(function (b) { assert.equal(b.scale, 'default', b.itemType()); });
    var raised = eventsRaisedBy(function () {
        picker.buttons.forEach(function (b) { b.group.fire('click'); });
    });
    raised.forEach(function (r) { assert.equal(r[1].scale, 'default', r[1].type); });
});

test('what the coach last gave a person carries to the next one, even after that person is gone', function () {
    var person = buttonOf(picker, 'person');
    try {
        var onPitch = new FieldItem(100, 100, 0, 'default', 'person', 'default', 'default', 1);
        onPitch.setCol('blue', 1);
        // The colour picker announces the colour it gave the item.
        myDispatchEvent('setItemDefaultColor', { itemType: 'person', color: 'blue', colNumber: 1 });
        onPitch.setScale(onPitch.getScale() + 0.05);
        onPitch.group.destroy();
        var raised = eventsRaisedBy(function () { person.group.fire('click'); });
        assert.equal(raised.length, 1);
        assert.equal(raised[0][1].col1, 'blue');
        assert.close(raised[0][1].scale, 0.25, EPS);

        // A scale beyond the range is remembered as the item clipped it.
        onPitch = new FieldItem(100, 100, 0, 'default', 'person', 'default', 'default', 1);
        onPitch.setScale(9);
        onPitch.group.destroy();
        raised = eventsRaisedBy(function () { person.group.fire('click'); });
        assert.equal(raised[0][1].scale, 0.5);
    } finally {
        person.setColor(1, 'maroon');
        person.setScale('default');
    }
});

// ---- Commands ------------------------------------------------------------------------

test('a click on each command button raises its event alone, with an empty detail', function () {
    picker.layer.draw();
    COMMANDS.forEach(function (c, col) {
        var raised = eventsRaisedBy(function () { clickAt(picker.stage, col * SIDE + 22.5, 180 + 22.5); });
        assert.deepEqual(raised, [[c.event, {}]], c.name);
        raised = eventsRaisedBy(function () { clickAt(picker.stage, col * SIDE + 2, 180 + 43); });
        assert.deepEqual(raised, [[c.event, {}]], c.name + ' near its corner');
    });
});

test('a tap on each command button raises its event', function () {
    COMMANDS.forEach(function (c) {
        var raised = eventsRaisedBy(function () { picker.group.find('.' + c.name)[0].fire('tap'); });
        assert.deepEqual(raised, [[c.event, {}]], c.name);
    });
});

test('hovering a button lights it up and leaving puts it out', function () {
    picker.layer.draw();
    var highlight = buttonOf(picker, 'marker').group.find('.buttonRect')[0];
    pointerEvent(picker.stage, 'mousemove', 67, 67);
    assert.equal(highlight.opacity(), 1, 'hovered');
    pointerEvent(picker.stage, 'mousemove', 67, 400);
    assert.equal(highlight.opacity(), 0, 'left');
});

// ---- updateBounds ----------------------------------------------------------------------

function sceneLayout(p) {
    return p.group.getChildren().filter(function (node) { return node !== p.backgroundRect; }).map(function (node) {
        return node.className === 'Line' ? node.points() : box(node);
    });
}

function pixelAt(layer, x, y) {
    var canvas = layer.getCanvas();
    var ratio = canvas.getPixelRatio();
    var data = canvas.getContext()._context.getImageData(x * ratio, y * ratio, 1, 1).data;
    return [data[0], data[1], data[2]];
}

test('updateBounds resizes stage, group and background and draws them; the buttons stay', function () {
    var layout = sceneLayout(picker);
    try {
        picker.updateBounds(200, 900);
        assert.deepEqual([picker.stage.width(), picker.stage.height()], [200, 900], 'stage');
        assert.deepEqual([picker.group.width(), picker.group.height()], [200, 900], 'group');
        assert.deepEqual(box(picker.backgroundRect), [0, 0, 200, 900], 'background');
        assert.deepEqual(sceneLayout(picker), layout, 'buttons, line and commands kept size and place');
        assert.deepEqual(pixelAt(picker.layer, 190, 880), [214, 219, 233], 'the new area is painted');

        picker.updateBounds(135, 50);
        assert.deepEqual([picker.stage.height(), picker.backgroundRect.height()], [50, 50], 'shorter');
        assert.deepEqual(sceneLayout(picker), layout, 'still the same places');
    } finally {
        picker.updateBounds(135, 685);
    }
    assert.deepEqual(box(picker.backgroundRect), [0, 0, 135, 685]);
});

test('a window resize refits the picker through the page shell', function (done) {
    var layout = sceneLayout(picker);
    done.cleanup(function () { pageTestHost.resizeViewport(1280, 800); });
    pageTestHost.resizeViewport(1000, 600);
    waitFor('the resize', function () { return picker.stage.height() === 485; }, done, function () {
        assert.deepEqual([picker.stage.width(), picker.backgroundRect.height()], [135, 485]);
        assert.deepEqual(sceneLayout(picker), layout);
        done();
    });
});

// ---- ItemPickerButton and misuse --------------------------------------------------------

test('an ItemPickerButton on its own: place, type, colour and scale reach addItem', function () {
    var b = new ItemPickerButton(10, 20, 60, 60, 'cone');
    assert.deepEqual(box(b.group), [10, 20, 60, 60]);
    assert.equal(b.itemType(), 'cone');
    assert.equal(b.scale, 'default');
    assert.close(b.fieldItem.getScale(), 60 / 143, EPS, '128 high, plus 15, fitted into 60');
    b.setColor(1, 'blue');
    b.setScale(0.2);
    var raised = eventsRaisedBy(function () { b.group.fire('click'); });
    assert.deepEqual(raised, [['addItem', { type: 'cone', col1: 'blue', col2: 'orange', scale: 0.2 }]]);
    b.setScale('default');
    assert.equal(b.scale, 'default');
    b.group.destroy();
});

test('misuse throws clear errors', function () {
    assert.throws(function () { return new ItemPickerButton(0, 0, 45, 45, 'spaceship'); }, /spaceship/);
    var b = new ItemPickerButton(0, 0, 45, 45, 'ball');
    [0, -1, NaN, '0.2', null].forEach(function (bad) {
        assert.throws(function () { b.setScale(bad); }, /scale/, String(bad));
    });
    assert.equal(b.scale, 'default', 'unchanged by the refused values');
    b.group.destroy();
    assert.throws(function () { ItemPicker(135, 600, 'gaa'); }, /new/);
    assert.throws(function () { ItemPickerButton(0, 0, 45, 45, 'ball'); }, /new/);
    assert.throws(function () { return new ItemPicker('135', 600, 'gaa'); }, /width and height/);
    assert.throws(function () { picker.updateBounds(135); }, /width and height/);
    assert.equal(document.getElementById('itemPickerContainer').querySelectorAll('.kineticjs-content').length, 1,
        'no stray stage left behind');
});

// ---- Another sport ------------------------------------------------------------

test('setSport rebuilds the palette for the sport; what the coach gave a type stays with it', function () {
    var own = new ItemPicker(135, 685, 'gaa');
    var original = pageShell.itemPicker.stage;
    try {
        myDispatchEvent('setItemDefaultColor', { itemType: 'person', color: 'blue', colNumber: 1 });
        myDispatchEvent('setItemDefaultScale', { itemType: 'person', scale: 0.3 });
        ['soccer', 'rugby', 'gaa'].forEach(function (sport) {
            own.setSport(sport);
            assert.equal(own.sport, sport);
            assert.deepEqual(own.buttons.map(function (b) { return b.itemType(); }), PALETTES[sport], sport);
            assert.equal(own.group.find('.itemPickerButton').length, PALETTES[sport].length,
                sport + ': no buttons of another palette left behind');
            var rows = Math.ceil(PALETTES[sport].length / 3);
            assert.equal(own.dividingLine.points()[1], rows * SIDE, sport + ' command row');
            assert.deepEqual(own.commandButtons.map(function (b) { return b.group.y(); }),
                [rows * SIDE, rows * SIDE, rows * SIDE]);
            assert.equal(own.group.find('.deleteSelectedItemsButton').length, 1, sport + ': one delete button');
            var person = own.buttonFor('person');
            assert.deepEqual([person.fieldItem.getCol(1), person.scale], ['blue', 0.3],
                sport + ': the person keeps the coach\'s colour and scale');
            assert.equal(own.buttonFor(PALETTES[sport][1]).scale, 'default',
                sport + ': the fitting of the new previews is no remembered scale');
        });
        var added = eventsRaisedBy(function () { own.buttonFor('person').group.fire('click'); });
        assert.deepEqual(added[0][1], { type: 'person', col1: 'blue', col2: 'maroon', scale: 0.3 });
    } finally {
        own.stage.destroy();
        pageShell.itemPicker.buttons[0].setColor(1, 'maroon');
        pageShell.itemPicker.buttons[0].setScale('default');
        assert.equal(pageShell.itemPicker.stage, original);
    }
});

test('every palette and command button says what it does', function () {
    ['gaa', 'soccer', 'rugby'].forEach(function (sport) {
        var own = new ItemPicker(135, 685, sport);
        try {
            var tips = own.buttons.concat(own.commandButtons).map(function (b) { return (b.button || b).tooltip; });
            tips.forEach(function (tip, i) {
                assert.ok(/^[A-Z]/.test(tip) && tip.length > 5, sport + ' button ' + i + ': ' + tip);
            });
            assert.equal(tips.filter(function (t, i) { return tips.indexOf(t) === i; }).length, tips.length,
                sport + ': all differ');
        } finally {
            own.stage.destroy();
        }
    });
});
