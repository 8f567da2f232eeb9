#include "jobs/modMain.h"

#include <vector>

namespace qm {
namespace {

bool IsSeparator(char c, PathStyle style) {
  return style == PathStyle::Windows ? (c == '\\' || c == ':') : c == '/';
}

char FolderSeparator(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

}  // namespace

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string GetBaseName(std::string_view path, bool fullPath, PathStyle style) {
  // 0-based translation of the scan: `dot` is the index one past the last
  // character before the extension's dot (0 = no dot seen), `start` is the
  // index of the file name's first character.
  std::size_t dot = 0;
  std::size_t start = 0;
  for (std::size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (c == '.') {
      if (fullPath) return std::string(path.substr(0, i));
      if (dot == 0) dot = i;
    } else if (IsSeparator(c, style)) {
      if (!fullPath) start = i + 1;
      break;
    }
  }
  if (dot != 0) return std::string(path.substr(start, dot - start));
  return start < path.size() ? std::string(path.substr(start)) : std::string();
}

std::string GetFolder(std::string_view path, PathStyle style) {
  for (std::size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (style == PathStyle::Windows) {
      if (c == ':') return std::string(path.substr(0, i + 1));
      if (c == '\\') return std::string(path.substr(0, i));
    } else if (c == '/') {
      return i == 0 ? std::string("/") : std::string(path.substr(0, i));
    }
  }
  return {};
}

std::string ShortenPath(std::string_view path, int maxLength, PathStyle style) {
  const auto fits = [maxLength](std::string_view text) {
    return maxLength >= 0 && Utf8Length(text) <= static_cast<std::size_t>(maxLength);
  };
  if (fits(path)) return std::string(path);

  const char sep = FolderSeparator(style);
  std::vector<std::string> elements;
  std::size_t from = 0;
  for (std::size_t at = path.find(sep); at != std::string_view::npos; at = path.find(sep, from)) {
    elements.emplace_back(path.substr(from, at - from));
    from = at + 1;
  }
  elements.emplace_back(path.substr(from));

  std::string joined(path);
  for (std::size_t i = 1; i + 1 < elements.size(); ++i) {
    elements[i] = "...";
    joined.clear();
    for (std::size_t k = 0; k < elements.size(); ++k) {
      if (k) joined += sep;
      joined += elements[k];
    }
    if (fits(joined)) return joined;
  }
  return joined;
}

}  // namespace qm
