// The web page's start: the drill's text from the page itself, the player
// over the pitch's element, the controls under it and the command rows
// between them. The pictures and faces are in the page; the drill is drawn
// once the faces are ready, so that its captions and names are set in
// them from the first picture. A drill the page cannot play says why,
// in place of the pitch.
(function (window, document) {
    'use strict';

    var DRILL_ELEMENT = 'drillmoraDrill';

    // The drill's text: base64 of its UTF-8 bytes.
    function drillText() {
        var bytes = window.atob(document.getElementById(DRILL_ELEMENT).textContent.replace(/\s+/g, ''));
        return decodeURIComponent(bytes.replace(/[\s\S]/g, function (c) {
            return '%' + ('0' + c.charCodeAt(0).toString(16)).slice(-2);
        }));
    }

    function facesReady(then) {
        var fonts = document.fonts;
        if (!fonts || !fonts.load) {
            then();
            return;
        }
        Promise.all([fonts.load('16px Helvetica'), fonts.load('bold 16px Helvetica')]).then(then, then);
    }

    function install(player, controls) {
        var show = function () {
            controls.show({ running: player.isRunning(), time: player.moment(), duration: player.duration(),
                speed: player.playback.speed, loop: player.playback.loop });
        };
        window.PlayerCommands.forEach(function (row) {
            document.addEventListener(row.name, function (event) {
                row.handle(player, event.detail);
                show();
            }, false);
        });
        window.addEventListener('resize', function () {
            player.fit();
        }, false);
        // The controls take their room only now.
        player.fit();
        show();
    }

    function playerMain() {
        var title = document.getElementById('playerTitle');
        title.textContent = document.getElementById(DRILL_ELEMENT).getAttribute('data-drill-name') || '';
        facesReady(function () {
            var player = new window.DrillPlayer('playerPitch');
            var problem;
            try {
                problem = player.load(drillText());
            } catch (e) {
                problem = 'its drill could not be read (' + e.message + ')';
            }
            if (problem) {
                document.getElementById('playerPitch').textContent = 'This page cannot play its drill: ' + problem;
                return;
            }
            install(player, new window.PlayerControls('playerControls'));
            window.drillPlayer = player;
        });
    }

    window.playerMain = playerMain;
}(window, document));
