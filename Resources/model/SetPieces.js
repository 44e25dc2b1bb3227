// The set pieces the team chooser offers, per sport, as data: each player's
// place in metres of the sport's field of play, measured from the left end
// line (the goal line, the try line) and from the top touch line, with the
// shirt number the code gives the position, for the piece at the left end
// by the top touch line. `facing` is the way the players face there, in
// degrees (0 towards the other end, 90 down the pitch, 180 towards their
// own end line, 270 towards the top touch line), and a player's own turn,
// where he has one, is added to it. A piece `sided` stands by one touch
// line, the others across the pitch. TeamPlacement.setPieces.js
// turns a piece to the half and the side the coach picks.
//
// At its default size a player facing along the pitch takes about 4 m of
// its length and 6 m of its width (more on the larger Gaelic pitch), so a
// piece keeps its players that far apart: wider than the code's own
// spacing, as a coach sketches one.
(function (window) {
    'use strict';

    // A defensive line holds from 2 to 15 players, spread evenly across the
    // pitch this far from its end line, in files this far apart where they
    // would stand closer than a player's width.
    var LINE_COUNTS = { least: 2, most: 15, first: 7 };
    var LINE_FROM_END = { soccer: 30, rugby: 30, gaa: 45 };
    var LINE_STAGGER = 6;
    var PLAYER_ACROSS = { soccer: 5.6, rugby: 6.6, gaa: 8 };

    // A lineout on the 30 m line from the try line, facing the touch line:
    // the hooker throwing in from touch, facing the line; the forwards in
    // a file from 5 m in, a player's width apart (turned across the pitch,
    // a player is narrower that way); the scrum-half (9) receiving behind
    // them, facing the other end. Shorter lineouts drop the back of the
    // line.
    var LINEOUT_ORDER = [1, 4, 3, 5, 6, 8, 7];
    var LINEOUT_SPACING = 4.2;

    function lineout(count) {
        var players = [[2, 29.5, 0.5, 180], [9, 19, 13, 90]];
        LINEOUT_ORDER.slice(0, count).forEach(function (number, i) {
            players.push([number, 29, 5 + i * LINEOUT_SPACING]);
        });
        return players;
    }

    var SET_PIECES = {
        soccer: [
            // The attack on the left goal, the corner taken from the top
            // flag; the keeper (1) back in his own half.
            { id: 'soccerCornerAttack', name: 'Corner, attacking', facing: 180, sided: true, players: [
                [7, 0.5, 0.5, -135], [9, 5, 27], [11, 5, 43], [5, 10, 33], [6, 10, 49], [4, 15, 24], [8, 15, 40],
                [10, 22, 33], [3, 22, 52], [2, 40, 20], [1, 85, 35]] },
            // The defence of the same corner: the keeper on his line between
            // men on the posts, zones across the goal area, one 9.15 m off
            // the taker against a short corner, a striker up.
            { id: 'soccerCornerDefence', name: 'Corner, defending', facing: 0, sided: true, players: [
                [1, 1.5, 35], [2, 1.5, 27], [3, 1.5, 43], [4, 6, 23], [5, 6, 31], [6, 6, 39], [8, 6, 47],
                [7, 8, 7], [11, 12, 31], [10, 12, 43], [9, 32, 40]] },
            // A free kick 25 m out in front of goal: four in the wall 9.15 m
            // from the ball, facing it, and the keeper.
            { id: 'soccerWall', name: 'Wall for a free kick', facing: 0, players: [
                [1, 1, 35], [6, 15.85, 27], [4, 15.85, 32.4], [5, 15.85, 37.8], [8, 15.85, 43.2]] }
        ],
        rugby: [
            { id: 'rugbyLineout7', name: 'Lineout of 7', facing: 270, sided: true, players: lineout(7) },
            { id: 'rugbyLineout6', name: 'Lineout of 6', facing: 270, sided: true, players: lineout(6) },
            { id: 'rugbyLineout5', name: 'Lineout of 5', facing: 270, sided: true, players: lineout(5) },
            // The pack bound 20 m in from touch, the loosehead (1) on the
            // touch side, the scrum-half at the put-in and the fly-half on
            // the open side.
            { id: 'rugbyScrum', name: 'Scrum', facing: 0, sided: true, players: [
                [1, 30, 13.4], [2, 30, 20], [3, 30, 26.6], [4, 24.1, 16.7], [5, 24.1, 23.3],
                [6, 19.7, 10.5], [8, 18.4, 20], [7, 19.7, 29.5], [9, 25.5, 7.5], [10, 14, 36]] },
            // Receiving a kick-off from halfway: the forwards in pods from
            // the 10 m line back, the backs deep.
            { id: 'rugbyKickOffReceipt', name: 'Kick-off receipt', facing: 0, players: [
                [1, 36, 8], [4, 36, 20], [5, 36, 50], [3, 36, 62], [6, 28, 14], [2, 28, 35], [7, 28, 56],
                [12, 21, 14], [9, 21, 28], [8, 21, 42], [13, 21, 56], [11, 12, 8], [10, 12, 26],
                [15, 12, 44], [14, 12, 62]] }
        ],
        gaa: [
            // The keeper (1) kicking out from the left goal, the backs wide
            // for a short one, the rest spread into the space.
            { id: 'gaaKickout', name: 'Kickout', facing: 0, players: [
                [1, 13, 45], [2, 24, 80], [4, 24, 10], [3, 36, 45], [5, 47, 74], [6, 52, 45], [7, 47, 16],
                [8, 64, 56], [9, 64, 34], [10, 78, 76], [11, 80, 45], [12, 78, 14],
                [13, 97, 72], [14, 100, 45], [15, 97, 18]] },
            // The other team pressing that kickout, facing the kicker: its
            // forwards nearest him, each line numbered from its own right
            // (the top of the pitch, facing left).
            { id: 'gaaKickoutPress', name: 'Kickout, pressing', facing: 180, players: [
                [13, 30, 14], [14, 42, 45], [15, 30, 76], [10, 52, 20], [11, 58, 45], [12, 52, 70],
                [8, 68, 35], [9, 68, 56], [5, 82, 15], [6, 85, 45], [7, 82, 75],
                [2, 102, 20], [3, 106, 45], [4, 102, 70], [1, 140, 45]] }
        ]
    };

    function check(condition, text) {
        if (!condition) {
            throw new Error('SetPieces: ' + text);
        }
    }

    // The defensive line of `count` across a pitch `width` metres wide,
    // numbered from the team's right (the bottom, facing the other end).
    function defensiveLine(sport, count, width) {
        var gap = width / count;
        var staggered = gap < PLAYER_ACROSS[sport];
        var players = [];
        for (var i = 0; i < count; i++) {
            var fromEnd = LINE_FROM_END[sport] - (staggered && i % 2 === 1 ? LINE_STAGGER : 0);
            players.push([count - i, fromEnd, gap * (i + 0.5)]);
        }
        return { id: lineId(sport), name: 'Defensive line', facing: 0, players: players, counted: true };
    }

    function lineId(sport) {
        return sport + 'DefensiveLine';
    }

    // The set pieces offered for `sport` ({ id, name, counted, sided }), in
    // the chooser's order, the defensive line last; `counted` says the
    // coach chooses how many players it holds.
    function forSport(sport) {
        var pieces = SET_PIECES.hasOwnProperty(sport) ? SET_PIECES[sport] : [];
        if (!LINE_FROM_END.hasOwnProperty(sport)) {
            return [];
        }
        return pieces.map(function (piece) {
            return { id: piece.id, name: piece.name, counted: false, sided: !!piece.sided };
        }).concat([{ id: lineId(sport), name: 'Defensive line', counted: true, sided: false }]);
    }

    function sportOf(id) {
        var found = null;
        Object.keys(LINE_FROM_END).forEach(function (sport) {
            if (id === lineId(sport) || (SET_PIECES[sport] || []).some(function (p) { return p.id === id; })) {
                found = sport;
            }
        });
        return found;
    }

    function isSetPiece(id) {
        return sportOf(id) !== null;
    }

    // Piece `id` as drawn: { facing, players: [{ number, fromEnd, fromTouch,
    // turn }] } in metres of a field `width` metres wide, a defensive line
    // holding `count` players.
    function piece(id, width, count) {
        var sport = sportOf(id);
        check(sport !== null, 'no set piece is called ' + JSON.stringify(id));
        var found;
        if (id === lineId(sport)) {
            check(count === Math.floor(count) && count >= LINE_COUNTS.least && count <= LINE_COUNTS.most,
                'a defensive line holds from ' + LINE_COUNTS.least + ' to ' + LINE_COUNTS.most + ' players, not ' +
                JSON.stringify(count));
            found = defensiveLine(sport, count, width);
        } else {
            found = SET_PIECES[sport].filter(function (p) { return p.id === id; })[0];
        }
        return {
            facing: found.facing,
            sided: !!found.sided,
            players: found.players.map(function (p) {
                return { number: p[0], fromEnd: p[1], fromTouch: p[2], turn: p[3] || 0 };
            })
        };
    }

    window.SetPieces = {
        forSport: forSport,
        isSetPiece: isSetPiece,
        piece: piece,
        lineCounts: { least: LINE_COUNTS.least, most: LINE_COUNTS.most, first: LINE_COUNTS.first }
    };
}(window));
