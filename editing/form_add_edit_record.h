#pragma once
// The add/edit dialog: renders a TRecordEditor and forwards every control's event to it. It holds no rule of
// its own; after each step it shows the model again.

#include "editing/record_editor.h"

#include <QDialog>

#include <array>
#include <functional>

class QAction;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace chimewell {

class TfrmAddEditRecord : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAddEditRecord(TRecordEditor& editor, QWidget* parent = nullptr);

    TRecordEditor& Editor;
    // The reminder as the dialog opened with it: Escape asks only when something was changed.
    TRmMainDate OpenedRecord;

    QRadioButton* rbGongLi;
    QRadioButton* rbLunar;
    QComboBox* cbSelYear;
    QComboBox* cbSelMonth;
    QComboBox* cbSelDay;
    QComboBox* cbSelHour;
    QComboBox* cbSelMinuter;
    QPushButton* sbEveryYear;
    QPushButton* sbEveryMonth;
    QPushButton* sbEveryDay;
    QPushButton* sbQuickDate;
    QPushButton* sbOtherOper;
    QPushButton* sbSelWeek;
    QComboBox* cbRemindText;
    QPushButton* btnTestRemind;
    QCheckBox* cbSelMusic;
    QLineEdit* edtSelMusic;
    QPushButton* sbSelMusic;
    QComboBox* cbRemindForward;
    QPushButton* sbRemindOper;
    QPushButton* sbAutoRun;
    QRadioButton* rbRemind1;
    QRadioButton* rbDivazu2;
    QRadioButton* rbRemind3;
    QRadioButton* rbRemind4;
    // The warnings and the repeat in words, and the button of the window that sets them.
    QLabel* lbSchedule;
    QPushButton* sbSchedule;
    QPushButton* btnOK;
    QPushButton* btnCancle;
    // When the reminder as composed would next fire ("下次提醒：…" or "不再提醒").
    QLabel* lbNextFiring;

    // The date chooser takes the place of the calendar choice and the date and time group while it shows.
    QStackedWidget* stkDateArea;
    QFrame* panSelectDate;
    QLabel* lbSelectDate;
    QCalendarWidget* mcSelectDate;
    QComboBox* cbAfterDays;
    QLabel* lbDaysAfter;
    QPushButton* btnSelectDate;
    QPushButton* Button1;
    QFrame* panShowDate;
    QLabel* lbShowDate;

    QMenu* popGongLiDays;
    QMenu* popLunarDays;
    QMenu* popOtherOper;
    QMenu* popRemindOper;
    QMenu* popSelWeek;
    std::array<QAction*, 7> popWeek{};
    QAction* popOfficialWorkdays;
    QAction* popOfficialRestDays;
    QAction* N20;
    QAction* N22;
    QAction* popSetCurrentDate;
    QAction* popSetCurrentHS;
    QAction* popSetCurrentTime;
    QAction* popSetXMinuterLater;
    QAction* N14;
    QAction* E1;
    QAction* N1;
    QAction* N2;
    QAction* N4;
    QAction* N5;
    QAction* U1;

    // The festival menu of the calendar the reminder is in.
    QMenu* QuickDateMenu() const;
    // Shows the model again; every step ends with it.
    void Render();

public slots:
    void btnOKClick();
    void U1Click();
    void sbScheduleClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateDateArea();
    QWidget* CreateTimeGroup();
    QWidget* CreateDateChooser();
    QWidget* CreateLowerGroups();
    void CreateMenus();
    void ConnectControls();
    // Runs one step of the model, unless the change came from Render itself, and shows the result.
    void Step(const std::function<void()>& step);
    void DropDown(QPushButton* button, QMenu* menu);
    // Typed characters go nowhere in the lists that only offer their items.
    void RenderDateChooser();

    bool Rendering = false;
};

} // namespace chimewell
