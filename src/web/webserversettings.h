#pragma once

#include "webserversettingsui.h"

#include <QDialog>

// The dialog that chooses the web server's interface and port, whether it starts with the program and
// whether the OBS and vMix links are active. Saving stores the values and restarts the links and the
// server at once; the dialog stays open.
class WebServerSettings : public QDialog
{
    Q_OBJECT

public:
    explicit WebServerSettings(QWidget *parent = nullptr);
    ~WebServerSettings() override;

    // The server's link as the label shows it.
    static QString serverLinkText(const QString &address, int port);

public Q_SLOTS:
    void saveWebServerSettings();
    void copyServerUrl();

private:
    void fillInterfaceList();
    void loadSettings();

    WebServerSettingsUi m_ui;
};
