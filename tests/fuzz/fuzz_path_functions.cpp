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
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = path.find(sep, from)) != std::string_view::npos; from = at + 1)
    parts.emplace_back(path.substr(from, at - from));
  parts.emplace_back(path.substr(from));
  return parts;
}

// Every inner element replaced by "...": the shortest form ShortenPath knows.
std::string FullyShortened(std::string_view path, char sep) {
  std::vector<std::string> parts = Split(path, sep);
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) joined += sep;
    joined += (i > 0 && i + 1 < parts.size()) ? std::string("...") : parts[i];
  }
  return joined;
}

void CheckAnyText(const std::string& path, int maxLength, PathStyle style) {
  const std::string folder = qm::GetFolder(path, style);
  QM_FUZZ_CHECK(path.compare(0, folder.size(), folder) == 0);
  const std::string full = qm::GetBaseName(path, true, style);
  QM_FUZZ_CHECK(path.compare(0, full.size(), full) == 0);
  const std::string base = qm::GetBaseName(path, false, style);
  QM_FUZZ_CHECK(path.find(base) != std::string::npos);

  const std::string shortened = qm::ShortenPath(path, maxLength, style);
  const bool fits = maxLength >= 0 && qm::Utf8Length(path) <= static_cast<std::size_t>(maxLength);
  if (fits) {
    QM_FUZZ_CHECK(shortened == path);
    return;
  }
  const bool shortEnough = maxLength >= 0 && qm::Utf8Length(shortened) <= static_cast<std::size_t>(maxLength);
  QM_FUZZ_CHECK(shortEnough || shortened == FullyShortened(path, Sep(style)));
  const std::vector<std::string> before = Split(path, Sep(style)), after = Split(shortened, Sep(style));
  QM_FUZZ_CHECK(after.size() == before.size());
  QM_FUZZ_CHECK(after.front() == before.front() && after.back() == before.back());
}

// An ordinary path: a prefix (Windows: a drive, "\\server" or nothing; POSIX:
// "/" or nothing) and names free of separators, joined by the separator.
void CheckOrdinaryPath(std::string_view text, char splitAt, PathStyle style, std::uint8_t prefixKind) {
  const char sep = Sep(style);
  std::vector<std::string> names;
  for (std::string& piece : Split(text, splitAt)) {
    std::string name;
    for (char c : piece)
      if (c != '\0' && c != sep && !(style == PathStyle::Windows && c == ':')) name += c;
    if (!name.empty()) names.push_back(name);
  }
  if (names.empty()) return;
  std::string path;
  if (style == PathStyle::Windows) {
    if (prefixKind % 3 == 0) path = std::string(1, static_cast<char>('A' + prefixKind % 26)) + ":";
    if (prefixKind % 3 == 1) path = "\\\\server";
  }
  for (const std::string& name : names) path += sep + name;
  if (style == PathStyle::Posix && prefixKind % 2 == 0) path.erase(0, 1);  // relative
  if (path.find(sep) == std::string::npos) return;                        // a bare name

  const std::string& file = names.back();
  const std::string folder = qm::GetFolder(path, style);
  const std::string joined = !folder.empty() && folder.back() == sep ? folder + file : folder + sep + file;
  QM_FUZZ_CHECK(joined == path);

  const std::size_t dot = file.rfind('.');
  const std::string stem = dot == std::string::npos ? file : file.substr(0, dot);
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
