#ifndef DIALOGTESTSUPPORT_H
#define DIALOGTESTSUPPORT_H

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Waits for the modal dialog of type W that the code under test is about to
// run and hands it to `action` from inside the dialog's nested event loop.
// A dialog the action leaves open is closed as refused, so that a failing
// test cannot hang. Gives up after about five seconds.
inline const char *answerTimerName()
{
    return "answerModal timer";
}

template<typename W>
void answerModal(std::function<void(W *)> action)
{
    auto *timer = new QTimer(qApp);
    timer->setObjectName(QLatin1String(answerTimerName()));
    auto attempts = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, attempts, action]() {
        auto *dialog = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            if (++*attempts > 500) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        QPointer<W> guard(dialog);
        action(dialog);
        if (guard && guard->isVisible())
            guard->done(QDialog::Rejected);
    });
    timer->start(10);
}

// Drops answers still waiting, so that one armed for a dialog that never
// came cannot answer the next test's dialog.
inline void cancelPendingAnswers()
{
    for (QTimer *timer : qApp->findChildren<QTimer *>(QLatin1String(answerTimerName())))
        delete timer;
}

namespace detail {
inline QtMessageHandler &defaultMessageHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

inline void quietMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    detail::defaultMessageHandler()(type, context, message);
}
} // namespace detail

// The offscreen platform warns about every dialog it lays out; the noise
// would hide real warnings in the log.
inline void quietOffscreenWarnings()
{
    detail::defaultMessageHandler() = qInstallMessageHandler(detail::quietMessageHandler);
}

#endif // DIALOGTESTSUPPORT_H
