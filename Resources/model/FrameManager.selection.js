// What the frame model does to the selected items: finds them, deletes
// them, and makes them larger or smaller, the records following. Adds the
// selection methods to FrameManager.js.
(function (FrameManager) {
    'use strict';

    var SCALE_STEP = 1.1;

    FrameManager.prototype.selectedGroups = function () {
        return this.animLayer.find('.fieldItemGroup').toArray().filter(function (group) {
            return group.isSelected;
        });
    };

    FrameManager.prototype.removeSelectedObjects = function () {
        this.saveFrame();
        var selected = this.selectedGroups();
        for (var i = 0; i < selected.length; i++) {
            this.removeObject(selected[i].getAttr('id'));
        }
        this.loadFrame(this.selectedFrame);
    };

    // Each item clamps the new scale to its kind's range; the model keeps
    // the scale the item ended up with.
    FrameManager.prototype.scaleSelected = function (scaleFactor) {
        if (typeof scaleFactor !== 'number' || !(scaleFactor > 0) || !isFinite(scaleFactor)) {
            throw new Error('FrameManager.scaleSelected: the factor must be a positive number, got ' +
                scaleFactor);
        }
        var selected = this.selectedGroups();
        for (var i = 0; i < selected.length; i++) {
            var group = selected[i];
            group.setScale(group.getFieldItem().getScale() * scaleFactor);
            var record = this.findObject(group.getAttr('id'));
            if (record) {
                record.scale = group.getFieldItem().getScale();
                FrameManager.forgetText(record);
            }
        }
        this.animLayer.batchDraw();
    };

    FrameManager.prototype.increaseSelectedScale = function () {
        this.saveFrame();
        this.scaleSelected(SCALE_STEP);
    };

    FrameManager.prototype.decreaseSelectedScale = function () {
        this.saveFrame();
        this.scaleSelected(1 / SCALE_STEP);
    };
}(window.FrameManager));
