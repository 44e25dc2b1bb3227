// Kinetic's batchDraw draws a layer at once and then again at every display
// frame until half a second has passed since it was last called, whether
// anything changed or not: a click on the timeline had each layer it
// touched drawn some thirty times, and starting playback had the toolbar
// and the palette drawn on every frame of its first half second. Without a
// GPU (Chromium draws the canvas in software) those redraws took more time
// than the changes they showed.
//
// batchDrawOncePerFrame(prototype) gives the layers of `prototype`
// (Kinetic.Layer.prototype, for one) a batchDraw that draws the layer at
// once, as Kinetic's did, and once more at the next display frame, for
// changes made right after the call (Kinetic's promised a draw at the next
// frame, and callers may rely on it). Calls that come before that frame are
// drawn by that draw, however many, and keep the batch going a frame at a
// time; a frame with no call since ends it. So every change made before a
// call, or in the same turn after it, shows by the next frame, and a layer
// nobody asks to draw is not drawn.
(function (window) {
    'use strict';

    var requestFrame = window.requestAnimationFrame || function (callback) {
        return window.setTimeout(callback, 1000 / 60);
    };

    // The layer's batch state: `open` while a display frame has not passed
    // since its last draw by batchDraw, `due` when it is to be drawn at the
    // next.
    function batchOf(layer) {
        if (!layer.batchOnce) {
            layer.batchOnce = { open: false, due: false };
        }
        return layer.batchOnce;
    }

    // A layer thrown away (its stage destroyed) while a draw was due is not
    // drawn.
    function drawIfShown(layer) {
        if (layer.getStage()) {
            layer.draw();
        }
    }

    function endOfFrame(layer) {
        var batch = batchOf(layer);
        if (!batch.due) {
            batch.open = false;
            return;
        }
        batch.due = false;
        drawIfShown(layer);
        requestFrame(function () { endOfFrame(layer); });
    }

    function batchDrawOncePerFrame(prototype) {
        if (!prototype || typeof prototype.draw !== 'function') {
            throw new Error('batchDrawOncePerFrame: a layer prototype is needed');
        }
        prototype.batchDraw = function () {
            var layer = this;
            var batch = batchOf(layer);
            if (batch.open) {
                batch.due = true;
                return layer;
            }
            batch.open = true;
            batch.due = true;
            layer.draw();
            requestFrame(function () { endOfFrame(layer); });
            return layer;
        };
    }

    window.batchDrawOncePerFrame = batchDrawOncePerFrame;
}(window));
