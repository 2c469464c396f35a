#include "camerahttpserver.h"

#include "faultmodes.h"
#include "simcamera.h"
#include "simlog.h"
#include "snapshotrenderer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int MaxRequestHeaderBytes = 16 * 1024;
constexpr int RequestTimeoutMs = 10000;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}
} // namespace

CameraHttpServer::CameraHttpServer(const QHostAddress &address,
                                   quint16 port,
                                   const Identity &identity,
                                   SimCamera *camera,
                                   const FaultModes *faults,
                                   QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_identity(identity)
    , m_camera(camera)
    , m_faults(faults)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &CameraHttpServer::onNewConnection);
}

bool CameraHttpServer::start(QString *error)
{
    if (!m_server->listen(m_address, m_port)) {
        *error = QStringLiteral("cannot listen for HTTP on %1:%2: %3")
                     .arg(m_address.toString())
                     .arg(m_port)
                     .arg(m_server->errorString());
        return false;
    }
    return true;
}

QByteArray CameraHttpServer::deviceConfiguration() const
{
    if (!m_customConfiguration.isNull())
        return m_customConfiguration;
    auto line = [](const char *key, const QString &value) {
        return QByteArray(key) + "=\"" + value.toUtf8() + "\"\n";
    };
    return line("devname", m_identity.name) + line("devtype", QStringLiteral("PTZ camera simulator"))
           + line("versioninfo", QStringLiteral("tavimorex-ptzsim 1.0"))
           + line("device_model", QStringLiteral("PTZSIM-1"))
           + line("hardware_version", QStringLiteral("1.0")) + line("serial", m_identity.serial)
           + line("ipaddr", m_address.toString()) + line("visca_port", QString::number(m_identity.viscaPort));
}

void CameraHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        m_requests.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_requests.remove(socket);
            socket->deleteLater();
        });
        // A client that never finishes its request does not hold the connection for ever.
        QTimer::singleShot(RequestTimeoutMs, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void CameraHttpServer::onReadyRead(QTcpSocket *socket)
{
    auto it = m_requests.find(socket);
    if (it == m_requests.end())
        return;
    it->append(socket->readAll());
    int headerEnd = it->indexOf("\r\n\r\n");
    if (headerEnd < 0)
        headerEnd = it->indexOf("\n\n");
    if (headerEnd < 0) {
        if (it->size() > MaxRequestHeaderBytes) {
            Response response;
            response.status = 431;
            response.contentType = "text/plain";
            response.body = "request header too large\n";
            m_requests.erase(it);
            SimLog::event(m_address.toString(), QStringLiteral("HTTP ? ? 431"));
            send(socket, "GET", response);
        }
        return;
    }

    const QByteArray head = it->left(headerEnd);
    m_requests.erase(it);
    const QByteArray requestLine = head.left(head.indexOf('\n')).trimmed();
    const QList<QByteArray> parts = requestLine.split(' ');
    Response response;
    QByteArray method = "?";
    QByteArray target = "?";
    if (parts.size() != 3 || !parts.at(2).startsWith("HTTP/1.") || !parts.at(1).startsWith('/')) {
        response.status = 400;
        response.contentType = "text/plain";
        response.body = "malformed request line\n";
    } else {
        method = parts.at(0);
        target = parts.at(1);
        response = respond(method, target);
    }
    SimLog::event(m_address.toString(), QStringLiteral("HTTP %1 %2 %3")
                                            .arg(QString::fromLatin1(method), QString::fromLatin1(target))
                                            .arg(response.status));
    send(socket, method, response);
}

CameraHttpServer::Response CameraHttpServer::respond(const QByteArray &method, const QByteArray &target) const
{
    Response response;
    response.contentType = "text/plain";
    if (m_faults->httpStatus != 0) {
        response.status = m_faults->httpStatus;
        response.body = reasonPhrase(response.status) + '\n';
        return response;
    }
    if (method != "GET" && method != "HEAD") {
        response.status = 405;
        response.body = "only GET and HEAD are served\n";
        response.headers.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        return response;
    }
    const int queryStart = target.indexOf('?');
    const QByteArray path = queryStart < 0 ? target : target.left(queryStart);
    const QByteArray query = queryStart < 0 ? QByteArray() : target.mid(queryStart + 1);
    if (path == "/snapshot.jpg") {
        response.contentType = "image/jpeg";
        response.body = SnapshotRenderer::renderJpeg(*m_camera, m_identity.name);
        return response;
    }
    if (path == "/cgi-bin/param.cgi" && query.split('&').contains("get_device_conf")) {
        response.body = deviceConfiguration();
        return response;
    }
    response.status = 404;
    response.body = "not found\n";
    return response;
}

void CameraHttpServer::send(QTcpSocket *socket, const QByteArray &method, const Response &response)
{
    QByteArray head
        = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    head += "Server: tavimorex-ptzsim\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto &header : response.headers)
        head += header.first + ": " + header.second + "\r\n";
    head += "Cache-Control: no-cache\r\nConnection: close\r\n\r\n";
    socket->write(head);
    if (method != "HEAD")
        socket->write(response.body);
    socket->disconnectFromHost();
}
