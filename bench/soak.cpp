// bench_soak: long batches of fast jobs through the batch runner, without a
// window: Set CHS jobs on one image, the fake tool (100 hunks, 21 progress
// lines a job) installed as chdman. A batch of 20 and one of 2000 each run in
// a child process of their own, so that each peak memory (VmHWM) is its own.
//
//   bench_soak                 both batches, then the table
//   bench_soak --jobs N        child: one batch of N jobs; prints one line:
//                              N, succeeded (0/1), peak KiB, seconds, and the
//                              median ms per job over the first, middle and
//                              last tenth of the batch
//
// Goals: the 2000-job batch completes, its peak stays within a few MB of the
// 20-job one, and the time per job is flat from start to end. The program
// reports; it asserts nothing.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Support.h"
#include "Workspace.h"

namespace qm::bench {
namespace {

// Notes when each job begins: the runner sets the operation label first.
class TimingView : public CountingView {
 public:
  void SetOperation(std::string_view text) override {
    if (!text.empty()) starts.push_back(Clock::now());
  }
  std::vector<Clock::time_point> starts;
};

struct Batch {
  int jobs = 0;
  bool succeeded = false;
  long peakKiB = -1;
  double seconds = 0;
  double msFirst = 0, msMiddle = 0, msLast = 0;  // median per job over a tenth
};

int Child(int jobs) {
  Workspace space(QM_FAKE_CHDMAN);
  ::setenv("FAKE_CHDMAN_HUNKS", "100", 1);
  JobTable table;
  table.SetUp();
  for (int i = 0; i < jobs; ++i) table.Append(space.Cells(JobKind::SetChs));
  TimingView view;
  BatchRunner runner(table, view, space.Settings());

  const auto start = Clock::now();
  RunToEnd(runner);
  const auto end = Clock::now();

  bool succeeded = view.messages == std::vector<std::string>{std::string(kSuccessMessage)} &&
                   static_cast<int>(view.starts.size()) == jobs;
  for (int row = 1; row <= jobs; ++row) succeeded = succeeded && table.grid().Mark(row) == RowMark::Succeeded;

  // Job k lasts from its start to the next one's (the last one to the end).
  std::vector<double> perJob;
  for (std::size_t k = 0; k < view.starts.size(); ++k)
    perJob.push_back(Milliseconds((k + 1 < view.starts.size() ? view.starts[k + 1] : end) - view.starts[k]));
  // Medians, so that a moment of load from elsewhere does not count.
  const std::size_t tenth = std::max<std::size_t>(1, perJob.size() / 10);
  auto median = [&](std::size_t from) {
    if (perJob.empty()) return 0.0;
    const auto begin = perJob.begin() + static_cast<std::ptrdiff_t>(std::min(from, perJob.size() - 1));
    return Median(std::vector<double>(begin, std::min(begin + static_cast<std::ptrdiff_t>(tenth), perJob.end())));
  };
  const std::size_t middle = perJob.size() / 2 - std::min(perJob.size() / 2, tenth / 2);
  std::printf("%d %d %ld %.3f %.3f %.3f %.3f\n", jobs, succeeded ? 1 : 0, PeakKiB(), SecondsSince(start), median(0),
              median(middle), median(perJob.size() - std::min(perJob.size(), tenth)));
  return succeeded ? 0 : 1;
}

Batch RunChild(int jobs) {
  Batch batch;
  batch.jobs = jobs;
  char self[4096] = {};
  if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return batch;
  const std::string command = ShellQuote(self) + " --jobs " + std::to_string(jobs);
  std::FILE* child = ::popen(command.c_str(), "r");
  if (!child) return batch;
  int ok = 0, n = 0;
  const int fields = std::fscanf(child, "%d %d %ld %lf %lf %lf %lf", &n, &ok, &batch.peakKiB, &batch.seconds,
                                 &batch.msFirst, &batch.msMiddle, &batch.msLast);
  ::pclose(child);
  batch.succeeded = fields == 7 && n == jobs && ok == 1;
  return batch;
}

}  // namespace
}  // namespace qm::bench

int main(int argc, char** argv) {
  using namespace qm::bench;
  if (argc == 3 && std::strcmp(argv[1], "--jobs") == 0) return Child(std::atoi(argv[2]));

  const Batch small = RunChild(20);
  const Batch large = RunChild(2000);
  PrintHeading("Soak: Set CHS jobs through BatchRunner, fake tool with 100 hunks, one process per batch");
  for (const Batch* b : {&small, &large}) {
    PrintRow(Format("%d jobs: completed, every row succeeded", b->jobs), b->succeeded ? "yes" : "NO", "yes");
    PrintRow(Format("%d jobs: whole batch", b->jobs), Format("%.2f s", b->seconds));
    PrintRow(Format("%d jobs: peak memory (VmHWM)", b->jobs), Format("%ld KiB", b->peakKiB));
    PrintRow(Format("%d jobs: ms per job, first / middle / last tenth", b->jobs),
             Format("%.2f / %.2f / %.2f", b->msFirst, b->msMiddle, b->msLast));
  }
  PrintRow("peak memory, 2000 jobs minus 20 jobs", Format("%+ld KiB", large.peakKiB - small.peakKiB), "a few MB at most");
  PrintRow("time per job, last / first tenth of 2000", Format("%.2f", large.msLast / large.msFirst), "flat: about 1");
  return small.succeeded && large.succeeded ? 0 : 1;
}
