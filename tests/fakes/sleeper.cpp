// fake_sleeper [SECONDS]: prints "ready\n", then sleeps SECONDS (default:
// until killed) and exits 0. Copied under other names (such as "chdman") it
// gives tests a process of a known name to find and end.
//
// FAKE_SLEEPER_PID_FILE=PATH: first writes its process id there, for tests
// that start it through a launcher and must find it afterwards.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>  // getpid, in mingw-w64 as well

int main(int argc, char** argv) {
  if (const char* pidFile = std::getenv("FAKE_SLEEPER_PID_FILE"); pidFile && *pidFile) {
    // Written under another name and renamed, so a reader never sees half a number.
    const std::string partial = std::string(pidFile) + ".part";
    std::ofstream(partial) << getpid();
    std::remove(pidFile);
    std::rename(partial.c_str(), pidFile);
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  const long seconds = argc > 1 ? std::atol(argv[1]) : -1;
  for (long slept = 0; seconds < 0 || slept < seconds; ++slept) std::this_thread::sleep_for(std::chrono::seconds(1));
}
