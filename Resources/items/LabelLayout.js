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
    // Rows further out than its own place that a label may take, each side.
    var ROWS = 5;
    // A place covering less than this (in square pixels) is clear: boxes
    // that only touch can overlap by a rounding error.
    var CLEAR = 0.01;

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

    function overlap(a, ax, ay, b) {
        var w = Math.min(ax + a.w, b.x + b.w) - Math.max(ax, b.x);
        var h = Math.min(ay + a.h, b.y + b.h) - Math.max(ay, b.y);
        return (w > 0 && h > 0) ? w * h : 0;
    }

    // How much of the boxes in `obstacles` (but `own`) the label box `home`
    // moved by (dx, dy) covers, with what of it falls off the pitch
    // `bounds` (a label there is cut off in pictures); stops counting once
    // past `enough`.
    function covered(home, dx, dy, obstacles, own, bounds, enough) {
        var x = home.x + dx;
        var y = home.y + dy;
        var inside = x >= bounds.x && y >= bounds.y && x + home.w <= bounds.x + bounds.w &&
            y + home.h <= bounds.y + bounds.h;
        var sum = inside ? 0 : home.w * home.h - overlap(home, x, y, bounds);
        for (var i = 0; i < obstacles.length && sum <= enough; i++) {
            if (obstacles[i] !== own) {
                sum += overlap(home, x, y, obstacles[i]);
            }
        }
        return sum;
    }

    var CANDIDATES = 4 + 2 * ROWS;

    // Move number m (0 to CANDIDATES - 1) from its home that a label may
    // take, in order of choice: [dx, dy]. One at a time, since a label held
    // in place (playback, on every tick) needs only its own.
    function candidate(home, item, gap, m) {
        var besideY = item.cy - home.h / 2 - home.y;
        var otherSide = 2 * item.cy - home.h - 2 * home.y;
        switch (m) {
        case 0:
            return [0, 0];
        case 1:
            return [item.x + item.w + gap - home.x, besideY];
        case 2:
            return [item.x - gap - home.w - home.x, besideY];
        case 3:
            return [0, otherSide];
        }
        var away = (home.y + home.h / 2 >= item.cy) ? 1 : -1;
        var k = Math.floor((m - 2) / 2);
        var step = away * k * (home.h + gap);
        return m % 2 === 0 ? [0, step] : [0, otherSide - step];
    }

    // The moves from its home that a label may take, in order of choice.
    function candidates(home, item, gap) {
        var moves = [];
        for (var m = 0; m < CANDIDATES; m++) {
            moves.push(candidate(home, item, gap, m));
        }
        return moves;
    }

    // Puts the label where it covers least and records the place chosen
    // (its index among the candidates) on its text as `placeChosen`.
    function placeLabel(label, obstacles, bounds, gap) {
        var moves = candidates(label.home, label.item, gap);
        var chosen = 0;
        var least = Infinity;
        for (var m = 0; m < moves.length && least > CLEAR; m++) {
            var cover = covered(label.home, moves[m][0], moves[m][1], obstacles, label.item, bounds, least);
            if (cover < least) {
                least = cover;
                chosen = m;
            }
        }
        var best = moves[chosen];
        label.text.nudgeTo(best[0], best[1]);
        label.text.placeChosen = chosen;
        obstacles.push({ x: label.home.x + best[0], y: label.home.y + best[1], w: label.home.w, h: label.home.h });
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

    function layOut(layer) {
        var rotation = layer.rotation();
        var gap = GAP * (layer.layerScale || 1);
        var corner = window.rotatePos({ x: layer.layerWidth, y: layer.layerHeight }, rotation);
        var bounds = { x: Math.min(0, corner.x), y: Math.min(0, corner.y), w: Math.abs(corner.x), h: Math.abs(corner.y) };
        var found = readLabels(layer, rotation, true);
        found.labels.forEach(function (label) {
            placeLabel(label, found.obstacles, bounds, gap);
        });
    }

    // Each label at the place chosen for it last, beside its item as the
    // item now stands; a full layout when any label has none yet (its text
    // was first given characters since).
    function layOutHeld(layer) {
        var rotation = layer.rotation();
        var gap = GAP * (layer.layerScale || 1);
        var labels = readLabels(layer, rotation, false).labels;
        var unplaced = labels.some(function (label) {
            return typeof label.text.placeChosen !== 'number';
        });
        if (unplaced) {
            layOut(layer);
            return;
        }
        labels.forEach(function (label) {
            var move = candidate(label.home, label.item, gap, label.text.placeChosen);
            label.text.nudgeTo(move[0], move[1]);
        });
    }

    // From now on `layer` (the animation layer, with its item groups) lays
    // out its labels before each drawing of itself. Returns { layOut() (a
    // full layout now), hold(on), isHeld() }.
    function createLabelLayout(layer) {
        if (!layer || typeof layer.itemGroups !== 'function') {
            throw new Error('createLabelLayout: the animation layer is needed');
        }
        var held = false;
        layer.on('beforeDraw', function () {
            if (held) {
                layOutHeld(layer);
            } else {
                layOut(layer);
            }
        });
        return {
            layOut: function () {
                layOut(layer);
            },
            hold: function (on) {
                held = !!on;
            },
            isHeld: function () {
                return held;
            }
        };
    }

    window.createLabelLayout = createLabelLayout;
}(window));
