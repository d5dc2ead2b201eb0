// The main window's system commands: the settings dialog and what confirming it applies, the about box, the
// help and the maker's pages, and the skin and list font the settings ask for.

#include "app/form_remind.h"
#include "app/record_list_view.h"
#include "app/sync_controller.h"
#include "platform/message_box.h"
#include "platform/notification_area.h"

#include "platform/qt_font_dialog.h"
#include "system/form_about.h"
#include "system/form_system_set.h"
#include "system/help.h"
#include "system/qt_skin.h"
#include "system/skin.h"
#include "system/system_set.h"

#include <QTimer>

namespace chimewell {

void TfrmRemind::nmSystemSetClick() {
    TSyncPageHooks syncHooks;
    syncHooks.SyncNow = [this] { Sync->SyncNow(); };
    syncHooks.StatusText = [this] { return Sync->StatusText(); };
    if (!RunSystemSetDialog(Config, SkinsFolder(ExecutableFolder), this, std::move(syncHooks))) {
        return;
    }
    Config.SaveConfig();
    Sync->Configure(Config);
    // A new password is kept by now, or about to be.
    Sync->SyncSoon();
    RefreshRecordList();
    DoSearch();
    ApplyListFont();
    ApplyRemindMode();
    if (const std::string refused = ApplySkinSetting(SkinsFolder(ExecutableFolder), Config.SkinFileName);
        !refused.empty()) {
        ShowMessageBox(MessageKind::Information, "皮肤", refused);
    }
}

void TfrmRemind::StartSync() {
    Sync = new SyncController(List, AppPath, this);
    connect(Sync, &SyncController::remindersChanged, this, [this] {
        RefreshRecordList();
        DoSearch();
    });
    connect(Sync, &SyncController::notice, this,
            [this](const QString& title, const QString& text) { ttiRemindTray->ShowMessage(title, text, 15000); });
    connect(Sync, &SyncController::statusChanged, this, &TfrmRemind::ShowPauseState);
    Sync->Configure(Config);
}

void TfrmRemind::ApplySkin() {
    // At start an empty name leaves the desktop's look as it is; a skin that cannot be used is named in a
    // message, after the start, and the program goes on in the plain look.
    if (!Config.SkinFileName.empty()) {
        if (const std::string refused = ApplySkinSetting(SkinsFolder(ExecutableFolder), Config.SkinFileName);
            !refused.empty()) {
            QTimer::singleShot(0, this, [refused] { ShowMessageBox(MessageKind::Information, "皮肤", refused); });
        }
    }
}

void TfrmRemind::ApplyListFont() {
    const TFontChoice font = ListFontOf(Config);
    lstRecordList->setFont(QtFontOf(font));
    // The list's own rule: a skin styles everything else, but the font and colour the user chose stay.
    const std::string rule = FontStyleSheet("QListView", font);
    lstRecordList->setStyleSheet(QString::fromUtf8(rule.data(), static_cast<qsizetype>(rule.size())));
}

void TfrmRemind::popOpenAboutClick() {
    ShowAboutBox(this, ExecutableFolder);
}

void TfrmRemind::nmHelpFileClick() {
    OpenHelp(ExecutableFolder, THelpSection::Contents);
}

void TfrmRemind::nmOpenWebSiteClick() {
    OpenHelp(ExecutableFolder, THelpSection::About);
}

void TfrmRemind::nmBugReportClick() {
    OpenHelp(ExecutableFolder, THelpSection::Report);
}

} // namespace chimewell
