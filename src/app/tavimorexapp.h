#pragma once

#include "appservices.h"

#include <QApplication>
#include <QList>

class AppSettings;
class CameraControl;
class CameraWrapper;
class HttpServerWrapper;
class MainWindow;
class ObsWrapper;
class TallyTracker;
class UnixSignalQuitter;
class VMixWrapper;
class WebApi;

// The composition root: owns the settings store, the camera list, the control owner, the web server and
// its API, the switcher links and the main window, builds them in a fixed order and tears them down in a
// fixed order.
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
    QStringList obsScenes() const override;
    QStringList vmixInputs() const override;

    MainWindow *mainWindow() const;
    HttpServerWrapper *httpServer() const;
    CameraControl *cameraControl() const;
    WebApi *webApi() const;
    TallyTracker *tallyTracker() const;

public Q_SLOTS:
    void onCameraError(const QString &errMsg);

private:
    void recordFirstCameraList();
    // Tells the tally owner the cameras of the list and every camera its state.
    void refreshTally();

    QList<CameraWrapper *> m_cameras;
    CameraControl *m_control = nullptr;
    MainWindow *m_mainWindow = nullptr;
    AppSettings *m_settings = nullptr;
    HttpServerWrapper *m_httpServer = nullptr;
    WebApi *m_webApi = nullptr;
    VMixWrapper *m_vmixLink = nullptr;
    ObsWrapper *m_obsLink = nullptr;
    TallyTracker *m_tally = nullptr;
    UnixSignalQuitter *m_signalQuitter = nullptr;
};
