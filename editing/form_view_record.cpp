#include "editing/form_view_record.h"

#include "calendar/clock.h"
#include "runtime/next_firing.h"

#include "editing/view_record.h"
#include "platform/message_box.h"
#include "ui/qt_dialog_helpers.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace chimewell {

namespace {

// The accelerators of the eight rows, in the order of ViewFields.
constexpr std::array<const char*, 8> RowKeys = {"[&L]", "[&D]", "[&I]", "[&M]", "[&R]", "[&F]", "[&P]", "[&U]"};

QString RowCaption(std::string_view caption, const char* key) {
    // The key goes before the closing colon: "提醒内容[&R]：".
    QString text = Q(caption);
    text.insert(text.size() - 1, QString::fromLatin1(key));
    return text;
}

} // namespace

TfrmViewRecord::TfrmViewRecord(QWidget* parent)
    : QDialog(parent, FixedDialogFlags), gbViewRecord(new QGroupBox(QStringLiteral("查看提醒"), this)),
      btnTestText(new QPushButton(QStringLiteral("测试内容[&T]"), gbViewRecord)),
      lbShowHint(new QLabel(Q(DefaultViewHint), this)), lbNextFiring(new QLabel(this)),
      btnClose(new QPushButton(QStringLiteral("关闭[&C]"), this)), popCopyMenu(new QMenu(this)),
      popCopy(popCopyMenu->addAction(QStringLiteral("复制[&C]"))) {
    setWindowTitle(QStringLiteral("查看提醒"));
    auto* grid = new QGridLayout(gbViewRecord);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(3);
    for (std::size_t row = 0; row < ViewFields.size(); ++row) {
        auto* box = new QLineEdit(gbViewRecord);
        auto* label = new QLabel(RowCaption(ViewFields[row].Caption, RowKeys[row]), gbViewRecord);
        label->setObjectName(Q(ViewFields[row].Label));
        label->setBuddy(box);
        label->installEventFilter(this);
        // For reading: typed characters go nowhere, selecting and copying work, and the box wears the
        // window's colour rather than an input field's.
        box->setReadOnly(true);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        box->setPalette(palette);
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        box->installEventFilter(this);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint& position) { ContextPopup(box, position); });
        grid->addWidget(label, static_cast<int>(row), 0);
        grid->addWidget(box, static_cast<int>(row), 1);
        Labels[row] = label;
        Boxes[row] = box;
    }
    edtGongLiLunar = Boxes[0];
    edtDate = Boxes[1];
    edtTime = Boxes[2];
    edtRemindType = Boxes[3];
    edtRemindText = Boxes[4];
    edtRemindForward = Boxes[5];
    edtRemindOper = Boxes[6];
    edtRemindMusic = Boxes[7];
    lbRemindText = Labels[4];
    btnTestText->setAutoDefault(false);
    btnTestText->hide();
    auto* testRow = new QHBoxLayout;
    testRow->addStretch(1);
    testRow->addWidget(btnTestText);
    grid->addLayout(testRow, static_cast<int>(ViewFields.size()), 0, 1, 2);

    btnClose->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lbShowHint, 1);
    bottom->addWidget(btnClose);
    QWidget* contents = ScrollableContents(*this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(gbViewRecord);
    // Room for the line and a notice under it, so the window keeps its size from reminder to reminder.
    lbNextFiring->setWordWrap(true);
    lbNextFiring->setText(QStringLiteral("下次提醒：\n "));
    lbNextFiring->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lbNextFiring);
    layout->setContentsMargins(8, 8, 8, 0);
    AddFixedBelow(*this, bottom);
    FixSizeOnScreen(*this, *contents, QSize(405, 261));

    connect(btnTestText, &QPushButton::clicked, this, &TfrmViewRecord::btnTestTextClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(popCopy, &QAction::triggered, this, &TfrmViewRecord::popCopyClick);
}

void TfrmViewRecord::Fill(const TRmMainDate& record, const std::string& sysMusicFile, bool beginWithSunday) {
    const TNextFiringLine next = DescribeNextFiring(record, Now(), beginWithSunday);
    lbNextFiring->setText(Q(next.AllLines()));
    const TViewRecordTexts texts = ViewRecordTexts(record, sysMusicFile);
    const std::array<const std::string*, 8> values = {
        &texts.GongLiLunar, &texts.Date,          &texts.Time,       &texts.RemindType,
        &texts.RemindText,  &texts.RemindForward, &texts.RemindOper, &texts.RemindMusic,
    };
    for (std::size_t row = 0; row < Boxes.size(); ++row) {
        Boxes[row]->setText(Q(*values[row]));
        // A long text reads from its beginning.
        Boxes[row]->setCursorPosition(0);
    }
    // A long music path is cut in its middle, where the folders are, so that the file's name still shows; the
    // whole path is in the tooltip.
    if (layout() != nullptr) {
        layout()->activate();
    }
    const QString music = Q(texts.RemindMusic);
    const int room = edtRemindMusic->contentsRect().width() - 8;
    edtRemindMusic->setText(edtRemindMusic->fontMetrics().elidedText(music, Qt::ElideMiddle, room));
    edtRemindMusic->setCursorPosition(0);
    edtRemindMusic->setToolTip(music);
    btnTestText->setVisible(texts.TestVisible);
}

void TfrmViewRecord::btnTestTextClick() {
    if (const std::optional<std::string> text = MessageTestText(edtRemindText->text().toStdString())) {
        ShowMessageBox(MessageKind::Information, "显示内容", *text);
    }
}

void TfrmViewRecord::ContextPopup(QLineEdit* box, const QPoint& position) {
    popCopy->setEnabled(box->hasSelectedText());
    if (box->hasSelectedText()) {
        CopySource = box;
    }
    popCopyMenu->popup(box->mapToGlobal(position));
}

void TfrmViewRecord::popCopyClick() {
    if (CopySource != nullptr && CopySource->hasSelectedText()) {
        QGuiApplication::clipboard()->setText(CopySource->selectedText());
    }
}

void TfrmViewRecord::ShowHint(int row) {
    lbShowHint->setText(row < 0 ? Q(DefaultViewHint) : Q(ViewFields[static_cast<std::size_t>(row)].Hint));
}

bool TfrmViewRecord::eventFilter(QObject* watched, QEvent* event) {
    for (std::size_t row = 0; row < Labels.size(); ++row) {
        const bool label = watched == Labels[row];
        // A box taking the keyboard focus explains itself as its label does under the mouse.
        if ((label && event->type() == QEvent::Enter) || (watched == Boxes[row] && event->type() == QEvent::FocusIn)) {
            ShowHint(static_cast<int>(row));
        } else if ((label && event->type() == QEvent::Leave) ||
                   (watched == Boxes[row] && event->type() == QEvent::FocusOut)) {
            ShowHint(-1);
        }
    }
    if (watched == lbRemindText && event->type() == QEvent::MouseButtonDblClick) {
        btnTestTextClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void RunViewRecordWindow(const TRmMainDate& record, const std::string& sysMusicFile, bool beginWithSunday,
                         QWidget* parent) {
    TfrmViewRecord window(parent);
    window.Fill(record, sysMusicFile, beginWithSunday);
    window.exec();
}

} // namespace chimewell
