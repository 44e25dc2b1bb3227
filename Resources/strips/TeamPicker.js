// The overlay that adds a whole team or a set piece: it darkens the
// animation stage and shows, along its top, whether teams or set pieces are
// offered, the two halves of the pitch (named as they lie on screen, the
// pitch turned or not), for set pieces the two touch lines, and the kit
// colours; below them a card for every team shape or set piece of the
// sport, drawn on a small pitch in the chosen kit where it will stand (a
// defensive line with its count to change). Choosing a card raises addTeam
// and closes the overlay; a click on the darkened area or the page event
// closeOverlays (Escape) closes it with nothing added. While it is open the
// page shell keeps every other layer deaf. The choices last made are
// offered again the next time.
(function (window, document, Kinetic) {
    'use strict';

    var LAYER_NAME = 'teamPickerLayer';
    var SHADE_NAME = 'teamPickerShade';
    var HALF_BUTTON_NAME = 'teamHalfButton';
    var KIND_BUTTON_NAME = 'teamKindButton';
    var SIDE_BUTTON_NAME = 'teamSideButton';
    var COUNT_BUTTON_NAME = 'teamCountButton';
    var SWATCH_NAME = 'teamColorSwatch';
    var CARD_NAME = 'teamFormationCard';
    var DOT_NAME = 'teamPlayerDot';
    var SHADE_FILL = 'black';
    var SHADE_OPACITY = 0.7;
    var ANIM_LAYER_SELECTOR = '.animLayer';

    var FONT = 'Helvetica';
    var TEXT_FILL = 'white';
    var MARK_FILL = 'rgb(214,219,233)';
    var MARKED_TEXT_FILL = 'black';
    var FRAME_STROKE = 'white';
    var OUTLINE = 'black';

    // The halves row and the colours row each take this share of the
    // stage's height; the cards share what is left below them.
    var ROW_FRACTION = 1 / 10;
    var MAX_COLUMNS = 4;
    var MARGIN_FRACTION = 1 / 20;
    var CARD_FILL = 'green';
    var CARD_LINE = 'white';
    var DOT_FRACTION = 1 / 55;
    var ASPECT_RATIO = 4 / 3;
    var FULL_VIEW = 'fullField';

    var remembered = { half: 'left', color: null, kind: 'teams', side: 'top', count: window.SetPieces.lineCounts.first };
    var KINDS = [{ kind: 'teams', label: 'Teams' }, { kind: 'setPieces', label: 'Set pieces' }];

    // Where the left half of `placement` (TeamPlacement.js) lies on
    // screen, for a pitch turned by `rotation` degrees; the right half lies
    // opposite.
    var SIDE_NAMES = { left: 'Left half', right: 'Right half', top: 'Top half', bottom: 'Bottom half' };
    var TOUCH_NAMES = { left: 'Left side', right: 'Right side', top: 'Top side', bottom: 'Bottom side' };
    var OPPOSITE = { left: 'right', right: 'left', top: 'bottom', bottom: 'top' };

    function screenSideOfLeftHalf(rotation, placement) {
        return screenSide(window.rotatePos(placement.leftHalfDirection(), rotation));
    }

    function screenSide(d) {
        if (Math.abs(d.x) >= Math.abs(d.y)) {
            return d.x < 0 ? 'left' : 'right';
        }
        return d.y < 0 ? 'top' : 'bottom';
    }

    // The halves as buttons show them: the one on the left or at the top
    // first.
    function halfChoices(rotation, placement) {
        var leftSide = screenSideOfLeftHalf(rotation, placement);
        var choices = [
            { half: 'left', label: SIDE_NAMES[leftSide] },
            { half: 'right', label: SIDE_NAMES[OPPOSITE[leftSide]] }
        ];
        return leftSide === 'left' || leftSide === 'top' ? choices : choices.reverse();
    }

    // The touch lines as buttons show them, as the halves are.
    function sideChoices(rotation, placement) {
        var topSide = screenSide(window.rotatePos(placement.topSideDirection(), rotation));
        var choices = [
            { side: 'top', label: TOUCH_NAMES[topSide] },
            { side: 'bottom', label: TOUCH_NAMES[OPPOSITE[topSide]] }
        ];
        return topSide === 'left' || topSide === 'top' ? choices : choices.reverse();
    }

    function pitchRotationOf(stage) {
        var found = stage.find(ANIM_LAYER_SELECTOR);
        return found.length > 0 ? found[0].rotation() : 0;
    }

    // One framed label, as the background picker's sport tabs are.
    function tab(name, x, y, w, h, text) {
        var inset = h / 8;
        var button = new Kinetic.Group({ name: name, x: x, y: y });
        button.mark = new Kinetic.Rect({
            x: inset, y: inset, width: w - 2 * inset, height: h - 2 * inset,
            fill: SHADE_FILL, stroke: FRAME_STROKE, strokeWidth: 1, cornerRadius: inset
        });
        button.add(button.mark);
        button.label = new Kinetic.Text({
            x: 0, width: w, text: text, align: 'center', fontFamily: FONT, wrap: 'none',
            fontSize: Math.max(8, h * 0.4), fill: TEXT_FILL, listening: false
        });
        // A label longer than a narrow tab is set smaller to fit it.
        var room = w - 3 * inset;
        if (button.label.getTextWidth() > room) {
            button.label.fontSize(button.label.fontSize() * room / button.label.getTextWidth());
        }
        button.label.y((h - button.label.height()) / 2);
        button.add(button.label);
        return button;
    }

    function markTab(button, marked) {
        button.mark.fill(marked ? MARK_FILL : SHADE_FILL);
        button.label.fill(marked ? MARKED_TEXT_FILL : TEXT_FILL);
        button.marked = marked;
    }

    // Card size and gaps for `n` cards in a space of width x height.
    function cardLayout(n, width, height) {
        var columns = Math.max(1, Math.min(MAX_COLUMNS, n));
        var rows = Math.max(1, Math.ceil(n / columns));
        var margin = height * MARGIN_FRACTION;
        var w = (width - (columns + 1) * margin) / columns;
        var h = (height - (rows + 1) * margin) / rows;
        return { columns: columns, w: w, h: h, margin: margin, labelHeight: Math.min(h * 0.18, 28) };
    }

    // A small frame as large as fits w x h, turned as the real one is, with
    // the line between the halves and the team on it as the view shows them.
    function drawTeam(card, w, h, formation, choice, look) {
        var rotation = look.rotation;
        var turned = Math.abs(rotation % 180) === 90;
        var size = window.calcWidthAndHeight(w, h, turned, ASPECT_RATIO);
        var pw = size[0];
        var ph = size[1];
        var pitch = new Kinetic.Group({
            x: w / 2, y: h / 2, offsetX: pw / 2, offsetY: ph / 2, rotation: rotation, listening: false
        });
        pitch.add(new Kinetic.Rect({ width: pw, height: ph, fill: CARD_FILL, stroke: CARD_LINE, strokeWidth: 1 }));
        var halves = look.placement.halvesLine();
        pitch.add(new Kinetic.Line({
            points: [halves[0].x * pw, halves[0].y * ph, halves[1].x * pw, halves[1].y * ph],
            stroke: CARD_LINE, strokeWidth: 1
        }));
        playersOf(look.placement, formation, choice).forEach(function (player) {
            pitch.add(new Kinetic.Circle({
                name: DOT_NAME, x: player.x * pw, y: player.y * ph, radius: Math.max(2, pw * DOT_FRACTION),
                fill: choice.color, stroke: OUTLINE, strokeWidth: 1
            }));
        });
        card.add(pitch);
    }

    // The players of `formation` (a team shape, or a set piece) as
    // `choice` places them.
    function playersOf(placement, formation, choice) {
        if (window.SetPieces.isSetPiece(formation.id)) {
            return placement.placeSetPiece(formation.id, choice.half, choice.side, choice.count);
        }
        return placement.place(formation.id, choice.half);
    }

    // What the chooser starts with: the choices last made, where this
    // sport and kit allow them.
    function firstChoice(colors, options, sport) {
        var kind = remembered.kind === 'setPieces' && window.SetPieces.forSport(sport).length > 0 ? 'setPieces' : 'teams';
        return {
            kind: kind,
            half: remembered.half,
            side: remembered.side,
            count: remembered.count,
            color: colors.indexOf(remembered.color) !== -1 ? remembered.color :
                (colors.indexOf(options.color) !== -1 ? options.color : colors[0])
        };
    }

    // `options`: `colors`, the kit colours offered (a player's); `color`,
    // the kit to offer first when none was chosen before; `view`, the
    // pitch's view (a full pitch when not given).
    function TeamPicker(stage, sport, options) {
        if (!stage || stage.nodeType !== 'Stage') {
            throw new Error('TeamPicker: a Kinetic stage is needed');
        }
        var offered = { teams: window.Formations.forSport(sport), setPieces: window.SetPieces.forSport(sport) };
        if (offered.teams.length === 0) {
            throw new Error('TeamPicker: no team shapes for the sport ' + JSON.stringify(sport));
        }
        var colors = (options && options.colors) || [];
        if (colors.length === 0) {
            throw new Error('TeamPicker: no kit colours to offer');
        }
        if (stage.find('.' + LAYER_NAME).length > 0) {
            return;
        }
        var choice = firstChoice(colors, options, sport);

        window.myDispatchEvent('disableControls', {});

        var width = stage.width();
        var height = stage.height();
        var rowHeight = height * ROW_FRACTION;
        var rotation = pitchRotationOf(stage);
        var look = {
            rotation: rotation,
            placement: new window.TeamPlacement(sport, options.view || FULL_VIEW, ASPECT_RATIO)
        };
        var layer = new Kinetic.Layer({ name: LAYER_NAME });
        stage.add(layer);
        var shade = new Kinetic.Rect({
            name: SHADE_NAME, x: 0, y: 0, width: width, height: height, fill: SHADE_FILL, opacity: SHADE_OPACITY
        });
        layer.add(shade);
        var cards = new Kinetic.Group({ y: 2 * rowHeight });
        layer.add(cards);

        var closed = false;
        function close() {
            var open = !closed && !!layer.getStage();
            closed = true;
            document.removeEventListener('closeOverlays', close, false);
            if (open) {
                window.myDispatchEvent('enableControls', {});
                layer.destroy();
            }
        }

        function show() {
            var setPieces = choice.kind === 'setPieces';
            markTabs(layer, KIND_BUTTON_NAME, 'kind', choice.kind, true);
            // On a view of one end a set piece stands at that end: no half to choose.
            markTabs(layer, HALF_BUTTON_NAME, 'half', choice.half, !setPieces || look.placement.geometry.full);
            markTabs(layer, SIDE_BUTTON_NAME, 'side', choice.side, setPieces);
            layer.find('.' + SWATCH_NAME).each(function (swatch) {
                var marked = swatch.color === choice.color;
                swatch.stroke(marked ? FRAME_STROKE : OUTLINE);
                swatch.strokeWidth(marked ? Math.max(3, rowHeight / 12) : 1);
                swatch.marked = marked;
            });
            cards.destroyChildren();
            var shown = offered[choice.kind];
            addCards(cards, shown, cardLayout(shown.length, width, height - 2 * rowHeight), choice, look, {
                choose: choose,
                count: function (by) {
                    var counts = window.SetPieces.lineCounts;
                    choice.count = Math.max(counts.least, Math.min(counts.most, choice.count + by));
                    show();
                }
            });
            // At once, so that the hit graph is ready for the very next click.
            layer.draw();
        }

        function choose(formation) {
            if (closed) {
                return;
            }
            ['half', 'color', 'kind', 'side', 'count'].forEach(function (key) {
                remembered[key] = choice[key];
            });
            // Closed first: whatever becomes of the team, the overlay must
            // not stay over the editor.
            close();
            var detail = { formation: formation.id, color: choice.color, half: choice.half };
            if (choice.kind === 'setPieces') {
                detail.side = choice.side;
                detail.count = choice.count;
            }
            window.myDispatchEvent('addTeam', detail);
        }

        function pick(key) {
            return function (value) {
                choice[key] = value;
                show();
            };
        }
        var quarter = width / 4;
        addTabs(layer, HALF_BUTTON_NAME, 'half', halfChoices(rotation, look.placement), width / 4, quarter, rowHeight,
            pick('half'));
        if (offered.setPieces.length > 0) {
            addTabs(layer, KIND_BUTTON_NAME, 'kind', KINDS, 0, quarter / 2, rowHeight, pick('kind'));
            addTabs(layer, SIDE_BUTTON_NAME, 'side', sideChoices(rotation, look.placement), 3 * quarter, quarter / 2,
                rowHeight, pick('side'));
        }
        addSwatches(layer, colors, width, rowHeight, pick('color'));
        shade.on('click tap', function () {
            close();
        });
        document.addEventListener('closeOverlays', close, false);
        show();
    }

    // A row of tabs from `left`, each `w` wide, for the `entries` (each
    // with its value under `key` and a label).
    function addTabs(layer, name, key, entries, left, w, rowHeight, onPick) {
        entries.forEach(function (entry, index) {
            var button = tab(name, left + index * w, 0, w, rowHeight, entry.label);
            button[key] = entry[key];
            button.on('click tap', function () {
                onPick(entry[key]);
            });
            layer.add(button);
        });
    }

    // The tabs named `name` shown or not, the one whose `key` is `value`
    // marked.
    function markTabs(layer, name, key, value, shown) {
        layer.find('.' + name).each(function (button) {
            markTab(button, button[key] === value);
            button.visible(shown);
        });
    }

    function addSwatches(layer, colors, width, rowHeight, onPick) {
        var side = rowHeight * 0.6;
        var gap = side / 2;
        var left = (width - colors.length * side - (colors.length - 1) * gap) / 2;
        colors.forEach(function (color, i) {
            var swatch = new Kinetic.Rect({
                name: SWATCH_NAME, x: left + i * (side + gap), y: rowHeight + (rowHeight - side) / 2,
                width: side, height: side, fill: color, stroke: OUTLINE, strokeWidth: 1
            });
            swatch.color = color;
            swatch.on('click tap', function () {
                onPick(color);
            });
            layer.add(swatch);
        });
    }

    // `handlers`: `choose(formation)` for a click on a card, `count(by)`
    // for one on a counted piece's - or +.
    function addCards(group, formations, layout, choice, look, handlers) {
        formations.forEach(function (formation, index) {
            var column = index % layout.columns;
            var row = Math.floor(index / layout.columns);
            var card = new Kinetic.Group({
                name: CARD_NAME,
                x: layout.margin + column * (layout.w + layout.margin),
                y: layout.margin + row * (layout.h + layout.margin)
            });
            card.formationId = formation.id;
            // The card's whole area takes the click, its pictures none.
            card.add(new Kinetic.Rect({
                width: layout.w, height: layout.h, fill: SHADE_FILL, stroke: FRAME_STROKE, strokeWidth: 1,
                cornerRadius: layout.margin / 4
            }));
            var pad = layout.margin / 2;
            var pitchArea = new Kinetic.Group({ x: pad, y: pad, listening: false });
            drawTeam(pitchArea, layout.w - 2 * pad, layout.h - layout.labelHeight - 2 * pad, formation,
                choice, look);
            card.add(pitchArea);
            var labelY = layout.h - layout.labelHeight - pad / 2;
            card.add(new Kinetic.Text({
                x: 0, y: labelY, width: layout.w, text: formation.counted ? formation.name + ' of ' + choice.count :
                    formation.name,
                align: 'center', fontFamily: FONT, fontSize: Math.max(8, layout.labelHeight * 0.7),
                fill: TEXT_FILL, listening: false
            }));
            if (formation.counted) {
                addCountButtons(card, layout, labelY, handlers.count);
            }
            card.on('click tap', function () {
                handlers.choose(formation);
            });
            group.add(card);
        });
    }

    // A - at the label's left and a + at its right; a click on either
    // changes the count, and does not choose the card.
    function addCountButtons(card, layout, labelY, onCount) {
        var side = layout.labelHeight;
        [[-1, '\u2212', layout.margin / 2], [1, '+', layout.w - layout.margin / 2 - side]].forEach(function (b) {
            var button = tab(COUNT_BUTTON_NAME, b[2], labelY, side, side, b[1]);
            button.by = b[0];
            button.on('click tap', function (evt) {
                evt.cancelBubble = true;
                onCount(b[0]);
            });
            card.add(button);
        });
    }

    window.TeamPicker = TeamPicker;
}(window, document, Kinetic));
