// The drill file: the `.anim` format's text. Reads a text into the
// settings it holds (or the reason it is refused), tells whether a text
// about to be saved would open again, and writes a drill's text in parts
// (the head, the selected frame, one text per object record, the tail) so
// that an undo or a save compares and joins them without building the
// whole text again. What each member may hold is in DrillFile.checks.js.
(function (window) {
    'use strict';

    // The animation text's signature and the one version this page writes.
    var FILE_SIGNATURE = 'OVRI_Animation';
    var FILE_VERSION = 0.1;
    var ERROR_PARSING = 'Error parsing JSON';
    var ERROR_SIGNATURE = 'Not an OVRI Animation file';
    // The host opens no larger file, so no larger text may be saved.
    var FILE_MAX_BYTES = 64 * 1024 * 1024;

    var DrillFile = {};
    // How a Gaelic pitch is marked when the file does not say.
    DrillFile.DEFAULT_MARKINGS = 'football';

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

    // The settings `text` holds, as { settings } when it opens, or as
    // { problem } with the reason it is refused.
    DrillFile.read = function (text) {
        var settings = parseJson(text);
        if (settings === undefined) {
            return { problem: ERROR_PARSING };
        }
        if (!isObject(settings) || settings.msgType !== FILE_SIGNATURE) {
            return { problem: ERROR_SIGNATURE };
        }
        var problem = DrillFile.textProblem(settings);
        return problem ? { problem: problem } : { settings: settings };
    };

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
    DrillFile.savedTextProblem = function (text) {
        var read = DrillFile.read(text);
        return read.problem || (isWithinBytes(text, FILE_MAX_BYTES) ? '' :
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
    // and `tail` (the captions to the end); DrillFile.textFromParts joins
    // them into exactly the text of the whole drill. Object records are
    // written as `frames`, the frame model, holds them: in its own member
    // order, or as an opened file had them. `pitch` is what the view shows
    // (sport, running lines, background, turn, grid), `drawings` the drawing
    // model.
    DrillFile.textParts = function (pitch, frames, drawings) {
        var file = {
            msgType: FILE_SIGNATURE,
            msgVersion: FILE_VERSION,
            sport: pitch.sport,
            showRunningLines: pitch.showRunningLines,
            background: {
                type: pitch.background.type,
                showStripes: pitch.background.showStripes,
                showLogo: pitch.background.showLogo,
                logoImage: pitch.background.logoImage
            },
            rotation: pitch.rotation,
            gridVisible: pitch.gridVisible,
            nFrames: frames.nFrames,
            selectedFrame: 0,
            objects: [],
            frameText: frames.frameText
        };
        // Written only when there are drawings, so a drill without them is
        // saved exactly as before there were any.
        if (drawings.count() > 0) {
            file.drawings = drawings.records();
        }
        // Last, and only when a step is held longer or shorter than a
        // second, for the same reason.
        if (!window.FrameTiming.isDefault(frames.frameDurations)) {
            file.frameDurations = frames.frameDurations;
        }
        // A Gaelic pitch marked for hurling says so; one marked for
        // football (and every other sport's) is saved as before.
        if (pitch.background.markings && pitch.background.markings !== DrillFile.DEFAULT_MARKINGS) {
            file.background.markings = pitch.background.markings;
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

    DrillFile.textFromParts = function (parts) {
        return parts.head + SELECTED_FRAME_KEY + parts.selectedFrame + ',"objects":[' +
            parts.objects.join(',') + ']' + parts.tail;
    };

    // True when `text` is exactly the text `parts` join into; compared in
    // place, without joining a text that may be megabytes long.
    DrillFile.partsAreText = function (parts, text) {
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
    DrillFile.selectedFrameSpan = function (text) {
        var key = text.indexOf(SELECTED_FRAME_KEY);
        var digits = key === -1 ? null : /^\d+/.exec(text.substr(key + SELECTED_FRAME_KEY.length, 8));
        return digits ? { at: key + SELECTED_FRAME_KEY.length, length: digits[0].length } : null;
    };

    // The settings of the members around the selected frame and the object
    // records, which `parts` (DrillFile.textParts) hold in their head and
    // tail, read without the records.
    DrillFile.headSettings = function (parts) {
        return JSON.parse(parts.head + PARTS_SLOT + parts.tail);
    };

    window.DrillFile = DrillFile;
}(window));
