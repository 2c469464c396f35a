#include "statustext.h"

#include "viscatables.h"

namespace StatusText {

QString position(const QString &prefix, const quint8 (&parts)[4])
{
    QString text = prefix;
    for (quint8 part : parts)
        text += QString::number(part, 16);
    return text;
}

QString iris(quint8 irisPos)
{
    const QStringList &labels = ViscaTables::irisLabels();
    const QString value = irisPos < labels.size() ? labels.at(irisPos) : QString::number(irisPos);
    return QStringLiteral("Iris:") + value;
}

QString shutter(quint8 shutterPos)
{
    const QStringList &labels = ViscaTables::shutterLabels();
    const int index = int(shutterPos) - 1;
    const QString value
        = index >= 0 && index < labels.size() ? labels.at(index) : QString::number(shutterPos);
    return QStringLiteral("Shutter:") + value;
}

QString bright(quint8 brightPos)
{
    return QStringLiteral("Bright:") + QString::number(brightPos);
}

} // namespace StatusText
