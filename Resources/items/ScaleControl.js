// The plus and minus buttons beside a selected item. A press asks the parent
// field item group to set the item's scale one step up or down; the group
// keeps it within the type's range and tells the item picker about it.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'scaleControl';
    var CIRCLE_NAME = 'circle';
    var SIGN_HALF_LENGTH = 6;
    var SIGN_STROKE = 'black';
    var SIGN_STROKE_WIDTH = 2;
    var STEP_FACTORS = {
        increase: 1.1,
        decrease: 1 / 1.1
    };

    function signStroke(points) {
        return new Kinetic.Line({
            points: points,
            stroke: SIGN_STROKE,
            strokeWidth: SIGN_STROKE_WIDTH,
            listening: false
        });
    }

    // `scaleType` is "increase" (plus) or "decrease" (minus).
    function ScaleControl(scaleType, layerRotation) {
        if (!STEP_FACTORS.hasOwnProperty(scaleType)) {
            throw new Error('ScaleControl: scaleType must be "increase" or "decrease", not ' +
                JSON.stringify(scaleType));
        }
        var self = this;

        this.scaleType = scaleType;

        this.controlGroup = new Kinetic.Group({
            name: GROUP_NAME,
            visible: false
        });
        this.controlGroup.scaleType = scaleType;

        this.circle = window.createControlCircle(CIRCLE_NAME);
        this.controlGroup.add(this.circle);
        this.controlGroup.add(signStroke([-SIGN_HALF_LENGTH, 0, SIGN_HALF_LENGTH, 0]));
        if (scaleType === 'increase') {
            this.controlGroup.add(signStroke([0, -SIGN_HALF_LENGTH, 0, SIGN_HALF_LENGTH]));
        }
        this.updateLayerRotation(layerRotation || 0);

        window.addPressFeedback(this.controlGroup, this.circle);
        this.controlGroup.on('click tap', function () {
            self.step();
        });
    }

    // Keeps the sign upright on screen when the pitch is turned.
    ScaleControl.prototype.updateLayerRotation = function (layerRotation) {
        this.controlGroup.rotation(-layerRotation);
    };

    // One step from the item's current scale, whatever an earlier step was
    // clipped to.
    ScaleControl.prototype.step = function () {
        var itemGroup = this.controlGroup.getParent();
        if (!itemGroup || typeof itemGroup.getFieldItem !== 'function') {
            return;
        }
        var current = itemGroup.getFieldItem().getScale();
        itemGroup.setScale(current * STEP_FACTORS[this.scaleType]);
    };


    window.ScaleControl = ScaleControl;
}(window, Kinetic));
