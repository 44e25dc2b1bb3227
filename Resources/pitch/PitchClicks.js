// Double-clicks and right-clicks on the pitch, each raising the page event
// of what the coach meant:
// - a double-click on an item asks for its label (getLabelForItem, as its
//   "A" button does); with Ctrl held, it selects every item of its kind and
//   colour instead (selectItemsAlike), a whole team in one step;
// - on a note it asks for the note's text afresh (editDrawingNote), on the
//   caption for the caption (addFrameCaption);
// - a right-click on an item or a drawing opens the menu of the commands
//   for the selection (openSelectionMenu), once the press has selected it
//   (FieldItemGroup.pointer.js, DrawingEditor.pointer.js).
// The double-click is the engine's own, so the system's timing and reach
// for one hold; its two clicks have already selected what lies there.
//
// Use: new PitchClicks(animation), once, for the editor's view.
(function (window) {
    'use strict';

    var ITEM_GROUP_NAME = 'fieldItemGroup';
    var RIGHT_BUTTON = 2;

    function itemGroupOf(node) {
        for (var n = node; n; n = n.getParent()) {
            if (n.name() === ITEM_GROUP_NAME) {
                return n;
            }
        }
        return null;
    }

    // A button of a selected item: the controls' own clicks are theirs.
    function isControl(shape, group) {
        var controls = group.nonRotateControls().concat(group.rotateControl ? [group.rotateControl.controlGroup] : []);
        for (var n = shape; n && n !== group; n = n.getParent()) {
            if (controls.indexOf(n) !== -1) {
                return true;
            }
        }
        return false;
    }

    function PitchClicks(animation) {
        if (!(this instanceof PitchClicks)) {
            throw new Error('PitchClicks must be called with new');
        }
        if (!animation || !animation.stage || !animation.drawingEditor) {
            throw new Error('PitchClicks: the editor\'s view is needed');
        }
        var self = this;
        this.animation = animation;
        // What the right button was pressed on: 'items', 'drawings' or null.
        this.menuFor = null;
        // Kinetic takes each press first (its listeners came with the
        // stage), so the press has selected what it landed on by now.
        var content = animation.stage.getContent();
        content.addEventListener('dblclick', function (evt) {
            self.doubleClick(evt);
        }, false);
        content.addEventListener('mousedown', function (evt) {
            self.menuFor = evt.button === RIGHT_BUTTON ? self.menuTarget(evt) : null;
        }, false);
        content.addEventListener('mouseup', function (evt) {
            var kind = self.menuFor;
            self.menuFor = null;
            if (evt.button === RIGHT_BUTTON && kind) {
                window.myDispatchEvent('openSelectionMenu', { kind: kind, clientX: evt.clientX, clientY: evt.clientY });
            }
        }, false);
        // No menu of the engine's own.
        content.addEventListener('contextmenu', function (evt) {
            evt.preventDefault();
        }, false);
    }

    // The stage point of the DOM event `evt`.
    PitchClicks.prototype.stagePoint = function (evt) {
        var box = this.animation.stage.getContent().getBoundingClientRect();
        return { x: evt.clientX - box.left, y: evt.clientY - box.top };
    };

    PitchClicks.prototype.layerPoint = function (stagePos) {
        return window.stagePosToLayer(stagePos, this.animation.animLayer);
    };

    // The item or drawing under the pointer for a menu; none while the
    // pitch is deaf (an overlay, playback).
    PitchClicks.prototype.menuTarget = function (evt) {
        var animation = this.animation;
        if (!animation.bgLayer.isListening()) {
            return null;
        }
        var at = this.stagePoint(evt);
        var shape = animation.animLayer.isListening() ? animation.stage.getIntersection(at) : null;
        var group = shape ? itemGroupOf(shape) : null;
        if (group) {
            return isControl(shape, group) ? null : 'items';
        }
        var layerAt = this.layerPoint(at);
        var drawings = animation.drawingLayer;
        var hit = drawings.handleAt(layerAt) || drawings.drawingAt(layerAt, animation.frameManager.selectedFrame);
        return hit && drawings.selectedDrawings().length > 0 ? 'drawings' : null;
    };

    // The caption as shown takes a double-click over whatever lies under
    // it, as it is drawn over the items; a button of the selected item is
    // left to its own clicks.
    PitchClicks.prototype.doubleClick = function (evt) {
        var animation = this.animation;
        var animLayer = animation.animLayer;
        if (!animLayer.isListening() || animation.drawingEditor.tool()) {
            return;
        }
        var at = this.stagePoint(evt);
        if (this.onCaption(at)) {
            window.myDispatchEvent('addFrameCaption', {});
            return;
        }
        var shape = animation.stage.getIntersection(at);
        var group = shape ? itemGroupOf(shape) : null;
        if (group && !isControl(shape, group)) {
            if (evt.ctrlKey || evt.metaKey) {
                window.myDispatchEvent('selectItemsAlike', { id: group._id });
            } else {
                window.myDispatchEvent('getLabelForItem', { id: group._id, currentLabel: group.itemText.getText() });
            }
            return;
        }
        if (group) {
            return;
        }
        var drawings = animation.drawingLayer;
        var d = drawings.drawingAt(this.layerPoint(at), animation.frameManager.selectedFrame);
        if (d && d.kind === 'note') {
            window.myDispatchEvent('editDrawingNote', { index: drawings.model.drawings.indexOf(d) });
        }
    };

    PitchClicks.prototype.onCaption = function (stagePos) {
        var animLayer = this.animation.animLayer;
        if (animLayer.getCaption() === '') {
            return false;
        }
        var backing = animLayer.frameCaption.backing;
        var local = backing.getAbsoluteTransform().copy().invert().point(stagePos);
        return local.x >= 0 && local.y >= 0 && local.x <= backing.width() && local.y <= backing.height();
    };

    window.PitchClicks = PitchClicks;
}(window));
