#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// How a network camera is reached for VISCA: raw frames on TCP, raw frames in UDP datagrams, or Sony's
// VISCA-over-IP framing on UDP. Stored in settings.ini by name ("tcp", "udp", "sony-udp").
enum class ViscaTransport { Tcp, Udp, SonyUdp };

namespace ViscaTransports {

QString name(ViscaTransport transport);
// The transport of a stored or requested name; nothing for an unknown name.
std::optional<ViscaTransport> fromName(const QString &name);
// 5678 for tcp, 1259 for udp, 52381 for sony-udp.
quint16 defaultPort(ViscaTransport transport);
// A port number 1..65535, or nothing.
std::optional<quint16> portFrom(qint64 value);

} // namespace ViscaTransports
