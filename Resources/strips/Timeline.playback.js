// The timeline's playing look: while playback runs, the play button shows
// a stop square, the frame boxes and the buttons beside them are hidden,
// and a progress bar fills the strip as playback goes. Adds the playback methods to
// Timeline.js, whose rebuild while `isPlaying` draws this look again.
(function (Timeline, Kinetic) {
    'use strict';

    var PROGRESS_NAME = 'playbackProgressRect';
    var PROGRESS_FILL = 'blue';

    Timeline.prototype.showPlayingLook = function () {
        this.playTriangle.visible(false);
        this.stopSquare.visible(true);
        var hidden = [this.frameStrip, this.addFrameButton, this.remFrameButton, this.stepHoldButton,
            this.addCaptionButton];
        for (var i = 0; i < hidden.length; i++) {
            if (hidden[i]) {
                (hidden[i].group || hidden[i]).visible(false);
            }
        }
    };

    Timeline.prototype.playbackStarted = function () {
        this.isPlaying = true;
        this.playbackPercent = null;
        if (this.progressRect) {
            this.progressRect.destroy();
            this.progressRect = null;
        }
        this.showPlayingLook();
        this.playButton.setTooltip('Stop (Esc)');
        this.layer.batchDraw();
    };

    // Nothing changes on screen yet: the shell follows this with
    // updateFrameSettings, whose rebuild, no longer playing, restores the
    // frames with the one playback stopped on selected.
    Timeline.prototype.playbackStopped = function () {
        this.isPlaying = false;
        this.playbackPercent = null;
    };

    // Only the playing look has a progress bar; a report arriving while
    // stopped (the off-screen image generator plays too) is ignored.
    Timeline.prototype.updatePlaybackIndicator = function (percent) {
        if (!this.stopSquare.visible()) {
            return;
        }
        if (typeof percent !== 'number' || !isFinite(percent)) {
            throw new Error('Timeline.updatePlaybackIndicator: percent must be a number, got ' + percent);
        }
        this.playbackPercent = percent;
        this.setProgress(percent);
        this.layer.batchDraw();
    };

    // 100 percent runs from just after the play button (and the room kept
    // after it) to PAD short of the strip's right end.
    Timeline.prototype.setProgress = function (percent) {
        var h = this.h;
        var from = h + this.leadWidth;
        var pad = this.pad;
        if (!this.progressRect) {
            this.progressRect = new Kinetic.Rect({
                name: PROGRESS_NAME,
                x: from + pad,
                y: pad,
                height: Math.max(0, h - 2 * pad),
                fill: PROGRESS_FILL,
                listening: false
            });
            this.group.add(this.progressRect);
        }
        this.progressRect.width(((this.w - pad) - (from + pad)) / 100 * percent);
    };
}(window.Timeline, Kinetic));
