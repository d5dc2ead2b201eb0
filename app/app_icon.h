#pragma once

#include <QIcon>
#include <QString>

namespace chimewell {

// The program's icon: a bell, drawn at the sizes the desktop asks for.
QIcon ApplicationIcon();

// The icon as a file for desktop notifications, where the desktop's icon theme does not hold it (a build run
// in place): drawn once into the user's cache folder. Empty when the theme holds it, or no file can be written.
QString NotificationIconFile();

} // namespace chimewell
