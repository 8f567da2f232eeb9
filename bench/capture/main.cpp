// bench_capture: how the console capture and the batch runner perform with
// real children (/bin/sh, the fake tool installed as chdman): throughput on a
// flood of output, the cost on a realistic job, and how fast a cancel ends a
// silent job. Prints one table; asserts nothing. Takes about half a minute.

#include <cstdio>

#include "Benchmarks.h"
#include "Support.h"

int main() {
  using namespace qm::bench;
  const auto start = Clock::now();
  std::printf("Console capture benchmarks (fake tool: %s)\n", QM_FAKE_CHDMAN);
  std::printf("  %-52s %18s   %s\n", "measurement", "value", "goal / note");
  CaptureThroughput(QM_FAKE_CHDMAN);
  RealisticJob(QM_FAKE_CHDMAN);
  CancelLatency(QM_FAKE_CHDMAN);
  std::printf("\nwhole run: %.1f s\n", SecondsSince(start));
  return 0;
}
