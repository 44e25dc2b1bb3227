// Text mixing left-to-right and right-to-left writing (a Hebrew or Arabic
// name beside a Latin one, or one turned round by U+202E). QtWebKit's canvas
// draws every directional run of one fillText at the same place, so the
// words land on top of each other; Chromium's draws them in order. The page
// therefore lays such a text out itself, on a left-to-right line as the
// canvas has: it resolves each character's level (the Unicode bidirectional
// algorithm, simplified: no isolating run sequences, no bracket pairs),
// orders the runs for display and draws each run by itself, so that every
// fillText holds text of one direction, which both engines draw alike.
// Overridden text (U+202D, U+202E) is drawn character by character, as the
// engines would reorder it again. Text with nothing right-to-left and no
// directional controls is drawn as it always was.
(function (window, Kinetic) {
    'use strict';

    var NEEDS_LAYOUT = /[\u0590-\u08FF\u200F\u202A-\u202E\u2066-\u2069\uFB1D-\uFDFF\uFE70-\uFEFC]|[\uD802\uD803\uD83A\uD83B]/;
    var MAX_DEPTH = 125;

    // [first, last, type] by code point, in order; whatever is not listed
    // is a letter written left to right (L).
    var TYPES = [
        [0x09, 0x09, 'S'], [0x0A, 0x0D, 'WS'], [0x20, 0x20, 'WS'], [0x21, 0x22, 'ON'], [0x23, 0x25, 'ET'],
        [0x26, 0x2A, 'ON'], [0x2B, 0x2B, 'ES'], [0x2C, 0x2C, 'CS'], [0x2D, 0x2D, 'ES'], [0x2E, 0x2F, 'CS'],
        [0x30, 0x39, 'EN'], [0x3A, 0x3A, 'CS'], [0x3B, 0x40, 'ON'], [0x5B, 0x60, 'ON'], [0x7B, 0x7E, 'ON'],
        [0xA0, 0xA0, 'CS'], [0xA1, 0xA1, 'ON'], [0xA2, 0xA5, 'ET'], [0xA6, 0xA9, 'ON'], [0xAB, 0xAC, 'ON'],
        [0xAD, 0xAD, 'BN'], [0xAE, 0xAF, 'ON'], [0xB0, 0xB1, 'ET'], [0xB2, 0xB3, 'EN'], [0xB4, 0xB4, 'ON'],
        [0xB6, 0xB8, 'ON'], [0xB9, 0xB9, 'EN'], [0xBB, 0xBF, 'ON'], [0xD7, 0xD7, 'ON'], [0xF7, 0xF7, 'ON'],
        [0x300, 0x36F, 'NSM'], [0x590, 0x590, 'R'], [0x591, 0x5BD, 'NSM'], [0x5BE, 0x5BE, 'R'],
        [0x5BF, 0x5BF, 'NSM'], [0x5C0, 0x5C0, 'R'], [0x5C1, 0x5C2, 'NSM'], [0x5C3, 0x5C3, 'R'],
        [0x5C4, 0x5C5, 'NSM'], [0x5C6, 0x5C6, 'R'], [0x5C7, 0x5C7, 'NSM'], [0x5C8, 0x5FF, 'R'],
        [0x600, 0x605, 'AN'], [0x606, 0x607, 'ON'], [0x608, 0x608, 'AL'], [0x609, 0x60A, 'ET'],
        [0x60B, 0x60B, 'AL'], [0x60C, 0x60C, 'CS'], [0x60D, 0x60D, 'AL'], [0x60E, 0x60F, 'ON'],
        [0x610, 0x61A, 'NSM'], [0x61B, 0x64A, 'AL'], [0x64B, 0x65F, 'NSM'], [0x660, 0x669, 'AN'],
        [0x66A, 0x66A, 'ET'], [0x66B, 0x66C, 'AN'], [0x66D, 0x66F, 'AL'], [0x670, 0x670, 'NSM'],
        [0x671, 0x6D5, 'AL'], [0x6D6, 0x6DC, 'NSM'], [0x6DD, 0x6DD, 'AN'], [0x6DE, 0x6DE, 'ON'],
        [0x6DF, 0x6E4, 'NSM'], [0x6E5, 0x6E6, 'AL'], [0x6E7, 0x6E8, 'NSM'], [0x6E9, 0x6E9, 'ON'],
        [0x6EA, 0x6ED, 'NSM'], [0x6EE, 0x6EF, 'AL'], [0x6F0, 0x6F9, 'EN'], [0x6FA, 0x7BF, 'AL'],
        [0x7C0, 0x89F, 'R'], [0x8A0, 0x8FF, 'AL'], [0x2000, 0x200A, 'WS'], [0x200B, 0x200D, 'BN'],
        [0x200E, 0x200E, 'L'], [0x200F, 0x200F, 'R'], [0x2010, 0x2027, 'ON'], [0x2028, 0x2028, 'WS'],
        [0x2029, 0x2029, 'B'], [0x202A, 0x202E, 'X'], [0x202F, 0x202F, 'CS'], [0x2030, 0x2034, 'ET'],
        [0x2035, 0x2043, 'ON'], [0x2044, 0x2044, 'CS'], [0x2045, 0x205E, 'ON'], [0x205F, 0x205F, 'WS'],
        [0x2060, 0x2065, 'BN'], [0x2066, 0x2069, 'X'], [0x2070, 0x2070, 'EN'], [0x2074, 0x2079, 'EN'],
        [0x207A, 0x207B, 'ES'], [0x207C, 0x207E, 'ON'], [0x2080, 0x2089, 'EN'], [0x208A, 0x208B, 'ES'],
        [0x208C, 0x208E, 'ON'], [0x20A0, 0x20CF, 'ET'], [0x20D0, 0x20FF, 'NSM'], [0x2100, 0x2101, 'ON'],
        [0x2103, 0x2106, 'ON'], [0x2108, 0x2109, 'ON'], [0x2116, 0x2118, 'ON'], [0x211E, 0x2123, 'ON'],
        [0x2190, 0x2BFF, 'ON'], [0x3000, 0x3000, 'WS'], [0x3001, 0x3004, 'ON'], [0x3008, 0x3020, 'ON'],
        [0xFB1D, 0xFB1D, 'R'], [0xFB1E, 0xFB1E, 'NSM'], [0xFB1F, 0xFB28, 'R'], [0xFB29, 0xFB29, 'ES'],
        [0xFB2A, 0xFB4F, 'R'], [0xFB50, 0xFDFF, 'AL'], [0xFE00, 0xFE0F, 'NSM'], [0xFE20, 0xFE2F, 'NSM'],
        [0xFE30, 0xFE4F, 'ON'], [0xFE50, 0xFE50, 'CS'], [0xFE51, 0xFE51, 'ON'], [0xFE52, 0xFE52, 'CS'],
        [0xFE54, 0xFE54, 'ON'], [0xFE55, 0xFE55, 'CS'], [0xFE56, 0xFE5E, 'ON'], [0xFE5F, 0xFE5F, 'ET'],
        [0xFE60, 0xFE61, 'ON'], [0xFE62, 0xFE63, 'ES'], [0xFE64, 0xFE68, 'ON'], [0xFE69, 0xFE6A, 'ET'],
        [0xFE70, 0xFEFE, 'AL'], [0xFEFF, 0xFEFF, 'BN'], [0xFF01, 0xFF02, 'ON'], [0xFF03, 0xFF05, 'ET'],
        [0xFF06, 0xFF0A, 'ON'], [0xFF0B, 0xFF0B, 'ES'], [0xFF0C, 0xFF0C, 'CS'], [0xFF0D, 0xFF0D, 'ES'],
        [0xFF0E, 0xFF0F, 'CS'], [0xFF10, 0xFF19, 'EN'], [0xFF1A, 0xFF1A, 'CS'], [0xFF1B, 0xFF20, 'ON'],
        [0x10800, 0x10FFF, 'R'], [0x1E800, 0x1EFFF, 'R'], [0x1F000, 0x1FAFF, 'ON'], [0xE0001, 0xE007F, 'BN']
    ];
    var NEUTRAL = { WS: true, ON: true, S: true, B: true };

    function typeOf(code) {
        var low = 0;
        var high = TYPES.length - 1;
        while (low <= high) {
            var middle = (low + high) >> 1;
            if (code < TYPES[middle][0]) {
                high = middle - 1;
            } else if (code > TYPES[middle][1]) {
                low = middle + 1;
            } else {
                return TYPES[middle][2];
            }
        }
        return 'L';
    }

    // The characters of `text` (a surrogate pair is one), each with its
    // type: { text, type, control }.
    function characters(text) {
        var out = [];
        for (var i = 0; i < text.length; i++) {
            var code = text.charCodeAt(i);
            var one = text.charAt(i);
            if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.length) {
                var low = text.charCodeAt(i + 1);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    one = text.substr(i, 2);
                    i += 1;
                }
            }
            out.push({ text: one, code: code, type: typeOf(code) });
        }
        return out;
    }

    // Explicit embeddings, overrides and isolates: each character's level
    // and, under an override, its forced type. The controls themselves are
    // not drawn (their type becomes BN).
    function explicitLevels(chars) {
        var stack = [{ level: 0, override: null }];
        chars.forEach(function (c) {
            var top = stack[stack.length - 1];
            if (c.type === 'X') {
                var code = c.code;
                if (code === 0x202C || code === 0x2069) {
                    if (stack.length > 1) {
                        stack.pop();
                    }
                } else {
                    var rtl = code === 0x202B || code === 0x202E || code === 0x2067;
                    var level = rtl ? (top.level + 1) | 1 : (top.level + 2) & ~1;
                    var override = code === 0x202D ? 'L' : (code === 0x202E ? 'R' : null);
                    if (level <= MAX_DEPTH) {
                        stack.push({ level: level, override: override });
                    }
                }
                c.type = 'BN';
                c.control = true;
                c.level = stack[stack.length - 1].level;
                return;
            }
            c.level = top.level;
            if (top.override && c.type !== 'BN') {
                c.type = top.override;
                c.forced = true;
            }
        });
    }

    // The weak types of one run of characters of one level, whose sides
    // (the start and end of the run) are of type `sos`.
    function resolveWeak(run, sos) {
        var last = sos;
        var strong = sos;
        run.forEach(function (c) {
            if (c.type === 'NSM') {
                c.type = last;
            }
            if (c.type === 'EN' && strong === 'AL') {
                c.type = 'AN';
            }
            if (c.type === 'R' || c.type === 'L' || c.type === 'AL') {
                strong = c.type;
            }
            if (c.type === 'AL') {
                c.type = 'R';
            }
            if (c.type !== 'BN') {
                last = c.type;
            }
        });
        for (var i = 1; i + 1 < run.length; i++) {
            var before = run[i - 1].type;
            var after = run[i + 1].type;
            if ((run[i].type === 'ES' || run[i].type === 'CS') && before === 'EN' && after === 'EN') {
                run[i].type = 'EN';
            } else if (run[i].type === 'CS' && before === 'AN' && after === 'AN') {
                run[i].type = 'AN';
            }
        }
        spreadTerminators(run);
        strong = sos;
        run.forEach(function (c) {
            if (c.type === 'ES' || c.type === 'ET' || c.type === 'CS') {
                c.type = 'ON';
            }
            if (c.type === 'L' || c.type === 'R') {
                strong = c.type;
            }
            if (c.type === 'EN' && strong === 'L') {
                c.type = 'L';
            }
        });
    }

    // A currency sign or percent beside a number is part of the number.
    function spreadTerminators(run) {
        for (var i = 0; i < run.length; i++) {
            if (run[i].type !== 'ET') {
                continue;
            }
            var end = i;
            while (end < run.length && (run[end].type === 'ET' || run[end].type === 'BN')) {
                end++;
            }
            var number = (i > 0 && run[i - 1].type === 'EN') || (end < run.length && run[end].type === 'EN');
            for (var k = i; k < end; k++) {
                if (number) {
                    run[k].type = 'EN';
                }
            }
            i = end - 1;
        }
    }

    function direction(type) {
        return type === 'L' ? 'L' : (type === 'R' || type === 'EN' || type === 'AN' ? 'R' : null);
    }

    // Neutrals take the direction of both their sides when they agree, the
    // run's own otherwise; then every character gets its implicit level.
    function resolveNeutralsAndLevels(run, sos, level) {
        var embedding = level % 2 ? 'R' : 'L';
        for (var i = 0; i < run.length; i++) {
            if (!NEUTRAL[run[i].type] && run[i].type !== 'BN') {
                continue;
            }
            var end = i;
            while (end < run.length && (NEUTRAL[run[end].type] || run[end].type === 'BN')) {
                end++;
            }
            var before = i > 0 ? direction(run[i - 1].type) : sos;
            var after = end < run.length ? direction(run[end].type) : sos;
            var resolved = before === after ? before : embedding;
            for (var k = i; k < end; k++) {
                run[k].type = resolved;
            }
            i = end - 1;
        }
        run.forEach(function (c) {
            if (level % 2 === 0) {
                c.level = level + (c.type === 'R' ? 1 : (c.type === 'AN' || c.type === 'EN' ? 2 : 0));
            } else {
                c.level = level + (c.type === 'L' || c.type === 'EN' || c.type === 'AN' ? 1 : 0);
            }
        });
    }

    // The characters of `text` in display order, from left to right, each
    // with its level: { text, level, forced }.
    function resolve(text) {
        var chars = characters(text);
        explicitLevels(chars);
        for (var start = 0; start < chars.length;) {
            var level = chars[start].level;
            var end = start;
            while (end < chars.length && chars[end].level === level) {
                end++;
            }
            var outer = Math.max(level, start > 0 ? chars[start - 1].level : 0,
                end < chars.length ? chars[end].level : 0);
            var sos = outer % 2 ? 'R' : 'L';
            var run = chars.slice(start, end);
            resolveWeak(run, sos);
            resolveNeutralsAndLevels(run, sos, level);
            start = end;
        }
        // Trailing white space stands at the line's own level.
        for (var t = chars.length - 1; t >= 0 && (chars[t].control || /^\s$/.test(chars[t].text)); t--) {
            chars[t].level = 0;
        }
        return reorder(chars).filter(function (c) { return !c.control; });
    }

    function reorder(chars) {
        var highest = 0;
        var lowestOdd = MAX_DEPTH + 2;
        chars.forEach(function (c) {
            highest = Math.max(highest, c.level);
            if (c.level % 2) {
                lowestOdd = Math.min(lowestOdd, c.level);
            }
        });
        for (var level = highest; level >= lowestOdd; level--) {
            for (var i = 0; i < chars.length; i++) {
                if (chars[i].level < level) {
                    continue;
                }
                var end = i;
                while (end < chars.length && chars[end].level >= level) {
                    end++;
                }
                var reversed = chars.slice(i, end).reverse();
                Array.prototype.splice.apply(chars, [i, end - i].concat(reversed));
                i = end - 1;
            }
        }
        return chars;
    }

    // The runs `text` is drawn in, from left to right: { text, rtl } with
    // the run's characters in reading order (a right-to-left run's text
    // reads from its right end), or one character of overridden text. The
    // directional controls are not drawn.
    function runs(text) {
        var shown = resolve(text);
        var out = [];
        shown.forEach(function (c) {
            var rtl = c.level % 2 === 1;
            var last = out[out.length - 1];
            if (last && !c.forced && !last.forced && last.rtl === rtl && last.level === c.level) {
                last.text = rtl ? c.text + last.text : last.text + c.text;
            } else {
                out.push({ text: c.text, rtl: rtl && !c.forced, level: c.level, forced: !!c.forced });
            }
        });
        var pieces = [];
        out.forEach(function (run) {
            if (run.rtl) {
                pieces.push.apply(pieces, rtlPieces(run.text));
            } else {
                pieces.push({ text: run.text, rtl: false });
            }
        });
        return pieces;
    }

    // QtWebKit measures a right-to-left run that begins or ends in a space
    // or a mark as that space alone (its width of a text of two runs is
    // the last one's): the run's ends are drawn one by one, so that each
    // piece is one run to both engines. From left to right: the run's last
    // characters, its middle, its first ones.
    var RTL_EDGE = /[\s!-\/:-@\[-`{-~\u00A0-\u00BF\u2000-\u206F]/;

    function rtlPieces(text) {
        var chars = characters(text).map(function (c) { return c.text; });
        var start = 0;
        var end = chars.length;
        while (start < end && RTL_EDGE.test(chars[start])) {
            start++;
        }
        while (end > start && RTL_EDGE.test(chars[end - 1])) {
            end--;
        }
        var piece = function (t) { return { text: t, rtl: true }; };
        var left = chars.slice(end).reverse().map(piece);
        var middle = start < end ? [piece(chars.slice(start, end).join(''))] : [];
        return left.concat(middle, chars.slice(0, start).reverse().map(piece));
    }

    function needsLayout(text) {
        return NEEDS_LAYOUT.test(text);
    }

    // The width of `text` in the font of `context` (a canvas 2D context) as
    // draw() lays it out.
    function width(context, text) {
        if (!needsLayout(text)) {
            return context.measureText(text).width;
        }
        var direction = context.direction;
        var sum = 0;
        runs(text).forEach(function (run) {
            context.direction = run.rtl ? 'rtl' : 'ltr';
            sum += context.measureText(run.text).width;
        });
        context.direction = direction;
        return sum;
    }

    // Draws `text` at (x, y) through `method` ("fillText" or "strokeText")
    // of `context`, a canvas 2D context or Kinetic's, aligned as the
    // context's textAlign says (left, center or right).
    function draw(context, method, text, x, y) {
        if (!needsLayout(text)) {
            context[method](text, x, y);
            return;
        }
        var native = context._context || context;
        var direction = native.direction;
        var align = native.textAlign;
        var shown = runs(text).map(function (run) {
            native.direction = run.rtl ? 'rtl' : 'ltr';
            return { text: run.text, rtl: run.rtl, width: native.measureText(run.text).width };
        });
        var total = shown.reduce(function (sum, run) { return sum + run.width; }, 0);
        x -= align === 'center' ? total / 2 : (align === 'right' || align === 'end' ? total : 0);
        native.textAlign = 'left';
        shown.forEach(function (run) {
            native.direction = run.rtl ? 'rtl' : 'ltr';
            context[method](run.text, x, y);
            x += run.width;
        });
        native.direction = direction;
        native.textAlign = align;
    }

    // Every Kinetic text is measured and drawn so.
    var measure = Kinetic.Text.prototype._getTextWidth;
    Kinetic.Text.prototype._getTextWidth = function (text) {
        return needsLayout(text) ? window.textWidth(this._getContextFont(), text) : measure.call(this, text);
    };
    var init = Kinetic.Text.prototype.___init;
    Kinetic.Text.prototype.___init = function (config) {
        init.call(this, config);
        this._fillFunc = function (context) { draw(context, 'fillText', this.partialText, 0, 0); };
        this._strokeFunc = function (context) { draw(context, 'strokeText', this.partialText, 0, 0); };
    };

    window.BidiText = { runs: runs, needsLayout: needsLayout, width: width, draw: draw };
}(window, Kinetic));
