// The timeline's play button and its playing look: while playback runs, the
// play button shows a pause sign (lit while paused, when it resumes), the
// buttons that change the frames are hidden, and the frame boxes show the
// moment played by a marker (Timeline.times.js). Stopping is the playback controls'
// stop button's, or Escape's. Adds the playback methods to Timeline.js,
// whose rebuild while `isPlaying` draws this look again.
(function (window, Timeline, Kinetic) {
    'use strict';

    var PLAY_BUTTON_NAME = 'playButton';
    var PLAY_TRIANGLE_NAME = 'playTriangle';
    var PAUSE_SIGN_NAME = 'pauseSign';
    var PLAY_FILL = 'lime';
    var PAUSE_FILL = 'rgb(40,60,120)';
    var SYMBOL_STROKE = 'black';
    var SYMBOL_STROKE_WIDTH = 1;
    // The pause sign's bars, as shares of the triangle's radius.
    var BAR_WIDTH = 0.45;
    var BAR_GAP = 0.4;
    var BAR_HEIGHT = 1.6;

    var TIPS = { stopped: 'Play the drill (Space)', playing: 'Pause (Space)', paused: 'Resume (Space)' };

    Timeline.prototype.addPlayButton = function () {
        var h = this.h;
        var radius = Math.max(0, h / 2 - this.pad);
        var button = new window.Button(0, 0, h, h, PLAY_BUTTON_NAME);
        this.playTriangle = new Kinetic.RegularPolygon({
            name: PLAY_TRIANGLE_NAME, sides: 3, radius: radius, rotation: 90, fill: PLAY_FILL,
            stroke: SYMBOL_STROKE, strokeWidth: SYMBOL_STROKE_WIDTH, listening: false
        });
        this.pauseSign = new Kinetic.Group({ name: PAUSE_SIGN_NAME, visible: false, listening: false });
        [-1, 1].forEach(function (side) {
            var w = radius * BAR_WIDTH;
            this.pauseSign.add(new Kinetic.Rect({
                x: side < 0 ? -radius * BAR_GAP / 2 - w : radius * BAR_GAP / 2, y: -radius * BAR_HEIGHT / 2,
                width: w, height: radius * BAR_HEIGHT, fill: PAUSE_FILL,
                stroke: SYMBOL_STROKE, strokeWidth: SYMBOL_STROKE_WIDTH
            }));
        }, this);
        button.group.add(this.playTriangle);
        button.group.add(this.pauseSign);
        var self = this;
        button.group.on('click tap', function () {
            window.myDispatchEvent(self.isPlaying ? 'togglePause' : 'play', {});
        });
        this.group.add(button.group);
        this.playButton = button;
        this.showStoppedLook();
    };

    Timeline.prototype.showStoppedLook = function () {
        this.playTriangle.visible(true);
        this.pauseSign.visible(false);
        this.playButton.setPressed(false);
        this.playButton.setTooltip(TIPS.stopped);
    };

    // The boxes stay, showing the moment played; the buttons that change
    // the frames go.
    Timeline.prototype.showPlayingLook = function () {
        this.playTriangle.visible(false);
        this.pauseSign.visible(true);
        this.playButton.setPressed(this.isPaused);
        this.playButton.setTooltip(this.isPaused ? TIPS.paused : TIPS.playing);
        var hidden = [this.addFrameButton, this.remFrameButton, this.stepHoldButton, this.addCaptionButton];
        for (var i = 0; i < hidden.length; i++) {
            if (hidden[i]) {
                hidden[i].group.visible(false);
            }
        }
    };

    Timeline.prototype.playbackStarted = function () {
        this.isPlaying = true;
        this.isPaused = false;
        this.markerTime = null;
        this.frameStrip.listening(false);
        this.forgetPointer();
        this.showPlayingLook();
        this.layer.batchDraw();
    };

    // A paused drill looks paused: the pause sign lit, offering to resume.
    Timeline.prototype.playbackPaused = function (paused) {
        this.isPaused = !!paused && this.isPlaying;
        if (this.isPlaying) {
            this.showPlayingLook();
            this.layer.batchDraw();
        }
    };

    // Nothing changes on screen yet: the shell follows this with
    // updateFrameSettings, whose rebuild, no longer playing, restores the
    // buttons with the frame playback stopped on selected.
    Timeline.prototype.playbackStopped = function () {
        this.isPlaying = false;
        this.isPaused = false;
        this.markerTime = null;
    };

    // The moment played, `timeMs` into the drill. Only playback shows it: a
    // report arriving while stopped (the off-screen image generator plays
    // too) is ignored.
    Timeline.prototype.updatePlaybackIndicator = function (timeMs) {
        if (!this.isPlaying) {
            return;
        }
        if (typeof timeMs !== 'number' || !isFinite(timeMs)) {
            throw new Error('Timeline.updatePlaybackIndicator: the time must be a number, got ' + timeMs);
        }
        this.showMomentMarker(timeMs);
    };
}(window, window.Timeline, Kinetic));
