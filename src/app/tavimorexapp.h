#pragma once

#include "appservices.h"
#include "httpresponse.h"

#include <QApplication>
#include <QJsonObject>
#include <QList>

class AppSettings;
class CameraWrapper;
class HttpServerWrapper;
class MainWindow;
class ObsWrapper;
class UnixSignalQuitter;
class VMixWrapper;

// The composition root: owns the settings store, the camera list, the web server, the switcher links
// and the main window, builds them in a fixed order and tears them down in a fixed order.
class TavimorexApp : public QApplication, public AppServices
{
    Q_OBJECT

public:
    TavimorexApp(int &argc, char **argv);
    ~TavimorexApp() override;

    AppSettings *settings() const override;
    QList<CameraWrapper *> cameras() const override;
    void loadCameras() override;
    void clearCameras();
    void connectCameraSignals() override;
    void showMessage(const QString &text) override;
    bool startHttpServer() override;
    bool stopHttpServer() override;
    bool startObsLink() override;
    bool stopObsLink() override;
    bool startVmixLink() override;
    bool stopVmixLink() override;

    MainWindow *mainWindow() const;
    HttpServerWrapper *httpServer() const;

public Q_SLOTS:
    void onCameraError(const QString &errMsg);

    // Web API handlers: each answers its response before it returns.
    void onGetVMixSettings(HttpResponse *resp);
    void onGetVMixStatus(HttpResponse *resp);
    void onVmixSaveReconnect(HttpResponse *resp,
                             const QString &vmixIp,
                             int vmixPort,
                             const QString &vmixId,
                             const QString &vmixPwd);
    void onSetVMixSourceVolume(HttpResponse *resp, const QString &sourceName, double volume);
    void onSetVMixSourceMuted(HttpResponse *resp, const QString &sourceName);
    void onSetVMixMasterVolume(HttpResponse *resp, double volume);
    void onSetVMixMasterMuted(HttpResponse *resp);
    void onVmixToggleStreaming(HttpResponse *resp);
    void onVmixToggleRecording(HttpResponse *resp);
    void onVmixTogglePlayList(HttpResponse *resp);
    void onVmixApplyTransition(HttpResponse *resp, int transition);
    void onVmixSetPreview(HttpResponse *resp, const QString &sourceName);
    void onGetObsStatus(HttpResponse *resp);
    void onGetObsSettings(HttpResponse *resp);
    void onSetObsSourceVolume(HttpResponse *resp, const QString &sourceName, double volume);
    void onSetObsSourceMuted(HttpResponse *resp, const QString &sourceName);
    void onObsToggleStreaming(HttpResponse *resp);
    void onObsToggleRecording(HttpResponse *resp);
    void onObsSetTransition(HttpResponse *resp, const QString &transition);
    void onObsSaveReconnect(HttpResponse *resp, const QString &obsIp, int obsPort, const QString &obsPwd);
    void onGetCameraSettings(HttpResponse *resp);
    void onGetCurrentCamInfo(HttpResponse *resp);
    void onSaveCameraSettings(HttpResponse *resp, const QString &camListJson);
    void onSetPreset(HttpResponse *resp, const QString &presetName, int presetNum, bool isUploadImage);
    void onRecallPreset(HttpResponse *resp, int presetNum, int presetSpeed);
    void onConnectCam(HttpResponse *resp, int camNum);
    void onControlCam(
        HttpResponse *resp, int controlMethod, int panSpeed, int tiltSpeed, int zoomSpeed, int focusSpeed);
    void onFocusAuto(HttpResponse *resp, bool focusAuto);
    void onCheckImageDownloaded(HttpResponse *resp);
    void onStopControl(HttpResponse *resp, int controlMethod);

private:
    void connectHttpServerSignals();
    void replyOk(const QJsonObject &data, HttpResponse *resp);
    void replyFailed(const QString &msg, HttpResponse *resp);
    void recordFirstCameraList();

    QList<CameraWrapper *> m_cameras;
    MainWindow *m_mainWindow = nullptr;
    AppSettings *m_settings = nullptr;
    HttpServerWrapper *m_httpServer = nullptr;
    VMixWrapper *m_vmixLink = nullptr;
    ObsWrapper *m_obsLink = nullptr;
    UnixSignalQuitter *m_signalQuitter = nullptr;
};
