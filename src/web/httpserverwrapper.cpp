#include "httpserverwrapper.h"

#include "appsettings.h"
#include "datapaths.h"
#include "httpconnection.h"
#include "httplistener.h"
#include "weblog.h"

#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QStringList>
#include <QTcpSocket>
#include <QUrl>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QHttpHeaders>
#endif

#include <cmath>
#include <optional>

namespace {

const QString HtmlRoot = QStringLiteral(":/tavimorex-assets/html/");
const QByteArray ContentType = QByteArrayLiteral("Content-Type");
const QByteArray JsonType = QByteArrayLiteral("application/json");

using Params = QJsonObject;
using Raise = void (*)(HttpServerWrapper *server, HttpResponse *resp, const Params &params);

QString text(const Params &params, const char *key)
{
    return params.value(QLatin1String(key)).toString();
}

// Not a number gives 0, as the handlers expect.
int toInt(const Params &params, const char *key)
{
    return text(params, key).toInt(nullptr, 10);
}

double toDouble(const Params &params, const char *key)
{
    const double value = text(params, key).toDouble();
    return std::isfinite(value) ? value : 0.0;
}

void replyParamMismatch(HttpResponse *resp);

// The optional "holdMs" of "/cam/control": 0 when absent, nothing when it is not a whole number of
// milliseconds within the lease limits.
std::optional<int> holdTime(const Params &params)
{
    if (!params.contains(QLatin1String("holdMs")))
        return 0;
    bool ok = false;
    const int holdMs = text(params, "holdMs").toInt(&ok, 10);
    if (!ok || holdMs < HttpServerWrapper::MinHoldMs || holdMs > HttpServerWrapper::MaxHoldMs)
        return std::nullopt;
    return holdMs;
}

struct Route
{
    enum Kind { Page, Asset, Api };
    Kind kind = Api;
    QString pageSuffix;
    QStringList required;
    Raise raise = nullptr;
};

Route page(const char *suffix)
{
    return {Route::Page, QLatin1String(suffix), {}, nullptr};
}

Route api(QStringList required, Raise raise)
{
    return {Route::Api, QString(), std::move(required), raise};
}

// Paths are compared exactly and case-sensitively; extra parameters are ignored everywhere.
const QHash<QString, Route> &routeTable()
{
    using S = HttpServerWrapper;
    using R = HttpResponse;
    using P = Params;
    static const QHash<QString, Route> table = {
        {"/", page("-both.html")},
        {"/camera", page("-camera.html")},
        {"/switcher", page("-switcher.html")},
        {"/assets", {Route::Asset, QString(), {}, nullptr}},

        {"/vmix/settings", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getVMixSettings(r); })},
        {"/vmix/status", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getVMixStatus(r); })},
        {"/vmix/saveReconnect", api({"vmixIp", "vmixId", "vmixPwd", "vmixPort"},
                                    [](S *s, R *r, const P &p) {
                                        Q_EMIT s->vmixSaveReconnect(r, text(p, "vmixIp"),
                                                                    toInt(p, "vmixPort"), text(p, "vmixId"),
                                                                    text(p, "vmixPwd"));
                                    })},
        {"/vmix/sourceVolume", api({"sourceName", "volume"},
                                   [](S *s, R *r, const P &p) {
                                       Q_EMIT s->setVMixSourceVolume(r, text(p, "sourceName"),
                                                                     toDouble(p, "volume"));
                                   })},
        {"/vmix/sourceMuted",
         api({"sourceName"},
             [](S *s, R *r, const P &p) { Q_EMIT s->setVMixSourceMuted(r, text(p, "sourceName")); })},
        {"/vmix/masterVolume",
         api({"volume"},
             [](S *s, R *r, const P &p) { Q_EMIT s->setVMixMasterVolume(r, toDouble(p, "volume")); })},
        {"/vmix/masterMuted", api({}, [](S *s, R *r, const P &) { Q_EMIT s->setVMixMasterMuted(r); })},
        {"/vmix/toggleStreaming", api({}, [](S *s, R *r, const P &) { Q_EMIT s->vmixToggleStreaming(r); })},
        {"/vmix/toggleRecording", api({}, [](S *s, R *r, const P &) { Q_EMIT s->vmixToggleRecording(r); })},
        {"/vmix/togglePlayList", api({}, [](S *s, R *r, const P &) { Q_EMIT s->vmixTogglePlayList(r); })},
        {"/vmix/transition",
         api({"transition"},
             [](S *s, R *r, const P &p) { Q_EMIT s->vmixApplyTransition(r, toInt(p, "transition")); })},
        {"/vmix/setPreview",
         api({"sourceName"},
             [](S *s, R *r, const P &p) { Q_EMIT s->vmixSetPreview(r, text(p, "sourceName")); })},

        {"/obs/status", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getObsStatus(r); })},
        {"/obs/settings", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getObsSettings(r); })},
        {"/obs/sourceVolume", api({"sourceName", "volume"},
                                  [](S *s, R *r, const P &p) {
                                      Q_EMIT s->setObsSourceVolume(r, text(p, "sourceName"),
                                                                   toDouble(p, "volume"));
                                  })},
        {"/obs/sourceMuted",
         api({"sourceName"},
             [](S *s, R *r, const P &p) { Q_EMIT s->setObsSourceMuted(r, text(p, "sourceName")); })},
        {"/obs/toggleStreaming", api({}, [](S *s, R *r, const P &) { Q_EMIT s->obsToggleStreaming(r); })},
        {"/obs/toggleRecording", api({}, [](S *s, R *r, const P &) { Q_EMIT s->obsToggleRecording(r); })},
        {"/obs/transition",
         api({"transition"},
             [](S *s, R *r, const P &p) { Q_EMIT s->obsSetTransition(r, text(p, "transition")); })},
        {"/obs/saveReconnect", api({"obsIp", "obsPort", "obsPwd"},
                                   [](S *s, R *r, const P &p) {
                                       Q_EMIT s->obsSaveReconnect(r, text(p, "obsIp"), toInt(p, "obsPort"),
                                                                  text(p, "obsPwd"));
                                   })},

        {"/cam/settings", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getCameraSettings(r); })},
        {"/cam/saveSettings",
         api({"camList"},
             [](S *s, R *r, const P &p) { Q_EMIT s->saveCameraSettings(r, text(p, "camList")); })},
        // The client's own "isUploadImage" is not read: uploading is not offered.
        {"/cam/setPreset", api({"presetNum", "presetName"},
                               [](S *s, R *r, const P &p) {
                                   Q_EMIT s->setPreset(r, text(p, "presetName"), toInt(p, "presetNum"),
                                                       false);
                               })},
        {"/cam/checkImg", api({}, [](S *s, R *r, const P &) { Q_EMIT s->checkImageDownloaded(r); })},
        {"/cam/recallPreset", api({"presetNum", "callSpeed"},
                                  [](S *s, R *r, const P &p) {
                                      Q_EMIT s->recallPreset(r, toInt(p, "presetNum"), toInt(p, "callSpeed"));
                                  })},
        {"/cam/connect",
         api({"camNum"}, [](S *s, R *r, const P &p) { Q_EMIT s->connectCam(r, toInt(p, "camNum")); })},
        {"/cam/control", api({"controlMethod", "panSpeed", "tiltSpeed", "zoomSpeed", "focusSpeed"},
                             [](S *s, R *r, const P &p) {
                                 const std::optional<int> holdMs = holdTime(p);
                                 if (!holdMs) {
                                     replyParamMismatch(r);
                                     return;
                                 }
                                 Q_EMIT s->controlCam(r, toInt(p, "controlMethod"), toInt(p, "panSpeed"),
                                                      toInt(p, "tiltSpeed"), toInt(p, "zoomSpeed"),
                                                      toInt(p, "focusSpeed"), *holdMs);
                             })},
        {"/cam/stopControl",
         api({"controlMethod"},
             [](S *s, R *r, const P &p) { Q_EMIT s->stopControl(r, toInt(p, "controlMethod")); })},
        {"/cam/focusAuto", api({"focusAuto"},
                               [](S *s, R *r, const P &p) {
                                   Q_EMIT s->focusAuto(r, text(p, "focusAuto") == QLatin1String("true"));
                               })},
        {"/cam/getCurrentCamInfo", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getCurrentCamInfo(r); })},
        {"/cam/tally", api({}, [](S *s, R *r, const P &) { Q_EMIT s->getCameraTally(r); })},
    };
    return table;
}

// Static files by "_type": the content type, the folder and whether a missing file falls back to the
// default preset picture. An empty folder means the preset pictures of the data folder.
struct AssetType
{
    const char *type;
    const char *contentType;
    const char *folder;
    bool useDefaultPicture;
};

const AssetType AssetTypes[] = {
    {"img", "image/apng", "assets/", false},
    {"preset", "image/apng", nullptr, true},
    {"js", "text/javascript", "js/", false},
    {"css", "text/css", "css/", false},
};

// "+" is a space and every escape is decoded, as browsers encode form values.
QString formDecode(QStringView text)
{
    if (!text.contains(QLatin1Char('%')) && !text.contains(QLatin1Char('+')))
        return text.toString();
    QByteArray bytes = text.toUtf8();
    bytes.replace('+', ' ');
    return QUrl::fromPercentEncoding(bytes);
}

// A name inside its folder: no separator, no parent step, no NUL that would cut the path short.
bool isPlainFileName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0))
           && name != QLatin1String(".") && name != QLatin1String("..");
}

void reply(HttpResponse *resp, int status, const QByteArray &contentType, const QByteArray &body)
{
    resp->setStatusCode(status);
    if (!contentType.isEmpty())
        resp->addHeader(ContentType, contentType);
    resp->end(body);
}

void replyParamMismatch(HttpResponse *resp)
{
    reply(resp, 400, JsonType, QByteArrayLiteral("Param mismatch"));
}

void replyNotFound(HttpResponse *resp)
{
    reply(resp, 404, JsonType, QByteArrayLiteral("Page Not Found!"));
}

} // namespace

HttpServerWrapper::HttpServerWrapper(AppSettings *settings, QObject *parent)
    : QAbstractHttpServer(parent), m_settings(settings)
{}

HttpServerWrapper::~HttpServerWrapper() = default;

bool HttpServerWrapper::startServer(const QString &address, quint16 port)
{
    if (isListening())
        return false;
    const QHostAddress hostAddress(address);
    if (hostAddress.isNull()) {
        qCWarning(lcWeb) << "not an address to listen on:" << address;
        return false;
    }
    auto *listener = new HttpListener(
        m_limits, [this](const HttpRequest &request, HttpResponse *resp) { route(request, resp); }, this);
    if (!listener->listen(hostAddress, port)) {
        qCWarning(lcWeb) << "cannot listen on" << address << port << listener->errorString();
        delete listener;
        return false;
    }
    m_listener = listener;
    qCDebug(lcWeb) << "listening on" << address << listener->serverPort();
    return true;
}

void HttpServerWrapper::stopServer()
{
    if (!m_listener)
        return;
    m_listener->shutDown();
    // Deferred: a request of one of its connections may be on the stack right now.
    m_listener->deleteLater();
    m_listener = nullptr;
    qCDebug(lcWeb) << "stopped";
}

bool HttpServerWrapper::isListening() const
{
    return m_listener && m_listener->isListening();
}

quint16 HttpServerWrapper::serverPort() const
{
    return isListening() ? m_listener->serverPort() : 0;
}

void HttpServerWrapper::setLimits(const HttpLimits &limits)
{
    m_limits = limits;
}

QJsonObject HttpServerWrapper::parseQuery(const QString &encodedQuery)
{
    QJsonObject params;
    const QStringView query(encodedQuery);
    for (QStringView part : query.split(QLatin1Char('&'))) {
        const QList<QStringView> pieces = part.split(QLatin1Char('='));
        if (pieces.size() != 2) {
            params.insert(QLatin1String("status"), QLatin1String("FAILED"));
            params.insert(QLatin1String("msg"), QLatin1String("The url is not correct"));
            return params;
        }
        params.insert(formDecode(pieces.at(0)), formDecode(pieces.at(1)));
    }
    return params;
}

void HttpServerWrapper::replyOk(QJsonObject data, HttpResponse *resp)
{
    data.insert(QLatin1String("status"), QLatin1String("OK"));
    data.insert(QLatin1String("msg"), QString());
    reply(resp, 200, JsonType, QJsonDocument(data).toJson());
}

void HttpServerWrapper::replyFailed(const QString &msg, HttpResponse *resp)
{
    const QJsonObject data{{QLatin1String("status"), QLatin1String("FAILED")}, {QLatin1String("msg"), msg}};
    reply(resp, 200, JsonType, QJsonDocument(data).toJson());
}

QStringList HttpServerWrapper::routePaths()
{
    QStringList paths = routeTable().keys();
    paths.sort();
    return paths;
}

HttpRequest HttpServerWrapper::fromModuleRequest(const QHttpServerRequest &request)
{
    HttpRequest converted;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        converted.method = QByteArrayLiteral("GET");
        break;
    case QHttpServerRequest::Method::Head:
        converted.method = QByteArrayLiteral("HEAD");
        break;
    default:
        converted.method = QByteArrayLiteral("POST");
        break;
    }
    converted.url = request.url();
    return converted;
}

void HttpServerWrapper::route(const HttpRequest &request, HttpResponse *resp)
{
    if (!request.isGet()) {
        reply(resp, 400, QByteArray(), QByteArrayLiteral("Only 'Get' Method Allowed."));
        return;
    }
    const QUrl &url = request.url;
    const auto &table = routeTable();
    const auto found = table.constFind(url.path(QUrl::FullyDecoded));
    if (found == table.constEnd()) {
        replyNotFound(resp);
        return;
    }
    const Route &route = found.value();
    switch (route.kind) {
    case Route::Page:
        servePage(url.query(QUrl::FullyEncoded), route.pageSuffix, resp);
        return;
    case Route::Asset:
        serveAsset(url.query(QUrl::FullyEncoded), resp);
        return;
    case Route::Api:
        break;
    }

    Params params;
    if (!route.required.isEmpty()) {
        params = parseQuery(url.query(QUrl::FullyEncoded));
        for (const QString &name : route.required) {
            if (!params.contains(name)) {
                replyParamMismatch(resp);
                return;
            }
        }
    }
    route.raise(this, resp, params);
    if (!resp->isFinished()) {
        qCWarning(lcWeb) << "no handler answered" << url.path();
        resp->replace(500, {{ContentType, QByteArrayLiteral("text/plain")}},
                      QByteArrayLiteral("Internal Server Error"));
    }
}

void HttpServerWrapper::servePage(const QString &encodedQuery, const QString &suffix, HttpResponse *resp)
{
    bool dark = useDarkTheme();
    if (!encodedQuery.isEmpty()) {
        const Params params = parseQuery(encodedQuery);
        const QString theme = params.value(QLatin1String("theme")).toString();
        if (!params.contains(QLatin1String("theme"))
            || (theme != QLatin1String("dark") && theme != QLatin1String("light"))) {
            replyNotFound(resp);
            return;
        }
        // The page's theme links switch the program's own theme for good.
        dark = theme == QLatin1String("dark");
        if (m_settings)
            m_settings->setUseDarkTheme(dark);
    }
    const QString file = dark ? QStringLiteral("dark/dark") : QStringLiteral("light/light");
    resp->addHeader(ContentType, QByteArrayLiteral("text/html"));
    sendFile(HtmlRoot + file + suffix, false, resp);
    resp->end();
}

void HttpServerWrapper::serveAsset(const QString &encodedQuery, HttpResponse *resp)
{
    const Params params = parseQuery(encodedQuery);
    if (!params.contains(QLatin1String("_type")) || !params.contains(QLatin1String("_name"))) {
        replyParamMismatch(resp);
        return;
    }
    const QString type = params.value(QLatin1String("_type")).toString();
    const QString name = params.value(QLatin1String("_name")).toString();
    for (const AssetType &asset : AssetTypes) {
        if (type != QLatin1String(asset.type))
            continue;
        resp->addHeader(ContentType, QByteArray(asset.contentType));
        if (!isPlainFileName(name)) {
            qCDebug(lcWeb) << "refusing asset name" << name;
            resp->setStatusCode(404);
        } else {
            const QString path = asset.folder
                                     ? HtmlRoot + QLatin1String(asset.folder) + name
                                     : DataPaths::downloadsFolder() + QStringLiteral("/snapshot_") + name;
            sendFile(path, asset.useDefaultPicture, resp);
        }
        resp->end();
        return;
    }
    replyParamMismatch(resp);
}

bool HttpServerWrapper::sendFile(const QString &path, bool useDefaultPicture, HttpResponse *resp)
{
    QString filePath = path;
    if (useDefaultPicture && !QFile::exists(filePath)) {
        filePath = useDarkTheme() ? HtmlRoot + QStringLiteral("assets/default.png")
                                  : HtmlRoot + QStringLiteral("assets/default-light.png");
    }
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        resp->setStatusCode(404);
        return false;
    }
    resp->setStatusCode(200);
    resp->write(file.readAll());
    file.close();
    return true;
}

bool HttpServerWrapper::useDarkTheme() const
{
    return m_settings ? m_settings->useDarkTheme() : true;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)

bool HttpServerWrapper::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    HttpResponse resp;
    route(fromModuleRequest(request), &resp);
    socket->write(resp.toHttp11(QByteArray(), request.method() != QHttpServerRequest::Method::Head));
    return true;
}

void HttpServerWrapper::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    // Not reached: every request is answered by handleRequest.
    Q_UNUSED(request);
    HttpResponse resp;
    replyNotFound(&resp);
    socket->write(resp.toHttp11(QByteArray()));
}

#else

namespace {

void sendThroughResponder(const HttpResponse &resp, QHttpServerResponder &responder)
{
    const auto status = QHttpServerResponder::StatusCode(resp.statusCode());
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QHttpHeaders headers;
    for (const HttpResponse::Header &header : resp.headers())
        headers.append(header.first, header.second);
    responder.write(resp.body(), headers, status);
#else
    responder.writeStatusLine(status);
    for (const HttpResponse::Header &header : resp.headers())
        responder.writeHeader(header.first, header.second);
    responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(resp.body().size()));
    responder.writeBody(resp.body());
#endif
}

} // namespace

bool HttpServerWrapper::handleRequest(const QHttpServerRequest &request, QHttpServerResponder &responder)
{
    HttpResponse resp;
    route(fromModuleRequest(request), &resp);
    sendThroughResponder(resp, responder);
    return true;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
void HttpServerWrapper::missingHandler(const QHttpServerRequest &request, QHttpServerResponder &&responder)
#else
void HttpServerWrapper::missingHandler(const QHttpServerRequest &request, QHttpServerResponder &responder)
#endif
{
    // Not reached: every request is answered by handleRequest.
    Q_UNUSED(request);
    HttpResponse resp;
    replyNotFound(&resp);
    sendThroughResponder(resp, responder);
}

#endif
