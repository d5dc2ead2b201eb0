#pragma once
// The record commands' windows as Qt shows them, ready to put into TRecordCommandHooks.

#include "editing/record_commands.h"

class QWidget;

namespace chimewell {

// Shows the add/edit dialog modally over the editor; true when OK took the reminder.
bool RunAddEditDialog(TRecordEditor& editor, QWidget* parent);

// The hooks that open the real windows over parent; the caller adds its list's hooks.
TRecordCommandHooks QtRecordDialogHooks(QWidget* parent, const TRmConfig& config);

} // namespace chimewell
