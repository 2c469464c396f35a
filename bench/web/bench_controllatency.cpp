// Latency from a browser's "/cam/control" request to the VISCA bytes at the camera, through the real
// program: this process plays both the browser (one keep-alive HTTP connection) and the camera (a TCP
// listener on port 5678), and starts build/bin/tavimorex between them.
//
//   bench_controllatency [requests]      (default 2000)
//
// Prints p50, p90, p99 and max in microseconds. Loopback only.

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

const char CameraAddress[] = "127.0.9.30";
const char ServerAddress[] = "127.0.9.31";
constexpr int ServerPort = 8080;

using Clock = std::chrono::steady_clock;

int listenOn(const char *address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(quint16(port));
    ::inet_pton(AF_INET, address, &sa.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) != 0 || ::listen(fd, 4) != 0) {
        std::perror("camera listener");
        std::exit(1);
    }
    return fd;
}

int connectTo(const char *address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(quint16(port));
    ::inet_pton(AF_INET, address, &sa.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

bool readable(int fd, int timeoutMs)
{
    pollfd p = {fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

// Reads one HTTP response (headers and Content-Length body) from a keep-alive connection.
bool readResponse(int fd, std::string &buffer)
{
    for (;;) {
        const auto headerEnd = buffer.find("\r\n\r\n");
        if (headerEnd != std::string::npos) {
            size_t length = 0;
            const auto at = buffer.find("Content-Length:");
            if (at != std::string::npos && at < headerEnd)
                length = std::stoul(buffer.substr(at + 15));
            if (buffer.size() >= headerEnd + 4 + length) {
                buffer.erase(0, headerEnd + 4 + length);
                return true;
            }
        }
        if (!readable(fd, 5000))
            return false;
        char chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, size_t(n));
    }
}

bool request(int fd, const std::string &target, std::string &buffer)
{
    const std::string text = "GET " + target + " HTTP/1.1\r\nHost: bench\r\nConnection: keep-alive\r\n\r\n";
    return ::write(fd, text.data(), text.size()) == ssize_t(text.size()) && readResponse(fd, buffer);
}

// Waits at the camera for the next motion packet (81 01 06 01 ...), skipping the polling inquiries.
bool waitForMotion(int camera, std::string &pending)
{
    for (;;) {
        const auto start = pending.find("\x81\x01\x06\x01");
        if (start != std::string::npos) {
            const auto end = pending.find('\xff', start);
            if (end != std::string::npos) {
                pending.erase(0, end + 1);
                return true;
            }
        }
        if (!readable(camera, 5000))
            return false;
        char chunk[512];
        const ssize_t n = ::read(camera, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        pending.append(chunk, size_t(n));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    QTemporaryDir home;
    const QString data = home.path() + QStringLiteral("/tavimorex/tavimorex-controller");
    QDir().mkpath(data);
    {
        QSettings settings(data + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        settings.setValue("startuponlaunch", true);
        settings.setValue("servernic", ServerAddress);
        settings.setValue("serverportnum", ServerPort);
        settings.beginWriteArray("cameraslist");
        settings.setArrayIndex(0);
        settings.setValue("cameratype", 0);
        settings.setValue("cameraid", CameraAddress);
        settings.setValue("cameraname", "Bench");
        settings.setValue("devicename", "0.0.0.0");
        settings.endArray();
    }

    const int listener = listenOn(CameraAddress, 5678);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tavimorex"), {});
    if (!program.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start the program\n");
        return 1;
    }

    int client = -1;
    for (int attempt = 0; attempt < 200 && client < 0; ++attempt) {
        client = connectTo(ServerAddress, ServerPort);
        if (client < 0)
            ::usleep(50000);
    }
    if (client < 0) {
        std::fprintf(stderr, "the program's web server did not come up\n");
        return 1;
    }
    std::string httpBuffer;
    request(client, "/cam/connect?camNum=0", httpBuffer);
    if (!readable(listener, 5000)) {
        std::fprintf(stderr, "the camera was not connected\n");
        return 1;
    }
    const int camera = ::accept(listener, nullptr, nullptr);
    ::usleep(300000); // let the window see the link come up

    std::string cameraBuffer;
    std::vector<double> micros;
    micros.reserve(size_t(requests));
    const std::string control = "/cam/control?controlMethod=2&panSpeed=1&tiltSpeed=5&zoomSpeed=1&focusSpeed=1";
    for (int i = 0; i < requests; ++i) {
        const auto sent = Clock::now();
        const std::string text = "GET " + control + " HTTP/1.1\r\nHost: bench\r\n\r\n";
        if (::write(client, text.data(), text.size()) != ssize_t(text.size()) || !waitForMotion(camera, cameraBuffer)) {
            std::fprintf(stderr, "request %d got no motion at the camera\n", i);
            return 1;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
        if (!readResponse(client, httpBuffer)) {
            std::fprintf(stderr, "request %d got no reply\n", i);
            return 1;
        }
    }
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[std::min(micros.size() - 1, size_t(q * double(micros.size())))]; };
    std::printf("/cam/control -> VISCA bytes at the camera, %d requests on one keep-alive connection:\n",
                requests);
    std::printf("  p50 %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n", at(0.5), at(0.9), at(0.99),
                micros.back());

    ::close(client);
    ::close(camera);
    ::close(listener);
    program.terminate();
    program.waitForFinished(5000);
    return 0;
}
