// The outline that marks an item as one of several selected: a light
// rounded box a little clear of the item's drawn box, with a dark haze so
// that it reads on grass and on white alike. It lives inside the item's
// own drawing group, beneath its shapes, so it moves and turns with the
// item; it never takes the pointer, so a press beside an item is no press
// on it.
(function (window, Kinetic) {
    'use strict';

    var NAME = 'selectionOutline';
    var PADDING = 4;
    var CORNER_RADIUS = 5;
    var STROKE = 'white';
    var STROKE_WIDTH = 2;
    var HAZE = 'black';
    var HAZE_BLUR = 3;
    var HAZE_OPACITY = 0.7;

    // `fieldItem`: the FieldItem whose drawing the outline goes around.
    function createSelectionOutline(fieldItem) {
        if (!fieldItem || !fieldItem.group) {
            throw new Error('createSelectionOutline: a field item is needed');
        }
        var item = fieldItem.group;
        var rect = null;

        // Made at the first showing: most items are never one of several
        // selected.
        function node() {
            if (!rect) {
                rect = new Kinetic.Rect({
                    name: NAME,
                    cornerRadius: CORNER_RADIUS,
                    stroke: STROKE,
                    strokeWidth: STROKE_WIDTH,
                    shadowColor: HAZE,
                    shadowBlur: HAZE_BLUR,
                    shadowOpacity: HAZE_OPACITY,
                    listening: false,
                    visible: false
                });
                item.add(rect);
                rect.moveToBottom();
            }
            return rect;
        }

        // The item's group has its origin at the drawing's top-left corner.
        function fit() {
            if (!rect) {
                return;
            }
            rect.position({ x: -PADDING, y: -PADDING });
            rect.size({ width: item.width() + 2 * PADDING, height: item.height() + 2 * PADDING });
        }

        return {
            show: function (on) {
                if (!on && !rect) {
                    return;
                }
                node().visible(!!on);
                fit();
            },
            // The item was resized.
            fit: fit
        };
    }

    window.createSelectionOutline = createSelectionOutline;
}(window, Kinetic));
