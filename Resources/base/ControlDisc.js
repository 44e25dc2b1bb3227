// The white disc every button around a selected item is drawn on, and
// its feedback while pressed. Unlike the component scripts, this one
// exposes several globals, one per helper.
(function (window, Kinetic) {
    'use strict';

    // Every button around a selected item is a white disc of this radius,
    // half see-through at rest and opaque while pressed.
    var CONTROL_RADIUS = 12;
    var CONTROL_FILL = 'white';
    var CONTROL_REST_OPACITY = 0.7;
    var CONTROL_PRESSED_OPACITY = 1;

    function redrawLayerOf(node) {
        var layer = node.getLayer();
        if (layer) {
            layer.batchDraw();
        }
    }

    // The disc an item control is drawn on.
    function createControlCircle(name) {
        return new Kinetic.Circle({
            name: name,
            radius: CONTROL_RADIUS,
            fill: CONTROL_FILL,
            opacity: CONTROL_REST_OPACITY
        });
    }

    // The control's disc turns opaque while it is pressed and goes back when
    // the pointer is released or leaves it.
    function addPressFeedback(control, circle) {
        control.on('mousedown touchstart', function () {
            circle.opacity(CONTROL_PRESSED_OPACITY);
            redrawLayerOf(control);
        });
        control.on('mouseup mouseout touchend', function () {
            circle.opacity(CONTROL_REST_OPACITY);
            redrawLayerOf(control);
        });
    }

    window.redrawLayerOf = redrawLayerOf;
    window.createControlCircle = createControlCircle;
    window.addPressFeedback = addPressFeedback;
}(window, Kinetic));
