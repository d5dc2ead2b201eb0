#include "data/reminder_list.h"

#include "calendar/clock.h"
#include "data/file_io.h"
#include "data/ini_file.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <unordered_map>

namespace chimewell {

std::string ItemSectionName(std::int32_t number) {
    return "Item" + std::to_string(number);
}

namespace {
// The keys of a reminder, in the order of the file.
constexpr std::array<std::string_view, 16> ReminderKeys = {
    "Year",       "Month",          "Day",      "Hour",  "Minuter", "Forward", "Method",      "IsLunar", "IsLeapMonth",
    "WithScript", "AutoExecScript", "Reminded", "Music", "Command", "Message", ReminderUidKey};

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
    // The whole section in one pass; the first of two equal keys counts, as for single reads.
    std::array<std::optional<std::string>, ReminderKeys.size()> values;
    ini.ForEachValue(section, [&values](std::string_view key, const std::string& value) {
        for (std::size_t k = 0; k < ReminderKeys.size(); ++k) {
            if (!values[k] && SameKey(key, ReminderKeys[k])) {
                values[k] = value;
                return;
            }
        }
    });
    const auto integer = [&values](std::size_t k) { return values[k] ? IniTextToInteger(*values[k], 0) : 0; };
    const auto text = [&values](std::size_t k) { return values[k] ? *values[k] : std::string(); };
    TRmMainDate record;
    record.Year = integer(0);
    record.Month = integer(1);
    record.Day = integer(2);
    record.Hour = integer(3);
    record.Minuter = integer(4);
    record.Forward = integer(5);
    record.Method = integer(6);
    record.IsLunar = integer(7) != 0;
    record.IsLeapMonth = integer(8) != 0;
    record.WithScript = integer(9) != 0;
    record.AutoExecScript = integer(10) != 0;
    record.Reminded = integer(11) != 0;
    record.Music = text(12);
    record.Command = text(13);
    record.Message = text(14);
    record.Uid = text(15);
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
    if (!record.Uid.empty() || !ini.ReadString(section, ReminderUidKey, "").empty()) {
        ini.WriteString(section, ReminderUidKey, record.Uid);
    }
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
    std::int32_t highest = 0;
    for (const std::string& name : ini.SectionNames()) {
        // Section names match without regard to case, so [item7] is the seventh reminder too.
        if (name.size() < 5 || name.size() > 14 || (name[0] | 0x20) != 'i' || (name[1] | 0x20) != 't' ||
            (name[2] | 0x20) != 'e' || (name[3] | 0x20) != 'm' || name[4] == '0') {
            continue;
        }
        std::int32_t number = 0;
        const auto [end, error] = std::from_chars(name.data() + 4, name.data() + name.size(), number);
        if (error == std::errc() && end == name.data() + name.size()) {
            highest = std::max(highest, number);
        }
    }
    return std::min(items, highest);
}

bool SameReminder(const TRmMainDate& a, const TRmMainDate& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour && a.Minuter == b.Minuter &&
           a.Forward == b.Forward && a.Method == b.Method && a.IsLunar == b.IsLunar && a.IsLeapMonth == b.IsLeapMonth &&
           a.WithScript == b.WithScript && a.AutoExecScript == b.AutoExecScript && a.Music == b.Music &&
           a.Command == b.Command && a.Message == b.Message;
}

namespace {
bool SameDateAndTime(const TRmMainDate& a, const TRmMainDate& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour && a.Minuter == b.Minuter &&
           a.IsLunar == b.IsLunar && a.IsLeapMonth == b.IsLeapMonth;
}

std::size_t Digest(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes) ^ bytes.size();
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
    return key;
}
} // namespace

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
    FileName = fileName;
    Stamp = {};
    KnownDigest = Digest({});
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
    const TIniFile ini(FileName);
    if (ini.ReadFailed()) {
        Clear();
        LoadFailure = "无法读取提醒数据文件“" + FileName + "”：" + ini.ReadFailureText() + "。";
        Stamp = FileStampOf(FileName);
        return;
    }
    LoadFrom(ini);
}

void TRmDataList::LoadFrom(const TIniFile& ini) {
    Clear();
    Remember(ini.StoredBytes());
    const std::int32_t items = StoredItemCount(ini);
    if (items <= 0) {
        return;
    }
    const std::int32_t blocks = items / BlockSize + 1;
    if (blocks != BlockCount) {
        ResizeToBlocks(blocks);
    }
    for (std::int32_t i = 0; i < items; ++i) {
        Slots[static_cast<std::size_t>(i)] = std::make_unique<TRmMainDate>(ReadReminder(ini, ItemSectionName(i + 1)));
    }
    Count = items;
}

void TRmDataList::Remember(const std::string& bytes) const {
    KnownDigest = Digest(bytes);
    Stamp = FileStampOf(FileName);
}

void TRmDataList::ReloadFrom(const TIniFile& ini) {
    std::vector<std::unique_ptr<TRmMainDate>> before;
    before.reserve(static_cast<std::size_t>(Count));
    for (std::int32_t i = 0; i < Count; ++i) {
        before.push_back(std::move(Slots[static_cast<std::size_t>(i)]));
    }
    Count = 0;
    LoadFailure.clear();
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
    if (PositionsMoved) {
        PositionsMoved(map);
    }
    if (ReloadedFromDisk) {
        ReloadedFromDisk();
    }
}

bool TRmDataList::ReloadIfChanged() {
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
    if (!wasUnreadable && Digest(ini.StoredBytes()) == KnownDigest) {
        // Touched, or written back as it was: nothing to take in.
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
    if (Digest(ini.StoredBytes()) != KnownDigest) {
        ReloadFrom(ini);
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

void TRmDataList::Add(const TRmMainDate& record, bool save) {
    std::unique_ptr<TIniFile> ini;
    if (save) {
        RefuseSaveUnlessLoaded();
        ini = std::make_unique<TIniFile>(FileName);
        FollowDisk(*ini);
    }
    auto copy = std::make_unique<TRmMainDate>();
    copy->CopyFrom(record);
    const std::int32_t blocks = (Count + 1) / BlockSize + 1;
    if (blocks != BlockCount) {
        ResizeToBlocks(blocks);
    }
    Slots[static_cast<std::size_t>(Count)] = std::move(copy);
    ++Count;
    if (save) {
        WriteRange(*ini, Count - 1, Count);
    }
}

std::int32_t TRmDataList::Replace(TRmMainDate before, std::int32_t near, const TRmMainDate& after) {
    RefuseSaveUnlessLoaded();
    TIniFile ini(FileName);
    FollowDisk(ini);
    const std::int32_t position = Find(before, near);
    if (position < 0) {
        return -1;
    }
    Item(position).CopyFrom(after);
    WriteRange(ini, position, position + 1);
    return position;
}

std::int32_t TRmDataList::Move(TRmMainDate before, std::int32_t near, std::int32_t steps) {
    RefuseSaveUnlessLoaded();
    TIniFile ini(FileName);
    FollowDisk(ini);
    const std::int32_t from = Find(before, near);
    if (from < 0) {
        return -1;
    }
    const std::int32_t to = std::clamp(from + steps, 0, Count - 1);
    if (to == from) {
        return from;
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
    if (PositionsMoved) {
        PositionsMoved(map);
    }
    WriteRange(ini, std::min(from, to), std::max(from, to) + 1);
    return to;
}

std::int32_t TRmDataList::Remove(const std::vector<std::pair<TRmMainDate, std::int32_t>>& records) {
    RefuseSaveUnlessLoaded();
    TIniFile ini(FileName);
    FollowDisk(ini);
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
        return 0;
    }
    const std::int32_t removed = Count - kept;
    for (std::int32_t i = Count - 1; i >= lowest; --i) {
        if (chosen[static_cast<std::size_t>(i)]) {
            RemoveAt(i);
        }
    }
    if (PositionsMoved) {
        PositionsMoved(map);
    }
    WriteRange(ini, lowest, Count);
    return removed;
}

void TRmDataList::RemoveAt(std::int32_t index) {
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
        if (PositionsMoved) {
            TPositionMap map(static_cast<std::size_t>(Count) + 1);
            for (std::int32_t i = 0; i <= Count; ++i) {
                map[static_cast<std::size_t>(i)] = i < index ? i : i == index ? -1 : i - 1;
            }
            PositionsMoved(map);
        }
    }
    if (save) {
        SaveFrom(index);
    }
}

void TRmDataList::RefuseSaveUnlessLoaded() const {
    if (!LoadFailure.empty()) {
        throw std::runtime_error(UnableToWriteMessage(FileName) + "\n" + LoadFailure);
    }
}

void TRmDataList::WriteRange(TIniFile& ini, std::int32_t from, std::int32_t to) const {
    if (ini.Missing()) {
        // The file has gone since it was read: all of the list goes into the new one.
        from = 0;
        to = Count;
    }
    ini.WriteInteger(DataMainSection, DataItemsKey, Count);
    for (std::int32_t i = from; i < to; ++i) {
        WriteReminder(ini, ItemSectionName(i + 1), Item(i));
    }
    Remember(ini.UpdateFile());
}

void TRmDataList::SaveItem(std::int32_t index) const {
    RefuseSaveUnlessLoaded();
    if (index == -1) {
        index = Count - 1;
    }
    if (index < 0 || index >= Count) {
        return;
    }
    TIniFile ini(FileName);
    WriteRange(ini, index, index + 1);
}

void TRmDataList::SaveFrom(std::int32_t index) const {
    RefuseSaveUnlessLoaded();
    if (index == -1) {
        index = Count - 1;
    }
    if (index < 0 || index > Count) {
        return;
    }
    TIniFile ini(FileName);
    WriteRange(ini, index, Count);
}

bool TRmDataList::IsItemDueNowAt(std::int32_t index, TDateTime now) const {
    return index >= 0 && index < Count && Item(index).IsDueNowAt(now);
}

bool TRmDataList::IsItemDueNow(std::int32_t index) const {
    return IsItemDueNowAt(index, Now());
}

} // namespace chimewell
