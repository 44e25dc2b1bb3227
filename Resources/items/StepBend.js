// The bend of a selected item's step: with one item selected alone in a
// frame that has a next one, its path through the step from here to there
// shows as a dashed curve with a handle at its middle. Dragging the handle
// bends the step through the point let go at; a double-click on it
// straightens the step again. Each is one change of the drill, recorded
// when the pointer is let go, as any drag on the pitch. Playback, scrubbing
// and every picture then follow the curve (FrameManager.bends.js).
//
// The curve and handle stand over the items on a layer of their own
// (Kinetic's fast layer, drawn in stage pixels, no hit graph): the handle
// is found by where the press is, before the items under it and before
// the drawing tools (Animation.selection.js, ItemHitTest.js).
(function (window, Kinetic) {
    'use strict';

    var LAYER_NAME = 'stepBendLayer';
    var HANDLE_RADIUS = 7;
    var HANDLE_FILL = 'rgb(255,210,0)';
    var HANDLE_STROKE = 'black';
    var PATH_STROKE = 'rgba(255,255,255,0.85)';
    var PATH_DASH = [6, 4];
    var PATH_WIDTH = 1.5;
    // A step shorter than this, in layer pixels, has nothing to bend.
    var SHORTEST_STEP = 4;
    var DOUBLE_CLICK_MS = 400;
    var CURVE_POINTS = 24;

    function StepBend(animation) {
        if (!animation || !animation.stage || !animation.frameManager) {
            throw new Error('StepBend: the animation is needed');
        }
        this.animation = animation;
        this.layer = null;
        this.shown = null;
        this.dragging = null;
        this.lastPress = -Infinity;
        var self = this;
        animation.stage.on('contentMousemove contentTouchmove', function () {
            if (self.dragging) {
                self.dragTo(window.getMousePosOnLayer(animation.animLayer));
            } else {
                self.refresh();
            }
        });
        animation.stage.on('contentMouseup contentTouchend', function () {
            self.dragging = null;
            self.refresh();
        });
    }

    // The item whose step can bend now: selected alone, on the pitch in this
    // frame and the next, not standing still, while nothing plays.
    StepBend.prototype.target = function () {
        var animation = this.animation;
        var frames = animation.frameManager;
        var playback = animation.playbackManager;
        var sel = frames.selectedFrame;
        if (playback.isPlaying || playback.isScrubbing || sel >= frames.nFrames - 1 ||
            !animation.animLayer.isListening()) {
            return null;
        }
        var selected = animation.animLayer.itemGroups().filter(function (g) { return g.isSelected; });
        if (selected.length !== 1 || selected[0].getFieldItem().posIsFixed) {
            return null;
        }
        var record = frames.findObject(selected[0].getAttr('id'));
        if (!record || !frames.isOnPitch(record, sel) || !frames.isOnPitch(record, sel + 1)) {
            return null;
        }
        return { group: selected[0], record: record, step: sel };
    };

    // Where the step runs in layer pixels: from, to, and its middle.
    StepBend.prototype.pathOf = function (target) {
        var animLayer = this.animation.animLayer;
        var from = target.group.getPosAbs();
        var to = animLayer.pixelPos(target.record.frames[target.step + 1]);
        var bend = window.FrameManager.bendOf(target.record, target.step);
        var middle = bend ? animLayer.pixelPos(bend) : { x: (from.x + to.x) / 2, y: (from.y + to.y) / 2 };
        return { from: from, to: to, middle: middle, bent: !!bend };
    };

    StepBend.prototype.refresh = function () {
        var target = this.target();
        var path = target ? this.pathOf(target) : null;
        if (path && !path.bent && Math.abs(path.to.x - path.from.x) + Math.abs(path.to.y - path.from.y) < SHORTEST_STEP) {
            path = null;
        }
        this.shown = path ? { id: target.record.id, step: target.step, path: path } : null;
        this.draw();
    };

    StepBend.prototype.ensureLayer = function () {
        if (!this.layer) {
            this.layer = new Kinetic.FastLayer({ name: LAYER_NAME });
            this.animation.stage.add(this.layer);
        }
        return this.layer;
    };

    StepBend.prototype.draw = function () {
        if (!this.shown && !this.layer) {
            return;
        }
        var layer = this.ensureLayer();
        layer.destroyChildren();
        if (this.shown) {
            var toStage = this.animation.animLayer.getAbsoluteTransform();
            var path = this.shown.path;
            var points = [];
            for (var i = 0; i <= CURVE_POINTS; i++) {
                var f = i / CURVE_POINTS;
                var p = window.FrameManager.pointOnStep(path.from, path.to, path.middle, f);
                var at = toStage.point(p);
                points.push(at.x, at.y);
            }
            layer.add(new Kinetic.Line({ points: points, stroke: PATH_STROKE, strokeWidth: PATH_WIDTH,
                dash: PATH_DASH, listening: false }));
            var handle = toStage.point(path.middle);
            layer.add(new Kinetic.Circle({ name: 'stepBendHandle', x: handle.x, y: handle.y, radius: HANDLE_RADIUS,
                fill: HANDLE_FILL, stroke: HANDLE_STROKE, strokeWidth: 1, listening: false }));
        }
        layer.batchDraw();
    };

    // Whether the handle lies under `pos` (layer pixels).
    StepBend.prototype.handleAt = function (pos) {
        if (!this.shown || !pos) {
            return false;
        }
        var m = this.shown.path.middle;
        var r = HANDLE_RADIUS / Math.max(this.animation.animLayer.layerScale, 0.5) + 2;
        return (pos.x - m.x) * (pos.x - m.x) + (pos.y - m.y) * (pos.y - m.y) <= r * r;
    };

    // A press at `pos`: on the handle it starts a drag, or, soon after the
    // last, straightens the step. Returns whether it was taken.
    StepBend.prototype.press = function (pos) {
        if (!this.handleAt(pos)) {
            return false;
        }
        var now = Date.now();
        if (now - this.lastPress < DOUBLE_CLICK_MS) {
            this.lastPress = -Infinity;
            this.animation.frameManager.setBend(this.shown.id, this.shown.step, null);
            this.animation.frameManager.updateRunningLines(this.shown.step);
            this.refresh();
            return true;
        }
        this.lastPress = now;
        this.dragging = { id: this.shown.id, step: this.shown.step };
        return true;
    };

    StepBend.prototype.dragTo = function (pos) {
        if (!pos) {
            return;
        }
        var animLayer = this.animation.animLayer;
        var frames = this.animation.frameManager;
        frames.saveFrame();
        frames.setBend(this.dragging.id, this.dragging.step, animLayer.relativePos(animLayer.clipToBounds(pos)));
        frames.updateRunningLines(this.dragging.step);
        animLayer.batchDraw();
        this.refresh();
    };

    window.StepBend = StepBend;
}(window, Kinetic));
