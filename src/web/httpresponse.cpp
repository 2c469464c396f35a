#include "httpresponse.h"

#include "weblog.h"

namespace {

struct Reason
{
    int code;
    const char *phrase;
};

// Only the codes this server produces; anything else still gets a valid status line.
const Reason Reasons[] = {
    {200, "OK"},
    {400, "Bad Request"},
    {404, "Not Found"},
    {413, "Payload Too Large"},
    {431, "Request Header Fields Too Large"},
    {500, "Internal Server Error"},
    {503, "Service Unavailable"},
};

} // namespace

void HttpResponse::setStatusCode(int code)
{
    if (!m_finished)
        m_statusCode = code;
}

void HttpResponse::addHeader(const QByteArray &name, const QByteArray &value)
{
    if (!m_finished)
        m_headers.append({name, value});
}

void HttpResponse::write(const QByteArray &data)
{
    if (m_finished) {
        qCWarning(lcWeb) << "write on a finished response ignored";
        return;
    }
    m_body.append(data);
}

void HttpResponse::end(const QByteArray &data)
{
    if (m_finished) {
        qCWarning(lcWeb) << "response ended twice";
        return;
    }
    m_body.append(data);
    m_finished = true;
}

void HttpResponse::replace(int statusCode, const QList<Header> &headers, const QByteArray &body)
{
    m_statusCode = statusCode;
    m_headers = headers;
    m_body = body;
    m_finished = true;
}

QByteArray HttpResponse::toHttp11(const QByteArray &connectionHeader, bool withBody) const
{
    QByteArray message;
    message.reserve(128 + m_body.size());
    message.append("HTTP/1.1 ");
    message.append(QByteArray::number(m_statusCode));
    message.append(' ');
    message.append(reasonPhrase(m_statusCode));
    message.append("\r\n");
    for (const Header &header : m_headers) {
        message.append(header.first);
        message.append(": ");
        message.append(header.second);
        message.append("\r\n");
    }
    message.append("Content-Length: ");
    message.append(QByteArray::number(m_body.size()));
    message.append("\r\n");
    if (!connectionHeader.isEmpty()) {
        message.append("Connection: ");
        message.append(connectionHeader);
        message.append("\r\n");
    }
    message.append("\r\n");
    if (withBody)
        message.append(m_body);
    return message;
}

QByteArray HttpResponse::reasonPhrase(int statusCode)
{
    for (const Reason &reason : Reasons) {
        if (reason.code == statusCode)
            return QByteArray(reason.phrase);
    }
    return QByteArrayLiteral("Status");
}
