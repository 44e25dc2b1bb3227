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
