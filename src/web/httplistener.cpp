#include "httplistener.h"

#include "httpresponse.h"
#include "weblog.h"

#include <QTcpSocket>

#include <algorithm>

HttpListener::HttpListener(const HttpLimits &limits, HttpConnection::Handler handler, QObject *parent)
    : QTcpServer(parent), m_limits(limits), m_handler(std::move(handler))
{
    // A quarter of the shorter timeout keeps the overshoot small; no need to wake more than once a second.
    const int shortest = std::min(m_limits.idleTimeoutMsecs, m_limits.stallTimeoutMsecs);
    m_sweepTimer.setInterval(std::clamp(shortest / 4, 20, 1000));
    connect(&m_sweepTimer, &QTimer::timeout, this, &HttpListener::sweep);
}

HttpListener::~HttpListener()
{
    // The connections are children and go with the listener; they must not call back into it.
    m_connections.clear();
    m_perAddress.clear();
}

void HttpListener::shutDown()
{
    close();
    const QSet<HttpConnection *> connections = m_connections;
    for (HttpConnection *connection : connections)
        connection->disconnectFromHost();
}

void HttpListener::incomingConnection(qintptr socketDescriptor)
{
    if (m_connections.size() >= m_limits.maxConnections) {
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(socketDescriptor)) {
            delete socket;
            return;
        }
        refuseBusy(socket, "connection cap reached");
        return;
    }
    auto *connection = new HttpConnection(m_limits, m_handler, this);
    if (!connection->adopt(socketDescriptor)) {
        delete connection;
        return;
    }
    int &fromAddress = m_perAddress[connection->clientAddress()];
    if (fromAddress >= m_limits.maxConnectionsPerAddress) {
        // Never served and never counted: it only carries the refusal.
        refuseBusy(connection, "connection cap of one address reached");
        return;
    }
    ++fromAddress;
    m_connections.insert(connection);
    connection->startServing();
    if (!m_sweepTimer.isActive())
        m_sweepTimer.start();
}

void HttpListener::forget(HttpConnection *connection)
{
    if (!m_connections.remove(connection))
        return;
    const auto found = m_perAddress.find(connection->clientAddress());
    if (found != m_perAddress.end() && --found.value() <= 0)
        m_perAddress.erase(found);
    if (m_connections.isEmpty())
        m_sweepTimer.stop();
}

void HttpListener::sweep()
{
    const auto now = HttpConnection::Clock::now();
    const auto timeout = std::chrono::milliseconds(m_limits.idleTimeoutMsecs);
    const QSet<HttpConnection *> connections = m_connections;
    for (HttpConnection *connection : connections) {
        if (connection->isStalled(now))
            connection->drop();
        else if (now - connection->lastProgress() >= timeout)
            connection->expire();
    }
}

void HttpListener::refuseBusy(QTcpSocket *socket, const char *why)
{
    // Debug only: whoever fills the server up must not fill the log as well.
    qCDebug(lcWeb) << why << "refusing" << socket->peerAddress().toString();
    // A flood of connections gets its refusals without an answer beyond a few dozen at a time, so the
    // refused ones cannot use up the program's sockets either.
    if (m_refusing >= MaxRefusing) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_refusing;
    connect(socket, &QObject::destroyed, this, [this] { --m_refusing; });
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    // A peer that never reads its answer must not keep the socket.
    QTimer::singleShot(5000, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    HttpResponse response;
    response.setStatusCode(503);
    response.end(QByteArrayLiteral("Service Unavailable"));
    socket->write(response.toHttp11(QByteArrayLiteral("close")));
    socket->disconnectFromHost();
}
