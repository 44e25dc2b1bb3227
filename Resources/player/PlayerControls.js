// The web page's controls, sized for a thumb: step back, play or pause,
// step on, a scrub bar across the drill's time with the moment shown on
// it, the time, the speed (½×, 1×, 2×) and loop. A touch, a click and the
// keyboard (Space, the arrows; Shift for a tenth of a second) work alike.
//
// The controls raise page events and show what they are told (show):
// "togglePlay", "stepFrame" { direction, fine }, "scrubTo" { time },
// "setPlaybackSpeed" { speed } and "toggleLoop"; playerMain's command rows
// act on them.
(function (window, document) {
    'use strict';

    var SPEEDS = [0.5, 1, 2];
    var SPEED_NAMES = { 0.5: '\u00bd\u00d7', 1: '1\u00d7', 2: '2\u00d7' };
    var SVG_NS = 'http://www.w3.org/2000/svg';
    // The buttons' pictures on a 24-unit square.
    var PATHS = {
        back: 'M6 5h2.5v14H6zM20 5v14L9.5 12z',
        play: 'M7 4.5v15L20 12z',
        pause: 'M6.5 5h4v14h-4zM13.5 5h4v14h-4z',
        on: 'M15.5 5H18v14h-2.5zM4 5v14l10.5-7z'
    };

    function PlayerControls(containerId) {
        if (!(this instanceof PlayerControls)) {
            throw new Error('PlayerControls must be called with new');
        }
        var bar = document.getElementById(containerId);
        if (!bar) {
            throw new Error('PlayerControls: no page element named "' + containerId + '"');
        }
        this.bar = bar;
        this.duration = 0;
        this.back = this.button('stepBack', 'One frame back', PATHS.back, function (fine) {
            window.myDispatchEvent('stepFrame', { direction: -1, fine: fine });
        });
        this.play = this.button('playPause', 'Play', PATHS.play, function () {
            window.myDispatchEvent('togglePlay', {});
        });
        this.on = this.button('stepOn', 'One frame on', PATHS.on, function (fine) {
            window.myDispatchEvent('stepFrame', { direction: 1, fine: fine });
        });
        this.makeScrubBar();
        this.clock = this.element('span', 'clock', bar);
        this.speed = this.textButton('speed', 'Speed', function () {
            var next = SPEEDS[(SPEEDS.indexOf(this.shownSpeed) + 1) % SPEEDS.length];
            window.myDispatchEvent('setPlaybackSpeed', { speed: next });
        });
        this.loop = this.textButton('loop', 'Loop', function () {
            window.myDispatchEvent('toggleLoop', {});
        });
        this.loop.textContent = 'Loop';
        this.shownSpeed = 1;
        this.listenToKeys();
    }

    PlayerControls.prototype.element = function (tag, className, parent) {
        var node = document.createElement(tag);
        node.className = className;
        parent.appendChild(node);
        return node;
    };

    // A round button with a picture; `act(fine)` on a press (`fine`: with Shift).
    PlayerControls.prototype.button = function (id, label, path, act) {
        var button = this.textButton(id, label, act);
        var svg = document.createElementNS(SVG_NS, 'svg');
        svg.setAttribute('viewBox', '0 0 24 24');
        svg.setAttribute('aria-hidden', 'true');
        var shape = document.createElementNS(SVG_NS, 'path');
        shape.setAttribute('d', path);
        svg.appendChild(shape);
        button.appendChild(svg);
        button.picture = shape;
        return button;
    };

    PlayerControls.prototype.textButton = function (id, label, act) {
        var controls = this;
        var button = this.element('button', 'control', this.bar);
        button.id = id;
        button.type = 'button';
        button.setAttribute('aria-label', label);
        button.title = label;
        button.addEventListener('click', function (event) {
            act.call(controls, !!event.shiftKey);
        }, false);
        return button;
    };

    // The drill's time from end to end; a press or a drag anywhere on it
    // shows that moment.
    PlayerControls.prototype.makeScrubBar = function () {
        var controls = this;
        var track = this.element('div', 'scrub', this.bar);
        track.id = 'scrub';
        track.setAttribute('role', 'slider');
        track.setAttribute('aria-label', 'Moment');
        this.fill = this.element('div', 'scrubFill', track);
        this.thumb = this.element('div', 'scrubThumb', track);
        this.track = track;
        var held = null;
        function scrub(event) {
            var box = track.getBoundingClientRect();
            var share = box.width > 0 ? Math.max(0, Math.min(1, (event.clientX - box.left) / box.width)) : 0;
            window.myDispatchEvent('scrubTo', { time: share * controls.duration });
        }
        track.addEventListener('pointerdown', function (event) {
            held = event.pointerId;
            if (track.setPointerCapture) {
                track.setPointerCapture(held);
            }
            event.preventDefault();
            scrub(event);
        }, false);
        track.addEventListener('pointermove', function (event) {
            if (held === event.pointerId) {
                scrub(event);
            }
        }, false);
        ['pointerup', 'pointercancel'].forEach(function (type) {
            track.addEventListener(type, function () { held = null; }, false);
        });
    };

    PlayerControls.prototype.listenToKeys = function () {
        document.addEventListener('keydown', function (event) {
            if (event.target && event.target.tagName === 'BUTTON' && (event.key === ' ' || event.key === 'Enter')) {
                return;
            }
            if (event.key === ' ') {
                window.myDispatchEvent('togglePlay', {});
            } else if (event.key === 'ArrowLeft' || event.key === 'ArrowRight') {
                window.myDispatchEvent('stepFrame', { direction: event.key === 'ArrowLeft' ? -1 : 1, fine: event.shiftKey });
            } else {
                return;
            }
            event.preventDefault();
        }, false);
    };

    // `state`: { running, time, duration, speed, loop }, times in milliseconds.
    PlayerControls.prototype.show = function (state) {
        this.duration = state.duration;
        var share = state.duration > 0 ? Math.max(0, Math.min(1, state.time / state.duration)) : 0;
        this.fill.style.width = (share * 100) + '%';
        this.thumb.style.left = (share * 100) + '%';
        this.track.setAttribute('aria-valuenow', String(Math.round(state.time)));
        this.clock.textContent = clockText(state.time) + ' / ' + clockText(state.duration);
        this.play.picture.setAttribute('d', state.running ? PATHS.pause : PATHS.play);
        this.play.setAttribute('aria-label', state.running ? 'Pause' : 'Play');
        this.play.title = state.running ? 'Pause' : 'Play';
        this.shownSpeed = state.speed;
        this.speed.textContent = SPEED_NAMES[state.speed] || (state.speed + '\u00d7');
        this.loop.setAttribute('aria-pressed', state.loop ? 'true' : 'false');
    };

    // "0:07.5" for 7.5 seconds.
    function clockText(ms) {
        var tenths = Math.round(Math.max(0, ms) / 100);
        var seconds = Math.floor(tenths / 10);
        var minutes = Math.floor(seconds / 60);
        var rest = seconds % 60;
        return minutes + ':' + (rest < 10 ? '0' : '') + rest + '.' + (tenths % 10);
    }

    window.PlayerControls = PlayerControls;
}(window, document));
