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
// parent and call its operations, which are therefore properties of the
// Kinetic.Group itself. One of them, setScale, replaces Kinetic's own scale
// setter on this group: nothing may call .scale() on an item group.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'fieldItemGroup';
    var ITEM_GROUP_NAME_SELECTOR = '.' + GROUP_NAME;
    var LABEL_FONT_SIZE = 14;
    // Radius of every control and the gap between neighbouring controls and
    // between the controls and the item's edge.
    var CONTROL_RADIUS = 12;
    var CONTROL_GAP = 3;
    var SLOT_COUNT = 5;
    // Item events of their own, so that a drag of one selected item starts
    // and ends on the others too without being passed on again.
    var DRAG_START_EVENT = 'dragstartnoresend';
    var DRAG_END_EVENT = 'dragendnoresend';

    function clamp(value, low, high) {
        return Math.max(low, Math.min(high, value));
    }

    function requireLayer(group, caller) {
        var layer = group.getLayer();
        if (!layer) {
            throw new Error(caller + ': the item group is not on a layer');
        }
        return layer;
    }

    // The pitch's own size. A Kinetic layer always reports its stage's size,
    // so the animation layer keeps the pitch size in fields of its own.
    function pitchSize(layer) {
        if (typeof layer.layerWidth !== 'number' || typeof layer.layerHeight !== 'number') {
            throw new Error('fieldItemGroup: the layer has no pitch size (layerWidth, layerHeight)');
        }
        return { width: layer.layerWidth, height: layer.layerHeight };
    }

    function redraw(node) {
        var layer = node.getLayer();
        if (layer) {
            layer.batchDraw();
        }
    }

    // Moves another item group's item, running-line point and texts by `d`
    // while one of the selected items is dragged.
    function moveItemGroupBy(itemGroup, d) {
        var itemDrawing = itemGroup.getFieldItem().group;
        itemDrawing.move(d);
        itemGroup.runningLines.updateLinePos({ x: itemDrawing.x(), y: itemDrawing.y() });
        itemGroup.itemText.move(d);
        itemGroup.shortLabelText.move(d);
    }

    function selectedItemGroups(layer) {
        return layer.find(ITEM_GROUP_NAME_SELECTOR).toArray().filter(function (itemGroup) {
            return itemGroup.isSelected;
        });
    }

    // (x, y): the item's centre in layer pixels; rotation in degrees; scale,
    // type, col1, col2 as for FieldItem; id the persistent id; text and
    // shortLabel the two texts; layerScale and layerRotation the layer's.
    function createFieldItemGroup(x, y, rotation, scale, type, col1, col2, id, text, shortLabel,
                                  layerScale, layerRotation) {
        var currentLayerRotation = layerRotation || 0;
        var fieldItem;
        // Equipment pictured standing up would lie down on a turned pitch:
        // its drawing is turned back against the pitch, as the texts are,
        // so that it stands on screen as the coach turned it. Its rotation
        // as saved is then the one it has on screen; it is kept as given,
        // since taking the pitch's turn off and on again could change its
        // last digit, and worked out afresh only once the item is turned.
        var drawnFromSide = window.FieldItem.isDrawnFromSide(type);
        var savedRotation = { value: rotation, drawnAs: null };
        var rotateControl = null;
        var colorPicker1 = null;
        var colorPicker2 = null;
        var shortLabelControl = null;
        var increaseScaleControl = null;
        var decreaseScaleControl = null;
        var labelControl = null;
        var outline = null;
        var labelClearance = null;
        var labelPlaceControl = null;

        var group = new Kinetic.Group({
            name: GROUP_NAME,
            id: id,
            x: 0,
            y: 0,
            offsetX: 0,
            offsetY: 0
        });
        group.layerScale = layerScale;
        group.isSelected = false;

        // ---- Helpers over the item ---------------------------------------

        function centre() {
            return { x: fieldItem.group.x(), y: fieldItem.group.y() };
        }

        function drawnRotation(rotation) {
            return drawnFromSide ? rotation - currentLayerRotation : rotation;
        }

        // The item's rotation as the frame model keeps it.
        function rotationKept() {
            var drawn = fieldItem.group.rotation();
            if (drawn === savedRotation.drawnAs) {
                return savedRotation.value;
            }
            return drawnFromSide ? drawn + currentLayerRotation : drawn;
        }

        function turnTo(rotation) {
            var drawn = drawnRotation(rotation);
            fieldItem.group.rotation(drawn);
            savedRotation = { value: rotation, drawnAs: drawn };
        }

        // The other selected items on the layer; two at most, since no
        // caller needs more.
        function othersSelected() {
            var layer = group.getLayer();
            var found = [];
            var children = layer ? layer.getChildren() : [];
            for (var i = 0; i < children.length && found.length < 2; i++) {
                var other = children[i];
                if (other !== group && other.isSelected && other.name() === GROUP_NAME) {
                    found.push(other);
                }
            }
            return found;
        }

        function sharesSelection() {
            return group.isSelected && othersSelected().length > 0;
        }

        // Controls for an item selected alone, an outline for one of
        // several; `show` false hides the controls (while dragging, for
        // instance) but keeps the outline of a selection.
        function showSelectionLook(show, several) {
            var on = !!show && !several;
            if (on) {
                ensureControls();
            }
            if (rotateControl) {
                rotateControl.controlGroup.visible(on);
            }
            showNonRotateControls(on);
            outline.show(group.isSelected && several);
        }

        function showNonRotateControls(on) {
            if (on) {
                ensureControls();
            }
            nonRotateControls().forEach(function (node) {
                node.visible(on);
            });
            if (on) {
                placeTexts();
                group.setNonRotateControlsPosition();
            }
        }

        function placeTexts() {
            var pos = centre();
            group.itemText.calcAndSetPos(pos, fieldItem.group, group.layerScale,
                currentLayerRotation, fieldItem.posIsFixed);
            group.shortLabelText.calcAndSetPos(pos, fieldItem.group, group.layerScale,
                currentLayerRotation, fieldItem.posIsFixed);
        }

        // The controls are built when the item is first selected, not with
        // the group: a frame load builds a group for every item, and most
        // are never selected before the next load.
        function ensureControls() {
            if (increaseScaleControl) {
                return;
            }
            if (fieldItem.canRotate) {
                rotateControl = new window.RotateControl(currentLayerRotation);
                group.add(rotateControl.controlGroup);
            }
            if (fieldItem.nColors > 0) {
                colorPicker1 = window.createColorPicker(fieldItem.getCol(1), 1, fieldItem.availableCols1);
                group.add(colorPicker1);
            }
            if (fieldItem.nColors > 1) {
                colorPicker2 = window.createColorPicker(fieldItem.getCol(2), 2, fieldItem.availableCols2);
                group.add(colorPicker2);
            }
            if (fieldItem.hasShortLabel) {
                shortLabelControl = new window.ShortLabelControl(currentLayerRotation);
                group.add(shortLabelControl.controlGroup);
            }
            increaseScaleControl = new window.ScaleControl('increase', currentLayerRotation);
            decreaseScaleControl = new window.ScaleControl('decrease', currentLayerRotation);
            labelControl = new window.LabelControl(currentLayerRotation);
            labelPlaceControl = new window.LabelPlaceControl(currentLayerRotation, group.getLabelPlace());
            group.add(increaseScaleControl.controlGroup);
            group.add(decreaseScaleControl.controlGroup);
            group.add(labelControl.controlGroup);
            group.add(labelPlaceControl.controlGroup);
            group.setControlsPosition();
        }

        // Back to no controls at all, as a group is built.
        function destroyControls() {
            if (!increaseScaleControl) {
                return;
            }
            if (rotateControl) {
                rotateControl.stopGlide();
                rotateControl.controlGroup.destroy();
            }
            nonRotateControls().forEach(function (node) {
                node.destroy();
            });
            rotateControl = null;
            colorPicker1 = null;
            colorPicker2 = null;
            shortLabelControl = null;
            increaseScaleControl = null;
            decreaseScaleControl = null;
            labelControl = null;
            labelPlaceControl = null;
        }

        // Label prompts carry the node identifier of the group they were
        // asked for; a new one makes a prompt still open for the item as it
        // was shown before go unheard, as for a group built afresh. Kinetic
        // files named nodes under their identifier, so the group is filed
        // again.
        function renewNodeId() {
            Kinetic._removeName(GROUP_NAME, group._id);
            group._id = Kinetic.idCounter++;
            Kinetic._addName(group, GROUP_NAME);
        }

        function nonRotateControls() {
            if (!increaseScaleControl) {
                return [];
            }
            return [colorPicker1, colorPicker2, shortLabelControl && shortLabelControl.controlGroup,
                increaseScaleControl.controlGroup, decreaseScaleControl.controlGroup,
                labelControl.controlGroup, labelPlaceControl.controlGroup].filter(function (node) { return !!node; });
        }

        function uprightControls() {
            if (!increaseScaleControl) {
                return [];
            }
            return [rotateControl, shortLabelControl, increaseScaleControl, decreaseScaleControl,
                labelControl, labelPlaceControl].filter(function (control) { return !!control; });
        }

        // ---- Operations ---------------------------------------------------

        group.getFieldItem = function () {
            return fieldItem;
        };

        // Selecting a second item takes the first one's controls away;
        // leaving one item selected gives it them back.
        group.selectFunc = function (select) {
            var was = group.isSelected;
            group.isSelected = !!select;
            var others = was !== group.isSelected ? othersSelected() : [];
            var other = others.length === 1 ? others[0] : null;
            group.showControlsFunc(group.isSelected);
            if (other) {
                other.showControlsFunc(true);
                redraw(other);
            }
            redraw(group);
        };

        group.showControlsFunc = function (show) {
            showSelectionLook(show, sharesSelection());
        };

        group.showNonRotateControlsFunc = function (show) {
            showNonRotateControls(!!show && !sharesSelection());
        };

        group.setControlsPosition = function () {
            outline.fit();
            if (rotateControl) {
                rotateControl.calcAndSetPositionFunc(fieldItem);
            }
            group.setNonRotateControlsPosition();
        };

        // `pos`, where a control would stand: where it stands instead, clear
        // of the item's label (LabelClearance.js).
        group.clearOfLabel = function (pos) {
            return labelClearance.clear(centre(), pos, CONTROL_RADIUS);
        };

        // Controls not yet built are placed when they are.
        group.setNonRotateControlsPosition = function () {
            if (!increaseScaleControl) {
                return;
            }
            if (colorPicker1) {
                colorPicker1.position(group.calcControlPosition(0));
            }
            if (colorPicker2) {
                colorPicker2.position(group.calcControlPosition(1));
            }
            increaseScaleControl.controlGroup.position(group.calcControlPosition(3));
            decreaseScaleControl.controlGroup.position(group.calcControlPosition(4));
            labelControl.controlGroup.position(group.calcControlPosition(2));
            labelPlaceControl.controlGroup.position(labelPlacePosition());
            if (shortLabelControl) {
                shortLabelControl.controlGroup.position(group.calcControlPosition(1));
            }
        };

        // Slots 0 to 2 form a column left of the item (colour 1, colour 2 or
        // short label, label), slots 3 and 4 the column right of it (plus and
        // minus, with the rotate handle between them). Each column is packed
        // towards the item's axis when it holds fewer buttons. The offsets
        // are in the item's own frame and turn with it; a slot that would
        // touch the label is moved out, away from the item, until it is
        // clear.
        group.calcControlPosition = function (slot) {
            if (typeof slot !== 'number' || slot % 1 !== 0 || slot < 0 || slot >= SLOT_COUNT) {
                throw new Error('calcControlPosition: the slot must be 0 to ' + (SLOT_COUNT - 1) +
                    ', not ' + slot);
            }
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
            var c = centre();
            return group.clearOfLabel({ x: c.x + turned.x, y: c.y + turned.y });
        };

        // The label-place button sits just outside the label button, away
        // from the item, turning with the column.
        function labelPlacePosition() {
            var button = group.calcControlPosition(2);
            var outward = window.rotatePos({ x: -1, y: 0 }, fieldItem.group.rotation());
            var reach = CONTROL_RADIUS + window.LabelPlaceControl.RADIUS;
            return group.clearOfLabel({ x: button.x + outward.x * reach, y: button.y + outward.y * reach });
        }

        group.getPosAbs = function () {
            return centre();
        };

        group.getPosRelative = function () {
            return requireLayer(group, 'getPosRelative').relativePos(centre());
        };

        group.setPos = function (relativePos) {
            fieldItem.group.position(requireLayer(group, 'setPos').pixelPos(relativePos));
        };

        group.getProperties = function () {
            var rel = group.getPosRelative();
            return {
                x: rel.x,
                y: rel.y,
                rotation: rotationKept(),
                scale: fieldItem.getScale(),
                type: fieldItem.type,
                col1: fieldItem.getCol(1),
                col2: fieldItem.getCol(2),
                id: group.id(),
                text: group.itemText.getText(),
                shortLabel: group.shortLabelText.getText(),
                labelPlace: group.getLabelPlace(),
                posIsFixed: fieldItem.posIsFixed,
                z: group.getZIndex()
            };
        };

        // The pitch was resized or turned. The item resizes itself and
        // re-places the controls; the texts and buttons turn back against the
        // pitch so that they stay upright on screen.
        group.setLayerScaleAndRotation = function (newLayerScale, newLayerRotation) {
            var rotation = rotationKept();
            group.layerScale = newLayerScale;
            currentLayerRotation = newLayerRotation || 0;
            turnTo(rotation);
            fieldItem.setLayerScale(newLayerScale);
            placeTexts();
            group.setControlsPosition();
            uprightControls().forEach(function (control) {
                control.updateLayerRotation(currentLayerRotation);
            });
            group.runningLines.setScale(newLayerScale);
        };

        // Clipped by the item to its type's range; the item re-places the
        // controls, and a person's short-label font follows its new size.
        group.setScale = function (newScale) {
            fieldItem.setScale(newScale);
            placeTexts();
            group.setControlsPosition();
        };

        // Colour number `colNumber` of the item, and its colour button's
        // swatch if it has been built.
        group.setColor = function (color, colNumber) {
            fieldItem.setCol(color, colNumber);
            var button = colNumber === 2 ? colorPicker2 : colorPicker1;
            if (button) {
                button.swatch.fill(color);
            }
        };

        group.drawTextsFromBitmaps = function (on) {
            group.itemText.drawFromBitmap(on);
            group.shortLabelText.drawFromBitmap(on);
        };

        // Playback's drawing: texts, running lines and a picture standing
        // still drawn from bitmaps of themselves.
        group.drawFromBitmaps = function (on) {
            group.drawTextsFromBitmaps(on);
            group.runningLines.drawFromBitmap(on);
            fieldItem.drawFromBitmap(on);
        };

        group.setLabel = function (label) {
            group.itemText.setText(label);
            group.setControlsPosition();
            redraw(group);
        };

        // 'below' (as every item has it at first) or 'above' the item.
        group.setLabelPlace = function (place) {
            group.itemText.setLabelPlace(place);
            if (labelPlaceControl) {
                labelPlaceControl.showPlace(place);
            }
            redraw(group);
        };

        group.getLabelPlace = function () {
            return group.itemText.getLabelPlace();
        };

        // A short label's font size depends on its length, so it is placed
        // afresh.
        group.setShortLabel = function (label) {
            group.shortLabelText.setText(label);
            group.shortLabelText.calcAndSetPos(centre(), fieldItem.group, group.layerScale,
                currentLayerRotation, fieldItem.posIsFixed);
            redraw(group);
        };

        // Whether the group can show the object record `record` as a group
        // built from it would, through showAgain: same type, colour, texts
        // and label place; the scale may differ.
        group.showsRecord = function (record) {
            return fieldItem.isBuiltFrom(record.type, fieldItem.getScale(), record.color, record.color) &&
                group.itemText.getText() === record.text &&
                group.shortLabelText.getText() === record.shortLabel &&
                group.getLabelPlace() === (record.labelPlace || window.FieldItemText.DEFAULT_LABEL_PLACE);
        };

        // A frame load reuses the group of an item shown before: it then
        // stands as one built afresh at `pos` with `rotation` and `scale`
        // (optional: the scale it has) would, not selected, without
        // controls and with a new node identifier.
        group.showAgain = function (pos, rotation, layerScale, layerRotation, scale) {
            destroyControls();
            group.isSelected = false;
            outline.show(false);
            renewNodeId();
            fieldItem.hideLine();
            var rescaled = scale !== undefined && fieldItem.getScale() !== scale;
            if (rescaled) {
                fieldItem.showScale(scale);
            }
            if (group.layerScale !== layerScale || currentLayerRotation !== (layerRotation || 0)) {
                group.setLayerScaleAndRotation(layerScale, layerRotation);
            } else if (rescaled) {
                placeTexts();
            }
            group.updatePosition(pos, rotation);
        };

        // Playback: the controls are hidden then, so they stay where they are.
        // An item standing still (equipment, every tick) is left as it is:
        // each setter clears Kinetic's cached transforms.
        group.updatePosition = function (pos, newRotation) {
            var item = fieldItem.group;
            if (item.x() === pos.x && item.y() === pos.y && rotationKept() === newRotation) {
                return;
            }
            fieldItem.group.position({ x: pos.x, y: pos.y });
            turnTo(newRotation);
            placeTexts();
        };

        // The item's rotation as saved, as updatePosition takes it. (Not
        // getRotation: Kinetic turns the group itself by what that says.)
        group.getItemRotation = function () {
            return rotationKept();
        };

        // ---- Pointer: press, release and dragging -------------------------

        // Pressing an item selects it alone; pressing a selected one keeps the
        // whole selection, so that it can be dragged together. With Shift or
        // Ctrl (Command) held, the press adds the item to the selection or
        // takes it away. A press changes nothing that is saved: the stacking
        // order is saved, so an item comes to the front only when it moves.
        function press(evt) {
            var pointer = evt && evt.evt;
            if (pointer && (pointer.shiftKey || pointer.ctrlKey || pointer.metaKey)) {
                group.selectFunc(!group.isSelected);
                return;
            }
            if (group.isSelected) {
                return;
            }
            var layer = group.getLayer();
            if (layer && typeof layer.select === 'function') {
                layer.select(group._id);
            }
        }

        function release() {
            group.showControlsFunc(group.isSelected);
        }

        // Kinetic proposes the dragged item's centre in stage pixels. Only
        // the dragged item is kept on the pitch; every selected item moves by
        // the same amount, so the others may leave it.
        function dragBound(pos) {
            var layer = group.getLayer();
            if (pressing || !group.isSelected || !layer) {
                return pos;
            }
            var size = pitchSize(layer);
            var onLayer = window.stagePosToLayer(pos, layer);
            var clipped = {
                x: clamp(onLayer.x, 0, size.width),
                y: clamp(onLayer.y, 0, size.height)
            };
            var c = centre();
            var d = { x: clipped.x - c.x, y: clipped.y - c.y };
            selectedItemGroups(layer).forEach(function (itemGroup) {
                moveItemGroupBy(itemGroup, d);
            });
            // The drawings selected with the items go along.
            if (d.x !== 0 || d.y !== 0) {
                window.myDispatchEvent('selectedItemsDragged', { dx: d.x, dy: d.y });
            }
            return window.layerPosToStage(clipped, layer);
        }

        function othersSelectedWith(layer) {
            if (!group.isSelected || !layer) {
                return [];
            }
            return selectedItemGroups(layer).filter(function (itemGroup) {
                return itemGroup !== group;
            });
        }

        // Kinetic already puts a draggable item under the pointer when it is
        // pressed, through the drag bound and a round trip of its place
        // through the layer's transform, which may leave it a last digit
        // off. A press moves nothing: the item keeps its exact place, and the
        // other selected items are left alone, until the pointer moves.
        var pressing = false;

        function keepPlaceWhenPressed(item) {
            var startDrag = item.startDrag;
            item.startDrag = function () {
                var before = item.position();
                pressing = true;
                try {
                    startDrag.apply(item, arguments);
                } finally {
                    pressing = false;
                }
                item.position(before);
            };
        }

        function dragStart() {
            var layer = group.getLayer();
            group.moveToTop();
            group.fire(DRAG_START_EVENT, {}, false);
            othersSelectedWith(layer).forEach(function (itemGroup) {
                itemGroup.fire(DRAG_START_EVENT, {}, false);
            });
        }

        // The page shell redraws its other stages after a drag, which keeps
        // their pointer handling alive.
        function dragEnd() {
            var layer = group.getLayer();
            window.myDispatchEvent('redrawControls', {});
            group.fire(DRAG_END_EVENT, {}, false);
            othersSelectedWith(layer).forEach(function (itemGroup) {
                itemGroup.fire(DRAG_END_EVENT, {}, false);
            });
        }

        group.on(DRAG_START_EVENT, function () {
            group.showControlsFunc(false);
        });
        group.on(DRAG_END_EVENT, function () {
            group.setControlsPosition();
            group.showControlsFunc(group.isSelected);
            redraw(group);
        });

        // ---- Construction ---------------------------------------------------

        fieldItem = new window.FieldItem(x, y, drawnRotation(rotation), scale, type, col1, col2, layerScale);
        savedRotation.drawnAs = fieldItem.group.rotation();
        outline = window.createSelectionOutline(fieldItem);
        labelClearance = window.createLabelClearance(function () {
            return group.itemText.text;
        });
        var pos = centre();

        // The lines start and end at the item's centre: beneath it, they
        // leave the item's drawing and its shirt number whole.
        group.runningLines = new window.RunningLines(pos, fieldItem.runningLinesDashed, layerScale);
        group.add(group.runningLines.shape);
        group.add(fieldItem.group);

        // Over the item, the label under the short label, both under the
        // controls, whenever each is first given characters.
        group.itemText = new window.FieldItemText(text, pos, LABEL_FONT_SIZE, fieldItem.group,
            layerScale, currentLayerRotation, fieldItem.posIsFixed, false);
        group.itemText.attach(group, function () {
            return fieldItem.group;
        });

        group.shortLabelText = new window.FieldItemText(shortLabel, pos, fieldItem.shortLabelFontSize,
            fieldItem.group, layerScale, currentLayerRotation, fieldItem.posIsFixed, true);
        group.shortLabelText.attach(group, function () {
            return group.itemText.text || fieldItem.group;
        });

        fieldItem.group.dragBoundFunc(dragBound);
        keepPlaceWhenPressed(fieldItem.group);
        fieldItem.group.on('mousedown touchstart', press);
        fieldItem.group.on('mouseup touchend', release);
        fieldItem.group.on('dragstart', dragStart);
        fieldItem.group.on('dragend', dragEnd);

        group.ensureControls = ensureControls;
        // `d`: layer pixels; the item with its texts and running lines'
        // point, its controls left where they are.
        group.moveBy = function (d) {
            moveItemGroupBy(group, d);
        };
        return group;
    }

    window.createFieldItemGroup = createFieldItemGroup;
}(window, Kinetic));
