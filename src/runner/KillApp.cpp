#include "runner/KillApp.h"

#include <algorithm>
#include <map>

namespace qm {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ImageNameMatches(std::string_view image, std::string_view name) {
  if (name.size() > image.size()) return false;
  const std::string_view tail = image.substr(image.size() - name.size());
  return std::equal(tail.begin(), tail.end(), name.begin(),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

std::vector<long> MatchingDescendants(const std::vector<ProcessEntry>& processes, long root,
                                      std::string_view name) {
  std::multimap<long, const ProcessEntry*> children;
  for (const ProcessEntry& p : processes) {
    if (p.pid != p.parentPid) children.emplace(p.parentPid, &p);
  }
  std::vector<long> matches;
  std::vector<long> pending{root};
  std::vector<long> seen{root};
  while (!pending.empty()) {
    const long parent = pending.back();
    pending.pop_back();
    const auto [first, last] = children.equal_range(parent);
    for (auto it = first; it != last; ++it) {
      const ProcessEntry& child = *it->second;
      // A recycled id could close a loop; visit each process once.
      if (std::find(seen.begin(), seen.end(), child.pid) != seen.end()) continue;
      seen.push_back(child.pid);
      pending.push_back(child.pid);
      if (ImageNameMatches(child.image, name)) matches.push_back(child.pid);
    }
  }
  return matches;
}

bool KillApp(std::string_view name) {
  const std::vector<long> targets = MatchingDescendants(ListProcesses(), CurrentProcessId(), name);
  for (long pid : targets) KillProcess(pid, 0);
  return !targets.empty();
}

}  // namespace qm
