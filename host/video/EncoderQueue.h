#ifndef ENCODERQUEUE_H
#define ENCODERQUEUE_H

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <deque>
#include <functional>
#include <memory>

// The encoder's worker thread and the small bounded queue in front of it:
// the caller prepares the next picture while the last ones are encoded,
// and the pictures are encoded in the order they were pushed. After a
// failure the worker takes what is queued without encoding it, so the
// caller is never left waiting.
class EncoderQueue
{
public:
    // One picture waiting for the worker: a canvas's pixels, JPEG bytes or
    // a JPEG data URL (whichever is not null), to be shown `times` times.
    struct Picture {
        QByteArray rgba;
        QByteArray jpeg;
        QString dataUrl;
        int times = 1;
    };
    // Runs on the worker: true when the picture is encoded (or rightly
    // left out), false with the reason in `*why`.
    using Encode = std::function<bool(const Picture &, QString *why)>;

    explicit EncoderQueue(Encode encode);
    // Stops the worker once it has taken what is queued.
    ~EncoderQueue();

    EncoderQueue(const EncoderQueue &) = delete;
    EncoderQueue &operator=(const EncoderQueue &) = delete;

    void start();
    // Queues the picture, waiting while the queue is full. False once
    // anything failed.
    bool push(Picture picture);
    // Lets the worker encode what is queued, then ends it.
    void stop();

    bool hasFailed() const;
    QString errorString() const;
    // Records a failure found outside the worker, unless one came first.
    void fail(const QString &why);

private:
    void work();

    Encode m_encode;
    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    std::deque<Picture> m_queued;
    bool m_stopping = false;
    bool m_failed = false;
    QString m_error;
    std::unique_ptr<QThread> m_worker;
};

#endif // ENCODERQUEUE_H
