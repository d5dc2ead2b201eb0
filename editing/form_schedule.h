#pragma once
// The window "提前提醒与重复" of the add/edit dialog: the warnings of a reminder (a list, quick choices of 1天,
// 3天 and 1周, any number with a unit) and its repeat (every N days, weeks, months or years from a start, until a
// date or a number of times), rendered from a TScheduleEditor.

#include "editing/schedule_editor.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace chimewell {

class TfrmSchedule : public QDialog {
    Q_OBJECT
public:
    TfrmSchedule(TScheduleEditor& editor, QWidget* parent = nullptr);

    TScheduleEditor& Editor;

    QListWidget* lwWarnings;
    QPushButton* btnOneDay;
    QPushButton* btnThreeDays;
    QPushButton* btnOneWeek;
    QSpinBox* spLead;
    QComboBox* cbLeadUnit;
    QPushButton* btnAddLead;
    QPushButton* btnRemoveLead;
    QCheckBox* chkMonthEnd;
    QCheckBox* chkEvery;
    QSpinBox* spEvery;
    QComboBox* cbEveryUnit;
    QDateEdit* deStart;
    QRadioButton* rbNoEnd;
    QRadioButton* rbEndDate;
    QDateEdit* deEnd;
    QRadioButton* rbEndCount;
    QSpinBox* spEndCount;
    QLabel* lbSummary;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    void Render();

private:
    void AddLead(TLeadTime lead);
    void RepeatChanged();
    bool Rendering = false;
};

} // namespace chimewell
