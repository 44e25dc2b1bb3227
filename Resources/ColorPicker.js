// A colour button beside a selected item, and the chooser it opens: a white
// disc that grows from the button over the whole animation stage and then
// shows a grid of colour squares. Picking one recolours the item and the
// button, tells the item picker, and closes the chooser; a click outside the
// disc, or the page event closeOverlays (Escape), closes it with nothing
// changed. While it is open the page shell keeps every other layer deaf.
(function (window, document, Kinetic) {
    'use strict';

    var BUTTON_NAME = 'colPickerButton';
    var CIRCLE_NAME = 'circle';
    var SWATCH_SIDES = 4;
    var SWATCH_RADIUS = 9;
    var SWATCH_ROTATION = 45;
    var OUTLINE = 'black';
    var SWATCH_STROKE_WIDTH = 0.1;

    var LAYER_NAME = 'pickerLayer';
    var OUTSIDE_NAME = 'colPickerOutside';
    var DISC_NAME = 'colPickerCircle';
    var DISC_FILL = 'white';
    var DISC_OPACITY = 0.7;
    var DISC_GROW_SECONDS = 0.2;
    var DISC_GROW_EASING = 'EaseOut';
    // The grown disc stays this far inside the nearer pair of stage edges.
    var DISC_MARGIN = 50;
    var SQUARE_NAME = 'colPickerSquare';
    var SQUARE_STROKE_WIDTH = 1;
    var SQUARE_GAP = 10;

    // For a type that gives no list of its own.
    var DEFAULT_COLORS = [
        'aqua', 'black', 'blue', 'fuchsia', 'gray', 'green', 'lime', 'maroon', 'navy',
        'olive', 'orange', 'purple', 'red', 'silver', 'teal', 'white', 'yellow'
    ];
    var MAX_COLORS = 36;
    // Rows (= columns) of the grid, by the largest number of colours each
    // grid is used for. Three colours get a 3 x 3 grid with one row filled,
    // so that they are as large as the usual nine.
    var GRID_SIZES = [
        { upTo: 1, size: 1 },
        { upTo: 2, size: 2 },
        { upTo: 3, size: 3 },
        { upTo: 4, size: 2 },
        { upTo: 9, size: 3 },
        { upTo: 16, size: 4 },
        { upTo: 25, size: 5 },
        { upTo: 36, size: 6 }
    ];

    function gridSize(n) {
        for (var i = 0; i < GRID_SIZES.length; i++) {
            if (n <= GRID_SIZES[i].upTo) {
                return GRID_SIZES[i].size;
            }
        }
        throw new Error('createColorPicker: at most ' + MAX_COLORS + ' colours fit the chooser');
    }

    // The squares inside the grown disc: the grid fills the square inscribed
    // in it, row by row in list order.
    function addSquares(pickerLayer, disc, colors, onPick) {
        var k = gridSize(colors.length);
        var side = disc.radius() * Math.SQRT2;
        var size = (side - SQUARE_GAP * (k + 1)) / k;
        var left = disc.x() - side / 2;
        var top = disc.y() - side / 2;
        colors.forEach(function (color, index) {
            var row = Math.floor(index / k);
            var column = index % k;
            var square = new Kinetic.Rect({
                name: SQUARE_NAME,
                x: left + SQUARE_GAP + column * (size + SQUARE_GAP),
                y: top + SQUARE_GAP + row * (size + SQUARE_GAP),
                width: size,
                height: size,
                fill: color,
                stroke: OUTLINE,
                strokeWidth: SQUARE_STROKE_WIDTH
            });
            square.on('click tap', function () {
                onPick(color);
            });
            pickerLayer.add(square);
        });
        pickerLayer.draw();
    }

    // The button for colour number `pickerNumber` (1 or 2) of the item in the
    // parent field item group, showing `color` and offering `availableCols`.
    function createColorPicker(color, pickerNumber, availableCols) {
        if (pickerNumber !== 1 && pickerNumber !== 2) {
            throw new Error('createColorPicker: pickerNumber must be 1 or 2, not ' +
                JSON.stringify(pickerNumber));
        }
        var colors = (availableCols === undefined || availableCols === null) ?
            DEFAULT_COLORS : availableCols;
        if (!Array.isArray(colors) || colors.length < 1 || colors.length > MAX_COLORS) {
            throw new Error('createColorPicker: the colour list must hold 1 to ' + MAX_COLORS +
                ' names');
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

        // The chooser open now, if any: its layer and the disc's tween.
        var openChooser = null;

        function close() {
            var chooser = openChooser;
            if (!chooser) {
                return;
            }
            openChooser = null;
            document.removeEventListener('closeOverlays', close, false);
            if (chooser.grow) {
                chooser.grow.destroy();
            }
            // A chooser whose stage went away is closed already.
            if (!chooser.layer.getStage()) {
                return;
            }
            chooser.layer.destroy();
            window.myDispatchEvent('enableControls', {});
            var animLayer = button.getLayer();
            if (animLayer) {
                animLayer.draw();
            }
        }

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
            close();
        }

        function open() {
            var stage = button.getStage();
            var animLayer = button.getLayer();
            var itemGroup = button.getParent();
            if (!stage || !itemGroup || typeof itemGroup.getFieldItem !== 'function' || openChooser) {
                return;
            }
            window.myDispatchEvent('disableControls', {});

            // A layer is always as large as its stage.
            var pickerLayer = new Kinetic.Layer({
                name: LAYER_NAME,
                x: stage.x(),
                y: stage.y(),
                offsetX: stage.offsetX(),
                offsetY: stage.offsetY()
            });
            stage.add(pickerLayer);
            openChooser = { layer: pickerLayer, grow: null };
            document.addEventListener('closeOverlays', close, false);

            // Everything outside the disc: a click there leaves the chooser.
            var outside = new Kinetic.Rect({
                name: OUTSIDE_NAME, x: 0, y: 0, width: pickerLayer.width(), height: pickerLayer.height(),
                opacity: 0, fill: DISC_FILL
            });
            outside.on('click tap', close);
            pickerLayer.add(outside);

            // The field item group sits at the animation layer's origin, so
            // the button's own position is in that layer's pixels.
            var start = window.stagePosToLayer(
                window.layerPosToStage(button.position(), animLayer), pickerLayer);
            var disc = new Kinetic.Circle({
                name: DISC_NAME,
                x: start.x,
                y: start.y,
                radius: circle.radius(),
                fill: DISC_FILL,
                opacity: DISC_OPACITY
            });
            pickerLayer.add(disc);
            pickerLayer.draw();

            var w = pickerLayer.width();
            var h = pickerLayer.height();
            var grow = new Kinetic.Tween({
                node: disc,
                duration: DISC_GROW_SECONDS,
                easing: Kinetic.Easings[DISC_GROW_EASING],
                x: w / 2,
                y: h / 2,
                radius: Math.min(w, h) / 2 - DISC_MARGIN,
                onFinish: function () {
                    grow.destroy();
                    openChooser.grow = null;
                    addSquares(pickerLayer, disc, colors, pick);
                }
            });
            openChooser.grow = grow;
            grow.play();
        }

        window.addPressFeedback(button, circle);
        button.on('click tap', open);

        return button;
    }

    window.createColorPicker = createColorPicker;
}(window, document, Kinetic));
