// The overlay that chooses the pitch view: it darkens the whole animation
// stage and shows a live thumbnail of every view the sport offers, drawn by
// the background layer's own pitch drawing. Choosing a thumbnail applies
// that view, always with stripes, and closes the overlay; there is no other
// way out, and while it is open the page shell keeps every other layer deaf.
(function (window, Kinetic) {
    'use strict';

    var LAYER_NAME = 'bgPickerLayer';
    var SHADE_NAME = 'bgPickerShade';
    var THUMBNAIL_NAME = 'bgThumbnail';
    var SHADE_FILL = 'black';
    var SHADE_OPACITY = 0.7;

    var BG_LAYER_SELECTOR = '.bgLayer';
    var ANIM_LAYER_SELECTOR = '.animLayer';

    var ROWS = 2;
    var COLUMNS = 3;
    // The margin sizes the thumbnails only; the gaps that place them are
    // what is left over, shared out evenly.
    var MARGIN_FRACTION = 1 / 20;
    var THUMBNAIL_STRIPES = true;
    var THUMBNAIL_FOR_PRINT = false;

    var DRAWERS = {
        soccer: 'drawSoccerField',
        rugby: 'drawRugbyField',
        gaa: 'drawGAAField'
    };

    function firstFound(stage, selector) {
        var found = stage.find(selector);
        return found.length > 0 ? found[0] : null;
    }

    // Thumbnail size and gaps for a stage of width x height: two rows of
    // three at the pitch's aspect ratio, as tall as the height allows unless
    // three across would not fit the width.
    function thumbnailLayout(width, height, aspectRatio) {
        var margin = height * MARGIN_FRACTION;
        var h = (height - (ROWS + 1) * margin) / ROWS;
        var w = h * aspectRatio;
        var widest = (width - (COLUMNS + 1) * margin) / COLUMNS;
        if (w > widest) {
            w = widest;
            h = w / aspectRatio;
        }
        return {
            w: w,
            h: h,
            gapX: (width - COLUMNS * w) / (COLUMNS + 1),
            gapY: (height - ROWS * h) / (ROWS + 1)
        };
    }

    // The animation layer's ratio is the one the pitch is shown at. While
    // the stage has no animation layer (the animation view is still being
    // built) the background layer's ratio, the same 4/3, stands in for it.
    function aspectRatioOf(stage, bgLayer) {
        var animLayer = firstFound(stage, ANIM_LAYER_SELECTOR);
        if (animLayer && typeof animLayer.aspectRatio === 'number' && animLayer.aspectRatio > 0) {
            return animLayer.aspectRatio;
        }
        return bgLayer.aspectRatio;
    }

    function BackgroundPicker(stage, sport) {
        if (!stage || stage.nodeType !== 'Stage') {
            throw new Error('BackgroundPicker: a Kinetic stage is needed');
        }
        var bgLayer = firstFound(stage, BG_LAYER_SELECTOR);
        if (!bgLayer) {
            throw new Error('BackgroundPicker: the stage has no layer named "bgLayer"');
        }
        var views = bgLayer.bgTypes && bgLayer.bgTypes[sport];
        if (!DRAWERS.hasOwnProperty(sport) || !views || views.length === 0) {
            throw new Error('BackgroundPicker: no pitch views for the sport ' + JSON.stringify(sport));
        }
        // Already open: the open one is still waiting for its choice.
        if (stage.find('.' + LAYER_NAME).length > 0) {
            return;
        }

        window.myDispatchEvent('disableControls', {});

        var width = stage.width();
        var height = stage.height();
        var layout = thumbnailLayout(width, height, aspectRatioOf(stage, bgLayer));
        var draw = bgLayer[DRAWERS[sport]];

        // A new layer, so the thumbnails stand upright whatever the turn of
        // the pitch layers below.
        var pickerLayer = new Kinetic.Layer({ name: LAYER_NAME });
        stage.add(pickerLayer);
        // Listening, so that a click on the dark area stops here and does
        // nothing.
        pickerLayer.add(new Kinetic.Rect({
            name: SHADE_NAME, x: 0, y: 0, width: width, height: height,
            fill: SHADE_FILL, opacity: SHADE_OPACITY
        }));

        var chosen = false;
        function choose(thumbnail) {
            // A tap may also arrive as a click: the first one wins.
            if (chosen) {
                return;
            }
            chosen = true;
            bgLayer.setBackground(sport, thumbnail.bgType, thumbnail.showStripes);
            window.myDispatchEvent('enableControls', {});
            pickerLayer.destroy();
        }

        views.forEach(function (view, index) {
            var row = Math.floor(index / COLUMNS);
            var column = index % COLUMNS;
            var thumbnail = draw(layout.w, layout.h, view, THUMBNAIL_STRIPES, THUMBNAIL_FOR_PRINT);
            thumbnail.name(THUMBNAIL_NAME);
            thumbnail.bgType = view;
            thumbnail.showStripes = THUMBNAIL_STRIPES;
            thumbnail.position({
                x: layout.gapX + column * (layout.w + layout.gapX),
                y: layout.gapY + row * (layout.h + layout.gapY)
            });
            thumbnail.clip({ x: 0, y: 0, width: layout.w, height: layout.h });
            thumbnail.on('click tap', function () {
                choose(thumbnail);
            });
            pickerLayer.add(thumbnail);
        });

        // Drawn at once rather than on the next refresh, so that the hit
        // graph is ready for the very next click.
        pickerLayer.draw();
    }

    window.BackgroundPicker = BackgroundPicker;
}(window, Kinetic));
