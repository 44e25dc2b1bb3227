// What the drawings put in the way of the item labels (LabelLayout.js):
// each drawing's boxes on screen, worked out once for its shape and the
// pitch as it stands, and kept, since the layout asks for them at every
// drawing of the animation layer and at every moment it looks at through
// playback, when drawings seldom change.
//
// Use: loaded after DrawingLayer.painting.js; gives the drawing layer
// labelObstacles(timeMs).
(function (window) {
    'use strict';

    var DrawingLayer = window.DrawingLayer;
    var SIZES = DrawingLayer.SIZES;

    // Lines are cut into pieces this long (at the canonical size) for the
    // label layout, so that a piece's box hugs the line.
    var PIECE_LENGTH = 16;
    // A curve is followed through this many straight segments: the boxes
    // grown round each piece cover what a finer cut would.
    var CURVE_SEGMENTS = 12;
    var ELLIPSE_SIDES = 24;
    // Boxes kept for at most this many drawing shapes; past it, all are
    // forgotten at once (a drill with more drawings than this is rare).
    var KEPT_SHAPES = 500;

    // The upright box of the points `pts` (layer pixels) on screen, turned
    // by `rotation`, grown by `reach` all round.
    function screenBox(pts, rotation, reach) {
        var turned = pts.map(function (p) { return window.rotatePos(p, rotation); });
        var xs = turned.map(function (p) { return p.x; });
        var ys = turned.map(function (p) { return p.y; });
        var left = Math.min.apply(null, xs) - reach;
        var top = Math.min.apply(null, ys) - reach;
        return { x: left, y: top, w: Math.max.apply(null, xs) + reach - left, h: Math.max.apply(null, ys) + reach - top };
    }

    // The polyline `pts` cut into pieces, each piece's box on screen.
    function pieceBoxes(pts, rotation, reach, pieceLength) {
        var boxes = [];
        for (var i = 1; i < pts.length; i++) {
            var a = pts[i - 1];
            var b = pts[i];
            var n = Math.max(1, Math.ceil(window.distance(a.x, a.y, b.x, b.y) / pieceLength));
            for (var k = 0; k < n; k++) {
                var p = { x: a.x + (b.x - a.x) * k / n, y: a.y + (b.y - a.y) * k / n };
                var q = { x: a.x + (b.x - a.x) * (k + 1) / n, y: a.y + (b.y - a.y) * (k + 1) / n };
                boxes.push(screenBox([p, q], rotation, reach));
            }
        }
        return boxes;
    }

    // A turned ellipse zone's outline as a polygon, in layer pixels.
    function ellipseOutline(d, px) {
        var a = px(d.points[0]);
        var b = px(d.points[1]);
        var c = { x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 };
        var r = window.radians(d.rotation);
        var pts = [];
        for (var i = 0; i < ELLIPSE_SIDES; i++) {
            var t = 2 * Math.PI * i / ELLIPSE_SIDES;
            var x = Math.abs(b.x - a.x) / 2 * Math.cos(t);
            var y = Math.abs(b.y - a.y) / 2 * Math.sin(t);
            pts.push({ x: c.x + x * Math.cos(r) - y * Math.sin(r), y: c.y + x * Math.sin(r) + y * Math.cos(r) });
        }
        return pts;
    }

    // The boxes of drawing `d` as the pitch now stands: { heavy, light }.
    DrawingLayer.prototype.obstaclesOf = function (d) {
        var animLayer = this.animLayer;
        var scale = animLayer.layerScale;
        var rotation = animLayer.rotation();
        var px = function (p) { return animLayer.pixelPos(p); };
        if (d.kind === 'note') {
            return { heavy: [this.noteBox(d)], light: [] };
        }
        var pts;
        var reach;
        if (d.kind === 'zone') {
            pts = d.style === 'ellipse' ? ellipseOutline(d, px) : this.outlineOf(d);
            pts = pts.concat([pts[0]]);
            reach = SIZES.zoneBorderWidth * scale;
        } else {
            pts = DrawingLayer.lineSamples(d, px, CURVE_SEGMENTS);
            reach = (SIZES.lineWidth / 2 + (d.kind === 'dribble' ? SIZES.waveAmplitude : 0)) * scale;
        }
        var light = pieceBoxes(pts, rotation, reach, PIECE_LENGTH * scale);
        if (d.kind !== 'line' && d.kind !== 'zone') {
            light.push(screenBox([pts[pts.length - 1]], rotation, SIZES.headHalfWidth * scale));
        }
        return { heavy: [], light: light };
    };

    // Everything the boxes of `d` depend on: its shape and the pitch's size
    // and turn.
    DrawingLayer.prototype.obstacleKey = function (d) {
        var animLayer = this.animLayer;
        return JSON.stringify([animLayer.layerWidth, animLayer.layerHeight, animLayer.layerScale,
            animLayer.rotation(), d.kind, d.style, d.rotation, d.text, d.points]);
    };

    // What the label layout keeps labels off, as boxes on screen (layer
    // pixels turned by the pitch's turn): `heavy`, the notes, as a name
    // must not hide one; `light`, pieces of the lines and of zones' edges,
    // which a name may cover where nothing else is free. The drawings
    // shown at `timeMs` (from the drill's first frame), or those on
    // display when it is null; one fading counts from half strength.
    // The boxes are shared between calls: they are not to be changed.
    DrawingLayer.prototype.labelObstacles = function (timeMs) {
        var layer = this;
        var shown = timeMs === null ? this.shapes.filter(function (shape) {
            return shape.visible() && shape.opacity() >= 0.5;
        }).map(function (shape) {
            return shape.getAttr('drawing');
        }) : this.model.drawings.filter(function (d) {
            return window.DrawingModel.opacityAt(d, timeMs) >= 0.5;
        });
        if (!this.obstacleBoxes || this.obstacleCount > KEPT_SHAPES) {
            this.obstacleBoxes = {};
            this.obstacleCount = 0;
        }
        var kept = this.obstacleBoxes;
        var found = { heavy: [], light: [] };
        shown.forEach(function (d) {
            var key = layer.obstacleKey(d);
            if (!kept.hasOwnProperty(key)) {
                kept[key] = layer.obstaclesOf(d);
                layer.obstacleCount++;
            }
            found.heavy = found.heavy.concat(kept[key].heavy);
            found.light = found.light.concat(kept[key].light);
        });
        return found;
    };
}(window));
