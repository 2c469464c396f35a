#include "viscadatagramlink.h"

#include "cameralog.h"
#include "viscaretrydelays.h"

#include <QTimer>

ViscaDatagramLink::ViscaDatagramLink(QObject *parent)
    : ViscaLink(parent), m_openTimer(new QTimer(this)), m_retryTimer(new QTimer(this))
{
    m_openTimer->setSingleShot(true);
    m_openTimer->setInterval(OpenTimeout);
    m_retryTimer->setSingleShot(true);
    connect(m_openTimer, &QTimer::timeout, this, &ViscaDatagramLink::onOpenTimeout);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_state != QAbstractSocket::ConnectingState)
            return;
        sendOpening();
        m_openTimer->start();
    });
}

void ViscaDatagramLink::open(const QString &host, quint16 port)
{
    if (m_state != QAbstractSocket::UnconnectedState)
        return;
    m_error.clear();
    m_port = port;
    if (!m_host.setAddress(host)) {
        setState(QAbstractSocket::HostLookupState);
        fail(QStringLiteral("\"%1\" is not an IP address").arg(host));
        return;
    }
    setState(QAbstractSocket::ConnectingState);
    if (!acquireSocket()) {
        fail(m_error);
        return;
    }
    m_attempt = 0;
    sendOpening();
    m_openTimer->start();
}

void ViscaDatagramLink::fail(const QString &error)
{
    m_error = error;
    qCDebug(lcCamera) << "VISCA datagram link failed:" << error;
    Q_EMIT errorOccurred();
    setState(QAbstractSocket::UnconnectedState);
}

void ViscaDatagramLink::onOpenTimeout()
{
    if (m_state != QAbstractSocket::ConnectingState)
        return;
    const int delay = ViscaRetryDelays::delay(m_attempt++);
    qCDebug(lcCamera) << "no answer from" << m_host << m_port << "- trying again in" << delay << "ms";
    m_retryTimer->start(delay);
}

void ViscaDatagramLink::noteAnswer()
{
    if (m_state != QAbstractSocket::ConnectingState)
        return;
    m_openTimer->stop();
    m_retryTimer->stop();
    setState(QAbstractSocket::ConnectedState);
    Q_EMIT opened();
}

void ViscaDatagramLink::close()
{
    closeNow(0);
}

void ViscaDatagramLink::closeNow(int drainMs)
{
    // Datagrams leave within write(): nothing is left to drain.
    Q_UNUSED(drainMs)
    if (m_state == QAbstractSocket::UnconnectedState)
        return;
    const bool wasOpen = m_state == QAbstractSocket::ConnectedState;
    m_openTimer->stop();
    m_retryTimer->stop();
    releaseSocket();
    setState(QAbstractSocket::UnconnectedState);
    if (wasOpen)
        Q_EMIT closed();
}

void ViscaDatagramLink::setState(QAbstractSocket::SocketState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}
