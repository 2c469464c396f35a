#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

class CameraWrapper;
class QFrame;
class QLabel;

// The movable picture-in-picture frame on top of the preset map: a second player shows the live
// picture in it, so the video stays in view while a still background covers the main picture. The
// operator drags it by its title or its picture; its offset from the centre of the video area is
// stored per camera at every move. Its entry in the video area's AbsoluteLayout is 11.
class PictureInPicture : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LayoutIndex = 11;

    explicit PictureInPicture(QWidget *parent = nullptr);

    void setCamera(CameraWrapper *camera);
    // The player's drawing target.
    QFrame *videoFrame() const { return m_frame; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    QLabel *m_label;
    QFrame *m_frame;
    QPointer<CameraWrapper> m_camera;
    QPoint m_pressPosition;
};
