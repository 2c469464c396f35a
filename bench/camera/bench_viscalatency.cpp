// Latency of a VISCA command from the call (IPCamera::moveUp) to its bytes arriving at a peer on
// loopback, over each transport (TCP, raw UDP, Sony VISCA over IP), beside a raw socket write -> read
// baseline measured in the same run; then the CPU an idle program spends on eight connected cameras
// polling the simulator.
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

    // skipBytes: what arrives before the measured packets (the stops of an opened link).
    void start(std::size_t expected, std::size_t skipBytes = 0)
    {
        m_arrivals.assign(expected, Clock::time_point());
        m_count = 0;
        m_skip = skipBytes;
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
            std::size_t fresh = std::size_t(got);
            const std::size_t skipped = std::min(fresh, m_skip);
            m_skip -= skipped;
            fresh -= skipped;
            pending += fresh;
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
    std::size_t m_skip = 0;
    std::thread m_thread;
    std::vector<Clock::time_point> m_arrivals;
    std::atomic<std::size_t> m_count{0};
};

// A UDP peer on its own thread playing the camera: answers the opening of a link (the raw link's
// first inquiry, Sony's RESET) and stamps the arrival of every drive-up packet (81 01 06 01 .. .. 03 01 FF),
// counting a Sony retransmission only once.
class DatagramPeer
{
public:
    bool bind(const char *address, quint16 port, bool sony)
    {
        m_sony = sony;
        m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        // The program binds the Sony port on every address of the machine as well.
        ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &addr.sin_addr);
        if (::bind(m_socket, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
            std::perror("datagram peer bind");
            return false;
        }
        timeval wait{0, 200000};
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        return true;
    }

    void start(std::size_t expected)
    {
        m_arrivals.assign(expected, Clock::time_point());
        m_count = 0;
        m_stop = false;
        m_thread = std::thread([this] { run(); });
    }

    void join()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = -1;
    }

    std::size_t count() const { return m_count.load(std::memory_order_acquire); }
    Clock::time_point arrival(std::size_t i) const { return m_arrivals[i]; }

private:
    void run()
    {
        unsigned char buffer[256];
        long lastSequence = -1;
        while (!m_stop.load() && m_count.load(std::memory_order_relaxed) < m_arrivals.size()) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got = ::recvfrom(m_socket, buffer, sizeof buffer, 0,
                                           reinterpret_cast<sockaddr *>(&from), &length);
            if (got <= 0)
                continue;
            const Clock::time_point now = Clock::now();
            const unsigned char *visca = buffer + (m_sony ? 8 : 0);
            const ssize_t viscaLength = got - (m_sony ? 8 : 0);
            if (m_sony && got >= 9 && buffer[0] == 0x02 && buffer[1] == 0x00) {
                // RESET: the control reply with the same sequence number, to the camera port of the sender.
                unsigned char reply[9];
                std::copy(buffer, buffer + 9, reply);
                reply[1] = 0x01;
                ::sendto(m_socket, reply, sizeof reply, 0, reinterpret_cast<sockaddr *>(&from), length);
                continue;
            }
            if (viscaLength == 5 && visca[1] == 0x09) {
                // An inquiry (the raw link's opening one among them): a zoom position answer.
                unsigned char answer[] = {0x90, 0x50, 0x00, 0x00, 0x00, 0x00, 0xFF};
                if (m_sony) {
                    unsigned char reply[8 + sizeof answer] = {0x01, 0x11, 0x00, sizeof answer};
                    std::copy(buffer + 4, buffer + 8, reply + 4);
                    std::copy(answer, answer + sizeof answer, reply + 8);
                    ::sendto(m_socket, reply, sizeof reply, 0, reinterpret_cast<sockaddr *>(&from), length);
                } else {
                    ::sendto(m_socket, answer, sizeof answer, 0, reinterpret_cast<sockaddr *>(&from), length);
                }
                continue;
            }
            if (viscaLength != PacketLength || visca[6] != 0x03 || visca[7] != 0x01)
                continue;
            if (m_sony) {
                const long sequence
                    = long(buffer[4]) << 24 | long(buffer[5]) << 16 | long(buffer[6]) << 8 | buffer[7];
                if (sequence == lastSequence)
                    continue;
                lastSequence = sequence;
            }
            m_arrivals[m_count.load(std::memory_order_relaxed)] = now;
            m_count.fetch_add(1, std::memory_order_release);
        }
    }

    int m_socket = -1;
    bool m_sony = false;
    std::thread m_thread;
    std::vector<Clock::time_point> m_arrivals;
    std::atomic<std::size_t> m_count{0};
    std::atomic<bool> m_stop{false};
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
template<typename AnyPeer, typename Send>
std::vector<double> measure(AnyPeer &peer, std::size_t count, Send send)
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

// The same over a datagram link: moveUp() -> the datagram at a UDP peer playing the camera.
bool runDatagramLatency(ViscaTransport transport, std::size_t commands)
{
    const quint16 port = ViscaTransports::defaultPort(transport);
    DatagramPeer peer;
    if (!peer.bind(LatencyAddress, port, transport == ViscaTransport::SonyUdp))
        return false;
    peer.start(commands);
    IPCamera camera(QString::fromLatin1(LatencyAddress), QStringLiteral("Bench"), QStringLiteral("Bench"),
                    transport, port);
    bool connected = false;
    QObject::connect(&camera, &CameraWrapper::clientConnected, &camera, [&connected] { connected = true; });
    camera.connectCamera();
    QElapsedTimer connecting;
    connecting.start();
    while (!connected && connecting.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!connected) {
        std::fprintf(stderr, "camera did not open its %s link to %s:%d\n",
                     qPrintable(ViscaTransports::name(transport)), LatencyAddress, port);
        peer.join();
        return false;
    }
    const Figures figures = figuresOf(measure(peer, commands, [&] { camera.moveUp(5, 5); }));
    camera.disconnectCamera();
    peer.join();
    const QByteArray label
        = QByteArrayLiteral("IPCamera::moveUp -> recv (") + ViscaTransports::name(transport).toLatin1() + ')';
    std::printf("  %-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", label.constData(), figures.p50,
                figures.p99, figures.max);
    return true;
}

bool runLatency(std::size_t commands)
{
    std::printf("Command latency, %zu commands each, call -> bytes at a peer on loopback\n", commands);

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
    // The stops every opened link starts with: pan-tilt (9 bytes), zoom and focus (6 each).
    cameraPeer.start(commands, 21);
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
    std::printf("  %-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", "IPCamera::moveUp -> recv (tcp)",
                viaCamera.p50, viaCamera.p99, viaCamera.max);
    std::printf("  camera over baseline:              p50 %+8.1f us   p99 %+8.1f us\n",
                viaCamera.p50 - baseline.p50, viaCamera.p99 - baseline.p99);
    for (ViscaTransport transport : {ViscaTransport::Udp, ViscaTransport::SonyUdp}) {
        if (!runDatagramLatency(transport, commands))
            return false;
    }
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
        {QStringLiteral("commands"),
         QStringLiteral("Commands per latency run and transport (default 10000)."), QStringLiteral("N"),
         QStringLiteral("10000")},
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
