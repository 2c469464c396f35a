// svgrender: renders one SVG file to a PNG of the SVG's own size (or a given size), with transparency.
// Used at build time for the compiled-in button pictures.
//
//   svgrender <input.svg> <output.png> [<width> <height>]

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    QTextStream(stderr) << "svgrender: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Fonts need a GUI application; the build machine may have no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 5)
        return fail(QStringLiteral("usage: svgrender <input.svg> <output.png> [<width> <height>]"));

    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid())
        return fail(QStringLiteral("cannot read SVG %1").arg(args.at(1)));

    QSize size = renderer.defaultSize();
    if (args.size() == 5) {
        bool okWidth = false;
        bool okHeight = false;
        size = QSize(args.at(3).toInt(&okWidth), args.at(4).toInt(&okHeight));
        if (!okWidth || !okHeight || size.isEmpty())
            return fail(QStringLiteral("bad size %1 x %2").arg(args.at(3), args.at(4)));
    }
    if (size.isEmpty())
        return fail(QStringLiteral("%1 has no size").arg(args.at(1)));

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }

    const QString output = args.at(2);
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!image.save(output, "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(output));
    return 0;
}
