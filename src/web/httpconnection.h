#pragma once

#include "httplimits.h"
#include "httprequest.h"

#include <QByteArray>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

#include <chrono>
#include <functional>

class HttpListener;
class HttpResponse;

// One client connection of the web server. It parses the requests that arrive, one after another and in
// order even when several come in one piece, hands each to the router and writes the answers in the same
// order. It refuses what the server must not buffer or wait for (oversized request heads, bodies on
// GET, large or chunked bodies, request lines that are not HTTP/1.x) after the answers to the requests
// before it. It stops reading while too many answer bytes wait for a client that does not read, and
// remembers when it last made progress so that idle and stuck connections can be closed.
class HttpConnection : public QTcpSocket
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void(const HttpRequest &request, HttpResponse *resp)>;

    HttpConnection(const HttpLimits &limits, Handler handler, HttpListener *listener);
    ~HttpConnection() override;

    // Takes the accepted socket; requests are read from it once startServing() is called.
    bool adopt(qintptr socketDescriptor);
    void startServing();
    QHostAddress clientAddress() const { return m_clientAddress; }

    Clock::time_point lastProgress() const { return m_lastProgress; }
    // Answer bytes wait and none of them was taken by the client for the stall timeout.
    bool isStalled(Clock::time_point now) const;
    // Called by the listener when the connection has been idle too long: the first call closes it
    // gracefully, a second one drops it.
    void expire();
    // Called by the listener for a stalled connection: its answers will never go out.
    void drop();

private:
    enum class Parse { NeedMore, Request, Refused };

    void serve();
    Parse takeRequest(HttpRequest &request, bool &keepAlive, QByteArray &connectionHeader);
    void sendAnswer(const QByteArray &bytes);
    void onBytesWritten();
    void refuse(int statusCode, const QByteArray &body);
    void closeAfterAnswers();

    HttpLimits m_limits;
    Handler m_handler;
    QPointer<HttpListener> m_listener;
    QHostAddress m_clientAddress;
    // Received and not yet parsed: from m_pos to the end.
    QByteArray m_input;
    qsizetype m_pos = 0;
    bool m_closing = false;
    bool m_expiring = false;
    bool m_serving = false;
    Clock::time_point m_lastProgress;
    Clock::time_point m_lastWriteProgress;
};
