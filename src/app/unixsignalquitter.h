#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the event loop, so the application's
// teardown runs and settings reach the disk when a show machine shuts the program down.
class UnixSignalQuitter : public QObject
{
    Q_OBJECT

public:
    explicit UnixSignalQuitter(QObject *parent = nullptr);
    ~UnixSignalQuitter() override;

private:
    void onSignalReceived();

    QSocketNotifier *m_notifier = nullptr;
};
