#include "app/form_month_calendar.h"
#include "app/form_remind.h"
#include "app/record_list_view.h"
#include "calendar/clock.h"
#include "data/ini_file.h"
#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"
#include "platform/notification_area.h"
#include "runtime/form_remind_box.h"

#include "data/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace chimewell {
namespace {

// The main window on the offscreen platform, in a temporary folder, with scripted message-box answers and
// the desktop actions recorded instead of performed.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : Clock(EncodeDateTime(2025, 3, 3, 8, 59, 30)) {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
        std::ofstream(Folder.File("reminddata.sdt"), std::ios::binary)
            << "[Main]\r\nItems=2\r\n[Item1]\r\nHour=9\r\nMinuter=0\r\nMessage=one\r\n"
               "[Item2]\r\nYear=2025\r\nMonth=3\r\nDay=4\r\nHour=9\r\nMinuter=0\r\nMessage=two\r\n";
        PreviousBoxes = SetMessageBoxFunction([this](MessageKind, const std::string& title, const std::string&) {
            Asked.push_back(title);
            const MessageAnswer answer = Answers.empty() ? MessageAnswer::Cancel : Answers.front();
            if (!Answers.empty()) {
                Answers.erase(Answers.begin());
            }
            return answer;
        });
    }
    ~MainWindowTest() override { SetMessageBoxFunction(PreviousBoxes); }

    std::unique_ptr<TfrmRemind> Create(bool tray = false) {
        Answers.insert(Answers.begin(), MessageAnswer::No); // the start-with-system question
        return std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), tray);
    }

    testing::TempFolder Folder;
    ClockOverride Clock;
    RecordingDesktopActions Actions;
    MessageBoxFunction PreviousBoxes;
    std::vector<MessageAnswer> Answers;
    std::vector<std::string> Asked;
};

TEST_F(MainWindowTest, ListsEveryReminderAndCountsTheStart) {
    auto form = Create();
    ASSERT_EQ(form->lstRecordList->count(), 2);
    EXPECT_EQ(form->lstRecordList->LineText(0).toStdString(), "公历，每年每月每天9时0分0方式，提醒为：one");
    EXPECT_EQ(form->Config.OpenTimes, 1);
    EXPECT_FALSE(form->popOpenRun->isChecked()) << "the start-with-system question was answered No";
    EXPECT_TRUE(form->ShowAtStart()) << "without a notification area the window must stay reachable";
}

TEST_F(MainWindowTest, ClosingHidesOrMinimisesAndOnlyAConfirmedExitEnds) {
    auto form = Create();
    form->show();
    form->close();
    EXPECT_TRUE(form->isVisible()) << "no tray: the close box minimises";
    EXPECT_TRUE(form->isMinimized());
    form->nmExitSoftClick(); // answered Cancel; a confirmed exit is tried where the process may end
    EXPECT_FALSE(form->Exiting);
    EXPECT_EQ(Asked.back(), "退出程序");
}

TEST_F(MainWindowTest, PauseAsksAndResumeDoesNot) {
    auto form = Create();
    Answers = {MessageAnswer::Ok};
    form->popPauseRemindClick();
    EXPECT_FALSE(form->trOneSecond.isActive());
    EXPECT_TRUE(form->popPauseRemind->isChecked());
    EXPECT_EQ(form->windowTitle().toStdString(), "晴铃提醒 (暂停提醒)");
    EXPECT_TRUE(form->Paused);
    const std::size_t questions = Asked.size();
    form->popPauseRemindClick();
    EXPECT_TRUE(form->trOneSecond.isActive());
    EXPECT_EQ(Asked.size(), questions);
    EXPECT_EQ(form->windowTitle().toStdString(), "晴铃提醒");
}

// The list tells when each reminder comes next, as the mouse rests on its line, and draws expired ones grey.
TEST_F(MainWindowTest, LinesTellTheirNextFiringAndExpiredOnesAreGrey) {
    std::ofstream(Folder.File("reminddata.sdt"), std::ios::binary)
        << "[Main]\r\nItems=2\r\n[Item1]\r\nHour=9\r\nMessage=one\r\n"
           "[Item2]\r\nYear=2025\r\nMonth=3\r\nDay=2\r\nMessage=yesterday\r\n";
    auto form = Create();
    form->show();
    EXPECT_FALSE(form->lstRecordList->LineData(0, Qt::ForegroundRole).isValid());
    EXPECT_TRUE(form->lstRecordList->LineData(1, Qt::ForegroundRole).isValid());
    QWidget* viewport = form->lstRecordList->viewport();
    const QPoint onFirst = form->lstRecordList->VisualRowRect(0).center();
    QHelpEvent hover(QEvent::ToolTip, onFirst, viewport->mapToGlobal(onFirst));
    QApplication::sendEvent(viewport, &hover);
    EXPECT_TRUE(QToolTip::text().startsWith(QStringLiteral("下次提醒：2025年3月3日 星期一 09:00")))
        << QToolTip::text().toStdString();
    const QPoint onSecond = form->lstRecordList->VisualRowRect(1).center();
    QHelpEvent hoverExpired(QEvent::ToolTip, onSecond, viewport->mapToGlobal(onSecond));
    QApplication::sendEvent(viewport, &hoverExpired);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("不再提醒"));
}

// A pause of a chosen length says until when on the tray icon, ends by itself, and leaves its minutes unchecked.
TEST_F(MainWindowTest, APauseForAWhileEndsByItself) {
    auto form = Create(true);
    Answers = {MessageAnswer::Ok};
    form->PauseFor(PauseLength::HalfHour);
    EXPECT_TRUE(form->Paused);
    EXPECT_FALSE(form->trOneSecond.isActive());
    EXPECT_TRUE(form->trPauseEnd.isActive());
    EXPECT_TRUE(form->popResumeRemind->isEnabled());
    Clock.AdvanceMinutes(20);
    form->trPauseEndTimer();
    EXPECT_TRUE(form->Paused) << "ten minutes left";
    Clock.AdvanceMinutes(11);
    form->trPauseEndTimer();
    EXPECT_FALSE(form->Paused);
    EXPECT_TRUE(form->trOneSecond.isActive());
    EXPECT_FALSE(form->List.Item(0).Reminded) << "9:00 passed during the pause";
    EXPECT_EQ(form->windowTitle().toStdString(), "晴铃提醒");
}

// Idle, the program wakes once a minute, just after the minute turns.
TEST_F(MainWindowTest, TheTickIsAimedAtTheNextMinute) {
    auto form = Create(true);
    form->trOneSecondTimer();
    EXPECT_TRUE(form->trOneSecond.isSingleShot());
    EXPECT_GE(form->trOneSecond.interval(), 30'000);
    EXPECT_LE(form->trOneSecond.interval(), 30'400) << "the clock stands at 8:59:30";
}

TEST_F(MainWindowTest, StartWithSystemFollowsWhatIsRegistered) {
    auto form = Create();
    form->popOpenRun->trigger();
    EXPECT_TRUE(form->popOpenRun->isChecked());
    EXPECT_TRUE(std::filesystem::exists(Folder.File("xdg/autostart/Chimewell2.1.desktop")));
    Answers = {MessageAnswer::Cancel};
    form->popOpenRun->trigger();
    EXPECT_TRUE(form->popOpenRun->isChecked()) << "Cancel keeps the entry";
    EXPECT_EQ(Asked.back(), "取消自运行");
    Answers = {MessageAnswer::Ok};
    form->popOpenRun->trigger();
    EXPECT_FALSE(form->popOpenRun->isChecked());
    EXPECT_FALSE(std::filesystem::exists(Folder.File("xdg/autostart/Chimewell2.1.desktop")));
}

TEST_F(MainWindowTest, MovesAndResizesReachTheSettings) {
    auto form = Create();
    form->show();
    form->move(311, 222);
    form->resize(640, 480);
    QApplication::processEvents();
    EXPECT_EQ(form->Config.MainWndLeft, form->pos().x());
    EXPECT_EQ(form->Config.MainWndTop, form->pos().y());
    EXPECT_EQ(form->Config.MainWndWidth, 640);
    EXPECT_EQ(form->Config.MainWndHeight, 480);
    form->resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(form->Config.MainWndWidth, 429) << "the designed size is the smallest";
}

TEST_F(MainWindowTest, TheSettingsAreSavedWhenTheWindowGoes) {
    {
        auto form = Create();
        form->Config.LaterRemindTime = 17;
    }
    auto again = Create();
    EXPECT_EQ(again->Config.LaterRemindTime, 17);
    EXPECT_EQ(again->Config.OpenTimes, 2);
}

TEST_F(MainWindowTest, SearchRequestsArePostedAndSelectOnlyExistingLines) {
    auto form = Create();
    form->PostSearchRequest(102, 1);
    EXPECT_EQ(form->lstRecordList->currentRow(), -1) << "handled after the sender returns";
    QApplication::processEvents();
    EXPECT_EQ(form->lstRecordList->currentRow(), 1);
    form->PostSearchRequest(102, 2);
    form->PostSearchRequest(7, 0);
    QApplication::processEvents();
    EXPECT_EQ(form->lstRecordList->currentRow(), 1);
}

// The help ships with the program: it is looked for beside the executable, never in the user's data folder,
// and without it no address is opened in its place.
TEST_F(MainWindowTest, HelpOpensTheShippedFileAndOnlySaysSoWhenThereIsNone) {
    auto form = Create();
    Asked.clear();
    form->nmHelpFileClick();
    form->nmOpenWebSiteClick();
    EXPECT_EQ(Asked, (std::vector<std::string>{"文件丢失", "文件丢失"}));
    EXPECT_TRUE(Actions.OpenedTargets.empty());
    std::filesystem::create_directory(Folder.File("help"));
    std::ofstream(Folder.File("help/index.html")) << "help";
    form->nmBugReportClick();
    form->btnOpenHelpFile->click();
    EXPECT_EQ(Actions.OpenedTargets, (std::vector<std::string>{"file://" + Folder.File("help/index.html") + "#report",
                                                               Folder.File("help/index.html")}));
}

// Started with the session before the panel, the program finds no notification area; when one comes, the
// stand-in behaviour ends, and when it goes, the window and the tray's commands come back within reach.
TEST_F(MainWindowTest, TheWindowAndMenusFollowTheNotificationArea) {
    auto form = Create(false);
    form->ShowIfWanted();
    EXPECT_TRUE(form->isVisible());
    const auto onMainMenu = [&](QAction* action) { return form->mnSoft->actions().contains(action); };
    for (QAction* action : {form->popPauseRemind, form->popOpenRun, form->popOpenAbout}) {
        EXPECT_TRUE(onMainMenu(action)) << action->text().toStdString();
    }
    form->ttiRemindTray->PinAvailability(true);
    EXPECT_FALSE(form->isVisible()) << "HideMainForm: with a tray the program lives there";
    EXPECT_FALSE(onMainMenu(form->popPauseRemind));
    form->ttiRemindTray->PinAvailability(false);
    EXPECT_TRUE(form->isVisible()) << "hidden to a tray that is gone, the window would be lost";
    EXPECT_TRUE(onMainMenu(form->popOpenAbout));
}

// The desktops' D-Bus trays know no double click: a click shows the window.
TEST_F(MainWindowTest, AClickOnTheTrayIconShowsTheWindow) {
    auto form = Create(true);
    form->ShowIfWanted();
    EXPECT_FALSE(form->isVisible());
    emit form->ttiRemindTray->activated();
    EXPECT_TRUE(form->isVisible());
}

// While a reminder shows, the tray menu must still pause, close it or exit: the reminder window blocks no
// other window and does not take the keyboard from another program; the record commands wait instead.
TEST_F(MainWindowTest, AShowingReminderBlocksNoWindowAndTakesNoKeyboard) {
    auto form = Create(true);
    bool seen = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!form->RemindBox->isVisible()) {
            return;
        }
        seen = true;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a modal window is handed the focus as it maps";
        EXPECT_EQ(form->RemindBox->parentWidget(), nullptr);
        EXPECT_TRUE(form->RemindBox->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_FALSE(form->isEnabled());
        EXPECT_TRUE(form->popRemindMenu->isEnabled());
        form->popCloseWindowClick();
    });
    closer.start(20);
    for (int second = 0; second < 40; ++second) {
        Clock.AdvanceSeconds(1);
        form->trOneSecondTimer();
    }
    EXPECT_TRUE(seen);
    EXPECT_TRUE(form->isEnabled());
}

// A sync tool replaces the data file (by rename) while the program runs: the list shows it within a moment,
// without waiting for the next minute, and the next save keeps what the tool wrote.
TEST_F(MainWindowTest, AnOutsideChangeOfTheDataFileShowsWithinTwoSeconds) {
    auto form = Create();
    const std::string path = Folder.File("reminddata.sdt");
    std::ofstream(path + ".new", std::ios::binary)
        << "[Main]\r\nItems=3\r\n[Item1]\r\nHour=9\r\nMinuter=0\r\nMessage=one\r\n"
           "[Item2]\r\nYear=2025\r\nMonth=3\r\nDay=4\r\nHour=9\r\nMinuter=0\r\nMessage=two changed\r\n"
           "[Item3]\r\nHour=10\r\nMessage=three\r\n";
    std::filesystem::rename(path + ".new", path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->lstRecordList->count() == 3; }, 2000));
    EXPECT_TRUE(form->lstRecordList->LineText(1).endsWith(QStringLiteral("two changed")));
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (form->RemindBox->isVisible()) {
            form->popCloseWindowClick();
        }
    });
    closer.start(20);
    for (int second = 0; second < 40; ++second) {
        Clock.AdvanceSeconds(1);
        form->trOneSecondTimer();
    }
    // The firing's mark is written off the window's thread: it reaches the file a moment later.
    TRmDataList stored;
    stored.Reset(path);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            stored.Load();
            return stored.Count == 3 && stored.Item(0).Reminded;
        },
        2000))
        << "the firing at 09:00 wrote Reminded into the file as the tool left it";
    ASSERT_EQ(stored.Count, 3);
    EXPECT_EQ(stored.Item(2).Message, "three");
}

// A version of the file that looks destroyed asks which stays: 是 writes the list back over it, 否 takes it.
TEST_F(MainWindowTest, AFileThatLooksDestroyedAsksWhichVersionStays) {
    auto form = Create();
    const std::string path = Folder.File("reminddata.sdt");
    const auto replace = [&path](const std::string& bytes) {
        std::ofstream(path + ".new", std::ios::binary) << bytes;
        std::filesystem::rename(path + ".new", path);
    };
    const auto countOnDisk = [&path] {
        TRmDataList stored;
        stored.Reset(path);
        stored.Load();
        return stored.Count;
    };
    Answers = {MessageAnswer::Yes};
    replace("");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Answers.empty(); }, 3000)) << "the question came";
    ASSERT_FALSE(Asked.empty());
    EXPECT_EQ(Asked.back(), "提醒数据文件被改坏了？");
    EXPECT_TRUE(QTest::qWaitFor([&] { return countOnDisk() == 2; }, 2000)) << "是: the list written back";
    EXPECT_EQ(form->lstRecordList->count(), 2);

    Answers = {MessageAnswer::No};
    replace("");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Answers.empty(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->lstRecordList->count() == 0; }, 2000)) << "否: the empty file taken";
    EXPECT_EQ(countOnDisk(), 0);
    for (const auto& entry : std::filesystem::directory_iterator(Folder.Folder())) {
        if (entry.path().filename().string().starts_with("reminddata.sdt.outside-")) {
            std::filesystem::remove(entry.path());
        }
    }
}

// The month window follows the main list: a delete there takes the reminder's marks away at once.
TEST_F(MainWindowTest, TheMonthWindowFollowsADelete) {
    auto form = Create();
    form->nmMonthCalendarClick();
    ASSERT_NE(form->frmMonthCalendar, nullptr);
    EXPECT_TRUE(form->frmMonthCalendar->isVisible());
    const auto firingsOnToday = [&] {
        for (const TMonthDay& day : form->frmMonthCalendar->View().Days) {
            if (day.IsToday) {
                return day.Firings.size();
            }
        }
        return std::size_t{99};
    };
    EXPECT_EQ(firingsOnToday(), 1U) << "one at 09:00 every day";
    form->lstRecordList->setCurrentRow(0);
    Answers = {MessageAnswer::Ok};
    form->btnDeleteRecordClick();
    EXPECT_EQ(firingsOnToday(), 0U);
}

TEST_F(MainWindowTest, AStoredGeometryNoScreenCanShowIsMadeSound) {
    std::ofstream(Folder.File("config.ini"), std::ios::binary)
        << "[Config]\r\nMainWndLeft=-100000\r\nMainWndWidth=2147483647\r\nMainWndHeight=2147483647\r\n";
    auto form = Create();
    form->ShowIfWanted();
    QApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form->frameGeometry()))
        << form->frameGeometry().x() << "," << form->frameGeometry().width();
    EXPECT_EQ(form->Config.MainWndWidth, form->width()) << "what is saved is what is shown";
    EXPECT_EQ(form->Config.MainWndLeft, form->x());
}

TEST_F(MainWindowTest, ASkinIsAPlainFileOfTheSkinsFolder) {
    std::filesystem::create_directory(Folder.File("skins"));
    std::ofstream(Folder.File("skins/blue.skn")) << "QListWidget { color: blue; }";
    for (const char* name : {"../../../../dev/zero", "../config.ini", "blue.skn"}) {
        std::ofstream(Folder.File("config.ini"), std::ios::binary) << "[Config]\r\nSkinFileName=" << name << "\r\n";
        qApp->setStyleSheet({});
        auto form = Create();
        EXPECT_EQ(qApp->styleSheet().contains("blue"), std::string(name) == "blue.skn") << name;
    }
    qApp->setStyleSheet({});
}

// A data file the program cannot read is not an empty list: the user hears which file and why.
TEST_F(MainWindowTest, AnUnreadableDataFileIsNamedAtStart) {
    std::filesystem::remove(Folder.File("reminddata.sdt"));
    std::filesystem::create_directory(Folder.File("reminddata.sdt"));
    auto form = Create();
    EXPECT_EQ(form->List.Count, 0);
    EXPECT_NE(std::find(Asked.begin(), Asked.end(), "无法读取"), Asked.end());
}

TEST_F(MainWindowTest, TheTickFiresThroughTheReminderWindow) {
    auto form = Create();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (form->RemindBox->isVisible()) {
            EXPECT_TRUE(form->popCloseWindow->isEnabled());
            form->popCloseWindowClick();
        }
    });
    closer.start(20);
    for (int second = 0; second < 40; ++second) {
        Clock.AdvanceSeconds(1);
        form->trOneSecondTimer();
    }
    EXPECT_FALSE(form->popCloseWindow->isEnabled());
    EXPECT_TRUE(form->List.Item(0).Reminded);
    EXPECT_FALSE(form->List.Item(1).Reminded) << "dated tomorrow";
}

// The first firing's mark reaches the file while the window shows, written off the window's thread, and the
// program knows the new file for its own.
TEST_F(MainWindowTest, TheRemindedMarkIsWrittenWhileTheWindowShows) {
    auto form = Create();
    const std::thread::id windowThread = std::this_thread::get_id();
    std::vector<std::thread::id> writers;
    std::mutex guard;
    form->List.BeforeFileReplaced = [&] {
        const std::lock_guard lock(guard);
        writers.push_back(std::this_thread::get_id());
    };
    bool storedWhileShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!form->RemindBox->isVisible()) {
            return;
        }
        if (TIniFile(form->List.FileName).ReadBool("Item1", "Reminded", false)) {
            storedWhileShown = true;
            form->popCloseWindowClick();
        }
    });
    closer.start(20);
    for (int second = 0; second < 40; ++second) {
        Clock.AdvanceSeconds(1);
        form->trOneSecondTimer();
    }
    EXPECT_TRUE(storedWhileShown);
    ASSERT_EQ(writers.size(), 1U);
    EXPECT_NE(writers.front(), windowThread);
    EXPECT_TRUE(form->List.IsKnownVersion()) << "its own write is no outside change";
    EXPECT_FALSE(form->List.ReloadIfChanged());
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
