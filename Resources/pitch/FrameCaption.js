// The frame's caption along the top edge of the pitch as seen on screen. It
// must read whatever lies under it: it stands on a light backing, so the
// pitch's lines do not strike through it, and it is drawn over the items,
// so a player at the top of the pitch does not hide it. A long caption wraps
// onto a second line within the pitch's width, clear of its edges, and is
// set smaller rather than cut when two lines at its full size do not hold
// it; only a caption too long for two lines even then takes more, as does
// one its writer broke into more lines (at its full size).
//
// The caption stays the animation layer's first child, where the frame
// model's stacking indices expect it, and is drawn after the items all the
// same, in the editor and in every picture drawn of the layer.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'frameCaption';
    var TEXT_NAME = 'frameText';
    var BACKING_NAME = 'captionBacking';
    var FONT = 'Helvetica';
    var TEXT_FILL = 'black';
    var BACKING_FILL = 'white';
    var BACKING_OPACITY = 0.8;
    // In pixels at layer scale 1: from the pitch's edges to the backing,
    // and from the backing's edges to the text.
    var MARGIN = 4;
    var PADDING_X = 6;
    var PADDING_Y = 3;
    var CORNER_RADIUS = 4;
    var MAX_LINES = 2;
    // The smallest the font is made to keep to two lines, as a share of
    // its full size, and each step down on the way.
    var SMALLEST_SHARE = 0.5;
    var STEP_SHARE = 0.9;

    function linesOf(text) {
        return Math.round(text.height() / (text.fontSize() * text.lineHeight()));
    }

    // Draws the layer's children with the caption group last.
    function drawCaptionLast(layer, group) {
        var drawChildren = layer._drawChildren;
        layer._drawChildren = function (canvas, drawMethod, top) {
            if (drawMethod !== 'drawScene') {
                return drawChildren.call(layer, canvas, drawMethod, top);
            }
            var children = layer.children;
            var others = children.toArray().filter(function (node) {
                return node !== group;
            });
            if (others.length === children.length) {
                return drawChildren.call(layer, canvas, drawMethod, top);
            }
            layer.children = Kinetic.Collection.toCollection(others.concat([group]));
            try {
                return drawChildren.call(layer, canvas, drawMethod, top);
            } finally {
                layer.children = children;
            }
        };
    }

    // Adds the caption to `layer`, which must have no children yet, and
    // returns it: setText(text), place(placement, width, fontSize, scale)
    // once the layer's size or turn changes, and box(rotation). It shows no characters until
    // given some.
    function createFrameCaption(layer) {
        if (!layer || typeof layer.add !== 'function' || layer.getChildren().length !== 0) {
            throw new Error('createFrameCaption: a Kinetic layer without children is needed');
        }
        var group = new Kinetic.Group({ name: GROUP_NAME, listening: false });
        var backing = new Kinetic.Rect({
            name: BACKING_NAME,
            fill: BACKING_FILL,
            opacity: BACKING_OPACITY,
            listening: false
        });
        var text = new Kinetic.Text({
            name: TEXT_NAME,
            text: '',
            fontFamily: FONT,
            fontSize: 1,
            fill: TEXT_FILL,
            align: 'center',
            listening: false
        });
        window.drawOnlyWhenShown(text, window.drawOnlyWhenShown.ifCharacters);
        window.drawOnlyWhenShown(backing, function () {
            return window.drawOnlyWhenShown.ifCharacters(text);
        });
        group.add(backing);
        group.add(text);
        layer.add(group);
        drawCaptionLast(layer, group);

        // Kinetic measures and wraps a text again whenever its text, font
        // size or width is set, even to the value it has; playback sets the
        // caption on every tick, so a layout is made only when what it
        // depends on has changed.
        var laidOut = null;

        function layOut(width, fontSize, scale) {
            var key = [text.text(), width, fontSize, scale].join('|');
            if (key === laidOut) {
                return;
            }
            laidOut = key;
            var margin = MARGIN * scale;
            var padX = PADDING_X * scale;
            var padY = PADDING_Y * scale;
            text.position({ x: margin + padX, y: margin + padY });
            text.width(Math.max(0, width - 2 * (margin + padX)));
            // Lines the caption breaks itself are kept, whatever the size.
            var allowed = Math.max(MAX_LINES, text.text().split('\n').length);
            var size = fontSize;
            text.fontSize(size);
            while (linesOf(text) > allowed && size > fontSize * SMALLEST_SHARE) {
                size = Math.max(size * STEP_SHARE, fontSize * SMALLEST_SHARE);
                text.fontSize(size);
            }
            var backingWidth = text.getTextWidth() + 2 * padX;
            backing.position({ x: (width - backingWidth) / 2, y: margin });
            backing.size({ width: backingWidth, height: text.height() + 2 * padY });
            backing.cornerRadius(CORNER_RADIUS * scale);
        }

        var placed = { width: 0, fontSize: 1, scale: 1 };

        return {
            group: group,
            text: text,
            backing: backing,
            // The backing's box on screen, in layer pixels turned by the
            // layer's `rotation` (as the label layout sees the pitch): { x,
            // y, w, h }, or null while the caption has no characters.
            box: function (rotation) {
                if (text.text() === '') {
                    return null;
                }
                var t = group.getTransform();
                var x0 = backing.x();
                var y0 = backing.y();
                var corners = [[x0, y0], [x0 + backing.width(), y0], [x0, y0 + backing.height()],
                    [x0 + backing.width(), y0 + backing.height()]].map(function (c) {
                    return window.rotatePos(t.point({ x: c[0], y: c[1] }), rotation);
                });
                var xs = corners.map(function (p) { return p.x; });
                var ys = corners.map(function (p) { return p.y; });
                var left = Math.min.apply(null, xs);
                var top = Math.min.apply(null, ys);
                return { x: left, y: top, w: Math.max.apply(null, xs) - left, h: Math.max.apply(null, ys) - top };
            },
            setText: function (caption) {
                if (text.text() !== caption) {
                    text.text(caption);
                }
                layOut(placed.width, placed.fontSize, placed.scale);
            },
            // `placement`: the group's rotation and position on the layer,
            // which put its top left corner at the top left of the pitch as
            // seen on screen; `width`: the pitch's width on screen;
            // `fontSize`: the caption's full size; `scale`: the layer scale.
            // A picture that prints the caption beside itself leaves it off.
            show: function (shown) {
                group.visible(!!shown);
            },
            place: function (placement, width, fontSize, scale) {
                group.rotation(placement.rotation);
                group.position({ x: placement.x, y: placement.y });
                placed = { width: width, fontSize: fontSize, scale: scale };
                layOut(width, fontSize, scale);
            }
        };
    }

    window.createFrameCaption = createFrameCaption;
}(window, Kinetic));
