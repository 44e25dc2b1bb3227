// Where a set piece (SetPieces.js) lies on the pitch as the view shows it.
// A set piece stands where the code puts it, so unlike a team shape it is
// never squeezed: on the full pitch it lies at the end of the half the
// coach picks, by the touch line picked; a view of one end or of a penalty
// area shows only the pitch's left end, so there the piece lies at that
// end whatever the half, and a player the view does not reach stands at
// its edge.
//
// Touch lines keep the names "top" and "bottom": the one above the centre
// spot on the unturned full pitch, and the other.
(function (window, TeamPlacement) {
    'use strict';

    var SIDES = ['top', 'bottom'];

    function check(condition, text) {
        if (!condition) {
            throw new Error('TeamPlacement.placeSetPiece: ' + text);
        }
    }

    // Which way the top touch line lies from the centre on the unturned
    // frame.
    TeamPlacement.prototype.topSideDirection = function () {
        return window.rotatePos({ x: 0, y: -1 }, this.geometry.rotation);
    };

    // A player of the piece as drawn (SetPieces.piece), in pitch units and
    // degrees, at the left end by the top touch line.
    TeamPlacement.prototype.drawnPlace = function (player, facing) {
        var field = this.field;
        return {
            x: -field.length / 2 + player.fromEnd * field.perMetre,
            y: -field.width / 2 + player.fromTouch * field.perMetre,
            rotation: facing + player.turn
        };
    };

    // The place turned to the half and, for a piece by a touch line,
    // mirrored across the pitch where that leaves it by the other one.
    TeamPlacement.prototype.chosenPlace = function (at, half, mirrored) {
        var p = { x: at.x, y: at.y, rotation: at.rotation };
        if (half === 'right' && this.geometry.full) {
            p = { x: -p.x, y: -p.y, rotation: p.rotation + 180 };
        }
        return mirrored ? { x: p.x, y: -p.y, rotation: -p.rotation } : p;
    };

    // The players of set piece `id` ({ x, y, rotation, shortLabel }, x and
    // y fractions of the unturned frame, in shirt-number order) on `half`
    // by the `side` touch line (a piece across the whole width ignores
    // it); `count` players for a defensive line.
    TeamPlacement.prototype.placeSetPiece = function (id, half, side, count) {
        check(half === 'left' || half === 'right', 'a half is "left" or "right", not ' + JSON.stringify(half));
        check(SIDES.indexOf(side) !== -1, 'a side is "top" or "bottom", not ' + JSON.stringify(side));
        var self = this;
        var field = this.field;
        var piece = window.SetPieces.piece(id, field.width / field.perMetre, count);
        var bounds = this.shown || { x0: -field.length / 2, x1: field.length / 2, y0: -field.width / 2, y1: field.width / 2 };
        var turned = half === 'right' && this.geometry.full;
        var mirrored = piece.sided && (side === 'top') === turned;
        return piece.players.map(function (player) {
            var at = self.chosenPlace(self.drawnPlace(player, piece.facing), half, mirrored);
            var f = self.geometry.toFrame({ x: within(at.x, bounds.x0, bounds.x1), y: within(at.y, bounds.y0, bounds.y1) });
            return {
                x: f.x, y: f.y, rotation: degrees(at.rotation + self.geometry.rotation),
                shortLabel: String(player.number)
            };
        }).sort(function (a, b) {
            return Number(a.shortLabel) - Number(b.shortLabel);
        });
    };

    function within(v, low, high) {
        return Math.max(low, Math.min(high, v));
    }

    // From 0 up to 360.
    function degrees(rotation) {
        return ((rotation % 360) + 360) % 360;
    }

    TeamPlacement.SIDES = SIDES.slice();
}(window, window.TeamPlacement));
