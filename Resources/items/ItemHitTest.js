// Which node of the animation layer a press goes to. Kinetic's hit graph
// answers with the topmost hit area: a picture's whole box, transparent
// corners and all, drawn over whatever items lie behind it. A coach presses
// what they see, and what they reach for first:
// - the bend handle of the selected item's step, drawn over everything
//   (`layer.pressTakenAbove`), takes it first: the layer answers nothing
//   and the press goes through to the pitch, where StepBend.js takes it;
// - a button around the selected item (its rotate handle, plus and minus,
//   label, colour) takes the press wherever its disc lies, also under a
//   neighbour's picture or a ball at the player's feet;
// - a handle of the drawing selected alone takes it next (the animation
//   says where they are, `layer.pressGoesBelow`): the layer then answers
//   nothing, and the press goes through to the pitch beneath, where the
//   drawing editor takes it;
// - otherwise, where an item's own pixels show under the pointer, that item
//   is pressed: a player whose body shows beside the transparent corner of
//   a ball drawn over it. Where no item's pixels show, the hit graph's
//   answer stands, so a small item is still caught by its box.
(function (window, document) {
    'use strict';

    var ITEM_GROUP_NAME = 'fieldItemGroup';
    // A picture's pixel counts as seen from this opacity (of 255) on, so
    // that its soft edges do not.
    var SEEN_ALPHA = 128;

    // The opacity of every pixel of each picture read so far, by source;
    // null for a picture whose pixels cannot be read.
    var alphaMaps = {};

    function readAlphaMap(picture) {
        var width = picture.naturalWidth;
        var height = picture.naturalHeight;
        var canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = height;
        var context = canvas.getContext('2d');
        context.drawImage(picture, 0, 0);
        var rgba;
        try {
            rgba = context.getImageData(0, 0, width, height).data;
        } catch (e) {
            return null;
        }
        var alpha = new Uint8Array(width * height);
        for (var i = 0; i < alpha.length; i++) {
            alpha[i] = rgba[4 * i + 3];
        }
        return { width: width, height: height, alpha: alpha };
    }

    // Undefined while the picture is still loading.
    function alphaMapOf(picture) {
        if (!picture.complete || !picture.naturalWidth) {
            return undefined;
        }
        if (!alphaMaps.hasOwnProperty(picture.src)) {
            alphaMaps[picture.src] = readAlphaMap(picture);
        }
        return alphaMaps[picture.src];
    }

    // Whether the field item shows one of its own pixels at the stage point
    // `pos`. An item drawn from shapes shows its whole box, as does a
    // picture whose pixels cannot be read; a picture still loading shows
    // nothing.
    function showsPixelAt(fieldItem, pos) {
        var box = fieldItem.group;
        var w = box.width();
        var h = box.height();
        var local = box.getAbsoluteTransform().copy().invert().point(pos);
        if (!(local.x >= 0 && local.y >= 0 && local.x < w && local.y < h)) {
            return false;
        }
        var picture = fieldItem.image && fieldItem.image.image();
        if (!picture) {
            return true;
        }
        var map = alphaMapOf(picture);
        if (map === undefined) {
            return false;
        }
        if (map === null) {
            return true;
        }
        var column = Math.floor(local.x / w * map.width);
        var row = Math.floor(local.y / h * map.height);
        return map.alpha[row * map.width + column] >= SEEN_ALPHA;
    }

    function itemGroupOf(node, layer) {
        for (var n = node; n && n !== layer; n = n.getParent()) {
            if (n.name() === ITEM_GROUP_NAME) {
                return n;
            }
        }
        return null;
    }

    // The disc of a control of a selected item that holds the stage point
    // `pos`, the frontmost item's first; null when there is none.
    function selectedControlAt(layer, pos) {
        var children = layer.getChildren();
        for (var i = children.length - 1; i >= 0; i--) {
            var node = children[i];
            if (node.name() === ITEM_GROUP_NAME && node.isSelected && node.isVisible()) {
                var disc = controlDiscAt(node, pos);
                if (disc) {
                    return disc;
                }
            }
        }
        return null;
    }

    function controlDiscAt(itemGroup, pos) {
        var controls = itemGroup.nonRotateControls();
        if (itemGroup.rotateControl) {
            controls = [itemGroup.rotateControl.controlGroup].concat(controls);
        }
        for (var i = 0; i < controls.length; i++) {
            if (!controls[i].isVisible()) {
                continue;
            }
            var discs = controls[i].find('Circle').toArray();
            for (var j = 0; j < discs.length; j++) {
                var local = discs[j].getAbsoluteTransform().copy().invert().point(pos);
                if (discs[j].isListening() && Math.sqrt(local.x * local.x + local.y * local.y) <= discs[j].radius()) {
                    return discs[j];
                }
            }
        }
        return null;
    }

    // The shape a press on the item lands on: its topmost drawing, from
    // which the press reaches the item's own handlers.
    function pressedShapeOf(itemGroup) {
        var shapes = itemGroup.getFieldItem().group.getChildren();
        return shapes[shapes.length - 1];
    }

    // Makes presses on the animation layer `layer` go to what the coach
    // sees under the pointer; returns the test it uses.
    function createItemHitTest(layer) {
        if (!layer || typeof layer.getIntersection !== 'function') {
            throw new Error('createItemHitTest: a Kinetic layer is needed');
        }
        var hitGraphAnswer = layer.getIntersection;

        // The frontmost item group whose item shows a pixel at `pos`.
        function itemSeenAt(pos) {
            var children = layer.getChildren();
            for (var i = children.length - 1; i >= 0; i--) {
                var node = children[i];
                if (node.name() === ITEM_GROUP_NAME && node.isVisible() && showsPixelAt(node.getFieldItem(), pos)) {
                    return node;
                }
            }
            return null;
        }

        // A selected item's buttons first; an item's own control over the
        // item itself keeps the press.
        layer.getIntersection = function (pos) {
            if (typeof layer.pressTakenAbove === 'function' && layer.pressTakenAbove(pos)) {
                return null;
            }
            var control = selectedControlAt(layer, pos);
            if (control) {
                return control;
            }
            if (typeof layer.pressGoesBelow === 'function' && layer.pressGoesBelow(pos)) {
                return null;
            }
            var shape = hitGraphAnswer.call(layer, pos);
            var owner = shape ? itemGroupOf(shape, layer) : null;
            if (!owner) {
                return shape;
            }
            var seen = itemSeenAt(pos);
            if (!seen || seen === owner) {
                return shape;
            }
            return pressedShapeOf(seen);
        };

        return { itemSeenAt: itemSeenAt };
    }

    window.createItemHitTest = createItemHitTest;
}(window, document));
