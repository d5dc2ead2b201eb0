#include "system/form_system_set.h"

#include "runtime/list_typing.h"

#include "data/constants.h"
#include "platform/qt_font_dialog.h"
#include "system/skin.h"
#include "system/system_set.h"
#include "ui/qt_dialog_helpers.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace chimewell {

namespace {

QStringList Items(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list.append(Q(item));
    }
    return list;
}

QComboBox* ListBox(QWidget* parent, const std::vector<std::string>& items) {
    auto* box = new QComboBox(parent);
    box->addItems(Items(items));
    box->setMaxVisibleItems(16);
    return box;
}

QLabel* Buddy(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

// A field that only shows: no key reaches it and it offers no menu.
QLineEdit* ShowingField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setContextMenuPolicy(Qt::NoContextMenu);
    return field;
}

} // namespace

TfrmSystemSet::TfrmSystemSet(const std::string& skinsFolder, QWidget* parent, TSyncPageHooks syncHooks)
    : QDialog(parent, FixedDialogFlags), SkinFiles(ListSkinFiles(skinsFolder)) {
    setObjectName(QStringLiteral("frmSystemSet"));
    setWindowTitle(QStringLiteral("晴铃提醒设置"));
    pcSystemSet = new QTabWidget(this);
    pcSystemSet->addTab(CreateSystemPage(), QStringLiteral("系统[&S]"));
    pcSystemSet->addTab(CreateDisplayPage(), QStringLiteral("显示设置[&V]"));
    pcSystemSet->addTab(CreateQuickFinishPage(), QStringLiteral("快速完成[&Q]"));
    // Not "[&O]": that is OK's key on every page.
    pcSystemSet->addTab(CreateOtherPage(), QStringLiteral("其它设置[&E]"));
    SyncPage = new TSyncPage(WorkConfig, std::move(syncHooks), this);
    pcSystemSet->addTab(SyncPage, QStringLiteral("同步[&Y]"));

    btnOK = new QPushButton(QStringLiteral("确定[&O]"), this);
    btnOK->setDefault(true);
    btnCancle = new QPushButton(QStringLiteral("取消[&C]"), this);
    btnCancle->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancle);

    // 确定 and 取消 stay in sight under the pages however large the scale.
    QWidget* contents = ScrollableContents(*this, buttons);
    Contents = contents;
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(pcSystemSet);

    for (QComboBox* box : {cbLaterMin, cbAutoCloseSec, cbSelSkin, cbMissedHours, cbRemindMode}) {
        DiscardTypedCharacters(box);
    }
    ConnectControls();
    FixSizeOnScreen(*this, *contents, QSize());
}

QWidget* TfrmSystemSet::CreateSystemPage() {
    auto* page = new QWidget(this);
    edtUserName = new QLineEdit(page);
    edtCorporation = new QLineEdit(page);
    edtVersion = ShowingField(page);
    edtOpenTimes = ShowingField(page);
    edtMusicFile = new QLineEdit(page);
    sbOpenMusicFile = new QPushButton(QStringLiteral("..."), page);
    sbOpenMusicFile->setAutoDefault(false);
    sbOpenMusicFile->setToolTip(QStringLiteral("选择默认音乐"));
    sbOpenMusicFile->setFixedWidth(sbOpenMusicFile->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);

    auto* fields = new QGridLayout;
    fields->addWidget(Buddy(QStringLiteral("用户[&U]："), edtUserName, page), 0, 0);
    fields->addWidget(edtUserName, 0, 1);
    fields->addWidget(Buddy(QStringLiteral("公司[&R]："), edtCorporation, page), 0, 2);
    fields->addWidget(edtCorporation, 0, 3, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("版本："), page), 1, 0);
    fields->addWidget(edtVersion, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("打开次数："), page), 1, 2);
    fields->addWidget(edtOpenTimes, 1, 3, 1, 2);
    fields->addWidget(Buddy(QStringLiteral("默认音乐[&M]："), edtMusicFile, page), 2, 0);
    fields->addWidget(edtMusicFile, 2, 1, 1, 3);
    fields->addWidget(sbOpenMusicFile, 2, 4);
    cbRemindMode = new QComboBox(page);
    cbRemindMode->addItems({QStringLiteral("自动（按桌面选择）"), QStringLiteral("窗口"), QStringLiteral("通知"),
                            QStringLiteral("窗口和通知")});
    cbRemindMode->setItemData(0, QStringLiteral("X11 桌面上用窗口，Wayland 桌面上用窗口和通知"), Qt::ToolTipRole);
    cbRemindMode->setToolTip(QStringLiteral("自动：X11 桌面上用窗口，Wayland 桌面上用窗口和通知"));
    fields->addWidget(Buddy(QStringLiteral("提醒方式[&W]："), cbRemindMode, page), 3, 0);
    fields->addWidget(cbRemindMode, 3, 1, 1, 4);
    cbRepeatMusic = new QCheckBox(QStringLiteral("重复播放提醒音乐直到关闭（最多 10 分钟）[&P]"), page);
    fields->addWidget(cbRepeatMusic, 4, 1, 1, 4);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    auto* gbSoftState = new QGroupBox(QStringLiteral("软件状态设置"), page);
    cbOpenMin = new QCheckBox(QStringLiteral("打开软件时最小化[&N]"), gbSoftState);
    // Kept for the settings file's sake; greyed, with the reason beside them.
    cbUseLog = new QCheckBox(QStringLiteral("使用日志文件（本版本不写日志）"), gbSoftState);
    cbUseLog->setEnabled(false);
    cbEnableQuickKey = new QCheckBox(QStringLiteral("允许使用快捷键（本版本没有全局快捷键）"), gbSoftState);
    cbEnableQuickKey->setEnabled(false);
    auto* state = new QVBoxLayout(gbSoftState);
    state->addWidget(cbOpenMin);
    state->addWidget(cbUseLog);
    state->addWidget(cbEnableQuickKey);
    state->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addWidget(gbSoftState);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmSystemSet::CreateDisplayPage() {
    auto* page = new QWidget(this);
    auto* gbShow = new QGroupBox(QStringLiteral("显示设置"), page);
    cbShowGN = new QCheckBox(QStringLiteral("显示(公、农)历[&G]"), gbShow);
    cbShowDate = new QCheckBox(QStringLiteral("显示日期[&D]"), gbShow);
    cbShowTime = new QCheckBox(QStringLiteral("显示时间[&T]"), gbShow);
    cbShowRms = new QCheckBox(QStringLiteral("显示提醒方式[&R]"), gbShow);
    cbShowCmd = new QCheckBox(QStringLiteral("有时显示命令[&M]"), gbShow);
    cbShowWithScript = new QCheckBox(QStringLiteral("显示有无脚本（本版本没有脚本）"), gbShow);
    cbShowWithScript->setEnabled(false);
    cbShowSetMusic = new QCheckBox(QStringLiteral("显示有无音乐[&U]"), gbShow);
    cbShowBefRemind = new QCheckBox(QStringLiteral("显示是否提前提醒[&B]"), gbShow);
    auto* boxes = new QGridLayout(gbShow);
    QCheckBox* const order[] = {cbShowGN,  cbShowDate,       cbShowTime,     cbShowRms,
                                cbShowCmd, cbShowWithScript, cbShowSetMusic, cbShowBefRemind};
    for (int i = 0; i < 8; ++i) {
        boxes->addWidget(order[i], i % 4, i / 4);
    }

    auto* gbFont = new QGroupBox(QStringLiteral("字体设置"), page);
    lbSetFont = new QLabel(Q(FontSampleText()), gbFont);
    lbSetFont->setObjectName(QStringLiteral("lbSetFont"));
    lbSetFont->setFrameShape(QFrame::StyledPanel);
    lbSetFont->setAlignment(Qt::AlignCenter);
    lbSetFont->setMinimumHeight(48);
    btnSetFont = new QPushButton(QStringLiteral("设置字体[&F]"), gbFont);
    btnSetFont->setAutoDefault(false);
    auto* font = new QHBoxLayout(gbFont);
    font->addWidget(lbSetFont, 1);
    font->addWidget(btnSetFont, 0, Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbShow);
    layout->addWidget(gbFont);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmSystemSet::CreateQuickFinishPage() {
    auto* page = new QWidget(this);
    memoFastFinish = new QPlainTextEdit(page);
    memoFastFinish->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoFastFinish->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoFastFinish->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on rather than typing a tab into a reminder text.
    memoFastFinish->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Buddy(QStringLiteral("请在这里输入快速完成内容[&I]："), memoFastFinish, page));
    layout->addWidget(memoFastFinish, 1);
    return page;
}

QWidget* TfrmSystemSet::CreateOtherPage() {
    auto* page = new QWidget(this);
    auto* gbWeek = new QGroupBox(QStringLiteral("星期设置"), page);
    rbWeekMonday = new QRadioButton(QStringLiteral("每周一为星期开始[&M]"), gbWeek);
    rbWeekSunday = new QRadioButton(QStringLiteral("每周日为星期开始[&U]"), gbWeek);
    auto* week = new QVBoxLayout(gbWeek);
    week->addWidget(rbWeekMonday);
    week->addWidget(rbWeekSunday);
    auto* gbOther = new QGroupBox(QStringLiteral("提醒窗口"), page);
    cbLaterMin = ListBox(gbOther, LaterMinutesList.Items());
    cbAutoClose = new QCheckBox(QStringLiteral("提醒窗口自动关闭[&A]"), gbOther);
    cbAutoCloseSec = ListBox(gbOther, AutoCloseSecondsList.Items());
    cbSelSkin = ListBox(gbOther, SkinListItems(SkinFiles));
    cbMissedHours = ListBox(gbOther, MissedHoursList.Items());
    auto* other = new QGridLayout(gbOther);
    other->addWidget(Buddy(QStringLiteral("提醒时间延迟[&L]："), cbLaterMin, gbOther), 0, 0);
    other->addWidget(cbLaterMin, 0, 1);
    other->addWidget(cbAutoClose, 1, 0);
    other->addWidget(cbAutoCloseSec, 1, 1);
    other->addWidget(Buddy(QStringLiteral("选择皮肤[&K]："), cbSelSkin, gbOther), 2, 0);
    other->addWidget(cbSelSkin, 2, 1);
    // 0 turns catching up off: "显示最近 0 小时内的" would read as nonsense.
    cbMissedHours->setItemText(0, QStringLiteral("不补提醒"));
    for (int hours = 1; hours < cbMissedHours->count(); ++hours) {
        cbMissedHours->setItemText(hours, QStringLiteral("显示最近 %1 小时内的").arg(hours));
    }
    other->addWidget(Buddy(QStringLiteral("错过的提醒[&I]："), cbMissedHours, gbOther), 3, 0);
    other->addWidget(cbMissedHours, 3, 1);
    other->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gbOther);
    layout->addWidget(gbWeek);
    layout->addStretch(1);
    return page;
}

void TfrmSystemSet::ConnectControls() {
    const auto text = [this](QLineEdit* field, std::string TRmConfig::*setting) {
        connect(field, &QLineEdit::textChanged, this,
                [this, setting](const QString& value) { WorkConfig.*setting = value.toStdString(); });
    };
    text(edtUserName, &TRmConfig::UserName);
    text(edtCorporation, &TRmConfig::UserCorp);
    text(edtMusicFile, &TRmConfig::SysMusicFile);

    const auto flag = [this](QAbstractButton* box, bool TRmConfig::*setting) {
        connect(box, &QAbstractButton::toggled, this, [this, setting](bool checked) { WorkConfig.*setting = checked; });
    };
    flag(cbOpenMin, &TRmConfig::HideMainForm);
    flag(cbUseLog, &TRmConfig::EnableLog);
    flag(cbEnableQuickKey, &TRmConfig::EnableQuickKey);
    flag(cbRepeatMusic, &TRmConfig::RepeatMusic);
    connect(cbRemindMode, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            WorkConfig.RemindMode = index - 1;
        }
    });
    flag(cbAutoClose, &TRmConfig::AutoCloseMsgBox);
    flag(cbShowGN, &TRmConfig::ShowGL);
    flag(cbShowDate, &TRmConfig::ShowDate);
    flag(cbShowTime, &TRmConfig::ShowTime);
    flag(cbShowRms, &TRmConfig::ShowRms);
    flag(cbShowCmd, &TRmConfig::ShowCommand);
    flag(cbShowWithScript, &TRmConfig::ShowWithScript);
    flag(cbShowSetMusic, &TRmConfig::ShowSetMusic);
    flag(cbShowBefRemind, &TRmConfig::ShowBefRemind);
    flag(rbWeekSunday, &TRmConfig::BeginWithSunday);
    connect(cbAutoClose, &QCheckBox::toggled, cbAutoCloseSec, &QWidget::setEnabled);

    // A change that leaves no entry chosen writes nothing.
    const auto number = [this](QComboBox* box, TNumberList list, std::int32_t TRmConfig::*setting) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, list, setting](int index) {
            if (const std::optional<std::int32_t> value = list.ValueAt(index)) {
                WorkConfig.*setting = *value;
            }
        });
    };
    number(cbLaterMin, LaterMinutesList, &TRmConfig::LaterRemindTime);
    number(cbAutoCloseSec, AutoCloseSecondsList, &TRmConfig::AutoCloseMsgTime);
    number(cbMissedHours, MissedHoursList, &TRmConfig::MissedWindowHours);
    connect(cbSelSkin, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (const std::optional<std::string> name = SkinListValueAt(SkinFiles, index)) {
            WorkConfig.SkinFileName = *name;
        }
    });

    connect(sbOpenMusicFile, &QPushButton::clicked, this, &TfrmSystemSet::sbOpenMusicFileClick);
    connect(btnSetFont, &QPushButton::clicked, this, &TfrmSystemSet::btnSetFontClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmSystemSet::btnOKClick);
    connect(btnCancle, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSystemSet::FormShow() {
    Shown = true;
    // Read first: filling a control writes its value back into WorkConfig.
    const TRmConfig shown = WorkConfig;
    edtUserName->setText(Q(shown.UserName));
    edtCorporation->setText(Q(shown.UserCorp));
    edtVersion->setText(Q(ProgramVersion));
    edtOpenTimes->setText(QString::number(shown.OpenTimes));
    edtMusicFile->setText(Q(shown.SysMusicFile));
    // A long path reads from its start, whole in the tooltip.
    edtMusicFile->setCursorPosition(0);
    edtMusicFile->setToolTip(Q(shown.SysMusicFile));
    cbOpenMin->setChecked(shown.HideMainForm);
    cbRemindMode->setCurrentIndex(std::clamp(shown.RemindMode, -1, 2) + 1);
    cbRepeatMusic->setChecked(shown.RepeatMusic);
    cbUseLog->setChecked(shown.EnableLog);
    cbEnableQuickKey->setChecked(shown.EnableQuickKey);
    cbAutoClose->setChecked(shown.AutoCloseMsgBox);
    cbAutoCloseSec->setEnabled(shown.AutoCloseMsgBox);
    cbShowGN->setChecked(shown.ShowGL);
    cbShowDate->setChecked(shown.ShowDate);
    cbShowTime->setChecked(shown.ShowTime);
    cbShowRms->setChecked(shown.ShowRms);
    cbShowCmd->setChecked(shown.ShowCommand);
    cbShowWithScript->setChecked(shown.ShowWithScript);
    cbShowSetMusic->setChecked(shown.ShowSetMusic);
    cbShowBefRemind->setChecked(shown.ShowBefRemind);
    cbLaterMin->setCurrentIndex(LaterMinutesList.IndexOf(shown.LaterRemindTime));
    cbAutoCloseSec->setCurrentIndex(AutoCloseSecondsList.IndexOf(shown.AutoCloseMsgTime));
    cbMissedHours->setCurrentIndex(MissedHoursList.IndexOf(shown.MissedWindowHours));
    SyncPage->ShowSettings();
    cbSelSkin->setCurrentIndex(SkinListIndexOf(SkinFiles, shown.SkinFileName));
    (shown.BeginWithSunday ? rbWeekSunday : rbWeekMonday)->setChecked(true);
    ShownQuickFinish = QuickFinishLines(QuickFinishText(LoadQuickFinish(shown.QuickFinishFilePath())));
    memoFastFinish->setPlainText(Q(QuickFinishText(ShownQuickFinish)));
    ShowSampleFont();
    if (edtUserName->text().isEmpty()) {
        edtUserName->setText(Q(UserNamePlaceholder));
    }
    if (edtCorporation->text().isEmpty()) {
        edtCorporation->setText(Q(UserCorpPlaceholder));
    }
}

void TfrmSystemSet::ShowSampleFont() {
    const TFontChoice font = ListFontOf(WorkConfig);
    lbSetFont->setFont(QtFontOf(font));
    // As the list will show it, whatever the skin says; the frame drawn by the same rule, so that no scale
    // cuts its edges.
    lbSetFont->setStyleSheet(Q(FontStyleSheet("QLabel#lbSetFont", font) +
                               " QLabel#lbSetFont { border: 1px solid palette(mid); padding: 4px 8px; }"));
    // A large font needs more room than the designed sample: the dialog grows to show it whole.
    lbSetFont->setMinimumHeight(std::max(48, lbSetFont->sizeHint().height()));
    if (Contents != nullptr) {
        FixSizeOnScreen(*this, *Contents, QSize());
    }
}

void TfrmSystemSet::sbOpenMusicFileClick() {
    if (const std::optional<std::string> chosen = AskSystemMusic(WorkConfig)) {
        edtMusicFile->setText(Q(*chosen));
    }
}

void TfrmSystemSet::btnSetFontClick() {
    if (const std::optional<TFontChoice> chosen = ShowFontDialog(ListFontOf(WorkConfig))) {
        SetListFont(WorkConfig, *chosen);
        ShowSampleFont();
    }
}

void TfrmSystemSet::btnOKClick() {
    if (!SyncPage->Check()) {
        pcSystemSet->setCurrentWidget(SyncPage);
        return;
    }
    if (!AcceptSystemSettings(WorkConfig, QuickFinishLines(memoFastFinish->toPlainText().toStdString()),
                              ShownQuickFinish)) {
        return;
    }
    SyncPage->KeepPassword();
    Accepted = true;
    accept();
}

void TfrmSystemSet::showEvent(QShowEvent* event) {
    if (!Shown) {
        FormShow();
    }
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

bool RunSystemSetDialog(TRmConfig& config, const std::string& skinsFolder, QWidget* parent, TSyncPageHooks syncHooks) {
    TfrmSystemSet dialog(skinsFolder, parent, std::move(syncHooks));
    CopyConfig(config, dialog.WorkConfig);
    dialog.exec();
    if (!dialog.Accepted) {
        return false;
    }
    CopyConfig(dialog.WorkConfig, config);
    return true;
}

} // namespace chimewell
