#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QStringList>

#include <random>

class QTcpSocket;
class QTimer;
class Stats;

// One connection slot that sends malformed and odd requests to the web server, one scenario after another
// in random order: oversized request lines and heads, bad methods, binary garbage, bodies where none
// belong, truncated requests (closed, or held open), pipelining, a WebSocket upgrade, broken queries.
// Each outcome (the status code of the answer, "closed", or "silent" when nothing came) is counted per
// scenario; an outcome outside the scenario's expected ones is counted as unexpected.
class MalformedClient : public QObject
{
    Q_OBJECT

public:
    MalformedClient(
        const QHostAddress &address, quint16 port, quint32 seed, Stats *stats, QObject *parent = nullptr);

    void start();
    // No new scenario starts; the running one ends on its own.
    void stop();
    bool isBusy() const { return m_socket != nullptr; }

    // The scenario names, for the report.
    static QStringList scenarioNames();

private:
    struct Scenario
    {
        const char *name;
        QByteArray request;
        // Status codes (as text), "closed" or "silent" that are right for this request.
        QStringList expected;
        // How long to wait for an answer; for the held-open ones, how long to hold.
        int waitMs;
        // Close our side once the request is written (a client that gives up).
        bool closeAfterWrite = false;
    };

    static QList<Scenario> scenarios();
    void next();
    void finish(const QString &outcome);

    QHostAddress m_address;
    quint16 m_port;
    Stats *m_stats;
    std::mt19937 m_random;
    QList<Scenario> m_scenarios;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_timer;
    int m_current = -1;
    QByteArray m_answer;
    bool m_running = false;
};
