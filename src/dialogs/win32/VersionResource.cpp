#include "dialogs/win32/VersionResource.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/win32/WindowText.h"

namespace qm {

std::optional<VersionInfo> ExecutableVersion() {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!::GetFileVersionInfoA(path, 0, size, data.data())) return std::nullopt;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed) {
    return std::nullopt;
  }
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translation = nullptr;
  UINT translationSize = 0;
  if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &translationSize) ||
      translationSize < sizeof(Translation)) {
    return std::nullopt;
  }
  char key[64];
  std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\ProductName", translation->language,
                translation->codePage);
  char* product = nullptr;
  UINT productSize = 0;
  if (!::VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&product), &productSize) || !product) {
    return std::nullopt;
  }
  // The caption keeps a view of the name: one copy lives as long as the program.
  static std::string name;
  name = FromAnsi(product);
  return VersionInfo{name, static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                     static_cast<int>(LOWORD(fixed->dwFileVersionMS)),
                     static_cast<int>(HIWORD(fixed->dwFileVersionLS))};
}

}  // namespace qm
