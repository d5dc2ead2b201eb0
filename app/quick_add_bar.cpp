#include "app/quick_add_bar.h"

#include "app/record_list_view.h"
#include "calendar/clock.h"
#include "runtime/next_firing.h"
#include "ui/qt_dialog_helpers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace chimewell {

TQuickAddBar::TQuickAddBar(const TRmConfig& config, QWidget* parent)
    : QWidget(parent), edtQuickAdd(new QLineEdit(this)), lbUnderstood(new QLabel(this)), lbNextFiring(new QLabel(this)),
      btnOtherReading(new QPushButton(this)), btnDetails(new QPushButton(QStringLiteral("详细[&E]…"), this)),
      Config(config) {
    edtQuickAdd->setObjectName(QStringLiteral("edtQuickAdd"));
    edtQuickAdd->setAccessibleName(QStringLiteral("快速添加"));
    edtQuickAdd->setPlaceholderText(QStringLiteral("快速添加：明天下午三点开会"));
    edtQuickAdd->setClearButtonEnabled(true);
    edtQuickAdd->installEventFilter(this);
    btnOtherReading->setToolTip(QStringLiteral("这句话还可以这样理解：点一下改用这种理解，再点一下改回来"));
    btnDetails->setToolTip(QStringLiteral("在添加提醒对话框里打开这条提醒，再补上音乐、命令等"));
    for (QLabel* label : {lbUnderstood, lbNextFiring}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setTextFormat(Qt::PlainText);
    }
    lbUnderstood->setAccessibleName(QStringLiteral("理解为"));
    lbNextFiring->setAccessibleName(QStringLiteral("下次提醒"));

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edtQuickAdd, 1);
    row->addWidget(btnDetails);
    // The other reading beside the firing it would change, so that the line keeps its width.
    auto* firingRow = new QHBoxLayout;
    firingRow->setContentsMargins(0, 0, 0, 0);
    firingRow->addWidget(lbNextFiring, 1);
    firingRow->addWidget(btnOtherReading, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(row);
    layout->addWidget(lbUnderstood);
    layout->addLayout(firingRow);

    connect(edtQuickAdd, &QLineEdit::textChanged, this, &TQuickAddBar::TextEdited);
    connect(edtQuickAdd, &QLineEdit::returnPressed, this, &TQuickAddBar::Enter);
    connect(btnDetails, &QPushButton::clicked, this, &TQuickAddBar::DetailsClick);
    connect(btnOtherReading, &QPushButton::clicked, this, &TQuickAddBar::OtherReadingClick);
    TextEdited(QString());
}

void TQuickAddBar::Prefill(const std::string& text) {
    edtQuickAdd->setFocus(Qt::OtherFocusReason);
    edtQuickAdd->setText(Q(text));
    edtQuickAdd->deselect();
    edtQuickAdd->end(false);
}

void TQuickAddBar::FocusLine() {
    edtQuickAdd->setFocus(Qt::ShortcutFocusReason);
    edtQuickAdd->selectAll();
}

void TQuickAddBar::Reread() {
    if (!Line.Empty()) {
        Line.Reread(Now());
        ShowReading();
    }
}

void TQuickAddBar::TextEdited(const QString& text) {
    Line.SetText(text.toStdString(), Now());
    ShowReading();
}

void TQuickAddBar::ShowReading() {
    // The list's choice of parts, as it is now: the settings may have changed since the last key.
    Line.Options = ListDescribeOptions(Config);
    Line.WeeksBeginOnSunday = Config.BeginWithSunday;
    lbUnderstood->setText(Q(Line.Understood()));
    lbNextFiring->setText(Q(Line.NextLine()));
    lbNextFiring->setVisible(!Line.NextLine().empty());
    // The hint of an empty line is quieter than a reading.
    QPalette colours = palette();
    if (Line.Empty()) {
        colours.setColor(QPalette::WindowText, colours.color(QPalette::PlaceholderText));
    }
    lbUnderstood->setPalette(colours);
    btnOtherReading->setVisible(Line.HasOtherReading());
    btnOtherReading->setText(Q(Line.OtherReadingCaption()));
    btnDetails->setEnabled(Line.CanAdd());
}

void TQuickAddBar::ShowAdded(const TRmMainDate& record) {
    // Emptied as by the user (the clear button goes with the text); the news stays until the next key.
    edtQuickAdd->clear();
    lbUnderstood->setPalette(palette());
    lbUnderstood->setText(QStringLiteral("已添加：") + Q(record.Describe(ListDescribeOptions(Config))));
    lbNextFiring->setText(Q(DescribeNextFiring(record, Now(), Config.BeginWithSunday).AllLines()));
    lbNextFiring->setVisible(true);
}

void TQuickAddBar::Enter() {
    if (!Take(AddRecord)) {
        QApplication::beep();
    }
}

void TQuickAddBar::DetailsClick() {
    Take(DetailRecord);
}

bool TQuickAddBar::Take(const std::function<bool(const TRmMainDate&)>& add) {
    // The moment may have moved on since the last key ("10分钟后" counts from Enter).
    Line.Reread(Now());
    ShowReading();
    if (!Line.CanAdd()) {
        return false;
    }
    const TRmMainDate record = *Line.Record();
    if (add && add(record)) {
        ShowAdded(record);
        emit Added();
    }
    return true;
}

void TQuickAddBar::OtherReadingClick() {
    Line.ChooseOtherReading();
    ShowReading();
    edtQuickAdd->setFocus(Qt::OtherFocusReason);
}

bool TQuickAddBar::eventFilter(QObject* watched, QEvent* event) {
    // Esc in a line with text empties it; in an empty one it goes on to the window (which may close).
    if (watched == edtQuickAdd && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !edtQuickAdd->text().isEmpty()) {
        edtQuickAdd->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

TfrmQuickAdd::TfrmQuickAdd(const TRmConfig& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Bar(new TQuickAddBar(config, this)) {
    setObjectName(QStringLiteral("frmQuickAdd"));
    setWindowTitle(QStringLiteral("快速添加"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bar);
    layout->addStretch(1);
    const int width =
        Bar->fontMetrics().horizontalAdvance(QStringLiteral("公历，2026年12月11日15时0分0方式，不提前，提醒为：开会"));
    resize(std::max(width + 120, 520), sizeHint().height() + Bar->fontMetrics().height() * 2);
}

void TfrmQuickAdd::Open(const std::string& text) {
    if (!isVisible()) {
        CentreOnScreen(*this);
    }
    showNormal();
    raise();
    activateWindow();
    // After showing: the line's focus then comes with the cursor where it is put.
    if (!text.empty()) {
        Bar->Prefill(text);
    } else {
        Bar->Reread();
        Bar->FocusLine();
    }
}

} // namespace chimewell
