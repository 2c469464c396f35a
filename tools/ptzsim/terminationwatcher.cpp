#include "terminationwatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int s_fds[2] = {-1, -1};

void onUnixSignal(int)
{
    // Async-signal-safe: only wake the event loop.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_fds[0], &byte, 1);
}
} // namespace
#endif

TerminationWatcher::TerminationWatcher(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(s_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatcher::onSignal);
    struct sigaction action = {};
    action.sa_handler = onUnixSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    // A test harness that goes away must not kill us with SIGPIPE on the log.
    ::signal(SIGPIPE, SIG_IGN);
#endif
}

TerminationWatcher::~TerminationWatcher()
{
#ifdef Q_OS_UNIX
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::signal(sig, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : s_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}

void TerminationWatcher::onSignal()
{
#ifdef Q_OS_UNIX
    char byte = 0;
    [[maybe_unused]] const ssize_t readBytes = ::read(s_fds[1], &byte, 1);
#endif
    QCoreApplication::exit(0);
}
