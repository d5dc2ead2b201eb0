#include "platform/qt_font_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace chimewell {

namespace {

struct NamedColor {
    const char* Name;
    std::int32_t Stored;
};

// The sixteen colours of the classic palette, black standing for the text colour of the desktop or skin: a
// list written in plain black would be unreadable under a dark one.
constexpr std::array<NamedColor, 16> Colors = {{
    {"自动", 0x000000},
    {"褐红", 0x000080},
    {"绿色", 0x008000},
    {"橄榄色", 0x008080},
    {"深蓝", 0x800000},
    {"紫色", 0x800080},
    {"青色", 0x808000},
    {"灰色", 0x808080},
    {"银色", 0xC0C0C0},
    {"红色", 0x0000FF},
    {"鲜绿", 0x00FF00},
    {"黄色", 0x00FFFF},
    {"蓝色", 0xFF0000},
    {"紫红", 0xFF00FF},
    {"水绿", 0xFFFF00},
    {"白色", 0xFFFFFF},
}};

constexpr std::array<int, 16> Sizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

QIcon Swatch(const QColor& color, bool automatic) {
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    if (automatic) {
        // Half dark, half light: whatever the desktop or skin writes in.
        painter.fillRect(0, 0, 8, 12, Qt::black);
        painter.fillRect(8, 0, 8, 12, Qt::white);
    } else {
        painter.fillRect(0, 0, 16, 12, color);
    }
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

QLabel* Buddy(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

std::optional<TFontChoice> ShowQtFontDialog(const TFontChoice& initial) {
    QWidget* parent =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    TfrmFontDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Choice();
}

} // namespace

QColor QtColorOf(std::int32_t stored) {
    const auto value = static_cast<std::uint32_t>(stored);
    return QColor(static_cast<int>(value & 0xFFU), static_cast<int>((value >> 8) & 0xFFU),
                  static_cast<int>((value >> 16) & 0xFFU));
}

std::int32_t StoredColorOf(const QColor& color) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(color.red()) |
                                     (static_cast<std::uint32_t>(color.green()) << 8) |
                                     (static_cast<std::uint32_t>(color.blue()) << 16));
}

QFont QtFontOf(const TFontChoice& choice) {
    QFont font(QString::fromStdString(choice.Name));
    if (choice.Size > 0) {
        font.setPointSize(choice.Size);
    }
    font.setBold(choice.Bold);
    font.setItalic(choice.Italic);
    font.setUnderline(choice.Underline);
    font.setStrikeOut(choice.StrikeOut);
    return font;
}

TfrmFontDialog::TfrmFontDialog(const TFontChoice& initial, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      cbFontName(new QFontComboBox(this)), cbFontStyle(new QComboBox(this)), cbFontSize(new QComboBox(this)),
      cbStrikeOut(new QCheckBox(QStringLiteral("删除线[&K]"), this)),
      cbUnderline(new QCheckBox(QStringLiteral("下划线[&U]"), this)), cbFontColor(new QComboBox(this)),
      lbSample(new QLabel(QStringLiteral("晴铃提醒 AaBbYyZz 123"), this)),
      btnOK(new QPushButton(QStringLiteral("确定[&O]"), this)),
      btnCancle(new QPushButton(QStringLiteral("取消[&C]"), this)) {
    setWindowTitle(QStringLiteral("字体"));
    // A face the computer lacks ("宋体" on most Linux desktops) still shows by its name, as the list will
    // show it: in the face the desktop matches to it.
    cbFontName->setCurrentFont(QtFontOf(initial));
    cbFontName->setEditText(QString::fromStdString(initial.Name));
    cbFontStyle->addItems(
        {QStringLiteral("常规"), QStringLiteral("斜体"), QStringLiteral("粗体"), QStringLiteral("粗斜体")});
    cbFontStyle->setCurrentIndex((initial.Bold ? 2 : 0) + (initial.Italic ? 1 : 0));
    cbFontSize->setEditable(true);
    cbFontSize->setInsertPolicy(QComboBox::NoInsert);
    for (const int size : Sizes) {
        cbFontSize->addItem(QString::number(size));
    }
    cbFontSize->setValidator(new QIntValidator(1, 500, cbFontSize));
    cbFontSize->setEditText(QString::number(initial.Size > 0 ? initial.Size : 9));
    cbStrikeOut->setChecked(initial.StrikeOut);
    cbUnderline->setChecked(initial.Underline);
    for (const NamedColor& color : Colors) {
        cbFontColor->addItem(Swatch(QtColorOf(color.Stored), color.Stored == 0), QString::fromUtf8(color.Name),
                             color.Stored);
    }
    int colorIndex = cbFontColor->findData(initial.Color);
    if (colorIndex < 0) {
        // A colour from elsewhere (an older settings file) stays choosable as it is.
        const QColor own = QtColorOf(initial.Color);
        cbFontColor->addItem(Swatch(own, false), own.name(), initial.Color);
        colorIndex = cbFontColor->count() - 1;
    }
    cbFontColor->setCurrentIndex(colorIndex);

    lbSample->setAlignment(Qt::AlignCenter);
    lbSample->setMinimumSize(260, 64);
    lbSample->setFrameShape(QFrame::StyledPanel);

    auto* grid = new QGridLayout;
    grid->addWidget(Buddy(QStringLiteral("字体[&F]："), cbFontName, this), 0, 0);
    grid->addWidget(cbFontName, 0, 1, 1, 3);
    grid->addWidget(Buddy(QStringLiteral("字形[&Y]："), cbFontStyle, this), 1, 0);
    grid->addWidget(cbFontStyle, 1, 1);
    grid->addWidget(Buddy(QStringLiteral("大小[&S]："), cbFontSize, this), 1, 2);
    grid->addWidget(cbFontSize, 1, 3);
    grid->addWidget(Buddy(QStringLiteral("颜色[&R]："), cbFontColor, this), 2, 0);
    grid->addWidget(cbFontColor, 2, 1);
    grid->addWidget(cbStrikeOut, 2, 2);
    grid->addWidget(cbUnderline, 2, 3);
    grid->setColumnStretch(1, 1);

    auto* sampleGroup = new QGroupBox(QStringLiteral("示例"), this);
    auto* sampleLayout = new QVBoxLayout(sampleGroup);
    sampleLayout->addWidget(lbSample);

    btnOK->setDefault(true);
    btnCancle->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancle);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sampleGroup, 1);
    layout->addLayout(buttons);

    connect(cbFontName, &QFontComboBox::currentTextChanged, this, &TfrmFontDialog::ShowSample);
    connect(cbFontStyle, &QComboBox::currentIndexChanged, this, &TfrmFontDialog::ShowSample);
    connect(cbFontSize, &QComboBox::currentTextChanged, this, &TfrmFontDialog::ShowSample);
    connect(cbFontColor, &QComboBox::currentIndexChanged, this, &TfrmFontDialog::ShowSample);
    connect(cbStrikeOut, &QCheckBox::toggled, this, &TfrmFontDialog::ShowSample);
    connect(cbUnderline, &QCheckBox::toggled, this, &TfrmFontDialog::ShowSample);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancle, &QPushButton::clicked, this, &QDialog::reject);
    ShowSample();
}

TFontChoice TfrmFontDialog::Choice() const {
    TFontChoice choice;
    choice.Name = cbFontName->currentText().trimmed().toStdString();
    bool number = false;
    const int size = cbFontSize->currentText().toInt(&number);
    choice.Size = number && size > 0 ? size : 9;
    choice.Color = cbFontColor->currentData().toInt();
    choice.Bold = cbFontStyle->currentIndex() >= 2;
    choice.Italic = cbFontStyle->currentIndex() % 2 == 1;
    choice.Underline = cbUnderline->isChecked();
    choice.StrikeOut = cbStrikeOut->isChecked();
    return choice;
}

void TfrmFontDialog::ShowSample() {
    const TFontChoice choice = Choice();
    lbSample->setFont(QtFontOf(choice));
    // A rule of its own, since a skin's style sheet would win over the palette.
    lbSample->setStyleSheet(
        choice.Color == 0 ? QString() : QStringLiteral("QLabel { color: %1; }").arg(QtColorOf(choice.Color).name()));
}

FontDialogFunction QtFontDialogFunction() {
    return ShowQtFontDialog;
}

} // namespace chimewell
