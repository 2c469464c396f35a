#pragma once

#include "httplimits.h"

#include <QSet>
#include <QTcpServer>
#include <QTimer>

class HttpConnection;

// The listening socket of the web server. It creates a guarded connection for every client, answers
// 503 beyond the connection cap and closes connections that stay idle.
class HttpListener : public QTcpServer
{
    Q_OBJECT

public:
    explicit HttpListener(const HttpLimits &limits, QObject *parent = nullptr);
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
    void refuseBusy(qintptr socketDescriptor);

    HttpLimits m_limits;
    QSet<HttpConnection *> m_connections;
    QTimer m_sweepTimer;
};
