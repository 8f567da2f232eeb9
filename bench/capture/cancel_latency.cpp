// Cancel latency: the tool prints nothing for 30 s (silent=30), so the capture
// loop only wakes at its service interval. The view presses "Annulla" at the
// first service 300 ms or more after the start; measured is the time from that
// Cancel() to the end of the batch: ending the interpreter and the tool,
// removing what the job wrote, the message. The wait from the chosen moment
// to that service is shown too: with the window's event pump, it is how long
// a click waits before the runner sees it.

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "Benchmarks.h"
#include "Support.h"
#include "Workspace.h"
#include "runner/RunRedirected.h"

namespace qm::bench {
namespace {

constexpr int kRuns = 10;
constexpr auto kCancelAfter = std::chrono::milliseconds(300);
constexpr double kGoalMs = 200;

std::string MinMedianMax(const std::vector<double>& ms) {
  return Format("%.1f / %.1f / %.1f", *std::min_element(ms.begin(), ms.end()), Median(ms),
                *std::max_element(ms.begin(), ms.end()));
}

}  // namespace

void CancelLatency(const std::string& fakeTool) {
  Workspace space(fakeTool);
  ::setenv("FAKE_CHDMAN_MODE", "silent=30", 1);
  PrintHeading(Format("3. Cancel latency: FAKE_CHDMAN_MODE=silent=30, Update job, cancel after %lld ms, %d runs",
                      static_cast<long long>(kCancelAfter.count()), kRuns));

  std::vector<double> latency, wait;
  bool allCancelled = true;
  for (int run = 0; run < kRuns; ++run) {
    JobTable table;
    table.SetUp();
    table.Append(space.Cells(JobKind::Update));
    CountingView view;
    BatchRunner runner(table, view, space.Settings());
    const auto start = Clock::now();
    std::optional<Clock::time_point> cancelledAt;
    view.onService = [&] {
      if (!cancelledAt && Clock::now() - start >= kCancelAfter) {
        cancelledAt = Clock::now();
        runner.Cancel();
      }
    };
    RunToEnd(runner);
    const auto end = Clock::now();
    if (!cancelledAt) {
      allCancelled = false;
      continue;
    }
    latency.push_back(Milliseconds(end - *cancelledAt));
    wait.push_back(Milliseconds(*cancelledAt - (start + kCancelAfter)));
    allCancelled = allCancelled && view.messages == std::vector<std::string>{std::string(kCancelMessage)};
  }
  ::unsetenv("FAKE_CHDMAN_MODE");

  if (!allCancelled || latency.empty()) {
    PrintRow("a run was not cancelled; figures below are void", "", "");
    if (latency.empty()) return;
  }
  PrintRow("Cancel() to the end of the batch, min/median/max", MinMedianMax(latency) + " ms",
           Format("goal <= %.0f ms", kGoalMs));
  PrintRow("chosen moment to the turn that saw it", MinMedianMax(wait) + " ms",
           Format("a turn waits at most %d ms", kStepWaitMs));
  PrintRow("copies of the tool still running", Format("%d", ProcessesRunning(space.ToolPath())), "0");
}

}  // namespace qm::bench
