// The layer that shows the drawings of a DrawingModel: between the pitch and
// the items, so players stand on the arrows and zones drawn for them. It
// carries the animation layer's place, offset and turn, so a drawing stands
// where its fractions of the pitch say whatever the window's size or the
// pitch's turn; notes stay upright, as captions do. Lines, heads and texts
// grow with the pitch (the animation layer's scale). Only the drawings of
// the frame on show are drawn; during playback (and in exported pictures)
// each fades in and out around its span.
//
// Use: new DrawingLayer(animLayer) → layer; layer.model is its
// DrawingModel. The frame model calls frameAdded, frameRemoved and
// showFrame; playback calls showTime. DrawingLayer.painting.js adds how
// each kind is drawn and found under the pointer.
(function (window, Kinetic) {
    'use strict';

    var LAYER_NAME = 'drawingLayer';
    var SHAPE_NAME = 'drawing';

    // How many drawings' bitmaps one drawing of the layer makes at most.
    var BITMAPS_MADE_PER_DRAW = 4;

    var HANDLE_LAYER_NAME = 'drawingHandleLayer';
    var HANDLE_NAME = 'drawingHandle';
    var HANDLE_RADIUS = 6;
    var HANDLE_FILL = 'white';
    var HANDLE_STROKE = 'black';
    // How far beyond a zone's top edge its turning handle stands.
    var TURN_HANDLE_GAP = 14;

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

    function DrawingLayer(animLayer) {
        if (!(this instanceof DrawingLayer)) {
            throw new Error('DrawingLayer must be called with new');
        }
        if (!animLayer || typeof animLayer.pixelPos !== 'function') {
            throw new Error('DrawingLayer: the animation layer is needed');
        }
        Kinetic.Layer.call(this, { name: LAYER_NAME, listening: false });
        this.animLayer = animLayer;
        this.model = new window.DrawingModel();
        this.shapes = [];
        this.shownVersion = -1;
        this.forPrint = false;
        // The selected drawings, records of the model; a lone one shows the
        // handles that reshape it.
        this.selection = [];
        this.handles = [];
        this.handleLayer = null;
        // The selection and its span, as last announced.
        this.announced = '';

        // While playing, drawings that do not fade are drawn from bitmaps of
        // themselves (ShapeBitmap.js): a tick where one fades draws them all.
        // A few bitmaps are made per drawing of the layer, so that the first
        // tick does not make them all at once.
        this.fromBitmaps = false;
        this.mayMake = 0;
        var layer = this;
        this.on('beforeDraw', function () {
            layer.mayMake = BITMAPS_MADE_PER_DRAW;
        });

        this.fit();
    }

    Kinetic.Util.extend(DrawingLayer, Kinetic.Layer);

    // What a drawing's picture depends on besides the layer's place:
    // the drawing itself (whose every change the model counts), the
    // pitch's size and turn, and the paper.
    DrawingLayer.prototype.lookOf = function () {
        var animLayer = this.animLayer;
        return [this.model.version, animLayer.layerWidth, animLayer.layerHeight, animLayer.layerScale,
            animLayer.rotation(), this.forPrint];
    };

    DrawingLayer.prototype.drawWhole = function (context, shape) {
        var layer = this;
        var d = shape.getAttr('drawing');
        if (this.fromBitmaps) {
            if (shape.bitmap.draw(context, shape, this.lookOf(), function () { return layer.boundsOf(d); },
                this.mayMake > 0)) {
                this.mayMake -= 1;
            }
        } else {
            this.drawShape(context, shape);
        }
    };

    // One shape per drawing of the model, built again only when the
    // model has changed since.
    DrawingLayer.prototype.syncShapes = function () {
        var layer = this;
        var model = this.model;
        if (this.shownVersion === model.version) {
            return;
        }
        this.shapes.forEach(function (shape) {
            shape.destroy();
        });
        this.shapes = model.drawings.map(function (d) {
            var shape = new Kinetic.Shape({
                name: SHAPE_NAME,
                drawing: d,
                visible: false,
                listening: false,
                sceneFunc: function (context) {
                    layer.drawWhole(context, this);
                }
            });
            shape.bitmap = new window.ShapeBitmap(function (context) {
                layer.drawShape(context, shape);
            });
            window.drawHeldFirst(shape, function (canvas) {
                return layer.fromBitmaps && shape.bitmap.drawHeld(canvas, shape, layer.lookOf());
            });
            layer.add(shape);
            return shape;
        });
        this.shownVersion = model.version;
        this.selection = this.selection.filter(function (d) {
            return model.drawings.indexOf(d) !== -1;
        });
        this.placeHandles();
    };

    // Each shape at the opacity `opacityOf` gives its drawing; true
    // when any shape changed.
    DrawingLayer.prototype.applyOpacity = function (opacityOf) {
        var changed = this.shownVersion !== this.model.version;
        this.syncShapes();
        this.shapes.forEach(function (shape) {
            var o = opacityOf(shape.getAttr('drawing'));
            var visible = o > 0;
            if (shape.visible() !== visible || (visible && shape.opacity() !== o)) {
                shape.visible(visible);
                shape.opacity(o);
                changed = true;
            }
        });
        return changed;
    };

    // Follows the animation layer's place, offset and turn; the handles
    // stand at places of the new size.
    DrawingLayer.prototype.fit = function () {
        this.position(this.animLayer.position());
        this.offset(this.animLayer.offset());
        this.rotation(this.animLayer.rotation());
        if (this.selection.length > 0) {
            this.placeHandles();
        }
    };

    DrawingLayer.prototype.showFrame = function (n, undrawn) {
        var model = this.model;
        var changed = this.applyOpacity(function (d) {
            return model.covers(d, n) ? 1 : 0;
        });
        var shown = this.selection.filter(function (d) {
            return model.covers(d, n);
        });
        if (shown.length !== this.selection.length) {
            this.selectDrawings(shown);
            changed = true;
        }
        if (changed && !undrawn) {
            this.batchDraw();
        }
    };

    // `timeMs` from the drill's first frame.
    DrawingLayer.prototype.showTime = function (timeMs) {
        if (this.applyOpacity(function (d) { return window.DrawingModel.opacityAt(d, timeMs); })) {
            this.drawScene();
        }
    };

    // The handle of the selected drawing at the pixel place `pos`, or
    // null: { x, y, point }.
    DrawingLayer.prototype.handleAt = function (pos) {
        var animLayer = this.animLayer;
        var selected = this.selectedDrawing();
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
    DrawingLayer.prototype.select = function (drawing) {
        this.selectDrawings(drawing ? [drawing] : []);
    };

    // `drawings`: records of the model, the whole selection.
    DrawingLayer.prototype.selectDrawings = function (drawings) {
        this.selection = drawings.filter(function (d, i) {
            return drawings.indexOf(d) === i;
        });
        this.placeHandles();
    };

    // Adds `drawing` to the selection, or takes it away.
    DrawingLayer.prototype.toggleSelected = function (drawing) {
        var selection = this.selection;
        var at = selection.indexOf(drawing);
        this.selectDrawings(at === -1 ? selection.concat([drawing]) :
            selection.slice(0, at).concat(selection.slice(at + 1)));
    };

    DrawingLayer.prototype.isSelected = function (drawing) {
        return this.selection.indexOf(drawing) !== -1;
    };

    // The selected drawings, in the order they were selected.
    DrawingLayer.prototype.selectedDrawings = function () {
        return this.selection.slice();
    };

    // The drawing selected alone, or null (none, or several).
    DrawingLayer.prototype.selectedDrawing = function () {
        return this.selection.length === 1 ? this.selection[0] : null;
    };

    // The drawings shown in frame `frame` whose points all lie in the
    // pixel rectangle `rect` ({x, y, width, height}, edges included),
    // as items are judged by their turned box: a zone by its four
    // corners as turned.
    DrawingLayer.prototype.drawingsWithin = function (rect, frame) {
        var layer = this;
        var model = this.model;
        return model.drawings.filter(function (d) {
            return model.covers(d, frame) && layer.outlineOf(d).every(function (p) {
                return window.posInRect(p, rect);
            });
        });
    };

    DrawingLayer.prototype.outlineOf = function (d) {
        var animLayer = this.animLayer;
        var pts = d.points.map(function (p) { return animLayer.pixelPos(p); });
        if (d.kind !== 'zone') {
            return pts;
        }
        var c = { x: (pts[0].x + pts[1].x) / 2, y: (pts[0].y + pts[1].y) / 2 };
        return [pts[0], { x: pts[1].x, y: pts[0].y }, pts[1], { x: pts[0].x, y: pts[1].y }].map(function (p) {
            return turnAbout(p, c, d.rotation);
        });
    };

    // Raises drawingSelectionChanged when the selected drawing, or its
    // span, is not what was last announced: the strip shows the span.
    DrawingLayer.prototype.announceSelection = function () {
        var model = this.model;
        var now = this.selection.map(function (d) {
            return model.drawings.indexOf(d) + ':' + d.first + '-' + d.last + ':' + d.fill;
        }).join(',');
        if (now !== this.announced) {
            this.announced = now;
            window.myDispatchEvent('drawingSelectionChanged', {});
        }
    };

    // The handles stand over the items, which would hide a line's bend
    // under a player, on a layer of their own above the items' (Kinetic's
    // fast layer: no hit graph, its shapes placed in stage pixels). It is
    // made when first needed: the image generator's view never selects.
    DrawingLayer.prototype.handleLayerOnStage = function () {
        var stage = this.getStage();
        if (!this.handleLayer && stage) {
            this.handleLayer = new Kinetic.FastLayer({ name: HANDLE_LAYER_NAME });
            stage.add(this.handleLayer);
        }
        return this.handleLayer || null;
    };

    DrawingLayer.prototype.placeHandles = function () {
        var layer = this;
        var animLayer = this.animLayer;
        this.handles.forEach(function (h) { h.destroy(); });
        this.handles = [];
        this.announceSelection();
        var handleLayer = this.selection.length > 0 ? this.handleLayerOnStage() : this.handleLayer;
        if (!handleLayer) {
            return;
        }
        // Several selected drawings show their handles as marks of the
        // selection; only a lone one's are taken (handleAt).
        var radius = HANDLE_RADIUS * Math.max(animLayer.layerScale, 0.5);
        var toStage = animLayer.getAbsoluteTransform();
        this.selection.forEach(function (selected) {
            handlesOf(selected, function (p) { return animLayer.pixelPos(p); }, animLayer.layerScale).forEach(function (h) {
                var at = toStage.point(h);
                var circle = new Kinetic.Circle({ name: HANDLE_NAME, x: at.x, y: at.y, radius: radius,
                    fill: HANDLE_FILL, stroke: HANDLE_STROKE, strokeWidth: 1, listening: false });
                handleLayer.add(circle);
                layer.handles.push(circle);
            });
        });
        handleLayer.batchDraw();
    };

    DrawingLayer.prototype.setDrawForPrint = function (on) {
        this.forPrint = !!on;
    };

    // On while playing or scrubbing; off lets the bitmaps go.
    DrawingLayer.prototype.drawFromBitmaps = function (on) {
        this.fromBitmaps = !!on;
        if (!this.fromBitmaps) {
            this.shapes.forEach(function (shape) {
                shape.bitmap.drop();
            });
        }
    };

    DrawingLayer.prototype.frameAdded = function (sel) {
        this.model.frameAdded(sel);
    };

    DrawingLayer.prototype.frameRemoved = function (sel) {
        this.model.frameRemoved(sel);
    };

    DrawingLayer.prototype.clear = function () {
        this.model.load([]);
    };

    window.DrawingLayer = DrawingLayer;
}(window, Kinetic));
