// The path functions in both forms on any text: they never crash; every
// result is a piece of the path it came from; ShortenPath keeps a path that
// fits, else gives one that fits or the fully shortened form, with the first
// and the last element untouched. On an ordinary path built from the input
// (a prefix, then separator and non-empty name, repeated), the folder, a
// separator and the file name give the path back, and the base names are
// the file name or path without its last extension.
//
// Input: the maximum length, a separator byte for building, then the text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "jobs/modMain.h"

namespace {

using qm::PathStyle;

char Sep(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

std::vector<std::string> Split(std::string_view path, char sep) {
  std::vector<std::string> parts{""};
  for (char c : path)
    if (c == sep) parts.emplace_back();
    else parts.back() += c;
  return parts;
}

// Every inner element replaced by "...": the shortest form ShortenPath knows.
std::string FullyShortened(std::string_view path, char sep) {
  const std::vector<std::string> parts = Split(path, sep);
  std::string joined = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) joined += sep + (i + 1 < parts.size() ? "..." : parts[i]);
  return joined;
}

void CheckAnyText(const std::string& path, int maxLength, PathStyle style) {
  for (const std::string& piece : {qm::GetFolder(path, style), qm::GetBaseName(path, true, style)})
    QM_FUZZ_CHECK(path.starts_with(piece));
  QM_FUZZ_CHECK(path.find(qm::GetBaseName(path, false, style)) != std::string::npos);

  const std::string shortened = qm::ShortenPath(path, maxLength, style);
  const auto fits = [maxLength](const std::string& text) {
    return maxLength >= 0 && qm::Utf8Length(text) <= static_cast<std::size_t>(maxLength);
  };
  QM_FUZZ_CHECK(!fits(path) || shortened == path);
  QM_FUZZ_CHECK(fits(shortened) || shortened == FullyShortened(path, Sep(style)));
  const std::vector<std::string> before = Split(path, Sep(style)), after = Split(shortened, Sep(style));
  QM_FUZZ_CHECK(after.size() == before.size() && after.front() == before.front() && after.back() == before.back());
}

// An ordinary path: a prefix (Windows: a drive, "\\server" or nothing; POSIX:
// "/" or nothing) and names free of separators, joined by the separator.
void CheckOrdinaryPath(std::string_view text, char splitAt, PathStyle style, std::uint8_t prefixKind) {
  const char sep = Sep(style);
  std::string path, file;
  for (const std::string& piece : Split(text, splitAt)) {
    std::string name;
    for (char c : piece)
      if (c != '\0' && c != sep && !(style == PathStyle::Windows && c == ':')) name += c;
    if (!name.empty()) path += sep + (file = name);
  }
  if (path.empty()) return;
  if (style == PathStyle::Windows && prefixKind % 3 == 0) path.insert(0, std::string(1, char('A' + prefixKind % 26)) + ":");
  if (style == PathStyle::Windows && prefixKind % 3 == 1) path.insert(0, "\\\\server");
  if (style == PathStyle::Posix && prefixKind % 2 == 0) path.erase(0, 1);  // relative
  if (path.find(sep) == std::string::npos) return;                        // a bare name

  const std::string folder = qm::GetFolder(path, style);
  const std::string joined = !folder.empty() && folder.back() == sep ? folder + file : folder + sep + file;
  QM_FUZZ_CHECK(joined == path);

  const std::string stem = file.substr(0, file.rfind('.'));  // all of it without a dot
  QM_FUZZ_CHECK(qm::GetBaseName(path, false, style) == stem);
  QM_FUZZ_CHECK(qm::GetBaseName(path, true, style) == path.substr(0, path.size() - (file.size() - stem.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int maxLength = in.ConsumeIntegralInRange<int>(-1, 120);
  const char splitAt = in.ConsumeIntegral<char>();
  const std::uint8_t prefixKind = in.ConsumeIntegral<std::uint8_t>();
  const std::string text = in.ConsumeRemainingBytesAsString();
  for (PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    CheckAnyText(text, maxLength, style);
    CheckOrdinaryPath(text, splitAt, style, prefixKind);
  }
  return 0;
}
