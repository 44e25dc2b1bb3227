#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int Watched[] = {SIGINT, SIGTERM, SIGHUP};
int writeEnd = -1;
int readEnd = -1;
bool handled[NSIG] = {};

// Async-signal-safe: write(2) and errno only.
void forward(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (::write(writeEnd, &number, 1) < 0) {
        // A full pipe already holds a signal that will end the program.
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default action: the program still ends
    readEnd = ends[0];
    writeEnd = ends[1];
    m_notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    for (const int signal : Watched) {
        struct sigaction previous = {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = forward;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        handled[signal] = ::sigaction(signal, &action, nullptr) == 0;
    }
}

TerminationSignals::~TerminationSignals()
{
    restoreDefaults();
    delete m_notifier;
    m_notifier = nullptr;
    if (readEnd >= 0) {
        ::close(readEnd);
        ::close(writeEnd);
        readEnd = writeEnd = -1;
    }
}

void TerminationSignals::endApplication(int signal)
{
    QCoreApplication::exit(exitCode(signal));
}

void TerminationSignals::readSignal()
{
    unsigned char number = 0;
    if (::read(readEnd, &number, 1) != 1)
        return;
    m_notifier->setEnabled(false);
    restoreDefaults();
    emit received(number);
}

void TerminationSignals::restoreDefaults()
{
    for (const int signal : Watched) {
        if (handled[signal])
            std::signal(signal, SIG_DFL);
        handled[signal] = false;
    }
}
