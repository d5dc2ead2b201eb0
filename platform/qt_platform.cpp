#include "platform/qt_platform.h"
#include "platform/qt_secret_store.h"

#include "platform/qt_desktop_actions.h"
#include "platform/qt_file_dialog.h"
#include "platform/qt_font_dialog.h"
#include "platform/qt_message_box.h"
#include "platform/qt_music_player.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace chimewell {

void InstallQtPlatform(QObject* musicOwner) {
    InstallDesktopActions(QtDesktopActions());
    InstallMusicPlayer(QtMusicPlayer(musicOwner));
    SetMessageBoxFunction(QtMessageBoxFunction());
    SetFileDialogFunction(QtFileDialogFunction());
    SetFontDialogFunction(QtFontDialogFunction());
    InstallDesktopSecretStore();
}

std::string QtTranslationFor(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* locale = nullptr;
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && value[0] != '\0') {
            locale = value;
            break;
        }
    }
    const std::string name = locale != nullptr ? locale : "";
    const bool traditional = name.starts_with("zh_TW") || name.starts_with("zh_HK") || name.starts_with("zh_MO") ||
                             name.find("Hant") != std::string::npos;
    return traditional ? "qtbase_zh_TW" : "qtbase_zh_CN";
}

namespace {

// The keys of shortcuts as people read them on a menu ("Ctrl+↑", "Delete"), not as the toolkit's translation
// spells them out ("Ctrl+上方向", "Del"). Asked before the toolkit's own translation; anything else it leaves
// to that one.
class ReadableKeyNames : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (context == nullptr || source == nullptr || std::strcmp(context, "QShortcut") != 0) {
            return {};
        }
        static constexpr std::pair<const char*, const char*> Names[] = {
            {"Up", "↑"},       {"Down", "↓"},       {"Left", "←"},           {"Right", "→"}, {"Del", "Delete"},
            {"Ins", "Insert"}, {"PgUp", "Page Up"}, {"PgDown", "Page Down"}, {"Esc", "Esc"},
        };
        for (const auto& [key, name] : Names) {
            if (std::strcmp(source, key) == 0) {
                return QString::fromUtf8(name);
            }
        }
        return {};
    }
};

} // namespace

bool InstallQtTranslations(QCoreApplication* application) {
    auto* translator = new QTranslator(application);
    const std::string name = QtTranslationFor(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    const bool loaded =
        translator->load(QString::fromStdString(name), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
    // Installed last, so asked first.
    QCoreApplication::installTranslator(new ReadableKeyNames(application));
    return loaded;
}

const char* PreferredQtPlatform(const char* qtPlatform, const char* sessionType, const char* waylandDisplay,
                                const char* display) {
    const auto set = [](const char* value) { return value != nullptr && value[0] != '\0'; };
    const bool wayland = (set(sessionType) && std::strcmp(sessionType, "wayland") == 0) || set(waylandDisplay);
    return !set(qtPlatform) && wayland && set(display) ? "xcb" : "";
}

bool RunsInWaylandSession() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return (session != nullptr && std::strcmp(session, "wayland") == 0) || (display != nullptr && display[0] != '\0');
}

void PreferX11OnWayland() {
    const char* platform = PreferredQtPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("XDG_SESSION_TYPE"),
                                               std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"));
    if (platform[0] != '\0') {
        setenv("QT_QPA_PLATFORM", platform, 1);
    }
}

} // namespace chimewell
