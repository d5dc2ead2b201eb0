#pragma once
// Where the main window may appear. The stored position and size come from a file a person may edit, or from a
// screen that is gone: the window must still come up whole, on a screen, at a size the screen can show.

#include <QList>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace chimewell {

// The wanted geometry kept on the screens' available areas: no larger than the largest of them (and no smaller
// than `minimum`), and moved whole onto the screen under the left end of its title bar, or, when that lies on
// no screen, onto the screen nearest to where it was wanted.
// Any 32-bit values are taken (a rectangle of them could not even be formed). The position is that of the
// window's frame, the size that of its inside, as a window reports them; `decoration` is what the frame adds.
QRect KeepOnScreens(int left, int top, int width, int height, const QList<QRect>& screens, const QSize& minimum,
                    const QSize& decoration = QSize(0, 0));

} // namespace chimewell
