// How shapes are drawn beyond Kinetic's own way: only while they show
// anything, texts from bitmaps of themselves, bitmaps held by the shape
// drawn first, hit areas drawn only when asked for, and shapes drawn
// beneath every item of their layer. Unlike the
// component scripts, this one exposes several globals, one per helper.
(function (window, Kinetic) {
    'use strict';

    // Kinetic draws a shape that shows nothing all the same, on every redraw:
    // a transparent one (one with both fill and stroke through a buffer
    // canvas the size of the stage, cleared and copied), or a text without
    // characters. From now on `shape`'s picture is drawn only while
    // `isShown(shape)`; its hit area, where it has one, is drawn as before.
    function drawOnlyWhenShown(shape, isShown) {
        var drawScene = shape.drawScene;
        shape.drawScene = function (canvas, top) {
            if (isShown(this)) {
                drawScene.call(this, canvas, top);
            }
            return this;
        };
        return shape;
    }

    // Whether `canvas` holds `layer`'s own picture: the layer's canvas, or
    // the picture an image generator draws its hidden layer onto instead
    // (`picturedOn`). What is drawn from bitmaps of itself is so drawn only
    // there; a picture of a layer taken elsewhere shows each shape drawn.
    function isOwnCanvas(layer, canvas) {
        return canvas === layer.getCanvas() || canvas === layer.picturedOn;
    }

    // A text costs far more to draw than a picture: the engine sets up its
    // font and lays it out again on every draw. While `on`, `text` is drawn
    // from a bitmap of itself from its second draw on, made again whenever
    // its look changes. The bitmap lands on whole pixels, so that it is
    // copied without being resampled and stays as sharp as the text.
    var BITMAP_PAD = 2;
    var ROUNDING_ERROR = 1e-6;

    // Compared on every draw while playing: a list, since a text made of
    // its numbers costs more to make than the bitmap to draw.
    function textLook(text, pixelRatio) {
        return [text.text(), text.fontSize(), text.fontFamily(), text.fontStyle(), text.fill(),
            text.getAttr('backing'), text.getAttr('outline'), text.width(), text.height(), text.align(),
            pixelRatio];
    }

    // Whether the lists a and b hold the same values in the same order.
    function sameValues(a, b) {
        if (a.length !== b.length) {
            return false;
        }
        for (var i = 0; i < a.length; i++) {
            if (a[i] !== b[i]) {
                return false;
            }
        }
        return true;
    }

    function makeTextBitmap(text, pixelRatio) {
        var canvas = new Kinetic.SceneCanvas({
            pixelRatio: pixelRatio,
            width: Math.ceil(text.width()) + 2 * BITMAP_PAD,
            height: Math.ceil(text.height()) + 2 * BITMAP_PAD
        });
        var context = canvas.getContext();
        context.save();
        context.translate(BITMAP_PAD, BITMAP_PAD);
        text._sceneFunc.call(text, context);
        context.restore();
        return { look: textLook(text, pixelRatio), canvas: canvas };
    }

    function drawTextBitmap(context) {
        var pixelRatio = context.getCanvas().getPixelRatio();
        var layer = this.getLayer();
        // A text drawn once only (a timeline rebuilt for a file just
        // opened) is not worth a bitmap; one drawn onto another canvas than
        // its layer's own (a picture of the layer) is drawn as it is.
        if ((!this.lookBitmap && !this.drawnDirectly) || !layer || !isOwnCanvas(layer, context.getCanvas())) {
            this.drawnDirectly = true;
            this._sceneFunc(context);
            return;
        }
        var look = textLook(this, pixelRatio);
        if (!this.lookBitmap || !sameValues(this.lookBitmap.look, look)) {
            this.lookBitmap = makeTextBitmap(this, pixelRatio);
        }
        // Where the bitmap's corner would fall on the layer, moved to a
        // whole pixel and taken back into the text's own frame. Rounded as
        // the engine snaps glyphs drawn directly (found by trial: columns to
        // the nearest, rows upwards), so that the text does not shift. A
        // corner put on a whole row (a label) may come back a rounding error
        // past it, and stays on that row.
        var m = this.getAbsoluteTransform().getMatrix();
        var x = m[0] * -BITMAP_PAD + m[2] * -BITMAP_PAD + m[4];
        var y = m[1] * -BITMAP_PAD + m[3] * -BITMAP_PAD + m[5];
        var dx = Math.round(x) - x;
        var dy = Math.ceil(y - ROUNDING_ERROR) - y;
        var det = m[0] * m[3] - m[1] * m[2];
        var canvas = this.lookBitmap.canvas;
        window.PictureCopy.draw(context._context, canvas._canvas, this.lookBitmap,
            0, 0, canvas.getWidth(), canvas.getHeight(),
            -BITMAP_PAD + (m[3] * dx - m[2] * dy) / det,
            -BITMAP_PAD + (m[0] * dy - m[1] * dx) / det,
            canvas.getWidth() / pixelRatio, canvas.getHeight() / pixelRatio);
    }

    // Playback draws some fifty texts on every tick, and Kinetic's drawing
    // of a node around its picture (checks, and the canvas state saved, set
    // and restored) costs more than copying the bitmap: an upright text on
    // its layer's own canvas whose bitmap is up to date is copied onto its
    // whole pixels (as drawTextBitmap places it) without Kinetic. Returns
    // whether it was.
    function drawHeldTextBitmap(text, canvas) {
        var bitmap = text.lookBitmap;
        var layer = text.getLayer();
        if (!bitmap || !layer || canvas !== layer.getCanvas() || canvas.getPixelRatio() !== 1 ||
                text.getAbsoluteOpacity() !== 1) {
            return false;
        }
        var m = text.getAbsoluteTransform().getMatrix();
        if (m[0] !== 1 || m[1] !== 0 || m[2] !== 0 || m[3] !== 1 || !sameValues(bitmap.look, textLook(text, 1))) {
            return false;
        }
        var c = canvas.getContext()._context;
        c.save();
        c.setTransform(1, 0, 0, 1, 0, 0);
        var picture = bitmap.canvas._canvas;
        window.PictureCopy.draw(c, picture, bitmap, 0, 0, picture.width, picture.height,
            Math.round(m[4] - BITMAP_PAD), Math.ceil(m[5] - BITMAP_PAD - ROUNDING_ERROR), picture.width, picture.height);
        c.restore();
        return true;
    }

    // From now on `shape` is drawn onto a canvas by tryHeld.call(shape,
    // canvas) when that returns true (it drew the shape, from a bitmap that
    // still shows it), and as Kinetic draws it otherwise. A shape hidden, or
    // drawn for a cached picture of a group (`top`), is left to Kinetic.
    // Once for a shape: later calls leave it as it is.
    function drawHeldFirst(shape, tryHeld) {
        if (shape.drawsHeldFirst) {
            return shape;
        }
        shape.drawsHeldFirst = true;
        var drawScene = shape.drawScene;
        shape.drawScene = function (canvas, top) {
            var layer = this.getLayer();
            var target = canvas || (layer && layer.getCanvas());
            if (!top && target && this.isVisible() && tryHeld.call(this, target)) {
                return this;
            }
            return drawScene.call(this, canvas, top);
        };
        return shape;
    }

    function drawTextFromBitmap(text, on) {
        if (on) {
            text.sceneFunc(drawTextBitmap);
            drawHeldFirst(text, function (canvas) {
                return drawHeldTextBitmap(this, canvas);
            });
        } else {
            text.sceneFunc(text._sceneFunc);
            text.lookBitmap = null;
            text.drawnDirectly = false;
        }
    }

    // A layer's hit graph (the hidden picture that tells which shape is
    // under the pointer) costs as much to draw as what is seen, and a
    // redraw draws both. From now on `layer` draws it only when it is
    // asked what lies under a point, and only if it was redrawn since.
    function drawHitWhenAsked(layer) {
        var drawHit = layer.drawHit;
        var getIntersection = layer._getIntersection;
        var getImageData = layer._getImageData;
        var stale = false;

        function bringUpToDate() {
            if (stale) {
                stale = false;
                drawHit.call(layer);
            }
        }

        layer.drawHit = function (canvas, top) {
            if (canvas) {
                return drawHit.call(layer, canvas, top);
            }
            stale = true;
            return layer;
        };
        layer._getIntersection = function (pos) {
            bringUpToDate();
            return getIntersection.call(layer, pos);
        };
        layer._getImageData = function (x, y) {
            bringUpToDate();
            return getImageData.call(layer, x, y);
        };
        return layer;
    }

    // From now on `shape` is drawn only in its layer's pass beneath the
    // items, where its layer makes one (`drawsBeneathItems`, the animation
    // layer): running lines and label leaders lie under every item, not
    // only under their own. On any other layer it is drawn as before.
    function drawnBeneathItems(shape) {
        var drawScene = shape.drawScene;
        shape.drawScene = function (canvas, top) {
            var layer = this.getLayer();
            if (layer && layer.drawsBeneathItems && !layer.drawingBeneathItems) {
                return this;
            }
            return drawScene.call(this, canvas, top);
        };
        return shape;
    }

    function isOpaqueAtAll(shape) {
        return shape.getAbsoluteOpacity() > 0;
    }

    function hasCharacters(text) {
        return text.text() !== '';
    }

    drawOnlyWhenShown.ifOpaque = isOpaqueAtAll;
    drawOnlyWhenShown.ifCharacters = hasCharacters;
    window.drawOnlyWhenShown = drawOnlyWhenShown;
    window.drawTextFromBitmap = drawTextFromBitmap;
    window.isOwnCanvas = isOwnCanvas;
    window.sameValues = sameValues;
    window.drawHeldFirst = drawHeldFirst;
    window.drawHitWhenAsked = drawHitWhenAsked;
    window.drawnBeneathItems = drawnBeneathItems;
}(window, Kinetic));
