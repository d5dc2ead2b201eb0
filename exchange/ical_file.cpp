#include "exchange/ical_file.h"

#include "data/reminder_schedule.h"

#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "exchange/ical_common.h"
#include "platform/message_box.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <random>
#include <set>
#include <stdexcept>

namespace chimewell {

using namespace ics;

TRmMainDate RecordOf(const TExchangeItem& item) {
    TRmMainDate record;
    record.Year = item.Numbers[KeyYear];
    record.Month = item.Numbers[KeyMonth];
    record.Day = item.Numbers[KeyDay];
    record.Hour = item.Numbers[KeyHour];
    record.Minuter = item.Numbers[KeyMinuter];
    record.Forward = item.Numbers[KeyForward];
    record.Method = item.Numbers[KeyMethod];
    record.IsLunar = item.Numbers[KeyIsLunar] != 0;
    record.IsLeapMonth = item.Numbers[KeyIsLeapMonth] != 0;
    record.WithScript = item.Numbers[KeyWithScript] != 0;
    record.AutoExecScript = item.Numbers[KeyAutoExecScript] != 0;
    record.Reminded = item.Numbers[KeyReminded] != 0;
    record.Music = item.Music;
    record.Command = item.Command;
    record.Message = item.Message;
    record.Uid = item.Uid;
    CopySchedule(item.Schedule, record);
    return record;
}

TExchangeItem ItemOfRecord(const TRmMainDate& record) {
    TExchangeItem item;
    item.Numbers[KeyYear] = record.Year;
    item.Numbers[KeyMonth] = record.Month;
    item.Numbers[KeyDay] = record.Day;
    item.Numbers[KeyHour] = record.Hour;
    item.Numbers[KeyMinuter] = record.Minuter;
    item.Numbers[KeyForward] = record.Forward;
    item.Numbers[KeyMethod] = record.Method;
    item.Numbers[KeyIsLunar] = record.IsLunar ? 1 : 0;
    item.Numbers[KeyIsLeapMonth] = record.IsLeapMonth ? 1 : 0;
    item.Numbers[KeyWithScript] = record.WithScript ? 1 : 0;
    item.Numbers[KeyAutoExecScript] = record.AutoExecScript ? 1 : 0;
    item.Numbers[KeyReminded] = record.Reminded ? 1 : 0;
    item.Music = record.Music;
    item.Command = record.Command;
    item.Message = record.Message;
    item.Uid = record.Uid;
    CopySchedule(record, item.Schedule);
    return item;
}
std::string NewReminderUid() {
    std::random_device device;
    std::array<std::uint32_t, 4> words{};
    for (std::uint32_t& word : words) {
        word = device();
    }
    std::array<unsigned char, 16> bytes{};
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        bytes[k] = static_cast<unsigned char>(words[k / 4] >> (8 * (k % 4)));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // variant 1
    std::string text;
    static constexpr const char* Hex = "0123456789abcdef";
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        if (k == 4 || k == 6 || k == 8 || k == 10) {
            text += '-';
        }
        text += Hex[bytes[k] >> 4];
        text += Hex[bytes[k] & 0x0F];
    }
    return text;
}

std::string GiveUids(TRmDataList& list, const std::vector<std::int32_t>& numbers) {
    try {
        // One write of the data file for them all.
        list.Batch([&] {
            // A UID an earlier reminder of the list has already (a copy made by hand) is none of this one's:
            // other calendars would merge the two events into one.
            std::set<std::string> taken;
            for (std::int32_t index = 0; index < list.Count; ++index) {
                const std::string& uid = list.Item(index).Uid;
                const bool chosen = std::find(numbers.begin(), numbers.end(), index + 1) != numbers.end();
                if (!uid.empty() && (!taken.insert(uid).second && chosen)) {
                    TRmMainDate after = list.Item(index);
                    after.Uid.clear();
                    list.Replace(list.Item(index), index, after);
                }
            }
            for (const std::int32_t number : numbers) {
                const std::int32_t index = number - 1;
                if (index < 0 || index >= list.Count || !list.Item(index).Uid.empty()) {
                    continue;
                }
                const TRmMainDate before = list.Item(index);
                TRmMainDate after = before;
                after.Uid = NewReminderUid();
                list.Replace(before, index, after);
            }
        });
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return {};
}

bool ExportIcs(const std::string& dataFileName, const std::string& exportFileName,
               const std::vector<std::int32_t>& numbers, const TIcsExportOptions& options) {
    const TIniFile dataFile(dataFileName);
    if (dataFile.ReadFailed()) {
        throw std::runtime_error("无法读取提醒数据文件“" + dataFileName + "”：" + dataFile.ReadFailureText() + "。");
    }
    std::vector<TExchangeItem> items;
    items.reserve(numbers.size());
    std::set<std::string> uids;
    for (const std::int32_t number : numbers) {
        items.push_back(ReadExchangeItem(dataFile, ItemSectionName(number)));
        // Two events of one UID in one file are one event to every reader.
        if (!items.back().Uid.empty() && !uids.insert(items.back().Uid).second) {
            items.back().Uid.clear();
        }
    }
    return WriteNewFileAtomically(exportFileName, IcsFileBytes(items, options));
}

bool LooksLikeICalendar(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return false;
    }
    return Upper(bytes.substr(first, 15)) == "BEGIN:VCALENDAR";
}

int IcsEventSequence(const std::string& text) {
    SetUpLibical();
    const ComponentPtr root(icalparser_parse_string(text.c_str()));
    if (!root) {
        return 0;
    }
    icalcomponent* event = icalcomponent_isa(root.get()) == ICAL_VEVENT_COMPONENT
                               ? root.get()
                               : icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
    return event != nullptr ? std::max(icalcomponent_get_sequence(event), 0) : 0;
}

bool IsICalendarFile(const std::string& fileName) {
    const std::string extension = fileName.size() >= 4 ? Upper(fileName.substr(fileName.size() - 4)) : "";
    if (extension == ".ICS") {
        return true;
    }
    std::string head(512, '\0');
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    head.resize(std::fread(head.data(), 1, head.size(), file));
    std::fclose(file);
    return LooksLikeICalendar(head);
}
TIcsImportFile ReadIcsFile(const std::string& fileName, const TIcsImportOptions& options) {
    std::string bytes;
    const FileReadResult result = ReadWholeFile(fileName, bytes, MaxImportFileBytes);
    const int error = errno;
    if (result != FileReadResult::Read) {
        TIcsImportFile file;
        file.Refusal = ImportReadRefusal(fileName, result, error);
        return file;
    }
    return ReadIcsText(bytes, fileName, options);
}

bool ImportIcsReminders(const std::string& dataFileName, const std::string& importFileName,
                        const TIcsImportOptions& options, std::string& summary) {
    return ImportReadCalendar(dataFileName, importFileName, ReadIcsFile(importFileName, options), summary);
}

bool ImportReadCalendar(const std::string& dataFileName, const std::string& importFileName, const TIcsImportFile& file,
                        std::string& summary) {
    if (file.Cancelled) {
        return false;
    }
    if (!file.Refusal.empty()) {
        ShowMessageBox(MessageKind::Information, "导入失败", file.Refusal);
        return false;
    }
    std::string notes;
    for (const std::string& note : file.Notes) {
        notes += "\n" + note;
    }
    if (file.Items.empty()) {
        ShowMessageBox(MessageKind::Information, "导入失败", "导入文件中没有任何提醒！" + notes);
        return false;
    }
    if (!AskAndAppend(dataFileName, importFileName, file.Items)) {
        return false;
    }
    summary = "已从日历文件导入 " + std::to_string(file.Items.size()) + " 条提醒。" + notes;
    return true;
}

} // namespace chimewell