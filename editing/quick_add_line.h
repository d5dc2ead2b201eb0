#pragma once
// 快速添加's model: the line as the user types it, what it is read as at this moment (the list's description of
// the reminder and when it fires next, or why it cannot be added), the other reading of an ambiguous phrase, and
// the text a chosen day starts the line with. Plain C++: the Qt line renders it; tests drive it directly.

#include "calendar/datetime.h"
#include "data/reminder.h"

#include <optional>
#include <string>

namespace chimewell {

class TQuickAddLine {
public:
    // How the main list describes a reminder; the reading is shown the same way.
    DescribeOptions Options = DescribeOptions::All();
    bool WeeksBeginOnSunday = false;

    // Reads the text afresh, as of `now`; the other reading is no longer chosen.
    void SetText(const std::string& text, TDateTime now);
    // Reads the same text again as of a later moment (Enter, a new minute): the reading chosen stays chosen
    // where there still is another.
    void Reread(TDateTime now);
    const std::string& Text() const { return Typed; }
    // Nothing but spaces (the ideographic one too).
    bool Empty() const;

    // The reminder Enter adds, in the reading chosen; none when the text cannot be added.
    const std::optional<TRmMainDate>& Record() const { return OtherChosen ? Second : First; }
    bool CanAdd() const { return Record().has_value(); }

    // The first line under the text: the reminder as the list would show it, the reason it cannot be added
    // ("不能添加：2月没有30日"), or for an empty line how to use it.
    std::string Understood() const;
    // Below it: "下次提醒：…" or "不再提醒", then the warning that comes first and a guessed year's notice, one to
    // a line; empty when nothing can be added.
    std::string NextLine() const;

    // An ambiguous hour ("3点" at 16:00) was read one way; the other is one click away, and a second click
    // turns back.
    bool HasOtherReading() const { return Second.has_value(); }
    // "改为 12月11日 15:00": the other reading's next firing, as the button offers it.
    std::string OtherReadingCaption() const;
    void ChooseOtherReading();

    // The text a chosen day starts the line with: "2026年12月25日 ", the year always written, so that the day
    // read is the day chosen (a day already past is refused, not moved a year on).
    static std::string DayPrefill(TDateTime day);

private:
    std::string Typed;
    TDateTime ReadAt = 0;
    std::string Refusal;
    std::optional<TRmMainDate> First;
    std::optional<TRmMainDate> Second;
    // The parser's reading and the other one of an ambiguous hour; the second is Enter's after a click.
    bool OtherChosen = false;
};

} // namespace chimewell
