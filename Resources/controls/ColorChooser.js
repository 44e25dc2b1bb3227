// The colour chooser: a white disc that grows from where it was asked for
// over the whole animation stage and then shows a grid of colour squares.
// Picking one hands the colour on and closes the chooser; a click outside
// the disc, or the page event closeOverlays (Escape), closes it with
// nothing picked. While it is open the page shell keeps every other layer
// deaf. A colour button beside one selected item opens it for that item;
// the palette's colour command opens it for every selected item.
(function (window, document, Kinetic) {
    'use strict';

    var OUTLINE = 'black';
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
        throw new Error('createColorChooser: at most ' + MAX_COLORS + ' colours fit the chooser');
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

    // Opens the chooser on `stage`, its disc growing from `startPos` (stage
    // pixels, before the stage's own offset) with radius `startRadius`,
    // offering `colors` (1 to MAX_COLORS names). `onPick(color)` runs when
    // a colour is picked, before the chooser closes; `afterClose()` (may be
    // absent) once it has closed, picked or not. Returns { close }.
    function createColorChooser(stage, startPos, startRadius, colors, onPick, afterClose) {
        if (!Array.isArray(colors) || colors.length < 1 || colors.length > MAX_COLORS) {
            throw new Error('createColorChooser: the colour list must hold 1 to ' + MAX_COLORS + ' names');
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
        var grow = null;
        var open = true;

        function close() {
            if (!open) {
                return;
            }
            open = false;
            document.removeEventListener('closeOverlays', close, false);
            if (grow) {
                grow.destroy();
                grow = null;
            }
            // A chooser whose stage went away is closed already.
            if (!pickerLayer.getStage()) {
                return;
            }
            pickerLayer.destroy();
            window.myDispatchEvent('enableControls', {});
            if (afterClose) {
                afterClose();
            }
        }

        function pick(color) {
            onPick(color);
            close();
        }

        document.addEventListener('closeOverlays', close, false);

        // Everything outside the disc: a click there leaves the chooser.
        var outside = new Kinetic.Rect({
            name: OUTSIDE_NAME, x: 0, y: 0, width: pickerLayer.width(), height: pickerLayer.height(),
            opacity: 0, fill: DISC_FILL
        });
        outside.on('click tap', close);
        pickerLayer.add(outside);

        var start = window.stagePosToLayer(startPos, pickerLayer);
        var disc = new Kinetic.Circle({
            name: DISC_NAME,
            x: start.x,
            y: start.y,
            radius: startRadius,
            fill: DISC_FILL,
            opacity: DISC_OPACITY
        });
        pickerLayer.add(disc);
        pickerLayer.draw();

        var w = pickerLayer.width();
        var h = pickerLayer.height();
        grow = new Kinetic.Tween({
            node: disc,
            duration: DISC_GROW_SECONDS,
            easing: Kinetic.Easings[DISC_GROW_EASING],
            x: w / 2,
            y: h / 2,
            radius: Math.min(w, h) / 2 - DISC_MARGIN,
            onFinish: function () {
                grow.destroy();
                grow = null;
                addSquares(pickerLayer, disc, colors, pick);
            }
        });
        grow.play();
        return { close: close };
    }

    createColorChooser.MAX_COLORS = MAX_COLORS;
    window.createColorChooser = createColorChooser;
}(window, document, Kinetic));
