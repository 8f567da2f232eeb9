#pragma once
// Reader for the log that fake_chdman appends to when FAKE_CHDMAN_LOG is set:
// per run, argc and the process id in decimal, the working folder and each
// argv element, every field ended by a NUL byte, then "\n".

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace qm::test {

struct FakeToolCall {
  long pid = 0;
  std::string cwd;
  std::vector<std::string> argv;  // argv[0] is the path the tool was started by
};

// The runs in the order logged; stops at the first incomplete record (one
// still being written). An absent log gives no runs.
inline std::vector<FakeToolCall> ReadFakeToolLog(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> fields;  // a record's "\n" starts the next one's first field
  for (std::string field; std::getline(in, field, '\0');) fields.push_back(field);
  std::vector<FakeToolCall> calls;
  for (std::size_t at = 0; at + 3 < fields.size();) {
    const std::size_t end = at + 3 + std::strtoul(fields[at].c_str(), nullptr, 10);  // strtoul skips the "\n"
    if (end >= fields.size() || fields[end].empty() || fields[end][0] != '\n') break;
    calls.push_back({std::strtol(fields[at + 1].c_str(), nullptr, 10), fields[at + 2],
                     {fields.begin() + at + 3, fields.begin() + end}});
    at = end;
  }
  return calls;
}

}  // namespace qm::test
