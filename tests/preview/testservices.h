#pragma once

#include "appservices.h"
#include "appsettings.h"
#include "camerawrapper.h"

#include <QStringList>

// The application services a preview test needs: a real settings store in the test's data folder, and
// the messages the code under test asked to show, recorded instead of shown.
class TestServices : public AppServices
{
public:
    TestServices() : m_settings(new AppSettings) { setInstance(this); }
    ~TestServices() override { delete m_settings; }

    AppSettings *settings() const override { return m_settings; }
    QList<CameraWrapper *> cameras() const override { return {}; }
    void loadCameras() override {}
    void connectCameraSignals() override {}
    void showMessage(const QString &text) override { messages.append(text); }
    bool startHttpServer() override { return false; }
    bool stopHttpServer() override { return false; }
    bool startObsLink() override { return false; }
    bool stopObsLink() override { return false; }
    bool startVmixLink() override { return false; }
    bool stopVmixLink() override { return false; }

    QStringList messages;

private:
    AppSettings *m_settings;
};
