#pragma once

#include "viscatransport.h"

#include <QString>

// What settings.ini keeps of one camera slot. The camera objects are built from these records (see
// CameraFactory); saving a list needs no camera object.
struct CameraRecord
{
    static constexpr int NetworkType = 0;
    static constexpr int UsbType = 1;

    int type = NetworkType;
    QString id;         // address of a network camera, device path of a USB camera
    QString name;       // the button's name
    QString deviceName; // what the camera calls itself
    ViscaTransport transport = ViscaTransport::Tcp;
    quint16 port = ViscaTransports::defaultPort(ViscaTransport::Tcp);

    bool operator==(const CameraRecord &other) const
    {
        return type == other.type && id == other.id && name == other.name && deviceName == other.deviceName
               && transport == other.transport && port == other.port;
    }
};
