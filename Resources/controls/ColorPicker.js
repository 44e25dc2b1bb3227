// A colour button beside a selected item. It opens the colour chooser
// (ColorChooser.js) from where it stands; picking a colour recolours the
// item and the button and tells the item picker.
(function (window, document, Kinetic) {
    'use strict';

    var BUTTON_NAME = 'colPickerButton';
    var CIRCLE_NAME = 'circle';
    var SWATCH_SIDES = 4;
    var SWATCH_RADIUS = 9;
    var SWATCH_ROTATION = 45;
    var OUTLINE = 'black';
    var SWATCH_STROKE_WIDTH = 0.1;

    // For a type that gives no list of its own.
    var DEFAULT_COLORS = [
        'aqua', 'black', 'blue', 'fuchsia', 'gray', 'green', 'lime', 'maroon', 'navy',
        'olive', 'orange', 'purple', 'red', 'silver', 'teal', 'white', 'yellow'
    ];

    // The button for colour number `pickerNumber` (1 or 2) of the item in the
    // parent field item group, showing `color` and offering `availableCols`.
    function createColorPicker(color, pickerNumber, availableCols) {
        if (pickerNumber !== 1 && pickerNumber !== 2) {
            throw new Error('createColorPicker: pickerNumber must be 1 or 2, not ' +
                JSON.stringify(pickerNumber));
        }
        var colors = (availableCols === undefined || availableCols === null) ?
            DEFAULT_COLORS : availableCols;
        if (!Array.isArray(colors) || colors.length < 1 || colors.length > window.createColorChooser.MAX_COLORS) {
            throw new Error('createColorPicker: the colour list must hold 1 to ' +
                window.createColorChooser.MAX_COLORS + ' names');
        }
        colors = colors.slice();

        var button = new Kinetic.Group({
            name: BUTTON_NAME,
            visible: false
        });
        button.pickerNumber = pickerNumber;
        button.availableCols = colors;

        var circle = window.createControlCircle(CIRCLE_NAME);
        var swatch = new Kinetic.RegularPolygon({
            sides: SWATCH_SIDES,
            radius: SWATCH_RADIUS,
            rotation: SWATCH_ROTATION,
            fill: color,
            stroke: OUTLINE,
            strokeWidth: SWATCH_STROKE_WIDTH,
            listening: false
        });
        button.circle = circle;
        button.swatch = swatch;
        button.add(circle);
        button.add(swatch);

        // The chooser open now, if any.
        var openChooser = null;

        function pick(pickedColor) {
            var itemGroup = button.getParent();
            var fieldItem = itemGroup.getFieldItem();
            fieldItem.setCol(pickedColor, pickerNumber);
            swatch.fill(pickedColor);
            window.myDispatchEvent('setItemDefaultColor', {
                itemType: fieldItem.type,
                color: pickedColor,
                colNumber: pickerNumber
            });
        }

        function open() {
            var stage = button.getStage();
            var animLayer = button.getLayer();
            var itemGroup = button.getParent();
            if (!stage || !itemGroup || typeof itemGroup.getFieldItem !== 'function' || openChooser) {
                return;
            }
            // The field item group sits at the animation layer's origin, so
            // the button's own position is in that layer's pixels.
            var start = window.layerPosToStage(button.position(), animLayer);
            openChooser = window.createColorChooser(stage, start, circle.radius(), colors, pick, function () {
                openChooser = null;
                animLayer.draw();
            });
        }

        window.addPressFeedback(button, circle);
        button.on('click tap', open);

        return button;
    }

    window.createColorPicker = createColorPicker;
}(window, document, Kinetic));
