// The frame model: the state of every item in every frame of an animation.
// The animation layer only ever shows the selected frame; saveFrame copies
// what is on display into the model and loadFrame rebuilds the display from
// it. Positions are stored as fractions of the pitch's size, so the model
// does not depend on the window.
//
// Object record: { type, id, scale, text, shortLabel, z, color, frames },
// with one frame state { x, y, rotation } per frame, and `labelPlace` after
// them when the item's label stands anywhere but below it, `firstFrame` and
// `lastFrame` when it is on the pitch in some frames only
// (FrameManager.spans.js), `bends` when a step of it is curved
// (FrameManager.bends.js), `holders` when a ball is held by a player
// (FrameManager.holders.js). Only the items on the pitch in the selected
// frame are on display.
//
// The items' running lines, drawn from the neighbouring frames' states,
// are in FrameManager.runningLines.js.
(function (window) {
    'use strict';

    var FRAME_COUNT_MISMATCH = 'Number of frames does not match';

    function stateOf(props) {
        return { x: props.x, y: props.y, rotation: props.rotation };
    }

    // What to store for an item shown at `props`: the stored `state` itself
    // when the item still stands where it put it. A place read back from
    // the display can differ from the stored one in its last digit, and a
    // drill nobody touched must save to the text it was loaded from.
    function displayedState(layer, props, state) {
        if (state && state.rotation === props.rotation) {
            var shown = layer.relativePos(layer.pixelPos(state));
            if (shown.x === props.x && shown.y === props.y) {
                return state;
            }
        }
        return stateOf(props);
    }

    // A drill whose labels all stand below their items is saved as it was
    // before labels could stand elsewhere: the place is kept in a record,
    // after its other members, only when it is another. A record read from
    // a file that names the usual place keeps it, as it keeps its order.
    function labelPlaceOf(record) {
        return record.labelPlace || window.FieldItemText.DEFAULT_LABEL_PLACE;
    }

    function keepLabelPlace(record, place) {
        if (labelPlaceOf(record) === place) {
            return;
        }
        if (place === window.FieldItemText.DEFAULT_LABEL_PLACE) {
            delete record.labelPlace;
        } else {
            record.labelPlace = place;
        }
    }

    function copyState(state) {
        return { x: state.x, y: state.y, rotation: state.rotation };
    }

    // Each object record may carry its own text (see recordText) in this
    // member, which JSON does not see. Records change only through the
    // frame model's operations, and each drops the text of a record it
    // changes.
    var RECORD_TEXT = 'textOfRecord';

    function forgetText(record) {
        if (Object.prototype.hasOwnProperty.call(record, RECORD_TEXT)) {
            record[RECORD_TEXT] = null;
        }
    }

    FrameManager.forgetText = forgetText;

    function wasFaded(group) {
        return Object.prototype.hasOwnProperty.call(group.attrs, 'opacity') ||
            Object.prototype.hasOwnProperty.call(group.attrs, 'visible');
    }

    function keepText(record, text) {
        if (Object.prototype.hasOwnProperty.call(record, RECORD_TEXT)) {
            record[RECORD_TEXT] = text;
        } else {
            Object.defineProperty(record, RECORD_TEXT, { value: text, writable: true, configurable: true });
        }
    }

    function FrameManager(animLayer) {
        if (!(this instanceof FrameManager)) {
            throw new Error('FrameManager must be called with new');
        }
        if (!animLayer || typeof animLayer.frameSettings !== 'function') {
            throw new Error('FrameManager: the animation layer is needed');
        }
        this.animLayer = animLayer;
        this.objects = [];
        this.selectedFrame = 0;
        this.nFrames = 1;
        this.frameText = [];
        // One per step, from frame i to i + 1 (FrameTiming).
        this.frameDurations = [];
        this.idCounter = 0;
        // The drawing layer (DrawingLayer), when the drill has one: it
        // follows the frames shown, added and removed.
        this.drawings = null;
    }

    FrameManager.prototype.checkFrameIndex = function (n, caller) {
        if (!isWholeNumber(n) || n < 0 || n >= this.nFrames) {
            throw new Error(caller + ': the frame index must be a whole number from 0 to ' +
                (this.nFrames - 1) + ', got ' + n);
        }
    };

    FrameManager.prototype.findObject = function (id) {
        for (var i = 0; i < this.objects.length; i++) {
            if (this.objects[i].id === id) {
                return this.objects[i];
            }
        }
        return null;
    };

    // The caption of frame n; a frame without one (possible only after a
    // file whose caption count did not match) shows an empty caption.
    FrameManager.prototype.captionOf = function (n) {
        var text = this.frameText[n];
        return typeof text === 'string' ? text : '';
    };

    // Returns whether the model changed: false when the display showed
    // exactly what the model held for the selected frame.
    FrameManager.prototype.saveFrame = function () {
        var settings = this.animLayer.frameSettings();
        var sel = this.selectedFrame;
        var changed = this.frameText.length <= sel || this.frameText[sel] !== settings.frameText;
        // Never leave holes before the selected frame's caption.
        for (var f = this.frameText.length; f < sel; f++) {
            this.frameText[f] = '';
        }
        this.frameText[sel] = settings.frameText;

        var byId = this.recordsById();
        for (var i = 0; i < settings.objectProps.length; i++) {
            var props = settings.objectProps[i];
            var record = byId.hasOwnProperty(props.id) ? byId[props.id] : null;
            if (record) {
                var recordChanged = record.color !== props.col1 || record.scale !== props.scale ||
                    record.text !== props.text || record.shortLabel !== props.shortLabel || record.z !== props.z ||
                    labelPlaceOf(record) !== props.labelPlace;
                keepLabelPlace(record, props.labelPlace);
                record.color = props.col1;
                record.scale = props.scale;
                record.text = props.text;
                record.shortLabel = props.shortLabel;
                record.z = props.z;
                var from = props.posIsFixed ? 0 : sel;
                var to = props.posIsFixed ? this.nFrames : sel + 1;
                for (var k = from; k < to; k++) {
                    var state = displayedState(this.animLayer, props, record.frames[k]);
                    recordChanged = recordChanged || state !== record.frames[k];
                    record.frames[k] = state;
                }
                if (recordChanged) {
                    forgetText(record);
                    changed = true;
                }
            } else {
                changed = true;
                // Added since the last save: it stands at the same place in
                // every frame.
                var frames = [];
                for (var j = 0; j < this.nFrames; j++) {
                    frames.push(stateOf(props));
                }
                // It comes on in the frame it was added in.
                byId[props.id] = {
                    type: props.type,
                    id: props.id,
                    scale: props.scale,
                    text: props.text,
                    shortLabel: props.shortLabel,
                    z: props.z,
                    color: props.col1,
                    frames: frames
                };
                keepLabelPlace(byId[props.id], props.labelPlace);
                if (sel > 0) {
                    byId[props.id].firstFrame = sel;
                }
                this.objects.push(byId[props.id]);
            }
        }
        return changed;
    };

    // The first record of each id, as findObject would find it.
    FrameManager.prototype.recordsById = function () {
        var byId = {};
        for (var i = 0; i < this.objects.length; i++) {
            if (!byId.hasOwnProperty(this.objects[i].id)) {
                byId[this.objects[i].id] = this.objects[i];
            }
        }
        return byId;
    };

    // Does not save first: whatever the display held is replaced. The group
    // of an item already on display is reused when it still shows its
    // record (only positions differ between frames); the rest are built
    // afresh, and groups of items no longer in the model go. The groups of
    // the ids in `keep` (optional) already show their records at frame n
    // exactly and are left as they are, selection and controls too. With
    // `undrawn` set the caller draws, once everything else is in place.
    FrameManager.prototype.loadFrame = function (n, keep, undrawn) {
        this.checkFrameIndex(n, 'FrameManager.loadFrame');
        var layer = this.animLayer;
        var shown = {};
        layer.itemGroups().forEach(function (group) {
            var id = group.getAttr('id');
            if (shown.hasOwnProperty(id)) {
                group.destroy();
            } else {
                shown[id] = group;
            }
        });
        var self = this;
        var records = this.objects.filter(function (record) {
            return self.isOnPitch(record, n);
        });
        var groups = records.map(function (record) {
            var group = shown.hasOwnProperty(record.id) ? shown[record.id] : null;
            delete shown[record.id];
            if (group && keep && keep.hasOwnProperty(record.id)) {
                return group;
            }
            // One playback brought on or took off is built afresh, as a
            // load would build it.
            if (group && group.showsRecord(record) && !wasFaded(group)) {
                var state = record.frames[n];
                group.showAgain(layer.pixelPos(state), state.rotation, layer.layerScale, layer.rotation(),
                    record.scale);
                return group;
            }
            if (group) {
                group.destroy();
            }
            return self.addGroupFor(record, n);
        });
        Object.keys(shown).forEach(function (id) {
            shown[id].destroy();
        });
        layer.placeItemGroups(groups);
        this.stack(groups, records);
        layer.setCaption(this.captionOf(n));
        if (this.drawings) {
            this.drawings.showFrame(n, undrawn);
        }
        this.selectedFrame = n;
        this.updateRunningLines(n);
        if (!undrawn) {
            layer.batchDraw();
        }
    };

    FrameManager.prototype.addGroupFor = function (record, n) {
        var layer = this.animLayer;
        var state = record.frames[n];
        var pos = layer.pixelPos(state);
        var group = new window.FieldItemGroup(pos.x, pos.y, state.rotation, record.scale,
            record.type, record.color, record.color, record.id, record.text, record.shortLabel,
            layer.layerScale, layer.rotation());
        if (labelPlaceOf(record) !== group.getLabelPlace()) {
            group.setLabelPlace(labelPlaceOf(record));
        }
        layer.add(group);
        return group;
    };

    // How many items the drill has: those of the model, and those added on
    // display since the last save.
    FrameManager.prototype.itemCount = function () {
        var byId = this.recordsById();
        return this.objects.length + this.animLayer.itemGroups().filter(function (group) {
            return !byId.hasOwnProperty(group.getAttr('id'));
        }).length;
    };

    // Every item on display stands exactly where its record puts it in the
    // selected frame, selection and controls kept. Called with the display
    // saved, so that only places a last digit off move.
    FrameManager.prototype.placeShownItems = function () {
        var layer = this.animLayer;
        var byId = this.recordsById();
        var sel = this.selectedFrame;
        layer.itemGroups().forEach(function (group) {
            var id = group.getAttr('id');
            if (byId.hasOwnProperty(id)) {
                var state = byId[id].frames[sel];
                group.updatePosition(layer.pixelPos(state), state.rotation);
                group.setControlsPosition();
            }
        });
    };

    // `groups[k]` shows `records[k]` (this.objects[k] when not given). They
    // are moved to their stacking
    // indices from the back forwards: each move then leaves the groups
    // already placed behind it where they were, so the saved stacking comes
    // back exactly. (In model order it does not always: some orders of four
    // or more items came back changed.)
    FrameManager.prototype.stack = function (groups, records) {
        var objects = records || this.objects;
        var byDepth = groups.map(function (group, k) { return k; });
        byDepth.sort(function (a, b) {
            return (objects[a].z - objects[b].z) || (a - b);
        });
        for (var k = 0; k < byDepth.length; k++) {
            groups[byDepth[k]].setZIndex(objects[byDepth[k]].z);
        }
    };

    // Puts `objects` in the model in place of its own and shows frame `n`
    // of them: an undo or a redo, the frame count and captions already set.
    // The items whose ids are in `keep` are on display exactly as their
    // records say already, and are not touched.
    FrameManager.prototype.replaceObjects = function (objects, n, keep) {
        for (var i = 0; i < objects.length; i++) {
            this.idCounter = Math.max(this.idCounter, objects[i].id);
        }
        this.objects = objects;
        this.loadFrame(n, keep);
    };

    // The items on display already stand at the copied states, so they are
    // not rebuilt.
    FrameManager.prototype.addFrame = function () {
        this.saveFrame();
        var sel = this.selectedFrame;
        for (var i = 0; i < this.objects.length; i++) {
            var frames = this.objects[i].frames;
            frames.splice(sel + 1, 0, copyState(frames[sel]));
            forgetText(this.objects[i]);
        }
        this.frameText.splice(sel + 1, 0, '');
        // Durations follow the frames as captions do: the step from the
        // selected frame keeps its hold and now leads to the copy, and the
        // copy's own step is a plain second.
        this.frameDurations.splice(sel + 1, 0, window.FrameTiming.STEP_MS);
        this.spansAfterInsert(sel);
        this.bendsAfterInsert(sel);
        this.holdersAfterInsert(sel);
        this.animLayer.setCaption('');
        if (this.drawings) {
            this.drawings.frameAdded(sel);
            this.drawings.showFrame(sel + 1);
        }
        this.nFrames += 1;
        this.selectedFrame = sel + 1;
        this.updateRunningLines(this.selectedFrame);
    };

    // Not saved first: changes made on the removed frame since the last save
    // go with it.
    FrameManager.prototype.removeSelectedFrame = function () {
        if (this.nFrames === 1) {
            return;
        }
        var sel = this.selectedFrame;
        for (var i = 0; i < this.objects.length; i++) {
            this.objects[i].frames.splice(sel, 1);
            forgetText(this.objects[i]);
        }
        this.frameText.splice(sel, 1);
        // The removed frame's step goes with it; the last frame has none,
        // and then the step that led to it goes.
        this.frameDurations.splice(Math.min(sel, this.nFrames - 2), 1);
        this.bendsAfterRemoval(sel);
        this.holdersAfterRemoval(sel);
        this.spansAfterRemoval(sel);
        if (this.drawings) {
            this.drawings.frameRemoved(sel);
        }
        if (sel > 0) {
            this.selectedFrame = sel - 1;
        }
        this.nFrames -= 1;
        this.loadFrame(this.selectedFrame);
    };

    FrameManager.prototype.removeObject = function (id) {
        for (var i = 0; i < this.objects.length; i++) {
            if (this.objects[i].id === id) {
                this.objects.splice(i, 1);
                this.forgetHolder(id);
                return;
            }
        }
    };

    FrameManager.prototype.resetState = function () {
        this.objects = [];
        this.selectedFrame = 0;
        this.nFrames = 1;
        this.frameText = [];
        this.frameDurations = [];
        this.idCounter = 0;
        this.animLayer.clearAnimation();
    };

    FrameManager.prototype.clearAnimation = function () {
        this.resetState();
        if (this.drawings) {
            this.drawings.clear();
            this.drawings.showFrame(0);
        }
    };

    // null when the model has no such object.
    FrameManager.prototype.objectForFrame = function (id, f) {
        var record = this.findObject(id);
        return record ? record.frames[f] : null;
    };

    // The text `write` gives for `record`, written once and kept until the
    // record changes: saving a large drill after a change to one item
    // writes that item's record alone.
    FrameManager.prototype.recordText = function (record, write) {
        var text = record[RECORD_TEXT];
        if (typeof text !== 'string') {
            text = write(record);
            keepText(record, text);
        }
        return text;
    };

    // `record`, just read from `text` (which `write` gave for an equal
    // record), keeps it.
    FrameManager.prototype.keepRecordText = function (record, text) {
        keepText(record, text);
    };

    FrameManager.prototype.generateUniqueId = function () {
        this.idCounter += 1;
        return this.idCounter;
    };

    // `settings`: a parsed animation file. Only the frame model's members
    // are read here; checking that a file holds them in the right shape is
    // the loader's job, before it gets this far. Ids are renumbered from 1
    // unless `keepIds` is set; new ids then follow the largest. `undrawn`
    // as for loadFrame.
    // The steps' durations a file holds, or a second each when it holds
    // none (checked by the loader before this).
    function durationsOf(settings) {
        return Array.isArray(settings.frameDurations) ? settings.frameDurations.slice() :
            window.FrameTiming.defaults(settings.nFrames - 1);
    }
    FrameManager.durationsOf = durationsOf;

    // Holds step `n` (from frame n to n + 1) for `ms` milliseconds.
    FrameManager.prototype.setStepDuration = function (n, ms) {
        if (!isWholeNumber(n) || n < 0 || n >= this.nFrames - 1) {
            throw new Error('FrameManager.setStepDuration: no step ' + n + ' in ' + this.nFrames + ' frames');
        }
        this.frameDurations[n] = ms;
    };

    FrameManager.prototype.loadSettings = function (settings, keepIds, undrawn) {
        if (!settings || !Array.isArray(settings.objects) || !Array.isArray(settings.frameText) ||
                !isWholeNumber(settings.nFrames) || settings.nFrames < 1 ||
                !isWholeNumber(settings.selectedFrame) || settings.selectedFrame < 0 ||
                settings.selectedFrame >= settings.nFrames) {
            throw new Error('FrameManager.loadSettings: objects, nFrames, selectedFrame and frameText are needed');
        }
        this.resetState();
        this.objects = settings.objects;
        this.selectedFrame = settings.selectedFrame;
        this.nFrames = settings.nFrames;
        this.frameText = settings.frameText.slice();
        this.frameDurations = durationsOf(settings);

        if (this.frameText.length !== this.nFrames) {
            window.myDispatchEvent('errorOpeningFile', { errorInfo: FRAME_COUNT_MISMATCH });
            // Reported; from here on each frame has exactly one caption:
            // missing ones are empty, surplus ones (with no frame to show
            // them) are dropped.
            while (this.frameText.length < this.nFrames) {
                this.frameText.push('');
            }
            this.frameText.length = this.nFrames;
        }

        for (var i = 0; i < this.objects.length; i++) {
            if (keepIds) {
                this.idCounter = Math.max(this.idCounter, this.objects[i].id);
            } else {
                this.objects[i].id = this.generateUniqueId();
                forgetText(this.objects[i]);
            }
        }
        this.loadFrame(this.selectedFrame, null, undrawn);
    };

    window.FrameManager = FrameManager;
}(window));
