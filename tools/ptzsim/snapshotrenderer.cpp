#include "snapshotrenderer.h"

#include "simcamera.h"
#include "viscatables.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
struct Landmark
{
    int x;
    int y;
    int size;
    QRgb colour;
    bool round;
};

// Fixed scene, in pan/tilt position units.
const Landmark Landmarks[] = {
    {-2200, 150, 180, 0xffd94f3d, false}, {-1700, -120, 120, 0xfff2c14e, true},
    {-1200, 400, 220, 0xff6a4c93, true},  {-800, -60, 90, 0xff1982c4, false},
    {-350, 250, 140, 0xffff924c, true},   {0, 80, 60, 0xffffffff, true},
    {300, -150, 110, 0xff8ac926, false},  {700, 500, 200, 0xffff595e, true},
    {1150, 100, 130, 0xff4267ac, false},  {1600, -80, 160, 0xffffca3a, true},
    {2100, 700, 240, 0xff52a675, false},  {2400, -300, 100, 0xffc44536, true},
    {-500, 1000, 260, 0xfff7f7f7, true},  {900, 1150, 180, 0xffbde0fe, true},
};

// Visible scene width in position units: about 60 degrees wide, narrowed twentyfold at full zoom.
double viewWidth(int zoom)
{
    const double share
        = qBound(0.0, double(zoom - Visca::ZoomMinimum) / (Visca::ZoomMaximum - Visca::ZoomMinimum), 1.0);
    return 864.0 / (1.0 + 19.0 * share);
}

QColor whiteBalanceTint(int code)
{
    switch (code) {
    case 0x01: // indoor: the scene looks warm
        return QColor(255, 150, 40);
    case 0x02: // outdoor: cool
        return QColor(60, 120, 255);
    case 0x05: // manual
        return QColor(200, 60, 200);
    default:
        return QColor();
    }
}

QString positionText(int value)
{
    return QStringLiteral("%1").arg(Visca::positionWord(value), 4, 16, QLatin1Char('0'));
}

void drawScene(QPainter &p, int pan, int tilt, int zoom)
{
    const double scale = SnapshotRenderer::Width / viewWidth(zoom);
    const double cx = SnapshotRenderer::Width / 2.0;
    const double cy = SnapshotRenderer::Height / 2.0;
    auto toScreen = [&](double x, double y) {
        return QPointF(cx + (x - pan) * scale, cy - (y - tilt) * scale);
    };

    const double horizon = toScreen(0, 0).y();
    QLinearGradient sky(0, horizon - 600 * scale, 0, horizon);
    sky.setColorAt(0, QColor(20, 60, 140));
    sky.setColorAt(1, QColor(150, 200, 240));
    p.fillRect(QRectF(0, 0, SnapshotRenderer::Width, qMax(0.0, horizon)), sky);
    QLinearGradient ground(0, horizon, 0, horizon + 400 * scale);
    ground.setColorAt(0, QColor(90, 140, 70));
    ground.setColorAt(1, QColor(40, 70, 30));
    p.fillRect(QRectF(0, horizon, SnapshotRenderer::Width, SnapshotRenderer::Height), ground);

    // Grid: finer lines as the zoom narrows the view.
    const double left = pan - SnapshotRenderer::Width / 2.0 / scale;
    const double right = pan + SnapshotRenderer::Width / 2.0 / scale;
    const double bottom = tilt - SnapshotRenderer::Height / 2.0 / scale;
    const double top = tilt + SnapshotRenderer::Height / 2.0 / scale;
    const int step = scale > 4 ? 10 : scale > 1 ? 50 : 100;
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    for (int x = int(std::floor(left / step)) * step; x <= right; x += step)
        p.drawLine(toScreen(x, bottom), toScreen(x, top));
    for (int y = int(std::floor(bottom / step)) * step; y <= top; y += step)
        p.drawLine(toScreen(left, y), toScreen(right, y));

    p.setPen(Qt::NoPen);
    for (const Landmark &mark : Landmarks) {
        const QPointF centre = toScreen(mark.x, mark.y);
        const double radius = mark.size * scale / 2;
        p.setBrush(QColor::fromRgba(mark.colour));
        if (mark.round)
            p.drawEllipse(centre, radius, radius);
        else
            p.drawRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius));
    }

    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 200));
    const int labelStep = step * 5;
    for (int x = int(std::floor(left / labelStep)) * labelStep; x <= right; x += labelStep) {
        for (int y = int(std::floor(bottom / labelStep)) * labelStep; y <= top; y += labelStep)
            p.drawText(toScreen(x, y) + QPointF(3, -3), QStringLiteral("%1,%2").arg(x).arg(y));
    }
}

// Softens the picture the further the lens is from the sharp point.
QImage applyFocus(const QImage &image, int focus, int idealFocus)
{
    const int blur = qMin(12, std::abs(focus - idealFocus) / 1500);
    if (blur <= 0)
        return image;
    const int factor = blur + 1;
    const QImage small = image.scaled(image.width() / factor, image.height() / factor, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    return small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void applyExposure(QPainter &p, const SimCamera &camera)
{
    // Light reaching the picture: wider iris, slower shutter, higher bright and luminance are lighter.
    const double light = (camera.iris() - 8) * 0.06 - (camera.shutter() - 7) * 0.03
                         + (camera.bright() - 7) * 0.04 + (camera.luminance() - 7) * 0.03;
    const QRect all(0, 0, SnapshotRenderer::Width, SnapshotRenderer::Height);
    if (light < 0)
        p.fillRect(all, QColor(0, 0, 0, qMin(230, int(-light * 255))));
    else if (light > 0)
        p.fillRect(all, QColor(255, 255, 255, qMin(200, int(light * 255))));

    const int contrast = camera.contrast() - 7;
    if (contrast < 0)
        p.fillRect(all, QColor(128, 128, 128, qMin(200, -contrast * 20)));

    const QColor tint = whiteBalanceTint(camera.wbMode());
    if (tint.isValid()) {
        QColor soft = tint;
        soft.setAlpha(50);
        p.fillRect(all, soft);
    }
    const int hue = camera.hue() - 7;
    if (hue != 0) {
        p.fillRect(all, hue > 0 ? QColor(255, 0, 120, qMin(120, hue * 15))
                                : QColor(0, 200, 120, qMin(120, -hue * 15)));
    }
}

void drawOverlay(QPainter &p, const SimCamera &camera, const QString &name)
{
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    const QString status
        = QStringLiteral("PAN %1  TILT %2  ZOOM %3  FOCUS %4%5")
              .arg(positionText(camera.pan()), positionText(camera.tilt()), positionText(camera.zoom()),
                   positionText(camera.focus()), camera.autoFocus() ? QStringLiteral(" AF") : QString());
    p.fillRect(QRect(0, SnapshotRenderer::Height - 24, SnapshotRenderer::Width, 24), QColor(0, 0, 0, 150));
    p.setPen(Qt::white);
    p.drawText(QRect(8, SnapshotRenderer::Height - 24, SnapshotRenderer::Width - 16, 24),
               Qt::AlignVCenter | Qt::AlignLeft, status);
    p.drawText(QRect(8, 4, SnapshotRenderer::Width - 16, 20), Qt::AlignLeft | Qt::AlignVCenter, name);

    // Cross hair at the picture centre.
    p.setPen(QPen(QColor(255, 255, 255, 160), 1));
    const QPoint c(SnapshotRenderer::Width / 2, SnapshotRenderer::Height / 2);
    p.drawLine(c - QPoint(10, 0), c + QPoint(10, 0));
    p.drawLine(c - QPoint(0, 10), c + QPoint(0, 10));

    if (!camera.menuOpen())
        return;
    const QStringList entries = SimCamera::menuEntries();
    const QRect box(SnapshotRenderer::Width / 2 - 110, 40, 220, 24 + int(entries.size()) * 22);
    p.fillRect(box, QColor(0, 0, 80, 200));
    p.setPen(Qt::white);
    p.drawText(box.adjusted(0, 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               camera.menuLevel() == 0 ? QStringLiteral("MENU")
                                       : QStringLiteral("MENU > %1").arg(entries.at(camera.menuItem())));
    for (int i = 0; i < entries.size(); ++i) {
        const QRect row(box.left() + 10, box.top() + 24 + i * 22, box.width() - 20, 22);
        if (i == camera.menuItem())
            p.fillRect(row, QColor(255, 255, 255, 70));
        p.drawText(row, Qt::AlignVCenter | Qt::AlignLeft, entries.at(i));
    }
}
} // namespace

QImage SnapshotRenderer::render(const SimCamera &camera, const QString &name)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    if (!camera.power()) {
        // In standby the sensor is off; only the caption tells which camera it is.
        image.fill(Qt::black);
        QPainter p(&image);
        p.setPen(Qt::gray);
        p.drawText(image.rect(), Qt::AlignCenter, name + QStringLiteral("\nSTANDBY"));
        return image;
    }
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        drawScene(p, camera.pan(), camera.tilt(), camera.zoom());
    }
    image = applyFocus(image, camera.focus(), camera.idealFocus());
    {
        QPainter p(&image);
        applyExposure(p, camera);
    }
    image = image.mirrored(camera.mirror(), camera.flip());
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        drawOverlay(p, camera, name);
    }
    return image;
}

QByteArray SnapshotRenderer::renderJpeg(const SimCamera &camera, const QString &name)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    render(camera, name).save(&buffer, "JPG", 85);
    return jpeg;
}
