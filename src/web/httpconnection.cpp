#include "httpconnection.h"

#include "httplistener.h"
#include "httpresponse.h"
#include "weblog.h"

#include <algorithm>

namespace {

// RFC 9110 token characters, for the method.
bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != 0 && QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

QList<QByteArrayView> splitView(QByteArrayView text, char separator)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0) {
            parts.append(text.sliced(start));
            return parts;
        }
        parts.append(text.sliced(start, at - start));
        start = at + 1;
    }
}

QByteArrayView withoutCarriageReturn(QByteArrayView line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// The first empty line of the buffer, searched from 'from': returns the index just past it, or -1.
qsizetype headEnd(const QByteArray &buffer, qsizetype from)
{
    const qsizetype crlf = buffer.indexOf("\n\r\n", from);
    const qsizetype lf = buffer.indexOf("\n\n", from);
    if (crlf < 0 && lf < 0)
        return -1;
    if (lf < 0 || (crlf >= 0 && crlf < lf))
        return crlf + 3;
    return lf + 2;
}

const QByteArray OnlyGetAllowed = QByteArrayLiteral("Only 'Get' Method Allowed.");

// Methods the HTTP server parses as ordinary requests and hands to the router. Others (CONNECT with its
// tunnel semantics, WebDAV and unknown ones) would end in a parse error or an upgrade without any answer,
// so they get the router's refusal here.
bool reachesRouter(QByteArrayView method)
{
    static const QByteArrayView Methods[] = {"GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "PATCH"};
    return std::find(std::begin(Methods), std::end(Methods), method) != std::end(Methods);
}

} // namespace

HttpConnection::HttpConnection(const HttpLimits &limits, HttpListener *listener)
    : QTcpSocket(listener), m_limits(limits), m_listener(listener), m_lastProgress(Clock::now())
{
    // Connected before the HTTP server connects its own reader, so this runs first on every arrival.
    connect(this, &QIODevice::readyRead, this, &HttpConnection::inspect);
}

HttpConnection::~HttpConnection()
{
    if (m_listener)
        m_listener->forget(this);
}

QByteArray HttpConnection::connectionHeader() const
{
    if (!m_keepAlive)
        return QByteArrayLiteral("close");
    return m_http10 ? QByteArrayLiteral("keep-alive") : QByteArray();
}

void HttpConnection::expire()
{
    if (m_expiring || state() != QAbstractSocket::ConnectedState) {
        // Still not gone after a graceful close (a peer that does not read): drop it.
        abort();
        deleteLater();
        return;
    }
    qCDebug(lcWeb) << "closing idle connection from" << peerAddress().toString();
    m_expiring = true;
    m_lastProgress = Clock::now();
    disconnectFromHost();
}

void HttpConnection::inspect()
{
    if (m_refused)
        return;
    // Only the bytes that arrived since the last signal are unread: the server reads everything it gets.
    const QByteArray chunk = peek(bytesAvailable());
    const qsizetype size = chunk.size();
    qsizetype pos = 0;
    bool requestCompleted = false;
    while (pos < size) {
        if (m_state == State::Body) {
            const qint64 take = qMin<qint64>(m_bodyRemaining, size - pos);
            m_bodyRemaining -= take;
            pos += take;
            if (m_bodyRemaining == 0) {
                m_state = State::Head;
                requestCompleted = true;
            }
            continue;
        }
        if (m_head.isEmpty()) {
            // Empty lines before a request line are allowed and ignored.
            while (pos < size && (chunk.at(pos) == '\r' || chunk.at(pos) == '\n'))
                ++pos;
            if (pos == size)
                break;
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
            // The HTTP module of Qt 6.4 parses whatever arrived in one go and answers only the last
            // request of it, mixed with the earlier ones. A client that sends before its answer came
            // gets a clear refusal rather than a wrong answer.
            if (requestCompleted) {
                refuse(400, QByteArrayLiteral("Bad Request"));
                return;
            }
#endif
        }
        const qsizetype before = m_head.size();
        const qsizetype room = m_limits.maxHeadBytes + 4 - before;
        const qsizetype taken = qMin(room, size - pos);
        m_head.append(chunk.constData() + pos, taken);
        const qsizetype end = headEnd(m_head, qMax<qsizetype>(0, before - 3));
        if (end < 0) {
            if (m_head.size() > m_limits.maxHeadBytes) {
                refuse(431, QByteArrayLiteral("Request Header Fields Too Large"));
                return;
            }
            pos += taken;
            continue;
        }
        if (end > m_limits.maxHeadBytes) {
            refuse(431, QByteArrayLiteral("Request Header Fields Too Large"));
            return;
        }
        pos += end - before;
        m_head.truncate(end);
        const bool accepted = acceptHead(m_head);
        m_head.clear();
        if (!accepted)
            return;
        requestCompleted = m_state == State::Head;
    }
    Q_UNUSED(requestCompleted);
}

bool HttpConnection::acceptHead(const QByteArray &head)
{
    const QList<QByteArrayView> lines = splitView(head, '\n');
    const QByteArrayView requestLine = withoutCarriageReturn(lines.value(0));
    const QList<QByteArrayView> parts = splitView(requestLine, ' ');
    if (parts.size() != 3 || !isToken(parts.at(0)) || parts.at(1).isEmpty()
        || (parts.at(2) != "HTTP/1.1" && parts.at(2) != "HTTP/1.0")) {
        refuse(400, QByteArrayLiteral("Bad Request"));
        return false;
    }
    if (!reachesRouter(parts.at(0))) {
        refuse(400, OnlyGetAllowed);
        return false;
    }
    const bool isGet = parts.at(0) == "GET";
    const bool http10 = parts.at(2) == "HTTP/1.0";

    qint64 contentLength = 0;
    bool hasContentLength = false;
    bool hasTransferEncoding = false;
    bool close = false;
    bool keepAliveToken = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = withoutCarriageReturn(lines.at(i));
        if (line.isEmpty())
            break;
        const qsizetype colon = line.indexOf(':');
        // No folded lines, no whitespace inside or before the name.
        if (colon <= 0 || line.at(0) == ' ' || line.at(0) == '\t' || line.first(colon).contains(' ')
            || line.first(colon).contains('\t')) {
            refuse(400, QByteArrayLiteral("Bad Request"));
            return false;
        }
        const QByteArrayView name = line.first(colon);
        const QByteArrayView value = line.sliced(colon + 1).trimmed();
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            const bool digitsOnly = !value.isEmpty() && std::all_of(value.begin(), value.end(), [](char c) {
                return c >= '0' && c <= '9';
            });
            if (!ok || !digitsOnly || (hasContentLength && length != contentLength)) {
                refuse(400, QByteArrayLiteral("Bad Request"));
                return false;
            }
            hasContentLength = true;
            contentLength = length;
        } else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            hasTransferEncoding = true;
        } else if (name.compare("Connection", Qt::CaseInsensitive) == 0) {
            for (QByteArrayView token : splitView(value, ',')) {
                token = token.trimmed();
                close = close || token.compare("close", Qt::CaseInsensitive) == 0;
                keepAliveToken = keepAliveToken || token.compare("keep-alive", Qt::CaseInsensitive) == 0;
            }
        }
    }

    if (isGet && (hasTransferEncoding || contentLength > 0)) {
        refuse(400, QByteArrayLiteral("Bad Request"));
        return false;
    }
    // Other methods are refused by the router after their body; a body too large to buffer gets the
    // same answer at once.
    if (!isGet && (hasTransferEncoding || contentLength > m_limits.maxBodyBytes)) {
        refuse(400, OnlyGetAllowed);
        return false;
    }

    m_http10 = http10;
    m_keepAlive = http10 ? (keepAliveToken && !close) : !close;
    m_lastProgress = Clock::now();
    m_bodyRemaining = contentLength;
    m_state = contentLength > 0 ? State::Body : State::Head;
    return true;
}

void HttpConnection::refuse(int statusCode, const QByteArray &body)
{
    qCDebug(lcWeb) << "refusing request from" << peerAddress().toString() << "with" << statusCode;
    m_refused = true;
    m_keepAlive = false;
    // Nobody reads this connection any more, the HTTP server included.
    disconnect(this, &QIODevice::readyRead, nullptr, nullptr);
    if (isTransactionStarted())
        rollbackTransaction();
    readAll();
    setReadBufferSize(4096);

    HttpResponse response;
    response.setStatusCode(statusCode);
    response.end(body);
    write(response.toHttp11(QByteArrayLiteral("close")));
    disconnectFromHost();
}
