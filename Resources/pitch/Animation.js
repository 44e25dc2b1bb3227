// The pitch view: one stage with a white backing for print, the pitch
// background and the animation layer, together with the frame model and the
// playback manager. It keeps the pitch at 4:3 inside whatever space it is
// given, turns the whole pitch in quarter turns, adds new items where there
// is room, and selects items with a rubber-band rectangle dragged out on the
// bare pitch (Animation.selection.js). It opens and saves its drill as
// text through DrillFile, which holds the format. The page has two: the
// editor's, and the image generator's off-screen one.
(function (window, Kinetic) {
    'use strict';

    var ASPECT_RATIO = 4 / 3;
    var DEFAULT_SPORT = 'gaa';
    var WHITE_LAYER_NAME = 'whiteLayer';
    var WHITE_FILL = 'white';

    function checkSpace(caller, maxWidth, maxHeight) {
        if (!window.isPositiveNumber(maxWidth) || !window.isPositiveNumber(maxHeight)) {
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

        this.animLayer = new window.AnimationLayer(this.centerX, this.centerY, maxWidth, maxHeight,
            this.aspectRatio);
        this.animLayer.updateBounds(this.centerX, this.centerY, maxWidth, maxHeight, this.isRotated);
        this.bgLayer = new window.BackgroundLayer(this.centerX, this.centerY, maxWidth, maxHeight,
            this.aspectRatio);
        this.bgLayer.updateBounds(this.centerX, this.centerY, maxWidth, maxHeight, this.isRotated);
        this.drawingLayer = new window.DrawingLayer(this.animLayer);
        this.animLayer.labelLayout.watchDrawings(this.drawingLayer);
        this.stage.add(this.bgLayer);
        this.stage.add(this.drawingLayer);
        this.stage.add(this.animLayer);

        this.frameManager = new window.FrameManager(this.animLayer);
        this.frameManager.drawings = this.drawingLayer;
        this.playbackManager = new window.PlaybackManager(this.frameManager);

        this.stage.draw();
        this.drawingEditor = new window.DrawingEditor(this);
        this.letHandlesTakePresses();
        this.installSelectionHandlers();
    }

    // During playback the items stand at interpolated places: the view is
    // refitted (they keep those places relative to the pitch) but nothing is
    // saved, and the running lines are those of the frame playback is in.
    Animation.prototype.updateBounds = function (centerX, centerY, maxWidth, maxHeight) {
        this.refit(centerX, centerY, maxWidth, maxHeight);
        this.stage.draw();
    };

    // updateBounds without the drawing, for callers that draw once at the end.
    // The layers carry the items through the new size as fractions of the
    // old one, which can come out a last digit off: the display is saved
    // first, and the items are then put back at the places stored, so that
    // a turn of the pitch or a resize is never a change to the drill.
    Animation.prototype.refit = function (centerX, centerY, maxWidth, maxHeight) {
        var frames = this.frameManager;
        if (this.playbackManager.isPlaying) {
            this.fitLayers(centerX, centerY, maxWidth, maxHeight);
            frames.updateRunningLines(this.playbackManager.currentPlaybackFrame);
            return;
        }
        frames.saveFrame();
        this.fitLayers(centerX, centerY, maxWidth, maxHeight);
        frames.placeShownItems();
        frames.updateRunningLines(frames.selectedFrame);
    };

    // The stage and both pitch layers fitted to the space, the items carried
    // along at their places on the pitch; the frame model is not touched.
    Animation.prototype.fitLayers = function (centerX, centerY, maxWidth, maxHeight) {
        checkSpace('Animation.updateBounds', maxWidth, maxHeight);
        this.centerX = centerX;
        this.centerY = centerY;
        this.maxWidth = maxWidth;
        this.maxHeight = maxHeight;
        // Kinetic sizes every layer's canvases afresh even to the size they
        // have, which costs more than the rest of a turn of the pitch.
        if (this.stage.width() !== maxWidth || this.stage.height() !== maxHeight) {
            this.stage.size({ width: maxWidth, height: maxHeight });
        }
        this.whiteRect.size({ width: maxWidth, height: maxHeight });
        this.bgLayer.updateBounds(centerX, centerY, maxWidth, maxHeight, this.isRotated);
        this.animLayer.updateBounds(centerX, centerY, maxWidth, maxHeight, this.isRotated);
        this.drawingLayer.fit();
    };

    // Why the drill cannot take `items` more items and `frames` more frames
    // (whole numbers of at least 0) and still be saved and opened again;
    // '' when it can. Every way a drill grows asks first: a drill past what
    // a file may hold could be neither saved nor exported.
    Animation.prototype.growthProblem = function (items, frames) {
        var maxItems = window.DrillFile.MAX_OBJECTS;
        var maxFrames = window.DrillFile.MAX_FRAMES;
        var held = this.frameManager.itemCount();
        if (items > 0 && held + items > maxItems) {
            return 'A drill holds at most ' + maxItems + ' items, and this one has ' + held +
                (items > 1 ? '; ' + items + ' more would make ' + (held + items) + '.' : ' already.');
        }
        var nFrames = this.frameManager.nFrames;
        if (frames > 0 && nFrames + frames > maxFrames) {
            return 'A drill holds at most ' + maxFrames + ' frames, and this one has ' + nFrames + ' already.';
        }
        return '';
    };

    // `scale`: a number or "default". The item enters the model at the next
    // save; until then it stands only on the display. It stands upright on
    // screen: equipment pictured from the side does so by itself, whatever
    // the pitch's turn. It goes where there is room, or at `at` (layer
    // pixels) when given.
    Animation.prototype.addItem = function (type, col1, col2, scale, at) {
        var layer = this.animLayer;
        var rotation = window.FieldItem.isDrawnFromSide(type) ? 0 : uprightRotation(layer.rotation());
        var group = new window.FieldItemGroup(layer.layerWidth / 2, layer.layerHeight / 2, rotation,
            scale, type, col1, col2, this.frameManager.generateUniqueId(), '', '',
            layer.layerScale, layer.rotation());
        var item = group.getFieldItem().group;
        var pos = at || layer.findSpaceForItem(item.width(), item.height());
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

    Animation.prototype.setCaption = function (text) {
        this.animLayer.setCaption(text);
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

    // The logo the coach chose (a picture data URL), when the pitch shows
    // it; '' when it shows none or one of the page's own pictures, which is
    // no club's.
    Animation.prototype.shownClubLogo = function () {
        var bg = this.bgLayer;
        return bg.doShowLogo && window.DrillFile.isCarriedLogo(bg.logoImage) ? bg.logoImage : '';
    };

    Animation.prototype.setDrawForPrint = function (doDrawForPrint) {
        this.whiteLayer.visible(!!doDrawForPrint);
        this.bgLayer.setDrawForPrint(!!doDrawForPrint);
        this.animLayer.drawForPrint = !!doDrawForPrint;
        this.drawingLayer.setDrawForPrint(!!doDrawForPrint);
        this.whiteLayer.draw();
        this.drawingLayer.draw();
    };

    Animation.prototype.toDataURL = function (config) {
        return this.stage.toDataURL(config);
    };

    // The animation text in parts (DrillFile.textParts) of what the view
    // shows. During playback the items stand at in-between places, so only
    // then is the display not saved first (the model was saved when
    // playback started).
    Animation.prototype.textParts = function () {
        var frames = this.frameManager;
        var bg = this.bgLayer;
        if (!this.playbackManager.isPlaying) {
            frames.saveFrame();
        }
        return window.DrillFile.textParts({
            sport: this.sport,
            showRunningLines: this.animLayer.showRunningLines,
            background: {
                type: bg.bgType,
                showStripes: bg.showStripes,
                showLogo: bg.doShowLogo,
                logoImage: bg.logoImage,
                markings: bg.markings
            },
            rotation: this.animLayer.rotation() % 360,
            gridVisible: bg.gridVisibility()
        }, frames, this.drawingLayer.model);
    };

    // The shell reads, joins and compares texts through the view it shows
    // them in; the format itself is DrillFile's.
    Animation.savedTextProblem = window.DrillFile.savedTextProblem;
    Animation.textFromParts = window.DrillFile.textFromParts;
    Animation.partsAreText = window.DrillFile.partsAreText;
    Animation.selectedFrameSpan = window.DrillFile.selectedFrameSpan;

    // One line of compact JSON, members in the file's order.
    Animation.prototype.saveToString = function () {
        return Animation.textFromParts(this.textParts());
    };

    // Replaces the whole animation with the one in `jsonStr` and returns
    // true, or, when the text is not JSON, not an animation, or an
    // animation with a member missing or of the wrong kind, raises
    // errorOpeningFile with the reason, changes nothing at all and returns
    // false. Items are numbered afresh unless `keepIds` is set (an undo
    // brings back the very text it saved, ids and all).
    Animation.prototype.loadFromString = function (jsonStr, keepIds) {
        var problem = this.loadText(jsonStr, keepIds);
        if (problem) {
            window.myDispatchEvent('errorOpeningFile', { errorInfo: problem });
            return false;
        }
        return true;
    };

    // loadFromString for callers that report a refusal in their own way (the
    // image generator's exports): returns why the text was refused, having
    // changed nothing, or '' once it is loaded. Nothing is raised.
    Animation.prototype.loadText = function (jsonStr, keepIds) {
        var read = window.DrillFile.read(jsonStr);
        if (read.problem) {
            return read.problem;
        }
        var settings = read.settings;

        // A file can arrive while playing (dropped, say): playback is over
        // before its frames go. The old items go first, or turning the
        // pitch would refit and save them only for them to be replaced.
        this.playbackManager.stop();
        this.frameManager.clearAnimation();

        // The pitch on show is kept as it is when the file has the same one:
        // building it again only draws it afresh. Nothing is drawn until
        // everything is in place.
        var pitch = this.applyPitchSettings(settings);
        this.drawingLayer.model.load(settings.drawings);
        this.frameManager.loadSettings(settings, keepIds, true);
        this.applyToggles(settings);
        if (pitch.changed) {
            this.stage.draw();
        } else {
            this.drawingLayer.draw();
            this.animLayer.draw();
        }
        return '';
    };

    // Puts back `parts`, an earlier textParts of this animation, in place
    // of `shown`, the textParts of what is on screen now (an undo or a
    // redo), as loading their text would, but reading and rebuilding only
    // what differs: a large drill undoes a drag, a resize of every item or
    // a turn of the pitch at once. Records whose text is unchanged are
    // reused, and so are their groups while the pitch keeps its turn and
    // the frame on show stays. Not during playback.
    Animation.prototype.loadParts = function (parts, shown) {
        var frames = this.frameManager;
        var keepGroups = parts.selectedFrame === shown.selectedFrame;
        var settings = null;
        if (parts.head !== shown.head || parts.tail !== shown.tail) {
            settings = window.DrillFile.headSettings(parts);
            keepGroups = !this.applyPitchSettings(settings).turned && keepGroups;
            frames.nFrames = settings.nFrames;
            frames.frameText = settings.frameText.slice();
            frames.frameDurations = window.FrameManager.durationsOf(settings);
            this.drawingLayer.model.load(settings.drawings);
        }
        var recordOf = {};
        shown.objects.forEach(function (objectText, i) {
            recordOf[objectText.length] = recordOf[objectText.length] || [];
            recordOf[objectText.length].push({ text: objectText, record: frames.objects[i] });
        });
        var keep = {};
        var objects = parts.objects.map(function (objectText) {
            var candidates = recordOf[objectText.length] || [];
            for (var i = 0; i < candidates.length; i++) {
                if (candidates[i].text === objectText) {
                    var record = candidates.splice(i, 1)[0].record;
                    if (keepGroups) {
                        keep[record.id] = true;
                    }
                    return record;
                }
            }
            var read = JSON.parse(objectText);
            frames.keepRecordText(read, objectText);
            return read;
        });
        frames.replaceObjects(objects, parts.selectedFrame, keep);
        if (settings) {
            this.applyToggles(settings);
        }
        this.bgLayer.batchDraw();
    };

    // The pitch of `settings` (a parsed animation text of this page's):
    // sport, view, logo, turn and grid, each set only when it differs.
    // Returns { changed, turned }: whether any of them was set, and whether
    // the pitch turned, which moves every item.
    Animation.prototype.applyPitchSettings = function (settings) {
        var bg = this.bgLayer;
        var background = settings.background;
        var changed = false;
        this.sport = settings.sport;
        var markings = background.markings || window.BackgroundLayer.GAA_MARKINGS[0];
        if (bg.sportType !== settings.sport || bg.bgType !== background.type ||
                bg.showStripes !== background.showStripes || bg.markings !== markings) {
            bg.setBackground(settings.sport, background.type, background.showStripes, markings);
            changed = true;
        }
        if (bg.logoImage !== background.logoImage) {
            bg.setLogoImage(background.logoImage);
            changed = true;
        }
        // The display is not saved on the way: the records about to be
        // shown are the snapshot's own, and items carried through the turn
        // can come out a last digit off.
        var turned = this.animLayer.rotation() !== settings.rotation;
        if (turned) {
            this.animLayer.rotation(settings.rotation);
            bg.rotation(settings.rotation);
            this.isRotated = settings.rotation % 180 !== 0;
            this.fitLayers(this.centerX, this.centerY, this.maxWidth, this.maxHeight);
        }
        if (bg.gridVisibility() !== settings.gridVisible) {
            bg.showGrid(settings.gridVisible);
            changed = true;
        }
        return { changed: changed || turned, turned: turned };
    };

    // Running lines and logo on or off as `settings` has them, once the
    // items are in place.
    Animation.prototype.applyToggles = function (settings) {
        if (this.animLayer.showRunningLines !== settings.showRunningLines) {
            this.toggleRunningLines();
        }
        if (this.bgLayer.doShowLogo !== settings.background.showLogo) {
            this.toggleLogo();
        }
    };

    // Adds an item like the one whose properties (fieldItemGroup's
    // getProperties) are `props`, at the pitch fractions `pos`, in every
    // frame; used to paste copied items. Returns its group.
    Animation.prototype.addItemLike = function (props, pos) {
        var layer = this.animLayer;
        var at = layer.pixelPos(pos);
        var group = new window.FieldItemGroup(at.x, at.y, props.rotation, props.scale, props.type,
            props.col1, props.col2, this.frameManager.generateUniqueId(), props.text, props.shortLabel,
            layer.layerScale, layer.rotation());
        if (props.labelPlace && props.labelPlace !== group.getLabelPlace()) {
            group.setLabelPlace(props.labelPlace);
        }
        layer.add(group);
        group.setControlsPosition();
        return group;
    };

    window.Animation = Animation;
}(window, Kinetic));
