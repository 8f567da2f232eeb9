#include "platform/processes.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace qm {
namespace {

// A file of a process that is ending can fail to read (ESRCH). istream::read
// turns that into badbit; an istreambuf_iterator would let the library's
// exception out and end the program.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[4096];
  do {
    in.read(buffer, sizeof buffer);
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  } while (in);
  if (in.bad()) return std::nullopt;
  return text;
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct StatFields {
  long parentPid;
  std::string comm;
};

// /proc/PID/stat is "pid (comm) state ppid ...". comm is the raw executable
// name and may hold blanks and parentheses, so the fields after it are found
// from the last ')'.
std::optional<StatFields> ParseStat(const std::string& stat) {
  const auto open = stat.find('(');
  const auto close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  const char* rest = stat.c_str() + close + 1;
  char* end = nullptr;
  // " S 1234 ...": skip the blank and the state letter.
  if (rest[0] != ' ' || rest[1] == '\0' || rest[2] != ' ') return std::nullopt;
  const long ppid = std::strtol(rest + 3, &end, 10);
  if (end == rest + 3) return std::nullopt;
  return StatFields{ppid, stat.substr(open + 1, close - open - 1)};
}

// The executable's file name; another user's process hides its exe link, so
// the command's first word and then comm stand in for it.
std::string ImageOf(const std::string& dir, const std::string& comm) {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink(dir + "/exe", ec);
  if (!ec && !exe.empty()) return exe.filename().string();
  if (auto cmdline = ReadWholeFile(dir + "/cmdline"); cmdline && !cmdline->empty()) {
    const std::string first = cmdline->substr(0, cmdline->find('\0'));
    if (!first.empty()) return FileNameOf(first);
  }
  return comm;
}

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> result;
  std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
  if (!proc) return result;
  while (const dirent* e = ::readdir(proc.get())) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (end == e->d_name || *end != '\0' || pid <= 0) continue;
    const std::string dir = std::string("/proc/") + e->d_name;
    // A process may end between readdir and here: it is simply left out.
    const auto stat = ReadWholeFile(dir + "/stat");
    if (!stat) continue;
    const auto fields = ParseStat(*stat);
    if (!fields) continue;
    result.push_back(ProcessEntry{pid, fields->parentPid, ImageOf(dir, fields->comm)});
  }
  return result;
}

long CurrentProcessId() { return static_cast<long>(::getpid()); }

// pid 0 and negative pids name process groups (-1: every process we may
// signal), never one process, so they are refused.
bool KillProcess(long pid, unsigned /*exitCode*/) {
  if (pid <= 0 || static_cast<long>(static_cast<pid_t>(pid)) != pid) return false;
  return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

}  // namespace qm
