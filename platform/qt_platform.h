#pragma once
// What the program entry calls once, after creating the application, to put the real desktop behind every
// platform seam. Tests never call it; they install fakes instead.

#include <string>

class QCoreApplication;
class QObject;

namespace chimewell {

// Installs the Qt desktop actions, message boxes, file choosers and the font chooser, and a Qt music player
// that lives no longer than `musicOwner` (the application when null).
void InstallQtPlatform(QObject* musicOwner);

// Loads Qt's own texts (file dialogs, the edit fields' menus, standard buttons) in Chinese, whatever the
// locale: traditional characters where the locale asks for them. True when a translation was loaded.
bool InstallQtTranslations(QCoreApplication* application);
// The translation for the locale names of LC_ALL, LC_MESSAGES and LANG (null when unset), the first set one
// counting: "qtbase_zh_TW" for Taiwan, Hong Kong, Macao or a Hant script, else "qtbase_zh_CN".
std::string QtTranslationFor(const char* lcAll, const char* lcMessages, const char* lang);

// Called before the application object exists. In a Wayland session that also offers X11 (XWayland), the
// program runs on X11 unless the user chose a platform: only there can the reminder window stay on top and
// centred, and the main window know its place.
void PreferX11OnWayland();
// The desktop session is a Wayland one (XDG_SESSION_TYPE or WAYLAND_DISPLAY say so), even when the program
// itself runs through XWayland.
bool RunsInWaylandSession();
// The choice itself, from the environment's values (null when unset): "xcb", or empty for no change.
const char* PreferredQtPlatform(const char* qtPlatform, const char* sessionType, const char* waylandDisplay,
                                const char* display);

} // namespace chimewell
