// The width and height a PNG or JPEG picture's header gives, read from its
// bytes before the engine decodes it: the decoder allocates by these
// numbers, so a picture from a file is measured here first. The bytes are
// read as the decoders read them, and anything they might read otherwise
// (a malformed or cut header, an unknown size) gives no size at all.
(function (window) {
    'use strict';

    var PNG_SIGNATURE = '\x89PNG\r\n\x1a\n';
    var PNG_IHDR_LENGTH = 13;
    // Signature, the IHDR chunk's length and type, its data and its CRC.
    var PNG_HEADER_BYTES = 8 + 8 + PNG_IHDR_LENGTH + 4;

    var JPEG_MARK = 0xFF;
    var JPEG_SOI = 0xD8;
    var JPEG_EOI = 0xD9;
    var JPEG_SOS = 0xDA;
    var JPEG_TEM = 0x01;
    var JPEG_RST0 = 0xD0;
    var JPEG_RST7 = 0xD7;
    // A frame header: its length, the sample precision, the height and the
    // width; the components follow.
    var JPEG_FRAME_HEADER_LENGTH = 8;

    // A marker that begins a frame header: SOF0 to SOF15, but for DHT,
    // JPG and DAC, which share the range.
    function isFrameMarker(marker) {
        return marker >= 0xC0 && marker <= 0xCF && marker !== 0xC4 && marker !== 0xC8 && marker !== 0xCC;
    }

    function size(width, height) {
        return width >= 1 && height >= 1 ? { width: width, height: height } : null;
    }

    function pngSize(bytes, word) {
        // The decoder insists on IHDR as the first chunk.
        if (bytes.length < PNG_HEADER_BYTES || word(8) * 65536 + word(10) !== PNG_IHDR_LENGTH ||
                bytes.slice(12, 16) !== 'IHDR') {
            return null;
        }
        return size(word(16) * 65536 + word(18), word(20) * 65536 + word(22));
    }

    // The first frame header's size, walking the markers after SOI: each
    // may be preceded by fill bytes; TEM and RST0 to RST7 stand alone, and
    // every other segment is skipped by its length, so that a frame header
    // quoted inside a comment is never taken for the picture's own.
    function jpegSize(bytes, byteAt, word) {
        var at = 2;
        while (at < bytes.length) {
            if (byteAt(at) !== JPEG_MARK) {
                return null;
            }
            while (at < bytes.length && byteAt(at) === JPEG_MARK) {
                at++;
            }
            if (at >= bytes.length) {
                return null;
            }
            var marker = byteAt(at);
            at++;
            if (marker === JPEG_TEM || (marker >= JPEG_RST0 && marker <= JPEG_RST7)) {
                continue;
            }
            // Zero is not a marker; a second SOI, an EOI or scan data before
            // any frame header is no picture the decoder sizes.
            if (marker === 0 || marker === JPEG_SOI || marker === JPEG_EOI || marker === JPEG_SOS ||
                    at + 2 > bytes.length) {
                return null;
            }
            var length = word(at);
            if (length < 2 || at + length > bytes.length) {
                return null;
            }
            if (isFrameMarker(marker)) {
                return frameSize(byteAt, word, at, length);
            }
            at += length;
        }
        return null;
    }

    // The size in the frame header whose length begins at `at`, when the
    // length agrees with its count of components.
    function frameSize(byteAt, word, at, length) {
        var components = length >= JPEG_FRAME_HEADER_LENGTH ? byteAt(at + 7) : 0;
        if (components < 1 || length !== JPEG_FRAME_HEADER_LENGTH + 3 * components) {
            return null;
        }
        return size(word(at + 5), word(at + 3));
    }

    // { width, height } of the PNG or JPEG picture in `bytes` (a string of
    // byte values, as atob gives), or null when it is neither, is malformed
    // or cut short before its size, or gives a side of 0.
    window.pictureSize = function (bytes) {
        if (typeof bytes !== 'string') {
            throw new Error('pictureSize: the bytes must be a string of byte values');
        }
        function byteAt(i) {
            return bytes.charCodeAt(i) & 0xFF;
        }
        function word(i) {
            return byteAt(i) * 256 + byteAt(i + 1);
        }
        if (bytes.slice(0, 8) === PNG_SIGNATURE) {
            return pngSize(bytes, word);
        }
        if (bytes.length >= 2 && byteAt(0) === JPEG_MARK && byteAt(1) === JPEG_SOI) {
            return jpegSize(bytes, byteAt, word);
        }
        return null;
    };
}(window));
