// The "99" button beside a selected player: asks the page shell for a new
// short label (shirt number or initials), offering the current one. The text
// comes back later through the animation layer, addressed by the field item
// group's node identifier.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'ShortLabelControl';
    var CIRCLE_NAME = 'circle';
    var INNER_CIRCLE_NAME = 'innerCircle';
    var INNER_RADIUS = 9;
    var OUTLINE = 'black';
    var INNER_STROKE_WIDTH = 0.5;
    var CAPTION = '99';
    var FONT_FAMILY = 'Helvetica';
    var FONT_SIZE = 12;
    var TEXT_FILL = 'black';
    var EVENT_NAME = 'getShortLabelForItem';

    function ShortLabelControl(layerRotation) {
        var self = this;

        this.controlGroup = new Kinetic.Group({
            name: GROUP_NAME,
            visible: false
        });
        this.circle = window.createControlCircle(CIRCLE_NAME);
        // Only the circle takes the pointer, so moving across the caption or
        // the ring is not leaving the button.
        this.text = new Kinetic.Text({
            text: CAPTION,
            fontFamily: FONT_FAMILY,
            fontSize: FONT_SIZE,
            fill: TEXT_FILL,
            listening: false
        });
        this.text.offset({ x: this.text.width() / 2, y: this.text.height() / 2 });
        this.innerCircle = new Kinetic.Circle({
            name: INNER_CIRCLE_NAME,
            radius: INNER_RADIUS,
            stroke: OUTLINE,
            strokeWidth: INNER_STROKE_WIDTH,
            listening: false
        });

        this.controlGroup.add(this.circle);
        this.controlGroup.add(this.text);
        this.controlGroup.add(this.innerCircle);
        this.updateLayerRotation(layerRotation || 0);

        window.addPressFeedback(this.controlGroup, this.circle);
        this.controlGroup.on('click tap', function () {
            self.requestShortLabel();
        });
    }

    ShortLabelControl.prototype.updateLayerRotation = function (layerRotation) {
        this.controlGroup.rotation(-layerRotation);
    };

    ShortLabelControl.prototype.requestShortLabel = function () {
        var itemGroup = this.controlGroup.getParent();
        if (!itemGroup || !itemGroup.shortLabelText) {
            return;
        }
        window.myDispatchEvent(EVENT_NAME, {
            id: itemGroup._id,
            currentLabel: itemGroup.shortLabelText.text.text()
        });
    };


    window.ShortLabelControl = ShortLabelControl;
}(window, Kinetic));
