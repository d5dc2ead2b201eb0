#include "platform/qt_platform.h"

#include "platform/qt_desktop_actions.h"
#include "platform/qt_file_dialog.h"
#include "platform/qt_font_dialog.h"
#include "platform/qt_message_box.h"
#include "platform/qt_music_player.h"

#include <cstdlib>
#include <cstring>

namespace chimewell {

void InstallQtPlatform(QObject* musicOwner) {
    InstallDesktopActions(QtDesktopActions());
    InstallMusicPlayer(QtMusicPlayer(musicOwner));
    SetMessageBoxFunction(QtMessageBoxFunction());
    SetFileDialogFunction(QtFileDialogFunction());
    SetFontDialogFunction(QtFontDialogFunction());
}

const char* PreferredQtPlatform(const char* qtPlatform, const char* sessionType, const char* waylandDisplay,
                                const char* display) {
    const auto set = [](const char* value) { return value != nullptr && value[0] != '\0'; };
    const bool wayland = (set(sessionType) && std::strcmp(sessionType, "wayland") == 0) || set(waylandDisplay);
    return !set(qtPlatform) && wayland && set(display) ? "xcb" : "";
}

void PreferX11OnWayland() {
    const char* platform = PreferredQtPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("XDG_SESSION_TYPE"),
                                               std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"));
    if (platform[0] != '\0') {
        setenv("QT_QPA_PLATFORM", platform, 1);
    }
}

} // namespace chimewell
