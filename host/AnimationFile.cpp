#include "AnimationFile.h"

#include "TextDecoder.h"

#include <QFile>
#include <QSaveFile>

bool AnimationFile::readFirstLine(const QString &path, QString *line, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    QString text = TextDecoder::decode(bytes);
    const int end = text.indexOf(QLatin1Char('\n'));
    if (end >= 0) {
        text.truncate(end);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
    }
    *line = text;
    return true;
}

bool AnimationFile::write(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    // commit() does not notice a failure to write out QSaveFile's buffer
    // (a full disk, say): flush first, or a cut file replaces the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
