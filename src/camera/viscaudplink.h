#pragma once

#include "viscadatagramlink.h"
#include "viscaframer.h"

class QUdpSocket;

// Raw VISCA frames, one per UDP datagram (port 1259 by default). Answers are taken from the camera's
// address whatever port they come from.
class ViscaUdpLink : public ViscaDatagramLink
{
    Q_OBJECT

public:
    explicit ViscaUdpLink(QObject *parent = nullptr);
    ~ViscaUdpLink() override;

    void write(const ViscaCommand &command) override;

protected:
    bool acquireSocket() override;
    void releaseSocket() override;
    void sendOpening() override;

private:
    void onReadyRead();

    QUdpSocket *m_socket = nullptr;
    ViscaFramer m_framer;
};
