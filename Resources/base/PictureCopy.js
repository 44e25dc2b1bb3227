// Copies a picture (an image element, a canvas) onto a 2D context, as
// drawImage(source, sx, sy, sw, sh, dx, dy, dw, dh) does, for the pictures
// drawn again and again: the items' pictures and the bitmaps playback and
// every exported picture copy some ninety times a picture.
//
// Chromium's canvas spends about a tenth of a millisecond on every drawImage
// call, whatever the size: most of an exported picture's time, and of a
// playback tick's. A fill of the same rectangle with a pattern of the
// picture, made once, costs a hundredth of that and gives the same pixels:
// a copy onto whole pixels exactly, a scaled or turned one of a picture with
// a clear border (as every one here has) but for a few pixels at its edges.
// QtWebKit's drawImage is quicker than its pattern fill, so other engines
// copy as before.
//
// Use: PictureCopy.draw(context, source, keeper, sx, sy, sw, sh, dx, dy, dw, dh)
// with `context` the engine's own 2D context. `keeper` is an object that
// lives exactly as long as `source`'s pixels stay as they are (the image
// element itself, or the record of the bitmap drawn into a canvas): the
// pattern is kept on it, so a canvas drawn into again needs a new keeper.
// An image still loading is the caller's to leave out.
(function (window) {
    'use strict';

    // Chromium and the browsers made on it, Qt WebEngine among them, name
    // themselves so; QtWebKit and other engines do not.
    var PictureCopy = { byPattern: /\bChrome\//.test(window.navigator.userAgent) };
    // What a text's bitmap placed on whole pixels may be off by.
    var ROUNDING = 1e-6;

    // Chromium makes a pattern that does not repeat into a shader afresh for
    // every fill, from a copy of the picture with a clear border: cheap for an
    // item's picture, dear for a bitmap of running lines the pitch's size. A
    // copy at its own size onto whole pixels reads no pixel past its
    // rectangle, so a repeating pattern gives it the same pixels without that
    // copy; a scaled, turned or shifted one would blend the opposite edge
    // into its own.
    function ontoWholePixels(context, dx, dy, sw, sh, dw, dh) {
        // QtWebKit, told to copy so in a test, cannot say its transform.
        if (dw !== sw || dh !== sh || !context.getTransform) {
            return false;
        }
        var m = context.getTransform();
        return m.a === 1 && m.b === 0 && m.c === 0 && m.d === 1 && nearWhole(m.e + dx) && nearWhole(m.f + dy);
    }

    function nearWhole(v) {
        return Math.abs(v - Math.round(v)) < ROUNDING;
    }

    function patternOf(context, source, keeper, repeats) {
        if (!keeper.copyPattern || keeper.copyRepeats !== repeats) {
            keeper.copyPattern = context.createPattern(source, repeats ? 'repeat' : 'no-repeat');
            keeper.copyRepeats = repeats;
        }
        return keeper.copyPattern;
    }

    // Chromium blurs a filled rectangle's shadow over the whole canvas (some
    // twenty milliseconds for a picture of the report), an image's over the
    // image alone: a picture with a shadow (a light kit's rim on paper) is
    // drawn as an image.
    function casts(context) {
        return context.shadowBlur !== 0 || context.shadowOffsetX !== 0 || context.shadowOffsetY !== 0;
    }

    PictureCopy.draw = function (context, source, keeper, sx, sy, sw, sh, dx, dy, dw, dh) {
        var pattern = PictureCopy.byPattern && sw > 0 && sh > 0 && !casts(context) ?
            patternOf(context, source, keeper, ontoWholePixels(context, dx, dy, sw, sh, dw, dh)) : null;
        if (!pattern) {
            context.drawImage(source, sx, sy, sw, sh, dx, dy, dw, dh);
            return;
        }
        context.save();
        context.translate(dx, dy);
        context.scale(dw / sw, dh / sh);
        context.translate(-sx, -sy);
        context.fillStyle = pattern;
        context.fillRect(sx, sy, sw, sh);
        context.restore();
    };

    window.PictureCopy = PictureCopy;
}(window));
