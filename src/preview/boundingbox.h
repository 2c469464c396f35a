#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;

// One box of the preset map: custom preset n's marker on the live picture, with its number, a title
// of up to 15 characters, an optional centre mark and a look (half-transparent black, a picture or a
// colour). The operator drags it anywhere (its offset from the centre of the picture is stored at
// once) and clicks it, without moving, to recall the preset. Its entry in the video area's
// AbsoluteLayout is n + 1.
class BoundingBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxTitleLength = 15;

    explicit BoundingBox(QWidget *parent = nullptr);

    void setPresetNumber(int n);
    int presetNumber() const { return m_presetNumber; }
    // Shows the first 15 characters of text.
    void setTitle(const QString &text);
    QString title() const;
    void setCameraId(const QString &id);
    QString cameraId() const { return m_cameraId; }

    void setColor(const QColor &colour);
    void setImage(const QString &path);
    void setDefaultLook();
    void showCrossHair();
    void showCenterDiamond();
    void removeCenter();

Q_SIGNALS:
    void presetClicked(int presetNum);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    QWidget *m_backWidget;
    QLabel *m_numberLabel;
    QLabel *m_nameLabel;
    QLabel *m_centerLabel;
    int m_presetNumber = -1;
    QString m_cameraId;
    bool m_clicked = false;
    QPoint m_pressPosition;
};
