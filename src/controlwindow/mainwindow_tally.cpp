// MainWindow: the switchers' tally on the camera buttons and in the status bar.

#include "mainwindow.h"

#include "appservices.h"
#include "camerawrapper.h"
#include "mainwindowstyle.h"
#include "tallytracker.h"

#include <QLabel>
#include <QPushButton>

void MainWindow::setTallyTracker(TallyTracker *tally)
{
    if (m_tally)
        m_tally->disconnect(this);
    m_tally = tally;
    if (tally) {
        connect(tally, &TallyTracker::tallyChanged, this, [this] {
            applyCameraButtonStyles();
            showProgramCameras();
        });
    }
    applyCameraButtonStyles();
    showProgramCameras();
}

void MainWindow::applyCameraButtonStyles()
{
    AppServices *services = appServices();
    const QList<CameraWrapper *> cameras = services ? services->cameras() : QList<CameraWrapper *>();
    for (int n = 1; n <= CameraButtonCount; ++n) {
        TallyState tally = TallyState::Off;
        if (m_tally && n <= cameras.size())
            tally = m_tally->tally(cameras.at(n - 1)->cameraId());
        QPushButton *button = cameraButton(n);
        // Read by tests and style sheets alike.
        button->setProperty("tally", tallyStateName(tally));
        button->setStyleSheet(MainWindowStyle::cameraButtonStyle(n == m_highlightedCamera, tally));
    }
}

void MainWindow::showProgramCameras()
{
    if (!m_tallyLabel)
        return;
    AppServices *services = appServices();
    QStringList names;
    if (m_tally && services) {
        const QStringList onAir = m_tally->programCameraIds();
        for (const CameraWrapper *camera : services->cameras()) {
            if (onAir.contains(camera->cameraId()) && !names.contains(camera->cameraName()))
                names.append(camera->cameraName());
        }
    }
    m_tallyLabel->setText(names.isEmpty() ? QStringLiteral("Program: none")
                                          : QStringLiteral("Program: ") + names.join(QStringLiteral(", ")));
}
