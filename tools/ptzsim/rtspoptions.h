#pragma once

#include "simulateddevice.h"

#include <QString>
#include <QStringList>

// The simulator's live video option, taken out of the command line before the rest is parsed:
// --rtsp-port N (default 554; 0 serves no streams). Each camera then serves rtsp://ADDRESS/1 (HD) and
// rtsp://ADDRESS/2 (SD) picturing its view. A build without GStreamer serves no streams and says so in
// --help.
class RtspOptions
{
public:
    static constexpr quint16 DefaultPort = 554;

    // Removes the RTSP options from arguments (argv style) and returns the rest.
    QStringList take(const QStringList &arguments);
    // What is wrong with the RTSP options; empty when they are fine.
    QString error() const { return m_error; }
    // The paragraph of --help about the streams; empty unless the arguments asked for help.
    QString helpText() const;
    // Starts the streams of one camera; true without doing anything when streams are off or not built.
    bool start(const SimulatedDevice::Settings &settings, SimulatedDevice *device, QString *error) const;

    static bool isBuiltIn();

private:
    quint16 m_port = DefaultPort;
    QString m_error;
    bool m_helpRequested = false;
};
