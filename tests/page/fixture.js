// Drills and the host's side, for every test file. The helpers call each other through this
// closure, so a test file's own global of the same name changes only its own use of it.
(function (window) {
    'use strict';

    // What a new drill saves as, to the character.
    var NEW_DRILL = '{"msgType":"OVRI_Animation","msgVersion":0.1,"sport":"gaa","showRunningLines":false,' +
        '"background":{"type":"fullField","showStripes":true,"showLogo":false,"logoImage":"logos/ovri256x256.png"},' +
        '"rotation":0,"gridVisible":false,"nFrames":1,"selectedFrame":0,"objects":[],"frameText":[""]}';

    function sent() { return window.cppInterface.receivedMessages(); }
    function sentOfType(type) { return sent().filter(function (m) { return m.msgType === type; }); }
    function openInEditor(text) { window.cppInterface.emitToPage({ msgType: 'openAnimationResponse', json: text }); }

    // New, answered by the host as when nothing is unsaved.
    function newDrill() {
        window.cppInterface.setReply('newAnimation', { msgType: 'newAnimationResponse' });
        window.myDispatchEvent('newAnimation', {});
        window.cppInterface.clearReplies();
    }

    // Adds an item to the editor's drill as the item picker does.
    function addToEditor(type, col1) {
        window.myDispatchEvent('addItem', { type: type, col1: col1 || 'default', col2: 'default', scale: 'default' });
        var groups = window.pageShell.animation.animLayer.itemGroups();
        return groups[groups.length - 1];
    }

    // A drill file of the given members, everything else as a new drill has it.
    function drillText(changes) {
        var settings = JSON.parse(NEW_DRILL);
        Object.keys(changes || {}).forEach(function (key) { settings[key] = changes[key]; });
        return JSON.stringify(settings);
    }

    function itemRecord(type, id, states, extra) {
        var r = { type: type, id: id, scale: 0.2, text: '', shortLabel: '', z: id, color: 'default', frames: states };
        Object.keys(extra || {}).forEach(function (key) { r[key] = extra[key]; });
        return r;
    }

    // The errorInfo of every errorOpeningFile raised while `fn` runs.
    function fileErrorsDuring(fn) {
        return window.eventsRaisedDuring(['errorOpeningFile'], fn).map(function (e) { return e[1].errorInfo; });
    }

    // Runs `body` with `count` animations of its own (1000 x 600 unless
    // given), in a container of their own, destroyed afterwards.
    function withAnimations(count, body, width, height) {
        var container = document.getElementById('fixtureStage') || document.body.appendChild(document.createElement('div'));
        container.id = 'fixtureStage';
        var made = [];
        try {
            for (var i = 0; i < count; i++) {
                made.push(new window.Animation(width || 1000, height || 600, 'fixtureStage'));
            }
            body.apply(null, made);
        } finally {
            made.forEach(function (animation) { animation.stage.destroy(); });
        }
    }

    // How far each pixel of `own` is from the same pixel of `direct` (canvas pixel data of one size): the largest
    // difference in a colour weighted by its opacity (as it shows over the pitch) or in the opacity, in levels of
    // 255, given to `each`.
    function eachPixelDifference(own, direct, each) {
        for (var k = 0; k < own.length; k += 4) {
            var worst = Math.abs(own[k + 3] - direct[k + 3]);
            for (var c = 0; c < 3; c++) {
                worst = Math.max(worst, Math.abs(own[k + c] * own[k + 3] - direct[k + c] * direct[k + 3]) / 255);
            }
            each(worst);
        }
    }

    // How many pixels of `own` differ from `direct` by more than 8 levels. A bitmap's parts are blended before
    // the picture is laid over what is below, which may move a pixel where they meet by a few levels; a stale
    // bitmap changes many by far more.
    function pixelsDiffering(own, direct) {
        var count = 0;
        eachPixelDifference(own, direct, function (worst) {
            count += worst > 8 ? 1 : 0;
        });
        return count;
    }

    // `layer`'s picture on its own canvas, where playback draws what stays the same from bitmaps, and a drawing of
    // it onto a canvas of its own, as exports draw: [own, direct], their pixel data.
    function ownAndDirect(layer) {
        function pixels(canvas) {
            return canvas.getContext()._context.getImageData(0, 0, canvas.width, canvas.height).data;
        }
        layer.drawScene();
        var own = pixels(layer.getCanvas());
        var canvas = new Kinetic.SceneCanvas({ width: layer.getCanvas().getWidth(), height: layer.getCanvas().getHeight(),
            pixelRatio: layer.getCanvas().getPixelRatio() });
        layer.drawScene(canvas);
        return [own, pixels(canvas)];
    }

    // How many pixels of `layer`'s picture differ from a direct drawing (above) by more than 8 levels.
    function pixelsDifferingFromDirect(layer) {
        return pixelsDiffering.apply(null, ownAndDirect(layer));
    }

    // The largest difference of a pixel from a direct drawing (above), in levels of 255.
    function largestDifferenceFromDirect(layer) {
        var pictures = ownAndDirect(layer);
        var largest = 0;
        eachPixelDifference(pictures[0], pictures[1], function (worst) {
            largest = Math.max(largest, worst);
        });
        return Math.round(largest);
    }

    // Calls then(data) once the picture `url` (w x h) is decoded: its pixels as a canvas holds them.
    function decodedPixels(url, w, h, done, then) {
        var picture = new Image();
        picture.onload = done.step(function () {
            var context = document.createElement('canvas').getContext('2d');
            context.canvas.width = w;
            context.canvas.height = h;
            context.drawImage(picture, 0, 0);
            then(context.getImageData(0, 0, w, h).data);
        });
        picture.src = url;
    }

    // Milliseconds, as finely as the engine tells them (benchmarks).
    function clockMs() {
        return (window.performance && window.performance.now) ? window.performance.now() : Date.now();
    }

    // A fixed sequence of numbers in [0, 1) from `seed`, so that every run builds the same drill.
    function seededRandom(seed) {
        return function () {
            seed = (seed * 1103515245 + 12345) % 2147483648;
            return seed / 2147483648;
        };
    }

    window.NEW_DRILL = NEW_DRILL;
    [sent, sentOfType, openInEditor, newDrill, addToEditor, drillText, itemRecord, fileErrorsDuring, withAnimations,
        pixelsDiffering, pixelsDifferingFromDirect, largestDifferenceFromDirect, decodedPixels, clockMs, seededRandom]
        .forEach(function (fn) { window[fn.name] = fn; });
}(window));
