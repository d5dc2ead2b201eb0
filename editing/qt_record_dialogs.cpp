#include "editing/qt_record_dialogs.h"

#include "editing/form_add_edit_record.h"
#include "editing/form_view_record.h"

namespace chimewell {

bool RunAddEditDialog(TRecordEditor& editor, QWidget* parent) {
    TfrmAddEditRecord dialog(editor, parent);
    dialog.exec();
    return editor.Accepted;
}

TRecordCommandHooks QtRecordDialogHooks(QWidget* parent, const TRmConfig& config) {
    TRecordCommandHooks hooks;
    hooks.RunEditor = [parent](TRecordEditor& editor) { return RunAddEditDialog(editor, parent); };
    hooks.ShowRecord = [parent, &config](const TRmMainDate& record) {
        RunViewRecordWindow(record, config.SysMusicFile, config.BeginWithSunday, parent);
    };
    return hooks;
}

} // namespace chimewell
