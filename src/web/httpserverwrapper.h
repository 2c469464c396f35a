#pragma once

#include "httplimits.h"
#include "httprequest.h"
#include "httpresponse.h"

#include <QAbstractHttpServer>
#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class AppSettings;
class HttpListener;
class QHttpServerRequest;
class QHttpServerResponder;
class QTcpSocket;

// The built-in web server: serves the browser pages and their files, answers malformed requests itself
// and turns every API call into one signal. The connections are its own (HttpListener, HttpConnection):
// the HTTP module of Qt 6.4 parses whatever arrived on a socket in one go, keeping only the last of
// several pipelined requests, and reads on however many answers its client leaves unread, so it could
// neither answer pipelined requests in order nor hold a client that does not read. The module's request
// hooks are still answered by the same router. Each signal carries the response as its first argument; the
// receiver must finish it with end() (replyOk/replyFailed) before it returns. A request whose signal
// nobody answered gets 500 "Internal Server Error", so no request is ever left open.
class HttpServerWrapper : public QAbstractHttpServer
{
    Q_OBJECT

public:
    // Limits of "holdMs" on "/cam/control": a lease shorter than a client's renewal period or longer
    // than a lost client should drive a camera is refused.
    static constexpr int MinHoldMs = 200;
    static constexpr int MaxHoldMs = 5000;

    explicit HttpServerWrapper(AppSettings *settings, QObject *parent = nullptr);
    ~HttpServerWrapper() override;

    // False when already listening or when the address or port cannot be bound.
    bool startServer(const QString &address, quint16 port);
    void stopServer();
    bool isListening() const;
    // The bound port while listening (the chosen one when started with port 0), else 0.
    quint16 serverPort() const;

    // Take effect on the next startServer().
    void setLimits(const HttpLimits &limits);
    HttpLimits limits() const { return m_limits; }

    // Query parameters: split on "&" and "=", each key and value decoded as a form value. A part that is
    // not exactly one key and one value ends the parsing; the result then also holds "status" "FAILED"
    // and "msg" "The url is not correct", which no route reads.
    static QJsonObject parseQuery(const QString &encodedQuery);

    // The two JSON answers of the API: "status" "OK" / "FAILED" and "msg", indented, always HTTP 200.
    static void replyOk(QJsonObject data, HttpResponse *resp);
    static void replyFailed(const QString &msg, HttpResponse *resp);

    // Every path the router answers, sorted.
    static QStringList routePaths();

    // Answers one request as the server does on its connections.
    void route(const HttpRequest &request, HttpResponse *resp);

Q_SIGNALS:
    void getVMixSettings(HttpResponse *resp);
    void getVMixStatus(HttpResponse *resp);
    void vmixSaveReconnect(HttpResponse *resp,
                           const QString &vmixIp,
                           int vmixPort,
                           const QString &vmixId,
                           const QString &vmixPwd);
    void setVMixSourceVolume(HttpResponse *resp, const QString &sourceName, double volume);
    void setVMixSourceMuted(HttpResponse *resp, const QString &sourceName);
    void setVMixMasterVolume(HttpResponse *resp, double volume);
    void setVMixMasterMuted(HttpResponse *resp);
    void vmixToggleStreaming(HttpResponse *resp);
    void vmixToggleRecording(HttpResponse *resp);
    void vmixTogglePlayList(HttpResponse *resp);
    void vmixApplyTransition(HttpResponse *resp, int transition);
    void vmixSetPreview(HttpResponse *resp, const QString &sourceName);
    void getObsStatus(HttpResponse *resp);
    void getObsSettings(HttpResponse *resp);
    void setObsSourceVolume(HttpResponse *resp, const QString &sourceName, double volume);
    void setObsSourceMuted(HttpResponse *resp, const QString &sourceName);
    void obsToggleStreaming(HttpResponse *resp);
    void obsToggleRecording(HttpResponse *resp);
    void obsSetTransition(HttpResponse *resp, const QString &transition);
    void obsSaveReconnect(HttpResponse *resp, const QString &obsIp, int obsPort, const QString &obsPwd);
    void getCameraSettings(HttpResponse *resp);
    void getCurrentCamInfo(HttpResponse *resp);
    void getCameraTally(HttpResponse *resp);
    void saveCameraSettings(HttpResponse *resp, const QString &camListJson);
    void setPreset(HttpResponse *resp, const QString &presetName, int presetNum, bool isUploadImage);
    void recallPreset(HttpResponse *resp, int presetNum, int presetSpeed);
    void connectCam(HttpResponse *resp, int camNum);
    // holdMs: the optional lease of the motion, 0 when the client sends the stop itself.
    void controlCam(HttpResponse *resp,
                    int controlMethod,
                    int panSpeed,
                    int tiltSpeed,
                    int zoomSpeed,
                    int focusSpeed,
                    int holdMs);
    void focusAuto(HttpResponse *resp, bool focusAuto);
    void checkImageDownloaded(HttpResponse *resp);
    void stopControl(HttpResponse *resp, int controlMethod);

protected:
    // The request hook of the HTTP module changed its shape after Qt 6.4.
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;
#else
    bool handleRequest(const QHttpServerRequest &request, QHttpServerResponder &responder) override;
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    void missingHandler(const QHttpServerRequest &request, QHttpServerResponder &&responder) override;
#else
    void missingHandler(const QHttpServerRequest &request, QHttpServerResponder &responder) override;
#endif
#endif

private:
    static HttpRequest fromModuleRequest(const QHttpServerRequest &request);
    void servePage(const QString &encodedQuery, const QString &suffix, HttpResponse *resp);
    void serveAsset(const QString &encodedQuery, HttpResponse *resp);
    bool sendFile(const QString &path, bool useDefaultPicture, HttpResponse *resp);
    bool useDarkTheme() const;

    AppSettings *m_settings = nullptr;
    HttpLimits m_limits;
    QPointer<HttpListener> m_listener;
};
