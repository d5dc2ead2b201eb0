#include "app/app_icon.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

QImage Pixels(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

int CountPixels(const QImage& image, bool (*counts)(int alpha)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += counts(qAlpha(image.pixel(x, y))) ? 1 : 0;
        }
    }
    return count;
}

bool Opaque(int alpha) {
    return alpha == 255;
}

bool Edge(int alpha) {
    return alpha > 0 && alpha < 255;
}

class ApplicationIconSizes : public ::testing::TestWithParam<int> {};

// The smallest tray and the largest launcher size both show the bell, filling a good part of the square (at
// the smallest sizes many of its pixels are blended edge).
TEST_P(ApplicationIconSizes, DrawsTheBellAtTheSizeAsked) {
    const int side = GetParam();
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = Pixels(icon.pixmap(side, side));
    ASSERT_EQ(image.size(), QSize(side, side));
    EXPECT_GT(CountPixels(image, Opaque), side * side / 6);
    // The corners stay clear: the bell sits on whatever the panel's colour is.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(side - 1, 0)), 0);
}

INSTANTIATE_TEST_SUITE_P(Sides, ApplicationIconSizes, ::testing::Values(16, 22, 256));

// A large icon is drawn from the vector drawing, not enlarged from a small picture: an enlarged one has edges
// several pixels wide where the drawn one has a thin line of blended pixels.
TEST(ApplicationIcon, ALargeSizeIsDrawnNotEnlarged) {
    const QIcon icon = ApplicationIcon();
    const QImage drawn = Pixels(icon.pixmap(256, 256));
    const QImage enlarged =
        Pixels(icon.pixmap(64, 64)).scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(CountPixels(drawn, Edge) * 2, CountPixels(enlarged, Edge));
}

// On a screen with twice the pixels the icon is drawn with twice the pixels, not enlarged afterwards.
TEST(ApplicationIcon, AScaledScreenGetsTheDevicePixels) {
    const QPixmap pixmap = ApplicationIcon().pixmap(QSize(24, 24), 2.0);
    EXPECT_EQ(pixmap.size(), QSize(48, 48));
    EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), 2.0);
}

// The paused program shows the greyed icon: it must differ from the normal one and still be visible.
TEST(ApplicationIcon, TheDisabledFormIsGreyedNotBlank) {
    const QIcon icon = ApplicationIcon();
    const QImage normal = Pixels(icon.pixmap(24, 24));
    const QImage disabled = Pixels(icon.pixmap(24, QIcon::Disabled));
    ASSERT_EQ(disabled.size(), normal.size());
    EXPECT_NE(disabled, normal);
    EXPECT_GT(CountPixels(disabled, [](int alpha) { return alpha > 0; }), 24 * 24 / 4);
}

// Where the icon theme does not hold the program's icon (a build run in place), notifications get the icon as
// a file of the user's cache, drawn once.
TEST(ApplicationIcon, NotificationsGetTheIconAsAFileWhereTheThemeHasNone) {
    QTemporaryDir cache;
    ASSERT_TRUE(cache.isValid());
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    ASSERT_FALSE(QIcon::hasThemeIcon(QStringLiteral("chimewell")));
    const QString path = NotificationIconFile();
    EXPECT_TRUE(path.startsWith(cache.path())) << path.toStdString();
    const QImage image(path);
    EXPECT_EQ(image.size(), QSize(128, 128));
    EXPECT_GT(CountPixels(image.convertToFormat(QImage::Format_ARGB32), Opaque), 128 * 128 / 8);
    EXPECT_EQ(NotificationIconFile(), path) << "drawn once, then found";
    qunsetenv("XDG_CACHE_HOME");
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
