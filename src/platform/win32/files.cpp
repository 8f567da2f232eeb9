#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>

#include "platform/handle.h"
#include "platform/win32/CodePage.h"

// File names go to the wide (UTF-16) functions: every name the user can pick
// works, whatever the ANSI code page holds.

namespace qm {
namespace {

std::string Failure(const std::string& path, const std::string& why) { return path + ": " + why; }

std::string Failure(const std::string& path, DWORD error) { return Failure(path, win32::ErrorText(error)); }

// A folder that exists as a real folder, not a link or junction to one.
bool IsPlainFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::string();
  // Cut after the separator: "C:\quillmere.exe" gives "C:\", one backslash.
  std::wstring folder = path.substr(0, slash + 1);
  if (folder.back() == L'/') folder.back() = L'\\';
  return win32::Narrow(folder);
}

std::string ToolFileName() { return "chdman.exe"; }
std::string BatchFileName() { return "automate.bat"; }

// A name that is there but cannot be looked at (in use, no access) counts as
// taken, as does a link whose target is gone.
bool FileExists(const std::string& path) {
  const std::optional<std::wstring> wide = win32::Widen(path);
  if (!wide || wide->empty()) return false;
  if (::GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

bool RemoveFile(const std::string& path) {
  const std::optional<std::wstring> wide = win32::Widen(path);
  return wide && !wide->empty() && ::DeleteFileW(wide->c_str()) != 0;
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses an existing target.
bool RenameFile(const std::string& from, const std::string& to) {
  const std::optional<std::wstring> wideFrom = win32::Widen(from);
  const std::optional<std::wstring> wideTo = win32::Widen(to);
  return wideFrom && wideTo && !wideFrom->empty() && !wideTo->empty() &&
         ::MoveFileExW(wideFrom->c_str(), wideTo->c_str(), 0) != 0;
}

// Opened without following a link and without truncating; the open file is
// checked first and only then emptied and written: a link, a junction, a
// folder, a device (NUL, CON) and a file with other hard links are left as
// they are.
std::string WriteTextFile(const std::string& path, const std::string& text) {
  const std::optional<std::wstring> wide = win32::Widen(path);
  if (!wide || wide->empty()) return Failure(path, "name not valid");
  UniqueHandle file(::CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return Failure(path, ::GetLastError());
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return Failure(path, "not a regular file");
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return Failure(path, ::GetLastError());
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
    return Failure(path, "a link or a folder");
  }
  if (info.nNumberOfLinks > 1) return Failure(path, "has other hard links");
  if (!::SetEndOfFile(file.get())) return Failure(path, ::GetLastError());

  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const DWORD ask = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!::WriteFile(file.get(), p, ask, &written, nullptr)) return Failure(path, ::GetLastError());
    p += written;
    left -= written;
  }
  return std::string();
}

// %LOCALAPPDATA%\Quillmere\: the per-user folder is closed to other users by
// its inherited rights; one that turns out to be a link is refused.
std::string PrivateFolder() {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base))) {
    return std::string();
  }
  std::wstring folder = base;
  if (folder.empty()) return std::string();
  if (folder.back() != L'\\') folder += L'\\';
  folder += L"Quillmere";
  if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  if (!IsPlainFolder(folder)) return std::string();
  return win32::Narrow(folder) + '\\';
}

// cmd.exe reads a batch file in the OEM code page (850 on an Italian system),
// not the ANSI one (1252): "città" written in ANSI would name another file.
std::optional<std::string> EncodeBatchText(const std::string& utf8) { return win32::ToCodePage(utf8, CP_OEMCP); }

}  // namespace qm
