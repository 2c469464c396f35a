#pragma once

#include <QFrame>
#include <QWidget>

// A full-size layer of the video area: kind 1 carries the live video (the player draws into its inner
// frame), kind 2 the still background picture of the preset map. Its entry in the video area's
// AbsoluteLayout is kind - 1.
class AbsBack : public QWidget
{
    Q_OBJECT

public:
    AbsBack(QWidget *parent, int kind);

    int kind() const { return m_kind; }
    QFrame *backFrame() const { return m_backWidget; }

protected:
    void moveEvent(QMoveEvent *event) override;

private:
    int m_kind;
    QFrame *m_backWidget;
};
