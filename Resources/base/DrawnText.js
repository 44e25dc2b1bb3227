// Texts as the page draws them: control characters shown as spaces, a text
// too long to lay out cut with an ellipsis, and widths measured as the text
// is drawn. Like Geometry.js, it exposes one global per helper.
(function (window, document) {
    'use strict';

    // The width of `text` drawn in `font` (a canvas font), measured on one
    // canvas kept for measuring: its font is set only when it changes, and
    // nothing is saved or restored around a measure.
    var measuring = null;
    var measuringFont = null;

    function textWidth(font, text) {
        if (!measuring) {
            measuring = document.createElement('canvas').getContext('2d');
        }
        if (measuringFont !== font) {
            measuring.font = font;
            measuringFont = font;
        }
        // Laid out as it is drawn where it mixes directions.
        return window.BidiText.width(measuring, text);
    }

    // Control characters (C0 but the line break, DEL, C1, and the line and
    // paragraph separators) have no glyph: one engine draws a box, another
    // nothing, and the PDF writer ends the text at a tab or a NUL. Each is
    // shown as a space, so that a text reaches every output whole.
    var CONTROL_CHARACTERS = /[\u0000-\u0009\u000B-\u001F\u007F-\u009F\u2028\u2029]/g;

    function printableText(text) {
        return text.replace(CONTROL_CHARACTERS, ' ');
    }

    // What is drawn of `text` when no more than `maxLength` characters are
    // laid out: the start, never half a surrogate pair, and an ellipsis
    // that says there is more; control characters as spaces.
    function drawnText(text, maxLength) {
        if (text.length <= maxLength) {
            return printableText(text);
        }
        var cut = maxLength;
        var last = text.charCodeAt(cut - 1);
        if (last >= 0xD800 && last <= 0xDBFF) {
            cut -= 1;
        }
        return printableText(text.slice(0, cut)) + '\u2026';
    }

    window.drawnText = drawnText;
    window.printableText = printableText;
    window.textWidth = textWidth;
}(window, document));
