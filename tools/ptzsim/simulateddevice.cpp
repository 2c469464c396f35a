#include "simulateddevice.h"

#include "camerahttpserver.h"
#include "controlchannel.h"
#include "simcamera.h"
#include "viscaserver.h"
#include "viscaudpserver.h"

SimulatedDevice::SimulatedDevice(const Settings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_faults(settings.faults)
    , m_camera(new SimCamera(this))
    , m_visca(new ViscaServer(settings.address, settings.viscaPort, m_camera, &m_faults, this))
    , m_http(
          new CameraHttpServer(settings.address,
                               settings.httpPort,
                               CameraHttpServer::Identity{settings.name, settings.serial, settings.viscaPort},
                               m_camera,
                               &m_faults,
                               this))
{
    if (settings.udpPort != 0)
        m_udp = new ViscaUdpServer(settings.address, settings.udpPort, ViscaUdpServer::Framing::Raw, m_camera,
                                   &m_faults, this);
    if (settings.sonyPort != 0)
        m_sony = new ViscaUdpServer(settings.address, settings.sonyPort, ViscaUdpServer::Framing::Sony,
                                    m_camera, &m_faults, this);
    if (settings.controlPort != 0)
        m_control = new ControlChannel(settings.address, settings.controlPort, this, this);
}

bool SimulatedDevice::start(QString *error)
{
    if (!m_visca->start(error) || !m_http->start(error))
        return false;
    if ((m_udp && !m_udp->start(error)) || (m_sony && !m_sony->start(error)))
        return false;
    return !m_control || m_control->start(error);
}

bool SimulatedDevice::reset(QString *error)
{
    m_camera->reset();
    m_faults = m_settings.faults;
    m_http->setDeviceConfiguration(QByteArray());
    return m_visca->updateListening(error);
}
