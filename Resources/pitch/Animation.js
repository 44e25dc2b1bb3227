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

    // What an animation text may hold beyond its signature. Sports and views
    // are those the background layer and its picker can draw; the pitch
    // turns in quarters, and a stored turn is kept within one revolution.
    var FILE_SPORTS = ['gaa', 'soccer', 'rugby'];
    var FILE_VIEWS = ['fullField', 'oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight', 'blank'];
    var FILE_ROTATIONS = [0, 90, 180, 270, -90, -180, -270];
    // Where an item's label stands; a record without the member has it below.
    var FILE_LABEL_PLACES = ['below', 'above'];
    // Bounds a coach never meets, so that no number in a file can make the
    // page build (or the timeline draw) without end: a caption list shorter
    // than the frame count is padded, so the count alone could otherwise
    // ask for millions of frames.
    var FILE_MAX_FRAMES = 500;
    var FILE_MAX_OBJECTS = 200;
    // Positions are fractions of the pitch: a wide band around it, so items
    // dragged off the edge still load, but nothing that overflows when
    // scaled to pixels. Rotations are kept as stored, within this band.
    var FILE_MAX_POSITION = 10;
    var FILE_MAX_ROTATION = 1e6;
    // The editor sizes each type within 0.05 to 2; five times past either
    // end still opens, but nothing so large that its picture or its shirt
    // number cannot be drawn.
    var FILE_MIN_SCALE = 0.01;
    var FILE_MAX_SCALE = 10;
    // Ids are renumbered and stacking indexes sorted on opening: bounds far
    // past any session's, so that neither is a number a draw cannot hold.
    var FILE_MAX_ID = 1e9;
    var FILE_MAX_Z = 1e6;
    // The logo is a picture carried in the file, or one of the page's own.
    // A carried one is checked before it is decoded: its header says how
    // much memory decoding takes.
    var FILE_LOGO_DATA_URL = /^data:image\/(png|jpeg);base64,/;
    var FILE_LOGO_RESOURCE = /^logos\/[A-Za-z0-9_-][A-Za-z0-9_.-]*$/;
    var FILE_LOGO_MAX_LENGTH = 8 * 1024 * 1024;
    var FILE_LOGO_MAX_SIDE = 4096;
    // The host opens no larger file, so no larger text may be saved.
    var FILE_MAX_BYTES = 64 * 1024 * 1024;
    // A name from the file quoted in a reason is cut to this many characters.
    var QUOTED_NAME_LENGTH = 80;

    // Rules for the members of each part of a file, in the order they are
    // written: [member, test of its value, what it must be]. A test gets the
    // value and the whole file. (The tests are function declarations below.)
    var TOP_LEVEL_RULES = [
        ['sport', oneOf(FILE_SPORTS), quoted(FILE_SPORTS)],
        ['showRunningLines', isBoolean, 'true or false'],
        ['background', isObject, 'an object'],
        ['rotation', oneOf(FILE_ROTATIONS), 'a multiple of 90 from -270 to 270'],
        ['gridVisible', isBoolean, 'true or false'],
        ['nFrames', function (v) { return isCountFromOne(v) && v <= FILE_MAX_FRAMES; },
            'a whole number from 1 to ' + FILE_MAX_FRAMES],
        ['selectedFrame', function (v, file) { return isWholeNumber(v) && v >= 0 && v < file.nFrames; },
            function (file) { return 'a whole number from 0 to ' + (file.nFrames - 1); }],
        ['objects', arrayOfAtMost(FILE_MAX_OBJECTS), 'an array of at most ' + FILE_MAX_OBJECTS + ' items'],
        ['frameText', arrayOfAtMost(FILE_MAX_FRAMES), 'an array of at most ' + FILE_MAX_FRAMES + ' captions']
    ];
    var BACKGROUND_RULES = [
        ['type', oneOf(FILE_VIEWS), quoted(FILE_VIEWS)],
        ['showStripes', isBoolean, 'true or false'],
        ['showLogo', isBoolean, 'true or false'],
        ['logoImage', function (v) {
            return isString(v) && (FILE_LOGO_RESOURCE.test(v) || isLogoDataUrl(v));
        }, 'a picture in logos/ or a PNG or JPEG data URL of at most ' + FILE_LOGO_MAX_LENGTH / (1024 * 1024) +
            ' MB and ' + FILE_LOGO_MAX_SIDE + ' x ' + FILE_LOGO_MAX_SIDE + ' pixels']
    ];
    var OBJECT_RULES = [
        ['type', isString, 'a string naming an item type'],
        ['id', countUpTo(FILE_MAX_ID), 'a whole number from 1 to ' + FILE_MAX_ID],
        ['scale', function (v) { return isFiniteNumber(v) && v >= FILE_MIN_SCALE && v <= FILE_MAX_SCALE; },
            'a number from ' + FILE_MIN_SCALE + ' to ' + FILE_MAX_SCALE],
        ['text', isString, 'a string'],
        ['shortLabel', isString, 'a string'],
        ['z', countUpTo(FILE_MAX_Z), 'a whole number from 1 to ' + FILE_MAX_Z],
        ['color', function (v) { return isString(v) && v !== ''; }, 'a colour name'],
        ['frames', Array.isArray, 'an array']
    ];
    // Members an object record may leave out, checked as strictly as the
    // others where it has them.
    var OBJECT_OPTIONAL_RULES = [
        ['labelPlace', oneOf(FILE_LABEL_PLACES), quoted(FILE_LABEL_PLACES)]
    ];
    var FRAME_STATE_RULES = [
        ['x', within(FILE_MAX_POSITION), 'a number from -' + FILE_MAX_POSITION + ' to ' + FILE_MAX_POSITION],
        ['y', within(FILE_MAX_POSITION), 'a number from -' + FILE_MAX_POSITION + ' to ' + FILE_MAX_POSITION],
        ['rotation', within(FILE_MAX_ROTATION), 'a number of degrees from -' + FILE_MAX_ROTATION + ' to ' +
            FILE_MAX_ROTATION]
    ];

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

        this.animLayer = new window.AnimationLayer(this.centerX, this.centerY, maxWidth, maxHeight,
            this.aspectRatio);
        this.animLayer.updateBounds(this.centerX, this.centerY, maxWidth, maxHeight, this.isRotated);
        this.bgLayer = new window.BackgroundLayer(this.centerX, this.centerY, maxWidth, maxHeight,
            this.aspectRatio);
        this.bgLayer.updateBounds(this.centerX, this.centerY, maxWidth, maxHeight, this.isRotated);
        this.drawingLayer = new window.DrawingLayer(this.animLayer);
        this.stage.add(this.bgLayer);
        this.stage.add(this.drawingLayer);
        this.stage.add(this.animLayer);

        this.frameManager = new window.FrameManager(this.animLayer);
        this.frameManager.drawings = this.drawingLayer;
        this.playbackManager = new window.PlaybackManager(this.frameManager);

        this.stage.draw();
        this.drawingEditor = new window.DrawingEditor(this);
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
        var held = this.frameManager.itemCount();
        if (items > 0 && held + items > FILE_MAX_OBJECTS) {
            return 'A drill holds at most ' + FILE_MAX_OBJECTS + ' items, and this one has ' + held +
                (items > 1 ? '; ' + items + ' more would make ' + (held + items) + '.' : ' already.');
        }
        var nFrames = this.frameManager.nFrames;
        if (frames > 0 && nFrames + frames > FILE_MAX_FRAMES) {
            return 'A drill holds at most ' + FILE_MAX_FRAMES + ' frames, and this one has ' + nFrames + ' already.';
        }
        return '';
    };

    // `scale`: a number or "default". The item enters the model at the next
    // save; until then it stands only on the display. It stands upright on
    // screen: equipment pictured from the side does so by itself, whatever
    // the pitch's turn.
    Animation.prototype.addItem = function (type, col1, col2, scale) {
        var layer = this.animLayer;
        var rotation = window.FieldItem.isDrawnFromSide(type) ? 0 : uprightRotation(layer.rotation());
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

    // The logo the coach chose (a picture data URL), when the pitch shows
    // it; '' when it shows none or one of the page's own pictures, which is
    // no club's.
    Animation.prototype.shownClubLogo = function () {
        var bg = this.bgLayer;
        return bg.doShowLogo && FILE_LOGO_DATA_URL.test(bg.logoImage) ? bg.logoImage : '';
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

    // ---- Animation text ---------------------------------------------------

    // What a file needs of the item catalogue's entry for `type`: null for
    // a type the catalogue does not know, else the colours the type can be
    // drawn in (null for a type without colour). The catalogue is the field
    // item's own and refuses a type it does not know, so it is asked with a
    // throw-away item; the answer is kept per type, since a file names the
    // same few types over and over.
    var catalogueEntries = {};

    function catalogueEntry(type) {
        var key = 'type:' + type;
        if (!catalogueEntries.hasOwnProperty(key)) {
            var entry = null;
            try {
                var probe = new window.FieldItem(0, 0, 0, 'default', type, 'default', 'default', 1);
                entry = { colours: probe.nColors > 0 ? probe.availableCols1.slice() : null };
            } catch (e) {
                entry = null;
            }
            catalogueEntries[key] = entry;
        }
        return catalogueEntries[key];
    }

    function isBoolean(value) {
        return typeof value === 'boolean';
    }

    function isString(value) {
        return typeof value === 'string';
    }

    function isCountFromOne(value) {
        return isWholeNumber(value) && value >= 1;
    }

    function countUpTo(limit) {
        return function (value) { return isCountFromOne(value) && value <= limit; };
    }

    function within(limit) {
        return function (value) { return isFiniteNumber(value) && Math.abs(value) <= limit; };
    }

    function arrayOfAtMost(count) {
        return function (value) { return Array.isArray(value) && value.length <= count; };
    }

    function oneOf(list) {
        return function (value) { return list.indexOf(value) !== -1; };
    }

    function quoted(list) {
        return 'one of ' + list.map(function (item) { return JSON.stringify(item); }).join(', ');
    }

    // `name`, taken from a file, quoted for a reason: cut short, so that no
    // file can make the message as long as itself.
    function quotedName(name) {
        return JSON.stringify(window.drawnText(name, QUOTED_NAME_LENGTH));
    }

    // A PNG or JPEG picture, of bounded size, as a data URL. Whatever type
    // the URL names, the engine decodes by the picture's own bytes, so they
    // are what is checked.
    function isLogoDataUrl(value) {
        if (value.length > FILE_LOGO_MAX_LENGTH || !FILE_LOGO_DATA_URL.test(value)) {
            return false;
        }
        var bytes;
        try {
            bytes = window.atob(value.slice(value.indexOf(',') + 1));
        } catch (e) {
            return false;
        }
        var size = window.pictureSize(bytes);
        return !!size && size.width <= FILE_LOGO_MAX_SIDE && size.height <= FILE_LOGO_MAX_SIDE;
    }

    // The first of `rules` that `part` breaks, as a sentence: at the top
    // level 'Member "background.type" must be …' (`prefix` "background."),
    // inside an object record 'Object 2, frame 3: member "x" must be …'
    // (`where` "Object 2, frame 3"). '' when it keeps them all.
    function rulesProblem(part, rules, file, where, prefix) {
        for (var i = 0; i < rules.length; i++) {
            var member = '"' + (prefix || '') + rules[i][0] + '"';
            if (!Object.prototype.hasOwnProperty.call(part, rules[i][0])) {
                return where ? where + ': missing member ' + member : 'Missing member ' + member;
            }
            if (!rules[i][1](part[rules[i][0]], file)) {
                var expected = rules[i][2];
                return (where ? where + ': member ' : 'Member ') + member + ' must be ' +
                    (typeof expected === 'function' ? expected(file) : expected);
            }
        }
        return '';
    }

    // True when `state` keeps FRAME_STATE_RULES (a member it lacks fails
    // its test).
    function isGoodState(state) {
        if (!isObject(state)) {
            return false;
        }
        for (var i = 0; i < FRAME_STATE_RULES.length; i++) {
            if (!FRAME_STATE_RULES[i][1](state[FRAME_STATE_RULES[i][0]])) {
                return false;
            }
        }
        return true;
    }

    // The `index`th object record (from 1) of `file`, with its frame states.
    function objectProblem(record, index, file) {
        var where = 'Object ' + index;
        if (!isObject(record)) {
            return where + ' must be an object';
        }
        var problem = rulesProblem(record, OBJECT_RULES, file, where) ||
            rulesProblem(record, OBJECT_OPTIONAL_RULES.filter(function (rule) {
                return Object.prototype.hasOwnProperty.call(record, rule[0]);
            }), file, where);
        if (problem) {
            return problem;
        }
        var entry = catalogueEntry(record.type);
        if (!entry) {
            return where + ': unknown item type ' + quotedName(record.type);
        }
        // A colour the type has no picture for would leave the item invisible.
        if (entry.colours && record.color !== 'default' && entry.colours.indexOf(record.color) === -1) {
            return where + ': colour ' + quotedName(record.color) + ' is not one of the colours of ' +
                quotedName(record.type);
        }
        if (record.frames.length !== file.nFrames) {
            return where + ': frames has ' + record.frames.length + ' entries, expected ' + file.nFrames;
        }
        for (var f = 0; f < record.frames.length; f++) {
            var state = record.frames[f];
            // A large drill has tens of thousands of states: the common,
            // good one is passed at once, and only a bad one is looked at
            // rule by rule for the reason.
            if (isGoodState(state)) {
                continue;
            }
            var stateWhere = where + ', frame ' + (f + 1);
            problem = isObject(state) ? rulesProblem(state, FRAME_STATE_RULES, file, stateWhere) :
                stateWhere + ' must be an object';
            if (problem) {
                return problem;
            }
        }
        return '';
    }

    // The first reason why `file`, a parsed text that carries the
    // signature, cannot be loaded as a whole, naming the member at fault;
    // '' when it can. Everything the loader reads is checked here, before
    // anything changes, so a refused file leaves the editor as it was.
    // `msgVersion` is not read and so not checked, nor are members the
    // format does not have. A caption count other than the frame count is
    // no reason: the frame model reports it and loads the file all the same.
    function animationTextProblem(file) {
        var problem = rulesProblem(file, TOP_LEVEL_RULES, file) ||
            rulesProblem(file.background, BACKGROUND_RULES, file, '', 'background.');
        for (var k = 0; !problem && k < file.objects.length; k++) {
            problem = objectProblem(file.objects[k], k + 1, file);
        }
        for (var c = 0; !problem && c < file.frameText.length; c++) {
            if (!isString(file.frameText[c])) {
                problem = 'Caption ' + (c + 1) + ' in "frameText" must be a string';
            }
        }
        // A file from before drawings has none: the member is optional.
        if (!problem && Object.prototype.hasOwnProperty.call(file, 'drawings')) {
            problem = window.DrawingModel.drawingsProblem(file.drawings, file.nFrames);
        }
        // So is one from before steps had timings of their own.
        if (!problem && Object.prototype.hasOwnProperty.call(file, 'frameDurations')) {
            problem = window.FrameTiming.durationsProblem(file.frameDurations, file.nFrames);
        }
        return problem;
    }

    // The value `text` holds, or undefined (which JSON cannot hold) when it
    // is not JSON text.
    function parseJson(text) {
        if (typeof text !== 'string') {
            return undefined;
        }
        try {
            return JSON.parse(text);
        } catch (e) {
            return undefined;
        }
    }

    // For the page tests, which check every rule on its own.
    Animation.animationTextProblem = animationTextProblem;

    // How many bytes `text` takes as UTF-8 (as the host writes it), counted
    // only as far as needed to tell whether it is over `limit`.
    function isWithinBytes(text, limit) {
        if (text.length * 3 <= limit) {
            return true;
        }
        return text.length <= limit && unescape(encodeURIComponent(text)).length <= limit;
    }

    // Why opening `text`, an animation text about to be saved, would refuse
    // it; '' when it would open. Checked before anything is written, so that
    // a save never leaves a file that no longer opens.
    Animation.savedTextProblem = function (text) {
        var settings = parseJson(text);
        if (settings === undefined) {
            return ERROR_PARSING;
        }
        if (!isObject(settings) || settings.msgType !== FILE_SIGNATURE) {
            return ERROR_SIGNATURE;
        }
        return animationTextProblem(settings) || (isWithinBytes(text, FILE_MAX_BYTES) ? '' :
            'The drill is larger than ' + FILE_MAX_BYTES / (1024 * 1024) + ' MB, the most a file may hold');
    };

    // Nearly every text has no surrogate at all, and a search costs far
    // less than a replacement that finds nothing.
    var ANY_SURROGATE = /[\uD800-\uDFFF]/;

    // JSON text holds any string, but a lone half of a surrogate pair
    // written raw cannot be encoded as UTF-8 and comes back as "?": it is
    // written as an escape instead, which reads back exactly.
    function escapeLoneSurrogates(json) {
        if (!ANY_SURROGATE.test(json)) {
            return json;
        }
        return json.replace(/[\uD800-\uDBFF][\uDC00-\uDFFF]|[\uD800-\uDFFF]/g, function (match) {
            return match.length === 2 ? match : '\\u' + match.charCodeAt(0).toString(16);
        });
    }

    // Where the text is cut into parts: the selected frame and the object
    // records stand together in the middle of it, and the members before
    // them hold no text of the coach's, so this can stand nowhere else.
    var SELECTED_FRAME_KEY = '"selectedFrame":';
    var PARTS_SLOT = SELECTED_FRAME_KEY + '0,"objects":[]';

    // The animation text in parts: `head` (up to the selected frame),
    // `selectedFrame`, `objects` (one compact JSON text per object record)
    // and `tail` (the captions to the end); Animation.textFromParts joins
    // them into exactly the text saveToString gives. Object records are
    // written as the frame model holds them: in its own member order, or as
    // an opened file had them. During playback the items stand at
    // in-between places, so only then is the display not saved first (the
    // model was saved when playback started).
    Animation.prototype.textParts = function () {
        var frames = this.frameManager;
        var bg = this.bgLayer;
        if (!this.playbackManager.isPlaying) {
            frames.saveFrame();
        }
        var file = {
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
            selectedFrame: 0,
            objects: [],
            frameText: frames.frameText
        };
        // Written only when there are drawings, so a drill without them is
        // saved exactly as before there were any.
        if (this.drawingLayer.model.count() > 0) {
            file.drawings = this.drawingLayer.model.records();
        }
        // Last, and only when a step is held longer or shorter than a
        // second, for the same reason.
        if (!window.FrameTiming.isDefault(frames.frameDurations)) {
            file.frameDurations = frames.frameDurations;
        }
        var text = JSON.stringify(file);
        var at = text.indexOf(PARTS_SLOT);
        return {
            head: escapeLoneSurrogates(text.slice(0, at)),
            selectedFrame: frames.selectedFrame,
            objects: frames.objects.map(function (record) {
                return frames.recordText(record, recordText);
            }),
            tail: escapeLoneSurrogates(text.slice(at + PARTS_SLOT.length))
        };
    };

    function recordText(record) {
        return escapeLoneSurrogates(JSON.stringify(record));
    }

    Animation.textFromParts = function (parts) {
        return parts.head + SELECTED_FRAME_KEY + parts.selectedFrame + ',"objects":[' +
            parts.objects.join(',') + ']' + parts.tail;
    };

    // True when `text` is exactly the text `parts` join into; compared in
    // place, without joining a text that may be megabytes long.
    Animation.partsAreText = function (parts, text) {
        var at = 0;
        function next(piece) {
            if (!text.startsWith(piece, at)) {
                return false;
            }
            at += piece.length;
            return true;
        }
        if (!next(parts.head) || !next(SELECTED_FRAME_KEY + parts.selectedFrame + ',"objects":[')) {
            return false;
        }
        for (var i = 0; i < parts.objects.length; i++) {
            if ((i > 0 && !next(',')) || !next(parts.objects[i])) {
                return false;
            }
        }
        return next(']') && next(parts.tail) && at === text.length;
    };

    // Where the selected frame's number stands in `text`, an animation text
    // this page wrote: the one stretch of it that says only which frame the
    // coach had on show. No member before it holds text of the coach's, so
    // the first match is the member itself. null when there is none.
    Animation.selectedFrameSpan = function (text) {
        var key = text.indexOf(SELECTED_FRAME_KEY);
        var digits = key === -1 ? null : /^\d+/.exec(text.substr(key + SELECTED_FRAME_KEY.length, 8));
        return digits ? { at: key + SELECTED_FRAME_KEY.length, length: digits[0].length } : null;
    };

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
        var settings = parseJson(jsonStr);
        if (settings === undefined) {
            return ERROR_PARSING;
        }
        if (!isObject(settings) || settings.msgType !== FILE_SIGNATURE) {
            return ERROR_SIGNATURE;
        }
        var problem = animationTextProblem(settings);
        if (problem) {
            return problem;
        }

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
            settings = JSON.parse(parts.head + PARTS_SLOT + parts.tail);
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
        if (bg.sportType !== settings.sport || bg.bgType !== background.type ||
                bg.showStripes !== background.showStripes) {
            bg.setBackground(settings.sport, background.type, background.showStripes);
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
        var group = window.createFieldItemGroup(at.x, at.y, props.rotation, props.scale, props.type,
            props.col1, props.col2, this.frameManager.generateUniqueId(), props.text, props.shortLabel,
            layer.layerScale, layer.rotation());
        if (props.labelPlace && props.labelPlace !== group.getLabelPlace()) {
            group.setLabelPlace(props.labelPlace);
        }
        layer.add(group);
        group.setControlsPosition();
        return group;
    };

    // ---- Rubber-band selection ----------------------------------------------

    // Pressing the bare pitch, or the margin beside it, starts a selection
    // rectangle; moving stretches it (never beyond the pitch); releasing
    // selects every item wholly inside it and nothing else, so a click on
    // the bare pitch or the margin deselects all. Moves and releases are
    // taken from the stage's own pointer events, which come wherever the
    // pointer is, over an item, the rectangle or beside the pitch.
    Animation.prototype.installSelectionHandlers = function () {
        var self = this;
        // Kinetic passes a press to the shape under it, if any, before the
        // stage's own content event: a press that reached no shape is one on
        // the margin. The margin follows the pitch: while the pitch does not
        // listen (playback, an overlay), neither does the margin.
        var pressedShape = false;
        this.stage.on('mousedown touchstart', function () {
            pressedShape = true;
        });
        this.stage.on('contentMousedown contentTouchstart', function (evt) {
            var onMargin = !pressedShape;
            pressedShape = false;
            if (onMargin && self.bgLayer.isListening()) {
                self.startSelection(evt && evt.evt);
            }
        });
        this.bgLayer.on('mousedown touchstart', function (evt) {
            self.startSelection(evt && evt.evt);
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

    // A press the drawing editor takes (drawing, or on a drawing) starts
    // no rectangle.
    // `pointer`: the DOM event, whose Shift or Ctrl toggles a drawing.
    Animation.prototype.startSelection = function (pointer) {
        var pos = window.getMousePosOnLayer(this.animLayer);
        var toggles = !!pointer && !!(pointer.shiftKey || pointer.ctrlKey || pointer.metaKey);
        if (!pos || this.drawingEditor.press({ x: pos.x, y: pos.y }, toggles)) {
            return;
        }
        this.animLayer.clipToBounds(pos);
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
        var editor = this.drawingEditor;
        var rects = this.selectionRectangles();
        if (rects.length === 0) {
            return;
        }
        rects.forEach(function (rect) {
            editor.selectWithin({ x: rect.x(), y: rect.y(), width: rect.width(), height: rect.height() });
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
