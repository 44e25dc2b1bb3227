// A ball dragged onto a player becomes his, dragged off is released, and
// a held ball follows its holder when he is dragged (FrameManager.holders.js).
// It is decided when the pointer is let go after a drag, before that
// release is recorded as a change, so that the drag and what it did to the
// holding are one undo step.
//
// Use: new BallHolding(animation), made before the shell starts recording
// releases.
(function (window) {
    'use strict';

    function BallHolding(animation) {
        if (!animation || !animation.stage || !animation.frameManager) {
            throw new Error('BallHolding: the animation is needed');
        }
        var layer = animation.animLayer;
        animation.stage.on('contentMouseup contentTouchend', function () {
            var group = layer.lastDragged;
            layer.lastDragged = null;
            if (group && group.getLayer() === layer && !animation.playbackManager.isPlaying) {
                animation.frameManager.itemDropped(group);
                layer.batchDraw();
            }
        });
    }

    window.BallHolding = BallHolding;
}(window));
