#include "appsettings.h"
#include "fakeobs5server.h"
#include "fakevmix.h"
#include "httpserverwrapper.h"
#include "tavimorexapp.h"
#include "testdatahome.h"
#include "webserversettings.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

const QString LaunchAddress = QStringLiteral("127.0.3.3");
// The OBS and vMix the program's links talk to.
const QString ObsAddress = QStringLiteral("127.0.3.4");
const QString VMixAddress = QStringLiteral("127.0.3.5");
constexpr int LinkWaitMs = 5000;
const QString FailureText
    = QStringLiteral("Can not turn on Http Server. Please check NIC and port number settings.");

// What the interface list must offer, worked out independently of the dialog.
QStringList reachableIPv4Addresses()
{
    QStringList addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!(interface.flags() & QNetworkInterface::IsUp)
            || (interface.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                addresses.append(entry.ip().toString());
        }
    }
    return addresses;
}

QStringList items(const QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}

} // namespace

// Closes every modal message box as soon as it shows and keeps its title and text, so a test can both
// run code that opens one and check what it said.
class BoxWatcher : public QObject
{
    Q_OBJECT

public:
    BoxWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, &BoxWatcher::check);
        m_timer.start(20);
    }

    QStringList titles;
    QStringList texts;

private:
    void check()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        titles.append(box->windowTitle());
        texts.append(box->text());
        box->done(QMessageBox::Ok);
    }

    QTimer m_timer;
};

class tst_WebServerSettings : public QObject
{
    Q_OBJECT

public:
    tst_WebServerSettings(TavimorexApp *app, FakeObs5Server *obs, FakeVMix *vmix)
        : m_app(app), m_obs(obs), m_vmix(vmix)
    {}

private Q_SLOTS:
    void init();
    void cleanup();

    void serverStartsWithTheProgram();
    void form();
    void interfaceList();
    void loadsStoredValues_data();
    void loadsStoredValues();
    void copyUsesStoredValues();
    void saveStoresValues_data();
    void saveStoresValues();
    void saveRestartsServerTwice();
    void saveReplacesStoredAnyAddress();
    void failedRestartShowsBox();

private:
    QJsonObject getJson(const QString &url);
    void expectVmixPolls(bool polled);
    bool needsInterface();

    TavimorexApp *m_app;
    FakeObs5Server *m_obs;
    FakeVMix *m_vmix;
    AppSettings *m_settings = nullptr;
    BoxWatcher *m_boxes = nullptr;
    QNetworkAccessManager m_network;
};

void tst_WebServerSettings::init()
{
    m_settings = m_app->settings();
    m_boxes = new BoxWatcher;
}

void tst_WebServerSettings::cleanup()
{
    delete m_boxes;
    m_boxes = nullptr;
    m_network.clearConnectionCache();
}

QJsonObject tst_WebServerSettings::getJson(const QString &url)
{
    QNetworkReply *reply = m_network.get(QNetworkRequest(QUrl(url)));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(10000)) {
        reply->abort();
        reply->deleteLater();
        return QJsonObject();
    }
    const QJsonObject json = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    return json;
}

void tst_WebServerSettings::expectVmixPolls(bool polled)
{
    const int before = m_vmix->stateRequestCount();
    if (polled) {
        QTRY_VERIFY_WITH_TIMEOUT(m_vmix->stateRequestCount() > before, LinkWaitMs);
        return;
    }
    QTest::qWait(3 * 500);
    QCOMPARE(m_vmix->stateRequestCount(), before);
}

bool tst_WebServerSettings::needsInterface()
{
    return !reachableIPv4Addresses().isEmpty();
}

void tst_WebServerSettings::serverStartsWithTheProgram()
{
    // main() stored startuponlaunch with an address and port 0 before the application was built.
    HttpServerWrapper *server = m_app->httpServer();
    QVERIFY(server);
    QVERIFY(server->isListening());
    const QString base = QStringLiteral("http://%1:%2").arg(LaunchAddress).arg(server->serverPort());

    // The application's slots answer through the router.
    // The OBS link was made from the stored settings (the defaults here) and answers with its own values.
    const QJsonObject obs = getJson(base + "/obs/settings");
    QCOMPARE(obs.value("status").toString(), QString("OK"));
    QCOMPARE(obs.value("obsIp").toString(), m_settings->obsIp());
    QCOMPARE(obs.value("obsPort").toInt(), m_settings->obsPort());
    QVERIFY(!obs.contains("obsPwd"));

    const QJsonObject vmix = getJson(base + "/vmix/status");
    QCOMPARE(vmix.value("status").toString(), QString("OK"));
    QVERIFY(vmix.value("inputs").isArray());
    QCOMPARE(vmix.value("isPlayListOn").toBool(true), false);
    QVERIFY(m_boxes->texts.isEmpty());
}

void tst_WebServerSettings::form()
{
    WebServerSettings dialog;
    QCOMPARE(dialog.objectName(), QString("webserversettings"));
    QCOMPARE(dialog.windowTitle(), QString("Web Server Setting"));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    auto *save = dialog.findChild<QPushButton *>("saveBtn");
    QVERIFY(save);
    QCOMPARE(save->text(), QString("Save && restart the server"));
    QVERIFY(dialog.findChild<QPushButton *>("copyBtn"));
    QCOMPARE(dialog.findChild<QCheckBox *>("startServerUponLanchCheck")->text(),
             QString("Start the web server upon launch"));
    QCOMPARE(dialog.findChild<QCheckBox *>("enableOBSCtrlCheck")->text(), QString("Enable OBS Control"));
    QCOMPARE(dialog.findChild<QCheckBox *>("enableVMixCtrlCheck")->text(), QString("Enable VMix Control"));
    QCOMPARE(dialog.findChild<QLabel *>("label_2")->text(), QString("Server NIC"));
    QCOMPARE(dialog.findChild<QLabel *>("label_3")->text(), QString("Port"));
    QVERIFY(!dialog.findChild<QComboBox *>("nicCmb")->isEditable());
}

void tst_WebServerSettings::interfaceList()
{
    WebServerSettings dialog;
    const QStringList offered = items(dialog.findChild<QComboBox *>("nicCmb"));
    QCOMPARE(offered, reachableIPv4Addresses());
    for (const QString &address : offered) {
        const QHostAddress host(address);
        QCOMPARE(host.protocol(), QAbstractSocket::IPv4Protocol);
        QVERIFY2(!host.isLoopback(), qPrintable(address));
    }
    QVERIFY(!offered.contains("0.0.0.0"));
    QVERIFY(!offered.contains("127.0.0.1"));
}

void tst_WebServerSettings::loadsStoredValues_data()
{
    QTest::addColumn<bool>("storedInList");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("launch");
    QTest::addColumn<bool>("obs");
    QTest::addColumn<bool>("vmix");

    QTest::newRow("listed address") << true << 8123 << true << true << false;
    QTest::newRow("unlisted address") << false << 9000 << false << false << true;
}

void tst_WebServerSettings::loadsStoredValues()
{
    QFETCH(bool, storedInList);
    QFETCH(int, port);
    QFETCH(bool, launch);
    QFETCH(bool, obs);
    QFETCH(bool, vmix);

    const QStringList addresses = reachableIPv4Addresses();
    if (storedInList && addresses.isEmpty())
        QSKIP("no active IPv4 interface on this machine");
    const QString nic = storedInList ? addresses.last() : QStringLiteral("0.0.0.0");
    m_settings->setServerNic(nic);
    m_settings->setServerPortNum(port);
    m_settings->setStartupOnLaunch(launch);
    m_settings->setEnableObsCtrl(obs);
    m_settings->setEnableVmixCtrl(vmix);

    WebServerSettings dialog;
    const QComboBox *combo = dialog.findChild<QComboBox *>("nicCmb");
    if (storedInList)
        QCOMPARE(combo->currentText(), nic);
    else
        QCOMPARE(combo->currentIndex(), addresses.isEmpty() ? -1 : 0);
    QCOMPARE(dialog.findChild<QLineEdit *>("portEdit")->text(), QString::number(port));
    QCOMPARE(dialog.findChild<QCheckBox *>("startServerUponLanchCheck")->isChecked(), launch);
    QCOMPARE(dialog.findChild<QCheckBox *>("enableOBSCtrlCheck")->isChecked(), obs);
    QCOMPARE(dialog.findChild<QCheckBox *>("enableVMixCtrlCheck")->isChecked(), vmix);
    QCOMPARE(dialog.findChild<QLabel *>("serverUrlLbl")->text(),
             QStringLiteral("<a style = 'color:white' href='http://%1:%2'>Click here to visit website</a>")
                 .arg(nic)
                 .arg(port));
}

void tst_WebServerSettings::copyUsesStoredValues()
{
    m_settings->setServerNic("10.1.2.3");
    m_settings->setServerPortNum(8080);
    WebServerSettings dialog;
    dialog.findChild<QLineEdit *>("portEdit")->setText("9999");
    QTest::mouseClick(dialog.findChild<QPushButton *>("copyBtn"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("http://10.1.2.3:8080"));
}

void tst_WebServerSettings::saveStoresValues_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<int>("storedPort");
    QTest::addColumn<bool>("launch");
    QTest::addColumn<bool>("obs");
    QTest::addColumn<bool>("vmix");

    QTest::newRow("all on") << "0" << 0 << true << true << true;
    QTest::newRow("all off") << "0" << 0 << false << false << false;
    QTest::newRow("port not a number") << "eighty" << 0 << true << false << true;
}

void tst_WebServerSettings::saveStoresValues()
{
    QFETCH(QString, portText);
    QFETCH(int, storedPort);
    QFETCH(bool, launch);
    QFETCH(bool, obs);
    QFETCH(bool, vmix);
    if (!needsInterface())
        QSKIP("no active IPv4 interface on this machine");

    // Before saving: OBS connected and polled; vMix polled only when saving must stop it, so that a
    // save that leaves the links alone shows either way. The server has a client connected.
    const int obsConnections = m_obs->connectionCount() + 1;
    m_app->startObsLink();
    QTRY_COMPARE_WITH_TIMEOUT(m_obs->connectionCount(), obsConnections, LinkWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_obs->clientCount(), 1, LinkWaitMs);
    if (vmix)
        m_app->stopVmixLink();
    else
        m_app->startVmixLink();
    expectVmixPolls(!vmix);
    m_settings->setServerNic(LaunchAddress);
    m_settings->setServerPortNum(0);
    m_app->stopHttpServer();
    QVERIFY(m_app->startHttpServer());
    HttpServerWrapper *server = m_app->httpServer();
    QTcpSocket client;
    client.connectToHost(LaunchAddress, server->serverPort());
    QVERIFY(client.waitForConnected(LinkWaitMs));

    m_settings->setServerPortNum(4321);
    WebServerSettings dialog;
    const QString nic = dialog.findChild<QComboBox *>("nicCmb")->currentText();
    dialog.findChild<QLineEdit *>("portEdit")->setText(portText);
    dialog.findChild<QCheckBox *>("startServerUponLanchCheck")->setChecked(launch);
    dialog.findChild<QCheckBox *>("enableOBSCtrlCheck")->setChecked(obs);
    dialog.findChild<QCheckBox *>("enableVMixCtrlCheck")->setChecked(vmix);
    QTest::mouseClick(dialog.findChild<QPushButton *>("saveBtn"), Qt::LeftButton);

    QCOMPARE(m_settings->serverNic(), nic);
    QCOMPARE(m_settings->serverPortNum(), storedPort);
    QCOMPARE(m_settings->startupOnLaunch(), launch);
    QCOMPARE(m_settings->enableObsCtrl(), obs);
    QCOMPARE(m_settings->enableVmixCtrl(), vmix);
    QCOMPARE(dialog.findChild<QLabel *>("serverUrlLbl")->text(),
             QStringLiteral("<a style = 'color:white' href='http://%1:%2'>Click here to visit website</a>")
                 .arg(nic)
                 .arg(storedPort));
    // The server is restarted whatever the launch box says: the old listener let its client go.
    QVERIFY(server->isListening());
    QVERIFY(client.state() == QAbstractSocket::UnconnectedState || client.waitForDisconnected(LinkWaitMs));
    QVERIFY(m_boxes->texts.isEmpty());

    // The OBS link was closed, and opened again only when enabled.
    QTRY_COMPARE_WITH_TIMEOUT(m_obs->connectionCount(), obs ? obsConnections + 1 : obsConnections,
                              LinkWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_obs->clientCount(), obs ? 1 : 0, LinkWaitMs);
    // vMix is polled after saving only when enabled (it was in the other state before).
    expectVmixPolls(vmix);
    m_app->stopVmixLink();
}

void tst_WebServerSettings::saveRestartsServerTwice()
{
    if (!needsInterface())
        QSKIP("no active IPv4 interface on this machine");
    HttpServerWrapper *server = m_app->httpServer();
    QVERIFY(server->isListening()); // still running from the program's start

    WebServerSettings dialog;
    const QString nic = dialog.findChild<QComboBox *>("nicCmb")->currentText();
    dialog.findChild<QLineEdit *>("portEdit")->setText("0");
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(dialog.findChild<QPushButton *>("saveBtn"), Qt::LeftButton);
        QVERIFY2(m_boxes->texts.isEmpty(), qPrintable(m_boxes->texts.join('|')));
        QVERIFY(server->isListening());
        const QJsonObject reply
            = getJson(QStringLiteral("http://%1:%2/obs/status").arg(nic).arg(server->serverPort()));
        QCOMPARE(reply.value("status").toString(), QString("OK"));
    }
}

void tst_WebServerSettings::saveReplacesStoredAnyAddress()
{
    const QStringList addresses = reachableIPv4Addresses();
    if (addresses.isEmpty())
        QSKIP("no active IPv4 interface on this machine");
    m_settings->setServerNic("0.0.0.0");
    m_settings->setServerPortNum(0);
    WebServerSettings dialog;
    QCOMPARE(dialog.findChild<QComboBox *>("nicCmb")->currentText(), addresses.first());
    QTest::mouseClick(dialog.findChild<QPushButton *>("saveBtn"), Qt::LeftButton);
    QCOMPARE(m_settings->serverNic(), addresses.first());
    QVERIFY(m_boxes->texts.isEmpty());
}

void tst_WebServerSettings::failedRestartShowsBox()
{
    if (!needsInterface())
        QSKIP("no active IPv4 interface on this machine");
    WebServerSettings dialog;
    const QString nic = dialog.findChild<QComboBox *>("nicCmb")->currentText();
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress(nic), 0));
    dialog.findChild<QLineEdit *>("portEdit")->setText(QString::number(occupant.serverPort()));
    QTest::mouseClick(dialog.findChild<QPushButton *>("saveBtn"), Qt::LeftButton);

    QCOMPARE(m_boxes->titles, QStringList{"Tavimorex App"});
    QCOMPARE(m_boxes->texts, QStringList{FailureText});
    QVERIFY(!m_app->httpServer()->isListening());
    QCOMPARE(m_settings->serverPortNum(), int(occupant.serverPort()));

    // A port beyond the TCP range is refused the same way instead of wrapping to another port.
    occupant.close();
    dialog.findChild<QLineEdit *>("portEdit")->setText("70000");
    QTest::mouseClick(dialog.findChild<QPushButton *>("saveBtn"), Qt::LeftButton);
    QCOMPARE(m_boxes->texts.size(), 2);
    QVERIFY(!m_app->httpServer()->isListening());

    // The next good save brings it back.
    dialog.findChild<QLineEdit *>("portEdit")->setText("0");
    QTest::mouseClick(dialog.findChild<QPushButton *>("saveBtn"), Qt::LeftButton);
    QCOMPARE(m_boxes->texts.size(), 2);
    QVERIFY(m_app->httpServer()->isListening());
}

int main(int argc, char **argv)
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    {
        // Stored before the program starts: it must start its server by itself.
        AppSettings settings;
        settings.setServerNic(LaunchAddress);
        settings.setServerPortNum(0);
        settings.setStartupOnLaunch(true);
        settings.setObsIp(ObsAddress);
        settings.setVmixIp(VMixAddress);
    }
    TavimorexApp app(argc, argv);
    FakeObs5Server obs;
    FakeVMix vmix;
    if (!obs.listen(QHostAddress(ObsAddress), quint16(app.settings()->obsPort()))
        || !vmix.listen(QHostAddress(VMixAddress), quint16(app.settings()->vmixPort()))) {
        qCritical("cannot listen for the OBS and vMix stand-ins");
        return 1;
    }
    tst_WebServerSettings test(&app, &obs, &vmix);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webserversettings.moc"
