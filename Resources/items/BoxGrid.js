// Boxes ({ x, y, w, h }) filed by the square cells of a grid that they
// meet, so that what lies near a place is found without looking at every
// box: the label layout asks, for each name at each moment, what a place
// covers among a drill's players, names, notes and drawings, which in a
// large drill number in the hundreds.
//
// Use: var grid = new BoxGrid(boxes); grid.add(box); grid.each(x, y, w, h,
// fn) calls fn(box) once for each box filed in a cell the rectangle meets,
// some of which may lie beside it; fn must not ask the grid again.
(function (window) {
    'use strict';

    // Pixels; about the size of a name, so that a question looks at a few
    // cells.
    var CELL = 64;
    // Cell numbers are kept apart in one key: far beyond any pitch.
    var SPAN = 100000;
    var OFFSET = SPAN / 2;

    // Each question marks the boxes it has met with its own number, so that
    // a box filed in several cells is met once.
    var questions = 0;

    function BoxGrid(boxes) {
        if (!(this instanceof BoxGrid)) {
            throw new Error('BoxGrid must be called with new');
        }
        this.cells = {};
        this.count = 0;
        var grid = this;
        (boxes || []).forEach(function (box) {
            grid.add(box);
        });
    }

    function cellOf(v) {
        return Math.floor(v / CELL);
    }

    BoxGrid.prototype.add = function (box) {
        if (!box || !isFinite(box.x) || !isFinite(box.y) || !isFinite(box.w) || !isFinite(box.h)) {
            throw new Error('BoxGrid.add: a box { x, y, w, h } of finite numbers is needed');
        }
        var x1 = cellOf(box.x + box.w);
        var y1 = cellOf(box.y + box.h);
        for (var gx = cellOf(box.x); gx <= x1; gx++) {
            for (var gy = cellOf(box.y); gy <= y1; gy++) {
                var key = (gx + OFFSET) * SPAN + gy + OFFSET;
                (this.cells[key] || (this.cells[key] = [])).push(box);
            }
        }
        this.count += 1;
    };

    BoxGrid.prototype.each = function (x, y, w, h, fn) {
        if (this.count === 0) {
            return;
        }
        questions += 1;
        var mark = questions;
        var x1 = cellOf(x + w);
        var y1 = cellOf(y + h);
        for (var gx = cellOf(x); gx <= x1; gx++) {
            for (var gy = cellOf(y); gy <= y1; gy++) {
                var list = this.cells[(gx + OFFSET) * SPAN + gy + OFFSET];
                if (!list) {
                    continue;
                }
                for (var i = 0; i < list.length; i++) {
                    if (list[i].metBy !== mark) {
                        list[i].metBy = mark;
                        fn(list[i]);
                    }
                }
            }
        }
    };

    window.BoxGrid = BoxGrid;
}(window));
