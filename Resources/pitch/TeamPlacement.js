// Where a team shape lies on the pitch as the view shows it. The shapes are
// drawn for the full pitch (Formations.js), and there they lie as drawn. A
// view of one end or of a penalty area shows only part of the field of
// play: what the frame shows of it, kept a margin clear of the frame's
// edges, is cut in two halves along the pitch's length, and a half of the
// pitch's shape is fitted into one of them, along and across, facing the
// other. So a half always means one the coach sees, and a team never stands
// off the frame, beyond the goal line or across the pitch.
//
// Halves keep the names "left" and "right": the one nearer the pitch's own
// left end, and the other.
(function (window) {
    'use strict';

    var FULL_VIEW = 'fullField';
    // Kept clear of an edge of the frame that cuts the field of play, as a
    // share of the frame's width: a player's size and a little more.
    var FRAME_MARGIN = 0.04;
    // Shares of the frame's width: the deepest player's room from the end
    // of the half, and the front row's from the line between the halves.
    var END_ROOM = 0.03;
    var FRONT_GAP = 0.03;

    function TeamPlacement(sport, bgType, aspectRatio) {
        this.geometry = window.BackgroundLayer.viewGeometry(bgType, aspectRatio);
        this.fullPitch = window.BackgroundLayer.viewGeometry(FULL_VIEW, aspectRatio);
        this.field = window.BackgroundLayer.fieldOfPlay(sport);
        this.shown = this.geometry.full ? null : this.shownField();
    }

    // Which way the left half lies from the other on the unturned frame.
    TeamPlacement.prototype.leftHalfDirection = function () {
        return window.rotatePos({ x: -1, y: 0 }, this.geometry.rotation);
    };

    // The line between the two halves, its ends in fractions of the frame.
    TeamPlacement.prototype.halvesLine = function () {
        if (this.geometry.full) {
            return [{ x: 0.5, y: 0 }, { x: 0.5, y: 1 }];
        }
        var v = this.shown;
        var middle = (v.x0 + v.x1) / 2;
        return [this.geometry.toFrame({ x: middle, y: v.y0 }), this.geometry.toFrame({ x: middle, y: v.y1 })];
    };

    // The part of the field of play the frame shows, in pitch units, less
    // the margin where the frame cuts it.
    TeamPlacement.prototype.shownField = function () {
        var geometry = this.geometry;
        var corners = [[0, 0], [1, 0], [0, 1], [1, 1]].map(function (c) {
            return geometry.fromFrame({ x: c[0], y: c[1] });
        });
        var xs = corners.map(function (p) { return p.x; });
        var ys = corners.map(function (p) { return p.y; });
        var margin = FRAME_MARGIN / geometry.scale;
        var halfL = this.field.length / 2;
        var halfW = this.field.width / 2;
        function cut(low, high, half) {
            return [low > -half ? low + margin : -half, high < half ? high - margin : half];
        }
        var along = cut(Math.min.apply(null, xs), Math.max.apply(null, xs), halfL);
        var across = cut(Math.min.apply(null, ys), Math.max.apply(null, ys), halfW);
        return { x0: along[0], x1: along[1], y0: across[0], y1: across[1] };
    };

    // The players of formation `id` on `half`, as Formations.placed gives
    // them, x and y fractions of the unturned frame.
    TeamPlacement.prototype.place = function (id, half) {
        if (this.geometry.full) {
            return window.Formations.placed(id, half);
        }
        if (half !== 'left' && half !== 'right') {
            throw new Error('TeamPlacement.place: a half is "left" or "right", not ' + JSON.stringify(half));
        }
        var self = this;
        var players = window.Formations.placed(id, 'left');
        var onPitch = players.map(function (player) {
            return self.fullPitch.fromFrame(player);
        });
        var along = this.alongFit(onPitch);
        return players.map(function (player, i) {
            return self.fitted(player, onPitch[i], along, half);
        });
    };

    // How the shape's length is fitted into a half: from its deepest
    // player, kept off the end, towards the line between the halves, not
    // quite reaching it so that two teams' front rows stay apart; shrunk
    // only where the half is shorter than the shape.
    TeamPlacement.prototype.alongFit = function (onPitch) {
        var xs = onPitch.map(function (u) { return u.x; });
        var deepest = Math.min.apply(null, xs);
        var depth = Math.max.apply(null, xs) - deepest;
        var inUnits = 1 / this.geometry.scale;
        var v = this.shown;
        var room = (v.x1 - v.x0) / 2 - (END_ROOM + FRONT_GAP) * inUnits;
        return { deepest: deepest, back: END_ROOM * inUnits, factor: depth > room ? room / depth : 1 };
    };

    // A player of the shape's left half, at `player.x`, `player.y` of the
    // full pitch's frame and `u` on the pitch, moved into `half` of what is
    // shown.
    TeamPlacement.prototype.fitted = function (player, u, along, half) {
        var fromEnd = along.back + (u.x - along.deepest) * along.factor;
        var across = clamp((u.y + this.field.width / 2) / this.field.width);
        var v = this.shown;
        var left = half === 'left';
        var at = left ?
            { x: v.x0 + fromEnd, y: v.y0 + across * (v.y1 - v.y0) } :
            { x: v.x1 - fromEnd, y: v.y1 - across * (v.y1 - v.y0) };
        var f = this.geometry.toFrame(at);
        return {
            x: f.x, y: f.y, rotation: ((left ? 0 : 180) + this.geometry.rotation) % 360,
            shortLabel: player.shortLabel
        };
    };

    function clamp(share) {
        return Math.max(0, Math.min(1, share));
    }

    window.TeamPlacement = TeamPlacement;
}(window));
