#ifndef TEXTDECODER_H
#define TEXTDECODER_H

#include <QByteArray>
#include <QString>

// Turns the bytes of a text file into text the way the program reads its
// own files: a byte-order mark selects the Unicode encoding it marks;
// otherwise the bytes are UTF-8, and only byte runs that are not valid UTF-8
// are taken in the locale's encoding (files written by older versions in a
// legacy encoding still open).
class TextDecoder
{
public:
    static QString decode(const QByteArray &bytes);
};

#endif // TEXTDECODER_H
