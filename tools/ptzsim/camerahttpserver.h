#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>

class QTcpServer;
class QTcpSocket;
class SimCamera;
struct FaultModes;

// The camera's small web interface: the current picture at /snapshot.jpg and the device
// configuration at /cgi-bin/param.cgi?get_device_conf. HTTP/1.1, one request per connection.
class CameraHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Identity
    {
        QString name;
        QString serial;
        quint16 viscaPort = 0;
    };

    CameraHttpServer(const QHostAddress &address,
                     quint16 port,
                     const Identity &identity,
                     SimCamera *camera,
                     const FaultModes *faults,
                     QObject *parent = nullptr);

    bool start(QString *error);
    // The device configuration text; line 1 names the device, line 6 carries the serial number.
    QByteArray deviceConfiguration() const;
    // Serves this text instead (to try odd pages); a null array goes back to the generated one.
    void setDeviceConfiguration(const QByteArray &text) { m_customConfiguration = text; }

private:
    struct Response
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    Response respond(const QByteArray &method, const QByteArray &target) const;
    void send(QTcpSocket *socket, const QByteArray &method, const Response &response);

    QHostAddress m_address;
    quint16 m_port;
    Identity m_identity;
    SimCamera *m_camera;
    const FaultModes *m_faults;
    QTcpServer *m_server;
    QHash<QTcpSocket *, QByteArray> m_requests;
    QByteArray m_customConfiguration;
};
