#pragma once

#include "simulateddevice.h"

#include <QList>
#include <QStringList>

// The simulator's command line: one camera per address, shared ports, names and the fault modes
// every camera starts with.
class SimOptions
{
public:
    enum class Outcome { Run, ExitOk, ExitError };

    // Parses the arguments (argv style, the program name first). On ExitOk the help or version text is
    // in message() for standard output; on ExitError message() says what is wrong.
    Outcome parse(const QStringList &arguments);

    QList<SimulatedDevice::Settings> devices() const { return m_devices; }
    QString message() const { return m_message; }

private:
    QList<SimulatedDevice::Settings> m_devices;
    QString m_message;
};
