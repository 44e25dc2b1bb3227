// The timeline's time: each frame's box is as wide as its step lasts (the
// last frame's as a second), so that the boxes read as the drill's time,
// with a ruler of seconds along their foot and, while the drill plays or is
// scrubbed, a marker at the moment shown. `boxWidth` is a second's width;
// the add-frame button's gap after the selected box takes no time. Adds the
// time methods to Timeline.js.
(function (window, Timeline) {
    'use strict';

    var SECOND = 1000;
    // Room at the strip's foot for the ruler, in pixels.
    var RULER_HEIGHT = 11;
    var TICK_LENGTH = 3;
    var RULER_FONT = 'normal normal 9px Helvetica';
    var RULER_FILL = 'rgb(60,60,60)';
    // Seconds between labelled ticks: the first choice that leaves this
    // much room for a label.
    var LABEL_ROOM = 26;
    var LABEL_EVERY = [1, 2, 5, 10, 30, 60];
    var MARKER_FILL = 'rgb(200,0,0)';
    var MARKER_WIDTH = 2;

    Timeline.RULER_HEIGHT = RULER_HEIGHT;

    // `durations`: the steps' times, one per step; a second each when not
    // given.
    Timeline.prototype.setStepTimes = function (durations) {
        var n = this.nFrames - 1;
        this.stepTimes = durations && durations.length === n ? durations.slice() :
            window.FrameTiming.defaults(n);
        // Each frame's start, added up once: every box is placed by it.
        var starts = [0];
        for (var k = 0; k < n; k++) {
            starts.push(starts[k] + this.stepTimes[k]);
        }
        this.frameStarts = starts;
    };

    // Seconds the boxes stand for: every step, and a second for the last.
    Timeline.prototype.boxSeconds = function () {
        return window.FrameTiming.total(this.stepTimes) / SECOND + 1;
    };

    // Frame n's start in milliseconds of the drill.
    Timeline.prototype.frameTime = function (n) {
        return this.frameStarts[n];
    };

    // Where frame n's box starts.
    Timeline.prototype.frameBoxX = function (n) {
        var x = this.boxesFrom + this.boxWidth * (this.frameTime(n) / SECOND);
        return n > this.selectedFrame ? x + this.addFrameGap() : x;
    };

    Timeline.prototype.frameBoxWidth = function (n) {
        var ms = n < this.nFrames - 1 ? this.stepTimes[n] : SECOND;
        return this.boxWidth * (ms / SECOND);
    };

    // The last frame that has started `ms` into the drill.
    Timeline.prototype.frameHolding = function (ms) {
        var low = 0;
        var high = this.nFrames - 1;
        while (low < high) {
            var middle = Math.ceil((low + high) / 2);
            if (this.frameStarts[middle] <= ms) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        return low;
    };

    // Where the selected box ends: the add-frame button's gap follows.
    Timeline.prototype.selectedBoxEnd = function () {
        return this.frameBoxX(this.selectedFrame) + this.frameBoxWidth(this.selectedFrame);
    };

    // The moment at strip x, in milliseconds, measured from the start of
    // the strip before the gap and from the gap's end after it (a place in
    // the gap is the next frame's start); not clamped to the drill.
    Timeline.prototype.rawTimeAtX = function (x) {
        var sel = this.selectedFrame;
        var selEnd = this.selectedBoxEnd();
        if (x < selEnd || sel === this.nFrames - 1) {
            return (x - this.boxesFrom) / this.boxWidth * SECOND;
        }
        var after = Math.max(0, x - selEnd - this.addFrameGap());
        return this.frameTime(sel + 1) + after / this.boxWidth * SECOND;
    };

    // The frame whose box holds x, or null: found by its time, then put
    // right by the boxes' own places, where a division's rounding would
    // put x in the box beside.
    Timeline.prototype.frameAt = function (x) {
        if (!(this.boxWidth > 0) || !(x >= this.boxesFrom)) {
            return null;
        }
        var sel = this.selectedFrame;
        var selEnd = this.selectedBoxEnd();
        if (x >= selEnd && (sel === this.nFrames - 1 || x < selEnd + this.addFrameGap())) {
            return null;
        }
        var n = this.frameHolding(this.rawTimeAtX(x));
        n = x < selEnd ? Math.min(sel, n) : Math.max(sel + 1, n);
        if (n + 1 < this.nFrames && n !== sel && this.frameBoxX(n + 1) <= x) {
            n++;
        } else if (n > 0 && n !== sel + 1 && this.frameBoxX(n) > x) {
            n--;
        }
        return x < this.frameBoxX(n) + this.frameBoxWidth(n) ? n : null;
    };

    // The strip's x at `ms` into the drill, and back: the moment at x
    // within the drill, or null where the strip has no room.
    Timeline.prototype.xAtTime = function (ms) {
        var sel = this.selectedFrame;
        if (sel === this.nFrames - 1 || ms < this.frameTime(sel + 1)) {
            return this.boxesFrom + this.boxWidth * (ms / SECOND);
        }
        return this.selectedBoxEnd() + this.addFrameGap() + this.boxWidth * ((ms - this.frameTime(sel + 1)) / SECOND);
    };

    Timeline.prototype.timeAtX = function (x) {
        if (!(this.boxWidth > 0) || !isFinite(x)) {
            return null;
        }
        return Math.max(0, Math.min(this.frameTime(this.nFrames - 1), this.rawTimeAtX(x)));
    };

    // The seconds under the boxes: a tick at each, labelled as often as
    // the room allows.
    Timeline.prototype.drawRuler = function (context) {
        var b = this.boxWidth;
        if (!(b > 0)) {
            return;
        }
        var every = LABEL_EVERY.filter(function (s) { return s * b >= LABEL_ROOM; })[0] || 0;
        var top = this.h - RULER_HEIGHT;
        context.fillStyle = RULER_FILL;
        context.font = RULER_FONT;
        context.textBaseline = 'bottom';
        context.textAlign = 'left';
        var seconds = Math.floor(this.frameTime(this.nFrames - 1) / SECOND);
        for (var s = 0; s <= seconds; s++) {
            var x = Math.round(this.xAtTime(s * SECOND));
            context.fillRect(x, top, 1, TICK_LENGTH);
            if (every && s % every === 0) {
                context.fillText(s + ' s', x + 2, this.h);
            }
        }
    };

    // Shown while playing or scrubbing: the moment `ms` into the drill.
    Timeline.prototype.showMomentMarker = function (ms) {
        this.markerTime = ms;
        this.layer.batchDraw();
    };

    Timeline.prototype.hideMomentMarker = function () {
        this.markerTime = null;
        this.layer.batchDraw();
    };

    Timeline.prototype.drawMomentMarker = function (context) {
        if (this.markerTime === null || this.markerTime === undefined || !(this.boxWidth > 0)) {
            return;
        }
        context.fillStyle = MARKER_FILL;
        context.fillRect(this.xAtTime(this.markerTime) - MARKER_WIDTH / 2, 0, MARKER_WIDTH, this.h);
    };
}(window, window.Timeline));
