// Drawing with the pointer on the pitch: with a tool chosen (a kind and a
// style), a press-drag draws a new drawing in the frame on show; without
// one, a press on a drawing selects it, a drag moves it, and its handles
// reshape it (a line's ends, and its bend, which curves a straight line; a
// zone's corners). The animation asks it first about every press on the
// pitch: what it does not take starts the selection rectangle.
//
// While a tool is chosen the items do not listen, so drawing over a player
// never drags the player.
//
// Use: createDrawingEditor(animation) → editor, kept as
// animation.drawingEditor.
(function (window) {
    'use strict';

    var DEFAULT_COLOR = 'yellow';
    var DEFAULT_ZONE_FILL = 0.3;
    // A zone's fill strengths, light, medium and strong, in the order the
    // strip's button goes through them.
    var ZONE_FILLS = [0.15, 0.3, 0.5];
    // A new drawing shorter than this (pixels at the canonical size) was a
    // click, not a drawing, and is dropped.
    var MIN_DRAWN = 6;
    // A pasted drawing stands this far (a fraction of the pitch) below and
    // to the right of the copied one, as pasted items do.
    var PASTE_OFFSET = 0.03;
    var NOTE_MAX_LINES = 2;
    var NOTE_MAX_LENGTH = 200;

    function createDrawingEditor(animation) {
        if (!animation || !animation.drawingLayer || !animation.animLayer) {
            throw new Error('createDrawingEditor: the animation is needed');
        }
        var layer = animation.drawingLayer;
        var items = animation.animLayer;
        var model = layer.model;
        var tool = null;
        var color = DEFAULT_COLOR;
        // What the pointer is doing: { mode: 'draw' | 'move' | 'handle',
        // from (pixels), points (fractions at the press), point }.
        var drag = null;
        // Where a note asked for will stand (fractions), until its text comes.
        var pendingNote = null;

        function frame() {
            return animation.frameManager.selectedFrame;
        }

        function fractions(pos) {
            return items.relativePos(pos);
        }

        function copyPoints(points) {
            return points.map(function (p) { return { x: p.x, y: p.y }; });
        }

        function redraw() {
            layer.showFrame(frame(), true);
            layer.batchDraw();
        }

        function selectedItems() {
            return items.itemGroups().filter(function (group) {
                return group.isSelected;
            });
        }

        // Moves the selected drawings to their `points` (fractions, as at
        // the press) shifted by `shift` (fractions).
        function shiftDrawings(drawings, points, shift) {
            drawings.forEach(function (d, i) {
                d.points = points[i].map(function (p) { return { x: p.x + shift.x, y: p.y + shift.y }; });
            });
        }

        function deselectItems() {
            items.itemGroups().forEach(function (group) {
                group.selectFunc(false);
                group.showControlsFunc(false);
            });
            items.batchDraw();
        }

        function newDrawing(pos) {
            var at = fractions(pos);
            var kind = tool.kind;
            return model.add({
                kind: kind,
                style: tool.style,
                color: color,
                fill: kind === 'zone' ? DEFAULT_ZONE_FILL : 0,
                rotation: 0,
                points: [{ x: at.x, y: at.y }, { x: at.x, y: at.y }],
                first: frame(),
                last: frame(),
                text: ''
            });
        }

        var editor = {};

        editor.tool = function () {
            return tool;
        };

        editor.color = function () {
            return color;
        };

        // Chooses the tool `kind`/`style`; choosing the tool in hand again
        // leaves it.
        editor.chooseTool = function (kind, style) {
            if (tool && tool.kind === kind && tool.style === style) {
                editor.leaveTool();
                return;
            }
            tool = { kind: kind, style: style };
            items.listening(false);
        };

        editor.leaveTool = function () {
            tool = null;
            drag = null;
            items.listening(true);
        };

        // The press at the pixel place `pos` of the pitch, with `toggles`
        // when Shift or Ctrl was held: true when it draws, picks a handle or
        // a drawing. A plain press on a drawing selects it alone (the items
        // too are deselected) unless it is selected already: then the whole
        // selection, items with drawings, is dragged together.
        editor.press = function (pos, toggles) {
            if (tool) {
                // A drill past what a file may hold could not be saved.
                if (model.count() >= window.DrawingModel.MAX_DRAWINGS) {
                    return true;
                }
                if (tool.kind === 'note') {
                    pendingNote = fractions(pos);
                    window.myDispatchEvent('getTextForNote', {});
                    return true;
                }
                var drawn = newDrawing(pos);
                layer.select(drawn);
                deselectItems();
                drag = { mode: 'draw', drawing: drawn, from: pos };
                redraw();
                return true;
            }
            var selected = layer.selectedDrawing();
            var handle = layer.handleAt(pos);
            if (selected && handle) {
                drag = { mode: 'handle', drawing: selected, from: pos, point: handle.point };
                return true;
            }
            var hit = layer.drawingAt(pos, frame());
            if (hit && toggles) {
                layer.toggleSelected(hit);
                redraw();
                return true;
            }
            if (hit) {
                if (!layer.isSelected(hit)) {
                    layer.select(hit);
                    deselectItems();
                }
                var drawings = layer.selectedDrawings();
                var groups = selectedItems();
                drag = { mode: 'move', drawing: hit, from: pos, drawings: drawings,
                    points: drawings.map(function (d) { return copyPoints(d.points); }),
                    groups: groups, centres: groups.map(function (g) { return g.getPosAbs(); }) };
                redraw();
                return true;
            }
            if (layer.selectedDrawings().length > 0) {
                layer.select(null);
                redraw();
            }
            return false;
        };

        editor.movePointer = function () {
            if (!drag) {
                return;
            }
            var pos = window.getMousePosOnLayer(items);
            if (!pos) {
                return;
            }
            var d = drag.drawing;
            if (drag.mode === 'draw') {
                d.points[1] = fractions(items.clipToBounds(pos));
            } else if (drag.mode === 'move') {
                var by = { x: pos.x - drag.from.x, y: pos.y - drag.from.y };
                shiftDrawings(drag.drawings, drag.points, fractions(by));
                moveItems(drag.groups, drag.centres, by);
            } else {
                reshape(d, drag.point, fractions(pos));
            }
            model.changed();
            layer.selectDrawings(drag.drawings || [d]);
            redraw();
        };

        // The items selected with the dragged drawings go with them, by the
        // same pixels from where they stood at the press.
        function moveItems(groups, centres, by) {
            groups.forEach(function (group, i) {
                var now = group.getPosAbs();
                group.moveBy({ x: centres[i].x + by.x - now.x, y: centres[i].y + by.y - now.y });
            });
            if (groups.length > 0) {
                items.batchDraw();
            }
        }

        // Moves the selected drawings by `by` (layer pixels): the selected
        // items are being dragged.
        editor.moveSelectedBy = function (by) {
            var drawings = layer.selectedDrawings();
            if (drawings.length === 0) {
                return;
            }
            shiftDrawings(drawings, drawings.map(function (d) { return d.points; }), fractions(by));
            model.changed();
            layer.selectDrawings(drawings);
            redraw();
        };

        function reshape(d, point, at) {
            if (point === 'turn') {
                d.rotation = turnTowards(d, items.pixelPos(at));
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
        }

        // The turn of zone `d` whose top faces the pixel place `pos`, in
        // whole degrees from -179 to 180.
        function turnTowards(d, pos) {
            var a = items.pixelPos(d.points[0]);
            var b = items.pixelPos(d.points[1]);
            var degrees = Math.round(window.degrees(Math.atan2(pos.y - (a.y + b.y) / 2, pos.x - (a.x + b.x) / 2))) + 90;
            return degrees > 180 ? degrees - 360 : degrees;
        }

        editor.release = function () {
            if (!drag) {
                return;
            }
            var d = drag.drawing;
            var mode = drag.mode;
            var groups = drag.groups || [];
            drag = null;
            groups.forEach(function (group) {
                group.setControlsPosition();
            });
            if (mode === 'draw') {
                var a = items.pixelPos(d.points[0]);
                var b = items.pixelPos(d.points[1]);
                var small = MIN_DRAWN * items.layerScale;
                if (Math.abs(a.x - b.x) < small && Math.abs(a.y - b.y) < small) {
                    model.remove(d);
                    redraw();
                }
            }
        };

        // Widens (`by` 1) or narrows (`by` -1) the selected drawing's span
        // by a frame, at its end, or at its start when `atStart`: within
        // the drill, and never to less than one frame. True when it changed.
        editor.changeSpan = function (by, atStart) {
            var d = layer.selectedDrawing();
            var nFrames = animation.frameManager.nFrames;
            var first = d && atStart ? d.first - by : d && d.first;
            var last = d && !atStart ? d.last + by : d && d.last;
            if (!d || first < 0 || last >= nFrames || first > last) {
                return false;
            }
            d.first = first;
            d.last = last;
            model.changed();
            layer.select(d);
            redraw();
            return true;
        };

        // The text asked for the note pressed for: at most two lines and
        // 200 characters, blank lines and spaces at the ends dropped. An
        // empty text adds nothing.
        editor.addNote = function (text) {
            var at = pendingNote;
            pendingNote = null;
            var lines = String(text || '').split(/\r?\n/).map(function (line) {
                return line.trim();
            }).filter(function (line) {
                return line !== '';
            }).slice(0, NOTE_MAX_LINES);
            var note = lines.join('\n').slice(0, NOTE_MAX_LENGTH);
            if (!at || note === '' || model.count() >= window.DrawingModel.MAX_DRAWINGS) {
                return;
            }
            var d = model.add({ kind: 'note', style: 'plain', color: color, fill: 0, rotation: 0,
                points: [at], first: frame(), last: frame(), text: note });
            layer.select(d);
            deselectItems();
            redraw();
        };

        // Copies of the selected drawings' records (none: an empty list).
        editor.copySelected = function () {
            return JSON.parse(JSON.stringify(layer.selectedDrawings()));
        };

        // Adds drawings like `copied` (from copySelected) a little below
        // and right of them, in the frame on show alone, and selects them,
        // as far as the drill may hold them.
        editor.paste = function (copied) {
            var room = window.DrawingModel.MAX_DRAWINGS - model.count();
            var pasted = (copied || []).slice(0, Math.max(0, room)).map(function (record) {
                var d = JSON.parse(JSON.stringify(record));
                d.points = d.points.map(function (p) {
                    return { x: Math.min(1, p.x + PASTE_OFFSET), y: Math.min(1, p.y + PASTE_OFFSET) };
                });
                d.first = frame();
                d.last = frame();
                return model.add(d);
            });
            layer.selectDrawings(pasted);
            redraw();
        };

        // Removes the selected drawings; true when there were any.
        editor.deleteSelected = function () {
            var drawings = layer.selectedDrawings();
            drawings.forEach(function (d) {
                model.remove(d);
            });
            layer.select(null);
            redraw();
            return drawings.length > 0;
        };

        editor.deselect = function () {
            if (layer.selectedDrawings().length > 0) {
                layer.select(null);
                redraw();
            }
        };

        // Every drawing shown in the frame on show.
        editor.selectAll = function () {
            layer.selectDrawings(model.drawings.filter(function (d) {
                return model.covers(d, frame());
            }));
            redraw();
        };

        // The drawings in the selection rectangle `rect` (layer pixels)
        // become the selection.
        editor.selectWithin = function (rect) {
            layer.selectDrawings(layer.drawingsWithin(rect, frame()));
            redraw();
        };

        // The next fill strength of the zone selected alone: light, medium,
        // strong, light again. Returns the new fill, or null.
        editor.nextZoneFill = function () {
            var d = layer.selectedDrawing();
            if (!d || d.kind !== 'zone') {
                return null;
            }
            var next = ZONE_FILLS.filter(function (f) { return f > d.fill + 1e-9; })[0];
            d.fill = next === undefined ? ZONE_FILLS[0] : next;
            model.changed();
            layer.select(d);
            redraw();
            return d.fill;
        };

        // The next colour of the palette, for the drawings to come and for
        // the selected one.
        editor.nextColor = function () {
            var colors = window.DrawingModel.COLORS;
            color = colors[(colors.indexOf(color) + 1) % colors.length];
            var drawings = layer.selectedDrawings();
            if (drawings.length > 0) {
                drawings.forEach(function (d) {
                    d.color = color;
                });
                model.changed();
                layer.selectDrawings(drawings);
                redraw();
            }
            return color;
        };

        var stage = animation.stage;
        stage.on('contentMousemove contentTouchmove', editor.movePointer);
        stage.on('contentMouseup contentTouchend', editor.release);
        return editor;
    }

    window.createDrawingEditor = createDrawingEditor;
}(window));
