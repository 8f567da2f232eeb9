#include "runner/KillApp.h"

#include <algorithm>

#include "platform/processes.h"

namespace qm {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Exit code of a tool ended here: never the 0 of success.
constexpr unsigned kKilledExitCode = 128 + 9;

}  // namespace

bool ImageNameMatches(std::string_view image, std::string_view name) {
  if (name.size() > image.size()) return false;
  const std::string_view tail = image.substr(image.size() - name.size());
  return std::equal(tail.begin(), tail.end(), name.begin(),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

bool KillApp(const ChildProcess& job, std::string_view name) {
  const std::vector<long> members = job.UnitMembers();
  if (members.empty()) return false;
  const auto processes = ListProcesses();
  if (!processes) return false;
  bool matched = false;
  for (const ProcessEntry& p : *processes) {
    if (std::find(members.begin(), members.end(), p.pid) == members.end() || !ImageNameMatches(p.image, name)) {
      continue;
    }
    matched = true;
    (void)KillProcess(p.pid, kKilledExitCode);  // one that ended meanwhile needs nothing more
  }
  return matched;
}

}  // namespace qm
