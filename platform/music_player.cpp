#include "platform/music_player.h"

#include "platform/desktop_actions.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace chimewell {

namespace {

// Callers may call either member without checking it first.
MusicPlayer Completed(MusicPlayer player) {
    if (!player.Play) {
        player.Play = [](const std::string&, const MusicEndHandler&) { return false; };
    }
    if (!player.Stop) {
        player.Stop = [] {};
    }
    return player;
}

MusicPlayer& Installed() {
    static MusicPlayer player = Completed({});
    return player;
}

} // namespace

const MusicPlayer& InstalledMusicPlayer() {
    return Installed();
}

MusicPlayer InstallMusicPlayer(MusicPlayer player) {
    return std::exchange(Installed(), Completed(std::move(player)));
}

bool StartReminderMusic(const std::string& path, MusicEndHandler onEnd) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
        InstalledDesktopActions().Beep();
        return false;
    }
    return InstalledMusicPlayer().Play(path, std::move(onEnd));
}

} // namespace chimewell
