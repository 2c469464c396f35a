#pragma once

#include <QDir>
#include <QString>
#include <QWidget>
#include <QtGlobal>

// Saves a picture of the widget as <name>.png in the folder named by TAVIMOREX_SCREENSHOT_DIR, so a
// reviewer can look at the dialogs; does nothing when the variable is not set.
inline bool saveScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("TAVIMOREX_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    return widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")), "PNG");
}
