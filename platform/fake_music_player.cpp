#include "platform/fake_music_player.h"

#include <utility>

namespace chimewell {

FakeMusicPlayer::FakeMusicPlayer() {
    Previous = InstallMusicPlayer(MusicPlayer{
        .Play =
            [this](const std::string& path, MusicEndHandler onEnd) {
                Played.push_back(path);
                Playing = PlayResult;
                CurrentPath = PlayResult ? path : std::string();
                OnEnd = PlayResult ? std::move(onEnd) : MusicEndHandler();
                return PlayResult;
            },
        .Stop =
            [this] {
                ++Stops;
                Playing = false;
                CurrentPath.clear();
                OnEnd = nullptr;
            },
        // No sound of the machine's own: a test that wants a fallback names one.
        .FallbackSound = {},
    });
}

FakeMusicPlayer::~FakeMusicPlayer() {
    InstallMusicPlayer(std::move(Previous));
}

void FakeMusicPlayer::End(MusicEnd how) {
    if (!Playing) {
        return;
    }
    Playing = false;
    CurrentPath.clear();
    // The handler may start the next tune, so it is taken out before it runs.
    if (MusicEndHandler handler = std::exchange(OnEnd, nullptr)) {
        handler(how);
    }
}

} // namespace chimewell
