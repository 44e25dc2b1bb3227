// One of an item's two texts: the label written below the item, or the
// short label (a shirt number, initials) written across its middle. Both
// read upright on screen whatever the item's or the pitch's rotation. Most
// items have no label or no short label, and a frame load builds every
// item: the text node (`text`) is made only once there are characters to
// draw, and is null until then.
(function (window, Kinetic) {
    'use strict';

    var FONT_FAMILY = 'Helvetica';
    var LABEL_STYLE = { fill: 'black', fontStyle: 'normal' };
    var SHORT_LABEL_STYLE = { fill: 'white', fontStyle: 'Bold' };
    // A short label of fewer characters than this is drawn larger, one of
    // more characters smaller, so that it still fits across the item.
    var SHORT_LABEL_NORMAL_LENGTH = 3;
    var SHORT_LABEL_SHORT_FACTOR = 1.5;
    var SHORT_LABEL_LONG_FACTOR = 0.75;
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
    // out when its text or font is set.

    function fillLine(context) {
        context.fillText(this.partialText, 0, 0);
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
        getWidth: function () {
            return this.textWidth;
        },
        getHeight: function () {
            return this.fontSize() * this.lines.length;
        },
        _sceneFunc: function (context) {
            var size = this.fontSize();
            context.setAttr('font', this.font());
            context.setAttr('textBaseline', 'middle');
            context.setAttr('textAlign', 'left');
            context.save();
            context.translate(0, size / 2);
            for (var i = 0; i < this.lines.length; i++) {
                context.save();
                context.translate((this.textWidth - this.lines[i].width) / 2, 0);
                this.partialText = this.lines[i].text;
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

    // ---- The item's text --------------------------------------------------

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
        this.calcAndSetPos(pos, group, layerScale, layerRotation, posIsFixed);
    }

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
        var style = this.showInCenter ? SHORT_LABEL_STYLE : LABEL_STYLE;
        var place = this.place;
        // Built at the size it is drawn at: each size given is measured.
        this.text = new TextNode({
            text: window.drawnText(this.fullText, MAX_DRAWN_LENGTH),
            fontFamily: FONT_FAMILY,
            fontSize: this.drawnFontSize(place.layerScale),
            fontStyle: style.fontStyle,
            fill: style.fill,
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
    // item's centre.
    FieldItemText.prototype.verticalOffset = function (group, layerRotation, posIsFixed) {
        if (this.showInCenter) {
            return this.text.fontSize() / 2;
        }
        var w = group.width();
        var h = group.height();
        if (!posIsFixed) {
            return -h / 2;
        }
        // Minus the half-height of the item's turned box as seen on screen,
        // so that the label's top edge touches the item's lowest point.
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
        return lowest;
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
        this.text.offsetX(this.text.width() / 2);
        this.text.offsetY(this.verticalOffset(group, rotation, posIsFixed));
        this.text.position({ x: pos.x, y: pos.y });
        this.text.rotation(-rotation);
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
