#include "WorkFiles.h"

#include <fstream>
#include <string>

#include "Utf8Path.h"

namespace qm::bridge {
namespace {

constexpr std::string_view kMarker = ".setchs-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::string_view kChdMagic = "MComprHD";

// Only files the tool could have been writing are removed.
bool EmptyOrChd(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  char head[kChdMagic.size()] = {};
  in.read(head, sizeof head);
  const auto got = static_cast<std::size_t>(in.gcount());
  return got == 0 || (got == sizeof head && std::string_view(head, sizeof head) == kChdMagic);
}

}  // namespace

std::filesystem::path WorkFilePath(const std::filesystem::path& image, long pid, int n) {
  std::filesystem::path file = image;
  file += PathFromUtf8(std::string(kMarker) + std::to_string(pid) + '-' + std::to_string(n) + std::string(kSuffix));
  return file;
}

std::optional<long> WorkFileOwner(std::string_view name) {
  if (!name.ends_with(kSuffix)) return std::nullopt;
  name.remove_suffix(kSuffix.size());
  const std::size_t marker = name.rfind(kMarker);
  if (marker == std::string_view::npos || marker == 0) return std::nullopt;
  std::string_view tail = name.substr(marker + kMarker.size());  // "<pid>-<n>"
  const std::size_t dash = tail.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == tail.size() || dash > 9) return std::nullopt;
  long pid = 0;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const char c = tail[i];
    if (i == dash) continue;
    if (c < '0' || c > '9') return std::nullopt;
    if (i < dash) pid = pid * 10 + (c - '0');
  }
  return pid;
}

int RemoveStaleWorkFiles(const std::filesystem::path& folder, long ownPid,
                         const std::function<bool(long)>& running) {
  int removed = 0;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return 0;
  for (const auto& entry : it) {
    const std::optional<long> owner = WorkFileOwner(Utf8FromPath(entry.path().filename()));
    if (!owner || !entry.is_regular_file(ec)) continue;
    if (*owner != ownPid && running(*owner)) continue;
    if (EmptyOrChd(entry.path()) && std::filesystem::remove(entry.path(), ec)) ++removed;
  }
  return removed;
}

}  // namespace qm::bridge
