#include "browserclient.h"

#include "stats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

BrowserClient::BrowserClient(const QUrl &base, Stats *stats, QObject *parent)
    : QObject(parent)
    , m_base(base)
    , m_stats(stats)
    , m_manager(new QNetworkAccessManager(this))
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(PollIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &BrowserClient::poll);
    connect(m_manager, &QNetworkAccessManager::finished, this, &BrowserClient::onFinished);
}

void BrowserClient::addPeriodicCall(const QString &pathAndQuery, int intervalMs)
{
    m_periodic.append({pathAndQuery, intervalMs, intervalMs});
}

void BrowserClient::addStartCall(const QString &pathAndQuery)
{
    m_startCalls.append(pathAndQuery);
}

void BrowserClient::start()
{
    m_clock.start();
    // What the page loads when it opens.
    get(QStringLiteral("/"), Expect::Page);
    get(QStringLiteral("/assets?_type=js&_name=script.js"), Expect::Page);
    get(QStringLiteral("/assets?_type=css&_name=style.css"), Expect::Page);
    get(QStringLiteral("/cam/settings"), Expect::Json);
    for (const QString &call : std::as_const(m_startCalls))
        get(call, Expect::Json);
    m_timer->start();
}

void BrowserClient::stop()
{
    m_timer->stop();
}

void BrowserClient::abandonOutstanding()
{
    // Forgotten first: aborting finishes a reply at once.
    const QList<QNetworkReply *> replies = m_started.keys();
    m_started.clear();
    m_expect.clear();
    for (QNetworkReply *reply : replies) {
        m_stats->add(QStringLiteral("browser.unanswered"));
        m_stats->note(QStringLiteral("browser: no answer to %1").arg(reply->url().toString()));
        reply->abort();
    }
}

void BrowserClient::poll()
{
    get(QStringLiteral("/vmix/status"), Expect::Json);
    get(QStringLiteral("/cam/getCurrentCamInfo"), Expect::Json);
    get(QStringLiteral("/cam/checkImg"), Expect::Json);
    get(QStringLiteral("/obs/status"), Expect::Json);
    const qint64 now = m_clock.elapsed();
    for (Periodic &call : m_periodic) {
        if (now >= call.nextAtMs) {
            call.nextAtMs = now + call.intervalMs;
            get(call.pathAndQuery, Expect::Json);
        }
    }
}

void BrowserClient::get(const QString &pathAndQuery, Expect expect)
{
    QUrl url = m_base;
    const qsizetype question = pathAndQuery.indexOf(QLatin1Char('?'));
    url.setPath(pathAndQuery.left(question));
    if (question >= 0)
        url.setQuery(pathAndQuery.mid(question + 1));
    QNetworkRequest request(url);
    request.setTransferTimeout(m_requestTimeoutMs);
    QNetworkReply *reply = m_manager->get(request);
    QElapsedTimer started;
    started.start();
    m_started.insert(reply, started);
    m_expect.insert(reply, expect);
    m_stats->add(QStringLiteral("browser.sent"));
}

void BrowserClient::onFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const auto started = m_started.find(reply);
    if (started == m_started.end())
        return;
    const qint64 latency = started->elapsed();
    m_started.erase(started);
    const Expect expect = m_expect.take(reply);
    m_stats->raise(QStringLiteral("browser.max_latency_ms"), latency);

    const QString what = reply->url().path();
    if (reply->error() == QNetworkReply::OperationCanceledError
        || reply->error() == QNetworkReply::TimeoutError) {
        m_stats->add(QStringLiteral("browser.unanswered"));
        m_stats->note(
            QStringLiteral("browser: no answer to %1 within %2 ms").arg(what).arg(m_requestTimeoutMs));
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        m_stats->add(QStringLiteral("browser.failed"));
        m_stats->note(
            QStringLiteral("browser: %1 answered %2 (%3)").arg(what).arg(status).arg(reply->errorString()));
        return;
    }
    const QByteArray body = reply->readAll();
    if (expect == Expect::Json) {
        const QJsonObject answer = QJsonDocument::fromJson(body).object();
        if (answer.value(QLatin1String("status")).toString() != QLatin1String("OK")) {
            m_stats->add(QStringLiteral("browser.failed"));
            m_stats->note(
                QStringLiteral("browser: %1 answered %2").arg(what, QString::fromUtf8(body.left(120))));
            return;
        }
        // Whether the switcher links had something to tell at that moment.
        if (what == QLatin1String("/obs/status")
            && !answer.value(QLatin1String("sources")).toArray().isEmpty())
            m_stats->add(QStringLiteral("browser.obs_status_with_sources"));
        if (what == QLatin1String("/vmix/status")
            && !answer.value(QLatin1String("inputs")).toArray().isEmpty())
            m_stats->add(QStringLiteral("browser.vmix_status_with_inputs"));
    } else if (body.isEmpty()) {
        m_stats->add(QStringLiteral("browser.failed"));
        m_stats->note(QStringLiteral("browser: %1 answered an empty page").arg(what));
        return;
    }
    m_stats->add(QStringLiteral("browser.ok"));
}
