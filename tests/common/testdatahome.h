#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QList>
#include <QPair>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QtGlobal>

// Points XDG_DATA_HOME at a fresh temporary folder for the lifetime of the object, so the data folder
// of the program under test is empty at start and never the user's own.
class TestDataHome
{
public:
    TestDataHome() { qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit()); }

    QString path() const { return m_dir.path(); }

    // The program's data folder below the temporary home.
    static QString dataFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
               + QStringLiteral("/tavimorex-controller");
    }

    // settings.ini as an operator left it, written before the program starts: top-level keys and the
    // network cameras of the camera list as (address, name). Returns false when the file cannot be written.
    static bool writeStartupSettings(const QVariantMap &values,
                                     const QList<QPair<QString, QString>> &cameras = {})
    {
        // The program's data folder is named after it.
        QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));
        QDir().mkpath(dataFolder());
        QSettings file(dataFolder() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            file.setValue(it.key(), it.value());
        if (!cameras.isEmpty()) {
            file.beginWriteArray(QStringLiteral("cameraslist"));
            for (int i = 0; i < cameras.size(); ++i) {
                file.setArrayIndex(i);
                file.setValue(QStringLiteral("cameratype"), 0);
                file.setValue(QStringLiteral("cameraid"), cameras.at(i).first);
                file.setValue(QStringLiteral("cameraname"), cameras.at(i).second);
                file.setValue(QStringLiteral("devicename"), QStringLiteral("0.0.0.0"));
            }
            file.endArray();
        }
        file.sync();
        return file.status() == QSettings::NoError;
    }

private:
    QTemporaryDir m_dir;
};
