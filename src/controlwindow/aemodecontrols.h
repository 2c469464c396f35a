#pragma once

#include <QList>

class QWidget;

// Enables the exposure controls that the selected exposure mode lets the operator change: shutter in
// Manual and SAE, iris in Manual and AAE, brightness in Brightness mode, none in Auto.
class AeModeControls
{
public:
    AeModeControls(QList<QWidget *> shutter, QList<QWidget *> iris, QList<QWidget *> bright);

    // index is the exposure mode table index; any other index leaves every control as it is.
    void apply(int index) const;

private:
    QList<QWidget *> m_shutter;
    QList<QWidget *> m_iris;
    QList<QWidget *> m_bright;
};
