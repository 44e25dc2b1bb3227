// An item's running lines: where it came from in the previous frame, where it
// goes in the next one and where it goes after that, each segment with an
// open arrow head half-way along it. The group is a child of the field item
// group, which sits at the layer's origin, so every point is in layer pixels.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'runningLinesGroup';
    var LINE_NAME = 'runningLine';
    var HEAD_NAME = 'arrowHead';
    var STROKE = 'black';
    var STROKE_WIDTH = 1;
    var SEGMENT_COUNT = 3;
    var HEAD_LENGTH = 20;
    var HEAD_HALF_ANGLE = Math.PI / 6;
    var DASH_LENGTH = 10;
    var GAP_LENGTH = 10;

    // A segment too short for a head keeps a visible head with no points;
    // Kinetic's line would still start a path at an undefined point, so an
    // empty head is simply not drawn.
    function drawHead(context) {
        if (this.points().length >= 4) {
            Kinetic.Line.prototype._sceneFunc.call(this, context);
        }
    }

    function RunningLines(pos, isDashed, layerScale) {
        if (!pos || typeof pos.x !== 'number' || typeof pos.y !== 'number') {
            throw new Error('RunningLines: a start position {x, y} is needed');
        }
        this.isDashed = !!isDashed;
        this.headLen = HEAD_LENGTH;
        // The lines cross the item itself and the pitch: a press on them
        // must reach the item (to select or drag it) or the background (to
        // start a selection rectangle).
        this.group = new Kinetic.Group({ name: GROUP_NAME, listening: false });
        // A segment's line and head are made when it is first shown: a
        // frame load builds lines for every item, and equipment, or the
        // first and last frames, never show most of them. null until then.
        this.lines = [null, null, null];
        this.arrowHeads = [null, null, null];
        // The four points the segments join, kept whether drawn or not.
        this.ends = [pos, pos, pos, pos];
        this.opacity = 1;
        this.setScale(layerScale);
    }

    // Each head directly follows its segment, so it is drawn over it.
    RunningLines.prototype.buildSegment = function (index) {
        var line = new Kinetic.Line({
            name: LINE_NAME,
            points: [],
            stroke: STROKE,
            strokeWidth: STROKE_WIDTH,
            dash: this.dash,
            dashEnabled: this.isDashed,
            opacity: this.opacity,
            visible: false
        });
        var head = new Kinetic.Line({
            name: HEAD_NAME,
            points: [],
            stroke: STROKE,
            strokeWidth: STROKE_WIDTH,
            dashEnabled: false,
            opacity: this.opacity,
            visible: false
        });
        head.sceneFunc(drawHead);
        // The toolbar's toggle hides lines by making them transparent.
        window.drawOnlyWhenShown(line, window.drawOnlyWhenShown.ifOpaque);
        window.drawOnlyWhenShown(head, window.drawOnlyWhenShown.ifOpaque);
        this.lines[index] = line;
        this.arrowHeads[index] = head;
        this.group.add(line);
        this.group.add(head);
        this.placeSegment(index);
    };

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
        if (this.lines[index]) {
            var from = this.ends[index];
            var to = this.ends[index + 1];
            this.lines[index].points([from.x, from.y, to.x, to.y]);
            this.arrowHeads[index].points(this.generateArrowPoints(from, to));
        }
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
            var visible = allowed && !!visibility[i];
            if (visible && !this.lines[i]) {
                this.buildSegment(i);
            } else {
                this.placeSegment(i);
            }
            if (this.lines[i]) {
                this.lines[i].visible(visible);
                this.arrowHeads[i].visible(visible);
            }
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
        this.opacity = doShow ? 1 : 0;
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            if (this.lines[i]) {
                this.lines[i].opacity(this.opacity);
                this.arrowHeads[i].opacity(this.opacity);
            }
        }
    };

    // Heads already drawn keep their size until the lines are next set.
    RunningLines.prototype.setScale = function (layerScale) {
        if (typeof layerScale !== 'number' || !(layerScale > 0)) {
            throw new Error('RunningLines.setScale: the layer scale must be a positive number');
        }
        this.headLen = HEAD_LENGTH * layerScale;
        this.dash = [DASH_LENGTH * layerScale, GAP_LENGTH * layerScale];
        for (var i = 0; i < SEGMENT_COUNT; i++) {
            if (this.lines[i]) {
                this.lines[i].dash(this.dash);
            }
        }
    };

    // Equipment never shows running lines. The type's flag is read from the
    // field item of the group these lines belong to; lines not (yet) in a
    // field item group follow their flags.
    RunningLines.prototype.itemHasRunningLines = function () {
        var itemGroup = this.group.getParent();
        if (!itemGroup || typeof itemGroup.getFieldItem !== 'function') {
            return true;
        }
        return !!itemGroup.getFieldItem().hasRunningLines;
    };

    window.RunningLines = RunningLines;
}(window, Kinetic));
