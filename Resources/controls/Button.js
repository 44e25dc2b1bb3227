// The page's generic push button, used by the toolbar, the timeline and the
// item picker. It draws only its highlight and an optional caption; callers
// add their icon or drawing to `group` (centred, since the group's origin is
// the button's centre) and attach their own click or tap handlers to it.
// A button given a tooltip shows it, in one element shared by all buttons,
// once the pointer has rested on it for a moment.
(function (window, document, Kinetic) {
    'use strict';

    var DEFAULT_GROUP_NAME = 'buttonGroup';
    var HIGHLIGHT_NAME = 'buttonRect';
    var REST_FILL = 'yellow';
    var REST_STROKE = '#459A00';
    var PRESSED_FILL = 'DarkGrey';
    var PRESSED_STROKE = 'grey';
    var HIGHLIGHT_STROKE_WIDTH = 2;
    var FONT_FAMILY = 'Helvetica';
    var FONT_SIZE = 12;
    var TEXT_FILL = 'black';
    var DISABLED_OPACITY = 0.3;

    var TOOLTIP_ID = 'buttonTooltip';
    var TOOLTIP_DELAY_MS = 500;
    var TOOLTIP_GAP = 4;

    // ---- Tooltip, one for the whole page ----------------------------------

    var tooltipTimer = null;

    function tooltipElement() {
        var element = document.getElementById(TOOLTIP_ID);
        if (!element) {
            element = document.createElement('div');
            element.id = TOOLTIP_ID;
            document.body.appendChild(element);
        }
        return element;
    }

    function hideTooltip() {
        if (tooltipTimer !== null) {
            window.clearTimeout(tooltipTimer);
            tooltipTimer = null;
        }
        var element = document.getElementById(TOOLTIP_ID);
        if (element) {
            element.style.display = 'none';
        }
    }

    // Below the place, or above it when the window ends first; never past
    // the window's right edge. `source.tooltipPlace()` tells where and what,
    // or null for nothing: { stage, left, top, bottom, text }, the sides
    // in the stage's coordinates.
    function showTooltip(source) {
        tooltipTimer = null;
        var place = source.tooltipPlace();
        if (!place || !place.text) {
            return;
        }
        var box = place.stage.getContent().getBoundingClientRect();
        var element = tooltipElement();
        element.textContent = place.text;
        element.style.display = 'block';
        var left = Math.max(0, Math.min(box.left + place.left, window.innerWidth - element.offsetWidth - 1));
        var top = box.top + place.bottom + TOOLTIP_GAP;
        if (top + element.offsetHeight > window.innerHeight) {
            top = box.top + place.top - TOOLTIP_GAP - element.offsetHeight;
        }
        element.style.left = (left + window.pageXOffset) + 'px';
        element.style.top = (Math.max(0, top) + window.pageYOffset) + 'px';
    }

    // Shown once the pointer has rested for a moment; where it rests is
    // asked only then, as the place may have moved meanwhile.
    function scheduleTooltip(source) {
        hideTooltip();
        tooltipTimer = window.setTimeout(function () {
            showTooltip(source);
        }, TOOLTIP_DELAY_MS);
    }

    // (x, y) is the button's top-left corner; w x h its size.
    function Button(x, y, w, h, groupName) {
        var self = this;

        this.isPointerOver = false;
        this.w = w;
        this.h = h;
        this.tooltip = '';
        this.enabled = true;

        this.group = new Kinetic.Group({
            x: x,
            y: y,
            width: w,
            height: h,
            offsetX: -w / 2,
            offsetY: -h / 2,
            name: groupName || DEFAULT_GROUP_NAME
        });
        this.group.isSetPressed = false;

        // Invisible at rest, but still the button's hit area.
        this.buttonRect = new Kinetic.Rect({
            name: HIGHLIGHT_NAME,
            x: -w / 2,
            y: -h / 2,
            width: w,
            height: h,
            fill: REST_FILL,
            stroke: REST_STROKE,
            strokeWidth: HIGHLIGHT_STROKE_WIDTH,
            opacity: 0
        });

        // Its picture costs a stage-sized copy while transparent.
        window.drawOnlyWhenShown(this.buttonRect, window.drawOnlyWhenShown.ifOpaque);

        // Made on first use: most buttons never show a caption, and a
        // timeline of hundreds of frames builds hundreds of buttons.
        this.text = null;

        this.group.add(this.buttonRect);

        this.group.on('mouseover touchstart', function (evt) {
            self.isPointerOver = true;
            self.buttonRect.opacity(1);
            self.redraw();
            if (evt && evt.type === 'mouseover') {
                scheduleTooltip(self);
            }
        });
        this.group.on('mouseout touchend', function () {
            hideTooltip();
            self.rest();
        });
        this.group.on('mousedown', hideTooltip);
    }

    // The pointer is gone, or no longer counts: a click that opened an
    // overlay or a dialog leaves the button with the pointer taken away
    // and no pointer-out to come. The stage forgets the button too, so
    // that the next move over it highlights it again.
    Button.prototype.leave = function () {
        var stage = this.group.getStage();
        if (stage && stage.targetShape && stage.targetShape.getParent() === this.group) {
            stage.targetShape = null;
        }
        this.rest();
    };

    Button.prototype.rest = function () {
        this.isPointerOver = false;
        if (!this.group.isSetPressed) {
            this.buttonRect.opacity(0);
        }
        this.redraw();
    };

    Button.prototype.setTooltip = function (text) {
        this.tooltip = text;
    };

    Button.prototype.tooltipPlace = function () {
        var stage = this.group.getStage();
        if (!stage) {
            return null;
        }
        var transform = this.group.getAbsoluteTransform();
        var topLeft = transform.point({ x: -this.w / 2, y: -this.h / 2 });
        var bottomRight = transform.point({ x: this.w / 2, y: this.h / 2 });
        return { stage: stage, left: topLeft.x, top: topLeft.y, bottom: bottomRight.y, text: this.tooltip };
    };

    // A disabled button is drawn faint; its owner leaves its clicks alone.
    Button.prototype.setEnabled = function (enabled) {
        this.enabled = !!enabled;
        var opacity = this.enabled ? 1 : DISABLED_OPACITY;
        this.group.getChildren().each(function (child) {
            if (child.name() !== HIGHLIGHT_NAME) {
                child.opacity(opacity);
            }
        });
        this.redraw();
    };

    Button.hideTooltip = hideTooltip;
    // For what shows a tooltip without being a button: any object with a
    // tooltipPlace method, as a button has.
    Button.showTooltipSoon = scheduleTooltip;

    // The pressed look marks a toggle that is on; it stays while the pointer
    // comes and goes.
    Button.prototype.setPressed = function (pressed) {
        this.group.isSetPressed = !!pressed;
        if (this.group.isSetPressed) {
            this.buttonRect.fill(PRESSED_FILL);
            this.buttonRect.stroke(PRESSED_STROKE);
            this.buttonRect.opacity(1);
        } else {
            this.buttonRect.fill(REST_FILL);
            this.buttonRect.stroke(REST_STROKE);
            this.buttonRect.opacity(this.isPointerOver ? 1 : 0);
        }
        this.redraw();
    };

    // A new width, the left edge staying where it is, as if built so.
    Button.prototype.setWidth = function (w) {
        this.w = w;
        this.group.width(w);
        this.group.offsetX(-w / 2);
        this.buttonRect.x(-w / 2);
        this.buttonRect.width(w);
        if (this.text) {
            this.text.x(-w / 2);
            this.text.width(w);
        }
    };

    Button.prototype.setText = function (message) {
        var text = this.captionText();
        text.text(message);
        this.centreText();
        this.redraw();
    };

    // The caption, made when first asked for, just above the highlight
    // (under the owner's icon) and as faint as the rest of a disabled button.
    Button.prototype.captionText = function () {
        if (!this.text) {
            this.text = new Kinetic.Text({
                x: -this.w / 2,
                width: this.w,
                text: '',
                fontFamily: FONT_FAMILY,
                fontSize: FONT_SIZE,
                fill: TEXT_FILL,
                align: 'center',
                opacity: this.enabled ? 1 : DISABLED_OPACITY,
                listening: false
            });
            this.group.add(this.text);
            this.text.setZIndex(this.buttonRect.getZIndex() + 1);
        }
        return this.text;
    };

    // Kinetic's text has no vertical alignment of its own.
    Button.prototype.centreText = function () {
        this.text.y(-this.text.height() / 2);
    };

    Button.prototype.redraw = function () {
        var layer = this.group.getLayer();
        if (layer) {
            layer.batchDraw();
        }
    };

    window.Button = Button;
}(window, document, Kinetic));
