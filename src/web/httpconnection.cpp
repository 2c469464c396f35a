#include "httpconnection.h"

#include "httplistener.h"
#include "httpresponse.h"
#include "weblog.h"

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/types.h>
#endif

namespace {

// What the connection reads from the socket at most before it parses: with the answers held back by
// the unsent limit, this bounds what one client can make the program buffer on the way in.
constexpr qint64 ReadBufferBytes = 64 * 1024;

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

QByteArrayView withoutCarriageReturn(QByteArrayView line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// The first empty line at or after 'from' (a line feed followed by an empty or "\r" line): the index
// just past it, or -1. One pass, so a buffer full of pipelined requests is not scanned over and over.
qsizetype headEnd(const QByteArray &buffer, qsizetype from)
{
    const char *data = buffer.constData();
    const qsizetype size = buffer.size();
    qsizetype at = from;
    while (at < size) {
        const void *found = std::memchr(data + at, '\n', size_t(size - at));
        if (!found)
            return -1;
        const qsizetype lf = static_cast<const char *>(found) - data;
        if (lf + 1 < size && data[lf + 1] == '\n')
            return lf + 2;
        if (lf + 2 < size && data[lf + 1] == '\r' && data[lf + 2] == '\n')
            return lf + 3;
        at = lf + 1;
    }
    return -1;
}

const QByteArray OnlyGetAllowed = QByteArrayLiteral("Only 'Get' Method Allowed.");

// Methods handed to the router as ordinary requests (it refuses all but GET). Others (CONNECT with its
// tunnel semantics, WebDAV and unknown ones) get the router's refusal here and end the connection.
bool reachesRouter(QByteArrayView method)
{
    static const QByteArrayView Methods[] = {"GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "PATCH"};
    return std::find(std::begin(Methods), std::end(Methods), method) != std::end(Methods);
}

// The request target as the router reads it: origin form "/path?query", or absolute form. The path is
// set tolerantly and the query as sent, so the router decodes both exactly once.
bool targetUrl(QByteArrayView target, QUrl &url)
{
    if (target.startsWith('/')) {
        QByteArrayView rest = target;
        const qsizetype hash = rest.indexOf('#');
        if (hash >= 0)
            rest = rest.first(hash);
        const qsizetype question = rest.indexOf('?');
        const QByteArrayView path = question >= 0 ? rest.first(question) : rest;
        url.setPath(QString::fromUtf8(path), QUrl::TolerantMode);
        if (question >= 0)
            url.setQuery(QString::fromUtf8(rest.sliced(question + 1)));
        return true;
    }
    if (target.startsWith("http://") || target.startsWith("https://")) {
        url = QUrl::fromEncoded(target.toByteArray(), QUrl::TolerantMode);
        return url.isValid();
    }
    return false;
}

} // namespace

HttpConnection::HttpConnection(const HttpLimits &limits, Handler handler, HttpListener *listener)
    : QTcpSocket(listener)
    , m_limits(limits)
    , m_handler(std::move(handler))
    , m_listener(listener)
    , m_lastProgress(Clock::now())
    , m_lastWriteProgress(m_lastProgress)
{}

HttpConnection::~HttpConnection()
{
    if (m_listener)
        m_listener->forget(this);
}

bool HttpConnection::adopt(qintptr socketDescriptor)
{
    if (!setSocketDescriptor(socketDescriptor))
        return false;
    m_clientAddress = peerAddress();
    setReadBufferSize(ReadBufferBytes);
    return true;
}

void HttpConnection::startServing()
{
    connect(this, &QIODevice::readyRead, this, &HttpConnection::serve);
    connect(this, &QIODevice::bytesWritten, this, &HttpConnection::onBytesWritten);
    connect(this, &QAbstractSocket::disconnected, this, &QObject::deleteLater);
    // A reset or a failed write ends the connection at once: a socket left closing after an error
    // may never say it disconnected, and would keep its place in the connection caps.
    connect(this, &QAbstractSocket::errorOccurred, this, [this] {
        abort();
        deleteLater();
    });
    serve();
}

bool HttpConnection::isStalled(Clock::time_point now) const
{
    return bytesToWrite() > 0
           && now - m_lastWriteProgress >= std::chrono::milliseconds(m_limits.stallTimeoutMsecs);
}

void HttpConnection::expire()
{
    if (m_expiring || state() != QAbstractSocket::ConnectedState) {
        // Still not gone after a graceful close (a peer that does not read): drop it.
        abort();
        deleteLater();
        return;
    }
    qCDebug(lcWeb) << "closing idle connection from" << m_clientAddress.toString();
    m_expiring = true;
    m_lastProgress = Clock::now();
    closeAfterAnswers();
}

void HttpConnection::drop()
{
    qCDebug(lcWeb) << "dropping connection from" << m_clientAddress.toString() << "with" << bytesToWrite()
                   << "answer bytes its client does not take";
    abort();
    deleteLater();
}

void HttpConnection::serve()
{
    if (m_closing) {
        // Whatever follows the last answered request is not read any more.
        readAll();
        return;
    }
    // A handler may run an event loop of its own; the requests after it wait for it to return.
    if (m_serving)
        return;
    m_serving = true;
    while (state() == QAbstractSocket::ConnectedState && !m_closing) {
        // Back-pressure: resumed from onBytesWritten once the client has taken its answers.
        if (bytesToWrite() > m_limits.maxUnsentBytes) {
            flush();
            // Still too much: the rest waits in the buffer, whose progress resumes serving.
            if (bytesToWrite() > m_limits.maxUnsentBytes) {
                m_serving = false;
                return;
            }
        }
        if (m_pos > 0 && (m_pos == m_input.size() || m_pos >= ReadBufferBytes)) {
            m_input.remove(0, m_pos);
            m_pos = 0;
        }
        HttpRequest request;
        bool keepAlive = true;
        QByteArray connectionHeader;
        const Parse parse = takeRequest(request, keepAlive, connectionHeader);
        if (parse == Parse::Refused)
            break;
        if (parse == Parse::NeedMore) {
            if (bytesAvailable() <= 0)
                break;
            m_input.append(read(bytesAvailable()));
            continue;
        }
        HttpResponse resp;
        m_handler(request, &resp);
        const auto now = Clock::now();
        if (bytesToWrite() == 0)
            m_lastWriteProgress = now;
        m_lastProgress = now;
        sendAnswer(resp.toHttp11(connectionHeader, !request.isHead()));
        if (!keepAlive)
            closeAfterAnswers();
    }
    // The answers go out now rather than on the next turn of the event loop: no extra wake-up per
    // request, and the answer leaves while its request's data is still warm.
    if (bytesToWrite() > 0 && state() == QAbstractSocket::ConnectedState)
        flush();
    m_serving = false;
}

HttpConnection::Parse
HttpConnection::takeRequest(HttpRequest &request, bool &keepAlive, QByteArray &connectionHeader)
{
    const qsizetype size = m_input.size();
    // Empty lines before a request line are allowed and ignored.
    while (m_pos < size && (m_input.at(m_pos) == '\r' || m_input.at(m_pos) == '\n'))
        ++m_pos;
    if (m_pos == size)
        return Parse::NeedMore;
    const qsizetype end = headEnd(m_input, m_pos);
    if ((end < 0 && size - m_pos > m_limits.maxHeadBytes)
        || (end >= 0 && end - m_pos > m_limits.maxHeadBytes)) {
        refuse(431, QByteArrayLiteral("Request Header Fields Too Large"));
        return Parse::Refused;
    }
    if (end < 0)
        return Parse::NeedMore;

    const QByteArrayView head = QByteArrayView(m_input).sliced(m_pos, end - m_pos);
    qsizetype lineEnd = head.indexOf('\n');
    const QByteArrayView requestLine = withoutCarriageReturn(head.first(lineEnd));
    const qsizetype firstSpace = requestLine.indexOf(' ');
    const qsizetype lastSpace = requestLine.lastIndexOf(' ');
    const QByteArrayView method = firstSpace > 0 ? requestLine.first(firstSpace) : QByteArrayView();
    const QByteArrayView target = firstSpace > 0 && lastSpace > firstSpace
                                      ? requestLine.sliced(firstSpace + 1, lastSpace - firstSpace - 1)
                                      : QByteArrayView();
    const QByteArrayView version = lastSpace > 0 ? requestLine.sliced(lastSpace + 1) : QByteArrayView();
    if (!isToken(method) || target.isEmpty() || target.contains(' ')
        || (version != "HTTP/1.1" && version != "HTTP/1.0")) {
        refuse(400, QByteArrayLiteral("Bad Request"));
        return Parse::Refused;
    }
    if (!reachesRouter(method)) {
        refuse(400, OnlyGetAllowed);
        return Parse::Refused;
    }
    const bool isGet = method == "GET";
    const bool http10 = version == "HTTP/1.0";

    qint64 contentLength = 0;
    bool hasContentLength = false;
    bool hasTransferEncoding = false;
    bool close = false;
    bool keepAliveToken = false;
    qsizetype lineStart = lineEnd + 1;
    while (lineStart < head.size()) {
        lineEnd = head.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = head.size();
        const QByteArrayView line = withoutCarriageReturn(head.sliced(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.isEmpty())
            break;
        const qsizetype colon = line.indexOf(':');
        // No folded lines, no whitespace inside or before the name.
        if (colon <= 0 || line.at(0) == ' ' || line.at(0) == '\t' || line.first(colon).contains(' ')
            || line.first(colon).contains('\t')) {
            refuse(400, QByteArrayLiteral("Bad Request"));
            return Parse::Refused;
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
                return Parse::Refused;
            }
            hasContentLength = true;
            contentLength = length;
        } else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            hasTransferEncoding = true;
        } else if (name.compare("Connection", Qt::CaseInsensitive) == 0) {
            qsizetype from = 0;
            while (from <= value.size()) {
                qsizetype comma = value.indexOf(',', from);
                if (comma < 0)
                    comma = value.size();
                const QByteArrayView token = value.sliced(from, comma - from).trimmed();
                close = close || token.compare("close", Qt::CaseInsensitive) == 0;
                keepAliveToken = keepAliveToken || token.compare("keep-alive", Qt::CaseInsensitive) == 0;
                from = comma + 1;
            }
        }
    }

    if (isGet && (hasTransferEncoding || contentLength > 0)) {
        refuse(400, QByteArrayLiteral("Bad Request"));
        return Parse::Refused;
    }
    // Other methods are refused by the router after their body; a body too large to buffer gets the
    // same answer at once.
    if (!isGet && (hasTransferEncoding || contentLength > m_limits.maxBodyBytes)) {
        refuse(400, OnlyGetAllowed);
        return Parse::Refused;
    }
    QUrl url;
    if (!targetUrl(target, url)) {
        refuse(400, QByteArrayLiteral("Bad Request"));
        return Parse::Refused;
    }
    // The body is read whole before the answer, so the next request starts right after it.
    if (size - end < contentLength)
        return Parse::NeedMore;

    request.method = method.toByteArray();
    request.url = std::move(url);
    keepAlive = http10 ? (keepAliveToken && !close) : !close;
    if (!keepAlive)
        connectionHeader = QByteArrayLiteral("close");
    else if (http10)
        connectionHeader = QByteArrayLiteral("keep-alive");
    m_pos = end + contentLength;
    return Parse::Request;
}

void HttpConnection::sendAnswer(const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    // Straight to the kernel while nothing waits in the socket's own buffer, which keeps the order.
    // Through QTcpSocket every answer would switch its write notifier on and off again (two changes
    // of the event loop's poll set), which cost more than serving the request itself.
    if (bytesToWrite() == 0 && state() == QAbstractSocket::ConnectedState) {
        const ssize_t sent = ::send(int(socketDescriptor()), bytes.constData(), size_t(bytes.size()),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            m_lastWriteProgress = Clock::now();
            // What the kernel did not take waits in the socket's buffer, as any answer would.
            if (sent < bytes.size())
                write(bytes.constData() + sent, bytes.size() - sent);
            return;
        }
        // Full or failed: the socket's own path waits or reports the error.
    }
#endif
    write(bytes);
}

void HttpConnection::onBytesWritten()
{
    const auto now = Clock::now();
    m_lastWriteProgress = now;
    m_lastProgress = now;
    if (!m_closing && !m_serving && bytesToWrite() <= m_limits.maxUnsentBytes
        && (m_pos < m_input.size() || bytesAvailable() > 0))
        serve();
}

void HttpConnection::refuse(int statusCode, const QByteArray &body)
{
    qCDebug(lcWeb) << "refusing request from" << m_clientAddress.toString() << "with" << statusCode;
    HttpResponse response;
    response.setStatusCode(statusCode);
    response.end(body);
    if (bytesToWrite() == 0)
        m_lastWriteProgress = Clock::now();
    sendAnswer(response.toHttp11(QByteArrayLiteral("close")));
    closeAfterAnswers();
}

void HttpConnection::closeAfterAnswers()
{
    m_closing = true;
    m_input.clear();
    m_pos = 0;
    readAll();
    setReadBufferSize(4096);
    // Closes once the answers already written have gone out.
    disconnectFromHost();
}
