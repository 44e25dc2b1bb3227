// One item on the pitch (a player, a ball, a piece of equipment) as a
// drawing, together with the catalogue of item types. The field item group
// wraps a FieldItem with its texts, running lines and controls; the item
// picker builds one per palette button as a preview; the colour picker
// recolours through setCol.
//
// The item's group is centred on its position: its offset is half its drawn
// size, so it turns about its centre. Its scale is never a transform: rescale
// resizes the shapes themselves, so the group's width, height and offset are
// plain layer pixels for selection, free-space search and control placement.
//
// FieldItem.drawings.js adds how the item is drawn: from a picture chosen
// by its colour, or from shapes (player1).
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'fieldItem';
    var DEFAULT = 'default';
    // What types without colour report for both colours.
    var NO_COLOUR = 'grey';

    var GUIDE_LINE_COLOUR = 'white';
    var GUIDE_LINE_WIDTH = 0.5;
    // The guide line stops this far short of the rotate handle's centre.
    var ROTATE_HANDLE_RADIUS = 12;

    var SHORT_LABEL_FONT_SIZE = 12;
    // A player's number at effective scale 1. A number of one or two
    // figures is drawn at 1.5 times this: a default-sized player in a
    // 640 x 480 video then wears figures 12 pixels tall, nearly as wide as
    // the player, which the video's compression leaves readable.
    var PERSON_SHORT_LABEL_FONT_SIZE = 44;

    // player1, the one type drawn from shapes, at effective scale 1.
    var PLAYER1_WIDTH = 40;
    var PLAYER1_HEIGHT = 70;

    var PLAYER_COLOURS = ['red', 'orange', 'yellow', 'lime', 'blue', 'purple', 'maroon', 'white', 'black'];
    var BALL_COLOURS = ['white', 'yellow', 'orange'];
    var CONE_COLOURS = ['red', 'orange', 'yellow', 'lime', 'blue', 'white'];
    var EQUIPMENT_COLOURS = ['red', 'orange', 'yellow', 'lime', 'blue', 'purple', 'white', 'grey', 'black'];

    // The catalogue. `picture` is the file-name prefix of a coloured type
    // (the colour name, first letter upper-cased, follows) or the whole file
    // name of a type without colour; player1 has none and is drawn from
    // shapes. `width` x `height` is the base size, which is also the
    // picture's pixel size. `colours` is the first colour picker's list, in
    // display order; types without it have no colour. `drawnFromSide` marks
    // equipment pictured from the side or the front, standing up (cones,
    // poles, hurdles, goals), as opposed to seen from above.
    var ITEM_TYPES = {
        player1: {
            width: PLAYER1_WIDTH, height: PLAYER1_HEIGHT,
            colours: PLAYER_COLOURS, defaultCol1: 'red', defaultCol2: 'blue',
            nColors: 2, hasRunningLines: true, runningLinesDashed: false, canRotate: true,
            posIsFixed: false, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.12, minScale: 0.35, maxScale: 2.0
        },
        person: {
            picture: 'player', width: 80, height: 128, colours: PLAYER_COLOURS, defaultCol1: 'maroon',
            nColors: 1, hasRunningLines: true, runningLinesDashed: false, canRotate: true,
            posIsFixed: false, hasShortLabel: true,
            shortLabelFontSize: PERSON_SHORT_LABEL_FONT_SIZE, shortLabelFollowsSize: true,
            defaultScale: 0.20, minScale: 0.10, maxScale: 0.5
        },
        manikin: {
            picture: 'manikin.png', width: 71, height: 128,
            nColors: 0, hasRunningLines: false, runningLinesDashed: false, canRotate: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.25, minScale: 0.12, maxScale: 0.5
        },
        ball: {
            picture: 'soccerBall', width: 128, height: 128, colours: BALL_COLOURS, defaultCol1: 'white',
            nColors: 1, hasRunningLines: true, runningLinesDashed: true, canRotate: false,
            posIsFixed: false, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.10, minScale: 0.06, maxScale: 0.25
        },
        rugbyBall: {
            picture: 'rugbyBall', width: 128, height: 128, colours: BALL_COLOURS, defaultCol1: 'white',
            nColors: 1, hasRunningLines: true, runningLinesDashed: true, canRotate: false,
            posIsFixed: false, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.16, minScale: 0.06, maxScale: 0.25
        },
        gaaBall: {
            picture: 'gaaBall', width: 128, height: 128, colours: BALL_COLOURS, defaultCol1: 'white',
            nColors: 1, hasRunningLines: true, runningLinesDashed: true, canRotate: false,
            posIsFixed: false, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.11, minScale: 0.06, maxScale: 0.25
        },
        hurlingBall: {
            picture: 'hurlingBall', width: 128, height: 128, colours: BALL_COLOURS, defaultCol1: 'white',
            nColors: 1, hasRunningLines: true, runningLinesDashed: true, canRotate: false,
            posIsFixed: false, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.08, minScale: 0.06, maxScale: 0.25
        },
        cone: {
            picture: 'cone', width: 99, height: 128, colours: CONE_COLOURS, defaultCol1: 'orange',
            nColors: 1, hasRunningLines: false, runningLinesDashed: false, canRotate: true, drawnFromSide: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.15, minScale: 0.075, maxScale: 0.3
        },
        marker: {
            picture: 'marker', width: 128, height: 128, colours: EQUIPMENT_COLOURS, defaultCol1: 'red',
            nColors: 1, hasRunningLines: false, runningLinesDashed: false, canRotate: false,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.1, minScale: 0.05, maxScale: 0.2
        },
        ring: {
            picture: 'ring', width: 128, height: 128, colours: EQUIPMENT_COLOURS, defaultCol1: 'blue',
            nColors: 1, hasRunningLines: false, runningLinesDashed: false, canRotate: false,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.25, minScale: 0.12, maxScale: 0.5
        },
        agilityPole: {
            picture: 'agilityPole', width: 10, height: 128,
            colours: EQUIPMENT_COLOURS, defaultCol1: 'yellow',
            nColors: 1, hasRunningLines: false, runningLinesDashed: false, canRotate: true, drawnFromSide: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.35, minScale: 0.175, maxScale: 0.7
        },
        agilityLadder: {
            picture: 'agilityLadder', width: 24, height: 128,
            colours: EQUIPMENT_COLOURS, defaultCol1: 'purple',
            nColors: 1, hasRunningLines: false, runningLinesDashed: false, canRotate: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.7, minScale: 0.35, maxScale: 1.4
        },
        microHurdle: {
            picture: 'microHurdle', width: 86, height: 128, colours: EQUIPMENT_COLOURS, defaultCol1: 'lime',
            nColors: 1, hasRunningLines: false, runningLinesDashed: false, canRotate: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.15, minScale: 0.075, maxScale: 0.3
        },
        hurdle: {
            picture: 'hurdle.png', width: 128, height: 59,
            nColors: 0, hasRunningLines: false, runningLinesDashed: false, canRotate: true, drawnFromSide: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.25, minScale: 0.12, maxScale: 0.5
        },
        goal: {
            picture: 'goal.png', width: 256, height: 59,
            nColors: 0, hasRunningLines: false, runningLinesDashed: false, canRotate: true, drawnFromSide: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.3, minScale: 0.15, maxScale: 0.6
        },
        miniGoal: {
            picture: 'miniGoal.png', width: 256, height: 112,
            nColors: 0, hasRunningLines: false, runningLinesDashed: false, canRotate: true, drawnFromSide: true,
            posIsFixed: true, hasShortLabel: false, shortLabelFontSize: SHORT_LABEL_FONT_SIZE,
            defaultScale: 0.18, minScale: 0.09, maxScale: 0.36
        }
    };

    // ---- Argument checks --------------------------------------------------

    function checkScale(scale, what) {
        if (typeof scale !== 'number' || !isFinite(scale) || scale <= 0) {
            throw new Error(what + ': the scale must be a positive number, not ' + scale);
        }
    }

    function checkColourName(colour, what) {
        if (typeof colour !== 'string' || colour === '') {
            throw new Error(what + ': a colour must be a colour name or "default", not ' + colour);
        }
    }

    // ---- Construction helpers --------------------------------------------

    // Types without colour are grey whatever they are given; one-colour
    // types ignore the second argument and hold their colour in both.
    function takeColours(item, row, color1, color2) {
        if (row.nColors === 0) {
            item.col1 = NO_COLOUR;
            item.col2 = NO_COLOUR;
            return;
        }
        checkColourName(color1, 'FieldItem');
        item.col1 = (color1 === DEFAULT) ? row.defaultCol1 : color1;
        if (row.nColors === 1) {
            item.col2 = item.col1;
            return;
        }
        checkColourName(color2, 'FieldItem');
        item.col2 = (color2 === DEFAULT) ? row.defaultCol2 : color2;
    }

    function copyConstants(item, row) {
        if (row.colours) {
            item.availableCols1 = row.colours.slice();
        }
        item.nColors = row.nColors;
        item.hasRunningLines = row.hasRunningLines;
        item.runningLinesDashed = row.runningLinesDashed;
        item.canRotate = row.canRotate;
        item.drawnFromSide = !!row.drawnFromSide;
        item.posIsFixed = row.posIsFixed;
        item.hasShortLabel = row.hasShortLabel;
        item.minScale = row.minScale;
        item.maxScale = row.maxScale;
        item.shortLabelDefaultFontSize = row.shortLabelFontSize;
        item.shortLabelFontSize = row.shortLabelFontSize;
    }

    // ---- FieldItem ----------------------------------------------------------

    // (x, y): the item's centre in layer pixels; rotation in degrees; scale
    // a number or "default"; color1, color2 colour names or "default";
    // layerScale the animation layer's width / 512. An unknown type throws.
    function FieldItem(x, y, rotation, scale, type, color1, color2, layerScale) {
        if (!(this instanceof FieldItem)) {
            throw new Error('FieldItem must be called with new');
        }
        if (!ITEM_TYPES.hasOwnProperty(type)) {
            throw new Error('FieldItem: unknown item type "' + type + '"');
        }
        var row = ITEM_TYPES[type];
        if (scale !== DEFAULT) {
            checkScale(scale, 'FieldItem');
        }
        checkScale(layerScale, 'FieldItem (layer scale)');

        this.group = new Kinetic.Group({
            name: GROUP_NAME,
            draggable: true,
            x: x,
            y: y,
            rotation: rotation,
            width: 0,
            height: 0,
            offsetX: 0,
            offsetY: 0
        });
        this.type = type;
        this.scale = (scale === DEFAULT) ? row.defaultScale : scale;
        this.layerScale = layerScale;

        // Made when the item is first turned: most never are.
        this.guideLine = null;

        takeColours(this, row, color1, color2);
        copyConstants(this, row);

        if (row.picture) {
            this.buildPictureDrawing(row);
        } else {
            this.buildPlayer1Drawing(row);
        }
        this.updateBounds(this.rescale(this.scale * this.layerScale));
        this.positionControls();
    }

    // Items drawn from shapes are always drawn so; a picture may be drawn
    // from a bitmap while playing (FieldItem.drawings.js).
    FieldItem.prototype.drawFromBitmap = function () {};

    // The field item group that holds this item, or null while the item
    // stands alone or sits in something else (an item picker button).
    FieldItem.prototype.owningGroup = function () {
        var parent = this.group.getParent();
        return (parent && typeof parent.setControlsPosition === 'function') ? parent : null;
    };

    // Throws unless `colour` is a colour name or "default"; `what` names
    // the caller in the message.
    FieldItem.checkColourName = checkColourName;

    // Whether items of the type `type` are pictured standing up, from the
    // side or the front; false for an unknown type.
    FieldItem.isDrawnFromSide = function (type) {
        return ITEM_TYPES.hasOwnProperty(type) && !!ITEM_TYPES[type].drawnFromSide;
    };

    // True when an item built with these arguments would have this item's
    // type, scale and colours; its position, rotation and layer scale aside.
    FieldItem.prototype.isBuiltFrom = function (type, scale, color1, color2) {
        if (type !== this.type) {
            return false;
        }
        var row = ITEM_TYPES[type];
        var colours = {};
        takeColours(colours, row, color1, color2);
        return ((scale === DEFAULT) ? row.defaultScale : scale) === this.scale &&
            colours.col1 === this.col1 && colours.col2 === this.col2;
    };

    // Colour number 1 or 2; anything else gives undefined.
    FieldItem.prototype.getCol = function (colNumber) {
        if (colNumber === 1) {
            return this.col1;
        }
        if (colNumber === 2) {
            return this.col2;
        }
        return undefined;
    };

    FieldItem.prototype.getScale = function () {
        return this.scale;
    };

    // Clipped to [minScale, maxScale] unless allowExceedMinMax. Every call
    // raises setItemDefaultScale with the scale set, even an unchanged one,
    // so that the item picker offers it for the next item of the type.
    FieldItem.prototype.setScale = function (scale, allowExceedMinMax) {
        checkScale(scale, 'setScale');
        this.scale = allowExceedMinMax ? scale : Math.max(this.minScale, Math.min(this.maxScale, scale));
        window.myDispatchEvent('setItemDefaultScale', { itemType: this.type, scale: this.scale });
        this.updateBounds(this.rescale(this.scale * this.layerScale));
        this.positionControls();
    };

    // Drawn at `scale` as an item built at it is: unclipped, and without
    // the event, since a frame load or an undo is no choice of the coach's.
    FieldItem.prototype.showScale = function (scale) {
        checkScale(scale, 'showScale');
        this.scale = scale;
        this.updateBounds(this.rescale(this.scale * this.layerScale));
        this.positionControls();
    };

    // The pitch was resized: no event, since the item's own scale is as it was.
    FieldItem.prototype.setLayerScale = function (layerScale) {
        checkScale(layerScale, 'setLayerScale');
        this.layerScale = layerScale;
        this.updateBounds(this.rescale(this.scale * this.layerScale));
        this.positionControls();
    };

    // bounds: [offsetX, offsetY, width, height], as rescale returns them.
    FieldItem.prototype.updateBounds = function (bounds) {
        this.group.offsetX(bounds[0]);
        this.group.offsetY(bounds[1]);
        this.group.width(bounds[2]);
        this.group.height(bounds[3]);
    };

    FieldItem.prototype.positionControls = function () {
        var owner = this.owningGroup();
        if (owner) {
            owner.setControlsPosition();
        }
    };

    // Shows the guide line along the item's own x axis, from its centre
    // towards the rotate handle at `distance` from the centre: it stops the
    // handle's radius short of the handle but always reaches the item's edge.
    FieldItem.prototype.drawLine = function (distance) {
        var cx = this.group.offsetX();
        var cy = this.group.offsetY();
        var end = Math.max(distance + cx - ROTATE_HANDLE_RADIUS, this.group.width());
        if (!this.guideLine) {
            this.guideLine = new Kinetic.Line({ stroke: GUIDE_LINE_COLOUR, strokeWidth: GUIDE_LINE_WIDTH });
            // Beneath the item's shapes, so that it seems to come out from
            // under the item towards the rotate handle.
            this.group.add(this.guideLine);
            this.guideLine.moveToBottom();
        }
        this.guideLine.points([cx, cy, end, cy]);
        this.guideLine.opacity(1);
    };

    FieldItem.prototype.hideLine = function () {
        if (this.guideLine) {
            this.guideLine.points([0, 0, 0, 0]);
            this.guideLine.opacity(0);
        }
    };

    window.FieldItem = FieldItem;
}(window, Kinetic));
