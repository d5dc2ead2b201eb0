#include "sync/sync_state.h"

#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/reminder_schedule.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace chimewell {

namespace {
constexpr const char* SyncSection = "Sync";
constexpr const char* CalendarKey = "Calendar";
constexpr const char* TokenKey = "SyncToken";
constexpr const char* LastSyncKey = "LastSync";
constexpr const char* FullListingKey = "LastFullListing";
constexpr const char* LastErrorKey = "LastError";
constexpr const char* EntriesKey = "Entries";
constexpr const char* PendingKey = "Pending";
constexpr const char* UidKey = "Uid";
constexpr const char* HrefKey = "Href";
constexpr const char* ETagKey = "ETag";
constexpr const char* DigestKey = "Digest";
constexpr const char* KindKey = "Kind";
constexpr const char* WrittenKey = "Written";
constexpr const char* SequenceKey = "Sequence";
// More entries than this is a damaged file, not a user's calendar.
constexpr std::int32_t MostEntries = 200000;

std::string EntrySection(std::int32_t number) {
    return "Entry" + std::to_string(number);
}

std::string PendingSection(std::int32_t number) {
    return "Pending" + std::to_string(number);
}

const char* KindName(SyncEntryKind kind) {
    switch (kind) {
    case SyncEntryKind::Own:
        return "Own";
    case SyncEntryKind::Part:
        return "Part";
    case SyncEntryKind::Empty:
        return "Empty";
    }
    return "Own";
}

SyncEntryKind KindNamed(const std::string& name) {
    if (name == "Part") {
        return SyncEntryKind::Part;
    }
    return name == "Empty" ? SyncEntryKind::Empty : SyncEntryKind::Own;
}

void AddField(std::string& text, std::string_view field) {
    text += std::to_string(field.size());
    text += ':';
    text += field;
}
} // namespace

TSyncState LoadSyncState(const std::string& path, std::string& failure) {
    failure.clear();
    TSyncState state;
    const TIniFile ini(path);
    if (ini.Missing()) {
        return state;
    }
    if (ini.ReadFailed()) {
        failure = "无法读取同步记录文件“" + path + "”（" + ini.ReadFailureText() + "）。";
        return state;
    }
    state.Calendar = ini.ReadString(SyncSection, CalendarKey, "");
    state.SyncToken = ini.ReadString(SyncSection, TokenKey, "");
    state.LastFullListing = ini.ReadString(SyncSection, FullListingKey, "");
    state.LastSync = ini.ReadString(SyncSection, LastSyncKey, "");
    state.LastError = ini.ReadString(SyncSection, LastErrorKey, "");
    const std::int32_t entries = std::clamp(ini.ReadInteger(SyncSection, EntriesKey, 0), 0, MostEntries);
    for (std::int32_t number = 1; number <= entries; ++number) {
        const std::string section = EntrySection(number);
        TSyncEntry entry;
        entry.Href = ini.ReadString(section, HrefKey, "");
        if (entry.Href.empty()) {
            // A hand-damaged entry: its reminder counts as new and is sent again, which loses nothing.
            continue;
        }
        entry.Uid = ini.ReadString(section, UidKey, "");
        entry.ETag = ini.ReadString(section, ETagKey, "");
        entry.Digest = ini.ReadString(section, DigestKey, "");
        entry.Kind = KindNamed(ini.ReadString(section, KindKey, ""));
        entry.Written = ini.ReadString(section, WrittenKey, "");
        entry.Sequence = std::max(ini.ReadInteger(section, SequenceKey, 0), 0);
        state.Entries.push_back(std::move(entry));
    }
    const std::int32_t pending = std::clamp(ini.ReadInteger(SyncSection, PendingKey, 0), 0, MostEntries);
    for (std::int32_t number = 1; number <= pending; ++number) {
        std::string href = ini.ReadString(PendingSection(number), HrefKey, "");
        if (!href.empty()) {
            state.Pending.push_back(std::move(href));
        }
    }
    return state;
}

void SaveSyncState(const std::string& path, const TSyncState& state, bool quietly) {
    TIniFile ini(path, std::string());
    ini.WriteString(SyncSection, CalendarKey, state.Calendar);
    ini.WriteString(SyncSection, TokenKey, state.SyncToken);
    ini.WriteString(SyncSection, FullListingKey, state.LastFullListing);
    ini.WriteString(SyncSection, LastSyncKey, state.LastSync);
    ini.WriteString(SyncSection, LastErrorKey, state.LastError);
    ini.WriteInteger(SyncSection, EntriesKey, static_cast<std::int32_t>(state.Entries.size()));
    ini.WriteInteger(SyncSection, PendingKey, static_cast<std::int32_t>(state.Pending.size()));
    std::int32_t number = 0;
    for (const TSyncEntry& entry : state.Entries) {
        const std::string section = EntrySection(++number);
        ini.WriteString(section, UidKey, entry.Uid);
        ini.WriteString(section, HrefKey, entry.Href);
        ini.WriteString(section, ETagKey, entry.ETag);
        ini.WriteString(section, DigestKey, entry.Digest);
        ini.WriteString(section, KindKey, KindName(entry.Kind));
        ini.WriteString(section, WrittenKey, entry.Written);
        if (entry.Sequence > 0) {
            ini.WriteInteger(section, SequenceKey, entry.Sequence);
        }
    }
    number = 0;
    for (const std::string& href : state.Pending) {
        ini.WriteString(PendingSection(++number), HrefKey, href);
    }
    if (quietly) {
        KeepFileQuietly(path, ini.ToBytes());
    } else {
        WriteFileAtomically(path, ini.ToBytes());
    }
}

std::string ReminderDigest(const TRmMainDate& record) {
    // Each field with its length, so that no two reminders run together into the same text.
    std::string text;
    for (const std::int32_t number :
         {record.Year, record.Month, record.Day, record.Hour, record.Minuter, record.Forward, record.Method}) {
        AddField(text, std::to_string(number));
    }
    for (const bool flag : {record.IsLunar, record.IsLeapMonth, record.WithScript, record.AutoExecScript}) {
        AddField(text, flag ? "1" : "0");
    }
    AddField(text, record.Music);
    AddField(text, record.Command);
    AddField(text, record.Message);
    // Only where set: the digests of the reminders synced before there were such keys stay what they were.
    if (record.HasSchedule()) {
        AddField(text, FormatWarnings(record.Warnings));
        AddField(text, FormatInterval(record.Every, record.EveryCount));
        for (const std::int32_t number : {record.StartDate, record.EndDate, record.EndCount}) {
            AddField(text, std::to_string(number));
        }
    }
    // FNV-1a, 64 bits: stable across builds and machines, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

} // namespace chimewell
