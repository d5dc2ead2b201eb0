// Any text as a reminder message: the # and % codes, the conditions at its start, and when it would next fire.

#include "calendar/datetime.h"
#include "data/reminder.h"
#include "runtime/next_firing.h"
#include "runtime/remind_text.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    using namespace chimewell;
    for (const TDateTime moment :
         {EncodeDateTime(2025, 3, 7, 13, 5, 9), EncodeDateTime(1900, 1, 1, 0, 0), EncodeDateTime(2101, 1, 1, 23, 59)}) {
        ExpandRemindTextAt(text, moment);
        for (const bool sunday : {false, true}) {
            WeekConditionHoldsAt(text, moment, sunday);
            PrepareRemindText(text, moment, sunday);
        }
    }
    ParseWeekCondition(text);
    StripWeekCondition(text);

    // The first bytes, when there are enough, make a record of their own.
    if (size >= 24) {
        std::int32_t fields[6];
        std::memcpy(fields, data, sizeof fields);
        TRmMainDate record;
        record.Year = fields[0] % 3000;
        record.Month = fields[1];
        record.Day = fields[2];
        record.Hour = fields[3];
        record.Minuter = fields[4];
        record.Forward = fields[5];
        record.IsLunar = (data[0] & 1) != 0;
        record.IsLeapMonth = (data[1] & 1) != 0;
        record.Message = text.substr(24);
        NextFiring(record, EncodeDateTime(2025, 1, 1, 0, 0), false);
        record.Describe(DescribeOptions::All());
        record.IsExpiredAt(EncodeDateTime(2025, 1, 1, 0, 0));
    }
    return 0;
}
