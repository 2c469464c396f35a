#include "webserversettings.h"

#include "appservices.h"
#include "appsettings.h"
#include "weblog.h"

#include <QAbstractSocket>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>

WebServerSettings::WebServerSettings(QWidget *parent) : QDialog(parent)
{
    m_ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    connect(m_ui.saveBtn, &QPushButton::clicked, this, &WebServerSettings::saveWebServerSettings);
    connect(m_ui.copyBtn, &QPushButton::clicked, this, &WebServerSettings::copyServerUrl);
    fillInterfaceList();
    loadSettings();
}

WebServerSettings::~WebServerSettings() = default;

QString WebServerSettings::serverLinkText(const QString &address, int port)
{
    return QStringLiteral("<a style = 'color:white' href='http://") + address + QLatin1Char(':')
           + QString::number(port) + QStringLiteral("'>Click here to visit website</a>");
}

void WebServerSettings::fillInterfaceList()
{
    // Only addresses a browser elsewhere on the network can reach: IPv4 of interfaces that are up and
    // not the loop-back.
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                m_ui.nicCmb->addItem(entry.ip().toString());
        }
    }
}

void WebServerSettings::loadSettings()
{
    AppServices *services = appServices();
    if (!services || !services->settings())
        return;
    const AppSettings *settings = services->settings();
    const QString nic = settings->serverNic();
    const int port = settings->serverPortNum();
    const int index = m_ui.nicCmb->findText(nic);
    if (index >= 0)
        m_ui.nicCmb->setCurrentIndex(index);
    m_ui.portEdit->setText(QString::number(port));
    m_ui.startServerUponLanchCheck->setChecked(settings->startupOnLaunch());
    m_ui.serverUrlLbl->setText(serverLinkText(nic, port));
    m_ui.enableOBSCtrlCheck->setChecked(settings->enableObsCtrl());
    m_ui.enableVMixCtrlCheck->setChecked(settings->enableVmixCtrl());
}

void WebServerSettings::saveWebServerSettings()
{
    AppServices *services = appServices();
    if (!services || !services->settings()) {
        qCWarning(lcWeb) << "web server settings cannot be saved without the application";
        return;
    }
    AppSettings *settings = services->settings();

    const QString nic = m_ui.nicCmb->currentText();
    const int port = m_ui.portEdit->text().toInt();
    settings->setServerNic(nic);
    settings->setServerPortNum(port);
    settings->setStartupOnLaunch(m_ui.startServerUponLanchCheck->isChecked());
    m_ui.serverUrlLbl->setText(serverLinkText(nic, port));

    const bool obsEnabled = m_ui.enableOBSCtrlCheck->isChecked();
    const bool vmixEnabled = m_ui.enableVMixCtrlCheck->isChecked();
    settings->setEnableObsCtrl(obsEnabled);
    settings->setEnableVmixCtrl(vmixEnabled);

    services->stopObsLink();
    services->stopVmixLink();
    if (obsEnabled)
        services->startObsLink();
    if (vmixEnabled)
        services->startVmixLink();

    // Stopped first, so a server that is running never refuses its own restart. A failure shows the
    // application's box.
    services->stopHttpServer();
    services->startHttpServer();
}

void WebServerSettings::copyServerUrl()
{
    AppServices *services = appServices();
    if (!services || !services->settings())
        return;
    // The stored values: what the server runs on, not what is being edited.
    const AppSettings *settings = services->settings();
    QGuiApplication::clipboard()->setText(QStringLiteral("http://") + settings->serverNic() + QLatin1Char(':')
                                          + QString::number(settings->serverPortNum()));
}
