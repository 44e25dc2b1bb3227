// The pixels of a shape bitmap (ShapeBitmap.js): the shape drawn into a
// canvas of the bitmap's own at the layer canvas's transform, moved by whole
// pixels, and copied back from it unscaled.
(function (window, Kinetic) {
    'use strict';

    var ShapeBitmap = window.ShapeBitmap;

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

    // Draws the shape, at the transform `result` (a new record of it on
    // `canvas`) keeps, into a bitmap that `result` then holds, when `box`
    // is on `canvas` at all; returns `result`.
    ShapeBitmap.prototype.paint = function (result, box, canvas) {
        var m = result.m;
        var at = pixelBox(m, box, canvas);
        if (!at) {
            return result;
        }
        var bitmap = this.spare;
        if (!bitmap || bitmap.getWidth() < at.width || bitmap.getHeight() < at.height) {
            bitmap = new Kinetic.SceneCanvas({ pixelRatio: 1,
                width: Math.min(canvas.width, Math.ceil(at.width * SLACK)),
                height: Math.min(canvas.height, Math.ceil(at.height * SLACK)) });
        }
        this.spare = bitmap;
        var context = bitmap.getContext();
        context._context.setTransform(1, 0, 0, 1, 0, 0);
        context._context.clearRect(0, 0, at.width, at.height);
        context._context.setTransform(m[0], m[1], m[2], m[3], m[4] - at.x, m[5] - at.y);
        this.drawShape(context);
        result.canvas = bitmap;
        result.at = at;
        return result;
    };

    // Copies the bitmap held onto `context`'s canvas where the shape is.
    ShapeBitmap.prototype.copyTo = function (context) {
        var made = this.made;
        var c = context._context;
        c.save();
        c.setTransform(1, 0, 0, 1, 0, 0);
        window.PictureCopy.draw(c, made.canvas._canvas, made, 0, 0, made.at.width, made.at.height, made.at.x, made.at.y,
            made.at.width, made.at.height);
        c.restore();
    };
}(window, Kinetic));
