// A ball held by a player: dropped on a player in a frame, it is his from
// that frame on, until the frame where it is dropped elsewhere (released,
// or passed to another). A held ball stands at its holder's feet (a soccer
// ball, ahead of him) or in his hand (the other balls, at his right side),
// in every frame and through every step he holds it over, following his
// curve; between two holders, or a holder and a place, it travels a path
// of its own. A ball's record keeps `holders`, one entry per frame (null,
// or the holder's id), only while it is held in some frame, so a drill
// without held balls is saved as before. Adds the holder methods to
// FrameManager.js.
(function (FrameManager) {
    'use strict';

    FrameManager.BALL_TYPES = ['ball', 'rugbyBall', 'gaaBall', 'hurlingBall'];
    FrameManager.HOLDER_TYPES = ['person', 'player1'];
    var FEET_BALLS = ['ball'];
    // From the holder's middle, in shares of the pitch's width, for a
    // player of the usual size (scale 0.2): ahead to his feet, aside to his
    // hand.
    var USUAL_SCALE = 0.2;
    var TO_FEET = 0.029;
    var TO_HAND = 0.039;
    // How far beyond a player's picture, in layer pixels, a dropped ball
    // still lands in his possession.
    var DROP_SLACK = 4;

    FrameManager.holderOf = function (record, n) {
        return record.holders ? record.holders[n] || null : null;
    };

    // Where `ball` stands when held by `holder` standing at `state`, in
    // fractions of a pitch of `aspectRatio`.
    FrameManager.heldPlace = function (ball, holder, state, aspectRatio) {
        var inHand = FEET_BALLS.indexOf(ball.type) === -1;
        var reach = (inHand ? TO_HAND : TO_FEET) * holder.scale / USUAL_SCALE;
        var a = (state.rotation + (inHand ? 90 : 0)) * Math.PI / 180;
        return { x: state.x + reach * Math.cos(a), y: state.y + reach * Math.sin(a) * aspectRatio };
    };

    FrameManager.prototype.aspectRatio = function () {
        var layer = this.animLayer;
        return layer.layerWidth > 0 && layer.layerHeight > 0 ? layer.layerWidth / layer.layerHeight : 4 / 3;
    };

    function keepHolders(record, holders) {
        if (holders.some(function (h) { return h !== null; })) {
            record.holders = holders;
        } else {
            delete record.holders;
        }
        FrameManager.forgetText(record);
    }

    // Puts every held ball at its holder's feet in every frame it is held.
    FrameManager.prototype.syncHeld = function () {
        var self = this;
        var aspect = this.aspectRatio();
        this.objects.forEach(function (ball) {
            if (!ball.holders) {
                return;
            }
            ball.holders.forEach(function (id, k) {
                var holder = id === null ? null : self.findObject(id);
                if (!holder) {
                    return;
                }
                var at = FrameManager.heldPlace(ball, holder, holder.frames[k], aspect);
                var state = ball.frames[k];
                if (state.x !== at.x || state.y !== at.y) {
                    ball.frames[k] = { x: at.x, y: at.y, rotation: state.rotation };
                    FrameManager.forgetText(ball);
                }
            });
        });
    };

    // The player on display whose picture the ball `group` was let go on,
    // the nearest; null for none.
    FrameManager.prototype.playerUnder = function (group) {
        var at = group.getPosAbs();
        var found = null;
        var nearest = Infinity;
        this.animLayer.itemGroups().forEach(function (other) {
            var item = other.getFieldItem();
            if (other === group || FrameManager.HOLDER_TYPES.indexOf(item.type) === -1) {
                return;
            }
            var p = other.getPosAbs();
            var d = Math.sqrt((p.x - at.x) * (p.x - at.x) + (p.y - at.y) * (p.y - at.y));
            if (d <= Math.max(item.group.width(), item.group.height()) / 2 + DROP_SLACK && d < nearest) {
                nearest = d;
                found = other;
            }
        });
        return found;
    };

    // An item let go after a drag: a ball on a player becomes his from the
    // frame on show, one elsewhere is released there, for as long as it had
    // the holding it had here; every held ball then goes to its holder's
    // feet (a holder may have been the one dragged).
    FrameManager.prototype.itemDropped = function (group) {
        this.saveFrame();
        var record = this.findObject(group.getAttr('id'));
        if (record && FrameManager.BALL_TYPES.indexOf(record.type) !== -1) {
            var player = this.playerUnder(group);
            this.setHolderFrom(record, this.selectedFrame, player ? player.getAttr('id') : null);
        }
        this.syncHeld();
        this.placeShownItems();
    };

    // The ball the player `playerId` would be given in the frame on show:
    // the selected one, else the one on display nearest him, unless he
    // holds it already; null for none.
    FrameManager.prototype.ballToGive = function (playerId) {
        var player = null;
        var balls = [];
        this.animLayer.itemGroups().forEach(function (group) {
            var type = group.getFieldItem().type;
            if (group.getAttr('id') === playerId && FrameManager.HOLDER_TYPES.indexOf(type) !== -1) {
                player = group;
            } else if (FrameManager.BALL_TYPES.indexOf(type) !== -1) {
                balls.push(group);
            }
        });
        if (!player || balls.length === 0) {
            return null;
        }
        var selected = balls.filter(function (ball) { return ball.isSelected; });
        var at = player.getPosAbs();
        var distance = function (group) {
            var p = group.getPosAbs();
            return (p.x - at.x) * (p.x - at.x) + (p.y - at.y) * (p.y - at.y);
        };
        var ball = (selected.length === 1 ? selected : balls).reduce(function (best, group) {
            return distance(group) < distance(best) ? group : best;
        });
        var record = this.findObject(ball.getAttr('id'));
        return FrameManager.holderOf(record, this.selectedFrame) === playerId ? null : record;
    };

    // The ball to give (ballToGive) is the player's from the frame on show,
    // as a drag onto him makes it; false when there is none to give.
    FrameManager.prototype.giveBall = function (playerId) {
        this.saveFrame();
        var ball = this.ballToGive(playerId);
        if (!ball) {
            return false;
        }
        this.setHolderFrom(ball, this.selectedFrame, playerId);
        this.syncHeld();
        this.placeShownItems();
        return true;
    };

    FrameManager.prototype.setHolderFrom = function (ball, n, id) {
        var holders = ball.holders ? ball.holders.slice() : [];
        while (holders.length < this.nFrames) {
            holders.push(null);
        }
        var old = holders[n];
        for (var k = n; k < this.nFrames && holders[k] === old; k++) {
            holders[k] = id;
        }
        keepHolders(ball, holders);
    };

    // An item deleted holds nothing any more.
    FrameManager.prototype.forgetHolder = function (id) {
        this.objects.forEach(function (ball) {
            if (ball.holders && ball.holders.indexOf(id) !== -1) {
                keepHolders(ball, ball.holders.map(function (h) { return h === id ? null : h; }));
            }
        });
    };

    // A frame added after `sel` copies its holding; a removed one takes its own.
    FrameManager.prototype.holdersAfterInsert = function (sel) {
        this.objects.forEach(function (ball) {
            if (ball.holders) {
                var holders = ball.holders.slice();
                holders.splice(sel + 1, 0, holders[sel]);
                keepHolders(ball, holders);
            }
        });
    };

    FrameManager.prototype.holdersAfterRemoval = function (r) {
        this.objects.forEach(function (ball) {
            if (ball.holders) {
                var holders = ball.holders.slice();
                holders.splice(r, 1);
                keepHolders(ball, holders);
            }
        });
    };
}(window.FrameManager));
