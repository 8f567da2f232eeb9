#include "ui/win32/Win32FileOpenDialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/CodePage.h"
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

namespace qm {

std::vector<FileChoice> Win32FileOpenDialog::ParseSelection(std::wstring_view buffer) {
  std::vector<std::wstring_view> fields;
  while (!buffer.empty() && buffer.front() != L'\0') {
    const std::size_t end = buffer.find(L'\0');
    fields.push_back(buffer.substr(0, end));
    if (end == std::wstring_view::npos) break;
    buffer.remove_prefix(end + 1);
  }
  std::vector<FileChoice> chosen;
  if (fields.size() == 1) {
    const std::size_t slash = fields[0].find_last_of(L"\\/");
    const std::wstring_view name = slash == std::wstring_view::npos ? fields[0] : fields[0].substr(slash + 1);
    chosen.push_back({win32::Narrow(name), win32::Narrow(fields[0])});
    return chosen;
  }
  std::wstring folder(fields.empty() ? std::wstring_view() : fields[0]);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';  // a drive root keeps its one
  for (std::size_t i = 1; i < fields.size(); ++i)
    chosen.push_back({win32::Narrow(fields[i]), win32::Narrow(folder + std::wstring(fields[i]))});
  return chosen;
}

std::vector<FileChoice> Win32FileOpenDialog::OpenMany(const OpenRequest& request) {
  const std::string filterText = DialogFilter(request.Filter);
  const std::wstring filter = win32::Widen(filterText).value_or(L"");
  const std::wstring title = win32::Widen(request.DialogTitle).value_or(L"");
  // Room for some thousands of names at the longest path each.
  std::vector<wchar_t> buffer(1 << 20, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameW(&dialog)) return {};
  return ParseSelection(std::wstring_view(buffer.data(), buffer.size()));
}

}  // namespace qm
