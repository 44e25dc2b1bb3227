#include "EncoderQueue.h"

#include <QMutexLocker>

namespace {

// Pictures waiting for the worker: enough to keep it busy while the caller
// prepares the next picture, few enough to keep memory flat.
const int kQueuedPictures = 4;

} // namespace

EncoderQueue::EncoderQueue(Encode encode)
    : m_encode(std::move(encode))
{
}

EncoderQueue::~EncoderQueue()
{
    stop();
}

void EncoderQueue::start()
{
    m_worker.reset(QThread::create([this] { work(); }));
    m_worker->start();
}

void EncoderQueue::stop()
{
    if (!m_worker)
        return;
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_changed.wakeAll();
    }
    m_worker->wait();
    m_worker.reset();
}

void EncoderQueue::work()
{
    QMutexLocker lock(&m_mutex);
    for (;;) {
        while (m_queued.empty() && !m_stopping)
            m_changed.wait(&m_mutex);
        if (m_queued.empty())
            return;
        const Picture picture = m_queued.front();
        m_queued.pop_front();
        const bool skip = m_failed;
        lock.unlock();
        QString why;
        const bool ok = skip || m_encode(picture, &why);
        lock.relock();
        if (!ok) {
            m_failed = true;
            m_error = why;
        }
        m_changed.wakeAll();
    }
}

bool EncoderQueue::push(Picture picture)
{
    QMutexLocker lock(&m_mutex);
    while (int(m_queued.size()) >= kQueuedPictures && !m_failed)
        m_changed.wait(&m_mutex);
    m_queued.push_back(std::move(picture));
    m_changed.wakeAll();
    return !m_failed;
}

bool EncoderQueue::hasFailed() const
{
    QMutexLocker lock(&m_mutex);
    return m_failed;
}

QString EncoderQueue::errorString() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void EncoderQueue::fail(const QString &why)
{
    QMutexLocker lock(&m_mutex);
    if (!m_failed) {
        m_failed = true;
        m_error = why;
    }
}
