#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a normal quit of the event loop, so open connections are
// closed (and logged) when a test or the user stops the simulator.
class TerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};
