#include "calendar/datetime.h"
#include "runtime/form_missed_reminders.h"
#include "runtime/form_remind_box.h"

#include "modal_helpers.h"
#include "platform/fake_desktop_actions.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::EnsureApplication;
using testing::WhenModal;

std::vector<TMissedReminder> Missed() {
    std::vector<TMissedReminder> missed;
    for (int i = 0; i < 5; ++i) {
        TMissedReminder one;
        one.Minute = EncodeDateTime(2026, 12, 8, 10, i);
        one.Position = i;
        one.Text = "提醒" + std::to_string(i);
        missed.push_back(one);
    }
    missed[1].Command = "uhttps://example.org/schedule";
    missed[3].NotRun = "自动关机未执行";
    return missed;
}

// Many missed reminders in one list; a program, file or address runs only from its button, a held-back
// shutdown never.
TEST(MissedRemindersTest, OneListWithTheCommandOnlyByItsButton) {
    EnsureApplication();
    RecordingDesktopActions desktop;
    TfrmMissedReminders window(Missed());
    ASSERT_EQ(window.lstMissed->count(), 5);
    EXPECT_EQ(window.lstMissed->item(0)->text(), QStringLiteral("2026-12-08 10:00　提醒0"));
    EXPECT_EQ(window.lstMissed->item(3)->text(), QStringLiteral("2026-12-08 10:03　提醒3（自动关机未执行）"));
    EXPECT_TRUE(window.lbMissed->text().contains(QStringLiteral("5 条")));
    EXPECT_FALSE(window.btnCommand->isEnabled());
    window.lstMissed->setCurrentRow(1);
    ASSERT_TRUE(window.btnCommand->isEnabled());
    window.btnCommand->click();
    EXPECT_EQ(desktop.OpenedTargets, std::vector<std::string>{"https://example.org/schedule"});
    window.lstMissed->setCurrentRow(3);
    EXPECT_FALSE(window.btnCommand->isEnabled());
    EXPECT_EQ(desktop.PowerOffs, 0);
}

// The tray's 关闭窗口 closes the list as it closes a reminder window; like it, the list comes up without being
// modal, which would hand it the keyboard.
TEST(MissedRemindersTest, TheTrayItemClosesTheList) {
    EnsureApplication();
    TfrmRemindBox box;
    bool seen = false;
    auto close = WhenModal<TfrmMissedReminders>([&](TfrmMissedReminders* list) {
        seen = list->windowModality() == Qt::NonModal && list->testAttribute(Qt::WA_ShowWithoutActivating);
        box.CloseWindow();
    });
    box.ShowMissedList(Missed());
    EXPECT_TRUE(seen);
}

} // namespace
} // namespace chimewell
