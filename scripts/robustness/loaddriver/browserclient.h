#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class Stats;

// A browser showing the control page: it loads the page and its files, then every 500 ms asks for the
// vMix status, the current camera, the picture flag and the OBS status, over keep-alive connections as a
// browser does. Every answer is checked: HTTP 200, and for the API a JSON object whose "status" is "OK".
// A request without an answer within the timeout counts as unanswered.
class BrowserClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 500;

    BrowserClient(const QUrl &base, Stats *stats, QObject *parent = nullptr);

    // Extra calls made now and then, each as a path with its query ("/obs/saveReconnect?..."), every
    // intervalMs (the soak test has the operator press "reconnect" this way).
    void addPeriodicCall(const QString &pathAndQuery, int intervalMs);
    // A call made once right after the page has loaded.
    void addStartCall(const QString &pathAndQuery);
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }

    void start();
    // Stops polling; requests under way may still finish.
    void stop();
    int outstanding() const { return int(m_started.size()); }
    // Counts the requests still without an answer as unanswered and forgets them.
    void abandonOutstanding();

private:
    enum class Expect { Page, Json };

    void poll();
    void get(const QString &pathAndQuery, Expect expect);
    void onFinished(QNetworkReply *reply);

    QUrl m_base;
    Stats *m_stats;
    QNetworkAccessManager *m_manager;
    QTimer *m_timer;
    int m_requestTimeoutMs = 10000;
    QHash<QNetworkReply *, QElapsedTimer> m_started;
    QHash<QNetworkReply *, Expect> m_expect;
    struct Periodic
    {
        QString pathAndQuery;
        int intervalMs;
        qint64 nextAtMs;
    };
    QList<Periodic> m_periodic;
    QStringList m_startCalls;
    QElapsedTimer m_clock;
};
