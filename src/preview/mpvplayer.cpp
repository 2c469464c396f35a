#include "mpvplayer.h"

#include "previewlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <mpv/client.h>

#include <clocale>

namespace {
struct Option
{
    const char *name;
    const char *value;
    bool required;
};

// Live camera pictures: mpv's low-latency profile (no demuxer buffering, a short stream probe, one
// decoder thread) and every frame shown as soon as it is decoded; no audio; never react to the keyboard
// or the mouse (the window underneath handles them); read no configuration files.
const Option PlayerOptions[] = {
    // The graphics card where there is one; plain X11 drawing otherwise (a virtual machine, a remote
    // desktop), never the drivers that open windows of their own.
    {"vo", "gpu,x11", false},
    // The video is embedded in an X11 window (the program runs on the xcb platform): probing the
    // console's DRM device as well disturbs the program's own X11 connection.
    {"gpu-context", "x11egl", false},
    {"mute", "yes", true},
    {"aid", "no", false},
    {"profile", "low-latency", false},
    {"untimed", "yes", false},
    {"cache", "no", false},
    {"hwdec", "auto-safe", false},
    {"network-timeout", "5", false},
    {"idle", "yes", false},
    {"keep-open", "no", false},
    {"config", "no", false},
    {"terminal", "no", false},
    {"load-scripts", "no", false},
    {"ytdl", "no", false},
    {"osd-level", "0", false},
    {"input-default-bindings", "no", false},
    {"input-vo-keyboard", "no", false},
    {"input-cursor", "no", false},
    {"cursor-autohide", "no", false},
};

// RTSP over the camera's TCP connection passes firewalls and loses no packets; 300 ms is the most the
// demuxer holds back to reorder, the network buffer of the stream. (This list replaces the one of the
// low-latency profile, whose "no buffering" flag it repeats.)
const char RtspDemuxerOptions[] = "rtsp_transport=tcp,max_delay=300000,fflags=+nobuffer";

QString partialFileName(const QFileInfo &target)
{
    const QString suffix = target.suffix();
    return target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".partial")
           + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}
} // namespace

MpvPlayer::MpvPlayer(QObject *parent) : QObject(parent) {}

MpvPlayer::~MpvPlayer()
{
    stop();
}

bool MpvPlayer::setOption(const char *name, const QString &value, bool required)
{
    const int result = mpv_set_option_string(m_handle, name, value.toUtf8().constData());
    if (result >= 0)
        return true;
    if (required) {
        m_errorString = QStringLiteral("mpv refused the option %1=%2: %3")
                            .arg(QLatin1String(name), value, QString::fromUtf8(mpv_error_string(result)));
        return false;
    }
    qCDebug(lcPreview) << "mpv option not applied:" << name << value << mpv_error_string(result);
    return true;
}

bool MpvPlayer::play(const QString &location, QWidget *target)
{
    stop();
    m_errorString.clear();
    m_hasPicture = false;
    m_finished = false;
    m_location = location;
    if (!target) {
        m_errorString = QStringLiteral("no window to draw the video into");
        return false;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // mpv draws into an X11 window; under Wayland the program must run on the xcb platform (XWayland).
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        m_errorString = QStringLiteral("the video needs the xcb platform, not \"%1\" (QT_QPA_PLATFORM=xcb)")
                            .arg(QGuiApplication::platformName());
        return false;
    }
#endif

    // mpv parses numbers with the C locale and refuses to start under any other LC_NUMERIC.
    std::setlocale(LC_NUMERIC, "C");
    m_handle = mpv_create();
    if (!m_handle) {
        m_errorString = QStringLiteral("libmpv could not create a player");
        return false;
    }

    target->setAttribute(Qt::WA_NativeWindow);
    int64_t window = int64_t(target->winId());
    int result = mpv_set_option(m_handle, "wid", MPV_FORMAT_INT64, &window);
    if (result < 0) {
        m_errorString = QStringLiteral("mpv cannot draw into the window: %1")
                            .arg(QString::fromUtf8(mpv_error_string(result)));
        stop();
        return false;
    }
    for (const Option &option : PlayerOptions) {
        if (!setOption(option.name, QString::fromLatin1(option.value), option.required)) {
            stop();
            return false;
        }
    }
    if (location.startsWith(QLatin1String("rtsp://"), Qt::CaseInsensitive))
        setOption("demuxer-lavf-o", QString::fromLatin1(RtspDemuxerOptions), false);

    result = mpv_initialize(m_handle);
    if (result < 0) {
        m_errorString
            = QStringLiteral("mpv could not start: %1").arg(QString::fromUtf8(mpv_error_string(result)));
        stop();
        return false;
    }
    mpv_request_log_messages(m_handle, "warn");
    mpv_set_wakeup_callback(m_handle, &MpvPlayer::onWakeup, this);

    const QByteArray file = location.toUtf8();
    const char *command[] = {"loadfile", file.constData(), nullptr};
    result = mpv_command(m_handle, command);
    if (result < 0) {
        m_errorString
            = QStringLiteral("mpv refused %1: %2").arg(location, QString::fromUtf8(mpv_error_string(result)));
        stop();
        return false;
    }
    qCDebug(lcPreview) << "playing" << location << "in window" << window;
    return true;
}

void MpvPlayer::stop()
{
    if (!m_handle)
        return;
    mpv_handle *handle = m_handle;
    m_handle = nullptr;
    // After this returns mpv calls no more into this object; a wake-up already posted finds no handle.
    mpv_set_wakeup_callback(handle, nullptr, nullptr);
    // Waits until mpv has let go of the window, which may be destroyed right after.
    mpv_terminate_destroy(handle);
    m_hasPicture = false;
    m_location.clear();
}

bool MpvPlayer::saveFrame(const QString &path)
{
    if (!m_handle || !m_hasPicture || path.isEmpty())
        return false;
    // mpv writes a partial file first, so a failure never destroys an earlier picture at path.
    const QFileInfo target(path);
    const QString partial = partialFileName(target);
    QFile::remove(partial);
    const QByteArray file = QFile::encodeName(partial);
    const char *command[] = {"screenshot-to-file", file.constData(), "video", nullptr};
    const int result = mpv_command(m_handle, command);
    if (result < 0 || QFileInfo(partial).size() <= 0) {
        m_errorString = QStringLiteral("mpv could not save the picture to %1: %2")
                            .arg(path, QString::fromUtf8(mpv_error_string(result)));
        QFile::remove(partial);
        return false;
    }
    if ((QFile::exists(path) && !QFile::remove(path)) || !QFile::rename(partial, path)) {
        m_errorString = QStringLiteral("cannot replace %1").arg(path);
        QFile::remove(partial);
        return false;
    }
    return true;
}

void MpvPlayer::onWakeup(void *context)
{
    // Called on one of mpv's threads: only hand the work to the GUI thread.
    QMetaObject::invokeMethod(static_cast<MpvPlayer *>(context), &MpvPlayer::processEvents,
                              Qt::QueuedConnection);
}

void MpvPlayer::processEvents()
{
    while (m_handle) {
        mpv_event *event = mpv_wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        switch (event->event_id) {
        case MPV_EVENT_PLAYBACK_RESTART:
            if (!m_hasPicture && !m_finished) {
                m_hasPicture = true;
                qCDebug(lcPreview) << "first picture of" << m_location;
                Q_EMIT playing();
            }
            break;
        case MPV_EVENT_END_FILE: {
            const auto *end = static_cast<mpv_event_end_file *>(event->data);
            if (end->reason == MPV_END_FILE_REASON_ERROR) {
                m_finished = true;
                m_errorString = QString::fromUtf8(mpv_error_string(end->error));
                qCWarning(lcPreview) << "cannot play" << m_location << ":" << m_errorString;
                Q_EMIT failed(m_errorString);
            } else if (end->reason == MPV_END_FILE_REASON_EOF) {
                m_finished = true;
                if (m_hasPicture) {
                    qCInfo(lcPreview) << "stream ended:" << m_location;
                    Q_EMIT ended();
                } else {
                    m_errorString = QStringLiteral("the stream ended before its first picture");
                    qCWarning(lcPreview) << "cannot play" << m_location << ":" << m_errorString;
                    Q_EMIT failed(m_errorString);
                }
            }
            break;
        }
        case MPV_EVENT_LOG_MESSAGE: {
            const auto *message = static_cast<mpv_event_log_message *>(event->data);
            const QString text
                = QStringLiteral("mpv %1: %2")
                      .arg(QString::fromUtf8(message->prefix), QString::fromUtf8(message->text).trimmed());
            if (message->log_level <= MPV_LOG_LEVEL_ERROR)
                qCWarning(lcPreview).noquote() << text;
            else
                qCDebug(lcPreview).noquote() << text;
            break;
        }
        default:
            break;
        }
    }
}
