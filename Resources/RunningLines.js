// An item's running lines: where it came from in the previous frame, where it
// goes in the next one and where it goes after that, each segment with an
// open arrow head half-way along it. The shape is a child of the field item
// group, which sits at the layer's origin, so every point is in layer pixels.
(function (window, Kinetic) {
    'use strict';

    var SHAPE_NAME = 'runningLines';
    var STROKE = 'black';
    var STROKE_WIDTH = 1;
    var SEGMENT_COUNT = 3;
    var HEAD_LENGTH = 20;
    var HEAD_HALF_ANGLE = Math.PI / 6;
    var DASH_LENGTH = 10;
    var GAP_LENGTH = 10;
    var NO_HEAD = [];

    // One shape draws every segment and head: a frame load sets lines for
    // every item, and a node for each line and head cost more to make than
    // to draw. Each head is drawn straight after its segment, over it, and
    // is never dashed.
    function drawSegments(lines, context) {
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            if (!lines.shown[i]) {
                continue;
            }
            var from = lines.ends[i];
            var to = lines.ends[i + 1];
            context.beginPath();
            context.moveTo(from.x, from.y);
            context.lineTo(to.x, to.y);
            // The dash is the segment's alone, not its head's.
            if (lines.isDashed) {
                context.save();
                context.setLineDash(lines.dash);
                context.strokeShape(lines.shape);
                context.restore();
            } else {
                context.strokeShape(lines.shape);
            }
            var head = lines.heads[i];
            if (head.length) {
                context.beginPath();
                context.moveTo(head[0], head[1]);
                context.lineTo(head[2], head[3]);
                context.lineTo(head[4], head[5]);
                context.strokeShape(lines.shape);
            }
        }
    }

    function RunningLines(pos, isDashed, layerScale) {
        if (!pos || typeof pos.x !== 'number' || typeof pos.y !== 'number') {
            throw new Error('RunningLines: a start position {x, y} is needed');
        }
        var self = this;
        this.isDashed = !!isDashed;
        this.headLen = HEAD_LENGTH;
        // The lines cross the item itself and the pitch: a press on them
        // must reach the item (to select or drag it) or the background (to
        // start a selection rectangle).
        this.shape = new Kinetic.Shape({
            name: SHAPE_NAME,
            stroke: STROKE,
            strokeWidth: STROKE_WIDTH,
            listening: false,
            sceneFunc: function (context) {
                drawSegments(self, context);
            }
        });
        // The toolbar's toggle hides lines by making them transparent.
        window.drawOnlyWhenShown(this.shape, window.drawOnlyWhenShown.ifOpaque);
        // The four points the segments join, kept whether drawn or not; the
        // flag and head of each segment, worked out only while it is shown.
        this.ends = [pos, pos, pos, pos];
        this.shown = [false, false, false];
        this.heads = [NO_HEAD, NO_HEAD, NO_HEAD];
        this.setScale(layerScale);
    }

    // The head of the segment p0 -> p1: a chevron with its tip at the
    // midpoint and arms of headLen trailing back 30 degrees either side.
    // Segments shorter than an arm get none.
    RunningLines.prototype.generateArrowPoints = function (pos0, pos1) {
        var len = this.headLen;
        if (window.distance(pos0.x, pos0.y, pos1.x, pos1.y) < len) {
            return [];
        }
        var mx = (pos0.x + pos1.x) / 2;
        var my = (pos0.y + pos1.y) / 2;
        var theta = Math.atan2(pos1.y - pos0.y, pos1.x - pos0.x);
        return [
            mx - len * Math.cos(theta - HEAD_HALF_ANGLE), my - len * Math.sin(theta - HEAD_HALF_ANGLE),
            mx, my,
            mx - len * Math.cos(theta + HEAD_HALF_ANGLE), my - len * Math.sin(theta + HEAD_HALF_ANGLE)
        ];
    };

    RunningLines.prototype.placeSegment = function (index) {
        this.heads[index] = this.shown[index] ?
            this.generateArrowPoints(this.ends[index], this.ends[index + 1]) : NO_HEAD;
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
        this.headLen = HEAD_LENGTH * layerScale;
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
}(window, Kinetic));
