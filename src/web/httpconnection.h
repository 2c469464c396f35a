#pragma once

#include "httplimits.h"

#include <QByteArray>
#include <QPointer>
#include <QTcpSocket>

#include <chrono>

class HttpListener;

// One client connection of the web server. It reads along with the HTTP server, before it, and refuses
// what the server must not buffer or wait for: oversized request heads, bodies on GET, large or chunked
// bodies, request lines that are not HTTP/1.x. It also remembers whether the last request wants the
// connection kept open, and when it last made progress so that idle connections can be closed.
class HttpConnection : public QTcpSocket
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    HttpConnection(const HttpLimits &limits, HttpListener *listener);
    ~HttpConnection() override;

    // For the last complete request head: whether the connection stays open after the answer, and the
    // value of the "Connection" header the answer needs ("close", "keep-alive" or none).
    bool keepAlive() const { return m_keepAlive; }
    QByteArray connectionHeader() const;

    Clock::time_point lastProgress() const { return m_lastProgress; }
    // Called by the listener when the connection has been idle too long: the first call closes it
    // gracefully, a second one drops it.
    void expire();

private:
    enum class State { Head, Body };

    void inspect();
    bool acceptHead(const QByteArray &head);
    void refuse(int statusCode, const QByteArray &body);

    HttpLimits m_limits;
    QPointer<HttpListener> m_listener;
    State m_state = State::Head;
    QByteArray m_head;
    qint64 m_bodyRemaining = 0;
    bool m_keepAlive = true;
    bool m_http10 = false;
    bool m_refused = false;
    bool m_expiring = false;
    Clock::time_point m_lastProgress;
};
