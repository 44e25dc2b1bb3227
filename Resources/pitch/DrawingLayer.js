// The layer that shows the drawings of a DrawingModel: between the pitch and
// the items, so players stand on the arrows and zones drawn for them. It
// carries the animation layer's place, offset and turn, so a drawing stands
// where its fractions of the pitch say whatever the window's size or the
// pitch's turn; notes stay upright, as captions do. Lines, heads and texts
// grow with the pitch (the animation layer's scale). Only the drawings of
// the frame on show are drawn; during playback (and in exported pictures)
// each fades in and out around its span.
//
// Use: createDrawingLayer(animLayer) → layer; layer.model is its
// DrawingModel. The frame model calls frameAdded, frameRemoved and
// showFrame; playback calls showTime.
(function (window, Kinetic) {
    'use strict';

    var LAYER_NAME = 'drawingLayer';
    var SHAPE_NAME = 'drawing';

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

    // How many drawings' bitmaps one drawing of the layer makes at most.
    var BITMAPS_MADE_PER_DRAW = 4;

    // A press this near a drawing (at the canonical size) is on it.
    var HIT_SLACK = 6;
    var HANDLE_NAME = 'drawingHandle';
    var HANDLE_RADIUS = 6;
    var HANDLE_FILL = 'white';
    var HANDLE_STROKE = 'black';
    // How far beyond a zone's top edge its turning handle stands.
    var TURN_HANDLE_GAP = 14;

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
    // drawn black, as the pitch's own white lines are.
    var PRINT_PAINT = { white: '#000000' };

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
        var line = samples(pathOf(d.points.map(px)), d.points.length > 2 ? CURVE_SEGMENTS : 1, 1);
        for (var i = 1; i < line.length; i++) {
            if (distanceToSegment(p, line[i - 1], line[i]) <= slack) {
                return true;
            }
        }
        return false;
    }

    // The places of the handles of drawing `d` in pixels, each with the
    // index of the point it moves: a line's ends and its bend (the middle
    // of a straight one, which bends it), a zone's two corners (as turned)
    // and its turning handle ('turn') beyond its top edge, none for a note.
    function handlesOf(d, px, scale) {
        if (d.kind === 'note') {
            return [];
        }
        if (d.kind === 'zone') {
            var a = px(d.points[0]);
            var b = px(d.points[1]);
            var c = { x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 };
            var corners = [a, b].map(function (p, i) {
                var turned = turnAbout(p, c, d.rotation);
                return { x: turned.x, y: turned.y, point: i };
            });
            var knob = turnAbout({ x: c.x, y: c.y - Math.abs(b.y - a.y) / 2 - TURN_HANDLE_GAP * scale }, c, d.rotation);
            return corners.concat([{ x: knob.x, y: knob.y, point: 'turn' }]);
        }
        var pts = d.points.map(px);
        var bend = pts.length > 2 ? pts[1] : { x: (pts[0].x + pts[1].x) / 2, y: (pts[0].y + pts[1].y) / 2 };
        return [{ x: pts[0].x, y: pts[0].y, point: 'start' }, { x: bend.x, y: bend.y, point: 'bend' },
            { x: pts[pts.length - 1].x, y: pts[pts.length - 1].y, point: 'end' }];
    }

    function turnAbout(p, c, degrees) {
        var r = window.radians(degrees);
        var x = p.x - c.x;
        var y = p.y - c.y;
        return { x: c.x + x * Math.cos(r) - y * Math.sin(r), y: c.y + x * Math.sin(r) + y * Math.cos(r) };
    }

    function createDrawingLayer(animLayer) {
        if (!animLayer || typeof animLayer.pixelPos !== 'function') {
            throw new Error('createDrawingLayer: the animation layer is needed');
        }
        var layer = new Kinetic.Layer({ name: LAYER_NAME, listening: false });
        var model = new window.DrawingModel();
        var shapes = [];
        var shownVersion = -1;
        var forPrint = false;
        // The selected drawings, records of the model; a lone one shows the
        // handles that reshape it.
        var selection = [];
        var handles = [];
        layer.model = model;

        function drawShape(context, shape) {
            var d = shape.getAttr('drawing');
            var scale = animLayer.layerScale;
            var color = paint(d.color, forPrint);
            var px = function (p) { return animLayer.pixelPos(p); };
            if (d.kind === 'zone') {
                drawZone(context, d, px, scale, color);
            } else if (d.kind === 'note') {
                drawNote(context, d, px, scale, color, animLayer.rotation());
            } else {
                drawLine(context, d, px, scale, color);
            }
        }

        // What a drawing's picture depends on besides the layer's place:
        // the drawing itself (whose every change the model counts), the
        // pitch's size and turn, and the paper.
        function lookOf() {
            return [model.version, animLayer.layerWidth, animLayer.layerHeight, animLayer.layerScale,
                animLayer.rotation(), forPrint];
        }

        // A box in the layer's pixels holding all that drawing `d` draws.
        function boundsOf(d) {
            var scale = animLayer.layerScale;
            var pts = d.points.map(function (p) { return animLayer.pixelPos(p); });
            var reach;
            if (d.kind === 'zone') {
                pts = outlineOf(d);
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
        }

        // While playing, drawings that do not fade are drawn from bitmaps of
        // themselves (ShapeBitmap.js): a tick where one fades draws them all.
        // A few bitmaps are made per drawing of the layer, so that the first
        // tick does not make them all at once.
        var fromBitmaps = false;
        var mayMake = 0;
        layer.on('beforeDraw', function () {
            mayMake = BITMAPS_MADE_PER_DRAW;
        });

        function drawWhole(context, shape) {
            var d = shape.getAttr('drawing');
            if (fromBitmaps) {
                if (shape.bitmap.draw(context, shape, lookOf(), function () { return boundsOf(d); }, mayMake > 0)) {
                    mayMake -= 1;
                }
            } else {
                drawShape(context, shape);
            }
        }

        // One shape per drawing of the model, built again only when the
        // model has changed since.
        function syncShapes() {
            if (shownVersion === model.version) {
                return;
            }
            shapes.forEach(function (shape) {
                shape.destroy();
            });
            shapes = model.drawings.map(function (d) {
                var shape = new Kinetic.Shape({
                    name: SHAPE_NAME,
                    drawing: d,
                    visible: false,
                    listening: false,
                    sceneFunc: function (context) {
                        drawWhole(context, this);
                    }
                });
                shape.bitmap = new window.ShapeBitmap(function (context) {
                    drawShape(context, shape);
                });
                window.drawHeldFirst(shape, function (canvas) {
                    return fromBitmaps && shape.bitmap.drawHeld(canvas, shape, lookOf());
                });
                layer.add(shape);
                return shape;
            });
            shownVersion = model.version;
            selection = selection.filter(function (d) {
                return model.drawings.indexOf(d) !== -1;
            });
            placeHandles();
        }

        // Each shape at the opacity `opacityOf` gives its drawing; true
        // when any shape changed.
        function applyOpacity(opacityOf) {
            var changed = shownVersion !== model.version;
            syncShapes();
            shapes.forEach(function (shape) {
                var o = opacityOf(shape.getAttr('drawing'));
                var visible = o > 0;
                if (shape.visible() !== visible || (visible && shape.opacity() !== o)) {
                    shape.visible(visible);
                    shape.opacity(o);
                    changed = true;
                }
            });
            return changed;
        }

        // Follows the animation layer's place, offset and turn; the handles
        // stand at places of the new size.
        layer.fit = function () {
            layer.position(animLayer.position());
            layer.offset(animLayer.offset());
            layer.rotation(animLayer.rotation());
            if (selection.length > 0) {
                placeHandles();
            }
        };

        layer.showFrame = function (n, undrawn) {
            var changed = applyOpacity(function (d) {
                return model.covers(d, n) ? 1 : 0;
            });
            var shown = selection.filter(function (d) {
                return model.covers(d, n);
            });
            if (shown.length !== selection.length) {
                layer.selectDrawings(shown);
                changed = true;
            }
            if (changed && !undrawn) {
                layer.batchDraw();
            }
        };

        // `timeMs` from the drill's first frame.
        layer.showTime = function (timeMs) {
            if (applyOpacity(function (d) { return window.DrawingModel.opacityAt(d, timeMs); })) {
                layer.drawScene();
            }
        };

        // The topmost drawing shown in frame `frame` at the pixel place
        // `pos`, or null.
        layer.drawingAt = function (pos, frame) {
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

        // The handle of the selected drawing at the pixel place `pos`, or
        // null: { x, y, point }.
        layer.handleAt = function (pos) {
            var selected = layer.selectedDrawing();
            if (!selected) {
                return null;
            }
            var reach = HANDLE_RADIUS * 2 * Math.max(animLayer.layerScale, 0.5);
            var found = null;
            handlesOf(selected, function (p) { return animLayer.pixelPos(p); }, animLayer.layerScale).forEach(function (h) {
                if (!found && window.distance(pos.x, pos.y, h.x, h.y) <= reach) {
                    found = h;
                }
            });
            return found;
        };

        // Selects `drawing` (a record of the model) alone, or none.
        layer.select = function (drawing) {
            layer.selectDrawings(drawing ? [drawing] : []);
        };

        // `drawings`: records of the model, the whole selection.
        layer.selectDrawings = function (drawings) {
            selection = drawings.filter(function (d, i) {
                return drawings.indexOf(d) === i;
            });
            placeHandles();
        };

        // Adds `drawing` to the selection, or takes it away.
        layer.toggleSelected = function (drawing) {
            var at = selection.indexOf(drawing);
            layer.selectDrawings(at === -1 ? selection.concat([drawing]) :
                selection.slice(0, at).concat(selection.slice(at + 1)));
        };

        layer.isSelected = function (drawing) {
            return selection.indexOf(drawing) !== -1;
        };

        // The selected drawings, in the order they were selected.
        layer.selectedDrawings = function () {
            return selection.slice();
        };

        // The drawing selected alone, or null (none, or several).
        layer.selectedDrawing = function () {
            return selection.length === 1 ? selection[0] : null;
        };

        // The drawings shown in frame `frame` whose points all lie in the
        // pixel rectangle `rect` ({x, y, width, height}, edges included),
        // as items are judged by their turned box: a zone by its four
        // corners as turned.
        layer.drawingsWithin = function (rect, frame) {
            return model.drawings.filter(function (d) {
                return model.covers(d, frame) && outlineOf(d).every(function (p) {
                    return window.posInRect(p, rect);
                });
            });
        };

        function outlineOf(d) {
            var pts = d.points.map(function (p) { return animLayer.pixelPos(p); });
            if (d.kind !== 'zone') {
                return pts;
            }
            var c = { x: (pts[0].x + pts[1].x) / 2, y: (pts[0].y + pts[1].y) / 2 };
            return [pts[0], { x: pts[1].x, y: pts[0].y }, pts[1], { x: pts[0].x, y: pts[1].y }].map(function (p) {
                return turnAbout(p, c, d.rotation);
            });
        }

        // The selection and its span, as last announced.
        var announced = '';

        // Raises drawingSelectionChanged when the selected drawing, or its
        // span, is not what was last announced: the strip shows the span.
        function announceSelection() {
            var now = selection.map(function (d) {
                return model.drawings.indexOf(d) + ':' + d.first + '-' + d.last + ':' + d.fill;
            }).join(',');
            if (now !== announced) {
                announced = now;
                window.myDispatchEvent('drawingSelectionChanged', {});
            }
        }

        function placeHandles() {
            handles.forEach(function (h) { h.destroy(); });
            handles = [];
            announceSelection();
            // Several selected drawings show their handles as marks of the
            // selection; only a lone one's are taken (handleAt).
            var radius = HANDLE_RADIUS * Math.max(animLayer.layerScale, 0.5);
            selection.forEach(function (selected) {
                handlesOf(selected, function (p) { return animLayer.pixelPos(p); }, animLayer.layerScale).forEach(function (h) {
                    var circle = new Kinetic.Circle({ name: HANDLE_NAME, x: h.x, y: h.y, radius: radius,
                        fill: HANDLE_FILL, stroke: HANDLE_STROKE, strokeWidth: 1, listening: false });
                    layer.add(circle);
                    handles.push(circle);
                });
            });
        }

        layer.setDrawForPrint = function (on) {
            forPrint = !!on;
        };

        // On while playing or scrubbing; off lets the bitmaps go.
        layer.drawFromBitmaps = function (on) {
            fromBitmaps = !!on;
            if (!fromBitmaps) {
                shapes.forEach(function (shape) {
                    shape.bitmap.drop();
                });
            }
        };

        layer.frameAdded = function (sel) {
            model.frameAdded(sel);
        };

        layer.frameRemoved = function (sel) {
            model.frameRemoved(sel);
        };

        layer.clear = function () {
            model.load([]);
        };

        layer.fit();
        return layer;
    }

    // Draws `drawing`, whose points are pixel places, at `scale` (the
    // drawing strip's buttons show their kinds so).
    createDrawingLayer.drawSample = function (context, drawing, scale) {
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

    window.createDrawingLayer = createDrawingLayer;
}(window, Kinetic));
