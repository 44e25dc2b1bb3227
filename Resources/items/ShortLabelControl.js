// The "99" button beside a selected player: asks the page shell for a new
// short label (shirt number or initials), offering the current one. The text
// comes back later through the animation layer, addressed by the field item
// group's node identifier.
(function (window, Kinetic) {
    'use strict';

    var INNER_CIRCLE_NAME = 'innerCircle';
    var INNER_RADIUS = 9;
    var OUTLINE = 'black';
    var INNER_STROKE_WIDTH = 0.5;

    var SHORT_LABEL_LOOK = {
        groupName: 'ShortLabelControl',
        caption: '99',
        fontSize: 12,
        eventName: 'getShortLabelForItem',
        textMember: 'shortLabelText',
        placeCaption: function (text) {
            text.offset({ x: text.width() / 2, y: text.height() / 2 });
        },
        decorate: function (control) {
            control.innerCircle = new Kinetic.Circle({
                name: INNER_CIRCLE_NAME,
                radius: INNER_RADIUS,
                stroke: OUTLINE,
                strokeWidth: INNER_STROKE_WIDTH,
                listening: false
            });
            control.controlGroup.add(control.innerCircle);
        }
    };

    function ShortLabelControl(layerRotation) {
        window.LabelControl.build(this, SHORT_LABEL_LOOK, layerRotation);
    }
    ShortLabelControl.prototype = Object.create(window.LabelControl.prototype);
    ShortLabelControl.prototype.constructor = ShortLabelControl;

    window.ShortLabelControl = ShortLabelControl;
}(window, Kinetic));
