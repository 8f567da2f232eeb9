// Capture throughput: the fake tool floods 20 MB of progress lines.
//
// (a) baseline: the batch script run by /bin/sh with its output sent to
//     /dev/null, so writing costs the tool next to nothing;
// (r) reference: the same output read through a pipe 64 KiB at a time and
//     thrown away, to separate the cost of the pipe itself;
// (b) the real capture: RunRedirected pumped as the batch's turns pump it,
//     the progress parser and the failed-job line tracker on every chunk.
//
// The ratio (b)/(a) is what capturing costs a tool that does nothing but
// print. Every read returns at most 256 bytes and is followed by one parser
// call (plus the failed-job line tracker). The
// tool writes in small flushed pieces and the reader is woken for most of
// them, so reads are often far shorter than 256 bytes (the mean is shown):
// (r)/(a) is the share of the pipe and those wake-ups alone, and (b) above (r)
// is the loop's own work per read.
// Peak memory must not grow with the output: the parser keeps at most one
// unfinished line.

#include <cstdio>
#include <cstdlib>

#include "Benchmarks.h"
#include "Support.h"
#include "Workspace.h"
#include "runner/BatchRunner.h"
#include "runner/RunRedirected.h"

namespace qm::bench {
namespace {

constexpr int kRuns = 3;
constexpr const char* kFloodMode = "flood=20000000";

// Reads `command`'s joined output 64 KiB at a time; bytes read, -1 on failure.
long long PipeBytes(const std::string& command) {
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  static char buffer[64 << 10];
  long long total = 0;
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) total += static_cast<long long>(n);
  return ::pclose(pipe) == 0 ? total : -1;
}

}  // namespace

void CaptureThroughput(const std::string& fakeTool) {
  Workspace space(fakeTool);
  // Set CHS: the tool leaves the image as it is, so every run is the same.
  const std::string script = space.WriteScript(JobKind::SetChs);
  const std::string command = "/bin/sh " + ShellQuote(script);
  ::setenv("FAKE_CHDMAN_MODE", kFloodMode, 1);

  PrintHeading(Format("1. Capture throughput: FAKE_CHDMAN_MODE=%s, Set CHS job, median of %d", kFloodMode, kRuns));

  // A first, untimed read warms the caches and counts the output; then each
  // round times all three, so load from elsewhere falls on all of them alike.
  const long long bytes = PipeBytes(command);
  const double megabytes = static_cast<double>(bytes) / 1e6;

  ProgressParser parser;
  LastLine lastLine;
  long reads = 0, barUpdates = 0;
  const std::string scriptText = test::ReadAll(script);
  std::vector<double> reference, baseline, capture;
  bool allFinished = bytes > 0;
  const long peakBefore = PeakKiB();
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    allFinished = allFinished && PipeBytes(command) == bytes;
    reference.push_back(SecondsSince(start));
    baseline.push_back(TimeQuiet(command));
    allFinished = allFinished && baseline.back() > 0;

    parser.Reset();
    lastLine.Reset();
    reads = barUpdates = 0;
    start = Clock::now();
    Result<ScriptFile> file = ScriptFile::Create(space.Data().string(), "flood", ".sh", scriptText);
    Result<RunRedirected> job = file ? RunRedirected::Start(*file, {}) : Result<RunRedirected>(file.error());
    if (!job) {
      allFinished = false;
      continue;
    }
    const auto feed = [&](std::string_view chunk) {
      ++reads;
      if (parser.Feed(chunk, 1, 100)) ++barUpdates;
      lastLine.Feed(chunk);
    };
    while (!job->Pump(kStepWaitMs, kStepBudgetMs, feed)) {
    }
    capture.push_back(SecondsSince(start));
    allFinished = allFinished && job->ExitStatus() == 0;
  }
  const long peakAfter = PeakKiB();
  ::unsetenv("FAKE_CHDMAN_MODE");

  if (!allFinished) {
    PrintRow("a run of the batch script failed; figures below are void", "", "");
  }
  const double a = Median(baseline), r = Median(reference), b = Median(capture);
  PrintRow("output of one run", Format("%.1f MB", megabytes));
  PrintRow("(a) baseline: script, output to /dev/null", Format("%.3f s", a));
  PrintRow("(r) reference: pipe read 64 KiB at a time", Format("%.3f s %6.1f MB/s", r, megabytes / r));
  PrintRow("(b) RunRedirected: 256-byte reads, parser", Format("%.3f s %6.1f MB/s", b, megabytes / b));
  PrintRow("ratio (b)/(a)", Format("%.2f", b / a), Format("(r)/(a) = %.2f: the pipe alone", r / a));
  PrintRow("reads / bar updates in one run (b)", Format("%ld / %ld", reads, barUpdates));
  PrintRow("mean bytes per read (b)", Format("%.0f", static_cast<double>(bytes) / static_cast<double>(reads)),
           Format("at most %zu", kReadSize));
  PrintRow("peak memory (VmHWM) before -> after the runs", Format("%ld -> %ld KiB", peakBefore, peakAfter),
           "no growth");
}

}  // namespace qm::bench
