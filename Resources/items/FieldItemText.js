// One of an item's two texts: the label written below the item (or above
// it, as the coach chooses per item), or the short label (a shirt number,
// initials) written across its middle. Both read upright on screen whatever
// the item's or the pitch's rotation. A label must read on grass and on the
// white paper of a report, over lines and other items' pictures: it stands
// on a soft backing, light text on dark on screen and dark on light in
// print. A short label is white with a dark outline, which reads on a shirt
// of any colour. Most items have no label or no short label, and a frame
// load builds every item: the text node (`text`) is made only once there
// are characters to draw, and is null until then.
(function (window, Kinetic) {
    'use strict';

    var FONT_FAMILY = 'Helvetica';
    var LABEL_STYLE = { fill: 'white', fontStyle: 'normal', backing: 'rgba(0, 0, 0, 0.55)', outline: '',
        leader: 'rgba(0, 0, 0, 0.7)' };
    var PRINT_LABEL_STYLE = { fill: 'black', fontStyle: 'normal', backing: 'rgba(255, 255, 255, 0.85)', outline: '',
        leader: 'rgba(0, 0, 0, 0.6)' };
    var SHORT_LABEL_STYLE = { fill: 'white', fontStyle: 'Bold', backing: '', outline: 'rgba(0, 0, 0, 0.75)' };
    // Around a text on a backing, in font sizes: the backing's margin across
    // and down, and its corners' radius.
    var BACKING_PAD_X = 0.3;
    var BACKING_PAD_Y = 0.1;
    var BACKING_RADIUS = 0.25;
    // The outline's width, in font sizes; half of it lies outside the glyph.
    var OUTLINE_WIDTH = 0.16;
    // A label's place beside its item, and the one a label has unless the
    // coach chose another.
    var LABEL_PLACES = ['below', 'above'];
    var DEFAULT_LABEL_PLACE = 'below';
    // Nudges closer than this (in pixels) to the one a text has leave it
    // where it is, and Kinetic's transforms of it kept.
    var SAME_PLACE = 1e-6;
    // A short label of fewer characters than this is drawn larger, one of
    // more characters smaller, so that it still fits across the item.
    var SHORT_LABEL_NORMAL_LENGTH = 3;
    var SHORT_LABEL_SHORT_FACTOR = 1.5;
    var SHORT_LABEL_LONG_FACTOR = 0.75;
    // A leader line's width at layer scale 1, never under a pixel and a half.
    var LEADER_WIDTH = 1.2;
    var MIN_LEADER_WIDTH = 1.5;
    // Laying out text costs time with its length; no more than this can be
    // read under an item anyway. The whole text is kept and saved.
    var MAX_DRAWN_LENGTH = 500;

    // ---- The text node ----------------------------------------------------

    // Draws an item's text as Kinetic's text node draws a text of automatic
    // size, centred: the lines (split at line breaks) each centred on the
    // widest, the first one's middle half a font size below the top. One of
    // Kinetic's costs about twice a plain shape to make: it registers
    // handlers for nine kinds of change to lay itself out again, and saves
    // and restores its measuring canvas for every text. This one lays itself
    // out when its text or font is set. With a `backing` colour the text
    // stands on a rounded box of it, which the node's size takes in; with
    // an `outline` colour each glyph is outlined in it under its fill.

    function fillLine(context) {
        window.BidiText.draw(context, 'fillText', this.partialText, 0, 0);
    }

    function TextNode(config) {
        this.___init(config);
    }

    TextNode.prototype = {
        ___init: function (config) {
            this.lines = null;
            Kinetic.Shape.call(this, config);
            this.className = 'Text';
            this._fillFunc = fillLine;
            this.layOut();
            this.sceneFunc(this._sceneFunc);
        },
        font: function () {
            return this.fontStyle() + ' normal ' + this.fontSize() + 'px ' + this.fontFamily();
        },
        layOut: function () {
            var font = this.font();
            var widest = 0;
            this.lines = this.text().split('\n').map(function (line) {
                var width = window.textWidth(font, line);
                widest = Math.max(widest, width);
                return { text: line, width: width };
            });
            this.textWidth = widest;
        },
        // The backing's margins around the text: none without a backing.
        padX: function () {
            return this.backing() ? this.fontSize() * BACKING_PAD_X : 0;
        },
        padY: function () {
            return this.backing() ? this.fontSize() * BACKING_PAD_Y : 0;
        },
        getWidth: function () {
            return this.textWidth + 2 * this.padX();
        },
        getHeight: function () {
            return this.fontSize() * this.lines.length + 2 * this.padY();
        },
        _sceneFunc: function (context) {
            var size = this.fontSize();
            if (this.backing()) {
                drawBacking(context, this.getWidth(), this.getHeight(), size * BACKING_RADIUS, this.backing());
            }
            context.setAttr('font', this.font());
            context.setAttr('textBaseline', 'middle');
            context.setAttr('textAlign', 'left');
            context.save();
            context.translate(this.padX(), this.padY() + size / 2);
            for (var i = 0; i < this.lines.length; i++) {
                context.save();
                context.translate((this.textWidth - this.lines[i].width) / 2, 0);
                this.partialText = this.lines[i].text;
                if (this.outline()) {
                    outlineLine(context, this.partialText, size * OUTLINE_WIDTH, this.outline());
                }
                context.fillStrokeShape(this);
                context.restore();
                context.translate(0, size);
            }
            context.restore();
        }
    };
    Kinetic.Util.extend(TextNode, Kinetic.Shape);
    [['text', ''], ['fontFamily', 'Arial'], ['fontSize', 12], ['fontStyle', 'normal']].forEach(function (attr) {
        Kinetic.Factory.addGetterSetter(TextNode, attr[0], attr[1]);
        var set = TextNode.prototype['set' + Kinetic.Util._capitalize(attr[0])];
        TextNode.prototype['set' + Kinetic.Util._capitalize(attr[0])] = function (value) {
            set.call(this, value);
            if (this.lines) {
                this.layOut();
            }
            return this;
        };
    });
    // Only centred, as item texts are; kept for the look of a text bitmap.
    Kinetic.Factory.addGetterSetter(TextNode, 'align', 'center');
    Kinetic.Factory.addGetterSetter(TextNode, 'backing', '');
    Kinetic.Factory.addGetterSetter(TextNode, 'outline', '');

    function drawBacking(context, w, h, r, colour) {
        var c = context._context;
        c.beginPath();
        c.moveTo(r, 0);
        c.arcTo(w, 0, w, h, r);
        c.arcTo(w, h, 0, h, r);
        c.arcTo(0, h, 0, 0, r);
        c.arcTo(0, 0, w, 0, r);
        c.closePath();
        c.fillStyle = colour;
        c.fill();
    }

    function outlineLine(context, text, width, colour) {
        var c = context._context;
        c.lineWidth = width;
        c.lineJoin = 'round';
        c.strokeStyle = colour;
        window.BidiText.draw(c, 'strokeText', text, 0, 0);
    }

    // ---- The item's text --------------------------------------------------

    // The node is left exactly as setting the value would leave it: an
    // attribute never set is set, and 0 and -0 are told apart.
    function setIfChanged(node, attr, value) {
        var now = node.getAttr(attr);
        if (now !== value || (value === 0 && 1 / now !== 1 / value)) {
            node[attr](value);
        }
    }

    function requireGroup(group, caller) {
        if (!group || typeof group.rotation !== 'function') {
            throw new Error(caller + ': the field item\'s group is needed');
        }
    }

    // `pos`: the item's centre in layer pixels; `fontSize`: the base size
    // (14 for a label, the item's short-label size for a short label);
    // `group`: the field item's group, whose size and rotation place the
    // text; `showInCenter`: true for a short label.
    function FieldItemText(text, pos, fontSize, group, layerScale, layerRotation,
                           posIsFixed, showInCenter) {
        if (typeof fontSize !== 'number' || !(fontSize > 0)) {
            throw new Error('FieldItemText: the font size must be a positive number');
        }
        requireGroup(group, 'FieldItemText');
        this.fontSize = fontSize;
        this.showInCenter = !!showInCenter;
        this.fullText = (text === undefined || text === null) ? '' : String(text);
        this.text = null;
        this.container = null;
        this.below = null;
        this.fromBitmap = false;
        this.labelPlace = DEFAULT_LABEL_PLACE;
        this.forPrint = false;
        // The line from a label moved away from its place to its item, made
        // when first needed; its ends in layer pixels, null while it has none.
        this.leader = null;
        this.leaderEnds = null;
        // Where the label layout moved the text from its place beside the
        // item, in layer pixels; a fresh placement starts it at none.
        this.nudge = { x: 0, y: 0 };
        this.calcAndSetPos(pos, group, layerScale, layerRotation, posIsFixed);
    }

    FieldItemText.LABEL_PLACES = LABEL_PLACES;
    FieldItemText.DEFAULT_LABEL_PLACE = DEFAULT_LABEL_PLACE;

    FieldItemText.prototype.style = function () {
        if (this.showInCenter) {
            return SHORT_LABEL_STYLE;
        }
        return this.forPrint ? PRINT_LABEL_STYLE : LABEL_STYLE;
    };

    // The text node goes into `container` (the field item group), drawn
    // directly over the node `below()` gives at the time it is made.
    FieldItemText.prototype.attach = function (container, below) {
        this.container = container;
        this.below = below;
        this.makeNodeIfDrawn();
    };

    FieldItemText.prototype.makeNodeIfDrawn = function () {
        if (this.text || !this.container || this.fullText === '') {
            return;
        }
        var style = this.style();
        var place = this.place;
        // Built at the size it is drawn at: each size given is measured.
        this.text = new TextNode({
            text: window.drawnText(this.fullText, MAX_DRAWN_LENGTH),
            fontFamily: FONT_FAMILY,
            fontSize: this.drawnFontSize(place.layerScale),
            fontStyle: style.fontStyle,
            fill: style.fill,
            backing: style.backing,
            outline: style.outline,
            align: 'center',
            listening: false
        });
        // A label cleared later keeps its node, drawn as nothing.
        window.drawOnlyWhenShown(this.text, window.drawOnlyWhenShown.ifCharacters);
        if (this.fromBitmap) {
            window.drawTextFromBitmap(this.text, true);
        }
        this.container.add(this.text);
        this.text.setZIndex(this.below().getZIndex() + 1);
        this.calcAndSetPos(place.pos, place.group, place.layerScale, place.layerRotation, place.posIsFixed);
    };

    FieldItemText.prototype.setText = function (text) {
        this.fullText = (text === undefined || text === null) ? '' : String(text);
        if (!this.text) {
            this.makeNodeIfDrawn();
            return;
        }
        this.text.text(window.drawnText(this.fullText, MAX_DRAWN_LENGTH));
        this.text.offsetX(this.text.width() / 2);
        // A label above its item stands on it by its bottom edge, which
        // moves with the number of lines.
        if (this.labelPlace === 'above') {
            var p = this.place;
            this.text.offsetY(this.verticalOffset(p.group, p.layerRotation || 0, p.posIsFixed));
        }
    };

    // The whole text, of which only the start may be drawn.
    FieldItemText.prototype.getText = function () {
        return this.fullText;
    };

    FieldItemText.prototype.drawnFontSize = function (layerScale) {
        if (!this.showInCenter) {
            return this.fontSize * layerScale;
        }
        var length = this.fullText.length;
        if (length < SHORT_LABEL_NORMAL_LENGTH) {
            return this.fontSize * SHORT_LABEL_SHORT_FACTOR;
        }
        if (length > SHORT_LABEL_NORMAL_LENGTH) {
            return this.fontSize * SHORT_LABEL_LONG_FACTOR;
        }
        return this.fontSize;
    };

    // The point of the text, measured down from its top, that is put on the
    // item's centre: a label below the item has its top edge at the item's
    // lowest point, one above it its bottom edge at the item's highest.
    FieldItemText.prototype.verticalOffset = function (group, layerRotation, posIsFixed) {
        if (this.showInCenter) {
            return this.text.fontSize() / 2;
        }
        var reach = reachBelowCentre(group, layerRotation, posIsFixed);
        return this.labelPlace === 'above' ? this.text.height() + reach : -reach;
    };

    // How far below its centre the item reaches on screen, which is as far
    // as it reaches above it: half its drawn height, whatever its turn; for
    // equipment fixed in place, half the height of its turned box as seen.
    function reachBelowCentre(group, layerRotation, posIsFixed) {
        var w = group.width();
        var h = group.height();
        if (!posIsFixed) {
            return h / 2;
        }
        var a = (group.rotation() - layerRotation) * Math.PI / 180;
        var cos = Math.cos(a);
        var sin = Math.sin(a);
        var lowest = Infinity;
        var xs = [-w / 2, w / 2];
        var ys = [-h / 2, h / 2];
        for (var i = 0; i < 2; i++) {
            for (var j = 0; j < 2; j++) {
                lowest = Math.min(lowest, ys[j] * cos + xs[i] * sin);
            }
        }
        return -lowest;
    }

    // 'below' or 'above' the item; a label only.
    FieldItemText.prototype.setLabelPlace = function (place) {
        if (LABEL_PLACES.indexOf(place) === -1) {
            throw new Error('FieldItemText.setLabelPlace: the place must be one of ' + LABEL_PLACES.join(', ') +
                ', not ' + JSON.stringify(place));
        }
        if (this.showInCenter) {
            throw new Error('FieldItemText.setLabelPlace: a short label stands on its item');
        }
        this.labelPlace = place;
        var p = this.place;
        this.calcAndSetPos(p.pos, p.group, p.layerScale, p.layerRotation, p.posIsFixed);
    };

    FieldItemText.prototype.getLabelPlace = function () {
        return this.labelPlace;
    };

    // The look for white paper (dark on light) or for grass; returns whether
    // it changed. A short label looks the same on both.
    FieldItemText.prototype.setForPrint = function (forPrint) {
        if (this.forPrint === !!forPrint) {
            return false;
        }
        this.forPrint = !!forPrint;
        if (this.text) {
            var style = this.style();
            this.text.fill(style.fill);
            this.text.backing(style.backing);
        }
        return true;
    };

    // The text's box as the screen shows it, where it stands before any
    // nudge: { x, y, w, h } in layer pixels turned by the layer's rotation,
    // so that the box is upright. null while nothing is drawn.
    FieldItemText.prototype.homeBox = function () {
        if (!this.text || this.text.text() === '') {
            return null;
        }
        var t = this.text;
        var home = window.rotatePos({ x: t.x() - this.nudge.x, y: t.y() - this.nudge.y },
            this.place.layerRotation || 0);
        return { x: home.x - t.offsetX(), y: home.y - t.offsetY(), w: t.width(), h: t.height() };
    };

    // Moves the text (dx, dy) away from its home, in the turned pixels of
    // homeBox, and then onto whole pixels of the canvas, so that its
    // backing's edges are sharp and a bitmap of it (playback) lands exactly
    // where it is drawn.
    FieldItemText.prototype.nudgeTo = function (dx, dy) {
        if (!this.text) {
            return;
        }
        var t = this.text;
        var turn = this.place.layerRotation || 0;
        var d = window.rotatePos({ x: dx, y: dy }, -turn);
        // The text stands upright on screen: its corner is the translation
        // of its matrix (kept by Kinetic while the text stays), and a step
        // on the layer is one turned by the layer's rotation on screen.
        var m = t.getAbsoluteTransform().getMatrix();
        var step = window.rotatePos({ x: d.x - this.nudge.x, y: d.y - this.nudge.y }, turn);
        var x = m[4] + step.x;
        var y = m[5] + step.y;
        var snap = window.rotatePos({ x: Math.round(x) - x, y: Math.round(y) - y }, -turn);
        var nudge = { x: d.x + snap.x, y: d.y + snap.y };
        if (Math.abs(nudge.x - this.nudge.x) < SAME_PLACE && Math.abs(nudge.y - this.nudge.y) < SAME_PLACE) {
            return;
        }
        t.position({ x: t.x() - this.nudge.x + nudge.x, y: t.y() - this.nudge.y + nudge.y });
        this.nudge = nudge;
    };

    // A thin line from `from`, on the label's edge, to `to`, its item's
    // centre (layer pixels), at the layer scale `scale`; none without ends.
    // The line lies under every item (drawnBeneathItems), so that it shows
    // only between the label and its item.
    FieldItemText.prototype.setLeader = function (from, to, scale) {
        if (!from || !this.text) {
            if (this.leaderEnds) {
                this.leaderEnds = null;
                this.leader.visible(false);
            }
            return;
        }
        if (!this.leader) {
            var self = this;
            this.leader = new Kinetic.Shape({
                name: 'labelLeader',
                listening: false,
                sceneFunc: function (context) {
                    var ends = self.leaderEnds;
                    context.beginPath();
                    context.moveTo(ends[0].x, ends[0].y);
                    context.lineTo(ends[1].x, ends[1].y);
                    context.setAttr('strokeStyle', self.style().leader);
                    context.setAttr('lineWidth', ends[2]);
                    context.setAttr('lineCap', 'round');
                    context.stroke();
                }
            });
            window.drawnBeneathItems(this.leader);
            this.container.add(this.leader);
        }
        this.leaderEnds = [{ x: from.x, y: from.y }, { x: to.x, y: to.y },
            Math.max(MIN_LEADER_WIDTH, LEADER_WIDTH * (scale || 1))];
        if (!this.leader.visible()) {
            this.leader.visible(true);
        }
    };

    // Kept while there is no node, for the node to be placed when made.
    FieldItemText.prototype.calcAndSetPos = function (pos, group, layerScale, layerRotation, posIsFixed) {
        requireGroup(group, 'FieldItemText.calcAndSetPos');
        this.place = { pos: { x: pos.x, y: pos.y }, group: group, layerScale: layerScale,
            layerRotation: layerRotation, posIsFixed: posIsFixed };
        if (!this.text) {
            return;
        }
        var rotation = layerRotation || 0;
        // Kinetic measures the text again on every font size it is given,
        // even the same one, and playback places every text on every tick.
        var size = this.drawnFontSize(layerScale);
        if (this.text.fontSize() !== size) {
            this.text.fontSize(size);
        }
        // Each of Kinetic's setters raises a change event and clears the
        // node's transforms, even for the value the node has; a moving
        // item's texts change only their place from tick to tick.
        setIfChanged(this.text, 'offsetX', this.text.width() / 2);
        setIfChanged(this.text, 'offsetY', this.verticalOffset(group, rotation, posIsFixed));
        this.text.position({ x: pos.x, y: pos.y });
        this.nudge = { x: 0, y: 0 };
        setIfChanged(this.text, 'rotation', -rotation);
    };

    // Playback draws every text on every display refresh without changing it.
    FieldItemText.prototype.drawFromBitmap = function (on) {
        this.fromBitmap = !!on;
        if (this.text) {
            window.drawTextFromBitmap(this.text, on);
        }
    };

    FieldItemText.prototype.move = function (delta) {
        this.place.pos = { x: this.place.pos.x + delta.x, y: this.place.pos.y + delta.y };
        if (this.text) {
            this.text.x(this.text.x() + delta.x);
            this.text.y(this.text.y() + delta.y);
        }
    };

    window.FieldItemText = FieldItemText;
}(window, Kinetic));
