#include "rtspstreamserver.h"

#include "rtspmainloop.h"
#include "simcamera.h"
#include "simlog.h"
#include "snapshotrenderer.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QPainter>
#include <QPointer>
#include <QTimer>

// GLib names struct members "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>
#pragma pop_macro("signals")

#include <mutex>
#include <utility>
#include <vector>

namespace {
constexpr int FramesPerSecond = 15;

// Index 0 is the first stream, index 1 the second, as the camera numbers them in the URL.
const RtspStreamServer::Profile Profiles[] = {
    {"/1", 1280, 720, "HD", 3000},
    {"/2", SnapshotRenderer::Width, SnapshotRenderer::Height, "SD", 1000},
};
constexpr int ProfileCount = int(sizeof(Profiles) / sizeof(Profiles[0]));

// What the streams are made of; each entry is a GStreamer element factory name.
const char *const RequiredElements[] = {"appsrc", "videoconvert", "x264enc", "rtph264pay"};

QString pipelineDescription(const RtspStreamServer::Profile &profile)
{
    // A live source stamped as frames arrive; the encoder keeps no frames back and sends a key frame
    // every second, with the parameter sets, so a picture lost on the way heals quickly. One
    // encoder thread: zerolatency's sliced threads put several slices in a frame, and FFmpeg's RTP
    // depacketiser then conceals half of each key frame.
    return QStringLiteral("( appsrc name=src is-live=true format=time do-timestamp=true max-buffers=3 "
                          "leaky-type=downstream caps=video/x-raw,format=BGRx,width=%1,height=%2,"
                          "framerate=%3/1 ! videoconvert ! video/x-raw,format=I420 ! x264enc "
                          "tune=zerolatency speed-preset=ultrafast key-int-max=%3 bitrate=%4 threads=1 ! "
                          "rtph264pay name=pay0 pt=96 config-interval=-1 )")
        .arg(profile.width)
        .arg(profile.height)
        .arg(FramesPerSecond)
        .arg(profile.kbps);
}

QString remoteEndpoint(GstRTSPClient *client)
{
    GstRTSPConnection *connection = gst_rtsp_client_get_connection(client);
    if (!connection)
        return QString();
    GSocket *socket = gst_rtsp_connection_get_read_socket(connection);
    GSocketAddress *address = socket ? g_socket_get_remote_address(socket, nullptr) : nullptr;
    if (!address || !G_IS_INET_SOCKET_ADDRESS(address)) {
        if (address)
            g_object_unref(address);
        return QString::fromUtf8(gst_rtsp_connection_get_ip(connection));
    }
    auto *inet = G_INET_SOCKET_ADDRESS(address);
    gchar *ip = g_inet_address_to_string(g_inet_socket_address_get_address(inet));
    const QString text
        = QStringLiteral("%1:%2").arg(QString::fromUtf8(ip)).arg(g_inet_socket_address_get_port(inet));
    g_free(ip);
    g_object_unref(address);
    return text;
}
} // namespace

// What the GLib thread and the Qt thread share: the sources of the streams being watched and the way
// back to the Qt thread. The GLib callbacks hold it by shared pointer, so a late callback never sees
// freed memory; owner is cleared when the server goes.
struct RtspFeed
{
    struct Source
    {
        int profile;
        GstElement *appsrc; // one reference held
    };

    std::mutex mutex;
    QObject *owner = nullptr;
    QString address;
    std::vector<Source> sources;

    // Runs call on the Qt thread while the server exists.
    template<typename Call>
    void post(Call call)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (owner)
            QMetaObject::invokeMethod(owner, std::move(call), Qt::QueuedConnection);
    }

    void log(const QString &text)
    {
        const QString where = address;
        post([where, text] { SimLog::event(where, QStringLiteral("RTSP ") + text); });
    }
};

namespace {
struct FeedProfile
{
    std::shared_ptr<RtspFeed> feed;
    int profile = 0;
};

struct FeedSource
{
    std::shared_ptr<RtspFeed> feed;
    GstElement *appsrc = nullptr; // not referenced: only compared
};

void deleteFeedProfile(gpointer data, GClosure *)
{
    delete static_cast<FeedProfile *>(data);
}

void deleteFeedSource(gpointer data, GClosure *)
{
    delete static_cast<FeedSource *>(data);
}

void deleteFeed(gpointer data, GClosure *)
{
    delete static_cast<std::shared_ptr<RtspFeed> *>(data);
}

void onMediaUnprepared(GstRTSPMedia *, gpointer data)
{
    auto *source = static_cast<FeedSource *>(data);
    GstElement *released = nullptr;
    {
        std::lock_guard<std::mutex> lock(source->feed->mutex);
        auto &sources = source->feed->sources;
        for (auto it = sources.begin(); it != sources.end(); ++it) {
            if (it->appsrc == source->appsrc) {
                released = it->appsrc;
                sources.erase(it);
                break;
            }
        }
    }
    if (released)
        gst_object_unref(released);
}

void onMediaConfigure(GstRTSPMediaFactory *, GstRTSPMedia *media, gpointer data)
{
    auto *configured = static_cast<FeedProfile *>(data);
    GstElement *bin = gst_rtsp_media_get_element(media);
    GstElement *appsrc = gst_bin_get_by_name_recurse_up(GST_BIN(bin), "src");
    gst_object_unref(bin);
    if (!appsrc)
        return;
    auto *unprepared = new FeedSource{configured->feed, appsrc};
    g_signal_connect_data(media, "unprepared", G_CALLBACK(onMediaUnprepared), unprepared, deleteFeedSource,
                          GConnectFlags(0));
    {
        std::lock_guard<std::mutex> lock(configured->feed->mutex);
        configured->feed->sources.push_back({configured->profile, appsrc});
    }
    // Start drawing at once: the client's DESCRIBE waits for the first encoded frame.
    RtspFeed *feed = configured->feed.get();
    std::lock_guard<std::mutex> lock(feed->mutex);
    if (feed->owner)
        QMetaObject::invokeMethod(feed->owner, "onFeedsChanged", Qt::QueuedConnection);
}

GstRTSPStatusCode logRequest(GstRTSPClient *, GstRTSPContext *context, gpointer data, const char *method)
{
    auto *feed = static_cast<std::shared_ptr<RtspFeed> *>(data);
    const QString path = context && context->uri && context->uri->abspath
                             ? QString::fromUtf8(context->uri->abspath)
                             : QString();
    (*feed)->log(QStringLiteral("%1 %2").arg(QLatin1String(method), path));
    return GST_RTSP_STS_OK;
}

GstRTSPStatusCode onPreDescribe(GstRTSPClient *client, GstRTSPContext *context, gpointer data)
{
    return logRequest(client, context, data, "DESCRIBE");
}

GstRTSPStatusCode onPreSetup(GstRTSPClient *client, GstRTSPContext *context, gpointer data)
{
    return logRequest(client, context, data, "SETUP");
}

GstRTSPStatusCode onPrePlay(GstRTSPClient *client, GstRTSPContext *context, gpointer data)
{
    return logRequest(client, context, data, "PLAY");
}

GstRTSPStatusCode onPreTeardown(GstRTSPClient *client, GstRTSPContext *context, gpointer data)
{
    return logRequest(client, context, data, "TEARDOWN");
}

struct ClientLog
{
    std::shared_ptr<RtspFeed> feed;
    QString endpoint;
};

void deleteClientLog(gpointer data, GClosure *)
{
    delete static_cast<ClientLog *>(data);
}

void onClientClosed(GstRTSPClient *, gpointer data)
{
    auto *client = static_cast<ClientLog *>(data);
    client->feed->log(QStringLiteral("CLOSE ") + client->endpoint);
}

void onClientConnected(GstRTSPServer *, GstRTSPClient *client, gpointer data)
{
    auto *feed = static_cast<std::shared_ptr<RtspFeed> *>(data);
    const QString endpoint = remoteEndpoint(client);
    (*feed)->log(QStringLiteral("CONNECT ") + endpoint);
    const std::pair<const char *, GCallback> requests[] = {
        {"pre-describe-request", G_CALLBACK(onPreDescribe)},
        {"pre-setup-request", G_CALLBACK(onPreSetup)},
        {"pre-play-request", G_CALLBACK(onPrePlay)},
        {"pre-teardown-request", G_CALLBACK(onPreTeardown)},
    };
    for (const auto &request : requests) {
        g_signal_connect_data(client, request.first, request.second, new std::shared_ptr<RtspFeed>(*feed),
                              deleteFeed, GConnectFlags(0));
    }
    g_signal_connect_data(client, "closed", G_CALLBACK(onClientClosed), new ClientLog{*feed, endpoint},
                          deleteClientLog, GConnectFlags(0));
}

GstRTSPFilterResult closeClient(GstRTSPServer *, GstRTSPClient *, gpointer)
{
    return GST_RTSP_FILTER_REMOVE;
}

gboolean cleanupSessions(gpointer data)
{
    // Sessions of clients that vanished without a TEARDOWN (UDP transport) end after their timeout.
    GstRTSPSessionPool *pool = gst_rtsp_server_get_session_pool(static_cast<GstRTSPServer *>(data));
    gst_rtsp_session_pool_cleanup(pool);
    g_object_unref(pool);
    return G_SOURCE_CONTINUE;
}
} // namespace

RtspStreamServer::RtspStreamServer(
    const QHostAddress &address, quint16 port, SimCamera *camera, const QString &name, QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_camera(camera)
    , m_name(name)
    , m_feed(std::make_shared<RtspFeed>())
    , m_frameTimer(new QTimer(this))
{
    m_feed->owner = this;
    m_feed->address = address.toString();
    m_frameTimer->setInterval(1000 / FramesPerSecond);
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_frameTimer, &QTimer::timeout, this, &RtspStreamServer::pushFrames);
}

RtspStreamServer::~RtspStreamServer()
{
    {
        std::lock_guard<std::mutex> lock(m_feed->mutex);
        m_feed->owner = nullptr;
    }
    if (m_loop) {
        m_loop->invokeAndWait([this] {
            if (m_listenSource) {
                g_source_destroy(m_listenSource);
                g_source_unref(m_listenSource);
            }
            if (m_cleanupSource) {
                g_source_destroy(m_cleanupSource);
                g_source_unref(m_cleanupSource);
            }
            if (m_server) {
                gst_rtsp_server_client_filter(m_server, closeClient, nullptr);
                g_object_unref(m_server);
            }
        });
    }
    std::vector<RtspFeed::Source> sources;
    {
        std::lock_guard<std::mutex> lock(m_feed->mutex);
        sources.swap(m_feed->sources);
    }
    for (const RtspFeed::Source &source : sources)
        gst_object_unref(source.appsrc);
}

QStringList RtspStreamServer::missingElements()
{
    gst_init(nullptr, nullptr);
    QStringList missing;
    for (const char *name : RequiredElements) {
        GstElementFactory *factory = gst_element_factory_find(name);
        if (factory)
            gst_object_unref(factory);
        else
            missing.append(QString::fromLatin1(name));
    }
    return missing;
}

bool RtspStreamServer::start(QString *error)
{
    const QString where = QStringLiteral("%1:%2").arg(m_address.toString()).arg(m_port);
    const QStringList missing = missingElements();
    if (!missing.isEmpty()) {
        *error = QStringLiteral("cannot serve RTSP on %1: GStreamer elements missing: %2")
                     .arg(where, missing.join(QStringLiteral(", ")));
        return false;
    }
    m_loop = RtspMainLoop::acquire();
    QString failure;
    m_loop->invokeAndWait([this, &failure] {
        m_server = gst_rtsp_server_new();
        gst_rtsp_server_set_address(m_server, m_address.toString().toUtf8().constData());
        gst_rtsp_server_set_service(m_server, QByteArray::number(m_port).constData());
        GstRTSPMountPoints *mounts = gst_rtsp_server_get_mount_points(m_server);
        for (int i = 0; i < ProfileCount; ++i) {
            GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
            gst_rtsp_media_factory_set_launch(factory, pipelineDescription(Profiles[i]).toUtf8().constData());
            // Every client gets an encoding of its own, starting with a key frame, as from a camera. (A
            // shared one would hand a client arriving just as the last one left a stream being torn
            // down.)
            gst_rtsp_media_factory_set_shared(factory, FALSE);
            g_signal_connect_data(factory, "media-configure", G_CALLBACK(onMediaConfigure),
                                  new FeedProfile{m_feed, i}, deleteFeedProfile, GConnectFlags(0));
            gst_rtsp_mount_points_add_factory(mounts, Profiles[i].path, factory);
        }
        g_object_unref(mounts);
        g_signal_connect_data(m_server, "client-connected", G_CALLBACK(onClientConnected),
                              new std::shared_ptr<RtspFeed>(m_feed), deleteFeed, GConnectFlags(0));

        GError *gerror = nullptr;
        m_listenSource = gst_rtsp_server_create_source(m_server, nullptr, &gerror);
        if (!m_listenSource) {
            failure = gerror ? QString::fromUtf8(gerror->message) : QStringLiteral("unknown error");
            if (gerror)
                g_error_free(gerror);
            return;
        }
        g_source_attach(m_listenSource, m_loop->context());
        m_cleanupSource = g_timeout_source_new_seconds(2);
        g_source_set_callback(m_cleanupSource, cleanupSessions, m_server, nullptr);
        g_source_attach(m_cleanupSource, m_loop->context());
    });
    if (!failure.isEmpty()) {
        *error = QStringLiteral("cannot listen for RTSP on %1: %2").arg(where, failure);
        return false;
    }
    return true;
}

void RtspStreamServer::onFeedsChanged()
{
    if (!m_frameTimer->isActive())
        m_frameTimer->start();
    pushFrames();
}

void RtspStreamServer::pushFrames()
{
    std::vector<RtspFeed::Source> targets;
    {
        std::lock_guard<std::mutex> lock(m_feed->mutex);
        for (const RtspFeed::Source &source : m_feed->sources) {
            gst_object_ref(source.appsrc);
            targets.push_back(source);
        }
    }
    if (targets.empty()) {
        // Nobody watches: draw nothing until the next client.
        m_frameTimer->stop();
        return;
    }
    refreshScene();
    ++m_frameNumber;
    QImage frames[ProfileCount];
    for (const RtspFeed::Source &target : targets) {
        // Buffers are stamped with the pipeline's running time as they arrive, which exists only while
        // it plays; a frame pushed before would carry a time the sinks wait for.
        if (GST_STATE(target.appsrc) != GST_STATE_PLAYING) {
            gst_object_unref(target.appsrc);
            continue;
        }
        QImage &picture = frames[target.profile];
        if (picture.isNull())
            picture = frame(target.profile, m_frameNumber);
        const gsize size = gsize(picture.sizeInBytes());
        GstBuffer *buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
        gst_buffer_fill(buffer, 0, picture.constBits(), size);
        gst_app_src_push_buffer(GST_APP_SRC(target.appsrc), buffer);
        gst_object_unref(target.appsrc);
    }
}

void RtspStreamServer::refreshScene()
{
    // Drawing the scene is the expensive part; it changes only with the camera state.
    const QByteArray state = QJsonDocument(m_camera->toJson()).toJson(QJsonDocument::Compact);
    if (state == m_sceneState && !m_scene.isNull())
        return;
    m_sceneState = state;
    m_scene = SnapshotRenderer::render(*m_camera, m_name).convertToFormat(QImage::Format_RGB32);
    for (QImage &scaled : m_scaledScene)
        scaled = QImage();
}

QImage RtspStreamServer::frame(int profile, qint64 frameNumber)
{
    const Profile &p = Profiles[profile];
    QImage &scaled = m_scaledScene[profile];
    if (scaled.isNull()) {
        scaled = m_scene.size() == QSize(p.width, p.height)
                     ? m_scene
                     : m_scene.scaled(p.width, p.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage picture = scaled.copy();
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(p.height / 26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    // Which stream and a running clock: the picture visibly lives even while the head stands still.
    const QString caption = QStringLiteral("RTSP %1 %2 %3x%4  %5  #%6")
                                .arg(QLatin1String(p.path), QLatin1String(p.label))
                                .arg(p.width)
                                .arg(p.height)
                                .arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")))
                                .arg(frameNumber);
    painter.drawText(QRect(0, p.height / 72, p.width - p.width / 80, p.height / 18),
                     Qt::AlignRight | Qt::AlignVCenter, caption);
    painter.end();
    return picture;
}
