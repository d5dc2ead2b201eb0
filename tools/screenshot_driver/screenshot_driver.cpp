// Puts the program's windows, one after another, into the states a user meets and photographs each one.
// It runs the real windows on sample reminders in a temporary folder, with the clock set by the program
// and the desktop actions and music replaced by recorders: nothing is started, opened, played or shut down.
// Run it through tools/screenshots, which gives it a private X screen with a window manager.

#include "app/app_icon.h"
#include "app/form_remind.h"
#include "calendar/clock.h"
#include "platform/fake_desktop_actions.h"
#include "platform/fake_music_player.h"
#include "platform/qt_message_box.h"
#include "runtime/form_auto_shutdown.h"
#include "runtime/form_remind_box.h"
#include "system/autorun.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace chimewell {
namespace {

TRmMainDate Reminder(int year, int month, int day, int hour, int minute, const char* message, bool lunar = false) {
    TRmMainDate record;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.Hour = hour;
    record.Minuter = minute;
    record.IsLunar = lunar;
    record.Message = message;
    return record;
}

void WriteSampleFolder(const std::string& folder) {
    TRmConfig config;
    config.InitDefaults(folder, 265, 202, 429, 279);
    config.HideMainForm = false;
    config.ShowBefRemind = true;
    config.SaveConfig();

    TRmDataList list;
    list.Reset(config.DataFilePath());
    TRmMainDate daily = Reminder(0, 0, 0, 9, 0, "晨会：#y年#m月#d日，农历%M月%D");
    daily.Forward = 10;
    list.Add(daily, true);
    list.Add(Reminder(0, 13, 23, 8, 0, "今天%J，记得吃饺子！农历%y年（%S年）%M月%D", true), true);
    TRmMainDate midAutumn = Reminder(0, 8, 15, 20, 0, "中秋节，给家里打个电话", true);
    midAutumn.Method = RemindAtStartup;
    list.Add(midAutumn, true);
    list.Add(Reminder(0, 0, 0x80 | 0x1F, 17, 30, "$mw1$每月第一周：交周报"), true);
    TRmMainDate web = Reminder(2026, 12, 22, 8, 1, "看看项目网站上今天的安排");
    web.Command = "uhttps://example.org/schedule";
    list.Add(web, true);
    TRmMainDate shutdown = Reminder(2026, 12, 22, 8, 2, "下班了，电脑将自动关机");
    shutdown.Command = "sShutDown";
    shutdown.AutoExecScript = true;
    list.Add(shutdown, true);
}

// One step of the tour: when Ready holds (and the screen has had a moment to paint), Act runs.
struct Step {
    std::function<bool()> Ready;
    std::function<void()> Act;
};

class Tour {
public:
    Tour(QString outputFolder, std::vector<Step> steps) : Output(std::move(outputFolder)), Steps(std::move(steps)) {
        QObject::connect(&Poll, &QTimer::timeout, [this] { Advance(); });
        Poll.start(150);
    }

    void Photograph(QWidget* window, const char* name) {
        const QRect frame = window->frameGeometry().adjusted(-8, -8, 8, 8);
        const QPixmap shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        const QString path = Output + "/" + name;
        std::printf("%s %s\n", shot.save(path) ? "wrote" : "could not write", qPrintable(path));
    }

    bool Done() const { return Next >= Steps.size(); }

private:
    void Advance() {
        if (Done() || !Steps[Next].Ready()) {
            Settled = 0;
            return;
        }
        if (++Settled < 4) {
            return;
        }
        Settled = 0;
        // Acts that open a modal window run after this slot returns, so the tour goes on inside their loops.
        const std::function<void()> act = Steps[Next++].Act;
        QTimer::singleShot(0, act);
    }

    QString Output;
    std::vector<Step> Steps;
    std::size_t Next = 0;
    int Settled = 0;
    QTimer Poll;
};

QMessageBox* OpenMessageBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

void Press(QMessageBox* box, QMessageBox::ButtonRole role) {
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == role) {
            button->click();
            return;
        }
    }
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    using namespace chimewell;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ApplicationIcon());
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output);

    QTemporaryDir folder;
    const std::string appPath = folder.path().toStdString() + "/";
    const std::string executable = appPath + "chimewell";
    setenv("XDG_CONFIG_HOME", (appPath + "xdg").c_str(), 1);
    WriteAutorun(AutorunValueName, executable);
    WriteSampleFolder(appPath);

    RecordingDesktopActions actions;
    FakeMusicPlayer music;
    SetMessageBoxFunction(QtMessageBoxFunction());
    // The winter solstice of 2026 falls on December 22 in China Standard Time.
    ClockOverride clock(EncodeDateTime(2026, 12, 22, 7, 59, 55));

    TfrmRemind form(appPath, executable, false);
    form.show();
    TfrmRemindBox& box = *form.RemindBox;
    const auto modal = [] { return QApplication::activeModalWidget(); };

    Tour tour(output,
              {
                  // The first check of a minute has to have run, or 8:00 would look like the minute already seen.
                  {[&] { return form.isVisible() && form.Runtime->LastMinute == 59; },
                   [&] {
                       tour.Photograph(&form, "main-window.png");
                       clock.Set(EncodeDateTime(2026, 12, 22, 8, 0, 0));
                   }},
                  {[&] { return box.isVisible(); },
                   [&] {
                       tour.Photograph(&box, "remind-expanded.png");
                       box.btnShowAll->click();
                   }},
                  {[&] { return box.isVisible() && !box.ShowsAll(); },
                   [&] {
                       tour.Photograph(&box, "remind-collapsed.png");
                       box.btnShowAll->click();
                       form.Config.AutoCloseMsgBox = true;
                       box.btnClose->click();
                       clock.Set(EncodeDateTime(2026, 12, 22, 8, 1, 0));
                   }},
                  {[&] { return box.isVisible() && box.lbShowClose->isVisible(); },
                   [&] {
                       tour.Photograph(&box, "remind-countdown-command.png");
                       box.btnClose->click();
                       clock.Set(EncodeDateTime(2026, 12, 22, 8, 2, 0));
                   }},
                  // A few seconds into the countdown, so the bar shows its progress.
                  {[&] {
                       auto* countdown = qobject_cast<TfrmAutoShutDown*>(modal());
                       return countdown != nullptr && countdown->pbAutoShutDown->value() >= 5;
                   },
                   [&] {
                       auto* countdown = qobject_cast<TfrmAutoShutDown*>(modal());
                       tour.Photograph(countdown, "shutdown-countdown.png");
                       countdown->btnAutoShutDown->click();
                   }},
                  {[&] { return OpenMessageBox() != nullptr; },
                   [&] {
                       tour.Photograph(OpenMessageBox(), "shutdown-cancel-question.png");
                       Press(OpenMessageBox(), QMessageBox::AcceptRole);
                   }},
                  {[&] { return box.isVisible(); }, [&] { box.btnClose->click(); }},
                  {[&] { return !box.isVisible() && modal() == nullptr; }, [&] { form.popPauseRemindClick(); }},
                  {[&] { return OpenMessageBox() != nullptr; },
                   [&] {
                       tour.Photograph(OpenMessageBox(), "pause-question.png");
                       Press(OpenMessageBox(), QMessageBox::RejectRole);
                   }},
                  {[&] { return modal() == nullptr; }, [&] { form.nmExitSoftClick(); }},
                  {[&] { return OpenMessageBox() != nullptr; },
                   [&] {
                       tour.Photograph(OpenMessageBox(), "exit-question.png");
                       Press(OpenMessageBox(), QMessageBox::AcceptRole);
                   }},
              });

    const int status = QApplication::exec();
    if (actions.PowerOffs != 0 || actions.Reboots != 0) {
        std::fprintf(stderr, "the tour asked to shut down: that must never happen\n");
        return 1;
    }
    return tour.Done() ? status : 1;
}
