// Dashed Kinetic lines that draw alike in every engine. QtWebKit hands a
// canvas dash to its painter measured against the line width in force when
// the dash is set; Kinetic sets a shape's dash before its width, so there a
// line's dashes came out as many times longer as the line before it was
// wide (the rugby pitch's long dashes), and under Chromium at their length.
//
// dashedLine(config, widths) is a Kinetic.Line dashed in its own line widths
// (the look the pitch was drawn for): the width is put in force before
// Kinetic sets the dash, so both engines measure it in the drawing's units.
(function (window) {
    'use strict';

    function dashedLine(config, widths) {
        var line = new Kinetic.Line(config);
        line.dash(widths.map(function (w) { return w * line.strokeWidth(); }));
        var draw = line.sceneFunc();
        line.sceneFunc(function (context) {
            context.setAttr('lineWidth', line.strokeWidth());
            draw.call(line, context);
        });
        return line;
    }

    window.dashedLine = dashedLine;
}(window));
