#pragma once
// The application object: the one place where exceptions that escape an event handler are caught and shown
// in the program's general error box, after which the program goes on.

#include <QApplication>

namespace chimewell {

class TRmApplication : public QApplication {
public:
    TRmApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The general error box: the message of an exception that ended a command.
void ShowGeneralError(const std::string& message);

} // namespace chimewell
