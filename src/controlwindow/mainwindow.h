#pragma once

#include <QMainWindow>

class CameraWrapper;
class QLabel;

// The operator's control window. It keeps the current camera and turns the cameras' signals into
// status text.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    CameraWrapper *currentCamera() const;
    void setCurrentCamera(CameraWrapper *camera);

public Q_SLOTS:
    void onCameraConnected();
    void onCameraDisconnected();
    void onCameraStatusUpdated();
    void onCameraStateChanged(const QString &stateStr);
    void onCameraReadOneCycle();
    void onCameraDownloadFinished(int presetNum);
    void onCameraNameGetFinished();

private:
    CameraWrapper *m_currentCamera = nullptr;
    bool m_cameraConnected = false;
    QLabel *m_connectionLabel = nullptr;
};
