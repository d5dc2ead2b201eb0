#include "runtime/form_auto_shutdown.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace chimewell {

TfrmAutoShutDown::TfrmAutoShutDown(QWidget* parent)
    : QDialog(parent, PopUpWindowFlags), lbAutoShutDownShow(new QLabel(this)),
      lbAutoShutDownHint(new QLabel(QStringLiteral("请保存你的访问的文档及完成其它保存工作！"), this)),
      pbAutoShutDown(new QProgressBar(this)), btnAutoShutDown(new QPushButton(QStringLiteral("取消提醒[&C]"), this)),
      trAutoShutDown(new QTimer(this)) {
    // Like the reminder window: no keyboard taken from another program, no other window blocked.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Named, so that a skin can keep the warning red while it recolours every other label.
    lbAutoShutDownShow->setObjectName(QStringLiteral("lbAutoShutDownShow"));
    QFont headlineFont = lbAutoShutDownShow->font();
    headlineFont.setBold(true);
    headlineFont.setItalic(true);
    headlineFont.setPointSizeF(headlineFont.pointSizeF() * 1.5);
    lbAutoShutDownShow->setFont(headlineFont);
    QPalette headlinePalette = lbAutoShutDownShow->palette();
    headlinePalette.setColor(QPalette::WindowText, Qt::red);
    lbAutoShutDownShow->setPalette(headlinePalette);

    pbAutoShutDown->setRange(0, ShutDownCountdown::Length);
    pbAutoShutDown->setTextVisible(false);
    btnAutoShutDown->setDefault(true);
    btnAutoShutDown->setMinimumWidth(75);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(pbAutoShutDown, 1);
    barRow->addWidget(btnAutoShutDown);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 10);
    layout->addWidget(lbAutoShutDownShow);
    layout->addWidget(lbAutoShutDownHint);
    layout->addLayout(barRow);
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    trAutoShutDown->setInterval(1000);
    connect(trAutoShutDown, &QTimer::timeout, this, &TfrmAutoShutDown::trAutoShutDownTimer);
    connect(btnAutoShutDown, &QPushButton::clicked, this, &TfrmAutoShutDown::btnAutoShutDownClick);

    SetOperation(ShutDownOperation::ShutDown);
}

void TfrmAutoShutDown::SetOperation(ShutDownOperation operation) {
    Countdown.Operation = operation;
    setWindowTitle(QString::fromStdString(ShutDownCountdownCaption(operation)));
    lbAutoShutDownShow->setText(QString::fromStdString(ShutDownCountdownHeadline(operation)));
    // A fixed size, as the window has no sizing border, never below the designed 447 x 92.
    layout()->invalidate();
    setFixedSize(layout()->sizeHint().expandedTo(QSize(447, 92)));
}

void TfrmAutoShutDown::Start() {
    Countdown.Start();
    Synchronise();
}

void TfrmAutoShutDown::trAutoShutDownTimer() {
    Countdown.Tick();
    Synchronise();
}

void TfrmAutoShutDown::btnAutoShutDownClick() {
    // The question is modal; the countdown must not run out while the user reads it.
    trAutoShutDown->stop();
    if (Countdown.Cancel()) {
        accept();
        return;
    }
    Synchronise();
}

void TfrmAutoShutDown::done(int result) {
    Countdown.Stop();
    Synchronise();
    QDialog::done(result);
}

void TfrmAutoShutDown::keyPressEvent(QKeyEvent* event) {
    // Escape asks, as the cancel button does, rather than dropping the countdown unasked.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnAutoShutDownClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmAutoShutDown::Synchronise() {
    pbAutoShutDown->setValue(Countdown.Position);
    if (Countdown.Running && !trAutoShutDown->isActive()) {
        trAutoShutDown->start();
    } else if (!Countdown.Running) {
        trAutoShutDown->stop();
    }
}

void RunShutDownCountdownWindow(ShutDownOperation operation) {
    TfrmAutoShutDown window;
    window.SetOperation(operation);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.Start();
    ShowPopUpAndWait(window);
}

int ShowPopUpAndWait(QDialog& dialog, bool show) {
    dialog.setWindowModality(Qt::NonModal);
    dialog.setAttribute(Qt::WA_ShowWithoutActivating);
    // Qt passes the attribute to the window system only as it makes the native window; a window made before
    // (shown once already) carries it on its native window too.
    dialog.winId();
    if (QWindow* native = dialog.windowHandle()) {
        native->setProperty("_q_showWithoutActivating", true);
    }
    int result = QDialog::Rejected;
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&loop, &result](int answer) {
        result = answer;
        loop.quit();
    });
    bool finished = false;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&finished] { finished = true; });
    if (show) {
        dialog.show();
        if (!dialog.isVisible()) {
            return result;
        }
    }
    if (!finished) {
        loop.exec(QEventLoop::DialogExec);
    }
    return result;
}

} // namespace chimewell
