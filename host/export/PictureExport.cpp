#include "PictureExport.h"

#include "MessageMap.h"
#include "PictureFile.h"
#include "jsInterface.h"

#include <QDir>

PictureExport::PictureExport(jsInterface *bridge, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
{
}

// Set before the request: a page that cannot draw the frame may answer as
// soon as it hears of it.
void PictureExport::start(const QString &path, int frame, int width, bool showsErrors)
{
    m_outputPath = path;
    m_showsErrors = showsErrors;
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), QStringLiteral("exportPictureResponse"));
    message.insert(QStringLiteral("frameNumber"), QString::number(frame));
    message.insert(QStringLiteral("frameWidth"), QString::number(width));
    m_bridge->send(message);
}

void PictureExport::writeData(const QVariantMap &message)
{
    if (m_outputPath.isEmpty())
        return;
    const QString problem = MessageMap::text(message, "errorInfo");
    end(problem.isEmpty() ? PictureFile::write(m_outputPath, MessageMap::text(message, "imageData"))
                          : problem);
}

void PictureExport::abort(const QString &reason)
{
    if (!m_outputPath.isEmpty())
        end(reason);
}

void PictureExport::end(const QString &error)
{
    const QString path = m_outputPath;
    m_outputPath.clear();
    emit finished(error.isEmpty() ? QString()
                                  : tr("The picture could not be written to %1: %2").arg(QDir::toNativeSeparators(path), error),
                  m_showsErrors);
    if (error.isEmpty())
        emit written(path);
}
