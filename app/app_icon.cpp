#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace chimewell {

namespace {
QPixmap DrawBell(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // A sky-blue disc for the clear sky, a golden bell on it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3A, 0x8E, 0xD8));
    painter.drawEllipse(QRectF(2, 2, 60, 60));

    QPainterPath bell;
    bell.moveTo(32, 12);
    bell.cubicTo(20, 12, 19, 24, 19, 33);
    bell.cubicTo(19, 39, 15, 42, 13, 45);
    bell.lineTo(51, 45);
    bell.cubicTo(49, 42, 45, 39, 45, 33);
    bell.cubicTo(45, 24, 44, 12, 32, 12);
    painter.setBrush(QColor(0xFF, 0xC8, 0x2E));
    painter.setPen(QPen(QColor(0x9A, 0x6A, 0x00), 2));
    painter.drawPath(bell);
    painter.drawEllipse(QRectF(27.5, 44, 9, 9));
    painter.drawEllipse(QRectF(29.5, 8, 5, 5));
    return pixmap;
}
} // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        icon.addPixmap(DrawBell(size));
    }
    return icon;
}

} // namespace chimewell
