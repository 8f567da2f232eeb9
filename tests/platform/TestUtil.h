#pragma once
// Helpers shared by the platform tests: a temporary folder, script files and
// reading a child's output to its end. Paths are UTF-8 strings, as the
// platform layer takes them, on both systems.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "Utf8Path.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/processes.h"

namespace qm::test {

// The full path, in the system's form, of a file the build names (the helper
// programs, the test binary). A cross-built test run under Wine gets the
// build tree's POSIX paths, which resolve on the current drive (Z:).
inline std::string BuiltFile(const char* path) {
  return Utf8(std::filesystem::absolute(std::filesystem::path(path)).make_preferred());
}

// A fresh folder of ours alone under the system's temporary folder, removed
// with everything in it.
class TempDir {
 public:
  TempDir() {
    namespace fs = std::filesystem;
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const fs::path candidate = base / ("qm-platform-" + std::to_string(random()));
      if (fs::create_directory(candidate)) {
        fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace);
        path_ = Utf8(candidate);
      }
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder");
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(PathOf(path_), ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The folder joined with `name` by the system's separator.
  std::string operator/(const std::string& name) const { return Utf8(PathOf(path_) / PathOf(name)); }

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
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Contents of a file; "<missing>" when it cannot be opened.
inline std::string ReadFileText(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) return "<missing>";
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline ChildProcess Start(const std::string& script) {
  auto started = ChildProcess::Start(script);
  if (auto* error = std::get_if<std::string>(&started)) throw std::runtime_error(*error);
  return std::move(std::get<ChildProcess>(started));
}

// Writes `body` to DIR/run.sh (run.bat on Windows) and starts it.
inline ChildProcess StartScript(const TempDir& dir, const std::string& body) {
  const std::string batch = BatchFileName();
  const std::string script = dir / ("run" + batch.substr(batch.rfind('.')));
  WriteFile(script, body);
  return Start(script);
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
