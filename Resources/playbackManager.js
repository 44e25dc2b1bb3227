// Playback: turns the frames of a frame model into smooth motion, each
// frame step taking its own time (FrameTiming), moving the item groups on
// display to interpolated places without rebuilding them and without saving
// those places into the model.
// The image generator uses drawFrame alone to draw any moment of an
// animation.
//
// The loop does not draw frames itself: each tick raises the page event
// `drawFrame` with the time elapsed, and the page shell calls drawFrame of
// the on-screen animation's manager. Time is therefore always the real
// elapsed time, and a test can drive drawFrame with times of its own.
(function (window, Kinetic) {
    'use strict';

    var FRAME_MS = 1000;
    var FULL_TURN = 360;
    var HALF_TURN = 180;

    // Degrees from alpha towards beta, the shorter way round: 350 to 10
    // turns 20 degrees through 0, not 340 backwards. The larger angle is
    // brought down by whole turns to the last one not above the smaller, in
    // one step, since a stored angle may be many turns away.
    function interpolateRotation(alpha, beta, fraction) {
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
    }

    PlaybackManager.interpolateRotation = interpolateRotation;

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
        textsFromBitmaps(layer, true);
        window.myDispatchEvent('disableNonTimelineControls', {});

        this.startFrame = frames.selectedFrame;
        this.currentPlaybackFrame = frames.selectedFrame;
        this.isPlaying = true;

        // A new loop for each playback, so that its time starts at 0. The
        // loop redraws the layer's picture after each tick itself; Kinetic's
        // own redraw would draw the hit graph as well, which nothing can use
        // while the layer does not listen. The last tick has loaded the last
        // frame, which redraws both in full.
        var self = this;
        this.anim.stop();
        this.anim = new Kinetic.Animation(function (frame) {
            window.myDispatchEvent('drawFrame', { time: frame.time });
            if (self.isPlaying) {
                self.redrawTick();
            }
            return false;
        }, layer);
        this.anim.start();
    };

    // The redraw after a tick: only the moving items' picture.
    PlaybackManager.prototype.redrawTick = function () {
        this.frameManager.animLayer.drawScene();
    };

    // While playing, the item texts are drawn from bitmaps of themselves;
    // every tick draws them all, and none changes.
    function textsFromBitmaps(layer, on) {
        layer.itemGroups().forEach(function (group) {
            group.drawTextsFromBitmaps(on);
        });
    }

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

    // Ignored when nothing plays: a late stop must not throw away what the
    // user has done on the selected frame since.
    PlaybackManager.prototype.stop = function () {
        if (!this.isPlaying) {
            return;
        }
        this.anim.stop();
        this.isPlaying = false;
        textsFromBitmaps(this.frameManager.animLayer, false);
        this.frameManager.loadFrame(this.startFrame);
        this.playbackEnded();
    };

    PlaybackManager.prototype.drawFrame = function (timeFromStart) {
        if (typeof timeFromStart !== 'number' || !isFinite(timeFromStart) || timeFromStart < 0) {
            throw new Error('PlaybackManager.drawFrame: the time must be a number of milliseconds ' +
                'of at least 0, got ' + timeFromStart);
        }
        var frames = this.frameManager;
        var layer = frames.animLayer;
        var nFrames = frames.nFrames;
        // The one place where time becomes a step and a fraction of it.
        var timing = window.FrameTiming;
        var durations = frames.frameDurations;
        var time = timing.startOf(durations, this.startFrame) + timeFromStart;
        var step = timing.stepAt(durations, time);
        var frame0 = step.frame;

        if (step.ended || frame0 >= nFrames - 1) {
            this.anim.stop();
            this.isPlaying = false;
            textsFromBitmaps(layer, false);
            frames.loadFrame(nFrames - 1);
            this.playbackEnded();
            return;
        }

        var fraction = step.fraction;
        // During playback frame0 only grows; a direct caller (the image
        // generator) may jump anywhere, and then the lines must follow too.
        var entered = frame0 !== this.currentPlaybackFrame;
        this.currentPlaybackFrame = frame0;

        layer.setFrameText(frames.captionOf(frame0));

        var byId = recordsById(frames.objects);
        layer.itemGroups().forEach(function (group) {
            var id = group.getAttr('id');
            var record = byId.hasOwnProperty(id) ? byId[id] : null;
            var s0 = record && record.frames[frame0];
            var s1 = record && record.frames[frame0 + 1];
            // An item not yet in the model has no states to move between.
            if (!s0 || !s1) {
                return;
            }
            var pos = layer.pixelPos({
                x: s0.x * (1 - fraction) + s1.x * fraction,
                y: s0.y * (1 - fraction) + s1.y * fraction
            });
            group.updatePosition(pos, interpolateRotation(s0.rotation, s1.rotation, fraction));
        });

        if (entered || fraction === 0) {
            frames.updateRunningLines(frame0);
        }
        if (frames.drawings) {
            // Drawings count their spans in frames of a second each.
            frames.drawings.showTime((frame0 + fraction) * FRAME_MS);
        }

        window.myDispatchEvent('updateTimelineProgress', {
            percent: time / timing.total(durations) * 100
        });
    };

    PlaybackManager.prototype.playbackEnded = function () {
        window.myDispatchEvent('playbackEnded', {});
        window.myDispatchEvent('enableControls', {});
    };

    window.PlaybackManager = PlaybackManager;
}(window, Kinetic));
