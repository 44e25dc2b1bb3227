// Curved steps: an item's step from one frame to the next may bend through
// a point, its place half-way through the step. A record keeps `bends`,
// one entry per step (null for a straight one, else { x, y } in fractions
// of the pitch), only while one of its steps bends, so a drill of straight
// steps is saved as before. Steps follow frames as their durations do: a
// frame added after the selected one brings a straight step (the copy
// stands where the frame it copies does), and a removed frame takes its
// own step with it. Adds the bend methods to FrameManager.js.
(function (FrameManager) {
    'use strict';

    FrameManager.bendOf = function (record, step) {
        return record.bends ? record.bends[step] || null : null;
    };

    // The place at `fraction` of the way from a to b, through `bend` at
    // half-way when there is one: the quadratic curve whose control point
    // puts its middle there.
    FrameManager.pointOnStep = function (a, b, bend, fraction) {
        if (!bend) {
            return null;
        }
        var u = 1 - fraction;
        var cx = 2 * bend.x - (a.x + b.x) / 2;
        var cy = 2 * bend.y - (a.y + b.y) / 2;
        return {
            x: u * u * a.x + 2 * fraction * u * cx + fraction * fraction * b.x,
            y: u * u * a.y + 2 * fraction * u * cy + fraction * fraction * b.y
        };
    };

    function keepBends(record, bends) {
        if (bends.some(function (b) { return !!b; })) {
            record.bends = bends;
        } else {
            delete record.bends;
        }
        FrameManager.forgetText(record);
    }

    // Bends step `step` of item `id` through `point` (null straightens it);
    // returns whether the record changed.
    FrameManager.prototype.setBend = function (id, step, point) {
        var record = this.findObject(id);
        if (!record || step < 0 || step >= this.nFrames - 1) {
            return false;
        }
        var old = FrameManager.bendOf(record, step);
        if ((!old && !point) || (old && point && old.x === point.x && old.y === point.y)) {
            return false;
        }
        var bends = record.bends ? record.bends.slice() : this.frameDurations.map(function () { return null; });
        bends[step] = point ? { x: point.x, y: point.y } : null;
        keepBends(record, bends);
        return true;
    };

    // The kinds of drawing an item can be moved along.
    var ARROWS = ['run', 'dribble', 'pass'];
    // How far beyond its picture's edge, in layer pixels, an arrow may start
    // and still be its item's.
    var START_SLACK = 6;

    // The item on display, able to move, whose picture holds the start of
    // `drawing` (an arrow), the nearest there; null for none.
    FrameManager.prototype.itemAtStartOf = function (drawing) {
        if (!drawing || ARROWS.indexOf(drawing.kind) === -1) {
            return null;
        }
        var start = this.animLayer.pixelPos(drawing.points[0]);
        var found = null;
        var nearest = Infinity;
        this.animLayer.itemGroups().forEach(function (group) {
            var item = group.getFieldItem();
            var at = group.getPosAbs();
            var reach = Math.max(item.group.width(), item.group.height()) / 2 + START_SLACK;
            var d = Math.sqrt((at.x - start.x) * (at.x - start.x) + (at.y - start.y) * (at.y - start.y));
            if (!item.posIsFixed && d <= reach && d < nearest) {
                nearest = d;
                found = group;
            }
        });
        return found;
    };

    // The item at the arrow's start takes the arrow as its step from the
    // frame on show: it ends where the arrow ends, along the arrow's curve.
    // From the last frame a frame is added for it to go to; the frame on
    // show stays. Returns whether it moved.
    FrameManager.prototype.moveAlong = function (drawing) {
        var group = this.itemAtStartOf(drawing);
        if (!group) {
            return false;
        }
        this.saveFrame();
        var sel = this.selectedFrame;
        if (sel === this.nFrames - 1) {
            this.addFrame();
        }
        var record = this.findObject(group.getAttr('id'));
        var end = drawing.points[drawing.points.length - 1];
        record.frames[sel + 1] = { x: end.x, y: end.y, rotation: record.frames[sel + 1].rotation };
        FrameManager.forgetText(record);
        this.setBend(record.id, sel, drawing.points.length === 3 ? drawing.points[1] : null);
        this.loadFrame(sel);
        return true;
    };

    FrameManager.prototype.bendsAfterInsert = function (sel) {
        this.objects.forEach(function (record) {
            if (record.bends) {
                var bends = record.bends.slice();
                bends.splice(sel, 0, null);
                keepBends(record, bends);
            }
        });
    };

    // Frame `r` removed, the frame count not yet lowered.
    FrameManager.prototype.bendsAfterRemoval = function (r) {
        var step = Math.min(r, this.nFrames - 2);
        this.objects.forEach(function (record) {
            if (record.bends) {
                var bends = record.bends.slice();
                bends.splice(step, 1);
                keepBends(record, bends);
            }
        });
    };
}(window.FrameManager));
