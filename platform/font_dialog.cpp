#include "platform/font_dialog.h"

#include <utility>

namespace chimewell {

namespace {
FontDialogFunction& Installed() {
    static FontDialogFunction function;
    return function;
}
} // namespace

std::optional<TFontChoice> ShowFontDialog(const TFontChoice& initial) {
    if (!Installed()) {
        return std::nullopt;
    }
    return Installed()(initial);
}

FontDialogFunction SetFontDialogFunction(FontDialogFunction function) {
    return std::exchange(Installed(), std::move(function));
}

} // namespace chimewell
