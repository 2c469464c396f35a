#pragma once

#include "httpresponse.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>

class AppSettings;
class CameraControl;
class HttpServerWrapper;
class ObsWrapper;
class TallyTracker;
class VMixWrapper;

// The handlers of the web API. The router raises one signal per route; each handler answers its
// response before it returns. Camera requests go to the control owner exactly as a click in the window
// would, so the API works with no window at all; switcher requests go to the links, whose caches
// answer every read.
class WebApi : public QObject
{
    Q_OBJECT

public:
    WebApi(HttpServerWrapper *server,
           CameraControl *control,
           AppSettings *settings,
           ObsWrapper *obsLink,
           VMixWrapper *vmixLink,
           QObject *parent = nullptr);
    ~WebApi() override;

    // The owner of tally the camera routes report from and store sources to; without one every camera
    // is off and sources go to the settings store alone.
    void setTallyTracker(TallyTracker *tally);

Q_SIGNALS:
    // A new camera list was stored and loaded: the window relabels its camera buttons.
    void cameraListSaved();

public Q_SLOTS:
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
    void onGetCameraTally(HttpResponse *resp);
    void onSaveCameraSettings(HttpResponse *resp, const QString &camListJson);
    void onSetPreset(HttpResponse *resp, const QString &presetName, int presetNum, bool isUploadImage);
    void onRecallPreset(HttpResponse *resp, int presetNum, int presetSpeed);
    void onConnectCam(HttpResponse *resp, int camNum);
    // holdMs 0: no lease, the client sends the stop itself.
    void onControlCam(HttpResponse *resp,
                      int controlMethod,
                      int panSpeed,
                      int tiltSpeed,
                      int zoomSpeed,
                      int focusSpeed,
                      int holdMs);
    void onFocusAuto(HttpResponse *resp, bool focusAuto);
    void onCheckImageDownloaded(HttpResponse *resp);
    void onStopControl(HttpResponse *resp, int controlMethod);

private:
    void connectServerSignals(HttpServerWrapper *server);
    static void replyOk(const QJsonObject &data, HttpResponse *resp);
    static void replyFailed(const QString &msg, HttpResponse *resp);

    CameraControl *m_control = nullptr;
    AppSettings *m_settings = nullptr;
    ObsWrapper *m_obsLink = nullptr;
    VMixWrapper *m_vmixLink = nullptr;
    QPointer<TallyTracker> m_tally;
};
