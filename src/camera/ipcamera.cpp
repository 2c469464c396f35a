#include "ipcamera.h"

#include "cameralog.h"
#include "datapaths.h"
#include "snapshotfilepath.h"
#include "sonyviscalink.h"
#include "viscaanswershape.h"
#include "viscaretrydelays.h"
#include "viscatables.h"
#include "viscatcplink.h"
#include "viscaudplink.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

using namespace ViscaPackets;

namespace {
// VISCA positions count 14.4 units per degree; left of and below centre are 16-bit two's complement.
constexpr double UnitsPerDegree = 14.4;

// A link that drops sooner than this after coming up is not re-opened at once but after the next
// back-off delay, so a camera that accepts and closes at once does not keep the program in a tight loop.
constexpr qint64 ShortLivedLink = 1000;

const QString UnresponsiveState = QStringLiteral("Unresponsive");

using PollStep = void (CameraWrapper::*)();
// The polling cycle, one step per tick.
constexpr PollStep PollCycle[] = {
    &CameraWrapper::inquireZoomPosition,
    &CameraWrapper::inquireFocusPosition,
    &CameraWrapper::inquireFocusMode,
    &CameraWrapper::inquireShutter,
    &CameraWrapper::inquireIris,
    &CameraWrapper::inquireBright,
    &CameraWrapper::inquirePanTiltPosition,
    &CameraWrapper::inquireLuminance,
    &CameraWrapper::inquireContrast,
    &CameraWrapper::inquireHue,
    &CameraWrapper::inquireAeMode,
    &CameraWrapper::inquireWbMode,
};
static_assert(sizeof(PollCycle) / sizeof(PollCycle[0]) == IPCamera::PollSteps);

// Speeds and preset numbers travel as the signed remainder modulo 255, reduced to one byte.
quint8 mod255(int value)
{
    return quint8(value % 255);
}

QUrl cameraUrl(const QString &host, const QString &path, const QString &query = QString())
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    // setHost rather than string concatenation: an IPv6 address gets its brackets.
    url.setHost(host);
    url.setPath(path);
    if (!query.isEmpty())
        url.setQuery(query);
    return url;
}

// The second piece of "key=value" with its double quotes removed, or a null string when the line has
// no such piece.
QString configValue(const QString &line)
{
    const QStringList pieces = line.split(QLatin1Char('='), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return QString();
    QString value = pieces.at(1);
    value.remove(QLatin1Char('"'));
    return value;
}

// Ends a request as failed once its body reaches limit. The network stops reading a little past it (the
// margin is more than one read of the network), so the bound holds however fast the peer sends. The
// body is only read once the request has finished, so what is available is all that arrived.
void limitBody(QNetworkReply *reply, qint64 limit)
{
    constexpr qint64 ReadMargin = 1024 * 1024;
    reply->setReadBufferSize(limit + ReadMargin);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, limit] {
        if (reply->bytesAvailable() >= limit && reply->isRunning()) {
            qCDebug(lcCamera) << "camera answer of" << limit << "bytes or more, given up:" << reply->url();
            reply->abort();
        }
    });
}
} // namespace

ViscaLink *createLink(ViscaTransport transport, QObject *parent)
{
    switch (transport) {
    case ViscaTransport::Udp:
        return new ViscaUdpLink(parent);
    case ViscaTransport::SonyUdp:
        return new SonyViscaLink(parent);
    case ViscaTransport::Tcp:
        break;
    }
    return new ViscaTcpLink(parent);
}

IPCamera::IPCamera(const QString &cameraId,
                   const QString &cameraName,
                   const QString &deviceName,
                   ViscaTransport transport,
                   quint16 port)
    : CameraWrapper(0, cameraId, cameraName, deviceName)
    , m_transport(transport)
    , m_port(port != 0 ? port : ViscaTransports::defaultPort(transport))
    , m_link(createLink(transport, this))
    , m_pictureManager(new QNetworkAccessManager(this))
    , m_nameManager(new QNetworkAccessManager(this))
    , m_pollTimer(new QTimer(this))
    , m_inquiryTimer(new QTimer(this))
    , m_retryTimer(new QTimer(this))
{
    m_panSpeedRange = {1, 24, 5};
    m_tiltSpeedRange = {1, 20, 5};
    m_zoomSpeedRange = {1, 7, 5};
    m_focusSpeedRange = {1, 7, 5};

    m_pollTimer->setInterval(PollInterval);
    // Steps due every 500 ms from the connection on, not drifting with a coarse timer's slack.
    m_pollTimer->setTimerType(Qt::PreciseTimer);
    m_inquiryTimer->setSingleShot(true);
    m_inquiryTimer->setInterval(InquiryTimeout);
    m_retryTimer->setSingleShot(true);

    connect(m_link, &ViscaLink::opened, this, &IPCamera::onClientConnected);
    connect(m_link, &ViscaLink::closed, this, &IPCamera::onClientDisconnected);
    connect(m_link, &ViscaLink::errorOccurred, this, &IPCamera::onClientError);
    connect(m_link, &ViscaLink::stateChanged, this, &IPCamera::onClientStateChanged);
    connect(m_link, &ViscaLink::replyReceived, this, &IPCamera::onReply);
    connect(m_pictureManager, &QNetworkAccessManager::finished, this, &IPCamera::onFinishDownloadImage);
    connect(m_nameManager, &QNetworkAccessManager::finished, this, &IPCamera::onGetName);
    connect(m_pollTimer, &QTimer::timeout, this, &IPCamera::onTimer);
    connect(m_inquiryTimer, &QTimer::timeout, this, &IPCamera::onInquiryTimeout);
    connect(m_retryTimer, &QTimer::timeout, this, &IPCamera::onRetryTimer);
}

IPCamera::~IPCamera()
{
    // Closing the socket here must not look like a dropped link, and no slot may run on a half-destroyed
    // camera.
    m_userDisconnect = true;
    m_retryTimer->stop();
    m_pollTimer->stop();
    m_inquiryTimer->stop();
    m_inquiryQueue.clear();
    m_link->disconnect(this);
    m_pictureManager->disconnect(this);
    m_nameManager->disconnect(this);
    // The last packets written (the stops of a quit) must reach the camera before the link closes.
    m_link->closeNow(DrainTimeout);
}

QString IPCamera::stateName(QAbstractSocket::SocketState state)
{
    switch (state) {
    case QAbstractSocket::UnconnectedState:
        return QStringLiteral("Unconnected");
    case QAbstractSocket::HostLookupState:
        return QStringLiteral("HostLookup");
    case QAbstractSocket::ConnectingState:
        return QStringLiteral("Connecting");
    case QAbstractSocket::ConnectedState:
        return QStringLiteral("Connected");
    case QAbstractSocket::BoundState:
        return QStringLiteral("Bound");
    case QAbstractSocket::ListeningState:
        return QStringLiteral("Listening");
    case QAbstractSocket::ClosingState:
        return QStringLiteral("Closing");
    }
    return QStringLiteral("Unknown");
}

QString IPCamera::currentStateName() const
{
    if (m_unresponsive && m_link->state() == QAbstractSocket::ConnectedState)
        return UnresponsiveState;
    return stateName(m_link->state());
}

// ---- Link -------------------------------------------------------------------------------------------

void IPCamera::connectCamera()
{
    qCDebug(lcCamera) << "connecting camera" << this;
    m_controlWanted = true;
    if (m_tallyOnly) {
        // The light link becomes the control link; the lamp keeps what it shows.
        m_tallyOnly = false;
        m_relinking = false;
        m_userDisconnect = false;
        if (m_link->state() == QAbstractSocket::ConnectedState) {
            m_retryTimer->stop();
            m_retryAttempt = 0;
            startControl(false);
            Q_EMIT clientStateChanged(currentStateName());
            return;
        }
        if (m_link->state() == QAbstractSocket::UnconnectedState)
            stopRetrying();
    }
    if (m_link->state() != QAbstractSocket::UnconnectedState) {
        Q_EMIT clientStateChanged(currentStateName());
        return;
    }
    // A new connection is a new request of the user's: an earlier disconnect must not keep suppressing
    // the re-open of this link.
    m_userDisconnect = false;
    m_retryTimer->stop();
    m_link->open(m_cameraId, m_port);
    qCDebug(lcCamera) << "connecting camera pending..." << this;
}

void IPCamera::disconnectCamera()
{
    qCDebug(lcCamera) << "disconnecting camera" << this;
    m_controlWanted = false;
    if (m_tallyOnly)
        return;
    if (lightLinkWanted() && m_link->state() == QAbstractSocket::ConnectedState) {
        // The camera may be on air while another one is driven: the link stays, for the lamp only.
        qCDebug(lcCamera) << "link kept for the tally light" << this;
        stopRetrying();
        m_pollTimer->stop();
        clearQueue();
        m_currentInquiry = NoInquiry;
        m_pollStep = 0;
        m_timeoutsInRow = 0;
        m_unresponsive = false;
        m_lateAnswersOwed = 0;
        m_tallyOnly = true;
        Q_EMIT clientStateChanged(stateName(QAbstractSocket::UnconnectedState));
        return;
    }
    m_userDisconnect = true;
    const bool retryInProgress = m_relinking;
    stopRetrying();
    const QAbstractSocket::SocketState state = m_link->state();
    if (state == QAbstractSocket::ConnectedState) {
        m_link->close();
        qCDebug(lcCamera) << "disconnecting camera pending..." << this;
    } else if (retryInProgress && state != QAbstractSocket::UnconnectedState) {
        // An attempt of our own to re-open the link ends here; one the user started continues.
        m_link->closeNow(0);
    }
}

void IPCamera::stopRetrying()
{
    m_retryTimer->stop();
    m_relinking = false;
    m_retryAttempt = 0;
}

void IPCamera::scheduleRetry()
{
    const int delay = ViscaRetryDelays::delay(m_retryAttempt);
    ++m_retryAttempt;
    qCDebug(lcCamera) << "reconnecting in" << delay << "ms, attempt" << m_retryAttempt << this;
    m_retryTimer->start(delay);
}

void IPCamera::onRetryTimer()
{
    if (m_tallyOnly) {
        if (lightLinkWanted() && m_link->state() == QAbstractSocket::UnconnectedState) {
            qCDebug(lcCamera) << "re-opening the tally link, attempt" << m_retryAttempt + 1 << this;
            m_link->open(m_cameraId, m_port);
        }
        return;
    }
    if (m_userDisconnect || !m_relinking)
        return;
    qCDebug(lcCamera) << "reconnecting, attempt" << m_retryAttempt + 1 << this;
    connectCamera();
}

void IPCamera::onClientConnected()
{
    qCDebug(lcCamera) << "camera connected" << this << (m_tallyOnly ? "for the tally light" : "");
    m_relinking = false;
    m_retryTimer->stop();
    m_linkUp.start();
    // What the lamp shows after a re-open is not known: the state goes out again.
    m_lampOn = false;
    if (m_tallyOnly) {
        syncTally(true);
        return;
    }
    startControl(true);
}

void IPCamera::startControl(bool fresh)
{
    m_currentInquiry = NoInquiry;
    m_pollStep = 0;
    m_timeoutsInRow = 0;
    m_unresponsive = false;
    m_lateAnswersOwed = 0;
    // Whatever the camera was doing when the link went down, it must not keep moving on its own: a stop
    // lost with the old link would otherwise never arrive.
    writeStops("link opened");
    // A camera without a tally source hears nothing of tally; one with a source hears its state.
    syncTally(fresh && m_tallySourceLive);
    m_pollTimer->start(PollInterval);

    QNetworkRequest request(
        cameraUrl(m_cameraId, QStringLiteral("/cgi-bin/param.cgi"), QStringLiteral("get_device_conf")));
    request.setTransferTimeout(HttpTimeout);
    limitBody(m_nameManager->get(request), MaxDeviceConfigBytes);

    Q_EMIT clientConnected();
}

void IPCamera::onClientDisconnected()
{
    qCDebug(lcCamera) << "camera disconnected" << this;
    if (m_tallyOnly) {
        if (!lightLinkWanted()) {
            m_tallyOnly = false;
            return;
        }
        m_relinking = true;
        if (m_linkUp.isValid() && m_linkUp.elapsed() < ShortLivedLink) {
            scheduleRetry();
        } else {
            m_retryAttempt = 0;
            m_retryTimer->start(0);
        }
        return;
    }
    m_currentInquiry = NoInquiry;
    m_pollStep = 0;
    m_pollTimer->stop();
    clearQueue();
    m_timeoutsInRow = 0;
    m_unresponsive = false;

    qCDebug(lcCamera) << "reconnecting" << this;
    if (m_link->state() == QAbstractSocket::UnconnectedState && !m_userDisconnect) {
        qCDebug(lcCamera) << "reconnecting pending..." << this;
        m_relinking = true;
        if (m_linkUp.isValid() && m_linkUp.elapsed() < ShortLivedLink) {
            scheduleRetry();
        } else {
            m_retryAttempt = 0;
            // Out of the socket's own disconnected() emission: the socket still resets its peer data
            // after this handler returns, which must not hit the new attempt.
            m_retryTimer->start(0);
        }
        return;
    }
    qCDebug(lcCamera) << "reconnecting ended" << this;
    m_userDisconnect = false;
    qCDebug(lcCamera) << "user disconnect" << m_userDisconnect;
    // A camera that is no longer current may still need its lamp.
    QTimer::singleShot(0, this, &IPCamera::updateLightLink);
}

void IPCamera::onClientError()
{
    // The light link is nothing the operator asked for; its failures are retried quietly.
    if (m_tallyOnly) {
        qCDebug(lcCamera) << "tally link:" << m_link->errorString() << this;
        return;
    }
    Q_EMIT clientError(m_link->errorString());
}

void IPCamera::onClientStateChanged(QAbstractSocket::SocketState state)
{
    qCDebug(lcCamera) << "\t State Changed --- " << state << this;
    if (m_tallyOnly) {
        if (state == QAbstractSocket::UnconnectedState && m_relinking && lightLinkWanted()
            && !m_retryTimer->isActive())
            scheduleRetry();
        return;
    }
    if (state == QAbstractSocket::UnconnectedState && !m_controlWanted && lightLinkWanted())
        QTimer::singleShot(0, this, &IPCamera::updateLightLink);
    Q_EMIT clientStateChanged(stateName(state));
    // An attempt to re-open the link failed: try again after the next back-off delay.
    if (state == QAbstractSocket::UnconnectedState && m_relinking && !m_userDisconnect
        && !m_retryTimer->isActive()) {
        scheduleRetry();
    }
}

// ---- Writing ----------------------------------------------------------------------------------------

void IPCamera::writeCommand(const ViscaCommand &command)
{
    if (command.inquiryKind != NoInquiry)
        m_currentInquiry = command.inquiryKind;
    m_link->write(command);
}

void IPCamera::writeStops(const char *why)
{
    qCDebug(lcCamera) << "automatic stop of every axis:" << why << this;
    drive(Stop, m_lastPanSpeed, m_lastTiltSpeed);
    stopZooming();
    stopFocusing();
}

void IPCamera::drive(Direction direction, int panSpeed, int tiltSpeed)
{
    m_lastPanSpeed = panSpeed;
    m_lastTiltSpeed = tiltSpeed;
    ViscaCommand command;
    command << PanTiltDrive << mod255(panSpeed) << mod255(tiltSpeed) << direction.pan << direction.tilt
            << Terminator;
    writeCommand(command);
}

void IPCamera::sendSwitch(const Header &header, bool on)
{
    ViscaCommand command;
    command << header << (on ? On : Off) << Terminator;
    writeCommand(command);
}

void IPCamera::sendDirectValue(const Header &header, int value)
{
    // p and q with truncation toward zero, each as one byte: for 0..255 the two nibbles of the value.
    ViscaCommand command;
    command << header << 0x00 << 0x00 << quint8(value / 16) << quint8(value % 16) << Terminator;
    writeCommand(command);
}

void IPCamera::sendWholeByteValue(const Header &header, int value)
{
    ViscaCommand command;
    command << header << 0x00 << 0x00 << 0x00 << quint8(value) << Terminator;
    writeCommand(command);
}

void IPCamera::sendLimit(quint8 corner, int tiltPosition, int panPosition)
{
    ViscaCommand command;
    command << PanTiltLimit << LimitSet << corner;
    for (int shift = 12; shift >= 0; shift -= 4)
        command << quint8((panPosition >> shift) & 0x0F);
    for (int shift = 12; shift >= 0; shift -= 4)
        command << quint8((tiltPosition >> shift) & 0x0F);
    command << Terminator;
    writeCommand(command);
}

// ---- Inquiry queue ----------------------------------------------------------------------------------

void IPCamera::queueInquiry(int kind)
{
    for (const ViscaCommand &queued : std::as_const(m_inquiryQueue)) {
        // One of a kind is enough: a second would only read the same value again, and skipping it keeps
        // a slow camera's queue bounded.
        if (queued.inquiryKind == kind)
            return;
    }
    ViscaCommand command;
    for (quint8 byte : Inquiries[std::size_t(kind - FirstInquiryKind)])
        command << byte;
    command.inquiryKind = kind;
    m_inquiryQueue.append(command);
    if (m_inquiryQueue.size() == 1)
        writeHead();
}

void IPCamera::writeHead()
{
    writeCommand(m_inquiryQueue.constFirst());
    m_inquiryTimer->start();
}

void IPCamera::releaseHead()
{
    m_inquiryTimer->stop();
    if (!m_inquiryQueue.isEmpty())
        m_inquiryQueue.removeFirst();
    if (!m_inquiryQueue.isEmpty())
        writeHead();
}

void IPCamera::clearQueue()
{
    m_inquiryTimer->stop();
    m_inquiryQueue.clear();
}

void IPCamera::onInquiryTimeout()
{
    if (m_inquiryQueue.isEmpty())
        return;
    qCDebug(lcCamera) << "inquiry of kind" << m_inquiryQueue.constFirst().inquiryKind
                      << "unanswered, given up" << this;
    const bool linkUp = m_link->state() == QAbstractSocket::ConnectedState;
    // Its answer may still come, late, while a later inquiry waits on the wire.
    ++m_lateAnswersOwed;
    releaseHead();
    if (linkUp && ++m_timeoutsInRow == UnresponsiveAfter) {
        m_unresponsive = true;
        qCDebug(lcCamera) << "camera unresponsive" << this;
        Q_EMIT clientStateChanged(UnresponsiveState);
    }
}

// ---- Reading ----------------------------------------------------------------------------------------

void IPCamera::onReply(const QByteArray &frame, int requestKind)
{
    dispatchReply(reinterpret_cast<const quint8 *>(frame.constData()), int(frame.size()), requestKind);
}

void IPCamera::noteCameraAlive()
{
    m_timeoutsInRow = 0;
    if (m_unresponsive) {
        m_unresponsive = false;
        qCDebug(lcCamera) << "camera answers again" << this;
        Q_EMIT clientStateChanged(stateName(m_link->state()));
    }
}

void IPCamera::dispatchReply(const quint8 *frame, int length, int requestKind)
{
    noteCameraAlive();
    if (isTallyError(frame, length, requestKind)) {
        m_noTallyLight = true;
        m_tallyWritten.invalidate();
        qCInfo(lcCamera) << "the camera has no tally light, tally is not sent to it again" << this;
        if (m_tallyOnly)
            QTimer::singleShot(0, this, &IPCamera::updateLightLink);
        return;
    }
    const int head = m_inquiryQueue.isEmpty() ? NoInquiry : m_inquiryQueue.constFirst().inquiryKind;
    // A link that knows the request a reply answers (Sony's sequence numbers) settles it: a reply to
    // anything but the inquiry on the wire releases nothing and stores nothing.
    if (requestKind != ViscaLink::Unknown && requestKind != head) {
        if (length >= 2 && (frame[1] & ReplyTypeMask) != ErrorReplyType && length != ShortReplyLength
            && requestKind != NoInquiry)
            qCDebug(lcCamera) << "answer of inquiry kind" << requestKind << "given up before, dropped"
                              << this;
        else if (length == ShortReplyLength)
            Q_EMIT clientStatusUpdated();
        return;
    }
    if (length >= 2 && (frame[1] & ReplyTypeMask) == ErrorReplyType) {
        releaseHead();
        return;
    }
    if (m_currentInquiry >= FirstInquiryKind && m_currentInquiry <= LastInquiryKind
        && length != ShortReplyLength) {
        // An answer with no inquiry on the wire is a late one of an inquiry given up: it belongs to
        // nothing. After a give-up the late answer may also arrive while the next inquiry waits, so
        // until an answer of the right form has come, one that cannot be the waiting one's is dropped.
        const int kind = head;
        if (kind == NoInquiry
            || (requestKind == ViscaLink::Unknown && m_lateAnswersOwed > 0
                && !viscaAnswerFitsKind(kind, frame, length))) {
            qCDebug(lcCamera) << "answer of an inquiry given up dropped, waiting for kind" << kind << this;
            if (m_lateAnswersOwed > 0)
                --m_lateAnswersOwed;
            return;
        }
        storeAnswer(kind, frame, length);
        releaseHead();
        if (kind == WbModeInquiry)
            Q_EMIT clientReadOneCycle();
    }
    Q_EMIT clientStatusUpdated();
}

void IPCamera::storeAnswer(int kind, const quint8 *b, int n)
{
    // Answers shorter than their kind's standard form store nothing: the bytes they lack would be
    // taken from the terminator or from an older frame.
    auto storePosition = [b, n](quint8 *member, int first) {
        if (n < first + 5)
            return;
        std::copy(b + first, b + first + 4, member);
    };
    // Values that come either as 90 50 pp FF or as 90 50 00 00 0p 0q FF. The long form is read as the
    // two nibbles for every kind: taking q alone would turn a luminance of 200 into 8, and a camera that
    // puts the whole byte in place of q (p = 0) reads the same either way.
    auto storeValue = [b, n](quint8 &member) {
        if (n == 4)
            member = b[2];
        else if (n == 7)
            member = quint8(b[4] * 16 + b[5]);
    };
    const bool hasByte2 = n >= 4;

    switch (kind) {
    case ZoomPositionInquiry:
        storePosition(zoomPos, 2);
        break;
    case FocusPositionInquiry:
        storePosition(focusPos, 2);
        break;
    case FocusModeInquiry:
        if (hasByte2)
            isAutoFocus = b[2] == On;
        break;
    case ShutterInquiry:
        storeValue(shutterPos);
        break;
    case IrisInquiry:
        storeValue(irisPos);
        break;
    case BrightInquiry:
        // Usually 90 50 pp FF; in the long form byte 2 is always 0.
        if (n == 7)
            storeValue(brightPos);
        else if (hasByte2)
            brightPos = b[2];
        break;
    case PanTiltPositionInquiry:
        if (n >= 11) {
            std::copy(b + 2, b + 6, panPos);
            std::copy(b + 6, b + 10, tiltPos);
        }
        break;
    case LuminanceInquiry:
        storeValue(luminance);
        break;
    case ContrastInquiry:
        storeValue(contrast);
        break;
    case HueInquiry:
        storeValue(hue);
        break;
    case AeModeInquiry:
        if (hasByte2)
            aeMode = b[2];
        break;
    case WbModeInquiry:
        if (hasByte2)
            wbMode = b[2];
        break;
    default:
        break;
    }
}

// ---- Tally ------------------------------------------------------------------------------------------

void IPCamera::setTally(TallyState state)
{
    m_tally = state;
    syncTally(false);
}

void IPCamera::setTallySourceLive(bool live)
{
    if (live == m_tallySourceLive)
        return;
    m_tallySourceLive = live;
    updateLightLink();
}

bool IPCamera::lightLinkWanted() const
{
    return m_tallySourceLive && !m_noTallyLight && !m_controlWanted;
}

void IPCamera::updateLightLink()
{
    if (m_controlWanted)
        return;
    const QAbstractSocket::SocketState state = m_link->state();
    if (lightLinkWanted()) {
        if (state == QAbstractSocket::UnconnectedState && !m_retryTimer->isActive()) {
            qCDebug(lcCamera) << "opening the tally link" << this;
            m_tallyOnly = true;
            // A light link that fails to open is tried again after the back-off delays.
            m_relinking = true;
            m_userDisconnect = false;
            m_link->open(m_cameraId, m_port);
        }
        return;
    }
    if (!m_tallyOnly)
        return;
    m_retryTimer->stop();
    m_retryAttempt = 0;
    m_relinking = false;
    if (state == QAbstractSocket::ConnectedState) {
        // The lamp goes off before its link closes; the link writes it before it closes.
        if (m_lampOn && !m_noTallyLight)
            writeTally(false);
        m_link->close();
    } else if (state != QAbstractSocket::UnconnectedState) {
        m_link->closeNow(0);
    } else {
        m_tallyOnly = false;
    }
}

void IPCamera::syncTally(bool force)
{
    if (m_noTallyLight || m_link->state() != QAbstractSocket::ConnectedState)
        return;
    const bool on = m_tally == TallyState::Program;
    if (on == m_lampOn && !force)
        return;
    writeTally(on);
}

void IPCamera::writeTally(bool on)
{
    qCDebug(lcCamera) << "tally light" << (on ? "on" : "off") << this;
    ViscaCommand command;
    command << (on ? TallyOn : TallyOff);
    writeCommand(command);
    m_lampOn = on;
    m_tallyWritten.start();
}

bool IPCamera::isTallyError(const quint8 *frame, int length, int requestKind) const
{
    // Only an error soon after a tally command, of the kinds a camera without the lamp gives.
    if (!m_tallyWritten.isValid() || m_tallyWritten.elapsed() > InquiryTimeout)
        return false;
    if (length != 4 || (frame[1] & ReplyTypeMask) != ErrorReplyType
        || (frame[2] != SyntaxError && frame[2] != NotExecutable))
        return false;
    // The light link carries nothing else; a Sony link names the request; on a raw control link an
    // error while an inquiry is on the wire is the inquiry's.
    if (m_tallyOnly)
        return true;
    if (requestKind != ViscaLink::Unknown)
        return requestKind == NoInquiry;
    return m_inquiryQueue.isEmpty();
}

// ---- Polling ----------------------------------------------------------------------------------------

void IPCamera::onTimer()
{
    if (m_pollStep < 0 || m_pollStep >= PollSteps)
        m_pollStep = 0;
    (this->*PollCycle[m_pollStep])();
    m_pollStep = (m_pollStep + 1) % PollSteps;
}

void IPCamera::inquireZoomPosition()
{
    queueInquiry(ZoomPositionInquiry);
}

void IPCamera::inquireFocusPosition()
{
    queueInquiry(FocusPositionInquiry);
}

void IPCamera::inquireFocusMode()
{
    queueInquiry(FocusModeInquiry);
}

void IPCamera::inquireShutter()
{
    queueInquiry(ShutterInquiry);
}

void IPCamera::inquireIris()
{
    queueInquiry(IrisInquiry);
}

void IPCamera::inquireBright()
{
    queueInquiry(BrightInquiry);
}

void IPCamera::inquirePanTiltPosition()
{
    queueInquiry(PanTiltPositionInquiry);
}

void IPCamera::inquireLuminance()
{
    queueInquiry(LuminanceInquiry);
}

void IPCamera::inquireContrast()
{
    queueInquiry(ContrastInquiry);
}

void IPCamera::inquireHue()
{
    queueInquiry(HueInquiry);
}

void IPCamera::inquireAeMode()
{
    queueInquiry(AeModeInquiry);
}

void IPCamera::inquireWbMode()
{
    queueInquiry(WbModeInquiry);
}

// ---- Commands ---------------------------------------------------------------------------------------

void IPCamera::moveUp(int panSpeed, int tiltSpeed)
{
    drive(Up, panSpeed, tiltSpeed);
}

void IPCamera::moveLeft(int panSpeed, int tiltSpeed)
{
    drive(Left, panSpeed, tiltSpeed);
}

void IPCamera::moveDown(int panSpeed, int tiltSpeed)
{
    drive(Down, panSpeed, tiltSpeed);
}

void IPCamera::moveRight(int panSpeed, int tiltSpeed)
{
    drive(Right, panSpeed, tiltSpeed);
}

void IPCamera::stopMoving(int panSpeed, int tiltSpeed)
{
    drive(Stop, panSpeed, tiltSpeed);
}

void IPCamera::moveUpLeft(int panSpeed, int tiltSpeed)
{
    drive(UpLeft, panSpeed, tiltSpeed);
}

void IPCamera::moveUpRight(int panSpeed, int tiltSpeed)
{
    drive(UpRight, panSpeed, tiltSpeed);
}

void IPCamera::moveDownRight(int panSpeed, int tiltSpeed)
{
    drive(DownRight, panSpeed, tiltSpeed);
}

void IPCamera::moveDownLeft(int panSpeed, int tiltSpeed)
{
    drive(DownLeft, panSpeed, tiltSpeed);
}

void IPCamera::moveHome()
{
    ViscaCommand command;
    command << PanTiltHome << Terminator;
    writeCommand(command);
}

void IPCamera::zoomIn(int speed)
{
    ViscaCommand command;
    command << Zoom << quint8(ZoomTele + speed) << Terminator;
    writeCommand(command);
}

void IPCamera::zoomOut(int speed)
{
    ViscaCommand command;
    command << Zoom << quint8(ZoomWide + speed) << Terminator;
    writeCommand(command);
}

void IPCamera::stopZooming()
{
    ViscaCommand command;
    command << Zoom << MotionStop << Terminator;
    writeCommand(command);
}

void IPCamera::focusIn(int speed)
{
    ViscaCommand command;
    command << Focus << quint8(FocusNear + speed) << Terminator;
    writeCommand(command);
}

void IPCamera::focusOut(int speed)
{
    ViscaCommand command;
    command << Focus << quint8(FocusFar + speed) << Terminator;
    writeCommand(command);
}

void IPCamera::stopFocusing()
{
    ViscaCommand command;
    command << Focus << MotionStop << Terminator;
    writeCommand(command);
}

void IPCamera::setAutoFocus(bool on)
{
    sendSwitch(FocusMode, on);
}

void IPCamera::setFocusLock(bool locked)
{
    sendSwitch(FocusLock, locked);
}

void IPCamera::setPreset(int presetNum)
{
    ViscaCommand command;
    command << Memory << MemorySet << mod255(presetNum) << Terminator;
    writeCommand(command);
}

void IPCamera::callPreset(int presetNum)
{
    ViscaCommand command;
    command << Memory << MemoryRecall << mod255(presetNum) << Terminator;
    writeCommand(command);
}

void IPCamera::clearPreset(int presetNum)
{
    ViscaCommand command;
    command << Memory << MemoryReset << mod255(presetNum) << Terminator;
    writeCommand(command);
}

void IPCamera::setPresetSpeed(int index)
{
    ViscaCommand command;
    command << PresetSpeed << quint8(index % 24 + 1) << Terminator;
    writeCommand(command);
}

void IPCamera::setIris(int index)
{
    sendDirectValue(IrisDirect, index);
}

void IPCamera::resetIris()
{
    ViscaCommand command;
    command << Iris << ValueReset << Terminator;
    writeCommand(command);
}

void IPCamera::setShutter(int index)
{
    sendDirectValue(ShutterDirect, index + 1);
}

void IPCamera::resetShutter()
{
    ViscaCommand command;
    command << Shutter << ValueReset << Terminator;
    writeCommand(command);
}

void IPCamera::setBright(int value)
{
    sendDirectValue(Bright, value);
}

void IPCamera::brightUp()
{
    ViscaCommand command;
    command << Bright << ValueUp << Terminator;
    writeCommand(command);
}

void IPCamera::brightDown()
{
    ViscaCommand command;
    command << Bright << ValueDown << Terminator;
    writeCommand(command);
}

void IPCamera::resetBright()
{
    ViscaCommand command;
    command << Bright << ValueReset << Terminator;
    writeCommand(command);
}

void IPCamera::setAeMode(int index)
{
    ViscaCommand command;
    command << AeMode << ViscaTables::aeModeCode(index) << Terminator;
    writeCommand(command);
}

void IPCamera::setWbMode(int index)
{
    ViscaCommand command;
    command << WbMode << ViscaTables::wbModeCode(index) << Terminator;
    writeCommand(command);
}

void IPCamera::triggerOnePushWb()
{
    ViscaCommand command;
    command << WbTrigger << OnePushTrigger << Terminator;
    writeCommand(command);
}

void IPCamera::setLuminance(int value)
{
    sendWholeByteValue(Luminance, value);
}

void IPCamera::setContrast(int value)
{
    sendWholeByteValue(Contrast, value);
}

void IPCamera::setHue(int value)
{
    sendWholeByteValue(Hue, value);
}

void IPCamera::osdMenu()
{
    ViscaCommand command;
    command << Memory << MemoryRecall << OsdMenuPreset << Terminator;
    writeCommand(command);
}

void IPCamera::osdEnter()
{
    ViscaCommand command;
    command << OsdKey << OsdEnter << Terminator;
    writeCommand(command);
}

void IPCamera::osdBack()
{
    ViscaCommand command;
    command << OsdKey << OsdBack << Terminator;
    writeCommand(command);
}

void IPCamera::setImageFlip(bool on)
{
    sendSwitch(ImageFlip, on);
}

void IPCamera::setImageMirror(bool on)
{
    sendSwitch(ImageMirror, on);
}

void IPCamera::setMotionSync(bool on)
{
    sendSwitch(MotionSync, on);
}

void IPCamera::setPanTiltLimitUpRight(int tiltPosition, int panPosition)
{
    sendLimit(LimitUpRight, tiltPosition, panPosition);
}

void IPCamera::setPanTiltLimitDownLeft(int tiltPosition, int panPosition)
{
    sendLimit(LimitDownLeft, tiltPosition, panPosition);
}

void IPCamera::clearPanTiltLimit(int corner)
{
    ViscaCommand command;
    command << PanTiltLimit << LimitClear << quint8(corner);
    for (quint8 byte : LimitClearPositions)
        command << byte;
    command << Terminator;
    writeCommand(command);
}

int IPCamera::leftPanDegrees(int position) const
{
    return int((65535 - position) / UnitsPerDegree);
}

int IPCamera::rightPanDegrees(int position) const
{
    return int(position / UnitsPerDegree);
}

int IPCamera::upTiltDegrees(int position) const
{
    return int(position / UnitsPerDegree);
}

int IPCamera::downTiltDegrees(int position) const
{
    return int((65535 - position) / UnitsPerDegree);
}

// ---- HTTP services ----------------------------------------------------------------------------------

void IPCamera::downloadSnapshot(int presetNum)
{
    const QString problem = snapshotFileNameProblem(m_cameraId);
    if (!problem.isEmpty()) {
        qCWarning(lcCamera) << "no picture for preset" << presetNum << problem << this;
        Q_EMIT clientError(
            QStringLiteral("Can not store the picture of preset %1: %2").arg(presetNum).arg(problem));
        return;
    }
    QNetworkRequest request(cameraUrl(m_cameraId, QStringLiteral("/snapshot.jpg")));
    request.setTransferTimeout(HttpTimeout);
    QNetworkReply *reply = m_pictureManager->get(request);
    limitBody(reply, MaxSnapshotBytes);
    m_pictureRequests.insert(reply, presetNum);
}

void IPCamera::onFinishDownloadImage(QNetworkReply *reply)
{
    const int presetNum = m_pictureRequests.take(reply);
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        Q_EMIT clientError(reply->errorString());
        return;
    }
    const QString path = snapshotFilePath(m_cameraId, presetNum);
    if (path.isEmpty()) {
        Q_EMIT clientError(QStringLiteral("Can not store the picture of preset %1: %2")
                               .arg(presetNum)
                               .arg(snapshotFileNameProblem(m_cameraId)));
        return;
    }
    QDir().mkpath(DataPaths::downloadsFolder());
    // Written aside and renamed into place, so a reader never sees half a picture and a failed write
    // keeps the older one.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(reply->readAll());
        if (!file.commit())
            Q_EMIT clientError(file.errorString());
    } else {
        Q_EMIT clientError(file.errorString());
    }
    Q_EMIT clientFinishDownload(presetNum);
}

void IPCamera::onGetName(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        Q_EMIT clientError(reply->errorString());
        return;
    }
    const QStringList lines
        = QString::fromUtf8(reply->readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!lines.isEmpty()) {
        const QString name = configValue(lines.at(0));
        if (!name.isNull())
            m_deviceName = name;
    }
    if (lines.size() >= 6) {
        const QString serial = configValue(lines.at(5));
        if (!serial.isNull())
            m_serialNumber = serial;
    }
    Q_EMIT clientFinishGetName();
}
