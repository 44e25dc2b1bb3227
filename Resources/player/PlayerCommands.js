// The web page's page events: the controls' (play or pause, step, scrub,
// speed, loop) and playback's own (its ticks, its progress and its end).
// Each row: `name`, the page event; `handle(player, detail)`. playerMain
// installs them over the one player and its controls, and shows the
// controls afresh after each.
(function (window) {
    'use strict';

    window.PlayerCommands = [
        { name: 'togglePlay', handle: function (player) { player.togglePlay(); } },
        { name: 'stepFrame', handle: function (player, detail) { player.step(detail.direction, detail.fine); } },
        { name: 'scrubTo', handle: function (player, detail) { player.showTime(detail.time); } },
        { name: 'setPlaybackSpeed', handle: function (player, detail) { player.setSpeed(detail.speed); } },
        { name: 'toggleLoop', handle: function (player) { player.setLoop(!player.playback.loop); } },
        { name: 'drawFrame', handle: function (player, detail) { player.drawFrame(detail.time); } },
        { name: 'updateTimelineProgress', handle: function () {} },
        { name: 'playbackEnded', handle: function () {} }
    ];
}(window));
