#include "app/window_geometry.h"

#include <QPoint>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace chimewell {

namespace {
std::int64_t SquaredDistance(const QPoint& point, const QRect& area) {
    const std::int64_t dx =
        std::max({std::int64_t{area.left()} - point.x(), std::int64_t{0}, std::int64_t{point.x()} - area.right()});
    const std::int64_t dy =
        std::max({std::int64_t{area.top()} - point.y(), std::int64_t{0}, std::int64_t{point.y()} - area.bottom()});
    return dx * dx + dy * dy;
}
} // namespace

QRect KeepOnScreens(int left, int top, int width, int height, const QList<QRect>& screens, const QSize& minimum,
                    const QSize& decoration) {
    // Without any screen (none reported yet) a window of at most this size at most this far out.
    constexpr int Limit = 1 << 16;
    QSize largest(Limit, Limit);
    if (!screens.isEmpty()) {
        largest = QSize(0, 0);
        for (const QRect& screen : screens) {
            largest = largest.expandedTo(screen.size());
        }
    }
    largest = (largest - decoration).expandedTo(QSize(0, 0));
    const QSize size =
        QSize(std::clamp(width, 0, largest.width()), std::clamp(height, 0, largest.height())).expandedTo(minimum);
    const QSize outer = size + decoration;
    QRect placed(std::clamp(left, -Limit, Limit), std::clamp(top, -Limit, Limit), size.width(), size.height());
    if (screens.isEmpty()) {
        return placed;
    }

    // The screen under the left end of the title bar, where the user takes the window to move it; failing that,
    // the screen nearest to the window's centre.
    const QPoint grip(placed.left() + std::min(outer.width() / 2, 60), placed.top() + 8);
    const QRect* target = nullptr;
    for (const QRect& screen : screens) {
        if (screen.contains(grip)) {
            target = &screen;
            break;
        }
    }
    if (target == nullptr) {
        std::int64_t best = std::numeric_limits<std::int64_t>::max();
        for (const QRect& screen : screens) {
            const std::int64_t distance = SquaredDistance(placed.center(), screen);
            if (distance < best) {
                best = distance;
                target = &screen;
            }
        }
    }
    // Whole on that screen, as far as it fits.
    const int movedLeft =
        std::clamp(placed.left(), target->left(), std::max(target->left(), target->right() + 1 - outer.width()));
    const int movedTop =
        std::clamp(placed.top(), target->top(), std::max(target->top(), target->bottom() + 1 - outer.height()));
    placed.moveTo(movedLeft, movedTop);
    return placed;
}

} // namespace chimewell
