#include "rtspoptions.h"

#ifdef TAVIMOREX_PTZSIM_RTSP
#include "rtspstreamserver.h"
#endif

#include <cstdio>

namespace {
const QString PortOption = QStringLiteral("--rtsp-port");
} // namespace

QStringList RtspOptions::take(const QStringList &arguments)
{
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i > 0 && argument == QLatin1String("--")) {
            // Everything after "--" is positional; leave it to the main parser.
            rest += arguments.mid(i);
            break;
        }
        QString value;
        if (i > 0 && argument == PortOption) {
            if (i + 1 >= arguments.size()) {
                m_error = QStringLiteral("--rtsp-port needs a port number 0..65535");
                continue;
            }
            value = arguments.at(++i);
        } else if (i > 0 && argument.startsWith(PortOption + QLatin1Char('='))) {
            value = argument.mid(PortOption.size() + 1);
        } else {
            if (i > 0
                && (argument == QLatin1String("-h") || argument == QLatin1String("--help")
                    || argument == QLatin1String("-?")))
                m_helpRequested = true;
            rest.append(argument);
            continue;
        }
        bool ok = false;
        const uint port = value.toUInt(&ok);
        if (!ok || port > 65535)
            m_error = QStringLiteral("--rtsp-port needs a port number 0..65535, not \"%1\"").arg(value);
        else
            m_port = quint16(port);
    }
    return rest;
}

QString RtspOptions::helpText() const
{
    if (!m_helpRequested)
        return QString();
    if (!isBuiltIn()) {
        return QStringLiteral(
            "Live video: not in this build (it was built without GStreamer's RTSP server library,\n"
            "libgstrtspserver-1.0-dev); --rtsp-port is accepted and ignored.\n");
    }
    return QStringLiteral(
        "Live video: every camera serves RTSP on --rtsp-port N (default 554; 0 = no streams):\n"
        "  rtsp://ADDRESS/1   HD stream, 1280x720        rtsp://ADDRESS/2   SD stream, 640x360\n"
        "H.264 at 15 frames/s over RTP (UDP or interleaved in the RTSP connection), picturing the\n"
        "camera's view as /snapshot.jpg does, with the stream and the time written on it. Needs the\n"
        "GStreamer plug-ins appsrc, videoconvert, x264enc and rtph264pay at run time. Logged as\n"
        "  <msecs since epoch> <address> RTSP CONNECT <ip:port>      a client connected\n"
        "  <msecs since epoch> <address> RTSP <METHOD> <path>         DESCRIBE, SETUP, PLAY, TEARDOWN\n"
        "  <msecs since epoch> <address> RTSP CLOSE <ip:port>        the client's connection closed\n");
}

bool RtspOptions::start(const SimulatedDevice::Settings &settings,
                        SimulatedDevice *device,
                        QString *error) const
{
#ifdef TAVIMOREX_PTZSIM_RTSP
    if (m_port == 0)
        return true;
    // Without the plug-ins the cameras still answer VISCA and HTTP; only the pictures are missing.
    static const QStringList missing = RtspStreamServer::missingElements();
    if (!missing.isEmpty()) {
        static bool warned = false;
        if (!warned) {
            std::fprintf(stderr,
                         "tavimorex-ptzsim: no RTSP streams: GStreamer elements missing: %s (x264enc is in "
                         "gstreamer1.0-plugins-ugly, the others in gstreamer1.0-plugins-base and -good)\n",
                         missing.join(QStringLiteral(", ")).toLocal8Bit().constData());
            warned = true;
        }
        return true;
    }
    auto *server = new RtspStreamServer(settings.address, m_port, device->camera(), settings.name, device);
    return server->start(error);
#else
    Q_UNUSED(settings)
    Q_UNUSED(device)
    Q_UNUSED(error)
    return true;
#endif
}

bool RtspOptions::isBuiltIn()
{
#ifdef TAVIMOREX_PTZSIM_RTSP
    return true;
#else
    return false;
#endif
}
