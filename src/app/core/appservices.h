#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class AppSettings;
class CameraWrapper;

// The few services of the application object that windows and dialogs need. The application object
// implements it; everything else reaches it through appServices() and never casts qApp.
class AppServices
{
public:
    virtual ~AppServices();

    virtual AppSettings *settings() const = 0;
    virtual QList<CameraWrapper *> cameras() const = 0;
    virtual void loadCameras() = 0;
    virtual void connectCameraSignals() = 0;
    // A modal box titled "Tavimorex App"; returns when the operator closes it.
    virtual void showMessage(const QString &text) = 0;
    virtual bool startHttpServer() = 0;
    virtual bool stopHttpServer() = 0;
    virtual bool startObsLink() = 0;
    virtual bool stopObsLink() = 0;
    virtual bool startVmixLink() = 0;
    virtual bool stopVmixLink() = 0;
    // What the switcher links know right now, for the tally source choices: OBS's scene names and vMix's
    // input titles (empty until a link has read its lists).
    virtual QStringList obsScenes() const = 0;
    virtual QStringList vmixInputs() const = 0;

    static AppServices *instance();

protected:
    static void setInstance(AppServices *services);
};

inline AppServices *appServices()
{
    return AppServices::instance();
}
