#include "editing/record_commands.h"

#include "calendar/clock.h"
#include "data/file_io.h"
#include "platform/message_box.h"

namespace chimewell {

void TRecordCommands::Call(const std::function<void()>& hook) const {
    if (hook) {
        hook();
    }
}

void TRecordCommands::Add() {
    AddFrom(nullptr);
}

void TRecordCommands::Copy(int selected) {
    if (!IsLine(selected)) {
        return;
    }
    TRmMainDate copy = List.Item(selected);
    // A new reminder: it has not fired yet.
    copy.Reminded = false;
    // Another reminder to other calendars too.
    copy.Uid.clear();
    AddFrom(&copy);
}

void TRecordCommands::Move(int selected, int steps) {
    if (!IsLine(selected)) {
        return;
    }
    const std::int32_t moved = List.Move(List.Item(selected), selected, steps);
    Call(Hooks.RefreshRecordList);
    if (Hooks.SetSelection) {
        Hooks.SetSelection(moved);
    }
    Call(Hooks.DoSearch);
}

void TRecordCommands::Append(const TRmMainDate& record) {
    const std::int32_t before = List.Count;
    try {
        List.Add(record, true);
    } catch (...) {
        // Not in the file, so not in the list either.
        if (List.Count > before) {
            List.Delete(List.Count - 1, false);
        }
        throw;
    }
}

void TRecordCommands::ShowAdded() {
    Call(Hooks.RefreshRecordList);
    // The new reminder is the last one, whatever other programs added meanwhile: it is selected and shown.
    if (Hooks.SetSelection) {
        Hooks.SetSelection(List.Count - 1);
    }
}

bool TRecordCommands::AddRecord(const TRmMainDate& record) {
    try {
        Append(record);
    } catch (const std::exception& failure) {
        ShowMessageBox(MessageKind::Error, "没有保存",
                       ShownFailure(failure) + "\n\n这一句还在快速添加里：可以处理好之后再按回车。");
        return false;
    }
    ShowAdded();
    Call(Hooks.DoSearch);
    return true;
}

bool TRecordCommands::AddFrom(const TRmMainDate* model) {
    TRecordEditor editor(Config.QuickFinishFilePath());
    editor.WeeksBeginOnSunday = Config.BeginWithSunday;
    if (model != nullptr) {
        editor.LoadRecord(*model);
    }
    editor.Caption = "添加提醒";
    editor.MusicStartDir = Config.ChooserFolder(Config.LastMusicDir);
    bool added = false;
    while (!added && Hooks.RunEditor && Hooks.RunEditor(editor)) {
        try {
            Append(editor.WorkRecord);
        } catch (const std::exception& failure) {
            // What was typed comes back in the dialog.
            ShowMessageBox(MessageKind::Error, "没有保存",
                           ShownFailure(failure) + "\n\n这条提醒还在对话框里：可以处理好之后再按确定，或按取消放弃。");
            continue;
        }
        if (!editor.WorkRecord.Music.empty()) {
            Config.LastMusicDir = FolderOf(editor.WorkRecord.Music);
        }
        ShowAdded();
        added = true;
    }
    Call(Hooks.DoSearch);
    return added;
}

void TRecordCommands::View(int selected) {
    if (IsLine(selected) && Hooks.ShowRecord) {
        // A copy: the list may be read again from the file while the window shows.
        const TRmMainDate record = List.Item(selected);
        Hooks.ShowRecord(record);
    }
}

void TRecordCommands::Edit(int selected) {
    if (!IsLine(selected)) {
        return;
    }
    const TRmMainDate original = List.Item(selected);
    // Where the reminder goes while the dialog is open, whatever other programs do to the file meanwhile.
    const std::shared_ptr<std::int32_t> tracked = List.Track(selected);
    TRecordEditor editor(Config.QuickFinishFilePath());
    editor.WeeksBeginOnSunday = Config.BeginWithSunday;
    editor.LoadRecord(original);
    if (!Hooks.RunEditor || !Hooks.RunEditor(editor)) {
        return;
    }
    TRmMainDate edited = editor.WorkRecord;
    edited.Uid = original.Uid;
    // Another program may have changed the reminder while its dialog was open (fired it, gave it a UID, edited
    // it): what only one side changed is kept from that side, and only a change of both to the same field asks.
    std::int32_t position = -1;
    List.Batch([&] {
        position = *tracked >= 0 && *tracked < List.Count ? *tracked : List.Find(original, selected);
        if (position < 0 && !original.Uid.empty()) {
            for (std::int32_t i = 0; i < List.Count && position < 0; ++i) {
                position = List.Item(i).Uid == original.Uid ? i : -1;
            }
        }
        if (position < 0) {
            return;
        }
        const TRmMainDate current = List.Item(position);
        const std::optional<TRmMainDate> merged = MergeEdit(original, current, edited);
        position = merged ? List.Replace(current, position, *merged) : -1;
    });
    if (position < 0) {
        // Another program changed or deleted this reminder while the dialog was open: neither version is lost
        // without the user's word.
        const std::string text = "你编辑的这条提醒在编辑期间已被其他程序修改或删除：\n" +
                                 original.Describe(DescribeOptions::All()) +
                                 "\n\n要把你的修改另存为一条新提醒，两者都保留吗？选“否”放弃你的修改。";
        if (IsAffirmative(ShowMessageBox(MessageKind::YesNo, "提醒已被修改", text))) {
            List.Add(edited, true);
        }
        Call(Hooks.RefreshRecordList);
        Call(Hooks.DoSearch);
        return;
    }
    Call(Hooks.RefreshRecordList);
    if (Hooks.SetSelection) {
        Hooks.SetSelection(-1);
        Hooks.SetSelection(position);
    }
    Call(Hooks.DoSearch);
}

void TRecordCommands::Delete(int selected) {
    if (!IsLine(selected)) {
        return;
    }
    const TRmMainDate record = List.Item(selected);
    // The reminder named, so that the question cannot be about another line than the user thinks.
    if (!IsAffirmative(ShowMessageBox(MessageKind::Question, "删除记录",
                                      "你确定要删除选中的记录吗？\n\n" + record.Describe(DescribeOptions::All())))) {
        return;
    }
    // The queued positions follow through the list's PositionsMoved.
    if (List.Remove({{record, selected}}) == 0) {
        ShowMessageBox(MessageKind::Information, "没有删除",
                       "这条提醒已被其他程序修改或删除，没有删除：\n" + record.Describe(DescribeOptions::All()));
    }
    Call(Hooks.RefreshRecordList);
    if (Hooks.SetSelection) {
        Hooks.SetSelection(-1);
    }
    Call(Hooks.DoSearch);
}

void TRecordCommands::DeleteExpired() {
    if (List.Count == 0) {
        return;
    }
    // The expired reminders as they are now: the questions below may take a while, and the list may be read
    // again from the file meanwhile.
    std::vector<std::pair<TRmMainDate, std::int32_t>> expired;
    for (int index = List.Count - 1; index >= 0; --index) {
        if (List.Item(index).IsExpired()) {
            expired.emplace_back(List.Item(index), index);
        }
    }
    if (expired.empty()) {
        ShowMessageBox(MessageKind::Information, "无过期提醒", "在你的记录中没有过期的提醒。");
        return;
    }
    std::vector<std::pair<TRmMainDate, std::int32_t>> chosen;
    for (const auto& [record, index] : expired) {
        // Counted from 1, as users count the lines of a list.
        const std::string text = "第“" + std::to_string(index + 1) + "”条提醒已经过期：\n" +
                                 record.Describe(DescribeOptions::All()) + "\n是否删除？";
        if (IsAffirmative(ShowMessageBox(MessageKind::Question, "过期删除", text))) {
            chosen.emplace_back(record, index);
            if (Hooks.RemoveLine) {
                Hooks.RemoveLine(index);
            }
        }
    }
    if (!chosen.empty()) {
        List.Remove(chosen);
        Call(Hooks.RefreshRecordList);
        Call(Hooks.DoSearch);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace chimewell
