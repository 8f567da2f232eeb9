// A realistic job: one Update job whose tool works for about 3 s and prints
// two progress lines a second, run alone (output to /dev/null) and through a
// whole BatchRunner batch of one job. The fake tool sleeps slow=MS before each
// progress line and prints M + 1 lines (N = 0..M) for M below 20 hunks, so
// slow=500 with 5 hunks gives 6 lines at 0.5, 1.0, ... 3.0 s. The ratio is
// what the runner adds to a job as a user sees it: writing the batch file,
// starting /bin/sh, the capture loop, the checks before and after.

#include <cstdlib>

#include "Benchmarks.h"
#include "Support.h"
#include "Workspace.h"

namespace qm::bench {
namespace {

constexpr int kRuns = 3;
constexpr const char* kMode = "slow=500";
constexpr const char* kHunks = "5";
constexpr double kGoal = 1.02;

}  // namespace

void RealisticJob(const std::string& fakeTool) {
  Workspace space(fakeTool);
  ::setenv("FAKE_CHDMAN_MODE", kMode, 1);
  ::setenv("FAKE_CHDMAN_HUNKS", kHunks, 1);
  PrintHeading(Format("2. Realistic job: FAKE_CHDMAN_MODE=%s, FAKE_CHDMAN_HUNKS=%s, Update job, median of %d",
                      kMode, kHunks, kRuns));

  const std::string alone = "cd " + ShellQuote(space.Data().string()) + " && " + ShellQuote(space.ToolPath()) +
                            " -update game.chd game.tmp";
  CountingView view;
  std::vector<double> toolAlone, batch;
  bool allSucceeded = true;
  for (int run = 0; run < kRuns; ++run) {
    space.RestoreImage();
    toolAlone.push_back(TimeQuiet(alone));
    allSucceeded = allSucceeded && toolAlone.back() > 0;

    space.RestoreImage();
    JobTable table;
    table.SetUp();
    table.Append(space.Cells(JobKind::Update));
    BatchRunner runner(table, view, space.Settings());
    view.Reset();
    const auto start = Clock::now();
    RunToEnd(runner);
    batch.push_back(SecondsSince(start));
    allSucceeded = allSucceeded && view.messages == std::vector<std::string>{std::string(kSuccessMessage)};
  }
  ::unsetenv("FAKE_CHDMAN_MODE");
  ::unsetenv("FAKE_CHDMAN_HUNKS");

  if (!allSucceeded) PrintRow("a run did not succeed; figures below are void", "", "");
  const double a = Median(toolAlone), b = Median(batch);
  PrintRow("tool alone, output to /dev/null", Format("%.3f s", a));
  PrintRow("BatchRunner, one job", Format("%.3f s", b));
  PrintRow("ratio runner / tool", Format("%.4f", b / a), Format("goal <= %.2f", kGoal));
  PrintRow("runner's own time per job", Format("%.1f ms", (b - a) * 1000));
  // The last bar update is the runner's reset at the end of the batch.
  PrintRow("bar updates / services in one batch", Format("%ld / %ld", view.currentUpdates, view.services));
  PrintRow("progress lines that filled pbCurrent", Format("%d", view.fullBars), "1");
}

}  // namespace qm::bench
