#pragma once
// The checks the editor's OK makes before it takes a reminder, in the order it makes them.

#include "data/reminder.h"
#include "platform/message_box.h"

#include <optional>
#include <string>

namespace chimewell {

// What OK sees besides the record.
struct TAcceptInput {
    const TRmMainDate* Record = nullptr;
    // A start-up method (开机提醒, 开机整点) is chosen.
    bool StartupMethod = false;
    // The message box's text, which is the record's Message.
    std::string MessageText;
    bool MusicChecked = false;
    std::string MusicPath;
    // The moment the expiry is judged at.
    TDateTime Now = 0;
};

struct TAcceptCheck {
    std::string Title;
    std::string Text;
    // Information for a refusal; Question for the one question, the expired date, which OK may pass.
    MessageKind Kind = MessageKind::Information;

    friend bool operator==(const TAcceptCheck&, const TAcceptCheck&) = default;
};

// The first check that fails, or nothing when the reminder may be taken. With expiredConfirmed the user has
// already answered OK to the expired question, which is then passed over.
std::optional<TAcceptCheck> FirstFailingCheck(const TAcceptInput& input, bool expiredConfirmed);

// Runs the checks with their message boxes; true when the reminder may be taken.
bool RunAcceptChecks(const TAcceptInput& input);

} // namespace chimewell
