#include "exchange/calendar_reading.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QProgressDialog>
#include <QTimer>

#include <exception>
#include <thread>

namespace chimewell {

TIcsImportFile ReadCalendarInBackground(QWidget* parent,
                                        const std::function<TIcsImportFile(const std::atomic<bool>& cancel)>& read) {
    std::atomic<bool> cancel{false};
    TIcsImportFile file;
    std::exception_ptr failure;
    QEventLoop loop;
    // Shown only when the reading takes more than a moment.
    QProgressDialog progress(QStringLiteral("正在读取日历文件……"), QStringLiteral("取消"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("导入提醒"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.hide();
    QTimer::singleShot(400, &progress, [&progress] { progress.show(); });
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });
    std::thread worker([&] {
        try {
            file = read(cancel);
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
    return file;
}

} // namespace chimewell
