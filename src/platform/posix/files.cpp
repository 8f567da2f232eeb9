#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace qm {
namespace {

SystemError Errno(const char* call) { return SystemError{call, errno}; }

// An existing folder that only this user can enter, or a new one made so.
// Refuses a symbolic link, anything not a folder, a folder of another user and
// one that others may read, write or enter.
Result<void> EnsurePrivateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) {
    // The umask may have taken bits the owner needs.
    if (::chmod(path.c_str(), 0700) != 0) return Errno("chmod");
  } else if (errno != EEXIST) {
    return Errno("mkdir");
  }
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return Errno("lstat");
  if (!S_ISDIR(st.st_mode)) return SystemError{"lstat", ENOTDIR};
  if (st.st_uid != ::geteuid() || (st.st_mode & 0077) != 0) return SystemError{"lstat", EACCES};
  return {};
}

Result<void> WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Errno("write");
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

std::string Joined(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path.append(name);
}

// A new file "STEM-PID-N.EXT" in `folder`, made exclusively (never through a
// link), owner-only, open for reading and writing.
Result<std::pair<std::string, UniqueHandle>> CreateFresh(const std::string& folder, std::string_view stem,
                                                        std::string_view extension) {
  const std::string prefix = Joined(folder, stem) + '-' + std::to_string(::getpid()) + '-';
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = prefix + std::to_string(++counter) + std::string(extension);
    UniqueHandle fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.valid()) return std::pair{std::move(path), std::move(fd)};
    if (errno != EEXIST) return Errno("open");
  }
  return SystemError{"open", EEXIST};
}

}  // namespace

std::string ExecutablePath() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.string();
}

std::string ProgramFolder() {
  const std::filesystem::path exe = ExecutablePath();
  if (exe.empty()) return std::string();
  // The folder part is unaffected by the " (deleted)" the kernel appends to
  // the file name of a replaced executable.
  std::string folder = exe.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string ToolFileName() { return "chdman"; }
std::string BridgeFileName() { return QUILLMERE_BRIDGE_NAME; }
std::string BatchFileName() { return "automate.sh"; }

bool FileExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

Result<void> RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return Errno("unlink");
  return {};
}

// renameat2 with RENAME_NOREPLACE decides in one step; where the file system
// refuses the flag, the check and the rename are two.
Result<void> RenameFile(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS) return Errno("rename");
  if (FileExists(to)) return SystemError{"rename", EEXIST};
  if (::rename(from.c_str(), to.c_str()) != 0) return Errno("rename");
  return {};
}

Result<void> ReplaceAtomically(const std::string& path, std::string_view bytes) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto fresh = CreateFresh(folder, "." + name, ".new");
  if (!fresh) return fresh.error();
  auto& [temp, fd] = *fresh;
  Result<void> written = WriteAll(fd.get(), bytes);
  fd.reset();
  if (written && ::rename(temp.c_str(), path.c_str()) != 0) written = Errno("rename");
  if (!written) ::unlink(temp.c_str());
  return written;
}

Result<std::string> PrivateFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
    // The runtime folder itself must be ours alone, or what we put in it is not.
    struct stat st;
    if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 0077) == 0) {
      const std::string folder = Joined(runtime, "quillmere");
      if (EnsurePrivateFolder(folder)) return folder + '/';
    }
  }
  const std::string folder = "/tmp/quillmere-" + std::to_string(::geteuid());
  if (Result<void> made = EnsurePrivateFolder(folder); !made) return made.error();
  return folder + '/';
}

std::optional<std::string> EncodeBatchText(const std::string& utf8) { return utf8; }

Result<ScriptFile> ScriptFile::Create(const std::string& folder, std::string_view stem, std::string_view extension,
                                      std::string_view bytes) {
  auto fresh = CreateFresh(folder, stem, extension);
  if (!fresh) return fresh.error();
  ScriptFile script(std::move(fresh->first), std::move(fresh->second));
  if (Result<void> written = WriteAll(script.handle(), bytes); !written) return written.error();
  if (::lseek(script.handle(), 0, SEEK_SET) != 0) return Errno("lseek");
  return script;
}

void ScriptFile::Remove() {
  if (!file_.valid()) return;
  file_.reset();
  ::unlink(path_.c_str());
}

}  // namespace qm
