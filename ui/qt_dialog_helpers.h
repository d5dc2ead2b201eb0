#pragma once
// What the program's dialogs share on the Qt side, whichever folder they are in.

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLayout>
#include <QRect>
#include <QScreen>
#include <QScrollArea>
#include <QString>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <Qt>

#include <algorithm>
#include <string_view>

namespace chimewell {

// A dialog of fixed size with a title, the system menu and a close box, and neither minimise nor maximise.
inline constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                    Qt::MSWindowsFixedSizeDialogHint;

// The program's texts are UTF-8.
inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The screen area a window is to fit in: that of the screen it is on, else of the primary screen.
inline QRect AvailableAreaFor(const QWidget& window) {
    const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

// Centres a window on its screen and keeps its frame inside the available area, so that no button is out of
// reach on a small screen or at a large scale; `frame` is what the window manager adds around it.
inline void CentreOnScreen(QWidget& window, const QSize& frame = QSize(8, 40)) {
    const QRect area = AvailableAreaFor(window);
    if (area.isEmpty()) {
        return;
    }
    QRect placed(QPoint(), window.size());
    placed.moveCenter(area.center());
    const int left =
        std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() - frame.width() - placed.width()));
    const int top =
        std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() - placed.height()));
    window.move(left, top);
}

// The widget a dialog of fixed size lays its controls out on: inside a scroll area that fills the dialog and
// shows its bars only when the controls do not fit on the screen (a small screen, a large scale).
inline QWidget* ScrollableContents(QWidget& dialog) {
    auto* scroll = new QScrollArea(&dialog);
    scroll->setObjectName(QStringLiteral("scrollContents"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* contents = new QWidget(scroll);
    scroll->setWidget(contents);
    auto* outer = new QVBoxLayout(&dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    return contents;
}

// Puts `below` (the dialog's buttons) under the part of ScrollableContents that scrolls: in sight at any scale.
inline void AddFixedBelow(QWidget& dialog, QLayout* below) {
    below->setContentsMargins(8, 4, 8, 8);
    static_cast<QVBoxLayout*>(dialog.layout())->addLayout(below);
}

inline QWidget* ScrollableContents(QWidget& dialog, QLayout* below) {
    QWidget* contents = ScrollableContents(dialog);
    AddFixedBelow(dialog, below);
    return contents;
}

// Gives the dialog the size its contents need, at least `least`, and no more than its screen has room for;
// the scroll area of ScrollableContents then shows the rest.
inline void FixSizeOnScreen(QDialog& dialog, const QWidget& contents, const QSize& least) {
    QSize wanted = contents.layout()->sizeHint();
    // What stays fixed under the scrolled part.
    if (const QLayout* outer = dialog.layout()) {
        for (int index = 1; index < outer->count(); ++index) {
            const QSize below = outer->itemAt(index)->sizeHint();
            wanted.rheight() += below.height() + std::max(0, outer->spacing());
            wanted.rwidth() = std::max(wanted.width(), below.width());
        }
    }
    wanted = wanted.expandedTo(least);
    const QRect area = AvailableAreaFor(dialog);
    if (!area.isEmpty()) {
        // What the window manager's frame takes.
        const QSize room = area.size() - QSize(8, 40);
        const int bar = dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (wanted.height() > room.height()) {
            wanted.rwidth() += bar;
        }
        if (wanted.width() > room.width()) {
            wanted.rheight() += bar;
        }
        wanted = wanted.boundedTo(room);
    }
    dialog.setFixedSize(wanted);
}

} // namespace chimewell
