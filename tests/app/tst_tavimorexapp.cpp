#include "appsettings.h"
#include "camerawrapper.h"
#include "ipcamera.h"
#include "mainwindow.h"
#include "tavimorexapp.h"
#include "testdatahome.h"
#include "usbcamera.h"

#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QTest>

#include <memory>

class tst_TavimorexApp : public QObject
{
    Q_OBJECT

public:
    explicit tst_TavimorexApp(TavimorexApp *app)
        : m_app(app)
    {
    }

private Q_SLOTS:
    void firstRunHasEightDefaultCameras();
    void servicesAreReachable();
    void storedListIsCompleted();
    void unknownTypeKeepsItsSlot();
    void rebuildRewiresAndFreesOldCameras();

private:
    void storeCameras(const QList<CameraWrapper *> &cameras) { m_app->settings()->writeCameraList(cameras); }
    QList<QPointer<CameraWrapper>> guarded() const
    {
        QList<QPointer<CameraWrapper>> list;
        for (CameraWrapper *camera : m_app->cameras())
            list.append(camera);
        return list;
    }

    TavimorexApp *m_app;
};

void tst_TavimorexApp::firstRunHasEightDefaultCameras()
{
    const QList<CameraWrapper *> cameras = m_app->cameras();
    QCOMPARE(cameras.size(), 8);
    for (int i = 0; i < 8; ++i) {
        QVERIFY(qobject_cast<IPCamera *>(cameras.at(i)));
        QCOMPARE(cameras.at(i)->cameraName(), QString("Camera%1").arg(i + 1));
        QCOMPARE(cameras.at(i)->cameraId(), QString("0.0.0.0"));
        QCOMPARE(cameras.at(i)->deviceName(), QString("0.0.0.0"));
        QVERIFY(!cameras.at(i)->parent());
    }
    QVERIFY(m_app->mainWindow());
    QVERIFY(m_app->mainWindow()->isVisible());
    QVERIFY(!m_app->mainWindow()->currentCamera());
}

void tst_TavimorexApp::servicesAreReachable()
{
    QCOMPARE(appServices(), static_cast<AppServices *>(m_app));
    QCOMPARE(appServices()->settings(), m_app->settings());
    QCOMPARE(appServices()->cameras(), m_app->cameras());
}

void tst_TavimorexApp::storedListIsCompleted()
{
    std::vector<std::unique_ptr<CameraWrapper>> owned;
    owned.emplace_back(new IPCamera("127.0.6.2", "Stage Left", "0.0.0.0"));
    owned.emplace_back(new USBCamera("PTZ Cam", "Desk", "PTZ Cam"));
    owned.emplace_back(new IPCamera("127.0.6.3", "A very long camera name", "0.0.0.0"));
    storeCameras({owned[0].get(), owned[1].get(), owned[2].get()});

    m_app->loadCameras();
    m_app->connectCameraSignals();
    const QList<CameraWrapper *> cameras = m_app->cameras();
    QCOMPARE(cameras.size(), 8);
    QCOMPARE(cameras.at(0)->cameraName(), QString("Stage Left"));
    QCOMPARE(cameras.at(0)->cameraId(), QString("127.0.6.2"));
    QVERIFY(qobject_cast<USBCamera *>(cameras.at(1)));
    QCOMPARE(cameras.at(1)->cameraId(), QString("PTZ Cam"));
    QCOMPARE(cameras.at(2)->cameraName(), QString("A very long camera name"));
    for (int i = 3; i < 8; ++i) {
        QVERIFY(qobject_cast<IPCamera *>(cameras.at(i)));
        QCOMPARE(cameras.at(i)->cameraName(), QString("Camera%1").arg(i + 1));
        QCOMPARE(cameras.at(i)->cameraId(), QString("0.0.0.0"));
    }
}

void tst_TavimorexApp::unknownTypeKeepsItsSlot()
{
    {
        QSettings file(m_app->settings()->fileName(), QSettings::IniFormat);
        file.beginWriteArray("cameraslist");
        const char *ids[] = {"127.0.6.4", "127.0.6.5", "127.0.6.6"};
        for (int i = 0; i < 3; ++i) {
            file.setArrayIndex(i);
            file.setValue("cameratype", i == 1 ? 7 : 0);
            file.setValue("cameraid", ids[i]);
            file.setValue("cameraname", QString("Stored%1").arg(i + 1));
            file.setValue("devicename", "0.0.0.0");
        }
        file.endArray();
        file.sync();
    }
    m_app->loadCameras();
    const QList<CameraWrapper *> cameras = m_app->cameras();
    QCOMPARE(cameras.size(), 8);
    QCOMPARE(cameras.at(0)->cameraId(), QString("127.0.6.4"));
    // The unknown entry keeps its position with a usable network camera, so the third stays third.
    QVERIFY(qobject_cast<IPCamera *>(cameras.at(1)));
    QCOMPARE(cameras.at(1)->cameraName(), QString("Camera2"));
    QCOMPARE(cameras.at(1)->cameraId(), QString("0.0.0.0"));
    QCOMPARE(cameras.at(2)->cameraId(), QString("127.0.6.6"));
}

void tst_TavimorexApp::rebuildRewiresAndFreesOldCameras()
{
    const QList<QPointer<CameraWrapper>> old = guarded();
    m_app->loadCameras();
    m_app->connectCameraSignals();
    m_app->connectCameraSignals(); // a second call must not double the connections

    // Deferred deletion: the old objects survive until the event loop runs.
    for (const QPointer<CameraWrapper> &camera : old)
        QVERIFY(camera);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<CameraWrapper> &camera : old)
        QVERIFY(!camera);

    MainWindow *window = m_app->mainWindow();
    auto *label = window->findChild<QLabel *>("connectionLabel");
    QVERIFY(label);
    CameraWrapper *camera = m_app->cameras().at(4);
    window->setCurrentCamera(camera);
    Q_EMIT camera->clientStateChanged("Connecting");
    QCOMPARE(label->text(), QString("Connecting"));
    // Another camera's state is not the current camera's.
    Q_EMIT m_app->cameras().at(5)->clientStateChanged("HostLookup");
    QCOMPARE(label->text(), QString("Connecting"));
    window->setCurrentCamera(nullptr);
}

int main(int argc, char **argv)
{
    TestDataHome home;
    TavimorexApp app(argc, argv);
    tst_TavimorexApp test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tavimorexapp.moc"
