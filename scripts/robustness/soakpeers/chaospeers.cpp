#include "chaospeers.h"

#include "fakeobs4server.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "garbage.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

ChaosPeers::ChaosPeers(
    const QHostAddress &address, quint16 obsPort, quint16 vmixPort, quint32 seed, QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_obsPort(obsPort)
    , m_vmixPort(vmixPort)
    , m_random(seed)
    , m_obs4(new FakeObs4Server(this))
    , m_obs5(new FakeObs5Server(this))
    , m_vmix(new FakeVMix(this))
    , m_streamer(new QTcpServer(this))
    , m_faultTimer(new QTimer(this))
{
    // The dialect OBS starts with depends on the seed; restarts switch it at random.
    m_speaks5 = (seed & 1) != 0;
    m_faultTimer->setSingleShot(true);
    connect(m_faultTimer, &QTimer::timeout, this, &ChaosPeers::fault);
    // The fakes keep a record of everything they receive; over hours that would only grow.
    auto *forget = new QTimer(this);
    connect(forget, &QTimer::timeout, this, [this] {
        m_obs4->clearReceived();
        m_obs5->clearReceived();
        m_vmix->clearRequests();
    });
    forget->start(10000);
}

ChaosPeers::~ChaosPeers() = default;

bool ChaosPeers::start(int meanFaultIntervalMs)
{
    m_meanIntervalMs = qMax(100, meanFaultIntervalMs);
    m_clock.start();
    if (!obs()->listen(m_address, m_obsPort) || !m_vmix->listen(m_address, m_vmixPort))
        return false;
    log(QStringLiteral("listening: OBS %1 on %2, vMix on %3")
            .arg(m_speaks5 ? QStringLiteral("5.x") : QStringLiteral("4.x"))
            .arg(m_obsPort)
            .arg(m_vmixPort));
    m_faultTimer->start(between(m_meanIntervalMs / 2, m_meanIntervalMs * 3 / 2));
    return true;
}

FakeObsServer *ChaosPeers::obs() const
{
    return m_speaks5 ? static_cast<FakeObsServer *>(m_obs5) : static_cast<FakeObsServer *>(m_obs4);
}

int ChaosPeers::between(int low, int high)
{
    return low + int(m_random() % quint32(qMax(1, high - low)));
}

void ChaosPeers::log(const QString &what)
{
    QTextStream out(stdout);
    out << QString::number(m_clock.elapsed() / 1000.0, 'f', 1) << "s " << what << Qt::endl;
}

void ChaosPeers::fault()
{
    ++m_faults;
    switch (m_onlyFault >= 0 ? m_onlyFault : between(0, 8)) {
    case 0:
        restartObs();
        break;
    case 1:
        log(QStringLiteral("OBS drops its clients"));
        obs()->disconnectClients();
        break;
    case 2: {
        const int count = between(1, 20);
        log(QStringLiteral("OBS sends %1 garbage message(s)").arg(count));
        for (int i = 0; i < count; ++i)
            obs()->sendToClients(Garbage::obsMessage(m_random));
        break;
    }
    case 3:
        restartVMix();
        break;
    case 4: {
        const int ms = between(1000, 6000);
        log(QStringLiteral("vMix hangs for %1 ms").arg(ms));
        m_vmix->setHang(true);
        QTimer::singleShot(ms, this, [this] { m_vmix->setHang(false); });
        break;
    }
    case 5:
        streamFromVMix(between(2000, 6000));
        break;
    default: {
        const int ms = between(1000, 5000);
        const QByteArray body = Garbage::vmixDocument(m_random);
        log(QStringLiteral("vMix serves %1 bytes of garbage for %2 ms").arg(body.size()).arg(ms));
        m_vmix->setStateBody(body);
        QTimer::singleShot(ms, this, [this] { m_vmix->clearStateBody(); });
        break;
    }
    }
    m_faultTimer->start(between(m_meanIntervalMs / 2, m_meanIntervalMs * 3 / 2));
}

void ChaosPeers::restartObs()
{
    obs()->close();
    const bool next5 = (m_random() & 1) != 0;
    const int downMs = between(300, 2000);
    log(QStringLiteral("OBS restarts, down for %1 ms, then speaks %2")
            .arg(downMs)
            .arg(next5 ? "5.x" : "4.x"));
    QTimer::singleShot(downMs, this, [this, next5] {
        m_speaks5 = next5;
        if (!obs()->listen(m_address, m_obsPort))
            log(QStringLiteral("OBS cannot listen again on %1").arg(m_obsPort));
    });
}

void ChaosPeers::restartVMix()
{
    m_vmix->close();
    const int downMs = between(300, 2000);
    log(QStringLiteral("vMix restarts, down for %1 ms").arg(downMs));
    QTimer::singleShot(downMs, this, [this] {
        if (!m_vmix->listen(m_address, m_vmixPort))
            log(QStringLiteral("vMix cannot listen again on %1").arg(m_vmixPort));
    });
}

void ChaosPeers::streamFromVMix(int ms)
{
    m_vmix->close();
    if (!m_streamer->listen(m_address, m_vmixPort)) {
        log(QStringLiteral("vMix cannot stream on %1").arg(m_vmixPort));
        m_vmix->listen(m_address, m_vmixPort);
        return;
    }
    log(QStringLiteral("vMix answers with an endless body for %1 ms").arg(ms));
    const QByteArray chunk = QByteArray("<vmix><inputs>") + QByteArray(64 * 1024, 'x');
    connect(m_streamer, &QTcpServer::newConnection, this, [this, chunk] {
        while (QTcpSocket *socket = m_streamer->nextPendingConnection()) {
            socket->setParent(m_streamer);
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n");
            // Writes on whenever the last chunk has left, for as long as the client reads.
            connect(socket, &QTcpSocket::bytesWritten, socket, [socket, chunk] {
                if (socket->bytesToWrite() < chunk.size())
                    socket->write(chunk);
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->write(chunk);
        }
    });
    QTimer::singleShot(ms, this, [this] {
        m_streamer->disconnect(this);
        m_streamer->close();
        const QList<QTcpSocket *> sockets = m_streamer->findChildren<QTcpSocket *>();
        for (QTcpSocket *socket : sockets) {
            socket->abort();
            socket->deleteLater();
        }
        if (!m_vmix->listen(m_address, m_vmixPort))
            log(QStringLiteral("vMix cannot listen again on %1").arg(m_vmixPort));
        log(QStringLiteral("vMix stops streaming"));
    });
}
