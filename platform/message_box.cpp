#include "platform/message_box.h"

#include <utility>

namespace chimewell {

namespace {
MessageBoxFunction& Installed() {
    static MessageBoxFunction function;
    return function;
}
} // namespace

MessageAnswer ShowMessageBox(MessageKind kind, const std::string& title, const std::string& text) {
    if (Installed()) {
        return Installed()(kind, title, text);
    }
    switch (kind) {
    case MessageKind::Question:
    case MessageKind::Confirm:
    case MessageKind::Caution:
        return MessageAnswer::Cancel;
    case MessageKind::YesNo:
    case MessageKind::YesNoNever:
        return MessageAnswer::No;
    case MessageKind::Information:
    case MessageKind::Error:
        break;
    }
    return MessageAnswer::Ok;
}

bool IsAffirmative(MessageAnswer answer) {
    return answer == MessageAnswer::Ok || answer == MessageAnswer::Yes;
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
    return std::exchange(Installed(), std::move(function));
}

} // namespace chimewell
