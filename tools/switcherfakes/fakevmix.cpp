#include "fakevmix.h"

#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int MaxHeadSize = 64 * 1024;

// vMix reads its query like any .NET web server: "+" is a space, then percent-decoding.
QString decodeQueryPart(QByteArray part)
{
    part.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(part));
}
} // namespace

FakeVMix::FakeVMix(QObject *parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_state(FakeVMixState::typical())
{
    connect(m_server, &QTcpServer::newConnection, this, &FakeVMix::onNewConnection);
}

FakeVMix::~FakeVMix()
{
    const QList<QTcpSocket *> sockets = m_buffers.keys();
    for (QTcpSocket *socket : sockets)
        socket->disconnect(this);
}

bool FakeVMix::listen(const QHostAddress &address, quint16 port)
{
    return m_server->listen(address, port);
}

void FakeVMix::close()
{
    m_server->close();
    const QList<QTcpSocket *> sockets = m_buffers.keys();
    for (QTcpSocket *socket : sockets)
        socket->abort();
}

bool FakeVMix::isListening() const
{
    return m_server->isListening();
}

QHostAddress FakeVMix::address() const
{
    return m_server->serverAddress();
}

quint16 FakeVMix::port() const
{
    return m_server->serverPort();
}

FakeVMixState &FakeVMix::state()
{
    return m_state;
}

void FakeVMix::setState(const FakeVMixState &state)
{
    m_state = state;
}

void FakeVMix::setStateBody(const QByteArray &body)
{
    m_stateBody = body;
    m_useStateBody = true;
}

void FakeVMix::clearStateBody()
{
    m_stateBody.clear();
    m_useStateBody = false;
}

void FakeVMix::setCredentials(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
}

void FakeVMix::setHang(bool hang)
{
    m_hang = hang;
}

bool FakeVMix::isHanging() const
{
    return m_hang;
}

QList<FakeVMixRequest> FakeVMix::requests() const
{
    return m_requests;
}

QList<FakeVMixRequest> FakeVMix::commands() const
{
    QList<FakeVMixRequest> result;
    for (const FakeVMixRequest &request : m_requests) {
        if (request.target.contains('?'))
            result.append(request);
    }
    return result;
}

int FakeVMix::stateRequestCount() const
{
    int count = 0;
    for (const FakeVMixRequest &request : m_requests) {
        if (!request.target.contains('?'))
            ++count;
    }
    return count;
}

int FakeVMix::pendingCount() const
{
    return int(m_pending.size());
}

int FakeVMix::maxPendingCount() const
{
    return m_maxPending;
}

void FakeVMix::clearRequests()
{
    m_requests.clear();
    m_maxPending = int(m_pending.size());
}

void FakeVMix::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_buffers.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void FakeVMix::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (buffer.size() > MaxHeadSize)
                socket->abort();
            return;
        }
        const QByteArray head = buffer.left(end);
        buffer.remove(0, end + 4);
        handleRequest(socket, head);
        if (!m_buffers.contains(socket))
            return;
    }
}

void FakeVMix::handleRequest(QTcpSocket *socket, const QByteArray &head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    FakeVMixRequest request;
    request.target = requestLine.value(1);
    const int question = request.target.indexOf('?');
    request.path = QString::fromUtf8(question < 0 ? request.target : request.target.left(question));
    if (question >= 0) {
        const QList<QByteArray> pairs = request.target.mid(question + 1).split('&');
        for (const QByteArray &pair : pairs) {
            if (pair.isEmpty())
                continue;
            const int equals = pair.indexOf('=');
            request.parameters.append({decodeQueryPart(equals < 0 ? pair : pair.left(equals)),
                                       equals < 0 ? QString() : decodeQueryPart(pair.mid(equals + 1))});
        }
    }
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed().toLower() != "authorization")
            continue;
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (!value.toLower().startsWith("basic "))
            continue;
        const QString credentials = QString::fromUtf8(QByteArray::fromBase64(value.mid(6).trimmed()));
        const int separator = credentials.indexOf(QLatin1Char(':'));
        request.hasCredentials = true;
        request.user = credentials.left(separator);
        request.password = separator < 0 ? QString() : credentials.mid(separator + 1);
    }
    m_requests.append(request);
    m_pending.insert(socket);
    m_maxPending = std::max(m_maxPending, int(m_pending.size()));
    Q_EMIT requestReceived(request);

    if (m_hang)
        return;
    if (requestLine.value(0) != "GET") {
        respond(socket, 405, "Method Not Allowed", "text/plain", "Method Not Allowed");
        return;
    }
    const bool authRequired = !m_user.isEmpty() || !m_password.isEmpty();
    if (authRequired
        && (!request.hasCredentials || request.user != m_user || request.password != m_password)) {
        respond(socket, 401, "Unauthorized", "text/plain", "401 - Unauthorized",
                "WWW-Authenticate: Basic realm=\"vMix\"\r\n");
        return;
    }
    if (request.path != QLatin1String("/api") && request.path != QLatin1String("/api/")) {
        respond(socket, 404, "Not Found", "text/plain", "Not Found");
        return;
    }
    if (!request.function().isEmpty()) {
        if (runFunction(request))
            respond(socket, 200, "OK", "text/plain", "Function completed successfully.");
        else
            respond(socket, 500, "Internal Server Error", "text/plain", "Function not found");
        return;
    }
    respond(socket, 200, "OK", "text/xml", m_useStateBody ? m_stateBody : m_state.toXml());
}

bool FakeVMix::runFunction(const FakeVMixRequest &request)
{
    const QString function = request.function();
    const QString inputRef = request.parameter(QStringLiteral("input"));
    const QString value = request.parameter(QStringLiteral("value"));
    FakeVMixState &vmix = m_state;

    static const QStringList transitions
        = {QStringLiteral("QuickPlay"),   QStringLiteral("Cut"),         QStringLiteral("Transition1"),
           QStringLiteral("Transition2"), QStringLiteral("Transition3"), QStringLiteral("Transition4")};
    if (transitions.contains(function)) {
        // Input 0 (or none) means the input in preview: program and preview swap.
        const bool fromPreview = inputRef.isEmpty() || inputRef == QLatin1String("0");
        const int number = fromPreview ? vmix.preview : vmix.numberOf(inputRef);
        if (number > 0) {
            vmix.preview = vmix.active;
            vmix.active = number;
        }
        return true;
    }
    if (function == QLatin1String("FadeToBlack")) {
        vmix.fadeToBlack = !vmix.fadeToBlack;
        return true;
    }
    if (function == QLatin1String("SetMasterVolume")) {
        vmix.masterVolume = qBound(0.0, value.toDouble(), 100.0);
        return true;
    }
    if (function == QLatin1String("MasterAudio")) {
        vmix.masterMuted = !vmix.masterMuted;
        return true;
    }
    if (function == QLatin1String("ActiveInput")) {
        if (const int number = vmix.numberOf(inputRef))
            vmix.active = number;
        return true;
    }
    if (function == QLatin1String("PreviewInput")) {
        if (const int number = vmix.numberOf(inputRef))
            vmix.preview = number;
        return true;
    }
    if (function == QLatin1String("SetVolume")) {
        if (FakeVMixInput *input = vmix.input(inputRef); input && input->audio)
            input->volume = qBound(0.0, value.toDouble(), 100.0);
        return true;
    }
    if (function == QLatin1String("Audio")) {
        if (FakeVMixInput *input = vmix.input(inputRef); input && input->audio)
            input->muted = !input->muted;
        return true;
    }
    if (function == QLatin1String("StartPlayList") || function == QLatin1String("StopPlayList")) {
        vmix.playList = function == QLatin1String("StartPlayList");
        return true;
    }
    if (function == QLatin1String("StartStopRecording")) {
        vmix.recording = !vmix.recording;
        return true;
    }
    if (function == QLatin1String("StartStopStreaming")) {
        vmix.streaming = !vmix.streaming;
        return true;
    }
    return false;
}

void FakeVMix::respond(QTcpSocket *socket,
                       int status,
                       const QByteArray &reason,
                       const QByteArray &contentType,
                       const QByteArray &body,
                       const QByteArray &extraHeaders)
{
    m_pending.remove(socket);
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    response += "Content-Type: " + contentType + "; charset=utf-8\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    response += "Server: Microsoft-HTTPAPI/2.0\r\n";
    response += extraHeaders;
    response += "Connection: close\r\n\r\n";
    response += body;
    socket->write(response);
    socket->disconnectFromHost();
}
