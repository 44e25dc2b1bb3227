#include "ReportFile.h"

#include "AtomicFileWriter.h"

#include <QCoreApplication>
#include <QSaveFile>

namespace {

const char PdfHeader[] = "%PDF-";

QString tr(const char *text)
{
    return QCoreApplication::translate("ReportFile", text);
}

// "data:application/pdf;filename=generated.pdf;base64" and the like: the
// media type first, the base64 marker last, parameters between.
bool isPdfDataUrlHeader(const QString &header)
{
    return header.startsWith(QLatin1String("data:application/pdf"), Qt::CaseInsensitive)
        && header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive);
}

} // namespace

bool ReportFile::decode(const QString &pdfData, QByteArray *pdf, QString *error)
{
    const int comma = pdfData.indexOf(QLatin1Char(','));
    if (comma < 0 || !isPdfDataUrlHeader(pdfData.left(comma))) {
        *error = tr("The report could not be saved: the page did not deliver a PDF document.");
        return false;
    }
    // Latin-1 turns any other character into '?', which the strict decoder
    // refuses along with every other stray byte.
    const auto decoded = QByteArray::fromBase64Encoding(pdfData.mid(comma + 1).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        *error = tr("The report could not be saved: its data is damaged.");
        return false;
    }
    if (!decoded.decoded.startsWith(PdfHeader)) {
        *error = tr("The report could not be saved: the page's data is not a PDF document.");
        return false;
    }
    *pdf = *decoded;
    return true;
}

bool ReportFile::write(const QString &path, const QString &pdfData, QString *error)
{
    QByteArray pdf;
    return decode(pdfData, &pdf, error) && AtomicFileWriter::write(path, pdf, error);
}

bool ReportFile::canWrite(const QString &path, QString *error)
{
    // Opening makes the temporary file the write would go to, beside the
    // target; cancelled, it is removed and the target left alone.
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) {
        *error = probe.errorString();
        return false;
    }
    probe.cancelWriting();
    return true;
}
