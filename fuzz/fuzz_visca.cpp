// VISCA replies as a network camera sends them: a camera object connected over TCP to a listener on
// 127.0.14.30:5678 in this process, which writes the input to it in reads the input itself chooses. The
// first byte selects the inquiry left outstanding (3 to 14, one of each polled kind, or none); the rest
// is a sequence of [length byte][bytes] reads, each delivered and read on its own. Before each input the
// framer is brought back to "no frame open" and the inquiry queue emptied, so an input means the same
// whatever ran before it.

#include "fuzzsupport.h"
#include "ipcamera.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstddef>
#include <cstdint>

namespace {

const QString CameraAddress = QStringLiteral("127.0.14.30");
constexpr int MaxReads = 64;
constexpr int ReadTimeoutMs = 5000;
constexpr int InquiryKinds = 12;

QTcpServer *s_server = nullptr;
QTcpSocket *s_peer = nullptr; // our end of the camera's link
IPCamera *s_camera = nullptr;
QTcpSocket *s_link = nullptr; // the camera's own socket
int s_reads = 0;
volatile quint64 s_sink = 0;

using Inquire = void (IPCamera::*)();
const Inquire Inquiries[InquiryKinds] = {
    &IPCamera::inquireZoomPosition,
    &IPCamera::inquireFocusPosition,
    &IPCamera::inquireFocusMode,
    &IPCamera::inquireShutter,
    &IPCamera::inquireIris,
    &IPCamera::inquireBright,
    &IPCamera::inquirePanTiltPosition,
    &IPCamera::inquireLuminance,
    &IPCamera::inquireContrast,
    &IPCamera::inquireHue,
    &IPCamera::inquireAeMode,
    &IPCamera::inquireWbMode,
};

// Writes one read's worth of bytes and waits until the camera has read them.
void deliver(const QByteArray &bytes)
{
    const int before = s_reads;
    s_peer->write(bytes);
    s_peer->flush();
    if (!FuzzSupport::pumpUntil([before] { return s_reads > before; }, ReadTimeoutMs))
        FuzzSupport::fail(QStringLiteral("the camera did not read %1 bytes").arg(bytes.size()));
    if (s_link->state() != QAbstractSocket::ConnectedState)
        FuzzSupport::fail(QStringLiteral("the camera dropped its link"));
}

void connectCamera()
{
    s_peer = nullptr;
    s_camera->connectCamera();
    if (!FuzzSupport::pumpUntil([] { return s_peer && s_link->state() == QAbstractSocket::ConnectedState; },
                                ReadTimeoutMs))
        FuzzSupport::fail(QStringLiteral("the camera did not connect"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::prepareEnvironment("visca");
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavimorex"));

    s_server = new QTcpServer;
    if (!s_server->listen(QHostAddress(CameraAddress), IPCamera::ViscaPort))
        FuzzSupport::fail(QStringLiteral("cannot listen on the VISCA port: ") + s_server->errorString());
    QObject::connect(s_server, &QTcpServer::newConnection, s_server, [] {
        while (QTcpSocket *socket = s_server->nextPendingConnection()) {
            s_peer = socket;
            // Each read goes out at once, not held back to be joined with the next one.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            // What the camera writes (commands, inquiries) is read and forgotten.
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        }
    });

    s_camera = new IPCamera(CameraAddress, QStringLiteral("Camera1"), CameraAddress);
    s_link = s_camera->findChild<QTcpSocket *>();
    if (!s_link)
        FuzzSupport::fail(QStringLiteral("the camera has no socket"));
    // Connected after the camera's own reader: counts reads the camera has handled.
    QObject::connect(s_link, &QTcpSocket::readyRead, s_link, [] { ++s_reads; });
    connectCamera();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    if (s_link->state() != QAbstractSocket::ConnectedState)
        connectCamera();

    // Bytes that overflow any open frame, then error replies that release every queued inquiry.
    QByteArray reset(ViscaPackets::MaxReplyLength + 1, '\0');
    for (int i = 0; i <= InquiryKinds; ++i)
        reset.append("\x90\x60\x02\xff", 4);
    deliver(reset);

    const int selector = data[0] % (InquiryKinds + 1);
    if (selector < InquiryKinds)
        (s_camera->*Inquiries[selector])();

    size_t pos = 1;
    for (int read = 0; read < MaxReads && pos < size; ++read) {
        const size_t length = qMin<size_t>(size_t(data[pos]) + 1, size - pos - 1);
        ++pos;
        if (length == 0)
            break;
        deliver(QByteArray(reinterpret_cast<const char *>(data + pos), qsizetype(length)));
        pos += length;
    }

    quint64 sum = quint64(s_camera->isAutoFocus) + s_camera->irisPos + s_camera->shutterPos
                  + s_camera->brightPos + s_camera->aeMode + s_camera->luminance + s_camera->contrast
                  + s_camera->hue + s_camera->wbMode;
    for (int i = 0; i < 4; ++i)
        sum += quint64(s_camera->panPos[i]) + s_camera->tiltPos[i] + s_camera->zoomPos[i]
               + s_camera->focusPos[i];
    sum += quint64(s_camera->leftPanDegrees(0)) + quint64(s_camera->upTiltDegrees(0));
    s_sink = s_sink + sum;
    return 0;
}
