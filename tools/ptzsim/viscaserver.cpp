#include "viscaserver.h"

#include "faultmodes.h"
#include "simlog.h"
#include "viscasession.h"

#include <QTcpServer>
#include <QTcpSocket>

ViscaServer::ViscaServer(
    const QHostAddress &address, quint16 port, SimCamera *camera, const FaultModes *faults, QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_camera(camera)
    , m_faults(faults)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ViscaServer::onNewConnection);
}

bool ViscaServer::start(QString *error)
{
    // Bind once even when refusing, so a port taken by someone else is reported at start-up.
    if (!m_server->listen(m_address, m_port)) {
        *error = QStringLiteral("cannot listen for VISCA on %1:%2: %3")
                     .arg(m_address.toString())
                     .arg(m_port)
                     .arg(m_server->errorString());
        return false;
    }
    return updateListening(error);
}

bool ViscaServer::updateListening(QString *error)
{
    if (m_faults->refuse) {
        m_server->close();
        return true;
    }
    if (m_server->isListening())
        return true;
    if (!m_server->listen(m_address, m_port)) {
        *error = QStringLiteral("cannot listen for VISCA on %1:%2: %3")
                     .arg(m_address.toString())
                     .arg(m_port)
                     .arg(m_server->errorString());
        return false;
    }
    return true;
}

int ViscaServer::dropConnections()
{
    const QList<ViscaSession *> sessions = m_sessions;
    for (ViscaSession *session : sessions)
        session->close();
    return int(sessions.size());
}

int ViscaServer::sendRaw(const QByteArray &bytes)
{
    for (ViscaSession *session : std::as_const(m_sessions))
        session->sendRaw(bytes);
    return int(m_sessions.size());
}

void ViscaServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto *session = new ViscaSession(socket, m_address.toString(), m_camera, m_faults, this);
        m_sessions.append(session);
        connect(session, &ViscaSession::finished, this, [this, session] {
            m_sessions.removeAll(session);
            session->deleteLater();
        });
        if (m_faults->hangup)
            session->close();
    }
}
