#include "AnimationFile.h"

#include "AtomicFileWriter.h"
#include "BoundedFileReader.h"
#include "DrillPage.h"
#include "TextDecoder.h"

bool AnimationFile::readFirstLine(const QString &path, QString *line, QString *error, bool *fromPage)
{
    QByteArray bytes;
    if (!BoundedFileReader::read(path, MaxFileSize, BoundedFileReader::Links::Followed, &bytes, error))
        return false;
    const bool page = DrillPage::isWebPage(bytes);
    if (page && !DrillPage::drillBytes(bytes, &bytes, error))
        return false;
    if (fromPage)
        *fromPage = page;
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
    return AtomicFileWriter::write(path, text.toUtf8(), error);
}
