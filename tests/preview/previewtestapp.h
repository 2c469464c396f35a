#pragma once

#include "appservices.h"
#include "appsettings.h"
#include "tavimorexapp.h"
#include "testdatahome.h"

#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Runs the test object T inside the real application object, started on a fresh data folder without
// its web server.
template<typename T>
int runInTavimorexApp(int argc, char *argv[])
{
    TestDataHome home;
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
    {
        AppSettings store;
        store.setStartupOnLaunch(false);
    }
    TavimorexApp app(argc, argv);
    T test;
    return QTest::qExec(&test, argc, argv);
}

// Empties the application's settings store, so that each test function starts from a first run. Every
// QSettings of the process on the same file shares its contents, the application's included.
inline void clearAppSettings()
{
    QSettings file(appServices()->settings()->fileName(), QSettings::IniFormat);
    file.clear();
    file.sync();
}

// Reads and closes every modal message box the application shows while it lives (the boxes run their
// own event loop, where this timer fires).
class MessageRecorder
{
public:
    MessageRecorder()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            messages.append(box->text());
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QStringList messages;

private:
    QTimer m_timer;
};
