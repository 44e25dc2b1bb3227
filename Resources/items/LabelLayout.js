// The item labels of the animation layer, made ready each time the layer is
// drawn (in the editor, in playback and in every exported picture): each
// takes the look of the paper it is drawn on (grass, or a report's white),
// and labels that would hide one another, or be hidden by another item,
// move aside. Players standing shoulder to shoulder (a lineout) would
// otherwise each have their name under the next player, or names written
// across one another.
//
// A label keeps its place beside its item (below, or above as the coach
// chose) whenever that is clear. Otherwise it takes the first clear one of:
// beside the item to the right, to the left, on the item's other side
// (above instead of below), then further out in rows on its own side and on
// the other, stacked like lines of a list. A place off the pitch is not
// clear: a picture of the drill would cut the label off. Where none is
// clear the label takes the place it covers least of. Labels are placed in stacking order, each keeping
// clear of the items and of the labels placed before it. Everything is
// worked out as seen on screen, where the labels stand upright whatever the
// pitch's turn; nothing of it is saved. Labels and numbers are put on whole
// pixels, so that their edges are sharp and playback's bitmaps of them land
// where they are drawn.
//
// While playback holds the places (hold), each label keeps the place it was
// given at the last full layout (which playback makes at each frame it
// enters) and follows its item there: names would otherwise hop from side
// to side as players pass, and a search for every name on every tick was
// a large share of a tick's cost.
(function (window) {
    'use strict';

    // Between a moved label and what it keeps clear of, at layer scale 1.
    var GAP = 2;

    // The upright box the item `drawing` (a field item's group) covers on
    // screen, turned by the layer's `rotation`: { x, y, w, h, cx, cy }.
    function itemBox(drawing, rotation) {
        var c = window.rotatePos({ x: drawing.x(), y: drawing.y() }, rotation);
        var a = window.radians(drawing.rotation() + rotation);
        var cos = Math.abs(Math.cos(a));
        var sin = Math.abs(Math.sin(a));
        var hw = drawing.width() / 2;
        var hh = drawing.height() / 2;
        var ex = hw * cos + hh * sin;
        var ey = hw * sin + hh * cos;
        return { x: c.x - ex, y: c.y - ey, w: 2 * ex, h: 2 * ey, cx: c.x, cy: c.y };
    }

    // Each label ready to be placed, with the items' boxes (all of them
    // when `allItems`, else only those of labelled items): { labels,
    // obstacles }. Every number and label takes the paper's look and its
    // number is put on whole pixels.
    function readLabels(layer, rotation, allItems) {
        var forPrint = !!layer.drawForPrint;
        var obstacles = [];
        var labels = [];
        layer.itemGroups().forEach(function (group) {
            // A number stays on its item, on whole pixels as the labels.
            group.shortLabelText.nudgeTo(0, 0);
            var text = group.itemText;
            text.setForPrint(forPrint);
            var home = text.homeBox();
            if (!home && !allItems) {
                return;
            }
            var box = itemBox(group.getFieldItem().group, rotation);
            obstacles.push(box);
            if (home) {
                labels.push({ text: text, home: home, item: box });
            }
        });
        return { labels: labels, obstacles: obstacles };
    }

    // From now on `layer` (the animation layer, with its item groups) lays
    // out its labels before each drawing of itself: layOut() (a full layout
    // now), hold(on), isHeld().
    function LabelLayout(layer) {
        if (!layer || typeof layer.itemGroups !== 'function') {
            throw new Error('LabelLayout: the animation layer is needed');
        }
        this.layer = layer;
        this.held = false;
        var labelLayout = this;
        layer.on('beforeDraw', function () {
            if (labelLayout.held) {
                labelLayout.layOutHeld();
            } else {
                labelLayout.layOut();
            }
        });
    }

    LabelLayout.prototype.layOut = function () {
        var layer = this.layer;
        var rotation = layer.rotation();
        var gap = GAP * (layer.layerScale || 1);
        var corner = window.rotatePos({ x: layer.layerWidth, y: layer.layerHeight }, rotation);
        var bounds = { x: Math.min(0, corner.x), y: Math.min(0, corner.y), w: Math.abs(corner.x), h: Math.abs(corner.y) };
        var found = readLabels(layer, rotation, true);
        var labelLayout = this;
        found.labels.forEach(function (label) {
            labelLayout.placeLabel(label, found.obstacles, bounds, gap);
        });
    };

    // Each label at the place chosen for it last, beside its item as the
    // item now stands; a full layout when any label has none yet (its text
    // was first given characters since).
    LabelLayout.prototype.layOutHeld = function () {
        var layer = this.layer;
        var rotation = layer.rotation();
        var gap = GAP * (layer.layerScale || 1);
        var labels = readLabels(layer, rotation, false).labels;
        var unplaced = labels.some(function (label) {
            return typeof label.text.placeChosen !== 'number';
        });
        if (unplaced) {
            this.layOut();
            return;
        }
        var labelLayout = this;
        labels.forEach(function (label) {
            labelLayout.placeAsChosen(label, gap);
        });
    };

    LabelLayout.prototype.hold = function (on) {
        this.held = !!on;
    };

    LabelLayout.prototype.isHeld = function () {
        return this.held;
    };

    window.LabelLayout = LabelLayout;
}(window));
