#include "termination_signals.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace pv {

#ifdef Q_OS_UNIX

namespace {

constexpr int TerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read on the event loop's thread.
int wakeWrite = -1;
volatile std::sig_atomic_t pending = 0;

extern "C" void OnTerminationSignal(int number)
{
    if (pending) {
        // The loop has not come round since the first one: take the default action now.
        struct sigaction fallback
        {
        };
        fallback.sa_handler = SIG_DFL;
        ::sigaction(number, &fallback, nullptr);
        ::raise(number);
        return;
    }
    pending = 1;
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    (void)!::write(wakeWrite, &byte, 1);
    errno = savedErrno;
}

} // namespace

bool QuitOnTerminationSignals(QCoreApplication &app)
{
    if (wakeWrite >= 0)
        return true; // once per process
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        return false;
    for (int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    wakeWrite = ends[0];
    const int wakeRead = ends[1];

    auto *notifier = new QSocketNotifier(wakeRead, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier, wakeRead] {
        char drained[16];
        while (::read(wakeRead, drained, sizeof drained) > 0) {
        }
        notifier->setEnabled(false);
        // exit rather than quit: quit asks the windows first, and a window may refuse.
        QCoreApplication::exit(0);
    });

    struct sigaction action
    {
    };
    action.sa_handler = OnTerminationSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool all = true;
    for (int number : TerminationSignals)
        all = ::sigaction(number, &action, nullptr) == 0 && all;
    return all;
}

void IgnoreBrokenPipes()
{
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

#else

bool QuitOnTerminationSignals(QCoreApplication &)
{
    return false;
}

void IgnoreBrokenPipes() {}

#endif

} // namespace pv
