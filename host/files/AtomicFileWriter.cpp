#include "AtomicFileWriter.h"

#include "StagedFile.h"

bool AtomicFileWriter::write(const QString &path, const QByteArray &bytes, QString *error)
{
    StagedFile file(path);
    return file.open(error) && file.write(bytes, error) && file.putInPlace(error);
}
