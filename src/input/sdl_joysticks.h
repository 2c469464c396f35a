#pragma once

#include "qjoystickaxisevent.h"
#include "qjoystickbuttonevent.h"
#include "qjoystickdevice.h"
#include "qjoystickpovevent.h"
#include "qjoystickrumble.h"

#include <SDL_events.h>
#include <SDL_gamecontroller.h>
#include <SDL_haptic.h>
#include <SDL_joystick.h>

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

// The SDL2 back end of the joystick manager: starts SDL, loads controller mappings, drains SDL's event
// queue from a timer on the event loop and turns joystick events into event records.
class SDL_Joysticks : public QObject
{
    Q_OBJECT

public:
    explicit SDL_Joysticks(QObject *parent = nullptr);
    ~SDL_Joysticks() override;

    // One fresh description per attached device, in SDL's device order.
    QList<QJoystickDevice> listJoysticks();
    // A new description of the device with the given SDL device number; its id is that number.
    QJoystickDevice getJoystick(int id);

Q_SIGNALS:
    void countChanged();
    void POVEvent(const QJoystickPOVEvent &event);
    void axisEvent(const QJoystickAxisEvent &event);
    void buttonEvent(const QJoystickButtonEvent &event);

public Q_SLOTS:
    void rumble(const QJoystickRumble &request);

private Q_SLOTS:
    void update();
    void configureJoystick(const SDL_Event *event);

private:
    // What SDL needs kept open for a device to deliver its events (and to rumble).
    struct OpenDevice
    {
        SDL_GameController *controller = nullptr;
        SDL_Joystick *joystick = nullptr;
        SDL_Haptic *haptic = nullptr;
    };

    // The description for an event of the device with this instance id; its id is the device's current
    // SDL device number, or -1 once SDL no longer lists it.
    QJoystickDevice eventDevice(SDL_JoystickID instanceId);
    void closeDevice(SDL_JoystickID instanceId);
    void loadMappings();

    QTimer m_pollTimer;
    QHash<SDL_JoystickID, OpenDevice> m_openDevices;
};
