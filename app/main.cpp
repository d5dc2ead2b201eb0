#include "app/app_icon.h"
#include "app/application.h"
#include "app/form_remind.h"
#include "app/program_arguments.h"
#include "app/program_end.h"
#include "data/constants.h"
#include "data/file_io.h"
#include "data/paths.h"
#include "platform/qt_platform.h"
#include "platform/single_instance.h"
#include "platform/termination_signals.h"
#include "runtime/snooze_file.h"
#include "sync/sync_state.h"

#include <cerrno>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    using namespace chimewell;
    // Answered before anything else: no display is needed, and a running copy is left alone.
    if (argc > 1) {
        const bool outputClosed = HoldClosedStandardOutput();
        if (const std::optional<int> status =
                AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout)) {
            errno = 0;
            std::cout.flush();
            if (outputClosed || !std::cout.good()) {
                const int error = errno;
                std::cerr << "chimewell: 无法写出：标准输出" << StandardOutputFailure(outputClosed, error) << "。\n";
                return 1;
            }
            return *status;
        }
    }
    PreferX11OnWayland();
    TRmApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("chimewell"));
    // No display name: Qt would append it to every window title ("提醒 — 晴铃提醒"); the notifications, the tray
    // item and the launcher are given the product name themselves.
    InstallQtTranslations(&application);
    // The desktop matches the windows and notifications to the launcher of this name; the launcher's
    // StartupWMClass is the application name above, which Qt gives the windows as their X11 class.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(DesktopName.data(), DesktopName.size()));
    // The program ends only by its exit command; hiding the last window to the tray must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallQtPlatform(&application);
    // From here on a termination signal ends the program properly, even during a question asked at start.
    EndOnTerminationSignals(&application, [] { EndProgram(); });
    QApplication::setWindowIcon(ApplicationIcon());

    const std::string folder = ProgramFilesFolder();
    SingleInstance instance;
    if (!instance.TryBecomePrimary(QString::fromStdString(folder))) {
        return 0;
    }
    // Holding the folder, no other copy of the program can be saving there, and holding the writers' lock of the
    // data file, no chimewell-cli either: what a killed save left behind can go. With another writer at work
    // it waits for the next start.
    if (const TWriterLock writers(folder + std::string(DataFileName), 0); writers.Held()) {
        RemoveLeftoverTemporaryFiles(folder, {std::string(DataFileName), std::string(ConfigFileName),
                                              std::string(QuickFinishFileName), std::string(SnoozeFileName),
                                              std::string(SyncStateFileName)});
    }

    std::unique_ptr<TfrmRemind> form;
    try {
        form = std::make_unique<TfrmRemind>(folder, QApplication::applicationFilePath().toStdString());
    } catch (const std::exception& error) {
        ShowGeneralError(ShownFailure(error));
        return 1;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, form.get(), &TfrmRemind::ShowMainWindow);
    int status = 0;
    // A signal while the start-with-system question was open has already ended the run: an event loop
    // started now would not know it.
    if (!ProgramIsEnding()) {
        form->ShowIfWanted();
        status = TRmApplication::exec();
    }
    form.reset();
    return status;
}
