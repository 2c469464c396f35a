#include "appsettings.h"
#include "datapaths.h"
#include "httpserverwrapper.h"
#include "testdatahome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QMetaMethod>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cerrno>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The router's signals, one per API route.
constexpr int RouteSignals = 31;

const QString Address = QStringLiteral("127.0.3.1");
const QString OtherAddress = QStringLiteral("127.0.3.2");
const QString HtmlRoot = QStringLiteral(":/tavimorex-assets/html/");

struct Reply
{
    int status = 0;
    QByteArray contentType;
    bool hasContentType = false;
    QByteArray body;
};

struct RawReply
{
    QByteArray statusLine;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool complete = false;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &header : headers) {
            if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                return header.second;
        }
        return QByteArray();
    }
};

QByteArray resource(const QString &name)
{
    QFile file(HtmlRoot + name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Reads one HTTP response from a raw socket; the socket may close right after it.
RawReply readRawReply(QTcpSocket &socket, QByteArray &buffer, int timeoutMsecs = 5000)
{
    RawReply reply;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        buffer.append(socket.readAll());
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd >= 0) {
            const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
            qsizetype length = 0;
            RawReply parsed;
            parsed.statusLine = lines.value(0).trimmed();
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines.at(i).trimmed();
                const qsizetype colon = line.indexOf(':');
                parsed.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            }
            length = parsed.header("Content-Length").toLongLong();
            if (buffer.size() >= headEnd + 4 + length) {
                parsed.body = buffer.mid(headEnd + 4, length);
                parsed.complete = true;
                buffer.remove(0, headEnd + 4 + length);
                return parsed;
            }
        }
        if (timer.elapsed() > timeoutMsecs)
            return reply;
        if (socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0)
            return reply;
        // The server runs in this thread: wait with the event loop running, never blocking.
        QTest::qWait(5);
    }
}

bool waitClosed(QTcpSocket &socket, int timeoutMsecs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (socket.state() != QAbstractSocket::UnconnectedState && timer.elapsed() < timeoutMsecs) {
        socket.readAll();
        QTest::qWait(20);
    }
    return socket.state() == QAbstractSocket::UnconnectedState;
}

// Resident memory of this process (the server runs in it), in KiB.
qint64 residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// How a reply reads in the pipelining table: the status code, then the signal that answered it or,
// for answers of the server itself, the body.
QString describe(const RawReply &reply)
{
    const QByteArray code = reply.statusLine.mid(9, 3);
    const QJsonObject json = QJsonDocument::fromJson(reply.body).object();
    if (json.contains(QStringLiteral("signal")))
        return QString::fromLatin1(code) + QLatin1Char(' ') + json.value(QStringLiteral("signal")).toString();
    return QString::fromLatin1(code) + QLatin1Char(' ') + QString::fromLatin1(reply.body);
}

} // namespace

// Answers every API signal of the server with an OK reply naming the signal, as the application's
// slots would, and counts which signal arrived.
class Answerer : public QObject
{
    Q_OBJECT

public:
    QByteArray lastSignal;

public Q_SLOTS:
    void answer(HttpResponse *resp)
    {
        const QMetaMethod signal = sender()->metaObject()->method(senderSignalIndex());
        lastSignal = signal.name();
        HttpServerWrapper::replyOk({{QStringLiteral("signal"), QString::fromLatin1(lastSignal)}}, resp);
    }
};

class tst_HttpServerWrapper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void apiRoutes_data();
    void apiRoutes();
    void pages_data();
    void pages();
    void assets_data();
    void assets();
    void replies();
    void unansweredRequestGets500();

    void startAndStop();
    void keepAliveAndClose_data();
    void keepAliveAndClose();
    void malformedRequests_data();
    void malformedRequests();
    void wellFormedLongHeadIsServed();
    void idleConnectionIsClosed();
    void connectionCap();
    void pipelinedRequests_data();
    void pipelinedRequests();
    void clientThatNeverReadsIsDropped();
    void connectionCapPerAddress();

private:
    std::unique_ptr<HttpServerWrapper> startedServer(const HttpLimits &limits = HttpLimits());
    QString baseUrl() const;
    Reply
    request(const QByteArray &method, const QByteArray &pathAndQuery, const QByteArray &body = QByteArray());
    void connectAll(HttpServerWrapper *server);

    std::unique_ptr<TestDataHome> m_home;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<HttpServerWrapper> m_server;
    Answerer m_answerer;
    QList<std::shared_ptr<QSignalSpy>> m_spies;
    QNetworkAccessManager m_network;
};

void tst_HttpServerWrapper::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
}

void tst_HttpServerWrapper::init()
{
    m_home = std::make_unique<TestDataHome>();
    m_settings = std::make_unique<AppSettings>();
    m_server = startedServer();
    QVERIFY(m_server);
    connectAll(m_server.get());
}

void tst_HttpServerWrapper::cleanup()
{
    m_spies.clear();
    m_server.reset();
    m_settings.reset();
    m_home.reset();
    m_network.clearConnectionCache();
}

std::unique_ptr<HttpServerWrapper> tst_HttpServerWrapper::startedServer(const HttpLimits &limits)
{
    auto server = std::make_unique<HttpServerWrapper>(m_settings.get());
    server->setLimits(limits);
    if (!server->startServer(Address, 0))
        return nullptr;
    return server;
}

QString tst_HttpServerWrapper::baseUrl() const
{
    return QStringLiteral("http://%1:%2").arg(Address).arg(m_server->serverPort());
}

void tst_HttpServerWrapper::connectAll(HttpServerWrapper *server)
{
    const QMetaObject *meta = server->metaObject();
    const QMetaMethod answer
        = m_answerer.metaObject()->method(m_answerer.metaObject()->indexOfSlot("answer(HttpResponse*)"));
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal)
            continue;
        m_spies.append(std::make_shared<QSignalSpy>(server, method));
        QVERIFY(connect(server, method, &m_answerer, answer, Qt::DirectConnection));
    }
    QCOMPARE(m_spies.size(), RouteSignals);
}

Reply tst_HttpServerWrapper::request(const QByteArray &method,
                                     const QByteArray &pathAndQuery,
                                     const QByteArray &body)
{
    QNetworkRequest request(QUrl::fromEncoded(baseUrl().toLatin1() + pathAndQuery));
    // HEAD through its own call: as a custom verb the client would wait for a body.
    QNetworkReply *reply
        = method == "HEAD" ? m_network.head(request) : m_network.sendCustomRequest(request, method, body);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    Reply result;
    if (!reply->isFinished() && !finished.wait(10000)) {
        reply->abort();
        reply->deleteLater();
        return result;
    }
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.hasContentType = reply->hasRawHeader("Content-Type");
    result.contentType = reply->rawHeader("Content-Type");
    result.body = reply->readAll();
    reply->deleteLater();
    return result;
}

void tst_HttpServerWrapper::apiRoutes_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");        // for answers the router gives itself
    QTest::addColumn<QByteArray>("signal");      // empty: no signal expected
    QTest::addColumn<QVariantList>("arguments"); // after the response handle

    const QByteArray none;
    const QByteArray mismatch = "Param mismatch";
    const QByteArray notFound = "Page Not Found!";
    using L = QVariantList;

    // Every route reaches its own signal with its converted parameters.
    QTest::newRow("vmix settings") << QByteArray("GET") << QByteArray("/vmix/settings") << 200 << none
                                   << QByteArray("getVMixSettings") << L{};
    QTest::newRow("vmix status, extra parameter ignored")
        << QByteArray("GET") << QByteArray("/vmix/status?x=1") << 200 << none << QByteArray("getVMixStatus")
        << L{};
    QTest::newRow("vmix saveReconnect")
        << QByteArray("GET")
        << QByteArray("/vmix/saveReconnect?vmixIp=10.0.0.5&vmixId=op&vmixPwd=p%26w%3Dx&vmixPort=8088") << 200
        << none << QByteArray("vmixSaveReconnect") << L{"10.0.0.5", 8088, "op", "p&w=x"};
    QTest::newRow("vmix sourceVolume")
        << QByteArray("GET") << QByteArray("/vmix/sourceVolume?sourceName=k-1&volume=42.5") << 200 << none
        << QByteArray("setVMixSourceVolume") << L{"k-1", 42.5};
    QTest::newRow("vmix sourceMuted") << QByteArray("GET") << QByteArray("/vmix/sourceMuted?sourceName=abc")
                                      << 200 << none << QByteArray("setVMixSourceMuted") << L{"abc"};
    QTest::newRow("vmix masterVolume") << QByteArray("GET") << QByteArray("/vmix/masterVolume?volume=-0.5")
                                       << 200 << none << QByteArray("setVMixMasterVolume") << L{-0.5};
    QTest::newRow("vmix masterVolume not a number")
        << QByteArray("GET") << QByteArray("/vmix/masterVolume?volume=loud") << 200 << none
        << QByteArray("setVMixMasterVolume") << L{0.0};
    QTest::newRow("vmix masterVolume nan") << QByteArray("GET") << QByteArray("/vmix/masterVolume?volume=nan")
                                           << 200 << none << QByteArray("setVMixMasterVolume") << L{0.0};
    QTest::newRow("vmix masterMuted") << QByteArray("GET") << QByteArray("/vmix/masterMuted") << 200 << none
                                      << QByteArray("setVMixMasterMuted") << L{};
    QTest::newRow("vmix toggleStreaming") << QByteArray("GET") << QByteArray("/vmix/toggleStreaming") << 200
                                          << none << QByteArray("vmixToggleStreaming") << L{};
    QTest::newRow("vmix toggleRecording") << QByteArray("GET") << QByteArray("/vmix/toggleRecording") << 200
                                          << none << QByteArray("vmixToggleRecording") << L{};
    QTest::newRow("vmix togglePlayList") << QByteArray("GET") << QByteArray("/vmix/togglePlayList") << 200
                                         << none << QByteArray("vmixTogglePlayList") << L{};
    QTest::newRow("vmix transition") << QByteArray("GET") << QByteArray("/vmix/transition?transition=6")
                                     << 200 << none << QByteArray("vmixApplyTransition") << L{6};
    QTest::newRow("vmix setPreview") << QByteArray("GET") << QByteArray("/vmix/setPreview?sourceName=a%2Cb")
                                     << 200 << none << QByteArray("vmixSetPreview") << L{"a,b"};
    QTest::newRow("obs status") << QByteArray("GET") << QByteArray("/obs/status") << 200 << none
                                << QByteArray("getObsStatus") << L{};
    QTest::newRow("obs settings") << QByteArray("GET") << QByteArray("/obs/settings") << 200 << none
                                  << QByteArray("getObsSettings") << L{};
    QTest::newRow("obs sourceVolume, plus is a space")
        << QByteArray("GET") << QByteArray("/obs/sourceVolume?sourceName=Desktop+Audio&volume=-24.08") << 200
        << none << QByteArray("setObsSourceVolume") << L{"Desktop Audio", -24.08};
    QTest::newRow("obs sourceMuted, escaped slash")
        << QByteArray("GET") << QByteArray("/obs/sourceMuted?sourceName=Mic%2FAux") << 200 << none
        << QByteArray("setObsSourceMuted") << L{"Mic/Aux"};
    QTest::newRow("obs toggleStreaming") << QByteArray("GET") << QByteArray("/obs/toggleStreaming") << 200
                                         << none << QByteArray("obsToggleStreaming") << L{};
    QTest::newRow("obs toggleRecording") << QByteArray("GET") << QByteArray("/obs/toggleRecording") << 200
                                         << none << QByteArray("obsToggleRecording") << L{};
    QTest::newRow("obs transition, UTF-8 and escaped delimiters")
        << QByteArray("GET") << QByteArray("/obs/transition?transition=Fondu+encha%C3%AEn%C3%A9%2C%2B%26%3D")
        << 200 << none << QByteArray("obsSetTransition") << L{QStringLiteral("Fondu enchaîné,+&=")};
    QTest::newRow("obs saveReconnect")
        << QByteArray("GET") << QByteArray("/obs/saveReconnect?obsIp=10.0.0.9&obsPort=4444&obsPwd=") << 200
        << none << QByteArray("obsSaveReconnect") << L{"10.0.0.9", 4444, ""};
    QTest::newRow("cam settings") << QByteArray("GET") << QByteArray("/cam/settings") << 200 << none
                                  << QByteArray("getCameraSettings") << L{};
    QTest::newRow("cam saveSettings, JSON arrives decoded")
        << QByteArray("GET")
        << QByteArray(
               "/cam/saveSettings?camList=%5B%7B%22isUsb%22%3Afalse%2C%22name%22%3A%22Stage+Left%22%7D%5D")
        << 200 << none << QByteArray("saveCameraSettings")
        << L{"[{\"isUsb\":false,\"name\":\"Stage Left\"}]"};
    QTest::newRow("cam setPreset ignores isUploadImage")
        << QByteArray("GET") << QByteArray("/cam/setPreset?presetNum=3&presetName=Stage&isUploadImage=true")
        << 200 << none << QByteArray("setPreset") << L{"Stage", 3, false};
    QTest::newRow("cam checkImg") << QByteArray("GET") << QByteArray("/cam/checkImg") << 200 << none
                                  << QByteArray("checkImageDownloaded") << L{};
    QTest::newRow("cam recallPreset")
        << QByteArray("GET") << QByteArray("/cam/recallPreset?presetNum=4&callSpeed=24") << 200 << none
        << QByteArray("recallPreset") << L{4, 24};
    QTest::newRow("cam recallPreset, malformed part last")
        << QByteArray("GET") << QByteArray("/cam/recallPreset?presetNum=4&callSpeed=5&junk") << 200 << none
        << QByteArray("recallPreset") << L{4, 5};
    QTest::newRow("cam connect") << QByteArray("GET") << QByteArray("/cam/connect?camNum=3") << 200 << none
                                 << QByteArray("connectCam") << L{3};
    QTest::newRow("cam connect, not a number") << QByteArray("GET") << QByteArray("/cam/connect?camNum=abc")
                                               << 200 << none << QByteArray("connectCam") << L{0};
    QTest::newRow("cam connect, empty value") << QByteArray("GET") << QByteArray("/cam/connect?camNum=")
                                              << 200 << none << QByteArray("connectCam") << L{0};
    QTest::newRow("cam connect, later pair wins")
        << QByteArray("GET") << QByteArray("/cam/connect?camNum=1&camNum=5") << 200 << none
        << QByteArray("connectCam") << L{5};
    QTest::newRow("cam control") << QByteArray(
        "GET") << QByteArray("/cam/control?controlMethod=2&panSpeed=10&tiltSpeed=7&zoomSpeed=3&focusSpeed=4")
                                 << 200 << none << QByteArray("controlCam") << L{2, 10, 7, 3, 4, 0};
    const QByteArray control
        = "/cam/control?controlMethod=1&panSpeed=10&tiltSpeed=7&zoomSpeed=3&focusSpeed=4";
    QTest::newRow("cam control, shortest lease")
        << QByteArray("GET") << QByteArray(control + "&holdMs=200") << 200 << none << QByteArray("controlCam")
        << L{1, 10, 7, 3, 4, 200};
    QTest::newRow("cam control, longest lease")
        << QByteArray("GET") << QByteArray(control + "&holdMs=5000") << 200 << none
        << QByteArray("controlCam") << L{1, 10, 7, 3, 4, 5000};
    QTest::newRow("cam stopControl") << QByteArray("GET") << QByteArray("/cam/stopControl?controlMethod=4")
                                     << 200 << none << QByteArray("stopControl") << L{4};
    QTest::newRow("cam focusAuto true") << QByteArray("GET") << QByteArray("/cam/focusAuto?focusAuto=true")
                                        << 200 << none << QByteArray("focusAuto") << L{true};
    QTest::newRow("cam focusAuto True is false")
        << QByteArray("GET") << QByteArray("/cam/focusAuto?focusAuto=True") << 200 << none
        << QByteArray("focusAuto") << L{false};
    QTest::newRow("cam getCurrentCamInfo") << QByteArray("GET") << QByteArray("/cam/getCurrentCamInfo") << 200
                                           << none << QByteArray("getCurrentCamInfo") << L{};
    QTest::newRow("cam tally") << QByteArray("GET") << QByteArray("/cam/tally") << 200 << none
                               << QByteArray("getCameraTally") << L{};

    // The router's own answers.
    QTest::newRow("POST on an existing path") << QByteArray("POST") << QByteArray("/cam/settings") << 400
                                              << QByteArray("Only 'Get' Method Allowed.") << none << L{};
    QTest::newRow("HEAD") << QByteArray("HEAD") << QByteArray("/cam/settings") << 400 << QByteArray() << none
                          << L{};
    QTest::newRow("control without query")
        << QByteArray("GET") << QByteArray("/cam/control") << 400 << mismatch << none << L{};
    QTest::newRow("control with only controlMethod")
        << QByteArray("GET") << QByteArray("/cam/control?controlMethod=2") << 400 << mismatch << none << L{};
    for (const char *holdMs :
         {"199", "5001", "0", "-300", "1000.5", "1e3", "abc", "", "0x3e8", "99999999999"}) {
        QTest::newRow(qPrintable(QStringLiteral("cam control, lease %1").arg(QLatin1String(holdMs))))
            << QByteArray("GET") << QByteArray(control + "&holdMs=" + holdMs) << 400 << mismatch << none
            << L{};
    }
    QTest::newRow("malformed part before a parameter")
        << QByteArray("GET") << QByteArray("/cam/recallPreset?presetNum=4&junk&callSpeed=5") << 400
        << mismatch << none << L{};
    QTest::newRow("part with two equals signs")
        << QByteArray("GET") << QByteArray("/cam/recallPreset?presetNum=4&callSpeed=5=6") << 400 << mismatch
        << none << L{};
    QTest::newRow("escaped ampersand does not split")
        << QByteArray("GET") << QByteArray("/cam/recallPreset?presetNum=4%26callSpeed%3D5") << 400 << mismatch
        << none << L{};
    QTest::newRow("unknown path") << QByteArray("GET") << QByteArray("/nothing") << 404 << notFound << none
                                  << L{};
    QTest::newRow("trailing slash") << QByteArray("GET") << QByteArray("/camera/") << 404 << notFound << none
                                    << L{};
    QTest::newRow("capital letter") << QByteArray("GET") << QByteArray("/Camera") << 404 << notFound << none
                                    << L{};
    QTest::newRow("api path with trailing slash")
        << QByteArray("GET") << QByteArray("/cam/settings/") << 404 << notFound << none << L{};
}

void tst_HttpServerWrapper::apiRoutes()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, signal);
    QFETCH(QVariantList, arguments);

    const Reply reply = request(method, target, method == "POST" ? QByteArray("x=1") : QByteArray());
    QCOMPARE(reply.status, status);

    int emitted = 0;
    for (const auto &spy : m_spies)
        emitted += int(spy->count());

    if (signal.isEmpty()) {
        QCOMPARE(emitted, 0);
        if (method != "HEAD")
            QCOMPARE(reply.body, body);
        if (status == 400 && method != "GET") {
            QVERIFY2(!reply.hasContentType, reply.contentType.constData());
        } else {
            QCOMPARE(reply.contentType, QByteArray("application/json"));
        }
        return;
    }

    QCOMPARE(emitted, 1);
    QCOMPARE(m_answerer.lastSignal, signal);
    QSignalSpy *spy = nullptr;
    for (const auto &candidate : m_spies) {
        if (candidate->count() == 1)
            spy = candidate.get();
    }
    QVERIFY(spy);
    const QList<QVariant> received = spy->takeFirst();
    QCOMPARE(received.size(), arguments.size() + 1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QVariant &got = received.at(i + 1);
        const QVariant &want = arguments.at(i);
        if (want.typeId() == QMetaType::Double) {
            QCOMPARE(got.typeId(), int(QMetaType::Double));
            QCOMPARE(got.toDouble(), want.toDouble());
        } else if (want.typeId() == QMetaType::Int) {
            QCOMPARE(got.typeId(), int(QMetaType::Int));
            QCOMPARE(got.toInt(), want.toInt());
        } else if (want.typeId() == QMetaType::Bool) {
            QCOMPARE(got.typeId(), int(QMetaType::Bool));
            QCOMPARE(got.toBool(), want.toBool());
        } else {
            QCOMPARE(got.toString(), want.toString());
        }
    }

    // The answer given inside the signal is the one the client gets.
    QCOMPARE(reply.contentType, QByteArray("application/json"));
    const QJsonObject json = QJsonDocument::fromJson(reply.body).object();
    QCOMPARE(json.value("signal").toString(), QString::fromLatin1(signal));
    QCOMPARE(json.value("status").toString(), QString("OK"));
}

void tst_HttpServerWrapper::pages_data()
{
    QTest::addColumn<bool>("storedDark");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("page"); // empty: the not-found answer
    QTest::addColumn<bool>("darkAfter");

    QTest::newRow("stored dark") << true << QByteArray("/") << 200 << "dark/dark-both.html" << true;
    QTest::newRow("stored light") << false << QByteArray("/") << 200 << "light/light-both.html" << false;
    QTest::newRow("camera, stored light")
        << false << QByteArray("/camera") << 200 << "light/light-camera.html" << false;
    QTest::newRow("switcher, stored dark")
        << true << QByteArray("/switcher") << 200 << "dark/dark-switcher.html" << true;
    QTest::newRow("empty query uses stored theme")
        << false << QByteArray("/?") << 200 << "light/light-both.html" << false;
    QTest::newRow("theme light switches")
        << true << QByteArray("/?theme=light") << 200 << "light/light-both.html" << false;
    QTest::newRow("theme dark switches")
        << false << QByteArray("/camera?theme=dark") << 200 << "dark/dark-camera.html" << true;
    QTest::newRow("theme among other parameters")
        << true << QByteArray("/switcher?a=b&theme=light") << 200 << "light/light-switcher.html" << false;
    QTest::newRow("query without theme") << true << QByteArray("/camera?foo=1") << 404 << QString() << true;
    QTest::newRow("theme with capital letter")
        << false << QByteArray("/camera?theme=Dark") << 404 << QString() << false;
    QTest::newRow("empty theme") << true << QByteArray("/?theme=") << 404 << QString() << true;
    QTest::newRow("theme after a malformed part")
        << true << QByteArray("/?junk&theme=light") << 404 << QString() << true;
}

void tst_HttpServerWrapper::pages()
{
    QFETCH(bool, storedDark);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QString, page);
    QFETCH(bool, darkAfter);

    m_settings->setUseDarkTheme(storedDark);
    const Reply reply = request("GET", target);
    QCOMPARE(reply.status, status);
    if (page.isEmpty()) {
        QCOMPARE(reply.contentType, QByteArray("application/json"));
        QCOMPARE(reply.body, QByteArray("Page Not Found!"));
    } else {
        QCOMPARE(reply.contentType, QByteArray("text/html"));
        const QByteArray expected = resource(page);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(reply.body, expected);
    }
    QCOMPARE(m_settings->useDarkTheme(), darkAfter);

    // The choice outlives the request: a plain request afterwards serves the same theme.
    const Reply next = request("GET", "/");
    QCOMPARE(next.body, resource(darkAfter ? "dark/dark-both.html" : "light/light-both.html"));
}

void tst_HttpServerWrapper::assets_data()
{
    QTest::addColumn<bool>("storedDark");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("file"); // resource name, "snapshot" for the stored picture, empty: empty body
    QTest::addColumn<QByteArray>("body"); // when no file is named

    const QByteArray image = "image/apng";
    QTest::newRow("img") << true << QByteArray("/assets?_type=img&_name=favicon.png") << 200 << image
                         << "assets/favicon.png" << QByteArray();
    QTest::newRow("img, cache parameter ignored")
        << true << QByteArray("/assets?_type=img&_name=favicon.png&_time=17") << 200 << image
        << "assets/favicon.png" << QByteArray();
    QTest::newRow("img missing") << true << QByteArray("/assets?_type=img&_name=missing.png") << 404 << image
                                 << QString() << QByteArray();
    QTest::newRow("css") << true << QByteArray("/assets?_type=css&_name=style.css") << 200
                         << QByteArray("text/css") << "css/style.css" << QByteArray();
    QTest::newRow("js missing") << true << QByteArray("/assets?_type=js&_name=nothing.js") << 404
                                << QByteArray("text/javascript") << QString() << QByteArray();
    QTest::newRow("preset stored") << true << QByteArray("/assets?_type=preset&_name=10.0.0.513.jpg&_time=5")
                                   << 200 << image << "snapshot" << QByteArray();
    QTest::newRow("preset missing, dark") << true << QByteArray("/assets?_type=preset&_name=1.jpg") << 200
                                          << image << "assets/default.png" << QByteArray();
    QTest::newRow("preset missing, light") << false << QByteArray("/assets?_type=preset&_name=1.jpg") << 200
                                           << image << "assets/default-light.png" << QByteArray();
    QTest::newRow("unknown type") << true << QByteArray("/assets?_type=font&_name=a.ttf") << 400
                                  << QByteArray("application/json") << QString()
                                  << QByteArray("Param mismatch");
    QTest::newRow("missing name") << true << QByteArray("/assets?_type=img") << 400
                                  << QByteArray("application/json") << QString()
                                  << QByteArray("Param mismatch");
    QTest::newRow("no query") << true << QByteArray("/assets") << 400 << QByteArray("application/json")
                              << QString() << QByteArray("Param mismatch");

    // Names that leave their folder name no file at all.
    QTest::newRow("img parent step, escaped slash")
        << true << QByteArray("/assets?_type=img&_name=..%2Fdark%2Fdark-both.html") << 404 << image
        << QString() << QByteArray();
    QTest::newRow("css parent step") << true
                                     << QByteArray("/assets?_type=css&_name=..%2F..%2Fhtml%2Fcss%2Fstyle.css")
                                     << 404 << QByteArray("text/css") << QString() << QByteArray();
    QTest::newRow("preset parent step, no default picture")
        << true << QByteArray("/assets?_type=preset&_name=%2F..%2F..%2Fsettings.ini") << 404 << image
        << QString() << QByteArray();
    QTest::newRow("preset backslash")
        << true << QByteArray("/assets?_type=preset&_name=..%5C..%5Csettings.ini") << 404 << image
        << QString() << QByteArray();
    QTest::newRow("preset NUL") << true << QByteArray("/assets?_type=preset&_name=10.0.0.513.jpg%00.png")
                                << 404 << image << QString() << QByteArray();
    QTest::newRow("img parent folder itself")
        << true << QByteArray("/assets?_type=img&_name=..") << 404 << image << QString() << QByteArray();
}

void tst_HttpServerWrapper::assets()
{
    QFETCH(bool, storedDark);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, file);
    QFETCH(QByteArray, body);

    m_settings->setUseDarkTheme(storedDark);
    const QByteArray picture = "\xff\xd8 stored preset picture \xff\xd9";
    QFile stored(DataPaths::downloadsFolder() + "/snapshot_10.0.0.513.jpg");
    QVERIFY(stored.open(QIODevice::WriteOnly));
    stored.write(picture);
    stored.close();

    const Reply reply = request("GET", target);
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.contentType, contentType);
    if (file == QLatin1String("snapshot")) {
        QCOMPARE(reply.body, picture);
    } else if (!file.isEmpty()) {
        const QByteArray expected = resource(file);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(reply.body, expected);
    } else {
        QCOMPARE(reply.body, body);
    }
}

void tst_HttpServerWrapper::replies()
{
    HttpResponse ok;
    HttpServerWrapper::replyOk({{"camIndex", -1}, {"camId", ""}}, &ok);
    QVERIFY(ok.isFinished());
    QCOMPARE(ok.statusCode(), 200);
    QCOMPARE(ok.headers().size(), 1);
    QCOMPARE(ok.headers().first().first, QByteArray("Content-Type"));
    QCOMPARE(ok.headers().first().second, QByteArray("application/json"));
    const QJsonObject expectedOk{{"camIndex", -1}, {"camId", ""}, {"status", "OK"}, {"msg", ""}};
    QCOMPARE(ok.body(), QJsonDocument(expectedOk).toJson(QJsonDocument::Indented));

    HttpResponse failed;
    HttpServerWrapper::replyFailed("Wrong camera settings!", &failed);
    QCOMPARE(failed.statusCode(), 200);
    QCOMPARE(failed.headers().first().second, QByteArray("application/json"));
    const QJsonObject expectedFailed{{"status", "FAILED"}, {"msg", "Wrong camera settings!"}};
    QCOMPARE(failed.body(), QJsonDocument(expectedFailed).toJson(QJsonDocument::Indented));

    // Only the first end counts.
    HttpServerWrapper::replyOk({}, &failed);
    QCOMPARE(failed.body(), QJsonDocument(expectedFailed).toJson(QJsonDocument::Indented));

    // parseQuery keeps the object built before a faulty part and marks it.
    const QJsonObject parsed = HttpServerWrapper::parseQuery("a=1&b&c=3");
    QCOMPARE(parsed, (QJsonObject{{"a", "1"}, {"status", "FAILED"}, {"msg", "The url is not correct"}}));
    QCOMPARE(HttpServerWrapper::parseQuery(""),
             (QJsonObject{{"status", "FAILED"}, {"msg", "The url is not correct"}}));
    QCOMPARE(HttpServerWrapper::parseQuery("k=&n=1+2%2B3"), (QJsonObject{{"k", ""}, {"n", "1 2+3"}}));
}

void tst_HttpServerWrapper::unansweredRequestGets500()
{
    disconnect(m_server.get(), nullptr, &m_answerer, nullptr);
    const Reply reply = request("GET", "/cam/connect?camNum=1");
    QCOMPARE(reply.status, 500);
    int emitted = 0;
    for (const auto &spy : m_spies)
        emitted += int(spy->count());
    QCOMPARE(emitted, 1);

    // A handler that writes but forgets to end does not leave the client waiting either.
    connect(m_server.get(), &HttpServerWrapper::connectCam, this,
            [](HttpResponse *resp, int) { resp->write("partial"); });
    const Reply partial = request("GET", "/cam/connect?camNum=1");
    QCOMPARE(partial.status, 500);
    QCOMPARE(partial.body, QByteArray("Internal Server Error"));
}

void tst_HttpServerWrapper::startAndStop()
{
    QVERIFY(m_server->isListening());
    const quint16 port = m_server->serverPort();
    QVERIFY(port != 0);

    // Already listening: refused, still listening on the same port.
    QVERIFY(!m_server->startServer(Address, 0));
    QVERIFY(m_server->isListening());
    QCOMPARE(m_server->serverPort(), port);
    QCOMPARE(request("GET", "/cam/settings").status, 200);

    m_server->stopServer();
    QVERIFY(!m_server->isListening());
    QCOMPARE(m_server->serverPort(), quint16(0));
    m_server->stopServer(); // stopping a stopped server does nothing
    QTcpSocket probe;
    probe.connectToHost(Address, port);
    // Nothing listens on the port any more: the connection is refused, not accepted and dropped.
    QVERIFY(!probe.waitForConnected(2000));
    QCOMPARE(probe.error(), QAbstractSocket::ConnectionRefusedError);

    // Restart on the same port right away.
    QVERIFY(m_server->startServer(Address, port));
    QCOMPARE(m_server->serverPort(), port);
    QCOMPARE(request("GET", "/cam/settings").status, 200);
    m_server->stopServer();

    // Addresses that cannot be bound.
    QVERIFY(!m_server->startServer("300.1.2.3", 0));
    QVERIFY(!m_server->startServer("", 0));
    QVERIFY(!m_server->isListening());
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress(OtherAddress), 0));
    QVERIFY(!m_server->startServer(OtherAddress, occupant.serverPort()));
    QVERIFY(!m_server->isListening());
    occupant.close();
    QVERIFY(m_server->startServer(OtherAddress, 0));
    QVERIFY(m_server->isListening());
}

void tst_HttpServerWrapper::keepAliveAndClose_data()
{
    QTest::addColumn<QByteArray>("requestHead");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<QByteArray>("connectionHeader");

    QTest::newRow("HTTP/1.1") << QByteArray("GET /cam/checkImg HTTP/1.1\r\nHost: x\r\n\r\n") << true
                              << QByteArray();
    QTest::newRow("HTTP/1.1, stray empty line after the head")
        << QByteArray("GET /cam/checkImg HTTP/1.1\r\nHost: x\r\n\r\n\r\n") << true << QByteArray();
    QTest::newRow("HTTP/1.1 close") << QByteArray(
        "GET /cam/checkImg HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
                                    << false << QByteArray("close");
    QTest::newRow("HTTP/1.0") << QByteArray("GET /cam/checkImg HTTP/1.0\r\n\r\n") << false
                              << QByteArray("close");
    QTest::newRow("HTTP/1.0 keep-alive")
        << QByteArray("GET /cam/checkImg HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n") << true
        << QByteArray("keep-alive");
}

void tst_HttpServerWrapper::keepAliveAndClose()
{
    QFETCH(QByteArray, requestHead);
    QFETCH(bool, staysOpen);
    QFETCH(QByteArray, connectionHeader);

    QTcpSocket socket;
    socket.connectToHost(Address, m_server->serverPort());
    QVERIFY(socket.waitForConnected(5000));
    QByteArray buffer;
    // Sent in two pieces: a head split across reads is still one request.
    socket.write(requestHead.left(7));
    socket.flush();
    QTest::qWait(50);
    socket.write(requestHead.mid(7));
    const RawReply first = readRawReply(socket, buffer);
    QVERIFY(first.complete);
    QCOMPARE(first.statusLine, QByteArray("HTTP/1.1 200 OK"));
    QCOMPARE(first.header("Connection"), connectionHeader);
    QCOMPARE(QJsonDocument::fromJson(first.body).object().value("signal").toString(),
             QString("checkImageDownloaded"));
    if (!staysOpen) {
        QVERIFY(waitClosed(socket));
        return;
    }
    socket.write(requestHead);
    const RawReply second = readRawReply(socket, buffer);
    QVERIFY(second.complete);
    QCOMPARE(second.statusLine, QByteArray("HTTP/1.1 200 OK"));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void tst_HttpServerWrapper::malformedRequests_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("statusLine");
    QTest::addColumn<QByteArray>("body");

    const QByteArray longHead
        = "GET /cam/checkImg HTTP/1.1\r\nHost: x\r\nX-Filler: " + QByteArray(17 * 1024, 'a') + "\r\n\r\n";
    const QByteArray longLine = "GET /cam/connect?camNum=" + QByteArray(17 * 1024, '1') + " HTTP/1.1\r\n";
    QTest::newRow("not HTTP") << QByteArray("HELLO\r\n\r\n") << QByteArray("HTTP/1.1 400 Bad Request")
                              << QByteArray("Bad Request");
    QTest::newRow("unknown version") << QByteArray("GET / HTTP/2.0\r\n\r\n")
                                     << QByteArray("HTTP/1.1 400 Bad Request") << QByteArray("Bad Request");
    QTest::newRow("header without colon")
        << QByteArray("GET / HTTP/1.1\r\nHost x\r\n\r\n") << QByteArray("HTTP/1.1 400 Bad Request")
        << QByteArray("Bad Request");
    QTest::newRow("head too large") << longHead << QByteArray("HTTP/1.1 431 Request Header Fields Too Large")
                                    << QByteArray("Request Header Fields Too Large");
    QTest::newRow("request line too long, unterminated")
        << longLine << QByteArray("HTTP/1.1 431 Request Header Fields Too Large")
        << QByteArray("Request Header Fields Too Large");
    QTest::newRow("GET with a body") << QByteArray(
        "GET /cam/checkImg HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello")
                                     << QByteArray("HTTP/1.1 400 Bad Request") << QByteArray("Bad Request");
    QTest::newRow("GET chunked") << QByteArray(
        "GET /cam/checkImg HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n")
                                 << QByteArray("HTTP/1.1 400 Bad Request") << QByteArray("Bad Request");
    QTest::newRow("bad content length")
        << QByteArray("POST /cam/checkImg HTTP/1.1\r\nContent-Length: -4\r\n\r\n")
        << QByteArray("HTTP/1.1 400 Bad Request") << QByteArray("Bad Request");
    QTest::newRow("POST with a large body")
        << QByteArray("POST /cam/checkImg HTTP/1.1\r\nContent-Length: 10000000\r\n\r\nab")
        << QByteArray("HTTP/1.1 400 Bad Request") << QByteArray("Only 'Get' Method Allowed.");
    QTest::newRow("unknown method") << QByteArray("BREW /cam/checkImg HTTP/1.1\r\n\r\n")
                                    << QByteArray("HTTP/1.1 400 Bad Request")
                                    << QByteArray("Only 'Get' Method Allowed.");
}

void tst_HttpServerWrapper::malformedRequests()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, statusLine);
    QFETCH(QByteArray, body);

    QTcpSocket socket;
    socket.connectToHost(Address, m_server->serverPort());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(bytes);
    QByteArray buffer;
    const RawReply reply = readRawReply(socket, buffer);
    QVERIFY(reply.complete);
    QCOMPARE(reply.statusLine, statusLine);
    QCOMPARE(reply.body, body);
    QCOMPARE(reply.header("Connection"), QByteArray("close"));
    QVERIFY(waitClosed(socket));
    for (const auto &spy : m_spies)
        QCOMPARE(spy->count(), 0);

    // The server itself is unharmed.
    QCOMPARE(request("GET", "/cam/checkImg").status, 200);
}

void tst_HttpServerWrapper::wellFormedLongHeadIsServed()
{
    // Big, but inside the limit: answered as usual, on a connection that stays usable.
    QTcpSocket socket;
    socket.connectToHost(Address, m_server->serverPort());
    QVERIFY(socket.waitForConnected(5000));
    const QByteArray name = QByteArray(6000, 'n');
    socket.write("GET /vmix/setPreview?sourceName=" + name
                 + " HTTP/1.1\r\nHost: x\r\nX-Filler: " + QByteArray(8000, 'f') + "\r\n\r\n");
    QByteArray buffer;
    const RawReply reply = readRawReply(socket, buffer);
    QVERIFY(reply.complete);
    QCOMPARE(reply.statusLine, QByteArray("HTTP/1.1 200 OK"));
    QCOMPARE(m_spies.size(), RouteSignals);
    QCOMPARE(m_answerer.lastSignal, QByteArray("vmixSetPreview"));
    socket.write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
    QVERIFY(readRawReply(socket, buffer).complete);
}

void tst_HttpServerWrapper::idleConnectionIsClosed()
{
    HttpLimits limits;
    limits.idleTimeoutMsecs = 300;
    m_spies.clear();
    m_server = startedServer(limits);
    QVERIFY(m_server);
    connectAll(m_server.get());

    // Idle after an answer.
    QTcpSocket idle;
    idle.connectToHost(Address, m_server->serverPort());
    QVERIFY(idle.waitForConnected(5000));
    idle.write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
    QByteArray buffer;
    QVERIFY(readRawReply(idle, buffer).complete);

    // A head that never completes.
    QTcpSocket slow;
    slow.connectToHost(Address, m_server->serverPort());
    QVERIFY(slow.waitForConnected(5000));
    slow.write("GET /cam/checkImg HTTP/1.1\r\nHost: x\r\n");

    // Silent from the start.
    QTcpSocket silent;
    silent.connectToHost(Address, m_server->serverPort());
    QVERIFY(silent.waitForConnected(5000));

    QVERIFY(waitClosed(idle, 10000));
    QVERIFY(waitClosed(slow, 10000));
    QVERIFY(waitClosed(silent, 10000));
    QCOMPARE(m_answerer.lastSignal, QByteArray("checkImageDownloaded"));
    int emitted = 0;
    for (const auto &spy : m_spies)
        emitted += int(spy->count());
    QCOMPARE(emitted, 1);
}

void tst_HttpServerWrapper::connectionCap()
{
    HttpLimits limits;
    limits.maxConnections = 2;
    m_spies.clear();
    m_server = startedServer(limits);
    QVERIFY(m_server);
    connectAll(m_server.get());

    QTcpSocket first;
    QTcpSocket second;
    QByteArray firstBuffer;
    QByteArray secondBuffer;
    for (QTcpSocket *socket : {&first, &second}) {
        socket->connectToHost(Address, m_server->serverPort());
        QVERIFY(socket->waitForConnected(5000));
        socket->write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
    }
    QVERIFY(readRawReply(first, firstBuffer).complete);
    QVERIFY(readRawReply(second, secondBuffer).complete);

    QTcpSocket third;
    third.connectToHost(Address, m_server->serverPort());
    QVERIFY(third.waitForConnected(5000));
    QByteArray thirdBuffer;
    const RawReply refused = readRawReply(third, thirdBuffer);
    QVERIFY(refused.complete);
    QCOMPARE(refused.statusLine, QByteArray("HTTP/1.1 503 Service Unavailable"));
    QVERIFY(waitClosed(third));

    // The open ones still work; once one closes there is room again.
    first.write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
    QVERIFY(readRawReply(first, firstBuffer).complete);
    second.disconnectFromHost();
    QVERIFY(waitClosed(second));
    QTRY_COMPARE_WITH_TIMEOUT(request("GET", "/cam/checkImg").status, 200, 5000);
}

void tst_HttpServerWrapper::pipelinedRequests_data()
{
    QTest::addColumn<QByteArray>("together");
    QTest::addColumn<QByteArray>("later");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("staysOpen");

    const QByteArray checkImg = "GET /cam/checkImg HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray settings = "GET /cam/settings HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray vmixStatus = "GET /vmix/status?x=1 HTTP/1.1\r\n\r\n";
    const QByteArray longHead
        = "GET /cam/checkImg HTTP/1.1\r\nX-Filler: " + QByteArray(17 * 1024, 'a') + "\r\n\r\n";
    const QString checkImgOk = QStringLiteral("200 checkImageDownloaded");
    const QString settingsOk = QStringLiteral("200 getCameraSettings");
    const QString badRequest = QStringLiteral("400 Bad Request");

    QTest::newRow("good+good") << checkImg + settings << QByteArray() << QStringList{checkImgOk, settingsOk}
                               << true;
    QTest::newRow("good+good+good") << checkImg + vmixStatus + settings << QByteArray()
                                    << QStringList{checkImgOk, "200 getVMixStatus", settingsOk} << true;
    QTest::newRow("good+bad") << checkImg + "HELLO\r\n\r\n"
                              << QByteArray() << QStringList{checkImgOk, badRequest} << false;
    QTest::newRow("good+bad+good") << checkImg + "GET / HTTP/2.0\r\n\r\n" + settings << QByteArray()
                                   << QStringList{checkImgOk, badRequest} << false;
    QTest::newRow("good+head too large")
        << checkImg + longHead << QByteArray()
        << QStringList{checkImgOk, QStringLiteral("431 Request Header Fields Too Large")} << false;
    QTest::newRow("good+unknown path+good")
        << checkImg + "GET /nowhere HTTP/1.1\r\n\r\n" + settings << QByteArray()
        << QStringList{checkImgOk, QStringLiteral("404 Page Not Found!"), settingsOk} << true;
    QTest::newRow("good+partial second")
        << checkImg + settings.left(12) << settings.mid(12) << QStringList{checkImgOk, settingsOk} << true;
    QTest::newRow("good+good+partial third, split in the empty line")
        << checkImg + vmixStatus + settings.left(settings.size() - 1) << settings.right(1)
        << QStringList{checkImgOk, "200 getVMixStatus", settingsOk} << true;
    QTest::newRow("POST with body+good")
        << "POST /cam/checkImg HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello" + settings << QByteArray()
        << QStringList{QStringLiteral("400 Only 'Get' Method Allowed."), settingsOk} << true;
    QTest::newRow("POST with partial body+good")
        << QByteArray("POST /cam/checkImg HTTP/1.1\r\nContent-Length: 5\r\n\r\nhel") << "lo" + settings
        << QStringList{QStringLiteral("400 Only 'Get' Method Allowed."), settingsOk} << true;
    QTest::newRow("good+close+good") << checkImg + "GET /cam/settings HTTP/1.1\r\nConnection: close\r\n\r\n"
                                            + checkImg
                                     << QByteArray() << QStringList{checkImgOk, settingsOk} << false;
}

void tst_HttpServerWrapper::pipelinedRequests()
{
    QFETCH(QByteArray, together);
    QFETCH(QByteArray, later);
    QFETCH(QStringList, answers);
    QFETCH(bool, staysOpen);

    QTcpSocket socket;
    socket.connectToHost(Address, m_server->serverPort());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(together);
    socket.flush();
    if (!later.isEmpty()) {
        QTest::qWait(100);
        socket.write(later);
    }
    QByteArray buffer;
    QStringList got;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const RawReply reply = readRawReply(socket, buffer);
        QVERIFY2(reply.complete, qPrintable(QStringLiteral("answer %1 missing").arg(i + 1)));
        got.append(describe(reply));
    }
    QCOMPARE(got, answers);
    if (!staysOpen) {
        QVERIFY(waitClosed(socket));
        // Nothing after the refusal was answered.
        buffer.append(socket.readAll());
        QCOMPARE(buffer, QByteArray());
        return;
    }
    socket.write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
    const RawReply next = readRawReply(socket, buffer);
    QVERIFY(next.complete);
    QCOMPARE(describe(next), QStringLiteral("200 checkImageDownloaded"));
    QCOMPARE(buffer, QByteArray());
}

void tst_HttpServerWrapper::clientThatNeverReadsIsDropped()
{
    const QByteArray script = resource(QStringLiteral("js/script.js"));
    QVERIFY(script.size() > 10000);
    const QByteArray requestBytes = "GET /assets?_type=js&_name=script.js HTTP/1.1\r\nHost: x\r\n\r\n";

    // A reader beside it, served before and after.
    QTcpSocket reader;
    reader.connectToHost(Address, m_server->serverPort());
    QVERIFY(reader.waitForConnected(5000));
    QByteArray readerBuffer;
    reader.write(requestBytes);
    const RawReply warmUp = readRawReply(reader, readerBuffer);
    QVERIFY(warmUp.complete);
    QCOMPARE(warmUp.body, script);
    const qint64 before = residentKib();
    QVERIFY(before > 0);

    // A raw socket that sends request after request and never reads a byte.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    QVERIFY(fd >= 0);
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = htons(m_server->serverPort());
    ::inet_pton(AF_INET, Address.toLatin1().constData(), &server.sin_addr);
    ::connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server);

    // Far more answers than the program could hold if it kept queueing them: 4000 x 22 KB.
    const int requests = 4000;
    QByteArray pending;
    for (int i = 0; i < requests; ++i)
        pending.append(requestBytes);
    qint64 sent = 0;
    qint64 peak = before;
    bool dropped = false;
    QElapsedTimer timer;
    timer.start();
    while (!dropped && timer.elapsed() < 25000) {
        if (sent < pending.size()) {
            const ssize_t n
                = ::send(fd, pending.constData() + sent, size_t(pending.size() - sent), MSG_NOSIGNAL);
            if (n > 0)
                sent += n;
            else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINPROGRESS
                     && errno != ENOTCONN)
                dropped = true;
        } else {
            // Everything is sent: a reset shows as an error on an empty write.
            const ssize_t n = ::send(fd, "", 0, MSG_NOSIGNAL);
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            dropped = n < 0 || error != 0;
        }
        peak = qMax(peak, residentKib());
        QTest::qWait(20);
    }
    ::close(fd);
    QVERIFY2(dropped, "the connection that never reads is still open");
    // It was not simply fed all it asked for.
    QVERIFY(sent < pending.size() || timer.elapsed() >= 9000);
    QVERIFY2(peak - before < 16 * 1024,
             qPrintable(QStringLiteral("memory grew by %1 KiB").arg(peak - before)));

    reader.write(requestBytes);
    const RawReply after = readRawReply(reader, readerBuffer);
    QVERIFY(after.complete);
    QCOMPARE(after.body, script);
}

void tst_HttpServerWrapper::connectionCapPerAddress()
{
    const QHostAddress busyHost(QStringLiteral("127.0.0.5"));
    const QHostAddress otherHost(QStringLiteral("127.0.0.6"));
    const int perAddress = HttpLimits().maxConnectionsPerAddress;
    QCOMPARE(perAddress, 32);

    std::vector<std::unique_ptr<QTcpSocket>> busy;
    for (int i = 0; i < 40; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QVERIFY(socket->bind(busyHost));
        socket->connectToHost(Address, m_server->serverPort());
        QVERIFY(socket->waitForConnected(5000));
        busy.push_back(std::move(socket));
    }
    // While the busy host sits on its connections, another host is served.
    QTcpSocket other;
    QVERIFY(other.bind(otherHost));
    other.connectToHost(Address, m_server->serverPort());
    QVERIFY(other.waitForConnected(5000));
    other.write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
    QByteArray otherBuffer;
    const RawReply served = readRawReply(other, otherBuffer);
    QVERIFY(served.complete);
    QCOMPARE(served.statusLine, QByteArray("HTTP/1.1 200 OK"));

    // Exactly the connections beyond the cap got 503 and were closed; the others are served.
    QTest::qWait(200);
    int refused = 0;
    std::vector<QTcpSocket *> open;
    for (const auto &socket : busy) {
        if (socket->bytesAvailable() > 0 || socket->state() != QAbstractSocket::ConnectedState) {
            QByteArray buffer;
            const RawReply reply = readRawReply(*socket, buffer);
            QVERIFY(reply.complete);
            QCOMPARE(reply.statusLine, QByteArray("HTTP/1.1 503 Service Unavailable"));
            QVERIFY(waitClosed(*socket));
            ++refused;
        } else {
            open.push_back(socket.get());
        }
    }
    QCOMPARE(refused, 40 - perAddress);
    for (QTcpSocket *socket : open) {
        socket->write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
        QByteArray buffer;
        const RawReply reply = readRawReply(*socket, buffer);
        QVERIFY(reply.complete);
        QCOMPARE(reply.statusLine, QByteArray("HTTP/1.1 200 OK"));
    }

    // Once one of them goes there is room for the busy host again.
    open.front()->disconnectFromHost();
    QVERIFY(waitClosed(*open.front()));
    QTcpSocket again;
    QVERIFY(again.bind(busyHost));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            again.abort();
            again.connectToHost(Address, m_server->serverPort());
            if (!again.waitForConnected(2000))
                return false;
            again.write("GET /cam/checkImg HTTP/1.1\r\n\r\n");
            QByteArray buffer;
            return readRawReply(again, buffer).statusLine == QByteArray("HTTP/1.1 200 OK");
        }(),
        5000);
}

QTEST_MAIN(tst_HttpServerWrapper)

#include "tst_httpserverwrapper.moc"
