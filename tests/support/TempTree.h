#pragma once
// A throwaway folder tree for tests that run the real batch path: a program
// folder holding the fake tool under its real name, a data folder for images.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include "Utf8Path.h"

namespace qm::test {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The full path, in the system's form, of a file the build names (the helper
// programs). A cross-built test run under Wine gets the build tree's POSIX
// paths, which resolve on the current drive (Z:).
inline std::string BuiltFile(const char* path) { return Utf8(fs::absolute(fs::path(path)).make_preferred()); }

class TempTree {
 public:
  // A new folder of ours alone under the system's temporary folder.
  TempTree() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / ("quillmere-test-" + std::to_string(random()));
      if (fs::create_directory(candidate)) root_ = candidate;
    }
    if (root_.empty()) throw std::runtime_error("no temporary folder");
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(program());
    fs::create_directories(data());
    fs::create_directories(privateFolder());
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  fs::path root() const { return root_; }
  fs::path program() const { return root_ / "program folder"; }
  fs::path data() const { return root_ / "data"; }
  fs::path privateFolder() const { return root_ / "private"; }
  fs::path log() const { return root_ / "tool.log"; }

  // The fake tool copied (not linked: the process list must see the name)
  // into the program folder as `name`.
  void InstallTool(const std::string& fakeTool, const std::string& name = "chdman") const {
    CopyProgram(fakeTool, program() / PathOf(name));
  }

  // A helper program copied to `target`, runnable there.
  static void CopyProgram(const std::string& program, const fs::path& target) {
    fs::copy_file(program, target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_all);
  }

 private:
  fs::path root_;
};

}  // namespace qm::test
