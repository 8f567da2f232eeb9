#include "platform/posix/proc.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace qm::proc {
namespace {

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

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

// "pid (comm) state ppid pgrp ...": comm may hold blanks and parentheses,
// so the fields after it are found from the last ')'.
std::optional<Stat> ReadStat(long pid) {
  const auto text = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (!text) return std::nullopt;
  const auto open = text->find('(');
  const auto close = text->rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  const char* rest = text->c_str() + close + 1;
  if (rest[0] != ' ' || rest[1] == '\0' || rest[2] != ' ') return std::nullopt;
  char* end = nullptr;
  const long ppid = std::strtol(rest + 3, &end, 10);
  if (end == rest + 3) return std::nullopt;
  const char* groupText = end;
  const long group = std::strtol(groupText, &end, 10);
  if (end == groupText) return std::nullopt;
  return Stat{rest[1], ppid, group, text->substr(open + 1, close - open - 1)};
}

std::vector<long> AllPids() {
  std::vector<long> pids;
  std::unique_ptr<DIR, DirCloser> dir(::opendir("/proc"));
  if (!dir) return pids;
  while (const dirent* e = ::readdir(dir.get())) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (end != e->d_name && *end == '\0' && pid > 0) pids.push_back(pid);
  }
  return pids;
}

std::vector<long> GroupMembers(long group) {
  std::vector<long> members;
  for (long pid : AllPids()) {
    const auto stat = ReadStat(pid);
    if (stat && stat->group == group && stat->state != 'Z' && stat->state != 'X') members.push_back(pid);
  }
  return members;
}

}  // namespace qm::proc
