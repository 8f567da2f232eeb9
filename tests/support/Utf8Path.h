#pragma once
// The program keeps file names as UTF-8 strings on both systems; these turn
// them into paths and back without the narrow code page of Windows.

#include <filesystem>
#include <string>

namespace qm::test {

inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace qm::test
