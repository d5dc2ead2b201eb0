// Ending the program is final for the process, so each case runs in a process of its own (a death test that
// starts this program anew) and says by its exit status whether all went as it should.

#include "app/application.h"
#include "app/form_remind.h"
#include "app/program_end.h"
#include "calendar/clock.h"
#include "data/ini_file.h"
#include "platform/fake_desktop_actions.h"
#include "platform/fake_music_player.h"
#include "platform/message_box.h"
#include "platform/termination_signals.h"
#include "runtime/form_remind_box.h"

#include "data/temp_folder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

// Ends the child process: 0 when the condition holds, else 1 after saying what went wrong.
[[noreturn]] void Finish(bool passed, const char* what) {
    if (!passed) {
        std::fprintf(stderr, "failed: %s\n", what);
    }
    std::fflush(stderr);
    std::_Exit(passed ? 0 : 1);
}

struct Scene {
    Scene() : Clock(EncodeDateTime(2026, 12, 8, 8, 59, 30)) {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
    }
    testing::TempFolder Folder;
    ClockOverride Clock;
    RecordingDesktopActions Desktop;
    FakeMusicPlayer Music;
};

// Two reminders wait behind the one that shows, the second of them running a program by itself; the user
// exits from the tray while the first shows. Nothing after it may show, play, run or count as seen.
TEST(ProgramEndDeathTest, ExitWhileAReminderShowsFiresNothingMore) {
    EXPECT_EXIT(
        {
            Scene scene;
            std::ofstream(scene.Folder.File("reminddata.sdt"), std::ios::binary)
                << "[Main]\r\nItems=3\r\n"
                   "[Item1]\r\nHour=9\r\nMessage=first\r\n"
                   "[Item2]\r\nHour=9\r\nMessage=NOTSHOWREMINDBOX\r\nCommand=ctouch /tmp/x\r\nAutoExecScript=1\r\n"
                   "[Item3]\r\nHour=9\r\nMessage=third\r\nMusic=/tmp/tune.wav\r\n";
            SetMessageBoxFunction([](MessageKind, const std::string& title, const std::string&) {
                return title == "退出程序" ? MessageAnswer::Ok : MessageAnswer::No;
            });
            TfrmRemind form(scene.Folder.Folder(), scene.Folder.File("chimewell"), true);
            int shown = 0;
            QTimer exitFromTray;
            QObject::connect(&exitFromTray, &QTimer::timeout, [&] {
                if (form.RemindBox->isVisible()) {
                    ++shown;
                    form.popExitSoft->trigger();
                }
            });
            exitFromTray.start(10);
            for (int second = 0; second < 40; ++second) {
                scene.Clock.AdvanceSeconds(1);
                form.trOneSecondTimer();
            }
            const TIniFile stored(form.List.FileName);
            Finish(shown == 1 && ProgramIsEnding() && form.Exiting && scene.Desktop.StartedPrograms.empty() &&
                       scene.Music.Played.size() <= 1 &&
                       std::count(scene.Music.Played.begin(), scene.Music.Played.end(), "/tmp/tune.wav") == 0 &&
                       form.List.Item(0).Reminded && !form.List.Item(1).Reminded && !form.List.Item(2).Reminded &&
                       !stored.ReadBool("Item2", "Reminded", false),
                   "a reminder behind the one shown was fired");
        },
        ::testing::ExitedWithCode(0), "");
}

// A signal that comes while the start-with-system question is open ends the question and the run; the settings
// are still saved on the way out.
TEST(ProgramEndDeathTest, ASignalDuringTheStartQuestionEndsTheRun) {
    EXPECT_EXIT(
        {
            Scene scene;
            EndOnTerminationSignals(qApp, [] { EndProgram(); });
            QElapsedTimer waited;
            SetMessageBoxFunction([&](MessageKind, const std::string&, const std::string&) {
                // The question waits for the user, as a real box does, for at most ten seconds.
                QEventLoop question;
                QTimer::singleShot(10'000, &question, &QEventLoop::quit);
                std::raise(SIGTERM);
                waited.start();
                question.exec();
                return MessageAnswer::No;
            });
            { TfrmRemind form(scene.Folder.Folder(), scene.Folder.File("chimewell"), true); }
            const bool saved = TIniFile(scene.Folder.File("config.ini")).ReadInteger("Config", "OpenTimes", 0) == 1;
            Finish(ProgramIsEnding() && waited.elapsed() < 5'000 && saved, "the signal was lost in the question");
        },
        ::testing::ExitedWithCode(0), "");
}

// Whatever keeps the first signal from ending the program, a second one ends it at once.
TEST(ProgramEndDeathTest, ASecondSignalEndsTheProcessAtOnce) {
    EXPECT_EXIT(
        {
            int asked = 0;
            EndOnTerminationSignals(qApp, [&] { ++asked; });
            std::raise(SIGTERM);
            QApplication::processEvents();
            if (asked != 1) {
                Finish(false, "the first signal did not reach the program");
            }
            std::raise(SIGTERM);
            Finish(false, "the second signal was ignored");
        },
        ::testing::ExitedWithCode(128 + SIGTERM), "");
}

// While the session ends nobody answers a box: a failed save goes to standard error.
TEST(ProgramEndDeathTest, ErrorsWhileEndingGoToStandardError) {
    EXPECT_EXIT(
        {
            int boxes = 0;
            SetMessageBoxFunction([&](MessageKind, const std::string&, const std::string&) {
                ++boxes;
                return MessageAnswer::Ok;
            });
            EndProgram();
            ShowGeneralError("Unable to write to /full/disk/config.ini");
            Finish(boxes == 0, "a box was shown while the program ended");
        },
        ::testing::ExitedWithCode(0), "Unable to write to /full/disk/config.ini");
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    // Each case starts this program anew, so that the end of one run cannot leak into the next.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
