#pragma once
// The reminder window's music, reached through one seam: the program installs a player on the desktop's
// media framework, tests install a recording fake. One tune plays at a time.

#include <functional>
#include <string>

namespace chimewell {

enum class MusicEnd {
    Finished, // the tune played to its end
    Failed,   // it could not be opened or played, or it stopped making progress
};

// Told once when a tune ends by itself; never after Stop, and never from inside Play.
using MusicEndHandler = std::function<void(MusicEnd)>;

struct MusicPlayer {
    // Plays a file once from its beginning, without waiting, replacing (silently) any tune still playing.
    // False when playing could not even begin; later failures arrive as MusicEnd::Failed.
    std::function<bool(const std::string& path, MusicEndHandler onEnd)> Play;
    // Stops the tune and lets go of the file and the sound device, whatever state playing is in;
    // harmless when nothing plays.
    std::function<void()> Stop;
    // What plays instead of a music file that is missing or cannot be played; empty for none.
    std::string FallbackSound;
};

// The installed player. Until one is installed, Play does nothing and returns false.
const MusicPlayer& InstalledMusicPlayer();

// Installs a player (a member left empty does nothing) and returns the one it replaces.
MusicPlayer InstallMusicPlayer(MusicPlayer player);
// Changes the installed player's fallback sound.
void SetFallbackSound(std::string path);

// Starts a reminder's music on the installed player. An empty path means no music. A path that names no
// file, or a file that cannot be played (at once or later), gives the player's fallback sound instead, and
// when that does not play either, the desktop's default beep once: a reminder is never silent by accident.
// True when music started, which is exactly when the window must stop the player when it closes; onEnd is
// told once, when the last sound tried has ended.
bool StartReminderMusic(const std::string& path, MusicEndHandler onEnd = {});

} // namespace chimewell
