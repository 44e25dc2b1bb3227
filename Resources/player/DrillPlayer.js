// The drill played read-only, as the editor plays it: the editor's own
// animation (pitch, items, drawings, captions, names, running lines) and its
// playback, on a page that carries the drill and may be opened anywhere.
// Nothing on the pitch takes a touch or a click: the page is for watching.
//
// The moment shown is always playback's: a pause, a step or a scrub holds
// a paused playback at its moment (as the editor's step buttons do), and
// play goes on from there, or from the start once played to the end.
//
// Made by playerMain over the pitch's element; the player's command rows
// (PlayerCommands.js) call its methods for the controls' page events and
// for playback's own ticks.
(function (window) {
    'use strict';

    function DrillPlayer(containerId) {
        if (!(this instanceof DrillPlayer)) {
            throw new Error('DrillPlayer must be called with new');
        }
        var container = window.document.getElementById(containerId);
        if (!container) {
            throw new Error('DrillPlayer: no page element named "' + containerId + '"');
        }
        this.container = container;
        this.animation = new window.Animation(Math.max(1, container.clientWidth), Math.max(1, container.clientHeight),
            containerId);
        this.playback = this.animation.playbackManager;
        this.frames = this.animation.frameManager;
        this.animation.stage.listening(false);
    }

    // Loads the drill's text; '' when it plays, else why it cannot.
    DrillPlayer.prototype.load = function (text) {
        var problem = this.animation.loadText(text);
        if (!problem) {
            this.frames.loadFrame(0);
            this.fit();
        }
        return problem;
    };

    // The pitch fills its element, whatever way the phone is held.
    DrillPlayer.prototype.fit = function () {
        var w = Math.max(1, this.container.clientWidth);
        var h = Math.max(1, this.container.clientHeight);
        this.animation.updateBounds(w / 2, h / 2, w, h);
    };

    // The drill's length and the moment shown, in milliseconds from frame 1.
    DrillPlayer.prototype.duration = function () {
        return this.playback.timeOfFrame(this.frames.nFrames - 1);
    };

    DrillPlayer.prototype.moment = function () {
        return this.playback.isPlaying ? this.playback.playhead : this.playback.timeOfFrame(this.frames.selectedFrame);
    };

    DrillPlayer.prototype.isRunning = function () {
        return this.playback.isPlaying && !this.playback.isPaused;
    };

    // Plays on from the moment held; from the start after the end.
    DrillPlayer.prototype.play = function () {
        var playback = this.playback;
        if (playback.isPlaying) {
            playback.resume();
            return;
        }
        if (this.frames.selectedFrame === this.frames.nFrames - 1) {
            this.frames.loadFrame(0);
        }
        playback.startPlayback();
    };

    DrillPlayer.prototype.pause = function () {
        this.playback.pause();
    };

    DrillPlayer.prototype.togglePlay = function () {
        if (this.isRunning()) {
            this.pause();
        } else {
            this.play();
        }
    };

    // Holds the moment `t` (milliseconds from frame 1, within the drill),
    // paused; the drill's end is its last frame, stopped there.
    DrillPlayer.prototype.showTime = function (t) {
        var playback = this.playback;
        if (this.frames.nFrames < 2) {
            return;
        }
        t = Math.max(0, Math.min(this.duration(), t));
        if (!playback.isPlaying) {
            this.frames.loadFrame(0);
            playback.startPlayback();
        }
        playback.pause();
        playback.showTime(t);
    };

    // A frame back or on (a tenth of a second when `fine`), paused.
    DrillPlayer.prototype.step = function (direction, fine) {
        this.showTime(this.playback.stepTarget(this.moment(), direction < 0 ? -1 : 1, !!fine));
    };

    DrillPlayer.prototype.setSpeed = function (speed) {
        this.playback.setSpeed(speed);
    };

    DrillPlayer.prototype.setLoop = function (loop) {
        this.playback.setLoop(loop);
    };

    // Playback's tick (its page event "drawFrame").
    DrillPlayer.prototype.drawFrame = function (time) {
        this.playback.drawFrame(time);
    };

    window.DrillPlayer = DrillPlayer;
}(window));
