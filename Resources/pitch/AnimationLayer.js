// The layer of the pitch view that holds the field items and the frame
// caption. It keeps the pitch's fitted size and scale, puts items back at the
// same place relative to the pitch when the pitch is resized or turned,
// finds free space for new items, places the caption along the top of the
// pitch as seen on screen, and routes selection and labels to the item
// groups.
//
// The fitted size lives in `layerWidth` and `layerHeight`: in this Kinetic a
// layer's width and height are always the stage's and cannot be set, and the
// stage's picture export relies on that. Item positions in the frame model
// are fractions of this size.
(function (window, Kinetic) {
    'use strict';

    var LAYER_NAME = 'animLayer';
    var ITEM_GROUP_NAME = 'fieldItemGroup';
    var CANONICAL_WIDTH = 512;
    var CAPTION_SIZE = 20;
    var SPACE_TRIALS = 1000;
    // Laying out a caption costs time with its length, and no more than
    // this fits across the pitch; the whole caption is kept and saved.
    var MAX_DRAWN_CAPTION = 500;

    // Where the caption goes for each rotation of the layer (modulo 360,
    // sign kept), so that it reads upright along the top edge on screen.
    // W and H are the layer's own width and height. Any other rotation
    // takes the unturned placement.
    var CAPTION_PLACEMENTS = {
        '90': { rotation: -90, x: 0, y: 'H', width: 'H' },
        '-270': { rotation: -90, x: 0, y: 'H', width: 'H' },
        '180': { rotation: -180, x: 'W', y: 'H', width: 'W' },
        '-180': { rotation: -180, x: 'W', y: 'H', width: 'W' },
        '270': { rotation: -270, x: 'W', y: 0, width: 'H' },
        '-90': { rotation: -270, x: 'W', y: 0, width: 'H' }
    };
    var UNTURNED_CAPTION = { rotation: 0, x: 0, y: 0, width: 'W' };

    function checkPos(pos, caller) {
        if (!pos || typeof pos.x !== 'number' || typeof pos.y !== 'number') {
            throw new Error(caller + ': a position {x, y} is needed');
        }
    }

    // The pitch's own width and height as the layer scale gives them.
    function ownSize(layer) {
        var w = layer.canonicalWidth * layer.layerScale;
        return { width: w, height: w / layer.aspectRatio };
    }

    // From now on the layer draws, before its children, every item group's
    // running lines and then every label's leader line (drawnBeneathItems),
    // so that a line lies under every item, not only under its own: red
    // 10's run would otherwise cross over blue 4 drawn before him.
    function drawBeneathItemsFirst(layer) {
        var drawChildren = layer._drawChildren;
        layer.drawsBeneathItems = true;
        layer._drawChildren = function (canvas, drawMethod, top) {
            if (drawMethod === 'drawScene') {
                var groups = layer.itemGroups();
                layer.drawingBeneathItems = true;
                try {
                    groups.forEach(function (group) {
                        group.runningLines.shape.drawScene(canvas, top);
                    });
                    groups.forEach(function (group) {
                        if (group.itemText.leader) {
                            group.itemText.leader.drawScene(canvas, top);
                        }
                    });
                } finally {
                    layer.drawingBeneathItems = false;
                }
            }
            return drawChildren.call(this, canvas, drawMethod, top);
        };
    }

    // `id` is the group's node identifier, as the label prompts carry it.
    function withNodeId(layer, id, action) {
        layer.itemGroups().forEach(function (group) {
            if (group._id === id) {
                action(group);
            }
        });
    }

    function AnimationLayer(centerX, centerY, maxWidth, maxHeight, aspectRatio) {
        if (!window.isPositiveNumber(aspectRatio)) {
            throw new Error('AnimationLayer: the aspect ratio must be a positive number, got ' + aspectRatio);
        }

        Kinetic.Layer.call(this, { name: LAYER_NAME, x: centerX, y: centerY });
        // Each frame shown redraws the layer; most are only looked at.
        window.drawHitWhenAsked(this);
        window.createItemHitTest(this);

        this.canonicalWidth = CANONICAL_WIDTH;
        this.layerScale = 1;
        this.captionSize = CAPTION_SIZE;
        this.aspectRatio = aspectRatio;
        this.showRunningLines = false;
        this.layerWidth = 0;
        this.layerHeight = 0;

        // Always the first child: the frame model counts item stacking
        // indices from 1 because of it.
        this.frameCaption = window.createFrameCaption(this);
        this.caption = '';
        drawBeneathItemsFirst(this);

        // Labels made ready for each drawing: the look of the paper, and
        // places where none hides another.
        this.drawForPrint = false;
        this.labelLayout = new window.LabelLayout(this);
    }

    Kinetic.Util.extend(AnimationLayer, Kinetic.Layer);

    // The item groups on the layer, in stacking order.
    AnimationLayer.prototype.itemGroups = function () {
        return this.getChildren().toArray().filter(function (node) {
            return node.name() === ITEM_GROUP_NAME;
        });
    };

    AnimationLayer.prototype.updateBounds = function (xCenter, yCenter, widthMax, heightMax, animRotated) {
        var size = window.calcWidthAndHeight(widthMax, heightMax, animRotated, this.aspectRatio);
        var w = size[0];
        var h = size[1];
        if (!window.isPositiveNumber(w) || !window.isPositiveNumber(h)) {
            throw new Error('AnimationLayer.updateBounds: the space must be positive, got ' +
                widthMax + ' x ' + heightMax);
        }
        this.layerScale = w / this.canonicalWidth;

        // Read while the old size still holds: these are fractions of it.
        var groups = this.itemGroups();
        var props = groups.map(function (group) {
            return group.getProperties();
        });

        this.layerWidth = w;
        this.layerHeight = h;
        this.position({ x: xCenter, y: yCenter });
        this.offset({ x: w / 2, y: h / 2 });

        var layer = this;
        groups.forEach(function (group, i) {
            group.setPos({ x: props[i].x, y: props[i].y });
            group.setLayerScaleAndRotation(layer.layerScale, layer.rotation());
        });
        this.placeCaption();
    };

    // A place where a w x h item overlaps no other item, if one is found
    // in SPACE_TRIALS tries; otherwise the last place tried. The centre
    // is tried first, so the first item goes in the middle.
    AnimationLayer.prototype.findSpaceForItem = function (w, h) {
        var own = ownSize(this);
        var boxes = this.itemGroups().map(function (group) {
            return group.getFieldItem().group;
        });
        function isFree(pos) {
            for (var i = 0; i < boxes.length; i++) {
                if (window.isOverlap(pos.x - w / 2, pos.y - h / 2, w, h, boxes[i])) {
                    return false;
                }
            }
            return true;
        }
        var candidate = { x: own.width / 2, y: own.height / 2 };
        for (var trial = 0; trial < SPACE_TRIALS; trial++) {
            if (isFree(candidate)) {
                return candidate;
            }
            candidate = {
                x: w / 2 + Math.random() * (own.width - w),
                y: h / 2 + Math.random() * (own.height - h)
            };
        }
        return candidate;
    };

    AnimationLayer.prototype.setCaption = function (text) {
        this.caption = (text === undefined || text === null) ? '' : String(text);
        this.frameCaption.setText(window.drawnText(this.caption, MAX_DRAWN_CAPTION));
    };

    AnimationLayer.prototype.showCaption = function (shown) {
        this.frameCaption.show(shown);
    };

    AnimationLayer.prototype.getCaption = function () {
        return this.caption;
    };

    AnimationLayer.prototype.placeCaption = function () {
        var own = ownSize(this);
        var lengths = { W: own.width, H: own.height };
        function value(v) {
            return typeof v === 'string' ? lengths[v] : v;
        }
        var key = String(this.rotation() % 360);
        var placement = CAPTION_PLACEMENTS.hasOwnProperty(key) ? CAPTION_PLACEMENTS[key] :
            UNTURNED_CAPTION;
        this.frameCaption.place({ rotation: placement.rotation, x: value(placement.x), y: value(placement.y) },
            value(placement.width), this.captionSize * this.layerScale, this.layerScale);
    };

    AnimationLayer.prototype.setItemLabel = function (id, label) {
        withNodeId(this, id, function (group) {
            group.setLabel(label);
        });
    };

    AnimationLayer.prototype.setShortItemLabel = function (id, label) {
        withNodeId(this, id, function (group) {
            group.setShortLabel(label);
        });
    };

    // Item groups are children of the layer itself, so no deep search.
    AnimationLayer.prototype.clearAnimation = function () {
        this.itemGroups().forEach(function (group) {
            group.destroy();
        });
        this.setCaption('');
    };

    // Makes `groups` the layer's item groups, after its other children
    // and in this order, as adding each in turn to a layer without items
    // does. Every item group on the layer must be among them.
    AnimationLayer.prototype.placeItemGroups = function (groups) {
        var layer = this;
        var others = layer.getChildren().toArray().filter(function (node) {
            return node.name() !== ITEM_GROUP_NAME;
        });
        groups.forEach(function (group) {
            if (group.getParent() !== layer) {
                layer.add(group);
            }
        });
        layer.children = Kinetic.Collection.toCollection(others.concat(groups));
        layer._setChildrenIndices();
    };

    AnimationLayer.prototype.destroyNamedChildren = function (name) {
        this.find('.' + name).toArray().forEach(function (node) {
            node.destroy();
        });
    };

    AnimationLayer.prototype.relativePos = function (pos) {
        checkPos(pos, 'AnimationLayer.relativePos');
        return { x: pos.x / this.layerWidth, y: pos.y / this.layerHeight };
    };

    AnimationLayer.prototype.pixelPos = function (pos) {
        checkPos(pos, 'AnimationLayer.pixelPos');
        return { x: pos.x * this.layerWidth, y: pos.y * this.layerHeight };
    };

    AnimationLayer.prototype.frameSettings = function () {
        return {
            objectProps: this.itemGroups().map(function (group) {
                return group.getProperties();
            }),
            frameText: this.getCaption()
        };
    };

    // An item selected alone leaves no drawing selected with it.
    AnimationLayer.prototype.select = function (id) {
        this.itemGroups().forEach(function (group) {
            var chosen = group._id === id;
            group.selectFunc(chosen);
            group.showControlsFunc(chosen);
        });
        window.myDispatchEvent('itemSelectedAlone', {});
    };

    // `id` is the persistent item id of the frame model.
    AnimationLayer.prototype.childWithId = function (id) {
        var groups = this.itemGroups();
        for (var i = 0; i < groups.length; i++) {
            if (groups[i].getAttr('id') === id) {
                return groups[i];
            }
        }
        return null;
    };

    AnimationLayer.prototype.toggleRunningLines = function () {
        var layer = this;
        layer.showRunningLines = !layer.showRunningLines;
        layer.itemGroups().forEach(function (group) {
            group.runningLines.showLines(layer.showRunningLines);
        });
    };

    AnimationLayer.prototype.clipToBounds = function (pos) {
        checkPos(pos, 'AnimationLayer.clipToBounds');
        pos.x = Math.max(0, Math.min(this.layerWidth, pos.x));
        pos.y = Math.max(0, Math.min(this.layerHeight, pos.y));
        return pos;
    };

    window.AnimationLayer = AnimationLayer;
}(window, Kinetic));
