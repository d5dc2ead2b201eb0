#include "runtime/snooze_file.h"

#include "data/reminder_schedule.h"

#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"

#include <algorithm>

namespace chimewell {

namespace {
constexpr const char* CountKey = "Items";
constexpr const char* DueKey = "Due";
constexpr const char* PositionKey = "Position";
constexpr const char* SeenKey = "Seen";
constexpr const char* LeadKey = "Lead";
// More postponements than this is a damaged file, not a user's.
constexpr std::int32_t MostSnoozes = 10000;
} // namespace

void SaveSnoozeFile(const std::string& path, const std::vector<TPendingSnooze>& snoozes) {
    if (snoozes.empty() && !FileStampOf(path).Exists) {
        return;
    }
    // Written whole each time: the entries of an earlier save must not linger behind a shorter list.
    TIniFile ini(path, std::string());
    ini.WriteInteger(DataMainSection, CountKey, static_cast<std::int32_t>(snoozes.size()));
    for (std::size_t i = 0; i < snoozes.size(); ++i) {
        const std::string section = ItemSectionName(static_cast<std::int32_t>(i + 1));
        ini.WriteString(section, DueKey, FormatMinute(snoozes[i].Due));
        ini.WriteInteger(section, PositionKey, snoozes[i].Position);
        if (snoozes[i].Seen) {
            ini.WriteBool(section, SeenKey, true);
        }
        if (snoozes[i].Lead != 0) {
            ini.WriteInteger(section, LeadKey, snoozes[i].Lead);
        }
        WriteReminder(ini, section, snoozes[i].Record);
    }
    WriteFileAtomically(path, ini.ToBytes());
}

std::vector<TPendingSnooze> LoadSnoozeFile(const std::string& path) {
    std::vector<TPendingSnooze> snoozes;
    const TIniFile ini(path);
    if (ini.ReadFailed() || ini.Missing()) {
        return snoozes;
    }
    const std::int32_t count = std::min(StoredItemCount(ini, DataMainSection, CountKey), MostSnoozes);
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string section = ItemSectionName(i);
        const std::optional<TDateTime> due = ParseMinute(ini.ReadString(section, DueKey, ""));
        if (!due) {
            continue;
        }
        TPendingSnooze snooze{*due, ini.ReadInteger(section, PositionKey, 0), ReadReminder(ini, section),
                              ini.ReadBool(section, SeenKey, false)};
        snooze.Lead = std::clamp(ini.ReadInteger(section, LeadKey, 0), PassedLead, LongestLeadMinutes);
        snoozes.push_back(std::move(snooze));
    }
    return snoozes;
}

} // namespace chimewell
