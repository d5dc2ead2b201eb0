#include "app/form_month_calendar.h"

#include "calendar/clock.h"
#include "calendar/lunar.h"
#include "ui/qt_dialog_helpers.h"

#include <QAction>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <regex>

namespace chimewell {

namespace {

constexpr int ComingCount = 20;
constexpr int Rows = 6;
constexpr int Columns = 7;
const QColor RestDayColour(0xC0, 0x30, 0x30);
const QColor MakeupWorkdayColour(0x20, 0x60, 0xB0);
const QColor FestivalColour(0xA0, 0x60, 0x00);

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Clock(TDateTime minute) {
    const TimeFields time = DecodeTime(minute);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.Hour, time.Minute);
    return text;
}

// "08:00 拜年（农历）", and a firing ahead of the set time as such: "07:50 提前10分钟：拜年（农历）".
QString FiringLine(const TMonthFiring& firing, bool withDate) {
    std::string line = withDate ? FormatMinute(firing.Minute) : Clock(firing.Minute);
    line += " ";
    if (firing.Early) {
        line += "提前" + std::to_string(firing.Forward) + "分钟：";
    }
    if (firing.Lead != 0) {
        // The text says how far ahead; the mark tells it from the reminder's own day at a glance.
        line += "◇ ";
    }
    // A warning's text ends with the time it warns of, in brackets already.
    line += firing.Lead != 0 ? firing.Text : firing.Text + "（" + (firing.IsLunar ? "农历" : "公历") + "）";
    return Q(line);
}

// The line cut to the width with "…", so that no cell grows with a long name.
std::string Elided(const QFontMetrics& metrics, const std::string& line, int width) {
    return metrics.elidedText(Q(line), Qt::ElideRight, width).toStdString();
}

TDateTime DateOnly(TDateTime moment) {
    return std::floor(moment + 1e-9);
}

} // namespace

TGoToDate ParseGoToDate(const std::string& text) {
    static const std::regex Gregorian(R"(\s*(\d{1,4})-(\d{1,2})-(\d{1,2})\s*)");
    static const std::regex Lunar(R"(\s*农历\s*(\d{1,4})-(闰)?(\d{1,2})-(\d{1,2})\s*)");
    const auto problem = [](std::string why) { return TGoToDate{std::nullopt, std::move(why)}; };
    std::smatch match;
    if (std::regex_match(text, match, Gregorian)) {
        const int year = std::stoi(match[1]);
        const int month = std::stoi(match[2]);
        const int day = std::stoi(match[3]);
        if (year < 1900 || year > 2100) {
            return problem("月历只有 1900 年到 2100 年。");
        }
        if (month < 1 || month > 12) {
            return problem("一年只有 12 个月，没有 " + std::to_string(month) + " 月。");
        }
        if (day < 1 || day > GregorianMonthDays(year, month)) {
            return problem(std::to_string(year) + "年" + std::to_string(month) + "月只有" +
                           std::to_string(GregorianMonthDays(year, month)) + "天，没有" + std::to_string(day) + "日。");
        }
        return {EncodeDate(year, month, day), {}};
    }
    if (std::regex_match(text, match, Lunar)) {
        const LunarDate date{std::stoi(match[1]), std::stoi(match[3]), std::stoi(match[4]), match[2].matched};
        if (date.Year < LunarTableFirstYear || date.Year > LunarTableLastYear) {
            return problem("农历只有 1900 年到 2100 年。");
        }
        if (date.Month < 1 || date.Month > 12) {
            return problem("农历一年只有 12 个月（有的年份另有一个闰月），没有 " + std::to_string(date.Month) +
                           " 月。");
        }
        const std::string yearText = "农历" + std::to_string(date.Year) + "年";
        const int leap = LunarLeapMonth(date.Year);
        if (date.IsLeapMonth && leap != date.Month) {
            return problem(yearText + "没有" + LunarMonthName(date.Month, true) + "（" +
                           (leap == 0 ? std::string("这一年没有闰月") : "这一年是" + LunarMonthName(leap, true)) +
                           "）。");
        }
        const int days = date.IsLeapMonth ? LunarLeapMonthDays(date.Year) : LunarMonthDays(date.Year, date.Month);
        if (date.Day < 1 || date.Day > days) {
            return problem(yearText + LunarMonthName(date.Month, date.IsLeapMonth) + "只有" + std::to_string(days) +
                           "天。");
        }
        if (!IsLunarDateInTable(date)) {
            return problem(yearText + LunarMonthName(date.Month, date.IsLeapMonth) + LunarDayName(date.Day) +
                           "不在月历的范围里。");
        }
        return {LunarTableDateToSolar(date), {}};
    }
    return problem("“" + text + "”不是能认出的日期。");
}

TfrmMonthCalendar::TfrmMonthCalendar(QWidget* owner, const TRmDataList& list, const TRmConfig& config)
    : QWidget(owner, Qt::Window), lbTitle(new QLabel(this)), btnPrevYear(new QPushButton(QStringLiteral("«"), this)),
      btnPrevMonth(new QPushButton(QStringLiteral("‹"), this)),
      btnNextMonth(new QPushButton(QStringLiteral("›"), this)), btnNextYear(new QPushButton(QStringLiteral("»"), this)),
      btnToday(new QPushButton(QStringLiteral("今天[&T]"), this)),
      btnGoTo(new QPushButton(QStringLiteral("转到…[&G]"), this)), grdMonth(new QTableWidget(Rows, Columns, this)),
      lbDay(new QLabel(this)), lstDay(new QListWidget(this)),
      btnAddOnDay(new QPushButton(QStringLiteral("在此日添加提醒[&A]"), this)),
      btnQuickAddOnDay(new QPushButton(QStringLiteral("快速添加[&Q]…"), this)), lstComing(new QListWidget(this)),
      List(list), Config(config) {
    setObjectName(QStringLiteral("frmMonthCalendar"));
    setWindowTitle(QStringLiteral("月历"));
    btnPrevYear->setToolTip(QStringLiteral("上一年"));
    btnPrevMonth->setToolTip(QStringLiteral("上一月（Page Up）"));
    btnNextMonth->setToolTip(QStringLiteral("下一月（Page Down）"));
    btnNextYear->setToolTip(QStringLiteral("下一年"));
    for (QPushButton* button : {btnPrevYear, btnPrevMonth, btnNextMonth, btnNextYear}) {
        button->setAccessibleName(button->toolTip());
        button->setAutoDefault(false);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 16);
    }
    lbTitle->setAlignment(Qt::AlignCenter);
    // The title's length must not move the grid's columns when paging: the room of the longest title, always.
    lbTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont titleFont = lbTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    lbTitle->setFont(titleFont);
    lbTitle->setMinimumWidth(
        QFontMetrics(titleFont).horizontalAdvance(QStringLiteral("2026年12月 农历乙巳/丙午年 蛇/马")));

    grdMonth->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMonth->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMonth->verticalHeader()->hide();
    grdMonth->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grdMonth->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grdMonth->setWordWrap(true);
    grdMonth->setAccessibleName(QStringLiteral("月历"));
    grdMonth->setMinimumSize(grdMonth->fontMetrics().horizontalAdvance(QStringLiteral("国际妇女")) * Columns + 24,
                             (grdMonth->fontMetrics().height() * 3 + 6) * Rows +
                                 grdMonth->horizontalHeader()->sizeHint().height() + 4);
    // The cells' texts are cut to the columns' width: once more after the columns change, once for them all.
    connect(grdMonth->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!RefillQueued) {
            RefillQueued = true;
            QTimer::singleShot(0, this, [this] {
                RefillQueued = false;
                if (!Month.Days.empty()) {
                    FillGrid();
                }
            });
        }
    });
    lstDay->setContextMenuPolicy(Qt::CustomContextMenu);
    lstDay->setAccessibleName(QStringLiteral("这一天的提醒"));
    lstComing->setAccessibleName(QStringLiteral("接下来的提醒"));
    // A coming firing's date and time whole, with the start of its text, at any scale.
    lstComing->setMinimumWidth(
        lstComing->fontMetrics().horizontalAdvance(QStringLiteral("2026-12-09 08:00 腊八节喝腊八粥")) + 24);

    auto* navigation = new QHBoxLayout;
    navigation->addWidget(btnPrevYear);
    navigation->addWidget(btnPrevMonth);
    navigation->addWidget(lbTitle, 1);
    navigation->addWidget(btnNextMonth);
    navigation->addWidget(btnNextYear);
    navigation->addSpacing(8);
    navigation->addWidget(btnToday);
    navigation->addWidget(btnGoTo);
    auto* left = new QVBoxLayout;
    left->addLayout(navigation);
    left->addWidget(grdMonth, 3);
    auto* dayRow = new QHBoxLayout;
    dayRow->addWidget(lbDay, 1);
    dayRow->addWidget(btnQuickAddOnDay);
    dayRow->addWidget(btnAddOnDay);
    left->addLayout(dayRow);
    left->addWidget(lstDay, 1);
    auto* right = new QVBoxLayout;
    auto* comingLabel = new QLabel(QStringLiteral("接下来[&X]："), this);
    comingLabel->setBuddy(lstComing);
    right->addWidget(comingLabel);
    right->addWidget(lstComing, 1);
    // On a small screen or at a large scale the cells keep a readable size and the window scrolls.
    QWidget* contents = ScrollableContents(*this);
    auto* layout = new QHBoxLayout(contents);
    layout->addLayout(left, 3);
    layout->addLayout(right, 2);

    connect(btnPrevYear, &QPushButton::clicked, this, [this] { ShiftMonths(-12); });
    connect(btnPrevMonth, &QPushButton::clicked, this, [this] { ShiftMonths(-1); });
    connect(btnNextMonth, &QPushButton::clicked, this, [this] { ShiftMonths(1); });
    connect(btnNextYear, &QPushButton::clicked, this, [this] { ShiftMonths(12); });
    connect(btnToday, &QPushButton::clicked, this, [this] { ShowDate(Today()); });
    connect(btnGoTo, &QPushButton::clicked, this, &TfrmMonthCalendar::btnGoToClick);
    connect(btnAddOnDay, &QPushButton::clicked, this, &TfrmMonthCalendar::btnAddOnDayClick);
    btnQuickAddOnDay->setToolTip(QStringLiteral("用一句话添加这一天的提醒，如“晚上8点 聚会”（Ctrl+K）"));
    connect(btnQuickAddOnDay, &QPushButton::clicked, this, [this] {
        if (QuickAddOnDay) {
            QuickAddOnDay(Selected);
        }
    });
    auto* quickAdd = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this);
    quickAdd->setContext(Qt::WindowShortcut);
    connect(quickAdd, &QShortcut::activated, btnQuickAddOnDay, &QPushButton::click);
    connect(grdMonth, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { CellChosen(row, column); });
    connect(lstDay, &QListWidget::itemDoubleClicked, this, [this] {
        if (const std::int32_t position = SelectedPosition(); position >= 0 && EditRecord) {
            EditRecord(position);
        }
    });
    connect(lstDay, &QWidget::customContextMenuRequested, this, &TfrmMonthCalendar::DayListMenu);
    connect(lstComing, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = lstComing->row(item);
        if (row < 0 || row >= static_cast<int>(Coming.size())) {
            return;
        }
        ShowDate(DateOnly(Coming[static_cast<std::size_t>(row)].Minute));
        if (SelectRecord) {
            SelectRecord(Coming[static_cast<std::size_t>(row)].Position);
        }
    });
    // Wherever the focus is in the window: a list or a button must not swallow the month keys.
    for (const auto& [key, months] : {std::pair{Qt::Key_PageUp, -1}, std::pair{Qt::Key_PageDown, 1}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, months] { ShiftMonths(months); });
    }
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(QSize(880, 560).expandedTo(layout->sizeHint()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(size().boundedTo(area.size() - QSize(16, 48)));
        move(area.center() - rect().center());
    }
    ShowDate(Today());
}

void TfrmMonthCalendar::ShowDate(TDateTime date) {
    Selected = DateOnly(date);
    Refresh();
}

void TfrmMonthCalendar::ShiftMonths(int months) {
    const DateFields date = DecodeDate(Selected);
    int index = date.Year * 12 + (date.Month - 1) + months;
    index = std::clamp(index, 1900 * 12 + 1, 2100 * 12 + 11);
    const int year = index / 12;
    const int month = index % 12 + 1;
    ShowDate(EncodeDate(year, month, std::min(date.Day, GregorianMonthDays(year, month))));
}

void TfrmMonthCalendar::Refresh() {
    const DateFields date = DecodeDate(Selected);
    // The month's cells are worked out once for each change of the list, the day, or the month shown.
    if (Month.Year != date.Year || Month.Month != date.Month || MonthGeneration != List.Generation ||
        MonthToday != Today()) {
        Month = BuildMonthView(List, Config, date.Year, date.Month, Today());
        MonthGeneration = List.Generation;
        MonthToday = Today();
    }
    FillGrid();
    FillDay();
    if (ComingGeneration != List.Generation || Coming.empty() || Coming.front().Minute <= Now()) {
        FillComing();
    }
}

void TfrmMonthCalendar::MinuteRefresh() {
    if (MonthGeneration != List.Generation || MonthToday != Today()) {
        Refresh();
        return;
    }
    // The first coming firing has passed (or the list is empty): the list moves on; otherwise nothing changed.
    if (ComingGeneration != List.Generation || (!Coming.empty() && Coming.front().Minute <= Now()) ||
        (Coming.empty() && List.Count > 0)) {
        FillComing();
    }
}

void TfrmMonthCalendar::FillGrid() {
    Filling = true;
    lbTitle->setText(Q(Month.Title));
    static const char* const MondayFirst[] = {"一", "二", "三", "四", "五", "六", "日"};
    static const char* const SundayFirst[] = {"日", "一", "二", "三", "四", "五", "六"};
    QStringList headers;
    for (int column = 0; column < Columns; ++column) {
        headers.append(QString::fromUtf8(Config.BeginWithSunday ? SundayFirst[column] : MondayFirst[column]));
    }
    grdMonth->setHorizontalHeaderLabels(headers);
    const QPalette colours = palette();
    const QFontMetrics metrics(grdMonth->font());
    const int width = std::max(grdMonth->columnWidth(0) - 6, metrics.horizontalAdvance(QStringLiteral("国际妇女")));
    for (int cell = 0; cell < Rows * Columns && cell < static_cast<int>(Month.Days.size()); ++cell) {
        const TMonthDay& day = Month.Days[static_cast<std::size_t>(cell)];
        // Three lines at most, so that a cell reads whole at any size: the day with its marks, the lunar day or
        // the term, the first festival; each cut to the column, the whole day in the tooltip.
        std::string text = std::to_string(day.Day);
        if (day.Official != TOfficialMark::None) {
            text += day.Official == TOfficialMark::Rest ? " 休" : " 班";
        }
        const int reminders = day.ReminderCount();
        if (reminders > 0) {
            text += " ●" + std::to_string(reminders);
        }
        const int warnings = day.WarningCount();
        if (warnings > 0) {
            text += " ◇" + std::to_string(warnings);
        }
        text = Elided(metrics, text, width) + "\n" +
               Elided(metrics, day.SolarTerm.empty() ? day.LunarText : day.SolarTerm, width);
        if (!day.Festivals.empty()) {
            text += "\n" + Elided(metrics, day.Festivals.front(), width);
        }
        auto* item = new QTableWidgetItem(Q(text));
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        item->setToolTip(Q(ReadableDayLine(day.Date) +
                           (reminders == 0 ? "" : "\n" + std::to_string(reminders) + "个提醒") +
                           (warnings == 0 ? "" : "\n" + std::to_string(warnings) + "个提前提醒")));
        item->setData(Qt::AccessibleTextRole, Q(day.AccessibleName()));
        // 休 and 班 each in their own colour, a festival on an ordinary day in a third.
        if (!day.InMonth) {
            item->setForeground(colours.brush(QPalette::Disabled, QPalette::Text));
        } else if (day.Official == TOfficialMark::Rest) {
            item->setForeground(RestDayColour);
        } else if (day.Official == TOfficialMark::Work) {
            item->setForeground(MakeupWorkdayColour);
        } else if (!day.Festivals.empty()) {
            item->setForeground(FestivalColour);
        }
        if (day.IsToday) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            item->setBackground(colours.brush(QPalette::AlternateBase));
        }
        grdMonth->setItem(cell / Columns, cell % Columns, item);
        if (DateOnly(day.Date) == Selected) {
            grdMonth->setCurrentCell(cell / Columns, cell % Columns);
        }
    }
    Filling = false;
}

void TfrmMonthCalendar::FillDay() {
    lstDay->clear();
    for (TMonthDay& day : Month.Days) {
        if (DateOnly(day.Date) != Selected) {
            continue;
        }
        FillFiringTexts(List, Config, day);
        lbDay->setText(Q(ReadableDayLine(day.Date)));
        for (const TMonthFiring& firing : day.Firings) {
            lstDay->addItem(FiringLine(firing, false));
        }
        if (day.Firings.empty()) {
            auto* none = new QListWidgetItem(QStringLiteral("这一天没有提醒"), lstDay);
            none->setFlags(Qt::NoItemFlags);
        }
    }
}

void TfrmMonthCalendar::FillComing() {
    Coming = ComingFirings(List, Config, Now(), NextFiringRangeEnd(), ComingCount).Firings;
    ComingGeneration = List.Generation;
    lstComing->clear();
    for (const TMonthFiring& firing : Coming) {
        lstComing->addItem(FiringLine(firing, true));
    }
}

void TfrmMonthCalendar::CellChosen(int row, int column) {
    if (Filling || row < 0 || column < 0) {
        return;
    }
    const std::size_t cell = static_cast<std::size_t>(row * Columns + column);
    if (cell >= Month.Days.size()) {
        return;
    }
    const TMonthDay& day = Month.Days[cell];
    Selected = DateOnly(day.Date);
    if (!day.InMonth) {
        // A day of the month before or after: that month comes into view.
        Refresh();
        return;
    }
    FillDay();
}

std::int32_t TfrmMonthCalendar::SelectedPosition() const {
    const int row = lstDay->currentRow();
    for (const TMonthDay& day : Month.Days) {
        if (DateOnly(day.Date) == Selected && row >= 0 && row < static_cast<int>(day.Firings.size())) {
            return day.Firings[static_cast<std::size_t>(row)].Position;
        }
    }
    return -1;
}

void TfrmMonthCalendar::DayListMenu(const QPoint& position) {
    const std::int32_t record = SelectedPosition();
    if (record < 0) {
        return;
    }
    QMenu menu(this);
    QAction* view = menu.addAction(QStringLiteral("查看[&V]"));
    QAction* edit = menu.addAction(QStringLiteral("编辑[&M]"));
    QAction* remove = menu.addAction(QStringLiteral("删除[&D]"));
    QAction* chosen = menu.exec(lstDay->viewport()->mapToGlobal(position));
    if (chosen == view && ViewRecord) {
        ViewRecord(record);
    } else if (chosen == edit && EditRecord) {
        EditRecord(record);
    } else if (chosen == remove && DeleteRecord) {
        DeleteRecord(record);
    }
}

void TfrmMonthCalendar::btnGoToClick() {
    const QString prompt = QStringLiteral("公历日期（如 2026-02-17）或农历日期（如 农历2023-闰2-1）：");
    QString text = QString::fromStdString(FormatMinute(Selected).substr(0, 10));
    QString problem;
    // A date that does not exist is asked again with the reason, the day shown staying as it was.
    for (;;) {
        bool ok = false;
        text = QInputDialog::getText(this, QStringLiteral("转到"), problem.isEmpty() ? prompt : problem + "\n" + prompt,
                                     QLineEdit::Normal, text, &ok);
        if (!ok) {
            return;
        }
        const TGoToDate date = ParseGoToDate(text.toStdString());
        if (date.Date) {
            ShowDate(*date.Date);
            return;
        }
        problem = Q(date.Problem);
    }
}

void TfrmMonthCalendar::btnAddOnDayClick() {
    if (!AddRecord) {
        return;
    }
    const DateFields date = DecodeDate(Selected);
    const LunarDate lunar = SolarToLunar(Selected);
    QMenu menu(this);
    QAction* gregorian =
        menu.addAction(QStringLiteral("公历 %1年%2月%3日[&G]").arg(date.Year).arg(date.Month).arg(date.Day));
    QAction* lunarChoice = nullptr;
    if (!lunar.IsEmpty()) {
        lunarChoice =
            menu.addAction(Q("农历 " + std::to_string(lunar.Year) + "年" +
                             LunarMonthName(lunar.Month, lunar.IsLeapMonth) + LunarDayName(lunar.Day) + "[&L]"));
    }
    QAction* chosen = nullptr;
    connect(&menu, &QMenu::triggered, this, [&chosen](QAction* action) { chosen = action; });
    menu.exec(btnAddOnDay->mapToGlobal(QPoint(0, btnAddOnDay->height())));
    TRmMainDate preset;
    if (chosen == gregorian) {
        preset.Year = date.Year;
        preset.Month = date.Month;
        preset.Day = date.Day;
    } else if (chosen != nullptr && chosen == lunarChoice) {
        preset.IsLunar = true;
        preset.Year = lunar.Year;
        preset.Month = lunar.Month;
        preset.Day = lunar.Day;
        preset.IsLeapMonth = lunar.IsLeapMonth;
    } else {
        return;
    }
    preset.Hour = 8;
    AddRecord(preset);
}

} // namespace chimewell
