#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

// Points XDG_DATA_HOME at a fresh temporary folder for the lifetime of the object, so the data folder
// of the program under test is empty at start and never the user's own.
class TestDataHome
{
public:
    TestDataHome()
    {
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    }

    QString path() const { return m_dir.path(); }

    // The program's data folder below the temporary home.
    static QString dataFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
               + QStringLiteral("/tavimorex-controller");
    }

private:
    QTemporaryDir m_dir;
};
