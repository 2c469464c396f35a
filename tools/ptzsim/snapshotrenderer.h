#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class SimCamera;

// Draws what the simulated camera sees: a fixed scene with a coordinate grid and landmarks, viewed
// through the head's pan/tilt, the zoom's field of view, the focus blur, exposure and colour
// settings, flip and mirror, with the position and the on-screen menu written over it.
// The picture depends only on the camera state, so equal states give equal bytes.
class SnapshotRenderer
{
public:
    static constexpr int Width = 640;
    static constexpr int Height = 360;

    static QImage render(const SimCamera &camera, const QString &name);
    static QByteArray renderJpeg(const SimCamera &camera, const QString &name);
};
