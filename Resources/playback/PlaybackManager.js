// Playback: turns the frames of a frame model into smooth motion, each
// frame step taking its own time (FrameTiming), moving the item groups on
// display to interpolated places without rebuilding them and without saving
// those places into the model.
// The image generator uses drawFrame alone to draw any moment of an
// animation.
//
// The loop does not draw frames itself: each tick moves the playhead on by
// the real time elapsed (times the speed, and not while paused) and raises
// the page event `drawFrame` with the playhead's time from the start frame;
// the page shell calls drawFrame of the on-screen animation's manager. A
// test can drive drawFrame, or advance, with times of its own.
//
// "Animation time" runs from frame 0: timeOfFrame and momentAt are the only
// places that turn it into frames and back, so that steps of other lengths
// than a second change nothing else.
(function (window, Kinetic) {
    'use strict';

    var FRAME_MS = 1000;
    var FULL_TURN = 360;
    var HALF_TURN = 180;
    var SPEEDS = [0.5, 1, 2];
    // A fine step of the paused moment; a moment this near a frame counts
    // as that frame's.
    var FINE_STEP_MS = 100;
    var AT_FRAME_MS = 0.5;
    // An item comes on over this long before its first frame and goes off
    // over this long after its last, as a drawing fades in.
    var FADE_MS = 200;

    // Degrees from alpha towards beta, the shorter way round: 350 to 10
    // turns 20 degrees through 0, not 340 backwards. The larger angle is
    // brought down by whole turns to the last one not above the smaller, in
    // one step, since a stored angle may be many turns away.
    function interpolateRotation(alpha, beta, fraction) {
        if (alpha === beta) {
            return alpha;
        }
        if (alpha > beta + HALF_TURN) {
            alpha -= FULL_TURN * Math.ceil((alpha - beta) / FULL_TURN);
        }
        if (beta > alpha + HALF_TURN) {
            beta -= FULL_TURN * Math.ceil((beta - alpha) / FULL_TURN);
        }
        return alpha * (1 - fraction) + beta * fraction;
    }

    function PlaybackManager(frameManager) {
        if (!(this instanceof PlaybackManager)) {
            throw new Error('PlaybackManager must be called with new');
        }
        if (!frameManager || !frameManager.animLayer) {
            throw new Error('PlaybackManager: the frame model is needed');
        }
        this.frameManager = frameManager;
        this.startFrame = 0;
        this.currentPlaybackFrame = 0;
        // Idle until a playback replaces it; never started.
        this.anim = new Kinetic.Animation(function () {}, frameManager.animLayer);
        // True from startPlayback until the end or stop. While it is set the
        // items stand at interpolated places that must not be saved.
        this.isPlaying = false;
        // A paused playback still plays (isPlaying), holding its moment.
        this.isPaused = false;
        // True while the timeline is scrubbed: the items stand in between
        // as during playback.
        this.isScrubbing = false;
        // The moment on display, in animation time.
        this.playhead = 0;
        // How the coach watches, not part of the drill.
        this.speed = 1;
        this.loop = false;
    }

    PlaybackManager.interpolateRotation = interpolateRotation;
    // Where `record` of the frame model `frames` stands at `fraction` of
    // the step from frame k, as playback shows it (curves, a held ball's
    // holder, a span's ends); at the last frame, as it stands there.
    PlaybackManager.stateAt = function (frames, byId, record, k, fraction) {
        if (k >= frames.nFrames - 1) {
            return record.frames[frames.nFrames - 1];
        }
        var spans = frames.hasSpans();
        return (record.holders && heldState(frames, byId, record, k, fraction, spans)) ||
            stepState(frames, record, k, fraction, spans);
    };
    PlaybackManager.SPEEDS = SPEEDS;

    // Animation time at which frame k is reached.
    PlaybackManager.prototype.timeOfFrame = function (k) {
        return window.FrameTiming.startOf(this.frameManager.frameDurations, k);
    };

    // { frame, fraction } shown at animation time t: between that frame
    // and the next, fraction of the way.
    PlaybackManager.prototype.momentAt = function (t) {
        var step = window.FrameTiming.stepAt(this.frameManager.frameDurations, t);
        return { frame: step.frame, fraction: step.fraction };
    };

    // Animation time at frame position p (a frame number with a fraction).
    PlaybackManager.prototype.timeAtPosition = function (p) {
        var k = Math.floor(p);
        var t0 = this.timeOfFrame(k);
        return p === k ? t0 : t0 + (p - k) * (this.timeOfFrame(k + 1) - t0);
    };

    PlaybackManager.prototype.setSpeed = function (speed) {
        if (SPEEDS.indexOf(speed) === -1) {
            throw new Error('PlaybackManager.setSpeed: the speed must be one of ' + SPEEDS.join(', ') +
                ', got ' + speed);
        }
        this.speed = speed;
    };

    PlaybackManager.prototype.setLoop = function (loop) {
        this.loop = !!loop;
    };

    // Holds the moment on screen; the loop stops ticking until resumed.
    PlaybackManager.prototype.pause = function () {
        if (!this.isPlaying || this.isPaused) {
            return;
        }
        this.isPaused = true;
        this.anim.stop();
    };

    // Resumes from the moment held: starting the loop again restarts its
    // clock, so the pause itself is not played.
    PlaybackManager.prototype.resume = function () {
        if (!this.isPlaying || !this.isPaused) {
            return;
        }
        this.isPaused = false;
        this.startLoop();
    };

    // Kinetic runs a started loop's first tick at once, inside start, with
    // the microseconds since start as its time: that tick shows the moment
    // playback starts or resumes from, so a pause resumes exactly where it
    // held and a tick played by hand lands where it should.
    PlaybackManager.prototype.startLoop = function () {
        this.loopStarting = true;
        try {
            this.anim.start();
        } finally {
            this.loopStarting = false;
        }
    };

    PlaybackManager.prototype.togglePause = function () {
        if (this.isPaused) {
            this.resume();
        } else {
            this.pause();
        }
    };

    // One tick of the loop: wallMs of real time have passed.
    PlaybackManager.prototype.advance = function (wallMs) {
        if (!this.isPlaying || this.isPaused) {
            return;
        }
        var t = this.playhead + wallMs * this.speed;
        var end = this.timeOfFrame(this.frameManager.nFrames - 1);
        if (this.loop && t >= end) {
            t = t % end;
        }
        window.myDispatchEvent('drawFrame', { time: t - this.timeOfFrame(this.startFrame) });
    };

    PlaybackManager.prototype.startPlayback = function () {
        var frames = this.frameManager;
        var layer = frames.animLayer;
        frames.saveFrame();
        if (frames.nFrames === 1) {
            this.playbackEnded();
            return;
        }
        // Playback cannot start from the end.
        if (frames.selectedFrame === frames.nFrames - 1) {
            frames.loadFrame(0);
        }
        layer.find('.fieldItemGroup').each(function (group) {
            group.selectFunc(false);
        });
        this.drawForPlayback(true);
        window.myDispatchEvent('disableNonTimelineControls', {});

        this.startFrame = frames.selectedFrame;
        this.currentPlaybackFrame = frames.selectedFrame;
        this.playhead = this.timeOfFrame(this.startFrame);
        this.isPlaying = true;
        this.isPaused = false;

        // A new loop for each playback, so that its time starts at 0. The
        // loop redraws the layer's picture after each tick itself; Kinetic's
        // own redraw would draw the hit graph as well, which nothing can use
        // while the layer does not listen. The last tick has loaded the last
        // frame, which redraws both in full.
        var self = this;
        this.anim.stop();
        this.anim = new Kinetic.Animation(function (frame) {
            self.advance(self.loopStarting ? 0 : frame.timeDiff);
            if (self.isPlaying) {
                self.redrawTick();
            }
            return false;
        }, layer);
        this.startLoop();
    };

    // The redraw after a tick: only the moving items' picture.
    PlaybackManager.prototype.redrawTick = function () {
        this.frameManager.animLayer.drawScene();
    };

    // While playing or scrubbing (`on`), what every tick draws again
    // unchanged is drawn from bitmaps of itself: the item texts, the running
    // lines (which change only from one frame to the next), the pictures of
    // items standing still and the drawings that do not fade. Each label
    // keeps the place the label layout holds it at through the step on show
    // (showMoment, LabelLayout.steps.js), worked out afresh from the drill
    // for each playback or scrub, instead of being laid out on every tick.
    // The video's pictures do the same (ImageGenerator).
    PlaybackManager.prototype.drawForPlayback = function (on) {
        var labelLayout = this.frameManager.animLayer.labelLayout;
        this.drawFromBitmaps(on);
        if (on) {
            labelLayout.forgetSteps();
        }
        labelLayout.hold(on);
    };

    // The texts, running lines, still pictures and steady drawings drawn
    // from bitmaps of themselves (`on`) or directly, as playback and
    // exported pictures both draw them.
    PlaybackManager.prototype.drawFromBitmaps = function (on) {
        this.frameManager.animLayer.itemGroups().forEach(function (group) {
            group.drawFromBitmaps(on);
        });
        if (this.frameManager.drawings) {
            this.frameManager.drawings.drawFromBitmaps(on);
        }
    };

    // The object records by id, for the two look-ups per item of a tick.
    function recordsById(objects) {
        var byId = {};
        for (var i = 0; i < objects.length; i++) {
            if (!byId.hasOwnProperty(objects[i].id)) {
                byId[objects[i].id] = objects[i];
            }
        }
        return byId;
    }

    // An item standing still stands exactly where it stands in the frames,
    // not a last digit off it, so that it is left as it is (updatePosition)
    // and drawn from a bitmap.
    function between(a, b, fraction) {
        return a === b ? a : a * (1 - fraction) + b * fraction;
    }

    // How much of an item shows at `fraction` of the step from frame0 that
    // takes `stepMs`: wholly within its span, fading in just before its
    // first frame and out just after its last, else not at all.
    function presence(frames, record, frame0, fraction, stepMs) {
        var first = window.FrameManager.firstFrameOf(record);
        var last = frames.lastFrameOf(record);
        if (frame0 >= first && frame0 + 1 <= last) {
            return 1;
        }
        if (frame0 + 1 === first) {
            return Math.max(0, 1 - (1 - fraction) * stepMs / FADE_MS);
        }
        if (frame0 === last) {
            return Math.max(0, 1 - fraction * stepMs / FADE_MS);
        }
        return 0;
    }

    // Where `record` stands at `fraction` of the step from frame0, along
    // its curve when the step bends; an item off the pitch at either end
    // stands where its span has it. Null for an item not yet in the model.
    function stepState(frames, record, frame0, fraction, spans) {
        var s0 = record && record.frames[spans ? frames.spanFrame(record, frame0) : frame0];
        var s1 = record && record.frames[spans ? frames.spanFrame(record, frame0 + 1) : frame0 + 1];
        if (!s0 || !s1) {
            return null;
        }
        var bend = record.bends && s0 !== s1 ? window.FrameManager.bendOf(record, frame0) : null;
        var at = window.FrameManager.pointOnStep(s0, s1, bend, fraction) ||
            { x: between(s0.x, s1.x, fraction), y: between(s0.y, s1.y, fraction) };
        return { x: at.x, y: at.y, rotation: interpolateRotation(s0.rotation, s1.rotation, fraction) };
    }

    // A ball its holder keeps through the step stands at his feet all the
    // way, wherever his run takes him.
    function heldState(frames, byId, record, frame0, fraction, spans) {
        var holder = window.FrameManager.holderOf(record, frame0);
        if (holder === null || holder !== window.FrameManager.holderOf(record, frame0 + 1) ||
            !byId.hasOwnProperty(holder)) {
            return null;
        }
        var his = stepState(frames, byId[holder], frame0, fraction, spans);
        var own = stepState(frames, record, frame0, fraction, spans);
        if (!his || !own) {
            return null;
        }
        var at = window.FrameManager.heldPlace(record, byId[holder], his, frames.aspectRatio());
        return { x: at.x, y: at.y, rotation: own.rotation };
    }

    // Moves the item groups of `frames` to `fraction` of the way from frame
    // frame0 to the next, their records looked up in `byId`; one off the
    // pitch at either end is faded.
    function placeItems(frames, byId, frame0, fraction) {
        var layer = frames.animLayer;
        var spans = frames.hasSpans();
        var stepMs = frames.frameDurations[frame0];
        layer.itemGroups().forEach(function (group) {
            var id = group.getAttr('id');
            var record = byId.hasOwnProperty(id) ? byId[id] : null;
            var state = record && ((record.holders && heldState(frames, byId, record, frame0, fraction, spans)) ||
                stepState(frames, record, frame0, fraction, spans));
            if (!state) {
                return;
            }
            if (spans) {
                var shows = presence(frames, record, frame0, fraction, stepMs);
                if (group.opacity() !== shows) {
                    group.opacity(shows);
                }
                if (group.visible() !== shows > 0) {
                    group.visible(shows > 0);
                }
            }
            group.updatePosition(layer.pixelPos(state), state.rotation);
        });
    }

    // Ignored when nothing plays: a late stop must not throw away what the
    // user has done on the selected frame since.
    PlaybackManager.prototype.stop = function () {
        if (!this.isPlaying) {
            return;
        }
        this.anim.stop();
        this.isPlaying = false;
        this.isPaused = false;
        this.drawForPlayback(false);
        this.frameManager.loadFrame(this.startFrame);
        this.playbackEnded();
    };

    // timeFromStart counts from the start frame; after a loop has wrapped
    // it may be below 0, down to frame 0.
    PlaybackManager.prototype.drawFrame = function (timeFromStart) {
        var t = this.timeOfFrame(this.startFrame) + timeFromStart;
        if (typeof timeFromStart !== 'number' || !isFinite(timeFromStart) || !(t >= 0)) {
            throw new Error('PlaybackManager.drawFrame: the time must be a number of milliseconds ' +
                'at frame 0 or later, got ' + timeFromStart);
        }
        var frames = this.frameManager;
        var nFrames = frames.nFrames;
        var moment = this.momentAt(t);
        this.playhead = t;

        if (moment.frame >= nFrames - 1) {
            this.anim.stop();
            this.isPlaying = false;
            this.isPaused = false;
            this.drawForPlayback(false);
            frames.loadFrame(nFrames - 1);
            this.playbackEnded();
            return;
        }
        this.showMoment(moment.frame, moment.fraction);
        window.myDispatchEvent('updateTimelineProgress', {
            time: t
        });
    };

    // Moves the items on display to fraction of the way from frame0 to the
    // next frame, with that frame's caption, lines and drawings.
    PlaybackManager.prototype.showMoment = function (frame0, fraction) {
        var frames = this.frameManager;
        var layer = frames.animLayer;
        // During playback frame0 only grows (a loop aside); a scrub or a
        // direct caller (the image generator) may jump anywhere, and then
        // the lines must follow too.
        var entered = frame0 !== this.currentPlaybackFrame;
        this.currentPlaybackFrame = frame0;

        layer.setCaption(frames.captionOf(frame0));
        if (entered) {
            frames.addGroupsOffPitch();
        }

        // Labels held in place keep the places of the step, worked out from
        // the drill, so that a moment looks the same however it is reached.
        if (layer.labelLayout.isHeld()) {
            layer.labelLayout.showStep(frames, frame0);
        }
        placeItems(frames, recordsById(frames.objects), frame0, fraction);

        if (entered || fraction === 0) {
            frames.updateRunningLines(frame0);
        }
        if (frames.drawings) {
            // Drawings count their spans in frames of a second each.
            frames.drawings.showTime((frame0 + fraction) * FRAME_MS);
        }
    };

    // Shows the moment at frame position p (0 to the last frame) while the
    // timeline is scrubbed, without playing: nothing is saved, and
    // endScrub puts the selected frame back.
    PlaybackManager.prototype.scrubTo = function (p) {
        var frames = this.frameManager;
        if (this.isPlaying || frames.nFrames < 2 || typeof p !== 'number' || !isFinite(p)) {
            return;
        }
        if (!this.isScrubbing) {
            frames.saveFrame();
            frames.animLayer.find('.fieldItemGroup').each(function (group) {
                group.selectFunc(false);
            });
            this.drawForPlayback(true);
            this.isScrubbing = true;
            this.currentPlaybackFrame = -1;
        }
        var last = frames.nFrames - 1;
        this.playhead = this.timeAtPosition(Math.max(0, Math.min(last, p)));
        var moment = this.momentAt(this.playhead);
        if (moment.frame < last) {
            this.showMoment(moment.frame, moment.fraction);
        } else {
            // The last frame is the end of the step into it, with its own
            // caption and lines.
            this.showMoment(last - 1, 1);
            frames.animLayer.setCaption(frames.captionOf(last));
            frames.updateRunningLines(last);
            frames.animLayer.labelLayout.showStep(frames, last);
            this.currentPlaybackFrame = last;
        }
        this.redrawTick();
    };

    // Where a step from animation time t lands, within the drill: a tenth
    // of a second when `fine`; else on, the next frame; back, the frame t
    // is in, or the one before when t is at it.
    PlaybackManager.prototype.stepTarget = function (t, direction, fine) {
        var last = this.frameManager.nFrames - 1;
        var end = this.timeOfFrame(last);
        if (fine) {
            return Math.max(0, Math.min(end, t + direction * FINE_STEP_MS));
        }
        for (var i = 0; i <= last; i++) {
            var k = direction > 0 ? i : last - i;
            var at = this.timeOfFrame(k);
            if (direction > 0 ? at > t + AT_FRAME_MS : at < t - AT_FRAME_MS) {
                return at;
            }
        }
        return direction > 0 ? end : 0;
    };

    // Shows animation time t while playback is paused, drawn at once; at the
    // last frame playback ends there, as it does when played to the end.
    PlaybackManager.prototype.showTime = function (t) {
        if (!this.isPlaying) {
            return;
        }
        this.drawFrame(t - this.timeOfFrame(this.startFrame));
        if (this.isPlaying) {
            this.redrawTick();
        }
    };

    PlaybackManager.prototype.endScrub = function () {
        if (!this.isScrubbing) {
            return;
        }
        this.isScrubbing = false;
        var frames = this.frameManager;
        this.drawForPlayback(false);
        frames.loadFrame(frames.selectedFrame);
    };

    PlaybackManager.prototype.playbackEnded = function () {
        window.myDispatchEvent('playbackEnded', {});
        window.myDispatchEvent('enableControls', {});
    };

    window.PlaybackManager = PlaybackManager;
}(window, Kinetic));
