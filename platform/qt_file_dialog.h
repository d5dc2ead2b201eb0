#pragma once
// The program's file choosers as Qt shows them, for installing with SetFileDialogFunction.

#include "platform/file_dialog.h"

#include <QString>

namespace chimewell {

// The desktop's open or save dialog, modal over the active window.
FileDialogFunction QtFileDialogFunction();

// The filter as Qt's file dialog takes it: "caption (*.a *.b);;caption (*)". A "*.*" becomes "*", because
// a file here need not have a dot in its name to be any file.
QString QtFileFilter(const std::string& filter);

} // namespace chimewell
