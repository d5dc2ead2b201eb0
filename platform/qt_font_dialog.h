#pragma once
// The program's font chooser as Qt shows it, for installing with SetFontDialogFunction: face, style, size,
// the two effects and the colour, in the program's language.

#include "platform/font_dialog.h"

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;

namespace chimewell {

// The font chooser, modal over the active window.
FontDialogFunction QtFontDialogFunction();

// A stored colour (0x00BBGGRR) as Qt takes it, and back.
QColor QtColorOf(std::int32_t stored);
std::int32_t StoredColorOf(const QColor& color);
QFont QtFontOf(const TFontChoice& choice);

class TfrmFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFontDialog(const TFontChoice& initial, QWidget* parent = nullptr);

    // What the controls show now.
    TFontChoice Choice() const;

    QFontComboBox* cbFontName;
    QComboBox* cbFontStyle;
    QComboBox* cbFontSize;
    QCheckBox* cbStrikeOut;
    QCheckBox* cbUnderline;
    QComboBox* cbFontColor;
    QLabel* lbSample;
    QPushButton* btnOK;
    QPushButton* btnCancle;

private:
    void ShowSample();
};

} // namespace chimewell
