#include "unixsignalquitter.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int s_pipe[2] = {-1, -1};

void handleSignal(int)
{
    // Only async-signal-safe work here: wake the event loop through the socket pair.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[0], &byte, 1);
}
} // namespace
#endif

UnixSignalQuitter::UnixSignalQuitter(QObject *parent)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(s_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalQuitter::onSignalReceived);

    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
#endif
}

UnixSignalQuitter::~UnixSignalQuitter()
{
#ifdef Q_OS_UNIX
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::signal(sig, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}

void UnixSignalQuitter::onSignalReceived()
{
#ifdef Q_OS_UNIX
    char byte = 0;
    [[maybe_unused]] const ssize_t readBytes = ::read(s_pipe[1], &byte, 1);
#endif
    QCoreApplication::exit(0);
}
