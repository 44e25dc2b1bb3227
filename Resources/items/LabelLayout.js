// The item labels of the animation layer, made ready each time the layer is
// drawn (in the editor, in playback and in every exported picture): each
// takes the look of the paper it is drawn on (grass, or a report's white),
// and labels that would hide one another, or be hidden by an item, a note
// or the caption, move aside: in a lineout each name would otherwise lie
// under the next player, or across the next name.
//
// A label keeps its own place (below its item, or above as the coach chose)
// whenever that is clear; else it takes the first clear one around its item
// (LabelLayout.places.js), none further than about the item's height and
// all on the pitch, where a picture of the drill cannot cut it off; where
// none is clear, the place covering least, a drawing before a player or a
// name. A label away from its own place has a thin leader line to its item,
// drawn under every item. Labels are placed in stacking order, as seen on
// screen (upright whatever the pitch's turn), on whole pixels so that their
// edges are sharp; nothing of it is saved. While playback holds the places
// (hold), each label keeps the place chosen for the step on show
// (LabelLayout.steps.js) and follows its item there.
(function (window) {
    'use strict';

    // Between a label and what it keeps clear of, at layer scale 1.
    var GAP = 2;

    // The upright box an item of drawn size w x h centred on `c` (screen
    // coordinates) covers when turned by `degrees` on screen:
    // { x, y, w, h, cx, cy }.
    function boxAround(c, w, h, degrees) {
        var a = window.radians(degrees);
        var cos = Math.abs(Math.cos(a));
        var sin = Math.abs(Math.sin(a));
        var ex = w / 2 * cos + h / 2 * sin;
        var ey = w / 2 * sin + h / 2 * cos;
        return { x: c.x - ex, y: c.y - ey, w: 2 * ex, h: 2 * ey, cx: c.x, cy: c.y };
    }

    // The upright box the item `drawing` (a field item's group) covers on
    // screen, turned by the layer's `rotation`.
    function itemBox(drawing, rotation) {
        var c = window.rotatePos({ x: drawing.x(), y: drawing.y() }, rotation);
        return boxAround(c, drawing.width(), drawing.height(), drawing.rotation() + rotation);
    }

    // From now on `layer` (the animation layer, with its item groups) lays
    // out its labels before each drawing of itself: layOut() (a full layout
    // now), hold(on), isHeld(). `watchDrawings(drawingLayer)` makes its
    // notes and drawings count.
    function LabelLayout(layer) {
        if (!layer || typeof layer.itemGroups !== 'function') {
            throw new Error('LabelLayout: the animation layer is needed');
        }
        this.layer = layer;
        this.drawings = null;
        this.held = false;
        this.steps = null;
        this.step = 0;
        var labelLayout = this;
        layer.on('beforeDraw', function () {
            if (labelLayout.held) {
                labelLayout.layOutHeld();
            } else {
                labelLayout.layOut();
            }
        });
    }

    LabelLayout.boxAround = boxAround;

    function sameBox(a, b) {
        return a === b || (a.x === b.x && a.y === b.y && a.w === b.w && a.h === b.h);
    }

    function sameBoxes(a, b) {
        return a.length === b.length && a.every(function (box, i) { return sameBox(box, b[i]); });
    }

    // Whether the labels laid out over `before` stand as they should over
    // `now`: the same texts (nodes, not only words), each where the layout
    // left it (an item placed again has its label back home), with the same
    // homes, among the same things.
    function sameScene(before, now) {
        if (!before || before.labels.length !== now.labels.length || !sameBox(before.bounds, now.bounds)) {
            return false;
        }
        for (var i = 0; i < now.labels.length; i++) {
            var text = now.labels[i].text;
            if (before.labels[i].text !== text || before.nudges[i] !== text.nudge ||
                    !sameBox(before.labels[i].home, now.labels[i].home)) {
                return false;
            }
        }
        return sameBoxes(before.items, now.items) && sameBoxes(before.heavy, now.heavy) &&
            sameBoxes(before.light, now.light);
    }

    LabelLayout.prototype.watchDrawings = function (drawingLayer) {
        this.drawings = drawingLayer;
    };

    // The pitch as seen on screen, in the turned pixels of the layout, less
    // a gap all round: a name never touches the edge of a picture.
    LabelLayout.prototype.bounds = function () {
        var layer = this.layer;
        var corner = window.rotatePos({ x: layer.layerWidth, y: layer.layerHeight }, layer.rotation());
        var gap = this.gap();
        return { x: Math.min(0, corner.x) + gap, y: Math.min(0, corner.y) + gap, w: Math.abs(corner.x) - 2 * gap,
            h: Math.abs(corner.y) - 2 * gap };
    };

    LabelLayout.prototype.gap = function () {
        return GAP * (this.layer.layerScale || 1);
    };

    // The moment on display, as the places are chosen over: { bounds, gap,
    // items, labels, heavy, light } — the pitch, every item's box (all of
    // them with `obstacles`, else only labelled ones'), each label with its
    // home box, its item's box and its item's id (`key`), and the boxes of
    // notes and the caption (heavy) and of drawings (light). Every number
    // and label takes the paper's look and its number is put on whole
    // pixels.
    LabelLayout.prototype.sceneNow = function (obstacles) {
        var layer = this.layer;
        var rotation = layer.rotation();
        var forPrint = !!layer.drawForPrint;
        var scene = { bounds: this.bounds(), gap: this.gap(), items: [], labels: [], heavy: [], light: [] };
        layer.itemGroups().forEach(function (group) {
            // A number stays on its item, on whole pixels as the labels.
            group.shortLabelText.nudgeTo(0, 0);
            var text = group.itemText;
            text.setForPrint(forPrint);
            var home = text.homeBox();
            if (!home) {
                text.setLeader(null);
                if (!obstacles) {
                    return;
                }
            }
            var box = itemBox(group.getFieldItem().group, rotation);
            scene.items.push(box);
            if (home) {
                scene.labels.push({ text: text, home: home, item: box, key: group.getAttr('id') });
            }
        });
        // With no label to place, nothing else matters.
        if (obstacles && scene.labels.length) {
            this.addObstacles(scene, null, layer.frameCaption.box(rotation));
        }
        return scene;
    };

    // Notes and drawings shown at `timeMs` (those on display when null),
    // and the caption's box, added to `scene`.
    LabelLayout.prototype.addObstacles = function (scene, timeMs, captionBox) {
        if (captionBox) {
            scene.heavy.push(captionBox);
        }
        if (this.drawings) {
            var found = this.drawings.labelObstacles(timeMs);
            scene.heavy = scene.heavy.concat(found.heavy);
            scene.light = found.light;
        }
    };

    // Puts the label at `box`, which `place` ({ line, along }) gives it,
    // with its leader line when that is not its own place.
    LabelLayout.prototype.put = function (label, place, box) {
        label.text.nudgeTo(box.x - label.home.x, box.y - label.home.y);
        if (LabelLayout.isHomePlace(place)) {
            label.text.setLeader(null);
            return;
        }
        var item = label.item;
        var near = {
            x: Math.max(box.x, Math.min(item.cx, box.x + box.w)),
            y: Math.max(box.y, Math.min(item.cy, box.y + box.h))
        };
        var turn = -this.layer.rotation();
        label.text.setLeader(window.rotatePos(near, turn), window.rotatePos({ x: item.cx, y: item.cy }, turn),
            this.layer.layerScale || 1);
    };

    // The layer is drawn again and again with nothing moved (a press, a
    // hover, a button lit): the labels then stay where the last layout put
    // them, where each drawing laid every one out afresh.
    LabelLayout.prototype.layOut = function () {
        var scene = this.sceneNow(true);
        if (sameScene(this.lastScene, scene)) {
            return;
        }
        this.lastScene = scene;
        var placed = LabelLayout.nonePlaced(1);
        var labelLayout = this;
        scene.labels.forEach(function (label, i) {
            var chosen = LabelLayout.choosePlace(i, [scene], placed, 0);
            LabelLayout.keepPlace(chosen, placed);
            label.text.placeChosen = chosen.place;
            labelLayout.put(label, chosen.place, chosen.boxes[0]);
        });
        scene.nudges = scene.labels.map(function (label) {
            return label.text.nudge;
        });
    };

    // Each label at the place chosen for it for the step on show (or at the
    // last full layout), beside its item as the item now stands; a full
    // layout when any label has none yet (its text was first given
    // characters since).
    LabelLayout.prototype.layOutHeld = function () {
        var scene = this.sceneNow(false);
        var places = this.steps && this.steps.places[this.step];
        var chosen = scene.labels.map(function (label) {
            if (places && places.hasOwnProperty(label.key)) {
                return places[label.key];
            }
            return label.text.placeChosen;
        });
        if (chosen.some(function (place) { return !place; })) {
            this.layOut();
            return;
        }
        var labelLayout = this;
        this.lastScene = null;
        scene.labels.forEach(function (label, i) {
            labelLayout.put(label, chosen[i], LabelLayout.placeBox(label, chosen[i], scene));
        });
    };

    LabelLayout.prototype.hold = function (on) {
        this.held = !!on;
        this.lastScene = null;
    };

    LabelLayout.prototype.isHeld = function () {
        return this.held;
    };

    window.LabelLayout = LabelLayout;
}(window));
