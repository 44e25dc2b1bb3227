#ifndef REPORTFILE_H
#define REPORTFILE_H

#include <QByteArray>
#include <QString>

// Turns the page's finished report, a PDF data URL, into a file. The page
// is trusted to build the report, not to get it right: anything that is not
// a base64 PDF data URL holding a PDF document is refused, and nothing is
// written then.
class ReportFile
{
public:
    // Decodes `pdfData` ("data:application/pdf[;…];base64,<payload>") into
    // the document's bytes. Returns false and sets `error` to a reason the
    // user can read when it is not such a data URL, the payload is not
    // base64, or the bytes do not begin with the PDF header.
    static bool decode(const QString &pdfData, QByteArray *pdf, QString *error);

    // Decodes `pdfData` and writes the document to `path`, replacing an
    // earlier file only once all of it is written. Returns false and sets
    // `error` to the reason (the refusal above, or the platform's) on
    // failure; an existing file is then left as it was.
    static bool write(const QString &path, const QString &pdfData, QString *error);

    // Whether a report could be written to `path` now, tried without
    // touching an existing file, so that an export into a folder that takes
    // no file fails before the report is built. Returns false and sets
    // `error` to the platform's reason when it could not.
    static bool canWrite(const QString &path, QString *error);
};

#endif // REPORTFILE_H
