#include "editing/quick_add_line.h"

#include "quick_add/quick_add.h"
#include "runtime/next_firing.h"

#include <cstdio>

namespace chimewell {

bool TQuickAddLine::Empty() const {
    std::string_view rest = Typed;
    while (!rest.empty()) {
        if (rest.front() == ' ' || rest.front() == '\t') {
            rest.remove_prefix(1);
        } else if (rest.starts_with("\u3000")) {
            rest.remove_prefix(std::string_view("\u3000").size());
        } else {
            return false;
        }
    }
    return true;
}

void TQuickAddLine::SetText(const std::string& text, TDateTime now) {
    Typed = text;
    ReadAt = now;
    OtherChosen = false;
    First.reset();
    Second.reset();
    Refusal.clear();
    if (Empty()) {
        return;
    }
    TQuickAddResult reading = ParseQuickAdd(Typed, now);
    if (!reading.Record) {
        Refusal = reading.Refusal;
        return;
    }
    First = std::move(reading.Record);
    Second = std::move(reading.Alternative);
}

void TQuickAddLine::Reread(TDateTime now) {
    const bool otherChosen = OtherChosen;
    SetText(std::string(Typed), now);
    OtherChosen = otherChosen && Second.has_value();
}

std::string TQuickAddLine::Understood() const {
    if (Empty()) {
        return "用一句话写下提醒，如“明天下午三点开会”“每年农历八月十五 赏月”“每月5号还房贷 提前三天”，按回车添加";
    }
    if (!Record()) {
        return "不能添加：" + Refusal;
    }
    return Record()->Describe(Options);
}

std::string TQuickAddLine::NextLine() const {
    if (!Record()) {
        return {};
    }
    return DescribeNextFiring(*Record(), ReadAt, WeeksBeginOnSunday).AllLines();
}

std::string TQuickAddLine::OtherReadingCaption() const {
    const std::optional<TRmMainDate>& other = OtherChosen ? First : Second;
    if (!other || !Second) {
        return {};
    }
    char clock[8];
    std::snprintf(clock, sizeof clock, "%02d:%02d", other->Hour % 100, other->Minuter % 100);
    std::string caption = "改为 ";
    // The day too where the two readings fall on different days (03:00 tomorrow, 15:00 today).
    const std::optional<TDateTime> otherNext = NextFiring(*other, ReadAt, WeeksBeginOnSunday);
    const std::optional<TDateTime> chosenNext = NextFiring(*Record(), ReadAt, WeeksBeginOnSunday);
    if (otherNext && (!chosenNext || DateOf(*otherNext) != DateOf(*chosenNext))) {
        const DateFields date = DecodeDate(*otherNext);
        if (date.Year != DecodeDate(ReadAt).Year) {
            caption += std::to_string(date.Year) + "年";
        }
        caption += std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日 ";
    }
    return caption + clock;
}

void TQuickAddLine::ChooseOtherReading() {
    if (Second) {
        OtherChosen = !OtherChosen;
    }
}

std::string TQuickAddLine::DayPrefill(TDateTime day) {
    const DateFields date = DecodeDate(day);
    return std::to_string(date.Year) + "年" + std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日 ";
}

} // namespace chimewell
