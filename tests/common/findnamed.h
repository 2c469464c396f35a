#pragma once

#include <QObject>
#include <QString>

// The child of that object name below parent, with a warning naming it when there is none, so that a
// renamed widget shows as such and not only as a null pointer in a later check.
template<typename T>
T *findNamed(const QObject *parent, const char *name)
{
    T *child = parent->findChild<T *>(QLatin1String(name));
    if (!child)
        qWarning("no widget %s", name);
    return child;
}
