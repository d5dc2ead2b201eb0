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

void SetFallbackSound(std::string path) {
    Installed().FallbackSound = std::move(path);
}

namespace {

// Only a regular file: the media framework opening a FIFO or a device would wait in open() on the one thread,
// and the program would show no reminder again. (A link counts as what it leads to.)
bool IsMusicFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !path.empty() && std::filesystem::is_regular_file(status);
}

// Plays the fallback sound, or beeps when there is none that plays.
bool StartFallback(const std::string& failed, const MusicEndHandler& onEnd) {
    const std::string fallback = InstalledMusicPlayer().FallbackSound;
    if (fallback != failed && IsMusicFile(fallback)) {
        const auto lastTry = [onEnd](MusicEnd how) {
            if (how == MusicEnd::Failed) {
                InstalledDesktopActions().Beep();
            }
            if (onEnd) {
                onEnd(how);
            }
        };
        if (InstalledMusicPlayer().Play(fallback, lastTry)) {
            return true;
        }
    }
    InstalledDesktopActions().Beep();
    return false;
}

} // namespace

bool StartReminderMusic(const std::string& path, MusicEndHandler onEnd) {
    if (path.empty()) {
        return false;
    }
    if (IsMusicFile(path)) {
        const auto orFallback = [path, onEnd](MusicEnd how) {
            if (how == MusicEnd::Failed && StartFallback(path, onEnd)) {
                return;
            }
            if (onEnd) {
                onEnd(how);
            }
        };
        if (InstalledMusicPlayer().Play(path, orFallback)) {
            return true;
        }
    }
    return StartFallback(path, onEnd);
}

} // namespace chimewell
