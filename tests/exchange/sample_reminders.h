#pragma once
// Five reminders of every kind a data file holds, for the exchange tests.

#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "exchange/exchange_file.h"
#include "sample_record.h"

#include <string>
#include <vector>

namespace chimewell::testing {

// A stored section of a date and a time with its message, every other key 0.
inline TExchangeItem DatedItem(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                               std::int32_t minute, const std::string& message) {
    TExchangeItem item;
    item.Numbers = {year, month, day, hour, minute, 0, 0, 0, 0, 0, 0, 0};
    item.Message = message;
    return item;
}

inline std::vector<TRmMainDate> FiveSampleReminders() {
    TRmMainDate shutdown = DatedRecord(2026, 12, 22, 8, 2, "下班了，关机");
    shutdown.Music = "/音乐/铃.mp3";
    shutdown.Command = "sShutDown";
    shutdown.AutoExecScript = true;
    TRmMainDate midAutumn = DatedRecord(0, 8, 15, 20, 0, "中秋");
    midAutumn.IsLunar = true;
    TRmMainDate qingming = DatedRecord(0, 13, 6, 0, 0, "扫墓 €5 a=b");
    qingming.IsLunar = true;
    qingming.Forward = 5;
    qingming.Method = RemindHourly;
    qingming.Reminded = true;
    return {DatedRecord(0, 0, 0, 9, 0, "晨会"), shutdown, midAutumn,
            DatedRecord(0, 0, 0x80 | 0x41, 7, 30, "周一和周日"), qingming};
}

// A data file of the given reminders, written as the program writes it.
inline void WriteDataFile(const std::string& path, const std::vector<TRmMainDate>& reminders) {
    TRmDataList list;
    list.Reset(path);
    for (const TRmMainDate& record : reminders) {
        list.Add(record, true);
    }
}

inline TRmDataList LoadedList(const std::string& path) {
    TRmDataList list;
    list.Reset(path);
    list.Load();
    return list;
}

} // namespace chimewell::testing
