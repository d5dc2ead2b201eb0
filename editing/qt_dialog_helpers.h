#pragma once
// What the editing windows share on the Qt side.

#include <QString>
#include <Qt>

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

} // namespace chimewell
