#include "viscatcplink.h"

#include <QElapsedTimer>
#include <QTcpSocket>

ViscaTcpLink::ViscaTcpLink(QObject *parent) : ViscaLink(parent), m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::connected, this, &ViscaTcpLink::onConnected);
    connect(m_socket, &QTcpSocket::disconnected, this, &ViscaLink::closed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &ViscaLink::errorOccurred);
    connect(m_socket, &QTcpSocket::stateChanged, this, &ViscaLink::stateChanged);
    connect(m_socket, &QTcpSocket::readyRead, this, &ViscaTcpLink::onReadyRead);
}

ViscaTcpLink::~ViscaTcpLink()
{
    m_socket->disconnect(this);
}

void ViscaTcpLink::open(const QString &host, quint16 port)
{
    m_framer.reset();
    m_socket->connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void ViscaTcpLink::onConnected()
{
    // Motion commands are single small packets; Nagle would hold each one back for the previous ACK.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_framer.reset();
    Q_EMIT opened();
}

void ViscaTcpLink::close()
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->disconnectFromHost();
    else
        m_socket->abort();
}

void ViscaTcpLink::closeNow(int drainMs)
{
    // What is still buffered (the stops of a quit) must reach the camera: wait a bounded time for it,
    // then close with a FIN rather than a reset, which could discard what the camera has not read yet.
    const QAbstractSocket::SocketState now = m_socket->state();
    if (now == QAbstractSocket::ConnectedState || now == QAbstractSocket::ClosingState) {
        QElapsedTimer clock;
        clock.start();
        while (m_socket->bytesToWrite() > 0 && clock.elapsed() < drainMs)
            m_socket->waitForBytesWritten(int(drainMs - clock.elapsed()));
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            m_socket->waitForDisconnected(int(qMax<qint64>(1, drainMs - clock.elapsed())));
    }
    m_socket->abort();
}

QAbstractSocket::SocketState ViscaTcpLink::state() const
{
    return m_socket->state();
}

void ViscaTcpLink::write(const ViscaCommand &command)
{
    if (!m_socket->isOpen())
        return;
    m_socket->write(reinterpret_cast<const char *>(command.bytes), command.length);
    // write() only buffers until the event loop runs; the command must leave in this call.
    m_socket->flush();
}

QString ViscaTcpLink::errorString() const
{
    return m_socket->errorString();
}

void ViscaTcpLink::onReadyRead()
{
    const QByteArray data = m_socket->readAll();
    for (const QByteArray &frame : m_framer.feed(data.constData(), data.size()))
        Q_EMIT replyReceived(frame, Unknown);
}
