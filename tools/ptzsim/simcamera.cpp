#include "simcamera.h"

#include "viscatables.h"

#include <QJsonArray>
#include <QTimer>

#include <cmath>

namespace {
// Rates in position units per second. Full pan sweep at top speed takes about five seconds,
// the full zoom range at top variable speed about two.
constexpr double PanUnitsPerSpeedStep = 40.0;
constexpr double TiltUnitsPerSpeedStep = 30.0;
constexpr double ZoomUnitsPerSpeedStep = 1000.0;
constexpr double FocusUnitsPerSpeedStep = 3000.0;
constexpr double PresetHeadUnitsPerSpeedStep = 100.0;
constexpr double PresetLensUnitsPerSpeedStep = 700.0;
constexpr double AutoFocusUnitsPerSecond = 40000.0;
constexpr int TickMs = 20;

constexpr int DefaultShutter = 7; // 1/250
constexpr int DefaultIris = 8;    // F3.4
constexpr int DefaultBright = 7;
constexpr int DefaultPicture = 7;

int clampTo(int value, int minimum, int maximum)
{
    return qBound(minimum, value, maximum);
}
} // namespace

void SimCamera::Axis::drive(double unitsPerSecond)
{
    seeking = false;
    velocity = unitsPerSecond;
}

void SimCamera::Axis::seek(double to, double unitsPerSecond)
{
    velocity = 0;
    target = qBound(double(minimum), to, double(maximum));
    seekSpeed = qMax(1.0, unitsPerSecond);
    seeking = !qFuzzyCompare(position + 1.0, target + 1.0);
}

void SimCamera::Axis::stop()
{
    velocity = 0;
    seeking = false;
}

void SimCamera::Axis::place(double to)
{
    stop();
    position = to;
}

void SimCamera::Axis::advance(double seconds)
{
    if (seeking) {
        const double step = seekSpeed * seconds;
        if (std::abs(target - position) <= step) {
            position = target;
            seeking = false;
        } else {
            position += target > position ? step : -step;
        }
    } else if (velocity != 0) {
        // Pressing against a limit keeps the drive on (like a real head) but the position stays.
        const double next = position + velocity * seconds;
        if (velocity > 0)
            position = qMax(position, qMin(next, double(maximum)));
        else
            position = qMin(position, qMax(next, double(minimum)));
    }
}

SimCamera::SimCamera(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(TickMs);
    connect(m_timer, &QTimer::timeout, this, &SimCamera::onTick);
    reset();
}

void SimCamera::reset()
{
    m_timer->stop();
    m_pan = Axis();
    m_pan.minimum = Visca::PanMinimum;
    m_pan.maximum = Visca::PanMaximum;
    m_tilt = Axis();
    m_tilt.minimum = Visca::TiltMinimum;
    m_tilt.maximum = Visca::TiltMaximum;
    m_zoom = Axis();
    m_zoom.minimum = Visca::ZoomMinimum;
    m_zoom.maximum = Visca::ZoomMaximum;
    m_focus = Axis();
    m_focus.minimum = Visca::FocusMinimum;
    m_focus.maximum = Visca::FocusMaximum;
    m_focus.position = idealFocus();
    m_autoFocusTarget = idealFocus();
    m_autoFocus = true;
    m_focusLock = false;
    m_aeMode = 0x00;
    m_shutter = DefaultShutter;
    m_iris = DefaultIris;
    m_bright = DefaultBright;
    m_luminance = DefaultPicture;
    m_contrast = DefaultPicture;
    m_hue = DefaultPicture;
    m_wbMode = 0x00;
    m_onePushWbCount = 0;
    m_flip = false;
    m_mirror = false;
    m_motionSync = false;
    m_power = true;
    m_menuOpen = false;
    m_tallyLamp = false;
    m_menuLevel = 0;
    m_menuItem = 0;
    m_presetSpeed = Visca::PresetSpeedMaximum;
    m_presets.clear();
    m_clock.start();
}

void SimCamera::advance() const
{
    const qint64 elapsedMs = m_clock.restart();
    const double seconds = double(elapsedMs) / 1000.0;
    if (seconds <= 0)
        return;
    m_pan.advance(seconds);
    m_tilt.advance(seconds);
    m_zoom.advance(seconds);
    if (m_autoFocus && !m_focusLock)
        seekAutoFocus();
    m_focus.advance(seconds);
}

void SimCamera::seekAutoFocus() const
{
    // Auto focus reacts when the sharp point moves (the zoom changed) or when it is switched on; a
    // focus placed by hand through the control channel stays until then.
    const int ideal = idealFocus();
    if (ideal == m_autoFocusTarget)
        return;
    m_autoFocusTarget = ideal;
    m_focus.seek(ideal, AutoFocusUnitsPerSecond);
}

void SimCamera::startMotion()
{
    if (isMoving() && !m_timer->isActive())
        m_timer->start();
}

void SimCamera::onTick()
{
    advance();
    if (!isMoving())
        m_timer->stop();
}

int SimCamera::idealFocus() const
{
    const double zoomShare
        = (m_zoom.position - Visca::ZoomMinimum) / double(Visca::ZoomMaximum - Visca::ZoomMinimum);
    return int(std::lround(0x2000 + zoomShare * 0x8000));
}

void SimCamera::drivePanTilt(int panSpeed, int tiltSpeed, int panDirection, int tiltDirection)
{
    advance();
    if (m_menuOpen) {
        // With the menu on screen the joystick moves the menu cursor, not the head.
        if (tiltDirection != 0)
            moveMenuCursor(tiltDirection > 0 ? -1 : 1);
        return;
    }
    panSpeed = clampTo(panSpeed, 1, Visca::PanSpeedMaximum);
    tiltSpeed = clampTo(tiltSpeed, 1, Visca::TiltSpeedMaximum);
    m_pan.drive(panDirection * panSpeed * PanUnitsPerSpeedStep);
    m_tilt.drive(tiltDirection * tiltSpeed * TiltUnitsPerSpeedStep);
    startMotion();
}

void SimCamera::movePanTiltTo(int pan, int tilt, int panSpeed, int tiltSpeed)
{
    advance();
    panSpeed = clampTo(panSpeed, 1, Visca::PanSpeedMaximum);
    tiltSpeed = clampTo(tiltSpeed, 1, Visca::TiltSpeedMaximum);
    m_pan.seek(pan, panSpeed * PresetHeadUnitsPerSpeedStep);
    m_tilt.seek(tilt, tiltSpeed * PresetHeadUnitsPerSpeedStep);
    startMotion();
}

void SimCamera::movePanTiltBy(int panDelta, int tiltDelta, int panSpeed, int tiltSpeed)
{
    advance();
    movePanTiltTo(int(std::lround(m_pan.position)) + panDelta, int(std::lround(m_tilt.position)) + tiltDelta,
                  panSpeed, tiltSpeed);
}

void SimCamera::home()
{
    movePanTiltTo(0, 0, Visca::PanSpeedMaximum, Visca::TiltSpeedMaximum);
}

void SimCamera::setPanTiltLimit(Corner corner, int pan, int tilt)
{
    advance();
    if (corner == Corner::DownLeft) {
        m_pan.minimum = clampTo(pan, Visca::PanMinimum, m_pan.maximum);
        m_tilt.minimum = clampTo(tilt, Visca::TiltMinimum, m_tilt.maximum);
    } else {
        m_pan.maximum = clampTo(pan, m_pan.minimum, Visca::PanMaximum);
        m_tilt.maximum = clampTo(tilt, m_tilt.minimum, Visca::TiltMaximum);
    }
    // A head outside the new window is brought back inside at once.
    m_pan.position = qBound(double(m_pan.minimum), m_pan.position, double(m_pan.maximum));
    m_tilt.position = qBound(double(m_tilt.minimum), m_tilt.position, double(m_tilt.maximum));
    if (m_pan.seeking)
        m_pan.target = qBound(double(m_pan.minimum), m_pan.target, double(m_pan.maximum));
    if (m_tilt.seeking)
        m_tilt.target = qBound(double(m_tilt.minimum), m_tilt.target, double(m_tilt.maximum));
}

void SimCamera::clearPanTiltLimit(Corner corner)
{
    if (corner == Corner::DownLeft) {
        m_pan.minimum = Visca::PanMinimum;
        m_tilt.minimum = Visca::TiltMinimum;
    } else {
        m_pan.maximum = Visca::PanMaximum;
        m_tilt.maximum = Visca::TiltMaximum;
    }
}

void SimCamera::driveZoom(int direction, int speed)
{
    advance();
    m_zoom.drive(direction * (clampTo(speed, 0, Visca::LensSpeedMaximum) + 1) * ZoomUnitsPerSpeedStep);
    startMotion();
}

void SimCamera::moveZoomTo(int position)
{
    advance();
    m_zoom.seek(position, (Visca::LensSpeedMaximum + 1) * ZoomUnitsPerSpeedStep);
    startMotion();
}

void SimCamera::driveFocus(int direction, int speed)
{
    advance();
    // Auto focus and the focus lock both hold the lens; manual drive only works without them.
    if (m_focusLock || (m_autoFocus && direction != 0))
        return;
    m_focus.drive(direction * (clampTo(speed, 0, Visca::LensSpeedMaximum) + 1) * FocusUnitsPerSpeedStep);
    startMotion();
}

void SimCamera::moveFocusTo(int position)
{
    advance();
    if (m_focusLock || m_autoFocus)
        return;
    m_focus.seek(position, (Visca::LensSpeedMaximum + 1) * FocusUnitsPerSpeedStep);
    startMotion();
}

void SimCamera::setAutoFocus(bool on)
{
    advance();
    m_autoFocus = on;
    m_focus.stop();
    m_autoFocusTarget = -1;
    if (on && !m_focusLock) {
        seekAutoFocus();
        startMotion();
    }
}

void SimCamera::toggleAutoFocus()
{
    setAutoFocus(!m_autoFocus);
}

void SimCamera::onePushFocus()
{
    advance();
    if (m_focusLock)
        return;
    m_focus.seek(idealFocus(), AutoFocusUnitsPerSecond);
    startMotion();
}

void SimCamera::setFocusLock(bool on)
{
    advance();
    m_focusLock = on;
    m_autoFocusTarget = -1;
    if (on)
        m_focus.stop();
    else if (m_autoFocus)
        seekAutoFocus();
    startMotion();
}

void SimCamera::storePreset(int number)
{
    if (number < 0 || number >= Visca::PresetCount)
        return;
    advance();
    m_presets.insert(number, Preset{pan(), tilt(), zoom(), focus()});
}

bool SimCamera::recallPreset(int number)
{
    if (number == Visca::MenuPreset) {
        toggleMenu();
        return true;
    }
    const auto it = m_presets.constFind(number);
    if (it == m_presets.constEnd())
        return false;
    advance();
    const double headSpeed = m_presetSpeed * PresetHeadUnitsPerSpeedStep;
    const double lensSpeed = m_presetSpeed * PresetLensUnitsPerSpeedStep;
    m_pan.seek(it->pan, headSpeed);
    m_tilt.seek(it->tilt, headSpeed);
    m_zoom.seek(it->zoom, lensSpeed);
    if (!m_autoFocus && !m_focusLock)
        m_focus.seek(it->focus, lensSpeed);
    startMotion();
    return true;
}

void SimCamera::clearPreset(int number)
{
    m_presets.remove(number);
}

void SimCamera::setPresetSpeed(int speed)
{
    m_presetSpeed = clampTo(speed, 1, Visca::PresetSpeedMaximum);
}

void SimCamera::setAeMode(int code)
{
    m_aeMode = code;
}

void SimCamera::setShutter(int position)
{
    m_shutter = clampTo(position, Visca::ShutterMinimum, Visca::ShutterMaximum);
}

void SimCamera::stepShutter(int delta)
{
    setShutter(m_shutter + delta);
}

void SimCamera::resetShutter()
{
    m_shutter = DefaultShutter;
}

void SimCamera::setIris(int position)
{
    m_iris = clampTo(position, Visca::IrisMinimum, Visca::IrisMaximum);
}

void SimCamera::stepIris(int delta)
{
    setIris(m_iris + delta);
}

void SimCamera::resetIris()
{
    m_iris = DefaultIris;
}

void SimCamera::setBright(int value)
{
    m_bright = clampTo(value, Visca::BrightMinimum, Visca::BrightMaximum);
}

void SimCamera::stepBright(int delta)
{
    setBright(m_bright + delta);
}

void SimCamera::resetBright()
{
    m_bright = DefaultBright;
}

void SimCamera::setLuminance(int value)
{
    m_luminance = clampTo(value, Visca::PictureMinimum, Visca::PictureMaximum);
}

void SimCamera::setContrast(int value)
{
    m_contrast = clampTo(value, Visca::PictureMinimum, Visca::PictureMaximum);
}

void SimCamera::setHue(int value)
{
    m_hue = clampTo(value, Visca::PictureMinimum, Visca::PictureMaximum);
}

void SimCamera::setWbMode(int code)
{
    m_wbMode = code;
}

void SimCamera::triggerOnePushWb()
{
    ++m_onePushWbCount;
}

void SimCamera::setFlip(bool on)
{
    m_flip = on;
}

void SimCamera::setMirror(bool on)
{
    m_mirror = on;
}

void SimCamera::setMotionSync(bool on)
{
    m_motionSync = on;
}

void SimCamera::setPower(bool on)
{
    m_power = on;
}

void SimCamera::toggleMenu()
{
    setMenuOpen(!m_menuOpen);
}

void SimCamera::setMenuOpen(bool open)
{
    if (open && !m_menuOpen) {
        // The head stops when the menu takes over the joystick.
        advance();
        m_pan.stop();
        m_tilt.stop();
        m_menuLevel = 0;
        m_menuItem = 0;
    }
    m_menuOpen = open;
    if (!open)
        m_menuLevel = 0;
}

void SimCamera::menuEnter()
{
    if (m_menuOpen)
        m_menuLevel = qMin(m_menuLevel + 1, 2);
}

void SimCamera::menuBack()
{
    if (!m_menuOpen)
        return;
    if (m_menuLevel > 0)
        --m_menuLevel;
    else
        setMenuOpen(false);
}

void SimCamera::moveMenuCursor(int delta)
{
    const int count = int(menuEntries().size());
    m_menuItem = ((m_menuItem + delta) % count + count) % count;
}

QStringList SimCamera::menuEntries()
{
    return {QStringLiteral("EXPOSURE"), QStringLiteral("COLOR"),   QStringLiteral("IMAGE"),
            QStringLiteral("P/T/Z"),    QStringLiteral("NOISE"),   QStringLiteral("SETUP"),
            QStringLiteral("NETWORK"),  QStringLiteral("RESTORE"), QStringLiteral("EXIT")};
}

int SimCamera::pan() const
{
    advance();
    return int(std::lround(m_pan.position));
}

int SimCamera::tilt() const
{
    advance();
    return int(std::lround(m_tilt.position));
}

int SimCamera::zoom() const
{
    advance();
    return int(std::lround(m_zoom.position));
}

int SimCamera::focus() const
{
    advance();
    return int(std::lround(m_focus.position));
}

bool SimCamera::isMoving() const
{
    return m_pan.isMoving() || m_tilt.isMoving() || m_zoom.isMoving() || m_focus.isMoving();
}

QJsonObject SimCamera::toJson() const
{
    advance();
    QJsonObject presets;
    for (auto it = m_presets.constBegin(); it != m_presets.constEnd(); ++it) {
        presets.insert(QString::number(it.key()), QJsonObject{{QStringLiteral("pan"), it->pan},
                                                              {QStringLiteral("tilt"), it->tilt},
                                                              {QStringLiteral("zoom"), it->zoom},
                                                              {QStringLiteral("focus"), it->focus}});
    }
    return QJsonObject{
        {QStringLiteral("pan"), pan()},
        {QStringLiteral("tilt"), tilt()},
        {QStringLiteral("zoom"), zoom()},
        {QStringLiteral("focus"), focus()},
        {QStringLiteral("moving"), isMoving()},
        {QStringLiteral("autofocus"), m_autoFocus},
        {QStringLiteral("focuslock"), m_focusLock},
        {QStringLiteral("aemode"), m_aeMode},
        {QStringLiteral("shutter"), m_shutter},
        {QStringLiteral("iris"), m_iris},
        {QStringLiteral("bright"), m_bright},
        {QStringLiteral("luminance"), m_luminance},
        {QStringLiteral("contrast"), m_contrast},
        {QStringLiteral("hue"), m_hue},
        {QStringLiteral("wbmode"), m_wbMode},
        {QStringLiteral("onepushwb"), m_onePushWbCount},
        {QStringLiteral("flip"), m_flip},
        {QStringLiteral("mirror"), m_mirror},
        {QStringLiteral("motionsync"), m_motionSync},
        {QStringLiteral("power"), m_power},
        {QStringLiteral("menu"), m_menuOpen},
        {QStringLiteral("tally"), m_tallyLamp},
        {QStringLiteral("menulevel"), m_menuLevel},
        {QStringLiteral("menuitem"), m_menuItem},
        {QStringLiteral("presetspeed"), m_presetSpeed},
        {QStringLiteral("panmin"), m_pan.minimum},
        {QStringLiteral("panmax"), m_pan.maximum},
        {QStringLiteral("tiltmin"), m_tilt.minimum},
        {QStringLiteral("tiltmax"), m_tilt.maximum},
        {QStringLiteral("presets"), presets},
    };
}

QStringList SimCamera::fieldNames()
{
    return {QStringLiteral("pan"),    QStringLiteral("tilt"),       QStringLiteral("zoom"),
            QStringLiteral("focus"),  QStringLiteral("autofocus"),  QStringLiteral("focuslock"),
            QStringLiteral("aemode"), QStringLiteral("shutter"),    QStringLiteral("iris"),
            QStringLiteral("bright"), QStringLiteral("luminance"),  QStringLiteral("contrast"),
            QStringLiteral("hue"),    QStringLiteral("wbmode"),     QStringLiteral("flip"),
            QStringLiteral("mirror"), QStringLiteral("motionsync"), QStringLiteral("power"),
            QStringLiteral("menu"),   QStringLiteral("presetspeed")};
}

bool SimCamera::setField(const QString &field, const QString &value, QString *error)
{
    advance();
    const QString name = field.toLower();
    if (name == QLatin1String("pan") || name == QLatin1String("tilt") || name == QLatin1String("zoom")
        || name == QLatin1String("focus")) {
        bool ok = false;
        const uint word = value.toUInt(&ok, 16);
        if (!ok || value.size() > 4 || value.startsWith(QLatin1Char('+'))) {
            *error = QStringLiteral("%1 takes up to four hex digits, not \"%2\"").arg(name, value);
            return false;
        }
        // Placed exactly where asked, even outside the motion range, so odd answers can be tested.
        if (name == QLatin1String("pan"))
            m_pan.place(Visca::signedPosition(quint16(word)));
        else if (name == QLatin1String("tilt"))
            m_tilt.place(Visca::signedPosition(quint16(word)));
        else if (name == QLatin1String("zoom"))
            m_zoom.place(word);
        else
            m_focus.place(word);
        return true;
    }

    bool ok = false;
    const int number = value.toInt(&ok, 0);
    if (!ok || number < 0 || number > 255) {
        *error = QStringLiteral("%1 takes an integer 0..255, not \"%2\"").arg(name, value);
        return false;
    }
    if (name == QLatin1String("autofocus")) {
        m_autoFocus = number != 0;
        m_autoFocusTarget = -1;
        if (m_autoFocus && !m_focusLock) {
            seekAutoFocus();
            startMotion();
        } else {
            m_focus.stop();
        }
    } else if (name == QLatin1String("focuslock")) {
        m_focusLock = number != 0;
    } else if (name == QLatin1String("aemode")) {
        m_aeMode = number;
    } else if (name == QLatin1String("shutter")) {
        m_shutter = number;
    } else if (name == QLatin1String("iris")) {
        m_iris = number;
    } else if (name == QLatin1String("bright")) {
        m_bright = number;
    } else if (name == QLatin1String("luminance")) {
        m_luminance = number;
    } else if (name == QLatin1String("contrast")) {
        m_contrast = number;
    } else if (name == QLatin1String("hue")) {
        m_hue = number;
    } else if (name == QLatin1String("wbmode")) {
        m_wbMode = number;
    } else if (name == QLatin1String("flip")) {
        m_flip = number != 0;
    } else if (name == QLatin1String("mirror")) {
        m_mirror = number != 0;
    } else if (name == QLatin1String("motionsync")) {
        m_motionSync = number != 0;
    } else if (name == QLatin1String("power")) {
        m_power = number != 0;
    } else if (name == QLatin1String("menu")) {
        setMenuOpen(number != 0);
    } else if (name == QLatin1String("presetspeed")) {
        setPresetSpeed(number);
    } else {
        *error = QStringLiteral("unknown field \"%1\" (fields: %2)")
                     .arg(field, fieldNames().join(QLatin1Char(' ')));
        return false;
    }
    return true;
}
