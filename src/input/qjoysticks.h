#pragma once

#include "qjoystickaxisevent.h"
#include "qjoystickbuttonevent.h"
#include "qjoystickdevice.h"
#include "qjoystickpovevent.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

class QSettings;
class SDL_Joysticks;
class VirtualJoystick;

// The process-wide list of input devices (SDL game controllers and joysticks, and optionally the
// keyboard-driven virtual joystick) with their current hat, axis and button states. Every input change
// is raised again as a signal that names the device by its index in the list.
class QJoysticks : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int nonBlacklistedCount READ nonBlacklistedCount NOTIFY countChanged)
    Q_PROPERTY(QStringList deviceNames READ deviceNames NOTIFY countChanged)

public:
    // The one manager; created (and SDL started) on the first call, deleted when the application object
    // goes away.
    static QJoysticks *sharedInstance();

    ~QJoysticks() override;

    int count() const;
    int nonBlacklistedCount() const;
    QStringList deviceNames() const;

    Q_INVOKABLE int getPOV(int index, int pov) const;
    Q_INVOKABLE qreal getAxis(int index, int axis) const;
    Q_INVOKABLE bool getButton(int index, int button) const;
    Q_INVOKABLE int getNumAxes(int index) const;
    Q_INVOKABLE int getNumPOVs(int index) const;
    Q_INVOKABLE int getNumButtons(int index) const;
    Q_INVOKABLE bool isBlacklisted(int index) const;
    Q_INVOKABLE bool joystickExists(int index) const;
    Q_INVOKABLE QString getName(int index) const;

    // The listed device, or nothing for an index outside the list.
    std::optional<QJoystickDevice> deviceAt(int index) const;

public Q_SLOTS:
    void updateInterfaces();
    void setVirtualJoystickRange(qreal range);
    void setVirtualJoystickEnabled(bool enabled);
    void setSortJoysticksByBlacklistState(bool sort);
    void setBlacklisted(int index, bool blacklisted);

Q_SIGNALS:
    void countChanged();
    // Raw events of either back end; the device id is the back end's own numbering.
    void POVEvent(const QJoystickPOVEvent &event);
    void axisEvent(const QJoystickAxisEvent &event);
    void buttonEvent(const QJoystickButtonEvent &event);
    // Events of listed, non-blacklisted devices after the state update; js is the index in the list.
    void povChanged(int js, int pov, int angle);
    void axisChanged(int js, int axis, qreal value);
    void buttonChanged(int js, int button, bool pressed);

private Q_SLOTS:
    void resetJoysticks();
    void addInputDevice(const QJoystickDevice &device);
    void onPOVEvent(const QJoystickPOVEvent &e);
    void onAxisEvent(const QJoystickAxisEvent &e);
    void onButtonEvent(const QJoystickButtonEvent &e);

private:
    QJoysticks();

    // The list index of the device an event came from, or -1 when it is not (or no longer) listed.
    int listIndexOf(const QJoystickDevice &device) const;
    bool blacklistedInSettings(const QString &name) const;
    void appendVirtualJoystick();

    bool m_sortByBlacklistState = false;
    QSettings *m_settings = nullptr;
    SDL_Joysticks *m_sdlJoysticks = nullptr;
    VirtualJoystick *m_virtualJoystick = nullptr;
    QList<QJoystickDevice> m_devices;
};
