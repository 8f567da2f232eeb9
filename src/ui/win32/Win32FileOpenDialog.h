#pragma once
// The file-open dialog of the Win32 windows, over GetOpenFileNameA.

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/FileOpenDialog.h"

namespace qm {

class Win32FileOpenDialog : public FileOpenDialog {
 public:
  // `owner` is the window the dialog is modal to (may be null).
  explicit Win32FileOpenDialog(HWND owner = nullptr) : owner_(owner) {}

  void SetOwner(HWND owner) { owner_ = owner; }

  // An existing file: FileTitle is its name with extension, FileName the full
  // path. nullopt when the user cancels (or the dialog cannot be shown).
  std::optional<FileChoice> Open(const OpenRequest& request) override;
  // Several existing files (GetOpenFileNameW, so any name comes back whole),
  // in the order the dialog lists them.
  std::vector<FileChoice> OpenMany(const OpenRequest& request) override;

  // The dialog's answer to a multiple selection: one full path, or a folder
  // and then names, each ended by a NUL and the list by one more.
  static std::vector<FileChoice> ParseSelection(std::wstring_view buffer);

  // "description|pattern[|description|pattern...]" in the dialog's form: every
  // field ended by a NUL, the list by one more. A last description without a
  // pattern is dropped.
  static std::string DialogFilter(std::string_view filter);

 private:
  HWND owner_;
};

}  // namespace qm
