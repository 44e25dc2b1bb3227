#include "PageWatch.h"

PageWatch::PageWatch(QObject *parent)
    : QObject(parent)
{
    m_silence.setSingleShot(true);
    m_silence.setInterval(DefaultSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        stall(tr("The editor page stopped answering: it sent nothing for %1 seconds.")
                  .arg(m_silence.interval() / 1000.0));
    });
}

void PageWatch::exportStarted()
{
    m_silence.start();
}

void PageWatch::pageAnswered()
{
    if (m_silence.isActive())
        m_silence.start();
}

void PageWatch::exportEnded()
{
    m_silence.stop();
}

void PageWatch::pageFailed(const QString &error)
{
    if (isWatching())
        stall(tr("The editor page stopped with an error: %1").arg(error));
}

void PageWatch::pageProcessEnded(const QString &how)
{
    if (isWatching())
        stall(tr("The editor page's process ended (%1).").arg(how));
}

void PageWatch::stall(const QString &reason)
{
    m_silence.stop();
    emit exportStalled(reason);
}
