#pragma once
// The file-open dialog of the Qt windows, over QFileDialog.

#include <QString>
#include <string_view>

#include "ui/FileOpenDialog.h"

class QWidget;

namespace qm {

class QtFileOpenDialog : public FileOpenDialog {
 public:
  // `parent` is the window the dialog is modal to; it must outlive this object.
  explicit QtFileOpenDialog(QWidget* parent = nullptr) : parent_(parent) {}

  // FileTitle is the name with extension; FileName the full path in native form.
  std::optional<FileChoice> Open(const OpenRequest& request) override;
  std::vector<FileChoice> OpenMany(const OpenRequest& request) override;

  // "description|pattern[|description|pattern...]" in Qt's form
  // "description (pattern)" joined by ";;"; ";" between patterns becomes a blank.
  static QString QtFilter(std::string_view filter);
  static FileChoice ChoiceOf(const QString& path);

 private:
  QWidget* parent_;
};

}  // namespace qm
