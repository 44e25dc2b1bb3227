// The geometry shared by the animation view, the field items and the
// pickers: degrees and radians, points and boxes, and places on the stage
// and on a turned, scaled layer. Unlike the component scripts, this one
// exposes several globals, one per helper.
(function (window) {
    'use strict';

    var RADIANS_PER_DEGREE = Math.PI / 180;

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
}(window));
