// Files and folders: writing the batch file safely, existence and removal,
// the private folder and the program folder.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "TestUtil.h"
#include "platform/files.h"
#include "platform/handle.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// --- WriteTextFile ----------------------------------------------------------

enum class AtPath { Nothing, LongerFile, WideOpenFile, LinkToFile, DanglingLink, Folder, Fifo,
                    HardLinkedFile, MissingParent };

struct WriteCase {
  const char* name;
  AtPath before;
  bool succeeds;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class WriteText : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteText, ReplacesOrRefuses) {
  const WriteCase& c = GetParam();
  TempDir dir;
  std::string path = dir / "automate.sh";
  const std::string other = dir / "other";
  const std::string oldText = "old text that is longer than the new text\n";
  WriteFile(other, oldText);
  switch (c.before) {
    case AtPath::Nothing: break;
    case AtPath::LongerFile: WriteFile(path, oldText); break;
    case AtPath::WideOpenFile: WriteFile(path, oldText); ::chmod(path.c_str(), 0666); break;
    case AtPath::LinkToFile: fs::create_symlink(other, path); break;
    case AtPath::DanglingLink: fs::create_symlink(dir / "nowhere", path); break;
    case AtPath::Folder: fs::create_directory(path); break;
    case AtPath::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case AtPath::HardLinkedFile: fs::create_hard_link(other, path); break;
    case AtPath::MissingParent: path = dir / "no such folder/automate.sh"; break;
  }
  // Bytes as given: CR LF, a NUL, non-ASCII.
  const std::string text("cd 'x'\r\necho \xc3\xa8\n\0tail", 21);

  const auto start = std::chrono::steady_clock::now();
  const std::string error = WriteTextFile(path, text);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  if (c.succeeds) {
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadFileText(path), text);
    EXPECT_EQ(ModeOf(path), 0600u);
  } else {
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
  // Whatever happened, nothing reachable through a link was written.
  EXPECT_EQ(ReadFileText(other), oldText);
  EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteText,
    ::testing::Values(WriteCase{"New", AtPath::Nothing, true},
                      WriteCase{"ReplacesLongerFile", AtPath::LongerFile, true},
                      WriteCase{"TightensRights", AtPath::WideOpenFile, true},
                      WriteCase{"RefusesLink", AtPath::LinkToFile, false},
                      WriteCase{"RefusesDanglingLink", AtPath::DanglingLink, false},
                      WriteCase{"RefusesFolder", AtPath::Folder, false},
                      WriteCase{"RefusesFifoWithoutWaiting", AtPath::Fifo, false},
                      WriteCase{"RefusesHardLinkedFile", AtPath::HardLinkedFile, false},
                      WriteCase{"MissingParent", AtPath::MissingParent, false}),
    [](const auto& info) { return std::string(info.param.name); });

// --- FileExists and RemoveFile ----------------------------------------------

struct EntryCase {
  const char* name;
  AtPath at;
  bool exists;
  bool removed;
};
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class Entry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Entry, ExistsAndRemove) {
  const EntryCase& c = GetParam();
  TempDir dir;
  const std::string path = dir / "game.old";
  WriteFile(dir / "target", "keep");
  switch (c.at) {
    case AtPath::LongerFile: WriteFile(path, "x"); break;
    case AtPath::LinkToFile: fs::create_symlink(dir / "target", path); break;
    case AtPath::DanglingLink: fs::create_symlink(dir / "nowhere", path); break;
    case AtPath::Folder: fs::create_directory(path); break;
    default: break;
  }
  EXPECT_EQ(FileExists(path), c.exists);
  EXPECT_EQ(RemoveFile(path), c.removed);
  EXPECT_EQ(FileExists(path), c.exists && !c.removed);
  EXPECT_EQ(ReadFileText(dir / "target"), "keep");
}

INSTANTIATE_TEST_SUITE_P(Cases, Entry,
                         ::testing::Values(EntryCase{"File", AtPath::LongerFile, true, true},
                                           EntryCase{"Link", AtPath::LinkToFile, true, true},
                                           EntryCase{"DanglingLink", AtPath::DanglingLink, true, true},
                                           EntryCase{"Folder", AtPath::Folder, true, false},
                                           EntryCase{"Missing", AtPath::Nothing, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- PrivateFolder ----------------------------------------------------------

// Sets XDG_RUNTIME_DIR for one test and puts the old value back.
class RuntimeDirOverride {
 public:
  explicit RuntimeDirOverride(const char* value) {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) old_ = old;
    if (value) ::setenv("XDG_RUNTIME_DIR", value, 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
  }
  ~RuntimeDirOverride() {
    if (old_) ::setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
  }

 private:
  std::optional<std::string> old_;
};

enum class Runtime { Unset, Relative, OpenToOthers, Private };
enum class Inside { Nothing, PrivateFolder, OpenFolder, LinkToPrivateFolder, File };

struct PrivateCase {
  const char* name;
  Runtime runtime;
  Inside inside;  // what $XDG_RUNTIME_DIR/quillmere is beforehand
  bool usesRuntime;
};
void PrintTo(const PrivateCase& c, std::ostream* os) { *os << c.name; }

class Private : public ::testing::TestWithParam<PrivateCase> {};

TEST_P(Private, UsesOnlyAFolderOfOursAlone) {
  const PrivateCase& c = GetParam();
  TempDir dir;
  const std::string runtime = dir / "run";
  fs::create_directory(runtime);
  ::chmod(runtime.c_str(), c.runtime == Runtime::OpenToOthers ? 0755 : 0700);
  const std::string inside = runtime + "/quillmere";
  const std::string elsewhere = dir / "elsewhere";
  switch (c.inside) {
    case Inside::Nothing: break;
    case Inside::PrivateFolder: fs::create_directory(inside); ::chmod(inside.c_str(), 0700); break;
    case Inside::OpenFolder: fs::create_directory(inside); ::chmod(inside.c_str(), 0750); break;
    case Inside::LinkToPrivateFolder:
      fs::create_directory(elsewhere);
      ::chmod(elsewhere.c_str(), 0700);
      fs::create_directory_symlink(elsewhere, inside);
      break;
    case Inside::File: WriteFile(inside, ""); break;
  }
  const char* value = c.runtime == Runtime::Unset      ? nullptr
                      : c.runtime == Runtime::Relative ? "relative/run"
                                                       : runtime.c_str();
  std::string folder;
  {
    RuntimeDirOverride env(value);
    folder = PrivateFolder();
  }

  if (c.usesRuntime) {
    EXPECT_EQ(folder, inside + "/");
  } else {
    EXPECT_NE(folder, inside + "/");
    EXPECT_EQ(folder.find(dir.path()), std::string::npos) << folder;
  }
  // Any folder handed out is a real folder of ours, closed to others.
  if (!folder.empty()) {
    EXPECT_EQ(folder.back(), '/');
    struct stat st;
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 0077, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Private,
    ::testing::Values(PrivateCase{"Created", Runtime::Private, Inside::Nothing, true},
                      PrivateCase{"Existing", Runtime::Private, Inside::PrivateFolder, true},
                      PrivateCase{"OpenFolderRefused", Runtime::Private, Inside::OpenFolder, false},
                      PrivateCase{"LinkRefused", Runtime::Private, Inside::LinkToPrivateFolder, false},
                      PrivateCase{"FileRefused", Runtime::Private, Inside::File, false},
                      PrivateCase{"RuntimeOpenToOthers", Runtime::OpenToOthers, Inside::Nothing, false},
                      PrivateCase{"RuntimeRelative", Runtime::Relative, Inside::Nothing, false},
                      PrivateCase{"RuntimeUnset", Runtime::Unset, Inside::Nothing, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Private, CreatedOwnerOnlyWhateverTheUmask) {
  TempDir dir;
  const std::string runtime = dir / "run";
  fs::create_directory(runtime);
  ::chmod(runtime.c_str(), 0700);
  const mode_t old = ::umask(0277);
  std::string folder;
  {
    RuntimeDirOverride env(runtime.c_str());
    folder = PrivateFolder();
  }
  ::umask(old);
  EXPECT_EQ(folder, runtime + "/quillmere/");
  EXPECT_EQ(ModeOf(runtime + "/quillmere"), 0700u);
}

// --- ProgramFolder ----------------------------------------------------------

TEST(ProgramFolder, IsTheExecutablesFolder) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_NE(folder.substr(0, folder.size() - 1).back(), '/');
  EXPECT_EQ(fs::canonical(folder), fs::canonical(fs::path(QM_TEST_BINARY).parent_path()));
}

// --- UniqueHandle -----------------------------------------------------------

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(UniqueHandle, ClosesExactlyWhatItOwns) {
  const int a = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int b = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  {
    UniqueHandle h(a);
    EXPECT_TRUE(h.valid());
    UniqueHandle moved(std::move(h));
    EXPECT_FALSE(h.valid());
    EXPECT_EQ(moved.get(), a);
    moved.reset(b);  // closes a, owns b
    EXPECT_FALSE(IsOpen(a));
    EXPECT_TRUE(IsOpen(b));
    moved = UniqueHandle();  // closes b
    EXPECT_FALSE(IsOpen(b));
  }
  const int c = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(c, 0);
  {
    UniqueHandle h(c);
    EXPECT_EQ(h.release(), c);
    EXPECT_FALSE(h.valid());
  }
  EXPECT_TRUE(IsOpen(c)) << "a released descriptor is the caller's";
  UniqueHandle(c).reset();
  EXPECT_FALSE(IsOpen(c));
}

}  // namespace
}  // namespace qm::test
