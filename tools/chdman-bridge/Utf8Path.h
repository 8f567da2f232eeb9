#pragma once
// File names are UTF-8 text throughout the bridge; these convert them to and
// from std::filesystem paths (UTF-16 underneath on Windows).

#include <filesystem>
#include <string>
#include <string_view>

namespace qm::bridge {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace qm::bridge
