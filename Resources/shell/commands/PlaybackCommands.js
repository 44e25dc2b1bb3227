// The page events of playback: play, stop, pause, speed, loop, the scrub of
// the timeline and the ticks that draw it.
// Each row: `name`, the page event; `handle(shell, steps, detail)`, run
// through the undo recorder (app.js binds the shell and its steps);
// `edits`: the animation may have changed, to be recorded for undo once the
// handler is done.
(function (window) {
    'use strict';

    function showPlaybackSettings(shell) {
        var playback = shell.animation.playbackManager;
        shell.playbackControls.show(playback.speed, playback.loop);
    }

    function onPlay(shell, steps) {
        shell.recorder.recordChange();
        shell.animation.drawingEditor.deselect();
        shell.keyboard.setPlaying(true);
        shell.timeline.playbackStarted();
        shell.animation.playbackManager.startPlayback();
    }

    function onStop(shell, steps) {
        shell.animation.playbackManager.stop();
    }

    // Pausing, speed and loop are how the drill is watched: no step, no
    // message.
    function onTogglePause(shell, steps) {
        shell.animation.playbackManager.togglePause();
    }

    function onSetPlaybackSpeed(shell, steps, detail) {
        shell.animation.playbackManager.setSpeed(detail.speed);
        showPlaybackSettings(shell);
    }

    function onToggleLoop(shell, steps) {
        var playback = shell.animation.playbackManager;
        playback.setLoop(!playback.loop);
        showPlaybackSettings(shell);
    }

    // A change the display still holds is recorded first, as before
    // playback: the scrub saves the display on its way in.
    function onScrubTimeline(shell, steps, detail) {
        var playback = shell.animation.playbackManager;
        if (!playback.isScrubbing && !playback.isPlaying) {
            shell.recorder.recordChange();
            shell.animation.drawingEditor.deselect();
        }
        playback.scrubTo(detail.position);
    }

    function onScrubEnded(shell, steps) {
        shell.animation.playbackManager.endScrub();
        steps.redrawAnimationLayer();
    }

    function onPlaybackEnded(shell, steps) {
        shell.keyboard.setPlaying(false);
        shell.timeline.playbackStopped();
        steps.updateTimelineFrameSettings();
    }

    function onUpdateTimelineProgress(shell, steps, detail) {
        shell.timeline.updatePlaybackIndicator(detail.percent);
    }

    function onDrawFrame(shell, steps, detail) {
        shell.animation.playbackManager.drawFrame(detail.time);
    }

    window.PlaybackCommands = [
        { name: 'play', handle: onPlay },
        { name: 'stop', handle: onStop },
        { name: 'togglePause', handle: onTogglePause },
        { name: 'setPlaybackSpeed', handle: onSetPlaybackSpeed },
        { name: 'toggleLoop', handle: onToggleLoop },
        { name: 'scrubTimeline', handle: onScrubTimeline },
        { name: 'scrubEnded', handle: onScrubEnded },
        { name: 'playbackEnded', handle: onPlaybackEnded },
        { name: 'updateTimelineProgress', handle: onUpdateTimelineProgress },
        { name: 'drawFrame', handle: onDrawFrame }
    ];
}(window));
