// The undo and redo history of the editor's animation: a list of snapshots
// with a cursor on the one on screen. A snapshot is an animation text cut
// into parts (see Animation.textParts): the text before and after the
// object records, the selected frame, and one text per object record. Parts
// equal to those of the neighbouring snapshot are shared rather than
// copied, so a change to one item of a large drill costs about that item's
// record, and the history is bounded by the bytes its snapshots hold.
(function (window) {
    'use strict';

    var DEFAULT_MAX_BYTES = 32 * 1024 * 1024;
    // JavaScript strings hold two bytes a character.
    var BYTES_PER_CHAR = 2;

    function sameContent(a, b) {
        if (a.head !== b.head || a.tail !== b.tail || a.objects.length !== b.objects.length) {
            return false;
        }
        for (var i = 0; i < a.objects.length; i++) {
            if (a.objects[i] !== b.objects[i]) {
                return false;
            }
        }
        return true;
    }

    function sizeOf(parts) {
        var chars = parts.head.length + parts.tail.length;
        for (var i = 0; i < parts.objects.length; i++) {
            chars += parts.objects[i].length;
        }
        return chars * BYTES_PER_CHAR;
    }

    // `parts` with every part equal to one of `previous` replaced by that
    // one, and the bytes of the parts it does not share with it.
    function shareWith(parts, previous) {
        var known = {};
        previous.objects.forEach(function (text) {
            known[text.length] = known[text.length] || [];
            known[text.length].push(text);
        });
        var ownChars = 0;
        var objects = parts.objects.map(function (text) {
            var candidates = known[text.length] || [];
            for (var i = 0; i < candidates.length; i++) {
                if (candidates[i] === text) {
                    return candidates[i];
                }
            }
            ownChars += text.length;
            return text;
        });
        var head = parts.head === previous.head ? previous.head : parts.head;
        var tail = parts.tail === previous.tail ? previous.tail : parts.tail;
        ownChars += (head === previous.head ? 0 : head.length) + (tail === previous.tail ? 0 : tail.length);
        return {
            snapshot: { head: head, tail: tail, objects: objects, selectedFrame: parts.selectedFrame },
            ownBytes: ownChars * BYTES_PER_CHAR
        };
    }

    // `maxBytes`: what the snapshots may hold together; the oldest go first,
    // but the one on screen always stays.
    function EditHistory(maxBytes) {
        if (!(this instanceof EditHistory)) {
            throw new Error('EditHistory must be called with new');
        }
        if (maxBytes !== undefined && !(typeof maxBytes === 'number' && maxBytes > 0)) {
            throw new Error('EditHistory: the limit must be a positive number of bytes, got ' + maxBytes);
        }
        this.maxBytes = maxBytes || DEFAULT_MAX_BYTES;
        this.reset(null);
    }

    // Starts afresh with `parts` (or nothing) as the only snapshot.
    EditHistory.prototype.reset = function (parts) {
        this.entries = [];
        this.cursor = -1;
        this.totalBytes = 0;
        if (parts) {
            var bytes = sizeOf(parts);
            this.entries.push({ snapshot: parts, ownBytes: bytes });
            this.cursor = 0;
            this.totalBytes = bytes;
        }
    };

    EditHistory.prototype.current = function () {
        return this.cursor >= 0 ? this.entries[this.cursor].snapshot : null;
    };

    // Takes `parts`, the animation as it is now. A change of content
    // becomes a new snapshot (and the redo steps go); a change of the
    // selected frame alone is only noted, so that an undo comes back to the
    // frame the coach was on when making the change. Returns true for a
    // new snapshot.
    EditHistory.prototype.record = function (parts) {
        var now = this.current();
        if (!now) {
            this.reset(parts);
            return true;
        }
        if (sameContent(parts, now)) {
            now.selectedFrame = parts.selectedFrame;
            return false;
        }
        for (var i = this.entries.length - 1; i > this.cursor; i--) {
            this.totalBytes -= this.entries[i].ownBytes;
        }
        this.entries.length = this.cursor + 1;
        var shared = shareWith(parts, now);
        this.entries.push(shared);
        this.cursor += 1;
        this.totalBytes += shared.ownBytes;
        this.trim();
        return true;
    };

    // Drops the oldest snapshots until the history fits; the next oldest
    // then holds all its parts on its own.
    EditHistory.prototype.trim = function () {
        while (this.totalBytes > this.maxBytes && this.cursor > 0) {
            this.totalBytes -= this.entries[0].ownBytes;
            this.entries.shift();
            this.cursor -= 1;
            var first = this.entries[0];
            var full = sizeOf(first.snapshot);
            this.totalBytes += full - first.ownBytes;
            first.ownBytes = full;
        }
    };

    // The coach went to frame `n` without changing anything: an undo from
    // here comes back to it, as after record with unchanged content.
    EditHistory.prototype.noteSelectedFrame = function (n) {
        var now = this.current();
        if (now) {
            now.selectedFrame = n;
        }
    };

    EditHistory.prototype.canUndo = function () {
        return this.cursor > 0;
    };

    EditHistory.prototype.canRedo = function () {
        return this.cursor >= 0 && this.cursor < this.entries.length - 1;
    };

    // The snapshot to show, or null when there is nothing to undo.
    EditHistory.prototype.undo = function () {
        if (!this.canUndo()) {
            return null;
        }
        this.cursor -= 1;
        return this.current();
    };

    EditHistory.prototype.redo = function () {
        if (!this.canRedo()) {
            return null;
        }
        this.cursor += 1;
        return this.current();
    };

    EditHistory.prototype.bytes = function () {
        return this.totalBytes;
    };

    EditHistory.prototype.length = function () {
        return this.entries.length;
    };

    window.EditHistory = EditHistory;
}(window));
