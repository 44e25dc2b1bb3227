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
// Use: var bitmap = createShapeBitmap(draw), draw(context) drawing the
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
// drawHeldFirst(shape, tryHeld) (util.js), the shape is drawn by
// tryHeld(canvas) alone when that draws it (bitmap.drawHeld does, from a
// bitmap that still shows the shape as it is), and by Kinetic otherwise.
(function (window, Kinetic) {
    'use strict';

    // A new bitmap is made this much larger than needed, so that the
    // shape's next pictures fit in it too.
    var SLACK = 1.25;

    // The box's corners on the canvas, in its pixels: { x, y, width,
    // height } on whole pixels, cut to the canvas; null when nothing of it
    // is on the canvas.
    function pixelBox(m, box, canvas) {
        var xs = [];
        var ys = [];
        [[box.x, box.y], [box.x + box.width, box.y], [box.x, box.y + box.height],
            [box.x + box.width, box.y + box.height]].forEach(function (p) {
            xs.push(m[0] * p[0] + m[2] * p[1] + m[4]);
            ys.push(m[1] * p[0] + m[3] * p[1] + m[5]);
        });
        var left = Math.max(0, Math.floor(Math.min.apply(null, xs)));
        var top = Math.max(0, Math.floor(Math.min.apply(null, ys)));
        var right = Math.min(canvas.width, Math.ceil(Math.max.apply(null, xs)));
        var bottom = Math.min(canvas.height, Math.ceil(Math.max.apply(null, ys)));
        if (!(right > left && bottom > top)) {
            return null;
        }
        return { x: left, y: top, width: right - left, height: bottom - top };
    }

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

    function copy(context, made) {
        var c = context._context;
        c.save();
        c.setTransform(1, 0, 0, 1, 0, 0);
        c.drawImage(made.canvas._canvas, 0, 0, made.at.width, made.at.height, made.at.x, made.at.y,
            made.at.width, made.at.height);
        c.restore();
    }

    // Only the layer's own canvas, and only a shape drawn whole.
    function drawnOnLayer(shape, canvas) {
        var layer = shape.getLayer();
        return !!layer && window.isOwnCanvas(layer, canvas) && shape.getAbsoluteOpacity() === 1;
    }

    function createShapeBitmap(draw, steady) {
        if (typeof draw !== 'function') {
            throw new Error('createShapeBitmap: a function drawing the shape is needed');
        }
        // { look, m, width, height (the canvas's), canvas (null when the
        // shape is off the canvas), at (where on the canvas) }
        var made = null;
        // What the shape was last drawn as by draw itself, when steady.
        var seen = null;

        // The bitmap made last, kept when it goes stale: a new one that fits
        // in it is drawn there. Making a canvas costs more than drawing most
        // shapes, and playback makes every item's lines again at each frame.
        var spare = null;

        function record(look, m, canvas) {
            return { look: look.slice(), m: m, width: canvas.width,
                height: canvas.height, canvas: null, at: null };
        }

        function make(look, m, box, canvas) {
            var result = record(look, m, canvas);
            var at = pixelBox(m, box, canvas);
            if (!at) {
                return result;
            }
            var bitmap = spare;
            if (!bitmap || bitmap.getWidth() < at.width || bitmap.getHeight() < at.height) {
                bitmap = new Kinetic.SceneCanvas({ pixelRatio: 1,
                    width: Math.min(canvas.width, Math.ceil(at.width * SLACK)),
                    height: Math.min(canvas.height, Math.ceil(at.height * SLACK)) });
            }
            spare = bitmap;
            var context = bitmap.getContext();
            context._context.setTransform(1, 0, 0, 1, 0, 0);
            context._context.clearRect(0, 0, at.width, at.height);
            context._context.setTransform(m[0], m[1], m[2], m[3], m[4] - at.x, m[5] - at.y);
            draw(context);
            result.canvas = bitmap;
            result.at = at;
            return result;
        }

        return {
            // `mayMake` false: a bitmap that would have to be made now is
            // not, and the shape is drawn by draw itself.
            draw: function (context, shape, look, bounds, mayMake) {
                var canvas = context.getCanvas();
                if (!drawnOnLayer(shape, canvas)) {
                    draw(context);
                    return false;
                }
                var m = matrixOn(shape, canvas, true);
                var madeNow = false;
                if (!shows(made, look, m, canvas)) {
                    if ((steady && !shows(seen, look, m, canvas)) || mayMake === false) {
                        made = null;
                        seen = record(look, m, canvas);
                        draw(context);
                        return false;
                    }
                    made = make(look, m, bounds(), canvas);
                    madeNow = true;
                }
                if (made.canvas) {
                    copy(context, made);
                }
                return madeNow;
            },
            // Draws the shape onto `canvas` from the bitmap held, when that
            // shows it at `look` as it stands now; returns whether it did.
            drawHeld: function (canvas, shape, look) {
                if (!made || !drawnOnLayer(shape, canvas) || !shows(made, look, matrixOn(shape, canvas), canvas)) {
                    return false;
                }
                if (made.canvas) {
                    copy(canvas.getContext(), made);
                }
                return true;
            },
            drop: function () {
                made = null;
                seen = null;
                spare = null;
            },
            // Whether a bitmap is held now; for tests.
            isHeld: function () {
                return !!(made && made.canvas);
            }
        };
    }

    window.createShapeBitmap = createShapeBitmap;
}(window, Kinetic));
