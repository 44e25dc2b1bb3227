// Kinetic finds the shape under the pointer by reading pixels back from each
// layer's hit canvas, at every press and move. Chromium keeps a canvas for
// drawing unless told it is read back often (`willReadFrequently`), then
// copies it back at every read and advises so on the console. A context's
// options are fixed by the first getContext call on its canvas, so the hit
// canvas's element is asked for a context read back often just before Kinetic
// asks for its own. QtWebKit takes no such option and goes on as before.
//
// readHitCanvasesOften(kinetic) makes every hit canvas made from then on one
// read back often (`kinetic` is the Kinetic namespace); once is enough.
(function (window) {
    'use strict';

    var READ_OFTEN = { willReadFrequently: true };

    function readHitCanvasesOften(kinetic) {
        var HitContext = kinetic.HitContext;
        if (HitContext.readOften) {
            return;
        }
        function ReadOftenHitContext(canvas) {
            canvas._canvas.getContext('2d', READ_OFTEN);
            HitContext.call(this, canvas);
        }
        ReadOftenHitContext.prototype = HitContext.prototype;
        ReadOftenHitContext.readOften = true;
        kinetic.HitContext = ReadOftenHitContext;
    }

    window.readHitCanvasesOften = readHitCanvasesOften;
}(window));
