// The pitch and what stands on it: the background layer (BackgroundLayer.js)
// with the markings of each sport, its views, print look, grid and logo;
// the background picker (BackgroundPicker.js) that chooses sport and view;
// and the animation layer (AnimationLayer.js) fitted and turned over it.

var container = document.createElement('div');
container.id = 'pitchTestStage';
document.body.appendChild(container);
var stage = new Kinetic.Stage({ container: 'pitchTestStage', width: 800, height: 600 });
var U = 6.4;  // a pitch unit on a 640-pixel frame

// A background layer fitted to 640 x 480 (turned: 480 x 360) at (400, 300).
function pitch(sport, view, print, turned) {
    stage.destroyChildren();
    stage.size({ width: 800, height: 600 });
    var layer = BackgroundLayer(400, 300, 800, 600, 4 / 3);
    stage.add(layer);
    layer.rotation(turned ? 90 : 0);
    layer.drawForPrint = !!print;
    layer.setBackground(sport, view, true);
    layer.updateBounds(400, 300, 640, 480, !!turned);
    return layer;
}

function markings(layer) {
    return layer.find('.soccerMarkings')[0];
}

// Each shape of that name measured in pitch units, rounded and sorted.
function measured(layer, name, measure) {
    return markings(layer).find('.' + name).toArray().map(function (s) {
        return measure(s).map(function (v) { return Math.round(v / U * 100) / 100; });
    }).sort();
}

function box(s) { return [s.x(), s.y(), s.width(), s.height()]; }
function arc(s) { return [s.x(), s.y(), s.angle() * U, s.innerRadius(), s.outerRadius()]; }
function pts(s) { return s.points(); }
function across(s) { return [s.points()[0]]; }
var soccerArc = 2 * Math.acos(5.5 / 9.15) * 180 / Math.PI;
var gaaArc = 2 * Math.acos(1.5 / 8.15) * 180 / Math.PI;

test('each sport\'s markings stand where the game\'s rules put them, in lines a 150th of the frame', function () {
    var table = [
        ['soccer', 'outline', function (s) { return box(s).concat([s.strokeWidth()]); }, [[-50, -35, 100, 70, 0.67]]],
        ['soccer', 'halfwayLine', pts, [[0, -35, 0, 35]]],
        ['soccer', 'centreCircle', function (s) { return [s.radius()]; }, [[9.15]]],
        ['soccer', 'penaltyArea', box, [[-50, -20.15, 16.5, 40.3], [33.5, -20.15, 16.5, 40.3]]],
        ['soccer', 'goalArea', box, [[-50, -9.16, 5.5, 18.32], [44.5, -9.16, 5.5, 18.32]]],
        ['soccer', 'penaltySpot', function (s) { return [s.x(), s.radius()]; }, [[-39, 0.2], [39, 0.2]]],
        ['soccer', 'penaltyArc', arc, [[-39, 0, soccerArc, 9.15, 9.15], [39, 0, soccerArc, 9.15, 9.15]]],
        ['soccer', 'cornerArc', function (s) { return [s.x(), s.y(), s.rotation() * U, s.angle() * U, s.outerRadius()]; },
            [[-50, -35, 0, 90, 2], [50, -35, 90, 90, 2], [50, 35, 180, 90, 2], [-50, 35, 270, 90, 2]]],
        ['gaa', 'outline', function (s) { return box(s).concat([s.strokeWidth()]); }, [[-50, -35, 100, 70, 0.67]]],
        ['gaa', 'centreLine', pts, [[0, -70 / 12, 0, 70 / 12]]],
        ['gaa', 'endBox', box, [[-50, -12.65, 12.5, 25.3], [37.5, -12.65, 12.5, 25.3]]],
        ['gaa', 'lineAcross', across, [3, 16.5, 100 / 2.672, 100 / 3, -3, -16.5, -100 / 2.672, -100 / 3]
            .map(function (x) { return [x]; })],
        ['gaa', 'arc', arc, [[-100 / 2.85, 0, gaaArc, 8.15, 8.15], [100 / 2.85, 0, gaaArc, 8.15, 8.15]]],
        ['rugby', 'dashedLine', function (s) { return pts(s).concat(s.dash().map(function (d) { return d * U; })); },
            [[-40, -25, 40, -25, 10, 10], [-40, 25, 40, 25, 10, 10]]],
        ['rugby', 'tryLines', box, [[-40, -35, 80, 70]]],
        ['rugby', 'lineAcross', across, [[-20], [0], [20]]],
        ['rugby', 'penaltyArea', box, []]
    ];
    table.forEach(function (row) {
        var expected = row[3].map(function (r) {
            return r.map(function (v) { return Math.round(v * 100) / 100; });
        }).sort();
        assert.deepEqual(measured(pitch(row[0], 'fullField'), row[1], row[2]), expected, row[0] + ' ' + row[1]);
    });
    // Corner marks, 9.15 from each corner, stand wholly outside the
    // outline's stroke: begun on the line they would hide under it.
    assert.deepEqual(measured(pitch('soccer', 'fullField'), 'cornerMark', function (s) {
        var p = s.points().map(Math.abs);
        return p[0] === p[2] ? [p[0], Math.min(p[1], p[3]), Math.abs(p[3] - p[1])] :
            [p[1], Math.min(p[0], p[2]), Math.abs(p[2] - p[0])];
    }).join(' '), '25.85,50.33,0.5 25.85,50.33,0.5 25.85,50.33,0.5 25.85,50.33,0.5 ' +
        '40.85,35.33,0.5 40.85,35.33,0.5 40.85,35.33,0.5 40.85,35.33,0.5');
});

test('each view shows its part of the pitch, with its stripes; an unknown view or sport is plain ground', function () {
    // [sport, view, stripes, a pitch point in units that lands on a frame corner]
    [['soccer', 'fullField', 8, [-52.63, -39.47], [0, 0]], ['gaa', 'oneEnd', 5, [-54.6, 0], [null, 0]],
        ['gaa', 'oneEnd', 5, [4.6, 0], [null, 480]], ['soccer', 'penaltyArea', 3, [-54.04, 22.06], [0, 0]],
        ['soccer', 'penaltyArea', 3, [-20.96, -22.06], [640, 480]], ['rugby', 'penaltyAreaLeft', 2, [-53.75, 37.14], [0, 0]],
        ['soccer', 'penaltyAreaLeft', 2, [-8.75, -22.86], [640, 480]], ['gaa', 'penaltyAreaRight', 2, [-53.75, 22.86], [0, 0]],
        ['soccer', 'penaltyAreaRight', 2, [-8.75, -37.14], [640, 480]], ['soccer', 'blank', 3], ['soccer', 'corner', 3],
        ['hockey', 'oneEnd', 5]
    ].forEach(function (row) {
        var layer = pitch(row[0], row[1]);
        var what = row[0] + ' ' + row[1];
        assert.equal(layer.find('.stripe').length, row[2], what + ' stripes');
        if (row[3]) {
            var at = markings(layer).getTransform().point({ x: row[3][0] * U, y: row[3][1] * U });
            assert.ok((row[4][0] === null || Math.abs(at.x - row[4][0]) < 0.5) && Math.abs(at.y - row[4][1]) < 0.5,
                what + ': ' + [at.x, at.y]);
        } else {
            assert.equal(markings(layer).getChildren().length, 0, what + ': no markings');
        }
    });
    var band = pitch('soccer', 'fullField').find('.stripe')[1];
    assert.deepEqual([band.x(), band.width(), band.height()], [80, 40, 480], 'full-field bands run across');
    band = pitch('soccer', 'oneEnd').find('.stripe')[1];
    assert.deepEqual([band.y(), band.width(), band.height()], [2 * 480 / 9, 640, 480 / 9], 'turned views\' run along');
});

test('grass has white lines on green; print has black lines and stripes on white paper in a black frame', function (done) {
    // Fill/stroke pairs of every shape but the goal pictures and the grid.
    function colours(layer) {
        var found = {};
        layer.find('Shape').each(function (s) {
            if (s.className !== 'Image' && s.name() !== 'gridLine') {
                found[(s.fill() || '') + '/' + (s.stroke() || '') + (s.strokeWidth() === 1 ? '1' : '')] = true;
            }
        });
        return Object.keys(found).sort().join(' ');
    }
    function goals(layer) {
        return layer.find('.goal').toArray().sort(function (a, b) { return a.x() - b.x(); });
    }
    var grass = pitch('gaa', 'fullField');
    assert.equal(colours(grass), '/white green/ white/');
    waitFor('the goals', function () { return goals(grass).length === 2; }, done, function () {
        var s = 7.32 * U / 156;  // the mouth spans the picture's height but 100 pixels
        assert.ok(/rugbyGoal\.png$/.test(goals(grass)[0].image().src), 'Gaelic posts');
        assert.close(goals(grass)[0].x() + 59 * s, -50 * U, 1e-9, 'left posts against the end line');
        assert.deepEqual([goals(grass)[0].rotation(), goals(grass)[1].rotation()], [0, 180], 'the right ones mirrored');
        var paper = pitch('soccer', 'oneEnd', true);
        assert.equal(colours(paper), '/black black/ white/black1');
        waitFor('the print goals', function () { return goals(paper).length === 2; }, done, function () {
            assert.ok(/goalLeftForPrint\.png$/.test(goals(paper)[0].image().src), 'print goals');
            done();
        });
    });
});

test('the pitch fits its frame, turned or not; the grid and a faint upright logo follow it', function (done) {
    var layer = pitch('soccer', 'fullField', false, true);
    assert.deepEqual([layer.layerWidth, layer.layerHeight, layer.offsetX(), layer.offsetY()], [480, 360, 240, 180]);
    assert.deepEqual(layer.clip(), { x: 0, y: 0, width: 480, height: 360 });
    layer.updateBounds(500, 300, 1000, 600, false);
    assert.deepEqual([layer.layerWidth, layer.layerHeight, layer.x(), layer.find('.ground')[0].width()],
        [800, 600, 500, 800]);
    layer.showGrid(true);
    layer.setBackground('gaa', 'blank', false);
    layer.setDrawForPrint(true);
    assert.equal(layer.gridVisibility(), true, 'the grid stays shown through redraws');
    var widths = layer.find('.gridLine').toArray().map(function (l) { return l.strokeWidth(); });
    assert.deepEqual([widths.length, widths.filter(function (w) { return w === 0.5; }).length], [140, 28],
        'a line every 10 pixels, every fifth stronger');
    layer.draw();
    assert.notEqual(layer.getIntersection({ x: 500, y: 300 }).name(), 'gridLine', 'the grid takes no clicks');
    layer.rotation(90);
    layer.setShowLogo(true);
    layer.updateBounds(500, 300, 1000, 600, true);
    waitFor('the logo', function () { return layer.find('.logoImage').length === 1; }, done, function () {
        var logo = layer.find('.logoImage')[0];
        assert.deepEqual([logo.rotation(), logo.opacity(), logo.width()], [-90, 0.2, 450 * 19 / 20], 'upright, faint');
        assert.ok(Math.abs(logo.getAbsolutePosition().x - 500) + Math.abs(logo.getAbsolutePosition().y - 300) < 1e-9);
        layer.setShowLogo(false);
        assert.equal(layer.find('.logoImage')[0].opacity(), 0, 'hidden but present');
        assert.throws(function () { BackgroundLayer(0, 0, 100, 100, 0); }, /aspect ratio/);
        assert.throws(function () { layer.setBackground('soccer'); }, /setBackground/);
        assert.throws(function () { layer.drawGAAField('200', 150, 'oneEnd', true, false); }, /drawGAAField/);
        done();
    });
});

test('a logo asked for later wins over one still loading; one that does not load is left out', function (done) {
    var layer = pitch('soccer', 'blank');
    var urls = ['blue', 'lime'].map(function (colour) {
        var canvas = document.createElement('canvas');
        canvas.getContext('2d').fillStyle = colour;
        canvas.getContext('2d').fillRect(0, 0, 8, 8);
        return canvas.toDataURL('image/png');
    });
    urls.forEach(function (url) { layer.setLogoImage(url); });
    assert.throws(function () { layer.setLogoImage(''); }, /setLogoImage/);
    window.setTimeout(done.step(function () {
        assert.deepEqual(layer.find('.logoImage').toArray().map(function (l) { return l.image().src; }), [urls[1]]);
        layer.setLogoImage('logos/noSuchLogo.png');
        window.setTimeout(done.step(function () {
            assert.deepEqual([layer.find('.logoImage').length, layer.getChildren().length], [0, 3], 'no logo, no harm');
            done();
        }), 200);
    }), 200);
});

// ---- Background picker ----------------------------------------------------------

var raised = [];
['disableControls', 'enableControls', 'backgroundChosen'].forEach(function (name) {
    document.addEventListener(name, function (evt) { raised.push(evt.detail.sport || name); }, false);
});

// The picker open for `sport` on a 1200 x 600 stage over a soccer pitch,
// turned if asked, and a stand-in animation layer.
function openPicker(sport, turned) {
    stage.destroyChildren();
    stage.size({ width: 1200, height: 600 });
    var bg = BackgroundLayer(600, 300, 1200, 600, 4 / 3);
    stage.add(bg.rotation(turned ? 90 : 0));
    bg.setBackground('soccer', 'fullField', false);
    bg.updateBounds(600, 300, 1200, 600, !!turned);
    stage.add(new Kinetic.Layer({ name: 'animLayer' }));
    stage.find('.animLayer')[0].aspectRatio = 4 / 3;
    raised = [];
    BackgroundPicker(stage, sport);
    return bg;
}

function views() {
    return stage.find('.bgThumbnail').toArray().map(function (t) { return t.bgType; }).join(' ');
}

test('the picker offers each sport\'s views, upright in two rows of three, and sets the one clicked', function () {
    [['soccer', 'fullField oneEnd penaltyArea penaltyAreaLeft penaltyAreaRight blank', 'centreCircle', 5],
        ['gaa', 'fullField oneEnd penaltyArea penaltyAreaLeft penaltyAreaRight blank', 'endBox', 0],
        ['rugby', 'fullField oneEnd blank', 'tryLines', 1]].forEach(function (c) {
        var bg = openPicker(c[0], c[0] === 'gaa');
        BackgroundPicker(stage, c[0]);
        assert.deepEqual([raised, stage.find('.bgPickerLayer').length, views()], [['disableControls'], 1, c[1]], c[0]);
        // Below a 60-high row of sports: 306 x 229.5 with gaps of 70.5 across and 27 down.
        stage.find('.bgThumbnail').each(function (t, i) {
            assert.deepEqual(t.getAbsoluteTransform().getMatrix().map(function (v) { return Math.round(v * 10) / 10; }),
                [1, 0, 0, 1, 70.5 + (i % 3) * 376.5, 87 + Math.floor(i / 3) * 256.5], c[0] + ' ' + i + ': upright');
            assert.deepEqual([t.clip().width, t.clip().height, t.find('.' + c[2]).length > 0 || t.bgType === 'blank'],
                [306, 229.5, true], c[0] + ' ' + i + ': its own pitch');
        });
        var t = stage.find('.bgThumbnail')[c[3]];
        clickAt(stage, t.getAbsolutePosition().x + 2, t.getAbsolutePosition().y + 227);
        assert.deepEqual([bg.sportType, bg.bgType, bg.showStripes, bg.rotation()], [c[0], t.bgType, true, c[0] === 'gaa' ?
            90 : 0], c[0] + ': chosen with stripes on the pitch as it stands');
        assert.deepEqual([raised.slice(1), stage.find('.bgPickerLayer').length], [[c[0], 'enableControls'], 0], c[0]);
    });
});

test('the picker closes on the shade or Escape with nothing changed; another sport shows its own views', function () {
    [[35, 100], [600, 330], null].forEach(function (p) {
        var bg = openPicker('rugby');
        if (p) {
            clickAt(stage, p[0], p[1]);
        } else {
            myDispatchEvent('closeOverlays', {});
        }
        assert.deepEqual([raised, bg.sportType, bg.showStripes, stage.find('.bgPickerLayer').length],
            [['disableControls', 'enableControls'], 'soccer', false, 0], 'left at ' + p);
    });
    openPicker('gaa');
    clickAt(stage, 1000, 30);
    assert.deepEqual([views(), raised], ['fullField oneEnd blank', ['disableControls']], 'rugby\'s views, still open');
    assert.throws(function () { BackgroundPicker(stage, 'hockey'); }, /hockey/);
    assert.throws(function () { BackgroundPicker(null, 'soccer'); }, /stage/);
});

test('a sport chosen in the editor redraws pitch and palette, is saved, and comes back when opened', function () {
    var editor = pageShell.animation;
    function choose(sport, view) {
        myDispatchEvent('chooseBackground', {});
        editor.stage.find('.bgSportButton').toArray().filter(function (b) { return b.sport === sport; })[0].fire('click');
        editor.stage.find('.bgThumbnail').toArray().filter(function (t) { return t.bgType === view; })[0].fire('click');
    }
    function shown() {
        return [editor.sport, editor.bgLayer.bgType, pageShell.itemPicker.sport, editor.bgLayer.find('.endBox').length];
    }
    choose('soccer', 'oneEnd');
    assert.deepEqual(shown(), ['soccer', 'oneEnd', 'soccer', 0]);
    var saved = editor.saveToString();
    assert.deepEqual([JSON.parse(saved).sport, JSON.parse(saved).background.type], ['soccer', 'oneEnd']);
    choose('gaa', 'blank');
    assert.deepEqual(shown(), ['gaa', 'blank', 'gaa', 0]);
    choose('gaa', 'fullField');
    assert.deepEqual(shown(), ['gaa', 'fullField', 'gaa', 2]);
    cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: saved });
    assert.deepEqual(shown(), ['soccer', 'oneEnd', 'soccer', 0]);
    assert.equal(editor.saveToString(), saved, 'saved again as it was');
});

// ---- Animation layer -------------------------------------------------------------

function withAnimation(body) {
    var animation = new Animation(1000, 600, 'pitchTestStage');
    function add(type, x, y) {
        var group = createFieldItemGroup(x, y, 0, 'default', type, 'default', 'default',
            animation.frameManager.generateUniqueId(), '', '', animation.animLayer.layerScale, 0);
        animation.animLayer.add(group);
        return group;
    }
    try {
        body(animation, animation.animLayer, add);
    } finally {
        animation.stage.destroy();
        stage = new Kinetic.Stage({ container: 'pitchTestStage', width: 800, height: 600 });
    }
}

test('the items\' layer fits the space, and its caption reads along the pitch\'s top edge at every turn', function () {
    withAnimation(function (animation, layer) {
        assert.deepEqual([layer.layerWidth, layer.layerHeight, layer.layerScale], [800, 600, 1.5625]);
        layer.setFrameText('Switch play');
        [0, 90, 180, 270, 360, -90, -180, -270, 450].forEach(function (turn) {
            animation.rotateEntireAnimation(turn - layer.rotation());
            var text = layer.find('.frameText')[0];
            var ends = [0, text.width()].map(function (x) { return text.getAbsoluteTransform().point({ x: x, y: 0 }); });
            var half = turn % 180 === 0 ? 400 : 225;
            assert.deepEqual([ends[0].x, ends[0].y, ends[1].x, ends[1].y].map(Math.round), [500 - half, 0, 500 + half, 0],
                turn + ': along the top edge on screen');
            assert.equal(text.fontSize(), 20 * layer.layerScale, turn + ': sized with the pitch');
        });
        assert.equal(layer.getFrameText(), 'Switch play');
    });
});

test('items keep their place on a resized pitch; new ones go where nothing stands; labels find their item', function () {
    withAnimation(function (animation, layer, add) {
        assert.deepEqual(layer.findSpaceForItem(40, 40), { x: 400, y: 300 }, 'the first in the centre');
        var a = add('person', 200, 150);
        var b = add('cone', 300, 100);
        animation.frameManager.saveFrame();
        animation.updateBounds(350, 150, 700, 300);
        assert.deepEqual([layer.layerWidth, layer.layerHeight, a.layerScale], [400, 300, 400 / 512]);
        assert.deepEqual([a.getFieldItem().group.x(), a.getFieldItem().group.y()], [100, 75]);
        for (var i = 0; i < 20; i++) {
            var pos = layer.findSpaceForItem(40, 40);
            assert.ok([a, b].every(function (g) { return !isOverlap(pos.x - 20, pos.y - 20, 40, 40, g.getFieldItem().group); }) &&
                pos.x >= 20 && pos.x <= 380 && pos.y >= 20 && pos.y <= 280, 'try ' + i + ': clear, on the pitch');
        }
        assert.deepEqual([layer.relativePos({ x: 100, y: 225 }), layer.clipToBounds({ x: -5, y: 700 })],
            [{ x: 0.25, y: 0.75 }, { x: 0, y: 300 }]);
        layer.setItemLabel(b._id, 'Winger');
        layer.setShortItemLabel(b._id, '11');
        layer.setItemLabel(999999, 'nobody');
        assert.deepEqual([a.itemText.text.text(), b.itemText.text.text(), b.shortLabelText.text.text()], ['', 'Winger', '11']);
        a.selectFunc(true);
        layer.select(b._id);
        assert.deepEqual([a.isSelected, b.isSelected, layer.childWithId(b.getAttr('id')) === b], [false, true, true]);
        layer.toggleRunningLines();
        assert.deepEqual([a.runningLines.lines[1].opacity(), b.runningLines.lines[1].opacity()], [1, 1]);
        layer.clearAnimation();
        assert.deepEqual([layer.find('.fieldItemGroup').length, layer.getFrameText(), layer.getChildren().length], [0, '', 1]);
    });
});
