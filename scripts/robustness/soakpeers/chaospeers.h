#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>

#include <random>

class FakeObs4Server;
class FakeObs5Server;
class FakeObsServer;
class FakeVMix;
class QTcpServer;
class QTimer;

// A fake OBS (speaking 4.x or 5.x, switching at restarts) and a fake vMix that misbehave at random:
// they restart, drop their clients, hang (vMix), send garbage, and vMix may answer with a body that
// never ends, one fault every so often. Each fault is
// logged on standard output with the time since start.
class ChaosPeers : public QObject
{
    Q_OBJECT

public:
    ChaosPeers(const QHostAddress &address,
               quint16 obsPort,
               quint16 vmixPort,
               quint32 seed,
               QObject *parent = nullptr);
    ~ChaosPeers() override;

    bool start(int meanFaultIntervalMs);
    // Always this fault (0 OBS restart, 1 OBS drop, 2 OBS garbage, 3 vMix restart, 4 vMix hang, 5 vMix
    // endless body, 6 vMix garbage) instead of a random one; -1 for random.
    void setOnlyFault(int fault) { m_onlyFault = fault; }

private:
    void fault();
    void restartObs();
    void restartVMix();
    void streamFromVMix(int ms);
    FakeObsServer *obs() const;
    void log(const QString &what);
    int between(int low, int high);

    QHostAddress m_address;
    quint16 m_obsPort;
    quint16 m_vmixPort;
    std::mt19937 m_random;
    FakeObs4Server *m_obs4;
    FakeObs5Server *m_obs5;
    FakeVMix *m_vmix;
    // Takes the vMix port while vMix "streams": answers every request with a body that never ends.
    QTcpServer *m_streamer;
    bool m_speaks5 = false;
    QTimer *m_faultTimer;
    int m_meanIntervalMs = 3000;
    QElapsedTimer m_clock;
    int m_faults = 0;
    int m_onlyFault = -1;
};
