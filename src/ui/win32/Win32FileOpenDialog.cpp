#include "ui/win32/Win32FileOpenDialog.h"

#include <commdlg.h>

#include <vector>

#include "ui/win32/WindowText.h"

namespace qm {

std::string Win32FileOpenDialog::DialogFilter(std::string_view filter) {
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t bar = filter.find('|');
    fields.push_back(filter.substr(0, bar));
    if (bar == std::string_view::npos) break;
    filter.remove_prefix(bar + 1);
  }
  std::string dialog;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    dialog.append(fields[i]).push_back('\0');
    dialog.append(fields[i + 1]).push_back('\0');
  }
  dialog.push_back('\0');
  return dialog;
}

std::optional<FileChoice> Win32FileOpenDialog::Open(const OpenRequest& request) {
  const std::string filter = ToAnsi(DialogFilter(request.Filter));
  const std::string title = ToAnsi(request.DialogTitle);
  std::vector<char> path(32768, '\0');

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = title.c_str();
  // The process's current folder stays where it was.
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameA(&dialog)) return std::nullopt;  // cancelled: CommDlgExtendedError() is 0

  const std::string fileName(path.data());
  const std::size_t offset = dialog.nFileOffset < fileName.size() ? dialog.nFileOffset : 0;
  return FileChoice{FromAnsi(std::string_view(fileName).substr(offset)), FromAnsi(fileName)};
}

}  // namespace qm
