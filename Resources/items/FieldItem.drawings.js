// How a field item is drawn: most kinds from a picture, one file per
// colour, shared by every item that shows it and drawn from a bitmap while
// playing; player1 from shapes in its two colours. Each way gives the item
// its rescale and setCol.
//
// Use: loaded after FieldItem.js, whose constructor calls
// buildPictureDrawing or buildPlayer1Drawing with the type's catalogue row.
(function (window, Kinetic) {
    'use strict';

    var FieldItem = window.FieldItem;
    var PICTURE_FOLDER = 'fieldItems/';
    var PICTURE_EXTENSION = '.png';

    // player1's shorts, head and outline, at effective scale 1.
    var PLAYER1_SHORTS_HEIGHT = 20;
    var PLAYER1_HEAD_COLOUR = 'yellow';
    var PLAYER1_OUTLINE_COLOUR = 'black';
    var PLAYER1_OUTLINE_WIDTH = 1;

    // On the white paper of print a light picture (a white or yellow kit, a
    // white ball) would fade into the page: it is drawn with a dark rim, a
    // shadow that shows only around its edges. Blur in the canvas's pixels;
    // the margin, in the item's own, holds it in a bitmap.
    var LIGHT_COLOURS = ['white', 'yellow', 'lime'];
    var PRINT_RIM_COLOUR = 'rgba(0,0,0,0.9)';
    var PRINT_RIM_BLUR = 3;
    var PRINT_RIM_MARGIN = 4;

    // ---- Pictures -------------------------------------------------------

    // One picture element per file, shared by every item that shows it: a
    // frame change rebuilds every item, and a picture that has loaded once
    // then draws at once instead of leaving the item blank until it loads
    // again.
    var pictures = {};

    function pictureFor(src) {
        window.notePicture(src);
        if (!pictures.hasOwnProperty(src)) {
            pictures[src] = window.loadTrackedPicture(src);
        }
        return pictures[src];
    }

    // "playerRed.png" from the prefix "player" and the colour "red".
    function colouredPictureSrc(prefix, colour) {
        return PICTURE_FOLDER + prefix + colour.charAt(0).toUpperCase() + colour.slice(1) + PICTURE_EXTENSION;
    }

    // Shows the picture `src` on the item's image. The layer is redrawn by
    // its owner after every change, which draws nothing of a picture that is
    // still loading; so once such a picture has loaded, the item's layer (if
    // it is on one by then) is redrawn here, unless the item has moved on to
    // another picture meanwhile.
    function showPicture(item, src) {
        var picture = pictureFor(src);
        item.image.image(picture);
        if (picture.complete) {
            return;
        }
        function onLoad() {
            picture.removeEventListener('load', onLoad, false);
            if (item.image.image() !== picture) {
                return;
            }
            var layer = item.group.getLayer();
            if (layer) {
                layer.batchDraw();
            }
        }
        picture.addEventListener('load', onLoad, false);
    }

    // ---- Drawings ---------------------------------------------------------

    function rimmedForPrint(item) {
        var layer = item.image.getLayer();
        return !!layer && !!layer.drawForPrint && LIGHT_COLOURS.indexOf(item.col1) !== -1;
    }

    // What the item's picture shows: which picture, whether it has loaded,
    // at what size, and whether rimmed.
    function pictureLook(item) {
        var image = item.image;
        var picture = image.image();
        return [picture ? picture.src : '', !!(picture && picture.complete), image.width(), image.height(),
            rimmedForPrint(item)];
    }

    // The item's picture as Kinetic draws an image, copied as pictures
    // drawn often are (PictureCopy.js) once it has loaded.
    function drawPicture(context) {
        var picture = this.image();
        if (!picture || !picture.complete || !picture.naturalWidth) {
            Kinetic.Image.prototype._sceneFunc.call(this, context);
            return;
        }
        window.PictureCopy.draw(context._context, picture, picture, 0, 0, picture.naturalWidth, picture.naturalHeight,
            0, 0, this.width(), this.height());
    }

    function drawPictureOf(item, context) {
        if (!rimmedForPrint(item)) {
            drawPicture.call(item.image, context);
            return;
        }
        context.save();
        context.setAttr('shadowColor', PRINT_RIM_COLOUR);
        context.setAttr('shadowBlur', PRINT_RIM_BLUR);
        context.setAttr('shadowOffsetX', 0);
        context.setAttr('shadowOffsetY', 0);
        // Twice, for a rim dark enough to read at a glance.
        drawPicture.call(item.image, context);
        drawPicture.call(item.image, context);
        context.restore();
    }

    // While playing, a picture that stands still is drawn from a bitmap of
    // itself (ShapeBitmap.js): a copy costs less than drawing the picture
    // at its size. A moving one is drawn as always.
    function drawPictureFromBitmap(item) {
        var bitmap = new window.ShapeBitmap(function (context) {
            drawPictureOf(item, context);
        }, true);
        var on = false;
        item.image.sceneFunc(function (context) {
            var image = this;
            if (on) {
                bitmap.draw(context, image, pictureLook(item), function () {
                    var m = 1 + (rimmedForPrint(item) ? PRINT_RIM_MARGIN : 0);
                    return { x: -m, y: -m, width: image.width() + 2 * m, height: image.height() + 2 * m };
                });
            } else {
                drawPictureOf(item, context);
            }
        });
        window.drawHeldFirst(item.image, function (canvas) {
            return on && bitmap.drawHeld(canvas, this, pictureLook(item));
        });
        item.drawFromBitmap = function (fromBitmap) {
            on = !!fromBitmap;
            if (!on) {
                bitmap.drop();
            }
        };
        item.pictureBitmap = bitmap;
    }

    // A picture stretched to the drawn size, chosen by the first colour.
    FieldItem.prototype.buildPictureDrawing = function (row) {
        var item = this;
        item.image = new Kinetic.Image({ x: 0, y: 0 });
        drawPictureFromBitmap(item);
        if (!row.colours) {
            showPicture(item, PICTURE_FOLDER + row.picture);
        } else if (row.colours.indexOf(item.col1) !== -1) {
            showPicture(item, colouredPictureSrc(row.picture, item.col1));
        }
        item.group.add(item.image);

        item.rescale = function (effectiveScale) {
            var width = row.width * effectiveScale;
            var height = row.height * effectiveScale;
            item.image.width(width);
            item.image.height(height);
            if (row.shortLabelFollowsSize) {
                rescaleShortLabel(item, row, effectiveScale);
            }
            return [width / 2, height / 2, width, height];
        };

        // A colour outside the list is stored but selects no file, so the
        // picture stays as it was.
        item.setCol = function (colour, colNumber) {
            if (!row.colours || colNumber !== 1) {
                return;
            }
            FieldItem.checkColourName(colour, 'setCol');
            item.col1 = colour;
            if (row.colours.indexOf(colour) !== -1) {
                showPicture(item, colouredPictureSrc(row.picture, colour));
            }
        };
    };

    // Only a person's short label follows its size. The new size reaches the
    // group's short-label text, which draws it at its next placement.
    function rescaleShortLabel(item, row, effectiveScale) {
        item.shortLabelFontSize = row.shortLabelFontSize * effectiveScale;
        var owner = item.owningGroup();
        if (owner && owner.shortLabelText) {
            owner.shortLabelText.fontSize = item.shortLabelFontSize;
        }
    }

    // A player drawn from shapes: body in colour 1, shorts in colour 2 over
    // its lower half, and a head sitting on the body's top edge (outside the
    // item's bounds).
    FieldItem.prototype.buildPlayer1Drawing = function (row) {
        var item = this;
        function outlined(shape) {
            shape.stroke(PLAYER1_OUTLINE_COLOUR);
            return shape;
        }
        item.body = outlined(new Kinetic.Rect({ x: 0, y: 0, fill: item.col1 }));
        item.shorts = outlined(new Kinetic.Rect({ x: 0, fill: item.col2 }));
        item.head = outlined(new Kinetic.Circle({ fill: PLAYER1_HEAD_COLOUR }));
        item.group.add(item.body);
        item.group.add(item.shorts);
        item.group.add(item.head);

        item.rescale = function (s) {
            var width = row.width * s;
            var height = row.height * s;
            item.body.width(width);
            item.body.height(height);
            item.shorts.y(height / 2);
            item.shorts.width(width);
            item.shorts.height(PLAYER1_SHORTS_HEIGHT * s);
            item.head.x(width / 2);
            item.head.y(0);
            item.head.radius(width / 4);
            [item.body, item.shorts, item.head].forEach(function (shape) {
                shape.strokeWidth(PLAYER1_OUTLINE_WIDTH * s);
            });
            return [width / 2, height / 2, width, height];
        };

        item.setCol = function (colour, colNumber) {
            if (colNumber !== 1 && colNumber !== 2) {
                return;
            }
            FieldItem.checkColourName(colour, 'setCol');
            if (colNumber === 1) {
                item.col1 = colour;
                item.body.fill(colour);
            } else {
                item.col2 = colour;
                item.shorts.fill(colour);
            }
        };
    };
}(window, Kinetic));
