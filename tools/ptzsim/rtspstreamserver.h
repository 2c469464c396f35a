#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QImage>
#include <QObject>
#include <QStringList>

#include <memory>

class QTimer;
class RtspMainLoop;
class SimCamera;
struct RtspFeed;
typedef struct _GSource GSource;
typedef struct _GstRTSPServer GstRTSPServer;

// The camera's live video over RTSP on one address: "/1" is the HD stream (1280 x 720), "/2" the SD
// stream (640 x 360), both H.264 over RTP at 15 frames a second (RTP over UDP or interleaved in the
// RTSP connection, as the client asks). They picture what the camera sees (the drawing behind
// /snapshot.jpg) with the stream and the time written on it, so moving the head moves the picture.
// Frames are drawn only while someone watches. Requests are logged as "RTSP <METHOD> <path>",
// connections as "RTSP CONNECT <ip:port>" and "RTSP CLOSE <ip:port>".
class RtspStreamServer : public QObject
{
    Q_OBJECT

public:
    struct Profile
    {
        const char *path;
        int width;
        int height;
        const char *label;
        int kbps;
    };

    RtspStreamServer(const QHostAddress &address,
                     quint16 port,
                     SimCamera *camera,
                     const QString &name,
                     QObject *parent = nullptr);
    ~RtspStreamServer() override;

    // Listens on address:port; false with the reason in error when that fails or a GStreamer element
    // the streams need is not installed (see missingElements()).
    bool start(QString *error);

    // The GStreamer elements the streams need that are not installed (empty when all are there).
    static QStringList missingElements();

private Q_SLOTS:
    // A client started watching a stream.
    void onFeedsChanged();

private:
    void pushFrames();
    void refreshScene();
    QImage frame(int profile, qint64 frameNumber);

    QHostAddress m_address;
    quint16 m_port;
    SimCamera *m_camera;
    QString m_name;
    std::shared_ptr<RtspMainLoop> m_loop;
    std::shared_ptr<RtspFeed> m_feed;
    GstRTSPServer *m_server = nullptr;
    GSource *m_listenSource = nullptr;
    GSource *m_cleanupSource = nullptr;
    QTimer *m_frameTimer;
    QByteArray m_sceneState; // the camera state the scene was drawn for
    QImage m_scene;
    QImage m_scaledScene[2];
    qint64 m_frameNumber = 0;
};
