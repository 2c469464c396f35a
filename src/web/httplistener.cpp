#include "httplistener.h"

#include "httpconnection.h"
#include "httpresponse.h"
#include "weblog.h"

#include <QTcpSocket>

#include <algorithm>

HttpListener::HttpListener(const HttpLimits &limits, QObject *parent) : QTcpServer(parent), m_limits(limits)
{
    // A quarter of the timeout keeps the overshoot small; no need to wake more than once a second.
    m_sweepTimer.setInterval(std::clamp(m_limits.idleTimeoutMsecs / 4, 20, 1000));
    connect(&m_sweepTimer, &QTimer::timeout, this, &HttpListener::sweep);
}

HttpListener::~HttpListener()
{
    // The connections are children and go with the listener; they must not call back into it.
    m_connections.clear();
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
        refuseBusy(socketDescriptor);
        return;
    }
    auto *connection = new HttpConnection(m_limits, this);
    if (!connection->setSocketDescriptor(socketDescriptor)) {
        delete connection;
        return;
    }
    m_connections.insert(connection);
    if (!m_sweepTimer.isActive())
        m_sweepTimer.start();
    addPendingConnection(connection);
}

void HttpListener::forget(HttpConnection *connection)
{
    m_connections.remove(connection);
    if (m_connections.isEmpty())
        m_sweepTimer.stop();
}

void HttpListener::sweep()
{
    const auto now = HttpConnection::Clock::now();
    const auto timeout = std::chrono::milliseconds(m_limits.idleTimeoutMsecs);
    const QSet<HttpConnection *> connections = m_connections;
    for (HttpConnection *connection : connections) {
        if (now - connection->lastProgress() >= timeout)
            connection->expire();
    }
}

void HttpListener::refuseBusy(qintptr socketDescriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        delete socket;
        return;
    }
    // Debug only: whoever fills the server up must not fill the log as well.
    qCDebug(lcWeb) << "connection cap reached, refusing" << socket->peerAddress().toString();
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
