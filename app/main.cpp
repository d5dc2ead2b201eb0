#include "app/app_icon.h"
#include "app/application.h"
#include "app/form_remind.h"
#include "data/paths.h"
#include "platform/qt_platform.h"
#include "platform/single_instance.h"
#include "platform/termination_signals.h"

#include <QSystemTrayIcon>

#include <exception>

int main(int argc, char** argv) {
    using namespace chimewell;
    TRmApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("chimewell"));
    // The program ends only by its exit command; hiding the last window to the tray must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallQtPlatform(&application);
    QuitOnTerminationSignals(&application);
    QApplication::setWindowIcon(ApplicationIcon());

    const std::string folder = ProgramFilesFolder();
    SingleInstance instance;
    if (!instance.TryBecomePrimary(QString::fromStdString(folder))) {
        return 0;
    }

    std::unique_ptr<TfrmRemind> form;
    try {
        form = std::make_unique<TfrmRemind>(folder, QApplication::applicationFilePath().toStdString(),
                                            QSystemTrayIcon::isSystemTrayAvailable());
    } catch (const std::exception& error) {
        ShowGeneralError(error.what());
        return 1;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, form.get(), &TfrmRemind::ShowMainWindow);
    if (form->ShowAtStart()) {
        form->show();
    }
    const int status = TRmApplication::exec();
    form.reset();
    return status;
}
