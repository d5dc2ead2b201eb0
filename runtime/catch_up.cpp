#include "runtime/catch_up.h"

#include "data/reminder_schedule.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"
#include "runtime/reminder_actions.h"

#include <algorithm>
#include <cmath>

namespace chimewell {

namespace {

constexpr double MinutesPerDay = 1440.0;
// Firings past this many are a fault of the record, not missed reminders worth a window each.
constexpr int MostFiringsOfOneRecord = 1000;

std::int64_t MinuteCount(TDateTime moment) {
    return static_cast<std::int64_t>(std::floor(moment * MinutesPerDay + 1e-6));
}

// The middle of a minute: safely inside it, whatever the rounding of the day fractions.
TDateTime InsideMinute(std::int64_t count) {
    return (static_cast<double>(count) + 0.5) / MinutesPerDay;
}

} // namespace

std::vector<TMissedFiring> MissedFirings(const TRmDataList& list, TDateTime lastChecked, TDateTime now, int windowHours,
                                         bool beginWithSunday) {
    if (windowHours <= 0) {
        return {};
    }
    const std::int64_t nowMinute = MinuteCount(now);
    const std::int64_t earliest = nowMinute - std::int64_t{windowHours} * 60; // [.., nowMinute)
    const std::int64_t first = std::max(MinuteCount(lastChecked) + 1, earliest);
    const std::int64_t last = nowMinute - 1;
    return FiringsInMinutes(list, first, last, beginWithSunday);
}

std::vector<TMissedFiring> FiringsInMinutes(const TRmDataList& list, std::int64_t first, std::int64_t last,
                                            bool beginWithSunday) {
    std::vector<TMissedFiring> missed;
    if (first > last) {
        return missed;
    }
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TNextFirings firings = NextFirings(list.Item(position), InsideMinute(first - 1), InsideMinute(last),
                                                 MostFiringsOfOneRecord, beginWithSunday);
        for (std::size_t i = 0; i < firings.Minutes.size(); ++i) {
            missed.push_back({firings.Minutes[i], position, firings.Leads[i]});
        }
    }
    std::stable_sort(missed.begin(), missed.end(), [](const TMissedFiring& a, const TMissedFiring& b) {
        return MinuteCount(a.Minute) < MinuteCount(b.Minute);
    });
    return missed;
}

std::string MissedHeading(TDateTime minute) {
    return "错过的提醒：原定 " + FormatMinute(minute);
}

TMissedReminder DescribeMissed(const TRmMainDate& record, const TMissedFiring& firing, bool beginWithSunday) {
    TMissedReminder missed;
    missed.Minute = firing.Minute;
    missed.Position = firing.Position;
    missed.Silent = record.Message == SilentReminderMessage;
    missed.Lead = firing.Lead;
    if (firing.Lead != 0) {
        // A warning that came late still says what it warned of, and never offers the command.
        const TDateTime warned = firing.Lead > 0 ? firing.Minute + firing.Lead / MinutesPerDay : firing.Minute;
        missed.Text = WarningText(missed.Silent ? std::string("不显示提醒窗口的提醒")
                                                : PrepareRemindText(record.Message, warned, beginWithSunday).Shown,
                                  firing.Lead, warned);
        return missed;
    }
    missed.Text = missed.Silent ? std::string("不显示提醒窗口的提醒")
                                : PrepareRemindText(record.Message, firing.Minute, beginWithSunday).Shown;
    switch (ParseCommand(record.Command).Kind) {
    case CommandKind::ShutDown:
        missed.NotRun = "自动关机未执行";
        break;
    case CommandKind::Reboot:
        missed.NotRun = "自动重启未执行";
        break;
    case CommandKind::StartProgram:
    case CommandKind::OpenTarget:
        // Offered, never run by itself: what was right at its minute may be wrong now.
        missed.Command = record.Command;
        if (missed.Silent || record.AutoExecScript) {
            missed.NotRun = "命令未自动执行";
        }
        break;
    case CommandKind::None:
        break;
    }
    return missed;
}

RemindPresentation PresentMissed(const TMissedReminder& missed, const TRmMainDate& record, const TRmConfig& config) {
    RemindPresentation shown = PlanFiring(record, config, missed.Minute, missed.Lead).Presentation;
    shown.Text = MissedHeading(missed.Minute) + "　" + missed.Text;
    if (!missed.NotRun.empty()) {
        shown.Text += "（" + missed.NotRun + "）";
    }
    shown.CommandText = missed.Command;
    shown.AutoRun = false;
    shown.CommandButton = missed.Command.empty() ? CommandButtonState::Hide : CommandButtonState::Show;
    shown.CommandHint = missed.Command.empty() ? std::string() : "命令为:" + missed.Command;
    if (missed.Silent) {
        shown.MusicFile.clear();
    }
    return shown;
}

} // namespace chimewell
