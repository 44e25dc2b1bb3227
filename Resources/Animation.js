// The pitch view: one stage with a white backing for print, the pitch
// background and the animation layer, together with the frame model and the
// playback manager. It keeps the pitch at 4:3 inside whatever space it is
// given, turns the whole pitch in quarter turns, adds new items where there
// is room, and selects items with a rubber-band rectangle dragged out on the
// bare pitch. The page has two: the editor's, and the image generator's
// off-screen one.
(function (window, Kinetic) {
    'use strict';

    var ASPECT_RATIO = 4 / 3;
    var DEFAULT_SPORT = 'gaa';
    var WHITE_LAYER_NAME = 'whiteLayer';
    var WHITE_FILL = 'white';

    var SELECT_RECT_NAME = 'selectRectangle';
    var SELECT_RECT_FILL = 'white';
    var SELECT_RECT_OPACITY = 0.15;
    var SELECT_RECT_STROKE = 'white';
    var SELECT_RECT_STROKE_WIDTH = 1;

    // The animation text's signature and the one version this page writes.
    var FILE_SIGNATURE = 'OVRI_Animation';
    var FILE_VERSION = 0.1;
    var ERROR_PARSING = 'Error parsing JSON';
    var ERROR_SIGNATURE = 'Not an OVRI Animation file';

    function isPositiveNumber(value) {
        return typeof value === 'number' && isFinite(value) && value > 0;
    }

    function checkSpace(caller, maxWidth, maxHeight) {
        if (!isPositiveNumber(maxWidth) || !isPositiveNumber(maxHeight)) {
            throw new Error(caller + ': the space must be positive numbers, got ' +
                maxWidth + ' x ' + maxHeight);
        }
    }

    // An upright item on a layer turned by `layerRotation`: minus that,
    // brought into (-180, 180].
    function uprightRotation(layerRotation) {
        var r = -layerRotation % 360;
        if (r > 180) {
            r -= 360;
        }
        if (r < -180) {
            r += 360;
        }
        return r + 0;
    }

    function Animation(maxWidth, maxHeight, containerName) {
        if (!(this instanceof Animation)) {
            throw new Error('Animation must be called with new');
        }
        checkSpace('Animation', maxWidth, maxHeight);
        if (typeof containerName !== 'string' || !document.getElementById(containerName)) {
            throw new Error('Animation: no page element named "' + containerName + '"');
        }

        this.aspectRatio = ASPECT_RATIO;
        this.isRotated = false;
        this.centerX = maxWidth / 2;
        this.centerY = maxHeight / 2;
        this.maxWidth = maxWidth;
        this.maxHeight = maxHeight;
        this.sport = DEFAULT_SPORT;

        this.stage = new Kinetic.Stage({ container: containerName, width: maxWidth, height: maxHeight });

        this.whiteLayer = new Kinetic.Layer({ name: WHITE_LAYER_NAME, visible: false, listening: false });
        this.whiteRect = new Kinetic.Rect({
            x: 0, y: 0, width: maxWidth, height: maxHeight, fill: WHITE_FILL, listening: false
        });
        this.whiteLayer.add(this.whiteRect);
        this.stage.add(this.whiteLayer);

        this.animLayer = window.AnimationLayer(this.centerX, this.centerY, maxWidth, maxHeight,
            this.aspectRatio);
        this.animLayer.updateBounds(this.centerX, this.centerY, maxWidth, maxHeight, this.isRotated);
        this.bgLayer = window.BackgroundLayer(this.centerX, this.centerY, maxWidth, maxHeight,
            this.aspectRatio);
        this.bgLayer.updateBounds(this.centerX, this.centerY, maxWidth, maxHeight, this.isRotated);
        this.stage.add(this.bgLayer);
        this.stage.add(this.animLayer);

        this.frameManager = new window.FrameManager(this.animLayer);
        this.playbackManager = new window.PlaybackManager(this.frameManager);

        this.stage.draw();
        this.installSelectionHandlers();
    }

    // During playback the items stand at interpolated places: the view is
    // refitted (they keep those places relative to the pitch) but nothing is
    // saved, and the running lines are those of the frame playback is in.
    Animation.prototype.updateBounds = function (centerX, centerY, maxWidth, maxHeight) {
        checkSpace('Animation.updateBounds', maxWidth, maxHeight);
        this.centerX = centerX;
        this.centerY = centerY;
        this.maxWidth = maxWidth;
        this.maxHeight = maxHeight;
        this.stage.size({ width: maxWidth, height: maxHeight });
        this.whiteRect.size({ width: maxWidth, height: maxHeight });
        this.bgLayer.updateBounds(centerX, centerY, maxWidth, maxHeight, this.isRotated);
        this.animLayer.updateBounds(centerX, centerY, maxWidth, maxHeight, this.isRotated);
        if (this.playbackManager.isPlaying) {
            this.frameManager.updateRunningLines(this.playbackManager.currentPlaybackFrame);
        } else {
            this.frameManager.saveFrame();
            this.frameManager.updateRunningLines(this.frameManager.selectedFrame);
        }
        this.stage.draw();
    };

    // `scale`: a number or "default". The item enters the model at the next
    // save; until then it stands only on the display.
    Animation.prototype.addItem = function (type, col1, col2, scale) {
        var layer = this.animLayer;
        var rotation = uprightRotation(layer.rotation());
        var group = window.createFieldItemGroup(layer.layerWidth / 2, layer.layerHeight / 2, rotation,
            scale, type, col1, col2, this.frameManager.generateUniqueId(), '', '',
            layer.layerScale, layer.rotation());
        var item = group.getFieldItem().group;
        var pos = layer.findSpaceForItem(item.width(), item.height());
        group.updatePosition(pos, rotation);
        group.setControlsPosition();
        layer.add(group);
        layer.draw();
        return group;
    };

    // The two pitch layers always carry the same rotation, which
    // accumulates (four clockwise turns make 360, not 0).
    Animation.prototype.rotateEntireAnimation = function (degrees) {
        if (typeof degrees !== 'number' || !isFinite(degrees) || degrees % 90 !== 0) {
            throw new Error('Animation.rotateEntireAnimation: the pitch turns in multiples of 90 degrees, got ' +
                degrees);
        }
        var rotation = this.animLayer.rotation() + degrees;
        this.animLayer.rotation(rotation);
        this.bgLayer.rotation(rotation);
        this.isRotated = rotation % 180 !== 0;
        this.updateBounds(this.centerX, this.centerY, this.maxWidth, this.maxHeight);
        this.animLayer.draw();
        this.bgLayer.draw();
    };

    Animation.prototype.setFrameText = function (text) {
        this.animLayer.setFrameText(text);
    };

    // `id`: the node identifier of the item's group, as the label prompt
    // carried it.
    Animation.prototype.setItemLabel = function (id, label) {
        this.animLayer.setItemLabel(id, label);
    };

    Animation.prototype.setShortItemLabel = function (id, label) {
        this.animLayer.setShortItemLabel(id, label);
    };

    Animation.prototype.toggleGrid = function () {
        this.bgLayer.showGrid(!this.bgLayer.gridVisibility());
    };

    Animation.prototype.toggleRunningLines = function () {
        this.animLayer.toggleRunningLines();
    };

    Animation.prototype.toggleLogo = function () {
        this.bgLayer.setShowLogo(!this.bgLayer.doShowLogo);
    };

    Animation.prototype.setLogoImage = function (imageData) {
        this.bgLayer.setLogoImage(imageData);
    };

    Animation.prototype.setDrawForPrint = function (doDrawForPrint) {
        this.whiteLayer.visible(!!doDrawForPrint);
        this.bgLayer.setDrawForPrint(!!doDrawForPrint);
        this.whiteLayer.draw();
    };

    Animation.prototype.toDataURL = function (config) {
        return this.stage.toDataURL(config);
    };

    // ---- Animation text ---------------------------------------------------

    // One line of compact JSON, members in the file's order.
    Animation.prototype.saveToString = function () {
        var frames = this.frameManager;
        var bg = this.bgLayer;
        frames.saveFrame();
        return JSON.stringify({
            msgType: FILE_SIGNATURE,
            msgVersion: FILE_VERSION,
            sport: this.sport,
            showRunningLines: this.animLayer.showRunningLines,
            background: {
                type: bg.bgType,
                showStripes: bg.showStripes,
                showLogo: bg.doShowLogo,
                logoImage: bg.logoImage
            },
            rotation: this.animLayer.rotation() % 360,
            gridVisible: bg.gridVisibility(),
            nFrames: frames.nFrames,
            selectedFrame: frames.selectedFrame,
            objects: frames.objects,
            frameText: frames.frameText
        });
    };

    // Text that is not JSON, or not an animation, is reported and changes
    // nothing. Beyond the signature the members are taken as they come;
    // `checkAnimationText` is where a file's shape is to be vetted.
    Animation.prototype.loadFromString = function (jsonStr) {
        var settings;
        try {
            settings = JSON.parse(jsonStr);
        } catch (e) {
            window.myDispatchEvent('errorOpeningFile', { errorInfo: ERROR_PARSING });
            return;
        }
        if (!settings || settings.msgType !== FILE_SIGNATURE) {
            window.myDispatchEvent('errorOpeningFile', { errorInfo: ERROR_SIGNATURE });
            return;
        }
        if (!this.checkAnimationText(settings)) {
            return;
        }
        this.sport = settings.sport;
        this.bgLayer.setBackground(settings.sport, settings.background.type,
            settings.background.showStripes);
        this.bgLayer.setLogoImage(settings.background.logoImage);

        this.animLayer.rotation(0);
        this.bgLayer.rotation(0);
        this.isRotated = false;
        this.rotateEntireAnimation(settings.rotation);

        this.bgLayer.showGrid(!!settings.gridVisible);
        this.frameManager.loadSettings(settings);
        if (this.animLayer.showRunningLines !== !!settings.showRunningLines) {
            this.toggleRunningLines();
        }
        if (this.bgLayer.doShowLogo !== !!settings.background.showLogo) {
            this.toggleLogo();
        }
        this.stage.draw();
    };

    // True when `settings` (a parsed text with the right signature) can be
    // loaded. For now only the members the loader needs to exist at all.
    Animation.prototype.checkAnimationText = function (settings) {
        return !!settings.background && typeof settings.rotation === 'number';
    };

    // ---- Rubber-band selection ----------------------------------------------

    // Pressing the bare pitch starts a selection rectangle; moving stretches
    // it (never beyond the pitch); releasing selects every item wholly
    // inside it and nothing else, so a click on the bare pitch deselects
    // all. Moves and releases are taken from the stage's own pointer events,
    // which come wherever the pointer is, over an item, the rectangle or
    // beside the pitch.
    Animation.prototype.installSelectionHandlers = function () {
        var self = this;
        this.bgLayer.on('mousedown touchstart', function () {
            self.startSelection();
        });
        this.stage.on('contentMousemove contentTouchmove', function () {
            self.stretchSelection();
        });
        this.stage.on('contentMouseup contentTouchend', function () {
            self.finishSelection();
        });
    };

    Animation.prototype.selectionRectangles = function () {
        return this.animLayer.find('.' + SELECT_RECT_NAME).toArray();
    };

    Animation.prototype.startSelection = function () {
        var pos = window.getMousePosOnLayer(this.animLayer);
        if (!pos) {
            return;
        }
        var rect = new Kinetic.Rect({
            name: SELECT_RECT_NAME,
            x: pos.x,
            y: pos.y,
            width: 0,
            height: 0,
            fill: SELECT_RECT_FILL,
            opacity: SELECT_RECT_OPACITY,
            stroke: SELECT_RECT_STROKE,
            strokeWidth: SELECT_RECT_STROKE_WIDTH,
            listening: false
        });
        rect.startPos = { x: pos.x, y: pos.y };
        this.animLayer.add(rect);
    };

    Animation.prototype.stretchSelection = function () {
        var rects = this.selectionRectangles();
        if (rects.length === 0) {
            return;
        }
        var pos = window.getMousePosOnLayer(this.animLayer);
        if (!pos) {
            return;
        }
        this.animLayer.clipToBounds(pos);
        rects.forEach(function (rect) {
            var start = rect.startPos;
            rect.position({ x: Math.min(start.x, pos.x), y: Math.min(start.y, pos.y) });
            rect.size({ width: Math.abs(pos.x - start.x), height: Math.abs(pos.y - start.y) });
        });
        this.animLayer.batchDraw();
    };

    Animation.prototype.finishSelection = function () {
        var layer = this.animLayer;
        var rects = this.selectionRectangles();
        if (rects.length === 0) {
            return;
        }
        rects.forEach(function (rect) {
            var groups = layer.itemGroups();
            groups.forEach(function (group) {
                group.selectFunc(false);
                group.showControlsFunc(false);
            });
            groups.forEach(function (group) {
                if (window.withinBounds(rect, group.getFieldItem().group)) {
                    group.selectFunc(true);
                    group.showControlsFunc(true);
                }
            });
            rect.destroy();
        });
        layer.batchDraw();
    };

    window.Animation = Animation;
}(window, Kinetic));
