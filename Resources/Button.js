// The page's generic push button, used by the toolbar, the timeline and the
// item picker. It draws only its highlight and an optional caption; callers
// add their icon or drawing to `group` (centred, since the group's origin is
// the button's centre) and attach their own click or tap handlers to it.
(function (window, Kinetic) {
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

    // (x, y) is the button's top-left corner; w x h its size.
    function Button(x, y, w, h, groupName) {
        var self = this;

        this.isPointerOver = false;

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

        this.text = new Kinetic.Text({
            x: -w / 2,
            width: w,
            text: '',
            fontFamily: FONT_FAMILY,
            fontSize: FONT_SIZE,
            fill: TEXT_FILL,
            align: 'center',
            listening: false
        });
        this.centreText();

        this.group.add(this.buttonRect);
        this.group.add(this.text);

        this.group.on('mouseover touchstart', function () {
            self.isPointerOver = true;
            self.buttonRect.opacity(1);
            self.redraw();
        });
        this.group.on('mouseout touchend', function () {
            self.isPointerOver = false;
            if (!self.group.isSetPressed) {
                self.buttonRect.opacity(0);
            }
            self.redraw();
        });
    }

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

    Button.prototype.setText = function (message) {
        this.text.text(message);
        this.centreText();
        this.redraw();
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
}(window, Kinetic));
