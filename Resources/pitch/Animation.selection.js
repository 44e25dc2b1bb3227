// The pitch view's presses on the pitch: the handles of a selected drawing
// reached through the items over them, and the rubber-band rectangle that
// selects the items and drawings inside it, after the drawing editor has
// had its say; and the place on the pitch under a page point.
//
// Use: loaded after Animation.js, whose views it gives
// letHandlesTakePresses and installSelectionHandlers (the constructor calls
// both), startSelection, stretchSelection, finishSelection and
// pitchPointAt.
(function (window, Kinetic) {
    'use strict';

    var Animation = window.Animation;

    var SELECT_RECT_NAME = 'selectRectangle';
    var SELECT_RECT_FILL = 'white';
    var SELECT_RECT_OPACITY = 0.15;
    var SELECT_RECT_STROKE = 'white';
    var SELECT_RECT_STROKE_WIDTH = 1;

    // A press on a handle of the drawing selected alone goes to the
    // drawing editor through the pitch, even where an item lies over the
    // handle (ItemHitTest.js).
    Animation.prototype.letHandlesTakePresses = function () {
        var self = this;
        var animLayer = this.animLayer;
        var drawingLayer = this.drawingLayer;
        animLayer.pressGoesBelow = function (stagePos) {
            return !!drawingLayer.handleAt(window.stagePosToLayer(stagePos, animLayer));
        };
        // A step's bend handle lies over the selected item's own buttons.
        animLayer.pressTakenAbove = function (stagePos) {
            return !!self.stepBend && self.stepBend.handleAt(window.stagePosToLayer(stagePos, animLayer));
        };
    };

    // The place on the pitch (layer pixels) under the page point
    // (clientX, clientY), one on the margin beside it taken to the pitch's
    // edge; null when the point is not over this view's stage.
    Animation.prototype.pitchPointAt = function (clientX, clientY) {
        var box = this.stage.getContent().getBoundingClientRect();
        var onStage = { x: clientX - box.left, y: clientY - box.top };
        if (!(onStage.x >= 0 && onStage.y >= 0 && onStage.x < box.width && onStage.y < box.height)) {
            return null;
        }
        return this.animLayer.clipToBounds(window.stagePosToLayer(onStage, this.animLayer));
    };

    // Pressing the bare pitch, or the margin beside it, starts a selection
    // rectangle; moving stretches it (never beyond the pitch); releasing
    // selects every item wholly inside it and nothing else, so a click on
    // the bare pitch or the margin deselects all. Moves and releases are
    // taken from the stage's own pointer events, which come wherever the
    // pointer is, over an item, the rectangle or beside the pitch.
    Animation.prototype.installSelectionHandlers = function () {
        var self = this;
        // Kinetic passes a press to the shape under it, if any, before the
        // stage's own content event: a press that reached no shape is one on
        // the margin. The margin follows the pitch: while the pitch does not
        // listen (playback, an overlay), neither does the margin.
        var pressedShape = false;
        this.stage.on('mousedown touchstart', function () {
            pressedShape = true;
        });
        this.stage.on('contentMousedown contentTouchstart', function (evt) {
            var onMargin = !pressedShape;
            pressedShape = false;
            if (onMargin && self.bgLayer.isListening()) {
                self.startSelection(evt && evt.evt);
            }
        });
        this.bgLayer.on('mousedown touchstart', function (evt) {
            self.startSelection(evt && evt.evt);
        });
        this.stage.on('contentMousemove contentTouchmove', function () {
            self.stretchSelection();
        });
        this.stage.on('contentMouseup contentTouchend', function () {
            self.finishSelection();
        });
    };

    Animation.prototype.selectionRectangles = function () {
        return this.animLayer.find('.' + SELECT_RECT_NAME).toArray();
    };

    // A press the drawing editor takes (drawing, or on a drawing) starts
    // no rectangle, nor does one of the pointer's other button, which
    // selects a drawing for the menu of its commands (PitchClicks.js).
    // `pointer`: the DOM event, whose Shift or Ctrl toggles a drawing.
    Animation.prototype.startSelection = function (pointer) {
        var pos = window.getMousePosOnLayer(this.animLayer);
        var toggles = !!pointer && !!(pointer.shiftKey || pointer.ctrlKey || pointer.metaKey);
        if (pos && pointer && pointer.button === 2) {
            this.drawingEditor.pressForMenu({ x: pos.x, y: pos.y });
            return;
        }
        // A step's bend handle (StepBend.js) before the drawings.
        if (pos && this.stepBend && this.stepBend.press({ x: pos.x, y: pos.y })) {
            return;
        }
        if (!pos || this.drawingEditor.press({ x: pos.x, y: pos.y }, toggles)) {
            return;
        }
        this.animLayer.clipToBounds(pos);
        var rect = new Kinetic.Rect({
            name: SELECT_RECT_NAME,
            x: pos.x,
            y: pos.y,
            width: 0,
            height: 0,
            fill: SELECT_RECT_FILL,
            opacity: SELECT_RECT_OPACITY,
            stroke: SELECT_RECT_STROKE,
            strokeWidth: SELECT_RECT_STROKE_WIDTH,
            listening: false
        });
        rect.startPos = { x: pos.x, y: pos.y };
        this.animLayer.add(rect);
    };

    Animation.prototype.stretchSelection = function () {
        var rects = this.selectionRectangles();
        if (rects.length === 0) {
            return;
        }
        var pos = window.getMousePosOnLayer(this.animLayer);
        if (!pos) {
            return;
        }
        this.animLayer.clipToBounds(pos);
        rects.forEach(function (rect) {
            var start = rect.startPos;
            rect.position({ x: Math.min(start.x, pos.x), y: Math.min(start.y, pos.y) });
            rect.size({ width: Math.abs(pos.x - start.x), height: Math.abs(pos.y - start.y) });
        });
        this.animLayer.batchDraw();
    };

    Animation.prototype.finishSelection = function () {
        var layer = this.animLayer;
        var editor = this.drawingEditor;
        var rects = this.selectionRectangles();
        if (rects.length === 0) {
            return;
        }
        rects.forEach(function (rect) {
            editor.selectWithin({ x: rect.x(), y: rect.y(), width: rect.width(), height: rect.height() });
            var groups = layer.itemGroups();
            groups.forEach(function (group) {
                group.selectFunc(false);
                group.showControlsFunc(false);
            });
            groups.forEach(function (group) {
                if (window.withinBounds(rect, group.getFieldItem().group)) {
                    group.selectFunc(true);
                    group.showControlsFunc(true);
                }
            });
            rect.destroy();
        });
        layer.batchDraw();
    };
}(window, Kinetic));
