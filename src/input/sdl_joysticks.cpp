#include "sdl_joysticks.h"

#include "inputlog.h"

#include <SDL.h>

#include <QCoreApplication>
#include <QFile>

namespace {

// Game controller, haptic and audio subsystems.
// Controllers and rumble are what the program needs; the audio subsystem is opened as well where the
// machine has sound, but a show machine without a sound device must keep its controller input.
constexpr Uint32 SdlSubsystems = SDL_INIT_GAMECONTROLLER | SDL_INIT_HAPTIC;
constexpr Uint32 SdlOptionalSubsystems = SDL_INIT_AUDIO;

constexpr int FirstPollDelayMs = 100;
constexpr int PollIntervalMs = 10;
constexpr double AxisScale = 32767.0;

const QString MappingDatabase = QStringLiteral(":/tavimorex-assets/SDL/Database.txt");
const QString GenericMappingFile = QStringLiteral(":/tavimorex-assets/SDL/GenericMappings/Windows.txt");

// Bindings applied to every joystick SDL does not know as a game controller; empty until loaded.
QString s_genericMapping;

struct HatAngle
{
    Uint8 hat;
    int angle;
};

const HatAngle HatAngles[] = {
    {SDL_HAT_UP, 0},     {SDL_HAT_RIGHTUP, 45},   {SDL_HAT_RIGHT, 90}, {SDL_HAT_RIGHTDOWN, 135},
    {SDL_HAT_DOWN, 180}, {SDL_HAT_LEFTDOWN, 225}, {SDL_HAT_LEFT, 270}, {SDL_HAT_LEFTUP, 315},
};

// Centred and any value SDL should never send give -1.
int hatToAngle(Uint8 value)
{
    for (const HatAngle &entry : HatAngles) {
        if (entry.hat == value)
            return entry.angle;
    }
    return -1;
}

void describe(QJoystickDevice &device, SDL_Joystick *joystick)
{
    device.name = QString::fromUtf8(SDL_JoystickName(joystick));
    device.instanceId = SDL_JoystickInstanceID(joystick);
    device.povs = QList<int>(qMax(0, SDL_JoystickNumHats(joystick)), 0);
    device.axes = QList<double>(qMax(0, SDL_JoystickNumAxes(joystick)), 0.0);
    device.buttons = QList<bool>(qMax(0, SDL_JoystickNumButtons(joystick)), false);
    device.blacklisted = false;
}

} // namespace

SDL_Joysticks::SDL_Joysticks(QObject *parent) : QObject(parent)
{
    // SDL would otherwise take over SIGINT and SIGTERM, and the program would no longer quit on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Without SDL the panel still drives cameras from the window, the keyboard and the web page, so a
    // failure costs the controllers only; it must never end the program in the middle of a show.
    if (SDL_Init(SdlSubsystems) != 0)
        qCCritical(lcInput) << "Cannot initialise SDL, game controllers are unavailable:" << SDL_GetError();
    else if (SDL_InitSubSystem(SdlOptionalSubsystems) != 0)
        qCDebug(lcInput) << "SDL audio unavailable:" << SDL_GetError();

    loadMappings();

    m_pollTimer.setSingleShot(true);
    connect(&m_pollTimer, &QTimer::timeout, this, &SDL_Joysticks::update);
    m_pollTimer.start(FirstPollDelayMs);
}

SDL_Joysticks::~SDL_Joysticks()
{
    const QList<SDL_JoystickID> open = m_openDevices.keys();
    for (SDL_JoystickID instanceId : open)
        closeDevice(instanceId);
    SDL_Quit();
}

QList<QJoystickDevice> SDL_Joysticks::listJoysticks()
{
    QList<QJoystickDevice> devices;
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        devices.append(getJoystick(i));
    return devices;
}

QJoystickDevice SDL_Joysticks::getJoystick(int id)
{
    QJoystickDevice device;
    device.id = id;
    // Opening is reference-counted by SDL, so this does not disturb a device kept open for its events.
    SDL_Joystick *joystick = SDL_JoystickOpen(id);
    if (!joystick) {
        qCWarning(lcInput) << "SDL_Joysticks::getJoystick: Cannot find joystick with id:" << id;
        return device;
    }
    describe(device, joystick);
    SDL_JoystickClose(joystick);
    return device;
}

void SDL_Joysticks::rumble(const QJoystickRumble &request)
{
    SDL_JoystickID instanceId = request.joystick.instanceId;
    if (instanceId < 0 && request.joystick.id >= 0 && request.joystick.id < SDL_NumJoysticks())
        instanceId = SDL_JoystickGetDeviceInstanceID(request.joystick.id);
    const auto it = m_openDevices.find(instanceId);
    if (it == m_openDevices.end())
        return;

    SDL_Joystick *joystick = it->controller ? SDL_GameControllerGetJoystick(it->controller) : it->joystick;
    if (!it->haptic && SDL_JoystickIsHaptic(joystick) == SDL_TRUE) {
        it->haptic = SDL_HapticOpenFromJoystick(joystick);
        if (it->haptic && SDL_HapticRumbleInit(it->haptic) != 0) {
            SDL_HapticClose(it->haptic);
            it->haptic = nullptr;
        }
    }

    const double strength = qBound(0.0, request.strength, 1.0);
    if (it->haptic) {
        SDL_HapticRumblePlay(it->haptic, float(strength), request.length);
        return;
    }
    // Many controllers rumble without offering a haptic device.
    const auto level = Uint16(strength * 0xFFFF);
    SDL_JoystickRumble(joystick, level, level, request.length);
}

void SDL_Joysticks::update()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_JOYAXISMOTION: {
            QJoystickAxisEvent e;
            e.axis = event.jaxis.axis;
            e.value = event.jaxis.value / AxisScale;
            e.joystick = eventDevice(event.jaxis.which);
            Q_EMIT axisEvent(e);
            break;
        }
        case SDL_JOYHATMOTION: {
            QJoystickPOVEvent e;
            e.pov = event.jhat.hat;
            e.angle = hatToAngle(event.jhat.value);
            e.joystick = eventDevice(event.jhat.which);
            Q_EMIT POVEvent(e);
            break;
        }
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            QJoystickButtonEvent e;
            e.button = event.jbutton.button;
            e.pressed = event.jbutton.state == SDL_PRESSED;
            e.joystick = eventDevice(event.jbutton.which);
            Q_EMIT buttonEvent(e);
            break;
        }
        case SDL_JOYDEVICEADDED:
            configureJoystick(&event);
            break;
        case SDL_JOYDEVICEREMOVED:
            closeDevice(event.jdevice.which);
            Q_EMIT countChanged();
            break;
        default:
            break;
        }
    }

    m_pollTimer.start(PollIntervalMs);
}

void SDL_Joysticks::configureJoystick(const SDL_Event *event)
{
    const int which = event->jdevice.which;

    if (!SDL_IsGameController(which)) {
        if (SDL_Joystick *joystick = SDL_JoystickOpen(which)) {
            // SDL matches mappings on the GUID without the CRC of the device name it carries in bytes 2
            // and 3 (since 2.26); a GUID with the CRC would never match.
            SDL_JoystickGUID deviceGuid = SDL_JoystickGetGUID(joystick);
            deviceGuid.data[2] = 0;
            deviceGuid.data[3] = 0;
            char guid[1024] = {};
            SDL_JoystickGetGUIDString(deviceGuid, guid, sizeof guid);
            const QString mapping = QStringLiteral("%1,%2,%3")
                                        .arg(QString::fromLatin1(guid),
                                             QString::fromUtf8(SDL_JoystickName(joystick)), s_genericMapping);
            SDL_GameControllerAddMapping(mapping.toUtf8().constData());
            SDL_JoystickClose(joystick);
        }
    }

    // SDL reports a device's input only while it is open, so it stays open until it is removed; a
    // device that no mapping makes a game controller is kept open as a plain joystick.
    OpenDevice device;
    device.controller = SDL_GameControllerOpen(which);
    if (!device.controller)
        device.joystick = SDL_JoystickOpen(which);
    SDL_Joystick *joystick
        = device.controller ? SDL_GameControllerGetJoystick(device.controller) : device.joystick;
    if (joystick) {
        const SDL_JoystickID instanceId = SDL_JoystickInstanceID(joystick);
        if (m_openDevices.contains(instanceId)) {
            // Reported twice: keep one reference.
            if (device.controller)
                SDL_GameControllerClose(device.controller);
            else
                SDL_JoystickClose(device.joystick);
        } else {
            m_openDevices.insert(instanceId, device);
        }
    } else {
        qCWarning(lcInput) << "SDL_Joysticks::configureJoystick: Cannot open joystick with id:" << which
                           << SDL_GetError();
    }

    Q_EMIT countChanged();
}

QJoystickDevice SDL_Joysticks::eventDevice(SDL_JoystickID instanceId)
{
    QJoystickDevice device;
    device.instanceId = instanceId;
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == instanceId) {
            device.id = i;
            break;
        }
    }

    SDL_Joystick *joystick = SDL_JoystickFromInstanceID(instanceId);
    if (!joystick) {
        qCWarning(lcInput) << "SDL_Joysticks::getJoystick: Cannot find joystick with id:" << instanceId;
        return device;
    }
    describe(device, joystick);
    return device;
}

void SDL_Joysticks::closeDevice(SDL_JoystickID instanceId)
{
    const auto it = m_openDevices.constFind(instanceId);
    if (it == m_openDevices.constEnd())
        return;
    if (it->haptic)
        SDL_HapticClose(it->haptic);
    if (it->controller)
        SDL_GameControllerClose(it->controller);
    if (it->joystick)
        SDL_JoystickClose(it->joystick);
    m_openDevices.erase(it);
}

void SDL_Joysticks::loadMappings()
{
    // Neither file is shipped; each is used when present and skipped otherwise.
    QFile database(MappingDatabase);
    if (database.open(QIODevice::ReadOnly)) {
        while (!database.atEnd()) {
            const QByteArray line = database.readLine();
            SDL_GameControllerAddMapping(line.constData());
        }
    }

    QFile generic(GenericMappingFile);
    if (generic.open(QIODevice::ReadOnly))
        s_genericMapping = QString::fromUtf8(generic.readAll()).trimmed();
}
