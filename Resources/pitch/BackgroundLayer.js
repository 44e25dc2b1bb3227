// The pitch under the animation: grass (or white paper for print) with
// mowing stripes, the markings and goals of a soccer, rugby or Gaelic games
// pitch in one of six views, a faint logo and a drawing grid. The layer
// turns with the animation; the background picker borrows its pitch-drawing
// operations for its thumbnails.
(function (window) {
    'use strict';

    // Views offered for each sport, in the order the picker shows them.
    var BG_TYPES = {
        soccer: ['fullField', 'oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight', 'blank'],
        rugby: ['fullField', 'oneEnd', 'blank'],
        gaa: ['fullField', 'oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight', 'blank']
    };

    var DEFAULT_SPORT = 'gaa';
    var DEFAULT_VIEW = 'fullField';
    var DEFAULT_LOGO = 'logos/ovri256x256.png';

    var GRID_SPACING = 10;
    var GRID_MAJOR_EVERY = 50;
    var GRID_MAJOR_WIDTH = 0.5;
    var GRID_MINOR_WIDTH = 0.2;
    var GRID_COLOR = 'black';

    var LOGO_MARGIN_FRACTION = 1 / 20;
    var LOGO_OPACITY = 0.2;

    // The method of each sport's pitch (BackgroundLayer.pitches.js).
    var PITCH_DRAWERS = {
        soccer: 'drawSoccerField',
        rugby: 'drawRugbyField',
        gaa: 'drawGAAField'
    };

    function findChild(layer, name) {
        var found = layer.find('.' + name);
        return found.length > 0 ? found[0] : null;
    }

    // `centerX`, `centerY`, `maxWidth` and `maxHeight` are not used: the
    // animation fits the layer with updateBounds right after creating it.
    function BackgroundLayer(centerX, centerY, maxWidth, maxHeight, aspectRatio) {
        if (typeof aspectRatio !== 'number' || !(aspectRatio > 0)) {
            throw new Error('BackgroundLayer: the aspect ratio must be a positive number');
        }

        Kinetic.Layer.call(this, { name: 'bgLayer', x: 0, y: 0, offsetX: 0, offsetY: 0 });

        var bgTypes = {};
        Object.keys(BG_TYPES).forEach(function (sport) {
            bgTypes[sport] = BG_TYPES[sport].slice();
        });
        this.bgTypes = bgTypes;
        this.bgType = DEFAULT_VIEW;
        this.sportType = DEFAULT_SPORT;
        // Which code a Gaelic pitch is marked for; other pitches ignore it.
        this.markings = BackgroundLayer.GAA_MARKINGS[0];
        this.showStripes = true;
        this.drawForPrint = false;
        this.aspectRatio = aspectRatio;
        this.logoImage = DEFAULT_LOGO;
        this.doShowLogo = false;
        // The fitted size of the layer. In this Kinetic a layer's width and
        // height are always the stage's and cannot be set (and the stage's
        // picture export relies on that), so the pitch's own size lives here.
        this.layerWidth = 0;
        this.layerHeight = 0;

        this.drawBackground();
    }

    Kinetic.Util.extend(BackgroundLayer, Kinetic.Layer);

    BackgroundLayer.prototype.updateBounds = function (xCenter, yCenter, widthMax, heightMax, animRotated) {
        var size = calcWidthAndHeight(widthMax, heightMax, animRotated, this.aspectRatio);
        var w = size[0];
        var h = size[1];
        // The drawing is in the layer's own pixels: one of the same size
        // is only moved (a drill opened on a pitch turned as the last).
        var resized = w !== this.layerWidth || h !== this.layerHeight;
        this.layerWidth = w;
        this.layerHeight = h;
        this.position({ x: xCenter, y: yCenter });
        this.offset({ x: w / 2, y: h / 2 });
        this.clip({ x: 0, y: 0, width: w, height: h });
        if (resized) {
            this.drawBackground();
        } else {
            this.batchDraw();
        }
    };

    // `markings` (BackgroundLayer.GAA_MARKINGS) is the default when not given.
    BackgroundLayer.prototype.setBackground = function (sportType, bgType, showStripes, markings) {
        if (typeof sportType !== 'string' || typeof bgType !== 'string') {
            throw new Error('setBackground: the sport and the view must be strings');
        }
        if (markings !== undefined && BackgroundLayer.GAA_MARKINGS.indexOf(markings) === -1) {
            throw new Error('setBackground: the markings must be one of ' + BackgroundLayer.GAA_MARKINGS.join(', '));
        }
        this.sportType = sportType;
        this.bgType = bgType;
        this.showStripes = !!showStripes;
        this.markings = markings || BackgroundLayer.GAA_MARKINGS[0];
        this.drawBackground();
    };

    BackgroundLayer.prototype.setDrawForPrint = function (flag) {
        this.drawForPrint = !!flag;
        this.drawBackground();
    };

    BackgroundLayer.prototype.setShowLogo = function (flag) {
        this.doShowLogo = !!flag;
        this.drawBackground();
    };

    BackgroundLayer.prototype.setLogoImage = function (source) {
        if (typeof source !== 'string' || source === '') {
            throw new Error('setLogoImage: the logo must be a resource path or a picture data URL');
        }
        this.logoImage = source;
        var logoGroup = findChild(this, 'logoGroup');
        if (logoGroup) {
            logoGroup.destroyChildren();
            this.addLogoImage(logoGroup);
            this.batchDraw();
        }
    };

    BackgroundLayer.prototype.showGrid = function (flag) {
        var grid = findChild(this, 'grid');
        if (grid) {
            grid.visible(!!flag);
        }
        this.batchDraw();
    };

    BackgroundLayer.prototype.gridVisibility = function () {
        var grid = findChild(this, 'grid');
        return grid ? grid.visible() === true : false;
    };

    // The grid is in layer pixels, not pitch units: it helps place items
    // evenly whatever the view.
    BackgroundLayer.prototype.drawGridLines = function () {
        var w = this.layerWidth;
        var h = this.layerHeight;
        var grid = new Kinetic.Group({ name: 'grid', listening: false });
        function gridLine(at, points) {
            grid.add(new Kinetic.Line({
                name: 'gridLine', points: points, stroke: GRID_COLOR,
                strokeWidth: at % GRID_MAJOR_EVERY === 0 ? GRID_MAJOR_WIDTH : GRID_MINOR_WIDTH,
                lineCap: 'round', lineJoin: 'round', listening: false
            }));
        }
        var at;
        for (at = 0; at < w; at += GRID_SPACING) {
            gridLine(at, [at, 0, at, h]);
        }
        for (at = 0; at < h; at += GRID_SPACING) {
            gridLine(at, [0, at, w, at]);
        }
        return grid;
    };

    // Centred, upright on screen whatever the layer's rotation, and
    // always present: hidden means transparent, so that showing it needs
    // no new picture.
    BackgroundLayer.prototype.addLogoImage = function (group) {
        var layer = this;
        var w = layer.layerWidth;
        var h = layer.layerHeight;
        var shorter = Math.min(w, h);
        var side = shorter - shorter * LOGO_MARGIN_FRACTION;
        var src = layer.logoImage;
        window.sharedPicture(src, function (image) {
            // A newer logo has been asked for meanwhile: it wins.
            if (src !== layer.logoImage) {
                return;
            }
            group.destroyChildren();
            group.add(new Kinetic.Image({
                name: 'logoImage', image: image,
                x: w / 2, y: h / 2, width: side, height: side,
                offsetX: side / 2, offsetY: side / 2,
                rotation: -layer.rotation(),
                opacity: layer.doShowLogo ? LOGO_OPACITY : 0,
                listening: false
            }));
            layer.batchDraw();
        });
    };

    BackgroundLayer.prototype.drawBackground = function () {
        var gridWasVisible = this.gridVisibility();
        this.destroyChildren();

        var w = this.layerWidth;
        var h = this.layerHeight;
        var drawer = PITCH_DRAWERS.hasOwnProperty(this.sportType) ?
            PITCH_DRAWERS[this.sportType] : null;
        if (drawer) {
            this.add(this[drawer](w, h, this.bgType, this.showStripes, this.drawForPrint, this.markings));
        } else {
            // A sport this page has no pitch for (only possible from a
            // file): the view's ground and stripes, without markings.
            this.add(this.drawUnmarkedField(w, h, this.bgType, this.showStripes, this.drawForPrint));
        }

        var logoGroup = new Kinetic.Group({ name: 'logoGroup', listening: false });
        this.addLogoImage(logoGroup);
        this.add(logoGroup);

        var grid = this.drawGridLines();
        grid.visible(gridWasVisible);
        this.add(grid);

        this.batchDraw();
    };

    window.BackgroundLayer = BackgroundLayer;
}(window));
