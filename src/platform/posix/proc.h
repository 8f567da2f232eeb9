#pragma once
// Reading /proc, private to the POSIX platform files.

#include <optional>
#include <string>
#include <vector>

namespace qm::proc {

struct Stat {
  char state;  // 'R', 'S', ...; 'Z' and 'X' have ended
  long parentPid;
  long group;
  std::string comm;
};

// The fields of /proc/PID/stat; nullopt for a process that has gone.
std::optional<Stat> ReadStat(long pid);

// Every process id in /proc.
std::vector<long> AllPids();

// The ids of the live (not zombie) members of process group `group`.
std::vector<long> GroupMembers(long group);

// A whole file of /proc; nullopt when it cannot be read to its end.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace qm::proc
