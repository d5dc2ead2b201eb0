#include "app/application.h"

#include "data/constants.h"
#include "platform/message_box.h"

#include <exception>

namespace chimewell {

TRmApplication::TRmApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TRmApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowGeneralError(error.what());
    } catch (...) {
        ShowGeneralError("未知错误");
    }
    return false;
}

void ShowGeneralError(const std::string& message) {
    ShowMessageBox(MessageKind::Error, std::string(ProductName), message);
}

} // namespace chimewell
