#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>

class QTcpServer;
class SimCamera;
class ViscaSession;
struct FaultModes;

// The VISCA-over-TCP listener of one simulated camera. While the camera refuses connections it does
// not listen at all, so a controller gets "connection refused" like from a camera that is off.
class ViscaServer : public QObject
{
    Q_OBJECT

public:
    ViscaServer(const QHostAddress &address,
                quint16 port,
                SimCamera *camera,
                const FaultModes *faults,
                QObject *parent = nullptr);

    bool start(QString *error);
    // Applies a change of the refuse mode: stops or resumes listening.
    bool updateListening(QString *error);
    // Closes every open VISCA connection; returns how many there were.
    int dropConnections();
    // Writes raw bytes on every open connection; returns how many got them.
    int sendRaw(const QByteArray &bytes);
    int connectionCount() const { return int(m_sessions.size()); }

private:
    void onNewConnection();

    QHostAddress m_address;
    quint16 m_port;
    SimCamera *m_camera;
    const FaultModes *m_faults;
    QTcpServer *m_server;
    QList<ViscaSession *> m_sessions;
};
