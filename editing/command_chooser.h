#pragma once
// The reminder-operation chooser of the editor: which command a reminder runs, what the operation button
// shows for it, and how the auto-run toggle follows. A shutdown or reboot always runs by itself, so while one
// is chosen the toggle says "是" and cannot be changed.

#include "data/reminder.h"

#include <string>
#include <string_view>

namespace chimewell {

// What the operation button and the auto-run toggle show.
struct TCommandDisplay {
    std::string Caption = "选择提醒操作";
    std::string Hint; // empty: no hint
    bool AutoRunEnabled = true;

    friend bool operator==(const TCommandDisplay&, const TCommandDisplay&) = default;
};

enum class CommandChoice { None, ShutDown, Reboot, Program, File, Address };

// The display of a stored command, as loading a reminder for editing restores it.
TCommandDisplay CommandDisplayFor(std::string_view command);

// The auto-run toggle's caption.
std::string_view AutoRunCaption(bool autoExec);

// Sets the record's Command for a choice; `argument` is the program or file path or the address. A shutdown
// or reboot on a reminder that fires at start-up is refused with a notice and changes nothing: the program
// would power the computer off each time it starts. Returns whether the choice was taken.
bool ChooseCommand(TRmMainDate& record, TCommandDisplay& display, CommandChoice choice, bool startupMethod,
                   const std::string& argument = {});

// What the address dialog starts with: the stored address of an address command, else "http://".
std::string AddressDialogStartText(std::string_view command);
// Whether the address dialog may close with this text; a refusal shows its notice.
bool AcceptAddress(std::string_view text);

} // namespace chimewell
