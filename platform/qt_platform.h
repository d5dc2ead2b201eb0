#pragma once
// What the program entry calls once, after creating the application, to put the real desktop behind every
// platform seam. Tests never call it; they install fakes instead.

class QObject;

namespace chimewell {

// Installs the Qt desktop actions, message boxes and file choosers, and a Qt music player that lives no longer
// than `musicOwner` (the application when null).
void InstallQtPlatform(QObject* musicOwner);

} // namespace chimewell
