// Button icons: square pictures from the resources, drawn centred on the
// origin of the group that `icon` returns, so a button can simply add it.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'iconGroup';

    // Icon type -> picture (relative to the page) and its side in pixels.
    var ICONS = {
        newDocument: { src: 'icons/blank.png', width: 48 },
        pdf: { src: 'icons/pdf.png', width: 48 },
        mp4: { src: 'icons/mp4.png', width: 48 },
        gif: { src: 'icons/gif.png', width: 48 },
        page: { src: 'icons/page.png', width: 48 },
        folder: { src: 'icons/folder.png', width: 128 },
        save: { src: 'icons/save.png', width: 128 },
        saveAs: { src: 'icons/saveAs.png', width: 128 },
        rotateClock: { src: 'icons/rotateClock.png', width: 128 },
        rotateAntiClock: { src: 'icons/rotateAntiClock.png', width: 128 },
        grid: { src: 'icons/grid.png', width: 128 },
        runningLines: { src: 'icons/runningLines.png', width: 128 },
        soccerField: { src: 'icons/soccerField128.png', width: 128 },
        deleteItem: { src: 'icons/deleteItem.png', width: 128 },
        leaveAfterFrame: { src: 'icons/leaveAfterFrame.png', width: 128 },
        addCaption: { src: 'icons/addCaption.png', width: 128 },
        deleteFrame: { src: 'icons/deleteFrame.png', width: 128 },
        plus: { src: 'icons/plus64.png', width: 64 },
        minus: { src: 'icons/minus64.png', width: 64 },
        about: { src: 'icons/about64.png', width: 64 },
        openLogo: { src: 'icons/openLogo.png', width: 128 },
        showLogo: { src: 'icons/showLogo.png', width: 128 },
        copy: { src: 'icons/copy.png', width: 128 },
        undo: { src: 'icons/undo.png', width: 128 },
        redo: { src: 'icons/redo.png', width: 128 },
        team: { src: 'icons/team.png', width: 128 }
    };

    // A group at (0, 0), scaled by `scale` (1 when not given), that receives
    // the picture of `type` once it has loaded; until then, and for a type
    // that has no picture, it is empty. It never takes pointer input, so the
    // button under it does.
    function icon(type, scale) {
        var s = (scale === undefined) ? 1 : scale;
        var group = new Kinetic.Group({
            name: GROUP_NAME,
            x: 0,
            y: 0,
            scaleX: s,
            scaleY: s,
            listening: false
        });

        if (!ICONS.hasOwnProperty(type)) {
            return group;
        }

        var entry = ICONS[type];
        var picture = new window.Image();
        picture.onload = function () {
            group.add(new Kinetic.Image({
                image: picture,
                x: -entry.width / 2,
                y: -entry.width / 2,
                width: entry.width,
                height: entry.width,
                listening: false
            }));
            // The group may have been put on a layer, or thrown away, while
            // the picture was loading.
            var layer = group.getLayer();
            if (layer) {
                layer.batchDraw();
            }
        };
        picture.src = entry.src;
        return group;
    }

    window.icon = icon;
}(window, Kinetic));
