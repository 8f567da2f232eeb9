// fake_sleeper [SECONDS]: prints "ready\n", then sleeps SECONDS (default:
// until killed) and exits 0. Copied under other names (such as "chdman") it
// gives tests a process of a known name to find and end.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  if (argc > 1) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[1]) * 1000));
    return 0;
  }
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}
