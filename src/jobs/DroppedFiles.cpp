#include "jobs/DroppedFiles.h"

#include <algorithm>
#include <filesystem>

namespace qm {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string Extension(const fs::path& path) { return ExtensionOf(Utf8(path.filename())); }

// A CD's inputs include every disc image a DVD takes.
bool IsImage(const fs::path& path) {
  const std::string name = Utf8(path.filename());
  return Fits(JobKind::Update, name) || Fits(JobKind::CreateCd, name);
}

FileChoice ChoiceOf(const fs::path& path) { return {Utf8(path.filename()), Utf8(path)}; }

void AddFolder(const fs::path& folder, std::vector<FileChoice>& images) {
  std::vector<fs::path> found;
  std::error_code ec;
  // Links to folders are not entered (no follow_directory_symlink).
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
    if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
    if (IsImage(it->path())) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  for (const fs::path& path : found) images.push_back(ChoiceOf(path));
}

}  // namespace

DroppedFiles CollectDropped(const std::vector<std::string>& paths) {
  DroppedFiles dropped;
  for (const std::string& text : paths) {
    const fs::path path = PathOf(text).make_preferred();
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || fs::is_symlink(status)) continue;
    if (fs::is_directory(status)) {
      AddFolder(path, dropped.images);
    } else if (fs::is_regular_file(status)) {
      if (IsImage(path)) dropped.images.push_back(ChoiceOf(path));
      if (Extension(path) == ".diff") dropped.diffs.push_back(ChoiceOf(path));
    }
  }
  return dropped;
}

std::vector<FileChoice> ImagesFor(JobKind kind, const DroppedFiles& dropped) {
  std::vector<FileChoice> taken;
  for (const FileChoice& image : dropped.images)
    if (Fits(kind, image.FileTitle)) taken.push_back(image);
  return taken;
}

}  // namespace qm
