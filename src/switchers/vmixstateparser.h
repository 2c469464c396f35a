#pragma once

#include "vmixstate.h"

#include <QByteArray>

#include <optional>

// Reads vMix's XML state document (GET /api).
class VMixStateParser
{
public:
    // Nothing when the body is not well-formed XML.
    static std::optional<VMixState> parse(const QByteArray &body);
};
