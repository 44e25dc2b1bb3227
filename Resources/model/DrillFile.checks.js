// The drill file's checks: what each member of an animation text may hold,
// as rules of [member, test, what it must be], and the first reason a parsed
// text breaks them, naming the member at fault. Adds DrillFile.textProblem,
// and the bounds the editor keeps a drill within, to DrillFile.js, which
// reads and writes the text.
(function (window, DrillFile) {
    'use strict';

    // What an animation text may hold beyond its signature. Sports and views
    // are those the background layer and its picker can draw; the pitch
    // turns in quarters, and a stored turn is kept within one revolution.
    var FILE_SPORTS = ['gaa', 'soccer', 'rugby'];
    var FILE_VIEWS = ['fullField', 'oneEnd', 'penaltyArea', 'penaltyAreaLeft', 'penaltyAreaRight', 'blank'];
    var FILE_ROTATIONS = [0, 90, 180, 270, -90, -180, -270];
    // The codes a Gaelic pitch is marked for.
    var FILE_MARKINGS = ['football', 'hurling'];
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
    // A file from before hurling markings has none: the member is optional.
    var BACKGROUND_OPTIONAL_RULES = [
        ['markings', oneOf(FILE_MARKINGS), quoted(FILE_MARKINGS)]
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
        ['labelPlace', oneOf(FILE_LABEL_PLACES), quoted(FILE_LABEL_PLACES)],
        ['firstFrame', isFrameOf, aFrameOf],
        ['lastFrame', isFrameOf, aFrameOf],
        ['bends', isBendList, aBendList],
        ['holders', isHolderList, aHolderList]
    ];
    var FRAME_STATE_RULES = [
        ['x', within(FILE_MAX_POSITION), 'a number from -' + FILE_MAX_POSITION + ' to ' + FILE_MAX_POSITION],
        ['y', within(FILE_MAX_POSITION), 'a number from -' + FILE_MAX_POSITION + ' to ' + FILE_MAX_POSITION],
        ['rotation', within(FILE_MAX_ROTATION), 'a number of degrees from -' + FILE_MAX_ROTATION + ' to ' +
            FILE_MAX_ROTATION]
    ];

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

    // A frame index of the file: its frames are counted from 0.
    function isFrameOf(value, file) {
        return isWholeNumber(value) && value >= 0 && value < file.nFrames;
    }

    function aFrameOf(file) {
        return 'a whole number from 0 to ' + (file.nFrames - 1) + ', a frame of the drill counted from 0';
    }

    // One per step: null, straight, or the { x, y } the step bends through.
    function isBendList(value, file) {
        return Array.isArray(value) && value.length === file.nFrames - 1 && value.every(function (bend) {
            return bend === null || (isObject(bend) && Object.keys(bend).length === 2 &&
                within(FILE_MAX_POSITION)(bend.x) && within(FILE_MAX_POSITION)(bend.y));
        });
    }

    function aBendList(file) {
        return 'an array of ' + (file.nFrames - 1) + ' bends, one for each step: null, or { "x", "y" } each a number ' +
            'from -' + FILE_MAX_POSITION + ' to ' + FILE_MAX_POSITION;
    }

    // One per frame: null, or the id of the player holding the ball.
    function isHolderList(value, file) {
        return Array.isArray(value) && value.length === file.nFrames && value.every(function (id) {
            return id === null || countUpTo(FILE_MAX_ID)(id);
        });
    }

    function aHolderList(file) {
        return 'an array of ' + file.nFrames + ' holders, one for each frame: null, or the id of a player';
    }

    // A ball's holders must be players of the same file.
    function holdersProblem(record, file, where) {
        if (!record.holders) {
            return '';
        }
        if (window.FrameManager.BALL_TYPES.indexOf(record.type) === -1) {
            return where + ': member "holders" belongs to a ball, not to ' + quotedName(record.type);
        }
        for (var k = 0; k < record.holders.length; k++) {
            var id = record.holders[k];
            var holder = id === null ? null : file.objects.filter(function (o) { return isObject(o) && o.id === id; })[0];
            if (id !== null && (!holder || window.FrameManager.HOLDER_TYPES.indexOf(holder.type) === -1)) {
                return where + ': member "holders" names ' + id + ' in frame ' + (k + 1) + ', which is not a player';
            }
        }
        return '';
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

    // The rules of members `part` may leave out that it has.
    function presentOf(part, rules) {
        return rules.filter(function (rule) {
            return Object.prototype.hasOwnProperty.call(part, rule[0]);
        });
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
            rulesProblem(record, presentOf(record, OBJECT_OPTIONAL_RULES), file, where);
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
        if ((record.firstFrame || 0) > (Object.prototype.hasOwnProperty.call(record, 'lastFrame') ?
            record.lastFrame : file.nFrames - 1)) {
            return where + ': member "lastFrame" must not come before "firstFrame"';
        }
        problem = holdersProblem(record, file, where);
        if (problem) {
            return problem;
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
            rulesProblem(file.background, BACKGROUND_RULES, file, '', 'background.') ||
            rulesProblem(file.background, presentOf(file.background, BACKGROUND_OPTIONAL_RULES), file, '',
                'background.');
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

    DrillFile.textProblem = animationTextProblem;
    // The most a drill may hold, which the editor asks before it grows.
    DrillFile.MAX_OBJECTS = FILE_MAX_OBJECTS;
    DrillFile.MAX_FRAMES = FILE_MAX_FRAMES;

    // True when `image`, a logo, is a picture carried in the file rather
    // than one of the page's own.
    DrillFile.isCarriedLogo = function (image) {
        return FILE_LOGO_DATA_URL.test(image);
    };
}(window, window.DrillFile));
