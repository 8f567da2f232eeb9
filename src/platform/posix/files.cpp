#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/handle.h"

namespace qm {
namespace {

std::string Failure(const std::string& path, int error) {
  return path + ": " + std::generic_category().message(error);
}

std::string Failure(const std::string& path, const char* why) { return path + ": " + why; }

// An existing folder that only this user can enter, or a new one made so.
// Refuses a symbolic link, anything not a folder, a folder of another user and
// one that others may read, write or enter.
bool EnsurePrivateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) {
    // The umask may have taken bits the owner needs.
    if (::chmod(path.c_str(), 0700) != 0) return false;
  } else if (errno != EEXIST) {
    return false;
  }
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return std::string();
  // The folder part is unaffected by the " (deleted)" the kernel appends to
  // the file name of a replaced executable.
  std::string folder = exe.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string ToolFileName() { return "chdman"; }
std::string BatchFileName() { return "automate.sh"; }

// A dangling symbolic link counts as existing: the name is taken.
bool FileExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return !FileExists(to) && ::rename(from.c_str(), to.c_str()) == 0;
}

// The file ends up a regular file of ours with rights 0600, so no other user
// can change the script between writing and running it. It is checked before
// it is truncated: a symbolic link, a FIFO (O_NONBLOCK keeps open from
// waiting for a reader), a device, another user's file and a file with a
// second hard link are left untouched.
std::string WriteTextFile(const std::string& path, const std::string& text) {
  UniqueHandle fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
  if (!fd.valid()) return Failure(path, errno);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return Failure(path, errno);
  if (!S_ISREG(st.st_mode)) return Failure(path, "not a regular file");
  if (st.st_uid != ::geteuid()) return Failure(path, "owned by another user");
  if (st.st_nlink > 1) return Failure(path, "has other hard links");
  if ((st.st_mode & 07777) != 0600 && ::fchmod(fd.get(), 0600) != 0) return Failure(path, errno);
  if (::ftruncate(fd.get(), 0) != 0) return Failure(path, errno);

  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd.get(), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failure(path, errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return std::string();
}

std::string PrivateFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
    // The runtime folder itself must be ours alone, or what we put in it is not.
    struct stat st;
    if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 0077) == 0) {
      std::string folder = std::string(runtime);
      if (folder.back() != '/') folder += '/';
      folder += "quillmere";
      if (EnsurePrivateFolder(folder)) return folder + '/';
    }
  }
  const std::string folder = "/tmp/quillmere-" + std::to_string(::geteuid());
  if (EnsurePrivateFolder(folder)) return folder + '/';
  return std::string();
}

std::optional<std::string> EncodeBatchText(const std::string& utf8) { return utf8; }

}  // namespace qm
