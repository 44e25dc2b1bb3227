#ifndef MODALDRIVER_H
#define MODALDRIVER_H

#include <QElapsedTimer>
#include <QTimer>
#include <QtWidgets>

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
        std::unique_ptr<ModalDriver> driver(new ModalDriver);
        ModalDriver *self = driver.get();
        QElapsedTimer clock;
        clock.start();
        connect(&self->m_timer, &QTimer::timeout, self, [=]() {
            auto *dialog = qobject_cast<W *>(QApplication::activeModalWidget());
            const bool found = dialog && dialog->isVisible() && wanted(dialog);
            if (found || clock.elapsed() > timeoutMs)
                self->m_timer.stop();
            if (found)
                self->m_seen = true, answer(dialog);
        });
        driver->m_timer.start(10);
        return driver;
    }

    // Chooses `path` in the file dialog about to open (typed after it opens, before
    // its folder listing can select a file), or cancels it when empty. `offered`,
    // when given, gets the name the dialog proposed; `nameFilter`, when given, is
    // the type chosen before the name is typed.
    static std::unique_ptr<ModalDriver> chooseFile(const QString &path, QString *offered = nullptr,
                                                   const QString &nameFilter = QString())
    {
        return answer<QFileDialog>([=](QFileDialog *d) {
            QTimer::singleShot(0, d, [=] {
                auto *edit = d->findChild<QLineEdit *>("fileNameEdit");
                if (offered)
                    *offered = edit->text();
                if (!nameFilter.isEmpty())
                    d->selectNameFilter(nameFilter);
                d->findChild<QListView *>("listView")->clearSelection();
                edit->setText(path);
                path.isEmpty() ? d->reject() : static_cast<QDialog *>(d)->accept();
            });
        }, 20000);
    }

    bool seen() const { return m_seen; }

private:
    ModalDriver() = default;
    QTimer m_timer;
    bool m_seen = false;
};

#endif // MODALDRIVER_H
