// The main window's export, import and search commands: the menu items, and the handlers that hand each
// command to the exchange code with this window's list.

#include "app/form_remind.h"
#include "app/record_list_view.h"

#include "exchange/calendar_reading.h"
#include "exchange/exchange_commands.h"
#include "exchange/form_export.h"
#include "exchange/form_search.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

namespace chimewell {

void TfrmRemind::CreateExchangeMenuItems(QMenu* recordMenu) {
    recordMenu->addSeparator();
    nmExportRecord = recordMenu->addAction(QStringLiteral("导出提醒[&E]"), this, &TfrmRemind::nmExportRecordClick);
    nmImportRecord = recordMenu->addAction(QStringLiteral("导入提醒[&I]"), this, &TfrmRemind::nmImportRecordClick);
}

TExchangeCommands TfrmRemind::ExchangeCommands() {
    TExchangeHooks hooks;
    hooks.ChooseReminders = [this](const std::vector<std::string>& lines) { return RunExportWindow(lines, this); };
    hooks.RefreshRecordList = [this] { RefreshRecordList(); };
    hooks.DoSearch = [this] { DoSearch(); };
    hooks.ReadCalendar = [this](const std::function<TIcsImportFile(const std::atomic<bool>&)>& read) {
        return ReadCalendarInBackground(this, read);
    };
    hooks.WriteCalendar = [this](const std::function<bool()>& write) { return WriteCalendarInBackground(this, write); };
    return TExchangeCommands{List, Config, std::move(hooks)};
}

void TfrmRemind::nmExportRecordClick() {
    ExchangeCommands().Export();
}

void TfrmRemind::nmImportRecordClick() {
    ExchangeCommands().Import();
}

void TfrmRemind::btnSearchRecordClick() {
    if (frmSearch != nullptr) {
        frmSearch->lstSearchResult->clear();
    } else {
        frmSearch = new TfrmSearch(this);
    }
    frmSearch->MainWindowRequests = [this](int code, int argument) { PostSearchRequest(code, argument); };
    frmSearch->showNormal();
    frmSearch->raise();
    frmSearch->activateWindow();
    // Typing goes to the search field whenever the window opens, also after the list was last clicked.
    frmSearch->cbSearch->setFocus(Qt::OtherFocusReason);
    frmSearch->cbSearch->lineEdit()->selectAll();
    FollowMainForm();
}

void TfrmRemind::DoSearch() {
    if (frmSearch == nullptr || !frmSearch->isVisible()) {
        return;
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(lstRecordList->count()));
    for (int line = 0; line < lstRecordList->count(); ++line) {
        lines.push_back(lstRecordList->Lines().LineText(line));
    }
    frmSearch->ShowMatches(lines);
}

void TfrmRemind::FollowMainForm() {
    if (frmSearch != nullptr && frmSearch->isVisible()) {
        frmSearch->FollowFrame(frameGeometry());
    }
}

} // namespace chimewell
