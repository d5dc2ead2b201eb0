#include "app/app_icon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace chimewell {

namespace {

// The bell the launcher and the icon theme install, built into the program so that a copy that was never
// installed shows the same icon.
const QString IconResource = QStringLiteral(":/icons/chimewell.svg");

// Drawn anew from the vector drawing for every size asked, so a panel of any height and a screen of any
// scale get sharp edges instead of a pixmap scaled from the nearest size.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QByteArray drawing) : Drawing(std::move(drawing)), Renderer(Drawing) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatio(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/) override {
        if (size.isEmpty() || !Renderer.isValid()) {
            return {};
        }
        const QString cacheKey =
            QStringLiteral("chimewell-icon-%1x%2-%3").arg(size.width()).arg(size.height()).arg(int(mode));
        QPixmap cached;
        if (QPixmapCache::find(cacheKey, &cached)) {
            return cached;
        }
        QPixmap drawn = QPixmap::fromImage(Draw(size));
        // Greyed and highlighted forms come from the style, as for any other icon of the program.
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            QStyleOption option;
            option.palette = QApplication::palette();
            const QPixmap styled = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
            if (!styled.isNull()) {
                drawn = styled;
            }
        }
        QPixmapCache::insert(cacheKey, drawn);
        return drawn;
    }

    QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override { return size; }

    // The sizes a window manager or tray host is handed when it asks for a list rather than a size.
    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        QList<QSize> sizes;
        for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
            sizes.append(QSize(side, side));
        }
        return sizes;
    }

    bool isNull() override { return !Renderer.isValid(); }
    QString key() const override { return QStringLiteral("chimewell-svg"); }
    QIconEngine* clone() const override { return new SvgIconEngine(Drawing); }

private:
    // The square drawing centred in the size asked, transparent around it.
    QImage Draw(const QSize& size) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const int side = qMin(size.width(), size.height());
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        Renderer.render(&painter, QRectF((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side));
        return image;
    }

    QByteArray Drawing;
    QSvgRenderer Renderer;
};

} // namespace

QString NotificationIconFile() {
    if (QIcon::hasThemeIcon(QStringLiteral("chimewell"))) {
        return {};
    }
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/chimewell");
    const QString path = folder + QStringLiteral("/chimewell-128.png");
    if (QFileInfo::exists(path) || (QDir().mkpath(folder) && ApplicationIcon().pixmap(128, 128).save(path))) {
        return path;
    }
    return {};
}

QIcon ApplicationIcon() {
    QFile file(IconResource);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QIcon(new SvgIconEngine(file.readAll()));
}

} // namespace chimewell
