// The small arrow button beside a selected item's label button: moves the
// item's label to the other side of the item, above it or back below. Its
// arrow points where a click sends the label, and its tooltip says so. It
// asks the parent field item group directly, as the scale buttons do; the
// release of the pointer that clicked it records the change for undo.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'LabelPlaceControl';
    var CIRCLE_NAME = 'circle';
    var ARROW_NAME = 'arrow';
    var RADIUS = 7;
    var ARROW_RADIUS = 4;
    var ARROW_FILL = 'black';
    var CIRCLE_FILL = 'white';
    var REST_OPACITY = 0.7;
    var PRESSED_OPACITY = 1;
    // For each place the label may have: where a click sends it, the
    // arrow's turn pointing there, and what the tooltip says.
    var NEXT = {
        below: { place: 'above', arrowRotation: 0, tooltip: 'Put the label above the item' },
        above: { place: 'below', arrowRotation: 180, tooltip: 'Put the label below the item' }
    };

    function LabelPlaceControl(layerRotation, place) {
        var self = this;
        this.controlGroup = new Kinetic.Group({ name: GROUP_NAME, visible: false });
        this.circle = new Kinetic.Circle({
            name: CIRCLE_NAME, radius: RADIUS, fill: CIRCLE_FILL, opacity: REST_OPACITY
        });
        this.arrow = new Kinetic.RegularPolygon({
            name: ARROW_NAME, sides: 3, radius: ARROW_RADIUS, fill: ARROW_FILL, listening: false
        });
        this.controlGroup.add(this.circle);
        this.controlGroup.add(this.arrow);
        this.showPlace(place);
        this.updateLayerRotation(layerRotation || 0);

        this.controlGroup.on('mousedown touchstart', function () {
            self.circle.opacity(PRESSED_OPACITY);
            window.Button.hideTooltip();
            window.redrawLayerOf(self.controlGroup);
        });
        this.controlGroup.on('mouseup mouseout touchend', function () {
            self.circle.opacity(REST_OPACITY);
            window.redrawLayerOf(self.controlGroup);
        });
        this.controlGroup.on('mouseover', function () {
            window.Button.showTooltipSoon(self);
        });
        this.controlGroup.on('mouseout', window.Button.hideTooltip);
        this.controlGroup.on('click tap', function () {
            self.movePlace();
        });
    }

    // The button as it is for a label at `place` ('below' or 'above').
    LabelPlaceControl.prototype.showPlace = function (place) {
        if (!NEXT.hasOwnProperty(place)) {
            throw new Error('LabelPlaceControl: the place must be "below" or "above", not ' + JSON.stringify(place));
        }
        this.next = NEXT[place];
        this.arrow.rotation(this.next.arrowRotation);
    };

    LabelPlaceControl.prototype.updateLayerRotation = function (layerRotation) {
        this.controlGroup.rotation(-layerRotation);
    };

    LabelPlaceControl.prototype.movePlace = function () {
        var itemGroup = this.controlGroup.getParent();
        if (itemGroup && typeof itemGroup.setLabelPlace === 'function') {
            itemGroup.setLabelPlace(this.next.place);
        }
    };

    // Where the tooltip goes, as Button's tooltips ask.
    LabelPlaceControl.prototype.tooltipPlace = function () {
        var stage = this.controlGroup.getStage();
        if (!stage || !this.controlGroup.isVisible()) {
            return null;
        }
        var at = this.controlGroup.getAbsolutePosition();
        return { stage: stage, left: at.x - RADIUS, top: at.y - RADIUS, bottom: at.y + RADIUS, text: this.next.tooltip };
    };

    LabelPlaceControl.RADIUS = RADIUS;
    window.LabelPlaceControl = LabelPlaceControl;
}(window, Kinetic));
