#include "viscatransport.h"

namespace ViscaTransports {

QString name(ViscaTransport transport)
{
    switch (transport) {
    case ViscaTransport::Udp:
        return QStringLiteral("udp");
    case ViscaTransport::SonyUdp:
        return QStringLiteral("sony-udp");
    case ViscaTransport::Tcp:
        break;
    }
    return QStringLiteral("tcp");
}

std::optional<ViscaTransport> fromName(const QString &name)
{
    for (ViscaTransport transport : {ViscaTransport::Tcp, ViscaTransport::Udp, ViscaTransport::SonyUdp}) {
        if (name == ViscaTransports::name(transport))
            return transport;
    }
    return std::nullopt;
}

quint16 defaultPort(ViscaTransport transport)
{
    switch (transport) {
    case ViscaTransport::Udp:
        return 1259;
    case ViscaTransport::SonyUdp:
        return 52381;
    case ViscaTransport::Tcp:
        break;
    }
    return 5678;
}

std::optional<quint16> portFrom(qint64 value)
{
    if (value < 1 || value > 65535)
        return std::nullopt;
    return quint16(value);
}

} // namespace ViscaTransports
