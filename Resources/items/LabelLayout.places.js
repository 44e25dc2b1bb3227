// The places around its item that a label may take in the label layout
// (LabelLayout.js), and the choice among them over one moment or several (a
// step of playback).
//
// A place is a line beside the item and a distance along it: the row the
// label stands in on its own side of the item ('home', below or above as the
// coach chose), beside it to the right or the left, the row on its other
// side, or a row further out on either side. Along a row the label slides
// left or right of centred on its item, along a column up or down. Every
// place lies within a bounded distance of the item, about the item's height
// (a label's height for an item smaller than its label), and no nearer
// another item, so that a name never stands far from its player nor reads
// as another's; every place lies wholly on the pitch, since a picture of the
// drill ends at its edges.
//
// The choice: the free place nearest the label's own, a line at a time in
// order, first among places still straight below, above or beside the item,
// then among those at its corners; a place covering only drawings (arrows,
// zones) when nothing is free; else, of a fixed list of places, the one
// hidden least.
(function (window) {
    'use strict';

    var LabelLayout = window.LabelLayout;

    // A place covering less than this (in square pixels) is clear: boxes
    // that only touch can overlap by a rounding error.
    var CLEAR = 0.01;
    // A label covered over more than this share of its box is hidden.
    var HIDDEN_SHARE = 0.1;
    // How many places free at a step's start are followed through it.
    var SHORTLIST = 4;

    // The lines in order of choice.
    var LINES = ['home', 'right', 'left', 'other', 'out', 'otherOut'];
    var HOME = { line: 'home', along: 0 };

    // Places tried when no line has a free one, in order: the distance along
    // is a share of the label's width in a row, of a row in a column.
    var FIXED_PLACES = [['home', 0], ['right', 0], ['left', 0], ['other', 0],
        ['home', 0.25], ['home', -0.25], ['home', 0.5], ['home', -0.5],
        ['right', 0.5], ['left', 0.5], ['right', -0.5], ['left', -0.5],
        ['other', 0.25], ['other', -0.25], ['other', 0.5], ['other', -0.5],
        ['right', 1], ['left', 1], ['right', -1], ['left', -1],
        ['out', 0], ['otherOut', 0], ['out', 0.5], ['out', -0.5], ['otherOut', 0.5], ['otherOut', -0.5]
    ].map(function (p) {
        return { line: p[0], along: p[1] };
    });

    function overlap(a, b) {
        var w = Math.min(a.x + a.w, b.x + b.w) - Math.max(a.x, b.x);
        var h = Math.min(a.y + a.h, b.y + b.h) - Math.max(a.y, b.y);
        return (w > 0 && h > 0) ? w * h : 0;
    }

    // How far apart two boxes are at their nearest points; 0 when they meet.
    function apart(a, b) {
        var dx = Math.max(0, a.x - (b.x + b.w), b.x - (a.x + a.w));
        var dy = Math.max(0, a.y - (b.y + b.h), b.y - (a.y + a.h));
        return Math.sqrt(dx * dx + dy * dy);
    }

    // `box` moved the least way to lie within `bounds`; one wider or taller
    // than the pitch keeps its left or top edge on it.
    function within(box, bounds) {
        var x = Math.max(bounds.x, Math.min(box.x, bounds.x + bounds.w - box.w));
        var y = Math.max(bounds.y, Math.min(box.y, bounds.y + bounds.h - box.h));
        return { x: x, y: y, w: box.w, h: box.h };
    }

    // How far a label's box may lie from its item's: about the item's
    // height, its longer side as it stands, or the label's own height.
    function reachOf(label, gap) {
        return Math.max(label.item.w, label.item.h, label.home.h) + 2 * gap;
    }

    // Line `line` of `label` ({ home, item } boxes) at this moment: a row
    // (`across` true) at height `at`, or a column at `at` across; `start`,
    // where along it the label stands at distance 0, and `unit`, what a
    // distance of 1 is in pixels (negative where it runs up).
    function lineOf(label, line, gap) {
        var home = label.home;
        var item = label.item;
        var toOwn = home.y + home.h / 2 >= item.cy ? 1 : -1;
        var rowStep = home.h + gap;
        var otherY = 2 * item.cy - home.h - home.y;
        switch (line) {
        case 'right':
            return { across: false, at: item.x + item.w + gap, start: item.cy - home.h / 2, unit: toOwn * rowStep };
        case 'left':
            return { across: false, at: item.x - gap - home.w, start: item.cy - home.h / 2, unit: toOwn * rowStep };
        case 'other':
            return { across: true, at: otherY, start: home.x, unit: home.w };
        case 'out':
            return { across: true, at: home.y + toOwn * rowStep, start: home.x, unit: home.w };
        case 'otherOut':
            return { across: true, at: otherY - toOwn * rowStep, start: home.x, unit: home.w };
        }
        return { across: true, at: home.y, start: home.x, unit: home.w };
    }

    // The box of `place` of `label` at this moment `scene`, on the pitch.
    function boxAt(label, place, scene) {
        var l = lineOf(label, place.line, scene.gap);
        var d = l.start + place.along * l.unit;
        return within({ x: l.across ? d : l.at, y: l.across ? l.at : d, w: label.home.w, h: label.home.h },
            scene.bounds);
    }

    // The box of `place` of `label` at this moment `scene`, or null when it
    // lies too far from the item, or nearer another item than its own (a
    // name beyond the opposition's row, or over the next player in a box,
    // reads as his). The label's own place is always taken as it is: it is
    // also where the label goes when its item stands off the pitch.
    function placeBox(label, place, scene) {
        var box = boxAt(label, place, scene);
        if (place.line === 'home' && place.along === 0) {
            return box;
        }
        var own = apart(box, label.item);
        if (own > reachOf(label, scene.gap)) {
            return null;
        }
        var nearer = false;
        gridsOf(scene).items.each(box.x - own, box.y - own, box.w + 2 * own, box.h + 2 * own, function (item) {
            nearer = nearer || (item !== label.item && apart(box, item) + scene.gap < own);
        });
        return nearer ? null : box;
    }

    // The scene's boxes filed by where they lie (BoxGrid.js): its items,
    // its notes and caption (heavy) and its drawings (light), filed once.
    function gridsOf(scene) {
        if (!scene.grids) {
            scene.grids = { items: new window.BoxGrid(scene.items), heavy: new window.BoxGrid(scene.heavy),
                light: new window.BoxGrid(scene.light) };
        }
        return scene.grids;
    }

    // What stands in the way along line `line` of `label` at this moment
    // `scene`, among the boxes of `grids` (BoxGrid.js): the line, where
    // along it the label may stand (lo to hi, within reach of its item and
    // on the pitch) and the intervals blocked there; null when the line
    // lies beyond reach.
    function lineBand(label, line, scene, grids) {
        var l = lineOf(label, line, scene.gap);
        var item = label.item;
        var bounds = scene.bounds;
        var w = l.across ? label.home.w : label.home.h;
        var h = l.across ? label.home.h : label.home.w;
        // In the line's own terms: a along it, b across it.
        var itemA = l.across ? item.x : item.y;
        var itemLength = l.across ? item.w : item.h;
        var itemB = l.across ? item.y : item.x;
        var itemDepth = l.across ? item.h : item.w;
        var boundA = l.across ? bounds.x : bounds.y;
        var boundLength = l.across ? bounds.w : bounds.h;
        var boundB = l.across ? bounds.y : bounds.x;
        var boundDepth = l.across ? bounds.h : bounds.w;
        var b = Math.max(boundB, Math.min(l.at, boundB + boundDepth - h));
        var across = Math.max(0, b - (itemB + itemDepth), itemB - (b + h));
        var reach = reachOf(label, scene.gap);
        if (across > reach) {
            return null;
        }
        var slack = Math.sqrt(reach * reach - across * across);
        var lo = Math.max(boundA, itemA - w - slack);
        var hi = Math.min(boundA + boundLength - w, itemA + itemLength + slack);
        var blocked = [];
        // The band the line's places cover, in the layout's own terms.
        var reachA = lo - scene.gap;
        var reachLength = hi + w + 2 * scene.gap - lo;
        var band = l.across ? [reachA, b, reachLength, h] : [b, reachA, h, reachLength];
        grids.forEach(function (grid) {
            grid.each(band[0], band[1], band[2], band[3], function (o) {
                // Its own item stands in the way only where the pitch's
                // edge has pushed the line onto it.
                if (o === item && b === l.at) {
                    return;
                }
                var oA = l.across ? o.x : o.y;
                var oB = l.across ? o.y : o.x;
                var oLength = l.across ? o.w : o.h;
                var oDepth = l.across ? o.h : o.w;
                // Kept a gap apart along the line: put on whole pixels,
                // boxes that only touched would overlap by one.
                if (Math.min(b + h, oB + oDepth) - Math.max(b, oB) > CLEAR) {
                    blocked.push([oA - w - scene.gap, oA + oLength + scene.gap]);
                }
            });
        });
        return { l: l, lo: lo, hi: hi, w: w, middle: itemA + itemLength / 2, blocked: blocked };
    }

    // Along line `line` of `label`, the place nearest its own at which its
    // box at this moment `scene` meets none of the boxes in the way there
    // (`band`, lineBand's), within reach of its item, no nearer another and
    // on the pitch; with `straight`, only where it still stands straight
    // below, above or beside its item (across its centre). null when there
    // is none.
    function freeAlong(label, line, scene, band, straight) {
        if (!band) {
            return null;
        }
        var l = band.l;
        var lo = straight ? Math.max(band.lo, band.middle - band.w) : band.lo;
        var hi = straight ? Math.min(band.hi, band.middle) : band.hi;
        var free = freePoints(Math.max(lo, Math.min(l.start, hi)), l.start, lo, hi, band.blocked);
        for (var i = 0; i < free.length; i++) {
            var place = { line: line, along: (free[i] - l.start) / l.unit };
            if (placeBox(label, place, scene)) {
                return place;
            }
        }
        return null;
    }

    // The open intervals `blocked` joined where they overlap (by more than
    // CLEAR: the ends of two that only touch stay free), in order.
    function joined(blocked) {
        var sorted = blocked.slice().sort(function (a, b) {
            return a[0] - b[0];
        });
        var runs = [];
        sorted.forEach(function (iv) {
            var last = runs[runs.length - 1];
            if (last && iv[0] < last[1] - CLEAR) {
                last[1] = Math.max(last[1], iv[1]);
            } else {
                runs.push([iv[0], iv[1]]);
            }
        });
        return runs;
    }

    // The points of [lo, hi] inside none of the open intervals `blocked`,
    // among `first` and the intervals' ends, nearest `start` first. In a
    // crowd a line meets dozens of boxes, most of them overlapping: their
    // runs are what bound the free points.
    function freePoints(first, start, lo, hi, blocked) {
        if (!(lo <= hi)) {
            return [];
        }
        var runs = joined(blocked);
        var tries = [first];
        runs.forEach(function (iv) {
            tries.push(iv[0], iv[1]);
        });
        return tries.filter(function (t) {
            return t >= lo - CLEAR && t <= hi + CLEAR && runs.every(function (iv) {
                return t <= iv[0] + CLEAR || t >= iv[1] - CLEAR;
            });
        }).sort(function (a, b) {
            return Math.abs(a - start) - Math.abs(b - start);
        });
    }

    // What the box of `label` covers at one moment `scene` (LabelLayout.js),
    // and of the labels `placed` there before it: { heavy, light } in square
    // pixels. Of its own item it counts only what it covers beyond what its
    // own place does (the corners of a turned item's box), as where the
    // pitch's edge pushes it onto its item.
    function coverAt(box, label, scene, placed) {
        var grids = gridsOf(scene);
        var cover = { heavy: Math.max(0, overlap(box, label.item) - overlap(label.home, label.item)), light: 0 };
        var heavy = function (o) {
            if (o !== label.item) {
                cover.heavy += overlap(box, o);
            }
        };
        grids.items.each(box.x, box.y, box.w, box.h, heavy);
        grids.heavy.each(box.x, box.y, box.w, box.h, heavy);
        placed.each(box.x, box.y, box.w, box.h, heavy);
        grids.light.each(box.x, box.y, box.w, box.h, function (o) {
            cover.light += overlap(box, o);
        });
        return cover;
    }

    // How `place` of label number `index` fares over the moments `scenes`
    // (each `ms` apart), with the labels `placed[s]` (a BoxGrid) placed
    // before it at
    // moment s: { place, run, heavy, light, boxes, hiddenFirst } — the
    // longest time it stays hidden, what it covers in all of items, names,
    // notes and the caption and of drawings, its box at each moment and
    // whether it is hidden at the first; null when it lies too far from its
    // item, or nearer another, at any moment (but when `followed`: a place
    // kept follows its item). Stops once it covers more than `enough` of the
    // heavy things with no hidden moment yet.
    function fare(index, place, scenes, placed, ms, enough, followed) {
        var run = 0;
        var longest = 0;
        var heavy = 0;
        var light = 0;
        var boxes = [];
        var hiddenFirst = false;
        for (var s = 0; s < scenes.length; s++) {
            var label = scenes[s].labels[index];
            var box = followed ? boxAt(label, place, scenes[s]) : placeBox(label, place, scenes[s]);
            if (!box) {
                return null;
            }
            boxes.push(box);
            var cover = coverAt(box, label, scenes[s], placed[s]);
            heavy += cover.heavy;
            light += cover.light;
            var hidden = cover.heavy > HIDDEN_SHARE * box.w * box.h;
            hiddenFirst = hiddenFirst || (hidden && s === 0);
            run = hidden ? run + 1 : 0;
            longest = Math.max(longest, run);
            if (longest === 0 && heavy > enough + CLEAR) {
                break;
            }
        }
        return { place: place, run: longest * ms, heavy: heavy, light: light, boxes: boxes, hiddenFirst: hiddenFirst };
    }

    // Not hidden at the start before hidden there, then hidden for less
    // time, then covering less of items, names, notes and the caption. Of
    // two that cover none of those, the one tried first stands, whatever
    // drawings either covers.
    function better(a, b) {
        if (!b || a.hiddenFirst !== b.hiddenFirst) {
            return !b || !a.hiddenFirst;
        }
        if (a.run !== b.run) {
            return a.run < b.run;
        }
        return a.heavy < b.heavy && b.heavy > CLEAR;
    }

    // The places label number `index` tries at the moment `scene`, with
    // `placed` there before it, in order, each worked out only when asked
    // for (most labels take the first): its own; the free ones nearest its
    // own on each line, first clear of everything, then of all but
    // drawings, each straight by the item before at its corners; the fixed
    // places. Each is a function giving a place, or null for none.
    function placesToTry(index, scene, placed) {
        var label = scene.labels[index];
        var grids = gridsOf(scene);
        var everything = [grids.items, placed, grids.heavy, grids.light];
        var places = [function () { return HOME; }];
        // With no drawings, all but drawings is everything: its places
        // were tried already.
        var keptSets = grids.light.count > 0 ? [everything, everything.slice(0, 3)] : [everything];
        keptSets.forEach(function (kept) {
            // What is in the way along each line, found once for its
            // straight places and its others.
            var bands = {};
            var bandOf = function (line) {
                if (!bands.hasOwnProperty(line)) {
                    bands[line] = lineBand(label, line, scene, kept);
                }
                return bands[line];
            };
            [true, false].forEach(function (straight) {
                LINES.forEach(function (line) {
                    places.push(function () {
                        return freeAlong(label, line, scene, bandOf(line), straight);
                    });
                });
            });
        });
        return places.concat(FIXED_PLACES.map(function (place) {
            return function () { return place; };
        }));
    }

    // The place label number `index` takes over the moments `scenes`: the
    // first of those it tries that is clear throughout, else the best of
    // them (better): a name may lie over an arrow or a zone before it lies
    // over a player or a name. At one moment, a place that covers only
    // drawings is the best there is once found: none later is clear. Over
    // several (a step), the first few places free at the first moment are
    // followed through the step; where none is, the label is in a crowd,
    // and takes the place best at the first.
    LabelLayout.choosePlace = function (index, scenes, placed, ms) {
        var places = placesToTry(index, scenes[0], placed[0]);
        var best = null;
        var shortlist = [];
        for (var m = 0; m < places.length && shortlist.length < SHORTLIST; m++) {
            var place = places[m]();
            // Past what a place never hidden covers, none can do better.
            var tried = place && fare(index, place, [scenes[0]], [placed[0]], 0,
                best && !best.hiddenFirst ? best.heavy : Infinity);
            if (tried && better(tried, best)) {
                best = tried;
            }
            if (tried && tried.heavy <= CLEAR) {
                shortlist.push(tried);
                if (scenes.length === 1 && (tried.light <= CLEAR || m > 0)) {
                    break;
                }
            }
        }
        if (scenes.length === 1) {
            return shortlist.length ? shortlist[shortlist.length - 1] : best;
        }
        return followThrough(index, shortlist.length ? shortlist : [best], scenes, placed, ms);
    };

    // Of the places `tried` at a step's first moment, the first clear
    // through the step, else the best (better), with its boxes there.
    function followThrough(index, tried, scenes, placed, ms) {
        var best = null;
        for (var t = 0; t < tried.length; t++) {
            var fared = fare(index, tried[t].place, scenes, placed, ms, Infinity, true);
            if (fared.run === 0 && fared.heavy <= CLEAR && fared.light <= CLEAR) {
                return fared;
            }
            if (better(fared, best)) {
                best = fared;
            }
        }
        return best;
    }

    // How `place` of label `index`, kept from before, fares over `scenes`
    // as it follows its item (fare).
    LabelLayout.farePlace = function (index, place, scenes, placed, ms) {
        return fare(index, place, scenes, placed, ms, Infinity, true);
    };

    // The boxes of a place taken join those placed at each moment.
    LabelLayout.keepPlace = function (fared, placed) {
        for (var s = 0; s < placed.length; s++) {
            placed[s].add(fared.boxes[s]);
        }
    };

    // What is placed at each of `count` moments: none yet, as `placed`
    // above takes it.
    LabelLayout.nonePlaced = function (count) {
        var placed = [];
        for (var s = 0; s < count; s++) {
            placed.push(new window.BoxGrid());
        }
        return placed;
    };

    // The box of `place` of `label` at the moment `scene`, where a place
    // chosen before is followed: as far as its item has gone since.
    LabelLayout.placeBox = boxAt;

    // Whether `place` is the label's own, below or above its item as the
    // coach chose.
    LabelLayout.isHomePlace = function (place) {
        return place.line === 'home' && place.along === 0;
    };
}(window));
