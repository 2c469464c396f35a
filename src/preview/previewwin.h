#pragma once

#include <QColor>
#include <QDateTime>
#include <QDialog>
#include <QPointer>
#include <QString>

class AbsBack;
class AbsoluteLayout;
class AppSettings;
class BoundingBox;
class CameraWrapper;
class MpvPlayer;
class PictureInPicture;
class QBoxLayout;
class QCheckBox;
class QFrame;
class QMessageBox;
class QPushButton;
class QRadioButton;
class QTimer;

// The live picture of the current camera (its RTSP stream, or the USB camera's video node) with the
// preset map and the picture-in-picture frame on top. Takes snapshots, sends the camera home, switches
// between the camera's two streams, and floats as a window of its own or snaps into the main window.
// It knows the main window only as a plain widget and tells it about closing and snapping by signals.
class PreviewWin : public QDialog
{
    Q_OBJECT

public:
    static constexpr int BoxCount = 9;

    // parent is the main window: the preview starts as a tool window of it, and snaps into the layout
    // given with setSnapLayout().
    explicit PreviewWin(QWidget *parent = nullptr);
    ~PreviewWin() override;

    void setCamera(CameraWrapper *camera);
    CameraWrapper *camera() const;
    void setCameraAvailable(bool available);
    bool isCameraAvailable() const { return m_cameraAvailable; }

    void startPlayback();
    void stopPlayback();
    bool isPlaying() const { return m_playing; }
    // The stream or device being played ("rtsp://192.168.0.88/2", "av://v4l2:/dev/video0"); empty
    // while stopped.
    QString mediaLocation() const;
    // The main picture has shown its first frame since the last start.
    bool hasPicture() const;

    bool isFirstStreamChecked() const;
    void setFirstStreamChecked(bool checked);
    bool isSnapped() const;
    // The main window's layout the preview joins when "Snap" is checked.
    void setSnapLayout(QBoxLayout *layout);

    // Preset map (the current camera's, from the settings).
    void loadPresetMap();
    void loadBox(int n);
    void placeOverlay();
    void fitLayers();
    void showHideOverlays(bool visible);
    void setBoxVisible(int n, bool visible);
    void setBackgroundImage(const QString &path);
    void hideBackground();
    void setBoxImage(int n, const QString &path);
    void setBoxColor(int n, const QColor &colour);
    void setBoxDefault(int n);
    void setBoxTitle(int n, const QString &text);
    void setBoxCrossHair(int n);
    void setBoxCenterDiamond(int n);
    void removeBoxCenter(int n);
    void setPictureInPictureVisible(bool visible);

    // A modal message box titled "Tavimorex" that does not hold up the event loop.
    void showPreviewMessage(const QString &text);

    // "dd-MM-yyyy-hh-mm-ss-zzz.png" for the given local time.
    static QString snapshotFileName(const QDateTime &time);

public Q_SLOTS:
    void boundingBoxSizeMove();
    void hideBoundingBox();
    bool takeSnapShot(const QString &path);
    void onHomeBtnClicked();
    void onStreamChanged();
    void onStartBtnClicked();
    void onStopBtnClicked();
    void onSnapClicked();
    void onPresetCalled(int preset);
    void onTakeSnapShotClicked();

Q_SIGNALS:
    // The operator closed the window (playback has stopped).
    void previewClosed();
    // "Snap" was toggled: the preview is now inside the main window (true) or floats (false).
    void snapChanged(bool snapped);
    // Playback started or stopped.
    void playingChanged(bool playing);
    // The main picture shows its first frame.
    void pictureShown();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void scheduleOverlayRefresh();
    void updatePictureInPicturePlayer();
    void onMainPlayerFailed(const QString &reason);
    void onMainPlayerEnded();
    QString cameraIdOrEmpty() const;
    BoundingBox *box(int n) const;
    AppSettings *settings() const;

    QWidget *m_host;
    QPointer<QBoxLayout> m_snapLayout;
    QPointer<CameraWrapper> m_camera;
    bool m_cameraAvailable = false;
    bool m_playing = false;
    QString m_location;

    QFrame *m_frame = nullptr;
    QPushButton *m_takeSnapShotBtn = nullptr;
    QPushButton *m_startBtn = nullptr;
    QPushButton *m_stopBtn = nullptr;
    QPushButton *m_homeBtn = nullptr;
    QRadioButton *m_firstStream = nullptr;
    QRadioButton *m_secondStream = nullptr;
    QCheckBox *m_snapBox = nullptr;
    QWidget *m_playerWrapper = nullptr;
    AbsoluteLayout *m_overlayLayout = nullptr;
    AbsBack *m_videoLayer = nullptr;
    AbsBack *m_backgroundLayer = nullptr;
    BoundingBox *m_boxes[BoxCount] = {};
    PictureInPicture *m_pictureInPicture = nullptr;

    MpvPlayer *m_mainPlayer;
    MpvPlayer *m_pictureInPicturePlayer;
    QTimer *m_refreshTimer;
    QPointer<QMessageBox> m_message;
};
