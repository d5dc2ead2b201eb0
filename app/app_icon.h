#pragma once

#include <QIcon>

namespace chimewell {

// The program's icon: a bell, drawn at the sizes the desktop asks for.
QIcon ApplicationIcon();

} // namespace chimewell
