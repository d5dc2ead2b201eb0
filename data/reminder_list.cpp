#include "data/reminder_list.h"

#include "calendar/clock.h"
#include "data/file_io.h"
#include "data/ini_file.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include <algorithm>
#include <stdexcept>

namespace chimewell {

std::string ItemSectionName(std::int32_t number) {
    return "Item" + std::to_string(number);
}

namespace {
// The keys of a reminder, in the order of the file.
constexpr std::array<std::string_view, 15> ReminderKeys = {
    "Year",       "Month",          "Day",      "Hour",  "Minuter", "Forward", "Method", "IsLunar", "IsLeapMonth",
    "WithScript", "AutoExecScript", "Reminded", "Music", "Command", "Message"};

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
}

std::int32_t StoredItemCount(const TIniFile& ini) {
    return StoredItemCount(ini, DataMainSection, DataItemsKey);
}

std::int32_t StoredItemCount(const TIniFile& ini, std::string_view countSection, std::string_view countKey) {
    const std::int32_t items = std::min(ini.ReadInteger(countSection, countKey, 0), MaxDataItems);
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
    Clear();
    LoadFailure.clear();
    const TIniFile ini(FileName);
    if (ini.ReadFailed()) {
        LoadFailure = "无法读取提醒数据文件“" + FileName + "”：" + ini.ReadFailureText() + "。";
        return;
    }
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

void TRmDataList::Add(const TRmMainDate& record, bool save) {
    auto copy = std::make_unique<TRmMainDate>();
    copy->CopyFrom(record);
    const std::int32_t blocks = (Count + 1) / BlockSize + 1;
    if (blocks != BlockCount) {
        ResizeToBlocks(blocks);
    }
    Slots[static_cast<std::size_t>(Count)] = std::move(copy);
    ++Count;
    if (save) {
        SaveItem(Count - 1);
    }
}

void TRmDataList::Delete(std::int32_t index, bool save) {
    if (index == -1) {
        index = Count - 1;
    }
    if (index >= 0 && index < Count) {
        const auto first = Slots.begin() + index;
        // The removed record is destroyed; the rest move down one slot and the old last slot ends up empty.
        first->reset();
        std::rotate(first, first + 1, Slots.begin() + Count);
        --Count;
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

void TRmDataList::SaveItem(std::int32_t index) const {
    RefuseSaveUnlessLoaded();
    if (index == -1) {
        index = Count - 1;
    }
    if (index < 0 || index >= Count) {
        return;
    }
    TIniFile ini(FileName);
    ini.WriteInteger(DataMainSection, DataItemsKey, Count);
    WriteReminder(ini, ItemSectionName(index + 1), Item(index));
    ini.UpdateFile();
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
    ini.WriteInteger(DataMainSection, DataItemsKey, Count);
    for (std::int32_t i = index; i < Count; ++i) {
        WriteReminder(ini, ItemSectionName(i + 1), Item(i));
    }
    ini.UpdateFile();
}

bool TRmDataList::IsItemDueNowAt(std::int32_t index, TDateTime now) const {
    return index >= 0 && index < Count && Item(index).IsDueNowAt(now);
}

bool TRmDataList::IsItemDueNow(std::int32_t index) const {
    return IsItemDueNowAt(index, Now());
}

} // namespace chimewell
