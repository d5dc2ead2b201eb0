#pragma once
// The program's file choosers as Qt shows them, for installing with SetFileDialogFunction.

#include "platform/file_dialog.h"

#include <QString>

#include <memory>

class QFileDialog;
class QFileInfo;
class QWidget;

namespace chimewell {

// The desktop's open or save dialog, modal over the active window.
FileDialogFunction QtFileDialogFunction();

// The dialog a request shows, before it is shown. A save dialog asks no replace question.
std::unique_ptr<QFileDialog> MakeQtFileDialog(const FileDialogRequest& request, QWidget* parent = nullptr);

// The filter as Qt's file dialog takes it: "caption (*.a *.b);;caption (*)". A "*.*" becomes "*", because
// a file here need not have a dot in its name to be any file.
QString QtFileFilter(const std::string& filter);

// The 类型 column's word for a file: "文件夹", "MP3 文件", "文件".
QString FileTypeName(const QFileInfo& file);

} // namespace chimewell
