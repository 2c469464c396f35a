#include "mainwindow.h"

#include "appservices.h"
#include "appsettings.h"
#include "boundingboxsettings.h"
#include "camerawrapper.h"
#include "datapaths.h"
#include "previewwin.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QPoint>

namespace {
const char NoCameraMessage[] = "Can not set bounding boxes' property.";
const char SnapshotFailedMessage[] = "Can not take a snap shot.";
constexpr int LiveVideoType = 0;
constexpr int PictureType = 1;
constexpr int ColourType = 2;
constexpr int NoCenter = 0;
constexpr int CrossHairCenter = 1;
constexpr int DiamondCenter = 2;
// The custom presets live in the camera above its nine ordinary presets.
constexpr int CustomPresetBase = 100;
constexpr int CustomPresetCount = 9;

void showMessage(const char *text)
{
    if (AppServices *services = appServices())
        services->showMessage(QString::fromLatin1(text));
}

QString withoutBlanks(QString text)
{
    return text.replace(QLatin1Char(' '), QLatin1Char('_'));
}
} // namespace

void MainWindow::connectBoundingBoxSettings()
{
    BoundingBoxSettings *dlg = m_boundingBoxSettings;
    connect(dlg, &BoundingBoxSettings::takeSnapShotForBackgroundClicked, this,
            &MainWindow::takeSnapShotForBackground);
    connect(dlg, &BoundingBoxSettings::uploadFileForBackgroundClicked, this,
            &MainWindow::uploadFileForBackground);
    connect(dlg, &BoundingBoxSettings::useLiveVideoForBackgroundClicked, this,
            &MainWindow::useLiveVideoForBackground);
    connect(dlg, &BoundingBoxSettings::takeSnapShotForBoundingBoxClicked, this,
            &MainWindow::takeSnapShotForBoundingBox);
    connect(dlg, &BoundingBoxSettings::defaultForBoundingBoxClicked, this,
            &MainWindow::defaultForBoundingBox);
    connect(dlg, &BoundingBoxSettings::setCustomPresetClicked, this, &MainWindow::setCustomPreset);
    connect(dlg, &BoundingBoxSettings::showCrossHairClicked, this, &MainWindow::showCrossHair);
    connect(dlg, &BoundingBoxSettings::showCenterDiamondClicked, this, &MainWindow::showCenterDiamond);
    connect(dlg, &BoundingBoxSettings::removeCenterClicked, this, &MainWindow::removeCenter);
    connect(dlg, &BoundingBoxSettings::resetAllBoxesClicked, this, &MainWindow::resetAllBoxes);
    connect(dlg, &BoundingBoxSettings::chooseColorClicked, this, &MainWindow::chooseColor);
    connect(dlg, &BoundingBoxSettings::showHideBoundingBoxesClicked, this,
            &MainWindow::showHideBoundingBoxes);
    connect(dlg, &BoundingBoxSettings::showHideCurrentBoundingBoxClicked, this,
            &MainWindow::showHideCurrentBoundingBox);
    connect(dlg, &BoundingBoxSettings::showHidePictureInPictureClicked, this,
            &MainWindow::showHidePictureInPicture);
}

QString MainWindow::presetMapSnapshotPath(const QString &cameraId, const QString &suffix)
{
    return QDir(DataPaths::downloadsFolder())
        .filePath(QStringLiteral("snapshot_") + withoutBlanks(cameraId) + withoutBlanks(suffix));
}

QString MainWindow::presetMapCameraId() const
{
    // A connection flag without a current camera (after a camera-list rebuild) is no camera either.
    if (!canSend() || !settings()) {
        showMessage(NoCameraMessage);
        return QString();
    }
    return currentCamera()->cameraId();
}

void MainWindow::takeSnapShotForBackground()
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    DataPaths::ensureFolders();
    const QString path = presetMapSnapshotPath(id, QStringLiteral("_back.png"));
    if (!m_previewWin->takeSnapShot(path)) {
        showMessage(SnapshotFailedMessage);
        return;
    }
    settings()->setSnapshotBackType(id, PictureType);
    settings()->setSnapshotBack(id, path);
    m_previewWin->setBackgroundImage(path);
}

void MainWindow::uploadFileForBackground()
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Choose background image"));
    if (file.isEmpty())
        return;
    settings()->setSnapshotBackType(id, PictureType);
    settings()->setSnapshotBack(id, file);
    m_previewWin->setBackgroundImage(file);
}

void MainWindow::useLiveVideoForBackground()
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    settings()->setSnapshotBackType(id, LiveVideoType);
    m_previewWin->hideBackground();
}

void MainWindow::takeSnapShotForBoundingBox(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    DataPaths::ensureFolders();
    const QString path = presetMapSnapshotPath(id, QStringLiteral("_%1_back.png").arg(curCustomPreset));
    if (!m_previewWin->takeSnapShot(path)) {
        showMessage(SnapshotFailedMessage);
        return;
    }
    settings()->setSnapshotBoxType(id, curCustomPreset, PictureType);
    settings()->setSnapshotBox(id, curCustomPreset, path);
    m_previewWin->setBoxImage(curCustomPreset, path);
}

void MainWindow::defaultForBoundingBox(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    settings()->setSnapshotBoxType(id, curCustomPreset, LiveVideoType);
    m_previewWin->setBoxDefault(curCustomPreset);
}

void MainWindow::setCustomPreset(int curCustomPreset, const QString &title)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    settings()->setCustomPresetTitle(id, curCustomPreset, title);
    currentCamera()->setPreset(curCustomPreset + CustomPresetBase);
    m_previewWin->setBoxTitle(curCustomPreset, title);
}

void MainWindow::showCrossHair(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    settings()->setCenterType(id, curCustomPreset, CrossHairCenter);
    m_previewWin->setBoxCrossHair(curCustomPreset);
}

void MainWindow::showCenterDiamond(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    settings()->setCenterType(id, curCustomPreset, DiamondCenter);
    m_previewWin->setBoxCenterDiamond(curCustomPreset);
}

void MainWindow::removeCenter(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    settings()->setCenterType(id, curCustomPreset, NoCenter);
    m_previewWin->removeBoxCenter(curCustomPreset);
}

void MainWindow::resetAllBoxes()
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    // (0, 0) means "at the default spot".
    for (int n = 1; n <= CustomPresetCount; ++n)
        settings()->setCustomPresetPos(id, n, QPoint(0, 0));
    settings()->setPictureInPicturePos(id, QPoint(0, 0));
    m_previewWin->boundingBoxSizeMove();
}

void MainWindow::chooseColor(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    const QColor colour = QColorDialog::getColor(Qt::yellow, this, QString());
    if (!colour.isValid())
        return;
    settings()->setSnapshotBoxColor(id, curCustomPreset, colour);
    settings()->setSnapshotBoxType(id, curCustomPreset, ColourType);
    m_previewWin->setBoxColor(curCustomPreset, colour);
}

void MainWindow::showHideBoundingBoxes()
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    const bool visible = !settings()->wrapperVisibility(id);
    settings()->setWrapperVisibility(id, visible);
    m_previewWin->showHideOverlays(visible);
}

void MainWindow::showHideCurrentBoundingBox(int curCustomPreset)
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    const bool visible = !settings()->boxVisibility(id, curCustomPreset);
    settings()->setBoxVisibility(id, curCustomPreset, visible);
    m_previewWin->setBoxVisible(curCustomPreset, visible);
}

void MainWindow::showHidePictureInPicture()
{
    const QString id = presetMapCameraId();
    if (id.isEmpty())
        return;
    const bool visible = !settings()->pictureInPictureVisibility(id);
    settings()->setPictureInPictureVisibility(id, visible);
    m_previewWin->setPictureInPictureVisible(visible);
}
