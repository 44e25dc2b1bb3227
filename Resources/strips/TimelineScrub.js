// Scrubbing the timeline: pressing on the frame strip and dragging shows
// the moment under the pointer, a box's middle being its frame and the way
// between two middles the step between them. Each move raises
// `scrubTimeline` with `position` (a frame number with a fraction); letting
// go raises `scrubEnded` before the strip's own click, which then selects
// the box released on, so the selected frame is back on display first.
// A press let go without moving is a plain click and no scrub.
(function (window, document) {
    'use strict';

    // Frame position at strip x: between the middles of the boxes either
    // side, clamped to the first and last middle.
    function positionAt(timeline, x) {
        var b = timeline.boxWidth;
        var last = timeline.nFrames - 1;
        if (!(b > 0) || !isFinite(x)) {
            return null;
        }
        var middle = function (n) { return timeline.frameBoxX(n) + b / 2; };
        if (x <= middle(0)) {
            return 0;
        }
        if (x >= middle(last)) {
            return last;
        }
        // The boxes are evenly spaced but for the add-frame button's gap.
        var n = Math.min(last - 1, Math.max(0, Math.floor((x - middle(0)) / b)));
        while (n > 0 && middle(n) > x) {
            n--;
        }
        while (n < last - 1 && middle(n + 1) <= x) {
            n++;
        }
        return n + (x - middle(n)) / (middle(n + 1) - middle(n));
    }

    function TimelineScrub(timeline) {
        if (!timeline || !timeline.layer || !timeline.stage) {
            throw new Error('createTimelineScrub: the timeline is needed');
        }
        this.timeline = timeline;
        // Pressed on the strip, and not yet let go.
        this.pressed = false;
        this.scrubbing = false;
        var self = this;
        // On the layer, which outlives the strip's rebuilds; a press and
        // release on the strip bubble up to it before the strip's click.
        timeline.layer.on('mousedown.scrub touchstart.scrub', function (evt) {
            self.pressed = evt.target === self.timeline.frameStrip && !self.timeline.isPlaying;
        });
        timeline.layer.on('mouseup.scrub touchend.scrub', function () {
            self.end();
        });
        timeline.stage.on('contentMousemove contentTouchmove', function () {
            self.move();
        });
        // A release outside the strip (or the window) ends the scrub too.
        document.addEventListener('mouseup', function () { self.end(); }, false);
        document.addEventListener('touchend', function () { self.end(); }, false);
    }

    TimelineScrub.prototype.move = function () {
        if (!this.pressed) {
            return;
        }
        var p = positionAt(this.timeline, this.timeline.pointerX());
        if (p === null) {
            return;
        }
        this.scrubbing = true;
        window.myDispatchEvent('scrubTimeline', { position: p });
    };

    TimelineScrub.prototype.end = function () {
        this.pressed = false;
        if (this.scrubbing) {
            this.scrubbing = false;
            window.myDispatchEvent('scrubEnded', {});
        }
    };

    window.createTimelineScrub = function (timeline) {
        return new TimelineScrub(timeline);
    };
    window.createTimelineScrub.positionAt = positionAt;
}(window, document));
