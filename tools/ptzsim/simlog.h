#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

// Diagnostics of the simulator itself ("tavimorex.ptzsim"); the traffic log below goes to stdout.
Q_DECLARE_LOGGING_CATEGORY(lcPtzSim)

// The traffic log on standard output. Tests parse it, so every line has the fixed form
// "<msecs since epoch> <address> <event> ..." and is flushed as soon as it is written.
class SimLog
{
public:
    static void event(const QString &address, const QString &text);
    static void received(const QString &address, const QByteArray &packet);
    static void sent(const QString &address, const QByteArray &packet);
    static void ready();

    // Lower-case hex bytes separated by single spaces ("81 09 04 47 ff").
    static QByteArray hex(const QByteArray &bytes);

private:
    static void writeLine(const QByteArray &line);
};
