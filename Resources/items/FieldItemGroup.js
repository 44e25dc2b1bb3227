// One item on the animation layer: the item's drawing with its running lines,
// its label and short label, and the controls that appear around it while it
// is selected alone (rotate handle, plus and minus, label, short label,
// colours), kept off the item's label. One of several selected items shows
// only an outline: their buttons would pile up over each other's names, and
// the commands of the keyboard and the palette act on them all.
// The frame model builds these groups when it shows a frame and reads their
// properties back when it saves one; playback moves them; the animation
// layer selects, rescales and labels them.
//
// The group stands at the layer's origin with no transform, so every child
// is placed in the layer's own pixels. The controls find the group as their
// parent and call its operations, which is why the group is a Kinetic.Group
// subclass with them on its prototype. One of them, setScale, replaces
// Kinetic's own scale setter on this group: nothing may call .scale() on an
// item group.
//
// FieldItemGroup.controls.js adds the selection's look and the controls
// (built, shown and placed), FieldItemGroup.pointer.js the press, the
// release and the drag of an item with the rest of the selection.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'fieldItemGroup';
    var LABEL_FONT_SIZE = 14;

    function requireLayer(group, caller) {
        var layer = group.getLayer();
        if (!layer) {
            throw new Error(caller + ': the item group is not on a layer');
        }
        return layer;
    }

    // (x, y): the item's centre in layer pixels; rotation in degrees; scale,
    // type, col1, col2 as for FieldItem; id the persistent id; text and
    // shortLabel the two texts; layerScale and layerRotation the layer's.
    function FieldItemGroup(x, y, rotation, scale, type, col1, col2, id, text, shortLabel,
                            layerScale, layerRotation) {
        if (!(this instanceof FieldItemGroup)) {
            throw new Error('FieldItemGroup must be called with new');
        }
        Kinetic.Group.call(this, {
            name: GROUP_NAME,
            id: id,
            x: 0,
            y: 0,
            offsetX: 0,
            offsetY: 0
        });
        var group = this;
        this.layerScale = layerScale;
        this.isSelected = false;
        this.currentLayerRotation = layerRotation || 0;
        // Equipment pictured standing up would lie down on a turned pitch:
        // its drawing is turned back against the pitch, as the texts are,
        // so that it stands on screen as the coach turned it. Its rotation
        // as saved is then the one it has on screen; it is kept as given,
        // since taking the pitch's turn off and on again could change its
        // last digit, and worked out afresh only once the item is turned.
        this.drawnFromSide = window.FieldItem.isDrawnFromSide(type);
        this.savedRotation = { value: rotation, drawnAs: null };
        // The controls are built when the item is first selected alone
        // (FieldItemGroup.controls.js).
        this.forgetControls();
        // Whether the item's drawing is being pressed (FieldItemGroup.pointer.js).
        this.pressing = false;

        this.listenToDrags();

        var fieldItem = new window.FieldItem(x, y, this.drawnRotation(rotation), scale, type, col1, col2, layerScale);
        this.fieldItem = fieldItem;
        this.savedRotation.drawnAs = fieldItem.group.rotation();
        this.outline = window.createSelectionOutline(fieldItem);
        this.labelClearance = window.createLabelClearance(function () {
            return group.itemText.text;
        });
        var pos = this.centre();

        // The lines start and end at the item's centre: beneath it, they
        // leave the item's drawing and its shirt number whole.
        this.runningLines = new window.RunningLines(pos, fieldItem.runningLinesDashed, layerScale);
        this.add(this.runningLines.shape);
        this.add(fieldItem.group);

        // Over the item, the label under the short label, both under the
        // controls, whenever each is first given characters.
        this.itemText = new window.FieldItemText(text, pos, LABEL_FONT_SIZE, fieldItem.group,
            layerScale, this.currentLayerRotation, fieldItem.posIsFixed, false);
        this.itemText.attach(this, function () {
            return fieldItem.group;
        });

        this.shortLabelText = new window.FieldItemText(shortLabel, pos, fieldItem.shortLabelFontSize,
            fieldItem.group, layerScale, this.currentLayerRotation, fieldItem.posIsFixed, true);
        this.shortLabelText.attach(this, function () {
            return group.itemText.text || fieldItem.group;
        });

        this.listenToPointer();
    }

    Kinetic.Util.extend(FieldItemGroup, Kinetic.Group);

    // The name every item group has, by which the layer finds them.
    FieldItemGroup.NAME = GROUP_NAME;

    // ---- Helpers over the item -------------------------------------------

    FieldItemGroup.prototype.centre = function () {
        return { x: this.fieldItem.group.x(), y: this.fieldItem.group.y() };
    };

    FieldItemGroup.prototype.drawnRotation = function (rotation) {
        return this.drawnFromSide ? rotation - this.currentLayerRotation : rotation;
    };

    // The item's rotation as the frame model keeps it.
    FieldItemGroup.prototype.rotationKept = function () {
        var drawn = this.fieldItem.group.rotation();
        if (drawn === this.savedRotation.drawnAs) {
            return this.savedRotation.value;
        }
        return this.drawnFromSide ? drawn + this.currentLayerRotation : drawn;
    };

    FieldItemGroup.prototype.turnTo = function (rotation) {
        var drawn = this.drawnRotation(rotation);
        this.fieldItem.group.rotation(drawn);
        this.savedRotation = { value: rotation, drawnAs: drawn };
    };

    FieldItemGroup.prototype.placeTexts = function () {
        var pos = this.centre();
        var fieldItem = this.fieldItem;
        this.itemText.calcAndSetPos(pos, fieldItem.group, this.layerScale,
            this.currentLayerRotation, fieldItem.posIsFixed);
        this.shortLabelText.calcAndSetPos(pos, fieldItem.group, this.layerScale,
            this.currentLayerRotation, fieldItem.posIsFixed);
    };

    // Label prompts carry the node identifier of the group they were
    // asked for; a new one makes a prompt still open for the item as it
    // was shown before go unheard, as for a group built afresh. Kinetic
    // files named nodes under their identifier, so the group is filed
    // again.
    FieldItemGroup.prototype.renewNodeId = function () {
        Kinetic._removeName(GROUP_NAME, this._id);
        this._id = Kinetic.idCounter++;
        Kinetic._addName(this, GROUP_NAME);
    };

    // ---- Operations ---------------------------------------------------------

    FieldItemGroup.prototype.getFieldItem = function () {
        return this.fieldItem;
    };

    FieldItemGroup.prototype.getPosAbs = function () {
        return this.centre();
    };

    FieldItemGroup.prototype.getPosRelative = function () {
        return requireLayer(this, 'getPosRelative').relativePos(this.centre());
    };

    FieldItemGroup.prototype.setPos = function (relativePos) {
        this.fieldItem.group.position(requireLayer(this, 'setPos').pixelPos(relativePos));
    };

    FieldItemGroup.prototype.getProperties = function () {
        var fieldItem = this.fieldItem;
        var rel = this.getPosRelative();
        return {
            x: rel.x,
            y: rel.y,
            rotation: this.rotationKept(),
            scale: fieldItem.getScale(),
            type: fieldItem.type,
            col1: fieldItem.getCol(1),
            col2: fieldItem.getCol(2),
            id: this.id(),
            text: this.itemText.getText(),
            shortLabel: this.shortLabelText.getText(),
            labelPlace: this.getLabelPlace(),
            posIsFixed: fieldItem.posIsFixed,
            z: this.getZIndex()
        };
    };

    // The pitch was resized or turned. The item resizes itself and
    // re-places the controls; the texts and buttons turn back against the
    // pitch so that they stay upright on screen.
    FieldItemGroup.prototype.setLayerScaleAndRotation = function (newLayerScale, newLayerRotation) {
        var group = this;
        var rotation = this.rotationKept();
        this.layerScale = newLayerScale;
        this.currentLayerRotation = newLayerRotation || 0;
        this.turnTo(rotation);
        this.fieldItem.setLayerScale(newLayerScale);
        this.placeTexts();
        this.setControlsPosition();
        this.uprightControls().forEach(function (control) {
            control.updateLayerRotation(group.currentLayerRotation);
        });
        this.runningLines.setScale(newLayerScale);
    };

    // Clipped by the item to its type's range; the item re-places the
    // controls, and a person's short-label font follows its new size.
    FieldItemGroup.prototype.setScale = function (newScale) {
        this.fieldItem.setScale(newScale);
        this.placeTexts();
        this.setControlsPosition();
    };

    // Colour number `colNumber` of the item, and its colour button's
    // swatch if it has been built.
    FieldItemGroup.prototype.setColor = function (color, colNumber) {
        this.fieldItem.setCol(color, colNumber);
        var button = colNumber === 2 ? this.colorPicker2 : this.colorPicker1;
        if (button) {
            button.swatch.fill(color);
        }
    };

    FieldItemGroup.prototype.drawTextsFromBitmaps = function (on) {
        this.itemText.drawFromBitmap(on);
        this.shortLabelText.drawFromBitmap(on);
    };

    // Playback's drawing: texts, running lines and a picture standing
    // still drawn from bitmaps of themselves.
    FieldItemGroup.prototype.drawFromBitmaps = function (on) {
        this.drawTextsFromBitmaps(on);
        this.runningLines.drawFromBitmap(on);
        this.fieldItem.drawFromBitmap(on);
    };

    FieldItemGroup.prototype.setLabel = function (label) {
        this.itemText.setText(label);
        this.setControlsPosition();
        window.redrawLayerOf(this);
    };

    // 'below' (as every item has it at first) or 'above' the item.
    FieldItemGroup.prototype.setLabelPlace = function (place) {
        this.itemText.setLabelPlace(place);
        if (this.labelPlaceControl) {
            this.labelPlaceControl.showPlace(place);
        }
        window.redrawLayerOf(this);
    };

    FieldItemGroup.prototype.getLabelPlace = function () {
        return this.itemText.getLabelPlace();
    };

    // A short label's font size depends on its length, so it is placed
    // afresh.
    FieldItemGroup.prototype.setShortLabel = function (label) {
        this.shortLabelText.setText(label);
        this.shortLabelText.calcAndSetPos(this.centre(), this.fieldItem.group, this.layerScale,
            this.currentLayerRotation, this.fieldItem.posIsFixed);
        window.redrawLayerOf(this);
    };

    // Whether the group can show the object record `record` as a group
    // built from it would, through showAgain: same type, colour, texts
    // and label place; the scale may differ.
    FieldItemGroup.prototype.showsRecord = function (record) {
        var fieldItem = this.fieldItem;
        return fieldItem.isBuiltFrom(record.type, fieldItem.getScale(), record.color, record.color) &&
            this.itemText.getText() === record.text &&
            this.shortLabelText.getText() === record.shortLabel &&
            this.getLabelPlace() === (record.labelPlace || window.FieldItemText.DEFAULT_LABEL_PLACE);
    };

    // A frame load reuses the group of an item shown before: it then
    // stands as one built afresh at `pos` with `rotation` and `scale`
    // (optional: the scale it has) would, not selected, without
    // controls and with a new node identifier.
    FieldItemGroup.prototype.showAgain = function (pos, rotation, layerScale, layerRotation, scale) {
        var fieldItem = this.fieldItem;
        this.destroyControls();
        this.isSelected = false;
        this.outline.show(false);
        this.renewNodeId();
        fieldItem.hideLine();
        var rescaled = scale !== undefined && fieldItem.getScale() !== scale;
        if (rescaled) {
            fieldItem.showScale(scale);
        }
        if (this.layerScale !== layerScale || this.currentLayerRotation !== (layerRotation || 0)) {
            this.setLayerScaleAndRotation(layerScale, layerRotation);
        } else if (rescaled) {
            this.placeTexts();
        }
        this.updatePosition(pos, rotation);
    };

    // Playback: the controls are hidden then, so they stay where they are.
    // An item standing still (equipment, every tick) is left as it is:
    // each setter clears Kinetic's cached transforms.
    FieldItemGroup.prototype.updatePosition = function (pos, newRotation) {
        var item = this.fieldItem.group;
        if (item.x() === pos.x && item.y() === pos.y && this.rotationKept() === newRotation) {
            return;
        }
        item.position({ x: pos.x, y: pos.y });
        this.turnTo(newRotation);
        this.placeTexts();
    };

    // The item's rotation as saved, as updatePosition takes it. (Not
    // getRotation: Kinetic turns the group itself by what that says.)
    FieldItemGroup.prototype.getItemRotation = function () {
        return this.rotationKept();
    };

    // `d`: layer pixels; the item with its texts and running lines'
    // point, its controls left where they are. A drag of one selected
    // item moves the others so.
    FieldItemGroup.prototype.moveBy = function (d) {
        var itemDrawing = this.fieldItem.group;
        itemDrawing.move(d);
        this.runningLines.updateLinePos({ x: itemDrawing.x(), y: itemDrawing.y() });
        this.itemText.move(d);
        this.shortLabelText.move(d);
    };

    window.FieldItemGroup = FieldItemGroup;
}(window, Kinetic));
