// Puts the program's windows, one after another, into the states a user meets and photographs each one.
// It runs the real windows on sample reminders in a temporary folder, with the clock set by the program
// and the desktop actions and music replaced by recorders: nothing is started, opened, played or shut down.
// Run it through tools/screenshots, which gives it a private X screen with a window manager.

#include "app/app_icon.h"
#include "app/form_month_calendar.h"
#include "app/form_remind.h"
#include "app/quick_add_bar.h"
#include "app/record_list_view.h"
#include "calendar/clock.h"
#include "data/constants.h"
#include "editing/form_add_edit_record.h"
#include "editing/form_input_url.h"
#include "editing/form_schedule.h"
#include "editing/form_view_record.h"
#include "exchange/exchange_file.h"
#include "exchange/form_export.h"
#include "exchange/form_search.h"
#include "platform/fake_desktop_actions.h"
#include "platform/fake_music_player.h"
#include "platform/file_dialog.h"
#include "platform/qt_file_dialog.h"
#include "platform/qt_font_dialog.h"
#include "platform/qt_message_box.h"
#include "platform/qt_platform.h"
#include "runtime/form_auto_shutdown.h"
#include "runtime/form_missed_reminders.h"
#include "runtime/form_remind_box.h"
#include "system/autorun.h"
#include "system/form_about.h"
#include "system/form_system_set.h"
#include "system/qt_skin.h"
#include "system/skin.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
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
    SaveQuickFinish(config.QuickFinishFilePath(),
                    {"该休息一下了，站起来走走！", "交周报", "给家里打个电话", "今天是#y年#m月#d日，农历%M月%D"});

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

// A desktop of grey squares behind every window, so that a translucent window shows what lies behind it.
class Backdrop : public QWidget {
public:
    Backdrop()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xc8, 0xd0, 0xd8));
        painter.setPen(QColor(0x9a, 0xa5, 0xb1));
        for (int x = 0; x < width(); x += 16) {
            painter.drawLine(x, 0, x, height());
        }
        for (int y = 0; y < height(); y += 16) {
            painter.drawLine(0, y, width(), y);
        }
    }
};

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

    void Photograph(QWidget* window, const char* name) { PhotographArea(window, window->frameGeometry(), name); }

    // A part of the screen, for a window together with the list or menu it has open.
    void PhotographArea(QWidget* window, const QRect& area, const char* name) {
        const QRect frame = area.adjusted(-8, -8, 8, 8);
        const QPixmap shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        const QString path = Output + "/" + name;
        std::printf("%s %s\n", shot.save(path) ? "wrote" : "could not write", qPrintable(path));
    }

    bool Done() const { return Next >= Steps.size(); }

    // Puts steps right after the one acting now.
    void InsertNext(std::vector<Step> steps) {
        Steps.insert(Steps.begin() + static_cast<std::ptrdiff_t>(Next), steps.begin(), steps.end());
    }

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

// The modal window of that type, else a shown top-level one: the reminder's pop-ups wait without being modal.
template <class Window>
Window* Modal() {
    if (auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget())) {
        return modal;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// The steps through the editing windows: the add dialog in both calendars, a leap year's lunar months, the
// date choosers, the address dialog, editing a weekday reminder, the view window and a delete question.
std::vector<Step> EditingSteps(Tour& tour, TfrmRemind& form) {
    const auto none = [] { return QApplication::activeModalWidget() == nullptr; };
    const auto adding = [] { return Modal<TfrmAddEditRecord>() != nullptr; };
    return {
        {none, [&form] { form.btnAddRecordClick(); }},
        {adding,
         [&tour] {
             tour.Photograph(Modal<TfrmAddEditRecord>(), "add-gregorian.png");
             Modal<TfrmAddEditRecord>()->rbLunar->click();
         }},
        {[] { return Modal<TfrmAddEditRecord>() != nullptr && Modal<TfrmAddEditRecord>()->Editor.IsLunar(); },
         [&tour] {
             TfrmAddEditRecord* dialog = Modal<TfrmAddEditRecord>();
             tour.Photograph(dialog, "add-lunar.png");
             // 2028 has a leap fifth month.
             dialog->cbSelYear->setCurrentIndex(2028 - dialog->Editor.Lists.FirstListedYear + 1);
             dialog->cbSelMonth->showPopup();
         }},
        {[] {
             return Modal<TfrmAddEditRecord>() != nullptr &&
                    Modal<TfrmAddEditRecord>()->cbSelMonth->view()->isVisible();
         },
         [&tour] {
             TfrmAddEditRecord* dialog = Modal<TfrmAddEditRecord>();
             QWidget* popup = dialog->cbSelMonth->view()->window();
             tour.PhotographArea(dialog, dialog->frameGeometry().united(popup->frameGeometry()),
                                 "add-lunar-leap-months.png");
             dialog->cbSelMonth->hidePopup();
             dialog->rbGongLi->click();
             dialog->N20->trigger();
         }},
        {[] { return Modal<TfrmAddEditRecord>() != nullptr && Modal<TfrmAddEditRecord>()->panSelectDate->isVisible(); },
         [&tour] {
             TfrmAddEditRecord* dialog = Modal<TfrmAddEditRecord>();
             tour.Photograph(dialog, "date-chooser.png");
             dialog->Button1->click();
             dialog->N22->trigger();
             dialog->cbAfterDays->setCurrentIndex(3);
         }},
        {[] { return Modal<TfrmAddEditRecord>() != nullptr && Modal<TfrmAddEditRecord>()->panShowDate->isVisible(); },
         [&tour] {
             TfrmAddEditRecord* dialog = Modal<TfrmAddEditRecord>();
             tour.Photograph(dialog, "days-after-chooser.png");
             dialog->Button1->click();
             dialog->U1->trigger();
         }},
        {[] { return Modal<TfrmInputURL>() != nullptr; },
         [&tour] {
             tour.Photograph(Modal<TfrmInputURL>(), "input-url.png");
             Modal<TfrmInputURL>()->reject();
         }},
        {adding, [] { Modal<TfrmAddEditRecord>()->btnCancle->click(); }},
        {none,
         [&form] {
             form.lstRecordList->setCurrentRow(3);
             form.btnEditRecordClick();
         }},
        {adding,
         [&tour] {
             tour.Photograph(Modal<TfrmAddEditRecord>(), "edit-weekdays.png");
             Modal<TfrmAddEditRecord>()->sbSchedule->click();
         }},
        {[] { return Modal<TfrmSchedule>() != nullptr; },
         [] {
             TfrmSchedule* schedule = Modal<TfrmSchedule>();
             schedule->btnThreeDays->click();
             schedule->btnOneDay->click();
             schedule->chkEvery->setChecked(true);
             schedule->cbEveryUnit->setCurrentIndex(1);
             schedule->rbEndCount->click();
         }},
        {[] {
             const TfrmSchedule* schedule = Modal<TfrmSchedule>();
             return schedule != nullptr && schedule->lwWarnings->count() == 2 && schedule->isVisible() &&
                    schedule->width() > 100;
         },
         [&tour] {
             tour.Photograph(Modal<TfrmSchedule>(), "schedule.png");
             Modal<TfrmSchedule>()->btnOK->click();
         }},
        {[] { return Modal<TfrmSchedule>() == nullptr && Modal<TfrmAddEditRecord>() != nullptr; },
         [&tour] {
             tour.Photograph(Modal<TfrmAddEditRecord>(), "edit-with-schedule.png");
             Modal<TfrmAddEditRecord>()->btnCancle->click();
         }},
        {none,
         [&form] {
             form.lstRecordList->setCurrentRow(1);
             form.btnViewRecordClick();
         }},
        {[] { return Modal<TfrmViewRecord>() != nullptr; },
         [&tour] {
             tour.Photograph(Modal<TfrmViewRecord>(), "view-record.png");
             Modal<TfrmViewRecord>()->btnClose->click();
         }},
        {none,
         [&form] {
             form.lstRecordList->setCurrentRow(0);
             form.btnDeleteRecordClick();
         }},
        {[] { return OpenMessageBox() != nullptr; },
         [&tour] {
             tour.Photograph(OpenMessageBox(), "delete-question.png");
             Press(OpenMessageBox(), QMessageBox::RejectRole);
         }},
    };
}

// The export window with two reminders chosen for a calendar file, the search window on its own and docked beside the
// main window, translucent, and the question before an import of reminders with commands.
std::vector<Step> ExchangeSteps(Tour& tour, TfrmRemind& form) {
    const auto none = [] { return QApplication::activeModalWidget() == nullptr; };
    const auto search = [&form] { return form.frmSearch; };
    return {
        {none, [&form] { form.nmExportRecordClick(); }},
        {[] { return Modal<TfrmExport>() != nullptr; },
         [] {
             TfrmExport* window = Modal<TfrmExport>();
             window->listExport->item(1)->setSelected(true);
             window->listExport->item(4)->setSelected(true);
             window->rbICalendar->setChecked(true);
         }},
        {[] { return Modal<TfrmExport>() != nullptr && Modal<TfrmExport>()->listExport->selectedItems().size() == 2; },
         [&tour] {
             tour.Photograph(Modal<TfrmExport>(), "export.png");
             Modal<TfrmExport>()->btnCancel->click();
         }},
        {none, [&form] { form.btnSearchRecordClick(); }},
        {[search] { return search() != nullptr && search()->isVisible(); },
         [search] {
             search()->cbSearch->setEditText(QStringLiteral("农历"));
             search()->btnSearch->click();
         }},
        {[search] { return search()->lstSearchResult->count() > 0; },
         [&tour, search] {
             search()->lstSearchResult->setCurrentRow(1);
             tour.Photograph(search(), "search.png");
             search()->tbTransparent->setValue(170);
             search()->cbTransparent->setChecked(true);
             search()->cbGo->setChecked(true);
         }},
        // Docked; on a screen too small for both side by side (twice the scale), where it ends up after a while.
        {[&form, search, waited = std::make_shared<int>(0)] {
             return std::abs(search()->frameGeometry().left() - form.frameGeometry().right() - 1) <= 2 ||
                    ++*waited > 20;
         },
         [&tour, &form, search] {
             const QRect both = form.frameGeometry().united(search()->frameGeometry());
             tour.PhotographArea(&form, both, "search-docked-translucent.png");
             search()->cbGo->setChecked(false);
             search()->btnClose->click();
         }},
        {none, [&form] { form.nmImportRecordClick(); }},
        {[] { return OpenMessageBox() != nullptr; },
         [&tour] {
             tour.Photograph(OpenMessageBox(), "import-commands-question.png");
             Press(OpenMessageBox(), QMessageBox::RejectRole);
         }},
    };
}

// The month window on the day of the winter solstice, then on February 2026 with its holidays, the days worked
// and Valentine's Day; the import's file chooser.
std::vector<Step> MonthSteps(Tour& tour, TfrmRemind& form, const std::string& folder) {
    const auto none = [] { return QApplication::activeModalWidget() == nullptr; };
    const auto month = [&form] { return form.frmMonthCalendar; };
    auto chooser = std::make_shared<std::unique_ptr<QFileDialog>>();
    return {
        {none, [&form] { form.nmMonthCalendarClick(); }},
        {[month] { return month() != nullptr && month()->isVisible(); },
         [&tour, month] {
             tour.Photograph(month(), "month-calendar.png");
             month()->ShowDate(EncodeDate(2026, 2, 14));
         }},
        {[month] { return month()->SelectedDate() == EncodeDate(2026, 2, 14); },
         [&tour, month] {
             tour.Photograph(month(), "month-calendar-february.png");
             month()->ShowDate(EncodeDate(2026, 12, 31));
             month()->btnQuickAddOnDay->click();
         }},
        // 快速添加 from the month window, started with the chosen day, then the line at the top of the main list.
        {[&form] { return form.frmQuickAdd != nullptr && form.frmQuickAdd->isVisible(); },
         [&form] { form.frmQuickAdd->Bar->edtQuickAdd->insert(QStringLiteral("晚上7点 跨年晚会 提前一天")); }},
        {[&form] { return form.frmQuickAdd->Bar->lbNextFiring->isVisible(); },
         [&tour, &form, month] {
             tour.Photograph(form.frmQuickAdd, "quick-add-window.png");
             form.frmQuickAdd->close();
             month()->ShowDate(Today());
             month()->close();
             form.barQuickAdd->edtQuickAdd->setText(QStringLiteral("3点 交电费"));
         }},
        {[&form] { return form.barQuickAdd->btnOtherReading->isVisible(); },
         [&tour, &form] {
             tour.Photograph(&form, "main-window-quick-add.png");
             form.barQuickAdd->edtQuickAdd->clear();
         }},
        {none,
         [&form, folder, chooser] {
             *chooser =
                 MakeQtFileDialog({FileDialogMode::Open, "导入提醒", folder, std::string(ImportFileFilter)}, &form);
             (*chooser)->setOption(QFileDialog::DontUseNativeDialog);
             (*chooser)->open();
         }},
        {[chooser] { return *chooser && (*chooser)->isVisible() && (*chooser)->width() > 200; },
         [&tour, chooser] {
             tour.Photograph(chooser->get(), "import-file-chooser.png");
             (*chooser)->reject();
             chooser->reset();
         }},
    };
}

// The settings dialog page by page with its font chooser, and the about box; `suffix` names the skin.
std::vector<Step> SystemSetSteps(Tour& tour, TfrmRemind& form, const std::string& suffix, bool everyPage) {
    const auto none = [] { return QApplication::activeModalWidget() == nullptr; };
    const auto page = [](int index) {
        return [index] {
            auto* dialog = Modal<TfrmSystemSet>();
            return dialog != nullptr && dialog->pcSystemSet->currentIndex() == index;
        };
    };
    const auto name = [suffix](const char* base) { return std::string(base) + suffix + ".png"; };
    std::vector<Step> steps = {
        {none, [&form] { form.nmSystemSetClick(); }},
        {page(0),
         [&tour, name] {
             tour.Photograph(Modal<TfrmSystemSet>(), name("settings-system").c_str());
             Modal<TfrmSystemSet>()->pcSystemSet->setCurrentIndex(1);
         }},
        {page(1),
         [&tour, name, everyPage] {
             tour.Photograph(Modal<TfrmSystemSet>(), name("settings-display").c_str());
             if (everyPage) {
                 Modal<TfrmSystemSet>()->btnSetFont->click();
             } else {
                 Modal<TfrmSystemSet>()->btnCancle->click();
             }
         }},
    };
    if (everyPage) {
        steps.insert(steps.end(), {
                                      {[] { return Modal<TfrmFontDialog>() != nullptr; },
                                       [&tour, name] {
                                           tour.Photograph(Modal<TfrmFontDialog>(), name("font-dialog").c_str());
                                           Modal<TfrmFontDialog>()->reject();
                                       }},
                                      {page(1), [] { Modal<TfrmSystemSet>()->pcSystemSet->setCurrentIndex(2); }},
                                      {page(2),
                                       [&tour, name] {
                                           tour.Photograph(Modal<TfrmSystemSet>(),
                                                           name("settings-quick-finish").c_str());
                                           Modal<TfrmSystemSet>()->pcSystemSet->setCurrentIndex(3);
                                       }},
                                      {page(3),
                                       [&tour, name] {
                                           tour.Photograph(Modal<TfrmSystemSet>(), name("settings-other").c_str());
                                           Modal<TfrmSystemSet>()->pcSystemSet->setCurrentIndex(4);
                                       }},
                                      {page(4),
                                       [&tour, name] {
                                           tour.Photograph(Modal<TfrmSystemSet>(), name("settings-sync").c_str());
                                           Modal<TfrmSystemSet>()->btnCancle->click();
                                       }},
                                  });
    }
    steps.insert(steps.end(), {
                                  {none, [&form] { form.popOpenAboutClick(); }},
                                  {[] { return Modal<TfrmAbout>() != nullptr; },
                                   [&tour, name] {
                                       tour.Photograph(Modal<TfrmAbout>(), name("about").c_str());
                                       Modal<TfrmAbout>()->btnClose->click();
                                   }},
                              });
    return steps;
}

// Each shipped skin in turn: the main window, a reminder, the settings and the about box wearing it; then
// back to the desktop's look.
std::vector<Step> SkinSteps(Tour& tour, TfrmRemind& form, ClockOverride& clock) {
    const auto none = [] { return QApplication::activeModalWidget() == nullptr; };
    const std::string folder = SkinsFolder(form.ExecutableFolder);
    std::vector<Step> steps;
    // The daily 9:00 reminder, a day later for each skin: the clock only ever goes forward, and the days
    // between are not caught up.
    form.Config.MissedWindowHours = 0;
    int turn = 0;
    for (const std::string& skin : ListSkinFiles(folder)) {
        const std::string suffix = "-" + skin.substr(0, skin.size() - 4);
        const TDateTime due = EncodeDateTime(2026, 12, 23 + turn++, 9, 0);
        steps.push_back({none, [folder, skin, &form] {
                             form.Config.SkinFileName = skin;
                             ApplySkinSetting(folder, skin);
                         }});
        steps.push_back({none, [&tour, &form, &clock, suffix, due] {
                             tour.Photograph(&form, ("main-window" + suffix + ".png").c_str());
                             clock.Set(due);
                         }});
        steps.push_back({[&form] { return form.RemindBox->isVisible(); },
                         [&tour, &form, suffix] {
                             tour.Photograph(form.RemindBox, ("remind" + suffix + ".png").c_str());
                             form.RemindBox->btnClose->click();
                         }});
        const std::vector<Step> system = SystemSetSteps(tour, form, suffix, false);
        steps.insert(steps.end(), system.begin(), system.end());
    }
    steps.push_back({none, [&form] {
                         form.Config.SkinFileName.clear();
                         ApplySkinSetting({}, {});
                         form.Config.MissedWindowHours = 24;
                     }});
    return steps;
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    using namespace chimewell;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ApplicationIcon());
    // Qt's own texts in Chinese, as the program has them.
    InstallQtTranslations(&application);
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
    // A file someone shared: the web page and the shutdown reminders, for the import's question.
    const std::string shared = appPath + "同事的提醒.txt";
    ExportReminders(appPath + "reminddata.sdt", shared, {5, 6});
    SetFileDialogFunction([shared](const FileDialogRequest& request) {
        return request.Mode == FileDialogMode::Open ? std::optional<std::string>(shared) : std::nullopt;
    });

    RecordingDesktopActions actions;
    FakeMusicPlayer music;
    SetMessageBoxFunction(QtMessageBoxFunction());
    SetFontDialogFunction(QtFontDialogFunction());
    // The winter solstice of 2026 falls on December 22 in China Standard Time.
    ClockOverride clock(EncodeDateTime(2026, 12, 22, 7, 59, 55));

    Backdrop backdrop;
    backdrop.show();
    TfrmRemind form(appPath, executable, false);
    // The skins and the help are looked for beside this driver, where the build puts them.
    form.ExecutableFolder = QApplication::applicationDirPath().toStdString() + "/";
    form.show();
    TfrmRemindBox& box = *form.RemindBox;
    const auto modal = [] { return QApplication::activeModalWidget(); };
    // The clock stands still between the tour's steps, so the program's own timer, aimed at the next minute of
    // that clock, would wait a real minute: the tour ticks every second instead.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &form, [&form] { form.trOneSecondTimer(); });
    ticker.start(1000);

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
                       auto* countdown = Modal<TfrmAutoShutDown>();
                       return countdown != nullptr && countdown->pbAutoShutDown->value() >= 5;
                   },
                   [&] {
                       auto* countdown = Modal<TfrmAutoShutDown>();
                       tour.Photograph(countdown, "shutdown-countdown.png");
                       countdown->btnAutoShutDown->click();
                   }},
                  {[&] { return OpenMessageBox() != nullptr; },
                   [&] {
                       tour.Photograph(OpenMessageBox(), "shutdown-cancel-question.png");
                       Press(OpenMessageBox(), QMessageBox::AcceptRole);
                   }},
                  {[&] { return box.isVisible(); }, [&] { box.btnClose->click(); }},
                  {[&] { return !box.isVisible() && modal() == nullptr && Modal<TfrmMissedReminders>() == nullptr; },
                   [&] { tour.InsertNext(EditingSteps(tour, form)); }},
                  {[&] { return !box.isVisible() && modal() == nullptr && Modal<TfrmMissedReminders>() == nullptr; },
                   [&] { tour.InsertNext(ExchangeSteps(tour, form)); }},
                  {[&] { return modal() == nullptr; }, [&] { tour.InsertNext(MonthSteps(tour, form, appPath)); }},
                  {[&] { return modal() == nullptr; }, [&] { tour.InsertNext(SystemSetSteps(tour, form, "", true)); }},
                  {[&] { return modal() == nullptr; }, [&] { tour.InsertNext(SkinSteps(tour, form, clock)); }},
                  // Asleep from 9:30 to 9:30 the next day: the two firings of the daily reminder come late.
                  {[&] { return !box.isVisible() && modal() == nullptr && Modal<TfrmMissedReminders>() == nullptr; },
                   [&] { clock.Set(EncodeDateTime(2027, 1, 5, 9, 30, 0)); }},
                  {[&] { return box.isVisible(); },
                   [&] {
                       tour.Photograph(&box, "remind-missed.png");
                       box.btnClose->click();
                   }},
                  {[&] { return box.isVisible(); }, [&] { box.btnClose->click(); }},
                  {[&] { return !box.isVisible() && modal() == nullptr && Modal<TfrmMissedReminders>() == nullptr; },
                   [&] {
                       std::vector<TMissedReminder> missed;
                       for (int i = 0; i < 6; ++i) {
                           TMissedReminder one;
                           one.Minute = EncodeDateTime(2027, 1, 4, 8 + i, i * 7);
                           one.Position = i;
                           one.Text = i == 2 ? "看看项目网站上今天的安排" : "晨会：第" + std::to_string(i + 1) + "次";
                           one.Command = i == 2 ? "uhttps://example.org/schedule" : "";
                           one.NotRun = i == 4 ? "自动关机未执行" : "";
                           missed.push_back(one);
                       }
                       box.ShowMissedList(missed);
                   }},
                  {[&] { return Modal<TfrmMissedReminders>() != nullptr; },
                   [&] {
                       Modal<TfrmMissedReminders>()->lstMissed->setCurrentRow(2);
                       tour.Photograph(Modal<TfrmMissedReminders>(), "missed-list.png");
                       Modal<TfrmMissedReminders>()->btnClose->click();
                   }},
                  {[&] { return !box.isVisible() && modal() == nullptr && Modal<TfrmMissedReminders>() == nullptr; },
                   [&] { form.popPauseRemindClick(); }},
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
