#pragma once

#include <SDL.h>

#include <QByteArray>

// A game controller made by SDL itself (a virtual joystick): attaching it gives SDL's real device-added
// event, and setting its axes, buttons and hats gives real SDL input events, with no hardware.
class VirtualPad
{
public:
    VirtualPad(const char *name, int axes, int buttons, int hats) : m_name(name)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN; // all axes start at 0
        desc.naxes = Uint16(axes);
        desc.nbuttons = Uint16(buttons);
        desc.nhats = Uint16(hats);
        desc.name = m_name.constData();
        desc.userdata = this;
        desc.Rumble = &VirtualPad::onRumble;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index >= 0)
            m_joystick = SDL_JoystickOpen(index);
        if (m_joystick)
            m_instanceId = SDL_JoystickInstanceID(m_joystick);
    }

    ~VirtualPad() { detach(); }

    VirtualPad(const VirtualPad &) = delete;
    VirtualPad &operator=(const VirtualPad &) = delete;

    bool isValid() const { return m_joystick != nullptr; }
    SDL_JoystickID instanceId() const { return m_instanceId; }

    // SDL's current device number of the pad, -1 once detached.
    int deviceIndex() const
    {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == m_instanceId)
                return i;
        }
        return -1;
    }

    bool setAxis(int axis, Sint16 value) { return SDL_JoystickSetVirtualAxis(m_joystick, axis, value) == 0; }
    bool setButton(int button, bool pressed)
    {
        return SDL_JoystickSetVirtualButton(m_joystick, button, pressed ? SDL_PRESSED : SDL_RELEASED) == 0;
    }
    bool setHat(int hat, Uint8 value) { return SDL_JoystickSetVirtualHat(m_joystick, hat, value) == 0; }

    void detach()
    {
        if (!m_joystick)
            return;
        const int index = deviceIndex();
        if (index >= 0)
            SDL_JoystickDetachVirtual(index);
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
    }

    int rumbleCount() const { return m_rumbleCount; }
    Uint16 lastRumbleLow() const { return m_rumbleLow; }
    Uint16 lastRumbleHigh() const { return m_rumbleHigh; }

private:
    static int onRumble(void *userdata, Uint16 low, Uint16 high)
    {
        auto *pad = static_cast<VirtualPad *>(userdata);
        ++pad->m_rumbleCount;
        pad->m_rumbleLow = low;
        pad->m_rumbleHigh = high;
        return 0;
    }

    QByteArray m_name;
    SDL_Joystick *m_joystick = nullptr;
    SDL_JoystickID m_instanceId = -1;
    int m_rumbleCount = 0;
    Uint16 m_rumbleLow = 0;
    Uint16 m_rumbleHigh = 0;
};
