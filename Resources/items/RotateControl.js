// The rotate handle of a selected item: a round handle on the item's own x
// axis, just clear of its right edge, that the user drags around the item to
// turn it. Its group is a child of the field item group, which sits at the
// layer's origin, so the handle's position is in animation-layer pixels. The
// handle talks to that parent group (getFieldItem, showNonRotateControlsFunc,
// setNonRotateControlsPosition) and, through it, to the field item (its
// group's position, width and rotation, drawLine, hideLine).
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'rotateControl';
    var HANDLE_NAME = 'rotateCircle';
    var REST_OPACITY = 0.7;
    var PRESSED_OPACITY = 1;
    // Gap between the item's edge and the handle's centre.
    var EDGE_CLEARANCE = 15;
    var GLIDE_SECONDS = 0.3;
    var GLIDE_EASING = 'EaseOut';

    // The icon is drawn in a 50 x 50 box around (25, 25) and shrunk to about
    // 20 x 20 pixels: a thick ring, open at the top right, whose clockwise
    // end carries an arrow head.
    var ICON_BOX_CENTRE = 25;
    var ICON_SCALE = 0.4;
    var ICON_FILL = 'black';
    var ICON_OUTER_RADIUS = 19;
    var ICON_INNER_RADIUS = 12;
    var ICON_ARC_START_DEG = -20;
    var ICON_ARC_SWEEP_DEG = 290;
    var ICON_HEAD_OVERHANG = 5;
    var ICON_HEAD_LENGTH_DEG = 25;

    function iconPoint(radius, angleDeg) {
        var a = angleDeg * Math.PI / 180;
        var x = ICON_BOX_CENTRE + radius * Math.cos(a);
        var y = ICON_BOX_CENTRE + radius * Math.sin(a);
        return x.toFixed(3) + ' ' + y.toFixed(3);
    }

    // SVG path data of the icon. Angles grow clockwise on screen, so sweep
    // flag 1 runs the outer arc clockwise and 0 brings the inner one back.
    function iconPathData() {
        var start = ICON_ARC_START_DEG;
        var end = ICON_ARC_START_DEG + ICON_ARC_SWEEP_DEG;
        var large = ICON_ARC_SWEEP_DEG > 180 ? 1 : 0;
        var outer = ICON_OUTER_RADIUS;
        var inner = ICON_INNER_RADIUS;
        var middle = (outer + inner) / 2;
        return [
            'M', iconPoint(outer, start),
            'A', outer, outer, 0, large, 1, iconPoint(outer, end),
            'L', iconPoint(outer + ICON_HEAD_OVERHANG, end),
            'L', iconPoint(middle, end + ICON_HEAD_LENGTH_DEG),
            'L', iconPoint(inner - ICON_HEAD_OVERHANG, end),
            'L', iconPoint(inner, end),
            'A', inner, inner, 0, large, 0, iconPoint(inner, start),
            'Z'
        ].join(' ');
    }

    function RotateControl(layerRotation) {
        var self = this;

        this.glide = null;

        this.controlGroup = new Kinetic.Group({
            name: GROUP_NAME,
            x: 0,
            y: 0,
            visible: false,
            draggable: true,
            dragBoundFunc: function (pos) {
                return self.followPointer(pos);
            }
        });

        this.rotateHandle = window.createControlCircle(HANDLE_NAME);

        this.rotateIcon = new Kinetic.Path({
            data: iconPathData(),
            fill: ICON_FILL,
            scaleX: ICON_SCALE,
            scaleY: ICON_SCALE,
            offsetX: ICON_BOX_CENTRE,
            offsetY: ICON_BOX_CENTRE,
            listening: false
        });
        this.updateLayerRotation(layerRotation || 0);

        this.controlGroup.add(this.rotateHandle);
        this.controlGroup.add(this.rotateIcon);

        this.controlGroup.on('mousedown touchstart', function () {
            self.stopGlide();
            self.rotateHandle.opacity(PRESSED_OPACITY);
            self.showOtherControls(false);
            self.redraw();
        });
        this.controlGroup.on('dragstart', function () {
            self.showOtherControls(false);
        });
        this.controlGroup.on('mouseup touchend', function () {
            self.release();
            self.redraw();
        });
        this.controlGroup.on('dragend', function () {
            self.release();
            self.glideHome();
            window.myDispatchEvent('redrawControls', {});
            self.redraw();
        });
    }

    // The handle's home for the item as it stands now: on the item's own x
    // axis, EDGE_CLEARANCE pixels beyond its edge, or further out along it
    // where the item's label would be under it.
    RotateControl.prototype.homePosition = function (fieldItem) {
        var itemGroup = fieldItem.group;
        var a = itemGroup.rotation() * Math.PI / 180;
        var reach = itemGroup.width() / 2 + EDGE_CLEARANCE;
        var home = {
            x: itemGroup.x() + reach * Math.cos(a),
            y: itemGroup.y() + reach * Math.sin(a)
        };
        var owner = this.parentGroup();
        return (owner && typeof owner.clearOfLabel === 'function') ? owner.clearOfLabel(home) : home;
    };

    RotateControl.prototype.calcAndSetPositionFunc = function (fieldItem) {
        if (!fieldItem || !fieldItem.group) {
            throw new Error('RotateControl.calcAndSetPositionFunc: a field item is needed');
        }
        this.stopGlide();
        this.controlGroup.position(this.homePosition(fieldItem));
    };

    // Only the icon turns back against the pitch; the handle is round.
    RotateControl.prototype.updateLayerRotation = function (layerRotation) {
        this.rotateIcon.rotation(-layerRotation);
    };

    // The drag-bound function: `pos` is where the handle would go, in stage
    // pixels. The item turns to face it and the handle goes there unchanged.
    RotateControl.prototype.followPointer = function (pos) {
        var itemGroup = this.parentGroup();
        var layer = this.controlGroup.getLayer();
        if (!itemGroup || !layer) {
            return pos;
        }
        var fieldItem = itemGroup.getFieldItem();
        var onLayer = window.stagePosToLayer(pos, layer);
        var cx = fieldItem.group.x();
        var cy = fieldItem.group.y();
        fieldItem.group.rotation(window.degrees(window.angle(cx, cy, onLayer.x, onLayer.y)));
        fieldItem.drawLine(window.distance(cx, cy, onLayer.x, onLayer.y));
        return pos;
    };

    // Release and drag end both end a turn; after a drag both arrive, and
    // doing the work twice is harmless.
    RotateControl.prototype.release = function () {
        this.rotateHandle.opacity(REST_OPACITY);
        var itemGroup = this.parentGroup();
        if (!itemGroup) {
            return;
        }
        itemGroup.getFieldItem().hideLine();
        itemGroup.setNonRotateControlsPosition();
        this.showOtherControls(true);
    };

    RotateControl.prototype.glideHome = function () {
        var itemGroup = this.parentGroup();
        if (!itemGroup || !this.controlGroup.getLayer()) {
            return;
        }
        var home = this.homePosition(itemGroup.getFieldItem());
        var self = this;
        this.stopGlide();
        this.glide = new Kinetic.Tween({
            node: this.controlGroup,
            duration: GLIDE_SECONDS,
            easing: Kinetic.Easings[GLIDE_EASING],
            x: home.x,
            y: home.y,
            onFinish: function () {
                self.stopGlide();
            }
        });
        this.glide.play();
    };

    RotateControl.prototype.stopGlide = function () {
        if (this.glide) {
            var glide = this.glide;
            this.glide = null;
            glide.destroy();
        }
    };

    RotateControl.prototype.showOtherControls = function (show) {
        var itemGroup = this.parentGroup();
        if (itemGroup) {
            itemGroup.showNonRotateControlsFunc(show);
        }
    };

    RotateControl.prototype.parentGroup = function () {
        var parent = this.controlGroup.getParent();
        return (parent && typeof parent.getFieldItem === 'function') ? parent : null;
    };

    RotateControl.prototype.redraw = function () {
        window.redrawLayerOf(this.controlGroup);
    };

    window.RotateControl = RotateControl;
}(window, Kinetic));
