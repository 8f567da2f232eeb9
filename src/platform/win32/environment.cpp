#include "platform/environment.h"

#include <windows.h>

#include "platform/win32/CodePage.h"

namespace qm {

std::optional<std::string> GetEnvironment(const std::string& name) {
  const std::optional<std::wstring> wideName = win32::Widen(name);
  if (!wideName) return std::nullopt;
  const DWORD size = ::GetEnvironmentVariableW(wideName->c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD n = ::GetEnvironmentVariableW(wideName->c_str(), value.data(), size);
  if (n >= size) return std::nullopt;
  value.resize(n);
  return win32::Narrow(value);
}

void SetEnvironment(const std::string& name, const std::string& value) {
  const auto wideName = win32::Widen(name);
  const auto wideValue = win32::Widen(value);
  if (wideName && wideValue) ::SetEnvironmentVariableW(wideName->c_str(), wideValue->c_str());
}

char PathListSeparator() { return ';'; }

bool IsExecutableFile(const std::string& path) {
  const auto wide = win32::Widen(path);
  if (!wide) return false;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace qm
