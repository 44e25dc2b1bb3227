// Scrubbing the timeline: pressing on the frame strip and dragging shows
// the moment under the pointer, read on the strip's time (a box's left edge
// is its frame, and its width the step from it), with the strip's marker
// there. Each move raises
// `scrubTimeline` with `position` (a frame number with a fraction); letting
// go raises `scrubEnded` before the strip's own click, which then selects
// the box released on, so the selected frame is back on display first.
// A press let go without moving is a plain click and no scrub.
(function (window, document) {
    'use strict';

    // Frame position at strip x: the frame whose step holds the moment
    // there, with the fraction of that step gone; the last frame from its
    // box on.
    function positionAt(timeline, x) {
        var t = timeline.timeAtX(x);
        if (t === null) {
            return null;
        }
        var last = timeline.nFrames - 1;
        if (t >= timeline.frameTime(last)) {
            return last;
        }
        var step = window.FrameTiming.stepAt(timeline.stepTimes, t);
        return step.frame + step.fraction;
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
        this.timeline.showMomentMarker(this.timeline.timeAtX(this.timeline.pointerX()));
        window.myDispatchEvent('scrubTimeline', { position: p });
    };

    TimelineScrub.prototype.end = function () {
        this.pressed = false;
        if (this.scrubbing) {
            this.scrubbing = false;
            this.timeline.hideMomentMarker();
            window.myDispatchEvent('scrubEnded', {});
        }
    };

    window.createTimelineScrub = function (timeline) {
        return new TimelineScrub(timeline);
    };
    window.createTimelineScrub.positionAt = positionAt;
}(window, document));
