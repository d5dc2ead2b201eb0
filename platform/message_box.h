#pragma once
// The program's modal message boxes, reached through one seam: the GUI installs real boxes, tests
// install answers, and the pure code asks without knowing which.

#include <functional>
#include <string>

namespace chimewell {

enum class MessageKind {
    Information, // a notice or refusal: information icon, OK
    Question,    // OK and Cancel
    Confirm,     // a notice that asks: information icon, OK and Cancel
    YesNo,       // Yes and No
    YesNoNever,  // Yes, No and 不再询问 (the question is not to come again)
    Error,       // the general error box: error icon, OK
    Caution,     // a question whose safe answer is the default: warning icon, OK and Cancel, Cancel preset
};

enum class MessageAnswer { Ok, Cancel, Yes, No, NeverAsk };

using MessageBoxFunction = std::function<MessageAnswer(MessageKind, const std::string& title, const std::string& text)>;

// Shows a box and returns the button pressed. Without an installed function every box is answered with
// its negative button (Cancel, No), or OK for a notice.
MessageAnswer ShowMessageBox(MessageKind kind, const std::string& title, const std::string& text);
bool IsAffirmative(MessageAnswer answer);

// Installs the function that shows boxes; returns the one it replaces.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);

} // namespace chimewell
