#include "exchange/form_search.h"

#include "exchange/search.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

namespace chimewell {

namespace {
constexpr int OpaqueAlpha = 255;
}

TfrmSearch::TfrmSearch(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      lbSearch(new QLabel(QStringLiteral("搜索："), this)), cbSearch(new QComboBox(this)),
      btnSearch(new QPushButton(QStringLiteral("搜索[&S]"), this)),
      lbSearchResult(new QLabel(QStringLiteral("搜索结果为："), this)), lstSearchResult(new QListWidget(this)),
      lstNumbers(new QListWidget(this)), cbGo(new QCheckBox(this)),
      cbTransparent(new QCheckBox(QStringLiteral("窗口透明"), this)), tbTransparent(new QSlider(Qt::Horizontal, this)),
      btnClose(new QPushButton(QStringLiteral("关闭[&C]"), this)) {
    setWindowTitle(QStringLiteral("搜索提醒"));
    cbSearch->setEditable(true);
    // The history is kept by the search button alone, and the text searched is the text typed: no entry is
    // added on Enter, and no completion (which ignores letter case) may change the text.
    cbSearch->setInsertPolicy(QComboBox::NoInsert);
    cbSearch->setCompleter(nullptr);
    cbSearch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lbSearch->setBuddy(cbSearch);
    lbSearchResult->setBuddy(lstSearchResult);
    lstSearchResult->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lstNumbers->hide();
    cbGo->setToolTip(QStringLiteral("停靠在主窗口右边，跟着主窗口移动"));
    cbGo->setAccessibleName(QStringLiteral("停靠在主窗口右边"));
    tbTransparent->setRange(100, OpaqueAlpha);
    tbTransparent->setValue(220);
    tbTransparent->setToolTip(QStringLiteral("透明度：越往左越透明"));
    tbTransparent->setAccessibleName(QStringLiteral("透明度"));

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(lbSearch);
    searchRow->addWidget(cbSearch, 1);
    searchRow->addWidget(btnSearch);
    auto* bottom = new QGridLayout;
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(cbGo);
    boxes->addWidget(cbTransparent);
    boxes->addStretch(1);
    bottom->addLayout(boxes, 0, 0);
    bottom->addWidget(tbTransparent, 1, 0);
    bottom->addWidget(btnClose, 0, 1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    bottom->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addLayout(searchRow);
    layout->addWidget(lbSearchResult);
    layout->addWidget(lstSearchResult, 1);
    layout->addLayout(bottom);

    setMinimumSize(255, 279);
    resize(255, 279);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    RememberedPosition = pos();
    RememberedSize = size();
    cbSearch->setFocus();

    connect(btnSearch, &QPushButton::clicked, this, &TfrmSearch::btnSearchClick);
    // Enter in the search box searches, as the button does.
    connect(cbSearch->lineEdit(), &QLineEdit::returnPressed, this, &TfrmSearch::btnSearchClick);
    connect(lstSearchResult, &QListWidget::itemClicked, this, &TfrmSearch::lstSearchResultClick);
    // Enter on a result chooses it too, for the keyboard.
    connect(lstSearchResult, &QListWidget::itemActivated, this, &TfrmSearch::lstSearchResultClick);
    connect(cbGo, &QCheckBox::toggled, this, &TfrmSearch::cbGoClick);
    connect(cbTransparent, &QCheckBox::toggled, this, &TfrmSearch::cbTransparentClick);
    connect(tbTransparent, &QSlider::valueChanged, this, &TfrmSearch::tbTransparentChange);
    connect(btnClose, &QPushButton::clicked, this, &TfrmSearch::btnCloseClick);
}

void TfrmSearch::Post(int code, int argument) const {
    if (MainWindowRequests) {
        MainWindowRequests(code, argument);
    }
}

std::vector<std::string> TfrmSearch::History() const {
    std::vector<std::string> history;
    history.reserve(static_cast<std::size_t>(cbSearch->count()));
    for (int i = 0; i < cbSearch->count(); ++i) {
        history.push_back(cbSearch->itemText(i).toStdString());
    }
    return history;
}

void TfrmSearch::btnSearchClick() {
    const QString text = cbSearch->currentText();
    if (text.isEmpty()) {
        return;
    }
    std::vector<std::string> history = History();
    if (AddSearchHistory(history, text.toStdString())) {
        // Adding to an empty box makes the entry current, which sets the same text again.
        cbSearch->addItem(text);
    }
    Post(SearchRunRequest, 0);
}

void TfrmSearch::ShowMatches(const std::vector<std::string>& recordLines) {
    lstSearchResult->clear();
    lstNumbers->clear();
    const QString text = cbSearch->currentText();
    for (const int line : MatchingLines(recordLines, text.toStdString())) {
        lstSearchResult->addItem(QString::fromStdString(recordLines[static_cast<std::size_t>(line)]));
        lstNumbers->addItem(QString::number(line));
    }
}

void TfrmSearch::lstSearchResultClick() {
    const QList<QListWidgetItem*> selected = lstSearchResult->selectedItems();
    const int row = selected.isEmpty() ? -1 : lstSearchResult->row(selected.front());
    if (row < 0 || row >= lstNumbers->count()) {
        return;
    }
    bool number = false;
    const int line = lstNumbers->item(row)->text().toInt(&number);
    if (number) {
        Post(SearchSelectRequest, line);
    }
}

void TfrmSearch::cbGoClick(bool checked) {
    if (checked) {
        RememberedPosition = pos();
        RememberedSize = size();
        Post(SearchFollowRequest, 0);
    } else {
        move(RememberedPosition);
        resize(RememberedSize);
    }
}

void TfrmSearch::FollowFrame(const QRect& mainFrame) {
    if (!cbGo->isChecked()) {
        return;
    }
    const QRect frame = frameGeometry();
    const TWindowFrame docked = DockedFrame({mainFrame.x(), mainFrame.y(), mainFrame.width(), mainFrame.height()},
                                            {frame.x(), frame.y(), frame.width(), frame.height()});
    move(docked.Left, docked.Top);
    // The frame is to have the main window's height; the decoration takes its share of it.
    resize(width(), docked.Height - (frame.height() - height()));
}

void TfrmSearch::cbTransparentClick(bool checked) {
    setWindowOpacity(checked ? tbTransparent->value() / static_cast<double>(OpaqueAlpha) : 1.0);
}

void TfrmSearch::tbTransparentChange(int value) {
    if (cbTransparent->isChecked()) {
        setWindowOpacity(value / static_cast<double>(OpaqueAlpha));
    }
}

void TfrmSearch::btnCloseClick() {
    close();
}

} // namespace chimewell
