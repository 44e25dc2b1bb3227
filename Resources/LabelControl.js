// The "A" button beside a selected item: asks the page shell for a new label
// for the item, offering the current one. The label comes back later through
// the animation layer, addressed by the field item group's node identifier.
(function (window, Kinetic) {
    'use strict';

    var GROUP_NAME = 'LabelControl';
    var CIRCLE_NAME = 'circle';
    var LETTER = 'A';
    var FONT_FAMILY = 'Helvetica';
    var FONT_SIZE = 21;
    var TEXT_FILL = 'black';
    var EVENT_NAME = 'getLabelForItem';

    function LabelControl(layerRotation) {
        var self = this;

        this.controlGroup = new Kinetic.Group({
            name: GROUP_NAME,
            visible: false
        });
        this.circle = window.createControlCircle(CIRCLE_NAME);
        // Only the circle takes the pointer, so moving across the letter is
        // not leaving the button.
        this.text = new Kinetic.Text({
            text: LETTER,
            fontFamily: FONT_FAMILY,
            fontSize: FONT_SIZE,
            fill: TEXT_FILL,
            y: -this.circle.radius(),
            listening: false
        });
        this.text.offsetX(this.text.width() / 2);

        this.controlGroup.add(this.circle);
        this.controlGroup.add(this.text);
        this.updateLayerRotation(layerRotation || 0);

        window.addPressFeedback(this.controlGroup, this.circle);
        this.controlGroup.on('click tap', function () {
            self.requestLabel();
        });
    }

    LabelControl.prototype.updateLayerRotation = function (layerRotation) {
        this.controlGroup.rotation(-layerRotation);
    };

    LabelControl.prototype.requestLabel = function () {
        var itemGroup = this.controlGroup.getParent();
        if (!itemGroup || !itemGroup.itemText) {
            return;
        }
        window.myDispatchEvent(EVENT_NAME, {
            id: itemGroup._id,
            currentLabel: itemGroup.itemText.text.text()
        });
    };


    window.LabelControl = LabelControl;
}(window, Kinetic));
