// The timeline's button for how long a step lasts: it shows the time the
// step from the selected frame takes (from the last frame, the step into
// it) and each click raises `holdStep`, which gives that step the next of
// the holds FrameTiming offers, round from the longest to the shortest.
(function (window) {
    'use strict';

    var GROUP_NAME = 'stepHoldButton';

    // An h x h button at (x, 0), blank until `show` tells it its step.
    function createStepHoldButton(x, h) {
        var button = new window.Button(x, 0, h, h, GROUP_NAME);
        button.group.on('click tap', function () {
            window.myDispatchEvent('holdStep', {});
        });

        // `step` counts from 0: the step from frame step + 1 to step + 2.
        button.showStep = function (step, ms) {
            var label = window.FrameTiming.label(ms);
            button.setText(label);
            button.setTooltip('Frame ' + (step + 1) + ' to ' + (step + 2) + ' takes ' + label +
                ': click to hold it longer (0.5 s to 5 s)');
        };
        return button;
    }

    window.createStepHoldButton = createStepHoldButton;
}(window));
