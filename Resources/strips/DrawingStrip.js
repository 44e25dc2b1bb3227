// The drawing strip: at the foot of the item picker's column, a button for
// each kind of drawing (pass, run, dribble, line, rectangle and ellipse
// zones), each showing what it draws, and a colour button showing the
// colour in hand. A kind's button raises chooseDrawingTool; the colour
// button raises nextDrawingColor. The button of the tool in hand looks
// pressed. Below them, for the drawing selected alone, the span buttons
// (changeDrawingSpan; with Shift they move its first frame) and a zone's
// fill strength (nextZoneFill), and for an arrow starting on an item the
// button that moves the item along it (moveAlongDrawing).
//
// Use: createDrawingStrip(layer, width, height) puts the strip on `layer`
// (the item picker's), at the foot of a column width x height.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'drawingStrip';
    var COLUMNS = 3;
    var SAMPLE_INSET = 0.22;
    var SAMPLE_SCALE = 0.9;
    var COLOR_BUTTON_NAME = 'drawingColorButton';
    var SPAN_FONT_SIZE = 12;
    var SPAN_FONT_FAMILY = 'Helvetica';
    var SPAN_TEXT_FILL = 'black';
    var SPAN_GLYPH_STROKE = 'black';
    var SPAN_GLYPH_WIDTH = 3;
    var SWATCH_STROKE = 'black';
    var FILL_GLYPH_COLOR = 'black';
    var FILL_BUTTON_NAME = 'zoneFillButton';
    // The glyph of a zone of no known strength (none selected).
    var FILL_GLYPH_IDLE = 0.3;
    var FOLLOW_BUTTON_NAME = 'followDrawingButton';
    var FOLLOW_DOT_FILL = 'red';

    var TOOLS = [
        { kind: 'pass', style: 'straight', tip: 'Draw a pass (dashed arrow); Escape to stop drawing' },
        { kind: 'run', style: 'straight', tip: 'Draw a run (solid arrow); Escape to stop drawing' },
        { kind: 'dribble', style: 'straight', tip: 'Draw a dribble (wavy arrow); Escape to stop drawing' },
        { kind: 'line', style: 'straight', tip: 'Draw a line; Escape to stop drawing' },
        { kind: 'zone', style: 'rectangle', tip: 'Shade a rectangular zone; Escape to stop drawing' },
        { kind: 'zone', style: 'ellipse', tip: 'Shade an oval zone; Escape to stop drawing' },
        { kind: 'note', style: 'plain', tip: 'Write a note on the pitch: click where it goes; Escape to stop' }
    ];
    var PAINT = {
        white: '#ffffff', yellow: '#ffe600', red: '#e01010', blue: '#1040e0', black: '#000000', orange: '#ff8c00'
    };

    function sampleOf(tool, side) {
        var lo = side * SAMPLE_INSET;
        var hi = side * (1 - SAMPLE_INSET);
        var points = tool.kind === 'zone' ? [{ x: lo, y: lo + side * 0.1 }, { x: hi, y: hi - side * 0.1 }] :
            tool.kind === 'note' ? [{ x: side / 2, y: side / 2 }] : [{ x: lo, y: hi }, { x: hi, y: lo }];
        return { kind: tool.kind, style: tool.style, color: 'black', fill: 0.3, rotation: 0, points: points,
            text: tool.kind === 'note' ? 'Aa' : '' };
    }

    function createDrawingStrip(layer, width, height) {
        var group = new Kinetic.Group({ name: GROUP_NAME });
        var side = width / COLUMNS;
        // The tools, then the colour, the two span buttons, the fill and
        // the follow button.
        var rows = Math.ceil((TOOLS.length + 5) / COLUMNS);
        var buttons = [];

        function place(index) {
            return { x: (index % COLUMNS) * side, y: Math.floor(index / COLUMNS) * side };
        }

        TOOLS.forEach(function (tool, i) {
            var at = place(i);
            var button = new window.Button(at.x, at.y, side, side, tool.kind + '-' + tool.style + 'Button');
            var sample = sampleOf(tool, side);
            button.group.add(new Kinetic.Shape({
                x: -side / 2,
                y: -side / 2,
                listening: false,
                sceneFunc: function (context) {
                    window.DrawingLayer.drawSample(context, sample, SAMPLE_SCALE);
                }
            }));
            button.setTooltip(tool.tip);
            button.group.on('click tap', function () {
                window.myDispatchEvent('chooseDrawingTool', { kind: tool.kind, style: tool.style });
            });
            button.tool = tool;
            buttons.push(button);
            group.add(button.group);
        });

        var colorAt = place(TOOLS.length);
        var colorButton = new window.Button(colorAt.x, colorAt.y, side, side, COLOR_BUTTON_NAME);
        var swatch = new Kinetic.Circle({ radius: side * 0.25, fill: PAINT.yellow, stroke: SWATCH_STROKE, strokeWidth: 1,
            listening: false });
        colorButton.group.add(swatch);
        colorButton.setTooltip('Colour of the drawings to come and of the selected drawing');
        colorButton.group.on('click tap', function () {
            window.myDispatchEvent('nextDrawingColor', {});
        });
        group.add(colorButton.group);

        // The selected drawing's span: a caption above the strip and two
        // buttons beside the colour, a frame more or a frame less.
        var spanText = new Kinetic.Text({ x: 0, y: -SPAN_FONT_SIZE - 4, width: width, align: 'center', text: '',
            fontSize: SPAN_FONT_SIZE, fontFamily: SPAN_FONT_FAMILY, fill: SPAN_TEXT_FILL, listening: false });
        group.add(spanText);
        var spanButtons = [[-1, 'Show the selected drawing in one frame fewer (Shift: from a frame later)'],
            [1, 'Show the selected drawing in the next frame too (Shift: from the frame before)']].map(function (entry, k) {
            var at = place(TOOLS.length + 1 + k);
            var button = new window.Button(at.x, at.y, side, side, (entry[0] > 0 ? 'longer' : 'shorter') + 'SpanButton');
            var arm = side * 0.18;
            button.group.add(new Kinetic.Line({ points: [-arm, 0, arm, 0], stroke: SPAN_GLYPH_STROKE,
                strokeWidth: SPAN_GLYPH_WIDTH, listening: false }));
            if (entry[0] > 0) {
                button.group.add(new Kinetic.Line({ points: [0, -arm, 0, arm], stroke: SPAN_GLYPH_STROKE,
                    strokeWidth: SPAN_GLYPH_WIDTH, listening: false }));
            }
            button.setTooltip(entry[1]);
            button.group.on('click tap', function (evt) {
                if (button.enabled) {
                    window.myDispatchEvent('changeDrawingSpan', { by: entry[0], atStart: !!(evt && evt.evt && evt.evt.shiftKey) });
                }
            });
            group.add(button.group);
            return button;
        });

        // The selected zone's fill strength: a square shaded as strongly.
        var fillAt = place(TOOLS.length + 3);
        var fillButton = new window.Button(fillAt.x, fillAt.y, side, side, FILL_BUTTON_NAME);
        var fillGlyph = new Kinetic.Rect({ x: -side * 0.25, y: -side * 0.25, width: side * 0.5, height: side * 0.5,
            fill: FILL_GLYPH_COLOR, opacity: FILL_GLYPH_IDLE, listening: false });
        fillButton.group.add(fillGlyph);
        fillButton.group.add(new Kinetic.Rect({ x: -side * 0.25, y: -side * 0.25, width: side * 0.5, height: side * 0.5,
            stroke: FILL_GLYPH_COLOR, strokeWidth: 1, listening: false }));
        fillButton.setTooltip('Fill of the selected zone: light, medium or strong');
        fillButton.group.on('click tap', function () {
            if (fillButton.enabled) {
                window.myDispatchEvent('nextZoneFill', {});
            }
        });
        group.add(fillButton.group);
        var followButton = addFollowButton(group, place(TOOLS.length + 4), side);
        layer.add(group);

        var strip = { group: group, buttons: buttons, colorButton: colorButton, spanButtons: spanButtons,
            spanText: spanText, fillButton: fillButton, followButton: followButton };

        // Whether the drawing selected alone is an arrow an item can follow.
        strip.showFollow = function (possible) {
            followButton.setEnabled(!!possible);
            layer.batchDraw();
        };

        // `fill`: the fill of the zone selected alone (0 to 1), or null.
        strip.showFill = function (fill) {
            fillButton.setEnabled(fill !== null && fill !== undefined);
            fillGlyph.opacity(fillButton.enabled ? fill : FILL_GLYPH_IDLE);
            layer.batchDraw();
        };

        // `span`: { first, last } of the selected drawing (from 0), or null
        // when none is selected.
        strip.showSpan = function (span) {
            spanText.text(!span ? '' : span.first === span.last ? 'Frame ' + (span.first + 1) :
                'Frames ' + (span.first + 1) + '\u2013' + (span.last + 1));
            spanButtons.forEach(function (button) {
                button.setEnabled(!!span);
            });
            layer.batchDraw();
        };

        // At the foot of a column `height` high.
        strip.place = function (columnHeight) {
            group.y(Math.max(0, columnHeight - rows * side));
        };

        // `tool`: { kind, style } in hand, or null.
        strip.showTool = function (tool) {
            buttons.forEach(function (button) {
                button.setPressed(!!tool && button.tool.kind === tool.kind && button.tool.style === tool.style);
            });
        };

        strip.showColor = function (color) {
            swatch.fill(PAINT[color]);
            layer.batchDraw();
        };

        strip.place(height);
        strip.showSpan(null);
        strip.showFill(null);
        strip.showFollow(false);
        return strip;
    }

    // "Move along this line": a player's dot at the start of a bent arrow.
    function addFollowButton(group, at, side) {
        var button = new window.Button(at.x, at.y, side, side, FOLLOW_BUTTON_NAME);
        var r = side * 0.3;
        button.group.add(new Kinetic.Line({ points: [-r, r * 0.6, -r * 0.2, -r * 0.7, r * 0.8, -r * 0.4],
            tension: 0.5, stroke: SPAN_GLYPH_STROKE, strokeWidth: 2, listening: false }));
        button.group.add(new Kinetic.RegularPolygon({ x: r * 0.8, y: -r * 0.4, sides: 3, radius: r * 0.28,
            rotation: 105, fill: SPAN_GLYPH_STROKE, listening: false }));
        button.group.add(new Kinetic.Circle({ x: -r, y: r * 0.6, radius: r * 0.3, fill: FOLLOW_DOT_FILL,
            stroke: SPAN_GLYPH_STROKE, strokeWidth: 1, listening: false }));
        button.setTooltip('Move along this line: the player at the start of the selected arrow runs it to the next frame');
        button.group.on('click tap', function () {
            if (button.enabled) {
                window.myDispatchEvent('moveAlongDrawing', {});
            }
        });
        group.add(button.group);
        return button;
    }

    window.createDrawingStrip = createDrawingStrip;
}(window, Kinetic));
