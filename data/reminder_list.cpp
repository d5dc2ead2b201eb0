#include "data/reminder_list.h"

#include "calendar/clock.h"
#include "data/code_page.h"
#include "data/data_file.h"
#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_schedule.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <thread>
#include <unordered_map>

namespace chimewell {

std::string ItemSectionName(std::int32_t number) {
    return "Item" + std::to_string(number);
}

namespace {
// The keys of a reminder, in the order of the file.
constexpr std::array<std::string_view, 22> ReminderKeys = {"Year",
                                                           "Month",
                                                           "Day",
                                                           "Hour",
                                                           "Minuter",
                                                           "Forward",
                                                           "Method",
                                                           "IsLunar",
                                                           "IsLeapMonth",
                                                           "WithScript",
                                                           "AutoExecScript",
                                                           "Reminded",
                                                           "Music",
                                                           "Command",
                                                           "Message",
                                                           ReminderUidKey,
                                                           ReminderWarningsKey,
                                                           ReminderIntervalKey,
                                                           ReminderStartDateKey,
                                                           ReminderEndDateKey,
                                                           ReminderEndCountKey,
                                                           ReminderMonthEndKey};

// A key after the 15 is written where it says something, or where the section's former reminder had it (so that
// clearing it does not leave the old value behind).
void WriteExtraKey(TIniFile& ini, const std::string& section, const char* key, const std::string& value) {
    if (!value.empty() || !ini.ReadString(section, key, "").empty()) {
        ini.WriteString(section, key, value);
    }
}

std::int32_t CountOf(std::string_view text) {
    std::int32_t count = 0;
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    return error == std::errc() && count > 0 ? std::min(count, MostEndCount) : 0;
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}
} // namespace

TRmMainDate ReadReminder(const TIniFile& ini, const std::string& section) {
    return ReadReminderAt(ini, ini.SectionHandle(section));
}

TRmMainDate ReadReminderAt(const TIniFile& ini, std::size_t handle, TextDecoder* decoder) {
    // The whole section in one pass; the first of two equal keys counts, as for single reads. Keys mostly come in
    // the order they are written, so the one after the last found is tried first.
    constexpr std::size_t Texts = 12; // the keys from Music on are texts
    std::array<bool, ReminderKeys.size()> seen{};
    std::array<std::int32_t, Texts> numbers{};
    std::array<std::string, ReminderKeys.size() - Texts> texts;
    std::size_t expected = 0;
    ini.ForEachStoredValueAt(handle, [&](std::string_view key, std::string_view value, bool encoded) {
        for (std::size_t tried = 0; tried < ReminderKeys.size(); ++tried) {
            const std::size_t k = (expected + tried) % ReminderKeys.size();
            if (!SameKey(key, ReminderKeys[k])) {
                continue;
            }
            expected = k + 1;
            if (!seen[k]) {
                seen[k] = true;
                // A number is digits in any code page: only the texts are decoded.
                if (k < Texts) {
                    numbers[k] = IniTextToInteger(value, 0);
                } else {
                    texts[k - Texts] = !encoded             ? std::string(value)
                                       : decoder != nullptr ? ini.DecodedValue(value, *decoder)
                                                            : ini.DecodedValue(value);
                }
            }
            return;
        }
    });
    TRmMainDate record;
    record.Year = numbers[0];
    record.Month = numbers[1];
    record.Day = numbers[2];
    record.Hour = numbers[3];
    record.Minuter = numbers[4];
    record.Forward = numbers[5];
    record.Method = numbers[6];
    record.IsLunar = numbers[7] != 0;
    record.IsLeapMonth = numbers[8] != 0;
    record.WithScript = numbers[9] != 0;
    record.AutoExecScript = numbers[10] != 0;
    record.Reminded = numbers[11] != 0;
    record.Music = std::move(texts[0]);
    record.Command = std::move(texts[1]);
    record.Message = std::move(texts[2]);
    record.Uid = std::move(texts[3]);
    if (!texts[4].empty()) {
        record.Warnings = ParseWarnings(texts[4]);
    }
    if (!texts[5].empty()) {
        ParseInterval(texts[5], record.Every, record.EveryCount);
    }
    record.StartDate = texts[6].empty() ? 0 : ParseStoredDate(texts[6]);
    record.EndDate = texts[7].empty() ? 0 : ParseStoredDate(texts[7]);
    record.EndCount = texts[8].empty() ? 0 : CountOf(texts[8]);
    record.MonthEnd = CountOf(texts[9]) == 1;
    return record;
}

void WriteReminder(TIniFile& ini, const std::string& section, const TRmMainDate& record) {
    ini.WriteInteger(section, "Year", record.Year);
    ini.WriteInteger(section, "Month", record.Month);
    ini.WriteInteger(section, "Day", record.Day);
    ini.WriteInteger(section, "Hour", record.Hour);
    ini.WriteInteger(section, "Minuter", record.Minuter);
    ini.WriteInteger(section, "Forward", record.Forward);
    ini.WriteInteger(section, "Method", record.Method);
    ini.WriteBool(section, "IsLunar", record.IsLunar);
    ini.WriteBool(section, "IsLeapMonth", record.IsLeapMonth);
    ini.WriteBool(section, "WithScript", record.WithScript);
    ini.WriteBool(section, "AutoExecScript", record.AutoExecScript);
    ini.WriteBool(section, "Reminded", record.Reminded);
    ini.WriteString(section, "Music", record.Music);
    ini.WriteString(section, "Command", record.Command);
    ini.WriteString(section, "Message", record.Message);
    // A reminder without one leaves no key behind, unless the section's former reminder had one.
    WriteExtraKey(ini, section, ReminderUidKey, record.Uid);
    WriteExtraKey(ini, section, ReminderWarningsKey, FormatWarnings(record.Warnings));
    WriteExtraKey(ini, section, ReminderIntervalKey, FormatInterval(record.Every, record.EveryCount));
    WriteExtraKey(ini, section, ReminderStartDateKey, FormatStoredDate(record.StartDate));
    WriteExtraKey(ini, section, ReminderEndDateKey, FormatStoredDate(record.EndDate));
    WriteExtraKey(ini, section, ReminderEndCountKey, record.EndCount > 0 ? std::to_string(record.EndCount) : "");
    WriteExtraKey(ini, section, ReminderMonthEndKey, record.MonthEnd ? "1" : "");
}

std::int32_t StoredItemCount(const TIniFile& ini) {
    return StoredItemCount(ini, DataMainSection, DataItemsKey);
}

std::int32_t StoredItemCount(const TIniFile& ini, std::string_view countSection, std::string_view countKey,
                             std::int32_t limit) {
    const std::int32_t items = std::min(ini.ReadInteger(countSection, countKey, 0), limit);
    if (items <= 0) {
        return 0;
    }
    return std::min(items, HighestItemSection(ini));
}

std::int32_t ItemNumberOf(std::string_view name) {
    // Section names match without regard to case, so [item7] is the seventh reminder too.
    if (name.size() < 5 || name.size() > 14 || (name[0] | 0x20) != 'i' || (name[1] | 0x20) != 't' ||
        (name[2] | 0x20) != 'e' || (name[3] | 0x20) != 'm' || name[4] == '0') {
        return 0;
    }
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(name.data() + 4, name.data() + name.size(), number);
    return error == std::errc() && end == name.data() + name.size() && number > 0 ? number : 0;
}

std::int32_t HighestItemSection(const TIniFile& ini) {
    std::int32_t highest = 0;
    ini.ForEachSection(
        [&highest](std::string_view name, std::size_t) { highest = std::max(highest, ItemNumberOf(name)); });
    return highest;
}

bool SameSchedule(const TRmMainDate& a, const TRmMainDate& b) {
    return a.Warnings == b.Warnings && a.Every == b.Every &&
           (a.Every == RepeatUnit::None || a.EveryCount == b.EveryCount) && a.StartDate == b.StartDate &&
           a.EndDate == b.EndDate && a.EndCount == b.EndCount && a.MonthEnd == b.MonthEnd;
}

bool SameReminder(const TRmMainDate& a, const TRmMainDate& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour && a.Minuter == b.Minuter &&
           a.Forward == b.Forward && a.Method == b.Method && a.IsLunar == b.IsLunar && a.IsLeapMonth == b.IsLeapMonth &&
           a.WithScript == b.WithScript && a.AutoExecScript == b.AutoExecScript && a.Music == b.Music &&
           a.Command == b.Command && a.Message == b.Message && SameSchedule(a, b);
}

bool SameStoredReminder(const TRmMainDate& a, const TRmMainDate& b) {
    return SameReminder(a, b) && a.Uid == b.Uid;
}

namespace {
// One field of a three-way merge: false when both sides changed it differently.
template <typename Field>
bool MergeField(const Field& original, const Field& current, const Field& edited, Field& merged) {
    if (edited == original || edited == current) {
        merged = current;
        return true;
    }
    if (current == original) {
        merged = edited;
        return true;
    }
    return false;
}
} // namespace

std::optional<TRmMainDate> MergeEdit(const TRmMainDate& original, const TRmMainDate& current,
                                     const TRmMainDate& edited) {
    TRmMainDate merged;
    const bool merges =
        MergeField(original.Year, current.Year, edited.Year, merged.Year) &&
        MergeField(original.Month, current.Month, edited.Month, merged.Month) &&
        MergeField(original.Day, current.Day, edited.Day, merged.Day) &&
        MergeField(original.Hour, current.Hour, edited.Hour, merged.Hour) &&
        MergeField(original.Minuter, current.Minuter, edited.Minuter, merged.Minuter) &&
        MergeField(original.Forward, current.Forward, edited.Forward, merged.Forward) &&
        MergeField(original.Method, current.Method, edited.Method, merged.Method) &&
        MergeField(original.IsLunar, current.IsLunar, edited.IsLunar, merged.IsLunar) &&
        MergeField(original.IsLeapMonth, current.IsLeapMonth, edited.IsLeapMonth, merged.IsLeapMonth) &&
        MergeField(original.WithScript, current.WithScript, edited.WithScript, merged.WithScript) &&
        MergeField(original.AutoExecScript, current.AutoExecScript, edited.AutoExecScript, merged.AutoExecScript) &&
        MergeField(original.Music, current.Music, edited.Music, merged.Music) &&
        MergeField(original.Command, current.Command, edited.Command, merged.Command) &&
        MergeField(original.Message, current.Message, edited.Message, merged.Message) &&
        MergeField(original.Uid, current.Uid, edited.Uid, merged.Uid) &&
        MergeField(original.Warnings, current.Warnings, edited.Warnings, merged.Warnings) &&
        MergeField(original.Every, current.Every, edited.Every, merged.Every) &&
        MergeField(original.EveryCount, current.EveryCount, edited.EveryCount, merged.EveryCount) &&
        MergeField(original.StartDate, current.StartDate, edited.StartDate, merged.StartDate) &&
        MergeField(original.EndDate, current.EndDate, edited.EndDate, merged.EndDate) &&
        MergeField(original.EndCount, current.EndCount, edited.EndCount, merged.EndCount) &&
        MergeField(original.MonthEnd, current.MonthEnd, edited.MonthEnd, merged.MonthEnd);
    if (!merges) {
        return std::nullopt;
    }
    // The fields of a date belong together: a date changed on both sides would merge, field by field, into a
    // mixture that neither side chose.
    const bool dateHere = edited.Year != original.Year || edited.Month != original.Month ||
                          edited.Day != original.Day || edited.IsLunar != original.IsLunar ||
                          edited.IsLeapMonth != original.IsLeapMonth;
    const bool dateThere = current.Year != original.Year || current.Month != original.Month ||
                           current.Day != original.Day || current.IsLunar != original.IsLunar ||
                           current.IsLeapMonth != original.IsLeapMonth;
    if (dateHere && dateThere) {
        return std::nullopt;
    }
    merged.Reminded = current.Reminded || edited.Reminded;
    return merged;
}

namespace {
bool SameDateAndTime(const TRmMainDate& a, const TRmMainDate& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour && a.Minuter == b.Minuter &&
           a.IsLunar == b.IsLunar && a.IsLeapMonth == b.IsLeapMonth;
}

std::string ContentKey(const TRmMainDate& r) {
    std::string key;
    for (const std::int32_t number : {r.Year, r.Month, r.Day, r.Hour, r.Minuter, r.Forward, r.Method}) {
        key += std::to_string(number);
        key += ',';
    }
    for (const bool flag : {r.IsLunar, r.IsLeapMonth, r.WithScript, r.AutoExecScript}) {
        key += flag ? '1' : '0';
    }
    for (const std::string* text : {&r.Music, &r.Command, &r.Message}) {
        key += '\0';
        key += std::to_string(text->size());
        key += ':';
        key += *text;
    }
    if (r.HasSchedule()) {
        key += '\0';
        key += FormatWarnings(r.Warnings) + ';' + FormatInterval(r.Every, r.EveryCount) + ';' +
               std::to_string(r.StartDate) + ';' + std::to_string(r.EndDate) + ';' + std::to_string(r.EndCount) +
               (r.MonthEnd ? ";e" : "");
    }
    return key;
}
} // namespace

std::size_t ReminderContentHash(const TRmMainDate& record) {
    return std::hash<std::string>{}(ContentKey(record));
}

TPositionMap MapPositions(const std::vector<const TRmMainDate*>& before, const std::vector<const TRmMainDate*>& after) {
    TPositionMap map(before.size(), -1);
    std::vector<bool> taken(after.size(), false);
    // Most changes leave most reminders where they were.
    bool allInPlace = true;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i < after.size() && SameReminder(*before[i], *after[i])) {
            map[i] = static_cast<std::int32_t>(i);
            taken[i] = true;
        } else {
            allInPlace = false;
        }
    }
    if (allInPlace) {
        return map;
    }
    std::unordered_map<std::string, std::vector<std::int32_t>> free;
    for (std::size_t j = 0; j < after.size(); ++j) {
        if (!taken[j]) {
            free[ContentKey(*after[j])].push_back(static_cast<std::int32_t>(j));
        }
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (map[i] >= 0) {
            continue;
        }
        const auto found = free.find(ContentKey(*before[i]));
        if (found == free.end() || found->second.empty()) {
            continue;
        }
        std::vector<std::int32_t>& places = found->second;
        const auto nearest = std::min_element(places.begin(), places.end(), [i](std::int32_t x, std::int32_t y) {
            const auto distance = [i](std::int32_t p) {
                return std::abs(static_cast<std::int64_t>(p) - static_cast<std::int64_t>(i));
            };
            return distance(x) < distance(y);
        });
        map[i] = *nearest;
        taken[static_cast<std::size_t>(*nearest)] = true;
        places.erase(nearest);
    }
    // Edited in place by the other program: the same date and time at the same place is the same reminder.
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (map[i] < 0 && i < after.size() && !taken[i] && SameDateAndTime(*before[i], *after[i])) {
            map[i] = static_cast<std::int32_t>(i);
            taken[i] = true;
        }
    }
    return map;
}

TRmMainDate& TRmDataList::Item(std::int32_t index) {
    return const_cast<TRmMainDate&>(static_cast<const TRmDataList&>(*this).Item(index));
}

const TRmMainDate& TRmDataList::Item(std::int32_t index) const {
    if (index < 0 || index >= Count) {
        throw std::out_of_range("No reminder at index " + std::to_string(index));
    }
    return *Slots[static_cast<std::size_t>(index)];
}

void TRmDataList::ResizeToBlocks(std::int32_t blocks) {
    BlockCount = blocks;
    Slots.resize(static_cast<std::size_t>(BlockSize) * static_cast<std::size_t>(BlockCount));
}

void TRmDataList::Reset(const std::string& fileName) {
    ++Generation;
    FileName = fileName;
    Marks.clear();
    Stamp = {};
    KnownDigest = BytesDigest({});
    HighestSection = 0;
    Count = 0;
    BlockSize = 9;
    Slots.clear();
    ResizeToBlocks(1);
}

void TRmDataList::Clear() {
    for (std::int32_t i = 0; i < Count; ++i) {
        Slots[static_cast<std::size_t>(i)].reset();
    }
    Reset(FileName);
}

void TRmDataList::Load() {
    LoadFailure.clear();
    Refused = {};
    const TIniFile ini(FileName);
    if (ini.ReadFailed() || !LooksLikeDataFile(ini)) {
        Clear();
        LoadFailure =
            "无法读取提醒数据文件“" + FileName + "”：" +
            (ini.ReadFailed() ? ini.ReadFailureText() : std::string("它不像提醒数据文件（没有 [Main] 一节）")) + "。";
        Stamp = FileStampOf(FileName);
        return;
    }
    LoadFrom(ini);
}

void TRmDataList::LoadFrom(const TIniFile& ini) {
    Clear();
    ++Generation;
    Remember(ini.StoredBytes(), FileStampOf(FileName));
    // One pass over the sections finds each reminder's (the first of two with one number), with no look-up by
    // name; the count is then the stored one, as StoredItemCount rules.
    constexpr std::size_t None = 0;
    std::vector<std::size_t> sections;
    HighestSection = 0;
    ini.ForEachSection([&](std::string_view name, std::size_t handle) {
        const std::int32_t number = ItemNumberOf(name);
        HighestSection = std::max(HighestSection, number);
        if (number <= 0 || number > MaxDataItems) {
            return;
        }
        if (sections.size() < static_cast<std::size_t>(number)) {
            sections.resize(static_cast<std::size_t>(number), None);
        }
        if (sections[static_cast<std::size_t>(number - 1)] == None) {
            sections[static_cast<std::size_t>(number - 1)] = handle;
        }
    });
    const std::int32_t items =
        std::min({ini.ReadInteger(DataMainSection, DataItemsKey, 0), MaxDataItems, HighestSection});
    if (items <= 0) {
        return;
    }
    // Sections missing below the count read as reminders of the defaults.
    sections.resize(static_cast<std::size_t>(items), None);
    const std::int32_t blocks = items / BlockSize + 1;
    if (blocks != BlockCount) {
        ResizeToBlocks(blocks);
    }
    const auto read = [&](std::int32_t from, std::int32_t to, TextDecoder* decoder) {
        for (std::int32_t i = from; i < to; ++i) {
            const std::size_t section = sections[static_cast<std::size_t>(i)];
            Slots[static_cast<std::size_t>(i)] =
                std::make_unique<TRmMainDate>(section == None ? TRmMainDate{} : ReadReminderAt(ini, section, decoder));
        }
    };
    // A long list is read by two threads, each half with its own decoder: the start waits for half as long.
    constexpr std::int32_t ReadAloneUpTo = 20000;
    if (items <= ReadAloneUpTo || std::thread::hardware_concurrency() < 2) {
        read(0, items, nullptr);
    } else {
        const std::int32_t half = items / 2;
        std::exception_ptr failure;
        std::thread other([&] {
            try {
                TextDecoder decoder(ini.StoredEncoding());
                read(half, items, &decoder);
            } catch (...) {
                failure = std::current_exception();
            }
        });
        read(0, half, nullptr);
        other.join();
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    Count = items;
}

void TRmDataList::Remember(const std::string& bytes, const TFileStamp& stamp) const {
    KnownDigest = BytesDigest(bytes);
    Stamp = stamp;
}

void TRmDataList::ReloadFrom(const TIniFile& ini) {
    std::vector<std::unique_ptr<TRmMainDate>> before;
    before.reserve(static_cast<std::size_t>(Count));
    for (std::int32_t i = 0; i < Count; ++i) {
        before.push_back(std::move(Slots[static_cast<std::size_t>(i)]));
    }
    Count = 0;
    LoadFailure.clear();
    Refused = {};
    LoadFrom(ini);
    std::vector<const TRmMainDate*> old;
    old.reserve(before.size());
    for (const auto& record : before) {
        old.push_back(record.get());
    }
    std::vector<const TRmMainDate*> now;
    now.reserve(static_cast<std::size_t>(Count));
    for (std::int32_t i = 0; i < Count; ++i) {
        now.push_back(Slots[static_cast<std::size_t>(i)].get());
    }
    const TPositionMap map = MapPositions(old, now);
    TellMoved(map);
    if (ReloadedFromDisk) {
        ReloadedFromDisk();
    }
}

void TRmDataList::RefuseVersion(const TIniFile& ini, const std::string& suspicion, bool inSave) {
    const std::size_t digest = BytesDigest(ini.StoredBytes());
    if (Refused.Message.empty() || Refused.Digest != digest) {
        Refused.Digest = digest;
        Refused.Count = Count;
        Refused.CopyName = KeepOutsideCopy(FileName, ini.StoredBytes());
        Refused.Message =
            "提醒数据文件“" + FileName + "”被别的程序改过，但" + suspicion + "。晴铃提醒保留了原来的 " +
            std::to_string(Count) + " 条提醒，没有采用这个版本，在你决定之前也不会写入这个文件" +
            (Refused.CopyName.empty() ? std::string("。") : "；这个版本另存为“" + Refused.CopyName + "”。");
        if (OutsideVersionRefused) {
            OutsideVersionRefused();
        }
    }
    if (inSave) {
        throw std::runtime_error("没有保存：" + Refused.Message);
    }
}

bool TRmDataList::ReloadIfChanged() {
    WaitingForWriter = false;
    const TFileStamp current = FileStampOf(FileName);
    if (current == Stamp && LoadFailure.empty()) {
        return false;
    }
    if (!current.Exists) {
        Stamp = current;
        return false;
    }
    const TIniFile ini(FileName);
    if (ini.ReadFailed()) {
        Stamp = current;
        const bool news = LoadFailure.empty();
        LoadFailure = "无法读取提醒数据文件“" + FileName + "”：" + ini.ReadFailureText() + "。";
        if (news && ReloadedFromDisk) {
            ReloadedFromDisk();
        }
        return news;
    }
    if (ini.Missing()) {
        return false;
    }
    const bool wasUnreadable = !LoadFailure.empty();
    const std::size_t digest = BytesDigest(ini.StoredBytes());
    if (!wasUnreadable && digest == KnownDigest) {
        // Touched, or written back as it was: nothing to take in.
        Stamp = current;
        return false;
    }
    if (!Refused.Message.empty() && digest == Refused.Digest) {
        Stamp = current;
        return false;
    }
    if (const std::string suspicion = OutsideSuspicion(ini, Count); !suspicion.empty() && !wasUnreadable) {
        if (FileStampOf(FileName) != current || !StaysTheSame(FileName, current)) {
            // Still being written: what it becomes is what counts.
            WaitingForWriter = true;
            return false;
        }
        Stamp = current;
        RefuseVersion(ini, suspicion, false);
        return false;
    }
    if (wasUnreadable && !LooksLikeDataFile(ini)) {
        Stamp = current;
        return false;
    }
    ReloadFrom(ini);
    return true;
}

void TRmDataList::FollowDisk(const TIniFile& ini) {
    if (ini.ReadFailed()) {
        LoadFailure = "无法读取提醒数据文件“" + FileName + "”：" + ini.ReadFailureText() + "。";
        if (ReloadedFromDisk) {
            ReloadedFromDisk();
        }
        throw std::runtime_error(UnableToWriteMessage(FileName) + "\n" + LoadFailure);
    }
    if (ini.Missing()) {
        return;
    }
    const std::size_t digest = BytesDigest(ini.StoredBytes());
    if (digest == KnownDigest) {
        return;
    }
    if (!Refused.Message.empty() && digest == Refused.Digest) {
        throw std::runtime_error("没有保存：" + Refused.Message);
    }
    if (const std::string suspicion = OutsideSuspicion(ini, Count); !suspicion.empty()) {
        if (!StaysTheSame(FileName, FileStampOf(FileName))) {
            throw TSettleFirst{};
        }
        RefuseVersion(ini, suspicion, true);
    }
    ReloadFrom(ini);
}

void TRmDataList::KeepListOverRefused() {
    if (Refused.Message.empty()) {
        return;
    }
    const std::size_t refused = Refused.Digest;
    std::string bytes;
    if (ReadWholeFile(FileName, bytes) != FileReadResult::Read || BytesDigest(bytes) != refused) {
        Refused = {};
        ReloadIfChanged();
        return;
    }
    Refused = {};
    Save([this] { MarkChanged(0, Count); }, SaveMode::Whole);
}

void TRmDataList::TakeRefused() {
    if (Refused.Message.empty()) {
        return;
    }
    const std::size_t refused = Refused.Digest;
    Refused = {};
    const TIniFile ini(FileName);
    if (!ini.ReadFailed() && BytesDigest(ini.StoredBytes()) == refused) {
        ReloadFrom(ini);
        return;
    }
    ReloadIfChanged();
}

std::shared_ptr<std::int32_t> TRmDataList::Track(std::int32_t index) {
    auto position = std::make_shared<std::int32_t>(index >= 0 && index < Count ? index : -1);
    std::erase_if(Tracked, [](const std::weak_ptr<std::int32_t>& tracked) { return tracked.expired(); });
    Tracked.push_back(position);
    return position;
}

void TRmDataList::TellMoved(const TPositionMap& map) {
    for (const std::weak_ptr<std::int32_t>& tracked : Tracked) {
        if (const std::shared_ptr<std::int32_t> position = tracked.lock(); position && *position >= 0) {
            *position =
                static_cast<std::size_t>(*position) < map.size() ? map[static_cast<std::size_t>(*position)] : -1;
        }
    }
    if (PositionsMoved) {
        PositionsMoved(map);
    }
}

std::int32_t TRmDataList::Find(const TRmMainDate& record, std::int32_t near) const {
    near = std::clamp(near, 0, std::max(Count - 1, 0));
    // Outwards from near: the one nearest to where the caller last saw it.
    for (std::int32_t distance = 0; distance < Count; ++distance) {
        const std::int32_t below = near - distance;
        const std::int32_t above = near + distance;
        if (below < 0 && above >= Count) {
            break;
        }
        if (below >= 0 && SameReminder(Item(below), record)) {
            return below;
        }
        if (distance > 0 && above < Count && SameReminder(Item(above), record)) {
            return above;
        }
    }
    return -1;
}

namespace {
// Counts how deep the list's saves are nested, and comes back out however the change ends.
class DepthScope {
public:
    explicit DepthScope(int& depth) : Depth(depth) { ++Depth; }
    ~DepthScope() { --Depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

private:
    int& Depth;
};
} // namespace

void TRmDataList::MarkChanged(std::int32_t from, std::int32_t to) {
    ++Generation;
    ChangedFrom = std::min(ChangedFrom, from);
    ChangedTo = std::max(ChangedTo, to);
}

void TRmDataList::Save(const std::function<void()>& change, SaveMode mode) {
    if (SaveDepth > 0) {
        change();
        return;
    }
    RefuseSaveUnlessLoaded();
    const DepthScope inside(SaveDepth);
    const TRewritten written = RewriteDataFile(
        FileName,
        [&](TIniFile& ini) {
            if (mode == SaveMode::Follow) {
                FollowDisk(ini);
            } else if (ini.ReadFailed()) {
                throw std::runtime_error(UnableToWriteMessage(FileName));
            }
            if (mode == SaveMode::Whole) {
                ini.DropStoredContents();
            }
            ChangedFrom = Count;
            ChangedTo = 0;
            change();
            WriteChanged(ini);
        },
        BeforeFileReplaced);
    Remember(written.Bytes, written.Stamp);
    HighestSection = Count;
}

void TRmDataList::WriteChanged(TIniFile& ini) const {
    std::int32_t from = ChangedFrom;
    std::int32_t to = std::min(ChangedTo, Count);
    if (ini.Missing()) {
        // The file has gone since it was read: all of the list goes into the new one.
        from = 0;
        to = Count;
    }
    ini.WriteInteger(DataMainSection, DataItemsKey, Count);
    for (std::int32_t i = from; i < to; ++i) {
        WriteReminder(ini, ItemSectionName(i + 1), Item(i));
    }
    // The file holds what the list holds and nothing more: no section of a reminder deleted since.
    for (std::int32_t number = Count + 1; number <= HighestSection; ++number) {
        ini.EraseSection(ItemSectionName(number));
    }
}

void TRmDataList::Batch(const std::function<void()>& changes) {
    Save(changes);
}

void TRmDataList::Add(const TRmMainDate& record, bool save) {
    const auto append = [this, &record] {
        auto copy = std::make_unique<TRmMainDate>();
        copy->CopyFrom(record);
        const std::int32_t blocks = (Count + 1) / BlockSize + 1;
        if (blocks != BlockCount) {
            ResizeToBlocks(blocks);
        }
        Slots[static_cast<std::size_t>(Count)] = std::move(copy);
        ++Count;
        MarkChanged(Count - 1, Count);
    };
    if (save) {
        Save(append);
    } else {
        append();
    }
}

std::int32_t TRmDataList::Replace(TRmMainDate before, std::int32_t near, const TRmMainDate& after) {
    std::int32_t position = -1;
    Save([&] {
        position = Find(before, near);
        // The UID counts too: one given meanwhile (by an export) must not be wiped by a change made before it.
        if (position >= 0 && !SameStoredReminder(Item(position), before)) {
            position = -1;
        }
        if (position >= 0) {
            Item(position).CopyFrom(after);
            MarkChanged(position, position + 1);
        }
    });
    return position;
}

std::int32_t TRmDataList::Move(TRmMainDate before, std::int32_t near, std::int32_t steps) {
    std::int32_t moved = -1;
    Save([&] {
        const std::int32_t from = Find(before, near);
        moved = from;
        if (from < 0) {
            return;
        }
        const std::int32_t to = std::clamp(from + steps, 0, Count - 1);
        moved = to;
        if (to == from) {
            return;
        }
        TPositionMap map(static_cast<std::size_t>(Count));
        for (std::int32_t i = 0; i < Count; ++i) {
            // The ones between slide one place towards where the moved one was.
            map[static_cast<std::size_t>(i)] = i == from                          ? to
                                               : from < to && i > from && i <= to ? i - 1
                                               : to < from && i >= to && i < from ? i + 1
                                                                                  : i;
        }
        const auto first = Slots.begin() + std::min(from, to);
        const auto last = Slots.begin() + std::max(from, to) + 1;
        if (from < to) {
            std::rotate(first, first + 1, last);
        } else {
            std::rotate(first, last - 1, last);
        }
        TellMoved(map);
        MarkChanged(std::min(from, to), std::max(from, to) + 1);
    });
    return moved;
}

std::int32_t TRmDataList::Remove(const std::vector<std::pair<TRmMainDate, std::int32_t>>& records) {
    std::int32_t removed = 0;
    Save([&] {
        removed = 0;
        std::vector<bool> chosen(static_cast<std::size_t>(Count), false);
        for (const auto& [record, near] : records) {
            // Two equal reminders chosen twice are two reminders: the second one found is another.
            std::int32_t position = Find(record, near);
            if (position >= 0 && chosen[static_cast<std::size_t>(position)]) {
                position = -1;
                for (std::int32_t i = 0; i < Count; ++i) {
                    if (!chosen[static_cast<std::size_t>(i)] && SameReminder(Item(i), record)) {
                        position = i;
                        break;
                    }
                }
            }
            if (position >= 0) {
                chosen[static_cast<std::size_t>(position)] = true;
            }
        }
        TPositionMap map(static_cast<std::size_t>(Count), -1);
        std::int32_t kept = 0;
        std::int32_t lowest = -1;
        for (std::int32_t i = 0; i < Count; ++i) {
            if (chosen[static_cast<std::size_t>(i)]) {
                lowest = lowest < 0 ? i : lowest;
            } else {
                map[static_cast<std::size_t>(i)] = kept++;
            }
        }
        if (lowest < 0) {
            return;
        }
        removed = Count - kept;
        for (std::int32_t i = Count - 1; i >= lowest; --i) {
            if (chosen[static_cast<std::size_t>(i)]) {
                RemoveAt(i);
            }
        }
        TellMoved(map);
        MarkChanged(lowest, Count);
    });
    return removed;
}

void TRmDataList::RemoveAt(std::int32_t index) {
    ++Generation;
    const auto first = Slots.begin() + index;
    // The removed record is destroyed; the rest move down one slot and the old last slot ends up empty.
    first->reset();
    std::rotate(first, first + 1, Slots.begin() + Count);
    --Count;
}

void TRmDataList::Delete(std::int32_t index, bool save) {
    if (index == -1) {
        index = Count - 1;
    }
    if (index >= 0 && index < Count) {
        RemoveAt(index);
        TPositionMap map(static_cast<std::size_t>(Count) + 1);
        for (std::int32_t i = 0; i <= Count; ++i) {
            map[static_cast<std::size_t>(i)] = i < index ? i : i == index ? -1 : i - 1;
        }
        TellMoved(map);
    }
    if (save) {
        SaveFrom(index);
    }
}

void TRmDataList::RefuseSaveUnlessLoaded() const {
    if (!LoadFailure.empty()) {
        throw std::runtime_error(UnableToWriteMessage(FileName) + "\n" + LoadFailure);
    }
    if (!Refused.Message.empty()) {
        throw std::runtime_error("没有保存：" + Refused.Message);
    }
}

void TRmDataList::SaveItem(std::int32_t index) {
    if (index == -1) {
        index = Count - 1;
    }
    if (index < 0 || index >= Count) {
        RefuseSaveUnlessLoaded();
        return;
    }
    Save([this, index] { MarkChanged(index, index + 1); }, SaveMode::Over);
}

void TRmDataList::SaveFrom(std::int32_t index) {
    if (index == -1) {
        index = Count - 1;
    }
    if (index < 0 || index > Count) {
        RefuseSaveUnlessLoaded();
        return;
    }
    Save([this, index] { MarkChanged(index, Count); }, SaveMode::Over);
}

void TRmDataList::MarkReminded(std::int32_t index) {
    TRmMainDate& record = Item(index);
    if (record.Reminded) {
        return;
    }
    Marks.emplace_back(record, index);
    record.Reminded = true;
}

TRemindedMarks TRmDataList::TakeRemindedMarks() {
    RefuseSaveUnlessLoaded();
    TRemindedMarks marks;
    marks.FileName = FileName;
    marks.Stamp = Stamp;
    marks.KnownDigest = KnownDigest;
    marks.Count = Count;
    marks.Records = std::exchange(Marks, {});
    return marks;
}

void TRmDataList::RemindedMarksWritten(const TRemindedMarks& marks, const TRemindedWritten& written) {
    // Nobody else wrote the file in between, this list included: the new version is its own. Otherwise the next
    // look at the file takes it in as another program's change.
    if (marks.FileName != FileName) {
        return;
    }
    if (written.Written && written.OnKnownVersion && Stamp == marks.Stamp) {
        KnownDigest = written.Digest;
        Stamp = written.Stamp;
    } else if (written.FileMissing && !FileStampOf(FileName).Exists) {
        SaveFrom(0);
    }
}

void TRmDataList::SaveRemindedMarks() {
    if (Marks.empty()) {
        return;
    }
    const TRemindedMarks marks = TakeRemindedMarks();
    RemindedMarksWritten(marks, WriteRemindedMarks(marks, BeforeFileReplaced));
}

namespace {
struct NothingToMark {};

// The section of the file holding `record`, looked for outwards from where it stood; empty when none does.
std::string SectionHolding(const TIniFile& ini, std::int32_t count, const TRmMainDate& record, std::int32_t near) {
    near = std::clamp(near, 0, std::max(count - 1, 0));
    for (std::int32_t distance = 0; distance < count; ++distance) {
        for (const std::int32_t at : {near - distance, near + distance}) {
            if (at < 0 || at >= count || (distance == 0 && at != near)) {
                continue;
            }
            const std::string section = ItemSectionName(at + 1);
            if (SameStoredReminder(ReadReminder(ini, section), record)) {
                return section;
            }
        }
        if (near - distance < 0 && near + distance >= count) {
            break;
        }
    }
    return {};
}
} // namespace

TRemindedWritten WriteRemindedMarks(const TRemindedMarks& marks, const std::function<void()>& beforeReplace) {
    TRemindedWritten outcome;
    try {
        const TRewritten file = RewriteDataFile(
            marks.FileName,
            [&](TIniFile& ini) {
                if (ini.ReadFailed()) {
                    throw std::runtime_error(UnableToWriteMessage(marks.FileName) + "\n" + ini.ReadFailureText());
                }
                // A file gone or looking destroyed is the list's to judge when it looks at it next.
                if (ini.Missing()) {
                    outcome.FileMissing = true;
                    throw NothingToMark{};
                }
                if (!OutsideSuspicion(ini, marks.Count).empty()) {
                    throw NothingToMark{};
                }
                outcome.OnKnownVersion = BytesDigest(ini.StoredBytes()) == marks.KnownDigest;
                const std::int32_t count = StoredItemCount(ini);
                bool any = false;
                for (const auto& [record, near] : marks.Records) {
                    if (const std::string section = SectionHolding(ini, count, record, near); !section.empty()) {
                        ini.WriteBool(section, "Reminded", true);
                        any = true;
                    }
                }
                if (!any) {
                    throw NothingToMark{};
                }
            },
            beforeReplace);
        outcome.Stamp = file.Stamp;
        outcome.Digest = BytesDigest(file.Bytes);
        outcome.Written = true;
    } catch (const NothingToMark&) {
        outcome.Written = false;
    }
    return outcome;
}

bool TRmDataList::IsItemDueNowAt(std::int32_t index, TDateTime now) const {
    return index >= 0 && index < Count && Item(index).IsDueNowAt(now);
}

bool TRmDataList::IsItemDueNow(std::int32_t index) const {
    return IsItemDueNowAt(index, Now());
}

} // namespace chimewell
