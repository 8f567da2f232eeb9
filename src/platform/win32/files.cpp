#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/CodePage.h"

// File names go to the wide (UTF-16) functions: every name the user can pick
// works, whatever the ANSI code page holds.

namespace qm {
namespace {

SystemError LastError(const char* call) { return SystemError{call, static_cast<long>(::GetLastError())}; }

Result<std::wstring> Wide(const std::string& path) {
  std::optional<std::wstring> wide = win32::Widen(path);
  if (!wide || wide->empty()) return SystemError{"MultiByteToWideChar", ERROR_INVALID_NAME};
  return std::move(*wide);
}

// A folder that exists as a real folder, not a link or junction to one.
bool IsPlainFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

Result<void> WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD ask = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), ask, &written, nullptr)) return LastError("WriteFile");
    bytes.remove_prefix(written);
  }
  return {};
}

std::string Joined(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path.append(name);
}

// A new file "STEM-PID-N.EXT" in `folder` (CREATE_NEW: never an existing
// name, never through a link), open for writing and shared with nobody.
Result<std::pair<std::string, UniqueHandle>> CreateFresh(const std::string& folder, std::string_view stem,
                                                        std::string_view extension) {
  const std::string prefix = Joined(folder, stem) + '-' + std::to_string(::GetCurrentProcessId()) + '-';
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = prefix + std::to_string(++counter) + std::string(extension);
    Result<std::wstring> wide = Wide(path);
    if (!wide) return wide.error();
    UniqueHandle file(::CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (file.valid()) return std::pair{std::move(path), std::move(file)};
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      return LastError("CreateFileW");
    }
  }
  return SystemError{"CreateFileW", ERROR_FILE_EXISTS};
}

}  // namespace

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) return win32::Narrow(std::wstring_view(path.data(), n));
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
}

std::string ProgramFolder() {
  std::string folder = ExecutablePath();
  const std::size_t slash = folder.find_last_of("\\/");
  if (slash == std::string::npos) return std::string();
  // Cut after the separator: "C:\quillmere.exe" gives "C:\", one backslash.
  folder.resize(slash + 1);
  if (folder.back() == '/') folder.back() = '\\';
  return folder;
}

std::string ToolFileName() { return "chdman.exe"; }
std::string BridgeFileName() { return QUILLMERE_BRIDGE_NAME ".exe"; }
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

Result<void> RemoveFile(const std::string& path) {
  Result<std::wstring> wide = Wide(path);
  if (!wide) return wide.error();
  if (!::DeleteFileW(wide->c_str())) return LastError("DeleteFileW");
  return {};
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses an existing target.
Result<void> RenameFile(const std::string& from, const std::string& to) {
  Result<std::wstring> wideFrom = Wide(from);
  Result<std::wstring> wideTo = Wide(to);
  if (!wideFrom) return wideFrom.error();
  if (!wideTo) return wideTo.error();
  if (!::MoveFileExW(wideFrom->c_str(), wideTo->c_str(), 0)) return LastError("MoveFileExW");
  return {};
}

Result<void> ReplaceAtomically(const std::string& path, std::string_view bytes) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto fresh = CreateFresh(folder, name, ".new");
  if (!fresh) return fresh.error();
  auto& [temp, file] = *fresh;
  Result<void> written = WriteAll(file.get(), bytes);
  file.reset();
  Result<std::wstring> wideTemp = Wide(temp);
  Result<std::wstring> widePath = Wide(path);
  if (written && wideTemp && widePath &&
      !::MoveFileExW(wideTemp->c_str(), widePath->c_str(), MOVEFILE_REPLACE_EXISTING)) {
    written = LastError("MoveFileExW");
  }
  if (!written && wideTemp) ::DeleteFileW(wideTemp->c_str());
  return written;
}

// %LOCALAPPDATA%\Quillmere\: the per-user folder is closed to other users by
// its inherited rights; one that turns out to be a link is refused.
Result<std::string> PrivateFolder() {
  wchar_t base[MAX_PATH] = {};
  const HRESULT found =
      ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base);
  if (FAILED(found)) return SystemError{"SHGetFolderPathW", static_cast<long>(found)};
  std::wstring folder = base;
  if (folder.empty()) return SystemError{"SHGetFolderPathW", ERROR_PATH_NOT_FOUND};
  if (folder.back() != L'\\') folder += L'\\';
  folder += L"Quillmere";
  if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return LastError("CreateDirectoryW");
  }
  if (!IsPlainFolder(folder)) return SystemError{"GetFileAttributesW", ERROR_DIRECTORY};
  return win32::Narrow(folder) + '\\';
}

// cmd.exe reads a batch file in the OEM code page (850 on an Italian system),
// not the ANSI one (1252): "città" written in ANSI would name another file.
std::optional<std::string> EncodeBatchText(const std::string& utf8) { return win32::ToCodePage(utf8, CP_OEMCP); }

// Written, closed, and opened again for reading with only readers shared:
// from then on nobody may write, rename or delete it while cmd.exe reads it
// as it goes. What was read back through the held handle is what runs.
Result<ScriptFile> ScriptFile::Create(const std::string& folder, std::string_view stem, std::string_view extension,
                                      std::string_view bytes) {
  auto fresh = CreateFresh(folder, stem, extension);
  if (!fresh) return fresh.error();
  auto& [path, file] = *fresh;
  Result<void> written = WriteAll(file.get(), bytes);
  file.reset();
  Result<std::wstring> wide = Wide(path);
  if (!written || !wide) {
    if (wide) ::DeleteFileW(wide->c_str());
    return written ? wide.error() : written.error();
  }
  UniqueHandle held(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!held.valid()) {
    const SystemError error = LastError("CreateFileW");
    ::DeleteFileW(wide->c_str());
    return error;
  }
  ScriptFile script(path, std::move(held));
  std::string back(bytes.size() + 1, '\0');
  DWORD n = 0;
  if (!::ReadFile(script.handle(), back.data(), static_cast<DWORD>(back.size()), &n, nullptr)) {
    return LastError("ReadFile");
  }
  if (std::string_view(back.data(), n) != bytes) return SystemError{"ReadFile", ERROR_FILE_INVALID};
  return script;
}

// The handle goes first: a file held denying deleters cannot be deleted.
void ScriptFile::Remove() {
  if (!file_.valid()) return;
  file_.reset();
  if (const std::optional<std::wstring> wide = win32::Widen(path_)) ::DeleteFileW(wide->c_str());
}

}  // namespace qm
