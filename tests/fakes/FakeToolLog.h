#pragma once
// Reader for the log that fake_chdman appends to when FAKE_CHDMAN_LOG is set:
// per run, argc and the process id in decimal, the working folder and each
// argv element, every field ended by a NUL byte, then "\n".

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qm::test {

struct FakeToolCall {
  long pid = 0;
  std::string cwd;
  std::vector<std::string> argv;  // argv[0] is the path the tool was started by
};

// The runs in the order logged; stops at the first incomplete record. An
// absent log gives no runs.
inline std::vector<FakeToolCall> ReadFakeToolLog(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<FakeToolCall> calls;
  std::size_t pos = 0;
  auto field = [&](std::string& out) {
    const auto end = log.find('\0', pos);
    if (end == std::string::npos) return false;
    out = log.substr(pos, end - pos);
    pos = end + 1;
    return true;
  };
  while (pos < log.size()) {
    std::string count, pid;
    FakeToolCall call;
    if (!field(count) || !field(pid) || !field(call.cwd)) break;
    call.pid = std::strtol(pid.c_str(), nullptr, 10);
    const long argc = std::strtol(count.c_str(), nullptr, 10);
    call.argv.resize(argc > 0 ? static_cast<std::size_t>(argc) : 0);
    bool complete = true;
    for (auto& arg : call.argv) complete = complete && field(arg);
    if (!complete || pos >= log.size() || log[pos] != '\n') break;
    ++pos;
    calls.push_back(std::move(call));
  }
  return calls;
}

}  // namespace qm::test
