// The places beside its item that a label may take in the label layout
// (LabelLayout.js), in order of choice, and the choice among them: the first
// clear one, else the one the label covers least of.
(function (window) {
    'use strict';

    var LabelLayout = window.LabelLayout;

    // Rows further out than its own place that a label may take, each side.
    var ROWS = 5;
    // A place covering less than this (in square pixels) is clear: boxes
    // that only touch can overlap by a rounding error.
    var CLEAR = 0.01;

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
    LabelLayout.prototype.placeLabel = function (label, obstacles, bounds, gap) {
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
    };

    // Puts the label at the place chosen for it last (`placeChosen`),
    // beside its item as the item now stands.
    LabelLayout.prototype.placeAsChosen = function (label, gap) {
        var move = candidate(label.home, label.item, gap, label.text.placeChosen);
        label.text.nudgeTo(move[0], move[1]);
    };
}(window));
