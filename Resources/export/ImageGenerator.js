// Pictures of single moments of an animation, for the snapshot, the video
// and the report. The generator owns a hidden animation of its own, in
// offscreenContainer0: each caller loads a copy of the editor's animation
// into it, so that an export never disturbs what the coach sees.
//
// Use: loadAnimation(text), configureAnimation(width, drawForPrint,
// showRunningLines, showGrid, hideCaption) and, for a video of another
// shape than the pitch's, configureShape(shape), then getImage(timeInMs, callback),
// getFrameImage(n, callback) or getPixels(timeInMs, callback), each next
// made from the previous one's callback. That is one chain. A chain ends when a callback returns without
// asking for another picture.
//
// A text the hidden animation refuses (a drill past what a file may hold)
// is never drawn as whatever drill the generator held before: until the
// next loadAnimation every picture asked for comes back as null, with the
// reason, and nothing is drawn.
//
// A chain may also wait between pictures for something outside the page (the
// host taking a video picture): holdChain() from a callback keeps the chain
// and returns its `next` (asks for the following picture, later) and
// `release` (ends the chain there).
//
// One chain at a time: a call made while another caller's chain is still
// drawing (a snapshot pressed during an export, say) is kept and run, in
// order, once that chain has ended. Two animations are never interleaved
// in the one hidden animation.
(function (window, Kinetic) {
    'use strict';

    var CONTAINER = 'offscreenContainer0';
    var INITIAL_WIDTH = 1024;
    var INITIAL_HEIGHT = 768;
    // The engine's default JPEG quality, as the stage's own export uses.
    var MIME_TYPE = 'image/jpeg';
    var REFUSAL = 'The drill could not be drawn: ';

    function ImageGenerator() {
        if (!(this instanceof ImageGenerator)) {
            throw new Error('ImageGenerator must be called with new');
        }
        this.width = INITIAL_WIDTH;
        this.height = INITIAL_HEIGHT;
        this.rotWidth = INITIAL_WIDTH;
        this.rotHeight = INITIAL_HEIGHT;
        // Built when first needed: it costs as much as the editor's own, and
        // an editor that exports nothing, or has yet to, never pays for it.
        this.animation = null;

        // The picture being drawn ({timeInMs, callback}), null when none.
        this.pending = null;
        // Why the text loaded last was refused; '' when it is the one held.
        this.refusal = '';
        // True while a callback runs: what it asks for belongs to its chain.
        this.delivering = false;
        // A chain held between two pictures (holdChain).
        this.held = false;
        // Calls of chains that wait for the current one to end.
        this.waiting = [];
        // One canvas of the picture's size, reused for every picture, and
        // one of a turned pitch's own (fitPitch).
        this.canvas = null;
        this.cutCanvas = null;
        this.fitPitch = false;
        // The video's other shape (a ShapedPicture) the pictures are
        // composed into, null for the pitch's own; and how the chain was
        // configured, for drawing at the size that shape asks.
        this.shape = null;
        this.shown = null;
        // What lies under the items (white backing and pitch), composed once
        // per chain: only the items move from one picture to the next.
        this.backdrop = null;
    }

    // The hidden animation, drawn for print with its grid on, until a
    // caller configures it otherwise.
    ImageGenerator.prototype.hiddenAnimation = function () {
        if (!this.animation) {
            this.animation = new window.Animation(INITIAL_WIDTH, INITIAL_HEIGHT, CONTAINER);
            this.animation.stage.getChildren().each(drawnOnlyIntoPictures);
            this.applyConfiguration(INITIAL_WIDTH, true, false, true);
        }
        return this.animation;
    };

    // The hidden stage is never seen: its layers are drawn only onto the
    // picture's canvas (capture). Kinetic would also redraw each layer on
    // its own canvases, its scene and its hit graph, after every change (a
    // caption, the running lines of each new frame, a loaded drill), which
    // cost a video as much as a seventh of its pictures.
    function drawnOnlyIntoPictures(layer) {
        var drawScene = layer.drawScene;
        layer.drawScene = function (canvas) {
            return canvas ? drawScene.apply(this, arguments) : this;
        };
        layer.drawHit = function () {
            return this;
        };
    }

    // True from a getImage until its chain has ended.
    ImageGenerator.prototype.isBusy = function () {
        return this.pending !== null || this.delivering || this.held;
    };

    // From a callback: the chain stays this caller's after the callback has
    // returned, until its `next(timeInMs, callback)` asks for the following
    // picture (of the kind the held one was: a data URL or pixels) or its `release()` ends
    // it. Either may be called once.
    ImageGenerator.prototype.holdChain = function () {
        if (!this.delivering) {
            throw new Error('ImageGenerator.holdChain: hold the chain from a callback of its own');
        }
        var self = this;
        var open = true;
        var pixels = this.deliveringPixels;
        var close = function () {
            if (!open) {
                throw new Error('ImageGenerator.holdChain: the chain was already taken up or released');
            }
            open = false;
            self.held = false;
        };
        this.held = true;
        return {
            next: function (timeInMs, callback) {
                close();
                var delivering = self.delivering;
                self.delivering = true;
                try {
                    (pixels ? self.getPixels : self.getImage).call(self, timeInMs, callback);
                } finally {
                    self.delivering = delivering;
                }
            },
            release: function () {
                close();
                if (!self.delivering) {
                    self.runWaiting();
                }
            }
        };
    };

    // Runs `operation` now, or keeps it for when the chain now drawing has
    // ended if it comes from outside that chain.
    ImageGenerator.prototype.runInTurn = function (operation) {
        if (this.isBusy() && !this.delivering) {
            this.waiting.push(operation);
            return;
        }
        operation();
    };

    ImageGenerator.prototype.runWaiting = function () {
        if (!this.isBusy() && this.animation) {
            this.animation.playbackManager.drawFromBitmaps(false);
        }
        while (!this.isBusy() && this.waiting.length > 0) {
            var operation = this.waiting.shift();
            try {
                operation();
            } catch (e) {
                // Shown in the console; the chains behind it still run.
                window.setTimeout(function () { throw e; }, 0);
            }
        }
    };

    // `text`: what the editor's saveToString gives. A text that cannot be
    // loaded is not the editor's file to report: the pictures that follow
    // carry the reason instead.
    ImageGenerator.prototype.loadAnimation = function (text) {
        var self = this;
        this.runInTurn(function () {
            self.backdrop = null;
            self.hiddenAnimation().animLayer.labelLayout.forgetSteps();
            var problem = self.hiddenAnimation().loadText(text);
            self.refusal = problem ? REFUSAL + problem : '';
        });
    };

    // Calls `callback(names, refusal)` with the names of the pictures the
    // drill of `text` shows on screen (its items', its pitch's goals and
    // logo), for a page that carries them; a text the hidden animation
    // refuses gives no names and the reason. In turn, as a chain is.
    ImageGenerator.prototype.picturesOf = function (text, callback) {
        var self = this;
        this.runInTurn(function () {
            var problem = '';
            var names = window.picturesAskedIn(function () {
                var animation = self.hiddenAnimation();
                self.backdrop = null;
                animation.setDrawForPrint(false);
                animation.animLayer.labelLayout.forgetSteps();
                problem = animation.loadText(text);
            });
            self.refusal = problem ? REFUSAL + problem : '';
            callback(problem ? [] : names, problem ? self.refusal : undefined);
        });
    };

    // `hideCaption`, for a caller that prints the caption itself, leaves it
    // off the pictures until the next configuration. `fitPitch` cuts a
    // turned pitch's pictures to the pitch: a portrait picture, of the
    // frame's height, without the white bands either side.
    ImageGenerator.prototype.configureAnimation = function (width, drawForPrint, showRunningLines, showGrid,
        hideCaption, fitPitch) {
        if (!window.isPositiveNumber(width)) {
            throw new Error('ImageGenerator.configureAnimation: the width must be a positive number of pixels, ' +
                'got ' + width);
        }
        var self = this;
        this.runInTurn(function () {
            self.applyConfiguration(width, !!drawForPrint, !!showRunningLines, !!showGrid);
            self.hiddenAnimation().animLayer.showCaption(!hideCaption);
            self.fitPitch = !!fitPitch;
            self.shape = null;
        });
    };

    // After configureAnimation, for the rest of the chain: every picture is
    // `shape`'s (a ShapedPicture), the pitch drawn at the size that fills
    // it, a turned one cut to itself first. The caption goes in the shape's
    // band, not on the pitch. A null shape leaves the pitch's own.
    ImageGenerator.prototype.configureShape = function (shape) {
        var self = this;
        this.runInTurn(function () {
            if (!shape) {
                return;
            }
            var turned = self.hiddenAnimation().isRotated;
            var w = turned ? self.rotHeight : self.width;
            var h = turned ? self.rotWidth : self.height;
            var shown = self.shown;
            self.applyConfiguration(Math.floor(self.width * shape.fitScale(w, h)), shown.drawForPrint,
                shown.showRunningLines, shown.showGrid);
            self.animation.animLayer.showCaption(false);
            self.shape = shape;
        });
    };

    ImageGenerator.prototype.applyConfiguration = function (width, drawForPrint, showRunningLines, showGrid) {
        var animation = this.hiddenAnimation();
        var frames = animation.frameManager;
        this.backdrop = null;
        this.shown = { drawForPrint: drawForPrint, showRunningLines: showRunningLines, showGrid: showGrid };
        this.width = width;
        this.height = width / animation.aspectRatio;
        // Items may stand where an earlier picture drew them, between two
        // frames; the refit below saves what is on display into the model,
        // so the stored frame is put back on display first.
        frames.loadFrame(frames.selectedFrame);
        animation.updateBounds(this.width / 2, this.height / 2, this.width, this.height);
        this.rotWidth = animation.animLayer.layerWidth;
        this.rotHeight = animation.animLayer.layerHeight;
        animation.setDrawForPrint(drawForPrint);
        if (animation.animLayer.showRunningLines !== showRunningLines) {
            animation.toggleRunningLines();
        }
        if (animation.bgLayer.gridVisibility() !== showGrid) {
            animation.toggleGrid();
        }
        // Whatever frame the last picture was in, the next one brings the
        // running lines of its own frame, and the labels' places through the
        // steps are worked out for this drill at this size.
        animation.playbackManager.currentPlaybackFrame = -1;
        animation.animLayer.labelLayout.forgetSteps();
    };

    // Calls `callback` later with the picture of the moment `timeInMs` as a
    // JPEG data URL of width x height. A time past the last frame shows the
    // last frame. After a refused text: callback(null, why it was refused).
    ImageGenerator.prototype.getImage = function (timeInMs, callback) {
        checkTime(timeInMs);
        this.ask({ timeInMs: timeInMs, frame: null }, callback);
    };

    // getImage, but the callback gets the picture's pixels as the canvas
    // holds them, uncompressed: width x height x 4 bytes (red, green, blue,
    // alpha), the top row first. The video takes these: they cost the page
    // less than a JPEG, and the host nothing to decode.
    ImageGenerator.prototype.getPixels = function (timeInMs, callback) {
        checkTime(timeInMs);
        this.ask({ timeInMs: timeInMs, frame: null, pixels: true }, callback);
    };

    function checkTime(timeInMs) {
        if (typeof timeInMs !== 'number' || !isFinite(timeInMs) || timeInMs < 0) {
            throw new Error('ImageGenerator.getImage: the time must be a number of milliseconds of at least 0, ' +
                'got ' + timeInMs);
        }
    }

    // getImage of the moment frame `n` (from 0) is reached, whatever the
    // steps before it last in the drill loaded.
    ImageGenerator.prototype.getFrameImage = function (n, callback) {
        if (typeof n !== 'number' || n % 1 !== 0 || n < 0) {
            throw new Error('ImageGenerator.getFrameImage: the frame must be a whole number of at least 0, got ' + n);
        }
        this.ask({ timeInMs: null, frame: n }, callback);
    };

    ImageGenerator.prototype.ask = function (moment, callback) {
        if (typeof callback !== 'function') {
            throw new Error('ImageGenerator.getImage: a callback is needed');
        }
        var self = this;
        this.runInTurn(function () {
            if (self.pending) {
                throw new Error('ImageGenerator.getImage: ask for the next picture from the callback of the last');
            }
            self.pending = { moment: moment, callback: callback, refusal: self.refusal };
            // The goals, the logo and the items' pictures must be in place;
            // a pitch picture that arrives now changes the backdrop.
            if (window.picturesStillLoading()) {
                self.backdrop = null;
            }
            window.whenPicturesLoaded(function () {
                self.capturePending();
            });
        });
    };

    ImageGenerator.prototype.capturePending = function () {
        var request = this.pending;
        var picture = null;
        try {
            if (!request.refusal) {
                this.drawInstant(this.timeOf(request.moment), request.moment.frame !== null);
                picture = this.capture(!!request.moment.pixels);
            }
        } finally {
            this.pending = null;
        }
        this.delivering = true;
        this.deliveringPixels = !!request.moment.pixels;
        try {
            request.callback(picture, request.refusal || undefined);
        } finally {
            this.delivering = false;
            this.runWaiting();
        }
    };

    ImageGenerator.prototype.timeOf = function (moment) {
        if (moment.frame === null) {
            return moment.timeInMs;
        }
        return window.FrameTiming.startOf(this.hiddenAnimation().frameManager.frameDurations, moment.frame);
    };

    // The playback's own drawing, from frame 0: items half-way between two
    // frames stand half-way, with that frame's caption and running lines;
    // at or past the last frame the last frame is shown as stored. What
    // stays the same from one picture to the next is drawn from bitmaps of
    // itself, as playback draws it. Asked for every picture, since groups a
    // frame loads come without; runWaiting lets the bitmaps go once the
    // chain has ended. A moment of the drill (the video's) holds each label
    // where playback holds it, to the last frame; a frame's picture (`still`:
    // the report's, a saved picture) shows its labels as the editor lays
    // that frame out.
    ImageGenerator.prototype.drawInstant = function (timeInMs, still) {
        var animation = this.hiddenAnimation();
        var playback = animation.playbackManager;
        var labels = animation.animLayer.labelLayout;
        playback.startFrame = 0;
        labels.hold(!still);
        playback.drawFrame(timeInMs);
        if (!still && !labels.isHeld()) {
            labels.hold(true);
            labels.showStep(animation.frameManager, animation.frameManager.nFrames - 1);
        }
        playback.drawFromBitmaps(true);
    };

    // The stage's layers in stacking order, drawn (their scenes only, no hit
    // graph) onto one canvas of the picture's size and encoded once, or its
    // pixels read (`asPixels`). The stage's own export draws each layer into
    // a picture of its own and composes them through image loads, which
    // costs ten times as much for the same pixels. Layers report the stage's
    // size in this Kinetic, so a turned pitch is never cut off and needs no
    // enlarging for the capture. The pitch's layers do not change within a
    // chain (drawings and items do, and are drawn onto every picture): they
    // are composed once into the backdrop and copied, pixel for pixel, after.
    ImageGenerator.prototype.capture = function (asPixels) {
        var canvas = this.pictureCanvas();
        var context = canvas.getContext();
        var layers = this.hiddenAnimation().stage.getChildren();
        var items = this.animation.animLayer;
        var drawings = this.animation.drawingLayer;
        // The picture is these layers' own canvas (isOwnCanvas): they are
        // never drawn onto any other.
        items.picturedOn = canvas;
        drawings.picturedOn = canvas;
        if (!this.backdrop) {
            this.backdrop = this.composeBackdrop(layers, [drawings, items]);
        }
        // The backdrop replaces the last picture's pixels, transparent ones
        // included, in one pass rather than a clearing and a copy.
        var raw = context._context;
        raw.globalCompositeOperation = 'copy';
        raw.drawImage(this.backdrop._canvas, 0, 0);
        raw.globalCompositeOperation = 'source-over';
        drawLayerOnto(drawings, canvas);
        drawLayerOnto(items, canvas);
        var turned = this.animation.isRotated;
        var picture = (this.fitPitch || this.shape) && turned ? this.pitchCut(canvas) : canvas;
        if (this.shape) {
            picture = this.shape.compose(picture._canvas, this.animation.animLayer.getCaption());
        }
        if (asPixels) {
            return picture.getContext()._context.getImageData(0, 0, picture.getWidth(), picture.getHeight()).data;
        }
        return picture.toDataURL(MIME_TYPE);
    };

    // The middle of `canvas` that a turned pitch fills: its layer's height
    // across and its width down.
    ImageGenerator.prototype.pitchCut = function (canvas) {
        var w = Math.round(this.rotHeight);
        var h = Math.round(this.rotWidth);
        this.cutCanvas = sized(this.cutCanvas, w, h);
        // Whole pixels, and in place of the last cut: a cut half a pixel off
        // blends its edge columns into what the last left there.
        var raw = this.cutCanvas.getContext()._context;
        raw.globalCompositeOperation = 'copy';
        raw.drawImage(canvas._canvas, -Math.round((canvas.getWidth() - w) / 2), -Math.round((canvas.getHeight() - h) / 2));
        raw.globalCompositeOperation = 'source-over';
        return this.cutCanvas;
    };

    // `changing`: the layers that differ from picture to picture.
    ImageGenerator.prototype.composeBackdrop = function (layers, changing) {
        var backdrop = new Kinetic.SceneCanvas({
            width: this.canvas.getWidth(), height: this.canvas.getHeight(), pixelRatio: 1
        });
        layers.each(function (layer) {
            if (changing.indexOf(layer) === -1) {
                drawLayerOnto(layer, backdrop);
            }
        });
        return backdrop;
    };

    function drawLayerOnto(layer, canvas) {
        var clears = layer.clearBeforeDraw();
        layer.clearBeforeDraw(false);
        try {
            layer.drawScene(canvas);
        } finally {
            layer.clearBeforeDraw(clears);
        }
    }

    ImageGenerator.prototype.pictureCanvas = function () {
        this.canvas = sized(this.canvas, Math.round(this.width), Math.round(this.height));
        return this.canvas;
    };

    // `canvas` (made when null) at w x h.
    function sized(canvas, w, h) {
        if (!canvas) {
            return new Kinetic.SceneCanvas({ width: w, height: h, pixelRatio: 1 });
        }
        if (canvas.getWidth() !== w || canvas.getHeight() !== h) {
            canvas.setSize(w, h);
        }
        return canvas;
    }

    window.ImageGenerator = ImageGenerator;
}(window, Kinetic));
