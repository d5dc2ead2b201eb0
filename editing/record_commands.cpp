#include "editing/record_commands.h"

#include "calendar/clock.h"
#include "platform/message_box.h"

namespace chimewell {

void TRecordCommands::Call(const std::function<void()>& hook) const {
    if (hook) {
        hook();
    }
}

void TRecordCommands::Add() {
    TRecordEditor editor(Config.QuickFinishFilePath());
    editor.Caption = "添加提醒";
    editor.MusicStartDir = Config.LastMusicDir;
    editor.WeeksBeginOnSunday = Config.BeginWithSunday;
    if (Hooks.RunEditor && Hooks.RunEditor(editor)) {
        if (!editor.WorkRecord.Music.empty()) {
            Config.LastMusicDir = FolderOf(editor.WorkRecord.Music);
        }
        List.Add(editor.WorkRecord, true);
        Call(Hooks.RefreshRecordList);
    }
    Call(Hooks.DoSearch);
}

void TRecordCommands::View(int selected) {
    if (IsLine(selected) && Hooks.ShowRecord) {
        Hooks.ShowRecord(List.Item(selected));
    }
}

void TRecordCommands::Edit(int selected) {
    if (!IsLine(selected)) {
        return;
    }
    TRecordEditor editor(Config.QuickFinishFilePath());
    editor.WeeksBeginOnSunday = Config.BeginWithSunday;
    editor.LoadRecord(List.Item(selected));
    if (!Hooks.RunEditor || !Hooks.RunEditor(editor)) {
        return;
    }
    // The reminder may have fired while its dialog was open; that it has been shown stays true.
    TRmMainDate& record = List.Item(selected);
    const bool reminded = record.Reminded || editor.WorkRecord.Reminded;
    record.CopyFrom(editor.WorkRecord);
    record.Reminded = reminded;
    Call(Hooks.RefreshRecordList);
    if (Hooks.SetSelection) {
        Hooks.SetSelection(-1);
        Hooks.SetSelection(selected);
    }
    List.SaveItem(selected);
    Call(Hooks.DoSearch);
}

void TRecordCommands::Delete(int selected) {
    if (!IsLine(selected)) {
        return;
    }
    if (!IsAffirmative(ShowMessageBox(MessageKind::Question, "删除记录", "你确定要删除选中的记录吗？"))) {
        return;
    }
    List.Delete(selected, true);
    Runtime.RecordDeleted(selected);
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
    bool anyExpired = false;
    int lowestDeleted = -1;
    for (int index = List.Count - 1; index >= 0; --index) {
        const TRmMainDate& record = List.Item(index);
        if (!record.IsExpired()) {
            continue;
        }
        anyExpired = true;
        // The number is the position in the list, counted from 0 as the program counts its lines.
        const std::string text = "第“" + std::to_string(index) + "”条提醒已经过期：\n" +
                                 record.Describe(DescribeOptions::All()) + "\n是否删除？";
        if (!IsAffirmative(ShowMessageBox(MessageKind::Question, "过期删除", text))) {
            continue;
        }
        List.Delete(index, false);
        Runtime.RecordDeleted(index);
        if (Hooks.RemoveLine) {
            Hooks.RemoveLine(index);
        }
        lowestDeleted = index;
    }
    if (lowestDeleted >= 0) {
        List.SaveFrom(lowestDeleted);
        Call(Hooks.RefreshRecordList);
        Call(Hooks.DoSearch);
    } else if (!anyExpired) {
        ShowMessageBox(MessageKind::Information, "无过期提醒", "在你的记录中没有过期的提醒。");
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace chimewell
