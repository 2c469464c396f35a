#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>

class QTcpServer;
class QTcpSocket;
class SimulatedDevice;

// Text commands that switch a camera's fault modes and read or place its state at run time, one
// line in, one line out ("OK ..." or "ERR <why>"). Send "help" for the list.
class ControlChannel : public QObject
{
    Q_OBJECT

public:
    ControlChannel(const QHostAddress &address,
                   quint16 port,
                   SimulatedDevice *device,
                   QObject *parent = nullptr);

    bool start(QString *error);
    // Runs one command line and returns the reply line (without the line feed).
    QString execute(const QString &line);

    static QString helpText();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);

    QHostAddress m_address;
    quint16 m_port;
    SimulatedDevice *m_device;
    QTcpServer *m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
