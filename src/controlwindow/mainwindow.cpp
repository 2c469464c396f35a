#include "mainwindow.h"

#include "camerawrapper.h"

#include <QLabel>
#include <QStatusBar>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Tavimorex App - v1.4.1"));
    m_connectionLabel = new QLabel(QStringLiteral("Disconnected"));
    m_connectionLabel->setObjectName(QStringLiteral("connectionLabel"));
    m_connectionLabel->setAlignment(Qt::AlignRight);
    statusBar()->addPermanentWidget(m_connectionLabel, 1);
}

MainWindow::~MainWindow() = default;

CameraWrapper *MainWindow::currentCamera() const
{
    return m_currentCamera;
}

void MainWindow::setCurrentCamera(CameraWrapper *camera)
{
    m_currentCamera = camera;
}

void MainWindow::onCameraConnected()
{
    m_cameraConnected = true;
    m_connectionLabel->setText(QStringLiteral("Connected"));
}

void MainWindow::onCameraDisconnected()
{
    m_cameraConnected = false;
    m_currentCamera = nullptr;
    m_connectionLabel->setText(QStringLiteral("Unconnected"));
}

void MainWindow::onCameraStatusUpdated() {}

void MainWindow::onCameraStateChanged(const QString &stateStr)
{
    // Only the current camera's link state is shown.
    if (!m_currentCamera || sender() != m_currentCamera)
        return;
    m_connectionLabel->setText(stateStr);
}

void MainWindow::onCameraReadOneCycle() {}

void MainWindow::onCameraDownloadFinished(int presetNum)
{
    Q_UNUSED(presetNum)
}

void MainWindow::onCameraNameGetFinished() {}
