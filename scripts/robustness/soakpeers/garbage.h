#pragma once

#include <QByteArray>
#include <QString>

#include <random>

// What a broken or hostile OBS or vMix may send instead of its protocol: binary noise, cut-off and
// mistyped messages, documents that are huge, deeply nested or full of entities.
namespace Garbage {

// One text message for an obs-websocket client.
QString obsMessage(std::mt19937 &random);

// One body for vMix's state document (GET /api).
QByteArray vmixDocument(std::mt19937 &random);

} // namespace Garbage
