#pragma once
// The main window's record commands: add, view, edit, delete and delete the expired reminders. Each change
// goes to the data file before the command returns, the displayed lines are rebuilt, and an open search runs
// again. The windows come in through hooks, so the commands run the same with the real dialogs and in tests.

#include "data/reminder_list.h"
#include "data/settings.h"
#include "editing/record_editor.h"

#include <functional>

namespace chimewell {

struct TRecordCommandHooks {
    // Shows the add/edit dialog modally over the prepared editor; true when the user accepted.
    std::function<bool(TRecordEditor&)> RunEditor;
    // Shows the view window modally for a reminder.
    std::function<void(const TRmMainDate&)> ShowRecord;
    // Rebuilds every line of the list from the reminders.
    std::function<void()> RefreshRecordList;
    // Selects a line; -1 selects none.
    std::function<void(int)> SetSelection;
    // Takes one line out of the list at once, while delete-expired is still asking about others.
    std::function<void(int)> RemoveLine;
    // Runs an open search again.
    std::function<void()> DoSearch;
};

struct TRecordCommands {
    TRmDataList& List;
    TRmConfig& Config;
    TRecordCommandHooks Hooks;

    void Add();
    // Adds a reminder made without the dialog (快速添加): selected and shown like a new one; false, after saying
    // why, when the file refuses it.
    bool AddRecord(const TRmMainDate& record);
    // The commands on one reminder do nothing when the selection is not a line of the list.
    void View(int selected);
    void Edit(int selected);
    void Delete(int selected);
    // The add dialog filled with a copy of the reminder; a new reminder on OK.
    void Copy(int selected);
    // The add dialog preset to a date (the month window's 在此日添加提醒) or filled with what 快速添加 read; true
    // when it added a reminder.
    bool AddPreset(const TRmMainDate& preset) { return AddFrom(&preset); }
    // Moves the reminder one place up (-1) or down (1): the list's order is also the order in which the
    // reminders of one minute show. Postponements and queued reminders go with it.
    void Move(int selected, int steps);
    // Asks about each expired reminder from the last to the first and rewrites the file once at the end.
    void DeleteExpired();

private:
    // The add dialog, empty or filled with a model's fields; adds its reminder on OK.
    bool AddFrom(const TRmMainDate* model);
    // Writes a new reminder and takes it out of the list again when the file refuses it.
    void Append(const TRmMainDate& record);
    void ShowAdded();
    bool IsLine(int selected) const { return selected >= 0 && selected < List.Count; }
    void Call(const std::function<void()>& hook) const;
};

// The folder part of a path, with its trailing separator; empty when the path names no folder.
std::string FolderOf(const std::string& path);

} // namespace chimewell
