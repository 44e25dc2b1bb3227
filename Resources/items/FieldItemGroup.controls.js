// The look of an item group's selection: the controls around an item
// selected alone (rotate handle, plus and minus, label, label place, short
// label, colours), built when it is first selected and placed clear of its
// label, and the outline of one of several selected items.
//
// Use: loaded after FieldItemGroup.js, whose groups it gives selectFunc,
// showControlsFunc, showNonRotateControlsFunc, setControlsPosition,
// setNonRotateControlsPosition, calcControlPosition, clearOfLabel,
// ensureControls and what these share.
(function (window) {
    'use strict';

    var FieldItemGroup = window.FieldItemGroup;

    // Radius of every control and the gap between neighbouring controls and
    // between the controls and the item's edge.
    var CONTROL_RADIUS = 12;
    var CONTROL_GAP = 3;
    var SLOT_COUNT = 5;

    // The other selected items on the layer; two at most, since no
    // caller needs more.
    FieldItemGroup.prototype.othersSelected = function () {
        var layer = this.getLayer();
        var found = [];
        var children = layer ? layer.getChildren() : [];
        for (var i = 0; i < children.length && found.length < 2; i++) {
            var other = children[i];
            if (other !== this && other.isSelected && other.name() === FieldItemGroup.NAME) {
                found.push(other);
            }
        }
        return found;
    };

    FieldItemGroup.prototype.sharesSelection = function () {
        return this.isSelected && this.othersSelected().length > 0;
    };

    // Controls for an item selected alone, an outline for one of
    // several; `show` false hides the controls (while dragging, for
    // instance) but keeps the outline of a selection.
    FieldItemGroup.prototype.showSelectionLook = function (show, several) {
        var on = !!show && !several;
        if (on) {
            this.ensureControls();
        }
        if (this.rotateControl) {
            this.rotateControl.controlGroup.visible(on);
        }
        this.showNonRotateControls(on);
        this.outline.show(this.isSelected && several);
    };

    FieldItemGroup.prototype.showNonRotateControls = function (on) {
        if (on) {
            this.ensureControls();
        }
        this.nonRotateControls().forEach(function (node) {
            node.visible(on);
        });
        if (on) {
            this.placeTexts();
            this.setNonRotateControlsPosition();
        }
    };

    // The controls are built when the item is first selected, not with
    // the group: a frame load builds a group for every item, and most
    // are never selected before the next load.
    FieldItemGroup.prototype.ensureControls = function () {
        if (this.increaseScaleControl) {
            return;
        }
        var fieldItem = this.fieldItem;
        var layerRotation = this.currentLayerRotation;
        if (fieldItem.canRotate) {
            this.rotateControl = new window.RotateControl(layerRotation);
            this.add(this.rotateControl.controlGroup);
        }
        if (fieldItem.nColors > 0) {
            this.colorPicker1 = window.createColorPicker(fieldItem.getCol(1), 1, fieldItem.availableCols1);
            this.add(this.colorPicker1);
        }
        if (fieldItem.nColors > 1) {
            this.colorPicker2 = window.createColorPicker(fieldItem.getCol(2), 2, fieldItem.availableCols2);
            this.add(this.colorPicker2);
        }
        if (fieldItem.hasShortLabel) {
            this.shortLabelControl = new window.ShortLabelControl(layerRotation);
            this.add(this.shortLabelControl.controlGroup);
        }
        this.increaseScaleControl = new window.ScaleControl('increase', layerRotation);
        this.decreaseScaleControl = new window.ScaleControl('decrease', layerRotation);
        this.labelControl = new window.LabelControl(layerRotation);
        this.labelPlaceControl = new window.LabelPlaceControl(layerRotation, this.getLabelPlace());
        this.add(this.increaseScaleControl.controlGroup);
        this.add(this.decreaseScaleControl.controlGroup);
        this.add(this.labelControl.controlGroup);
        this.add(this.labelPlaceControl.controlGroup);
        this.setControlsPosition();
    };

    // Back to no controls at all, as a group is built.
    FieldItemGroup.prototype.destroyControls = function () {
        if (!this.increaseScaleControl) {
            return;
        }
        if (this.rotateControl) {
            this.rotateControl.stopGlide();
            this.rotateControl.controlGroup.destroy();
        }
        this.nonRotateControls().forEach(function (node) {
            node.destroy();
        });
        this.forgetControls();
    };

    // No controls, as a group is built; the nodes are left to the caller.
    FieldItemGroup.prototype.forgetControls = function () {
        this.rotateControl = null;
        this.colorPicker1 = null;
        this.colorPicker2 = null;
        this.shortLabelControl = null;
        this.increaseScaleControl = null;
        this.decreaseScaleControl = null;
        this.labelControl = null;
        this.labelPlaceControl = null;
    };

    FieldItemGroup.prototype.nonRotateControls = function () {
        if (!this.increaseScaleControl) {
            return [];
        }
        return [this.colorPicker1, this.colorPicker2, this.shortLabelControl && this.shortLabelControl.controlGroup,
            this.increaseScaleControl.controlGroup, this.decreaseScaleControl.controlGroup,
            this.labelControl.controlGroup, this.labelPlaceControl.controlGroup].filter(function (node) { return !!node; });
    };

    FieldItemGroup.prototype.uprightControls = function () {
        if (!this.increaseScaleControl) {
            return [];
        }
        return [this.rotateControl, this.shortLabelControl, this.increaseScaleControl, this.decreaseScaleControl,
            this.labelControl, this.labelPlaceControl].filter(function (control) { return !!control; });
    };

    // Selecting a second item takes the first one's controls away;
    // leaving one item selected gives it them back.
    FieldItemGroup.prototype.selectFunc = function (select) {
        var was = this.isSelected;
        this.isSelected = !!select;
        var others = was !== this.isSelected ? this.othersSelected() : [];
        var other = others.length === 1 ? others[0] : null;
        this.showControlsFunc(this.isSelected);
        if (other) {
            other.showControlsFunc(true);
            window.redrawLayerOf(other);
        }
        window.redrawLayerOf(this);
    };

    FieldItemGroup.prototype.showControlsFunc = function (show) {
        this.showSelectionLook(show, this.sharesSelection());
    };

    FieldItemGroup.prototype.showNonRotateControlsFunc = function (show) {
        this.showNonRotateControls(!!show && !this.sharesSelection());
    };

    FieldItemGroup.prototype.setControlsPosition = function () {
        this.outline.fit();
        if (this.rotateControl) {
            this.rotateControl.calcAndSetPositionFunc(this.fieldItem);
        }
        this.setNonRotateControlsPosition();
    };

    // `pos`, where a control would stand: where it stands instead, clear
    // of the item's label (LabelClearance.js).
    FieldItemGroup.prototype.clearOfLabel = function (pos) {
        return this.labelClearance.clear(this.centre(), pos, CONTROL_RADIUS);
    };

    // Controls not yet built are placed when they are.
    FieldItemGroup.prototype.setNonRotateControlsPosition = function () {
        if (!this.increaseScaleControl) {
            return;
        }
        if (this.colorPicker1) {
            this.colorPicker1.position(this.calcControlPosition(0));
        }
        if (this.colorPicker2) {
            this.colorPicker2.position(this.calcControlPosition(1));
        }
        this.increaseScaleControl.controlGroup.position(this.calcControlPosition(3));
        this.decreaseScaleControl.controlGroup.position(this.calcControlPosition(4));
        this.labelControl.controlGroup.position(this.calcControlPosition(2));
        this.labelPlaceControl.controlGroup.position(this.labelPlacePosition());
        if (this.shortLabelControl) {
            this.shortLabelControl.controlGroup.position(this.calcControlPosition(1));
        }
    };

    // Slots 0 to 2 form a column left of the item (colour 1, colour 2 or
    // short label, label), slots 3 and 4 the column right of it (plus and
    // minus, with the rotate handle between them). Each column is packed
    // towards the item's axis when it holds fewer buttons. The offsets
    // are in the item's own frame and turn with it; a slot that would
    // touch the label is moved out, away from the item, until it is
    // clear.
    FieldItemGroup.prototype.calcControlPosition = function (slot) {
        if (typeof slot !== 'number' || slot % 1 !== 0 || slot < 0 || slot >= SLOT_COUNT) {
            throw new Error('calcControlPosition: the slot must be 0 to ' + (SLOT_COUNT - 1) +
                ', not ' + slot);
        }
        var fieldItem = this.fieldItem;
        var r = CONTROL_RADIUS;
        var p = CONTROL_GAP;
        var side = fieldItem.group.width() / 2 + r + p;
        var leftFull = fieldItem.nColors > 1 || !!fieldItem.hasShortLabel;
        var dx;
        var dy;
        if (slot <= 2) {
            dx = -side;
            if (slot === 0) {
                dy = leftFull ? -(2 * r + p) : -(r + p / 2);
            } else if (slot === 1) {
                dy = 0;
            } else if (leftFull) {
                dy = 2 * r + p;
            } else {
                dy = fieldItem.nColors > 0 ? r + p / 2 : 0;
            }
        } else {
            dx = side;
            var reach = fieldItem.canRotate ? 2 * r + p : r + p / 2;
            dy = (slot === 3) ? -reach : reach;
        }
        var turned = window.rotatePos({ x: dx, y: dy }, fieldItem.group.rotation());
        var c = this.centre();
        return this.clearOfLabel({ x: c.x + turned.x, y: c.y + turned.y });
    };

    // The label-place button sits just outside the label button, away
    // from the item, turning with the column.
    FieldItemGroup.prototype.labelPlacePosition = function () {
        var button = this.calcControlPosition(2);
        var outward = window.rotatePos({ x: -1, y: 0 }, this.fieldItem.group.rotation());
        var reach = CONTROL_RADIUS + window.LabelPlaceControl.RADIUS;
        return this.clearOfLabel({ x: button.x + outward.x * reach, y: button.y + outward.y * reach });
    };
}(window));
