// A shape's picture kept as a bitmap of the canvas's own pixels, for
// shapes that playback draws again on every tick without a change: a
// drawing that does not fade, an item's running lines between two frames,
// the picture of an item standing still.
// The bitmap is drawn with the very transform the layer's canvas has, moved
// by whole pixels only, so every edge falls on the same fraction of a pixel;
// it is then copied back unscaled, so what shows is what drawing the shape
// itself shows (but for a last bit of rounding where its own parts overlap
// half-transparently).
//
// Use: var bitmap = new ShapeBitmap(draw), draw(context) drawing the
// shape's picture in the shape's own pixels; then, from the shape's
// sceneFunc, bitmap.draw(context, shape, look, bounds) instead of
// draw(context). `look` is a list of texts, numbers and flags that
// changes whenever what draw draws does (the bitmap is made again then;
// a list, since playback compares every shape's look on every tick, and a
// text made of numbers costs more to make than to draw); `bounds()` gives a box
// { x, y, width, height } of the shape's own pixels that holds all it
// draws. A shape that is not fully opaque, or drawn onto any canvas but
// its layer's own (isOwnCanvas), is drawn by draw itself.
// bitmap.draw returns true when it made a bitmap.
// bitmap.drop() lets the bitmap go. With `steady` true, a bitmap is made
// only once the shape is drawn a second time as it was the time before:
// a shape that moves on every tick (a running player) is drawn by draw
// itself, instead of into a bitmap used once.
// Playback draws some hundred shapes on every tick, and Kinetic's own
// drawing of a shape (its checks, and the canvas state it saves, sets and
// restores around it) costs more than copying a small bitmap: with
// drawHeldFirst(shape, tryHeld) (ShapeDrawing.js), the shape is drawn by
// tryHeld(canvas) alone when that draws it (bitmap.drawHeld does, from a
// bitmap that still shows the shape as it is), and by Kinetic otherwise.
(function (window) {
    'use strict';

    // The shape's transform on `canvas`, in the canvas's own pixels; a
    // copy to keep when `kept`.
    function matrixOn(shape, canvas, kept) {
        var m = shape.getAbsoluteTransform().getMatrix();
        var ratio = canvas.getPixelRatio();
        if (ratio !== 1) {
            return m.map(function (v) { return v * ratio; });
        }
        return kept ? m.slice() : m;
    }

    // Whether `made` shows the shape at `look` with transform `m` on `canvas`.
    function shows(made, look, m, canvas) {
        return !!made && made.width === canvas.width && made.height === canvas.height && window.sameValues(made.m, m) &&
            window.sameValues(made.look, look);
    }

    // Only the layer's own canvas, and only a shape drawn whole.
    function drawnOnLayer(shape, canvas) {
        var layer = shape.getLayer();
        return !!layer && window.isOwnCanvas(layer, canvas) && shape.getAbsoluteOpacity() === 1;
    }

    function record(look, m, canvas) {
        return { look: look.slice(), m: m, width: canvas.width,
            height: canvas.height, canvas: null, at: null };
    }

    function ShapeBitmap(draw, steady) {
        if (typeof draw !== 'function') {
            throw new Error('ShapeBitmap: a function drawing the shape is needed');
        }
        this.drawShape = draw;
        this.steady = steady;
        // { look, m, width, height (the canvas's), canvas (null when the
        // shape is off the canvas), at (where on the canvas) }
        this.made = null;
        // What the shape was last drawn as by draw itself, when steady.
        this.seen = null;

        // The bitmap made last, kept when it goes stale: a new one that fits
        // in it is drawn there. Making a canvas costs more than drawing most
        // shapes, and playback makes every item's lines again at each frame.
        this.spare = null;
    }

    // `mayMake` false: a bitmap that would have to be made now is
    // not, and the shape is drawn by draw itself.
    ShapeBitmap.prototype.draw = function (context, shape, look, bounds, mayMake) {
        var canvas = context.getCanvas();
        if (!drawnOnLayer(shape, canvas)) {
            this.drawShape(context);
            return false;
        }
        var m = matrixOn(shape, canvas, true);
        var madeNow = false;
        if (!shows(this.made, look, m, canvas)) {
            if ((this.steady && !shows(this.seen, look, m, canvas)) || mayMake === false) {
                this.made = null;
                this.seen = record(look, m, canvas);
                this.drawShape(context);
                return false;
            }
            var box = bounds();
            this.made = this.paint(record(look, m, canvas), box, canvas);
            madeNow = true;
        }
        if (this.made.canvas) {
            this.copyTo(context);
        }
        return madeNow;
    };

    // Draws the shape onto `canvas` from the bitmap held, when that
    // shows it at `look` as it stands now; returns whether it did.
    ShapeBitmap.prototype.drawHeld = function (canvas, shape, look) {
        var made = this.made;
        if (!made || !drawnOnLayer(shape, canvas) || !shows(made, look, matrixOn(shape, canvas), canvas)) {
            return false;
        }
        if (made.canvas) {
            this.copyTo(canvas.getContext());
        }
        return true;
    };

    ShapeBitmap.prototype.drop = function () {
        this.made = null;
        this.seen = null;
        this.spare = null;
    };

    // Whether a bitmap is held now; for tests.
    ShapeBitmap.prototype.isHeld = function () {
        return !!(this.made && this.made.canvas);
    };

    window.ShapeBitmap = ShapeBitmap;
}(window));
