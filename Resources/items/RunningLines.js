// An item's running lines: where it came from in the previous frame, where it
// goes in the next one and where it goes after that, each segment with a
// solid arrow head half-way along it. The shape is a child of the field item
// group, which sits at the layer's origin, so every point is in layer pixels;
// the animation layer draws it before every item (drawnBeneathItems), so
// that no line crosses over another player.
//
// A player's lines are drawn in the colour of its kit (its first colour), a
// ball's in a dark dashed line; each line lies on an outline that sets it off
// from the grass, its stripes and white paper: a light outline under a dark
// or strong colour, a dark one under a light colour such as white or yellow,
// which a light outline would swallow.
(function (window, document, Kinetic) {
    'use strict';

    var SHAPE_NAME = 'runningLines';
    var SEGMENT_COUNT = 3;
    // Per unit of layer scale (a 512-pixel-wide pitch), with a floor so that
    // lines on a small pitch still read.
    var LINE_WIDTH = 1;
    var MIN_LINE_WIDTH = 1.5;
    // The outline shows this much either side of the line: half the line's
    // width, never under a pixel.
    var OUTLINE_SHARE = 0.5;
    var MIN_OUTLINE = 1;
    // An arrow head is a solid triangle on the line, its tip half-way
    // along; its length per unit of layer scale, never more than a third of
    // its segment, and its half-width a share of its length. A head shorter
    // than a few line widths is left out: it would read as a blot.
    var HEAD_LENGTH = 9;
    var HEAD_SHARE = 1 / 3;
    var MIN_HEAD_IN_WIDTHS = 4;
    var HEAD_HALF_WIDTH = 0.5;
    var DASH_LENGTH = 10;
    var GAP_LENGTH = 10;
    var NO_HEAD = [];
    var NO_DASH = [];

    var DARK_STROKE = 'black';
    var LIGHT_OUTLINE = '#e6efe6';
    var DARK_OUTLINE = '#333333';
    // Relative luminance above which a colour counts as light: white, yellow
    // and lime lie above it, orange and every darker kit below.
    var LIGHT_LUMINANCE = 0.5;

    var DARK_LOOK = { stroke: DARK_STROKE, outline: LIGHT_OUTLINE };
    var looks = Object.create(null);
    var colourReader = null;

    function linearChannel(hex) {
        var c = parseInt(hex, 16) / 255;
        return c <= 0.03928 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4);
    }

    // What the canvas makes of a colour name, tried over `before`: a name
    // it does not take leaves `before` in place.
    function readColour(colourName, before) {
        colourReader.fillStyle = before;
        colourReader.fillStyle = colourName;
        return colourReader.fillStyle;
    }

    // The stroke and outline for a colour name, worked out once per name by
    // letting the canvas read it. A name the canvas does not take as an
    // opaque colour (a stored name that is no colour, "transparent") gets
    // the dark look, so that the lines still show.
    function lookOf(colourName) {
        var look = looks[colourName];
        if (look) {
            return look;
        }
        colourReader = colourReader || document.createElement('canvas').getContext('2d');
        var read = readColour(String(colourName), '#000000');
        var rgb = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(read);
        if (!rgb || read !== readColour(String(colourName), '#ffffff')) {
            look = DARK_LOOK;
        } else {
            var luminance = 0.2126 * linearChannel(rgb[1]) + 0.7152 * linearChannel(rgb[2]) +
                0.0722 * linearChannel(rgb[3]);
            look = { stroke: read, outline: luminance > LIGHT_LUMINANCE ? DARK_OUTLINE : LIGHT_OUTLINE };
        }
        looks[colourName] = look;
        return look;
    }

    // The control point that puts a curve from a to b through `bend` at
    // its middle, as the item's step runs (FrameManager.bends.js).
    function controlOf(a, b, bend) {
        return { x: 2 * bend.x - (a.x + b.x) / 2, y: 2 * bend.y - (a.y + b.y) / 2 };
    }

    function traceSegments(lines, context) {
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            if (lines.shown[i]) {
                var a = lines.ends[i];
                var b = lines.ends[i + 1];
                context.moveTo(a.x, a.y);
                if (lines.bends[i]) {
                    var c = controlOf(a, b, lines.bends[i]);
                    context.quadraticCurveTo(c.x, c.y, b.x, b.y);
                } else {
                    context.lineTo(b.x, b.y);
                }
            }
        }
    }

    // The triangle of each head, grown by `margin` all round (its outline)
    // about the point inside it that lies as far from all three sides.
    function traceHeads(lines, context, margin) {
        var traced = false;
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            var head = lines.heads[i];
            if (head.length) {
                var grown = grownTriangle(head, margin);
                context.moveTo(grown[0], grown[1]);
                context.lineTo(grown[2], grown[3]);
                context.lineTo(grown[4], grown[5]);
                context.closePath();
                traced = true;
            }
        }
        return traced;
    }

    function grownTriangle(t, margin) {
        if (!(margin > 0)) {
            return t;
        }
        var a = window.distance(t[2], t[3], t[4], t[5]);
        var b = window.distance(t[0], t[1], t[4], t[5]);
        var c = window.distance(t[0], t[1], t[2], t[3]);
        var sum = a + b + c;
        var ix = (a * t[0] + b * t[2] + c * t[4]) / sum;
        var iy = (a * t[1] + b * t[3] + c * t[5]) / sum;
        var area = Math.abs((t[2] - t[0]) * (t[5] - t[1]) - (t[4] - t[0]) * (t[3] - t[1])) / 2;
        var k = 1 + margin / (2 * area / sum);
        return [ix + k * (t[0] - ix), iy + k * (t[1] - iy), ix + k * (t[2] - ix), iy + k * (t[3] - iy),
            ix + k * (t[4] - ix), iy + k * (t[5] - iy)];
    }

    // One pass of every segment and head in one colour and width: a path
    // for the segments, stroked, and one for the heads, filled (never
    // dashed), grown by half the width beyond the line's own. Lines
    // wider than a pixel cost the engine much more to stroke than hairlines,
    // and more again with round ends or a see-through colour, so the ends
    // are square-cut and both colours opaque.
    function strokePass(lines, context, colour, width) {
        context.setAttr('strokeStyle', colour);
        context.setAttr('lineWidth', width);
        context.beginPath();
        traceSegments(lines, context);
        if (lines.isDashed) {
            context.setLineDash(lines.dash);
            context.stroke();
            context.setLineDash(NO_DASH);
        } else {
            context.stroke();
        }
        context.beginPath();
        if (traceHeads(lines, context, (width - lines.lineWidth) / 2)) {
            context.setAttr('fillStyle', colour);
            context.fill();
        }
    }

    // One shape draws every segment and head: a frame load sets lines for
    // every item, and a node for each line and head cost more to make than
    // to draw. The outlines go down first, all of them, so that no outline
    // cuts across a line where segments meet or a head crosses its segment.
    function drawSegments(lines, context) {
        if (!lines.shown[0] && !lines.shown[1] && !lines.shown[2]) {
            return;
        }
        var look = lines.look();
        strokePass(lines, context, look.outline, lines.outlineWidth);
        strokePass(lines, context, look.stroke, lines.lineWidth);
    }

    function RunningLines(pos, isDashed, layerScale) {
        if (!pos || typeof pos.x !== 'number' || typeof pos.y !== 'number') {
            throw new Error('RunningLines: a start position {x, y} is needed');
        }
        var self = this;
        this.isDashed = !!isDashed;
        // Counts the changes of the lines' places and sizes, for the bitmap
        // playback draws them from (drawFromBitmap).
        this.version = 0;
        this.fromBitmap = false;
        this.bitmap = new window.ShapeBitmap(function (context) {
            drawSegments(self, context);
        });
        // The lines cross the pitch and other items: a press on them must
        // reach the item beneath (to select or drag it) or the background
        // (to start a selection rectangle).
        this.shape = new Kinetic.Shape({
            name: SHAPE_NAME,
            listening: false,
            sceneFunc: function (context) {
                if (self.fromBitmap) {
                    self.bitmap.draw(context, self.shape, self.bitmapLook(), function () { return self.bounds(); });
                } else {
                    drawSegments(self, context);
                }
            }
        });
        window.drawHeldFirst(this.shape, function (canvas) {
            return self.fromBitmap && self.bitmap.drawHeld(canvas, self.shape, self.bitmapLook());
        });
        // The toolbar's toggle hides lines by making them transparent.
        window.drawOnlyWhenShown(this.shape, window.drawOnlyWhenShown.ifOpaque);
        window.drawnBeneathItems(this.shape);
        // The four points the segments join, kept whether drawn or not; the
        // flag and head of each segment, worked out only while it is shown.
        this.ends = [pos, pos, pos, pos];
        // Where a curved step passes half-way, or null for a straight one.
        this.bends = [null, null, null];
        this.shown = [false, false, false];
        this.heads = [NO_HEAD, NO_HEAD, NO_HEAD];
        this.setScale(layerScale);
    }

    // The colours the lines are drawn in now: a ball's are dark; an item's
    // follow its first colour, read at each draw so that a new colour shows
    // at once. Lines not (yet) in a field item group are dark.
    RunningLines.prototype.look = function () {
        var itemGroup = this.shape.getParent();
        if (this.isDashed || !itemGroup || typeof itemGroup.getFieldItem !== 'function') {
            return DARK_LOOK;
        }
        return lookOf(itemGroup.getFieldItem().col1);
    };

    // What the bitmap of the lines shows (drawFromBitmap).
    RunningLines.prototype.bitmapLook = function () {
        var look = this.look();
        return [this.version, look.stroke, look.outline];
    };

    // The head of the segment p0 -> p1: a triangle with its tip at the
    // midpoint, its base a head's length back along the segment, as long as
    // headLen but no longer than a third of the segment: [base corner, tip,
    // base corner]. A segment too short for a head of minHeadLen gets none.
    // On a curved segment the tip is where the curve passes half-way, where
    // the curve runs parallel to its chord.
    RunningLines.prototype.generateArrowPoints = function (pos0, pos1, middle) {
        var len = Math.min(this.headLen,
            HEAD_SHARE * window.distance(pos0.x, pos0.y, pos1.x, pos1.y));
        if (!(len >= this.minHeadLen)) {
            return [];
        }
        var mx = middle ? middle.x : (pos0.x + pos1.x) / 2;
        var my = middle ? middle.y : (pos0.y + pos1.y) / 2;
        var theta = Math.atan2(pos1.y - pos0.y, pos1.x - pos0.x);
        var ux = Math.cos(theta);
        var uy = Math.sin(theta);
        var half = HEAD_HALF_WIDTH * len;
        var bx = mx - len * ux;
        var by = my - len * uy;
        return [bx + half * uy, by - half * ux, mx, my, bx - half * uy, by + half * ux];
    };

    RunningLines.prototype.placeSegment = function (index) {
        this.heads[index] = this.shown[index] ?
            this.generateArrowPoints(this.ends[index], this.ends[index + 1], this.bends[index]) : NO_HEAD;
        this.version += 1;
    };

    // A box holding every segment and head shown, with the outline's
    // width all round (square ends reach out by half of it).
    RunningLines.prototype.bounds = function () {
        var xs = [];
        var ys = [];
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            if (this.shown[i]) {
                xs.push(this.ends[i].x, this.ends[i + 1].x);
                ys.push(this.ends[i].y, this.ends[i + 1].y);
                if (this.bends[i]) {
                    // A curve lies within its ends and control point.
                    var c = controlOf(this.ends[i], this.ends[i + 1], this.bends[i]);
                    xs.push(c.x);
                    ys.push(c.y);
                }
                for (var k = 0; k < this.heads[i].length; k += 2) {
                    xs.push(this.heads[i][k]);
                    ys.push(this.heads[i][k + 1]);
                }
            }
        }
        if (xs.length === 0) {
            return { x: 0, y: 0, width: 0, height: 0 };
        }
        var reach = this.outlineWidth + 1;
        var left = Math.min.apply(null, xs) - reach;
        var top = Math.min.apply(null, ys) - reach;
        return { x: left, y: top, width: Math.max.apply(null, xs) + reach - left,
            height: Math.max.apply(null, ys) + reach - top };
    };

    // While playing, the lines stand still from one frame to the next and
    // are drawn from a bitmap of themselves (ShapeBitmap.js).
    RunningLines.prototype.drawFromBitmap = function (on) {
        this.fromBitmap = !!on;
        if (!this.fromBitmap) {
            this.bitmap.drop();
        }
    };

    // Segment `index` as it is drawn: its two ends and its head's points
    // (none when too short), or null while it is not shown.
    RunningLines.prototype.segment = function (index) {
        if (!this.shown[index]) {
            return null;
        }
        var from = this.ends[index];
        var to = this.ends[index + 1];
        return { points: [from.x, from.y, to.x, to.y], head: this.heads[index].slice() };
    };

    // pos1 is where the item is in the frame on show; pos0 where it was in
    // the previous frame, pos2 and pos3 where it will be in the next two.
    // `visibility` has one flag per segment; `doShow` is the toolbar toggle.
    // `bends`: for each segment, where its curve passes half-way (layer
    // pixels), or null; set before setLines, which places the segments.
    RunningLines.prototype.setBends = function (bends) {
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            this.bends[i] = (bends && bends[i]) || null;
        }
    };

    RunningLines.prototype.setLines = function (pos0, pos1, pos2, pos3, visibility, doShow) {
        if (!visibility || visibility.length !== SEGMENT_COUNT) {
            throw new Error('RunningLines.setLines: visibility needs exactly ' +
                SEGMENT_COUNT + ' flags');
        }
        this.ends = [pos0, pos1, pos2, pos3];
        var allowed = this.itemHasRunningLines();
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            this.shown[i] = allowed && !!visibility[i];
            this.placeSegment(i);
        }
        this.showLines(doShow);
    };

    // While the item is dragged: the current position is the end of the
    // incoming segment and the start of the outgoing one.
    RunningLines.prototype.updateLinePos = function (pos) {
        this.ends[1] = pos;
        this.placeSegment(0);
        this.placeSegment(1);
    };

    // The toolbar toggle only makes lines transparent, so turning it back
    // on needs no recomputation.
    RunningLines.prototype.showLines = function (doShow) {
        this.shape.opacity(doShow ? 1 : 0);
    };

    // Heads already drawn keep their size until the lines are next set.
    RunningLines.prototype.setScale = function (layerScale) {
        if (typeof layerScale !== 'number' || !(layerScale > 0)) {
            throw new Error('RunningLines.setScale: the layer scale must be a positive number');
        }
        this.version += 1;
        this.lineWidth = Math.max(MIN_LINE_WIDTH, LINE_WIDTH * layerScale);
        this.outlineWidth = this.lineWidth + 2 * Math.max(MIN_OUTLINE, OUTLINE_SHARE * this.lineWidth);
        this.headLen = HEAD_LENGTH * layerScale;
        this.minHeadLen = MIN_HEAD_IN_WIDTHS * this.lineWidth;
        this.dash = [DASH_LENGTH * layerScale, GAP_LENGTH * layerScale];
    };

    // Equipment never shows running lines. The type's flag is read from the
    // field item of the group these lines belong to; lines not (yet) in a
    // field item group follow their flags.
    RunningLines.prototype.itemHasRunningLines = function () {
        var itemGroup = this.shape.getParent();
        if (!itemGroup || typeof itemGroup.getFieldItem !== 'function') {
            return true;
        }
        return !!itemGroup.getFieldItem().hasRunningLines;
    };

    window.RunningLines = RunningLines;
}(window, document, Kinetic));
