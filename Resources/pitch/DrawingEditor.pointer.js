// The drawing editor's pointer handling: the press that draws, picks a
// handle or a drawing, the drag that draws on, moves or reshapes, and the
// release that drops a drawing too small to be one.
//
// Use: loaded after DrawingEditor.js, whose editors it gives press,
// movePointer, moveSelectedBy and release.
(function (window) {
    'use strict';

    var DrawingEditor = window.DrawingEditor;

    var DEFAULT_ZONE_FILL = 0.3;
    // A new drawing shorter than this (pixels at the canonical size) was a
    // click, not a drawing, and is dropped.
    var MIN_DRAWN = 6;

    function copyPoints(points) {
        return points.map(function (p) { return { x: p.x, y: p.y }; });
    }

    // Moves the selected drawings to their `points` (fractions, as at
    // the press) shifted by `shift` (fractions).
    function shiftDrawings(drawings, points, shift) {
        drawings.forEach(function (d, i) {
            d.points = points[i].map(function (p) { return { x: p.x + shift.x, y: p.y + shift.y }; });
        });
    }

    DrawingEditor.prototype.newDrawing = function (pos) {
        var at = this.fractions(pos);
        var kind = this.chosenTool.kind;
        return this.model.add({
            kind: kind,
            style: this.chosenTool.style,
            color: this.chosenColor,
            fill: kind === 'zone' ? DEFAULT_ZONE_FILL : 0,
            rotation: 0,
            points: [{ x: at.x, y: at.y }, { x: at.x, y: at.y }],
            first: this.frame(),
            last: this.frame(),
            text: ''
        });
    };

    // The press at the pixel place `pos` of the pitch, with `toggles`
    // when Shift or Ctrl was held: true when it draws, picks a handle or
    // a drawing. A plain press on a drawing selects it alone (the items
    // too are deselected) unless it is selected already: then the whole
    // selection, items with drawings, is dragged together.
    DrawingEditor.prototype.press = function (pos, toggles) {
        var layer = this.layer;
        // The handles of the drawing selected alone come first, before the
        // tool in hand: the drawing just drawn can be bent at once.
        var selected = layer.selectedDrawing();
        var handle = selected && layer.handleAt(pos);
        if (handle) {
            this.drag = { mode: 'handle', drawing: selected, from: pos, point: handle.point };
            return true;
        }
        if (this.chosenTool) {
            // A drill past what a file may hold could not be saved.
            if (this.model.count() >= window.DrawingModel.MAX_DRAWINGS) {
                return true;
            }
            if (this.chosenTool.kind === 'note') {
                this.editedNote = null;
                this.pendingNote = this.fractions(pos);
                window.myDispatchEvent('getTextForNote', {});
                return true;
            }
            var drawn = this.newDrawing(pos);
            layer.select(drawn);
            this.deselectItems();
            this.drag = { mode: 'draw', drawing: drawn, from: pos };
            this.redraw();
            return true;
        }
        var hit = layer.drawingAt(pos, this.frame());
        if (hit && toggles) {
            layer.toggleSelected(hit);
            this.redraw();
            return true;
        }
        if (hit) {
            if (!layer.isSelected(hit)) {
                layer.select(hit);
                this.deselectItems();
            }
            var drawings = layer.selectedDrawings();
            var groups = this.selectedItems();
            this.drag = { mode: 'move', drawing: hit, from: pos, drawings: drawings,
                points: drawings.map(function (d) { return copyPoints(d.points); }),
                groups: groups, centres: groups.map(function (g) { return g.getPosAbs(); }) };
            this.redraw();
            return true;
        }
        if (layer.selectedDrawings().length > 0) {
            layer.select(null);
            this.redraw();
        }
        return false;
    };

    // A press of the pointer's other button at the pixel place `pos`, for
    // the menu of commands: the drawing there, or the one whose handle is
    // there, is selected (alone, unless it is selected already) and
    // nothing is dragged. Returns the drawing, or null.
    DrawingEditor.prototype.pressForMenu = function (pos) {
        var layer = this.layer;
        var hit = layer.handleAt(pos) ? layer.selectedDrawing() : layer.drawingAt(pos, this.frame());
        if (hit && !layer.isSelected(hit)) {
            layer.select(hit);
            this.deselectItems();
            this.redraw();
        }
        return hit;
    };

    DrawingEditor.prototype.movePointer = function () {
        var drag = this.drag;
        if (!drag) {
            return;
        }
        var pos = window.getMousePosOnLayer(this.items);
        if (!pos) {
            return;
        }
        var d = drag.drawing;
        if (drag.mode === 'draw') {
            d.points[1] = this.fractions(this.items.clipToBounds(pos));
        } else if (drag.mode === 'move') {
            var by = { x: pos.x - drag.from.x, y: pos.y - drag.from.y };
            shiftDrawings(drag.drawings, drag.points, this.fractions(by));
            this.moveItems(drag.groups, drag.centres, by);
        } else {
            this.reshape(d, drag.point, this.fractions(pos));
        }
        this.model.changed();
        this.layer.selectDrawings(drag.drawings || [d]);
        this.redraw();
    };

    // The items selected with the dragged drawings go with them, by the
    // same pixels from where they stood at the press.
    DrawingEditor.prototype.moveItems = function (groups, centres, by) {
        groups.forEach(function (group, i) {
            var now = group.getPosAbs();
            group.moveBy({ x: centres[i].x + by.x - now.x, y: centres[i].y + by.y - now.y });
        });
        if (groups.length > 0) {
            this.items.batchDraw();
        }
    };

    // Moves the selected drawings by `by` (layer pixels): the selected
    // items are being dragged.
    DrawingEditor.prototype.moveSelectedBy = function (by) {
        var drawings = this.layer.selectedDrawings();
        if (drawings.length === 0) {
            return;
        }
        shiftDrawings(drawings, drawings.map(function (d) { return d.points; }), this.fractions(by));
        this.model.changed();
        this.layer.selectDrawings(drawings);
        this.redraw();
    };

    DrawingEditor.prototype.reshape = function (d, point, at) {
        var items = this.items;
        if (point === 'turn') {
            d.rotation = this.turnTowards(d, items.pixelPos(at));
        } else if (d.kind === 'zone') {
            // A turned zone's corners are stored unturned about its middle.
            var a = items.pixelPos(d.points[0]);
            var b = items.pixelPos(d.points[1]);
            var p = items.pixelPos(at);
            var r = window.radians(-d.rotation);
            var cx = (a.x + b.x) / 2;
            var cy = (a.y + b.y) / 2;
            d.points[point] = items.relativePos({
                x: cx + (p.x - cx) * Math.cos(r) - (p.y - cy) * Math.sin(r),
                y: cy + (p.x - cx) * Math.sin(r) + (p.y - cy) * Math.cos(r)
            });
        } else if (point === 'start') {
            d.points[0] = at;
        } else if (point === 'end') {
            d.points[d.points.length - 1] = at;
        } else {
            // Pulling the middle of a straight line bends it.
            if (d.points.length === 2) {
                d.points.splice(1, 0, at);
                d.style = 'curved';
            }
            d.points[1] = at;
        }
    };

    // The turn of zone `d` whose top faces the pixel place `pos`, in
    // whole degrees from -179 to 180.
    DrawingEditor.prototype.turnTowards = function (d, pos) {
        var a = this.items.pixelPos(d.points[0]);
        var b = this.items.pixelPos(d.points[1]);
        var degrees = Math.round(window.degrees(Math.atan2(pos.y - (a.y + b.y) / 2, pos.x - (a.x + b.x) / 2))) + 90;
        return degrees > 180 ? degrees - 360 : degrees;
    };

    DrawingEditor.prototype.release = function () {
        if (!this.drag) {
            return;
        }
        var items = this.items;
        var d = this.drag.drawing;
        var mode = this.drag.mode;
        var groups = this.drag.groups || [];
        this.drag = null;
        groups.forEach(function (group) {
            group.setControlsPosition();
        });
        if (mode === 'draw') {
            var a = items.pixelPos(d.points[0]);
            var b = items.pixelPos(d.points[1]);
            var small = MIN_DRAWN * items.layerScale;
            if (Math.abs(a.x - b.x) < small && Math.abs(a.y - b.y) < small) {
                this.model.remove(d);
                this.redraw();
            }
        }
    };
}(window));
