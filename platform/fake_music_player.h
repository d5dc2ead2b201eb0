#pragma once
// A stand-in for the music player that records what was played and stopped, and lets a test end the tune
// when it chooses. It installs itself for as long as it lives, so a test that holds one plays no sound.

#include "platform/music_player.h"

#include <string>
#include <vector>

namespace chimewell {

class FakeMusicPlayer {
public:
    FakeMusicPlayer();
    ~FakeMusicPlayer();
    FakeMusicPlayer(const FakeMusicPlayer&) = delete;
    FakeMusicPlayer& operator=(const FakeMusicPlayer&) = delete;

    std::vector<std::string> Played; // every path given to Play, in order
    int Stops = 0;
    // What Play returns; a test sets false for a player that cannot even begin.
    bool PlayResult = true;

    bool IsPlaying() const { return Playing; }
    // The path of the tune playing now; empty when none plays.
    const std::string& Current() const { return CurrentPath; }
    // Ends the tune playing now as the real player would, telling its handler; does nothing when none plays.
    void End(MusicEnd how = MusicEnd::Finished);

private:
    bool Playing = false;
    std::string CurrentPath;
    MusicEndHandler OnEnd;
    MusicPlayer Previous;
};

} // namespace chimewell
