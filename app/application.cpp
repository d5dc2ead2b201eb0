#include "app/application.h"

#include "app/program_end.h"

#include "data/constants.h"
#include "data/file_io.h"
#include "platform/message_box.h"

#include <exception>
#include <iostream>

namespace chimewell {

TRmApplication::TRmApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TRmApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowGeneralError(ShownFailure(error));
    } catch (...) {
        ShowGeneralError("未知错误");
    }
    return false;
}

void ShowGeneralError(const std::string& message) {
    if (ProgramIsEnding()) {
        // The session is ending: a box would keep the program alive for nobody to answer it.
        std::cerr << "chimewell: " << message << std::endl;
        return;
    }
    ShowMessageBox(MessageKind::Error, std::string(ProductName), ShownFailureText(message));
}

} // namespace chimewell
