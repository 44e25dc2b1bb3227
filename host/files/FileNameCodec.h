#ifndef FILENAMECODEC_H
#define FILENAMECODEC_H

#include <QStringList>
#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>

// The locale's encoding for a UTF-8 locale, made to carry every file name.
// A name on Linux is any bytes; Qt reads and writes names in the locale's
// encoding, and its UTF-8 turns a byte that is not UTF-8 (a name made under
// Latin-1, "caf\xE9.anim") into U+FFFD, a file nobody can open. Here such a
// byte becomes the lone surrogate U+DC80 to U+DCFF and turns back into the
// same byte, so names, arguments and messages keep the bytes they came with.
class FileNameCodec : public QTextCodec
{
public:
    // Makes this the locale's codec when the locale's is UTF-8. Call before
    // the command line is read; it sets the locale from the environment, as
    // the application object would.
    static void install();

    // The codec for text (file contents) in the locale's encoding: UTF-8
    // itself when this codec stands in for it, where a stray byte is shown as
    // U+FFFD as it always was.
    static QTextCodec *textCodecForLocale();

    // The process arguments as the program's strings, argv[0] first.
    static QStringList arguments(int argc, char *argv[]);

    // Whether names that are not UTF-8 keep their bytes.
    static constexpr bool carriesAnyName() { return true; }

    QByteArray name() const override;
    int mibEnum() const override;

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override;
    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *state) const override;
};

#else
// Qt 6 reads and writes every name as UTF-8 and offers no way to change
// that: there, a name that is not UTF-8 cannot be carried, and the locale's
// text encoding is UTF-8.
class FileNameCodec
{
public:
    // Sets the locale from the environment, as the application object would.
    static void install();

    // The process arguments as the program's strings, argv[0] first.
    static QStringList arguments(int argc, char *argv[]);

    // Whether names that are not UTF-8 keep their bytes (false here).
    static constexpr bool carriesAnyName() { return false; }
};
#endif

#endif // FILENAMECODEC_H
