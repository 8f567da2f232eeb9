#include "platform/processes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/posix/proc.h"

namespace qm {
namespace {

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The executable's file name; another user's process hides its exe link, so
// the command's first word and then comm stand in for it.
std::string ImageOf(long pid, const std::string& comm) {
  const std::string dir = "/proc/" + std::to_string(pid);
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink(dir + "/exe", ec);
  if (!ec && !exe.empty()) return exe.filename().string();
  if (auto cmdline = proc::ReadWholeFile(dir + "/cmdline"); cmdline && !cmdline->empty()) {
    const std::string first = cmdline->substr(0, cmdline->find('\0'));
    if (!first.empty()) return FileNameOf(first);
  }
  return comm;
}

bool IsPid(long pid) { return pid > 0 && static_cast<long>(static_cast<pid_t>(pid)) == pid; }

}  // namespace

Result<std::vector<ProcessEntry>> ListProcesses() {
  if (::access("/proc/self/stat", R_OK) != 0) return SystemError{"access", errno};
  std::vector<ProcessEntry> result;
  for (long pid : proc::AllPids()) {
    // A process may end meanwhile: it is simply left out.
    if (const auto stat = proc::ReadStat(pid)) result.push_back(ProcessEntry{pid, stat->parentPid, ImageOf(pid, stat->comm)});
  }
  return result;
}

long CurrentProcessId() { return static_cast<long>(::getpid()); }

// Signal 0 checks existence only; EPERM means it exists under another user.
bool ProcessRunning(long pid) {
  if (!IsPid(pid)) return false;
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
  const auto stat = proc::ReadStat(pid);
  return stat && stat->state != 'Z' && stat->state != 'X';
}

// pid 0 and negative pids name process groups (-1: every process we may
// signal), never one process, so they are refused.
Result<void> KillProcess(long pid, unsigned /*exitCode*/) {
  if (!IsPid(pid)) return SystemError{"kill", ESRCH};
  if (::kill(static_cast<pid_t>(pid), SIGKILL) != 0) return SystemError{"kill", errno};
  return {};
}

}  // namespace qm
