#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "FileCopy.h"
#include "platform/handle.h"

namespace qm::bridge {
namespace {

constexpr std::size_t kBlock = 8 << 20;  // between two progress reports

std::string Describe(const char* what, const std::string& name, int error) {
  return std::string(what) + " " + name + ": " + std::strerror(error);
}

// Copies at most `length` bytes at the descriptors' positions; -1 with errno.
ssize_t CopyRange(int in, int out, std::size_t length, std::vector<char>& buffer, bool& kernelCopy) {
#if defined(__linux__)
  if (kernelCopy) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, length, 0);
    if (n >= 0 || (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)) return n;
    kernelCopy = false;  // this pair of files does not take it: plain reads and writes
  }
#else
  kernelCopy = false;
#endif
  if (buffer.empty()) buffer.resize(kBlock);
  ssize_t got;
  do got = ::read(in, buffer.data(), std::min(length, buffer.size()));
  while (got < 0 && errno == EINTR);
  for (ssize_t written = 0; got > 0 && written < got;) {
    const ssize_t n = ::write(out, buffer.data() + written, static_cast<std::size_t>(got - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    written += n;
  }
  return got;
}

CopyOutcome Copy(int in, int out, const std::string& from, const std::string& to, const CopyProgress& progress) {
  struct stat st {};
  if (::fstat(in, &st) != 0) return {CopyEnd::Failed, Describe("cannot read", from, errno)};
  const auto total = static_cast<std::uint64_t>(st.st_size);
  if (!progress(0, total)) return {CopyEnd::Stopped, {}};
#if defined(FICLONE)
  if (::ioctl(out, FICLONE, in) == 0) return {progress(total, total) ? CopyEnd::Copied : CopyEnd::Stopped, {}};
#endif
  std::vector<char> buffer;
  bool kernelCopy = true;
  std::uint64_t done = 0;
  while (done < total) {
    std::size_t chunk = kBlock;
    if (total - done < chunk) chunk = static_cast<std::size_t>(total - done);
    const ssize_t n = CopyRange(in, out, chunk, buffer, kernelCopy);
    if (n < 0 && errno == EINTR) {
      if (!progress(done, total)) return {CopyEnd::Stopped, {}};
      continue;
    }
    if (n < 0) return {CopyEnd::Failed, Describe("cannot copy to", to, errno)};
    if (n == 0) return {CopyEnd::Failed, from + " ended before its size"};
    done += static_cast<std::uint64_t>(n);
    if (!progress(done, total)) return {CopyEnd::Stopped, {}};
  }
  return {CopyEnd::Copied, {}};
}

}  // namespace

CopyOutcome CopyToNewFile(const std::string& from, const std::string& to, const CopyProgress& progress) {
  UniqueHandle in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return {CopyEnd::Failed, Describe("cannot open", from, errno)};
  UniqueHandle out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!out.valid()) return {CopyEnd::Failed, Describe("cannot create", to, errno)};
  CopyOutcome outcome = Copy(in.get(), out.get(), from, to, progress);
  out.reset();
  if (outcome.end != CopyEnd::Copied) ::unlink(to.c_str());
  return outcome;
}

}  // namespace qm::bridge
