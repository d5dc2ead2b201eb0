#pragma once
// The desktop actions as the running program does them. Only the program entry installs these; tests use
// the recording fake and reach nothing here but the pure translation of targets.

#include "platform/desktop_actions.h"

#include <QUrl>

#include <string>

namespace chimewell {

// The real actions: programs through QProcess without a shell, files and addresses through the desktop's
// URL handlers, power requests through the login manager, the beep of the application.
DesktopActions QtDesktopActions();

// What a reminder's open target means as a URL: a text with a scheme ("https://...", "mailto:...",
// "file:///...") stays as it is; a path (absolute, "~/...", "./...", or an existing file relative to the
// working folder) becomes a file URL; a bare host name with an optional path ("www.example.com/a")
// gets "http://"; anything else is taken as a file path. Blanks around the text are dropped, and blank text
// gives an invalid URL.
QUrl OpenTargetUrl(const std::string& target);

} // namespace chimewell
