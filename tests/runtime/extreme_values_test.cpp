// Every numeric field of a reminder comes from a file a person may edit. Whatever it holds, every part of the
// program that reads it must answer without undefined behaviour (the sanitizers of the test build abort on any)
// and without hanging.

#include "calendar/clock.h"
#include "runtime/catch_up.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"

#include "data/temp_folder.h"

#include <gtest/gtest.h>
#include <limits>

namespace chimewell {
namespace {

constexpr std::int32_t Extremes[] = {std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::min(),
                                     -1,
                                     0,
                                     1,
                                     12,
                                     13,
                                     14,
                                     24,
                                     29,
                                     30,
                                     31,
                                     32,
                                     60,
                                     0x7F,
                                     0x80,
                                     0xFF,
                                     1 << 30};

TEST(ExtremeFieldValues, EveryReaderOfARecordAnswers) {
    testing::TempFolder folder;
    TRmConfig config;
    config.InitDefaults(folder.Folder(), 265, 202, 429, 279);
    TRmDataList list;
    list.Reset(folder.File("reminddata.sdt"));
    std::int32_t TRmMainDate::*const fields[] = {&TRmMainDate::Year,  &TRmMainDate::Month,   &TRmMainDate::Day,
                                                 &TRmMainDate::Hour,  &TRmMainDate::Minuter, &TRmMainDate::Forward,
                                                 &TRmMainDate::Method};
    for (const auto field : fields) {
        for (const std::int32_t value : Extremes) {
            for (const bool lunar : {false, true}) {
                TRmMainDate record;
                record.IsLunar = lunar;
                record.IsLeapMonth = lunar;
                record.Message = "#y %M月%D %J $mw2$";
                record.*field = value;
                list.Add(record, false);
            }
        }
    }
    const TDateTime now = EncodeDateTime(2026, 12, 8, 23, 59);
    ClockOverride clock(now);
    for (std::int32_t i = 0; i < list.Count; ++i) {
        const TRmMainDate& record = list.Item(i);
        record.Describe(DescribeOptions::All());
        record.IsExpiredAt(now);
        record.IsDueNowAt(now);
        record.IsDueTodayAt(now);
        PlanFiring(record, config, now);
        NextFiring(record, now, false);
        DescribeNextFiring(record, now, true);
    }
    StartupPass(list, now);
    MinutePasses(list, now, true);
    MissedFirings(list, now - 1, now, 24, false);
    SUCCEED();
}

} // namespace
} // namespace chimewell
