#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// The answer to one request to the built-in web server. The router fills it itself or hands it, with
// the request's signal, to the handler that owns the call; that handler finishes it with end() before it
// returns. The server sends it once control is back in the router, so a handler must never keep the
// pointer beyond its own call.
class HttpResponse
{
public:
    using Header = QPair<QByteArray, QByteArray>;

    HttpResponse() = default;
    Q_DISABLE_COPY_MOVE(HttpResponse)

    void setStatusCode(int code);
    void addHeader(const QByteArray &name, const QByteArray &value);
    void write(const QByteArray &data);
    // Finishes the response; everything written afterwards is ignored.
    void end(const QByteArray &data = QByteArray());

    int statusCode() const { return m_statusCode; }
    const QList<Header> &headers() const { return m_headers; }
    const QByteArray &body() const { return m_body; }
    bool isFinished() const { return m_finished; }

    // The whole HTTP/1.1 message with its Content-Length; connectionHeader, when not empty, becomes the
    // value of a "Connection" header. The answer to a HEAD request carries no body bytes.
    QByteArray toHttp11(const QByteArray &connectionHeader, bool withBody = true) const;

    static QByteArray reasonPhrase(int statusCode);

private:
    friend class HttpServerWrapper;
    // Replaces whatever a handler left behind without finishing it.
    void replace(int statusCode, const QList<Header> &headers, const QByteArray &body);

    int m_statusCode = 200;
    QList<Header> m_headers;
    QByteArray m_body;
    bool m_finished = false;
};
