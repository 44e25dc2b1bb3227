// Page-wide helpers: the page event bus and the geometry shared by the
// animation view, the field items and the pickers. Unlike the component
// scripts, this one exposes several globals, one per helper.
(function (window, document, Kinetic) {
    'use strict';

    var RADIANS_PER_DEGREE = Math.PI / 180;

    // Every button around a selected item is a white disc of this radius,
    // half see-through at rest and opaque while pressed.
    var CONTROL_RADIUS = 12;
    var CONTROL_FILL = 'white';
    var CONTROL_REST_OPACITY = 0.7;
    var CONTROL_PRESSED_OPACITY = 1;

    // ---- Value checks shared by the file's loaders -----------------------

    function isObject(value) {
        return typeof value === 'object' && value !== null && !Array.isArray(value);
    }

    function isFiniteNumber(value) {
        return typeof value === 'number' && isFinite(value);
    }

    function isWholeNumber(value) {
        return isFiniteNumber(value) && Math.floor(value) === value;
    }

    // ---- Page event bus -------------------------------------------------

    // The one place where page events are built. This engine has no
    // CustomEvent constructor that can be relied on, so the event is made the
    // old way; it neither bubbles nor can be cancelled, and dispatchEvent runs
    // every listener before it returns.
    function createPageEvent(evtName, evtDetail) {
        var evt = document.createEvent('CustomEvent');
        evt.initCustomEvent(evtName, false, false, evtDetail);
        return evt;
    }

    // Raises the page event `evtName` on the document with `evtDetail` (a
    // plain record; an empty one when left out) as its detail. Synchronous:
    // every handler, and every event a handler raises in turn, has run when
    // this returns.
    function myDispatchEvent(evtName, evtDetail) {
        if (typeof evtName !== 'string' || evtName === '') {
            throw new Error('myDispatchEvent: the event name must be a non-empty string');
        }
        var detail = (evtDetail === undefined || evtDetail === null) ? {} : evtDetail;
        document.dispatchEvent(createPageEvent(evtName, detail));
    }

    // ---- Units and directions -------------------------------------------

    function radians(deg) {
        return deg * RADIANS_PER_DEGREE;
    }

    function degrees(rad) {
        return rad / RADIANS_PER_DEGREE;
    }

    // Direction from (cx, cy) to (px, py), in radians.
    function angle(cx, cy, px, py) {
        return Math.atan2(py - cy, px - cx);
    }

    function distance(p1x, p1y, p2x, p2y) {
        var dx = p2x - p1x;
        var dy = p2y - p1y;
        return Math.sqrt(dx * dx + dy * dy);
    }

    // ---- Points and boxes -----------------------------------------------

    // `pos` turned about the origin by `angleDeg` degrees (clockwise on
    // screen, since y grows downwards).
    function rotatePos(pos, angleDeg) {
        var a = radians(angleDeg);
        var cos = Math.cos(a);
        var sin = Math.sin(a);
        return {
            x: pos.x * cos - pos.y * sin,
            y: pos.y * cos + pos.x * sin
        };
    }

    // Edges count as inside.
    function posInRect(pos, rect) {
        return rect.x <= pos.x && pos.x <= rect.x + rect.width &&
            rect.y <= pos.y && pos.y <= rect.y + rect.height;
    }

    // An item's box is its unrotated bounds: its position less its offset,
    // with its width and height.
    function boxOf(node) {
        return {
            x: node.x() - node.offsetX(),
            y: node.y() - node.offsetY(),
            width: node.width(),
            height: node.height()
        };
    }

    // Callers pass either a rectangle node (the selection rectangle) or a
    // plain {x, y, width, height} record.
    function rectOf(rect) {
        if (typeof rect.x === 'function') {
            return { x: rect.x(), y: rect.y(), width: rect.width(), height: rect.height() };
        }
        return rect;
    }

    // True when the box at (x0, y0) of w0 x h0 overlaps the box of
    // `objectGroup`. The group's rotation is ignored: this only has to find a
    // free place for a new item, where a rough answer is enough.
    function isOverlap(x0, y0, w0, h0, objectGroup) {
        var box = boxOf(objectGroup);
        var dx = Math.abs((x0 + w0 / 2) - (box.x + box.width / 2));
        var dy = Math.abs((y0 + h0 / 2) - (box.y + box.height / 2));
        return 2 * dx < w0 + box.width && 2 * dy < h0 + box.height;
    }

    // True when the whole of `objectGroup`, turned as it is on the layer,
    // lies inside `selectionRect`.
    function withinBounds(selectionRect, objectGroup) {
        var rect = rectOf(selectionRect);
        var x = objectGroup.x();
        var y = objectGroup.y();
        var left = -objectGroup.offsetX();
        var top = -objectGroup.offsetY();
        var right = left + objectGroup.width();
        var bottom = top + objectGroup.height();
        var corners = [
            { x: left, y: top }, { x: right, y: top },
            { x: right, y: bottom }, { x: left, y: bottom }
        ];
        var rotation = objectGroup.rotation();
        for (var i = 0; i < corners.length; i++) {
            var turned = rotatePos(corners[i], rotation);
            if (!posInRect({ x: turned.x + x, y: turned.y + y }, rect)) {
                return false;
            }
        }
        return true;
    }

    // The largest rectangle with width / height = ratio that fits into
    // widthMax x heightMax on screen, as [width, height] in the layer's own
    // (unturned) coordinates. When the pitch is turned a quarter turn its
    // own width runs down the screen, so the roles of the two limits swap.
    function calcWidthAndHeight(widthMax, heightMax, animRotated, ratio) {
        var width;
        var height;
        if (!animRotated) {
            if (widthMax >= heightMax * ratio) {
                height = heightMax;
                width = height * ratio;
            } else {
                width = widthMax;
                height = width / ratio;
            }
        } else if (heightMax <= widthMax * ratio) {
            width = heightMax;
            height = width / ratio;
        } else {
            height = widthMax;
            width = height * ratio;
        }
        return [width, height];
    }

    // ---- Stage and layer coordinates ------------------------------------

    // A stage point in `layer`'s own coordinates (the layer may be moved,
    // turned, scaled and offset).
    function stagePosToLayer(pos, layer) {
        var p = rotatePos({ x: pos.x - layer.x(), y: pos.y - layer.y() }, -layer.rotation());
        return {
            x: p.x / layer.scaleX() + layer.offsetX(),
            y: p.y / layer.scaleY() + layer.offsetY()
        };
    }

    function layerPosToStage(pos, layer) {
        var p = rotatePos({
            x: (pos.x - layer.offsetX()) * layer.scaleX(),
            y: (pos.y - layer.offsetY()) * layer.scaleY()
        }, layer.rotation());
        return { x: p.x + layer.x(), y: p.y + layer.y() };
    }

    // The pointer in `layer`'s coordinates; null before the stage has seen
    // a pointer or when the layer is on no stage.
    function getMousePosOnLayer(layer) {
        var stage = layer.getStage();
        var pos = stage ? stage.getPointerPosition() : null;
        if (!pos) {
            return null;
        }
        return stagePosToLayer(pos, layer);
    }

    // ---- Drawing ------------------------------------------------------------

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
        context.drawImage(canvas._canvas,
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
        c.drawImage(bitmap.canvas._canvas, Math.round(m[4] - BITMAP_PAD), Math.ceil(m[5] - BITMAP_PAD - ROUNDING_ERROR));
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

    function isOpaqueAtAll(shape) {
        return shape.getAbsoluteOpacity() > 0;
    }

    function hasCharacters(text) {
        return text.text() !== '';
    }

    // ---- Item controls --------------------------------------------------

    function redrawLayerOf(node) {
        var layer = node.getLayer();
        if (layer) {
            layer.batchDraw();
        }
    }

    // The disc an item control is drawn on.
    function createControlCircle(name) {
        return new Kinetic.Circle({
            name: name,
            radius: CONTROL_RADIUS,
            fill: CONTROL_FILL,
            opacity: CONTROL_REST_OPACITY
        });
    }

    // The control's disc turns opaque while it is pressed and goes back when
    // the pointer is released or leaves it.
    function addPressFeedback(control, circle) {
        control.on('mousedown touchstart', function () {
            circle.opacity(CONTROL_PRESSED_OPACITY);
            redrawLayerOf(control);
        });
        control.on('mouseup mouseout touchend', function () {
            circle.opacity(CONTROL_REST_OPACITY);
            redrawLayerOf(control);
        });
    }

    // ---- Pictures still loading ------------------------------------------

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
        picture.src = src;
        return picture;
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

    window.isObject = isObject;
    window.isFiniteNumber = isFiniteNumber;
    window.isWholeNumber = isWholeNumber;
    window.myDispatchEvent = myDispatchEvent;
    window.radians = radians;
    window.degrees = degrees;
    window.angle = angle;
    window.distance = distance;
    window.rotatePos = rotatePos;
    window.posInRect = posInRect;
    window.isOverlap = isOverlap;
    window.withinBounds = withinBounds;
    window.calcWidthAndHeight = calcWidthAndHeight;
    window.stagePosToLayer = stagePosToLayer;
    window.layerPosToStage = layerPosToStage;
    window.getMousePosOnLayer = getMousePosOnLayer;
    drawOnlyWhenShown.ifOpaque = isOpaqueAtAll;
    drawOnlyWhenShown.ifCharacters = hasCharacters;
    window.drawOnlyWhenShown = drawOnlyWhenShown;
    window.drawTextFromBitmap = drawTextFromBitmap;
    window.isOwnCanvas = isOwnCanvas;
    window.sameValues = sameValues;
    window.drawHeldFirst = drawHeldFirst;
    window.drawHitWhenAsked = drawHitWhenAsked;
    window.redrawLayerOf = redrawLayerOf;
    window.createControlCircle = createControlCircle;
    window.addPressFeedback = addPressFeedback;
    window.loadTrackedPicture = loadTrackedPicture;
    window.sharedPicture = sharedPicture;
    window.whenPicturesLoaded = whenPicturesLoaded;
    window.picturesStillLoading = picturesStillLoading;
}(window, document, Kinetic));
