#include "qjoysticks.h"

#include "datapaths.h"
#include "inputlog.h"
#include "sdl_joysticks.h"
#include "virtualjoystick.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

// The blacklist lives beside settings.ini in the data folder: an INI file works the same on every
// platform and needs no organisation name.
const QString BlacklistFileName = QStringLiteral("/joysticks.ini");
const QString BlacklistGroup = QStringLiteral("Blacklisted Joysticks");
const QString InvalidJoystickName = QStringLiteral("Invalid Joystick");

QJoysticks *s_instance = nullptr;

void deleteSharedInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

} // namespace

QJoysticks *QJoysticks::sharedInstance()
{
    if (!s_instance) {
        s_instance = new QJoysticks;
        // Deleted while the application object still has its event loop machinery, so SDL is shut down
        // in order and no timer outlives its dispatcher.
        qAddPostRoutine(deleteSharedInstance);
    }
    return s_instance;
}

QJoysticks::QJoysticks()
{
    qRegisterMetaType<QJoystickDevice>();
    qRegisterMetaType<QJoystickPOVEvent>();
    qRegisterMetaType<QJoystickAxisEvent>();
    qRegisterMetaType<QJoystickButtonEvent>();
    qRegisterMetaType<QJoystickRumble>();

    DataPaths::ensureFolders();
    m_settings = new QSettings(DataPaths::dataFolder() + BlacklistFileName, QSettings::IniFormat);
    m_settings->beginGroup(BlacklistGroup);

    m_sdlJoysticks = new SDL_Joysticks(this);
    m_virtualJoystick = new VirtualJoystick(this);

    connect(m_sdlJoysticks, &SDL_Joysticks::POVEvent, this, &QJoysticks::POVEvent);
    connect(m_sdlJoysticks, &SDL_Joysticks::axisEvent, this, &QJoysticks::axisEvent);
    connect(m_sdlJoysticks, &SDL_Joysticks::buttonEvent, this, &QJoysticks::buttonEvent);
    connect(m_sdlJoysticks, &SDL_Joysticks::countChanged, this, &QJoysticks::updateInterfaces);
    connect(m_virtualJoystick, &VirtualJoystick::povEvent, this, &QJoysticks::POVEvent);
    connect(m_virtualJoystick, &VirtualJoystick::axisEvent, this, &QJoysticks::axisEvent);
    connect(m_virtualJoystick, &VirtualJoystick::buttonEvent, this, &QJoysticks::buttonEvent);
    connect(m_virtualJoystick, &VirtualJoystick::enabledChanged, this, &QJoysticks::updateInterfaces);
    connect(this, &QJoysticks::POVEvent, this, &QJoysticks::onPOVEvent);
    connect(this, &QJoysticks::axisEvent, this, &QJoysticks::onAxisEvent);
    connect(this, &QJoysticks::buttonEvent, this, &QJoysticks::onButtonEvent);
}

QJoysticks::~QJoysticks()
{
    m_settings->endGroup();
    delete m_settings;
    // The back end and the virtual joystick are children and go with the QObject base.
}

int QJoysticks::count() const
{
    return int(m_devices.size());
}

int QJoysticks::nonBlacklistedCount() const
{
    int result = 0;
    for (const QJoystickDevice &device : m_devices) {
        if (!device.blacklisted)
            ++result;
    }
    return result;
}

QStringList QJoysticks::deviceNames() const
{
    QStringList names;
    names.reserve(m_devices.size());
    for (const QJoystickDevice &device : m_devices)
        names.append(device.name);
    return names;
}

int QJoysticks::getPOV(int index, int pov) const
{
    if (!joystickExists(index) || pov < 0 || pov >= m_devices[index].povs.size())
        return -1;
    return m_devices[index].povs[pov];
}

qreal QJoysticks::getAxis(int index, int axis) const
{
    if (!joystickExists(index) || axis < 0 || axis >= m_devices[index].axes.size())
        return 0.0;
    return m_devices[index].axes[axis];
}

bool QJoysticks::getButton(int index, int button) const
{
    if (!joystickExists(index) || button < 0 || button >= m_devices[index].buttons.size())
        return false;
    return m_devices[index].buttons[button];
}

int QJoysticks::getNumAxes(int index) const
{
    return joystickExists(index) ? int(m_devices[index].axes.size()) : -1;
}

int QJoysticks::getNumPOVs(int index) const
{
    return joystickExists(index) ? int(m_devices[index].povs.size()) : -1;
}

int QJoysticks::getNumButtons(int index) const
{
    return joystickExists(index) ? int(m_devices[index].buttons.size()) : -1;
}

bool QJoysticks::isBlacklisted(int index) const
{
    return joystickExists(index) ? m_devices[index].blacklisted : true;
}

bool QJoysticks::joystickExists(int index) const
{
    return index >= 0 && index < m_devices.size();
}

QString QJoysticks::getName(int index) const
{
    return joystickExists(index) ? m_devices[index].name : InvalidJoystickName;
}

std::optional<QJoystickDevice> QJoysticks::deviceAt(int index) const
{
    if (!joystickExists(index))
        return std::nullopt;
    return m_devices[index];
}

void QJoysticks::updateInterfaces()
{
    m_devices.clear();

    if (!m_sortByBlacklistState) {
        const QList<QJoystickDevice> sdlDevices = m_sdlJoysticks->listJoysticks();
        for (QJoystickDevice device : sdlDevices) {
            device.blacklisted = blacklistedInSettings(device.name);
            addInputDevice(device);
        }
        if (m_virtualJoystick->isJoystickEnabled())
            appendVirtualJoystick();
    } else {
        const QList<QJoystickDevice> sdlDevices = m_sdlJoysticks->listJoysticks();
        QList<QJoystickDevice> blacklisted;
        for (QJoystickDevice device : sdlDevices) {
            device.blacklisted = blacklistedInSettings(device.name);
            if (device.blacklisted)
                blacklisted.append(device);
            else
                addInputDevice(device);
        }
        const bool virtualBlacklisted = blacklistedInSettings(m_virtualJoystick->virtualDevice().name);
        if (m_virtualJoystick->isJoystickEnabled() && !virtualBlacklisted)
            appendVirtualJoystick();
        for (const QJoystickDevice &device : std::as_const(blacklisted))
            addInputDevice(device);
        if (m_virtualJoystick->isJoystickEnabled() && virtualBlacklisted)
            appendVirtualJoystick();
    }

    Q_EMIT countChanged();
}

void QJoysticks::setVirtualJoystickRange(qreal range)
{
    m_virtualJoystick->setAxisRange(range);
}

void QJoysticks::setVirtualJoystickEnabled(bool enabled)
{
    m_virtualJoystick->setJoystickEnabled(enabled);
}

void QJoysticks::setSortJoysticksByBlacklistState(bool sort)
{
    if (m_sortByBlacklistState == sort)
        return;
    m_sortByBlacklistState = sort;
    updateInterfaces();
}

void QJoysticks::setBlacklisted(int index, bool blacklisted)
{
    if (!joystickExists(index)) {
        qCWarning(lcInput) << "setBlacklisted: no joystick at index" << index;
        return;
    }

    if (blacklisted) {
        // Listeners release whatever the device was holding before its events stop reaching them. The
        // counts are taken first: a listener may rebuild the list while the signals go out.
        const QJoystickDevice device = m_devices[index];
        for (int a = 0; a < device.axes.size(); ++a)
            Q_EMIT axisChanged(index, a, 0.0);
        for (int b = 0; b < device.buttons.size(); ++b)
            Q_EMIT buttonChanged(index, b, false);
        // -1 is the centred hat; 0 would hold the hat pressed up.
        for (int p = 0; p < device.povs.size(); ++p)
            Q_EMIT povChanged(index, p, -1);
        if (!joystickExists(index))
            return;
    }

    QJoystickDevice &device = m_devices[index];
    const bool changed = device.blacklisted != blacklisted;
    device.blacklisted = blacklisted;
    if (!device.name.isEmpty())
        m_settings->setValue(device.name, blacklisted);

    if (changed)
        updateInterfaces();
}

void QJoysticks::resetJoysticks()
{
    m_devices.clear();
    Q_EMIT countChanged();
}

void QJoysticks::addInputDevice(const QJoystickDevice &device)
{
    m_devices.append(device);
    m_devices.last().id = int(m_devices.size()) - 1;
}

void QJoysticks::onPOVEvent(const QJoystickPOVEvent &e)
{
    const int index = listIndexOf(e.joystick);
    if (isBlacklisted(index))
        return;
    QJoystickDevice &device = m_devices[index];
    if (e.pov < 0 || e.pov >= device.povs.size())
        return;
    device.povs[e.pov] = e.angle;
    Q_EMIT povChanged(index, e.pov, e.angle);
}

void QJoysticks::onAxisEvent(const QJoystickAxisEvent &e)
{
    const int index = listIndexOf(e.joystick);
    if (isBlacklisted(index))
        return;
    QJoystickDevice &device = m_devices[index];
    if (e.axis < 0 || e.axis >= device.axes.size())
        return;
    device.axes[e.axis] = e.value;
    Q_EMIT axisChanged(index, e.axis, e.value);
}

void QJoysticks::onButtonEvent(const QJoystickButtonEvent &e)
{
    const int index = listIndexOf(e.joystick);
    if (isBlacklisted(index))
        return;
    QJoystickDevice &device = m_devices[index];
    if (e.button < 0 || e.button >= device.buttons.size())
        return;
    device.buttons[e.button] = e.pressed;
    Q_EMIT buttonChanged(index, e.button, e.pressed);
}

int QJoysticks::listIndexOf(const QJoystickDevice &device) const
{
    // SDL devices are found by their instance id, so an event lands on the right entry however devices
    // were added, removed or sorted since; events queued by a device already taken out of the list
    // (and of a device not yet listed) find nothing.
    if (device.instanceId < 0)
        return device.id;
    for (int i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].instanceId == device.instanceId)
            return i;
    }
    return -1;
}

bool QJoysticks::blacklistedInSettings(const QString &name) const
{
    // A device SDL could not open has no name and nothing to look up.
    if (name.isEmpty())
        return false;
    return m_settings->value(name, false).toBool();
}

void QJoysticks::appendVirtualJoystick()
{
    m_virtualJoystick->setJoystickID(int(m_devices.size()));
    QJoystickDevice device = m_virtualJoystick->virtualDevice();
    device.blacklisted = blacklistedInSettings(device.name);
    addInputDevice(device);
}
