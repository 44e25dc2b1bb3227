// The places labels keep through playback, scrubbing and the video's
// pictures (LabelLayout.js): each label keeps the place it had, step after
// step, unless that place would be hidden at the step's start or for longer
// than about half a second during the step; then it moves at the step's
// start to the place hidden least through the step. A ball passing under a
// name thus leaves it where it is, where laying every moment out afresh
// flipped it to the other side and back within a fraction of a second.
//
// The places are worked out from the frame model's records (the items'
// places at moments through each step) and the labels' boxes as they
// stand, step after step from the full layout of a starting frame, as the
// editor shows that frame: frame 0, and every ANCHOR_EVERY-th frame after,
// so that a moment shows the same however it is reached (played from any
// frame, scrubbed to, or drawn for a video) and a playback started late in
// a long drill does not first work out every step before it.
(function (window) {
    'use strict';

    var LabelLayout = window.LabelLayout;

    // Moments looked at through a step are about this far apart.
    var SAMPLE_MS = 125;
    // A place hidden for longer than this during a step is left at its start.
    var HOLD_MS = 500;
    // The places start afresh from the full layout of every frame this
    // many frames on from the last.
    var ANCHOR_EVERY = 8;

    // Forgets the places worked out: the drill or the pitch may have changed.
    LabelLayout.prototype.forgetSteps = function () {
        this.steps = null;
    };

    // The labels keep the places of step k of the frame model `frames` (of
    // the frame k itself for the last frame), worked out as far as that.
    LabelLayout.prototype.showStep = function (frames, k) {
        // Worked out again for a pitch resized or turned since (a window
        // resized during playback).
        var layer = this.layer;
        var pitch = [layer.layerWidth, layer.layerHeight, layer.rotation()].join();
        if (!this.steps || this.steps.frames !== frames || this.steps.pitch !== pitch) {
            var items = this.itemsNow();
            this.steps = { frames: frames, pitch: pitch, items: items, places: [],
                named: items.some(function (item) { return !!item.home; }) };
        }
        var places = this.steps.places;
        var last = frames.nFrames - 1;
        var step = Math.max(0, Math.min(k, last));
        var from = step - step % ANCHOR_EVERY;
        for (var n = from; n <= step; n++) {
            // A drill without names has no places to work out.
            if (!places[n] && !this.steps.named) {
                places[n] = {};
            }
            if (!places[n]) {
                var previous = n > from ? places[n - 1] : this.placesOver(this.stepScenes(n, true), 0, {});
                places[n] = this.placesOver(this.stepScenes(n, n === last), SAMPLE_MS, previous);
            }
        }
        this.step = step;
    };

    // What is kept of each item group on display, in stacking order: its id,
    // its drawing's size and turn, and its label's home box as an offset
    // from the item's centre (null for none).
    LabelLayout.prototype.itemsNow = function () {
        var rotation = this.layer.rotation();
        return this.layer.itemGroups().map(function (group) {
            var drawing = group.getFieldItem().group;
            var centre = window.rotatePos({ x: drawing.x(), y: drawing.y() }, rotation);
            var home = group.itemText.homeBox();
            return {
                group: group,
                key: group.getAttr('id'),
                w: drawing.width(),
                h: drawing.height(),
                rotation: drawing.rotation(),
                home: home && { dx: home.x - centre.x, dy: home.y - centre.y, w: home.w, h: home.h }
            };
        });
    };

    // The moments of step k looked at, its start first (only its start for
    // the last frame, or with `start`): scenes as LabelLayout.sceneNow gives.
    LabelLayout.prototype.stepScenes = function (k, start) {
        var frames = this.steps.frames;
        var layer = this.layer;
        var shown = layer.getCaption();
        layer.setCaption(frames.captionOf(k));
        var caption = layer.frameCaption.box(layer.rotation());
        layer.setCaption(shown);
        var count = start ? 0 : Math.max(1, Math.round(frames.frameDurations[k] / SAMPLE_MS));
        var scenes = [];
        for (var s = 0; s <= count; s++) {
            scenes.push(this.sceneAt(k, count ? s / count : 0, caption));
        }
        return scenes;
    };

    // The moment `fraction` of the way from frame k to the next, from the
    // frame model's records.
    LabelLayout.prototype.sceneAt = function (k, fraction, captionBox) {
        var layer = this.layer;
        var frames = this.steps.frames;
        var rotation = layer.rotation();
        var byId = {};
        frames.objects.forEach(function (record) {
            if (!byId.hasOwnProperty(record.id)) {
                byId[record.id] = record;
            }
        });
        var scene = { bounds: this.bounds(), gap: this.gap(), items: [], labels: [], heavy: [], light: [] };
        this.steps.items.forEach(function (item) {
            var record = byId.hasOwnProperty(item.key) ? byId[item.key] : null;
            var state = record && window.PlaybackManager.stateAt(frames, byId, record, k, fraction);
            var box;
            if (state) {
                var p = layer.pixelPos(state);
                var drawn = item.group.drawnRotation(state.rotation);
                box = LabelLayout.boxAround(window.rotatePos(p, rotation), item.w, item.h, drawn + rotation);
            } else {
                box = LabelLayout.boxAround(window.rotatePos(item.group.centre(), rotation), item.w, item.h,
                    item.rotation + rotation);
            }
            scene.items.push(box);
            if (item.home) {
                var home = { x: box.cx + item.home.dx, y: box.cy + item.home.dy, w: item.home.w, h: item.home.h };
                scene.labels.push({ home: home, item: box, key: item.key });
            }
        });
        if (scene.labels.length) {
            this.addObstacles(scene, (k + fraction) * 1000, captionBox);
        }
        return scene;
    };

    // The place of each label over `scenes` (`ms` apart), by its item's id:
    // the one in `previous` while it is not hidden at the start nor for
    // longer than HOLD_MS, else the one chosen afresh.
    LabelLayout.prototype.placesOver = function (scenes, ms, previous) {
        var placed = LabelLayout.nonePlaced(scenes.length);
        var places = {};
        scenes[0].labels.forEach(function (label, i) {
            var kept = previous.hasOwnProperty(label.key) ?
                LabelLayout.farePlace(i, previous[label.key], scenes, placed, ms) : null;
            if (kept && kept.run <= HOLD_MS && !kept.hiddenFirst) {
                LabelLayout.keepPlace(kept, placed);
            } else {
                kept = LabelLayout.choosePlace(i, scenes, placed, ms);
                LabelLayout.keepPlace(kept, placed);
            }
            places[label.key] = kept.place;
        });
        return places;
    };
}(window));
