#pragma once

#include <QtGlobal>

#include <array>
#include <cstddef>

// One outgoing VISCA packet: address byte 0x81 first, terminator 0xFF last. Inquiries carry their kind
// (3 to 14) so that the answer can be read; plain commands carry 0.
struct ViscaCommand
{
    static constexpr int Capacity = 16;

    quint8 bytes[Capacity] = {};
    int length = 0;
    int inquiryKind = 0;

    // Appends one byte; anything past the capacity is dropped, which no packet of the command set reaches.
    ViscaCommand &operator<<(quint8 byte)
    {
        if (length < Capacity)
            bytes[length++] = byte;
        return *this;
    }

    template<std::size_t N>
    ViscaCommand &operator<<(const std::array<quint8, N> &part)
    {
        for (quint8 byte : part)
            *this << byte;
        return *this;
    }
};
