// When each item is on the pitch: from its first frame to its last. A
// record keeps `firstFrame` only when the item comes on after the drill's
// first frame, and `lastFrame` only when it was told to leave after a
// frame, so a drill whose items are there throughout is saved as before.
// An item added in a frame comes on in it; a frame added after the selected
// one carries every item shown in it; a removed frame takes the items
// shown in it alone. Where an item is not on the pitch its record's states
// are not read: it stands as at the nearest frame of its span. Adds the
// span methods to FrameManager.js.
(function (FrameManager) {
    'use strict';

    FrameManager.firstFrameOf = function (record) {
        return record.firstFrame || 0;
    };

    FrameManager.prototype.lastFrameOf = function (record) {
        return Object.prototype.hasOwnProperty.call(record, 'lastFrame') ? record.lastFrame : this.nFrames - 1;
    };

    FrameManager.prototype.isOnPitch = function (record, n) {
        return n >= FrameManager.firstFrameOf(record) && n <= this.lastFrameOf(record);
    };

    // The frame of the record's span nearest frame n.
    FrameManager.prototype.spanFrame = function (record, n) {
        return Math.max(FrameManager.firstFrameOf(record), Math.min(this.lastFrameOf(record), n));
    };

    // Whether any item comes on late or leaves early: else nothing of this
    // file need be looked at.
    FrameManager.prototype.hasSpans = function () {
        return this.objects.some(function (record) {
            return record.firstFrame > 0 || Object.prototype.hasOwnProperty.call(record, 'lastFrame');
        });
    };

    function setSpan(record, first, last) {
        if (first > 0) {
            record.firstFrame = first;
        } else {
            delete record.firstFrame;
        }
        if (last === null) {
            delete record.lastFrame;
        } else {
            record.lastFrame = last;
        }
        FrameManager.forgetText(record);
    }

    function explicitLast(record) {
        return Object.prototype.hasOwnProperty.call(record, 'lastFrame') ? record.lastFrame : null;
    }

    // A frame inserted after frame `sel`, a copy of it.
    FrameManager.prototype.spansAfterInsert = function (sel) {
        this.objects.forEach(function (record) {
            var first = FrameManager.firstFrameOf(record);
            var last = explicitLast(record);
            if (first > sel || (last !== null && last >= sel)) {
                setSpan(record, first > sel ? first + 1 : first, last !== null && last >= sel ? last + 1 : last);
            }
        });
    };

    // Frame `r` removed, the frame count not yet lowered: the records of
    // items shown in it alone are taken out.
    FrameManager.prototype.spansAfterRemoval = function (r) {
        var self = this;
        this.objects = this.objects.filter(function (record) {
            var first = FrameManager.firstFrameOf(record);
            var last = explicitLast(record);
            if (first === r && self.lastFrameOf(record) === r) {
                return false;
            }
            if (first > r || (last !== null && last >= r)) {
                setSpan(record, first > r ? first - 1 : first, last !== null && last >= r ? last - 1 : last);
            }
            return true;
        });
    };

    // The selected items leave after the frame on show, or, when every one
    // of them already does, stay on to the end again. The last frame has no
    // frame after it to leave. Returns whether a record changed.
    FrameManager.prototype.toggleLeavingAfterSelected = function () {
        var sel = this.selectedFrame;
        if (sel === this.nFrames - 1) {
            return false;
        }
        this.saveFrame();
        var ids = this.selectedGroups().map(function (group) { return group.getAttr('id'); });
        var records = this.objects.filter(function (record) { return ids.indexOf(record.id) !== -1; });
        var leaving = records.every(function (record) { return explicitLast(record) === sel; });
        records.forEach(function (record) {
            setSpan(record, FrameManager.firstFrameOf(record), leaving ? null : sel);
        });
        this.updateRunningLines(sel);
        return records.length > 0;
    };

    // Gives every record without one a group, hidden, for playback to
    // bring on and take off; loadFrame takes them away again.
    FrameManager.prototype.addGroupsOffPitch = function () {
        if (!this.hasSpans()) {
            return;
        }
        var layer = this.animLayer;
        var shown = {};
        layer.itemGroups().forEach(function (group) { shown[group.getAttr('id')] = true; });
        var self = this;
        var added = this.objects.filter(function (record) { return !shown[record.id]; }).map(function (record) {
            var group = self.addGroupFor(record, self.spanFrame(record, self.selectedFrame));
            group.visible(false);
            return group;
        });
        if (added.length > 0) {
            this.stack(this.objects.map(function (record) { return layer.childWithId(record.id); }));
        }
    };
}(window.FrameManager));
