// Whole teams (TeamPicker.js, Formations.js and the shell's addTeam), driven with the pointer as a
// coach does: the palette's team button, then the chooser's half, kit and team shape.

var editor = pageShell.animation;
var layer = editor.animLayer;

// [sport, shape, players, the number of the player deepest in his own half, one on the team's right]
var SHAPES = [
    ['soccer', 'soccer442', 11, '1', '2'], ['soccer', 'soccer433', 11, '1', '7'], ['soccer', 'soccer4231', 11, '1', '2'],
    ['soccer', 'soccer7_231', 7, '1', '4'], ['soccer', 'soccer7_321', 7, '1', '2'], ['soccer', 'soccer5_22', 5, '1', '4'],
    ['soccer', 'soccer5_121', 5, '1', '3'], ['rugby', 'rugby15', 15, '15', '14'], ['rugby', 'rugby7', 7, '7', '6'],
    ['gaa', 'gaa15', 15, '1', '2']
];

function pickerLayer() { return editor.stage.find('.teamPickerLayer')[0]; }
function inPicker(name, test) { return pickerLayer().find('.' + name).toArray().filter(test)[0]; }

// A click a little inside the node's top-left corner, on the animation stage.
function clickNode(node, dx, dy) {
    var at = node.getAbsolutePosition();
    clickAt(editor.stage, at.x + dx, at.y + dy);
}

function openChooser() {
    var picker = pageShell.itemPicker;
    var button = picker.teamButton.group;
    clickAt(picker.stage, button.x() + 60, button.y() + 20);
    assert.ok(pickerLayer() && pageShell.overlayOpen, 'the team button opens the chooser, the rest deaf');
}

// The half, kit and shape chosen with the pointer.
function addTeam(half, color, shape) {
    openChooser();
    clickNode(inPicker('teamHalfButton', function (b) { return b.half === half; }), 20, 20);
    clickNode(inPicker('teamColorSwatch', function (s) { return s.color === color; }), 5, 5);
    clickNode(inPicker('teamFormationCard', function (c) { return c.formationId === shape; }), 10, 10);
    assert.ok(!pickerLayer() && !pageShell.overlayOpen, 'a shape chosen closes the chooser');
}

function boxOf(group) {
    var item = group.getFieldItem().group;
    return { x: item.x() - item.offsetX(), y: item.y() - item.offsetY(), w: item.width(), h: item.height() };
}

test('each team shape of each sport: its count and numbers, no overlaps, on the chosen half, kit and facing, selected, one undo step', function () {
    var colors = ['red', 'blue', 'white', 'black', 'yellow'];
    var n = 0;
    SHAPES.forEach(function (shape) {
        [0, 90].forEach(function (turn) {
            ['left', 'right'].forEach(function (half) {
                var where = shape[1] + ' on the ' + half + ' half, pitch turned ' + turn + ': ';
                var color = colors[n++ % colors.length];
                openInEditor(drillText({ sport: shape[0], rotation: turn }));
                addToEditor('cone');
                var before = editor.saveToString();
                var steps = pageShell.history.length();
                if (n === 1) {
                    openChooser();
                    clickAt(editor.stage, 3, editor.stage.height() - 3);
                    assert.deepEqual([!!pickerLayer(), pageShell.overlayOpen, editor.saveToString()], [false, false, before],
                        'a click beside the cards closes the chooser with nothing added');
                }
                addTeam(half, color, shape[1]);
                var team = layer.itemGroups().slice(1);
                var props = team.map(function (g) { return g.getProperties(); });
                assert.equal(team.length, shape[2], where + 'players');
                assert.deepEqual(props.map(function (p) { return p.shortLabel; }),
                    Array.apply(null, { length: shape[2] }).map(function (x, i) { return String(i + 1); }),
                    where + 'shirt numbers');
                var deepest = props.slice().sort(function (a, b) { return half === 'left' ? a.x - b.x : b.x - a.x; })[0];
                assert.equal(deepest.shortLabel, shape[3], where + 'the deepest player');
                // Facing right a team's right is the bottom of the pitch; facing left, the top.
                var right = props.filter(function (p) { return p.shortLabel === shape[4]; })[0];
                assert.equal(right.y > 0.5, half === 'left', where + shape[4] + ' on the team\'s right');
                props.forEach(function (p) {
                    assert.deepEqual([p.type, p.col1, p.scale, p.rotation, half === 'left' ? p.x < 0.5 : p.x > 0.5,
                        p.y > 0 && p.y < 1 && p.x > 0 && p.x < 1], ['person', color, 0.2, half === 'left' ? 0 : 180, true, true],
                        where + 'player ' + p.shortLabel);
                });
                team.forEach(function (g, i) {
                    var a = boxOf(g);
                    team.slice(i + 1).forEach(function (other) {
                        assert.ok(!isOverlap(a.x, a.y, a.w, a.h, other.getFieldItem().group),
                            where + props[i].shortLabel + ' overlaps ' + other.getProperties().shortLabel);
                    });
                });
                assert.deepEqual(layer.itemGroups().map(function (g) { return g.isSelected; }),
                    [false].concat(team.map(function () { return true; })), where + 'the team alone selected');
                if (turn === 90) {
                    var centre = editor.stage.height() / 2;
                    var onScreen = team.map(function (g) { return layerPosToStage(g.getPosAbs(), layer).y < centre; });
                    assert.deepEqual(onScreen, team.map(function () { return half === 'left'; }),
                        where + 'the pitch\'s left half is at the top of the screen');
                }
                var after = editor.saveToString();
                assert.deepEqual([pageShell.history.length(), sentOfType('animationChanged').pop().strToSave],
                    [steps + 1, after], where + 'one step, the host told');
                myDispatchEvent('undo', {});
                assert.equal(editor.saveToString(), before, where + 'one undo takes the whole team away');
                myDispatchEvent('redo', {});
                assert.equal(editor.saveToString(), after, where + 'redo brings it back as it was');
            });
        });
    });
});

test('the halves are named as they lie on screen; the chooser offers the last half and kit chosen', function () {
    [[0, ['Left half', 'Right half']], [90, ['Top half', 'Bottom half']], [180, ['Left half', 'Right half']],
        [270, ['Top half', 'Bottom half']]].forEach(function (row) {
        openInEditor(drillText({ sport: 'gaa', rotation: row[0] }));
        openChooser();
        var tabs = pickerLayer().find('.teamHalfButton').toArray().sort(function (a, b) { return a.x() - b.x(); });
        var leftFirst = row[0] === 0 || row[0] === 90;
        assert.deepEqual(tabs.map(function (t) { return t.label.text(); }), row[1], 'turned ' + row[0]);
        assert.deepEqual(tabs.map(function (t) { return t.half; }), leftFirst ? ['left', 'right'] : ['right', 'left'],
            'turned ' + row[0] + ': which half each names');
        myDispatchEvent('escapePressed', {});
        assert.ok(!pickerLayer(), 'Escape closes it');
    });
    addTeam('right', 'purple', 'gaa15');
    openChooser();
    assert.deepEqual([inPicker('teamHalfButton', function (b) { return b.marked; }).half,
        inPicker('teamColorSwatch', function (s) { return s.marked; }).color,
        pickerLayer().find('.teamPlayerDot').toArray().every(function (d) { return d.fill() === 'purple'; })],
        ['right', 'purple', true]);
    myDispatchEvent('escapePressed', {});
    assert.equal(pageShell.itemPicker.teamButton.tooltip, 'Add a team (Ctrl+double-click a player to select his whole team)');
});

// Mended: changing a team's kit once it was no longer selected took the coach 13 clicks.
test('Ctrl+double-click on a player selects his whole team again, and nothing of the other; the kit then changes in one step', function () {
    openInEditor(drillText({ sport: 'gaa' }));
    addTeam('left', 'red', 'gaa15');
    addTeam('right', 'blue', 'gaa15');
    var blues = layer.itemGroups().slice(15);
    var bare = layerPosToStage(layer.pixelPos({ x: 0.5, y: 0.02 }), layer);
    clickAt(editor.stage, bare.x, bare.y);
    var player = layerPosToStage(blues[6].getPosAbs(), layer);
    editor.stage.draw();
    doubleClickAt(editor.stage, player.x, player.y, 'ctrl');
    assert.deepEqual(layer.itemGroups().map(function (g) { return g.isSelected; }),
        layer.itemGroups().map(function (g) { return blues.indexOf(g) !== -1; }), 'the blue team, and only it');
    var steps = pageShell.history.length();
    myDispatchEvent('recolorSelectedItems', { color: 'yellow' });
    assert.deepEqual([layer.itemGroups().filter(function (g) { return g.getProperties().col1 === 'yellow'; }).length,
        pageShell.history.length()], [15, steps + 1], 'the new kit, one step');
    openInEditor(NEW_DRILL);
});

function drillOfCones(count) {
    var objects = [];
    for (var i = 1; i <= count; i++) { objects.push(itemRecord('cone', i, [{ x: i / 250, y: 0.3, rotation: 0 }])); }
    return drillText({ sport: 'soccer', objects: objects });
}

test('a team that would take the drill past 200 items is refused whole, and the coach is told why', function () {
    [[189, '', 200], [190, 'A drill holds at most 200 items, and this one has 190; 11 more would make 201.', 190]]
        .forEach(function (row) {
            openInEditor(drillOfCones(row[0]));
            var before = editor.saveToString();
            cppInterface.clearReceivedMessages();
            addTeam('left', 'red', 'soccer442');
            assert.deepEqual([sentOfType('drillLimitReached').map(function (m) { return m.errorInfo; }),
                JSON.parse(editor.saveToString()).objects.length], [row[1] ? [row[1]] : [], row[2]], row[0] + ' cones');
            if (row[1]) {
                assert.deepEqual([editor.saveToString(), sentOfType('animationChanged').length], [before, 0], 'nothing changed');
            }
        });
});

// An item's box as turned on the layer: x0, y0, x1, y1.
function turnedBox(group) {
    var item = group.getFieldItem().group;
    var corners = [[0, 0], [item.width(), 0], [0, item.height()], [item.width(), item.height()]].map(function (c) {
        var p = rotatePos({ x: c[0] - item.offsetX(), y: c[1] - item.offsetY() }, item.rotation());
        return { x: p.x + item.x(), y: p.y + item.y() };
    });
    var xs = corners.map(function (p) { return p.x; });
    var ys = corners.map(function (p) { return p.y; });
    return { x0: Math.min.apply(null, xs), y0: Math.min.apply(null, ys), x1: Math.max.apply(null, xs), y1: Math.max.apply(null, ys) };
}

// The corners of a drawn pitch line's rectangle in the animation layer's coordinates.
function drawnRect(name) {
    var node = editor.bgLayer.find('.' + name)[0];
    var toLayer = layer.getAbsoluteTransform().copy().invert();
    var corners = [[0, 0], [node.width(), node.height()]].map(function (c) {
        return toLayer.point(node.getAbsoluteTransform().point({ x: c[0], y: c[1] }));
    });
    return { x0: Math.min(corners[0].x, corners[1].x), x1: Math.max(corners[0].x, corners[1].x),
        y0: Math.min(corners[0].y, corners[1].y), y1: Math.max(corners[0].y, corners[1].y) };
}

test('on a view of one end or of a penalty area, both halves lie on the pitch as seen, each team in its own facing the other', function () {
    var VIEWS = { soccer: ['oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight'], rugby: ['oneEnd'],
        gaa: ['oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight'] };
    SHAPES.forEach(function (shape) {
        VIEWS[shape[0]].forEach(function (view) {
            var where = shape[1] + ' on ' + view + ': ';
            openInEditor(drillText({ sport: shape[0], background: { type: view, showStripes: true, showLogo: false, logoImage: 'logos/ovri256x256.png' } }));
            openChooser();
            var labels = pickerLayer().find('.teamHalfButton').toArray().map(function (t) { return t.label.text(); });
            myDispatchEvent('escapePressed', {});
            assert.deepEqual(labels.slice().sort(), ['Bottom half', 'Top half'], where + 'the halves as seen');
            var field = drawnRect(shape[0] === 'rugby' ? 'tryLines' : 'outline');
            var teams = ['Top half', 'Bottom half'].map(function (label, t) {
                openChooser();
                var half = inPicker('teamHalfButton', function (b) { return b.label.text() === label; }).half;
                myDispatchEvent('escapePressed', {});
                addTeam(half, t === 0 ? 'red' : 'blue', shape[1]);
                return layer.itemGroups().filter(function (g) { return g.getProperties().col1 === (t === 0 ? 'red' : 'blue'); });
            });
            var all = teams[0].concat(teams[1]);
            assert.equal(all.length, 2 * shape[2], where + 'both teams whole');
            teams.forEach(function (team, t) {
                var ys = team.map(function (g) { return g.getPosAbs().y; });
                var keeper = team.filter(function (g) { return g.getProperties().shortLabel === shape[3]; })[0];
                assert.equal(keeper.getPosAbs().y, (t === 0 ? Math.min : Math.max).apply(null, ys),
                    where + 'the deepest player nearest his own end, team ' + t);
                team.forEach(function (g) {
                    var p = g.getProperties();
                    var b = turnedBox(g);
                    var at = g.getPosAbs();
                    assert.deepEqual([p.rotation, at.x > field.x0 && at.x < field.x1 && at.y > field.y0 && at.y < field.y1,
                        b.x0 >= 0 && b.y0 >= 0 && b.x1 <= layer.layerWidth && b.y1 <= layer.layerHeight],
                        [t === 0 ? 90 : 270, true, true], where + 'player ' + p.shortLabel + ' of team ' + t);
                });
            });
            assert.ok(Math.max.apply(null, teams[0].map(function (g) { return g.getPosAbs().y; })) <
                Math.min.apply(null, teams[1].map(function (g) { return g.getPosAbs().y; })), where + 'the top team above the other');
            assertApart(all, where);
        });
    });
});

// [sport, set piece, its shirt numbers, whether it stands by one touch line]
var SET_PIECES = [
    ['soccer', 'soccerCornerAttack', '1-11', true], ['soccer', 'soccerCornerDefence', '1-11', true],
    ['soccer', 'soccerWall', '1 4 5 6 8', false], ['soccer', 'soccerDefensiveLine', '1-7', false],
    ['rugby', 'rugbyLineout7', '1-9', true], ['rugby', 'rugbyLineout6', '1 2 3 4 5 6 8 9', true],
    ['rugby', 'rugbyLineout5', '1 2 3 4 5 6 9', true], ['rugby', 'rugbyScrum', '1-10', true],
    ['rugby', 'rugbyKickOffReceipt', '1-15', false], ['rugby', 'rugbyDefensiveLine', '1-7', false],
    ['gaa', 'gaaKickout', '1-15', false], ['gaa', 'gaaKickoutPress', '1-15', false], ['gaa', 'gaaDefensiveLine', '1-7', false]
];

// "1-9" as the numbers 1 to 9, "1 4 5" as those three.
function numbersOf(written) {
    var range = /^(\d+)-(\d+)$/.exec(written);
    if (!range) {
        return written.split(' ');
    }
    var list = [];
    for (var n = Number(range[1]); n <= Number(range[2]); n++) {
        list.push(String(n));
    }
    return list;
}

// A set piece chosen with the pointer: the set pieces' tab, the half (where offered), the touch line and the card.
function addSetPiece(half, side, color, piece) {
    openChooser();
    clickNode(inPicker('teamKindButton', function (b) { return b.kind === 'setPieces'; }), 20, 20);
    var halfTab = inPicker('teamHalfButton', function (b) { return b.half === half; });
    if (halfTab.visible()) {
        clickNode(halfTab, 20, 20);
    }
    clickNode(inPicker('teamSideButton', function (b) { return b.side === side; }), 20, 20);
    clickNode(inPicker('teamColorSwatch', function (s) { return s.color === color; }), 5, 5);
    clickNode(inPicker('teamFormationCard', function (c) { return c.formationId === piece; }), 10, 10);
    assert.ok(!pickerLayer(), 'a set piece chosen closes the chooser');
    return layer.itemGroups().filter(function (g) { return g.getProperties().col1 === color; });
}

function assertApart(team, where) {
    team.forEach(function (g, i) {
        var a = turnedBox(g);
        team.slice(i + 1).forEach(function (other) {
            var o = turnedBox(other);
            assert.ok(a.x1 <= o.x0 || o.x1 <= a.x0 || a.y1 <= o.y0 || o.y1 <= a.y0,
                where + g.getProperties().shortLabel + ' overlaps ' + other.getProperties().shortLabel);
        });
    });
}

function meanOf(team, key) {
    return team.reduce(function (sum, g) { return sum + g.getProperties()[key]; }, 0) / team.length;
}

test('each set piece of each code: its numbers, no overlaps, on the field, at the half and by the touch line chosen, ' +
    'a piece across the pitch the same by either, selected, one undo step', function () {
    SET_PIECES.forEach(function (row) {
        var bySide = {};
        [['left', 'top'], ['left', 'bottom'], ['right', 'top'], ['right', 'bottom']].forEach(function (choice) {
            var where = row[1] + ' on the ' + choice.join(' half by the ') + ' touch line: ';
            openInEditor(drillText({ sport: row[0] }));
            var steps = pageShell.history.length();
            var team = addSetPiece(choice[0], choice[1], 'yellow', row[1]);
            var props = team.map(function (g) { return g.getProperties(); });
            assert.deepEqual(props.map(function (p) { return p.shortLabel; }).sort(), numbersOf(row[2]).sort(), where + 'numbers');
            assertApart(team, where);
            var field = drawnRect(row[0] === 'rugby' ? 'tryLines' : 'outline');
            team.forEach(function (g) {
                var at = g.getPosAbs();
                assert.ok(at.x >= field.x0 && at.x <= field.x1 && at.y >= field.y0 && at.y <= field.y1,
                    where + g.getProperties().shortLabel + ' on the field');
            });
            // From its end of the pitch, most of it in its half (a press reaches the far goal).
            var xs = props.map(function (p) { return choice[0] === 'left' ? p.x : 1 - p.x; }).sort();
            assert.ok(xs[0] < 0.35 && xs[Math.floor(xs.length / 2)] < 0.5, where + 'at its end: ' + xs);
            var y = meanOf(team, 'y');
            if (row[3]) {
                // The thrower, the corner taker, the scrum-half at the put-in.
                var outer = props.map(function (p) { return p.y; }).sort(function (a, b) {
                    return Math.abs(b - 0.5) - Math.abs(a - 0.5);
                })[0];
                assert.ok(choice[1] === 'top' ? y < 0.5 && outer < 0.25 : y > 0.5 && outer > 0.75,
                    where + 'by its touch line: ' + [y, outer]);
            } else {
                var placed = JSON.stringify(props.map(function (p) { return [p.shortLabel, p.x, p.y, p.rotation]; }));
                assert.ok(!bySide[choice[0]] || bySide[choice[0]] === placed, where + 'the same by either touch line');
                bySide[choice[0]] = placed;
            }
            assert.deepEqual([layer.itemGroups().every(function (g) { return g.isSelected; }), pageShell.history.length()],
                [true, steps + 1], where + 'selected, one step');
            myDispatchEvent('undo', {});
            assert.equal(layer.itemGroups().length, 0, where + 'one undo takes it away');
        });
    });
});

test('on a view of one end or of a penalty area, turned or not, a set piece stands within the pitch shown, at its end, ' +
    'with no half to choose', function () {
    var VIEWS = { soccer: ['oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight'], rugby: ['oneEnd'],
        gaa: ['oneEnd', 'penaltyAreaRight'] };
    SET_PIECES.forEach(function (row, r) {
        VIEWS[row[0]].forEach(function (view) {
            var turn = r % 2 === 0 ? 0 : 90;
            var where = row[1] + ' on ' + view + ', turned ' + turn + ': ';
            openInEditor(drillText({ sport: row[0], rotation: turn, background: { type: view, showStripes: true, showLogo: false,
                logoImage: 'logos/ovri256x256.png' } }));
            var team = addSetPiece('right', 'bottom', 'red', row[1]);
            assert.equal(team.length, numbersOf(row[2]).length, where + 'whole');
            var field = drawnRect(row[0] === 'rugby' ? 'tryLines' : 'outline');
            team.forEach(function (g) {
                var at = g.getPosAbs();
                var b = turnedBox(g);
                assert.deepEqual([at.x >= field.x0 - 0.5 && at.x <= field.x1 + 0.5 && at.y >= field.y0 - 0.5 &&
                    at.y <= field.y1 + 0.5, b.x0 >= 0 && b.y0 >= 0 && b.x1 <= layer.layerWidth && b.y1 <= layer.layerHeight],
                    [true, true], where + 'player ' + g.getProperties().shortLabel + ' on the pitch shown');
            });
            openChooser();
            clickNode(inPicker('teamKindButton', function (b) { return b.kind === 'setPieces'; }), 20, 20);
            assert.deepEqual(pickerLayer().find('.teamHalfButton').toArray().map(function (b) { return b.visible(); }),
                [false, false], where + 'no half offered');
            clickNode(inPicker('teamKindButton', function (b) { return b.kind === 'teams'; }), 20, 20);
            assert.deepEqual(pickerLayer().find('.teamHalfButton').toArray().map(function (b) { return b.visible(); }),
                [true, true], where + 'halves again for a team');
            myDispatchEvent('escapePressed', {});
        });
    });
});

test('a defensive line holds 2 to 15, counted on its card, and the chooser offers the last count, touch line and kind again',
    function () {
        openInEditor(drillText({ sport: 'rugby', rotation: 90 }));
        openChooser();
        clickNode(inPicker('teamKindButton', function (b) { return b.kind === 'setPieces'; }), 20, 20);
        var sides = pickerLayer().find('.teamSideButton').toArray().sort(function (a, b) { return a.x() - b.x(); });
        assert.deepEqual(sides.map(function (t) { return t.label.text() + ':' + t.side; }), ['Left side:bottom', 'Right side:top'],
            'the touch lines named as they lie on the turned pitch');
        function card() { return inPicker('teamFormationCard', function (c) { return c.formationId === 'rugbyDefensiveLine'; }); }
        function press(by, times) {
            for (var i = 0; i < times; i++) {
                clickNode(card().find('.teamCountButton').toArray().filter(function (b) { return b.by === by; })[0], 12, 12);
            }
        }
        function label() { return card().find('Text').toArray().map(function (t) { return t.text(); }).join('|'); }
        press(-1, 8);
        assert.ok(/Defensive line of 2/.test(label()) && !!pickerLayer(), 'no fewer than 2, the chooser still open: ' + label());
        press(1, 20);
        assert.ok(/Defensive line of 15/.test(label()), 'no more than 15: ' + label());
        press(-1, 3);
        assert.equal(card().find('.teamPlayerDot').length, 12, 'the card shows the line it counts');
        clickNode(sides[0], 20, 20);
        clickNode(card(), 10, 10);
        var line = layer.itemGroups();
        assert.deepEqual(line.map(function (g) { return g.getProperties().shortLabel; }).sort(function (a, b) { return a - b; }),
            numbersOf('1-12'), 'twelve, numbered');
        assertApart(line, 'the line of 12: ');
        openChooser();
        assert.deepEqual([inPicker('teamKindButton', function (b) { return b.marked; }).kind,
            inPicker('teamSideButton', function (b) { return b.marked; }).side, /of 12/.test(label())], ['setPieces', 'bottom', true],
            'offered again');
        myDispatchEvent('escapePressed', {});
        assert.throws(function () { SetPieces.piece('rugbyDefensiveLine', 70, 16); }, /from 2 to 15/);
        assert.throws(function () { SetPieces.piece('hockeyCorner', 70); }, /no set piece/);
    });
