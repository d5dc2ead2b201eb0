#include "exchange/calendar_reading.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QProgressDialog>
#include <QTimer>

#include <exception>
#include <thread>

namespace chimewell {

void RunOffTheWindowThread(QWidget* parent, const QString& title, const QString& text, bool cancellable,
                           const std::function<void(const std::atomic<bool>& cancel)>& work) {
    std::atomic<bool> cancel{false};
    std::exception_ptr failure;
    QEventLoop loop;
    // Shown only when the work takes more than a moment.
    QProgressDialog progress(text, cancellable ? QStringLiteral("取消") : QString(), 0, 0, parent);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.hide();
    QTimer::singleShot(400, &progress, [&progress] { progress.show(); });
    if (cancellable) {
        QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });
    } else {
        progress.setCancelButton(nullptr);
    }
    std::thread worker([&] {
        try {
            work(cancel);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    progress.close();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

TIcsImportFile ReadCalendarInBackground(QWidget* parent,
                                        const std::function<TIcsImportFile(const std::atomic<bool>& cancel)>& read) {
    TIcsImportFile file;
    RunOffTheWindowThread(parent, QStringLiteral("导入提醒"), QStringLiteral("正在读取日历文件……"), true,
                          [&](const std::atomic<bool>& cancel) { file = read(cancel); });
    return file;
}

bool WriteCalendarInBackground(QWidget* parent, const std::function<bool()>& write) {
    bool written = false;
    RunOffTheWindowThread(parent, QStringLiteral("导出提醒"), QStringLiteral("正在写出日历文件……"), false,
                          [&](const std::atomic<bool>&) { written = write(); });
    return written;
}

} // namespace chimewell
