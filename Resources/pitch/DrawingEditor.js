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
// Use: new DrawingEditor(animation) → editor, kept as
// animation.drawingEditor. DrawingEditor.pointer.js adds the press, the
// drag and the release.
(function (window) {
    'use strict';

    var DEFAULT_COLOR = 'yellow';
    // A zone's fill strengths, light, medium and strong, in the order the
    // strip's button goes through them.
    var ZONE_FILLS = [0.15, 0.3, 0.5];
    // A pasted drawing stands this far (a fraction of the pitch) below and
    // to the right of the copied one, as pasted items do.
    var PASTE_OFFSET = 0.03;
    var NOTE_MAX_LINES = 2;
    var NOTE_MAX_LENGTH = 200;

    function DrawingEditor(animation) {
        if (!(this instanceof DrawingEditor)) {
            throw new Error('DrawingEditor must be called with new');
        }
        if (!animation || !animation.drawingLayer || !animation.animLayer) {
            throw new Error('DrawingEditor: the animation is needed');
        }
        this.animation = animation;
        this.layer = animation.drawingLayer;
        this.items = animation.animLayer;
        this.model = this.layer.model;
        this.chosenTool = null;
        this.chosenColor = DEFAULT_COLOR;
        // What the pointer is doing: { mode: 'draw' | 'move' | 'handle',
        // from (pixels), points (fractions at the press), point }.
        this.drag = null;
        // Where a note asked for will stand (fractions), until its text
        // comes; or the note whose text was asked for afresh.
        this.pendingNote = null;
        this.editedNote = null;

        var editor = this;
        var stage = animation.stage;
        stage.on('contentMousemove contentTouchmove', function () {
            editor.movePointer();
        });
        stage.on('contentMouseup contentTouchend', function () {
            editor.release();
        });
    }

    DrawingEditor.prototype.frame = function () {
        return this.animation.frameManager.selectedFrame;
    };

    DrawingEditor.prototype.fractions = function (pos) {
        return this.items.relativePos(pos);
    };

    DrawingEditor.prototype.redraw = function () {
        this.layer.showFrame(this.frame(), true);
        this.layer.batchDraw();
    };

    DrawingEditor.prototype.selectedItems = function () {
        return this.items.itemGroups().filter(function (group) {
            return group.isSelected;
        });
    };

    DrawingEditor.prototype.deselectItems = function () {
        this.items.itemGroups().forEach(function (group) {
            group.selectFunc(false);
            group.showControlsFunc(false);
        });
        this.items.batchDraw();
    };

    DrawingEditor.prototype.tool = function () {
        return this.chosenTool;
    };

    DrawingEditor.prototype.color = function () {
        return this.chosenColor;
    };

    // Chooses the tool `kind`/`style`; choosing the tool in hand again
    // leaves it.
    DrawingEditor.prototype.chooseTool = function (kind, style) {
        var tool = this.chosenTool;
        if (tool && tool.kind === kind && tool.style === style) {
            this.leaveTool();
            return;
        }
        this.chosenTool = { kind: kind, style: style };
        this.items.listening(false);
    };

    DrawingEditor.prototype.leaveTool = function () {
        this.chosenTool = null;
        this.drag = null;
        this.items.listening(true);
    };

    // Widens (`by` 1) or narrows (`by` -1) the selected drawing's span
    // by a frame, at its end, or at its start when `atStart`: within
    // the drill, and never to less than one frame. True when it changed.
    DrawingEditor.prototype.changeSpan = function (by, atStart) {
        var d = this.layer.selectedDrawing();
        var nFrames = this.animation.frameManager.nFrames;
        var first = d && atStart ? d.first - by : d && d.first;
        var last = d && !atStart ? d.last + by : d && d.last;
        if (!d || first < 0 || last >= nFrames || first > last) {
            return false;
        }
        d.first = first;
        d.last = last;
        this.model.changed();
        this.layer.select(d);
        this.redraw();
        return true;
    };

    // The note `d` (a record of the model) is to take the next text that
    // comes (addNote) in place of its own.
    DrawingEditor.prototype.editNote = function (d) {
        this.pendingNote = null;
        this.editedNote = d;
    };

    // The text asked for the note pressed for, or for the note edited: at
    // most two lines and 200 characters, blank lines and spaces at the
    // ends dropped. An empty text adds nothing and leaves an edited note
    // as it was.
    DrawingEditor.prototype.addNote = function (text) {
        var at = this.pendingNote;
        var edited = this.editedNote;
        this.pendingNote = null;
        this.editedNote = null;
        var lines = String(text || '').split(/\r?\n/).map(function (line) {
            return line.trim();
        }).filter(function (line) {
            return line !== '';
        }).slice(0, NOTE_MAX_LINES);
        var note = lines.join('\n').slice(0, NOTE_MAX_LENGTH);
        if (edited && note !== '' && this.model.drawings.indexOf(edited) !== -1) {
            edited.text = note;
            this.model.changed();
            this.layer.select(edited);
            this.redraw();
            return;
        }
        if (!at || note === '' || this.model.count() >= window.DrawingModel.MAX_DRAWINGS) {
            return;
        }
        var d = this.model.add({ kind: 'note', style: 'plain', color: this.chosenColor, fill: 0, rotation: 0,
            points: [at], first: this.frame(), last: this.frame(), text: note });
        this.layer.select(d);
        this.deselectItems();
        this.redraw();
    };

    // The selected drawings come after the others, in the order they had,
    // so that they are drawn over them; true when any moved.
    DrawingEditor.prototype.bringSelectedToFront = function () {
        var selected = this.layer.selectedDrawings();
        var drawings = this.model.drawings;
        var reordered = drawings.filter(function (d) {
            return selected.indexOf(d) === -1;
        }).concat(drawings.filter(function (d) {
            return selected.indexOf(d) !== -1;
        }));
        var moved = reordered.some(function (d, i) {
            return d !== drawings[i];
        });
        if (moved) {
            this.model.drawings = reordered;
            this.model.changed();
            this.layer.selectDrawings(selected);
            this.redraw();
        }
        return moved;
    };

    // Copies of the selected drawings' records (none: an empty list).
    DrawingEditor.prototype.copySelected = function () {
        return JSON.parse(JSON.stringify(this.layer.selectedDrawings()));
    };

    // Adds drawings like `copied` (from copySelected) a little below
    // and right of them, in the frame on show alone, and selects them,
    // as far as the drill may hold them.
    DrawingEditor.prototype.paste = function (copied) {
        var editor = this;
        var room = window.DrawingModel.MAX_DRAWINGS - this.model.count();
        var pasted = (copied || []).slice(0, Math.max(0, room)).map(function (record) {
            var d = JSON.parse(JSON.stringify(record));
            d.points = d.points.map(function (p) {
                return { x: Math.min(1, p.x + PASTE_OFFSET), y: Math.min(1, p.y + PASTE_OFFSET) };
            });
            d.first = editor.frame();
            d.last = editor.frame();
            return editor.model.add(d);
        });
        this.layer.selectDrawings(pasted);
        this.redraw();
    };

    // Removes the selected drawings; true when there were any.
    DrawingEditor.prototype.deleteSelected = function () {
        var model = this.model;
        var drawings = this.layer.selectedDrawings();
        drawings.forEach(function (d) {
            model.remove(d);
        });
        this.layer.select(null);
        this.redraw();
        return drawings.length > 0;
    };

    DrawingEditor.prototype.deselect = function () {
        if (this.layer.selectedDrawings().length > 0) {
            this.layer.select(null);
            this.redraw();
        }
    };

    // Every drawing shown in the frame on show.
    DrawingEditor.prototype.selectAll = function () {
        var editor = this;
        this.layer.selectDrawings(this.model.drawings.filter(function (d) {
            return editor.model.covers(d, editor.frame());
        }));
        this.redraw();
    };

    // The drawings in the selection rectangle `rect` (layer pixels)
    // become the selection.
    DrawingEditor.prototype.selectWithin = function (rect) {
        this.layer.selectDrawings(this.layer.drawingsWithin(rect, this.frame()));
        this.redraw();
    };

    // The next fill strength of the zone selected alone: light, medium,
    // strong, light again. Returns the new fill, or null.
    DrawingEditor.prototype.nextZoneFill = function () {
        var d = this.layer.selectedDrawing();
        if (!d || d.kind !== 'zone') {
            return null;
        }
        var next = ZONE_FILLS.filter(function (f) { return f > d.fill + 1e-9; })[0];
        d.fill = next === undefined ? ZONE_FILLS[0] : next;
        this.model.changed();
        this.layer.select(d);
        this.redraw();
        return d.fill;
    };

    // The next colour of the palette, for the drawings to come and for
    // the selected one.
    DrawingEditor.prototype.nextColor = function () {
        var colors = window.DrawingModel.COLORS;
        var color = colors[(colors.indexOf(this.chosenColor) + 1) % colors.length];
        this.chosenColor = color;
        var drawings = this.layer.selectedDrawings();
        if (drawings.length > 0) {
            drawings.forEach(function (d) {
                d.color = color;
            });
            this.model.changed();
            this.layer.selectDrawings(drawings);
            this.redraw();
        }
        return color;
    };

    window.DrawingEditor = DrawingEditor;
}(window));
