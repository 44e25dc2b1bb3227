// The "A" button beside a selected item: asks the page shell for a new label
// for the item, offering the current one. The label comes back later through
// the animation layer, addressed by the field item group's node identifier.
// The short-label button is the same kind of button with another look; it
// builds itself with LabelControl.build.
(function (window, Kinetic) {
    'use strict';

    var CIRCLE_NAME = 'circle';
    var FONT_FAMILY = 'Helvetica';
    var TEXT_FILL = 'black';

    var LABEL_LOOK = {
        groupName: 'LabelControl',
        caption: 'A',
        fontSize: 21,
        eventName: 'getLabelForItem',
        // which of the item group's texts the button offers for editing
        textMember: 'itemText',
        // the letter's top at the circle's top, centred across
        placeCaption: function (text, circle) {
            text.offsetX(text.width() / 2);
            text.y(-circle.radius());
        }
    };

    function LabelControl(layerRotation) {
        LabelControl.build(this, LABEL_LOOK, layerRotation);
    }

    // Builds a label-editing button on `control` with the given look:
    // groupName, caption, fontSize, eventName, textMember, placeCaption(text,
    // circle) and, optionally, decorate(control) for drawing over the caption.
    LabelControl.build = function (control, look, layerRotation) {
        control.look = look;
        control.controlGroup = new Kinetic.Group({
            name: look.groupName,
            visible: false
        });
        control.circle = window.createControlCircle(CIRCLE_NAME);
        // Only the circle takes the pointer, so moving across the caption is
        // not leaving the button.
        control.text = new Kinetic.Text({
            text: look.caption,
            fontFamily: FONT_FAMILY,
            fontSize: look.fontSize,
            fill: TEXT_FILL,
            listening: false
        });
        look.placeCaption(control.text, control.circle);

        control.controlGroup.add(control.circle);
        control.controlGroup.add(control.text);
        if (look.decorate) {
            look.decorate(control);
        }
        control.updateLayerRotation(layerRotation || 0);

        window.addPressFeedback(control.controlGroup, control.circle);
        control.controlGroup.on('click tap', function () {
            control.requestText();
        });
    };

    LabelControl.prototype.updateLayerRotation = function (layerRotation) {
        this.controlGroup.rotation(-layerRotation);
    };

    // Raises the button's page event with the item group's node identifier
    // and the text now shown, as the prompt's default.
    LabelControl.prototype.requestText = function () {
        var itemGroup = this.controlGroup.getParent();
        var shown = itemGroup && itemGroup[this.look.textMember];
        if (!shown) {
            return;
        }
        window.myDispatchEvent(this.look.eventName, {
            id: itemGroup._id,
            currentLabel: shown.getText()
        });
    };

    window.LabelControl = LabelControl;
}(window, Kinetic));
