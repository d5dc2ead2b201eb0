#pragma once
// Postponed reminders kept across an exit: "推迟提醒" followed by a logout must not lose the reminder. Each
// entry keeps the minute it is due and the reminder's keys, so that it finds its reminder again by content
// should the list have changed in between.

#include "calendar/datetime.h"
#include "data/reminder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

inline constexpr std::string_view SnoozeFileName = "laterremind.ini";

struct TPendingSnooze {
    TDateTime Due = 0; // the minute the reminder comes back
    std::int32_t Position = 0;
    TRmMainDate Record;
    // Not a postponement: the reminder's window for the minute Due was shown, and the next start must not
    // catch it up again.
    bool Seen = false;
    // A postponed warning: the minutes still ahead of the time it warns of (QueuedReminder::Lead).
    std::int32_t Lead = 0;
};

// Writes the entries atomically (an empty list into a folder without the file writes nothing). Throws
// std::runtime_error "Unable to write to <path>" when that fails.
void SaveSnoozeFile(const std::string& path, const std::vector<TPendingSnooze>& snoozes);
// The entries of the file; a missing or unreadable file, or an entry without a readable minute, gives none.
std::vector<TPendingSnooze> LoadSnoozeFile(const std::string& path);

} // namespace chimewell
