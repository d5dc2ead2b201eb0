#pragma once
// Checks every dialog of the editor must pass: reachable from the keyboard alone, and small enough for a
// 1280 x 800 screen at 150% text scaling.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace chimewell::testing {

// The widgets Tab visits, in the window's focus chain.
inline std::set<QWidget*> TabStops(QWidget* window) {
    std::set<QWidget*> stops;
    for (QWidget* widget = window->nextInFocusChain(); widget != window; widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isVisibleTo(window) && widget->isEnabled()) {
            stops.insert(widget);
        }
    }
    return stops;
}

// The accelerator letter of a caption ("确定[&O]" gives O), or 0 when it has none.
inline QChar AcceleratorOf(const QString& caption) {
    const qsizetype at = caption.indexOf(u'&');
    return at >= 0 && at + 1 < caption.size() ? caption.at(at + 1).toUpper() : QChar();
}

// Every accelerator of the window's shown captions, with what it reaches; a letter used twice fails.
inline std::map<QChar, QWidget*> Accelerators(QWidget* window) {
    std::map<QChar, QWidget*> keys;
    const auto take = [&keys](const QString& caption, QWidget* target) {
        const QChar key = AcceleratorOf(caption);
        if (key.isNull() || target == nullptr) {
            return;
        }
        EXPECT_EQ(keys.count(key), 0U) << "accelerator " << QString(key).toStdString() << " used twice, again in "
                                       << caption.toStdString();
        keys[key] = target;
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisibleTo(window)) {
            take(label->text(), label->buddy());
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(window)) {
            take(button->text(), button);
        }
    }
    for (QGroupBox* group : window->findChildren<QGroupBox*>()) {
        if (group->isVisibleTo(window)) {
            take(group->title(), group);
        }
    }
    return keys;
}

// The window's frame at 150% scaling within a 1280 x 800 screen, leaving room for a panel.
inline void ExpectFitsAtOneAndAHalf(QWidget* window) {
    const QSize size = window->size();
    EXPECT_LE(size.width() * 3 / 2, 1280) << window->windowTitle().toStdString();
    EXPECT_LE(size.height() * 3 / 2 + 60, 800) << window->windowTitle().toStdString();
}

} // namespace chimewell::testing
