// The drawings on the pitch: passes, runs, dribbles and plain lines, shaded
// zones and short notes. Each is a record that belongs to a span of frames,
// from `first` to `last`, and stands at places given as fractions of the
// pitch layer, as items' positions are. The model keeps the records, checks
// them as the loader checks items, follows frames being added and removed,
// and says how strongly a drawing shows at a moment of playback.
//
// Drawing record (members in the order they are written):
// { kind, style, color, fill, rotation, points: [{x, y}, ...], first, last,
//   text }
(function (window) {
    'use strict';

    var FRAME_MS = 1000;
    // A drawing fades in over the fifth of a second before its first frame
    // begins and out over the fifth before its last frame ends: every frame
    // itself (the still editor, a report's picture) shows exactly the
    // drawings whose span covers it, at full strength.
    var FADE_MS = 200;

    var KINDS = {
        pass: { styles: ['straight', 'curved'] },
        run: { styles: ['straight', 'curved'] },
        dribble: { styles: ['straight', 'curved'] },
        line: { styles: ['straight', 'curved'] },
        zone: { styles: ['rectangle', 'ellipse'] },
        note: { styles: ['plain'] }
    };
    var KIND_NAMES = Object.keys(KINDS);
    // How many points each style is drawn through: a line's two ends (and
    // its bend between them when curved), a zone's two opposite corners, a
    // note's middle.
    var POINT_COUNTS = { straight: 2, curved: 3, rectangle: 2, ellipse: 2, plain: 1 };
    var COLORS = ['white', 'yellow', 'red', 'blue', 'black', 'orange'];

    var MAX_DRAWINGS = 500;
    var MAX_POINTS = 64;
    var MAX_TEXT = 200;
    // The same band as items' positions: a drawing dragged off the pitch
    // still loads, but nothing overflows when scaled to pixels.
    var MAX_POSITION = 10;
    var MAX_ROTATION = 360;

    function quoted(list) {
        return 'one of ' + list.map(function (item) { return JSON.stringify(item); }).join(', ');
    }

    // [member, test of its value (given the record and the frame count),
    // what it must be], in the order the members are written.
    var RULES = [
        ['kind', function (v) { return KIND_NAMES.indexOf(v) !== -1; }, quoted(KIND_NAMES)],
        ['style', function (v, d) { return KINDS[d.kind].styles.indexOf(v) !== -1; },
            function (d) { return quoted(KINDS[d.kind].styles); }],
        ['color', function (v) { return COLORS.indexOf(v) !== -1; }, quoted(COLORS)],
        ['fill', function (v) { return isFiniteNumber(v) && v >= 0 && v <= 1; }, 'a number from 0 to 1'],
        ['rotation', function (v) { return isFiniteNumber(v) && Math.abs(v) <= MAX_ROTATION; },
            'a number of degrees from -' + MAX_ROTATION + ' to ' + MAX_ROTATION],
        ['points', function (v, d) {
            return Array.isArray(v) && v.length <= MAX_POINTS && v.length === POINT_COUNTS[d.style] &&
                v.every(isGoodPoint);
        }, function (d) {
            return 'an array of ' + POINT_COUNTS[d.style] + ' points {"x", "y"}, each a number from -' +
                MAX_POSITION + ' to ' + MAX_POSITION;
        }],
        ['first', function (v, d, nFrames) { return isWholeNumber(v) && v >= 0 && v < nFrames; },
            function (d, nFrames) { return 'a whole number from 0 to ' + (nFrames - 1); }],
        ['last', function (v, d, nFrames) { return isWholeNumber(v) && v >= d.first && v < nFrames; },
            function (d, nFrames) { return 'a whole number from "first" to ' + (nFrames - 1); }],
        ['text', function (v, d) {
            return typeof v === 'string' && v.length <= MAX_TEXT && (d.kind === 'note') === (v !== '');
        }, function (d) {
            return d.kind === 'note' ? 'a text of 1 to ' + MAX_TEXT + ' characters' : '""';
        }]
    ];

    function isGoodPoint(point) {
        return isObject(point) && isFiniteNumber(point.x) && Math.abs(point.x) <= MAX_POSITION &&
            isFiniteNumber(point.y) && Math.abs(point.y) <= MAX_POSITION;
    }

    // Why the `index`th drawing (from 1) cannot be loaded in a drill of
    // `nFrames` frames; '' when it can.
    function drawingProblem(drawing, index, nFrames) {
        var where = 'Drawing ' + index + ' in "drawings"';
        if (!isObject(drawing)) {
            return where + ' must be an object';
        }
        for (var i = 0; i < RULES.length; i++) {
            var member = RULES[i][0];
            if (!Object.prototype.hasOwnProperty.call(drawing, member)) {
                return where + ': missing member "' + member + '"';
            }
            if (!RULES[i][1](drawing[member], drawing, nFrames)) {
                var expected = RULES[i][2];
                return where + ': member "' + member + '" must be ' +
                    (typeof expected === 'function' ? expected(drawing, nFrames) : expected);
            }
        }
        return '';
    }

    // Why `drawings`, the member of a file of `nFrames` frames, cannot be
    // loaded; '' when it can.
    function drawingsProblem(drawings, nFrames) {
        if (!Array.isArray(drawings) || drawings.length > MAX_DRAWINGS) {
            return 'Member "drawings" must be an array of at most ' + MAX_DRAWINGS + ' drawings';
        }
        for (var k = 0; k < drawings.length; k++) {
            var problem = drawingProblem(drawings[k], k + 1, nFrames);
            if (problem) {
                return problem;
            }
        }
        return '';
    }

    // A record with the members in the order they are written, and nothing
    // else: what a file held, or what the editor made.
    function copyDrawing(d) {
        return {
            kind: d.kind,
            style: d.style,
            color: d.color,
            fill: d.fill,
            rotation: d.rotation,
            points: d.points.map(function (p) { return { x: p.x, y: p.y }; }),
            first: d.first,
            last: d.last,
            text: d.text
        };
    }

    // How strongly a drawing spanning frames `first` to `last` shows at
    // `timeMs` from the first frame: 1 through its span, fading to 0 over
    // FADE_MS before its first frame begins and before its last one ends.
    function opacityAt(drawing, timeMs) {
        var start = drawing.first * FRAME_MS;
        var end = (drawing.last + 1) * FRAME_MS;
        var rising = (timeMs - (start - FADE_MS)) / FADE_MS;
        var falling = (end - timeMs) / FADE_MS;
        return Math.max(0, Math.min(1, rising, falling));
    }

    function DrawingModel() {
        if (!(this instanceof DrawingModel)) {
            throw new Error('DrawingModel must be called with new');
        }
        this.drawings = [];
        // Counts the changes, so that a view can tell it is behind.
        this.version = 0;
    }

    DrawingModel.KINDS = KIND_NAMES;
    DrawingModel.COLORS = COLORS;
    DrawingModel.MAX_DRAWINGS = MAX_DRAWINGS;
    DrawingModel.drawingsProblem = drawingsProblem;
    DrawingModel.opacityAt = opacityAt;
    DrawingModel.styles = function (kind) {
        return KINDS[kind].styles.slice();
    };

    // `drawings`: records that passed drawingsProblem. They are copied, so
    // that the model never shares a record with a parsed file.
    DrawingModel.prototype.load = function (drawings) {
        this.drawings = (drawings || []).map(copyDrawing);
        this.version += 1;
    };

    // Copies of the records, as a file holds them.
    DrawingModel.prototype.records = function () {
        return this.drawings.map(copyDrawing);
    };

    DrawingModel.prototype.count = function () {
        return this.drawings.length;
    };

    // `drawing`, a record with every member, becomes the topmost.
    DrawingModel.prototype.add = function (drawing) {
        this.drawings.push(drawing);
        this.version += 1;
        return drawing;
    };

    DrawingModel.prototype.remove = function (drawing) {
        var at = this.drawings.indexOf(drawing);
        if (at !== -1) {
            this.drawings.splice(at, 1);
            this.version += 1;
        }
    };

    // A record of the model was changed in place (moved, reshaped,
    // recoloured).
    DrawingModel.prototype.changed = function () {
        this.version += 1;
    };

    DrawingModel.prototype.covers = function (drawing, frame) {
        return drawing.first <= frame && frame <= drawing.last;
    };

    // A frame copied from frame `sel` is put in after it: drawings after it
    // move along, and a drawing that spans past `sel` spans the copy too. A
    // drawing that ends at `sel` is not carried into the copy.
    DrawingModel.prototype.frameAdded = function (sel) {
        this.version += 1;
        this.drawings.forEach(function (d) {
            if (d.first > sel) {
                d.first += 1;
            }
            if (d.last > sel) {
                d.last += 1;
            }
        });
    };

    // Frame `sel` is removed: drawings on it alone go with it, those
    // spanning it lose it, those after it move back.
    DrawingModel.prototype.frameRemoved = function (sel) {
        this.version += 1;
        this.drawings = this.drawings.filter(function (d) {
            return !(d.first === sel && d.last === sel);
        });
        this.drawings.forEach(function (d) {
            if (d.first > sel) {
                d.first -= 1;
            }
            if (d.last >= sel) {
                d.last -= 1;
            }
        });
    };

    window.DrawingModel = DrawingModel;
}(window));
