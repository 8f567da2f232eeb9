#pragma once
// What the end-to-end tests need of the system beyond the platform layer:
// environment variables for the fake tool, and a program started outside this
// process's tree. The one test header where the two systems are written apart.

#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "TempTree.h"
#include "Utf8Path.h"

namespace qm::test {

// Set for this process and every child started after.
inline void SetEnv(const std::string& name, const std::string& value) {
#if defined(_WIN32)
  ::_putenv_s(name.c_str(), value.c_str());
#else
  ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnv(const std::string& name) {
#if defined(_WIN32)
  ::_putenv_s(name.c_str(), "");  // an empty value removes the variable
#else
  ::unsetenv(name.c_str());
#endif
}

// Starts the sleeper `program` with `seconds` through the system's shell,
// which returns at once: the sleeper runs on with a parent that has ended,
// so it is no descendant of this process. Returns its process id, which it
// writes to `pidFile` (FAKE_SLEEPER_PID_FILE), or -1 after 10 s without it.
inline long StartOrphan(const std::filesystem::path& program, int seconds, const std::filesystem::path& pidFile) {
  SetEnv("FAKE_SLEEPER_PID_FILE", Utf8(pidFile));
#if defined(_WIN32)
  const std::string command = "start \"\" /b \"" + Utf8(program) + "\" " + std::to_string(seconds) + " >NUL 2>&1";
#else
  const std::string command = "'" + Utf8(program) + "' " + std::to_string(seconds) + " >/dev/null 2>&1 &";
#endif
  const int status = std::system(command.c_str());
  UnsetEnv("FAKE_SLEEPER_PID_FILE");
  if (status != 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (std::filesystem::exists(pidFile)) return std::stol(ReadAll(pidFile));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

}  // namespace qm::test
