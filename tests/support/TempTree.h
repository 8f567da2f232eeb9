#pragma once
// A throwaway folder tree for tests that run the real batch path: a program
// folder holding the fake tool under its real name, a data folder for images.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qm::test {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class TempTree {
 public:
  TempTree() {
    std::string pattern = (fs::temp_directory_path() / "quillmere-test-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
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
    fs::copy_file(fakeTool, program() / name, fs::copy_options::overwrite_existing);
    fs::permissions(program() / name, fs::perms::owner_all);
  }

 private:
  fs::path root_;
};

}  // namespace qm::test
