// The faces the PDF report writes its text in. jsPDF's own fonts know only
// Latin-1, and a drill's name or a caption may be Polish or Russian: the
// report embeds the page's own Liberation Sans instead (only the glyphs it
// uses), read from the page's resources at the first report and kept.
(function (window) {
    'use strict';

    var CHUNK = 8192;

    // `files`: { normal: url, bold: url } of TrueType faces.
    function createReportFonts(files) {
        if (!files || !files.normal || !files.bold) {
            throw new Error('createReportFonts: a normal and a bold face are needed');
        }
        var faces = null;
        var waiters = null;

        // Calls back with { normal, bold }, each face's file as base64, or
        // with null when one cannot be read. Calls made while the faces load
        // are answered with the first.
        function load(callback) {
            if (faces) {
                callback(faces);
                return;
            }
            if (waiters) {
                waiters.push(callback);
                return;
            }
            waiters = [callback];
            var read = {};
            var styles = ['normal', 'bold'];
            var left = styles.length;
            styles.forEach(function (style) {
                readBase64(files[style], function (data) {
                    read[style] = data;
                    left -= 1;
                    if (left === 0) {
                        settle(read.normal && read.bold ? read : null);
                    }
                });
            });
        }

        // A face that could not be read is asked for again at the next report.
        function settle(result) {
            faces = result;
            var answer = waiters;
            waiters = null;
            answer.forEach(function (waiter) { waiter(result); });
        }

        return { load: load };
    }

    // Resources answer with status 0, files served over HTTP with 200.
    function readBase64(url, callback) {
        var request = new XMLHttpRequest();
        request.open('GET', url);
        request.responseType = 'arraybuffer';
        request.onload = function () {
            var ok = (request.status === 0 || request.status === 200) && request.response &&
                request.response.byteLength > 0;
            callback(ok ? toBase64(new Uint8Array(request.response)) : null);
        };
        request.onerror = function () { callback(null); };
        request.send();
    }

    function toBase64(bytes) {
        var text = '';
        for (var i = 0; i < bytes.length; i += CHUNK) {
            text += String.fromCharCode.apply(null, bytes.subarray(i, i + CHUNK));
        }
        return window.btoa(text);
    }

    window.createReportFonts = createReportFonts;
}(window));
