// The overlay that chooses the sport and the pitch view: it darkens the
// whole animation stage, shows the sports in a row along its top (Gaelic
// football and hurling apart, as their pitches are marked apart; the
// one shown marked) and below them a live thumbnail of every view the marked
// sport offers, drawn by the background layer's own pitch drawing. Choosing
// another sport shows its views; choosing a thumbnail applies that view of
// that sport, always with stripes, raises backgroundChosen and closes the
// overlay. A click on the darkened area or the page event closeOverlays
// (Escape) closes it without changing anything. While it is open the page
// shell keeps every other layer deaf.
(function (window, document, Kinetic) {
    'use strict';

    var LAYER_NAME = 'bgPickerLayer';
    var SHADE_NAME = 'bgPickerShade';
    var THUMBNAIL_NAME = 'bgThumbnail';
    var SPORT_BUTTON_NAME = 'bgSportButton';
    var SPORT_MARK_NAME = 'bgSportMark';
    var SHADE_FILL = 'black';
    var SHADE_OPACITY = 0.7;

    var BG_LAYER_SELECTOR = '.bgLayer';
    var ANIM_LAYER_SELECTOR = '.animLayer';

    // The sports row takes this share of the stage's height; the
    // thumbnails share what is left below it.
    var SPORT_ROW_FRACTION = 1 / 10;
    // Gaelic football and hurling share a sport and differ in markings.
    var SPORTS = [
        { sport: 'gaa', markings: 'football', label: 'Gaelic football' },
        { sport: 'gaa', markings: 'hurling', label: 'Hurling' },
        { sport: 'soccer', label: 'Soccer' },
        { sport: 'rugby', label: 'Rugby' }
    ];
    var SPORT_FONT = 'Helvetica';
    var SPORT_TEXT_FILL = 'white';
    var SPORT_MARK_FILL = 'rgb(214,219,233)';
    var SPORT_MARKED_TEXT_FILL = 'black';
    var SPORT_FRAME_STROKE = 'white';

    var ROWS = 2;
    var COLUMNS = 3;
    // The margin sizes the thumbnails only; the gaps that place them are
    // what is left over, shared out evenly.
    var MARGIN_FRACTION = 1 / 20;
    var THUMBNAIL_STRIPES = true;
    var THUMBNAIL_FOR_PRINT = false;

    // What each view is called in its thumbnail's tooltip.
    var VIEW_NAMES = {
        fullField: 'Full pitch',
        oneEnd: 'One end',
        penaltyArea: 'Penalty area',
        penaltyAreaLeft: 'Penalty area, left touchline',
        penaltyAreaRight: 'Penalty area, right touchline',
        blank: 'Blank pitch'
    };

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
        if (!hasViews(bgLayer, sport)) {
            throw new Error('BackgroundPicker: no pitch views for the sport ' + JSON.stringify(sport));
        }
        // Already open: the open one is still waiting for its choice.
        if (stage.find('.' + LAYER_NAME).length > 0) {
            return;
        }

        window.myDispatchEvent('disableControls', {});

        var width = stage.width();
        var height = stage.height();
        var rowHeight = height * SPORT_ROW_FRACTION;
        var layout = thumbnailLayout(width, height - rowHeight, aspectRatioOf(stage, bgLayer));

        // A new layer, so the thumbnails stand upright whatever the turn of
        // the pitch layers below.
        var pickerLayer = new Kinetic.Layer({ name: LAYER_NAME });
        stage.add(pickerLayer);
        // Listening, so that a click on the dark area closes the overlay
        // rather than reaching the pitch.
        var shade = new Kinetic.Rect({
            name: SHADE_NAME, x: 0, y: 0, width: width, height: height,
            fill: SHADE_FILL, opacity: SHADE_OPACITY
        });
        pickerLayer.add(shade);
        var thumbnailGroup = new Kinetic.Group({ y: rowHeight });
        pickerLayer.add(thumbnailGroup);

        var closed = false;
        // A picker whose stage went away is closed already.
        function close() {
            var open = !closed && !!pickerLayer.getStage();
            closed = true;
            window.Button.hideTooltip();
            document.removeEventListener('closeOverlays', close, false);
            if (open) {
                window.myDispatchEvent('enableControls', {});
                pickerLayer.destroy();
            }
        }

        function choose(thumbnail) {
            // A tap may also arrive as a click: the first one wins.
            if (closed) {
                return;
            }
            bgLayer.setBackground(thumbnail.sport, thumbnail.bgType, thumbnail.showStripes, thumbnail.markings);
            window.myDispatchEvent('backgroundChosen', { sport: thumbnail.sport, bgType: thumbnail.bgType,
                markings: thumbnail.markings });
            close();
        }

        function showSport(shown) {
            thumbnailGroup.destroyChildren();
            addThumbnails(thumbnailGroup, bgLayer, shown, layout, choose);
            pickerLayer.find('.' + SPORT_BUTTON_NAME).each(function (button) {
                markSportButton(button, button.entry === shown);
            });
            // Drawn at once rather than on the next refresh, so that the hit
            // graph is ready for the very next click.
            pickerLayer.draw();
        }

        SPORTS.forEach(function (entry, index) {
            if (!hasViews(bgLayer, entry.sport)) {
                return;
            }
            var button = sportButton(entry, index, width, rowHeight);
            button.on('click tap', function () {
                if (!closed) {
                    showSport(entry);
                }
            });
            pickerLayer.add(button);
        });
        shade.on('click tap', function () {
            if (!closed) {
                close();
            }
        });
        document.addEventListener('closeOverlays', close, false);

        showSport(entryOf(sport, bgLayer));
    }

    // The row's entry for `sport` as the pitch on show is marked.
    function entryOf(sport, bgLayer) {
        var markings = bgLayer.sportType === sport ? bgLayer.markings : null;
        var ofSport = SPORTS.filter(function (entry) { return entry.sport === sport; });
        return ofSport.filter(function (entry) { return entry.markings === markings; })[0] || ofSport[0];
    }

    function hasViews(bgLayer, sport) {
        var views = bgLayer.bgTypes && bgLayer.bgTypes[sport];
        return DRAWERS.hasOwnProperty(sport) && !!views && views.length > 0;
    }

    function addThumbnails(group, bgLayer, entry, layout, choose) {
        var sport = entry.sport;
        var draw = bgLayer[DRAWERS[sport]];
        bgLayer.bgTypes[sport].forEach(function (view, index) {
            var row = Math.floor(index / COLUMNS);
            var column = index % COLUMNS;
            var thumbnail = draw(layout.w, layout.h, view, THUMBNAIL_STRIPES, THUMBNAIL_FOR_PRINT, entry.markings);
            thumbnail.name(THUMBNAIL_NAME);
            thumbnail.sport = sport;
            thumbnail.markings = entry.markings;
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
            showsNameOnHover(thumbnail, layout);
            group.add(thumbnail);
        });
    }

    // The thumbnail's name shows as the buttons' tooltips do.
    function showsNameOnHover(thumbnail, layout) {
        var name = VIEW_NAMES[thumbnail.bgType] || thumbnail.bgType;
        var source = {
            tooltipPlace: function () {
                var stage = thumbnail.getStage();
                if (!stage) {
                    return null;
                }
                var at = thumbnail.getAbsolutePosition();
                return { stage: stage, left: at.x, top: at.y, bottom: at.y + layout.h, text: name };
            }
        };
        thumbnail.on('mouseover', function () {
            window.Button.showTooltipSoon(source);
        });
        thumbnail.on('mouseout mousedown', window.Button.hideTooltip);
    }

    // One of equal buttons across the top row, a framed label.
    function sportButton(entry, index, width, rowHeight) {
        var w = width / SPORTS.length;
        var inset = rowHeight / 8;
        var button = new Kinetic.Group({ name: SPORT_BUTTON_NAME, x: index * w, y: 0 });
        button.entry = entry;
        button.sport = entry.sport;
        button.add(new Kinetic.Rect({
            name: SPORT_MARK_NAME,
            x: inset, y: inset, width: w - 2 * inset, height: rowHeight - 2 * inset,
            fill: SPORT_MARK_FILL, stroke: SPORT_FRAME_STROKE, strokeWidth: 1,
            cornerRadius: inset, opacity: 0
        }));
        var label = new Kinetic.Text({
            x: 0, width: w, text: entry.label, align: 'center',
            fontFamily: SPORT_FONT, fontSize: Math.max(8, rowHeight * 0.4),
            fill: SPORT_TEXT_FILL, listening: false
        });
        label.y((rowHeight - label.height()) / 2);
        button.add(label);
        button.label = label;
        return button;
    }

    // The marked sport is a light tab with dark text; the others are framed
    // white text on the dark shade, still there to be chosen.
    function markSportButton(button, marked) {
        var mark = button.find('.' + SPORT_MARK_NAME)[0];
        mark.fill(marked ? SPORT_MARK_FILL : SHADE_FILL);
        mark.opacity(1);
        button.label.fill(marked ? SPORT_MARKED_TEXT_FILL : SPORT_TEXT_FILL);
        button.marked = marked;
    }

    window.BackgroundPicker = BackgroundPicker;
}(window, document, Kinetic));
