// Latency of a VISCA command from the call (IPCamera::moveUp) to its bytes arriving at a TCP peer,
// beside a raw socket write -> read baseline measured in the same run; then the CPU an idle program
// spends on eight connected cameras polling the simulator.
//
//   bench_viscalatency [--commands N] [--idle-seconds S] [--no-latency] [--no-idle]

#include "ipcamera.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char LatencyAddress[] = "127.0.9.1";
// Eight simulated cameras for the idle run.
const QStringList IdleAddresses{"127.0.9.2", "127.0.9.3", "127.0.9.4", "127.0.9.5",
                                "127.0.9.6", "127.0.9.7", "127.0.9.8", "127.0.9.9"};
constexpr int PacketLength = 9; // a drive command

// A TCP peer on its own thread: accepts one connection and stamps the arrival of every complete
// PacketLength-byte packet.
class Peer
{
public:
    bool listen(const char *address, quint16 port)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &addr.sin_addr);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0
            || ::listen(m_listener, 1) != 0) {
            std::perror("peer listen");
            return false;
        }
        socklen_t length = sizeof addr;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&addr), &length);
        m_port = ntohs(addr.sin_port);
        return true;
    }

    quint16 port() const { return m_port; }

    void start(std::size_t expected)
    {
        m_arrivals.assign(expected, Clock::time_point());
        m_count = 0;
        m_thread = std::thread([this] { run(); });
    }

    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
    }

    std::size_t count() const { return m_count.load(std::memory_order_acquire); }
    Clock::time_point arrival(std::size_t i) const { return m_arrivals[i]; }

private:
    void run()
    {
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            return;
        char buffer[4096];
        std::size_t pending = 0;
        while (m_count.load(std::memory_order_relaxed) < m_arrivals.size()) {
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            const Clock::time_point now = Clock::now();
            pending += std::size_t(got);
            while (pending >= PacketLength && m_count.load(std::memory_order_relaxed) < m_arrivals.size()) {
                pending -= PacketLength;
                m_arrivals[m_count.load(std::memory_order_relaxed)] = now;
                m_count.fetch_add(1, std::memory_order_release);
            }
        }
        ::close(connection);
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::vector<Clock::time_point> m_arrivals;
    std::atomic<std::size_t> m_count{0};
};

struct Figures
{
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

Figures figuresOf(std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) {
        return micros[std::min(micros.size() - 1, std::size_t(q * double(micros.size())))];
    };
    return {at(0.50), at(0.99), micros.back()};
}

// Sends count packets through send, one at a time, each after the previous one arrived.
template<typename Send>
std::vector<double> measure(Peer &peer, std::size_t count, Send send)
{
    std::vector<double> micros;
    micros.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Clock::time_point start = Clock::now();
        send();
        while (peer.count() <= i)
            std::this_thread::yield();
        micros.push_back(std::chrono::duration<double, std::micro>(peer.arrival(i) - start).count());
    }
    return micros;
}

bool runLatency(std::size_t commands)
{
    std::printf("Command latency, %zu commands each, call -> bytes at a TCP peer on loopback\n", commands);

    // Baseline: a raw socket write on a connected TCP_NODELAY socket.
    Peer rawPeer;
    if (!rawPeer.listen(LatencyAddress, 0))
        return false;
    rawPeer.start(commands);
    const int raw = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(rawPeer.port());
    ::inet_pton(AF_INET, LatencyAddress, &addr.sin_addr);
    if (::connect(raw, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        std::perror("raw connect");
        return false;
    }
    const int on = 1;
    ::setsockopt(raw, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const unsigned char packet[PacketLength] = {0x81, 0x01, 0x06, 0x01, 0x05, 0x05, 0x03, 0x01, 0xFF};
    const Figures baseline = figuresOf(measure(rawPeer, commands, [&] {
        if (::send(raw, packet, sizeof packet, 0) != PacketLength)
            std::perror("raw send");
    }));
    ::close(raw);
    rawPeer.join();

    // The camera: moveUp() on a connected IPCamera, the peer listening on the VISCA port.
    Peer cameraPeer;
    if (!cameraPeer.listen(LatencyAddress, IPCamera::ViscaPort))
        return false;
    cameraPeer.start(commands);
    IPCamera camera(QString::fromLatin1(LatencyAddress), QStringLiteral("Bench"), QStringLiteral("Bench"));
    bool connected = false;
    QObject::connect(&camera, &CameraWrapper::clientConnected, &camera, [&connected] { connected = true; });
    camera.connectCamera();
    QElapsedTimer connecting;
    connecting.start();
    while (!connected && connecting.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!connected) {
        std::fprintf(stderr, "camera did not connect to %s:%d\n", LatencyAddress, IPCamera::ViscaPort);
        return false;
    }
    // The event loop does not run during the measurement: the bytes must leave in the call.
    const Figures viaCamera = figuresOf(measure(cameraPeer, commands, [&] { camera.moveUp(5, 5); }));
    camera.disconnectCamera();
    cameraPeer.join();

    std::printf("  %-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", "raw socket send -> recv",
                baseline.p50, baseline.p99, baseline.max);
    std::printf("  %-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", "IPCamera::moveUp -> recv",
                viaCamera.p50, viaCamera.p99, viaCamera.max);
    std::printf("  camera over baseline:              p50 %+8.1f us   p99 %+8.1f us\n",
                viaCamera.p50 - baseline.p50, viaCamera.p99 - baseline.p99);
    return true;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool runIdle(int seconds)
{
    std::printf("Idle cost: %lld cameras polling the simulator for %d s\n", qlonglong(IdleAddresses.size()),
                seconds);
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(TAVIMOREX_BIN_DIR "/tavimorex-ptzsim"), IdleAddresses);
    bool ready = false;
    QElapsedTimer wait;
    wait.start();
    QByteArray output;
    while (!ready && wait.elapsed() < 10000 && sim.state() != QProcess::NotRunning) {
        sim.waitForReadyRead(200);
        output += sim.readAllStandardOutput();
        ready = output.contains(" READY");
    }
    if (!ready) {
        std::fprintf(stderr, "simulator not ready: %s\n", qPrintable(sim.errorString()));
        return false;
    }
    // Its traffic log is not needed; keep the pipe from filling.
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, &sim, [&sim] { sim.readAllStandardOutput(); });

    std::vector<std::unique_ptr<IPCamera>> cameras;
    int connectedCount = 0;
    int answers = 0;
    int cycles = 0;
    for (const QString &address : IdleAddresses) {
        cameras.push_back(
            std::make_unique<IPCamera>(address, QStringLiteral("Idle"), QStringLiteral("Idle")));
        IPCamera *camera = cameras.back().get();
        QObject::connect(camera, &CameraWrapper::clientConnected, camera,
                         [&connectedCount] { ++connectedCount; });
        QObject::connect(camera, &CameraWrapper::clientStatusUpdated, camera, [&answers] { ++answers; });
        QObject::connect(camera, &CameraWrapper::clientReadOneCycle, camera, [&cycles] { ++cycles; });
        camera->connectCamera();
    }
    QElapsedTimer connecting;
    connecting.start();
    while (connectedCount < int(cameras.size()) && connecting.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (connectedCount < int(cameras.size())) {
        std::fprintf(stderr, "only %d of %zu cameras connected\n", connectedCount, cameras.size());
        return false;
    }

    answers = 0;
    cycles = 0;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = double(wall.elapsed()) / 1000.0;

    std::printf("  CPU %.3f s in %.1f s wall = %.2f %% of one core (%d answers, %d full cycles)\n", cpu,
                elapsed, 100.0 * cpu / elapsed, answers, cycles);
    cameras.clear();
    sim.terminate();
    sim.waitForFinished(5000);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tavimorex.camera.debug=false"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("VISCA command latency and idle polling cost."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("commands"), QStringLiteral("Commands per latency run (default 20000)."),
         QStringLiteral("N"), QStringLiteral("20000")},
        {QStringLiteral("idle-seconds"), QStringLiteral("Length of the idle run (default 60)."),
         QStringLiteral("S"), QStringLiteral("60")},
        {QStringLiteral("no-latency"), QStringLiteral("Skip the latency run.")},
        {QStringLiteral("no-idle"), QStringLiteral("Skip the idle run.")},
    });
    parser.process(app);
    bool ok = false;
    const int commands = parser.value(QStringLiteral("commands")).toInt(&ok);
    if (!ok || commands < 100) {
        std::fprintf(stderr, "--commands needs a number of at least 100\n");
        return 2;
    }
    const int seconds = parser.value(QStringLiteral("idle-seconds")).toInt(&ok);
    if (!ok || seconds < 1) {
        std::fprintf(stderr, "--idle-seconds needs a number of at least 1\n");
        return 2;
    }

    if (!parser.isSet(QStringLiteral("no-latency")) && !runLatency(std::size_t(commands)))
        return 1;
    if (!parser.isSet(QStringLiteral("no-idle")) && !runIdle(seconds))
        return 1;
    return 0;
}
