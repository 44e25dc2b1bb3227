#include "PageExport.h"

#include "AtomicFileWriter.h"
#include "DrillPage.h"
#include "MessageMap.h"
#include "VideoPicture.h"
#include "jsInterface.h"

#include <QDir>

PageExport::PageExport(jsInterface *bridge, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
{
}

// Set before the request: the page may answer inside it.
void PageExport::start(const QString &path, const QString &drillName, bool showsErrors)
{
    m_outputPath = path;
    m_drillName = VideoPicture::titleText(drillName);
    m_showsErrors = showsErrors;
    QVariantMap message;
    message.insert(QStringLiteral("msgType"), QStringLiteral("exportPageResponse"));
    m_bridge->send(message);
}

void PageExport::writeData(const QVariantMap &message)
{
    if (m_outputPath.isEmpty())
        return;
    QString error = MessageMap::text(message, "errorInfo");
    if (error.isEmpty() && MessageMap::text(message, "drillText").isEmpty())
        error = tr("the editor sent no drill.");
    if (error.isEmpty()) {
        const QStringList pictures = MessageMap::text(message, "pictureNames").split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QByteArray page = DrillPage::build(MessageMap::text(message, "drillText"), m_drillName, pictures, &error);
        if (!page.isEmpty())
            AtomicFileWriter::write(m_outputPath, page, &error);
    }
    end(error);
}

void PageExport::abort(const QString &reason)
{
    if (!m_outputPath.isEmpty())
        end(reason);
}

void PageExport::end(const QString &error)
{
    const QString path = m_outputPath;
    m_outputPath.clear();
    emit finished(error.isEmpty() ? QString()
                                  : tr("The web page could not be written to %1: %2").arg(QDir::toNativeSeparators(path), error),
                  m_showsErrors);
    if (error.isEmpty())
        emit written(path);
}
