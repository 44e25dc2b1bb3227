#include "PictureFile.h"

#include "BoundedImageReader.h"
#include "DataUrl.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureFile", text);
}

} // namespace

QString PictureFile::write(const QString &path, const QString &jpegDataUrl)
{
    // Read in full even for a JPEG that is copied as it stands: a picture
    // that does not decode must not reach the file.
    const QImage picture = BoundedImageReader::readDataUrl(jpegDataUrl, "JPEG");
    if (picture.isNull())
        return tr("the picture of the frame could not be read.");
    const bool png = QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const bool written = png ? picture.save(&file, "PNG")
                             : file.write(DataUrl::payload(jpegDataUrl)) >= 0;
    if (!written) {
        file.cancelWriting();
        return file.errorString().isEmpty() ? tr("the file could not be written.") : file.errorString();
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}
