#pragma once

#include "httpconnection.h"
#include "httplimits.h"

#include <QHash>
#include <QHostAddress>
#include <QSet>
#include <QTcpServer>
#include <QTimer>

// The listening socket of the web server. It creates a connection for every client and hands it the
// router, answers 503 beyond the connection cap and beyond the cap of one client address, and closes
// connections that stay idle or whose client stopped taking its answers.
class HttpListener : public QTcpServer
{
    Q_OBJECT

public:
    HttpListener(const HttpLimits &limits, HttpConnection::Handler handler, QObject *parent = nullptr);
    ~HttpListener() override;

    int connectionCount() const { return int(m_connections.size()); }
    // Stops listening and closes every open connection gracefully.
    void shutDown();

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    friend class HttpConnection;
    void forget(HttpConnection *connection);
    void sweep();
    void refuseBusy(QTcpSocket *socket, const char *why);

    HttpLimits m_limits;
    HttpConnection::Handler m_handler;
    QSet<HttpConnection *> m_connections;
    QHash<QHostAddress, int> m_perAddress;
    // Refused sockets still waiting for their 503 to go out.
    static constexpr int MaxRefusing = 64;
    int m_refusing = 0;
    QTimer m_sweepTimer;
};
