#ifndef MODALDRIVER_H
#define MODALDRIVER_H

#include <QApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Answers the modal dialog that a call under test is about to run: polls for
// the active modal widget of type W and hands it to `answer` from inside the
// dialog's own event loop. Arm it before the call that opens the dialog.
// `seen` reports whether one appeared in time.
class ModalDriver : public QObject
{
public:
    template<typename W>
    static std::unique_ptr<ModalDriver> answer(std::function<void(W *)> answer, int timeoutMs = 5000)
    {
        return answerWhere<W>([](W *) { return true; }, answer, timeoutMs);
    }

    // Answers only a dialog of type W that `wanted` picks, leaving others
    // (to another driver) until one comes.
    template<typename W>
    static std::unique_ptr<ModalDriver> answerWhere(std::function<bool(W *)> wanted,
                                                    std::function<void(W *)> answer, int timeoutMs = 5000)
    {
        std::unique_ptr<ModalDriver> driver(new ModalDriver(timeoutMs));
        driver->m_answer = [wanted, answer](QWidget *w) {
            auto *typed = qobject_cast<W *>(w);
            if (typed && wanted(typed)) {
                answer(typed);
                return true;
            }
            return false;
        };
        return driver;
    }

    bool seen() const { return m_seen; }

private:
    explicit ModalDriver(int timeoutMs)
        : m_timeoutMs(timeoutMs)
    {
        m_clock.start();
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start();
    }

    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && m_answer(modal)) {
            m_seen = true;
            m_timer.stop();
            return;
        }
        if (m_clock.elapsed() > m_timeoutMs)
            m_timer.stop();
    }

    std::function<bool(QWidget *)> m_answer;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_timeoutMs;
    bool m_seen = false;
};

#endif // MODALDRIVER_H
