// The PDF training report: an A4 document with one picture per frame, six
// to a portrait page in three rows of two (or four in two rows, or two side
// by side on a landscape page), each numbered with its caption
// written under it, each page headed by the title, the drill's name and the
// product logo and closed by a page-number, date and web-address footer.
// The pictures come from the image generator in its print variant
// (white ground), one at a time; the document is built in memory with jsPDF
// and handed over whole, as a data URL.
//
// One report is built at a time, and a new one is refused until then. A
// cancelled report stops at its next picture and frees the builder at
// once: a new report's pictures wait in the generator for the picture still
// being drawn, which is then dropped.
(function (window) {
    'use strict';

    var PICTURE_WIDTH = 720;
    // A turned pitch's pictures are cut to the pitch: from a frame this wide,
    // 540 x 720.
    var TURNED_PICTURE_WIDTH = 960;
    var ASPECT_RATIO = 4 / 3;
    // The pages a report may have, by pictures a page.
    var PAGE_SHAPES = {
        6: { orientation: 'portrait', columns: 2, rows: 3 },
        4: { orientation: 'portrait', columns: 2, rows: 2 },
        2: { orientation: 'landscape', columns: 2, rows: 1 }
    };
    var DEFAULT_PER_PAGE = 6;

    // A phone's PDF viewer shows the title in place of the file's name, so it
    // names the drill and the program: "<drill> — Drillmora training report".
    var TITLE_AFTER_NAME = ' \u2014 Drillmora training report';
    var PROPERTIES = {
        subject: '',
        author: '',
        keywords: 'animation, training',
        creator: 'Norrick Limited'
    };

    // jsPDF's own, for when the report's faces cannot be had.
    var FALLBACK_FONT = 'helvetica';
    var FONT = 'LiberationSans';
    var FONT_FILES = { normal: 'LiberationSans-Regular.ttf', bold: 'LiberationSans-Bold.ttf' };
    var FONT_TYPE = 'bold';
    var TITLE = 'Training Report';
    var TITLE_SIZE = 26;
    var TEXT_SIZE = 12;
    var NAME_SIZE = 14;
    var UNTITLED = 'Untitled drill';
    var LABEL_SIZE = 10;
    var CAPTION_SIZE = 9;
    var CAPTION_FONT_TYPE = 'normal';
    var ELLIPSIS = '\u2026';
    var WEB_ADDRESS = 'www.drillmora.com';

    // Millimetres on the page.
    var HEADER_TOP = 20;
    var TITLE_STEP = 9;
    var WEB_ADDRESS_STEP = 8;
    var FOOTER_ROOM = 16;
    var LOGO_WIDTH = 30;
    var LOGO_ALIAS = 'playvaneLogo';
    var NAME_TO_LOGO = 4;
    // Baselines under a picture's bottom edge, and the room a line of
    // caption takes; a line's descent stays clear of what comes next.
    var LABEL_DROP = 4;
    var CAPTION_LINE = 3.6;
    var DESCENT = 1;
    // A caption stops short of the next column's.
    var CAPTION_GUTTER = 4;
    // What a row keeps under its pictures at the least: the frame's number
    // and two lines of caption.
    var LEAST_ROW_GAP = LABEL_DROP + DESCENT + 2 * CAPTION_LINE;

    // Where every picture goes on a page of `shape` (PAGE_SHAPES) of the
    // given size: the same on every page, since each page has the same
    // header. Pictures are as large as their column and row allow, the
    // frame's 4:3 or a turned pitch's 3:4, each in the middle of its column.
    // The borders are those of the portrait page, turned or not.
    function pictureLayout(pageWidth, pageHeight, rotated, shape) {
        var shorter = Math.min(pageWidth, pageHeight);
        var border = shorter / 15;
        var innerBorder = shorter / 20;
        var top = HEADER_TOP + TITLE_STEP + WEB_ADDRESS_STEP;
        var aspect = rotated ? 1 / ASPECT_RATIO : ASPECT_RATIO;
        var columnWidth = (pageWidth - 2 * border - (shape.columns - 1) * innerBorder) / shape.columns;
        var available = pageHeight - border - top - FOOTER_ROOM;
        var rowRoom = (available - (shape.rows - 1) * LEAST_ROW_GAP) / shape.rows;
        var width = Math.min(columnWidth, rowRoom * aspect);
        var height = width / aspect;
        var rowGap = shape.rows > 1 ? (available - shape.rows * height) / (shape.rows - 1) : FOOTER_ROOM;
        var perPage = shape.columns * shape.rows;
        return {
            border: border,
            width: width,
            height: height,
            perPage: perPage,
            // Under its picture, short of the next column's.
            captionWidth: Math.min(width, columnWidth - CAPTION_GUTTER),
            // The last row's text has the footer's room, which is no less.
            captionLines: Math.floor((Math.min(rowGap, FOOTER_ROOM) - LABEL_DROP - DESCENT) / CAPTION_LINE),
            slot: function (frame) {
                var s = frame % perPage;
                return {
                    x: border + (s % shape.columns) * (columnWidth + innerBorder) + (columnWidth - width) / 2,
                    y: top + Math.floor(s / shape.columns) * (height + rowGap)
                };
            }
        };
    }

    // The characters of `texts` that the document's current font cannot
    // draw, each once, in the order met: jsPDF leaves them out without a
    // word. Its own Latin-1 Helvetica has no table of characters to ask.
    // Control characters are spaces by now, and a line break is no glyph.
    function unprintable(doc, texts) {
        var metadata = doc.internal.getFont().metadata || {};
        var codeMap = metadata.cmap && metadata.cmap.unicode ? metadata.cmap.unicode.codeMap : null;
        var found = [];
        texts.join('\n').replace(/[\uD800-\uDBFF][\uDC00-\uDFFF]|[^\n]/g, function (character) {
            var code = character.charCodeAt(0);
            var printable = character.length === 1 && (codeMap ? !!codeMap[code] : code <= 0xFF);
            if (!printable && found.indexOf(character) === -1) {
                found.push(character);
            }
            return character;
        });
        return found;
    }

    function noFonts(callback) {
        callback(null);
    }

    function addFaces(doc, faces) {
        ['normal', 'bold'].forEach(function (style) {
            doc.addFileToVFS(FONT_FILES[style], faces[style]);
            doc.addFont(FONT_FILES[style], FONT, style);
        });
        return FONT;
    }

    // `text` cut to fit `width` in the document's current font, with an
    // ellipsis where it was cut.
    function oneLine(doc, text, width) {
        if (doc.getTextWidth(text) <= width) {
            return text;
        }
        var kept = text;
        while (kept && doc.getTextWidth(kept + ELLIPSIS) > width) {
            kept = kept.slice(0, -1);
        }
        return kept.replace(/\s+$/, '') + ELLIPSIS;
    }

    // `caption` wrapped to `width`, in at most `max` lines; a longer one
    // ends in an ellipsis. The coach's line breaks are kept.
    function captionLines(doc, caption, width, max) {
        var lines = doc.splitTextToSize(caption, width);
        if (lines.length <= max) {
            return lines;
        }
        lines = lines.slice(0, max);
        lines[max - 1] = oneLine(doc, lines[max - 1] + ELLIPSIS, width);
        return lines;
    }

    // One report being built: the host's request and callbacks, and once
    // its document is begun, the document and the frame it has reached.
    function ReportRun(report, request, callbacks) {
        this.report = report;
        this.request = request;
        this.callbacks = callbacks;
        this.cancelled = false;
    }

    // Frees the builder for the next report, unless the host cancelled
    // this one (and may have begun another).
    ReportRun.prototype.finish = function () {
        if (this.report.running === this) {
            this.report.running = null;
            this.report.busy = false;
        }
    };

    // A failure anywhere in the chain ends the report (and frees the
    // generator for the next one) instead of leaving it busy for ever.
    // A step of a cancelled report does nothing, and so ends its chain.
    ReportRun.prototype.guarded = function (step) {
        var run = this;
        return function () {
            if (run.cancelled) {
                return;
            }
            try {
                step.apply(run, arguments);
            } catch (e) {
                run.finish();
                run.callbacks.failed(e);
            }
        };
    };

    // One drill's name, or the names of several, and the program.
    function reportProperties(drills) {
        var names = drills.map(function (drill) { return drill.name; });
        var properties = { title: names.join(', ') + TITLE_AFTER_NAME };
        Object.keys(PROPERTIES).forEach(function (key) {
            properties[key] = PROPERTIES[key];
        });
        return properties;
    }

    // A drill of the request as the report prints it.
    function printedDrill(drill) {
        return {
            source: drill,
            name: window.printableText(drill.drillName || UNTITLED),
            captions: (drill.captions || []).map(function (caption) {
                return window.printableText(caption || '');
            })
        };
    }

    ReportRun.prototype.start = function (logo, JsPdf, faces) {
        var request = this.request;
        var perPage = request.picturesPerPage || DEFAULT_PER_PAGE;
        if (!PAGE_SHAPES.hasOwnProperty(perPage)) {
            throw new Error('a report has ' + PdfReport.PICTURES_PER_PAGE.join(', ') + ' pictures a page, not ' + perPage);
        }
        this.shape = PAGE_SHAPES[perPage];
        var doc = new JsPdf(this.shape.orientation, 'mm', 'a4');
        this.doc = doc;
        this.logo = logo;
        this.font = faces ? addFaces(doc, faces) : FALLBACK_FONT;
        this.pageWidth = doc.internal.pageSize.getWidth();
        this.pageHeight = doc.internal.pageSize.getHeight();
        this.drills = (request.drills || [request]).map(printedDrill);
        this.nPages = 0;
        this.nPictures = 0;
        this.drills.forEach(function (drill) {
            this.nPages += Math.ceil(drill.source.nFrames / perPage);
            this.nPictures += drill.source.nFrames;
        }, this);
        this.picturesPlaced = 0;
        this.pageNumber = 0;
        this.onPicture = this.guarded(this.placePicture);
        doc.setProperties(reportProperties(this.drills));
        this.beginDrill(0);
    };

    // Each drill starts a page of its own, its pictures drawn as its own
    // settings have them.
    ReportRun.prototype.beginDrill = function (index) {
        var drill = this.drills[index];
        var source = drill.source;
        this.drillIndex = index;
        this.drill = drill;
        this.frame = 0;
        this.lastFrame = source.nFrames - 1;
        this.layout = pictureLayout(this.pageWidth, this.pageHeight, source.rotated, this.shape);
        var imageGenerator = this.report.imageGenerator;
        imageGenerator.loadAnimation(source.animationText);
        // Each caption is printed under its picture.
        imageGenerator.configureAnimation(source.rotated ? TURNED_PICTURE_WIDTH : PICTURE_WIDTH, true,
            source.showRunningLines, source.showGrid, true, true);
        imageGenerator.getFrameImage(0, this.onPicture);
    };

    ReportRun.prototype.drawHeaderAndFooter = function (pageNumber) {
        var doc = this.doc;
        var layout = this.layout;
        var logo = this.logo;
        var pageWidth = this.pageWidth;
        var y = HEADER_TOP;
        var textWidth = pageWidth - 2 * layout.border;
        if (logo) {
            var logoHeight = logo.height / logo.width * LOGO_WIDTH;
            doc.addImage(logo.dataUrl, 'JPEG', pageWidth - LOGO_WIDTH - layout.border,
                y - logoHeight / 2, LOGO_WIDTH, logoHeight, LOGO_ALIAS, 'FAST');
        }
        doc.setFont(this.font);
        doc.setFontType(FONT_TYPE);
        doc.setFontSize(TITLE_SIZE);
        doc.text(TITLE, layout.border, y);
        y += TITLE_STEP;
        doc.setFontSize(NAME_SIZE);
        doc.text(oneLine(doc, this.drill.name, textWidth - LOGO_WIDTH - NAME_TO_LOGO),
            layout.border, y);
        doc.setFontSize(TEXT_SIZE);
        // Placed, not spaced out with tabs: the embedded faces have
        // no glyph for a tab.
        var footerY = this.pageHeight - layout.border;
        doc.text('Page ' + pageNumber + ' / ' + this.nPages, layout.border, footerY);
        var date = String(this.request.date);
        doc.text(date, (pageWidth - doc.getTextWidth(date)) / 2, footerY);
        doc.text(WEB_ADDRESS, pageWidth - layout.border - doc.getTextWidth(WEB_ADDRESS), footerY);
    };

    // "Frame 3" under the picture, and under that its caption,
    // within the picture's width.
    ReportRun.prototype.labelPicture = function (at) {
        var doc = this.doc;
        var layout = this.layout;
        var x = at.x;
        var y = at.y + layout.height + LABEL_DROP;
        doc.setFont(this.font);
        doc.setFontType(FONT_TYPE);
        doc.setFontSize(LABEL_SIZE);
        doc.text('Frame ' + (this.frame + 1), x, y);
        var caption = this.drill.captions[this.frame] || '';
        if (!caption) {
            return;
        }
        doc.setFontType(CAPTION_FONT_TYPE);
        doc.setFontSize(CAPTION_SIZE);
        captionLines(doc, caption, layout.captionWidth, layout.captionLines).forEach(function (line) {
            y += CAPTION_LINE;
            doc.text(line, x, y);
        });
    };

    // Every picture has an alias of its own: jsPDF embeds an image
    // once per alias, so a shared one would show the first frame in
    // every slot.
    ReportRun.prototype.placePicture = function (dataUrl, refusal) {
        if (!dataUrl) {
            throw new Error(this.drills.length > 1 ? 'the drill ' + this.drill.name + ': ' +
                (refusal || 'a picture could not be drawn') : refusal || 'a picture could not be drawn');
        }
        var doc = this.doc;
        var frame = this.frame;
        this.callbacks.progress(this.nPictures > 1 ? this.picturesPlaced / (this.nPictures - 1) * 100 : 0);
        this.picturesPlaced += 1;
        // The host may have cancelled on hearing of this picture.
        if (this.cancelled) {
            return;
        }
        if (frame % this.layout.perPage === 0) {
            if (this.pageNumber > 0) {
                doc.addPage();
            }
            this.pageNumber += 1;
            this.drawHeaderAndFooter(this.pageNumber);
        }
        var at = this.layout.slot(frame);
        doc.addImage(dataUrl, 'JPEG', at.x, at.y, this.layout.width, this.layout.height,
            this.pictureAlias(), 'FAST');
        this.labelPicture(at);
        if (frame < this.lastFrame) {
            this.frame += 1;
            this.report.imageGenerator.getFrameImage(this.frame, this.onPicture);
        } else if (this.drillIndex < this.drills.length - 1) {
            this.beginDrill(this.drillIndex + 1);
        } else {
            this.end();
        }
    };

    // "frame3" for a report of one drill; the second drill's first picture
    // is "drill2frame1".
    ReportRun.prototype.pictureAlias = function () {
        return (this.drillIndex > 0 ? 'drill' + (this.drillIndex + 1) : '') + 'frame' + (this.frame + 1);
    };

    ReportRun.prototype.end = function () {
        var doc = this.doc;
        var document = doc.output('dataurlstring');
        doc.setFont(this.font);
        var texts = [String(this.request.date)];
        this.drills.forEach(function (drill) {
            texts = texts.concat([drill.name], drill.captions);
        });
        var leftOut = unprintable(doc, texts);
        this.finish();
        this.callbacks.finished(document, leftOut);
    };

    // `imageGenerator` draws the pictures (loadAnimation, configureAnimation,
    // getImage); `loadJsPdf(callback)` calls back with the jsPDF document
    // constructor, or with null when it cannot be had. The library is the
    // largest script the page has and only a report needs it, so the editor
    // starts without it. `loadFonts(callback)`, if given, calls back with
    // the faces to write in ({ normal, bold }: TrueType files as base64), or
    // with null, when the report writes in jsPDF's Latin-1 Helvetica.
    function PdfReport(imageGenerator, loadJsPdf, loadFonts) {
        if (!imageGenerator || typeof loadJsPdf !== 'function') {
            throw new Error('PdfReport: an image generator and a loader of jsPDF are needed');
        }
        this.imageGenerator = imageGenerator;
        this.loadJsPdf = loadJsPdf;
        this.loadFonts = loadFonts;
        this.busy = false;
        // The report being built (a ReportRun); null when none.
        this.running = null;
    }

    // Builds the report of `request`:
    //   animationText, nFrames: the animation as saved, and its frames;
    //   rotated, showRunningLines, showGrid: the editor's settings;
    //   drillName: the drill's name, empty when it has none;
    //   captions: each frame's caption, by frame;
    //   or, for a report of several drills, `drills`: a list of those
    //     members for each drill, each under its own heading, in order;
    //   picturesPerPage: 6 (when not given), 4 or 2 (PdfReport.PICTURES_PER_PAGE);
    //   date: when the report was asked for, as the coach writes it
    //     (the same on every page);
    //   waitForLogo(callback): calls back with the report logo
    //     ({dataUrl, width, height}), or null when there is none.
    // `callbacks.progress(percent)` runs once a picture, as it is placed;
    // then `callbacks.finished(dataUrl, leftOut)` with the whole document
    // and the characters of the names, the date and the captions its font
    // could not print (each once, [] for none), or
    // `callbacks.failed(error)` if it could not be built; a picture the
    // generator could not draw fails it with the generator's reason. A
    // cancelled report calls back no more. Returns false, and does
    // nothing, while an earlier report is still being built.
    PdfReport.prototype.build = function (request, callbacks) {
        if (this.busy) {
            return false;
        }
        this.busy = true;
        var run = new ReportRun(this, request, callbacks);
        this.running = run;
        var loadJsPdf = this.loadJsPdf;
        var loadFonts = this.loadFonts;
        request.waitForLogo(function (logo) {
            loadJsPdf(run.guarded(function (JsPdf) {
                if (!JsPdf) {
                    throw new Error('jsPDF could not be loaded');
                }
                (loadFonts || noFonts)(run.guarded(function (faces) {
                    run.start(logo, JsPdf, faces);
                }));
            }));
        });
        return true;
    };

    // Stops the report being built before its next picture is placed
    // (one being drawn is dropped), and takes a new report at once.
    PdfReport.prototype.cancel = function () {
        if (this.running) {
            this.running.cancelled = true;
        }
        this.running = null;
        this.busy = false;
    };

    PdfReport.prototype.isBusy = function () {
        return this.busy;
    };

    // What a report may have a page, the default first.
    PdfReport.PICTURES_PER_PAGE = [6, 4, 2];

    window.PdfReport = PdfReport;
}(window));
