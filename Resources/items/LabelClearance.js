// Keeps a selected item's controls off its label. A control whose circle
// would touch the label's box is moved straight away from the item's
// centre until it is clear: it stays on the same side of the item and in
// the same direction from it, so the rotate handle still lies on the
// item's own axis and the buttons keep their order around the item.
// Wherever the label stands (below the item or above it), its drawn box is
// what is kept clear.
(function (window) {
    'use strict';

    // Space kept between a control's circle and the label.
    var GAP = 3;

    // The axis-aligned box, in its parent's coordinates, of a text node
    // turned by a multiple of 90 degrees; null for no text.
    function textBox(node) {
        if (!node || node.text() === '' || !node.visible()) {
            return null;
        }
        var t = node.getTransform();
        var w = node.width();
        var h = node.height();
        var corners = [{ x: 0, y: 0 }, { x: w, y: 0 }, { x: 0, y: h }, { x: w, y: h }].map(function (p) {
            return t.point(p);
        });
        var xs = corners.map(function (p) { return p.x; });
        var ys = corners.map(function (p) { return p.y; });
        return {
            left: Math.min.apply(null, xs),
            right: Math.max.apply(null, xs),
            top: Math.min.apply(null, ys),
            bottom: Math.max.apply(null, ys)
        };
    }

    // `labelNode()`: the label's text node, or null while it has none.
    function createLabelClearance(labelNode) {
        if (typeof labelNode !== 'function') {
            throw new Error('createLabelClearance: a function giving the label node is needed');
        }
        return {
            // `pos`, a control of radius `radius` about to be put there for
            // an item centred on `centre`: where it goes instead, clear of
            // the label. The label's box grown by the radius and the gap is
            // left along the ray from the centre through `pos`.
            clear: function (centre, pos, radius) {
                var box = textBox(labelNode());
                if (!box) {
                    return pos;
                }
                var r = radius + GAP;
                var grown = { left: box.left - r, right: box.right + r, top: box.top - r, bottom: box.bottom + r };
                if (pos.x <= grown.left || pos.x >= grown.right || pos.y <= grown.top || pos.y >= grown.bottom) {
                    return pos;
                }
                var dx = pos.x - centre.x;
                var dy = pos.y - centre.y;
                var length = Math.sqrt(dx * dx + dy * dy);
                if (length === 0) {
                    dx = 0;
                    dy = -1;
                } else {
                    dx /= length;
                    dy /= length;
                }
                var tx = dx > 0 ? (grown.right - pos.x) / dx : dx < 0 ? (grown.left - pos.x) / dx : Infinity;
                var ty = dy > 0 ? (grown.bottom - pos.y) / dy : dy < 0 ? (grown.top - pos.y) / dy : Infinity;
                var t = Math.min(tx, ty);
                return { x: pos.x + t * dx, y: pos.y + t * dy };
            },
            box: function () {
                return textBox(labelNode());
            }
        };
    }

    window.createLabelClearance = createLabelClearance;
}(window));
