#pragma once

#include "qjoystickaxisevent.h"
#include "qjoystickbuttonevent.h"
#include "qjoystickdevice.h"
#include "qjoystickpovevent.h"

#include <QObject>

class QKeyEvent;

// A joystick played on the keyboard: while enabled, key presses and releases anywhere in the application
// become hat, axis and button events of one virtual device.
class VirtualJoystick : public QObject
{
    Q_OBJECT

public:
    explicit VirtualJoystick(QObject *parent = nullptr);

    bool isJoystickEnabled() const;
    const QJoystickDevice &virtualDevice() const;

public Q_SLOTS:
    void setJoystickID(int id);
    void setAxisRange(qreal range);
    void setJoystickEnabled(bool enabled);

Q_SIGNALS:
    void enabledChanged();
    void povEvent(const QJoystickPOVEvent &event);
    void axisEvent(const QJoystickAxisEvent &event);
    void buttonEvent(const QJoystickButtonEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void readAxes(int key, bool pressed);
    void readPOVs(int key, bool pressed);
    void readButtons(int key, bool pressed);
    void processKeyEvent(QKeyEvent *event, bool pressed);

private:
    qreal m_axisRange = 1.0;
    bool m_enabled = false;
    QJoystickDevice m_joystick;
};
