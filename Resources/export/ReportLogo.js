// The product logo the PDF report prints. The report wants it as a JPEG
// data URL on white; the picture is drawn once, on a throw-away stage, as
// soon as it has loaded. A logo that cannot load leaves the reports
// without one. Made and prepared once by app.js; the report waits for it
// through whenSettled.
(function (window, Kinetic) {
    'use strict';

    var REPORT_LOGO_SRC = 'logos/playvane256.png';
    var REPORT_LOGO_CONTAINER = 'offscreenContainer1';
    var REPORT_LOGO_BACKING = 'white';
    // A JPEG, because PNG pictures come out washed out in the PDF report.
    var REPORT_LOGO_MIME_TYPE = 'image/jpeg';
    var REPORT_LOGO_QUALITY = 1.0;

    function ReportLogo() {
        this.dataUrl = '';
        this.width = 0;
        this.height = 0;
        // Whether it is known if there is a logo.
        this.settled = false;
        // Reports asked for before the logo has settled, waiting for it.
        this.waiters = [];
    }

    // Calls `callback` with the report logo ({dataUrl, width, height}), or
    // with null when it could not be prepared, as soon as that is known.
    ReportLogo.prototype.whenSettled = function (callback) {
        if (this.settled) {
            callback(this.logo());
        } else {
            this.waiters.push(callback);
        }
    };

    ReportLogo.prototype.logo = function () {
        if (!this.dataUrl) {
            return null;
        }
        return { dataUrl: this.dataUrl, width: this.width, height: this.height };
    };

    ReportLogo.prototype.settle = function () {
        this.settled = true;
        var waiting = this.waiters;
        this.waiters = [];
        for (var i = 0; i < waiting.length; i++) {
            waiting[i](this.logo());
        }
    };

    ReportLogo.prototype.prepare = function () {
        var reportLogo = this;
        var picture = new window.Image();
        picture.onerror = function () {
            reportLogo.settle();
        };
        picture.onload = function () {
            var w = picture.width;
            var h = picture.height;
            reportLogo.width = w;
            reportLogo.height = h;

            var stage = new Kinetic.Stage({ container: REPORT_LOGO_CONTAINER, width: w, height: h });
            var layer = new Kinetic.Layer();
            layer.add(new Kinetic.Rect({ x: 0, y: 0, width: w, height: h, fill: REPORT_LOGO_BACKING }));
            layer.add(new Kinetic.Image({ image: picture, x: 0, y: 0, width: w, height: h }));
            stage.add(layer);
            stage.toDataURL({
                mimeType: REPORT_LOGO_MIME_TYPE,
                quality: REPORT_LOGO_QUALITY,
                callback: function (dataUrl) {
                    reportLogo.dataUrl = dataUrl;
                    stage.destroy();
                    reportLogo.settle();
                }
            });
        };
        picture.src = REPORT_LOGO_SRC;
    };

    window.ReportLogo = ReportLogo;
}(window, Kinetic));
