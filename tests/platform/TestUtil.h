#pragma once
// Helpers shared by the platform tests: a temporary folder, script files and
// reading a child's output to its end.

#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/process.h"
#include "platform/processes.h"

namespace qm::test {

// A fresh folder under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/qm-platform-XXXXXX";
    if (!::mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
    path_ = name;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Single-quoted for /bin/sh.
inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Contents of a file; "<missing>" when it cannot be opened.
inline std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline ChildProcess Start(const std::string& script) {
  auto started = ChildProcess::Start(script);
  if (auto* error = std::get_if<std::string>(&started)) throw std::runtime_error(*error);
  return std::move(std::get<ChildProcess>(started));
}

// Writes `body` to DIR/run.sh and starts it.
inline ChildProcess StartScript(const TempDir& dir, const std::string& body) {
  WriteFile(dir / "run.sh", body);
  return Start(dir / "run.sh");
}

struct Collected {
  std::string output;
  std::vector<std::size_t> chunks;  // size of every Data read
  bool broken = false;              // false: the deadline passed first
};

// Reads in pieces of `size` until Broken or `totalMs` have passed.
inline Collected ReadToEnd(ChildProcess& child, std::size_t size = 256, int totalMs = 20000) {
  Collected c;
  std::vector<char> buffer(size);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(totalMs);
  while (std::chrono::steady_clock::now() < deadline) {
    const ReadResult r = child.Read(buffer.data(), size, 50);
    if (r.status == ReadStatus::Broken) {
      c.broken = true;
      break;
    }
    if (r.status == ReadStatus::Data) {
      c.output.append(buffer.data(), r.n);
      c.chunks.push_back(r.n);
    }
  }
  return c;
}

// Reads until the output holds `marker` (or the pipe breaks, or 10 s pass).
inline std::string ReadUntil(ChildProcess& child, const std::string& marker) {
  std::string output;
  char buffer[256];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (output.find(marker) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    const ReadResult r = child.Read(buffer, sizeof buffer, 50);
    if (r.status == ReadStatus::Broken) break;
    output.append(buffer, r.n);
  }
  return output;
}

inline std::vector<ProcessEntry> ChildrenOf(long pid) {
  std::vector<ProcessEntry> children;
  for (const ProcessEntry& e : ListProcesses())
    if (e.parentPid == pid) children.push_back(e);
  return children;
}

}  // namespace qm::test
