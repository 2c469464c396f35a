#pragma once

#include "camerawrapper.h"
#include "viscacommand.h"
#include "viscapackets.h"
#include "viscatransport.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QList>
#include <QMap>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class ViscaLink;

// A camera reached over the network: VISCA (over TCP, UDP or Sony's VISCA over IP, see ViscaLink) plus
// the camera's HTTP services.
//
// Commands are written at once; status inquiries go through a queue with one inquiry on the wire, because
// VISCA answers carry no tag and the kind of the last inquiry written is all that says how to read one.
class IPCamera : public CameraWrapper
{
    Q_OBJECT

public:
    static constexpr quint16 ViscaPort = 5678;
    static constexpr int PollInterval = 500;
    static constexpr int PollSteps = 12;
    // An inquiry not answered within this time is given up so one silent kind cannot stall read-back.
    static constexpr int InquiryTimeout = 1000;
    // This many give-ups in a row and the camera is reported "Unresponsive".
    static constexpr int UnresponsiveAfter = 3;
    // An HTTP request to the camera that takes longer than this fails.
    static constexpr int HttpTimeout = 10000;
    // HTTP answers of this size or larger fail as well: a preset picture is a JPEG of a few megabytes at
    // most, the device configuration a few lines. A body that never ends (a stream at the picture's
    // address) keeps the transfer alive past any timeout and would otherwise fill the memory.
    static constexpr qint64 MaxSnapshotBytes = 32 * 1024 * 1024;
    static constexpr qint64 MaxDeviceConfigBytes = 64 * 1024;
    // How long closing the link may wait for buffered packets to leave.
    static constexpr int DrainTimeout = 500;

    // Port 0: the transport's default.
    IPCamera(const QString &cameraId,
             const QString &cameraName,
             const QString &deviceName,
             ViscaTransport transport = ViscaTransport::Tcp,
             quint16 port = 0);
    ~IPCamera() override;

    void downloadSnapshot(int presetNum) override;
    void connectCamera() override;
    void disconnectCamera() override;
    void moveUp(int panSpeed, int tiltSpeed) override;
    void moveLeft(int panSpeed, int tiltSpeed) override;
    void moveDown(int panSpeed, int tiltSpeed) override;
    void moveRight(int panSpeed, int tiltSpeed) override;
    void stopMoving(int panSpeed, int tiltSpeed) override;
    void stopZooming() override;
    void moveHome() override;
    void zoomIn(int speed) override;
    void zoomOut(int speed) override;
    void moveUpLeft(int panSpeed, int tiltSpeed) override;
    void moveUpRight(int panSpeed, int tiltSpeed) override;
    void moveDownRight(int panSpeed, int tiltSpeed) override;
    void moveDownLeft(int panSpeed, int tiltSpeed) override;
    void setAutoFocus(bool on) override;
    void focusIn(int speed) override;
    void focusOut(int speed) override;
    void stopFocusing() override;
    void setPreset(int presetNum) override;
    void callPreset(int presetNum) override;
    void setIris(int index) override;
    void resetIris() override;
    void setShutter(int index) override;
    void resetShutter() override;
    void setBright(int value) override;
    void brightUp() override;
    void brightDown() override;
    void resetBright() override;
    void setAeMode(int index) override;
    void setWbMode(int index) override;
    void inquireZoomPosition() override;
    void inquireFocusPosition() override;
    void inquireFocusMode() override;
    void inquireShutter() override;
    void inquireIris() override;
    void inquireBright() override;
    void inquirePanTiltPosition() override;
    void inquireLuminance() override;
    void inquireContrast() override;
    void inquireHue() override;
    void inquireAeMode() override;
    void inquireWbMode() override;
    void setLuminance(int value) override;
    void setContrast(int value) override;
    void setHue(int value) override;
    void triggerOnePushWb() override;
    void osdMenu() override;
    void osdEnter() override;
    void osdBack() override;
    void setImageFlip(bool on) override;
    void setImageMirror(bool on) override;
    void setPresetSpeed(int index) override;
    void setPanTiltLimitUpRight(int tiltPosition, int panPosition) override;
    void setPanTiltLimitDownLeft(int tiltPosition, int panPosition) override;
    void setFocusLock(bool locked) override;
    void clearPanTiltLimit(int corner) override;
    int leftPanDegrees(int position) const override;
    int rightPanDegrees(int position) const override;
    int upTiltDegrees(int position) const override;
    int downTiltDegrees(int position) const override;
    void setMotionSync(bool on) override;
    void clearPreset(int presetNum) override;
    // Program lights the camera's tally lamp, any other state turns it off; written once per change.
    void setTally(TallyState state) override;
    // While live and the camera is not the current one, a light link carries its tally: no stops, no
    // polling, no inquiries, re-opened with the same back-off as the control link.
    void setTallySourceLive(bool live) override;

    ViscaTransport transport() const { return m_transport; }
    // Whether the link is open (or opening) for the tally lamp only.
    bool isTallyOnlyLink() const { return m_tallyOnly; }
    // False once the camera answered the tally command as unknown or not executable.
    bool hasTallyLight() const { return !m_noTallyLight; }
    quint16 port() const { return m_port; }

    // The name clientStateChanged uses for a socket state.
    static QString stateName(QAbstractSocket::SocketState state);

public Q_SLOTS:
    void onClientConnected();
    void onClientDisconnected();
    void onClientError();
    void onClientStateChanged(QAbstractSocket::SocketState state);
    void onFinishDownloadImage(QNetworkReply *reply);
    void onGetName(QNetworkReply *reply);
    void onTimer();

private Q_SLOTS:
    void onInquiryTimeout();
    void onRetryTimer();

private:
    void writeCommand(const ViscaCommand &command);
    void drive(ViscaPackets::Direction direction, int panSpeed, int tiltSpeed);
    // Pan-tilt, zoom and focus stop, in this order.
    void writeStops(const char *why);
    void sendSwitch(const ViscaPackets::Header &header, bool on);
    void sendDirectValue(const ViscaPackets::Header &header, int value);
    void sendWholeByteValue(const ViscaPackets::Header &header, int value);
    void sendLimit(quint8 corner, int tiltPosition, int panPosition);
    void queueInquiry(int kind);
    void writeHead();
    void releaseHead();
    void clearQueue();
    void onReply(const QByteArray &frame, int requestKind);
    void dispatchReply(const quint8 *frame, int length, int requestKind);
    void storeAnswer(int kind, const quint8 *frame, int length);
    void noteCameraAlive();
    void scheduleRetry();
    void stopRetrying();
    QString currentStateName() const;
    // Starts stops, polling and the device name request on a link that is open.
    // fresh: the link has just opened (the tally follows the stops even when unchanged).
    void startControl(bool fresh);
    bool lightLinkWanted() const;
    void updateLightLink();
    void writeTally(bool on);
    // Writes the tally when it differs from what the camera shows; force: write it even then.
    void syncTally(bool force);
    bool isTallyError(const quint8 *frame, int length, int requestKind) const;

    ViscaTransport m_transport;
    quint16 m_port;
    ViscaLink *m_link = nullptr;
    QNetworkAccessManager *m_pictureManager = nullptr;
    QNetworkAccessManager *m_nameManager = nullptr;
    QMap<QNetworkReply *, int> m_pictureRequests;
    int m_pollStep = 0;
    QTimer *m_pollTimer = nullptr;
    // Head first; the head is the inquiry on the wire.
    QList<ViscaCommand> m_inquiryQueue;
    int m_currentInquiry = ViscaPackets::NoInquiry;
    bool m_userDisconnect = false;

    QTimer *m_inquiryTimer = nullptr;
    int m_timeoutsInRow = 0;
    bool m_unresponsive = false;
    // Inquiries given up whose answers may still come; while there are any, an answer of the wrong form
    // for the inquiry on the wire is taken for one of them and dropped.
    int m_lateAnswersOwed = 0;

    // Re-opening a link the camera dropped: one attempt at once, then a back-off until the link is up or
    // the user disconnects.
    QTimer *m_retryTimer = nullptr;
    bool m_relinking = false;
    int m_retryAttempt = 0;
    QElapsedTimer m_linkUp;
    // The speeds of the last pan-tilt packet: the automatic stop carries them like the operator's does.
    int m_lastPanSpeed = 5;
    int m_lastTiltSpeed = 5;

    // Tally: the state the switchers give, the state last written on this link (a link opens as off),
    // and when the last tally command left, to tell its error answer from others.
    TallyState m_tally = TallyState::Off;
    bool m_lampOn = false;
    QElapsedTimer m_tallyWritten;
    bool m_noTallyLight = false;
    bool m_tallySourceLive = false;
    // The user wants the control link (connectCamera until disconnectCamera).
    bool m_controlWanted = false;
    // The link is open or opening for the tally lamp only.
    bool m_tallyOnly = false;
};
