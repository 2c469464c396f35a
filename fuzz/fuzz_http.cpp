// Requests to the built-in web server as a browser or anything else on the show network may send them:
// the program itself (TavimorexApp, started from a settings file that turns the server on) listens on a
// loopback address, and each input is written as it is over one fresh TCP connection, which is then
// half-closed. The bytes go through the connection's request parser (several requests in one input are
// answered in turn), the router, parseQuery and the API slots of the application (cameras not connected). Whatever arrives, the server must answer
// with HTTP or close, and must close once the client has nothing more to send.

#include "fuzzsupport.h"
#include "httpserverwrapper.h"
#include "tavimorexapp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char ServerAddress[] = "127.0.14.10";
// Client connections come from several addresses so that closed connections waiting out their time do
// not use up the ports of one address during a long run.
constexpr int FirstClientHost = 11;
constexpr int ClientHosts = 40;
constexpr int AnswerTimeoutMs = 5000;
// Small limits, so that inputs of a few kilobytes reach the refusal of oversized heads and bodies.
constexpr qsizetype MaxHeadBytes = 1024;
constexpr qint64 MaxBodyBytes = 1024;

TavimorexApp *s_app = nullptr;
quint16 s_port = 0;
int s_round = 0;

void writeStartupSettings(const QString &home)
{
    const QString folder = FuzzSupport::dataFolderBelow(home);
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/settings.ini"));
    if (!file.open(QIODevice::WriteOnly))
        FuzzSupport::fail(QStringLiteral("cannot write ") + file.fileName());
    file.write(QByteArray("[General]\nstartuponlaunch=true\nservernic=") + ServerAddress
               + "\nserverportnum=0\n");
}

sockaddr_in address(const char *ip, quint16 port)
{
    sockaddr_in in = {};
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    ::inet_pton(AF_INET, ip, &in.sin_addr);
    return in;
}

int openClient()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        FuzzSupport::fail(QStringLiteral("socket: ") + QString::fromLocal8Bit(strerror(errno)));
    const QByteArray source = "127.0.14." + QByteArray::number(FirstClientHost + s_round % ClientHosts);
    const sockaddr_in from = address(source.constData(), 0);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&from), sizeof(from)) != 0)
        FuzzSupport::fail(QStringLiteral("bind: ") + QString::fromLocal8Bit(strerror(errno)));
    const sockaddr_in to = address(ServerAddress, s_port);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof(to)) != 0 && errno != EINPROGRESS)
        FuzzSupport::fail(QStringLiteral("connect: ") + QString::fromLocal8Bit(strerror(errno)));
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    const QString home = FuzzSupport::prepareEnvironment("http");
    writeStartupSettings(home);
    s_app = new TavimorexApp(*argc, *argv);
    HttpServerWrapper *server = s_app->httpServer();
    HttpLimits limits = server->limits();
    limits.maxHeadBytes = MaxHeadBytes;
    limits.maxBodyBytes = MaxBodyBytes;
    server->setLimits(limits);
    s_app->stopHttpServer();
    if (!s_app->startHttpServer() || server->serverPort() == 0)
        FuzzSupport::fail(QStringLiteral("the web server did not start"));
    s_port = server->serverPort();
    FuzzSupport::pump();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ++s_round;
    const int fd = openClient();
    size_t sent = 0;
    bool halfClosed = false;
    bool closed = false;
    QByteArray answer;
    char buffer[65536];

    QElapsedTimer timer;
    timer.start();
    while (!closed) {
        if (timer.hasExpired(AnswerTimeoutMs)) {
            FuzzSupport::fail(QStringLiteral("the server neither answered nor closed within %1 ms (%2 of %3 "
                                             "bytes sent, %4 bytes answered)")
                                  .arg(AnswerTimeoutMs)
                                  .arg(sent)
                                  .arg(size)
                                  .arg(answer.size()));
        }
        if (sent < size) {
            const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += size_t(n);
            else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOTCONN)
                sent = size; // The server closed early (a refusal): the rest cannot be sent.
        }
        if (sent >= size && !halfClosed)
            halfClosed = ::shutdown(fd, SHUT_WR) == 0 || errno != ENOTCONN;
        FuzzSupport::pump();
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n > 0) {
                answer.append(buffer, n);
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOTCONN))
                closed = true;
            break;
        }
    }
    ::close(fd);
    FuzzSupport::pump();

    if (!answer.isEmpty() && !answer.startsWith("HTTP/1.1 ")) {
        FuzzSupport::fail(QStringLiteral("an answer that is no HTTP/1.1 response: ")
                          + QString::fromLatin1(answer.left(80).toHex(' ')));
    }
    return 0;
}
