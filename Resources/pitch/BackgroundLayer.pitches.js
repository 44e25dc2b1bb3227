// The pitches the background layer (BackgroundLayer.js) draws, one method
// per sport: the grass (or white paper) with its mowing stripes for the
// view, and the sport's markings and goals in pitch units, scaled and turned
// to the view. The background picker borrows these methods for its
// thumbnails.
(function (window) {
    'use strict';

    var BackgroundLayer = window.BackgroundLayer;

    // Pitch geometry in units: a unit is a hundredth of the frame width.
    var UNITS_ACROSS_FRAME = 100;
    var PITCH_LENGTH_U = 100;
    var PITCH_WIDTH_U = 70;
    var LINE_WIDTH_FRACTION = 1 / 150;
    var SPOT_RADIUS_U = 0.2;

    var CIRCLE_RADIUS_U = 9.15;
    var PENALTY_AREA_DEPTH_U = 16.5;
    var PENALTY_AREA_WIDTH_U = 40.3;
    var GOAL_MOUTH_U = 7.32;
    var GOAL_AREA_DEPTH_U = 5.5;
    var GOAL_AREA_WIDTH_U = GOAL_AREA_DEPTH_U * 2 + GOAL_MOUTH_U;
    var PENALTY_SPOT_U = 11;
    // Twice the true size: at true size the corner arcs vanish under the
    // line thickness.
    var CORNER_ARC_RADIUS_U = 2;
    var CORNER_MARK_LENGTH_U = 0.5;

    // A Gaelic pitch as the rules draw it, in metres: 145 long and 90 wide
    // (the largest the rules allow, as county grounds are), its lines
    // measured from each end line, fitted lengthwise into the pitch's
    // drawing area. Football and hurling share the ground and most lines;
    // `footballOnly` are the ones a hurling pitch is drawn without, and
    // football's halfway line runs the width where hurling marks only its
    // middle.
    var GAA_M = { length: 145, width: 90, lines: [13, 20, 45, 65], footballOnly: [45],
        smallRectangle: { depth: 4.5, width: 14 }, largeRectangle: { depth: 13, width: 19 },
        semicircle: { at: 20, radius: 13 }, arc: 40, arcFrom: 20, centreLine: 10, posts: 6.5 };
    var GAA_U_PER_M = PITCH_LENGTH_U / GAA_M.length;
    var GAA_MARKINGS = ['football', 'hurling'];

    // A rugby pitch as the laws draw it, in metres: a field of play 100
    // long and 70 wide, in-goals of 10 to the dead-ball lines, and its
    // lines measured from the try lines and from touch. It is fitted
    // lengthwise into the pitch's drawing area.
    var RUGBY_M = { field: 100, width: 70, inGoal: 10, twentyTwo: 22, ten: 10, fromTryLine: 5,
        fromTouch: [5, 15], gapAcross: 2 };
    var RUGBY_U_PER_M = PITCH_LENGTH_U / (RUGBY_M.field + 2 * RUGBY_M.inGoal);
    // In line widths.
    var RUGBY_DASH = [10, 10];
    var RUGBY_SHORT_DASH = [4, 6];

    // Goal pictures are 256 high; the goal mouth spans all of it but a
    // 50-pixel margin above and below.
    var GOAL_PICTURE_HEIGHT = 256;
    var GOAL_PICTURE_MARGIN = 100;
    // A goal stands behind its goal line, and the full pitch leaves only
    // 2.6 units between the line and the frame's edge: the goal is drawn
    // 2.2 deep, so that it shows whole on every view and turn (its picture
    // squeezed to that depth). Rugby's posts stand in the in-goal.
    var GOAL_DEPTH_U = 2.2;
    var SOCCER_GOAL_PICTURE_WIDTH = GOAL_DEPTH_U * (GOAL_PICTURE_HEIGHT - GOAL_PICTURE_MARGIN) / GOAL_MOUTH_U;
    var GAA_GOAL_PICTURE_WIDTH = SOCCER_GOAL_PICTURE_WIDTH;
    var RUGBY_GOAL_PICTURE_WIDTH = 150;
    var GOAL_PICTURES = {
        soccer: { grass: 'backgrounds/goalLeft.png', print: 'backgrounds/goalLeftForPrint.png' },
        posts: { grass: 'backgrounds/rugbyGoal.png', print: 'backgrounds/rugbyGoalForPrint.png' }
    };

    var GRASS_COLOR = 'green';
    var PAPER_COLOR = 'white';
    var PAPER_FRAME_COLOR = 'black';
    var PAPER_FRAME_WIDTH = 1;
    var STRIPE_OPACITY = 0.075;

    // Stripes and the markings' transform per view, for a frame of fw x fh.
    // A rotation of 90 turns the pitch's length to run down the frame; the
    // offset is subtracted from the drawing's coordinates before scaling
    // and turning. `blank` has no markings at all.
    var VIEWS = {
        fullField: {
            stripes: { direction: 'horizontal', bands: 16 },
            transform: function () {
                return { scale: 0.95, rotation: 0, offsetX: 0, offsetY: 0 };
            }
        },
        oneEnd: {
            stripes: { direction: 'vertical', bands: 9 },
            transform: function (fw, fh) {
                return { scale: fw / fh * 0.95, rotation: 90, offsetX: fh - fw, offsetY: 0 };
            }
        },
        penaltyArea: {
            stripes: { direction: 'vertical', bands: 5 },
            transform: function (fw, fh) {
                return { scale: fw / fh * 1.7, rotation: 90, offsetX: -fh / 2, offsetY: 0 };
            }
        },
        penaltyAreaLeft: {
            stripes: { direction: 'vertical', bands: 4 },
            transform: function (fw, fh) {
                return { scale: fw / fh * 1.25, rotation: 90, offsetX: -fh / 2.4, offsetY: fw / 14 };
            }
        },
        penaltyAreaRight: {
            stripes: { direction: 'vertical', bands: 4 },
            transform: function (fw, fh) {
                return { scale: fw / fh * 1.25, rotation: 90, offsetX: -fh / 2.4, offsetY: -fw / 14 };
            }
        },
        blank: {
            stripes: { direction: 'horizontal', bands: 6 },
            transform: null
        }
    };

    // ---- Pitch drawing ----------------------------------------------------

    function checkFrame(fw, fh, bgType, caller) {
        if (typeof fw !== 'number' || typeof fh !== 'number' || !(fw >= 0) || !(fh >= 0)) {
            throw new Error(caller + ': the frame width and height must be numbers of at least 0');
        }
        if (typeof bgType !== 'string') {
            throw new Error(caller + ': the view must be a string such as "fullField"');
        }
    }

    // A view name from a file that this page does not know is drawn as
    // `blank`, so the editor keeps working on a plain pitch.
    function viewOf(bgType) {
        return VIEWS.hasOwnProperty(bgType) ? VIEWS[bgType] : VIEWS.blank;
    }

    // What every pitch has in common: sizes in pixels for one frame and the
    // colours of its lines.
    function pitchStyle(fw, drawForPrint) {
        var unit = fw / UNITS_ACROSS_FRAME;
        return {
            unit: unit,
            length: PITCH_LENGTH_U * unit,
            width: PITCH_WIDTH_U * unit,
            lineWidth: fw * LINE_WIDTH_FRACTION,
            lineColor: drawForPrint ? 'black' : 'white',
            drawForPrint: drawForPrint
        };
    }

    function drawGrass(fw, fh, view, showStripes, drawForPrint) {
        var grassGroup = new Kinetic.Group({ name: 'grassGroup' });
        var ground = new Kinetic.Rect({
            name: 'ground', x: 0, y: 0, width: fw, height: fh,
            fill: drawForPrint ? PAPER_COLOR : GRASS_COLOR
        });
        if (drawForPrint) {
            ground.stroke(PAPER_FRAME_COLOR);
            ground.strokeWidth(PAPER_FRAME_WIDTH);
        }
        grassGroup.add(ground);
        if (!showStripes) {
            return grassGroup;
        }
        var n = view.stripes.bands;
        var across = view.stripes.direction === 'horizontal';
        for (var i = 0; i < n; i += 2) {
            grassGroup.add(new Kinetic.Rect({
                name: 'stripe',
                x: across ? i * fw / n : 0,
                y: across ? 0 : i * fh / n,
                width: across ? fw / n : fw,
                height: across ? fh : fh / n,
                fill: drawForPrint ? 'black' : 'white',
                opacity: STRIPE_OPACITY
            }));
        }
        return grassGroup;
    }

    function line(style, name, points, dash) {
        var config = {
            name: name, points: points,
            stroke: style.lineColor, strokeWidth: style.lineWidth
        };
        return dash ? dashedLine(config, dash) : new Kinetic.Line(config);
    }

    // A rectangle outline of w x h units centred on (cx, cy) units.
    function box(style, name, cx, cy, w, h) {
        var u = style.unit;
        return new Kinetic.Rect({
            name: name,
            x: (cx - w / 2) * u, y: (cy - h / 2) * u, width: w * u, height: h * u,
            stroke: style.lineColor, strokeWidth: style.lineWidth
        });
    }

    function spot(style, name, cx) {
        return new Kinetic.Circle({
            name: name, x: cx * style.unit, y: 0,
            radius: SPOT_RADIUS_U * style.unit, fill: style.lineColor
        });
    }

    // Inner and outer radius are equal, so only the outline of the arc
    // shows. It starts at `startDeg` and sweeps `sweepDeg` clockwise on
    // screen, 0 degrees pointing along +x.
    function arc(style, name, cx, cy, radiusU, startDeg, sweepDeg) {
        var r = radiusU * style.unit;
        return new Kinetic.Arc({
            name: name, x: cx * style.unit, y: cy * style.unit,
            innerRadius: r, outerRadius: r, angle: sweepDeg, rotation: startDeg,
            stroke: style.lineColor, strokeWidth: style.lineWidth
        });
    }

    // A line across the pitch, from touch line to touch line, at x units;
    // across the design's pitch width unless `widthU` says otherwise.
    function lineAcross(style, name, xU, widthU) {
        var x = xU * style.unit;
        var half = widthU ? widthU * style.unit / 2 : style.width / 2;
        return line(style, name, [x, -half, x, half]);
    }

    // Two copies of a goal picture, loaded anew for this drawing: the left
    // one with its right edge on x = -anchorU units, the right one turned
    // half round so that it mirrors it about the pitch centre. The picture
    // is scaled so that its height less the margins spans the goal mouth
    // (soccer's unless `mouthU` is given). A picture that fails to load is
    // simply left out.
    function addGoals(markings, style, src, pictureWidth, anchorU, mouthU) {
        var s = (mouthU || GOAL_MOUTH_U) * style.unit / (GOAL_PICTURE_HEIGHT - GOAL_PICTURE_MARGIN);
        var anchor = anchorU * style.unit;
        function copy(image, x, y, rotation) {
            return new Kinetic.Image({
                name: 'goal', image: image, x: x, y: y, rotation: rotation,
                width: pictureWidth, height: GOAL_PICTURE_HEIGHT, scaleX: s, scaleY: s
            });
        }
        // At once when the picture has loaded before.
        window.sharedPicture(src, function (image) {
            var halfHeight = GOAL_PICTURE_HEIGHT / 2 * s;
            markings.add(copy(image, -anchor - pictureWidth * s, -halfHeight, 0));
            markings.add(copy(image, anchor + pictureWidth * s, halfHeight, 180));
            var layer = markings.getLayer();
            if (layer) {
                layer.batchDraw();
            }
        });
    }

    function goalPicture(kind, style) {
        return GOAL_PICTURES[kind][style.drawForPrint ? 'print' : 'grass'];
    }

    function addSoccerMarkings(markings, style) {
        var L = PITCH_LENGTH_U;
        var W = PITCH_WIDTH_U;
        var u = style.unit;
        var halfL = L / 2;
        var halfW = W / 2;

        markings.add(box(style, 'outline', 0, 0, L, W));
        markings.add(lineAcross(style, 'halfwayLine', 0));
        markings.add(new Kinetic.Circle({
            name: 'centreCircle', x: 0, y: 0, radius: CIRCLE_RADIUS_U * u,
            stroke: style.lineColor, strokeWidth: style.lineWidth
        }));
        markings.add(spot(style, 'centreSpot', 0));

        var areaX = halfL - PENALTY_AREA_DEPTH_U / 2;
        var goalAreaX = halfL - GOAL_AREA_DEPTH_U / 2;
        var spotX = halfL - PENALTY_SPOT_U;
        var halfAngle = degrees(Math.acos((PENALTY_AREA_DEPTH_U - PENALTY_SPOT_U) / CIRCLE_RADIUS_U));
        [-1, 1].forEach(function (side) {
            markings.add(box(style, 'penaltyArea', side * areaX, 0,
                PENALTY_AREA_DEPTH_U, PENALTY_AREA_WIDTH_U));
            markings.add(box(style, 'goalArea', side * goalAreaX, 0,
                GOAL_AREA_DEPTH_U, GOAL_AREA_WIDTH_U));
            markings.add(spot(style, 'penaltySpot', side * spotX));
            markings.add(arc(style, 'penaltyArc', side * spotX, 0, CIRCLE_RADIUS_U,
                side < 0 ? -halfAngle : 180 - halfAngle, 2 * halfAngle));
        });

        // Corners clockwise from the top left; each arc sweeps a quarter
        // turn into the pitch.
        var corners = [
            { x: -halfL, y: -halfW, start: 0 },
            { x: halfL, y: -halfW, start: 90 },
            { x: halfL, y: halfW, start: 180 },
            { x: -halfL, y: halfW, start: 270 }
        ];
        corners.forEach(function (c) {
            markings.add(arc(style, 'cornerArc', c.x, c.y, CORNER_ARC_RADIUS_U, c.start, 90));
        });

        // The marks stand wholly outside the outline's stroke: begun on the
        // line itself they would hide under its thickness.
        var from = style.lineWidth / 2;
        var to = from + CORNER_MARK_LENGTH_U * u;
        corners.forEach(function (c) {
            var sx = c.x < 0 ? 1 : -1;  // towards the other end
            var sy = c.y < 0 ? 1 : -1;  // towards the other touch line
            var outX = -sx;
            var outY = -sy;
            var onTouchX = (c.x + sx * CIRCLE_RADIUS_U) * u;
            var onEndY = (c.y + sy * CIRCLE_RADIUS_U) * u;
            markings.add(line(style, 'cornerMark',
                [onTouchX, c.y * u + outY * from, onTouchX, c.y * u + outY * to]));
            markings.add(line(style, 'cornerMark',
                [c.x * u + outX * from, onEndY, c.x * u + outX * to, onEndY]));
        });

        addGoals(markings, style, goalPicture('soccer', style), SOCCER_GOAL_PICTURE_WIDTH, halfL);
    }

    // The semicircle stands on the 20 m line, facing out of the large
    // rectangle; football's 40 m arc is centred on the goal and runs
    // between the 20 m lines' meeting with it.
    function addGAAEnd(markings, style, end, football) {
        var m = GAA_U_PER_M;
        var endLine = end * GAA_M.length / 2;
        var inward = end < 0 ? 0 : 180;
        var fromEnd = function (metres) { return endLine - end * metres; };
        [['smallRectangle', GAA_M.smallRectangle], ['largeRectangle', GAA_M.largeRectangle]].forEach(function (r) {
            markings.add(box(style, r[0], fromEnd(r[1].depth / 2) * m, 0, r[1].depth * m, r[1].width * m));
        });
        GAA_M.lines.forEach(function (metres) {
            if (football || GAA_M.footballOnly.indexOf(metres) === -1) {
                markings.add(lineAcross(style, 'line' + metres + 'm', fromEnd(metres) * m, GAA_M.width * m));
            }
        });
        markings.add(arc(style, 'semicircle', fromEnd(GAA_M.semicircle.at) * m, 0, GAA_M.semicircle.radius * m,
            inward - 90, 180));
        if (football) {
            var half = degrees(Math.acos(GAA_M.arcFrom / GAA_M.arc));
            markings.add(arc(style, 'fortyMetreArc', endLine * m, 0, GAA_M.arc * m, inward - half, 2 * half));
        }
    }

    function addGAAMarkings(markings, style, code) {
        var m = GAA_U_PER_M;
        var u = style.unit;
        var football = code !== 'hurling';
        markings.add(box(style, 'outline', 0, 0, GAA_M.length * m, GAA_M.width * m));
        if (football) {
            markings.add(lineAcross(style, 'halfwayLine', 0, GAA_M.width * m));
        } else {
            var half = GAA_M.centreLine / 2 * m * u;
            markings.add(line(style, 'centreLine', [0, -half, 0, half]));
        }
        markings.add(spot(style, 'centreSpot', 0));
        addGAAEnd(markings, style, -1, football);
        addGAAEnd(markings, style, 1, football);
        addGoals(markings, style, goalPicture('posts', style), GAA_GOAL_PICTURE_WIDTH, GAA_M.length / 2 * m,
            GAA_M.posts * m);
    }

    // The dashed lines 5 m and 15 m from each touch line, from the 5 m
    // lines off the try lines to the halfway line, broken a little either
    // side of the 22s and the halfway line, as the laws' plan draws them.
    function addRugbyLinesFromTouch(markings, style) {
        var m = RUGBY_U_PER_M * style.unit;
        var halfField = RUGBY_M.field / 2;
        var to22 = halfField - RUGBY_M.twentyTwo;
        var gap = RUGBY_M.gapAcross;
        var stretches = [[halfField - RUGBY_M.fromTryLine, to22 + gap], [to22 - gap, gap]];
        RUGBY_M.fromTouch.forEach(function (fromTouch) {
            var y = RUGBY_M.width / 2 - fromTouch;
            [-1, 1].forEach(function (end) {
                [-1, 1].forEach(function (side) {
                    stretches.forEach(function (stretch) {
                        markings.add(line(style, 'lineFromTouch', [end * stretch[0] * m, side * y * m,
                            end * stretch[1] * m, side * y * m], RUGBY_SHORT_DASH));
                    });
                });
            });
        });
    }

    function addRugbyMarkings(markings, style) {
        var m = RUGBY_U_PER_M;
        var u = style.unit;
        var halfField = RUGBY_M.field / 2;
        var halfWidth = RUGBY_M.width / 2;
        var across = function (name, xM, dash) {
            markings.add(line(style, name, [xM * m * u, -halfWidth * m * u, xM * m * u, halfWidth * m * u], dash));
        };

        markings.add(box(style, 'outline', 0, 0, (RUGBY_M.field + 2 * RUGBY_M.inGoal) * m, RUGBY_M.width * m));
        markings.add(box(style, 'tryLines', 0, 0, RUGBY_M.field * m, RUGBY_M.width * m));
        across('halfwayLine', 0);
        [-1, 1].forEach(function (end) {
            across('twentyTwoLine', end * (halfField - RUGBY_M.twentyTwo));
            across('tenMetreLine', end * RUGBY_M.ten, RUGBY_DASH);
            // Between the 5 m lines from touch: where scrums and lineouts
            // are formed.
            var x = end * (halfField - RUGBY_M.fromTryLine) * m * u;
            var y = (halfWidth - RUGBY_M.fromTouch[0]) * m * u;
            markings.add(line(style, 'fiveMetreLine', [x, -y, x, y], RUGBY_SHORT_DASH));
        });
        addRugbyLinesFromTouch(markings, style);
        markings.add(spot(style, 'centreSpot', 0));

        addGoals(markings, style, goalPicture('posts', style), RUGBY_GOAL_PICTURE_WIDTH, halfField * m);
    }

    // The `bgGroup` of one pitch for a frame of fw x fh: the grass below and
    // the markings group (named `soccerMarkings` for every sport) above.
    // `addMarkings` is null for a pitch that has ground and stripes only.
    function drawPitch(fw, fh, bgType, showStripes, drawForPrint, addMarkings, code) {
        var view = viewOf(bgType);
        var bgGroup = new Kinetic.Group({ name: 'bgGroup' });
        bgGroup.add(drawGrass(fw, fh, view, !!showStripes, !!drawForPrint));

        var markings = new Kinetic.Group({ name: 'soccerMarkings', x: fw / 2, y: fh / 2 });
        if (view.transform && addMarkings) {
            var t = view.transform(fw, fh);
            markings.scale({ x: t.scale, y: t.scale });
            markings.rotation(t.rotation);
            markings.offset({ x: t.offsetX, y: t.offsetY });
            addMarkings(markings, pitchStyle(fw, !!drawForPrint), code);
        }
        bgGroup.add(markings);
        return bgGroup;
    }

    // ---- Where the frame shows the pitch ----------------------------------

    // The field of play between the goal lines (the try lines) and the
    // touch lines, in pitch units about the centre spot, and the metres it
    // stands for (soccer's pitch is drawn a unit to the metre).
    var FIELDS_OF_PLAY = {
        soccer: { length: PITCH_LENGTH_U, width: PITCH_WIDTH_U, perMetre: 1 },
        gaa: { length: GAA_M.length * GAA_U_PER_M, width: GAA_M.width * GAA_U_PER_M, perMetre: GAA_U_PER_M },
        rugby: { length: RUGBY_M.field * RUGBY_U_PER_M, width: RUGBY_M.width * RUGBY_U_PER_M, perMetre: RUGBY_U_PER_M }
    };

    // { length, width } in units, `perMetre` units to a metre.
    BackgroundLayer.fieldOfPlay = function (sport) {
        var field = FIELDS_OF_PLAY.hasOwnProperty(sport) ? FIELDS_OF_PLAY[sport] : FIELDS_OF_PLAY.soccer;
        return { length: field.length, width: field.width, perMetre: field.perMetre };
    };

    // How view `bgType` lays the pitch on an unturned frame of the given
    // aspect: `toFrame(u)` and `fromFrame(f)` take a point in pitch units
    // to fractions of the frame and back, `rotation` is how far the pitch's
    // length is turned on the frame, and `full` says the whole pitch shows
    // (a view without markings lies as the full pitch does).
    BackgroundLayer.viewGeometry = function (bgType, aspectRatio) {
        var fw = UNITS_ACROSS_FRAME;
        var fh = fw / aspectRatio;
        var view = viewOf(bgType);
        var t = (view.transform || VIEWS.fullField.transform)(fw, fh);
        return {
            full: !view.transform || view === VIEWS.fullField,
            rotation: t.rotation,
            toFrame: function (u) {
                var p = window.rotatePos({ x: (u.x - t.offsetX) * t.scale, y: (u.y - t.offsetY) * t.scale }, t.rotation);
                return { x: (p.x + fw / 2) / fw, y: (p.y + fh / 2) / fh };
            },
            fromFrame: function (f) {
                var p = window.rotatePos({ x: f.x * fw - fw / 2, y: f.y * fh - fh / 2 }, -t.rotation);
                return { x: p.x / t.scale + t.offsetX, y: p.y / t.scale + t.offsetY };
            },
            // Frame fractions per pitch unit.
            scale: t.scale / fw
        };
    };

    BackgroundLayer.prototype.drawSoccerField = function (fw, fh, bgType, showStripes, drawForPrint) {
        checkFrame(fw, fh, bgType, 'drawSoccerField');
        return drawPitch(fw, fh, bgType, showStripes, drawForPrint, addSoccerMarkings);
    };

    BackgroundLayer.prototype.drawRugbyField = function (fw, fh, bgType, showStripes, drawForPrint) {
        checkFrame(fw, fh, bgType, 'drawRugbyField');
        return drawPitch(fw, fh, bgType, showStripes, drawForPrint, addRugbyMarkings);
    };

    // `markings` is "football" (the default) or "hurling".
    BackgroundLayer.prototype.drawGAAField = function (fw, fh, bgType, showStripes, drawForPrint, markings) {
        checkFrame(fw, fh, bgType, 'drawGAAField');
        return drawPitch(fw, fh, bgType, showStripes, drawForPrint, addGAAMarkings, markings);
    };

    // The codes a Gaelic pitch can be marked for, the default first.
    BackgroundLayer.GAA_MARKINGS = GAA_MARKINGS.slice();

    // The view's ground and stripes alone, without markings.
    BackgroundLayer.prototype.drawUnmarkedField = function (fw, fh, bgType, showStripes, drawForPrint) {
        return drawPitch(fw, fh, bgType, showStripes, drawForPrint, null);
    };
}(window));
