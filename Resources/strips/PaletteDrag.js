// Dragging an item from the palette onto the pitch. A press on a palette
// button that then moves further than a click's wobble carries a faint
// picture of the item under the pointer, across the page; letting go raises
// dropItem with where it was let go (page pixels), and the page shell puts
// the item there if that is over the pitch. A press let go where it started
// stays a click, which adds the item where there is room, as before.
//
// The pointer is followed on the window, in the capture phase: while the
// button is held the engine may deliver the moves and the release to the
// palette's canvas, the pitch's or whatever lies between them.
//
// Use: new PaletteDrag() → drag; drag.start(pointer, button) from a palette
// button's press; drag.tookRelease() in the button's click handler, true
// when the release ended a drag and is no click.
(function (window, document) {
    'use strict';

    var GHOST_ID = 'paletteDragGhost';
    // Pixels the pointer may wander with the button held and still click.
    var CLICK_WOBBLE = 4;

    function ghostElement() {
        var element = document.getElementById(GHOST_ID);
        if (!element) {
            element = document.createElement('img');
            element.id = GHOST_ID;
            element.alt = '';
            document.body.appendChild(element);
        }
        return element;
    }

    // The button's preview as a picture the size of the button.
    function previewPicture(button) {
        var at = button.group.getAbsolutePosition();
        return button.fieldItem.group.toDataURL({ x: at.x, y: at.y, width: button.group.width(),
            height: button.group.height() });
    }

    function PaletteDrag() {
        if (!(this instanceof PaletteDrag)) {
            throw new Error('PaletteDrag must be called with new');
        }
        var self = this;
        // { button, x, y (page pixels at the press), moving }, while held.
        this.held = null;
        this.dropped = false;
        this.onMove = function (evt) {
            self.move(evt);
        };
        this.onRelease = function (evt) {
            self.release(evt);
        };
    }

    // `pointer`: the press's DOM event; `button`: the ItemPickerButton.
    // Only the main button drags.
    PaletteDrag.prototype.start = function (pointer, button) {
        this.stop();
        this.dropped = false;
        if (!pointer || pointer.button !== 0) {
            return;
        }
        this.held = { button: button, x: pointer.clientX, y: pointer.clientY, moving: false };
        window.addEventListener('mousemove', this.onMove, true);
        window.addEventListener('mouseup', this.onRelease, true);
    };

    PaletteDrag.prototype.move = function (evt) {
        var held = this.held;
        if (!held) {
            return;
        }
        if (!held.moving && Math.abs(evt.clientX - held.x) <= CLICK_WOBBLE &&
                Math.abs(evt.clientY - held.y) <= CLICK_WOBBLE) {
            return;
        }
        var ghost = ghostElement();
        if (!held.moving) {
            held.moving = true;
            ghost.src = previewPicture(held.button);
            ghost.style.width = held.button.group.width() + 'px';
            ghost.style.display = 'block';
            window.Button.hideTooltip();
        }
        ghost.style.left = (evt.clientX - held.button.group.width() / 2 + window.pageXOffset) + 'px';
        ghost.style.top = (evt.clientY - held.button.group.height() / 2 + window.pageYOffset) + 'px';
    };

    PaletteDrag.prototype.release = function (evt) {
        var held = this.held;
        this.stop();
        if (!held || !held.moving) {
            return;
        }
        this.dropped = true;
        // The press was the palette's: Kinetic, whose click flag is one for
        // every stage, must not take the release as the end of a click on
        // whatever lies under it on the pitch.
        window.Kinetic.listenClickTap = false;
        var button = held.button;
        window.myDispatchEvent('dropItem', {
            type: button.itemType(),
            col1: button.fieldItem.getCol(1),
            col2: button.fieldItem.getCol(2),
            scale: button.scale,
            clientX: evt.clientX,
            clientY: evt.clientY
        });
    };

    // Forgets the press, if any, and takes the picture away.
    PaletteDrag.prototype.stop = function () {
        this.held = null;
        window.removeEventListener('mousemove', this.onMove, true);
        window.removeEventListener('mouseup', this.onRelease, true);
        var ghost = document.getElementById(GHOST_ID);
        if (ghost) {
            ghost.style.display = 'none';
        }
    };

    PaletteDrag.prototype.tookRelease = function () {
        var dropped = this.dropped;
        this.dropped = false;
        return dropped;
    };

    window.PaletteDrag = PaletteDrag;
}(window, document));
