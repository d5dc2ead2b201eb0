#pragma once
// The program's message boxes as Qt shows them, for installing with SetMessageBoxFunction.

#include "platform/message_box.h"

namespace chimewell {

// Modal boxes over the active window, with Chinese button texts: a notice has the information icon and
// "确定"; a question "确定" and "取消"; a yes/no question "是" and "否"; an error the critical icon and "确定".
// A box closed without a button (Esc, the close box) answers with its negative button; one with a single
// button answers OK.
MessageBoxFunction QtMessageBoxFunction();

} // namespace chimewell
