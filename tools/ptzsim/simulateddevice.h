#pragma once

#include "faultmodes.h"

#include <QHostAddress>
#include <QObject>

class CameraHttpServer;
class ControlChannel;
class SimCamera;
class ViscaServer;
class ViscaUdpServer;

// One simulated camera on one address: its state, its fault modes and its three listeners
// (VISCA, HTTP and, when a port is given, the control channel).
class SimulatedDevice : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        QHostAddress address;
        QString name;
        QString serial;
        quint16 viscaPort = 5678;
        quint16 udpPort = 0;  // raw VISCA over UDP (0 = none)
        quint16 sonyPort = 0; // Sony VISCA over IP (0 = none)
        quint16 httpPort = 80;
        quint16 controlPort = 0;
        FaultModes faults;
    };

    explicit SimulatedDevice(const Settings &settings, QObject *parent = nullptr);

    bool start(QString *error);

    QString address() const { return m_settings.address.toString(); }
    SimCamera *camera() const { return m_camera; }
    FaultModes &faults() { return m_faults; }
    ViscaServer *viscaServer() const { return m_visca; }
    CameraHttpServer *httpServer() const { return m_http; }
    // Camera state back to power-on, fault modes back to those of the command line.
    bool reset(QString *error);

private:
    Settings m_settings;
    FaultModes m_faults;
    SimCamera *m_camera;
    ViscaServer *m_visca;
    CameraHttpServer *m_http;
    ControlChannel *m_control = nullptr;
    ViscaUdpServer *m_udp = nullptr;
    ViscaUdpServer *m_sony = nullptr;
};
