#pragma once
// The music player on the desktop's media framework (QtMultimedia over GStreamer).

#include "platform/music_player.h"

#include <chrono>

class QObject;

namespace chimewell {

// How long a tune may go without its position moving before it counts as hung and is let go. A media
// pipeline can stall for good (seen with PulseAudio 16), and the window must not keep a dead player.
inline constexpr std::chrono::milliseconds DefaultMusicStallLimit{30'000};

// A player that lives no longer than `owner` (the reminder window; the application when null); once the
// owner is gone, Play returns false. A fresh media player is made for every tune and thrown away when it ends or is
// stopped, so nothing of a failed or hung tune carries over to the next reminder.
MusicPlayer QtMusicPlayer(QObject* owner, std::chrono::milliseconds stallLimit = DefaultMusicStallLimit);

} // namespace chimewell
