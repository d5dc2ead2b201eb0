#pragma once
// The font chooser of the settings dialog, reached through one seam like the file choosers: the GUI installs
// the desktop's chooser, tests install answers, and the pure code asks without knowing which.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace chimewell {

// A font as the settings keep it: face name, size in points, colour and the four styles.
struct TFontChoice {
    std::string Name;
    std::int32_t Size = 9;
    // 0x00BBGGRR, as the settings file keeps colours; 0 leaves the text in the colour of the desktop or skin.
    std::int32_t Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    friend bool operator==(const TFontChoice&, const TFontChoice&) = default;
};

// The font chosen, starting from `initial`, or nothing when the user cancelled. Without an installed function
// every request is cancelled.
std::optional<TFontChoice> ShowFontDialog(const TFontChoice& initial);

using FontDialogFunction = std::function<std::optional<TFontChoice>(const TFontChoice&)>;
// Installs the function that shows the chooser; returns the one it replaces.
FontDialogFunction SetFontDialogFunction(FontDialogFunction function);

} // namespace chimewell
