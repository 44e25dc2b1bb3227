// The frame model's running lines: every item on display shows where its
// record had it in the frame before the given one and where it has it in
// the two after, in the layer's pixels: each line only between two frames
// the item is on the pitch in, and none for a step a held ball makes at its
// holder's feet. Adds updateRunningLines to
// FrameManager.js; it is called again whenever the frame shown, or
// whether lines show at all, changes.
(function (FrameManager) {
    'use strict';

    FrameManager.prototype.updateRunningLines = function (frameIndex) {
        var layer = this.animLayer;
        var n = this.nFrames;
        var origin = { x: 0, y: 0 };
        var groupsById = {};
        layer.find('.fieldItemGroup').toArray().forEach(function (group) {
            var id = group.getAttr('id');
            if (!groupsById.hasOwnProperty(id)) {
                groupsById[id] = group;
            }
        });
        var visibility = [frameIndex > 0, frameIndex + 1 < n, frameIndex + 2 < n];

        for (var i = 0; i < this.objects.length; i++) {
            var record = this.objects[i];
            if (!groupsById.hasOwnProperty(record.id)) {
                continue;
            }
            var frames = record.frames;
            var first = FrameManager.firstFrameOf(record);
            var last = this.lastFrameOf(record);
            // A ball its holder keeps through a step runs his line, not one
            // of its own.
            var shown = [0, 1, 2].map(function (k) {
                var from = frameIndex - 1 + k;
                var held = FrameManager.holderOf(record, from);
                return visibility[k] && from >= first && frameIndex + k <= last &&
                    !(held !== null && held === FrameManager.holderOf(record, from + 1));
            });
            var pos0 = visibility[0] ? layer.pixelPos(frames[frameIndex - 1]) : origin;
            var pos1 = layer.pixelPos(frames[frameIndex]);
            var pos2 = visibility[1] ? layer.pixelPos(frames[frameIndex + 1]) : origin;
            var pos3 = visibility[2] ? layer.pixelPos(frames[frameIndex + 2]) : origin;
            var lines = groupsById[record.id].runningLines;
            lines.setBends(record.bends ? [0, 1, 2].map(function (k) {
                var bend = shown[k] && FrameManager.bendOf(record, frameIndex - 1 + k);
                return bend ? layer.pixelPos(bend) : null;
            }) : null);
            lines.setLines(pos0, pos1, pos2, pos3, shown,
                layer.showRunningLines);
        }
    };
}(window.FrameManager));
