// Pictures loaded in the background (the pitch's goals and logo, the
// items' pictures), counted so that a picture of the pitch waits for them,
// and shared between the items that show the same one. Unlike the
// component scripts, this one exposes several globals, one per helper.
(function (window) {
    'use strict';

    // The pitch's goals and logo and the items' pictures load in the
    // background. A picture of the pitch taken before they are in place
    // would lack them, so every such load is counted here and whoever
    // captures a picture first waits for the count to fall to 0. A picture
    // that fails to load counts as done: it is left out, never waited for.
    var picturesLoading = 0;
    var pictureWaiters = [];

    // Starts loading `src` into a new picture element and returns it; runs
    // `onLoad(picture)` (if given) once it has loaded, `onFail()` (if given)
    // if it fails.
    function loadTrackedPicture(src, onLoad, onFail) {
        var picture = new window.Image();
        var settled = false;
        function settle(loaded) {
            if (settled) {
                return;
            }
            settled = true;
            try {
                if (loaded && onLoad) {
                    onLoad(picture);
                } else if (!loaded && onFail) {
                    onFail();
                }
            } finally {
                picturesLoading -= 1;
                if (picturesLoading === 0) {
                    releasePictureWaiters();
                }
            }
        }
        picturesLoading += 1;
        picture.addEventListener('load', function () { settle(true); }, false);
        picture.addEventListener('error', function () { settle(false); }, false);
        picture.addEventListener('abort', function () { settle(false); }, false);
        picture.src = embeddedPicture(src);
        return picture;
    }

    // The names of the pictures asked for while picturesAskedIn runs (a
    // drill loaded, say), and not the data URLs, which come with whatever
    // asked for them.
    var asked = null;

    function notePicture(src) {
        if (asked && src.slice(0, 5) !== 'data:') {
            asked[src] = true;
        }
    }

    // The names of the pictures `run()` asks for, in order of name.
    function picturesAskedIn(run) {
        var mine = {};
        asked = mine;
        try {
            run();
        } finally {
            asked = null;
        }
        return Object.keys(mine).sort();
    }

    // A page that carries its pictures (the drill exported as a web page)
    // holds them as data URLs in window.embeddedPictures, by the names the
    // editor loads them from, and fetches nothing: a picture it does not
    // carry (one a check of the drill asks for and never shows) fails at
    // once, as a missing file would.
    var NO_PICTURE = 'data:,';

    function embeddedPicture(src) {
        var carried = window.embeddedPictures;
        if (!carried || src.slice(0, 5) === 'data:') {
            return src;
        }
        return Object.prototype.hasOwnProperty.call(carried, src) ? carried[src] : NO_PICTURE;
    }

    // One picture element per file, shared by every drawing that shows it.
    // The pitch is drawn afresh on every change of size, view, logo or
    // file; a new element each time decoded the picture again and kept the
    // scene it was drawn for alive until it loaded. A data URL (a coach's
    // logo) is kept only while it is the latest asked for.
    var sharedPictures = {};
    var sharedDataPicture = null;

    function sharedPictureEntry(src) {
        var isData = src.slice(0, 5) === 'data:';
        var entry = isData ? sharedDataPicture : sharedPictures['src:' + src];
        if (entry && entry.src === src) {
            return entry;
        }
        entry = { src: src, waiting: [] };
        entry.picture = loadTrackedPicture(src, function (picture) {
            var waiting = entry.waiting;
            entry.waiting = null;
            waiting.forEach(function (onLoad) { onLoad(picture); });
        }, function () {
            entry.waiting = null;
        });
        if (isData) {
            sharedDataPicture = entry;
        } else {
            sharedPictures['src:' + src] = entry;
        }
        return entry;
    }

    // The shared picture of `src`; `onLoad(picture)` runs once it has
    // loaded (at once if it has), before anyone waiting for pictures to load
    // is told, and never if it fails.
    function sharedPicture(src, onLoad) {
        notePicture(src);
        var entry = sharedPictureEntry(src);
        if (onLoad) {
            if (entry.waiting) {
                entry.waiting.push(onLoad);
            } else if (entry.picture.naturalWidth > 0) {
                onLoad(entry.picture);
            }
        }
        return entry.picture;
    }

    function releasePictureWaiters() {
        var waiters = pictureWaiters;
        pictureWaiters = [];
        for (var i = 0; i < waiters.length; i++) {
            waiters[i]();
        }
    }

    // Calls `callback` once no tracked picture is loading any more; always
    // later, never inside this call.
    function whenPicturesLoaded(callback) {
        if (typeof callback !== 'function') {
            throw new Error('whenPicturesLoaded: a callback is needed');
        }
        if (picturesLoading === 0) {
            soon(callback);
        } else {
            pictureWaiters.push(callback);
        }
    }

    // Calls `callback` from the event loop as soon as it is free, after
    // whatever input and host work is waiting there. Timers asked for from
    // inside timers are held back to 4 ms after a few levels, which a chain
    // of a hundred pictures, each asked for from the last one's callback,
    // would pay every time; a message posted to the page itself is not.
    var SOON_MESSAGE = 'drillmora-soon';
    var soonCallbacks = [];

    function soon(callback) {
        soonCallbacks.push(callback);
        window.postMessage(SOON_MESSAGE, '*');
    }

    window.addEventListener('message', function (event) {
        if (event.source !== window || event.data !== SOON_MESSAGE || soonCallbacks.length === 0) {
            return;
        }
        soonCallbacks.shift()();
    }, false);

    // True while a tracked picture is still on its way.
    function picturesStillLoading() {
        return picturesLoading > 0;
    }

    window.loadTrackedPicture = loadTrackedPicture;
    window.notePicture = notePicture;
    window.picturesAskedIn = picturesAskedIn;
    window.sharedPicture = sharedPicture;
    window.whenPicturesLoaded = whenPicturesLoaded;
    window.picturesStillLoading = picturesStillLoading;
}(window));
