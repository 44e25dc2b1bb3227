// How the drawing layer's drawings are drawn, kind by kind (a line and its
// head, a zone, a note on its backing), as the drawing strip's buttons show
// them too, and how a place is found to be on one: the hit test follows the
// drawn shape.
//
// Use: loaded after DrawingLayer.js, whose layers it gives drawShape,
// boundsOf, drawingAt and noteBox; DrawingLayer.drawSample(context,
// drawing, scale) draws for the strip, DrawingLayer.lineSamples gives a
// line's points as drawn.
(function (window) {
    'use strict';

    var DrawingLayer = window.DrawingLayer;

    // Sizes at the canonical pitch width of 512, grown with the layer scale.
    var LINE_WIDTH = 3;
    var HEAD_LENGTH = 14;
    var HEAD_HALF_WIDTH = 7;
    var PASS_DASH = [10, 7];
    var WAVE_LENGTH = 18;
    var WAVE_AMPLITUDE = 5;
    var ZONE_BORDER_WIDTH = 2;
    var CURVE_SEGMENTS = 48;
    var NOTE_FONT_SIZE = 14;
    var NOTE_LINE_HEIGHT = 1.25;
    var NOTE_PADDING = 4;
    var NOTE_MAX_LINES = 2;
    // At most this wide (at the canonical pitch width of 512).
    var NOTE_MAX_WIDTH = 240;
    var NOTE_FONT_FAMILY = 'Helvetica';
    // A note's backing lets it read on grass: light under dark letters,
    // dark under light ones.
    var NOTE_BACKING_OPACITY = 0.75;
    var LIGHT_COLORS = ['white', 'yellow'];

    // A press this near a drawing (at the canonical size) is on it.
    var HIT_SLACK = 6;

    // The palette's colours as painted: strong enough for grass and print.
    var PAINT = {
        white: '#ffffff',
        yellow: '#ffe600',
        red: '#e01010',
        blue: '#1040e0',
        black: '#000000',
        orange: '#ff8c00'
    };
    // On the white pitch of print, white drawings would vanish: they are
    // drawn black, as the pitch's own white lines are; yellow, faint on
    // white, is drawn a deep gold.
    var PRINT_PAINT = { white: '#000000', yellow: '#c29b00' };

    function paint(color, forPrint) {
        if (forPrint && PRINT_PAINT.hasOwnProperty(color)) {
            return PRINT_PAINT[color];
        }
        return PAINT[color];
    }

    // The point of a line at t in [0, 1]: straight from its first point to
    // its last, or a curve through its bend (the middle point) at t = 0.5.
    function pathOf(points) {
        var a = points[0];
        var e = points[points.length - 1];
        if (points.length < 3) {
            return {
                at: function (t) { return { x: a.x + (e.x - a.x) * t, y: a.y + (e.y - a.y) * t }; },
                control: a
            };
        }
        var b = points[1];
        var c = { x: 2 * b.x - (a.x + e.x) / 2, y: 2 * b.y - (a.y + e.y) / 2 };
        return {
            at: function (t) {
                var u = 1 - t;
                return { x: u * u * a.x + 2 * u * t * c.x + t * t * e.x, y: u * u * a.y + 2 * u * t * c.y + t * t * e.y };
            },
            control: c
        };
    }

    // The path from t = 0 to `upTo` as a polyline of `n` segments, with
    // its length so far at each point.
    function samples(path, n, upTo) {
        var list = [];
        var length = 0;
        var prev = null;
        for (var i = 0; i <= n; i++) {
            var p = path.at(upTo * i / n);
            if (prev) {
                length += window.distance(prev.x, prev.y, p.x, p.y);
            }
            list.push({ x: p.x, y: p.y, s: length });
            prev = p;
        }
        return list;
    }

    // The path's length, near enough for placing its head.
    function lengthOf(path) {
        var pts = samples(path, CURVE_SEGMENTS, 1);
        return pts[pts.length - 1].s;
    }

    function traceLine(context, pts) {
        context.beginPath();
        context.moveTo(pts[0].x, pts[0].y);
        for (var i = 1; i < pts.length; i++) {
            context.lineTo(pts[i].x, pts[i].y);
        }
    }

    // The curve `path` from `a` as far as t = `upTo`: the first part of a
    // split curve is a curve of its own (de Casteljau), with its control
    // point that far from `a` towards the whole curve's; the canvas strokes
    // it far faster than a polyline of it.
    function traceCurve(context, a, path, upTo) {
        var c = path.control;
        var end = path.at(upTo);
        context.beginPath();
        context.moveTo(a.x, a.y);
        context.quadraticCurveTo(a.x + (c.x - a.x) * upTo, a.y + (c.y - a.y) * upTo, end.x, end.y);
    }

    // The polyline `pts` waved to either side, the wave dying out at both
    // ends so that it meets the start and the head.
    function waved(pts, wave, amplitude) {
        var total = pts[pts.length - 1].s;
        return pts.map(function (p, i) {
            var q = pts[Math.min(i + 1, pts.length - 1)];
            var o = pts[Math.max(i - 1, 0)];
            var dx = q.x - o.x;
            var dy = q.y - o.y;
            var len = Math.sqrt(dx * dx + dy * dy) || 1;
            var envelope = Math.min(1, p.s / wave, (total - p.s) / wave);
            var off = Math.sin(p.s / wave * 2 * Math.PI) * amplitude * Math.max(0, envelope);
            return { x: p.x - dy / len * off, y: p.y + dx / len * off };
        });
    }

    function drawLine(context, d, px, scale, color) {
        var pts = d.points.map(px);
        var path = pathOf(pts);
        var hasHead = d.kind !== 'line';
        var total = lengthOf(path);
        // The shaft stops where the head begins, so a dashed or waved shaft
        // does not show through its point.
        var shaftEnd = hasHead && total > 0 ? Math.max(0, 1 - HEAD_LENGTH * scale / total) : 1;
        var line = d.kind === 'dribble' ? waved(samples(path, CURVE_SEGMENTS, shaftEnd), WAVE_LENGTH * scale,
            WAVE_AMPLITUDE * scale) : samples(path, 1, shaftEnd);
        context.setAttr('strokeStyle', color);
        context.setAttr('lineWidth', LINE_WIDTH * scale);
        context.setAttr('lineCap', d.kind === 'pass' ? 'butt' : 'round');
        context.setAttr('lineJoin', 'round');
        context.setLineDash(d.kind === 'pass' ? PASS_DASH.map(function (v) { return v * scale; }) : []);
        if (d.kind !== 'dribble' && pts.length > 2) {
            traceCurve(context, pts[0], path, shaftEnd);
        } else {
            traceLine(context, line);
        }
        context.stroke();
        context.setLineDash([]);
        if (hasHead) {
            drawHead(context, path.at(shaftEnd), pts[pts.length - 1], scale, color);
        }
    }

    function drawHead(context, from, to, scale, color) {
        var dx = to.x - from.x;
        var dy = to.y - from.y;
        var len = Math.sqrt(dx * dx + dy * dy);
        if (len === 0) {
            return;
        }
        var ux = dx / len;
        var uy = dy / len;
        var back = { x: to.x - ux * HEAD_LENGTH * scale, y: to.y - uy * HEAD_LENGTH * scale };
        var w = HEAD_HALF_WIDTH * scale;
        context.beginPath();
        context.moveTo(to.x, to.y);
        context.lineTo(back.x - uy * w, back.y + ux * w);
        context.lineTo(back.x + uy * w, back.y - ux * w);
        context.closePath();
        context.setAttr('fillStyle', color);
        context.fill();
    }

    function drawZone(context, d, px, scale, color) {
        var a = px(d.points[0]);
        var b = px(d.points[1]);
        var w = Math.abs(b.x - a.x);
        var h = Math.abs(b.y - a.y);
        context.save();
        context.translate((a.x + b.x) / 2, (a.y + b.y) / 2);
        context.rotate(window.radians(d.rotation));
        context.beginPath();
        if (d.style === 'ellipse') {
            context.save();
            context.scale(Math.max(w, 1e-6) / 2, Math.max(h, 1e-6) / 2);
            context.arc(0, 0, 1, 0, 2 * Math.PI, false);
            context.restore();
        } else {
            context.rect(-w / 2, -h / 2, w, h);
        }
        context.save();
        context.setAttr('globalAlpha', context._context.globalAlpha * d.fill);
        context.setAttr('fillStyle', color);
        context.fill();
        context.restore();
        context.setAttr('strokeStyle', color);
        context.setAttr('lineWidth', ZONE_BORDER_WIDTH * scale);
        context.stroke();
        context.restore();
    }

    function drawNote(context, d, px, scale, color, layerRotation) {
        var at = px(d.points[0]);
        var lines = window.printableText(d.text).split('\n').slice(0, NOTE_MAX_LINES);
        var size = NOTE_FONT_SIZE * scale;
        var lineHeight = size * NOTE_LINE_HEIGHT;
        var pad = NOTE_PADDING * scale;
        context.save();
        context.translate(at.x, at.y);
        context.rotate(window.radians(-layerRotation));
        context.setAttr('font', 'bold ' + size + 'px ' + NOTE_FONT_FAMILY);
        context.setAttr('textAlign', 'center');
        context.setAttr('textBaseline', 'middle');
        var width = 0;
        lines.forEach(function (line) {
            width = Math.max(width, context._context.measureText(line).width);
        });
        // A note wider than it may be is written smaller, so that it never
        // runs off the pitch.
        var widest = NOTE_MAX_WIDTH * scale;
        if (width > widest) {
            size *= widest / width;
            lineHeight = size * NOTE_LINE_HEIGHT;
            width = widest;
            context.setAttr('font', 'bold ' + size + 'px ' + NOTE_FONT_FAMILY);
        }
        var height = lines.length * lineHeight;
        var light = LIGHT_COLORS.indexOf(d.color) !== -1 && color !== PAINT.black;
        context.save();
        context.setAttr('globalAlpha', context._context.globalAlpha * NOTE_BACKING_OPACITY);
        context.setAttr('fillStyle', light ? '#000000' : '#ffffff');
        context.beginPath();
        context.rect(-width / 2 - pad, -height / 2 - pad, width + 2 * pad, height + 2 * pad);
        context.fill();
        context.restore();
        context.setAttr('fillStyle', color);
        lines.forEach(function (line, i) {
            window.BidiText.draw(context, 'fillText', line, 0, -height / 2 + lineHeight * (i + 0.5));
        });
        context.restore();
    }

    DrawingLayer.prototype.drawShape = function (context, shape) {
        var animLayer = this.animLayer;
        var d = shape.getAttr('drawing');
        var scale = animLayer.layerScale;
        var color = paint(d.color, this.forPrint);
        var px = function (p) { return animLayer.pixelPos(p); };
        if (d.kind === 'zone') {
            drawZone(context, d, px, scale, color);
        } else if (d.kind === 'note') {
            drawNote(context, d, px, scale, color, animLayer.rotation());
        } else {
            drawLine(context, d, px, scale, color);
        }
    };

    // A box in the layer's pixels holding all that drawing `d` draws.
    DrawingLayer.prototype.boundsOf = function (d) {
        var animLayer = this.animLayer;
        var scale = animLayer.layerScale;
        var pts = d.points.map(function (p) { return animLayer.pixelPos(p); });
        var reach;
        if (d.kind === 'zone') {
            pts = this.outlineOf(d);
            reach = ZONE_BORDER_WIDTH * scale;
        } else if (d.kind === 'note') {
            // Upright on screen whatever the turn: as far either way.
            reach = (NOTE_MAX_WIDTH / 2 + NOTE_PADDING) * scale;
        } else {
            if (pts.length > 2) {
                pts.push(pathOf(pts).control);
            }
            reach = (LINE_WIDTH + WAVE_AMPLITUDE + HEAD_HALF_WIDTH) * scale;
        }
        var xs = pts.map(function (p) { return p.x; });
        var ys = pts.map(function (p) { return p.y; });
        var left = Math.min.apply(null, xs) - reach - 1;
        var top = Math.min.apply(null, ys) - reach - 1;
        return { x: left, y: top, width: Math.max.apply(null, xs) + reach + 1 - left,
            height: Math.max.apply(null, ys) + reach + 1 - top };
    };

    // A note's backing as drawn, upright on screen: its box there.
    DrawingLayer.prototype.noteBox = function (d) {
        var animLayer = this.animLayer;
        var scale = animLayer.layerScale;
        var at = window.rotatePos(animLayer.pixelPos(d.points[0]), animLayer.rotation());
        var lines = window.printableText(d.text).split('\n').slice(0, NOTE_MAX_LINES);
        var size = NOTE_FONT_SIZE * scale;
        var font = 'bold ' + size + 'px ' + NOTE_FONT_FAMILY;
        var width = 0;
        lines.forEach(function (line) {
            width = Math.max(width, window.textWidth(font, line));
        });
        var widest = NOTE_MAX_WIDTH * scale;
        if (width > widest) {
            size *= widest / width;
            width = widest;
        }
        var pad = NOTE_PADDING * scale;
        var height = lines.length * size * NOTE_LINE_HEIGHT;
        return { x: at.x - width / 2 - pad, y: at.y - height / 2 - pad, w: width + 2 * pad, h: height + 2 * pad };
    };

    // A line's points as drawn, in layer pixels (`px` places a point):
    // its curve, when bent, cut into `segments` (CURVE_SEGMENTS when not
    // given), each point with its distance along the line (s).
    DrawingLayer.lineSamples = function (d, px, segments) {
        return samples(pathOf(d.points.map(px)), d.points.length > 2 ? (segments || CURVE_SEGMENTS) : 1, 1);
    };

    // Sizes at the canonical pitch width, for what names keep clear of.
    DrawingLayer.SIZES = { lineWidth: LINE_WIDTH, waveAmplitude: WAVE_AMPLITUDE, headHalfWidth: HEAD_HALF_WIDTH,
        zoneBorderWidth: ZONE_BORDER_WIDTH };

    // Draws `drawing`, whose points are pixel places, at `scale` (the
    // drawing strip's buttons show their kinds so).
    DrawingLayer.drawSample = function (context, drawing, scale) {
        var px = function (p) { return p; };
        var color = paint(drawing.color, false);
        if (drawing.kind === 'zone') {
            drawZone(context, drawing, px, scale, color);
        } else if (drawing.kind === 'note') {
            drawNote(context, drawing, px, scale, color, 0);
        } else {
            drawLine(context, drawing, px, scale, color);
        }
    };

    // ---- Finding a drawing under the pointer -------------------------------

    function distanceToSegment(p, a, b) {
        var dx = b.x - a.x;
        var dy = b.y - a.y;
        var len2 = dx * dx + dy * dy;
        var t = len2 > 0 ? Math.max(0, Math.min(1, ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2)) : 0;
        return window.distance(p.x, p.y, a.x + dx * t, a.y + dy * t);
    }

    // `p` in the frame of zone `d` (pixels): its offset from the middle,
    // turned back by the zone's turn.
    function inZoneFrame(p, d, px) {
        var a = px(d.points[0]);
        var b = px(d.points[1]);
        var r = window.radians(-d.rotation);
        var x = p.x - (a.x + b.x) / 2;
        var y = p.y - (a.y + b.y) / 2;
        return { x: x * Math.cos(r) - y * Math.sin(r), y: x * Math.sin(r) + y * Math.cos(r),
            w: Math.abs(b.x - a.x), h: Math.abs(b.y - a.y) };
    }

    // Whether the pixel place `p` is on drawing `d`, within `slack` pixels.
    function isOn(p, d, px, scale, slack) {
        if (d.kind === 'zone') {
            var z = inZoneFrame(p, d, px);
            if (d.style === 'ellipse') {
                var rx = z.w / 2 + slack;
                var ry = z.h / 2 + slack;
                return (z.x * z.x) / (rx * rx) + (z.y * z.y) / (ry * ry) <= 1;
            }
            return Math.abs(z.x) <= z.w / 2 + slack && Math.abs(z.y) <= z.h / 2 + slack;
        }
        if (d.kind === 'note') {
            var at = px(d.points[0]);
            var size = NOTE_FONT_SIZE * scale;
            var halfWidth = Math.min(NOTE_MAX_WIDTH * scale / 2,
                Math.max.apply(null, d.text.split('\n').map(function (l) { return l.length; })) * size * 0.3);
            return Math.abs(p.x - at.x) <= halfWidth + slack && Math.abs(p.y - at.y) <= size * 1.3 + slack;
        }
        var line = DrawingLayer.lineSamples(d, px);
        for (var i = 1; i < line.length; i++) {
            if (distanceToSegment(p, line[i - 1], line[i]) <= slack) {
                return true;
            }
        }
        return false;
    }

    // The topmost drawing shown in frame `frame` at the pixel place
    // `pos`, or null.
    DrawingLayer.prototype.drawingAt = function (pos, frame) {
        var animLayer = this.animLayer;
        var model = this.model;
        var scale = animLayer.layerScale;
        var px = function (p) { return animLayer.pixelPos(p); };
        for (var i = model.drawings.length - 1; i >= 0; i--) {
            var d = model.drawings[i];
            if (model.covers(d, frame) && isOn(pos, d, px, scale, HIT_SLACK * scale)) {
                return d;
            }
        }
        return null;
    };
}(window));
