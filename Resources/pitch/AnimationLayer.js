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
    var FRAME_TEXT_SIZE = 20;
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

    function isPositiveNumber(value) {
        return typeof value === 'number' && isFinite(value) && value > 0;
    }

    function checkPos(pos, caller) {
        if (!pos || typeof pos.x !== 'number' || typeof pos.y !== 'number') {
            throw new Error(caller + ': a position {x, y} is needed');
        }
    }

    function AnimationLayer(centerX, centerY, maxWidth, maxHeight, aspectRatio) {
        if (!isPositiveNumber(aspectRatio)) {
            throw new Error('AnimationLayer: the aspect ratio must be a positive number, got ' + aspectRatio);
        }

        // Each frame shown redraws the layer; most are only looked at.
        var layer = window.drawHitWhenAsked(new Kinetic.Layer({ name: LAYER_NAME, x: centerX, y: centerY }));
        window.createItemHitTest(layer);

        layer.canonicalWidth = CANONICAL_WIDTH;
        layer.layerScale = 1;
        layer.frameTextSize = FRAME_TEXT_SIZE;
        layer.aspectRatio = aspectRatio;
        layer.showRunningLines = false;
        layer.layerWidth = 0;
        layer.layerHeight = 0;

        // Always the first child: the frame model counts item stacking
        // indices from 1 because of it.
        var frameCaption = window.createFrameCaption(layer);
        var caption = '';

        // The item groups on the layer, in stacking order.
        function itemGroups() {
            return layer.getChildren().toArray().filter(function (node) {
                return node.name() === ITEM_GROUP_NAME;
            });
        }
        layer.itemGroups = itemGroups;
        // Labels made ready for each drawing: the look of the paper, and
        // places where none hides another.
        layer.drawForPrint = false;
        layer.labelLayout = new window.LabelLayout(layer);

        // The pitch's own width and height as the layer scale gives them.
        function ownSize() {
            var w = layer.canonicalWidth * layer.layerScale;
            return { width: w, height: w / layer.aspectRatio };
        }

        layer.updateBounds = function (xCenter, yCenter, widthMax, heightMax, animRotated) {
            var size = window.calcWidthAndHeight(widthMax, heightMax, animRotated, layer.aspectRatio);
            var w = size[0];
            var h = size[1];
            if (!isPositiveNumber(w) || !isPositiveNumber(h)) {
                throw new Error('AnimationLayer.updateBounds: the space must be positive, got ' +
                    widthMax + ' x ' + heightMax);
            }
            layer.layerScale = w / layer.canonicalWidth;

            // Read while the old size still holds: these are fractions of it.
            var groups = itemGroups();
            var props = groups.map(function (group) {
                return group.getProperties();
            });

            layer.layerWidth = w;
            layer.layerHeight = h;
            layer.position({ x: xCenter, y: yCenter });
            layer.offset({ x: w / 2, y: h / 2 });

            groups.forEach(function (group, i) {
                group.setPos({ x: props[i].x, y: props[i].y });
                group.setLayerScaleAndRotation(layer.layerScale, layer.rotation());
            });
            layer.setFrameTextPosition();
        };

        // A place where a w x h item overlaps no other item, if one is found
        // in SPACE_TRIALS tries; otherwise the last place tried. The centre
        // is tried first, so the first item goes in the middle.
        layer.findSpaceForItem = function (w, h) {
            var own = ownSize();
            var boxes = itemGroups().map(function (group) {
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

        layer.setFrameText = function (text) {
            caption = (text === undefined || text === null) ? '' : String(text);
            frameCaption.setText(window.drawnText(caption, MAX_DRAWN_CAPTION));
        };

        layer.getFrameText = function () {
            return caption;
        };

        layer.setFrameTextPosition = function () {
            var own = ownSize();
            var lengths = { W: own.width, H: own.height };
            function value(v) {
                return typeof v === 'string' ? lengths[v] : v;
            }
            var key = String(layer.rotation() % 360);
            var placement = CAPTION_PLACEMENTS.hasOwnProperty(key) ? CAPTION_PLACEMENTS[key] :
                UNTURNED_CAPTION;
            frameCaption.place({ rotation: placement.rotation, x: value(placement.x), y: value(placement.y) },
                value(placement.width), layer.frameTextSize * layer.layerScale, layer.layerScale);
        };

        // `id` is the group's node identifier, as the label prompts carry it.
        function withNodeId(id, action) {
            itemGroups().forEach(function (group) {
                if (group._id === id) {
                    action(group);
                }
            });
        }

        layer.setItemLabel = function (id, label) {
            withNodeId(id, function (group) {
                group.setLabel(label);
            });
        };

        layer.setShortItemLabel = function (id, label) {
            withNodeId(id, function (group) {
                group.setShortLabel(label);
            });
        };

        // Item groups are children of the layer itself, so no deep search.
        layer.clearAnimation = function () {
            itemGroups().forEach(function (group) {
                group.destroy();
            });
            layer.setFrameText('');
        };

        // Makes `groups` the layer's item groups, after its other children
        // and in this order, as adding each in turn to a layer without items
        // does. Every item group on the layer must be among them.
        layer.placeItemGroups = function (groups) {
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

        layer.destroyNamedChildren = function (name) {
            layer.find('.' + name).toArray().forEach(function (node) {
                node.destroy();
            });
        };

        layer.relativePos = function (pos) {
            checkPos(pos, 'AnimationLayer.relativePos');
            return { x: pos.x / layer.layerWidth, y: pos.y / layer.layerHeight };
        };

        layer.pixelPos = function (pos) {
            checkPos(pos, 'AnimationLayer.pixelPos');
            return { x: pos.x * layer.layerWidth, y: pos.y * layer.layerHeight };
        };

        layer.frameSettings = function () {
            return {
                objectProps: itemGroups().map(function (group) {
                    return group.getProperties();
                }),
                frameText: layer.getFrameText()
            };
        };

        // An item selected alone leaves no drawing selected with it.
        layer.select = function (id) {
            itemGroups().forEach(function (group) {
                var chosen = group._id === id;
                group.selectFunc(chosen);
                group.showControlsFunc(chosen);
            });
            window.myDispatchEvent('itemSelectedAlone', {});
        };

        // `id` is the persistent item id of the frame model.
        layer.childWithId = function (id) {
            var groups = itemGroups();
            for (var i = 0; i < groups.length; i++) {
                if (groups[i].getAttr('id') === id) {
                    return groups[i];
                }
            }
            return null;
        };

        layer.toggleRunningLines = function () {
            layer.showRunningLines = !layer.showRunningLines;
            itemGroups().forEach(function (group) {
                group.runningLines.showLines(layer.showRunningLines);
            });
        };

        layer.clipToBounds = function (pos) {
            checkPos(pos, 'AnimationLayer.clipToBounds');
            pos.x = Math.max(0, Math.min(layer.layerWidth, pos.x));
            pos.y = Math.max(0, Math.min(layer.layerHeight, pos.y));
            return pos;
        };

        return layer;
    }

    window.AnimationLayer = AnimationLayer;
}(window, Kinetic));
