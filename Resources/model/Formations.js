// The team shapes the team chooser offers, per sport, as data: each player's
// place as fractions of the pitch (x along its length, y across it) for a
// team on the left half attacking to the right, with the shirt number the
// sport gives that position. Facing right, a team's right side is the
// bottom of the pitch (larger y). A team on the other half is the same
// shape turned half round about the centre spot, so that its right backs
// and wings stay on its right.
//
// Places keep every player clear of the others at the player's default
// size (16 x 25.6 on a 512 x 384 pitch: 0.03125 x 0.0667 of it), and clear
// of the halfway line and the touch lines.
(function (window) {
    'use strict';

    var HALVES = ['left', 'right'];
    // A player facing along the pitch towards the other half, in degrees.
    var FACING = { left: 0, right: 180 };

    // [number, x, y] a player, for the left half.
    var SOCCER_BACK_FOUR = [[2, 0.15, 0.82], [5, 0.14, 0.6], [6, 0.14, 0.4], [3, 0.15, 0.18]];
    var SOCCER_KEEPER = [[1, 0.05, 0.5]];

    var FORMATIONS = {
        soccer: [
            { id: 'soccer442', name: '4-4-2', players: SOCCER_KEEPER.concat(SOCCER_BACK_FOUR, [
                [7, 0.29, 0.82], [4, 0.28, 0.6], [8, 0.28, 0.4], [11, 0.29, 0.18],
                [9, 0.43, 0.6], [10, 0.43, 0.4]]) },
            { id: 'soccer433', name: '4-3-3', players: SOCCER_KEEPER.concat(SOCCER_BACK_FOUR, [
                [4, 0.24, 0.5], [8, 0.31, 0.68], [10, 0.31, 0.32],
                [7, 0.42, 0.8], [9, 0.45, 0.5], [11, 0.42, 0.2]]) },
            { id: 'soccer4231', name: '4-2-3-1', players: SOCCER_KEEPER.concat(SOCCER_BACK_FOUR, [
                [4, 0.25, 0.6], [8, 0.25, 0.4],
                [7, 0.35, 0.8], [10, 0.36, 0.5], [11, 0.35, 0.2], [9, 0.45, 0.5]]) },
            { id: 'soccer7_231', name: '7-a-side 2-3-1', players: SOCCER_KEEPER.concat([
                [2, 0.16, 0.68], [3, 0.16, 0.32],
                [4, 0.3, 0.8], [5, 0.3, 0.5], [6, 0.3, 0.2], [7, 0.44, 0.5]]) },
            { id: 'soccer7_321', name: '7-a-side 3-2-1', players: SOCCER_KEEPER.concat([
                [2, 0.16, 0.78], [4, 0.15, 0.5], [3, 0.16, 0.22],
                [5, 0.31, 0.64], [6, 0.31, 0.36], [7, 0.44, 0.5]]) },
            { id: 'soccer5_22', name: '5-a-side 2-2', players: SOCCER_KEEPER.concat([
                [2, 0.18, 0.66], [3, 0.18, 0.34], [4, 0.38, 0.66], [5, 0.38, 0.34]]) },
            { id: 'soccer5_121', name: '5-a-side 1-2-1', players: SOCCER_KEEPER.concat([
                [2, 0.16, 0.5], [3, 0.29, 0.76], [4, 0.29, 0.24], [5, 0.43, 0.5]]) }
        ],
        // Set for a scrum near halfway: the pack bound with the props (1, 3)
        // and hooker (2) at the front, locks (4, 5) behind, the flankers
        // (6, 7) either side of the number 8; the scrum-half (9) at the
        // put-in and the backs fanned out towards the open side, the
        // left wing (11) on the blind side and the full-back (15) deep;
        // the wings a few metres in from touch.
        rugby: [
            { id: 'rugby15', name: 'Rugby 15, scrum', players: [
                [1, 0.448, 0.43], [2, 0.448, 0.5], [3, 0.448, 0.57],
                [4, 0.401, 0.465], [5, 0.401, 0.535],
                [6, 0.365, 0.4], [8, 0.354, 0.5], [7, 0.365, 0.6],
                [9, 0.417, 0.64], [10, 0.323, 0.69], [12, 0.281, 0.74], [13, 0.24, 0.79],
                [14, 0.198, 0.84], [11, 0.292, 0.17], [15, 0.167, 0.5]] },
            { id: 'rugby7', name: 'Rugby 7, scrum', players: [
                [1, 0.448, 0.43], [2, 0.448, 0.5], [3, 0.448, 0.57],
                [4, 0.406, 0.64], [5, 0.333, 0.71], [6, 0.26, 0.79], [7, 0.167, 0.5]] }
        ],
        // Goalkeeper, then the full-back, half-back, midfield, half-forward
        // and full-forward lines, each numbered from the team's right.
        gaa: [
            { id: 'gaa15', name: 'Gaelic 15', players: [
                [1, 0.05, 0.5],
                [2, 0.12, 0.76], [3, 0.12, 0.5], [4, 0.12, 0.24],
                [5, 0.2, 0.82], [6, 0.2, 0.5], [7, 0.2, 0.18],
                [8, 0.28, 0.6], [9, 0.28, 0.4],
                [10, 0.36, 0.82], [11, 0.36, 0.5], [12, 0.36, 0.18],
                [13, 0.44, 0.76], [14, 0.44, 0.5], [15, 0.44, 0.24]] }
        ]
    };

    function check(condition, text) {
        if (!condition) {
            throw new Error('Formations: ' + text);
        }
    }

    // The shapes offered for `sport` ({ id, name, players: [[number, x, y]] }),
    // in the chooser's order; none for a sport without any.
    function forSport(sport) {
        return FORMATIONS.hasOwnProperty(sport) ? FORMATIONS[sport].slice() : [];
    }

    function byId(id) {
        var found = null;
        Object.keys(FORMATIONS).forEach(function (sport) {
            FORMATIONS[sport].forEach(function (formation) {
                if (formation.id === id) {
                    found = formation;
                }
            });
        });
        check(found !== null, 'no formation is called ' + JSON.stringify(id));
        return found;
    }

    // The players of formation `id` placed on `half` ("left" or "right" of
    // the pitch in its own coordinates), in shirt-number order: { x, y,
    // rotation, shortLabel }, x and y fractions of the pitch.
    function placed(id, half) {
        check(HALVES.indexOf(half) !== -1, 'a half is "left" or "right", not ' + JSON.stringify(half));
        var mirrored = half === 'right';
        return byId(id).players.map(function (player) {
            return {
                x: mirrored ? 1 - player[1] : player[1],
                y: mirrored ? 1 - player[2] : player[2],
                rotation: FACING[half],
                shortLabel: String(player[0])
            };
        }).sort(function (a, b) {
            return Number(a.shortLabel) - Number(b.shortLabel);
        });
    }

    window.Formations = { forSport: forSport, placed: placed, halves: HALVES.slice() };
}(window));
