// An item group's pointer handling: the press that selects the item (alone,
// or with Shift or Ctrl in or out of the selection), the release, and the
// drag that moves every selected item, and the drawings selected with them,
// by the same amount while the dragged one stays on the pitch.
//
// Use: loaded after FieldItemGroup.js, whose groups it gives listenToDrags
// and listenToPointer; the constructor calls them.
(function (window) {
    'use strict';

    var FieldItemGroup = window.FieldItemGroup;
    var ITEM_GROUP_NAME_SELECTOR = '.' + FieldItemGroup.NAME;
    // Item events of their own, so that a drag of one selected item starts
    // and ends on the others too without being passed on again.
    var DRAG_START_EVENT = 'dragstartnoresend';
    var DRAG_END_EVENT = 'dragendnoresend';

    function clamp(value, low, high) {
        return Math.max(low, Math.min(high, value));
    }

    // The pitch's own size. A Kinetic layer always reports its stage's size,
    // so the animation layer keeps the pitch size in fields of its own.
    function pitchSize(layer) {
        if (typeof layer.layerWidth !== 'number' || typeof layer.layerHeight !== 'number') {
            throw new Error('fieldItemGroup: the layer has no pitch size (layerWidth, layerHeight)');
        }
        return { width: layer.layerWidth, height: layer.layerHeight };
    }

    function selectedItemGroups(layer) {
        return layer.find(ITEM_GROUP_NAME_SELECTOR).toArray().filter(function (itemGroup) {
            return itemGroup.isSelected;
        });
    }

    // Pressing an item selects it alone; pressing a selected one keeps the
    // whole selection, so that it can be dragged together. With Shift or
    // Ctrl (Command) held, the press adds the item to the selection or
    // takes it away. A press changes nothing that is saved: the stacking
    // order is saved, so an item comes to the front only when it moves.
    function press(group, evt) {
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

    function release(group) {
        group.showControlsFunc(group.isSelected);
    }

    // Kinetic proposes the dragged item's centre in stage pixels. Only
    // the dragged item is kept on the pitch; every selected item moves by
    // the same amount, so the others may leave it.
    function dragBound(group, pos) {
        var layer = group.getLayer();
        if (group.pressing || !group.isSelected || !layer) {
            return pos;
        }
        var size = pitchSize(layer);
        var onLayer = window.stagePosToLayer(pos, layer);
        var clipped = {
            x: clamp(onLayer.x, 0, size.width),
            y: clamp(onLayer.y, 0, size.height)
        };
        var c = group.centre();
        var d = { x: clipped.x - c.x, y: clipped.y - c.y };
        selectedItemGroups(layer).forEach(function (itemGroup) {
            itemGroup.moveBy(d);
        });
        // The drawings selected with the items go along.
        if (d.x !== 0 || d.y !== 0) {
            window.myDispatchEvent('selectedItemsDragged', { dx: d.x, dy: d.y });
        }
        return window.layerPosToStage(clipped, layer);
    }

    function othersSelectedWith(group, layer) {
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
    // other selected items are left alone, until the pointer moves
    // (`group.pressing` says the press is under way).
    function keepPlaceWhenPressed(group, item) {
        var startDrag = item.startDrag;
        item.startDrag = function () {
            var before = item.position();
            group.pressing = true;
            try {
                startDrag.apply(item, arguments);
            } finally {
                group.pressing = false;
            }
            item.position(before);
        };
    }

    function dragStart(group) {
        var layer = group.getLayer();
        // For what the release of the pointer decides (BallHolding.js).
        layer.lastDragged = group;
        group.moveToTop();
        group.fire(DRAG_START_EVENT, {}, false);
        othersSelectedWith(group, layer).forEach(function (itemGroup) {
            itemGroup.fire(DRAG_START_EVENT, {}, false);
        });
    }

    // The page shell redraws its other stages after a drag, which keeps
    // their pointer handling alive.
    function dragEnd(group) {
        var layer = group.getLayer();
        window.myDispatchEvent('redrawControls', {});
        group.fire(DRAG_END_EVENT, {}, false);
        othersSelectedWith(group, layer).forEach(function (itemGroup) {
            itemGroup.fire(DRAG_END_EVENT, {}, false);
        });
    }

    // The controls hide while the item moves, with the one dragged or
    // with another of the selection.
    FieldItemGroup.prototype.listenToDrags = function () {
        var group = this;
        this.on(DRAG_START_EVENT, function () {
            group.showControlsFunc(false);
        });
        this.on(DRAG_END_EVENT, function () {
            group.setControlsPosition();
            group.showControlsFunc(group.isSelected);
            window.redrawLayerOf(group);
        });
    };

    // The item's drawing is what the pointer presses and drags.
    FieldItemGroup.prototype.listenToPointer = function () {
        var group = this;
        var item = this.fieldItem.group;
        item.dragBoundFunc(function (pos) {
            return dragBound(group, pos);
        });
        keepPlaceWhenPressed(group, item);
        item.on('mousedown touchstart', function (evt) {
            press(group, evt);
        });
        item.on('mouseup touchend', function () {
            release(group);
        });
        item.on('dragstart', function () {
            dragStart(group);
        });
        item.on('dragend', function () {
            dragEnd(group);
        });
    };
}(window));
