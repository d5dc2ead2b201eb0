#pragma once
// The settings dialog: five pages of controls over a copy of the settings. Every control writes its value into
// that copy the moment it changes; only a successful OK lets the main window take the copy over.

#include "data/settings.h"
#include "system/sync_page.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace chimewell {

class TfrmSystemSet : public QDialog {
    Q_OBJECT
public:
    // skinsFolder: where the skin list comes from ("" when the program has none).
    // syncHooks: 立即同步 and the last sync's time on the page 同步.
    explicit TfrmSystemSet(const std::string& skinsFolder, QWidget* parent = nullptr, TSyncPageHooks syncHooks = {});

    TRmConfig WorkConfig;
    bool Accepted = false;
    // The skin files the list offers after its first entry, which turns skins off.
    std::vector<std::string> SkinFiles;
    // What the dialog's controls are laid out on, inside its scroll area.
    QWidget* Contents = nullptr;
    // The quick-finish lines as the dialog showed them at its opening.
    std::vector<std::string> ShownQuickFinish;

    QTabWidget* pcSystemSet;
    QLineEdit* edtUserName;
    QLineEdit* edtCorporation;
    QLineEdit* edtVersion;
    QLineEdit* edtOpenTimes;
    QLineEdit* edtMusicFile;
    QPushButton* sbOpenMusicFile;
    QCheckBox* cbOpenMin;
    // 提醒方式 and 重复播放提醒音乐直到关闭.
    QComboBox* cbRemindMode;
    QCheckBox* cbRepeatMusic;
    QCheckBox* cbUseLog;
    QCheckBox* cbEnableQuickKey;
    QComboBox* cbLaterMin;
    QCheckBox* cbAutoClose;
    QComboBox* cbAutoCloseSec;
    QComboBox* cbSelSkin;
    QComboBox* cbMissedHours;
    QCheckBox* cbShowGN;
    QCheckBox* cbShowDate;
    QCheckBox* cbShowTime;
    QCheckBox* cbShowRms;
    QCheckBox* cbShowCmd;
    QCheckBox* cbShowWithScript;
    QCheckBox* cbShowSetMusic;
    QCheckBox* cbShowBefRemind;
    QLabel* lbSetFont;
    QPushButton* btnSetFont;
    QPlainTextEdit* memoFastFinish;
    QRadioButton* rbWeekMonday;
    QRadioButton* rbWeekSunday;
    // The page 同步: the calendar server and the calendar.
    TSyncPage* SyncPage;
    QPushButton* btnOK;
    QPushButton* btnCancle;

    // Shows WorkConfig in the controls and the quick-finish file in its box; the first showing does it.
    void FormShow();

public slots:
    void sbOpenMusicFileClick();
    void btnSetFontClick();
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateSystemPage();
    QWidget* CreateDisplayPage();
    QWidget* CreateQuickFinishPage();
    QWidget* CreateOtherPage();
    void ConnectControls();
    // The sample shows the font of WorkConfig.
    void ShowSampleFont();

    bool Shown = false;
};

// The settings command: the dialog over a copy of `config`; true when it was confirmed and `config` took the
// copy over. Writing config.ini and applying the settings stay with the caller.
bool RunSystemSetDialog(TRmConfig& config, const std::string& skinsFolder, QWidget* parent,
                        TSyncPageHooks syncHooks = {});

} // namespace chimewell
