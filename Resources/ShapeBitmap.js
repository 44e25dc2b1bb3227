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
// draw(context). `look` is a text that changes whenever what draw draws
// does (the bitmap is made again then); `bounds()` gives a box
// { x, y, width, height } of the shape's own pixels that holds all it
// draws. A shape that is not fully opaque, or drawn onto any canvas but
// its layer's own (isOwnCanvas), is drawn by draw itself.
// bitmap.draw returns true when it made a bitmap.
// bitmap.drop() lets the bitmap go. With `steady` true, a bitmap is made
// only once the shape is drawn a second time as it was the time before:
// a shape that moves on every tick (a running player) is drawn by draw
// itself, instead of into a bitmap used once.
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

    function createShapeBitmap(draw, steady) {
        if (typeof draw !== 'function') {
            throw new Error('createShapeBitmap: a function drawing the shape is needed');
        }
        var made = null;
        // What the shape was last drawn as by draw itself, when steady.
        var seen = null;

        // The bitmap made last, kept when it goes stale: a new one that fits
        // in it is drawn there. Making a canvas costs more than drawing most
        // shapes, and playback makes every item's lines again at each frame.
        var spare = null;

        function make(key, m, box, canvas) {
            var at = pixelBox(m, box, canvas);
            if (!at) {
                return { key: key, canvas: null };
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
            return { key: key, canvas: bitmap, x: at.x, y: at.y, width: at.width, height: at.height };
        }

        return {
            // `mayMake` false: a bitmap that would have to be made now is
            // not, and the shape is drawn by draw itself.
            draw: function (context, shape, look, bounds, mayMake) {
                var canvas = context.getCanvas();
                var layer = shape.getLayer();
                if (!layer || !window.isOwnCanvas(layer, canvas) || shape.getAbsoluteOpacity() !== 1) {
                    draw(context);
                    return;
                }
                var ratio = canvas.getPixelRatio();
                var m = shape.getAbsoluteTransform().getMatrix().map(function (v) {
                    return v * ratio;
                });
                var key = [look, m.join(','), canvas.width, canvas.height].join('|');
                var madeNow = false;
                if (!made || made.key !== key) {
                    if ((steady && seen !== key) || mayMake === false) {
                        made = null;
                        seen = key;
                        draw(context);
                        return;
                    }
                    made = make(key, m, bounds(), canvas);
                    madeNow = true;
                }
                if (made.canvas) {
                    var c = context._context;
                    c.save();
                    c.setTransform(1, 0, 0, 1, 0, 0);
                    c.drawImage(made.canvas._canvas, 0, 0, made.width, made.height, made.x, made.y,
                        made.width, made.height);
                    c.restore();
                }
                return madeNow;
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
