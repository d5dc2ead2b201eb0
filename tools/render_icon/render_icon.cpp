// Renders the program's icon from its vector drawing into the PNG sizes of the hicolor icon theme, for the
// install: desktops that cannot read SVG, and those that prefer a picture made for the size, use these.
// Usage: chimewell_render_icon DRAWING.svg FOLDER SIZE... (writes FOLDER/NxN/apps/NAME.png)

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DRAWING.svg FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QString drawing = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(drawing);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString name = QFileInfo(drawing).completeBaseName();
    for (int i = 3; i < argc; ++i) {
        bool number = false;
        const int side = QString::fromLocal8Bit(argv[i]).toInt(&number);
        if (!number || side <= 0 || side > 4096) {
            std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[i]);
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter, QRectF(0, 0, side, side));
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(side);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
