#include "platform/qt_platform.h"

#include "platform/qt_desktop_actions.h"
#include "platform/qt_file_dialog.h"
#include "platform/qt_message_box.h"
#include "platform/qt_music_player.h"

namespace chimewell {

void InstallQtPlatform(QObject* musicOwner) {
    InstallDesktopActions(QtDesktopActions());
    InstallMusicPlayer(QtMusicPlayer(musicOwner));
    SetMessageBoxFunction(QtMessageBoxFunction());
    SetFileDialogFunction(QtFileDialogFunction());
}

} // namespace chimewell
